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

// Where the preview sits inside a phone picture: the screen's inside, in the picture's pixels.
// Empty (all 0) for no picture.
struct ScreenPlace {
  int left = 0, top = 0, right = 0, bottom = 0;
};
ScreenPlace PreviewPlaceIn(int phonePicture);

// The bitmaps of a view button (0 Images, 1 Melodies, 2 Movies) while `chosen` is the view kind.
struct ViewButtonFaces {
  int normal = 0, hover = 0;
};
ViewButtonFaces ViewButtonBitmaps(int button, int chosen);
// The preview's background of a view kind.
int PreviewBackground(int kind);

// The current PC folder at start: "Path" when it names an existing folder, else the documents
// folder.
std::string StartFolder(const std::string& stored, const std::string& documents);
