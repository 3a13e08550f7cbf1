// The command-line keys and the registered end message of the hosting protocol.
#include "LauncherProtocol.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// "%x" at `at`: blanks, an optional sign and "0x", then hexadecimal digits; 0 when there are none.
// Kept to 32 bits, as a handle travels.
HWND HandleAt(std::string_view line, size_t at) {
  std::string rest(line.substr(at));
  const unsigned long value = std::strtoul(rest.c_str(), nullptr, 16);
  return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(static_cast<DWORD>(value)));
}

HWND HandleAfter(std::string_view line, std::string_view key) {
  const size_t at = line.find(key);
  return at == std::string_view::npos ? nullptr : HandleAt(line, at + key.size());
}

}  // namespace

UINT CloseMainFrameMessage() {
  static const UINT message = RegisterWindowMessageA(kCloseMainFrameName);
  return message;
}

HostingHandles ParseHostingCommandLine(std::string_view commandLine) {
  return {HandleAfter(commandLine, kHostWindowKey), HandleAfter(commandLine, kMainWindowKey)};
}

std::string FormatHostingArguments(HWND host, HWND mainWindow) {
  char text[40];
  std::snprintf(text, sizeof text, " hWnd=%08X hMainWnd=%08X",
                static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(host)),
                static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(mainWindow)));
  return text;
}
