#pragma once
// A realized font: one DejaVu face at one pixel size, with its metrics and a cache of rendered glyphs.
// Faces are shared by every font object that asks for the same file, size and slant.
#include <gdi/GdiTypes.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace tolvar::gdi {

struct Glyph {
  int advance = 0;   // pixels, the unhinted advance rounded as Windows rounds per glyph
  int left = 0;      // bitmap offset from the pen position
  int top = 0;       // rows above the baseline
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> coverage;  // width x height grey levels
};

class FontFace {
public:
  // The face for a logical font, or nullptr when no DejaVu face can be found. When the face's file
  // cannot be opened (no file descriptor left, a damaged file) an open face of the nearest size
  // stands in, so text is still drawn and measured.
  static std::shared_ptr<FontFace> Realize(const LOGFONTA& logfont);
  ~FontFace();

  const TEXTMETRICA& Metrics() const { return m_metrics; }
  // The glyph of a character (the face's missing-glyph box when it has none). Thread-safe.
  const Glyph& GetGlyph(char32_t ch);
  int Advance(char32_t ch) { return GetGlyph(ch).advance; }
  int UnderlinePosition() const { return m_underlinePosition; }  // pixels below the baseline
  int UnderlineThickness() const { return m_underlineThickness; }
  int StrikeoutPosition() const { return m_strikeoutPosition; }  // pixels above the baseline

  struct Key {
    std::string file;
    int em;
    bool italic;
    bool operator==(const Key&) const = default;
  };

private:
  FontFace() = default;
  bool Open(const Key& key, const LOGFONTA& logfont);
  static std::shared_ptr<FontFace> NearestLiveFace(const std::map<std::string, std::weak_ptr<FontFace>>& faces,
                                                   const std::string& file, int em);

  Key m_key;
  void* m_face = nullptr;  // FT_Face, kept opaque so FreeType's headers stay inside this module
  TEXTMETRICA m_metrics{};
  int m_underlinePosition = 1;
  int m_underlineThickness = 1;
  int m_strikeoutPosition = 3;
  std::mutex m_lock;
  std::unordered_map<char32_t, std::unique_ptr<Glyph>> m_glyphs;
};

// Code points of "A" (UTF-8) and "W" (UTF-16) strings; malformed input becomes U+FFFD.
std::u32string DecodeUtf8(const char* text, std::size_t length);
std::u32string DecodeUtf16(const char16_t* text, std::size_t length);

}  // namespace tolvar::gdi
