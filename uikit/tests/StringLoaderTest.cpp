#include "StringLoader.h"

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Module.h>
#include <registry/WinReg.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Each test runs in a fresh folder that holds the string files (Glossa looks for them in the current
// folder, as the programs bind it) and serves as the home of the settings.
class StringLoaderTest : public testing::Test {
protected:
  void SetUp() override {
    m_folder = fs::path(testing::TempDir()) / ("uikit-strings-" + std::to_string(getpid()));
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
    m_previous = fs::current_path();
    fs::current_path(m_folder);
    setenv("TOLVAR_HOME", (m_folder / "home").c_str(), 1);
    Write("UikitTest0409.ini", "1 = \"Glossa one\"\n2 = \"Glossa two\"\n");
    Write("UikitTest0407.ini", "1 = \"Glossa eins\"\n20 = \"Glossa zwanzig\"\n21 = \"Glossa einundzwanzig\"\n");
    Write("UikitTest0000.ini", "21 = \"Glossa language zero\"\n");
  }
  void TearDown() override {
    CloseStrings();
    fs::current_path(m_previous);
    unsetenv("TOLVAR_HOME");
    fs::remove_all(m_folder);
  }
  void Write(const std::string& name, const std::string& content) { std::ofstream(m_folder / name) << content; }
  static void SetLanguageSetting(DWORD language) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Settings", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "LC", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&language), sizeof language),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  // The text and the last error GetString left.
  static std::pair<std::string, DWORD> Fetch(UINT id) {
    CString text = GetString(id);
    return {std::string(static_cast<LPCSTR>(text)), GetLastError()};
  }

  fs::path m_folder, m_previous;
};

using Answer = std::pair<std::string, DWORD>;

TEST_F(StringLoaderTest, WithoutGlossaTheOwnStringTableAnswers) {
  EXPECT_EQ(BindStrings("/no/such/folder/", "UikitTest", "ini"), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(Fetch(1), Answer("Own one", ERROR_NOT_READY));
  EXPECT_EQ(Fetch(99), Answer("", ERROR_NOT_READY));
  EXPECT_EQ(SetStringsLanguage(0x0409), ERROR_NOT_READY);
  EXPECT_EQ(GetStringsLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(CloseStrings(), ERROR_NOT_READY);
}

TEST_F(StringLoaderTest, GlossaFirstThenTheOwnTableForWhatItLacks) {
  ASSERT_EQ(BindStrings("", "UikitTest", "ini"), ERROR_SUCCESS);
  // Bound, but no string file for the language: Glossa has no list (21), the own table answers.
  EXPECT_EQ(SetStringsLanguage(0x0410), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Fetch(1), Answer("Own one", ERROR_NOT_READY));

  ASSERT_EQ(SetStringsLanguage(0x0409), ERROR_SUCCESS);
  EXPECT_EQ(Fetch(1), Answer("Glossa one", ERROR_SUCCESS));   // in both: the string file wins
  EXPECT_EQ(Fetch(3), Answer("Own only", 1168u));             // absent from the file
  EXPECT_EQ(Fetch(99), Answer("", 1168u));                    // in neither

  // A second bind while loaded changes nothing.
  EXPECT_EQ(BindStrings("", "Other", "ini"), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(Fetch(2), Answer("Glossa two", ERROR_SUCCESS));
  EXPECT_EQ(CloseStrings(), ERROR_SUCCESS);
  EXPECT_EQ(Fetch(2), Answer("Own two", ERROR_NOT_READY));
}

TEST_F(StringLoaderTest, LoaderUsesTheLanguageSettingAndCachesTheFirstText) {
  SetLanguageSetting(0x0407);
  {
    CStringLoader loader("UikitTest");
    EXPECT_EQ(std::string(GetText(20)), "Glossa zwanzig");
    // Two fetches of one id leave two entries; GetText keeps answering with the first.
    ASSERT_EQ(SetStringsLanguage(0x0409), ERROR_SUCCESS);
    EXPECT_EQ(std::string(LoadText(20)), "Own twenty");
    EXPECT_EQ(std::string(GetText(20)), "Glossa zwanzig");
  }
  // Once the loader is gone, texts come from the own table directly.
  EXPECT_EQ(std::string(LoadText(1)), "Own one");
}

// GetText asks once per id for the whole run: an id fetched before Glossa went away keeps its
// Glossa text, and an id never asked is still fetched (here from the own table). The cache lives
// for the run, so this test uses ids no other test caches.
TEST_F(StringLoaderTest, GetTextAsksOncePerId) {
  SetLanguageSetting(0x0409);
  CStringLoader loader("UikitTest");
  EXPECT_EQ(std::string(GetText(2)), "Glossa two");
  ASSERT_EQ(CloseStrings(), ERROR_SUCCESS);  // any further asking would find no Glossa
  EXPECT_EQ(std::string(GetText(2)), "Glossa two");
  EXPECT_EQ(std::string(GetText(3)), "Own only");
  EXPECT_EQ(std::string(GetText(3)), "Own only");
}

TEST_F(StringLoaderTest, MissingLanguageSettingSelectsLanguageZero) {
  CStringLoader loader("UikitTest");
  EXPECT_EQ(std::string(LoadText(21)), "Glossa language zero");
}

TEST_F(StringLoaderTest, LanguageSettingOfAnotherTypeCountsAsAbsent) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Settings", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "LC", 0, REG_SZ, reinterpret_cast<const BYTE*>("407"), 4), ERROR_SUCCESS);
  RegCloseKey(key);
  CStringLoader loader("UikitTest");
  EXPECT_EQ(std::string(LoadText(21)), "Glossa language zero");
}

// Glossa keeps one binding per process. A library of the suite whose binder finds Glossa bound by the
// program reads through that binding, and closing its binder (the library unloading) leaves the
// program's binding in place.
TEST_F(StringLoaderTest, ABinderThatFoundGlossaBoundLeavesTheBindingOnClose) {
  HMODULE glossa = LoadLibraryA("Glossa.dll");
  ASSERT_NE(glossa, nullptr);
  using BindProc = int (*)(const char*, const char*, const char*);
  using SetLangProc = int (*)(int);
  using GetStringProc = int (*)(int, char*, int);
  using CloseProc = int (*)();
  auto proc = [glossa](const char* name) { return reinterpret_cast<void (*)()>(GetProcAddress(glossa, name)); };
  ASSERT_EQ(reinterpret_cast<BindProc>(proc("Glossa_Bind"))("", "UikitTest", "ini"), 1);  // the program's
  ASSERT_EQ(reinterpret_cast<SetLangProc>(proc("Glossa_SetLang"))(0x0409), 1);

  EXPECT_EQ(BindStrings("", "UikitTest", "ini"), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(Fetch(1), Answer("Glossa one", ERROR_SUCCESS));
  EXPECT_EQ(CloseStrings(), ERROR_SUCCESS);
  char text[64] = {};
  EXPECT_GT(reinterpret_cast<GetStringProc>(proc("Glossa_GetString"))(1, text, sizeof text), 0);
  EXPECT_STREQ(text, "Glossa one");
  reinterpret_cast<CloseProc>(proc("Glossa_Close"))();
  FreeLibrary(glossa);
}

}  // namespace

// Glossa is one per process: a library built with the kit binds after its program and is refused
// (183). Its loader then reads the program's texts and, when it goes, leaves the program's binding
// and language as they were.
TEST_F(StringLoaderTest, LoaderRefusedBecauseTheProcessIsBoundLeavesTheBindingAlone) {
  HMODULE glossa = LoadLibraryA("Glossa.dll");
  ASSERT_NE(glossa, nullptr);
  auto proc = [&](LPCSTR name) { return reinterpret_cast<void (*)()>(GetProcAddress(glossa, name)); };
  auto bind = reinterpret_cast<int (*)(const char*, const char*, const char*)>(proc("Glossa_Bind"));
  auto setLang = reinterpret_cast<int (*)(int)>(proc("Glossa_SetLang"));
  auto getString = reinterpret_cast<int (*)(int, char*, int)>(proc("Glossa_GetString"));
  auto close = reinterpret_cast<int (*)()>(proc("Glossa_Close"));
  ASSERT_TRUE(bind && setLang && getString && close);
  auto glossaText = [&](int id) {
    char text[64] = {};
    const int length = getString(id, text, sizeof text - 1);
    return std::string(text, length > 0 ? length : 0);
  };
  ASSERT_EQ(bind("", "UikitTest", "ini"), 1);  // the program's binding, in German
  ASSERT_EQ(setLang(0x0407), 1);
  SetLanguageSetting(0x0409);                    // the loader would pick English if it could

  {
    CStringLoader loader("UikitTest");
    EXPECT_EQ(std::string(GetString(20)), "Glossa zwanzig");  // the program's binding answers
  }
  EXPECT_EQ(glossaText(1), "Glossa eins");  // still bound, still German
  close();
  FreeLibrary(glossa);
}
