#pragma once
// One run of the resource compiler: a script in, its resources and the files it depended on out.
#include "ResourceSet.h"

#include <string>
#include <utility>
#include <vector>

namespace tolvar::rc {

struct CompileOptions {
  std::string script;
  std::vector<std::string> includeDirs;
  std::vector<std::pair<std::string, std::string>> defines;
};

struct CompileResult {
  std::vector<Resource> resources;
  std::vector<std::string> dependencies;  // the script, its includes and every file it references
};

// Throws RcError ("file:line: message") at the first fault in the script.
CompileResult Compile(const CompileOptions& options);

}  // namespace tolvar::rc
