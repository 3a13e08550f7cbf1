// The type rules of the phone variants and the sniffing of file contents.
#include "MediaFiles.h"

#include <MediaRules.h>
#include <base/TemporaryHome.h>

#include <gtest/gtest.h>

using mediafiles::Bytes;

TEST(MediaRules, KindsMapToClassAndExtensionByVariant) {
  struct Case {
    const char* kind;
    const char* build;
    int mediaClass;
    const char* extension;
  } cases[] = {
      {"keFTJpeg", "YW", 0, "jpg"},           {"keFTGifAnim", "YW", 0, "gif"},
      {"keFTWbmp", "YW", 0, "wbmp"},          {"keFTEAnimator", "ZJ", 0, "nva"},
      {"keFTLargePictureFrame", "YW", 0, "gif"}, {"keFTLargePictureFrame", "YI", 0, "ifm"},
      {"keFTPictureFrame", "CI", 0, "ifm"},   {"keFTQVGAPictureFrame", "ZD", 0, "ifm"},
      {"keFTQVGAPictureFrame", "UD", 0, "ifm"}, {"keFTPictureFrame", "ZJ", 0, "gif"},
      // The frame extension compares the letters exactly.
      {"keFTPictureFrame", "yi", 0, "gif"},   {"keFTSMAF", "YW", 1, "mmf"},
      {"keFTMFI", "YW", 1, "mld"},            {"keFTSMF", "YW", 1, "mid"},
      {"keFTAMR", "YW", 1, "amr"},            {"keFTIMelody", "YW", 1, "imy"},
      {"keFTMFMP", "YW", 1, "mfm"},           {"keFTMpeg", "ZJ", 2, "mp4"},
      {"keFT3gp", "ZJ", 2, "3gp"},            {"WRONG_SIZE", "YW", -1, ""},
      {"", "YW", -1, ""},                     {"keftjpeg", "YW", -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.kind) + " on " + c.build);
    CMediaRules rules(c.build);
    EXPECT_EQ(GetMediaClass(c.kind), c.mediaClass);
    EXPECT_EQ(rules.GetKindExtension(c.kind), c.extension);
  }
}

TEST(MediaRules, AllowedIndexAndSizeLimitPerVariantClassAndExtension) {
  struct Case {
    const char* build;
    int mediaClass;
    const char* extension;
    int index;
    std::uint32_t limit;
  } cases[] = {
      {"YW", 0, "wbmp", 0, 65536},   {"YW", 0, "png", 5, 65536},    {"YW", 0, "nva", -1, 0},
      {"YI", 0, "ifm", 4, 131072},   {"YI", 0, "bmp", -1, 0},       {"ZJ", 0, "jpg", 2, 262144},
      {"ZJ", 0, "nva", 6, 65536},    {"ZD", 0, "jpeg", 2, 262144},  {"ZD", 0, "ifm", 5, 131072},
      {"CW", 0, "jpg", 2, 262144},   {"MW", 0, "gif", 4, 131072},   {"CI", 0, "jpg", 1, 262144},
      {"MI", 0, "ifm", 4, 131072},   {"UJ", 0, "jpg", 2, 393216},   {"UJ", 0, "nva", 6, 65536},
      {"UD", 0, "jpeg", 2, 393216},  {"UD", 0, "bmp", -1, 0},
      {"YW", 1, "imy", 0, 128},      {"YW", 1, "amr", 3, 131072},   {"YW", 1, "mld", -1, 0},
      {"YI", 1, "mld", 4, 131072},   {"ZJ", 1, "mfm", 3, 131072},   {"ZD", 1, "amr", 2, 65536},
      {"CW", 1, "mmf", 1, 131072},   {"MI", 1, "amr", 3, 65536},    {"UJ", 1, "mid", 1, 131072},
      {"UD", 1, "mmf", -1, 0},
      {"ZJ", 2, "3gp", 0, 262144},   {"UD", 2, "mp4", 1, 262144},   {"Ux", 2, "mp4", 1, 262144},
      {"YW", 2, "3gp", -1, 0},       {"CI", 2, "mp4", -1, 0},       {"MW", 2, "mp4", -1, 0},
      // Variant codes compare without regard to case; unknown codes allow nothing.
      {"zj", 0, "JPG", 2, 262144},   {"yWx", 1, "IMY", 0, 128},     {"XX", 0, "jpg", -1, 0},
      {"", 0, "jpg", -1, 0},         {"YW", 3, "jpg", -1, 0},       {"YW", -1, "jpg", -1, 0},
      // Only the extension's own length is compared: callers pass whole extensions.
      {"YW", 0, "jp", 2, 65536},     {"YW", 0, "", -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.build) + " class " + std::to_string(c.mediaClass) + " " + c.extension);
    CMediaRules rules(c.build);
    std::uint32_t limit = 0;
    EXPECT_EQ(rules.GetAllowedIndex(c.mediaClass, c.extension, &limit), c.index);
    EXPECT_EQ(limit, c.limit);
  }
}

TEST(MediaRules, PictureDimensionsKeepTheRefusedLimit) {
  struct Case {
    const char* build;
    const char* kind;
    std::uint32_t width, height;
    bool passes;
    std::uint32_t limitWidth, limitHeight;
  } cases[] = {
      {"ZJ", "keFTJpeg", 640, 480, true, 0, 0},        {"ZJ", "keFTJpeg", 640, 481, false, 640, 480},
      {"ZJ", "keFTJpeg", 641, 10, false, 640, 480},    {"YW", "keFTGif", 512, 500, true, 0, 0},
      {"YW", "keFTPng", 512, 501, false, 512, 500},    {"CW", "keFTJpeg", 640, 480, true, 0, 0},
      {"CW", "keFTBmp", 640, 480, false, 512, 500},    {"UD", "keFTJpeg", 960, 1280, true, 0, 0},
      {"UD", "keFTJpeg", 961, 1280, false, 960, 1280},
      // Not a picture, or an extension the variant does not take: the size rule decides later.
      {"YW", "keFTAMR", 5000, 5000, true, 0, 0},       {"YI", "keFTPng", 5000, 5000, true, 0, 0},
      {"XX", "keFTJpeg", 5000, 5000, true, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.build) + " " + c.kind);
    CMediaRules rules(c.build);
    EXPECT_EQ(rules.CheckPictureDimensions(c.kind, c.width, c.height), c.passes);
    EXPECT_EQ(rules.GetRefusedWidth(), c.limitWidth);
    EXPECT_EQ(rules.GetRefusedHeight(), c.limitHeight);
  }
}

TEST(MediaRules, SniffsEveryKindFromContent) {
  using namespace mediafiles;
  const Bytes frame128 = Gif(128, 128, 1, true), frame64 = Gif(64, 64, 1, true);
  struct Case {
    const char* name;
    Bytes bytes;
    const char* extension;
    const char* build;
    int targetClass;
    const char* kind;
  } cases[] = {
      {"jpeg", Jpeg(32, 24), "jpg", "YW", 0, "keFTJpeg"},
      {"jpeg under another name", Jpeg(32, 24), "txt", "YW", 0, "keFTJpeg"},
      {"png", Png(16, 16), "png", "YW", 0, "keFTPng"},
      {"bmp", Bmp(16, 16), "bmp", "YW", 0, "keFTBmp"},
      {"gif", Gif(20, 20), "gif", "YW", 0, "keFTGif"},
      {"gif, other extension, opaque", Gif(20, 20), "png", "YW", 0, "keFTGif"},
      {"gif, other extension, alpha", Gif(20, 20, 1, true), "png", "YW", 0, ""},
      {"animation", Gif(20, 20, 3), "gif", "YW", 0, "keFTGifAnim"},
      {"animation named png", Gif(20, 20, 2), "png", "YW", 0, ""},
      {"large frame, Y", frame128, "gif", "YW", 0, "keFTLargePictureFrame"},
      {"large frame, C", frame128, "gif", "cw", 0, "keFTLargePictureFrame"},
      {"frame, M", frame64, "gif", "MI", 0, "keFTPictureFrame"},
      {"Y-sized frame on Z", frame128, "gif", "ZJ", 0, "keFTGif"},
      {"large frame, Z", Gif(176, 144, 1, true), "gif", "ZJ", 0, "keFTLargePictureFrame"},
      {"QVGA frame, U", Gif(240, 320, 1, true), "gif", "UD", 0, "keFTQVGAPictureFrame"},
      {"frame, U", Gif(128, 96, 1, true), "gif", "UJ", 0, "keFTPictureFrame"},
      {"frame without alpha", Gif(128, 128), "gif", "YW", 0, "keFTGif"},
      {"animator", Signature("Halvane Anima", 2), "nva", "ZJ", 0, "keFTEAnimator"},
      {"animator named mp4", Signature("Halvane Anima", 2), "mp4", "ZJ", 0, "keFTEAnimator"},
      {"mfmp", Signature("mfmp"), "mfm", "ZJ", 1, "keFTMFMP"},
      {"smaf", Signature("MMMD"), "mmf", "YW", 1, "keFTSMAF"},
      {"mfi", Signature(std::string_view("melo\0\0", 6)), "mld", "YI", 1, "keFTMFI"},
      {"melo without zeros", Signature("melo"), "mld", "YI", 1, ""},
      {"smf", Signature("MThd"), "mid", "YW", 1, "keFTSMF"},
      {"amr", Signature("#!AMR\n", 0), "amr", "YW", 1, "keFTAMR"},
      {"amr-wb refused", Signature("#!AMR-WB\n", 0), "amr", "YW", 1, ""},
      {"imelody", Signature("BEGIN:IMELODY", 0), "imy", "YW", 1, "keFTIMelody"},
      {"wbmp", Signature(std::string_view("\0\0", 2), 0, 20, 7), "wbmp", "YW", 0, "keFTWbmp"},
      {"unknown", Signature("hello"), "txt", "YW", 0, ""},
      {"3gp4 as mp4 on ZJ", Movie("3gp4"), "mp4", "ZJ", 2, "keFTMpeg"},
      {"mmp4 as mp4 on ZJ", Movie("mmp4"), "mp4", "ZJ", 2, "keFTMpeg"},
      {"3gp5 as 3gp on ZJ", Movie("3gp5"), "3gp", "ZJ", 2, "keFT3gp"},
      {"mmp4 as mp4 on ZD", Movie("mmp4"), "mp4", "ZD", 2, "keFT3gp"},
      {"mmp4 as mp4 on UD", Movie("mmp4"), "mp4", "UD", 2, "keFT3gp"},
      {"mmp4 as mp4 on zd", Movie("mmp4"), "mp4", "zd", 2, "keFTMpeg"},
      {"other brand", Movie("isom"), "mp4", "ZJ", 2, ""},
      // Under another name a movie is judged by the sound rules: its box size starts with two zeros.
      {"movie signature named amr", Movie("3gp4"), "amr", "ZJ", 1, "keFTWbmp"},
      {"sound named 3gp", Signature("MThd"), "3gp", "ZJ", 2, ""},
      {"too wide for ZJ", Jpeg(641, 8), "jpg", "ZJ", 0, "WRONG_SIZE"},
      {"fits ZJ", Jpeg(640, 8), "jpg", "ZJ", 0, "keFTJpeg"},
      {"too tall for YW", Png(8, 501), "png", "YW", 0, "WRONG_SIZE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CMediaRules rules(c.build);
    rules.SetTargetClass(c.targetClass);
    EXPECT_EQ(rules.SniffMediaKind(c.bytes, c.extension), c.kind);
  }
}

// Every signature is checked against the file's length: the prefixes of each signature are read
// whole (and under AddressSanitizer a read past them would stop the test).
TEST(MediaRules, ShortFilesAreNotRecognised) {
  const std::string_view signatures[] = {"xxHalvane Anima", "mfmp", "MMMD", "xxAMR", "xxxxxxIMELODY",
                                         "xxxxxxxxmmp4"};
  CMediaRules rules("ZJ");
  for (std::size_t length = 0; length <= 13; ++length) {
    for (std::string_view signature : signatures) {
      if (length >= signature.size()) continue;
      const std::vector<std::uint8_t> bytes(signature.begin(), signature.begin() + std::ptrdiff_t(length));
      for (const char* extension : {"amr", "mp4", "nva"}) {
        SCOPED_TRACE(std::string(signature) + " cut to " + std::to_string(length) + " as " + extension);
        const std::string kind = rules.SniffMediaKind(bytes, extension);
        // Two zero bytes make a WBMP; nothing shorter than a signature is that kind.
        EXPECT_TRUE(kind.empty()) << kind;
      }
    }
  }
  const std::vector<std::uint8_t> zero{0}, twoZeros{0, 0};
  EXPECT_EQ(rules.SniffMediaKind(zero, "wbmp"), "");
  EXPECT_EQ(rules.SniffMediaKind(twoZeros, "wbmp"), "keFTWbmp");
}

TEST(MediaRules, SniffsFilesAndCountsUnreadableOnesAsCorrupted) {
  tolvar::testing::TemporaryHome home;
  CMediaRules rules("YW");
  const std::string gif = home.Path() + "/frame.GIF", empty = home.Path() + "/empty.jpg";
  mediafiles::WriteFile(gif, mediafiles::Gif(128, 128, 1, true));
  mediafiles::WriteFile(empty, {});
  EXPECT_EQ(rules.SniffMediaKind(gif), "keFTLargePictureFrame");
  EXPECT_EQ(rules.SniffMediaKind(empty), "");
  EXPECT_EQ(rules.SniffMediaKind(home.Path() + "/missing.jpg"), "");
  EXPECT_EQ(rules.SniffMediaKind(home.Path()), "");  // a folder
}

TEST(MediaRules, FileSizeRule) {
  tolvar::testing::TemporaryHome home;
  const std::string melody = home.Path() + "/tune.imy";
  mediafiles::WriteFile(melody, mediafiles::Signature("BEGIN:IMELODY", 0, 129));
  struct Case {
    const char* build;
    int targetClass;
    std::string path;
    CMediaRules::SizeCheck result;
    std::uint32_t limit;
  } cases[] = {
      {"YW", 1, melody, CMediaRules::SizeCheck::TooLarge, 128},
      {"YI", 1, melody, CMediaRules::SizeCheck::Allowed, 0},
      {"YW", 0, melody, CMediaRules::SizeCheck::Refused, 0},
      {"YW", 1, home.Path() + "/missing.imy", CMediaRules::SizeCheck::Refused, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.build) + " " + c.path);
    CMediaRules rules(c.build);
    rules.SetTargetClass(c.targetClass);
    std::uint32_t limit = 0;
    EXPECT_EQ(rules.CheckFileSize(c.path, &limit), c.result);
    EXPECT_EQ(limit, c.limit);
  }
  // Short extensions are padded with "0": "gi" is not "gif"; any movie is refused off Z and U.
  CMediaRules rules("YW");
  EXPECT_EQ(rules.CheckFileSize(std::string_view("a.gi"), 10), CMediaRules::SizeCheck::Refused);
  EXPECT_EQ(rules.CheckFileSize(std::string_view("a"), 10), CMediaRules::SizeCheck::Refused);
  rules.SetTargetClass(kMediaMovie);
  EXPECT_EQ(rules.CheckFileSize(std::string_view("a.3gp"), 10), CMediaRules::SizeCheck::Refused);
}
