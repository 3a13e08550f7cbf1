// The variant tables and the sniffing of a file's content. Every signature test checks that the
// file holds the bytes it reads, so a file of a few bytes is simply not that kind.
#include "MediaRules.h"

#include "FileBytes.h"

#include <imaging/Decoders.h>
#include <kernel/Path.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

struct KindEntry {
  std::string_view kind;
  int mediaClass;
  std::string_view extension;  // empty: the picture-frame rule
};

constexpr std::array<KindEntry, 18> kKinds{{
    {"keFTJpeg", kMediaPicture, "jpg"},       {"keFTBmp", kMediaPicture, "bmp"},
    {"keFTGif", kMediaPicture, "gif"},        {"keFTGifAnim", kMediaPicture, "gif"},
    {"keFTPng", kMediaPicture, "png"},        {"keFTWbmp", kMediaPicture, "wbmp"},
    {"keFTEAnimator", kMediaPicture, "nva"},  {"keFTLargePictureFrame", kMediaPicture, ""},
    {"keFTPictureFrame", kMediaPicture, ""},  {"keFTQVGAPictureFrame", kMediaPicture, ""},
    {"keFTSMAF", kMediaSound, "mmf"},         {"keFTMFI", kMediaSound, "mld"},
    {"keFTSMF", kMediaSound, "mid"},          {"keFTAMR", kMediaSound, "amr"},
    {"keFTIMelody", kMediaSound, "imy"},      {"keFTMFMP", kMediaSound, "mfm"},
    {"keFTMpeg", kMediaMovie, "mp4"},         {"keFT3gp", kMediaMovie, "3gp"},
}};

const KindEntry* FindKind(std::string_view kind) {
  for (const KindEntry& entry : kKinds)
    if (entry.kind == kind) return &entry;
  return nullptr;
}

struct Dimensions {
  std::uint32_t width;
  std::uint32_t height;
};

// One variant's rules for one class: the extension list with a size (and for pictures a largest
// width and height) per position.
struct ClassRules {
  std::string_view list;
  std::vector<std::uint32_t> sizes;
  std::vector<Dimensions> dimensions;  // pictures only
};

struct VariantRules {
  std::array<std::string_view, 2> codes;  // a second code shares the rules ("" when none)
  ClassRules pictures;
  ClassRules sounds;
};

constexpr std::uint32_t k64K = 65536, k128K = 131072, k256K = 262144, k384K = 393216;
constexpr Dimensions kSmall{512, 500}, kVga{640, 480}, kTall{960, 1280};

const std::vector<VariantRules>& Variants() {
  static const std::vector<VariantRules> variants{
      {{"YW", ""},
       {"wbmp|bmp|jpg|jpeg|gif|png", std::vector<std::uint32_t>(6, k64K), std::vector<Dimensions>(6, kSmall)},
       {"imy|mmf|mid|amr", {128, 32768, 32768, k128K}, {}}},
      {{"YI", ""},
       {"wbmp|jpg|jpeg|gif|ifm", std::vector<std::uint32_t>(5, k128K), std::vector<Dimensions>(5, kSmall)},
       {"imy|mmf|mid|amr|mld", {4096, k128K, k128K, k128K, k128K}, {}}},
      {{"ZJ", ""},
       {"wbmp|bmp|jpg|jpeg|gif|png|nva", {k128K, k128K, k256K, k256K, k128K, k128K, k64K},
        std::vector<Dimensions>(7, kVga)},
       {"imy|mid|amr|mfm", {4096, k128K, k128K, k128K}, {}}},
      {{"ZD", ""},
       {"wbmp|jpg|jpeg|gif|png|ifm", {k128K, k256K, k256K, k128K, k128K, k128K}, std::vector<Dimensions>(6, kVga)},
       {"imy|mid|amr", {4096, k128K, k64K}, {}}},
      {{"CW", "MW"},
       {"wbmp|bmp|jpg|jpeg|gif|png", {k128K, k128K, k256K, k256K, k128K, k128K},
        {kSmall, kSmall, kVga, kVga, kSmall, kSmall}},
       {"imy|mmf|mid|amr", {4096, k128K, k128K, k64K}, {}}},
      {{"CI", "MI"},
       {"wbmp|jpg|jpeg|gif|ifm", {k128K, k256K, k256K, k128K, k128K}, {kSmall, kSmall, kVga, kVga, kSmall}},
       {"imy|mmf|mid|amr|mld", {4096, k128K, k128K, k64K, k128K}, {}}},
      {{"UJ", ""},
       {"wbmp|bmp|jpg|jpeg|gif|png|nva", {k128K, k128K, k384K, k384K, k128K, k128K, k64K},
        std::vector<Dimensions>(7, kTall)},
       {"imy|mid|amr|mfm", {4096, k128K, k128K, k128K}, {}}},
      {{"UD", ""},
       {"wbmp|jpg|jpeg|gif|png|ifm", {k128K, k384K, k384K, k128K, k128K, k128K}, std::vector<Dimensions>(6, kTall)},
       {"imy|mid|amr", {4096, k128K, k64K}, {}}},
  };
  return variants;
}

const ClassRules kMovies{"3gp|mp4", {k256K, k256K}, {}};

char Upper(char c) { return char(std::toupper(static_cast<unsigned char>(c))); }
char Lower(char c) { return char(std::tolower(static_cast<unsigned char>(c))); }

std::string Code(const std::string& build) { return build.substr(0, 2); }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

// The rules of the variant for a class, or null when the variant has none for it.
const ClassRules* RulesFor(const std::string& build, int mediaClass) {
  if (mediaClass == kMediaMovie) {
    const char first = build.empty() ? '\0' : Upper(build[0]);
    return first == 'Z' || first == 'U' ? &kMovies : nullptr;
  }
  if (mediaClass != kMediaPicture && mediaClass != kMediaSound) return nullptr;
  if (build.size() < 2) return nullptr;
  const std::string code = Code(build);
  for (const VariantRules& variant : Variants())
    for (std::string_view name : variant.codes)
      if (!name.empty() && SameIgnoringCase(name, code))
        return mediaClass == kMediaPicture ? &variant.pictures : &variant.sounds;
  return nullptr;
}

char FirstLetter(const std::string& build) { return build.empty() ? '\0' : Upper(build[0]); }

bool BytesAt(std::span<const std::uint8_t> bytes, std::size_t offset, std::string_view text) {
  return bytes.size() >= offset + text.size() && std::memcmp(bytes.data() + offset, text.data(), text.size()) == 0;
}

}  // namespace

int GetMediaClass(std::string_view kind) {
  const KindEntry* entry = FindKind(kind);
  return entry ? entry->mediaClass : kMediaNone;
}

int FindAllowedExtension(std::string_view list, std::string_view extension, std::span<const std::uint32_t> limits,
                         std::uint32_t* limit) {
  int position = 0;
  for (;;) {
    if (list.size() >= extension.size() && SameIgnoringCase(list.substr(0, extension.size()), extension)) {
      if (limit && std::size_t(position) < limits.size()) *limit = limits[std::size_t(position)];
      return position;
    }
    const std::size_t bar = list.find('|');
    if (bar == std::string_view::npos) return -1;
    list.remove_prefix(bar + 1);
    ++position;
  }
}

std::string ExtensionOf(std::string_view name) {
  const std::size_t separator = name.find_last_of("\\/");
  if (separator != std::string_view::npos) name.remove_prefix(separator + 1);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return {};
  std::string extension(name.substr(dot + 1));
  for (char& c : extension) c = Lower(c);
  return extension;
}

std::string CMediaRules::GetKindExtension(std::string_view kind) const {
  const KindEntry* entry = FindKind(kind);
  if (!entry) return {};
  if (!entry->extension.empty()) return std::string(entry->extension);
  // The frame kinds travel as "ifm" only to the variants that know that format (exact letters).
  const std::string code = Code(m_build);
  for (std::string_view ifm : {"YI", "CI", "MI", "UD", "ZD"})
    if (code == ifm) return "ifm";
  return "gif";
}

int CMediaRules::GetAllowedIndex(int mediaClass, std::string_view extension, std::uint32_t* sizeLimit) const {
  const ClassRules* rules = RulesFor(m_build, mediaClass);
  if (!rules || extension.empty()) return -1;
  return FindAllowedExtension(rules->list, extension, rules->sizes, sizeLimit);
}

std::string CMediaRules::SniffMediaKind(const std::string& path) {
  return SniffMediaKind(ReadFileBytes(path), ExtensionOf(path));
}

std::string CMediaRules::SniffMediaKind(std::span<const std::uint8_t> bytes, std::string_view extension) {
  if (bytes.empty()) return {};
  using namespace Gdiplus;
  tolvar::imaging::DecodedImage image;
  const bool decoded = tolvar::imaging::DecodeImage(bytes, image) == Ok;
  const std::uint32_t width = decoded ? image.width : 0;
  const std::uint32_t height = decoded ? image.height : 0;
  std::string kind;
  const char first = FirstLetter(m_build);
  if (decoded && image.rawFormat == ImageFormatJPEG) {
    kind = "keFTJpeg";
  } else if (decoded && image.rawFormat == ImageFormatPNG) {
    kind = "keFTPng";
  } else if (decoded && image.rawFormat == ImageFormatBMP) {
    kind = "keFTBmp";
  } else if (decoded && image.rawFormat == ImageFormatGIF) {
    if (image.frameCount >= 2) {
      kind = extension == "gif" ? "keFTGifAnim" : "";
    } else {
      kind = extension == "gif" ? "keFTGif" : "";
      // A one-frame GIF whose palette says only "has alpha" may be one of the phone's frame
      // pictures, told apart by its exact size.
      if (image.paletteFlags != PaletteFlagsHasAlpha) {
        kind = "keFTGif";
      } else if (first == 'Y' || first == 'C' || first == 'M') {
        if (height == 128 && width == 128) kind = "keFTLargePictureFrame";
        else if (height == 64 && width == 64) kind = "keFTPictureFrame";
      } else if (first == 'Z' || first == 'U') {
        if (height == 144 && width == 176) kind = "keFTLargePictureFrame";
        else if (height == 320 && width == 240) kind = "keFTQVGAPictureFrame";
        else if (height == 96 && width == 128) kind = "keFTPictureFrame";
      }
    }
  } else if (BytesAt(bytes, 2, "Halvane Anima")) {
    kind = "keFTEAnimator";
  } else if (extension != "3gp" && extension != "mp4") {
    if (BytesAt(bytes, 0, "mfmp")) kind = "keFTMFMP";
    else if (BytesAt(bytes, 0, "MMMD")) kind = "keFTSMAF";
    else if (BytesAt(bytes, 0, std::string_view("melo\0\0", 6))) kind = "keFTMFI";
    else if (BytesAt(bytes, 0, "MThd")) kind = "keFTSMF";
    else if (BytesAt(bytes, 2, "AMR-WB")) kind = "";  // wide-band speech is not played by the phones
    else if (BytesAt(bytes, 2, "AMR")) kind = "keFTAMR";
    else if (BytesAt(bytes, 6, "IMELODY")) kind = "keFTIMelody";
    else if (bytes.size() >= 2 && bytes[0] == 0 && bytes[1] == 0) kind = "keFTWbmp";
  } else if (BytesAt(bytes, 8, "3gp4") || BytesAt(bytes, 8, "3gp5") || BytesAt(bytes, 8, "mmp4")) {
    const std::string code = Code(m_build);
    if (code == "ZD" || code == "UD") kind = "keFT3gp";
    else kind = extension == "3gp" ? "keFT3gp" : "keFTMpeg";
  }
  if (!CheckPictureDimensions(kind, width, height)) return std::string(kWrongSize);
  return kind;
}

bool CMediaRules::CheckPictureDimensions(std::string_view kind, std::uint32_t width, std::uint32_t height) {
  if (GetMediaClass(kind) != kMediaPicture) return true;
  const int position = GetAllowedIndex(m_targetClass, GetKindExtension(kind));
  if (position < 0) return true;  // the extension rule refuses it later
  const ClassRules* rules = RulesFor(m_build, m_targetClass);
  if (!rules || std::size_t(position) >= rules->dimensions.size()) return true;
  const Dimensions& largest = rules->dimensions[std::size_t(position)];
  if (width <= largest.width && height <= largest.height) return true;
  m_refusedWidth = largest.width;
  m_refusedHeight = largest.height;
  return false;
}

CMediaRules::SizeCheck CMediaRules::CheckFileSize(std::string_view name, std::uint64_t size,
                                                  std::uint32_t* limit) const {
  std::string extension = ExtensionOf(name);
  // Short extensions are padded as the phone stores them, so "gi" does not pass as "gif".
  if (extension.size() < 3) extension.append(3 - extension.size(), '0');
  std::uint32_t largest = 0;
  if (GetAllowedIndex(m_targetClass, extension, &largest) < 0) return SizeCheck::Refused;
  if (size <= largest) return SizeCheck::Allowed;
  if (limit) *limit = largest;
  return SizeCheck::TooLarge;
}

CMediaRules::SizeCheck CMediaRules::CheckFileSize(const std::string& path, std::uint32_t* limit) const {
  std::error_code error;
  const std::filesystem::path host = tolvar::kernel::ToHostPath(path);
  if (!std::filesystem::is_regular_file(host, error)) return SizeCheck::Refused;
  const std::uint64_t size = std::filesystem::file_size(host, error);
  if (error) return SizeCheck::Refused;
  return CheckFileSize(std::string_view(path), size, limit);
}
