#include "instrument/engine/ModMatrix.h"

#include <gtest/gtest.h>

namespace
{

using Matrix = ModMatrix<float>;

struct MatrixTest : testing::Test
{
  GlobalParams params;
  Matrix matrix{params, 48000.0};

  void Slot(int slot, int source, int destination, float amount)
  {
    matrix.SetSlotSource(slot, source);
    matrix.SetSlotDestination(slot, destination);
    matrix.SetSlotAmount(slot, amount);
  }

  void Evaluate(float envelope, float lfo, float wheel = 0.0f, float aftertouch = 0.0f)
  {
    matrix.SetSourceValues(envelope, lfo, wheel, aftertouch);
    matrix.ProcessTargets();
  }
};

TEST_F(MatrixTest, EveryDestinationReachesItsTarget)
{
  // Destination d, its target (or -1 for a phase target of operator d - 5) and its scale.
  struct Case
  {
    int destination;
    int target;
    float scale;
  };
  const Case cases[] = {
    {Matrix::kDestOpALevel, Matrix::kTargetOpALevel, 1.0f},
    {Matrix::kDestOpALevel + 3, Matrix::kTargetOpALevel + 3, 1.0f},
    {Matrix::kDestOpAPhase, -1, Matrix::kPhaseScale},
    {Matrix::kDestOpAPhase + 3, -1, Matrix::kPhaseScale},
    {Matrix::kDestFeedback, Matrix::kTargetFeedback, 1.0f},
    {Matrix::kDestFmAmount, Matrix::kTargetFmAmount, 1.0f},
    {Matrix::kDestCutoff, Matrix::kTargetCutoff, 1.0f},
    {Matrix::kDestResonance, Matrix::kTargetResonance, 1.0f},
    {Matrix::kDestGlobalPitch, Matrix::kTargetGlobalPitch, 12.0f},
    {Matrix::kDestOpAPitch + 2, Matrix::kTargetOpAPitch + 2, 12.0f},
  };
  for (const Case& c : cases)
  {
    for (int source : {Matrix::kSourceModEnvelope, Matrix::kSourceLfo, Matrix::kSourceModWheel,
                       Matrix::kSourceAftertouch})
    {
      Slot(0, source, c.destination, 0.5f);
      Evaluate(0.25f, -0.5f, 0.75f, 1.0f);
      const float value = std::array{0.25f, -0.5f, 0.75f, 1.0f}[static_cast<size_t>(source - 1)];
      const float got = c.target >= 0
                          ? matrix.GetTarget(c.target)
                          : matrix.GetPhaseTarget(c.destination - Matrix::kDestOpAPhase);
      EXPECT_FLOAT_EQ(got, value * 0.5f * c.scale) << c.destination << " " << source;
      if (c.target < 0)
      {
        const size_t op = static_cast<size_t>(c.destination - Matrix::kDestOpAPhase);
        EXPECT_FLOAT_EQ(params.mOps[op].mPhaseModulation, got);
      }
      EXPECT_TRUE(matrix.Routes(source));
    }
  }
}

TEST_F(MatrixTest, RoutingRules)
{
  // A repeated source and destination: only the earlier slot applies.
  Slot(0, Matrix::kSourceLfo, Matrix::kDestCutoff, 0.5f);
  Slot(1, Matrix::kSourceLfo, Matrix::kDestCutoff, 1.0f);
  Evaluate(0.0f, 0.8f);
  EXPECT_FLOAT_EQ(matrix.GetTarget(Matrix::kTargetCutoff), 0.4f);
  // Two sources into one phase add up.
  Slot(1, Matrix::kSourceModEnvelope, Matrix::kDestOpAPhase + 1, 1.0f);
  Slot(2, Matrix::kSourceLfo, Matrix::kDestOpAPhase + 1, -0.5f);
  Evaluate(1.0f, 0.5f);
  EXPECT_FLOAT_EQ(matrix.GetPhaseTarget(1), (1.0f - 0.25f) * Matrix::kPhaseScale);
  // An amount change applies at the next evaluation, without a rebuild.
  const uint32_t routing = matrix.GetRouting();
  matrix.SetSlotAmount(0, -1.0f);
  Evaluate(0.0f, 0.5f);
  EXPECT_FLOAT_EQ(matrix.GetTarget(Matrix::kTargetCutoff), -0.5f);
  EXPECT_EQ(matrix.GetRouting(), routing);
  // "-" as source or destination, or values outside the lists, route nothing.
  Slot(0, Matrix::kSourceNone, Matrix::kDestCutoff, 1.0f);
  Slot(1, Matrix::kSourceLfo, Matrix::kDestNone, 1.0f);
  Slot(2, 9, Matrix::kDestCutoff, 1.0f);
  Slot(3, Matrix::kSourceLfo, 40, 1.0f);
  matrix.SetSlotSource(7, Matrix::kSourceLfo); // no such slot
  EXPECT_EQ(matrix.GetRouting(), 0u);
  EXPECT_FALSE(matrix.Routes(Matrix::kSourceLfo));
  Evaluate(1.0f, 1.0f, 1.0f, 1.0f);
  for (int t = 0; t < Matrix::kNumTargets; ++t)
  {
    EXPECT_EQ(matrix.GetTarget(t), 0.0f) << t;
  }
  EXPECT_EQ(matrix.GetPhaseTarget(1), 0.0f);
}

} // namespace
