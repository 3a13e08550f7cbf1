#include "PhoneText.h"

#include <base/CodePage.h>

#include <algorithm>
#include <array>
#include <string>

namespace {

constexpr BYTE kGsmEscape = 0x1B;
constexpr BYTE kGsmSpace = 0x20;
constexpr BYTE kNone = 0xFF;  // marks a Latin-1 character the default alphabet lacks

// Latin-1 to the GSM default alphabet. The commercial at is 0x80 rather than the standard's 0x00,
// which the phone reads as the end of a text.
constexpr std::array<BYTE, 256> kLatin1ToGsm = [] {
  std::array<BYTE, 256> table{};
  table.fill(kNone);
  table['\n'] = 0x0A;
  table['\r'] = 0x0D;
  for (int c = 0x20; c < 0x7F; ++c) table[c] = static_cast<BYTE>(c);
  table['@'] = 0x80;
  table['$'] = 0x02;
  table['_'] = 0x11;
  table['`'] = kNone;
  // The eight ASCII characters of the extension table are handled apart.
  for (char c : {'|', '^', '{', '}', '\\', '~', '[', ']'}) table[static_cast<BYTE>(c)] = kNone;
  const std::pair<int, BYTE> latin1[] = {
      {0xA1, 0x40}, {0xA3, 0x01}, {0xA4, 0x24}, {0xA5, 0x03}, {0xA7, 0x5F}, {0xBF, 0x60}, {0xC4, 0x5B},
      {0xC5, 0x0E}, {0xC6, 0x1C}, {0xC7, 0x09}, {0xC9, 0x1F}, {0xD1, 0x5D}, {0xD6, 0x5C}, {0xD8, 0x0B},
      {0xDC, 0x5E}, {0xDF, 0x1E}, {0xE0, 0x7F}, {0xE4, 0x7B}, {0xE5, 0x0F}, {0xE6, 0x1D}, {0xE8, 0x04},
      {0xE9, 0x05}, {0xEC, 0x07}, {0xF1, 0x7D}, {0xF2, 0x08}, {0xF6, 0x7C}, {0xF8, 0x0C}, {0xF9, 0x06},
      {0xFC, 0x7E},
  };
  for (const auto& [c, gsm] : latin1) table[c] = gsm;
  return table;
}();

struct Extension {
  WCHAR c;
  BYTE code;
};
constexpr Extension kExtensions[] = {
    {u'|', 0x40}, {u'^', 0x14}, {u'{', 0x28}, {u'}', 0x29}, {u'\\', 0x2F},
    {u'~', 0x3D}, {u'[', 0x3C}, {u']', 0x3E}, {u'\u20AC', 0x65},
};

// The Greek capitals of the default alphabet, sorted by code point for the search.
struct Greek {
  WCHAR c;
  BYTE code;
};
constexpr Greek kGreek[] = {
    {u'\u0393', 0x13}, {u'\u0394', 0x10}, {u'\u0398', 0x19}, {u'\u039B', 0x14}, {u'\u039E', 0x1A},
    {u'\u03A0', 0x16}, {u'\u03A3', 0x18}, {u'\u03A6', 0x12}, {u'\u03A8', 0x17}, {u'\u03A9', 0x15},
};

bool IsHighSurrogate(WCHAR c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(WCHAR c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsContinuation(BYTE b) { return (b & 0xC0) == 0x80; }

// The ANSI text as UTF-16, at most `limit` units, not splitting a surrogate pair.
std::u16string ToWide(const CString& text, std::size_t limit) {
  if (text.IsEmpty()) return {};
  const int needed = MultiByteToWideChar(CP_ACP, 0, text, text.GetLength(), nullptr, 0);
  std::u16string wide(static_cast<std::size_t>(std::max(needed, 0)), u'\0');
  if (needed > 0) MultiByteToWideChar(CP_ACP, 0, text, text.GetLength(), wide.data(), needed);
  if (wide.size() > limit) {
    std::size_t cut = limit;
    if (cut > 0 && IsHighSurrogate(wide[cut - 1])) --cut;
    wide.resize(cut);
  }
  return wide;
}

// The longest prefix of `text` of at most `limit` bytes that ends on a character boundary.
std::size_t Utf8Prefix(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text.size();
  std::size_t cut = limit;
  while (cut > 0 && IsContinuation(static_cast<BYTE>(text[cut]))) --cut;
  return cut;
}

}  // namespace

int EncodeUtf8(std::span<BYTE> output, std::u16string_view input) {
  std::size_t written = 0;
  for (std::size_t i = 0; i < input.size(); ++i) {
    const char32_t c = input[i];
    BYTE bytes[4];
    std::size_t count;
    if (c < 0x80) {
      bytes[0] = static_cast<BYTE>(c);
      count = 1;
    } else if (c < 0x800) {
      bytes[0] = static_cast<BYTE>(0xC0 | (c >> 6));
      bytes[1] = static_cast<BYTE>(0x80 | (c & 0x3F));
      count = 2;
    } else if (IsHighSurrogate(input[i]) && i + 1 < input.size() && IsLowSurrogate(input[i + 1])) {
      const char32_t full = 0x10000 + ((c - 0xD800) << 10) + (input[i + 1] - 0xDC00);
      bytes[0] = static_cast<BYTE>(0xF0 | (full >> 18));
      bytes[1] = static_cast<BYTE>(0x80 | ((full >> 12) & 0x3F));
      bytes[2] = static_cast<BYTE>(0x80 | ((full >> 6) & 0x3F));
      bytes[3] = static_cast<BYTE>(0x80 | (full & 0x3F));
      count = 4;
    } else {
      bytes[0] = static_cast<BYTE>(0xE0 | (c >> 12));
      bytes[1] = static_cast<BYTE>(0x80 | ((c >> 6) & 0x3F));
      bytes[2] = static_cast<BYTE>(0x80 | (c & 0x3F));
      count = 3;
    }
    // Only whole characters: a text cut by the buffer stays valid UTF-8.
    if (written + count > output.size()) break;
    std::copy_n(bytes, count, output.begin() + static_cast<std::ptrdiff_t>(written));
    written += count;
    if (count == 4) ++i;
  }
  return static_cast<int>(written);
}

int DecodeUtf8(std::span<WCHAR> output, std::string_view input) {
  if (output.size() < 2 || input.empty()) {
    if (!output.empty()) output[0] = 0;
    return 0;
  }
  const std::size_t end = std::min(input.find('\0'), input.size());
  auto byteAt = [&](std::size_t i) { return i < end ? static_cast<BYTE>(input[i]) : BYTE{0}; };
  std::size_t written = 0;
  std::size_t i = 0;
  while (i < end && written + 1 < output.size()) {
    const BYTE lead = byteAt(i);
    if ((lead & 0xE0) == 0xC0 && IsContinuation(byteAt(i + 1))) {
      output[written++] = static_cast<WCHAR>(((lead & 0x1F) << 6) | (byteAt(i + 1) & 0x3F));
      i += 2;
    } else if ((lead & 0xF0) == 0xE0 && IsContinuation(byteAt(i + 1)) && IsContinuation(byteAt(i + 2))) {
      output[written++] =
          static_cast<WCHAR>(((lead & 0x0F) << 12) | ((byteAt(i + 1) & 0x3F) << 6) | (byteAt(i + 2) & 0x3F));
      i += 3;
    } else {
      // Four-byte forms, stray continuation bytes and forms cut short: each byte stands for itself.
      output[written++] = lead;
      i += 1;
    }
  }
  output[written] = 0;
  return static_cast<int>(written);
}

int UcsToGsm(WCHAR c, BYTE (&gsm)[2]) {
  for (const Extension& extension : kExtensions) {
    if (extension.c == c) {
      gsm[0] = kGsmEscape;
      gsm[1] = extension.code;
      return 2;
    }
  }
  gsm[0] = kGsmSpace;
  if (c < 0x100) {
    if (kLatin1ToGsm[c] != kNone) gsm[0] = kLatin1ToGsm[c];
  } else if (c >= 0x0393 && c <= 0x03C8) {
    const Greek* found = std::lower_bound(std::begin(kGreek), std::end(kGreek), c,
                                          [](const Greek& g, WCHAR value) { return g.c < value; });
    if (found != std::end(kGreek) && found->c == c) gsm[0] = found->code;
  }
  return 1;
}

int GsmCharClass(WCHAR c) {
  if (c == 0) return 3;
  if (c == u' ') return 1;
  BYTE gsm[2];
  UcsToGsm(c, gsm);
  if (gsm[0] == kGsmEscape) return 2;
  if (gsm[0] == kGsmSpace) return 3;
  return 1;
}

int CPhoneText::ToUtf8(const BYTE*& bytes, int& length) {
  std::fill(std::begin(m_buffer), std::end(m_buffer), BYTE{0});
  const std::u16string wide = ToWide(m_text, kBufferSize);
  length = EncodeUtf8(m_buffer, wide);
  bytes = m_buffer;
  return 1;
}

int CPhoneText::FromUtf8(std::string_view utf8) {
  WCHAR wide[kBufferSize];
  const int count = DecodeUtf8(wide, utf8);
  // Each UCS-2 character takes at most three bytes in the ANSI code page (UTF-8).
  char ansi[3 * kBufferSize];
  const int bytes = count == 0 ? 0 : WideCharToMultiByte(CP_ACP, 0, wide, count, ansi, sizeof ansi, nullptr, nullptr);
  m_text = CString(ansi, bytes);
  return 1;
}

int CPhoneText::ToAnsiBuffer(const char*& text) {
  const std::string_view held(m_text, static_cast<std::size_t>(m_text.GetLength()));
  const std::size_t length = Utf8Prefix(held, kBufferSize - 1);
  std::copy_n(held.begin(), length, m_buffer);
  m_buffer[length] = 0;
  text = reinterpret_cast<const char*>(m_buffer);
  return 1;
}

bool CPhoneText::FitsGsmLimit(int limit) const {
  const std::u16string wide = ToWide(m_text, static_cast<std::size_t>(-1));
  int budget = limit;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    // A character beyond UCS-2 is one character the alphabet lacks, not two.
    const bool pair = IsHighSurrogate(wide[i]) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1]);
    const int cost = pair || GsmCharClass(wide[i]) != 1 ? 2 : 1;
    if (pair) ++i;
    if (cost > budget) return false;
    budget -= cost;
  }
  return true;
}
