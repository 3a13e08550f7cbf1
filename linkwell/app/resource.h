// Resource ids of the Linkwell program, shared by its resource script and its code.
#pragma once

// Frame, tray menu, program icon and the frame's title.
#define IDR_MAINFRAME 128

// Icons: the states the tray shows, and the two animations.
#define IDI_SEARCH_FIRST 130
#define IDI_SEARCH_LAST 133
#define IDI_STATE_NO_PHONE 137
#define IDI_STATE_PHONE_FOUND 138
#define IDI_IN_USE_FIRST 143
#define IDI_IN_USE_LAST 146
#define IDI_PORT_CHOSEN 147

// Bitmaps: the caption bar's close button, and the picture of the phone setup dialog.
#define IDB_CLOSE_DOWN 140
#define IDB_CLOSE 142
#define IDB_PHONE 163

// Dialogs.
#define IDD_ABOUTBOX 100
#define IDD_PHONE_SETUP 148
#define IDD_LINK_MESSAGE 166

// Controls of the phone setup dialog.
#define IDC_PHONE_LIST 1000
#define IDC_AUTODETECT 1001
#define IDC_CHOOSE_TEXT 1002
#define IDC_PHONE_PICTURE 1003
// Controls of the message box.
#define IDC_MESSAGE_BUTTON1 1021
#define IDC_MESSAGE_BUTTON2 1041
#define IDC_MESSAGE_BUTTON3 1042
#define IDC_MESSAGE_TEXT 1044
#define IDC_MESSAGE_ICON 1045

// Strings.
#define IDS_LINKWELL 128
#define IDS_NO_PHONE 129
#define IDS_CONFIGURE_PORT 131
#define IDS_ABOUT_ITEM 132
#define IDS_EXIT_ITEM 133
#define IDS_TRAY_TIP 134
#define IDS_SELECTED 135
#define IDS_CONNECTED_ON_TEXT 136
#define IDS_CLOSE_TIP 137
#define IDS_PORT_NONE 138
#define IDS_ABOUT_CAPTION 139
#define IDS_OK 140
#define IDS_CANCEL 141
#define IDS_ABORT 142
#define IDS_RETRY 143
#define IDS_IGNORE 144
#define IDS_YES 145
#define IDS_NO 146
#define IDS_AUTODETECT 147
#define IDS_NOT_SUPPORTED 148
#define IDS_CHOOSE_PHONE 149
#define IDS_PHONE_SELECTION 150
#define IDS_CLOSE_LAUNCHER 151
#define IDS_SWITCHED_OFF 152
#define IDS_FIND_PHONE 153
#define IDS_BUILD 154
#define IDS_PHONE_IN_USE 155

// Commands of the tray menu.
#define ID_SUITE_APP_FIRST 32771
#define ID_SUITE_APP_LAST 32780
#define ID_PORT_FIRST 32783
#define ID_PORT_LAST 32797
#define ID_CONNECT 32799
#define ID_SHOW_LAUNCHER 32800
#define ID_PHONE_SETUP 32811
#define ID_ABOUT 57664
#define ID_EXIT 57665
