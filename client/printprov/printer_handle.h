/*
 * qvprov: the printer handle that OpenPrinter gives the spooler, the list of
 * open handles, printer-name parsing and the per-printer registry key.
 */
#ifndef QVPROV_PRINTER_HANDLE_H
#define QVPROV_PRINTER_HANDLE_H

#include "provider.h"

#include <stddef.h>
#include <string>

struct CacheEntry;

/* The bytes "QVZ" and a zero byte, read as a little-endian word. */
constexpr uint32_t kHandleSignature = 'Q' | ('V' << 8) | ('Z' << 16);

/* One heap block per handle: these fields, then the texts they point to
 * (printer, then server, then domain at the very end, each terminated). */
struct PrinterHandle {
    uint32_t signature;       /* kHandleSignature while the handle is live */
    CRITICAL_SECTION lock;    /* held by the queries for a whole call, and by ClosePrinter */
    int32_t domainKind;       /* NS_KIND_NIS, NS_KIND_DCE or NS_KIND_DEFAULT */
    char *domain;             /* never null for handles made by OpenPrinter */
    char *server;             /* null when the name has no server */
    char *printer;            /* null for a server handle */
    JobRecord *job;           /* the job in progress on this handle */
    DocumentRecord *document; /* its open document */
    QvRequest queryRequest;   /* the query in progress */
    CacheEntry *cacheEntry;   /* the cache entry that serves it */
    QvValue queryInstance;    /* the result object being read */
    volatile LONG references; /* the list's one, plus one per call in progress */
};
static_assert(offsetof(PrinterHandle, signature) == 0, "the signature is read first");

/* One component of a printer name: a stretch of the name text. Absent when empty. */
struct NameComponent {
    const char *text = nullptr;
    size_t length = 0;
    bool present() const { return length != 0; }
    std::string str() const { return std::string(text ? text : "", length); }
};

struct ParsedPrinterName {
    int32_t domainKind = NS_KIND_DEFAULT;
    NameComponent server;
    NameComponent domain;
    NameComponent printer;
};

/* "NIS:" for NS_KIND_NIS, "DCE:" for NS_KIND_DCE, empty text for any other number. */
const char *NameServicePrefix(int32_t domainKind);

/* Splits "\\server[.[kind:]domain][\printer]" into its components, stepping by
 * characters of the ANSI code page so a trail byte is never a separator.
 * False when the name does not begin with two backslashes. */
bool SplitPrinterName(const char *name, ParsedPrinterName *parsed);

/* Splits the name and checks it against the name service: the domain must
 * exist, a printer must be in it (on the named server, if one is named), a
 * server without printer must be a server object of the domain. */
bool ParsePrinterName(const char *name, ParsedPrinterName *parsed);

/* ---- Handles (handles.cpp) ---- */
void HandleListInit();
void HandleListTerm(); /* destroys HandleListLock; the list must be empty */

PrinterHandle *CreatePrinterHandle(const ParsedPrinterName &name); /* unlisted; null: out of memory */

/* A counted use of an open handle for the length of one call. The handle is
 * found in OpenHandleList, so a pointer to other memory or a closed handle is
 * refused (ERROR_INVALID_HANDLE) without being read; the reference keeps the
 * block alive when another thread closes the handle meanwhile, and the last
 * release frees it. After a close, HandleOpen answers false: a call that
 * holds a reference re-checks it under JobLock before it touches job fields. */
class HandleRef {
public:
    explicit HandleRef(HANDLE handle);
    ~HandleRef();
    HandleRef(const HandleRef &) = delete;
    HandleRef &operator=(const HandleRef &) = delete;
    explicit operator bool() const { return handle_ != nullptr; }
    PrinterHandle *get() const { return handle_; }
    PrinterHandle *operator->() const { return handle_; }

private:
    PrinterHandle *handle_ = nullptr;
};

/* False once ClosePrinter has begun on the handle. */
inline bool HandleOpen(const PrinterHandle *handle)
{
    return handle->signature == kHandleSignature;
}

/* Each sets ERROR_INVALID_HANDLE and returns false when the handle is not an
 * open handle of this provider (also for null, foreign and closed handles). */
bool CheckHandle(HANDLE handle);
bool CheckServerHandle(HANDLE handle);
bool CheckJobHandle(HANDLE handle);

void ClearJobReferences(JobRecord *job);                /* JobLock held */
void ClearDocumentReferences(DocumentRecord *document); /* JobLock held */
void CloseAllHandles();

BOOL WINAPI OpenPrinter(LPSTR printerName, LPHANDLE printerHandle, LPPRINTER_DEFAULTSA defaults);
BOOL WINAPI ClosePrinter(HANDLE printerHandle);

/* ---- Per-printer registry key (printer_key.cpp) ---- */
extern const char kPrinterKeyRoot[];

/* The key path of a handle's printer under HKEY_CURRENT_USER; empty when it
 * would not fit the 1024-byte path buffer. */
std::string PrinterKeyPath(const PrinterHandle *handle);

/* Opens (creating when missing) the printer's key; null on failure. */
HKEY OpenPrinterKey(const PrinterHandle *handle, REGSAM access);
void WritePrinterKeyDefaults(const PrinterHandle *handle);
int ReadUsePA(const PrinterHandle *handle);

/* ---- Jobs (jobs.cpp) ---- */
QvStatus AbortDocument(PrinterHandle *handle);

#endif
