// qvprov: job control (SetJob): pause, resume, cancel or delete a job. A job
// this process is still submitting for the printer is cancelled here; any
// other job is a job on the server, which gets one request naming it.
#include "entries.h"
#include "attributes.h"
#include "cache.h"
#include "query.h"

#include <stdio.h>

namespace {

constexpr size_t kJobIdTextSize = 12; // a sign and ten digits, and the terminator
constexpr DWORD kSetJobData = 0;      // a command that would set the job's data by level

BOOL Failure(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

bool IsCancel(DWORD command)
{
    return command == JOB_CONTROL_CANCEL || command == JOB_CONTROL_DELETE;
}

// The request type of a command for a server job; false for a command
// without one (restart and unknown commands).
bool RequestTypeOf(DWORD command, int32_t *type)
{
    switch (command) {
    case JOB_CONTROL_PAUSE:
        *type = DPA_REQUEST_PAUSE;
        return true;
    case JOB_CONTROL_RESUME:
        *type = DPA_REQUEST_RESUME;
        return true;
    case JOB_CONTROL_CANCEL:
    case JOB_CONTROL_DELETE:
        *type = DPA_REQUEST_CANCEL;
        return true;
    default:
        return false;
    }
}

// A job of this process for the handle's printer with that number: cancels
// it (the plug-in is told first when it holds it). Returns false when there
// is none. Handle's lock held.
bool ControlLocalJob(PrinterHandle *handle, int32_t jobNumber, DWORD command, BOOL *result)
{
    LockGuard jobs(g_provider.jobLock);
    JobRecord *job = FindSharedJob(handle);
    if (!job || job->jobNumber != jobNumber)
        return false;
    if (!IsCancel(command)) {
        *result = Failure(ERROR_INVALID_PARAMETER);
        return true;
    }
    if (job->paContext && g_provider.paCallbacks.JobCancelled)
        g_provider.paCallbacks.JobCancelled(job->paContext);
    if (handle->job == job) {
        handle->job = nullptr;
        handle->document = nullptr;
    }
    *result = CancelJob(job) == QV_STATUS_OK;
    return true;
}

// The request's attributes and object instance; values not handed over are
// deleted on the way out, before the caller closes the request.
QvStatus BuildControl(const PrinterHandle *handle, QvRequest request, DWORD command, const char *jobId)
{
    QvStatus status = QV_STATUS_OK;
    if (command == JOB_CONTROL_PAUSE || command == JOB_CONTROL_RESUME) {
        ScopedValue jobClass(request);
        status = CC_AVCreateIdentifier(request, jobClass.out(), kClassJob);
        if (status == QV_STATUS_OK)
            status = SetAttribute(request, kGroupJob, kAttrObjectClass, jobClass);
    }
    ScopedValue server(request);
    ScopedValue object(request);
    if (status == QV_STATUS_OK)
        status = CreateSimpleName(request, handle->server, server);
    if (status == QV_STATUS_OK)
        status = CreateJobIdentification(request, jobId, object);
    if (status == QV_STATUS_OK)
        status = AddDomainAndLocale(request, handle->domain, handle->domainKind);
    if (status == QV_STATUS_OK)
        status = SetObjectInstance(request, server, object);
    return status;
}

// One request naming the job on its server. The printer's cached job
// results are dropped before it goes, and stay dropped if it fails.
BOOL ControlServerJob(PrinterHandle *handle, DWORD jobId, DWORD command)
{
    int32_t type = 0;
    if (!RequestTypeOf(command, &type))
        return Failure(ERROR_INVALID_PARAMETER);
    char id[kJobIdTextSize];
    snprintf(id, sizeof id, "%ld", static_cast<long>(static_cast<int32_t>(jobId)));

    QvRequest request = 0;
    QvStatus status = DPAOpenRequest(&request, type, 0);
    if (status == QV_STATUS_OK)
        status = BuildControl(handle, request, command, id);
    if (status == QV_STATUS_OK) {
        const CacheDomainKey domain(handle);
        if (domain.get()) {
            CacheInvalidateJobs(domain.get(), CacheServerKey(handle), handle->printer);
            status = CC_SubmitRequest(request);
        } else {
            status = QV_STATUS_NO_MEMORY; // a stale result would outlive the change
        }
        // A job already in the state asked for is no failure.
        if (status == QV_STATUS_ALREADY_IN_STATE)
            status = QV_STATUS_OK;
    }
    if (request)
        DPACloseRequest(&request);
    if (status != QV_STATUS_OK) {
        MapStatus(status);
        return FALSE;
    }
    return TRUE;
}

} // namespace

BOOL WINAPI SetJob(HANDLE printer, DWORD jobId, DWORD level, LPBYTE job, DWORD command)
{
    HandleRef ref(printer);
    if (!ref)
        return FALSE;
    PrinterHandle *handle = ref.get();
    LockGuard hold(handle->lock);
    if (!HandleOpen(handle) || handle->queryRequest)
        return Failure(ERROR_INVALID_HANDLE);
    if (command == kSetJobData)
        return Failure(ERROR_CALL_NOT_IMPLEMENTED);
    BOOL result = FALSE;
    if (ControlLocalJob(handle, static_cast<int32_t>(jobId), command, &result))
        return result;
    // A server job is named by its server: a handle without one cannot name it.
    if (!handle->server)
        return Failure(ERROR_INVALID_HANDLE);
    return ControlServerJob(handle, jobId, command);
}
