// The PrintAssistant plug-in installed as a site installs one: "DLLPath"
// under the machine's PrintAssistant key names the test plug-in (testpa.dll),
// whose "QVZ_Use_PA" default turns it on for every printer, and the provider
// is loaded the way the spooler loads it. The plug-in holds jobs open, ends
// them from its entries and from a thread of its own, and records what it is
// told; the journal shows what the servers received.
#include "print_fixture.h"
#include "threads.h"

#include <sstream>

namespace {

constexpr DWORD kDeadlockTimeout = 90000; // below ctest's time-out of a test
constexpr int32_t kFinish = 1;
constexpr int32_t kCancel = 2;
constexpr int32_t kTimedOut = 0x7fffffff; // the plug-in's thread did not answer
const char kPlugInSettings[] = "Software\\QvprovTest\\TestPA";
const char kLp1[] = "\\\\srv1.corp\\lp1";

typedef const char *(__cdecl *LogEntry)();
typedef void(__cdecl *ClearLogEntry)();
typedef int32_t(__cdecl *CompleteEntry)(int32_t jobNumber, int32_t action, int32_t *documents);

std::string Id(DWORD number)
{
    return std::to_string(number) + "-srv1";
}

void SetRegistry(HKEY root, const std::string &path, const char *name, DWORD type, const std::string &data)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE *>(data.data()), DWORD(data.size()));
    RegCloseKey(key);
}

std::string Dword(DWORD value)
{
    return std::string(reinterpret_cast<const char *>(&value), sizeof value);
}

std::string Sz(const char *text)
{
    return std::string(text, strlen(text) + 1);
}

class PlugInTest : public PrintTest {
protected:
    // The plug-in is installed before the provider is loaded.
    void SetUp() override
    {
        ProviderTest::SetUp();
        ASSERT_EQ(0, SimLoadNetwork(kPrintNetwork));
        Install(REG_SZ, "testpa.dll");
    }

    void TearDown() override
    {
        PrintTest::TearDown();
        if (held_)
            FreeLibrary(held_);
    }

    // "DLLPath" of a type, a time-out of 45 and the switch on for every printer.
    static void Install(DWORD pathType, const char *path)
    {
        SetRegistry(HKEY_LOCAL_MACHINE, kPrintAssistantKeyPath, "DLLPath", pathType, Sz(path));
        SetRegistry(HKEY_LOCAL_MACHINE, kPrintAssistantKeyPath, "JobSubmissionTimeout", REG_DWORD, Dword(45));
        SetRegistry(HKEY_LOCAL_MACHINE, kPrintAssistantKeyPath, "QVZ_Use_PA", REG_DWORD, Dword(1));
    }

    // A setting of the test plug-in, in this test's user hive.
    static void Setting(const char *name, DWORD value)
    {
        SetRegistry(HKEY_CURRENT_USER, kPlugInSettings, name, REG_DWORD, Dword(value));
    }
    static void SettingText(const char *name, const char *text)
    {
        SetRegistry(HKEY_CURRENT_USER, kPlugInSettings, name, REG_SZ, Sz(text));
    }

    // Loads the provider, which loads the plug-in; finds the plug-in's test entries.
    void Load()
    {
        LoadProvider();
        HMODULE plugIn = GetModuleHandleA("testpa.dll");
        ASSERT_NE(nullptr, plugIn);
        log_ = reinterpret_cast<LogEntry>(GetProcAddress(plugIn, "TestPA_Log"));
        clearLog_ = reinterpret_cast<ClearLogEntry>(GetProcAddress(plugIn, "TestPA_ClearLog"));
        complete_ = reinterpret_cast<CompleteEntry>(GetProcAddress(plugIn, "TestPA_Complete"));
        ASSERT_TRUE(log_ && clearLog_ && complete_);
        EXPECT_STREQ("initialize;", log_());
        clearLog_();
    }

    // Keeps the plug-in's code mapped after the provider unloads it, so that
    // its log can be read and a late call into it would show there.
    void HoldPlugIn() { held_ = LoadLibraryA("testpa.dll"); }

    // The plug-in's log, an entry a line.
    std::vector<std::string> Events()
    {
        std::vector<std::string> events;
        std::stringstream log(log_());
        for (std::string entry; std::getline(log, entry, ';');)
            events.push_back(entry);
        return events;
    }

    HANDLE OpenLp1()
    {
        HANDLE printer = nullptr;
        EXPECT_TRUE(Open(kLp1, &printer));
        return printer;
    }

    // A whole document on a handle; its job number.
    DWORD PrintDocument(HANDLE printer, const char *name, const std::string &data)
    {
        const DWORD job = StartDoc(printer, name);
        DWORD written = 0;
        EXPECT_TRUE(Write(printer, data, &written));
        EXPECT_TRUE(EndDoc(printer));
        return job;
    }

    // The plug-in's own thread completes a job.
    int32_t CompleteOnPlugInThread(DWORD job, int32_t action, int32_t *documents = nullptr)
    {
        return complete_(static_cast<int32_t>(job), action, documents);
    }

    LogEntry log_ = nullptr;
    ClearLogEntry clearLog_ = nullptr;
    CompleteEntry complete_ = nullptr;
    HMODULE held_ = nullptr;
};

std::string N(DWORD number)
{
    return std::to_string(number);
}

// Two handles of one printer: their documents join one job as documents 1
// and 2, which EndDocPrinter leaves open; the plug-in's own thread then
// finishes it (document requests, newest first, then the job's) or cancels it.
TEST_F(PlugInTest, TwoHandlesJoinOneJobThatThePlugInsThreadEnds)
{
    Load();
    for (int32_t action : {kFinish, kCancel}) {
        SCOPED_TRACE(action);
        clearLog_();
        HANDLE first = OpenLp1();
        HANDLE second = OpenLp1();
        SimJournalClear();
        const DWORD job = StartDoc(first, "one");
        ASSERT_NE(0u, job);
        EXPECT_EQ(job, StartDoc(second, "two"));
        DWORD written = 0;
        EXPECT_TRUE(Write(first, "first document", &written));
        EXPECT_TRUE(Write(second, "second", &written));
        EXPECT_TRUE(EndDoc(second));
        EXPECT_TRUE(EndDoc(first));
        std::vector<std::string> journal = JournalLines();
        EXPECT_EQ(-1, FindRequest(journal, 11, 1)) << "one print request";
        EXPECT_LE(0, FindRequest(journal, 7)) << "the plug-in's request";
        EXPECT_EQ(-1, FindRequest(journal, 8)) << "the job stays open";
        EXPECT_EQ(kJobPending, SimJobState(Id(job).c_str()));

        SimJournalClear();
        int32_t documents = 0;
        EXPECT_EQ(0, CompleteOnPlugInThread(job, action, &documents));
        EXPECT_EQ(2, documents);
        journal = JournalLines();
        if (action == kFinish) {
            EXPECT_EQ("INSTANCE SimpleName(5,\"srv1\") ObjId(DocId(\"" + Id(job) + "\",2))",
                      RequestBody(journal, 8, 0).at(0));
            EXPECT_EQ("INSTANCE SimpleName(5,\"srv1\") ObjId(DocId(\"" + Id(job) + "\",1))",
                      RequestBody(journal, 8, 1).at(0));
            EXPECT_EQ(std::string::npos, RequestBody(journal, 8, 2).at(0).find("DocId")) << "the job's";
            SimAdvanceClock(kJobLifetime);
            EXPECT_EQ(kJobCompleted, SimJobState(Id(job).c_str()));
            char data[32] = {};
            EXPECT_EQ(6, SimDocumentData(Id(job).c_str(), 2, data, sizeof data, nullptr));
            EXPECT_STREQ("second", data);
        } else {
            EXPECT_EQ(-1, FindRequest(journal, 8));
            EXPECT_LE(0, FindRequest(journal, 0)) << "the cancel request";
            EXPECT_EQ(kNoSuchJob, SimJobState(Id(job).c_str()));
        }
        const std::vector<std::string> expected = {
            "created " + N(job),
            "started " + N(job) + " doc=1",
            "started " + N(job) + " doc=2",
            "ended " + N(job) + " doc=2",
            "ended " + N(job) + " doc=1",
            "complete " + N(job) + " action=" + std::to_string(action) + " -> 0 (own thread)",
        };
        EXPECT_EQ(expected, Events());
        EXPECT_TRUE(Close(first));
        EXPECT_TRUE(Close(second));
    }
    EXPECT_TRUE(UnfinishedJobs().empty());
}

// The plug-in finishes a job from inside PA_DocumentEnded once its third
// document has ended; the next document makes a new job.
TEST_F(PlugInTest, ThePlugInFinishesAJobFromInsideAnEntry)
{
    Setting("FinishAfter", 3u);
    Load();
    HANDLE printer = OpenLp1();
    const DWORD job = PrintDocument(printer, "a", "1");
    ASSERT_NE(0u, job);
    EXPECT_EQ(job, PrintDocument(printer, "b", "22"));
    SimJournalClear();
    EXPECT_EQ(job, PrintDocument(printer, "c", "333"));
    std::vector<std::string> journal = JournalLines();
    // Three document requests and the job's.
    EXPECT_LE(0, FindRequest(journal, 8, 3)) << ::testing::PrintToString(journal);
    EXPECT_EQ(-1, FindRequest(journal, 8, 4)) << ::testing::PrintToString(journal);
    SimAdvanceClock(kJobLifetime);
    EXPECT_EQ(kJobCompleted, SimJobState(Id(job).c_str()));
    const std::vector<std::string> events = Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ("complete " + N(job) + " action=1 -> 0 (inside DocumentEnded)", events.back());

    const DWORD next = PrintDocument(printer, "d", "4444");
    EXPECT_NE(0u, next);
    EXPECT_NE(job, next);
    EXPECT_EQ(kJobPending, SimJobState(Id(next).c_str()));
    EXPECT_TRUE(Close(printer));
    EXPECT_EQ(0, CompleteOnPlugInThread(next, kFinish));
    EXPECT_TRUE(UnfinishedJobs().empty());
}

// A plug-in that declines jobs: each document is its own job, finished at
// EndDocPrinter, and the plug-in hears nothing more of it.
TEST_F(PlugInTest, DeclinedJobsAreFinishedAtEndDocPrinter)
{
    Setting("Accept", 0u);
    Load();
    HANDLE first = OpenLp1();
    HANDLE second = OpenLp1();
    const DWORD one = StartDoc(first, "one");
    const DWORD two = StartDoc(second, "two");
    ASSERT_NE(0u, one);
    ASSERT_NE(0u, two);
    EXPECT_NE(one, two);
    EXPECT_TRUE(EndDoc(first));
    EXPECT_TRUE(EndDoc(second));
    const std::vector<std::string> expected = {"declined " + N(one), "declined " + N(two)};
    EXPECT_EQ(expected, Events());
    EXPECT_TRUE(UnfinishedJobs().empty());
    EXPECT_TRUE(Close(first));
    EXPECT_TRUE(Close(second));
}

// Aborting one document keeps the job while another remains; aborting the
// last one cancels the job and tells the plug-in.
TEST_F(PlugInTest, AbortingTheDocumentsOfAHeldJob)
{
    Load();
    HANDLE first = OpenLp1();
    HANDLE second = OpenLp1();
    const DWORD job = StartDoc(first, "one");
    ASSERT_EQ(job, StartDoc(second, "two"));
    EXPECT_TRUE(EndPage(first));
    SetLastError(kPoison);
    EXPECT_TRUE(Abort(first));
    EXPECT_EQ(kJobPending, SimJobState(Id(job).c_str()));
    DWORD written = 0;
    EXPECT_TRUE(Write(second, "still printing", &written));
    EXPECT_TRUE(Abort(second));
    EXPECT_EQ(kNoSuchJob, SimJobState(Id(job).c_str()));
    const std::vector<std::string> expected = {
        "created " + N(job),
        "started " + N(job) + " doc=1",
        "started " + N(job) + " doc=2",
        "aborted " + N(job) + " doc=1",
        "aborted " + N(job) + " doc=2",
        "cancelled " + N(job),
    };
    EXPECT_EQ(expected, Events());
    EXPECT_TRUE(Close(first));
    EXPECT_TRUE(Close(second));
}

// Status -80 on the first push of a document: the plug-in that asks for a
// new job gets one; the old job stays with the plug-in. One it never ends is
// cancelled when the plug-in is unloaded, without a call into it.
TEST_F(PlugInTest, ARefusedDocumentGoesToTheNewJobThePlugInAsksFor)
{
    Setting("NewJob", 1u);
    HoldPlugIn();
    Load();
    for (bool pluginEndsIt : {true, false}) {
        SCOPED_TRACE(pluginEndsIt);
        clearLog_();
        HANDLE printer = OpenLp1();
        SimInjectStatus("CC_PushDocument", 1, -80);
        const DWORD job = PrintDocument(printer, "retried", "data");
        ASSERT_NE(0u, job);
        std::vector<std::string> events = Events();
        ASSERT_EQ(5u, events.size()) << ::testing::PrintToString(events);
        const DWORD old = static_cast<DWORD>(atol(events[0].substr(8).c_str()));
        EXPECT_NE(old, job);
        const std::vector<std::string> expected = {
            "created " + N(old),          "query " + N(old),
            "created " + N(job),          "started " + N(job) + " doc=1",
            "ended " + N(job) + " doc=1",
        };
        EXPECT_EQ(expected, events);
        EXPECT_EQ(kJobPending, SimJobState(Id(old).c_str())) << "left to the plug-in";
        // The old job takes no more documents: the next one joins the new job.
        EXPECT_EQ(job, PrintDocument(printer, "joins", "more"));
        EXPECT_EQ(0, CompleteOnPlugInThread(job, kFinish));
        EXPECT_TRUE(Close(printer));
        if (pluginEndsIt) {
            EXPECT_EQ(0, CompleteOnPlugInThread(old, kCancel));
            EXPECT_EQ(kNoSuchJob, SimJobState(Id(old).c_str()));
        } else {
            clearLog_();
            UnloadProvider();
            EXPECT_EQ(kNoSuchJob, SimJobState(Id(old).c_str()));
            const std::vector<std::string> ended = {"terminate:lock-usable", "complete3=0"};
            EXPECT_EQ(ended, Events());
        }
    }
    EXPECT_TRUE(UnfinishedJobs().empty());
}

// Spooler threads print plug-in documents through handles of their own while
// the plug-in's own thread, holding JobLock, ends every job whose documents
// have all ended, finishing and cancelling by turns. Every document ends up
// in a job that was ended, and none stays open on the servers.
TEST_F(PlugInTest, ThePlugInsThreadEndsJobsWhileTheSpoolersThreadsPrint)
{
    Load();
    constexpr int kPrinting = 4;
    constexpr int kDocuments = 40;
    LONG printing = kPrinting;
    LONG failures = 0;
    int32_t endedDocuments = 0;
    LONG completeFailures = 0;
    qvtest::RunThreads(
        kPrinting + 1,
        [&](int index) {
            if (index == kPrinting) {
                // The plug-in's thread, asked again and again until the printing ends.
                for (int round = 0, last = 0; !last; ++round) {
                    last = InterlockedCompareExchange(&printing, 0, 0) == 0;
                    int32_t documents = 0;
                    if (complete_(0, round % 2 ? kCancel : kFinish, &documents) != 0)
                        InterlockedIncrement(&completeFailures);
                    endedDocuments += documents;
                }
                return;
            }
            HANDLE printer = nullptr;
            if (!provider_.table.fpOpenPrinter(const_cast<LPSTR>(kLp1), &printer, nullptr)) {
                InterlockedIncrement(&failures);
            } else {
                char data[] = "page\f";
                for (int i = 0; i < kDocuments; ++i) {
                    DOC_INFO_1A info = {const_cast<LPSTR>("threaded"), nullptr, nullptr};
                    DWORD written = 0;
                    bool ok
                        = provider_.table.fpStartDocPrinter(printer, 1, reinterpret_cast<LPBYTE>(&info)) != 0;
                    ok = ok && provider_.table.fpWritePrinter(printer, data, sizeof data - 1, &written);
                    ok = ok && provider_.table.fpEndPagePrinter(printer);
                    ok = ok && provider_.table.fpEndDocPrinter(printer);
                    if (!ok)
                        InterlockedIncrement(&failures);
                }
                if (!provider_.table.fpClosePrinter(printer))
                    InterlockedIncrement(&failures);
            }
            InterlockedDecrement(&printing);
        },
        kDeadlockTimeout);
    EXPECT_EQ(0, failures);
    EXPECT_EQ(0, completeFailures);
    EXPECT_EQ(kPrinting * kDocuments, endedDocuments);
    EXPECT_TRUE(UnfinishedJobs().empty());
    for (const std::string &event : Events()) {
        EXPECT_EQ(std::string::npos, event.find("(JobLock not held)")) << event;
        EXPECT_EQ(std::string::npos, event.find(" -> -")) << event;
    }
}

// Detach with jobs the plug-in still holds: one with a document in progress
// on an open handle, one whose documents have all ended. The handle's
// document is aborted while the plug-in is loaded (and it is told), then the
// plug-in is told to end, and the job it still held is cancelled without a
// further call into it.
TEST_F(PlugInTest, DetachWithHeldJobsNeverCallsAnUnloadedPlugIn)
{
    HoldPlugIn();
    Load();
    HANDLE ended = nullptr;
    ASSERT_TRUE(Open("\\\\srv1.corp\\lp2", &ended));
    const DWORD quiet = PrintDocument(ended, "ended", "done");
    HANDLE busy = OpenLp1();
    const DWORD inProgress = StartDoc(busy, "in progress");
    ASSERT_NE(0u, quiet);
    ASSERT_NE(0u, inProgress);
    DWORD written = 0;
    EXPECT_TRUE(Write(busy, "unfinished", &written));
    clearLog_();
    SimJournalClear();
    UnloadProvider();
    const std::vector<std::string> expected = {
        "aborted " + N(inProgress) + " doc=1",
        "cancelled " + N(inProgress),
        "terminate:lock-usable",
        "complete3=0",
    };
    EXPECT_EQ(expected, Events());
    std::vector<std::string> journal = JournalLines();
    EXPECT_LE(0, FindRequest(journal, 0, 1)) << "both jobs cancelled: " << ::testing::PrintToString(journal);
    EXPECT_EQ(kNoSuchJob, SimJobState(Id(quiet).c_str()));
    EXPECT_EQ(kNoSuchJob, SimJobState(Id(inProgress).c_str()));
    EXPECT_TRUE(UnfinishedJobs().empty());
}

// A plug-in that ends the job it is being told about from inside that
// entry: the provider carries the end out once the entry has returned, and
// never uses the record after it is gone.
TEST_F(PlugInTest, ThePlugInEndsAJobFromInsideAnEntryThatStillNeedsIt)
{
    struct Case {
        const char *entry;
        int32_t action;
    } cases[] = {{"JobCreated", kCancel},
                 {"JobCreated", kFinish},
                 {"DocumentAborted", kCancel},
                 {"DocumentAborted", kFinish},
                 {"QueryNewJob", kCancel}};
    Load();
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.entry) + " " + std::to_string(c.action));
        SettingText("CompleteInside", c.entry);
        Setting("CompleteAction", static_cast<DWORD>(c.action));
        clearLog_();
        HANDLE first = OpenLp1();
        HANDLE second = OpenLp1();
        const std::string inside = " action=" + std::to_string(c.action) + " -> 0 (inside " + c.entry + ")";
        if (std::string(c.entry) == "JobCreated") {
            SetLastError(kPoison);
            EXPECT_EQ(0u, StartDoc(first, "ended at once"));
            EXPECT_EQ(static_cast<DWORD>(ERROR_PRINT_CANCELLED), GetLastError());
            const std::vector<std::string> events = Events();
            ASSERT_EQ(2u, events.size()) << ::testing::PrintToString(events);
            EXPECT_EQ(0u, events[1].find("complete ")) << events[1];
            EXPECT_NE(std::string::npos, events[1].find(inside)) << events[1];
        } else if (std::string(c.entry) == "DocumentAborted") {
            const DWORD job = StartDoc(first, "one");
            ASSERT_EQ(job, StartDoc(second, "two"));
            EXPECT_TRUE(Abort(first));
            // The job is gone, and with it the other handle's document.
            DWORD written = kPoison;
            SetLastError(kPoison);
            EXPECT_FALSE(Write(second, "late", &written));
            EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
            std::vector<std::string> events = Events();
            ASSERT_FALSE(events.empty());
            EXPECT_EQ("complete " + N(job) + inside, events.back());
            if (c.action == kCancel) {
                EXPECT_EQ(kNoSuchJob, SimJobState(Id(job).c_str()));
            }
        } else {
            SimInjectStatus("CC_PushDocument", 1, -80);
            SetLastError(kPoison);
            EXPECT_EQ(0u, StartDoc(first, "refused"));
            EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
            std::vector<std::string> events = Events();
            ASSERT_EQ(3u, events.size()) << ::testing::PrintToString(events);
            EXPECT_NE(std::string::npos, events[2].find(inside)) << events[2];
        }
        EXPECT_TRUE(Close(first));
        EXPECT_TRUE(Close(second));
        EXPECT_TRUE(UnfinishedJobs().empty());
        EXPECT_EQ(0, SimLiveObjects(nullptr)) << LeakReport();
    }
}

// What the plug-in key gives when no usable plug-in comes of it: printers
// with the switch on print like the others (two handles, two jobs, each
// finished at EndDocPrinter), and the time-out is sent unless the library
// named could not be loaded.
TEST_F(PlugInTest, APlugInThatCannotServePrintsLikeNone)
{
    struct Case {
        const char *what;
        DWORD pathType;
        const char *path;
        DWORD initialize;
        bool timeoutSent;
        bool loadedUntilDetach;
    } cases[] = {
        {"library that cannot be loaded", REG_SZ, "nosuch-plugin.dll", 1, false, false},
        {"path of another type", REG_EXPAND_SZ, "testpa.dll", 1, true, false},
        {"library without PA_Initialize", REG_SZ, "version.dll", 1, true, false},
        {"PA_Initialize answers 0", REG_SZ, "testpa.dll", 0, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Install(c.pathType, c.path);
        Setting("Initialize", c.initialize);
        LoadProvider();
        const bool loaded = GetModuleHandleA("testpa.dll") != nullptr;
        EXPECT_EQ(c.loadedUntilDetach, loaded);
        HANDLE first = OpenLp1();
        HANDLE second = OpenLp1();
        SimJournalClear();
        const DWORD one = StartDoc(first, "one");
        const DWORD two = StartDoc(second, "two");
        EXPECT_NE(0u, one);
        EXPECT_NE(one, two);
        EXPECT_TRUE(EndDoc(first));
        EXPECT_TRUE(EndDoc(second));
        std::vector<std::string> journal = JournalLines();
        const std::vector<std::string> print = RequestBody(journal, 11);
        bool timeout = false;
        for (const std::string &line : print)
            timeout = timeout || line.compare(0, 12, "ATTR 1 3030 ") == 0;
        EXPECT_EQ(c.timeoutSent, timeout) << ::testing::PrintToString(print);
        EXPECT_TRUE(UnfinishedJobs().empty());
        if (loaded) {
            auto log
                = reinterpret_cast<LogEntry>(GetProcAddress(GetModuleHandleA("testpa.dll"), "TestPA_Log"));
            ASSERT_NE(nullptr, log);
            EXPECT_STREQ("initialize;", log()) << "no entry is called";
        }
        EXPECT_TRUE(Close(first));
        EXPECT_TRUE(Close(second));
        UnloadProvider();
        EXPECT_EQ(nullptr, GetModuleHandleA("testpa.dll")) << "unloaded at detach";
    }
}

} // namespace
