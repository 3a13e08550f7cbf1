#pragma once
// Starting and stopping the image library, and the list of its encoders. Every image, bitmap and
// graphics object needs the library started (GdiplusNotInitialized otherwise); starts nest, each
// with its own token.
#include <imaging/GdiplusTypes.h>

namespace Gdiplus {

using DebugEventProc = void (*)(int level, CHAR* message);
using NotificationHookProc = Status (*)(ULONG_PTR* token);
using NotificationUnhookProc = void (*)(ULONG_PTR token);

struct GdiplusStartupInput {
  UINT GdiplusVersion = 1;
  DebugEventProc DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = FALSE;
  BOOL SuppressExternalCodecs = FALSE;
};

struct GdiplusStartupOutput {
  NotificationHookProc NotificationHook = nullptr;
  NotificationUnhookProc NotificationUnhook = nullptr;
};

// Ok and a token; UnsupportedGdiplusVersion for a version other than 1; InvalidParameter without a
// token or input, or when the background thread is suppressed but no output record is given.
Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);

// The encoders are listed by name, format and class id so that callers can look one up; this
// library decodes only, and nothing in the suite encodes.
Status GetImageEncodersSize(UINT* count, UINT* size);
Status GetImageEncoders(UINT count, UINT size, ImageCodecInfo* encoders);

}  // namespace Gdiplus

namespace tolvar::imaging {
// Whether the library is started (some start not yet shut down).
bool IsStarted();
}  // namespace tolvar::imaging
