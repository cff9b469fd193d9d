#include "framework/graphics/drawing/FontTables.h"

#include <cstring>

namespace plugin::igraphics
{

namespace
{

// A table's place in the file; length 0 when missing.
struct Table
{
  size_t offset = 0;
  size_t length = 0;
};

class FontBytes
{
public:
  explicit FontBytes(const std::vector<uint8_t>& data) : mData(data) {}

  bool Has(size_t at, size_t count) const
  {
    return at <= mData.size() && count <= mData.size() - at;
  }
  uint32_t U16(size_t at) const
  {
    return Has(at, 2) ? uint32_t(mData[at]) << 8 | mData[at + 1] : 0;
  }
  int S16(size_t at) const { return static_cast<int16_t>(U16(at)); }
  uint32_t U32(size_t at) const { return U16(at) << 16 | U16(at + 2); }

  Table Find(const char* tag) const
  {
    const uint32_t count = U16(4);
    for (uint32_t i = 0; i < count; ++i)
    {
      const size_t record = 12 + static_cast<size_t>(i) * 16;
      if (!Has(record, 16))
        break;
      if (std::memcmp(&mData[record], tag, 4) != 0)
        continue;
      const Table table{U32(record + 8), U32(record + 12)};
      return Has(table.offset, table.length) ? table : Table{};
    }
    return {};
  }

private:
  const std::vector<uint8_t>& mData;
};

// Format 4 (16-bit codepoints in segments) of a 'cmap' subtable at sub; 0 when not mapped.
uint32_t MapFormat4(const FontBytes& f, size_t sub, uint32_t c)
{
  const uint32_t segments = f.U16(sub + 6) / 2;
  const size_t ends = sub + 14, starts = ends + 2 * segments + 2;
  const size_t deltas = starts + 2 * segments, ranges = deltas + 2 * segments;
  for (uint32_t i = 0; i < segments; ++i)
  {
    if (f.U16(ends + 2 * i) < c)
      continue;
    const uint32_t start = f.U16(starts + 2 * i);
    if (start > c)
      return 0;
    const uint32_t delta = f.U16(deltas + 2 * i), range = f.U16(ranges + 2 * i);
    if (range == 0)
      return (c + delta) & 0xFFFF;
    const uint32_t glyph = f.U16(ranges + 2 * i + range + 2 * (c - start));
    return glyph ? (glyph + delta) & 0xFFFF : 0;
  }
  return 0;
}

// Format 12 (groups of 32-bit codepoints) of a 'cmap' subtable at sub; 0 when not mapped.
uint32_t MapFormat12(const FontBytes& f, size_t sub, uint32_t c)
{
  const uint32_t groups = f.U32(sub + 12);
  for (uint32_t i = 0; i < groups && f.Has(sub + 16 + static_cast<size_t>(i) * 12, 12); ++i)
  {
    const size_t group = sub + 16 + static_cast<size_t>(i) * 12;
    if (c >= f.U32(group) && c <= f.U32(group + 4))
      return f.U32(group + 8) + (c - f.U32(group));
  }
  return 0;
}

// The glyph index of a codepoint from the first Unicode subtable of a format read here.
uint32_t GlyphIndex(const FontBytes& f, uint32_t c)
{
  const Table cmap = f.Find("cmap");
  if (!cmap.length)
    return 0;
  const uint32_t count = f.U16(cmap.offset + 2);
  for (uint32_t i = 0; i < count; ++i)
  {
    const size_t record = cmap.offset + 4 + static_cast<size_t>(i) * 8;
    const uint32_t platform = f.U16(record), encoding = f.U16(record + 2);
    if (!(platform == 0 || (platform == 3 && (encoding == 1 || encoding == 10))))
      continue;
    const size_t sub = cmap.offset + f.U32(record + 4);
    const uint32_t format = f.U16(sub);
    if (format == 4)
      return MapFormat4(f, sub, c);
    if (format == 12)
      return MapFormat12(f, sub, c);
  }
  return 0;
}

} // namespace

float FontMetrics::EmSizeFactor() const
{
  if (unitsPerEm <= 0 || lineHeight <= 0)
    return 1.f;
  return static_cast<float>(lineHeight) / static_cast<float>(unitsPerEm);
}

FontMetrics ReadFontMetrics(const std::vector<uint8_t>& font)
{
  const FontBytes f(font);
  const Table head = f.Find("head"), hhea = f.Find("hhea");
  FontMetrics metrics;
  if (head.length >= 20)
    metrics.unitsPerEm = static_cast<int>(f.U16(head.offset + 18));
  if (hhea.length >= 8)
    metrics.lineHeight = f.S16(hhea.offset + 4) - f.S16(hhea.offset + 6);
  return metrics;
}

bool GlyphXExtent(const std::vector<uint8_t>& font, uint32_t codepoint, int& xMin, int& xMax)
{
  const FontBytes f(font);
  const Table head = f.Find("head"), loca = f.Find("loca"), glyf = f.Find("glyf");
  const uint32_t glyph = GlyphIndex(f, codepoint);
  if (!glyph || head.length < 54 || !loca.length || !glyf.length)
    return false;
  const bool longOffsets = f.S16(head.offset + 50) != 0;
  const size_t at = longOffsets ? loca.offset + 4 * static_cast<size_t>(glyph)
                                : loca.offset + 2 * static_cast<size_t>(glyph);
  if (!f.Has(at, longOffsets ? 8 : 4) || at + (longOffsets ? 8 : 4) > loca.offset + loca.length)
    return false;
  const size_t start = longOffsets ? f.U32(at) : 2 * static_cast<size_t>(f.U16(at));
  const size_t end = longOffsets ? f.U32(at + 4) : 2 * static_cast<size_t>(f.U16(at + 2));
  if (end <= start || end > glyf.length || end - start < 10)
    return false; // no outline
  xMin = f.S16(glyf.offset + start + 2);
  xMax = f.S16(glyf.offset + start + 6);
  return xMax >= xMin;
}

} // namespace plugin::igraphics
