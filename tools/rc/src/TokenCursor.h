#pragma once
// Reading position in a token list, with the checks every statement parser needs.
#include "Token.h"

#include <vector>

namespace tolvar::rc {

class TokenCursor {
public:
  explicit TokenCursor(const std::vector<Token>& tokens, SourcePlace endPlace = {})
      : m_tokens(tokens) {
    m_end.place = endPlace;
  }

  const Token& Peek(size_t ahead = 0) const {
    return m_pos + ahead < m_tokens.size() ? m_tokens[m_pos + ahead] : EndToken();
  }
  const Token& Next() {
    const Token& token = Peek();
    if (m_pos < m_tokens.size()) ++m_pos;
    return token;
  }
  bool AtEnd() const { return m_pos >= m_tokens.size(); }

  // Consumes the punctuator when it is next.
  bool Accept(std::string_view punct) {
    if (!Peek().IsPunct(punct)) return false;
    ++m_pos;
    return true;
  }
  bool AcceptKeyword(std::string_view word) {
    if (!Peek().IsKeyword(word)) return false;
    ++m_pos;
    return true;
  }
  void Expect(std::string_view punct, std::string_view what) {
    if (!Accept(punct)) Fail("expected " + std::string(what));
  }
  const Token& ExpectString(std::string_view what) {
    if (Peek().kind != TokenKind::String) Fail("expected " + std::string(what));
    return Next();
  }

  // BEGIN or {
  bool AcceptBegin() { return Accept("{") || AcceptKeyword("BEGIN"); }
  bool AcceptEnd() { return Accept("}") || AcceptKeyword("END"); }
  void ExpectBegin() {
    if (!AcceptBegin()) Fail("expected BEGIN or {");
  }

  [[noreturn]] void Fail(const std::string& message) const {
    const Token& at = Peek();
    std::string found = at.kind == TokenKind::End ? "end of file"
                        : at.kind == TokenKind::String ? "\"" + at.text + "\""
                                                       : "'" + at.text + "'";
    throw RcError(at.place, message + ", found " + found);
  }

private:
  const Token& EndToken() const {
    if (!m_tokens.empty() && m_end.place.file.empty()) m_end.place = m_tokens.back().place;
    return m_end;
  }

  const std::vector<Token>& m_tokens;
  size_t m_pos = 0;
  mutable Token m_end;
};

}  // namespace tolvar::rc
