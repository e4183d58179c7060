// The simulator's lock, journal, injection and accounting, and the control
// interface of qvsim.h.
#include "sim.h"

#include <cstring>
#include <deque>
#include <vector>

#include "net.h"
#include "qvsim.h"

namespace qvsim {

namespace {

// Constructed before any call can arrive: a function-local static would need
// its own guard, and DllMain runs before every export anyway.
struct LockHolder {
    CRITICAL_SECTION cs;
    LockHolder() { InitializeCriticalSection(&cs); }
    ~LockHolder() { DeleteCriticalSection(&cs); }
};
LockHolder g_lock;

// Bounded journal: a long benchmark must not grow memory without bound.
const size_t kJournalMaxLines = 200000;
std::deque<std::string> g_journal;
uint32_t g_journalDropped = 0;
bool g_journalCalls = true;

struct Injection {
    std::string function;
    int32_t remaining;
    int32_t status;
};
std::vector<Injection> g_injections;

std::vector<std::string> g_faults;
const size_t kFaultLinesKept = 200;
int32_t g_faultCount = 0;

} // namespace

const char *const kKindNames[kKindCount]
    = {"string", "object", "list", "domain", "request", "value", "filter", "text"};

void Lock()
{
    EnterCriticalSection(&g_lock.cs);
}
void Unlock()
{
    LeaveCriticalSection(&g_lock.cs);
}

void JournalLine(const std::string &line)
{
    g_journal.push_back(line);
    while (g_journal.size() > kJournalMaxLines) {
        g_journal.pop_front();
        ++g_journalDropped;
    }
}

void Fault(const std::string &what)
{
    ++g_faultCount;
    if (g_faults.size() < kFaultLinesKept)
        g_faults.push_back(what);
    JournalLine("FAULT " + what);
}

int32_t FaultCount()
{
    return g_faultCount;
}

std::string LeakReport()
{
    std::string out;
    for (int k = 0; k < kKindCount; ++k)
        if (LiveCount((ObjKind)k))
            out += "live " + std::string(kKindNames[k]) + " " + std::to_string(LiveCount((ObjKind)k)) + "\n";
    out += ClientLiveReport();
    for (const auto &f : g_faults)
        out += "fault " + f + "\n";
    if (g_faultCount > (int32_t)g_faults.size())
        out += "fault ... " + std::to_string(g_faultCount - (int32_t)g_faults.size()) + " more\n";
    return out;
}

void ResetAccounting()
{
    g_faults.clear();
    g_faultCount = 0;
}

bool TakeInjection(const char *function, int32_t *status)
{
    bool hit = false;
    for (auto it = g_injections.begin(); it != g_injections.end();) {
        if (it->function == function && --it->remaining == 0) {
            if (!hit) {
                *status = it->status;
                hit = true;
            }
            it = g_injections.erase(it);
        } else {
            ++it;
        }
    }
    return hit;
}

void ClearInjections()
{
    g_injections.clear();
}

void AddInjection(const char *function, int32_t nth, int32_t status)
{
    if (function && nth > 0)
        g_injections.push_back({function, nth, status});
}

CallScope::CallScope(const char *name) : name_(name)
{
    Lock();
    // The arguments are only wanted for a journal line: calls journaled, or
    // an injection that may answer this call.
    recording_ = g_journalCalls || !g_injections.empty();
}

CallScope::~CallScope()
{
    if (g_journalCalls || injected_) {
        std::string line = "CALL " + std::string(name_) + "(" + args_ + ") = " + std::to_string(status_);
        if (injected_)
            line += " injected";
        else if (!outs_.empty())
            line += " -> " + outs_;
        JournalLine(line);
    }
    Unlock();
}

CallScope &CallScope::ArgRaw(const std::string &s)
{
    if (!recording_)
        return *this;
    if (nargs_++)
        args_ += ",";
    args_ += s;
    return *this;
}

CallScope &CallScope::Arg(int64_t n)
{
    return recording_ ? ArgRaw(std::to_string(n)) : *this;
}
CallScope &CallScope::ArgU(uint32_t n)
{
    return recording_ ? ArgRaw(std::to_string(n)) : *this;
}
CallScope &CallScope::Arg(const char *text)
{
    return recording_ ? ArgRaw(text ? Quote(text) : std::string("null")) : *this;
}
CallScope &CallScope::ArgPtr(const void *p)
{
    return ArgRaw(p ? "&" : "null");
}

void CallScope::Out(const std::string &s)
{
    if (!recording_)
        return;
    if (!outs_.empty())
        outs_ += ",";
    outs_ += s;
}

bool CallScope::Injected(int32_t *status)
{
    if (!TakeInjection(name_, status))
        return false;
    injected_ = true;
    status_ = *status;
    return true;
}

int32_t CallScope::Done(int32_t status)
{
    status_ = status;
    return status;
}

} // namespace qvsim

using namespace qvsim;

namespace {

// Copies text into a caller's buffer by the journal's rules; returns the size needed.
int32_t CopyOut(const std::string &text, char *buffer, int32_t size)
{
    int32_t needed = (int32_t)text.size() + 1;
    if (buffer && size > 0) {
        int32_t n = needed <= size ? needed - 1 : size - 1;
        memcpy(buffer, text.data(), n);
        buffer[n] = 0;
    }
    return needed;
}

struct Guard {
    Guard() { Lock(); }
    ~Guard() { Unlock(); }
};

} // namespace

extern "C" {

int32_t QVSIM_API SimLoadNetwork(const char *description)
{
    Guard g;
    int32_t status = net::LoadNetwork(description);
    if (status == 0) {
        g_journal.clear();
        g_journalDropped = 0;
        ClearInjections();
        ResetAccounting();
    }
    return status;
}

int32_t QVSIM_API SimLoadDefaultNetwork(void)
{
    return SimLoadNetwork(net::DefaultNetworkText());
}

const char *QVSIM_API SimDefaultNetworkText(void)
{
    return net::DefaultNetworkText();
}

void QVSIM_API SimSetSupportedKinds(const int32_t *kinds, int32_t count)
{
    Guard g;
    net::SetSupportedKinds(kinds, count);
}

void QVSIM_API SimSetPgrHost(const char *hostName, int32_t status)
{
    Guard g;
    net::SetPgrHost(hostName, status);
}

void QVSIM_API SimSetCallerName(const char *userName)
{
    Guard g;
    net::SetCallerName(userName);
}

void QVSIM_API SimSetClock(uint32_t milliseconds)
{
    Guard g;
    net::SetClock(milliseconds);
}

void QVSIM_API SimAdvanceClock(uint32_t milliseconds)
{
    Guard g;
    net::SetClock(net::Clock() + milliseconds);
}

uint32_t QVSIM_API SimClock(void)
{
    Guard g;
    return net::Clock();
}

void QVSIM_API SimInjectStatus(const char *functionName, int32_t nth, int32_t status)
{
    Guard g;
    AddInjection(functionName, nth, status);
}

void QVSIM_API SimClearInjections(void)
{
    Guard g;
    ClearInjections();
}

int32_t QVSIM_API SimJournalText(char *buffer, int32_t size)
{
    Guard g;
    std::string text;
    if (g_journalDropped)
        text += "DROPPED " + std::to_string(g_journalDropped) + "\n";
    for (const auto &line : g_journal)
        text += line + "\n";
    return CopyOut(text, buffer, size);
}

void QVSIM_API SimJournalClear(void)
{
    Guard g;
    g_journal.clear();
    g_journalDropped = 0;
}

void QVSIM_API SimJournalCalls(int32_t on)
{
    Guard g;
    g_journalCalls = on != 0;
}

int32_t QVSIM_API SimLiveObjects(const char *kind)
{
    Guard g;
    if (!kind) {
        int32_t total = 0;
        for (int k = 0; k < kKindCount; ++k)
            if (k != kText)
                total += LiveCount((ObjKind)k);
        return total;
    }
    for (int k = 0; k < kKindCount; ++k)
        if (strcmp(kind, kKindNames[k]) == 0)
            return LiveCount((ObjKind)k);
    return -1;
}

int32_t QVSIM_API SimOwnershipFaults(void)
{
    Guard g;
    return FaultCount();
}

int32_t QVSIM_API SimLeakReport(char *buffer, int32_t size)
{
    Guard g;
    return CopyOut(LeakReport(), buffer, size);
}

int32_t QVSIM_API SimJobState(const char *jobIdentifier)
{
    Guard g;
    return net::JobState(jobIdentifier);
}

int32_t QVSIM_API SimDocumentData(const char *jobIdentifier, int32_t document, char *buffer, int32_t size,
                                  uint32_t *totalBytes)
{
    Guard g;
    return net::DocumentData(jobIdentifier, document, buffer, size, totalBytes);
}

void QVSIM_API SimReset(void)
{
    Guard g;
    ResetClientState();
    net::ResetNetwork();
    g_journal.clear();
    g_journalDropped = 0;
    g_journalCalls = true;
    ClearInjections();
    ResetAccounting();
}

} // extern "C"

// The default network is there from the first call on, so that a process
// that only asks NS_LocatePGR (the installer's probe) gets an answer.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        net::LoadNetwork(net::DefaultNetworkText());
    return TRUE;
}
