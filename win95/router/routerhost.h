/*
 * Host side of the router stand-in (no Windows 95 counterpart), exported by
 * w95router.dll: the name that NPSGetProviderNameA answers for the provider,
 * as the router would have read it from the provider's registry key, and a
 * count of the name requests answered, for tests. Plain C calls.
 */
#ifndef ROUTERHOST_H
#define ROUTERHOST_H

#include "netspi95.h"

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Names the provider. A null name makes the router answer WN_BAD_VALUE and
 * leave the caller's pointer alone. The text is copied. Returns WN_SUCCESS
 * or WN_OUT_OF_MEMORY.
 */
DWORD RouterSetProviderName(LPCSTR lpszProviderName);

/* How many NPSGetProviderNameA calls the router has answered. */
DWORD RouterProviderNameRequests(void);

/* The service calls' answers, for the stand-in mpr.dll. */
DWORD RouterServeProviderHandle(PHPROVIDER phProvider);
DWORD RouterServeProviderName(HPROVIDER hProvider, LPCSTR *lpszProviderName);

#ifdef __cplusplus
}
#endif

#endif
