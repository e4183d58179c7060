// Client side of the simulated libraries: the handles, lists, requests and
// values that callers hold. Reaches the network only through net::Exchange.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "sim.h"
#include "value.h"

namespace qvsim {

struct DomainHandle {
    bool set = false;
    int32_t kind = 0;
    std::string name;
};

struct NsList {
    bool domains = false; // a domain list, else an object list
    int32_t objectClass = 0;
    std::vector<std::pair<std::string, std::string>> items; // name, server
    size_t next = 0;
};

struct Attribute {
    int32_t group = 0;
    int32_t type = 0;
    bool byName = false;
    std::string name;
    int32_t syntax = 0; // of an attribute opened empty; 0 any
    std::vector<Val> values;
};

struct FilterItem {
    int32_t match = 0;
    int32_t type = 0;
    Val value;
};

struct ResultObject {
    Val instance;
    std::vector<Attribute> attributes;
};

struct RequestState {
    int32_t type = 0;
    std::vector<Attribute> attributes; // in the order they were set
    int32_t lastAttribute = -1;        // what CC_AppendValue fills
    bool hasInstance = false;
    Val instanceName, instanceId;
    QvFilter filter = 0;
    std::vector<FilterItem> filterItems;
    bool submitted = false;
    std::string jobId; // of a submitted print request
    int32_t documents = 0;
    int32_t currentDocument = 0;
    std::vector<bool> documentEnded;
    std::vector<ResultObject> results;
    size_t nextResult = 0;
    int32_t currentResult = -1;
    // The attribute CC_FindAttributeType found, read by CC_GetValueIncr.
    int32_t foundGroup = -1;
    int32_t foundIndex = -1;
    size_t valueCursor = 0;
};

struct ValueEntry {
    Val value;
    QvContext context = 0;
};

struct ClientState {
    uint32_t nextHandle = 0x00010001;
    std::unordered_map<uint32_t, DomainHandle> domains;
    std::unordered_map<uint32_t, NsList> nsLists;
    std::unordered_set<uint32_t> stfLists;
    std::unordered_map<uint32_t, RequestState> requests;
    std::unordered_map<uint32_t, ValueEntry> values;
    std::unordered_map<uint32_t, QvRequest> filters;
    std::unordered_set<void *> strings; // NS_ListDomainNext
    std::unordered_set<void *> objects; // NsObject records
    std::unordered_set<void *> texts;   // heap outputs of the CC_AVGet calls
    bool oidOpen = false;
};

ClientState &Client();
uint32_t NewHandle();

// Lookups that count a nonzero unknown word as an ownership fault. The word 0
// ("none") fails without a fault.
RequestState *FindRequest(QvRequest request, const char *function);
ValueEntry *FindValue(QvValue value, const char *function);
bool CheckContext(QvContext context, const char *function);

QvValue NewValue(QvContext context, const Val &v);
char *HeapText(const std::string &text);
std::string Exchange(const std::string &message);

} // namespace qvsim
