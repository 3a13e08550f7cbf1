#include "HiveText.h"

#include <cstdio>
#include <optional>

namespace tolvar::registry {

namespace {

constexpr std::string_view kSignature = "TOLVAR REGISTRY 1";
constexpr std::size_t kHexLineWidth = 76;

// Length of the well-formed UTF-8 sequence starting at s[i] (a byte of 0x80 or more), 0 if none.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
  auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char lead = at(i);
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > s.size()) return 0;
  if (at(i + 1) < low || at(i + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k)
    if (at(i + k) < 0x80 || at(i + k) > 0xBF) return 0;
  return length;
}

void AppendHexByte(std::string& out, unsigned char byte) {
  static constexpr char digits[] = "0123456789abcdef";
  out += digits[byte >> 4];
  out += digits[byte & 0xF];
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\\' || c == '"') {
      out += '\\';
      out += static_cast<char>(c);
      ++i;
    } else if (c < 0x20 || c == 0x7F) {
      out += "\\x";
      AppendHexByte(out, c);
      ++i;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
    } else if (std::size_t n = Utf8SequenceLength(text, i)) {
      out.append(text.substr(i, n));
      i += n;
    } else {
      out += "\\x";
      AppendHexByte(out, c);
      ++i;
    }
  }
  out += '"';
  return out;
}

bool IsPlainString(const RegValue& value) {
  const auto& d = value.data;
  if (value.type != 1 /*REG_SZ*/ || d.empty() || d.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < d.size(); ++i)
    if (d[i] == 0) return false;
  return true;
}

void AppendValue(std::string& out, const RegValue& value) {
  std::string line = value.name.empty() ? std::string("@") : Quote(value.name);
  line += '=';
  const auto& d = value.data;
  if (IsPlainString(value)) {
    line += Quote(std::string_view(reinterpret_cast<const char*>(d.data()), d.size() - 1));
  } else if (value.type == 4 /*REG_DWORD*/ && d.size() == 4) {
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x",
                  static_cast<unsigned>(d[0] | (d[1] << 8) | (d[2] << 16)) |
                      (static_cast<unsigned>(d[3]) << 24));
    line += text;
  } else {
    if (value.type == 3 /*REG_BINARY*/) {
      line += "hex:";
    } else {
      char text[24];
      std::snprintf(text, sizeof text, "hex(%x):", static_cast<unsigned>(value.type));
      line += text;
    }
    // Long data wraps as in a registry export: a trailing backslash, the next line indented.
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < d.size(); ++i) {
      AppendHexByte(line, d[i]);
      if (i + 1 == d.size()) break;
      line += ',';
      if (line.size() - lineStart >= kHexLineWidth) {
        line += "\\\n  ";
        lineStart = line.size() - 2;
      }
    }
  }
  out += line;
  out += '\n';
}

void AppendKey(std::string& out, const RegKey& key, const std::string& path, bool isRoot) {
  if (!isRoot || !key.Values().empty()) {
    out += "\n[";
    out += path;
    out += "]\n";
    for (const RegValue& value : key.Values()) AppendValue(out, value);
  }
  for (std::size_t i = 0; i < key.SubkeyCount(); ++i) {
    const RegKey& sub = key.Subkey(i);
    AppendKey(out, sub, path + "\\" + sub.Name(), false);
  }
}

// Parsing -----------------------------------------------------------------------------------------

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

class Parser {
public:
  Parser(std::string_view text, std::string_view rootName, HiveParseError& error)
      : m_text(text), m_rootName(rootName), m_error(error) {}

  std::unique_ptr<RegKey> Run() {
    auto root = std::make_unique<RegKey>(std::string(m_rootName));
    if (m_text.empty()) return root;
    if (m_text.starts_with("\xEF\xBB\xBF")) m_text.remove_prefix(3);  // a byte-order mark an editor added
    std::string_view line;
    if (!NextLine(line) || line != kSignature)
      return Fail("the file does not begin with \"" + std::string(kSignature) + "\"");
    RegKey* current = nullptr;
    while (NextLine(line)) {
      std::string_view content = TrimLeft(line);
      if (content.empty() || content.front() == ';') continue;
      if (content.front() == '[') {
        current = Header(*root, TrimRight(content));
        if (!current) return nullptr;
      } else if (content.front() == '"' || content.front() == '@') {
        if (!current) return Fail("a value before the first key header");
        if (!Value(*current, content)) return nullptr;
      } else {
        return Fail("a line that is neither a key header nor a value");
      }
    }
    return root;
  }

private:
  bool NextLine(std::string_view& line) {
    if (m_position >= m_text.size()) return false;
    std::size_t end = m_text.find('\n', m_position);
    if (end == std::string_view::npos) end = m_text.size();
    line = m_text.substr(m_position, end - m_position);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    m_position = end + 1;
    ++m_line;
    return true;
  }

  std::nullptr_t Fail(std::string message) {
    m_error.line = m_line;
    m_error.message = std::move(message);
    return nullptr;
  }

  RegKey* Header(RegKey& root, std::string_view content) {
    if (content.size() < 2 || content.back() != ']') return Fail("a key header without its ']'");
    std::string_view path = content.substr(1, content.size() - 2);
    std::size_t slash = path.find('\\');
    std::string_view first = path.substr(0, slash);
    if (!NamesEqual(first, m_rootName))
      return Fail("a key outside " + std::string(m_rootName));
    RegKey* key = &root;
    while (slash != std::string_view::npos) {
      path.remove_prefix(slash + 1);
      slash = path.find('\\');
      std::string_view name = path.substr(0, slash);
      if (name.empty()) return Fail("a key header with an empty key name");
      for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20) return Fail("a control character in a key name");
      key = &key->AddSubkey(name);
    }
    return key;
  }

  // A quoted text at the start of `s`; on success `s` is left after the closing quote.
  std::optional<std::string> QuotedText(std::string_view& s) {
    std::string out;
    std::size_t i = 1;
    while (i < s.size() && s[i] != '"') {
      if (s[i] != '\\') {
        out += s[i++];
        continue;
      }
      if (i + 1 >= s.size()) break;
      char next = s[i + 1];
      if (next == '\\' || next == '"') {
        out += next;
        i += 2;
      } else if (next == 'x' && i + 3 < s.size() && HexDigit(s[i + 2]) >= 0 &&
                 HexDigit(s[i + 3]) >= 0) {
        out += static_cast<char>(HexDigit(s[i + 2]) * 16 + HexDigit(s[i + 3]));
        i += 4;
      } else {
        Fail("an unknown escape in a quoted text");
        return std::nullopt;
      }
    }
    if (i >= s.size()) {
      Fail("a quoted text without its closing quote");
      return std::nullopt;
    }
    s.remove_prefix(i + 1);
    return out;
  }

  bool HexBytes(std::string_view s, std::vector<BYTE>& out) {
    // Continuation lines: the data goes on while a line ends in a backslash.
    std::string joined(TrimRight(s));
    while (!joined.empty() && joined.back() == '\\') {
      joined.pop_back();
      std::string_view next;
      if (!NextLine(next)) {
        Fail("hex data continued past the end of the file");
        return false;
      }
      joined += TrimRight(TrimLeft(next));
    }
    std::string_view rest = joined;
    rest = TrimLeft(rest);
    if (rest.empty()) return true;
    while (true) {
      rest = TrimLeft(rest);
      if (rest.size() < 2 || HexDigit(rest[0]) < 0 || HexDigit(rest[1]) < 0) {
        Fail("malformed hex data");
        return false;
      }
      out.push_back(static_cast<BYTE>(HexDigit(rest[0]) * 16 + HexDigit(rest[1])));
      rest = TrimLeft(rest.substr(2));
      if (rest.empty()) return true;
      if (rest.front() != ',') {
        Fail("malformed hex data");
        return false;
      }
      rest.remove_prefix(1);
    }
  }

  bool Value(RegKey& key, std::string_view s) {
    RegValue value;
    if (s.front() == '@') {
      s.remove_prefix(1);
    } else {
      auto name = QuotedText(s);
      if (!name) return false;
      if (name->empty()) {
        Fail("an empty value name (the default value is written @)");
        return false;
      }
      value.name = std::move(*name);
    }
    s = TrimLeft(s);
    if (s.empty() || s.front() != '=') {
      Fail("a value without '='");
      return false;
    }
    s = TrimLeft(s.substr(1));
    if (!s.empty() && s.front() == '"') {
      auto text = QuotedText(s);
      if (!text) return false;
      if (!TrimRight(s).empty()) {
        Fail("text after a quoted value");
        return false;
      }
      value.type = 1;  // REG_SZ, stored with its terminating NUL
      value.data.assign(text->begin(), text->end());
      value.data.push_back(0);
    } else if (s.starts_with("dword:")) {
      std::string_view digits = TrimRight(s.substr(6));
      if (digits.empty() || digits.size() > 8) {
        Fail("malformed dword data");
        return false;
      }
      DWORD number = 0;
      for (char c : digits) {
        if (HexDigit(c) < 0) {
          Fail("malformed dword data");
          return false;
        }
        number = number * 16 + static_cast<DWORD>(HexDigit(c));
      }
      value.type = 4;  // REG_DWORD
      for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<BYTE>(number >> (8 * i)));
    } else if (s.starts_with("hex:")) {
      value.type = 3;  // REG_BINARY
      if (!HexBytes(s.substr(4), value.data)) return false;
    } else if (s.starts_with("hex(")) {
      std::size_t close = s.find("):");
      if (close == std::string_view::npos || close == 4 || close > 12) {
        Fail("malformed hex(type) data");
        return false;
      }
      DWORD type = 0;
      for (char c : s.substr(4, close - 4)) {
        if (HexDigit(c) < 0) {
          Fail("malformed hex(type) data");
          return false;
        }
        type = type * 16 + static_cast<DWORD>(HexDigit(c));
      }
      value.type = type;
      if (!HexBytes(s.substr(close + 2), value.data)) return false;
    } else {
      Fail("a value of unknown form");
      return false;
    }
    if (key.FindValue(value.name)) {
      Fail("the value " + (value.name.empty() ? std::string("@") : Quote(value.name)) +
           " appears twice in one key");
      return false;
    }
    key.SetValue(std::move(value));
    return true;
  }

  std::string_view m_text;
  std::string_view m_rootName;
  HiveParseError& m_error;
  std::size_t m_position = 0;
  int m_line = 0;
};

}  // namespace

std::unique_ptr<RegKey> ParseHive(std::string_view text, std::string_view rootName,
                                  HiveParseError& error) {
  return Parser(text, rootName, error).Run();
}

std::string FormatHive(const RegKey& root, std::string_view rootName) {
  std::string out(kSignature);
  out += '\n';
  AppendKey(out, root, std::string(rootName), true);
  return out;
}

}  // namespace tolvar::registry
