#pragma once
// The PC side's lists of the phone's multimedia files, one per main folder type: what the last
// listing found or an application put there. The contact and schedule uploads read the Pictures
// and Sounds lists to give the phone the display names of the files their records refer to.
//
// Each list is kept in display-name order (case-insensitive, ascending; a record whose name equals
// one already there goes before it). The lists copy whole records but never own their data
// buffers: emptying a list frees no record data.
#include <handport/PhoneRecords.h>

#include <array>
#include <span>
#include <vector>

enum ResourceType : int { RESOURCE_PICTURES = 0, RESOURCE_SOUNDS = 1, RESOURCE_MOVIES = 2 };

class CResourceCaches {
 public:
  static constexpr int kTypeCount = 3;
  static bool IsValidType(int type) { return type >= 0 && type < kTypeCount; }

  // For every operation the type must be valid (0 to 2).
  int GetCount(int type) const;
  // Copies the type's records, whole and in order, into `records`; returns the number copied, at
  // most records.size().
  int GetList(int type, std::span<PA_RESOURCE_INFO> records) const;
  // An empty span changes nothing; otherwise the list is emptied and each record inserted in order.
  void PutList(int type, std::span<const PA_RESOURCE_INFO> records);
  void InsertInOrder(int type, const PA_RESOURCE_INFO& record);
  // With a file id other than 0xFFFFFFFF, the first record with that file id and exactly the
  // record's file name takes the record's file id; else (or when none matches) a copy of the
  // record is appended, unordered.
  void PutOne(int type, const PA_RESOURCE_INFO& record, DWORD fileId);
  void Clear(int type);

  // The display name of the first record whose file id is `fileId`; empty for id 0 or no match.
  CString DisplayNameOf(int type, DWORD fileId) const;

 private:
  std::array<std::vector<PA_RESOURCE_INFO>, kTypeCount> m_lists;
};
