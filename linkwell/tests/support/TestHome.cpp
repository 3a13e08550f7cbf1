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

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

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
