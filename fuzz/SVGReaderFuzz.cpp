// libFuzzer target: any bytes through the SVG reader, as LoadSVG hands them over. The reader
// must refuse what it cannot read and never crash, hang or read out of bounds.

#include "framework/graphics/svg/SVGReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  using namespace plugin::igraphics;
  SVGImagePtr image = SVGReader::Parse(reinterpret_cast<const char*>(data), size);
  if (image)
  {
    // Touch what the drawing reads.
    volatile float sink = image->mWidth + image->mHeight;
    for (const SVGShape& shape : image->mShapes)
      for (const SVGPath& path : shape.mPaths)
        sink = sink + path.mPts.back() + path.mBounds[3];
    (void)sink;
  }
  return 0;
}
