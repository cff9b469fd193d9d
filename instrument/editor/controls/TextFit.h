#pragma once
// Text that has to stay inside a box of the editor: drawn at its style's size when it fits, else
// at the size that makes it fit. Fontstash measures (and lays out) glyphs in whole pixels of the
// current frame's scale, so the fitting size is checked by measuring again, not only computed.

#include "framework/graphics/IGraphics.h"

#include <algorithm>

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

} // namespace plugin::igraphics
