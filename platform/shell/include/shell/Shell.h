#pragma once
// The shell services: the notification area, file information, opening files, special folders and
// shell links.
#include <shell/ShellApi.h>
#include <shell/ShlObj.h>
