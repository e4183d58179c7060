/*
 * Records per second of qvnetprov's level 4 listing (a domain's printers,
 * then its servers) over simulated domains of 10,000 printers on 500 and on
 * 5,000 servers, and on one server, read with a 4 KiB buffer as the router
 * reads. Also level 5 (one server's printers out of the same domain, which
 * the listing finds by reading the domain's object list once), in objects
 * read per second, for 10,000 and 100,000 printers. Prints figures; checks
 * nothing against a time limit.
 */
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "routerhost.h"
#include "qvsim.h"

namespace {

const int kPrinters = 10000;
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

// Reads remote kPasses times; prints records per second, and, when scanned
// is given, the domain objects read per second to find them.
void Measure(const Entries &np, const std::string &label, const char *remote, long expected, long scanned = 0)
{
    long records = 0, calls = 0;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int pass = 0; pass < kPasses; ++pass) {
        long n = ReadContainer(np, remote, &calls);
        if (n != expected) {
            printf("%s: pass %d returned %ld records, expected %ld\n", label.c_str(), pass, n, expected);
            return;
        }
        records += n;
    }
    QueryPerformanceCounter(&end);
    double seconds = Seconds(start, end);
    printf("%-52s %8ld records in %7.3f s  %10.0f records/s  %6.1f records/call", label.c_str(), records,
           seconds, records / seconds, double(records) / calls);
    if (scanned > 0)
        printf("  %10.0f objects read/s", scanned * kPasses / seconds);
    printf("\n");
}

bool LoadDomain(int printers, int servers)
{
    std::string description = "kinds 0 1 2\ndomain 2 bench\ngenerate " + std::to_string(printers) + " "
        + std::to_string(servers) + " prefix=b\n";
    return SimLoadNetwork(description.c_str()) == 0;
}

} // namespace

int main()
{
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

    printf("qvnetprov level 4/5 listing: %lu-byte buffer, %d passes each\n", (unsigned long)kBufferSize,
           kPasses);
    // The simulator's call journal costs more than the provider; the figures
    // leave it out but for the one line that shows its cost.
    SimJournalCalls(0);
    for (int servers : {1, 500, 5000}) {
        if (!LoadDomain(kPrinters, servers)) {
            printf("the simulated network could not be loaded\n");
            return 1;
        }
        Measure(np,
                "level 4, " + std::to_string(kPrinters) + " printers on " + std::to_string(servers)
                    + " servers",
                "~Aa.bench", kPrinters + servers);
    }
    // Level 5 reads the whole domain to find one server's printers: linear in
    // the domain's size, so objects read per second stay level as it grows.
    for (int printers : {kPrinters, 10 * kPrinters}) {
        LoadDomain(printers, 500);
        Measure(np, "level 5, one server of 500, " + std::to_string(printers) + " printers", "~Aabsrv7.bench",
                printers / 500, printers);
    }
    LoadDomain(kPrinters, 500);
    SimJournalCalls(1);
    Measure(np, "level 4, 500 servers, simulator journal on", "~Aa.bench", kPrinters + 500);

    FreeLibrary(module);
    printf("live name-service objects after the runs: %d, ownership faults: %d\n", SimLiveObjects(nullptr),
           SimOwnershipFaults());
    return 0;
}
