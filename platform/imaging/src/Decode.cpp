// Choosing a decoder by the file's first bytes, the size limits every decoder applies, and frame
// selection. The signature decides, never the file name: callers sniff files whose names lie.
#include <imaging/Decoders.h>

#include <algorithm>
#include <cstring>

namespace tolvar::imaging {

namespace {

bool StartsWith(std::span<const BYTE> data, std::string_view signature) {
  return data.size() >= signature.size() && std::memcmp(data.data(), signature.data(), signature.size()) == 0;
}

}  // namespace

bool PictureSizeAllowed(ULONGLONG width, ULONGLONG height, ULONGLONG plausiblePixels) {
  if (width == 0 || height == 0) return false;
  if (width > kMaxPixels || height > kMaxPixels) return false;  // keeps the product from overflowing
  const ULONGLONG pixels = width * height;
  return pixels <= kMaxPixels && pixels <= plausiblePixels;
}

Status DecodeImage(std::span<const BYTE> data, DecodedImage& image) {
  if (StartsWith(data, "\x89PNG\r\n\x1a\n")) return DecodePng(data, image);
  if (StartsWith(data, "\xFF\xD8\xFF")) return DecodeJpeg(data, image);
  if (StartsWith(data, "GIF87a") || StartsWith(data, "GIF89a")) return DecodeGif(data, image);
  if (StartsWith(data, "BM")) return DecodeBmp(data, image);
  return Gdiplus::UnknownImageFormat;
}

Status DecodedImage::SelectFrame(UINT index) {
  if (index >= frameCount) return Gdiplus::InvalidParameter;
  if (index == activeFrame) return Gdiplus::Ok;
  if (!frames) return Gdiplus::InvalidParameter;
  if (Status status = frames->Render(index, pixels); status != Gdiplus::Ok) return status;
  activeFrame = index;
  return Gdiplus::Ok;
}

}  // namespace tolvar::imaging
