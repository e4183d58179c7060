// qvprov: the result cache's settings, its start and stop, expiry, and the
// monitor thread that drops expired results in the background.
#include "cache.h"

#include <stdlib.h>
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

// The monitor: every monitor period, drop what has expired. It sleeps
// alertably, so that CacheStop can end it with calls queued to it.
DWORD WINAPI MonitorThread(LPVOID)
{
    SetEvent(g_cache.runEvent);
    for (;;) {
        if (SleepEx(g_cache.monitorPeriod, TRUE) == 0) {
            LockGuard hold(g_cache.listLock);
            CachePurge();
        }
    }
}

} // namespace

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
    const uint32_t now = GetTickCount();
    for (CacheEntry *entry = g_cache.head; entry;) {
        CacheEntry *next = entry->next;
        if (Expired(entry, now)) {
            EnterCriticalSection(&entry->lock); // waits while a query reads it
            FreeEntry(entry);
        }
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

// At process attach: the list lock and the monitor's events. The monitor
// thread itself is started by CacheRunMonitor: a thread made here could not
// start before the loader lock is released, and if the library were unloaded
// first, it would start in code that is gone.
void CacheStart()
{
    InitializeCriticalSection(&g_cache.listLock);
    g_cache.listLockReady = true;
    g_cache.parkedEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_cache.runEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

// Outside the loader lock (InitializePrintProvidor, once): starts the monitor
// and waits until it runs, so that CacheStop always meets it in its own code.
// Without the thread the cache works all the same; lookups purge.
void CacheRunMonitor()
{
    if (g_cache.monitorThread || !g_cache.parkedEvent || !g_cache.runEvent)
        return;
    g_cache.monitorThread = CreateThread(nullptr, 0, MonitorThread, nullptr, 0, nullptr);
    if (g_cache.monitorThread)
        WaitForSingleObject(g_cache.runEvent, kMonitorHandshakeWait);
}

// At process detach, under the loader lock. The monitor cannot finish
// exiting while that lock is held, so waiting for its end would only time
// out. Instead two system calls are queued to it: SetEvent of the parked
// event, then ExitThread. Queued calls run in order inside its alertable
// sleep, without returning into this library between them, so once the
// parked event is set the monitor runs no code of this library again; it
// finishes exiting when the loader lock is free. At process exit the thread
// is already gone and its handle ends the wait.
void CacheStop()
{
    if (g_cache.monitorThread) {
        QueueUserAPC(reinterpret_cast<PAPCFUNC>(SetEvent), g_cache.monitorThread,
                     reinterpret_cast<ULONG_PTR>(g_cache.parkedEvent));
        QueueUserAPC(reinterpret_cast<PAPCFUNC>(ExitThread), g_cache.monitorThread, 0);
        HANDLE ends[2] = {g_cache.parkedEvent, g_cache.monitorThread};
        WaitForMultipleObjects(2, ends, FALSE, kMonitorHandshakeWait);
        CloseHandle(g_cache.monitorThread);
        g_cache.monitorThread = nullptr;
    }
    for (HANDLE *event : {&g_cache.parkedEvent, &g_cache.runEvent}) {
        if (*event)
            CloseHandle(*event);
        *event = nullptr;
    }
    if (g_cache.listLockReady) {
        EnterCriticalSection(&g_cache.listLock);
        while (g_cache.head) {
            EnterCriticalSection(&g_cache.head->lock);
            FreeEntry(g_cache.head);
        }
        LeaveCriticalSection(&g_cache.listLock);
        g_cache.listLockReady = false;
        DeleteCriticalSection(&g_cache.listLock);
    }
}
