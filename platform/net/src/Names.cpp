// Addresses as text and host names.
#include <net/WinSock.h>

#include "Host.h"
#include "Startup.h"

#include <base/LastError.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

// One number of a dotted address: decimal, octal with a leading 0, or hexadecimal with 0x.
std::optional<unsigned long long> ParsePart(const char*& p) {
  if (*p < '0' || *p > '9') return std::nullopt;
  int base = 10;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    base = 16;
    p += 2;
  } else if (p[0] == '0') {
    base = 8;
  }
  unsigned long long value = 0;
  bool any = base == 8;  // the leading 0 itself
  for (;; ++p) {
    int digit;
    if (*p >= '0' && *p <= '9') digit = *p - '0';
    else if (base == 16 && *p >= 'a' && *p <= 'f') digit = *p - 'a' + 10;
    else if (base == 16 && *p >= 'A' && *p <= 'F') digit = *p - 'A' + 10;
    else break;
    if (digit >= base) return std::nullopt;
    value = value * base + digit;
    if (value > 0xFFFFFFFFull) return std::nullopt;
    any = true;
  }
  if (!any) return std::nullopt;
  return value;
}

// "a.b.c.d", and the shorter forms "a.b.c" (c fills 16 bits), "a.b" (b fills 24) and "a".
std::optional<ULONG> ParseDotted(const char* text) {
  unsigned long long parts[4];
  int count = 0;
  const char* p = text;
  for (;;) {
    auto part = ParsePart(p);
    if (!part || count == 4) return std::nullopt;
    parts[count++] = *part;
    if (*p == '.') {
      ++p;
      continue;
    }
    if (*p != '\0' && *p != ' ') return std::nullopt;  // Windows stops at a space
    break;
  }
  unsigned long long host = 0;
  static constexpr unsigned long long kLastLimit[4] = {0xFFFFFFFF, 0xFFFFFF, 0xFFFF, 0xFF};
  for (int i = 0; i < count - 1; ++i) {
    if (parts[i] > 0xFF) return std::nullopt;
    host |= parts[i] << (24 - 8 * i);
  }
  if (parts[count - 1] > kLastLimit[count - 1]) return std::nullopt;
  host |= parts[count - 1];
  return htonl(static_cast<ULONG>(host));
}

struct HostEntry {
  std::string name;
  std::vector<ULONG> addresses;
  std::vector<char*> addressList;
  char* noAliases[1] = {nullptr};
  hostent entry{};
};

}  // namespace

ULONG inet_addr(const char* text) {
  if (!text) return INADDR_NONE;
  return ParseDotted(text).value_or(INADDR_NONE);
}

char* inet_ntoa(in_addr address) {
  thread_local char text[16];
  ULONG host = ntohl(address.s_addr);
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", (host >> 24) & 0xFF, (host >> 16) & 0xFF, (host >> 8) & 0xFF,
                host & 0xFF);
  return text;
}

hostent* gethostbyname(const char* name) {
  if (!tolvar::net::Started()) {
    SetLastError(WSANOTINITIALISED);
    return nullptr;
  }
  if (!name) {
    SetLastError(WSAEFAULT);
    return nullptr;
  }
  thread_local HostEntry result;
  std::vector<ULONG> addresses;
  std::string canonical = name;
  if (auto dotted = ParseDotted(name); dotted && std::strchr(name, '.')) {
    addresses.push_back(*dotted);  // an address needs no look-up
  } else {
    int error = WSAHOST_NOT_FOUND;
    auto found = tolvar::net::host::Resolve(name, canonical, error);
    if (found.empty()) {
      SetLastError(static_cast<DWORD>(error));
      return nullptr;
    }
    addresses.assign(found.begin(), found.end());
  }
  result.name = canonical;
  result.addresses = std::move(addresses);
  result.addressList.clear();
  for (ULONG& a : result.addresses) result.addressList.push_back(reinterpret_cast<char*>(&a));
  result.addressList.push_back(nullptr);
  result.entry.h_name = result.name.data();
  result.entry.h_aliases = result.noAliases;
  result.entry.h_addrtype = AF_INET;
  result.entry.h_length = 4;
  result.entry.h_addr_list = result.addressList.data();
  return &result.entry;
}
