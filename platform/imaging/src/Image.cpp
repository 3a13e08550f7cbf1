// Image: loading a picture from a file or a stream, and what it tells of itself. The file or stream
// is read whole into memory and decoded at once (the frames of an animation on request), so the
// file is not held open afterwards.
#include <imaging/Image.h>

#include <imaging/Decoders.h>
#include <imaging/Startup.h>

#include <base/CodePage.h>
#include <kernel/Path.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace Gdiplus {

namespace {

using tolvar::imaging::DecodedImage;

// No picture file is larger; reading one that claims to be is refused before memory is taken.
constexpr ULONGLONG kMaxFileBytes = ULONGLONG(1) << 30;

struct Fd {
  int fd;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

Status ErrnoStatus(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return FileNotFound;
    case EACCES:
    case EPERM: return AccessDenied;
    case ENOMEM: return OutOfMemory;
    default: return Win32Error;
  }
}

}  // namespace

Image::Image(const WCHAR* filename, BOOL) { LoadFile(filename); }
Image::Image(IStream* stream, BOOL) { LoadStream(stream); }
Image::~Image() = default;

Image* Image::FromFile(const WCHAR* filename, BOOL useEmbeddedColorManagement) {
  return new (std::nothrow) Image(filename, useEmbeddedColorManagement);
}

Image* Image::FromStream(IStream* stream, BOOL useEmbeddedColorManagement) {
  return new (std::nothrow) Image(stream, useEmbeddedColorManagement);
}

Status Image::Fail(Status status) {
  if (status != Ok) m_lastStatus = status;
  return status;
}

Status Image::GetLastStatus() {
  const Status status = m_lastStatus;
  m_lastStatus = Ok;
  return status;
}

Status Image::Load(std::unique_ptr<BYTE[]> bytes, std::size_t size) {
  auto image = std::make_unique<DecodedImage>();
  if (Status status = tolvar::imaging::DecodeImage({bytes.get(), size}, *image); status != Ok) return Fail(status);
  m_image = std::move(image);
  return Ok;
}

Status Image::LoadFile(const WCHAR* filename) {
  if (!tolvar::imaging::IsStarted()) return Fail(GdiplusNotInitialized);
  if (!filename) return Fail(InvalidParameter);
  const int needed = WideCharToMultiByte(CP_UTF8, 0, filename, -1, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return Fail(InvalidParameter);
  std::string path(std::size_t(needed), '\0');
  WideCharToMultiByte(CP_UTF8, 0, filename, -1, path.data(), needed, nullptr, nullptr);
  path.resize(std::size_t(needed - 1));

  Fd file{::open(tolvar::kernel::ToHostPath(path).c_str(), O_RDONLY | O_CLOEXEC)};
  if (file.fd < 0) return Fail(ErrnoStatus(errno));
  struct stat info {};
  if (::fstat(file.fd, &info) != 0) return Fail(ErrnoStatus(errno));
  if (!S_ISREG(info.st_mode)) return Fail(S_ISDIR(info.st_mode) ? AccessDenied : InvalidParameter);
  if (ULONGLONG(info.st_size) > kMaxFileBytes) return Fail(OutOfMemory);
  const std::size_t size = std::size_t(info.st_size);
  std::unique_ptr<BYTE[]> bytes(new (std::nothrow) BYTE[size ? size : 1]);
  if (!bytes) return Fail(OutOfMemory);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(file.fd, bytes.get() + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(ErrnoStatus(errno));
    if (n == 0) break;  // the file shrank meanwhile: decode what there is
    done += std::size_t(n);
  }
  return Load(std::move(bytes), done);
}

Status Image::LoadStream(IStream* stream) {
  if (!tolvar::imaging::IsStarted()) return Fail(GdiplusNotInitialized);
  if (!stream) return Fail(InvalidParameter);
  // From the stream's current position to its end, as the library reads a stream.
  LARGE_INTEGER zero{};
  ULARGE_INTEGER start{}, end{};
  if (FAILED(stream->Seek(zero, STREAM_SEEK_CUR, &start)) || FAILED(stream->Seek(zero, STREAM_SEEK_END, &end)))
    return Fail(InvalidParameter);
  LARGE_INTEGER back{};
  back.QuadPart = LONGLONG(start.QuadPart);
  stream->Seek(back, STREAM_SEEK_SET, nullptr);
  if (end.QuadPart < start.QuadPart) return Fail(InvalidParameter);
  const ULONGLONG available = end.QuadPart - start.QuadPart;
  if (available > kMaxFileBytes) return Fail(OutOfMemory);
  const std::size_t size = std::size_t(available);
  std::unique_ptr<BYTE[]> bytes(new (std::nothrow) BYTE[size ? size : 1]);
  if (!bytes) return Fail(OutOfMemory);
  ULONG read = 0;
  if (FAILED(stream->Read(bytes.get(), ULONG(size), &read))) return Fail(Win32Error);
  return Load(std::move(bytes), read);
}

Status Image::GetRawFormat(GUID* format) {
  if (!format) return Fail(InvalidParameter);
  if (!m_image) return Fail(InvalidParameter);
  *format = m_image->rawFormat;
  return Ok;
}

UINT Image::GetWidth() { return m_image ? m_image->width : 0; }
UINT Image::GetHeight() { return m_image ? m_image->height : 0; }

PixelFormat Image::GetPixelFormat() { return m_image ? m_image->pixelFormat : PixelFormatUndefined; }

INT Image::GetPaletteSize() {
  if (!m_image) {
    Fail(InvalidParameter);
    return 0;
  }
  const std::size_t entries = std::max<std::size_t>(m_image->palette.size(), 1);
  return INT(sizeof(ColorPalette) + (entries - 1) * sizeof(ARGB));
}

Status Image::GetPalette(ColorPalette* palette, INT size) {
  if (!palette || !m_image) return Fail(InvalidParameter);
  const std::size_t count = m_image->palette.size();
  if (size < GetPaletteSize()) return Fail(InvalidParameter);
  palette->Flags = m_image->paletteFlags;
  palette->Count = UINT(count);
  ARGB* entries = palette->Entries;  // the caller's buffer holds Count entries
  for (std::size_t i = 0; i < count; ++i) entries[i] = m_image->palette[i];
  return Ok;
}

UINT Image::GetFrameDimensionsCount() { return m_image ? 1 : 0; }

namespace {
const GUID& DimensionOf(const DecodedImage& image) {
  // Animations run along time; every other picture is one page.
  return image.rawFormat == ImageFormatGIF ? FrameDimensionTime : FrameDimensionPage;
}
}  // namespace

Status Image::GetFrameDimensionsList(GUID* dimensions, UINT count) {
  if (!dimensions || !m_image || count != 1) return Fail(InvalidParameter);
  dimensions[0] = DimensionOf(*m_image);
  return Ok;
}

UINT Image::GetFrameCount(const GUID* dimension) {
  if (!dimension || !m_image || *dimension != DimensionOf(*m_image)) {
    Fail(InvalidParameter);
    return 0;
  }
  return m_image->frameCount;
}

Status Image::SelectActiveFrame(const GUID* dimension, UINT index) {
  if (!dimension || !m_image || *dimension != DimensionOf(*m_image)) return Fail(InvalidParameter);
  if (m_locked) return Fail(WrongState);
  return Fail(m_image->SelectFrame(index));
}

UINT Image::GetPropertyItemSize(PROPID id) {
  if (!m_image || id != PropertyTagFrameDelay || m_image->frameDelays.empty()) {
    Fail(m_image ? PropertyNotFound : InvalidParameter);
    return 0;
  }
  return UINT(sizeof(PropertyItem) + m_image->frameDelays.size() * sizeof(LONG));
}

Status Image::GetPropertyItem(PROPID id, UINT size, PropertyItem* item) {
  if (!item || !m_image) return Fail(InvalidParameter);
  if (id != PropertyTagFrameDelay || m_image->frameDelays.empty()) return Fail(PropertyNotFound);
  const std::size_t bytes = m_image->frameDelays.size() * sizeof(LONG);
  if (size < sizeof(PropertyItem) + bytes) return Fail(InvalidParameter);
  // The value follows the record in the caller's buffer; each delay is a little-endian 32-bit count.
  auto* value = reinterpret_cast<BYTE*>(item + 1);
  std::memcpy(value, m_image->frameDelays.data(), bytes);
  item->id = id;
  item->length = ULONG(bytes);
  item->type = PropertyTagTypeLong;
  item->value = value;
  return Ok;
}

}  // namespace Gdiplus
