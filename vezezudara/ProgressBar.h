#pragma once
// The status-bar progress pane: a progress control placed in one pane of a status bar after a
// text. The control starts after the text and four blanks (at the pane's left edge without text),
// takes `share` percent of the rest of the pane, and keeps a tenth of the pane's height free above
// and below. When it goes, the pane gets its own text back (pane 0: the idle message).
#include <framework/Afx.h>
#include <framework/Controls.h>
#include <framework/StatusBar.h>

// The control's rectangle in pane `pane` (status-bar coordinates) after a text `textWidth` wide
// (the text with its four blanks; 0 without text).
RECT ProgressPaneRect(const RECT& pane, int textWidth, int share);

class CProgressBar : public CProgressCtrl {
public:
  CProgressBar() = default;
  ~CProgressBar() override;

  // Shows `text` in pane `pane` of `bar` and the control after it; `upper` is the range's top.
  BOOL Create(LPCSTR text, int share, int upper, CStatusBar* bar, int pane = 0);
  void SetText(LPCSTR text);
  void SetShare(int share);
  // Places the control for the pane as it is now; TRUE when it moved.
  BOOL Resize();
  const RECT& LastRect() const { return m_rect; }

private:
  int TextWidth() const;

  CStatusBar* m_bar = nullptr;
  int m_pane = 0;
  CString m_text;
  CString m_paneText;  // the pane's own text, given back at the end
  int m_share = 100;
  RECT m_rect{};
};
