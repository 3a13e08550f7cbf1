#pragma once
// The extended combo box ("ComboBoxEx32"): a combo box whose items carry an image of an image list
// and an indentation, drawn by the control itself. Editable with CBS_DROPDOWN; the end of an edit
// is told to the parent with CBEN_ENDEDIT. The CB_ messages reach the combo box inside.
#include <base/WinDef.h>
#include <gdi/Gdi.h>
#include <user/User.h>

inline constexpr const char* WC_COMBOBOXEXA = "ComboBoxEx32";

constexpr UINT CBEIF_TEXT = 0x00000001;
constexpr UINT CBEIF_IMAGE = 0x00000002;
constexpr UINT CBEIF_SELECTEDIMAGE = 0x00000004;
constexpr UINT CBEIF_OVERLAY = 0x00000008;
constexpr UINT CBEIF_INDENT = 0x00000010;
constexpr UINT CBEIF_LPARAM = 0x00000020;

struct COMBOBOXEXITEMA {
  UINT mask;
  INT_PTR iItem;  // -1 appends
  LPSTR pszText;
  int cchTextMax;
  int iImage;
  int iSelectedImage;
  int iOverlay;
  int iIndent;  // in steps of ten pixels
  LPARAM lParam;
};
using PCOMBOBOXEXITEMA = COMBOBOXEXITEMA*;

constexpr UINT CBEM_INSERTITEMA = WM_USER + 1;
constexpr UINT CBEM_SETIMAGELIST = WM_USER + 2;
constexpr UINT CBEM_GETIMAGELIST = WM_USER + 3;
constexpr UINT CBEM_GETITEMA = WM_USER + 4;
constexpr UINT CBEM_SETITEMA = WM_USER + 5;
constexpr UINT CBEM_DELETEITEM = 0x0144;  // CB_DELETESTRING
constexpr UINT CBEM_GETCOMBOCONTROL = WM_USER + 6;
constexpr UINT CBEM_GETEDITCONTROL = WM_USER + 7;
constexpr UINT CBEM_HASEDITCHANGED = WM_USER + 10;

constexpr UINT CBEN_FIRST = 0u - 800u;
constexpr UINT CBEN_ENDEDITA = CBEN_FIRST - 5;

constexpr int CBENF_KILLFOCUS = 1;
constexpr int CBENF_RETURN = 2;
constexpr int CBENF_ESCAPE = 3;
constexpr int CBENF_DROPDOWN = 4;

struct NMCBEENDEDITA {
  NMHDR hdr;
  BOOL fChanged;
  int iNewSelection;  // CB_ERR when the text is no item's
  char szText[260];
  int iWhy;
};
using PNMCBEENDEDITA = NMCBEENDEDITA*;
