#include "SkinMonthCalCtrl.h"

#include "FlatDrawing.h"
#include "OffscreenPaint.h"

IMPLEMENT_DYNAMIC(CSkinMonthCalCtrl, CMonthCalCtrl)

namespace {
constexpr COLORREF kFill = 0xFFFFFF;  // a new memory DC's background colour
}

CSkinMonthCalCtrl::CSkinMonthCalCtrl() : m_font(std::make_unique<CFont>()) {}

CSkinMonthCalCtrl::~CSkinMonthCalCtrl() {
  if (m_hWnd) DestroyWindow();
}

const AFX_MSGMAP* CSkinMonthCalCtrl::GetMessageMap() const {
  static const AFX_MSGMAP map{CMonthCalCtrl::GetMessageMap(), {MapMessage(WM_PAINT, &CSkinMonthCalCtrl::OnPaint)}};
  return &map;
}

void CSkinMonthCalCtrl::SetFont(LPCSTR face, int height, BOOL bold, BOOL italic) {
  LOGFONTA logical{};
  logical.lfHeight = height;
  logical.lfItalic = italic ? 1 : 0;
  logical.lfWeight = bold ? FW_BOLD : 0;
  uikit::CopyFaceName(logical, face);
  auto font = std::make_unique<CFont>();
  if (!font->CreateFontIndirect(&logical)) return;
  if (m_hWnd) SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(*font)), TRUE);
  m_font = std::move(font);
}

LRESULT CSkinMonthCalCtrl::OnPaint(WPARAM, LPARAM) {
  uikit::PaintOffscreen(*this, kFill);
  return 0;
}
