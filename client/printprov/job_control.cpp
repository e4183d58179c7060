// qvprov: job control (SetJob: pause, resume, cancel).
//
// Not in this build yet: SetJob checks its handle and then answers
// ERROR_CALL_NOT_IMPLEMENTED.
#include "entries.h"

BOOL WINAPI SetJob(HANDLE printer, DWORD jobId, DWORD level, LPBYTE job, DWORD command)
{
    if (CheckHandle(printer))
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}
