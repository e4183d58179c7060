// qvprov: loading and unloading of the PrintAssistant plug-in, and JobLock,
// which the plug-in shares.
#include "provider.h"
#include "job_record.h"

#include <stdlib.h>
#include <string.h>

namespace {

// What the plug-in receives: the address of JobLock, then CompleteJob.
struct PA_ProviderTable {
    CRITICAL_SECTION *jobLock;
    QvStatus(WINAPI *completeJob)(JobRecord *job, int32_t action);
};
static_assert(sizeof(PA_ProviderTable) == 2 * sizeof(void *), "two words");

typedef BOOL(WINAPI *PFN_PA_Initialize)(PA_ProviderTable *providerTable, PA_Callbacks *callbacks);

QvStatus WINAPI CompleteJobEntry(JobRecord *job, int32_t action)
{
    return CompleteJob(job, action);
}

PA_ProviderTable ProviderTable = {&g_provider.jobLock, CompleteJobEntry};

constexpr int32_t kNoTimeout = -1;

// Reads "DLLPath" and loads the library it names. False stops the loading
// altogether (JobSubmissionTimeout is then not read); true goes on, with or
// without a library.
bool LoadFromPath(HKEY key)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, "DLLPath", nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ)
        return true;
    // One byte more than stored, so a value saved without its terminator still ends.
    char *path = static_cast<char *>(calloc(size + 1, 1));
    if (!path)
        return true;
    DWORD read = size;
    if (RegQueryValueExA(key, "DLLPath", nullptr, nullptr, reinterpret_cast<BYTE *>(path), &read)
        != ERROR_SUCCESS) {
        free(path);
        return false;
    }
    HMODULE module = LoadLibraryA(path);
    if (!module) {
        free(path);
        return false;
    }
    g_provider.paModule = module;
    g_provider.paPath = path;
    return true;
}

} // namespace

void LoadPrintAssistant()
{
    InitializeCriticalSection(&g_provider.jobLock);
    g_provider.jobLockReady = true;
    g_provider.jobSubmissionTimeout = kNoTimeout;

    RegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPrintAssistantKey, 0, KEY_QUERY_VALUE, key.out()) != ERROR_SUCCESS)
        return;
    if (!LoadFromPath(key.get()))
        return;

    int32_t timeout = kNoTimeout;
    DWORD size = sizeof timeout;
    if (RegQueryValueExA(key.get(), "JobSubmissionTimeout", nullptr, nullptr,
                         reinterpret_cast<BYTE *>(&timeout), &size)
            != ERROR_SUCCESS
        || size != sizeof timeout)
        timeout = kNoTimeout;
    g_provider.jobSubmissionTimeout = timeout;
    key.reset();

    if (!g_provider.paModule)
        return;
    auto initialize
        = reinterpret_cast<PFN_PA_Initialize>(GetProcAddress(g_provider.paModule, "PA_Initialize"));
    if (!initialize)
        return;
    PA_Callbacks callbacks;
    memset(&callbacks, 0, sizeof callbacks);
    if (initialize(&ProviderTable, &callbacks))
        g_provider.paCallbacks = callbacks;
}

void UnloadPrintAssistant()
{
    if (!g_provider.jobLockReady)
        return;
    {
        LockGuard jobs(g_provider.jobLock);
        PFN_PA_Terminate terminate = g_provider.paCallbacks.Terminate;
        // Nothing may call into the plug-in once it is told to end.
        memset(&g_provider.paCallbacks, 0, sizeof g_provider.paCallbacks);
        if (terminate)
            terminate();
        // Jobs the plug-in still holds would stay half made on their
        // servers: they are cancelled.
        while (g_provider.sharedJobList) {
            g_provider.sharedJobList->paContext = 0;
            CancelJob(g_provider.sharedJobList);
        }
        // So are the jobs it was left to end and never did.
        while (g_provider.leftJobs) {
            g_provider.leftJobs->job->paContext = 0;
            CancelJob(g_provider.leftJobs->job);
        }
        if (g_provider.paModule)
            FreeLibrary(g_provider.paModule);
        g_provider.paModule = nullptr;
        free(g_provider.paPath);
        g_provider.paPath = nullptr;
    }
    g_provider.jobLockReady = false;
    DeleteCriticalSection(&g_provider.jobLock);
}
