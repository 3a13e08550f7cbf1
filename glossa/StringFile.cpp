#include "StringFile.h"

#include <base/WinError.h>

#include <climits>
#include <cstdlib>

namespace glossa {
namespace {

// Splits the content into logical lines, resolving escapes and continuations.
class LineReader {
public:
  explicit LineReader(std::string_view content) : m_content(content) {
    if (m_content.starts_with("\xEF\xBB\xBF")) m_content.remove_prefix(3);
  }

  bool Next(std::string& line) {
    line.clear();
    if (m_at >= m_content.size()) return false;
    while (m_at < m_content.size()) {
      char c = Take();
      if (c == '\n') return true;
      if (c == '\\') {
        if (m_at >= m_content.size()) return true;
        c = Take();
        if (c == '\n') continue;  // continues on the next line
        static constexpr struct { char escape, value; } kEscapes[] = {{'b', ' '}, {'n', '\n'}, {'r', '\r'}, {'t', '\t'}};
        for (const auto& m : kEscapes) {
          if (c == m.escape) {
            c = m.value;
            break;
          }
        }
      }
      if (c == '\0') {
        SkipRestOfLine();
        return true;
      }
      line.push_back(c);
      if (line.size() == kMaxLogicalLine) {
        SkipRestOfLine();
        return true;
      }
    }
    return true;
  }

private:
  // One character, with CR LF read as LF.
  char Take() {
    char c = m_content[m_at++];
    if (c == '\r' && m_at < m_content.size() && m_content[m_at] == '\n') c = m_content[m_at++];
    return c;
  }
  void SkipRestOfLine() {
    while (m_at < m_content.size() && Take() != '\n') {
    }
  }

  std::string_view m_content;
  size_t m_at = 0;
};

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == ';' || c == '=' || c == '\\'; }

int KeyToId(const std::string& key) {
  long value = std::strtol(key.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

int ReadStringFile(std::string_view content, const StoreEntry& store, DWORD& lastError) {
  LineReader reader(content);
  std::string line;
  while (reader.Next(line)) {
    if (line.empty() || line[0] == ';') continue;
    size_t keyStart = 0;
    while (keyStart < line.size() && IsSeparator(line[keyStart])) ++keyStart;
    size_t keyEnd = keyStart;
    while (keyEnd < line.size() && !IsSeparator(line[keyEnd])) ++keyEnd;
    size_t open = keyEnd < line.size() ? line.find('"', keyEnd + 1) : std::string::npos;
    if (keyStart == line.size() || keyEnd == line.size() || open == std::string::npos ||
        open + 1 == line.size()) {
      lastError = ERROR_INVALID_PARAMETER;
      return 0;
    }
    size_t close = line.rfind('"');
    std::string text = close > open ? line.substr(open + 1, close - open - 1) : line.substr(open + 1);
    DWORD error = store(KeyToId(line.substr(keyStart, keyEnd - keyStart)), std::move(text));
    if (error != ERROR_SUCCESS) {
      lastError = error;
      return 0;
    }
    lastError = ERROR_SUCCESS;
  }
  return 1;
}

}  // namespace glossa
