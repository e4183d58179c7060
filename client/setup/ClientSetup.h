// ClientSetup.h: the application object of qvsetup.
#pragma once

#include <afxwin.h>

class CClientSetupApp : public CWinApp {
public:
    CClientSetupApp() = default;

    // Runs the one dialog and returns FALSE, so that the process ends as soon
    // as the dialog has closed.
    BOOL InitInstance() override;
};
