#include "tests/instrument/engine/EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace enginetest;

TEST(PelmoraDSP, SinePatchPlaysEqualTemperedPitch)
{
  TestEngine engine;
  for (int key : {69, 57, 60, 81, 33, 100})
  {
    engine.NoteOn(key);
    const std::vector<double> out = engine.Render(24000);
    engine.NoteOff(key);
    engine.Render(4800);
    const double expected = 440.0 * std::pow(2.0, (key - 69) / 12.0);
    EXPECT_NEAR(Cents(Frequency(out, 2400, 24000), expected), 0.0, 1.0) << key;
  }
  EXPECT_FALSE(engine.ChannelsDiffer());
}
