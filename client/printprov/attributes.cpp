// qvprov: the attributes of a job's requests and the requests that name a
// job, its documents, the plug-in's view of it and its cancellation.
#include "attributes.h"

#include <stdlib.h>
#include <string.h>

namespace {

constexpr int32_t kNoTimeout = -1;
constexpr int32_t kFalse = 0;
const char kUnknownDocumentName[] = "{Name Unknown}";

} // namespace

// Hands a value to the request as one attribute; the value is the request's
// from then on.
QvStatus SetAttribute(QvRequest request, int32_t group, int32_t type, ScopedValue &value)
{
    QvStatus status = CC_SetAttributeType(request, group, type, value.get(), nullptr);
    if (status == QV_STATUS_OK)
        value.release();
    return status;
}

// A simple name (code 5) of a copy of text, made in the request's context.
QvStatus CreateSimpleName(QvRequest request, const char *text, ScopedValue &value)
{
    char *copy = CopyText(text);
    if (!copy)
        return QV_STATUS_NO_MEMORY;
    QvStatus status = CC_AVCreateSimpleName(request, value.out(), kSimpleNameCode, copy,
                                            static_cast<int32_t>(strlen(copy)));
    free(copy);
    return status;
}

// Names the request's target: the server by name, and the identification.
// Both values are the request's once this succeeds.
QvStatus SetObjectInstance(QvRequest request, ScopedValue &name, ScopedValue &identification)
{
    QvStatus status = CC_SetObjectInstance(request, name.get(), identification.get());
    if (status == QV_STATUS_OK) {
        name.release();
        identification.release();
    }
    return status;
}

// The identification of a job identifier, made in the request's context.
QvStatus CreateJobIdentification(QvRequest request, const char *jobIdentifier, ScopedValue &identification)
{
    ScopedValue id(request);
    QvStatus status = CC_AVCreateJobIdentifier(request, id.out(), jobIdentifier);
    if (status == QV_STATUS_OK)
        status = CC_AVCreateObjIdentification(request, identification.out(), id.get());
    return status;
}

int32_t NameSpaceOf(int32_t domainKind)
{
    switch (domainKind) {
    case NS_KIND_NIS:
        return kNameSpaceNis;
    case NS_KIND_DCE:
        return kNameSpaceDce;
    default:
        return kNameSpaceNt;
    }
}

QvStatus AddDomainAndLocale(QvRequest request, const char *domain, int32_t domainKind)
{
    ScopedValue identifier(request);
    ScopedValue nameSpace(request);
    ScopedValue text(request);
    ScopedValue distName(request);
    QvStatus status = CC_AVCreateIdentifier(request, identifier.out(), NameSpaceOf(domainKind));
    if (status == QV_STATUS_OK)
        status = CC_AVCreateNameOrOID(request, nameSpace.out(), identifier.get());
    if (status == QV_STATUS_OK)
        status = identifier.Delete();
    if (status != QV_STATUS_OK)
        return status;

    char *copy = CopyText(domain);
    if (!copy)
        return QV_STATUS_NO_MEMORY;
    status = CC_AVCreateText(request, text.out(), kSimpleNameCode, copy, 0);
    free(copy);
    if (status == QV_STATUS_OK)
        status = CC_AVCreateDistNameString(request, distName.out(), text.get(), nameSpace.get());
    if (status == QV_STATUS_OK)
        status = text.Delete();
    if (status == QV_STATUS_OK)
        status = nameSpace.Delete();
    if (status == QV_STATUS_OK)
        status = SetAttribute(request, kGroupJob, kAttrDomain, distName);
    if (status != QV_STATUS_OK)
        return status;

    // A locale the library does not know: the request goes without one.
    QvLocaleRecord locale;
    if (I18N_GetDPALocaleFromLCID(request, GetUserDefaultLCID(), &locale) != QV_STATUS_OK)
        return QV_STATUS_OK;
    ScopedValue localeValue(request);
    const uint32_t *part = locale.part;
    status = CC_AVCreateLocale(request, localeValue.out(), part[0], part[1], part[2], part[3], part[4],
                               part[5], part[6]);
    if (status == QV_STATUS_OK)
        status = SetAttribute(request, kGroupLocale, kAttrLocale, localeValue);
    return status;
}

// In this order: the customization attributes, the submission time-out, the
// false flag, the domain and locale, the printer and the job's name. The
// notification profile of a job without the plug-in follows (CreateJob).
QvStatus AddJobAttributes(JobRecord *job, const DOC_INFO_1A *docInfo)
{
    const QvRequest request = job->printRequest;
    QvStatus status = AddCustomization(job);
    if (g_provider.jobSubmissionTimeout != kNoTimeout) {
        ScopedValue timeout(request);
        status = CC_AVCreateDeltaTime(request, timeout.out(), g_provider.jobSubmissionTimeout);
        if (status == QV_STATUS_OK)
            status = SetAttribute(request, kGroupJobText, kAttrSubmissionTimeout, timeout);
        if (status != QV_STATUS_OK)
            return status;
    }

    ScopedValue flag(request);
    status = CC_AVCreateBoolean(request, flag.out(), kFalse);
    if (status == QV_STATUS_OK)
        status = SetAttribute(request, kGroupJob, kAttrFalseFlag, flag);
    if (status != QV_STATUS_OK)
        return status;

    // The printer's name is made before the domain and locale and set after
    // them, so 3009 and 98 precede 244 on the request.
    ScopedValue printer(request);
    status = CreateSimpleName(request, job->printer, printer);
    if (status == QV_STATUS_OK)
        status = AddDomainAndLocale(request, job->domain, job->domainKind);
    if (status == QV_STATUS_OK)
        status = SetAttribute(request, kGroupJob, kAttrPrinterName, printer);
    if (status != QV_STATUS_OK)
        return status;

    if (docInfo && docInfo->pDocName) {
        ScopedValue name(request);
        status = CreateSimpleName(request, docInfo->pDocName, name);
        if (status == QV_STATUS_OK)
            status = SetAttribute(request, kGroupJobText, kAttrJobName, name);
    }
    return status;
}

QvStatus SetDocumentName(QvRequest printRequest, const char *name)
{
    ScopedValue value(printRequest);
    QvStatus status = CreateSimpleName(printRequest, name ? name : kUnknownDocumentName, value);
    if (status == QV_STATUS_OK)
        status = SetAttribute(printRequest, kGroupDocument, kAttrDocumentName, value);
    return status;
}

QvStatus PrepareJobRequest(JobRecord *job, QvValue *instance)
{
    QvStatus status = DPAOpenRequest(&job->jobRequest, DPA_REQUEST_NAME, 0);
    if (status != QV_STATUS_OK)
        return status;
    const QvRequest request = job->jobRequest;
    ScopedValue name(request);
    status = CreateSimpleName(request, job->server, name);
    if (status == QV_STATUS_OK)
        status = AddDomainAndLocale(request, job->domain, job->domainKind);
    if (status == QV_STATUS_OK) {
        status = CC_SetObjectInstance(request, name.get(), *instance);
        if (status == QV_STATUS_OK) {
            name.release();
            *instance = 0; // the request's now
        }
    }
    return status;
}

QvStatus PrepareDocumentRequest(JobRecord *job, DocumentRecord *document)
{
    QvStatus status = DPAOpenRequest(&document->documentRequest, DPA_REQUEST_NAME, 0);
    if (status != QV_STATUS_OK)
        return status;
    const QvRequest request = document->documentRequest;
    ScopedValue name(request);
    ScopedValue documentId(request);
    ScopedValue identification(request);
    status = CreateSimpleName(request, job->server, name);
    if (status == QV_STATUS_OK)
        status
            = CC_AVCreateDocumentId(request, documentId.out(), job->jobIdentifier, &document->documentNumber);
    if (status == QV_STATUS_OK)
        status = CC_AVCreateObjIdentification(request, identification.out(), documentId.get());
    if (status == QV_STATUS_OK)
        status = documentId.Delete();
    if (status == QV_STATUS_OK)
        status = AddDomainAndLocale(request, job->domain, job->domainKind);
    if (status == QV_STATUS_OK)
        status = SetObjectInstance(request, name, identification);
    return status;
}

QvStatus SubmitPlugInRequest(JobRecord *job)
{
    QvStatus status = DPAOpenRequest(&job->paRequest, DPA_REQUEST_READ_OBJECT, 0);
    if (status != QV_STATUS_OK)
        return status;
    const QvRequest request = job->paRequest;
    status = AddDomainAndLocale(request, job->domain, job->domainKind);
    ScopedValue objectClass(request);
    if (status == QV_STATUS_OK)
        status = CC_AVCreateIdentifier(request, objectClass.out(), kClassJob);
    if (status == QV_STATUS_OK)
        status = SetAttribute(request, kGroupJob, kAttrObjectClass, objectClass);
    ScopedValue asked(request);
    if (status == QV_STATUS_OK)
        status = CC_AVCreateIdentifier(request, asked.out(), kAttrPlugInAnswer);
    if (status == QV_STATUS_OK)
        status = SetAttribute(request, kGroupJob, kAttrRequested, asked);
    ScopedValue name(request);
    ScopedValue identification(request);
    if (status == QV_STATUS_OK)
        status = CreateSimpleName(request, job->server, name);
    if (status == QV_STATUS_OK)
        status = CreateJobIdentification(request, job->jobIdentifier, identification);
    if (status == QV_STATUS_OK)
        status = SetObjectInstance(request, name, identification);
    if (status == QV_STATUS_OK)
        status = CC_SubmitRequest(request);
    // The reply stays in the request for the plug-in to read.
    if (status == QV_STATUS_OK)
        status = CC_GetObjectInstance(request, 0, nullptr);
    return status;
}

// The statuses are not examined: the document goes whatever the server says.
void SubmitAbortedDocument(DocumentRecord *document)
{
    const QvRequest request = document->documentRequest;
    if (!request)
        return;
    ScopedValue pages(request);
    if (CC_AVCreateCardinal(request, pages.out(), static_cast<uint32_t>(document->pageCount)) == QV_STATUS_OK)
        SetAttribute(request, kGroupJob, kAttrPagesDone, pages);
    ScopedValue state(request);
    if (CC_AVCreateCardinal(request, state.out(), 0) == QV_STATUS_OK)
        SetAttribute(request, kGroupJob, kAttrDocumentState, state);
    CC_SubmitRequest(request);
}

QvStatus SubmitCancelRequest(const JobRecord *job)
{
    QvRequest request = 0;
    QvStatus status = DPAOpenRequest(&request, DPA_REQUEST_CANCEL, 0);
    if (status != QV_STATUS_OK)
        return status;
    {
        ScopedValue name(request);
        ScopedValue identification(request);
        status = CreateSimpleName(request, job->server, name);
        if (status == QV_STATUS_OK)
            status = CreateJobIdentification(request, job->jobIdentifier, identification);
        if (status == QV_STATUS_OK)
            status = AddDomainAndLocale(request, job->domain, job->domainKind);
        if (status == QV_STATUS_OK)
            status = SetObjectInstance(request, name, identification);
        if (status == QV_STATUS_OK)
            status = CC_SubmitRequest(request);
    }
    DPACloseRequest(&request);
    return status;
}
