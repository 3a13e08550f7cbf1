#include <gdi/SysParams.h>

#include "GdiObject.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <atomic>
#include <cstring>
#include <mutex>

using namespace tolvar::gdi;

namespace {

// The classic scheme of Windows 2000 and XP.
constexpr COLORREF kColours[] = {
    RGB(212, 208, 200),  // COLOR_SCROLLBAR
    RGB(58, 110, 165),   // COLOR_BACKGROUND
    RGB(10, 36, 106),    // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(212, 208, 200),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(212, 208, 200),  // COLOR_ACTIVEBORDER
    RGB(212, 208, 200),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(10, 36, 106),    // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(212, 208, 200),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(212, 208, 200),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(64, 64, 64),     // COLOR_3DDKSHADOW
    RGB(212, 208, 200),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
    RGB(181, 181, 181),  // 25, unnamed
    RGB(0, 0, 128),      // COLOR_HOTLIGHT
    RGB(166, 202, 240),  // COLOR_GRADIENTACTIVECAPTION
    RGB(192, 192, 192),  // COLOR_GRADIENTINACTIVECAPTION
    RGB(10, 36, 106),    // COLOR_MENUHILIGHT
    RGB(212, 208, 200),  // COLOR_MENUBAR
};
constexpr int kColourCount = static_cast<int>(sizeof kColours / sizeof kColours[0]);

struct Metric { int index; int value; };
constexpr Metric kMetrics[] = {
    {SM_CXVSCROLL, 16},      {SM_CYHSCROLL, 16},
    {SM_CYCAPTION, 19},      {SM_CXBORDER, 1},        {SM_CYBORDER, 1},         {SM_CXDLGFRAME, 3},
    {SM_CYDLGFRAME, 3},      {SM_CYVTHUMB, 16},       {SM_CXHTHUMB, 16},        {SM_CXICON, 32},
    {SM_CYICON, 32},         {SM_CXCURSOR, 32},       {SM_CYCURSOR, 32},        {SM_CYMENU, 19},
    {SM_CYVSCROLL, 16},      {SM_CXHSCROLL, 16},
    {SM_CXMIN, 112},         {SM_CYMIN, 27},          {SM_CXSIZE, 18},          {SM_CYSIZE, 18},
    {SM_CXFRAME, 4},         {SM_CYFRAME, 4},         {SM_CXMINTRACK, 112},     {SM_CYMINTRACK, 27},
    {SM_CXDOUBLECLK, 4},     {SM_CYDOUBLECLK, 4},     {SM_CXICONSPACING, 75},   {SM_CYICONSPACING, 75},
    {SM_CXEDGE, 2},          {SM_CYEDGE, 2},          {SM_CXSMICON, 16},        {SM_CYSMICON, 16},
    {SM_CYSMCAPTION, 15},    {SM_CXSMSIZE, 12},       {SM_CYSMSIZE, 15},        {SM_CXMENUSIZE, 18},
    {SM_CYMENUSIZE, 18},     {SM_CXMENUCHECK, 13},
    {SM_CYMENUCHECK, 13},    {SM_CXDRAG, 4},          {SM_CYDRAG, 4},           {SM_CMONITORS, 1},
};

// The screen, and what follows from it: the task bar takes 30 pixels at the bottom; a maximized
// window's frame lies outside the work area.
constexpr int kTaskBar = 30;
std::atomic<int> g_screenWidth{1024}, g_screenHeight{768};

int ScreenMetric(int index) {
  const int width = g_screenWidth.load(), height = g_screenHeight.load();
  switch (index) {
    case SM_CXSCREEN: return width;
    case SM_CYSCREEN: return height;
    case SM_CXFULLSCREEN: return width;
    case SM_CYFULLSCREEN: return height - kTaskBar - 19;  // less the caption
    case SM_CXMAXIMIZED: return width + 8;
    case SM_CYMAXIMIZED: return height - kTaskBar + 8;
    default: return -1;
  }
}

LOGFONTA UiFont(LONG weight) {
  LOGFONTA lf{};
  lf.lfHeight = -11;
  lf.lfWeight = weight;
  lf.lfCharSet = DEFAULT_CHARSET;
  std::strcpy(lf.lfFaceName, "Tahoma");
  return lf;
}

}  // namespace

DWORD GetSysColor(int index) {
  if (index < 0 || index >= kColourCount) return 0;
  return kColours[index];
}

HBRUSH GetSysColorBrush(int index) {
  static std::mutex lock;
  static HBRUSH brushes[kColourCount] = {};
  if (index < 0 || index >= kColourCount) return nullptr;
  std::lock_guard guard(lock);
  if (!brushes[index]) {
    auto brush = std::make_shared<BrushObject>();
    brush->colour = kColours[index];
    brush->stock = true;
    brushes[index] = static_cast<HBRUSH>(InsertObject(std::move(brush)));
  }
  return brushes[index];
}

int GetSystemMetrics(int index) {
  if (const int screen = ScreenMetric(index); screen >= 0) return screen;
  for (const Metric& m : kMetrics) {
    if (m.index == index) return m.value;
  }
  return 0;
}

BOOL SystemParametersInfoA(UINT action, UINT, PVOID value, UINT) {
  if (!value) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  switch (action) {
    case SPI_GETWORKAREA: {
      const RECT work{0, 0, g_screenWidth.load(), g_screenHeight.load() - kTaskBar};
      std::memcpy(value, &work, sizeof work);
      return TRUE;
    }
    case SPI_GETICONTITLELOGFONT: {
      const LOGFONTA lf = UiFont(FW_NORMAL);
      std::memcpy(value, &lf, sizeof lf);
      return TRUE;
    }
    case SPI_GETNONCLIENTMETRICS: {
      auto* metrics = static_cast<NONCLIENTMETRICSA*>(value);
      if (metrics->cbSize != sizeof(NONCLIENTMETRICSA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
      NONCLIENTMETRICSA m{};
      m.cbSize = sizeof m;
      m.iBorderWidth = 1;
      m.iScrollWidth = 16;
      m.iScrollHeight = 16;
      m.iCaptionWidth = 18;
      m.iCaptionHeight = 18;
      m.lfCaptionFont = UiFont(FW_BOLD);
      m.iSmCaptionWidth = 12;
      m.iSmCaptionHeight = 15;
      m.lfSmCaptionFont = UiFont(FW_BOLD);
      m.iMenuWidth = 18;
      m.iMenuHeight = 18;
      m.lfMenuFont = UiFont(FW_NORMAL);
      m.lfStatusFont = UiFont(FW_NORMAL);
      m.lfMessageFont = UiFont(FW_NORMAL);
      *metrics = m;
      return TRUE;
    }
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
}

namespace tolvar::gdi {

void SetScreenSize(int width, int height) {
  if (width <= 0 || height <= kTaskBar) return;
  g_screenWidth = width;
  g_screenHeight = height;
}

}  // namespace tolvar::gdi
