// qvspool print as a user runs it: the document reaches the printer in
// pieces, pages end at form feeds, and the job number comes back.
#include <windows.h>
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

#include "run.h"

namespace {

TEST(QvspoolPrint, CountsBytesAndEndsAPageAtEachFormFeed)
{
    struct Case {
        const char *content;
        const char *summary;
    } cases[] = {
        {"one\ftwo\fthree", "13 bytes, 3 pages"}, // the last page has no form feed
        {"one\ftwo\f", "8 bytes, 2 pages"},       // nothing after the last form feed
        {"", "0 bytes, 0 pages"},                 // an empty document is still a job
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.summary);
        TempFile file("qvspool-print-test.txt", c.content);
        RunResult run = RunQvspool("print \\\\srv1.corp\\lp1 \"" + file.path() + "\" --name Letter");
        EXPECT_EQ(0u, run.exitCode) << run.err;
        EXPECT_EQ(0u, run.out.find("printed Letter to \\\\srv1.corp\\lp1 as job ")) << run.out;
        EXPECT_NE(std::string::npos, run.out.find(c.summary)) << run.out;
    }
}

TEST(QvspoolPrint, ALargeFileGoesThroughInPieces)
{
    TempFile file("qvspool-large.bin", std::string(3 * 1024 * 1024 + 5, 'x'));
    RunResult run = RunQvspool("print \"NT Domains/corp/lp2\" \"" + file.path() + "\"");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    // Named by its file name, as applications name their documents.
    EXPECT_EQ(0u, run.out.find("printed qvspool-large.bin to \\\\srv1.corp\\lp2 as job ")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("3145733 bytes, 1 page\r\n")) << run.out;
}

TEST(QvspoolPrint, JobsGetNumbersOfTheirOwnInOneShell)
{
    TempFile file("qvspool-two.txt", "a\f");
    RunResult run = RunQvspool("shell",
                               "print \\\\srv1.corp\\lp1 \"" + file.path() + "\"\n"
                                   + "print \\\\srv1.corp\\lp1 \"" + file.path() + "\"\n");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    size_t first = run.out.find("as job ");
    size_t second = run.out.find("as job ", first + 1);
    ASSERT_NE(std::string::npos, second) << run.out;
    EXPECT_NE(atoi(run.out.c_str() + first + 7), atoi(run.out.c_str() + second + 7)) << run.out;
}

} // namespace
