// Draws one picture of what the raster engine does, for a person to look at:
//   gdi_testsheet out.png
#include <gdi/Gdi.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 900;
constexpr int kHeight = 640;

class Sheet {
public:
  Sheet() {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    m_dc = CreateCompatibleDC(nullptr);
    m_old = SelectObject(m_dc, m_bitmap);
    RECT all{0, 0, kWidth, kHeight};
    FillRect(m_dc, &all, GetSysColorBrush(COLOR_BTNFACE));
  }
  ~Sheet() {
    SelectObject(m_dc, m_old);
    DeleteDC(m_dc);
    DeleteObject(m_bitmap);
  }
  HDC dc() const { return m_dc; }
  HBITMAP bitmap() const { return m_bitmap; }

  void Caption(int x, int y, const char* text) {
    HFONT font = Font("Tahoma", -11, FW_BOLD);
    HGDIOBJ old = SelectObject(m_dc, font);
    SetBkMode(m_dc, TRANSPARENT);
    SetTextColor(m_dc, RGB(0, 0, 128));
    TextOutA(m_dc, x, y, text, static_cast<int>(std::strlen(text)));
    SetTextColor(m_dc, RGB(0, 0, 0));
    SelectObject(m_dc, old);
    DeleteObject(font);
  }

  static HFONT Font(const char* face, int height, int weight = FW_NORMAL, int escapement = 0, bool italic = false,
                    bool underline = false) {
    return CreateFontA(height, 0, escapement, escapement, weight, italic, underline, 0, ANSI_CHARSET, 0, 0, 0, 0, face);
  }

private:
  HBITMAP m_bitmap;
  HDC m_dc;
  HGDIOBJ m_old;
};

void Lines(Sheet& s) {
  s.Caption(10, 5, "Lines and pens");
  HDC dc = s.dc();
  for (int i = 0; i < 16; ++i) {
    MoveToEx(dc, 80, 90, nullptr);
    const double a = i * 3.14159265 / 8;
    LineTo(dc, 80 + static_cast<int>(60 * std::cos(a)), 90 + static_cast<int>(60 * std::sin(a)));
  }
  const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
  for (int i = 0; i < 5; ++i) {
    HPEN pen = CreatePen(styles[i], 1, RGB(0, 0, 160));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, 160, 30 + 10 * i, nullptr);
    LineTo(dc, 290, 30 + 10 * i);
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  for (int w = 1; w <= 5; ++w) {
    HPEN pen = CreatePen(PS_SOLID, w, RGB(160, 0, 0));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, 160 + 26 * (w - 1), 90, nullptr);
    LineTo(dc, 175 + 26 * (w - 1), 140);
    SelectObject(dc, old);
    DeleteObject(pen);
  }
}

void Shapes(Sheet& s) {
  s.Caption(310, 5, "Shapes and regions");
  HDC dc = s.dc();
  HBRUSH yellow = CreateSolidBrush(RGB(255, 230, 0));
  HGDIOBJ oldBrush = SelectObject(dc, yellow);
  Rectangle(dc, 310, 25, 370, 65);
  Ellipse(dc, 380, 25, 450, 65);
  const POINT star[] = {{490, 22}, {500, 52}, {470, 34}, {510, 34}, {480, 52}};
  Polygon(dc, star, 5);
  HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(0, 100, 0));
  SelectObject(dc, hatch);
  HPEN thick = CreatePen(PS_INSIDEFRAME, 3, RGB(0, 0, 0));
  HGDIOBJ oldPen = SelectObject(dc, thick);
  Ellipse(dc, 520, 22, 590, 66);
  SelectObject(dc, oldPen);
  DeleteObject(thick);
  SelectObject(dc, oldBrush);
  DeleteObject(hatch);
  DeleteObject(yellow);
  // A region with a hole, filled and framed.
  HRGN outer = CreateRectRgn(310, 80, 420, 140), hole = CreateRectRgn(340, 95, 390, 125);
  CombineRgn(outer, outer, hole, RGN_DIFF);
  HBRUSH blue = CreateSolidBrush(RGB(80, 120, 220));
  FillRgn(dc, outer, blue);
  FrameRgn(dc, outer, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), 1, 1);
  DeleteObject(blue);
  // Clipped drawing: an ellipse through an L-shaped clip.
  HRGN clip = CreateRectRgn(440, 80, 500, 140), corner = CreateRectRgn(470, 80, 500, 110);
  CombineRgn(clip, clip, corner, RGN_DIFF);
  SaveDC(dc);
  SelectClipRgn(dc, clip);
  HBRUSH red = CreateSolidBrush(RGB(220, 40, 40));
  oldBrush = SelectObject(dc, red);
  Ellipse(dc, 430, 75, 510, 145);
  SelectObject(dc, oldBrush);
  RestoreDC(dc, -1);
  DeleteObject(red);
  DeleteObject(clip);
  DeleteObject(corner);
  DeleteObject(outer);
  DeleteObject(hole);
}

void RasterOps(Sheet& s) {
  s.Caption(610, 5, "Raster operations (P=stripes S=ramp D=box)");
  HDC dc = s.dc();
  HDC src = CreateCompatibleDC(dc);
  HBITMAP srcBitmap = CreateCompatibleBitmap(dc, 32, 32);
  HGDIOBJ oldSrc = SelectObject(src, srcBitmap);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) SetPixel(src, x, y, RGB(x * 8, y * 8, 128));
  HBRUSH stripes = CreateHatchBrush(HS_BDIAGONAL, RGB(255, 0, 0));
  const DWORD rops[] = {SRCCOPY, SRCPAINT, SRCAND, SRCINVERT, SRCERASE, NOTSRCCOPY, NOTSRCERASE, MERGECOPY,
                        MERGEPAINT, PATCOPY, PATPAINT, PATINVERT, DSTINVERT, BLACKNESS, WHITENESS, 0x00E20746};
  for (int i = 0; i < 16; ++i) {
    const int x = 610 + (i % 8) * 36, y = 25 + (i / 8) * 40;
    RECT box{x, y, x + 32, y + 32};
    FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT inner{x + 8, y + 8, x + 24, y + 24};
    FillRect(dc, &inner, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    HGDIOBJ old = SelectObject(dc, stripes);
    BitBlt(dc, x, y, 32, 32, src, 0, 0, rops[i]);
    SelectObject(dc, old);
  }
  DeleteObject(stripes);
  SelectObject(src, oldSrc);
  DeleteObject(srcBitmap);
  DeleteDC(src);
}

void Texts(Sheet& s) {
  s.Caption(10, 160, "Text in the suite's faces");
  HDC dc = s.dc();
  struct Face { const char* face; int height; int weight; bool italic; bool underline; };
  const Face faces[] = {{"Verdana", 13, FW_BOLD, false, false}, {"Verdana", 16, FW_NORMAL, false, false},
                        {"MS Sans Serif", -11, FW_NORMAL, false, false}, {"Tahoma", -11, FW_NORMAL, false, false},
                        {"Small Fonts", -9, FW_NORMAL, false, false}, {"Arial", -14, FW_NORMAL, true, false},
                        {"Courier New", -13, FW_NORMAL, false, true}, {"Verdana", -20, FW_BOLD, false, false}};
  int y = 180;
  SetBkMode(dc, TRANSPARENT);
  for (const Face& f : faces) {
    HFONT font = Sheet::Font(f.face, f.height, f.weight, 0, f.italic, f.underline);
    HGDIOBJ old = SelectObject(dc, font);
    char line[128];
    std::snprintf(line, sizeof line, "%s %d: The quick brown fox 0123 \xC3\xA9\xE2\x82\xAC", f.face, f.height);
    TextOutA(dc, 10, y, line, static_cast<int>(std::strlen(line)));
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    y += tm.tmHeight + 3;
    SelectObject(dc, old);
    DeleteObject(font);
  }
  // Rotated text around a point, each with its bottom centre there, as the progress bar writes it.
  for (int angle : {0, 900, 1800, 2700}) {
    HFONT font = Sheet::Font("Verdana", -12, FW_NORMAL, angle);
    HGDIOBJ old = SelectObject(dc, font);
    SetTextAlign(dc, TA_LEFT | TA_BASELINE);
    SetTextColor(dc, RGB(0, 90, 0));
    TextOutA(dc, 420, 250, "  rotated", 9);
    SelectObject(dc, old);
    DeleteObject(font);
  }
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  SetTextColor(dc, RGB(0, 0, 0));
  // DrawText flags.
  HFONT font = Sheet::Font("Tahoma", -11);
  HGDIOBJ old = SelectObject(dc, font);
  struct Sample { const char* text; UINT format; };
  const Sample samples[] = {
      {"&File (prefix)", DT_SINGLELINE | DT_VCENTER},
      {"centred", DT_SINGLELINE | DT_VCENTER | DT_CENTER},
      {"right", DT_SINGLELINE | DT_VCENTER | DT_RIGHT},
      {"A long line cut with an end ellipsis", DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS},
      {"C:\\Program Files\\Dravik\\Mediary\\Pictures\\holiday.jpg", DT_SINGLELINE | DT_VCENTER | DT_PATH_ELLIPSIS},
      {"Word break wraps this text onto several lines", DT_WORDBREAK | DT_CENTER},
  };
  int top = 170;
  for (const Sample& smp : samples) {
    RECT r{520, top, 690, top + (smp.format & DT_WORDBREAK ? 44 : 20)};
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    DrawTextA(dc, smp.text, -1, &r, smp.format);
    top = r.bottom + 4;
  }
  SelectObject(dc, old);
  DeleteObject(font);
}

void Gradients(Sheet& s) {
  s.Caption(710, 160, "Gradients");
  HDC dc = s.dc();
  // The caption painter's bands: start colour on the left fading into the end colour.
  const COLORREF from = GetSysColor(COLOR_ACTIVECAPTION), to = RGB(16, 132, 208);
  for (int x = 0; x < 170; ++x) {
    auto mix = [&](int a, int b) { return static_cast<BYTE>(a + (b - a) * x / 169); };
    HBRUSH brush = CreateSolidBrush(RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
                                        mix(GetBValue(from), GetBValue(to))));
    RECT band{710 + x, 180, 711 + x, 200};
    FillRect(dc, &band, brush);
    DeleteObject(brush);
  }
  HFONT font = Sheet::Font("Tahoma", -11, FW_BOLD);
  HGDIOBJ old = SelectObject(dc, font);
  SetTextColor(dc, RGB(255, 255, 255));
  RECT caption{714, 180, 880, 200};
  DrawTextA(dc, "Vezezudara - caption", -1, &caption, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
  SelectObject(dc, old);
  DeleteObject(font);
  for (int y = 0; y < 60; ++y) {
    HBRUSH brush = CreateSolidBrush(RGB(255 - y * 3, 200, y * 4));
    RECT band{710, 210 + y, 880, 211 + y};
    FillRect(dc, &band, brush);
    DeleteObject(brush);
  }
  SetTextColor(dc, RGB(0, 0, 0));
}

void Put16(std::vector<BYTE>& v, unsigned x) { v.push_back(x & 0xFF); v.push_back((x >> 8) & 0xFF); }
void Put32(std::vector<BYTE>& v, unsigned x) { Put16(v, x & 0xFFFF); Put16(v, x >> 16); }

// A 32x32 icon: a red disc with a white ring on a transparent field.
HICON MakeIcon() {
  std::vector<BYTE> v;
  Put32(v, 40); Put32(v, 32); Put32(v, 64); Put16(v, 1); Put16(v, 24);
  for (int i = 0; i < 6; ++i) Put32(v, 0);
  std::vector<BYTE> mask;
  for (int y = 31; y >= 0; --y) {
    for (int x = 0; x < 32; ++x) {
      const int d2 = (x - 16) * (x - 16) + (y - 16) * (y - 16);
      BYTE b = 0, g = 0, r = 0;
      if (d2 < 100) { r = 220; g = 30; b = 30; }
      else if (d2 < 196) { r = g = b = 255; }
      v.push_back(b); v.push_back(g); v.push_back(r);
    }
  }
  for (int y = 31; y >= 0; --y) {
    for (int byte = 0; byte < 4; ++byte) {
      BYTE bits = 0;
      for (int bit = 0; bit < 8; ++bit) {
        const int x = byte * 8 + bit;
        if ((x - 16) * (x - 16) + (y - 16) * (y - 16) >= 196) bits |= static_cast<BYTE>(0x80 >> bit);
      }
      mask.push_back(bits);
    }
  }
  v.insert(v.end(), mask.begin(), mask.end());
  return CreateIconFromResourceEx(v.data(), static_cast<DWORD>(v.size()), TRUE, 0x00030000, 0, 0, 0);
}

void Images(Sheet& s) {
  s.Caption(10, 380, "Icons, image lists, DrawState");
  HDC dc = s.dc();
  HICON icon = MakeIcon();
  DrawIconEx(dc, 10, 400, icon, 0, 0, 0, nullptr, DI_NORMAL);
  DrawIconEx(dc, 50, 400, icon, 16, 16, 0, nullptr, DI_NORMAL);
  DrawIconEx(dc, 70, 400, icon, 48, 48, 0, nullptr, DI_NORMAL);
  DrawIconEx(dc, 125, 400, icon, 0, 0, 0, nullptr, DI_MASK);
  DrawState(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, 165, 400, 0, 0, DST_ICON | DSS_DISABLED);

  // An image list from a strip with a magenta key, drawn transparent, on a background, and selected.
  HDC strip = CreateCompatibleDC(dc);
  HBITMAP stripBitmap = CreateCompatibleBitmap(dc, 48, 16);
  HGDIOBJ oldStrip = SelectObject(strip, stripBitmap);
  RECT all{0, 0, 48, 16};
  HBRUSH key = CreateSolidBrush(RGB(255, 0, 255));
  FillRect(strip, &all, key);
  DeleteObject(key);
  const COLORREF fills[] = {RGB(0, 128, 255), RGB(0, 160, 0), RGB(255, 140, 0)};
  for (int i = 0; i < 3; ++i) {
    HBRUSH b = CreateSolidBrush(fills[i]);
    HGDIOBJ o = SelectObject(strip, b);
    Ellipse(strip, i * 16 + 1, 1, i * 16 + 15, 15);
    SelectObject(strip, o);
    DeleteObject(b);
  }
  SelectObject(strip, oldStrip);
  DeleteDC(strip);
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 3, 1);
  ImageList_AddMasked(list, stripBitmap, RGB(255, 0, 255));
  ImageList_AddIcon(list, icon);
  DeleteObject(stripBitmap);
  const UINT styles[] = {ILD_TRANSPARENT, ILD_NORMAL, ILD_SELECTED, ILD_FOCUS, ILD_MASK};
  ImageList_SetBkColor(list, RGB(255, 255, 255));
  for (int row = 0; row < 5; ++row)
    for (int i = 0; i < 4; ++i) ImageList_Draw(list, i, dc, 220 + i * 20, 400 + row * 20, styles[row]);
  ImageList_Destroy(list);
  DestroyIcon(icon);

  // Disabled text, embossed.
  HFONT font = Sheet::Font("Verdana", 13, FW_BOLD);
  HGDIOBJ old = SelectObject(dc, font);
  DrawState(dc, nullptr, nullptr, reinterpret_cast<LPARAM>("&Disabled"), 0, 10, 460, 0, 0,
            DST_PREFIXTEXT | DSS_DISABLED);
  SetBkMode(dc, TRANSPARENT);
  DrawState(dc, nullptr, nullptr, reinterpret_cast<LPARAM>("&Enabled"), 0, 100, 460, 0, 0, DST_PREFIXTEXT);
  SelectObject(dc, old);
  DeleteObject(font);
}

void Controls(Sheet& s) {
  s.Caption(330, 380, "Edges and frame controls");
  HDC dc = s.dc();
  const UINT edges[] = {EDGE_RAISED, EDGE_SUNKEN, EDGE_ETCHED, EDGE_BUMP, BDR_SUNKENOUTER, BDR_RAISEDINNER};
  for (int i = 0; i < 6; ++i) {
    RECT r{330 + i * 44, 400, 370 + i * 44, 430};
    DrawEdge(dc, &r, edges[i], BF_RECT | BF_MIDDLE);
  }
  struct Ctl { UINT type, state; };
  const Ctl controls[] = {
      {DFC_CAPTION, DFCS_CAPTIONCLOSE}, {DFC_CAPTION, DFCS_CAPTIONMIN}, {DFC_CAPTION, DFCS_CAPTIONMAX},
      {DFC_CAPTION, DFCS_CAPTIONRESTORE}, {DFC_CAPTION, DFCS_CAPTIONHELP}, {DFC_CAPTION, DFCS_CAPTIONCLOSE | DFCS_PUSHED},
      {DFC_CAPTION, DFCS_CAPTIONCLOSE | DFCS_INACTIVE}, {DFC_SCROLL, DFCS_SCROLLUP}, {DFC_SCROLL, DFCS_SCROLLDOWN},
      {DFC_SCROLL, DFCS_SCROLLLEFT}, {DFC_SCROLL, DFCS_SCROLLRIGHT}, {DFC_SCROLL, DFCS_SCROLLSIZEGRIP},
  };
  for (int i = 0; i < 12; ++i) {
    RECT r{330 + i * 22, 440, 346 + i * 22, 454};
    DrawFrameControl(dc, &r, controls[i].type, controls[i].state);
  }
  const Ctl buttons[] = {
      {DFC_BUTTON, DFCS_BUTTONCHECK}, {DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED},
      {DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE}, {DFC_BUTTON, DFCS_BUTTON3STATE | DFCS_CHECKED},
      {DFC_BUTTON, DFCS_BUTTONRADIO}, {DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED},
      {DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED | DFCS_INACTIVE}, {DFC_MENU, DFCS_MENUCHECK},
      {DFC_MENU, DFCS_MENUBULLET}, {DFC_MENU, DFCS_MENUARROW},
  };
  for (int i = 0; i < 10; ++i) {
    RECT r{330 + i * 22, 462, 343 + i * 22, 475};
    DrawFrameControl(dc, &r, buttons[i].type, buttons[i].state);
  }
  RECT focus{330, 485, 430, 505};
  DrawFocusRect(dc, &focus);
  HFONT font = Sheet::Font("MS Sans Serif", -11);
  HGDIOBJ old = SelectObject(dc, font);
  RECT push{440, 485, 520, 508};
  DrawFrameControl(dc, &push, DFC_BUTTON, DFCS_BUTTONPUSH);
  SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, "&Transfer", -1, &push, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  SelectObject(dc, old);
  DeleteObject(font);
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "gdi_testsheet.png";
  Sheet sheet;
  Lines(sheet);
  Shapes(sheet);
  RasterOps(sheet);
  Texts(sheet);
  Gradients(sheet);
  Images(sheet);
  Controls(sheet);
  if (!tolvar::gdi::WritePng(sheet.bitmap(), path)) {
    std::fprintf(stderr, "gdi_testsheet: cannot write %s\n", path);
    return 1;
  }
  std::printf("%s\n", path);
  return 0;
}
