// Texts of the dialog toolkit: string-table loading and message boxes.
#include "afxwin.h"

#include <vector>

BOOL CString::LoadString(UINT nID)
{
    // String-table entries are at most 4097 characters; grow until the text fits.
    std::vector<char> buf(256);
    for (;;) {
        int n = ::LoadStringA(AfxGetResourceHandle(), nID, buf.data(), static_cast<int>(buf.size()));
        if (n <= 0) {
            clear();
            return FALSE;
        }
        if (static_cast<size_t>(n) < buf.size() - 1) {
            assign(buf.data(), n);
            return TRUE;
        }
        buf.resize(buf.size() * 2);
    }
}

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT)
{
    CWinApp *app = AfxGetApp();
    CWnd *main = AfxGetMainWnd();
    LPCSTR caption = app && app->m_pszAppName ? app->m_pszAppName : nullptr;
    return ::MessageBoxA(main ? main->m_hWnd : nullptr, lpszText, caption, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString text;
    text.LoadString(nIDPrompt);
    return AfxMessageBox(text.c_str(), nType, nIDHelp == (UINT)-1 ? nIDPrompt : nIDHelp);
}
