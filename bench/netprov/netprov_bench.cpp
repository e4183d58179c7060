/*
 * Records per second of qvnetprov's level 4 listing (a domain's printers,
 * then its servers) over a simulated domain of 10,000 printers on 500
 * servers, read with a 4 KiB buffer as the router reads. Also level 5 (one
 * server's printers out of the same domain: every call scans the domain's
 * whole object list). Prints figures; checks nothing against a time limit.
 */
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "routerhost.h"
#include "qvsim.h"

namespace {

const int kPrinters = 10000;
const int kServers = 500;
const DWORD kBufferSize = 4096;
const int kPasses = 20;
const char kProvider[] = "Quorvane Network";

struct Entries {
    PF_NPOpenEnum95 open;
    PF_NPEnumResource95 enumResource;
    PF_NPCloseEnum95 close;
};

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Reads one container to its end; returns records, or -1 on a failure.
long ReadContainer(const Entries &np, const char *remote, long *calls)
{
    NETRESOURCEA container = {};
    container.lpProvider = const_cast<char *>(kProvider);
    container.lpRemoteName = const_cast<char *>(remote);
    HANDLE h = nullptr;
    if (np.open(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, &container, &h) != WN_SUCCESS)
        return -1;
    static std::vector<BYTE> buffer(kBufferSize);
    long records = 0;
    for (;;) {
        DWORD count = 0xFFFFFFFF, freeBytes = 0;
        DWORD status = np.enumResource(h, &count, buffer.data(), kBufferSize, &freeBytes);
        ++*calls;
        if (status == WN_NO_MORE_ENTRIES)
            break;
        if (status != WN_SUCCESS) {
            np.close(h);
            return -1;
        }
        records += long(count);
    }
    np.close(h);
    return records;
}

void Measure(const Entries &np, const char *label, const char *remote, long expected)
{
    long records = 0, calls = 0;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int pass = 0; pass < kPasses; ++pass) {
        long n = ReadContainer(np, remote, &calls);
        if (n != expected) {
            printf("%s: pass %d returned %ld records, expected %ld\n", label, pass, n, expected);
            return;
        }
        records += n;
    }
    QueryPerformanceCounter(&end);
    double seconds = Seconds(start, end);
    printf("%-44s %8ld records in %7.3f s  %10.0f records/s  %6.1f records/call  %5ld calls/pass\n", label,
           records, seconds, records / seconds, double(records) / calls, calls / kPasses);
}

} // namespace

int main()
{
    std::string description = "kinds 0 1 2\ndomain 2 bench\ngenerate " + std::to_string(kPrinters) + " "
        + std::to_string(kServers) + " prefix=b\n";
    if (SimLoadNetwork(description.c_str()) != 0) {
        printf("the simulated network could not be loaded\n");
        return 1;
    }
    RouterSetProviderName(kProvider);
    HMODULE module = LoadLibraryA("qvnetprov.dll");
    if (module == nullptr) {
        printf("qvnetprov.dll could not be loaded\n");
        return 1;
    }
    Entries np = {
        reinterpret_cast<PF_NPOpenEnum95>(GetProcAddress(module, MAKEINTRESOURCEA(NP_ORDINAL_OPENENUM))),
        reinterpret_cast<PF_NPEnumResource95>(
            GetProcAddress(module, MAKEINTRESOURCEA(NP_ORDINAL_ENUMRESOURCE))),
        reinterpret_cast<PF_NPCloseEnum95>(GetProcAddress(module, MAKEINTRESOURCEA(NP_ORDINAL_CLOSEENUM))),
    };

    printf("qvnetprov level 4/5 listing: %d printers on %d servers, %lu-byte buffer, %d passes\n", kPrinters,
           kServers, (unsigned long)kBufferSize, kPasses);
    // The simulator's call journal costs more than the provider; the first
    // figures leave it out, the last shows the cost with it.
    SimJournalCalls(0);
    Measure(np, "level 4 (printers, then server containers)", "~Aa.bench", kPrinters + kServers);
    Measure(np, "level 5 (printers of one server)", "~Aabsrv7.bench", kPrinters / kServers);
    SimJournalCalls(1);
    Measure(np, "level 4, simulator journal on", "~Aa.bench", kPrinters + kServers);

    // The same domain on one server: the cost of the linear search for
    // distinct server names is the difference to the first figure.
    std::string oneServer
        = "kinds 0 1 2\ndomain 2 bench\ngenerate " + std::to_string(kPrinters) + " 1 prefix=b\n";
    if (SimLoadNetwork(oneServer.c_str()) == 0) {
        SimJournalCalls(0);
        Measure(np, "level 4, the same printers on one server", "~Aa.bench", kPrinters + 1);
        SimJournalCalls(1);
    }

    FreeLibrary(module);
    printf("live name-service objects after the runs: %d, ownership faults: %d\n", SimLiveObjects(nullptr),
           SimOwnershipFaults());
    return 0;
}
