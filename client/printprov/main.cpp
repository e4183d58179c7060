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

// At process exit the other threads are already gone, and any of them may
// have died holding JobLock, HandleListLock, a cache lock or a lock of the
// client libraries; the libraries themselves may already be detached. So
// nothing here takes a lock, waits, or calls the client libraries or the
// plug-in: open jobs are not cancelled (the servers see the process go),
// and the process's memory goes with it. The monitor thread is gone too, so
// the library's code is never run again.
void ProcessExit()
{
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
        // reserved is null for FreeLibrary, non-null when the process ends.
        if (reserved)
            ProcessExit();
        else
            ProcessDetach();
        break;
    default:
        break;
    }
    return TRUE;
}
