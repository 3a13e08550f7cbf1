#pragma once
// CPaneListCtrl: the list window of both panes, on the kit's report list. It draws each row by its
// data word (queued, refused and unusable rows in their colours, the parent entry without indent),
// tells its parent when it gains or loses the focus (code 1124) and, once per burst of changes,
// that the selection changed (code 1125, 50 milliseconds after the last change), and shows the rows
// of the panes' models. The rules of what a row means live in the models; this window only shows.
//
// Threads: the user-interface thread that owns the window.
#include "PcPaneModel.h"
#include "TransferRecord.h"

#include <SkinListCtrl.h>

#include <cstdint>
#include <memory>
#include <string>

// Notification codes to the parent (WM_NOTIFY from this list).
constexpr UINT kPaneFocusNotify = 1124;      // lParam's NMHDR; wParam: 1 gained, 0 lost
constexpr UINT kPaneSelectionNotify = 1125;  // the selection settled
constexpr UINT_PTR kSelectionTimer = 502;

// Colours of a row's text by its data word (0x00BBGGRR).
COLORREF PaneRowTextColour(std::uint32_t dataWord);

class CPaneListCtrl : public CSkinListCtrl {
 public:
  static constexpr COLORREF kNormalText = 0x822A08;
  static constexpr COLORREF kQueuedText = 0x0000FF;
  static constexpr COLORREF kRefusedText = 0xFF0000;
  static constexpr COLORREF kUnusableText = 0x057E05;

  // A notification carries whether the focus was gained.
  struct FocusNotify {
    NMHDR header;
    BOOL gained;
  };

  void DrawItem(LPDRAWITEMSTRUCT draw) override;
  // The drag image: the names of at most five selected rows stacked as wide as the name column,
  // and "..." on a sixth line when more are selected.
  std::unique_ptr<CImageList> CreateSelectionDragImage(POINT* hotSpot) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // The phone pane's columns (Name, Size, Type) and rows of one table.
  void ShowPhoneRows(const RecordTable& table);
  // The PC pane's columns (Name, Size, Type, Modified) and its rows.
  void ShowPcRows(const CPcPaneModel& model);
  // The list base's own icons (the parent entry, folders, the media kinds, marks) when set: the
  // images of the parent entry, the phone's rows and queued rows.
  void SetIconStrip(CImageList* icons) { m_icons = icons; }
  // The shell's small system image list, found through `path`: the images of the other rows (the
  // PC's files, folders and shortcuts), each row's image its index there.
  void SetSystemImageList(const std::string& path);
  HIMAGELIST GetSystemImageList() const { return m_shellIcons; }
  // The small system image index of the icon of `path`; -1 when the shell does not know the path.
  static int GetShellIcon(const std::string& path);
  // Posted to the list to open the label edit of row wParam again, once a refused name was told.
  static UINT EditLabelMessage();

 private:
  void Notify(UINT code, BOOL gained);

  CImageList* m_icons = nullptr;
  HIMAGELIST m_shellIcons = nullptr;  // the shell's, shared by the process
};
