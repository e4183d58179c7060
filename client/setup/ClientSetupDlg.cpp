// ClientSetupDlg.cpp: the main dialog of qvsetup (dialog 102) and its About
// box (dialog 100). The settings logic lives in settings.cpp.
#include "ClientSetupDlg.h"

#include "resource.h"

namespace {

// The registry as Win32 answers it; tests use their own SettingsRegistry.
qvsetup::SettingsRegistry &Win32Registry()
{
    static qvsetup::SettingsRegistry registry;
    return registry;
}

// Controls whose text is the string with the control's own identifier, in
// the order they receive it.
constexpr int kTextControls[]
    = {IDC_WINDOWS_GROUP,     IDC_UNIX_GROUP,         IDC_NT_CHECK, IDC_UNIX_CHECK, IDC_SERVER_ADDRESS_STATIC,
       IDC_NIS_DOMAIN_STATIC, IDC_SERVER_HOST_STATIC, IDOK,         IDCANCEL};

constexpr int kNoticeLines[]
    = {IDC_NOTICE1_STATIC, IDC_NOTICE2_STATIC, IDC_NOTICE3_STATIC, IDC_NOTICE4_STATIC, IDC_NOTICE5_STATIC};

// The system-menu commands carry flags in their low four bits.
constexpr UINT kSysCommandMask = 0xFFF0;

void SetTextFromTable(CWnd &dlg, int id)
{
    CString text;
    text.LoadString(id);
    dlg.SetDlgItemText(id, text);
}

} // namespace

CClientSetupDlg::CClientSetupDlg(CWnd *pParent)
    : CDialog(IDD_CLIENTSETUP_DIALOG, pParent), ClientSetupSettings(Win32Registry())
{
    m_strServerAddress.clear();
    m_strNisDomain.clear();
    m_strServerHost.clear();
    m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
}

void CClientSetupDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_UNIX_CHECK, m_chkUnix);
    DDX_Control(pDX, IDC_NT_CHECK, m_chkNt);
    DDX_Control(pDX, IDC_SERVER_HOST_EDIT, m_editServerHost);
    DDX_Control(pDX, IDC_NIS_DOMAIN_EDIT, m_editNisDomain);
    DDX_Control(pDX, IDC_SERVER_ADDRESS_EDIT, m_editServerAddress);
    DDX_Text(pDX, IDC_SERVER_ADDRESS_EDIT, m_strServerAddress);
    DDX_Text(pDX, IDC_NIS_DOMAIN_EDIT, m_strNisDomain);
    DDX_Text(pDX, IDC_SERVER_HOST_EDIT, m_strServerHost);
}

BEGIN_MESSAGE_MAP(CClientSetupDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_NT_CHECK, OnNtCheckClicked)
ON_BN_CLICKED(IDC_UNIX_CHECK, OnUnixCheckClicked)
END_MESSAGE_MAP()

BOOL CClientSetupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    if (CMenu *pSysMenu = GetSystemMenu(FALSE)) {
        CString strAboutMenu;
        strAboutMenu.LoadString(IDS_ABOUTBOX);
        if (!strAboutMenu.IsEmpty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
        }
    }

    CString caption;
    caption.LoadString(IDD_CLIENTSETUP_DIALOG);
    SetWindowText(caption);
    for (int id : kTextControls)
        SetTextFromTable(*this, id);

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    if (!LoadSettings())
        ::ExitProcess(qvsetup::kExitNoSettings);
    return TRUE; // the framework sets the focus
}

void CClientSetupDlg::OnNtCheckClicked()
{
    NtCheckClicked();
}

void CClientSetupDlg::OnUnixCheckClicked()
{
    UnixCheckClicked();
}

void CClientSetupDlg::OnOK()
{
    ApplySettings();
}

void CClientSetupDlg::OnCancel()
{
    CDialog::OnCancel();
}

void CClientSetupDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & kSysCommandMask) == IDM_ABOUTBOX) {
        CClientSetupAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

// Minimised, the dialog draws its icon centred in the client area.
void CClientSetupDlg::OnPaint()
{
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        int cxIcon = ::GetSystemMetrics(SM_CXICON);
        int cyIcon = ::GetSystemMetrics(SM_CYICON);
        RECT rect;
        GetClientRect(&rect);
        int x = (rect.right - rect.left - cxIcon + 1) / 2;
        int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
    } else {
        CDialog::OnPaint();
    }
}

HCURSOR CClientSetupDlg::OnQueryDragIcon()
{
    return reinterpret_cast<HCURSOR>(m_hIcon);
}

int CClientSetupDlg::GetCheckState(int id)
{
    return id == IDC_NT_CHECK ? m_chkNt.GetCheck() : m_chkUnix.GetCheck();
}

void CClientSetupDlg::SetCheckState(int id, int state)
{
    (id == IDC_NT_CHECK ? m_chkNt : m_chkUnix).SetCheck(state);
}

void CClientSetupDlg::EnableControl(int id, bool enable)
{
    if (CWnd *control = GetDlgItem(id))
        control->EnableWindow(enable);
}

void CClientSetupDlg::ExchangeTexts(bool saveAndValidate)
{
    UpdateData(saveAndValidate);
}

void CClientSetupDlg::ShowMessage(UINT textId, UINT captionId)
{
    CString text;
    CString caption;
    text.LoadString(textId);
    caption.LoadString(captionId);
    MessageBox(text, caption, MB_OK);
}

void CClientSetupDlg::ShowMessageText(const char *text, const char *caption)
{
    MessageBox(text, caption, MB_OK);
}

void CClientSetupDlg::CloseWithOK()
{
    CDialog::OnOK();
}

CClientSetupAboutDlg::CClientSetupAboutDlg() : CDialog(IDD_ABOUTBOX) { }

BOOL CClientSetupAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CString caption;
    caption.LoadString(IDD_ABOUTBOX);
    SetWindowText(caption);
    CString toolName;
    toolName.LoadString(IDS_TOOL_NAME);
    SetDlgItemText(IDC_TOOL_NAME_STATIC, toolName);
    for (int id : kNoticeLines)
        SetTextFromTable(*this, id);
    return TRUE; // the framework sets the focus
}
