#pragma once
// CTitleButtonBar: bitmap buttons drawn at the right end of a window's caption, in cells 18 pixels
// wide counted from the right. It hooks the window (CSubclassWnd): a button is drawn hot under the
// pointer and pressed while the left button is held on it, and a release on the pressed button
// posts WM_CAPTION_BUTTON (its id, the pointer position) to the window. The bar owns its bitmaps.
//
// The launcher's frame and About dialog use it, and so does the link service's About dialog.
//
// While the caption painter makes its caption bitmap it hands the bar that bitmap's device
// context (SetPaintDC), and the buttons are drawn there in caption coordinates.
#include "SubclassWnd.h"

#include <framework/Afx.h>
#include <gdi/Unique.h>

#include <vector>

// Posted to the window when a caption button was released on: wParam its id, lParam the pointer
// position of the release.
constexpr UINT WM_CAPTION_BUTTON = WM_USER + 101;

class CTitleButtonBar : public CSubclassWnd {
public:
  CTitleButtonBar() = default;
  ~CTitleButtonBar() override;

  BOOL Attach(HWND window);
  void Detach();
  void SetTransparentColour(COLORREF colour) { m_transparent = colour; }
  void SetBackgroundColour(COLORREF colour) { m_background = colour; }
  // Cells at the right kept free for buttons the bar does not draw.
  void SetReservedPositions(int count) { m_reserved = count; }
  // A button; FALSE when the id exists. `position` 0 or more inserts there (0 is the rightmost),
  // -1 appends. The bar takes the bitmaps; one handle may serve several states.
  BOOL AddButton(UINT id, HBITMAP normal, HBITMAP hot, HBITMAP pressed, LPCSTR tooltip, int position = -1);
  // New bitmaps for a button: the old ones are deleted (each handle once), the hot index cleared.
  BOOL ReplaceBitmaps(UINT id, HBITMAP normal, HBITMAP hot, HBITMAP pressed);
  void DrawButtons();
  void FreeButtons();
  void SetPaintDC(HDC dc, POINT origin) {
    m_paintDC = dc;
    m_paintOrigin = origin;
  }

  int GetButtonCount() const { return static_cast<int>(m_buttons.size()); }
  UINT GetButtonId(int index) const { return m_buttons[index].id; }
  // The cell of button `index` in window coordinates.
  RECT ButtonRect(int index) const;
  // The button under a point in window coordinates, or -1.
  int HitTest(POINT windowPoint) const;
  int GetHot() const { return m_hot; }
  int GetPressed() const { return m_pressed; }
  // The width the buttons take at the right of the caption.
  int ButtonsWidth() const { return (static_cast<int>(m_buttons.size()) + m_reserved) * kCellWidth; }

  static constexpr int kCellWidth = 18;

protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  struct CaptionButton {
    UINT id = 0;
    HBITMAP normal = nullptr;
    HBITMAP hot = nullptr;
    HBITMAP pressed = nullptr;
    CString tooltip;
  };
  static void DeleteBitmaps(CaptionButton& button);
  void DrawButton(int index);
  void DrawButton(HDC dc, int index, POINT origin);
  void Track(POINT windowPoint);
  POINT ToWindow(POINT screenPoint) const;
  void UpdateTools();

  std::vector<CaptionButton> m_buttons;
  int m_hot = -1;
  int m_pressed = -1;
  bool m_tracking = false;  // the mouse is captured for a press
  int m_reserved = 0;
  COLORREF m_transparent = RGB(255, 0, 255);
  COLORREF m_background = 0;
  HDC m_paintDC = nullptr;
  POINT m_paintOrigin{0, 0};
  HWND m_tooltip = nullptr;
  std::vector<UINT> m_toolIds;  // the tools the tooltip holds
};
