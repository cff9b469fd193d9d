#pragma once
// The few things text layout reads from a TrueType font's own tables, beyond what fontstash
// tells: the size factor between an em size and fontstash's line-height size, and the
// horizontal extent of a glyph's outline (its box in the 'glyf' table), which fontstash rounds
// out to whole pixels. Every read is bounds-checked: a damaged or unknown font gives the neutral
// answer (factor 1, no box).

#include <cstdint>
#include <vector>

namespace plugin::igraphics
{

struct FontMetrics
{
  int unitsPerEm = 0;
  int lineHeight = 0; // ascent − descent of 'hhea', in font units

  // (ascent − descent) / units per em: the factor that turns an em size into the size fontstash
  // wants; 1 when unknown.
  float EmSizeFactor() const;
};

FontMetrics ReadFontMetrics(const std::vector<uint8_t>& font);

// The outline's leftmost and rightmost x of the codepoint's glyph, in font units from its pen
// position; false when the font has no such glyph or the glyph has no outline (a blank).
bool GlyphXExtent(const std::vector<uint8_t>& font, uint32_t codepoint, int& xMin, int& xMax);

} // namespace plugin::igraphics
