// The file dialogs driven as a person drives them, with injected keys and clicks in a folder of
// the test's own: opening by a typed name, by a double click and after walking into a sub-folder,
// several files at once (the result checked byte for byte), the buffer that is too small, saving
// over a file with the prompt answered both ways, a filter that narrows the list, the hook's
// notifications and questions, child templates placed and answering, and the failures.
#include <controls/Controls.h>
#include <kernel/Module.h>
#include <kernel/Path.h>
#include <resources/Resource.h>
#include <shell/Shell.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace testing_user;

namespace {

// ---- Driving a modal dialog: a timer on the owner runs one step per tick --------------------

// A step gets the active window; it answers false to be tried again at the next tick.
using Step = std::function<bool(HWND active)>;

struct Driver {
  HWND owner = nullptr;
  HWND dialog = nullptr;  // the file dialog, once seen
  std::vector<Step> steps;
  std::size_t next = 0;
  int idle = 0;
  bool gaveUp = false;
};
Driver g_driver;

void Tick(HWND owner, UINT, UINT_PTR, DWORD) {
  HWND active = GetActiveWindow();
  if (!active || active == owner || !IsWindowVisible(active)) return;
  if (!g_driver.dialog && GetDlgItem(active, lst1)) g_driver.dialog = active;
  if (g_driver.next < g_driver.steps.size()) {
    if (g_driver.steps[g_driver.next](active)) ++g_driver.next;
    return;
  }
  if (++g_driver.idle > 400) {  // the script ended and the dialog stayed: do not hang the run
    g_driver.gaveUp = true;
    EndDialog(active, IDCANCEL);
  }
}

bool IsFileDialog(HWND window) { return GetDlgItem(window, lst1) != nullptr; }

void Key(UINT key, UINT modifier = 0) {
  if (modifier) tolvar::user::InjectKey(modifier, true);
  tolvar::user::InjectKey(key, true);
  tolvar::user::InjectKey(key, false);
  if (modifier) tolvar::user::InjectKey(modifier, false);
}

Step Type(std::string text) {
  return [text](HWND active) {
    if (!IsFileDialog(active)) return false;
    SetFocus(GetDlgItem(active, edt1));
    SetDlgItemTextA(active, edt1, "");
    tolvar::user::InjectText(text.c_str());
    return true;
  };
}
Step Press(UINT key) {
  return [key](HWND) {
    Key(key);
    return true;
  };
}
// A key for a message box over the dialog, once it shows; `seen` gets its text.
Step Answer(UINT key, std::string* seen = nullptr) {
  return [key, seen](HWND active) {
    if (IsFileDialog(active) || active == g_driver.dialog) return false;
    if (seen) {
      char text[1024] = {};
      GetDlgItemTextA(active, 0xFFFF, text, sizeof text);
      *seen = text;
    }
    Key(key);
    return true;
  };
}

POINT ItemPoint(HWND dialog, const char* name) {
  HWND list = GetDlgItem(dialog, lst1);
  LVFINDINFOA find{};
  find.flags = LVFI_STRING;
  find.psz = name;
  int item = static_cast<int>(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
  EXPECT_GE(item, 0) << name << " is listed";
  RECT rect{};
  rect.left = LVIR_LABEL;
  SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rect));
  POINT point{rect.left + 6, (rect.top + rect.bottom) / 2};
  ClientToScreen(list, &point);
  return point;
}
Step Click(std::string name, UINT modifier = 0) {
  return [name, modifier](HWND active) {
    if (!IsFileDialog(active)) return false;
    POINT point = ItemPoint(active, name.c_str());
    if (modifier) tolvar::user::InjectKey(modifier, true);
    tolvar::user::InjectMouse(point, WM_LBUTTONDOWN);
    tolvar::user::InjectMouse(point, WM_LBUTTONUP);
    if (modifier) tolvar::user::InjectKey(modifier, false);
    return true;
  };
}
Step DoubleClick(std::string name) {
  return [name](HWND active) {
    if (!IsFileDialog(active)) return false;
    POINT point = ItemPoint(active, name.c_str());
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}) tolvar::user::InjectMouse(point, message);
    return true;
  };
}
Step ClickControl(HWND* parent, int id) {
  return [parent, id](HWND) {
    HWND control = GetDlgItem(*parent, id);
    RECT rect;
    GetWindowRect(control, &rect);
    POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    tolvar::user::InjectMouse(point, WM_LBUTTONDOWN);
    tolvar::user::InjectMouse(point, WM_LBUTTONUP);
    return true;
  };
}
Step Do(std::function<void(HWND)> action) {
  return [action](HWND active) {
    if (!IsFileDialog(active)) return false;
    action(active);
    return true;
  };
}

std::vector<std::string> ListedNames(HWND dialog) {
  std::vector<std::string> names;
  HWND list = GetDlgItem(dialog, lst1);
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[MAX_PATH] = {};
    LVITEMA item{};
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    names.emplace_back(text);
  }
  return names;
}

// ---- The hook --------------------------------------------------------------------------------

struct HookLog {
  std::vector<std::string> events;
  std::vector<std::string> selectedPaths;  // CDM_GETFILEPATH at each CDN_SELCHANGE
  bool refuseFileOk = false;
  HWND child = nullptr;
};
HookLog g_hook;

std::string Ask(HWND child, UINT message) {
  char buffer[MAX_PATH] = {};
  LRESULT size = SendMessageA(GetParent(child), message, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
  return size > 0 ? buffer : "";
}

UINT_PTR Hook(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    g_hook.child = child;
    g_hook.events.push_back(reinterpret_cast<OPENFILENAMEA*>(lParam)->lCustData == 77 ? "init" : "init?");
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) >= 1200 && LOWORD(wParam) <= 1202) {
    g_hook.events.push_back("command " + std::to_string(LOWORD(wParam)));
    // The child's button answers by asking the dialog to change the standard controls.
    SendMessageA(GetParent(child), CDM_SETCONTROLTEXT, IDOK, reinterpret_cast<LPARAM>("&Take"));
    SendMessageA(GetParent(child), CDM_HIDECONTROL, stc2, 0);
    return TRUE;
  }
  if (message != WM_NOTIFY) return FALSE;
  const auto* notify = reinterpret_cast<const OFNOTIFYA*>(lParam);
  switch (notify->hdr.code) {
    case CDN_INITDONE: g_hook.events.push_back("initdone"); break;
    case CDN_FOLDERCHANGE: g_hook.events.push_back("folder " + tolvar::kernel::ToHostPath(Ask(child, CDM_GETFOLDERPATH))); break;
    case CDN_SELCHANGE:
      g_hook.events.push_back("sel");
      g_hook.selectedPaths.push_back(Ask(child, CDM_GETFILEPATH));
      break;
    case CDN_TYPECHANGE: g_hook.events.push_back("type " + std::to_string(notify->lpOFN->nFilterIndex)); break;
    case CDN_FILEOK:
      g_hook.events.push_back("fileok " + std::string(notify->lpOFN->lpstrFile + notify->lpOFN->nFileOffset));
      SetWindowLongPtrA(child, DWLP_MSGRESULT, g_hook.refuseFileOk ? 1 : 0);
      return TRUE;
    default: break;
  }
  return FALSE;
}

// ---- The fixture -----------------------------------------------------------------------------

constexpr char kFilter[] = "Text files (*.txt)\0*.txt\0Pictures\0*.bmp;*.png\0All files\0*.*\0";

class FileDialogs : public ::testing::Test {
protected:
  void SetUp() override {
    m_folder = fs::path(std::getenv("TOLVAR_HOME")) / ("files-" + std::to_string(++s_count));
    for (const char* name : {"alpha.txt", "beta.bmp", "gamma.txt", "delta.png", "sub/inner.txt", "sub/another.txt"}) Touch(m_folder / name);
    m_folderText = m_folder.string();
    char current[4096] = {};
    GetCurrentDirectoryA(sizeof current, current);
    m_current = current;
    m_owner = CreateWindowExA(0, PlainClass(), "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 500, 400, nullptr,
                              nullptr, nullptr, nullptr);
    SetForegroundWindow(m_owner);
    SetActiveWindow(m_owner);
    Pump();
    g_driver = {};
    g_driver.owner = m_owner;
    g_hook = {};
    std::memset(m_file, 0, sizeof m_file);
    m_ofn = {};
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hwndOwner = m_owner;
    m_ofn.lpstrFilter = kFilter;
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrFile = m_file;
    m_ofn.nMaxFile = sizeof m_file;
    m_ofn.lpstrInitialDir = m_folderText.c_str();
    m_ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
    m_ofn.lCustData = 77;
  }
  void TearDown() override {
    DestroyWindow(m_owner);
    SetCurrentDirectoryA(m_current.c_str());
  }
  static void Touch(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
  }
  BOOL Run(std::vector<Step> steps, bool save = false) {
    g_driver.steps = std::move(steps);
    SetTimer(m_owner, 9, 10, Tick);
    BOOL result = save ? GetSaveFileNameA(&m_ofn) : GetOpenFileNameA(&m_ofn);
    KillTimer(m_owner, 9);
    EXPECT_FALSE(g_driver.gaveUp) << "the dialog ended by itself";
    EXPECT_EQ(g_driver.next, g_driver.steps.size()) << "every step ran";
    return result;
  }
  std::string In(const std::string& name) const { return (m_folder / name).string(); }
  std::string Result() const { return m_file; }

  static inline int s_count = 0;
  fs::path m_folder;
  std::string m_folderText, m_current;
  HWND m_owner = nullptr;
  char m_file[512];
  OPENFILENAMEA m_ofn{};
};

TEST_F(FileDialogs, OpensAFileByTypedNameDoubleClickOrInsideASubFolder) {
  struct Case {
    const char* name;
    std::vector<Step> steps;
    std::string expected;
  };
  const Case cases[] = {
      {"typed", {Type("gamma.txt"), Press(VK_RETURN)}, "gamma.txt"},
      {"typed in part and completed from the list", {Type("alph"), Press(VK_RETURN)}, "alpha.txt"},
      {"double click", {DoubleClick("gamma.txt")}, "gamma.txt"},
      {"walked into", {DoubleClick("sub"), Type("inner.txt"), Press(VK_RETURN)}, "sub/inner.txt"},
      {"typed folder, then the file", {Type("sub"), Press(VK_RETURN), DoubleClick("inner.txt")}, "sub/inner.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    m_ofn.lpstrDefExt = "txt";
    m_ofn.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    ASSERT_TRUE(Run(c.steps));
    EXPECT_EQ(Result(), In(c.expected));
    EXPECT_EQ(std::string(m_file + m_ofn.nFileOffset), fs::path(c.expected).filename().string());
    EXPECT_EQ(std::string(m_file + m_ofn.nFileExtension), "txt");
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    TearDown();
  }
}

TEST_F(FileDialogs, ChoosesSeveralFilesAtOnce) {
  m_ofn.Flags |= OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST;
  m_ofn.nFilterIndex = 3;
  std::string edit;
  ASSERT_TRUE(Run({Click("alpha.txt"), Click("delta.png", VK_CONTROL), Click("gamma.txt", VK_CONTROL),
                   Do([&](HWND dialog) {
                     char text[256] = {};
                     GetDlgItemTextA(dialog, edt1, text, sizeof text);
                     edit = text;
                   }),
                   Press(VK_RETURN)}));
  EXPECT_EQ(edit, "\"alpha.txt\" \"delta.png\" \"gamma.txt\"");
  const std::string expected = m_folderText + '\0' + "alpha.txt" + '\0' + "delta.png" + '\0' + "gamma.txt" + '\0' + '\0';
  EXPECT_EQ(std::string(m_file, expected.size()), expected);
  EXPECT_EQ(m_ofn.nFileOffset, m_folderText.size() + 1);

  // One file of a multiple choice is its full path, still ended by two NULs.
  SetUp();
  m_ofn.Flags |= OFN_ALLOWMULTISELECT;
  ASSERT_TRUE(Run({Type("gamma.txt"), Press(VK_RETURN)}));
  const std::string single = In("gamma.txt") + '\0' + '\0';
  EXPECT_EQ(std::string(m_file, single.size()), single);
}

TEST_F(FileDialogs, AResultTooLongForTheBufferIsRefusedWithTheSizeNeeded) {
  m_ofn.Flags |= OFN_ALLOWMULTISELECT;
  const std::string expected = m_folderText + '\0' + "alpha.txt" + '\0' + "gamma.txt" + '\0' + '\0';
  m_ofn.nMaxFile = static_cast<DWORD>(expected.size() - 1);
  std::memset(m_file, 'G', sizeof m_file);
  m_file[0] = '\0';
  EXPECT_FALSE(Run({Type("\"alpha.txt\" \"gamma.txt\""), Press(VK_RETURN)}));
  EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
  const unsigned needed = static_cast<unsigned char>(m_file[0]) | (static_cast<unsigned char>(m_file[1]) << 8);
  EXPECT_EQ(needed, expected.size());
  for (std::size_t i = 2; i < sizeof m_file; ++i) ASSERT_EQ(m_file[i], 'G') << "byte " << i << " untouched";
}

TEST_F(FileDialogs, SavingOverAFileAsksFirst) {
  struct Case {
    UINT answer;
    BOOL result;
  };
  for (Case c : {Case{'Y', TRUE}, Case{'N', FALSE}}) {
    SCOPED_TRACE(c.answer);
    SetUp();
    m_ofn.Flags |= OFN_OVERWRITEPROMPT;
    m_ofn.lpstrDefExt = "txt";
    std::string prompt;
    std::vector<Step> steps{Type("gamma"), Press(VK_RETURN), Answer(c.answer, &prompt)};
    if (!c.result) steps.push_back(Press(VK_ESCAPE));  // the dialog stays after No
    EXPECT_EQ(Run(steps, true), c.result);
    EXPECT_EQ(prompt, In("gamma.txt") + " already exists.\nDo you want to replace it?");
    if (c.result) {
      EXPECT_EQ(Result(), In("gamma.txt"));
    }
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    TearDown();
  }
  // A new name is not asked about.
  SetUp();
  m_ofn.Flags |= OFN_OVERWRITEPROMPT;
  m_ofn.lpstrDefExt = "txt";
  EXPECT_TRUE(Run({Type("epsilon"), Press(VK_RETURN)}, true));
  EXPECT_EQ(Result(), In("epsilon.txt"));
}

TEST_F(FileDialogs, AMissingFileIsRefusedOrCreatedAsTheFlagsSay) {
  struct Case {
    const char* name;
    DWORD flag;
    UINT answer;
    BOOL result;
    const char* prompt;
  };
  const Case cases[] = {
      {"must exist", OFN_FILEMUSTEXIST, VK_RETURN, FALSE, "\nFile not found.\nPlease verify the correct file name was given."},
      {"create: yes", OFN_CREATEPROMPT, 'Y', TRUE, "\nThis file does not exist.\nDo you want to create it?"},
      {"create: no", OFN_CREATEPROMPT, 'N', FALSE, "\nThis file does not exist.\nDo you want to create it?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    m_ofn.Flags |= c.flag;
    std::string prompt;
    std::vector<Step> steps{Type("missing.txt"), Press(VK_RETURN), Answer(c.answer, &prompt)};
    if (!c.result) steps.push_back(Press(VK_ESCAPE));  // the dialog stayed
    EXPECT_EQ(Run(steps), c.result);
    EXPECT_EQ(prompt, In("missing.txt") + c.prompt);
    if (c.result) {
      EXPECT_EQ(Result(), In("missing.txt"));
    }
    EXPECT_EQ(CommDlgExtendedError(), 0u) << "cancelled, not failed";
    TearDown();
  }
}

TEST_F(FileDialogs, ASizableDialogGivesTheListWhatItGrowsBy) {
  m_ofn.Flags |= OFN_ENABLESIZING;
  RECT list0{}, ok0{}, list1{}, ok1{};
  EXPECT_FALSE(Run({Do([&](HWND dialog) {
                      GetWindowRect(GetDlgItem(dialog, lst1), &list0);
                      GetWindowRect(GetDlgItem(dialog, IDOK), &ok0);
                      RECT frame;
                      GetWindowRect(dialog, &frame);
                      SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left + 100, frame.bottom - frame.top + 80,
                                   SWP_NOMOVE | SWP_NOZORDER);
                      GetWindowRect(GetDlgItem(dialog, lst1), &list1);
                      GetWindowRect(GetDlgItem(dialog, IDOK), &ok1);
                    }),
                    Press(VK_ESCAPE)}));
  EXPECT_EQ(list1.right - list1.left, list0.right - list0.left + 100);
  EXPECT_EQ(list1.bottom - list1.top, list0.bottom - list0.top + 80);
  EXPECT_EQ(ok1.left, ok0.left + 100);
  EXPECT_EQ(ok1.top, ok0.top + 80);
  EXPECT_EQ(ok1.right - ok1.left, ok0.right - ok0.left);
}

TEST_F(FileDialogs, AFilterOrATypedPatternNarrowsTheList) {
  std::vector<std::string> first, second, typed;
  ASSERT_TRUE(Run({Do([&](HWND dialog) { first = ListedNames(dialog); }),
                   Do([](HWND dialog) { SetFocus(GetDlgItem(dialog, cmb1)); }), Press(VK_DOWN),
                   Do([&](HWND dialog) { second = ListedNames(dialog); }), Type("*.png"), Press(VK_RETURN),
                   Do([&](HWND dialog) { typed = ListedNames(dialog); }), DoubleClick("delta.png")}));
  EXPECT_EQ(first, (std::vector<std::string>{"sub", "alpha.txt", "gamma.txt"}));
  EXPECT_EQ(second, (std::vector<std::string>{"sub", "beta.bmp", "delta.png"}));
  EXPECT_EQ(typed, (std::vector<std::string>{"sub", "delta.png"}));
  EXPECT_EQ(m_ofn.nFilterIndex, 2u);
  EXPECT_EQ(Result(), In("delta.png"));
}

TEST_F(FileDialogs, TheHookHearsTheDialogAndAsksIt) {
  m_ofn.Flags |= OFN_ENABLEHOOK;
  m_ofn.lpfnHook = Hook;
  ASSERT_TRUE(Run({Click("alpha.txt"), DoubleClick("sub"), Click("inner.txt"), Press(VK_RETURN)}));
  const std::string sub = (m_folder / "sub").string();
  const std::vector<std::string> expected{
      "init", "initdone", "folder " + m_folderText, "sel",   // opening
      "sel",                                                   // a file clicked
      "sel",                                                   // the folder, by the double click's first
      "folder " + sub, "sel",                                  // walked into the sub-folder
      "sel",                                                   // a file there
      "fileok inner.txt"};
  EXPECT_EQ(g_hook.events, expected);
  ASSERT_EQ(g_hook.selectedPaths.size(), 5u);
  EXPECT_EQ(g_hook.selectedPaths[1], In("alpha.txt"));
  EXPECT_EQ(g_hook.selectedPaths[4], In("sub/inner.txt"));
  EXPECT_EQ(Result(), In("sub/inner.txt"));
}

TEST_F(FileDialogs, AHookMayRefuseTheChoice) {
  m_ofn.Flags |= OFN_ENABLEHOOK;
  m_ofn.lpfnHook = Hook;
  g_hook.refuseFileOk = true;
  EXPECT_FALSE(Run({Type("alpha.txt"), Press(VK_RETURN), Do([](HWND) { g_hook.refuseFileOk = false; }),
                    Press(VK_ESCAPE)}));
  EXPECT_EQ(g_hook.events.back(), "fileok alpha.txt") << "the dialog stayed after the refusal";
}

TEST_F(FileDialogs, AChildTemplateIsPlacedAndItsControlsAnswer) {
  struct Case {
    int templateId;
    int buttonId;
  };
  for (Case c : {Case{700, 1200}, Case{701, 1202}}) {
    SCOPED_TRACE(c.templateId);
    SetUp();
    m_ofn.Flags |= OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;
    m_ofn.lpfnHook = Hook;
    m_ofn.hInstance = GetModuleHandleA(nullptr);
    m_ofn.lpTemplateName = MAKEINTRESOURCEA(c.templateId);
    RECT list{}, button{}, left{};
    char okText[32] = {};
    bool typeLabelShown = true;
    ASSERT_FALSE(Run({Do([&](HWND dialog) {
                        GetWindowRect(GetDlgItem(dialog, lst1), &list);
                        GetWindowRect(GetDlgItem(g_hook.child, c.buttonId), &button);
                        GetWindowRect(GetDlgItem(g_hook.child, 1201), &left);
                        if (c.templateId == 700) {
                          HBITMAP picture = tolvar::user::RenderWindow(dialog);
                          SavePng(picture, "file_open_dialog");
                          DeleteObject(picture);
                        }
                      }),
                      ClickControl(&g_hook.child, c.buttonId),
                      Do([&](HWND dialog) {
                        GetDlgItemTextA(dialog, IDOK, okText, sizeof okText);
                        typeLabelShown = IsWindowVisible(GetDlgItem(dialog, stc2));
                      }),
                      Press(VK_ESCAPE)}));
    EXPECT_EQ(g_hook.events.back(), "command " + std::to_string(c.buttonId));
    EXPECT_STREQ(okText, "&Take");
    EXPECT_FALSE(typeLabelShown);
    if (c.templateId == 700) {
      EXPECT_GE(button.top, list.bottom) << "a template without stc32 goes below the standard controls";
    } else {
      EXPECT_GE(button.left, list.right) << "right of stc32: moved past the standard controls";
      EXPECT_LT(left.right, list.left) << "left of stc32: stays left of them";
    }
    TearDown();
  }
}

TEST_F(FileDialogs, TheCurrentDirectoryFollowsTheChoiceUnlessAskedNotTo) {
  for (DWORD flag : {DWORD{0}, OFN_NOCHANGEDIR}) {
    SCOPED_TRACE(flag);
    SetUp();
    m_ofn.Flags |= flag;
    ASSERT_TRUE(Run({DoubleClick("sub"), Type("inner.txt"), Press(VK_RETURN)}));
    char current[4096] = {};
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_EQ(std::string(current), flag ? m_current : (m_folder / "sub").string());
    TearDown();
  }
}

TEST_F(FileDialogs, BadRequestsFailWithTheirReason) {
  struct Case {
    const char* name;
    std::function<void(OPENFILENAMEA&)> spoil;
    DWORD error;
  };
  const Case cases[] = {
      {"size", [](OPENFILENAMEA& o) { o.lStructSize = 12; }, CDERR_STRUCTSIZE},
      {"no hook", [](OPENFILENAMEA& o) { o.Flags |= OFN_ENABLEHOOK; }, CDERR_NOHOOK},
      {"no template", [](OPENFILENAMEA& o) {
         o.Flags |= OFN_ENABLETEMPLATE;
         o.hInstance = GetModuleHandleA(nullptr);
         o.lpTemplateName = MAKEINTRESOURCEA(999);
       }, CDERR_FINDRESFAILURE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OPENFILENAMEA ofn = m_ofn;
    c.spoil(ofn);
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), c.error);
  }
}

}  // namespace
