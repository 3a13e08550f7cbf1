#pragma once
// Lines of a text file held in memory. LF, CR LF and a lone CR all end a line, so files from any
// system read alike; the last line needs no line end. Each line is handed out once, without its end.
#include <optional>
#include <string_view>

namespace interlex {

class CLineReader {
public:
  explicit CLineReader(std::string_view bytes) : m_bytes(bytes) {}

  std::optional<std::string_view> Next() {
    if (m_pos >= m_bytes.size()) return std::nullopt;
    const size_t end = m_bytes.find_first_of("\r\n", m_pos);
    if (end == std::string_view::npos) {
      std::string_view line = m_bytes.substr(m_pos);
      m_pos = m_bytes.size();
      return line;
    }
    std::string_view line = m_bytes.substr(m_pos, end - m_pos);
    m_pos = end + 1;
    if (m_bytes[end] == '\r' && m_pos < m_bytes.size() && m_bytes[m_pos] == '\n') ++m_pos;
    return line;
  }

private:
  std::string_view m_bytes;
  size_t m_pos = 0;
};

}  // namespace interlex
