#pragma once
// What the preview pane does with a file, without its window: the lighter sniffing of the preview,
// which placeholder or picture a kind shows, and the stepping of an animated GIF frame by frame.
#include "Picture.h"

#include <cstdint>
#include <span>
#include <string>

// Kind for the preview: JPEG, PNG, BMP, GIF (still or animated), the animator format, WBMP; "" for
// anything else (movies included) and for files that cannot be read.
std::string SniffPreviewKind(std::span<const std::uint8_t> bytes);
std::string SniffPreviewKind(const std::string& path);

// Placeholder bitmaps of the kinds that are not drawn.
constexpr int IDB_PREVIEW_WBMP = 167;
constexpr int IDB_PREVIEW_ANIMATOR = 174;

struct PreviewPlan {
  enum class Show { Erase, Animate, Placeholder, Picture } show = Show::Erase;
  int bitmapId = 0;  // Placeholder
};
PreviewPlan PlanPreview(const std::string& kind);

// An animated GIF shown one frame per step: each step draws the next frame and says how long it
// stays (its own delay, at least 20 milliseconds). The pane runs a step at each tick of its timer.
class CGifAnimation {
 public:
  static constexpr unsigned kMinimumDelay = 20;

  void Start(const std::string& path, std::uint16_t width, std::uint16_t height);
  void Stop() { m_path.clear(); }
  bool IsRunning() const { return !m_path.empty(); }
  // Draws the next frame on the picture's canvas; the delay until the next step, or 0 when the
  // animation ended (the file no longer holds frames).
  unsigned Step();
  unsigned GetFrameIndex() const { return m_frame; }
  CPicture& Picture() { return m_picture; }

 private:
  std::string m_path;
  unsigned m_frame = 0;
  CPicture m_picture;
};
