// The job and printer queries through the provider's table, as the spooler
// calls them: the records as the spooler reads them, the exact size each
// answer needs, the attributes each request asks for, and the answers that
// come from the result cache.
#include "queue_fixture.h"
#include "variant.h"

#include <functional>

namespace {

class QueryTest : public QueueTest { };

// Every indented line of the n-th submitted request of a type, without its
// leading blanks.
std::vector<std::string> RequestLines(int type, int nth = 0)
{
    const std::vector<std::string> journal = JournalLines();
    std::vector<std::string> lines;
    int at = FindRequest(journal, type, nth);
    if (at < 0)
        return lines;
    for (size_t i = at + 1; i < journal.size() && journal[i].compare(0, 2, "  ") == 0; ++i)
        lines.push_back(journal[i].substr(journal[i].find_first_not_of(' ')));
    return lines;
}

// The lines of a request that start with one of the prefixes.
std::vector<std::string> Only(const std::vector<std::string> &lines,
                              std::initializer_list<const char *> prefixes)
{
    std::vector<std::string> kept;
    for (const std::string &line : lines) {
        for (const char *prefix : prefixes) {
            if (line.compare(0, strlen(prefix), prefix) == 0) {
                kept.push_back(line);
                break;
            }
        }
    }
    return kept;
}

template<typename Record> const Record *Records(const Answer &answer)
{
    return reinterpret_cast<const Record *>(answer.bytes.data());
}

// For every level of every query: a null buffer, one byte short and the
// exact size each fail or succeed as the spooler expects; the exact answer
// is the same as one into a large buffer; and only the first call reaches
// the server, the others are answered from the cache.
TEST_F(QueryTest, EveryLevelAnswersANullBufferOneByteShortAndTheExactSize)
{
    HANDLE lp1 = OpenOk(kLp1);
    // The driver levels share one request: the driver list.
    struct Case {
        LevelCall call;
        DWORD records;
        int listRequests;
        int objectRequests;
    } cases[] = {
        {EnumJobsCall(lp1, 1), 5, 1, 0},   {EnumJobsCall(lp1, 2), 5, 1, 0},
        {GetJobCall(lp1, 5, 1), 1, 0, 1},  {GetJobCall(lp1, 7, 2), 1, 0, 1},
        {GetPrinterCall(lp1, 1), 1, 0, 1}, {GetPrinterCall(lp1, 2), 1, 0, 1},
        {GetPrinterCall(lp1, 5), 1, 0, 0}, {GetDriverCall(lp1, 1), 1, 0, 1},
        {GetDriverCall(lp1, 2), 1, 0, 0},  {GetDriverCall(lp1, 3), 1, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.call.name);
        SimJournalClear();
        const Answer none = RunCall(c.call, 0, true);
        EXPECT_FALSE(none.ok);
        EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), none.error);
        const DWORD needed = none.needed;
        ASSERT_GE(needed, c.call.recordSize * c.records);
        // A null buffer holds nothing, whatever size comes with it; the
        // driver query refuses that outright.
        const Answer nullSized = RunCall(c.call, needed + 100, true);
        EXPECT_FALSE(nullSized.ok);
        if (c.call.name.compare(0, 16, "GetPrinterDriver") == 0) {
            EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), nullSized.error);
            EXPECT_EQ(kSentinel, nullSized.needed);
        } else {
            EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), nullSized.error);
            EXPECT_EQ(needed, nullSized.needed);
        }

        const Answer shortOne = RunCall(c.call, needed - 1);
        EXPECT_FALSE(shortOne.ok);
        EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), shortOne.error);
        EXPECT_EQ(needed, shortOne.needed);
        EXPECT_TRUE(shortOne.GuardIntact());
        // Every field before the last one is written: here the first field,
        // unless the record has no other.
        if (c.call.name == "GetPrinterDriver level 1") {
            EXPECT_TRUE(shortOne.Untouched());
        } else {
            EXPECT_NE(std::vector<BYTE>(4, kPoisonByte),
                      std::vector<BYTE>(shortOne.bytes.begin(), shortOne.bytes.begin() + 4));
        }

        const Answer exact = RunCall(c.call, needed);
        ASSERT_TRUE(exact.ok) << exact.error;
        EXPECT_EQ(needed, exact.needed);
        EXPECT_EQ(c.records, exact.returned);
        EXPECT_TRUE(exact.GuardIntact());
        EXPECT_TRUE(PointersInside(c.call, exact, c.records));

        const Answer large = RunCall(c.call, needed + 300);
        ASSERT_TRUE(large.ok);
        EXPECT_EQ(needed, large.needed);
        EXPECT_EQ(Normalized(c.call, exact, c.records), Normalized(c.call, large, c.records));
        // Nothing is written between the fixed parts and the texts.
        for (DWORD i = c.call.recordSize * c.records;
             i < large.size - (needed - c.call.recordSize * c.records); ++i)
            ASSERT_EQ(kPoisonByte, large.bytes[i]) << "byte " << i;

        EXPECT_EQ(c.listRequests, Requests(DPA_REQUEST_LIST));
        EXPECT_EQ(c.objectRequests, Requests(DPA_REQUEST_READ_OBJECT));
    }
    EXPECT_TRUE(Close(lp1));
}

// The fixed parts the spooler reads on Windows 95.
TEST_F(QueryTest, FixedPartsHaveTheirWindows95Sizes)
{
    QV_ONLY_IN_32BIT_BUILD();
    HANDLE lp1 = OpenOk(kLp1);
    struct Case {
        LevelCall call;
        DWORD fixed;
    } cases[] = {
        {GetJobCall(lp1, 5, 1), 64},  {GetJobCall(lp1, 5, 2), 104}, {GetPrinterCall(lp1, 1), 16},
        {GetPrinterCall(lp1, 2), 84}, {GetPrinterCall(lp1, 5), 20}, {GetDriverCall(lp1, 1), 4},
        {GetDriverCall(lp1, 2), 24},  {GetDriverCall(lp1, 3), 40},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.call.name);
        const Answer answer = RunCall(c.call, 4096);
        ASSERT_TRUE(answer.ok);
        EXPECT_EQ(c.fixed, c.call.recordSize);
        // The first text lies right at the end of the buffer's used part.
        EXPECT_TRUE(PointersInside(c.call, answer, 1));
    }
    EXPECT_TRUE(Close(lp1));
}

// Each field of each job as the server describes it, levels 1 and 2, with
// the edge cases of the conversion: a state outside the known ones (300),
// priority 0xFFFF, sizes of 2^32 and more, no submission time, no job name,
// an owner in the "nis" name space, attributes without a value, and states
// whose texts come from the library's string table (4000) or must not be
// mistaken for one (65796 is 65536 + 260).
TEST_F(QueryTest, JobsConvertFieldByField)
{
    const std::string noTime = TimeText(LocalToUtc(1900, 1, 1, 0, 0, 0));
    const std::string march = TimeText(LocalToUtc(1998, 3, 2, 9, 15, 0));
    const std::string july = TimeText(LocalToUtc(1998, 7, 1, 23, 30, 0));
    const std::vector<std::string> level1 = {
        "id=5 user=\"ntsecurity:ann\" doc=\"[5-srv1] Budget 1998.xls\" status=\"Printing\"/0x10 priority=1 "
        "position=1 pages=4/1 submitted="
            + march,
        "id=6 user=\"bob\" doc=\"[6-srv1]\" status=\"300\"/0x0 priority=-1 position=2 pages=2/0 submitted="
            + noTime,
        "id=7 user=\"nis:dave\" doc=\"[7-srv1] layout.plt\" status=\"Paused\"/0x1 priority=1 position=3 "
        "pages=1/0 submitted="
            + july,
        "id=8 user=<null> doc=\"[8-srv1]\" status=\"Quorvane\"/0x0 priority=0 position=4 pages=0/0 submitted="
            + noTime,
        "id=9 user=\"ntsecurity:fay\" doc=\"[9-srv1] far\" status=\"65796\"/0x0 priority=1 position=5 "
        "pages=0/0 submitted="
            + noTime,
    };
    const std::vector<std::string> level2 = {
        "id=5 user=\"ntsecurity:ann\" doc=\"[5-srv1] Budget 1998.xls\" status=\"Printing\"/0x10 pages=4/1 "
        "size=40960 submitted="
            + march + " time=30",
        "id=6 user=\"bob\" doc=\"[6-srv1]\" status=\"300\"/0x0 pages=2/0 size=4294967295 submitted=" + noTime
            + " time=0",
        "id=7 user=\"nis:dave\" doc=\"[7-srv1] layout.plt\" status=\"Paused\"/0x1 pages=1/0 size=4294967295 "
        "submitted="
            + july + " time=0",
        "id=8 user=<null> doc=\"[8-srv1]\" status=\"Quorvane\"/0x0 pages=0/0 size=0 submitted=" + noTime
            + " time=0",
        "id=9 user=\"ntsecurity:fay\" doc=\"[9-srv1] far\" status=\"65796\"/0x0 pages=0/0 size=0 submitted="
            + noTime + " time=0",
    };
    HANDLE lp1 = OpenOk(kLp1);
    const LevelCall one = EnumJobsCall(lp1, 1);
    Answer answer = RunCall(one, 8192);
    ASSERT_TRUE(answer.ok);
    ASSERT_EQ(5u, answer.returned);
    // No field failed: the last error is the caller's (a missing string of
    // the string table is no error).
    EXPECT_EQ(kPoison, answer.error);
    std::vector<std::string> seen;
    for (DWORD i = 0; i < answer.returned; ++i)
        seen.push_back(JobText(Records<JOB_INFO_1A>(answer)[i]));
    EXPECT_EQ(level1, seen);

    const LevelCall two = EnumJobsCall(lp1, 2);
    answer = RunCall(two, 8192);
    ASSERT_TRUE(answer.ok);
    ASSERT_EQ(5u, answer.returned);
    seen.clear();
    for (DWORD i = 0; i < answer.returned; ++i)
        seen.push_back(JobText(Records<JOB_INFO_2A>(answer)[i]));
    EXPECT_EQ(level2, seen);

    // One job alone reads the same.
    for (DWORD id : {5, 6, 7, 8, 9}) {
        SCOPED_TRACE(id);
        answer = RunCall(GetJobCall(lp1, id, 1), 1024);
        ASSERT_TRUE(answer.ok);
        EXPECT_EQ(level1[id - 5], JobText(*Records<JOB_INFO_1A>(answer)));
        answer = RunCall(GetJobCall(lp1, id, 2), 1024);
        ASSERT_TRUE(answer.ok);
        EXPECT_EQ(level2[id - 5], JobText(*Records<JOB_INFO_2A>(answer)));
    }
    EXPECT_TRUE(Close(lp1));
}

// The texts of a record are packed from the end of the buffer downward in
// field order, without alignment, each right below the one before.
TEST_F(QueryTest, TextsArePackedFromTheEndDownward)
{
    HANDLE lp1 = OpenOk(kLp1);
    const Answer answer = RunCall(GetJobCall(lp1, 5, 1), 200);
    ASSERT_TRUE(answer.ok);
    const JOB_INFO_1A &job = *Records<JOB_INFO_1A>(answer);
    const char *end = reinterpret_cast<const char *>(answer.bytes.data()) + answer.size;
    const char *user = "ntsecurity:ann";
    const char *document = "[5-srv1] Budget 1998.xls";
    const char *status = "Printing";
    EXPECT_EQ(end - strlen(user) - 1, job.pUserName);
    EXPECT_EQ(job.pUserName - strlen(document) - 1, job.pDocument);
    EXPECT_EQ(job.pDocument - strlen(status) - 1, job.pStatus);
    EXPECT_EQ(sizeof(JOB_INFO_1A) + strlen(user) + strlen(document) + strlen(status) + 3, answer.needed);
    EXPECT_TRUE(Close(lp1));
}

// The printer records: level 1 and 2 of a printer with every attribute, of
// one without its name attribute (649) and offline, and level 5, which
// needs nothing from the server.
TEST_F(QueryTest, PrinterRecordsAndLevelFiveWithoutServerTraffic)
{
    struct Case {
        const char *printer;
        std::string one;
        std::string two;
    } cases[] = {
        {"\\\\srv1.corp\\lp1",
         "flags=0x800000 description=\"lp1\" name=\"\\\\srv1.corp\\lp1\" comment=\"First floor laser\"",
         "server=\"\\\\srv1.corp\" printer=\"lp1\" comment=\"First floor laser\" location=\"Building A, room "
         "101\" attributes=0x1012 status=0x2000 jobs=5 ppm=12"},
        {"\\\\srv1.corp\\lp2", "flags=0x800000 description=<null> name=\"\" comment=\"Without a name\"",
         "server=\"\\\\srv1.corp\" printer=\"lp2\" comment=\"Without a name\" location=\"\" "
         "attributes=0x1012 "
         "status=0x2080 jobs=0 ppm=8"},
        {"\\\\build.NIS:eng\\plot1",
         "flags=0x800000 description=\"plot1\" name=\"\\\\build.NIS:eng\\plot1\" comment=\"Plotter\"",
         "server=\"\\\\build.NIS:eng\" printer=\"plot1\" comment=\"Plotter\" location=\"\" attributes=0x1012 "
         "status=0x2000 jobs=0 ppm=8"},
        // No server component: the cache keys it apart, and the name keeps the gap.
        {"\\\\.corp\\lp3", "flags=0x800000 description=\"lp3\" name=\"\\\\.corp\\lp3\" comment=\"\"",
         "server=\"\\\\.corp\" printer=\"lp3\" comment=\"\" location=<null> attributes=0x1012 "
         "status=0x2000 jobs=0 ppm=16"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.printer);
        HANDLE printer = OpenOk(c.printer);
        Answer answer = RunCall(GetPrinterCall(printer, 1), 1024);
        ASSERT_TRUE(answer.ok) << answer.error;
        EXPECT_EQ(0u, answer.error);
        EXPECT_EQ(c.one, PrinterText(*Records<PRINTER_INFO_1A>(answer)));
        answer = RunCall(GetPrinterCall(printer, 2), 1024);
        ASSERT_TRUE(answer.ok) << answer.error;
        EXPECT_EQ(c.two, PrinterText(*Records<PRINTER_INFO_2A>(answer)));

        SimJournalClear();
        answer = RunCall(GetPrinterCall(printer, 5), 1024);
        ASSERT_TRUE(answer.ok);
        EXPECT_EQ(sizeof(PRINTER_INFO_5A), answer.needed);
        EXPECT_EQ("printer=<null> port=<null> attributes=0x1012 timeouts=0/0",
                  PrinterText(*Records<PRINTER_INFO_5A>(answer)));
        EXPECT_EQ("", qvtest::JournalText());
        EXPECT_TRUE(Close(printer));
    }
}

// What each request asks for, in order: the requested attributes list every
// row of the level's table that names a type (248 twice for the jobs), and
// the object requests name their class and object.
TEST_F(QueryTest, EachRequestAsksForItsTablesAttributesInOrder)
{
    HANDLE lp1 = OpenOk(kLp1);
    const std::string domain = "ATTR 0 3009 DistName(Text(5,\"corp\"),NameOrOID(Id(3051)))";
    struct Case {
        LevelCall call;
        int type;
        std::vector<std::string> expected;
    } cases[] = {
        {EnumJobsCall(lp1, 1),
         DPA_REQUEST_LIST,
         {domain, "ATTR 0 244 SimpleName(5,\"lp1\")",
          "ATTR 0 1001 Id(1057) Id(134) Id(133) Id(248) Id(248) Id(241) Id(278) Id(312) Id(274) Id(271)"}},
        {EnumJobsCall(lp1, 2),
         DPA_REQUEST_LIST,
         {domain, "ATTR 0 244 SimpleName(5,\"lp1\")",
          "ATTR 0 1001 Id(1057) Id(134) Id(133) Id(248) Id(248) Id(312) Id(277) Id(271) Id(283) Id(274)"}},
        {GetJobCall(lp1, 5, 1),
         DPA_REQUEST_READ_OBJECT,
         {"INSTANCE SimpleName(5,\"srv1\") ObjId(JobId(\"5\"))", "ATTR 0 1032 Id(87)",
          "ATTR 0 1001 Id(1057) Id(134) Id(133) Id(248) Id(248) Id(241) Id(278) Id(312) Id(274) Id(271)",
          domain}},
        {GetJobCall(lp1, 0x80000000u, 2),
         DPA_REQUEST_READ_OBJECT,
         {"INSTANCE SimpleName(5,\"srv1\") ObjId(JobId(\"-2147483648\"))", "ATTR 0 1032 Id(87)",
          "ATTR 0 1001 Id(1057) Id(134) Id(133) Id(248) Id(248) Id(312) Id(277) Id(271) Id(283) Id(274)",
          domain}},
        {GetPrinterCall(lp1, 1),
         DPA_REQUEST_READ_OBJECT,
         {"INSTANCE - ObjId(SimpleName(5,\"lp1\"))", "ATTR 0 1032 Id(88)",
          "ATTR 0 1001 Id(649) Id(649) Id(105)", domain}},
        {GetPrinterCall(lp1, 2),
         DPA_REQUEST_READ_OBJECT,
         {"INSTANCE - ObjId(SimpleName(5,\"lp1\"))", "ATTR 0 1032 Id(88)",
          "ATTR 0 1001 Id(105) Id(650) Id(869) Id(3165) Id(653)", domain}},
        {GetDriverCall(lp1, 3),
         DPA_REQUEST_READ_OBJECT,
         {"INSTANCE - ObjId(SimpleName(5,\"lp1\"))", "ATTR 0 1032 Id(88)", "ATTR 0 1001 Id(3299)", domain}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.call.name);
        SimJournalClear();
        const Answer answer = RunCall(c.call, 4096);
        if (c.call.name != "GetJob level 2") {
            EXPECT_TRUE(answer.ok) << answer.error;
        }
        EXPECT_EQ(c.expected,
                  Only(RequestLines(c.type),
                       {"INSTANCE", "ATTR 0 244", "ATTR 0 1001", "ATTR 0 1032", "ATTR 0 3009"}));
        // Filters 0: no filter at all.
        EXPECT_EQ(std::vector<std::string>(), Only(RequestLines(c.type), {"FILTER", "ITEM"}));
    }
    EXPECT_TRUE(Close(lp1));
}

// "QVZ_Filters" is read at every EnumJobs: 3 asks for the caller's jobs on
// this printer (owner item, then printer item); 4 opens a filter with no
// item; a change of the value makes a new request, not a cache answer.
TEST_F(QueryTest, TheFiltersOfThePrintersKeyShapeTheListRequest)
{
    HANDLE lp1 = OpenOk(kLp1);
    struct Case {
        DWORD filters;
        std::vector<std::string> expected;
        DWORD jobs;
    } cases[] = {
        {3, {"FILTER", "ITEM 2 134 DistName(-,-)", "ITEM 2 244 SimpleName(5,\"lp1\")"}, 0},
        {4, {"FILTER"}, 5},
        {0, {}, 5},
        {1, {"FILTER", "ITEM 2 134 DistName(-,-)"}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.filters);
        SetFilters(",,srv1.corp,lp1", c.filters);
        SimJournalClear();
        const Answer answer = RunCall(EnumJobsCall(lp1, 1), 4096);
        EXPECT_TRUE(answer.ok);
        EXPECT_EQ(c.jobs, answer.returned);
        EXPECT_EQ(c.expected, Only(RequestLines(DPA_REQUEST_LIST), {"FILTER", "ITEM"}));
        // The same question again: from the cache.
        EXPECT_TRUE(RunCall(EnumJobsCall(lp1, 1), 4096).ok);
        EXPECT_EQ(1, Requests(DPA_REQUEST_LIST));
    }
    EXPECT_TRUE(Close(lp1));
}

// Bad handles, levels and pointers answer their error before any server
// traffic and leave the counts as they were; odd but valid calls answer.
TEST_F(QueryTest, RefusalsAndOddCalls)
{
    HANDLE lp1 = OpenOk(kLp1);
    HANDLE lp4 = OpenOk("\\\\srv2.corp\\lp4"); // a printer without jobs
    HANDLE server = OpenOk("\\\\srv1.corp");
    HANDLE serverless = OpenOk("\\\\.corp\\lp1");
    HANDLE closed = OpenOk(kLp1);
    EXPECT_TRUE(Close(closed));
    HANDLE foreign = const_cast<DWORD *>(&kSentinel);
    const PRINTPROVIDOR &t = provider_.table;
    BYTE buffer[512];
    DWORD needed = kSentinel;
    DWORD returned = kSentinel;
    struct Case {
        const char *what;
        std::function<BOOL()> call;
        DWORD error;
    } cases[] = {
        {"GetPrinter level 0, bad handle", [&] { return t.fpGetPrinter(foreign, 0, buffer, 512, &needed); },
         ERROR_INVALID_LEVEL},
        {"GetPrinter level 3", [&] { return t.fpGetPrinter(lp1, 3, buffer, 512, &needed); },
         ERROR_INVALID_LEVEL},
        {"GetPrinter level 4", [&] { return t.fpGetPrinter(lp1, 4, buffer, 512, &needed); },
         ERROR_INVALID_LEVEL},
        {"GetPrinter level 6", [&] { return t.fpGetPrinter(lp1, 6, buffer, 512, &needed); },
         ERROR_INVALID_LEVEL},
        {"GetPrinter null handle", [&] { return t.fpGetPrinter(nullptr, 1, buffer, 512, &needed); },
         ERROR_INVALID_HANDLE},
        {"GetPrinter closed handle", [&] { return t.fpGetPrinter(closed, 1, buffer, 512, &needed); },
         ERROR_INVALID_HANDLE},
        {"GetPrinter server handle", [&] { return t.fpGetPrinter(server, 1, buffer, 512, &needed); },
         ERROR_INVALID_HANDLE},
        {"GetPrinter null needed", [&] { return t.fpGetPrinter(lp1, 1, buffer, 512, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"EnumJobs foreign handle",
         [&] { return t.fpEnumJobs(foreign, 0, 9, 1, buffer, 512, &needed, &returned); },
         ERROR_INVALID_HANDLE},
        {"EnumJobs closed handle",
         [&] { return t.fpEnumJobs(closed, 0, 9, 1, buffer, 512, &needed, &returned); },
         ERROR_INVALID_HANDLE},
        {"EnumJobs level 0", [&] { return t.fpEnumJobs(lp1, 0, 9, 0, buffer, 512, &needed, &returned); },
         ERROR_INVALID_LEVEL},
        {"EnumJobs level 3", [&] { return t.fpEnumJobs(lp1, 0, 9, 3, buffer, 512, &needed, &returned); },
         ERROR_INVALID_LEVEL},
        {"EnumJobs null needed", [&] { return t.fpEnumJobs(lp1, 0, 9, 1, buffer, 512, nullptr, &returned); },
         ERROR_INVALID_PARAMETER},
        {"EnumJobs null returned", [&] { return t.fpEnumJobs(lp1, 0, 9, 1, buffer, 512, &needed, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"EnumJobs server handle",
         [&] { return t.fpEnumJobs(server, 0, 9, 1, buffer, 512, &needed, &returned); },
         ERROR_INVALID_HANDLE},
        {"GetJob null handle", [&] { return t.fpGetJob(nullptr, 5, 1, buffer, 512, &needed); },
         ERROR_INVALID_HANDLE},
        {"GetJob level 3", [&] { return t.fpGetJob(lp1, 5, 3, buffer, 512, &needed); }, ERROR_INVALID_LEVEL},
        {"GetJob null needed", [&] { return t.fpGetJob(lp1, 5, 1, buffer, 512, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"GetJob without a server component",
         [&] { return t.fpGetJob(serverless, 5, 1, buffer, 512, &needed); }, ERROR_INVALID_HANDLE},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SimJournalClear();
        SetLastError(kPoison);
        EXPECT_FALSE(c.call());
        EXPECT_EQ(c.error, GetLastError());
        EXPECT_EQ(kSentinel, needed);
        EXPECT_EQ(kSentinel, returned);
        EXPECT_EQ("", qvtest::JournalText());
    }

    // FirstJob and NoJobs are not read: every job comes back.
    SetLastError(kPoison);
    EXPECT_TRUE(t.fpEnumJobs(lp1, 5, 1, 1, nullptr, 0, &needed, &returned)
                || GetLastError() == ERROR_INSUFFICIENT_BUFFER);
    std::vector<BYTE> all(needed);
    EXPECT_TRUE(t.fpEnumJobs(lp1, 5, 1, 1, all.data(), needed, &needed, &returned));
    EXPECT_EQ(5u, returned);
    // A printer without jobs: nothing needed, nothing returned.
    needed = returned = kSentinel;
    EXPECT_TRUE(t.fpEnumJobs(lp4, 0, 9, 2, nullptr, 0, &needed, &returned));
    EXPECT_EQ(0u, needed);
    EXPECT_EQ(0u, returned);
    // A job the server does not know: the request's own failure.
    needed = kSentinel;
    SetLastError(kPoison);
    EXPECT_FALSE(t.fpGetJob(lp1, 99, 1, buffer, 512, &needed));
    EXPECT_NE(kPoison, GetLastError());
    EXPECT_EQ(kSentinel, needed);

    for (HANDLE printer : {lp1, lp4, server, serverless})
        EXPECT_TRUE(Close(printer));
}

// Domains of one name in two name spaces are two domains: their printers'
// results are kept apart in the cache, and printing on one drops its own
// cached job list.
TEST_F(QueryTest, DomainsOfOneNameInTwoNameSpacesKeepTheirOwnResults)
{
    HANDLE nis = OpenOk("\\\\build.NIS:eng\\plot1");
    HANDLE plain = OpenOk("\\\\build.eng\\plot1");
    SimJournalClear();
    Answer answer = RunCall(GetPrinterCall(nis, 1), 1024);
    ASSERT_TRUE(answer.ok);
    EXPECT_EQ("\"Plotter\"", Text(Records<PRINTER_INFO_1A>(answer)->pComment));
    answer = RunCall(GetPrinterCall(plain, 1), 1024);
    ASSERT_TRUE(answer.ok);
    EXPECT_EQ("\"Default plotter\"", Text(Records<PRINTER_INFO_1A>(answer)->pComment));
    EXPECT_EQ(2, Requests(DPA_REQUEST_READ_OBJECT));

    ASSERT_TRUE(RunCall(EnumJobsCall(nis, 1), 4096).ok);
    ASSERT_TRUE(RunCall(EnumJobsCall(nis, 1), 4096).ok);
    EXPECT_EQ(1, Requests(DPA_REQUEST_LIST));
    DOC_INFO_1A info = {const_cast<LPSTR>("plot"), nullptr, nullptr};
    ASSERT_NE(0u, provider_.table.fpStartDocPrinter(nis, 1, reinterpret_cast<LPBYTE>(&info)));
    ASSERT_TRUE(provider_.table.fpEndDocPrinter(nis));
    SimJournalClear();
    answer = RunCall(EnumJobsCall(nis, 1), 4096);
    ASSERT_TRUE(answer.ok);
    EXPECT_EQ(1, Requests(DPA_REQUEST_LIST));
    EXPECT_EQ(1u, answer.returned);
    EXPECT_TRUE(Close(nis));
    EXPECT_TRUE(Close(plain));
}

} // namespace
