#include "MainWindowRules.h"

#include <kernel/File.h>

MediaryVariant MediaryVariant::FromBuild(const std::string& build) {
  MediaryVariant v;
  const char first = build.empty() ? '\0' : build[0];
  const char second = build.size() > 1 ? build[1] : '\0';
  if (first == 'Z' || first == 'U') {
    v.specialFolder = second == 'J' ? 12 : 13;
    v.moviesShown = true;
    v.moviesByCtrlTab = true;  // wherever the Movies button is shown, U phones too
    v.phonePicture = first == 'Z' ? 168 : 179;
  } else if (build.rfind("YIE", 0) == 0) {
    v.specialFolder = 12;
    v.phonePicture = 177;
  } else if (first == 'C') {
    v.phonePicture = 176;
  } else if (first == 'M') {
    v.phonePicture = 178;
  }
  return v;
}

int MediaryVariant::NextKind(int kind) const {
  if (kind == 0) return 1;
  if (kind == 1) return moviesByCtrlTab ? 2 : 0;
  return 0;
}

ScreenPlace PreviewPlaceIn(int phonePicture) {
  // The screens as res/draw_bitmaps.py draws them, less their one-pixel border.
  switch (phonePicture) {
    case 168: return {22, 41, 128, 139};
    case 176: return {26, 51, 124, 139};
    case 177: return {22, 35, 128, 133};
    case 178: return {26, 45, 124, 129};
    case 179: return {18, 31, 132, 149};
    default: return {};
  }
}

ViewButtonFaces ViewButtonBitmaps(int button, int chosen) {
  static constexpr ViewButtonFaces kChosen[] = {{158, 158}, {157, 157}, {171, 171}};
  static constexpr ViewButtonFaces kOther[] = {{160, 159}, {155, 156}, {173, 172}};
  if (button < 0 || button > 2) return {};
  return button == chosen ? kChosen[button] : kOther[button];
}

int PreviewBackground(int kind) { return kind == 1 ? 169 : kind == 2 ? 175 : 170; }

std::string StartFolder(const std::string& stored, const std::string& documents) {
  // Suite paths ("C:\\...") as well as Linux ones.
  const DWORD attributes = stored.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(stored.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return stored;
  return documents;
}
