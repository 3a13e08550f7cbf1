// The operations other processes ask of this process's windows, carried out on the window's thread.
#include "Internal.h"

#include <user/Paint.h>
#include <user/WindowPos.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Kernel.h>

namespace tolvar::user {
namespace {

std::int64_t Arg(const Request& r, std::size_t i) { return i < r.args.size() ? r.args[i] : 0; }

LRESULT DoShowWindow(const Request& r, Answer&) { return ShowWindow(r.window, static_cast<int>(Arg(r, 0))); }

LRESULT DoSetWindowPos(const Request& r, Answer&) {
  HWND after = reinterpret_cast<HWND>(static_cast<LONG_PTR>(Arg(r, 0)));
  return SetWindowPos(r.window, after, static_cast<int>(Arg(r, 1)), static_cast<int>(Arg(r, 2)),
                      static_cast<int>(Arg(r, 3)), static_cast<int>(Arg(r, 4)), static_cast<UINT>(Arg(r, 5)));
}

LRESULT DoSetParent(const Request& r, Answer&) {
  HWND old = SetParent(r.window, HandleOf(static_cast<std::uint32_t>(Arg(r, 0))));
  return static_cast<LRESULT>(HandleValue(old));
}

LRESULT DoEnableWindow(const Request& r, Answer&) { return EnableWindow(r.window, Arg(r, 0) ? TRUE : FALSE); }

LRESULT DoRedraw(const Request& r, Answer&) {
  RECT rect{static_cast<LONG>(Arg(r, 2)), static_cast<LONG>(Arg(r, 3)), static_cast<LONG>(Arg(r, 4)),
            static_cast<LONG>(Arg(r, 5))};
  return RedrawWindow(r.window, Arg(r, 1) ? &rect : nullptr, nullptr, static_cast<UINT>(Arg(r, 0)));
}

LRESULT DoCapture(const Request& r, Answer&) {
  const int width = static_cast<int>(Arg(r, 0)), height = static_cast<int>(Arg(r, 1));
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return FALSE;
  HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, r.text.c_str());
  if (!mapping) return FALSE;
  const SIZE_T bytes = static_cast<SIZE_T>(width) * static_cast<SIZE_T>(height) * 4;
  void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, bytes);
  bool ok = view && CaptureWindowPixels(r.window, width, height, static_cast<std::uint32_t*>(view));
  if (view) UnmapViewOfFile(view);
  CloseHandle(mapping);
  return ok ? TRUE : FALSE;
}

LRESULT DoDestroy(const Request& r, Answer&) { return DestroyWithParent(r.window); }

using Handler = LRESULT (*)(const Request&, Answer&);
constexpr Handler kHandlers[] = {
    nullptr,  // Message: handled by the mailbox itself
    DoShowWindow, DoSetWindowPos, DoSetParent, DoEnableWindow, DoRedraw, DoCapture, DoDestroy,
};
static_assert(std::size(kHandlers) == static_cast<std::size_t>(RemoteOp::Count));

}  // namespace

LRESULT ExecuteRemoteOp(const Request& request, Answer& answer) {
  auto index = static_cast<std::size_t>(request.op);
  if (index >= std::size(kHandlers) || !kHandlers[index]) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return kHandlers[index](request, answer);
}

}  // namespace tolvar::user
