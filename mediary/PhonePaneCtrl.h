#pragma once
// CPhonePaneCtrl: the phone pane's list window over its model. The Delete key marks the selected
// rows for deletion (or takes the marks off when every selected row carries one), after the
// question; the phone's fixed folders are refused with their message. Queued rows (new folders,
// uploads) take new names in place: a name of more than 35 bytes is refused, and a name another row
// has re-opens the edit on the same row after the message.
//
// Threads: the user-interface thread that owns the window.
#include "PaneListCtrl.h"
#include "PhonePaneModel.h"
#include "RefusedCharsHook.h"

#include <functional>

class CPhonePaneCtrl : public CPaneListCtrl {
 public:
  // Shows message `textId` with the box type and answers the button (the main dialog passes its
  // message box; tests answer themselves).
  using Ask = std::function<int(UINT textId, UINT type)>;

  CPhonePaneCtrl(CPhonePaneModel& model, Ask ask) : m_model(model), m_ask(std::move(ask)) {}

  // Shows the model's current folder.
  void Refill();
  CPhonePaneModel& Model() { return m_model; }
  // Where the phone pane's files go when dropped on another list (the PC pane).
  void SetDropHandler(std::function<void()> handler) { m_drop = std::move(handler); }
  void OnDropOnList(CSkinListCtrl* target) override;
  // While busy (a transfer runs) the Delete key does nothing.
  void SetBusy(bool busy) { m_busy = busy; }

  BOOL CanEditLabel(int row) override;
  int GetLabelLimit() override;
  void OnEndLabelEdit(NMHDR* notify, LRESULT* result) override;
  void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  std::vector<int> SelectedRows() const;

  CPhonePaneModel& m_model;
  Ask m_ask;
  bool m_busy = false;
  std::function<void()> m_drop;
  CRefusedCharsHook m_refusedChars;  // "," while a name is edited
};
