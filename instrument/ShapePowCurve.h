#pragma once
// The instrument's bipolar power-curve shape for the modulation amounts: normalized 0..1 maps to
// -100..100, symmetric about the middle, with fine resolution near 0 and coarse near the ends.
// The range is built into the shape (it does not read the parameter's min and max); the
// parameter clamps what the shape answers. With exponent 3: n = 0 -> -100, 0.25 -> -12.5,
// 0.5 -> 0, 0.75 -> 12.5, 1 -> 100.
//
// Not to be confused with plugin::IParam::ShapePowCurve, the framework's unipolar curve.

#include "framework/core/IPluginParameter.h"

class ShapePowCurve : public plugin::IParam::Shape
{
public:
  explicit ShapePowCurve(double shape);

  // A copy whose exponent is this one truncated to an integer.
  std::unique_ptr<plugin::IParam::Shape> Clone() const override;
  plugin::IParam::EDisplayType GetDisplayType() const override
  {
    return plugin::IParam::kDisplayExp;
  }
  // [any thread]
  double NormalizedToValue(double normalized, const plugin::IParam& param) const override;
  double ValueToNormalized(double value, const plugin::IParam& param) const override;

  double GetExponent() const { return mShape; }

private:
  double mShape;
  bool mEvenExponent; // the exponent truncated to an integer is even
};
