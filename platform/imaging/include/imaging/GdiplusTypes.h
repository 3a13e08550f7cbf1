#pragma once
// The values of the image library's interface: status codes, colours, rectangles, pixel formats,
// palettes, property items, locked pixel data, codec records and the identifiers of formats and
// frame dimensions. The numbers are those every Windows program compiled against the library holds.
#include <base/WinDef.h>
#include <imaging/Com.h>

namespace Gdiplus {

using REAL = float;
using ARGB = DWORD;
using PROPID = ULONG;
using PixelFormat = INT;
using GraphicsState = UINT;

enum Status {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
  FontFamilyNotFound = 14,
  FontStyleNotFound = 15,
  NotTrueTypeFont = 16,
  UnsupportedGdiplusVersion = 17,
  GdiplusNotInitialized = 18,
  PropertyNotFound = 19,
  PropertyNotSupported = 20,
};

class Color {
public:
  Color() = default;
  Color(BYTE r, BYTE g, BYTE b) : m_argb(MakeARGB(255, r, g, b)) {}
  Color(BYTE a, BYTE r, BYTE g, BYTE b) : m_argb(MakeARGB(a, r, g, b)) {}
  explicit Color(ARGB argb) : m_argb(argb) {}

  BYTE GetA() const { return static_cast<BYTE>(m_argb >> 24); }
  BYTE GetR() const { return static_cast<BYTE>(m_argb >> 16); }
  BYTE GetG() const { return static_cast<BYTE>(m_argb >> 8); }
  BYTE GetB() const { return static_cast<BYTE>(m_argb); }
  ARGB GetValue() const { return m_argb; }
  void SetValue(ARGB argb) { m_argb = argb; }
  void SetFromCOLORREF(COLORREF c) { m_argb = MakeARGB(255, GetRValue(c), GetGValue(c), GetBValue(c)); }
  COLORREF ToCOLORREF() const { return RGB(GetR(), GetG(), GetB()); }

  static ARGB MakeARGB(BYTE a, BYTE r, BYTE g, BYTE b) {
    return (ARGB(a) << 24) | (ARGB(r) << 16) | (ARGB(g) << 8) | ARGB(b);
  }

  enum : ARGB { Black = 0xFF000000, White = 0xFFFFFFFF, Transparent = 0x00FFFFFF };

private:
  ARGB m_argb = 0xFF000000;  // opaque black, as a default-made colour is
};

class Rect {
public:
  Rect() = default;
  Rect(INT x, INT y, INT width, INT height) : X(x), Y(y), Width(width), Height(height) {}
  INT GetLeft() const { return X; }
  INT GetTop() const { return Y; }
  INT GetRight() const { return X + Width; }
  INT GetBottom() const { return Y + Height; }
  BOOL IsEmptyArea() const { return Width <= 0 || Height <= 0; }

  INT X = 0, Y = 0, Width = 0, Height = 0;
};

// Pixel formats: bits 0-7 an index, 8-15 the bits per pixel, the rest the flags below.
constexpr PixelFormat PixelFormatIndexed = 0x00010000;
constexpr PixelFormat PixelFormatGDI = 0x00020000;
constexpr PixelFormat PixelFormatAlpha = 0x00040000;
constexpr PixelFormat PixelFormatPAlpha = 0x00080000;
constexpr PixelFormat PixelFormatExtended = 0x00100000;
constexpr PixelFormat PixelFormatCanonical = 0x00200000;
constexpr PixelFormat PixelFormatUndefined = 0;
constexpr PixelFormat PixelFormatDontCare = 0;
constexpr PixelFormat PixelFormat1bppIndexed = 0x00030101;
constexpr PixelFormat PixelFormat4bppIndexed = 0x00030402;
constexpr PixelFormat PixelFormat8bppIndexed = 0x00030803;
constexpr PixelFormat PixelFormat16bppGrayScale = 0x00101004;
constexpr PixelFormat PixelFormat16bppRGB555 = 0x00021005;
constexpr PixelFormat PixelFormat16bppRGB565 = 0x00021006;
constexpr PixelFormat PixelFormat16bppARGB1555 = 0x00061007;
constexpr PixelFormat PixelFormat24bppRGB = 0x00021808;
constexpr PixelFormat PixelFormat32bppRGB = 0x00022009;
constexpr PixelFormat PixelFormat32bppARGB = 0x0026200A;
constexpr PixelFormat PixelFormat32bppPARGB = 0x000E200B;
constexpr PixelFormat PixelFormat48bppRGB = 0x0010300C;
constexpr PixelFormat PixelFormat64bppARGB = 0x0034400D;
constexpr PixelFormat PixelFormat64bppPARGB = 0x001C400E;
constexpr PixelFormat PixelFormat32bppCMYK = 0x0000200F;

constexpr UINT GetPixelFormatSize(PixelFormat format) { return (static_cast<UINT>(format) >> 8) & 0xFF; }
constexpr BOOL IsIndexedPixelFormat(PixelFormat format) { return (format & PixelFormatIndexed) != 0; }
constexpr BOOL IsAlphaPixelFormat(PixelFormat format) { return (format & PixelFormatAlpha) != 0; }

enum PaletteFlags { PaletteFlagsHasAlpha = 0x0001, PaletteFlagsGrayScale = 0x0002, PaletteFlagsHalftone = 0x0004 };

struct ColorPalette {
  UINT Flags;
  UINT Count;
  ARGB Entries[1];  // really Count entries
};

enum ImageLockMode { ImageLockModeRead = 0x0001, ImageLockModeWrite = 0x0002, ImageLockModeUserInputBuf = 0x0004 };

struct BitmapData {
  UINT Width;
  UINT Height;
  INT Stride;
  Gdiplus::PixelFormat PixelFormat;  // the member has its type's name, as callers spell it
  void* Scan0;
  UINT_PTR Reserved;
};

enum InterpolationMode {
  InterpolationModeInvalid = -1,
  InterpolationModeDefault = 0,
  InterpolationModeLowQuality = 1,
  InterpolationModeHighQuality = 2,
  InterpolationModeBilinear = 3,
  InterpolationModeBicubic = 4,
  InterpolationModeNearestNeighbor = 5,
  InterpolationModeHighQualityBilinear = 6,
  InterpolationModeHighQualityBicubic = 7,
};

struct PropertyItem {
  PROPID id;
  ULONG length;  // bytes at value
  WORD type;
  void* value;
};
constexpr WORD PropertyTagTypeByte = 1;
constexpr WORD PropertyTagTypeASCII = 2;
constexpr WORD PropertyTagTypeShort = 3;
constexpr WORD PropertyTagTypeLong = 4;
constexpr PROPID PropertyTagFrameDelay = 0x5100;  // per frame, in hundredths of a second

enum ImageCodecFlags {
  ImageCodecFlagsEncoder = 0x00000001,
  ImageCodecFlagsDecoder = 0x00000002,
  ImageCodecFlagsSupportBitmap = 0x00000004,
  ImageCodecFlagsSupportVector = 0x00000008,
  ImageCodecFlagsSeekableEncode = 0x00000010,
  ImageCodecFlagsBlockingDecode = 0x00000020,
  ImageCodecFlagsBuiltin = 0x00010000,
  ImageCodecFlagsSystem = 0x00020000,
  ImageCodecFlagsUser = 0x00040000,
};

struct ImageCodecInfo {
  CLSID Clsid;
  GUID FormatID;
  const WCHAR* CodecName;
  const WCHAR* DllName;
  const WCHAR* FormatDescription;
  const WCHAR* FilenameExtension;
  const WCHAR* MimeType;
  DWORD Flags;
  DWORD Version;
  DWORD SigCount;
  DWORD SigSize;
  const BYTE* SigPattern;
  const BYTE* SigMask;
};

}  // namespace Gdiplus

// Raw formats of decoded images, frame dimensions, and the identifiers of the built-in encoders.
inline constexpr GUID ImageFormatUndefined = {0xb96b3ca9, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr GUID ImageFormatMemoryBMP = {0xb96b3caa, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr GUID ImageFormatBMP = {0xb96b3cab, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr GUID ImageFormatJPEG = {0xb96b3cae, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr GUID ImageFormatPNG = {0xb96b3caf, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr GUID ImageFormatGIF = {0xb96b3cb0, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr GUID FrameDimensionTime = {0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};
inline constexpr GUID FrameDimensionPage = {0x7462dc86, 0x6180, 0x4c7e, {0x8e, 0x3f, 0xee, 0x73, 0x33, 0xa7, 0xa4, 0x83}};
