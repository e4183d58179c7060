/*
 * qvprov: the two query requests that every job, printer and driver query
 * shares. The request asks for exactly the attribute types that the
 * conversion table names; a live result of the same question is taken from
 * the result cache instead of being asked again.
 *
 * The caller holds the handle's lock from before the builder until after
 * ReleaseQueryResult. Between a successful builder call and
 * ReleaseQueryResult the calling thread also holds the cache entry's lock.
 */
#ifndef QVPROV_QUERY_H
#define QVPROV_QUERY_H

#include "conversion.h"

/* Filter flags of a list query. */
constexpr uint32_t kFilterOwnJobs = 1;     /* the calling user's jobs only */
constexpr uint32_t kFilterThisPrinter = 2; /* this printer's jobs only */

/* 1 on success: handle->queryRequest holds the result (or is empty for a
 * table that names no attribute) and handle->cacheEntry serves it, locked.
 * 0 on failure, with the query fields empty and the last error set. */
int ListQuery(PrinterHandle *handle, int32_t callType, const ConversionRow *table, uint32_t filters);
int ObjectQuery(PrinterHandle *handle, int32_t callType, int32_t objectClass, const char *objectName,
                const ConversionRow *table);

/* Ends the use of the cache entry; the request stays with it. Called once
 * after every builder call, on success and failure alike. */
void ReleaseQueryResult(PrinterHandle *handle);

/* The server text that keys the cache: a handle without a server component
 * keys by the empty text, which no present component can be. */
const char *CacheServerKey(const PrinterHandle *handle);

/* The domain text that keys the cache. Domains of one name in two name
 * spaces are different domains: a NIS or DCE domain keys as its prefix, a
 * backslash and its name ("NIS:\eng"), which no domain text can be, since
 * a domain ends at a backslash; a domain of the default kind keys as its
 * name. get() is null when memory ran out. */
class CacheDomainKey {
public:
    explicit CacheDomainKey(const PrinterHandle *handle);
    ~CacheDomainKey();
    CacheDomainKey(const CacheDomainKey &) = delete;
    CacheDomainKey &operator=(const CacheDomainKey &) = delete;
    const char *get() const { return key_; }

private:
    char *made_ = nullptr;
    const char *key_ = nullptr;
};

#endif
