// EnumJobs level 2 for a printer with 1,000 jobs, measured in one run over
// the simulated network: answered by the server (a list request, its
// result walked and every job converted) and answered from the result
// cache (the result walked again from its first job and every job
// converted, no request), and the cost per converted job, which is the
// cache answer's cost per job, with the number of library calls a job takes.
// Goals: the cache answer at least 20 times faster than the server's;
// conversion at most 2 microseconds a job.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "qvattr.h"
#include "qvdpa.h"
#include "qvsim.h"
#include "spoolhost.h"

namespace {

constexpr int kJobs = 1000;
constexpr int kRounds = 15; // each path runs this often, interleaved; the median counts
const char kPrinter[] = "\\\\bsrv0.corp\\bprn0";
const char kProviderKey[] = "Software\\QvprovQueueBench";
const char kPrinterKey[] = "Software\\Tamsell\\Quorvane\\CurrentVersion\\PRINTERS\\,,bsrv0.corp,bprn0";
constexpr DWORD kLongTimeout = 600000;
constexpr DWORD kNoSuchJob = 999999;

double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One printer on one server (the simulator's generate line) with 1,000 jobs.
std::string Network()
{
    std::string text = "domain 2 corp\ngenerate 1 1 prefix=b\n";
    for (int i = 0; i < kJobs; ++i)
        text += "job owner=user" + std::to_string(i % 17) + " name=\"document " + std::to_string(i)
            + ".txt\" state=pending size=" + std::to_string(1000 + i) + " pages=" + std::to_string(1 + i % 9)
            + " priority=" + std::to_string(i % 4)
            + " submitted=\"1998-03-02 09:15:00\" time=" + std::to_string(i) + "\n";
    return text;
}

// Cached job lists never expire during the run.
void WriteSettings()
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(kProviderKey) + "\\CacheTimeouts").c_str(), 0,
                        nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)
        == ERROR_SUCCESS) {
        RegSetValueExA(key, "EnumJobs", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&kLongTimeout),
                       sizeof kLongTimeout);
        RegCloseKey(key);
    }
}

void RemoveSettings()
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kProviderKey) + "\\CacheTimeouts").c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProviderKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kPrinterKey);
}

// Seconds of one EnumJobs level 2; -1 when it fails or lists another count.
double EnumJobsOnce(const SpoolProvider &provider, HANDLE printer, std::vector<BYTE> &buffer)
{
    DWORD needed = 0, returned = 0;
    const double start = Now();
    const BOOL ok = provider.table.fpEnumJobs(printer, 0, 0, 2, buffer.data(),
                                              static_cast<DWORD>(buffer.size()), &needed, &returned);
    const double seconds = Now() - start;
    return ok && returned == kJobs ? seconds : -1;
}

// Library calls the provider makes per job in one answer from the cache.
double LibraryCallsPerJob(const SpoolProvider &provider, HANDLE printer, std::vector<BYTE> &buffer)
{
    SimJournalClear();
    SimJournalCalls(1);
    EnumJobsOnce(provider, printer, buffer);
    SimJournalCalls(0);
    std::vector<char> text(SimJournalText(nullptr, 0));
    SimJournalText(text.data(), static_cast<int32_t>(text.size()));
    int calls = 0;
    for (const char *at = text.data(); (at = strstr(at, "CALL ")) != nullptr; at += 5)
        ++calls;
    SimJournalClear();
    return double(calls) / kJobs;
}

} // namespace

int main()
{
    SimReset();
    if (SimLoadNetwork(Network().c_str()) != 0) {
        printf("the network did not load\n");
        return 1;
    }
    SimJournalCalls(0);
    WriteSettings();
    SpoolProvider provider = {};
    if (SpoolLoadProvider("qvprov.dll", kProviderKey, &provider) != 0) {
        printf("qvprov.dll did not load\n");
        RemoveSettings();
        return 1;
    }
    HANDLE printer = nullptr;
    if (!provider.table.fpOpenPrinter(const_cast<LPSTR>(kPrinter), &printer, nullptr)) {
        printf("%s did not open\n", kPrinter);
        return 1;
    }
    // Every job of the printer, not only the caller's.
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kPrinterKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        const DWORD filters = 0;
        RegSetValueExA(key, "QVZ_Filters", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&filters),
                       sizeof filters);
        RegCloseKey(key);
    }
    std::vector<BYTE> buffer(4u << 20);
    std::vector<double> server, cached;
    for (int round = 0; round < kRounds; ++round) {
        // A job change drops the printer's cached lists (the cancel of a job
        // that does not exist fails, but the drop stands).
        provider.table.fpSetJob(printer, kNoSuchJob, 0, nullptr, JOB_CONTROL_CANCEL);
        server.push_back(EnumJobsOnce(provider, printer, buffer));
        cached.push_back(EnumJobsOnce(provider, printer, buffer));
    }

    const double callsPerJob = LibraryCallsPerJob(provider, printer, buffer);
    provider.table.fpClosePrinter(printer);
    SpoolUnloadProvider(&provider);
    RemoveSettings();
    if (*std::min_element(server.begin(), server.end()) < 0
        || *std::min_element(cached.begin(), cached.end()) < 0) {
        printf("EnumJobs failed\n");
        return 1;
    }
    const double fromServer = Median(server);
    const double fromCache = Median(cached);
    printf("qvprov EnumJobs level 2, %d jobs (median of %d rounds each, interleaved):\n", kJobs, kRounds);
    printf("  answered by the server  %9.3f ms\n", fromServer * 1e3);
    printf("  answered from the cache %9.3f ms: %.1f times faster (goal 20 or more)\n", fromCache * 1e3,
           fromServer / fromCache);
    printf("  conversion per job      %9.3f us (goal 2 or less), %.1f calls of the simulated library a job\n",
           fromCache * 1e6 / kJobs, callsPerJob);
    return 0;
}
