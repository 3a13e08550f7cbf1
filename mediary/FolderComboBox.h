#pragma once
// CFolderComboBox: the folder box above the PC pane, on the kit's flat combo box. It lists the
// desktop, the documents folder, the platform's drives and "/", and the levels of the current path
// under its drive, each one step deeper; the path of an item is read back by its index. Each item
// shows the shell's small icon of its folder before its name, indented by its level in the list.
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
  // The index of an item's icon in the shell's small system image list (-1 for none), and the
  // item's level (each level is kIndentStep pixels deeper in the list).
  int GetItemIcon(int index) const;
  int GetItemIndent(int index) const;
  HIMAGELIST GetSystemImageList() const { return m_shellIcons; }
  static constexpr int kIndentStep = 10;

 protected:
  int DrawItemImage(CDC& dc, int index, const RECT& item, UINT state) override;

 private:
  struct Item {
    std::string path;
    int icon = -1;
    int indent = 0;
  };
  const Item* ItemAt(int index) const;

  std::vector<Item> m_items;  // by item index
  HIMAGELIST m_shellIcons = nullptr;  // the shell's, shared by the process
};
