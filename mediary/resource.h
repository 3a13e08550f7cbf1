#pragma once
// Mediary's resource ids: the main dialog, its menus, the icon, controls and strings.

#define IDD_MEDIARY_DIALOG 102
#define IDR_FILE_MENU 129
#define IDR_VIEW_MENU 130
#define IDR_PANE_MENU 230
#define IDR_MAINFRAME 1000

// Controls of the main dialog.
#define IDC_FILE_MENU 1004
#define IDC_VIEW_MENU 1005
#define IDC_PHONE_LIST 1007
#define IDC_TO_PHONE 1008
#define IDC_TO_PC 1009
#define IDC_GET 1010
#define IDC_TRANSFER 1011
#define IDC_NEW_FOLDER 1012
#define IDC_FOLDER_BOX 1013
#define IDC_DELETE 1014
#define IDC_CANCEL_RUN 1015
#define IDC_IMAGES 1016
#define IDC_MELODIES 1017
#define IDC_KIND_LABEL 1018
#define IDC_TITLE 1019
#define IDC_PREVIEW 1020
#define IDC_MOVIES 1021
#define IDC_PHONE_PICTURE 1023
#define IDC_TOP_BAR 1024
#define IDC_FRAME 1025
#define IDC_PC_FRAME 1026
#define IDC_PHONE_FRAME 1027
#define IDC_TRANSFER_LABEL 1028
#define IDC_ICON 1029
#define IDC_PC_LIST 1034
#define IDC_COUNTER 1035
#define IDC_PC_LABEL 1036
#define IDC_PHONE_LABEL 1037
#define IDC_PROGRESS 5033

// Commands.
#define ID_FILE_EXIT 32771
#define ID_VIEW_IMAGES 32772
#define ID_VIEW_MELODIES 32773
#define ID_FILE_UP 32774
#define ID_FILE_DOWN 32775
#define ID_VIEW_REFRESH 32780
#define ID_VIEW_MOVIES 32781
#define ID_PANE_NEW_FOLDER 32782
#define ID_PANE_DELETE 32783

// Strings.
#define IDS_CAPTION 1001
#define IDS_DLL_MISSING 1074
