#include "GdiObject.h"
#include "DeviceContext.h"

#include <kernel/HandleTable.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <cstring>

namespace tolvar::gdi {
namespace {

// GDI handles start apart from the kernel's, so a stray CloseHandle never meets a pen.
kernel::HandleTable<GdiObject>& Objects() {
  static auto* table = new kernel::HandleTable<GdiObject>(0x00400000);  // never destroyed: objects may be deleted during exit
  return *table;
}

std::uintptr_t Key(HGDIOBJ handle) { return reinterpret_cast<std::uintptr_t>(handle); }

}  // namespace

HGDIOBJ InsertObject(std::shared_ptr<GdiObject> object) {
  return reinterpret_cast<HGDIOBJ>(Objects().Insert(std::move(object)));
}

std::shared_ptr<GdiObject> LookupObject(HGDIOBJ handle) {
  if (auto object = Objects().Lookup(Key(handle))) return object;
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

bool RemoveObject(HGDIOBJ handle) {
  // Let go outside the table's lock: a DC releases its selections.
  return Objects().Remove(Key(handle)) != nullptr;
}

std::shared_ptr<DeviceContext> LookupDc(HDC hdc) {
  auto object = LookupObject(hdc);
  if (!object || object->GetKind() != Kind::Dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return std::static_pointer_cast<DeviceContext>(object);
}

HBITMAP InsertBitmap(std::shared_ptr<Dib> dib, bool dibSection) {
  if (!dib) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto bitmap = std::make_shared<BitmapObject>();
  bitmap->dib = std::move(dib);
  bitmap->dibSection = dibSection;
  return static_cast<HBITMAP>(InsertObject(std::move(bitmap)));
}

namespace {

std::shared_ptr<GdiObject> MakeStock(int index) {
  auto brush = [](UINT style, COLORREF colour) {
    auto b = std::make_shared<BrushObject>();
    b->style = style;
    b->colour = colour;
    return b;
  };
  auto pen = [](int style, COLORREF colour) {
    auto p = std::make_shared<PenObject>();
    p->style = style;
    p->colour = colour;
    return p;
  };
  auto font = [](const char* face, LONG height, LONG weight, BYTE pitch) {
    auto f = std::make_shared<FontObject>();
    f->logfont.lfHeight = height;
    f->logfont.lfWeight = weight;
    f->logfont.lfPitchAndFamily = pitch;
    std::strncpy(f->logfont.lfFaceName, face, LF_FACESIZE - 1);
    return f;
  };
  switch (index) {
    case WHITE_BRUSH: return brush(BS_SOLID, RGB(255, 255, 255));
    case LTGRAY_BRUSH: return brush(BS_SOLID, RGB(192, 192, 192));
    case GRAY_BRUSH: return brush(BS_SOLID, RGB(128, 128, 128));
    case DKGRAY_BRUSH: return brush(BS_SOLID, RGB(64, 64, 64));
    case BLACK_BRUSH: return brush(BS_SOLID, RGB(0, 0, 0));
    case NULL_BRUSH: return brush(BS_NULL, 0);
    case WHITE_PEN: return pen(PS_SOLID, RGB(255, 255, 255));
    case BLACK_PEN: return pen(PS_SOLID, RGB(0, 0, 0));
    case NULL_PEN: return pen(PS_NULL, 0);
    case OEM_FIXED_FONT: return font("Terminal", 12, FW_NORMAL, FIXED_PITCH | FF_MODERN);
    case ANSI_FIXED_FONT: return font("Courier", 13, FW_NORMAL, FIXED_PITCH | FF_MODERN);
    case ANSI_VAR_FONT: return font("MS Sans Serif", 13, FW_NORMAL, VARIABLE_PITCH | FF_SWISS);
    case SYSTEM_FONT: return font("System", 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS);
    case DEVICE_DEFAULT_FONT: return font("System", 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS);
    case SYSTEM_FIXED_FONT: return font("Fixedsys", 15, FW_NORMAL, FIXED_PITCH | FF_MODERN);
    case DEFAULT_GUI_FONT: return font("MS Shell Dlg", -11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS);
    case DEFAULT_PALETTE: {
      // The twenty static colours: the first and the last ten of the system table.
      auto p = std::make_shared<PaletteObject>();
      const auto all = Dib::DefaultColourTable(8);
      for (int i = 0; i < 256; i = (i == 9) ? 246 : i + 1) {
        p->entries.push_back({all[i].rgbRed, all[i].rgbGreen, all[i].rgbBlue, 0});
      }
      return p;
    }
    default: return nullptr;
  }
}

}  // namespace

HGDIOBJ StockObject(int index) {
  static std::mutex lock;
  static HGDIOBJ handles[DC_PEN + 1] = {};
  if (index < 0 || index > DC_PEN) return nullptr;
  std::lock_guard guard(lock);
  if (!handles[index]) {
    auto object = MakeStock(index);
    if (!object) return nullptr;
    object->stock = true;
    handles[index] = InsertObject(std::move(object));
  }
  return handles[index];
}

HBITMAP StockBitmap() {
  static HBITMAP handle = [] {
    auto bitmap = std::make_shared<BitmapObject>();
    bitmap->dib = Dib::Create(1, 1, 1);
    bitmap->stock = true;
    return static_cast<HBITMAP>(InsertObject(std::move(bitmap)));
  }();
  return handle;
}

}  // namespace tolvar::gdi
