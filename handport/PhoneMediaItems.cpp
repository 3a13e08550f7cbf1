// The phone object's four media arrays: setting, naming, clearing and copying out their items,
// loading an item of array D from a PC file, and taking an item from a phone data file section.
#include "PhoneBase.h"

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/File.h>
#include <kernel/Io.h>
#include <kernel/Object.h>
#include <kernel/UniqueHandle.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Capacity parameters of the arrays, and the largest PC file array D takes.
constexpr int kCapacityOf[kMediaArrays] = {29, 30, 27, 31};
constexpr int kLargestFile = 38;
constexpr std::size_t kSectionHead = 38;  // item number, status, name, two numbers, length

constexpr DWORD kTakeError[kMediaArrays] = {ERROR_DATAFILE_MEDIA_A, ERROR_DATAFILE_MEDIA_B, ERROR_DATAFILE_MEDIA_CD,
                                            ERROR_DATAFILE_MEDIA_CD};

DWORD U32(std::span<const BYTE> at) {
  return at[0] | static_cast<DWORD>(at[1]) << 8 | static_cast<DWORD>(at[2]) << 16 | static_cast<DWORD>(at[3]) << 24;
}

// A name cut to the 21 bytes of an item, the rest zero.
void CopyName(std::array<BYTE, kMediaNameSize>& field, const char* name) {
  field.fill(0);
  if (name) std::memcpy(field.data(), name, std::min(std::strlen(name), field.size()));
}

}  // namespace

int CPhoneBase::CapacityOf(MediaArray array) const { return GetCapacity(kCapacityOf[static_cast<int>(array)]); }

bool CPhoneBase::InRange(MediaArray array, int n) const {
  if (n >= 0 && n < static_cast<int>(MediaItems(array).size())) return true;
  SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

int CPhoneBase::GetMediaItem(MediaArray array, int n, MediaItem& item) const {
  if (!InRange(array, n)) return 0;
  item = MediaItems(array)[static_cast<std::size_t>(n)];
  return 1;
}

int CPhoneBase::SetMediaItem(MediaArray array, int n, const char* name, DWORD number, std::span<const BYTE> bytes) {
  if (!InRange(array, n)) return 0;
  std::vector<BYTE> copy;
  try {
    copy.assign(bytes.begin(), bytes.end());
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  MediaItem& item = MediaItems(array)[static_cast<std::size_t>(n)];
  ClearMediaItem(array, n, item.kind);
  item.status = MEDIA_SET;
  item.data = std::move(copy);
  if (array == MediaArray::C) {
    item.further1 = number;
  } else {
    CopyName(item.name, name);
  }
  return 1;
}

int CPhoneBase::SetMediaItemName(MediaArray array, int n, const char* name) {
  if (array == MediaArray::C) n = 0;
  if (!InRange(array, n)) return 0;
  CopyName(MediaItems(array)[static_cast<std::size_t>(n)].name, name);
  return 1;
}

int CPhoneBase::ClearMediaItem(MediaArray array, int n, DWORD kind) {
  if (!InRange(array, n)) return 0;
  MediaItem& item = MediaItems(array)[static_cast<std::size_t>(n)];
  const bool c = array == MediaArray::C;
  item.kind = kind;
  item.status = c ? MEDIA_SET : MEDIA_EMPTY;
  item.data.clear();
  item.data.shrink_to_fit();
  item.further1 = 0;
  // Item 0 of C carries the array's own name and number.
  if (!c || n != 0) {
    item.further2 = 0;
    item.name.fill(0);
  }
  return 1;
}

int CPhoneBase::LoadMediaItemFromFile(int n, const char* path, const char* name) {
  if (!InRange(MediaArray::D, n)) return -1;
  const tolvar::kernel::UniqueHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return -1;
  DWORD high = 0;
  const DWORD size = GetFileSize(file.Get(), &high);
  if (size == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) return -1;
  if (high != 0 || size > static_cast<DWORD>(GetCapacity(kLargestFile))) {
    SetLastError(ERROR_MEDIA_FILE_TOO_BIG);
    return -1;
  }
  std::vector<BYTE> bytes(size);
  DWORD read = 0;
  if (size > 0 && (!ReadFile(file.Get(), bytes.data(), size, &read, nullptr) || read != size)) {
    if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_READ_FAULT);
    return -1;
  }
  ClearMediaItem(MediaArray::D, n, 1);
  MediaItem& item = MediaItems(MediaArray::D)[static_cast<std::size_t>(n)];
  item.status = MEDIA_LOADED;
  item.data = std::move(bytes);
  CopyName(item.name, name);
  return static_cast<int>(size);
}

int CPhoneBase::TakeMediaSection(MediaArray array, std::span<const BYTE> payload) {
  const DWORD error = kTakeError[static_cast<int>(array)];
  // The length is checked before anything is taken or allocated.
  if (payload.size() < kSectionHead || U32(payload.subspan(34)) != payload.size() - kSectionHead) {
    SetLastError(error);
    return 0;
  }
  const DWORD n = U32(payload);
  if (n >= MediaItems(array).size()) {
    SetLastError(error);
    return 0;
  }
  MediaItem& item = MediaItems(array)[n];
  item.status = payload[4];
  std::copy_n(payload.begin() + 5, kMediaNameSize, item.name.begin());
  item.further1 = U32(payload.subspan(26));
  item.further2 = U32(payload.subspan(30));
  item.data.assign(payload.begin() + static_cast<std::ptrdiff_t>(kSectionHead), payload.end());
  if (array == MediaArray::C) {
    MediaItem& first = MediaItems(array)[0];
    if (first.further2 == 0 && item.further2 != 0) first.further2 = item.further2;
  }
  return 1;
}
