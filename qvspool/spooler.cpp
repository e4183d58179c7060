// qvspool's spooler side: the provider loaded with its cache settings.
#include "spooler.h"

const char kProviderKey[] = "System\\CurrentControlSet\\Control\\Print\\Providers\\Quorvane";

namespace {

// How long the provider keeps query answers, in milliseconds: short enough
// that a watched queue moves, long enough that a size query and the fill
// that follows it share one server answer.
const struct {
    const char *value;
    DWORD milliseconds;
} kCacheTimeouts[] = {
    {"EnumPrinters", 2000}, {"GetPrinter", 1000}, {"EnumJobs", 1000},
    {"GetJob", 1000},       {"EnumPorts", 2000},  {"GetPrinterDriver", 60000},
};
const DWORD kMaxCacheEntries = 64;
const DWORD kCacheMonitorPeriod = 5000;

LONG SetDword(HKEY key, const char *name, DWORD value)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
}

// The provider's key with its cache settings, as an administrator would set them.
LONG WriteCacheSettings()
{
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProviderKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    HKEY timeouts = nullptr;
    rc = SetDword(key, "MaxCacheEntries", kMaxCacheEntries);
    if (rc == ERROR_SUCCESS)
        rc = SetDword(key, "CacheMonitorPeriod", kCacheMonitorPeriod);
    if (rc == ERROR_SUCCESS)
        rc = RegCreateKeyExA(key, "CacheTimeouts", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &timeouts,
                             nullptr);
    for (size_t i = 0; rc == ERROR_SUCCESS && i < sizeof kCacheTimeouts / sizeof kCacheTimeouts[0]; ++i)
        rc = SetDword(timeouts, kCacheTimeouts[i].value, kCacheTimeouts[i].milliseconds);
    if (timeouts)
        RegCloseKey(timeouts);
    RegCloseKey(key);
    return rc;
}

} // namespace

Spooler::~Spooler()
{
    SpoolUnloadProvider(&provider_);
}

DWORD Spooler::load()
{
    LONG rc = WriteCacheSettings();
    if (rc != ERROR_SUCCESS)
        return DWORD(rc);
    return SpoolLoadProvider("qvprov.dll", kProviderKey, &provider_);
}

OpenedPrinter::OpenedPrinter(const Spooler &spooler, const std::string &name) : spooler_(spooler)
{
    SetLastError(ERROR_SUCCESS);
    if (!spooler_.table().fpOpenPrinter(const_cast<char *>(name.c_str()), &handle_, nullptr)) {
        handle_ = nullptr;
        error_ = GetLastError() ? GetLastError() : ERROR_INVALID_PRINTER_NAME;
    }
}

OpenedPrinter::~OpenedPrinter()
{
    if (handle_)
        spooler_.table().fpClosePrinter(handle_);
}
