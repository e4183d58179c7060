// Modal dialogs of the dialog toolkit and the data exchange with their controls.
#include "afxwin.h"

#include <vector>

INT_PTR CDialog::DoModal()
{
    // Without a parent of its own a dialog is owned by the main window, so
    // that it is modal to it (the About box of a dialog-based program).
    HWND owner = nullptr;
    if (m_pParentWnd) {
        owner = m_pParentWnd->m_hWnd;
    } else if (CWnd *main = AfxGetMainWnd(); main && main != this) {
        owner = main->m_hWnd;
    }
    INT_PTR result = ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), owner,
                                       DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

namespace {

void CenterOnOwner(HWND hWnd)
{
    RECT area;
    HWND owner = ::GetWindow(hWnd, GW_OWNER);
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &area);
    else
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    int x = area.left + ((area.right - area.left) - (rc.right - rc.left)) / 2;
    int y = area.top + ((area.bottom - area.top) - (rc.bottom - rc.top)) / 2;
    ::SetWindowPos(hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

// The object travels in the creation parameter and is kept in the dialog's
// user word; messages before WM_INITDIALOG (font, size) get the default.
INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto *dlg = reinterpret_cast<CDialog *>(lParam);
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        dlg->m_hWnd = hWnd;
        RECT before;
        ::GetWindowRect(hWnd, &before);
        BOOL result = dlg->OnInitDialog();
        // A dialog that initialisation neither moved nor showed is centred on
        // its owner, or on the screen's work area, as MFC's dialogs are.
        RECT after;
        ::GetWindowRect(hWnd, &after);
        if (!::IsWindowVisible(hWnd) && after.left == before.left && after.top == before.top)
            CenterOnOwner(hWnd);
        return result;
    }
    auto *dlg = reinterpret_cast<CDialog *>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    if (!dlg)
        return FALSE;

    LRESULT result = 0;
    if (dlg->OnWndMsg(message, wParam, lParam, &result)) {
        // WM_QUERYDRAGICON answers through the procedure's return value.
        if (message == WM_QUERYDRAGICON)
            return static_cast<INT_PTR>(result);
        ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    // OK and Cancel: the buttons, Enter and Escape, and Close on the system
    // menu, which the dialog manager turns into IDCANCEL.
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            dlg->OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            dlg->OnCancel();
            return TRUE;
        }
    }
    return FALSE;
}

// Attaches the object to the control of this run of the dialog; a second
// run of the same dialog object gets the new control, not the old handle.
void DDX_Control(CDataExchange *pDX, int nIDC, CWnd &rControl)
{
    rControl.m_hWnd = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
}

void DDX_Text(CDataExchange *pDX, int nIDC, std::string &value)
{
    HWND hCtl = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (!pDX->m_bSaveAndValidate) {
        ::SetWindowTextA(hCtl, value.c_str());
        return;
    }
    int len = ::GetWindowTextLengthA(hCtl);
    std::vector<char> buf(static_cast<size_t>(len > 0 ? len : 0) + 1);
    int got = ::GetWindowTextA(hCtl, buf.data(), static_cast<int>(buf.size()));
    value.assign(buf.data(), got > 0 ? static_cast<size_t>(got) : 0);
}
