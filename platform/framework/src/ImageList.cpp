// Image list objects.
#include <framework/Dc.h>
#include <framework/GdiObjects.h>
#include <framework/ImageList.h>
#include <framework/ModuleState.h>

#include <resources/Resource.h>
#include <user/User.h>

IMPLEMENT_DYNCREATE(CImageList, CObject)

CImageList::~CImageList() { DeleteImageList(); }

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int grow) {
  return Attach(ImageList_Create(cx, cy, flags, initial, grow));
}

BOOL CImageList::Create(UINT bitmapId, int cx, int grow, COLORREF mask) {
  CBitmap bitmap;
  if (!bitmap.LoadBitmap(bitmapId)) return FALSE;
  BITMAP info{};
  bitmap.GetBitmap(&info);
  if (cx <= 0 || !Create(cx, info.bmHeight, ILC_COLOR32 | (mask == CLR_NONE ? 0 : ILC_MASK), info.bmWidth / cx, grow)) {
    return FALSE;
  }
  int first = mask == CLR_NONE ? Add(&bitmap, static_cast<CBitmap*>(nullptr)) : Add(&bitmap, mask);
  if (first < 0) {
    DeleteImageList();
    return FALSE;
  }
  return TRUE;
}

BOOL CImageList::Attach(HIMAGELIST list) {
  if (!list || m_hImageList) return FALSE;
  m_hImageList = list;
  return TRUE;
}

HIMAGELIST CImageList::Detach() {
  HIMAGELIST list = m_hImageList;
  m_hImageList = nullptr;
  return list;
}

BOOL CImageList::DeleteImageList() {
  HIMAGELIST list = Detach();
  return list ? ImageList_Destroy(list) : FALSE;
}

int CImageList::Add(CBitmap* image, CBitmap* mask) {
  return ImageList_Add(m_hImageList, *image, mask ? static_cast<HBITMAP>(*mask) : nullptr);
}

int CImageList::Add(CBitmap* image, COLORREF maskColour) { return ImageList_AddMasked(m_hImageList, *image, maskColour); }

BOOL CImageList::Draw(CDC* dc, int index, POINT at, UINT style) {
  return ImageList_Draw(m_hImageList, index, dc->m_hDC, at.x, at.y, style);
}
