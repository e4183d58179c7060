// resource.h: identifiers of qvsetup's dialogs, controls, icons and strings.
// Each control's text is the string whose identifier equals the control's.
#pragma once

// Icons.
#define IDR_MAINFRAME 128 // application icon
#define IDI_ABOUT     133 // icon of the About box

// Dialogs; the same numbers are their caption strings.
#define IDD_ABOUTBOX           100
#define IDD_CLIENTSETUP_DIALOG 102
#define IDS_ABOUTBOX           101 // "&About Quorvane Client Setup", the system-menu item

// System-menu command of the About item.
#define IDM_ABOUTBOX 0x0010

// Controls of the main dialog.
#define IDC_NT_CHECK              1000
#define IDC_UNIX_CHECK            1001
#define IDC_SERVER_ADDRESS_EDIT   1002
#define IDC_NIS_DOMAIN_EDIT       1003
#define IDC_SERVER_HOST_EDIT      1004
#define IDC_WINDOWS_GROUP         1011
#define IDC_UNIX_GROUP            1012
#define IDC_SERVER_ADDRESS_STATIC 1013
#define IDC_NIS_DOMAIN_STATIC     1014
#define IDC_SERVER_HOST_STATIC    1015

// Controls of the About box: the tool's name and five notice lines.
#define IDC_TOOL_NAME_STATIC 1016
#define IDC_NOTICE1_STATIC   1038
#define IDC_NOTICE2_STATIC   1039
#define IDC_NOTICE3_STATIC   1040
#define IDC_NOTICE4_STATIC   1041
#define IDC_NOTICE5_STATIC   1042

// Messages and captions.
#define IDS_TRUNCATED_BUFFER           1016
#define IDS_APP_TITLE                  1017
#define IDS_ERROR_CAPTION              1018
#define IDS_NO_PERMISSION              1020
#define IDS_UNIX_KEYS_MISSING          1021
#define IDS_NT_KEYS_MISSING            1022
#define IDS_OPEN_KEY_FAILED            1023
#define IDS_OPEN_UNIX_KEYS_FAILED      1024
#define IDS_DELETE_DOMAIN_FAILED       1026
#define IDS_DELETE_HOST_FAILED         1027
#define IDS_ENTER_NAME_SERVICE         1029
#define IDS_ENTER_NIS_DOMAIN           1030
#define IDS_ENTER_SERVER_HOST          1031
#define IDS_VALUE_NOT_SPECIFIED        1032
#define IDS_MODIFY_NAME_SERVICE_FAILED 1033
#define IDS_MODIFY_UNIX_KEYS_FAILED    1034
#define IDS_NO_CHANGES                 1035
#define IDS_REBOOT                     1036
#define IDS_TOOL_NAME                  1037
