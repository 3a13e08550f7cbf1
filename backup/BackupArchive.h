#pragma once
// The backup file: a 128-byte header that names the kinds of data the file holds and the phone it
// came from, then typed records up to the end of the file, each framed as a u32 payload length, a
// u8 record type and the payload. All numbers are little-endian; texts are a u16 byte count and the
// bytes, without a NUL. There is no checksum and no version field.
//
// CBackupArchive writes such a file through a staged writer: the file appears under its name only
// when Close succeeds, so a failed or cancelled backup never leaves a file that would restore as
// an emptied phone. Reading checks every frame against the bytes left in the file and every field
// of a payload against the payload, so a damaged file ends with BCK_DAMAGED, never with a read
// outside the data or an allocation larger than the file.
//
// One archive is used by one thread at a time.
#include <kernel/AtomicFile.h>

#include <handport/PhoneRecords.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <vector>

// Results of every archive operation.
enum BCK_RESULT : BYTE {
  BCK_OK = 0,
  BCK_ALREADY_OPEN = 1,
  BCK_CANNOT_OPEN = 2,
  BCK_CANNOT_CREATE = 3,
  BCK_NOT_BACKUP = 4,     // shorter than the header, or another magic
  BCK_NOT_OPEN = 5,
  BCK_END = 6,            // no further record: the file ends where a frame would begin
  BCK_DAMAGED = 7,        // a frame cut short or longer than the file, or a payload whose fields overrun it
  BCK_OTHER_TYPE = 8,     // the current record has another type than the decoder reads
  BCK_WRITE_FAILED = 9,   // a write failed, or a field is too long for the format; the file will not appear
};

// Record types.
enum BCK_RECORD_TYPE : BYTE {
  BRT_MESSAGE = 2,
  BRT_GROUP = 3,
  BRT_CONTACT = 4,
  BRT_SCHEDULE_SHORT = 5,  // read only
  BRT_TODO = 6,
  BRT_RESOURCE_ALT = 7,    // read only
  BRT_FOLDER_ALT = 8,      // read only
  BRT_IMODE_MESSAGE = 9,
  BRT_RESOURCE = 10,
  BRT_FOLDER = 11,
  BRT_SCHEDULE = 12,
};

// Kind bits of the header.
constexpr DWORD BCK_KIND_CONTACTS = 0x2;  // with the contact groups
constexpr DWORD BCK_KIND_SCHEDULE = 0x4;
constexpr DWORD BCK_KIND_TODO = 0x8;
constexpr DWORD BCK_KIND_PICTURES = 0x10;
constexpr DWORD BCK_KIND_MELODIES = 0x20;
constexpr DWORD BCK_KIND_MOVIES = 0x40;
constexpr DWORD BCK_KIND_SMS_EXTRA = 0x80;  // set with SMS / EMS; nothing reads it
constexpr DWORD BCK_KIND_MMS = 0x100;
constexpr DWORD BCK_KIND_SMS = 0x200;
constexpr DWORD BCK_KIND_IMODE = 0x1000;

// Media kinds of resource and folder records.
constexpr DWORD BCK_MEDIA_PICTURES = 0;
constexpr DWORD BCK_MEDIA_MELODIES = 1;
constexpr DWORD BCK_MEDIA_MOVIES = 2;

// Where the records' fields live in the phone-access library's records:
// - a message's index in its box is the record's dwFolder;
// - a resource's "fourth number" is dwReserved5 and its media kind dwReserved6;
// - a folder's own id is dwNumber, its second number dwType, its parent lFolderId and its media
//   kind dwReserved;
// - the slot number of a contact is the low half of dwReserved8, of a schedule entry sReserved5,
//   of a to-do item bReserved4 (the u16 of the file; slots stay below 100).
class CBackupArchive {
 public:
  static constexpr DWORD kMagic = 0x43444D50;  // "PMDC"
  static constexpr std::size_t kHeaderSize = 128;
  static constexpr std::size_t kLabelChars = 63;
  static constexpr std::size_t kIdentityChars = 19;
  // The buffer a record is laid out in starts at this size and grows to the largest record.
  static constexpr std::size_t kInitialBuffer = 0x80000;
  // The largest payload a reader accepts (and a writer writes): a media file of 64 MB, well above
  // anything a phone holds.
  static constexpr std::size_t kMaxPayload = 64u << 20;

  CBackupArchive();
  ~CBackupArchive();  // an archive being written and not closed is discarded
  CBackupArchive(const CBackupArchive&) = delete;
  CBackupArchive& operator=(const CBackupArchive&) = delete;

  BYTE Open(const char* path);
  BYTE Create(const char* path, const char* label, DWORD kinds, const char* identity);
  // Reading: closes the file. Writing: puts the file in place; BCK_WRITE_FAILED when any write
  // failed or the file could not be put in place (the target is then as it was).
  BYTE Close();
  // Writing: drops the file being written (the target stays as it was). Reading: closes.
  void Discard();

  int GetState() const { return m_state; }  // 0 closed, 1 reading, 2 writing
  // The header image: of the file being written, or of the file last opened.
  DWORD GetKinds() const;
  CString GetIdentity() const;
  CString GetLabel() const;
  std::span<const BYTE, kHeaderSize> GetHeader() const { return m_header; }

  // Reading: the next record; its type in `type`. BCK_END at the end of the file, BCK_DAMAGED
  // for a frame that the file does not hold whole (reading ends there).
  BYTE ReadRecord(BYTE* type = nullptr);
  BYTE GetRecordType() const { return m_recordType; }
  std::span<const BYTE> GetPayload() const { return {m_buffer.data(), m_payloadLength}; }
  // Writing: one frame; `tail` follows `payload` inside the same frame.
  BYTE WriteRecord(BYTE type, std::span<const BYTE> payload, std::span<const BYTE> tail = {});

  // Encoders, one per written type.
  BYTE WriteMessage(const PA_MESSAGE_INFO& message);
  BYTE WriteIModeMessage(const PA_IMODE_INFO& mail);
  BYTE WriteGroup(BYTE number, const CString& name);
  BYTE WriteContact(const PA_PHONEBOOK_INFO& contact);
  BYTE WriteToDo(const PA_TODO_INFO& item);
  BYTE WriteResource(const PA_RESOURCE_INFO& resource);  // dwSize bytes of pData (none for a list entry)
  BYTE WriteFolder(const PA_FOLDER_INFO& folder);
  BYTE WriteSchedule(const PA_SCHEDULE_INFO& entry);

  // Decoders of the current record. Each checks the type (BCK_OTHER_TYPE) and the payload
  // (BCK_DAMAGED); on success the record is filled and, where it carries bytes, its pData points
  // into `data`, which owns them.
  BYTE ReadMessage(PA_MESSAGE_INFO& message, std::unique_ptr<BYTE[]>& data);
  BYTE ReadIModeMessage(PA_IMODE_INFO& mail, std::unique_ptr<BYTE[]>& data);
  BYTE ReadGroup(BYTE& number, CString& name);
  BYTE ReadContact(PA_PHONEBOOK_INFO& contact);
  BYTE ReadSchedule(PA_SCHEDULE_INFO& entry);  // types 12 and 5 (alarm melody id 0)
  BYTE ReadToDo(PA_TODO_INFO& item);
  BYTE ReadResource(PA_RESOURCE_INFO& resource, std::unique_ptr<BYTE[]>& data);  // types 10 and 7
  BYTE ReadFolder(PA_FOLDER_INFO& folder);                                       // types 11 and 8

 private:
  void CloseReader();

  std::array<BYTE, kHeaderSize> m_header{};
  int m_state = 0;
  std::FILE* m_file = nullptr;
  std::uint64_t m_left = 0;  // bytes of the file not yet read
  BYTE m_readEnd = BCK_OK;   // once reading ended, the result it ended with
  tolvar::kernel::AtomicFileWriter m_writer;
  bool m_writeFailed = false;
  std::vector<BYTE> m_buffer;
  std::size_t m_payloadLength = 0;
  BYTE m_recordType = 0;
};

// Opens the file and reads every record through its decoder: BCK_OK when the whole file reads
// back (record types a reader passes over included), else the first failure. `kinds` gets the
// header's kind bits when the header is good.
BYTE CheckBackupFile(const char* path, DWORD* kinds = nullptr);
