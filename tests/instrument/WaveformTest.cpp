#include "instrument/Waveform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace
{
constexpr int kPoints = 183;

// Only operator A sounds, through algorithm "8" (four carriers): one plain cycle of its table.
void SoloA(GlobalParams& model)
{
  model.SetAlgorithm(7);
  model.mFmAmount = 1.0;
  for (OpParams& op : model.mOps)
    op.mLevel = 0.0f;
  model.mOps[kOpA].mLevel = 1.0f;
}

double Sine(double cycles, int n)
{
  return std::sin(2.0 * std::numbers::pi * cycles * n / kPoints);
}
} // namespace

TEST(Waveform, SilentPatchDrawsZerosWithoutNormalizing)
{
  GlobalParams model;
  model.mOps[kOpA].mLevel = 0.0f;
  Waveform waveform(&model, kPoints);
  ASSERT_EQ(waveform.Update(), kPoints);
  for (int n = 0; n < kPoints; n++)
    ASSERT_EQ(waveform.Points()[n], 0.0) << n;
  Waveform none(&model, 0);
  EXPECT_EQ(none.Update(), 0);
}

TEST(Waveform, SoloSineIsOneCycleAtPeakOne)
{
  GlobalParams model;
  SoloA(model);
  Waveform waveform(&model, kPoints);
  double peak = 0.0;
  for (int n = 0; n < kPoints; n++)
  {
    EXPECT_NEAR(waveform.Points()[n], Sine(1.0, n), 2e-3) << n;
    peak = std::max(peak, std::fabs(waveform.Points()[n]));
  }
  EXPECT_DOUBLE_EQ(peak, 1.0); // the carrier gain 0.125 is normalized away
}

TEST(Waveform, RatioPhaseAndInversionShapeTheCycle)
{
  GlobalParams model;
  SoloA(model);
  Waveform waveform(&model, kPoints);

  model.mOps[kOpA].mRatio = 2.0f;
  model.mOps[kOpA].UpdatePreviewIncrement();
  waveform.Update();
  for (int n = 0; n < kPoints; n++)
    EXPECT_NEAR(waveform.Points()[n], Sine(2.0, n), 4e-3) << "ratio 2 at " << n;

  model.mOps[kOpA].mRatio = 1.0f;
  model.mOps[kOpA].UpdatePreviewIncrement();
  model.mOps[kOpA].mPhaseOffset = 2048.0f; // a quarter cycle ahead: a cosine
  waveform.Update();
  for (int n = 0; n < kPoints; n++)
    EXPECT_NEAR(waveform.Points()[n], std::cos(2.0 * std::numbers::pi * n / kPoints), 2e-3) << n;

  model.mOps[kOpA].mPhaseOffset = 0.0f;
  model.mOutputs[kOpA].mSign = -1.0f; // "Inverse Waveform" on the only carrier
  model.SetAlgorithm(7);
  waveform.Update();
  for (int n = 0; n < kPoints; n++)
    EXPECT_NEAR(waveform.Points()[n], -Sine(1.0, n), 2e-3) << n;
}

TEST(Waveform, ModulatorBendsTheCarrierAndThePointsStayNormalized)
{
  GlobalParams model;
  model.SetAlgorithm(0); // D -> C -> B -> A
  model.mFmAmount = 1.0;
  model.mOps[kOpB].mLevel = 0.05f;
  Waveform waveform(&model, kPoints);
  double peak = 0.0;
  double distance = 0.0;
  for (int n = 0; n < kPoints; n++)
  {
    peak = std::max(peak, std::fabs(waveform.Points()[n]));
    distance = std::max(distance, std::fabs(waveform.Points()[n] - Sine(1.0, n)));
  }
  EXPECT_DOUBLE_EQ(peak, 1.0);
  EXPECT_GT(distance, 0.1);
}
