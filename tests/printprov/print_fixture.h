// Shared fixture of the printing tests: the provider loaded as the spooler
// loads it, over a network of the tests' own whose servers start with no
// jobs, so that every job on them is one these tests made.
#pragma once

#include "fixture.h"

#include <string>
#include <vector>

extern const char kPrintNetwork[];

// Job states of the simulated servers, and how long a finished job takes
// to complete there (simulated time).
constexpr int32_t kJobPending = 251;
constexpr int32_t kJobCompleted = 259;
constexpr int32_t kNoSuchJob = -30;
constexpr uint32_t kJobLifetime = 10000;

class PrintTest : public ProviderTest {
protected:
    void SetUp() override;

    DWORD StartDoc(HANDLE printer, const char *documentName);
    BOOL Write(HANDLE printer, const std::string &data, DWORD *written);
    BOOL EndPage(HANDLE printer);
    BOOL EndDoc(HANDLE printer);
    BOOL Abort(HANDLE printer);
};

// Jobs on the network's servers that are neither finished nor cancelled,
// after the servers' clock has moved on far enough for every finished job to
// complete.
std::vector<std::string> UnfinishedJobs();

// The attribute and instance lines of the n-th (0-based) submitted request
// of a type, each without its leading blanks; empty when there is none.
std::vector<std::string> RequestBody(const std::vector<std::string> &journal, int type, int nth = 0);
// Index of the n-th submitted request of a type in the journal; -1 if none.
int FindRequest(const std::vector<std::string> &journal, int type, int nth = 0);
