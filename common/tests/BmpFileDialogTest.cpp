// The bitmap file dialog with the template of the test program's own resources: OK reads "Add",
// a selected bitmap is previewed (drawn to fit) and described, the wanted properties hold OK back
// for a bitmap without them (and for a file that is no bitmap), the preview box hides the preview
// and is remembered, and accepting a file frees the preview.
#include <BmpFileDialog.h>
#include <Common.h>

#include <controls/Controls.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::function<void(HWND)>> g_steps;
std::size_t g_next = 0;
int g_idle = 0;

void Tick(HWND owner, UINT, UINT_PTR, DWORD) {
  HWND active = GetActiveWindow();
  if (!active || active == owner || !IsWindowVisible(active) || !GetDlgItem(active, lst1)) return;
  if (g_next < g_steps.size()) {
    g_steps[g_next++](active);
    return;
  }
  if (++g_idle > 400) EndDialog(active, IDCANCEL);
}

void Click(POINT screen) {
  tolvar::user::InjectMouse(screen, WM_LBUTTONDOWN);
  tolvar::user::InjectMouse(screen, WM_LBUTTONUP);
}

std::function<void(HWND)> ClickFile(std::string name) {
  return [name](HWND dialog) {
    HWND list = GetDlgItem(dialog, lst1);
    LVFINDINFOA find{};
    find.flags = LVFI_STRING;
    find.psz = name.c_str();
    const int item = static_cast<int>(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    ASSERT_GE(item, 0) << name;
    RECT rect{};
    rect.left = LVIR_LABEL;
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rect));
    POINT point{rect.left + 6, (rect.top + rect.bottom) / 2};
    ClientToScreen(list, &point);
    Click(point);
  };
}

HWND Child(HWND dialog) { return FindWindowExA(dialog, nullptr, "#32770", nullptr); }

std::string Text(HWND window, int id) {
  char text[128] = {};
  GetDlgItemTextA(window, id, text, sizeof text);
  return text;
}

// What the dialog shows at a moment.
struct Look {
  std::string ok, width, height, colours, size;
  bool okEnabled = false, viewEnabled = false, previewShown = false, boxChecked = false;
  COLORREF centre = 0, corner = 0;  // of the preview control
};
std::function<void(HWND)> Observe(Look* look, const char* png = nullptr) {
  return [look, png](HWND dialog) {
    HWND child = Child(dialog);
    look->ok = Text(dialog, IDOK);
    look->okEnabled = IsWindowEnabled(GetDlgItem(dialog, IDOK));
    look->width = Text(child, CBmpFileDialog::kWidth);
    look->height = Text(child, CBmpFileDialog::kHeight);
    look->colours = Text(child, CBmpFileDialog::kColours);
    look->size = Text(child, CBmpFileDialog::kSize);
    look->viewEnabled = IsWindowEnabled(GetDlgItem(child, CBmpFileDialog::kPreviewButton));
    look->previewShown = IsWindowVisible(GetDlgItem(child, CBmpFileDialog::kPreview));
    look->boxChecked = IsDlgButtonChecked(child, CBmpFileDialog::kPreviewBox) == BST_CHECKED;
    HBITMAP picture = tolvar::user::RenderWindow(dialog);
    RECT preview;
    GetWindowRect(GetDlgItem(child, CBmpFileDialog::kPreview), &preview);
    RECT frame;
    GetWindowRect(dialog, &frame);
    // The rendered picture starts at the window's frame.
    const int x = (preview.left + preview.right) / 2 - frame.left, y = (preview.top + preview.bottom) / 2 - frame.top;
    look->centre = testing_user::PixelAt(picture, x, y);
    look->corner = testing_user::PixelAt(picture, preview.left - frame.left + 1, preview.top - frame.top + 1);
    if (png) testing_user::SavePng(picture, png);
    DeleteObject(picture);
  };
}

// A bitmap file of a solid colour.
void WriteBmp(const fs::path& path, int width, int height, int bits) {
  const int stride = ((width * bits + 31) / 32) * 4, colours = bits <= 8 ? 1 << bits : 0;
  const int offset = 54 + colours * 4, size = offset + stride * height;
  std::vector<unsigned char> b;
  auto u16 = [&](int v) { b.push_back(static_cast<unsigned char>(v)), b.push_back(static_cast<unsigned char>(v >> 8)); };
  auto u32 = [&](int v) { u16(v & 0xFFFF), u16((v >> 16) & 0xFFFF); };
  b.push_back('B'), b.push_back('M');
  u32(size), u32(0), u32(offset), u32(40), u32(width), u32(height), u16(1), u16(bits), u32(0), u32(0), u32(0), u32(0),
      u32(0), u32(0);
  for (int i = 0; i < colours; ++i) b.insert(b.end(), {0, 0, static_cast<unsigned char>(i ? 0 : 255), 0});  // 0 is red
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < stride; ++x) b.push_back(bits == 24 && x < width * 3 && x % 3 == 2 ? 255 : 0);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

class BmpFileDialogs : public ::testing::Test {
protected:
  void SetUp() override {
    m_folder = fs::path(std::getenv("TOLVAR_HOME")) / ("pictures-" + std::to_string(++s_count));
    fs::create_directories(m_folder);
    WriteBmp(m_folder / "wide.bmp", 200, 100, 24);  // 60,054 bytes: 58 Kb
    WriteBmp(m_folder / "small.bmp", 20, 10, 8);
    std::ofstream(m_folder / "fake.bmp") << "not a bitmap at all";
    m_owner = CreateWindowExA(0, testing_user::PlainClass(), "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 400, 300,
                              nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(m_owner);
    SetActiveWindow(m_owner);
    testing_user::Pump();
    g_next = 0;
    g_idle = 0;
    m_initial = m_folder.string();
    CBmpFileDialog::m_showpreview = TRUE;
  }
  void TearDown() override { DestroyWindow(m_owner); }
  INT_PTR Run(CBmpFileDialog& dialog, std::vector<std::function<void(HWND)>> steps) {
    g_steps = std::move(steps);
    g_next = 0;
    g_idle = 0;
    dialog.m_ofn.hwndOwner = m_owner;
    dialog.m_ofn.lpstrInitialDir = m_initial.c_str();
    SetTimer(m_owner, 5, 10, Tick);
    INT_PTR result = dialog.DoModal();
    KillTimer(m_owner, 5);
    EXPECT_LE(g_idle, 400) << "the dialog ended by itself";
    return result;
  }

  static inline int s_count = 0;
  fs::path m_folder;
  std::string m_initial;
  HWND m_owner = nullptr;
};

TEST_F(BmpFileDialogs, ASelectedBitmapIsPreviewedAndDescribed) {
  CBmpFileDialog dialog(TRUE, "bmp", nullptr, OFN_FILEMUSTEXIST, "ignored|*.*||");
  Look start, wide;
  ASSERT_EQ(Run(dialog, {Observe(&start), ClickFile("wide.bmp"), Observe(&wide, "bitmap_file_dialog"),
                         [](HWND) {
                           tolvar::user::InjectKey(VK_RETURN, true);
                           tolvar::user::InjectKey(VK_RETURN, false);
                         }}),
            IDOK);
  EXPECT_EQ(start.ok, "Add");
  EXPECT_TRUE(start.boxChecked);
  EXPECT_FALSE(start.viewEnabled);
  EXPECT_EQ(wide.width, "Width: 200 pixels");
  EXPECT_EQ(wide.height, "Height: 100 pixels");
  EXPECT_EQ(wide.colours, "Colors: 16 millions");
  EXPECT_EQ(wide.size, "Size: 58 Kb");
  EXPECT_TRUE(wide.viewEnabled);
  EXPECT_TRUE(wide.okEnabled) << "no wanted properties: any bitmap";
  // Wider than the control: it fills the width, and the band above it stays the dialog's face.
  EXPECT_EQ(wide.centre, RGB(255, 0, 0));
  EXPECT_EQ(wide.corner, GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(std::string(dialog.GetPathName()), (m_folder / "wide.bmp").string());
  EXPECT_EQ(CBmpFileDialog::hpreview, nullptr) << "accepting the file freed the preview";
}

TEST_F(BmpFileDialogs, WantedPropertiesAllowOnlyABitmapThatHasThem) {
  CBmpFileDialog dialog(TRUE);
  CBmpFileDialog::SetWantedBmpProperties(200, 100, 24);
  Look small, wide, fake;
  EXPECT_EQ(Run(dialog, {ClickFile("small.bmp"), Observe(&small), ClickFile("wide.bmp"), Observe(&wide),
                         ClickFile("fake.bmp"), Observe(&fake),
                         [](HWND d) { EndDialog(d, IDCANCEL); }}),
            IDCANCEL);
  EXPECT_FALSE(small.okEnabled);
  EXPECT_EQ(small.colours, "Colors: 256");
  EXPECT_TRUE(wide.okEnabled);
  // A file that is no bitmap has none of the properties, and nothing of the last one stays shown.
  EXPECT_FALSE(fake.okEnabled);
  EXPECT_EQ(fake.width, "");
  EXPECT_EQ(fake.size, "");
  EXPECT_FALSE(fake.viewEnabled);
  EXPECT_EQ(CBmpFileDialog::m_nBmWidth, 200);
}

TEST_F(BmpFileDialogs, ThePreviewBoxHidesThePreviewAndIsRemembered) {
  Look before, off, next;
  {
    CBmpFileDialog dialog(TRUE);
    EXPECT_EQ(Run(dialog, {ClickFile("wide.bmp"), Observe(&before),
                           [](HWND d) {
                             RECT box;
                             GetWindowRect(GetDlgItem(Child(d), CBmpFileDialog::kPreviewBox), &box);
                             Click(POINT{box.left + 6, (box.top + box.bottom) / 2});
                           },
                           Observe(&off), [](HWND d) { EndDialog(d, IDCANCEL); }}),
              IDCANCEL);
  }
  EXPECT_TRUE(before.previewShown);
  EXPECT_FALSE(off.boxChecked);
  EXPECT_FALSE(off.previewShown);
  EXPECT_EQ(off.width, "");
  EXPECT_EQ(CBmpFileDialog::m_showpreview, FALSE);
  EXPECT_EQ(CBmpFileDialog::hpreview, nullptr);

  CBmpFileDialog again(TRUE);
  EXPECT_EQ(Run(again, {ClickFile("wide.bmp"), Observe(&next), [](HWND d) { EndDialog(d, IDCANCEL); }}), IDCANCEL);
  EXPECT_FALSE(next.boxChecked) << "the box keeps its state between dialogs";
  EXPECT_EQ(next.width, "") << "no preview is loaded while the box is off";
}

}  // namespace
