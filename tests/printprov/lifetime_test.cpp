// Process attach and detach of qvprov: the core library's start and stop, the
// plug-in, the monitor thread, and handles left open at unload.
#include "fixture.h"
#include "process.h"

namespace {

// Sets (or clears, for null) an environment variable for one test.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char *name, const char *value) : name_(name)
    {
        char old[1024];
        DWORD length = GetEnvironmentVariableA(name, old, sizeof old);
        had_ = length > 0 && length < sizeof old;
        if (had_)
            old_ = old;
        SetEnvironmentVariableA(name, value);
    }
    ~ScopedEnvironment() { SetEnvironmentVariableA(name_, had_ ? old_.c_str() : nullptr); }

private:
    const char *name_;
    bool had_ = false;
    std::string old_;
};

class LifetimeTest : public ProviderTest { };

TEST_F(LifetimeTest, AttachAndDetachCallTheCoreLibraryInOrder)
{
    SimInjectStatus("API__DocumentExists", 1, -899);
    LoadProvider();
    std::vector<std::string> attach = JournalLines();
    int usage = FindJournal(attach, "MSG_UsageBegin(\"PP\")");
    int init = FindJournal(attach, "NS_Init(0,10)", usage);
    int list = FindJournal(attach, "STF_CreateList(0)", init);
    int exists = FindJournal(attach, "API__DocumentExists(", list);
    int oid = FindJournal(attach, "OID_Init(", exists);
    int deleted = FindJournal(attach, "STF_DeleteList(", oid);
    EXPECT_LE(0, usage) << ::testing::PrintToString(attach);
    EXPECT_LT(usage, init);
    EXPECT_LT(init, list);
    EXPECT_LT(list, exists);
    EXPECT_LT(exists, oid);
    EXPECT_LT(oid, deleted);

    SimJournalClear();
    UnloadProvider();
    std::vector<std::string> detach = JournalLines();
    int end = FindJournal(detach, "MSG_UsageEnd(");
    int term = FindJournal(detach, "NS_Term(", end);
    int oidTerm = FindJournal(detach, "OID_Term(", term);
    EXPECT_LE(0, end) << ::testing::PrintToString(detach);
    EXPECT_LT(end, term);
    EXPECT_LT(term, oidTerm);
}

TEST_F(LifetimeTest, ObjectIdentifierDirectoryComesFromTheEnvironment)
{
    struct Case {
        const char *what;
        const char *oidPath;
        const char *root;
        const char *directory;
    } cases[] = {
        {"PD_OID_DB_PATH wins", "D:\\oiddb", "E:\\qv", "\"D:\\oiddb\""},
        {"QV_ROOT alone", nullptr, "E:\\qv", "\"E:\\qv\\share\\oid\""},
        {"neither", nullptr, nullptr, "\"C:\\Quorvane\\share\\oid\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ScopedEnvironment oidPath("PD_OID_DB_PATH", c.oidPath);
        ScopedEnvironment root("QV_ROOT", c.root);
        SimJournalClear();
        SimInjectStatus("API__DocumentExists", 1, -899);
        LoadProvider();
        std::vector<std::string> journal = JournalLines();
        int exists = FindJournal(journal, std::string("API__DocumentExists(") + c.directory + ",0)");
        EXPECT_LE(0, exists) << ::testing::PrintToString(journal);
        EXPECT_LT(exists, FindJournal(journal, std::string("OID_Init(")));
        EXPECT_LE(0, FindJournal(journal, c.directory, FindJournal(journal, "OID_Init(")));
        UnloadProvider();
    }
}

TEST_F(LifetimeTest, TheDatabaseIsOpenedOnlyWhenTheDirectoryExists)
{
    for (int32_t status : {0, -900, -1, 1}) {
        SCOPED_TRACE(status);
        SimJournalClear();
        SimInjectStatus("API__DocumentExists", 1, status);
        LoadProvider();
        std::vector<std::string> journal = JournalLines();
        EXPECT_LE(0, FindJournal(journal, "API__DocumentExists("));
        EXPECT_EQ(-1, FindJournal(journal, "OID_Init("));
        UnloadProvider();
    }
}

// The spooler may unload the provider with handles still open; each load
// starts one monitor thread and each unload ends it.
TEST_F(LifetimeTest, LoadAndUnloadHundredTimesWithHandlesOpen)
{
    {
        SCOPED_TRACE("GoogleTest starts its thread-local watcher thread at the first trace");
    }
    const int baseline = ThreadCount();
    for (int i = 0; i < 100; ++i) {
        SCOPED_TRACE(i);
        LoadProvider();
        if (i == 0) {
            EXPECT_EQ(baseline + 1, ThreadCount());
        }
        for (const char *name :
             {"\\\\srv1.corp\\lp1", "\\\\srv1.NIS:eng\\lp1", "\\\\srv2.corp", "\\\\.corp"}) {
            HANDLE handle = nullptr;
            ASSERT_TRUE(Open(name, &handle)) << name;
        }
        UnloadProvider();
    }
    EXPECT_EQ(baseline, WaitForThreadCount(baseline));
    std::vector<std::string> journal = JournalLines();
    int inits = 0;
    int terms = 0;
    for (const std::string &line : journal) {
        inits += line.find("NS_Init(") != std::string::npos;
        terms += line.find("NS_Term(") != std::string::npos;
    }
    EXPECT_EQ(100, inits);
    EXPECT_EQ(100, terms);
}

// Loaded and unloaded without InitializePrintProvidor, as a program that only
// looks at the library would: the monitor never started and leaves nothing.
TEST_F(LifetimeTest, LoadWithoutInitializeLeavesNoThread)
{
    const int baseline = ThreadCount();
    for (int i = 0; i < 20; ++i) {
        HMODULE module = LoadLibraryA("qvprov.dll");
        ASSERT_NE(nullptr, module);
        FreeLibrary(module);
    }
    EXPECT_EQ(baseline, WaitForThreadCount(baseline));
}

TEST_F(LifetimeTest, OnlyExportIsInitializePrintProvidorAtOrdinalTwo)
{
    HMODULE module = LoadLibraryA("qvprov.dll");
    ASSERT_NE(nullptr, module);
    EXPECT_EQ(GetProcAddress(module, "InitializePrintProvidor"), GetProcAddress(module, MAKEINTRESOURCEA(2)));
    EXPECT_NE(nullptr, GetProcAddress(module, MAKEINTRESOURCEA(2)));

    auto base = reinterpret_cast<const BYTE *>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(0u, dir.VirtualAddress);
    auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(base + dir.VirtualAddress);
    EXPECT_EQ(1u, exports->NumberOfNames);
    EXPECT_EQ(2u, exports->Base + exports->NumberOfFunctions - 1);
    FreeLibrary(module);
}

// Detach closes the open handles while the plug-in and JobLock are alive,
// then ends the plug-in (holding a live JobLock), and stops the core library
// only after that.
TEST_F(LifetimeTest, DetachEndsThePlugInBeforeTheCoreLibrary)
{
    HMODULE plugin = LoadLibraryA("testpa.dll"); // kept loaded to read its log afterwards
    ASSERT_NE(nullptr, plugin);
    auto log = reinterpret_cast<const char *(__cdecl *)()>(GetProcAddress(plugin, "TestPA_Log"));
    ASSERT_NE(nullptr, log);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPrintAssistantKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr));
    const char path[] = "testpa.dll";
    RegSetValueExA(key, "DLLPath", 0, REG_SZ, reinterpret_cast<const BYTE *>(path), sizeof path);
    RegCloseKey(key);

    LoadProvider();
    EXPECT_STREQ("initialize;", log());
    for (const char *name : {"\\\\srv1.corp\\lp1", "\\\\srv2.corp"}) {
        HANDLE handle = nullptr;
        ASSERT_TRUE(Open(name, &handle));
    }
    SimJournalClear();
    UnloadProvider();
    EXPECT_STREQ("initialize;terminate:lock-usable;complete3=0;", log());
    std::vector<std::string> journal = JournalLines();
    int mark = FindJournal(journal, "NS_ListSupportedEnv(");
    EXPECT_LE(0, mark) << ::testing::PrintToString(journal);
    EXPECT_LT(mark, FindJournal(journal, "MSG_UsageEnd("));
    FreeLibrary(plugin);
}

constexpr LONG kWorkers = 6;

struct Shared {
    SpoolProvider *provider;
    HANDLE start;
    HANDLE closeNow; // set when every worker has finished its opens
    HANDLE target;
    LONG arrived;
    LONG closed;
    LONG failures;
};

DWORD WINAPI OpenCloseWorker(LPVOID parameter)
{
    auto *shared = static_cast<Shared *>(parameter);
    WaitForSingleObject(shared->start, INFINITE);
    const char *names[] = {"\\\\srv1.corp\\lp1", "\\\\srv1.NIS:eng\\lp1", "\\\\srv2.corp", "\\\\.corp\\lp3"};
    for (int i = 0; i < 50; ++i) {
        HANDLE handles[4] = {};
        for (int n = 0; n < 4; ++n) {
            if (!shared->provider->table.fpOpenPrinter(const_cast<LPSTR>(names[n]), &handles[n], nullptr))
                InterlockedIncrement(&shared->failures);
        }
        for (int n = 3; n >= 0; --n) {
            if (!shared->provider->table.fpClosePrinter(handles[n]))
                InterlockedIncrement(&shared->failures);
        }
    }
    // Then every thread at once tries to close the one shared handle; one may.
    // (Only once no thread opens any more: a new handle may reuse the address
    // of a closed one, as handle values do.)
    if (InterlockedIncrement(&shared->arrived) == kWorkers)
        SetEvent(shared->closeNow);
    WaitForSingleObject(shared->closeNow, INFINITE);
    if (shared->provider->table.fpClosePrinter(shared->target))
        InterlockedIncrement(&shared->closed);
    return 0;
}

TEST_F(LifetimeTest, OpenAndCloseFromSeveralThreads)
{
    LoadProvider();
    Shared shared = {&provider_,
                     CreateEventA(nullptr, TRUE, FALSE, nullptr),
                     CreateEventA(nullptr, TRUE, FALSE, nullptr),
                     nullptr,
                     0,
                     0,
                     0};
    ASSERT_TRUE(Open("\\\\srv1.corp\\lp2", &shared.target));
    HANDLE threads[kWorkers];
    for (HANDLE &thread : threads)
        thread = CreateThread(nullptr, 0, OpenCloseWorker, &shared, 0, nullptr);
    SetEvent(shared.start);
    DWORD waited = WaitForMultipleObjects(kWorkers, threads, TRUE, 60000);
    if (waited == WAIT_TIMEOUT) {
        ADD_FAILURE() << "deadlock: the workers did not finish within 60 s";
        fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    for (HANDLE thread : threads)
        CloseHandle(thread);
    CloseHandle(shared.start);
    CloseHandle(shared.closeNow);
    EXPECT_EQ(0, shared.failures);
    EXPECT_EQ(1, shared.closed);
}

} // namespace

namespace {

// Runs the host program in a process of its own; returns its exit code, or
// STILL_ACTIVE when it has not ended within the time limit.
DWORD RunHost(const std::string &arguments, std::string *output)
{
    qvtest::ProgramRun run = qvtest::RunProgram("spoolhost.exe " + arguments, "", 30000);
    *output += run.out + run.err;
    return run.exitCode;
}

// The host program in a process of its own: once unloading as usual, once
// ending the process with the provider loaded and a printer open.
TEST_F(LifetimeTest, HostProgramEndsWithTheProviderLoadedOrUnloaded)
{
    const std::string arguments = "qvprov.dll " + providerKey_ + " \\\\srv1.corp\\lp1";
    for (const char *mode : {"", "--exit-loaded "}) {
        SCOPED_TRACE(mode);
        std::string output;
        EXPECT_EQ(0u, RunHost(mode + arguments, &output)) << output;
        EXPECT_NE(std::string::npos, output.find("slot  0 OpenPrinter                  set")) << output;
        EXPECT_NE(std::string::npos, output.find("slot  4 AddPrinter                   null")) << output;
        EXPECT_NE(std::string::npos, output.find("open \\\\srv1.corp\\lp1: ok")) << output;
    }
    // The host ran as the real user; remove what its opens made there.
    UserHive::Restore();
    DeleteTree(HKEY_CURRENT_USER, std::string(kUserPrintersRoot) + ",,srv1.corp,lp1");
    user_->Activate();
}

} // namespace
