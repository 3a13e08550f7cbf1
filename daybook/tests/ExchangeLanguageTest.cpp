// Daybook bound to a second language keeps it after the exchange commands have loaded and unloaded
// the real wizard and exchange libraries, which carry copies of the kit's string binder.
#include "ExchangeFakes.h"

#include <StringLoader.h>

#include <registry/RegistryKey.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace daybook;
namespace fs = std::filesystem;

namespace {

CWinApp theApp("daybook exchange language tests");

int g_exported = 0;
int QuietCardExport(CPhoneBookArray* array, HWND) {
  g_exported = array->GetSize();
  return 1;
}

class LanguageTest : public ExchangeTest {
 protected:
  void SetUp() override {
    ExchangeTest::SetUp();
    m_folder = fs::path(testing::TempDir()) / ("daybook-language-" + std::to_string(getpid()));
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
    m_previous = fs::current_path();
    fs::current_path(m_folder);  // Glossa reads the string files where the program binds it
    std::ofstream(m_folder / "Daybook0409.ini") << "305 = \"Contacts\"\n";
    std::ofstream(m_folder / "Daybook0407.ini") << "305 = \"Kontakte\"\n";
    tolvar::registry::RegistryKey settings;
    ASSERT_EQ(settings.Create(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Settings"), ERROR_SUCCESS);
    ASSERT_EQ(settings.SetDword("LC", 0x0407), ERROR_SUCCESS);
  }
  void TearDown() override {
    fs::current_path(m_previous);
    fs::remove_all(m_folder);
    ExchangeTest::TearDown();
  }
  fs::path m_folder, m_previous;
};

TEST_F(LanguageTest, CsvAndVCardCommandsLeaveDaybooksLanguage) {
  CStringLoader strings("Daybook");
  ASSERT_EQ(GetString(305), "Kontakte");

  // The libraries are really loaded and unloaded; only the vCard export's folder dialog is left out.
  ExchangeLibraries real;
  real.find = [](HMODULE module, LPCSTR entry) -> FARPROC {
    if (std::string(entry) == "fnVCardExport") {
      return ::GetProcAddress(module, entry) ? reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(QuietCardExport)) : nullptr;
    }
    return ::GetProcAddress(module, entry);
  };
  PutContact(0, "Ada");
  Empty();
  {
    CExchangeBridges bridges(*manager, host, real);
    bridges.Run(CMD_EXPORT_CSV);  // Tabulon loaded, nothing to export, unloaded
    EXPECT_EQ(Texts(), std::vector<std::string>{"#391"}) << "Tabulon was found by name";
    EXPECT_EQ(GetString(305), "Kontakte");
    PutContact(0, "Ada");
    host.shown.clear();
    bridges.Run(CMD_EXPORT_VCARD);  // Interlex loaded, export called, unloaded
    EXPECT_TRUE(host.shown.empty());
    EXPECT_EQ(g_exported, 1);
    EXPECT_EQ(GetString(305), "Kontakte");
  }
}

}  // namespace
