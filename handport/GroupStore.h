#pragma once
// The phone's 19 contact groups, kept exactly as the phone's group file holds them and read and
// written as that file whole: flash file (106, 110), 19 records of 41 bytes, record i holding
// group i + 1 as its name in UTF-8, padded with 0x00 (no terminator when all 41 bytes are used;
// a first byte 0x00 is an empty group).
#include "LinkEngine.h"

#include <framework/Afx.h>

#include <array>
#include <span>

constexpr DWORD ERROR_GROUP_NUMBER = 0x2008010a;     // a group number outside 1 to 19
constexpr DWORD ERROR_GROUP_NAME_SIZE = 0x2008021b;  // a name that does not fit its record
constexpr DWORD ERROR_GROUP_FILE_SIZE = 0x2008041c;  // a group file of another size than 0 or 779

class CGroupStore {
 public:
  static constexpr int kGroupCount = 19;
  static constexpr int kNameSize = 41;
  static constexpr int kFileSize = kGroupCount * kNameSize;
  static constexpr int kFileNumber = 106;
  static constexpr int kSubNumber = 110;

  // Every group empty, group 1 selected.
  int ClearAll();
  // Selects group 1 to 19; else ERROR_GROUP_NUMBER and 0.
  int Select(int group);
  int IsUsed() const;
  CString GetName() const;
  // Stores the name in the selected record. A name must fit both the phone's limit of 41 GSM
  // units and the record's 41 bytes of UTF-8; else ERROR_GROUP_NAME_SIZE and the record stays.
  int SetName(const CString& name);
  int ClearSlot();

  // Reads the group file; a failure leaves every group as it was. Progress: one step.
  int Download(CLinkEngine& engine);
  // Writes all 19 records as the group file. Progress: one step.
  int Upload(CLinkEngine& engine);

 private:
  std::span<BYTE, kNameSize> Record();
  std::span<const BYTE, kNameSize> Record() const;

  int m_slot = 0;
  std::array<BYTE, kFileSize> m_table{};
};
