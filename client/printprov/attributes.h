/*
 * qvprov: the requests of a job and their attributes: the print request's
 * job attributes in their fixed order, the domain and locale that every
 * request carries, and the job, document, plug-in and cancel requests.
 *
 * Each function returns 0 or the first failing status; values it made and
 * could not hand to a request are deleted before it returns. Callers hold
 * JobLock (the query areas call AddDomainAndLocale under their own locks).
 */
#ifndef QVPROV_ATTRIBUTES_H
#define QVPROV_ATTRIBUTES_H

#include "job_record.h"
#include "qvattr.h"

/* Attribute types, groups and codes passed to the client library. */
constexpr int32_t kGroupJob = 0;
constexpr int32_t kGroupJobText = 1;
constexpr int32_t kGroupDocument = 15;
constexpr int32_t kGroupLocale = 21;
constexpr int32_t kAttrDocumentName = 320;       /* group 15: the document's name */
constexpr int32_t kAttrJobName = 133;            /* group 1: DOC_INFO_1's document name */
constexpr int32_t kAttrPrinterName = 244;        /* group 0 */
constexpr int32_t kAttrSubmissionTimeout = 3030; /* group 1: delta time */
constexpr int32_t kAttrFalseFlag = 1010;         /* group 0: boolean, false on every job */
constexpr int32_t kAttrDomain = 3009;            /* group 0: distinguished-name string */
constexpr int32_t kAttrLocale = 98;              /* group 21 */
constexpr int32_t kAttrPagesDone = 588;          /* group 0: pages of an aborted document */
constexpr int32_t kAttrDocumentState = 352;      /* group 0: 0 for an aborted document */
constexpr int32_t kAttrObjectClass = 1032;       /* group 0: identifier */
constexpr int32_t kAttrRequested = 1001;         /* group 0: identifiers asked for */
constexpr int32_t kClassJob = 87;
constexpr int32_t kClassPrinter = 88;
constexpr int32_t kAttrPlugInAnswer = 1059; /* the one attribute the plug-in request asks for */
constexpr int32_t kSimpleNameCode = 5;

/* Attributes the queries ask for and convert (group 2: the current result
 * object), with the syntax each is read as. */
constexpr int32_t kAttrPrinterComment = 105;   /* descriptor */
constexpr int32_t kAttrJobOwner = 134;         /* distinguished name; also a filter item */
constexpr int32_t kAttrJobPriority = 241;      /* priority */
constexpr int32_t kAttrJobState = 248;         /* identifier, 249 to 260 */
constexpr int32_t kAttrJobSubmitted = 271;     /* generalized time */
constexpr int32_t kAttrPagesPrinted = 274;     /* cardinal */
constexpr int32_t kAttrJobSize = 277;          /* 64-bit cardinal, bytes */
constexpr int32_t kAttrJobPosition = 278;      /* cardinal */
constexpr int32_t kAttrJobTime = 283;          /* delta time */
constexpr int32_t kAttrTotalPages = 312;       /* cardinal */
constexpr int32_t kAttrPrinterObjectName = 649; /* simple name */
constexpr int32_t kAttrPrinterLocation = 650;  /* descriptor */
constexpr int32_t kAttrPagesPerMinute = 653;   /* positive integer */
constexpr int32_t kAttrPrinterState = 869;     /* boolean: false marks the printer offline */
constexpr int32_t kAttrJobIdentifier = 1057;   /* job identifier */
constexpr int32_t kAttrJobCount = 3165;        /* cardinal */
constexpr int32_t kAttrDriverList = 3299;      /* driver descriptions, one per client platform */
constexpr int32_t kPlatformWin95 = 3301;       /* this client's platform in a driver description */

/* Job states (the identifiers of attribute 248). */
constexpr int32_t kJobStateUnknown = 249;
constexpr int32_t kJobStatePreProcessing = 250;
constexpr int32_t kJobStatePending = 251;
constexpr int32_t kJobStateProcessing = 252;
constexpr int32_t kJobStateInterrupted = 253;
constexpr int32_t kJobStateRetained = 254;
constexpr int32_t kJobStateHeld = 255;
constexpr int32_t kJobStatePaused = 256;
constexpr int32_t kJobStateTerminating = 257;
constexpr int32_t kJobStateError = 258;
constexpr int32_t kJobStateCompleted = 259;
constexpr int32_t kJobStatePrinting = 260;

/* Protocol numbers of the query requests. */
constexpr int32_t kFilterEquals = 2; /* third argument of CC_SetFilterItem */

/* Name-space identifiers by domain kind. */
constexpr int32_t kNameSpaceNis = 3044;
constexpr int32_t kNameSpaceDce = 3042;
constexpr int32_t kNameSpaceNt = 3051;

/* A value of a request's context, deleted when it goes out of scope unless
 * it was handed over (release) or deleted (Delete). */
class ScopedValue {
public:
    explicit ScopedValue(QvContext context) : context_(context) { }
    ~ScopedValue()
    {
        if (value_)
            CC_AVDel(context_, value_);
    }
    ScopedValue(const ScopedValue &) = delete;
    ScopedValue &operator=(const ScopedValue &) = delete;
    QvValue *out() { return &value_; }
    QvValue get() const { return value_; }
    /* The value was handed to a request: it is no longer ours. */
    QvValue release()
    {
        QvValue value = value_;
        value_ = 0;
        return value;
    }
    QvStatus Delete()
    {
        QvStatus status = CC_AVDel(context_, value_);
        value_ = 0;
        return status;
    }

private:
    QvContext context_;
    QvValue value_ = 0;
};

/* Hands value to the request as attribute type of group; the value is the
 * request's once this succeeds. */
QvStatus SetAttribute(QvRequest request, int32_t group, int32_t type, ScopedValue &value);

/* A simple name (code 5) of a fresh copy of text, made in the request's context. */
QvStatus CreateSimpleName(QvRequest request, const char *text, ScopedValue &value);

/* Names the request's target by the two values (either may be empty); both
 * are the request's once this succeeds. */
QvStatus SetObjectInstance(QvRequest request, ScopedValue &name, ScopedValue &identification);

/* The identification of a job identifier text; the job identifier value made
 * on the way is deleted. */
QvStatus CreateJobIdentification(QvRequest request, const char *jobIdentifier, ScopedValue &identification);

/* The name-space identifier of a domain kind. */
int32_t NameSpaceOf(int32_t domainKind);

/* Attribute 3009 (the domain in its name space) and, when the library knows
 * the user's default locale, attribute 98. */
QvStatus AddDomainAndLocale(QvRequest request, const char *domain, int32_t domainKind);

/* The user's details from the Customization key, by attribute name, and the
 * postal address kept on the job; never fails (customization.cpp). */
QvStatus AddCustomization(JobRecord *job);

/* Attribute 123: the notification profiles the printer's key asks for, on
 * the print request of the handle's job (notification.cpp). */
QvStatus AddEventProfile(PrinterHandle *handle);

/* Where AddEventProfile takes this machine's host name from (gethostname),
 * and what runs between its two registry passes (nothing). The library never
 * changes them; tests set their own to reach a machine without a readable
 * host name and a registry that changes between the passes. */
typedef int(PASCAL *HostNameSource)(char *name, int size);
struct EventProfileHooks {
    HostNameSource hostName;
    void (*betweenPasses)(void);
};
extern EventProfileHooks g_eventProfileHooks;

/* The job attributes of a new job's print request, in their order. */
QvStatus AddJobAttributes(JobRecord *job, const DOC_INFO_1A *docInfo);

/* Attribute 320 in group 15: the name of the document just opened. */
QvStatus SetDocumentName(QvRequest printRequest, const char *name);

/* Opens the job's type-8 job request naming the job by its server and the
 * print request's reply instance, which is handed over (the word is cleared
 * once the request holds it). */
QvStatus PrepareJobRequest(JobRecord *job, QvValue *instance);

/* Opens the document's type-8 request naming it by the job identifier and
 * its number. */
QvStatus PrepareDocumentRequest(JobRecord *job, DocumentRecord *document);

/* Opens and submits the type-7 request whose reply the plug-in reads. */
QvStatus SubmitPlugInRequest(JobRecord *job);

/* On an abort of a plug-in job's document: its page count and state 0. */
void SubmitAbortedDocument(DocumentRecord *document);

/* Sends the type-0 request that cancels the job on its server. */
QvStatus SubmitCancelRequest(const JobRecord *job);

#endif
