// The phone data file: the kinds the kind mask selects, saved as a run of sections (a 32-bit tag,
// a 32-bit payload length, the payload; little-endian, nothing outside the sections) and loaded
// back into the phone object's record arrays.
//
// A save goes through the suite's write-then-rename writer, which puts the new file in place only
// once it is whole, so a save that fails or is cut short leaves the old file as it was and no
// partial file; the raw blocks it writes are released once the file is in place. A load reads the whole file, checks every
// section against the file's size before it looks at the payload, and takes the payload's
// lengths and counts from what is there, never from a count the file claims.
#include "PhoneBase.h"

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/AtomicFile.h>
#include <kernel/File.h>
#include <kernel/Io.h>
#include <kernel/Object.h>

#include <cstring>
#include <new>
#include <string>

namespace {

constexpr int kMaxTag = 9999;
constexpr char kVersionText[] = "VERSION4";

enum Tag : int {
  kGroups = 0,
  kContactFlags = 200,
  kContacts = 220,
  kScheduleFlags = 1000,
  kSchedule = 1001,
  kToDoFlags = 2000,
  kToDo = 2001,
  kBlob = 3000,
  kVersion = 4001,
  kMediaA = 5000,
  kMediaB = 6000,
  kMediaC = 7000,
  kMediaD = 8000,
  kSerial = 9000,
  kPhoneType = 9001,
  kModel = 9002,
  kRawItem = 9050,
  kRaw2 = 9051,
  kRaw1 = 9052,
};

struct MediaSection {
  Tag tag;
  DWORD bit;
  MediaArray array;
};
// In the order a save writes them.
constexpr MediaSection kMediaSections[] = {
    {kMediaA, DATA_MEDIA_A, MediaArray::A},
    {kMediaB, DATA_MEDIA_B, MediaArray::B},
    {kMediaC, DATA_MEDIA_C, MediaArray::C},
    {kMediaD, DATA_MEDIA_D, MediaArray::D},
};

void AppendU32(std::vector<BYTE>& out, DWORD value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<BYTE>(value >> (8 * i)));
}
DWORD U32(std::span<const BYTE> at) {
  return at[0] | static_cast<DWORD>(at[1]) << 8 | static_cast<DWORD>(at[2]) << 16 | static_cast<DWORD>(at[3]) << 24;
}

// A text with its NUL.
std::vector<BYTE> TextPayload(const CString& text) {
  const char* bytes = text;
  return std::vector<BYTE>(bytes, bytes + text.GetLength() + 1);
}
// The payload up to its first NUL.
CString PayloadText(std::span<const BYTE> payload) {
  const auto end = std::find(payload.begin(), payload.end(), BYTE{0});
  return CString(std::string(payload.begin(), end).c_str());
}

// The file being written: each section is its tag, its length and its payload.
class CSectionWriter {
 public:
  explicit CSectionWriter(tolvar::kernel::AtomicFileWriter& file) : m_file(file) {}

  bool Write(int tag, std::span<const BYTE> payload) {
    std::vector<BYTE> head;
    AppendU32(head, static_cast<DWORD>(tag));
    AppendU32(head, static_cast<DWORD>(payload.size()));
    return Put(head) && Put(payload);
  }

 private:
  bool Put(std::span<const BYTE> bytes) { return bytes.empty() || m_file.Write(bytes); }

  tolvar::kernel::AtomicFileWriter& m_file;
};

// One item of a media array as its section's payload.
std::vector<BYTE> MediaPayload(DWORD n, const MediaItem& item, const MediaItem* nameFrom) {
  std::vector<BYTE> payload;
  payload.reserve(38 + item.data.size());
  AppendU32(payload, n);
  payload.push_back(item.status);
  const auto& name = nameFrom ? nameFrom->name : item.name;
  payload.insert(payload.end(), name.begin(), name.end());
  AppendU32(payload, item.further1);
  AppendU32(payload, nameFrom ? nameFrom->further2 : item.further2);
  AppendU32(payload, static_cast<DWORD>(item.data.size()));
  payload.insert(payload.end(), item.data.begin(), item.data.end());
  return payload;
}

DWORD LastErrorOr(DWORD fallback) {
  const DWORD error = GetLastError();
  return error ? error : fallback;
}

}  // namespace

DWORD CPhoneBase::SaveDataFile(const char* path, int withSerial) {
  if (!path || !*path) return ERROR_INVALID_PARAMETER;
  tolvar::kernel::AtomicFileWriter file;
  if (!file.Open(path)) return LastErrorOr(ERROR_OPEN_FAILED);
  CSectionWriter out(file);
  std::vector<BYTE> bytes;
  const auto sections = [&]() -> bool {
    try {
      SetLastError(0);
      if (!out.Write(kVersion, TextPayload(kVersionText))) return false;
      std::vector<BYTE> type;
      AppendU32(type, static_cast<DWORD>(GetPhoneType()));
      if (!out.Write(kPhoneType, type) || !out.Write(kModel, TextPayload(m_model))) return false;
      if (withSerial && !out.Write(kSerial, TextPayload(m_serialNumber))) return false;
      if (m_kindMask & DATA_GROUPS) {
        if (!GetGroupNames(GetCapacity(0), GetCapacity(1), bytes) || !out.Write(kGroups, bytes)) return false;
      }
      if (m_kindMask & DATA_CONTACTS) {
        bytes.clear();
        for (const ContactEntry& entry : m_contacts) bytes.push_back(entry.used);
        if (!out.Write(kContactFlags, bytes)) return false;
        std::vector<BYTE> records, record;
        for (int slot = 0; slot < static_cast<int>(m_contacts.size()); ++slot) {
          if (!GetContactRecord(slot, record)) return false;
          records.insert(records.end(), record.begin(), record.end());
        }
        if (!out.Write(kContacts, records)) return false;
      }
      if (m_kindMask & DATA_SCHEDULE) {
        if (!GetScheduleUsedFlags(static_cast<int>(m_schedule.size()), bytes) || !out.Write(kScheduleFlags, bytes)) {
          return false;
        }
        std::vector<BYTE> records, record;
        for (int slot = 0; slot < static_cast<int>(m_schedule.size()); ++slot) {
          if (!GetScheduleRecord(slot, record)) return false;
          records.insert(records.end(), record.begin(), record.end());
        }
        if (!out.Write(kSchedule, records)) return false;
      }
      if (m_kindMask & DATA_TODO) {
        if (!GetToDoUsedFlags(static_cast<int>(m_toDo.size()), bytes) || !out.Write(kToDoFlags, bytes)) return false;
        std::vector<BYTE> records, record;
        for (int slot = 0; slot < static_cast<int>(m_toDo.size()); ++slot) {
          if (!GetToDoRecord(slot, record)) return false;
          records.insert(records.end(), record.begin(), record.end());
        }
        if (!out.Write(kToDo, records)) return false;
      }
      for (const MediaSection& media : kMediaSections) {
        if (!(m_kindMask & media.bit)) continue;
        const auto& items = MediaItems(media.array);
        for (std::size_t n = 0; n < items.size(); ++n) {
          if (!items[n].HoldsData()) continue;
          // Every item of C but the first goes with the array's name and number, held by item 0.
          const MediaItem* nameFrom = media.array == MediaArray::C && n > 0 ? &items[0] : nullptr;
          if (!out.Write(media.tag, MediaPayload(static_cast<DWORD>(n), items[n], nameFrom))) return false;
        }
      }
      if (m_kindMask & DATA_BLOBS) {
        for (const OwnedBlock& blob : m_blobs) {
          if (blob.owned && !out.Write(kBlob, blob.bytes)) return false;
        }
      }
      if (m_kindMask & DATA_RAW_BLOCKS) {
        // A block that holds nothing (never read, or released by an earlier save) has no section.
        if (m_raw1.owned && !out.Write(kRaw1, m_raw1.bytes)) return false;
        if (m_raw2.owned && !out.Write(kRaw2, m_raw2.bytes)) return false;
        for (const OwnedBlock& item : m_rawItems) {
          if (item.owned && !out.Write(kRawItem, item.bytes)) return false;
        }
      }
      return true;
    } catch (const std::bad_alloc&) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return false;
    }
  };
  if (!sections()) {
    const DWORD error = LastErrorOr(ERROR_WRITE_FAULT);
    file.Discard();
    return error;
  }
  if (!file.Commit()) return LastErrorOr(ERROR_WRITE_FAULT);
  if (m_kindMask & DATA_RAW_BLOCKS) {
    m_raw1.Release();
    m_raw2.Release();
    for (OwnedBlock& item : m_rawItems) item.Release();
  }
  return 0;
}

DWORD CPhoneBase::LoadDataFile(const char* path, int acceptSerial) {
  ClearSelectedKinds();
  SetLastError(0);
  m_version = kVersionText;
  std::vector<BYTE> image;
  {
    HANDLE file = CreateFileA(path ? path : "", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      const DWORD error = LastErrorOr(ERROR_FILE_NOT_FOUND);
      SetLastError(error);
      return error;
    }
    DWORD high = 0;
    const DWORD size = GetFileSize(file, &high);
    DWORD error = (size == INVALID_FILE_SIZE) ? GetLastError() : 0;
    if (!error && high != 0) error = ERROR_NOT_ENOUGH_MEMORY;
    if (!error) {
      try {
        image.resize(size);
      } catch (const std::bad_alloc&) {
        error = ERROR_NOT_ENOUGH_MEMORY;
      }
    }
    DWORD read = 0;
    if (!error && size > 0 && (!ReadFile(file, image.data(), size, &read, nullptr) || read != size)) {
      error = LastErrorOr(ERROR_READ_FAULT);
    }
    CloseHandle(file);
    if (error) {
      SetLastError(error);
      return error;
    }
  }
  DWORD result = 0;
  try {
    result = LoadSections(image, acceptSerial);
  } catch (const std::bad_alloc&) {
    result = ERROR_NOT_ENOUGH_MEMORY;
  }
  SetLastError(result);
  return result;
}

DWORD CPhoneBase::LoadSections(std::span<const BYTE> image, int acceptSerial) {
  struct Section {
    int tag;
    std::span<const BYTE> payload;
  };
  // The section at `at`: 0 and the section, or the error (a short header counts as a payload that
  // runs past the end).
  const auto next = [&image](std::size_t at, DWORD pastEnd, Section& section) -> DWORD {
    if (image.size() - at < 8) return pastEnd;
    const auto tag = static_cast<int32_t>(U32(image.subspan(at)));
    if (tag < 0 || tag > kMaxTag) return ERROR_DATAFILE_BAD_TAG;
    const DWORD length = U32(image.subspan(at + 4));
    if (length > image.size() - at - 8) return pastEnd;
    section = {tag, image.subspan(at + 8, length)};
    return 0;
  };

  // First pass: the version text, wherever its section stands.
  for (std::size_t at = 0; at < image.size();) {
    Section section;
    if (const DWORD error = next(at, ERROR_DATAFILE_TRUNCATED, section)) return error;
    if (section.tag == kVersion) {
      m_version = PayloadText(section.payload);
      break;
    }
    at += 8 + section.payload.size();
  }

  // Records of a section: every record is tried; the first failure is the section's result.
  const auto records = [](std::span<const BYTE> payload, std::size_t slots, std::size_t size, DWORD lengthError,
                          auto&& apply) -> DWORD {
    if (size == 0 || payload.size() != slots * size) return lengthError;
    DWORD failure = 0;
    for (std::size_t slot = 0; slot < slots; ++slot) {
      if (!apply(static_cast<int>(slot), payload.subspan(slot * size, size)) && !failure) {
        failure = LastErrorOr(ERROR_INVALID_DATA);
      }
    }
    return failure;
  };
  const auto size = [this](int parameter) { return static_cast<std::size_t>(std::max(GetCapacity(parameter), 0)); };
  const auto decoded = [](int ok) -> DWORD { return ok ? 0 : GetLastError(); };

  int rawItem = 0;
  for (std::size_t at = 0; at < image.size();) {
    Section section;
    if (const DWORD error = next(at, ERROR_DATAFILE_SECTION_END, section)) return error;
    at += 8 + section.payload.size();
    const std::span<const BYTE> payload = section.payload;
    DWORD error = 0;
    switch (section.tag) {
      case kGroups:
        if (m_kindMask & DATA_GROUPS) error = decoded(SetGroupNames(payload));
        break;
      case kContactFlags:
        if (m_kindMask & DATA_CONTACTS) error = decoded(SetContactUsedFlags(payload));
        break;
      case kContacts:
        if (m_kindMask & DATA_CONTACTS) {
          error = records(payload, m_contacts.size(), size(4), ERROR_DATAFILE_CONTACTS,
                          [this](int slot, std::span<const BYTE> r) { return SetContactRecord(slot, r); });
        }
        break;
      case kScheduleFlags:
        if (m_kindMask & DATA_SCHEDULE) error = decoded(SetScheduleUsedFlags(payload));
        break;
      case kSchedule:
        if (m_kindMask & DATA_SCHEDULE) {
          error = records(payload, m_schedule.size(), size(16), ERROR_DATAFILE_SCHEDULE,
                          [this](int slot, std::span<const BYTE> r) { return SetScheduleRecord(slot, r); });
        }
        break;
      case kToDoFlags:
        if (m_kindMask & DATA_TODO) error = decoded(SetToDoUsedFlags(payload));
        break;
      case kToDo:
        if (m_kindMask & DATA_TODO) {
          error = records(payload, m_toDo.size(), size(22), ERROR_DATAFILE_TODO,
                          [this](int slot, std::span<const BYTE> r) { return SetToDoRecord(slot, r); });
        }
        break;
      case kBlob:
        if (m_kindMask & DATA_BLOBS) m_blobs.push_back({1, std::vector<BYTE>(payload.begin(), payload.end())});
        break;
      case kMediaA:
      case kMediaB:
      case kMediaC:
      case kMediaD:
        for (const MediaSection& media : kMediaSections) {
          if (media.tag == section.tag && (m_kindMask & media.bit)) error = decoded(TakeMediaSection(media.array, payload));
        }
        break;
      case kSerial:
        m_serialNumber = PayloadText(payload);
        if (!acceptSerial) error = ERROR_DATAFILE_SERIAL;
        break;
      case kPhoneType:
        if (payload.size() < 4 || U32(payload) != static_cast<DWORD>(GetPhoneType())) error = ERROR_DATAFILE_OTHER_PHONE;
        break;
      case kModel:
        m_model = PayloadText(payload);
        break;
      case kRaw1:
        if (m_kindMask & DATA_RAW_BLOCKS) error = decoded(SetRawBlock1(payload));
        break;
      case kRaw2:
        if (m_kindMask & DATA_RAW_BLOCKS) error = decoded(SetRawBlock2(payload));
        break;
      case kRawItem:
        if (m_kindMask & DATA_RAW_BLOCKS) error = decoded(SetRawBlockItem(rawItem++, payload));
        break;
      default:
        break;
    }
    if (error) return error;
  }
  return 0;
}
