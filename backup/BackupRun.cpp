#include "BackupRun.h"

#include "resource.h"

#include <handport/PhoneErrors.h>

#include <StringLoader.h>

#include <cstring>
#include <vector>

namespace {

constexpr int kContactSlots = 500;
constexpr int kScheduleSlots = 600;
constexpr int kToDoSlots = 100;
constexpr int kGroups = 19;
constexpr int kMaxFolderDepth = 32;  // deeper than any phone keeps: a folder tree that loops
constexpr char kLabel[] = "Teste01";

CString Formatted(UINT textId, LPCSTR argument) {
  CString text;
  text.Format(GetText(textId), argument);
  return text;
}

bool LinkLostOrCancelled(PA_MS_RESULT result) { return result == PA_MS_CANCELLED || result == PA_MS_LINK_DOWN; }

}  // namespace

// --- progress ---

int CTransferProgress::ShiftFor(int total) {
  if (total <= 0x8000) return 0;
  int shift = 7;
  while ((total >> shift) > 0xFFFF) ++shift;
  return shift;
}

void CTransferProgress::Update(int total, int current) {
  if (total != m_lastTotal) {
    m_shift = ShiftFor(total);
    m_maximum = total > 0 ? total >> m_shift : 0;
    m_lastTotal = total;
  }
  m_report.Progress(m_maximum, current > 0 ? current >> m_shift : 0);
}

int CTransferProgress::Callback(int total, int current, void* user) {
  static_cast<CTransferProgress*>(user)->Update(total, current);
  return 0;
}

// --- texts ---

CString DetectionFailureText(DWORD lastError) {
  switch (lastError) {
    case ERROR_PA_CANCELLED: return CString();
    case ERROR_PA_NO_MODEL: return GetText(IDS_DETECTION_PROBLEM);
    case ERROR_PA_NOT_SUPPORTED: return GetText(IDS_NOT_SUPPORTED) + "\n" + GetText(IDS_SWITCHED_OFF);
    case ERROR_PA_OTHER_MODEL: return GetText(IDS_OTHER_MODEL) + "\n" + GetText(IDS_SWITCHED_OFF);
    default: return GetText(IDS_NO_CONNECTION);
  }
}

CString StoppedRunText(PA_MS_RESULT result, DWORD lastError, bool fileFailed) {
  if (result == PA_MS_CANCELLED || lastError == ERROR_PA_CANCELLED) return GetText(IDS_CANCELED);
  return GetText(fileFailed ? IDS_CANNOT_CREATE : IDS_NO_CONNECTION) + "\n" + GetText(IDS_SWITCHED_OFF);
}

CString CBackupRun::CleanIdentity(const char* text) {
  std::string identity(text ? text : "");
  for (std::size_t at; (at = identity.find("0x")) != std::string::npos;) identity.erase(at, 2);
  std::erase(identity, ',');
  if (identity.size() > CBackupArchive::kIdentityChars) identity.resize(CBackupArchive::kIdentityChars);
  return CString(identity.c_str());
}

// --- the run ---

void CBackupRun::StepLine(UINT textId, UINT nameId) {
  const CString line = Formatted(textId, GetText(nameId));
  m_report.Log(line, 0);
  m_report.Overlay(line);
}

void CBackupRun::Completed() { m_report.Log(GetText(IDS_COMPLETED), 0); }

RunOutcome CBackupRun::DetectionFailed() {
  RunOutcome outcome;
  const DWORD error = m_media.LastError();
  if (error == ERROR_PA_CANCELLED) {
    m_media.PowerOff();
    m_report.Log(GetText(IDS_CANCELED), 2);
  } else {
    if (error == ERROR_PA_NOT_SUPPORTED || error == ERROR_PA_OTHER_MODEL) m_media.PowerOff();
    outcome.endMessage = true;
    outcome.endText = DetectionFailureText(error);
  }
  m_media.PA_ClosePort();
  m_report.Busy(false);
  return outcome;
}

RunOutcome CBackupRun::Fail(CBackupArchive& archive, PA_MS_RESULT result) {
  // Taken before the phone is switched off, which sets a last error of its own.
  const CString text = StoppedRunText(result, m_media.LastError(), m_writeFailed);
  m_exchanging = false;
  m_media.PowerOff();
  m_media.PA_ClosePort();
  archive.Discard();  // nothing of the run appears on disk
  m_report.Busy(false);
  return RunOutcome{true, text, false, m_skipped};
}

RunOutcome CBackupRun::WriteFailed(CBackupArchive& archive) {
  m_writeFailed = true;
  return Fail(archive, PA_MS_FAILED);
}

RunOutcome CBackupRun::Run(const CString& path, const RunChoice& choice) {
  m_skipped = false;
  m_writeFailed = false;
  m_report.Log(" ", 0);
  m_report.Log(Formatted(IDS_SAVING_TO, path), 2);
  m_media.SetCallbackFunction(&CTransferProgress::Callback, &m_progress);
  m_report.Overlay(GetText(IDS_DETECTING));
  m_report.Busy(true);

  m_exchanging = true;
  if (m_media.TestModeOn() != PA_MS_OK) {
    m_exchanging = false;
    return DetectionFailed();
  }
  CString lockText;
  switch (m_media.CheckLockInfo()) {
    case PA_MS_OK:
    case PA_MS_LOCK_UNKNOWN: break;
    case PA_MS_NO_SIM: lockText = GetText(IDS_NO_SIM); break;
    case PA_MS_DAYBOOK_LOCKED: lockText = GetText(IDS_DAYBOOK_LOCK); break;
    default: lockText = GetText(IDS_PHONE_LOCK); break;
  }

  CBackupArchive archive;
  bool written = false;
  if (lockText.IsEmpty()) {
    const DWORD kinds = choice.kinds;
    char identity[32] = {};  // the size the phone-access library names: the identity and its NUL
    if (m_phone.PA_GetIMEI(identity) != PA_MS_OK) identity[0] = '\0';
    identity[sizeof identity - 1] = '\0';
    if (archive.Create(path, kLabel, kinds, CleanIdentity(identity)) != BCK_OK) {
      m_exchanging = false;
      m_media.PowerOff();
      m_media.PA_ClosePort();
      m_report.Busy(false);
      return RunOutcome{true, GetText(IDS_CANNOT_CREATE) + "\n" + GetText(IDS_SWITCHED_OFF), false, false};
    }

    if (kinds & BCK_KIND_IMODE) {
      StepLine(IDS_SAVING_KIND, IDS_IMODE);
      if (const PA_MS_RESULT result = m_phone.PA_DownloadIModeMessages(); result != PA_MS_OK) return Fail(archive, result);
      int count = 0;
      m_phone.PA_GetNumIModeMessages(&count);
      for (int index = 0; index < count; ++index) {
        PA_IMODE_INFO mail;
        if (m_phone.PA_GetIModeMessage(static_cast<unsigned>(index), &mail) != PA_OK) continue;
        if (archive.WriteIModeMessage(mail) != BCK_OK) return WriteFailed(archive);
      }
      Completed();
    }
    if (kinds & (BCK_KIND_MMS | BCK_KIND_SMS | BCK_KIND_SMS_EXTRA)) {
      StepLine(IDS_SAVING_KIND, IDS_MESSAGES);
      if (const PA_MS_RESULT result = m_phone.PA_DownloadMessages(); result != PA_MS_OK) return Fail(archive, result);
      Completed();
    }
    if (kinds & (BCK_KIND_CONTACTS | BCK_KIND_SCHEDULE)) {
      m_report.Overlay(GetText(IDS_RETRIEVING_LIST));
      m_report.Log(GetText(IDS_RETRIEVING_LIST), 0);
      if (const PA_MS_RESULT result = m_phone.PA_DownloadResourceList(1); result != PA_MS_OK) return Fail(archive, result);
      Completed();
      m_report.Busy(false);
    }
    if (kinds & BCK_KIND_CONTACTS) {
      m_progress.Reset();
      StepLine(IDS_SAVING_KIND, IDS_GROUPS);
      if (const PA_MS_RESULT result = m_phone.PA_DownloadGroups(); result != PA_MS_OK) return Fail(archive, result);
      Completed();
      m_progress.Reset();
      StepLine(IDS_SAVING_KIND, IDS_CONTACTS);
      if (const PA_MS_RESULT result = m_phone.PA_DownloadPhoneBook(-1); result != PA_MS_OK) return Fail(archive, result);
      Completed();
    }
    m_report.Busy(false);
    m_progress.Reset();
    if (kinds & BCK_KIND_SCHEDULE) {
      StepLine(IDS_SAVING_KIND, IDS_SCHEDULE);
      if (const PA_MS_RESULT result = m_phone.PA_DownloadSchedule(-1); result != PA_MS_OK) return Fail(archive, result);
      Completed();
    }
    if (kinds & BCK_KIND_TODO) {
      m_progress.Reset();
      StepLine(IDS_SAVING_KIND, IDS_TODO);
      if (const PA_MS_RESULT result = m_phone.PA_DownloadToDo(-1); result != PA_MS_OK) return Fail(archive, result);
      Completed();
    }
    if (!WriteDataRecords(archive, choice)) return WriteFailed(archive);
    const std::pair<DWORD, UINT> media[] = {
        {BCK_KIND_PICTURES, IDS_PICTURES}, {BCK_KIND_MELODIES, IDS_MELODIES}, {BCK_KIND_MOVIES, IDS_MOVIES}};
    for (DWORD kind = 0; kind < 3; ++kind) {
      if (!(kinds & media[kind].first)) continue;
      m_progress.Reset();
      StepLine(IDS_SAVING_KIND, media[kind].second);
      if (const PA_MS_RESULT result = SaveMediaFolder(archive, static_cast<short>(kind), kind, 0); result != PA_MS_OK) {
        return Fail(archive, result);
      }
      Completed();
    }
    if (archive.Close() != BCK_OK) {
      m_exchanging = false;
      m_media.PowerOff();
      m_media.PA_ClosePort();
      m_report.Busy(false);
      return RunOutcome{true, GetText(IDS_CANNOT_CREATE) + "\n" + GetText(IDS_SWITCHED_OFF), false, m_skipped};
    }
    written = true;
  }

  m_exchanging = false;
  m_media.PowerOff();
  m_media.PA_ClosePort();
  m_report.Busy(false);
  RunOutcome outcome{true, CString(), written, m_skipped};
  if (!lockText.IsEmpty()) {
    outcome.endText = lockText + "\n\n" + GetText(IDS_SWITCHED_OFF);
  } else {
    outcome.endText = GetText(IDS_TRANSFER_COMPLETE);
    if (m_skipped) outcome.endText += "\n" + GetText(IDS_FILES_SKIPPED);
  }
  return outcome;
}

bool CBackupRun::WriteDataRecords(CBackupArchive& archive, const RunChoice& choice) {
  const DWORD kinds = choice.kinds;
  if (kinds & (BCK_KIND_CONTACTS | BCK_KIND_SCHEDULE)) {
    for (DWORD kind : {BCK_MEDIA_PICTURES, BCK_MEDIA_MELODIES}) {
      short count = 0;
      if (m_phone.PA_GetNumResourcesList(&count, static_cast<short>(kind)) != PA_OK || count <= 0) continue;
      std::vector<PA_RESOURCE_INFO> list(static_cast<std::size_t>(count));
      if (m_phone.PA_GetResourceList(static_cast<unsigned short>(kind), list.data()) != PA_OK) continue;
      for (PA_RESOURCE_INFO& entry : list) {
        entry.dwReserved6 = kind;
        entry.dwSize = 0;
        entry.pData = nullptr;
        if (archive.WriteResource(entry) != BCK_OK) return false;
      }
    }
  }
  if (kinds & BCK_KIND_CONTACTS) {
    for (short number = 1; number <= kGroups; ++number) {
      PA_GROUP_INFO group;
      if (m_phone.PA_GetGroup(&group, number) == PA_OK && !group.strName.IsEmpty() &&
          archive.WriteGroup(static_cast<BYTE>(number), group.strName) != BCK_OK) {
        return false;
      }
    }
    for (short slot = 0; slot < kContactSlots; ++slot) {
      PA_PHONEBOOK_INFO contact;
      if (m_phone.PA_GetPhoneBook(&contact, slot) != PA_OK || !contact.bValid) continue;
      contact.dwReserved8 = static_cast<DWORD>(slot);
      if (archive.WriteContact(contact) != BCK_OK) return false;
    }
  }
  if (kinds & BCK_KIND_SCHEDULE) {
    for (short slot = 0; slot < kScheduleSlots; ++slot) {
      PA_SCHEDULE_INFO entry;
      if (m_phone.PA_GetSchedule(&entry, slot) != PA_OK || !entry.bValid) continue;
      entry.sReserved5 = slot;
      if (archive.WriteSchedule(entry) != BCK_OK) return false;
    }
  }
  if (kinds & BCK_KIND_TODO) {
    for (short slot = 0; slot < kToDoSlots; ++slot) {
      PA_TODO_INFO item;
      if (m_phone.PA_GetToDo(&item, slot) != PA_OK || !item.bValid) continue;
      item.bReserved4 = static_cast<BYTE>(slot);
      if (archive.WriteToDo(item) != BCK_OK) return false;
    }
  }
  if (kinds & (BCK_KIND_MMS | BCK_KIND_SMS)) {
    int count = 0;
    if (m_phone.PA_GetNumMessages(&count) == PA_OK) {
      for (int index = 0; index < count; ++index) {
        PA_MESSAGE_INFO message;
        if (m_phone.PA_GetMessage(static_cast<unsigned>(index), &message) != PA_OK) continue;
        const bool mms = message.dwBox == choice.variant.mmsBox && (kinds & BCK_KIND_MMS);
        const bool sms = (message.dwBox == choice.variant.smsBox1 || message.dwBox == choice.variant.smsBox2) &&
                         (kinds & BCK_KIND_SMS);
        if ((mms || sms) && archive.WriteMessage(message) != BCK_OK) return false;
      }
    }
  }
  return true;
}

PA_MS_RESULT CBackupRun::SaveMediaFolder(CBackupArchive& archive, short folder, DWORD kind, int depth) {
  if (depth > kMaxFolderDepth) return PA_MS_FAILED;
  short subfolders = 0;
  PA_MS_RESULT result = m_media.PA_GetNumSubfolders(&subfolders, folder);
  if (result != PA_MS_OK) return result;
  for (short index = 0; index < subfolders; ++index) {
    PA_FOLDER_INFO info;
    result = m_media.PA_GetFolderInfo(&info, folder, index);
    if (LinkLostOrCancelled(result)) return result;
    if (result != PA_MS_OK) continue;
    info.dwReserved = kind;
    // Folders up to 15 are the phone's own and exist on every phone; a user's folder is written
    // before its content, so a restore creates it before what it holds.
    if (info.dwNumber > 15 && archive.WriteFolder(info) != BCK_OK) {
      m_writeFailed = true;
      return PA_MS_FAILED;
    }
    // A sub-folder that cannot be listed is passed over; a lost link, a cancel or a failed write
    // end the run.
    result = SaveMediaFolder(archive, static_cast<short>(info.dwNumber), kind, depth + 1);
    if (LinkLostOrCancelled(result) || m_writeFailed) return LinkLostOrCancelled(result) ? result : PA_MS_FAILED;
  }
  short files = 0;
  result = m_media.PA_GetNumResources(&files, folder, 0);
  if (result != PA_MS_OK) return result;
  for (short index = 0; index < files; ++index) {
    PA_RESOURCE_INFO record;
    result = m_media.PA_GetResourceInfo(&record, folder, index, 0);
    if (result == PA_MS_OK) result = m_media.PA_DownloadResource(&record, folder, index, 0);
    if (LinkLostOrCancelled(result)) {
      if (record.pData) m_media.DeleteDataArray(record.pData);
      return result;
    }
    if (result != PA_MS_OK) {
      // One file that cannot be read is left out; the end text says that some were.
      m_skipped = true;
      m_report.Log(Formatted(IDS_FILE_SKIPPED, record.strFileName.IsEmpty() ? "?" : static_cast<LPCSTR>(record.strFileName)), 1);
      if (record.pData) m_media.DeleteDataArray(record.pData);
      continue;
    }
    record.dwReserved6 = kind;
    const BYTE written = archive.WriteResource(record);
    m_media.DeleteDataArray(record.pData);
    record.pData = nullptr;
    if (written != BCK_OK) {
      m_writeFailed = true;
      return PA_MS_FAILED;
    }
    m_report.Log(Formatted(IDS_SAVED, record.strFileName), 1);
  }
  return PA_MS_OK;
}

// --- the restore run ---

DWORD CRestoreRun::Remap(const IdMap& map, DWORD id) {
  for (const auto& [from, to] : map) {
    if (from == id) return to;
  }
  return id;
}

void CRestoreRun::StepLine(UINT textId, UINT nameId) {
  const CString line = Formatted(textId, GetText(nameId));
  m_report.Log(line, 0);
  m_report.Overlay(line);
}

void CRestoreRun::Completed() { m_report.Log(GetText(IDS_COMPLETED), 0); }

RunOutcome CRestoreRun::Fail(PA_MS_RESULT result) {
  const CString text = StoppedRunText(result, m_media.LastError(), false);
  m_exchanging = false;
  m_media.PowerOff();
  m_media.PA_ClosePort();
  m_report.Busy(false);
  return RunOutcome{true, text, false, false};
}

int CRestoreRun::ClearPhoneFolder(short folder, int depth) {
  if (depth > kMaxFolderDepth) return 0;
  short subfolders = 0;
  if (m_media.PA_GetNumSubfolders(&subfolders, folder) != PA_MS_OK) return 0;
  for (short index = static_cast<short>(subfolders - 1); index >= 0; --index) {
    PA_FOLDER_INFO info;
    const PA_MS_RESULT result = m_media.PA_GetFolderInfo(&info, folder, index);
    if (result == PA_MS_CANCELLED) return 0;
    if (result != PA_MS_OK) continue;
    // Emptied first: a folder that is gone cannot be listed any more.
    if (!ClearPhoneFolder(static_cast<short>(info.dwNumber), depth + 1)) return 0;
    // The phone's own folders (up to 15) stay, emptied: a backup keeps their files, not the folders,
    // and puts the files back into them.
    if (info.dwNumber > 15 &&
        m_media.PA_RemoveMSFolder(static_cast<short>(info.dwNumber), static_cast<short>(info.dwType)) == PA_MS_CANCELLED) {
      return 0;
    }
  }
  short files = 0;
  if (m_media.PA_GetNumResources(&files, folder, 0) != PA_MS_OK) return 0;
  for (short index = static_cast<short>(files - 1); index >= 0; --index) {
    PA_RESOURCE_INFO record;
    const PA_MS_RESULT result = m_media.PA_GetResourceInfo(&record, folder, index, 0);
    if (result == PA_MS_CANCELLED) return 0;
    if (result != PA_MS_OK) continue;
    if (m_media.PA_RemoveMSResource(static_cast<short>(record.dwFileId)) == PA_MS_CANCELLED) return 0;
  }
  return 1;
}

RunOutcome CRestoreRun::Run(const CString& path, const RunChoice& choice) {
  const DWORD kinds = choice.kinds;
  m_folderIds.clear();
  m_fileIds.clear();
  m_refused = 0;
  CString start;
  start.Format("%s %s", static_cast<LPCSTR>(GetText(IDS_START)), static_cast<LPCSTR>(GetText(IDS_RESTORING)));
  m_report.Log(start, 2);
  // The whole file is read before the phone is touched: a damaged file changes nothing.
  if (CheckBackupFile(path) != BCK_OK) return RunOutcome{true, GetText(IDS_BACKUP_FILE_DAMAGED), false, false};

  m_media.SetCallbackFunction(&CTransferProgress::Callback, &m_progress);
  m_report.Overlay(GetText(IDS_DETECTING));
  m_report.Busy(true);
  m_exchanging = true;
  const PA_MS_RESULT detected = m_media.TestModeOn();
  if (detected != PA_MS_OK) {
    m_exchanging = false;
    RunOutcome outcome;
    const DWORD error = m_media.LastError();
    if (error == ERROR_PA_CANCELLED) {
      if (detected != PA_MS_LINK_DOWN) m_media.PowerOff();
      m_report.Log(GetText(IDS_CANCELED), 2);
    } else {
      if (error == ERROR_PA_NOT_SUPPORTED || error == ERROR_PA_OTHER_MODEL) m_media.PowerOff();
      outcome = RunOutcome{true, DetectionFailureText(error), false, false};
    }
    m_media.PA_ClosePort();
    m_report.Busy(false);
    return outcome;
  }
  CString lockText;
  switch (m_media.CheckLockInfo()) {
    case PA_MS_OK:
    case PA_MS_LOCK_UNKNOWN: break;
    case PA_MS_NO_SIM: lockText = GetText(IDS_NO_SIM); break;
    case PA_MS_DAYBOOK_LOCKED: lockText = GetText(IDS_DAYBOOK_LOCK); break;
    default: lockText = GetText(IDS_PHONE_LOCK); break;
  }

  if (lockText.IsEmpty()) {
    CBackupArchive archive;
    if (archive.Open(path) != BCK_OK) {
      // Gone or changed since it was checked; nothing on the phone has changed yet.
      RunOutcome outcome = Fail(PA_MS_FAILED);
      outcome.endText = GetText(IDS_BACKUP_FILE_DAMAGED);
      return outcome;
    }
    const std::pair<DWORD, UINT> media[] = {
        {BCK_KIND_PICTURES, IDS_PICTURES}, {BCK_KIND_MELODIES, IDS_MELODIES}, {BCK_KIND_MOVIES, IDS_MOVIES}};
    for (short kind = 0; kind < 3; ++kind) {
      if (!(kinds & media[kind].first)) continue;
      StepLine(IDS_DELETING_KIND, media[kind].second);
      if (!ClearPhoneFolder(kind)) return Fail(PA_MS_FAILED);
      Completed();
    }
    if (kinds & (BCK_KIND_PICTURES | BCK_KIND_MELODIES | BCK_KIND_MOVIES)) m_report.MediaChanged();
    if (kinds & BCK_KIND_CONTACTS) {
      m_phone.PA_ClearResourceInfo(0);
      m_phone.PA_ClearResourceInfo(1);
    }
    if (kinds & BCK_KIND_SCHEDULE) m_phone.PA_ClearResourceInfo(1);
    for (short slot = 0; slot < kContactSlots; ++slot) m_phone.PA_RemovePrivatePhoneBook(slot);
    for (short slot = 0; slot <= kGroups; ++slot) m_phone.PA_RemovePrivateGroup(slot);
    for (short slot = 0; slot < kScheduleSlots; ++slot) m_phone.PA_RemovePrivateSchedule(slot);
    for (short slot = 0; slot < kToDoSlots; ++slot) m_phone.PA_RemovePrivateToDo(slot);
    m_report.Busy(false);
    m_progress.Reset();

    if (const PA_MS_RESULT result = RecordLoop(archive, kinds); result != PA_MS_OK) return Fail(result);
    archive.Close();

    if (kinds & BCK_KIND_CONTACTS) {
      if (!m_fileIds.empty()) {
        for (short slot = 0; slot < kContactSlots; ++slot) {
          PA_PHONEBOOK_INFO contact;
          if (m_phone.PA_GetPhoneBook(&contact, slot) != PA_OK || !contact.bValid) continue;
          if (contact.dwPictureId) contact.dwPictureId = Remap(m_fileIds, contact.dwPictureId);
          if (contact.dwMelodyId) contact.dwMelodyId = Remap(m_fileIds, contact.dwMelodyId);
          m_phone.PA_PutPhoneBook(&contact, slot);
        }
      }
      StepLine(IDS_RESTORING_KIND, IDS_GROUPS);
      if (const PA_MS_RESULT result = m_phone.PA_UploadGroups(); result != PA_MS_OK) return Fail(result);
      Completed();
      StepLine(IDS_RESTORING_KIND, IDS_CONTACTS);
      if (const PA_MS_RESULT result = m_phone.PA_UploadPhoneBook(-1); result != PA_MS_OK) return Fail(result);
      Completed();
    }
    if (kinds & BCK_KIND_SCHEDULE) {
      if (!m_fileIds.empty()) {
        for (short slot = 0; slot < kScheduleSlots; ++slot) {
          PA_SCHEDULE_INFO entry;
          if (m_phone.PA_GetSchedule(&entry, slot) != PA_OK || !entry.bValid || !entry.dwMelodyId) continue;
          entry.dwMelodyId = Remap(m_fileIds, entry.dwMelodyId);
          m_phone.PA_PutSchedule(&entry, slot);
        }
      }
      StepLine(IDS_RESTORING_KIND, IDS_SCHEDULE);
      if (const PA_MS_RESULT result = m_phone.PA_UploadSchedule(-1); result != PA_MS_OK) return Fail(result);
      Completed();
    }
    m_folderIds.clear();
    m_fileIds.clear();
    if (kinds & BCK_KIND_TODO) {
      StepLine(IDS_RESTORING_KIND, IDS_TODO);
      if (const PA_MS_RESULT result = m_phone.PA_UploadToDo(-1); result != PA_MS_OK) return Fail(result);
      Completed();
    }
    if (kinds & (BCK_KIND_MMS | BCK_KIND_SMS)) {
      m_report.Busy(true);
      StepLine(IDS_RESTORING_KIND, IDS_MESSAGES);
      if (const PA_MS_RESULT result = m_phone.PA_UploadMessages(); result != PA_MS_OK) return Fail(result);
      Completed();
      while (m_phone.PA_RemovePrivateMessage(0) == PA_OK) {
      }
      m_report.Busy(false);
      m_progress.Reset();
    }
    if (kinds & BCK_KIND_IMODE) {
      m_report.Overlay(GetText(IDS_DETECTING));
      m_report.Busy(true);
      StepLine(IDS_RESTORING_KIND, IDS_IMODE);
      if (const PA_MS_RESULT result = m_phone.PA_UploadIModeMessages(); result != PA_MS_OK) return Fail(result);
      Completed();
      while (m_phone.PA_RemovePrivateIModeMessage(0) == PA_OK) {
      }
      m_report.Busy(false);
      m_progress.Reset();
    }
  }

  m_exchanging = false;
  m_media.PowerOff();
  m_media.PA_ClosePort();
  m_report.Busy(false);
  RunOutcome outcome{true, CString(), false, false};
  if (!lockText.IsEmpty()) {
    outcome.endText = lockText + "\n\n" + GetText(IDS_SWITCHED_OFF);
  } else {
    outcome.endText = GetText(IDS_TRANSFER_COMPLETE);
    if (m_refused) {
      CString refused;
      refused.Format(GetText(IDS_RECORDS_REFUSED), m_refused);
      outcome.endText += "\n" + refused;
    }
  }
  return outcome;
}

PA_MS_RESULT CRestoreRun::RecordLoop(CBackupArchive& archive, DWORD kinds) {
  auto mediaChecked = [kinds](DWORD kind) {
    const DWORD bits[] = {BCK_KIND_PICTURES, BCK_KIND_MELODIES, BCK_KIND_MOVIES};
    return kind > 2 || (kinds & bits[kind]) != 0;
  };
  auto count = [this](PA_RESULT result) {
    if (result != PA_OK) ++m_refused;
  };
  BYTE type = 0;
  while (archive.ReadRecord(&type) == BCK_OK) {
    std::unique_ptr<BYTE[]> data;  // decoded bytes, freed after the put or upload
    switch (type) {
      case BRT_GROUP:
        if (kinds & BCK_KIND_CONTACTS) {
          PA_GROUP_INFO group;
          BYTE number = 0;
          if (archive.ReadGroup(number, group.strName) != BCK_OK) return PA_MS_FAILED;
          group.bExists = 1;
          count(m_phone.PA_PutGroup(&group, number));
        }
        break;
      case BRT_CONTACT:
        if (kinds & BCK_KIND_CONTACTS) {
          PA_PHONEBOOK_INFO contact;
          if (archive.ReadContact(contact) != BCK_OK) return PA_MS_FAILED;
          count(m_phone.PA_PutPhoneBook(&contact, static_cast<short>(contact.dwReserved8 & 0xFFFF)));
        }
        break;
      case BRT_SCHEDULE:  // a type 5 record is never restored
        if (kinds & BCK_KIND_SCHEDULE) {
          PA_SCHEDULE_INFO entry;
          if (archive.ReadSchedule(entry) != BCK_OK) return PA_MS_FAILED;
          count(m_phone.PA_PutSchedule(&entry, entry.sReserved5));
        }
        break;
      case BRT_TODO:
        if (kinds & BCK_KIND_TODO) {
          PA_TODO_INFO item;
          if (archive.ReadToDo(item) != BCK_OK) return PA_MS_FAILED;
          count(m_phone.PA_PutToDo(&item, item.bReserved4));
        }
        break;
      case BRT_MESSAGE: {
        PA_MESSAGE_INFO message;
        if (archive.ReadMessage(message, data) != BCK_OK) return PA_MS_FAILED;
        const bool mms = message.dwBox == 3 && (kinds & BCK_KIND_MMS);
        const bool sms = (message.dwBox == 1 || message.dwBox == 2) && (kinds & BCK_KIND_SMS);
        if (mms || sms) count(m_phone.PA_PutMessage(&message));
        break;
      }
      case BRT_IMODE_MESSAGE:
        if (kinds & BCK_KIND_IMODE) {
          PA_IMODE_INFO mail;
          if (archive.ReadIModeMessage(mail, data) != BCK_OK) return PA_MS_FAILED;
          count(m_phone.PA_PutIModeMessage(&mail));
        }
        break;
      case BRT_RESOURCE:
      case BRT_RESOURCE_ALT: {
        PA_RESOURCE_INFO record;
        if (archive.ReadResource(record, data) != BCK_OK) return PA_MS_FAILED;
        const DWORD kind = record.dwReserved6;
        if (record.dwSize == 0) {
          if (kinds & (BCK_KIND_CONTACTS | BCK_KIND_SCHEDULE)) {
            count(m_phone.PA_PutResourceInfo(static_cast<unsigned short>(kind), record, 0xFFFFFFFF));
          }
          break;
        }
        if (!mediaChecked(kind)) break;
        StepLine(IDS_RESTORING_KIND, IDS_RESOURCES);
        record.dwFolderId = Remap(m_folderIds, record.dwFolderId);
        m_progress.Reset();
        const DWORD oldId = record.dwFileId;
        const PA_MS_RESULT result = m_media.PA_UploadResource(&record);
        record.pData = nullptr;
        data.reset();
        if (result != PA_MS_OK && result != PA_MS_EXISTS) return result;
        m_phone.PA_PutResourceInfo(static_cast<unsigned short>(kind), record, oldId);
        m_fileIds.emplace_back(oldId, record.dwFileId);
        m_report.Log(Formatted(IDS_RESTORED, record.strFileName), 1);
        break;
      }
      case BRT_FOLDER:
      case BRT_FOLDER_ALT: {
        PA_FOLDER_INFO folder;
        if (archive.ReadFolder(folder) != BCK_OK) return PA_MS_FAILED;
        if (!mediaChecked(folder.dwReserved)) break;
        StepLine(IDS_RESTORING_KIND, IDS_RESOURCES);
        folder.lFolderId = static_cast<LONG>(Remap(m_folderIds, static_cast<DWORD>(folder.lFolderId)));
        const DWORD oldId = folder.dwNumber;
        const PA_MS_RESULT result = m_media.PA_CreateFolder(&folder);
        if (result != PA_MS_OK && result != PA_MS_EXISTS) return result;
        m_folderIds.emplace_back(oldId, folder.dwNumber);
        break;
      }
      default: break;
    }
  }
  return PA_MS_OK;
}
