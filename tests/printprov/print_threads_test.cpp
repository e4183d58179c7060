// Printing from several threads at once, a close racing a write, and the
// end of the provider (FreeLibrary, process exit) with a job in progress.
#include "print_fixture.h"
#include "process.h"
#include "threads.h"

namespace {

constexpr DWORD kDeadlockTimeout = 90000; // below ctest's time-out of a test

class PrintThreadsTest : public PrintTest { };

constexpr int kPrintingThreads = 8;
constexpr int kDocumentsPerThread = 200;
const char *const kPrinters[]
    = {"\\\\srv1.corp\\lp1", "\\\\srv1.corp\\lp2", "\\\\srv2.corp\\lp3", "\\\\srv2.corp\\lp4"};

// One thread's work: 200 documents through a handle of its own.
int PrintDocuments(const PRINTPROVIDOR &table, int index)
{
    HANDLE printer = nullptr;
    if (!table.fpOpenPrinter(const_cast<LPSTR>(kPrinters[index % 4]), &printer, nullptr))
        return 0;
    char data[] = "page of text\f";
    int printed = 0;
    for (int i = 0; i < kDocumentsPerThread; ++i) {
        DOC_INFO_1A info = {const_cast<LPSTR>("threaded"), nullptr, nullptr};
        DWORD written = 0;
        bool ok = table.fpStartDocPrinter(printer, 1, reinterpret_cast<LPBYTE>(&info)) != 0;
        ok = ok && table.fpWritePrinter(printer, data, sizeof data - 1, &written)
            && written == sizeof data - 1;
        ok = ok && table.fpEndPagePrinter(printer);
        ok = ok && table.fpWritePrinter(printer, data, sizeof data - 1, &written);
        ok = ok && table.fpEndDocPrinter(printer);
        printed += ok;
    }
    return table.fpClosePrinter(printer) ? printed : -1;
}

// Eight threads print to four printers through handles of their own while
// the cache's monitor runs every millisecond.
TEST_F(PrintThreadsTest, EightThreadsPrintToFourPrinters)
{
    UnloadProvider();
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, providerKey_.c_str(), 0, KEY_ALL_ACCESS, &key));
    const DWORD period = 1;
    RegSetValueExA(key, "CacheMonitorPeriod", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&period),
                   sizeof period);
    RegCloseKey(key);
    LoadProvider();
    SimJournalCalls(0);

    int printed[kPrintingThreads] = {};
    qvtest::RunThreads(
        kPrintingThreads, [&](int index) { printed[index] = PrintDocuments(provider_.table, index); },
        kDeadlockTimeout);
    for (int i = 0; i < kPrintingThreads; ++i)
        EXPECT_EQ(kDocumentsPerThread, printed[i]) << "thread " << i;
    // Every job finished on its server: 200 documents for each of the two
    // handles of each printer, two printers on each server.
    const int perServer = kDocumentsPerThread * kPrintingThreads / 2;
    EXPECT_TRUE(UnfinishedJobs().empty());
    for (const char *server : {"srv1", "srv2"}) {
        SCOPED_TRACE(server);
        int completed = 0;
        for (int number = 1; number <= perServer + 1; ++number)
            completed += SimJobState((std::to_string(number) + "-" + server).c_str()) == kJobCompleted;
        EXPECT_EQ(perServer, completed);
    }
}

// A close on one thread while another writes through the same handle: the
// write ends cleanly with ERROR_INVALID_HANDLE, the job is cancelled, and no
// freed memory is touched (the handle goes with its last user).
TEST_F(PrintThreadsTest, ClosingAHandleWhileAnotherThreadWritesThroughIt)
{
    constexpr LONG kWritesBeforeClose = 20;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        HANDLE printer = nullptr;
        ASSERT_TRUE(Open("\\\\srv1.corp\\lp1", &printer));
        ASSERT_NE(0u, StartDoc(printer, "racing"));
        HANDLE writing = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        LONG writes = 0;
        DWORD lastError = 0;
        BOOL closed = FALSE;
        qvtest::RunThreads(
            2,
            [&](int index) {
                if (index == 1) {
                    WaitForSingleObject(writing, INFINITE);
                    closed = provider_.table.fpClosePrinter(printer);
                    return;
                }
                char data[] = "racing data";
                for (;;) {
                    DWORD written = kPoison;
                    SetLastError(kPoison);
                    if (!provider_.table.fpWritePrinter(printer, data, sizeof data - 1, &written)) {
                        lastError = GetLastError();
                        SetEvent(writing); // in case the writes failed before the close
                        return;
                    }
                    if (InterlockedIncrement(&writes) == kWritesBeforeClose)
                        SetEvent(writing);
                }
            },
            kDeadlockTimeout);
        CloseHandle(writing);
        EXPECT_TRUE(closed);
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), lastError);
        EXPECT_LE(kWritesBeforeClose, writes);
        EXPECT_EQ(0, SimLiveObjects(nullptr)) << LeakReport();
    }
    EXPECT_TRUE(UnfinishedJobs().empty());
}

// FreeLibrary with a document in progress: the full clean-up cancels it.
TEST_F(PrintThreadsTest, UnloadingWithADocumentInProgressCancelsTheJob)
{
    HANDLE printer = nullptr;
    ASSERT_TRUE(Open("\\\\srv1.corp\\lp1", &printer));
    const DWORD jobNumber = StartDoc(printer, "in progress");
    ASSERT_NE(0u, jobNumber);
    DWORD written = 0;
    EXPECT_TRUE(Write(printer, "unfinished", &written));
    SimJournalClear();
    UnloadProvider();
    std::vector<std::string> journal = JournalLines();
    EXPECT_LE(0, FindRequest(journal, 0)) << ::testing::PrintToString(journal);
    EXPECT_LT(FindRequest(journal, 0), FindJournal(journal, "MSG_UsageEnd("));
    EXPECT_EQ(kNoSuchJob, SimJobState((std::to_string(jobNumber) + "-srv1").c_str()));
    EXPECT_TRUE(UnfinishedJobs().empty());
}

// Runs the exit host in a process of its own; returns its exit code, or
// STILL_ACTIVE when it has not ended within the time limit.
DWORD RunExitHost(const std::string &arguments, std::string *output)
{
    qvtest::ProgramRun run = qvtest::RunProgram("printexit.exe " + arguments, "", 30000);
    *output += run.out + run.err;
    return run.exitCode;
}

// The process ends with a document in progress: once with a writer thread
// still running, once with JobLock held by a thread that the exit kills
// (through the test plug-in, which receives the lock). Detach must neither
// wait for those threads nor for the lock they held, and calls nothing that
// could: not even the plug-in, which FreeLibrary does tell to end.
TEST_F(PrintThreadsTest, ProcessExitWithADocumentInProgressDoesNotHang)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPrintAssistantKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr));
    const char path[] = "testpa.dll";
    RegSetValueExA(key, "DLLPath", 0, REG_SZ, reinterpret_cast<const BYTE *>(path), sizeof path);
    RegCloseKey(key);
    struct Case {
        const char *mode;
        bool fullCleanUp; // FreeLibrary first: the plug-in is told to end
    } cases[] = {{"writing", false}, {"locked", false}, {"unload", true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.mode);
        std::string output;
        EXPECT_EQ(0u, RunExitHost(std::string(c.mode) + " " + providerKey_ + " \\\\srv1.corp\\lp1", &output))
            << output;
        EXPECT_NE(std::string::npos, output.find("document started")) << output;
        EXPECT_NE(std::string::npos, output.find("exiting")) << output;
        // At process exit nothing calls into the plug-in, which might wait.
        EXPECT_EQ(c.fullCleanUp, output.find("plug-in terminated") != std::string::npos) << output;
    }
    // The host ran as the real user; remove what its open made there.
    UserHive::Restore();
    DeleteTree(HKEY_CURRENT_USER, std::string(kUserPrintersRoot) + ",,srv1.corp,lp1");
    user_->Activate();
}

} // namespace
