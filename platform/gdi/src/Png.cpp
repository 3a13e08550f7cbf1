#include <gdi/Surface.h>

#include "GdiObject.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

namespace tolvar::gdi {

BOOL WritePng(HBITMAP handle, const char* path) {
  auto bitmap = LookupBitmap(handle);
  if (!bitmap) return FALSE;
  if (!path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const Dib& dib = *bitmap->dib;
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path, "wb"), &std::fclose);
  if (!file) {
    SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
    return FALSE;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, &info);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  std::vector<png_byte> row(static_cast<std::size_t>(dib.Width()) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    SetLastError(ERROR_WRITE_FAULT);
    return FALSE;
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, static_cast<png_uint_32>(dib.Width()), static_cast<png_uint_32>(dib.Height()), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < dib.Height(); ++y) {
    for (int x = 0; x < dib.Width(); ++x) {
      const COLORREF c = dib.ValueToColour(dib.Get(x, y));
      row[3 * x] = GetRValue(c);
      row[3 * x + 1] = GetGValue(c);
      row[3 * x + 2] = GetBValue(c);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fflush(file.get()) != 0) {
    SetLastError(ERROR_WRITE_FAULT);
    return FALSE;
  }
  return TRUE;
}

}  // namespace tolvar::gdi
