#pragma once
// CFlatDateTimeCtrl: the suite's date and time field, the platform's picker with the flat frame of
// the kit's combo box: the accent colour while the mouse is over it or it has the focus, flat in
// the dialog's face colour otherwise. After each paint it posts itself the registered message
// "WM_TEST" and draws the flat frame again then, over whatever the picker drew last.
//
// Threads: the user-interface thread that owns the window.
#include <framework/Afx.h>
#include <framework/DateTimeCtrl.h>

#include <memory>

class CFlatDateTimeCtrl : public CDateTimeCtrl {
  DECLARE_DYNAMIC(CFlatDateTimeCtrl)

public:
  static constexpr COLORREF kHotColour = 0x822A08;

  CFlatDateTimeCtrl();
  ~CFlatDateTimeCtrl() override;

  void SetFont(LPCSTR face, int height, BOOL bold, BOOL italic);
  // The registered "WM_TEST" the control posts itself after painting.
  static UINT TestMessage();

  const AFX_MSGMAP* GetMessageMap() const override;

protected:
  LRESULT OnMouseMove(WPARAM, LPARAM);
  LRESULT OnLButtonDown(WPARAM, LPARAM);
  LRESULT OnLButtonUp(WPARAM, LPARAM);
  LRESULT OnTimer(WPARAM, LPARAM);
  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnSetFocus(WPARAM, LPARAM);
  LRESULT OnKillFocus(WPARAM, LPARAM);
  LRESULT OnSetCursor(WPARAM, LPARAM);
  LRESULT OnEraseBkgnd(WPARAM, LPARAM);
  LRESULT OnNcPaint(WPARAM, LPARAM);
  LRESULT OnTest(WPARAM, LPARAM);

private:
  enum class Look { Normal, Hot, Pressed };
  void Draw(Look look, COLORREF colour);
  void HoverStep();

  COLORREF m_itemColour = 0x979797;
  std::unique_ptr<CFont> m_font;
  int m_dropButtonWidth;
  BOOL m_pressed = FALSE;
  BOOL m_hotDrawn = FALSE;
  BOOL m_focus = FALSE;
  BOOL m_flat = TRUE;
  COLORREF m_hot = kHotColour;
  COLORREF m_shadow;
  COLORREF m_face;
};
