#pragma once
// The preprocessor of resource scripts: #include, #define/#undef (object-like macros),
// #if/#ifdef/#ifndef/#elif/#else/#endif, #pragma (ignored) and #error. Files included with a .h or .c
// name contribute only their directives, as resource headers are C headers whose other lines the
// compiler must not read. Macros are expanded as the lines are split into tokens.
#include "Token.h"

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tolvar::rc {

struct PreprocessorOptions {
  std::vector<std::string> includeDirs;
  std::vector<std::pair<std::string, std::string>> defines;  // name, body
};

class Preprocessor {
public:
  explicit Preprocessor(PreprocessorOptions options);

  // The tokens of the script at `path`, fully preprocessed. Throws RcError.
  std::vector<Token> Run(const std::string& path);

  // Every file read: the script and the headers it included.
  const std::vector<std::string>& FilesRead() const { return m_filesRead; }

private:
  struct Macro {
    std::string body;
    bool functionLike = false;
  };
  struct Conditional {
    bool parentActive = true;
    bool active = true;
    bool taken = false;
    bool sawElse = false;
    SourcePlace place;
  };

  void ProcessFile(const std::string& path, bool directivesOnly, int depth);
  void Directive(std::string_view text, const SourcePlace& place, const std::string& folder,
                 std::vector<Conditional>& conditionals, int depth);
  void Include(std::string_view argument, const SourcePlace& place, const std::string& folder,
               int depth);
  bool EvaluateCondition(std::string_view text, const SourcePlace& place);
  void Expand(const std::vector<Token>& in, std::vector<Token>& out, std::vector<std::string>& active);

  PreprocessorOptions m_options;
  std::unordered_map<std::string, Macro> m_macros;
  std::vector<Token> m_tokens;
  std::vector<std::string> m_filesRead;
};

}  // namespace tolvar::rc
