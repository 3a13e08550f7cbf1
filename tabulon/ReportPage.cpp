// The report and last pages: see ReportPage.h.
#include "ReportPage.h"

#include "CsvText.h"
#include "WizardSheet.h"

#include <kernel/File.h>
#include <kernel/Io.h>
#include <kernel/UniqueHandle.h>

namespace {

std::string ReadLog(const std::string& path, bool& ok) {
  tolvar::kernel::UniqueHandle file(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ok = static_cast<bool>(file);
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (ok && ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  return bytes;
}

}  // namespace

BOOL CReportPage::OnSetActive() {
  CWizardSheet& sheet = Sheet();
  sheet.SetWizardButtons(PSWIZB_FINISH);
  ::EnableWindow(::GetDlgItem(sheet.m_hWnd, IDCANCEL), FALSE);
  HWND list = ::GetDlgItem(m_hWnd, IDC_REPORT_LIST);
  ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
  auto add = [&](const std::string& line) { ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str())); };
  const CsvRunOutcome& outcome = sheet.m_outcome;
  const std::string failure = tabulon::FormatText(TabulonString(IDS_WRITE_FAILED),
                                                  sheet.IsExport() ? sheet.m_path : outcome.logPath);
  if (sheet.IsExport()) {
    for (int i = 0; i < 5; ++i) add("");
    add(tabulon::FormatText(TabulonString(IDS_EXPORTED_TO), sheet.m_path));
    add(tabulon::FormatText(TabulonString(IDS_EXPORTED_COUNT), outcome.written));
    add("");
    add("");
    add(outcome.failed ? failure : TabulonString(IDS_ALL_OK));
  } else {
    bool read = false;
    std::string text = outcome.failed ? std::string() : ReadLog(outcome.logPath, read);
    if (!read) text = outcome.logText;
    for (const std::string& line : tabulon::SplitFileLines(text)) add(line);
    if (outcome.failed) {
      add("");
      add(failure);
    }
  }
  return CTabulonPage::OnSetActive();
}

BOOL CLastPage::OnSetActive() {
  Sheet().SetWizardButtons(PSWIZB_FINISH);
  return CTabulonPage::OnSetActive();
}
