// Printing from several threads at once, a close racing a write, and the
// end of the provider (FreeLibrary, process exit) with a job in progress.
#include "print_fixture.h"

namespace {

constexpr DWORD kDeadlockTimeout = 120000;

// Waits for every thread; a deadlock ends the test process rather than hangs it.
void JoinOrFail(HANDLE *threads, DWORD count)
{
    if (WaitForMultipleObjects(count, threads, TRUE, kDeadlockTimeout) == WAIT_TIMEOUT) {
        ADD_FAILURE() << "deadlock: the threads did not finish within " << kDeadlockTimeout / 1000 << " s";
        fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    for (DWORD i = 0; i < count; ++i)
        CloseHandle(threads[i]);
}

class PrintThreadsTest : public PrintTest { };

constexpr int kPrintingThreads = 8;
constexpr int kDocumentsPerThread = 200;
const char *const kPrinters[]
    = {"\\\\srv1.corp\\lp1", "\\\\srv1.corp\\lp2", "\\\\srv2.corp\\lp3", "\\\\srv2.corp\\lp4"};

struct Printing {
    SpoolProvider *provider;
    HANDLE start;
    int index;
    LONG failures;
    LONG printed;
};

DWORD WINAPI PrintDocuments(LPVOID parameter)
{
    auto *work = static_cast<Printing *>(parameter);
    const PRINTPROVIDOR &table = work->provider->table;
    WaitForSingleObject(work->start, INFINITE);
    HANDLE printer = nullptr;
    if (!table.fpOpenPrinter(const_cast<LPSTR>(kPrinters[work->index % 4]), &printer, nullptr)) {
        work->failures = kDocumentsPerThread;
        return 0;
    }
    char data[] = "page of text\f";
    for (int i = 0; i < kDocumentsPerThread; ++i) {
        DOC_INFO_1A info = {const_cast<LPSTR>("threaded"), nullptr, nullptr};
        DWORD written = 0;
        bool ok = table.fpStartDocPrinter(printer, 1, reinterpret_cast<LPBYTE>(&info)) != 0;
        ok = ok && table.fpWritePrinter(printer, data, sizeof data - 1, &written)
            && written == sizeof data - 1;
        ok = ok && table.fpEndPagePrinter(printer);
        ok = ok && table.fpWritePrinter(printer, data, sizeof data - 1, &written);
        ok = ok && table.fpEndDocPrinter(printer);
        if (ok)
            ++work->printed;
        else
            ++work->failures;
    }
    if (!table.fpClosePrinter(printer))
        ++work->failures;
    return 0;
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

    HANDLE start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Printing work[kPrintingThreads];
    HANDLE threads[kPrintingThreads];
    for (int i = 0; i < kPrintingThreads; ++i) {
        work[i] = {&provider_, start, i, 0, 0};
        threads[i] = CreateThread(nullptr, 0, PrintDocuments, &work[i], 0, nullptr);
        ASSERT_NE(nullptr, threads[i]);
    }
    SetEvent(start);
    JoinOrFail(threads, kPrintingThreads);
    CloseHandle(start);
    for (const Printing &w : work) {
        SCOPED_TRACE(w.index);
        EXPECT_EQ(0, w.failures);
        EXPECT_EQ(kDocumentsPerThread, w.printed);
    }
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

struct Racing {
    const PRINTPROVIDOR *table;
    HANDLE printer;
    HANDLE writing; // set once the writer has written a few times
    LONG writes;
    DWORD lastError;
};

DWORD WINAPI WriteUntilRefused(LPVOID parameter)
{
    auto *race = static_cast<Racing *>(parameter);
    char data[] = "racing data";
    for (;;) {
        DWORD written = kPoison;
        SetLastError(kPoison);
        if (!race->table->fpWritePrinter(race->printer, data, sizeof data - 1, &written)) {
            race->lastError = GetLastError();
            return 0;
        }
        if (InterlockedIncrement(&race->writes) == 20)
            SetEvent(race->writing);
    }
}

// A close on one thread while another writes through the same handle: the
// write ends cleanly with ERROR_INVALID_HANDLE, the job is cancelled, and no
// freed memory is touched (the handle goes with its last user).
TEST_F(PrintThreadsTest, ClosingAHandleWhileAnotherThreadWritesThroughIt)
{
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        HANDLE printer = nullptr;
        ASSERT_TRUE(Open("\\\\srv1.corp\\lp1", &printer));
        ASSERT_NE(0u, StartDoc(printer, "racing"));
        Racing race = {&provider_.table, printer, CreateEventA(nullptr, TRUE, FALSE, nullptr), 0, 0};
        HANDLE writer = CreateThread(nullptr, 0, WriteUntilRefused, &race, 0, nullptr);
        ASSERT_NE(nullptr, writer);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(race.writing, kDeadlockTimeout));
        EXPECT_TRUE(Close(printer));
        JoinOrFail(&writer, 1);
        CloseHandle(race.writing);
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), race.lastError);
        EXPECT_LE(20, race.writes);
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
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return ERROR_GEN_FAILURE;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    std::string command = "printexit.exe " + arguments;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        return ERROR_GEN_FAILURE;
    }
    CloseHandle(writeEnd);
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
        output->append(buffer, read);
    CloseHandle(readEnd);
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return code;
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
