#pragma once
// The text form of a hive file, close to a registry export so that a person can read and edit it:
//
//   TOLVAR REGISTRY 1
//
//   [HKEY_CURRENT_USER\Software\Halvane\Tolvar\Settings]
//   "Build"="ZDE_0123"
//   "ATTimeOut"=dword:00000bb8
//   "Blob"=hex:01,02,03
//   @="the default value"
//
// Every key has a header, parents before children, keys and values in creation order, so the order
// of enumeration survives a round trip. Quoted texts escape '\' and '"', and write control bytes and
// bytes that are not UTF-8 as \xHH. A REG_SZ is written quoted when it is a text with exactly one
// terminating NUL; any other data (a string without its NUL, odd-sized DWORDs, other types) is
// written as hex(type) so the stored bytes come back exactly.
#include "RegKey.h"

#include <memory>
#include <string>
#include <string_view>

namespace tolvar::registry {

struct HiveParseError {
  int line = 0;
  std::string message;
};

// The tree of a hive file's text, or nullptr with `error` filled. An empty text is an empty hive.
std::unique_ptr<RegKey> ParseHive(std::string_view text, std::string_view rootName,
                                  HiveParseError& error);

std::string FormatHive(const RegKey& root, std::string_view rootName);

}  // namespace tolvar::registry
