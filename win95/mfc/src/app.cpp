// The application object of the dialog toolkit and the program's entry.
#include "afxwin.h"

namespace {
CWinApp *g_app = nullptr;
}

CWinApp::CWinApp(LPCSTR lpszAppName) : m_pszAppName(lpszAppName)
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

int CWinApp::Run()
{
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return ExitInstance();
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
}

CWinApp *AfxGetApp()
{
    return g_app;
}

HINSTANCE AfxGetResourceHandle()
{
    return ::GetModuleHandleA(nullptr);
}

CWnd *AfxGetMainWnd()
{
    return g_app ? g_app->m_pMainWnd : nullptr;
}

// The one application object is a static instance of the program; its
// InitInstance decides whether a message loop runs at all.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    CWinApp *app = AfxGetApp();
    if (!app)
        return -1;
    app->m_hInstance = hInstance;
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}
