// qvprov: each user's per-printer settings key under HKEY_CURRENT_USER.
#include "printer_handle.h"

const char kPrinterKeyRoot[] = "Software\\Tamsell\\Quorvane\\CurrentVersion\\PRINTERS\\";
const char kPrintAssistantKey[] = "Software\\Tamsell\\Quorvane\\CurrentVersion\\PrintAssistant";

namespace {

// The path is composed in a buffer of this size, terminator included.
constexpr size_t kKeyPathBufferSize = 1024;
constexpr DWORD kDefaultFilters = 3; // only the caller's jobs, only this printer's jobs

// Appends text, writing each backslash as a comma. Steps by characters of the
// ANSI code page, so a trail byte equal to '\' is kept as it is.
void AppendWithCommas(std::string &path, const char *text)
{
    for (const char *p = text; *p != '\0';) {
        if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] != '\0') {
            path.append(p, 2);
            p += 2;
        } else {
            path.push_back(*p == '\\' ? ',' : *p);
            ++p;
        }
    }
}

bool ReadDword(HKEY key, const char *name, DWORD *value)
{
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(&data), &size) != ERROR_SUCCESS
        || size != sizeof data)
        return false;
    *value = data;
    return true;
}

} // namespace

// The printer name rebuilt from the handle, every backslash written as a
// comma: ",,server.PREFIXdomain,printer". An absent server or printer is
// written as empty text: a present component is never empty, so the empty
// spelling cannot stand for a real one, and a name always gives the same key.
std::string PrinterKeyPath(const PrinterHandle *handle)
{
    std::string path = kPrinterKeyRoot;
    path += ",,";
    AppendWithCommas(path, handle->server ? handle->server : "");
    path += '.';
    path += NameServicePrefix(handle->domainKind);
    AppendWithCommas(path, handle->domain ? handle->domain : "");
    path += ',';
    AppendWithCommas(path, handle->printer ? handle->printer : "");
    if (path.size() >= kKeyPathBufferSize)
        path.clear();
    return path;
}

HKEY OpenPrinterKey(const PrinterHandle *handle, REGSAM access)
{
    const std::string path = PrinterKeyPath(handle);
    if (path.empty())
        return nullptr;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                        &key, nullptr)
        != ERROR_SUCCESS)
        return nullptr;
    return key;
}

void WritePrinterKeyDefaults(const PrinterHandle *handle)
{
    // The machine-wide default of the plug-in switch; 0 when missing or not a 4-byte value.
    DWORD usePA = 0;
    {
        RegKey machine;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPrintAssistantKey, 0, KEY_QUERY_VALUE, machine.out())
            == ERROR_SUCCESS)
            ReadDword(machine.get(), "QVZ_Use_PA", &usePA);
    }
    RegKey key(OpenPrinterKey(handle, KEY_ALL_ACCESS));
    if (!key)
        return;
    DWORD filters = kDefaultFilters;
    RegSetValueExA(key.get(), "QVZ_Use_PA", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&usePA),
                   sizeof usePA);
    RegSetValueExA(key.get(), "QVZ_Filters", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&filters),
                   sizeof filters);
}

int ReadUsePA(const PrinterHandle *handle)
{
    RegKey key(OpenPrinterKey(handle, KEY_READ));
    DWORD usePA = 0;
    return key && ReadDword(key.get(), "QVZ_Use_PA", &usePA) && usePA != 0 ? 1 : 0;
}
