#pragma once
// CFlatEdit: the suite's edit field. It looks borderless on a dialog until the mouse is over it or it
// has the focus, when a frame in the accent colour appears; and it filters what is typed: either a
// phone number (digits, '#', '*' and one leading '+', InitFilter) or any text whose length in the
// phone's UTF-8 stays within a byte limit (SetLimit). A refused change puts the last accepted text
// back with the caret at its end, so the field never holds what the phone could not store.
//
// Threads: the user-interface thread that owns the window.
#include <framework/Afx.h>
#include <framework/Controls.h>

#include <memory>

class CFlatEdit : public CEdit {
  DECLARE_DYNAMIC(CFlatEdit)

public:
  static constexpr COLORREF kHotColour = 0x822A08;

  CFlatEdit();
  ~CFlatEdit() override;

  // Phone-number mode: `text` (the placeholder the dialog shows) is always accepted as it stands;
  // anything else must be a phone number of at most `limit` - 1 bytes, or `limit` with a leading '+'.
  void InitFilter(const CString& text, int limit);
  // The byte limit (0 or less: no filtering). Outside phone mode the text's length in the phone's
  // UTF-8 is what counts. The text the field holds now becomes the one a refused change goes back to.
  void SetLimit(int limit);
  void SetTextColor(COLORREF colour);
  // The field's current font with the given face (at most 31 characters), height, weight 700 when
  // bold, and italic; the field keeps the font object.
  void SetFont(LPCSTR face, int height, BOOL bold, BOOL italic);
  // Every size change keeps this width (0: none): an in-place editor the list would widen.
  void SetFixedWidth(int width) { m_fixedWidth = width; }
  // The simpler hot frame: one line in the accent colour on the client edge.
  void SetPlainFrame(BOOL plain) { m_plainFrame = plain; }

  int GetLimit() const { return m_limit; }
  BOOL IsPhoneMode() const { return m_phoneMode; }

  const AFX_MSGMAP* GetMessageMap() const override;

protected:
  void OnChange();
  HBRUSH CtlColor(CDC* dc, UINT type);
  LRESULT OnMouseMove(WPARAM, LPARAM);
  LRESULT OnLButtonDown(WPARAM, LPARAM);
  LRESULT OnLButtonUp(WPARAM, LPARAM);
  LRESULT OnTimer(WPARAM, LPARAM);
  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnSetFocus(WPARAM, LPARAM);
  LRESULT OnKillFocus(WPARAM, LPARAM);
  LRESULT OnSysColorChange(WPARAM, LPARAM);
  LRESULT OnWindowPosChanging(WPARAM, LPARAM);
  LRESULT OnEraseBkgnd(WPARAM, LPARAM);

private:
  // Whether `text` passes the filter now in force.
  bool Accepts(const CString& text) const;
  void Restore();
  void DrawBorder(bool hot);

  BOOL m_flat = TRUE;
  BOOL m_pressed = FALSE;  // while the left button is down
  COLORREF m_hot = kHotColour;
  COLORREF m_shadow;
  COLORREF m_darkShadow;
  COLORREF m_face;
  COLORREF m_white = 0xFFFFFF;
  COLORREF m_black = 0;
  COLORREF m_background = 0xFFFFFF;
  CBrush m_backgroundBrush;
  COLORREF m_textColour;
  int m_fixedWidth = 0;
  BOOL m_plainFrame = FALSE;
  BOOL m_focus = FALSE;
  std::unique_ptr<CFont> m_font;
  CString m_lastAccepted;
  CString m_initial;
  BOOL m_phoneMode = FALSE;
  int m_limit = 0;
  bool m_restoring = false;  // our own SetWindowText of the last accepted text is not filtered again
};
