#include "boxcapture.h"
#include <string.h>

namespace {

// Dialog class of message boxes and the id of their text control.
const char kDialogClass[] = "#32770";
constexpr int kBoxTextId = 0xFFFF;

std::vector<CapturedBox> g_boxes;
HHOOK g_hook = nullptr;
HWND g_lastBox = nullptr;

bool ButtonShown(HWND box, int id)
{
    // The box itself is not shown yet when it is activated: read the
    // button's own style rather than asking whether it can be seen.
    HWND button = GetDlgItem(box, id);
    return button != nullptr && (GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE) != 0;
}

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        char cls[64] = {};
        GetClassNameA(box, cls, sizeof cls);
        if (strcmp(cls, kDialogClass) == 0 && box != g_lastBox) {
            g_lastBox = box;
            CapturedBox seen;
            char text[512] = {};
            GetDlgItemTextA(box, kBoxTextId, text, sizeof text);
            seen.text = text;
            GetWindowTextA(box, text, sizeof text);
            seen.caption = text;
            seen.owner = GetWindow(box, GW_OWNER);
            seen.okOnly = ButtonShown(box, IDOK);
            for (int other : {IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO})
                if (ButtonShown(box, other))
                    seen.okOnly = false;
            g_boxes.push_back(seen);
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

} // namespace

BoxCapture::BoxCapture() : hook_(SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId()))
{
    g_hook = hook_;
    g_boxes.clear();
    g_lastBox = nullptr;
}

BoxCapture::~BoxCapture()
{
    if (hook_ != nullptr)
        UnhookWindowsHookEx(hook_);
    g_hook = nullptr;
}

std::vector<CapturedBox> BoxCapture::Take()
{
    std::vector<CapturedBox> seen;
    seen.swap(g_boxes);
    return seen;
}
