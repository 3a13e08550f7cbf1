// The preview's sniffing, its plan per kind and the GIF stepping.
#include "PreviewRules.h"

#include "FileBytes.h"

#include <imaging/Decoders.h>
#include <kernel/Path.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {
bool BytesAt(std::span<const std::uint8_t> bytes, std::size_t offset, std::string_view text) {
  return bytes.size() >= offset + text.size() && std::memcmp(bytes.data() + offset, text.data(), text.size()) == 0;
}
}  // namespace

std::string SniffPreviewKind(std::span<const std::uint8_t> bytes) {
  using namespace Gdiplus;
  tolvar::imaging::DecodedImage image;
  UINT width = 0, height = 0;
  // A JPEG is known by its header; the preview decodes it later at the size it shows.
  if (tolvar::imaging::ReadJpegSize(bytes, width, height) == Ok) return "keFTJpeg";
  if (tolvar::imaging::DecodeImage(bytes, image) == Ok) {
    if (image.rawFormat == ImageFormatPNG) return "keFTPng";
    if (image.rawFormat == ImageFormatBMP) return "keFTBmp";
    if (image.rawFormat == ImageFormatGIF) return image.frameCount > 1 ? "keFTGifAnim" : "keFTGif";
  }
  if (BytesAt(bytes, 2, "Halvane Anima")) return "keFTEAnimator";
  if (BytesAt(bytes, 8, "3gp4") || BytesAt(bytes, 8, "3gp5")) return {};
  if (bytes.size() >= 2 && bytes[0] == 0 && bytes[1] == 0) return "keFTWbmp";
  return {};
}

std::string SniffPreviewKind(const std::string& path) { return SniffPreviewKind(ReadFileBytes(path)); }

PreviewPlan PlanPreview(const std::string& kind) {
  using Show = PreviewPlan::Show;
  if (kind.empty()) return {Show::Erase, 0};
  if (kind == "keFTGifAnim") return {Show::Animate, 0};
  if (kind == "keFTWbmp") return {Show::Placeholder, IDB_PREVIEW_WBMP};
  if (kind == "keFTEAnimator") return {Show::Placeholder, IDB_PREVIEW_ANIMATOR};
  return {Show::Picture, 0};
}

void CGifAnimation::Start(const std::string& path, std::uint16_t width, std::uint16_t height) {
  m_path = path;
  m_frame = 0;
  m_picture.SetSize(width, height);
}

unsigned CGifAnimation::Step() {
  if (m_path.empty()) return 0;
  const unsigned count = CPicture::GetFrameCount(m_path);
  // A file that changed or vanished ends the animation instead of dividing by nothing.
  if (count == 0) {
    Stop();
    return 0;
  }
  m_frame %= count;
  if (!m_picture.Load(m_path, m_frame)) {
    Stop();
    return 0;
  }
  const unsigned delay = std::max(m_picture.GetFrameDelay(m_frame), kMinimumDelay);
  ++m_frame;
  return delay;
}
