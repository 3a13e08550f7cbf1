// CString::LoadString: a string of the current module's string table (AfxGetResourceHandle), so a
// library that switched to its own module state reads its own strings.
#include <framework/ModuleState.h>
#include <framework/String.h>

#include <resources/Resource.h>

#include <string>

BOOL CString::LoadString(UINT id) {
  LPCWSTR resident = nullptr;
  // The length first, without copying (a string may be longer than any fixed buffer).
  int length = LoadStringW(AfxGetResourceHandle(), id, reinterpret_cast<LPWSTR>(&resident), 0);
  if (length <= 0) return FALSE;
  std::string buffer(static_cast<size_t>(length) * 3 + 1, '\0');
  int got = LoadStringA(AfxGetResourceHandle(), id, buffer.data(), static_cast<int>(buffer.size()));
  if (got <= 0) return FALSE;
  *this = CString(buffer.data(), got);
  return TRUE;
}
