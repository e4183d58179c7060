// The result cache, linked in directly, on a clock the test sets: expiry by
// call type, push-out, invalidation of one printer's job results, and the
// waits for an entry in use. Entries hold real requests of the simulator, so
// every free shows as a closed request.
#include <windows.h>
#include <gtest/gtest.h>

#include "cache.h"
#include "qvsim.h"

namespace {

constexpr DWORD kBlockedWait = 300;  // long enough for a thread to reach its wait
constexpr DWORD kFinishWait = 30000; // a thread that no longer waits ends well within this
const int kTable = 1;                // a conversion table, compared by identity
const int kOtherTable = 2;

DWORD FakeNow;
DWORD WINAPI FakeTick()
{
    return FakeNow;
}

QvRequest NewRequest()
{
    QvRequest request = 0;
    EXPECT_EQ(0, DPAOpenRequest(&request, DPA_REQUEST_LIST, 0));
    return request;
}

int LiveRequests()
{
    return SimLiveObjects("request");
}

class CacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimReset();
        saved_ = g_cache;
        g_cache.tick = FakeTick;
        FakeNow = 0xffffff00; // close to the wrap of the tick count
        CacheStart();
    }

    void TearDown() override
    {
        CacheStop();
        g_cache = saved_;
        EXPECT_EQ(0, SimLiveObjects(nullptr));
        EXPECT_EQ(0, SimOwnershipFaults());
    }

    static CacheEntry *InsertJobList(const char *server, const char *printer, uint32_t filters = 3,
                                     const void *table = &kTable)
    {
        return CacheInsertList(NewRequest(), kCallEnumJobs, "corp", server, table, printer, filters);
    }

    static CacheEntry *InsertObject(int32_t callType, const char *domain, const char *server,
                                    const char *name)
    {
        return CacheInsertObject(NewRequest(), callType, domain, server, &kTable, 87, name);
    }

    ResultCache saved_;
};

TEST_F(CacheTest, EntriesExpireByTheTimeOutOfTheirCallType)
{
    struct Case {
        const char *what;
        int32_t callType;
        bool setTimeout;
        uint32_t timeout;
        uint32_t lastLive; // age at which the entry is still served
    } cases[] = {
        {"default time-out", kCallGetJob, false, 0, 3000},
        {"time-out 0", kCallGetJob, true, 0, 0},
        {"custom time-out", kCallGetJob, true, 500, 500},
        {"call type not in the table", 9, false, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        if (c.setTimeout)
            g_cache.timeouts[kCallGetJob - 1].timeout = c.timeout;
        const DWORD created = FakeNow;
        CacheEntry *entry = InsertObject(c.callType, "corp", "srv1", "5-srv1");
        ASSERT_NE(nullptr, entry);
        CacheRelease(entry);

        FakeNow = created + c.lastLive;
        CacheEntry *found = CacheLookupObject(c.callType, "corp", "srv1", &kTable, 87, "5-srv1");
        EXPECT_EQ(entry, found);
        CacheRelease(found);
        // The key must match exactly.
        EXPECT_EQ(nullptr, CacheLookupObject(c.callType, "corp", "SRV1", &kTable, 87, "5-srv1"));
        EXPECT_EQ(nullptr, CacheLookupObject(c.callType, "corp", "srv1", &kTable, 88, "5-srv1"));
        EXPECT_EQ(nullptr, CacheLookupObject(c.callType, "corp", "srv1", &kOtherTable, 87, "5-srv1"));
        EXPECT_EQ(nullptr, CacheLookupObject(c.callType, "corp", "srv1", &kTable, 87, nullptr));
        EXPECT_EQ(nullptr, CacheLookupList(c.callType, "corp", "srv1", &kTable, "5-srv1", 0));
        EXPECT_EQ(1, LiveRequests());

        FakeNow = created + c.lastLive + 1;
        EXPECT_EQ(nullptr, CacheLookupObject(c.callType, "corp", "srv1", &kTable, 87, "5-srv1"));
        EXPECT_EQ(0, LiveRequests());
        EXPECT_EQ(0u, g_cache.count);
        g_cache.timeouts[kCallGetJob - 1].timeout = 3000;
    }
}

// The list holds at most max entries - 1; the oldest goes first.
TEST_F(CacheTest, AnInsertPushesOutTheOldestAtMaxEntriesMinusOne)
{
    g_cache.maxEntries = 5;
    const char *printers[] = {"p0", "p1", "p2", "p3", "p4"};
    for (int i = 0; i < 4; ++i)
        CacheRelease(InsertJobList("srv1", printers[i]));
    EXPECT_EQ(4u, g_cache.count);
    EXPECT_EQ(4, LiveRequests());
    CacheRelease(InsertJobList("srv1", printers[4]));
    EXPECT_EQ(4u, g_cache.count);
    EXPECT_EQ(4, LiveRequests());
    EXPECT_EQ(nullptr, CacheLookupList(kCallEnumJobs, "corp", "srv1", &kTable, "p0", 3));
    for (int i = 1; i < 5; ++i) {
        SCOPED_TRACE(printers[i]);
        CacheEntry *entry = CacheLookupList(kCallEnumJobs, "corp", "srv1", &kTable, printers[i], 3);
        EXPECT_NE(nullptr, entry);
        CacheRelease(entry);
    }
}

// A job change on printer lp1 drops its EnumJobs lists (whatever their
// filters and tables) and every GetJob object of its domain and server, and
// nothing else.
TEST_F(CacheTest, InvalidationDropsOnlyThePrintersJobResults)
{
    struct Entry {
        const char *what;
        CacheEntry *entry;
        bool dropped;
    } entries[] = {
        {"EnumJobs of lp1", InsertJobList("srv1", "lp1"), true},
        {"EnumJobs of lp1, other filters and table", InsertJobList("srv1", "lp1", 0, &kOtherTable), true},
        {"GetJob on srv1", InsertObject(kCallGetJob, "corp", "srv1", "5-srv1"), true},
        {"GetJob on srv1, another job", InsertObject(kCallGetJob, "corp", "srv1", nullptr), true},
        {"EnumJobs of lp2", InsertJobList("srv1", "lp2"), false},
        {"EnumJobs without a printer", InsertJobList("srv1", nullptr), false},
        {"GetJob on srv2", InsertObject(kCallGetJob, "corp", "srv2", "7-srv2"), false},
        {"GetJob in another domain", InsertObject(kCallGetJob, "eng", "srv1", "5-srv1"), false},
        {"GetPrinter of lp1", InsertObject(kCallGetPrinter, "corp", "srv1", "lp1"), false},
    };
    for (const Entry &e : entries) {
        ASSERT_NE(nullptr, e.entry) << e.what;
        CacheRelease(e.entry);
    }
    CacheInvalidateJobs("corp", "srv1", "lp1");
    EXPECT_EQ(5, LiveRequests());
    for (const Entry &e : entries) {
        SCOPED_TRACE(e.what);
        bool present = false;
        for (CacheEntry *entry = g_cache.head; entry; entry = entry->next)
            present = present || entry == e.entry;
        EXPECT_EQ(!e.dropped, present);
    }
}

struct Waiter {
    HANDLE thread;
    static DWORD WINAPI Lookup(LPVOID)
    {
        CacheRelease(CacheLookupList(kCallEnumJobs, "corp", "srv1", &kTable, "other", 3));
        return 0;
    }
    static DWORD WINAPI Stop(LPVOID)
    {
        CacheStop();
        return 0;
    }
};

// A purge meets an expired entry that a query still reads: it waits for the
// query to release it, then frees it.
TEST_F(CacheTest, APurgeWaitsForAnEntryInUse)
{
    CacheEntry *held = InsertJobList("srv1", "lp1");
    ASSERT_NE(nullptr, held);
    FakeNow += 10000;
    HANDLE purger = CreateThread(nullptr, 0, Waiter::Lookup, nullptr, 0, nullptr);
    ASSERT_NE(nullptr, purger);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(purger, kBlockedWait));
    EXPECT_EQ(1, LiveRequests()) << "not freed while in use";
    CacheRelease(held);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(purger, kFinishWait));
    CloseHandle(purger);
    EXPECT_EQ(0, LiveRequests());
}

// Stopping the cache with an entry held, the monitor running at a short
// period: the stop waits for the entry's user, then frees everything.
TEST_F(CacheTest, StopWaitsForEntriesInUse)
{
    g_cache.monitorPeriod = 1;
    CacheRunMonitor();
    ASSERT_NE(nullptr, g_cache.monitorThread);
    CacheRelease(InsertJobList("srv1", "lp2"));
    CacheEntry *held = InsertJobList("srv1", "lp1");
    HANDLE stopper = CreateThread(nullptr, 0, Waiter::Stop, nullptr, 0, nullptr);
    ASSERT_NE(nullptr, stopper);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(stopper, kBlockedWait));
    CacheRelease(held);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(stopper, kFinishWait));
    CloseHandle(stopper);
    EXPECT_EQ(nullptr, g_cache.monitorThread);
    EXPECT_FALSE(g_cache.listLockReady);
    EXPECT_EQ(0, LiveRequests());
}

} // namespace
