// The skinned button's wider interface: colour queries and shading, the hover cursor, tooltips and
// transparency. Built into the exchange library only; no program calls these.
#include "SkinButton.h"

#include "StringLoader.h"

#include <framework/ModuleState.h>
#include <resources/Resource.h>

#include <algorithm>

DWORD CSkinButton::QueryColor(BYTE slot, COLORREF* colour) const {
  if (slot >= kSkinColourSlots) return 3;
  if (colour) *colour = m_colours[slot];
  return 0;
}

DWORD CSkinButton::ShadeColor(BYTE slot, short shade, BOOL repaint) {
  if (slot >= kSkinColourSlots) return 3;
  if (shade < -255 || shade > 255) return 5;
  const COLORREF colour = m_colours[slot];
  const int channels[3] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
  // The channel with the least room limits all three, so the colour keeps its hue.
  int step = shade;
  if (step > 0) step = std::min(step, 255 - *std::max_element(channels, channels + 3));
  if (step < 0) step = std::max(step, -*std::min_element(channels, channels + 3));
  return SetColor(slot, RGB(channels[0] + step, channels[1] + step, channels[2] + step), repaint);
}

DWORD CSkinButton::SetHoverCursor(UINT cursorId, BOOL repaint) {
  if (m_cursor) {
    DestroyCursor(m_cursor);
    m_cursor = nullptr;
  }
  if (cursorId != 0) {
    m_cursor = ::LoadCursorA(AfxFindResourceHandle(MAKEINTRESOURCE(cursorId), RT_GROUP_CURSOR),
                             MAKEINTRESOURCE(cursorId));
    if (!m_cursor) return 1;
  }
  Repaint(repaint);
  return 0;
}

DWORD CSkinButton::SetTrackFlag(BOOL value) {
  m_trackWhenInactive = value;
  return 0;
}

DWORD CSkinButton::SetTipText(LPCSTR text, BOOL activate) {
  if (!text) return 0;
  InitToolTip();
  if (!m_tooltip.m_hWnd) return 0;
  if (m_tooltip.GetToolCount() == 0) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    m_tooltip.AddTool(this, text, &client, 1);
  }
  m_tooltip.UpdateTipText(text, this, 1);
  m_tooltip.Activate(activate);
  return 0;
}

DWORD CSkinButton::SetTipText(UINT stringId, BOOL activate) {
  const CString text = LoadText(stringId);
  if (text.IsEmpty()) return 0;
  return SetTipText(static_cast<LPCSTR>(text), activate);
}

void CSkinButton::EnableTip(BOOL activate) {
  if (m_tooltip.m_hWnd && m_tooltip.GetToolCount() > 0) m_tooltip.Activate(activate);
}

DWORD CSkinButton::SetStyleBit() {
  m_styleWord |= 0x40;
  return 0;
}

BOOL CSkinButton::GetLook() const { return m_menu.GetLookOption(); }

DWORD CSkinButton::EnableTransparency(BOOL repaint) {
  m_transparent = TRUE;
  DropParentBackground();
  Repaint(repaint);
  return 0;
}

DWORD CSkinButton::CaptureBackground(CDC* dc) {
  if (!m_transparent || !dc || !m_hWnd) return 5;
  DropParentBackground();
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  // Painting the saved background once makes the copy; the button draws over it afterwards.
  PaintParentBackground(dc, client);
  return 0;
}
