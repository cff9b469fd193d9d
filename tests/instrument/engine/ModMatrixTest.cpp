#include "instrument/engine/ModMatrix.h"

#include <gtest/gtest.h>

namespace
{

using Matrix = ModMatrix<float>;

TEST(ModMatrix, RoutingScalesAndRules)
{
  GlobalParams params;
  Matrix matrix(params, 48000.0);
  const auto slot = [&](int i, int source, int destination, float amount)
  {
    matrix.SetSlotSource(i, source);
    matrix.SetSlotDestination(i, destination);
    matrix.SetSlotAmount(i, amount);
  };
  const auto evaluate = [&](float envelope, float lfo, float wheel, float aftertouch)
  {
    matrix.SetSourceValues(envelope, lfo, wheel, aftertouch);
    matrix.ProcessTargets();
  };
  // Pitches in semitones (x 12), phases in table units (into the model too), the rest as is.
  slot(0, Matrix::kSourceModEnvelope, Matrix::kDestGlobalPitch, 1.0f);
  slot(1, Matrix::kSourceModWheel, Matrix::kDestOpAPitch + 2, -0.5f);
  slot(2, Matrix::kSourceAftertouch, Matrix::kDestOpAPhase + 3, 0.25f);
  slot(3, Matrix::kSourceLfo, Matrix::kDestResonance, 0.5f);
  evaluate(1.0f, -0.5f, 0.5f, 1.0f);
  EXPECT_FLOAT_EQ(matrix.GetTarget(Matrix::kTargetGlobalPitch), 12.0f);
  EXPECT_FLOAT_EQ(matrix.GetTarget(Matrix::kTargetOpAPitch + 2), -3.0f);
  EXPECT_FLOAT_EQ(matrix.GetPhaseTarget(3), 0.25f * Matrix::kPhaseScale);
  EXPECT_FLOAT_EQ(params.mOps[3].mPhaseModulation, 0.25f * Matrix::kPhaseScale);
  EXPECT_FLOAT_EQ(matrix.GetTarget(Matrix::kTargetResonance), -0.25f);

  // A repeated source and destination: only the earlier slot applies.
  slot(0, Matrix::kSourceLfo, Matrix::kDestCutoff, 0.5f);
  slot(1, Matrix::kSourceLfo, Matrix::kDestCutoff, 1.0f);
  // Two sources into one phase add up.
  slot(2, Matrix::kSourceModEnvelope, Matrix::kDestOpAPhase + 1, 1.0f);
  slot(3, Matrix::kSourceLfo, Matrix::kDestOpAPhase + 1, -0.5f);
  evaluate(1.0f, 0.8f, 0.0f, 0.0f);
  EXPECT_FLOAT_EQ(matrix.GetTarget(Matrix::kTargetCutoff), 0.4f);
  EXPECT_FLOAT_EQ(matrix.GetPhaseTarget(1), (1.0f - 0.4f) * Matrix::kPhaseScale);
  // An amount applies at the next evaluation, without a rebuild.
  const uint32_t routing = matrix.GetRouting();
  matrix.SetSlotAmount(0, -1.0f);
  evaluate(0.0f, 0.5f, 0.0f, 0.0f);
  EXPECT_FLOAT_EQ(matrix.GetTarget(Matrix::kTargetCutoff), -0.5f);
  EXPECT_EQ(matrix.GetRouting(), routing);

  // "-" as source or destination, or values outside the lists, route nothing.
  slot(0, Matrix::kSourceNone, Matrix::kDestCutoff, 1.0f);
  slot(1, Matrix::kSourceLfo, Matrix::kDestNone, 1.0f);
  slot(2, 9, Matrix::kDestCutoff, 1.0f);
  slot(3, Matrix::kSourceLfo, 40, 1.0f);
  matrix.SetSlotSource(7, Matrix::kSourceLfo); // no such slot
  EXPECT_EQ(matrix.GetRouting(), 0u);
  EXPECT_FALSE(matrix.Routes(Matrix::kSourceLfo));
  evaluate(1.0f, 1.0f, 1.0f, 1.0f);
  for (int t = 0; t < Matrix::kNumTargets; ++t)
  {
    EXPECT_EQ(matrix.GetTarget(t), 0.0f) << t;
  }
  EXPECT_EQ(matrix.GetPhaseTarget(1), 0.0f);
}

} // namespace
