// settings.h: what the setup tool reads, compares and writes, and which
// message follows each failure, apart from any dialog toolkit. The dialog
// supplies the few control operations through SettingsDialog; the registry
// calls go through SettingsRegistry, whose defaults are the Win32 calls.
#pragma once

#include <windows.h>

#include <string>

namespace qvsetup {

// Registry keys and values under HKEY_LOCAL_MACHINE.
constexpr const char kPgrKey[] = "SOFTWARE\\Tamsell\\Quorvane\\pgr";
constexpr const char kTirpcKey[] = "SOFTWARE\\tirpc";
constexpr const char kServerAddressValue[] = "ServerAddress";
constexpr const char kEnableLocalFileValue[] = "EnableLocalFile";
constexpr const char kServerHostValue[] = "ypservhost";
constexpr const char kNisDomainValue[] = "nis_domain";

// Keys opened at initialisation are opened for reading and writing together.
constexpr REGSAM kInitAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY; // 0x2001F
constexpr REGSAM kWriteAccess = KEY_ALL_ACCESS;                               // 0xF003F

// Stands in an edit field for a string value that is absent or has no data.
constexpr const char kNotSpecified[] = "[not specified]";

// "EnableLocalFile" exactly 1: NT Quorvane servers are not used.
constexpr DWORD kLocalFileOnly = 1;
constexpr DWORD kUseNtServers = 0;

// Check-box states as BM_GETCHECK answers them.
constexpr int kUnchecked = BST_UNCHECKED;
constexpr int kChecked = BST_CHECKED;

// Exit status of a run that could not read the settings.
constexpr int kExitNoSettings = 1;

// The registry calls the settings use. Tests derive from it to make single
// calls fail; every default is the Win32 call of the same name.
class SettingsRegistry {
public:
    virtual ~SettingsRegistry() = default;
    virtual LONG OpenKey(HKEY root, const char *path, REGSAM access, HKEY *key);
    virtual LONG QueryValue(HKEY key, const char *name, DWORD *type, BYTE *data, DWORD *size);
    virtual LONG SetValue(HKEY key, const char *name, DWORD type, const BYTE *data, DWORD size);
    virtual LONG DeleteValue(HKEY key, const char *name);
    virtual LONG CloseKey(HKEY key);
};

// The settings state of the dialog and its logic. The dialog derives from
// it and supplies the control operations; the members are the dialog's.
class ClientSetupSettings {
public:
    explicit ClientSetupSettings(SettingsRegistry &registry) : m_registry(registry) { }
    virtual ~ClientSetupSettings() = default;

    // Reads the four values into the controls and the at-start copies.
    // Returns false when the process must end with kExitNoSettings (neither
    // key opens, or a size query answers ERROR_MORE_DATA); the message has
    // been shown then.
    bool LoadSettings();
    // Enables the name-service field when the NT box is checked.
    void NtCheckClicked();
    // Enables the two UNIX fields when the UNIX box is checked.
    void UnixCheckClicked();
    // The OK button: switches, validation, change test, writes, messages.
    // Ends the dialog with the OK result when validation passed.
    void ApplySettings();

    int m_nUnixAtStart = 0;
    int m_nNtAtStart = 0;
    std::string m_strServerAddress;
    std::string m_strNisDomain;
    std::string m_strServerHost;
    std::string m_strServerHostAtStart;
    std::string m_strNisDomainAtStart;
    std::string m_strServerAddressAtStart;
    bool m_bUnixKeyOpened = false;
    bool m_bPgrKeyOpened = false;

protected:
    // Control operations that the dialog supplies. Control ids are those of
    // the dialog template (resource.h).
    virtual int GetCheckState(int id) = 0;
    virtual void SetCheckState(int id, int state) = 0;
    virtual void EnableControl(int id, bool enable) = 0;
    // true: edit fields -> the three texts; false: texts -> edit fields.
    virtual void ExchangeTexts(bool saveAndValidate) = 0;
    // A message box with OK only, no icon, owned by the dialog; text and
    // caption from the string table.
    virtual void ShowMessage(UINT textId, UINT captionId) = 0;
    // The same with literal texts, for the one pair not in the string table.
    virtual void ShowMessageText(const char *text, const char *caption) = 0;
    // Ends the dialog with the OK result.
    virtual void CloseWithOK() = 0;

private:
    enum class ReadResult { Present, Empty, Truncated };
    // Reads a string value as the size query and a read of that size; the
    // text ends at its first NUL and never past the bytes read.
    ReadResult ReadText(HKEY key, const char *name, std::string &text);
    void LoadUnixSettings(HKEY key, bool &ok);
    void LoadPgrSettings(HKEY key, bool &ok);
    void SetText(HKEY key, const char *name, const std::string &text, bool &ok);

    SettingsRegistry &m_registry;
};

} // namespace qvsetup
