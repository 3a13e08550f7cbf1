// The shared text routines of the exchange formats (see TextRoutines.h).
#include "TextRoutines.h"

#include <base/CodePage.h>

#include <vector>

namespace interlex {
namespace {

bool IsUtf8CodePage(UINT codePage) { return codePage == CP_ACP || codePage == CP_UTF8 || codePage == CP_THREAD_ACP; }

// Lead bytes of the double-byte code pages; none in the single-byte ones.
bool IsLeadByte(UINT codePage, unsigned char byte) {
  switch (codePage) {
    case 932: return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950: return byte >= 0x81 && byte <= 0xFE;
    default: return false;
  }
}

// Bytes of the UTF-8 character starting at `i`, 0 when no valid character starts there.
size_t Utf8CharLength(std::string_view s, size_t i) {
  const auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) return 1;
  size_t length;
  char32_t min;
  char32_t cp;
  if (b >= 0xC2 && b <= 0xDF) { length = 2; min = 0x80; cp = b & 0x1F; }
  else if (b >= 0xE0 && b <= 0xEF) { length = 3; min = 0x800; cp = b & 0x0F; }
  else if (b >= 0xF0 && b <= 0xF4) { length = 4; min = 0x10000; cp = b & 0x07; }
  else return 0;
  if (i + length > s.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    const auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (c & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return c - 'a' + 10;
}

CString RemoveAny(const CString& text, std::string_view drop) {
  std::string out;
  for (char c : AsView(text))
    if (drop.find(c) == std::string_view::npos) out += c;
  return CString(std::string_view(out));
}

}  // namespace

size_t ShortLength(int limit, std::string_view s, int keepDoubleByte, UINT codePage) {
  if (s.empty() || limit <= 0) return 0;
  size_t kept = 0;
  int count = 0;
  if (IsUtf8CodePage(codePage)) {
    // A byte that starts no character is counted as the replacement character it will become.
    while (kept < s.size()) {
      const size_t length = Utf8CharLength(s, kept);
      const int cost = length == 0 ? 3 : static_cast<int>(length);
      if (count + cost > limit) break;
      count += cost;
      kept += length == 0 ? 1 : length;
    }
    return kept;
  }
  while (kept < s.size()) {
    const auto b = static_cast<unsigned char>(s[kept]);
    if (IsLeadByte(codePage, b)) {
      if (keepDoubleByte == 0) return 0;
      // The pair is one character: both bytes or neither (a lead byte at the very end is dropped).
      if (kept + 1 >= s.size() || count + 3 > limit) break;
      count += 3;
      kept += 2;
      continue;
    }
    const int cost = b < 0x80 ? 1 : 3;
    if (count + cost > limit) break;
    count += cost;
    ++kept;
  }
  return kept;
}

CString ShortStrChange(int limit, const CString& text, int keepDoubleByte, UINT codePage) {
  const std::string_view s = AsView(text);
  const size_t kept = ShortLength(limit, s, keepDoubleByte, codePage);
  if (kept == s.size()) return text;
  return CString(s.substr(0, kept));
}

int StrToIntA(std::string_view text) {
  if (text.size() == 1) return static_cast<unsigned char>(text[0]);
  if (text.size() != 2) return 0;
  int value = 0;
  for (size_t i = 0; i < 2; ++i) {
    const char c = text[i];
    if (IsHexDigit(c))
      value += HexValue(c) * (i == 0 ? 16 : 1);
    else
      value = static_cast<unsigned char>(c);
  }
  return value;
}

CString QPDecode(const CString& text) {
  const std::string_view s = AsView(text);
  const size_t n = s.size();
  std::string out;
  out.reserve(n);
  auto put = [&out](int value) {
    // A NUL cannot live in a C string value: it is left out.
    if ((value & 0xFF) != 0) out += static_cast<char>(value & 0xFF);
  };
  size_t p = 0;
  while (p + 2 < n) {
    if (s[p] != '=') {
      out += s[p++];
      continue;
    }
    if (s[p + 1] == '3' && s[p + 2] == 'D') {
      out += '=';
      p += 3;
      continue;
    }
    const size_t next = s.find('=', p + 1);
    if (next == p + 3) {
      put(StrToIntA(s.substr(p + 1, 2)));
      if (p + 5 < n) {
        put(StrToIntA(s.substr(p + 4, 2)));
        p += 6;
      } else {
        p += 3;  // the second escape is cut short: the tail copies it as text
      }
    } else if (next == p + 1 || next == p + 2) {
      out += '=';
      ++p;
    } else {
      put(StrToIntA(s.substr(p + 1, 2)));
      if (p + 3 < n) out += s[p + 3];
      p += 4;
    }
  }
  if (p < n) out.append(s.substr(p));
  return CString(std::string_view(out));
}

CString QPEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '=' || b < 0x20 || b >= 0x7F) {
      out += '=';
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
    } else {
      out += c;
    }
  }
  return CString(std::string_view(out));
}

CString RemoveCharacteres(const CString& text) { return RemoveAny(text, "\\/:*?<>|-;\""); }
CString RemoveFileNameCharacters(const CString& text) { return RemoveAny(text, "\\/:*?<>|\""); }

int GetUTF8Len(wchar_t ch) {
  const auto unit = static_cast<unsigned>(ch);
  if (unit < 0x80) return 1;
  if (unit < 0x800) return 2;
  return 3;
}

int GetUTF8Len(const CString& text) {
  if (text.IsEmpty()) return 0;
  // The platform's conversion, not the C runtime's: the runtime knows no UTF-8 in the "C" locale.
  const int units = MultiByteToWideChar(CP_ACP, 0, text, text.GetLength(), nullptr, 0);
  if (units <= 0) return 0;
  std::vector<WCHAR> wide(static_cast<size_t>(units));
  MultiByteToWideChar(CP_ACP, 0, text, text.GetLength(), wide.data(), units);
  int total = 0;
  for (WCHAR unit : wide) total += GetUTF8Len(static_cast<wchar_t>(unit));
  return total;
}

bool IsValidUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    const size_t length = Utf8CharLength(bytes, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string_view AnsiView(std::string_view bytes, std::string& scratch) {
  // A NUL would end the value wherever it is handed on as a C string: it is left out here already.
  std::string withoutNul;
  const bool hasNul = bytes.find('\0') != std::string_view::npos;
  if (hasNul) {
    for (char c : bytes)
      if (c != '\0') withoutNul += c;
    bytes = withoutNul;
  }
  if (IsValidUtf8(bytes)) {
    if (!hasNul) return bytes;
    scratch = std::move(withoutNul);
    return scratch;
  }
  scratch.clear();
  const int size = static_cast<int>(bytes.size());
  const int units = MultiByteToWideChar(CP_WINDOWS_1252, 0, bytes.data(), size, nullptr, 0);
  if (units <= 0) return scratch;
  std::vector<WCHAR> wide(static_cast<size_t>(units));
  MultiByteToWideChar(CP_WINDOWS_1252, 0, bytes.data(), size, wide.data(), units);
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return scratch;
  scratch.resize(static_cast<size_t>(length));
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, scratch.data(), length, nullptr, nullptr);
  return scratch;
}

CString ToAnsiText(std::string_view bytes) {
  std::string scratch;
  return CString(AnsiView(bytes, scratch));
}

bool HasLineBreak(const CString& text) { return AsView(text).find_first_of("\r\n") != std::string_view::npos; }

CString BlankLineBreaks(const CString& text) {
  CString out = text;
  out.Replace('\r', ' ');
  out.Replace('\n', ' ');
  return out;
}

}  // namespace interlex
