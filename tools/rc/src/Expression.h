#pragma once
// Integer expressions of scripts and of #if lines.
//
// Style expressions may clear bits with NOT: "WS_CHILD | NOT WS_VISIBLE" keeps WS_VISIBLE out even of a
// control's default style. A value therefore carries the bits it sets and the bits NOT cleared.
#include "TokenCursor.h"

#include <cstdint>

namespace tolvar::rc {

struct ExprValue {
  std::int64_t value = 0;
  std::uint32_t cleared = 0;  // bits named after NOT
  bool isLong = false;        // some number in it had an L suffix

  std::uint32_t Bits() const { return static_cast<std::uint32_t>(value) & ~cleared; }
  // A style: the statement's default bits, the bits given, less the bits NOT named.
  std::uint32_t Style(std::uint32_t defaults) const {
    return (defaults | static_cast<std::uint32_t>(value)) & ~cleared;
  }
};

// Parses one expression starting at the cursor; stops at the first token that cannot continue it
// (a comma, a keyword). Identifiers left after macro expansion are undefined symbols: an error here,
// 0 in an #if line (as in C).
ExprValue ParseExpression(TokenCursor& cursor, bool preprocessorLine = false);

// True when the next token can start an expression.
bool StartsExpression(const Token& token);

}  // namespace tolvar::rc
