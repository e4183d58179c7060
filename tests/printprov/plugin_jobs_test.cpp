// Jobs held by the PrintAssistant plug-in: the provider's inner parts linked
// in, with the plug-in's entries set directly by the test. The plug-in here
// reads the records by word, as a plug-in does, and records every call.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "attributes.h"
#include "cache.h"
#include "entries.h"
#include "journal.h"
#include "qvsim.h"
#include "registry.h"

namespace {

using qvtest::DeleteTree;
using qvtest::FindJournal;
using qvtest::JournalLines;

constexpr DWORD kPoison = 0xdeadbeef;
const char kHivePath[] = "Software\\QvprovTest\\plugin-jobs";
const char kNetwork[] = "domain 2 corp\nserver srv1\nprinter lp1 srv1\nprinter lp2 srv1\n";
const char kPrinter[] = "\\\\srv1.corp\\lp1";

// What the test plug-in does and saw.
struct PlugIn {
    int32_t createResult = 0; // what PA_JobCreated answers
    int32_t newJobAnswer = 0; // what PA_QueryNewJob answers
    uintptr_t nextContext = 100;
    std::vector<JobRecord *> jobs;
    std::vector<std::string> events;
};
PlugIn Seen;

// A plug-in reads the records by word: word 13 of a job is its number, words
// 4 to 6 of a document its number, pages and bytes.
int32_t Word(const void *record, int index)
{
    return static_cast<int32_t>(reinterpret_cast<const uintptr_t *>(record)[index]);
}

std::string DocumentText(const DocumentRecord *document)
{
    return "doc=" + std::to_string(Word(document, 3)) + " pages=" + std::to_string(Word(document, 4))
        + " bytes=" + std::to_string(Word(document, 5));
}

// Every plug-in entry runs with JobLock held by the calling thread.
std::string Held()
{
    const bool held = reinterpret_cast<uintptr_t>(g_provider.jobLock.OwningThread) == GetCurrentThreadId();
    return held ? "" : " (JobLock not held)";
}

int32_t WINAPI JobCreated(JobRecord *job, uintptr_t *paContext)
{
    Seen.jobs.push_back(job);
    Seen.events.push_back("created " + std::to_string(Word(job, 12)) + Held());
    *paContext = Seen.nextContext++;
    return Seen.createResult;
}

void Event(const char *what, uintptr_t paContext, const DocumentRecord *document)
{
    Seen.events.push_back(std::string(what) + " " + std::to_string(paContext) + " " + DocumentText(document)
                          + Held());
}

int32_t WINAPI DocumentStarted(uintptr_t paContext, DocumentRecord *document)
{
    Event("started", paContext, document);
    return 0;
}

int32_t WINAPI DocumentProgress(uintptr_t paContext, DocumentRecord *document)
{
    Event("progress", paContext, document);
    return 0;
}

int32_t WINAPI DocumentEnded(uintptr_t paContext, DocumentRecord *document)
{
    Event("ended", paContext, document);
    return 0;
}

int32_t WINAPI DocumentAborted(uintptr_t paContext, DocumentRecord *document)
{
    Event("aborted", paContext, document);
    return 0;
}

int32_t WINAPI QueryNewJob(uintptr_t paContext, int32_t *answer)
{
    Seen.events.push_back("query " + std::to_string(paContext) + Held());
    *answer = Seen.newJobAnswer;
    return 0;
}

int32_t WINAPI JobCancelled(uintptr_t paContext)
{
    Seen.events.push_back("cancelled " + std::to_string(paContext) + Held());
    return 0;
}

// The lines of the n-th submitted request of a type, its header first.
std::vector<std::string> Request(const std::vector<std::string> &journal, int type, int nth = 0)
{
    const std::string mark = " type=" + std::to_string(type) + " ";
    for (size_t i = 0; i < journal.size(); ++i) {
        if (journal[i].compare(0, 8, "REQUEST ") != 0 || journal[i].find(mark) == std::string::npos
            || nth-- != 0)
            continue;
        std::vector<std::string> lines = {journal[i]};
        for (size_t k = i + 1; k < journal.size() && journal[k].compare(0, 2, "  ") == 0; ++k)
            lines.push_back(journal[k].substr(2));
        return lines;
    }
    return {};
}

class PlugInJobTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimReset();
        ASSERT_EQ(0, SimLoadNetwork(kNetwork));
        DeleteTree(HKEY_CURRENT_USER, kHivePath);
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(HKEY_CURRENT_USER, kHivePath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &hive_, nullptr));
        RegOverridePredefKey(HKEY_CURRENT_USER, hive_);
        // The printer's jobs go to the plug-in.
        HKEY key;
        const std::string path = std::string(kPrinterKeyRoot) + ",,srv1.corp,lp1";
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr));
        const DWORD on = 1;
        RegSetValueExA(key, "QVZ_Use_PA", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&on), sizeof on);
        RegCloseKey(key);

        HandleListInit();
        LoadPrintAssistant();
        CacheStart();
        NS_Init(0, 10);
        Seen = PlugIn();
        g_provider.paCallbacks = {JobCreated,      DocumentStarted, DocumentProgress, DocumentEnded,
                                  DocumentAborted, QueryNewJob,     JobCancelled,     nullptr};
        SimJournalClear();
    }

    void TearDown() override
    {
        g_provider.paCallbacks = {};
        CloseAllHandles();
        UnloadPrintAssistant();
        CacheStop();
        NS_Term();
        HandleListTerm();
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(hive_);
        DeleteTree(HKEY_CURRENT_USER, kHivePath);
        EXPECT_EQ(0, SimLiveObjects(nullptr)) << qvtest::LeakReport();
        EXPECT_EQ(0, SimOwnershipFaults()) << qvtest::LeakReport();
    }

    HANDLE OpenLp1()
    {
        HANDLE handle = nullptr;
        EXPECT_TRUE(OpenPrinter(const_cast<LPSTR>(kPrinter), &handle, nullptr));
        return handle;
    }

    static DWORD Start(HANDLE printer, const char *name)
    {
        DOC_INFO_1A info = {const_cast<LPSTR>(name), nullptr, nullptr};
        return StartDocPrinter(printer, 1, reinterpret_cast<LPBYTE>(&info));
    }

    static BOOL Write(HANDLE printer, const char *text)
    {
        DWORD written = 0;
        return WritePrinter(printer, const_cast<char *>(text), static_cast<DWORD>(strlen(text)), &written);
    }

    static std::string Id(DWORD number) { return std::to_string(number) + "-srv1"; }

    HKEY hive_ = nullptr;
};

// Two handles of one printer: one plug-in job with documents 1 and 2, each
// counted in bytes and pages; EndDocPrinter leaves it open; the plug-in
// finishes it, and its documents' requests go before the job's.
TEST_F(PlugInJobTest, OneJobCarriesTheDocumentsOfTwoHandles)
{
    HANDLE first = OpenLp1();
    HANDLE second = OpenLp1();
    const DWORD job = Start(first, "one");
    ASSERT_NE(0u, job);
    EXPECT_TRUE(Write(first, "12345"));
    EXPECT_TRUE(EndPagePrinter(first));
    EXPECT_TRUE(EndPagePrinter(first));
    EXPECT_EQ(job, Start(second, "two"));
    EXPECT_TRUE(Write(second, "abc"));
    EXPECT_TRUE(EndPagePrinter(second));
    EXPECT_TRUE(EndDocPrinter(first));
    EXPECT_TRUE(EndDocPrinter(second));
    const std::vector<std::string> expected = {
        "created " + std::to_string(job),     "started 100 doc=1 pages=0 bytes=0",
        "progress 100 doc=1 pages=0 bytes=5", "progress 100 doc=1 pages=1 bytes=5",
        "progress 100 doc=1 pages=2 bytes=5", "started 100 doc=2 pages=0 bytes=0",
        "progress 100 doc=2 pages=0 bytes=3", "progress 100 doc=2 pages=1 bytes=3",
        "ended 100 doc=1 pages=2 bytes=5",    "ended 100 doc=2 pages=1 bytes=3",
    };
    EXPECT_EQ(expected, Seen.events);

    std::vector<std::string> journal = JournalLines();
    EXPECT_TRUE(Request(journal, 11, 1).empty()) << "one print request";
    const std::vector<std::string> plugIn = Request(journal, 7);
    ASSERT_EQ(7u, plugIn.size()) << ::testing::PrintToString(journal);
    EXPECT_EQ("RESULTS 1", plugIn[6]) << "the reply stays in the request for the plug-in";
    EXPECT_EQ("INSTANCE SimpleName(5,\"srv1\") ObjId(JobId(\"" + Id(job) + "\"))", plugIn[1]);
    EXPECT_EQ(0u, plugIn[2].find("ATTR 0 3009 "));
    EXPECT_EQ(0u, plugIn[3].find("ATTR 21 98 "));
    EXPECT_EQ("ATTR 0 1032 Id(87)", plugIn[4]);
    EXPECT_EQ("ATTR 0 1001 Id(1059)", plugIn[5]);
    EXPECT_EQ(0u, Request(journal, 8).size()) << "the job stays open";
    EXPECT_EQ(251, SimJobState(Id(job).c_str()));

    SimJournalClear();
    ASSERT_EQ(1u, Seen.jobs.size());
    EXPECT_EQ(0, CompleteJob(Seen.jobs[0], kCompleteFinish));
    journal = JournalLines();
    // Newest document first, then the job.
    ASSERT_LT(1u, Request(journal, 8, 0).size());
    EXPECT_EQ("INSTANCE SimpleName(5,\"srv1\") ObjId(DocId(\"" + Id(job) + "\",2))",
              Request(journal, 8, 0)[1]);
    EXPECT_EQ("INSTANCE SimpleName(5,\"srv1\") ObjId(DocId(\"" + Id(job) + "\",1))",
              Request(journal, 8, 1)[1]);
    EXPECT_EQ(std::string::npos, Request(journal, 8, 2)[1].find("DocId")) << "the job request";
    SimAdvanceClock(10000);
    EXPECT_EQ(259, SimJobState(Id(job).c_str()));
    char data[16] = {};
    EXPECT_EQ(5, SimDocumentData(Id(job).c_str(), 1, data, sizeof data, nullptr));
    EXPECT_STREQ("12345", data);
    EXPECT_TRUE(ClosePrinter(first));
    EXPECT_TRUE(ClosePrinter(second));
}

// A job the plug-in declines prints like any other and is finished at
// EndDocPrinter; the plug-in hears nothing more of it.
TEST_F(PlugInJobTest, ADeclinedJobIsFinishedAtEndDocPrinter)
{
    Seen.createResult = 1;
    HANDLE printer = OpenLp1();
    const DWORD job = Start(printer, "declined");
    ASSERT_NE(0u, job);
    EXPECT_TRUE(Write(printer, "x"));
    EXPECT_TRUE(EndDocPrinter(printer));
    EXPECT_EQ(std::vector<std::string> {"created " + std::to_string(job)}, Seen.events);
    SimAdvanceClock(10000);
    EXPECT_EQ(259, SimJobState(Id(job).c_str()));
    EXPECT_TRUE(ClosePrinter(printer));
}

// Status -80 on the first push of a plug-in job's document: a plug-in that
// asks for a new job gets one and the document goes there; otherwise the
// document fails. Either way the old job is the plug-in's to end.
TEST_F(PlugInJobTest, ARefusedFirstPushWithAPlugInContext)
{
    for (int32_t answer : {1, 0}) {
        SCOPED_TRACE(answer);
        Seen = PlugIn();
        Seen.newJobAnswer = answer;
        HANDLE printer = OpenLp1();
        SimInjectStatus("CC_PushDocument", 1, -80);
        SetLastError(kPoison);
        const DWORD job = Start(printer, "retried");
        ASSERT_LE(1u, Seen.jobs.size());
        JobRecord *old = Seen.jobs[0];
        const DWORD oldNumber = static_cast<DWORD>(old->jobNumber);
        if (answer == 1) {
            ASSERT_NE(0u, job);
            EXPECT_NE(oldNumber, job);
            const std::vector<std::string> expected
                = {"created " + std::to_string(oldNumber), "query 100", "created " + std::to_string(job),
                   "started 101 doc=1 pages=0 bytes=0"};
            EXPECT_EQ(expected, Seen.events);
            // The old job is off the shared list: another handle joins the new one.
            HANDLE other = OpenLp1();
            EXPECT_EQ(job, Start(other, "joins"));
            EXPECT_TRUE(EndDocPrinter(other));
            EXPECT_TRUE(ClosePrinter(other));
            EXPECT_TRUE(EndDocPrinter(printer));
            EXPECT_EQ(0, CompleteJob(Seen.jobs[1], kCompleteFinish));
        } else {
            EXPECT_EQ(0u, job);
            EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
            const std::vector<std::string> expected = {"created " + std::to_string(oldNumber), "query 100"};
            EXPECT_EQ(expected, Seen.events);
        }
        EXPECT_EQ(251, SimJobState(Id(oldNumber).c_str())) << "left to the plug-in";
        EXPECT_EQ(0, CompleteJob(old, kCompleteCancel));
        EXPECT_EQ(-30, SimJobState(Id(oldNumber).c_str()));
        EXPECT_TRUE(ClosePrinter(printer));
    }
}

// Aborting one document of a shared job submits that document's request
// with its page count and keeps the job; aborting the last one cancels it.
TEST_F(PlugInJobTest, AbortingTheDocumentsOfASharedJob)
{
    HANDLE first = OpenLp1();
    HANDLE second = OpenLp1();
    const DWORD job = Start(first, "one");
    ASSERT_EQ(job, Start(second, "two"));
    for (int page = 0; page < 3; ++page)
        EXPECT_TRUE(EndPagePrinter(first));
    SimJournalClear();
    Seen.events.clear();
    EXPECT_TRUE(AbortPrinter(first));
    std::vector<std::string> journal = JournalLines();
    // The document's data is ended, then its request goes with the pages done.
    int ended = -1;
    for (size_t i = 0; i < journal.size() && ended < 0; ++i)
        ended = journal[i].find("CALL CC_PushDocument(") == 0
                && journal[i].find(",0,1) = 0") != std::string::npos
            ? static_cast<int>(i)
            : -1;
    ASSERT_LE(0, ended) << ::testing::PrintToString(journal);
    EXPECT_EQ(std::string::npos, journal[ended].find("injected"));
    EXPECT_TRUE(Request(std::vector<std::string>(journal.begin(), journal.begin() + ended), 8).empty());
    std::vector<std::string> aborted = Request(journal, 8);
    ASSERT_LE(4u, aborted.size()) << ::testing::PrintToString(journal);
    EXPECT_EQ("INSTANCE SimpleName(5,\"srv1\") ObjId(DocId(\"" + Id(job) + "\",1))", aborted[1]);
    EXPECT_EQ("ATTR 0 588 Card(3)", aborted[aborted.size() - 2]);
    EXPECT_EQ("ATTR 0 352 Card(0)", aborted[aborted.size() - 1]);
    EXPECT_EQ(std::vector<std::string> {"aborted 100 doc=1 pages=3 bytes=0"}, Seen.events);
    EXPECT_EQ(251, SimJobState(Id(job).c_str()));

    Seen.events.clear();
    EXPECT_TRUE(AbortPrinter(second));
    const std::vector<std::string> expected = {"aborted 100 doc=2 pages=0 bytes=0", "cancelled 100"};
    EXPECT_EQ(expected, Seen.events);
    EXPECT_EQ(-30, SimJobState(Id(job).c_str()));
    EXPECT_TRUE(ClosePrinter(first));
    EXPECT_TRUE(ClosePrinter(second));
}

DWORD WINAPI CloseOnAnotherThread(LPVOID handle)
{
    return ClosePrinter(handle);
}

// The plug-in finishes a job while a ClosePrinter of a handle in that job
// waits for JobLock: the job is cleared from the closing handle as from every
// other, so the close finds no job to abort and touches no freed record.
TEST_F(PlugInJobTest, APlugInFinishesAJobWhileItsHandleIsBeingClosed)
{
    HANDLE printer = OpenLp1();
    const DWORD job = Start(printer, "closing");
    ASSERT_NE(0u, job);
    EXPECT_TRUE(Write(printer, "data"));
    HANDLE closer = nullptr;
    {
        LockGuard jobs(g_provider.jobLock);
        closer = CreateThread(nullptr, 0, CloseOnAnotherThread, printer, 0, nullptr);
        ASSERT_NE(nullptr, closer);
        // The close now waits for JobLock.
        EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(closer, 300));
        EXPECT_EQ(0, CompleteJob(Seen.jobs[0], kCompleteFinish));
    }
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(closer, 30000));
    DWORD closed = FALSE;
    GetExitCodeThread(closer, &closed);
    CloseHandle(closer);
    EXPECT_TRUE(closed);
    EXPECT_EQ(-1, FindJournal(JournalLines(), " type=0 ")) << "nothing was cancelled";
    SimAdvanceClock(10000);
    EXPECT_EQ(259, SimJobState(Id(job).c_str()));
}

TEST_F(PlugInJobTest, CompleteJobWithAnotherActionDoesNothing)
{
    HANDLE printer = OpenLp1();
    const DWORD job = Start(printer, "kept");
    ASSERT_NE(0u, job);
    EXPECT_TRUE(EndDocPrinter(printer));
    SimJournalClear();
    for (int32_t action : {0, 3, -1}) {
        SCOPED_TRACE(action);
        EXPECT_EQ(0, CompleteJob(Seen.jobs[0], action));
        EXPECT_EQ(0, CompleteJob(nullptr, action));
    }
    EXPECT_TRUE(JournalLines().empty());
    EXPECT_EQ(251, SimJobState(Id(job).c_str()));
    // A job the plug-in still holds when it is unloaded is cancelled then.
    EXPECT_TRUE(ClosePrinter(printer));
    UnloadPrintAssistant();
    EXPECT_EQ(-30, SimJobState(Id(job).c_str()));
    LoadPrintAssistant();
}

} // namespace
