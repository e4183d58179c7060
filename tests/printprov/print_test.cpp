// Printing a document through the provider's table, as the spooler calls it:
// what reaches the server, in what order, and what the caller sees when a
// step fails.
#include "print_fixture.h"

#include <map>

namespace {

std::string Join(const std::vector<std::string> &lines)
{
    return ::testing::PrintToString(lines);
}

// The job identifier the journal shows for the n-th job made.
std::string JobIdentifier(const std::vector<std::string> &journal, int nth = 0)
{
    for (const std::string &line : journal) {
        if (line.find("CALL CC_AVGetJobIdentifier(") == 0 && line.find(" = 0 -> \"") != std::string::npos
            && nth-- == 0) {
            const size_t start = line.find("-> \"") + 4;
            return line.substr(start, line.find('"', start) - start);
        }
    }
    return std::string();
}

std::string DocumentBytes(const std::string &job, int document, uint32_t *total)
{
    char buffer[256] = {};
    int32_t kept = SimDocumentData(job.c_str(), document, buffer, sizeof buffer, total);
    return kept < 0 ? std::string("<none>") : std::string(buffer, kept);
}

class PrintingTest : public PrintTest { };

// The whole path without the plug-in: the print request's attributes in their
// order, the document's name and data, the document request, then the job
// request, and the job on the server's queue.
TEST_F(PrintingTest, ADocumentReachesTheServerWithItsAttributesInOrder)
{
    struct Case {
        const char *printer;
        const char *domain;
        int nameSpace;
        const char *printerName;
        const char *server;
    } cases[] = {
        {"\\\\srv1.corp\\lp1", "corp", 3051, "lp1", "srv1"},
        {"\\\\build.NIS:eng\\plot1", "eng", 3044, "plot1", "build"},
        {"\\\\lab.DCE:research\\proof", "research", 3042, "proof", "lab"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.printer);
        HANDLE printer = nullptr;
        ASSERT_TRUE(Open(c.printer, &printer));
        SimJournalClear();

        SetLastError(kPoison);
        const DWORD jobNumber = StartDoc(printer, "report.txt");
        ASSERT_NE(0u, jobNumber) << GetLastError();
        DWORD written = kPoison;
        EXPECT_TRUE(Write(printer, "Hello, ", &written));
        EXPECT_EQ(7u, written);
        EXPECT_TRUE(Write(printer, "world", &written));
        EXPECT_EQ(5u, written);
        EXPECT_TRUE(EndPage(printer));
        EXPECT_TRUE(EndPage(printer));
        std::vector<std::string> journal = JournalLines();
        const std::string job = JobIdentifier(journal);
        EXPECT_EQ(std::to_string(jobNumber) + "-" + c.server, job);
        EXPECT_EQ(kJobPending, SimJobState(job.c_str())); // waits for its job request

        SetLastError(kPoison);
        EXPECT_TRUE(EndDoc(printer));
        journal = JournalLines();
        const std::string domain = "DistName(Text(5,\"" + std::string(c.domain) + "\"),NameOrOID(Id("
            + std::to_string(c.nameSpace) + ")))";
        std::vector<std::string> print = RequestBody(journal, 11);
        ASSERT_EQ(5u, print.size()) << Join(journal);
        EXPECT_EQ("ATTR 0 1010 Bool(0)", print[0]);
        EXPECT_EQ("ATTR 0 3009 " + domain, print[1]);
        EXPECT_EQ(0u, print[2].find("ATTR 21 98 Locale(")) << print[2];
        EXPECT_EQ("ATTR 0 244 SimpleName(5,\"" + std::string(c.printerName) + "\")", print[3]);
        EXPECT_EQ("ATTR 1 133 SimpleName(5,\"report.txt\")", print[4]);

        // The document's name goes on the print request after the document is opened.
        const int opened = FindJournal(journal, "CALL DPAOpenDocument(");
        EXPECT_LT(FindRequest(journal, 11), opened);
        EXPECT_LT(opened, FindJournal(journal, ",15,320,"));

        // The document request, then the job request, each with the domain and locale.
        const int documentRequest = FindRequest(journal, 8, 0);
        const int jobRequest = FindRequest(journal, 8, 1);
        ASSERT_LT(0, documentRequest) << Join(journal);
        EXPECT_LT(documentRequest, jobRequest);
        std::vector<std::string> document = RequestBody(journal, 8, 0);
        ASSERT_LE(2u, document.size());
        EXPECT_EQ("INSTANCE SimpleName(5,\"" + std::string(c.server) + "\") ObjId(DocId(\"" + job + "\",1))",
                  document[0]);
        EXPECT_EQ("ATTR 0 3009 " + domain, document[1]);
        std::vector<std::string> named = RequestBody(journal, 8, 1);
        ASSERT_LE(2u, named.size());
        EXPECT_EQ(0u, named[0].find("INSTANCE SimpleName(5,\"" + std::string(c.server) + "\") ")) << named[0];
        EXPECT_NE(std::string::npos, named[0].find(job)) << named[0];
        EXPECT_EQ("ATTR 0 3009 " + domain, named[1]);
        EXPECT_EQ(-1, FindRequest(journal, 0)); // nothing cancelled

        uint32_t total = 0;
        EXPECT_EQ("Hello, world", DocumentBytes(job, 1, &total));
        EXPECT_EQ(12u, total);
        EXPECT_NE(kNoSuchJob, SimJobState(job.c_str()));
        EXPECT_TRUE(UnfinishedJobs().empty()) << Join(UnfinishedJobs());
        EXPECT_EQ(kJobCompleted, SimJobState(job.c_str()));
        EXPECT_TRUE(Close(printer));
    }
}

TEST_F(PrintingTest, ADocumentWithoutANameAndAnEmptyWrite)
{
    HANDLE printer = nullptr;
    ASSERT_TRUE(Open("\\\\srv1.corp\\lp1", &printer));
    for (bool nullInfo : {false, true}) {
        SCOPED_TRACE(nullInfo ? "no DOC_INFO_1" : "no document name");
        SimJournalClear();
        const DWORD jobNumber
            = nullInfo ? provider_.table.fpStartDocPrinter(printer, 1, nullptr) : StartDoc(printer, nullptr);
        ASSERT_NE(0u, jobNumber);
        DWORD written = kPoison;
        EXPECT_TRUE(Write(printer, "", &written));
        EXPECT_EQ(0u, written);
        EXPECT_TRUE(EndDoc(printer));
        std::vector<std::string> journal = JournalLines();
        for (const std::string &line : RequestBody(journal, 11))
            EXPECT_EQ(std::string::npos, line.find(" 133 ")) << line;
        EXPECT_LE(0, FindJournal(journal, ",15,320,")) << Join(journal);
        EXPECT_LE(
            0, FindJournal(journal, "CALL CC_AVCreateSimpleName(", FindJournal(journal, "DPAOpenDocument")));
        EXPECT_LE(0, FindJournal(journal, "\"{Name Unknown}\""));
        EXPECT_LE(0, FindJournal(journal, "CALL CC_PushDocument(")) << "a push of zero bytes";
    }
    EXPECT_TRUE(Close(printer));
}

// The application's pointers reach the provider unchecked.
TEST_F(PrintingTest, BadHandlesAndPointersGiveAnErrorNotACrash)
{
    HANDLE printer = nullptr;
    HANDLE closed = nullptr;
    ASSERT_TRUE(Open("\\\\srv1.corp\\lp1", &printer));
    ASSERT_TRUE(Open("\\\\srv1.corp\\lp2", &closed));
    ASSERT_TRUE(Close(closed));
    char data[] = "data";
    DWORD written = kPoison;

    // Without a document, and with bad handles.
    for (HANDLE handle : {static_cast<HANDLE>(nullptr), closed, printer}) {
        SCOPED_TRACE(handle == printer ? "no document" : handle ? "closed" : "null");
        SetLastError(kPoison);
        EXPECT_FALSE(provider_.table.fpWritePrinter(handle, data, 4, &written));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
        for (auto entry : {provider_.table.fpEndPagePrinter, provider_.table.fpEndDocPrinter,
                           provider_.table.fpStartPagePrinter}) {
            SetLastError(kPoison);
            EXPECT_FALSE(entry(handle));
            EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
        }
        // Nothing to abort: TRUE.
        EXPECT_TRUE(Abort(handle));
        if (handle != printer) {
            SetLastError(kPoison);
            EXPECT_EQ(0u, StartDoc(handle, "x"));
            EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
        }
    }

    // With a document: null pointers where data are due.
    ASSERT_NE(0u, StartDoc(printer, "x"));
    struct Case {
        const char *what;
        LPVOID data;
        DWORD length;
        LPDWORD written;
    } cases[] = {
        {"null written", data, 4, nullptr},
        {"null data with a length", nullptr, 4, &written},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(kPoison);
        EXPECT_FALSE(provider_.table.fpWritePrinter(printer, c.data, c.length, c.written));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    }
    written = kPoison;
    EXPECT_TRUE(provider_.table.fpWritePrinter(printer, nullptr, 0, &written));
    EXPECT_EQ(0u, written);
    EXPECT_TRUE(EndDoc(printer));
    EXPECT_TRUE(Close(printer));
    EXPECT_TRUE(UnfinishedJobs().empty());
}

// A server handle, or a printer handle without a server component, never
// makes a job; nothing reaches a server.
TEST_F(PrintingTest, HandlesThatCannotPrintAreRefusedBeforeAnyServerTraffic)
{
    struct Case {
        const char *name;
        DWORD error;
    } cases[] = {
        {"\\\\srv1.corp", ERROR_INVALID_HANDLE},
        {"\\\\.corp", ERROR_INVALID_HANDLE},
        {"\\\\.corp\\lp1", ERROR_INVALID_PRINTER_NAME},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        HANDLE handle = nullptr;
        ASSERT_TRUE(Open(c.name, &handle));
        SimJournalClear();
        SetLastError(kPoison);
        EXPECT_EQ(0u, StartDoc(handle, "x"));
        EXPECT_EQ(c.error, GetLastError());
        EXPECT_TRUE(JournalLines().empty()) << Join(JournalLines());
        // The handle stays usable and closes cleanly.
        EXPECT_EQ(0u, StartDoc(handle, "x"));
        EXPECT_TRUE(Close(handle));
    }
}

TEST_F(PrintingTest, StartDocPrinterTwiceOnOneHandle)
{
    HANDLE printer = nullptr;
    ASSERT_TRUE(Open("\\\\srv1.corp\\lp1", &printer));
    const DWORD first = StartDoc(printer, "one");
    ASSERT_NE(0u, first);
    SetLastError(kPoison);
    EXPECT_EQ(0u, StartDoc(printer, "two"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_ASSIGNED), GetLastError());
    // The first document goes on undisturbed.
    DWORD written = 0;
    EXPECT_TRUE(Write(printer, "abc", &written));
    EXPECT_TRUE(EndDoc(printer));
    std::vector<std::string> journal = JournalLines();
    EXPECT_EQ(-1, FindRequest(journal, 11, 1)) << "one job only";
    EXPECT_EQ(-1, FindRequest(journal, 0));
    uint32_t total = 0;
    EXPECT_EQ("abc", DocumentBytes(std::to_string(first) + "-srv1", 1, &total));
    // And the handle starts a new job afterwards.
    const DWORD next = StartDoc(printer, "three");
    EXPECT_NE(0u, next);
    EXPECT_NE(first, next);
    EXPECT_TRUE(EndDoc(printer));
    EXPECT_TRUE(Close(printer));
    EXPECT_TRUE(UnfinishedJobs().empty()) << Join(UnfinishedJobs());
}

TEST_F(PrintingTest, TwoHandlesOfOnePrinterMakeTwoJobsWithoutThePlugIn)
{
    HANDLE first = nullptr;
    HANDLE second = nullptr;
    ASSERT_TRUE(Open("\\\\srv1.corp\\lp1", &first));
    ASSERT_TRUE(Open("\\\\srv1.corp\\lp1", &second));
    const DWORD one = StartDoc(first, "a");
    const DWORD two = StartDoc(second, "b");
    EXPECT_NE(0u, one);
    EXPECT_NE(0u, two);
    EXPECT_NE(one, two);
    EXPECT_TRUE(EndDoc(second));
    EXPECT_TRUE(EndDoc(first));
    EXPECT_TRUE(Close(first));
    EXPECT_TRUE(Close(second));
    EXPECT_TRUE(UnfinishedJobs().empty());
}

// AbortPrinter and ClosePrinter in the middle of a document end its data and
// cancel the job on its server.
TEST_F(PrintingTest, AbortPrinterAndClosePrinterMidDocumentCancelTheJob)
{
    for (bool close : {false, true}) {
        SCOPED_TRACE(close ? "ClosePrinter" : "AbortPrinter");
        HANDLE printer = nullptr;
        ASSERT_TRUE(Open("\\\\srv1.corp\\lp1", &printer));
        const DWORD jobNumber = StartDoc(printer, "cut short");
        ASSERT_NE(0u, jobNumber);
        DWORD written = 0;
        EXPECT_TRUE(Write(printer, "partial", &written));
        const std::string job = std::to_string(jobNumber) + "-srv1";
        SimJournalClear();
        SetLastError(kPoison);
        EXPECT_TRUE(close ? Close(printer) : Abort(printer));
        std::vector<std::string> journal = JournalLines();
        const int ended = FindJournal(journal, "CALL CC_PushDocument(");
        EXPECT_LE(0, ended) << Join(journal);
        EXPECT_NE(std::string::npos, journal[ended < 0 ? 0 : ended].find(",0,1) = 0")) << "the data is ended";
        std::vector<std::string> cancel = RequestBody(journal, 0);
        ASSERT_LE(2u, cancel.size()) << Join(journal);
        EXPECT_EQ("INSTANCE SimpleName(5,\"srv1\") ObjId(JobId(\"" + job + "\"))", cancel[0]);
        EXPECT_EQ("ATTR 0 3009 DistName(Text(5,\"corp\"),NameOrOID(Id(3051)))", cancel[1]);
        EXPECT_LT(ended, FindRequest(journal, 0));
        EXPECT_EQ(-1, FindRequest(journal, 8)) << "a cancelled job is not named for printing";
        EXPECT_EQ(kNoSuchJob, SimJobState(job.c_str()));
        if (!close) {
            // The handle has no job left, and prints again.
            SetLastError(kPoison);
            EXPECT_FALSE(Write(printer, "more", &written));
            EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
            EXPECT_NE(0u, StartDoc(printer, "again"));
            EXPECT_TRUE(EndDoc(printer));
            EXPECT_TRUE(Close(printer));
        }
    }
    EXPECT_TRUE(UnfinishedJobs().empty()) << Join(UnfinishedJobs());
}

// Status -80 on the first push of a document, without the plug-in: the
// document fails and its job is cancelled.
TEST_F(PrintingTest, ARefusedFirstPushCancelsTheJob)
{
    HANDLE printer = nullptr;
    ASSERT_TRUE(Open("\\\\srv1.corp\\lp1", &printer));
    SimJournalClear();
    SimInjectStatus("CC_PushDocument", 1, -80);
    SetLastError(kPoison);
    EXPECT_EQ(0u, StartDoc(printer, "refused"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    std::vector<std::string> journal = JournalLines();
    EXPECT_LT(FindJournal(journal, "CC_PushDocument("), FindRequest(journal, 0)) << Join(journal);
    EXPECT_EQ(kNoSuchJob, SimJobState(JobIdentifier(journal).c_str()));
    // The handle prints again.
    EXPECT_NE(0u, StartDoc(printer, "accepted"));
    EXPECT_TRUE(EndDoc(printer));
    EXPECT_TRUE(Close(printer));
    EXPECT_TRUE(UnfinishedJobs().empty());
}

// Calls whose failure must not fail the document.
bool Tolerated(const std::string &call)
{
    return call == "I18N_GetDPALocaleFromLCID"; // the request goes without a locale
}

// Release calls are not injected: a release that fails leaks by its nature.
bool Injectable(const std::string &call)
{
    return call != "DPACloseRequest" && call != "CC_AVDel";
}

enum Step { kStartDoc, kWrite, kEndPage, kEndDoc, kDone };
const char *const kStepNames[]
    = {"StartDocPrinter", "WritePrinter", "EndPagePrinter", "EndDocPrinter", "done"};

// One document; returns the step that failed (kDone when none did).
Step PrintOneDocument(PrintTest *test, SpoolProvider &provider, HANDLE printer)
{
    DOC_INFO_1A info = {const_cast<LPSTR>("doc"), nullptr, nullptr};
    SetLastError(kPoison);
    if (!provider.table.fpStartDocPrinter(printer, 1, reinterpret_cast<LPBYTE>(&info)))
        return kStartDoc;
    char data[] = "some bytes";
    DWORD written = 0;
    SetLastError(kPoison);
    if (!provider.table.fpWritePrinter(printer, data, sizeof data - 1, &written))
        return kWrite;
    SetLastError(kPoison);
    if (!provider.table.fpEndPagePrinter(printer))
        return kEndPage;
    SetLastError(kPoison);
    if (!provider.table.fpEndDocPrinter(printer))
        return kEndDoc;
    return kDone;
}

// A failing status at each closed-library call of StartDocPrinter,
// WritePrinter and EndDocPrinter in turn: the step fails with the mapped
// error, the handle can start again, and after ClosePrinter nothing is left
// live and no job is left on the server half made.
TEST_F(PrintingTest, AFailureAtEachLibraryCallLeavesNothingBehind)
{
    constexpr int32_t kFailure = -31; // ERROR_NO_SPOOL_SPACE, not used by any other path
    HANDLE printer = nullptr;
    ASSERT_TRUE(Open("\\\\srv1.corp\\lp1", &printer));
    SimJournalClear();
    ASSERT_EQ(kDone, PrintOneDocument(this, provider_, printer));
    ASSERT_TRUE(Close(printer));

    // The calls of a clean run, in order, with the number of each name's call.
    struct Call {
        std::string name;
        int nth;
    };
    std::vector<Call> calls;
    std::map<std::string, int> seen;
    for (const std::string &line : JournalLines()) {
        if (line.compare(0, 5, "CALL ") != 0)
            continue;
        const std::string name = line.substr(5, line.find('(') - 5);
        const int nth = ++seen[name];
        if (Injectable(name))
            calls.push_back({name, nth});
    }
    ASSERT_LT(30u, calls.size());

    for (const Call &call : calls) {
        SCOPED_TRACE(call.name + " #" + std::to_string(call.nth));
        ASSERT_TRUE(Open("\\\\srv1.corp\\lp1", &printer));
        SimInjectStatus(call.name.c_str(), call.nth, kFailure);
        const Step failed = PrintOneDocument(this, provider_, printer);
        const DWORD error = GetLastError();
        if (Tolerated(call.name)) {
            EXPECT_EQ(kDone, failed);
        } else {
            EXPECT_NE(kDone, failed);
            EXPECT_EQ(static_cast<DWORD>(ERROR_NO_SPOOL_SPACE), error) << kStepNames[failed];
            // The handle is ready for a new document at once.
            if (failed != kWrite) {
                EXPECT_EQ(kDone, PrintOneDocument(this, provider_, printer)) << kStepNames[failed];
            }
        }
        EXPECT_TRUE(Close(printer));
        SimClearInjections();
        EXPECT_EQ(0, SimLiveObjects(nullptr)) << LeakReport();
        EXPECT_EQ(0, SimOwnershipFaults()) << LeakReport();
        const std::vector<std::string> unfinished = UnfinishedJobs();
        EXPECT_TRUE(unfinished.empty()) << kStepNames[failed] << ": " << Join(unfinished);
    }
}

} // namespace
