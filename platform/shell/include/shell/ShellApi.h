#pragma once
// The shell's calls that take no object: the notification-area icon, what the shell knows of a file
// (its icon, the system image list, display and type names, attributes) and handing a file or an
// address to the desktop's opener.
#include <base/WinDef.h>

// ---- The notification area ------------------------------------------------------------------

constexpr DWORD NIM_ADD = 0x00000000;
constexpr DWORD NIM_MODIFY = 0x00000001;
constexpr DWORD NIM_DELETE = 0x00000002;

constexpr UINT NIF_MESSAGE = 0x00000001;
constexpr UINT NIF_ICON = 0x00000002;
constexpr UINT NIF_TIP = 0x00000004;

// The first version of the record, which is all this system's callers fill: 88 bytes on Windows,
// the size callers put in cbSize. sizeof(NOTIFYICONDATAA) is accepted too.
constexpr DWORD NOTIFYICONDATA_V1_SIZE = 88;

struct NOTIFYICONDATAA {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  CHAR szTip[64];  // at most 63 bytes and the NUL; a longer tip is cut
};
using PNOTIFYICONDATAA = NOTIFYICONDATAA*;
using NOTIFYICONDATA = NOTIFYICONDATAA;
using PNOTIFYICONDATA = PNOTIFYICONDATAA;

// Adds, changes or removes this process's icon (hWnd, uID) in the notification area. FALSE when no
// tray is present (as without a taskbar; last error ERROR_INVALID_WINDOW_HANDLE), when NIM_ADD finds
// the icon already there (ERROR_ALREADY_EXISTS), when NIM_MODIFY/NIM_DELETE do not find it
// (ERROR_FILE_NOT_FOUND), or for a bad record (ERROR_INVALID_PARAMETER). The mouse messages over the
// icon reach hWnd as uCallbackMessage with wParam uID and lParam the mouse message (512 to 517).
BOOL Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data);
inline BOOL Shell_NotifyIcon(DWORD message, PNOTIFYICONDATAA data) { return Shell_NotifyIconA(message, data); }

// ---- File information ------------------------------------------------------------------------

constexpr UINT SHGFI_LARGEICON = 0x000000000;
constexpr UINT SHGFI_SMALLICON = 0x000000001;
constexpr UINT SHGFI_OPENICON = 0x000000002;
constexpr UINT SHGFI_PIDL = 0x000000008;  // `path` is an item list (LPCITEMIDLIST), not a text
constexpr UINT SHGFI_USEFILEATTRIBUTES = 0x000000010;
constexpr UINT SHGFI_ICON = 0x000000100;
constexpr UINT SHGFI_DISPLAYNAME = 0x000000200;
constexpr UINT SHGFI_TYPENAME = 0x000000400;
constexpr UINT SHGFI_ATTRIBUTES = 0x000000800;
constexpr UINT SHGFI_SYSICONINDEX = 0x000004000;

constexpr DWORD SFGAO_HASSUBFOLDER = 0x80000000;
constexpr DWORD SFGAO_LINK = 0x00010000;
constexpr DWORD SFGAO_FOLDER = 0x20000000;
constexpr DWORD SFGAO_FILESYSTEM = 0x40000000;

struct SHFILEINFOA {
  HICON hIcon;       // SHGFI_ICON: a new icon the caller destroys
  int iIcon;         // the index in the system image list
  DWORD dwAttributes;
  CHAR szDisplayName[MAX_PATH];
  CHAR szTypeName[80];
};
using SHFILEINFO = SHFILEINFOA;

// What the shell knows of a path (a file, a folder, a drive root such as "C:\", a shortcut). The
// icons are fixed per kind of item: folder, drive, shortcut, and for files the kind their MIME
// type names (through the desktop's shared-mime-info database when present, else by extension).
// With SHGFI_SYSICONINDEX the result is the system image list (small or large, by
// SHGFI_SMALLICON), which belongs to the shell: callers share it and never destroy it; otherwise
// non-zero on success. A path that does not exist gives 0, unless SHGFI_USEFILEATTRIBUTES asks for
// the answer from the name and `fileAttributes` alone. With SHGFI_PIDL `path` is an item list (of
// SHGetSpecialFolderLocation or the folder browser); the computer's list answers "My Computer", the
// drive icon and SFGAO_FOLDER | SFGAO_HASSUBFOLDER; a null or foreign list fails with
// ERROR_INVALID_PARAMETER.
DWORD_PTR SHGetFileInfoA(LPCSTR path, DWORD fileAttributes, SHFILEINFOA* info, UINT infoSize, UINT flags);
inline DWORD_PTR SHGetFileInfo(LPCSTR path, DWORD fileAttributes, SHFILEINFOA* info, UINT infoSize, UINT flags) {
  return SHGetFileInfoA(path, fileAttributes, info, infoSize, flags);
}

// ---- Opening files and addresses -------------------------------------------------------------

constexpr ULONG SEE_MASK_NOCLOSEPROCESS = 0x00000040;
constexpr ULONG SEE_MASK_FLAG_NO_UI = 0x00000400;

// The old results of ShellExecute (a value above 32 is success).
constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_PNF = 3;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int SE_ERR_OOM = 8;
constexpr int SE_ERR_NOASSOC = 31;

struct SHELLEXECUTEINFOA {
  DWORD cbSize;
  ULONG fMask;
  HWND hwnd;
  LPCSTR lpVerb;
  LPCSTR lpFile;
  LPCSTR lpParameters;
  LPCSTR lpDirectory;
  int nShow;
  HINSTANCE hInstApp;  // out: above 32 on success, else an SE_ERR_ value
  void* lpIDList;
  LPCSTR lpClass;
  HKEY hkeyClass;
  DWORD dwHotKey;
  HANDLE hIcon;
  HANDLE hProcess;
};
using SHELLEXECUTEINFO = SHELLEXECUTEINFOA;
using LPSHELLEXECUTEINFOA = SHELLEXECUTEINFOA*;

// The verbs NULL, "open" and "edit" hand the file or address to the desktop's opener (xdg-open,
// found through PATH), started with the address or the file's path as its one argument: no
// command interpreter is involved, so quotes, spaces and ";" reach it unchanged. The opener is not
// waited for. A missing file fails with ERROR_FILE_NOT_FOUND (SE_ERR_FNF), a missing folder part
// with ERROR_PATH_NOT_FOUND, any other verb or no opener with ERROR_NO_ASSOCIATION (SE_ERR_NOASSOC).
// No message box is ever shown, with or without SEE_MASK_FLAG_NO_UI. lpParameters is not supported
// for documents (the desktop's opener takes none) and is ignored.
BOOL ShellExecuteExA(LPSHELLEXECUTEINFOA info);
inline BOOL ShellExecuteEx(LPSHELLEXECUTEINFOA info) { return ShellExecuteExA(info); }
HINSTANCE ShellExecuteA(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, int show);
inline HINSTANCE ShellExecute(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                              int show) {
  return ShellExecuteA(window, verb, file, parameters, directory, show);
}
