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
constexpr int32_t kAttrPlugInAnswer = 1059; /* the one attribute the plug-in request asks for */
constexpr int32_t kSimpleNameCode = 5;

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
