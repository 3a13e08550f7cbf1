#pragma once
// CPicture: one picture file fitted into the preview's box. It loads a file (one frame of an
// animation), scales it with its aspect ratio kept, centres it on a white canvas of the box's size,
// and draws the canvas on a device context. A JPEG is decoded only as large as the box needs, so a
// photo of millions of pixels costs a preview what a reduced decode costs.
#include <base/WinDef.h>
#include <imaging/Gdiplus.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// Where an item of width x height goes in a box: kept when it fits, else scaled down with its
// aspect ratio (the larger of the two ratios decides), and centred.
struct FittedRect {
  int x = 0, y = 0, width = 0, height = 0;
};
FittedRect FitRect(int itemWidth, int itemHeight, int boxWidth, int boxHeight);

class CPicture {
 public:
  CPicture() = default;
  ~CPicture();
  CPicture(const CPicture&) = delete;
  CPicture& operator=(const CPicture&) = delete;

  void SetSize(std::uint16_t width, std::uint16_t height);
  // 1 when frame `frame` of the file is on the canvas; 0 when the file is no picture or the box is
  // empty (nothing is drawn then).
  int Load(const std::string& path, unsigned frame);
  // The same for bytes already read.
  int Load(std::span<const std::uint8_t> bytes, unsigned frame);
  void Draw(HDC dc);
  Gdiplus::Bitmap* GetCanvas() const { return m_canvas.get(); }

  // Frames along the picture's first frame dimension (1 for a still picture, 0 for no picture).
  static unsigned GetFrameCount(const std::string& path);
  // The delay of a frame of the last loaded picture in milliseconds; 0 when the picture's delay
  // property holds no entry for that frame.
  unsigned GetFrameDelay(unsigned frame) const;
  // Keeps the upper four bits of every colour channel of the canvas.
  void ReduceColours();

  void SetBackground(Gdiplus::ARGB colour) { m_background = colour; }
  // A file removed with the picture (a copy made for showing).
  void SetTemporaryFile(std::string path) { m_temporaryFile = std::move(path); }

 private:
  std::uint16_t m_width = 0;
  std::uint16_t m_height = 0;
  std::unique_ptr<Gdiplus::Bitmap> m_canvas;
  std::vector<unsigned> m_delays;  // hundredths of a second, per frame the property holds
  Gdiplus::ARGB m_background = 0xFFFFFFFF;
  std::string m_temporaryFile;
};
