// The "Static" class: one procedure, one paint routine per kind in a table. A static is transparent
// to the mouse (its parent gets the clicks) unless it has SS_NOTIFY, and it names the control after
// it as the target of its mnemonic (DLGC_STATIC). Icons and bitmaps come from STM_SETIMAGE, or at
// creation from the resource its text names.
#include "Common.h"

#include <string>

namespace tolvar::controls {
namespace {

struct StaticState {
  HFONT font = nullptr;
  HANDLE image = nullptr;  // SS_ICON: an icon; SS_BITMAP: a bitmap
};

DWORD Style(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)); }
DWORD Kind(HWND window) { return Style(window) & SS_TYPEMASK; }

std::string Text(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
  return text;
}

void PaintText(HWND window, StaticState& state, HDC hdc) {
  RECT rect;
  GetClientRect(window, &rect);
  HBRUSH brush = AskColours(window, hdc, WM_CTLCOLORSTATIC);
  FillRect(hdc, &rect, brush);
  const DWORD style = Style(window);
  // Format by kind: SS_LEFT, SS_CENTER, SS_RIGHT wrap words; SS_SIMPLE and SS_LEFTNOWORDWRAP do not.
  UINT format = DT_EXPANDTABS;
  switch (Kind(window)) {
    case SS_CENTER: format |= DT_CENTER | DT_WORDBREAK; break;
    case SS_RIGHT: format |= DT_RIGHT | DT_WORDBREAK; break;
    case SS_SIMPLE: format |= DT_SINGLELINE | DT_VCENTER | DT_NOCLIP; break;
    case SS_LEFTNOWORDWRAP: break;
    default: format |= DT_WORDBREAK; break;
  }
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  if (style & SS_CENTERIMAGE) format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
  switch (style & SS_ELLIPSISMASK) {
    case SS_ENDELLIPSIS: format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_END_ELLIPSIS; break;
    case SS_PATHELLIPSIS: format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_PATH_ELLIPSIS; break;
    case SS_WORDELLIPSIS: format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_END_ELLIPSIS; break;
    default: break;
  }
  std::string text = Text(window);
  Selected font(hdc, FontOr(state.font));
  SetBkMode(hdc, TRANSPARENT);
  if (!IsWindowEnabled(window)) SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
  DrawTextA(hdc, text.c_str(), -1, &rect, format);
}

// The filled and framed rectangles, in the colours of the classic frame.
void PaintRect(HWND window, StaticState&, HDC hdc) {
  RECT rect;
  GetClientRect(window, &rect);
  struct Look {
    int colour;
    bool frame;
  };
  static constexpr Look kLooks[] = {
      {COLOR_3DDKSHADOW, false},  // SS_BLACKRECT
      {COLOR_3DSHADOW, false},    // SS_GRAYRECT
      {COLOR_3DHIGHLIGHT, false}, // SS_WHITERECT
      {COLOR_3DDKSHADOW, true},   // SS_BLACKFRAME
      {COLOR_3DSHADOW, true},     // SS_GRAYFRAME
      {COLOR_3DHIGHLIGHT, true},  // SS_WHITEFRAME
  };
  const Look& look = kLooks[Kind(window) - SS_BLACKRECT];
  if (look.frame) FrameRect(hdc, &rect, GetSysColorBrush(look.colour));
  else FillRect(hdc, &rect, GetSysColorBrush(look.colour));
}

void PaintEtched(HWND window, StaticState&, HDC hdc) {
  RECT rect;
  GetClientRect(window, &rect);
  AskColours(window, hdc, WM_CTLCOLORSTATIC);
  switch (Kind(window)) {
    case SS_ETCHEDHORZ: DrawEdge(hdc, &rect, EDGE_ETCHED, BF_TOP | BF_BOTTOM); break;
    case SS_ETCHEDVERT: DrawEdge(hdc, &rect, EDGE_ETCHED, BF_LEFT | BF_RIGHT); break;
    default: DrawEdge(hdc, &rect, EDGE_ETCHED, BF_RECT); break;
  }
}

// The size an image static shows its image at: a bitmap's own, and an icon's own too (a small icon
// stays 16 pixels: drawn at the system's icon size it would spill over whatever lies below it).
SIZE ImageSize(HWND window, HANDLE image) {
  if (Kind(window) == SS_BITMAP) {
    BITMAP info{};
    GetObjectA(image, sizeof info, &info);
    return {info.bmWidth, info.bmHeight};
  }
  SIZE size{GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
  ICONINFO parts{};
  if (!GetIconInfo(static_cast<HICON>(image), &parts)) return size;
  BITMAP mask{};
  if (GetObjectA(parts.hbmMask, sizeof mask, &mask) && mask.bmWidth > 0) {
    // Without a colour bitmap the mask holds the AND and XOR halves one above the other.
    size = {mask.bmWidth, parts.hbmColor ? mask.bmHeight : mask.bmHeight / 2};
  }
  DeleteObject(parts.hbmMask);
  if (parts.hbmColor) DeleteObject(parts.hbmColor);
  return size;
}

void PaintImage(HWND window, StaticState& state, HDC hdc) {
  RECT rect;
  GetClientRect(window, &rect);
  HBRUSH brush = AskColours(window, hdc, WM_CTLCOLORSTATIC);
  FillRect(hdc, &rect, brush);
  if (!state.image) return;
  const bool icon = Kind(window) == SS_ICON;
  const SIZE size = ImageSize(window, state.image);
  int x = rect.left, y = rect.top;
  if (Style(window) & SS_CENTERIMAGE) {
    x = (rect.left + rect.right - size.cx) / 2;
    y = (rect.top + rect.bottom - size.cy) / 2;
  }
  DrawStateA(hdc, nullptr, nullptr, reinterpret_cast<LPARAM>(state.image), 0, x, y, size.cx, size.cy,
             (icon ? DST_ICON : DST_BITMAP) | (IsWindowEnabled(window) ? DSS_NORMAL : DSS_DISABLED));
}

void PaintOwner(HWND window, StaticState& state, HDC hdc) {
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_STATIC;
  item.CtlID = ControlId(window);
  item.itemAction = ODA_DRAWENTIRE;
  item.itemState = IsWindowEnabled(window) ? 0 : ODS_DISABLED;
  item.hwndItem = window;
  item.hDC = hdc;
  GetClientRect(window, &item.rcItem);
  AskColours(window, hdc, WM_CTLCOLORSTATIC);
  Selected font(hdc, FontOr(state.font));
  SendMessageA(GetParent(window), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}

void PaintNothing(HWND, StaticState&, HDC) {}

using PaintRoutine = void (*)(HWND, StaticState&, HDC);
constexpr PaintRoutine kPainters[32] = {
    PaintText,   PaintText,   PaintText,   PaintImage,   PaintRect,    PaintRect,    PaintRect,    PaintRect,
    PaintRect,   PaintRect,   PaintNothing, PaintText,   PaintText,    PaintOwner,   PaintImage,   PaintNothing,
    PaintEtched, PaintEtched, PaintEtched, PaintNothing, PaintNothing, PaintNothing, PaintNothing, PaintNothing,
    PaintNothing, PaintNothing, PaintNothing, PaintNothing, PaintNothing, PaintNothing, PaintNothing, PaintNothing,
};

bool IsImageKind(DWORD kind) { return kind == SS_ICON || kind == SS_BITMAP; }

// An icon or bitmap static fits its image unless told to keep its size.
void FitImage(HWND window, StaticState& state) {
  const DWORD style = Style(window);
  if (!state.image || (style & (SS_CENTERIMAGE | SS_REALSIZECONTROL))) return;
  const SIZE size = ImageSize(window, state.image);
  SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HANDLE SetImage(HWND window, StaticState& state, HANDLE image) {
  HANDLE old = state.image;
  state.image = image;
  FitImage(window, state);
  InvalidateRect(window, nullptr, TRUE);
  return old;
}

// A template's icon or bitmap static names its resource in its text (a name or "#id").
void LoadNamedImage(HWND window, StaticState& state, const CREATESTRUCTA& create) {
  if (!create.lpszName) return;
  LPCSTR name = create.lpszName;
  if (!IS_INTRESOURCE(name) && !*name) return;
  if (!IS_INTRESOURCE(name) && name[0] == '#') {
    name = MAKEINTRESOURCEA(static_cast<WORD>(std::atoi(name + 1)));
  }
  HANDLE image = Kind(window) == SS_ICON ? static_cast<HANDLE>(LoadIconA(create.hInstance, name))
                                         : static_cast<HANDLE>(LoadBitmapA(create.hInstance, name));
  if (image) SetImage(window, state, image);
}

}  // namespace

LRESULT StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  StaticState* state = StateOf<StaticState>(window);
  if (!state && message != WM_NCCREATE) return DefWindowProcA(window, message, wParam, lParam);
  const DWORD kind = Kind(window);
  switch (message) {
    case WM_NCCREATE: {
      AttachState<StaticState>(window);
      const auto& create = *reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (IsImageKind(kind)) {
        // The text of an image static is its resource's name, not a caption.
        CREATESTRUCTA untitled = create;
        untitled.lpszName = "";
        return DefWindowProcA(window, message, wParam, reinterpret_cast<LPARAM>(&untitled));
      }
      return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_CREATE:
      if (IsImageKind(kind)) LoadNamedImage(window, *state, *reinterpret_cast<const CREATESTRUCTA*>(lParam));
      return 0;
    case WM_NCDESTROY:
      DetachState<StaticState>(window);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_GETDLGCODE: return DLGC_STATIC;
    case WM_NCHITTEST:
      return (Style(window) & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      Painting paint(window, message == WM_PRINTCLIENT ? wParam : 0);
      kPainters[kind](window, *state, paint.dc());
      if (Style(window) & SS_SUNKEN) {
        RECT rect;
        GetClientRect(window, &rect);
        DrawEdge(paint.dc(), &rect, BDR_SUNKENOUTER, BF_RECT);
      }
      return 0;
    }
    case WM_SETFONT:
      state->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case WM_SETTEXT: {
      if (IsImageKind(kind)) return TRUE;
      LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      InvalidateRect(window, nullptr, TRUE);
      return result;
    }
    case WM_ENABLE:
      if (Style(window) & SS_NOTIFY) NotifyParent(window, wParam ? STN_ENABLE : STN_DISABLE);
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_LBUTTONDOWN:
      if (Style(window) & SS_NOTIFY) NotifyParent(window, STN_CLICKED);
      return 0;
    case WM_LBUTTONDBLCLK:
      if (Style(window) & SS_NOTIFY) NotifyParent(window, STN_DBLCLK);
      return 0;
    case STM_SETICON:
      if (kind != SS_ICON) return 0;
      return reinterpret_cast<LRESULT>(SetImage(window, *state, reinterpret_cast<HANDLE>(wParam)));
    case STM_GETICON: return kind == SS_ICON ? reinterpret_cast<LRESULT>(state->image) : 0;
    case STM_SETIMAGE:
      if ((wParam == IMAGE_ICON && kind == SS_ICON) || (wParam == IMAGE_BITMAP && kind == SS_BITMAP)) {
        return reinterpret_cast<LRESULT>(SetImage(window, *state, reinterpret_cast<HANDLE>(lParam)));
      }
      return 0;
    case STM_GETIMAGE:
      if ((wParam == IMAGE_ICON && kind == SS_ICON) || (wParam == IMAGE_BITMAP && kind == SS_BITMAP)) {
        return reinterpret_cast<LRESULT>(state->image);
      }
      return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace tolvar::controls
