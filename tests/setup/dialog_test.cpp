// CClientSetupDlg run modally in this process, on a thread of its own, and
// driven from the test's thread: what Wine does not carry between
// processes (icons, the system menu, the modal result) is seen from here.
#include <windows.h>

#include <gtest/gtest.h>

#include <afxwin.h>

#include "ClientSetupDlg.h"
#include "registry_guard.h"
#include "resource.h"
#include "window_driver.h"

using namespace setuptest;

// The application object whose icon loading the dialog's constructor uses.
CWinApp theTestApp;

namespace {

// Runs the main dialog modally on its own thread.
class DialogRun {
public:
    DialogRun() { m_thread = CreateThread(nullptr, 0, &DialogRun::Main, this, 0, nullptr); }
    ~DialogRun()
    {
        if (WaitForSingleObject(m_thread, kWaitMs) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the dialog did not end";
            TerminateThread(m_thread, 1);
        }
        CloseHandle(m_thread);
    }
    DialogRun(const DialogRun &) = delete;
    DialogRun &operator=(const DialogRun &) = delete;

    HWND WaitForDialog() const
    {
        return setuptest::WaitForDialog(GetCurrentProcessId(), kDialogCaption, m_thread);
    }
    // The value DoModal returned, once the dialog has ended.
    INT_PTR Result() const
    {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(m_thread, kWaitMs));
        return m_result;
    }

private:
    static DWORD WINAPI Main(LPVOID param)
    {
        auto *run = static_cast<DialogRun *>(param);
        CClientSetupDlg dlg;
        theTestApp.m_pMainWnd = &dlg;
        run->m_result = dlg.DoModal();
        theTestApp.m_pMainWnd = nullptr;
        return 0;
    }

    HANDLE m_thread = nullptr;
    INT_PTR m_result = -2;
};

// Counts WM_ICONERASEBKGND sent with a device context on the hooked thread.
int g_iconErases = 0;
LRESULT CALLBACK CountIconErase(int code, WPARAM wParam, LPARAM lParam)
{
    auto *msg = reinterpret_cast<CWPSTRUCT *>(lParam);
    if (code == HC_ACTION && msg->message == WM_ICONERASEBKGND && msg->wParam)
        ++g_iconErases;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class SetupDialogTest : public FixedKeysTest {
protected:
    void SetUp() override
    {
        FixedKeysTest::SetUp();
        PutValue(kPgrKey, "ServerAddress", Sz("nshost"));
        PutValue(kTirpcKey, "nis_domain", Sz("corp"));
        PutValue(kTirpcKey, "ypservhost", Sz("nis1"));
    }
};

TEST_F(SetupDialogTest, IconsSystemMenuMinimisedPaintingAndCloseAsCancel)
{
    DialogRun run;
    HWND dlg = run.WaitForDialog();
    ASSERT_NE(nullptr, dlg);

    // Icon 128 as the large and the small icon and as the drag icon.
    HICON appIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(nullptr, appIcon);
    EXPECT_EQ(reinterpret_cast<LRESULT>(appIcon), SendMessageA(dlg, WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(reinterpret_cast<LRESULT>(appIcon), SendMessageA(dlg, WM_GETICON, ICON_SMALL, 0));
    EXPECT_EQ(reinterpret_cast<LRESULT>(appIcon), SendMessageA(dlg, WM_QUERYDRAGICON, 0, 0));

    // The system menu ends with a separator and the About item.
    HMENU sysMenu = GetSystemMenu(dlg, FALSE);
    ASSERT_NE(nullptr, sysMenu);
    int items = GetMenuItemCount(sysMenu);
    ASSERT_GE(items, 2);
    char itemText[64] = "";
    GetMenuStringA(sysMenu, items - 1, itemText, sizeof(itemText), MF_BYPOSITION);
    EXPECT_STREQ("&About Quorvane Client Setup", itemText);
    EXPECT_EQ(static_cast<UINT>(IDM_ABOUTBOX), GetMenuItemID(sysMenu, items - 1));
    EXPECT_TRUE(GetMenuState(sysMenu, items - 2, MF_BYPOSITION) & MF_SEPARATOR);

    // Minimised, the dialog paints its icon after erasing the icon background.
    DWORD dialogThread = GetWindowThreadProcessId(dlg, nullptr);
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, CountIconErase, nullptr, dialogThread);
    ASSERT_NE(nullptr, hook);
    g_iconErases = 0;
    SendMessageA(dlg, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(dlg));
    // Wine gives a minimised window no client area to update, so the paint
    // message is sent directly.
    SendMessageA(dlg, WM_PAINT, 0, 0);
    UnhookWindowsHookEx(hook);
    EXPECT_GT(g_iconErases, 0);
    SendMessageA(dlg, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(dlg));

    // Close on the system menu ends the dialog as Cancel; nothing is written.
    SendMessageA(GetDlgItem(dlg, IDC_NIS_DOMAIN_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("other"));
    PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(IDCANCEL, run.Result());
    EXPECT_EQ(Sz("corp"), GetValue(kTirpcKey, "nis_domain"));
}

TEST_F(SetupDialogTest, OKWithoutChangesEndsWithOKResult)
{
    DialogRun run;
    HWND dlg = run.WaitForDialog();
    ASSERT_NE(nullptr, dlg);
    PressButton(dlg, IDOK);
    HWND box = setuptest::WaitForDialog(GetCurrentProcessId(), "Quorvane Client Setup", nullptr);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(dlg, GetWindow(box, GW_OWNER));
    EXPECT_EQ("No changes were made to the registry.", MessageBoxText(box));
    PressButton(box, IDOK);
    EXPECT_EQ(IDOK, run.Result());
}

TEST_F(SetupDialogTest, EscapeEndsWithCancelResult)
{
    DialogRun run;
    HWND dlg = run.WaitForDialog();
    ASSERT_NE(nullptr, dlg);
    // The key goes through the modal loop, whose dialog manager turns Escape
    // into IDCANCEL.
    PostMessageA(GetDlgItem(dlg, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(IDCANCEL, run.Result());
}

} // namespace
