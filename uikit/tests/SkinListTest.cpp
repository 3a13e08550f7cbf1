// The kit's list: the row order, deleting the selection, label edits typed through injected keys,
// a drag between two lists by injected mouse input with its notifications in order, and the
// painting of rows, header and drag image (pixels, PNGs, and WM_PRINT against the screen).
#include "MyHeader.h"
#include "ProgramManager.h"
#include "SkinListCtrl.h"

#include <gdi/Unique.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include "KitTest.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using kit_testing::KitTest;

// A list of an application: it tells what was dropped on which list, with the row under the cursor.
class CPageList : public CSkinListCtrl {
public:
  std::vector<std::string>* log = nullptr;
  std::string name;
  void OnDropOnList(CSkinListCtrl* target) override {
    const auto* page = dynamic_cast<CPageList*>(target);
    if (log) log->push_back("drop " + name + " on " + (page ? page->name : "?") + " row " + std::to_string(GetDropIndex()));
  }
};

// The dialog the lists live in: it writes down each drop-highlight change the lists report.
class CPageDialog : public CWnd {
public:
  std::vector<std::string> log;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    const auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->code == LVN_ITEMCHANGED) {
      const auto* change = reinterpret_cast<NMLISTVIEW*>(lParam);
      const UINT was = change->uOldState & LVIS_DROPHILITED;
      const UINT now = change->uNewState & LVIS_DROPHILITED;
      if (was != now) {
        log.push_back("list " + std::to_string(header->idFrom) + " row " + std::to_string(change->iItem) +
                      (now ? " highlighted" : " plain"));
      }
    }
    return CWnd::OnNotify(wParam, lParam, result);
  }
};

class SkinListTest : public ::testing::Test {
protected:
  void SetUp() override {
    kit_testing::UseOwnHome();
    ASSERT_TRUE(dialog.CreateEx(0, nullptr, "Page", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 520, 320, nullptr, nullptr));
    SetForegroundWindow(dialog);
    ASSERT_TRUE(MakeList(list, 10, RECT{10, 10, 250, 250}, "groups"));
  }
  void TearDown() override {
    list.DestroyWindow();
    other.DestroyWindow();
    dialog.DestroyWindow();
    testing_user::Pump();
  }
  bool MakeList(CPageList& made, UINT id, const RECT& rect, const char* name) {
    made.name = name;
    made.log = &dialog.log;
    if (!made.Create(WS_CHILD | WS_VISIBLE | LVS_SHOWSELALWAYS, rect, &dialog, id)) return false;
    made.SetFont("Verdana", 14, FALSE, FALSE);
    made.InsertColumn(0, "Name", LVCFMT_LEFT, 120);
    made.InsertColumn(1, "Date", LVCFMT_RIGHT, 100);
    return true;
  }
  void Fill(CSkinListCtrl& target, std::initializer_list<std::pair<const char*, const char*>> rows) {
    LPARAM data = 100;
    for (const auto& [name, date] : rows) {
      const int row = target.AddItem(name, data++, 0);
      target.SetItemText(row, 1, date);
    }
  }
  std::vector<std::string> Column(CSkinListCtrl& target, int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < target.GetItemCount(); ++row) texts.emplace_back(target.GetItemText(row, column));
    return texts;
  }
  void Select(CSkinListCtrl& target, std::initializer_list<int> rows) {
    target.SetItemState(-1, 0, LVIS_SELECTED);
    for (int row : rows) target.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
  }
  POINT RowPoint(CSkinListCtrl& target, int row) {
    RECT rect{};
    target.GetItemRect(row, &rect, LVIR_BOUNDS);
    return POINT{rect.left + 30, (rect.top + rect.bottom) / 2};
  }
  CPageDialog dialog;
  CPageList list;
  CPageList other;
};

// ---- Order -----------------------------------------------------------------------------------------

TEST(SkinListCompare, DatesEmptyCellsAndCase) {
  struct Case {
    const char* a;
    const char* b;
    int ascending;   // sign with the direction set
    int descending;  // and inverted
  } const cases[] = {
      {"17/03/2004", "05/11/2004", -1, 1},   // the middle field before the first
      {"31/12/2003", "01/01/2004", -1, 1},   // the year first
      {"05/03/2004", "17/03/2004", -1, 1},   // then the first field
      {"17/03/2004", "17/03/2004", 0, 0},
      {"2004-03-17", "2004-03-18", -1, 1},   // ten characters, not a date: text
      {"17/03/2004", "Anna", -1, 1},         // a date against a text: text
      {"Anna", " ", -1, -1},                 // empty cells last in both directions
      {" <NAME>", "Anna", 1, 1},
      {" ", " <name>", 0, 0},
      {"abc", "ABC", -1, 1},                 // case: against the main direction's tie order
      {"abc", "abd", -1, 1},
      {"ABD", "abc", 1, -1},
  };
  auto sign = [](int value) { return (value > 0) - (value < 0); };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " | " + c.b);
    EXPECT_EQ(sign(CSkinListCtrl::CompareTexts(c.a, c.b, TRUE)), c.ascending);
    EXPECT_EQ(sign(CSkinListCtrl::CompareTexts(c.a, c.b, FALSE)), c.descending);
  }
}

TEST_F(SkinListTest, SortsByColumnEachWayWithEmptyCellsLastAndEqualRowsInPlace) {
  Fill(list, {{"Bob", "05/11/2004"}, {" ", "17/03/2004"}, {"anna", " <name>"}, {"Anna", "01/01/2003"},
              {"Carl", "17/03/2004"}, {"bob", " "}});
  list.SortByColumn(0, FALSE);
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"anna", "Anna", "bob", "Bob", "Carl", " "}));
  list.SortByColumn(0, TRUE);
  EXPECT_EQ(list.GetSortDirection(), FALSE);
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"Carl", "Bob", "bob", "Anna", "anna", " "}));

  // By date, the two rows of 17/03/2004 keep the order they had.
  list.SortByColumn(1, TRUE);
  EXPECT_EQ(list.GetSortColumn(), 1);
  EXPECT_EQ(Column(list, 1),
            (std::vector<std::string>{"01/01/2003", "17/03/2004", "17/03/2004", "05/11/2004", " ", " <name>"}));
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"Anna", "Carl", " ", "Bob", "bob", "anna"}));
  list.SortByColumn(1, TRUE);
  EXPECT_EQ(Column(list, 1),
            (std::vector<std::string>{"05/11/2004", "17/03/2004", "17/03/2004", "01/01/2003", " ", " <name>"}));
}

TEST_F(SkinListTest, DeleteSelectedRemovesEverySelectedRow) {
  Fill(list, {{"a", ""}, {"b", ""}, {"c", ""}, {"d", ""}, {"e", ""}, {"f", ""}});
  Select(list, {0, 1, 3, 5});
  EXPECT_EQ(list.DeleteSelected(), -1);
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"c", "e"}));
  EXPECT_EQ(list.DeleteSelected(), -1);  // nothing selected: nothing goes
  EXPECT_EQ(list.GetItemCount(), 2);
}

TEST_F(SkinListTest, InsertItemAppendsWithItsData) {
  Fill(list, {{"first", ""}});
  EXPECT_EQ(list.InsertItem("second", 7, 0, 0), 1);
  EXPECT_EQ(list.GetItemData(1), 7u);
}

// ---- Label edits -----------------------------------------------------------------------------------

TEST_F(SkinListTest, LabelEditsCommittedCancelledAndRefused) {
  Fill(list, {{"All Groups", ""}, {"No group", ""}, {"Family", ""}, {"Work", ""}});
  const std::string ae = "\xC3\x84";  // two bytes in UTF-8
  std::string eleven;
  for (int i = 0; i < 11; ++i) eleven += ae;
  const std::string ten = eleven.substr(0, 20);

  struct Case {
    const char* name;
    int row;
    std::string typed;  // replaces the whole label, which the editor starts with selected
    UINT endKey;        // VK_RETURN commits, VK_ESCAPE cancels
    bool editable;
    std::string label;  // afterwards
  } const cases[] = {
      {"committed", 2, "Friends", VK_RETURN, true, "Friends"},
      {"cancelled", 3, "Office", VK_ESCAPE, true, "Work"},
      {"emptied", 3, "\b", VK_RETURN, true, "Work"},
      {"cut at 21 bytes", 2, eleven, VK_RETURN, true, ten},
      {"the all row is fixed", 0, "", 0, false, "All Groups"},
      {"the no-group row is fixed", 1, "", 0, false, "No group"},
  };
  list.SetFocus();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CWnd* editor = list.EditLabel(c.row);
    testing_user::Pump();
    if (!c.editable) {
      EXPECT_EQ(editor, nullptr);
    } else {
      ASSERT_NE(editor, nullptr);
      ASSERT_EQ(list.GetLabelEditor().m_hWnd, editor->m_hWnd);  // the flat editor took it over
      EXPECT_EQ(list.GetLabelEditor().GetLimit(), 21);
      if (c.typed == "\b") {
        tolvar::user::InjectKey(VK_BACK, true);
        tolvar::user::InjectKey(VK_BACK, false);
      } else {
        for (size_t i = 0; i < c.typed.size();) {
          const size_t length = static_cast<unsigned char>(c.typed[i]) >= 0xC0 ? 2 : 1;
          tolvar::user::InjectText(c.typed.substr(i, length).c_str());
          testing_user::Pump();
          i += length;
        }
      }
      testing_user::Pump();
      tolvar::user::InjectKey(c.endKey, true);
      tolvar::user::InjectKey(c.endKey, false);
      testing_user::Pump();
      EXPECT_EQ(list.GetLabelEditor().m_hWnd, nullptr);
      EXPECT_EQ(list.GetEditControl(), nullptr);
    }
    EXPECT_EQ(std::string(list.GetItemText(c.row, 0)), c.label);
  }
}

// ---- Drag and drop ---------------------------------------------------------------------------------

TEST_F(SkinListTest, DragsSelectedRowsOntoAnotherListWithTheNotificationsInOrder) {
  ASSERT_TRUE(MakeList(other, 11, RECT{260, 10, 500, 250}, "contacts"));
  Fill(list, {{"Anna", ""}, {"Bob", ""}, {"Carl", ""}});
  Fill(other, {{"All", ""}, {"Family", ""}, {"Work", ""}, {"Friends", ""}});
  Select(list, {1, 2});
  testing_user::Pump();
  dialog.log.clear();

  const POINT from = RowPoint(list, 1);
  POINT press = from;
  list.ClientToScreen(&press);
  tolvar::user::InjectMouse(press, WM_MOUSEMOVE);
  tolvar::user::InjectMouse(press, WM_LBUTTONDOWN);
  testing_user::Pump();
  kit_testing::MoveMouse(list, POINT{from.x + 20, from.y + 10});  // past the drag distance
  ASSERT_TRUE(list.IsDragging());
  EXPECT_EQ(list.GetSelectedCount(), 2);  // pressing on a selected row keeps the others for the drag
  kit_testing::MoveMouse(other, RowPoint(other, 2));
  EXPECT_EQ(other.GetItemState(2, LVIS_DROPHILITED), LVIS_DROPHILITED);
  kit_testing::MoveMouse(other, RowPoint(other, 3));
  POINT release = RowPoint(other, 3);
  other.ClientToScreen(&release);
  tolvar::user::InjectMouse(release, WM_LBUTTONUP);
  testing_user::Pump();

  EXPECT_FALSE(list.IsDragging());
  EXPECT_EQ(other.GetNextItem(-1, LVNI_DROPHILITED), -1);  // no highlight stays behind
  EXPECT_EQ(dialog.log, (std::vector<std::string>{"list 11 row 2 highlighted", "list 11 row 2 plain",
                                                  "list 11 row 3 highlighted", "drop groups on contacts row 3",
                                                  "list 11 row 3 plain"}));
}

TEST_F(SkinListTest, DropsGoOnlyToListsOfThisFamilyAndNotWhileDragIsOff) {
  Fill(list, {{"Anna", ""}, {"Bob", ""}});
  CListCtrl plain;  // a list view of no kit class under the release point
  ASSERT_TRUE(plain.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, RECT{260, 10, 500, 250}, &dialog, 12));
  plain.InsertColumn(0, "x", LVCFMT_LEFT, 100);
  plain.InsertItem(0, "row");
  plain.InsertItem(1, "row");

  struct Case {
    const char* name;
    bool dragEnabled;
    CWnd* target;
    POINT at;
    std::vector<std::string> drops;
  } const cases[] = {
      {"onto itself", true, &list, RowPoint(list, 0), {"drop groups on groups row -1"}},
      {"onto a plain list view", true, &plain, POINT{40, 40}, {}},
      {"with dragging off", false, &list, RowPoint(list, 0), {}},
  };
  int shift = 0;  // each press lands elsewhere, so that none counts as a double click
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.dragEnabled ? list.EnableDrag() : list.DisableDrag();
    dialog.log.clear();
    Select(list, {1});
    POINT press = RowPoint(list, 1);
    press.x += shift;
    shift += 30;
    list.ClientToScreen(&press);
    tolvar::user::InjectMouse(press, WM_MOUSEMOVE);
    tolvar::user::InjectMouse(press, WM_LBUTTONDOWN);
    testing_user::Pump();
    list.ScreenToClient(&press);
    kit_testing::MoveMouse(list, POINT{press.x + 20, press.y + 12});
    EXPECT_EQ(static_cast<bool>(list.IsDragging()), c.dragEnabled);
    kit_testing::MoveMouse(*c.target, c.at);
    POINT release = c.at;
    c.target->ClientToScreen(&release);
    tolvar::user::InjectMouse(release, WM_LBUTTONUP);
    testing_user::Pump();
    EXPECT_EQ(plain.GetNextItem(-1, LVNI_DROPHILITED), -1);  // nothing is highlighted outside the family
    std::vector<std::string> drops;
    for (const auto& line : dialog.log)
      if (line.rfind("drop", 0) == 0) drops.push_back(line);
    EXPECT_EQ(drops, c.drops);
  }
  plain.DestroyWindow();
}

// ---- Painting --------------------------------------------------------------------------------------

class SkinListPaintTest : public SkinListTest {
protected:
  void SetUp() override {
    SkinListTest::SetUp();
    Fill(list, {{"All Groups", "01/01/2004"}, {"Family", ""}, {"Work", "17/03/2004"}, {"Friends", "05/11/2004"},
                {"Sport", "01/02/2004"}});
  }
  // The colour of the row's fill, read beside its texts (the second column's empty left part).
  COLORREF RowFill(HBITMAP picture, int row) {
    RECT rect{};
    list.GetItemRect(row, &rect, LVIR_BOUNDS);
    return testing_user::PixelAt(picture, 123, (rect.top + rect.bottom) / 2);
  }
  bool HasColour(HBITMAP picture, const RECT& area, COLORREF colour) {
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x)
        if (testing_user::PixelAt(picture, x, y) == colour) return true;
    return false;
  }
};

TEST_F(SkinListPaintTest, RowsShowSelectionFocusAndDropHighlightInTheKitsColours) {
  Select(list, {2});
  // Row 0 never shows a drop highlight; row 3 does; the selected row 2 keeps the selection look.
  for (int row : {0, 3}) list.SetItemState(row, LVIS_DROPHILITED, LVIS_DROPHILITED);
  dialog.SetFocus();
  testing_user::Pump();
  HBITMAP unfocused = tolvar::user::RenderWindow(list);
  ASSERT_NE(unfocused, nullptr);
  EXPECT_EQ(RowFill(unfocused, 0), CSkinListCtrl::kBackgroundColour);
  EXPECT_EQ(RowFill(unfocused, 1), CSkinListCtrl::kBackgroundColour);  // its empty cell shows the fill
  EXPECT_EQ(RowFill(unfocused, 2), CSkinListCtrl::kSelectionColour);
  EXPECT_EQ(RowFill(unfocused, 3), CSkinListCtrl::kSelectionColour);
  DeleteObject(unfocused);

  list.SetFocus();
  testing_user::Pump();
  HBITMAP focused = tolvar::user::RenderWindow(list);
  ASSERT_NE(focused, nullptr);
  testing_user::SavePng(focused, "skin_list_focused");
  EXPECT_EQ(RowFill(focused, 2), CSkinListCtrl::kTextColour);       // inverted while focused
  EXPECT_EQ(RowFill(focused, 3), CSkinListCtrl::kSelectionColour);  // the drop target
  RECT selected{};
  list.GetItemRect(2, &selected, LVIR_BOUNDS);
  selected.right = 120;
  EXPECT_TRUE(HasColour(focused, selected, 0xFFFFFF));  // white text on the inverted row

  // The header: red background, the frame's dark red lines.
  RECT header{};
  list.GetHeader().GetWindowRect(&header);
  list.ScreenToClient(&header);
  EXPECT_EQ(testing_user::PixelAt(focused, 60, header.top + 3), CMyHeader::kBackgroundColour);
  EXPECT_EQ(testing_user::PixelAt(focused, 60, header.top), CMyHeader::kLineColour);
  DeleteObject(focused);
}

// Without the focus, a selected row and the drop target write on the selection fill in whichever
// of the text and background colours reads on it: the kit's own dark blue fill takes the white of
// the background (its dark text would vanish), a light fill keeps the dark text.
TEST_F(SkinListPaintTest, TextOnTheSelectionFillStaysReadableWithoutTheFocus) {
  const struct {
    COLORREF selection, text, hidden;
  } cases[] = {{CSkinListCtrl::kSelectionColour, CSkinListCtrl::kBackgroundColour, CSkinListCtrl::kTextColour},
               {0xFDDAC9, CSkinListCtrl::kTextColour, CSkinListCtrl::kBackgroundColour}};
  Select(list, {2});
  list.SetItemState(3, LVIS_DROPHILITED, LVIS_DROPHILITED);
  dialog.SetFocus();
  for (const auto& c : cases) {
    list.SetSelectionColor(c.selection);
    testing_user::Pump();
    HBITMAP picture = tolvar::user::RenderWindow(list);
    ASSERT_NE(picture, nullptr);
    if (c.selection == CSkinListCtrl::kSelectionColour) testing_user::SavePng(picture, "skin_list_unfocused_selection");
    for (int row : {2, 3}) {
      RECT label{};
      list.GetItemRect(row, &label, LVIR_BOUNDS);
      label.right = 120;
      EXPECT_EQ(RowFill(picture, row), c.selection) << row;
      EXPECT_TRUE(HasColour(picture, label, c.text)) << "row " << row << " on " << std::hex << c.selection;
      EXPECT_FALSE(HasColour(picture, label, c.hidden)) << "row " << row << " on " << std::hex << c.selection;
    }
    DeleteObject(picture);
  }
}

TEST_F(SkinListPaintTest, IndentAndColoursSetOnALiveListReachItsRows) {
  // The first column of row 1 ("Family") that is not the row's fill.
  auto firstInk = [&](HBITMAP picture) {
    RECT rect{};
    list.GetItemRect(1, &rect, LVIR_BOUNDS);
    const COLORREF fill = testing_user::PixelAt(picture, 119, (rect.top + rect.bottom) / 2);
    for (int x = 0; x < 118; ++x)
      for (int y = rect.top; y < rect.bottom; ++y)
        if (testing_user::PixelAt(picture, x, y) != fill) return x;
    return -1;
  };
  Select(list, {2});
  dialog.SetFocus();
  testing_user::Pump();
  HBITMAP before = tolvar::user::RenderWindow(list);
  ASSERT_NE(before, nullptr);
  const int inkBefore = firstInk(before);
  DeleteObject(before);
  ASSERT_GE(inkBefore, 0);

  list.SetTextIndent(10);
  list.SetRowBkColor(0x00FFFF);
  list.SetSelectionColor(0xFDDAC9);
  testing_user::Pump();
  HBITMAP unfocused = tolvar::user::RenderWindow(list);
  ASSERT_NE(unfocused, nullptr);
  EXPECT_EQ(firstInk(unfocused), inkBefore + 10);
  EXPECT_EQ(RowFill(unfocused, 1), 0x00FFFFu);
  EXPECT_EQ(RowFill(unfocused, 2), 0xFDDAC9u);
  DeleteObject(unfocused);

  list.SetRowTextColor(0x0000FF);
  list.SetFocus();
  testing_user::Pump();
  HBITMAP focused = tolvar::user::RenderWindow(list);
  ASSERT_NE(focused, nullptr);
  EXPECT_EQ(RowFill(focused, 2), 0x0000FFu);  // the selection inverted in the text colour
  DeleteObject(focused);
}

TEST_F(SkinListPaintTest, SelectedRowIsBold) {
  auto inkWidth = [&](int row) {
    HBITMAP picture = tolvar::user::RenderWindow(list);
    RECT rect{};
    list.GetItemRect(row, &rect, LVIR_BOUNDS);
    const COLORREF fill = testing_user::PixelAt(picture, 119, (rect.top + rect.bottom) / 2);
    int ink = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
      for (int x = 0; x < 118; ++x) ink += testing_user::PixelAt(picture, x, y) != fill;
    DeleteObject(picture);
    return ink;
  };
  dialog.SetFocus();
  testing_user::Pump();
  const int plain = inkWidth(1);
  Select(list, {1});
  testing_user::Pump();
  EXPECT_GT(inkWidth(1), plain);
}

TEST_F(SkinListPaintTest, PrintedOffScreenItLooksAsOnScreen) {
  Select(list, {1, 3});
  list.SetFocus();
  testing_user::Pump();
  HBITMAP screen = tolvar::user::RenderWindow(list);
  ASSERT_NE(screen, nullptr);
  RECT window{};
  list.GetWindowRect(&window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  HDC listDC = GetDC(list);
  tolvar::gdi::UniqueDC memory(CreateCompatibleDC(listDC));
  tolvar::gdi::UniqueBitmap printed(CreateCompatibleBitmap(listDC, width, height));
  ReleaseDC(list, listDC);
  {
    tolvar::gdi::ScopedSelect select(memory.Get(), printed.Get());
    list.SendMessage(WM_PRINT, reinterpret_cast<WPARAM>(memory.Get()), PRF_CLIENT | PRF_CHILDREN | PRF_NONCLIENT);
  }
  testing_user::SavePng(printed.Get(), "skin_list_printed");
  int differences = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      differences += testing_user::PixelAt(screen, x, y) != testing_user::PixelAt(printed.Get(), x, y);
  EXPECT_EQ(differences, 0);
  DeleteObject(screen);
}

TEST_F(SkinListPaintTest, DragImageShowsTheSelectedLabelsInTheirPlaces) {
  Select(list, {1, 2, 4});
  POINT cursorAt = RowPoint(list, 2);
  POINT screenPoint = cursorAt;
  list.ClientToScreen(&screenPoint);
  tolvar::user::InjectMouse(screenPoint, WM_MOUSEMOVE);
  testing_user::Pump();
  POINT hotSpot{};
  auto image = list.CreateSelectionDragImage(&hotSpot);
  ASSERT_NE(image, nullptr);
  RECT first{}, last{}, icon{};
  list.GetItemRect(1, &first, LVIR_BOUNDS);
  list.GetItemRect(4, &last, LVIR_BOUNDS);
  list.GetItemRect(1, &icon, LVIR_ICON);
  IMAGEINFO info{};
  ASSERT_TRUE(image->GetImageInfo(0, &info));
  EXPECT_EQ(info.rcImage.right - info.rcImage.left, first.right - first.left);
  EXPECT_EQ(info.rcImage.bottom - info.rcImage.top, last.bottom - first.top);
  EXPECT_EQ(hotSpot.x, cursorAt.x - first.left);
  EXPECT_EQ(hotSpot.y, cursorAt.y - first.top);

  // Drawn over green: white where the rows are, their labels in black, row 3 blank.
  const int width = first.right - first.left;
  const int height = last.bottom - first.top;
  HDC listDC = GetDC(list);
  tolvar::gdi::UniqueDC memory(CreateCompatibleDC(listDC));
  tolvar::gdi::UniqueBitmap picture(CreateCompatibleBitmap(listDC, width, height));
  ReleaseDC(list, listDC);
  {
    tolvar::gdi::ScopedSelect select(memory.Get(), picture.Get());
    RECT all{0, 0, width, height};
    tolvar::gdi::UniqueBrush green(CreateSolidBrush(0x00FF00));
    FillRect(memory.Get(), &all, green.Get());
    ImageList_Draw(*image, 0, memory.Get(), 0, 0, ILD_TRANSPARENT);
  }
  testing_user::SavePng(picture.Get(), "skin_list_drag_image");
  const int rowHeight = first.bottom - first.top;
  auto inkIn = [&](int row) {
    RECT area{icon.right - icon.left, row * rowHeight, width, (row + 1) * rowHeight};
    int ink = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) ink += testing_user::PixelAt(picture.Get(), x, y) == 0;
    return ink;
  };
  EXPECT_GT(inkIn(0), 0);   // "Family"
  EXPECT_GT(inkIn(1), 0);   // "Work"
  EXPECT_EQ(inkIn(2), 0);   // row 3 is not selected
  EXPECT_GT(inkIn(3), 0);   // "Sport"
  EXPECT_EQ(testing_user::PixelAt(picture.Get(), width - 2, rowHeight * 2 + 2), 0xFFFFFFu);

  Select(list, {});
  EXPECT_EQ(list.CreateSelectionDragImage(&hotSpot), nullptr);  // nothing selected: no image
}

// ---- The header ------------------------------------------------------------------------------------

TEST_F(SkinListPaintTest, HeaderTakesAProgramsColours) {
  CMyHeader& header = list.GetHeader();
  header.SetColours(0xFDEAE1, 0x0000FF, 0x822A08);
  testing_user::Pump();
  HBITMAP picture = tolvar::user::RenderWindow(header);
  ASSERT_NE(picture, nullptr);
  RECT client{};
  header.GetClientRect(&client);
  EXPECT_EQ(testing_user::PixelAt(picture, 230, 0), COLORREF(0xFDEAE1));
  EXPECT_EQ(testing_user::PixelAt(picture, 119, client.bottom / 2), COLORREF(0x822A08));
  bool text = false;
  for (int x = 2; x < 110; ++x)
    for (int y = 1; y < client.bottom - 1; ++y) text |= testing_user::PixelAt(picture, x, y) == COLORREF(0x0000FF);
  EXPECT_TRUE(text);
  DeleteObject(picture);
}

TEST_F(SkinListPaintTest, HeaderItemsFrameSeparatorsBitmapsAndEllipsis) {
  CMyHeader& header = list.GetHeader();
  // Column 1 centred with a text too long for it, and a bitmap wider than the column on column 0.
  HDITEMA item{};
  item.mask = HDI_FORMAT | HDI_TEXT;
  item.fmt = HDF_CENTER | HDF_STRING;
  item.pszText = const_cast<LPSTR>("A heading far too long for the column");
  header.SetItem(1, &item);
  HDC listDC = GetDC(list);
  tolvar::gdi::UniqueBitmap wide(CreateCompatibleBitmap(listDC, 200, 8));
  ReleaseDC(list, listDC);
  HDITEMA bitmapItem{};
  bitmapItem.mask = HDI_BITMAP | HDI_FORMAT;
  bitmapItem.fmt = HDF_STRING | HDF_BITMAP;
  bitmapItem.hbm = wide.Get();
  header.SetItem(0, &bitmapItem);
  testing_user::Pump();

  HBITMAP picture = tolvar::user::RenderWindow(header);
  ASSERT_NE(picture, nullptr);
  testing_user::SavePng(picture, "skin_list_header");
  RECT client{};
  header.GetClientRect(&client);
  const int mid = client.bottom / 2;
  // The 3D frame ends where the items end (220); beyond it the background alone.
  EXPECT_EQ(testing_user::PixelAt(picture, 219, mid), CMyHeader::kLineColour);
  EXPECT_EQ(testing_user::PixelAt(picture, 230, 0), CMyHeader::kBackgroundColour);
  EXPECT_EQ(testing_user::PixelAt(picture, 100, 0), CMyHeader::kLineColour);
  // A separator after the first item, none at the last item's right edge but the frame.
  EXPECT_EQ(testing_user::PixelAt(picture, 119, mid), CMyHeader::kLineColour);
  EXPECT_EQ(testing_user::PixelAt(picture, 218, mid), CMyHeader::kBackgroundColour);
  // The too-wide bitmap (black, ANDed) is not drawn: the text starts at the item's left edge.
  bool blackBitmap = false;
  for (int x = 1; x < 118; ++x) blackBitmap |= testing_user::PixelAt(picture, x, client.bottom / 2 + 3) == 0;
  EXPECT_FALSE(blackBitmap);
  auto firstInk = [&](int from, int to) {
    for (int x = from; x < to; ++x)
      for (int y = 1; y < client.bottom - 1; ++y) {
        const COLORREF colour = testing_user::PixelAt(picture, x, y);
        if (colour != CMyHeader::kBackgroundColour && colour != CMyHeader::kLineColour) return x;
      }
    return -1;
  };
  EXPECT_LT(firstInk(1, 118), 6);
  // The centred long heading starts at its item's left edge too.
  EXPECT_LT(firstInk(122, 218), 126);
  DeleteObject(picture);

  // Cut with an ellipsis, the text takes no more than its rectangle.
  CClientDC dc(&header);
  RECT narrow{0, 0, 60, 18};
  EXPECT_EQ(header.DrawItemText(&dc, narrow, item), 60);
  RECT none{10, 0, 10, 18};
  EXPECT_EQ(header.DrawItemText(&dc, none, item), 0);
}

// The row bitmap is ANDed onto a square of the row height at the left of a selected row: its black
// half shows black, its white half leaves the selection fill; other rows show nothing of it. While
// the list has the focus the inverted fill covers it.
TEST_F(SkinListPaintTest, TheRowBitmapIsAndedOntoTheSelectedRowsLeftSquare) {
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = 2;
  format.bmiHeader.biHeight = -2;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP halves = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_TRUE(halves);
  const std::uint32_t pixels[4] = {0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF};  // black left, white right
  std::memcpy(bits, pixels, sizeof pixels);
  list.m_rowBitmap.Attach(halves);
  Select(list, {2});
  dialog.SetFocus();
  testing_user::Pump();
  list.Invalidate();
  HBITMAP picture = tolvar::user::RenderWindow(list);
  ASSERT_NE(picture, nullptr);
  testing_user::SavePng(picture, "skin_list_row_bitmap");
  const int side = list.GetRowHeight();
  ASSERT_GT(side, 4);
  for (int row : {1, 2}) {
    SCOPED_TRACE(row);
    RECT r{};
    list.GetItemRect(row, &r, LVIR_BOUNDS);
    const COLORREF fill = row == 2 ? CSkinListCtrl::kSelectionColour : CSkinListCtrl::kBackgroundColour;
    EXPECT_EQ(testing_user::PixelAt(picture, r.left + 1, r.top + 1), row == 2 ? COLORREF(0) : fill);
    EXPECT_EQ(testing_user::PixelAt(picture, r.left + side - 2, r.top + 1), fill);
    EXPECT_EQ(testing_user::PixelAt(picture, r.left + side + 2, r.top + 1), fill);  // beyond the square
  }
  DeleteObject(picture);

  list.SetFocus();
  testing_user::Pump();
  HBITMAP focused = tolvar::user::RenderWindow(list);
  ASSERT_NE(focused, nullptr);
  RECT r{};
  list.GetItemRect(2, &r, LVIR_BOUNDS);
  EXPECT_EQ(testing_user::PixelAt(focused, r.left + 1, r.top + 1), CSkinListCtrl::kTextColour);
  DeleteObject(focused);
  list.m_rowBitmap.DeleteObject();
}

// An item marked owner-drawn is left to the header class's DrawItem, with the record a header
// control gives: the item, its rectangle, the header and the DC being painted; the other items are
// painted by the kit.
TEST_F(SkinListPaintTest, AnOwnerDrawnHeaderItemGoesToDrawItemWithItsRecord) {
  class CPaintedHeader : public CMyHeader {
   public:
    std::vector<DRAWITEMSTRUCT> drawn;
    void DrawItem(LPDRAWITEMSTRUCT draw) override {
      drawn.push_back(*draw);
      ::SetBkColor(draw->hDC, 0x00FF00);
      ::ExtTextOutA(draw->hDC, 0, 0, ETO_OPAQUE, &draw->rcItem, nullptr, 0, nullptr);
    }
  } header;
  ASSERT_TRUE(header.Create(WS_CHILD | WS_VISIBLE | HDS_HORZ, RECT{0, 200, 300, 220}, &dialog, 77));
  HDITEMA item{};
  item.mask = HDI_FORMAT | HDI_TEXT | HDI_WIDTH;
  item.fmt = HDF_STRING;
  item.pszText = const_cast<LPSTR>("Name");
  item.cxy = 100;
  header.InsertItem(0, &item);
  item.fmt = HDF_OWNERDRAW;
  item.pszText = const_cast<LPSTR>("Drawn");
  header.InsertItem(1, &item);
  testing_user::Pump();
  header.Invalidate();
  HBITMAP picture = tolvar::user::RenderWindow(header);
  ASSERT_NE(picture, nullptr);
  testing_user::SavePng(picture, "skin_list_header_owner_drawn");
  ASSERT_FALSE(header.drawn.empty());
  const DRAWITEMSTRUCT& last = header.drawn.back();
  RECT expected{};
  header.GetItemRect(1, &expected);
  EXPECT_EQ(last.itemID, 1u);
  EXPECT_EQ(last.CtlID, 77u);
  EXPECT_EQ(last.itemAction, UINT(ODA_DRAWENTIRE));
  EXPECT_EQ(last.hwndItem, header.m_hWnd);
  EXPECT_TRUE(EqualRect(&last.rcItem, &expected));
  for (const DRAWITEMSTRUCT& draw : header.drawn) EXPECT_EQ(draw.itemID, 1u);  // never the kit's item
  EXPECT_EQ(testing_user::PixelAt(picture, (expected.left + expected.right) / 2, 10), COLORREF(0x00FF00));
  EXPECT_NE(testing_user::PixelAt(picture, 50, 10), COLORREF(0x00FF00));
  DeleteObject(picture);
  header.DestroyWindow();
}

TEST_F(SkinListPaintTest, HeaderWithoutItemsShowsOnlyItsBackground) {
  list.DeleteColumn(1);
  list.DeleteColumn(0);
  testing_user::Pump();
  HBITMAP picture = tolvar::user::RenderWindow(list.GetHeader());
  ASSERT_NE(picture, nullptr);
  RECT client{};
  list.GetHeader().GetClientRect(&client);
  for (int x : {0, 50, client.right - 1})
    for (int y : {0, static_cast<int>(client.bottom) - 1}) EXPECT_EQ(testing_user::PixelAt(picture, x, y), CMyHeader::kBackgroundColour);
  DeleteObject(picture);
}

// ---- The scroll bar --------------------------------------------------------------------------------

class SkinScrollBarTest : public SkinListTest {
protected:
  void SetUp() override {
    SkinListTest::SetUp();
    for (int i = 0; i < kRows; ++i) list.AddItem(("Row " + std::to_string(i)).c_str(), i, 0);
    testing_user::Pump();
  }
  // A point of the bar in screen coordinates, `along` pixels from its top (negative: from its
  // bottom).
  POINT OnBar(int along) {
    const RECT bar = list.GetScrollBar().BarRect();
    RECT window{};
    list.GetWindowRect(&window);
    const int y = along >= 0 ? bar.top + along : bar.bottom + along;
    return POINT{window.left + (bar.left + bar.right) / 2, window.top + y};
  }
  // The colour of the bar's pixel `along` pixels from its top (negative: from its bottom), on the
  // bar's middle column or `dx` beside it.
  COLORREF BarPixel(int along, int dx = 0) {
    const RECT bar = list.GetScrollBar().BarRect();
    HBITMAP picture = tolvar::user::RenderWindow(list);
    const int y = along >= 0 ? bar.top + along : bar.bottom + along;
    const COLORREF colour = testing_user::PixelAt(picture, (bar.left + bar.right) / 2 + dx, y);
    DeleteObject(picture);
    return colour;
  }
  void ClickAt(POINT screen) {
    tolvar::user::InjectMouse(screen, WM_MOUSEMOVE);
    tolvar::user::InjectMouse(screen, WM_LBUTTONDOWN);
    tolvar::user::InjectMouse(screen, WM_LBUTTONUP);
    testing_user::Pump();
    // Far away before the next press, so that no two presses make a double click.
    tolvar::user::InjectMouse(POINT{0, 0}, WM_MOUSEMOVE);
    testing_user::Pump();
  }
  static constexpr int kRows = 40;
};

TEST_F(SkinScrollBarTest, TakesTheWindowBarsPlaceFlatInTheListsColoursWhileRowsDoNotFit) {
  const int width = GetSystemMetrics(SM_CXVSCROLL);
  const int arrow = GetSystemMetrics(SM_CYVSCROLL);
  auto clientWidth = [&] {
    RECT client{};
    list.GetClientRect(&client);
    return static_cast<int>(client.right);
  };
  ASSERT_TRUE(list.GetScrollBar().IsShown());
  EXPECT_FALSE(list.GetStyle() & WS_VSCROLL);  // the window manager's bar is not drawn
  EXPECT_EQ(clientWidth(), 240 - width);
  HBITMAP picture = tolvar::user::RenderWindow(list);
  ASSERT_NE(picture, nullptr);
  testing_user::SavePng(picture, "skin_list_scroll_bar");
  DeleteObject(picture);

  const struct {
    const char* name;
    int along;
    int dx;
    COLORREF colour;
  } pixels[] = {
      {"up arrow face", 1, -width / 2 + 1, CSkinListCtrl::kTextColour},
      {"up arrow glyph", arrow / 2, 0, CSkinListCtrl::kSelectionColour},
      {"thumb at the top", arrow + 3, 0, CSkinListCtrl::kTextColour},
      {"thumb's edge", arrow + 3, -width / 2, CSkinListCtrl::kBackgroundColour},
      {"track below it", -arrow - 2, 0, CSkinListCtrl::kBackgroundColour},
      {"down arrow glyph", -arrow / 2 - 1, 0, CSkinListCtrl::kSelectionColour},
  };
  for (const auto& p : pixels) EXPECT_EQ(BarPixel(p.along, p.dx), p.colour) << p.name;

  // Printed (WM_PRINT with the non-client part), the bar looks as on screen.
  {
    const RECT bar = list.GetScrollBar().BarRect();
    RECT window{};
    list.GetWindowRect(&window);
    HDC listDC = GetDC(list);
    tolvar::gdi::UniqueDC memory(CreateCompatibleDC(listDC));
    tolvar::gdi::UniqueBitmap printed(CreateCompatibleBitmap(listDC, window.right - window.left, window.bottom - window.top));
    ReleaseDC(list, listDC);
    {
      tolvar::gdi::ScopedSelect select(memory.Get(), printed.Get());
      list.SendMessage(WM_PRINT, reinterpret_cast<WPARAM>(memory.Get()), PRF_NONCLIENT);
    }
    HBITMAP screen = tolvar::user::RenderWindow(list);
    int differences = 0;
    for (int y = bar.top; y < bar.bottom; ++y)
      for (int x = bar.left; x < bar.right; ++x)
        differences += testing_user::PixelAt(screen, x, y) != testing_user::PixelAt(printed.Get(), x, y);
    EXPECT_EQ(differences, 0);
    DeleteObject(screen);
  }

  // The selection colour reaches the bar at once.
  list.SetSelectionColor(0xFDDAC9);
  testing_user::Pump();
  EXPECT_EQ(BarPixel(arrow / 2), 0xFDDAC9u);

  // With rows that fit, the strip goes back to the rows; with more again it comes back.
  while (list.GetItemCount() > 3) list.DeleteItem(list.GetItemCount() - 1);
  testing_user::Pump();
  EXPECT_FALSE(list.GetScrollBar().IsShown());
  EXPECT_FALSE(list.GetStyle() & WS_VSCROLL);
  EXPECT_EQ(clientWidth(), 240);
  for (int i = 0; i < 30; ++i) list.AddItem("more", 100 + i, 0);
  testing_user::Pump();
  EXPECT_TRUE(list.GetScrollBar().IsShown());
  EXPECT_EQ(clientWidth(), 240 - width);
}

TEST_F(SkinScrollBarTest, ArrowsPagesThumbAndWheelScrollTheRowsAndTheBarFollows) {
  const int arrow = GetSystemMetrics(SM_CYVSCROLL);
  const int perPage = list.GetCountPerPage();
  const int last = kRows - perPage;  // the top row of the last page
  ASSERT_GT(last, perPage + 3);
  ASSERT_EQ(list.GetTopIndex(), 0);

  struct Step {
    const char* name;
    std::function<void()> act;
    int top;  // the list's top row afterwards
  } const steps[] = {
      {"down arrow", [&] { ClickAt(OnBar(-arrow / 2)); }, 1},
      {"track below the thumb", [&] { ClickAt(OnBar(-arrow - 2)); }, 1 + perPage},
      {"up arrow", [&] { ClickAt(OnBar(arrow / 2)); }, perPage},
      {"thumb dragged to the bottom",
       [&] {
         // The thumb stands a little below the up arrow at this position.
         int along = arrow;
         while (BarPixel(along) != CSkinListCtrl::kTextColour && along < 200) ++along;
         tolvar::user::InjectMouse(OnBar(along + 1), WM_MOUSEMOVE);
         tolvar::user::InjectMouse(OnBar(along + 1), WM_LBUTTONDOWN);
         tolvar::user::InjectMouse(OnBar(-1), WM_MOUSEMOVE);
         tolvar::user::InjectMouse(OnBar(-1), WM_LBUTTONUP);
         testing_user::Pump();
       },
       last},
      {"track above the thumb", [&] { ClickAt(OnBar(arrow + 2)); }, last - perPage},
      {"wheel toward the user", [&] { list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0); }, last - perPage + 3},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    step.act();
    EXPECT_EQ(list.GetTopIndex(), step.top);
    EXPECT_FALSE(list.GetStyle() & WS_VSCROLL);
  }
  // The bar shows where the rows are: the thumb is no longer at either end.
  EXPECT_EQ(BarPixel(arrow + 3), CSkinListCtrl::kBackgroundColour);
  EXPECT_EQ(BarPixel(-arrow - 3), CSkinListCtrl::kBackgroundColour);
  list.SendMessage(WM_VSCROLL, SB_BOTTOM);
  testing_user::Pump();
  EXPECT_EQ(list.GetTopIndex(), last);
  EXPECT_EQ(BarPixel(-arrow - 3), CSkinListCtrl::kTextColour);  // the thumb at the bottom
  EXPECT_EQ(BarPixel(arrow + 1), CSkinListCtrl::kBackgroundColour);
}

// A list that counts the rows it draws.
class CCountingList : public CSkinListCtrl {
public:
  int drawn = 0;
  void DrawItem(LPDRAWITEMSTRUCT draw) override {
    ++drawn;
    CSkinListCtrl::DrawItem(draw);
  }
};

TEST_F(SkinListTest, PaintsNothingWhileItsParentHasNoClientArea) {
  CWnd host;
  ASSERT_TRUE(host.CreateEx(0, nullptr, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, dialog, nullptr));
  CCountingList hosted;
  ASSERT_TRUE(hosted.Create(WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 100}, &host, 20));
  hosted.InsertColumn(0, "Name", LVCFMT_LEFT, 80);
  hosted.AddItem("row", 1, 0);
  hosted.Invalidate();
  hosted.UpdateWindow();
  EXPECT_EQ(hosted.drawn, 0);
  RECT update{};
  EXPECT_FALSE(GetUpdateRect(hosted, &update, FALSE));  // validated all the same

  host.MoveWindow(0, 0, 120, 120);
  hosted.Invalidate();
  hosted.UpdateWindow();
  EXPECT_EQ(hosted.drawn, 1);
  hosted.DestroyWindow();
  host.DestroyWindow();
}

}  // namespace

// A list made from a dialog template that asks for a vertical bar, subclassed and given one column
// as wide as its client area (as the phone selection does): while its rows fit it shows no bar of
// either kind, also after rows that did not fit are deleted.
TEST_F(SkinListTest, ATemplatesListWhoseRowsAndColumnFitShowsNoScrollBar) {
  struct Case {
    const char* what;
    int rowsFirst;
    int rowsAfter;
    bool vertical;  // the kit's bar
  };
  const Case cases[] = {{"three rows", 3, 3, false},
                        {"forty rows deleted down to three", 40, 3, false},
                        {"forty rows: the column fits beside the vertical bar", 40, 40, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND made = CreateWindowExA(0, "SysListView32", "",
                                WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | WS_VSCROLL | LVS_REPORT | LVS_SINGLESEL |
                                    LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER | LVS_OWNERDRAWFIXED,
                                10, 10, 240, 200, dialog, reinterpret_cast<HMENU>(30), nullptr, nullptr);
    ASSERT_NE(made, nullptr);
    CSkinListCtrl phones;
    ASSERT_TRUE(phones.SubclassWindow(made));
    phones.SetFont("Verdana", 14, FALSE, FALSE);
    RECT client{};
    phones.GetClientRect(&client);
    const int width = client.right;
    phones.InsertColumn(0, "", LVCFMT_LEFT, width);
    phones.InsertColumn(1, "", LVCFMT_LEFT, 0);
    for (int i = 0; i < c.rowsFirst; ++i) phones.AddItem("phone", i, 0);
    testing_user::Pump();
    while (phones.GetItemCount() > c.rowsAfter) phones.DeleteItem(phones.GetItemCount() - 1);
    testing_user::Pump();
    phones.GetClientRect(&client);
    EXPECT_FALSE(phones.GetStyle() & WS_HSCROLL);
    EXPECT_FALSE(phones.GetStyle() & WS_VSCROLL);
    EXPECT_EQ(phones.GetScrollBar().IsShown(), c.vertical);
    EXPECT_GE(client.right, width) << "the column fits";
    phones.DestroyWindow();
  }
}
