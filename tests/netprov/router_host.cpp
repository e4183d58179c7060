/*
 * The router-like host and the buffer readers shared by the tests.
 */
#include "router_host.h"

#include <string.h>

#include "qvsim.h"

const char kProviderName[] = "Quorvane Network";

bool RouterHost::load(const char *providerName)
{
    if (m_module != nullptr)
        unload();
    RouterSetProviderName(providerName);
    m_module = LoadLibraryA("qvnetprov.dll");
    if (m_module == nullptr)
        return false;
    getCaps
        = reinterpret_cast<PF_NPGetCaps95>(GetProcAddress(m_module, MAKEINTRESOURCEA(NP_ORDINAL_GETCAPS)));
    openEnum
        = reinterpret_cast<PF_NPOpenEnum95>(GetProcAddress(m_module, MAKEINTRESOURCEA(NP_ORDINAL_OPENENUM)));
    enumResource = reinterpret_cast<PF_NPEnumResource95>(
        GetProcAddress(m_module, MAKEINTRESOURCEA(NP_ORDINAL_ENUMRESOURCE)));
    closeEnum = reinterpret_cast<PF_NPCloseEnum95>(
        GetProcAddress(m_module, MAKEINTRESOURCEA(NP_ORDINAL_CLOSEENUM)));
    formatName = reinterpret_cast<PF_NPFormatNetworkName95>(
        GetProcAddress(m_module, MAKEINTRESOURCEA(NP_ORDINAL_FORMATNETWORKNAME)));
    return getCaps && openEnum && enumResource && closeEnum && formatName;
}

bool RouterHost::unload()
{
    if (m_module == nullptr)
        return true;
    FreeLibrary(m_module);
    m_module = nullptr;
    getCaps = nullptr;
    openEnum = nullptr;
    enumResource = nullptr;
    closeEnum = nullptr;
    formatName = nullptr;
    return GetModuleHandleA("qvnetprov.dll") == nullptr;
}

DWORD RouterHost::open(const char *provider, const char *remote, HANDLE *handle)
{
    NETRESOURCEA container = {};
    container.dwScope = RESOURCE_GLOBALNET;
    container.dwUsage = RESOURCEUSAGE_CONTAINER;
    container.lpProvider = const_cast<char *>(provider);
    container.lpRemoteName = const_cast<char *>(remote);
    return openEnum(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, &container, handle);
}

namespace {

const DWORD kGuardBytes = 64;

bool AllPoison(const std::vector<BYTE> &bytes, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i) {
        if (bytes[i] != kPoison)
            return false;
    }
    return true;
}

// Takes the string that must end right below high; moves high down to it.
bool TakeString(const std::vector<BYTE> &bytes, DWORD low, DWORD &high, const char *pointer,
                std::string &text)
{
    const BYTE *base = bytes.data();
    const BYTE *p = reinterpret_cast<const BYTE *>(pointer);
    if (p < base + low || p >= base + high)
        return false;
    DWORD offset = DWORD(p - base);
    const void *end = memchr(p, 0, high - offset);
    if (end == nullptr)
        return false;
    text.assign(pointer);
    if (offset + text.size() + 1 != high)
        return false;
    high = offset;
    return true;
}

} // namespace

EnumCall CallEnum(RouterHost &host, HANDLE handle, DWORD countAsked, DWORD size)
{
    EnumCall call;
    std::vector<BYTE> bytes(size + kGuardBytes, kPoison);
    call.count = countAsked;
    call.freeBytes = kSentinel;
    call.status = host.enumResource(handle, &call.count, bytes.data(), size, &call.freeBytes);

    if (!AllPoison(bytes, size, bytes.size())) {
        call.layoutFault = "bytes written past the buffer's end";
        return call;
    }
    bool wrote = call.status == WN_SUCCESS || call.status == WN_NO_MORE_ENTRIES;
    if (!wrote) {
        if (!AllPoison(bytes, 0, size))
            call.layoutFault = "buffer written although no record was reported";
        return call;
    }
    if (call.count > size / sizeof(NETRESOURCEA)) {
        call.layoutFault = "more records reported than fit";
        return call;
    }
    DWORD low = call.count * DWORD(sizeof(NETRESOURCEA));
    DWORD high = size;
    for (DWORD i = 0; i < call.count; ++i) {
        NETRESOURCEA raw;
        memcpy(&raw, bytes.data() + i * sizeof(NETRESOURCEA), sizeof raw);
        Resource r;
        r.scope = raw.dwScope;
        r.type = raw.dwType;
        r.displayType = raw.dwDisplayType;
        r.usage = raw.dwUsage;
        r.localNameNull = raw.lpLocalName == nullptr;
        if (!TakeString(bytes, low, high, raw.lpRemoteName, r.remote)
            || !TakeString(bytes, low, high, raw.lpComment, r.comment)
            || !TakeString(bytes, low, high, raw.lpProvider, r.provider)) {
            call.layoutFault = "record " + std::to_string(i) + ": strings not packed from the end";
            return call;
        }
        call.records.push_back(r);
    }
    if (call.freeBytes != high - low)
        call.layoutFault
            = "free bytes " + std::to_string(call.freeBytes) + ", gap " + std::to_string(high - low);
    else if (!AllPoison(bytes, low, high))
        call.layoutFault = "the gap between records and strings was written";
    return call;
}

EnumAll ReadAll(RouterHost &host, HANDLE handle, DWORD size)
{
    EnumAll all;
    const int kMaxCalls = 100000;
    DWORD callSize = size;
    while (all.calls < kMaxCalls) {
        ++all.calls;
        EnumCall call = CallEnum(host, handle, 0xFFFFFFFF, callSize);
        if (!call.layoutFault.empty()) {
            all.fault = call.layoutFault;
            return all;
        }
        if (call.status == WN_NO_MORE_ENTRIES)
            return all;
        if (call.status == WN_MORE_DATA) {
            if (call.freeBytes <= callSize) {
                all.fault = "WN_MORE_DATA with a demand of " + std::to_string(call.freeBytes)
                    + " for a buffer of " + std::to_string(callSize);
                return all;
            }
            callSize = call.freeBytes;
            continue;
        }
        if (call.status != WN_SUCCESS) {
            all.fault = "status " + std::to_string(call.status);
            return all;
        }
        all.records.insert(all.records.end(), call.records.begin(), call.records.end());
        callSize = size;
    }
    all.fault = "enumeration does not end";
    return all;
}

Walk WalkTree(RouterHost &host, DWORD size)
{
    Walk walk;
    struct Container {
        std::string key;
        const char *provider;
        std::string remote;
        bool hasRemote;
    };
    std::vector<Container> queue = {{"", nullptr, "", false}};
    for (size_t next = 0; next < queue.size(); ++next) {
        Container c = queue[next];
        HANDLE h = nullptr;
        DWORD status = host.open(c.provider, c.hasRemote ? c.remote.c_str() : nullptr, &h);
        if (status != WN_SUCCESS) {
            walk.fault = "open " + c.key + ": " + std::to_string(status);
            return walk;
        }
        EnumAll all = ReadAll(host, h, size);
        host.closeEnum(h);
        walk.calls += all.calls;
        if (!all.fault.empty()) {
            walk.fault = c.key + ": " + all.fault;
            return walk;
        }
        if (walk.tree.count(c.key)) {
            walk.fault = c.key + " listed twice";
            return walk;
        }
        std::vector<std::string> &children = walk.tree[c.key];
        for (const Resource &r : all.records) {
            children.push_back(r.remote);
            if (r.displayType == RESOURCEDISPLAYTYPE_NETWORK)
                queue.push_back({"*", kProviderName, "", false}); // the provider's root
            else if (r.usage & RESOURCEUSAGE_CONTAINER)
                queue.push_back({r.remote, kProviderName, r.remote, true});
            else
                walk.printers.push_back(r);
        }
    }
    return walk;
}

int LiveNameServiceObjects()
{
    return SimLiveObjects("string") + SimLiveObjects("object") + SimLiveObjects("list")
        + SimLiveObjects("domain");
}
