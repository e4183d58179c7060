/*
 * The lazy start of the name service and the table of browsable domain
 * kinds that it trims to those the name service supports.
 */
#include "domainkinds.h"

#include <windows.h>

#include <string.h>

#include "qvcore.h"
#include "resource.h"

namespace {

const int32_t kNsInitFlags = 0;
const int32_t kNsInitTimeoutSeconds = 10;

// Set once the name service has started and the table holds a kind; never
// cleared for the life of the process.
volatile LONG g_started = 0;

// Serialises starts. The router may call from several threads; without it
// two first calls would both run NS_Init and trim the table twice over.
class StartLock {
public:
    StartLock() { InitializeCriticalSection(&m_section); }
    ~StartLock() { DeleteCriticalSection(&m_section); }
    void enter() { EnterCriticalSection(&m_section); }
    void leave() { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};

StartLock g_startLock;

class StartGuard {
public:
    StartGuard() { g_startLock.enter(); }
    ~StartGuard() { g_startLock.leave(); }
    StartGuard(const StartGuard &) = delete;
    StartGuard &operator=(const StartGuard &) = delete;
};

bool IsSupported(const NsSupportedEnv &supported, int32_t kind)
{
    if (supported.kinds == nullptr)
        return false;
    for (int32_t i = 0; i < supported.count; ++i) {
        if (supported.kinds[i] == kind)
            return true;
    }
    return false;
}

// Removes from table the rows whose kind the name service does not support;
// later rows move up one place.
void TrimDomainKinds(const NsSupportedEnv &supported, DomainKindTable *table)
{
    int32_t kept = 0;
    for (int32_t i = 0; i < table->count; ++i) {
        if (IsSupported(supported, table->entries[i].kind))
            table->entries[kept++] = table->entries[i];
    }
    table->count = kept;
}

} // namespace

DomainKindTable g_domainKinds = {
    {
        {"", NS_KIND_DEFAULT, IDS_LABEL_DEFAULT_DOMAINS},
        {"NIS:", NS_KIND_NIS, IDS_LABEL_NIS_DOMAINS},
    },
    kMaxDomainKinds,
};

bool EnsureNameService()
{
    if (InterlockedCompareExchange(&g_started, 0, 0) == 1)
        return true;

    StartGuard guard;
    // Another thread may have started it while this one waited.
    if (g_started == 1)
        return true;
    if (NS_Init(kNsInitFlags, kNsInitTimeoutSeconds) != 0)
        return false;
    const NsSupportedEnv *supported = NS_ListSupportedEnv();
    if (supported == nullptr)
        return false;
    // The table is trimmed only by the start that succeeds: a start that
    // finds no browsable kind leaves it whole, so that a later start sees
    // every kind the name service offers by then.
    DomainKindTable trimmed = g_domainKinds;
    TrimDomainKinds(*supported, &trimmed);
    if (trimmed.count <= 0)
        return false;
    g_domainKinds = trimmed;
    InterlockedExchange(&g_started, 1);
    return true;
}

int32_t MatchKindPrefix(const char *text, const char **domain)
{
    if (text == nullptr)
        text = "";
    for (int32_t i = 0; i < g_domainKinds.count; ++i) {
        const char *prefix = g_domainKinds.entries[i].prefix;
        size_t length = strlen(prefix);
        if (length > 0 && strncmp(text, prefix, length) == 0) {
            *domain = text + length;
            return i;
        }
    }
    *domain = text;
    return 0;
}
