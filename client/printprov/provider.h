/*
 * qvprov: process-wide state of the print provider and the helpers that the
 * area files share.
 *
 * Lock order everywhere in the provider: a handle's own lock, then JobLock,
 * then HandleListLock or the cache's list lock, then one cache entry's lock.
 */
#ifndef QVPROV_PROVIDER_H
#define QVPROV_PROVIDER_H

#include <windows.h>
#include <stdint.h>

#include "qvcore.h"
#include "qvdpa.h"
#include "printprovidor.h"

struct JobRecord;
struct DocumentRecord;
struct PrinterHandle;

/* Entries of the PrintAssistant plug-in, filled by its PA_Initialize. */
/* The plug-in's word for a job (paContext) is pointer-sized, so it may hold an address. */
typedef int32_t(WINAPI *PFN_PA_JobCreated)(JobRecord *job, uintptr_t *paContext);
typedef int32_t(WINAPI *PFN_PA_DocumentEvent)(uintptr_t paContext, DocumentRecord *document);
typedef int32_t(WINAPI *PFN_PA_QueryNewJob)(uintptr_t paContext, int32_t *answer);
typedef int32_t(WINAPI *PFN_PA_JobCancelled)(uintptr_t paContext);
typedef int32_t(WINAPI *PFN_PA_Terminate)(void);

struct PA_Callbacks {
    PFN_PA_JobCreated JobCreated; /* 0 accepts the job */
    PFN_PA_DocumentEvent DocumentStarted;
    PFN_PA_DocumentEvent DocumentProgress;
    PFN_PA_DocumentEvent DocumentEnded;
    PFN_PA_DocumentEvent DocumentAborted;
    PFN_PA_QueryNewJob QueryNewJob; /* answer 1 asks for a new job */
    PFN_PA_JobCancelled JobCancelled;
    PFN_PA_Terminate Terminate;
};
static_assert(sizeof(PA_Callbacks) == 8 * sizeof(void *),
              "eight entry pointers, in the plug-in's slot order");

/* Node of OpenHandleList, newest first. */
struct HandleNode {
    HandleNode *next;
    PrinterHandle *handle;
};

/* Node of the list of plug-in jobs taken off SharedJobList, newest first. */
struct JobNode {
    JobNode *next;
    JobRecord *job;
};

/* The provider's process-wide variables, all zero when the library is loaded;
 * process attach sets jobSubmissionTimeout to -1 before reading the registry. */
struct ProviderState {
    char *environmentName;    /* "Windows 4.0", made once, released at detach */
    HINSTANCE module;         /* own instance, for string resources */
    CRITICAL_SECTION jobLock; /* JobLock: all job and document work; re-entrant */
    bool jobLockReady;
    PA_Callbacks paCallbacks; /* all null without a plug-in */
    JobRecord *sharedJobList; /* jobs the plug-in holds open */
    JobNode *leftJobs;        /* plug-in jobs no document may join, left to the plug-in to end */
    HMODULE paModule;         /* the loaded PrintAssistant library */
    char *paPath;             /* its "DLLPath" text */
    CRITICAL_SECTION handleListLock;
    bool handleListReady;
    HandleNode *openHandleList;
    int32_t jobSubmissionTimeout; /* -1: none */
    /* The job whose plug-in entry is running where the provider still uses
     * the record afterwards, and the CompleteJob action the plug-in asked
     * for meanwhile (0: none). JobLock guards both. */
    JobRecord *deferJob;
    int32_t deferredAction;
};

extern ProviderState g_provider;

/* Scoped hold of a critical section. */
class LockGuard {
public:
    explicit LockGuard(CRITICAL_SECTION &section) : section_(section) { EnterCriticalSection(&section_); }
    ~LockGuard() { LeaveCriticalSection(&section_); }
    LockGuard(const LockGuard &) = delete;
    LockGuard &operator=(const LockGuard &) = delete;

private:
    CRITICAL_SECTION &section_;
};

/* Scoped registry key. */
class RegKey {
public:
    RegKey() = default;
    explicit RegKey(HKEY key) : key_(key) { }
    ~RegKey() { reset(); }
    RegKey(const RegKey &) = delete;
    RegKey &operator=(const RegKey &) = delete;
    HKEY get() const { return key_; }
    HKEY *out()
    {
        reset();
        return &key_;
    }
    explicit operator bool() const { return key_ != nullptr; }
    void reset()
    {
        if (key_)
            RegCloseKey(key_);
        key_ = nullptr;
    }

private:
    HKEY key_ = nullptr;
};

/* Heap copy of a text with the C run-time, released with free; none for none. */
char *CopyText(const char *text);

/* Machine-wide PrintAssistant key under HKEY_LOCAL_MACHINE. */
extern const char kPrintAssistantKey[];

/* ---- Status mapping (status_map.cpp) ---- */
DWORD MapStatus(QvStatus status);

/* ---- Core library (core.cpp) ---- */
void StartCoreLibrary();
void StopCoreLibrary();

/* ---- PrintAssistant plug-in (pa.cpp) ---- */
void LoadPrintAssistant();   /* initialises JobLock first */
void UnloadPrintAssistant(); /* destroys JobLock last */

/* ---- Result cache (cache.cpp) ---- */
void CacheStart();
void CacheRunMonitor(); /* lets the monitor thread run; outside the loader lock */
void CacheStop();
void CacheLoadSettings(const char *keyPath);

/* The library's only export (initialize.cpp). */
extern "C" BOOL WINAPI InitializePrintProvidor(LPPRINTPROVIDOR table, DWORD tableSize, LPSTR registryPath);

#endif
