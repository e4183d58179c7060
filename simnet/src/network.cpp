// The simulated network: its model, the text description that builds it,
// the built-in default network, the boundary's dispatch and the control calls.
#include "network.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "net.h"
#include "qvattr.h"
#include "qvdpa.h"

namespace qvsim {
namespace net {

namespace {

Network *g_net = new Network(); // never destroyed: DLL unload order must not matter

const char kDefaultNetwork[]
    = "# The built-in default network.\n"
      "user qvuser\n"
      "kinds 0 1 2\n"
      "pgr pgr.corp.example\n"
      "eventport 71214\n"
      "\n"
      "domain 2 corp\n"
      "server srv1\n"
      "server srv2\n"
      "printer lp1 srv1 comment=\"First floor laser\" location=\"Building A, room 101\" ppm=12\n"
      "driver 3301 version=4 name=\"Tamsell LaserWriter 4\" path=\"C:\\WINDOWS\\SYSTEM\\TLASER4.DRV\" "
      "data=\"C:\\WINDOWS\\SYSTEM\\TLASER4.PPD\" config=\"TLUI.DLL\" help=\"C:\\WINDOWS\\HELP\\TLASER.HLP\" "
      "deps=\"C:\\WINDOWS\\SYSTEM\\TLASER4.DRV,TLUI.DLL,TLRES.DLL\" monitor=\"\" type=\"RAW\"\n"
      "driver 3050 version=2 name=\"Tamsell LaserWriter 4 (NT)\" path=\"tlaser4.dll\" data=\"tlaser4.ppd\" "
      "config=\"tlui4.dll\" help=\"tlaser.hlp\" deps=\"tlaser4.dll\" type=\"RAW\"\n"
      "driver 886 version=1 name=\"laser4\" path=\"/usr/lib/qv/laser4\"\n"
      "job owner=ann name=\"Budget 1998.xls\" state=printing size=40960 pages=4 printed=1 priority=1 "
      "submitted=\"1998-03-02 09:15:00\" time=30\n"
      "job owner=bob name=\"memo.doc\" state=pending size=2048 pages=1 priority=2 "
      "submitted=\"1998-03-02 09:16:10\"\n"
      "job owner=ann name=\"chart.ps\" state=paused size=123456 pages=7 priority=1 "
      "submitted=\"1998-03-02 09:20:00\"\n"
      "printer lp2 srv1 comment=\"Colour printer\" location=\"Building A, room 204\" ppm=4 online=0\n"
      "driver 3301 version=4 name=\"Tamsell Colour 2\" path=\"C:\\WINDOWS\\SYSTEM\\TCOLOR2.DRV\" "
      "data=\"TCOLOR2.PPD\" config=\"TCUI.DLL\" help=\"TCOLOR.HLP\" "
      "deps=\"C:\\WINDOWS\\SYSTEM\\TCOLOR2.DRV\" "
      "type=\"RAW\"\n"
      "job owner=carol name=\"poster.ps\" state=completed size=9000000 pages=1 printed=1 "
      "submitted=\"1998-03-01 17:00:00\" time=240\n"
      "printer lp3 SRV2 comment=\"Second floor\" location=\"Building B\" ppm=16\n"
      "driver 3050 version=2 name=\"Tamsell Line 16 (NT)\" path=\"tline16.dll\"\n"
      "\n"
      "domain 0 eng\n"
      "server build\n"
      "printer plot1 build comment=\"Plotter\" location=\"Lab 3\" ppm=1\n"
      "driver 3301 version=4 name=\"Tamsell Plot\" path=\"C:\\WINDOWS\\SYSTEM\\TPLOT.DRV\" "
      "deps=\"C:\\WINDOWS\\SYSTEM\\TPLOT.DRV,TPLOTUI.DLL\"\n"
      "job owner=dave ownerns=3044 name=\"layout.plt\" state=held size=70000 pages=2 "
      "submitted=\"1998-03-02 08:00:00\"\n"
      "printer lp1 srv1 comment=\"First floor laser (NIS)\" location=\"Building A, room 101\" ppm=12\n"
      "\n"
      "domain 1 research\n"
      "server lab\n"
      "printer proof lab comment=\"Proofs\" location=\"Lab 1\" ppm=6\n";

// ---- Description parsing -----------------------------------------------------

// Splits a line into tokens: words, and key="quoted text" where a doubled
// quote stands for one quote; backslashes are ordinary characters.
bool Tokenize(const std::string &line, std::vector<std::string> &tokens)
{
    size_t i = 0, n = line.size();
    while (i < n) {
        while (i < n && isspace((unsigned char)line[i]))
            ++i;
        if (i >= n || line[i] == '#')
            break;
        std::string tok;
        while (i < n && !isspace((unsigned char)line[i])) {
            if (line[i] == '"') {
                ++i;
                for (;;) {
                    if (i >= n)
                        return false; // unterminated quote
                    if (line[i] == '"') {
                        if (i + 1 < n && line[i + 1] == '"') {
                            tok += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    tok += line[i++];
                }
            } else {
                tok += line[i++];
            }
        }
        tokens.push_back(tok);
    }
    return true;
}

bool ParseNumber(const std::string &s, int64_t &out)
{
    if (s.empty())
        return false;
    char *end = nullptr;
    long long v = strtoll(s.c_str(), &end, 0);
    if (*end)
        return false;
    out = v;
    return true;
}

bool ParseSet(const std::string &s, std::set<int32_t> &out)
{
    size_t pos = 0;
    while (pos <= s.size()) {
        size_t comma = s.find(',', pos);
        std::string part = s.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        int64_t v;
        if (!ParseNumber(part, v))
            return false;
        out.insert((int32_t)v);
        if (comma == std::string::npos)
            break;
        pos = comma + 1;
    }
    return true;
}

std::vector<std::string> SplitList(const std::string &s)
{
    std::vector<std::string> out;
    if (s.empty())
        return out;
    size_t pos = 0;
    for (;;) {
        size_t comma = s.find(',', pos);
        out.push_back(s.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos));
        if (comma == std::string::npos)
            return out;
        pos = comma + 1;
    }
}

bool ParseState(const std::string &s, int32_t &state)
{
    static const struct {
        const char *word;
        int32_t state;
    } kWords[] = {{"unknown", kStateUnknown},
                  {"preprocessing", kStatePreProcessing},
                  {"pending", kStatePending},
                  {"processing", kStateProcessing},
                  {"interrupted", kStateInterrupted},
                  {"retained", kStateRetained},
                  {"held", kStateHeld},
                  {"paused", kStatePaused},
                  {"terminating", kStateTerminating},
                  {"retainted", kStateRetainted},
                  {"completed", kStateCompleted},
                  {"printing", kStatePrinting}};
    for (const auto &w : kWords)
        if (Lower(s) == w.word) {
            state = w.state;
            return true;
        }
    int64_t v;
    if (!ParseNumber(s, v))
        return false;
    state = (int32_t)v;
    return true;
}

bool ParseTime(const std::string &s, int32_t out[6])
{
    int y, mo, d, h = 0, mi = 0, se = 0;
    int n = sscanf(s.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &se);
    if (n != 3 && n != 6)
        return false;
    out[0] = d;
    out[1] = mo;
    out[2] = y;
    out[3] = h;
    out[4] = mi;
    out[5] = se;
    return true;
}

int32_t AddServer(Network &net, const std::string &name)
{
    int32_t found = -1;
    auto it = net.serverByName.find(Lower(name));
    if (it != net.serverByName.end())
        return it->second;
    found = (int32_t)net.servers.size();
    Server s;
    s.name = name;
    net.servers.push_back(s);
    net.serverByName[Lower(name)] = found;
    return found;
}

int32_t AddPrinter(Network &net, int32_t domain, const std::string &name, const std::string &serverField)
{
    Printer p;
    p.name = name;
    p.serverField = serverField;
    p.server = AddServer(net, serverField);
    p.domain = domain;
    int32_t index = (int32_t)net.printers.size();
    net.printers.push_back(p);
    Domain &d = net.domains[domain];
    d.printers.push_back(index);
    d.printerByName.emplace(Lower(name), index); // the first of equal names wins lookups
    return index;
}

// Key=value arguments of a line (from token first on).
bool KeyValues(const std::vector<std::string> &tokens, size_t first,
               std::vector<std::pair<std::string, std::string>> &out)
{
    for (size_t i = first; i < tokens.size(); ++i) {
        size_t eq = tokens[i].find('=');
        if (eq == std::string::npos || eq == 0)
            return false;
        out.emplace_back(Lower(tokens[i].substr(0, eq)), tokens[i].substr(eq + 1));
    }
    return true;
}

// Reads one line into net; false when it cannot be read.
bool ParseLine(Network &net, const std::vector<std::string> &t, int32_t &domain, int32_t &printer,
               bool &kindsSeen)
{
    const std::string &cmd = t[0];
    std::vector<std::pair<std::string, std::string>> kv;
    int64_t n;
    if (cmd == "user" && t.size() == 2) {
        net.user = t[1];
    } else if (cmd == "kinds") {
        kindsSeen = true;
        net.kinds.clear();
        net.kindsNull = t.size() == 2 && t[1] == "none";
        if (!net.kindsNull)
            for (size_t i = 1; i < t.size(); ++i) {
                if (!ParseNumber(t[i], n))
                    return false;
                net.kinds.push_back((int32_t)n);
            }
    } else if (cmd == "pgr" && (t.size() == 2 || t.size() == 3)) {
        net.pgrSet = t[1] != "none";
        net.pgrHost = net.pgrSet ? t[1] : std::string();
        net.pgrStatus = 0;
        if (t.size() == 3) {
            if (!ParseNumber(t[2], n))
                return false;
            net.pgrStatus = (int32_t)n;
        }
    } else if (cmd == "eventport" && t.size() == 2) {
        if (!ParseNumber(t[1], n))
            return false;
        net.eventPort = (int32_t)n;
    } else if (cmd == "domain" && t.size() == 3) {
        if (!ParseNumber(t[1], n))
            return false;
        Domain d;
        d.kind = (int32_t)n;
        d.name = t[2];
        domain = (int32_t)net.domains.size();
        net.domains.push_back(d);
        printer = -1;
    } else if (cmd == "server" && t.size() == 2 && domain >= 0) {
        net.domains[domain].servers.push_back(AddServer(net, t[1]));
    } else if (cmd == "generate" && (t.size() == 3 || t.size() == 4) && domain >= 0) {
        // generate PRINTERS SERVERS [prefix=P]: printers P prn<i> spread
        // round-robin over servers P srv<j>, all server objects of the domain.
        int64_t printers, servers;
        if (!ParseNumber(t[1], printers) || !ParseNumber(t[2], servers) || printers < 0 || servers <= 0
            || printers > 1000000 || servers > 100000 || !KeyValues(t, 3, kv))
            return false;
        std::string prefix = kv.empty() ? "g" : kv[0].second;
        if (!kv.empty() && kv[0].first != "prefix")
            return false;
        std::vector<std::string> names;
        for (int64_t j = 0; j < servers; ++j) {
            names.push_back(prefix + "srv" + std::to_string(j));
            net.domains[domain].servers.push_back(AddServer(net, names.back()));
        }
        net.printers.reserve(net.printers.size() + (size_t)printers);
        for (int64_t i = 0; i < printers; ++i)
            printer
                = AddPrinter(net, domain, prefix + "prn" + std::to_string(i), names[(size_t)(i % servers)]);
    } else if (cmd == "printer" && t.size() >= 3 && domain >= 0) {
        if (!KeyValues(t, 3, kv))
            return false;
        printer = AddPrinter(net, domain, t[1], t[2]);
        Printer &p = net.printers[printer];
        for (auto &e : kv) {
            if (e.first == "comment")
                p.comment = e.second;
            else if (e.first == "location")
                p.location = e.second;
            else if (e.first == "ppm" && ParseNumber(e.second, n))
                p.ppm = (uint32_t)n;
            else if (e.first == "online" && ParseNumber(e.second, n))
                p.online = n != 0;
            else if (e.first == "omit" && ParseSet(e.second, p.omit)) {
            } else if (e.first == "empty" && ParseSet(e.second, p.empty)) {
            } else
                return false;
        }
    } else if (cmd == "driver" && t.size() >= 2 && printer >= 0) {
        Driver d;
        if (!ParseNumber(t[1], n) || !KeyValues(t, 2, kv))
            return false;
        d.platform = (int32_t)n;
        for (auto &e : kv) {
            static const struct {
                const char *key;
                int slot;
            } kSlots[]
                = {{"name", kDrvName}, {"path", kDrvPath},       {"data", kDrvData}, {"config", kDrvConfig},
                   {"help", kDrvHelp}, {"monitor", kDrvMonitor}, {"type", kDrvType}, {"env", kDrvEnv}};
            bool known = false;
            for (const auto &s : kSlots)
                if (e.first == s.key) {
                    d.texts[s.slot] = e.second;
                    known = true;
                }
            if (known)
                continue;
            if (e.first == "version" && ParseNumber(e.second, n))
                d.version = (int32_t)n;
            else if (e.first == "deps")
                d.dependents = SplitList(e.second);
            else
                return false;
        }
        net.printers[printer].drivers.push_back(d);
    } else if (cmd == "job" && printer >= 0) {
        Printer &p = net.printers[printer];
        Server &s = net.servers[p.server];
        Job j;
        j.printer = p.name;
        j.owner = "nobody";
        j.ownerNs = NamespaceOfKind(net.domains[p.domain].kind);
        if (!KeyValues(t, 1, kv))
            return false;
        j.number = s.nextJob;
        for (auto &e : kv) {
            if (e.first == "number" && ParseNumber(e.second, n) && n > 0)
                j.number = (uint32_t)n;
            else if (e.first == "owner")
                j.owner = e.second;
            else if (e.first == "ownerns" && ParseNumber(e.second, n))
                j.ownerNs = (int32_t)n;
            else if (e.first == "name") {
                j.hasName = true;
                j.name = e.second;
            } else if (e.first == "state" && ParseState(e.second, j.state)) {
            } else if (e.first == "size" && ParseNumber(e.second, n))
                j.size = (uint64_t)n;
            else if (e.first == "pages" && ParseNumber(e.second, n))
                j.pages = (uint32_t)n;
            else if (e.first == "printed" && ParseNumber(e.second, n))
                j.printed = (uint32_t)n;
            else if (e.first == "priority" && ParseNumber(e.second, n))
                j.priority = (uint32_t)n;
            else if (e.first == "time" && ParseNumber(e.second, n))
                j.processingTime = (int32_t)n;
            else if (e.first == "submitted" && ParseTime(e.second, j.submitted))
                j.hasSubmitted = true;
            else if (e.first == "omit" && ParseSet(e.second, j.omit)) {
            } else if (e.first == "empty" && ParseSet(e.second, j.empty)) {
            } else
                return false;
        }
        if (j.state == kStatePaused) {
            j.paused = true;
            j.state = kStatePending;
        }
        j.dataComplete = true;
        j.id = std::to_string(j.number) + "-" + s.name;
        if (j.number >= s.nextJob)
            s.nextJob = j.number + 1;
        s.jobs.push_back(j);
    } else {
        return false;
    }
    return true;
}

} // namespace

Network &Net()
{
    return *g_net;
}

std::string Lower(const std::string &s)
{
    std::string out = s;
    for (auto &c : out)
        c = (char)tolower((unsigned char)c);
    return out;
}

int32_t KindOfNamespace(int32_t ns)
{
    return ns == kNsNis ? 0 : ns == kNsDce ? 1 : 2;
}

int32_t NamespaceOfKind(int32_t kind)
{
    return kind == 0 ? kNsNis : kind == 1 ? kNsDce : kNsDefault;
}

int32_t FindDomain(int32_t kind, const std::string &name)
{
    Network &net = Net();
    std::string lower = Lower(name);
    for (size_t i = 0; i < net.domains.size(); ++i)
        if (net.domains[i].kind == kind && Lower(net.domains[i].name) == lower)
            return (int32_t)i;
    return -1;
}

int32_t FindServer(const std::string &name)
{
    auto it = Net().serverByName.find(Lower(name));
    return it == Net().serverByName.end() ? -1 : it->second;
}

int32_t FindPrinter(int32_t domain, const std::string &name)
{
    Domain &d = Net().domains[domain];
    auto it = d.printerByName.find(Lower(name));
    return it == d.printerByName.end() ? -1 : it->second;
}

Job *FindJob(Server &server, const std::string &id)
{
    std::string lower = Lower(id);
    for (auto &j : server.jobs)
        if (Lower(j.id) == lower)
            return &j;
    bool digits = !id.empty() && id.size() < 10;
    for (char c : id)
        digits = digits && isdigit((unsigned char)c);
    if (digits) {
        uint32_t number = (uint32_t)strtoul(id.c_str(), nullptr, 10);
        for (auto &j : server.jobs)
            if (j.number == number)
                return &j;
    }
    return nullptr;
}

int32_t CurrentState(const Job &job)
{
    if (job.paused)
        return kStatePaused;
    if (!job.advancing)
        return job.state;
    if (!job.dataComplete)
        return kStatePending;
    uint32_t elapsed = Net().clock - job.completeAt - job.pausedTotal;
    if (elapsed < kPendingMs)
        return kStatePending;
    if (elapsed < kPendingMs + kProcessingMs)
        return kStateProcessing;
    if (elapsed < kPendingMs + kProcessingMs + kPrintingMs)
        return kStatePrinting;
    return kStateCompleted;
}

std::string StatusReply(int32_t status)
{
    std::string out;
    PutU32(out, (uint32_t)status);
    return out;
}

std::string Exchange(const std::string &message)
{
    Reader in(message);
    uint32_t op;
    if (!in.U32(op))
        return StatusReply(QV_STATUS_BAD_ARGUMENT);
    if (op >= kNsSupported && op <= kEventPort)
        return HandleNameService(op, in);
    return HandlePrintServer(op, in);
}

int32_t LoadNetwork(const char *description)
{
    if (!description)
        return -1;
    std::unique_ptr<Network> fresh(new Network());
    int32_t domain = -1, printer = -1, lineNo = 0;
    bool kindsSeen = false;
    const char *p = description;
    while (*p) {
        const char *eol = strchr(p, '\n');
        std::string line(p, eol ? (size_t)(eol - p) : strlen(p));
        p = eol ? eol + 1 : p + line.size();
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> tokens;
        if (!Tokenize(line, tokens))
            return -lineNo;
        if (tokens.empty())
            continue;
        if (!ParseLine(*fresh, tokens, domain, printer, kindsSeen))
            return -lineNo;
    }
    delete g_net;
    g_net = fresh.release();
    return 0;
}

const char *DefaultNetworkText()
{
    return kDefaultNetwork;
}

void ResetNetwork()
{
    delete g_net;
    g_net = new Network();
    g_net->kinds.clear();
    g_net->kindsNull = true;
    g_net->eventPort = 0;
}

void SetSupportedKinds(const int32_t *kinds, int32_t count)
{
    Network &net = Net();
    net.kinds.clear();
    net.kindsNull = count < 0;
    for (int32_t i = 0; kinds && i < count; ++i)
        net.kinds.push_back(kinds[i]);
}

void SetPgrHost(const char *host, int32_t status)
{
    Network &net = Net();
    net.pgrSet = host != nullptr;
    net.pgrHost = host ? host : "";
    net.pgrStatus = status;
}

void SetCallerName(const char *name)
{
    Net().user = name ? name : "";
}

void SetClock(uint32_t ms)
{
    Net().clock = ms;
}

uint32_t Clock()
{
    return Net().clock;
}

static Job *FindJobAnywhere(const char *id)
{
    if (!id)
        return nullptr;
    for (auto &s : Net().servers)
        for (auto &j : s.jobs)
            if (Lower(j.id) == Lower(id))
                return &j;
    for (auto &s : Net().servers)
        if (Job *j = FindJob(s, id))
            return j;
    return nullptr;
}

int32_t JobState(const char *jobIdentifier)
{
    Job *j = FindJobAnywhere(jobIdentifier);
    return j ? CurrentState(*j) : QV_STATUS_UNKNOWN_JOB;
}

int32_t DocumentData(const char *jobIdentifier, int32_t document, char *buffer, int32_t size,
                     uint32_t *totalBytes)
{
    Job *j = FindJobAnywhere(jobIdentifier);
    if (!j || document < 1 || document > (int32_t)j->documents.size())
        return QV_STATUS_UNKNOWN_JOB;
    const Document &d = j->documents[document - 1];
    if (totalBytes)
        *totalBytes = (uint32_t)d.bytes;
    if (buffer && size > 0)
        memcpy(buffer, d.kept.data(), std::min((size_t)size, d.kept.size()));
    return (int32_t)d.kept.size();
}

const char *InternText(const std::string &text)
{
    static std::set<std::string> *texts = new std::set<std::string>();
    return texts->insert(text).first->c_str();
}

} // namespace net
} // namespace qvsim
