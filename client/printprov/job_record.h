/*
 * qvprov: the job and document records, and the operations on them. The
 * PrintAssistant plug-in reads the records by address, so each is a fixed
 * sequence of words: 32-bit words in the 32-bit build; in the 64-bit build
 * every word is pointer-sized, so that word N still sits at N times the word
 * size and a pointer or a request handle fits each.
 */
#ifndef QVPROV_JOB_RECORD_H
#define QVPROV_JOB_RECORD_H

#include "printer_handle.h"

#include <stddef.h>

/* One word of a record the plug-in reads. */
#define QV_RECORD_WORD alignas(sizeof(void *))
constexpr size_t kRecordWord = sizeof(void *);

/* Sixteen words, followed in the same block by the printer, server and domain
 * texts. Owned by its handle, or by SharedJobList while the plug-in holds it. */
struct JobRecord {
    QV_RECORD_WORD JobRecord *next; /* next job in SharedJobList */
    QV_RECORD_WORD int32_t domainKind;
    QV_RECORD_WORD char *domain;
    QV_RECORD_WORD char *server; /* null when the printer name has no server */
    QV_RECORD_WORD char *printer;
    QV_RECORD_WORD uintptr_t reserved;               /* always 0 */
    QV_RECORD_WORD QvRequest jobRequest;             /* type-8 request naming the job */
    QV_RECORD_WORD QvRequest printRequest;           /* type-11 request: attributes and all documents' data */
    QV_RECORD_WORD QvRequest paRequest;              /* type-7 request of a plug-in job */
    QV_RECORD_WORD int32_t usePA;                    /* "QVZ_Use_PA" of the printer at creation */
    QV_RECORD_WORD uintptr_t paContext;              /* the plug-in's word; 0: not a plug-in job */
    QV_RECORD_WORD char *jobIdentifier;              /* from the client library, released with free */
    QV_RECORD_WORD int32_t jobNumber;                /* leading decimal number of jobIdentifier */
    QV_RECORD_WORD char *address;                    /* Customization "Address", or null */
    QV_RECORD_WORD int32_t documentCount;            /* documents opened so far */
    QV_RECORD_WORD struct DocumentRecord *documents; /* newest first */
};
static_assert(sizeof(JobRecord) == 16 * kRecordWord, "sixteen words");
static_assert(offsetof(JobRecord, reserved) == 5 * kRecordWord, "reserved is word 6");
static_assert(offsetof(JobRecord, printRequest) == 7 * kRecordWord, "printRequest is word 8");
static_assert(offsetof(JobRecord, paContext) == 10 * kRecordWord, "paContext is word 11");
static_assert(offsetof(JobRecord, jobNumber) == 12 * kRecordWord, "jobNumber is word 13");
static_assert(offsetof(JobRecord, documents) == 15 * kRecordWord, "documents is word 16");

/* Eight words; owned by its job. */
struct DocumentRecord {
    QV_RECORD_WORD DocumentRecord *next;      /* next (older) document of the job */
    QV_RECORD_WORD QvRequest documentRequest; /* type-8 request naming the document */
    QV_RECORD_WORD void *extra;               /* released with the record */
    QV_RECORD_WORD int32_t documentNumber;    /* 1-based */
    QV_RECORD_WORD int32_t pageCount;
    QV_RECORD_WORD uint32_t byteCount;
    QV_RECORD_WORD char *documentName;
    QV_RECORD_WORD int32_t dataOpen; /* 1 while the data is open in the print request */
};
static_assert(sizeof(DocumentRecord) == 8 * kRecordWord, "eight words");
static_assert(offsetof(DocumentRecord, documentNumber) == 3 * kRecordWord, "documentNumber is word 4");
static_assert(offsetof(DocumentRecord, byteCount) == 5 * kRecordWord, "byteCount is word 6");
static_assert(offsetof(DocumentRecord, dataOpen) == 7 * kRecordWord, "dataOpen is word 8");

#ifndef _WIN64
/* The plug-in interface of the 32-bit platform: every word is 32 bits. */
static_assert(sizeof(JobRecord) == 64, "64 bytes of words");
static_assert(sizeof(DocumentRecord) == 32, "32 bytes of words");
#endif

/* Actions of CompleteJob. */
constexpr int32_t kCompleteFinish = 1;
constexpr int32_t kCompleteCancel = 2;

/* Whether CreateJob may join a job the plug-in holds open. */
enum class JobSharing { Allowed, NotAllowed };

/* ---- Job records (jobs.cpp); all with JobLock held ---- */

/* The job number of the handle's job, made (or joined) for this document;
 * 0 with the last error set when none could be made. A job whose creation
 * fails after its print request was submitted is cancelled at once, so the
 * handle is left without a job. */
int32_t CreateJob(PrinterHandle *handle, const DOC_INFO_1A *docInfo, JobSharing sharing);

/* Opens the next document of the handle's job in its print request and
 * makes it the handle's document. 0 or the first failing status. */
QvStatus OpenJobDocument(PrinterHandle *handle, const DOC_INFO_1A *docInfo);

/* Sends the document requests, then the job request, and releases the job.
 * A job that could not be finished is cancelled on the server. Maps a
 * negative status; returns it. */
QvStatus FinishJob(JobRecord *job);

/* Ends open data, sends the cancel request and releases the job. Maps a
 * negative status; returns it. */
QvStatus CancelJob(JobRecord *job);

/* Cuts short the handle's job (and document). Maps a negative status. */
QvStatus AbortDocument(PrinterHandle *handle);

/* Takes a job off SharedJobList and off every handle that points to it,
 * and off the list of jobs left to the plug-in. */
void UnlinkJob(JobRecord *job);

/* Lists a plug-in job that no document may join any more and only the
 * plug-in ends, so that detach can still cancel it when the plug-in never
 * does. The job is already unlinked. */
void LeaveJobToPlugIn(JobRecord *job);

/* Closes the document's request and releases it, off every handle. */
void DestroyDocument(DocumentRecord *document);

/* The handle's own job, or the first shared job of the handle's printer. */
JobRecord *FindSharedJob(PrinterHandle *handle);

/* The plug-in's way to end a job it holds: kCompleteFinish or kCompleteCancel;
 * any other action does nothing and returns 0. Takes JobLock itself. Called
 * from inside PA_JobCreated, PA_DocumentAborted or PA_QueryNewJob for the
 * job that entry is about, it returns 0 and the job is ended as soon as the
 * entry has returned: the provider still uses the record until then. */
QvStatus CompleteJob(JobRecord *job, int32_t action);

/* Marks a job for the length of a plug-in entry after which the provider
 * still uses its record: a CompleteJob for it meanwhile is put off, and
 * action() tells which was asked for. JobLock held. */
class DeferredCompletion {
public:
    explicit DeferredCompletion(JobRecord *job);
    ~DeferredCompletion();
    DeferredCompletion(const DeferredCompletion &) = delete;
    DeferredCompletion &operator=(const DeferredCompletion &) = delete;
    int32_t action() const;

private:
    JobRecord *savedJob_;
    int32_t savedAction_;
};

/* Carries out a CompleteJob action on a job: FinishJob or CancelJob. JobLock held. */
QvStatus CompleteJobNow(JobRecord *job, int32_t action);

#endif
