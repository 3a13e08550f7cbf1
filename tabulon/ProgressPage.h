#pragma once
// The progress page: runs the export or the import on a worker thread of its own and shows it.
//
// Threads: the worker runs tabulon::RunExport or RunImport and reaches this page only through
// the host functions below, which post messages to the page's window (progress coalesced into one
// pending message) and wait on a condition variable for the user's answer to a warning or to the
// quit question. The UI thread owns every control, answers warnings (Back is Force, Next is Skip)
// and, when the run has ended, joins the worker before anything else touches the result.
#include "CsvEngine.h"
#include "CsvOutputFile.h"
#include "TabulonPage.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class CProgressPage : public CTabulonPage, private tabulon::ICsvImportHost, private tabulon::ICsvExportHost {
public:
  CProgressPage() : CTabulonPage(IDD_PROGRESS) {}
  ~CProgressPage() override;

  BOOL OnInitDialog() override;
  BOOL OnSetActive() override;
  LRESULT OnWizardNext() override;
  LRESULT OnWizardBack() override;
  BOOL OnQueryCancel() override;
  const AFX_MSGMAP* GetMessageMap() const override;

  bool IsFinished() const { return m_finished; }

private:
  // Worker thread.
  void RunWorker();
  void OnRecord(int number) override;
  void OnLineJoined() override;
  tabulon::CsvAnswer AskWarning(int code, const std::string& message, bool& applyToAll) override;
  bool StopRequested() override;
  void PostProgress();

  // UI thread.
  LRESULT OnProgressMessage(WPARAM, LPARAM);
  LRESULT OnWarningMessage(WPARAM, LPARAM);
  LRESULT OnDoneMessage(WPARAM, LPARAM);
  void Answer(int answer);  // 1 force, -1 skip
  void ShowWarning(bool show);
  void EndRun();            // joins the worker and puts the files in place
  void StopWorker();

  std::thread m_worker;
  std::mutex m_lock;
  std::condition_variable m_wake;
  std::atomic<bool> m_finished{false};
  std::atomic<bool> m_cancel{false};
  std::atomic<bool> m_waiting{false};  // the quit question is open
  std::atomic<bool> m_progressPosted{false};
  std::atomic<int> m_record{0};
  std::atomic<int> m_position{0};
  int m_answer = 0;           // under m_lock: 0 none yet, 1 force, -1 skip
  bool m_applyToAll = false;  // under m_lock
  std::string m_warning;      // under m_lock

  bool m_askingWarning = false;  // UI: Back and Next are Force and Skip
  bool m_doneWhileAsking = false;
  bool m_started = false;
  CString m_backLabel, m_nextLabel;
  std::string m_recordFormat;
  tabulon::CsvTexts m_texts;
  tabulon::CCsvOutputFile m_file;  // the export file, or the log
  std::string m_logText;
  bool m_fileOpened = false;
  tabulon::CsvImportResult m_importResult;
  tabulon::CsvExportResult m_exportResult;
};
