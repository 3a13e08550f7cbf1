#pragma once
// Daybook's main dialog: the header with the File menu and the page buttons, the three pages in the
// page area, the document commands, the keys, and the launcher's close request. The decisions are
// MainDialogRules' and the models'; this class carries them out on the windows.
#include "CalendarPages.h"
#include "ContactsDlg.h"
#include "MainDialogRules.h"

#include <EmbeddableDialog.h>
#include <SkinButton.h>

#include <memory>

class CDaybookDlg : public CEmbeddableDialog {
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
  void OnTransfer();
  void OnCloseCommand();
  void OnNewItem();
  void OnDeleteItem();
  void OnDeleteAll();
  void OnResetGroups();
  void OnFindCommand();
  LRESULT OnSize(WPARAM, LPARAM size);
  LRESULT OnGetMinMaxInfo(WPARAM, LPARAM info);
  LRESULT OnDestroy(WPARAM, LPARAM);

  CManager& m_manager;
  CString m_strDocumentPath;
  std::unique_ptr<CContactsDlg> m_contacts;
  std::unique_ptr<CScheduleDlg> m_schedule;
  std::unique_ptr<CToDoDlg> m_toDo;
  CSkinButton m_fileButton;
  daybook::Page m_page = daybook::Page::Contacts;
  int m_nPageTop = 0;
  BOOL m_bClosing = FALSE;
  BOOL m_bAskLanguage = FALSE;  // never set: the language question is not asked
};
