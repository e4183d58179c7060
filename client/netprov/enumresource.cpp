/*
 * NPEnumResource: fills the router's buffer with NETRESOURCE records for
 * the five levels of an enumeration. Records grow from the start of the
 * buffer, their strings from its end downwards.
 */
#include <string.h>

#include "domainkinds.h"
#include "enumhandle.h"
#include "netprov.h"

#if !defined(_WIN64)
static_assert(sizeof(NETRESOURCEA) == 32, "router record of 32 bytes");
static_assert(offsetof(NETRESOURCEA, lpRemoteName) == 20, "lpRemoteName at byte 20");
static_assert(offsetof(NETRESOURCEA, lpProvider) == 28, "lpProvider at byte 28");
#endif

namespace {

const uint32_t kRecordSize = sizeof(NETRESOURCEA);
// Record, the comment's terminator and the terminators of remote name and
// provider name: what a record takes besides the two names' characters.
const uint32_t kRecordOverhead = kRecordSize + 3;
// Levels 2 and 3 ask for one byte more than a record takes.
const uint32_t kContainerSlack = 1;

const DWORD kUsagePrinter = RESOURCEUSAGE_CONNECTABLE | RESOURCEUSAGE_NOLOCALDEVICE;

// The caller's buffer with its two frontiers: records end at m_low, the
// lowest string starts at m_high.
class AnswerBuffer {
public:
    AnswerBuffer(void *buffer, uint32_t size, DWORD *freeBytes)
        : m_base(static_cast<BYTE *>(buffer)), m_low(0), m_high(size), m_freeBytes(freeBytes)
    {
        *m_freeBytes = size;
    }

    uint32_t freeBytes() const { return m_high - m_low; }
    uint32_t written() const { return m_written; }

    // Whether a record of this demand may be written. When it may not and
    // nothing has been written yet, free bytes receives the demand.
    bool fits(uint64_t demand)
    {
        if (demand <= freeBytes())
            return true;
        if (m_written == 0)
            *m_freeBytes = demand > UINT32_MAX ? UINT32_MAX : static_cast<DWORD>(demand);
        return false;
    }

    // Writes one record; fits() has accepted a demand at least this large.
    void write(DWORD scope, DWORD type, DWORD displayType, DWORD usage, const char *remote)
    {
        NETRESOURCEA record = {};
        record.dwScope = scope;
        record.dwType = type;
        record.dwDisplayType = displayType;
        record.dwUsage = usage;
        record.lpLocalName = nullptr;
        record.lpRemoteName = pushString(remote);
        record.lpComment = pushString("");
        record.lpProvider = pushString(ProviderName().c_str());
        memcpy(m_base + m_low, &record, kRecordSize);
        m_low += kRecordSize;
        ++m_written;
        *m_freeBytes = freeBytes();
    }

private:
    char *pushString(const char *text)
    {
        uint32_t size = static_cast<uint32_t>(strlen(text)) + 1;
        m_high -= size;
        memcpy(m_base + m_high, text, size);
        return reinterpret_cast<char *>(m_base + m_high);
    }

    BYTE *m_base;
    uint32_t m_low;
    uint32_t m_high;
    uint32_t m_written = 0;
    DWORD *m_freeBytes;
};

uint64_t Demand(const TextBuffer &remote, uint32_t slack)
{
    return uint64_t(remote.length()) + ProviderName().length() + kRecordOverhead + slack;
}

const DomainKindEntry &KindOf(const EnumHandle &handle)
{
    return g_domainKinds.entries[handle.kindIndex];
}

// Ends a call that met a name-service failure. Records already written in
// this call were taken from the list for good, so they are reported rather
// than lost; the failure shows at the next call if it persists.
DWORD ListingFailed(const AnswerBuffer &out, DWORD *count)
{
    if (out.written() == 0)
        return WN_OUT_OF_MEMORY;
    *count = out.written();
    return WN_SUCCESS;
}

DWORD EnumProvider(EnumHandle &handle, DWORD *count, AnswerBuffer &out, uint32_t bufferSize)
{
    if (handle.done) {
        *count = 0;
        return WN_NO_MORE_ENTRIES;
    }
    const TextBuffer &provider = ProviderName();
    // The provider name is the record's remote name as well.
    uint64_t demand = 2 * uint64_t(provider.length()) + kRecordOverhead;
    if (demand > bufferSize) {
        out.fits(demand);
        return WN_MORE_DATA;
    }
    if (*count == 0)
        return WN_MORE_DATA;
    out.write(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_NETWORK, RESOURCEUSAGE_CONTAINER,
              provider.c_str());
    *count = 1;
    handle.done = 1;
    return WN_SUCCESS;
}

DWORD EnumKinds(EnumHandle &handle, DWORD *count, AnswerBuffer &out)
{
    if (handle.kindIndex >= g_domainKinds.count) {
        *count = 0;
        return WN_NO_MORE_ENTRIES;
    }
    TextBuffer remote;
    while (out.written() < *count && handle.kindIndex < g_domainKinds.count) {
        remote.format(QVNP_MARKER ".%s", KindOf(handle).prefix);
        if (!out.fits(Demand(remote, kContainerSlack)))
            break;
        out.write(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_DOMAIN, RESOURCEUSAGE_CONTAINER,
                  remote.c_str());
        ++handle.kindIndex;
    }
    if (out.written() == 0 && *count != 0)
        return WN_MORE_DATA;
    *count = out.written();
    return WN_SUCCESS;
}

DWORD EnumDomains(EnumHandle &handle, DWORD *count, AnswerBuffer &out)
{
    if (handle.done) {
        *count = 0;
        return WN_NO_MORE_ENTRIES;
    }
    if (handle.domainList == 0) {
        QvList list = 0;
        if (NS_ListDomainBegin(KindOf(handle).kind, &list) != 0)
            return WN_OUT_OF_MEMORY;
        handle.domainList = list;
    }
    TextBuffer remote;
    while (out.written() < *count) {
        if (handle.pendingDomainName == nullptr) {
            char *name = nullptr;
            QvStatus status = NS_ListDomainNext(handle.domainList, &name);
            if (status == NS_STATUS_NO_MORE) {
                handle.done = 1;
                break;
            }
            if (status != 0)
                return ListingFailed(out, count);
            // Held by the handle until written, so nothing leaks on a throw.
            handle.pendingDomainName = name;
        }
        remote.format(QVNP_MARKER ".%s%s", KindOf(handle).prefix, handle.pendingDomainName);
        if (!out.fits(Demand(remote, kContainerSlack))) {
            if (out.written() == 0)
                return WN_MORE_DATA;
            break;
        }
        NS_FreeString(handle.pendingDomainName);
        handle.pendingDomainName = nullptr;
        out.write(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_DOMAIN, RESOURCEUSAGE_CONTAINER,
                  remote.c_str());
    }
    *count = out.written();
    return WN_SUCCESS;
}

// Begins the object listing of the handle's domain. A start that fails
// after the domain handle was made gives that handle back, so that the next
// call starts again from nothing instead of holding a half-made listing.
bool StartDomainListing(EnumHandle &handle)
{
    if (handle.objectList != 0)
        return true;
    if (handle.domainHandle == 0) {
        QvHandle domain = 0;
        if (NS_CreateDomainHandle(&domain) != 0)
            return false;
        handle.domainHandle = domain;
    }
    QvList list = 0;
    if (NS_SetDomain(KindOf(handle).kind, handle.domainName.c_str(), handle.domainHandle) != 0
        || NS_ListObjectBegin(NS_CLASS_PRINTER, handle.domainHandle, &list) != 0) {
        NS_FreeDomainHandle(handle.domainHandle);
        handle.domainHandle = 0;
        return false;
    }
    handle.objectList = list;
    return true;
}

enum class Fetch { Object, End, Failed };

// The pending object, or the next one of the list; the handle holds it
// until the caller frees it.
Fetch FetchObject(EnumHandle &handle)
{
    if (handle.pendingObject != nullptr)
        return Fetch::Object;
    NsObject *object = nullptr;
    QvStatus status = NS_ListNext(handle.objectList, &object);
    if (status == NS_STATUS_NO_MORE)
        return Fetch::End;
    if (status != 0 || object == nullptr)
        return Fetch::Failed;
    handle.pendingObject = object;
    return Fetch::Object;
}

const char *TextOrEmpty(const char *text)
{
    return text != nullptr ? text : "";
}

void FreePendingObject(EnumHandle &handle)
{
    NS_FreeObject(handle.pendingObject);
    handle.pendingObject = nullptr;
}

DWORD EnumDomainObjects(EnumHandle &handle, DWORD *count, AnswerBuffer &out)
{
    const DomainKindEntry &kind = KindOf(handle);
    TextBuffer remote;
    if (!handle.objectsFinished) {
        if (!StartDomainListing(handle))
            return WN_OUT_OF_MEMORY;
        while (out.written() < *count) {
            Fetch fetched = FetchObject(handle);
            if (fetched == Fetch::End) {
                handle.objectsFinished = 1;
                break;
            }
            if (fetched == Fetch::Failed)
                return ListingFailed(out, count);
            const NsObject &object = *handle.pendingObject;
            remote.format("\\\\%s.%s%s\\%s", TextOrEmpty(object.serverName), kind.prefix,
                          handle.domainName.c_str(), TextOrEmpty(object.name));
            if (!out.fits(Demand(remote, 0))) {
                if (out.written() == 0)
                    return WN_MORE_DATA;
                break;
            }
            AddServerName(handle.serverNames, object.serverName);
            FreePendingObject(handle);
            out.write(RESOURCE_GLOBALNET, RESOURCETYPE_PRINT, RESOURCEDISPLAYTYPE_SHARE, kUsagePrinter,
                      remote.c_str());
        }
    }
    if (handle.objectsFinished) {
        while (out.written() < *count && handle.serverNames.head != nullptr) {
            remote.format(QVNP_MARKER "%s.%s%s", handle.serverNames.head->name.c_str(), kind.prefix,
                          handle.domainName.c_str());
            if (!out.fits(Demand(remote, 0))) {
                if (out.written() == 0)
                    return WN_MORE_DATA;
                break;
            }
            RemoveFirstServerName(handle.serverNames);
            out.write(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_SERVER,
                      RESOURCEUSAGE_CONTAINER, remote.c_str());
        }
    }
    *count = out.written();
    return out.written() > 0 ? WN_SUCCESS : WN_NO_MORE_ENTRIES;
}

DWORD EnumServerPrinters(EnumHandle &handle, DWORD *count, AnswerBuffer &out)
{
    const DomainKindEntry &kind = KindOf(handle);
    if (!StartDomainListing(handle))
        return WN_OUT_OF_MEMORY;
    TextBuffer remote;
    while (out.written() < *count) {
        Fetch fetched = FetchObject(handle);
        if (fetched == Fetch::End)
            break;
        if (fetched == Fetch::Failed)
            return ListingFailed(out, count);
        const NsObject &object = *handle.pendingObject;
        if (strcmp(TextOrEmpty(object.serverName), handle.serverName.c_str()) != 0) {
            FreePendingObject(handle);
            continue;
        }
        remote.format("\\\\%s.%s%s\\%s", handle.serverName.c_str(), kind.prefix, handle.domainName.c_str(),
                      TextOrEmpty(object.name));
        if (!out.fits(Demand(remote, 0))) {
            if (out.written() == 0)
                return WN_MORE_DATA;
            break;
        }
        FreePendingObject(handle);
        out.write(RESOURCE_GLOBALNET, RESOURCETYPE_PRINT, RESOURCEDISPLAYTYPE_SHARE, kUsagePrinter,
                  remote.c_str());
    }
    *count = out.written();
    return out.written() > 0 ? WN_SUCCESS : WN_NO_MORE_ENTRIES;
}

} // namespace

extern "C" DWORD WINAPI NPEnumResource(HANDLE hEnum, LPDWORD lpcCount, LPVOID lpBuffer, DWORD cbBuffer,
                                       LPDWORD lpcbFree)
{
    try {
        if (lpcCount == nullptr || lpcbFree == nullptr)
            return WN_BAD_POINTER;
        // No buffer holds nothing: the demand of the first record is reported.
        uint32_t size = lpBuffer != nullptr ? cbBuffer : 0;
        AnswerBuffer out(lpBuffer, size, lpcbFree);

        EnumHandle *handle = LookUpEnumHandle(hEnum);
        if (handle == nullptr)
            return WN_BAD_HANDLE;
        switch (handle->level) {
        case LevelProvider:
            return EnumProvider(*handle, lpcCount, out, size);
        case LevelKinds:
            return EnumKinds(*handle, lpcCount, out);
        case LevelDomains:
            return EnumDomains(*handle, lpcCount, out);
        case LevelDomainObjects:
            return EnumDomainObjects(*handle, lpcCount, out);
        case LevelServerPrinters:
            return EnumServerPrinters(*handle, lpcCount, out);
        default:
            return WN_NO_NETWORK;
        }
    } catch (...) {
        return WN_OUT_OF_MEMORY;
    }
}
