#include "TemporaryHome.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace tolvar::comm::testing {

TemporaryHome::TemporaryHome() {
  std::string pattern = (fs::temp_directory_path() / "comm-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  m_path = pattern;
  fs::create_directories(m_path + "/sys/class/tty");
  fs::create_directories(m_path + "/dev");
  setenv("TOLVAR_HOME", m_path.c_str(), 1);
  setenv("TOLVAR_SYSFS_ROOT", (m_path + "/sys").c_str(), 1);
  setenv("TOLVAR_DEVFS_ROOT", (m_path + "/dev").c_str(), 1);
}

TemporaryHome::~TemporaryHome() {
  unsetenv("TOLVAR_HOME");
  unsetenv("TOLVAR_SYSFS_ROOT");
  unsetenv("TOLVAR_DEVFS_ROOT");
  std::error_code ignored;
  fs::remove_all(m_path, ignored);
}

}  // namespace tolvar::comm::testing
