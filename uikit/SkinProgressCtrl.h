#pragma once
// CSkinProgressCtrl: the progress bar of the transfer pages. It answers the platform's progress-bar
// messages itself (callers drive it with PBM_SETPOS and friends) and paints without flicker: the
// done part as a colour gradient over its stops (or a bar brush), and a text over the bar in two
// colours, one over the done part and one over the rest, turned with the font's escapement.
//
// Style bits of its own, besides PBS_VERTICAL:
//   PBS_SKIN_REVERSED (fills from the right, or from the top), PBS_SKIN_WRAPPING (a block of fixed
//   length runs along the bar), PBS_SKIN_PERCENT (the percentage), PBS_SKIN_POSITION (the position),
//   both (PBS_SKIN_CALLERTEXT: the window text), PBS_SKIN_TEXTINDONE (the text centred in the done
//   part, shown only when it fits there), PBS_SKIN_GRADIENTINDONE (the gradient squeezed into the
//   done part instead of laid over the whole bar).
//
// A caller's text is never a format string: only "%d" (with flags and width, as "%3d") takes the
// number and "%%" stands for one percent sign; anything else, "%s" in a file name included, shows
// as written.
//
// Threads: used on the thread that owns its window.
#include <framework/Afx.h>

#include <framework/Controls.h>

#include <string_view>
#include <vector>

constexpr DWORD PBS_SKIN_PERCENT = 0x0100;
constexpr DWORD PBS_SKIN_POSITION = 0x0200;
constexpr DWORD PBS_SKIN_CALLERTEXT = 0x0300;
constexpr DWORD PBS_SKIN_TEXTINDONE = 0x1000;
constexpr DWORD PBS_SKIN_GRADIENTINDONE = 0x2000;
constexpr DWORD PBS_SKIN_REVERSED = 0x4000;
constexpr DWORD PBS_SKIN_WRAPPING = 0x8000;

// A stretch along the bar, measured from its starting edge: [from, to).
struct BarSpan {
  int from = 0;
  int to = 0;
  int Length() const { return to - from; }
  bool operator==(const BarSpan&) const = default;
};

// The spans of a bar `length` long: the whole bar and its done part (in wrapping mode from the block
// start). `visible` is false when the position lies outside the range, and nothing but the
// background is drawn; an empty range (low equal to high) has an empty done part.
struct BarSpans {
  bool visible = false;
  BarSpan whole;
  BarSpan done;
};
BarSpans CalcBarSpans(int low, int high, int position, int blockStart, bool wrapping, int length);
// The percentage shown: (position - low) x 100 / (high - low), truncated; 0 for an empty range.
int CalcBarPercent(int low, int high, int position);
// `format` with "%d" (flags and width allowed) replaced by `value` and "%%" by "%"; every other
// character, and every other conversion, copied as it stands.
CString FormatBarText(std::string_view format, int value);

class CSkinProgressCtrl : public CProgressCtrl {
  DECLARE_DYNAMIC(CSkinProgressCtrl)

public:
  CSkinProgressCtrl();
  ~CSkinProgressCtrl() override;

  // The text mode (PBS_SKIN_PERCENT, PBS_SKIN_POSITION or PBS_SKIN_CALLERTEXT) with `text` as the
  // window text; a null or empty text, or mode 0, removes any text.
  void SetText(LPCSTR text, DWORD mode);
  // The rectangle of `span` in `bar` (see the top of this file for the starting edges).
  RECT CalcBarRect(const RECT& bar, BarSpan span) const;

  // The colours of the gradient, in order along the bar (at least one).
  void SetGradientColors(std::vector<COLORREF> stops);
  // A brush for the done part instead of the gradient; null goes back to the gradient. The control
  // does not take the brush over: it must outlive its use.
  void SetBarBrush(HBRUSH brush) { m_hBarBrush = brush; Invalidate(); }
  void SetBkBrush(HBRUSH brush) { m_hBkBrush = brush; Invalidate(); }
  // The text's colours over the done part and over the rest.
  void SetTextColors(COLORREF done, COLORREF rest) { m_crTextDone = done; m_crTextRest = rest; Invalidate(); }
  void SetMargins(int left, int top, int right, int bottom);

  const AFX_MSGMAP* GetMessageMap() const override;

protected:
  // The painting steps, in order, each replaceable by a derived bar.
  virtual void DrawBar(HDC dc, const RECT& bar, BarSpan whole, BarSpan done);
  // A band from colour a to colour b over `segment`, of which only `shown` is painted.
  virtual void FillBand(HDC dc, const RECT& bar, BarSpan segment, BarSpan shown, COLORREF a, COLORREF b);
  virtual void DrawText(HDC dc, const RECT& bar, BarSpan whole, BarSpan done);
  // The text at `at`, clipped to `span` of the bar.
  virtual void DrawClippedText(HDC dc, const RECT& bar, BarSpan span, POINT at, const CString& text);
  // The position messages in wrapping mode; FALSE leaves the message to the platform's bar.
  virtual BOOL UpdatePos(UINT message, WPARAM wParam, LRESULT* previous);

  LRESULT OnPositionMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetStep(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetBarColor(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetBkColor(WPARAM wParam, LPARAM lParam);
  LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
  LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);
  LRESULT OnGetFont(WPARAM wParam, LPARAM lParam);

  std::vector<COLORREF> m_colors;
  HBRUSH m_hBarBrush = nullptr;
  COLORREF m_crBackground;
  HBRUSH m_hBkBrush = nullptr;
  COLORREF m_crTextDone;
  COLORREF m_crTextRest;
  int m_nBlockStart = 0;
  int m_nBlockLength = 40;
  int m_nStep = 10;
  RECT m_margins{0, 0, 0, 0};
  HFONT m_hFont = nullptr;  // the platform's bar keeps no font; this one does, for the text

private:
  void Paint(HDC dc, const RECT& client);
};
