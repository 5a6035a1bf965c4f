#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tinctara {

// The small font of the running text: 5 x 7 dots per character, printable
// ASCII and the German letters of Latin-1 (umlauts, sharp s) and a few signs.
namespace BitmapFont {

inline constexpr int GlyphWidth = 5;
inline constexpr int GlyphHeight = 7;

// Row r (0 = top) of a glyph; bit 4 is the leftmost dot.
using Glyph = std::array<std::uint8_t, GlyphHeight>;

// The glyph of a Latin-1 code point, or none when the font lacks it.
std::optional<Glyph> glyph(std::uint32_t codePoint);

// Shown for a character the font lacks: an open box.
Glyph box();

// The code points of a UTF-8 text; a byte that is not valid UTF-8 counts as
// the code point U+FFFD.
std::vector<std::uint32_t> codePoints(const std::string& utf8);

}  // namespace BitmapFont
}  // namespace tinctara
