/*
 * The Windows 95 spooler's print-provider interface, as the spooler sees it.
 *
 * A print provider DLL exports InitializePrintProvidor; the spooler passes it
 * a PRINTPROVIDOR table of 50 entry pointers (200 bytes) that the provider
 * fills. No header of this platform declares the Windows 95 layout (the NT
 * table of winsplp.h differs), so it is declared here. Every entry is stdcall
 * and takes ANSI texts; each must pop exactly its own argument list.
 */
#ifndef QV_PRINTPROVIDOR_H
#define QV_PRINTPROVIDOR_H

#include <windows.h>
#include <winspool.h>
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Slot types, in table order. */
typedef BOOL(WINAPI *PFN_OpenPrinter)(LPSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSA pDefault);
typedef BOOL(WINAPI *PFN_SetJob)(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE pJob, DWORD Command);
typedef BOOL(WINAPI *PFN_GetJob)(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE pJob, DWORD cbBuf,
                                 LPDWORD pcbNeeded);
typedef BOOL(WINAPI *PFN_EnumJobs)(HANDLE hPrinter, DWORD FirstJob, DWORD NoJobs, DWORD Level, LPBYTE pJob,
                                   DWORD cbBuf, LPDWORD pcbNeeded, LPDWORD pcReturned);
typedef HANDLE(WINAPI *PFN_AddPrinter)(LPSTR pName, DWORD Level, LPBYTE pPrinter);
typedef BOOL(WINAPI *PFN_DeletePrinter)(HANDLE hPrinter);
typedef BOOL(WINAPI *PFN_SetPrinter)(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD Command);
typedef BOOL(WINAPI *PFN_GetPrinter)(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf,
                                     LPDWORD pcbNeeded);
typedef BOOL(WINAPI *PFN_EnumPrinters)(DWORD Flags, LPSTR Name, DWORD Level, LPBYTE pPrinterEnum, DWORD cbBuf,
                                       LPDWORD pcbNeeded, LPDWORD pcReturned);
typedef BOOL(WINAPI *PFN_AddPrinterDriver)(LPSTR pName, DWORD Level, LPBYTE pDriverInfo);
typedef BOOL(WINAPI *PFN_EnumPrinterDrivers)(LPSTR pName, LPSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo,
                                             DWORD cbBuf, LPDWORD pcbNeeded, LPDWORD pcReturned);
typedef BOOL(WINAPI *PFN_GetPrinterDriver)(HANDLE hPrinter, LPSTR pEnvironment, DWORD Level,
                                           LPBYTE pDriverInfo, DWORD cbBuf, LPDWORD pcbNeeded);
typedef BOOL(WINAPI *PFN_GetPrinterDriverDirectory)(LPSTR pName, LPSTR pEnvironment, DWORD Level,
                                                    LPBYTE pDriverDirectory, DWORD cbBuf, LPDWORD pcbNeeded);
typedef BOOL(WINAPI *PFN_DeletePrinterDriver)(LPSTR pName, LPSTR pEnvironment, LPSTR pDriverName);
typedef BOOL(WINAPI *PFN_AddPrintProcessor)(LPSTR pName, LPSTR pEnvironment, LPSTR pPathName,
                                            LPSTR pPrintProcessorName);
typedef BOOL(WINAPI *PFN_EnumPrintProcessors)(LPSTR pName, LPSTR pEnvironment, DWORD Level,
                                              LPBYTE pPrintProcessorInfo, DWORD cbBuf, LPDWORD pcbNeeded,
                                              LPDWORD pcReturned);
typedef BOOL(WINAPI *PFN_GetPrintProcessorDirectory)(LPSTR pName, LPSTR pEnvironment, DWORD Level,
                                                     LPBYTE pPrintProcessorInfo, DWORD cbBuf,
                                                     LPDWORD pcbNeeded);
typedef BOOL(WINAPI *PFN_DeletePrintProcessor)(LPSTR pName, LPSTR pEnvironment, LPSTR pPrintProcessorName);
typedef BOOL(WINAPI *PFN_EnumPrintProcessorDatatypes)(LPSTR pName, LPSTR pPrintProcessorName, DWORD Level,
                                                      LPBYTE pDatatypes, DWORD cbBuf, LPDWORD pcbNeeded,
                                                      LPDWORD pcReturned);
typedef DWORD(WINAPI *PFN_StartDocPrinter)(HANDLE hPrinter, DWORD Level, LPBYTE pDocInfo);
typedef BOOL(WINAPI *PFN_StartPagePrinter)(HANDLE hPrinter);
typedef BOOL(WINAPI *PFN_WritePrinter)(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten);
typedef BOOL(WINAPI *PFN_EndPagePrinter)(HANDLE hPrinter);
typedef BOOL(WINAPI *PFN_AbortPrinter)(HANDLE hPrinter);
typedef BOOL(WINAPI *PFN_ReadPrinter)(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pNoBytesRead);
typedef BOOL(WINAPI *PFN_EndDocPrinter)(HANDLE hPrinter);
typedef BOOL(WINAPI *PFN_AddJob)(HANDLE hPrinter, DWORD Level, LPBYTE pData, DWORD cbBuf, LPDWORD pcbNeeded);
typedef BOOL(WINAPI *PFN_ScheduleJob)(HANDLE hPrinter, DWORD JobId);
typedef DWORD(WINAPI *PFN_GetPrinterData)(HANDLE hPrinter, LPSTR pValueName, LPDWORD pType, LPBYTE pData,
                                          DWORD nSize, LPDWORD pcbNeeded);
typedef DWORD(WINAPI *PFN_SetPrinterData)(HANDLE hPrinter, LPSTR pValueName, DWORD Type, LPBYTE pData,
                                          DWORD cbData);
typedef DWORD(WINAPI *PFN_WaitForPrinterChange)(HANDLE hPrinter, DWORD Flags);
typedef BOOL(WINAPI *PFN_ClosePrinter)(HANDLE hPrinter);
typedef BOOL(WINAPI *PFN_AddForm)(HANDLE hPrinter, DWORD Level, LPBYTE pForm);
typedef BOOL(WINAPI *PFN_DeleteForm)(HANDLE hPrinter, LPSTR pFormName);
typedef BOOL(WINAPI *PFN_GetForm)(HANDLE hPrinter, LPSTR pFormName, DWORD Level, LPBYTE pForm, DWORD cbBuf,
                                  LPDWORD pcbNeeded);
typedef BOOL(WINAPI *PFN_SetForm)(HANDLE hPrinter, LPSTR pFormName, DWORD Level, LPBYTE pForm);
typedef BOOL(WINAPI *PFN_EnumForms)(HANDLE hPrinter, DWORD Level, LPBYTE pForm, DWORD cbBuf,
                                    LPDWORD pcbNeeded, LPDWORD pcReturned);
typedef BOOL(WINAPI *PFN_EnumMonitors)(LPSTR pName, DWORD Level, LPBYTE pMonitors, DWORD cbBuf,
                                       LPDWORD pcbNeeded, LPDWORD pcReturned);
typedef BOOL(WINAPI *PFN_EnumPorts)(LPSTR pName, DWORD Level, LPBYTE pPorts, DWORD cbBuf, LPDWORD pcbNeeded,
                                    LPDWORD pcReturned);
typedef BOOL(WINAPI *PFN_AddPort)(LPSTR pName, HWND hWnd, LPSTR pMonitorName);
typedef BOOL(WINAPI *PFN_ConfigurePort)(LPSTR pName, HWND hWnd, LPSTR pPortName);
typedef BOOL(WINAPI *PFN_DeletePort)(LPSTR pName, HWND hWnd, LPSTR pPortName);
typedef HANDLE(WINAPI *PFN_CreatePrinterIC)(HANDLE hPrinter, LPDEVMODEA pDevMode);
typedef BOOL(WINAPI *PFN_PlayGdiScriptOnPrinterIC)(HANDLE hPrinterIC, LPBYTE pIn, DWORD cIn, LPBYTE pOut,
                                                   DWORD cOut, DWORD ul);
typedef BOOL(WINAPI *PFN_DeletePrinterIC)(HANDLE hPrinterIC);
typedef BOOL(WINAPI *PFN_AddPrinterConnection)(LPSTR pName);
typedef BOOL(WINAPI *PFN_DeletePrinterConnection)(LPSTR pName);
typedef DWORD(WINAPI *PFN_PrinterMessageBox)(HANDLE hPrinter, DWORD Error, HWND hWnd, LPSTR pText,
                                             LPSTR pCaption, DWORD dwType);
typedef BOOL(WINAPI *PFN_AddMonitor)(LPSTR pName, DWORD Level, LPBYTE pMonitorInfo);
typedef BOOL(WINAPI *PFN_DeleteMonitor)(LPSTR pName, LPSTR pEnvironment, LPSTR pMonitorName);

/* X(slot, name): the 50 slots in table order. */
#define QV_PRINTPROVIDOR_SLOTS(X)                                                                            \
    X(0, OpenPrinter)                                                                                        \
    X(1, SetJob) X(2, GetJob) X(3, EnumJobs) X(4, AddPrinter) X(5, DeletePrinter) X(6, SetPrinter)           \
        X(7, GetPrinter) X(8, EnumPrinters) X(9, AddPrinterDriver) X(10, EnumPrinterDrivers)                 \
            X(11, GetPrinterDriver) X(12, GetPrinterDriverDirectory) X(13, DeletePrinterDriver)              \
                X(14, AddPrintProcessor) X(15, EnumPrintProcessors) X(16, GetPrintProcessorDirectory)        \
                    X(17, DeletePrintProcessor) X(18, EnumPrintProcessorDatatypes) X(19, StartDocPrinter)    \
                        X(20, StartPagePrinter) X(21, WritePrinter) X(22, EndPagePrinter)                    \
                            X(23, AbortPrinter) X(24, ReadPrinter) X(25, EndDocPrinter) X(26, AddJob)        \
                                X(27, ScheduleJob) X(28, GetPrinterData) X(29, SetPrinterData)               \
                                    X(30, WaitForPrinterChange) X(31, ClosePrinter) X(32, AddForm)           \
                                        X(33, DeleteForm) X(34, GetForm) X(35, SetForm) X(36, EnumForms)     \
                                            X(37, EnumMonitors) X(38, EnumPorts) X(39, AddPort)              \
                                                X(40, ConfigurePort) X(41, DeletePort)                       \
                                                    X(42, CreatePrinterIC) X(43, PlayGdiScriptOnPrinterIC)   \
                                                        X(44, DeletePrinterIC) X(45, AddPrinterConnection)   \
                                                            X(46, DeletePrinterConnection)                   \
                                                                X(47, PrinterMessageBox) X(48, AddMonitor)   \
                                                                    X(49, DeleteMonitor)

typedef struct _PRINTPROVIDOR {
#define QV_PRINTPROVIDOR_FIELD(slot, name) PFN_##name fp##name;
    QV_PRINTPROVIDOR_SLOTS(QV_PRINTPROVIDOR_FIELD)
#undef QV_PRINTPROVIDOR_FIELD
} PRINTPROVIDOR, *LPPRINTPROVIDOR;

#define PRINTPROVIDOR_SLOT_COUNT 50

/* The provider's one export: fills the table, returns TRUE or FALSE with the last error set. */
typedef BOOL(WINAPI *PFN_InitializePrintProvidor)(LPPRINTPROVIDOR pPrintProvidor, DWORD cbPrintProvidor,
                                                  LPSTR pFullRegistryPath);

#ifdef __cplusplus
}

#if !defined(_WIN64)
static_assert(sizeof(void *) == 4, "the Windows 95 table holds 32-bit entry pointers");
static_assert(sizeof(PRINTPROVIDOR) == 200, "50 entries of 4 bytes");
#endif
/* Every slot in its place, counted in entry pointers (4 bytes on Windows 95;
 * the x86-64 test build keeps the order with 8-byte pointers). */
static_assert(sizeof(PRINTPROVIDOR) == PRINTPROVIDOR_SLOT_COUNT * sizeof(void *), "50 entries");
#define QV_PRINTPROVIDOR_OFFSET(slot, name)                                                                  \
    static_assert(offsetof(PRINTPROVIDOR, fp##name) == (slot) * sizeof(void *), "slot " #slot " is " #name);
QV_PRINTPROVIDOR_SLOTS(QV_PRINTPROVIDOR_OFFSET)
#undef QV_PRINTPROVIDOR_OFFSET
#endif

#endif
