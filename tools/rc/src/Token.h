#pragma once
// The tokens of a resource script after preprocessing.
#include "Diagnostics.h"

#include <cstdint>
#include <string>

namespace tolvar::rc {

enum class TokenKind { Identifier, Number, String, Punct, End };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;         // identifier or punctuator; for a string, its raw text between the quotes
  std::string value;        // a string's text with escapes resolved (UTF-8)
  bool wide = false;        // L"..."
  std::int64_t number = 0;  // a number's value
  bool isLong = false;      // a number with an L suffix (DWORD in raw data)
  SourcePlace place;

  bool Is(TokenKind k, std::string_view t) const { return kind == k && text == t; }
  bool IsPunct(std::string_view t) const { return Is(TokenKind::Punct, t); }
  // Keywords of the language are matched without regard to case, as the Windows compiler does.
  bool IsKeyword(std::string_view word) const;
};

}  // namespace tolvar::rc
