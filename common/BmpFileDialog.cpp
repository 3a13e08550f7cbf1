// CBmpFileDialog. The hook procedure does the work: the preview box shows or hides the preview
// controls, a selection loads the file as a bitmap and fills the texts, the preview control draws
// the bitmap scaled to fit, and accepting a file frees the preview.
#include "BmpFileDialog.h"

#include <gdi/Gdi.h>
#include <kernel/File.h>
#include <resources/Resource.h>
#include <kernel/UniqueHandle.h>

#include <algorithm>
#include <string>

IMPLEMENT_DYNAMIC(CBmpFileDialog, CFileDialog)

HBITMAP CBmpFileDialog::hpreview = nullptr;
long CBmpFileDialog::m_nBmWidth = 0;
long CBmpFileDialog::m_nBmHeight = 0;
long CBmpFileDialog::m_nBmBitsPixel = 0;
BOOL CBmpFileDialog::m_showpreview = TRUE;

namespace {

constexpr char kFilter[] = "Bitmaps (*.bmp)\0*.bmp\0";

struct ColourText {
  int bits;
  const char* text;
};
constexpr ColourText kColourTexts[] = {
    {1, "Colors: 2 (monocromatic)"}, {4, "Colors: 16"}, {8, "Colors: 256"}, {16, "Colors: 65,536"}, {24, "Colors: 16 millions"},
};

void FreePreview() {
  if (CBmpFileDialog::hpreview) ::DeleteObject(CBmpFileDialog::hpreview);
  CBmpFileDialog::hpreview = nullptr;
}

void ClearTexts(HWND window) {
  for (int id : {CBmpFileDialog::kWidth, CBmpFileDialog::kHeight, CBmpFileDialog::kColours, CBmpFileDialog::kSize})
    ::SetDlgItemTextA(window, id, "");
}

void ShowPreviewControls(HWND window, bool show) {
  for (int id = CBmpFileDialog::kPreview; id <= CBmpFileDialog::kSize; ++id)
    ::ShowWindow(::GetDlgItem(window, id), show ? SW_SHOW : SW_HIDE);
}

// Loads the selected file into the preview and tells what it is.
void Refresh(HWND window) {
  FreePreview();
  HWND explorer = ::GetParent(window);
  char path[4096] = {};
  const LRESULT length = ::SendMessageA(explorer, CDM_GETFILEPATH, sizeof path, reinterpret_cast<LPARAM>(path));
  const DWORD attributes = ::GetFileAttributesA(path);
  if (length > 0 && static_cast<std::size_t>(length) <= sizeof path && attributes != INVALID_FILE_ATTRIBUTES &&
      !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    CBmpFileDialog::hpreview = static_cast<HBITMAP>(
        ::LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  ::InvalidateRect(::GetDlgItem(window, CBmpFileDialog::kPreview), nullptr, TRUE);
  const bool wanted = CBmpFileDialog::m_nBmWidth && CBmpFileDialog::m_nBmHeight && CBmpFileDialog::m_nBmBitsPixel;
  if (!CBmpFileDialog::hpreview) {
    // No bitmap: nothing to describe, and nothing that could have the wanted properties.
    ClearTexts(window);
    ::EnableWindow(::GetDlgItem(window, CBmpFileDialog::kPreviewButton), FALSE);
    if (wanted) ::EnableWindow(::GetDlgItem(explorer, IDOK), FALSE);
    return;
  }
  DIBSECTION section{};
  ::GetObjectA(CBmpFileDialog::hpreview, sizeof section, &section);
  const long width = section.dsBm.bmWidth, height = section.dsBm.bmHeight, bits = section.dsBmih.biBitCount;
  // Literal formats, so the compiler checks each against its value.
  char text[64];
  std::snprintf(text, sizeof text, "Width: %ld pixels", width);
  ::SetDlgItemTextA(window, CBmpFileDialog::kWidth, text);
  std::snprintf(text, sizeof text, "Height: %ld pixels", height);
  ::SetDlgItemTextA(window, CBmpFileDialog::kHeight, text);
  const auto colours = std::find_if(std::begin(kColourTexts), std::end(kColourTexts),
                                    [bits](const ColourText& c) { return c.bits == bits; });
  ::SetDlgItemTextA(window, CBmpFileDialog::kColours, colours != std::end(kColourTexts) ? colours->text : "");
  ::EnableWindow(::GetDlgItem(window, CBmpFileDialog::kPreviewButton), TRUE);
  long size = 0;
  tolvar::kernel::UniqueHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                  OPEN_EXISTING, 0, nullptr));
  if (file) size = static_cast<long>(::GetFileSize(file.Get(), nullptr) / 1024);
  std::snprintf(text, sizeof text, "Size: %ld Kb", size);
  ::SetDlgItemTextA(window, CBmpFileDialog::kSize, text);
  if (wanted) {
    const bool match = width == CBmpFileDialog::m_nBmWidth && height == CBmpFileDialog::m_nBmHeight &&
                       bits == CBmpFileDialog::m_nBmBitsPixel;
    ::EnableWindow(::GetDlgItem(explorer, IDOK), match);
  }
}

// The preview stretched into the control with its aspect ratio kept: the longer side fills the
// control and the other is centred.
void DrawPreview(const DRAWITEMSTRUCT& item) {
  const RECT& r = item.rcItem;
  ::FillRect(item.hDC, &r, ::GetSysColorBrush(COLOR_BTNFACE));
  if (!CBmpFileDialog::hpreview) return;
  BITMAP bitmap{};
  ::GetObjectA(CBmpFileDialog::hpreview, sizeof bitmap, &bitmap);
  if (bitmap.bmWidth <= 0 || bitmap.bmHeight <= 0) return;
  const int boxWidth = r.right - r.left, boxHeight = r.bottom - r.top;
  int width = boxWidth, height = boxHeight;
  if (static_cast<long long>(bitmap.bmWidth) * boxHeight >= static_cast<long long>(bitmap.bmHeight) * boxWidth)
    height = static_cast<int>(static_cast<long long>(bitmap.bmHeight) * boxWidth / bitmap.bmWidth);
  else
    width = static_cast<int>(static_cast<long long>(bitmap.bmWidth) * boxHeight / bitmap.bmHeight);
  HDC source = ::CreateCompatibleDC(item.hDC);
  HGDIOBJ old = ::SelectObject(source, CBmpFileDialog::hpreview);
  ::SetStretchBltMode(item.hDC, COLORONCOLOR);
  ::StretchBlt(item.hDC, r.left + (boxWidth - width) / 2, r.top + (boxHeight - height) / 2, width, height, source, 0, 0,
               bitmap.bmWidth, bitmap.bmHeight, SRCCOPY);
  ::SelectObject(source, old);
  ::DeleteDC(source);
}

}  // namespace

CBmpFileDialog::CBmpFileDialog(BOOL openFileDialog, LPCSTR defExt, LPCSTR fileName, DWORD flags, LPCSTR filter,
                               CWnd* parent)
    : CFileDialog(openFileDialog, defExt, fileName, flags, filter, parent) {
  SetWantedBmpProperties(0, 0, 0);
  m_strFilter.assign(kFilter, sizeof kFilter);  // both texts with their NULs, and the list's end
  m_ofn.lpstrFilter = m_strFilter.c_str();
  m_ofn.nFilterIndex = 1;
  m_ofn.Flags |= OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_HIDEREADONLY;
  m_ofn.lpTemplateName = MAKEINTRESOURCEA(kTemplate);  // in the caller's module (m_ofn.hInstance)
  m_ofn.lpfnHook = &CBmpFileDialog::OFNHookProc;
}

void CBmpFileDialog::SetWantedBmpProperties(long width, long height, long bitsPerPixel) {
  m_nBmWidth = width;
  m_nBmHeight = height;
  m_nBmBitsPixel = bitsPerPixel;
}

BOOL CBmpFileDialog::OnInitDialog() {
  CFileDialog::OnInitDialog();
  return TRUE;
}

UINT_PTR CBmpFileDialog::OFNHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      ::SetDlgItemTextA(::GetParent(window), IDOK, "Add");
      break;
    case WM_COMMAND:
      if (LOWORD(wParam) == kPreviewBox && HIWORD(wParam) == BN_CLICKED) {
        m_showpreview = ::IsDlgButtonChecked(window, kPreviewBox) == BST_CHECKED;
        if (m_showpreview) {
          ShowPreviewControls(window, true);
          Refresh(window);
        } else {
          FreePreview();
          ClearTexts(window);
          ShowPreviewControls(window, false);
          ::InvalidateRect(::GetDlgItem(window, kPreview), nullptr, TRUE);
        }
      }
      break;
    case WM_DRAWITEM:
      if (wParam == static_cast<WPARAM>(kPreview)) DrawPreview(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      break;
    case WM_NOTIFY:
      switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
        case CDN_INITDONE: ::CheckDlgButton(window, kPreviewBox, m_showpreview ? BST_CHECKED : BST_UNCHECKED); break;
        case CDN_SELCHANGE:
          if (m_showpreview) Refresh(window);
          break;
        case CDN_FILEOK: FreePreview(); break;
        default: ::EnableWindow(::GetDlgItem(window, kPreviewButton), FALSE); break;
      }
      break;
    default: break;
  }
  return 0;
}
