// The panes' list window: row drawing by data word and the notifications to the parent.
#include "PaneListCtrl.h"

#include "PanePath.h"
#include "PaneRows.h"

#include <gdi/Unique.h>
#include <shell/ShellApi.h>

#include <algorithm>
#include <string>
#include <vector>

COLORREF PaneRowTextColour(std::uint32_t dataWord) {
  if (dataWord & RowBits::Unusable) return CPaneListCtrl::kUnusableText;
  if (dataWord & RowBits::Queued) return CPaneListCtrl::kQueuedText;
  if (dataWord & RowBits::SizeRefused) return CPaneListCtrl::kRefusedText;
  return CPaneListCtrl::kNormalText;
}

namespace {

constexpr UINT kCellFormat = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;

UINT Alignment(int format) {
  switch (format & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT: return DT_RIGHT;
    case LVCFMT_CENTER: return DT_CENTER;
    default: return DT_LEFT;
  }
}

tolvar::gdi::UniqueFont BoldOf(HFONT font) {
  LOGFONTA logical{};
  ::GetObjectA(font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT), sizeof logical, &logical);
  logical.lfWeight = FW_BOLD;
  return tolvar::gdi::UniqueFont(::CreateFontIndirectA(&logical));
}

}  // namespace

void CPaneListCtrl::DrawItem(LPDRAWITEMSTRUCT draw) {
  CDC* dc = CDC::FromHandle(draw->hDC);
  const int row = static_cast<int>(draw->itemID);
  const RECT& r = draw->rcItem;
  const auto word = static_cast<std::uint32_t>(GetItemData(row));
  const bool selected = GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED;
  const bool dropTarget = GetItemState(row, LVIS_DROPHILITED) & LVIS_DROPHILITED;
  const COLORREF fill = selected || dropTarget ? GetSelectionColor() : GetRowBkColor();
  dc->FillSolidRect(&r, fill);
  // On a selection fill as dark as the row's text (the phone pane's blue) the text goes in the
  // rows' background colour, as in the kit's list.
  dc->SetTextColor(ReadableOn(dropTarget ? kNormalText : PaneRowTextColour(word), GetRowBkColor(), fill));

  const bool focused = GetItemState(row, LVIS_FOCUSED) & LVIS_FOCUSED;
  const auto listFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
  tolvar::gdi::UniqueFont bold;
  if (focused) bold = BoldOf(listFont);
  tolvar::gdi::ScopedSelect font(*dc, focused && bold ? bold.Get() : listFont);

  const int indent = (word & RowBits::Parent) ? 0 : GetTextIndent();
  int x = 0;
  LVCOLUMNA column{};
  column.mask = LVCF_FMT | LVCF_WIDTH;
  for (int c = 0; GetColumn(c, &column); ++c) {
    RECT cell{x + indent, r.top, x + column.cx, r.bottom};
    x += column.cx;
    const CString text = GetItemText(row, c);
    if (text.IsEmpty()) continue;
    if (c == 0) {
      // The parent entry, the phone's rows and queued rows from the own strip, the PC's rows from
      // the shell's list; an image drawn moves the text right.
      LVITEMA item{};
      item.mask = LVIF_IMAGE;
      item.iItem = row;
      GetItem(&item);
      const POINT at{cell.left, r.top + (r.bottom - r.top - 16) / 2};
      if (word & (RowBits::Parent | RowBits::Phone | RowBits::Queued)) {
        if (m_icons && m_icons->Draw(dc, item.iImage, at, ILD_TRANSPARENT)) cell.left += 20;
      } else if (m_shellIcons && item.iImage >= 0 &&
                 ::ImageList_Draw(m_shellIcons, item.iImage, dc->GetSafeHdc(), at.x, at.y, ILD_TRANSPARENT)) {
        cell.left += 20;
      }
    }
    dc->DrawText(text, &cell, Alignment(column.fmt) | kCellFormat);
  }
}

void CPaneListCtrl::SetSystemImageList(const std::string& path) {
  SHFILEINFOA info{};
  m_shellIcons = reinterpret_cast<HIMAGELIST>(
      ::SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  if (m_hWnd) Invalidate();
}

int CPaneListCtrl::GetShellIcon(const std::string& path) {
  SHFILEINFOA info{};
  if (!::SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) return -1;
  return info.iIcon;
}

UINT CPaneListCtrl::EditLabelMessage() {
  static const UINT message = ::RegisterWindowMessageA("WM_EDIT_LABEL");
  return message;
}

LRESULT CPaneListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == EditLabelMessage()) {
    const int row = static_cast<int>(wParam);
    SetFocus();
    for (int selected = GetNextItem(-1, LVNI_SELECTED); selected >= 0; selected = GetNextItem(selected, LVNI_SELECTED))
      SetItemState(selected, 0, LVIS_SELECTED);
    SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EditLabel(row);
    return 0;
  }
  switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      const LRESULT result = CSkinListCtrl::WindowProc(message, wParam, lParam);
      Notify(kPaneFocusNotify, message == WM_SETFOCUS);
      return result;
    }
    case WM_TIMER:
      if (wParam == kSelectionTimer) {
        KillTimer(kSelectionTimer);
        Notify(kPaneSelectionNotify, FALSE);
        return 0;
      }
      break;
    case LVM_SETITEMSTATE:
    case LVM_DELETEITEM:
    case LVM_DELETEALLITEMS:
    case WM_LBUTTONDOWN:
    case WM_KEYDOWN: {
      // Every change may move the selection: one settled notification follows the last of a burst.
      const LRESULT result = CSkinListCtrl::WindowProc(message, wParam, lParam);
      if (m_hWnd) SetTimer(kSelectionTimer, 50, nullptr);
      return result;
    }
    default:
      break;
  }
  return CSkinListCtrl::WindowProc(message, wParam, lParam);
}

void CPaneListCtrl::Notify(UINT code, BOOL gained) {
  CWnd* parent = GetParent();
  if (!parent) return;
  FocusNotify notify{};
  notify.header.hwndFrom = m_hWnd;
  notify.header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
  notify.header.code = code;
  notify.gained = gained;
  parent->SendMessage(WM_NOTIFY, notify.header.idFrom, reinterpret_cast<LPARAM>(&notify));
}

void CPaneListCtrl::ShowPhoneRows(const RecordTable& table) {
  DeleteAllItems();
  if (GetHeader().GetItemCount() == 0) {
    InsertColumn(0, "Name", LVCFMT_LEFT, 250);
    InsertColumn(1, "Size", LVCFMT_LEFT, 50);
    InsertColumn(2, "Type", LVCFMT_LEFT, 150);
  }
  for (const TransferRecord& record : table.rows) {
    const int image = (record.dataWord & RowBits::Marked) ? RowImage::Marked : record.image;
    const int row = AddItem(record.name.c_str(), static_cast<LPARAM>(record.dataWord), image);
    SetItemText(row, 1, PhoneSizeText(record.size).c_str());
    SetItemText(row, 2, KindTypeText(record.kind).c_str());
  }
}

void CPaneListCtrl::ShowPcRows(const CPcPaneModel& model) {
  DeleteAllItems();
  if (GetHeader().GetItemCount() == 0) {
    InsertColumn(0, "Name", LVCFMT_LEFT, 210);
    InsertColumn(1, "Size", LVCFMT_LEFT, 50);
    InsertColumn(2, "Type", LVCFMT_LEFT, 70);
    InsertColumn(3, "Modified", LVCFMT_LEFT, 120);
  }
  for (const PcRow& pc : model.Rows()) {
    int image = RowImage::OfMediaClass(model.GetMediaClass());
    if (pc.dataWord & RowBits::Parent) {
      image = RowImage::ParentEntry;
    } else if (!pc.queued) {
      // A shortcut row is named without its ".lnk"; a symbolic link keeps its own name.
      const std::string path = panepath::Join(model.GetFolder(), pc.name);
      image = (pc.dataWord & RowBits::Shortcut) ? GetShellIcon(path + ".lnk") : -1;
      if (image < 0) image = GetShellIcon(path);
    }
    const int row = AddItem(pc.name.c_str(), static_cast<LPARAM>(pc.dataWord), image);
    SetItemText(row, 1, pc.size.c_str());
    SetItemText(row, 2, pc.type.c_str());
    SetItemText(row, 3, pc.modified.c_str());
  }
}

std::unique_ptr<CImageList> CPaneListCtrl::CreateSelectionDragImage(POINT* hotSpot) {
  std::vector<std::string> names;
  int first = -1;
  for (int row = GetNextItem(-1, LVNI_SELECTED); row >= 0; row = GetNextItem(row, LVNI_SELECTED)) {
    if (first < 0) first = row;
    names.emplace_back(GetItemText(row, 0));
  }
  if (names.empty()) return nullptr;
  const std::vector<std::string> lines = DragImageLines(names);
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  const int width = GetColumn(0, &column) && column.cx > 0 ? column.cx : 100;
  RECT firstRow{};
  GetItemRect(first, &firstRow, LVIR_BOUNDS);
  const int lineHeight = std::max<int>(1, firstRow.bottom - firstRow.top);
  const int height = lineHeight * int(lines.size());

  CClientDC client(this);
  tolvar::gdi::UniqueDC memory(::CreateCompatibleDC(client));
  tolvar::gdi::UniqueBitmap bitmap(::CreateCompatibleBitmap(client, width, height));
  if (!memory || !bitmap) return nullptr;
  {
    tolvar::gdi::ScopedSelect select(memory.Get(), bitmap.Get());
    tolvar::gdi::ScopedSelect font(memory.Get(), reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
    RECT all{0, 0, width, height};
    tolvar::gdi::UniqueBrush white(::CreateSolidBrush(RGB(255, 255, 255)));
    ::FillRect(memory.Get(), &all, white.Get());
    ::SetBkMode(memory.Get(), TRANSPARENT);
    ::SetTextColor(memory.Get(), kNormalText);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      RECT line{2, int(i) * lineHeight, width, int(i + 1) * lineHeight};
      ::DrawTextA(memory.Get(), lines[i].c_str(), int(lines[i].size()), &line, kCellFormat);
    }
  }
  auto images = std::make_unique<CImageList>();
  if (!images->Create(width, height, ILC_MASK | ILC_COLOR32, 0, 1)) return nullptr;
  if (images->Add(CBitmap::FromHandle(bitmap.Get()), RGB(255, 255, 255)) < 0) return nullptr;
  if (hotSpot) {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ScreenToClient(&cursor);
    *hotSpot = POINT{cursor.x - firstRow.left, cursor.y - firstRow.top};
  }
  return images;
}
