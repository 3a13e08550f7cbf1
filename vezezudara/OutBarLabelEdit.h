#pragma once
// COutBarLabelEdit: the in-place editor of a folder-bar label. Enter ends the edit, Escape cancels
// it, and so does losing the focus (it ends). An ended edit with a new, non-empty text asks the bar
// (WM_OUTBAR_NOTIFY, code 2 for an item, 3 for a folder), which asks its owner; the label changes
// only when the owner agrees. While typing, the editor grows to fit its text within the bar: one
// line for a folder, word-wrapped and centred, growing downwards, for an item.
#include <framework/Afx.h>
#include <framework/Controls.h>

class COutBarLabelEdit : public CEdit {
public:
  enum Kind { kItem = 2, kFolder = 3 };

  // Edits `text` of label `index` in `rect` of the bar.
  BOOL Start(CWnd* bar, Kind kind, int index, const RECT& rect, LPCSTR text);
  const CString& GetNewText() const { return m_text; }
  bool IsCancelled() const { return m_cancelled; }
  bool IsEnded() const { return m_ended; }

  const AFX_MSGMAP* GetMessageMap() const override;

protected:
  LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);
  LRESULT OnChar(WPARAM wParam, LPARAM lParam);
  LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);
  LRESULT OnGetDlgCode(WPARAM, LPARAM);
  void End(bool cancelled);
  void Grow();

private:
  CWnd* m_bar = nullptr;
  CString m_text;
  bool m_cancelled = false;
  bool m_ended = false;
  Kind m_kind = kItem;
  int m_index = -1;
  RECT m_start{};
};
