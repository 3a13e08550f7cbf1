#pragma once
// Finding and loading the resources of a module: the data its .rc script compiled into the
// module's ".tolvar_rsrc" section. Each module has its own resources; a NULL module is the program.
// Resource data stays valid for the life of the process, as a mapped image's resources do on Windows.
#include <base/WinDef.h>

// A resource name or type is either a text or a 16-bit integer carried in the pointer.
inline LPSTR MAKEINTRESOURCEA(WORD id) { return reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(id)); }
inline LPSTR MAKEINTRESOURCE(WORD id) { return MAKEINTRESOURCEA(id); }
inline bool IS_INTRESOURCE(const void* p) { return (reinterpret_cast<ULONG_PTR>(p) >> 16) == 0; }

// Resource types. Macros, as on Windows, so they are usable in any initialiser.
#define RT_CURSOR MAKEINTRESOURCE(1)
#define RT_BITMAP MAKEINTRESOURCE(2)
#define RT_ICON MAKEINTRESOURCE(3)
#define RT_MENU MAKEINTRESOURCE(4)
#define RT_DIALOG MAKEINTRESOURCE(5)
#define RT_STRING MAKEINTRESOURCE(6)
#define RT_RCDATA MAKEINTRESOURCE(10)
#define RT_GROUP_CURSOR MAKEINTRESOURCE(12)
#define RT_GROUP_ICON MAKEINTRESOURCE(14)
#define RT_VERSION MAKEINTRESOURCE(16)
#define RT_DLGINIT MAKEINTRESOURCE(240)
#define RT_TOOLBAR MAKEINTRESOURCE(241)

// FindResource picks a language itself: neutral, then US English, then any English, then the first.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
inline HRSRC FindResource(HMODULE module, LPCSTR name, LPCSTR type) { return FindResourceA(module, name, type); }
// The language asked for, else its neutral sub-language, else the neutral language.
HRSRC FindResourceExA(HMODULE module, LPCSTR type, LPCSTR name, WORD language);
inline HRSRC FindResourceEx(HMODULE module, LPCSTR type, LPCSTR name, WORD language) {
  return FindResourceExA(module, type, name, language);
}
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL resource);
DWORD SizeofResource(HMODULE module, HRSRC resource);
BOOL FreeResource(HGLOBAL resource);  // nothing to free: always FALSE, as on Windows

// Copies string `id` of the module's string table, truncated to fit and terminated; returns its
// length, or 0 when there is no such string.
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax);
inline int LoadString(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
  return LoadStringA(instance, id, buffer, bufferMax);
}
// As LoadStringA; with bufferMax 0, `buffer` receives a read-only pointer to the string in the
// resource (not terminated) and the result is its length.
int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax);
