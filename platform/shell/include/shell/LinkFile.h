#pragma once
// The reader of shortcut files in the published Shell Link binary format (".lnk", as Windows
// writes them). Only what a shortcut's user needs is taken: the target path (the local base path
// and common path suffix of the link information, else the relative path), the description, the
// working folder and the arguments. Every offset and count is checked against the bytes.
#include <base/WinDef.h>

#include <span>
#include <string>

namespace tolvar::shell {

struct LinkFile {
  std::string target;        // as written in the file (a Windows path), UTF-8
  bool targetIsRelative = false;  // taken from the relative path: relative to the shortcut's folder
  std::string description;
  std::string workingDirectory;
  std::string arguments;
};

// false for bytes that are not a whole shortcut or name no target.
bool ParseLinkFile(std::span<const BYTE> bytes, LinkFile& link);

}  // namespace tolvar::shell
