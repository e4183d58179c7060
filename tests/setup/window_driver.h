// window_driver.h: finding and driving dialogs, their controls and message
// boxes from outside their thread or process, through window messages.
#pragma once

#include <windows.h>

#include <string>

namespace setuptest {

inline constexpr DWORD kWaitMs = 15000;
inline constexpr DWORD kPollMs = 20;
inline constexpr char kDialogCaption[] = "Tamsell Quorvane Client Setup";

// The text of a window, asked of the thread that owns it.
inline std::string TextOf(HWND hwnd)
{
    char buf[512] = "";
    DWORD_PTR n = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof(buf), reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG,
                        kWaitMs, &n);
    return std::string(buf, n);
}

inline std::string ClassOf(HWND hwnd)
{
    char buf[64] = "";
    GetClassNameA(hwnd, buf, sizeof(buf));
    return buf;
}

namespace detail {
struct Search {
    DWORD pid;
    std::string caption;
    HWND found;
};
inline BOOL CALLBACK MatchDialog(HWND hwnd, LPARAM lp)
{
    auto *s = reinterpret_cast<Search *>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid || !IsWindowVisible(hwnd) || ClassOf(hwnd) != "#32770")
        return TRUE;
    if (TextOf(hwnd) != s->caption)
        return TRUE;
    s->found = hwnd;
    return FALSE;
}
} // namespace detail

// A visible dialog-class top-level window of process pid with this caption.
// Waits until it shows, the handle 'ended' (if any) is signalled, or time
// runs out.
inline HWND WaitForDialog(DWORD pid, const std::string &caption, HANDLE ended)
{
    for (DWORD waited = 0; waited < kWaitMs; waited += kPollMs) {
        detail::Search s {pid, caption, nullptr};
        EnumWindows(detail::MatchDialog, reinterpret_cast<LPARAM>(&s));
        if (s.found)
            return s.found;
        if (!ended)
            Sleep(kPollMs);
        else if (WaitForSingleObject(ended, kPollMs) == WAIT_OBJECT_0)
            return nullptr;
    }
    return nullptr;
}

// The message text of a message box: its one static control with a text.
inline BOOL CALLBACK FindStaticText(HWND child, LPARAM lp)
{
    if (ClassOf(child) != "Static")
        return TRUE;
    std::string t = TextOf(child);
    if (t.empty())
        return TRUE;
    *reinterpret_cast<std::string *>(lp) = t;
    return FALSE;
}

inline std::string MessageBoxText(HWND box)
{
    std::string text;
    EnumChildWindows(box, FindStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

// Presses a dialog's button the way its own click would report it. Posted,
// since the handler may open a modal box that would hold a sent message.
inline void PressButton(HWND dlg, int id)
{
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

inline bool WaitUntilGone(HWND hwnd)
{
    for (DWORD waited = 0; waited < kWaitMs; waited += kPollMs) {
        if (!IsWindow(hwnd))
            return true;
        Sleep(kPollMs);
    }
    return false;
}

} // namespace setuptest
