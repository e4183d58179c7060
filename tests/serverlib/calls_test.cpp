// The declarations of qvcore, qvdpa and qvattr compile into calls with the
// argument lists the client passes, and each call links and answers.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "qvattr.h"
#include "qvcore.h"
#include "qvdpa.h"
#include "qvsim.h"
#include "variant.h"

static_assert(sizeof(QvStatus) == 4 && sizeof(QvHandle) == 4 && sizeof(QvValue) == 4, "32-bit words");
static_assert(sizeof(QvLocaleRecord) == 28, "seven parts");

class ServerlibCalls : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, SimLoadDefaultNetwork()); }
    void TearDown() override
    {
        char report[2048] = "";
        SimLeakReport(report, sizeof report);
        EXPECT_EQ(0, SimLiveObjects(nullptr)) << report;
        EXPECT_EQ(0, SimOwnershipFaults()) << report;
        SimReset();
    }
};

TEST(ServerlibPlatform, PointersAre32Bit)
{
    QV_ONLY_IN_32BIT_BUILD();
    EXPECT_EQ(4u, sizeof(void *));
}

TEST_F(ServerlibCalls, CoreLibraryStartAndStop)
{
    EXPECT_EQ(0, MSG_UsageBegin("PP"));
    EXPECT_EQ(0, NS_Init(0, 10));
    QvList list = STF_CreateList(0);
    ASSERT_NE(0u, list);
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    ASSERT_EQ(-899, API__DocumentExists(dir, 0));
    EXPECT_EQ(0, OID_Init(list, dir, 0));
    EXPECT_EQ(0, STF_DeleteList(list));
    EXPECT_EQ(0, MSG_UsageEnd());
    EXPECT_EQ(0, NS_Term());
    EXPECT_EQ(0, OID_Term());
    char *host = nullptr;
    NS_LocatePGR(&host);
    EXPECT_NE(nullptr, host);
}

TEST_F(ServerlibCalls, NameService)
{
    NsSupportedEnv *env = NS_ListSupportedEnv();
    ASSERT_NE(nullptr, env);
    ASSERT_GT(env->count, 0);
    QvList domains = 0;
    ASSERT_EQ(0, NS_ListDomainBegin(env->kinds[0], &domains));
    char *domain = nullptr;
    ASSERT_EQ(0, NS_ListDomainNext(domains, &domain));
    QvHandle handle = 0;
    ASSERT_EQ(0, NS_CreateDomainHandle(&handle));
    ASSERT_EQ(0, NS_SetDomain(env->kinds[0], domain, handle));
    QvList objects = 0;
    ASSERT_EQ(0, NS_ListObjectBegin(0, handle, &objects));
    NsObject *object = nullptr;
    ASSERT_EQ(0, NS_ListNext(objects, &object));
    NsObject *found = nullptr;
    ASSERT_EQ(0, NS_GetObject(0, object->name, handle, &found));
    NsObject *server = nullptr;
    ASSERT_EQ(0, NS_GetObject(3, object->serverName, handle, &server));
    EXPECT_EQ(0, NS_FreeObject(server));
    EXPECT_EQ(0, NS_FreeObject(found));
    EXPECT_EQ(0, NS_FreeObject(object));
    while (NS_ListNext(objects, &object) == 0)
        NS_FreeObject(object);
    EXPECT_EQ(12, NS_ListNext(objects, &object));
    EXPECT_EQ(0, NS_ListEnd(objects));
    EXPECT_EQ(0, NS_FreeDomainHandle(handle));
    EXPECT_EQ(0, NS_FreeString(domain));
    EXPECT_EQ(12, NS_ListDomainNext(domains, &domain));
    EXPECT_EQ(0, NS_ListDomainEnd(domains));
}

// The domain and locale attributes every request carries.
static void AddDomainAndLocale(QvRequest request, const char *domain)
{
    QvValue id = 0, oid = 0, text = 0, dn = 0, locale = 0;
    ASSERT_EQ(0, CC_AVCreateIdentifier(request, &id, 3051));
    ASSERT_EQ(0, CC_AVCreateNameOrOID(request, &oid, id));
    ASSERT_EQ(0, CC_AVDel(request, id));
    ASSERT_EQ(0, CC_AVCreateText(request, &text, 5, domain, 0));
    ASSERT_EQ(0, CC_AVCreateDistNameString(request, &dn, text, oid));
    ASSERT_EQ(0, CC_AVDel(request, text));
    ASSERT_EQ(0, CC_AVDel(request, oid));
    ASSERT_EQ(0, CC_SetAttributeType(request, 0, 3009, dn, 0));
    QvLocaleRecord r;
    ASSERT_EQ(0, I18N_GetDPALocaleFromLCID(request, GetUserDefaultLCID() ? GetUserDefaultLCID() : 0x409, &r));
    ASSERT_EQ(0,
              CC_AVCreateLocale(request, &locale, r.part[0], r.part[1], r.part[2], r.part[3], r.part[4],
                                r.part[5], r.part[6]));
    ASSERT_EQ(0, CC_SetAttributeType(request, 21, 98, locale, 0));
}

TEST_F(ServerlibCalls, JobSubmissionAndControl)
{
    QvRequest print = 0;
    ASSERT_EQ(0, DPAOpenRequest(&print, 11, 0));
    EXPECT_EQ(0, DPASetAttributeType(print, "job-originator", "Ann", 3, 0));
    QvValue timeout = 0, flag = 0, printer = 0, name = 0;
    ASSERT_EQ(0, CC_AVCreateDeltaTime(print, &timeout, 120));
    ASSERT_EQ(0, CC_SetAttributeType(print, 1, 3030, timeout, 0));
    ASSERT_EQ(0, CC_AVCreateBoolean(print, &flag, 0));
    ASSERT_EQ(0, CC_SetAttributeType(print, 0, 1010, flag, 0));
    ASSERT_EQ(0, CC_AVCreateSimpleName(print, &printer, 5, "lp1", 3));
    AddDomainAndLocale(print, "corp");
    ASSERT_EQ(0, CC_SetAttributeType(print, 0, 244, printer, 0));
    ASSERT_EQ(0, CC_AVCreateSimpleName(print, &name, 5, "doc", 3));
    ASSERT_EQ(0, CC_SetAttributeType(print, 1, 133, name, 0));

    // The notification profile: an empty attribute filled by CC_AppendValue.
    const int32_t profileSyntax = 8, portMethod = 3003;
    ASSERT_EQ(0, CC_SetAttributeType(print, 1, 123, 0, &profileSyntax));
    int32_t port = 0;
    ASSERT_EQ(0, EVT_GetRegisteredPort(&port));
    QvValue address = 0, locale = 0, localeCopy = 0, profile = 0;
    ASSERT_EQ(0, CC_AVCreateDeliveryAddress(print, &address, 0, 5, "127.0.0.1:5678"));
    ASSERT_EQ(0, CC_AVCreateLocale(print, &locale, 1033, 9, 1, 0, 1, 0, 0));
    ASSERT_EQ(0, CC_AVCopy(print, &localeCopy, locale));
    int32_t event = 17;
    int32_t *events[] = {&event, nullptr};
    ASSERT_EQ(0,
              CC_AVCreateEventHandlingProfile(print, &profile, events, &portMethod, 0, address, localeCopy));
    EXPECT_EQ(0, CC_AVDel(print, address));
    EXPECT_EQ(0, CC_AVDel(print, localeCopy));
    EXPECT_EQ(0, CC_AVDel(print, locale));
    ASSERT_EQ(0, CC_AppendValue(print, profile));
    ASSERT_EQ(0, CC_SubmitRequest(print));

    QvValue instance = 0, identification = 0;
    char *jobIdentifier = nullptr;
    ASSERT_EQ(0, CC_GetObjectInstance(print, 0, &instance));
    ASSERT_EQ(0, CC_AVGetObjIdentification(print, instance, &identification));
    ASSERT_EQ(0, CC_AVGetJobIdentifier(print, identification, &jobIdentifier));
    EXPECT_EQ(0, CC_AVDel(print, identification));
    long jobNumber = atol(jobIdentifier);
    EXPECT_GT(jobNumber, 0);

    QvRequest job = 0;
    QvValue server = 0;
    ASSERT_EQ(0, DPAOpenRequest(&job, 8, 0));
    ASSERT_EQ(0, CC_AVCreateSimpleName(job, &server, 5, "srv1", 4));
    AddDomainAndLocale(job, "corp");
    ASSERT_EQ(0, CC_SetObjectInstance(job, server, instance));

    ASSERT_EQ(0, DPAOpenDocument(print, 3));
    QvValue docName = 0;
    ASSERT_EQ(0, CC_AVCreateSimpleName(print, &docName, 5, "{Name Unknown}", 14));
    ASSERT_EQ(0, CC_SetAttributeType(print, 15, 320, docName, 0));
    ASSERT_EQ(0, CC_PushDocument(print, "", 0, 0));
    QvRequest document = 0;
    QvValue docServer = 0, docId = 0, docObj = 0;
    const int32_t documentNumber = 1;
    ASSERT_EQ(0, DPAOpenRequest(&document, 8, 0));
    ASSERT_EQ(0, CC_AVCreateSimpleName(document, &docServer, 5, "srv1", 4));
    ASSERT_EQ(0, CC_AVCreateDocumentId(document, &docId, jobIdentifier, &documentNumber));
    ASSERT_EQ(0, CC_AVCreateObjIdentification(document, &docObj, docId));
    EXPECT_EQ(0, CC_AVDel(document, docId));
    AddDomainAndLocale(document, "corp");
    ASSERT_EQ(0, CC_SetObjectInstance(document, docServer, docObj));
    QvValue pages = 0;
    ASSERT_EQ(0, CC_AVCreateCardinal(document, &pages, 2));
    ASSERT_EQ(0, CC_SetAttributeType(document, 0, 588, pages, 0));

    ASSERT_GE(CC_FindDocument(print, 1), 0);
    EXPECT_EQ(0, CC_PushDocument(print, "data", 4, 0));
    EXPECT_EQ(0, CC_PushDocument(print, "", 0, 1));
    EXPECT_EQ(0, CC_SubmitRequest(document));
    EXPECT_EQ(0, CC_SubmitRequest(job));
    EXPECT_EQ(0, DPACloseRequest(&document));
    EXPECT_EQ(0, DPACloseRequest(&job));
    EXPECT_EQ(0, DPACloseRequest(&print));
    EXPECT_EQ(0u, print);

    // Job control: pause with the job class, then cancel.
    const int32_t types[] = {9, 14, 0};
    for (int32_t type : types) {
        QvRequest control = 0;
        QvValue cls = 0, srv = 0, jobId = 0, obj = 0;
        ASSERT_EQ(0, DPAOpenRequest(&control, type, 0));
        if (type != 0) {
            ASSERT_EQ(0, CC_AVCreateIdentifier(control, &cls, 87));
            ASSERT_EQ(0, CC_SetAttributeType(control, 0, 1032, cls, 0));
        }
        ASSERT_EQ(0, CC_AVCreateSimpleName(control, &srv, 5, "srv1", 4));
        ASSERT_EQ(0, CC_AVCreateJobIdentifier(control, &jobId, std::to_string(jobNumber).c_str()));
        ASSERT_EQ(0, CC_AVCreateObjIdentification(control, &obj, jobId));
        EXPECT_EQ(0, CC_AVDel(control, jobId));
        AddDomainAndLocale(control, "corp");
        ASSERT_EQ(0, CC_SetObjectInstance(control, srv, obj));
        EXPECT_EQ(0, CC_SubmitRequest(control)) << type;
        EXPECT_EQ(0, DPACloseRequest(&control));
    }
    free(jobIdentifier);
}

TEST_F(ServerlibCalls, QueriesAndTheirValues)
{
    // A list of the caller's jobs of one printer, asking for JOB_INFO_2's attributes.
    QvRequest list = 0;
    QvValue printer = 0, owner = 0, printerAgain = 0;
    QvFilter filter = 0;
    ASSERT_EQ(0, DPAOpenRequest(&list, 10, 0));
    ASSERT_EQ(0, CC_AVCreateSimpleName(list, &printer, 5, "lp1", 3));
    AddDomainAndLocale(list, "corp");
    ASSERT_EQ(0, CC_SetAttributeType(list, 0, 244, printer, 0));
    const int32_t identifierSyntax = 10;
    ASSERT_EQ(0, CC_SetAttributeType(list, 0, 1001, 0, &identifierSyntax));
    const int32_t asked[] = {1057, 134, 133, 248, 248, 312, 277, 271, 283, 274, 241, 278};
    for (int32_t type : asked) {
        QvValue id = 0;
        ASSERT_EQ(0, CC_AVCreateIdentifier(list, &id, type));
        ASSERT_EQ(0, CC_AppendValue(list, id));
    }
    ASSERT_EQ(0, CC_OpenFilter(list, 0, 0, &filter));
    ASSERT_EQ(0, CC_AVCreateDistNameString(list, &owner, 0, 0));
    ASSERT_EQ(0, CC_SetFilterItem(list, filter, 2, 134, owner));
    ASSERT_EQ(0, CC_FindAttributeType(list, 0, 0, 244));
    ASSERT_EQ(0, CC_GetValueIncr(list, 0, &printerAgain));
    ASSERT_EQ(0, CC_SetFilterItem(list, filter, 2, 244, printerAgain));
    SimSetCallerName("ann");
    ASSERT_EQ(0, CC_SubmitRequest(list));

    QvValue instance = 0, value = 0;
    int objects = 0;
    while (CC_GetObjectInstance(list, 0, &instance) == 0) {
        ++objects;
        uint32_t cardinal = 0, high = 0, low = 0;
        int32_t number = 0;
        uint16_t d, mo, y, h, mi, s;
        ASSERT_EQ(0, CC_FindAttributeType(list, 2, 0, 1057));
        ASSERT_EQ(0, CC_GetValueIncr(list, 2, &value));
        char *text = nullptr;
        ASSERT_EQ(0, CC_AVGetJobIdentifier(list, value, &text));
        EXPECT_EQ(0, CC_AVFree(list, text));
        EXPECT_EQ(0, CC_AVDel(list, value));
        ASSERT_EQ(0, CC_FindAttributeType(list, 2, 0, 133));
        ASSERT_EQ(0, CC_GetValueIncr(list, 2, &value));
        uint8_t kind = 0;
        uint32_t *length = nullptr;
        ASSERT_EQ(0, CC_AVGetSimpleName(list, value, &kind, &text, &length));
        EXPECT_EQ(0, CC_AVFree(list, text));
        EXPECT_EQ(0, CC_AVFree(list, length));
        EXPECT_EQ(0, CC_AVDel(list, value));
        ASSERT_EQ(0, CC_FindAttributeType(list, 2, 0, 248));
        ASSERT_EQ(0, CC_GetValueIncr(list, 2, &value));
        EXPECT_EQ(0, CC_AVGetIdentifier(list, value, &number));
        EXPECT_EQ(0, CC_AVDel(list, value));
        EXPECT_EQ(2, CC_GetValueIncr(list, 2, &value));
        ASSERT_EQ(0, CC_FindAttributeType(list, 2, 0, 277));
        ASSERT_EQ(0, CC_GetValueIncr(list, 2, &value));
        EXPECT_EQ(0, CC_AVGetCardinal64(list, value, &high, &low));
        EXPECT_EQ(0, CC_AVDel(list, value));
        ASSERT_EQ(0, CC_FindAttributeType(list, 2, 0, 271));
        ASSERT_EQ(0, CC_GetValueIncr(list, 2, &value));
        EXPECT_EQ(0, CC_AVGetGeneralizedTime(list, value, &d, &mo, &y, &h, &mi, &s));
        EXPECT_EQ(0, CC_AVDel(list, value));
        ASSERT_EQ(0, CC_FindAttributeType(list, 2, 0, 283));
        ASSERT_EQ(0, CC_GetValueIncr(list, 2, &value));
        EXPECT_EQ(0, CC_AVGetDeltaTime(list, value, &number));
        EXPECT_EQ(0, CC_AVDel(list, value));
        ASSERT_EQ(0, CC_FindAttributeType(list, 2, 0, 274));
        ASSERT_EQ(0, CC_GetValueIncr(list, 2, &value));
        EXPECT_EQ(0, CC_AVGetCardinal(list, value, &cardinal));
        EXPECT_EQ(0, CC_AVDel(list, value));
        ASSERT_EQ(0, CC_FindAttributeType(list, 2, 0, 241));
        ASSERT_EQ(0, CC_GetValueIncr(list, 2, &value));
        EXPECT_EQ(0, CC_AVGetPriority(list, value, &number));
        EXPECT_EQ(0, CC_AVDel(list, value));
        ASSERT_EQ(0, CC_FindAttributeType(list, 2, 0, 134));
        ASSERT_EQ(0, CC_GetValueIncr(list, 2, &value));
        QvValue textPart = 0, namePart = 0, nameValue = 0;
        ASSERT_EQ(0, CC_AVGetDistNameString(list, value, &textPart, &namePart));
        char *other = nullptr;
        int32_t ignored = 0;
        ASSERT_EQ(0, CC_AVGetText(list, textPart, &ignored, &text, &other));
        free(text);
        free(other);
        EXPECT_EQ(0, CC_AVDel(list, textPart));
        ASSERT_EQ(0, CC_AVGetNameOrOID(list, namePart, &nameValue));
        EXPECT_EQ(10, CC_AVType(list, nameValue));
        EXPECT_EQ(0, CC_AVDel(list, nameValue));
        EXPECT_EQ(0, CC_AVDel(list, namePart));
        EXPECT_EQ(0, CC_AVDel(list, value));
        EXPECT_EQ(-5, CC_FindAttributeType(list, 2, 0, 649));
        EXPECT_EQ(0, CC_AVDel(list, instance));
    }
    EXPECT_EQ(2, objects);
    EXPECT_EQ(0, DPACloseRequest(&list));

    // One printer object with its comment, state and drivers.
    QvRequest read = 0;
    QvValue cls = 0, name = 0, object = 0;
    ASSERT_EQ(0, DPAOpenRequest(&read, 7, 0));
    ASSERT_EQ(0, CC_AVCreateIdentifier(read, &cls, 88));
    ASSERT_EQ(0, CC_SetAttributeType(read, 0, 1032, cls, 0));
    ASSERT_EQ(0, CC_AVCreateSimpleName(read, &name, 5, "lp1", 3));
    ASSERT_EQ(0, CC_AVCreateObjIdentification(read, &object, name));
    ASSERT_EQ(0, CC_AVDel(read, name));
    AddDomainAndLocale(read, "corp");
    ASSERT_EQ(0, CC_SetObjectInstance(read, 0, object));
    ASSERT_EQ(0, CC_SubmitRequest(read));
    ASSERT_EQ(0, CC_GetObjectInstance(read, 0, &instance));
    ASSERT_EQ(0, CC_FindAttributeType(read, 2, 0, 105));
    ASSERT_EQ(0, CC_GetValueIncr(read, 2, &value));
    int32_t kind = 0;
    char *text = nullptr, *other = nullptr;
    ASSERT_EQ(0, CC_AVGetDescriptor(read, value, &kind, &text, &other));
    EXPECT_EQ(0, CC_AVFree(read, text));
    EXPECT_EQ(0, CC_AVFree(read, other));
    EXPECT_EQ(0, CC_AVDel(read, value));
    ASSERT_EQ(0, CC_FindAttributeType(read, 2, 0, 869));
    ASSERT_EQ(0, CC_GetValueIncr(read, 2, &value));
    int32_t flag = 0;
    EXPECT_EQ(0, CC_AVGetBoolean(read, value, &flag));
    EXPECT_EQ(0, CC_AVDel(read, value));
    ASSERT_EQ(0, CC_FindAttributeType(read, 2, 0, 653));
    ASSERT_EQ(0, CC_GetValueIncr(read, 2, &value));
    uint32_t ppm = 0;
    EXPECT_EQ(0, CC_AVGetPositiveInteger(read, value, &ppm));
    EXPECT_EQ(0, CC_AVDel(read, value));
    ASSERT_EQ(0, CC_FindAttributeType(read, 2, 0, 3299));
    ASSERT_EQ(0, CC_GetValueIncr(read, 2, &value));
    int32_t version = 0, platform = 0;
    QvValue dname = 0, path = 0, data = 0, config = 0, help = 0, monitor = 0, type = 0, env = 0;
    QvValue *dependents = nullptr;
    ASSERT_EQ(0,
              CC_AVGetDriverInfo(read, value, &version, &dname, &platform, &path, &data, &config, &help,
                                 &dependents, &monitor, &type, &env));
    EXPECT_EQ(3301, platform);
    for (QvValue v : {dname, path, data, config, help, monitor, type, env})
        if (v)
            CC_AVDel(read, v);
    for (QvValue *d = dependents; d && *d; ++d)
        CC_AVDel(read, *d);
    free(dependents);
    EXPECT_EQ(0, CC_AVDel(read, value));
    EXPECT_EQ(0, CC_AVDel(read, instance));
    EXPECT_EQ(7, CC_GetObjectInstance(read, 0, nullptr));
    EXPECT_EQ(0, DPACloseRequest(&read));
}
