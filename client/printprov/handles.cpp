// qvprov: printer handles, the list of open handles, OpenPrinter and ClosePrinter.
#include "printer_handle.h"
#include "job_record.h"

#include <stdlib.h>
#include <string.h>

namespace {

// Copies a component into the handle's tail; returns the next free byte.
char *PlaceText(char *tail, const NameComponent &component, char **field)
{
    if (!component.present()) {
        *field = nullptr;
        return tail;
    }
    memcpy(tail, component.text, component.length);
    tail[component.length] = '\0';
    *field = tail;
    return tail + component.length + 1;
}

// The listed handle equal to handle, or null. HandleListLock held.
PrinterHandle *FindListed(HANDLE handle)
{
    for (HandleNode *node = g_provider.openHandleList; node; node = node->next) {
        if (node->handle == handle)
            return node->handle;
    }
    return nullptr;
}

// Unlinks the first node that holds handle and frees it; false if none does.
bool Unlist(PrinterHandle *handle)
{
    LockGuard hold(g_provider.handleListLock);
    for (HandleNode **link = &g_provider.openHandleList; *link; link = &(*link)->next) {
        if ((*link)->handle == handle) {
            HandleNode *node = *link;
            *link = node->next;
            free(node);
            return true;
        }
    }
    return false;
}

// Frees a handle's block once nothing refers to it any more.
void DestroyHandle(PrinterHandle *handle)
{
    handle->signature = 0;
    DeleteCriticalSection(&handle->lock);
    free(handle);
}

// Drops one reference. Windows 95's InterlockedDecrement reports only the
// sign of the result, which is all that is compared here.
void ReleaseHandle(PrinterHandle *handle)
{
    if (InterlockedDecrement(&handle->references) == 0)
        DestroyHandle(handle);
}

} // namespace

void HandleListInit()
{
    InitializeCriticalSection(&g_provider.handleListLock);
    g_provider.openHandleList = nullptr;
    g_provider.handleListReady = true;
}

void HandleListTerm()
{
    if (!g_provider.handleListReady)
        return;
    g_provider.handleListReady = false;
    DeleteCriticalSection(&g_provider.handleListLock);
}

PrinterHandle *CreatePrinterHandle(const ParsedPrinterName &name)
{
    const size_t size
        = sizeof(PrinterHandle) + name.domain.length + name.server.length + name.printer.length + 3;
    auto *handle = static_cast<PrinterHandle *>(calloc(1, size));
    if (!handle)
        return nullptr;
    char *tail = reinterpret_cast<char *>(handle + 1);
    tail = PlaceText(tail, name.printer, &handle->printer);
    tail = PlaceText(tail, name.server, &handle->server);
    PlaceText(tail, name.domain, &handle->domain);
    handle->domainKind = name.domainKind;
    InitializeCriticalSection(&handle->lock);
    handle->references = 1; // the list's
    handle->signature = kHandleSignature;
    return handle;
}

HandleRef::HandleRef(HANDLE handle)
{
    if (handle && g_provider.handleListReady) {
        LockGuard hold(g_provider.handleListLock);
        PrinterHandle *listed = FindListed(handle);
        if (listed && HandleOpen(listed)) {
            InterlockedIncrement(&listed->references);
            handle_ = listed;
        }
    }
    if (!handle_)
        SetLastError(ERROR_INVALID_HANDLE);
}

HandleRef::~HandleRef()
{
    if (handle_)
        ReleaseHandle(handle_);
}

bool CheckHandle(HANDLE handle)
{
    HandleRef live(handle);
    return static_cast<bool>(live);
}

bool CheckServerHandle(HANDLE handle)
{
    HandleRef live(handle);
    if (live && live->printer) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    return static_cast<bool>(live);
}

bool CheckJobHandle(HANDLE handle)
{
    HandleRef live(handle);
    if (!live)
        return false;
    LockGuard jobs(g_provider.jobLock);
    if (!HandleOpen(live.get()) || !live->job || !live->job->printRequest) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    return true;
}

void ClearJobReferences(JobRecord *job)
{
    LockGuard hold(g_provider.handleListLock);
    for (HandleNode *node = g_provider.openHandleList; node; node = node->next) {
        if (node->handle->job == job)
            node->handle->job = nullptr;
    }
}

void ClearDocumentReferences(DocumentRecord *document)
{
    LockGuard hold(g_provider.handleListLock);
    for (HandleNode *node = g_provider.openHandleList; node; node = node->next) {
        if (node->handle->document == document)
            node->handle->document = nullptr;
    }
}

BOOL WINAPI OpenPrinter(LPSTR printerName, LPHANDLE printerHandle, LPPRINTER_DEFAULTSA defaults)
{
    ParsedPrinterName name;
    if (!printerName || !*printerName || !ParsePrinterName(printerName, &name)) {
        SetLastError(ERROR_INVALID_NAME);
        return FALSE;
    }
    if (!printerHandle) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }

    PrinterHandle *handle = CreatePrinterHandle(name);
    auto *node = static_cast<HandleNode *>(malloc(sizeof(HandleNode)));
    if (!handle || !node) {
        // An unlisted handle could never be closed at detach; refuse it instead.
        if (handle)
            DestroyHandle(handle);
        free(node);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    node->handle = handle;
    {
        LockGuard hold(g_provider.handleListLock);
        node->next = g_provider.openHandleList;
        g_provider.openHandleList = node;
    }

    // Registry trouble never fails OpenPrinter.
    bool needDefaults = false;
    {
        RegKey key(OpenPrinterKey(handle, KEY_READ));
        if (key)
            needDefaults = RegQueryValueExA(key.get(), "QVZ_Use_PA", nullptr, nullptr, nullptr, nullptr)
                != ERROR_SUCCESS;
    }
    if (needDefaults)
        WritePrinterKeyDefaults(handle);

    *printerHandle = handle;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI ClosePrinter(HANDLE printerHandle)
{
    HandleRef ref(printerHandle);
    if (!ref)
        return FALSE;
    PrinterHandle *handle = ref.get();
    // Waits for a query still using the handle, then for the job work of any
    // other call on it; such a call finds the handle closed afterwards.
    LockGuard hold(handle->lock);
    LockGuard jobs(g_provider.jobLock);
    // Unlisting makes the close ours alone: a second ClosePrinter, even on
    // another thread, now finds the handle closed. It happens under JobLock,
    // so a job that ends meanwhile (the plug-in's CompleteJob) is cleared
    // from this handle as from every listed one.
    if (!Unlist(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ReleaseHandle(handle); // the list's reference; ours keeps the block alive
    if (handle->job)
        AbortDocument(handle);
    handle->signature = 0;
    // The block goes with the last reference: ours, or that of a call still running.
    return TRUE;
}

void CloseAllHandles()
{
    if (!g_provider.handleListReady)
        return;
    for (;;) {
        PrinterHandle *handle = nullptr;
        {
            LockGuard hold(g_provider.handleListLock);
            if (g_provider.openHandleList)
                handle = g_provider.openHandleList->handle;
        }
        if (!handle)
            break;
        ClosePrinter(handle);
    }
}
