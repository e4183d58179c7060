// qvprov: the spooler's printing entries, from StartDocPrinter to
// EndDocPrinter, over the job records of jobs.cpp.
//
// Each entry holds a counted reference to its handle for the whole call and
// does its job work under JobLock, re-checking there that the handle is still
// open: a ClosePrinter on another thread either waits for the call's job work
// or has already cancelled the job, and the call then answers
// ERROR_INVALID_HANDLE. WritePrinter hands the caller's buffer straight to
// the client library; the provider keeps no copy of document data.
#include "attributes.h"
#include "cache.h"
#include "query.h"
#include "entries.h"

namespace {

constexpr int32_t kNewJobAnswer = 1;
constexpr int32_t kFirstData = 0;
constexpr int32_t kLastData = 1;
const char kNoData[1] = {0};

// The handle is still open and has a job with its print request. JobLock held.
bool HasJob(const PrinterHandle *handle)
{
    return HandleOpen(handle) && handle->job && handle->job->printRequest;
}

// ... and an open document. JobLock held.
bool HasDocument(const PrinterHandle *handle)
{
    return HasJob(handle) && handle->document;
}

// Keyed as the queries key their results.
void InvalidateJobs(const PrinterHandle *handle)
{
    const CacheDomainKey domain(handle);
    if (domain.get())
        CacheInvalidateJobs(domain.get(), CacheServerKey(handle), handle->printer);
}

// Tells the plug-in of progress on a document of a job it holds.
void ReportProgress(const JobRecord *job, DocumentRecord *document)
{
    if (job->paContext && g_provider.paCallbacks.DocumentProgress)
        g_provider.paCallbacks.DocumentProgress(job->paContext, document);
}

// Outcome of the retry after a refused first push.
enum class Retry { Done, Failed, NoNewJob };

// The first push of a document was refused (-80). A plug-in that asks for a
// new job gets one, and the document starts again there; the old job is
// left to the plug-in. Otherwise the job is taken off the shared list (a
// plug-in job is then the plug-in's alone) and the document fails.
Retry RetryRefusedDocument(PrinterHandle *handle, const DOC_INFO_1A *docInfo, int32_t *jobNumber,
                           QvStatus *status)
{
    JobRecord *job = handle->job;
    const PA_Callbacks &plugIn = g_provider.paCallbacks;
    int32_t answer = 0;
    int32_t ended = 0;
    if (job->paContext && plugIn.QueryNewJob) {
        DeferredCompletion defer(job);
        plugIn.QueryNewJob(job->paContext, &answer);
        ended = defer.action();
    }
    if (ended) {
        // The plug-in ended the old job itself; the document is not in it.
        handle->job = nullptr;
        CompleteJobNow(job, ended);
    } else {
        UnlinkJob(job);
        if (job->paContext)
            LeaveJobToPlugIn(job);
    }
    if (answer != kNewJobAnswer) {
        *status = QV_STATUS_DOCUMENT_REFUSED;
        return Retry::Failed;
    }
    handle->job = nullptr;
    if (handle->document)
        DestroyDocument(handle->document);
    const int32_t number = CreateJob(handle, docInfo, JobSharing::NotAllowed);
    if (number == 0)
        return Retry::NoNewJob;
    *status = OpenJobDocument(handle, docInfo);
    if (*status == QV_STATUS_OK)
        *status = CC_PushDocument(handle->job->printRequest, kNoData, 0, kFirstData);
    if (*status != QV_STATUS_OK)
        return Retry::Failed;
    *jobNumber = number;
    return Retry::Done;
}

// Opens a document in the handle's job and starts its data. 0, or the
// failing status; *noJob when a retry could not make its new job (the error
// is then set already).
QvStatus StartDocument(PrinterHandle *handle, const DOC_INFO_1A *docInfo, int32_t *jobNumber, bool *noJob)
{
    QvStatus status = OpenJobDocument(handle, docInfo);
    if (status != QV_STATUS_OK)
        return status;
    status = CC_PushDocument(handle->job->printRequest, kNoData, 0, kFirstData);
    if (status == QV_STATUS_DOCUMENT_REFUSED) {
        const Retry retry = RetryRefusedDocument(handle, docInfo, jobNumber, &status);
        if (retry == Retry::NoNewJob) {
            *noJob = true;
            return QV_STATUS_OK;
        }
    }
    if (status != QV_STATUS_OK)
        return status;

    JobRecord *job = handle->job;
    DocumentRecord *document = handle->document;
    document->dataOpen = 1;
    job->documentCount += 1;
    status = PrepareDocumentRequest(job, document);
    if (status != QV_STATUS_OK)
        return status;
    document->next = job->documents;
    job->documents = document;
    if (job->paContext && g_provider.paCallbacks.DocumentStarted)
        g_provider.paCallbacks.DocumentStarted(job->paContext, document);
    return QV_STATUS_OK;
}

} // namespace

DWORD WINAPI StartDocPrinter(HANDLE printer, DWORD level, LPBYTE docInfo)
{
    HandleRef handle(printer);
    if (!handle)
        return 0;
    // A server handle names no printer to print on: refused before any
    // server traffic, as spoolers refuse a handle that is not a printer's.
    if (!handle->printer) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    // Read as DOC_INFO_1 whatever the level: only the document name is used.
    const auto *info = reinterpret_cast<const DOC_INFO_1A *>(docInfo);
    PrinterHandle *h = handle.get();
    LockGuard jobs(g_provider.jobLock);
    if (!HandleOpen(h)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    int32_t jobNumber = 0;
    if (h->job) {
        if (h->document) {
            SetLastError(ERROR_ALREADY_ASSIGNED);
            return 0;
        }
        jobNumber = h->job->jobNumber;
    } else {
        jobNumber = CreateJob(h, info, JobSharing::Allowed);
    }
    if (jobNumber == 0) {
        InvalidateJobs(h);
        return 0;
    }

    bool noJob = false;
    QvStatus status = StartDocument(h, info, &jobNumber, &noJob);
    if (noJob) {
        InvalidateJobs(h);
        return 0;
    }
    if (status != QV_STATUS_OK) {
        if (h->document)
            DestroyDocument(h->document);
        AbortDocument(h);
        InvalidateJobs(h);
        MapStatus(status);
        return 0;
    }
    InvalidateJobs(h);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(jobNumber);
}

BOOL WINAPI StartPagePrinter(HANDLE printer)
{
    return CheckJobHandle(printer) ? TRUE : FALSE;
}

BOOL WINAPI WritePrinter(HANDLE printer, LPVOID data, DWORD length, LPDWORD written)
{
    HandleRef handle(printer);
    if (!handle)
        return FALSE;
    // The spooler passes the application's pointers unchecked.
    if (!written || (!data && length)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *written = 0;
    PrinterHandle *h = handle.get();
    LockGuard jobs(g_provider.jobLock);
    if (!HasDocument(h)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    JobRecord *job = h->job;
    DocumentRecord *document = h->document;
    QvStatus status = CC_FindDocument(job->printRequest, document->documentNumber);
    if (status >= 0)
        status = CC_PushDocument(job->printRequest, data, length, kFirstData);
    if (status != QV_STATUS_OK) {
        MapStatus(status);
        return FALSE;
    }
    document->byteCount += length;
    document->dataOpen = 1;
    *written = length;
    ReportProgress(job, document);
    return TRUE;
}

BOOL WINAPI EndPagePrinter(HANDLE printer)
{
    HandleRef handle(printer);
    if (!handle)
        return FALSE;
    PrinterHandle *h = handle.get();
    LockGuard jobs(g_provider.jobLock);
    if (!HasDocument(h)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    h->document->pageCount += 1;
    ReportProgress(h->job, h->document);
    return TRUE;
}

// Nothing to abort on a handle without a job: TRUE, the last error left at ERROR_INVALID_HANDLE.
BOOL WINAPI AbortPrinter(HANDLE printer)
{
    HandleRef handle(printer);
    if (!handle)
        return TRUE;
    PrinterHandle *h = handle.get();
    LockGuard jobs(g_provider.jobLock);
    if (!HasJob(h)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return TRUE;
    }
    return AbortDocument(h) == QV_STATUS_OK ? TRUE : FALSE;
}

BOOL WINAPI EndDocPrinter(HANDLE printer)
{
    HandleRef handle(printer);
    if (!handle)
        return FALSE;
    PrinterHandle *h = handle.get();
    LockGuard jobs(g_provider.jobLock);
    if (!HasDocument(h)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    JobRecord *job = h->job;
    DocumentRecord *document = h->document;
    QvStatus status = CC_FindDocument(job->printRequest, document->documentNumber);
    if (status >= 0)
        status = CC_PushDocument(job->printRequest, kNoData, 0, kLastData);
    if (status != QV_STATUS_OK) {
        // The document cannot be ended: its job is cut short like an aborted
        // one, so that no half job stays on the server.
        AbortDocument(h);
        InvalidateJobs(h);
        MapStatus(status);
        return FALSE;
    }
    h->job = nullptr;
    h->document = nullptr;
    document->dataOpen = 0;
    BOOL result = TRUE;
    if (job->paContext) {
        // The plug-in holds the job open for further documents.
        if (g_provider.paCallbacks.DocumentEnded)
            g_provider.paCallbacks.DocumentEnded(job->paContext, document);
    } else {
        result = FinishJob(job) == QV_STATUS_OK ? TRUE : FALSE;
    }
    InvalidateJobs(h);
    return result;
}
