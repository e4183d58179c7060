/*
 * qvprov: the operations of the provider table, each with the spooler's
 * argument list for its slot.
 */
#ifndef QVPROV_ENTRIES_H
#define QVPROV_ENTRIES_H

#include "printer_handle.h"

/* Operations the provider declines: last error ERROR_CALL_NOT_IMPLEMENTED and
 * 0, also in the slots whose result is a DWORD. One instance per argument
 * list, so that each slot pops exactly its own arguments. */
template<typename Result, typename... Args> Result WINAPI NotImplemented(Args...)
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return Result();
}

BOOL WINAPI ReadPrinter(HANDLE printer, LPVOID buffer, DWORD size, LPDWORD bytesRead);
BOOL WINAPI AddJob(HANDLE printer, DWORD level, LPBYTE data, DWORD size, LPDWORD needed);
BOOL WINAPI ScheduleJob(HANDLE printer, DWORD jobId);

/* Job submission (jobs.cpp). */
DWORD WINAPI StartDocPrinter(HANDLE printer, DWORD level, LPBYTE docInfo);
BOOL WINAPI StartPagePrinter(HANDLE printer);
BOOL WINAPI WritePrinter(HANDLE printer, LPVOID data, DWORD length, LPDWORD written);
BOOL WINAPI EndPagePrinter(HANDLE printer);
BOOL WINAPI AbortPrinter(HANDLE printer);
BOOL WINAPI EndDocPrinter(HANDLE printer);

/* Job and printer queries (queries.cpp). */
BOOL WINAPI GetJob(HANDLE printer, DWORD jobId, DWORD level, LPBYTE job, DWORD size, LPDWORD needed);
BOOL WINAPI EnumJobs(HANDLE printer, DWORD firstJob, DWORD jobCount, DWORD level, LPBYTE jobs, DWORD size,
                     LPDWORD needed, LPDWORD returned);
BOOL WINAPI GetPrinter(HANDLE printer, DWORD level, LPBYTE info, DWORD size, LPDWORD needed);

/* Job control (job_control.cpp). */
BOOL WINAPI SetJob(HANDLE printer, DWORD jobId, DWORD level, LPBYTE job, DWORD command);

/* Driver queries (drivers.cpp). */
BOOL WINAPI EnumPrinterDrivers(LPSTR name, LPSTR environment, DWORD level, LPBYTE info, DWORD size,
                               LPDWORD needed, LPDWORD returned);
BOOL WINAPI GetPrinterDriver(HANDLE printer, LPSTR environment, DWORD level, LPBYTE info, DWORD size,
                             LPDWORD needed);
BOOL WINAPI GetPrinterDriverDirectory(LPSTR name, LPSTR environment, DWORD level, LPBYTE info, DWORD size,
                                      LPDWORD needed);
BOOL WINAPI GetPrintProcessorDirectory(LPSTR name, LPSTR environment, DWORD level, LPBYTE info, DWORD size,
                                       LPDWORD needed);

#endif
