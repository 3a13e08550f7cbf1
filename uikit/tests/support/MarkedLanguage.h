#pragma once
// A program's texts in a test language, for the programs' tests of their localization: every text of
// the program's own string table with a mark in front, as the string file of a language no real one
// has, in a fresh folder made the current one (Glossa reads string files there), with "LC" of the
// settings set to it and the string loader bound. What a window or a menu then shows without the mark
// did not come through the string loader.
//
// Texts are cached for the whole run (GetText), so a test program that uses this must fetch no text
// before it: give it a test program of its own.
#include <GlyphMenu.h>
#include <StringLoader.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kit_testing {

class MarkedLanguage {
 public:
  static constexpr unsigned kLanguage = 0x7E57;
  static constexpr const char* kMark = "~T~ ";

  // `module` is the name the program binds Glossa to ("BACKUP", "Mediary", ...).
  explicit MarkedLanguage(const char* module);
  ~MarkedLanguage();
  MarkedLanguage(const MarkedLanguage&) = delete;
  MarkedLanguage& operator=(const MarkedLanguage&) = delete;

  // How many texts the string file holds (0: the program has no string table).
  std::size_t Texts() const { return m_texts; }

 private:
  std::filesystem::path m_folder, m_previous;
  std::size_t m_texts = 0;
  std::unique_ptr<CStringLoader> m_loader;
};

// One line of the test language's string file: `id = "<mark>text"`, with backslashes and line
// breaks escaped as the format asks.
std::string MarkedLine(unsigned id, const std::string& text);
bool Marked(const std::string& text);
// The non-empty texts of `window`'s children (all levels, each shown by its own style) without the
// mark, as "id: text", sorted;
// controls whose ids are in `data` hold data, not texts of the program, and are left out.
std::vector<std::string> UnmarkedChildTexts(HWND window, const std::vector<int>& data = {});
// The texts without the mark of the entries a menu button shows: its menu's first pop-up, with the
// pop-ups inside it (the pop-up's own title is never shown); separators have none.
std::vector<std::string> UnmarkedMenuTexts(const GlyphMenu& buttonMenu);
// The same for a plain menu and its pop-ups.
std::vector<std::string> UnmarkedMenuTexts(HMENU menu);

}  // namespace kit_testing
