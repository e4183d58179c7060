// The simulated name service: supported domain kinds, domains, printer
// (class 0) and server (class 3) objects, the pgr server and the event port.
// Lookups ignore letter case; names come back as stored.
#include <algorithm>

#include "net.h"
#include "network.h"
#include "qvcore.h"
#include "qvdpa.h"

namespace qvsim {
namespace net {

namespace {

bool KindSupported(int32_t kind)
{
    const Network &net = Net();
    return !net.kindsNull && std::find(net.kinds.begin(), net.kinds.end(), kind) != net.kinds.end();
}

// The domain a kind and name select, or -1.
int32_t ReadDomain(Reader &in, bool &ok)
{
    int32_t kind;
    std::string name;
    ok = in.I32(kind) && in.Str(name);
    if (!ok || !KindSupported(kind))
        return -1;
    return FindDomain(kind, name);
}

void PutObject(std::string &out, int32_t objectClass, int32_t index)
{
    const Network &net = Net();
    if (objectClass == NS_CLASS_SERVER) {
        PutStr(out, net.servers[index].name);
        PutStr(out, net.servers[index].name);
    } else {
        PutStr(out, net.printers[index].name);
        PutStr(out, net.printers[index].serverField);
    }
}

} // namespace

std::string HandleNameService(uint32_t op, Reader &in)
{
    Network &net = Net();
    std::string out;
    bool ok = true;
    switch (op) {
    case kNsSupported:
        out = StatusReply(0);
        PutU32(out, net.kindsNull ? 1 : 0);
        PutU32(out, (uint32_t)net.kinds.size());
        for (int32_t k : net.kinds)
            PutU32(out, (uint32_t)k);
        return out;
    case kNsCheckDomain: {
        int32_t d = ReadDomain(in, ok);
        return StatusReply(!ok ? QV_STATUS_BAD_ARGUMENT : d < 0 ? QV_STATUS_UNKNOWN_DOMAIN : 0);
    }
    case kNsListDomains: {
        int32_t kind;
        if (!in.I32(kind))
            return StatusReply(QV_STATUS_BAD_ARGUMENT);
        if (!KindSupported(kind))
            return StatusReply(QV_STATUS_UNKNOWN_DOMAIN);
        std::vector<const std::string *> names;
        for (const auto &d : net.domains)
            if (d.kind == kind)
                names.push_back(&d.name);
        out = StatusReply(0);
        PutU32(out, (uint32_t)names.size());
        for (auto *n : names)
            PutStr(out, *n);
        return out;
    }
    case kNsGetObject: {
        int32_t d = ReadDomain(in, ok), objectClass;
        std::string name;
        if (!ok || !in.I32(objectClass) || !in.Str(name))
            return StatusReply(QV_STATUS_BAD_ARGUMENT);
        if (d < 0)
            return StatusReply(QV_STATUS_UNKNOWN_DOMAIN);
        int32_t found = -1;
        if (objectClass == NS_CLASS_PRINTER) {
            found = FindPrinter(d, name);
        } else if (objectClass == NS_CLASS_SERVER) {
            for (int32_t s : net.domains[d].servers)
                if (Lower(net.servers[s].name) == Lower(name))
                    found = s;
        } else {
            return StatusReply(QV_STATUS_BAD_ARGUMENT);
        }
        if (found < 0)
            return StatusReply(objectClass == NS_CLASS_SERVER ? QV_STATUS_UNKNOWN_SERVER
                                                              : QV_STATUS_UNKNOWN_PRINTER);
        out = StatusReply(0);
        PutObject(out, objectClass, found);
        return out;
    }
    case kNsListObjects: {
        int32_t d = ReadDomain(in, ok), objectClass;
        if (!ok || !in.I32(objectClass))
            return StatusReply(QV_STATUS_BAD_ARGUMENT);
        if (d < 0)
            return StatusReply(QV_STATUS_UNKNOWN_DOMAIN);
        if (objectClass != NS_CLASS_PRINTER && objectClass != NS_CLASS_SERVER)
            return StatusReply(QV_STATUS_BAD_ARGUMENT);
        const auto &list = objectClass == NS_CLASS_PRINTER ? net.domains[d].printers : net.domains[d].servers;
        out = StatusReply(0);
        PutU32(out, (uint32_t)list.size());
        for (int32_t i : list)
            PutObject(out, objectClass, i);
        return out;
    }
    case kNsLocatePgr:
        out = StatusReply(net.pgrSet || net.pgrStatus ? net.pgrStatus : QV_STATUS_UNKNOWN_SERVER);
        PutU32(out, net.pgrSet ? 1 : 0);
        PutStr(out, net.pgrHost);
        return out;
    case kEventPort:
        if (!net.eventPort)
            return StatusReply(QV_STATUS_UNKNOWN_SERVER);
        out = StatusReply(0);
        PutU32(out, (uint32_t)net.eventPort);
        return out;
    default:
        return StatusReply(QV_STATUS_BAD_ARGUMENT);
    }
}

} // namespace net
} // namespace qvsim
