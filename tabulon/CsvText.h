#pragma once
// Text helpers of the CSV engine: a file's bytes made into lines of the ANSI code page (UTF-8), the
// character count the length checks use, and the one-argument formatting of the localized texts.
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tabulon {

// A file's text split into lines at CR LF, LF or a lone CR. A leading UTF-8 byte-order mark is
// skipped; bytes that are not valid UTF-8 are read as code page 1252 (a file from another system).
// A last line without a line break counts; an empty file has no line.
//
// The lines are views into the text the object keeps, so a file is held once however many lines
// it has; for that reason the object is neither copied nor moved.
class CsvFileText {
public:
  CsvFileText() = default;
  explicit CsvFileText(std::string bytes) { Read(std::move(bytes)); }
  CsvFileText(const CsvFileText&) = delete;
  CsvFileText& operator=(const CsvFileText&) = delete;

  // Replaces the text and its lines with those of `bytes`.
  void Read(std::string bytes);
  std::span<const std::string_view> Lines() const { return m_lines; }

private:
  std::string m_text;
  std::vector<std::string_view> m_lines;
};

// The same lines as copies, for callers that keep them apart from the text.
std::vector<std::string> SplitFileLines(std::string_view bytes);

// Characters of a UTF-8 text (what a limit of "characters" counts).
int CountCharacters(std::string_view text);

// Replaces the first "%s" or "%d" of a localized format by `argument` and "%%" by '%'; any other
// '%' stays as written. The formats come from a string file, so they are never given to printf.
std::string FormatText(std::string_view format, std::string_view argument);
std::string FormatText(std::string_view format, long long number);

}  // namespace tabulon
