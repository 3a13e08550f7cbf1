#include "Lexer.h"

#include "Utf.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace tolvar::rc {

bool Token::IsKeyword(std::string_view word) const {
  if (kind != TokenKind::Identifier || text.size() != word.size()) return false;
  return std::equal(text.begin(), text.end(), word.begin(), [](char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
  });
}

std::string StripComments(std::string_view text) {
  std::string out(text);
  enum { Code, InString, LineComment, BlockComment } state = Code;
  for (size_t i = 0; i < out.size(); ++i) {
    char c = out[i];
    char next = i + 1 < out.size() ? out[i + 1] : '\0';
    switch (state) {
      case Code:
        if (c == '"') state = InString;
        else if (c == '/' && next == '/') state = LineComment, out[i] = ' ';
        else if (c == '/' && next == '*') state = BlockComment, out[i] = ' ', out[++i] = ' ';
        break;
      case InString:
        if (c == '\\' && next != '\n') ++i;
        else if (c == '"' && next == '"') ++i;  // "" stands for one quote
        else if (c == '"' || c == '\n') state = Code;
        break;
      case LineComment:
        if (c == '\n') state = Code;
        else out[i] = ' ';
        break;
      case BlockComment:
        if (c == '*' && next == '/') state = Code, out[i] = ' ', out[++i] = ' ';
        else if (c != '\n') out[i] = ' ';
        break;
    }
  }
  return out;
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Resolves the escapes of a string literal. "\a" is 0x08, which menus use to right-align the rest of
// an entry; "" inside a literal is one quote.
std::string Unescape(std::string_view raw, bool wide, const SourcePlace& place) {
  std::string out;
  for (size_t i = 0; i < raw.size(); ++i) {
    char c = raw[i];
    if (c == '"') {  // only ever the first of a doubled quote
      out.push_back('"');
      ++i;
      continue;
    }
    if (c != '\\' || i + 1 == raw.size()) {
      out.push_back(c);
      continue;
    }
    char e = raw[++i];
    switch (e) {
      case 'n': out.push_back('\n'); break;
      case 't': out.push_back('\t'); break;
      case 'r': out.push_back('\r'); break;
      case 'a': out.push_back('\x08'); break;
      case '\\': out.push_back('\\'); break;
      case '"': out.push_back('"'); break;
      case 'x': case 'X': {
        unsigned value = 0;
        size_t digits = 0, most = wide ? 4 : 2;
        while (digits < most && i + 1 < raw.size() && HexDigit(raw[i + 1]) >= 0) {
          value = value * 16 + static_cast<unsigned>(HexDigit(raw[++i]));
          ++digits;
        }
        if (digits == 0) throw RcError(place, "\\x escape without hexadecimal digits");
        if (wide) AppendUtf8(out, value);
        else out.push_back(static_cast<char>(value));
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          unsigned value = static_cast<unsigned>(e - '0');
          for (int k = 0; k < 2 && i + 1 < raw.size() && raw[i + 1] >= '0' && raw[i + 1] <= '7'; ++k)
            value = value * 8 + static_cast<unsigned>(raw[++i] - '0');
          if (wide) AppendUtf8(out, value);
          else out.push_back(static_cast<char>(value));
        } else {
          // Unknown escapes keep their backslash, as the Windows compiler does.
          out.push_back('\\');
          out.push_back(e);
        }
    }
  }
  return out;
}

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

}  // namespace

std::vector<Token> LexLine(std::string_view line, const SourcePlace& place) {
  static constexpr std::string_view kTwoCharPuncts[] = {"==", "!=", "<=", ">=", "&&", "||", "<<", ">>"};
  static constexpr std::string_view kPuncts = ",{}()|+-~!&^*/%<>=";
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
      continue;
    }
    Token token;
    token.place = place;
    bool wideString = (c == 'L' || c == 'l') && i + 1 < line.size() && line[i + 1] == '"';
    if (c == '"' || wideString) {
      token.kind = TokenKind::String;
      token.wide = wideString;
      size_t start = i + (wideString ? 2 : 1), j = start;
      for (;; ++j) {
        if (j >= line.size()) throw RcError(place, "string not closed on its line");
        if (line[j] == '\\' && j + 1 < line.size()) ++j;
        else if (line[j] == '"' && j + 1 < line.size() && line[j + 1] == '"') ++j;
        else if (line[j] == '"') break;
      }
      token.text = std::string(line.substr(start, j - start));
      token.value = Unescape(token.text, wideString, place);
      i = j + 1;
    } else if (IsIdentStart(c)) {
      size_t j = i;
      while (j < line.size() && IsIdentChar(line[j])) ++j;
      token.kind = TokenKind::Identifier;
      token.text = std::string(line.substr(i, j - i));
      i = j;
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      size_t j = i;
      std::uint64_t value = 0;
      bool hex = c == '0' && i + 1 < line.size() && (line[i + 1] == 'x' || line[i + 1] == 'X');
      if (hex) {
        j += 2;
        if (j >= line.size() || HexDigit(line[j]) < 0) throw RcError(place, "malformed number");
        while (j < line.size() && HexDigit(line[j]) >= 0)
          value = value * 16 + static_cast<std::uint64_t>(HexDigit(line[j++]));
      } else {
        while (j < line.size() && std::isdigit(static_cast<unsigned char>(line[j])))
          value = value * 10 + static_cast<std::uint64_t>(line[j++] - '0');
      }
      while (j < line.size() && std::strchr("LlUu", line[j]) && line[j] != '\0') {
        if (line[j] == 'L' || line[j] == 'l') token.isLong = true;
        ++j;
      }
      if (j < line.size() && IsIdentChar(line[j])) throw RcError(place, "malformed number");
      if (value > 0xFFFFFFFFull) throw RcError(place, "number does not fit in 32 bits");
      token.kind = TokenKind::Number;
      token.number = static_cast<std::int64_t>(value);
      token.text = std::string(line.substr(i, j - i));
      i = j;
    } else {
      token.kind = TokenKind::Punct;
      auto two = line.substr(i, 2);
      if (std::find(std::begin(kTwoCharPuncts), std::end(kTwoCharPuncts), two) != std::end(kTwoCharPuncts)) {
        token.text = std::string(two);
        i += 2;
      } else if (kPuncts.find(c) != std::string_view::npos) {
        token.text = std::string(1, c);
        ++i;
      } else {
        throw RcError(place, std::string("unexpected character '") + c + "'");
      }
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

}  // namespace tolvar::rc
