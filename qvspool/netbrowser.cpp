// qvspool's router side: the network tree through qvnetprov's entry points.
#include "netbrowser.h"

#include <string.h>

namespace {

const DWORD kFirstBufferSize = 4096;

bool SameText(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && _stricmp(a.c_str(), b.c_str()) == 0;
}

} // namespace

NetBrowser::~NetBrowser()
{
    if (module_)
        FreeLibrary(module_);
}

DWORD NetBrowser::load(const char *providerName)
{
    provider_ = providerName;
    RouterSetProviderName(providerName);
    module_ = LoadLibraryA("qvnetprov.dll");
    if (!module_)
        return GetLastError();
    openEnum_
        = reinterpret_cast<PF_NPOpenEnum95>(GetProcAddress(module_, MAKEINTRESOURCEA(NP_ORDINAL_OPENENUM)));
    enumResource_ = reinterpret_cast<PF_NPEnumResource95>(
        GetProcAddress(module_, MAKEINTRESOURCEA(NP_ORDINAL_ENUMRESOURCE)));
    closeEnum_
        = reinterpret_cast<PF_NPCloseEnum95>(GetProcAddress(module_, MAKEINTRESOURCEA(NP_ORDINAL_CLOSEENUM)));
    formatName_ = reinterpret_cast<PF_NPFormatNetworkName95>(
        GetProcAddress(module_, MAKEINTRESOURCEA(NP_ORDINAL_FORMATNETWORKNAME)));
    if (!openEnum_ || !enumResource_ || !closeEnum_ || !formatName_)
        return ERROR_PROC_NOT_FOUND;
    return 0;
}

std::string NetBrowser::displayName(const std::string &remote)
{
    char text[512] = {};
    DWORD length = sizeof text;
    if (formatName_(const_cast<char *>(remote.c_str()), text, &length, 0, 0) != WN_SUCCESS)
        return remote;
    return text;
}

// One container's entries. The top of the tree is opened with neither
// provider nor remote name, the provider's own entry with its name alone.
DWORD NetBrowser::read(const char *remote, bool top, std::vector<NetEntry> *entries)
{
    NETRESOURCEA container = {};
    container.dwScope = RESOURCE_GLOBALNET;
    container.dwUsage = RESOURCEUSAGE_CONTAINER;
    container.lpProvider = top ? nullptr : const_cast<char *>(provider_.c_str());
    container.lpRemoteName = const_cast<char *>(remote);
    HANDLE handle = nullptr;
    DWORD status = openEnum_(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, &container, &handle);
    if (status != WN_SUCCESS)
        return status;
    std::vector<BYTE> buffer(kFirstBufferSize);
    for (;;) {
        DWORD count = 0xFFFFFFFF;
        DWORD freeBytes = 0;
        status = enumResource_(handle, &count, buffer.data(), DWORD(buffer.size()), &freeBytes);
        if (status == WN_MORE_DATA) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != WN_SUCCESS)
            break;
        const NETRESOURCEA *records = reinterpret_cast<const NETRESOURCEA *>(buffer.data());
        for (DWORD i = 0; i < count; ++i) {
            NetEntry entry;
            entry.remote = records[i].lpRemoteName ? records[i].lpRemoteName : "";
            entry.comment = records[i].lpComment ? records[i].lpComment : "";
            entry.displayType = records[i].dwDisplayType;
            entry.container = (records[i].dwUsage & RESOURCEUSAGE_CONTAINER) != 0;
            entry.display = displayName(entry.remote);
            entries->push_back(entry);
        }
    }
    closeEnum_(handle);
    return status == WN_NO_MORE_ENTRIES ? WN_SUCCESS : status;
}

DWORD NetBrowser::walkBelow(const NetEntry &parent, std::vector<NetEntry> *entries)
{
    std::vector<NetEntry> children;
    bool providerEntry = parent.displayType == RESOURCEDISPLAYTYPE_NETWORK;
    DWORD status = read(providerEntry ? nullptr : parent.remote.c_str(), false, &children);
    if (status != WN_SUCCESS)
        return status;
    for (NetEntry &child : children) {
        child.depth = parent.depth + 1;
        child.path = parent.path.empty() ? child.display : parent.path + "/" + child.display;
        entries->push_back(child);
        if (child.container) {
            status = walkBelow(child, entries);
            if (status != WN_SUCCESS)
                return status;
        }
    }
    return WN_SUCCESS;
}

DWORD NetBrowser::walk(const std::string &path, std::vector<NetEntry> *entries)
{
    std::vector<NetEntry> top;
    DWORD status = read(nullptr, true, &top);
    if (status != WN_SUCCESS)
        return status;
    std::vector<NetEntry> tree;
    for (NetEntry &entry : top) {
        tree.push_back(entry); // the provider's own entry: its path stays empty
        status = walkBelow(entry, &tree);
        if (status != WN_SUCCESS)
            return status;
    }
    if (path.empty()) {
        *entries = tree;
        return WN_SUCCESS;
    }
    // The subtree of the container at path, itself included.
    for (size_t i = 0; i < tree.size(); ++i) {
        if (!tree[i].container || !SameText(tree[i].path, path))
            continue;
        entries->push_back(tree[i]);
        for (size_t j = i + 1; j < tree.size() && tree[j].depth > tree[i].depth; ++j)
            entries->push_back(tree[j]);
        return WN_SUCCESS;
    }
    return WN_BAD_NETNAME;
}

std::string NetBrowser::findPrinter(const std::string &path)
{
    std::vector<NetEntry> tree;
    if (walk("", &tree) != WN_SUCCESS)
        return "";
    for (const NetEntry &entry : tree) {
        if (!entry.container && SameText(entry.path, path))
            return entry.remote;
    }
    return "";
}
