#pragma once
// Programs and shared libraries. An HMODULE is the address at which the module's ELF header is
// mapped, as an HMODULE on Windows is the address of its image; the main program is
// GetModuleHandle(NULL).
//
// The suite's code names programs and libraries as Windows does ("Handport.dll", "Vezezudara.exe");
// on disk they are "libHandport.so" and "Vezezudara", all in one folder. MapModuleName is the one
// place that turns one form into the other.
#include <base/WinDef.h>

#include <string>
#include <string_view>

HMODULE LoadLibraryA(LPCSTR fileName);
inline HMODULE LoadLibrary(LPCSTR fileName) { return LoadLibraryA(fileName); }
BOOL FreeLibrary(HMODULE module);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
HMODULE GetModuleHandleA(LPCSTR moduleName);
inline HMODULE GetModuleHandle(LPCSTR moduleName) { return GetModuleHandleA(moduleName); }
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
inline DWORD GetModuleFileName(HMODULE module, LPSTR fileName, DWORD size) {
  return GetModuleFileNameA(module, fileName, size);
}

namespace tolvar::kernel {

// "Handport.dll" -> "libHandport.so", "Vezezudara.exe" -> "Vezezudara"; a directory part is kept.
// Names with other endings are returned as they are.
std::string MapModuleName(std::string_view windowsName);

// "libHandport.so" -> "Handport.dll", "Vezezudara" (an executable) -> "Vezezudara.exe".
std::string WindowsModuleName(std::string_view fileName, bool isExecutable);

// The module that contains an address (code or data), or nullptr.
HMODULE ModuleFromAddress(const void* address);

// The full path of a loaded module's file on disk, or "" when the handle names no loaded module.
std::string ModulePath(HMODULE module);

// The folder of the running program, where the suite's programs and libraries are.
std::string ProgramFolder();

}  // namespace tolvar::kernel
