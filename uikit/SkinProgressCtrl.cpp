// The percentage progress bar: its spans, its painting into an off-screen bitmap, its text with the
// safe little formatter, and the wrapping block.
#include "SkinProgressCtrl.h"

#include <gdi/Gdi.h>
#include <gdi/Unique.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

using tolvar::gdi::ScopedSelect;
using tolvar::gdi::UniqueBitmap;
using tolvar::gdi::UniqueBrush;
using tolvar::gdi::UniqueDC;
using tolvar::gdi::UniqueRegion;

IMPLEMENT_DYNAMIC(CSkinProgressCtrl, CProgressCtrl)

BarSpans CalcBarSpans(int low, int high, int position, int blockStart, bool wrapping, int length) {
  BarSpans spans;
  if (position < low || position > high) return spans;
  spans.visible = true;
  spans.whole = {0, length};
  if (high == low) return spans;  // nothing done of nothing
  const double range = static_cast<double>(high) - low;
  const int from = wrapping ? static_cast<int>((static_cast<double>(blockStart) - low) * length / range) : 0;
  const int to = static_cast<int>((static_cast<double>(position) - low) * length / range);
  spans.done = {std::clamp(from, 0, length), std::clamp(std::max(to, from), 0, length)};
  return spans;
}

int CalcBarPercent(int low, int high, int position) {
  if (high == low) return 0;
  return static_cast<int>((static_cast<double>(position) - low) * 100.0 / (static_cast<double>(high) - low));
}

CString FormatBarText(std::string_view format, int value) {
  std::string out;
  size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    // "%" flags width "d"; anything else is no conversion of ours and stays as written.
    size_t j = i + 1;
    while (j < format.size() && std::string_view("-+ 0#").find(format[j]) != std::string_view::npos) ++j;
    const size_t widthAt = j;
    while (j < format.size() && format[j] >= '0' && format[j] <= '9') ++j;
    if (j < format.size() && format[j] == 'd' && j - widthAt <= 3) {
      const std::string spec(format.substr(i, j - i + 1));
      char number[512];
      std::snprintf(number, sizeof number, spec.c_str(), value);  // spec is "%[flags][width]d" and nothing else
      out += number;
      i = j + 1;
    } else {
      out += '%';
      ++i;
    }
  }
  return CString(out.c_str(), static_cast<int>(out.size()));
}

const AFX_MSGMAP* CSkinProgressCtrl::GetMessageMap() const {
  static const AFX_MSGMAP map{CProgressCtrl::GetMessageMap(),
                              {
                                  MapMessage(PBM_SETPOS, &CSkinProgressCtrl::OnPositionMessage),
                                  MapMessage(PBM_DELTAPOS, &CSkinProgressCtrl::OnPositionMessage),
                                  MapMessage(PBM_STEPIT, &CSkinProgressCtrl::OnPositionMessage),
                                  MapMessage(PBM_SETSTEP, &CSkinProgressCtrl::OnSetStep),
                                  MapMessage(PBM_SETBARCOLOR, &CSkinProgressCtrl::OnSetBarColor),
                                  MapMessage(CCM_SETBKCOLOR, &CSkinProgressCtrl::OnSetBkColor),
                                  MapMessage(WM_ERASEBKGND, &CSkinProgressCtrl::OnEraseBkgnd),
                                  MapMessage(WM_PAINT, &CSkinProgressCtrl::OnPaint),
                                  MapMessage(WM_SETFONT, &CSkinProgressCtrl::OnSetFont),
                                  MapMessage(WM_GETFONT, &CSkinProgressCtrl::OnGetFont),
                              }};
  return &map;
}

CSkinProgressCtrl::CSkinProgressCtrl()
    : m_colors{GetSysColor(COLOR_ACTIVECAPTION), GetSysColor(COLOR_ACTIVECAPTION)},
      m_crBackground(GetSysColor(COLOR_BTNFACE)),
      m_crTextDone(GetSysColor(COLOR_CAPTIONTEXT)),
      m_crTextRest(GetSysColor(COLOR_BTNTEXT)) {}

CSkinProgressCtrl::~CSkinProgressCtrl() = default;

void CSkinProgressCtrl::SetText(LPCSTR text, DWORD mode) {
  if (text && *text && (mode & PBS_SKIN_CALLERTEXT)) {
    ModifyStyle(PBS_SKIN_CALLERTEXT, mode & PBS_SKIN_CALLERTEXT);
    SetWindowText(text);
  } else {
    ModifyStyle(PBS_SKIN_CALLERTEXT, 0);
    SetWindowText("");
  }
  Invalidate();
}

void CSkinProgressCtrl::SetGradientColors(std::vector<COLORREF> stops) {
  if (stops.empty()) return;
  m_colors = std::move(stops);
  Invalidate();
}

void CSkinProgressCtrl::SetMargins(int left, int top, int right, int bottom) {
  m_margins = {left, top, right, bottom};
  Invalidate();
}

RECT CSkinProgressCtrl::CalcBarRect(const RECT& bar, BarSpan span) const {
  RECT rect = bar;
  const bool reversed = GetStyle() & PBS_SKIN_REVERSED;
  if (GetStyle() & PBS_VERTICAL) {
    if (reversed) rect.top = bar.top + span.from, rect.bottom = bar.top + span.to;
    else rect.bottom = bar.bottom - span.from, rect.top = bar.bottom - span.to;
  } else {
    if (reversed) rect.right = bar.right - span.from, rect.left = bar.right - span.to;
    else rect.left = bar.left + span.from, rect.right = bar.left + span.to;
  }
  return rect;
}

LRESULT CSkinProgressCtrl::OnPositionMessage(WPARAM wParam, LPARAM) {
  LRESULT previous = 0;
  if (UpdatePos(GetCurrentMessage()->message, wParam, &previous)) return previous;
  return Default();
}

BOOL CSkinProgressCtrl::UpdatePos(UINT message, WPARAM wParam, LRESULT* previous) {
  if (!(GetStyle() & PBS_SKIN_WRAPPING)) return FALSE;
  int low = 0, high = 0;
  GetRange(low, high);
  int position = 0;
  if (message == PBM_SETPOS) {
    position = static_cast<int>(wParam);
  } else {
    int current = GetPos();
    // The bar stops at its high end while the block runs on past it: count from where the block is.
    if (current == high && current - m_nBlockStart < m_nBlockLength) current = m_nBlockStart + m_nBlockLength;
    const int move = message == PBM_STEPIT ? m_nStep : static_cast<int>(wParam);
    position = current + std::abs(move);
  }
  if (position > high + m_nBlockLength) {
    position = std::min(position + low - m_nBlockLength - high, high + m_nBlockLength);
    ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(GetStyle() ^ PBS_SKIN_REVERSED));
  }
  if (position >= high) Invalidate();
  m_nBlockStart = std::max(position - m_nBlockLength, low);
  *previous = CWnd::DefWindowProc(PBM_SETPOS, static_cast<WPARAM>(position), 0);
  return TRUE;
}

LRESULT CSkinProgressCtrl::OnSetStep(WPARAM wParam, LPARAM) {
  m_nStep = static_cast<int>(wParam);
  return Default();
}

LRESULT CSkinProgressCtrl::OnSetBarColor(WPARAM wParam, LPARAM lParam) {
  const COLORREF first = static_cast<COLORREF>(lParam);
  m_colors = {first, wParam ? static_cast<COLORREF>(wParam) : first};
  Invalidate();
  return static_cast<LRESULT>(CLR_DEFAULT);
}

LRESULT CSkinProgressCtrl::OnSetBkColor(WPARAM, LPARAM lParam) {
  m_crBackground = static_cast<COLORREF>(lParam);
  Invalidate();
  return static_cast<LRESULT>(CLR_DEFAULT);
}

LRESULT CSkinProgressCtrl::OnEraseBkgnd(WPARAM, LPARAM) { return TRUE; }

LRESULT CSkinProgressCtrl::OnSetFont(WPARAM wParam, LPARAM lParam) {
  m_hFont = reinterpret_cast<HFONT>(wParam);
  if (LOWORD(lParam)) Invalidate();
  return 0;
}

LRESULT CSkinProgressCtrl::OnGetFont(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hFont); }

LRESULT CSkinProgressCtrl::OnPaint(WPARAM, LPARAM) {
  PAINTSTRUCT paint;
  HDC screen = ::BeginPaint(m_hWnd, &paint);
  RECT client;
  GetClientRect(&client);
  const RECT area = paint.rcPaint;
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (screen && width > 0 && height > 0) {
    // Drawn whole off the screen and copied in one go: the bar never shows half painted.
    UniqueDC memory(::CreateCompatibleDC(screen));
    UniqueBitmap bitmap(::CreateCompatibleBitmap(screen, width, height));
    if (memory && bitmap) {
      ScopedSelect select(memory.Get(), bitmap.Get());
      ::SetWindowOrgEx(memory.Get(), area.left, area.top, nullptr);
      Paint(memory.Get(), client);
      ::BitBlt(screen, area.left, area.top, width, height, memory.Get(), area.left, area.top, SRCCOPY);
    }
  }
  ::EndPaint(m_hWnd, &paint);
  return 0;
}

void CSkinProgressCtrl::Paint(HDC dc, const RECT& client) {
  if (m_hBkBrush) {
    ::FillRect(dc, &client, m_hBkBrush);
  } else {
    UniqueBrush background(::CreateSolidBrush(m_crBackground));
    ::FillRect(dc, &client, background.Get());
  }
  RECT bar{client.left + m_margins.left, client.top + m_margins.top, client.right - m_margins.right,
           client.bottom - m_margins.bottom};
  int low = 0, high = 0;
  GetRange(low, high);
  const DWORD style = GetStyle();
  const int length = (style & PBS_VERTICAL) ? bar.bottom - bar.top : bar.right - bar.left;
  const BarSpans spans = CalcBarSpans(low, high, GetPos(), m_nBlockStart, style & PBS_SKIN_WRAPPING, std::max(length, 0));
  if (!spans.visible) return;
  DrawBar(dc, bar, spans.whole, spans.done);
  if (style & PBS_SKIN_CALLERTEXT) DrawText(dc, bar, spans.whole, spans.done);
}

void CSkinProgressCtrl::DrawBar(HDC dc, const RECT& bar, BarSpan whole, BarSpan done) {
  if (m_hBarBrush) {
    const RECT rect = CalcBarRect(bar, done);
    ::FillRect(dc, &rect, m_hBarBrush);
    return;
  }
  if (done.Length() <= 0 || m_colors.empty()) return;
  // Equal segments between the stops over the gradient's span; each is painted as far as the done
  // part reaches, so without the squeeze a colour keeps its place along the bar as it grows.
  const BarSpan gradient = (GetStyle() & PBS_SKIN_GRADIENTINDONE) ? done : whole;
  const size_t segments = std::max<size_t>(m_colors.size() - 1, 1);
  const double each = static_cast<double>(gradient.Length()) / static_cast<double>(segments);
  for (size_t i = 0; i < segments; ++i) {
    const int from = gradient.from + static_cast<int>(static_cast<double>(i) * each);
    const int to = i + 1 == segments ? gradient.to : gradient.from + static_cast<int>(static_cast<double>(i + 1) * each);
    const BarSpan shown{std::max(from, done.from), std::min(to, done.to)};
    const COLORREF a = m_colors[i], b = m_colors[std::min(i + 1, m_colors.size() - 1)];
    if (shown.Length() > 0) FillBand(dc, bar, {from, to}, shown, a, b);
    if (to >= done.to) break;
  }
}

void CSkinProgressCtrl::FillBand(HDC dc, const RECT& bar, BarSpan segment, BarSpan shown, COLORREF a, COLORREF b) {
  const int channels[3][2] = {{GetRValue(a), GetRValue(b)}, {GetGValue(a), GetGValue(b)}, {GetBValue(a), GetBValue(b)}};
  int steps = 0;
  for (const auto& channel : channels) steps = std::max(steps, std::abs(channel[1] - channel[0]));
  steps = std::max(1, std::min(steps, segment.Length()));
  if (::GetDeviceCaps(dc, BITSPIXEL) < 8 && !(::GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE)) steps = 1;
  const long long length = segment.Length();
  for (int step = 0; step < steps; ++step) {
    const int from = segment.from + static_cast<int>(length * step / steps);
    const int to = segment.from + static_cast<int>(length * (step + 1) / steps);
    const BarSpan part{std::max(from, shown.from), std::min(to, shown.to)};
    if (part.Length() <= 0) continue;
    int mixed[3];
    for (int c = 0; c < 3; ++c) mixed[c] = channels[c][0] + (channels[c][1] - channels[c][0]) * step / steps;
    UniqueBrush brush(::CreateSolidBrush(RGB(mixed[0], mixed[1], mixed[2])));
    const RECT rect = CalcBarRect(bar, part);
    ::FillRect(dc, &rect, brush.Get());
  }
}

void CSkinProgressCtrl::DrawText(HDC dc, const RECT& bar, BarSpan whole, BarSpan done) {
  const DWORD style = GetStyle();
  const DWORD mode = style & PBS_SKIN_CALLERTEXT;
  CString format;
  GetWindowText(format);
  if (format.IsEmpty()) format = mode == PBS_SKIN_PERCENT ? "%d%%" : mode == PBS_SKIN_POSITION ? "%d" : "";
  if (format.IsEmpty()) return;
  int low = 0, high = 0;
  GetRange(low, high);
  const int value = mode == PBS_SKIN_PERCENT ? CalcBarPercent(low, high, GetPos()) : mode == PBS_SKIN_POSITION ? GetPos() : 0;
  const CString text = FormatBarText(std::string_view(static_cast<LPCSTR>(format), static_cast<size_t>(format.GetLength())), value);

  const int saved = ::SaveDC(dc);
  if (m_hFont) ::SelectObject(dc, m_hFont);
  ::SetTextColor(dc, m_crTextDone);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextAlign(dc, TA_CENTER | TA_BOTTOM);

  LOGFONTA font{};
  const int angle = m_hFont && ::GetObjectA(m_hFont, sizeof font, &font) ? font.lfEscapement / 10 : 0;
  SIZE size{};
  ::GetTextExtentPoint32A(dc, text, text.GetLength(), &size);
  // Where the text's bottom centre goes so that it sits centred at each of the four angles, and how
  // much of the bar it covers.
  struct Turn {
    int dx, dy, alongHorizontal, alongVertical;
  };
  Turn turn{0, 0, 0, 0};
  switch (angle) {
    case 0: turn = {0, size.cy, size.cx, size.cy}; break;
    case 90: turn = {size.cy, 0, size.cy, size.cx}; break;
    case 180: turn = {0, -size.cy, size.cx, size.cy}; break;
    case 270: turn = {-size.cy, 0, size.cy, size.cx}; break;
    default: break;
  }
  const int along = (style & PBS_VERTICAL) ? turn.alongVertical : turn.alongHorizontal;
  const RECT ref = (style & PBS_SKIN_TEXTINDONE) ? CalcBarRect(bar, done) : bar;
  const POINT at{ref.left + (ref.right - ref.left + turn.dx) / 2, ref.top + (ref.bottom - ref.top + turn.dy) / 2};

  if (style & PBS_SKIN_TEXTINDONE) {
    if (along <= done.Length()) DrawClippedText(dc, bar, done, at, text);
  } else if (m_crTextDone == m_crTextRest) {
    DrawClippedText(dc, bar, whole, at, text);
  } else {
    if (done.Length() > 0) DrawClippedText(dc, bar, done, at, text);
    ::SetTextColor(dc, m_crTextRest);
    if (done.to < whole.to) DrawClippedText(dc, bar, {done.to, whole.to}, at, text);
    if (done.from > whole.from) DrawClippedText(dc, bar, {whole.from, done.from}, at, text);
  }
  ::RestoreDC(dc, saved);
}

void CSkinProgressCtrl::DrawClippedText(HDC dc, const RECT& bar, BarSpan span, POINT at, const CString& text) {
  RECT clip = CalcBarRect(bar, span);
  POINT origin{};
  ::GetWindowOrgEx(dc, &origin);
  ::OffsetRect(&clip, -origin.x, -origin.y);  // the clip region is in device pixels
  UniqueRegion region(::CreateRectRgnIndirect(&clip));
  ::SelectClipRgn(dc, region.Get());
  ::TextOutA(dc, at.x, at.y, text, text.GetLength());
  ::SelectClipRgn(dc, nullptr);
}
