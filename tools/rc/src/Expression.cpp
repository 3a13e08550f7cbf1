#include "Expression.h"

#include <array>

namespace tolvar::rc {
namespace {

struct BinaryOp {
  std::string_view text;
  int precedence;
};

// C precedence, higher binds tighter. Scripts use | + - in practice; #if lines use the rest.
constexpr std::array<BinaryOp, 18> kBinaryOps{{
    {"||", 1}, {"&&", 2}, {"|", 3}, {"^", 4}, {"&", 5}, {"==", 6}, {"!=", 6},
    {"<", 7}, {">", 7}, {"<=", 7}, {">=", 7}, {"<<", 8}, {">>", 8},
    {"+", 9}, {"-", 9}, {"*", 10}, {"/", 10}, {"%", 10},
}};

int PrecedenceOf(const Token& token) {
  if (token.kind != TokenKind::Punct) return 0;
  for (const auto& op : kBinaryOps)
    if (op.text == token.text) return op.precedence;
  return 0;
}

class Parser {
public:
  Parser(TokenCursor& cursor, bool preprocessor) : m_cursor(cursor), m_preprocessor(preprocessor) {}

  ExprValue Binary(int minPrecedence) {
    ExprValue left = Unary();
    for (;;) {
      const Token& op = m_cursor.Peek();
      int precedence = PrecedenceOf(op);
      if (precedence == 0 || precedence < minPrecedence) return left;
      std::string text = op.text;
      SourcePlace place = op.place;
      m_cursor.Next();
      ExprValue right = Binary(precedence + 1);
      left = Apply(text, left, right, place);
    }
  }

private:
  ExprValue Unary() {
    const Token& token = m_cursor.Peek();
    if (token.IsKeyword("NOT")) {
      m_cursor.Next();
      ExprValue operand = Unary();
      return ExprValue{0, static_cast<std::uint32_t>(operand.value) | operand.cleared, operand.isLong};
    }
    if (token.IsPunct("-") || token.IsPunct("~") || token.IsPunct("!") || token.IsPunct("+")) {
      char op = token.text[0];
      m_cursor.Next();
      ExprValue operand = Unary();
      std::int64_t v = operand.value;
      operand.value = op == '-' ? -v : op == '~' ? static_cast<std::int64_t>(~static_cast<std::uint32_t>(v))
                    : op == '!' ? (v == 0 ? 1 : 0) : v;
      return operand;
    }
    if (m_cursor.Accept("(")) {
      ExprValue inner = Binary(1);
      m_cursor.Expect(")", "')'");
      return inner;
    }
    if (token.kind == TokenKind::Number) {
      m_cursor.Next();
      return ExprValue{token.number, 0, token.isLong};
    }
    if (token.kind == TokenKind::Identifier && m_preprocessor) {
      m_cursor.Next();
      return ExprValue{};
    }
    if (token.kind == TokenKind::Identifier)
      throw RcError(token.place, "undefined symbol '" + token.text + "'");
    m_cursor.Fail("expected a number or a symbol");
  }

  static ExprValue Apply(const std::string& op, ExprValue a, ExprValue b, const SourcePlace& place) {
    ExprValue r{0, a.cleared | b.cleared, a.isLong || b.isLong};
    std::int64_t x = a.value, y = b.value;
    if ((op == "/" || op == "%") && y == 0) throw RcError(place, "division by zero");
    if (op == "||") r.value = (x || y) ? 1 : 0;
    else if (op == "&&") r.value = (x && y) ? 1 : 0;
    else if (op == "|") r.value = x | y;
    else if (op == "^") r.value = x ^ y;
    else if (op == "&") r.value = x & y;
    else if (op == "==") r.value = x == y;
    else if (op == "!=") r.value = x != y;
    else if (op == "<") r.value = x < y;
    else if (op == ">") r.value = x > y;
    else if (op == "<=") r.value = x <= y;
    else if (op == ">=") r.value = x >= y;
    else if (op == "<<") r.value = (y >= 0 && y < 32) ? static_cast<std::int64_t>(static_cast<std::uint32_t>(x) << y) : 0;
    else if (op == ">>") r.value = (y >= 0 && y < 32) ? static_cast<std::int64_t>(static_cast<std::uint32_t>(x) >> y) : 0;
    else if (op == "+") r.value = x + y;
    else if (op == "-") r.value = x - y;
    // Operands reach 0xFFFFFFFF, so a product can pass the 64-bit range: multiply without sign and
    // let the 32-bit truncation below keep the low bits.
    else if (op == "*") r.value = static_cast<std::int64_t>(static_cast<std::uint64_t>(x) * static_cast<std::uint64_t>(y));
    else if (op == "/") r.value = x / y;
    else r.value = x % y;
    // Keep values in 32 bits as the Windows compiler does; sign is kept for small negatives.
    r.value = static_cast<std::int64_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(r.value)));
    return r;
  }

  TokenCursor& m_cursor;
  bool m_preprocessor;
};

}  // namespace

ExprValue ParseExpression(TokenCursor& cursor, bool preprocessorLine) {
  return Parser(cursor, preprocessorLine).Binary(1);
}

bool StartsExpression(const Token& token) {
  return token.kind == TokenKind::Number || token.IsKeyword("NOT") || token.IsPunct("(") ||
         token.IsPunct("-") || token.IsPunct("~") || token.IsPunct("!") || token.IsPunct("+");
}

}  // namespace tolvar::rc
