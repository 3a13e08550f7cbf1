#include "ResourceCache.h"

#include <algorithm>
#include <cassert>

int CResourceCaches::GetCount(int type) const {
  assert(IsValidType(type));
  return static_cast<int>(m_lists[type].size());
}

int CResourceCaches::GetList(int type, std::span<PA_RESOURCE_INFO> records) const {
  assert(IsValidType(type));
  const std::size_t count = std::min(records.size(), m_lists[type].size());
  std::copy_n(m_lists[type].begin(), count, records.begin());
  return static_cast<int>(count);
}

void CResourceCaches::PutList(int type, std::span<const PA_RESOURCE_INFO> records) {
  assert(IsValidType(type));
  if (records.empty()) return;
  m_lists[type].clear();
  for (const PA_RESOURCE_INFO& record : records) InsertInOrder(type, record);
}

void CResourceCaches::InsertInOrder(int type, const PA_RESOURCE_INFO& record) {
  assert(IsValidType(type));
  std::vector<PA_RESOURCE_INFO>& list = m_lists[type];
  // Before the first record whose name is not lower: so an equal name goes in front.
  const auto at = std::find_if(list.begin(), list.end(), [&](const PA_RESOURCE_INFO& cached) {
    return cached.strDisplayName.CompareNoCase(record.strDisplayName) >= 0;
  });
  list.insert(at, record);
}

void CResourceCaches::PutOne(int type, const PA_RESOURCE_INFO& record, DWORD fileId) {
  assert(IsValidType(type));
  std::vector<PA_RESOURCE_INFO>& list = m_lists[type];
  if (fileId != 0xFFFFFFFF) {
    const auto found = std::find_if(list.begin(), list.end(), [&](const PA_RESOURCE_INFO& cached) {
      return cached.dwFileId == fileId && cached.strFileName == record.strFileName;
    });
    if (found != list.end()) {
      found->dwFileId = record.dwFileId;
      return;
    }
  }
  list.push_back(record);
}

void CResourceCaches::Clear(int type) {
  assert(IsValidType(type));
  std::vector<PA_RESOURCE_INFO>().swap(m_lists[type]);
}

CString CResourceCaches::DisplayNameOf(int type, DWORD fileId) const {
  assert(IsValidType(type));
  if (fileId == 0) return {};
  for (const PA_RESOURCE_INFO& cached : m_lists[type]) {
    if (cached.dwFileId == fileId) return cached.strDisplayName;
  }
  return {};
}
