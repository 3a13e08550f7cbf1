#include "ReplyFields.h"

#include <algorithm>
#include <cctype>
#include <climits>

void CReplyFields::Split(std::string_view text, std::string_view delimiters) {
  m_fields.clear();
  std::size_t at = 0;
  while (at < text.size()) {
    at = text.find_first_not_of(delimiters, at);
    if (at == std::string_view::npos) break;
    const std::size_t end = std::min(text.find_first_of(delimiters, at), text.size());
    m_fields.emplace_back(text.substr(at, end - at));
    at = end;
  }
}

const std::string& CReplyFields::GetField(std::size_t i) const {
  static const std::string empty;
  return i < m_fields.size() ? m_fields[i] : empty;
}

int ReadNumber(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  long long value = 0;
  for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
    // A number past the int range is held at its bound rather than wrapped into another value.
    value = std::min<long long>(value * 10 + (text[at] - '0'), static_cast<long long>(INT_MAX) + 1);
  }
  if (negative) value = -value;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

bool ReadCount(std::string_view text, int limit, int& count) {
  if (text.empty() || text.size() > 10) return false;
  long long value = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    value = value * 10 + (c - '0');
  }
  if (value > limit) return false;
  count = static_cast<int>(value);
  return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}
