// The contact store's transfers: one flash file (256, slot) per contact.
#include "PhoneBookStore.h"

#include "LinkEngine.h"
#include "PhoneText.h"
#include "StoreTransfer.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>

#include <algorithm>

namespace {

void AppendName(std::vector<BYTE>& file, const CString& name) {
  CPhoneText text(name);
  const BYTE* bytes = nullptr;
  int length = 0;
  text.ToUtf8(bytes, length);
  file.push_back(static_cast<BYTE>(length));
  file.push_back(static_cast<BYTE>(length >> 8));
  file.insert(file.end(), bytes, bytes + length);
}

}  // namespace

int CPhoneBookStore::TakePhoneLayout(CLinkEngine& engine, DWORD failure) {
  CString version;
  if (!engine.ShowSwVersion(version)) {
    SetLastError(failure);
    return 0;
  }
  const char lead = version.IsEmpty() ? '\0' : static_cast<LPCSTR>(version)[0];
  if (lead == 'B' || lead == 'T') m_shortLayout = true;
  ApplyLayout();
  return 1;
}

int CPhoneBookStore::CheckRange(int& first, int& last) const {
  if (first == -1 && last == -1) {
    first = 0;
    last = m_slotCount - 1;
  }
  if (first < 0 || last >= m_slotCount || last < first) {
    SetLastError(ERROR_PB_BAD_SLOT);
    return 0;
  }
  return 1;
}

int CPhoneBookStore::Download(HANDLE cancel, CLinkEngine& engine, int first, int last) {
  // A whole download asks no file once as many contacts as the phone counts have been read.
  int expected = m_slotCount;
  if (first == -1 && last == -1 && !engine.GetPBRecordCount(m_slotCount, expected)) return 0;
  if (!CheckRange(first, last)) return 0;
  if (!TakePhoneLayout(engine, ERROR_PB_DOWNLOAD_VERSION)) return 0;

  int found = 0;
  std::vector<BYTE> bytes;
  for (int slot = first; slot <= last; ++slot) {
    if (TransferCancelled(cancel)) return 0;
    const std::span<BYTE> record = Slot(slot);
    if (found >= expected) {
      std::fill(record.begin(), record.end(), 0xFF);
      m_used[static_cast<std::size_t>(slot)] = 0;
      continue;
    }
    if (!ReadRecordFile(engine, kContactFile, slot, bytes)) return 0;
    if (!bytes.empty() && bytes.size() != m_layout.size) {
      SetLastError(ERROR_PB_BAD_FILE_SIZE);
      return 0;
    }
    // A file of size 0 is an empty slot.
    if (bytes.empty()) {
      bytes.assign(m_layout.size, 0xFF);
      m_used[static_cast<std::size_t>(slot)] = 0;
    } else {
      ++found;
      m_used[static_cast<std::size_t>(slot)] = 1;
    }
    engine.ReportProgress(last - first, slot - first);
    std::copy(bytes.begin(), bytes.end(), record.begin());
  }
  return 1;
}

int CPhoneBookStore::Upload(HANDLE cancel, CLinkEngine& engine, int first, int last) {
  if (!CheckRange(first, last)) return 0;
  if (!TakePhoneLayout(engine, ERROR_PB_UPLOAD_VERSION)) return 0;

  for (int slot = first; slot <= last; ++slot) {
    if (TransferCancelled(cancel)) return 0;
    if (m_used[static_cast<std::size_t>(slot)]) {
      // The phone shows the names of the contact's picture and melody; it is given them by the
      // ids as they read back.
      const std::span<const BYTE> record = SlotRecord(slot);
      CString picture, melody;
      if (m_resources != nullptr) {
        picture = m_resources->DisplayNameOf(RESOURCE_PICTURES, IdOf(record, m_layout.picture));
        melody = m_resources->DisplayNameOf(RESOURCE_SOUNDS, IdOf(record, m_layout.melody));
      }
      std::vector<BYTE> bytes(record.begin(), record.end());
      AppendName(bytes, picture);
      AppendName(bytes, melody);
      if (!WriteRecordFile(engine, kContactFile, slot, bytes)) return 0;
    } else if (!EraseRecordFile(engine, kContactFile, slot)) {
      return 0;
    }
    engine.ReportProgress(last - first, slot - first);
  }
  return 1;
}
