// The suite in a second language: a test language made from the programs' own string tables, every
// text marked in front, lies in Glossa's folder (where the programs start, the build's bin folder),
// and "LC" of the settings chooses it. Every program then shows its captions, dialogs and messages
// in it: the link service's phone selection and its boxes, the launcher's window, Daybook's,
// Mediary's and Backup's message boxes and dialogs. Titles are what a test can read off the X
// server; the texts drawn inside windows are checked headlessly by the programs' own tests.
#include "support/DaybookPlaces.h"
#include "support/SuiteHarness.h"

#include <Compiler.h>
#include <Diagnostics.h>

#include <MarkedLanguage.h>
#include <registry/RegistryKey.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <phonesim/WholePhoneFiles.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace suite_testing;
namespace fs = std::filesystem;

// The test language: a number no real language has, and the mark in front of each of its texts.
constexpr unsigned kLanguage = kit_testing::MarkedLanguage::kLanguage;
const std::string kMark = kit_testing::MarkedLanguage::kMark;

using StringTable = std::map<unsigned, std::u16string>;

// The string table a resource script compiles to (its 16-string blocks unpacked).
StringTable ScriptStrings(const std::string& script) {
  tolvar::rc::CompileOptions options;
  options.script = script;
  options.includeDirs = {fs::path(script).parent_path().string()};
  StringTable table;
  for (const tolvar::rc::Resource& resource : tolvar::rc::Compile(options).resources) {
    if (!resource.type.IsNumber() || resource.type.AsNumber() != tolvar::rc::kRtString) continue;
    const unsigned first = (resource.name.AsNumber() - 1u) * 16u;
    std::size_t at = 0;
    for (unsigned i = 0; i < 16 && at + 2 <= resource.data.size(); ++i) {
      const std::size_t length = resource.data[at] | (resource.data[at + 1] << 8);
      at += 2;
      std::u16string text;
      for (std::size_t unit = 0; unit < length && at + 2 <= resource.data.size(); ++unit, at += 2)
        text.push_back(static_cast<char16_t>(resource.data[at] | (resource.data[at + 1] << 8)));
      if (length > 0) table.emplace(first + i, text);  // the first script to define an id keeps it
    }
  }
  return table;
}

std::string Utf8(const std::u16string& text) {
  std::string out;
  for (char16_t unit : text) {
    if (unit < 0x80) {
      out += static_cast<char>(unit);
    } else if (unit < 0x800) {
      out += static_cast<char>(0xC0 | (unit >> 6));
      out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (unit >> 12));
      out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (unit & 0x3F));
    }
  }
  return out;
}

// One string file of the test language.
std::string StringFile(const StringTable& table) {
  std::string file = "; the suite's test language: every text marked in front\n";
  for (const auto& [id, text] : table) file += kit_testing::MarkedLine(id, Utf8(text));
  return file;
}

// Each program's string files, named by the module its string loader binds, from its script; the
// exchange libraries read Daybook's file, so their texts join Daybook's.
struct Module {
  const char* name;
  std::vector<const char*> scripts;
};
const Module kModules[] = {
    {"Linkwell", {"linkwell/app/Linkwell.rc"}},
    {"Vezezudara", {"vezezudara/Vezezudara.rc"}},
    {"Daybook", {"daybook/Daybook.rc", "interlex/res/Interlex.rc", "tabulon/Tabulon.rc"}},
    {"Mediary", {"mediary/Mediary.rc"}},
    {"BACKUP", {"backup/Backup.rc"}},
};

std::string LanguageFileName(const char* module) {
  char name[64];
  std::snprintf(name, sizeof name, "%s%04X.ini", module, kLanguage);
  return name;
}

// Places in the launcher's frame at its first size: the folder bar's items (Daybook, Mediary, Backup,
// 64 pixels apart) and, in the right pane, the programs' buttons where their layouts put them when
// they fill the pane (their templates' dialog units at 7 x 13 base units, moved with the pane's size;
// Daybook's: support/DaybookPlaces.h, in this language's longer texts).
constexpr Point kDaybookItem{60, 71}, kMediaryItem{60, 135}, kBackupItem{60, 199};
constexpr Point kDownload = kDaybookDownloadMarked;
constexpr Point kGetListFace{141, 523};   // Mediary's "Get List" (56 x 16, at 137..234 x 511..536), left of its text
constexpr Point kBackupButton{175, 510};  // Backup's "Backup" (48 x 16, at 133..216 x 498..523), its middle
constexpr Point kBackupFace{137, 510};    // its face left of the text
constexpr std::uint32_t kButtonFace = 0xB0C9FF;      // the light button face of Daybook and Mediary
constexpr std::uint32_t kBackupButtonFace = 0x082A82;  // Backup's dark blue buttons

class Language : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (xvfb-run)";
    ASSERT_TRUE(m_desktop.Managing()) << "another window manager runs on this display";
    ASSERT_TRUE(m_person.IsOpen());
    for (const Module& module : kModules) {
      StringTable table;
      for (const char* script : module.scripts) table.merge(ScriptStrings(std::string(SUITE_SOURCE_ROOT "/") + script));
      ASSERT_FALSE(table.empty()) << module.name;
      const fs::path file = fs::path(SUITE_BIN_DIR) / LanguageFileName(module.name);
      std::ofstream(file, std::ios::binary) << StringFile(table);
      m_files.push_back(file);
    }
    ChooseLanguage();
    ASSERT_TRUE(phonesim::WriteFlashFiles(m_suite.PhoneFolder(), phonesim::SamplePhoneBook(20)));
    ASSERT_TRUE(m_suite.Start());
  }
  void TearDown() override {
    for (const fs::path& file : m_files) fs::remove(file);
    if (!std::getenv("DISPLAY")) return;
    EXPECT_TRUE(m_suite.Stop()) << "the suite did not end on Ctrl+C\n" << m_suite.Output();
    EXPECT_TRUE(m_suite.Processes().empty());
  }

  // "LC" of the suite's home, written before its first start.
  void ChooseLanguage() {
    const char* previous = std::getenv("TOLVAR_HOME");
    const std::string kept = previous ? previous : "";
    setenv("TOLVAR_HOME", m_suite.Home().c_str(), 1);
    tolvar::registry::RegistryKey settings;
    EXPECT_EQ(settings.Create(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Settings"), ERROR_SUCCESS);
    EXPECT_EQ(settings.SetDword("LC", kLanguage), ERROR_SUCCESS);
    settings.Close();
    if (previous) setenv("TOLVAR_HOME", kept.c_str(), 1); else unsetenv("TOLVAR_HOME");
  }

  // The titles of the shown top-level windows, for the failure messages.
  std::string ShownTitles() {
    std::string titles;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return titles;
    auto& x = m_person.X();
    for (unsigned long window : x.Children(DefaultRootWindow(display)))
      if (x.Place(window).viewable) {
        const std::string title = x.Utf8Property(window, "_NET_WM_NAME");
        if (!title.empty()) titles += "\"" + title + "\" ";
      }
    XCloseDisplay(display);
    return titles;
  }

  // A window with the marked title; a failure names the titles shown instead.
  unsigned long WaitForMarked(const std::string& text, std::chrono::milliseconds limit = 60s) {
    const unsigned long window = m_person.WaitForWindow(kMark + text, limit);
    EXPECT_NE(window, 0u) << "no window \"" << kMark << text << "\"; shown: " << ShownTitles() << "\n"
                          << m_suite.Output();
    return window;
  }

  // Clicks a folder bar item and waits until the pane shows the program: a button's face at `face`.
  bool OpenProgram(unsigned long launcher, Point item, Point face, std::uint32_t colour) {
    m_person.ClickIn(launcher, item.x, item.y);
    return WaitUntil([&] { return m_person.PixelAt(launcher, face.x, face.y) == colour; });
  }

  std::vector<fs::path> m_files;
  Desktop m_desktop{SUITE_BIN_DIR};
  Person m_person;
  Suite m_suite{SUITE_SOURCE_ROOT, SUITE_BIN_DIR};
};

TEST_F(Language, EveryProgramsCaptionsDialogsAndMessagesComeInTheChosenLanguage) {
  // The link service: the phone selection, and Autodetect's box.
  const unsigned long selection = WaitForMarked("Phone selection");
  ASSERT_NE(selection, 0u);
  SaveScreen("suite-language-phone-selection");
  // "Autodetect" sits at the dialog's bottom right: 60 x 14 dialog units, 7 from the right and
  // bottom edges of a 220 x 178 unit client area.
  const auto place = m_person.X().Place(selection);
  const double unitX = place.width / 226.0, unitY = unitX * 13.0 / 12.0;
  m_person.ClickIn(selection, place.width - static_cast<int>(40 * unitX), place.height - static_cast<int>(17 * unitY));
  ASSERT_NE(WaitForMarked("Linkwell"), 0u);
  SaveScreen("suite-language-autodetect");
  m_person.Key(XK_Return);
  ASSERT_TRUE(m_person.WaitForWindowGone(kMark + "Phone selection"));

  // The launcher, under its title in the language.
  const unsigned long launcher = WaitForMarked(" Dravik");
  ASSERT_NE(launcher, 0u);

  // Daybook: the download's end is told in a box captioned in the language.
  ASSERT_TRUE(OpenProgram(launcher, kDaybookItem, kDownload, kButtonFace)) << "Daybook did not come up";
  SaveScreen("suite-language-daybook");
  m_person.ClickIn(launcher, kDownload.x, kDownload.y);
  ASSERT_NE(WaitForMarked("Contacts", 120s), 0u);
  SaveScreen("suite-language-daybook-message");
  m_person.Key(XK_Return);
  ASSERT_TRUE(m_person.WaitForWindowGone(kMark + "Contacts"));

  // Mediary: its first Get asks about the phone's language, in the suite's.
  const bool mediary = OpenProgram(launcher, kMediaryItem, kGetListFace, kButtonFace);
  SaveScreen("suite-language-mediary");
  ASSERT_TRUE(mediary) << "Mediary did not come up";
  // A click on "Get List" gives Mediary the focus; while the program still settles after its start
  // the click may start nothing, so F7 (Get) follows until the question shows.
  m_person.ClickIn(launcher, kGetListFace.x, kGetListFace.y);
  WaitUntil([&] {
    if (m_person.X().FindShown(kMark + "Mediary")) return true;
    m_person.Key(XK_F7);
    return m_person.WaitForWindow(kMark + "Mediary", 1s) != 0;
  });
  ASSERT_NE(WaitForMarked("Mediary"), 0u);
  SaveScreen("suite-language-mediary-message");
  // "No" (its mnemonic): nothing runs. An F7 that came late asks once more; each is answered so.
  auto quiet = std::chrono::steady_clock::now();
  ASSERT_TRUE(WaitUntil([&] {
    if (m_person.X().FindShown(kMark + "Mediary")) {
      m_person.Key(XK_n);
      m_person.WaitForWindowGone(kMark + "Mediary", 5s);
      quiet = std::chrono::steady_clock::now();
    }
    return std::chrono::steady_clock::now() - quiet > 2s;
  }));

  // Backup: "Backup" asks for the file in a dialog titled in the language.
  const bool backup = OpenProgram(launcher, kBackupItem, kBackupFace, kBackupButtonFace);
  SaveScreen("suite-language-backup");
  ASSERT_TRUE(backup) << "Backup did not come up";
  m_person.ClickIn(launcher, kBackupButton.x, kBackupButton.y);
  ASSERT_NE(WaitForMarked("Backup"), 0u);
  SaveScreen("suite-language-backup-file-dialog");
  m_person.Key(XK_Escape);
  ASSERT_TRUE(m_person.WaitForWindowGone(kMark + "Backup"));
}

}  // namespace
