#pragma once
// CBackupDlg: Backup's one window, hosted by the launcher. Two columns of check boxes (what to back
// up, what to restore), the log list, the progress bar and the commands. The rules live in
// CBackupModel; this class moves the model's state to the controls, runs the commands and keeps
// the last folder in the registry.
//
// Threads: the dialog and its controls belong to the program's user-interface thread.
#include "BackupArchive.h"
#include "BackupModel.h"
#include "BackupRun.h"

#include <EmbeddableDialog.h>
#include <SkinButton.h>
#include <SkinListCtrl.h>
#include <SkinProgressCtrl.h>

#include <framework/Afx.h>
#include <kernel/UniqueHandle.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CManager;

// The log list: each row is drawn by its item data (the line's kind): 1 a file, in grey; 2 a
// headline, in the highlight colour; 0 a step, as the kit draws a row.
class CBackupLogList : public CSkinListCtrl {
 public:
  static constexpr COLORREF kFileColour = 0x979797;
  static constexpr COLORREF kHeadlineColour = 0x0000FF;
  void DrawItem(LPDRAWITEMSTRUCT drawItem) override;
};

class CBackupDlg : public CEmbeddableDialog {
 public:
  enum LogKind { kStep = 0, kFile = 1, kHeadline = 2 };

  CBackupDlg(CManager* manager, const BackupVariant& variant, CWnd* parent = nullptr);
  ~CBackupDlg() override;

  BOOL OnInitDialog() override;
  BOOL QueryClose() override;
  BOOL PreTranslateMessage(MSG* msg) override;
  const AFX_MSGMAP* GetMessageMap() const override;

  // The log: `text` cut into lines, each a row of the kind.
  void AddLogLine(const CString& text, int kind);
  // Shows the kinds of the backup file at `path` in the restore column. A file that is not a backup
  // gets a message and leaves the restore column reset; false then.
  bool ShowFileKinds(const CString& path);
  // The open command's work once a file was chosen.
  void OpenBackupFile(const CString& path);

  // A run of the worker thread is going on (from its start to the UI thread's end handling).
  bool Running() const { return m_worker.joinable(); }

  const CBackupModel& Model() const { return m_model; }
  const CString& LastFolder() const { return m_lastFolder; }
  const CString& BackupPath() const { return m_backupPath; }
  CBackupLogList& LogList() { return m_log; }

 protected:
  // The program's message box; tests replace it.
  virtual int ShowMessage(const CString& text, UINT type);
  // The file dialogs; an empty path when cancelled. Tests replace them.
  virtual CString ChooseFile(bool forSaving);
  // The phone a run speaks to: the process's manager; null when there is none. Tests replace it.
  virtual std::unique_ptr<IBackupPhone> MakePhone();

  void OnOK() override {}
  void OnCancel() override {}  // Escape does not close the dialog

 private:
  void OnRowClicked(UINT id);
  void OnBackupMovies() { OnRowClicked(RowInfo(BackupRow::Movies).backupBox); }
  void OnRestoreMovies() { OnRowClicked(RowInfo(BackupRow::Movies).restoreBox); }
  void OnBackupCommand();
  void OnRestoreCommand();
  void OnOpenCommand();
  void OnCloseCommand();
  void OnCancelRun();
  LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
  LRESULT OnSize(WPARAM wParam, LPARAM lParam);
  LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
  LRESULT OnTimer(WPARAM wParam, LPARAM lParam);

  // What the worker reports, queued for the user-interface thread, which is woken by one posted
  // message per batch.
  class CQueuedReport : public IRunReport {
   public:
    struct Event {
      enum Kind { kLog, kOverlay, kBusy, kProgress, kFinished } kind;
      CString text;
      int a = 0, b = 0;
    };
    void Attach(HWND window) { m_window = window; }
    void Log(const CString& text, int kind) override { Push({Event::kLog, text, kind, 0}); }
    void Overlay(const CString& text) override { Push({Event::kOverlay, text, 0, 0}); }
    void Busy(bool on) override { Push({Event::kBusy, CString(), on, 0}); }
    void Progress(int maximum, int position) override { Push({Event::kProgress, CString(), maximum, position}); }
    void Finished() { Push({Event::kFinished, CString(), 0, 0}); }
    // Tells a running multimedia manager that the phone's media changed; the event stays open.
    void MediaChanged() override;
    std::vector<Event> Take();

   private:
    void Push(Event event);
    std::mutex m_lock;
    std::vector<Event> m_events;
    bool m_posted = false;
    HWND m_window = nullptr;
    tolvar::kernel::UniqueHandle m_mediaEvent;
  };

  bool StartRun(bool restore);
  bool Exchanging() const;
  void SetRunning(bool running);
  LRESULT OnReport(WPARAM, LPARAM);
  LRESULT OnExitTransfer(WPARAM, LPARAM);
  void EndRun();
  // Cancels the run's phone exchange (while it runs) and waits for the worker, answering sent
  // messages meanwhile.
  void CancelAndWait();

  void ShowModel();  // the check boxes, labels and Restore button from the model
  void LoadSettings();
  void SaveLastFolder() const;
  void MoveControl(UINT id, int dx, int dy, int dw, int dh);
  bool IsChecked(UINT id) const;

  CManager* m_manager = nullptr;
  CQueuedReport m_report;
  std::unique_ptr<IBackupPhone> m_phone;
  std::unique_ptr<CBackupRun> m_run;
  std::unique_ptr<CRestoreRun> m_restore;
  bool m_restoring = false;
  std::thread m_worker;
  std::atomic<bool> m_workerDone{false};
  RunOutcome m_outcome;
  CString m_endText;
  bool m_asking = false;       // the cancel question is up
  bool m_endPending = false;   // an end message came while it was

  CBackupModel m_model;
  CBackupArchive m_archive;
  CString m_lastFolder;
  CString m_backupPath;
  LPCSTR m_cursor = IDC_ARROW;
  bool m_haveReferenceSize = false;
  SIZE m_referenceSize{};

  CBackupLogList m_log;
  CSkinProgressCtrl m_progress;
  CSkinButton m_backupButton, m_restoreButton, m_openButton, m_cancelButton, m_fileButton;
  CFont m_headingFont, m_labelFont, m_barFont;
  HICON m_icon = nullptr;
};

// The About box (its second line says what the program does).
class CBackupAboutDlg : public CDialog {
 public:
  explicit CBackupAboutDlg(CWnd* parent = nullptr);
};

// The settings value "Build" of the phone chosen in the link service ("" when none).
CString ReadBuildSetting();
