// Shared machinery of qvsimnet.dll: the one lock, the journal, failure
// injection and the ownership accounting. Every exported call takes the lock
// for its whole run through a CallScope.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "qvattr.h"
#include "qvcore.h"
#include "qvdpa.h"
#include "value.h"

namespace qvsim {

// The simulator's one critical section (client side and network alike).
void Lock();
void Unlock();

// Journal.
void JournalLine(const std::string &line);

// Ownership accounting. Kinds: see kKindNames.
enum ObjKind { kString, kObject, kList, kDomain, kRequest, kValue, kFilter, kText, kKindCount };
extern const char *const kKindNames[kKindCount];
int32_t LiveCount(ObjKind kind);
void Fault(const std::string &what);
int32_t FaultCount();
std::string LeakReport(); // live objects by kind and the fault lines
void ResetAccounting();

// Client-side state (client_*.cpp).
void ResetClientState();
std::string ClientLiveReport();

// Injection: true when this call of function must answer *status instead.
bool TakeInjection(const char *function, int32_t *status);
void ClearInjections();
void AddInjection(const char *function, int32_t nth, int32_t status);

// Holds the lock for one exported call and writes its journal line:
//   CALL name(arg,arg,...) = status [-> out,out]
class CallScope {
public:
    explicit CallScope(const char *name);
    ~CallScope();
    CallScope &Arg(int64_t n);
    CallScope &ArgU(uint32_t n);
    CallScope &Arg(const char *text); // quoted, or null
    CallScope &ArgPtr(const void *p); // "&" or "null"
    CallScope &ArgRaw(const std::string &s);
    void Out(const std::string &s);
    void Out(int64_t n) { Out(std::to_string(n)); }
    // True when an injected status answers this call; *status is set.
    bool Injected(int32_t *status);
    int32_t Done(int32_t status);
    const char *Name() const { return name_; }
    // False when no journal line can come of this call: what it would say
    // need not be built.
    bool Recording() const { return recording_; }

private:
    const char *name_;
    std::string args_;
    std::string outs_;
    bool injected_ = false;
    bool recording_ = true;
    int32_t status_ = 0;
    int nargs_ = 0;
};

} // namespace qvsim
