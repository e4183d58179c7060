// The boundary between the client libraries and the simulated network (name
// service and print servers). A message goes in, a reply comes out, both as
// self-contained byte strings, so that the network can later live in a
// server process reached over loopback. The control calls at the end are the
// simulator's own (tests and the demo) and are not part of that boundary.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvsim {
namespace net {

// First word of a message. Every reply starts with a status word.
enum Op : uint32_t {
    kNsSupported = 1, // -> isNull, count, kinds...
    kNsCheckDomain,   // kind, domain -> status
    kNsListDomains,   // kind -> count, names...
    kNsGetObject,     // kind, domain, class, name -> name, server
    kNsListObjects,   // kind, domain, class -> count, (name, server)...
    kNsLocatePgr,     // -> hasHost, host
    kEventPort,       // -> port
    kSubmit,          // request (see client_dpa.cpp) -> count, result objects
    kOpenDocument,    // job id -> document number
    kPushDocument,    // job id, document, length, last, name, kept bytes
};

std::string Exchange(const std::string &message);

// ---- Control (not part of the boundary) ----------------------------------
int32_t LoadNetwork(const char *description);
const char *DefaultNetworkText();
void ResetNetwork();
void SetSupportedKinds(const int32_t *kinds, int32_t count);
void SetPgrHost(const char *host, int32_t status);
void SetCallerName(const char *name);
void SetClock(uint32_t ms);
uint32_t Clock();
int32_t JobState(const char *jobIdentifier);
int32_t DocumentData(const char *jobIdentifier, int32_t document, char *buffer, int32_t size,
                     uint32_t *totalBytes);
// Pointer kept valid for the life of the process (NS_LocatePGR's answer).
const char *InternText(const std::string &text);

} // namespace net
} // namespace qvsim
