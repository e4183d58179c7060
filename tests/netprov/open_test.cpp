/*
 * NPOpenEnum: which level a container record opens, names that are not
 * containers of ours, bad input, the lazy start of the name service with
 * the kinds it supports, and starts from two threads at once.
 */
#include "netprov_fixture.h"

namespace {

struct LevelCase {
    const char *provider;
    const char *remote;
    std::vector<std::string> names; // what a full read returns
    const char *journalCall;        // a call the first read must make, or null
};

TEST_F(NetProvTest, ContainerRecordChoosesTheLevel)
{
    const LevelCase cases[] = {
        {nullptr, nullptr, {kProviderName}, nullptr},
        {nullptr, "~Aa.sales", {kProviderName}, nullptr},
        {kProviderName, nullptr, {"~Aa.", "~Aa.NIS:"}, nullptr},
        {kProviderName, "~Aa.", {"~Aa.sales", "~Aa.empty", "~Aa.mixed"}, "NS_ListDomainBegin(2,"},
        {kProviderName, "~Aa.NIS:", {"~Aa.NIS:eng"}, "NS_ListDomainBegin(0,"},
        {kProviderName,
         "~Aa.sales",
         {"\\\\srv1.sales\\lp1", "\\\\srv2.sales\\lp2", "\\\\srv1.sales\\lp3", "~Aasrv1.sales",
          "~Aasrv2.sales"},
         "NS_SetDomain(2,\"sales\""},
        {kProviderName,
         "~Aasrv1.NIS:eng",
         {"\\\\srv1.NIS:eng\\lp2", "\\\\srv1.NIS:eng\\lp6"},
         "NS_SetDomain(0,\"eng\""},
        {kProviderName, "~Aasrv3.NIS:eng", {"\\\\srv3.NIS:eng\\lp5"}, nullptr},
        // A server of the default kind: only its own printers.
        {kProviderName, "~Aasrv1.sales", {"\\\\srv1.sales\\lp1", "\\\\srv1.sales\\lp3"}, nullptr},
    };
    for (const LevelCase &c : cases) {
        SCOPED_TRACE(std::string(c.provider ? "provider, " : "no provider, ")
                     + (c.remote ? c.remote : "no remote name"));
        SimJournalClear();
        HANDLE h = Open(c.provider, c.remote);
        ASSERT_NE(nullptr, h);
        EnumAll all = ReadAll(host, h, 4096);
        EXPECT_EQ("", all.fault);
        EXPECT_EQ(c.names, Names(all.records));
        if (c.journalCall != nullptr) {
            EXPECT_NE(std::string::npos, Journal().find(c.journalCall)) << Journal();
        }
        EXPECT_EQ(DWORD(WN_SUCCESS), Close(h));
        EXPECT_EQ(0, LiveNameServiceObjects()) << LeakReport();
    }
}

TEST_F(NetProvTest, NamesThatAreNotOurContainers)
{
    const char *names[] = {
        "~Aasrv1",             // a server without its domain
        "\\\\srv1.sales\\lp1", // a printer
        "\\\\srv1.sales",
        kProviderName,
        "",
        "~A",
        "~aA.sales", // the marker is case-sensitive
        "Aa.sales",
    };
    for (const char *name : names) {
        SCOPED_TRACE(name);
        HANDLE h = reinterpret_cast<HANDLE>(kSentinel);
        EXPECT_EQ(DWORD(WN_NOT_CONTAINER), host.open(kProviderName, name, &h));
        EXPECT_EQ(reinterpret_cast<HANDLE>(kSentinel), h);
    }
    EXPECT_EQ(0, LiveNameServiceObjects());
}

TEST_F(NetProvTest, OpenRefusesMissingRecordAndOutPointer)
{
    HANDLE h = reinterpret_cast<HANDLE>(kSentinel);
    EXPECT_EQ(DWORD(WN_OUT_OF_MEMORY), host.openEnum(RESOURCE_GLOBALNET, 0, 0, nullptr, &h));
    EXPECT_EQ(reinterpret_cast<HANDLE>(kSentinel), h);

    NETRESOURCEA container = {};
    EXPECT_EQ(DWORD(WN_BAD_POINTER), host.openEnum(RESOURCE_GLOBALNET, 0, 0, &container, nullptr));
}

TEST_F(NetProvTest, OnlyTheDefaultKindOpensTheProviderAtItsDomains)
{
    SetKinds({NS_KIND_DEFAULT});
    Reload();
    HANDLE h = Open(kProviderName, nullptr);
    EnumAll all = ReadAll(host, h, 1024);
    EXPECT_EQ("", all.fault);
    EXPECT_EQ((std::vector<std::string> {"~Aa.sales", "~Aa.empty", "~Aa.mixed"}), Names(all.records));
    // The NIS prefix is no longer ours: the name is a default-kind domain.
    char text[32];
    DWORD length = sizeof text;
    ASSERT_EQ(DWORD(WN_SUCCESS), host.formatName(const_cast<char *>("~Aa."), text, &length, 0, 0));
    EXPECT_STREQ("NT Domains", text);
    length = sizeof text;
    ASSERT_EQ(DWORD(WN_SUCCESS), host.formatName(const_cast<char *>("~Aa.NIS:"), text, &length, 0, 0));
    EXPECT_STREQ("NIS:", text);
}

TEST_F(NetProvTest, NoSupportedKindFailsEveryCallAndRetriesEachTime)
{
    SetKinds({});
    Reload();
    const int kTries = 3;
    for (int i = 0; i < kTries; ++i) {
        HANDLE h = reinterpret_cast<HANDLE>(kSentinel);
        EXPECT_EQ(DWORD(WN_NO_NETWORK), host.open(nullptr, nullptr, &h));
        EXPECT_EQ(reinterpret_cast<HANDLE>(kSentinel), h);
        char text[32] = "untouched";
        DWORD length = sizeof text;
        // Even a name that needs no lookup.
        EXPECT_EQ(DWORD(WN_NO_NETWORK),
                  host.formatName(const_cast<char *>("\\\\s.d\\p"), text, &length, 0, 0));
        EXPECT_STREQ("untouched", text);
        EXPECT_EQ(DWORD(sizeof text), length);
    }
    std::string journal = Journal();
    EXPECT_EQ(2 * kTries, JournalCount(journal, "NS_ListSupportedEnv")) << journal;
    EXPECT_EQ(2 * kTries, JournalCount(journal, "NS_Init")) << journal;
}

// A start that finds no browsable kind (none at all, or only kinds the client
// does not browse) fails without trimming anything away: once the name
// service offers the kinds, the next start shows them all.
TEST_F(NetProvTest, StartWithoutBrowsableKindsRecoversWhenTheyAppear)
{
    for (std::vector<int32_t> none : {std::vector<int32_t> {}, std::vector<int32_t> {NS_KIND_DCE}}) {
        SCOPED_TRACE(none.size());
        SetKinds(none);
        Reload();
        HANDLE h = reinterpret_cast<HANDLE>(kSentinel);
        EXPECT_EQ(DWORD(WN_NO_NETWORK), host.open(nullptr, nullptr, &h));
        EXPECT_EQ(DWORD(WN_NO_NETWORK), host.open(kProviderName, nullptr, &h));

        SetKinds({NS_KIND_DEFAULT, NS_KIND_NIS});
        h = Open(kProviderName, nullptr);
        EnumAll all = ReadAll(host, h, 1024);
        EXPECT_EQ((std::vector<std::string> {"~Aa.", "~Aa.NIS:"}), Names(all.records));
        EXPECT_EQ(DWORD(WN_SUCCESS), Close(h));
    }
}

TEST_F(NetProvTest, NameServiceStartFailuresAreRetriedInFull)
{
    // NS_Init fails once.
    SimInjectStatus("NS_Init", 1, -1);
    HANDLE h = reinterpret_cast<HANDLE>(kSentinel);
    EXPECT_EQ(DWORD(WN_NO_NETWORK), host.open(nullptr, nullptr, &h));
    EXPECT_EQ(0, JournalCount(Journal(), "NS_ListSupportedEnv"));

    // The supported list is missing once: the kind table stays whole.
    SimSetSupportedKinds(nullptr, -1);
    EXPECT_EQ(DWORD(WN_NO_NETWORK), host.open(nullptr, nullptr, &h));
    EXPECT_EQ(reinterpret_cast<HANDLE>(kSentinel), h);

    SetKinds({NS_KIND_DEFAULT, NS_KIND_NIS});
    SimJournalClear();
    h = Open(kProviderName, nullptr);
    EnumAll all = ReadAll(host, h, 1024);
    EXPECT_EQ((std::vector<std::string> {"~Aa.", "~Aa.NIS:"}), Names(all.records));
    std::string journal = Journal();
    EXPECT_EQ(1, JournalCount(journal, "NS_Init"));
    EXPECT_EQ(1, JournalCount(journal, "NS_ListSupportedEnv"));

    // Started: later calls start nothing.
    SimJournalClear();
    HANDLE again = Open(nullptr, nullptr);
    EXPECT_NE(nullptr, again);
    EXPECT_EQ(0, JournalCount(Journal(), "NS_Init"));
}

// Two router threads make the first calls at the same moment.
struct Racer {
    RouterHost *host;
    HANDLE start;
    DWORD status;
    HANDLE handle;
    DWORD formatStatus;
};

DWORD WINAPI RaceOpen(LPVOID parameter)
{
    Racer *racer = static_cast<Racer *>(parameter);
    WaitForSingleObject(racer->start, INFINITE);
    racer->status = racer->host->open(kProviderName, nullptr, &racer->handle);
    char text[32];
    DWORD length = sizeof text;
    racer->formatStatus = racer->host->formatName(const_cast<char *>("~Aa.NIS:eng"), text, &length, 0, 0);
    return 0;
}

TEST_F(NetProvTest, FirstStartFromTwoThreadsRunsOnce)
{
    const int kRounds = 40;
    const DWORD kDeadlockMs = 10000;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        Reload();
        HANDLE start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        Racer racers[2]
            = {{&host, start, kSentinel, nullptr, kSentinel}, {&host, start, kSentinel, nullptr, kSentinel}};
        HANDLE threads[2];
        for (int i = 0; i < 2; ++i)
            threads[i] = CreateThread(nullptr, 0, RaceOpen, &racers[i], 0, nullptr);
        SetEvent(start);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, threads, TRUE, kDeadlockMs)) << "deadlock";
        for (HANDLE t : threads)
            CloseHandle(t);
        CloseHandle(start);

        for (Racer &r : racers) {
            EXPECT_EQ(DWORD(WN_SUCCESS), r.status);
            EXPECT_EQ(DWORD(WN_SUCCESS), r.formatStatus);
        }
        std::string journal = Journal();
        EXPECT_EQ(1, JournalCount(journal, "NS_Init")) << journal;
        EXPECT_EQ(1, JournalCount(journal, "NS_ListSupportedEnv")) << journal;
        // Both see the whole table, trimmed once: two kinds each.
        for (Racer &r : racers) {
            if (r.status != WN_SUCCESS)
                continue;
            EnumAll all = ReadAll(host, r.handle, 1024);
            EXPECT_EQ((std::vector<std::string> {"~Aa.", "~Aa.NIS:"}), Names(all.records));
            EXPECT_EQ(DWORD(WN_SUCCESS), host.closeEnum(r.handle));
        }
    }
}

} // namespace
