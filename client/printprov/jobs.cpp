// qvprov: job submission from StartDocPrinter to EndDocPrinter.
//
// Job creation is not in this build yet: StartDocPrinter refuses with
// ERROR_CALL_NOT_IMPLEMENTED, so no handle ever has a job, and the other
// entries answer as they do for a handle without a job.
#include "entries.h"
#include "job_record.h"

namespace {

// The handle's job and open document must be there.
bool CheckDocumentHandle(HANDLE printer)
{
    if (!CheckJobHandle(printer))
        return false;
    LockGuard jobs(g_provider.jobLock);
    if (!static_cast<PrinterHandle *>(printer)->document) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    return true;
}

} // namespace

DWORD WINAPI StartDocPrinter(HANDLE printer, DWORD level, LPBYTE docInfo)
{
    if (!CheckHandle(printer))
        return 0;
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return 0;
}

BOOL WINAPI StartPagePrinter(HANDLE printer)
{
    return CheckJobHandle(printer) ? TRUE : FALSE;
}

BOOL WINAPI WritePrinter(HANDLE printer, LPVOID data, DWORD length, LPDWORD written)
{
    if (!CheckDocumentHandle(printer))
        return FALSE;
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

BOOL WINAPI EndPagePrinter(HANDLE printer)
{
    if (!CheckDocumentHandle(printer))
        return FALSE;
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

// Nothing to abort on a handle without a job: TRUE, the last error left at ERROR_INVALID_HANDLE.
BOOL WINAPI AbortPrinter(HANDLE printer)
{
    if (!CheckJobHandle(printer))
        return TRUE;
    return AbortDocument(static_cast<PrinterHandle *>(printer)) == QV_STATUS_OK ? TRUE : FALSE;
}

BOOL WINAPI EndDocPrinter(HANDLE printer)
{
    if (!CheckDocumentHandle(printer))
        return FALSE;
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

// Cuts short the handle's job. The handle's lock is held (ClosePrinter).
QvStatus AbortDocument(PrinterHandle *handle)
{
    if (!handle->job)
        return QV_STATUS_OK;
    LockGuard jobs(g_provider.jobLock);
    handle->job = nullptr;
    handle->document = nullptr;
    return QV_STATUS_OK;
}

// The plug-in's request to finish (1) or cancel (2) a job it holds; any other
// action does nothing.
QvStatus CompleteJob(JobRecord *job, int32_t action)
{
    constexpr int32_t kFinish = 1;
    constexpr int32_t kCancel = 2;
    if (action != kFinish && action != kCancel)
        return QV_STATUS_OK;
    LockGuard jobs(g_provider.jobLock);
    // No job is ever handed to the plug-in in this build, so no record can be ours.
    MapStatus(QV_STATUS_BAD_ARGUMENT);
    return QV_STATUS_BAD_ARGUMENT;
}
