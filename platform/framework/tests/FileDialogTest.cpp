// CFileDialog: the class's virtuals hear the dialog (and may refuse a choice), the filter in the
// class library's "|" form, several files walked with GetStartPosition/GetNextPathName, and a
// derived class's own hook and child template working through the class.
#include <framework/Afx.h>
#include <controls/Controls.h>
#include <framework/FileDialog.h>
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

void Key(UINT key) {
  tolvar::user::InjectKey(key, true);
  tolvar::user::InjectKey(key, false);
}
std::function<void(HWND)> Type(std::string text) {
  return [text](HWND dialog) {
    SetFocus(GetDlgItem(dialog, edt1));
    SetDlgItemTextA(dialog, edt1, "");
    tolvar::user::InjectText(text.c_str());
  };
}
std::function<void(HWND)> Press(UINT key) {
  return [key](HWND) { Key(key); };
}

class RecordingFileDialog : public CFileDialog {
public:
  using CFileDialog::CFileDialog;
  std::vector<std::string> heard;
  int refusals = 1;  // OnFileNameOK refuses this many choices first

protected:
  BOOL OnInitDialog() override {
    heard.push_back("initdialog");
    return CFileDialog::OnInitDialog();
  }
  void OnInitDone() override { heard.push_back("initdone"); }
  void OnFolderChange() override { heard.push_back("folder " + std::string(GetFolderPath())); }
  void OnFileNameChange() override { heard.push_back("name"); }
  void OnTypeChange() override { heard.push_back("type"); }
  BOOL OnFileNameOK() override {
    heard.push_back("ok " + std::string(GetPathName()));
    return refusals-- > 0;
  }
};

class FileDialogClass : public ::testing::Test {
protected:
  void SetUp() override {
    m_folder = fs::path(std::getenv("TOLVAR_HOME")) / ("class-files-" + std::to_string(++s_count));
    fs::create_directories(m_folder);
    for (const char* name : {"a.txt", "b.txt", "c.log"}) std::ofstream(m_folder / name) << "x";
    m_owner = CreateWindowExA(0, testing_user::PlainClass(), "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 400, 300,
                              nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(m_owner);
    SetActiveWindow(m_owner);
    testing_user::Pump();
    g_next = 0;
    g_idle = 0;
  }
  void TearDown() override { DestroyWindow(m_owner); }
  INT_PTR Run(CFileDialog& dialog, std::vector<std::function<void(HWND)>> steps) {
    g_steps = std::move(steps);
    dialog.m_ofn.hwndOwner = m_owner;
    dialog.m_ofn.lpstrInitialDir = m_initial.c_str();
    SetTimer(m_owner, 4, 10, Tick);
    INT_PTR result = dialog.DoModal();
    KillTimer(m_owner, 4);
    EXPECT_LE(g_idle, 400) << "the dialog ended by itself";
    return result;
  }
  std::string In(const char* name) const { return (m_folder / name).string(); }

  static inline int s_count = 0;
  fs::path m_folder;
  std::string m_initial;
  HWND m_owner = nullptr;
};

TEST_F(FileDialogClass, TheVirtualsHearTheDialogAndMayRefuseAChoice) {
  m_initial = m_folder.string();
  RecordingFileDialog dialog(TRUE, "txt", nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                             "Text files(*.txt)|*.txt|Logs(*.log)|*.log||");
  std::vector<int> listed;
  ASSERT_EQ(Run(dialog, {[&](HWND d) { listed.push_back(static_cast<int>(SendDlgItemMessageA(d, lst1, LVM_GETITEMCOUNT, 0, 0))); },
                         Type("a.txt"), Press(VK_RETURN), Type("b"), Press(VK_RETURN)}),
            IDOK);
  EXPECT_EQ(listed, std::vector<int>{2}) << "the first filter of the \"|\" form lets the two texts through";
  const std::vector<std::string> expected{"initdialog", "initdone", "folder " + m_folder.string(), "name",
                                          "ok " + In("a.txt"),  // refused: the dialog stays
                                          "ok " + In("b.txt")};
  EXPECT_EQ(dialog.heard, expected);
  EXPECT_EQ(std::string(dialog.GetPathName()), In("b.txt"));
  EXPECT_EQ(std::string(dialog.GetFileName()), "b.txt");
  EXPECT_EQ(std::string(dialog.GetFileTitle()), "b");
  EXPECT_EQ(std::string(dialog.GetFileExt()), "txt");
}

TEST_F(FileDialogClass, SeveralChosenFilesAreWalkedOneByOne) {
  m_initial = m_folder.string();
  char names[2000] = {};
  CFileDialog dialog(TRUE, "txt", nullptr, OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT, "All files(*.*)|*.*||");
  dialog.m_ofn.lpstrFile = names;
  dialog.m_ofn.nMaxFile = sizeof names;
  ASSERT_EQ(Run(dialog, {Type("\"c.log\" \"a.txt\""), Press(VK_RETURN)}), IDOK);
  std::vector<std::string> paths;
  for (POSITION at = dialog.GetStartPosition(); at;) paths.emplace_back(dialog.GetNextPathName(at));
  EXPECT_EQ(paths, (std::vector<std::string>{In("c.log"), In("a.txt")}));

  // One file of a multiple choice is walked as one path.
  CFileDialog single(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT);
  g_next = 0;
  ASSERT_EQ(Run(single, {Type("a.txt"), Press(VK_RETURN)}), IDOK);
  paths.clear();
  for (POSITION at = single.GetStartPosition(); at;) paths.emplace_back(single.GetNextPathName(at));
  EXPECT_EQ(paths, std::vector<std::string>{In("a.txt")});
}

TEST_F(FileDialogClass, ACallersBufferHoldsMoreThanMaxPathOfNames) {
  m_initial = m_folder.string();
  std::vector<std::string> names;
  std::string typed;
  for (int i = 0; i < 12; ++i) {
    names.push_back("recording-of-the-evening-" + std::to_string(10 + i) + ".amr");
    std::ofstream(m_folder / names.back()) << "x";
    typed += "\"" + names.back() + "\" ";
  }
  std::vector<std::string> expected;
  for (const std::string& name : names) expected.push_back(In(name.c_str()));

  // The class's own buffer is MAX_PATH bytes: the names do not fit, and the dialog says so.
  CFileDialog small(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT);
  EXPECT_EQ(Run(small, {Type(typed), Press(VK_RETURN)}), IDCANCEL);
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));

  // The programs put a buffer of their own in its place before DoModal.
  std::vector<char> buffer(25000, '\0');
  CFileDialog dialog(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT);
  dialog.m_ofn.lpstrFile = buffer.data();
  dialog.m_ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  g_next = 0;
  ASSERT_EQ(Run(dialog, {Type(typed), Press(VK_RETURN)}), IDOK);
  std::size_t listed = 0;
  while (buffer[listed] || buffer[listed + 1]) ++listed;
  EXPECT_GT(listed, static_cast<std::size_t>(MAX_PATH));
  std::vector<std::string> paths;
  for (POSITION at = dialog.GetStartPosition(); at;) paths.emplace_back(dialog.GetNextPathName(at));
  EXPECT_EQ(paths, expected);
}

TEST_F(FileDialogClass, CancelGivesIdCancelAndLeavesTheName) {
  m_initial = m_folder.string();
  CFileDialog dialog(FALSE, "txt", "draft.txt");
  EXPECT_EQ(Run(dialog, {Press(VK_ESCAPE)}), IDCANCEL);
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_STREQ(dialog.m_ofn.lpstrFile, "draft.txt");
}

}  // namespace
