/*
 * EnumHandle: one open enumeration, owned by the router from NPOpenEnum to
 * NPCloseEnum, with the per-level state that NPEnumResource moves forward.
 */
#ifndef QVNETPROV_ENUMHANDLE_H
#define QVNETPROV_ENUMHANDLE_H

#include <stdint.h>

#include <string>
#include <unordered_set>

#include "qvcore.h"
#include "textbuffer.h"

// "QVNP", first character in the most significant byte.
const uint32_t kEnumSignature = 0x51564E50;

enum EnumLevel : int32_t {
    LevelProvider = 1,      // the provider's own network entry
    LevelKinds = 2,         // one container per domain kind
    LevelDomains = 3,       // one container per domain of a kind
    LevelDomainObjects = 4, // a domain's printers, then its servers
    LevelServerPrinters = 5 // the printers of one server in a domain
};

// One distinct server name met while listing a domain.
struct ServerNameNode {
    TextBuffer name;
    ServerNameNode *next = nullptr;
};

// Distinct server names in first-seen order. The set of names already met
// keeps each addition constant-time on domains with thousands of servers.
struct ServerNameList {
    ServerNameNode *head = nullptr;
    ServerNameNode *tail = nullptr; // last node; valid while head is set
    std::unordered_set<std::string> seen;
};

struct EnumHandle {
    uint32_t signature = kEnumSignature;
    int32_t level = 0;
    int32_t done = 0;                  // levels 1, 3
    int32_t kindIndex = 0;             // levels 2 to 5
    QvList domainList = 0;             // level 3
    TextBuffer domainName;             // levels 4, 5
    QvHandle domainHandle = 0;         // levels 4, 5
    QvList objectList = 0;             // levels 4, 5
    NsObject *pendingObject = nullptr; // levels 4, 5
    char *pendingDomainName = nullptr; // level 3
    int32_t objectsFinished = 0;       // level 4
    ServerNameList serverNames;        // level 4
    TextBuffer serverName;             // level 5
};

// Adds name at the end of the list unless it was added before (case-
// sensitive), even if its node has since been removed. A null name counts as
// the empty text. Throws std::bad_alloc.
void AddServerName(ServerNameList &list, const char *name);
// Unlinks and frees the first node.
void RemoveFirstServerName(ServerNameList &list);
void FreeServerNames(ServerNameList &list);

// The handle behind a router's HANDLE when it is one of ours and still open,
// else null. Never reads through a pointer it does not know.
EnumHandle *LookUpEnumHandle(void *handle);

#endif
