// qvspool as a user runs it: each command's output and exit status, bad
// input included, and the shell fed through a pipe.
#include <gtest/gtest.h>

#include <algorithm>

#include "run.h"

namespace {

// The error line names the Win32 error's number and its system text.
void ExpectErrorLine(const RunResult &run, const std::string &number)
{
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_NE(std::string::npos, run.err.find("error " + number + ": ")) << run.err;
    EXPECT_EQ(1, std::count(run.err.begin(), run.err.end(), '\n')) << run.err;
}

TEST(QvspoolBrowse, ShowsTheTreeWithDisplayNamesAndPaths)
{
    RunResult run = RunQvspool("browse");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    for (const char *line :
         {"Quorvane Network", "  NT Domains                     ~Aa.",
          "      lp1                        \\\\srv1.corp\\lp1               NT Domains/corp/lp1",
          "        plot1                    \\\\build.NIS:eng\\plot1         NIS Domains/eng/build/plot1"})
        EXPECT_NE(std::string::npos, run.out.find(line)) << line << "\n" << run.out;
}

TEST(QvspoolBrowse, BelowAPathShowsThatContainerOnly)
{
    RunResult run = RunQvspool("browse \"NT Domains/corp/srv1\"");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    EXPECT_EQ(0u, run.out.find("srv1")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("\\\\srv1.corp\\lp2")) << run.out;
    EXPECT_EQ(std::string::npos, run.out.find("lp3")) << run.out;
}

TEST(QvspoolErrors, BadInputGivesOneErrorLineAndAFailingStatus)
{
    struct Case {
        const char *arguments;
        const char *error;
    } cases[] = {
        {"browse \"NT Domains/nowhere\"", "67"},  // no such container
        {"printer \\\\nosuch.corp\\lp9", "123"},  // the provider refuses the name
        {"queue \"NT Domains/corp/lp9\"", "123"}, // a path that names no printer
        {"print \\\\srv1.corp\\lp1 no-such-file.txt", "2"},
        {"pause \\\\srv1.corp\\lp1 twelve", "87"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments);
        ExpectErrorLine(RunQvspool(c.arguments), c.error);
    }
}

TEST(QvspoolErrors, UnknownCommandsAndMissingArgumentsShowTheUsage)
{
    for (const char *arguments : {"bogus", "print", "pause \\\\srv1.corp\\lp1", ""}) {
        SCOPED_TRACE(arguments);
        RunResult run = RunQvspool(arguments);
        EXPECT_EQ(2u, run.exitCode);
        EXPECT_NE(std::string::npos, (run.err + run.out).find("usage: qvspool")) << run.err;
    }
}

TEST(QvspoolErrors, AMissingNetworkFileIsAnError)
{
    ExpectErrorLine(RunQvspool("--network no-such-network.txt browse"), "2");
}

TEST(QvspoolShell, RunsCommandsFromAPipeInOneProcess)
{
    RunResult run = RunQvspool("shell",
                               "# a comment\n"
                               "browse \"NIS Domains/eng/srv1\"\n"
                               "\n"
                               "bogus\n"
                               "browse \"NT Domains/corp/SRV2\"\n"
                               "exit\n"
                               "browse\n");
    EXPECT_EQ(1u, run.exitCode) << "one command failed";
    EXPECT_NE(std::string::npos, run.out.find("\\\\srv1.NIS:eng\\lp1")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("\\\\SRV2.corp\\lp3")) << run.out;
    EXPECT_EQ(std::string::npos, run.out.find("Quorvane Network")) << "nothing runs after exit";
    EXPECT_NE(std::string::npos, run.err.find("unknown command 'bogus'")) << run.err;
    EXPECT_EQ(std::string::npos, run.out.find("qvspool>")) << "no prompt on a pipe";
}

TEST(QvspoolShell, AllGoodCommandsEndWithStatusZero)
{
    RunResult run = RunQvspool("shell", "browse \"NT Domains/corp/srv1\"\r\nbrowse \"NIS Domains\"\r\n");
    EXPECT_EQ(0u, run.exitCode) << run.err;
}

} // namespace
