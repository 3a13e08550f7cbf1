// Path splitting for both path forms; see PathSplit.h.
#include "PathSplit.h"

#include <cctype>
#include <cstring>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveLetterPrefix(const char* path) {
  return std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

}  // namespace

int FindLastPathSeparator(const char* path) {
  if (!path) return -1;
  int last = -1;
  for (int i = 0; path[i]; ++i) {
    if (IsSeparator(path[i])) last = i;
  }
  return last;
}

bool IsRootPath(const char* path) {
  if (!path) return false;
  if (std::strcmp(path, "/") == 0) return true;
  return IsDriveLetterPrefix(path) && (path[2] == '\0' || (IsSeparator(path[2]) && path[3] == '\0'));
}

CString PathFolder(const CString& path) {
  const char* text = path;
  const int last = FindLastPathSeparator(text);
  if (last < 0) return IsDriveLetterPrefix(text) ? path.Left(2) + "\\" : CString();
  // The separator of a root stays with it: "C:\b" -> "C:\", "/b" -> "/".
  if (last == 0) return path.Left(1);
  if (last == 2 && IsDriveLetterPrefix(text)) return path.Left(3);
  return path.Left(last);
}

CString PathName(const CString& path) {
  const char* text = path;
  const int last = FindLastPathSeparator(text);
  if (last < 0) return IsDriveLetterPrefix(text) ? path.Mid(2) : path;
  return path.Mid(last + 1);
}

CString TrimTrailingSeparator(const CString& folder) {
  CString result = folder;
  while (result.GetLength() > 0 && IsSeparator(result[result.GetLength() - 1]) && !IsRootPath(result)) {
    result = result.Left(result.GetLength() - 1);
  }
  return result;
}

CString JoinPath(const CString& folder, const CString& name) {
  if (folder.IsEmpty()) return name;
  const char* text = folder;
  if (IsSeparator(text[folder.GetLength() - 1])) return folder + name;
  if (IsRootPath(text)) return folder + "\\" + name;  // "C:" alone
  return folder + (IsDriveLetterPrefix(text) ? "\\" : "/") + name;
}
