// Throughput of a document written through qvprov's WritePrinter, beside the
// same pieces pushed straight into the client library with CC_PushDocument,
// measured in one run over the simulated network. The provider adds a handle
// check and a lock per piece and copies nothing, so the ratio should be 0.98
// or better for 64 KiB pieces; 512-byte pieces show the per-call overhead.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "qvattr.h"
#include "qvcore.h"
#include "qvdpa.h"
#include "qvsim.h"
#include "spoolhost.h"

namespace {

const char kNetwork[] = "domain 2 corp\nserver srv1\nprinter lp1 srv1\n";
const char kPrinter[] = "\\\\srv1.corp\\lp1";
const char kProviderKey[] = "Software\\QvprovBench";
const char kPrinterKey[] = "Software\\Tamsell\\Quorvane\\CurrentVersion\\PRINTERS\\,,srv1.corp,lp1";
constexpr int kRounds = 7; // each path runs this often, interleaved; the best round counts

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

// Through the provider's table, as the spooler calls it: seconds for the pieces.
double ThroughProvider(const SpoolProvider &provider, const std::vector<char> &piece, size_t pieces)
{
    HANDLE printer = nullptr;
    if (!provider.table.fpOpenPrinter(const_cast<LPSTR>(kPrinter), &printer, nullptr))
        return -1;
    DOC_INFO_1A info = {const_cast<LPSTR>("bench"), nullptr, nullptr};
    if (!provider.table.fpStartDocPrinter(printer, 1, reinterpret_cast<LPBYTE>(&info)))
        return -1;
    const LARGE_INTEGER start = Now();
    for (size_t i = 0; i < pieces; ++i) {
        DWORD written = 0;
        if (!provider.table.fpWritePrinter(printer, const_cast<char *>(piece.data()),
                                           static_cast<DWORD>(piece.size()), &written))
            return -1;
    }
    const double seconds = Seconds(start, Now());
    provider.table.fpEndDocPrinter(printer);
    provider.table.fpClosePrinter(printer);
    return seconds;
}

// Straight into the library: a print request of the same printer, one
// document; with select, each push is preceded by the CC_FindDocument that
// the provider makes before every push (a plug-in may select another
// document of the same print request between two writes).
double Straight(const std::vector<char> &piece, size_t pieces, bool select)
{
    QvRequest request = 0;
    QvValue name = 0, text = 0, id = 0, nameSpace = 0, domain = 0;
    DPAOpenRequest(&request, DPA_REQUEST_PRINT, 0);
    CC_AVCreateIdentifier(request, &id, 3051);
    CC_AVCreateNameOrOID(request, &nameSpace, id);
    CC_AVCreateText(request, &text, 5, "corp", 0);
    CC_AVCreateDistNameString(request, &domain, text, nameSpace);
    CC_AVDel(request, id);
    CC_AVDel(request, text);
    CC_AVDel(request, nameSpace);
    CC_SetAttributeType(request, 0, 3009, domain, nullptr);
    CC_AVCreateSimpleName(request, &name, 5, "lp1", 3);
    CC_SetAttributeType(request, 0, 244, name, nullptr);
    if (CC_SubmitRequest(request) != 0 || DPAOpenDocument(request, DPA_DOCUMENT_DEFAULT) != 0
        || CC_PushDocument(request, "", 0, 0) != 0)
        return -1;
    const LARGE_INTEGER start = Now();
    for (size_t i = 0; i < pieces; ++i) {
        if (select && CC_FindDocument(request, 1) < 0)
            return -1;
        if (CC_PushDocument(request, piece.data(), static_cast<uint32_t>(piece.size()), 0) != 0)
            return -1;
    }
    const double seconds = Seconds(start, Now());
    CC_PushDocument(request, "", 0, 1);
    DPACloseRequest(&request);
    return seconds;
}

void Measure(const SpoolProvider &provider, size_t pieceSize, size_t totalBytes)
{
    const std::vector<char> piece(pieceSize, 'x');
    const size_t pieces = totalBytes / pieceSize;
    double provided = 1e30;
    double straight = 1e30;
    double selected = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        const double s = Straight(piece, pieces, false);
        const double p = ThroughProvider(provider, piece, pieces);
        const double f = Straight(piece, pieces, true);
        if (s < 0 || p < 0 || f < 0) {
            printf("  a push failed\n");
            return;
        }
        straight = std::min(straight, s);
        provided = std::min(provided, p);
        selected = std::min(selected, f);
    }
    const double mib = double(totalBytes) / (1024.0 * 1024.0);
    printf("%6zu-byte pieces, %4.0f MiB: WritePrinter %8.1f MiB/s, CC_PushDocument %8.1f MiB/s: "
           "ratio %.3f%s\n",
           pieceSize, mib, mib / provided, mib / straight, straight / provided,
           pieceSize == 65536 ? " (goal 0.98 or better)" : "");
    printf("%30sCC_FindDocument + CC_PushDocument %8.1f MiB/s: ratio %.3f\n", "", mib / selected,
           selected / provided);
}

} // namespace

int main()
{
    SimReset();
    if (SimLoadNetwork(kNetwork) != 0)
        return 1;
    SimJournalCalls(0);
    SpoolProvider provider = {};
    if (SpoolLoadProvider("qvprov.dll", kProviderKey, &provider) != 0) {
        printf("qvprov.dll did not load\n");
        return 1;
    }
    printf("qvprov WritePrinter beside CC_PushDocument (best of %d rounds each, interleaved):\n", kRounds);
    Measure(provider, 65536, 256u << 20);
    Measure(provider, 512, 32u << 20);
    SpoolUnloadProvider(&provider);
    RegDeleteKeyA(HKEY_CURRENT_USER, kPrinterKey);
    return 0;
}
