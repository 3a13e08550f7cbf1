// Shortcut files in the Shell Link binary format: a 76-byte header (size 0x4C and the shell link
// class id), then by the header's flags an item id list (skipped), the link information (where the
// local base path and common path suffix give the target), and counted strings (description,
// relative path, working folder, arguments). Strings are UTF-16 with the "unicode" flag, else in
// the writer's code page, taken here as Windows-1252, the usual one of such files.
#include <shell/LinkFile.h>

#include <base/CodePage.h>

#include <cstdint>
#include <optional>
#include <string_view>

namespace tolvar::shell {
namespace {

constexpr std::uint32_t kHasIdList = 0x01;
constexpr std::uint32_t kHasLinkInfo = 0x02;
constexpr std::uint32_t kHasName = 0x04;
constexpr std::uint32_t kHasRelativePath = 0x08;
constexpr std::uint32_t kHasWorkingDir = 0x10;
constexpr std::uint32_t kHasArguments = 0x20;
constexpr std::uint32_t kIsUnicode = 0x80;
constexpr std::uint32_t kLocalPath = 0x01;  // link information: the volume id and local base path

constexpr BYTE kLinkClass[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

class Reader {
public:
  explicit Reader(std::span<const BYTE> bytes) : m_bytes(bytes) {}
  std::optional<std::uint32_t> U16(std::size_t at) const {
    if (at > m_bytes.size() || m_bytes.size() - at < 2) return std::nullopt;
    return m_bytes[at] | m_bytes[at + 1] << 8;
  }
  std::optional<std::uint32_t> U32(std::size_t at) const {
    if (at > m_bytes.size() || m_bytes.size() - at < 4) return std::nullopt;
    return std::uint32_t(m_bytes[at]) | std::uint32_t(m_bytes[at + 1]) << 8 | std::uint32_t(m_bytes[at + 2]) << 16 |
           std::uint32_t(m_bytes[at + 3]) << 24;
  }
  std::size_t Size() const { return m_bytes.size(); }
  std::span<const BYTE> Bytes() const { return m_bytes; }

private:
  std::span<const BYTE> m_bytes;
};

std::string FromAnsi(std::span<const BYTE> bytes) {
  if (bytes.empty()) return {};
  const auto* text = reinterpret_cast<LPCSTR>(bytes.data());
  const int n = static_cast<int>(bytes.size());
  const int wide = MultiByteToWideChar(CP_WINDOWS_1252, 0, text, n, nullptr, 0);
  if (wide <= 0) return {};
  std::u16string buffer(wide, u'\0');
  MultiByteToWideChar(CP_WINDOWS_1252, 0, text, n, buffer.data(), wide);
  const int out = WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string result(out > 0 ? out : 0, '\0');
  if (out > 0) WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, result.data(), out, nullptr, nullptr);
  return result;
}

std::string FromWide(const std::u16string& wide) {
  if (wide.empty()) return {};
  const int n = static_cast<int>(wide.size());
  const int out = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  std::string result(out > 0 ? out : 0, '\0');
  if (out > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, result.data(), out, nullptr, nullptr);
  return result;
}

// A NUL-terminated string at `at` inside `area` (the link information block).
std::optional<std::string> AnsiZ(std::span<const BYTE> area, std::size_t at) {
  if (at >= area.size()) return std::nullopt;
  std::size_t end = at;
  while (end < area.size() && area[end] != 0) ++end;
  if (end == area.size()) return std::nullopt;
  return FromAnsi(area.subspan(at, end - at));
}

std::optional<std::string> WideZ(std::span<const BYTE> area, std::size_t at) {
  std::u16string wide;
  for (std::size_t i = at; i + 1 < area.size(); i += 2) {
    const char16_t c = char16_t(area[i] | area[i + 1] << 8);
    if (c == 0) return FromWide(wide);
    wide.push_back(c);
  }
  return std::nullopt;
}

// The target from the link information block; nullopt when the block is malformed, an empty text
// when it names no local path (a network target, which this system cannot reach).
std::optional<std::string> TargetOf(std::span<const BYTE> info) {
  const Reader r(info);
  const auto headerSize = r.U32(4), flags = r.U32(8), baseOffset = r.U32(16), suffixOffset = r.U32(24);
  if (!headerSize || !flags || !baseOffset || !suffixOffset || *headerSize < 0x1C || *headerSize > info.size())
    return std::nullopt;
  if (!(*flags & kLocalPath)) return std::string();
  if (*headerSize >= 0x24) {
    const auto wideBase = r.U32(28), wideSuffix = r.U32(32);
    if (!wideBase || !wideSuffix) return std::nullopt;
    if (*wideBase) {
      auto base = WideZ(info, *wideBase);
      auto suffix = *wideSuffix ? WideZ(info, *wideSuffix) : std::optional<std::string>("");
      if (!base || !suffix) return std::nullopt;
      return *base + *suffix;
    }
  }
  auto base = AnsiZ(info, *baseOffset);
  auto suffix = *suffixOffset ? AnsiZ(info, *suffixOffset) : std::optional<std::string>("");
  if (!base || !suffix) return std::nullopt;
  return *base + *suffix;
}

}  // namespace

bool ParseLinkFile(std::span<const BYTE> bytes, LinkFile& link) {
  link = {};
  const Reader r(bytes);
  if (r.Size() < 0x4C || r.U32(0) != 0x4Cu) return false;
  if (!std::equal(std::begin(kLinkClass), std::end(kLinkClass), bytes.begin() + 4)) return false;
  const std::uint32_t flags = *r.U32(0x14);
  std::size_t at = 0x4C;
  if (flags & kHasIdList) {
    const auto size = r.U16(at);
    if (!size) return false;
    at += 2 + *size;
  }
  std::string target;
  if (flags & kHasLinkInfo) {
    const auto size = r.U32(at);
    if (!size || *size < 0x1C || *size > r.Size() - at) return false;
    auto found = TargetOf(bytes.subspan(at, *size));
    if (!found) return false;
    target = std::move(*found);
    at += *size;
  }
  // The counted strings, in the order of their flags.
  std::string* fields[] = {&link.description, nullptr, &link.workingDirectory, &link.arguments};
  const std::uint32_t fieldFlags[] = {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments};
  std::string relative;
  fields[1] = &relative;
  const bool unicode = flags & kIsUnicode;
  for (int i = 0; i < 4; ++i) {
    if (!(flags & fieldFlags[i])) continue;
    const auto count = r.U16(at);
    if (!count) return false;
    at += 2;
    const std::size_t bytesOfText = unicode ? std::size_t(*count) * 2 : *count;
    if (bytesOfText > r.Size() - at) return false;
    if (unicode) {
      std::u16string wide;
      for (std::size_t k = 0; k < *count; ++k) wide.push_back(char16_t(bytes[at + 2 * k] | bytes[at + 2 * k + 1] << 8));
      *fields[i] = FromWide(wide);
    } else {
      *fields[i] = FromAnsi(bytes.subspan(at, bytesOfText));
    }
    at += bytesOfText;
  }
  if (target.empty() && !relative.empty()) {
    target = relative;
    link.targetIsRelative = true;
  }
  if (target.empty()) return false;
  link.target = std::move(target);
  return true;
}

}  // namespace tolvar::shell
