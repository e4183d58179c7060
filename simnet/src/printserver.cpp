// The simulated print servers: they answer submitted requests (print, name,
// cancel, pause, resume, read one object, list) and take document data.
#include <windows.h>

#include <algorithm>

#include "net.h"
#include "network.h"
#include "qvattr.h"
#include "qvdpa.h"

namespace qvsim {
namespace net {

namespace {

// Attribute types the servers read or answer.
enum {
    kAttrPrinterName = 244,
    kAttrRequested = 1001,
    kAttrObjectClass = 1032,
    kAttrDomain = 3009,
    kAttrJobName = 133,
    kAttrDocumentName = 320,
    kAttrJobId = 1057,
    kAttrOwner = 134,
    kAttrState = 248,
    kAttrPriority = 241,
    kAttrSubmitted = 271,
    kAttrPagesPrinted = 274,
    kAttrSize = 277,
    kAttrPosition = 278,
    kAttrProcessingTime = 283,
    kAttrTotalPages = 312,
    kAttrPrinterTitle = 649,
    kAttrComment = 105,
    kAttrLocation = 650,
    kAttrOnline = 869,
    kAttrJobCount = 3165,
    kAttrPpm = 653,
    kAttrDrivers = 3299
};
enum { kClassJob = 87, kClassPrinter = 88 };

const int32_t kJobAttrs[]
    = {kAttrJobId,        kAttrOwner, kAttrJobName,  kAttrState,          kAttrPriority,  kAttrSubmitted,
       kAttrPagesPrinted, kAttrSize,  kAttrPosition, kAttrProcessingTime, kAttrTotalPages};
const int32_t kPrinterAttrs[]
    = {kAttrPrinterTitle, kAttrComment, kAttrLocation, kAttrOnline, kAttrJobCount, kAttrPpm, kAttrDrivers};

struct InAttr {
    int32_t group = 0, type = 0;
    bool byName = false;
    std::string name;
    std::vector<Val> values;
};

struct InRequest {
    int32_t type = 0;
    bool hasInstance = false;
    Val instanceName, instanceId;
    std::vector<InAttr> attrs;
    bool filterOpen = false;
    std::vector<std::pair<int32_t, Val>> items;
};

struct OutAttr {
    int32_t type;
    std::vector<Val> values;
};

bool ReadRequest(Reader &in, InRequest &r)
{
    uint32_t has, count;
    if (!in.I32(r.type) || !in.U32(has) || !in.Value(r.instanceName) || !in.Value(r.instanceId)
        || !in.U32(count))
        return false;
    r.hasInstance = has != 0;
    for (uint32_t i = 0; i < count; ++i) {
        InAttr a;
        uint32_t byName, values;
        if (!in.I32(a.group) || !in.I32(a.type) || !in.U32(byName) || !in.Str(a.name) || !in.U32(values))
            return false;
        a.byName = byName != 0;
        for (uint32_t k = 0; k < values; ++k) {
            Val v;
            if (!in.Value(v))
                return false;
            a.values.push_back(std::move(v));
        }
        r.attrs.push_back(std::move(a));
    }
    if (!in.U32(has) || !in.U32(count))
        return false;
    r.filterOpen = has != 0;
    for (uint32_t i = 0; i < count; ++i) {
        int32_t match, type;
        Val v;
        if (!in.I32(match) || !in.I32(type) || !in.Value(v))
            return false;
        r.items.emplace_back(type, std::move(v));
    }
    return true;
}

const Val *FirstValue(const InRequest &r, int32_t group, int32_t type)
{
    for (const auto &a : r.attrs)
        if (!a.byName && a.group == group && a.type == type)
            return a.values.empty() ? nullptr : &a.values[0];
    return nullptr;
}

// The domain that attribute 3009 names: -1 when absent or unknown.
int32_t RequestDomain(const InRequest &r, int32_t *ns)
{
    const Val *dn = FirstValue(r, 0, kAttrDomain);
    if (!dn || dn->syntax != QV_SYNTAX_DIST_NAME || dn->sub.size() < 2)
        return -1;
    int32_t id = kNsDefault;
    const Val &name = dn->sub[1];
    if (name.syntax == QV_SYNTAX_NAME_OR_OID && !name.sub.empty()
        && name.sub[0].syntax == QV_SYNTAX_IDENTIFIER)
        id = (int32_t)name.sub[0].number;
    if (ns)
        *ns = id;
    return FindDomain(KindOfNamespace(id), dn->sub[0].text);
}

// The printer a request's 244 names in its domain.
int32_t RequestPrinter(const InRequest &r, int32_t &status)
{
    int32_t domain = RequestDomain(r, nullptr);
    if (domain < 0) {
        status = QV_STATUS_UNKNOWN_DOMAIN;
        return -1;
    }
    const Val *name = FirstValue(r, 0, kAttrPrinterName);
    int32_t p = name ? FindPrinter(domain, name->text) : -1;
    status = p < 0 ? QV_STATUS_UNKNOWN_PRINTER : 0;
    return p;
}

// The job an instance names on the server its name part gives.
Job *InstanceJob(const InRequest &r, int32_t &status, Server **server)
{
    if (!r.hasInstance || r.instanceName.syntax != QV_SYNTAX_SIMPLE_NAME) {
        status = QV_STATUS_UNKNOWN_SERVER;
        return nullptr;
    }
    int32_t s = FindServer(r.instanceName.text);
    if (s < 0) {
        status = QV_STATUS_UNKNOWN_SERVER;
        return nullptr;
    }
    std::string id = JobIdOf(r.instanceId);
    Job *job = id.empty() ? nullptr : FindJob(Net().servers[s], id);
    status = job ? 0 : QV_STATUS_UNKNOWN_JOB;
    if (server)
        *server = &Net().servers[s];
    return job;
}

std::vector<int32_t> Requested(const InRequest &r, const int32_t *all, size_t count)
{
    std::vector<int32_t> out;
    bool asked = false;
    for (const auto &a : r.attrs)
        if (!a.byName && a.group == 0 && a.type == kAttrRequested) {
            asked = true;
            for (const auto &v : a.values)
                if (std::find(out.begin(), out.end(), (int32_t)v.number) == out.end())
                    out.push_back((int32_t)v.number);
        }
    if (!asked)
        out.assign(all, all + count);
    return out;
}

void SimTime(uint32_t clockMs, int32_t parts[6])
{
    // New jobs are stamped from the simulated clock, counted from a fixed day.
    SYSTEMTIME base = {1998, 3, 0, 2, 10, 0, 0, 0};
    FILETIME ft;
    SystemTimeToFileTime(&base, &ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    t.QuadPart += (ULONGLONG)clockMs * 10000;
    ft.dwLowDateTime = t.LowPart;
    ft.dwHighDateTime = t.HighPart;
    SYSTEMTIME st;
    FileTimeToSystemTime(&ft, &st);
    parts[0] = st.wDay;
    parts[1] = st.wMonth;
    parts[2] = st.wYear;
    parts[3] = st.wHour;
    parts[4] = st.wMinute;
    parts[5] = st.wSecond;
}

uint32_t Position(const Server &server, const Job &job)
{
    if (CurrentState(job) == kStateCompleted)
        return 0;
    uint32_t pos = 0;
    for (const auto &j : server.jobs) {
        if (Lower(j.printer) == Lower(job.printer) && CurrentState(j) != kStateCompleted)
            ++pos;
        if (&j == &job)
            break;
    }
    return pos;
}

std::vector<OutAttr> JobAttributes(const Server &server, const Job &job, const std::vector<int32_t> &types)
{
    std::vector<OutAttr> out;
    int32_t state = CurrentState(job);
    for (int32_t t : types) {
        if (job.omit.count(t))
            continue;
        OutAttr a {t, {}};
        if (!job.empty.count(t)) {
            switch (t) {
            case kAttrJobId:
                a.values.push_back(MakeJobId(job.id));
                break;
            case kAttrOwner: {
                Val dn;
                dn.syntax = QV_SYNTAX_DIST_NAME;
                dn.sub.push_back(MakeText(job.owner));
                Val name;
                if (job.ownerNs) {
                    name.syntax = QV_SYNTAX_NAME_OR_OID;
                    name.sub.push_back(MakeNumber(QV_SYNTAX_IDENTIFIER, job.ownerNs));
                }
                dn.sub.push_back(name);
                a.values.push_back(dn);
                break;
            }
            case kAttrJobName:
                if (!job.hasName)
                    continue;
                a.values.push_back(MakeName(job.name));
                break;
            case kAttrState:
                a.values.push_back(MakeNumber(QV_SYNTAX_IDENTIFIER, state));
                break;
            case kAttrPriority:
                a.values.push_back(MakeNumber(QV_SYNTAX_PRIORITY, job.priority));
                break;
            case kAttrSubmitted: {
                if (!job.hasSubmitted)
                    continue;
                Val v;
                v.syntax = QV_SYNTAX_GENERALIZED_TIME;
                v.parts.assign(job.submitted, job.submitted + 6);
                a.values.push_back(v);
                break;
            }
            case kAttrPagesPrinted: {
                uint32_t printed = job.advancing ? (state == kStateCompleted ? job.pages : 0) : job.printed;
                a.values.push_back(MakeNumber(QV_SYNTAX_CARDINAL, printed));
                break;
            }
            case kAttrSize:
                a.values.push_back(MakeNumber(QV_SYNTAX_CARDINAL64, (int64_t)job.size));
                break;
            case kAttrPosition:
                a.values.push_back(MakeNumber(QV_SYNTAX_CARDINAL, Position(server, job)));
                break;
            case kAttrProcessingTime: {
                int32_t secs = job.processingTime;
                if (job.advancing && job.dataComplete && state != kStatePending && state != kStatePaused)
                    secs = (int32_t)((Net().clock - job.completeAt - job.pausedTotal - kPendingMs) / 1000);
                a.values.push_back(MakeNumber(QV_SYNTAX_DELTA_TIME, secs));
                break;
            }
            case kAttrTotalPages:
                a.values.push_back(MakeNumber(QV_SYNTAX_CARDINAL, job.pages));
                break;
            default:
                continue;
            }
        }
        out.push_back(std::move(a));
    }
    return out;
}

Val DriverValue(const Driver &d)
{
    Val v;
    v.syntax = QV_SYNTAX_DRIVER_INFO;
    v.number = d.version;
    v.code = d.platform;
    v.sub.resize(kDrvFirstDependent);
    for (const auto &t : d.texts)
        v.sub[t.first] = t.first == kDrvName ? MakeName(t.second) : MakeText(t.second);
    for (const auto &dep : d.dependents)
        v.sub.push_back(MakeText(dep));
    return v;
}

std::vector<OutAttr> PrinterAttributes(const Printer &p, const std::vector<int32_t> &types)
{
    std::vector<OutAttr> out;
    const Server &server = Net().servers[p.server];
    for (int32_t t : types) {
        if (p.omit.count(t))
            continue;
        OutAttr a {t, {}};
        if (!p.empty.count(t)) {
            Val desc;
            desc.syntax = QV_SYNTAX_DESCRIPTOR;
            switch (t) {
            case kAttrPrinterTitle:
                a.values.push_back(MakeName(p.name));
                break;
            case kAttrComment:
                desc.text = p.comment;
                a.values.push_back(desc);
                break;
            case kAttrLocation:
                desc.text = p.location;
                a.values.push_back(desc);
                break;
            case kAttrOnline:
                a.values.push_back(MakeNumber(QV_SYNTAX_BOOLEAN, p.online ? 1 : 0));
                break;
            case kAttrJobCount: {
                uint32_t n = 0;
                for (const auto &j : server.jobs)
                    if (Lower(j.printer) == Lower(p.name) && CurrentState(j) != kStateCompleted)
                        ++n;
                a.values.push_back(MakeNumber(QV_SYNTAX_CARDINAL, n));
                break;
            }
            case kAttrPpm:
                a.values.push_back(MakeNumber(QV_SYNTAX_POSITIVE_INTEGER, p.ppm));
                break;
            case kAttrDrivers:
                for (const auto &d : p.drivers)
                    a.values.push_back(DriverValue(d));
                break;
            default:
                continue;
            }
        }
        out.push_back(std::move(a));
    }
    return out;
}

void PutObject(std::string &out, const Val &instance, const std::vector<OutAttr> &attrs)
{
    PutVal(out, instance);
    PutU32(out, (uint32_t)attrs.size());
    for (const auto &a : attrs) {
        PutU32(out, (uint32_t)a.type);
        PutU32(out, (uint32_t)a.values.size());
        for (const auto &v : a.values)
            PutVal(out, v);
    }
}

Val JobInstance(const Server &s, const Job &j)
{
    return MakeInstance(MakeName(s.name), MakeObjId(MakeJobId(j.id)));
}

bool MatchesFilter(const InRequest &r, const Job &job)
{
    for (const auto &item : r.items) {
        const Val &v = item.second;
        if (item.first == kAttrOwner) {
            // An owner with an empty text part names the caller.
            std::string owner = v.sub.size() > 0 && v.sub[0].syntax ? v.sub[0].text : std::string();
            if (owner.empty())
                owner = Net().user;
            if (Lower(owner) != Lower(job.owner))
                return false;
        } else if (item.first == kAttrPrinterName) {
            if (Lower(v.text) != Lower(job.printer))
                return false;
        }
    }
    return true;
}

std::string Submit(Reader &in)
{
    InRequest r;
    if (!ReadRequest(in, r))
        return StatusReply(QV_STATUS_BAD_ARGUMENT);
    Network &net = Net();
    int32_t status = 0;
    std::string out;
    switch (r.type) {
    case DPA_REQUEST_PRINT: {
        int32_t ns = kNsDefault;
        RequestDomain(r, &ns);
        int32_t p = RequestPrinter(r, status);
        if (p < 0)
            return StatusReply(status);
        Server &server = net.servers[net.printers[p].server];
        Job job;
        job.number = server.nextJob++;
        job.id = std::to_string(job.number) + "-" + server.name;
        job.printer = net.printers[p].name;
        job.owner = net.user;
        job.ownerNs = ns;
        job.advancing = true;
        job.hasSubmitted = true;
        SimTime(net.clock, job.submitted);
        if (const Val *name = FirstValue(r, 1, kAttrJobName)) {
            job.hasName = true;
            job.name = name->text;
        }
        server.jobs.push_back(job);
        out = StatusReply(0);
        PutU32(out, 1);
        PutObject(out, JobInstance(server, job), {});
        return out;
    }
    case DPA_REQUEST_LIST: {
        int32_t p = RequestPrinter(r, status);
        if (p < 0)
            return StatusReply(status);
        Server &server = net.servers[net.printers[p].server];
        std::vector<int32_t> types = Requested(r, kJobAttrs, sizeof kJobAttrs / sizeof kJobAttrs[0]);
        std::string objects;
        uint32_t count = 0;
        for (const auto &j : server.jobs) {
            if (!MatchesFilter(r, j))
                continue;
            PutObject(objects, JobInstance(server, j), JobAttributes(server, j, types));
            ++count;
        }
        out = StatusReply(0);
        PutU32(out, count);
        return out + objects;
    }
    case DPA_REQUEST_READ_OBJECT: {
        const Val *cls = FirstValue(r, 0, kAttrObjectClass);
        const Val &id = r.instanceId;
        bool printer = cls ? cls->number == kClassPrinter
                           : id.syntax == QV_SYNTAX_OBJ_IDENTIFICATION && !id.sub.empty()
                && id.sub[0].syntax == QV_SYNTAX_SIMPLE_NAME;
        if (printer) {
            int32_t domain = RequestDomain(r, nullptr);
            if (domain < 0)
                return StatusReply(QV_STATUS_UNKNOWN_DOMAIN);
            std::string name
                = id.syntax == QV_SYNTAX_OBJ_IDENTIFICATION && !id.sub.empty() ? id.sub[0].text : "";
            int32_t p = name.empty() ? -1 : FindPrinter(domain, name);
            if (p < 0)
                return StatusReply(QV_STATUS_UNKNOWN_PRINTER);
            const Printer &pr = net.printers[p];
            out = StatusReply(0);
            PutU32(out, 1);
            PutObject(out, MakeInstance(MakeName(net.servers[pr.server].name), MakeObjId(MakeName(pr.name))),
                      PrinterAttributes(
                          pr, Requested(r, kPrinterAttrs, sizeof kPrinterAttrs / sizeof kPrinterAttrs[0])));
            return out;
        }
        Server *server = nullptr;
        Job *job = InstanceJob(r, status, &server);
        if (!job)
            return StatusReply(status);
        out = StatusReply(0);
        PutU32(out, 1);
        PutObject(
            out, JobInstance(*server, *job),
            JobAttributes(*server, *job, Requested(r, kJobAttrs, sizeof kJobAttrs / sizeof kJobAttrs[0])));
        return out;
    }
    case DPA_REQUEST_NAME: {
        Job *job = InstanceJob(r, status, nullptr);
        if (!job)
            return StatusReply(status);
        const Val *id = &r.instanceId;
        while (id->syntax == QV_SYNTAX_OBJ_IDENTIFICATION || id->syntax == QV_SYNTAX_OBJECT_INSTANCE)
            id = id->sub.empty() ? id : &id->sub.back();
        if (id->syntax == QV_SYNTAX_DOCUMENT_ID) {
            if (id->number < 1 || id->number > (int64_t)job->documents.size())
                return StatusReply(QV_STATUS_UNKNOWN_JOB);
            job->documents[id->number - 1].ended = true;
        } else if (!job->dataComplete) {
            job->dataComplete = true;
            job->completeAt = net.clock;
            if (job->paused)
                job->pausedAt = net.clock;
        }
        out = StatusReply(0);
        PutU32(out, 0);
        return out;
    }
    case DPA_REQUEST_CANCEL: {
        Server *server = nullptr;
        Job *job = InstanceJob(r, status, &server);
        if (!job)
            return StatusReply(status);
        server->jobs.erase(server->jobs.begin() + (job - server->jobs.data()));
        out = StatusReply(0);
        PutU32(out, 0);
        return out;
    }
    case DPA_REQUEST_PAUSE:
    case DPA_REQUEST_RESUME: {
        Job *job = InstanceJob(r, status, nullptr);
        if (!job)
            return StatusReply(status);
        bool pause = r.type == DPA_REQUEST_PAUSE;
        if (job->paused == pause)
            return StatusReply(QV_STATUS_ALREADY_IN_STATE);
        if (pause && CurrentState(*job) == kStateCompleted)
            return StatusReply(QV_STATUS_WRONG_STATE);
        if (pause) {
            job->paused = true;
            job->pausedAt = net.clock;
        } else {
            job->paused = false;
            if (job->dataComplete)
                job->pausedTotal += net.clock - job->pausedAt;
        }
        out = StatusReply(0);
        PutU32(out, 0);
        return out;
    }
    default:
        return StatusReply(QV_STATUS_BAD_ARGUMENT);
    }
}

Job *JobById(const std::string &id)
{
    for (auto &s : Net().servers)
        for (auto &j : s.jobs)
            if (j.id == id)
                return &j;
    return nullptr;
}

} // namespace

std::string HandlePrintServer(uint32_t op, Reader &in)
{
    switch (op) {
    case kSubmit:
        return Submit(in);
    case kOpenDocument: {
        std::string id;
        if (!in.Str(id))
            return StatusReply(QV_STATUS_BAD_ARGUMENT);
        Job *job = JobById(id);
        if (!job)
            return StatusReply(QV_STATUS_UNKNOWN_JOB);
        Document d;
        d.number = (int32_t)job->documents.size() + 1;
        job->documents.push_back(d);
        std::string out = StatusReply(0);
        PutU32(out, (uint32_t)d.number);
        return out;
    }
    case kPushDocument: {
        std::string id, name, bytes;
        uint32_t doc, length, last;
        if (!in.Str(id) || !in.U32(doc) || !in.U32(length) || !in.U32(last) || !in.Str(name)
            || !in.Str(bytes))
            return StatusReply(QV_STATUS_BAD_ARGUMENT);
        Job *job = JobById(id);
        if (!job || doc < 1 || doc > job->documents.size())
            return StatusReply(QV_STATUS_UNKNOWN_JOB);
        Document &d = job->documents[doc - 1];
        if (d.ended)
            return StatusReply(QV_STATUS_WRONG_STATE);
        if (d.name.empty())
            d.name = name;
        d.bytes += length;
        job->size += length;
        if (d.kept.size() < kKeptBytesPerDocument)
            d.kept.append(bytes, 0, std::min<size_t>(bytes.size(), kKeptBytesPerDocument - d.kept.size()));
        if (last)
            d.ended = true;
        return StatusReply(0);
    }
    default:
        return StatusReply(QV_STATUS_BAD_ARGUMENT);
    }
}

} // namespace net
} // namespace qvsim
