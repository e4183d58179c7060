// ClientSetupDlg.h: the main dialog of qvsetup and its About box.
#pragma once

#include <afxwin.h>

#include "settings.h"

// The dialog that shows and edits the NT and UNIX server settings. The
// settings state and logic come from qvsetup::ClientSetupSettings; this
// class binds them to the controls of dialog 102.
class CClientSetupDlg : public CDialog, private qvsetup::ClientSetupSettings {
public:
    explicit CClientSetupDlg(CWnd *pParent = nullptr);

    CButton m_chkUnix;
    CButton m_chkNt;
    // m_nUnixAtStart, m_nNtAtStart, the three texts m_strServerAddress,
    // m_strNisDomain, m_strServerHost with their at-start copies and the
    // flags m_bUnixKeyOpened, m_bPgrKeyOpened come from ClientSetupSettings.
    using ClientSetupSettings::m_bPgrKeyOpened;
    using ClientSetupSettings::m_bUnixKeyOpened;
    using ClientSetupSettings::m_nNtAtStart;
    using ClientSetupSettings::m_nUnixAtStart;
    using ClientSetupSettings::m_strNisDomain;
    using ClientSetupSettings::m_strNisDomainAtStart;
    using ClientSetupSettings::m_strServerAddress;
    using ClientSetupSettings::m_strServerAddressAtStart;
    using ClientSetupSettings::m_strServerHost;
    using ClientSetupSettings::m_strServerHostAtStart;
    CEdit m_editServerHost;
    CEdit m_editNisDomain;
    CEdit m_editServerAddress;

protected:
    HICON m_hIcon;

    void DoDataExchange(CDataExchange *pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    afx_msg void OnNtCheckClicked();
    afx_msg void OnUnixCheckClicked();
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    DECLARE_MESSAGE_MAP()

private:
    // Control operations for the settings logic.
    int GetCheckState(int id) override;
    void SetCheckState(int id, int state) override;
    void EnableControl(int id, bool enable) override;
    void ExchangeTexts(bool saveAndValidate) override;
    void ShowMessage(UINT textId, UINT captionId) override;
    void ShowMessageText(const char *text, const char *caption) override;
    void CloseWithOK() override;
};

// The About box, opened from the system menu.
class CClientSetupAboutDlg : public CDialog {
public:
    CClientSetupAboutDlg();

protected:
    BOOL OnInitDialog() override;
};
