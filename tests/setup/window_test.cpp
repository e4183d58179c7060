// qvsetup.exe itself, run as a separate process on the virtual display and
// driven from outside through its real windows: the dialog, its controls,
// the About box and the message boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry_guard.h"
#include "resource.h"
#include "window_driver.h"

using namespace setuptest;

namespace {

std::string ProgramPath()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of("\\/") + 1) + "qvsetup.exe";
}

class Program {
public:
    Program()
    {
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        std::string cmd = "\"" + ProgramPath() + "\"";
        m_started
            = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi);
    }
    ~Program()
    {
        if (!m_started)
            return;
        if (WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_pi.hProcess, 99);
        CloseHandle(m_pi.hThread);
        CloseHandle(m_pi.hProcess);
    }
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    bool started() const { return m_started; }

    // A visible dialog-class top-level window of the program with this caption.
    HWND WaitForWindow(const std::string &caption) const
    {
        return WaitForDialog(m_pi.dwProcessId, caption, m_pi.hProcess);
    }

    // The exit status, or STILL_ACTIVE if the program did not end in time.
    DWORD WaitForExit() const
    {
        WaitForSingleObject(m_pi.hProcess, kWaitMs);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(m_pi.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION m_pi = {};
    bool m_started = false;
};

class SetupWindowTest : public FixedKeysTest { };

TEST_F(SetupWindowTest, CheckTypeOKShowsRestartMessageAndWritesRegistry)
{
    PutValue(kPgrKey, "ServerAddress", Sz("nshost.example.com"));
    PutValue(kPgrKey, "EnableLocalFile", Dword(0));
    CreateKey(kTirpcKey);

    Program program;
    ASSERT_TRUE(program.started());
    HWND dlg = program.WaitForWindow(kDialogCaption);
    ASSERT_NE(nullptr, dlg);

    // Texts from the string table, values from the registry.
    const struct {
        int id;
        const char *text;
    } texts[] = {{IDC_WINDOWS_GROUP, "Windows"},
                 {IDC_UNIX_GROUP, "UNIX"},
                 {IDC_NT_CHECK, "Print to NT Quorvane Servers"},
                 {IDC_UNIX_CHECK, "Print to UNIX Quorvane Servers"},
                 {IDC_SERVER_ADDRESS_STATIC, "Quorvane Name Service host name:"},
                 {IDC_NIS_DOMAIN_STATIC, "UNIX NIS Domain:"},
                 {IDC_SERVER_HOST_STATIC, "Server host name:"},
                 {IDOK, "OK"},
                 {IDCANCEL, "Cancel"},
                 {IDC_SERVER_ADDRESS_EDIT, "nshost.example.com"},
                 {IDC_NIS_DOMAIN_EDIT, "[not specified]"},
                 {IDC_SERVER_HOST_EDIT, "[not specified]"}};
    for (const auto &t : texts)
        EXPECT_EQ(t.text, TextOf(GetDlgItem(dlg, t.id))) << t.id;
    EXPECT_TRUE(GetWindowLongA(dlg, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    // WM_GETICON and WM_QUERYDRAGICON are not carried between processes by
    // Wine, so the icons are not checked from here.

    HWND unixBox = GetDlgItem(dlg, IDC_UNIX_CHECK);
    HWND domain = GetDlgItem(dlg, IDC_NIS_DOMAIN_EDIT);
    HWND host = GetDlgItem(dlg, IDC_SERVER_HOST_EDIT);
    EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(dlg, IDC_NT_CHECK), BM_GETCHECK, 0, 0));
    EXPECT_EQ(BST_UNCHECKED, SendMessageA(unixBox, BM_GETCHECK, 0, 0));
    EXPECT_FALSE(IsWindowEnabled(domain));
    EXPECT_FALSE(IsWindowEnabled(host));

    // The user checks the UNIX box: the box's own click enables the fields.
    SendMessageA(unixBox, BM_CLICK, 0, 0);
    EXPECT_EQ(BST_CHECKED, SendMessageA(unixBox, BM_GETCHECK, 0, 0));
    EXPECT_TRUE(IsWindowEnabled(domain));
    EXPECT_TRUE(IsWindowEnabled(host));
    SendMessageA(domain, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("corp.example"));
    SendMessageA(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("nis1.example.com"));

    PressButton(dlg, IDOK);
    HWND box = program.WaitForWindow("Quorvane Client Setup");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(dlg, GetWindow(box, GW_OWNER));
    EXPECT_EQ("In order for your changes to be processed you need to reboot the machine.",
              MessageBoxText(box));
    PressButton(box, IDOK);

    EXPECT_EQ(0u, program.WaitForExit());
    EXPECT_EQ(Sz("corp.example"), GetValue(kTirpcKey, "nis_domain"));
    EXPECT_EQ(Sz("nis1.example.com"), GetValue(kTirpcKey, "ypservhost"));
    EXPECT_EQ(Sz("nshost.example.com"), GetValue(kPgrKey, "ServerAddress"));
    EXPECT_EQ(Dword(0), GetValue(kPgrKey, "EnableLocalFile"));
}

TEST_F(SetupWindowTest, BothKeysMissingShowsMessage1020AndExitsWithOne)
{
    Program program;
    ASSERT_TRUE(program.started());
    HWND box = program.WaitForWindow("ERROR");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("ERROR - You do not have permission to edit the keys.", MessageBoxText(box));
    // Shown before the dialog becomes visible.
    HWND owner = GetWindow(box, GW_OWNER);
    EXPECT_NE(nullptr, owner);
    EXPECT_FALSE(IsWindowVisible(owner));
    PressButton(box, IDOK);
    EXPECT_EQ(1u, program.WaitForExit());
    EXPECT_FALSE(GetValue(kPgrKey, "ServerAddress"));
}

TEST_F(SetupWindowTest, AboutFromSystemMenuThenCloseActsAsCancel)
{
    PutValue(kPgrKey, "ServerAddress", Sz("nshost"));
    PutValue(kTirpcKey, "nis_domain", Sz("corp"));
    PutValue(kTirpcKey, "ypservhost", Sz("nis1"));

    Program program;
    ASSERT_TRUE(program.started());
    HWND dlg = program.WaitForWindow(kDialogCaption);
    ASSERT_NE(nullptr, dlg);

    PostMessageA(dlg, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = program.WaitForWindow("About Quorvane Client Setup");
    ASSERT_NE(nullptr, about);
    EXPECT_EQ("Client Setup", TextOf(GetDlgItem(about, IDC_TOOL_NAME_STATIC)));
    for (int id = IDC_NOTICE1_STATIC; id <= IDC_NOTICE5_STATIC; ++id)
        EXPECT_NE("", TextOf(GetDlgItem(about, id))) << id;
    EXPECT_FALSE(IsWindowEnabled(dlg)); // modal to the dialog
    PressButton(about, IDOK);
    ASSERT_TRUE(WaitUntilGone(about));

    // A typed text is not written when the dialog is closed from its menu.
    SendMessageA(GetDlgItem(dlg, IDC_NIS_DOMAIN_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("other"));
    PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(0u, program.WaitForExit());
    EXPECT_EQ(Sz("corp"), GetValue(kTirpcKey, "nis_domain"));
}

} // namespace
