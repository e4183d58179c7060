/*
 * The spooler side of a print provider, as the Windows 95 spooler drives it:
 * load the provider DLL by name, find "InitializePrintProvidor", hand it a
 * PRINTPROVIDOR table with its size and the provider's registry path, then
 * call through the table. Used by the host program and by the tests.
 */
#ifndef QV_SPOOLHOST_H
#define QV_SPOOLHOST_H

#include "printprovidor.h"

/* How many 32-bit arguments an entry type takes (all arguments are one word). */
template<typename F> struct SpoolArgCount;
template<typename R, typename... A> struct SpoolArgCount<R(WINAPI *)(A...)> {
    static constexpr unsigned value = sizeof...(A);
};

struct SpoolSlotInfo {
    const char *name;
    unsigned argCount; /* words the entry pops on return */
};

/* The 50 slots in table order. */
extern const SpoolSlotInfo kSpoolSlots[PRINTPROVIDOR_SLOT_COUNT];

/* Index of a slot in the table, by the operation's name: SPOOL_SLOT(ClosePrinter). */
#define SPOOL_SLOT(name) unsigned(offsetof(PRINTPROVIDOR, fp##name) / sizeof(void *))

/* Entry pointer of slot index (0..49) of a table. */
void *SpoolSlot(const PRINTPROVIDOR *table, unsigned index);

struct SpoolProvider {
    HMODULE module;
    PFN_InitializePrintProvidor initialize;
    PRINTPROVIDOR table;
};

/* Loads dllName and initialises its table with registryPath. Returns 0, or
 * the Win32 error of the step that failed (the provider is then unloaded). */
DWORD SpoolLoadProvider(const char *dllName, const char *registryPath, SpoolProvider *provider);

/* Unloads a provider loaded by SpoolLoadProvider and clears the record. */
void SpoolUnloadProvider(SpoolProvider *provider);

#endif
