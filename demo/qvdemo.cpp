/*
 * qvdemo: one run of the client over the default simulated Quorvane network.
 *
 * 1. The router's side: names the provider, loads qvnetprov.dll, takes its
 *    entry points by ordinal and walks the whole tree from the top (domain
 *    kinds, domains, servers, printers), showing each container's display name.
 * 2. The spooler's side: loads qvprov.dll, fills its table and opens, then
 *    closes, every printer the browser listed, under the name it listed.
 * 3. Checks that nothing the client took from the name service is left over.
 *
 * Exit code 0 when every printer opened and nothing leaked.
 */
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "routerhost.h"
#include "qvsim.h"
#include "spoolhost.h"

namespace {

const char kProviderName[] = "Quorvane Network";
const char kProviderKey[] = "System\\CurrentControlSet\\Control\\Print\\Providers\\Quorvane";
const DWORD kBufferSize = 4096;

struct NetProvider {
    HMODULE module = nullptr;
    PF_NPOpenEnum95 openEnum = nullptr;
    PF_NPEnumResource95 enumResource = nullptr;
    PF_NPCloseEnum95 closeEnum = nullptr;
    PF_NPFormatNetworkName95 formatName = nullptr;

    bool load()
    {
        RouterSetProviderName(kProviderName);
        module = LoadLibraryA("qvnetprov.dll");
        if (!module)
            return false;
        openEnum = reinterpret_cast<PF_NPOpenEnum95>(
            GetProcAddress(module, MAKEINTRESOURCEA(NP_ORDINAL_OPENENUM)));
        enumResource = reinterpret_cast<PF_NPEnumResource95>(
            GetProcAddress(module, MAKEINTRESOURCEA(NP_ORDINAL_ENUMRESOURCE)));
        closeEnum = reinterpret_cast<PF_NPCloseEnum95>(
            GetProcAddress(module, MAKEINTRESOURCEA(NP_ORDINAL_CLOSEENUM)));
        formatName = reinterpret_cast<PF_NPFormatNetworkName95>(
            GetProcAddress(module, MAKEINTRESOURCEA(NP_ORDINAL_FORMATNETWORKNAME)));
        return openEnum && enumResource && closeEnum && formatName;
    }

    ~NetProvider()
    {
        if (module)
            FreeLibrary(module);
    }

    std::string displayName(const std::string &remote)
    {
        char text[512] = {};
        DWORD length = sizeof text;
        if (formatName(const_cast<char *>(remote.c_str()), text, &length, 0, 0) != WN_SUCCESS)
            return remote;
        return text;
    }
};

struct Entry {
    std::string remote;
    std::string comment;
    DWORD displayType;
    DWORD usage;
};

// Reads one container's entries; false on any status but the end of the list.
// The top of the tree is opened with neither provider nor remote name, the
// provider's own entry with the provider name alone.
bool ReadContainer(NetProvider &net, const char *provider, const char *remote, std::vector<Entry> &entries)
{
    NETRESOURCEA container = {};
    container.dwScope = RESOURCE_GLOBALNET;
    container.dwUsage = RESOURCEUSAGE_CONTAINER;
    container.lpProvider = const_cast<char *>(provider);
    container.lpRemoteName = const_cast<char *>(remote);
    HANDLE handle = nullptr;
    DWORD status = net.openEnum(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, &container, &handle);
    if (status != WN_SUCCESS) {
        printf("NPOpenEnum(%s): %lu\n", remote ? remote : "(top)", (unsigned long)status);
        return false;
    }
    std::vector<BYTE> buffer(kBufferSize);
    for (;;) {
        DWORD count = 0xFFFFFFFF;
        DWORD freeBytes = 0;
        status = net.enumResource(handle, &count, buffer.data(), DWORD(buffer.size()), &freeBytes);
        if (status == WN_MORE_DATA) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != WN_SUCCESS)
            break;
        const NETRESOURCEA *records = reinterpret_cast<const NETRESOURCEA *>(buffer.data());
        for (DWORD i = 0; i < count; ++i)
            entries.push_back({records[i].lpRemoteName ? records[i].lpRemoteName : "",
                               records[i].lpComment ? records[i].lpComment : "", records[i].dwDisplayType,
                               records[i].dwUsage});
    }
    net.closeEnum(handle);
    if (status != WN_NO_MORE_ENTRIES) {
        printf("NPEnumResource(%s): %lu\n", remote ? remote : "(top)", (unsigned long)status);
        return false;
    }
    return true;
}

// Walks the tree below remote, printing it and collecting the printers.
bool Walk(NetProvider &net, const char *provider, const char *remote, int depth,
          std::vector<std::string> &printers)
{
    std::vector<Entry> entries;
    if (!ReadContainer(net, provider, remote, entries))
        return false;
    bool ok = true;
    for (const Entry &entry : entries) {
        bool container = (entry.usage & RESOURCEUSAGE_CONTAINER) != 0;
        printf("%*s%-28s %s%s%s\n", depth * 2, "", net.displayName(entry.remote).c_str(),
               entry.remote.c_str(), entry.comment.empty() ? "" : "  -- ", entry.comment.c_str());
        if (entry.displayType == RESOURCEDISPLAYTYPE_NETWORK)
            ok = Walk(net, kProviderName, nullptr, depth + 1, printers) && ok;
        else if (container)
            ok = Walk(net, kProviderName, entry.remote.c_str(), depth + 1, printers) && ok;
        else
            printers.push_back(entry.remote);
    }
    return ok;
}

} // namespace

int main()
{
    if (SimLoadDefaultNetwork() != 0) {
        printf("the default network could not be loaded\n");
        return 1;
    }

    printf("== The network browser's view (qvnetprov) ==\n");
    std::vector<std::string> printers;
    bool ok;
    {
        NetProvider net;
        if (!net.load()) {
            printf("qvnetprov.dll could not be loaded\n");
            return 1;
        }
        ok = Walk(net, nullptr, nullptr, 0, printers);
    }

    printf("\n== The spooler opens each printer (qvprov) ==\n");
    SpoolProvider provider;
    DWORD error = SpoolLoadProvider("qvprov.dll", kProviderKey, &provider);
    if (error != ERROR_SUCCESS) {
        printf("qvprov.dll could not be loaded: error %lu\n", (unsigned long)error);
        return 1;
    }
    int opened = 0;
    for (const std::string &name : printers) {
        HANDLE printer = nullptr;
        if (provider.table.fpOpenPrinter(const_cast<char *>(name.c_str()), &printer, nullptr)) {
            ++opened;
            provider.table.fpClosePrinter(printer);
            printf("  opened  %s\n", name.c_str());
        } else {
            printf("  FAILED  %s (error %lu)\n", name.c_str(), (unsigned long)GetLastError());
        }
    }
    SpoolUnloadProvider(&provider);

    int live = SimLiveObjects(nullptr);
    printf("\n%d of %zu printers opened; %d name-service objects left over\n", opened, printers.size(), live);
    return ok && opened == int(printers.size()) && live == 0 ? 0 : 1;
}
