// GDI object classes: ownership of one handle each, temporaries for handles owned elsewhere.
#include <framework/Dc.h>
#include <framework/GdiObjects.h>
#include <framework/ModuleState.h>

#include <resources/Resource.h>
#include <user/User.h>

#include "ThreadState.h"

#include <cstring>

using tolvar::framework::Thread;

IMPLEMENT_DYNCREATE(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)
IMPLEMENT_DYNAMIC(CPalette, CGdiObject)

CGdiObject::~CGdiObject() {
  if (!m_temporary) DeleteObject();
}

template <class T>
T* CGdiObject::Temporary(HGDIOBJ object) {
  if (!object) return nullptr;
  auto temporary = std::make_unique<T>();
  temporary->m_hObject = object;
  temporary->m_temporary = true;
  T* result = temporary.get();
  Thread().tempGdiObjects.push_back(std::move(temporary));
  return result;
}
template CPen* CGdiObject::Temporary<CPen>(HGDIOBJ);
template CBrush* CGdiObject::Temporary<CBrush>(HGDIOBJ);
template CFont* CGdiObject::Temporary<CFont>(HGDIOBJ);
template CBitmap* CGdiObject::Temporary<CBitmap>(HGDIOBJ);
template CRgn* CGdiObject::Temporary<CRgn>(HGDIOBJ);
template CPalette* CGdiObject::Temporary<CPalette>(HGDIOBJ);

CGdiObject* CGdiObject::FromHandle(HGDIOBJ object) {
  switch (::GetObjectType(object)) {
    case OBJ_PEN: return Temporary<CPen>(object);
    case OBJ_BRUSH: return Temporary<CBrush>(object);
    case OBJ_FONT: return Temporary<CFont>(object);
    case OBJ_BITMAP: return Temporary<CBitmap>(object);
    case OBJ_REGION: return Temporary<CRgn>(object);
    case OBJ_PAL: return Temporary<CPalette>(object);
    default: return Temporary<CGdiObject>(object);
  }
}

void CGdiObject::DeleteTempMap() {
  for (auto& temporary : Thread().tempGdiObjects) temporary->m_hObject = nullptr;
  Thread().tempGdiObjects.clear();
}

BOOL CGdiObject::Attach(HGDIOBJ object) {
  if (!object || m_hObject) return FALSE;
  m_hObject = object;
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ object = m_hObject;
  m_hObject = nullptr;
  return object;
}

BOOL CGdiObject::DeleteObject() {
  HGDIOBJ object = Detach();
  return object ? ::DeleteObject(object) : FALSE;
}

BOOL CGdiObject::CreateStockObject(int index) { return Attach(::GetStockObject(index)); }

BOOL CBrush::CreatePatternBrush(CBitmap* bitmap) { return Attach(::CreatePatternBrush(*bitmap)); }

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                       BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                       BYTE pitchAndFamily, LPCSTR faceName) {
  return Attach(::CreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                              outPrecision, clipPrecision, quality, pitchAndFamily, faceName));
}

BOOL CFont::CreatePointFont(int pointSize, LPCSTR faceName) {
  LOGFONTA font{};
  font.lfHeight = -((pointSize * 96 + 360) / 720);
  font.lfWeight = FW_NORMAL;
  if (faceName) std::strncpy(font.lfFaceName, faceName, sizeof font.lfFaceName - 1);
  return CreateFontIndirect(&font);
}

BOOL CBitmap::LoadBitmap(LPCSTR name) { return Attach(::LoadBitmapA(AfxGetResourceHandle(), name)); }
BOOL CBitmap::LoadBitmap(UINT id) { return LoadBitmap(MAKEINTRESOURCEA(static_cast<WORD>(id))); }

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
  return Attach(::CreateCompatibleBitmap(dc ? dc->m_hDC : nullptr, width, height));
}

BOOL CPalette::CreateHalftonePalette(CDC* dc) { return Attach(::CreateHalftonePalette(dc ? dc->m_hDC : nullptr)); }
