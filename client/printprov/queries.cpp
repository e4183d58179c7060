// qvprov: the job and printer queries (GetJob, EnumJobs, GetPrinter).
//
// The query path is not in this build yet: each entry checks its handle and
// then answers ERROR_CALL_NOT_IMPLEMENTED.
#include "entries.h"

BOOL WINAPI GetJob(HANDLE printer, DWORD jobId, DWORD level, LPBYTE job, DWORD size, LPDWORD needed)
{
    if (CheckHandle(printer))
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

BOOL WINAPI EnumJobs(HANDLE printer, DWORD firstJob, DWORD jobCount, DWORD level, LPBYTE jobs, DWORD size,
                     LPDWORD needed, LPDWORD returned)
{
    if (CheckHandle(printer))
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

BOOL WINAPI GetPrinter(HANDLE printer, DWORD level, LPBYTE info, DWORD size, LPDWORD needed)
{
    if (CheckHandle(printer))
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}
