// The font tables text layout reads (FontTables.h), against stb_truetype's reading of the same
// fonts: every printable ASCII character and the icon glyphs of each of the plug-in's four fonts;
// and damaged fonts, which give the neutral answers.

#include "framework/graphics/drawing/FontTables.h"
#include "framework/core/IPluginPaths.h"

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb/stb_truetype.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace plugin::igraphics;

namespace
{

std::vector<uint8_t> FontBytes(const char* name)
{
  plugin::EmbeddedResource resource;
  if (!plugin::FindEmbeddedResource(name, resource) || resource.size <= 0)
    return {};
  return {resource.data, resource.data + resource.size};
}

} // namespace

TEST(FontTables, GlyphBoxesAndLineHeightAreTheFontsOwn)
{
  for (const char* name : {"Roboto-Regular.ttf", "RobotoCondensed-Light.ttf",
                           "RobotoMono-Regular.ttf", "forkawesome-webfont.ttf"})
  {
    const std::vector<uint8_t> font = FontBytes(name);
    ASSERT_FALSE(font.empty()) << name;
    stbtt_fontinfo info;
    ASSERT_TRUE(stbtt_InitFont(&info, font.data(), 0)) << name;
    int ascent = 0, descent = 0, gap = 0;
    stbtt_GetFontVMetrics(&info, &ascent, &descent, &gap);
    const FontMetrics metrics = ReadFontMetrics(font);
    EXPECT_EQ(metrics.lineHeight, ascent - descent) << name;
    // The em size times the factor is the size that fontstash (stb_truetype) scales by.
    EXPECT_FLOAT_EQ(stbtt_ScaleForPixelHeight(&info, 10.f * metrics.EmSizeFactor()),
                    stbtt_ScaleForMappingEmToPixels(&info, 10.f))
      << name;
    std::vector<uint32_t> codepoints;
    for (uint32_t c = 32; c < 127; ++c)
      codepoints.push_back(c);
    for (uint32_t c : {0xF013u, 0xF0C7u, 0xF0D9u, 0xF0DAu, 0x2014u, 0x10FFFFu})
      codepoints.push_back(c);
    int boxes = 0;
    for (uint32_t c : codepoints)
    {
      int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
      const int glyph = stbtt_FindGlyphIndex(&info, static_cast<int>(c));
      const bool expected = glyph != 0 && !stbtt_IsGlyphEmpty(&info, glyph) &&
                            stbtt_GetGlyphBox(&info, glyph, &x0, &y0, &x1, &y1);
      int xMin = 0, xMax = 0;
      ASSERT_EQ(GlyphXExtent(font, c, xMin, xMax), expected) << name << " U+" << std::hex << c;
      if (!expected)
        continue;
      ++boxes;
      EXPECT_EQ(xMin, x0) << name << " U+" << std::hex << c;
      EXPECT_EQ(xMax, x1) << name << " U+" << std::hex << c;
    }
    EXPECT_GT(boxes, 3) << name;
  }
}

TEST(FontTables, ADamagedFontGivesTheNeutralAnswers)
{
  const std::vector<uint8_t> font = FontBytes("Roboto-Regular.ttf");
  ASSERT_GT(font.size(), 4096u);
  int xMin = 0, xMax = 0;
  for (size_t size : {size_t(0), size_t(11), size_t(200), size_t(4096), font.size() / 2})
  {
    const std::vector<uint8_t> cut(font.begin(), font.begin() + static_cast<long>(size));
    EXPECT_FALSE(GlyphXExtent(cut, 'W', xMin, xMax)) << size;
    if (size < 200)
    {
      EXPECT_FLOAT_EQ(ReadFontMetrics(cut).EmSizeFactor(), 1.f) << size;
    }
  }
  std::vector<uint8_t> scrambled = font;
  for (size_t i = 12; i < 12 + 16 * 20 && i < scrambled.size(); i += 7)
    scrambled[i] = 0xFF;
  GlyphXExtent(scrambled, 'W', xMin, xMax); // no read outside the bytes (the sanitizers tell)
}
