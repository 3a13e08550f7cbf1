#include <base/Home.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <pwd.h>
#include <unistd.h>

namespace tolvar {

std::string HomeFolder() {
  std::string path;
  if (const char* home = std::getenv("TOLVAR_HOME"); home && *home) {
    path = home;
  } else if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
    path = std::string(xdg) + "/tolvar";
  } else {
    const char* user = std::getenv("HOME");
    if (!user || !*user) {
      const passwd* pw = getpwuid(getuid());
      user = pw ? pw->pw_dir : "/tmp";
    }
    path = std::string(user) + "/.config/tolvar";
  }
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (!ec) path = absolute.lexically_normal().string();
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  std::filesystem::create_directories(path, ec);
  return path;
}

std::string HomeTag() {
  // FNV-1a: stable across runs and builds, unlike std::hash.
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char c : HomeFolder() + "\n" + std::to_string(getuid())) {
    h ^= c;
    h *= 0x100000001b3ull;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

}  // namespace tolvar
