#pragma once
// The find dialog: a word searched in the shown page's records and list (FindModel); a hit selects
// the row and scrolls it into view, find next goes on after it.
#include "FindModel.h"

#include <EmbeddableDialog.h>
#include <FlatEdit.h>

class CFindDlg : public CEmbeddableDialog {
 public:
  // `list` is the page's list; `column` the column compared (0 contacts, 4 schedule and to-do).
  CFindDlg(CManager& manager, daybook::FindMode mode, HWND list, int column, CWnd* owner);

  BOOL OnInitDialog() override;
  BOOL PreTranslateMessage(MSG* msg) override;
  const AFX_MSGMAP* GetMessageMap() const override;
  void OnFind();
  void OnFindNext();
  const daybook::CFindModel& Model() const { return m_model; }

 protected:
  void OnCancel() override;

 private:
  std::vector<CString> Rows() const;
  CString Word() const;
  void Show(const daybook::FindOutcome& outcome);
  void OnTextChange();

  daybook::CFindModel m_model;
  HWND m_list;
  int m_column;
  UINT m_caption;
};
