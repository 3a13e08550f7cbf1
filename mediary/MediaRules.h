#pragma once
// The type rules of the phone variants: which media kind a file's content is, which phone extension
// and media class that kind maps to, and what each variant (the first two letters of "Build")
// accepts per class: the extensions, the largest size in bytes and, for pictures, the largest width
// and height. The PC pane holds one CMediaRules with the variant and the class of the phone folder
// that is the current drop target; the rules themselves need no window, so they are tested alone.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Media classes, numbered as the phone numbers its main folders.
constexpr int kMediaNone = -1;
constexpr int kMediaPicture = 0;
constexpr int kMediaSound = 1;
constexpr int kMediaMovie = 2;

// Results of sniffing beyond the kind names: a picture larger than the variant shows, and a text
// kept with the others that no rule produces.
inline constexpr std::string_view kWrongSize = "WRONG_SIZE";
inline constexpr std::string_view kNotImageType = "NOTImageType";

// The media class of a kind name (kMediaNone for anything else, the empty text included).
int GetMediaClass(std::string_view kind);

// The zero-based position of `extension` in the "|"-separated `list`, or -1. The comparison ignores
// case and covers only the extension's own length, so callers pass whole extensions. When `limit`
// is given it receives `limits[position]`.
int FindAllowedExtension(std::string_view list, std::string_view extension, std::span<const std::uint32_t> limits,
                         std::uint32_t* limit = nullptr);

class CMediaRules {
 public:
  explicit CMediaRules(std::string build = "YW") : m_build(std::move(build)) {}

  void SetBuild(std::string build) { m_build = std::move(build); }
  const std::string& GetBuild() const { return m_build; }
  // The media class of the phone folder that files are dropped on.
  void SetTargetClass(int mediaClass) { m_targetClass = mediaClass; }
  int GetTargetClass() const { return m_targetClass; }

  // The phone extension of a kind; the picture-frame kinds depend on the variant.
  std::string GetKindExtension(std::string_view kind) const;
  // The position of `extension` in what the variant allows for `mediaClass`, or -1.
  int GetAllowedIndex(int mediaClass, std::string_view extension, std::uint32_t* sizeLimit = nullptr) const;

  // The kind of a file's content: a kind name, kWrongSize, or "" (not recognised, unreadable or
  // empty: counted as corrupted).
  std::string SniffMediaKind(const std::string& path);
  // The same for bytes already read; `extension` is the lower-case text after the name's last ".".
  std::string SniffMediaKind(std::span<const std::uint8_t> bytes, std::string_view extension);

  // false when a picture exceeds the variant's largest width or height for the target class; the
  // refused limit is then kept for the message that names it.
  bool CheckPictureDimensions(std::string_view kind, std::uint32_t width, std::uint32_t height);
  std::uint32_t GetRefusedWidth() const { return m_refusedWidth; }
  std::uint32_t GetRefusedHeight() const { return m_refusedHeight; }

  enum class SizeCheck { Allowed, Refused, TooLarge };
  // Whether a file of `size` bytes named `name` may go to a folder of the target class: Refused when
  // its extension is not allowed there (no message), TooLarge over the limit (`limit` receives it
  // for the message).
  SizeCheck CheckFileSize(std::string_view name, std::uint64_t size, std::uint32_t* limit = nullptr) const;
  // The same for a file on disk; Refused when it does not exist.
  SizeCheck CheckFileSize(const std::string& path, std::uint32_t* limit = nullptr) const;

 private:
  std::string m_build;
  int m_targetClass = kMediaPicture;
  std::uint32_t m_refusedWidth = 0;
  std::uint32_t m_refusedHeight = 0;
};

// The text after the last "." of a name or path, lower-cased ("" without one).
std::string ExtensionOf(std::string_view name);
