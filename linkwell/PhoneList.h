#pragma once
// The phone list "Phones.ini": phone names and their build strings. A line "-<name>,<build>" gives an
// entry when its last comma stands at index 3 or later; name and build are trimmed of blanks. Other
// lines are ignored.
//
// A build string names the phone family and variant in its first three letters and, from its fifth
// character up to a "/" or its end, the lowest software version of that phone.
#include <base/WinDef.h>

#include <string>
#include <string_view>
#include <vector>

class CPhoneList {
 public:
  // Reads the file anew; false (and an empty list) when it cannot be opened.
  bool Read(LPCSTR path);
  void Parse(std::string_view text);

  const std::vector<std::string>& Names() const { return m_names; }
  const std::vector<std::string>& Builds() const { return m_builds; }

  // The model text when it contains one of the listed names, else empty.
  std::string MatchModel(std::string_view model) const;

  // The first entry whose name contains `model` and whose build holds the version's first three
  // letters at a position p such that the version from its fifth character on is not below the
  // build from p + 4 up to the next "/" (byte-wise); -1 when none fits.
  int FindBuildRow(std::string_view model, std::string_view version) const;

 private:
  std::vector<std::string> m_names;
  std::vector<std::string> m_builds;
};
