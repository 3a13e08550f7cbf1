#pragma once
// The phone's main media folders: Pictures, Sounds and Movies, each a folder type with a name and
// the folder id -1. The table is built empty with the library; the manager's construction fills it.
#include <handport/PhoneRecords.h>

#include <array>

class CResourceTypeTable {
 public:
  static constexpr int kEntryCount = 3;

  void Fill();
  // Copies type, name and folder id of entry `index` into `record`, and the type as its number (a
  // main folder is numbered by its kind). PA_MS_OUT_OF_RANGE when the index is negative, not below
  // `inUse` (the main folders of the configured phone) or past the table.
  PA_MS_RESULT GetMainFolder(int index, int inUse, PA_FOLDER_INFO& record) const;

 private:
  struct Entry {
    DWORD type = 0;
    CString name;
    LONG folderId = 0;
  };
  std::array<Entry, kEntryCount> m_entries{};
};
