#include <base/CodePage.h>
#include <base/LastError.h>
#include <base/WinError.h>

#include <array>
#include <cstring>
#include <optional>
#include <string>

namespace {

// The upper halves (bytes 0x80-0xFF) of the two table code pages; the lower halves are ASCII.
// 0 marks a byte the code page leaves undefined.
constexpr std::array<char16_t, 128> kWindows1252 = {
  0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 88
  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 98
  0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,  // A0
  0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,  // A8
  0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
  0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,  // B8
  0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,  // C0
  0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,  // C8
  0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,  // D0
  0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,  // D8
  0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,  // E0
  0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,  // E8
  0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,  // F0
  0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,  // F8
};

constexpr std::array<char16_t, 128> kOem850 = {
  0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 80
  0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 88
  0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 90
  0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,  // 98
  0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // A0
  0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // A8
  0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,  // B0
  0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,  // B8
  0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,  // C0
  0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,  // C8
  0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,  // D0
  0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,  // D8
  0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,  // E0
  0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,  // E8
  0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,  // F0
  0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,  // F8
};

constexpr char16_t kReplacement = 0xFFFD;

enum class Kind { Utf8, Table };

struct CodePageInfo {
  Kind kind;
  const std::array<char16_t, 128>* table;
};

// CP_ACP and CP_THREAD_ACP are UTF-8 here; CP_OEMCP is 850.
std::optional<CodePageInfo> Lookup(UINT codePage) {
  switch (codePage) {
    case CP_ACP:
    case CP_THREAD_ACP:
    case CP_UTF8: return CodePageInfo{Kind::Utf8, nullptr};
    case CP_OEMCP:
    case CP_OEM_850: return CodePageInfo{Kind::Table, &kOem850};
    case CP_WINDOWS_1252: return CodePageInfo{Kind::Table, &kWindows1252};
    default: return std::nullopt;
  }
}

// Collects output units, counting only while asked for the size (capacity 0).
template <class Unit>
class Sink {
public:
  Sink(Unit* out, int capacity) : m_out(out), m_capacity(capacity) {}
  bool Put(Unit unit) {
    if (m_capacity != 0) {
      if (m_count >= m_capacity) return false;
      m_out[m_count] = unit;
    }
    ++m_count;
    return true;
  }
  int Count() const { return m_count; }

private:
  Unit* m_out;
  int m_capacity;
  int m_count = 0;
};

// Decodes one UTF-8 sequence at `p` (before `end`). Returns the code point, or nothing for an
// ill-formed sequence; `length` receives the bytes consumed: the whole sequence, or the maximal
// well-formed prefix of a bad one (at least 1), so each bad sequence gives one replacement.
std::optional<char32_t> DecodeUtf8(const unsigned char* p, const unsigned char* end, int& length) {
  unsigned char lead = p[0];
  length = 1;
  if (lead < 0x80) return lead;
  int needed;
  char32_t value;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    needed = 1; value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    needed = 2; value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;         // overlong
    if (lead == 0xED) high = 0x9F;        // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    needed = 3; value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;         // overlong
    if (lead == 0xF4) high = 0x8F;        // beyond U+10FFFF
  } else {
    return std::nullopt;                  // continuation byte, C0, C1, F5-FF
  }
  for (int i = 1; i <= needed; ++i) {
    if (p + i >= end) return std::nullopt;
    unsigned char c = p[i];
    unsigned char lo = i == 1 ? low : 0x80, hi = i == 1 ? high : 0xBF;
    if (c < lo || c > hi) return std::nullopt;
    value = (value << 6) | (c & 0x3F);
    length = i + 1;
  }
  return value;
}

bool PutUtf16(Sink<WCHAR>& sink, char32_t value) {
  if (value < 0x10000) return sink.Put(static_cast<WCHAR>(value));
  value -= 0x10000;
  return sink.Put(static_cast<WCHAR>(0xD800 + (value >> 10))) &&
         sink.Put(static_cast<WCHAR>(0xDC00 + (value & 0x3FF)));
}

bool PutUtf8(Sink<char>& sink, char32_t value) {
  auto put = [&](unsigned v) { return sink.Put(static_cast<char>(static_cast<unsigned char>(v))); };
  if (value < 0x80) return put(value);
  if (value < 0x800) return put(0xC0 | (value >> 6)) && put(0x80 | (value & 0x3F));
  if (value < 0x10000)
    return put(0xE0 | (value >> 12)) && put(0x80 | ((value >> 6) & 0x3F)) && put(0x80 | (value & 0x3F));
  return put(0xF0 | (value >> 18)) && put(0x80 | ((value >> 12) & 0x3F)) &&
         put(0x80 | ((value >> 6) & 0x3F)) && put(0x80 | (value & 0x3F));
}

int Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int cbMultiByte,
                        LPWSTR wideChar, int cchWideChar) {
  auto info = Lookup(codePage);
  if (!info || !multiByte || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
      (cchWideChar > 0 && !wideChar))
    return Fail(ERROR_INVALID_PARAMETER);
  if (flags & ~(MB_PRECOMPOSED | MB_ERR_INVALID_CHARS)) return Fail(ERROR_INVALID_FLAGS);
  bool strict = flags & MB_ERR_INVALID_CHARS;
  size_t length = cbMultiByte == -1 ? std::strlen(multiByte) + 1 : static_cast<size_t>(cbMultiByte);
  auto* p = reinterpret_cast<const unsigned char*>(multiByte);
  const unsigned char* end = p + length;

  Sink<WCHAR> sink(wideChar, cchWideChar);
  while (p < end) {
    char32_t value;
    if (info->kind == Kind::Utf8) {
      int used = 1;
      auto decoded = DecodeUtf8(p, end, used);
      p += used;
      if (!decoded && strict) return Fail(ERROR_NO_UNICODE_TRANSLATION);
      value = decoded.value_or(kReplacement);
    } else {
      unsigned char byte = *p++;
      value = byte < 0x80 ? byte : (*info->table)[byte - 0x80];
      if (value == 0) {
        if (strict) return Fail(ERROR_NO_UNICODE_TRANSLATION);
        value = kReplacement;  // an undefined byte stays visible instead of vanishing
      }
    }
    if (!PutUtf16(sink, value)) return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  return sink.Count();
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideChar, int cchWideChar,
                        LPSTR multiByte, int cbMultiByte, LPCSTR defaultChar, LPBOOL usedDefaultChar) {
  auto info = Lookup(codePage);
  if (!info || !wideChar || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
      (cbMultiByte > 0 && !multiByte))
    return Fail(ERROR_INVALID_PARAMETER);
  // Windows refuses a default character for CP_UTF8 itself; the ANSI page takes one, since callers
  // written for a single-byte ANSI page pass it.
  if (codePage == CP_UTF8 && (defaultChar || usedDefaultChar)) return Fail(ERROR_INVALID_PARAMETER);
  if (flags & ~(WC_NO_BEST_FIT_CHARS | WC_ERR_INVALID_CHARS)) return Fail(ERROR_INVALID_FLAGS);
  bool strict = flags & WC_ERR_INVALID_CHARS;

  size_t length = 0;
  if (cchWideChar == -1) {
    while (wideChar[length] != 0) ++length;
    ++length;
  } else {
    length = static_cast<size_t>(cchWideChar);
  }
  if (usedDefaultChar) *usedDefaultChar = FALSE;
  const char fallback = defaultChar ? *defaultChar : '?';  // a single byte, as for any 8-bit page

  Sink<char> sink(multiByte, cbMultiByte);
  auto putDefault = [&] {
    if (usedDefaultChar) *usedDefaultChar = TRUE;
    return sink.Put(fallback);
  };

  for (size_t i = 0; i < length; ++i) {
    char32_t value = wideChar[i];
    bool unpaired = false;
    if (value >= 0xD800 && value <= 0xDBFF && i + 1 < length && wideChar[i + 1] >= 0xDC00 &&
        wideChar[i + 1] <= 0xDFFF) {
      value = 0x10000 + ((value - 0xD800) << 10) + (wideChar[i + 1] - 0xDC00);
      ++i;
    } else if (value >= 0xD800 && value <= 0xDFFF) {
      unpaired = true;
    }

    bool ok;
    if (info->kind == Kind::Utf8) {
      if (unpaired && strict) return Fail(ERROR_NO_UNICODE_TRANSLATION);
      if (unpaired)
        ok = (defaultChar || usedDefaultChar) ? putDefault() : PutUtf8(sink, kReplacement);
      else
        ok = PutUtf8(sink, value);
    } else {
      int byte = -1;
      if (value < 0x80) {
        byte = static_cast<int>(value);
      } else if (!unpaired) {
        const auto& table = *info->table;
        for (size_t b = 0; b < table.size(); ++b)
          if (table[b] == value) { byte = static_cast<int>(0x80 + b); break; }
      }
      ok = byte >= 0 ? sink.Put(static_cast<char>(static_cast<unsigned char>(byte))) : putDefault();
    }
    if (!ok) return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  return sink.Count();
}

UINT GetACP() { return CP_UTF8; }
UINT GetOEMCP() { return CP_OEM_850; }

BOOL IsValidCodePage(UINT codePage) {
  return codePage == CP_UTF8 || codePage == CP_OEM_850 || codePage == CP_WINDOWS_1252;
}

BOOL IsDBCSLeadByteEx(UINT codePage, BYTE) {
  if (!Lookup(codePage)) SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

BOOL IsDBCSLeadByte(BYTE testChar) { return IsDBCSLeadByteEx(CP_ACP, testChar); }
