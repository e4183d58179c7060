// qvcore on the client side: name-service handles, lists and records, the
// string-table lists, object identifiers, usage messages, locale and event
// port; plus the handle tables and accounting that all client calls share.
#include <cstdlib>
#include <cstring>

#include "client.h"
#include "net.h"
#include "qvcore.h"
#include "qvdpa.h"

namespace qvsim {

namespace {

ClientState *g_client = new ClientState(); // never destroyed: unload order must not matter

// Storage of NS_ListSupportedEnv's answer, owned here and never freed.
const int32_t kMaxKinds = 16;
int32_t g_envKinds[kMaxKinds];
NsSupportedEnv g_env = {0, g_envKinds};

// The domain a handle names; null when the handle is unknown or unset.
DomainHandle *FindDomainHandle(QvHandle handle, const char *function)
{
    if (!handle)
        return nullptr;
    auto it = Client().domains.find(handle);
    if (it == Client().domains.end()) {
        Fault(std::string(function) + ": unknown domain handle " + std::to_string(handle));
        return nullptr;
    }
    return &it->second;
}

NsList *FindNsList(QvList list, bool domains, const char *function)
{
    if (!list)
        return nullptr;
    auto it = Client().nsLists.find(list);
    if (it == Client().nsLists.end() || it->second.domains != domains) {
        Fault(std::string(function) + ": unknown list " + std::to_string(list));
        return nullptr;
    }
    return &it->second;
}

// One heap block: the record, then the name and the server name.
NsObject *NewObject(int32_t objectClass, const std::string &name, const std::string &server)
{
    size_t size = sizeof(NsObject) + name.size() + 1 + server.size() + 1;
    NsObject *obj = (NsObject *)calloc(1, size);
    if (!obj)
        return nullptr;
    char *text = (char *)(obj + 1);
    obj->objectClass = (uint32_t)objectClass;
    obj->name = text;
    memcpy(text, name.c_str(), name.size() + 1);
    obj->serverName = text + name.size() + 1;
    memcpy(obj->serverName, server.c_str(), server.size() + 1);
    Client().objects.insert(obj);
    return obj;
}

std::string Msg(uint32_t op)
{
    std::string m;
    PutU32(m, op);
    return m;
}

} // namespace

ClientState &Client()
{
    return *g_client;
}

uint32_t NewHandle()
{
    return Client().nextHandle++;
}

std::string Exchange(const std::string &message)
{
    return net::Exchange(message);
}

RequestState *FindRequest(QvRequest request, const char *function)
{
    if (!request)
        return nullptr;
    auto it = Client().requests.find(request);
    if (it == Client().requests.end()) {
        Fault(std::string(function) + ": unknown request " + std::to_string(request));
        return nullptr;
    }
    return &it->second;
}

ValueEntry *FindValue(QvValue value, const char *function)
{
    if (!value)
        return nullptr;
    auto it = Client().values.find(value);
    if (it == Client().values.end()) {
        Fault(std::string(function) + ": unknown value " + std::to_string(value));
        return nullptr;
    }
    return &it->second;
}

bool CheckContext(QvContext context, const char *function)
{
    if (!context)
        return false;
    if (Client().requests.count(context))
        return true;
    Fault(std::string(function) + ": unknown attribute context " + std::to_string(context));
    return false;
}

QvValue NewValue(QvContext context, const Val &v)
{
    uint32_t h = NewHandle();
    Client().values[h] = ValueEntry {v, context};
    return h;
}

char *HeapText(const std::string &text)
{
    char *p = (char *)malloc(text.size() + 1);
    if (!p)
        return nullptr;
    memcpy(p, text.c_str(), text.size() + 1);
    Client().texts.insert(p);
    return p;
}

int32_t LiveCount(ObjKind kind)
{
    const ClientState &c = Client();
    switch (kind) {
    case kString:
        return (int32_t)c.strings.size();
    case kObject:
        return (int32_t)c.objects.size();
    case kList:
        return (int32_t)(c.nsLists.size() + c.stfLists.size());
    case kDomain:
        return (int32_t)c.domains.size();
    case kRequest:
        return (int32_t)c.requests.size();
    case kValue:
        return (int32_t)c.values.size();
    case kFilter:
        return (int32_t)c.filters.size();
    case kText:
        return (int32_t)c.texts.size();
    default:
        return 0;
    }
}

std::string ClientLiveReport()
{
    std::string out;
    const size_t kShown = 20;
    size_t shown = 0;
    for (const auto &r : Client().requests)
        if (shown++ < kShown)
            out += "request " + std::to_string(r.first) + " type " + std::to_string(r.second.type) + "\n";
    shown = 0;
    for (const auto &v : Client().values)
        if (shown++ < kShown)
            out += "value " + std::to_string(v.first) + " " + FormatValue(v.second.value) + "\n";
    shown = 0;
    for (const auto &o : Client().objects)
        if (shown++ < kShown)
            out += "object " + std::string(((NsObject *)o)->name) + "\n";
    shown = 0;
    for (const auto &s : Client().strings)
        if (shown++ < kShown)
            out += "string " + std::string((char *)s) + "\n";
    return out;
}

void ResetClientState()
{
    ClientState &c = Client();
    for (void *p : c.strings)
        free(p);
    for (void *p : c.objects)
        free(p);
    // Heap outputs of the getters may already be released with the C
    // run-time free; they are forgotten, not freed.
    delete g_client;
    g_client = new ClientState();
}

} // namespace qvsim

using namespace qvsim;

extern "C" {

QvStatus QVAPI NS_Init(int32_t flags, int32_t timeoutSeconds)
{
    CallScope c("NS_Init");
    c.Arg(flags).Arg(timeoutSeconds);
    int32_t s;
    if (c.Injected(&s))
        return s;
    return c.Done(0);
}

QvStatus QVAPI NS_Term(void)
{
    CallScope c("NS_Term");
    int32_t s;
    if (c.Injected(&s))
        return s;
    return c.Done(0);
}

NsSupportedEnv *QVAPI NS_ListSupportedEnv(void)
{
    CallScope c("NS_ListSupportedEnv");
    int32_t s;
    if (c.Injected(&s))
        return nullptr;
    Reader in(Exchange(Msg(net::kNsSupported)));
    std::string reply;
    uint32_t status, isNull, count;
    if (!in.U32(status) || status || !in.U32(isNull) || !in.U32(count) || isNull) {
        c.Done(QV_STATUS_UNKNOWN_DOMAIN);
        c.Out("null");
        return nullptr;
    }
    g_env.count = 0;
    for (uint32_t i = 0; i < count; ++i) {
        int32_t k;
        if (in.I32(k) && g_env.count < kMaxKinds)
            g_envKinds[g_env.count++] = k;
    }
    c.Done(0);
    std::string kinds;
    for (int32_t i = 0; i < g_env.count; ++i)
        kinds += (i ? " " : "") + std::to_string(g_envKinds[i]);
    c.Out("[" + kinds + "]");
    return &g_env;
}

QvStatus QVAPI NS_CreateDomainHandle(QvHandle *handle)
{
    CallScope c("NS_CreateDomainHandle");
    c.ArgPtr(handle);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if (!handle)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    *handle = NewHandle();
    Client().domains[*handle] = DomainHandle();
    c.Out(*handle);
    return c.Done(0);
}

QvStatus QVAPI NS_SetDomain(int32_t kind, const char *domain, QvHandle handle)
{
    CallScope c("NS_SetDomain");
    c.Arg(kind).Arg(domain).ArgU(handle);
    int32_t s;
    if (c.Injected(&s))
        return s;
    DomainHandle *d = FindDomainHandle(handle, c.Name());
    if (!d)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (!domain)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    std::string m = Msg(net::kNsCheckDomain);
    PutU32(m, (uint32_t)kind);
    PutStr(m, domain);
    Reader in(Exchange(m));
    int32_t status = QV_STATUS_BAD_ARGUMENT;
    in.I32(status);
    if (status == 0) {
        d->set = true;
        d->kind = kind;
        d->name = domain;
    }
    return c.Done(status);
}

QvStatus QVAPI NS_GetObject(int32_t objectClass, const char *name, QvHandle handle, NsObject **object)
{
    CallScope c("NS_GetObject");
    c.Arg(objectClass).Arg(name).ArgU(handle).ArgPtr(object);
    int32_t s;
    if (c.Injected(&s))
        return s;
    DomainHandle *d = FindDomainHandle(handle, c.Name());
    if (!d)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (!name || !object)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    if (!d->set)
        return c.Done(QV_STATUS_UNKNOWN_DOMAIN);
    std::string m = Msg(net::kNsGetObject);
    PutU32(m, (uint32_t)d->kind);
    PutStr(m, d->name);
    PutU32(m, (uint32_t)objectClass);
    PutStr(m, name);
    Reader in(Exchange(m));
    int32_t status = QV_STATUS_BAD_ARGUMENT;
    std::string found, server;
    if (!in.I32(status) || status)
        return c.Done(status);
    if (!in.Str(found) || !in.Str(server))
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    NsObject *obj = NewObject(objectClass, found, server);
    if (!obj)
        return c.Done(QV_STATUS_NO_MEMORY);
    *object = obj;
    c.Out(Quote(found) + " on " + Quote(server));
    return c.Done(0);
}

QvStatus QVAPI NS_ListDomainBegin(int32_t kind, QvList *list)
{
    CallScope c("NS_ListDomainBegin");
    c.Arg(kind).ArgPtr(list);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if (!list)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    std::string m = Msg(net::kNsListDomains);
    PutU32(m, (uint32_t)kind);
    Reader in(Exchange(m));
    int32_t status = QV_STATUS_BAD_ARGUMENT;
    uint32_t count;
    if (!in.I32(status) || status)
        return c.Done(status);
    if (!in.U32(count))
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    NsList l;
    l.domains = true;
    for (uint32_t i = 0; i < count; ++i) {
        std::string name;
        if (!in.Str(name))
            return c.Done(QV_STATUS_BAD_ARGUMENT);
        l.items.emplace_back(name, std::string());
    }
    *list = NewHandle();
    Client().nsLists[*list] = std::move(l);
    c.Out(*list);
    return c.Done(0);
}

QvStatus QVAPI NS_ListDomainNext(QvList list, char **domain)
{
    CallScope c("NS_ListDomainNext");
    c.ArgU(list).ArgPtr(domain);
    int32_t s;
    if (c.Injected(&s))
        return s;
    NsList *l = FindNsList(list, true, c.Name());
    if (!l)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (!domain)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    if (l->next >= l->items.size())
        return c.Done(NS_STATUS_NO_MORE);
    const std::string &name = l->items[l->next].first;
    char *text = (char *)malloc(name.size() + 1);
    if (!text)
        return c.Done(QV_STATUS_NO_MEMORY);
    memcpy(text, name.c_str(), name.size() + 1);
    Client().strings.insert(text);
    ++l->next;
    *domain = text;
    c.Out(Quote(name));
    return c.Done(0);
}

QvStatus QVAPI NS_ListDomainEnd(QvList list)
{
    CallScope c("NS_ListDomainEnd");
    c.ArgU(list);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if (!FindNsList(list, true, c.Name()))
        return c.Done(QV_STATUS_BAD_HANDLE);
    Client().nsLists.erase(list);
    return c.Done(0);
}

QvStatus QVAPI NS_ListObjectBegin(int32_t objectClass, QvHandle handle, QvList *list)
{
    CallScope c("NS_ListObjectBegin");
    c.Arg(objectClass).ArgU(handle).ArgPtr(list);
    int32_t s;
    if (c.Injected(&s))
        return s;
    DomainHandle *d = FindDomainHandle(handle, c.Name());
    if (!d)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (!list)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    if (!d->set)
        return c.Done(QV_STATUS_UNKNOWN_DOMAIN);
    std::string m = Msg(net::kNsListObjects);
    PutU32(m, (uint32_t)d->kind);
    PutStr(m, d->name);
    PutU32(m, (uint32_t)objectClass);
    Reader in(Exchange(m));
    int32_t status = QV_STATUS_BAD_ARGUMENT;
    uint32_t count;
    if (!in.I32(status) || status)
        return c.Done(status);
    if (!in.U32(count))
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    NsList l;
    l.objectClass = objectClass;
    l.items.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        std::string name, server;
        if (!in.Str(name) || !in.Str(server))
            return c.Done(QV_STATUS_BAD_ARGUMENT);
        l.items.emplace_back(std::move(name), std::move(server));
    }
    *list = NewHandle();
    c.Out(std::to_string(*list) + " (" + std::to_string(l.items.size()) + " objects)");
    Client().nsLists[*list] = std::move(l);
    return c.Done(0);
}

QvStatus QVAPI NS_ListNext(QvList list, NsObject **object)
{
    CallScope c("NS_ListNext");
    c.ArgU(list).ArgPtr(object);
    int32_t s;
    if (c.Injected(&s))
        return s;
    NsList *l = FindNsList(list, false, c.Name());
    if (!l)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (!object)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    if (l->next >= l->items.size())
        return c.Done(NS_STATUS_NO_MORE);
    const auto &item = l->items[l->next];
    NsObject *obj = NewObject(l->objectClass, item.first, item.second);
    if (!obj)
        return c.Done(QV_STATUS_NO_MEMORY);
    ++l->next;
    *object = obj;
    if (c.Recording())
        c.Out(Quote(item.first) + " on " + Quote(item.second));
    return c.Done(0);
}

QvStatus QVAPI NS_ListEnd(QvList list)
{
    CallScope c("NS_ListEnd");
    c.ArgU(list);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if (!FindNsList(list, false, c.Name()))
        return c.Done(QV_STATUS_BAD_HANDLE);
    Client().nsLists.erase(list);
    return c.Done(0);
}

QvStatus QVAPI NS_FreeDomainHandle(QvHandle handle)
{
    CallScope c("NS_FreeDomainHandle");
    c.ArgU(handle);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if (!FindDomainHandle(handle, c.Name()))
        return c.Done(QV_STATUS_BAD_HANDLE);
    Client().domains.erase(handle);
    return c.Done(0);
}

QvStatus QVAPI NS_FreeObject(NsObject *object)
{
    CallScope c("NS_FreeObject");
    c.ArgPtr(object);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if (!object)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    if (!Client().objects.erase(object)) {
        Fault("NS_FreeObject: object not given out or already freed");
        return c.Done(QV_STATUS_BAD_HANDLE);
    }
    free(object);
    return c.Done(0);
}

QvStatus QVAPI NS_FreeString(char *text)
{
    CallScope c("NS_FreeString");
    c.ArgPtr(text);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if (!text)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    if (!Client().strings.erase(text)) {
        Fault("NS_FreeString: string not given out or already freed");
        return c.Done(QV_STATUS_BAD_HANDLE);
    }
    free(text);
    return c.Done(0);
}

QvStatus QVAPI NS_LocatePGR(char **hostName)
{
    CallScope c("NS_LocatePGR");
    c.ArgPtr(hostName);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if (!hostName)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    Reader in(Exchange(Msg(net::kNsLocatePgr)));
    int32_t status = QV_STATUS_BAD_ARGUMENT;
    uint32_t hasHost = 0;
    std::string host;
    in.I32(status);
    if (in.U32(hasHost) && in.Str(host) && hasHost) {
        *hostName = (char *)net::InternText(host);
        c.Out(Quote(host));
    }
    return c.Done(status);
}

QvList QVAPI STF_CreateList(int32_t flags)
{
    CallScope c("STF_CreateList");
    c.Arg(flags);
    int32_t s;
    if (c.Injected(&s))
        return 0;
    QvList list = NewHandle();
    Client().stfLists.insert(list);
    c.Out(list);
    c.Done(0);
    return list;
}

QvStatus QVAPI STF_DeleteList(QvList list)
{
    CallScope c("STF_DeleteList");
    c.ArgU(list);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if (!list)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (!Client().stfLists.erase(list)) {
        Fault("STF_DeleteList: unknown list " + std::to_string(list));
        return c.Done(QV_STATUS_BAD_HANDLE);
    }
    return c.Done(0);
}

QvStatus QVAPI OID_Init(QvList list, const char *databasePath, int32_t flags)
{
    CallScope c("OID_Init");
    c.ArgU(list).Arg(databasePath).Arg(flags);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if (list && !Client().stfLists.count(list)) {
        Fault("OID_Init: unknown list " + std::to_string(list));
        return c.Done(QV_STATUS_BAD_HANDLE);
    }
    if (!list)
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (!databasePath)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    Client().oidOpen = true;
    return c.Done(0);
}

QvStatus QVAPI OID_Term(void)
{
    CallScope c("OID_Term");
    int32_t s;
    if (c.Injected(&s))
        return s;
    Client().oidOpen = false;
    return c.Done(0);
}

QvStatus QVAPI MSG_UsageBegin(const char *component)
{
    CallScope c("MSG_UsageBegin");
    c.Arg(component);
    int32_t s;
    if (c.Injected(&s))
        return s;
    return c.Done(0);
}

QvStatus QVAPI MSG_UsageEnd(void)
{
    CallScope c("MSG_UsageEnd");
    int32_t s;
    if (c.Injected(&s))
        return s;
    return c.Done(0);
}

QvStatus QVAPI I18N_GetDPALocaleFromLCID(QvContext context, uint32_t lcid, QvLocaleRecord *locale)
{
    CallScope c("I18N_GetDPALocaleFromLCID");
    c.ArgU(context)
        .ArgRaw("0x" +
                [&] {
                    char b[16];
                    snprintf(b, sizeof b, "%04x", lcid);
                    return std::string(b);
                }())
        .ArgPtr(locale);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if (!CheckContext(context, c.Name()))
        return c.Done(QV_STATUS_BAD_HANDLE);
    if (!locale)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    // A locale the library knows has a primary language; the neutral
    // language (LCID 0 and the like) has no record.
    uint32_t language = lcid & 0x3ff;
    if (language == 0)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    locale->part[0] = lcid;
    locale->part[1] = language;
    locale->part[2] = (lcid >> 10) & 0x3f; // sublanguage
    locale->part[3] = (lcid >> 16) & 0xf;  // sort order
    locale->part[4] = 1;
    locale->part[5] = 0;
    locale->part[6] = 0;
    return c.Done(0);
}

QvStatus QVAPI EVT_GetRegisteredPort(int32_t *port)
{
    CallScope c("EVT_GetRegisteredPort");
    c.ArgPtr(port);
    int32_t s;
    if (c.Injected(&s))
        return s;
    if (!port)
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    Reader in(Exchange(Msg(net::kEventPort)));
    int32_t status = QV_STATUS_BAD_ARGUMENT, value;
    if (!in.I32(status) || status)
        return c.Done(status);
    if (!in.I32(value))
        return c.Done(QV_STATUS_BAD_ARGUMENT);
    *port = value;
    c.Out(value);
    return c.Done(0);
}

} // extern "C"
