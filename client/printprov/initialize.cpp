// qvprov: InitializePrintProvidor, the library's only export, and the
// provider table it hands the spooler.
#include "entries.h"

#include <string.h>

namespace {

const char kEnvironmentName[] = "Windows 4.0";

// The provider's table, slot by slot. Null slots are operations the spooler
// handles without a provider.
const PRINTPROVIDOR kProviderTable = {
    OpenPrinter,                //  0 OpenPrinter
    SetJob,                     //  1 SetJob
    GetJob,                     //  2 GetJob
    EnumJobs,                   //  3 EnumJobs
    nullptr,                    //  4 AddPrinter
    nullptr,                    //  5 DeletePrinter
    NotImplemented,             //  6 SetPrinter
    GetPrinter,                 //  7 GetPrinter
    NotImplemented,             //  8 EnumPrinters
    NotImplemented,             //  9 AddPrinterDriver
    EnumPrinterDrivers,         // 10 EnumPrinterDrivers
    GetPrinterDriver,           // 11 GetPrinterDriver
    GetPrinterDriverDirectory,  // 12 GetPrinterDriverDirectory
    NotImplemented,             // 13 DeletePrinterDriver
    NotImplemented,             // 14 AddPrintProcessor
    NotImplemented,             // 15 EnumPrintProcessors
    GetPrintProcessorDirectory, // 16 GetPrintProcessorDirectory
    NotImplemented,             // 17 DeletePrintProcessor
    NotImplemented,             // 18 EnumPrintProcessorDatatypes
    StartDocPrinter,            // 19 StartDocPrinter
    StartPagePrinter,           // 20 StartPagePrinter
    WritePrinter,               // 21 WritePrinter
    EndPagePrinter,             // 22 EndPagePrinter
    AbortPrinter,               // 23 AbortPrinter
    ReadPrinter,                // 24 ReadPrinter
    EndDocPrinter,              // 25 EndDocPrinter
    AddJob,                     // 26 AddJob
    ScheduleJob,                // 27 ScheduleJob
    NotImplemented,             // 28 GetPrinterData
    NotImplemented,             // 29 SetPrinterData
    NotImplemented,             // 30 WaitForPrinterChange
    ClosePrinter,               // 31 ClosePrinter
    nullptr,                    // 32 AddForm
    nullptr,                    // 33 DeleteForm
    nullptr,                    // 34 GetForm
    nullptr,                    // 35 SetForm
    nullptr,                    // 36 EnumForms
    NotImplemented,             // 37 EnumMonitors
    NotImplemented,             // 38 EnumPorts
    NotImplemented,             // 39 AddPort
    NotImplemented,             // 40 ConfigurePort
    NotImplemented,             // 41 DeletePort
    NotImplemented,             // 42 CreatePrinterIC
    NotImplemented,             // 43 PlayGdiScriptOnPrinterIC
    NotImplemented,             // 44 DeletePrinterIC
    NotImplemented,             // 45 AddPrinterConnection
    NotImplemented,             // 46 DeletePrinterConnection
    NotImplemented,             // 47 PrinterMessageBox
    NotImplemented,             // 48 AddMonitor
    NotImplemented,             // 49 DeleteMonitor
};

} // namespace

extern "C" BOOL WINAPI InitializePrintProvidor(LPPRINTPROVIDOR table, DWORD tableSize, LPSTR registryPath)
{
    if (!table || !registryPath || !*registryPath || tableSize < sizeof(PRINTPROVIDOR)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Exactly the 50 slots; a larger table keeps its bytes beyond them.
    memcpy(table, &kProviderTable, sizeof kProviderTable);
    CacheLoadSettings(registryPath);
    // The spooler calls from now on; the cache's monitor may run.
    CacheRunMonitor();
    if (!g_provider.environmentName) {
        g_provider.environmentName = CopyText(kEnvironmentName);
        if (!g_provider.environmentName)
            return FALSE;
    }
    return TRUE;
}
