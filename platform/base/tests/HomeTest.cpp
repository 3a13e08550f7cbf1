#include <base/Base.h>

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

TEST(Home, TolvarHomeWinsAndIsCreated) {
  auto dir = std::filesystem::temp_directory_path() / ("tolvar-home-test-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  ::setenv("TOLVAR_HOME", (dir.string() + "/").c_str(), 1);
  EXPECT_EQ(tolvar::HomeFolder(), dir.string());
  EXPECT_TRUE(std::filesystem::is_directory(dir));
  std::string tag = tolvar::HomeTag();
  ::setenv("TOLVAR_HOME", (dir.string() + "-other").c_str(), 1);
  EXPECT_NE(tolvar::HomeTag(), tag);
  std::filesystem::remove_all(dir);
  std::filesystem::remove_all(dir.string() + "-other");
}

TEST(LastError, IsPerThread) {
  SetLastError(42);
  std::thread([] { EXPECT_EQ(GetLastError(), 0u); SetLastError(7); }).join();
  EXPECT_EQ(GetLastError(), 42u);
}
