#include "instrument/ShapePowCurve.h"

#include <cmath>

namespace
{
constexpr double kRange = 100.0; // the shape spans -kRange..kRange

bool IsEvenInteger(double shape)
{
  return std::fmod(std::trunc(shape), 2.0) == 0.0;
}
} // namespace

ShapePowCurve::ShapePowCurve(double shape) : mShape(shape), mEvenExponent(IsEvenInteger(shape)) {}

std::unique_ptr<plugin::IParam::Shape> ShapePowCurve::Clone() const
{
  return std::make_unique<ShapePowCurve>(std::trunc(mShape));
}

double ShapePowCurve::NormalizedToValue(double normalized, const plugin::IParam&) const
{
  const double x = 2.0 * normalized - 1.0;
  // A fractional power of a negative base has no real value: mirror the upper half instead.
  if (mShape != std::trunc(mShape))
    return std::copysign(std::pow(std::fabs(x), mShape) * kRange, x);
  // An odd power keeps the sign of x; an even one loses it, and -kRange restores it.
  const double k = (normalized >= 0.5 || !mEvenExponent) ? kRange : -kRange;
  return std::pow(x, mShape) * k;
}

double ShapePowCurve::ValueToNormalized(double value, const plugin::IParam&) const
{
  const double p = 1.0 / mShape;
  if (value >= 0.0)
    return std::pow(value / kRange, p) * 0.5 + 0.5;
  return 1.0 - (std::pow(-value / kRange, p) * 0.5 + 0.5);
}
