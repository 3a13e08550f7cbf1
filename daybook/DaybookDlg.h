#pragma once
// Daybook's main dialog: the header with the File menu and the page buttons, the three pages in the
// page area, the document commands, the keys, and the launcher's close request. The decisions are
// MainDialogRules' and the models'; this class carries them out on the windows.
#include "CalendarPages.h"
#include "ContactsDlg.h"
#include "MainDialogRules.h"
#include "Transfers.h"

#include <EmbeddableDialog.h>
#include <SkinButton.h>
#include <SkinProgressCtrl.h>

#include <atomic>
#include <functional>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

class CDaybookDlg : public CEmbeddableDialog, private daybook::ITransferSink {
 public:
  explicit CDaybookDlg(CManager& manager);
  ~CDaybookDlg() override;

  BOOL OnInitDialog() override;
  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL QueryClose() override;
  const AFX_MSGMAP* GetMessageMap() const override;

  // The document commands; OnSave and OnSaveAs give 1 when the document was written.
  void OnNew();
  void OnOpen();
  int OnSave();
  int OnSaveAs();
  // The pictures and melodies the pages offer, from the phone library's cached lists: after a
  // document was read and after the phone's resource list was fetched. `afterDocument`: the lists
  // came from a document, which keeps only the low byte of each id.
  void RebuildChoices(bool afterDocument);
  // Reads a document into the pages; the path is kept only when the whole document was read.
  bool OpenDocument(const CString& path);

  daybook::Page ShownPage() const { return m_page; }
  CContactsDlg& Contacts() { return *m_contacts; }
  CScheduleDlg& Schedule() { return *m_schedule; }
  CToDoDlg& ToDo() { return *m_toDo; }
  const CString& DocumentPath() const { return m_strDocumentPath; }
  HMENU FileMenu() { return m_fileButton.Menu().m_hMenu; }

  // The phone transfers: the shown page's download or upload and the resource-list fetch. One
  // worker runs at a time (the File button is disabled meanwhile); it tells the windows what to
  // show through a locked queue and one posted message, so it never waits for this thread.
  void OnDownload();
  void OnUpload();
  void OnGetResourceList();
  bool TransferRunning() const { return m_worker.joinable() && !m_workerDone; }
  // Every close path: the closing flag, the cancel, and the worker joined before the library can go.
  void StopTransfer();

 private:
  friend class CDaybookExchangeHost;
  // The CSV, vCard and vCalendar commands.
  void OnExchange(UINT command);
  daybook::PendingEdits Pending() const;
  bool RefuseWhileEditing();
  void ShowPage(daybook::Page page);
  void Layout(int cx, int cy);
  bool AskToSave(daybook::SaveAnswer& answer);
  void EmptyAllPages();
  bool WriteDocument(const CString& path);
  bool TargetRefused(const CString& path);
  void LoadDocumentFolder();
  void SaveDocumentFolder();

  void OnShowContacts() { ShowPage(daybook::Page::Contacts); }
  void OnShowSchedule() { ShowPage(daybook::Page::Schedule); }
  void OnShowToDo() { ShowPage(daybook::Page::ToDo); }
  void OnFileNew() { OnNew(); }
  void OnFileOpen() { OnOpen(); }
  void OnFileSave() { OnSave(); }
  void OnFileSaveAs() { OnSaveAs(); }
  void StartWorker(std::function<void()> body);
  void OnTransferEvent(daybook::TransferEvent event) override;
  LRESULT OnTransferEvents(WPARAM, LPARAM);
  void ApplyTransferEvent(const daybook::TransferEvent& event);
  void ShowTransferEnd(const daybook::TransferEvent& event);
  void OnCancelTransfer();
  LRESULT OnTimer(WPARAM id, LPARAM);
  LRESULT OnSetCursor(WPARAM, LPARAM);
  CWnd* PageWindow(daybook::Page page) const;
  void OnCloseCommand();
  void OnNewItem();
  void OnDeleteItem();
  void OnDeleteAll();
  void OnResetGroups();
  void OnFindCommand();
  LRESULT OnSize(WPARAM, LPARAM size);
  LRESULT OnGetMinMaxInfo(WPARAM, LPARAM info);
  LRESULT OnDestroy(WPARAM, LPARAM);
  LRESULT OnShowWindow(WPARAM show, LPARAM);
  void SetMenuTexts();
  void SetLogo();

  CManager& m_manager;
  CString m_strDocumentPath;
  std::unique_ptr<CContactsDlg> m_contacts;
  std::unique_ptr<CScheduleDlg> m_schedule;
  std::unique_ptr<CToDoDlg> m_toDo;
  CSkinButton m_fileButton;
  CSkinButton m_pageButtons[3];  // contacts, schedule, to-do
  CFont m_titleFont;
  daybook::Page m_page = daybook::Page::Contacts;
  int m_nPageTop = 0;
  std::atomic<bool> m_bClosing{false};
  daybook::TransferState m_transfer;
  std::thread m_worker;
  std::atomic<bool> m_workerDone{false};
  daybook::Page m_workerPage = daybook::Page::Contacts;
  std::mutex m_queueLock;
  std::deque<daybook::TransferEvent> m_queue;
  bool m_bAsking = false;  // the cancel question is open: end messages wait for it
  std::vector<daybook::TransferEvent> m_deferredEnds;
  UINT m_nCursorId = 32512;
  CSkinProgressCtrl m_bars[3];
  BOOL m_bAskLanguage = FALSE;  // never set: the language question is not asked
};
