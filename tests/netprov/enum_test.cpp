/*
 * NPEnumResource: records and their fields per level, demands, items
 * carried over to the next call, the server-name list, counts of 0, bad
 * handles, name-service failures, and closing at any point.
 */
#include "netprov_fixture.h"

namespace {

const DWORD kBig = 8192;
const DWORD kAll = 0xFFFFFFFF;
const DWORD kProviderLength = DWORD(strlen(kProviderName));

std::vector<std::string> ReadNames(RouterHost &host, HANDLE h)
{
    EnumAll all = ReadAll(host, h, kBig);
    EXPECT_EQ("", all.fault);
    return Names(all.records);
}

struct FieldCase {
    const char *remote; // container opened (null: the provider's entry)
    DWORD type, displayType, usage;
};

TEST_F(NetProvTest, RecordFieldsByLevel)
{
    const FieldCase cases[] = {
        {nullptr, RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_DOMAIN, RESOURCEUSAGE_CONTAINER},
        {"~Aa.", RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_DOMAIN, RESOURCEUSAGE_CONTAINER},
        {"~Aa.sales", RESOURCETYPE_PRINT, RESOURCEDISPLAYTYPE_SHARE,
         RESOURCEUSAGE_CONNECTABLE | RESOURCEUSAGE_NOLOCALDEVICE},
        {"~Aasrv1.sales", RESOURCETYPE_PRINT, RESOURCEDISPLAYTYPE_SHARE,
         RESOURCEUSAGE_CONNECTABLE | RESOURCEUSAGE_NOLOCALDEVICE},
    };
    for (const FieldCase &c : cases) {
        SCOPED_TRACE(c.remote ? c.remote : "provider entry");
        HANDLE h = Open(kProviderName, c.remote);
        EnumCall call = CallEnum(host, h, 1, kBig);
        ASSERT_EQ(DWORD(WN_SUCCESS), call.status);
        ASSERT_EQ(1u, call.records.size());
        const Resource &r = call.records[0];
        EXPECT_EQ(DWORD(RESOURCE_GLOBALNET), r.scope);
        EXPECT_EQ(c.type, r.type);
        EXPECT_EQ(c.displayType, r.displayType);
        EXPECT_EQ(c.usage, r.usage);
        EXPECT_TRUE(r.localNameNull);
        EXPECT_EQ("", r.comment);
        EXPECT_EQ(kProviderName, r.provider);
        Close(h);
    }
    // Server containers of level 4.
    HANDLE h = Open(kProviderName, "~Aa.sales");
    EnumAll all = ReadAll(host, h, kBig);
    ASSERT_EQ(5u, all.records.size());
    for (size_t i = 3; i < 5; ++i) {
        EXPECT_EQ(DWORD(RESOURCETYPE_ANY), all.records[i].type);
        EXPECT_EQ(DWORD(RESOURCEDISPLAYTYPE_SERVER), all.records[i].displayType);
        EXPECT_EQ(DWORD(RESOURCEUSAGE_CONTAINER), all.records[i].usage);
    }
}

struct DemandCase {
    const char *provider;
    const char *remote;
    std::string first; // the first record's remote name
    DWORD demand;      // what a call reports for it
};

TEST_F(NetProvTest, TooSmallBufferReportsTheDemandAndKeepsTheRecord)
{
    const DWORD p = kProviderLength;
    const std::string printer = "\\\\srv1.sales\\lp1";
    const std::string serverPrinter = "\\\\srv1.NIS:eng\\lp2";
    const DemandCase cases[] = {
        {nullptr, nullptr, kProviderName, 2 * p + kRecordBytes + 3},
        {kProviderName, nullptr, "~Aa.", 4 + p + kRecordBytes + 4},
        {kProviderName, "~Aa.", "~Aa.sales", 9 + p + kRecordBytes + 4},
        {kProviderName, "~Aa.sales", printer, DWORD(printer.size()) + p + kRecordBytes + 3},
        {kProviderName, "~Aasrv1.NIS:eng", serverPrinter, DWORD(serverPrinter.size()) + p + kRecordBytes + 3},
    };
    for (const DemandCase &c : cases) {
        SCOPED_TRACE(c.first);
        HANDLE h = Open(c.provider, c.remote);
        for (DWORD size : {DWORD(0), c.demand / 2, c.demand - 1}) {
            SCOPED_TRACE(size);
            EnumCall call = CallEnum(host, h, 7, size);
            EXPECT_EQ(DWORD(WN_MORE_DATA), call.status);
            EXPECT_EQ(c.demand, call.freeBytes);
            EXPECT_EQ(7u, call.count);
            EXPECT_EQ("", call.layoutFault);
        }
        // Exactly the demand: that very record comes first.
        EnumCall call = CallEnum(host, h, kAll, c.demand);
        ASSERT_EQ(DWORD(WN_SUCCESS), call.status);
        EXPECT_EQ("", call.layoutFault);
        ASSERT_EQ(1u, call.count);
        EXPECT_EQ(c.first, call.records[0].remote);
        // Levels 2 and 3 ask one byte more than the record takes.
        DWORD used = RecordBytes(c.first, kProviderName);
        if (c.provider == nullptr)
            used = RecordBytes(kProviderName, kProviderName);
        EXPECT_EQ(c.demand - used, call.freeBytes);
        Close(h);
    }
}

TEST_F(NetProvTest, NullBufferAsksForTheDemand)
{
    HANDLE h = Open(kProviderName, "~Aa.");
    DWORD count = 1, freeBytes = kSentinel;
    EXPECT_EQ(DWORD(WN_MORE_DATA), host.enumResource(h, &count, nullptr, kBig, &freeBytes));
    EXPECT_EQ(9 + kProviderLength + kRecordBytes + 4, freeBytes);
    EXPECT_EQ(1u, count);
}

TEST_F(NetProvTest, FullBufferEndsTheCallAndTheNextStartsWithTheItemLeft)
{
    const std::string p = kProviderName;
    struct Case {
        const char *remote;
        std::vector<std::string> names;
        size_t fitting; // records the first buffer is sized for
        DWORD slack;    // bytes a level asks above a record
    };
    const Case cases[] = {
        {"~Aa.", {"~Aa.sales", "~Aa.empty", "~Aa.mixed"}, 1, 1},
        {"~Aa.", {"~Aa.sales", "~Aa.empty", "~Aa.mixed"}, 2, 1},
        {"~Aa.sales",
         {"\\\\srv1.sales\\lp1", "\\\\srv2.sales\\lp2", "\\\\srv1.sales\\lp3", "~Aasrv1.sales",
          "~Aasrv2.sales"},
         2,
         0},
        {"~Aa.sales",
         {"\\\\srv1.sales\\lp1", "\\\\srv2.sales\\lp2", "\\\\srv1.sales\\lp3", "~Aasrv1.sales",
          "~Aasrv2.sales"},
         4,
         0}, // ends inside the server phase
        {"~Aasrv1.sales", {"\\\\srv1.sales\\lp1", "\\\\srv1.sales\\lp3"}, 1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.remote) + " " + std::to_string(c.fitting));
        SimJournalClear();
        HANDLE h = Open(kProviderName, c.remote);
        DWORD size = 0;
        for (size_t i = 0; i < c.fitting; ++i)
            size += RecordBytes(c.names[i], p);
        size += c.slack; // the last record's demand; too little for the next
        EnumCall first = CallEnum(host, h, kAll, size);
        ASSERT_EQ(DWORD(WN_SUCCESS), first.status);
        EXPECT_EQ("", first.layoutFault);
        EXPECT_EQ(c.slack, first.freeBytes);
        std::vector<std::string> names = Names(first.records);
        std::vector<std::string> rest = ReadNames(host, h);
        names.insert(names.end(), rest.begin(), rest.end());
        EXPECT_EQ(c.names, names);
        // The item that did not fit was carried, not fetched again.
        std::string journal = Journal();
        int fetched = JournalCount(journal, "NS_ListDomainNext") + JournalCount(journal, "NS_ListNext");
        // Three items and the end; level 5 keeps no end mark and asks once more.
        int expected = c.remote == std::string("~Aasrv1.sales") ? 3 + 2 : 3 + 1;
        EXPECT_EQ(expected, fetched) << journal;
        Close(h);
    }
}

TEST_F(NetProvTest, ServersComeOnceEachInFirstSeenOrder)
{
    HANDLE h = Open(kProviderName, "~Aa.sales");
    EXPECT_EQ((std::vector<std::string> {"\\\\srv1.sales\\lp1", "\\\\srv2.sales\\lp2", "\\\\srv1.sales\\lp3",
                                         "~Aasrv1.sales", "~Aasrv2.sales"}),
              ReadNames(host, h));
}

TEST_F(NetProvTest, ServerNamesDifferingInCaseAreTwoServers)
{
    HANDLE h = Open(kProviderName, "~Aa.mixed");
    EXPECT_EQ((std::vector<std::string> {"\\\\Srv1.mixed\\p1", "\\\\srv1.mixed\\p2", "\\\\srv1.mixed\\50%s",
                                         "~AaSrv1.mixed", "~Aasrv1.mixed"}),
              ReadNames(host, h));
    HANDLE upper = Open(kProviderName, "~AaSrv1.mixed");
    EXPECT_EQ((std::vector<std::string> {"\\\\Srv1.mixed\\p1"}), ReadNames(host, upper));
}

TEST_F(NetProvTest, DomainListEndingAtACallBoundary)
{
    // The count runs out with the last domain: the end shows in the next call.
    HANDLE h = Open(kProviderName, "~Aa.");
    EnumCall call = CallEnum(host, h, 3, kBig);
    EXPECT_EQ(DWORD(WN_SUCCESS), call.status);
    EXPECT_EQ(3u, call.count);
    call = CallEnum(host, h, kAll, kBig);
    EXPECT_EQ(DWORD(WN_SUCCESS), call.status);
    EXPECT_EQ(0u, call.count);
    EXPECT_EQ("", call.layoutFault);
    call = CallEnum(host, h, kAll, kBig);
    EXPECT_EQ(DWORD(WN_NO_MORE_ENTRIES), call.status);
    EXPECT_EQ(0u, call.count);

    // The buffer holds exactly the three: the end is met in the same call.
    HANDLE second = Open(kProviderName, "~Aa.");
    DWORD size = 1;
    for (const char *d : {"~Aa.sales", "~Aa.empty", "~Aa.mixed"})
        size += RecordBytes(d, kProviderName);
    call = CallEnum(host, second, kAll, size);
    EXPECT_EQ(DWORD(WN_SUCCESS), call.status);
    EXPECT_EQ(3u, call.count);
    call = CallEnum(host, second, kAll, kBig);
    EXPECT_EQ(DWORD(WN_NO_MORE_ENTRIES), call.status);
    EXPECT_EQ(0u, call.count);
}

TEST_F(NetProvTest, CountOfZeroAtEachLevel)
{
    struct Case {
        const char *provider;
        const char *remote;
        DWORD status;
        const char *started; // the name-service call made first, or null
        size_t records;      // what a full read returns afterwards
    };
    const Case cases[] = {
        {nullptr, nullptr, WN_MORE_DATA, nullptr, 1},
        {kProviderName, nullptr, WN_SUCCESS, nullptr, 2},
        {kProviderName, "~Aa.", WN_SUCCESS, "NS_ListDomainBegin", 3},
        {kProviderName, "~Aa.sales", WN_NO_MORE_ENTRIES, "NS_ListObjectBegin", 5},
        {kProviderName, "~Aasrv1.sales", WN_NO_MORE_ENTRIES, "NS_ListObjectBegin", 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.remote ? c.remote : (c.provider ? "provider entry" : "top"));
        SimJournalClear();
        HANDLE h = Open(c.provider, c.remote);
        EnumCall call = CallEnum(host, h, 0, kBig);
        EXPECT_EQ(c.status, call.status);
        EXPECT_EQ(0u, call.count);
        EXPECT_EQ(kBig, call.freeBytes);
        EXPECT_EQ("", call.layoutFault);
        if (c.started != nullptr) {
            EXPECT_EQ(1, JournalCount(Journal(), c.started));
        }
        // Nothing was taken: a real read still returns everything.
        EnumAll all = ReadAll(host, h, kBig);
        EXPECT_EQ(c.records, all.records.size());
        Close(h);
    }
}

TEST_F(NetProvTest, EmptyDomainEndsAtOnce)
{
    HANDLE h = Open(kProviderName, "~Aa.empty");
    EnumCall call = CallEnum(host, h, kAll, kBig);
    EXPECT_EQ(DWORD(WN_NO_MORE_ENTRIES), call.status);
    EXPECT_EQ(0u, call.count);
}

TEST_F(NetProvTest, BadHandlesAndPointers)
{
    HANDLE open = Open(kProviderName, "~Aa.sales");
    ASSERT_EQ(DWORD(WN_SUCCESS), CallEnum(host, open, 1, kBig).status); // holds a listing
    HANDLE closed = Open(kProviderName, "~Aa.");
    ASSERT_EQ(DWORD(WN_SUCCESS), Close(closed));
    // A block that looks like one of ours but was never handed out.
    uint32_t lookalike[32] = {0x51564E50, 4};
    const HANDLE handles[] = {nullptr, closed, reinterpret_cast<HANDLE>(0x1234),
                              reinterpret_cast<HANDLE>(lookalike), INVALID_HANDLE_VALUE};
    for (HANDLE h : handles) {
        SCOPED_TRACE(reinterpret_cast<uintptr_t>(h));
        EnumCall call = CallEnum(host, h, 1, kBig);
        EXPECT_EQ(DWORD(WN_BAD_HANDLE), call.status);
        EXPECT_EQ(1u, call.count);
        EXPECT_EQ(DWORD(WN_BAD_HANDLE), host.closeEnum(h));
    }
    DWORD count = 1, freeBytes = 0;
    BYTE buffer[256];
    EXPECT_EQ(DWORD(WN_BAD_POINTER), host.enumResource(open, nullptr, buffer, sizeof buffer, &freeBytes));
    EXPECT_EQ(DWORD(WN_BAD_POINTER), host.enumResource(open, &count, buffer, sizeof buffer, nullptr));
    // The open handle is still whole.
    std::vector<std::string> rest = ReadNames(host, open);
    EXPECT_EQ(4u, rest.size());
}

struct FailureCase {
    const char *remote;
    const char *function;
    int32_t nth;
    DWORD firstSize;                // buffer of the first call
    DWORD status;                   // the first call's answer
    DWORD count;                    // records it reports
    std::vector<std::string> names; // everything, over all calls
};

TEST_F(NetProvTest, NameServiceFailuresLoseNothingAndLeakNothing)
{
    const std::vector<std::string> domains = {"~Aa.sales", "~Aa.empty", "~Aa.mixed"};
    const std::vector<std::string> sales = {"\\\\srv1.sales\\lp1", "\\\\srv2.sales\\lp2",
                                            "\\\\srv1.sales\\lp3", "~Aasrv1.sales", "~Aasrv2.sales"};
    const std::vector<std::string> srv1 = {"\\\\srv1.sales\\lp1", "\\\\srv1.sales\\lp3"};
    const int32_t kFailure = -3;
    const FailureCase cases[] = {
        {"~Aa.", "NS_ListDomainBegin", 1, kBig, WN_OUT_OF_MEMORY, kSentinel, domains},
        {"~Aa.", "NS_ListDomainNext", 1, kBig, WN_OUT_OF_MEMORY, kSentinel, domains},
        // A failure after records were written reports those records.
        {"~Aa.", "NS_ListDomainNext", 3, kBig, WN_SUCCESS, 2, domains},
        {"~Aa.sales", "NS_CreateDomainHandle", 1, kBig, WN_OUT_OF_MEMORY, kSentinel, sales},
        {"~Aa.sales", "NS_SetDomain", 1, kBig, WN_OUT_OF_MEMORY, kSentinel, sales},
        {"~Aa.sales", "NS_ListObjectBegin", 1, kBig, WN_OUT_OF_MEMORY, kSentinel, sales},
        {"~Aa.sales", "NS_ListNext", 1, kBig, WN_OUT_OF_MEMORY, kSentinel, sales},
        {"~Aa.sales", "NS_ListNext", 2, kBig, WN_SUCCESS, 1, sales},
        {"~Aasrv1.sales", "NS_SetDomain", 1, kBig, WN_OUT_OF_MEMORY, kSentinel, srv1},
        {"~Aasrv1.sales", "NS_ListNext", 3, kBig, WN_SUCCESS, 1, srv1},
    };
    for (const FailureCase &c : cases) {
        SCOPED_TRACE(std::string(c.remote) + " " + c.function + " " + std::to_string(c.nth));
        HANDLE h = Open(kProviderName, c.remote);
        SimJournalClear();
        SimInjectStatus(c.function, c.nth, kFailure);
        EnumCall call = CallEnum(host, h, c.count == kSentinel ? kSentinel : kAll, c.firstSize);
        EXPECT_EQ(c.status, call.status);
        EXPECT_EQ(c.count, call.count);
        EXPECT_EQ("", call.layoutFault);
        // A half-made domain listing was given back at once.
        if (SimLiveObjects("list") == 0) {
            EXPECT_EQ(0, SimLiveObjects("domain")) << LeakReport();
        }
        std::vector<std::string> names = Names(call.records);
        std::vector<std::string> rest = ReadNames(host, h);
        names.insert(names.end(), rest.begin(), rest.end());
        EXPECT_EQ(c.names, names);
        EXPECT_EQ(0, SimOwnershipFaults()) << LeakReport();
        EXPECT_EQ(DWORD(WN_SUCCESS), Close(h));
        EXPECT_EQ(0, LiveNameServiceObjects()) << LeakReport();
        SimClearInjections();
    }
}

TEST_F(NetProvTest, FailedDomainStartIsRetriedWithoutHoldingTheFirstHandle)
{
    HANDLE h = Open(kProviderName, "~Aa.sales");
    SimInjectStatus("NS_SetDomain", 1, -3);
    EXPECT_EQ(DWORD(WN_OUT_OF_MEMORY), CallEnum(host, h, kAll, kBig).status);
    EXPECT_EQ(0, SimLiveObjects("domain"));
    EnumCall call = CallEnum(host, h, kAll, kBig);
    EXPECT_EQ(DWORD(WN_SUCCESS), call.status);
    EXPECT_EQ(5u, call.count);
    std::string journal = Journal();
    EXPECT_EQ(2, JournalCount(journal, "NS_CreateDomainHandle")) << journal;
    EXPECT_EQ(1, JournalCount(journal, "NS_FreeDomainHandle")) << journal;
    EXPECT_EQ(2, JournalCount(journal, "NS_SetDomain")) << journal;
    EXPECT_EQ(1, JournalCount(journal, "NS_ListObjectBegin")) << journal;
}

// What crosses to the name service: the start's arguments, the object
// class listed, and the order in which a close gives things back.
TEST_F(NetProvTest, NameServiceCallsAndReleaseOrder)
{
    const DWORD kTiny = 40; // too small for any record: the item stays pending
    // A domain listing holding a pending object, its object list and its domain handle.
    HANDLE objects = Open(kProviderName, "~Aa.sales");
    ASSERT_EQ(DWORD(WN_MORE_DATA), CallEnum(host, objects, 1, kTiny).status);
    // A domain-kind listing holding its domain list and a pending domain name.
    HANDLE domains = Open(kProviderName, "~Aa.");
    ASSERT_EQ(DWORD(WN_MORE_DATA), CallEnum(host, domains, 1, kTiny).status);
    std::string journal = Journal();
    EXPECT_NE(std::string::npos, journal.find("CALL NS_Init(0,10)")) << journal;
    EXPECT_NE(std::string::npos, journal.find("CALL NS_ListObjectBegin(0,")) << journal;

    struct CloseCase {
        HANDLE handle;
        std::vector<std::string> calls; // in this order, each once
    };
    const CloseCase cases[] = {
        {objects, {"NS_FreeObject", "NS_ListEnd", "NS_FreeDomainHandle"}},
        {domains, {"NS_ListDomainEnd", "NS_FreeString"}},
    };
    for (const CloseCase &c : cases) {
        SCOPED_TRACE(c.calls.front());
        SimJournalClear();
        ASSERT_EQ(DWORD(WN_SUCCESS), Close(c.handle));
        journal = Journal();
        size_t previous = 0;
        for (const std::string &call : c.calls) {
            EXPECT_EQ(1, JournalCount(journal, call)) << journal;
            size_t at = journal.find("CALL " + call + "(");
            ASSERT_NE(std::string::npos, at) << call;
            EXPECT_LE(previous, at) << call << " out of order\n" << journal;
            previous = at;
        }
    }
}

TEST_F(NetProvTest, CloseReleasesEverythingAtAnyPoint)
{
    struct Case {
        const char *provider;
        const char *remote;
        int records;
    };
    const Case cases[] = {
        {nullptr, nullptr, 1},           {kProviderName, nullptr, 2},
        {kProviderName, "~Aa.", 3},      {kProviderName, "~Aa.sales", 5},
        {kProviderName, "~Aa.empty", 0}, {kProviderName, "~Aasrv1.sales", 2},
        {kProviderName, "~Aa.NIS:", 1},  {kProviderName, "~Aasrv1.NIS:eng", 2},
    };
    const DWORD kTiny = 40; // too small for any record: the item stays pending
    for (const Case &c : cases) {
        for (int calls = 0; calls <= c.records + 1; ++calls) {
            for (bool pending : {false, true}) {
                SCOPED_TRACE(std::string(c.remote ? c.remote : "-") + " after " + std::to_string(calls)
                             + (pending ? " + pending" : ""));
                HANDLE h = Open(c.provider, c.remote);
                SimJournalClear();
                for (int i = 0; i < calls; ++i)
                    CallEnum(host, h, 1, kBig);
                if (pending)
                    CallEnum(host, h, 1, kTiny);
                EXPECT_EQ(DWORD(WN_SUCCESS), Close(h));
                EXPECT_EQ(0, LiveNameServiceObjects()) << LeakReport();
                EXPECT_EQ(0, SimOwnershipFaults()) << LeakReport();
                if (calls == 0 && !pending) { // never listed: nothing to give back
                    EXPECT_EQ(std::string::npos, Journal().find("CALL NS_")) << Journal();
                }
            }
        }
    }
}

} // namespace

namespace {

TEST_F(NetProvTest, HugeBufferTakesALevelInOneCall)
{
    const DWORD kHuge = 1 << 20;
    HANDLE h = Open(kProviderName, "~Aa.sales");
    EnumCall call = CallEnum(host, h, kAll, kHuge);
    EXPECT_EQ(DWORD(WN_SUCCESS), call.status);
    EXPECT_EQ("", call.layoutFault);
    EXPECT_EQ(5u, call.count);
    EXPECT_EQ(DWORD(WN_NO_MORE_ENTRIES), CallEnum(host, h, kAll, kHuge).status);
}

TEST_F(NetProvTest, LongProviderNameGrowsPastTheFirstStep)
{
    const std::string name(500, 'N');
    Reload(name.c_str());
    HANDLE h = Open(nullptr, nullptr);
    const DWORD demand = DWORD(2 * name.size() + kRecordBytes + 3);
    EnumCall call = CallEnum(host, h, kAll, demand - 1);
    EXPECT_EQ(DWORD(WN_MORE_DATA), call.status);
    EXPECT_EQ(demand, call.freeBytes);
    call = CallEnum(host, h, kAll, demand);
    ASSERT_EQ(DWORD(WN_SUCCESS), call.status);
    ASSERT_EQ(1u, call.records.size());
    EXPECT_EQ(name, call.records[0].remote);
    EXPECT_EQ(name, call.records[0].provider);
    EXPECT_EQ(0u, call.freeBytes);

    // Its kind containers carry it too.
    HANDLE kinds = Open(name.c_str(), nullptr);
    EnumAll all = ReadAll(host, kinds, 600);
    EXPECT_EQ("", all.fault);
    ASSERT_EQ(2u, all.records.size());
    EXPECT_EQ(name, all.records[1].provider);
}

} // namespace
