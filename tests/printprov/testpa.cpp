// A PrintAssistant plug-in for the tests that behaves as a real one would:
// it accepts or declines jobs by its own setting, holds the jobs it accepts
// open across documents, answers PA_QueryNewJob, and ends its jobs through
// the provider's CompleteJob, from inside one of its entries or from a
// thread of its own that holds JobLock meanwhile. It reads the provider's
// records by word, as a plug-in does, and records what it is told.
//
// Its settings are values under HKEY_CURRENT_USER\Software\QvprovTest\TestPA
// (so each test's user hive has its own):
//   "Initialize"     DWORD, what PA_Initialize answers (default 1)
//   "Accept"         DWORD, 1 accepts new jobs, 0 declines them (default 1)
//   "NewJob"         DWORD, the answer to PA_QueryNewJob (default 0)
//   "FinishAfter"    DWORD n: the job is finished from inside PA_DocumentEnded
//                    once n of its documents have ended (default 0: never)
//   "CompleteInside" text, an entry (JobCreated, DocumentAborted, QueryNewJob)
//                    from inside which the job is ended with "CompleteAction"
#include <windows.h>

#include <stdint.h>
#include <string>

#include "qvcore.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

typedef int32_t(WINAPI *CompleteJobEntry)(void *job, int32_t action);

const char kSettingsKey[] = "Software\\QvprovTest\\TestPA";
constexpr int32_t kFinish = 1;
constexpr DWORD kCommandTimeoutMs = 60000;
constexpr int32_t kTimedOut = 0x7fffffff;

// Words of the provider's records, pointer-sized in the 64-bit build.
constexpr int kJobNumberWord = 12;
constexpr int kJobDocumentCountWord = 14;
constexpr int kJobDocumentsWord = 15;
constexpr int kDocumentNextWord = 0;
constexpr int kDocumentNumberWord = 3;
constexpr int kDocumentDataOpenWord = 7;

uintptr_t Word(const void *record, int index)
{
    return reinterpret_cast<const uintptr_t *>(record)[index];
}

// The plug-in's word for a job it holds (its paContext).
struct HeldJob {
    HeldJob *next;
    void *record;
    int32_t number;
    int32_t ended; // documents that ended
};

// One loading of the plug-in: its thread and the jobs it holds. The thread
// owns the block and frees it when it ends.
struct Instance {
    CRITICAL_SECTION *jobLock;
    CompleteJobEntry completeJob;
    HMODULE self; // the thread's own reference to the library
    HANDLE thread;
    HANDLE wake;
    HANDLE stop;
    HANDLE done;
    HeldJob *held; // guarded by JobLock
    bool terminated;
    // The command of the test, and its answer.
    int32_t commandJob;
    int32_t commandAction;
    int32_t answerStatus;
    int32_t answerDocuments;
};

Instance *Current;
CRITICAL_SECTION LogLock;
std::string Log;
// For the hosts that use JobLock directly.
CRITICAL_SECTION *LastJobLock;

void Append(const std::string &text)
{
    EnterCriticalSection(&LogLock);
    Log += text;
    Log += ';';
    LeaveCriticalSection(&LogLock);
}

DWORD Setting(const char *name, DWORD fallback)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return fallback;
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&value), &size) != ERROR_SUCCESS
        || type != REG_DWORD)
        value = fallback;
    RegCloseKey(key);
    return value;
}

bool CompleteInside(const char *entry)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char text[64] = "";
    DWORD size = sizeof text - 1;
    bool match
        = RegQueryValueExA(key, "CompleteInside", nullptr, nullptr, reinterpret_cast<BYTE *>(text), &size)
            == ERROR_SUCCESS
        && lstrcmpA(text, entry) == 0;
    RegCloseKey(key);
    return match;
}

// Every entry runs with JobLock held by the calling thread, and never once
// the plug-in was told to end.
std::string Checks()
{
    std::string marks;
    if (!Current || Current->terminated)
        return " (called after terminate)";
    if (reinterpret_cast<uintptr_t>(Current->jobLock->OwningThread) != GetCurrentThreadId())
        marks += " (JobLock not held)";
    return marks;
}

void Forget(HeldJob *job)
{
    for (HeldJob **link = &Current->held; *link; link = &(*link)->next) {
        if (*link == job) {
            *link = job->next;
            delete job;
            return;
        }
    }
}

// Ends a held job through the provider; JobLock held. The job is forgotten
// first: the provider may free its record.
int32_t Complete(HeldJob *job, int32_t action, const char *where)
{
    void *record = job->record;
    const int32_t number = job->number;
    Forget(job);
    const int32_t status = Current->completeJob(record, action);
    Append("complete " + std::to_string(number) + " action=" + std::to_string(action) + " -> "
           + std::to_string(status) + " (" + where + ")");
    return status;
}

// Whether any document of the job still has its data open (words of the records).
bool HasOpenDocument(const void *record)
{
    for (auto *document = reinterpret_cast<const void *>(Word(record, kJobDocumentsWord)); document;
         document = reinterpret_cast<const void *>(Word(document, kDocumentNextWord))) {
        if (static_cast<int32_t>(Word(document, kDocumentDataOpenWord)) == 1)
            return true;
    }
    return false;
}

// The test's command on the plug-in's own thread, holding JobLock: the job
// of that number, or (number 0) every held job whose documents have all
// ended, is completed with the action.
void RunCommand(Instance *instance)
{
    EnterCriticalSection(instance->jobLock);
    instance->answerStatus = 0;
    instance->answerDocuments = 0;
    if (!instance->terminated) {
        HeldJob *job = instance->held;
        while (job) {
            HeldJob *next = job->next;
            const bool chosen = instance->commandJob == 0
                ? !HasOpenDocument(job->record)
                : static_cast<int32_t>(Word(job->record, kJobNumberWord)) == instance->commandJob;
            if (chosen) {
                instance->answerDocuments += static_cast<int32_t>(Word(job->record, kJobDocumentCountWord));
                const int32_t status = Complete(job, instance->commandAction, "own thread");
                if (status != 0)
                    instance->answerStatus = status;
            }
            job = next;
        }
    }
    LeaveCriticalSection(instance->jobLock);
}

DWORD WINAPI PlugInThread(LPVOID parameter)
{
    auto *instance = static_cast<Instance *>(parameter);
    HANDLE events[2] = {instance->stop, instance->wake};
    while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        RunCommand(instance);
        SetEvent(instance->done);
    }
    HMODULE self = instance->self;
    CloseHandle(instance->wake);
    CloseHandle(instance->stop);
    CloseHandle(instance->done);
    CloseHandle(instance->thread);
    delete instance;
    // The library stays mapped until this thread has left its code.
    FreeLibraryAndExitThread(self, 0);
    return 0;
}

int32_t WINAPI JobCreated(void *record, uintptr_t *paContext)
{
    const int32_t number = static_cast<int32_t>(Word(record, kJobNumberWord));
    if (!Setting("Accept", 1)) {
        Append("declined " + std::to_string(number) + Checks());
        return 1;
    }
    auto *job = new HeldJob {Current->held, record, number, 0};
    Current->held = job;
    *paContext = reinterpret_cast<uintptr_t>(job);
    Append("created " + std::to_string(number) + Checks());
    if (CompleteInside("JobCreated"))
        Complete(job, static_cast<int32_t>(Setting("CompleteAction", kFinish)), "inside JobCreated");
    return 0;
}

void DocumentEvent(const char *what, uintptr_t paContext, void *document)
{
    auto *job = reinterpret_cast<HeldJob *>(paContext);
    Append(std::string(what) + " " + std::to_string(job->number)
           + " doc=" + std::to_string(static_cast<int32_t>(Word(document, kDocumentNumberWord))) + Checks());
}

int32_t WINAPI DocumentStarted(uintptr_t paContext, void *document)
{
    DocumentEvent("started", paContext, document);
    return 0;
}

int32_t WINAPI DocumentProgress(uintptr_t, void *)
{
    return 0;
}

int32_t WINAPI DocumentEnded(uintptr_t paContext, void *document)
{
    DocumentEvent("ended", paContext, document);
    auto *job = reinterpret_cast<HeldJob *>(paContext);
    const DWORD finishAfter = Setting("FinishAfter", 0);
    if (++job->ended == static_cast<int32_t>(finishAfter) && !HasOpenDocument(job->record))
        Complete(job, kFinish, "inside DocumentEnded");
    return 0;
}

int32_t WINAPI DocumentAborted(uintptr_t paContext, void *document)
{
    DocumentEvent("aborted", paContext, document);
    if (CompleteInside("DocumentAborted"))
        Complete(reinterpret_cast<HeldJob *>(paContext),
                 static_cast<int32_t>(Setting("CompleteAction", kFinish)), "inside DocumentAborted");
    return 0;
}

int32_t WINAPI QueryNewJob(uintptr_t paContext, int32_t *answer)
{
    auto *job = reinterpret_cast<HeldJob *>(paContext);
    Append("query " + std::to_string(job->number) + Checks());
    *answer = static_cast<int32_t>(Setting("NewJob", 0));
    if (CompleteInside("QueryNewJob"))
        Complete(job, static_cast<int32_t>(Setting("CompleteAction", kFinish)), "inside QueryNewJob");
    return 0;
}

int32_t WINAPI JobCancelled(uintptr_t paContext)
{
    auto *job = reinterpret_cast<HeldJob *>(paContext);
    Append("cancelled " + std::to_string(job->number) + Checks());
    Forget(job);
    return 0;
}

int32_t WINAPI Terminate()
{
    // The provider holds JobLock around this call; it must still be a live lock.
    bool usable = TryEnterCriticalSection(Current->jobLock) != FALSE;
    if (usable)
        LeaveCriticalSection(Current->jobLock);
    Append(usable ? "terminate:lock-usable" : "terminate:lock-busy");
    Append("complete3=" + std::to_string(Current->completeJob(nullptr, 3)));
    NS_ListSupportedEnv(); // the mark in the journal
    // A host in another process sees the call on its standard output.
    if (GetEnvironmentVariableA("TESTPA_TRACE", nullptr, 0) != 0) {
        const char line[] = "plug-in terminated\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, sizeof line - 1, &written, nullptr);
    }
    // The provider cancels the jobs still held, without telling the plug-in.
    while (Current->held)
        Forget(Current->held);
    Current->terminated = true;
    // The thread ends once the loader lets it; it cannot be waited for here.
    SetEvent(Current->stop);
    Current = nullptr;
    return 0;
}

// Starts the plug-in's own thread, which keeps the library loaded until it ends.
bool StartThread(Instance *instance)
{
    char path[MAX_PATH];
    HMODULE module = nullptr;
    if (GetModuleFileNameA(reinterpret_cast<HMODULE>(&__ImageBase), path, sizeof path) == 0
        || !(module = LoadLibraryA(path)))
        return false;
    instance->self = module;
    instance->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    instance->stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    instance->done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    DWORD id = 0;
    instance->thread = CreateThread(nullptr, 0, PlugInThread, instance, 0, &id);
    if (!instance->thread) {
        FreeLibrary(module);
        return false;
    }
    return true;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        InitializeCriticalSection(&LogLock);
    return TRUE;
}

extern "C" BOOL WINAPI PA_Initialize(void **providerTable, void **callbacks)
{
    EnterCriticalSection(&LogLock);
    Log.clear();
    LeaveCriticalSection(&LogLock);
    const BOOL result = Setting("Initialize", 1) ? TRUE : FALSE;
    Append("initialize");
    LastJobLock = static_cast<CRITICAL_SECTION *>(providerTable[0]);
    if (!result)
        return FALSE;
    auto *instance = new Instance();
    instance->jobLock = static_cast<CRITICAL_SECTION *>(providerTable[0]);
    instance->completeJob = reinterpret_cast<CompleteJobEntry>(providerTable[1]);
    if (!StartThread(instance)) {
        delete instance;
        return FALSE;
    }
    Current = instance;
    void *const entries[8]
        = {reinterpret_cast<void *>(JobCreated),       reinterpret_cast<void *>(DocumentStarted),
           reinterpret_cast<void *>(DocumentProgress), reinterpret_cast<void *>(DocumentEnded),
           reinterpret_cast<void *>(DocumentAborted),  reinterpret_cast<void *>(QueryNewJob),
           reinterpret_cast<void *>(JobCancelled),     reinterpret_cast<void *>(Terminate)};
    for (int i = 0; i < 8; ++i)
        callbacks[i] = entries[i];
    return TRUE;
}

// JobLock as the provider handed it over.
extern "C" CRITICAL_SECTION *__cdecl TestPA_JobLock()
{
    return LastJobLock;
}

// What the plug-in was told and did, one entry after each ';'. Read it only
// while nothing prints.
extern "C" const char *__cdecl TestPA_Log()
{
    return Log.c_str();
}

extern "C" void __cdecl TestPA_ClearLog()
{
    EnterCriticalSection(&LogLock);
    Log.clear();
    LeaveCriticalSection(&LogLock);
}

// Has the plug-in's own thread complete the held job of that number (0:
// every held job whose documents have all ended) with the action, holding
// JobLock. Returns the last failing status (0 if none) and the documents of
// the completed jobs; kTimedOut when the thread did not answer in time.
extern "C" int32_t __cdecl TestPA_Complete(int32_t jobNumber, int32_t action, int32_t *documents)
{
    Instance *instance = Current;
    if (!instance)
        return kTimedOut;
    instance->commandJob = jobNumber;
    instance->commandAction = action;
    SetEvent(instance->wake);
    if (WaitForSingleObject(instance->done, kCommandTimeoutMs) != WAIT_OBJECT_0)
        return kTimedOut;
    if (documents)
        *documents = instance->answerDocuments;
    return instance->answerStatus;
}
