// Windows of the dialog toolkit: control objects, the system menu and the
// dispatch of messages through message maps.
#include "afxwin.h"

namespace {
// Temporary objects handed out by GetDlgItem and CMenu::FromHandle; a few
// slots in turn, as callers use them at once and then drop them.
constexpr int kTempSlots = 8;
CWnd g_tempWnd[kTempSlots];
int g_nextWnd = 0;
CMenu g_tempMenu[kTempSlots];
int g_nextMenu = 0;
} // namespace

const AFX_MSGMAP *CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

CMenu *CMenu::FromHandle(HMENU hMenu)
{
    if (!hMenu)
        return nullptr;
    CMenu *menu = &g_tempMenu[g_nextMenu];
    g_nextMenu = (g_nextMenu + 1) % kTempSlots;
    menu->m_hMenu = hMenu;
    return menu;
}

CWnd *CWnd::GetDlgItem(int nID) const
{
    HWND hItem = ::GetDlgItem(m_hWnd, nID);
    if (!hItem)
        return nullptr;
    CWnd *wnd = &g_tempWnd[g_nextWnd];
    g_nextWnd = (g_nextWnd + 1) % kTempSlots;
    wnd->m_hWnd = hItem;
    return wnd;
}

CMenu *CWnd::GetSystemMenu(BOOL bRevert) const
{
    return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert));
}

LRESULT CWnd::Default()
{
    m_bDefaultWanted = true;
    return 0;
}

void CWnd::OnSysCommand(UINT, LPARAM)
{
    Default();
}
void CWnd::OnPaint()
{
    Default();
}
HCURSOR CWnd::OnQueryDragIcon()
{
    return reinterpret_cast<HCURSOR>(Default());
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult)
{
    const UINT code = message == WM_COMMAND ? HIWORD(wParam) : 0;
    const UINT id = message == WM_COMMAND ? LOWORD(wParam) : 0;
    for (const AFX_MSGMAP *map = GetMessageMap(); map; map = map->pBaseMap) {
        for (const AFX_MSGMAP_ENTRY *e = map->lpEntries; e->nSig != AfxSig_end; ++e) {
            if (e->nMessage != message || e->nCode != code || id < e->nID || id > e->nLastID)
                continue;
            // A handler may run a nested modal loop whose messages ask for their
            // own default processing; only this message's request counts here.
            const bool outerWanted = m_bDefaultWanted;
            m_bDefaultWanted = false;
            *pResult = 0;
            switch (e->nSig) {
            case AfxSig_vv:
                (this->*e->pfn)();
                break;
            case AfxSig_vwl:
                (this->*reinterpret_cast<void (CWnd::*)(UINT, LPARAM)>(e->pfn))(static_cast<UINT>(wParam),
                                                                                lParam);
                break;
            case AfxSig_hv:
                *pResult
                    = reinterpret_cast<LRESULT>((this->*reinterpret_cast<HCURSOR (CWnd::*)()>(e->pfn))());
                break;
            default:
                m_bDefaultWanted = outerWanted;
                return FALSE;
            }
            const bool wanted = m_bDefaultWanted;
            m_bDefaultWanted = outerWanted;
            return !wanted;
        }
    }
    return FALSE;
}
