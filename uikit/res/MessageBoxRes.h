// The ids of the program message box's resources (MessageBox.rc), for the resource script and for
// the code.
#pragma once

#define IDD_UIKIT_MESSAGEBOX 178

#define IDC_UIKIT_MB_BUTTON1 901
#define IDC_UIKIT_MB_BUTTON2 902
#define IDC_UIKIT_MB_BUTTON3 903
#define IDC_UIKIT_MB_ICON 904
#define IDC_UIKIT_MB_TEXT 905

#define IDS_UIKIT_MB_OK 430
#define IDS_UIKIT_MB_CANCEL 431
#define IDS_UIKIT_MB_NO 432
#define IDS_UIKIT_MB_YES 433
#define IDS_UIKIT_MB_ABORT 434
#define IDS_UIKIT_MB_RETRY 435
#define IDS_UIKIT_MB_IGNORE 436
