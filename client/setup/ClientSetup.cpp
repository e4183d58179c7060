// ClientSetup.cpp: start-up of qvsetup, the administrator's setup tool.
#include "ClientSetup.h"

#include <afxdisp.h>

#include "ClientSetupDlg.h"

// The one application object.
CClientSetupApp theApp;

BOOL CClientSetupApp::InitInstance()
{
    AfxEnableControlContainer();
    Enable3dControls();

    CClientSetupDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal(); // the result makes no difference: both ends were handled
    m_pMainWnd = nullptr;
    return FALSE;
}
