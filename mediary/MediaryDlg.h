#pragma once
// CMediaryDlg: Mediary's one window, hosted by the launcher: the PC pane above the phone pane, the
// commands, the progress bar, the phone runs on one worker thread and the watcher of the
// "CHANGE_RESOURCES" event, which another program sets when it changed the phone's media.
//
// Threads: the dialog and its controls belong to the user-interface thread. The worker reports
// through CPostedView (posted messages; a question is sent and answered here); the watcher posts
// one message per refresh. Both are stopped and joined before the window goes.
#include "MainWindowRules.h"
#include "MediaRules.h"
#include "PcPaneCtrl.h"
#include "PcPaneModel.h"
#include "PhonePaneCtrl.h"
#include "PhonePaneModel.h"
#include "PhoneRuns.h"
#include "RunWorker.h"
#include "resource.h"

#include "FolderComboBox.h"
#include "MediaryKit.h"
#include "PreviewWnd.h"

#include <EmbeddableDialog.h>
#include <SkinButton.h>
#include <SkinProgressCtrl.h>

#include <framework/Afx.h>
#include <kernel/UniqueHandle.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CManager;

class CMediaryDlg : public CEmbeddableDialog {
 public:
  static constexpr UINT kRunMessage = WM_APP + 45;     // a batch of the worker's reports
  static constexpr UINT kAskMessage = WM_APP + 46;     // sent: lParam the question
  static constexpr UINT kChangedMessage = WM_APP + 47; // the media changed on the phone
  static constexpr UINT_PTR kDetectTimer = 501;

  CMediaryDlg(CManager* manager, CWnd* parent = nullptr);
  ~CMediaryDlg() override;

  BOOL OnInitDialog() override;
  BOOL QueryClose() override;
  BOOL PreTranslateMessage(MSG* msg) override;
  const AFX_MSGMAP* GetMessageMap() const override;

  bool Busy() const { return m_worker && m_worker->IsBusy(); }
  // The pane the commands act on: the one that last gained the focus.
  enum class Pane { Pc, Phone };
  Pane ActivePane() const { return m_activePane; }
  const CPreviewWnd& Preview() const { return m_preview; }
  CFolderComboBox& FolderBox() { return m_folderBox; }
  const std::string& CurrentFolder() const { return m_folder; }
  CPhonePaneModel& PhoneModel() { return m_phoneModel; }
  CPcPaneModel& PcModel() { return m_pcModel; }

 protected:
  virtual int ShowMessage(const CString& text, UINT type);
  // The phone the runs speak to: the process's manager; null when there is none. Tests replace it.
  virtual std::unique_ptr<IMediaryPhone> MakePhone();
  void OnOK() override {}
  void OnCancel() override {}

 private:
  class CPostedView : public IRunView {
   public:
    struct Event {
      enum Kind { kOverlay, kDetecting, kProgress, kCounter, kStatus, kReloadPc, kFinished } kind;
      std::string text;
      std::uint32_t a = 0, b = 0;
    };
    struct Question {
      std::vector<int> ids;
      unsigned type = 0;
      int answer = 0;
    };
    void Attach(HWND window) { m_window = window; }
    void Overlay(const std::string& text, unsigned mode) override { Push({Event::kOverlay, text, mode, 0}); }
    void OverlayId(int id, unsigned mode) override;
    void Detecting(bool on) override { Push({Event::kDetecting, {}, on, 0}); }
    void Progress(std::uint32_t range, std::uint32_t position, bool changed) override {
      Push({Event::kProgress, {}, changed ? range : 0xFFFFFFFF, position});
    }
    void Counter(const std::string& text) override { Push({Event::kCounter, text, 0, 0}); }
    int Ask(const std::vector<int>& ids, unsigned type) override;
    void Status(int bytes) override { Push({Event::kStatus, {}, std::uint32_t(bytes), 0}); }
    void ReloadPc() override { Push({Event::kReloadPc, {}, 0, 0}); }
    void Pause() override;
    void Finished() { Push({Event::kFinished, {}, 0, 0}); }
    std::vector<Event> Take();

   private:
    void Push(Event event);
    std::mutex m_lock;
    std::vector<Event> m_events;
    bool m_posted = false;
    HWND m_window = nullptr;
  };

  void OnGet();
  void OnTransfer();
  void OnCancelRun();
  void OnToPhone();
  void OnToPc();
  void OnExit();
  void OnRefresh();
  void OnImages() { ShowKind(0); }
  void OnMelodies() { ShowKind(1); }
  void OnMovies() { ShowKind(2); }
  void ShowKind(int kind);
  void OnDelete();
  void OnNewFolder();
  void SetUpLook();
  void ShowViewButtons();
  // A pane's right click: menu 230 at the cursor, its command sent here.
  void PaneMenu(Pane pane);
  // Backspace and Enter, double clicks: the parent of a pane, or its focused row.
  void OpenInPane(Pane pane, bool parent);
  void ChangeFolder(const std::string& folder);
  void OnPaneNotify(NMHDR* header, LRESULT* result);
  void OnFolderPicked();
  void OnFolderCloseUp();
  void OnFolderEditEnd();
  void UpdatePreview();
  void UpdateDeleteCommand();
  LRESULT OnShowWindow(WPARAM, LPARAM);
  LRESULT OnCtlColorStatic(WPARAM, LPARAM);
  bool AskLanguage();
  void StartRun(bool transfer, int total);
  void SetRunning(bool running);
  void LoadPcFolder();
  LRESULT OnRunReport(WPARAM, LPARAM);
  LRESULT OnAsk(WPARAM, LPARAM);
  LRESULT OnChanged(WPARAM, LPARAM);
  LRESULT OnTimer(WPARAM, LPARAM);
  LRESULT OnDestroy(WPARAM, LPARAM);
  LRESULT OnSetCursor(WPARAM, LPARAM);
  LRESULT OnSize(WPARAM, LPARAM);
  void MoveControl(UINT id, int dx, int dy, int dw, int dh);
  // The progress bar at its place in the layout; during a run, when that leaves it narrower than
  // the template made it (the launcher's pane is narrower than the template), it takes the row of
  // the command buttons as well, which are hidden meanwhile: its texts would be cut off otherwise.
  void PlaceProgressBar(bool running);
  void StopWatcher();

  CManager* m_manager = nullptr;
  CPhonePaneModel m_phoneModel;
  CPcPaneModel m_pcModel;
  CMediaRules m_rules;
  MediaryVariant m_variant;
  std::unique_ptr<CPhonePaneCtrl> m_phoneList;
  std::unique_ptr<CPcPaneCtrl> m_pcList;
  std::unique_ptr<IMediaryPhone> m_phone;
  std::unique_ptr<CPhoneRuns> m_runs;
  std::unique_ptr<CRunWorker> m_worker;
  CPostedView m_view;
  CSkinProgressCtrl m_progress;
  CImageList m_icons;
  CSkinButton m_fileButton, m_viewButton;
  CSkinButton m_kindButtons[3];
  CSkinButton m_commandButtons[5];
  // The File and View buttons and the command buttons hand the focus on when a run disables them.
  CFocusOnDisableHook m_focusHooks[7];
  CFolderComboBox m_folderBox;
  CPreviewWnd m_preview;
  HBITMAP m_phonePicture = nullptr;
  CFont m_titleFont, m_labelFont;
  CBrush m_activeBrush, m_quietBrush;
  Pane m_activePane = Pane::Phone;
  std::string m_folder;
  bool m_firstUse = true;
  bool m_waitCursor = false;
  bool m_asking = false;
  bool m_changePending = false;
  int m_freeSpace = -1;
  SIZE m_lastClient{-1, -1};
  RECT m_barPlace{};   // the progress bar's place in the layout
  int m_barWidth = 0;  // its width in the template
  tolvar::kernel::UniqueHandle m_changeEvent;
  tolvar::kernel::UniqueHandle m_stopEvent;
  std::thread m_watcher;
};
