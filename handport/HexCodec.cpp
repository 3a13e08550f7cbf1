#include "HexCodec.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

int Nibble(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

int HexEncode(std::span<const BYTE> bytes, std::span<char> output) {
  if (output.size() < 2 * bytes.size() + 1) return 0;
  std::size_t at = 0;
  for (BYTE b : bytes) {
    output[at++] = kDigits[b >> 4];
    output[at++] = kDigits[b & 0x0F];
  }
  output[at] = '\0';
  return 1;
}

int HexDecode(std::string_view hex, std::span<BYTE> output, DWORD& count) {
  count = 0;
  if (hex.empty() || hex.size() % 2 != 0 || hex.size() / 2 > output.size()) {
    SetLastError(ERROR_BAD_HEX);
    return 0;
  }
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = Nibble(hex[i]);
    const int low = Nibble(hex[i + 1]);
    if (high < 0 || low < 0) {
      SetLastError(ERROR_BAD_HEX);
      return 0;
    }
    output[i / 2] = static_cast<BYTE>(high << 4 | low);
  }
  count = static_cast<DWORD>(hex.size() / 2);
  return 1;
}

std::string HexText(std::span<const BYTE> bytes) {
  std::string hex(2 * bytes.size() + 1, '\0');
  HexEncode(bytes, hex);
  hex.pop_back();
  return hex;
}
