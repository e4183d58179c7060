// The provider table as the spooler receives it from InitializePrintProvidor.
#include "fixture.h"
#include "stack_probe.h"
#include "variant.h"

#include <set>
#include <string.h>

namespace {

// Slots the provider leaves null, and slots it fills with an entry that
// declines the operation whatever the handle.
const std::set<unsigned> kNullSlots
    = {SPOOL_SLOT(AddPrinter), SPOOL_SLOT(DeletePrinter), SPOOL_SLOT(AddForm),  SPOOL_SLOT(DeleteForm),
       SPOOL_SLOT(GetForm),    SPOOL_SLOT(SetForm),       SPOOL_SLOT(EnumForms)};
const std::set<unsigned> kDeclinedSlots = {SPOOL_SLOT(SetPrinter),
                                           SPOOL_SLOT(EnumPrinters),
                                           SPOOL_SLOT(AddPrinterDriver),
                                           SPOOL_SLOT(DeletePrinterDriver),
                                           SPOOL_SLOT(AddPrintProcessor),
                                           SPOOL_SLOT(EnumPrintProcessors),
                                           SPOOL_SLOT(DeletePrintProcessor),
                                           SPOOL_SLOT(EnumPrintProcessorDatatypes),
                                           SPOOL_SLOT(GetPrinterData),
                                           SPOOL_SLOT(SetPrinterData),
                                           SPOOL_SLOT(WaitForPrinterChange),
                                           SPOOL_SLOT(EnumMonitors),
                                           SPOOL_SLOT(EnumPorts),
                                           SPOOL_SLOT(AddPort),
                                           SPOOL_SLOT(ConfigurePort),
                                           SPOOL_SLOT(DeletePort),
                                           SPOOL_SLOT(CreatePrinterIC),
                                           SPOOL_SLOT(PlayGdiScriptOnPrinterIC),
                                           SPOOL_SLOT(DeletePrinterIC),
                                           SPOOL_SLOT(AddPrinterConnection),
                                           SPOOL_SLOT(DeletePrinterConnection),
                                           SPOOL_SLOT(PrinterMessageBox),
                                           SPOOL_SLOT(AddMonitor),
                                           SPOOL_SLOT(DeleteMonitor)};
constexpr BYTE kTablePoison = 0xab;
constexpr DWORD kTableSize = sizeof(PRINTPROVIDOR); // 200 bytes on Windows 95

// Calls slot index with the given leading arguments, the rest zero.
uint32_t CallSlot(const PRINTPROVIDOR &table, unsigned index, std::vector<uintptr_t> args, int32_t *delta)
{
    args.resize(kSpoolSlots[index].argCount, 0);
    return CallMeasuringStack(SpoolSlot(&table, index), args.data(), static_cast<int>(args.size()), delta);
}

class TableTest : public ProviderTest { };

__attribute__((noinline)) int WINAPI TakesTwo(int first, int second)
{
    return first + second;
}

// The probe itself: it sees an entry called with more words than it pops.
TEST(StackProbe, SeesAnEntryThatPopsFewerWordsThanPushed)
{
    QV_ONLY_IN_32BIT_BUILD();
    const uintptr_t args[3] = {1, 2, 3};
    int32_t delta = 12345;
    EXPECT_EQ(3u, CallMeasuringStack(reinterpret_cast<const void *>(TakesTwo), args, 2, &delta));
    EXPECT_EQ(0, delta);
    EXPECT_EQ(3u, CallMeasuringStack(reinterpret_cast<const void *>(TakesTwo), args, 3, &delta));
    EXPECT_EQ(-4, delta);
}

TEST_F(TableTest, NullSlotsAreNullAndEveryOtherSlotIsFilled)
{
    LoadProvider();
    for (unsigned i = 0; i < PRINTPROVIDOR_SLOT_COUNT; ++i) {
        SCOPED_TRACE(kSpoolSlots[i].name);
        if (kNullSlots.count(i))
            EXPECT_EQ(nullptr, SpoolSlot(&provider_.table, i));
        else
            EXPECT_NE(nullptr, SpoolSlot(&provider_.table, i));
    }
}

// Every filled slot pops exactly the spooler's argument list of its slot,
// whatever it answers (all-zero arguments are refused by every entry).
TEST_F(TableTest, EverySlotPopsItsOwnArguments)
{
    LoadProvider();
    for (unsigned i = 0; i < PRINTPROVIDOR_SLOT_COUNT; ++i) {
        if (kNullSlots.count(i))
            continue;
        SCOPED_TRACE(kSpoolSlots[i].name);
        int32_t delta = 12345;
        SetLastError(kPoison);
        // AbortPrinter has nothing to abort on a handle without a job: TRUE.
        EXPECT_EQ(i == SPOOL_SLOT(AbortPrinter) ? 1u : 0u, CallSlot(provider_.table, i, {}, &delta));
        EXPECT_EQ(0, delta);
        EXPECT_NE(kPoison, GetLastError());
    }
}

TEST_F(TableTest, DeclinedSlotsAnswerCallNotImplemented)
{
    LoadProvider();
    HANDLE printer = nullptr;
    ASSERT_TRUE(Open("\\\\srv1.corp\\lp1", &printer));
    std::set<unsigned> slots = kDeclinedSlots;
    slots.insert(SPOOL_SLOT(ReadPrinter)); // whatever the handle
    for (unsigned i : slots) {
        SCOPED_TRACE(kSpoolSlots[i].name);
        for (uintptr_t first : {uintptr_t(0), reinterpret_cast<uintptr_t>(printer)}) {
            int32_t delta = 12345;
            SetLastError(kPoison);
            EXPECT_EQ(0u, CallSlot(provider_.table, i, {first}, &delta));
            EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
            EXPECT_EQ(0, delta);
        }
    }
    EXPECT_TRUE(Close(printer));
}

TEST_F(TableTest, AddJobAndScheduleJobRefuseByHandle)
{
    LoadProvider();
    HANDLE printer = nullptr;
    HANDLE closed = nullptr;
    ASSERT_TRUE(Open("\\\\srv1.corp\\lp1", &printer));
    ASSERT_TRUE(Open("\\\\srv1.corp\\lp2", &closed));
    ASSERT_TRUE(Close(closed));
    // Other memory that even begins with the handle's signature bytes.
    uint32_t forged[64] = {'Q' | ('V' << 8) | ('Z' << 16)};

    struct Case {
        const char *what;
        HANDLE handle;
        DWORD error;
    } cases[] = {
        {"open handle", printer, ERROR_NOT_SUPPORTED},
        {"null", nullptr, ERROR_INVALID_HANDLE},
        {"closed handle", closed, ERROR_INVALID_HANDLE},
        {"other memory", forged, ERROR_INVALID_HANDLE},
        {"unmapped address", reinterpret_cast<HANDLE>(0x10), ERROR_INVALID_HANDLE},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        DWORD needed = kPoison;
        SetLastError(kPoison);
        EXPECT_FALSE(provider_.table.fpAddJob(c.handle, 1, nullptr, 0, &needed));
        EXPECT_EQ(c.error, GetLastError());
        EXPECT_EQ(kPoison, needed);
        SetLastError(kPoison);
        EXPECT_FALSE(provider_.table.fpScheduleJob(c.handle, 1));
        EXPECT_EQ(c.error, GetLastError());
    }
    EXPECT_TRUE(Close(printer));
}

TEST_F(TableTest, BadArgumentsFailBeforeAnySlotIsWritten)
{
    LoadProvider();
    char path[] = "Software\\QvprovTest\\none";
    char empty[] = "";
    struct Case {
        const char *what;
        bool table;
        DWORD size;
        LPSTR path;
    } cases[] = {
        {"null table", false, kTableSize, path},
        {"one byte short", true, kTableSize - 1, path},
        {"0 bytes", true, 0, path},
        {"null path", true, kTableSize, nullptr},
        {"empty path", true, kTableSize, empty},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PRINTPROVIDOR table;
        memset(&table, kTablePoison, sizeof table);
        SetLastError(kPoison);
        EXPECT_FALSE(provider_.initialize(c.table ? &table : nullptr, c.size, c.path));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
        for (size_t i = 0; i < sizeof table; ++i)
            ASSERT_EQ(kTablePoison, reinterpret_cast<BYTE *>(&table)[i]) << "byte " << i;
    }
}

TEST_F(TableTest, ExactSizeSucceedsAndALargerTableKeepsItsTail)
{
    LoadProvider();
    char path[] = "Software\\QvprovTest\\none";
    BYTE big[sizeof(PRINTPROVIDOR) + 56];
    memset(big, kTablePoison, sizeof big);
    SetLastError(kPoison);
    EXPECT_TRUE(provider_.initialize(reinterpret_cast<PRINTPROVIDOR *>(big), sizeof big, path));
    EXPECT_EQ(0, memcmp(big, &provider_.table, sizeof(PRINTPROVIDOR)));
    for (size_t i = sizeof(PRINTPROVIDOR); i < sizeof big; ++i)
        EXPECT_EQ(kTablePoison, big[i]) << "byte " << i;

    // A second call fills the same table again.
    PRINTPROVIDOR again;
    memset(&again, kTablePoison, sizeof again);
    EXPECT_TRUE(provider_.initialize(&again, sizeof again, path));
    EXPECT_EQ(0, memcmp(&again, &provider_.table, sizeof again));
}

} // namespace
