#pragma once
// Text that has to stay inside a box of the editor: drawn at its style's size when it fits, else
// at the size that makes it fit, or cut from its end at a whole character. The context measures
// a text as it lays it out at the scale it draws at (glyphs in whole pixels), so the fitting
// size is checked by measuring again, not only computed.

#include "framework/graphics/IGraphics.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace plugin::igraphics
{

// text at a size at which str is at most width points wide (as the context measures it).
inline IText TextFittingWidth(const IGraphics& g, IText text, const char* str, float width)
{
  IRECT bounds;
  const float measured = g.MeasureText(text, str, bounds);
  if (!(measured > width) || !(width > 0.f))
    return text;
  text.mSize *= width / measured;
  // A few quarter points more where the pixel steps still leave it a little too wide.
  for (int i = 0; i < 16 && text.mSize > 1.f && g.MeasureText(text, str, bounds) > width; ++i)
    text.mSize -= 0.25f;
  return text;
}

// str without its last characters, one whole (UTF-8) character at a time, until its measured
// width, truncated to whole points, is less than width; empty when nothing fits.
inline std::string TextCutToWidth(const IGraphics& g, const IText& text, const char* str,
                                  float width)
{
  std::string cut = str ? str : "";
  IRECT measured;
  while (!cut.empty() && std::trunc(g.MeasureText(text, cut.c_str(), measured)) >= width)
  {
    size_t end = cut.size() - 1;
    while (end > 0 && (static_cast<unsigned char>(cut[end]) & 0xC0) == 0x80)
      --end;
    cut.resize(end);
  }
  return cut;
}

// str without the blanks at its end (a display text may carry some for hosts).
inline std::string WithoutTrailingBlanks(const char* str)
{
  std::string text = str ? str : "";
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

} // namespace plugin::igraphics
