/*
 * The router's service calls as Windows 95's MPR.DLL exports them. Wine's
 * mpr.dll has no such calls, so this one stands in for it (loaded through a
 * DLL override) and exports them and nothing else; the answers come from
 * the router state in w95router.dll.
 */
#include "routerhost.h"

extern "C" DWORD WINAPI NPSGetProviderHandleA(PHPROVIDER phProvider)
{
    return RouterServeProviderHandle(phProvider);
}

// The text stays valid until the host names the provider again.
extern "C" DWORD WINAPI NPSGetProviderNameA(HPROVIDER hProvider, LPCSTR *lpszProviderName)
{
    return RouterServeProviderName(hProvider, lpszProviderName);
}
