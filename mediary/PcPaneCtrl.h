#pragma once
// CPcPaneCtrl: the PC pane's list window over its model. Files dropped on the phone pane are
// checked by the type rules and handed over as uploads, with one message for what was refused;
// phone files dropped here become queued downloads. The Delete key removes queued downloads.
//
// Threads: the user-interface thread that owns the window.
#include "PaneListCtrl.h"
#include "PcPaneModel.h"
#include "PhonePaneCtrl.h"
#include "SortArrowHook.h"

#include <functional>
#include <string>

class CPcPaneCtrl : public CPaneListCtrl {
 public:
  // Shows a message: a string id, or with text, a text already formatted; answers the button.
  using Ask = std::function<int(UINT textId, const std::string& text, UINT type)>;

  // The PC pane's selection is filled in the program's pale blue (the phone pane keeps the list's).
  static constexpr COLORREF kSelectionFill = 0xFDEAE1;

  CPcPaneCtrl(CPcPaneModel& model, Ask ask) : m_model(model), m_ask(std::move(ask)) { SetSelectionColor(kSelectionFill); }

  void Refill() { ShowPcRows(m_model); }
  // Whether the phone folder files are dropped on is the voice-memo folder (AMR only).
  void SetVoiceMemoTarget(bool voiceMemo) { m_voiceMemo = voiceMemo; }

  // Drops the selected PC files on the phone pane.
  void OnDropOnList(CSkinListCtrl* target) override;
  // A click on a column sorts by it: again on the sorted column turns the direction, another
  // column sorts ascending; the header shows the arrow.
  void SortByClickedColumn(int column);
  // The header's arrow hook, attached once the list exists.
  void AttachSortArrow() { m_arrow.AttachHook(GetHeader().m_hWnd); }
  const CSortArrowHook& SortArrow() const { return m_arrow; }
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
  BOOL CanEditLabel(int row) override;
  // A new folder is made, or a queued download renamed, when its edit ends; a name another row has
  // is refused with 1067 and the edit opens again on the same row.
  void OnEndLabelEdit(NMHDR* notify, LRESULT* result) override;
  // The PC pane's new folder: a row named uniquely from `base`, its label edited at once.
  void NewFolder(const std::string& base);
  void SetParentText(const std::string& text) { m_parentText = text; }

 private:
  CPcPaneModel& m_model;
  Ask m_ask;
  bool m_voiceMemo = false;
  std::string m_parentText = "(Go to parent directory)";
  CSortArrowHook m_arrow;
  int m_sortColumn = 0;
  bool m_ascending = true;
};

// Hands the phone pane's selected files to the PC pane as queued downloads (a drop of the phone
// pane on the PC pane).
void HandPhoneSelectionToPc(CPhonePaneCtrl& phone, CPhonePaneModel& phoneModel, CPcPaneCtrl& pc,
                            CPcPaneModel& pcModel);
