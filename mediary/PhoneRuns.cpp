// The phone runs: detection, the folder listing and the transfer.
#include "PhoneRuns.h"

#include "FileBytes.h"

#include <kernel/File.h>

#include <cstdio>

namespace {
// Message box types and answers the runs use.
constexpr unsigned kInfo = 0x40;         // MB_ICONINFORMATION
constexpr unsigned kExclamation = 0x30;  // MB_ICONEXCLAMATION
constexpr unsigned kYesNoQuestion = 0x24;
constexpr unsigned kAbortRetryIgnore = 0x22;
constexpr int kYes = 6;
constexpr int kNo = 7;
constexpr int kRetry = 4;
constexpr int kIgnore = 5;
constexpr int kAbort = 3;

constexpr PA_MS_RESULT kNoLink = PA_MS_LINK_DOWN;
constexpr PA_MS_RESULT kFailed = PA_MS_FAILED;
constexpr PA_MS_RESULT kCancelled = PA_MS_CANCELLED;
constexpr PA_MS_RESULT kExists = PA_MS_EXISTS;

constexpr int kStop = -1;

std::string Text(const CString& text) { return std::string(static_cast<LPCSTR>(text)); }
}  // namespace

int CPhoneRuns::Ask(const std::vector<int>& ids, unsigned type) {
  // A closing dialog asks nothing more: the run ends quietly, every question answered "stop".
  if (m_closing) {
    const unsigned buttons = type & 0x0F;
    return buttons == 0x02 ? kAbort : buttons == 0x04 ? kNo : 1;
  }
  return m_view.Ask(ids, type);
}

int CPhoneRuns::ProgressCallback(int total, int current, void* user) {
  auto* self = static_cast<CPhoneRuns*>(user);
  const auto step = self->m_scale.Scale(std::uint32_t(total < 0 ? 0 : total), std::uint32_t(current < 0 ? 0 : current));
  self->m_view.Progress(step.range, step.position, step.rangeChanged);
  return 0;
}

void CPhoneRuns::Cancel() {
  if (m_inExchange) m_phone.PA_CancelTransfer();
}

void CPhoneRuns::ClosePort() {
  m_phone.PA_ClosePort();
  m_inExchange = false;
}

int CPhoneRuns::MainFolderId(int index) const {
  return std::size_t(index) < m_mainIds.size() ? m_mainIds[std::size_t(index)] : index;
}

bool CPhoneRuns::Detect() {
  m_view.OverlayId(1034, 0x300);  // "Detecting phone..."
  m_view.Detecting(true);
  m_inExchange = true;
  if (m_closing) m_phone.PA_CancelTransfer();
  if (m_phone.TestModeOn() == 0) {
    m_view.Detecting(false);
    // A close that came while the connection was being made (before it could be cancelled).
    if (!m_closing) return true;
    ClosePort();
    return false;
  }
  const DWORD error = m_phone.LastError();
  m_view.Detecting(false);
  m_view.Overlay("", 0);
  if (m_closing) {
    ClosePort();
    return false;
  }
  const DetectionFailure failure = DescribeDetectionFailure(error);
  if (!failure.messages.empty()) Ask(failure.messages, kInfo);
  if (failure.powerOff) m_phone.PowerOff();
  ClosePort();
  return false;
}

int CPhoneRuns::ListSession() {
  const int savedKind = m_phonePane.GetKind();
  if (!Detect()) return 1;
  int message = LockCheckMessage(m_phone.CheckLockInfo());
  if (message == 0) {
    m_view.OverlayId(1035, 0x300);  // "Retreiving resource list."
    if (!m_pcPane.Queued().empty()) {
      m_pcPane.ClearQueued();
      m_view.ReloadPc();
    }
    m_phonePane.Clear();
    m_mainIds.clear();
    int free = 0;
    if (m_phone.PA_GetFileSystemFreeSpace(&free) == 0) {
      m_freeSpace = free;
      m_view.Status(free);
    }
    short count = 0;
    if (m_phone.PA_GetNumMainFolders(&count) != 0) count = 0;
    for (short i = 0; i < count && i < 3; ++i) {
      PA_FOLDER_INFO folder;
      // A main folder that cannot be read ends the listing as a lost connection: its letter's
      // tree would otherwise be shown empty.
      const PA_MS_RESULT got = m_phone.PA_GetMainFolder(&folder, i);
      if (got != 0) {
        message = got == kCancelled ? 1077 : 1068;
        break;
      }
      m_mainIds.push_back(int(folder.dwNumber));
      m_phonePane.SetKind(folder.dwType <= 2 ? int(folder.dwType) : i);
      CFolderTrail trail;
      trail.Enter(folder.dwNumber);
      const int result = EnumPhoneFolder(m_phonePane.Top(i), folder.dwNumber, trail);
      if (result == 2) message = 1068;  // the link was lost
      if (result == kCancelled) message = 1077;
      if (result != 0) break;
    }
  }
  m_view.Overlay("", 0);
  if (m_closing) {
    ClosePort();
    return 0;
  }
  if (message != 0 && message != 1077) Ask({message}, kInfo);
  m_phone.PowerOff();
  ClosePort();
  m_phonePane.SetKind(savedKind, true);
  m_phonePane.SetLoaded(true);
  Ask({message == 0 ? 1060 : message == 1077 ? 1077 : 1065}, kInfo);
  return 0;
}

int CPhoneRuns::EnumPhoneFolder(RecordTable& table, std::uint32_t folderId, CFolderTrail& trail) {
  short count = 0;
  if (m_phone.PA_GetNumSubfolders(&count, short(folderId)) == 0) {
    for (short i = 0; i < count; ++i) {
      if (m_closing) return kCancelled;
      PA_FOLDER_INFO info;
      const PA_MS_RESULT result = m_phone.PA_GetFolderInfo(&info, short(folderId), i);
      if (result == kCancelled) return kCancelled;
      if (result == kNoLink) return 2;
      if (result != 0) continue;
      TransferRecord row;
      row.name = Text(info.strName);
      row.dataWord = RowBits::PhoneFolder | ((info.dwAttributes & 0x10) ? RowBits::Attribute : 0) |
                     (info.dwNumber == m_specialFolder ? RowBits::Special : 0);
      row.image = RowImage::Folder;
      row.id = info.dwNumber;
      row.secondId = info.dwType;
      TransferRecord& added = m_phonePane.AddEntry(table, std::move(row), "..");
      // A folder already on the path (the phone answering in a loop) or too deep is listed but
      // not entered.
      if (added.children && trail.Enter(info.dwNumber)) {
        const int inner = EnumPhoneFolder(*added.children, info.dwNumber, trail);
        trail.Leave();
        if (inner != 0) return inner;
      }
    }
  }
  if (m_phone.PA_GetNumResources(&count, short(folderId), 0) == 0) {
    for (short j = 0; j < count; ++j) {
      PA_RESOURCE_INFO info;
      const PA_MS_RESULT result = m_phone.PA_GetResourceInfo(&info, short(folderId), j, 0);
      if (result == kCancelled) return kCancelled;
      if (result == kNoLink) return 2;
      if (result != 0) continue;
      const std::string kind = Text(info.strTitle);
      const int mediaClass = GetMediaClass(kind);
      if (mediaClass < 0 || mediaClass > 2) continue;
      TransferRecord row;
      row.name = Text(info.strFileName);
      row.dataWord = RowBits::PhoneFile | ((info.dwAttribute & 0x10) ? RowBits::Attribute : 0);
      row.image = RowImage::OfMediaClass(mediaClass);
      row.id = info.dwFileId;
      row.kind = kind;
      row.size = info.dwSize;
      row.listingIndex = j;
      m_phonePane.AddEntry(table, std::move(row), "..");
    }
  }
  return 0;
}

int CPhoneRuns::Reconnect() {
  ClosePort();
  m_view.Detecting(true);
  m_inExchange = true;
  if (m_phone.TestModeOn() == 0) {
    m_view.Detecting(false);
    return 0;
  }
  const DWORD error = m_phone.LastError();
  m_view.Detecting(false);
  const DetectionFailure failure = DescribeDetectionFailure(error);
  if (!m_closing && !failure.messages.empty()) Ask(failure.messages, kInfo);
  return kStop;
}

void CPhoneRuns::CounterStep(const std::string& name, int delta) {
  m_view.Overlay(ProgressOverlay(name), 0x100);
  m_done += delta;
  char text[32];
  std::snprintf(text, sizeof text, "%2d/%d", m_done, m_total);
  m_view.Counter(text);
}

int CPhoneRuns::CountQueued() {
  const int down = DownloadQueued(false);
  int up = 0;
  for (int i = 0; i < m_phonePane.GetMainFolderCount(); ++i) up += UploadQueued(m_phonePane.Top(i), 0, false);
  return down + up;
}

int CPhoneRuns::TransferSession(int total) {
  m_total = total;
  m_scale = ProgressScale{};
  m_phone.SetCallbackFunction(&CPhoneRuns::ProgressCallback, this);
  if (!Detect()) return 1;
  ProgressCallback(0, 0, this);
  int message = LockCheckMessage(m_phone.CheckLockInfo());
  bool stopped = false;
  if (message == 0) {
    m_done = 0;
    stopped = DownloadQueued(true) == kStop;
    for (int i = 0; !stopped && i < m_phonePane.GetMainFolderCount(); ++i) {
      stopped = UploadQueued(m_phonePane.Top(i), std::uint32_t(MainFolderId(i)), true) == kStop;
      CPhonePaneModel::UpdateFolderMarks(m_phonePane.Top(i));
    }
  }
  m_view.Overlay("", 0);
  if (stopped || message == 1077) {
    m_phone.PowerOff();
    ClosePort();
    if (m_closing) return 0;
    m_view.Counter("");
    for (int i = 0; i < m_phonePane.GetMainFolderCount(); ++i) CPhonePaneModel::UpdateFolderMarks(m_phonePane.Top(i));
    m_view.ReloadPc();
    Ask({1077}, kInfo);
    return 0;
  }
  if (message != 0 && !m_closing) Ask({message}, kInfo);
  int free = 0;
  if (m_phone.PA_GetFileSystemFreeSpace(&free) == 0) {
    m_freeSpace = free;
    m_view.Status(free);
  }
  m_phone.PowerOff();
  ClosePort();
  m_view.Counter("");
  m_phonePane.SetKind(m_phonePane.GetKind(), true);
  m_view.ReloadPc();
  if (!m_closing) Ask({message == 0 ? 1060 : 1065}, kInfo);
  return 0;
}

int CPhoneRuns::DownloadQueued(bool run) {
  auto& queue = m_pcPane.Queued();
  int count = 0;
  for (std::size_t i = 0; i < queue.size();) {
    if (run && m_closing) return kStop;
    TransferRecord& entry = queue[i];
    if (!(entry.dataWord & RowBits::Queued)) {
      ++i;
      continue;
    }
    if (run) CounterStep(entry.name, 1);
    int folder = -1;
    int index = -1;
    for (int k = 0; k < m_phonePane.GetMainFolderCount() && index < 0; ++k) {
      std::int32_t folderId = -1;
      index = CPhonePaneModel::FindPhoneFile(m_phonePane.Top(k), entry.id & 0xFFFF, folderId);
      if (index >= 0) folder = folderId >= 0 ? folderId : MainFolderId(k);
    }
    if (index < 0) {
      ++i;
      continue;
    }
    ++count;
    if (!run) {
      ++i;
      continue;
    }
    PA_RESOURCE_INFO record;
    PA_MS_RESULT result = m_phone.PA_DownloadResource(&record, short(folder), short(index), 0);
    bool writeFailed = false;
    if (result == 0) {
      const std::string path = WithPhoneExtension(entry.path, m_rules.GetKindExtension(Text(record.strTitle)));
      bool write = true;
      if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) write = Ask({1047}, kYesNoQuestion) == kYes;
      if (write && !WriteDownloadedFile(path, {record.pData, record.pData ? record.dwSize : 0})) writeFailed = true;
      if (record.pData) m_phone.DeleteDataArray(record.pData);
      record.pData = nullptr;
      if (!writeFailed) {
        queue.erase(queue.begin() + std::ptrdiff_t(i));
        m_view.Overlay("", 0);
        continue;
      }
    }
    m_view.Overlay("", 0);
    if (result == kCancelled) return kStop;
    if (result == kNoLink) {
      Ask({1068}, kInfo);
      return kStop;
    }
    // A failed download or a PC file that could not be written: the entry stays queued.
    const int answer = Ask({1058}, kAbortRetryIgnore);
    if (answer == kAbort || (answer != kRetry && answer != kIgnore)) {
      m_phone.PowerOff();
      return kStop;
    }
    if (!writeFailed && Reconnect() == kStop) return kStop;
    m_view.OverlayId(1075, 0x300);  // "Wait..."
    m_view.Pause();
    --count;
    if (answer == kRetry) {
      --m_done;
      continue;  // the same entry again
    }
    ++i;
  }
  return count;
}

int CPhoneRuns::UploadQueued(RecordTable& table, std::uint32_t folderId, bool run) {
  using namespace RowBits;
  int count = 0;
  for (std::size_t i = 0; i < table.rows.size();) {
    if (run && m_closing) return kStop;
    TransferRecord& row = table.rows[i];
    if (row.dataWord & Parent) {
      ++i;
      continue;
    }
    if (!(row.dataWord & Marked) && !(row.dataWord & Queued)) {
      if (row.IsFolder() && row.children) {
        const int inner = UploadQueued(*row.children, row.id & 0xFFFF, run);
        if (inner == kStop) return kStop;
        count += inner;
      }
      ++i;
      continue;
    }
    if (!(row.dataWord & Marked)) {
      ++count;
      if (run) CounterStep(row.name, 1);
      if (!row.IsFolder()) {
        if (!run) {
          ++i;
          continue;
        }
        const std::vector<std::uint8_t> bytes = ReadFileBytes(row.path);
        PA_MS_RESULT result = kFailed;
        bool unreadable = bytes.empty();
        if (!unreadable) {
          PA_RESOURCE_INFO record;
          record.strFileName = row.name.c_str();
          record.strTitle = row.kind.c_str();
          record.dwFolderId = folderId;
          record.dwSize = DWORD(bytes.size());
          record.pData = const_cast<BYTE*>(bytes.data());
          result = m_phone.PA_UploadResource(&record);
          record.pData = nullptr;
          if (result == 0) {
            row.dataWord = PhoneFile;
            const int mediaClass = GetMediaClass(row.kind);
            row.image = RowImage::OfMediaClass(mediaClass >= 0 && mediaClass <= 2 ? mediaClass : 0);
            row.id = record.dwFileId;
          }
        }
        m_view.Overlay("", 0);
        if (result == kNoLink) {
          Ask({1068}, kInfo);
          return kStop;
        }
        if (result == kCancelled) return kStop;
        if (result == kExists) Ask({1067}, kExclamation);
        if (result == kFailed || unreadable) {
          // An unreadable PC file is a failure too, never counted as sent.
          const int answer = Ask({1058}, kAbortRetryIgnore);
          if (answer != kRetry && answer != kIgnore) {
            m_phone.PowerOff();
            return kStop;
          }
          if (!unreadable && Reconnect() == kStop) return kStop;
          m_view.OverlayId(1075, 0x300);
          m_view.Pause();
          --count;
          if (answer == kRetry) {
            --m_done;
            continue;
          }
        }
        ++i;
        continue;
      }
      // A new folder, with what was queued inside it.
      bool created = false;
      if (run) {
        PA_FOLDER_INFO folder;
        folder.strName = row.name.c_str();
        folder.lFolderId = LONG(folderId);
        const PA_MS_RESULT result = m_phone.PA_CreateFolder(&folder);
        if (result == 0) {
          created = true;
          row.dataWord = PhoneFolder | (row.dataWord & Special);
          row.image = RowImage::Folder;
          row.id = folder.dwNumber;
          row.secondId = folder.dwType;
        } else if (result == kExists) {
          Ask({1067}, kExclamation);
        } else if (result == kCancelled) {
          return kStop;
        } else if (result == kNoLink) {
          Ask({1068}, kInfo);
          return kStop;
        }
        m_view.Overlay("", 0);
      }
      if (row.children) {
        const int inner = UploadQueued(*row.children, row.id & 0xFFFF, run && created);
        if (inner == kStop) return kStop;
        count += inner;
      }
      ++i;
      continue;
    }
    // Marked for deletion.
    ++count;
    if (!run) {
      ++i;
      continue;
    }
    m_view.Overlay(row.name, 0x300);
    const PA_MS_RESULT result = row.IsFolder() ? m_phone.PA_RemoveMSFolder(short(row.id & 0xFFFF), short(row.secondId & 0xFFFF))
                                               : m_phone.PA_RemoveMSResource(short(row.id & 0xFFFF));
    m_view.Overlay("", 0);
    if (result == 0) {
      table.rows.erase(table.rows.begin() + std::ptrdiff_t(i));
      continue;
    }
    if (result == kCancelled) return kStop;
    Ask({1079}, kExclamation);
    ++i;
  }
  return count;
}
