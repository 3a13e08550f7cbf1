#pragma once
// A file's version record read once and asked by name: the one reader of the suite for the texts a
// program states about itself (Comments, SpecialBuild, FileDescription, FileVersion, PrivateBuild...),
// over GetFileVersionInfo and VerQueryValue.
//
// Texts are those of the record's first translation ("\VarFileInfo\Translation"); a record without
// one is asked under language 0, code page 0. A text is taken up to its NUL and never past the
// length the record gives it.
//
//     tolvar::resources::VersionRecord record;
//     if (record.Read("Daybook.exe") && record.Text("Comments").starts_with("Dravik App")) ...
#include <resources/Version.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvar::resources {

class VersionRecord {
 public:
  // Reads the record of the file (a Windows name finds its Linux file). False, with the last error
  // of GetFileVersionInfoSize, when the file has none; the object then holds no record.
  bool Read(LPCSTR path);
  bool HasRecord() const { return !m_block.empty(); }

  // Whether the record names a translation, and the first one it names (0 and 0 when none).
  bool HasTranslation() const { return m_hasTranslation; }
  WORD Language() const { return m_language; }
  WORD CodePage() const { return m_codePage; }

  // The text of a string value; none when the record lacks it (an empty text is a value).
  std::optional<std::string> Value(std::string_view name) const;
  // The text, empty when absent.
  std::string Text(std::string_view name) const { return Value(name).value_or(std::string()); }
  // The fixed part, or null when there is no record.
  const VS_FIXEDFILEINFO* Fixed() const;

 private:
  std::vector<BYTE> m_block;
  bool m_hasTranslation = false;
  WORD m_language = 0;
  WORD m_codePage = 0;
};

}  // namespace tolvar::resources
