#include "MarkedLanguage.h"

#include <base/CodePage.h>
#include <kernel/Module.h>
#include <registry/RegistryKey.h>
#include <resources/Resource.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace kit_testing {
namespace {

constexpr char kSettingsKey[] = "Software\\Halvane\\Tolvar\\Settings";

std::string Narrow(const WCHAR* units, int length) {
  std::string text;
  const int size = WideCharToMultiByte(CP_ACP, 0, units, length, nullptr, 0, nullptr, nullptr);
  if (size > 0) {
    text.resize(static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_ACP, 0, units, length, text.data(), size, nullptr, nullptr);
  }
  return text;
}

}  // namespace

MarkedLanguage::MarkedLanguage(const char* module) {
  static int made = 0;
  m_folder = std::filesystem::path(::testing::TempDir()) /
             ("marked-language-" + std::to_string(getpid()) + "-" + std::to_string(made++));
  std::filesystem::remove_all(m_folder);
  std::filesystem::create_directories(m_folder);
  m_previous = std::filesystem::current_path();

  // The own string table is the test program's, built from the program's resource script.
  char name[64];
  std::snprintf(name, sizeof name, "%s%04X.ini", module, kLanguage);
  std::ofstream file(m_folder / name, std::ios::binary);
  const HMODULE own = GetModuleHandleA(nullptr);
  for (UINT id = 0; id <= 0xFFFF; ++id) {
    const WCHAR* units = nullptr;
    const int length = LoadStringW(own, id, reinterpret_cast<LPWSTR>(&units), 0);
    if (length <= 0 || !units) continue;
    file << MarkedLine(id, Narrow(units, length));
    ++m_texts;
  }
  file.close();

  tolvar::registry::RegistryKey settings;
  EXPECT_EQ(settings.Create(HKEY_CURRENT_USER, kSettingsKey), ERROR_SUCCESS);
  EXPECT_EQ(settings.SetDword("LC", kLanguage), ERROR_SUCCESS);
  std::filesystem::current_path(m_folder);
  m_loader = std::make_unique<CStringLoader>(module);
  EXPECT_NE(BoundStringLibrary(), nullptr) << "Glossa.dll did not load";
}

MarkedLanguage::~MarkedLanguage() {
  m_loader.reset();
  std::filesystem::current_path(m_previous);
  std::error_code ignored;
  std::filesystem::remove_all(m_folder, ignored);
  tolvar::registry::RegistryKey settings;
  if (settings.Open(HKEY_CURRENT_USER, kSettingsKey, KEY_ALL_ACCESS) == ERROR_SUCCESS) settings.DeleteValue("LC");
}

std::string MarkedLine(unsigned id, const std::string& text) {
  std::string value;
  for (char c : MarkedLanguage::kMark + text) {
    switch (c) {
      case '\\': value += "\\\\"; break;
      case '\n': value += "\\n"; break;
      case '\r': value += "\\r"; break;
      case '\t': value += "\\t"; break;
      default: value += c;
    }
  }
  return std::to_string(id) + " = \"" + value + "\"\n";
}

bool Marked(const std::string& text) { return text.rfind(MarkedLanguage::kMark, 0) == 0; }

std::vector<std::string> UnmarkedChildTexts(HWND window, const std::vector<int>& data) {
  struct Walk {
    const std::vector<int>& data;
    std::vector<std::string> found;
  } walk{data, {}};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM context) -> BOOL {
        auto& walk = *reinterpret_cast<Walk*>(context);
        const int id = GetDlgCtrlID(child);
        if (std::find(walk.data.begin(), walk.data.end(), id) != walk.data.end()) return TRUE;
        // A control hidden by its own style gets its text when it is shown (a page hidden behind
        // another still counts: its controls show with it).
        if (!(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE)) return TRUE;
        char text[1024] = "";
        GetWindowTextA(child, text, sizeof text);
        if (text[0] && !Marked(text)) walk.found.push_back(std::to_string(id) + ": " + text);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&walk));
  std::sort(walk.found.begin(), walk.found.end());
  return walk.found;
}

namespace {

// The entries of a kit menu and of the pop-ups inside it.
void CollectUnmarked(const GlyphMenu& menu, std::vector<std::string>& found) {
  for (const auto& item : menu.Items()) {
    const WCHAR* text = item->Text();
    if (!text || !*text) continue;
    int length = 0;
    while (text[length]) ++length;
    const std::string narrow = Narrow(text, length);
    if (!Marked(narrow)) found.push_back(narrow);
  }
  for (HMENU popup : menu.Popups()) {
    if (const GlyphMenu* sub = menu.SubMenu(popup)) CollectUnmarked(*sub, found);
  }
}

}  // namespace

std::vector<std::string> UnmarkedMenuTexts(const GlyphMenu& buttonMenu) {
  std::vector<std::string> found;
  const GlyphMenu* shown = buttonMenu.SubMenu(GetSubMenu(buttonMenu.m_hMenu, 0));
  if (!shown) return {"(no pop-up)"};
  CollectUnmarked(*shown, found);
  return found;
}

std::vector<std::string> UnmarkedMenuTexts(HMENU menu) {
  std::vector<std::string> found;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char text[512] = "";
    GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    if (text[0] && !Marked(text)) found.push_back(text);
    if (HMENU sub = GetSubMenu(menu, i)) {
      for (std::string& inner : UnmarkedMenuTexts(sub)) found.push_back(std::move(inner));
    }
  }
  return found;
}

}  // namespace kit_testing
