#pragma once
// CImageList: an image list handle with its object; the list is destroyed with the object unless
// detached.
#include <framework/Object.h>

#include <gdi/Gdi.h>

class CBitmap;
class CDC;

class CImageList : public CObject {
  DECLARE_DYNCREATE(CImageList)

public:
  CImageList() = default;
  ~CImageList() override;

  HIMAGELIST m_hImageList = nullptr;
  operator HIMAGELIST() const { return m_hImageList; }
  HIMAGELIST GetSafeHandle() const { return m_hImageList; }

  BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
  // From a bitmap resource of the current module, cut into images `cx` wide; `mask` is the
  // transparent colour (CLR_NONE: none).
  BOOL Create(UINT bitmapId, int cx, int grow, COLORREF mask);
  BOOL Attach(HIMAGELIST list);
  HIMAGELIST Detach();
  BOOL DeleteImageList();

  int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
  int Add(CBitmap* image, CBitmap* mask);
  int Add(CBitmap* image, COLORREF maskColour);
  int Add(HICON icon) { return ImageList_AddIcon(m_hImageList, icon); }
  int Replace(int index, HICON icon) { return ImageList_ReplaceIcon(m_hImageList, index, icon); }
  BOOL Remove(int index) { return ImageList_Remove(m_hImageList, index); }
  HICON ExtractIcon(int index) { return ImageList_GetIcon(m_hImageList, index, ILD_NORMAL); }
  COLORREF SetBkColor(COLORREF colour) { return ImageList_SetBkColor(m_hImageList, colour); }
  COLORREF GetBkColor() const { return ImageList_GetBkColor(m_hImageList); }
  BOOL GetImageInfo(int index, IMAGEINFO* info) const { return ImageList_GetImageInfo(m_hImageList, index, info); }
  BOOL Draw(CDC* dc, int index, POINT at, UINT style);

  BOOL BeginDrag(int index, POINT hotSpot) { return ImageList_BeginDrag(m_hImageList, index, hotSpot.x, hotSpot.y); }
  static BOOL DragEnter(HWND lock, POINT at) { return ImageList_DragEnter(lock, at.x, at.y); }
  static BOOL DragMove(POINT at) { return ImageList_DragMove(at.x, at.y); }
  static BOOL DragLeave(HWND lock) { return ImageList_DragLeave(lock); }
  static BOOL DragShowNolock(BOOL show) { return ImageList_DragShowNolock(show); }
  static void EndDrag() { ImageList_EndDrag(); }
};
