// A PrintAssistant plug-in for the tests: records what the provider does to
// it, and leaves a mark in the simulator's journal when it is told to end.
#include <windows.h>

#include <stdint.h>
#include <string>

#include "qvcore.h"

namespace {

typedef int32_t(WINAPI *CompleteJobEntry)(void *job, int32_t action);

std::string Log;
CRITICAL_SECTION *JobLock;
CompleteJobEntry CompleteJob;

int32_t WINAPI Terminate()
{
    // The provider holds JobLock around this call; it must still be a live lock.
    bool usable = TryEnterCriticalSection(JobLock) != FALSE;
    if (usable)
        LeaveCriticalSection(JobLock);
    Log += usable ? "terminate:lock-usable;" : "terminate:lock-busy;";
    Log += "complete3=" + std::to_string(CompleteJob(nullptr, 3)) + ";";
    NS_ListSupportedEnv(); // the mark in the journal
    return 0;
}

} // namespace

extern "C" BOOL WINAPI PA_Initialize(void **providerTable, void **callbacks)
{
    JobLock = static_cast<CRITICAL_SECTION *>(providerTable[0]);
    CompleteJob = reinterpret_cast<CompleteJobEntry>(providerTable[1]);
    callbacks[7] = reinterpret_cast<void *>(Terminate);
    Log += "initialize;";
    return TRUE;
}

extern "C" const char *__cdecl TestPA_Log()
{
    return Log.c_str();
}
