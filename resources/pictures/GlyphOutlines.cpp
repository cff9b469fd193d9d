#include "resources/pictures/GlyphOutlines.h"

#include "resources/pictures/SvgDocument.h"

#include <fstream>
#include <iterator>

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb/stb_truetype.h>

namespace pelmora::pictures
{

GlyphOutlines::GlyphOutlines() : mInfo(std::make_unique<stbtt_fontinfo>()) {}

GlyphOutlines::~GlyphOutlines() = default;

bool GlyphOutlines::Load(const std::string& fontPath)
{
  std::ifstream file(fontPath, std::ios::binary);
  mData.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  if (mData.empty())
    return false;
  const int offset = stbtt_GetFontOffsetForIndex(mData.data(), 0);
  return offset >= 0 && stbtt_InitFont(mInfo.get(), mData.data(), offset) != 0;
}

float GlyphOutlines::Measure(std::string_view text, float size) const
{
  const stbtt_fontinfo& info = *mInfo;
  const float scale = stbtt_ScaleForMappingEmToPixels(&info, size);
  int units = 0;
  for (size_t i = 0; i < text.size(); ++i)
  {
    int advance = 0, bearing = 0;
    stbtt_GetCodepointHMetrics(&info, static_cast<unsigned char>(text[i]), &advance, &bearing);
    units += advance;
    if (i + 1 < text.size())
      units += stbtt_GetCodepointKernAdvance(&info, static_cast<unsigned char>(text[i]),
                                             static_cast<unsigned char>(text[i + 1]));
  }
  return static_cast<float>(units) * scale;
}

void GlyphOutlines::InkExtent(std::string_view text, float size, float& left, float& right) const
{
  const stbtt_fontinfo& info = *mInfo;
  const float scale = stbtt_ScaleForMappingEmToPixels(&info, size);
  left = right = 0.f;
  if (text.empty())
    return;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  stbtt_GetCodepointBox(&info, static_cast<unsigned char>(text.front()), &x0, &y0, &x1, &y1);
  left = static_cast<float>(x0) * scale;
  const std::string_view head = text.substr(0, text.size() - 1);
  stbtt_GetCodepointBox(&info, static_cast<unsigned char>(text.back()), &x0, &y0, &x1, &y1);
  float headWidth = Measure(head, size);
  if (!head.empty())
    headWidth +=
      static_cast<float>(stbtt_GetCodepointKernAdvance(
        &info, static_cast<unsigned char>(head.back()), static_cast<unsigned char>(text.back()))) *
      scale;
  right = headWidth + static_cast<float>(x1) * scale;
}

float GlyphOutlines::CapHeight(float size) const
{
  const stbtt_fontinfo& info = *mInfo;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  stbtt_GetCodepointBox(&info, 'H', &x0, &y0, &x1, &y1);
  return static_cast<float>(y1) * stbtt_ScaleForMappingEmToPixels(&info, size);
}

std::vector<std::string> GlyphOutlines::Paths(std::string_view text, float size, float x,
                                              float baseline) const
{
  const stbtt_fontinfo& info = *mInfo;
  const float scale = stbtt_ScaleForMappingEmToPixels(&info, size);
  std::vector<std::string> paths;
  float penX = x;
  for (size_t i = 0; i < text.size(); ++i)
  {
    const int codepoint = static_cast<unsigned char>(text[i]);
    stbtt_vertex* vertices = nullptr;
    const int count = stbtt_GetCodepointShape(&info, codepoint, &vertices);
    // Font units grow upwards; picture pixels grow downwards.
    const auto px = [&](int v)
    {
      return penX + static_cast<float>(v) * scale;
    };
    const auto py = [&](int v)
    {
      return baseline - static_cast<float>(v) * scale;
    };
    PathData d;
    for (int k = 0; k < count; ++k)
    {
      const stbtt_vertex& v = vertices[k];
      switch (v.type)
      {
      case STBTT_vmove:
        if (!d.Empty())
          d.Z();
        d.M(px(v.x), py(v.y));
        break;
      case STBTT_vline:
        d.L(px(v.x), py(v.y));
        break;
      case STBTT_vcurve:
        d.Q(px(v.cx), py(v.cy), px(v.x), py(v.y));
        break;
      case STBTT_vcubic:
        d.C(px(v.cx), py(v.cy), px(v.cx1), py(v.cy1), px(v.x), py(v.y));
        break;
      default:
        break;
      }
    }
    stbtt_FreeShape(&info, vertices);
    if (!d.Empty())
      paths.push_back(d.Z().Str());

    int advance = 0, bearing = 0;
    stbtt_GetCodepointHMetrics(&info, codepoint, &advance, &bearing);
    penX += static_cast<float>(advance) * scale;
    if (i + 1 < text.size())
      penX += static_cast<float>(stbtt_GetCodepointKernAdvance(
                &info, codepoint, static_cast<unsigned char>(text[i + 1]))) *
              scale;
  }
  return paths;
}

} // namespace pelmora::pictures
