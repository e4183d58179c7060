// Throughput of a document written through qvprov's WritePrinter, beside the
// same pieces pushed straight into the client library with CC_PushDocument,
// measured in one run over the simulated network. The provider adds a handle
// check and a lock per piece and copies nothing, so the ratio should be 0.98
// or better for 64 KiB pieces; 512-byte pieces show the per-call overhead.
//
// Both documents are open at once and written slice by slice, the two paths
// taking turns (and turns at going first), so that a burst of load on a
// shared machine hits both alike; the figures are the medians over slices.
// A third path, CC_FindDocument before each push, is what the provider does
// before every piece (a plug-in may select another document of the same print
// request between two writes): it separates that call from the provider's own
// cost.
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
constexpr size_t kSlices = 64;
constexpr int kDocuments = 4; // per path and piece size; their slices are pooled

double Now()
{
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A document open through the provider's table, as the spooler drives it.
class ProviderDocument {
public:
    explicit ProviderDocument(const SpoolProvider &provider) : table_(provider.table)
    {
        DOC_INFO_1A info = {const_cast<LPSTR>("bench"), nullptr, nullptr};
        ok_ = table_.fpOpenPrinter(const_cast<LPSTR>(kPrinter), &printer_, nullptr)
            && table_.fpStartDocPrinter(printer_, 1, reinterpret_cast<LPBYTE>(&info)) != 0;
    }
    ~ProviderDocument()
    {
        table_.fpEndDocPrinter(printer_);
        table_.fpClosePrinter(printer_);
    }
    bool ok() const { return ok_; }
    bool Write(const std::vector<char> &piece, size_t pieces)
    {
        for (size_t i = 0; i < pieces; ++i) {
            DWORD written = 0;
            if (!table_.fpWritePrinter(printer_, const_cast<char *>(piece.data()),
                                       static_cast<DWORD>(piece.size()), &written))
                return false;
        }
        return true;
    }

private:
    const PRINTPROVIDOR &table_;
    HANDLE printer_ = nullptr;
    bool ok_ = false;
};

// A document of a print request made straight with the client library.
class LibraryDocument {
public:
    LibraryDocument()
    {
        QvValue name = 0, text = 0, id = 0, nameSpace = 0, domain = 0;
        DPAOpenRequest(&request_, DPA_REQUEST_PRINT, 0);
        CC_AVCreateIdentifier(request_, &id, 3051);
        CC_AVCreateNameOrOID(request_, &nameSpace, id);
        CC_AVCreateText(request_, &text, 5, "corp", 0);
        CC_AVCreateDistNameString(request_, &domain, text, nameSpace);
        CC_AVDel(request_, id);
        CC_AVDel(request_, text);
        CC_AVDel(request_, nameSpace);
        CC_SetAttributeType(request_, 0, 3009, domain, nullptr);
        CC_AVCreateSimpleName(request_, &name, 5, "lp1", 3);
        CC_SetAttributeType(request_, 0, 244, name, nullptr);
        ok_ = CC_SubmitRequest(request_) == 0 && DPAOpenDocument(request_, DPA_DOCUMENT_DEFAULT) == 0
            && CC_PushDocument(request_, "", 0, 0) == 0;
    }
    ~LibraryDocument()
    {
        CC_PushDocument(request_, "", 0, 1);
        DPACloseRequest(&request_);
    }
    bool ok() const { return ok_; }
    bool Push(const std::vector<char> &piece, size_t pieces, bool select)
    {
        for (size_t i = 0; i < pieces; ++i) {
            if (select && CC_FindDocument(request_, 1) < 0)
                return false;
            if (CC_PushDocument(request_, piece.data(), static_cast<uint32_t>(piece.size()), 0) != 0)
                return false;
        }
        return true;
    }

private:
    QvRequest request_ = 0;
    bool ok_ = false;
};

// Times for one document of each path, slice by slice; false when a push failed.
struct Samples {
    std::vector<double> provided, pushed, found, ratio, foundRatio;
};

bool MeasureDocuments(const SpoolProvider &provider, const std::vector<char> &piece, size_t pieces,
                      Samples *samples)
{
    ProviderDocument written(provider);
    LibraryDocument straight;
    LibraryDocument selected;
    if (!written.ok() || !straight.ok() || !selected.ok())
        return false;
    for (size_t slice = 0; slice < kSlices; ++slice) {
        double times[3] = {};
        for (int turn = 0; turn < 3; ++turn) {
            const int path = (turn + static_cast<int>(slice)) % 3;
            const double start = Now();
            const bool ok = path == 0 ? written.Write(piece, pieces)
                : path == 1           ? straight.Push(piece, pieces, false)
                                      : selected.Push(piece, pieces, true);
            if (!ok)
                return false;
            times[path] = Now() - start;
        }
        samples->provided.push_back(times[0]);
        samples->pushed.push_back(times[1]);
        samples->found.push_back(times[2]);
        samples->ratio.push_back(times[1] / times[0]);
        samples->foundRatio.push_back(times[2] / times[0]);
    }
    return true;
}

void Measure(const SpoolProvider &provider, size_t pieceSize, size_t totalBytes)
{
    const std::vector<char> piece(pieceSize, 'x');
    const size_t pieces = totalBytes / pieceSize / kSlices;
    Samples samples;
    for (int document = 0; document < kDocuments; ++document) {
        if (!MeasureDocuments(provider, piece, pieces, &samples)) {
            printf("  a document could not be written\n");
            return;
        }
    }
    const std::vector<double> &provided = samples.provided, &pushed = samples.pushed, &found = samples.found,
                              &ratio = samples.ratio, &foundRatio = samples.foundRatio;
    const double sliceMib = double(pieces * pieceSize) / (1024.0 * 1024.0);
    printf(
        "%6zu-byte pieces, %4zu MiB: WritePrinter %8.1f MiB/s, CC_PushDocument %8.1f MiB/s: ratio %.3f%s\n",
        pieceSize, totalBytes >> 20, sliceMib / Median(provided), sliceMib / Median(pushed), Median(ratio),
        pieceSize == 65536 ? " (goal 0.98 or better)" : "");
    printf("%30sCC_FindDocument + CC_PushDocument %8.1f MiB/s: ratio %.3f\n", "", sliceMib / Median(found),
           Median(foundRatio));
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
    printf("qvprov WritePrinter beside CC_PushDocument (%d documents of each, medians over their slices of "
           "1/%zu, the paths taking turns):\n",
           kDocuments, kSlices);
    Measure(provider, 65536, 256u << 20);
    Measure(provider, 512, 32u << 20);
    SpoolUnloadProvider(&provider);
    RegDeleteKeyA(HKEY_CURRENT_USER, kPrinterKey);
    return 0;
}
