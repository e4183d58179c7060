// qvprov: printer names "\\server[.[kind:]domain][\printer]" and their check
// against the name service.
#include "printer_handle.h"

#include <string.h>

namespace {

// The next character of a text in the ANSI code page: a lead byte and its
// trail byte are one character, so a trail byte equal to '\', '.' or ':'
// never separates. A lead byte right before the terminator stands alone.
const char *NextChar(const char *p)
{
    if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] != '\0')
        return p + 2;
    return p + 1;
}

// First character at or after p that is one of the two separators, or the terminator.
const char *FindSeparator(const char *p, char first, char second)
{
    while (*p != '\0' && *p != first && *p != second)
        p = NextChar(p);
    return p;
}

NameComponent Component(const char *begin, const char *end)
{
    NameComponent component;
    if (end > begin) {
        component.text = begin;
        component.length = static_cast<size_t>(end - begin);
    }
    return component;
}

// Only exactly "NIS" and exactly "DCE" name their kinds; any other text is the default kind.
int32_t KindFromText(const NameComponent &kind)
{
    if (kind.length == 3 && memcmp(kind.text, "NIS", 3) == 0)
        return NS_KIND_NIS;
    if (kind.length == 3 && memcmp(kind.text, "DCE", 3) == 0)
        return NS_KIND_DCE;
    return NS_KIND_DEFAULT;
}

// Releases a name-service domain handle and object on every path.
struct NameServiceLookup {
    QvHandle domain = 0;
    NsObject *object = nullptr;
    ~NameServiceLookup()
    {
        if (object)
            NS_FreeObject(object);
        if (domain)
            NS_FreeDomainHandle(domain);
    }
};

bool SameText(const NameComponent &component, const char *text)
{
    return text && strlen(text) == component.length && memcmp(text, component.text, component.length) == 0;
}

} // namespace

const char *NameServicePrefix(int32_t domainKind)
{
    switch (domainKind) {
    case NS_KIND_NIS:
        return "NIS:";
    case NS_KIND_DCE:
        return "DCE:";
    default:
        return "";
    }
}

bool SplitPrinterName(const char *name, ParsedPrinterName *parsed)
{
    *parsed = ParsedPrinterName();
    if (!name || name[0] != '\\' || name[1] != '\\')
        return false;

    const char *start = name + 2;
    const char *p = FindSeparator(start, '.', '\\');
    parsed->server = Component(start, p);

    if (*p == '.') {
        const char *kindStart = p + 1;
        const char *q = FindSeparator(kindStart, ':', '\\');
        if (*q == ':') {
            parsed->domainKind = KindFromText(Component(kindStart, q));
            const char *domainStart = q + 1;
            if (*domainStart == '\0')
                return true; // no domain, no printer
            p = FindSeparator(domainStart, '\\', '\\');
            parsed->domain = Component(domainStart, p);
        } else {
            parsed->domainKind = NS_KIND_DEFAULT;
            parsed->domain = Component(kindStart, q);
            p = q;
        }
    }

    // The rest after the backslash, further backslashes included, is the printer.
    if (*p == '\\' && p[1] != '\0')
        parsed->printer = Component(p + 1, p + 1 + strlen(p + 1));
    return true;
}

bool ParsePrinterName(const char *name, ParsedPrinterName *parsed)
{
    if (!SplitPrinterName(name, parsed))
        return false;
    if (!parsed->domain.present())
        return false;

    NameServiceLookup lookup;
    if (NS_CreateDomainHandle(&lookup.domain) != QV_STATUS_OK || !lookup.domain)
        return false;
    const std::string domain = parsed->domain.str();
    if (NS_SetDomain(parsed->domainKind, domain.c_str(), lookup.domain) != QV_STATUS_OK)
        return false;

    if (parsed->printer.present()) {
        const std::string printer = parsed->printer.str();
        if (NS_GetObject(NS_CLASS_PRINTER, printer.c_str(), lookup.domain, &lookup.object) != QV_STATUS_OK
            || !lookup.object)
            return false;
        // The printer must live on the server the name gives, byte for byte.
        if (parsed->server.present() && !SameText(parsed->server, lookup.object->serverName))
            return false;
    } else if (parsed->server.present()) {
        const std::string server = parsed->server.str();
        if (NS_GetObject(NS_CLASS_SERVER, server.c_str(), lookup.domain, &lookup.object) != QV_STATUS_OK
            || !lookup.object)
            return false;
    }
    return true;
}
