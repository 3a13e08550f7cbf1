#pragma once
// For tests: a fresh home folder that TOLVAR_HOME points at while the object lives, so the settings,
// named objects and drive folders of one test never meet another's. The device trees the registry
// enumerates (TOLVAR_SYSFS_ROOT, TOLVAR_DEVFS_ROOT) point at empty folders inside it, so the machine's
// own serial devices never show in a test. The previous environment is put back afterwards.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tolvar::testing {

class TemporaryHome {
public:
  TemporaryHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tolvar-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
    std::filesystem::create_directories(SysRoot() + "/class/tty");
    std::filesystem::create_directories(DevRoot());
    Set("TOLVAR_HOME", m_path);
    Set("TOLVAR_SYSFS_ROOT", SysRoot());
    Set("TOLVAR_DEVFS_ROOT", DevRoot());
  }
  ~TemporaryHome() {
    for (auto& [name, value] : m_saved) {
      if (value) ::setenv(name.c_str(), value->c_str(), 1);
      else ::unsetenv(name.c_str());
    }
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  TemporaryHome(const TemporaryHome&) = delete;
  TemporaryHome& operator=(const TemporaryHome&) = delete;

  const std::string& Path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }
  std::string SysRoot() const { return File("sys"); }
  std::string DevRoot() const { return File("dev"); }

private:
  void Set(const char* name, const std::string& value) {
    const char* old = std::getenv(name);
    m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    ::setenv(name, value.c_str(), 1);
  }

  std::string m_path;
  std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

// The whole content of a file, "" when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace tolvar::testing
