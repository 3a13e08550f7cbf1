#pragma once
// The schedule and to-do pages: a list of the store's entries and an editor beside it. The rules
// are CScheduleModel's and CToDoModel's; the editing state is CEditState; these classes move
// values between them and the controls.
#include "CalendarModels.h"

#include <EmbeddableDialog.h>
#include <FlatEdit.h>
#include <SkinListCtrl.h>

#include <framework/DateTimeCtrl.h>

#include <vector>

class CScheduleDlg : public CEmbeddableDialog {
 public:
  CScheduleDlg(CManager& manager, CWnd* parent);

  daybook::CScheduleModel& Model() { return m_model; }
  void RefreshList();
  bool ClearAll();
  bool HasPendingEdit() const;
  bool HasAnyEntry() const { return m_model.UsedCount() > 0; }
  void ToggleDaily();
  void OnAdd();
  void OnDelete();
  void OnDeleteAll();
  void PublishFreeCount();
  std::vector<int> SelectedSlots() const;  // the selected rows' slots, in list order
  void ClearEditor();
  // After a transfer's cancel or end: nothing selected to edit; add, and delete all when entries exist.
  void ResetButtonsAfterTransfer() { SetButtons(true, false, HasAnyEntry(), false, false); }
  // The melodies the alarm can choose, rebuilt from the phone's sound list.
  void SetMelodies(std::vector<daybook::Melody> melodies);

  BOOL OnInitDialog() override;
  const AFX_MSGMAP* GetMessageMap() const override;

 private:
  bool Daily() const;
  void ShowEntry(int slot);
  void SetButtons(bool add, bool remove, bool removeAll, bool apply, bool cancel);
  void BeginEdit();
  void FoldModified();

  // The page's transfer buttons are the main dialog's commands.
  void OnDownloadButton() { ::PostMessageA(::GetParent(m_hWnd), WM_COMMAND, 32775, 0); }
  void OnUploadButton() { ::PostMessageA(::GetParent(m_hWnd), WM_COMMAND, 32776, 0); }
  void OnCancelTransferButton() { ::SendMessageA(::GetParent(m_hWnd), WM_COMMAND, 1099, 0); }
  void OnApply();
  void OnCancel() override;
  void OnShowDaily();
  void OnShowAll();
  void OnFieldChange();
  void OnDescriptionChange();
  void OnListChanged(NMHDR* header, LRESULT* result);
  void OnListChanging(NMHDR* header, LRESULT* result);
  void OnDayPicked(NMHDR* header, LRESULT* result);
  LRESULT OnShowWindow(WPARAM show, LPARAM);

  daybook::CScheduleModel m_model;
  daybook::CEditState m_edit;
  std::vector<daybook::Melody> m_melodies;
  CSkinListCtrl m_list;
  CFlatEdit m_description;
  CDateTimeCtrl m_date, m_time;
  CMonthCalCtrl m_calendar;
  CComboBox m_repeat, m_melody;
  bool m_filling = false;
};

class CToDoDlg : public CEmbeddableDialog {
 public:
  CToDoDlg(CManager& manager, CWnd* parent);

  daybook::CToDoModel& Model() { return m_model; }
  void RefreshList();
  void ClearAll();
  bool HasPendingEdit() const;
  bool HasAnyEntry() const { return m_model.UsedCount() > 0; }
  void OnAdd();
  void OnDelete();
  void OnDeleteAll();
  void PublishFreeCount();
  std::vector<int> SelectedSlots() const;  // the selected rows' slots, in list order
  // After a transfer's cancel or end: nothing selected to edit; add, and delete all when entries exist.
  void ResetButtonsAfterTransfer() { SetButtons(true, false, HasAnyEntry(), false, false); }

  BOOL OnInitDialog() override;
  const AFX_MSGMAP* GetMessageMap() const override;

 private:
  void ClearEditor();
  void ShowItem(int slot);
  void SetButtons(bool add, bool remove, bool removeAll, bool apply, bool cancel);
  void BeginEdit();
  void FoldModified();

  // The page's transfer buttons are the main dialog's commands.
  void OnDownloadButton() { ::PostMessageA(::GetParent(m_hWnd), WM_COMMAND, 32775, 0); }
  void OnUploadButton() { ::PostMessageA(::GetParent(m_hWnd), WM_COMMAND, 32776, 0); }
  void OnCancelTransferButton() { ::SendMessageA(::GetParent(m_hWnd), WM_COMMAND, 1099, 0); }
  void OnApply();
  void OnCancel() override;
  void OnFieldChange();
  void OnStartChange(NMHDR* header, LRESULT* result);
  void OnListChanged(NMHDR* header, LRESULT* result);
  void OnListChanging(NMHDR* header, LRESULT* result);
  LRESULT OnShowWindow(WPARAM show, LPARAM);

  daybook::CToDoModel m_model;
  daybook::CEditState m_edit;
  CSkinListCtrl m_list;
  CFlatEdit m_description;
  CDateTimeCtrl m_start, m_due;
  CComboBox m_priority, m_category;
  bool m_filling = false;
};
