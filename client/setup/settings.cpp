// settings.cpp: reading the four server settings at initialisation and
// writing what changed when the user presses OK.
#include "settings.h"

#include <cstring>
#include <vector>

#include "resource.h"

namespace qvsetup {

LONG SettingsRegistry::OpenKey(HKEY root, const char *path, REGSAM access, HKEY *key)
{
    return ::RegOpenKeyExA(root, path, 0, access, key);
}

LONG SettingsRegistry::QueryValue(HKEY key, const char *name, DWORD *type, BYTE *data, DWORD *size)
{
    return ::RegQueryValueExA(key, name, nullptr, type, data, size);
}

LONG SettingsRegistry::SetValue(HKEY key, const char *name, DWORD type, const BYTE *data, DWORD size)
{
    return ::RegSetValueExA(key, name, 0, type, data, size);
}

LONG SettingsRegistry::DeleteValue(HKEY key, const char *name)
{
    return ::RegDeleteValueA(key, name);
}

LONG SettingsRegistry::CloseKey(HKEY key)
{
    return ::RegCloseKey(key);
}

namespace {

// An open key, closed through the same registry calls when the scope ends.
class OpenedKey {
public:
    OpenedKey(SettingsRegistry &registry, const char *path, REGSAM access) : m_registry(registry)
    {
        if (m_registry.OpenKey(HKEY_LOCAL_MACHINE, path, access, &m_key) != ERROR_SUCCESS)
            m_key = nullptr;
    }
    ~OpenedKey()
    {
        if (m_key)
            m_registry.CloseKey(m_key);
    }
    OpenedKey(const OpenedKey &) = delete;
    OpenedKey &operator=(const OpenedKey &) = delete;

    explicit operator bool() const { return m_key != nullptr; }
    HKEY get() const { return m_key; }

private:
    SettingsRegistry &m_registry;
    HKEY m_key = nullptr;
};

} // namespace

ClientSetupSettings::ReadResult ClientSetupSettings::ReadText(HKEY key, const char *name, std::string &text)
{
    DWORD type = 0;
    DWORD size = 0;
    LONG rc = m_registry.QueryValue(key, name, &type, nullptr, &size);
    if (rc == ERROR_MORE_DATA)
        return ReadResult::Truncated;
    if (rc != ERROR_SUCCESS || size == 0)
        return ReadResult::Empty;

    std::vector<BYTE> data(size);
    DWORD got = size;
    rc = m_registry.QueryValue(key, name, &type, data.data(), &got);
    // The value may have grown since the size query: that is the same
    // truncation, not a text cut short without notice.
    if (rc == ERROR_MORE_DATA)
        return ReadResult::Truncated;
    // Gone since the size query: as if it had never been there.
    if (rc != ERROR_SUCCESS)
        return ReadResult::Empty;
    if (got > size)
        got = size;
    const char *chars = reinterpret_cast<const char *>(data.data());
    text.assign(chars, ::strnlen(chars, got));
    return ReadResult::Present;
}

void ClientSetupSettings::LoadUnixSettings(HKEY key, bool &ok)
{
    struct Field {
        const char *value;
        std::string *text;
    };
    const Field fields[] = {{kServerHostValue, &m_strServerHost}, {kNisDomainValue, &m_strNisDomain}};
    for (const Field &f : fields) {
        switch (ReadText(key, f.value, *f.text)) {
        case ReadResult::Truncated:
            ok = false;
            return;
        case ReadResult::Present:
            SetCheckState(IDC_UNIX_CHECK, kChecked);
            m_nUnixAtStart = 1;
            UnixCheckClicked();
            break;
        case ReadResult::Empty:
            *f.text = kNotSpecified;
            break;
        }
    }
    m_strServerHostAtStart = m_strServerHost;
    m_strNisDomainAtStart = m_strNisDomain;
}

void ClientSetupSettings::LoadPgrSettings(HKEY key, bool &ok)
{
    switch (ReadText(key, kServerAddressValue, m_strServerAddress)) {
    case ReadResult::Truncated:
        ok = false;
        return;
    case ReadResult::Present: {
        // Only a successful read of exactly four bytes is a number; anything
        // else counts as absent, so no unread word is ever compared.
        DWORD value = 0;
        DWORD type = 0;
        DWORD size = sizeof(value);
        LONG rc = m_registry.QueryValue(key, kEnableLocalFileValue, &type, reinterpret_cast<BYTE *>(&value),
                                        &size);
        bool localOnly = rc == ERROR_SUCCESS && size == sizeof(value) && value == kLocalFileOnly;
        SetCheckState(IDC_NT_CHECK, localOnly ? kUnchecked : kChecked);
        EnableControl(IDC_SERVER_ADDRESS_EDIT, !localOnly);
        m_nNtAtStart = localOnly ? 0 : 1;
        break;
    }
    case ReadResult::Empty:
        // The box keeps its template state and the field stays disabled.
        m_strServerAddress = kNotSpecified;
        break;
    }
    m_strServerAddressAtStart = m_strServerAddress;
}

bool ClientSetupSettings::LoadSettings()
{
    m_bUnixKeyOpened = true;
    m_bPgrKeyOpened = true;
    bool ok = true;

    {
        OpenedKey key(m_registry, kTirpcKey, kInitAccess);
        if (!key) {
            m_bUnixKeyOpened = false;
            EnableControl(IDC_UNIX_CHECK, false);
        } else {
            LoadUnixSettings(key.get(), ok);
        }
    }
    if (ok) {
        OpenedKey key(m_registry, kPgrKey, kInitAccess);
        if (!key) {
            m_bPgrKeyOpened = false;
            EnableControl(IDC_NT_CHECK, false);
        } else {
            LoadPgrSettings(key.get(), ok);
        }
    }
    if (!ok) {
        ShowMessage(IDS_TRUNCATED_BUFFER, IDS_ERROR_CAPTION);
        return false;
    }

    if (!m_bUnixKeyOpened && !m_bPgrKeyOpened) {
        ShowMessage(IDS_NO_PERMISSION, IDS_ERROR_CAPTION);
        return false;
    }
    if (!m_bUnixKeyOpened)
        ShowMessage(IDS_UNIX_KEYS_MISSING, IDS_ERROR_CAPTION);
    if (!m_bPgrKeyOpened)
        ShowMessage(IDS_NT_KEYS_MISSING, IDS_ERROR_CAPTION);

    ExchangeTexts(false);
    return true;
}

void ClientSetupSettings::NtCheckClicked()
{
    EnableControl(IDC_SERVER_ADDRESS_EDIT, GetCheckState(IDC_NT_CHECK) == kChecked);
}

void ClientSetupSettings::UnixCheckClicked()
{
    bool checked = GetCheckState(IDC_UNIX_CHECK) == kChecked;
    EnableControl(IDC_NIS_DOMAIN_EDIT, checked);
    EnableControl(IDC_SERVER_HOST_EDIT, checked);
}

// Writes a REG_SZ value with its terminating NUL; clears ok on failure.
void ClientSetupSettings::SetText(HKEY key, const char *name, const std::string &text, bool &ok)
{
    LONG rc = m_registry.SetValue(key, name, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                                  static_cast<DWORD>(text.size() + 1));
    if (rc != ERROR_SUCCESS)
        ok = false;
}

void ClientSetupSettings::ApplySettings()
{
    ExchangeTexts(true);
    bool hostChanged = false;
    bool domainChanged = false;
    bool addressChanged = false;
    bool registryTouched = false;
    bool mayClose = true;

    // The NT switch, against the state read at initialisation.
    const int ntState = GetCheckState(IDC_NT_CHECK);
    bool writeSwitch = false;
    DWORD switchValue = kUseNtServers;
    if (m_nNtAtStart == 1 && ntState == kUnchecked) {
        writeSwitch = true;
        switchValue = kLocalFileOnly;
    } else if (m_nNtAtStart == 0 && ntState == kChecked) {
        writeSwitch = true;
        switchValue = kUseNtServers;
    }
    if (writeSwitch) {
        OpenedKey key(m_registry, kPgrKey, kWriteAccess);
        if (!key) {
            ShowMessage(IDS_OPEN_KEY_FAILED, IDS_ERROR_CAPTION);
        } else {
            if (m_registry.SetValue(key.get(), kEnableLocalFileValue, REG_DWORD,
                                    reinterpret_cast<const BYTE *>(&switchValue), sizeof(switchValue))
                != ERROR_SUCCESS)
                ShowMessageText("Unable to modify EnableLocalFile", "ERROR");
            registryTouched = true;
        }
    }

    // Switching UNIX off removes both values. A value that is already gone
    // (never there, or removed by an earlier OK) counts as removed.
    if (m_nUnixAtStart == 1 && GetCheckState(IDC_UNIX_CHECK) == kUnchecked) {
        OpenedKey key(m_registry, kTirpcKey, kWriteAccess);
        if (!key) {
            ShowMessage(IDS_OPEN_UNIX_KEYS_FAILED, IDS_ERROR_CAPTION);
        } else {
            LONG rc = m_registry.DeleteValue(key.get(), kNisDomainValue);
            if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
                ShowMessage(IDS_DELETE_DOMAIN_FAILED, IDS_ERROR_CAPTION);
            rc = m_registry.DeleteValue(key.get(), kServerHostValue);
            if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
                ShowMessage(IDS_DELETE_HOST_FAILED, IDS_ERROR_CAPTION);
            registryTouched = true;
        }
    }

    // Validation keeps the dialog open but does not hold back the writes.
    if (GetCheckState(IDC_NT_CHECK) == kChecked && m_strServerAddress == kNotSpecified) {
        ShowMessage(IDS_ENTER_NAME_SERVICE, IDS_VALUE_NOT_SPECIFIED);
        mayClose = false;
    }
    if (GetCheckState(IDC_UNIX_CHECK) == kChecked) {
        if (m_strNisDomain == kNotSpecified) {
            ShowMessage(IDS_ENTER_NIS_DOMAIN, IDS_VALUE_NOT_SPECIFIED);
            mayClose = false;
        }
        if (m_strServerHost == kNotSpecified) {
            ShowMessage(IDS_ENTER_SERVER_HOST, IDS_VALUE_NOT_SPECIFIED);
            mayClose = false;
        }
    }

    // Byte for byte: a change of case is a change.
    hostChanged = m_strServerHost != m_strServerHostAtStart;
    domainChanged = m_strNisDomain != m_strNisDomainAtStart;
    addressChanged = m_strServerAddress != m_strServerAddressAtStart;

    if (!hostChanged && !domainChanged && !addressChanged) {
        if (!registryTouched)
            ShowMessage(IDS_NO_CHANGES, IDS_APP_TITLE);
    } else {
        if (addressChanged) {
            OpenedKey key(m_registry, kPgrKey, kWriteAccess);
            bool ok = static_cast<bool>(key);
            if (key)
                SetText(key.get(), kServerAddressValue, m_strServerAddress, ok);
            if (!ok)
                ShowMessage(IDS_MODIFY_NAME_SERVICE_FAILED, IDS_ERROR_CAPTION);
        }
        if (hostChanged || domainChanged) {
            // Both values are written together, even when only one changed.
            OpenedKey key(m_registry, kTirpcKey, kWriteAccess);
            bool ok = static_cast<bool>(key);
            if (key) {
                SetText(key.get(), kServerHostValue, m_strServerHost, ok);
                SetText(key.get(), kNisDomainValue, m_strNisDomain, ok);
            }
            if (!ok)
                ShowMessage(IDS_MODIFY_UNIX_KEYS_FAILED, IDS_ERROR_CAPTION);
        }
    }

    if (hostChanged || domainChanged || addressChanged || registryTouched)
        ShowMessage(IDS_REBOOT, IDS_APP_TITLE);

    if (mayClose)
        CloseWithOK();
}

} // namespace qvsetup
