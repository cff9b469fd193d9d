#include "instrument/ShapePowCurve.h"

#include <gtest/gtest.h>

using plugin::IParam;

TEST(ShapePowCurve, CubicCurveIsSymmetricAboutTheMiddle)
{
  const ShapePowCurve shape(3.0);
  IParam unused;
  const double n[] = {0.0, 0.25, 0.5, 0.75, 1.0};
  const double v[] = {-100.0, -12.5, 0.0, 12.5, 100.0};
  for (int i = 0; i < 5; ++i)
  {
    EXPECT_NEAR(shape.NormalizedToValue(n[i], unused), v[i], 1e-12) << n[i];
    EXPECT_NEAR(shape.ValueToNormalized(v[i], unused), n[i], 1e-12) << v[i];
  }
  EXPECT_EQ(shape.GetDisplayType(), IParam::kDisplayExp);
  // The shape does not clamp: the parameter does.
  EXPECT_GT(shape.ValueToNormalized(800.0, unused), 1.0);
  EXPECT_GT(shape.NormalizedToValue(1.5, unused), 100.0);
}

TEST(ShapePowCurve, CloneTruncatesTheExponentAndKeepsTheLowerHalfNegative)
{
  const ShapePowCurve fractional(2.7);
  const auto clone = fractional.Clone();
  IParam unused;
  EXPECT_EQ(static_cast<const ShapePowCurve&>(*clone).GetExponent(), 2.0);
  EXPECT_NEAR(clone->NormalizedToValue(0.25, unused), -25.0, 1e-12);
  EXPECT_NEAR(clone->NormalizedToValue(0.75, unused), 25.0, 1e-12);
  EXPECT_NEAR(clone->ValueToNormalized(-25.0, unused), 0.25, 1e-12);
  // Not cloned, a fractional exponent mirrors the upper half instead of giving NaN.
  EXPECT_NEAR(fractional.NormalizedToValue(0.0, unused), -100.0, 1e-12);
  EXPECT_NEAR(fractional.NormalizedToValue(0.25, unused),
              -fractional.NormalizedToValue(0.75, unused), 1e-12);
}

TEST(ShapePowCurve, ModulationAmountRoundTripsThroughTheParameter)
{
  IParam amount;
  amount.InitDouble("Mod 1 Amount", 0.0, -100.0, 100.0, 0.1, "", 0, "Mod", ShapePowCurve(3.0));
  EXPECT_EQ(amount.GetDisplayPrecision(), 1);
  EXPECT_NEAR(amount.GetNormalized(), 0.5, 1e-12);
  for (int i = 0; i <= 1000; ++i)
  {
    const double n = i / 1000.0;
    const double value = amount.FromNormalized(n);
    ASSERT_GE(value, -100.0);
    ASSERT_LE(value, 100.0);
    ASSERT_NEAR(amount.ToNormalized(value), n, 1e-9) << n;
  }
  amount.SetNormalized(0.75);
  Util_String text;
  amount.GetDisplay(text);
  EXPECT_STREQ(text.Get(), "12.5");
}
