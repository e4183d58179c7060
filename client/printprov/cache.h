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
    HANDLE parkedEvent;   /* set in the monitor by CacheStop's first queued call */
    HANDLE runEvent;      /* set by the monitor when it first runs */
    HANDLE monitorThread; /* started by the first InitializePrintProvidor */
};

extern ResultCache g_cache;

/* Entries of one call type live this long; 0 for a type not in the table. */
uint32_t CacheTimeoutOf(int32_t callType);

/* Drops expired entries. List lock held. */
void CachePurge();

#endif
