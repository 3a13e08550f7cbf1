// Fuzz target: the clipboard's file as another process of the home, or a damaged disk, may have left
// it. Whatever it holds, opening the clipboard must not fail on it, and every text it hands out
// (stored, or converted from the other kind of text) ends with its terminator inside its block.
#include <controls/Clipboard.h>

#include <kernel/GlobalMemory.h>
#include <kernel/Process.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// A home of the target's own, so the replay never touches a person's clipboard.
const std::filesystem::path& Home() {
  static const std::filesystem::path home = [] {
    auto path = std::filesystem::temp_directory_path() /
                ("tolvar-fuzz-clipboard-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(path / "clipboard");
    setenv("TOLVAR_HOME", path.c_str(), 1);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(Home(), ignored);
    });
    return path;
  }();
  return home;
}

void CheckText(UINT format, std::size_t terminator) {
  HANDLE block = GetClipboardData(format);
  if (!block) return;
  const SIZE_T size = GlobalSize(block);
  const auto* bytes = static_cast<const unsigned char*>(GlobalLock(block));
  if (!bytes || size < terminator) std::abort();
  bool ended = false;
  for (SIZE_T at = 0; at + terminator <= size && !ended; at += terminator) {
    ended = bytes[at] == 0 && (terminator == 1 || bytes[at + 1] == 0);
  }
  GlobalUnlock(block);
  if (!ended) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::ofstream(Home() / "clipboard" / "data", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  CountClipboardFormats();
  if (!OpenClipboard(nullptr)) std::abort();
  CheckText(CF_TEXT, 1);
  CheckText(CF_OEMTEXT, 1);
  CheckText(CF_UNICODETEXT, 2);
  if (HANDLE block = GetClipboardData(CF_DIB)) GlobalSize(block);
  CloseClipboard();
  return 0;
}
