#pragma once
// Localized texts. Every user-visible text of a program is fetched by string id: from Glossa
// ("Glossa.dll", loaded by name at run time) in the language of the settings value "LC", and from the
// program's own string table whenever Glossa cannot answer. Texts are cached for the run.
//
// Each program has one static loader named after its string files:
//     static CStringLoader g_strings("Vezezudara");
#include <framework/String.h>

// The binder. Each returns 0 or a system error number; the exports are looked up at every call.
DWORD BindStrings(LPCSTR directory, LPCSTR moduleName, LPCSTR extension);  // 183 when already loaded
DWORD SetStringsLanguage(DWORD language);                                  // 21 when not loaded
// Unloads Glossa; closes its binding only when BindStrings of this copy of the kit made it, so a
// library built with the kit never closes the binding of the program that loaded it.
DWORD CloseStrings();                                                      // 21 when not loaded
DWORD GetStringsLastError();                                               // 183 when not loaded
// Glossa's module while the binder holds it, else null.
HMODULE BoundStringLibrary();

// The text of `id` from Glossa, or, when Glossa fails, from the own string table (empty when neither
// has it). The thread's last error holds Glossa's outcome: 0, or why the own table answered.
CString GetString(UINT id);

class CStringLoader {
public:
  // Binds Glossa to `moduleName` with the extension "ini" and selects the language "LC" of
  // HKEY_CURRENT_USER "Software\Halvane\Tolvar\Settings" (0 when absent).
  explicit CStringLoader(LPCSTR moduleName);
  virtual ~CStringLoader();  // unloads Glossa (see CloseStrings); texts then come from the own table

  CStringLoader(const CStringLoader&) = delete;
  CStringLoader& operator=(const CStringLoader&) = delete;
};

// The text of `id` fetched afresh (and added to the cache).
CString LoadText(UINT id);
// The first text cached for `id`; fetched as LoadText when there is none.
CString GetText(UINT id);
