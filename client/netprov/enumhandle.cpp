/*
 * Enumeration handles: NPOpenEnum, NPCloseEnum, the record of open handles
 * and the list of server names a domain listing collects.
 */
#include "enumhandle.h"

#include <new>
#include <set>
#include <string.h>

#include "domainkinds.h"
#include "netprov.h"

namespace {

// Open handles. The router hands back whatever HANDLE it holds; looking it
// up here first means a foreign, stale or made-up value is refused without
// being read through.
class OpenHandles {
public:
    OpenHandles() { InitializeCriticalSection(&m_section); }
    ~OpenHandles() { DeleteCriticalSection(&m_section); }

    void add(EnumHandle *handle) // throws std::bad_alloc
    {
        Guard guard(m_section);
        m_handles.insert(handle);
    }
    bool remove(EnumHandle *handle)
    {
        Guard guard(m_section);
        return m_handles.erase(handle) != 0;
    }
    bool contains(EnumHandle *handle)
    {
        Guard guard(m_section);
        return m_handles.count(handle) != 0;
    }

private:
    class Guard {
    public:
        explicit Guard(CRITICAL_SECTION &section) : m_section(section) { EnterCriticalSection(&m_section); }
        ~Guard() { LeaveCriticalSection(&m_section); }
        Guard(const Guard &) = delete;
        Guard &operator=(const Guard &) = delete;

    private:
        CRITICAL_SECTION &m_section;
    };

    CRITICAL_SECTION m_section;
    std::set<EnumHandle *> m_handles;
};

OpenHandles g_openHandles;

// Releases everything the handle holds, in the order the name service
// expects, then the handle. The signature is cleared first so that the
// block is never again taken for a live handle.
void ReleaseEnumHandle(EnumHandle *handle)
{
    handle->signature = 0;
    if (handle->pendingObject != nullptr) {
        NS_FreeObject(handle->pendingObject);
        handle->pendingObject = nullptr;
    }
    if (handle->objectList != 0) {
        NS_ListEnd(handle->objectList);
        handle->objectList = 0;
    }
    if (handle->domainHandle != 0) {
        NS_FreeDomainHandle(handle->domainHandle);
        handle->domainHandle = 0;
    }
    if (handle->domainList != 0) {
        NS_ListDomainEnd(handle->domainList);
        handle->domainList = 0;
    }
    if (handle->pendingDomainName != nullptr) {
        NS_FreeString(handle->pendingDomainName);
        handle->pendingDomainName = nullptr;
    }
    FreeServerNames(handle->serverNames);
    delete handle; // the server name and the domain name go with it
}

bool StartsWith(const char *text, const char *prefix)
{
    return strncmp(text, prefix, strlen(prefix)) == 0;
}

// Fills a new handle's level from the router's container record. Returns
// WN_SUCCESS or WN_NOT_CONTAINER.
DWORD ChooseLevel(EnumHandle &handle, const NETRESOURCEA &container)
{
    if (container.lpProvider == nullptr) {
        handle.level = LevelProvider;
        handle.done = 0;
        return WN_SUCCESS;
    }
    const char *remote = container.lpRemoteName;
    if (remote == nullptr) {
        handle.level = g_domainKinds.count >= 2 ? LevelKinds : LevelDomains;
        handle.kindIndex = 0;
        handle.done = 0;
        return WN_SUCCESS;
    }
    if (StartsWith(remote, QVNP_MARKER ".")) {
        const char *domain = nullptr;
        handle.kindIndex = MatchKindPrefix(remote + kMarkerLength + 1, &domain);
        if (*domain == '\0') {
            handle.level = LevelDomains;
            handle.done = 0;
        } else {
            handle.level = LevelDomainObjects;
            handle.domainName.assign(domain);
            handle.objectsFinished = 0;
        }
        return WN_SUCCESS;
    }
    if (StartsWith(remote, QVNP_MARKER)) {
        const char *server = remote + kMarkerLength;
        const char *dot = FindCharacter(server, '.');
        if (dot != nullptr) {
            handle.level = LevelServerPrinters;
            handle.serverName.assign(server);
            handle.serverName.truncate(static_cast<int32_t>(dot - server));
            const char *domain = nullptr;
            handle.kindIndex = MatchKindPrefix(dot + 1, &domain);
            handle.domainName.assign(domain);
            return WN_SUCCESS;
        }
    }
    return WN_NOT_CONTAINER;
}

} // namespace

void AddServerName(ServerNameList &list, const char *name)
{
    if (name == nullptr)
        name = "";
    auto added = list.seen.insert(name);
    if (!added.second)
        return;
    ServerNameNode *node = nullptr;
    try {
        node = new ServerNameNode;
        node->name.assign(name);
    } catch (...) {
        delete node;
        list.seen.erase(added.first);
        throw;
    }
    if (list.head == nullptr)
        list.head = node;
    else
        list.tail->next = node;
    list.tail = node;
}

void RemoveFirstServerName(ServerNameList &list)
{
    ServerNameNode *node = list.head;
    if (node == nullptr)
        return;
    list.head = node->next;
    if (list.head == nullptr)
        list.tail = nullptr;
    delete node;
}

void FreeServerNames(ServerNameList &list)
{
    while (list.head != nullptr)
        RemoveFirstServerName(list);
    list.seen.clear();
}

EnumHandle *LookUpEnumHandle(void *handle)
{
    EnumHandle *candidate = static_cast<EnumHandle *>(handle);
    if (candidate == nullptr || !g_openHandles.contains(candidate))
        return nullptr;
    if (candidate->signature != kEnumSignature)
        return nullptr;
    return candidate;
}

extern "C" DWORD WINAPI NPOpenEnum(DWORD dwScope, DWORD dwType, DWORD dwUsage, LPNETRESOURCEA lpNetResource,
                                   LPHANDLE lphEnum)
{
    EnumHandle *handle = nullptr;
    try {
        if (!EnsureNameService())
            return WN_NO_NETWORK;
        if (lpNetResource == nullptr)
            return WN_OUT_OF_MEMORY;
        if (lphEnum == nullptr)
            return WN_BAD_POINTER;

        handle = new EnumHandle;
        DWORD status = ChooseLevel(*handle, *lpNetResource);
        if (status != WN_SUCCESS) {
            delete handle;
            return status;
        }
        g_openHandles.add(handle);
        *lphEnum = handle;
        return WN_SUCCESS;
    } catch (...) {
        // Nothing of the name service is held yet: the handle alone goes.
        delete handle;
        return WN_OUT_OF_MEMORY;
    }
}

extern "C" DWORD WINAPI NPCloseEnum(HANDLE hEnum)
{
    try {
        EnumHandle *handle = LookUpEnumHandle(hEnum);
        if (handle == nullptr || !g_openHandles.remove(handle))
            return WN_BAD_HANDLE;
        ReleaseEnumHandle(handle);
        return WN_SUCCESS;
    } catch (...) {
        return WN_OUT_OF_MEMORY;
    }
}
