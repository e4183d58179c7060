// qvprov: the spooler operations the provider declines outright.
#include "entries.h"

BOOL WINAPI ReadPrinter(HANDLE printer, LPVOID buffer, DWORD size, LPDWORD bytesRead)
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

// A provider without local spool files has no job file to add or schedule.
BOOL WINAPI AddJob(HANDLE printer, DWORD level, LPBYTE data, DWORD size, LPDWORD needed)
{
    if (CheckHandle(printer))
        SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

BOOL WINAPI ScheduleJob(HANDLE printer, DWORD jobId)
{
    if (CheckHandle(printer))
        SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}
