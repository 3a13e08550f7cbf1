// The string binder's language calls (see StringBinderExtras.h).
#include "StringBinderExtras.h"

#include "StringLoader.h"

#include <base/WinError.h>
#include <kernel/Module.h>

namespace {

using ValueProc = int (*)();
using NameProc = int (*)(char* buffer, int size);

template <class Proc>
Proc Lookup(LPCSTR name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(BoundStringLibrary(), name)));
}

DWORD AskValue(LPCSTR exportName, DWORD* value) {
  if (!BoundStringLibrary()) return ERROR_NOT_READY;
  auto proc = Lookup<ValueProc>(exportName);
  if (!proc) return ERROR_CALL_NOT_IMPLEMENTED;
  const int answer = proc();
  if (answer == 0) return GetStringsLastError();
  if (value) *value = static_cast<DWORD>(answer);
  return ERROR_SUCCESS;
}

}  // namespace

DWORD GetCurrentLanguage(DWORD* language) { return AskValue("Glossa_GetCurrent", language); }
DWORD GetFirstLanguage(DWORD* language) { return AskValue("Glossa_GetFirstLang", language); }
DWORD GetNextLanguage(DWORD* language) { return AskValue("Glossa_GetNextLang", language); }

DWORD GetLanguageName(CString& name) {
  if (!BoundStringLibrary()) return ERROR_NOT_READY;
  auto proc = Lookup<NameProc>("Glossa_GetName");
  if (!proc) return ERROR_CALL_NOT_IMPLEMENTED;
  const int length = proc(nullptr, 0);
  if (length <= 0) return GetStringsLastError();
  const int filled = proc(name.GetBuffer(length + 1), length + 1);
  name.ReleaseBuffer(filled > 0 ? std::min(filled, length) : 0);
  return filled > 0 ? ERROR_SUCCESS : GetStringsLastError();
}
