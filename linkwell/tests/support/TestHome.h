#pragma once
// Test helpers of the link service: a private home, files, settings.
#include <base/TemporaryHome.h>

#include <string>

namespace linkwell::testing {

using TestHome = tolvar::testing::TemporaryHome;

bool FileExists(const std::string& path);
inline std::string ReadWholeFile(const std::string& path) { return tolvar::testing::ReadFile(path); }

// Writes a DWORD value under "Software\Halvane\Tolvar\Settings".
void SetSetting(const char* name, unsigned value);

}  // namespace linkwell::testing
