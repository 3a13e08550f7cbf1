#include "PhoneList.h"

#include <base/WinError.h>
#include <kernel/File.h>
#include <kernel/Io.h>
#include <kernel/Object.h>
#include <kernel/UniqueHandle.h>

namespace {

constexpr std::size_t kMinCommaIndex = 3;
constexpr DWORD kMaxFileSize = 1 << 20;  // a phone list is a few lines; more is not one

std::string_view Trim(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The text from `from` on, empty when `from` lies past its end.
std::string_view From(std::string_view text, std::size_t from) {
  return from < text.size() ? text.substr(from) : std::string_view();
}

}  // namespace

bool CPhoneList::Read(LPCSTR path) {
  m_names.clear();
  m_builds.clear();
  const tolvar::kernel::UniqueHandle file(
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (text.size() < kMaxFileSize && ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    text.append(buffer, read);
  }
  Parse(text);
  return true;
}

void CPhoneList::Parse(std::string_view text) {
  m_names.clear();
  m_builds.clear();
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t comma = line.rfind(',');
    if (!line.starts_with('-') || comma == std::string_view::npos || comma < kMinCommaIndex) continue;
    m_names.emplace_back(Trim(line.substr(1, comma - 1)));
    m_builds.emplace_back(Trim(line.substr(comma + 1)));
  }
}

std::string CPhoneList::MatchModel(std::string_view model) const {
  for (const std::string& name : m_names) {
    // A name of blanks only says nothing about a phone; it does not match every model.
    if (!name.empty() && model.find(name) != std::string_view::npos) return std::string(model);
  }
  return {};
}

int CPhoneList::FindBuildRow(std::string_view model, std::string_view version) const {
  if (version.size() < 3) return -1;  // no family and variant to look for
  const std::string_view letters = version.substr(0, 3);
  const std::string_view lowest = From(version, 4);
  for (std::size_t row = 0; row < m_names.size(); ++row) {
    if (m_names[row].find(model) == std::string::npos) continue;
    const std::string_view build = m_builds[row];
    for (std::size_t p = build.find(letters); p != std::string_view::npos; p = build.find(letters, p + 1)) {
      std::string_view floor = From(build, p + 4);
      floor = floor.substr(0, floor.find('/'));
      if (lowest.compare(floor) >= 0) return static_cast<int>(row);
    }
  }
  return -1;
}
