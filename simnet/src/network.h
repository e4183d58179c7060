// The simulated network's model: domains, servers, printers and jobs. Only
// the network side (network.cpp, nameservice.cpp, printserver.cpp) sees it.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "value.h"

namespace qvsim {
namespace net {

// Job-state identifiers.
enum {
    kStateUnknown = 249,
    kStatePreProcessing = 250,
    kStatePending = 251,
    kStateProcessing = 252,
    kStateInterrupted = 253,
    kStateRetained = 254,
    kStateHeld = 255,
    kStatePaused = 256,
    kStateTerminating = 257,
    kStateRetainted = 258,
    kStateCompleted = 259,
    kStatePrinting = 260
};

// Name-space identifiers of a domain kind (the name part of 3009).
enum { kNsNis = 3044, kNsDce = 3042, kNsDefault = 3051 };

// Bytes of each document the server keeps; the rest is only counted.
const uint32_t kKeptBytesPerDocument = 65536;

// Simulated durations of a submitted job once its data is complete.
const uint32_t kPendingMs = 1000;
const uint32_t kProcessingMs = 1000;
const uint32_t kPrintingMs = 2000;

struct Document {
    int32_t number = 0;
    std::string name;
    uint64_t bytes = 0;
    std::string kept;
    bool ended = false;
};

struct Job {
    uint32_t number = 0;
    std::string id;
    std::string printer; // the printer's name as stored
    std::string owner;
    int32_t ownerNs = 0; // name part identifier of the owner, 0 none
    bool hasName = false;
    std::string name;
    int32_t state = kStatePending; // the state of a job that does not advance
    bool advancing = false;        // moves with the clock once its data is complete
    bool dataComplete = false;
    uint32_t completeAt = 0;
    bool paused = false;
    uint32_t pausedAt = 0;
    uint32_t pausedTotal = 0;
    uint32_t priority = 1;
    bool hasSubmitted = false;
    int32_t submitted[6] = {}; // day, month, year, hour, minute, second
    uint64_t size = 0;
    uint32_t pages = 0;
    uint32_t printed = 0;
    int32_t processingTime = 0;
    std::vector<Document> documents;
    std::set<int32_t> omit, empty; // attributes left out, or present without a value
};

struct Driver {
    int32_t platform = 0;
    int32_t version = 0;
    std::map<int, std::string> texts; // DriverSlot -> text (absent: no value)
    std::vector<std::string> dependents;
};

struct Printer {
    std::string name;
    std::string serverField; // the server name the name service holds for it
    int32_t server = -1;     // index of the print server holding it
    int32_t domain = -1;
    std::string comment = "";
    std::string location = "";
    bool online = true;
    uint32_t ppm = 8;
    std::vector<Driver> drivers;
    std::set<int32_t> omit, empty;
};

struct Server {
    std::string name;
    std::vector<Job> jobs; // queue order
    uint32_t nextJob = 1;
};

struct Domain {
    int32_t kind = 2;
    std::string name;
    std::vector<int32_t> printers;                          // indices into Network::printers
    std::vector<int32_t> servers;                           // server objects of the domain
    std::unordered_map<std::string, int32_t> printerByName; // lower-case name
};

struct Network {
    bool kindsNull = false;
    std::vector<int32_t> kinds {0, 1, 2};
    std::vector<Domain> domains;
    std::vector<Printer> printers;
    std::vector<Server> servers;
    std::unordered_map<std::string, int32_t> serverByName; // lower-case name
    bool pgrSet = false;
    std::string pgrHost;
    int32_t pgrStatus = 0;
    int32_t eventPort = (1 << 16) | 5678;
    std::string user = "qvuser";
    uint32_t clock = 0;
};

Network &Net();
std::string Lower(const std::string &s);
int32_t FindDomain(int32_t kind, const std::string &name);
int32_t FindServer(const std::string &name);
int32_t FindPrinter(int32_t domain, const std::string &name);
int32_t KindOfNamespace(int32_t ns);
int32_t NamespaceOfKind(int32_t kind);
int32_t CurrentState(const Job &job);
// Job by identifier: exact (any case), or by number when the text is digits only.
Job *FindJob(Server &server, const std::string &id);

std::string HandleNameService(uint32_t op, Reader &in);
std::string HandlePrintServer(uint32_t op, Reader &in);
std::string StatusReply(int32_t status);

} // namespace net
} // namespace qvsim
