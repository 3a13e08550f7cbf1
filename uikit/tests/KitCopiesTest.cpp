// Two copies of the kit in one process: a program built with the kit loads a library built with the
// kit (tolvar_kit_library), both show the kit's message box, and the library is unloaded and loaded
// again. The program binds Glossa in German first; the library's loader is refused (183), reads the
// program's texts, and must leave the binding and its language as they were when it goes.
#include <MessageBoxDlg.h>
#include <StringLoader.h>

#include <base/LastError.h>
#include <kernel/Module.h>
#include <registry/RegistryKey.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

CWinApp theApp("uikit kit copies tests");

constexpr UINT kGreeting = 1;

// The box with this caption gets its OK button's text read and then a click, from a thread timer of
// the program while the box's modal loop runs (the library's box included).
const char* g_caption = nullptr;
std::string g_okText;

void OnTick(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = FindWindowA(nullptr, g_caption);
  if (!box || !IsWindowVisible(box)) return;
  char text[64] = {};
  GetDlgItemTextA(box, IDC_UIKIT_MB_BUTTON1, text, sizeof text);
  g_okText = text;
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDC_UIKIT_MB_BUTTON1, BN_CLICKED), 0);
}

template <class Show>
int ShowAndClickOk(Show show, const char* caption) {
  g_caption = caption;
  g_okText.clear();
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, OnTick);
  const int result = show("A message", caption, MB_OK);
  KillTimer(nullptr, timer);
  return result;
}

template <class Proc>
Proc Export(HMODULE module, LPCSTR name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

class KitCopiesTest : public testing::Test {
 protected:
  void SetUp() override {
    m_folder = fs::path(testing::TempDir()) / ("uikit-kitcopies-" + std::to_string(getpid()));
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
    m_previous = fs::current_path();
    fs::current_path(m_folder);  // Glossa finds the string files where the programs bind it
    setenv("TOLVAR_HOME", (m_folder / "home").c_str(), 1);
    std::ofstream(m_folder / "KitTest0409.ini") << "1 = \"Hello\"\n430 = \"Okay\"\n";
    std::ofstream(m_folder / "KitTest0407.ini") << "1 = \"Hallo\"\n430 = \"Jawohl\"\n";
    tolvar::registry::RegistryKey settings;
    ASSERT_EQ(settings.Create(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Settings"), ERROR_SUCCESS);
    ASSERT_EQ(settings.SetDword("LC", 0x0407), ERROR_SUCCESS);
  }
  void TearDown() override {
    fs::current_path(m_previous);
    unsetenv("TOLVAR_HOME");
    fs::remove_all(m_folder);
  }

  fs::path m_folder, m_previous;
};

TEST_F(KitCopiesTest, ALibraryWithItsOwnKitShowsItsBoxAndLeavesTheProgramsLanguageWhenUnloaded) {
  CStringLoader loader("KitTest");
  ASSERT_EQ(std::string(LoadText(kGreeting)), "Hallo");

  for (int load = 1; load <= 2; ++load) {
    SCOPED_TRACE(load);
    EXPECT_EQ(ShowAndClickOk(ShowMessageBox, "Program box"), IDOK);
    EXPECT_EQ(g_okText, "Jawohl");

    HMODULE library = LoadLibraryA("uikit_kitlib.dll");
    ASSERT_NE(library, nullptr) << GetLastError();
    auto show = Export<int (*)(const char*, const char*, UINT)>(library, "KitLib_ShowMessage");
    auto boxClass = Export<const void* (*)()>(library, "KitLib_MessageBoxClass");
    auto loadText = Export<void (*)(UINT, char*, int)>(library, "KitLib_LoadText");
    ASSERT_TRUE(show && boxClass && loadText);
    // Its own copy of the kit, of which nothing but the C exports is seen from outside.
    EXPECT_NE(boxClass(), static_cast<const void*>(RUNTIME_CLASS(CMessageBoxDlg)));
    EXPECT_EQ(GetProcAddress(library, "ShowMessageBox"), nullptr);

    // The library's texts and its box's captions come from the program's binding.
    char text[64] = {};
    loadText(kGreeting, text, sizeof text);
    EXPECT_STREQ(text, "Hallo");
    EXPECT_EQ(ShowAndClickOk(show, "Library box"), IDOK);
    EXPECT_EQ(g_okText, "Jawohl");

    ASSERT_TRUE(FreeLibrary(library));
    // Still bound, still German.
    EXPECT_EQ(std::string(LoadText(kGreeting)), "Hallo");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  }
  EXPECT_EQ(ShowAndClickOk(ShowMessageBox, "Program box"), IDOK);
}

}  // namespace
