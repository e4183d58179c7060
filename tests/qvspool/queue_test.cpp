// qvspool's queue window, job control, printer and driver commands, run as a
// user runs them; a shell keeps the jobs between commands. Simulated time is
// stopped (--clock-rate 0) so that what the servers show is decided here.
#include <windows.h>
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

#include "run.h"

namespace {

// The row of the queue view that shows document, from the given position on.
std::string Row(const std::string &out, const std::string &document, size_t from = 0)
{
    size_t at = out.find(document, from);
    if (at == std::string::npos)
        return "";
    size_t start = out.rfind('\n', at) + 1;
    return out.substr(start, out.find('\n', at) - start);
}

TEST(QvspoolQueue, PrintedJobsShowAndAreControlledFromTheQueue)
{
    TempFile file("qvspool-queue-test.txt", "page one\fpage two\f");
    const std::string print = "print \\\\srv1.corp\\lp1 \"" + file.path() + "\" --name ";
    RunResult run = RunQvspool("--clock-rate 0 shell",
                               print + "Memo\n" + print
                                   + "Minutes\n"
                                     "queue \\\\srv1.corp\\lp1\n"
                                     "pause \\\\srv1.corp\\lp1 5\n"
                                     "queue \"NT Domains/corp/lp1\"\n"
                                     "resume \\\\srv1.corp\\lp1 5\n"
                                     "cancel \\\\srv1.corp\\lp1 6\n"
                                     "queue \\\\srv1.corp\\lp1\n");
    ASSERT_EQ(0u, run.exitCode) << run.err << run.out;
    EXPECT_NE(std::string::npos, run.out.find("as job 5: 18 bytes, 2 pages")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("as job 6: 18 bytes, 2 pages")) << run.out;

    // The window's columns, then one row a job: number, name, status, owner, size.
    size_t first = run.out.find("Job   Document Name");
    ASSERT_NE(std::string::npos, first) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("Status", first));
    EXPECT_NE(std::string::npos, run.out.find("Owner", first));
    EXPECT_NE(std::string::npos, run.out.find("Progress", first));
    EXPECT_NE(std::string::npos, run.out.find("Started At", first));
    std::string memo = Row(run.out, "Memo", first);
    EXPECT_EQ(0u, memo.find("  5 ")) << memo;
    EXPECT_NE(std::string::npos, memo.find("Pending")) << memo;
    EXPECT_NE(std::string::npos, memo.find("qvuser")) << memo;
    EXPECT_NE(std::string::npos, memo.find("18 bytes")) << memo;

    size_t paused = run.out.find("job 5 on \\\\srv1.corp\\lp1 paused");
    ASSERT_NE(std::string::npos, paused) << run.out;
    EXPECT_NE(std::string::npos, Row(run.out, "Memo", paused).find("Paused")) << run.out;
    size_t cancelled = run.out.find("job 6 on \\\\srv1.corp\\lp1 cancelled");
    ASSERT_NE(std::string::npos, cancelled) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("job 5 on \\\\srv1.corp\\lp1 resumed")) << run.out;
    EXPECT_EQ(std::string::npos, Row(run.out, "Memo", cancelled).find("Paused")) << run.out;
    EXPECT_EQ(std::string::npos, Row(run.out, "Minutes", cancelled).find("Pending")) << run.out;
}

TEST(QvspoolQueue, WatchRefreshesTheView)
{
    RunResult run = RunQvspool("--clock-rate 1000 queue \\\\srv1.corp\\lp1 --watch 3");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    size_t views = 0;
    for (size_t at = run.out.find("Job   Document Name"); at != std::string::npos;
         at = run.out.find("Job   Document Name", at + 1))
        ++views;
    EXPECT_EQ(3u, views) << run.out;
}

TEST(QvspoolQueue, AJobTheServerDoesNotHaveIsAnError)
{
    RunResult run = RunQvspool("cancel \\\\srv1.corp\\lp1 999");
    EXPECT_EQ(1u, run.exitCode) << run.out;
    EXPECT_EQ(0u, run.err.find("qvspool: cancel \\\\srv1.corp\\lp1 999: error ")) << run.err;
}

TEST(QvspoolPrinter, ShowsStatusCommentLocationAndServer)
{
    RunResult run = RunQvspool("printer \"NT Domains/corp/lp1\"");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    for (const char *line : {"Status:    Ready", "Comment:   First floor laser",
                             "Location:  Building A, room 101", "Server:    \\\\srv1.corp"})
        EXPECT_NE(std::string::npos, run.out.find(line)) << line << "\n" << run.out;
}

TEST(QvspoolDriver, ShowsTheDriverItsFilesAndItsDirectory)
{
    RunResult run = RunQvspool("driver \\\\srv1.corp\\lp1");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    for (const char *line :
         {"Driver:       Tamsell LaserWriter 4 (version 4, Windows 4.0)", "Driver file:  TLASER4.DRV",
          "Dependent files: TLRES.DLL TLUI.DLL TLASER4.DRV", "Directory:    "})
        EXPECT_NE(std::string::npos, run.out.find(line)) << line << "\n" << run.out;
}

} // namespace
