// The backup file's framing, header and the record encoders and decoders.
//
// Payloads are laid out and taken apart field by field through two small cursors: the writer grows
// the record buffer as it goes, the reader fails (and stays failed) as soon as a field would run past
// the payload, so a decoder never trusts a count the file claims.
#include "BackupArchive.h"

#include <kernel/Path.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

namespace {

constexpr std::size_t kFrameHead = 5;  // u32 payload length, u8 type
constexpr std::size_t kLabelOffset = 4;
constexpr std::size_t kKindsOffset = 68;
constexpr std::size_t kIdentityOffset = 72;

void PutU32(BYTE* at, DWORD value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<BYTE>(value >> (8 * i));
}
DWORD GetU32(const BYTE* at) {
  return DWORD{at[0]} | DWORD{at[1]} << 8 | DWORD{at[2]} << 16 | DWORD{at[3]} << 24;
}

// Lays a payload out behind the frame head in the record buffer.
class PayloadWriter {
 public:
  explicit PayloadWriter(std::vector<BYTE>& buffer) : m_buffer(buffer) { m_size = kFrameHead; }

  void U8(DWORD value) { Put(&value, 1); }
  void U16(DWORD value) { Put(&value, 2); }
  void U32(DWORD value) { Put(&value, 4); }
  void Time(const CTime& time) { U32(static_cast<DWORD>(static_cast<std::int32_t>(time.GetTime()))); }
  void String(const CString& text) {
    const auto length = static_cast<std::size_t>(text.GetLength());
    if (length > 0xFFFF) {
      m_tooLong = true;
      return;
    }
    U16(static_cast<DWORD>(length));
    Bytes(reinterpret_cast<const BYTE*>(static_cast<LPCSTR>(text)), length);
  }
  void Bytes(const BYTE* data, std::size_t size) {
    Reserve(size);
    if (size) std::memcpy(m_buffer.data() + m_size, data, size);
    m_size += size;
  }
  bool TooLong() const { return m_tooLong; }
  std::size_t Size() const { return m_size; }

 private:
  void Put(const DWORD* value, int width) {
    Reserve(4);
    for (int i = 0; i < width; ++i) m_buffer[m_size + static_cast<std::size_t>(i)] = static_cast<BYTE>(*value >> (8 * i));
    m_size += static_cast<std::size_t>(width);
  }
  void Reserve(std::size_t more) {
    if (m_buffer.size() < m_size + more) m_buffer.resize(std::max(m_buffer.size() * 2, m_size + more));
  }

  std::vector<BYTE>& m_buffer;
  std::size_t m_size = 0;
  bool m_tooLong = false;
};

// Reads a payload's fields; once a field runs past the end every later read gives zero and Ok()
// stays false.
class PayloadReader {
 public:
  explicit PayloadReader(std::span<const BYTE> payload) : m_bytes(payload) {}

  DWORD U8() { return Get(1); }
  DWORD U16() { return Get(2); }
  DWORD U32() { return Get(4); }
  CTime Time() { return CTime(static_cast<time_t>(static_cast<std::int32_t>(U32()))); }
  CString String() {
    const std::size_t length = U16();
    const BYTE* at = Take(length);
    return at ? CString(reinterpret_cast<LPCSTR>(at), static_cast<int>(length)) : CString();
  }
  // n bytes, or null when the payload holds fewer.
  const BYTE* Take(std::size_t size) {
    if (!m_ok || size > m_bytes.size() - m_position) {
      m_ok = false;
      return nullptr;
    }
    const BYTE* at = m_bytes.data() + m_position;
    m_position += size;
    return at;
  }
  bool Ok() const { return m_ok; }

 private:
  DWORD Get(std::size_t width) {
    const BYTE* at = Take(width);
    DWORD value = 0;
    for (std::size_t i = 0; at && i < width; ++i) value |= DWORD{at[i]} << (8 * i);
    return value;
  }

  std::span<const BYTE> m_bytes;
  std::size_t m_position = 0;
  bool m_ok = true;
};

// The data bytes of a record, copied into a buffer the caller's record then owns.
std::unique_ptr<BYTE[]> CopyData(const BYTE* bytes, std::size_t size) {
  auto data = std::make_unique<BYTE[]>(std::max<std::size_t>(size, 1));
  if (size) std::memcpy(data.get(), bytes, size);
  return data;
}

void CopyBounded(BYTE* to, const char* text, std::size_t maxChars) {
  if (!text) return;
  const std::size_t length = strnlen(text, maxChars);
  std::memcpy(to, text, length);
}

template <typename Message>
void EncodeMessage(PayloadWriter& out, const Message& message) {
  out.U32(message.dwBox);
  out.U32(message.dwFolder);
  out.U32(message.dwLength);
  out.Bytes(message.pData, message.pData ? message.dwLength : 0);
}

template <typename Message>
BYTE DecodeMessage(std::span<const BYTE> payload, Message& message, std::unique_ptr<BYTE[]>& data) {
  PayloadReader in(payload);
  const DWORD box = in.U32();
  const DWORD index = in.U32();
  const DWORD length = in.U32();
  const BYTE* bytes = in.Take(length);
  if (!in.Ok()) return BCK_DAMAGED;
  data = CopyData(bytes, length);
  message.dwValid = 1;
  message.dwBox = box;
  message.dwFolder = index;
  message.dwLength = length;
  message.pData = data.get();
  return BCK_OK;
}

}  // namespace

CBackupArchive::CBackupArchive() : m_buffer(kInitialBuffer) { PutU32(m_header.data(), kMagic); }

CBackupArchive::~CBackupArchive() { Discard(); }

DWORD CBackupArchive::GetKinds() const { return GetU32(m_header.data() + kKindsOffset); }

CString CBackupArchive::GetIdentity() const {
  const char* text = reinterpret_cast<const char*>(m_header.data() + kIdentityOffset);
  return CString(text, static_cast<int>(strnlen(text, kIdentityChars + 1)));
}

CString CBackupArchive::GetLabel() const {
  const char* text = reinterpret_cast<const char*>(m_header.data() + kLabelOffset);
  return CString(text, static_cast<int>(strnlen(text, kLabelChars + 1)));
}

BYTE CBackupArchive::Open(const char* path) {
  if (m_state != 0) return BCK_ALREADY_OPEN;
  if (!path) return BCK_CANNOT_OPEN;
  m_file = std::fopen(tolvar::kernel::ToHostPath(path).c_str(), "rb");
  if (!m_file) return BCK_CANNOT_OPEN;
  std::array<BYTE, kHeaderSize> header{};
  const bool whole = std::fread(header.data(), 1, header.size(), m_file) == header.size();
  long size = -1;
  if (whole && std::fseek(m_file, 0, SEEK_END) == 0) size = std::ftell(m_file);
  if (!whole || GetU32(header.data()) != kMagic || size < static_cast<long>(kHeaderSize) ||
      std::fseek(m_file, static_cast<long>(kHeaderSize), SEEK_SET) != 0) {
    std::fclose(m_file);
    m_file = nullptr;
    return BCK_NOT_BACKUP;
  }
  m_header = header;
  m_left = static_cast<std::uint64_t>(size) - kHeaderSize;
  m_readEnd = BCK_OK;
  m_payloadLength = 0;
  m_recordType = 0;
  m_state = 1;
  return BCK_OK;
}

BYTE CBackupArchive::Create(const char* path, const char* label, DWORD kinds, const char* identity) {
  if (m_state != 0) return BCK_ALREADY_OPEN;
  if (!path || !m_writer.Open(path)) return BCK_CANNOT_CREATE;
  m_header.fill(0);
  PutU32(m_header.data(), kMagic);
  CopyBounded(m_header.data() + kLabelOffset, label, kLabelChars);
  PutU32(m_header.data() + kKindsOffset, kinds);
  CopyBounded(m_header.data() + kIdentityOffset, identity, kIdentityChars);
  if (!m_writer.Write(m_header.data(), m_header.size())) {
    m_writer.Discard();
    return BCK_CANNOT_CREATE;
  }
  m_writeFailed = false;
  m_state = 2;
  return BCK_OK;
}

void CBackupArchive::CloseReader() {
  if (m_file) std::fclose(m_file);
  m_file = nullptr;
}

BYTE CBackupArchive::Close() {
  switch (m_state) {
    case 1:
      CloseReader();
      m_state = 0;
      return BCK_OK;
    case 2: {
      m_state = 0;
      if (m_writeFailed) {
        m_writer.Discard();
        return BCK_WRITE_FAILED;
      }
      return m_writer.Commit() ? BCK_OK : BCK_WRITE_FAILED;
    }
    default:
      return BCK_NOT_OPEN;
  }
}

void CBackupArchive::Discard() {
  CloseReader();
  m_writer.Discard();
  m_state = 0;
}

BYTE CBackupArchive::ReadRecord(BYTE* type) {
  if (m_state != 1) return BCK_NOT_OPEN;
  if (m_readEnd != BCK_OK) return m_readEnd;
  m_payloadLength = 0;
  if (m_left == 0) return m_readEnd = BCK_END;
  BYTE head[kFrameHead];
  if (m_left < kFrameHead || std::fread(head, 1, kFrameHead, m_file) != kFrameHead) return m_readEnd = BCK_DAMAGED;
  m_left -= kFrameHead;
  const DWORD length = GetU32(head);
  if (length > kMaxPayload || length > m_left) return m_readEnd = BCK_DAMAGED;
  if (m_buffer.size() < length) m_buffer.resize(length);
  if (std::fread(m_buffer.data(), 1, length, m_file) != length) return m_readEnd = BCK_DAMAGED;
  m_left -= length;
  m_payloadLength = length;
  m_recordType = head[4];
  if (type) *type = m_recordType;
  return BCK_OK;
}

BYTE CBackupArchive::WriteRecord(BYTE type, std::span<const BYTE> payload, std::span<const BYTE> tail) {
  if (m_state != 2) return BCK_NOT_OPEN;
  if (m_writeFailed) return BCK_WRITE_FAILED;
  const std::size_t length = payload.size() + tail.size();
  if (length > kMaxPayload) return BCK_WRITE_FAILED;
  BYTE head[kFrameHead];
  PutU32(head, static_cast<DWORD>(length));
  head[4] = type;
  if (!m_writer.Write(head, kFrameHead) || (!payload.empty() && !m_writer.Write(payload.data(), payload.size())) ||
      (!tail.empty() && !m_writer.Write(tail.data(), tail.size()))) {
    m_writeFailed = true;
    return BCK_WRITE_FAILED;
  }
  return BCK_OK;
}

namespace {

// The payload was laid out behind room for a frame head at the start of the record buffer.
BYTE WriteLaidOut(CBackupArchive& archive, std::vector<BYTE>& buffer, const PayloadWriter& out, BYTE type,
                  std::span<const BYTE> tail = {}) {
  if (out.TooLong()) return archive.GetState() == 2 ? BCK_WRITE_FAILED : BCK_NOT_OPEN;
  return archive.WriteRecord(type, std::span<const BYTE>(buffer.data() + kFrameHead, out.Size() - kFrameHead), tail);
}

}  // namespace

BYTE CBackupArchive::WriteMessage(const PA_MESSAGE_INFO& message) {
  PayloadWriter out(m_buffer);
  EncodeMessage(out, message);
  return WriteLaidOut(*this, m_buffer, out, BRT_MESSAGE);
}

BYTE CBackupArchive::WriteIModeMessage(const PA_IMODE_INFO& mail) {
  PayloadWriter out(m_buffer);
  EncodeMessage(out, mail);
  return WriteLaidOut(*this, m_buffer, out, BRT_IMODE_MESSAGE);
}

BYTE CBackupArchive::WriteGroup(BYTE number, const CString& name) {
  PayloadWriter out(m_buffer);
  out.U8(number);
  out.String(name);
  return WriteLaidOut(*this, m_buffer, out, BRT_GROUP);
}

BYTE CBackupArchive::WriteContact(const PA_PHONEBOOK_INFO& contact) {
  PayloadWriter out(m_buffer);
  out.String(contact.strName);
  for (const CString& number : contact.strNumber) out.String(number);
  for (const CString& email : contact.strEmail) out.String(email);
  for (const CString& text : contact.strText) out.String(text);
  out.U8(contact.bGroup);
  out.U8(contact.bChoice);
  out.U8(contact.bReserved4);
  out.U8(contact.bReserved5);
  out.U32(contact.dwPictureId);
  out.U32(contact.dwMelodyId);
  out.U32(contact.dwReserved6);
  out.U32(contact.dwReserved7);
  out.String(contact.strReserved1);
  out.String(contact.strReserved2);
  out.U16(contact.wPhoneFlag);
  out.String(contact.strReading);
  out.String(contact.strReserved3);
  out.String(contact.strReserved4);
  out.String(contact.strReserved5);
  out.U16(contact.dwReserved8 & 0xFFFF);
  return WriteLaidOut(*this, m_buffer, out, BRT_CONTACT);
}

BYTE CBackupArchive::WriteToDo(const PA_TODO_INFO& item) {
  PayloadWriter out(m_buffer);
  out.String(item.strDescription);
  out.Time(item.tmStart);
  out.Time(item.tmDue);
  out.U8(item.bStatus);
  out.U8(item.bPriority);
  out.U8(item.bCategory);
  out.U8(item.bPrivate);
  out.U16(item.bReserved4);
  return WriteLaidOut(*this, m_buffer, out, BRT_TODO);
}

BYTE CBackupArchive::WriteResource(const PA_RESOURCE_INFO& resource) {
  if (resource.dwSize != 0 && !resource.pData) return m_state == 2 ? BCK_WRITE_FAILED : BCK_NOT_OPEN;
  PayloadWriter out(m_buffer);
  out.U32(resource.dwIndex);
  out.U32(resource.dwFileId);
  out.String(resource.strTitle);
  out.String(resource.strFileName);
  out.String(resource.strDisplayName);
  out.U32(resource.dwReserved5);
  out.U32(resource.dwSize);
  out.U32(resource.dwFolderId);
  out.U32(resource.dwReserved6);
  // The file's bytes go out behind the fixed part, without a copy into the record buffer.
  return WriteLaidOut(*this, m_buffer, out, BRT_RESOURCE, std::span<const BYTE>(resource.pData, resource.dwSize));
}

BYTE CBackupArchive::WriteFolder(const PA_FOLDER_INFO& folder) {
  PayloadWriter out(m_buffer);
  out.U32(folder.dwNumber);
  out.U32(folder.dwType);
  out.String(folder.strName);
  out.U32(static_cast<DWORD>(folder.lFolderId));
  out.U32(folder.dwReserved);
  return WriteLaidOut(*this, m_buffer, out, BRT_FOLDER);
}

BYTE CBackupArchive::WriteSchedule(const PA_SCHEDULE_INFO& entry) {
  PayloadWriter out(m_buffer);
  out.String(entry.strDescription);
  out.Time(entry.tmStart);
  out.U8(entry.bAlarm);
  out.U8(entry.bRepeat);
  out.String(entry.strReserved);
  out.U8(entry.bReserved4);
  out.U8(entry.bPrivate);
  out.String(entry.strMelodyName);
  out.U16(static_cast<WORD>(entry.sReserved5));
  out.U32(entry.dwMelodyId);
  return WriteLaidOut(*this, m_buffer, out, BRT_SCHEDULE);
}

// --- decoders ---

BYTE CBackupArchive::ReadMessage(PA_MESSAGE_INFO& message, std::unique_ptr<BYTE[]>& data) {
  if (m_recordType != BRT_MESSAGE) return BCK_OTHER_TYPE;
  return DecodeMessage(GetPayload(), message, data);
}

BYTE CBackupArchive::ReadIModeMessage(PA_IMODE_INFO& mail, std::unique_ptr<BYTE[]>& data) {
  if (m_recordType != BRT_IMODE_MESSAGE) return BCK_OTHER_TYPE;
  return DecodeMessage(GetPayload(), mail, data);
}

BYTE CBackupArchive::ReadGroup(BYTE& number, CString& name) {
  if (m_recordType != BRT_GROUP) return BCK_OTHER_TYPE;
  PayloadReader in(GetPayload());
  const auto value = static_cast<BYTE>(in.U8());
  CString text = in.String();
  if (!in.Ok()) return BCK_DAMAGED;
  number = value;
  name = text;
  return BCK_OK;
}

BYTE CBackupArchive::ReadContact(PA_PHONEBOOK_INFO& contact) {
  if (m_recordType != BRT_CONTACT) return BCK_OTHER_TYPE;
  PayloadReader in(GetPayload());
  PA_PHONEBOOK_INFO read = contact;
  read.strName = in.String();
  for (CString& number : read.strNumber) number = in.String();
  for (CString& email : read.strEmail) email = in.String();
  for (CString& text : read.strText) text = in.String();
  read.bGroup = static_cast<BYTE>(in.U8());
  read.bChoice = static_cast<BYTE>(in.U8());
  read.bReserved4 = static_cast<BYTE>(in.U8());
  read.bReserved5 = static_cast<BYTE>(in.U8());
  read.dwPictureId = in.U32();
  read.dwMelodyId = in.U32();
  read.dwReserved6 = in.U32();
  read.dwReserved7 = in.U32();
  read.strReserved1 = in.String();
  read.strReserved2 = in.String();
  read.wPhoneFlag = static_cast<WORD>(in.U16());
  read.strReading = in.String();
  read.strReserved3 = in.String();
  read.strReserved4 = in.String();
  read.strReserved5 = in.String();
  read.dwReserved8 = (read.dwReserved8 & 0xFFFF0000u) | in.U16();
  if (!in.Ok()) return BCK_DAMAGED;
  read.bValid = 1;
  contact = std::move(read);
  return BCK_OK;
}

BYTE CBackupArchive::ReadSchedule(PA_SCHEDULE_INFO& entry) {
  if (m_recordType != BRT_SCHEDULE && m_recordType != BRT_SCHEDULE_SHORT) return BCK_OTHER_TYPE;
  PayloadReader in(GetPayload());
  PA_SCHEDULE_INFO read = entry;
  read.strDescription = in.String();
  read.tmStart = in.Time();
  read.bAlarm = static_cast<BYTE>(in.U8());
  read.bRepeat = static_cast<BYTE>(in.U8());
  read.strReserved = in.String();
  read.bReserved4 = static_cast<BYTE>(in.U8());
  read.bPrivate = static_cast<BYTE>(in.U8());
  read.strMelodyName = in.String();
  read.sReserved5 = static_cast<SHORT>(static_cast<WORD>(in.U16()));
  read.dwMelodyId = m_recordType == BRT_SCHEDULE ? in.U32() : 0;
  if (!in.Ok()) return BCK_DAMAGED;
  read.bValid = 1;
  entry = std::move(read);
  return BCK_OK;
}

BYTE CBackupArchive::ReadToDo(PA_TODO_INFO& item) {
  if (m_recordType != BRT_TODO) return BCK_OTHER_TYPE;
  PayloadReader in(GetPayload());
  PA_TODO_INFO read = item;
  read.strDescription = in.String();
  read.tmStart = in.Time();
  read.tmDue = in.Time();
  read.bStatus = static_cast<BYTE>(in.U8());
  read.bPriority = static_cast<BYTE>(in.U8());
  read.bCategory = static_cast<BYTE>(in.U8());
  read.bPrivate = static_cast<BYTE>(in.U8());
  read.bReserved4 = static_cast<BYTE>(in.U16());
  if (!in.Ok()) return BCK_DAMAGED;
  read.bValid = 1;
  item = std::move(read);
  return BCK_OK;
}

BYTE CBackupArchive::ReadResource(PA_RESOURCE_INFO& resource, std::unique_ptr<BYTE[]>& data) {
  if (m_recordType != BRT_RESOURCE && m_recordType != BRT_RESOURCE_ALT) return BCK_OTHER_TYPE;
  // The older form keeps the numbers in single bytes and the media kind in two.
  const bool wide = m_recordType == BRT_RESOURCE;
  PayloadReader in(GetPayload());
  PA_RESOURCE_INFO read = resource;
  read.dwIndex = wide ? in.U32() : in.U8();
  read.dwFileId = wide ? in.U32() : in.U8();
  read.strTitle = in.String();
  read.strFileName = in.String();
  read.strDisplayName = in.String();
  read.dwReserved5 = wide ? in.U32() : in.U8();
  read.dwSize = in.U32();
  read.dwFolderId = wide ? in.U32() : in.U8();
  read.dwReserved6 = wide ? in.U32() : in.U16();
  const BYTE* bytes = in.Take(read.dwSize);
  if (!in.Ok()) return BCK_DAMAGED;
  if (read.dwSize) {
    data = CopyData(bytes, read.dwSize);
    read.pData = data.get();
  } else {
    data.reset();
    read.pData = nullptr;
  }
  resource = std::move(read);
  return BCK_OK;
}

BYTE CBackupArchive::ReadFolder(PA_FOLDER_INFO& folder) {
  if (m_recordType != BRT_FOLDER && m_recordType != BRT_FOLDER_ALT) return BCK_OTHER_TYPE;
  const bool wide = m_recordType == BRT_FOLDER;
  PayloadReader in(GetPayload());
  PA_FOLDER_INFO read = folder;
  read.dwNumber = wide ? in.U32() : in.U8();
  read.dwType = wide ? in.U32() : in.U8();
  read.strName = in.String();
  read.lFolderId = static_cast<LONG>(wide ? in.U32() : in.U8());
  read.dwReserved = wide ? in.U32() : in.U16();
  if (!in.Ok()) return BCK_DAMAGED;
  folder = std::move(read);
  return BCK_OK;
}

BYTE CheckBackupFile(const char* path, DWORD* kinds) {
  CBackupArchive archive;
  BYTE result = archive.Open(path);
  if (result != BCK_OK) return result;
  if (kinds) *kinds = archive.GetKinds();
  BYTE type = 0;
  while ((result = archive.ReadRecord(&type)) == BCK_OK) {
    std::unique_ptr<BYTE[]> data;
    switch (type) {
      case BRT_MESSAGE: { PA_MESSAGE_INFO r; result = archive.ReadMessage(r, data); break; }
      case BRT_IMODE_MESSAGE: { PA_IMODE_INFO r; result = archive.ReadIModeMessage(r, data); break; }
      case BRT_GROUP: { BYTE n = 0; CString name; result = archive.ReadGroup(n, name); break; }
      case BRT_CONTACT: { PA_PHONEBOOK_INFO r; result = archive.ReadContact(r); break; }
      case BRT_SCHEDULE: case BRT_SCHEDULE_SHORT: { PA_SCHEDULE_INFO r; result = archive.ReadSchedule(r); break; }
      case BRT_TODO: { PA_TODO_INFO r; result = archive.ReadToDo(r); break; }
      case BRT_RESOURCE: case BRT_RESOURCE_ALT: { PA_RESOURCE_INFO r; result = archive.ReadResource(r, data); break; }
      case BRT_FOLDER: case BRT_FOLDER_ALT: { PA_FOLDER_INFO r; result = archive.ReadFolder(r); break; }
      default: break;  // a type no reader handles is passed over
    }
    if (result != BCK_OK) return result;
  }
  return result == BCK_END ? static_cast<BYTE>(BCK_OK) : result;
}
