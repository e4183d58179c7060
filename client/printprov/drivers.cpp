// qvprov: the printer driver queries.
//
// Not in this build yet: each entry checks its handle, where it has one, and
// then answers ERROR_CALL_NOT_IMPLEMENTED.
#include "entries.h"

BOOL WINAPI EnumPrinterDrivers(LPSTR name, LPSTR environment, DWORD level, LPBYTE info, DWORD size,
                               LPDWORD needed, LPDWORD returned)
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

BOOL WINAPI GetPrinterDriver(HANDLE printer, LPSTR environment, DWORD level, LPBYTE info, DWORD size,
                             LPDWORD needed)
{
    if (CheckHandle(printer))
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

BOOL WINAPI GetPrinterDriverDirectory(LPSTR name, LPSTR environment, DWORD level, LPBYTE info, DWORD size,
                                      LPDWORD needed)
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

BOOL WINAPI GetPrintProcessorDirectory(LPSTR name, LPSTR environment, DWORD level, LPBYTE info, DWORD size,
                                       LPDWORD needed)
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}
