#pragma once
// The PC side's stored messages (PA_MESSAGE_INFO) or i-mode mails (PA_IMODE_INFO): what the last
// download found or an application put there, in order. The cache owns the bytes of each of its
// records and frees them when the record is removed or the cache is emptied.
#include "DataArray.h"

#include <handport/PhoneRecords.h>

#include <span>
#include <vector>

template <class Record>
class CMessageCache {
 public:
  CMessageCache() = default;
  ~CMessageCache() { Clear(); }
  CMessageCache(const CMessageCache&) = delete;
  CMessageCache& operator=(const CMessageCache&) = delete;

  int Count() const { return static_cast<int>(m_records.size()); }
  std::span<const Record> Records() const { return m_records; }

  // Copies the record at `index` into `record`; its data pointer is the cache's own, for reading.
  // PA_OUT_OF_RANGE when index is not below the count, PA_NULL_POINTER for no record.
  PA_RESULT Get(unsigned int index, Record* record) const {
    if (index >= m_records.size()) return PA_OUT_OF_RANGE;
    if (record == nullptr) return PA_NULL_POINTER;
    *record = m_records[index];
    return PA_OK;
  }

  // Appends a copy of the record and of its bytes: the caller keeps its own buffer. No record, or
  // a length without bytes, is PA_NULL_POINTER.
  PA_RESULT Put(const Record* record) {
    if (record == nullptr || (record->pData == nullptr && record->dwLength != 0)) return PA_NULL_POINTER;
    Record copy = *record;
    copy.pData = NewDataArray(std::span<const BYTE>(record->pData, record->dwLength));
    m_records.push_back(copy);
    return PA_OK;
  }

  // Removes the record at `index` (the later ones move down) and frees its bytes. PA_OUT_OF_RANGE
  // when there is no such record, a negative index included.
  PA_RESULT Remove(int index) {
    if (index < 0 || index >= Count()) return PA_OUT_OF_RANGE;
    FreeDataArray(m_records[static_cast<std::size_t>(index)].pData);
    m_records.erase(m_records.begin() + index);
    return PA_OK;
  }

  // A record read from the phone: valid, its place, and a copy of its bytes.
  void Append(DWORD box, DWORD folder, std::span<const BYTE> bytes) {
    Record record;
    record.dwValid = 1;
    record.dwBox = box;
    record.dwFolder = folder;
    record.dwLength = static_cast<DWORD>(bytes.size());
    record.pData = NewDataArray(bytes);
    m_records.push_back(record);
  }

  // Frees the bytes of every record and empties the cache, its storage released.
  void Clear() {
    for (Record& record : m_records) FreeDataArray(record.pData);
    std::vector<Record>().swap(m_records);
  }

 private:
  std::vector<Record> m_records;
};

using CMessageStore = CMessageCache<PA_MESSAGE_INFO>;
using CIModeStore = CMessageCache<PA_IMODE_INFO>;
