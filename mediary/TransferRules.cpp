// The phone runs' rules that need no phone.
#include "TransferRules.h"

#include <kernel/AtomicFile.h>

#include <algorithm>

ProgressScale::Step ProgressScale::Scale(std::uint32_t total, std::uint32_t current) {
  bool changed = false;
  if (total != lastTotal) {
    shift = total > 32768 ? 7 : 0;
    while ((total >> shift) > 0xFFFF) ++shift;
    lastTotal = total;
    changed = true;
  }
  return {total >> shift, std::min(current, total) >> shift, changed};
}

std::string ProgressOverlay(const std::string& name) {
  std::string text;
  for (char c : name) {
    text += c;
    if (c == '%') text += '%';
  }
  return text + " %3d%%";
}

int LockCheckMessage(int result) {
  switch (result) {
    case 0:
    case 11:
      return 0;
    case 8:
      return 1062;
    case 9:
      return 1063;
    case 10:
      return 1064;
    case 7:
      return 1077;
    default:
      return 1068;
  }
}

DetectionFailure DescribeDetectionFailure(std::uint32_t lastError) {
  switch (lastError) {
    case 0x90000000u:
      return {{}, true};
    case 0x90000002u:
      return {{1069}, false};
    case 0x90000003u:
      return {{1070, 1065}, true};
    case 0x90000004u:
      return {{1082, 1065}, true};
    default:
      return {{1068}, false};
  }
}

std::string WithPhoneExtension(const std::string& path, const std::string& extension) {
  if (extension.empty()) return path;
  const std::string ending = "." + extension;
  if (path.size() >= ending.size() && path.compare(path.size() - ending.size(), ending.size(), ending) == 0) return path;
  return path + ending;
}

bool CFolderTrail::Enter(std::uint32_t folderId) {
  if (m_ids.size() >= kMaxDepth || std::find(m_ids.begin(), m_ids.end(), folderId) != m_ids.end()) return false;
  m_ids.push_back(folderId);
  return true;
}

void CFolderTrail::Leave() {
  if (!m_ids.empty()) m_ids.pop_back();
}

bool WriteDownloadedFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  tolvar::kernel::AtomicFileWriter writer;
  if (!writer.Open(path)) return false;
  if (!writer.Write(bytes.data(), bytes.size())) return false;  // the writer discards itself
  return writer.Commit();
}
