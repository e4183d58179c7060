/*
 * Process-wide state of the network provider shared by its areas, and the
 * exported entry points with the Windows 95 router's argument lists.
 */
#ifndef QVNETPROV_NETPROV_H
#define QVNETPROV_NETPROV_H

#include "netspi95.h"
#include "textbuffer.h"

// The name under which the router knows this provider; filled at attach,
// empty when the router gives none.
TextBuffer &ProviderName();

// This module's instance handle, 0 until process attach.
extern HINSTANCE g_moduleInstance;

// Container names of this provider begin with this marker.
#define QVNP_MARKER "~Aa"
const size_t kMarkerLength = 3;

static_assert(WN_SUCCESS == 0, "WN_SUCCESS");
static_assert(WN_BAD_HANDLE == 6, "WN_BAD_HANDLE");
static_assert(WN_OUT_OF_MEMORY == 8, "WN_OUT_OF_MEMORY");
static_assert(WN_MORE_DATA == 234, "WN_MORE_DATA");
static_assert(WN_NO_MORE_ENTRIES == 259, "WN_NO_MORE_ENTRIES");
static_assert(WN_NOT_CONTAINER == 1207, "WN_NOT_CONTAINER");
static_assert(WN_NO_NETWORK == 1222, "WN_NO_NETWORK");

extern "C" {
DWORD WINAPI NPGetCaps(DWORD nIndex);
DWORD WINAPI NPOpenEnum(DWORD dwScope, DWORD dwType, DWORD dwUsage, LPNETRESOURCEA lpNetResource,
                        LPHANDLE lphEnum);
DWORD WINAPI NPEnumResource(HANDLE hEnum, LPDWORD lpcCount, LPVOID lpBuffer, DWORD cbBuffer,
                            LPDWORD lpcbFree);
DWORD WINAPI NPCloseEnum(HANDLE hEnum);
DWORD WINAPI NPFormatNetworkName(LPSTR lpRemoteName, LPSTR lpFormattedName, LPDWORD lpnLength, DWORD dwFlags,
                                 DWORD dwAveCharPerLine);
}

#endif
