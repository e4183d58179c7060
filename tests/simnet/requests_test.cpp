// Requests against the simulated print servers: queries, filters, printing,
// job control, the journal, and several threads at once.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "simfixture.h"
#include "threads.h"

namespace {

// Job identifiers of a type-10 list of the jobs on lp1's server (corp).
std::vector<std::string> ListJobs(uint32_t filters, int32_t *status = nullptr)
{
    std::vector<std::string> ids;
    Request r(DPA_REQUEST_LIST);
    QvValue printer = 0;
    EXPECT_EQ(0, CC_AVCreateSimpleName(*r, &printer, 5, "lp1", 3));
    AddDomain(*r, "corp", 3051);
    EXPECT_EQ(0, CC_SetAttributeType(*r, 0, 244, printer, 0));
    AskFor(*r, {1057, 134});
    if (filters) {
        QvFilter filter = 0;
        EXPECT_EQ(0, CC_OpenFilter(*r, 0, 0, &filter));
        if (filters & 1) {
            QvValue owner = 0;
            EXPECT_EQ(0, CC_AVCreateDistNameString(*r, &owner, 0, 0));
            EXPECT_EQ(0, CC_SetFilterItem(*r, filter, 2, 134, owner));
        }
        if (filters & 2) {
            QvValue name = 0;
            EXPECT_EQ(0, CC_AVCreateSimpleName(*r, &name, 5, "lp2", 3));
            EXPECT_EQ(0, CC_SetFilterItem(*r, filter, 2, 244, name));
        }
    }
    int32_t s = CC_SubmitRequest(*r);
    if (status)
        *status = s;
    QvValue instance = 0;
    while (s == 0 && CC_GetObjectInstance(*r, 0, &instance) == 0) {
        EXPECT_EQ(0, CC_FindAttributeType(*r, 2, 0, 1057));
        QvValue id = 0;
        EXPECT_EQ(0, CC_GetValueIncr(*r, 2, &id));
        char *text = nullptr;
        EXPECT_EQ(0, CC_AVGetJobIdentifier(*r, id, &text));
        ids.push_back(text ? text : "");
        CC_AVFree(*r, text);
        CC_AVDel(*r, id);
        CC_AVDel(*r, instance);
    }
    return ids;
}

// Submits a print job for printer on the corp domain; returns its identifier.
std::string SubmitJob(QvRequest r, const char *printer, const char *name)
{
    AddDomain(r, "corp", 3051);
    SetName(r, 0, 244, printer);
    if (name)
        SetName(r, 1, 133, name);
    EXPECT_EQ(0, CC_SubmitRequest(r));
    QvValue instance = 0, id = 0;
    EXPECT_EQ(0, CC_GetObjectInstance(r, 0, &instance));
    EXPECT_EQ(0, CC_AVGetObjIdentification(r, instance, &id));
    char *text = nullptr;
    EXPECT_EQ(0, CC_AVGetJobIdentifier(r, id, &text));
    std::string s = text ? text : "";
    free(text);
    CC_AVDel(r, id);
    CC_AVDel(r, instance);
    return s;
}

// Sends a job-control request (0, 8, 9, 14) for a job on srv1.
int32_t Control(int32_t type, const std::string &jobId)
{
    Request r(type);
    QvValue server = 0, job = 0, obj = 0;
    EXPECT_EQ(0, CC_AVCreateSimpleName(*r, &server, 5, "srv1", 4));
    EXPECT_EQ(0, CC_AVCreateJobIdentifier(*r, &job, jobId.c_str()));
    EXPECT_EQ(0, CC_AVCreateObjIdentification(*r, &obj, job));
    EXPECT_EQ(0, CC_AVDel(*r, job));
    EXPECT_EQ(0, CC_SetObjectInstance(*r, server, obj));
    return CC_SubmitRequest(*r);
}

} // namespace

using SimRequests = SimTest;

TEST_F(SimRequests, ListWalkEndsWith7AndStartsAgain)
{
    Request r(DPA_REQUEST_LIST);
    AddDomain(*r, "corp", 3051);
    SetName(*r, 0, 244, "LP1");
    AskFor(*r, {1057, 248, 248});
    ASSERT_EQ(0, CC_SubmitRequest(*r));
    std::vector<QvValue> seen;
    QvValue instance = 0;
    int32_t status;
    while ((status = CC_GetObjectInstance(*r, 0, &instance)) == 0) {
        seen.push_back(instance);
        EXPECT_EQ(QV_STATUS_ATTRIBUTE_ABSENT, CC_FindAttributeType(*r, 2, 0, 133)) << "not asked for";
        ASSERT_EQ(0, CC_FindAttributeType(*r, 2, 0, 248));
        QvValue state = 0;
        ASSERT_EQ(0, CC_GetValueIncr(*r, 2, &state));
        EXPECT_EQ(QV_STATUS_NO_VALUE_LEFT, CC_GetValueIncr(*r, 2, &state)) << "248 comes once";
        EXPECT_EQ(0, CC_AVDel(*r, state));
    }
    EXPECT_EQ(QV_STATUS_NO_MORE_OBJECTS, status);
    EXPECT_EQ(4u, seen.size()) << "every job of the printer's server";
    char *first = nullptr, *again = nullptr;
    ASSERT_EQ(0, CC_AVGetJobIdentifier(*r, seen[0], &first));
    ASSERT_EQ(0, CC_GetObjectInstance(*r, 0, &instance));
    ASSERT_EQ(0, CC_AVGetJobIdentifier(*r, instance, &again));
    EXPECT_STREQ(first, again) << "after 7 the walk starts at the first object";
    EXPECT_STREQ("1-srv1", first);
    free(first);
    free(again);
    EXPECT_EQ(0, CC_AVDel(*r, instance));
    for (QvValue v : seen)
        EXPECT_EQ(0, CC_AVDel(*r, v));
    // A rewind as a cache does it: walk without instances until non-zero;
    // the next call delivers the first object again.
    int n = 0;
    while (CC_GetObjectInstance(*r, 0, nullptr) == 0)
        ++n;
    EXPECT_EQ(3, n);
    ASSERT_EQ(0, CC_GetObjectInstance(*r, 0, &instance));
    ASSERT_EQ(0, CC_AVGetJobIdentifier(*r, instance, &again));
    EXPECT_STREQ("1-srv1", again);
    free(again);
    EXPECT_EQ(0, CC_AVDel(*r, instance));
}

TEST_F(SimRequests, FiltersSelectTheCallersAndThePrintersJobs)
{
    SimSetCallerName("ANN");
    struct Case {
        uint32_t filters;
        std::vector<std::string> ids;
    } cases[] = {
        {0, {"1-srv1", "2-srv1", "3-srv1", "4-srv1"}}, {1, {"1-srv1", "3-srv1"}}, {2, {"4-srv1"}}, {3, {}},
        {4, {"1-srv1", "2-srv1", "3-srv1", "4-srv1"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.filters);
        EXPECT_EQ(c.ids, ListJobs(c.filters));
    }
    SimSetCallerName("carol");
    EXPECT_EQ((std::vector<std::string> {"4-srv1"}), ListJobs(1));
}

TEST_F(SimRequests, AbsentAndValuelessAttributes)
{
    ASSERT_EQ(0,
              SimLoadNetwork("domain 2 corp\n"
                             "printer lp1 srv1\n"
                             "job owner=ann empty=241 omit=271\n"));
    Request r(DPA_REQUEST_LIST);
    AddDomain(*r, "corp", 3051);
    SetName(*r, 0, 244, "lp1");
    AskFor(*r, {133, 241, 271});
    ASSERT_EQ(0, CC_SubmitRequest(*r));
    QvValue instance = 0, v = 0xdead;
    ASSERT_EQ(0, CC_GetObjectInstance(*r, 0, &instance));
    EXPECT_EQ(QV_STATUS_ATTRIBUTE_ABSENT, CC_FindAttributeType(*r, 2, 0, 133)) << "a job without a name";
    EXPECT_EQ(QV_STATUS_ATTRIBUTE_ABSENT, CC_FindAttributeType(*r, 2, 0, 271));
    ASSERT_EQ(0, CC_FindAttributeType(*r, 2, 0, 241));
    EXPECT_EQ(0, CC_GetValueIncr(*r, 2, &v));
    EXPECT_EQ(0u, v) << "an attribute without a value gives the word 0";
    EXPECT_EQ(QV_STATUS_NO_VALUE_LEFT, CC_GetValueIncr(*r, 2, &v));
    EXPECT_EQ(0, CC_AVDel(*r, instance));
    EXPECT_EQ(QV_STATUS_NO_MORE_OBJECTS, CC_GetObjectInstance(*r, 0, &instance));
    // The request's own attributes, as the printer filter reads them back.
    ASSERT_EQ(0, CC_FindAttributeType(*r, 0, 0, 244));
    ASSERT_EQ(0, CC_GetValueIncr(*r, 0, &v));
    EXPECT_EQ("lp1", NameText(*r, v));
    EXPECT_EQ(0, CC_AVDel(*r, v));
}

TEST_F(SimRequests, PrinterAttributesAndDriverDescriptions)
{
    Request r(DPA_REQUEST_READ_OBJECT);
    QvValue cls = 0, name = 0, obj = 0;
    ASSERT_EQ(0, CC_AVCreateIdentifier(*r, &cls, 88));
    ASSERT_EQ(0, CC_SetAttributeType(*r, 0, 1032, cls, 0));
    AskFor(*r, {649, 105, 650, 869, 3165, 653, 3299});
    ASSERT_EQ(0, CC_AVCreateSimpleName(*r, &name, 5, "lp1", 3));
    ASSERT_EQ(0, CC_AVCreateObjIdentification(*r, &obj, name));
    ASSERT_EQ(0, CC_AVDel(*r, name));
    AddDomain(*r, "corp", 3051);
    ASSERT_EQ(0, CC_SetObjectInstance(*r, 0, obj));
    ASSERT_EQ(0, CC_SubmitRequest(*r));
    QvValue instance = 0, v = 0;
    ASSERT_EQ(0, CC_GetObjectInstance(*r, 0, &instance));

    ASSERT_EQ(0, CC_FindAttributeType(*r, 2, 0, 649));
    ASSERT_EQ(0, CC_GetValueIncr(*r, 2, &v));
    EXPECT_EQ("lp1", NameText(*r, v));
    EXPECT_EQ(0, CC_AVDel(*r, v));

    ASSERT_EQ(0, CC_FindAttributeType(*r, 2, 0, 105));
    ASSERT_EQ(0, CC_GetValueIncr(*r, 2, &v));
    int32_t kind = -1;
    char *text = nullptr, *other = nullptr;
    ASSERT_EQ(0, CC_AVGetDescriptor(*r, v, &kind, &text, &other));
    EXPECT_STREQ("First floor laser", text);
    EXPECT_EQ(0, CC_AVFree(*r, text));
    EXPECT_EQ(0, CC_AVFree(*r, other));
    EXPECT_EQ(0, CC_AVDel(*r, v));

    struct Num {
        int32_t type;
        uint32_t expected;
    } nums[] = {{869, 1}, {3165, 3}, {653, 12}};
    for (const auto &n : nums) {
        SCOPED_TRACE(n.type);
        ASSERT_EQ(0, CC_FindAttributeType(*r, 2, 0, n.type));
        ASSERT_EQ(0, CC_GetValueIncr(*r, 2, &v));
        uint32_t got = 0xdead;
        int32_t s = n.type == 869 ? CC_AVGetBoolean(*r, v, (int32_t *)&got)
            : n.type == 653       ? CC_AVGetPositiveInteger(*r, v, &got)
                                  : CC_AVGetCardinal(*r, v, &got);
        EXPECT_EQ(0, s);
        EXPECT_EQ(n.expected, got);
        EXPECT_EQ(0, CC_AVDel(*r, v));
    }

    ASSERT_EQ(0, CC_FindAttributeType(*r, 2, 0, 3299));
    std::vector<int32_t> platforms;
    while (CC_GetValueIncr(*r, 2, &v) == 0) {
        int32_t version = 0, platform = 0;
        QvValue dname, path, data, config, help, monitor, type, env;
        QvValue *deps = nullptr;
        ASSERT_EQ(0,
                  CC_AVGetDriverInfo(*r, v, &version, &dname, &platform, &path, &data, &config, &help, &deps,
                                     &monitor, &type, &env));
        platforms.push_back(platform);
        if (platform == 3301) {
            EXPECT_EQ(4, version);
            EXPECT_EQ("Tamsell LaserWriter 4", NameText(*r, dname));
            ASSERT_NE(nullptr, deps);
            std::vector<std::string> files;
            for (QvValue *d = deps; *d; ++d) {
                char *t = nullptr, *o = nullptr;
                ASSERT_EQ(0, CC_AVGetText(*r, *d, nullptr, &t, &o));
                files.push_back(t);
                free(t);
            }
            EXPECT_EQ(
                (std::vector<std::string> {"C:\\WINDOWS\\SYSTEM\\TLASER4.DRV", "TLUI.DLL", "TLRES.DLL"}),
                files);
        }
        for (QvValue x : {dname, path, data, config, help, monitor, type, env})
            if (x) {
                EXPECT_EQ(0, CC_AVDel(*r, x));
            }
        for (QvValue *d = deps; d && *d; ++d)
            EXPECT_EQ(0, CC_AVDel(*r, *d));
        free(deps);
        EXPECT_EQ(0, CC_AVDel(*r, v));
    }
    EXPECT_EQ((std::vector<int32_t> {3301, 3050, 886}), platforms);
    EXPECT_EQ(0, CC_AVDel(*r, instance));
}

TEST_F(SimRequests, JobAttributesOfEveryKind)
{
    ASSERT_EQ(0,
              SimLoadNetwork("domain 0 eng\nprinter lp1 srv1\n"
                             "job owner=ann name=\"a b\" state=300 priority=65535 size=5000000000 pages=9 "
                             "printed=2 submitted=\"1998-03-02 09:15:07\" time=61\n"));
    Request r(DPA_REQUEST_READ_OBJECT);
    QvValue cls = 0, server = 0, job = 0, obj = 0;
    ASSERT_EQ(0, CC_AVCreateIdentifier(*r, &cls, 87));
    ASSERT_EQ(0, CC_SetAttributeType(*r, 0, 1032, cls, 0));
    ASSERT_EQ(0, CC_AVCreateJobIdentifier(*r, &job, "1"));
    ASSERT_EQ(0, CC_AVCreateObjIdentification(*r, &obj, job));
    ASSERT_EQ(0, CC_AVDel(*r, job));
    ASSERT_EQ(0, CC_AVCreateSimpleName(*r, &server, 5, "SRV1", 4));
    AddDomain(*r, "eng", 3044);
    ASSERT_EQ(0, CC_SetObjectInstance(*r, server, obj));
    ASSERT_EQ(0, CC_SubmitRequest(*r)) << "no 1001: every attribute comes back";
    QvValue instance = 0, v = 0;
    ASSERT_EQ(0, CC_GetObjectInstance(*r, 0, &instance));
    auto value = [&](int32_t type) {
        EXPECT_EQ(0, CC_FindAttributeType(*r, 2, 0, type)) << type;
        QvValue x = 0;
        EXPECT_EQ(0, CC_GetValueIncr(*r, 2, &x)) << type;
        return x;
    };
    int32_t n = 0;
    uint32_t u = 0, hi = 0, lo = 0;
    v = value(248);
    EXPECT_EQ(0, CC_AVGetIdentifier(*r, v, &n));
    EXPECT_EQ(300, n);
    CC_AVDel(*r, v);
    v = value(241);
    EXPECT_EQ(0, CC_AVGetPriority(*r, v, &n));
    EXPECT_EQ(0xffff, n & 0xffff);
    CC_AVDel(*r, v);
    v = value(277);
    EXPECT_EQ(0, CC_AVGetCardinal64(*r, v, &hi, &lo));
    EXPECT_EQ(1u, hi);
    EXPECT_EQ(705032704u, lo);
    CC_AVDel(*r, v);
    v = value(283);
    EXPECT_EQ(0, CC_AVGetDeltaTime(*r, v, &n));
    EXPECT_EQ(61, n);
    CC_AVDel(*r, v);
    v = value(312);
    EXPECT_EQ(0, CC_AVGetCardinal(*r, v, &u));
    EXPECT_EQ(9u, u);
    CC_AVDel(*r, v);
    v = value(271);
    uint16_t d, mo, y, h, mi, s;
    EXPECT_EQ(0, CC_AVGetGeneralizedTime(*r, v, &d, &mo, &y, &h, &mi, &s));
    EXPECT_EQ((std::vector<int> {2, 3, 1998, 9, 15, 7}), (std::vector<int> {d, mo, y, h, mi, s}));
    CC_AVDel(*r, v);
    v = value(134);
    QvValue textPart = 0, namePart = 0, inner = 0;
    EXPECT_EQ(0, CC_AVGetDistNameString(*r, v, &textPart, &namePart));
    EXPECT_EQ(0, CC_AVGetNameOrOID(*r, namePart, &inner));
    EXPECT_EQ(0, CC_AVGetIdentifier(*r, inner, &n));
    EXPECT_EQ(3044, n) << "the owner's name part follows the domain's kind";
    for (QvValue x : {v, textPart, namePart, inner, instance})
        CC_AVDel(*r, x);
}

TEST_F(SimRequests, PrintJobDocumentsAndStatesOverTime)
{
    Request print(DPA_REQUEST_PRINT);
    std::string id = SubmitJob(*print, "lp1", "report.txt");
    EXPECT_EQ("5-srv1", id) << "numbers continue after the jobs on the server";
    EXPECT_EQ(5, atol(id.c_str()));
    EXPECT_EQ(QV_STATUS_WRONG_STATE, CC_SubmitRequest(*print)) << "a print request makes one job";

    std::string big(100000, 'x');
    big[0] = '%';
    ASSERT_EQ(0, DPAOpenDocument(*print, 3));
    SetName(*print, 15, 320, "doc one");
    EXPECT_EQ(0, CC_PushDocument(*print, nullptr, 0, 0));
    EXPECT_EQ(0, CC_PushDocument(*print, "abc", 3, 0));
    EXPECT_EQ(0, CC_FindDocument(*print, 1));
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(0, CC_PushDocument(*print, big.data(), (uint32_t)big.size(), 0));
    EXPECT_EQ(0, CC_PushDocument(*print, nullptr, 0, 1));
    EXPECT_NE(0, CC_PushDocument(*print, "z", 1, 0)) << "the document's data has ended";
    EXPECT_GT(0, CC_FindDocument(*print, 2));
    char head[8] = {};
    uint32_t total = 0;
    EXPECT_EQ(65536, SimDocumentData(id.c_str(), 1, head, 4, &total)) << "only the head is kept";
    EXPECT_EQ(3u + 50u * 100000u, total);
    EXPECT_STREQ("abc%", head);

    EXPECT_EQ(251, SimJobState("5")) << "pending while the job is open";
    SimAdvanceClock(5000);
    EXPECT_EQ(251, SimJobState(id.c_str())) << "nothing moves before the job request";
    EXPECT_EQ(0, Control(DPA_REQUEST_NAME, id));
    struct Step {
        uint32_t advance;
        int32_t state;
    } steps[] = {{0, 251}, {999, 251}, {1, 252}, {1000, 260}, {1999, 260}, {1, 259}};
    for (const auto &s : steps) {
        SimAdvanceClock(s.advance);
        EXPECT_EQ(s.state, SimJobState(id.c_str())) << "at " << SimClock();
    }
}

TEST_F(SimRequests, PauseResumeCancelAndAlreadyInState)
{
    Request print(DPA_REQUEST_PRINT);
    std::string id = SubmitJob(*print, "lp2", nullptr);
    ASSERT_EQ(0, Control(DPA_REQUEST_NAME, id));
    struct Step {
        int32_t type, status, state;
    } steps[] = {
        {DPA_REQUEST_PAUSE, 0, 256},
        {DPA_REQUEST_PAUSE, QV_STATUS_ALREADY_IN_STATE, 256},
        {DPA_REQUEST_RESUME, 0, 251},
        {DPA_REQUEST_RESUME, QV_STATUS_ALREADY_IN_STATE, 251},
        {DPA_REQUEST_CANCEL, 0, QV_STATUS_UNKNOWN_JOB},
        {DPA_REQUEST_CANCEL, QV_STATUS_UNKNOWN_JOB, QV_STATUS_UNKNOWN_JOB},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.type);
        EXPECT_EQ(s.status, Control(s.type, id));
        EXPECT_EQ(s.state, SimJobState(id.c_str()));
    }
    EXPECT_EQ(QV_STATUS_ALREADY_IN_STATE, Control(DPA_REQUEST_PAUSE, "3"))
        << "a paused job of the default network";
    EXPECT_EQ(0, Control(DPA_REQUEST_RESUME, "3"));
    EXPECT_EQ(251, SimJobState("3-srv1"));
}

TEST_F(SimRequests, JournalShowsAttributesInTheOrderSet)
{
    Request print(DPA_REQUEST_PRINT);
    ASSERT_EQ(0, DPASetAttributeType(*print, "job-originator", "Ann", 3, 0));
    QvValue delta = 0, flag = 0, printer = 0;
    ASSERT_EQ(0, CC_AVCreateDeltaTime(*print, &delta, 60));
    ASSERT_EQ(0, CC_SetAttributeType(*print, 1, 3030, delta, 0));
    ASSERT_EQ(0, CC_AVCreateBoolean(*print, &flag, 0));
    ASSERT_EQ(0, CC_SetAttributeType(*print, 0, 1010, flag, 0));
    ASSERT_EQ(0, CC_AVCreateSimpleName(*print, &printer, 5, "lp1", 3)); // made before, set after the domain
    AddDomain(*print, "corp", 3051);
    ASSERT_EQ(0, CC_SetAttributeType(*print, 0, 244, printer, 0));
    ASSERT_EQ(0, CC_SubmitRequest(*print));
    std::string j = Journal();
    std::string head = "REQUEST " + std::to_string(*print) + " type=11 status=0\n";
    size_t at = Find(j, head);
    ASSERT_NE(std::string::npos, at) << j;
    at += head.size();
    const char *lines[] = {
        "  ATTR 0 \"job-originator\" Text(3,\"Ann\")\n",
        "  ATTR 1 3030 Delta(60)\n",
        "  ATTR 0 1010 Bool(0)\n",
        "  ATTR 0 3009 DistName(Text(5,\"corp\"),NameOrOID(Id(3051)))\n",
        "  ATTR 0 244 SimpleName(5,\"lp1\")\n",
        "  RESULTS 1\n",
    };
    for (const char *line : lines) {
        EXPECT_EQ(at, Find(j, line, at)) << "next line: " << line << j;
        at += strlen(line);
    }
    QvValue instance = 0;
    ASSERT_EQ(0, CC_GetObjectInstance(*print, 0, &instance));
    EXPECT_EQ(0, Control(DPA_REQUEST_CANCEL, "5"));
    j = Journal();
    EXPECT_NE(std::string::npos, Find(j, "  INSTANCE SimpleName(5,\"srv1\") ObjId(JobId(\"5\"))\n")) << j;
    EXPECT_EQ(0, CC_AVDel(*print, instance));
}

TEST_F(SimRequests, BadRequestsFailCleanly)
{
    struct Case {
        const char *name;
        const char *printer, *domain;
        int32_t ns;
        int32_t status;
    } cases[] = {
        {"unknown printer", "nothere", "corp", 3051, QV_STATUS_UNKNOWN_PRINTER},
        {"domain of another kind", "lp1", "corp", 3044, QV_STATUS_UNKNOWN_DOMAIN},
        {"unknown domain", "lp1", "nowhere", 3051, QV_STATUS_UNKNOWN_DOMAIN},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Request r(DPA_REQUEST_PRINT);
        AddDomain(*r, c.domain, c.ns);
        SetName(*r, 0, 244, c.printer);
        EXPECT_EQ(c.status, CC_SubmitRequest(*r));
        EXPECT_EQ(QV_STATUS_WRONG_STATE, DPAOpenDocument(*r, 3));
        EXPECT_EQ(QV_STATUS_WRONG_STATE, CC_GetObjectInstance(*r, 0, nullptr));
    }
    int32_t status = 0;
    SimInjectStatus("CC_SubmitRequest", 1, -80);
    EXPECT_TRUE(ListJobs(0, &status).empty());
    EXPECT_EQ(-80, status);

    QvRequest r = 0;
    EXPECT_NE(0, DPAOpenRequest(&r, 12, 0)) << "no such request type";
    EXPECT_EQ(0u, r);
    const uint32_t kGarbage[] = {0x10, 0xdeadbeef};
    for (uint32_t g : kGarbage) {
        SCOPED_TRACE(g);
        QvValue v = 0;
        QvFilter f = 0;
        QvRequest word = g;
        EXPECT_NE(0, CC_SubmitRequest(g));
        EXPECT_NE(0, CC_SetAttributeType(g, 0, 244, 0, nullptr));
        EXPECT_NE(0, CC_AppendValue(g, 1));
        EXPECT_NE(0, CC_SetObjectInstance(g, 0, 0));
        EXPECT_NE(0, CC_OpenFilter(g, 0, 0, &f));
        EXPECT_NE(0, CC_GetObjectInstance(g, 0, &v));
        EXPECT_NE(0, CC_FindAttributeType(g, 2, 0, 1057));
        EXPECT_NE(0, CC_GetValueIncr(g, 2, &v));
        EXPECT_NE(0, DPAOpenDocument(g, 3));
        EXPECT_LT(CC_FindDocument(g, 1), 0);
        EXPECT_NE(0, CC_PushDocument(g, "x", 1, 0));
        EXPECT_NE(0, DPASetAttributeType(g, "a", "b", 3, 0));
        EXPECT_NE(0, DPACloseRequest(&word));
        EXPECT_EQ(g, word);
    }
    ExpectFaults(2 * 13);
}

TEST_F(SimRequests, ManyThreadsAtOnce)
{
    const int kThreads = 6, kRounds = 60;
    std::vector<int> failures(kThreads, 0);
    qvtest::RunThreads(
        kThreads,
        [&failures](int t) {
            for (int i = 0; i < kRounds; ++i) {
                QvHandle h = 0;
                NsObject *obj = nullptr;
                failures[t] += NS_CreateDomainHandle(&h) != 0;
                failures[t] += NS_SetDomain(2, "corp", h) != 0;
                failures[t] += NS_GetObject(0, "lp3", h, &obj) != 0;
                if (obj)
                    NS_FreeObject(obj);
                NS_FreeDomainHandle(h);
                failures[t] += ListJobs(t % 2 ? 1 : 0).empty() && t % 2 == 0;
            }
        },
        60000);
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(0, failures[t]) << t;
}
