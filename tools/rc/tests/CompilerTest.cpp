#include "RcFixtures.h"

#include "Diagnostics.h"

#include <gtest/gtest.h>

namespace tolvar::rc::test {
namespace {

// Reads little-endian values out of compiled bytes.
std::uint32_t U32(const Bytes& b, size_t at) {
  return static_cast<std::uint32_t>(b.at(at) | (b.at(at + 1) << 8) | (b.at(at + 2) << 16)) |
         (static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}
std::uint16_t U16(const Bytes& b, size_t at) { return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8)); }
Bytes Slice(const Bytes& b, size_t at, size_t n) { return Bytes(b.begin() + at, b.begin() + at + n); }
Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(Menu, CompilesToTheWindowsMenuTemplate) {
  CompileResult result = Compile(CompileOptions{DataFolder() + "/tray.rc", {}, {}});
  const Resource& menu = Find(result, kRtMenu, ResId::Number(128));
  EXPECT_EQ(menu.data, ReadHexFixture(DataFolder() + "/tray.menu.hex"));
  // The header it includes is a dependency, so a change to it recompiles the script.
  ASSERT_EQ(result.dependencies.size(), 2u);
  EXPECT_TRUE(result.dependencies[1].ends_with("tray.h"));
}

TEST(StringTable, StringsGoIntoBlocksOfSixteenByLanguage) {
  std::string folder = TempFolder();
  CompileResult result = CompileText(folder, R"(
STRINGTABLE
BEGIN
    1       "one"
    15,     "fifteen"
    16      "sixteen"
    33      L"thirty-three"
END
LANGUAGE 0x07, 0x01
STRINGTABLE BEGIN 1 "eins" END
)");
  // Block 1 holds ids 0-15: a length word per id, then the units of that string, no terminators.
  Bytes block1 = Cat({{0, 0, 3, 0}, Slice(Utf16z(u"one"), 0, 6), Bytes(13 * 2, 0), {7, 0},
                      Slice(Utf16z(u"fifteen"), 0, 14)});
  EXPECT_EQ(Find(result, kRtString, ResId::Number(1), 0x0409).data, block1);
  const Bytes& block2 = Find(result, kRtString, ResId::Number(2), 0x0409).data;
  ASSERT_EQ(block2.size(), 16u * 2 + 7 * 2);
  EXPECT_EQ(U16(block2, 0), 7);
  const Bytes& block3 = Find(result, kRtString, ResId::Number(3), 0x0409).data;
  EXPECT_EQ(U16(block3, 0), 0);
  EXPECT_EQ(U16(block3, 2), 12);
  const Bytes& german = Find(result, kRtString, ResId::Number(1), 0x0407).data;
  EXPECT_EQ(U16(german, 2), 4);
  EXPECT_EQ(result.resources.size(), 4u);
}

TEST(Dialog, DialogExHeaderAndControlAreLaidOutByteForByte) {
  std::string folder = TempFolder();
  CompileResult result = CompileText(folder, R"(
#define IDD_SETUP 300
#define IDC_PORT 1001
IDD_SETUP DIALOGEX 10, 20, 200, 100
STYLE DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION
EXSTYLE WS_EX_TOOLWINDOW
CAPTION "Setup"
FONT 8, "Tahoma", 700, 1, 0xEE
BEGIN
    EDITTEXT IDC_PORT, 7, 8, 60, 12, ES_AUTOHSCROLL | NOT WS_BORDER, WS_EX_CLIENTEDGE
    PUSHBUTTON "OK", IDOK, 140, 80, 50, 14
END
)");
  const Bytes& d = Find(result, kRtDialog, ResId::Number(300)).data;
  Bytes header = Cat({{0x01, 0x00, 0xFF, 0xFF},                // dlgVer 1, signature 0xFFFF
                      {0, 0, 0, 0},                            // helpID
                      {0x80, 0, 0, 0},                         // WS_EX_TOOLWINDOW
                      {0xC0, 0x00, 0xC0, 0x80},                // style 0x80C000C0
                      {2, 0},                                  // two controls
                      {10, 0, 20, 0, 200, 0, 100, 0},          // x, y, cx, cy
                      {0, 0}, {0, 0},                          // no menu, no class
                      Utf16z(u"Setup"),
                      {8, 0, 0xBC, 0x02, 1, 0xEE},             // 8 pt, weight 700, italic, charset
                      Utf16z(u"Tahoma"),
                      {0, 0}});                                // padding to a DWORD
  ASSERT_GE(d.size(), header.size());
  EXPECT_EQ(Slice(d, 0, header.size()), header);

  Bytes edit = Cat({{0, 0, 0, 0},                              // helpID
                    {0x00, 0x02, 0, 0},                        // WS_EX_CLIENTEDGE
                    {0x80, 0x00, 0x01, 0x50},                  // CHILD|VISIBLE|TABSTOP|ES_AUTOHSCROLL, no border
                    {7, 0, 8, 0, 60, 0, 12, 0},
                    {0xE9, 0x03, 0, 0},                        // id 1001 as a DWORD
                    {0xFF, 0xFF, 0x81, 0x00},                  // class atom EDIT
                    {0, 0},                                    // no text
                    {0, 0}});                                  // no creation data
  EXPECT_EQ(Slice(d, header.size(), edit.size()), edit);
  size_t button = header.size() + edit.size();
  EXPECT_EQ(U32(d, button + 8), 0x50010000u);  // BS_PUSHBUTTON | WS_TABSTOP
  EXPECT_EQ(U32(d, button + 20), 1u);          // IDOK
  EXPECT_EQ(Slice(d, button + 24, 4), (Bytes{0xFF, 0xFF, 0x80, 0x00}));
  EXPECT_EQ(Slice(d, button + 28, 6), Utf16z(u"OK"));
  EXPECT_EQ(d.size(), button + 36);
}

TEST(Dialog, ClassicDialogHasStyleFirstAndWordIds) {
  std::string folder = TempFolder();
  CompileResult result = CompileText(folder, R"(
OLD DIALOG 0, 0, 80, 40
CAPTION "Old"
MENU 129
BEGIN
    LTEXT "Hi", IDC_STATIC, 1, 2, 3, 4
END
)");
  const Bytes& d = Find(result, kRtDialog, ResId::Name("OLD")).data;
  // No STYLE: a pop-up with border and system menu; the caption adds WS_CAPTION.
  Bytes expected = Cat({{0x00, 0x00, 0xC8, 0x80}, {0, 0, 0, 0}, {1, 0}, {0, 0, 0, 0, 80, 0, 40, 0},
                        {0xFF, 0xFF, 129, 0}, {0, 0}, Utf16z(u"Old"),
                        {0x00, 0x00, 0x02, 0x50}, {0, 0, 0, 0}, {1, 0, 2, 0, 3, 0, 4, 0},
                        {0xFF, 0xFF},                          // IDC_STATIC as a WORD
                        {0xFF, 0xFF, 0x82, 0x00}, Utf16z(u"Hi"), {0, 0}});
  EXPECT_EQ(d, expected);
}

// Walks the controls of a DIALOGEX template: (style, class atom) of each.
std::vector<std::pair<std::uint32_t, std::uint16_t>> ControlsOf(const Bytes& d) {
  auto skipText = [&](size_t at) {
    if (U16(d, at) == 0xFFFF) return at + 4;
    while (U16(d, at) != 0) at += 2;
    return at + 2;
  };
  size_t at = skipText(skipText(skipText(26)));  // menu, class, title
  if (U32(d, 12) & 0x40) at = skipText(at + 6);  // font
  std::vector<std::pair<std::uint32_t, std::uint16_t>> controls;
  for (std::uint16_t i = 0; i < U16(d, 16); ++i) {
    at = (at + 3) & ~size_t(3);
    std::uint16_t atom = U16(d, at + 24) == 0xFFFF ? U16(d, at + 26) : 0;
    controls.emplace_back(U32(d, at + 8), atom);
    at = skipText(skipText(at + 24));
    at += 2 + U16(d, at);
  }
  return controls;
}

TEST(Dialog, ControlStatementsHaveTheirDefaultStylesAndClasses) {
  std::string folder = TempFolder();
  CompileResult result = CompileText(folder, R"(
1 DIALOGEX 0, 0, 100, 100
FONT 8, "MS Shell Dlg"
BEGIN
    LTEXT "a", 1, 0, 0, 1, 1
    RTEXT "a", 1, 0, 0, 1, 1
    CTEXT "a", 1, 0, 0, 1, 1
    PUSHBUTTON "a", 1, 0, 0, 1, 1
    DEFPUSHBUTTON "a", 1, 0, 0, 1, 1
    CHECKBOX "a", 1, 0, 0, 1, 1
    AUTOCHECKBOX "a", 1, 0, 0, 1, 1
    RADIOBUTTON "a", 1, 0, 0, 1, 1
    AUTORADIOBUTTON "a", 1, 0, 0, 1, 1
    GROUPBOX "a", 1, 0, 0, 1, 1
    EDITTEXT 1, 0, 0, 1, 1
    LISTBOX 1, 0, 0, 1, 1, LBS_SORT | WS_VSCROLL
    COMBOBOX 1, 0, 0, 1, 1, CBS_DROPDOWNLIST
    SCROLLBAR 1, 0, 0, 1, 1, SBS_VERT
    ICON 7, 1, 0, 0
    CONTROL "a", 1, "Button", BS_AUTOCHECKBOX | WS_TABSTOP, 0, 0, 1, 1
    CONTROL "", 1, "SysListView32", LVS_REPORT | WS_BORDER, 0, 0, 1, 1
    CONTROL "a", 1, STATIC, SS_LEFT | NOT WS_VISIBLE, 0, 0, 1, 1
    COMBOBOX 1, 0, 0, 1, 1
    COMBOBOX 1, 0, 0, 1, 1, CBS_DROPDOWN | CBS_AUTOHSCROLL
    COMBOBOX 1, 0, 0, 1, 1, CBS_SORT
END
)");
  const std::vector<std::pair<std::uint32_t, std::uint16_t>> expected = {
      {0x50020000, 0x82}, {0x50020002, 0x82}, {0x50020001, 0x82}, {0x50010000, 0x80},
      {0x50010001, 0x80}, {0x50010002, 0x80}, {0x50010003, 0x80}, {0x50000004, 0x80},
      {0x50000009, 0x80}, {0x50000007, 0x80}, {0x50810000, 0x81}, {0x50A00003, 0x83},
      {0x50010003, 0x85}, {0x50000001, 0x84}, {0x50000003, 0x82}, {0x50010003, 0x80},
      {0x50800001, 0},    {0x40000000, 0x82},
      // A combo box's kind given in the statement replaces the default simple kind.
      {0x50010001, 0x85}, {0x50010042, 0x85}, {0x50010101, 0x85}};
  EXPECT_EQ(ControlsOf(Find(result, kRtDialog, ResId::Number(1)).data), expected);
}

TEST(Preprocessor, ConditionsMacrosAndStyleExpressions) {
  std::string folder = TempFolder();
  WriteFile(folder + "/ids.h", "#ifndef IDS_H\n#define IDS_H\n#define BASE 100\n#define NEXT (BASE + 1)\n"
                               "#define BOTH WS_CHILD | WS_VISIBLE\n#endif\nstruct ignored { int x; };\n");
  CompileResult result = CompileText(folder, R"(#include "ids.h"
#include "ids.h"
#include <windows.h>
#if 0
this is not read
#elif defined(BASE) && BASE > 50
#define CHOSEN 1
#else
#define CHOSEN 2
#endif
#ifdef NOT_DEFINED
#error not here
#endif
NEXT RCDATA BEGIN CHOSEN, (BOTH | NOT WS_CHILD) + 0L, -1, (2 + 3) - 1, 7L END
102 RCDATA BEGIN 0xFFFFFFFF * 0xFFFFFFFFL END
#undef BASE
#ifdef BASE
#error BASE was undefined
#endif
)");
  // Resource 101: a word, a DWORD (the L suffix) keeping WS_VISIBLE only, then words and a DWORD.
  const Bytes& data = Find(result, kRtRcData, ResId::Number(101)).data;
  EXPECT_EQ(data, (Bytes{1, 0, 0, 0, 0, 0x10, 0xFF, 0xFF, 4, 0, 7, 0, 0, 0}));
  // A product past 64 bits keeps its low 32.
  EXPECT_EQ(Find(result, kRtRcData, ResId::Number(102)).data, (Bytes{1, 0, 0, 0}));
}

TEST(Images, BitmapIconAndCursorFilesBecomeTheirResources) {
  std::string folder = TempFolder();
  // A 1x1 24-bit bitmap: file header, BITMAPINFOHEADER, one padded row.
  Bytes info = {40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0};
  info.resize(40, 0);
  Bytes dib = Cat({info, {0x11, 0x22, 0x33, 0x00}});
  Bytes bmp = Cat({{'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0}, dib});
  WriteFile(folder + "/art/pic.bmp", bmp);
  // An icon with two images: a DIB (planes and bits left 0 in the entry) and another blob.
  Bytes other = {0x89, 'P', 'N', 'G', 1, 2, 3, 4};
  Bytes ico = Cat({{0, 0, 1, 0, 2, 0},
                   {16, 16, 0, 0, 0, 0, 0, 0, 44, 0, 0, 0, 38, 0, 0, 0},
                   {0, 0, 0, 0, 1, 0, 32, 0, 8, 0, 0, 0, 82, 0, 0, 0},
                   dib, other});
  WriteFile(folder + "/art/app.ico", ico);
  // A cursor: the entry holds the hot spot (3, 5) where an icon has planes and bits.
  Bytes cur = Cat({{0, 0, 2, 0, 1, 0}, {32, 32, 0, 0, 3, 0, 5, 0, 44, 0, 0, 0, 22, 0, 0, 0}, dib});
  WriteFile(folder + "/art/hand.cur", cur);

  CompileResult result = CompileText(folder, R"(
10 BITMAP "art\\pic.bmp"
11 ICON DISCARDABLE "art\app.ico"
12 CURSOR "art/hand.cur"
)");
  EXPECT_EQ(Find(result, kRtBitmap, ResId::Number(10)).data, dib);
  // The group names images 1 and 2; planes and bits of the DIB come from its header.
  Bytes group = Cat({{0, 0, 1, 0, 2, 0},
                     {16, 16, 0, 0, 1, 0, 24, 0, 44, 0, 0, 0, 1, 0},
                     {0, 0, 0, 0, 1, 0, 32, 0, 8, 0, 0, 0, 2, 0}});
  EXPECT_EQ(Find(result, kRtGroupIcon, ResId::Number(11)).data, group);
  EXPECT_EQ(Find(result, kRtIcon, ResId::Number(1)).data, dib);
  EXPECT_EQ(Find(result, kRtIcon, ResId::Number(2)).data, other);
  // Cursor images begin with the hot spot; the directory gives width and twice the height.
  EXPECT_EQ(Find(result, kRtCursor, ResId::Number(1)).data, Cat({{3, 0, 5, 0}, dib}));
  EXPECT_EQ(Find(result, kRtGroupCursor, ResId::Number(12)).data,
            (Bytes{0, 0, 2, 0, 1, 0, 32, 0, 64, 0, 1, 0, 24, 0, 48, 0, 0, 0, 1, 0}));
  EXPECT_EQ(result.dependencies.size(), 4u);
}

TEST(Container, DirectoryNamesAndAlignment) {
  std::vector<Resource> resources = {
      {ResId::Name("zeta"), ResId::Number(2), 0x0409, {1, 2, 3}},
      {ResId::Number(6), ResId::Name("Alpha"), 0, {4}},
  };
  Bytes c = WriteContainer(resources);
  EXPECT_EQ(Slice(c, 0, 8), (Bytes{'T', 'R', 'S', 'C', 1, 0, 20, 0}));
  EXPECT_EQ(U32(c, 8), 2u);
  EXPECT_EQ(U32(c, 12), c.size());
  // Integer types sort first; names are upper-case, NUL-terminated, after the directory.
  EXPECT_EQ(U32(c, 16), 6u);
  std::uint32_t name = U32(c, 20);
  ASSERT_TRUE(name & 0x80000000);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(c.data() + (name & 0x7FFFFFFF))), "ALPHA");
  std::uint32_t data = U32(c, 28);
  EXPECT_EQ(data % 8, 0u);
  EXPECT_EQ(U32(c, 32), 1u);
  EXPECT_EQ(c.at(data), 4);
  EXPECT_EQ(U16(c, 36 + 8), 0x0409);
}

TEST(BadInput, FaultsAreReportedAtTheirFileAndLine) {
  struct Case {
    std::string script;
    int line;
    std::string message;
  };
  const Case cases[] = {
      {"1 MENU\nBEGIN\n  MENUITEM \"a\", UNDEFINED_ID\nEND\n", 3, "undefined symbol 'UNDEFINED_ID'"},
      {"STRINGTABLE\nBEGIN\n 1 \"open\nEND\n", 3, "string not closed"},
      {"STRINGTABLE\nBEGIN\n 1 \"a\"\n 1 \"b\"\nEND\n", 4, "string id 1 defined twice"},
      {"1 RCDATA BEGIN 1 END\n\n1 RCDATA BEGIN 2 END\n", 3, "defined twice"},
      {"1 BITMAP \"missing.bmp\"\n", 1, "cannot open file \"missing.bmp\""},
      {"\n#if 1\n1 RCDATA BEGIN 1 END\n", 2, "#if without #endif"},
      {"1 DIALOGEX 0, 0, 1, 1\nBEGIN\n  SPINNER \"a\", 1, 0, 0, 1, 1\nEND\n", 3, "unknown control statement"},
      {"1 MENU\nBEGIN\nEND\n", 1, "empty menu"},
      {"1 MENU\nBEGIN\n  POPUP \"x\"\n  BEGIN\n  END\nEND\n", 3, "empty pop-up"},
      {"#include \"nowhere.h\"\n", 1, "cannot find include file"},
      {"1 ACCELERATORS BEGIN END\n", 1, "not supported"},
      {"1 RCDATA\nBEGIN\n  \"a\" @\nEND\n", 3, "unexpected character '@'"},
      {"1 DIALOG 0, 0, 1, 1\nBEGIN\n  LTEXT \"a\", 1, 0, 0, 99999, 1\nEND\n", 3, "out of range"},
      {"1 VERSIONINFO\nBEGIN\n  VALUE \"x\", 1\nEND\n", 3, "expected BLOCK or END"},
      {"STRINGTABLE\nBEGIN\n  1 \"\\xff\"\nEND\n", 3, "not valid UTF-8"},
      {"1 MENU\nBEGIN\n  MENUITEM \"a\", 1\n", 3, "expected MENUITEM, POPUP or END"},
  };
  for (const Case& c : cases) {
    std::string folder = TempFolder();
    try {
      CompileText(folder, c.script);
      ADD_FAILURE() << "accepted: " << c.script;
    } catch (const RcError& e) {
      EXPECT_EQ(e.Place().file, folder + "/script.rc") << c.script;
      EXPECT_EQ(e.Place().line, c.line) << e.what();
      EXPECT_NE(e.Message().find(c.message), std::string::npos) << e.what();
    }
  }
}

TEST(BadInput, FaultInAnIncludedHeaderNamesTheHeader) {
  std::string folder = TempFolder();
  WriteFile(folder + "/bad.h", "#define A 1\n#if\n#endif\n");
  try {
    CompileText(folder, "#include \"bad.h\"\n");
    ADD_FAILURE() << "accepted";
  } catch (const RcError& e) {
    EXPECT_EQ(e.Place().file, folder + "/bad.h");
    EXPECT_EQ(e.Place().line, 2);
  }
}

}  // namespace
}  // namespace tolvar::rc::test
