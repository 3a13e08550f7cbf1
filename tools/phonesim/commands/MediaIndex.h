#pragma once
// The index of the phone's multimedia file system as its store keeps it ("index.txt" of the store
// "media"): one line per folder and per file, names and titles as hex of their UTF-8, and the
// numbers the next new folder and the next new file take. Each file's bytes lie beside it in
// "<id>.bin". The phone's media commands and the tests that lay out or read back a phone's media
// share this one reading and writing of it.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace phonesim {

struct MediaFolderEntry {
  int number = 0;
  int parent = 0;
  int type = 0;
  int attribute = 0;
  std::string name;
};

struct MediaFileEntry {
  int id = 0;
  int folder = 0;
  int type = 0;
  int attribute = 0;
  std::string name;
  std::string title;
};

struct MediaIndex {
  int nextFolder = 16;
  int nextFile = 1;
  std::vector<MediaFolderEntry> folders;
  std::vector<MediaFileEntry> files;
};

// The index of a store folder; none when it has no index yet.
std::optional<MediaIndex> ReadMediaIndex(const std::filesystem::path& store);
bool WriteMediaIndex(const std::filesystem::path& store, const MediaIndex& index);
// Where a file's bytes lie in the store.
std::filesystem::path MediaDataPath(const std::filesystem::path& store, int id);

}  // namespace phonesim
