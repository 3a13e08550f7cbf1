#pragma once
// A private home and working folder for tests of files and paths: TOLVAR_HOME points into a fresh
// temporary folder, and the current directory is a fresh "work" folder beside it.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>

class FileTestFolder : public ::testing::Test {
protected:
  void SetUp() override {
    static int counter = 0;
    m_root = std::filesystem::temp_directory_path() /
             ("kernel-files-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    std::filesystem::remove_all(m_root);
    std::filesystem::create_directories(m_root / "home");
    std::filesystem::create_directories(m_root / "work");
    m_previous = std::filesystem::current_path();
    ::setenv("TOLVAR_HOME", (m_root / "home").c_str(), 1);
    std::filesystem::current_path(m_root / "work");
  }
  void TearDown() override {
    std::filesystem::current_path(m_previous);
    std::filesystem::remove_all(m_root);
  }

  std::string Home() const { return (m_root / "home").string(); }
  std::string Work() const { return (m_root / "work").string(); }

  static void WriteText(const std::string& hostPath, const std::string& text) {
    std::ofstream(hostPath, std::ios::binary) << text;
  }
  static std::string ReadText(const std::string& hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

private:
  std::filesystem::path m_root;
  std::filesystem::path m_previous;
};
