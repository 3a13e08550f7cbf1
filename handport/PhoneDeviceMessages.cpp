// The phone object's stored messages (boxes 1 to 3, sub-folders 0 to 6) and i-mode mails (kinds
// 0 to 5, and the mail flash file), each read whole into its cache and written back whole.
#include "FlashBlock.h"
#include "PhoneDevice.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>

#include <array>

namespace {

constexpr int kBoxes = 3;
constexpr int kSubfolders = 7;
// The counts text gives each box 32 characters and each of its sub-folders four.
constexpr int kBoxWidth = 32;
constexpr int kCountWidth = 4;
// Sub-folder 4 of a box is emptied once more after all seven.
constexpr int kSubfolderDeletedAgain = 4;

constexpr int kMailKinds = 6;
// The mail flash file, kept in the cache as one record of this box.
constexpr int kMailFile = 1, kMailSub = 100;
constexpr DWORD kMailFileBox = 100;

using MessageCounts = std::array<std::array<int, kSubfolders>, kBoxes>;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Each count is two hex pairs, the low byte first; a count with a character that is no hex digit
// is 0. A text that stops before the last count is no counts text.
bool ReadMessageCounts(const CString& text, MessageCounts& counts) {
  if (text.GetLength() < (kBoxes - 1) * kBoxWidth + kSubfolders * kCountWidth) return false;
  for (int box = 0; box < kBoxes; ++box) {
    for (int folder = 0; folder < kSubfolders; ++folder) {
      const int at = box * kBoxWidth + folder * kCountWidth;
      int digits[kCountWidth];
      bool hex = true;
      for (int i = 0; i < kCountWidth; ++i) hex = (digits[i] = HexDigit(text[at + i])) >= 0 && hex;
      counts[box][folder] = hex ? (digits[0] << 4 | digits[1]) | (digits[2] << 4 | digits[3]) << 8 : 0;
    }
  }
  return true;
}

template <class Record>
bool HoldsBox(const CMessageCache<Record>& cache, DWORD box) {
  for (const Record& record : cache.Records()) {
    if (record.dwBox == box) return true;
  }
  return false;
}

template <class Record>
std::span<const BYTE> BytesOf(const Record& record) {
  return {record.pData, record.pData ? record.dwLength : 0};
}

}  // namespace

int CPhoneDevice::DownloadMessages(CMessageStore& cache, const TransferControl& control) {
  cache.Clear();
  CString countsText;
  if (!m_engine.UMBInitMsgs(1, countsText)) return 0;
  MessageCounts counts{};
  if (!ReadMessageCounts(countsText, counts)) {
    SetLastError(ERROR_PHONE_BAD_REPLY);
    return 0;
  }
  for (int box = 1; box <= kBoxes; ++box) {
    for (int folder = 0; folder < kSubfolders; ++folder) {
      for (int index = 0; index < counts[box - 1][folder]; ++index) {
        std::vector<BYTE> data;
        if (!m_engine.UMBGetMsgs(box, folder, index, control, data)) return 0;
        cache.Append(static_cast<DWORD>(box), static_cast<DWORD>(folder), data);
      }
    }
  }
  return m_engine.UMBFinishMsgs();
}

int CPhoneDevice::UploadMessages(const CMessageStore& cache, const TransferControl& control) {
  for (int box = 1; box <= kBoxes; ++box) {
    if (!HoldsBox(cache, static_cast<DWORD>(box))) continue;
    for (int folder = 0; folder < kSubfolders; ++folder) {
      if (!m_engine.UMBDeleteMsgs(box, folder)) return 0;
    }
    if (!m_engine.UMBDeleteMsgs(box, kSubfolderDeletedAgain)) return 0;
  }
  CString counts;
  if (!m_engine.UMBInitMsgs(1, counts)) return 0;
  for (int box = 1; box <= kBoxes; ++box) {
    for (int folder = 0; folder < kSubfolders; ++folder) {
      int index = 0;
      for (const PA_MESSAGE_INFO& message : cache.Records()) {
        if (message.dwBox != static_cast<DWORD>(box) || message.dwFolder != static_cast<DWORD>(folder)) continue;
        if (!m_engine.UMBSetMsgs(box, folder, index++, BytesOf(message), control)) return 0;
      }
    }
  }
  return m_engine.UMBFinishMsgs();
}

int CPhoneDevice::DownloadIModeMessages(CIModeStore& cache, const TransferControl& control) {
  cache.Clear();
  if (!m_engine.CNFStartDataExchange(0)) return 0;
  std::array<int, kMailKinds> counts{};
  if (!m_engine.CNFPGetMailCnt(counts)) return 0;
  for (int kind = 0; kind < kMailKinds; ++kind) {
    for (int number = 1; number <= counts[static_cast<std::size_t>(kind)]; ++number) {
      std::vector<BYTE> data;
      if (!m_engine.CNFPReadData(kind, number, control, data)) return 0;
      cache.Append(static_cast<DWORD>(kind), static_cast<DWORD>(number), data);
    }
  }
  if (!m_engine.CNFEndDataExchange()) return 0;
  CFlashBlock mailFile(kMailFile, kMailSub, control.cancel);
  if (!m_engine.ReadBlock(mailFile, control.progress, control.user)) return 0;
  if (!mailFile.data.empty()) cache.Append(kMailFileBox, 1, mailFile.data);
  return 1;
}

int CPhoneDevice::UploadIModeMessages(const CIModeStore& cache, const TransferControl& control) {
  if (cache.Count() == 0) return 1;
  if (!m_engine.CNFStartDataExchange(1) || !m_engine.CNFPInitialize()) return 0;
  for (const PA_IMODE_INFO& mail : cache.Records()) {
    if (mail.dwBox == kMailFileBox) continue;
    if (!m_engine.CNFPWriteData(static_cast<int>(mail.dwBox), static_cast<int>(mail.dwFolder), BytesOf(mail),
                                control)) {
      // The exchange is closed, but the write's failure is what the caller learns.
      const DWORD failure = GetLastError();
      m_engine.CNFEndDataExchange();
      SetLastError(failure);
      return 0;
    }
  }
  if (!m_engine.CNFEndDataExchange()) return 0;
  for (const PA_IMODE_INFO& mail : cache.Records()) {
    if (mail.dwBox != kMailFileBox) continue;
    CFlashBlock mailFile(kMailFile, kMailSub, control.cancel);
    mailFile.SetData(BytesOf(mail));
    if (!m_engine.WriteBlock(mailFile, control.progress, control.user)) return 0;
  }
  return 1;
}
