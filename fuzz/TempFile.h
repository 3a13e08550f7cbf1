#pragma once
// A file of the fuzz input's bytes for parsers that read from a path: one per process and purpose,
// rewritten for every input, removed at exit.
#include <kernel/Process.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>

class TempFile {
 public:
  explicit TempFile(const std::string& purpose)
      : m_path(std::filesystem::temp_directory_path() /
               ("tolvar-fuzz-" + std::to_string(GetCurrentProcessId()) + "-" + purpose)) {}
  ~TempFile() {
    std::error_code ignored;
    std::filesystem::remove(m_path, ignored);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const std::string& Write(std::span<const std::uint8_t> bytes) {
    std::ofstream(m_path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    m_name = m_path.string();
    return m_name;
  }

 private:
  std::filesystem::path m_path;
  std::string m_name;
};
