// Icon, cursor and bitmap files loaded as programs load them (LoadImage from a file), and the
// icon and cursor images of resources (CreateIconFromResourceEx). A refused file must fail at once:
// the input's size bounds what a load may allocate.
#include "FuzzInput.h"
#include "TempFile.h"

#include <gdi/Gdi.h>
#include <gdi/Icon.h>
#include <user/Cursor.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TempFile file("image");
  FuzzInput input(data, size);
  const int mode = input.Below(4);
  const int cx = input.Below(3) * 16, cy = input.Below(3) * 16;
  const bool icon = input.Byte() & 1;
  const auto rest = input.Rest();
  switch (mode) {
    case 0:
    case 1: {
      const UINT type = mode == 0 ? IMAGE_BITMAP : icon ? IMAGE_ICON : IMAGE_CURSOR;
      const UINT flags = LR_LOADFROMFILE | (rest.size() % 2 ? LR_CREATEDIBSECTION : 0);
      HANDLE image = LoadImageA(nullptr, file.Write(rest).c_str(), type, cx, cy, flags);
      if (image && type == IMAGE_BITMAP) {
        DeleteObject(image);
      } else if (image) {
        DestroyIcon(static_cast<HICON>(image));
      }
      break;
    }
    default: {
      HICON icon = CreateIconFromResourceEx(rest.data(), static_cast<DWORD>(rest.size()), mode == 2, 0x00030000, cx,
                                            cy, 0);
      if (icon) {
        ICONINFO info{};
        if (GetIconInfo(icon, &info)) {
          if (info.hbmMask) DeleteObject(info.hbmMask);
          if (info.hbmColor) DeleteObject(info.hbmColor);
        }
        DestroyIcon(icon);
      }
      break;
    }
  }
  return 0;
}
