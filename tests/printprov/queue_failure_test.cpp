// A failing status at each closed-library call of EnumJobs, GetJob,
// GetPrinter and GetPrinterDriver in turn: the documented error, no crash,
// the handle still usable, and after ClosePrinter nothing left live but the
// requests the cache keeps (none once the provider is unloaded).
#include "queue_fixture.h"

#include <map>

namespace {

constexpr int32_t kFailure = -31;       // ERROR_NO_SPOOL_SPACE, used by no other path
constexpr DWORD kAnyError = 0xFFFFFFFF; // the last error is not part of the answer

enum class Op { EnumJobs1, EnumJobs2, GetJob1, GetJob2, GetPrinter1, GetPrinter2, GetDriver3 };

struct Outcome {
    BOOL ok;
    DWORD error;
    DWORD needed;
};

// Release calls are not injected: a release that fails leaks by its nature.
bool Injectable(const std::string &call)
{
    return call != "DPACloseRequest" && call != "CC_AVDel" && call != "CC_AVFree";
}

class QueueFailureTest : public QueueTest {
protected:
    Outcome RunOp(Op op, HANDLE printer)
    {
        std::vector<BYTE> buffer(16384);
        Outcome outcome = {FALSE, 0, kSentinel};
        DWORD returned = kSentinel;
        const PRINTPROVIDOR &t = provider_.table;
        const DWORD size = static_cast<DWORD>(buffer.size());
        SetLastError(kPoison);
        switch (op) {
        case Op::EnumJobs1:
        case Op::EnumJobs2:
            outcome.ok = t.fpEnumJobs(printer, 0, 0, op == Op::EnumJobs1 ? 1 : 2, buffer.data(), size,
                                      &outcome.needed, &returned);
            break;
        case Op::GetJob1:
        case Op::GetJob2:
            outcome.ok
                = t.fpGetJob(printer, 7, op == Op::GetJob1 ? 1 : 2, buffer.data(), size, &outcome.needed);
            break;
        case Op::GetPrinter1:
        case Op::GetPrinter2:
            outcome.ok = t.fpGetPrinter(printer, op == Op::GetPrinter1 ? 1 : 2, buffer.data(), size,
                                        &outcome.needed);
            break;
        case Op::GetDriver3:
            outcome.ok = t.fpGetPrinterDriver(printer, const_cast<LPSTR>("Windows 4.0"), 3, buffer.data(),
                                              size, &outcome.needed);
            break;
        }
        outcome.error = GetLastError();
        return outcome;
    }
};

// What a failure of a call answers, by where the call stands: in building
// and sending the request, in walking the result, or in converting it.
Outcome Expected(Op op, const std::string &call, bool afterRequest)
{
    const bool printer = op == Op::GetPrinter1 || op == Op::GetPrinter2;
    const bool driver = op == Op::GetDriver3;
    if (call == "I18N_GetDPALocaleFromLCID") // the request goes without a locale
        return {TRUE, printer ? 0u : kAnyError, 0};
    if (!afterRequest)
        return {FALSE, printer ? DWORD(ERROR_INVALID_FUNCTION) : DWORD(ERROR_NO_SPOOL_SPACE), 0};
    if (driver)
        return {FALSE, ERROR_FILE_NOT_FOUND, 0};
    if (call == "CC_GetObjectInstance")
        return {FALSE, printer ? DWORD(ERROR_INVALID_FUNCTION) : DWORD(ERROR_REM_NOT_LIST), 0};
    // A field that cannot be read is left empty; the answer stands.
    return {TRUE, printer ? 0u : DWORD(ERROR_NO_SPOOL_SPACE), 0};
}

TEST_F(QueueFailureTest, AFailureAtEachLibraryCallGivesTheDocumentedError)
{
    const struct {
        Op op;
        const char *name;
    } ops[] = {
        {Op::EnumJobs1, "EnumJobs 1"},
        {Op::EnumJobs2, "EnumJobs 2"},
        {Op::GetJob1, "GetJob 1"},
        {Op::GetJob2, "GetJob 2"},
        {Op::GetPrinter1, "GetPrinter 1"},
        {Op::GetPrinter2, "GetPrinter 2"},
        {Op::GetDriver3, "GetPrinterDriver 3"},
    };
    for (const auto &o : ops) {
        SCOPED_TRACE(o.name);
        // The calls of a clean run with an empty cache, in order.
        Reload();
        HANDLE printer = OpenOk(kLp1);
        SimJournalClear();
        ASSERT_TRUE(RunOp(o.op, printer).ok);
        struct Call {
            std::string name;
            int nth;
            bool afterRequest;
        };
        std::vector<Call> calls;
        std::map<std::string, int> seen;
        bool afterRequest = false;
        for (const std::string &line : JournalLines()) {
            if (line.compare(0, 8, "REQUEST ") == 0)
                afterRequest = true;
            if (line.compare(0, 5, "CALL ") != 0)
                continue;
            const std::string name = line.substr(5, line.find('(') - 5);
            const int nth = ++seen[name];
            if (Injectable(name))
                calls.push_back({name, nth, afterRequest && name != "CC_SubmitRequest"});
        }
        ASSERT_TRUE(Close(printer));
        ASSERT_LT(10u, calls.size());

        for (const Call &call : calls) {
            SCOPED_TRACE(call.name + " #" + std::to_string(call.nth));
            Reload();
            printer = OpenOk(kLp1);
            SimInjectStatus(call.name.c_str(), call.nth, kFailure);
            const Outcome outcome = RunOp(o.op, printer);
            SimClearInjections();
            const Outcome expected = Expected(o.op, call.name, call.afterRequest);
            EXPECT_EQ(expected.ok, outcome.ok);
            if (expected.error != kAnyError) {
                EXPECT_EQ(expected.error, outcome.error);
            }
            if (o.op == Op::GetPrinter1 || o.op == Op::GetPrinter2) {
                if (!expected.ok) {
                    EXPECT_EQ(0u, outcome.needed);
                }
            } else if (!expected.ok) {
                EXPECT_EQ(kSentinel, outcome.needed);
            }
            // The handle answers at once.
            EXPECT_TRUE(RunOp(o.op, printer).ok);
            EXPECT_TRUE(Close(printer));
            EXPECT_EQ(SimLiveObjects("request"), SimLiveObjects(nullptr)) << LeakReport();
            UnloadProvider();
            EXPECT_EQ(0, SimLiveObjects(nullptr)) << LeakReport();
            EXPECT_EQ(0, SimOwnershipFaults()) << LeakReport();
            LoadProvider();
        }
    }
}

// A filter that cannot be made leaves the list unfiltered and the last
// error set; the query itself succeeds.
TEST_F(QueueFailureTest, AFailingFilterSetsTheErrorButTheListStands)
{
    for (const char *call : {"CC_OpenFilter", "CC_SetFilterItem", "CC_GetValueIncr"}) {
        SCOPED_TRACE(call);
        Reload();
        HANDLE printer = OpenOk(kLp1);
        SetFilters(",,srv1.corp,lp1", 2);
        SimJournalClear();
        SimInjectStatus(call, 1, kFailure);
        const Outcome outcome = RunOp(Op::EnumJobs1, printer);
        SimClearInjections();
        EXPECT_TRUE(outcome.ok);
        EXPECT_EQ(static_cast<DWORD>(ERROR_NO_SPOOL_SPACE), outcome.error);
        EXPECT_EQ(1, Requests(DPA_REQUEST_LIST));
        EXPECT_TRUE(Close(printer));
    }
}

} // namespace
