// The spooler's loading of a print provider and the slot directory of its table.
#include "spoolhost.h"

#include <string.h>

const SpoolSlotInfo kSpoolSlots[PRINTPROVIDOR_SLOT_COUNT] = {
#define QV_SLOT_INFO(slot, name) {#name, SpoolArgCount<PFN_##name>::value},
    QV_PRINTPROVIDOR_SLOTS(QV_SLOT_INFO)
#undef QV_SLOT_INFO
};

void *SpoolSlot(const PRINTPROVIDOR *table, unsigned index)
{
    if (!table || index >= PRINTPROVIDOR_SLOT_COUNT)
        return nullptr;
    void *entry;
    memcpy(&entry, reinterpret_cast<const char *>(table) + index * sizeof(void *), sizeof entry);
    return entry;
}

DWORD SpoolLoadProvider(const char *dllName, const char *registryPath, SpoolProvider *provider)
{
    memset(provider, 0, sizeof *provider);
    provider->module = LoadLibraryA(dllName);
    if (!provider->module)
        return GetLastError();
    provider->initialize = reinterpret_cast<PFN_InitializePrintProvidor>(
        GetProcAddress(provider->module, "InitializePrintProvidor"));
    DWORD error = ERROR_PROC_NOT_FOUND;
    if (provider->initialize) {
        SetLastError(ERROR_SUCCESS);
        if (provider->initialize(&provider->table, sizeof provider->table, const_cast<LPSTR>(registryPath)))
            return ERROR_SUCCESS;
        error = GetLastError();
        if (error == ERROR_SUCCESS)
            error = ERROR_GEN_FAILURE;
    }
    FreeLibrary(provider->module);
    memset(provider, 0, sizeof *provider);
    return error;
}

void SpoolUnloadProvider(SpoolProvider *provider)
{
    if (provider->module)
        FreeLibrary(provider->module);
    memset(provider, 0, sizeof *provider);
}
