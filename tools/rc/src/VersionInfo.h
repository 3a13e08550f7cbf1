#pragma once
// Version records (VS_VERSIONINFO): a tree of nodes, each a length word, a value-length word, a type
// word (1 text, 0 binary), a NUL-terminated UTF-16 key, padding to a DWORD, the value, padding, and
// the children. The root's value is VS_FIXEDFILEINFO.
#include <cstdint>
#include <string>
#include <vector>

namespace tolvar::rc {

struct FixedFileInfo {
  std::uint32_t fileVersionMS = 0, fileVersionLS = 0;
  std::uint32_t productVersionMS = 0, productVersionLS = 0;
  std::uint32_t fileFlagsMask = 0, fileFlags = 0;
  std::uint32_t fileOS = 0, fileType = 0, fileSubtype = 0;
};

struct VersionNode {
  std::u16string key;
  bool text = false;
  std::vector<std::uint8_t> value;
  std::uint16_t valueLength = 0;  // in WCHARs for text values (with the NUL), in bytes otherwise
  std::vector<VersionNode> children;

  // A VALUE with a text: the UTF-16 text and its NUL.
  static VersionNode Text(std::u16string key, const std::u16string& value);
};

std::vector<std::uint8_t> EncodeVersionInfo(const FixedFileInfo& fixed, const std::vector<VersionNode>& blocks);

}  // namespace tolvar::rc
