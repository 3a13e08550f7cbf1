#include "StoreFiles.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace phonesim {

std::optional<long long> ParseNumber(std::string_view text) {
  long long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string HexOf(std::string_view bytes) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(2 * bytes.size());
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    hex += kDigits[b >> 4];
    hex += kDigits[b & 0x0F];
  }
  return hex;
}

std::optional<std::string> BytesOfHex(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::string bytes;
  bytes.reserve(hex.size() / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = nibble(hex[i]);
    const int low = nibble(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes += static_cast<char>(high << 4 | low);
  }
  return bytes;
}

std::optional<std::string> ReadStoreFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteStoreFile(const std::filesystem::path& file, std::string_view bytes) {
  std::filesystem::path temporary = file;
  temporary += ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) return false;
  }
  std::error_code ec;
  std::filesystem::rename(temporary, file, ec);
  return !ec;
}

void RemoveStoreFile(const std::filesystem::path& file) {
  std::error_code ec;
  std::filesystem::remove(file, ec);
}

std::vector<std::string> ReadStoreLines(const std::filesystem::path& file) {
  std::vector<std::string> lines;
  std::istringstream in(ReadStoreFile(file).value_or(""));
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

bool WriteStoreLines(const std::filesystem::path& file, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return WriteStoreFile(file, text);
}

std::vector<std::string> SplitItems(std::string_view text, char separator) {
  std::vector<std::string> items;
  while (true) {
    const std::size_t at = text.find(separator);
    items.emplace_back(text.substr(0, at));
    if (at == std::string_view::npos) return items;
    text = text.substr(at + 1);
  }
}

}  // namespace phonesim
