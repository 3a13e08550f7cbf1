// The progress page and its worker: see ProgressPage.h.
#include "ProgressPage.h"

#include "CsvText.h"
#include "WizardSheet.h"

#include <base/Time.h>
#include <kernel/File.h>
#include <registry/WinReg.h>

namespace {

constexpr UINT WM_CSV_PROGRESS = WM_APP + 0x40;
constexpr UINT WM_CSV_WARNING = WM_APP + 0x41;
constexpr UINT WM_CSV_DONE = WM_APP + 0x42;

// The log's folder: "INSTAL_DIRECTORY" of the suite's settings, else drive C.
std::string LogFolder() {
  std::string folder = "C:";
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Config\\Corvel", 0, KEY_READ, &key) ==
      ERROR_SUCCESS) {
    DWORD type = REG_NONE, size = 0;
    if (RegQueryValueExA(key, "INSTAL_DIRECTORY", nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ &&
        size > 1) {
      std::string value(size, '\0');
      if (RegQueryValueExA(key, "INSTAL_DIRECTORY", nullptr, &type, reinterpret_cast<LPBYTE>(value.data()), &size) ==
          ERROR_SUCCESS) {
        value.resize(std::char_traits<char>::length(value.c_str()));
        if (!value.empty()) folder = value;
      }
    }
    RegCloseKey(key);
  }
  return folder;
}

// The log goes to its file and is kept for the report should the file fail.
struct TeeLog final : tabulon::ICsvOutput {
  tabulon::CCsvOutputFile& file;
  std::string& copy;
  bool Write(std::string_view bytes) override {
    copy += bytes;
    return file.Write(bytes);
  }
  TeeLog(tabulon::CCsvOutputFile& f, std::string& c) : file(f), copy(c) {}
};

}  // namespace

CProgressPage::~CProgressPage() { StopWorker(); }

const AFX_MSGMAP* CProgressPage::GetMessageMap() const {
  static const AFX_MSGMAP map{CTabulonPage::GetMessageMap(), {
      MapMessage(WM_CSV_PROGRESS, &CProgressPage::OnProgressMessage),
      MapMessage(WM_CSV_WARNING, &CProgressPage::OnWarningMessage),
      MapMessage(WM_CSV_DONE, &CProgressPage::OnDoneMessage),
  }};
  return &map;
}

BOOL CProgressPage::OnInitDialog() {
  CTabulonPage::OnInitDialog();
  const bool exporting = Sheet().IsExport();
  SetText(IDC_PROGRESS_HEADING, exporting ? IDS_EXPORT_HEADING : IDS_IMPORT_HEADING);
  SetHeadingFont(IDC_PROGRESS_HEADING);
  SetText(IDC_WARNING_LABEL, IDS_WARNING);
  SetText(IDC_APPLY_ALL, IDS_APPLY_ALL);
  ::ShowWindow(::GetDlgItem(m_hWnd, IDC_APPLY_ALL), exporting ? SW_HIDE : SW_SHOW);
  return TRUE;
}

BOOL CProgressPage::OnSetActive() {
  CWizardSheet& sheet = Sheet();
  sheet.SetWizardButtons(0);
  if (m_started) return CTabulonPage::OnSetActive();
  m_started = true;
  const bool exporting = sheet.IsExport();
  m_recordFormat = TabulonString(exporting ? IDS_EXPORT_RECORD : IDS_IMPORT_RECORD);
  for (int code = 1; code <= 5; ++code) m_texts.warnings[static_cast<std::size_t>(code)] = TabulonString(IDS_WARNING_BASE + static_cast<UINT>(code));
  m_texts.record = TabulonString(IDS_RECORD);
  m_texts.skipped = TabulonString(IDS_SKIPPED);
  m_texts.forced = TabulonString(IDS_FORCED);
  m_texts.importedSummary = TabulonString(IDS_SUMMARY_IMPORTED);
  m_texts.skippedSummary = TabulonString(IDS_SUMMARY_SKIPPED);
  m_texts.warningsSummary = TabulonString(IDS_SUMMARY_WARNINGS);
  ShowWarning(false);

  int total = 0;
  if (exporting) {
    total = sheet.RecordList() ? sheet.RecordList()->count : 0;
    m_fileOpened = m_file.Open(sheet.m_path);
  } else {
    total = static_cast<int>(sheet.m_file.Lines().size()) - (sheet.m_headerLine ? 1 : 0);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::string folder = LogFolder();
    CreateDirectoryA(folder.c_str(), nullptr);  // drive C's folder may not exist yet
    const std::string path = tabulon::LogFileName(folder, now);
    sheet.m_outcome.logPath = path;
    m_fileOpened = m_file.Open(path);
    if (m_fileOpened) {
      const std::string preamble = tabulon::LogPreamble(path, now);
      m_logText = preamble;
      m_fileOpened = m_file.Write(preamble);
    }
  }
  ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS, PBM_SETRANGE32, 0, total > 0 ? total : 1);
  ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS, PBM_SETPOS, 0, 0);
  // Everything the worker reads is set up: start it now. A file that cannot be opened ends the run
  // at once, and the report says so.
  if (m_fileOpened)
    m_worker = std::thread([this] { RunWorker(); });
  else
    ::PostMessageA(m_hWnd, WM_CSV_DONE, 0, 0);
  return CTabulonPage::OnSetActive();
}

void CProgressPage::RunWorker() {
  CWizardSheet& sheet = Sheet();
  if (sheet.IsExport()) {
    static const CSV_RECORD_LIST empty{};
    m_exportResult = tabulon::RunExport(sheet.RecordList() ? *sheet.RecordList() : empty, sheet.Fields(),
                                        sheet.m_separator, sheet.m_headerLine, m_file, *this);
  } else {
    TeeLog log(m_file, m_logText);
    m_importResult = tabulon::RunImport({sheet.m_file.Lines(), sheet.m_headerLine, sheet.m_separator, sheet.m_mapping,
                                         sheet.Fields(), sheet.RecordList()},
                                        *this, log, m_texts);
  }
  ::PostMessageA(m_hWnd, WM_CSV_DONE, 0, 0);
}

void CProgressPage::PostProgress() {
  if (!m_progressPosted.exchange(true)) ::PostMessageA(m_hWnd, WM_CSV_PROGRESS, 0, 0);
}

void CProgressPage::OnRecord(int number) {
  m_record = number;
  ++m_position;
  PostProgress();
}

void CProgressPage::OnLineJoined() {
  ++m_position;
  PostProgress();
}

tabulon::CsvAnswer CProgressPage::AskWarning(int, const std::string& message, bool& applyToAll) {
  std::unique_lock lock(m_lock);
  m_warning = message;
  m_answer = 0;
  ::PostMessageA(m_hWnd, WM_CSV_WARNING, 0, 0);
  m_wake.wait(lock, [&] { return m_answer != 0 || m_cancel; });
  if (m_cancel) return tabulon::CsvAnswer::Cancel;
  applyToAll = m_applyToAll;
  return m_answer > 0 ? tabulon::CsvAnswer::Force : tabulon::CsvAnswer::Skip;
}

bool CProgressPage::StopRequested() {
  std::unique_lock lock(m_lock);
  m_wake.wait(lock, [&] { return !m_waiting || m_cancel; });
  return m_cancel;
}

LRESULT CProgressPage::OnProgressMessage(WPARAM, LPARAM) {
  m_progressPosted = false;
  ::SetDlgItemTextA(m_hWnd, IDC_RECORD_LABEL, tabulon::FormatText(m_recordFormat, m_record.load()).c_str());
  ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(m_position.load()), 0);
  return 0;
}

void CProgressPage::ShowWarning(bool show) {
  for (int id : {IDC_WARNING_LABEL, IDC_WARNING_TEXT}) ::ShowWindow(::GetDlgItem(m_hWnd, id), show ? SW_SHOW : SW_HIDE);
}

LRESULT CProgressPage::OnWarningMessage(WPARAM, LPARAM) {
  std::string text;
  {
    std::lock_guard lock(m_lock);
    text = m_warning;
  }
  ::SetDlgItemTextA(m_hWnd, IDC_WARNING_TEXT, text.c_str());
  ShowWarning(true);
  CWizardSheet& sheet = Sheet();
  sheet.SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
  char label[64] = {};
  ::GetDlgItemTextA(sheet.m_hWnd, ID_WIZBACK, label, sizeof label);
  m_backLabel = label;
  ::GetDlgItemTextA(sheet.m_hWnd, ID_WIZNEXT, label, sizeof label);
  m_nextLabel = label;
  ::SetDlgItemTextA(sheet.m_hWnd, ID_WIZBACK, TabulonText(IDS_FORCE));
  ::SetDlgItemTextA(sheet.m_hWnd, ID_WIZNEXT, TabulonText(IDS_SKIP));
  m_askingWarning = true;
  return 0;
}

void CProgressPage::Answer(int answer) {
  const bool applyToAll = ::IsDlgButtonChecked(m_hWnd, IDC_APPLY_ALL) == BST_CHECKED;
  ::CheckDlgButton(m_hWnd, IDC_APPLY_ALL, BST_UNCHECKED);
  ShowWarning(false);
  CWizardSheet& sheet = Sheet();
  ::SetDlgItemTextA(sheet.m_hWnd, ID_WIZBACK, m_backLabel);
  ::SetDlgItemTextA(sheet.m_hWnd, ID_WIZNEXT, m_nextLabel);
  sheet.SetWizardButtons(0);
  m_askingWarning = false;
  {
    std::lock_guard lock(m_lock);
    m_applyToAll = applyToAll;
    m_answer = answer;
  }
  m_wake.notify_all();
}

LRESULT CProgressPage::OnWizardBack() {
  if (m_askingWarning) Answer(1);  // Back is Force
  return -1;
}

LRESULT CProgressPage::OnWizardNext() {
  if (m_askingWarning) {
    Answer(-1);  // Next is Skip
    return -1;
  }
  return m_finished ? CTabulonPage::OnWizardNext() : -1;
}

void CProgressPage::StopWorker() {
  if (!m_worker.joinable()) return;
  m_cancel = true;
  m_wake.notify_all();
  m_worker.join();
}

void CProgressPage::EndRun() {
  if (m_worker.joinable()) m_worker.join();
  if (m_finished) return;
  m_finished = true;
  CWizardSheet& sheet = Sheet();
  CsvRunOutcome& outcome = sheet.m_outcome;
  if (sheet.IsExport()) {
    outcome.written = m_exportResult.written;
    outcome.failed = !m_fileOpened || m_exportResult.failed;
  } else {
    outcome.failed = !m_fileOpened || m_importResult.logFailed;
    outcome.logText = m_logText;
  }
  // The run's file is put in place only when whole.
  if (outcome.failed)
    m_file.Discard();
  else if (!m_file.Commit())
    outcome.failed = true;
}

LRESULT CProgressPage::OnDoneMessage(WPARAM, LPARAM) {
  if (m_waiting) {  // handled once the quit question is answered
    m_doneWhileAsking = true;
    return 0;
  }
  if (m_finished) return 0;
  EndRun();
  CWizardSheet& sheet = Sheet();
  sheet.SetWizardButtons(PSWIZB_NEXT);
  sheet.PressButton(PSBTN_NEXT);
  return 0;
}

BOOL CProgressPage::OnQueryCancel() {
  if (m_finished) return CTabulonPage::OnQueryCancel();
  m_waiting = true;
  const bool quit = CTabulonPage::OnQueryCancel() != FALSE;
  {
    std::lock_guard lock(m_lock);
    m_waiting = false;
    if (quit) m_cancel = true;
  }
  m_wake.notify_all();
  if (quit) {
    // The worker stops after the current record; what it appended stays in the caller's list.
    EndRun();
    return TRUE;
  }
  if (m_doneWhileAsking) {
    m_doneWhileAsking = false;
    OnDoneMessage(0, 0);
  }
  return FALSE;
}
