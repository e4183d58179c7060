// afxwin.h: the small dialog toolkit that stands in for MFC 4.2 on this
// platform. It carries only what a dialog-based program needs: an
// application object, modal dialogs with initialisation and data exchange,
// button and edit control objects, string-table texts, message boxes, the
// system menu, painting and a message map for the handlers a dialog declares.
// Names and signatures follow MFC so that a program reads as an MFC program.
#pragma once

#include <windows.h>

#include <string>

class CWnd;
class CDialog;
class CDataExchange;

// ---------------------------------------------------------------------------
// Texts. A CString is a std::string with MFC's few extras; data exchange and
// the settings code work on plain std::string references.
class CString : public std::string {
public:
    using std::string::string;
    CString() = default;
    CString(const std::string &s) : std::string(s) { }
    CString &operator=(const char *s)
    {
        assign(s ? s : "");
        return *this;
    }
    CString &operator=(const std::string &s)
    {
        assign(s);
        return *this;
    }

    int GetLength() const { return static_cast<int>(size()); }
    BOOL IsEmpty() const { return empty(); }
    operator LPCSTR() const { return c_str(); }
    // Loads string-table entry nID of the program; FALSE (text empty) when absent.
    BOOL LoadString(UINT nID);
};

// ---------------------------------------------------------------------------
// Message map: a table of (message, notification, control id) -> handler.
// Only the handler shapes a dialog uses are supported; nSig says which.
class CCmdTarget;
typedef void (CCmdTarget::*AFX_PMSG)();

enum AfxSig : UINT {
    AfxSig_end = 0,
    AfxSig_vv,  // void (), control notifications
    AfxSig_vwl, // void (UINT, LPARAM), WM_SYSCOMMAND
    AfxSig_hv,  // HCURSOR (), WM_QUERYDRAGICON
};

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    UINT nLastID;
    UINT nSig;
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP *pBaseMap;
    const AFX_MSGMAP_ENTRY *lpEntries;
};

// Handlers in a message map are ordinary members; afx_msg marks them.
#define afx_msg

#define DECLARE_MESSAGE_MAP()                                                                                \
protected:                                                                                                   \
    static const AFX_MSGMAP *GetThisMessageMap();                                                            \
    const AFX_MSGMAP *GetMessageMap() const override;

// The entries are built inside a function of the class, where ThisClass
// names it, so the ON_ macros take member addresses without the class name.
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                               \
    const AFX_MSGMAP *theClass::GetMessageMap() const                                                        \
    {                                                                                                        \
        return GetThisMessageMap();                                                                          \
    }                                                                                                        \
    const AFX_MSGMAP *theClass::GetThisMessageMap()                                                          \
    {                                                                                                        \
        typedef theClass ThisClass;                                                                          \
        typedef baseClass TheBaseClass;                                                                      \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                                    \
    {                                                                                                        \
        0, 0, 0, 0, AfxSig_end, nullptr                                                                      \
    }                                                                                                        \
    }                                                                                                        \
    ;                                                                                                        \
    static const AFX_MSGMAP messageMap = {TheBaseClass::GetThisMessageMap(), &_messageEntries[0]};           \
    return &messageMap;                                                                                      \
    }

// The casts go through the exact handler type first, so a handler of the
// wrong shape fails to compile instead of being called with wrong arguments.
#define ON_BN_CLICKED(id, memberFxn)                                                                         \
    {WM_COMMAND, BN_CLICKED,                                                                                 \
     (UINT)(id), (UINT)(id),                                                                                 \
     AfxSig_vv,  static_cast<AFX_PMSG>(static_cast<void (ThisClass::*)()>(&ThisClass::memberFxn))},

#define ON_WM_SYSCOMMAND()                                                                                   \
    {WM_SYSCOMMAND,                                                                                          \
     0,                                                                                                      \
     0,                                                                                                      \
     0,                                                                                                      \
     AfxSig_vwl,                                                                                             \
     reinterpret_cast<AFX_PMSG>(static_cast<void (CWnd::*)(UINT, LPARAM)>(&ThisClass::OnSysCommand))},

#define ON_WM_PAINT()                                                                                        \
    {WM_PAINT, 0, 0, 0, AfxSig_vv, static_cast<AFX_PMSG>(static_cast<void (CWnd::*)()>(&ThisClass::OnPaint))},

#define ON_WM_QUERYDRAGICON()                                                                                \
    {WM_QUERYDRAGICON,                                                                                       \
     0,                                                                                                      \
     0,                                                                                                      \
     0,                                                                                                      \
     AfxSig_hv,                                                                                              \
     reinterpret_cast<AFX_PMSG>(static_cast<HCURSOR (CWnd::*)()>(&ThisClass::OnQueryDragIcon))},

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

protected:
    static const AFX_MSGMAP *GetThisMessageMap();
    virtual const AFX_MSGMAP *GetMessageMap() const { return GetThisMessageMap(); }
    friend class CWnd;
};

// ---------------------------------------------------------------------------
class CMenu {
public:
    HMENU m_hMenu = nullptr;
    static CMenu *FromHandle(HMENU hMenu);
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr)
    {
        return ::AppendMenuA(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
    }
};

class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    void SetWindowText(LPCSTR text) { ::SetWindowTextA(m_hWnd, text); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
    // A temporary object for the control, for immediate use.
    CWnd *GetDlgItem(int nID) const;
    void SetDlgItemText(int nID, LPCSTR text) { ::SetDlgItemTextA(m_hWnd, nID, text); }
    HICON SetIcon(HICON hIcon, BOOL bBigIcon)
    {
        return reinterpret_cast<HICON>(
            SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
    }
    CMenu *GetSystemMenu(BOOL bRevert) const;
    // A message box with this window as its owner.
    int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT nType = MB_OK)
    {
        return ::MessageBoxA(m_hWnd, text, caption, nType);
    }

    // Message handlers with MFC's shapes; each hands the message to the
    // window's default processing. A class's own handler hides them.
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();

protected:
    // Asks for the default processing of the message being handled.
    LRESULT Default();
    // Dispatches a message through the message maps. Returns TRUE when a
    // handler took it; *pResult receives the handler's answer.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult);

    bool m_bDefaultWanted = false;
    friend class CDialog;
};

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(::SendMessageA(m_hWnd, BM_GETCHECK, 0, 0)); }
    void SetCheck(int nCheck) { ::SendMessageA(m_hWnd, BM_SETCHECK, nCheck, 0); }
};

class CEdit : public CWnd { };

class CPaintDC {
public:
    explicit CPaintDC(CWnd *pWnd) : m_hWnd(pWnd->m_hWnd) { m_hDC = ::BeginPaint(m_hWnd, &m_ps); }
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC &) = delete;
    CPaintDC &operator=(const CPaintDC &) = delete;
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }

    HDC m_hDC;
    PAINTSTRUCT m_ps;

private:
    HWND m_hWnd;
};

// ---------------------------------------------------------------------------
// Data exchange between a dialog's controls and its members.
class CDataExchange {
public:
    CDataExchange(CWnd *pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
    { }
    BOOL m_bSaveAndValidate; // TRUE: controls -> members
    CWnd *m_pDlgWnd;
};

void DDX_Control(CDataExchange *pDX, int nIDC, CWnd &rControl);
void DDX_Text(CDataExchange *pDX, int nIDC, std::string &value);

// ---------------------------------------------------------------------------
class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd *pParentWnd = nullptr)
        : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
    { }

    // Runs the dialog modally; returns the value given to EndDialog, or -1
    // when the dialog could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

protected:
    virtual void DoDataExchange(CDataExchange *pDX) { }

    UINT m_nIDTemplate;
    CWnd *m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// ---------------------------------------------------------------------------
class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    // Runs the message loop of a program whose InitInstance returned TRUE.
    virtual int Run();
    virtual int ExitInstance() { return 0; }

    HICON LoadIcon(UINT nIDResource) const;
    // Three-dimensional controls are the system's own look on this platform.
    BOOL Enable3dControls() { return TRUE; }

    CWnd *m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPCSTR m_pszAppName;
};

CWinApp *AfxGetApp();
HINSTANCE AfxGetResourceHandle();
// The program's main window object (the application's m_pMainWnd).
CWnd *AfxGetMainWnd();
// A message box owned by the main window, text from a string or the table.
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);
