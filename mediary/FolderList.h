#pragma once
// The entries of the folder box above the PC pane: the desktop, the documents folder, every drive
// and "/", and under the drive (or "/") that the current path lies on, each folder level of the
// path, one step deeper than the level above it.
#include <string>
#include <vector>

struct FolderEntry {
  std::string text;
  std::string path;
  int indent = 0;
};

struct FolderList {
  std::vector<FolderEntry> entries;
  int match = -1;  // the entry of the current path
};

// `drives` as the platform lists them ("C:\", "D:\"); "/" is added after them.
FolderList BuildFolderList(const std::string& path, const FolderEntry& desktop, const FolderEntry& documents,
                           const std::vector<std::string>& drives);
