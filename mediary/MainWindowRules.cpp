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

std::string StartFolder(const std::string& stored, const std::string& documents) {
  // Suite paths ("C:\\...") as well as Linux ones.
  const DWORD attributes = stored.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(stored.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return stored;
  return documents;
}
