// GIF files through giflib: every frame, with its local or the global palette, transparency,
// interlacing and the three disposal methods, composed on a canvas of the logical screen's size as
// the frames are shown. Loading reads the whole file's structure (frame count, delays, sizes)
// without decompressing, and renders frame 0; selecting another frame renders forward from the
// current one, or from the start when going back, so that only one canvas (and the copy that
// "restore to previous" needs) is ever held, however many frames the file has.
//
// giflib refuses image data whose LZW minimum code size exceeds the 8 the format allows, but
// other decoders read such files (codes still at most 12 bits), and some exist; for those frames
// (sizes 9 to 11) the data is decoded here instead, with the same outcome on faults as giflib.
//
// Areas no frame has covered, and areas disposed "to background", are transparent: the background
// colour index of the file is not applied, as current viewers do.
#include <imaging/Decoders.h>

#include <gif_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace tolvar::imaging {

namespace {

using namespace Gdiplus;

// LZW codes of 12 bits can stand for strings of up to 4,096 pixels.
constexpr ULONGLONG kPixelsPerByte = 4096;
constexpr ULONGLONG kSmallPicture = ULONGLONG(1) << 20;
constexpr std::size_t kMaxFrames = 65536;

struct Reader {
  std::span<const BYTE> data;
  std::size_t position = 0;
};

int Read(GifFileType* gif, GifByteType* out, int count) {
  auto* reader = static_cast<Reader*>(gif->UserData);
  const std::size_t n = std::min<std::size_t>(count < 0 ? 0 : std::size_t(count), reader->data.size() - reader->position);
  std::memcpy(out, reader->data.data() + reader->position, n);
  reader->position += n;
  return static_cast<int>(n);
}

// ---- Image data giflib refuses ----------------------------------------------------------------

constexpr int kLzwMaxBits = 12;
constexpr int kLzwTableSize = 1 << kLzwMaxBits;

// The LZW minimum code size of the image whose descriptor starts at the reader's position, when it is
// one giflib refuses and this file decodes itself (9 to 11); 0 otherwise.
int WideCodeSizeAhead(const Reader& reader) {
  const std::size_t flagsAt = reader.position + 8;
  if (flagsAt >= reader.data.size()) return 0;
  const BYTE flags = reader.data[flagsAt];
  const std::size_t codeSizeAt = flagsAt + 1 + ((flags & 0x80) ? std::size_t(3) << ((flags & 7) + 1) : 0);
  if (codeSizeAt >= reader.data.size()) return 0;
  const int size = reader.data[codeSizeAt];
  return size > 8 && size < kLzwMaxBits ? size : 0;
}

// Reads the data sub-blocks up to their terminator (into `joined` when given). Fails when the file
// ends first, as giflib does.
bool ReadSubBlocks(Reader& reader, std::vector<BYTE>* joined) {
  for (;;) {
    if (reader.position >= reader.data.size()) return false;
    const std::size_t length = reader.data[reader.position++];
    if (length == 0) return true;
    if (reader.data.size() - reader.position < length) return false;
    if (joined) joined->insert(joined->end(), reader.data.begin() + std::ptrdiff_t(reader.position),
                               reader.data.begin() + std::ptrdiff_t(reader.position + length));
    reader.position += length;
  }
}

// Decodes LZW data of the given minimum code size into exactly out.size() indices. Fails as giflib
// fails on its own sizes: a code not yet in the table, an end code or the end of the data before the
// picture is whole. Codes after the picture is whole are not read. A full table is kept as it is
// (codes stay 12 bits) until a clear code.
bool DecodeLzw(std::span<const BYTE> data, int minCodeSize, std::span<std::uint16_t> out) {
  const int clear = 1 << minCodeSize, end = clear + 1;
  std::vector<std::uint16_t> prefix(kLzwTableSize), suffix(kLzwTableSize), first(kLzwTableSize),
      stack(kLzwTableSize + 1);
  auto firstOf = [&](int code) { return code > end ? first[std::size_t(code)] : std::uint16_t(code); };
  int width = minCodeSize + 1, next = clear + 2, previous = -1;
  std::size_t at = 0, filled = 0;
  std::uint32_t bits = 0;
  int held = 0;
  while (filled < out.size()) {
    while (held < width) {
      if (at == data.size()) return false;
      bits |= std::uint32_t(data[at++]) << held;
      held += 8;
    }
    const int code = int(bits & ((1u << width) - 1));
    bits >>= width;
    held -= width;
    if (code == clear) {
      width = minCodeSize + 1, next = clear + 2, previous = -1;
      continue;
    }
    if (code == end) return false;
    std::size_t depth = 0;
    int c = code;
    if (previous < 0) {
      if (code > clear) return false;  // only a literal can follow a clear code
    } else if (code == next) {  // the string just added to: the previous one and its first index
      if (next == kLzwTableSize) return false;
      stack[depth++] = firstOf(previous);
      c = previous;
    } else if (code > next) {
      return false;
    }
    // Entries point to lower codes only, so the walk ends within the table's size.
    while (c > end) {
      stack[depth++] = suffix[std::size_t(c)];
      c = prefix[std::size_t(c)];
    }
    stack[depth++] = std::uint16_t(c);
    if (previous >= 0 && next < kLzwTableSize) {
      prefix[std::size_t(next)] = std::uint16_t(previous);
      suffix[std::size_t(next)] = stack[depth - 1];
      first[std::size_t(next)] = firstOf(previous);
      if (++next == (1 << width) && width < kLzwMaxBits) ++width;
    }
    previous = code;
    while (depth > 0 && filled < out.size()) out[filled++] = stack[--depth];
  }
  return true;
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

GifHandle Open(Reader& reader) {
  int error = 0;
  reader.position = 0;
  return GifHandle(DGifOpen(&reader, Read, &error));
}

struct Frame {
  int left = 0, top = 0, width = 0, height = 0;
  int disposal = DISPOSAL_UNSPECIFIED;
  int transparent = NO_TRANSPARENT_COLOR;
  LONG delay = 0;  // hundredths of a second
};

// Skips the compressed data of the image just described, without decompressing it.
bool SkipImageData(GifFileType* gif) {
  int codeSize = 0;
  GifByteType* block = nullptr;
  if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR) return false;
  while (block)
    if (DGifGetCodeNext(gif, &block) == GIF_ERROR) return false;
  return true;
}

// Reads an image descriptor. When its code size is one giflib refuses, giflib has read the
// descriptor (and its palette) and stops at that byte: the reader is then just past it, where the
// data sub-blocks begin.
bool ReadImageDesc(GifFileType* gif, Reader& reader, int wideCodeSize) {
  if (!wideCodeSize) return DGifGetImageDesc(gif) != GIF_ERROR;
  return DGifGetImageDesc(gif) == GIF_ERROR && gif->Error == D_GIF_ERR_READ_FAILED && reader.position > 0 &&
         reader.data[reader.position - 1] == wideCodeSize;
}

// Reads one extension record; a graphic control extension fills `control`.
bool ReadExtension(GifFileType* gif, GraphicsControlBlock& control, bool& haveControl) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
  if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
    DGifExtensionToGCB(block[0], block + 1, &control);
    haveControl = true;
  }
  while (block)
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
  return true;
}

ARGB PaletteColour(const ColorMapObject* map, int index) {
  if (!map) return Color::MakeARGB(255, BYTE(index), BYTE(index), BYTE(index));  // no palette: grey levels
  if (index >= map->ColorCount) return Color::MakeARGB(255, 0, 0, 0);
  const GifColorType& c = map->Colors[index];
  return Color::MakeARGB(255, c.Red, c.Green, c.Blue);
}

class GifFrames final : public FrameSource {
public:
  GifFrames(std::span<const BYTE> data, std::vector<Frame> frames, UINT width, UINT height)
      : m_data(data.begin(), data.end()), m_frames(std::move(frames)), m_width(width), m_height(height) {}

  Status Render(UINT index, std::vector<ARGB>& pixels) override {
    if (index >= m_frames.size()) return InvalidParameter;
    if (!m_gif || m_next > index) {
      m_reader = Reader{m_data};
      m_gif = Open(m_reader);
      if (!m_gif) return GenericError;
      m_canvas.assign(std::size_t(m_width) * m_height, 0);
      m_next = 0;
    }
    while (m_next <= index) {
      if (!DrawNext()) {
        m_gif.reset();  // the state is unknown now; the next request starts over
        return GenericError;
      }
    }
    pixels = m_canvas;
    return Ok;
  }

private:
  // Disposes of the frame before (as it asked), then reads and draws frame m_next.
  bool DrawNext() {
    if (m_next > 0) Dispose(m_frames[m_next - 1]);
    const Frame& frame = m_frames[m_next];
    if (frame.disposal == DISPOSE_PREVIOUS) m_previous = m_canvas;
    int wideCodeSize = 0;
    for (;;) {
      GifRecordType type = UNDEFINED_RECORD_TYPE;
      if (DGifGetRecordType(m_gif.get(), &type) == GIF_ERROR) return false;
      if (type == EXTENSION_RECORD_TYPE) {
        GraphicsControlBlock control{};
        bool unused = false;
        if (!ReadExtension(m_gif.get(), control, unused)) return false;
        continue;
      }
      if (type != IMAGE_DESC_RECORD_TYPE) return false;
      wideCodeSize = WideCodeSizeAhead(m_reader);
      if (!ReadImageDesc(m_gif.get(), m_reader, wideCodeSize)) return false;
      break;
    }
    GifFileType* gif = m_gif.get();
    const GifImageDesc& desc = gif->Image;
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (desc.Width <= 0 || desc.Height <= 0) {
      if (wideCodeSize ? !ReadSubBlocks(m_reader, nullptr) : !SkipImageData(gif)) return false;
    } else {
      const std::size_t width = std::size_t(desc.Width);
      m_row.resize(width);
      m_gifRow.resize(width);
      if (wideCodeSize) {
        std::vector<BYTE> joined;
        m_wide.resize(width * std::size_t(desc.Height));
        if (!ReadSubBlocks(m_reader, &joined) || !DecodeLzw(joined, wideCodeSize, m_wide)) return false;
      }
      static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
      int pass = 0, y = 0;
      for (int line = 0; line < desc.Height; ++line) {
        if (wideCodeSize) {
          std::copy_n(m_wide.begin() + std::ptrdiff_t(std::size_t(line) * width), width, m_row.begin());
        } else {
          if (DGifGetLine(gif, m_gifRow.data(), desc.Width) == GIF_ERROR) return false;
          std::copy_n(m_gifRow.begin(), width, m_row.begin());
        }
        int row = line;
        if (desc.Interlace) {
          while (y >= desc.Height && pass < 3) y = kStart[++pass];
          row = y;
          y += kStep[pass];
        }
        DrawRow(desc.Left, desc.Top + row, map, frame.transparent);
      }
    }
    ++m_next;
    return true;
  }

  void DrawRow(int left, int y, const ColorMapObject* map, int transparent) {
    if (y < 0 || y >= int(m_height)) return;
    ARGB* out = &m_canvas[std::size_t(y) * m_width];
    const int first = std::max(0, -left), last = std::min<int>(int(m_row.size()), int(m_width) - left);
    for (int i = first; i < last; ++i) {
      const int index = m_row[std::size_t(i)];
      if (index != transparent) out[left + i] = PaletteColour(map, index);
    }
  }

  void Dispose(const Frame& frame) {
    if (frame.disposal == DISPOSE_BACKGROUND) {
      const int x0 = std::max(0, frame.left), x1 = std::min<int>(int(m_width), frame.left + frame.width);
      const int y0 = std::max(0, frame.top), y1 = std::min<int>(int(m_height), frame.top + frame.height);
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) m_canvas[std::size_t(y) * m_width + std::size_t(x)] = 0;
    } else if (frame.disposal == DISPOSE_PREVIOUS && m_previous.size() == m_canvas.size()) {
      m_canvas = m_previous;
    }
  }

  std::vector<BYTE> m_data;
  std::vector<Frame> m_frames;
  UINT m_width, m_height;
  Reader m_reader;
  GifHandle m_gif;
  UINT m_next = 0;  // the frame the open decoder reads next
  std::vector<ARGB> m_canvas, m_previous;
  std::vector<GifPixelType> m_gifRow;
  std::vector<std::uint16_t> m_row, m_wide;  // palette indices: wide code sizes reach beyond 255
};

}  // namespace

Status DecodeGif(std::span<const BYTE> data, DecodedImage& image) {
  Reader reader{data};
  GifHandle gif = Open(reader);
  if (!gif) return GenericError;
  const ULONGLONG plausible = kSmallPicture + data.size() * kPixelsPerByte;
  if (!PictureSizeAllowed(ULONGLONG(std::max(gif->SWidth, 0)), ULONGLONG(std::max(gif->SHeight, 0)), plausible))
    return OutOfMemory;

  // The structure: every frame's place, disposal, transparency and delay.
  std::vector<Frame> frames;
  std::vector<ARGB> palette;
  GraphicsControlBlock control{};
  bool haveControl = false;
  for (bool done = false; !done;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) {
      // A file that ends, or goes on with bytes that are no record, after whole frames is taken to
      // end there, as viewers show it: a missing trailer is a common fault, and so are files
      // joined to others.
      if (!frames.empty() && (reader.position == data.size() || gif->Error == D_GIF_ERR_WRONG_RECORD)) break;
      return GenericError;
    }
    switch (type) {
      case EXTENSION_RECORD_TYPE:
        if (!ReadExtension(gif.get(), control, haveControl)) return GenericError;
        break;
      case IMAGE_DESC_RECORD_TYPE: {
        const int wideCodeSize = WideCodeSizeAhead(reader);
        if (!ReadImageDesc(gif.get(), reader, wideCodeSize)) return GenericError;
        const GifImageDesc& desc = gif->Image;
        if (desc.Width > 0 && desc.Height > 0 && !PictureSizeAllowed(desc.Width, desc.Height, plausible))
          return OutOfMemory;
        Frame frame{desc.Left, desc.Top, desc.Width, desc.Height};
        if (haveControl) {
          frame.disposal = control.DisposalMode;
          frame.transparent = control.TransparentColor;
          frame.delay = control.DelayTime;
        }
        if (frames.empty()) {
          const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
          for (int i = 0; map && i < map->ColorCount; ++i) palette.push_back(PaletteColour(map, i));
        }
        frames.push_back(frame);
        if (frames.size() > kMaxFrames) return OutOfMemory;
        haveControl = false;
        control = GraphicsControlBlock{};
        if (wideCodeSize ? !ReadSubBlocks(reader, nullptr) : !SkipImageData(gif.get())) return GenericError;
        // giflib keeps a record of every image read; the structure is ours now.
        break;
      }
      case TERMINATE_RECORD_TYPE:
        done = true;
        break;
      default:
        return GenericError;
    }
  }
  if (frames.empty()) return GenericError;

  UINT paletteFlags = 0;
  if (frames[0].transparent >= 0 && std::size_t(frames[0].transparent) < palette.size()) {
    palette[std::size_t(frames[0].transparent)] &= 0x00FFFFFF;
    paletteFlags = PaletteFlagsHasAlpha;
  }
  std::vector<LONG> delays;
  for (const Frame& f : frames) delays.push_back(f.delay);

  const UINT width = UINT(gif->SWidth), height = UINT(gif->SHeight);
  gif.reset();
  auto source = std::make_unique<GifFrames>(data, std::move(frames), width, height);
  std::vector<ARGB> pixels;
  if (Status status = source->Render(0, pixels); status != Ok) return status;

  image.rawFormat = ImageFormatGIF;
  image.pixelFormat = PixelFormat8bppIndexed;
  image.width = width;
  image.height = height;
  image.pixels = std::move(pixels);
  image.palette = std::move(palette);
  image.paletteFlags = paletteFlags;
  image.frameCount = UINT(delays.size());
  image.activeFrame = 0;
  image.frameDelays = std::move(delays);
  image.frames = image.frameCount > 1 ? std::move(source) : nullptr;
  return Ok;
}

}  // namespace tolvar::imaging
