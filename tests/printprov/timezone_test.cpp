// Submission times are local times of the server's description, written
// as UTC by the platform's own conversion: run under TZ=Asia/Tokyo, nine
// hours ahead of UTC all year (LocalFileTimeToFileTime applies the bias in
// force now, not that of the date converted, so a zone without summer time
// keeps the figures fixed).
#include "queue_fixture.h"

namespace {

class TimeZoneTest : public QueueTest { };

TEST_F(TimeZoneTest, SubmissionTimesAreWrittenAsUtc)
{
    ASSERT_EQ(0, LocalToUtc(1998, 3, 2, 9, 15, 0).wHour) << "TZ=Asia/Tokyo is not in effect";
    HANDLE lp1 = OpenOk(kLp1);
    struct Case {
        DWORD job;
        const char *submitted;
    } cases[] = {
        {5, "1998-03-02 00:15:00.000 dow1"}, // a Monday
        {7, "1998-07-01 14:30:00.000 dow3"}, // a Wednesday
        {6, "1899-12-31 15:00:00.000 dow0"}, // no submission time: back into a Sunday
        {8, "1899-12-31 15:00:00.000 dow0"}, // a submission time without a value
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.job);
        Answer answer = RunCall(GetJobCall(lp1, c.job, 1), 1024);
        ASSERT_TRUE(answer.ok);
        EXPECT_EQ(c.submitted,
                  TimeText(reinterpret_cast<const JOB_INFO_1A *>(answer.bytes.data())->Submitted));
        answer = RunCall(GetJobCall(lp1, c.job, 2), 1024);
        ASSERT_TRUE(answer.ok);
        EXPECT_EQ(c.submitted,
                  TimeText(reinterpret_cast<const JOB_INFO_2A *>(answer.bytes.data())->Submitted));
    }
    EXPECT_TRUE(Close(lp1));
}

} // namespace
