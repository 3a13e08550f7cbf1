#include "FileBytes.h"

#include <kernel/Path.h>

#include <filesystem>
#include <fstream>

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
  const std::string host = tolvar::kernel::ToHostPath(path);
  std::error_code error;
  if (!std::filesystem::is_regular_file(host, error)) return {};
  std::ifstream file(host, std::ios::binary | std::ios::ate);
  if (!file) return {};
  const std::streamoff size = file.tellg();
  if (size <= 0) return {};
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  file.seekg(0);
  if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) return {};
  return bytes;
}
