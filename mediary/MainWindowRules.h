#pragma once
// The main window's rules that need no window: the variant switches and the folder it starts in.
#include <cstdint>
#include <string>

// The variant switches of the main window that need no window.
struct MediaryVariant {
  std::uint32_t specialFolder = 11;
  int phonePicture = 0;       // the bitmap of the phone frame; 0: none
  bool moviesShown = false;   // the Movies button and View item
  bool moviesByCtrlTab = false;
  static MediaryVariant FromBuild(const std::string& build);
  // Ctrl+Tab: the next view kind.
  int NextKind(int kind) const;
};

// The current PC folder at start: "Path" when it names an existing folder, else the documents
// folder.
std::string StartFolder(const std::string& stored, const std::string& documents);
