/*
 * qvspool's spooler side: loads qvprov.dll as the Windows 95 spooler does,
 * with a provider key that holds its cache settings, and from then on calls
 * only through the provider's table.
 */
#pragma once

#include <string>

#include "spoolhost.h"

// The provider's key under HKEY_LOCAL_MACHINE, as the spooler registers it.
extern const char kProviderKey[];

class Spooler {
public:
    ~Spooler();
    // Writes the cache settings, loads the provider and fills its table;
    // the Win32 error of the step that failed, or 0.
    DWORD load();
    const PRINTPROVIDOR &table() const { return provider_.table; }

private:
    SpoolProvider provider_ = {};
};

// A printer opened through the table, closed when it goes.
class OpenedPrinter {
public:
    OpenedPrinter(const Spooler &spooler, const std::string &name);
    ~OpenedPrinter();
    OpenedPrinter(const OpenedPrinter &) = delete;
    OpenedPrinter &operator=(const OpenedPrinter &) = delete;
    // 0 when open, else the error OpenPrinter left.
    DWORD error() const { return error_; }
    HANDLE handle() const { return handle_; }

private:
    const Spooler &spooler_;
    HANDLE handle_ = nullptr;
    DWORD error_ = 0;
};
