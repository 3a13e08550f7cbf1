#pragma once
// CBmpFileDialog: a file-open dialog for bitmaps with a preview. The caller's module provides the
// child template 5000 with the controls 5001 (the owner-drawn preview), 5002 to 5005 (width,
// height, colours, size), 5006 (the preview box) and 5008 (a button enabled while a preview is
// shown). The wanted properties, when all three are set, allow OK only for a bitmap that has them.
// The preview and the wanted values are class-wide, as the hook procedure that serves them is.
#include <framework/FileDialog.h>

class CBmpFileDialog : public CFileDialog {
  DECLARE_DYNAMIC(CBmpFileDialog)

public:
  explicit CBmpFileDialog(BOOL openFileDialog, LPCSTR defExt = nullptr, LPCSTR fileName = nullptr,
                          DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR filter = nullptr,
                          CWnd* parent = nullptr);

  static void SetWantedBmpProperties(long width, long height, long bitsPerPixel);
  BOOL OnInitDialog() override;
  // The dialog's hook procedure (on the hook window, the child of the Explorer dialog); answers 0.
  static UINT_PTR OFNHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  static HBITMAP hpreview;  // the bitmap shown in the preview, NULL when none
  static long m_nBmWidth;   // the wanted properties, 0 = any
  static long m_nBmHeight;
  static long m_nBmBitsPixel;
  static BOOL m_showpreview;  // the preview box, kept between dialogs

  // The dialog's resources and controls.
  static constexpr int kTemplate = 5000;
  static constexpr int kPreview = 5001, kWidth = 5002, kHeight = 5003, kColours = 5004, kSize = 5005,
                       kPreviewBox = 5006, kPreviewButton = 5008;
};
