/*
 * ProvKeep: moves another vendor's print-provider registration out of the
 * spooler's list of providers into a saved copy, and puts it back.
 * Private header shared by the export file and the key-copy routines.
 */
#ifndef PROVKEEP_H
#define PROVKEEP_H

#include <windows.h>

/* The spooler's list of print providers, under HKEY_LOCAL_MACHINE. */
#define PROVKEEP_PROVIDERS_PATH "SYSTEM\\CurrentControlSet\\Control\\Print\\Providers"
/* The registration that is kept: a subkey of the providers key, and the saved
 * copy directly under HKEY_USERS, both by this name. */
#define PROVKEEP_PROVIDER_NAME "Novell Print Provider for Netware"
#define PROVKEEP_PROVIDER_PATH PROVKEEP_PROVIDERS_PATH "\\" PROVKEEP_PROVIDER_NAME

/* Every key is opened and created with full access. */
constexpr REGSAM kKeyAccess = KEY_ALL_ACCESS;
static_assert(kKeyAccess == 0xF003F, "full access to a key");

/* Capacities, in bytes with the terminating NUL, of the names and classes
 * that the copy routines read. A longer name or class stops the copy. */
constexpr DWORD kNameCapacity = 260;
constexpr DWORD kClassCapacity = 260;

/* Owns one open registry key; closes it with the registry's own close. */
class ScopedKey {
public:
    ScopedKey() = default;
    ~ScopedKey() { Close(); }
    ScopedKey(const ScopedKey &) = delete;
    ScopedKey &operator=(const ScopedKey &) = delete;

    HKEY *Out() { return &key_; }
    operator HKEY() const { return key_; }

    /* Closes the key now; answers the close's result (0 when nothing was open). */
    LONG Close()
    {
        LONG rc = ERROR_SUCCESS;
        if (key_ != nullptr)
            rc = RegCloseKey(key_);
        key_ = nullptr;
        return rc;
    }

private:
    HKEY key_ = nullptr;
};

/* Opens the named subkey of parent and copies all its values (name, type and
 * data) into destination. Returns the first registry error, 0 on success. */
LONG CopyKeyValues(HKEY parent, const char *subkeyName, HKEY destination);

/* Copies every subkey of source at every depth, each with its class and its
 * values, into destination; not the values of source itself. Depth first;
 * stops at the first error and returns it, leaving what was copied. */
LONG CopyKeyTree(HKEY destination, HKEY source);

/* Deletes the named subkey of parent with everything below it, deepest keys
 * first (the platform's own delete removes only keys without subkeys on
 * Windows NT and Wine). Returns the first registry error, 0 on success. */
LONG DeleteKeyTree(HKEY parent, const char *subkeyName);

#endif
