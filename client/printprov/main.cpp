// qvprov: the library's entry point: process attach and detach.
#include "entries.h"

#include <stdlib.h>

namespace {

void ProcessAttach(HINSTANCE instance)
{
    g_provider.module = instance;
    StartCoreLibrary();
    HandleListInit();
    LoadPrintAssistant();
    CacheStart();
}

// Runs everything that can still call into the plug-in, take JobLock or
// reach a server while all of them are alive, then ends each in the reverse
// order of its users:
//   1. the open handles are closed: aborting a job takes JobLock, may call
//      the plug-in and sends a cancel request;
//   2. the plug-in is told to end and unloaded (it may still complete its
//      jobs through JobLock), then JobLock is destroyed;
//   3. the cache and its monitor thread stop, closing the cached requests;
//   4. the core library stops;
//   5. HandleListLock, which job completion also takes, is destroyed last.
void ProcessDetach()
{
    CloseAllHandles();
    UnloadPrintAssistant();
    CacheStop();
    StopCoreLibrary();
    HandleListTerm();
    // Nothing can ask for the environment name once the library is gone.
    free(g_provider.environmentName);
    g_provider.environmentName = nullptr;
    g_provider.module = nullptr;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        ProcessAttach(instance);
        break;
    case DLL_PROCESS_DETACH:
        ProcessDetach();
        break;
    default:
        break;
    }
    return TRUE;
}
