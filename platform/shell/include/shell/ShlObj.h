#pragma once
// Special folders and shell links. A link object is the one object the shell hands out: made by
// CoCreateInstance(CLSID_ShellLink), loaded through its IPersistFile, read through IShellLinkA.
// There is no COM runtime behind it; CoInitialize only keeps the callers' pairing honest.
#include <base/Com.h>
#include <shell/ShellApi.h>
#include <user/Messages.h>

// ---- Special folders -------------------------------------------------------------------------

constexpr int CSIDL_DESKTOP = 0x0000;
constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_DRIVES = 0x0011;  // the computer: every drive and the file system
constexpr int CSIDL_FLAG_CREATE = 0x8000;

// The desktop and the documents folder are the desktop's XDG user directories (XDG_DESKTOP_DIR and
// XDG_DOCUMENTS_DIR of $XDG_CONFIG_HOME/user-dirs.dirs), or the home folder where they are not set.
// `create` (or CSIDL_FLAG_CREATE) makes a missing folder. Other folders fail (E_INVALIDARG / FALSE).
BOOL SHGetSpecialFolderPathA(HWND owner, LPSTR path, int folder, BOOL create);
inline BOOL SHGetSpecialFolderPath(HWND owner, LPSTR path, int folder, BOOL create) {
  return SHGetSpecialFolderPathA(owner, path, folder, create);
}
HRESULT SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path);
inline HRESULT SHGetFolderPath(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path) {
  return SHGetFolderPathA(owner, folder, token, flags, path);
}

// ---- Object creation -------------------------------------------------------------------------

using LPCOLESTR = const WCHAR*;
using LPOLESTR = WCHAR*;

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;

HRESULT CoInitialize(void* reserved);
void CoUninitialize();
// Only CLSID_ShellLink exists (REGDB_E_CLASSNOTREG for any other class).
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);

constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110);
constexpr HRESULT HRESULT_FROM_WIN32(DWORD error) {
  return error == 0 ? 0 : static_cast<HRESULT>((error & 0xFFFF) | 0x80070000);
}

// ---- Shell links -----------------------------------------------------------------------------

extern const CLSID CLSID_ShellLink;
extern const IID IID_IShellLinkA;
extern const IID IID_IPersistFile;

constexpr DWORD SLR_NO_UI = 0x0001;
constexpr DWORD SLR_UPDATE = 0x0004;
constexpr DWORD SLGP_SHORTPATH = 0x0001;
constexpr DWORD SLGP_UNCPRIORITY = 0x0002;
constexpr DWORD SLGP_RAWPATH = 0x0004;

struct IPersist : IUnknown {
  virtual HRESULT GetClassID(CLSID* clsid) = 0;

protected:
  ~IPersist() = default;
};

// Loading only: the suite reads shortcuts and never writes them.
struct IPersistFile : IPersist {
  virtual HRESULT IsDirty() = 0;
  virtual HRESULT Load(LPCOLESTR fileName, DWORD mode) = 0;

protected:
  ~IPersistFile() = default;
};

struct WIN32_FIND_DATAA;

// What a loaded shortcut says. A shortcut here is a symbolic link; a file in the Shell Link binary
// format (".lnk") is read as well. Resolve checks that the target exists; no window is ever shown.
struct IShellLinkA : IUnknown {
  // The target path (a path inside a drive folder in "C:\" form). S_FALSE and an empty text
  // when nothing is loaded. findData, when given, receives the target's attributes and name.
  virtual HRESULT GetPath(LPSTR file, int size, WIN32_FIND_DATAA* findData, DWORD flags) = 0;
  virtual HRESULT GetDescription(LPSTR name, int size) = 0;
  virtual HRESULT GetArguments(LPSTR arguments, int size) = 0;
  virtual HRESULT GetWorkingDirectory(LPSTR directory, int size) = 0;
  // S_OK when the target exists; HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) when it does not (a
  // dangling or looping symbolic link included), E_FAIL with nothing loaded.
  virtual HRESULT Resolve(HWND window, DWORD flags) = 0;

protected:
  ~IShellLinkA() = default;
};
using IShellLink = IShellLinkA;

// ---- Item lists and the folder browser ---------------------------------------------------------

// An item list names a folder. Ours hold one item, the folder's path (UTF-8, NUL-ended), followed
// by the empty item that ends every list; callers treat them as opaque and free them with
// CoTaskMemFree.
struct SHITEMID {
  USHORT cb;  // the item's size, this field included
  BYTE abID[1];
};
struct ITEMIDLIST {
  SHITEMID mkid;
};
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;
using PIDLIST_ABSOLUTE = LPITEMIDLIST;
using PCIDLIST_ABSOLUTE = LPCITEMIDLIST;

void* CoTaskMemAlloc(SIZE_T size);
void CoTaskMemFree(void* block);

// The path an item list names into `path` (MAX_PATH bytes). FALSE for a null or foreign list, or a
// path that does not fit (the buffer then holds an empty text).
BOOL SHGetPathFromIDListA(LPCITEMIDLIST list, LPSTR path);
inline BOOL SHGetPathFromIDList(LPCITEMIDLIST list, LPSTR path) { return SHGetPathFromIDListA(list, path); }

// A new item list (freed with CoTaskMemFree) for CSIDL_DESKTOP, CSIDL_PERSONAL (the folders
// SHGetSpecialFolderPath gives) or CSIDL_DRIVES (the computer, which has no path). E_INVALIDARG for
// another folder or a null `list`, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) when the folder is missing.
HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* list);

constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
constexpr UINT BIF_DONTGOBELOWDOMAIN = 0x0002;
constexpr UINT BIF_STATUSTEXT = 0x0004;
constexpr UINT BIF_RETURNFSANCESTORS = 0x0008;

// The callback's messages (from the browser) and what it may send back (to the browser's window).
constexpr UINT BFFM_INITIALIZED = 1;  // lParam 0
constexpr UINT BFFM_SELCHANGED = 2;   // lParam the new selection's item list (valid during the call)
constexpr UINT BFFM_SETSTATUSTEXTA = WM_USER + 100;  // lParam the text (with BIF_STATUSTEXT)
constexpr UINT BFFM_ENABLEOK = WM_USER + 101;        // lParam non-zero enables OK
constexpr UINT BFFM_SETSELECTIONA = WM_USER + 102;   // wParam TRUE: lParam a path; FALSE: an item list
constexpr UINT BFFM_SETSTATUSTEXT = BFFM_SETSTATUSTEXTA;
constexpr UINT BFFM_SETSELECTION = BFFM_SETSELECTIONA;

using BFFCALLBACK = int (*)(HWND window, UINT message, LPARAM lParam, LPARAM data);

struct BROWSEINFOA {
  HWND hwndOwner;
  LPCITEMIDLIST pidlRoot;  // the top of what may be chosen; NULL: every drive and the file system
  LPSTR pszDisplayName;    // out: the chosen folder's name (MAX_PATH bytes)
  LPCSTR lpszTitle;        // shown above the folders
  UINT ulFlags;
  BFFCALLBACK lpfn;
  LPARAM lParam;           // passed to lpfn
  int iImage;              // out: the chosen folder's index in the system image list
};
using LPBROWSEINFOA = BROWSEINFOA*;
using BROWSEINFO = BROWSEINFOA;
using LPBROWSEINFO = LPBROWSEINFOA;

// Modal, owned by hwndOwner: the folders as a tree of the chosen folder's ancestors and its
// sub-folders. Starts at the current directory (inside pidlRoot when given). The chosen folder's
// new item list, or NULL when cancelled.
LPITEMIDLIST SHBrowseForFolderA(LPBROWSEINFOA info);
inline LPITEMIDLIST SHBrowseForFolder(LPBROWSEINFOA info) { return SHBrowseForFolderA(info); }
