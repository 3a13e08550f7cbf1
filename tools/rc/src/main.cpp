// rc: compiles a resource script into the container the build places in a module's ".tolvar_rsrc"
// section.
//
//   rc [-I dir]... [-D name[=value]]... -o output [--depfile file] script.rc
//
// Faults in the script are reported as "file:line: message" with exit status 1; wrong usage exits 2.
#include "Compiler.h"
#include "Diagnostics.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace fs = std::filesystem;
using namespace tolvar::rc;

namespace {

int Usage(const std::string& message) {
  std::cerr << "rc: " << message << "\n"
            << "usage: rc [-I dir]... [-D name[=value]]... -o output [--depfile file] script.rc\n";
  return 2;
}

// Writes beside the target and renames, so a failed run never leaves half a file behind.
bool WriteFileAtomically(const std::string& path, const void* data, size_t size) {
  std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) return false;
  }
  std::error_code ec;
  fs::rename(temporary, path, ec);
  return !ec;
}

std::string EscapeForMake(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == ' ' || c == '#') out.push_back('\\');
    if (c == '$') out.push_back('$');
    out.push_back(c);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  CompileOptions options;
  std::string output, depfile;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](const std::string& flag) -> std::string {
      if (arg.size() > flag.size()) return arg.substr(flag.size());
      if (i + 1 >= argc) throw std::invalid_argument(flag + " needs a value");
      return argv[++i];
    };
    try {
      if (arg.starts_with("-I")) {
        options.includeDirs.push_back(value("-I"));
      } else if (arg.starts_with("-D")) {
        std::string define = value("-D");
        auto eq = define.find('=');
        options.defines.emplace_back(define.substr(0, eq), eq == std::string::npos ? "1" : define.substr(eq + 1));
      } else if (arg == "-o") {
        output = value("-o");
      } else if (arg == "--depfile") {
        depfile = value("--depfile");
      } else if (arg.starts_with("-")) {
        return Usage("unknown option " + arg);
      } else if (options.script.empty()) {
        options.script = arg;
      } else {
        return Usage("more than one script given");
      }
    } catch (const std::invalid_argument& e) {
      return Usage(e.what());
    }
  }
  if (options.script.empty() || output.empty()) return Usage("a script and -o are required");

  CompileResult result;
  try {
    result = Compile(options);
  } catch (const RcError& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  std::vector<std::uint8_t> container = WriteContainer(std::move(result.resources));
  if (!WriteFileAtomically(output, container.data(), container.size())) {
    std::cerr << "rc: cannot write " << output << "\n";
    return 1;
  }
  if (!depfile.empty()) {
    std::string text = EscapeForMake(output) + ":";
    for (const auto& dep : result.dependencies) text += " \\\n  " + EscapeForMake(fs::absolute(dep).string());
    text += "\n";
    if (!WriteFileAtomically(depfile, text.data(), text.size())) {
      std::cerr << "rc: cannot write " << depfile << "\n";
      return 1;
    }
  }
  return 0;
}
