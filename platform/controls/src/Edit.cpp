// The "Edit" class. The text is one UTF-8 string; lines of a multi-line edit end at "\r\n" (a bare
// "\n" also ends one) and are not wrapped. The selection is an anchor and a caret, both byte offsets
// on character boundaries. Every change goes through ReplaceSelection, which applies the limit, keeps
// the one-step undo and sends EN_UPDATE and EN_CHANGE; every move goes through MoveCaret, which
// keeps the caret in view. Painting draws the visible lines with the selection highlighted.
#include "Common.h"

#include <controls/Clipboard.h>
#include <user/ScrollBar.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace tolvar::controls {
namespace {

constexpr std::size_t kDefaultLimit = 30000;
constexpr std::size_t kMostLimit = 0x7FFFFFFE;
constexpr WORD kLineUp = 0, kLineDown = 1, kPageUp = 2, kPageDown = 3, kThumbPosition = 4, kThumbTrack = 5, kTop = 6,
               kBottom = 7;

struct EditState {
  std::string text;
  std::size_t anchor = 0;
  std::size_t caret = 0;
  std::size_t limit = kDefaultLimit;
  // One step of undo: the text and selection before the last change (EM_UNDO swaps them back).
  std::string undoText;
  std::size_t undoAnchor = 0, undoCaret = 0;
  bool canUndo = false;
  bool typing = false;  // the last change was typing, which later typing joins in one undo step
  bool modified = false;
  bool focused = false;
  bool selecting = false;  // the mouse is selecting
  HFONT font = nullptr;
  char passwordChar = '*';
  int firstLine = 0;  // the top visible line of a multi-line edit
  // Made with WS_VSCROLL: the window manager takes the style away while the bar is hidden, so the
  // edit remembers that it has one.
  bool verticalBar = false;
  int xOffset = 0;    // pixels scrolled to the left
  int leftMargin = 1, rightMargin = 1;
};

LRESULT Result(WORD low, WORD high) { return static_cast<LRESULT>(MAKELONG(low, high)); }

DWORD Style(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)); }
bool Multi(HWND window) { return Style(window) & ES_MULTILINE; }

// ----------------------------------------------------------------------------------------------
// UTF-8 positions

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::size_t Next(const std::string& text, std::size_t at) {
  if (at >= text.size()) return text.size();
  ++at;
  while (at < text.size() && IsContinuation(text[at])) ++at;
  return at;
}
std::size_t Previous(const std::string& text, std::size_t at) {
  if (at == 0) return 0;
  --at;
  while (at > 0 && IsContinuation(text[at])) --at;
  return at;
}
// The start of the character holding `at`, which may be any byte offset.
std::size_t Boundary(const std::string& text, std::size_t at) {
  at = std::min(at, text.size());
  while (at > 0 && at < text.size() && IsContinuation(text[at])) --at;
  return at;
}
// The longest prefix of `text` no longer than `bytes` that ends on a character boundary.
std::size_t FitBytes(std::string_view text, std::size_t bytes) {
  if (bytes >= text.size()) return text.size();
  while (bytes > 0 && IsContinuation(text[bytes])) --bytes;
  return bytes;
}

void Append(std::string& out, char32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x110000) {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

char32_t Decode(std::string_view c) {
  auto b = [&](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(c[i])); };
  if (c.size() == 1) return b(0);
  if (c.size() == 2) return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
  if (c.size() == 3) return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
  return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
}

// Case mapping for ES_UPPERCASE and ES_LOWERCASE: ASCII, Latin-1, Greek and Cyrillic.
char32_t ToUpper(char32_t c) {
  if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
      (c >= 0x430 && c <= 0x44F))
    return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  return c;
}
char32_t ToLower(char32_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) ||
      (c >= 0x410 && c <= 0x42F))
    return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

std::string Recased(std::string_view text, DWORD style) {
  if (!(style & (ES_UPPERCASE | ES_LOWERCASE))) return std::string(text);
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = at + 1;
    while (end < text.size() && IsContinuation(text[end])) ++end;
    char32_t c = Decode(text.substr(at, end - at));
    Append(out, (style & ES_UPPERCASE) ? ToUpper(c) : ToLower(c));
    at = end;
  }
  return out;
}

bool IsWordCharacter(char c) {
  return IsContinuation(c) || (static_cast<unsigned char>(c) & 0x80) || std::isalnum(static_cast<unsigned char>(c)) ||
         c == '_';
}

// Ctrl+Right: past the rest of this word and the spaces after it. Ctrl+Left: back to a word's start.
std::size_t WordRight(const std::string& text, std::size_t at) {
  if (at < text.size() && (text[at] == '\r' || text[at] == '\n')) return Next(text, at);
  while (at < text.size() && IsWordCharacter(text[at])) ++at;
  if (at < text.size() && !IsWordCharacter(text[at]) && text[at] != ' ' && text[at] != '\r' && text[at] != '\n' &&
      at == 0)
    ++at;
  while (at < text.size() && text[at] == ' ') ++at;
  return at;
}
std::size_t WordLeft(const std::string& text, std::size_t at) {
  while (at > 0 && text[at - 1] == ' ') --at;
  if (at > 0 && !IsWordCharacter(text[at - 1])) return Previous(text, at);
  while (at > 0 && IsWordCharacter(text[at - 1])) --at;
  return at;
}

// ----------------------------------------------------------------------------------------------
// Lines

struct Line {
  std::size_t start;
  std::size_t end;  // before its line break
};

std::vector<Line> LinesOf(const std::string& text, bool multi) {
  std::vector<Line> lines;
  if (!multi) return {Line{0, text.size()}};
  std::size_t start = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '\n') continue;
    std::size_t end = at > start && text[at - 1] == '\r' ? at - 1 : at;
    lines.push_back({start, end});
    start = at + 1;
  }
  lines.push_back({start, text.size()});
  return lines;
}

int LineOf(const std::vector<Line>& lines, std::size_t at) {
  for (std::size_t n = 0; n < lines.size(); ++n) {
    if (at <= lines[n].end || n + 1 == lines.size() || at < lines[n + 1].start) return static_cast<int>(n);
  }
  return static_cast<int>(lines.size()) - 1;
}

// ----------------------------------------------------------------------------------------------
// Measuring

class Measure {
public:
  Measure(HWND window, const EditState& state)
      : m_window(window), m_state(state), m_hdc(GetDC(window)), m_font(m_hdc, FontOr(state.font)) {
    TEXTMETRICA metrics{};
    GetTextMetricsA(m_hdc, &metrics);
    m_height = std::max<int>(1, metrics.tmHeight);
  }
  ~Measure() { ReleaseDC(m_window, m_hdc); }
  Measure(const Measure&) = delete;
  Measure& operator=(const Measure&) = delete;
  int height() const { return m_height; }
  // What the line shows: the password character once per character, else its text.
  std::string Shown(std::string_view text) const {
    if (!(Style(m_window) & ES_PASSWORD) || !m_state.passwordChar) return std::string(text);
    std::size_t count = 0;
    for (char c : text) count += !IsContinuation(c);
    return std::string(count, m_state.passwordChar);
  }
  int Width(std::string_view text) const {
    std::string shown = Shown(text);
    SIZE size{};
    GetTextExtentPoint32A(m_hdc, shown.data(), static_cast<int>(shown.size()), &size);
    return size.cx;
  }
  HDC dc() const { return m_hdc; }

private:
  HWND m_window;
  const EditState& m_state;
  HDC m_hdc;
  Selected m_font;
  int m_height = 1;
};

RECT TextRect(HWND window, const EditState& state) {
  RECT rect;
  GetClientRect(window, &rect);
  rect.left += state.leftMargin;
  rect.right -= state.rightMargin;
  if (rect.right < rect.left) rect.right = rect.left;
  return rect;
}

// The x of a line's start before scrolling, by the alignment style.
int LineX(HWND window, const EditState& state, const Measure& measure, std::string_view line) {
  RECT rect = TextRect(window, state);
  DWORD align = Style(window) & (ES_CENTER | ES_RIGHT);
  if (align == ES_CENTER) return rect.left + std::max(0, (rect.right - rect.left - measure.Width(line)) / 2);
  if (align == ES_RIGHT) return std::max(rect.left, rect.right - measure.Width(line));
  return rect.left;
}

int LineY(HWND window, const EditState& state, const Measure& measure, int line) {
  if (Multi(window)) return (line - state.firstLine) * measure.height();
  RECT client;
  GetClientRect(window, &client);
  return std::max(0, (client.bottom - measure.height()) / 2);
}

POINT PositionOf(HWND window, const EditState& state, const Measure& measure, std::size_t at) {
  auto lines = LinesOf(state.text, Multi(window));
  int n = LineOf(lines, at);
  const Line& line = lines[static_cast<std::size_t>(n)];
  std::string_view whole(state.text.data() + line.start, line.end - line.start);
  int x = LineX(window, state, measure, whole) - state.xOffset +
          measure.Width(whole.substr(0, std::min(at, line.end) - line.start));
  return POINT{x, LineY(window, state, measure, n)};
}

std::size_t CharFromPoint(HWND window, const EditState& state, const Measure& measure, POINT point) {
  auto lines = LinesOf(state.text, Multi(window));
  int n = 0;
  if (Multi(window)) {
    n = state.firstLine + (point.y < 0 ? (point.y / measure.height()) - 1 : point.y / measure.height());
    n = std::clamp(n, 0, static_cast<int>(lines.size()) - 1);
  }
  const Line& line = lines[static_cast<std::size_t>(n)];
  std::string_view whole(state.text.data() + line.start, line.end - line.start);
  int x = point.x - (LineX(window, state, measure, whole) - state.xOffset);
  std::size_t best = line.start;
  for (std::size_t at = line.start; at <= line.end; at = Next(state.text, at)) {
    int left = measure.Width(whole.substr(0, at - line.start));
    if (at == line.end) {
      best = at;
      break;
    }
    int right = measure.Width(whole.substr(0, Next(state.text, at) - line.start));
    if (x < (left + right) / 2) {
      best = at;
      break;
    }
  }
  return best;
}

// ----------------------------------------------------------------------------------------------
// Showing

void PlaceCaret(HWND window, const EditState& state) {
  if (!state.focused) return;
  Measure measure(window, state);
  POINT at = PositionOf(window, state, measure, state.caret);
  SetCaretPos(at.x, at.y);
}

void Redraw(HWND window) { InvalidateRect(window, nullptr, TRUE); }

// A multi-line edit with WS_VSCROLL shows its lines on the window's vertical bar: one unit a line, a
// page what the text rectangle holds, the position the top line. The window manager hides the bar
// while everything fits.
void UpdateScrollBar(HWND window, const EditState& state) {
  if (!Multi(window) || !state.verticalBar) return;
  Measure measure(window, state);
  RECT rect = TextRect(window, state);
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMax = static_cast<int>(LinesOf(state.text, true).size()) - 1;
  info.nPage = static_cast<UINT>(std::max(1, (rect.bottom - rect.top) / measure.height()));
  info.nPos = state.firstLine;
  SetScrollInfo(window, SB_VERT, &info, TRUE);
}

// Scrolls so that the caret is in view; EN_HSCROLL / EN_VSCROLL tell the parent when it moved.
void ScrollToCaret(HWND window, EditState& state) {
  Measure measure(window, state);
  RECT rect = TextRect(window, state);
  bool scrolledX = false, scrolledY = false;
  if (Multi(window)) {
    auto lines = LinesOf(state.text, true);
    int line = LineOf(lines, state.caret);
    int visible = std::max(1, (rect.bottom - rect.top) / measure.height());
    if (line < state.firstLine) state.firstLine = line, scrolledY = true;
    else if (line >= state.firstLine + visible) state.firstLine = line - visible + 1, scrolledY = true;
  }
  POINT at = PositionOf(window, state, measure, state.caret);
  int width = rect.right - rect.left;
  if (at.x < rect.left) {
    state.xOffset = std::max(0, state.xOffset - (rect.left - at.x) - width / 4);
    scrolledX = true;
  } else if (at.x >= rect.right) {
    state.xOffset += at.x - rect.right + 1 + width / 4;
    scrolledX = true;
  }
  if (scrolledX || scrolledY) Redraw(window);
  // Also after a text change that kept the top line: the range follows the line count.
  UpdateScrollBar(window, state);
  if (scrolledX) NotifyParent(window, EN_HSCROLL);
  if (scrolledY) NotifyParent(window, EN_VSCROLL);
}

void SetSelection(HWND window, EditState& state, std::size_t anchor, std::size_t caret) {
  anchor = Boundary(state.text, anchor);
  caret = Boundary(state.text, caret);
  if (anchor == state.anchor && caret == state.caret) return;
  const bool hadSelection = state.anchor != state.caret;
  state.anchor = anchor;
  state.caret = caret;
  if (hadSelection || anchor != caret) Redraw(window);
  PlaceCaret(window, state);
}

void MoveCaret(HWND window, EditState& state, std::size_t to, bool extend) {
  state.typing = false;
  SetSelection(window, state, extend ? state.anchor : to, to);
  ScrollToCaret(window, state);
  PlaceCaret(window, state);
}

std::pair<std::size_t, std::size_t> Ordered(const EditState& state) {
  return {std::min(state.anchor, state.caret), std::max(state.anchor, state.caret)};
}

// ----------------------------------------------------------------------------------------------
// Changing

// Puts `inserted` in place of the selection. The limit cuts what does not fit (on a character
// boundary) and tells the parent EN_MAXTEXT. Returns false when nothing changed.
bool ReplaceSelection(HWND window, EditState& state, std::string inserted, bool undoable, bool fromUser) {
  auto [from, to] = Ordered(state);
  const std::size_t kept = state.text.size() - (to - from);
  const std::size_t room = state.limit > kept ? state.limit - kept : 0;
  bool full = false;
  if (inserted.size() > room) {
    inserted.resize(FitBytes(inserted, room));
    full = true;
  }
  if (full && fromUser) NotifyParent(window, EN_MAXTEXT);
  if (inserted.empty() && from == to) return false;
  if (undoable && !(fromUser && state.typing && from == to && !inserted.empty())) {
    state.undoText = state.text;
    state.undoAnchor = state.anchor;
    state.undoCaret = state.caret;
    state.canUndo = true;
  }
  state.text.replace(from, to - from, inserted);
  state.anchor = state.caret = from + inserted.size();
  state.modified = true;
  // A one-line edit keeps one line: what is pasted into it ends at its first line break.
  NotifyParent(window, EN_UPDATE);
  Redraw(window);
  ScrollToCaret(window, state);
  PlaceCaret(window, state);
  NotifyParent(window, EN_CHANGE);
  return true;
}

void SetText(HWND window, EditState& state, std::string_view text) {
  state.text.assign(text.substr(0, FitBytes(text, std::max(state.limit, text.size()))));
  state.anchor = state.caret = 0;
  state.xOffset = 0;
  state.firstLine = 0;
  state.canUndo = false;
  state.typing = false;
  state.modified = false;
  DefWindowProcA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(state.text.c_str()));
  Redraw(window);
  UpdateScrollBar(window, state);
  PlaceCaret(window, state);
}

std::string Selection(const EditState& state) {
  auto [from, to] = Ordered(state);
  return state.text.substr(from, to - from);
}

bool ReadOnly(HWND window) { return Style(window) & ES_READONLY; }

void Copy(HWND window, const EditState& state) {
  // A password is never handed out.
  if ((Style(window) & ES_PASSWORD) || state.anchor == state.caret) return;
  std::string text = Selection(state);
  if (!OpenClipboard(window)) return;
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (block) {
    std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
  }
  CloseClipboard();
}

// Text from outside (a paste, EM_REPLACESEL): a one-line edit keeps what comes before a line break,
// and the case styles apply.
std::string Admitted(HWND window, std::string text) {
  if (!Multi(window)) {
    std::size_t end = text.find_first_of("\r\n");
    if (end != std::string::npos) text.resize(end);
  }
  return Recased(text, Style(window));
}

void Paste(HWND window, EditState& state) {
  if (ReadOnly(window) || !OpenClipboard(window)) return;
  std::string text;
  if (HANDLE block = GetClipboardData(CF_TEXT)) {
    const char* bytes = static_cast<const char*>(GlobalLock(block));
    if (bytes) text.assign(bytes, strnlen(bytes, GlobalSize(block)));
    GlobalUnlock(block);
  }
  CloseClipboard();
  state.typing = false;
  if (!text.empty()) ReplaceSelection(window, state, Admitted(window, text), true, true);
}

void Undo(HWND window, EditState& state) {
  if (!state.canUndo) return;
  std::swap(state.text, state.undoText);
  std::swap(state.anchor, state.undoAnchor);
  std::swap(state.caret, state.undoCaret);
  state.typing = false;
  state.modified = true;
  NotifyParent(window, EN_UPDATE);
  Redraw(window);
  ScrollToCaret(window, state);
  PlaceCaret(window, state);
  NotifyParent(window, EN_CHANGE);
}

// A whole character typed (UTF-8).
void TypeCharacter(HWND window, EditState& state, std::string character) {
  if (ReadOnly(window)) return;
  const DWORD style = Style(window);
  if ((style & ES_NUMBER) && !(character.size() == 1 && character[0] >= '0' && character[0] <= '9')) {
    return;
  }
  character = Recased(character, style);
  ReplaceSelection(window, state, character, true, true);
  state.typing = true;
}

void Backspace(HWND window, EditState& state) {
  if (ReadOnly(window)) return;
  state.typing = false;
  if (state.anchor == state.caret) {
    if (state.caret == 0) return;
    std::size_t from = Previous(state.text, state.caret);
    // "\r\n" goes as one.
    if (from > 0 && state.text[from] == '\n' && state.text[from - 1] == '\r') --from;
    state.anchor = from;
  }
  ReplaceSelection(window, state, "", true, true);
}

void Delete(HWND window, EditState& state) {
  if (ReadOnly(window)) return;
  state.typing = false;
  if (state.anchor == state.caret) {
    if (state.caret >= state.text.size()) return;
    std::size_t to = Next(state.text, state.caret);
    if (state.text[state.caret] == '\r' && to < state.text.size() && state.text[to] == '\n') ++to;
    state.anchor = to;
  }
  ReplaceSelection(window, state, "", true, true);
}

void Char(HWND window, EditState& state, WPARAM code) {
  const bool control = KeyDown(VK_CONTROL);
  // A typed character arrives whole, its code point in wParam (ASCII as itself).
  if (code >= 0x80) {
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return;
    std::string character;
    Append(character, static_cast<char32_t>(code));
    TypeCharacter(window, state, character);
    return;
  }
  const auto byte = static_cast<unsigned char>(code);
  switch (byte) {
    case 0x03: Copy(window, state); return;                    // Ctrl+C
    case 0x16: Paste(window, state); return;                   // Ctrl+V
    case 0x18:                                                  // Ctrl+X
      if (!ReadOnly(window)) SendMessageA(window, WM_CUT, 0, 0);
      return;
    case 0x1A: SendMessageA(window, WM_UNDO, 0, 0); return;    // Ctrl+Z
    case '\b': Backspace(window, state); return;
    case '\r':
      if (Multi(window) && !ReadOnly(window)) {
        state.typing = false;
        ReplaceSelection(window, state, "\r\n", true, true);
      }
      return;
    case '\t':
      if (Multi(window) && !ReadOnly(window) && !control) TypeCharacter(window, state, "\t");
      return;
    default:
      if (byte >= 0x20 && byte != 0x7F) TypeCharacter(window, state, std::string(1, static_cast<char>(byte)));
      return;
  }
}

void KeyDownMessage(HWND window, EditState& state, WPARAM key) {
  const bool shift = KeyDown(VK_SHIFT);
  const bool control = KeyDown(VK_CONTROL);
  const bool multi = Multi(window);
  auto lines = LinesOf(state.text, multi);
  const int line = LineOf(lines, state.caret);
  auto vertical = [&](int delta) {
    if (!multi) return;
    Measure measure(window, state);
    POINT at = PositionOf(window, state, measure, state.caret);
    int target = std::clamp(line + delta, 0, static_cast<int>(lines.size()) - 1);
    at.y = (target - state.firstLine) * measure.height();
    MoveCaret(window, state, CharFromPoint(window, state, measure, at), shift);
  };
  switch (key) {
    case VK_LEFT: {
      std::size_t to = control ? WordLeft(state.text, state.caret) : Previous(state.text, state.caret);
      if (!control && to > 0 && state.text[to] == '\n' && state.text[to - 1] == '\r') --to;
      if (!shift && !control && state.anchor != state.caret) to = Ordered(state).first;
      MoveCaret(window, state, to, shift);
      break;
    }
    case VK_RIGHT: {
      std::size_t to = control ? WordRight(state.text, state.caret) : Next(state.text, state.caret);
      if (!control && state.caret < state.text.size() && state.text[state.caret] == '\r' && to < state.text.size() &&
          state.text[to] == '\n')
        ++to;
      if (!shift && !control && state.anchor != state.caret) to = Ordered(state).second;
      MoveCaret(window, state, to, shift);
      break;
    }
    case VK_HOME:
      MoveCaret(window, state, control ? 0 : lines[static_cast<std::size_t>(line)].start, shift);
      break;
    case VK_END:
      MoveCaret(window, state, control ? state.text.size() : lines[static_cast<std::size_t>(line)].end, shift);
      break;
    case VK_UP: vertical(-1); break;
    case VK_DOWN: vertical(1); break;
    case VK_PRIOR:
    case VK_NEXT: {
      RECT rect = TextRect(window, state);
      Measure measure(window, state);
      int page = std::max(1, (rect.bottom - rect.top) / measure.height());
      vertical(key == VK_PRIOR ? -page : page);
      break;
    }
    case VK_DELETE:
      if (shift) SendMessageA(window, WM_CUT, 0, 0);
      else if (control) SendMessageA(window, WM_CLEAR, 0, 0);
      else Delete(window, state);
      break;
    case VK_INSERT:
      if (control) SendMessageA(window, WM_COPY, 0, 0);
      else if (shift) SendMessageA(window, WM_PASTE, 0, 0);
      break;
    default: break;
  }
}

// ----------------------------------------------------------------------------------------------
// Painting

void Paint(HWND window, EditState& state, HDC hdc) {
  RECT client;
  GetClientRect(window, &client);
  const bool grey = ReadOnly(window) || !IsWindowEnabled(window);
  HBRUSH brush = AskColours(window, hdc, grey ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
  if (!IsWindowEnabled(window)) SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
  FillRect(hdc, &client, brush);
  Measure measure(window, state);
  Selected font(hdc, FontOr(state.font));
  SetBkMode(hdc, TRANSPARENT);
  RECT rect = TextRect(window, state);
  IntersectClipRect(hdc, rect.left, client.top, rect.right, client.bottom);
  auto lines = LinesOf(state.text, Multi(window));
  auto [selFrom, selTo] = Ordered(state);
  const bool showSelection = selFrom != selTo && (state.focused || (Style(window) & ES_NOHIDESEL));
  const COLORREF textColour = GetTextColor(hdc);
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const int y = LineY(window, state, measure, static_cast<int>(n));
    if (y + measure.height() <= client.top) continue;
    if (y >= client.bottom) break;
    const Line& line = lines[n];
    std::string_view whole(state.text.data() + line.start, line.end - line.start);
    const int x = LineX(window, state, measure, whole) - state.xOffset;
    std::string shown = measure.Shown(whole);
    TextOutA(hdc, x, y, shown.data(), static_cast<int>(shown.size()));
    // The selected part is drawn again over the highlight.
    std::size_t from = std::max(selFrom, line.start), to = std::min(selTo, line.end);
    bool breakSelected = showSelection && selFrom <= line.end && selTo > line.end && n + 1 < lines.size();
    if (!showSelection || (from >= to && !breakSelected)) continue;
    int left = x + measure.Width(whole.substr(0, std::max(from, line.start) - line.start));
    int right = x + measure.Width(whole.substr(0, std::max(to, from) - line.start));
    if (breakSelected) right += measure.Width(" ");
    RECT band{left, y, right, y + measure.height()};
    FillRect(hdc, &band, GetSysColorBrush(COLOR_HIGHLIGHT));
    if (to > from) {
      SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
      std::string part = measure.Shown(whole.substr(from - line.start, to - from));
      TextOutA(hdc, left, y, part.data(), static_cast<int>(part.size()));
      SetTextColor(hdc, textColour);
    }
  }
}

}  // namespace

LRESULT EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  EditState* state = StateOf<EditState>(window);
  if (!state && message != WM_NCCREATE) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_NCCREATE: {
      EditState* made = AttachState<EditState>(window);
      const auto& create = *reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (create.style & ES_PASSWORD) made->passwordChar = '*';
      made->verticalBar = (create.style & WS_VSCROLL) != 0;
      // A password edit shows no case style; a multi-line edit has no password.
      LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      if (create.lpszName && !IS_INTRESOURCE(create.lpszName)) made->text = create.lpszName;
      return result;
    }
    case WM_NCDESTROY:
      DetachState<EditState>(window);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
      if (!Multi(window)) return code;
      // A multi-line edit takes every key but Tab and Escape, and Enter only with ES_WANTRETURN, so
      // that a dialog still moves on Tab, cancels on Escape and presses its default button on Enter.
      const MSG* msg = reinterpret_cast<const MSG*>(lParam);
      if (msg && msg->message == WM_KEYDOWN) {
        if (msg->wParam == VK_TAB || msg->wParam == VK_ESCAPE) return code;
        if (msg->wParam == VK_RETURN && !(Style(window) & ES_WANTRETURN)) return code;
      }
      return code | DLGC_WANTALLKEYS;
    }
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      const bool caret = state->focused && message == WM_PAINT;
      if (caret) HideCaret(window);
      {
        Painting paint(window, message == WM_PRINTCLIENT ? wParam : 0);
        Paint(window, *state, paint.dc());
      }
      if (caret) ShowCaret(window);
      return 0;
    }
    case WM_SETFONT:
      state->font = reinterpret_cast<HFONT>(wParam);
      if (state->focused) {
        Measure measure(window, *state);
        CreateCaret(window, nullptr, 1, measure.height());
        ShowCaret(window);
        PlaceCaret(window, *state);
      }
      if (LOWORD(lParam)) Redraw(window);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case WM_SETTEXT: {
      std::string text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      SetText(window, *state, Multi(window) ? text : Admitted(window, text));
      if (!Multi(window)) {
        NotifyParent(window, EN_UPDATE);
        NotifyParent(window, EN_CHANGE);
      }
      return TRUE;
    }
    case WM_GETTEXT: {
      if (!lParam || wParam == 0) return 0;
      std::size_t n = FitBytes(state->text, static_cast<std::size_t>(wParam) - 1);
      std::memcpy(reinterpret_cast<char*>(lParam), state->text.data(), n);
      reinterpret_cast<char*>(lParam)[n] = 0;
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(state->text.size());
    case WM_SETFOCUS: {
      state->focused = true;
      Measure measure(window, *state);
      CreateCaret(window, nullptr, 1, measure.height());
      PlaceCaret(window, *state);
      ShowCaret(window);
      if (!(Style(window) & ES_NOHIDESEL)) Redraw(window);
      NotifyParent(window, EN_SETFOCUS);
      return 0;
    }
    case WM_KILLFOCUS:
      state->focused = false;
      state->selecting = false;
      HideCaret(window);
      DestroyCaret();
      if (!(Style(window) & ES_NOHIDESEL)) Redraw(window);
      NotifyParent(window, EN_KILLFOCUS);
      return 0;
    case WM_ENABLE: Redraw(window); return 0;
    case WM_SIZE: ScrollToCaret(window, *state); Redraw(window); return 0;
    case WM_CHAR: Char(window, *state, wParam); return 0;
    case WM_KEYDOWN: KeyDownMessage(window, *state, wParam); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      SetFocus(window);
      Measure measure(window, *state);
      std::size_t at = CharFromPoint(window, *state, measure, PointOf(lParam));
      if (message == WM_LBUTTONDBLCLK) {
        std::size_t start = WordLeft(state->text, at), end = at;
        while (end < state->text.size() && IsWordCharacter(state->text[end])) ++end;
        SetSelection(window, *state, start, end);
        return 0;
      }
      MoveCaret(window, *state, at, (wParam & MK_SHIFT) != 0);
      state->selecting = true;
      SetCapture(window);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (state->selecting && GetCapture() == window) {
        Measure measure(window, *state);
        MoveCaret(window, *state, CharFromPoint(window, *state, measure, PointOf(lParam)), true);
      }
      return 0;
    case WM_LBUTTONUP:
      if (state->selecting) {
        state->selecting = false;
        if (GetCapture() == window) ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED: state->selecting = false; return 0;
    case WM_VSCROLL:
    case EM_SCROLL: {
      if (!Multi(window)) return 0;
      auto lines = LinesOf(state->text, true);
      Measure measure(window, *state);
      RECT rect = TextRect(window, *state);
      int page = std::max(1, (rect.bottom - rect.top) / measure.height());
      int top = state->firstLine;
      switch (LOWORD(wParam)) {
        case kLineUp: --top; break;
        case kLineDown: ++top; break;
        case kPageUp: top -= page; break;
        case kPageDown: top += page; break;
        case kTop: top = 0; break;
        case kBottom: top = static_cast<int>(lines.size()) - page; break;
        case kThumbPosition:
        case kThumbTrack:
          if (message == WM_VSCROLL) top = HIWORD(wParam);  // the bar's thumb, dragged or dropped
          break;
        default: break;
      }
      top = std::clamp(top, 0, std::max(0, static_cast<int>(lines.size()) - 1));
      int moved = top - state->firstLine;
      if (moved) {
        state->firstLine = top;
        Redraw(window);
        UpdateScrollBar(window, *state);
        PlaceCaret(window, *state);
        NotifyParent(window, EN_VSCROLL);
      }
      return message == EM_SCROLL ? Result(static_cast<WORD>(moved), 1) : 0;
    }
    case EM_GETSEL: {
      auto [from, to] = Ordered(*state);
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(from);
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(to);
      return Result(static_cast<WORD>(std::min<std::size_t>(from, 0xFFFF)),
                         static_cast<WORD>(std::min<std::size_t>(to, 0xFFFF)));
    }
    case EM_SETSEL: {
      // (0, -1) selects everything; a start of -1 removes the selection; the caret goes to the end.
      auto start = static_cast<INT_PTR>(static_cast<int>(wParam));
      auto end = static_cast<INT_PTR>(static_cast<int>(lParam));
      const auto size = static_cast<INT_PTR>(state->text.size());
      if (start < 0) {
        SetSelection(window, *state, state->caret, state->caret);
        return 0;
      }
      if (end < 0 || end > size) end = size;
      start = std::min(start, size);
      state->typing = false;
      SetSelection(window, *state, static_cast<std::size_t>(start), static_cast<std::size_t>(end));
      return 0;
    }
    case EM_REPLACESEL: {
      std::string text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      state->typing = false;
      ReplaceSelection(window, *state, Multi(window) ? text : Admitted(window, text), wParam != 0, false);
      return 0;
    }
    case EM_SCROLLCARET: ScrollToCaret(window, *state); return TRUE;
    case EM_GETMODIFY: return state->modified;
    case EM_SETMODIFY: state->modified = wParam != 0; return 0;
    case EM_GETLINECOUNT: return static_cast<LRESULT>(LinesOf(state->text, Multi(window)).size());
    case EM_LINEINDEX: {
      auto lines = LinesOf(state->text, Multi(window));
      int line = static_cast<int>(wParam) < 0 ? LineOf(lines, state->caret) : static_cast<int>(wParam);
      if (line >= static_cast<int>(lines.size())) return -1;
      return static_cast<LRESULT>(lines[static_cast<std::size_t>(line)].start);
    }
    case EM_LINEFROMCHAR: {
      auto lines = LinesOf(state->text, Multi(window));
      std::size_t at = static_cast<int>(wParam) < 0 ? state->caret : std::min<std::size_t>(wParam, state->text.size());
      return LineOf(lines, at);
    }
    case EM_LINELENGTH: {
      auto lines = LinesOf(state->text, Multi(window));
      std::size_t at = static_cast<int>(wParam) < 0 ? state->caret : std::min<std::size_t>(wParam, state->text.size());
      const Line& line = lines[static_cast<std::size_t>(LineOf(lines, at))];
      return static_cast<LRESULT>(line.end - line.start);
    }
    case EM_GETLINE: {
      // The first WORD of the buffer gives its size; the line is copied without a terminator.
      auto lines = LinesOf(state->text, Multi(window));
      if (wParam >= lines.size() || !lParam) return 0;
      auto* buffer = reinterpret_cast<char*>(lParam);
      std::size_t room = static_cast<std::size_t>(static_cast<unsigned char>(buffer[0])) |
                         (static_cast<std::size_t>(static_cast<unsigned char>(buffer[1])) << 8);
      const Line& line = lines[wParam];
      std::string_view text(state->text.data() + line.start, line.end - line.start);
      std::size_t n = FitBytes(text, room);
      std::memcpy(buffer, text.data(), n);
      return static_cast<LRESULT>(n);
    }
    case EM_LIMITTEXT: state->limit = wParam ? static_cast<std::size_t>(wParam) : kMostLimit; return 0;
    case EM_GETLIMITTEXT: return static_cast<LRESULT>(state->limit);
    case EM_CANUNDO: return state->canUndo;
    case EM_UNDO:
    case WM_UNDO: Undo(window, *state); return state->canUndo;
    case EM_EMPTYUNDOBUFFER: state->canUndo = false; state->undoText.clear(); return 0;
    case EM_SETPASSWORDCHAR: {
      state->passwordChar = static_cast<char>(wParam);
      DWORD style = Style(window);
      SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(wParam ? style | ES_PASSWORD : style & ~ES_PASSWORD));
      Redraw(window);
      return 0;
    }
    case EM_GETPASSWORDCHAR: return (Style(window) & ES_PASSWORD) ? static_cast<unsigned char>(state->passwordChar) : 0;
    case EM_GETFIRSTVISIBLELINE: return Multi(window) ? state->firstLine : 0;
    case EM_SETREADONLY: {
      DWORD style = Style(window);
      SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(wParam ? style | ES_READONLY : style & ~ES_READONLY));
      Redraw(window);
      return TRUE;
    }
    case EM_SETMARGINS:
      if (wParam & EC_LEFTMARGIN) state->leftMargin = LOWORD(lParam);
      if (wParam & EC_RIGHTMARGIN) state->rightMargin = HIWORD(lParam);
      Redraw(window);
      return 0;
    case EM_GETMARGINS: return Result(state->leftMargin, state->rightMargin);
    case EM_GETRECT: {
      if (lParam) *reinterpret_cast<RECT*>(lParam) = TextRect(window, *state);
      return 0;
    }
    case EM_POSFROMCHAR: {
      if (wParam > state->text.size()) return -1;
      Measure measure(window, *state);
      POINT at = PositionOf(window, *state, measure, Boundary(state->text, wParam));
      return Result(static_cast<WORD>(at.x), static_cast<WORD>(at.y));
    }
    case EM_CHARFROMPOS: {
      Measure measure(window, *state);
      std::size_t at = CharFromPoint(window, *state, measure, PointOf(lParam));
      auto lines = LinesOf(state->text, Multi(window));
      return Result(static_cast<WORD>(at), static_cast<WORD>(LineOf(lines, at)));
    }
    case WM_COPY: Copy(window, *state); return 0;
    case WM_CUT:
      if (ReadOnly(window) || (Style(window) & ES_PASSWORD)) return 0;
      Copy(window, *state);
      [[fallthrough]];
    case WM_CLEAR:
      if (ReadOnly(window) || state->anchor == state->caret) return 0;
      state->typing = false;
      ReplaceSelection(window, *state, "", true, true);
      return 0;
    case WM_PASTE: Paste(window, *state); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace tolvar::controls
