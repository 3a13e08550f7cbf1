#pragma once
// CFolderComboBox: the folder box above the PC pane, on the kit's flat combo box. It lists the
// desktop, the documents folder, the platform's drives and "/", and the levels of the current path
// under its drive, each one step deeper; the path of an item is read back by its index.
//
// Threads: the user-interface thread that owns the window.
#include "FolderList.h"

#include <FlatComboBox.h>

#include <string>
#include <vector>

class CFolderComboBox : public CFlatComboBox {
 public:
  // Refills the box for `path`; the index of the item that names it (-1 when none), selected.
  int FillFolders(const std::string& path);
  // The folder of an item ("" for none).
  std::string GetFolder(int index) const;

 private:
  std::vector<std::string> m_paths;  // by item index
};
