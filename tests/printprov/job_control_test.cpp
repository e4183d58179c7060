// SetJob through the provider's table: pause, resume and cancel of a job on
// the server (the request, its object, and the cached job results it
// drops), and the cancel of a job this process is still submitting.
#include "queue_fixture.h"

namespace {

constexpr int32_t kStatePrinting = 260;
constexpr int32_t kStatePaused = 256;

class JobControlTest : public QueueTest {
protected:
    BOOL Control(HANDLE printer, DWORD jobId, DWORD command, DWORD level = 0, LPBYTE data = nullptr)
    {
        SetLastError(kPoison);
        return provider_.table.fpSetJob(printer, jobId, level, data, command);
    }

    // Primes the cache with the printer's job list, a job, and the printer.
    void Prime(HANDLE printer)
    {
        ASSERT_TRUE(RunCall(EnumJobsCall(printer, 1), 8192).ok);
        ASSERT_TRUE(RunCall(GetJobCall(printer, 7, 1), 1024).ok);
        ASSERT_TRUE(RunCall(GetPrinterCall(printer, 2), 1024).ok);
    }
};

std::vector<std::string> Body(int type)
{
    const std::vector<std::string> journal = JournalLines();
    std::vector<std::string> lines;
    int at = FindRequest(journal, type);
    for (size_t i = at + 1; at >= 0 && i < journal.size() && journal[i].compare(0, 2, "  ") == 0; ++i) {
        std::string line = journal[i].substr(journal[i].find_first_not_of(' '));
        if (line.compare(0, 10, "ATTR 21 98") != 0) // the locale depends on the machine
            lines.push_back(line);
    }
    return lines;
}

// Pause, resume and cancel each send one request naming the job by its
// server and identifier (pause and resume with the job class); each drops
// the printer's cached job list and job, but not the printer.
TEST_F(JobControlTest, ServerJobsArePausedResumedAndCancelledByOneRequest)
{
    auto instance = [](const char *job) {
        return "INSTANCE SimpleName(5,\"srv1\") ObjId(JobId(\"" + std::string(job) + "\"))";
    };
    const std::string jobClass = "ATTR 0 1032 Id(87)";
    const std::string domain = "ATTR 0 3009 DistName(Text(5,\"corp\"),NameOrOID(Id(3051)))";
    struct Case {
        DWORD command;
        DWORD job;
        int type;
        std::vector<std::string> body;
        int32_t state; // of the job afterwards
    } cases[] = {
        {JOB_CONTROL_PAUSE, 5, DPA_REQUEST_PAUSE, {instance("5"), jobClass, domain}, kStatePaused},
        {JOB_CONTROL_RESUME, 5, DPA_REQUEST_RESUME, {instance("5"), jobClass, domain}, kStatePrinting},
        {JOB_CONTROL_CANCEL, 5, DPA_REQUEST_CANCEL, {instance("5"), domain}, kNoSuchJob},
        {JOB_CONTROL_DELETE, 6, DPA_REQUEST_CANCEL, {instance("6"), domain}, kNoSuchJob},
    };
    HANDLE lp1 = OpenOk(kLp1);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        Prime(lp1);
        SimJournalClear();
        // Level and data are not read.
        BYTE junk[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        EXPECT_TRUE(Control(lp1, c.job, c.command, 7, junk));
        EXPECT_EQ(c.body, Body(c.type));
        EXPECT_EQ(1, Requests(c.type));
        EXPECT_EQ(c.state, SimJobState((std::to_string(c.job) + "-srv1").c_str()));
        // The job results ask the server again; the printer comes from the cache.
        SimJournalClear();
        Prime(lp1);
        EXPECT_EQ(1, Requests(DPA_REQUEST_LIST));
        EXPECT_EQ(1, Requests(DPA_REQUEST_READ_OBJECT)) << qvtest::JournalText(); // the job, not the printer
    }
    EXPECT_TRUE(Close(lp1));
}

// A job already in the state asked for (-83) is no failure; a failing
// request is, and the results it dropped stay dropped.
TEST_F(JobControlTest, AlreadyInThatStateIsSuccessAndAFailureIsMapped)
{
    HANDLE lp1 = OpenOk(kLp1);
    EXPECT_TRUE(Control(lp1, 7, JOB_CONTROL_PAUSE));  // job 7 is paused already
    EXPECT_TRUE(Control(lp1, 5, JOB_CONTROL_RESUME)); // job 5 is not paused

    Prime(lp1);
    SimInjectStatus("CC_SubmitRequest", 1, -31);
    EXPECT_FALSE(Control(lp1, 5, JOB_CONTROL_PAUSE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_SPOOL_SPACE), GetLastError());
    SimJournalClear();
    Prime(lp1);
    EXPECT_EQ(1, Requests(DPA_REQUEST_LIST));

    // An unknown job: the server's answer, mapped.
    EXPECT_FALSE(Control(lp1, 99, JOB_CONTROL_CANCEL));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_TRUE(Close(lp1));
}

// Commands without a request, and handles that cannot name a job: refused
// before any server traffic.
TEST_F(JobControlTest, RefusedCommandsAndHandlesSendNothing)
{
    HANDLE lp1 = OpenOk(kLp1);
    HANDLE serverless = OpenOk("\\\\.corp\\lp1");
    struct Case {
        const char *what;
        HANDLE printer;
        DWORD command;
        DWORD error;
    } cases[] = {
        {"restart", lp1, JOB_CONTROL_RESTART, ERROR_INVALID_PARAMETER},
        {"command 6", lp1, 6, ERROR_INVALID_PARAMETER},
        {"command 0", lp1, 0, ERROR_CALL_NOT_IMPLEMENTED},
        {"no server component", serverless, JOB_CONTROL_PAUSE, ERROR_INVALID_HANDLE},
        {"null handle", nullptr, JOB_CONTROL_PAUSE, ERROR_INVALID_HANDLE},
        {"not a handle", const_cast<DWORD *>(&kSentinel), JOB_CONTROL_PAUSE, ERROR_INVALID_HANDLE},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SimJournalClear();
        EXPECT_FALSE(Control(c.printer, 5, c.command));
        EXPECT_EQ(c.error, GetLastError());
        EXPECT_EQ("", qvtest::JournalText());
    }
    EXPECT_TRUE(Close(serverless));
    EXPECT_TRUE(Close(lp1));
    // A closed handle.
    EXPECT_FALSE(Control(lp1, 5, JOB_CONTROL_PAUSE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

// A job this process is still submitting is cancelled by the job machinery
// (its own cancel request), with no SetJob request and no cached result
// dropped; any other command for it, restart included, is refused.
TEST_F(JobControlTest, ALocalJobIsCancelledWithoutARequestOfItsOwn)
{
    HANDLE lp1 = OpenOk(kLp1);
    DOC_INFO_1A info = {const_cast<LPSTR>("local"), nullptr, nullptr};
    const DWORD job = provider_.table.fpStartDocPrinter(lp1, 1, reinterpret_cast<LPBYTE>(&info));
    ASSERT_NE(0u, job);
    Prime(lp1);
    for (DWORD command : {DWORD(JOB_CONTROL_PAUSE), DWORD(JOB_CONTROL_RESUME), DWORD(JOB_CONTROL_RESTART)}) {
        SCOPED_TRACE(command);
        SimJournalClear();
        EXPECT_FALSE(Control(lp1, job, command));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
        EXPECT_EQ("", qvtest::JournalText());
    }
    SimJournalClear();
    EXPECT_TRUE(Control(lp1, job, JOB_CONTROL_CANCEL));
    EXPECT_EQ(1, Requests(DPA_REQUEST_CANCEL)); // CancelJob's
    EXPECT_EQ(0, Requests(DPA_REQUEST_PAUSE) + Requests(DPA_REQUEST_RESUME));
    EXPECT_EQ(kNoSuchJob, SimJobState((std::to_string(job) + "-srv1").c_str()));
    // The handle has no job left; the cached list still answers.
    SimJournalClear();
    ASSERT_TRUE(RunCall(EnumJobsCall(lp1, 1), 8192).ok);
    EXPECT_EQ(0, Requests(DPA_REQUEST_LIST));
    SetLastError(kPoison);
    EXPECT_FALSE(provider_.table.fpEndDocPrinter(lp1));
    EXPECT_TRUE(Close(lp1));
}

} // namespace
