#include "Preprocessor.h"

#include "BuiltinSymbols.h"
#include "Expression.h"
#include "Lexer.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace tolvar::rc {
namespace {

constexpr int kMaxIncludeDepth = 32;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool ReadFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  return true;
}

bool IsHeaderName(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".h" || ext == ".c" || ext == ".hpp";
}

// Reads an identifier at the start of `s`; returns its length.
size_t IdentifierLength(std::string_view s) {
  size_t n = 0;
  while (n < s.size() && (std::isalnum(static_cast<unsigned char>(s[n])) || s[n] == '_')) ++n;
  return (n > 0 && !std::isdigit(static_cast<unsigned char>(s[0]))) ? n : 0;
}

}  // namespace

Preprocessor::Preprocessor(PreprocessorOptions options) : m_options(std::move(options)) {
  for (const auto& symbol : BuiltinSymbols()) {
    std::string body = symbol.value < 0 ? "(" + std::to_string(symbol.value) + ")"
                                        : std::to_string(symbol.value);
    m_macros[std::string(symbol.name)] = Macro{body, false};
  }
  for (const auto& [name, body] : m_options.defines) m_macros[name] = Macro{body, false};
}

std::vector<Token> Preprocessor::Run(const std::string& path) {
  m_tokens.clear();
  ProcessFile(path, false, 0);
  return std::move(m_tokens);
}

void Preprocessor::ProcessFile(const std::string& path, bool directivesOnly, int depth) {
  std::string raw;
  if (!ReadFile(path, raw)) throw RcError(SourcePlace{path, 0}, "cannot open file");
  m_filesRead.push_back(path);
  if (raw.starts_with("\xEF\xBB\xBF")) raw.erase(0, 3);  // a UTF-8 byte-order mark
  std::string text = StripComments(raw);
  std::string folder = fs::path(path).parent_path().string();

  std::vector<std::string> lines;
  {
    std::string line;
    std::istringstream stream(text);
    while (std::getline(stream, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(std::move(line));
    }
  }

  std::vector<Conditional> conditionals;
  for (size_t i = 0; i < lines.size(); ++i) {
    SourcePlace place{path, static_cast<int>(i + 1)};
    std::string_view trimmed = Trim(lines[i]);
    bool active = conditionals.empty() || conditionals.back().active;
    if (trimmed.starts_with("#")) {
      // A directive may continue over lines ending in a backslash.
      std::string directive(trimmed.substr(1));
      while (!directive.empty() && directive.back() == '\\' && i + 1 < lines.size()) {
        directive.pop_back();
        directive += " " + lines[++i];
      }
      Directive(directive, place, folder, conditionals, depth);
      continue;
    }
    if (!active || directivesOnly || trimmed.empty()) continue;
    std::vector<std::string> expanding;
    Expand(LexLine(lines[i], place), m_tokens, expanding);
  }
  if (!conditionals.empty())
    throw RcError(conditionals.back().place, "#if without #endif");
}

void Preprocessor::Directive(std::string_view text, const SourcePlace& place, const std::string& folder,
                             std::vector<Conditional>& conditionals, int depth) {
  text = Trim(text);
  size_t nameLength = IdentifierLength(text);
  std::string name(text.substr(0, nameLength));
  std::string_view rest = Trim(text.substr(nameLength));
  bool active = conditionals.empty() || conditionals.back().active;

  if (name == "if" || name == "ifdef" || name == "ifndef") {
    Conditional c;
    c.parentActive = active;
    c.place = place;
    if (active) {
      if (name == "if") {
        c.active = EvaluateCondition(rest, place);
      } else {
        size_t n = IdentifierLength(rest);
        if (n == 0) throw RcError(place, "#" + name + " needs a macro name");
        bool defined = m_macros.contains(std::string(rest.substr(0, n)));
        c.active = name == "ifdef" ? defined : !defined;
      }
    } else {
      c.active = false;
    }
    c.taken = c.active;
    conditionals.push_back(c);
    return;
  }
  if (name == "elif" || name == "else" || name == "endif") {
    if (conditionals.empty()) throw RcError(place, "#" + name + " without #if");
    Conditional& c = conditionals.back();
    if (name == "endif") {
      conditionals.pop_back();
      return;
    }
    if (c.sawElse) throw RcError(place, "#" + name + " after #else");
    if (name == "else") {
      c.sawElse = true;
      c.active = c.parentActive && !c.taken;
    } else {
      c.active = c.parentActive && !c.taken && EvaluateCondition(rest, place);
    }
    c.taken = c.taken || c.active;
    return;
  }
  if (!active) return;

  if (name == "include") {
    Include(rest, place, folder, depth);
  } else if (name == "define") {
    size_t n = IdentifierLength(rest);
    if (n == 0) throw RcError(place, "#define needs a macro name");
    Macro macro;
    macro.functionLike = n < rest.size() && rest[n] == '(';
    macro.body = std::string(Trim(rest.substr(n)));
    m_macros[std::string(rest.substr(0, n))] = macro;
  } else if (name == "undef") {
    size_t n = IdentifierLength(rest);
    if (n == 0) throw RcError(place, "#undef needs a macro name");
    m_macros.erase(std::string(rest.substr(0, n)));
  } else if (name == "pragma" || name == "line" || name.empty()) {
    // "#pragma code_page(65001)" and the like change nothing: scripts are UTF-8.
  } else if (name == "error") {
    throw RcError(place, "#error " + std::string(rest));
  } else {
    throw RcError(place, "unknown directive #" + name);
  }
}

void Preprocessor::Include(std::string_view argument, const SourcePlace& place, const std::string& folder,
                           int depth) {
  if (argument.size() < 2 || !((argument.front() == '"' && argument.back() == '"') ||
                               (argument.front() == '<' && argument.back() == '>')))
    throw RcError(place, "#include needs \"file\" or <file>");
  std::string name(argument.substr(1, argument.size() - 2));
  std::replace(name.begin(), name.end(), '\\', '/');
  if (IsBuiltinHeader(fs::path(name).filename().string())) return;
  if (depth + 1 >= kMaxIncludeDepth) throw RcError(place, "#include nested too deeply");

  std::vector<std::string> candidates;
  if (fs::path(name).is_absolute()) {
    candidates.push_back(name);
  } else {
    if (argument.front() == '"') candidates.push_back((fs::path(folder) / name).string());
    for (const auto& dir : m_options.includeDirs) candidates.push_back((fs::path(dir) / name).string());
    if (argument.front() == '<') candidates.push_back((fs::path(folder) / name).string());
  }
  for (const auto& candidate : candidates) {
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec)) {
      ProcessFile(fs::path(candidate).lexically_normal().string(), IsHeaderName(candidate), depth + 1);
      return;
    }
  }
  throw RcError(place, "cannot find include file \"" + name + "\"");
}

bool Preprocessor::EvaluateCondition(std::string_view text, const SourcePlace& place) {
  std::vector<Token> raw = LexLine(text, place);
  // "defined X" and "defined(X)" are decided before macros are expanded.
  std::vector<Token> resolved;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i].kind != TokenKind::Identifier || raw[i].text != "defined") {
      resolved.push_back(raw[i]);
      continue;
    }
    bool parenthesised = i + 1 < raw.size() && raw[i + 1].IsPunct("(");
    size_t at = i + (parenthesised ? 2 : 1);
    if (at >= raw.size() || raw[at].kind != TokenKind::Identifier ||
        (parenthesised && (at + 1 >= raw.size() || !raw[at + 1].IsPunct(")"))))
      throw RcError(place, "malformed defined()");
    Token value;
    value.kind = TokenKind::Number;
    value.number = m_macros.contains(raw[at].text) ? 1 : 0;
    value.text = std::to_string(value.number);
    value.place = place;
    resolved.push_back(value);
    i = at + (parenthesised ? 1 : 0);
  }
  std::vector<Token> expanded;
  std::vector<std::string> expanding;
  Expand(resolved, expanded, expanding);
  if (expanded.empty()) throw RcError(place, "#if without an expression");
  TokenCursor cursor(expanded, place);
  ExprValue value = ParseExpression(cursor, true);
  if (!cursor.AtEnd()) cursor.Fail("unexpected token in #if expression");
  return value.value != 0;
}

void Preprocessor::Expand(const std::vector<Token>& in, std::vector<Token>& out,
                          std::vector<std::string>& active) {
  for (const Token& token : in) {
    auto it = token.kind == TokenKind::Identifier ? m_macros.find(token.text) : m_macros.end();
    if (it == m_macros.end() || std::find(active.begin(), active.end(), token.text) != active.end()) {
      out.push_back(token);
      continue;
    }
    if (it->second.functionLike)
      throw RcError(token.place, "function-like macro '" + token.text + "' is not supported here");
    active.push_back(token.text);
    Expand(LexLine(it->second.body, token.place), out, active);
    active.pop_back();
  }
}

}  // namespace tolvar::rc
