#pragma once
// What a manager's construction reads and sets: the settings of "Software\Halvane\Tolvar\Settings"
// of the current user, and what the first letter of "Build" selects (the phone's model code, the
// record layouts, the media main folders and the link engine's chunk sizes).
#include <framework/Afx.h>

#include <optional>

// What one first letter of "Build" selects.
struct BuildVariant {
  char letter;
  const char* modelCode;
  bool extended;    // the extended schedule and to-do layouts
  int mainFolders;  // 2: Pictures and Sounds; 3: Movies too
  int uploadChunk;  // the link engine's first and third chunk sizes
  int downloadChunk;
};

// The variant of the first letter of `build`; none for an unknown letter or an empty text.
std::optional<BuildVariant> FindBuildVariant(const CString& build);

// The link engine's model code back to "00126"; the settings read into the library's settings (a
// value that cannot be read keeps its default); the Build letter applied to the settings, both
// store sides and the link engine; the progress callback cleared; the main folder table filled.
void LoadManagerSettings();

// The loopback port a test runs its own link service on (TOLVAR_LINK_PORT, which nothing sets
// outside the tests); none when the variable is missing or names no port. A manager connects there
// instead of port 4000, and the library then has no link service to start.
std::optional<u_short> TestLinkPort();
