// Eight threads query and control jobs on shared and separate handles
// while two others print and the cache's monitor purges every millisecond:
// no deadlock (RunThreads ends the program after its time-out), every call
// answers, and no result is read after it was freed (the simulator counts
// every use of a closed request or deleted value as a fault).
#include "queue_fixture.h"
#include "threads.h"

namespace {

constexpr int kQueryThreads = 8;
constexpr int kPrintThreads = 2;
constexpr int kRounds = 40;
constexpr DWORD kDeadlockTimeout = 120000;

class QueueThreadsTest : public QueueTest { };

TEST_F(QueueThreadsTest, QueriesJobControlAndPrintingRunTogether)
{
    // Entries live a millisecond; the monitor purges every millisecond.
    SetCacheSettings(1, 1);
    Reload();
    HANDLE shared = OpenOk(kLp1);
    volatile LONG failures = 0;
    const PRINTPROVIDOR table = provider_.table;
    auto fail = [&](const char *) { InterlockedIncrement(&failures); };

    qvtest::RunThreads(
        kQueryThreads + kPrintThreads,
        [&](int index) {
            HANDLE own = nullptr;
            if (index >= kQueryThreads / 2 && !table.fpOpenPrinter(const_cast<LPSTR>(kLp1), &own, nullptr)) {
                fail("open");
                return;
            }
            HANDLE printer = own ? own : shared;
            std::vector<BYTE> buffer(65536);
            for (int round = 0; round < kRounds; ++round) {
                DWORD needed = 0;
                DWORD returned = 0;
                if (index >= kQueryThreads) {
                    DOC_INFO_1A info = {const_cast<LPSTR>("threads"), nullptr, nullptr};
                    char data[] = "some bytes";
                    DWORD written = 0;
                    if (!table.fpStartDocPrinter(printer, 1, reinterpret_cast<LPBYTE>(&info))
                        || !table.fpWritePrinter(printer, data, sizeof data - 1, &written)
                        || !table.fpEndDocPrinter(printer))
                        fail("print");
                    continue;
                }
                switch (index % 3) {
                case 0:
                    if (!table.fpEnumJobs(printer, 0, 0, 1 + round % 2, buffer.data(),
                                          static_cast<DWORD>(buffer.size()), &needed, &returned)
                        || returned < 5)
                        fail("EnumJobs");
                    break;
                case 1:
                    if (!table.fpGetJob(printer, round % 2 ? 5 : 7, 1 + round % 2, buffer.data(),
                                        static_cast<DWORD>(buffer.size()), &needed))
                        fail("GetJob");
                    break;
                default:
                    // Pausing a paused job, or resuming one that is not, is no failure.
                    if (!table.fpSetJob(printer, 7, 0, nullptr,
                                        round % 2 ? JOB_CONTROL_RESUME : JOB_CONTROL_PAUSE))
                        fail("SetJob");
                    break;
                }
            }
            if (own && !table.fpClosePrinter(own))
                fail("close");
        },
        kDeadlockTimeout);

    EXPECT_EQ(0, failures);
    EXPECT_TRUE(Close(shared));
    EXPECT_EQ(0, SimOwnershipFaults()) << LeakReport();
}

} // namespace
