// The file's bytes into lines and the texts' formatting: see CsvText.h.
#include "CsvText.h"

#include <base/CodePage.h>

#include <algorithm>

namespace tabulon {
namespace {

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  const std::size_t n = bytes.size();
  while (i < n) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) { ++i; continue; }
    int extra = 0;
    unsigned min = 0;
    if (c >= 0xC2 && c <= 0xDF) { extra = 1; min = 0x80; }
    else if (c >= 0xE0 && c <= 0xEF) { extra = 2; min = 0x800; }
    else if (c >= 0xF0 && c <= 0xF4) { extra = 3; min = 0x10000; }
    else return false;
    if (n - i <= static_cast<std::size_t>(extra)) return false;
    unsigned code = c & (0x3Fu >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

std::string FromCodePage1252(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int wide = MultiByteToWideChar(1252, 0, bytes.data(), size, nullptr, 0);
  std::u16string units(static_cast<std::size_t>(wide > 0 ? wide : 0), u'\0');
  if (wide > 0) MultiByteToWideChar(1252, 0, bytes.data(), size, reinterpret_cast<LPWSTR>(units.data()), wide);
  const int utf8 = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(units.data()), wide, nullptr, 0,
                                       nullptr, nullptr);
  std::string text(static_cast<std::size_t>(utf8 > 0 ? utf8 : 0), '\0');
  if (utf8 > 0)
    WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(units.data()), wide, text.data(), utf8, nullptr, nullptr);
  return text;
}

}  // namespace

void CsvFileText::Read(std::string bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
  m_text = IsValidUtf8(bytes) ? std::move(bytes) : FromCodePage1252(bytes);
  m_lines.clear();
  // One pass over the bytes (a search for either break character would scan each line twice).
  const auto isBreak = [](char c) { return c == '\r' || c == '\n'; };
  const char* const end = m_text.data() + m_text.size();
  for (const char* start = m_text.data(); start != end;) {
    const char* stop = std::find_if(start, end, isBreak);
    m_lines.emplace_back(start, static_cast<std::size_t>(stop - start));
    if (stop == end) break;
    start = stop + (*stop == '\r' && stop + 1 != end && stop[1] == '\n' ? 2 : 1);
  }
}

std::vector<std::string> SplitFileLines(std::string_view bytes) {
  const CsvFileText text{std::string(bytes)};
  return {text.Lines().begin(), text.Lines().end()};
}

int CountCharacters(std::string_view text) {
  int count = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  return count;
}

std::string FormatText(std::string_view format, std::string_view argument) {
  std::string text;
  text.reserve(format.size() + argument.size());
  bool used = false;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      const char kind = format[i + 1];
      if (kind == '%') { text += '%'; ++i; continue; }
      if (!used && (kind == 's' || kind == 'd')) { text += argument; used = true; ++i; continue; }
    }
    text += format[i];
  }
  return text;
}

std::string FormatText(std::string_view format, long long number) {
  return FormatText(format, std::to_string(number));
}

}  // namespace tabulon
