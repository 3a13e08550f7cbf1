#include "MediaIndex.h"

#include "StoreFiles.h"

#include <sstream>

namespace phonesim {

namespace {

std::string HexOrDash(const std::string& text) { return text.empty() ? std::string("-") : HexOf(text); }
std::string TextOfHex(const std::string& hex) { return BytesOfHex(hex == "-" ? "" : hex).value_or(""); }

}  // namespace

std::optional<MediaIndex> ReadMediaIndex(const std::filesystem::path& store) {
  const std::vector<std::string> lines = ReadStoreLines(store / "index.txt");
  if (lines.empty()) return std::nullopt;
  MediaIndex index;
  for (const std::string& line : lines) {
    std::istringstream in(line);
    std::string kind, name, title;
    if (!(in >> kind)) continue;
    if (kind == "next") {
      in >> index.nextFolder >> index.nextFile;
    } else if (kind == "folder") {
      MediaFolderEntry f;
      in >> f.number >> f.parent >> f.type >> f.attribute >> name;
      f.name = TextOfHex(name);
      index.folders.push_back(f);
    } else if (kind == "file") {
      MediaFileEntry f;
      in >> f.id >> f.folder >> f.type >> f.attribute >> name >> title;
      f.name = TextOfHex(name);
      f.title = TextOfHex(title);
      index.files.push_back(f);
    }
  }
  return index;
}

bool WriteMediaIndex(const std::filesystem::path& store, const MediaIndex& index) {
  std::vector<std::string> lines{"next " + std::to_string(index.nextFolder) + " " + std::to_string(index.nextFile)};
  for (const MediaFolderEntry& f : index.folders) {
    lines.push_back("folder " + std::to_string(f.number) + " " + std::to_string(f.parent) + " " +
                    std::to_string(f.type) + " " + std::to_string(f.attribute) + " " + HexOrDash(f.name));
  }
  for (const MediaFileEntry& f : index.files) {
    lines.push_back("file " + std::to_string(f.id) + " " + std::to_string(f.folder) + " " + std::to_string(f.type) +
                    " " + std::to_string(f.attribute) + " " + HexOrDash(f.name) + " " + HexOrDash(f.title));
  }
  return WriteStoreLines(store / "index.txt", lines);
}

std::filesystem::path MediaDataPath(const std::filesystem::path& store, int id) {
  return store / (std::to_string(id) + ".bin");
}

}  // namespace phonesim
