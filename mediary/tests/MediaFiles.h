#pragma once
// Generated media files for the tests: pictures written by the image library's sample writers and
// the signatures of the sound and movie formats, so every kind the rules know can be made on demand.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mediafiles {

using Bytes = std::vector<std::uint8_t>;

Bytes Jpeg(int width, int height);
Bytes Png(int width, int height);
Bytes Bmp(int width, int height);
// A GIF of `frames` frames; `transparent` gives the first frame a transparent colour, which makes
// the palette say "has alpha" and nothing else.
Bytes Gif(int width, int height, int frames = 1, bool transparent = false);
// `text` at `offset`, padded with `fill` to `size` bytes (at least as long as the text needs).
Bytes Signature(std::string_view text, std::size_t offset = 0, std::size_t size = 32, std::uint8_t fill = 'x');
// An ISO media file whose major brand (offset 8) is `brand`.
Bytes Movie(std::string_view brand);

void WriteFile(const std::string& path, const Bytes& bytes);

}  // namespace mediafiles
