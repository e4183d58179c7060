/*
 * NPFormatNetworkName: the short display text of a network name of this
 * provider (a kind's label, a domain, a server or a printer's own name).
 */
#include <string.h>

#include "domainkinds.h"
#include "netprov.h"

namespace {

const uint32_t kLabelBytes = 1024; // room for a kind's label

// The label of a domain kind from this module's string table; empty when
// the module is unknown or the string cannot be loaded.
void LoadKindLabel(uint32_t id, TextBuffer &text)
{
    text.reserve(kLabelBytes);
    text.truncate(0);
    if (g_moduleInstance == nullptr)
        return;
    if (LoadStringA(g_moduleInstance, id, text.data(), kLabelBytes) <= 0)
        text.truncate(0);
    else
        text.truncate(-1);
}

// Picks the display text of remote by the form of the name.
void ChooseDisplayText(const char *remote, TextBuffer &display)
{
    const size_t doubleBackslash = 2;
    if (strncmp(remote, QVNP_MARKER ".", kMarkerLength + 1) == 0) {
        const char *domain = nullptr;
        int32_t index = MatchKindPrefix(remote + kMarkerLength + 1, &domain);
        if (*domain != '\0')
            display.assign(domain);
        else
            LoadKindLabel(g_domainKinds.entries[index].label, display);
        return;
    }
    if (strncmp(remote, QVNP_MARKER, kMarkerLength) == 0) {
        const char *server = remote + kMarkerLength;
        const char *dot = FindCharacter(server, '.');
        if (dot != nullptr) {
            display.assign(server);
            display.truncate(static_cast<int32_t>(dot - server));
        } else {
            display.assign(remote);
        }
        return;
    }
    if (strncmp(remote, "\\\\", doubleBackslash) == 0) {
        const char *backslash = FindCharacter(remote + doubleBackslash, '\\');
        if (backslash != nullptr) {
            display.assign(backslash + 1);
            return;
        }
    }
    display.assign(remote);
}

} // namespace

extern "C" DWORD WINAPI NPFormatNetworkName(LPSTR lpRemoteName, LPSTR lpFormattedName, LPDWORD lpnLength,
                                            DWORD dwFlags, DWORD dwAveCharPerLine)
{
    try {
        if (!EnsureNameService())
            return WN_NO_NETWORK;
        if (lpRemoteName == nullptr || lpnLength == nullptr)
            return WN_BAD_POINTER;

        TextBuffer display;
        ChooseDisplayText(lpRemoteName, display);
        DWORD needed = display.length() + 1;
        if (*lpnLength < needed) {
            *lpnLength = needed;
            return WN_MORE_DATA;
        }
        if (lpFormattedName == nullptr)
            return WN_BAD_POINTER;
        memcpy(lpFormattedName, display.c_str(), needed);
        return WN_SUCCESS;
    } catch (...) {
        return WN_OUT_OF_MEMORY;
    }
}
