// qvprov: job and document records: creation of a job on its server, its
// documents, and its end (finished, cancelled or aborted), with the plug-in
// told of each step of a job it holds. Everything here runs with JobLock
// held, across every call into the client libraries and the plug-in.
#include "attributes.h"
#include "cache.h"

#include <stdlib.h>
#include <string.h>

namespace {

constexpr int32_t kLastData = 1;
// The data of an empty push: no bytes, but a real buffer.
const char kNoData[1] = {0};

// Copies a text into the record's tail; returns the next free byte.
char *PlaceText(char *tail, const char *text, char **field)
{
    if (!text) {
        *field = nullptr;
        return tail;
    }
    const size_t size = strlen(text) + 1;
    memcpy(tail, text, size);
    *field = tail;
    return tail + size;
}

size_t TextSize(const char *text)
{
    return text ? strlen(text) + 1 : 0;
}

// A zeroed record with the handle's kind and texts (domain at the very end).
JobRecord *AllocateJob(const PrinterHandle *handle)
{
    const size_t size
        = sizeof(JobRecord) + TextSize(handle->printer) + TextSize(handle->server) + TextSize(handle->domain);
    auto *job = static_cast<JobRecord *>(calloc(1, size));
    if (!job)
        return nullptr;
    char *tail = reinterpret_cast<char *>(job + 1);
    tail = PlaceText(tail, handle->printer, &job->printer);
    tail = PlaceText(tail, handle->server, &job->server);
    PlaceText(tail, handle->domain, &job->domain);
    job->domainKind = handle->domainKind;
    return job;
}

// Closes the job's requests and releases the record with what it owns.
void ReleaseJob(JobRecord *job)
{
    for (QvRequest *request : {&job->jobRequest, &job->printRequest, &job->paRequest}) {
        if (*request)
            DPACloseRequest(request);
    }
    free(job->jobIdentifier);
    free(job->address);
    free(job);
}

// Two absent texts are equal; an absent text equals no present one.
bool SameName(const char *a, const char *b)
{
    if (!a || !b)
        return a == b;
    return _stricmp(a, b) == 0;
}

// Reads the new job's instance from the print request's reply, and from it
// the job identifier. The instance is left to the caller.
QvStatus ReadJobIdentifier(JobRecord *job, ScopedValue &instance)
{
    const QvRequest request = job->printRequest;
    QvStatus status = CC_GetObjectInstance(request, 0, instance.out());
    if (status != QV_STATUS_OK)
        return status;
    ScopedValue identification(request);
    status = CC_AVGetObjIdentification(request, instance.get(), identification.out());
    if (status == QV_STATUS_OK)
        status = CC_AVGetJobIdentifier(request, identification.get(), &job->jobIdentifier);
    if (status == QV_STATUS_OK)
        status = identification.Delete();
    return status;
}

// A job whose creation failed after its print request was submitted exists
// on the server; it can be cancelled only by its identifier. When that was
// not read, one more reading of the reply is tried (a walk of the reply that
// had reached its end starts again at the first object).
void RecoverJobIdentifier(JobRecord *job)
{
    for (int attempt = 0; attempt < 2 && !job->jobIdentifier; ++attempt) {
        ScopedValue instance(job->printRequest);
        if (ReadJobIdentifier(job, instance) == QV_STATUS_OK)
            break;
    }
}

// Steps of a new job from its print request to its job number. *submitted
// tells whether the job reached the server.
QvStatus BuildJob(PrinterHandle *handle, JobRecord *job, const DOC_INFO_1A *docInfo, bool *submitted)
{
    QvStatus status = DPAOpenRequest(&job->printRequest, DPA_REQUEST_PRINT, 0);
    if (status != QV_STATUS_OK)
        return status;
    job->usePA = ReadUsePA(handle);
    status = AddJobAttributes(job, docInfo);
    if (status == QV_STATUS_OK && !job->usePA)
        status = AddEventProfile(handle);
    if (status != QV_STATUS_OK)
        return status;
    status = CC_SubmitRequest(job->printRequest);
    if (status != QV_STATUS_OK)
        return status;
    *submitted = true;

    ScopedValue instance(job->printRequest);
    status = ReadJobIdentifier(job, instance);
    if (status == QV_STATUS_OK)
        status = PrepareJobRequest(job, instance.out());
    if (status == QV_STATUS_OK && job->usePA)
        status = SubmitPlugInRequest(job);
    if (status != QV_STATUS_OK)
        return status;
    job->jobNumber = atol(job->jobIdentifier);
    // A number of 0 would read as a failed StartDocPrinter although the
    // server took the job: the job is refused instead.
    if (job->jobNumber == 0)
        return QV_STATUS_BAD_ARGUMENT;
    return QV_STATUS_OK;
}

// Ends the document's data in the print request; 0 or the failing status.
QvStatus EndDocumentData(const JobRecord *job, const DocumentRecord *document)
{
    QvStatus status = CC_FindDocument(job->printRequest, document->documentNumber);
    if (status >= 0)
        status = CC_PushDocument(job->printRequest, kNoData, 0, kLastData);
    return status;
}

// A failing status becomes the thread's last error; positive failures too,
// so that a failure never goes without one.
QvStatus Fail(QvStatus status)
{
    if (status != QV_STATUS_OK)
        MapStatus(status);
    return status;
}

} // namespace

int32_t CreateJob(PrinterHandle *handle, const DOC_INFO_1A *docInfo, JobSharing sharing)
{
    if (sharing == JobSharing::Allowed) {
        handle->job = FindSharedJob(handle);
        if (handle->job)
            return handle->job->jobNumber;
    }
    // The cancel request names the job by its server: without one, a job
    // could be made but never cancelled. Refused before any server traffic.
    if (!handle->server) {
        SetLastError(ERROR_INVALID_PRINTER_NAME);
        return 0;
    }
    JobRecord *job = AllocateJob(handle);
    if (!job) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    handle->job = job;

    bool submitted = false;
    QvStatus status = BuildJob(handle, job, docInfo, &submitted);
    if (status != QV_STATUS_OK) {
        // Cancelled at once: no half-made job stays on the server, and the
        // handle is ready for a new StartDocPrinter.
        handle->job = nullptr;
        if (submitted)
            RecoverJobIdentifier(job);
        CancelJob(job);
        Fail(status);
        return 0;
    }

    const PA_Callbacks &plugIn = g_provider.paCallbacks;
    if (job->usePA && plugIn.JobCreated) {
        int32_t answer = 0;
        int32_t ended = 0;
        {
            DeferredCompletion defer(job);
            answer = plugIn.JobCreated(job, &job->paContext);
            ended = defer.action();
        }
        if (ended) {
            // The plug-in ended the job before its first document: the
            // document has no job to go to.
            handle->job = nullptr;
            if (CompleteJobNow(job, ended) == QV_STATUS_OK)
                SetLastError(ERROR_PRINT_CANCELLED);
            return 0;
        }
        if (answer == 0) {
            job->next = g_provider.sharedJobList;
            g_provider.sharedJobList = job;
        } else {
            job->paContext = 0;
        }
    }
    return job->jobNumber;
}

QvStatus OpenJobDocument(PrinterHandle *handle, const DOC_INFO_1A *docInfo)
{
    JobRecord *job = handle->job;
    auto *document = static_cast<DocumentRecord *>(calloc(1, sizeof(DocumentRecord)));
    if (!document)
        return QV_STATUS_NO_MEMORY;
    handle->document = document;
    QvStatus status = DPAOpenDocument(job->printRequest, DPA_DOCUMENT_DEFAULT);
    if (status != QV_STATUS_OK)
        return status;
    document->documentNumber = job->documentCount + 1;
    const char *name = docInfo && docInfo->pDocName ? docInfo->pDocName : nullptr;
    status = SetDocumentName(job->printRequest, name);
    if (status != QV_STATUS_OK)
        return status;
    document->documentName = CopyText(name ? name : "{Name Unknown}");
    return document->documentName ? QV_STATUS_OK : QV_STATUS_NO_MEMORY;
}

QvStatus FinishJob(JobRecord *job)
{
    UnlinkJob(job);
    QvStatus status = QV_STATUS_OK;
    while (DocumentRecord *document = job->documents) {
        job->documents = document->next;
        if (status == QV_STATUS_OK && document->documentRequest)
            status = CC_SubmitRequest(document->documentRequest);
        DestroyDocument(document);
    }
    if (status == QV_STATUS_OK && job->jobRequest)
        status = CC_SubmitRequest(job->jobRequest);
    // A job the server was not told to print would wait there for ever.
    if (status != QV_STATUS_OK && job->jobIdentifier)
        SubmitCancelRequest(job);
    ReleaseJob(job);
    return Fail(status);
}

QvStatus CancelJob(JobRecord *job)
{
    UnlinkJob(job);
    QvStatus status = QV_STATUS_OK;
    while (DocumentRecord *document = job->documents) {
        job->documents = document->next;
        if (document->dataOpen)
            status = EndDocumentData(job, document);
        DestroyDocument(document);
    }
    if (job->jobIdentifier)
        status = SubmitCancelRequest(job);
    ReleaseJob(job);
    return Fail(status);
}

QvStatus AbortDocument(PrinterHandle *handle)
{
    LockGuard jobs(g_provider.jobLock);
    JobRecord *job = handle->job;
    DocumentRecord *document = handle->document;
    if (!job)
        return QV_STATUS_OK;
    handle->job = nullptr;
    handle->document = nullptr;

    if (!job->paContext)
        return CancelJob(job);

    const PA_Callbacks &plugIn = g_provider.paCallbacks;
    QvStatus status = QV_STATUS_OK;
    if (document) {
        for (DocumentRecord **link = &job->documents; *link; link = &(*link)->next) {
            if (*link == document) {
                *link = document->next;
                break;
            }
        }
        // The data is ended before the request that names the aborted
        // document: a server takes that request as the document's end, and
        // would refuse the end of data after it.
        if (document->dataOpen)
            status = EndDocumentData(job, document);
        SubmitAbortedDocument(document);
        int32_t ended = 0;
        if (plugIn.DocumentAborted) {
            DeferredCompletion defer(job);
            plugIn.DocumentAborted(job->paContext, document);
            ended = defer.action();
        }
        DestroyDocument(document);
        // The plug-in ended the job itself on hearing of the abort.
        if (ended)
            return CompleteJobNow(job, ended);
    }
    if (!job->documents) {
        const uintptr_t paContext = job->paContext;
        status = CancelJob(job);
        if (plugIn.JobCancelled)
            plugIn.JobCancelled(paContext);
    }
    return Fail(status);
}

void UnlinkJob(JobRecord *job)
{
    for (JobNode **node = &g_provider.leftJobs; *node; node = &(*node)->next) {
        if ((*node)->job == job) {
            JobNode *left = *node;
            *node = left->next;
            free(left);
            break;
        }
    }
    for (JobRecord **link = &g_provider.sharedJobList; *link; link = &(*link)->next) {
        if (*link == job) {
            *link = job->next;
            job->next = nullptr;
            ClearJobReferences(job);
            return;
        }
    }
}

void LeaveJobToPlugIn(JobRecord *job)
{
    auto *node = static_cast<JobNode *>(malloc(sizeof(JobNode)));
    // Without a node the job is only the plug-in's to end, as it always is
    // while the plug-in runs.
    if (!node)
        return;
    node->job = job;
    node->next = g_provider.leftJobs;
    g_provider.leftJobs = node;
}

void DestroyDocument(DocumentRecord *document)
{
    if (document->documentRequest)
        DPACloseRequest(&document->documentRequest);
    free(document->extra);
    free(document->documentName);
    ClearDocumentReferences(document);
    free(document);
}

JobRecord *FindSharedJob(PrinterHandle *handle)
{
    if (handle->job)
        return handle->job;
    for (JobRecord *job = g_provider.sharedJobList; job; job = job->next) {
        if (SameName(job->domain, handle->domain) && SameName(job->server, handle->server)
            && SameName(job->printer, handle->printer))
            return job;
    }
    return nullptr;
}

QvStatus CompleteJob(JobRecord *job, int32_t action)
{
    if (action != kCompleteFinish && action != kCompleteCancel)
        return QV_STATUS_OK;
    if (!job) {
        MapStatus(QV_STATUS_BAD_ARGUMENT);
        return QV_STATUS_BAD_ARGUMENT;
    }
    LockGuard jobs(g_provider.jobLock);
    if (job == g_provider.deferJob) {
        g_provider.deferredAction = action;
        return QV_STATUS_OK;
    }
    return CompleteJobNow(job, action);
}

QvStatus CompleteJobNow(JobRecord *job, int32_t action)
{
    return action == kCompleteFinish ? FinishJob(job) : CancelJob(job);
}

DeferredCompletion::DeferredCompletion(JobRecord *job)
    : savedJob_(g_provider.deferJob), savedAction_(g_provider.deferredAction)
{
    g_provider.deferJob = job;
    g_provider.deferredAction = 0;
}

DeferredCompletion::~DeferredCompletion()
{
    g_provider.deferJob = savedJob_;
    g_provider.deferredAction = savedAction_;
}

int32_t DeferredCompletion::action() const
{
    return g_provider.deferredAction;
}
