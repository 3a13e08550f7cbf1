// The percentage progress bar: its spans and percentages as tables, its little formatter, its
// messages, the wrapping block, and its painting probed on rendered pixels (each picture is also
// written as a PNG for a person to look at).
#include <SkinProgressCtrl.h>

#include <gdi/Unique.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace testing_user;

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGrey = RGB(192, 192, 192);

TEST(BarSpans, DonePartsFollowTheRangeAndNothingShowsOutsideIt) {
  const struct {
    int low, high, position, blockStart;
    bool wrapping;
    int length;
    bool visible;
    BarSpan done;
  } cases[] = {
      {0, 100, 0, 0, false, 200, true, {0, 0}},
      {0, 100, 37, 0, false, 200, true, {0, 74}},
      {0, 100, 50, 0, false, 200, true, {0, 100}},
      {0, 100, 100, 0, false, 200, true, {0, 200}},
      {0, 3, 1, 0, false, 100, true, {0, 33}},                     // truncated
      {-50, 50, 0, 0, false, 100, true, {0, 50}},
      {0, 2000000000, 1000000000, 0, false, 200, true, {0, 100}},  // no overflow
      {10, 10, 10, 0, false, 200, true, {0, 0}},                   // an empty range: nothing done
      {0, 100, -1, 0, false, 200, false, {0, 0}},
      {0, 100, 101, 0, false, 200, false, {0, 0}},
      {20, 10, 20, 0, false, 200, false, {0, 0}},                  // a range upside down
      {0, 100, 60, 20, true, 200, true, {40, 120}},                // the wrapping block
      {0, 100, 100, 90, true, 200, true, {180, 200}},
  };
  for (const auto& c : cases) {
    const BarSpans spans = CalcBarSpans(c.low, c.high, c.position, c.blockStart, c.wrapping, c.length);
    EXPECT_EQ(spans.visible, c.visible) << c.low << ".." << c.high << " at " << c.position;
    if (!c.visible) continue;
    EXPECT_EQ(spans.whole, (BarSpan{0, c.length}));
    EXPECT_EQ(spans.done, c.done) << c.low << ".." << c.high << " at " << c.position << ": " << spans.done.from
                                  << ".." << spans.done.to;
  }
  const struct {
    int low, high, position, percent;
  } percents[] = {{0, 100, 50, 50}, {0, 3, 2, 66}, {-50, 50, 0, 50}, {0, 100, 100, 100}, {10, 10, 10, 0},
                  {0, 2000000000, 1999999999, 99}};
  for (const auto& p : percents) {
    EXPECT_EQ(CalcBarPercent(p.low, p.high, p.position), p.percent) << p.low << ".." << p.high << " at " << p.position;
  }
}

TEST(BarText, OnlyTheNumberConversionAndPercentSignsAreFormatted) {
  const struct {
    const char* format;
    const char* shown;
  } cases[] = {
      {"%d%%", "37%"},
      {"%d", "37"},
      {"%3d", " 37"},
      {"%-4d|", "37  |"},
      {"%03d%%", "037%"},
      {"Sent %d of them", "Sent 37 of them"},
      {"%%d", "%d"},
      {"100%", "100%"},                                          // a lone sign at the end
      {"C:\\%s\\Photos\\%n%x.jpg", "C:\\%s\\Photos\\%n%x.jpg"},  // a file name shows as it is
      {"%5s %ld %.2d", "%5s %ld %.2d"},
      {"%99999d", "%99999d"},                                    // no width that long
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_STREQ(static_cast<LPCSTR>(FormatBarText(c.format, 37)), c.shown) << c.format;
}

// A bar 200 x 20 on a grey window; pixels are read from the rendered window.
class SkinProgress : public ::testing::Test {
protected:
  void SetUp() override {
    m_frame = CreateWindowExA(0, PlainClass(), "Progress", WS_POPUP | WS_VISIBLE, 0, 0, 260, 260, nullptr, nullptr,
                              nullptr, nullptr);
  }
  void TearDown() override {
    if (m_bar.m_hWnd) m_bar.DestroyWindow();
    DestroyWindow(m_frame);
    if (m_font) DeleteObject(m_font);
  }
  void Make(DWORD style, RECT rect = {10, 10, 210, 30}) {
    CWnd* parent = CWnd::FromHandle(m_frame);
    ASSERT_TRUE(m_bar.Create(WS_CHILD | WS_VISIBLE | style, rect, parent, 100));
    m_origin = {rect.left, rect.top};
    m_bar.SetRange32(0, 100);
  }
  // The bar's pixel at (x, y) of its client area.
  COLORREF At(int x, int y) {
    Render();
    return PixelAt(m_image, m_origin.x + x, m_origin.y + y);
  }
  void Render() {
    if (m_image) return;
    Pump();
    m_image = tolvar::user::RenderWindow(m_frame);
  }
  void Changed() {
    if (m_image) DeleteObject(m_image);
    m_image = nullptr;
  }
  void Save(const char* name) {
    Render();
    SavePng(m_image, name);
  }
  // How many pixels of `colour` lie in the bar's rectangle `area`.
  int Count(RECT area, COLORREF colour) {
    Render();
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, m_image);
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) count += GetPixel(dc, m_origin.x + x, m_origin.y + y) == colour;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return count;
  }
  // The box around the pixels of `colour` in `area`.
  RECT Box(RECT area, COLORREF colour) {
    Render();
    RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) {
        if (PixelAt(m_image, m_origin.x + x, m_origin.y + y) != colour) continue;
        box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
               std::max<LONG>(box.bottom, y + 1)};
      }
    }
    return box;
  }
  // The bar's pixels, for comparing two pictures.
  std::vector<COLORREF> Pixels() {
    Render();
    RECT client;
    m_bar.GetClientRect(&client);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, m_image);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < client.bottom; ++y) {
      for (int x = 0; x < client.right; ++x) pixels.push_back(GetPixel(dc, m_origin.x + x, m_origin.y + y));
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return pixels;
  }
  void UseFont(int escapement) {
    m_font = CreateFontA(-13, 0, escapement, escapement, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Verdana");
    m_bar.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font), TRUE);
  }

  HWND m_frame = nullptr;
  CSkinProgressCtrl m_bar;
  POINT m_origin{};
  HBITMAP m_image = nullptr;
  HFONT m_font = nullptr;

public:
  ~SkinProgress() override {
    if (m_image) DeleteObject(m_image);
  }
};

TEST_F(SkinProgress, MessagesAnswerAsTheBarDoes) {
  Make(0);
  EXPECT_EQ(m_bar.SendMessage(PBM_SETPOS, 30), 0);
  EXPECT_EQ(m_bar.SendMessage(PBM_DELTAPOS, 5), 30);
  m_bar.SendMessage(PBM_SETSTEP, 7);
  EXPECT_EQ(m_bar.SendMessage(PBM_STEPIT), 35);
  EXPECT_EQ(m_bar.GetPos(), 42);
  EXPECT_EQ(m_bar.SendMessage(PBM_SETBARCOLOR, 0, kBlue), static_cast<LRESULT>(CLR_DEFAULT));
  EXPECT_EQ(m_bar.SendMessage(CCM_SETBKCOLOR, 0, kGrey), static_cast<LRESULT>(CLR_DEFAULT));
  EXPECT_EQ(m_bar.SendMessage(WM_ERASEBKGND), TRUE);
  // One colour when wParam is 0: the done part is solid.
  EXPECT_EQ(At(0, 10), kBlue);
  EXPECT_EQ(At(83, 10), kBlue);
  EXPECT_EQ(At(84, 10), kGrey);
  EXPECT_EQ(At(199, 0), kGrey);
}

TEST_F(SkinProgress, TheDonePartGrowsFromItsStartingEdgeInEachDirection) {
  const struct {
    const char* name;
    DWORD style;
    RECT rect;
    // The first and last pixels of the done part at 37%, and the first of the rest (x, y).
    POINT doneFirst, doneLast, restFirst;
  } cases[] = {
      {"left-to-right", 0, {10, 10, 210, 30}, {0, 10}, {73, 10}, {74, 10}},
      {"right-to-left", PBS_SKIN_REVERSED, {10, 10, 210, 30}, {199, 10}, {126, 10}, {125, 10}},
      {"bottom-to-top", PBS_VERTICAL, {10, 10, 30, 210}, {10, 199}, {10, 126}, {10, 125}},
      {"top-to-bottom", PBS_VERTICAL | PBS_SKIN_REVERSED, {10, 10, 30, 210}, {10, 0}, {10, 73}, {10, 74}},
  };
  for (const auto& c : cases) {
    Make(c.style, c.rect);
    m_bar.SendMessage(PBM_SETBARCOLOR, 0, kBlue);
    m_bar.SendMessage(CCM_SETBKCOLOR, 0, kGrey);
    for (int position : {0, 37, 50, 100}) {
      m_bar.SetPos(position);
      Changed();
      Save((std::string("progress-") + c.name + "-" + std::to_string(position)).c_str());
      if (position == 37) {
        EXPECT_EQ(At(c.doneFirst.x, c.doneFirst.y), kBlue) << c.name;
        EXPECT_EQ(At(c.doneLast.x, c.doneLast.y), kBlue) << c.name;
        EXPECT_EQ(At(c.restFirst.x, c.restFirst.y), kGrey) << c.name;
      }
      if (position == 0) {
        EXPECT_EQ(At(c.doneFirst.x, c.doneFirst.y), kGrey) << c.name;
      }
    }
    m_bar.DestroyWindow();
  }
}

TEST_F(SkinProgress, TheGradientKeepsItsPlaceOrIsSqueezedIntoTheDonePart) {
  const struct {
    DWORD style;
    int lastOfHalf;  // the grey level at the end of the done half
  } cases[] = {{0, 127}, {PBS_SKIN_GRADIENTINDONE, 254}};
  for (const auto& c : cases) {
    Make(c.style);
    m_bar.SendMessage(PBM_SETBARCOLOR, kWhite, kBlack);
    m_bar.SetPos(50);
    Changed();
    Save(c.style ? "progress-gradient-squeezed" : "progress-gradient-kept");
    EXPECT_EQ(At(0, 10), kBlack);
    EXPECT_NEAR(GetRValue(At(99, 10)), c.lastOfHalf, 2) << c.style;
    EXPECT_EQ(At(100, 10), GetSysColor(COLOR_BTNFACE));
    m_bar.DestroyWindow();
  }
  // Three stops: two equal segments, the middle colour at the middle of the bar.
  Make(0);
  m_bar.SetGradientColors({RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)});
  m_bar.SetPos(100);
  Changed();
  Save("progress-gradient-three");
  EXPECT_EQ(At(0, 10), RGB(255, 0, 0));
  EXPECT_EQ(At(100, 10), RGB(0, 255, 0));
  EXPECT_NEAR(GetBValue(At(199, 10)), 255, 4);  // the last of 100 steps
  // A bar brush fills the done part instead.
  tolvar::gdi::UniqueBrush brush(CreateSolidBrush(RGB(0, 128, 0)));
  m_bar.SetBarBrush(brush.Get());
  m_bar.SetPos(50);
  Changed();
  EXPECT_EQ(At(0, 10), RGB(0, 128, 0));
  EXPECT_EQ(At(99, 10), RGB(0, 128, 0));
  EXPECT_EQ(At(100, 10), GetSysColor(COLOR_BTNFACE));
  m_bar.SetBarBrush(nullptr);
}

TEST_F(SkinProgress, TheTextShowsInOneColourOverTheDonePartAndInTheOtherOverTheRest) {
  Make(PBS_SKIN_PERCENT);
  UseFont(0);
  m_bar.SendMessage(PBM_SETBARCOLOR, 0, kBlue);
  m_bar.SetPos(50);
  Save("progress-text-50");
  const COLORREF overDone = GetSysColor(COLOR_CAPTIONTEXT), overRest = GetSysColor(COLOR_BTNTEXT);
  ASSERT_NE(overDone, overRest);
  const RECT done{0, 0, 100, 20}, rest{100, 0, 200, 20};
  EXPECT_GT(Count(done, overDone), 10);
  EXPECT_GT(Count(rest, overRest), 10);
  EXPECT_EQ(Count(done, overRest), 0);
  EXPECT_EQ(Count(rest, overDone), 0);
  // Centred on the bar: "50%" straddles the end of the done half.
  const RECT box = Box({0, 0, 200, 20}, overRest);
  EXPECT_GE(box.left, 100);
  EXPECT_LT(box.right, 130);

  // Equal colours: written once, the same over both parts.
  m_bar.SetTextColors(RGB(255, 0, 0), RGB(255, 0, 0));
  Changed();
  EXPECT_GT(Count(done, RGB(255, 0, 0)), 10);
  EXPECT_GT(Count(rest, RGB(255, 0, 0)), 10);

  // An empty text removes any text, and the text mode with it.
  m_bar.SetText("", PBS_SKIN_CALLERTEXT);
  Changed();
  EXPECT_EQ(Count({0, 0, 200, 20}, RGB(255, 0, 0)), 0);
  EXPECT_EQ(m_bar.GetStyle() & PBS_SKIN_CALLERTEXT, 0u);
}

TEST_F(SkinProgress, TextInTheDonePartShowsOnlyWhenItFits) {
  Make(PBS_SKIN_PERCENT | PBS_SKIN_TEXTINDONE);
  UseFont(0);
  m_bar.SendMessage(PBM_SETBARCOLOR, 0, kBlue);
  const COLORREF text = GetSysColor(COLOR_CAPTIONTEXT);
  m_bar.SetPos(8);  // 16 pixels: narrower than "8%"
  Save("progress-textindone-8");
  EXPECT_EQ(Count({0, 0, 200, 20}, text), 0);
  m_bar.SetPos(60);
  Changed();
  Save("progress-textindone-60");
  const RECT box = Box({0, 0, 200, 20}, text);
  ASSERT_LT(box.left, box.right);
  EXPECT_NEAR((box.left + box.right) / 2, 60, 3) << "centred in the done part";
  EXPECT_EQ(Count({120, 0, 200, 20}, GetSysColor(COLOR_BTNTEXT)), 0);
}

TEST_F(SkinProgress, ACallersTextIsNoFormatString) {
  // Each pair must paint the same pixels: the first through the formatter, the second as meant.
  const struct {
    DWORD mode;
    const char* text;
    DWORD sameMode;
    const char* sameText;
  } cases[] = {
      {PBS_SKIN_CALLERTEXT, "Sent %d", PBS_SKIN_CALLERTEXT, "Sent 0"},
      {PBS_SKIN_PERCENT, "Sent %d", PBS_SKIN_CALLERTEXT, "Sent 37"},
      {PBS_SKIN_PERCENT, "", PBS_SKIN_CALLERTEXT, "37%%"},
      {PBS_SKIN_POSITION, "", PBS_SKIN_CALLERTEXT, "37"},
      {PBS_SKIN_CALLERTEXT, "C:\\%s\\%n.jpg", PBS_SKIN_CALLERTEXT, "C:\\%%s\\%%n.jpg"},
  };
  Make(0);
  UseFont(0);
  m_bar.SetPos(37);
  for (const auto& c : cases) {
    m_bar.SetText(c.text, c.mode);
    if (!*c.text) m_bar.ModifyStyle(PBS_SKIN_CALLERTEXT, c.mode);
    Changed();
    const std::vector<COLORREF> first = Pixels();
    m_bar.SetText(c.sameText, c.sameMode);
    Changed();
    EXPECT_EQ(first, Pixels()) << c.text << " against " << c.sameText;
    EXPECT_GT(Count({0, 0, 200, 20}, GetSysColor(COLOR_BTNTEXT)), 10) << c.sameText;
  }
  Save("progress-text-filename");
}

TEST_F(SkinProgress, TurnedTextFollowsTheFontsEscapementAndStaysCentred) {
  const struct {
    const char* name;
    int escapement;
  } cases[] = {{"progress-vertical-text-90", 900}, {"progress-vertical-text-270", 2700}};
  for (const auto& c : cases) {
    Make(PBS_VERTICAL | PBS_SKIN_PERCENT, {10, 10, 40, 210});
    UseFont(c.escapement);
    m_bar.SendMessage(PBM_SETBARCOLOR, 0, kBlue);
    m_bar.SetPos(100);
    Changed();
    Save(c.name);
    const RECT box = Box({0, 0, 30, 200}, GetSysColor(COLOR_CAPTIONTEXT));
    ASSERT_LT(box.left, box.right) << c.name;
    EXPECT_GT(box.bottom - box.top, 2 * (box.right - box.left)) << c.name << ": the text runs along the bar";
    EXPECT_NEAR((box.top + box.bottom) / 2, 100, 4) << c.name;
    EXPECT_NEAR((box.left + box.right) / 2, 15, 4) << c.name;
    m_bar.DestroyWindow();
    DeleteObject(m_font);
    m_font = nullptr;
  }
}

TEST_F(SkinProgress, TheWrappingBlockRunsPastTheEndAndStartsAgainTheOtherWay) {
  Make(PBS_SKIN_WRAPPING);
  m_bar.SendMessage(PBM_SETBARCOLOR, 0, kBlue);
  m_bar.SetStep(10);
  const struct {
    int step;
    int position;
    bool reversed;
  } expected[] = {{1, 10, false}, {10, 100, false}, {11, 100, false}, {12, 100, false},
                  {14, 100, false}, {15, 10, true},  {16, 20, true}};
  int done = 0;
  for (const auto& e : expected) {
    while (done < e.step) {
      m_bar.StepIt();
      ++done;
      if (done == 12) {
        // The block has run on to 80..120: only its part up to the end shows.
        Changed();
        Save("progress-wrapping-12");
        EXPECT_EQ(At(155, 10), GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(At(165, 10), kBlue);
        EXPECT_EQ(At(199, 10), kBlue);
      }
    }
    EXPECT_EQ(m_bar.GetPos(), e.position) << "after step " << e.step;
    EXPECT_EQ((m_bar.GetStyle() & PBS_SKIN_REVERSED) != 0, e.reversed) << "after step " << e.step;
  }
  // Started again at the low end, now from the right.
  Changed();
  EXPECT_EQ(At(199, 10), kBlue);
  EXPECT_EQ(At(150, 10), GetSysColor(COLOR_BTNFACE));
}

}  // namespace
