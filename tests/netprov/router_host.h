/*
 * A host that loads qvnetprov as the Windows 95 router does: the router's
 * service library is told the provider name, the provider is loaded and its
 * entry points are taken by ordinal. Also helpers that call NPEnumResource
 * and read back, and check, the records it wrote.
 */
#ifndef NETPROV_ROUTER_HOST_H
#define NETPROV_ROUTER_HOST_H

#include <stdint.h>
#include <map>
#include <string>
#include <vector>

#include "routerhost.h"
#include "journal.h"

extern const char kProviderName[]; // the name the tests' router gives

class RouterHost {
public:
    // Loads qvnetprov.dll fresh (its process-wide state starts anew) after
    // naming the provider; a null name leaves the router without one.
    bool load(const char *providerName = kProviderName);
    // Unloads it; process detach runs. True when the module is gone.
    bool unload();
    bool loaded() const { return m_module != nullptr; }
    HMODULE module() const { return m_module; }

    PF_NPGetCaps95 getCaps = nullptr;
    PF_NPOpenEnum95 openEnum = nullptr;
    PF_NPEnumResource95 enumResource = nullptr;
    PF_NPCloseEnum95 closeEnum = nullptr;
    PF_NPFormatNetworkName95 formatName = nullptr;

    // NPOpenEnum with a container record of (provider, remote name).
    DWORD open(const char *provider, const char *remote, HANDLE *handle);

private:
    HMODULE m_module = nullptr;
};

// One record as the caller reads it back.
struct Resource {
    DWORD scope = 0, type = 0, displayType = 0, usage = 0;
    bool localNameNull = false;
    std::string remote, comment, provider;
};

// One NPEnumResource call and what it left in the caller's buffer.
struct EnumCall {
    DWORD status = 0;
    DWORD count = 0;
    DWORD freeBytes = 0;
    std::vector<Resource> records;
    std::string layoutFault; // empty when the buffer is laid out as promised
};

const BYTE kPoison = 0xA5;
const DWORD kSentinel = 0xDEADBEEF;

// Calls NPEnumResource with a poisoned buffer of size bytes and a count
// asked; reads back the records and checks the layout: records from the
// start, strings from the end downward (remote, comment, provider per
// record), free bytes equal to the untouched gap, nothing else written.
EnumCall CallEnum(RouterHost &host, HANDLE handle, DWORD countAsked, DWORD size);

// Reads a whole enumeration with buffers of size bytes, growing one call's
// buffer to the demand when a record does not fit, as the router does.
// Fails (fault set) on any other status or a layout fault.
struct EnumAll {
    std::vector<Resource> records;
    std::string fault;
    int calls = 0;
};
EnumAll ReadAll(RouterHost &host, HANDLE handle, DWORD size);

// One walk of the whole tree from the top, breadth first, every container
// read with buffers of size bytes. tree maps each container's remote name
// ("" for the top, "*" for the provider's root) to the names it returned.
struct Walk {
    std::map<std::string, std::vector<std::string>> tree;
    std::vector<Resource> printers;
    std::string fault;
    int calls = 0;
};
Walk WalkTree(RouterHost &host, DWORD size);

// The fixed part of a record: 32 bytes on Windows 95.
const DWORD kRecordBytes = sizeof(NETRESOURCEA);

// The bytes the record of remote takes in a buffer.
inline DWORD RecordBytes(const std::string &remote, const std::string &provider)
{
    return DWORD(sizeof(NETRESOURCEA) + remote.size() + 1 + 1 + provider.size() + 1);
}

// The simulator's journal, and the number of its lines that call fn.
inline std::string Journal()
{
    return qvtest::JournalText();
}
using qvtest::JournalCount;
using qvtest::LeakReport;
// Live name-service objects of the kinds the provider may hold.
int LiveNameServiceObjects();

#endif
