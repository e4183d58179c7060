/*
 * npbrowse: loads qvnetprov as the Windows 95 router does and prints the
 * whole tree of the default simulated network (or of a description file
 * named on the command line), with each entry's display name.
 *
 *   npbrowse [description-file] [buffer-size]
 */
#include <stdio.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <string>

#include "qvsim.h"
#include "router_host.h"

namespace {

std::string DisplayName(RouterHost &host, const std::string &remote)
{
    char text[1024] = {};
    DWORD length = sizeof text;
    if (host.formatName(const_cast<char *>(remote.c_str()), text, &length, 0, 0) != WN_SUCCESS)
        return "?";
    return text;
}

void Print(RouterHost &host, const Walk &walk, const std::string &key, int depth)
{
    auto node = walk.tree.find(key);
    if (node == walk.tree.end())
        return;
    for (const std::string &child : node->second) {
        printf("%*s%-40s  %s\n", depth * 2, "", child.c_str(), DisplayName(host, child).c_str());
        Print(host, walk, key.empty() ? "*" : child, depth + 1);
    }
}

} // namespace

int main(int argc, char **argv)
{
    int32_t loaded;
    if (argc > 1) {
        std::ifstream file(argv[1]);
        std::stringstream text;
        text << file.rdbuf();
        loaded = SimLoadNetwork(text.str().c_str());
    } else {
        loaded = SimLoadDefaultNetwork();
    }
    if (loaded != 0) {
        fprintf(stderr, "npbrowse: the network description was not accepted (%d)\n", loaded);
        return 1;
    }
    DWORD size = argc > 2 ? DWORD(strtoul(argv[2], nullptr, 10)) : 4096;
    RouterHost host;
    if (!host.load()) {
        fprintf(stderr, "npbrowse: qvnetprov.dll could not be loaded\n");
        return 1;
    }
    Walk walk = WalkTree(host, size);
    if (!walk.fault.empty()) {
        fprintf(stderr, "npbrowse: %s\n", walk.fault.c_str());
        return 1;
    }
    Print(host, walk, "", 0);
    printf("%zu printer entries, %d calls of NPEnumResource with %lu-byte buffers\n", walk.printers.size(),
           walk.calls, (unsigned long)size);
    host.unload();
    return SimLiveObjects(nullptr) == 0 ? 0 : 2;
}
