#include "FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <strings.h>

namespace tolvar::gdi {
namespace {

// Hinting and antialiasing are decided once here: light (vertical-only) hinting, grey coverage.
constexpr FT_Int32 kRenderFlags = FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP;
// Advances are the unhinted design widths rounded per glyph, which no hinter can change.
constexpr FT_Int32 kAdvanceFlags = FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP;
constexpr int kDefaultCellHeight = 16;

// Two locks, always taken in this order and never twice: the table of faces (and the files found
// for them), and FreeType's library, which opens and closes faces one at a time. A face's
// destructor takes only the second, so dropping a face while the table is locked is safe.
std::mutex g_tableLock;
std::mutex g_freetypeLock;

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) lib = nullptr;
    return lib;
  }();
  return library;
}

// The suite's faces and their stand-ins. Anything unknown is proportional unless it asks for a fixed
// pitch or the modern family.
bool WantsMono(const LOGFONTA& lf) {
  static const char* const monoFaces[] = {"Courier New", "Courier", "Lucida Console", "Fixedsys", "Terminal",
                                          "Consolas"};
  for (const char* face : monoFaces) {
    if (strcasecmp(lf.lfFaceName, face) == 0) return true;
  }
  static const char* const sansFaces[] = {"Verdana", "Tahoma", "MS Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2",
                                          "Small Fonts", "Arial", "System"};
  for (const char* face : sansFaces) {
    if (strcasecmp(lf.lfFaceName, face) == 0) return false;
  }
  return (lf.lfPitchAndFamily & 0x3) == FIXED_PITCH || (lf.lfPitchAndFamily & 0xF0) == FF_MODERN;
}

// The file of a DejaVu face: asked of fontconfig, accepted only when it really is that family, so a
// machine with other fonts installed never measures differently.
std::string MatchFile(FcConfig* config, bool mono, bool bold) {
  const char* family = mono ? "DejaVu Sans Mono" : "DejaVu Sans";
  std::string file;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddInteger(pattern, FC_WIDTH, FC_WIDTH_NORMAL);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
    FcChar8* matchedFamily = nullptr;
    FcChar8* path = nullptr;
    int weight = 0, slant = 0;
    if (FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch &&
        FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
        FcPatternGetInteger(match, FC_WEIGHT, 0, &weight) == FcResultMatch &&
        FcPatternGetInteger(match, FC_SLANT, 0, &slant) == FcResultMatch &&
        std::strcmp(reinterpret_cast<const char*>(matchedFamily), family) == 0 && slant == FC_SLANT_ROMAN &&
        (weight >= FC_WEIGHT_BOLD) == bold) {
      file = reinterpret_cast<const char*>(path);
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return file;
}

// The files of the four faces (sans, sans bold, mono, mono bold), all looked up at the first need:
// loading fontconfig's configuration and caches is what costs (milliseconds, on every program's
// way to its first frame), matching a face once it is loaded does not. The configuration is our
// own and dropped after the lookup, so fontconfig's process-wide state is never created.
std::string FindFile(bool mono, bool bold) {
  static const std::array<std::string, 4> files = [] {
    std::array<std::string, 4> found;
    FcConfig* config = FcInitLoadConfigAndFonts();
    // The files of fonts-dejavu-core, where fontconfig does not list them.
    static const char* const fallback[] = {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSansMono.ttf",
                                           "DejaVuSansMono-Bold.ttf"};
    for (std::size_t key = 0; key < found.size(); ++key) {
      std::string& file = found[key];
      if (config) file = MatchFile(config, (key & 2) != 0, (key & 1) != 0);
      if (file.empty()) {
        const std::string path = std::string("/usr/share/fonts/truetype/dejavu/") + fallback[key];
        if (std::filesystem::exists(path)) file = path;
      }
    }
    if (config) FcConfigDestroy(config);
    return found;
  }();
  return files[static_cast<std::size_t>((mono ? 2 : 0) | (bold ? 1 : 0))];
}

int Round(double v) { return static_cast<int>(std::lround(v)); }

}  // namespace

// The open face closest to what was asked: the same file at the nearest size, else any open face;
// null when none is open. Called with the library lock held.
std::shared_ptr<FontFace> FontFace::NearestLiveFace(const std::map<std::string, std::weak_ptr<FontFace>>& faces,
                                                   const std::string& file, int em) {
  std::shared_ptr<FontFace> best;
  int bestDistance = 0;
  for (const auto& [name, weak] : faces) {
    auto face = weak.lock();
    if (!face) continue;
    const int distance = std::abs(face->m_key.em - em) + (face->m_key.file == file ? 0 : 100000);
    if (!best || distance < bestDistance) {
      best = std::move(face);
      bestDistance = distance;
    }
  }
  return best;
}

std::shared_ptr<FontFace> FontFace::Realize(const LOGFONTA& lf) {
  std::lock_guard guard(g_tableLock);
  if (!Library()) return nullptr;
  const bool bold = lf.lfWeight >= FW_SEMIBOLD;
  const std::string file = FindFile(WantsMono(lf), bold);
  if (file.empty()) return nullptr;
  static std::map<std::string, std::weak_ptr<FontFace>> faces;

  // The pixel size needs the face's vertical metrics: open it once per file to read them.
  static std::map<std::string, std::pair<int, int>> cellUnits;  // (winAscent + winDescent, units per em)
  auto units = cellUnits.find(file);
  if (units == cellUnits.end()) {
    std::lock_guard library(g_freetypeLock);
    FT_Face probe = nullptr;
    if (FT_New_Face(Library(), file.c_str(), 0, &probe) != 0) return NearestLiveFace(faces, file, 0);
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(probe, FT_SFNT_OS2));
    const int cell = os2 ? os2->usWinAscent + os2->usWinDescent : probe->ascender - probe->descender;
    units = cellUnits.emplace(file, std::make_pair(cell, static_cast<int>(probe->units_per_EM))).first;
    FT_Done_Face(probe);
  }
  const auto [cell, upem] = units->second;
  int em;
  if (lf.lfHeight < 0) em = -lf.lfHeight;
  else em = Round(static_cast<double>(lf.lfHeight ? lf.lfHeight : kDefaultCellHeight) * upem / cell);
  em = std::clamp(em, 1, 2000);

  const Key key{file, em, lf.lfItalic != 0};
  // A cell height keeps its exact value in the metrics, so it gets a face of its own.
  const std::string name = file + "|" + std::to_string(em) + (key.italic ? "|i" : "") +
                           (lf.lfHeight > 0 ? "|c" + std::to_string(lf.lfHeight) : "");
  if (auto it = faces.find(name); it != faces.end()) {
    if (auto existing = it->second.lock()) return existing;
  }
  std::shared_ptr<FontFace> face(new FontFace);
  if (!face->Open(key, lf)) {
    // Out of file descriptors, or a damaged font file: text goes on in a face already open, the
    // same file's nearest size where there is one, rather than in none.
    face.reset();
    return NearestLiveFace(faces, file, em);
  }
  faces[name] = face;
  return face;
}

FontFace::~FontFace() {
  std::lock_guard library(g_freetypeLock);
  if (m_face) FT_Done_Face(static_cast<FT_Face>(m_face));
}

bool FontFace::Open(const Key& key, const LOGFONTA& lf) {
  m_key = key;
  FT_Face face = nullptr;
  {
    std::lock_guard library(g_freetypeLock);
    if (FT_New_Face(Library(), key.file.c_str(), 0, &face) != 0) return false;
  }
  m_face = face;
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(key.em)) != 0) return false;
  const double scale = static_cast<double>(key.em) / face->units_per_EM;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  const int winAscent = os2 ? os2->usWinAscent : face->ascender;
  const int winDescent = os2 ? os2->usWinDescent : -face->descender;
  TEXTMETRICA& tm = m_metrics;
  if (lf.lfHeight > 0) {
    // A cell height is kept exactly, split between ascent and descent.
    tm.tmHeight = lf.lfHeight;
    tm.tmAscent = Round(static_cast<double>(winAscent) * lf.lfHeight / (winAscent + winDescent));
    tm.tmDescent = tm.tmHeight - tm.tmAscent;
  } else {
    tm.tmAscent = Round(winAscent * scale);
    tm.tmDescent = Round(winDescent * scale);
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
  }
  tm.tmInternalLeading = std::max(0, static_cast<int>(tm.tmHeight) - key.em);
  int lineGap = 0;
  if (hhea) lineGap = hhea->Line_Gap - ((winAscent + winDescent) - (hhea->Ascender - hhea->Descender));
  tm.tmExternalLeading = std::max(0, Round(lineGap * scale));
  tm.tmAveCharWidth = os2 ? Round(os2->xAvgCharWidth * scale) : Round(key.em / 2.0);
  tm.tmMaxCharWidth = Round((face->bbox.xMax - face->bbox.xMin) * scale);
  tm.tmWeight = lf.lfWeight ? lf.lfWeight : FW_NORMAL;
  tm.tmOverhang = 0;
  tm.tmDigitizedAspectX = 96;
  tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = 0x1E;
  tm.tmLastChar = 0xFF;
  tm.tmDefaultChar = 0x1F;
  tm.tmBreakChar = 0x20;
  tm.tmItalic = lf.lfItalic ? 1 : 0;
  tm.tmUnderlined = lf.lfUnderline ? 1 : 0;
  tm.tmStruckOut = lf.lfStrikeOut ? 1 : 0;
  const bool fixed = FT_IS_FIXED_WIDTH(face);
  tm.tmPitchAndFamily = static_cast<BYTE>((fixed ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR | TMPF_TRUETYPE |
                                          (fixed ? FF_MODERN : FF_SWISS));
  tm.tmCharSet = lf.lfCharSet;
  m_underlinePosition = std::max(1, Round(-face->underline_position * scale));
  m_underlineThickness = std::max(1, Round(face->underline_thickness * scale));
  m_strikeoutPosition = os2 ? Round(os2->yStrikeoutPosition * scale) : Round(tm.tmAscent / 3.0);
  return true;
}

const Glyph& FontFace::GetGlyph(char32_t ch) {
  std::lock_guard guard(m_lock);
  auto it = m_glyphs.find(ch);
  if (it != m_glyphs.end()) return *it->second;
  auto glyph = std::make_unique<Glyph>();
  FT_Face face = static_cast<FT_Face>(m_face);
  const FT_UInt index = FT_Get_Char_Index(face, ch);
  FT_Fixed advance = 0;
  if (FT_Get_Advance(face, index, kAdvanceFlags, &advance) == 0) {
    glyph->advance = static_cast<int>((advance + 0x8000) >> 16);
  }
  if (FT_Load_Glyph(face, index, kRenderFlags) == 0) {
    FT_GlyphSlot slot = face->glyph;
    if (m_key.italic && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      // Italic is slanted from the upright face by 12 degrees, as the face has no italic of its own.
      FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};
      FT_Outline_Transform(&slot->outline, &shear);
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0) {
      const FT_Bitmap& bm = slot->bitmap;
      glyph->left = slot->bitmap_left;
      glyph->top = slot->bitmap_top;
      glyph->width = static_cast<int>(bm.width);
      glyph->height = static_cast<int>(bm.rows);
      glyph->coverage.resize(static_cast<std::size_t>(glyph->width) * glyph->height);
      for (int y = 0; y < glyph->height; ++y) {
        std::memcpy(glyph->coverage.data() + static_cast<std::size_t>(y) * glyph->width,
                    bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch, static_cast<std::size_t>(glyph->width));
      }
    }
  }
  return *m_glyphs.emplace(ch, std::move(glyph)).first->second;
}

std::u32string DecodeUtf8(const char* text, std::size_t length) {
  std::u32string out;
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  std::size_t i = 0;
  while (i < length) {
    const unsigned char c = s[i];
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    bool ok = extra >= 0;
    for (int k = 1; ok && k <= extra; ++k) {
      if (i + k >= length || (s[i + k] & 0xC0) != 0x80) ok = false;
      else cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    static const char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
    if (ok && (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
    if (!ok) {
      out.push_back(0xFFFD);
      ++i;
      while (i < length && (s[i] & 0xC0) == 0x80) ++i;  // one replacement per bad sequence
      continue;
    }
    out.push_back(cp);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

std::u32string DecodeUtf16(const char16_t* text, std::size_t length) {
  std::u32string out;
  for (std::size_t i = 0; i < length; ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      out.push_back(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      out.push_back(0xFFFD);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace tolvar::gdi
