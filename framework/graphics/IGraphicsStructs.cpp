#include "framework/graphics/IGraphicsStructs.h"

namespace plugin::igraphics
{

IPattern IPattern::CreateLinearGradient(float x1, float y1, float x2, float y2,
                                        std::initializer_list<IColorStop> stops)
{
  IPattern pattern(EPatternType::kLinear);
  const double dx = static_cast<double>(x2) - x1;
  const double dy = static_cast<double>(y2) - y1;
  const double d = std::sqrt(dx * dx + dy * dy);
  const double a = std::atan2(dx, dy);
  const double s = static_cast<float>(std::sin(a) / d);
  const double c = static_cast<float>(std::cos(a) / d);
  pattern.mTransform = IMatrix(c, s, -s, c, -(x1 * c - y1 * s), -(x1 * s + y1 * c));
  for (const IColorStop& stop : stops)
    pattern.AddStop(stop.mColor, stop.mOffset);
  return pattern;
}

} // namespace plugin::igraphics
