// qvprov: the result cache's settings, its start and stop, expiry, and the
// monitor thread that drops expired results in the background.
#include "cache.h"

#include <stdlib.h>
#include <string.h>
#include <initializer_list>

namespace {

constexpr uint32_t kDefaultMaxEntries = 20;
constexpr uint32_t kDefaultMonitorPeriod = 30000;
constexpr uint32_t kDefaultTimeout = 3000;
// How long InitializePrintProvidor waits for the monitor to start, and
// process detach for it to park; both are normally immediate.
constexpr DWORD kMonitorHandshakeWait = 10000;

bool ReadRegDword(HKEY key, const char *name, DWORD *value)
{
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&data), &size) != ERROR_SUCCESS
        || type != REG_DWORD || size != sizeof data)
        return false;
    *value = data;
    return true;
}

// Unlinks and frees an entry. List lock held; the entry is locked by the caller.
void FreeEntry(CacheEntry *entry)
{
    if (entry->prev)
        entry->prev->next = entry->next;
    else
        g_cache.head = entry->next;
    if (entry->next)
        entry->next->prev = entry->prev;
    else
        g_cache.tail = entry->prev;
    --g_cache.count;
    if (entry->request)
        DPACloseRequest(&entry->request);
    free(entry->domain);
    free(entry->server);
    free(entry->thirdName);
    LeaveCriticalSection(&entry->lock);
    DeleteCriticalSection(&entry->lock);
    free(entry);
}

bool Expired(const CacheEntry *entry, uint32_t now)
{
    // Unsigned arithmetic: the wrap of the tick count does not matter.
    return CacheTimeoutOf(entry->callType) < now - entry->created;
}

uint32_t Now()
{
    return g_cache.tick();
}

bool SameText(const char *a, const char *b)
{
    if (!a || !b)
        return a == b;
    return strcmp(a, b) == 0;
}

// Frees the entry after waiting for its user. List lock held.
void DropEntry(CacheEntry *entry)
{
    EnterCriticalSection(&entry->lock);
    FreeEntry(entry);
}

// A new entry with copies of its key texts, locked for the caller; null when
// a copy cannot be made (also for a null domain or server).
CacheEntry *MakeEntry(QvRequest request, int32_t kind, int32_t callType, const char *domain,
                      const char *server, const char *thirdName, const void *table)
{
    auto *entry = static_cast<CacheEntry *>(calloc(1, sizeof(CacheEntry)));
    if (!entry)
        return nullptr;
    entry->domain = CopyText(domain);
    entry->server = CopyText(server);
    entry->thirdName = CopyText(thirdName);
    if (!entry->domain || !entry->server || (thirdName && !entry->thirdName)) {
        free(entry->domain);
        free(entry->server);
        free(entry->thirdName);
        free(entry);
        return nullptr;
    }
    entry->kind = kind;
    entry->callType = callType;
    entry->table = table;
    entry->created = Now();
    entry->request = request;
    InitializeCriticalSection(&entry->lock);
    EnterCriticalSection(&entry->lock);
    return entry;
}

// Links a new entry at the head, first pushing out the oldest when the list
// holds max entries - 1. The entry is locked by its maker, and no other
// thread can see it before it is linked, so taking the list lock now cannot
// deadlock.
CacheEntry *LinkEntry(CacheEntry *entry)
{
    LockGuard hold(g_cache.listLock);
    if (g_cache.tail && g_cache.count + 1 >= g_cache.maxEntries)
        DropEntry(g_cache.tail);
    entry->prev = nullptr;
    entry->next = g_cache.head;
    if (g_cache.head)
        g_cache.head->prev = entry;
    else
        g_cache.tail = entry;
    g_cache.head = entry;
    ++g_cache.count;
    return entry;
}

// The first live entry for which matches() holds, locked, or null.
template<typename Match> CacheEntry *Lookup(Match matches)
{
    if (!g_cache.listLockReady)
        return nullptr;
    LockGuard hold(g_cache.listLock);
    CachePurge();
    for (CacheEntry *entry = g_cache.head; entry; entry = entry->next) {
        if (matches(entry)) {
            // Waits while another query uses it; its result is ours next.
            EnterCriticalSection(&entry->lock);
            return entry;
        }
    }
    return nullptr;
}

} // namespace

// The monitor: every monitor period, drop what has expired. Once the stop
// event is seen, returns the parked event, which the start routine below
// sets on its way out.
extern "C" __attribute__((used)) HANDLE WINAPI QvCacheMonitorLoop(LPVOID)
{
    SetEvent(g_cache.runEvent);
    while (WaitForSingleObject(g_cache.stopEvent, g_cache.monitorPeriod) == WAIT_TIMEOUT) {
        LockGuard hold(g_cache.listLock);
        CachePurge();
    }
    return g_cache.parkedEvent;
}

// The monitor thread's start routine: runs the loop, then jumps to SetEvent
// (parked event) with the thread's own return address still in place, so
// that SetEvent returns straight into kernel32's thread start-up, which ends
// the thread. Once the parked event is set, the thread runs no code of this
// library again, and CacheStop may let the library go without waiting for the
// thread's end, which cannot come while the loader lock is held.
// (SignalObjectAndWait or FreeLibraryAndExitThread would do the same; Windows
// 95 has neither. Calls queued with QueueUserAPC do not keep their order
// against the stop event under Wine.)
extern "C" DWORD WINAPI QvCacheMonitorThread(LPVOID);
#if defined(__x86_64__)
asm(".text\n"
    ".globl QvCacheMonitorThread\n"
    "QvCacheMonitorThread:\n"
    "    subq $40, %rsp\n" // shadow space; the stack 16-byte aligned at the call
    "    call QvCacheMonitorLoop\n"
    "    addq $40, %rsp\n"
    "    movq %rax, %rcx\n"
    "    jmp *__imp_SetEvent(%rip)\n");
#elif defined(__i386__)
asm(".text\n"
    ".globl _QvCacheMonitorThread@4\n"
    "_QvCacheMonitorThread@4:\n"
    "    pushl 4(%esp)\n"
    "    call _QvCacheMonitorLoop@4\n"
    "    movl %eax, 4(%esp)\n" // SetEvent's one argument takes the place of ours
    "    jmp *__imp__SetEvent@4\n");
#else
#error "the monitor's start routine is written for x86 and x86-64"
#endif

ResultCache g_cache = {
    {},
    false,
    nullptr,
    nullptr,
    0,
    kDefaultMaxEntries,
    kDefaultMonitorPeriod,
    {
        {kCallEnumPrinters, "EnumPrinters", kDefaultTimeout},
        {kCallGetPrinter, "GetPrinter", kDefaultTimeout},
        {kCallEnumJobs, "EnumJobs", kDefaultTimeout},
        {kCallGetJob, "GetJob", kDefaultTimeout},
        {kCallEnumPorts, "EnumPorts", kDefaultTimeout},
        {kCallGetPrinterDriver, "GetPrinterDriver", kDefaultTimeout},
    },
    GetTickCount,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

uint32_t CacheTimeoutOf(int32_t callType)
{
    for (const CacheTimeout &row : g_cache.timeouts) {
        if (row.callType == callType)
            return row.timeout;
    }
    return 0;
}

void CachePurge()
{
    const uint32_t now = Now();
    for (CacheEntry *entry = g_cache.head; entry;) {
        CacheEntry *next = entry->next;
        if (Expired(entry, now))
            DropEntry(entry); // waits while a query reads it
        entry = next;
    }
}

void CacheLoadSettings(const char *keyPath)
{
    RegKey key;
    if (!keyPath || RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, key.out()) != ERROR_SUCCESS)
        return;
    DWORD value = 0;
    if (ReadRegDword(key.get(), "MaxCacheEntries", &value) && value > 1)
        g_cache.maxEntries = value;
    if (ReadRegDword(key.get(), "CacheMonitorPeriod", &value) && value > 0)
        g_cache.monitorPeriod = value;
    RegKey timeouts;
    if (RegOpenKeyExA(key.get(), "CacheTimeouts", 0, KEY_READ, timeouts.out()) == ERROR_SUCCESS) {
        for (CacheTimeout &row : g_cache.timeouts) {
            if (ReadRegDword(timeouts.get(), row.valueName, &value))
                row.timeout = value; // 0 included
        }
    }
}

CacheEntry *CacheLookupList(int32_t callType, const char *domain, const char *server, const void *table,
                            const char *printer, uint32_t filters)
{
    return Lookup([&](const CacheEntry *entry) {
        return entry->kind == kCacheListEntry && entry->callType == callType
            && SameText(entry->domain, domain) && SameText(entry->server, server) && entry->table == table
            && entry->filters == filters && SameText(entry->thirdName, printer);
    });
}

CacheEntry *CacheLookupObject(int32_t callType, const char *domain, const char *server, const void *table,
                              int32_t objectClass, const char *objectName)
{
    return Lookup([&](const CacheEntry *entry) {
        return entry->kind == kCacheObjectEntry && entry->callType == callType
            && SameText(entry->domain, domain) && SameText(entry->server, server) && entry->table == table
            && entry->objectClass == objectClass && SameText(entry->thirdName, objectName);
    });
}

CacheEntry *CacheInsertList(QvRequest request, int32_t callType, const char *domain, const char *server,
                            const void *table, const char *printer, uint32_t filters)
{
    if (!g_cache.listLockReady)
        return nullptr;
    CacheEntry *entry = MakeEntry(request, kCacheListEntry, callType, domain, server, printer, table);
    if (!entry)
        return nullptr;
    entry->filters = filters;
    return LinkEntry(entry);
}

CacheEntry *CacheInsertObject(QvRequest request, int32_t callType, const char *domain, const char *server,
                              const void *table, int32_t objectClass, const char *objectName)
{
    if (!g_cache.listLockReady)
        return nullptr;
    CacheEntry *entry = MakeEntry(request, kCacheObjectEntry, callType, domain, server, objectName, table);
    if (!entry)
        return nullptr;
    entry->objectClass = objectClass;
    return LinkEntry(entry);
}

void CacheRelease(CacheEntry *entry)
{
    if (entry)
        LeaveCriticalSection(&entry->lock);
}

void CacheInvalidateJobs(const char *domain, const char *server, const char *printer)
{
    if (!g_cache.listLockReady)
        return;
    LockGuard hold(g_cache.listLock);
    for (CacheEntry *entry = g_cache.head; entry;) {
        CacheEntry *next = entry->next;
        const bool sameServer = SameText(entry->domain, domain) && SameText(entry->server, server);
        const bool jobObject = entry->kind == kCacheObjectEntry && entry->callType == kCallGetJob;
        const bool jobList = entry->kind == kCacheListEntry && entry->callType == kCallEnumJobs
            && SameText(entry->thirdName, printer);
        if (sameServer && (jobObject || jobList))
            DropEntry(entry);
        entry = next;
    }
}

// At process attach: the list lock and the monitor's events. The monitor
// thread itself is started by CacheRunMonitor: a thread made here could not
// start before the loader lock is released, and if the library were unloaded
// first, it would start in code that is gone.
void CacheStart()
{
    InitializeCriticalSection(&g_cache.listLock);
    g_cache.listLockReady = true;
    g_cache.stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_cache.parkedEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_cache.runEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

// Outside the loader lock (InitializePrintProvidor, once): starts the monitor
// and waits until it runs, so that CacheStop always meets it in its own code.
// Without the thread the cache works all the same; lookups purge.
void CacheRunMonitor()
{
    if (g_cache.monitorThread || !g_cache.stopEvent || !g_cache.parkedEvent || !g_cache.runEvent)
        return;
    g_cache.monitorThread = CreateThread(nullptr, 0, QvCacheMonitorThread, nullptr, 0, nullptr);
    if (g_cache.monitorThread)
        WaitForSingleObject(g_cache.runEvent, kMonitorHandshakeWait);
}

// At FreeLibrary, under the loader lock: ends the monitor and waits only
// until it has left this library's code for good (QvCacheMonitorThread), not
// for the thread's end; then frees every entry, waiting for each one's user.
void CacheStop()
{
    if (g_cache.monitorThread) {
        SetEvent(g_cache.stopEvent);
        HANDLE ends[2] = {g_cache.parkedEvent, g_cache.monitorThread};
        WaitForMultipleObjects(2, ends, FALSE, kMonitorHandshakeWait);
        CloseHandle(g_cache.monitorThread);
        g_cache.monitorThread = nullptr;
    }
    for (HANDLE *event : {&g_cache.stopEvent, &g_cache.parkedEvent, &g_cache.runEvent}) {
        if (*event)
            CloseHandle(*event);
        *event = nullptr;
    }
    if (g_cache.listLockReady) {
        // Each entry still in use is waited for, then freed.
        EnterCriticalSection(&g_cache.listLock);
        while (g_cache.head)
            DropEntry(g_cache.head);
        LeaveCriticalSection(&g_cache.listLock);
        g_cache.listLockReady = false;
        DeleteCriticalSection(&g_cache.listLock);
    }
}
