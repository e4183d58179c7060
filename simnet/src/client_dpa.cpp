// qvdpa on the client side: opening and closing requests, attributes by name,
// submission through the network boundary, documents and their data.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "client.h"
#include "net.h"
#include "qvdpa.h"

using namespace qvsim;

namespace {

// Bytes of one push that cross the boundary; the server keeps no more than
// this of a document, the rest of a push is only counted.
const uint32_t kPushBytesCarried = 65536;

void PutAttributes(std::string &m, const std::vector<Attribute> &attrs)
{
    PutU32(m, (uint32_t)attrs.size());
    for (const auto &a : attrs) {
        PutU32(m, (uint32_t)a.group);
        PutU32(m, (uint32_t)a.type);
        PutU32(m, a.byName ? 1 : 0);
        PutStr(m, a.name);
        PutU32(m, (uint32_t)a.values.size());
        for (const auto &v : a.values)
            PutVal(m, v);
    }
}

std::string AttributeLine(const Attribute &a)
{
    std::string line
        = "  ATTR " + std::to_string(a.group) + " " + (a.byName ? Quote(a.name) : std::to_string(a.type));
    for (const auto &v : a.values)
        line += " " + FormatValue(v);
    return line;
}

// Journals what the server receives: type, object instance, attributes in
// the order they were set, filter items.
void JournalRequest(QvRequest handle, const RequestState &r, int32_t status)
{
    JournalLine("REQUEST " + std::to_string(handle) + " type=" + std::to_string(r.type)
                + " status=" + std::to_string(status));
    if (r.hasInstance)
        JournalLine("  INSTANCE " + FormatValue(r.instanceName) + " " + FormatValue(r.instanceId));
    for (const auto &a : r.attributes)
        JournalLine(AttributeLine(a));
    if (r.filter)
        JournalLine("  FILTER");
    for (const auto &f : r.filterItems)
        JournalLine("  ITEM " + std::to_string(f.match) + " " + std::to_string(f.type) + " "
                    + FormatValue(f.value));
    if (status == 0 && !r.results.empty())
        JournalLine("  RESULTS " + std::to_string(r.results.size()));
}

bool ReadResults(Reader &in, std::vector<ResultObject> &results)
{
    uint32_t count;
    if (!in.U32(count))
        return false;
    results.clear();
    results.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        ResultObject o;
        uint32_t attrs;
        if (!in.Value(o.instance) || !in.U32(attrs))
            return false;
        for (uint32_t k = 0; k < attrs; ++k) {
            Attribute a;
            a.group = QV_GROUP_RESULT;
            uint32_t values;
            if (!in.I32(a.type) || !in.U32(values))
                return false;
            a.values.resize(values);
            for (auto &v : a.values)
                if (!in.Value(v))
                    return false;
            o.attributes.push_back(std::move(a));
        }
        results.push_back(std::move(o));
    }
    return true;
}

// The latest document name set on a print request (attribute 320, group 15).
std::string DocumentName(const RequestState &r)
{
    const int32_t kDocumentNameType = 320, kDocumentGroup = 15;
    for (auto it = r.attributes.rbegin(); it != r.attributes.rend(); ++it)
        if (it->group == kDocumentGroup && it->type == kDocumentNameType && !it->values.empty())
            return it->values[0].text;
    return std::string();
}

} // namespace

extern "C" {

QvStatus QVAPI DPAOpenRequest(QvRequest *request, int32_t type, int32_t flags)
{
    CallScope c("DPAOpenRequest");
    c.ArgPtr(request).Arg(type).Arg(flags);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if (!request)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    switch (type) {
    case DPA_REQUEST_CANCEL:
    case DPA_REQUEST_READ_OBJECT:
    case DPA_REQUEST_NAME:
    case DPA_REQUEST_PAUSE:
    case DPA_REQUEST_LIST:
    case DPA_REQUEST_PRINT:
    case DPA_REQUEST_RESUME:
        break;
    default:
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    }
    QvRequest h = NewHandle();
    RequestState r;
    r.type = type;
    Client().requests[h] = std::move(r);
    *request = h;
    c.Out(h);
    return c.Done(0);
}

QvStatus QVAPI DPACloseRequest(QvRequest *request)
{
    CallScope c("DPACloseRequest");
    c.ArgRaw(request ? "&" + std::to_string(*request) : std::string("null"));
    int32_t s;
    if (c.Injected(&s))
        return s;
    if (!request)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    QvRequest h = *request;
    RequestState *r = FindRequest(h, c.Name());
    if (!r)
        return c.Done(QV_STATUS_BAD_HANDLE);
    ClientState &cs = Client();
    if (r->filter)
        cs.filters.erase(r->filter);
    cs.requests.erase(h);
    // Values made in this context and neither deleted nor handed over were
    // leaked by the caller; the library reclaims them, the fault is counted.
    for (auto it = cs.values.begin(); it != cs.values.end();) {
        if (it->second.context == h) {
            Fault("value " + std::to_string(it->first) + " " + FormatValue(it->second.value)
                  + " still live when its request " + std::to_string(h) + " was closed");
            it = cs.values.erase(it);
        } else {
            ++it;
        }
    }
    *request = 0;
    return c.Done(0);
}

QvStatus QVAPI DPASetAttributeType(QvRequest request, const char *attributeName, const char *valueText,
                                   int32_t valueSyntax, int32_t flags)
{
    CallScope c("DPASetAttributeType");
    c.ArgU(request).Arg(attributeName).Arg(valueText).Arg(valueSyntax).Arg(flags);
    int32_t s;
    if (c.Injected(&s))
        return s;
    RequestState *r = FindRequest(request, c.Name());
    if (!r)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (!attributeName || !*attributeName || !valueText)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    Attribute a;
    a.byName = true;
    a.name = attributeName;
    a.values.push_back(MakeText(valueText, valueSyntax));
    r->attributes.push_back(std::move(a));
    r->lastAttribute = (int32_t)r->attributes.size() - 1;
    return c.Done(0);
}

QvStatus QVAPI CC_SubmitRequest(QvRequest request)
{
    CallScope c("CC_SubmitRequest");
    c.ArgU(request);
    int32_t s;
    if (c.Injected(&s))
        return s;
    RequestState *r = FindRequest(request, c.Name());
    if (!r)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (r->type == DPA_REQUEST_PRINT && r->submitted) {
        JournalRequest(request, *r, QV_STATUS_WRONG_STATE);
        return c.Done(QV_STATUS_WRONG_STATE);
    }
    std::string m;
    PutU32(m, net::kSubmit);
    PutU32(m, (uint32_t)r->type);
    PutU32(m, r->hasInstance ? 1 : 0);
    PutVal(m, r->instanceName);
    PutVal(m, r->instanceId);
    PutAttributes(m, r->attributes);
    PutU32(m, r->filter ? 1 : 0);
    PutU32(m, (uint32_t)r->filterItems.size());
    for (const auto &f : r->filterItems) {
        PutU32(m, (uint32_t)f.match);
        PutU32(m, (uint32_t)f.type);
        PutVal(m, f.value);
    }
    std::string reply = Exchange(m);
    Reader in(reply);
    int32_t status = QV_STATUS_BAD_ARGUMENT;
    std::vector<ResultObject> results;
    if (in.I32(status) && status == 0 && !ReadResults(in, results))
        status = QV_STATUS_BAD_ARGUMENT;
    if (status == 0) {
        r->submitted = true;
        r->results = std::move(results);
        r->nextResult = 0;
        r->currentResult = -1;
        r->foundIndex = -1;
        if (r->type == DPA_REQUEST_PRINT && !r->results.empty())
            r->jobId = JobIdOf(r->results[0].instance);
    }
    JournalRequest(request, *r, status);
    return c.Done(status);
}

QvStatus QVAPI DPAOpenDocument(QvRequest printRequest, int32_t documentKind)
{
    CallScope c("DPAOpenDocument");
    c.ArgU(printRequest).Arg(documentKind);
    int32_t s;
    if (c.Injected(&s))
        return s;
    RequestState *r = FindRequest(printRequest, c.Name());
    if (!r)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (r->type != DPA_REQUEST_PRINT || !r->submitted || r->jobId.empty())
        return c.Done(QV_STATUS_WRONG_STATE);
    std::string m;
    PutU32(m, net::kOpenDocument);
    PutStr(m, r->jobId);
    Reader in(Exchange(m));
    int32_t status = QV_STATUS_BAD_ARGUMENT, number = 0;
    if (!in.I32(status) || status)
        return c.Done(status);
    if (!in.I32(number))
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    r->documents = number;
    r->documentEnded.resize(number, false);
    r->currentDocument = number;
    c.Out(number);
    return c.Done(0);
}

QvStatus QVAPI CC_FindDocument(QvRequest printRequest, int32_t documentNumber)
{
    CallScope c("CC_FindDocument");
    c.ArgU(printRequest).Arg(documentNumber);
    int32_t s;
    if (c.Injected(&s))
        return s;
    RequestState *r = FindRequest(printRequest, c.Name());
    if (!r)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (documentNumber < 1 || documentNumber > r->documents)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    r->currentDocument = documentNumber;
    return c.Done(0);
}

QvStatus QVAPI CC_PushDocument(QvRequest printRequest, const void *data, uint32_t length, int32_t last)
{
    CallScope c("CC_PushDocument");
    c.ArgU(printRequest).ArgPtr(data).ArgU(length).Arg(last);
    int32_t s;
    if (c.Injected(&s))
        return s;
    RequestState *r = FindRequest(printRequest, c.Name());
    if (!r)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (!data && length)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    int32_t doc = r->currentDocument;
    if (doc < 1 || doc > r->documents || r->documentEnded[doc - 1])
        return c.Done(QV_STATUS_WRONG_STATE);
    std::string m;
    PutU32(m, net::kPushDocument);
    PutStr(m, r->jobId);
    PutU32(m, (uint32_t)doc);
    PutU32(m, length);
    PutU32(m, last ? 1 : 0);
    PutStr(m, DocumentName(*r));
    PutStr(m, std::string((const char *)data, data ? std::min(length, kPushBytesCarried) : 0));
    Reader in(Exchange(m));
    int32_t status = QV_STATUS_BAD_ARGUMENT;
    in.I32(status);
    if (status == 0 && last)
        r->documentEnded[doc - 1] = true;
    return c.Done(status);
}

QvStatus QVAPI API__DocumentExists(const char *directory, int32_t flags)
{
    CallScope c("API__DocumentExists");
    c.Arg(directory).Arg(flags);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if (!directory)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    DWORD attrs = GetFileAttributesA(directory);
    bool exists = attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
    return c.Done(exists ? QV_STATUS_DIRECTORY_EXISTS : QV_STATUS_NO_DIRECTORY);
}

} // extern "C"
