#include "TestHome.h"

#include <registry/WinReg.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace linkwell::testing {

TestHome::TestHome() {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const std::filesystem::path path = std::filesystem::temp_directory_path() /
      ("linkwell-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(path);
  m_path = path.string();
  if (const char* previous = std::getenv("TOLVAR_HOME")) {
    m_previous = previous;
    m_hadPrevious = true;
  }
  setenv("TOLVAR_HOME", m_path.c_str(), 1);
}

TestHome::~TestHome() {
  if (m_hadPrevious) {
    setenv("TOLVAR_HOME", m_previous.c_str(), 1);
  } else {
    unsetenv("TOLVAR_HOME");
  }
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void SetSetting(const char* name, unsigned value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Settings", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const DWORD data = value;
  EXPECT_EQ(RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

}  // namespace linkwell::testing
