#pragma once
// GlyphOutlines: text as filled SVG paths, from a TrueType font's outlines (stb_truetype).
//
// The editor's SVG reader draws no text, so the letters of the pictures are the font's glyph
// outlines written as path data. Sizes are em sizes in pixels; positions are the left end of the
// baseline. Each glyph is its own path: the reader finds a glyph's holes (the counters of A, B,
// D, O, R) among the contours of the same path, so glyphs never disturb one another.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct stbtt_fontinfo;

namespace pelmora::pictures
{

class GlyphOutlines
{
public:
  GlyphOutlines();
  ~GlyphOutlines();

  // False when the file cannot be read or is not a font.
  bool Load(const std::string& fontPath);

  // Advance width of the text, kerning included.
  float Measure(std::string_view text, float size) const;
  // Left and right ends of the ink of the text, from the start of its baseline.
  void InkExtent(std::string_view text, float size, float& left, float& right) const;
  // Height of the capital letters above the baseline.
  float CapHeight(float size) const;
  // One path (SVG path data) per visible glyph.
  std::vector<std::string> Paths(std::string_view text, float size, float x, float baseline) const;

private:
  std::vector<unsigned char> mData; // the font file; the font info points into it
  std::unique_ptr<stbtt_fontinfo> mInfo;
};

} // namespace pelmora::pictures
