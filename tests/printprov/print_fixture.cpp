#include "print_fixture.h"

const char kPrintNetwork[] = "user qvuser\n"
                             "kinds 0 1 2\n"
                             "domain 2 corp\n"
                             "server srv1\n"
                             "server srv2\n"
                             "printer lp1 srv1\n"
                             "printer lp2 srv1\n"
                             "printer lp3 srv2\n"
                             "printer lp4 srv2\n"
                             "domain 0 eng\n"
                             "server build\n"
                             "printer plot1 build\n"
                             "domain 1 research\n"
                             "server lab\n"
                             "printer proof lab\n";

namespace {
const char *const kServers[] = {"srv1", "srv2", "build", "lab"};
// More jobs than any test makes on one server.
constexpr int kMaxJobsPerServer = 2000;
} // namespace

void PrintTest::SetUp()
{
    ProviderTest::SetUp();
    ASSERT_EQ(0, SimLoadNetwork(kPrintNetwork));
    LoadProvider();
}

DWORD PrintTest::StartDoc(HANDLE printer, const char *documentName)
{
    DOC_INFO_1A info = {const_cast<LPSTR>(documentName), nullptr, nullptr};
    return provider_.table.fpStartDocPrinter(printer, 1, reinterpret_cast<LPBYTE>(&info));
}

BOOL PrintTest::Write(HANDLE printer, const std::string &data, DWORD *written)
{
    return provider_.table.fpWritePrinter(printer, const_cast<char *>(data.data()),
                                          static_cast<DWORD>(data.size()), written);
}

BOOL PrintTest::EndPage(HANDLE printer)
{
    return provider_.table.fpEndPagePrinter(printer);
}

BOOL PrintTest::EndDoc(HANDLE printer)
{
    return provider_.table.fpEndDocPrinter(printer);
}

BOOL PrintTest::Abort(HANDLE printer)
{
    return provider_.table.fpAbortPrinter(printer);
}

std::vector<std::string> UnfinishedJobs()
{
    SimAdvanceClock(kJobLifetime);
    std::vector<std::string> unfinished;
    for (const char *server : kServers) {
        for (int number = 1; number <= kMaxJobsPerServer; ++number) {
            const std::string id = std::to_string(number) + "-" + server;
            const int32_t state = SimJobState(id.c_str());
            if (state != kNoSuchJob && state != kJobCompleted)
                unfinished.push_back(id + " state " + std::to_string(state));
        }
    }
    return unfinished;
}

int FindRequest(const std::vector<std::string> &journal, int type, int nth)
{
    const std::string mark = " type=" + std::to_string(type) + " ";
    for (size_t i = 0; i < journal.size(); ++i) {
        if (journal[i].compare(0, 8, "REQUEST ") == 0 && journal[i].find(mark) != std::string::npos
            && nth-- == 0)
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<std::string> RequestBody(const std::vector<std::string> &journal, int type, int nth)
{
    std::vector<std::string> body;
    int at = FindRequest(journal, type, nth);
    if (at < 0)
        return body;
    for (size_t i = at + 1; i < journal.size() && journal[i].compare(0, 2, "  ") == 0; ++i) {
        const std::string line = journal[i].substr(journal[i].find_first_not_of(' '));
        if (line.compare(0, 5, "ATTR ") == 0 || line.compare(0, 9, "INSTANCE ") == 0)
            body.push_back(line);
    }
    return body;
}
