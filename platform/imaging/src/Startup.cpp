// Starting the library, and its list of encoders. Starts are counted: the library is usable while
// any start has not been shut down, so a program and a library inside it can each start it.
#include <imaging/Startup.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <set>
#include <string_view>

namespace {

std::mutex g_mutex;
std::set<ULONG_PTR> g_tokens;  // tokens handed out and not yet shut down
ULONG_PTR g_nextToken = 0x1000;
std::atomic<bool> g_started{false};

struct EncoderRecord {
  CLSID clsid;
  GUID format;
  std::u16string_view name;
  std::u16string_view description;
  std::u16string_view extensions;
  std::u16string_view mimeType;
};

// The built-in encoders, in the library's order, with their class ids. Only their records exist.
constexpr EncoderRecord kEncoders[] = {
    {{0x557cf400, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}}, ImageFormatBMP,
     u"Built-in BMP Codec", u"BMP", u"*.BMP;*.DIB;*.RLE", u"image/bmp"},
    {{0x557cf401, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}}, ImageFormatJPEG,
     u"Built-in JPEG Codec", u"JPEG", u"*.JPG;*.JPEG;*.JPE;*.JFIF", u"image/jpeg"},
    {{0x557cf402, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}}, ImageFormatGIF,
     u"Built-in GIF Codec", u"GIF", u"*.GIF", u"image/gif"},
    {{0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}}, ImageFormatPNG,
     u"Built-in PNG Codec", u"PNG", u"*.PNG", u"image/png"},
};
constexpr UINT kEncoderCount = sizeof(kEncoders) / sizeof(kEncoders[0]);

constexpr UINT TextBytes(std::u16string_view text) { return static_cast<UINT>((text.size() + 1) * sizeof(WCHAR)); }

// The records come first, then their texts, all in the caller's one buffer, as callers free the
// buffer in one piece.
UINT EncodersBytes() {
  UINT bytes = kEncoderCount * sizeof(Gdiplus::ImageCodecInfo);
  for (const EncoderRecord& e : kEncoders)
    bytes += TextBytes(e.name) + TextBytes(e.description) + TextBytes(e.extensions) + TextBytes(e.mimeType);
  return bytes;
}

// A caller that suppresses the background thread runs its work through these hooks; no such thread
// or work exists here, so hooking only hands out a token.
Gdiplus::Status Hook(ULONG_PTR* token) {
  if (!token) return Gdiplus::InvalidParameter;
  *token = 1;
  return Gdiplus::Ok;
}
void Unhook(ULONG_PTR) {}

}  // namespace

namespace tolvar::imaging {
bool IsStarted() { return g_started.load(std::memory_order_acquire); }
}  // namespace tolvar::imaging

namespace Gdiplus {

Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
  if (!token || !input) return InvalidParameter;
  if (input->GdiplusVersion != 1) return UnsupportedGdiplusVersion;
  if (input->SuppressBackgroundThread && !output) return InvalidParameter;
  if (output) *output = GdiplusStartupOutput{Hook, Unhook};
  std::lock_guard lock(g_mutex);
  *token = g_nextToken++;
  g_tokens.insert(*token);
  g_started.store(true, std::memory_order_release);
  return Ok;
}

void GdiplusShutdown(ULONG_PTR token) {
  std::lock_guard lock(g_mutex);
  g_tokens.erase(token);
  g_started.store(!g_tokens.empty(), std::memory_order_release);
}

Status GetImageEncodersSize(UINT* count, UINT* size) {
  if (!count || !size) return InvalidParameter;
  if (!tolvar::imaging::IsStarted()) return GdiplusNotInitialized;
  *count = kEncoderCount;
  *size = EncodersBytes();
  return Ok;
}

Status GetImageEncoders(UINT count, UINT size, ImageCodecInfo* encoders) {
  if (!encoders) return InvalidParameter;
  if (!tolvar::imaging::IsStarted()) return GdiplusNotInitialized;
  if (count != kEncoderCount || size != EncodersBytes()) return GenericError;
  auto* text = reinterpret_cast<WCHAR*>(encoders + kEncoderCount);
  auto place = [&text](std::u16string_view value) {
    const WCHAR* start = text;
    std::memcpy(text, value.data(), value.size() * sizeof(WCHAR));
    text += value.size();
    *text++ = 0;
    return start;
  };
  for (UINT i = 0; i < kEncoderCount; ++i) {
    const EncoderRecord& e = kEncoders[i];
    ImageCodecInfo& info = encoders[i];
    info = ImageCodecInfo{};
    info.Clsid = e.clsid;
    info.FormatID = e.format;
    info.CodecName = place(e.name);
    info.DllName = nullptr;  // built in
    info.FormatDescription = place(e.description);
    info.FilenameExtension = place(e.extensions);
    info.MimeType = place(e.mimeType);
    info.Flags = ImageCodecFlagsEncoder | ImageCodecFlagsSupportBitmap | ImageCodecFlagsBuiltin;
    info.Version = 1;
  }
  return Ok;
}

}  // namespace Gdiplus
