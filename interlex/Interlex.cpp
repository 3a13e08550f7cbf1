// The exchange operations of CInterlex (see Interlex.h).
#include "Interlex.h"

#include "ExchangeFiles.h"

#include <PathSplit.h>
#include "TextRoutines.h"
#include "VCalendar.h"
#include "VCard.h"
#include "res/InterlexRes.h"

#include <StringLoader.h>

#include <base/LastError.h>
#include <kernel/Path.h>
#include <registry/WinReg.h>

#include <string>

int incorrectFileTool = 0;

namespace {

constexpr char kSettingsKey[] = "Software\\Halvane\\Tolvar\\Settings";
constexpr char kVCardFilter[] = "vCard(*.vcf)|*.vcf|All fieles(*.*)|*.*||";
constexpr char kVCalendarFilter[] = "vCalendar(*.vcs)|*.vcs|All fieles(*.*)|*.*||";
constexpr int kPathLimit = 250;

// The process's current directory, put back when the operation ends, whichever way it ends: the
// file dialogs may change it.
class CDirectoryGuard {
public:
  CDirectoryGuard() {
    char buffer[MAX_PATH * 4] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    if (length > 0 && length < sizeof buffer) m_folder = buffer;
  }
  ~CDirectoryGuard() {
    if (!m_folder.empty()) SetCurrentDirectoryA(m_folder.c_str());
  }
  CDirectoryGuard(const CDirectoryGuard&) = delete;
  CDirectoryGuard& operator=(const CDirectoryGuard&) = delete;

private:
  std::string m_folder;
};

}  // namespace

CInterlex::CInterlex() : extended(ReadExtended()) {}

CInterlex::CInterlex(IExchangeUi& ui) : m_ui(&ui) {}

CInterlex::~CInterlex() = default;

CInterlex& CInterlex::operator=(const CInterlex& other) {
  extended = other.extended;
  owner = other.owner;
  keptSelection = other.keptSelection;
  return *this;
}

int CInterlex::ReadExtended() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  char build[16] = {};
  DWORD type = REG_NONE;
  DWORD size = sizeof build;
  const LSTATUS status = RegQueryValueExA(key, "Build", nullptr, &type, reinterpret_cast<LPBYTE>(build), &size);
  RegCloseKey(key);
  // Z and U are the variants with the extended record layouts (and movies).
  return status == ERROR_SUCCESS && size > 0 && (build[0] == 'Z' || build[0] == 'U') ? 1 : 0;
}

bool CInterlex::Refuse(UINT messageId) {
  m_ui->Show(owner, GetText(messageId), GetText(IDS_INTERLEX_CAPTION), MB_OK | MB_ICONERROR);
  return false;
}

void CInterlex::OnBrowse(CString& folder) {
  CString chosen = m_ui->ChooseFolder(owner);
  if (!chosen.IsEmpty()) folder = chosen;
}

int CInterlex::MayWrite(const CString& path, const CString& shownName, bool& yesToAll) {
  if (yesToAll || !interlex::FileExists(path)) return 1;
  // The name goes in as text, never as a format: a '%' in it is shown as it is.
  CString question = GetText(IDS_INTERLEX_OVERWRITE);
  question.Replace("%s", shownName);
  switch (m_ui->Show(owner, question, GetText(IDS_INTERLEX_CAPTION), MB_YESNOCANCEL | MB_ICONWARNING)) {
    case IDYES: yesToAll = true; return 1;
    case IDNO: return 0;
    default: return -1;  // Cancel, or no box: nothing more is written
  }
}

template <class Record, class NameOf, class WriterOf>
int CInterlex::ExportAll(CArray<Record, Record>* array, HWND window, LPCSTR extension, DWORD failure, NameOf name,
                         WriterOf write) {
  CDirectoryGuard directory;
  owner = window;
  CString folder;
  OnBrowse(folder);
  if (folder.IsEmpty() || !array) return 1;
  bool yesToAll = false;
  for (int i = 0; i < array->GetSize(); ++i) {
    const Record& record = array->GetAt(i);
    const auto [fileName, shownName] = name(record, i);
    const CString path = interlex::CutPath(JoinPath(folder, fileName), kPathLimit) + extension;
    const int decision = MayWrite(path, shownName, yesToAll);
    if (decision < 0) return 1;
    if (decision == 0) continue;
    if (!interlex::WriteWholeFile(path, write(record))) {
      SetLastError(failure);
      return 0;
    }
  }
  return 1;
}

int CInterlex::VcardExportAll(CPhoneBookArray* array, HWND window) {
  return ExportAll(
      array, window, ".vcf", INTERLEX_VCARD_CREATE_FAILED,
      [](const PA_PHONEBOOK_INFO& c, int i) { return std::pair(interlex::VCardFileName(c, i), c.strName); },
      [](const PA_PHONEBOOK_INFO& c) { return interlex::WriteVCard(c); });
}

int CInterlex::VcalendarExportAll(CScheduleArray* array, HWND window) {
  return ExportAll(
      array, window, ".vcs", INTERLEX_VCALENDAR_CREATE_FAILED,
      [](const PA_SCHEDULE_INFO& e, int i) { return std::pair(interlex::ScheduleFileName(e, i), e.strDescription); },
      [](const PA_SCHEDULE_INFO& e) { return interlex::WriteSchedule(e); });
}

int CInterlex::VcalendarTodoExportAll(CToDoArray* array, HWND window) {
  const CString word = GetText(IDS_INTERLEX_TODO_WORD);
  return ExportAll(
      array, window, ".vcs", INTERLEX_VCALENDAR_CREATE_FAILED,
      [&word](const PA_TODO_INFO& t, int i) { return std::pair(interlex::ToDoFileName(t, word, i), t.strDescription); },
      [](const PA_TODO_INFO& t) { return interlex::WriteToDo(t); });
}

int CInterlex::VcardImportAll(CPhoneBookArray* array, HWND window) {
  if (!array) return 0;
  CDirectoryGuard directory;
  owner = window;
  std::vector<CString> paths;
  if (!m_ui->ChooseFiles(owner, "vcf", kVCardFilter, paths)) return 0;
  for (const CString& path : paths) {
    std::string bytes;
    interlex::ReadWholeFile(path, bytes);  // an unreadable file reads as empty: no BEGIN line
    PA_PHONEBOOK_INFO contact;
    switch (interlex::ReadVCard(bytes, contact)) {
      case interlex::VCardStatus::NoBegin: return Refuse(IDS_INTERLEX_BAD_FILE);
      case interlex::VCardStatus::NoIdentity: return Refuse(IDS_INTERLEX_NO_IDENTITY);
      case interlex::VCardStatus::Ok: array->Add(contact); break;
    }
  }
  return 1;
}

int CInterlex::VcalenderImportAll(CScheduleArray* array, HWND window) {
  if (!array) return 0;
  CDirectoryGuard directory;
  owner = window;
  incorrectFileTool = 0;
  keptSelection.clear();
  std::vector<CString> paths;
  if (!m_ui->ChooseFiles(owner, "vcs", kVCalendarFilter, paths)) return 0;
  keptSelection = paths;
  for (const CString& path : paths) {
    std::string bytes;
    interlex::ReadWholeFile(path, bytes);
    const interlex::VCalendarRead read = interlex::ReadVCalendar(bytes, extended != 0, CTime::GetCurrentTime());
    if (read.isToDo) incorrectFileTool = 1;
    if (!read.isVCalendar) return Refuse(IDS_INTERLEX_BAD_FILE);
    if (!read.isToDo) array->Add(read.schedule);
  }
  return 1;
}

int CInterlex::VcalenderTodoImportAll(CToDoArray* array, HWND window) {
  if (!array) return 0;
  CDirectoryGuard directory;
  owner = window;
  for (const CString& path : keptSelection) {
    std::string bytes;
    if (!interlex::ReadWholeFile(path, bytes)) continue;
    const interlex::VCalendarRead read = interlex::ReadVCalendar(bytes, extended != 0, CTime::GetCurrentTime());
    if (read.isVCalendar && read.isToDo) array->Add(read.toDo);
  }
  return 1;
}
