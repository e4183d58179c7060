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
    // A host in another process sees the call on its standard output.
    if (GetEnvironmentVariableA("TESTPA_TRACE", nullptr, 0) != 0) {
        const char line[] = "plug-in terminated\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, sizeof line - 1, &written, nullptr);
    }
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

// JobLock as the provider handed it over.
extern "C" CRITICAL_SECTION *__cdecl TestPA_JobLock()
{
    return JobLock;
}

extern "C" const char *__cdecl TestPA_Log()
{
    return Log.c_str();
}
