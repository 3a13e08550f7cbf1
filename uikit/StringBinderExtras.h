#pragma once
// The string binder's calls for language exports: each looks its export up in the bound string
// library at every call. 21 (ERROR_NOT_READY) when no library is bound, 120
// (ERROR_CALL_NOT_IMPLEMENTED) when it lacks the export, the library's last error when the export
// answers 0, else 0 with the answer. Built into the exchange library only.
#include <framework/String.h>

DWORD GetCurrentLanguage(DWORD* language);
DWORD GetFirstLanguage(DWORD* language);
DWORD GetNextLanguage(DWORD* language);
// Asks the export for the name's length first, then for the name.
DWORD GetLanguageName(CString& name);
