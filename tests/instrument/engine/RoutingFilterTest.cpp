// The eight algorithms' routing and the filter types, heard at the engine's output.

#include "tests/instrument/engine/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace enginetest;

namespace
{

constexpr int kLength = 2400;

// Renders a short note of a patch on a fresh engine.
std::vector<double> RenderPatch(const std::function<void(TestEngine&)>& patch, int key = 57,
                                int velocity = 127)
{
  TestEngine engine;
  engine.dsp.SetParam(OpParamIndex(kOpA, kOpLevel), 0);
  patch(engine);
  engine.NoteOn(key, velocity);
  return engine.Render(kLength);
}

std::vector<double> Operators(int algorithm, std::initializer_list<int> sounding,
                              double feedback = 0.0)
{
  return RenderPatch(
    [&](TestEngine& e)
    {
      e.dsp.SetParam(kParamAlgorithm, algorithm);
      e.dsp.SetParam(kParamFeedback, feedback);
      for (int op : sounding)
      {
        e.dsp.SetParam(OpParamIndex(op, kOpLevel), 100);
        e.dsp.SetParam(OpParamIndex(op, kOpRatio), op + 1); // distinct spectra
      }
    });
}

std::vector<double> Sum(const std::vector<double>& a, const std::vector<double>& b)
{
  std::vector<double> sum(a.size());
  for (size_t i = 0; i < a.size(); ++i)
  {
    sum[i] = a[i] + b[i];
  }
  return sum;
}

} // namespace

TEST(Routing, EveryAlgorithmHasItsCarriersModulatorsAndFeedbackOnD)
{
  // Paths source -> destination of each algorithm, carriers as bits.
  struct Algorithm
  {
    std::vector<std::pair<int, int>> paths;
    unsigned carriers;
  };
  const Algorithm algorithms[8] = {
    {{{kOpB, kOpA}, {kOpC, kOpB}, {kOpD, kOpC}}, 0b0001},
    {{{kOpB, kOpA}, {kOpC, kOpB}, {kOpD, kOpB}}, 0b0001},
    {{{kOpB, kOpA}, {kOpC, kOpB}, {kOpD, kOpA}}, 0b0001},
    {{{kOpB, kOpA}, {kOpC, kOpA}, {kOpD, kOpC}}, 0b0001},
    {{{kOpB, kOpA}, {kOpD, kOpC}}, 0b0101},
    {{{kOpD, kOpA}, {kOpD, kOpB}, {kOpD, kOpC}}, 0b0111},
    {{{kOpD, kOpC}}, 0b0111},
    {{}, 0b1111},
  };
  for (int a = 0; a < 8; ++a)
  {
    std::vector<double> alone[4];
    for (int op = 0; op < 4; ++op)
    {
      alone[op] = Operators(a, {op});
      const bool carrier = (algorithms[a].carriers >> op) & 1u;
      EXPECT_EQ(Peak(alone[op], 0, kLength) > 0.01, carrier) << a << " " << op;
    }
    // Two operators sounding: without a path between them, what is heard is the sum of each
    // alone; a path modulates the destination.
    for (int source = 0; source < 4; ++source)
    {
      for (int destination = 0; destination < 4; ++destination)
      {
        if (source == destination || !((algorithms[a].carriers >> destination) & 1u))
        {
          continue;
        }
        bool path = false;
        for (const auto& p : algorithms[a].paths)
        {
          path = path || (p.first == source && p.second == destination);
        }
        const std::vector<double> both = Operators(a, {source, destination});
        const double change = MaxDifference(both, Sum(alone[source], alone[destination]));
        EXPECT_EQ(change > 1e-3, path) << a << " " << source << "->" << destination;
      }
    }
    // Feedback: heard on operator D alone, never on another operator.
    for (int op = 0; op < 4; ++op)
    {
      if ((algorithms[a].carriers >> op) & 1u)
      {
        const double change = MaxDifference(Operators(a, {op}, 100), alone[op]);
        EXPECT_EQ(change > 1e-3, op == kOpD) << a << " " << op;
      }
    }
  }
}

TEST(Filter, EachTypeAtItsCutoff)
{
  // A 440 Hz sine (key 69) through each type at a 440 Hz cutoff, resonance 0: one pole gives
  // 1/sqrt(2), two 1/2, three 1/(2 sqrt(2)), four 1/4; the state-variable high and band pass 1/2
  // (damping 1). The unfiltered level is the operator gain 0.125 times the envelope's 1.
  const double expected[6] = {
    0.70711, 0.5 * 0.999 + 0.70711 * 0.0009999871, 0.35355 * 0.998 + 0.5 * 0.0019999743, 0.25, 0.5,
    0.5};
  for (int type = 0; type < 6; ++type)
  {
    const std::vector<double> out = RenderPatch(
      [&](TestEngine& e)
      {
        e.dsp.SetParam(OpParamIndex(kOpA, kOpLevel), 100);
        e.dsp.SetParam(kParamFilterType, type);
        e.dsp.SetParam(kParamFilterCutoff, 440);
      },
      69);
    EXPECT_NEAR(Peak(out, 1200, out.size()) / 0.125, expected[type], 0.01) << type;
  }
}

TEST(Filter, VelocitySensitivityClosesTheCutoffForSoftNotes)
{
  // One pole at 1760 Hz on a 440 Hz sine. At sensitivity 100 a note of velocity 0 hears the
  // cutoff four octaves lower (110 Hz); velocity 64 about two octaves lower; full velocity as set.
  const auto level = [](int sensitivity, int velocity)
  {
    const std::vector<double> out = RenderPatch(
      [&](TestEngine& e)
      {
        e.dsp.SetParam(OpParamIndex(kOpA, kOpLevel), 100);
        e.dsp.SetParam(kParamFilterType, 0);
        e.dsp.SetParam(kParamFilterCutoff, 1760);
        e.dsp.SetParam(kParamFilterVelocity, sensitivity);
      },
      69, velocity);
    return Peak(out, 1200, out.size());
  };
  const auto onePole = [](double cutoff)
  {
    return 1.0 / std::sqrt(1.0 + std::pow(440.0 / cutoff, 2));
  };
  EXPECT_NEAR(level(100, 127) / level(0, 127), 1.0, 1e-6);
  const double cutoff64 = 1760.0 * std::exp2(-4.0 * (1.0 - 64.0 / 127.0));
  EXPECT_NEAR(level(100, 64) / level(0, 64), onePole(cutoff64) / onePole(1760.0), 0.01);
  EXPECT_NEAR(level(50, 1) / level(0, 1),
              onePole(1760.0 * std::exp2(-2.0 * (1.0 - 1.0 / 127.0))) / onePole(1760.0), 0.01);
}

TEST(Filter, CutoffStaysBelowNyquistAtLowRates)
{
  for (double rate : {22050.0, 32000.0, 8000.0})
  {
    for (int type = 0; type < 6; ++type)
    {
      TestEngine engine(rate);
      EXPECT_LE(engine.dsp.GetMaxCutoff(), 0.49 * rate);
      engine.dsp.SetParam(kParamFilterType, type);
      engine.dsp.SetParam(kParamFilterResonance, 100);
      engine.dsp.SetParam(kParamFilterCutoff, 20000);
      engine.dsp.SetParam(kParamMod1Source, 2); // LFO -> cutoff, pushing beyond the limit
      engine.dsp.SetParam(kParamMod1Destination, 11);
      engine.dsp.SetParam(kParamMod1Amount, 100);
      for (int key : {36, 60, 96})
      {
        engine.NoteOn(key);
      }
      const std::vector<double> out = engine.Render(static_cast<int>(rate / 2));
      EXPECT_LT(Peak(out, 0, out.size()), 4.0) << rate << " " << type;
      EXPECT_GT(Peak(out, 0, out.size()), 0.01) << rate << " " << type;
    }
  }
}
