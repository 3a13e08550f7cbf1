// The "Button" class. One procedure for every kind; what differs between kinds is in two tables:
// the dialog code each kind answers and the routine that paints it. A click is a press (mouse down or
// Space down: the button captures and shows pushed) and a release inside the button, which checks an
// automatic kind and tells the parent BN_CLICKED. The state (check, pushed, focus) is in the
// ButtonState behind the window's extra bytes.
#include "Common.h"

#include <string>

namespace tolvar::controls {
namespace {

struct ButtonState {
  UINT check = BST_UNCHECKED;
  bool pushed = false;
  bool focused = false;
  bool hot = false;
  bool capturedBySpace = false;
  HFONT font = nullptr;
  HANDLE image = nullptr;  // a bitmap for BS_BITMAP, an icon for BS_ICON
};

DWORD Style(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)); }
DWORD Kind(HWND window) { return Style(window) & BS_TYPEMASK; }

bool IsRadioKind(DWORD kind) { return kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON; }

// What WM_GETDLGCODE answers, by kind (BS_PUSHBUTTON ... BS_OWNERDRAW; the four kinds past it answer
// as push buttons do).
constexpr LRESULT kDialogCodes[16] = {
    DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON,  // BS_PUSHBUTTON
    DLGC_BUTTON | DLGC_DEFPUSHBUTTON,    // BS_DEFPUSHBUTTON
    DLGC_BUTTON,                         // BS_CHECKBOX
    DLGC_BUTTON,                         // BS_AUTOCHECKBOX
    DLGC_BUTTON | DLGC_RADIOBUTTON,      // BS_RADIOBUTTON
    DLGC_BUTTON,                         // BS_3STATE
    DLGC_BUTTON,                         // BS_AUTO3STATE
    DLGC_STATIC,                         // BS_GROUPBOX
    DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON,  // BS_USERBUTTON
    DLGC_BUTTON | DLGC_RADIOBUTTON,      // BS_AUTORADIOBUTTON
    DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON,  // BS_PUSHBOX
    DLGC_BUTTON,                         // BS_OWNERDRAW: never made the default push button
    DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON,
    DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON,
    DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON,
    DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON,
};

// The highest check state each kind keeps (0: it keeps none).
constexpr UINT kMaxCheck[16] = {0, 0, 1, 1, 1, 2, 2, 0, 0, 1, 0, 0, 0, 0, 0, 0};

std::string Text(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
  return text;
}

// ----------------------------------------------------------------------------------------------
// Painting

// Text or image of a button inside `rect`, aligned by the BS_ alignment bits (with `defaults` for the
// kind when none is given). Returns the rectangle the label occupies, for the focus rectangle.
RECT DrawLabel(HWND window, const ButtonState& state, HDC hdc, RECT rect, UINT defaults) {
  const DWORD style = Style(window);
  const bool enabled = IsWindowEnabled(window);
  UINT format = DT_SINGLELINE;
  DWORD horizontal = style & BS_CENTER;
  if (!horizontal) horizontal = defaults & BS_CENTER;
  DWORD vertical = style & BS_VCENTER;
  if (!vertical) vertical = BS_VCENTER;
  if (horizontal == BS_CENTER) format |= DT_CENTER;
  else if (horizontal == BS_RIGHT) format |= DT_RIGHT;
  if (style & BS_MULTILINE) format = (format & ~DT_SINGLELINE) | DT_WORDBREAK;
  RECT label = rect;
  if ((style & (BS_BITMAP | BS_ICON)) && state.image) {
    SIZE size{};
    if (style & BS_BITMAP) {
      BITMAP info{};
      GetObjectA(state.image, sizeof info, &info);
      size = {info.bmWidth, info.bmHeight};
    } else {
      size = {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
    }
    int x = horizontal == BS_LEFT ? rect.left : horizontal == BS_RIGHT ? rect.right - size.cx
                                                                       : (rect.left + rect.right - size.cx) / 2;
    int y = vertical == BS_TOP ? rect.top : vertical == BS_BOTTOM ? rect.bottom - size.cy
                                                                  : (rect.top + rect.bottom - size.cy) / 2;
    UINT kind = (style & BS_BITMAP) ? DST_BITMAP : DST_ICON;
    DrawStateA(hdc, nullptr, nullptr, reinterpret_cast<LPARAM>(state.image), 0, x, y, size.cx, size.cy,
               kind | (enabled ? DSS_NORMAL : DSS_DISABLED));
    return RECT{x, y, x + size.cx, y + size.cy};
  }
  std::string text = Text(window);
  if (text.empty()) return RECT{rect.left, rect.top, rect.left, rect.top};
  Selected font(hdc, FontOr(state.font));
  RECT measure = rect;
  DrawTextA(hdc, text.c_str(), -1, &measure, format | DT_CALCRECT);
  const int width = measure.right - measure.left, height = measure.bottom - measure.top;
  label.left = (format & DT_CENTER) ? (rect.left + rect.right - width) / 2
               : (format & DT_RIGHT) ? rect.right - width
                                     : rect.left;
  label.top = vertical == BS_TOP ? rect.top : vertical == BS_BOTTOM ? rect.bottom - height
                                                                    : (rect.top + rect.bottom - height) / 2;
  label.right = label.left + width;
  label.bottom = label.top + height;
  SetBkMode(hdc, TRANSPARENT);
  RECT draw = label;
  if (enabled) {
    DrawTextA(hdc, text.c_str(), -1, &draw, format & ~(DT_CENTER | DT_RIGHT));
  } else {
    // The classic disabled text: highlight one pixel down-right, shadow in place.
    COLORREF old = SetTextColor(hdc, GetSysColor(COLOR_BTNHIGHLIGHT));
    OffsetRect(&draw, 1, 1);
    DrawTextA(hdc, text.c_str(), -1, &draw, format & ~(DT_CENTER | DT_RIGHT));
    OffsetRect(&draw, -1, -1);
    SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextA(hdc, text.c_str(), -1, &draw, format & ~(DT_CENTER | DT_RIGHT));
    SetTextColor(hdc, old);
  }
  return label;
}

void PaintPush(HWND window, ButtonState& state, HDC hdc) {
  RECT rect;
  GetClientRect(window, &rect);
  HBRUSH brush = AskColours(window, hdc, WM_CTLCOLORBTN);
  (void)brush;
  const DWORD style = Style(window);
  const bool isDefault = Kind(window) == BS_DEFPUSHBUTTON;
  const bool pushed = state.pushed || ((style & BS_PUSHLIKE) && state.check == BST_CHECKED);
  if (isDefault) {
    // The default button wears a black frame outside its edges.
    FrameRect(hdc, &rect, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&rect, -1, -1);
  }
  if (style & BS_FLAT) {
    FillRect(hdc, &rect, GetSysColorBrush(COLOR_BTNFACE));
    if (state.hot || pushed) DrawEdge(hdc, &rect, pushed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    else FrameRect(hdc, &rect, GetSysColorBrush(COLOR_BTNSHADOW));
  } else if (pushed && isDefault) {
    // A pushed default button is a flat shadow frame.
    FillRect(hdc, &rect, GetSysColorBrush(COLOR_BTNFACE));
    FrameRect(hdc, &rect, GetSysColorBrush(COLOR_BTNSHADOW));
  } else {
    RECT frame = rect;
    DrawFrameControl(hdc, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  }
  RECT inside = rect;
  InflateRect(&inside, -4, -4);
  if (pushed) OffsetRect(&inside, 1, 1);
  SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
  DrawLabel(window, state, hdc, inside, BS_CENTER);
  if (state.focused) {
    RECT focus = rect;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(hdc, &focus);
  }
}

void PaintCheck(HWND window, ButtonState& state, HDC hdc) {
  RECT rect;
  GetClientRect(window, &rect);
  if (Style(window) & BS_PUSHLIKE) return PaintPush(window, state, hdc);
  HBRUSH brush = AskColours(window, hdc, WM_CTLCOLORSTATIC);
  FillRect(hdc, &rect, brush);
  const DWORD style = Style(window);
  const DWORD kind = Kind(window);
  constexpr int kBox = 13;
  RECT box{rect.left, (rect.top + rect.bottom - kBox) / 2, rect.left + kBox, 0};
  if (style & BS_LEFTTEXT) box.left = rect.right - kBox, box.right = rect.right;
  box.bottom = box.top + kBox;
  UINT frame = IsRadioKind(kind) ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
  if (state.check == BST_INDETERMINATE) frame = DFCS_BUTTON3STATE | DFCS_CHECKED;
  else if (state.check == BST_CHECKED) frame |= DFCS_CHECKED;
  if (state.pushed) frame |= DFCS_PUSHED;
  if (!IsWindowEnabled(window)) frame |= DFCS_INACTIVE;
  if (style & BS_FLAT) frame |= DFCS_FLAT;
  DrawFrameControl(hdc, &box, DFC_BUTTON, frame);
  RECT text = rect;
  if (style & BS_LEFTTEXT) text.right = box.left - 4;
  else text.left = box.right + 4;
  SetTextColor(hdc, IsWindowEnabled(window) ? GetTextColor(hdc) : GetSysColor(COLOR_GRAYTEXT));
  RECT label = DrawLabel(window, state, hdc, text, BS_LEFT);
  if (state.focused && label.right > label.left) {
    InflateRect(&label, 1, 1);
    IntersectRect(&label, &label, &rect);
    DrawFocusRect(hdc, &label);
  }
}

void PaintGroup(HWND window, ButtonState& state, HDC hdc) {
  RECT rect;
  GetClientRect(window, &rect);
  HBRUSH brush = AskColours(window, hdc, WM_CTLCOLORSTATIC);
  {
    // The inside is the parent's background; the controls the box holds stay as they are.
    SaveDC(hdc);
    RECT mine;
    GetWindowRect(window, &mine);
    for (HWND sibling = GetWindow(window, GW_HWNDFIRST); sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
      RECT other, overlap;
      if (sibling == window || !IsWindowVisible(sibling)) continue;
      GetWindowRect(sibling, &other);
      if (!IntersectRect(&overlap, &mine, &other)) continue;
      OffsetRect(&overlap, -mine.left, -mine.top);
      ExcludeClipRect(hdc, overlap.left, overlap.top, overlap.right, overlap.bottom);
    }
    FillRect(hdc, &rect, brush);
    RestoreDC(hdc, -1);
  }
  Selected font(hdc, FontOr(state.font));
  TEXTMETRICA metrics{};
  GetTextMetricsA(hdc, &metrics);
  RECT frame = rect;
  frame.top += metrics.tmHeight / 2 - 1;
  DrawEdge(hdc, &frame, EDGE_ETCHED, BF_RECT);
  std::string text = Text(window);
  if (text.empty()) return;
  RECT label{rect.left + 8, rect.top, rect.right - 8, rect.top + metrics.tmHeight};
  RECT measure = label;
  DrawTextA(hdc, text.c_str(), -1, &measure, DT_SINGLELINE | DT_CALCRECT);
  label.right = std::min(label.right, measure.right + 2);
  label.left -= 2;
  FillRect(hdc, &label, brush);
  label.left += 2;
  SetBkMode(hdc, TRANSPARENT);
  if (!IsWindowEnabled(window)) SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
  DrawTextA(hdc, text.c_str(), -1, &label, DT_SINGLELINE | DT_LEFT | DT_TOP);
}

// An owner-drawn button draws nothing itself: the parent gets WM_DRAWITEM.
void DrawOwner(HWND window, ButtonState& state, HDC hdc, UINT action) {
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.CtlID = ControlId(window);
  item.itemAction = action;
  item.itemState = (state.pushed ? ODS_SELECTED : 0) | (state.focused ? ODS_FOCUS : 0) |
                   (IsWindowEnabled(window) ? 0 : ODS_DISABLED);
  item.hwndItem = window;
  item.hDC = hdc;
  GetClientRect(window, &item.rcItem);
  AskColours(window, hdc, WM_CTLCOLORBTN);
  Selected font(hdc, FontOr(state.font));
  SendMessageA(GetParent(window), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}
void PaintOwner(HWND window, ButtonState& state, HDC hdc) { DrawOwner(window, state, hdc, ODA_DRAWENTIRE); }

using PaintRoutine = void (*)(HWND, ButtonState&, HDC);
constexpr PaintRoutine kPainters[16] = {
    PaintPush,  PaintPush,  PaintCheck, PaintCheck, PaintCheck, PaintCheck, PaintCheck, PaintGroup,
    PaintPush,  PaintCheck, PaintPush,  PaintOwner, PaintPush,  PaintPush,  PaintPush,  PaintPush,
};

// A change of look: owner-drawn buttons are told at once what changed, as their owners expect;
// the others repaint.
void Changed(HWND window, ButtonState& state, UINT ownerAction) {
  if (Kind(window) == BS_OWNERDRAW) {
    if (!IsWindowVisible(window)) return;
    HDC hdc = GetDC(window);
    DrawOwner(window, state, hdc, ownerAction);
    ReleaseDC(window, hdc);
    return;
  }
  // Painted now, as the classic buttons do, so the change shows while a click is held.
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
}

// ----------------------------------------------------------------------------------------------
// Behaviour

void SetCheck(HWND window, ButtonState& state, UINT check) {
  const DWORD kind = Kind(window);
  if (!kMaxCheck[kind]) return;
  if (check > kMaxCheck[kind]) check = kMaxCheck[kind] == 2 ? BST_INDETERMINATE : BST_CHECKED;
  if (IsRadioKind(kind)) {
    // A checked radio button is the group's tab stop.
    DWORD style = Style(window);
    DWORD wanted = check ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
    if (wanted != style) SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(wanted));
  }
  if (state.check != check) {
    state.check = check;
    Changed(window, state, ODA_SELECT);
  }
}

void SetPushed(HWND window, ButtonState& state, bool pushed) {
  if (state.pushed == pushed) return;
  state.pushed = pushed;
  if (Kind(window) == BS_USERBUTTON) NotifyParent(window, pushed ? BN_HILITE : BN_UNHILITE);
  Changed(window, state, ODA_SELECT);
}

// A completed click: an automatic kind checks itself first.
void Clicked(HWND window, ButtonState& state) {
  switch (Kind(window)) {
    case BS_AUTOCHECKBOX:
      SendMessageA(window, BM_SETCHECK, state.check ? BST_UNCHECKED : BST_CHECKED, 0);
      break;
    case BS_AUTO3STATE:
      SendMessageA(window, BM_SETCHECK, (state.check + 1) % 3, 0);
      break;
    case BS_AUTORADIOBUTTON: {
      SendMessageA(window, BM_SETCHECK, BST_CHECKED, 0);
      // The other automatic radio buttons of the group are cleared.
      HWND parent = GetParent(window);
      for (HWND other = GetNextDlgGroupItem(parent, window, FALSE); other && other != window;
           other = GetNextDlgGroupItem(parent, other, FALSE)) {
        if ((SendMessageA(other, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) &&
            (static_cast<DWORD>(GetWindowLongA(other, GWL_STYLE)) & BS_TYPEMASK) == BS_AUTORADIOBUTTON) {
          SendMessageA(other, BM_SETCHECK, BST_UNCHECKED, 0);
        }
      }
      break;
    }
    default: break;
  }
  NotifyParent(window, BN_CLICKED);
}

void Press(HWND window, ButtonState& state) {
  SetCapture(window);
  if (!state.pushed) SendMessageA(window, BM_SETSTATE, TRUE, 0);
}

// The end of a press; `inside` when the pointer (or the key) was released over the button.
void Release(HWND window, ButtonState& state, bool inside) {
  const bool wasPushed = state.pushed;
  state.capturedBySpace = false;
  if (state.pushed) SendMessageA(window, BM_SETSTATE, FALSE, 0);
  if (GetCapture() == window) ReleaseCapture();
  if (wasPushed && inside) Clicked(window, state);
}

bool Inside(HWND window, LPARAM lParam) {
  RECT rect;
  GetClientRect(window, &rect);
  return PtInRect(&rect, PointOf(lParam));
}

}  // namespace

LRESULT ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ButtonState* state = StateOf<ButtonState>(window);
  if (!state && message != WM_NCCREATE) return DefWindowProcA(window, message, wParam, lParam);
  const DWORD kind = Kind(window);
  switch (message) {
    case WM_NCCREATE:
      AttachState<ButtonState>(window);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_NCDESTROY:
      DetachState<ButtonState>(window);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_GETDLGCODE: return kDialogCodes[kind];
    case WM_ERASEBKGND: return 1;  // painting fills the whole client area
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      Painting paint(window, message == WM_PRINTCLIENT ? wParam : 0);
      kPainters[kind](window, *state, paint.dc());
      return 0;
    }
    case WM_SETFONT:
      state->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      InvalidateRect(window, nullptr, TRUE);
      return result;
    }
    case WM_ENABLE: InvalidateRect(window, nullptr, TRUE); return 0;
    case WM_SETFOCUS:
      state->focused = true;
      Changed(window, *state, ODA_FOCUS);
      if (Style(window) & BS_NOTIFY) NotifyParent(window, BN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      state->focused = false;
      if (state->pushed && GetCapture() == window) Release(window, *state, false);
      Changed(window, *state, ODA_FOCUS);
      if (Style(window) & BS_NOTIFY) NotifyParent(window, BN_KILLFOCUS);
      return 0;
    case WM_LBUTTONDBLCLK:
      // Radio buttons, owner-drawn buttons and BS_NOTIFY buttons tell their parent of double clicks;
      // the others take the second click as a click.
      if (IsRadioKind(kind) || kind == BS_OWNERDRAW || kind == BS_USERBUTTON || (Style(window) & BS_NOTIFY)) {
        NotifyParent(window, BN_DOUBLECLICKED);
        return 0;
      }
      [[fallthrough]];
    case WM_LBUTTONDOWN:
      if (kind == BS_GROUPBOX) return 0;
      SetFocus(window);
      Press(window, *state);
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() != window) return 0;
      Release(window, *state, Inside(window, lParam));
      return 0;
    case WM_MOUSEMOVE:
      if (!state->hot) {
        state->hot = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
        if (Style(window) & BS_FLAT) InvalidateRect(window, nullptr, FALSE);
      }
      if (GetCapture() == window && !state->capturedBySpace && state->pushed != Inside(window, lParam)) {
        SendMessageA(window, BM_SETSTATE, !state->pushed, 0);
      }
      return 0;
    case WM_MOUSELEAVE:
      state->hot = false;
      if (Style(window) & BS_FLAT) InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != window && state->pushed) {
        state->capturedBySpace = false;
        SetPushed(window, *state, false);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && kind != BS_GROUPBOX && !state->pushed) {
        state->capturedBySpace = true;
        Press(window, *state);
        return 0;
      }
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_KEYUP:
      if (wParam == VK_SPACE && state->pushed) {
        Release(window, *state, true);
        return 0;
      }
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_NCHITTEST:
      return kind == BS_GROUPBOX ? HTTRANSPARENT : DefWindowProcA(window, message, wParam, lParam);
    case BM_GETCHECK: return state->check;
    case BM_SETCHECK: SetCheck(window, *state, static_cast<UINT>(wParam)); return 0;
    case BM_GETSTATE:
      return state->check | (state->pushed ? BST_PUSHED : 0) | (state->focused ? BST_FOCUS : 0) |
             (state->hot ? BST_HOT : 0);
    case BM_SETSTATE: SetPushed(window, *state, wParam != 0); return 0;
    case BM_SETSTYLE: {
      DWORD style = (Style(window) & ~BS_TYPEMASK) | (static_cast<DWORD>(wParam) & BS_TYPEMASK);
      SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style));
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    }
    case BM_CLICK:
      // A click made by the program: as the mouse's, so focus and capture move as they would.
      if (!IsWindowEnabled(window) || kind == BS_GROUPBOX) return 0;
      SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
      SendMessageA(window, WM_LBUTTONUP, 0, 0);
      return 0;
    case BM_GETIMAGE:
      return (wParam == IMAGE_BITMAP && (Style(window) & BS_BITMAP)) ||
                     (wParam == IMAGE_ICON && (Style(window) & BS_ICON))
                 ? reinterpret_cast<LRESULT>(state->image)
                 : 0;
    case BM_SETIMAGE: {
      if (wParam != IMAGE_BITMAP && wParam != IMAGE_ICON) return 0;
      HANDLE old = state->image;
      state->image = reinterpret_cast<HANDLE>(lParam);
      InvalidateRect(window, nullptr, TRUE);
      return reinterpret_cast<LRESULT>(old);
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace tolvar::controls
