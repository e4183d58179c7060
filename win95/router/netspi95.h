/*
 * The Windows 95 multiple provider router, network-provider side: the
 * service calls a provider makes into the router and the entry points the
 * router calls in a provider, with the argument lists of Windows 95 (ANSI
 * names, a buffer size passed by value to NPEnumResource, free bytes out).
 *
 * NETRESOURCEA and the WN_ codes come from the mingw-w64 headers. The WNNC_
 * capability values live there only in npapi.h, which declares the NT
 * (wide-character) forms of the same entry points and so cannot be included
 * next to the Windows 95 forms; the values we need are declared here, as the
 * Windows 95 headers had them.
 */
#ifndef NETSPI95_H
#define NETSPI95_H

#include <windows.h>
#include <winnetwk.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef WNNC_SPEC_VERSION
#define WNNC_SPEC_VERSION          0x00000001
#define WNNC_NET_TYPE              0x00000002
#define WNNC_DRIVER_VERSION        0x00000003
#define WNNC_USER                  0x00000004
#define WNNC_CONNECTION            0x00000006
#define WNNC_DIALOG                0x00000008
#define WNNC_ADMIN                 0x00000009
#define WNNC_ENUMERATION           0x0000000B
#define WNNC_START                 0x0000000C
#define WNNC_DLG_FORMATNETWORKNAME 0x00000080
#define WNNC_ENUM_GLOBAL           0x00000001
#endif

/* The router's handle for one provider. */
typedef LPVOID HPROVIDER;
typedef HPROVIDER *PHPROVIDER;

/* Router service calls, exported by MPR.DLL on Windows 95. */
DWORD WINAPI NPSGetProviderHandleA(PHPROVIDER phProvider);
DWORD WINAPI NPSGetProviderNameA(HPROVIDER hProvider, LPCSTR *lpszProviderName);

/* Entry points of a network provider, as the router calls them. */
typedef DWORD(WINAPI *PF_NPGetCaps95)(DWORD nIndex);
typedef DWORD(WINAPI *PF_NPOpenEnum95)(DWORD dwScope, DWORD dwType, DWORD dwUsage,
                                       LPNETRESOURCEA lpNetResource, LPHANDLE lphEnum);
typedef DWORD(WINAPI *PF_NPEnumResource95)(HANDLE hEnum, LPDWORD lpcCount, LPVOID lpBuffer, DWORD cbBuffer,
                                           LPDWORD lpcbFree);
typedef DWORD(WINAPI *PF_NPCloseEnum95)(HANDLE hEnum);
typedef DWORD(WINAPI *PF_NPFormatNetworkName95)(LPSTR lpRemoteName, LPSTR lpFormattedName, LPDWORD lpnLength,
                                                DWORD dwFlags, DWORD dwAveCharPerLine);

/* Ordinals under which the router finds a provider's entry points. */
enum {
    NP_ORDINAL_GETCAPS = 13,
    NP_ORDINAL_OPENENUM = 33,
    NP_ORDINAL_ENUMRESOURCE = 34,
    NP_ORDINAL_CLOSEENUM = 35,
    NP_ORDINAL_FORMATNETWORKNAME = 46
};

#ifdef __cplusplus
}
#endif

#endif
