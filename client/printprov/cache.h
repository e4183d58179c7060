/*
 * qvprov: the result cache of recent query requests and its monitor thread.
 */
#ifndef QVPROV_CACHE_H
#define QVPROV_CACHE_H

#include "provider.h"

/* Call types and their rows in the time-out table. */
enum CacheCallType : int32_t {
    kCallEnumPrinters = 1,
    kCallGetPrinter = 2,
    kCallEnumJobs = 3,
    kCallGetJob = 4,
    kCallEnumPorts = 5,
    kCallGetPrinterDriver = 6,
};

struct CacheTimeout {
    int32_t callType;
    const char *valueName; /* value under the "CacheTimeouts" subkey */
    uint32_t timeout;      /* milliseconds */
};

constexpr size_t kCacheCallTypes = 6;

/* Kinds of entries. */
enum CacheEntryKind : int32_t {
    kCacheListEntry = 1,   /* from ListQuery */
    kCacheObjectEntry = 2, /* from ObjectQuery */
};

/* Where the cache takes its time from: GetTickCount, or a test's clock. */
typedef DWORD(WINAPI *CacheTickSource)(void);

/* One submitted query request with its result. Owned by the cache; used
 * only by the thread that holds its lock (from lookup or insert to
 * CacheRelease). */
struct CacheEntry {
    CacheEntry *next; /* toward older entries */
    CacheEntry *prev;
    int32_t kind; /* 1 list entry, 2 object entry */
    int32_t callType;
    char *domain; /* owned copies */
    char *server;
    char *thirdName;       /* list: the printer; object: the object name; may be null */
    const void *table;     /* conversion table, compared by identity */
    uint32_t filters;      /* list entries */
    int32_t objectClass;   /* object entries */
    uint32_t created;      /* tick count when made */
    CRITICAL_SECTION lock; /* held by the thread that uses the result */
    QvRequest request;     /* owned; closed when the entry is freed */
};

struct ResultCache {
    CRITICAL_SECTION listLock; /* guards the list, count and every entry's links */
    bool listLockReady;
    CacheEntry *head; /* newest */
    CacheEntry *tail; /* oldest */
    uint32_t count;
    uint32_t maxEntries;
    volatile uint32_t monitorPeriod; /* milliseconds; read before every wait */
    CacheTimeout timeouts[kCacheCallTypes];
    CacheTickSource tick; /* GetTickCount unless a test sets its own */
    HANDLE stopEvent;     /* manual reset: ends the monitor */
    HANDLE parkedEvent;   /* set from the monitor's wait, in kernel32, as it is ended */
    HANDLE runEvent;      /* set by the monitor when it first runs */
    HANDLE monitorThread; /* started by the first InitializePrintProvidor */
};

extern ResultCache g_cache;

/* Entries of one call type live this long; 0 for a type not in the table. */
uint32_t CacheTimeoutOf(int32_t callType);

/* Drops expired entries, waiting for each one's user. List lock held. */
void CachePurge();

/* A live entry that matches, locked for the calling thread, or null. Texts
 * are compared exactly; a null third name matches only a null one. */
CacheEntry *CacheLookupList(int32_t callType, const char *domain, const char *server, const void *table,
                            const char *printer, uint32_t filters);
CacheEntry *CacheLookupObject(int32_t callType, const char *domain, const char *server, const void *table,
                              int32_t objectClass, const char *objectName);

/* A new entry that owns request from now on, locked for the calling thread;
 * null when it cannot be made (the request then stays with the caller). When
 * the list holds max entries - 1, the oldest entry goes first. */
CacheEntry *CacheInsertList(QvRequest request, int32_t callType, const char *domain, const char *server,
                            const void *table, const char *printer, uint32_t filters);
CacheEntry *CacheInsertObject(QvRequest request, int32_t callType, const char *domain, const char *server,
                              const void *table, int32_t objectClass, const char *objectName);

/* Ends the calling thread's use of an entry. */
void CacheRelease(CacheEntry *entry);

/* Drops one printer's job results: its EnumJobs lists, and every GetJob
 * object of its domain and server. */
void CacheInvalidateJobs(const char *domain, const char *server, const char *printer);

#endif
