/*
 * qvspool's router side: names the provider, loads qvnetprov.dll as the
 * Windows 95 router does, takes its entry points by ordinal and reads the
 * network tree through them, with display names from NPFormatNetworkName.
 */
#pragma once

#include <string>
#include <vector>

#include "routerhost.h"

struct NetEntry {
    std::string remote;  // the router's remote name
    std::string display; // as the network browser shows it
    std::string path;    // display names from below the provider, joined by '/'
    std::string comment;
    DWORD displayType = 0;
    bool container = false;
    int depth = 0;
};

class NetBrowser {
public:
    ~NetBrowser();
    // Loads the provider; the Win32 or WN_ error of the step that failed, or 0.
    DWORD load(const char *providerName);

    // Every entry below the container at path ("" for the whole tree), depth
    // first, in the provider's order. Returns WN_SUCCESS or the WN_ status
    // that ended a listing; an unknown path answers WN_BAD_NETNAME.
    DWORD walk(const std::string &path, std::vector<NetEntry> *entries);

    // The printer whose display path is path (letter case ignored): its
    // remote name, or empty when there is none.
    std::string findPrinter(const std::string &path);

private:
    DWORD read(const char *remote, bool top, std::vector<NetEntry> *entries);
    DWORD walkBelow(const NetEntry &parent, std::vector<NetEntry> *entries);
    std::string displayName(const std::string &remote);

    std::string provider_;
    HMODULE module_ = nullptr;
    PF_NPOpenEnum95 openEnum_ = nullptr;
    PF_NPEnumResource95 enumResource_ = nullptr;
    PF_NPCloseEnum95 closeEnum_ = nullptr;
    PF_NPFormatNetworkName95 formatName_ = nullptr;
};
