// qvprov: the list and object query requests, built from a conversion
// table, answered from the result cache while a live result is there.
#include "query.h"
#include "attributes.h"
#include "cache.h"

#include <stdlib.h>
#include <string.h>

namespace {

// Whether any row before the terminator names an attribute type.
bool NamesAttribute(const ConversionRow *table)
{
    for (const ConversionRow *row = table; row->convert; ++row) {
        if (row->type != 0)
            return true;
    }
    return false;
}

// Serves the query from a cache entry locked by this thread. Its result is
// read again from the first object: the walk is run on to its end, after
// which the next call starts at the first object.
void UseEntry(PrinterHandle *handle, CacheEntry *entry)
{
    while (CC_GetObjectInstance(entry->request, 0, nullptr) == QV_STATUS_OK) { }
    handle->cacheEntry = entry;
    handle->queryRequest = entry->request;
}

// Attribute 1001: one identifier per row that names a type, in row order
// (a type that two rows name is asked for twice).
QvStatus RequestAttributes(QvRequest request, const ConversionRow *table)
{
    const int32_t syntax = QV_SYNTAX_IDENTIFIER;
    QvStatus status = CC_SetAttributeType(request, kGroupJob, kAttrRequested, 0, &syntax);
    for (const ConversionRow *row = table; status == QV_STATUS_OK && row->convert; ++row) {
        if (row->type == 0)
            continue;
        ScopedValue id(request);
        status = CC_AVCreateIdentifier(request, id.out(), static_cast<int32_t>(row->type));
        if (status == QV_STATUS_OK)
            status = CC_AppendValue(request, id.get());
        if (status == QV_STATUS_OK)
            id.release();
    }
    return status;
}

// The filter of a list request. Its failure sets the last error but does
// not stop the query: the request goes without the items not added.
void AddFilter(QvRequest request, uint32_t filters)
{
    if (filters == 0)
        return;
    QvFilter filter = 0;
    QvStatus status = CC_OpenFilter(request, 0, 0, &filter);
    if (status == QV_STATUS_OK && (filters & kFilterOwnJobs)) {
        // A distinguished name with both parts empty names the caller.
        ScopedValue owner(request);
        status = CC_AVCreateDistNameString(request, owner.out(), 0, 0);
        if (status == QV_STATUS_OK)
            status = CC_SetFilterItem(request, filter, kFilterEquals, kAttrJobOwner, owner.get());
        if (status == QV_STATUS_OK)
            owner.release();
    }
    if (status == QV_STATUS_OK && (filters & kFilterThisPrinter)) {
        ScopedValue printer(request);
        status = CC_FindAttributeType(request, kGroupJob, 0, kAttrPrinterName);
        if (status == QV_STATUS_OK)
            status = CC_GetValueIncr(request, kGroupJob, printer.out());
        if (status == QV_STATUS_OK)
            status = CC_SetFilterItem(request, filter, kFilterEquals, kAttrPrinterName, printer.get());
        if (status == QV_STATUS_OK)
            printer.release();
    }
    if (status != QV_STATUS_OK)
        MapStatus(status);
}

// The attributes of a list request; values not handed over are deleted on
// the way out, before the caller may close the request.
QvStatus BuildList(const PrinterHandle *handle, QvRequest request, const ConversionRow *table,
                   uint32_t filters)
{
    ScopedValue printer(request);
    QvStatus status = CreateSimpleName(request, handle->printer, printer);
    if (status == QV_STATUS_OK)
        status = AddDomainAndLocale(request, handle->domain, handle->domainKind);
    if (status == QV_STATUS_OK)
        status = SetAttribute(request, kGroupJob, kAttrPrinterName, printer);
    if (status == QV_STATUS_OK)
        status = RequestAttributes(request, table);
    if (status == QV_STATUS_OK)
        AddFilter(request, filters);
    return status;
}

// The attributes and object instance of an object request. A job is named
// by its server and its identifier, a printer by its name alone; without an
// object name, the server alone is named.
QvStatus BuildObject(const PrinterHandle *handle, QvRequest request, int32_t objectClass,
                     const char *objectName, const ConversionRow *table)
{
    ScopedValue classValue(request);
    QvStatus status = CC_AVCreateIdentifier(request, classValue.out(), objectClass);
    if (status == QV_STATUS_OK)
        status = SetAttribute(request, kGroupJob, kAttrObjectClass, classValue);
    if (status == QV_STATUS_OK)
        status = RequestAttributes(request, table);
    if (status != QV_STATUS_OK)
        return status;

    ScopedValue server(request);
    ScopedValue object(request);
    if (objectName && *objectName) {
        ScopedValue name(request);
        if (objectClass == kClassJob) {
            status = CC_AVCreateJobIdentifier(request, name.out(), objectName);
            if (status == QV_STATUS_OK)
                status = CreateSimpleName(request, handle->server, server);
        } else {
            status = CreateSimpleName(request, objectName, name);
        }
        if (status == QV_STATUS_OK)
            status = CC_AVCreateObjIdentification(request, object.out(), name.get());
        if (status == QV_STATUS_OK)
            status = name.Delete();
    } else {
        status = CreateSimpleName(request, handle->server, server);
    }
    if (status == QV_STATUS_OK)
        status = AddDomainAndLocale(request, handle->domain, handle->domainKind);
    if (status == QV_STATUS_OK)
        status = SetObjectInstance(request, server, object);
    return status;
}

// A builder's failure: the request is closed (it never reached the cache)
// and the status becomes the last error.
int FailQuery(PrinterHandle *handle, QvStatus status)
{
    if (handle->queryRequest)
        DPACloseRequest(&handle->queryRequest);
    MapStatus(status);
    return 0;
}

} // namespace

const char *CacheServerKey(const PrinterHandle *handle)
{
    return handle->server ? handle->server : "";
}

CacheDomainKey::CacheDomainKey(const PrinterHandle *handle)
{
    const char *prefix = NameServicePrefix(handle->domainKind);
    if (!*prefix || !handle->domain) {
        key_ = handle->domain;
        return;
    }
    const size_t prefixLength = strlen(prefix);
    const size_t domainLength = strlen(handle->domain);
    made_ = static_cast<char *>(malloc(prefixLength + 1 + domainLength + 1));
    if (!made_)
        return;
    memcpy(made_, prefix, prefixLength);
    made_[prefixLength] = '\\';
    memcpy(made_ + prefixLength + 1, handle->domain, domainLength + 1);
    key_ = made_;
}

CacheDomainKey::~CacheDomainKey()
{
    free(made_);
}

int ListQuery(PrinterHandle *handle, int32_t callType, const ConversionRow *table, uint32_t filters)
{
    if (!NamesAttribute(table))
        return 1;
    const char *server = CacheServerKey(handle);
    const CacheDomainKey domain(handle);
    if (!domain.get())
        return FailQuery(handle, QV_STATUS_NO_MEMORY);
    if (CacheEntry *entry
        = CacheLookupList(callType, domain.get(), server, table, handle->printer, filters)) {
        UseEntry(handle, entry);
        return 1;
    }
    QvStatus status = DPAOpenRequest(&handle->queryRequest, DPA_REQUEST_LIST, 0);
    if (status == QV_STATUS_OK)
        status = BuildList(handle, handle->queryRequest, table, filters);
    if (status == QV_STATUS_OK)
        status = CC_SubmitRequest(handle->queryRequest);
    if (status != QV_STATUS_OK)
        return FailQuery(handle, status);
    CacheEntry *entry = CacheInsertList(handle->queryRequest, callType, domain.get(), server, table,
                                        handle->printer, filters);
    if (!entry)
        return FailQuery(handle, QV_STATUS_NO_MEMORY);
    handle->cacheEntry = entry; // the request is the entry's from now on
    return 1;
}

int ObjectQuery(PrinterHandle *handle, int32_t callType, int32_t objectClass, const char *objectName,
                const ConversionRow *table)
{
    if (!NamesAttribute(table))
        return 1;
    const char *server = CacheServerKey(handle);
    const CacheDomainKey domain(handle);
    if (!domain.get())
        return FailQuery(handle, QV_STATUS_NO_MEMORY);
    if (CacheEntry *entry
        = CacheLookupObject(callType, domain.get(), server, table, objectClass, objectName)) {
        UseEntry(handle, entry);
        return 1;
    }
    QvStatus status = DPAOpenRequest(&handle->queryRequest, DPA_REQUEST_READ_OBJECT, 0);
    if (status == QV_STATUS_OK)
        status = BuildObject(handle, handle->queryRequest, objectClass, objectName, table);
    if (status == QV_STATUS_OK)
        status = CC_SubmitRequest(handle->queryRequest);
    if (status != QV_STATUS_OK)
        return FailQuery(handle, status);
    CacheEntry *entry = CacheInsertObject(handle->queryRequest, callType, domain.get(), server, table,
                                          objectClass, objectName);
    if (!entry)
        return FailQuery(handle, QV_STATUS_NO_MEMORY);
    handle->cacheEntry = entry;
    return 1;
}

void ReleaseQueryResult(PrinterHandle *handle)
{
    if (!handle->cacheEntry)
        return;
    CacheRelease(handle->cacheEntry);
    handle->cacheEntry = nullptr;
    handle->queryRequest = 0;
}
