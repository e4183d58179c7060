/*
 * Exports of ProvKeep, called by the installation program:
 *   ProvKeepBackup  moves the provider's key to the saved copy under HKEY_USERS;
 *   ProvKeepRestore copies the saved copy back under the providers key.
 * Each failure is shown in one message box. The result carries no status:
 * it is the box's answer when the providers key cannot be opened, and the
 * result of closing the providers key on every other path.
 */
#include "provkeep.h"

namespace {

const char kOpenFailed[] = "Failed to open Registry";
const char kCreateFailed[] = "Failed to create Registry keys";
const char kRemoveFailed[] = "Failed to remove Registry keys";

/* An OK-only box with an empty caption, owned by the window with the focus. */
int ShowMessage(const char *text)
{
    return MessageBoxA(GetFocus(), text, "", MB_OK);
}

LONG CreateKey(HKEY parent, const char *name, ScopedKey &key)
{
    DWORD disposition = 0;
    return RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, kKeyAccess, nullptr, key.Out(),
                           &disposition);
}

} // namespace

extern "C" int WINAPI ProvKeepBackup(void)
{
    ScopedKey providers;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, PROVKEEP_PROVIDERS_PATH, 0, kKeyAccess, providers.Out())
        != ERROR_SUCCESS)
        return ShowMessage(kOpenFailed);

    ScopedKey saved;
    if (CreateKey(HKEY_USERS, PROVKEEP_PROVIDER_NAME, saved) != ERROR_SUCCESS) {
        ShowMessage(kCreateFailed);
        return providers.Close();
    }

    const LONG valuesCopied = CopyKeyValues(providers, PROVKEEP_PROVIDER_NAME, saved);

    ScopedKey provider;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, PROVKEEP_PROVIDER_PATH, 0, kKeyAccess, provider.Out())
        != ERROR_SUCCESS) {
        ShowMessage(kOpenFailed);
        saved.Close();
        return providers.Close();
    }

    const LONG treeCopied = CopyKeyTree(saved, provider);

    // The registration leaves the providers list only once all of it is
    // saved; after a failed copy it stays, so that nothing is lost.
    if (valuesCopied == ERROR_SUCCESS && treeCopied == ERROR_SUCCESS
        && DeleteKeyTree(providers, PROVKEEP_PROVIDER_NAME) != ERROR_SUCCESS)
        ShowMessage(kRemoveFailed);

    provider.Close();
    saved.Close();
    return providers.Close();
}

extern "C" int WINAPI ProvKeepRestore(void)
{
    ScopedKey providers;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, PROVKEEP_PROVIDERS_PATH, 0, kKeyAccess, providers.Out())
        != ERROR_SUCCESS)
        return ShowMessage(kOpenFailed);

    ScopedKey provider;
    if (CreateKey(providers, PROVKEEP_PROVIDER_NAME, provider) != ERROR_SUCCESS) {
        ShowMessage(kCreateFailed);
        return providers.Close();
    }

    // Results not looked at: a partial restore keeps what it copied, and the
    // saved copy stays for another attempt.
    CopyKeyValues(HKEY_USERS, PROVKEEP_PROVIDER_NAME, provider);

    ScopedKey saved;
    if (RegOpenKeyExA(HKEY_USERS, PROVKEEP_PROVIDER_NAME, 0, kKeyAccess, saved.Out()) != ERROR_SUCCESS) {
        ShowMessage(kOpenFailed);
        provider.Close();
        return providers.Close();
    }

    CopyKeyTree(provider, saved);

    saved.Close();
    provider.Close();
    return providers.Close();
}
