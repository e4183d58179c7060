// EnumJobs level 2 for a printer with 1,000 jobs, measured in one run over
// the simulated network: answered by the server (a list request, its
// result walked and every job converted) and answered from the result
// cache (the result walked again from its first job and every job
// converted, no request), and the cost per converted job: a cache answer's
// cost a job less that of the same library calls made straight (the
// simulated library's share, replayed call for call beside it).
// Goals: the cache answer at least 20 times faster than the server's;
// conversion at most 2 microseconds a job.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
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
constexpr int32_t kNameSpaceNt = 3051;
constexpr int32_t kAttrDomain = 3009;
constexpr int32_t kAttrPrinterName = 244;
constexpr int32_t kAttrRequested = 1001;

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

// The library's own part of an answer from the cache, without the
// provider: the calls that answer makes for every job of the level-2
// table, in its order and with its arguments, straight on a submitted list
// request, and the rewind and walk of the result. Seconds for all jobs.
double LibraryReplay(QvRequest request)
{
    const QvContext c = request;
    auto value = [&](int32_t type) {
        QvValue v = 0;
        if (CC_FindAttributeType(request, QV_GROUP_RESULT, 0, type) == QV_STATUS_OK)
            CC_GetValueIncr(request, QV_GROUP_RESULT, &v);
        return v;
    };
    const double start = Now();
    while (CC_GetObjectInstance(request, 0, nullptr) == QV_STATUS_OK) { }
    QvValue instance = 0;
    while (CC_GetObjectInstance(request, 0, &instance) == QV_STATUS_OK) {
        char *text = nullptr;
        char *other = nullptr;
        int32_t number = 0;
        uint32_t cardinal = 0, high = 0;
        uint8_t kind = 0;
        uint16_t d, mo, y, h, mi, se;
        QvValue v = value(1057); // JobId
        CC_AVGetJobIdentifier(c, v, &text);
        CC_AVFree(c, text);
        CC_AVDel(c, v);
        v = value(134); // pUserName
        QvValue textPart = 0, namePart = 0, name = 0;
        CC_AVGetDistNameString(c, v, &textPart, &namePart);
        CC_AVGetText(c, textPart, &number, &text, &other);
        free(text);
        free(other);
        CC_AVDel(c, textPart);
        CC_AVGetNameOrOID(c, namePart, &name);
        CC_AVType(c, name);
        CC_AVGetIdentifier(c, name, &number);
        CC_AVDel(c, name);
        CC_AVDel(c, namePart);
        CC_AVDel(c, v);
        v = value(133); // pDocument
        CC_AVGetSimpleName(c, v, &kind, &text, nullptr);
        CC_AVFree(c, text);
        CC_AVDel(c, v);
        QvValue id = 0;
        CC_AVGetObjIdentification(c, instance, &id);
        CC_AVGetJobIdentifier(c, id, &text);
        CC_AVFree(c, text);
        CC_AVDel(c, id);
        for (int row = 0; row < 2; ++row) { // pStatus, Status
            v = value(248);
            CC_AVGetIdentifier(c, v, &number);
            CC_AVDel(c, v);
        }
        v = value(312);
        CC_AVGetCardinal(c, v, &cardinal);
        CC_AVDel(c, v);
        v = value(277);
        CC_AVGetCardinal64(c, v, &high, &cardinal);
        CC_AVDel(c, v);
        v = value(271);
        CC_AVGetGeneralizedTime(c, v, &d, &mo, &y, &h, &mi, &se);
        CC_AVDel(c, v);
        v = value(283);
        CC_AVGetDeltaTime(c, v, &number);
        CC_AVDel(c, v);
        v = value(274);
        CC_AVGetCardinal(c, v, &cardinal);
        CC_AVDel(c, v);
        CC_AVDel(c, instance);
    }
    return Now() - start;
}

// A list request of the benchmark's printer, as the provider makes it for
// level 2, submitted; 0 when it fails.
QvRequest SubmitJobList()
{
    const int32_t requested[] = {1057, 134, 133, 248, 248, 312, 277, 271, 283, 274};
    const int32_t syntax = QV_SYNTAX_IDENTIFIER;
    QvRequest request = 0;
    QvValue name = 0, id = 0, nameSpace = 0, text = 0, domain = 0;
    DPAOpenRequest(&request, DPA_REQUEST_LIST, 0);
    CC_AVCreateSimpleName(request, &name, 5, "bprn0", 5);
    CC_AVCreateIdentifier(request, &id, kNameSpaceNt);
    CC_AVCreateNameOrOID(request, &nameSpace, id);
    CC_AVCreateText(request, &text, 5, "corp", 0);
    CC_AVCreateDistNameString(request, &domain, text, nameSpace);
    CC_AVDel(request, id);
    CC_AVDel(request, text);
    CC_AVDel(request, nameSpace);
    CC_SetAttributeType(request, 0, kAttrDomain, domain, nullptr);
    CC_SetAttributeType(request, 0, kAttrPrinterName, name, nullptr);
    CC_SetAttributeType(request, 0, kAttrRequested, 0, &syntax);
    for (int32_t type : requested) {
        QvValue value = 0;
        CC_AVCreateIdentifier(request, &value, type);
        CC_AppendValue(request, value);
    }
    if (CC_SubmitRequest(request) != QV_STATUS_OK)
        DPACloseRequest(&request);
    return request;
}

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
    // The library's part alone, taking turns with the provider's cache answer.
    std::vector<double> replays, again;
    QvRequest request = SubmitJobList();
    if (!request) {
        printf("the list request failed\n");
        return 1;
    }
    for (int round = 0; round < kRounds; ++round) {
        replays.push_back(LibraryReplay(request));
        again.push_back(EnumJobsOnce(provider, printer, buffer));
    }
    DPACloseRequest(&request);
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
    const double cachedAgain = Median(again);
    const double library = Median(replays);
    printf("  per job from the cache  %9.3f us, %.1f calls of the simulated library a job\n",
           fromCache * 1e6 / kJobs, callsPerJob);
    printf("  the same calls alone    %9.3f us a job (the library's part, measured beside a cache answer of "
           "%.3f us)\n",
           library * 1e6 / kJobs, cachedAgain * 1e6 / kJobs);
    printf("  conversion per job      %9.3f us in the provider's own code (goal 2 or less)\n",
           (cachedAgain - library) * 1e6 / kJobs);
    return 0;
}
