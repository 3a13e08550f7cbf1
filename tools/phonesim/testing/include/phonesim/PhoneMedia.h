#pragma once
// A simulated phone's pictures, sounds and movies as paths, for tests that lay them out before the
// phone starts and read them back after it stopped. A path starts with the main folder's number
// ("0" pictures, "1" sounds, "2" movies), then the sub-folders' names and the file's name, all
// joined by '/': "0/Camera/beach.jpg". A folder is listed as its path with a closing '/', so that
// an empty folder counts too; the main folders are always there and never listed.
#include <map>
#include <string>

namespace phonesim {

struct MediaItem {
  std::string kind;   // the kind name the phone reports ("keFTJpeg"); empty for a folder
  std::string bytes;  // the file's content; empty for a folder
  bool operator==(const MediaItem&) const = default;
};

using MediaTree = std::map<std::string, MediaItem>;

// Replaces the phone's media with `tree` (the phone must not be running). Folders named by the
// files' paths need no entries of their own.
bool WriteMediaTree(const std::string& stateFolder, const MediaTree& tree);
// The phone's media as it keeps them; empty when the phone has never had any (it then makes up a
// tree of its own when it starts).
MediaTree ReadMediaTree(const std::string& stateFolder);

}  // namespace phonesim
