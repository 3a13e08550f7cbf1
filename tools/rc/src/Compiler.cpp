#include "Compiler.h"

#include "Parser.h"
#include "Preprocessor.h"

namespace tolvar::rc {

CompileResult Compile(const CompileOptions& options) {
  Preprocessor preprocessor(PreprocessorOptions{options.includeDirs, options.defines});
  std::vector<Token> tokens = preprocessor.Run(options.script);
  Parser parser(tokens, ParserOptions{options.includeDirs});
  CompileResult result;
  result.resources = parser.Parse();
  result.dependencies = preprocessor.FilesRead();
  for (const auto& file : parser.FilesReferenced()) result.dependencies.push_back(file);
  return result;
}

}  // namespace tolvar::rc
