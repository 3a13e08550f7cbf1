#pragma once
// The schedule and to-do pages: a list of the store's entries and an editor beside it. The rules
// are CScheduleModel's and CToDoModel's; the editing state is CEditState. CCalendarPage holds what
// both pages do alike (buttons, selection guard, cancel, delete, sorting, layout, context menu,
// status); the two pages move their own fields between the model and the controls.
#include "CalendarModels.h"
#include "Daybook.h"
#include "PageKit.h"

#include <EmbeddableDialog.h>
#include <FlatComboBox.h>
#include <FlatDateTimeCtrl.h>
#include <FlatEdit.h>
#include <SkinButton.h>
#include <SkinFrame.h>
#include <SkinListCtrl.h>
#include <SkinMonthCalCtrl.h>

#include <array>
#include <initializer_list>
#include <vector>

class CCalendarPage : public CEmbeddableDialog {
 public:
  // The controls and texts that differ between the two pages.
  struct Ids {
    UINT dialog, list, description;
    UINT placeholder;                   // the description's text while it is empty
    UINT add, remove, removeAll, apply, cancel;
    UINT caption;                       // every message box's caption
    UINT freeText;                      // "%d ... free"
    UINT deleteAllQuestion;
    std::array<UINT, 3> captions;       // the column captions over the list, columns 2..4
    std::array<UINT, 3> captionTexts;
    std::array<UINT, 3> sortButtons;    // beside each caption: sorts by column 2, 3, 4
    std::array<int, 3> minCaptionWidth; // a caption is at least this wide
    std::array<int, 2> columnWidths;    // the first widths of columns 2 and 3
  };

  bool HasPendingEdit() const;
  std::vector<int> SelectedSlots() const;  // the selected rows' slots, in list order
  void OnDelete();
  void OnDeleteAll();
  void PublishFreeCount() { PublishFreeStatus(*this, m_ids.freeText, FreeCount()); }
  // After a transfer's cancel or end: nothing selected to edit; add, and delete all when entries exist.
  void ResetButtonsAfterTransfer() { SetButtons(true, false, UsedCount() > 0, false, false); }
  int SortColumn() const { return m_sortColumn; }

  BOOL OnInitDialog() override;
  const AFX_MSGMAP* GetMessageMap() const override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  // Escape reaching the page asks to cancel an open edit; it never ends the page.
  void OnCancel() override {
    if (HasPendingEdit()) CancelEdit();
  }

 protected:
  CCalendarPage(const Ids& ids, CWnd* parent);

  // The description's placeholder in the current language; an edit left at it holds no description.
  CString Placeholder() const { return DaybookText(m_ids.placeholder); }
  CString FormDescription() const;

  virtual int FreeCount() const = 0;
  virtual int UsedCount() const = 0;
  virtual void ClearEditor() = 0;
  virtual void ShowSlot(int slot) = 0;
  virtual void EnableFields(bool on) = 0;  // off while several rows are selected
  virtual void DeleteSlots(const std::vector<int>& slots) = 0;
  virtual void DeleteAllRows() = 0;
  virtual bool ModelModified() const = 0;
  virtual void ClearModelModified() = 0;
  // The page's rows, with texts in columns 2..4, in slot order; `sorted` when the list keeps the
  // last sort button's order.
  virtual void FillRows(bool& sorted) = 0;
  // Which controls grow with the page and which keep their distance to its right or bottom edge
  // (the row of buttons along the bottom is the layout's own).
  virtual std::vector<std::pair<UINT, unsigned>> Anchors() const = 0;
  // The fields that need one selected row or an open add (all but the description). With nothing
  // selected they cannot start an edit; with several selected there is no one entry to edit.
  virtual std::vector<UINT> GuardedFields() const = 0;
  bool Guarded(UINT id) const;
  // Sets a picker and notes the value, so that a change the page refuses puts it back.
  void SetPicker(CFlatDateTimeCtrl& picker, const CTime& time);

  void RefillRows();
  void CaptureLayout();
  void SetButtons(bool add, bool remove, bool removeAll, bool apply, bool cancel);
  void BeginEdit();
  void FoldModified();
  void DeselectAll();
  // A row for an entry that add created, selected; nothing stored yet.
  int AppendNewRow(int slot, const CString& column2, const CString& column3);
  void AddRow(int slot, const CString& column2, const CString& column3, const CString& column4);
  // Column 4 takes what the list's client width leaves of the other columns.
  void StretchDescriptionColumn();
  void CancelEdit();

  bool Enabled(UINT id) const;
  void Enable(UINT id, bool on);
  bool Checked(UINT id) const;
  void Check(UINT id, bool on);

  const Ids m_ids;
  daybook::CEditState m_edit;
  CSkinListCtrl m_list;
  CFlatEdit m_description;
  std::array<CSkinButton, 8> m_buttons;  // add, delete, delete all, apply, cancel, 3 sort buttons
  std::array<CSkinButton, 2> m_transferButtons;  // Download, Upload
  bool m_filling = false;
  int m_sortColumn = 0;

 private:
  void OnSortButton(UINT id);
  void OnListChanged(NMHDR* header, LRESULT* result);
  void OnListChanging(NMHDR* header, LRESULT* result);
  void OnListRightClick(NMHDR* header, LRESULT* result);
  LRESULT OnShowWindow(WPARAM show, LPARAM);
  LRESULT OnSize(WPARAM, LPARAM size);
  LRESULT OnCtlColor(WPARAM dc, LPARAM control);
  void LayoutCaptions();
  void NoteShownTime(HWND picker);
  void RestoreShownTime(HWND picker);

  // The page's transfer buttons are the main dialog's commands.
  void OnDownloadButton() { ::PostMessageA(::GetParent(m_hWnd), WM_COMMAND, 32775, 0); }
  void OnUploadButton() { ::PostMessageA(::GetParent(m_hWnd), WM_COMMAND, 32776, 0); }
  void OnCancelTransferButton() { ::SendMessageA(::GetParent(m_hWnd), WM_COMMAND, 1099, 0); }

  CAnchorLayout m_layout;
  std::vector<std::pair<UINT, CTime>> m_shownTimes;  // each picker's value as the page last set or took it

 protected:
  CFramedControls m_framed;
};

// The store side both pages reach alike through their model.
template <class Model>
class CCalendarPageOf : public CCalendarPage {
 public:
  bool HasAnyEntry() const { return m_model.UsedCount() > 0; }

 protected:
  CCalendarPageOf(const Ids& ids, CManager& manager, CWnd* parent) : CCalendarPage(ids, parent), m_model(manager) {}
  int FreeCount() const override { return m_model.FreeCount(); }
  int UsedCount() const override { return m_model.UsedCount(); }
  void DeleteSlots(const std::vector<int>& slots) override { m_model.Delete(slots); }
  bool ModelModified() const override { return m_model.Modified(); }
  void ClearModelModified() override { m_model.SetModified(false); }

  Model m_model;
};

class CScheduleDlg : public CCalendarPageOf<daybook::CScheduleModel> {
 public:
  CScheduleDlg(CManager& manager, CWnd* parent);

  daybook::CScheduleModel& Model() { return m_model; }
  void RefreshList();
  bool ClearAll();
  void ToggleDaily();
  void OnAdd();
  void ClearEditor() override;
  // The melodies the alarm can choose, rebuilt from the phone's sound list.
  void SetMelodies(std::vector<daybook::Melody> melodies);

  BOOL OnInitDialog() override;
  const AFX_MSGMAP* GetMessageMap() const override;

 protected:
  void ShowSlot(int slot) override;
  void EnableFields(bool on) override;
  void DeleteAllRows() override;
  void FillRows(bool& sorted) override;
  std::vector<std::pair<UINT, unsigned>> Anchors() const override;
  std::vector<UINT> GuardedFields() const override;

 private:
  bool Daily() const;
  void ShowAlarmIcons();
  void SwitchView(bool daily);

  void OnApply();
  void OnShowDaily() { SwitchView(true); }
  void OnShowAll() { SwitchView(false); }
  void OnFieldChange();
  void OnDescriptionChange();
  void OnTimeChange(NMHDR* header, LRESULT* result);
  void OnDayPicked(NMHDR* header, LRESULT* result);

  std::vector<daybook::Melody> m_melodies;
  CFlatDateTimeCtrl m_date, m_time;
  CSkinMonthCalCtrl m_calendar;
  CFlatComboBox m_repeat, m_melody;
  CSkinFrame m_calendarFrame, m_editorFrame;
  bool m_dailyView = true;  // the view the list shows
};

class CToDoDlg : public CCalendarPageOf<daybook::CToDoModel> {
 public:
  CToDoDlg(CManager& manager, CWnd* parent);

  daybook::CToDoModel& Model() { return m_model; }
  void RefreshList();
  void ClearAll();
  void OnAdd();
  void ClearEditor() override;

  BOOL OnInitDialog() override;
  const AFX_MSGMAP* GetMessageMap() const override;

 protected:
  void ShowSlot(int slot) override;
  void EnableFields(bool on) override;
  void DeleteAllRows() override { m_model.DeleteAll(); }
  void FillRows(bool& sorted) override;
  std::vector<std::pair<UINT, unsigned>> Anchors() const override;
  std::vector<UINT> GuardedFields() const override;

 private:
  void ShowCheckIcons();
  void OnApply();
  void OnFieldChange();
  void OnDateChange(NMHDR* header, LRESULT* result);

  CFlatDateTimeCtrl m_start, m_due;
  CFlatComboBox m_priority, m_category;
  CSkinFrame m_editorFrame;
};
