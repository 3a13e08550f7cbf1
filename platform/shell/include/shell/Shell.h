#pragma once
// The shell services: the notification area, file information, opening files, special folders and
// shell links, the file dialogs and the folder browser.
#include <shell/ShellApi.h>
#include <shell/ShlObj.h>
#include <shell/CommDlg.h>
