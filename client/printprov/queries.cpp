// qvprov: the job and printer queries (GetPrinter, EnumJobs, GetJob): one
// query request each, its result objects converted into the caller's
// buffer, and the size the answer needs.
//
// Each holds the handle's lock for its whole run, so calls on one handle
// are serialized; the cache entry that serves a call is locked by it until
// ReleaseQueryResult.
#include "entries.h"
#include "attributes.h"
#include "cache.h"
#include "query.h"

#include <stdio.h>

namespace {

constexpr size_t kJobIdTextSize = 12; // a sign and ten digits, and the terminator

BOOL Failure(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

// "QVZ_Filters" of the printer's key, read on every call; 0 when the key or
// the value cannot be read.
uint32_t ReadFilters(const PrinterHandle *handle)
{
    RegKey key(OpenPrinterKey(handle, KEY_READ));
    if (!key)
        return 0;
    DWORD filters = 0;
    DWORD size = sizeof filters;
    if (RegQueryValueExA(key.get(), "QVZ_Filters", nullptr, nullptr, reinterpret_cast<BYTE *>(&filters),
                         &size)
        != ERROR_SUCCESS)
        return 0;
    return filters;
}

// The printer's record into the cursor; the call's error code (0 for none).
// Handle's lock held.
DWORD AnswerPrinter(PrinterHandle *handle, const ConversionRow *table, BufferCursor *cursor)
{
    if (!ObjectQuery(handle, kCallGetPrinter, kClassPrinter, handle->printer, table)) {
        ReleaseQueryResult(handle);
        cursor->needed = 0;
        return ERROR_INVALID_FUNCTION;
    }
    if (!handle->queryRequest) {
        // A level that needs nothing from the server: its constant fields.
        ConvertObject(handle, cursor, table);
        ++cursor->records;
    } else {
        QvValue instance = 0;
        if (CC_GetObjectInstance(handle->queryRequest, 0, &instance) == QV_STATUS_OK) {
            ConvertObject(handle, cursor, table);
            ++cursor->records;
            CC_AVDel(handle->queryRequest, instance);
        }
    }
    ReleaseQueryResult(handle);
    if (cursor->records == 0) {
        // No printer object came back: nothing was written, and saying TRUE
        // would hand the caller a buffer it must not read.
        cursor->needed = 0;
        return ERROR_INVALID_FUNCTION;
    }
    return cursor->size < cursor->needed ? ERROR_INSUFFICIENT_BUFFER : ERROR_SUCCESS;
}

// Converts every result object of the handle's query; the walk's ending
// status (7 when it reached the end). Handle's lock held.
QvStatus ConvertAll(PrinterHandle *handle, const ConversionRow *table, BufferCursor *cursor, DWORD *returned)
{
    QvStatus status;
    while ((status = CC_GetObjectInstance(handle->queryRequest, 0, &handle->queryInstance)) == QV_STATUS_OK) {
        ConvertObject(handle, cursor, table);
        ++*returned;
        CC_AVDel(handle->queryRequest, handle->queryInstance);
        handle->queryInstance = 0;
    }
    return status;
}

const ConversionRow *JobTable(DWORD level)
{
    return level < kJobLevels ? kJobTables[level] : nullptr;
}

} // namespace

BOOL WINAPI GetPrinter(HANDLE printer, DWORD level, LPBYTE info, DWORD size, LPDWORD needed)
{
    const ConversionRow *table = level < kPrinterLevels ? kPrinterTables[level] : nullptr;
    if (!table)
        return Failure(ERROR_INVALID_LEVEL);
    HandleRef ref(printer);
    if (!ref)
        return FALSE;
    // A server handle names no printer to ask about.
    if (!ref->printer)
        return Failure(ERROR_INVALID_HANDLE);
    if (!needed)
        return Failure(ERROR_INVALID_PARAMETER);
    BufferCursor cursor;
    InitCursor(&cursor, info, size);
    DWORD error;
    {
        LockGuard hold(ref->lock);
        if (!HandleOpen(ref.get()))
            return Failure(ERROR_INVALID_HANDLE);
        error = AnswerPrinter(ref.get(), table, &cursor);
        *needed = cursor.needed;
    }
    SetLastError(error);
    return error == ERROR_SUCCESS;
}

BOOL WINAPI EnumJobs(HANDLE printer, DWORD firstJob, DWORD jobCount, DWORD level, LPBYTE jobs, DWORD size,
                     LPDWORD needed, LPDWORD returned)
{
    HandleRef ref(printer);
    if (!ref)
        return FALSE;
    PrinterHandle *handle = ref.get();
    LockGuard hold(handle->lock);
    if (!HandleOpen(handle))
        return Failure(ERROR_INVALID_HANDLE);
    const ConversionRow *table = JobTable(level);
    if (!table)
        return Failure(ERROR_INVALID_LEVEL);
    if (!needed || !returned)
        return Failure(ERROR_INVALID_PARAMETER);
    // The list names the printer: a server handle has none to list.
    if (!handle->printer)
        return Failure(ERROR_INVALID_HANDLE);

    *returned = 0;
    if (!ListQuery(handle, kCallEnumJobs, table, ReadFilters(handle))) {
        ReleaseQueryResult(handle);
        return FALSE;
    }
    BufferCursor cursor;
    InitCursor(&cursor, jobs, size);
    const QvStatus status = ConvertAll(handle, table, &cursor, returned);
    ReleaseQueryResult(handle);
    if (status != QV_STATUS_NO_MORE_OBJECTS)
        return Failure(ERROR_REM_NOT_LIST);
    *needed = cursor.needed;
    // Compared with what the cursor could write: a null buffer holds nothing,
    // whatever size came with it.
    if (cursor.needed > cursor.size) {
        *returned = 0;
        return Failure(ERROR_INSUFFICIENT_BUFFER);
    }
    return TRUE;
}

BOOL WINAPI GetJob(HANDLE printer, DWORD jobId, DWORD level, LPBYTE job, DWORD size, LPDWORD needed)
{
    HandleRef ref(printer);
    if (!ref)
        return FALSE;
    PrinterHandle *handle = ref.get();
    LockGuard hold(handle->lock);
    if (!HandleOpen(handle))
        return Failure(ERROR_INVALID_HANDLE);
    const ConversionRow *table = JobTable(level);
    if (!table)
        return Failure(ERROR_INVALID_LEVEL);
    if (!needed)
        return Failure(ERROR_INVALID_PARAMETER);
    // A job is named by its server: a handle without one cannot name it.
    if (!handle->server)
        return Failure(ERROR_INVALID_HANDLE);

    char id[kJobIdTextSize];
    snprintf(id, sizeof id, "%ld", static_cast<long>(static_cast<int32_t>(jobId)));
    if (!ObjectQuery(handle, kCallGetJob, kClassJob, id, table)) {
        ReleaseQueryResult(handle);
        return FALSE;
    }
    if (CC_GetObjectInstance(handle->queryRequest, 0, &handle->queryInstance) != QV_STATUS_OK) {
        ReleaseQueryResult(handle);
        return Failure(ERROR_REM_NOT_LIST);
    }
    BufferCursor cursor;
    InitCursor(&cursor, job, size);
    ConvertObject(handle, &cursor, table);
    CC_AVDel(handle->queryRequest, handle->queryInstance);
    handle->queryInstance = 0;
    *needed = cursor.needed;
    ReleaseQueryResult(handle);
    if (cursor.needed > cursor.size)
        return Failure(ERROR_INSUFFICIENT_BUFFER);
    return TRUE;
}
