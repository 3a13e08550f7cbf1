#pragma once
// The phone object of a store side: what it knows of the phone model (its type number, model code
// and the capacities and flash-file numbers of its data kinds), its reply time-out, and the cancel
// event that stops a transfer between two chunks. CPhoneDevice, the one class the library makes,
// adds the model's answers and the media and message operations.
//
// Beside these it keeps its own record arrays (groups, contacts, schedule, to-do, the four media
// arrays, the blob list and the raw blocks) with the kind mask that selects among them: the whole
// phone is read into them from the phone's flash files (ReadAll), written back from them
// (WriteAll), and saved into and loaded from the phone data file (SaveDataFile, LoadDataFile).
// Operations on them run on the caller's thread; only the cancel event is set from another.
#include "PhoneEntries.h"

#include <base/WinDef.h>
#include <framework/Afx.h>
#include <kernel/MessageQueue.h>
#include <kernel/UniqueHandle.h>

#include <span>
#include <vector>

class CLinkEngine;
class CStepMeter;

// Posted to the notification window for every step of a whole-phone read or write.
constexpr UINT WM_PHONE_STEP = WM_USER + 101;

// The results of the phone data file and the whole-phone sequences.
constexpr DWORD ERROR_DATAFILE_BAD_TAG = 0x30060101;         // a tag outside 0 to 9999, a group block of another length
constexpr DWORD ERROR_DATAFILE_TRUNCATED = 0x30060201;       // first pass: a payload past the end of the file
constexpr DWORD ERROR_DATAFILE_CONTACT_FLAGS = 0x30060202;   // contact used bytes of another length
constexpr DWORD ERROR_DATAFILE_OTHER_PHONE = 0x30060204;     // written for another phone type
constexpr DWORD ERROR_DATAFILE_SECTION_END = 0x30060301;     // second pass: a payload past the end
constexpr DWORD ERROR_DATAFILE_CONTACTS = 0x30060302;        // contact records of another length
constexpr DWORD ERROR_DATAFILE_SERIAL = 0x30060401;          // a serial number the caller did not accept
constexpr DWORD ERROR_DATAFILE_SCHEDULE_FLAGS = 0x30060402;  // schedule used bytes of another length
constexpr DWORD ERROR_DATAFILE_SCHEDULE = 0x30060502;        // schedule records; also to-do used bytes
constexpr DWORD ERROR_DATAFILE_TODO_FLAGS = 0x30060502;
constexpr DWORD ERROR_DATAFILE_TODO = 0x30060602;            // to-do records of another length
constexpr DWORD ERROR_DATAFILE_MEDIA_A = 0x30060702;         // a media item's number or length
constexpr DWORD ERROR_DATAFILE_MEDIA_B = 0x30060802;
constexpr DWORD ERROR_DATAFILE_MEDIA_CD = 0x30060902;
constexpr DWORD ERROR_MEDIA_FILE_TOO_BIG = 0x30060170;       // a PC file larger than media array D takes
constexpr DWORD ERROR_SERIAL_MISMATCH = 0x30060151;          // the phone's serial number is another
constexpr DWORD ERROR_WRONG_SW_VERSION = 0x30000004;         // not a version of the phone family
constexpr DWORD ERROR_CONTACTS_OLD_VERSION = 0x30060103;     // contacts of an odd type with an old version
constexpr DWORD ERROR_BLOCK_SIZE = 0x30070402;               // a schedule or to-do block of another size
// Save errors: a text that cannot be converted, or that is longer than its field.
constexpr DWORD ERROR_SAVE_GROUP_CONVERT = 0x30061705;
constexpr DWORD ERROR_SAVE_GROUP_LONG = 0x30061805;
constexpr DWORD ERROR_SAVE_NAME_CONVERT = 0x30060105;
constexpr DWORD ERROR_SAVE_NAME_LONG = 0x30060205;
constexpr DWORD ERROR_SAVE_EMAIL_CONVERT = 0x30060305;
constexpr DWORD ERROR_SAVE_EMAIL_LONG = 0x30060405;
constexpr DWORD ERROR_SAVE_TEXT_CONVERT = 0x30060505;
constexpr DWORD ERROR_SAVE_TEXT_LONG = 0x30060605;
constexpr DWORD ERROR_SAVE_TEXT3_CONVERT = 0x30060705;
constexpr DWORD ERROR_SAVE_TEXT3_LONG = 0x30060805;
constexpr DWORD ERROR_SAVE_TEXT4_CONVERT = 0x30060905;
constexpr DWORD ERROR_SAVE_TEXT4_LONG = 0x30061005;
constexpr DWORD ERROR_SAVE_SCHEDULE_CONVERT = 0x30061105;
constexpr DWORD ERROR_SAVE_SCHEDULE_LONG = 0x30061205;
constexpr DWORD ERROR_SAVE_TODO_CONVERT = 0x30061305;
constexpr DWORD ERROR_SAVE_TODO_LONG = 0x30061405;
// A number that its 13-byte field cannot hold (more than 22 digit codes, or a character without
// a digit code).
constexpr DWORD ERROR_SAVE_NUMBER = 0x30061505;

// Sort comparisons of two entries: used before unused, then by calendar time; -1, 0 or 1.
int CompareScheduleEntries(const ScheduleEntry& a, const ScheduleEntry& b);
int CompareToDoEntries(const ToDoEntry& a, const ToDoEntry& b);

class CPhoneBase {
 public:
  CPhoneBase();
  // The phone object reaches the phone through `client` (may be none: the sequences then fail).
  explicit CPhoneBase(CLinkEngine* client);
  virtual ~CPhoneBase();
  CPhoneBase(const CPhoneBase&) = delete;
  CPhoneBase& operator=(const CPhoneBase&) = delete;

  // --- the model ---
  // The phone type number that the phone data file carries.
  virtual int GetPhoneType() const = 0;
  virtual CString GetModelCode() const = 0;
  // A flag of the model that no operation of the library reads (1 on the phone the library makes).
  virtual int GetModelFlag() const = 0;
  // A capacity by parameter number (slots and record sizes of the data kinds); 0 for a number the
  // model does not know.
  virtual int GetCapacity(int parameter) const;
  // The flash file (first number, second number) that holds a data kind; 0 and 0 for a kind that
  // has none.
  int GetFirstFileNumber(int kind) const;
  int GetSecondFileNumber(int kind) const;
  // The step between pairs of files of a kind whose items go two to a step (16 for the raw block
  // items, kind 9050), else 0.
  int GetFileStride(int kind) const { return kind == 9050 ? 16 : 0; }

  void SetReplyTimeout(int milliseconds) { m_replyTimeout = milliseconds; }
  int GetReplyTimeout() const { return m_replyTimeout; }

  // The date format for 0, the time format for 1, else the empty text.
  CString GetDateTimeFormat(int which) const;

  // --- the cancel event: auto-reset, not set at first; a transfer that sees it set stops and
  // takes the signal ---
  void Cancel();
  HANDLE GetCancelEvent() const { return m_cancel.Get(); }

  const CString& GetPort() const { return m_port; }
  const CString& GetModel() const { return m_model; }
  const CString& GetSerialNumber() const { return m_serialNumber; }
  void SetModel(const CString& model) { m_model = model; }
  void SetSerialNumber(const CString& serial) { m_serialNumber = serial; }
  const CString& GetVersionText() const { return m_version; }
  // Always -1: the model answers no such number.
  int GetUnknownNumber() const { return -1; }
  // Whether the application's own registry key holds, under a subkey named by the model text, a
  // value "Type" (the subkey is opened for reading only).
  bool HasModelType(HKEY applicationKey) const;

  // --- set-up and copies ---
  // Empties the object (entry 3 below), keeps `type`, sizes every record array to the model's
  // capacities and resets every entry.
  void SetPhoneType(int type);
  int GetStoredPhoneType() const { return m_phoneType; }
  // Frees the data of every item and empties every record array.
  void ClearAll();
  // The other object's type, serial number, kind mask, entries, media arrays, blob list and model
  // text; raw blocks are not copied.
  void CopyFrom(const CPhoneBase& other);
  DWORD GetKindMask() const { return m_kindMask; }
  void SetKindMask(DWORD mask) { m_kindMask = mask; }
  // Resets what the kind mask selects (all four media arrays included).
  void ClearSelectedKinds();
  void ResetContactEntry(int slot, DWORD number);
  void ResetScheduleEntry(int slot, DWORD number);
  void ResetToDoEntry(int slot, DWORD number);
  // "Off" and the numbers 1 to capacity 14 (A) or 13 (B).
  void GetOffLevelListA(CStringArray& list) const;
  void GetOffLevelListB(CStringArray& list) const;

  // --- the record arrays ---
  std::vector<GroupEntry>& Groups() { return m_groups; }
  std::vector<ContactEntry>& Contacts() { return m_contacts; }
  ContactEntry& ExtraContact() { return m_extraContact; }
  std::vector<ScheduleEntry>& ScheduleEntries() { return m_schedule; }
  std::vector<ToDoEntry>& ToDoEntries() { return m_toDo; }
  std::vector<MediaItem>& MediaItems(MediaArray array) { return m_media[static_cast<int>(array)]; }
  const std::vector<MediaItem>& MediaItems(MediaArray array) const { return m_media[static_cast<int>(array)]; }
  std::vector<OwnedBlock>& Blobs() { return m_blobs; }
  OwnedBlock& RawBlock1() { return m_raw1; }
  OwnedBlock& RawBlock2() { return m_raw2; }
  std::vector<OwnedBlock>& RawBlockItems() { return m_rawItems; }

  // --- media items (the operations of arrays A to D; n from 0 below the array's capacity) ---
  // Copies item n into `item`; 0 for n out of range.
  int GetMediaItem(MediaArray array, int n, MediaItem& item) const;
  // Clears item n, then status MEDIA_SET, a copy of the bytes, and the name (A, B, D) or, for C,
  // the first further number from `number`.
  int SetMediaItem(MediaArray array, int n, const char* name, DWORD number, std::span<const BYTE> bytes);
  // The name of item n (C: always of item 0), cut to its 21 bytes.
  int SetMediaItemName(MediaArray array, int n, const char* name);
  int ClearMediaItem(MediaArray array, int n, DWORD kind);
  // Loads item n of D from a PC file of at most capacity 38 bytes (ERROR_MEDIA_FILE_TOO_BIG);
  // the file's size, or -1 with the last error.
  int LoadMediaItemFromFile(int n, const char* path, const char* name);
  // Takes an item from a data-file section's payload (item number, then the item); 0 with
  // ERROR_DATAFILE_MEDIA_x when the number or the length does not fit.
  int TakeMediaSection(MediaArray array, std::span<const BYTE> payload);

  // --- the record encoders and decoders of the data file and the sequences ---
  // Encoders give the bytes, or false with the last error.
  bool GetGroupNames(int count, int size, std::vector<BYTE>& bytes) const;
  bool GetContactRecord(int slot, std::vector<BYTE>& bytes) const;
  // Sort the whole entry array first (used first, then by time), then one used byte per entry.
  bool GetScheduleUsedFlags(int count, std::vector<BYTE>& bytes);
  bool GetScheduleRecord(int slot, std::vector<BYTE>& bytes) const;
  bool GetToDoUsedFlags(int count, std::vector<BYTE>& bytes);
  bool GetToDoRecord(int slot, std::vector<BYTE>& bytes) const;
  // Decoders return 1, or 0 with the last error.
  int SetGroupNames(std::span<const BYTE> bytes);
  int SetContactUsedFlags(std::span<const BYTE> bytes);
  // Records fill only used entries; a slot out of range is ERROR_INVALID_PARAMETER.
  int SetContactRecord(int slot, std::span<const BYTE> record);
  int SetScheduleUsedFlags(std::span<const BYTE> bytes);
  int SetScheduleRecord(int slot, std::span<const BYTE> record);
  int SetToDoUsedFlags(std::span<const BYTE> bytes);
  int SetToDoRecord(int slot, std::span<const BYTE> record);
  int SetRawBlock1(std::span<const BYTE> bytes);
  int SetRawBlock2(std::span<const BYTE> bytes);
  int SetRawBlockItem(int i, std::span<const BYTE> bytes);

  // --- the phone data file ---
  // 0, or a system error or one of ERROR_SAVE_x. The file appears at `path` only when it was
  // written whole.
  DWORD SaveDataFile(const char* path, int withSerial);
  // 0, or an error code, also left as the last error.
  DWORD LoadDataFile(const char* path, int acceptSerial);

  // --- the whole phone ---
  // Progress steps of ReadAll and WriteAll, and the write's time estimate in seconds.
  virtual int CountReadSteps(int* steps) const;
  virtual int EstimateWriteTime(int* steps, int* estimate) const;
  // 0, or the error code. The caller sets the window and the family first.
  DWORD ReadAll();
  DWORD WriteAll();
  void SetNotifyWindow(HWND window) { m_notifyWindow = window; }
  HWND GetNotifyWindow() const { return m_notifyWindow; }
  // 8 or 16 have their software versions checked; any other value skips the check.
  void SetPhoneFamily(int family) { m_family = family; }
  int GetPhoneFamily() const { return m_family; }
  // "ShowProductSerialNum" equals the serial number text; else false with ERROR_SERIAL_MISMATCH or
  // the command's last error.
  bool CheckSerialNumber();
  void ClosePort();

 protected:
  // The steps one selected kind adds to CountReadSteps and EstimateWriteTime (steps, bytes).
  virtual int ReadStepsOf(DWORD kind) const;
  virtual void WriteStepsOf(DWORD kind, int& steps, long long& bytes) const;
  // Reads or writes one media array of the kind-mask bit (0: the blob list) between the phone's
  // flash files and the object; the base holds none.
  virtual int ReadMediaArray(DWORD kind, CStepMeter& meter);
  virtual int WriteMediaArray(DWORD kind, CStepMeter& meter);
  CLinkEngine* Client() const { return m_client; }
  HANDLE CancelEvent() const { return m_cancel.Get(); }

 private:
  int CapacityOf(MediaArray array) const;
  bool InRange(MediaArray array, int n) const;
  DWORD ReadAllSteps(CStepMeter& meter, bool& powerOff);
  DWORD WriteAllSteps(CStepMeter& meter, bool& powerOff);
  std::vector<BYTE> ScheduleUsed() const;
  std::vector<BYTE> ToDoUsed() const;
  DWORD LoadSections(std::span<const BYTE> image, int acceptSerial);

  CLinkEngine* m_client = nullptr;
  int m_phoneType = 0;
  DWORD m_kindMask = 0;
  int m_family = 0;
  HWND m_notifyWindow = nullptr;
  CString m_version = "VERSION4";
  std::vector<GroupEntry> m_groups;
  std::vector<ContactEntry> m_contacts;
  ContactEntry m_extraContact;
  std::vector<ScheduleEntry> m_schedule;
  std::vector<ToDoEntry> m_toDo;
  std::vector<MediaItem> m_media[kMediaArrays];
  std::vector<OwnedBlock> m_blobs;
  OwnedBlock m_raw1;
  OwnedBlock m_raw2;
  std::vector<OwnedBlock> m_rawItems;

 private:
  CString m_port = "COM1";
  CString m_model = "UNKNOWN";
  CString m_serialNumber;
  int m_replyTimeout = 3000;
  tolvar::kernel::UniqueHandle m_cancel;
};
