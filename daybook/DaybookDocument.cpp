// Writer and reader of the Daybook document. The layout is packed byte by byte here and nowhere
// else; the reader is a cursor over the file's bytes that refuses every read past the end.
#include "DaybookDocument.h"

#include <kernel/AtomicFile.h>
#include <kernel/Path.h>

#include <base/CodePage.h>
#include <base/LastError.h>
#include <base/WinError.h>

#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>

namespace daybook {
namespace {

constexpr std::array<std::pair<std::string_view, DocumentVersion>, 4> kMagics = {{
    {"PCHE1005", DocumentVersion::V1005},
    {"PCHE1006", DocumentVersion::V1006},
    {"PCHE1009", DocumentVersion::V1009},
    {"PCHE1014", DocumentVersion::V1014},
}};

// Sizes of the smallest record of each kind, so a count can be checked before the loop runs.
constexpr std::size_t kMinResourceEntry = 8 + 4 + 3 * 4 + 1 + 4 + 1;
constexpr std::size_t kMinLegacyEntry = 4 + 4;

class ByteWriter {
 public:
  void U8(unsigned value) { m_bytes.push_back(static_cast<BYTE>(value)); }
  void U16(unsigned value) {
    U8(value & 0xFF);
    U8((value >> 8) & 0xFF);
  }
  void U32(DWORD value) {
    for (int shift = 0; shift < 32; shift += 8) U8((value >> shift) & 0xFF);
  }
  void Text(const CString& text) {
    const std::string_view bytes(static_cast<LPCSTR>(text), static_cast<std::size_t>(text.GetLength()));
    U32(static_cast<DWORD>(bytes.size()));
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
  }
  void Time(const CTime& time) {
    SYSTEMTIME fields{};
    if (!time.GetAsSystemTime(fields)) fields = SYSTEMTIME{};  // an unset time is written as zeros
    U16(fields.wYear);
    U16(fields.wMonth);
    U16(fields.wDay);
    U16(fields.wHour);
    U16(fields.wMinute);
  }
  std::vector<BYTE> Take() { return std::move(m_bytes); }

 private:
  std::vector<BYTE> m_bytes;
};

class ByteReader {
 public:
  explicit ByteReader(std::span<const BYTE> bytes) : m_bytes(bytes) {}
  std::size_t Left() const { return m_bytes.size() - m_pos; }

  bool Bytes(std::size_t count, std::span<const BYTE>& out) {
    if (count > Left()) return false;
    out = m_bytes.subspan(m_pos, count);
    m_pos += count;
    return true;
  }
  bool U8(BYTE& value) {
    std::span<const BYTE> b;
    if (!Bytes(1, b)) return false;
    value = b[0];
    return true;
  }
  bool U16(WORD& value) {
    std::span<const BYTE> b;
    if (!Bytes(2, b)) return false;
    value = static_cast<WORD>(b[0] | (b[1] << 8));
    return true;
  }
  bool U32(DWORD& value) {
    std::span<const BYTE> b;
    if (!Bytes(4, b)) return false;
    value = DWORD{b[0]} | DWORD{b[1]} << 8 | DWORD{b[2]} << 16 | DWORD{b[3]} << 24;
    return true;
  }
  // A text whose count runs past the end, or which is longer than `limit` (when one is given),
  // stops the reading. The text ends at its first zero byte.
  bool Text(CString& text, std::optional<int> limit = std::nullopt) {
    DWORD count = 0;
    std::span<const BYTE> b;
    if (!U32(count) || !Bytes(count, b)) return false;
    std::string_view raw(reinterpret_cast<const char*>(b.data()), b.size());
    raw = raw.substr(0, raw.find('\0'));
    if (limit && raw.size() > static_cast<std::size_t>(std::max(*limit, 0))) return false;
    text = DocumentText(raw);
    return true;
  }
  bool Time(CTime& time) {
    WORD f[5];
    for (WORD& field : f) {
      if (!U16(field)) return false;
    }
    time = CTime(f[0], f[1], f[2], f[3], f[4], 0);
    return true;
  }
  // A slot count: 0 or negative as a signed number means none. Each slot takes at least
  // `minRecord` bytes, so a count the bytes left cannot hold stops the reading.
  bool Count(DWORD& count, std::size_t minRecord) {
    if (!U32(count)) return false;
    if (static_cast<LONG>(count) <= 0) count = 0;
    return count <= Left() / minRecord;
  }

 private:
  std::span<const BYTE> m_bytes;
  std::size_t m_pos = 0;
};

// ---- writing ----

void WriteGroups(ByteWriter& out, CManager& manager, const GroupDefaults& defaults) {
  out.U32(kGroupCount + 1);
  for (short n = 1; n <= kGroupCount; ++n) {
    PA_GROUP_INFO group;
    manager.PA_GetGroup(&group, n);
    out.U8(group.bExists);
    out.U8(0);
    out.Text(group.strName);
    const GroupDefault& d = defaults[n];
    out.U32(d.set);
    if (d.set != 0) {
      out.U32(d.melodyId);
      out.U32(d.pictureId);
      out.U32(d.light);
    }
  }
}

void WriteContacts(ByteWriter& out, CManager& manager) {
  out.U32(kContactSlots);
  for (short slot = 0; slot < kContactSlots; ++slot) {
    PA_PHONEBOOK_INFO c;
    manager.PA_GetPhoneBook(&c, slot);
    out.U8(c.bValid);
    if (!c.bValid) continue;
    out.U8(c.bReserved3);
    out.Text(c.strName);
    for (const CString& number : c.strNumber) out.Text(number);
    for (const CString& email : c.strEmail) out.Text(email);
    for (const CString& text : c.strText) out.Text(text);
    out.U8(c.bGroup);
    out.U8(c.bChoice);
    out.U8(c.bReserved4);
    out.U8(c.bReserved5);
    out.U32(c.dwPictureId);
    out.U32(c.dwMelodyId);
    out.U32(c.dwReserved6);
    out.U32(c.dwReserved7);
    out.Text(c.strReserved1);
    out.Text(c.strReserved2);
    out.U16(c.wPhoneFlag);
    out.Text(c.strReading);
    out.Text(c.strReserved3);
  }
}

void WriteSchedule(ByteWriter& out, CManager& manager) {
  out.U32(kScheduleSlots);
  for (short slot = 0; slot < kScheduleSlots; ++slot) {
    PA_SCHEDULE_INFO s;
    manager.PA_GetSchedule(&s, slot);
    out.U32(s.bValid ? s.dwMelodyId : 0);
    out.U32(0);
    out.U8(s.bValid);
    if (!s.bValid) continue;
    out.U8(s.bReserved3);
    out.Text(s.strDescription);
    out.Time(s.tmStart);
    out.U8(s.bAlarm);
    out.U8(s.bRepeat);
    out.Text(s.strReserved);
    out.U8(s.bReserved4);
    out.U8(s.bPrivate);
  }
}

void WriteToDo(ByteWriter& out, CManager& manager) {
  out.U32(kToDoSlots);
  for (short slot = 0; slot < kToDoSlots; ++slot) {
    PA_TODO_INFO t;
    manager.PA_GetToDo(&t, slot);
    out.U32(t.dwReserved1);
    out.U32(t.dwReserved2);
    out.U8(t.bValid);
    if (!t.bValid) continue;
    out.U8(t.bReserved3);
    out.Text(t.strDescription);
    out.Time(t.tmStart);
    out.Time(t.tmDue);
    out.U8(t.bStatus);
    out.U8(t.bPriority);
    out.U8(t.bCategory);
    out.U8(t.bPrivate);
  }
}

void WriteResources(ByteWriter& out, CManager& manager, short type) {
  short count = 0;
  if (manager.PA_GetNumResourcesList(&count, type) != PA_OK || count < 0) count = 0;
  std::vector<PA_RESOURCE_INFO> list(static_cast<std::size_t>(count));
  if (count > 0) manager.PA_GetResourceList(static_cast<unsigned short>(type), list.data());
  out.U16(static_cast<unsigned>(count));
  for (const PA_RESOURCE_INFO& r : list) {
    out.U32(r.dwReserved1);
    out.U32(r.dwReserved2);
    out.U8(r.bReserved3);
    out.U8(r.bReserved4);
    out.U8(r.dwIndex & 0xFF);   // the document keeps the low bytes only
    out.U8(r.dwFileId & 0xFF);
    out.Text(r.strTitle);
    out.Text(r.strFileName);
    out.Text(r.strDisplayName);
    out.U8(r.dwReserved5 & 0xFF);
    out.U32(r.dwSize);
    out.U8(r.dwFolderId & 0xFF);
  }
}

// ---- reading ----

class DocumentReader {
 public:
  DocumentReader(std::span<const BYTE> bytes, IDocumentStore& store, GroupDefaults& defaults)
      : m_in(bytes), m_store(store), m_defaults(defaults) {}

  ReadResult Run() {
    ReadResult result;
    std::span<const BYTE> magic;
    if (!m_in.Bytes(8, magic)) {
      result.status = ReadStatus::Refused;
      return result;
    }
    const std::string_view text(reinterpret_cast<const char*>(magic.data()), magic.size());
    const auto* found = std::find_if(kMagics.begin(), kMagics.end(), [&](const auto& m) { return m.first == text; });
    if (found == kMagics.end()) {
      result.status = ReadStatus::Refused;
      return result;
    }
    m_version = found->second;
    result.version = m_version;
    const bool whole = Groups() && Contacts() && LegacyLists() && Schedule() && ToDo() && Resources();
    result.status = whole ? ReadStatus::Read : ReadStatus::Stopped;
    result.refusedRecords = m_refused;
    return result;
  }

 private:
  void Count(PA_RESULT put) {
    if (put == PA_EMPTY_SLOT) ++m_refused;
  }

  bool Groups() {
    DWORD count = 0;
    if (!m_in.Count(count, 1 + 1 + 4 + 4)) return false;
    const int nameLimit = m_store.GroupNameLimit();
    for (DWORD n = 1; n < count; ++n) {
      BYTE exists = 0, reserved = 0;
      PA_GROUP_INFO group;
      GroupDefault d;
      if (!m_in.U8(exists) || !m_in.U8(reserved) || !m_in.Text(group.strName, nameLimit) || !m_in.U32(d.set)) {
        return false;
      }
      if (d.set != 0 && !(m_in.U32(d.melodyId) && m_in.U32(d.pictureId) && m_in.U32(d.light))) return false;
      group.bExists = exists;
      if (n <= kGroupCount) {
        Count(m_store.PutGroup(group, static_cast<short>(n)));
        if (d.set != 0) m_defaults[n] = d;
      }
    }
    return true;
  }

  bool Contacts() {
    DWORD count = 0;
    if (!m_in.Count(count, 1)) return false;
    const int nameLimit = m_store.ContactFieldLimit(PA_CONTACT_NAME);
    const int numberLimit = m_store.ContactFieldLimit(PA_CONTACT_NUMBER1);
    const int emailLimit = m_store.ContactFieldLimit(PA_CONTACT_TEXT1);
    const int textLimit = m_store.ContactFieldLimit(PA_CONTACT_EMAIL1);
    const int readingLimit = m_store.ContactFieldLimit(PA_CONTACT_READING);
    const bool older = m_version == DocumentVersion::V1005 || m_version == DocumentVersion::V1006;
    for (DWORD slot = 0; slot < count; ++slot) {
      PA_PHONEBOOK_INFO c;
      if (!m_in.U8(c.bValid)) return false;
      if (!c.bValid) continue;
      if (!m_in.U8(c.bReserved3) || !m_in.Text(c.strName, nameLimit)) return false;
      for (CString& number : c.strNumber) {
        if (!m_in.Text(number, numberLimit)) return false;
      }
      for (CString& email : c.strEmail) {
        if (!m_in.Text(email, emailLimit)) return false;
      }
      for (CString& text : c.strText) {
        if (!m_in.Text(text, textLimit)) return false;
      }
      if (!m_in.U8(c.bGroup)) return false;
      if (older) {
        BYTE picture = 0, melody = 0, flag = 0;
        if (!m_in.U8(c.bChoice) || !m_in.U8(picture) || !m_in.U8(melody) || !m_in.Text(c.strReserved1) ||
            !m_in.Text(c.strReserved2) || !m_in.U8(flag)) {
          return false;
        }
        c.dwPictureId = picture;
        c.dwMelodyId = melody;
        c.wPhoneFlag = flag;
      } else {
        if (!m_in.U8(c.bChoice) || !m_in.U8(c.bReserved4) || !m_in.U8(c.bReserved5) || !m_in.U32(c.dwPictureId) ||
            !m_in.U32(c.dwMelodyId) || !m_in.U32(c.dwReserved6) || !m_in.U32(c.dwReserved7) ||
            !m_in.Text(c.strReserved1) || !m_in.Text(c.strReserved2) || !m_in.U16(c.wPhoneFlag)) {
          return false;
        }
      }
      if (!m_in.Text(c.strReading, readingLimit) || !m_in.Text(c.strReserved3)) return false;
      if (slot < kContactSlots) Count(m_store.PutContact(c, static_cast<short>(slot)));
    }
    return true;
  }

  bool LegacyLists() {
    if (m_version != DocumentVersion::V1006 && m_version != DocumentVersion::V1009) return true;
    for (int list = 0; list < 2; ++list) {
      DWORD count = 0;
      if (!m_in.Count(count, kMinLegacyEntry)) return false;
      for (DWORD i = 0; i < count; ++i) {
        CString dropped;
        DWORD value = 0;
        if (!m_in.Text(dropped) || !m_in.U32(value)) return false;
      }
    }
    return true;
  }

  bool Schedule() {
    DWORD count = 0;
    if (!m_in.Count(count, 9)) return false;
    for (DWORD slot = 0; slot < count; ++slot) {
      PA_SCHEDULE_INFO s;
      DWORD reserved = 0;
      if (!m_in.U32(s.dwMelodyId) || !m_in.U32(reserved) || !m_in.U8(s.bValid)) return false;
      if (!s.bValid) continue;
      if (!m_in.U8(s.bReserved3) || !m_in.Text(s.strDescription) || !m_in.Time(s.tmStart) || !m_in.U8(s.bAlarm) ||
          !m_in.U8(s.bRepeat) || !m_in.Text(s.strReserved) || !m_in.U8(s.bReserved4) || !m_in.U8(s.bPrivate)) {
        return false;
      }
      if (slot < kScheduleSlots) Count(m_store.PutSchedule(s, static_cast<short>(slot)));
    }
    return true;
  }

  bool ToDo() {
    DWORD count = 0;
    if (!m_in.Count(count, 9)) return false;
    for (DWORD slot = 0; slot < count; ++slot) {
      PA_TODO_INFO t;
      if (!m_in.U32(t.dwReserved1) || !m_in.U32(t.dwReserved2) || !m_in.U8(t.bValid)) return false;
      if (!t.bValid) continue;
      if (!m_in.U8(t.bReserved3) || !m_in.Text(t.strDescription) || !m_in.Time(t.tmStart) || !m_in.Time(t.tmDue) ||
          !m_in.U8(t.bStatus) || !m_in.U8(t.bPriority) || !m_in.U8(t.bCategory) || !m_in.U8(t.bPrivate)) {
        return false;
      }
      if (slot < kToDoSlots) Count(m_store.PutToDo(t, static_cast<short>(slot)));
    }
    return true;
  }

  bool Resources() {
    if (m_version != DocumentVersion::V1014) return true;
    for (unsigned short type = 0; type < 2; ++type) {
      WORD count = 0;
      if (!m_in.U16(count) || count > m_in.Left() / kMinResourceEntry) return false;
      std::vector<PA_RESOURCE_INFO> list(count);
      for (PA_RESOURCE_INFO& r : list) {
        BYTE index = 0, fileId = 0, value = 0, folder = 0;
        if (!m_in.U32(r.dwReserved1) || !m_in.U32(r.dwReserved2) || !m_in.U8(r.bReserved3) ||
            !m_in.U8(r.bReserved4) || !m_in.U8(index) || !m_in.U8(fileId) || !m_in.Text(r.strTitle) ||
            !m_in.Text(r.strFileName) || !m_in.Text(r.strDisplayName) || !m_in.U8(value) || !m_in.U32(r.dwSize) ||
            !m_in.U8(folder)) {
          return false;
        }
        r.dwIndex = index;
        r.dwFileId = fileId;
        r.dwReserved5 = value;
        r.dwFolderId = folder;
      }
      if (count > 0) m_store.PutResources(type, list);
    }
    return true;
  }

  ByteReader m_in;
  IDocumentStore& m_store;
  GroupDefaults& m_defaults;
  DocumentVersion m_version = DocumentVersion::V1014;
  int m_refused = 0;
};

}  // namespace

CString DocumentText(std::string_view bytes) {
  if (bytes.empty()) return CString();
  const int size = static_cast<int>(bytes.size());
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0) > 0) {
    return CString(bytes.data(), size);
  }
  std::vector<WCHAR> wide(bytes.size());
  const int units = MultiByteToWideChar(CP_WINDOWS_1252, 0, bytes.data(), size, wide.data(), size);
  if (units <= 0) return CString();
  const int needed = WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(std::max(needed, 0)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, utf8.data(), needed, nullptr, nullptr);
  return CString(utf8.data(), static_cast<int>(utf8.size()));
}

std::vector<BYTE> WriteDaybookBytes(CManager& manager, const GroupDefaults& defaults) {
  ByteWriter out;
  for (char ch : kMagics.back().first) out.U8(static_cast<unsigned char>(ch));
  WriteGroups(out, manager, defaults);
  WriteContacts(out, manager);
  WriteSchedule(out, manager);
  WriteToDo(out, manager);
  WriteResources(out, manager, 0);
  WriteResources(out, manager, 1);
  return out.Take();
}

bool WriteDaybookFile(std::string_view path, CManager& manager, const GroupDefaults& defaults) {
  const std::vector<BYTE> bytes = WriteDaybookBytes(manager, defaults);
  return tolvar::kernel::WriteFileAtomically(path, bytes);
}

ReadResult ReadDaybookBytes(std::span<const BYTE> bytes, IDocumentStore& store, GroupDefaults& defaults) {
  return DocumentReader(bytes, store, defaults).Run();
}

ReadResult ReadDaybookBytes(std::span<const BYTE> bytes, CManager& manager, GroupDefaults& defaults) {
  ManagerDocumentStore store(manager);
  return ReadDaybookBytes(bytes, store, defaults);
}

ReadResult ReadDaybookFile(std::string_view path, CManager& manager, GroupDefaults& defaults) {
  std::ifstream file(tolvar::kernel::ToHostPath(path), std::ios::binary);
  if (!file) return {};
  std::vector<BYTE> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) return {};
  return ReadDaybookBytes(bytes, manager, defaults);
}

}  // namespace daybook
