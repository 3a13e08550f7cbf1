// The phone's four media arrays in the whole-phone sequences: their flash files, read into the
// phone object and written from it, and their terms in the sequences' progress plans.
//
//   A, B, D: file (first, second + i) per item i that holds data: a 28-byte header (byte 0 the
//     array's code, 1 to 21 the name, 22 the status, 23 zero, 24 the u32 data length), the data.
//   C: the header file (first, second): byte 0 the value 1, 1 to 21 the name of item 0, 22 the
//     count of files that follow, 23 the low byte of item 0's second number, 24 the u16 value 4;
//     then files (first, second + 1 + k) for k below the count: a u32 holding the low byte of the
//     item's first number, the u32 data length, the data.
//
// Names in the headers are UTF-8 ending in a zero byte; the items hold them in the OEM code page.
#include "PhoneDevice.h"

#include "FlashBlock.h"
#include "StepMeter.h"

#include <handport/PhoneErrors.h>

#include <base/CodePage.h>
#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

constexpr std::size_t kHeader = 28;
constexpr std::size_t kItemHead = 8;
constexpr int kChunk = 39;

struct ArrayFiles {
  DWORD bit;
  MediaArray array;
  int kind;         // the data kind that names its flash files
  int largest;      // the capacity parameter of its largest item
  BYTE code;        // byte 0 of an item's header
};
constexpr ArrayFiles kArrays[] = {
    {DATA_MEDIA_A, MediaArray::A, 5000, 36, 2},
    {DATA_MEDIA_B, MediaArray::B, 6000, 37, 3},
    {DATA_MEDIA_C, MediaArray::C, 7000, 35, 1},
    {DATA_MEDIA_D, MediaArray::D, 8000, 38, 4},
};
constexpr int kCHeaderLargest = 34;

const ArrayFiles* FilesOf(DWORD bit) {
  const auto found = std::find_if(std::begin(kArrays), std::end(kArrays), [bit](const ArrayFiles& a) { return a.bit == bit; });
  return found == std::end(kArrays) ? nullptr : found;
}

int Ceil(long long value, long long by) { return by <= 0 ? 0 : static_cast<int>((value + by - 1) / by); }

DWORD U32(std::span<const BYTE> at) {
  return at[0] | static_cast<DWORD>(at[1]) << 8 | static_cast<DWORD>(at[2]) << 16 | static_cast<DWORD>(at[3]) << 24;
}
void PutU32(std::span<BYTE> at, DWORD value) {
  for (int i = 0; i < 4; ++i) at[static_cast<std::size_t>(i)] = static_cast<BYTE>(value >> (8 * i));
}

// A name from one code page into a zero-terminated field of another; none when it does not
// convert or, with its zero, does not fit.
std::optional<std::array<BYTE, kMediaNameSize>> ConvertName(std::span<const BYTE> name, UINT from, UINT to) {
  const auto end = std::find(name.begin(), name.end(), BYTE{0});
  const int length = static_cast<int>(end - name.begin());
  std::array<BYTE, kMediaNameSize> field{};
  if (length == 0) return field;
  WCHAR wide[kMediaNameSize + 1];
  const LPCSTR source = reinterpret_cast<LPCSTR>(name.data());
  const int units = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, source, length, wide, static_cast<int>(std::size(wide)));
  if (units <= 0) return std::nullopt;
  char converted[kMediaNameSize];
  const int bytes = WideCharToMultiByte(to, to == CP_UTF8 ? WC_ERR_INVALID_CHARS : 0, wide, units, converted,
                                        static_cast<int>(sizeof converted), nullptr, nullptr);
  if (bytes <= 0 || bytes + 1 > static_cast<int>(field.size())) return std::nullopt;
  std::memcpy(field.data(), converted, static_cast<std::size_t>(bytes));
  return field;
}

int BadReply() {
  SetLastError(ERROR_PHONE_BAD_REPLY);
  return 0;
}

}  // namespace

int CPhoneDevice::ReadStepsOf(DWORD kind) const {
  const ArrayFiles* files = FilesOf(kind);
  if (!files) return CPhoneBase::ReadStepsOf(kind);
  const int c = GetCapacity(kChunk);
  const int items = static_cast<int>(MediaItems(files->array).size());
  const int perItem = Ceil(GetCapacity(files->largest), c);
  if (files->array == MediaArray::C) return 1 + (Ceil(GetCapacity(kCHeaderLargest), c) + 1) + perItem * items;
  return 1 + perItem * items;
}

void CPhoneDevice::WriteStepsOf(DWORD kind, int& steps, long long& bytes) const {
  const ArrayFiles* files = FilesOf(kind);
  if (!files) return CPhoneBase::WriteStepsOf(kind, steps, bytes);
  const int c = GetCapacity(kChunk);
  const auto& items = MediaItems(files->array);
  if (files->array == MediaArray::C) {
    long long size = kHeader;
    bool any = false;
    for (const MediaItem& item : items) {
      if (!item.HoldsData()) continue;
      any = true;
      size += static_cast<long long>(item.data.size()) + kItemHead;
    }
    if (any) {
      steps += 3 + Ceil(size, c);
      bytes += size + 3LL * c;
    }
    return;
  }
  for (const MediaItem& item : items) {
    if (!item.HoldsData()) continue;
    const long long size = static_cast<long long>(item.data.size()) + kHeader;
    steps += 1 + Ceil(size, c);
    bytes += size + c;
  }
}

int CPhoneDevice::EstimateWriteTime(int* steps, int* estimate) const {
  int count = 0;
  int time = 0;
  CPhoneBase::EstimateWriteTime(&count, &time);
  long long bytes = 0;
  for (const ArrayFiles& files : kArrays) {
    if (GetKindMask() & files.bit) WriteStepsOf(files.bit, count, bytes);
  }
  if (steps) *steps = count;
  if (estimate) *estimate = time + static_cast<int>(40 * bytes / 38400) + 3;
  return 0;
}

int CPhoneDevice::ReadMediaArray(DWORD kind, CStepMeter& meter) {
  const ArrayFiles* files = FilesOf(kind);
  if (!files) return 1;  // the blob list stays on the PC
  const int c = GetCapacity(kChunk);
  const int first = GetFirstFileNumber(files->kind);
  const int second = GetSecondFileNumber(files->kind);
  auto& items = MediaItems(files->array);
  const auto read = [&](CFlashBlock& block, int steps, bool requestStep) {
    meter.BeginUnit(steps, requestStep);
    const int ok = m_engine.ReadBlock(block, &CStepMeter::PostProgressStep, &meter);
    meter.EndUnit();
    return ok;
  };
  const int itemSteps = Ceil(GetCapacity(files->largest), c);

  if (files->array != MediaArray::C) {
    for (std::size_t i = 0; i < items.size(); ++i) {
      CFlashBlock block(first, second + static_cast<int>(i), CancelEvent());
      if (!read(block, itemSteps, false)) return 0;
      if (block.Length() == 0) continue;
      const std::span<const BYTE> file(block.data);
      // A header that the file cannot hold, or a length past its end, is a garbled file.
      if (file.size() < kHeader || U32(file.subspan(24)) > file.size() - kHeader) return BadReply();
      MediaItem& item = items[i];
      item.kind = 0;
      item.further1 = 0;
      item.further2 = 0;
      item.status = file[22];
      // A name that does not convert is left empty, as array C does.
      item.name = ConvertName(file.subspan(1, kMediaNameSize), CP_UTF8, CP_OEMCP).value_or(std::array<BYTE, kMediaNameSize>{});
      item.data.assign(file.begin() + kHeader, file.begin() + static_cast<std::ptrdiff_t>(kHeader + U32(file.subspan(24))));
    }
    return 1;
  }

  CFlashBlock header(first, second, CancelEvent());
  if (!read(header, Ceil(GetCapacity(kCHeaderLargest), c) + 1, true)) return 0;
  // A header of another length or with a count the array cannot hold is a garbled one; the
  // failure has a last error of its own, so the sequence reports it.
  if (header.Length() != static_cast<int>(kHeader)) return BadReply();
  const int count = static_cast<signed char>(header.data[22]);
  if (count < 0 || count > static_cast<int>(items.size())) return BadReply();
  if (!items.empty()) {
    items[0].name = ConvertName(std::span<const BYTE>(header.data).subspan(1, kMediaNameSize), CP_UTF8, CP_OEMCP)
                        .value_or(std::array<BYTE, kMediaNameSize>{});
    items[0].further2 = static_cast<DWORD>(static_cast<int>(static_cast<signed char>(header.data[23])));
  }
  for (int k = 0; k < count; ++k) {
    CFlashBlock block(first, second + 1 + k, CancelEvent());
    if (!read(block, itemSteps, false)) return 0;
    if (block.Length() == 0) continue;
    const std::span<const BYTE> file(block.data);
    if (file.size() < kItemHead || U32(file.subspan(4)) > file.size() - kItemHead) return BadReply();
    MediaItem& item = items[static_cast<std::size_t>(k)];
    item.kind = 0;
    item.further1 = static_cast<DWORD>(static_cast<int>(static_cast<signed char>(file[0])));
    item.status = header.data[24];
    if (k != 0) item.further2 = 0;
    item.data.assign(file.begin() + kItemHead, file.begin() + static_cast<std::ptrdiff_t>(kItemHead + U32(file.subspan(4))));
  }
  return 1;
}

int CPhoneDevice::WriteMediaArray(DWORD kind, CStepMeter& meter) {
  const ArrayFiles* files = FilesOf(kind);
  if (!files) return 1;
  const int c = GetCapacity(kChunk);
  const int first = GetFirstFileNumber(files->kind);
  const int second = GetSecondFileNumber(files->kind);
  const auto& items = MediaItems(files->array);
  const auto write = [&](int sub, std::vector<BYTE> bytes) {
    CFlashBlock block(first, sub);
    block.data = std::move(bytes);
    meter.BeginUnit(1 + Ceil(block.Length(), c));
    const int ok = m_engine.WriteBlock(block, &CStepMeter::PostProgressStep, &meter);
    meter.EndUnit();
    return ok;
  };
  const auto headerName = [](const MediaItem& item) {
    return ConvertName(item.name, CP_OEMCP, CP_UTF8);
  };

  if (files->array != MediaArray::C) {
    for (std::size_t i = 0; i < items.size(); ++i) {
      const MediaItem& item = items[i];
      if (!item.HoldsData()) continue;
      const auto name = headerName(item);
      if (!name) {
        SetLastError(ERROR_INVALID_DATA);
        return 0;
      }
      std::vector<BYTE> bytes(kHeader, 0);
      bytes[0] = files->code;
      std::copy(name->begin(), name->end(), bytes.begin() + 1);
      bytes[22] = item.status;
      PutU32(std::span<BYTE>(bytes).subspan(24), static_cast<DWORD>(item.data.size()));
      bytes.insert(bytes.end(), item.data.begin(), item.data.end());
      if (!write(second + static_cast<int>(i), std::move(bytes))) return 0;
    }
    return 1;
  }

  const int holding = static_cast<int>(std::count_if(items.begin(), items.end(), [](const MediaItem& item) { return item.HoldsData(); }));
  // An array with nothing in it leaves the phone's files alone: there is nothing to give it.
  if (holding == 0 || items.empty()) return 1;
  const auto name = headerName(items[0]);
  if (!name) {
    SetLastError(ERROR_INVALID_DATA);
    return 0;
  }
  std::vector<BYTE> header(kHeader, 0);
  header[0] = 1;
  std::copy(name->begin(), name->end(), header.begin() + 1);
  header[22] = static_cast<BYTE>(holding);
  header[23] = static_cast<BYTE>(items[0].further2);
  header[24] = 4;
  if (!write(second, std::move(header))) return 0;
  // The files follow one another from 1, as the header's count names them for a read.
  int k = 0;
  for (const MediaItem& item : items) {
    if (!item.HoldsData()) continue;
    std::vector<BYTE> bytes(kItemHead, 0);
    PutU32(bytes, item.further1 & 0xFF);
    PutU32(std::span<BYTE>(bytes).subspan(4), static_cast<DWORD>(item.data.size()));
    bytes.insert(bytes.end(), item.data.begin(), item.data.end());
    if (!write(second + 1 + k++, std::move(bytes))) return 0;
  }
  return 1;
}
