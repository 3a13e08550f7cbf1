#pragma once
// The contacts page: the group list, the contact list and the contact form. The rules are
// CContactsModel's; this class moves values between the model and the controls.
#include "CalendarModels.h"
#include "ContactsModel.h"
#include "PageKit.h"

#include <EmbeddableDialog.h>
#include <FlatComboBox.h>
#include <FlatEdit.h>
#include <SkinButton.h>
#include <SkinFrame.h>
#include <SkinListCtrl.h>

#include <array>
#include <memory>

class CContactsDlg;

// The contact list: its drop handler puts the dragged contacts into the group under the mouse.
class CContactListCtrl : public CSkinListCtrl {
 public:
  explicit CContactListCtrl(CContactsDlg& page) : m_page(page) {}
  void OnDropOnList(CSkinListCtrl* target) override;

 private:
  CContactsDlg& m_page;
};

// The group list: after its own end of a rename, the page stores the name.
class CGroupListCtrl : public CSkinListCtrl {
 public:
  explicit CGroupListCtrl(CContactsDlg& page) : m_page(page) {}
  void OnEndLabelEdit(NMHDR* notify, LRESULT* result) override;

 private:
  CContactsDlg& m_page;
};

class CContactsDlg : public CEmbeddableDialog {
 public:
  CContactsDlg(CManager& manager, CWnd* parent);

  daybook::CContactsModel& Model() { return m_model; }
  // The page's records changed from outside (document, transfer): groups, rows and form again.
  void RefreshGroups();
  void RefillList();
  void ClearAll();
  bool HasPendingEdit() const;
  void OnNew();
  void OnDelete();
  void OnDeleteAll();
  void OnResetGroups();
  void PublishFreeCount();
  std::vector<int> SelectedSlots() const;  // the selected rows' slots, in list order
  void EmptyForm();
  // The pictures and melodies the form and the group defaults offer (entry 0 stays the placeholder);
  // each entry carries its resource id.
  void SetChoices(const std::vector<daybook::Melody>& pictures, const std::vector<daybook::Melody>& melodies);
  // A rename of group row `row` ended with `text` (null when it was cancelled).
  void RenameGroupRow(int row, const char* text);
  // Contacts dropped onto the group list's row `dropRow`.
  void DropOnGroup(int dropRow);

  // The group list's rename by keys (the main dialog's key handling).
  bool Renaming() const;
  bool GroupListFocused() const;
  void StartRename();
  void EmptyRename();  // Escape: the editor's text goes, so nothing can be written
  void EndRenameAndMove(int step);  // Up and Down: the rename ends and the selection moves

  BOOL OnInitDialog() override;
  const AFX_MSGMAP* GetMessageMap() const override;
  void OnEditFocus(UINT id);
  void OnEditBlur(UINT id);

 private:
  int GroupRow() const;
  daybook::ContactForm ReadForm() const;
  void ShowForm(const daybook::ContactForm& form);
  void UpdateButtons();
  void EnterMulti(bool multi);
  void ShowGroupDefaults();
  void FoldModified();
  bool Button(UINT id) const;
  void Enable(UINT id, bool on);
  void ComboSelectData(CComboBox& combo, DWORD data);
  void ShowFieldIcons();
  void ShowComboLooks();
  void ShowDefaultIcons();
  void CompareSelection();  // the several selected contacts' common combo values

  // The page's transfer buttons are the main dialog's commands.
  void OnDownloadButton() { ::PostMessageA(::GetParent(m_hWnd), WM_COMMAND, 32775, 0); }
  void OnUploadButton() { ::PostMessageA(::GetParent(m_hWnd), WM_COMMAND, 32776, 0); }
  void OnCancelTransferButton() { ::SendMessageA(::GetParent(m_hWnd), WM_COMMAND, 1099, 0); }
  void OnApply();
  void OnCancel() override;
  void OnSort();
  void OnFieldChange();
  void OnDefaultChange();
  void OnGroupComboChange();
  void OnGroupChanged(NMHDR* header, LRESULT* result);
  void OnContactChanged(NMHDR* header, LRESULT* result);
  void OnItemChanging(NMHDR* header, LRESULT* result);
  void OnGroupDoubleClick(NMHDR* header, LRESULT* result);
  void OnContactRightClick(NMHDR* header, LRESULT* result);
  LRESULT OnShowWindow(WPARAM show, LPARAM);
  LRESULT OnSize(WPARAM, LPARAM size);
  LRESULT OnTimer(WPARAM id, LPARAM);
  LRESULT OnCtlColor(WPARAM dc, LPARAM control);

  daybook::CContactsModel m_model;
  CGroupListCtrl m_groups{*this};
  CContactListCtrl m_contacts{*this};
  std::array<CFlatEdit, 13> m_edits;  // name, reading, numbers 1..7, texts 1..2, e-mails 1..2
  CFlatComboBox m_group, m_melody, m_picture, m_light;
  CFlatComboBox m_defaultMelody, m_defaultPicture, m_defaultLight;
  CSkinFrame m_defaultsFrame, m_formFrame;
  CAnchorLayout m_layout;
  CFramedControls m_framed;
  std::array<CSkinButton, 9> m_buttons;  // the page's buttons in the kit's look
  bool m_newPending = false;
  int m_newSlot = -1;
  bool m_multi = false;
  bool m_filling = false;  // the page itself is changing controls: no change tracking
};
