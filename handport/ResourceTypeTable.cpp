#include "ResourceTypeTable.h"

void CResourceTypeTable::Fill() {
  m_entries = {{{0, "Pictures", -1}, {1, "Sounds", -1}, {2, "Movies", -1}}};
}

PA_MS_RESULT CResourceTypeTable::GetMainFolder(int index, int inUse, PA_FOLDER_INFO& record) const {
  if (index < 0 || index >= inUse || index >= kEntryCount) return PA_MS_OUT_OF_RANGE;
  const Entry& entry = m_entries[static_cast<std::size_t>(index)];
  record.dwType = entry.type;
  record.dwNumber = entry.type;  // a main folder's own number is its kind
  record.strName = entry.name;
  record.lFolderId = entry.folderId;
  return PA_MS_OK;
}
