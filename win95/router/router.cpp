/*
 * The router's state behind the service calls of the stand-in mpr.dll: the
 * one provider it serves and its name. A host (a test, the main job) names
 * the provider here before it loads the provider.
 */
#include "routerhost.h"

#include <new>
#include <string>

namespace {

// The one provider this router serves; its address is the provider handle.
struct ProviderSlot {
    std::string name;
    bool named = false;
    DWORD nameRequests = 0;
};

ProviderSlot g_provider;
CRITICAL_SECTION g_lock;

class LockGuard {
public:
    LockGuard() { EnterCriticalSection(&g_lock); }
    ~LockGuard() { LeaveCriticalSection(&g_lock); }
    LockGuard(const LockGuard &) = delete;
    LockGuard &operator=(const LockGuard &) = delete;
};

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        InitializeCriticalSection(&g_lock);
    else if (reason == DLL_PROCESS_DETACH)
        DeleteCriticalSection(&g_lock);
    return TRUE;
}

DWORD RouterServeProviderHandle(PHPROVIDER phProvider)
{
    if (phProvider == nullptr)
        return WN_BAD_POINTER;
    *phProvider = &g_provider;
    return WN_SUCCESS;
}

// The text stays valid until the host names the provider again.
DWORD RouterServeProviderName(HPROVIDER hProvider, LPCSTR *lpszProviderName)
{
    if (lpszProviderName == nullptr)
        return WN_BAD_POINTER;
    if (hProvider != &g_provider)
        return WN_BAD_HANDLE;
    LockGuard guard;
    ++g_provider.nameRequests;
    if (!g_provider.named)
        return WN_BAD_VALUE;
    *lpszProviderName = g_provider.name.c_str();
    return WN_SUCCESS;
}

DWORD RouterSetProviderName(LPCSTR lpszProviderName)
{
    try {
        LockGuard guard;
        if (lpszProviderName == nullptr) {
            g_provider.name.clear();
            g_provider.named = false;
        } else {
            g_provider.name = lpszProviderName;
            g_provider.named = true;
        }
        return WN_SUCCESS;
    } catch (...) {
        return WN_OUT_OF_MEMORY;
    }
}

DWORD RouterProviderNameRequests(void)
{
    LockGuard guard;
    return g_provider.nameRequests;
}
