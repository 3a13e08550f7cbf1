#include <kernel/CommandLine.h>

#include "ProcessLaunch.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace tolvar::kernel {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Taken when the library loads, before any thread could change the environment. The variables are
// removed, so that a program this one starts by other means than CreateProcessA does not inherit them.
std::string CaptureCommandLine() {
  const char* given = std::getenv(kCommandLineVariable);
  const char* parent = std::getenv(kCommandLineParentVariable);
  std::string commandLine;
  bool ours = given && parent && std::strtol(parent, nullptr, 10) == static_cast<long>(getppid());
  if (ours) commandLine = given;
  unsetenv(kCommandLineVariable);
  unsetenv(kCommandLineParentVariable);
  if (ours) return commandLine;

  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t start = 0;
  while (start < raw.size()) {
    size_t end = raw.find('\0', start);
    if (end == std::string::npos) end = raw.size();
    if (!commandLine.empty()) commandLine += ' ';
    commandLine += QuoteArgument(std::string_view(raw).substr(start, end - start));
    start = end + 1;
  }
  return commandLine;
}

std::string& CommandLineText() {
  static std::string text = CaptureCommandLine();
  return text;
}

// Capture at load time, not on first use.
[[maybe_unused]] const bool g_captured = (CommandLineText(), true);

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> arguments;
  size_t i = 0;
  // The program: quotes group, nothing escapes.
  std::string program;
  if (i < line.size() && line[i] == '"') {
    size_t close = line.find('"', i + 1);
    program = std::string(line.substr(i + 1, close == std::string_view::npos ? std::string_view::npos : close - i - 1));
    i = close == std::string_view::npos ? line.size() : close + 1;
  }
  while (i < line.size() && !IsBlank(line[i])) program += line[i++];
  arguments.push_back(std::move(program));

  for (;;) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string argument;
    bool quoted = false;
    while (i < line.size() && (quoted || !IsBlank(line[i]))) {
      if (line[i] == '\\') {
        size_t run = 0;
        while (i < line.size() && line[i] == '\\') ++run, ++i;
        if (i < line.size() && line[i] == '"') {
          argument.append(run / 2, '\\');
          if (run % 2) {
            argument += '"';
            ++i;
          }
          // An even run leaves the quote for the next round, where it opens or closes.
        } else {
          argument.append(run, '\\');
        }
      } else if (line[i] == '"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          argument += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        argument += line[i++];
      }
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

std::string QuoteArgument(std::string_view argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) return std::string(argument);
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');  // before the closing quote
  quoted += '"';
  return quoted;
}

}  // namespace tolvar::kernel

LPSTR GetCommandLineA() { return tolvar::kernel::CommandLineText().data(); }
