// The simulated name service and the other qvcore calls, through their exports.
#include <cstring>
#include <vector>

#include "simfixture.h"

namespace {

struct Obj {
    std::string name, server;
};

std::vector<std::string> Domains(int32_t kind)
{
    std::vector<std::string> out;
    QvList list = 0;
    EXPECT_EQ(0, NS_ListDomainBegin(kind, &list));
    char *name = nullptr;
    int32_t status;
    while ((status = NS_ListDomainNext(list, &name)) == 0) {
        out.push_back(name);
        EXPECT_EQ(0, NS_FreeString(name));
    }
    EXPECT_EQ(NS_STATUS_NO_MORE, status);
    EXPECT_EQ(NS_STATUS_NO_MORE, NS_ListDomainNext(list, &name)) << "the end stays the end";
    EXPECT_EQ(0, NS_ListDomainEnd(list));
    return out;
}

std::vector<Obj> Objects(int32_t kind, const char *domain, int32_t objectClass = NS_CLASS_PRINTER)
{
    std::vector<Obj> out;
    QvHandle h = 0;
    QvList list = 0;
    EXPECT_EQ(0, NS_CreateDomainHandle(&h));
    EXPECT_EQ(0, NS_SetDomain(kind, domain, h));
    EXPECT_EQ(0, NS_ListObjectBegin(objectClass, h, &list));
    NsObject *obj = nullptr;
    int32_t status;
    while ((status = NS_ListNext(list, &obj)) == 0) {
        // Callers read the name and the server name by address (bytes 8 and 16
        // of the 32-bit record).
        const char *base = (const char *)obj;
        out.push_back({*(char *const *)(base + offsetof(NsObject, name)),
                       *(char *const *)(base + offsetof(NsObject, serverName))});
        EXPECT_EQ(0, NS_FreeObject(obj));
    }
    EXPECT_EQ(NS_STATUS_NO_MORE, status);
    EXPECT_EQ(0, NS_ListEnd(list));
    EXPECT_EQ(0, NS_FreeDomainHandle(h));
    return out;
}

} // namespace

using SimNameService = SimTest;

TEST_F(SimNameService, SupportedKindsAreConfigurable)
{
    NsSupportedEnv *env = NS_ListSupportedEnv();
    ASSERT_NE(nullptr, env);
    ASSERT_EQ(3, env->count);
    EXPECT_EQ(0, env->kinds[0]);
    EXPECT_EQ(2, env->kinds[2]);

    const int32_t only2[] = {2};
    SimSetSupportedKinds(only2, 1);
    env = NS_ListSupportedEnv();
    ASSERT_NE(nullptr, env);
    ASSERT_EQ(1, env->count);
    EXPECT_EQ(2, env->kinds[0]);
    QvList list = 0xdead;
    EXPECT_NE(0, NS_ListDomainBegin(0, &list)) << "an unsupported kind has no domains";

    SimSetSupportedKinds(nullptr, 0);
    env = NS_ListSupportedEnv();
    ASSERT_NE(nullptr, env);
    EXPECT_EQ(0, env->count);

    SimSetSupportedKinds(nullptr, -1);
    EXPECT_EQ(nullptr, NS_ListSupportedEnv());
    ASSERT_EQ(0, SimLoadNetwork("kinds none\n"));
    EXPECT_EQ(nullptr, NS_ListSupportedEnv());
}

TEST_F(SimNameService, DomainListsOfEachKindEndWith12)
{
    EXPECT_EQ(std::vector<std::string> {"corp"}, Domains(2));
    EXPECT_EQ(std::vector<std::string> {"eng"}, Domains(0));
    EXPECT_EQ(std::vector<std::string> {"research"}, Domains(1));
}

TEST_F(SimNameService, ObjectRecordsCarryNameAndServer)
{
    std::vector<Obj> printers = Objects(2, "corp");
    ASSERT_EQ(3u, printers.size());
    EXPECT_EQ("lp1", printers[0].name);
    EXPECT_EQ("srv1", printers[0].server);
    EXPECT_EQ("lp3", printers[2].name);
    EXPECT_EQ("SRV2", printers[2].server) << "the printer's server field keeps its own case";

    std::vector<Obj> servers = Objects(2, "corp", NS_CLASS_SERVER);
    ASSERT_EQ(2u, servers.size());
    EXPECT_EQ("srv2", servers[1].name);
}

TEST_F(SimNameService, GetObjectIgnoresCaseAndKeepsStoredNames)
{
    ASSERT_EQ(0,
              SimLoadNetwork("domain 0 Eng\n"
                             "server Build\n"
                             "printer \"odd\\name\" BUILD\n"
                             "printer Plot build\n"));
    QvHandle h = 0;
    ASSERT_EQ(0, NS_CreateDomainHandle(&h));
    ASSERT_EQ(0, NS_SetDomain(0, "ENG", h));
    struct Case {
        int32_t objectClass;
        const char *asked, *name, *server;
    } cases[] = {
        {NS_CLASS_PRINTER, "plot", "Plot", "build"},  {NS_CLASS_PRINTER, "ODD\\NAME", "odd\\name", "BUILD"},
        {NS_CLASS_SERVER, "build", "Build", "Build"}, {NS_CLASS_PRINTER, "nothere", nullptr, nullptr},
        {NS_CLASS_SERVER, "plot", nullptr, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.asked);
        NsObject *obj = (NsObject *)0x1;
        int32_t status = NS_GetObject(c.objectClass, c.asked, h, &obj);
        if (!c.name) {
            EXPECT_NE(0, status);
            EXPECT_EQ((NsObject *)0x1, obj);
            continue;
        }
        ASSERT_EQ(0, status);
        EXPECT_STREQ(c.name, obj->name);
        EXPECT_STREQ(c.server, obj->serverName);
        EXPECT_EQ((uint32_t)c.objectClass, obj->objectClass);
        EXPECT_EQ(0, NS_FreeObject(obj));
    }
    QvHandle other = 0;
    ASSERT_EQ(0, NS_CreateDomainHandle(&other));
    EXPECT_NE(0, NS_SetDomain(2, "eng", other)) << "the kind is part of a domain's name";
    NsObject *obj = nullptr;
    EXPECT_NE(0, NS_GetObject(0, "plot", other, &obj)) << "a handle without a domain finds nothing";
    EXPECT_EQ(0, NS_FreeDomainHandle(other));
    EXPECT_EQ(0, NS_FreeDomainHandle(h));
}

TEST_F(SimNameService, GeneratedDomainIsLargeAndCheap)
{
    ASSERT_EQ(0, SimLoadNetwork("kinds 2\ndomain 2 big\ngenerate 10000 500\n"));
    std::vector<Obj> printers = Objects(2, "big");
    ASSERT_EQ(10000u, printers.size());
    EXPECT_EQ("gprn0", printers[0].name);
    EXPECT_EQ("gsrv0", printers[0].server);
    EXPECT_EQ("gprn9999", printers[9999].name);
    EXPECT_EQ("gsrv499", printers[9999].server);
    EXPECT_EQ(500u, Objects(2, "big", NS_CLASS_SERVER).size());
}

TEST_F(SimNameService, LocatePgrAnswersAsConfigured)
{
    char *host = nullptr;
    EXPECT_EQ(0, NS_LocatePGR(&host));
    ASSERT_NE(nullptr, host);
    EXPECT_STREQ("pgr.corp.example", host);

    SimSetPgrHost("", -7);
    host = nullptr;
    EXPECT_EQ(-7, NS_LocatePGR(&host));
    ASSERT_NE(nullptr, host);
    EXPECT_STREQ("", host);

    SimSetPgrHost(nullptr, 0);
    host = nullptr;
    NS_LocatePGR(&host);
    EXPECT_EQ(nullptr, host);
}

TEST_F(SimNameService, CoreCallsAndTheObjectIdentifierPath)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    EXPECT_EQ(QV_STATUS_DIRECTORY_EXISTS, API__DocumentExists(dir, 0));
    EXPECT_NE(QV_STATUS_DIRECTORY_EXISTS, API__DocumentExists("C:\\no\\such\\oid\\dir", 0));

    QvList list = STF_CreateList(0);
    ASSERT_NE(0u, list);
    EXPECT_EQ(0, OID_Init(list, "C:\\Quorvane\\share\\oid", 0));
    EXPECT_EQ(0, STF_DeleteList(list));
    EXPECT_EQ(0, OID_Term());
    EXPECT_NE(
        std::string::npos,
        Find(Journal(), "CALL OID_Init(" + std::to_string(list) + ",\"C:\\Quorvane\\share\\oid\",0) = 0"));

    int32_t port = 0;
    EXPECT_EQ(0, EVT_GetRegisteredPort(&port));
    EXPECT_EQ(5678, port & 0xffff);
    EXPECT_EQ(0, MSG_UsageBegin("PP"));
    EXPECT_EQ(0, MSG_UsageEnd());
    EXPECT_EQ(0, NS_Init(0, 10));
    EXPECT_EQ(0, NS_Term());
}

TEST_F(SimNameService, InjectedStatusReachesTheChosenCall)
{
    QvHandle h = 0;
    ASSERT_EQ(0, NS_CreateDomainHandle(&h));
    ASSERT_EQ(0, NS_SetDomain(2, "corp", h));
    SimInjectStatus("NS_GetObject", 2, -77);
    std::vector<int32_t> statuses;
    for (int i = 0; i < 3; ++i) {
        NsObject *obj = nullptr;
        int32_t s = NS_GetObject(0, "lp1", h, &obj);
        statuses.push_back(s);
        if (s == 0)
            NS_FreeObject(obj);
    }
    EXPECT_EQ((std::vector<int32_t> {0, -77, 0}), statuses);
    EXPECT_NE(std::string::npos,
              Find(Journal(), "CALL NS_GetObject(0,\"lp1\"," + std::to_string(h) + ",&) = -77 injected"));
    SimInjectStatus("STF_CreateList", 1, -1);
    EXPECT_EQ(0u, STF_CreateList(0)) << "a call answering a handle answers 0";
    SimInjectStatus("NS_ListSupportedEnv", 1, -1);
    EXPECT_EQ(nullptr, NS_ListSupportedEnv());
    EXPECT_EQ(0, NS_FreeDomainHandle(h));
}

TEST_F(SimNameService, LeaksAndDoubleFreesAreReported)
{
    QvHandle h = 0;
    ASSERT_EQ(0, NS_CreateDomainHandle(&h));
    ASSERT_EQ(0, NS_SetDomain(2, "corp", h));
    NsObject *obj = nullptr;
    ASSERT_EQ(0, NS_GetObject(0, "lp2", h, &obj));
    EXPECT_EQ(1, SimLiveObjects("object"));
    EXPECT_EQ(1, SimLiveObjects("domain"));
    EXPECT_EQ(2, SimLiveObjects(nullptr));
    EXPECT_NE(std::string::npos, LeakText().find("object lp2"));

    EXPECT_EQ(0, NS_FreeObject(obj));
    EXPECT_NE(0, NS_FreeObject(obj));
    EXPECT_EQ(0, NS_FreeDomainHandle(h));
    EXPECT_NE(0, NS_FreeDomainHandle(h));
    QvList list = 0;
    ASSERT_EQ(0, NS_ListDomainBegin(2, &list));
    char *name = nullptr;
    ASSERT_EQ(0, NS_ListDomainNext(list, &name));
    EXPECT_EQ(1, SimLiveObjects("string"));
    EXPECT_EQ(0, NS_FreeString(name));
    EXPECT_NE(0, NS_FreeString(name));
    EXPECT_NE(0, NS_ListEnd(list)) << "a domain list is not an object list";
    EXPECT_EQ(0, NS_ListDomainEnd(list));
    EXPECT_EQ(0, SimLiveObjects(nullptr));
    ExpectFaults(4);
}

TEST_F(SimNameService, GarbageHandlesFailWithoutCrashing)
{
    const uint32_t kGarbage[] = {1, 0xdeadbeef, 0x7fffffff};
    char text[8] = "x";
    for (uint32_t g : kGarbage) {
        SCOPED_TRACE(g);
        NsObject *obj = nullptr;
        QvList list = 0;
        char *s = nullptr;
        EXPECT_NE(0, NS_SetDomain(2, "corp", g));
        EXPECT_NE(0, NS_GetObject(0, "lp1", g, &obj));
        EXPECT_NE(0, NS_ListObjectBegin(0, g, &list));
        EXPECT_NE(0, NS_ListNext(g, &obj));
        EXPECT_NE(0, NS_ListDomainNext(g, &s));
        EXPECT_NE(0, NS_ListEnd(g));
        EXPECT_NE(0, NS_ListDomainEnd(g));
        EXPECT_NE(0, NS_FreeDomainHandle(g));
        EXPECT_NE(0, STF_DeleteList(g));
        EXPECT_NE(0, OID_Init(g, "C:\\x", 0));
        EXPECT_NE(0, NS_FreeObject((NsObject *)text));
        EXPECT_NE(0, NS_FreeString(text));
    }
    ExpectFaults(3 * 12);
}

TEST_F(SimNameService, BadDescriptionsNameTheirLineAndChangeNothing)
{
    struct Case {
        const char *text;
        int32_t status;
    } cases[] = {
        {"domain 2 a\nprinter p s\nfrobnicate\n", -3},
        {"printer p s\n", -1}, // no domain yet
        {"domain 2 a\nprinter \"unterminated s\n", -2},
        {"domain 2 a\nprinter p s ppm=many\n", -2},
        {"domain x a\n", -1},
        {"domain 2 a\nprinter p s\njob state=sleeping\n", -3},
        {"# only a comment\n\n", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_EQ(0, SimLoadDefaultNetwork());
        EXPECT_EQ(c.status, SimLoadNetwork(c.text));
        QvList list = 0;
        ASSERT_EQ(0, NS_ListDomainBegin(2, &list));
        char *name = nullptr;
        int32_t status = NS_ListDomainNext(list, &name);
        if (c.status) {
            ASSERT_EQ(0, status) << "the default network stays";
            EXPECT_STREQ("corp", name);
            NS_FreeString(name);
        } else {
            EXPECT_EQ(NS_STATUS_NO_MORE, status) << "an empty network";
        }
        NS_ListDomainEnd(list);
    }
}
