#include "StringLoader.h"

#include <base/CodePage.h>
#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Module.h>
#include <registry/RegistryKey.h>
#include <resources/Resource.h>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

using BindProc = int (*)(const char*, const char*, const char*);
using SetLangProc = int (*)(int);
using GetStringProc = int (*)(int, char*, int);
using CloseProc = int (*)();
using LastErrorProc = int (*)();

constexpr char kSettingsKey[] = "Software\\Halvane\\Tolvar\\Settings";

// Per copy of the kit (a program and each library built with the kit have their own): the handle of
// Glossa while loaded, whether this copy's Glossa_Bind made the process's binding, and whether a
// loader object lives. Glossa itself is one per process: a library whose bind is refused because the
// program is bound already (183) reads the program's texts and must leave that binding alone.
HMODULE g_library = nullptr;
bool g_ownsBinding = false;
BOOL g_useLibrary = FALSE;

template <class Proc>
Proc Export(LPCSTR name) {
  // Through the generic function type, which converts to any other without complaint.
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(g_library, name)));
}

// The own string table is that of the module this code is linked into: the program, or a library of
// the suite that links the kit itself.
const char g_anchor = 0;
HMODULE OwnModule() { return tolvar::kernel::ModuleFromAddress(&g_anchor); }

CString OwnText(UINT id) {
  const WCHAR* units = nullptr;
  int length = LoadStringW(OwnModule(), id, reinterpret_cast<LPWSTR>(&units), 0);
  if (length <= 0 || !units) return CString();
  int size = WideCharToMultiByte(CP_ACP, 0, units, length, nullptr, 0, nullptr, nullptr);
  CString text;
  if (size > 0) {
    WideCharToMultiByte(CP_ACP, 0, units, length, text.GetBuffer(size), size, nullptr, nullptr);
    text.ReleaseBuffer(size);
  }
  return text;
}

// "LC" of the settings key: a DWORD, 0 when the key or the value is absent or is not a DWORD.
DWORD LanguageSetting() {
  tolvar::registry::RegistryKey key;
  DWORD language = 0;
  if (key.Open(HKEY_CURRENT_USER, kSettingsKey, KEY_READ) != ERROR_SUCCESS ||
      key.QueryDword("LC", language) != ERROR_SUCCESS)
    return 0;
  return language;
}

struct CachedText {
  UINT id;
  CString text;
};

struct TextCache {
  std::mutex lock;
  std::vector<CachedText> texts;  // grows for the whole run; the first entry of an id wins
};

TextCache& Cache() {
  static TextCache cache;
  return cache;
}

}  // namespace

DWORD BindStrings(LPCSTR directory, LPCSTR moduleName, LPCSTR extension) {
  if (g_library) return ERROR_ALREADY_EXISTS;
  std::string file = std::string(directory ? directory : "") + "Glossa.dll";
  g_library = LoadLibraryA(file.c_str());
  if (!g_library) {
    DWORD error = GetLastError();
    return error ? error : ERROR_MOD_NOT_FOUND;
  }
  auto bind = Export<BindProc>("Glossa_Bind");
  if (!bind) return ERROR_CALL_NOT_IMPLEMENTED;  // the library stays loaded
  if (!bind(directory, moduleName, extension)) return GetStringsLastError();
  g_ownsBinding = true;
  return ERROR_SUCCESS;
}

DWORD SetStringsLanguage(DWORD language) {
  if (!g_library) return ERROR_NOT_READY;
  auto setLang = Export<SetLangProc>("Glossa_SetLang");
  if (!setLang) return ERROR_CALL_NOT_IMPLEMENTED;
  return setLang(static_cast<int>(language)) ? ERROR_SUCCESS : GetStringsLastError();
}

DWORD CloseStrings() {
  if (!g_library) return ERROR_NOT_READY;
  DWORD result = ERROR_SUCCESS;
  if (g_ownsBinding) {
    auto close = Export<CloseProc>("Glossa_Close");
    result = !close ? ERROR_CALL_NOT_IMPLEMENTED : close() ? ERROR_SUCCESS : GetStringsLastError();
    g_ownsBinding = false;
  }
  FreeLibrary(g_library);
  g_library = nullptr;
  return result;
}

DWORD GetStringsLastError() {
  if (!g_library) return ERROR_ALREADY_EXISTS;
  auto lastError = Export<LastErrorProc>("Glossa_GetLastError");
  if (!lastError) return ERROR_CALL_NOT_IMPLEMENTED;
  return static_cast<DWORD>(lastError());
}

HMODULE BoundStringLibrary() { return g_library; }

CString GetString(UINT id) {
  CString text;
  DWORD error = ERROR_SUCCESS;
  GetStringProc getString = g_library ? Export<GetStringProc>("Glossa_GetString") : nullptr;
  if (!g_library) {
    error = ERROR_NOT_READY;
  } else if (!getString) {
    error = ERROR_CALL_NOT_IMPLEMENTED;
  } else {
    int n = getString(static_cast<int>(id), nullptr, 0);
    if (n > 0) {
      // Glossa copies the text without a terminator; the buffer keeps room for one.
      LPSTR buffer = text.GetBuffer(n);
      buffer[0] = '\0';
      if (getString(static_cast<int>(id), buffer, n) == 0) {
        error = GetStringsLastError();
      } else {
        buffer[n] = '\0';
      }
      text.ReleaseBuffer();  // up to the first NUL
    } else {
      error = GetStringsLastError();
    }
  }
  if (error != ERROR_SUCCESS) text = OwnText(id);
  SetLastError(error);
  return text;
}

CStringLoader::CStringLoader(LPCSTR moduleName) {
  g_useLibrary = TRUE;
  // Without Glossa every text comes from the own string table, through GetString's fallback.
  if (BindStrings("", moduleName, "ini") != ERROR_SUCCESS) return;
  SetStringsLanguage(LanguageSetting());
}

CStringLoader::~CStringLoader() {
  CloseStrings();
  g_useLibrary = FALSE;
}

CString LoadText(UINT id) {
  CString text = g_useLibrary ? GetString(id) : OwnText(id);
  TextCache& cache = Cache();
  std::lock_guard guard(cache.lock);
  cache.texts.push_back(CachedText{id, text});
  return text;
}

CString GetText(UINT id) {
  TextCache& cache = Cache();
  {
    std::lock_guard guard(cache.lock);
    for (const CachedText& cached : cache.texts)
      if (cached.id == id) return cached.text;
  }
  return LoadText(id);
}
