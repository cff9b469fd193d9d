#include "framework/core/IPluginParameter.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using plugin::IParam;

namespace
{
std::string Display(const IParam& p, double value, bool normalized = false, bool texts = true)
{
  Util_String out;
  p.GetDisplay(value, normalized, out, texts);
  return out.Get();
}

// Normalized -> value -> normalized must come back within one step (in normalized terms) at every
// point of a fine grid; stepped parameters land on a step, so compare through the values.
void ExpectRoundTripWithinOneStep(const IParam& p)
{
  for (int i = 0; i <= 1000; ++i)
  {
    const double n = i / 1000.0;
    const double value = p.FromNormalized(n);
    ASSERT_GE(value, p.GetMin()) << p.GetName() << " n=" << n;
    ASSERT_LE(value, p.GetMax()) << p.GetName() << " n=" << n;
    const double back = p.ToNormalized(value);
    ASSERT_NEAR(p.FromNormalized(back), value, p.GetStep() * 1.0001) << p.GetName() << " n=" << n;
    if (!p.GetStepped())
    {
      ASSERT_NEAR(back, n, 1e-9) << p.GetName() << " n=" << n;
    }
  }
}
} // namespace

TEST(IParam, InitDoubleRangeStepAndPrecision)
{
  IParam p;
  p.InitDouble("Narrow", 0.0, 2.0, 2.5, 1.0);
  EXPECT_EQ(p.GetMax(), 3.0); // at least one step wide
  EXPECT_EQ(p.Type(), IParam::kTypeDouble);

  const struct
  {
    double step;
    int precision;
  } cases[] = {{0.01, 2}, {0.125, 3}, {1.0 / 3.0, 6}, {5.0, 0}, {0.0001, 4}, {0.07, 2}, {0.1, 1}};
  for (const auto& c : cases)
  {
    p.InitDouble("P", 0.0, 0.0, 100.0, c.step);
    EXPECT_EQ(p.GetDisplayPrecision(), c.precision) << c.step;
  }
}

TEST(IParam, SteppedValuesSnapHalvesAwayFromZeroThenClamp)
{
  IParam p;
  p.InitDouble("Half", 0.0, -1.0, 1.0, 0.5, "", IParam::kFlagStepped);
  p.Set(0.25);
  EXPECT_EQ(p.Value(), 0.5);
  p.Set(-0.25);
  EXPECT_EQ(p.Value(), -0.5);
  p.Set(7.0);
  EXPECT_EQ(p.Value(), 1.0);
  p.Set(-std::numeric_limits<double>::infinity());
  EXPECT_EQ(p.Value(), -1.0);

  IParam odd;
  odd.InitDouble("Odd", 1.0, 0.5, 3.0, 1.0, "", IParam::kFlagStepped);
  odd.Set(0.2); // rounds to 0, clamps to 0.5
  EXPECT_EQ(odd.Value(), 0.5);
}

TEST(IParam, NaNIsNeverStored)
{
  const double nan = std::numeric_limits<double>::quiet_NaN();
  IParam p;
  p.InitDouble("Cutoff", 440.0, 30.0, 20000.0, 1.0, "Hz", 0, "", IParam::ShapePowCurve(3.0));
  p.Set(1000.0);
  p.Set(nan);
  EXPECT_EQ(p.Value(), 440.0);
  p.Set(1000.0);
  p.SetNormalized(nan);
  EXPECT_EQ(p.Value(), 440.0);
  EXPECT_FALSE(std::isnan(p.ToNormalized(nan)));
  EXPECT_EQ(p.StringToValue("nan"), 440.0);

  IParam q;
  q.InitDouble("NoDefault", nan, -5.0, 5.0, 0.1);
  EXPECT_EQ(q.Value(), -5.0);
  q.SetToDefault();
  EXPECT_EQ(q.Value(), -5.0);
}

TEST(IParam, ShapesMapAndReportTheirDisplayType)
{
  IParam freq;
  freq.InitFrequency("Rate", 1.0, 0.0, 50.0, 0.01);
  EXPECT_NEAR(freq.GetShape()->NormalizedToValue(0.0, freq), 1e-8, 1e-20);
  EXPECT_NEAR(freq.GetShape()->NormalizedToValue(1.0, freq), 50.0, 1e-9);
  EXPECT_NEAR(freq.FromNormalized(0.0), 1e-8, 1e-20); // above min 0: kept
  EXPECT_EQ(freq.GetShape()->GetDisplayType(), IParam::kDisplayLog);
  EXPECT_EQ(freq.Unit(), IParam::kUnitFrequency);

  EXPECT_EQ(IParam::ShapePowCurve(3.0).GetDisplayType(), IParam::kDisplayCubeRoot);
  EXPECT_EQ(IParam::ShapePowCurve(2.0).GetDisplayType(), IParam::kDisplaySquareRoot);
  EXPECT_EQ(IParam::ShapePowCurve(1.0).GetDisplayType(), IParam::kDisplayLinear);
  EXPECT_EQ(IParam::ShapePowCurve(0.5).GetDisplayType(), IParam::kDisplaySquared);
  EXPECT_EQ(IParam::ShapePowCurve(0.3).GetDisplayType(), IParam::kDisplayCubed);

  IParam cutoff;
  cutoff.InitDouble("Cutoff", 20000.0, 30.0, 20000.0, 1.0, "Hz", 0, "", IParam::ShapePowCurve(3.0));
  EXPECT_NEAR(cutoff.FromNormalized(0.5), 30.0 + 19970.0 * 0.125, 1.0);
  EXPECT_EQ(cutoff.FromNormalized(-0.5), 30.0); // out-of-range input is clamped, not NaN
  EXPECT_EQ(cutoff.FromNormalized(2.0), 20000.0);
}

TEST(IParam, EveryShapeRoundTripsWithinOneStep)
{
  IParam linear, pow, exp, stepped, gain, ints;
  linear.InitDouble("Ratio", 1.0, 0.0, 32.0, 0.0001);
  pow.InitDouble("Delay", 0.0, 0.0, 5000.0, 1.0, "ms", 0, "", IParam::ShapePowCurve(3.0));
  exp.InitFrequency("Rate", 0.25, 0.01, 50.0, 0.01);
  stepped.InitDouble("Steps", 0.0, -1.0, 1.0, 0.5, "", IParam::kFlagStepped);
  gain.InitGain("Gain", 0.0, -70.0, 24.0, 0.5);
  ints.InitInt("Level", 100, -100, 100);
  for (const IParam* p : {&linear, &pow, &exp, &stepped, &gain, &ints})
    ExpectRoundTripWithinOneStep(*p);
}

TEST(IParam, BoolAndIntParsing)
{
  IParam b;
  b.InitBool("Sync", true, "", 0, "LFO 1", "Off", "On");
  EXPECT_EQ(b.Type(), IParam::kTypeBool);
  EXPECT_TRUE(b.GetStepped());
  EXPECT_EQ(b.StringToValue("On"), 1.0);
  EXPECT_EQ(b.StringToValue("1"), 0.0);  // no text matches: bool parameters give 0
  EXPECT_EQ(b.StringToValue("on"), 0.0); // texts are case-sensitive
  EXPECT_EQ(Display(b, 1.0), "On");
  EXPECT_EQ(Display(b, 0.0, true), "Off");

  IParam i;
  i.InitInt("Level", 5, 2, 10);
  EXPECT_EQ(i.StringToValue("3.6"), 4.0);
  EXPECT_EQ(i.StringToValue("no number"), 2.0); // 0.0, clamped to min
  EXPECT_EQ(i.StringToValue("  -7dB"), 2.0);
  EXPECT_EQ(i.StringToValue("1e1"), 10.0);
  EXPECT_EQ(i.StringToValue(nullptr), 2.0);
}

TEST(IParam, DisplayNeverShowsNegativeZero)
{
  IParam p;
  p.InitDouble("Amount", 0.0, -10.0, 10.0, 0.1);
  EXPECT_EQ(Display(p, -0.0), "0.0");
  EXPECT_EQ(Display(p, -0.04), "0.0");
  EXPECT_EQ(Display(p, -2.25), "-2.2"); // printf rounding of the binary value

  IParam sign;
  sign.InitDouble("Pan", 0.0, -10.0, 10.0, 0.1, "", IParam::kFlagSignDisplay);
  EXPECT_EQ(Display(sign, 0.0), "0.0");
  EXPECT_EQ(Display(sign, 1.5), "+1.5");
  EXPECT_EQ(Display(sign, -1.5), "-1.5");
  EXPECT_EQ(Display(sign, 0.01), "0.0");

  IParam negate;
  negate.InitDouble("Depth", 0.0, -100.0, 100.0, 1.0, "", IParam::kFlagNegateDisplay);
  EXPECT_EQ(Display(negate, 0.0), "0");
  EXPECT_EQ(Display(negate, 2.5), "-3"); // halves away from zero
  EXPECT_EQ(Display(negate, -0.4), "0");
  EXPECT_EQ(negate.StringToValue("25"), -25.0);
  EXPECT_EQ(Display(negate, 1e300).size(), 32u); // huge values are cut, never overflow
}

TEST(IParam, LabelsGiveWayToDisplayTexts)
{
  IParam p;
  p.InitInt("Ratio", 1, 0, 4, "x");
  p.SetDisplayText(0.0, "Off");
  Util_String out;
  p.Set(0.0);
  p.GetDisplayWithLabel(out);
  EXPECT_STREQ(out.Get(), "Off");
  EXPECT_STREQ(p.GetLabel(), "");
  p.Set(3.0);
  p.GetDisplayWithLabel(out);
  EXPECT_STREQ(out.Get(), "3 x");
  p.GetDisplayWithLabel(out, false);
  EXPECT_STREQ(out.Get(), "3 x");
  EXPECT_STREQ(p.GetDisplayText(2.0), "");
  EXPECT_STREQ(p.GetDisplayTextAtIdx(5), "");
}

TEST(IParam, EnumsTakeTheirTextsInOrder)
{
  IParam e;
  e.InitEnum("Filter Type", 1, 3, "", 0, "Filter", "LP", "HP", "BP", "ignored");
  EXPECT_EQ(e.Type(), IParam::kTypeEnum);
  EXPECT_EQ(e.NDisplayTexts(), 3);
  EXPECT_EQ(e.GetMax(), 2.0);
  EXPECT_EQ(e.StringToValue("BP"), 2.0);
  EXPECT_EQ(e.StringToValue("2"), 0.0);
  double value = -1;
  EXPECT_STREQ(e.GetDisplayTextAtIdx(1, &value), "HP");
  EXPECT_EQ(value, 1.0);

  IParam list;
  list.InitEnum("LFO Rate", 10, {"8/1", "4/1", "2/1"}, IParam::kFlagStepped, "LFO");
  EXPECT_EQ(list.GetMax(), 2.0);
  EXPECT_EQ(list.Value(), 2.0); // the default is constrained into the range
  EXPECT_STREQ(list.GetGroup(), "LFO");
  EXPECT_EQ(Display(list, 1.0), "4/1");
  EXPECT_TRUE(list.MapDisplayText("8/1", &value));
  EXPECT_FALSE(list.MapDisplayText("1/1", &value));

  IParam noTexts;
  noTexts.InitEnum("Plain", 0, 4);
  EXPECT_EQ(noTexts.NDisplayTexts(), 0);
  EXPECT_EQ(Display(noTexts, 3.0), "3");
}

TEST(IParam, PitchNamesCoverTheRange)
{
  IParam p;
  p.InitPitch("Note", 0, 48, 72, 0, "", false);
  ASSERT_EQ(p.NDisplayTexts(), 25);
  EXPECT_STREQ(p.GetDisplayTextAtIdx(0), "C 2");
  EXPECT_STREQ(p.GetDisplayTextAtIdx(1), "C#2");
  EXPECT_STREQ(p.GetDisplayTextAtIdx(12), "C 3"); // note 60
  EXPECT_STREQ(p.GetDisplayTextAtIdx(24), "C 4");
  EXPECT_EQ(p.StringToValue("F#2"), 6.0);

  IParam middle;
  middle.InitPitch("Note", 60, 60, 61, 0, "", true);
  EXPECT_STREQ(middle.GetDisplayTextAtIdx(0), "C 4");
  EXPECT_STREQ(middle.GetDisplayTextAtIdx(1), "C#4");
  EXPECT_EQ(middle.Value(), 1.0); // the default is an index, clamped to the range

  IParam low;
  low.InitPitch("Low", 0, 0, 11);
  EXPECT_STREQ(low.GetDisplayTextAtIdx(0), "C -2");
}

TEST(IParam, TextFieldsAreCutSafely)
{
  IParam p;
  const std::string longName(40, 'n');
  p.InitDouble(longName.c_str(), 0.0, 0.0, 1.0, 0.1, "a label that is far too long to fit");
  EXPECT_EQ(std::string(p.GetName()), std::string(31, 'n'));
  EXPECT_EQ(std::strlen(p.GetLabel()), 31u);

  // 29 ASCII bytes, then a 3-byte character that would straddle the 31-byte limit.
  const std::string utf8 = std::string(29, 'a') + "\xE2\x82\xAC" + "z";
  p.SetDisplayText(0.5, utf8.c_str());
  EXPECT_EQ(std::string(p.GetDisplayText(0.5)), std::string(29, 'a'));
  p.InitDouble(nullptr, 0.0, 0.0, 1.0, 0.1, nullptr, 0, nullptr);
  EXPECT_STREQ(p.GetName(), "");
}

TEST(IParam, InitFromAnotherParameter)
{
  IParam source;
  source.InitEnum("Operator A Waveform", 2, 3, "WAVEFORM", 0, "Operator", "Sine", "Saw", "Square");
  source.Set(1.0);
  IParam copy;
  copy.Init(source, "A", "B", "Op B");
  EXPECT_STREQ(copy.GetName(), "Operator B Waveform");
  EXPECT_STREQ(copy.GetGroup(), "Op B");
  EXPECT_EQ(copy.Type(), IParam::kTypeEnum);
  EXPECT_EQ(copy.Value(), 2.0); // the default, not the source's value
  EXPECT_EQ(copy.NDisplayTexts(), 3);
  EXPECT_STREQ(copy.GetDisplayText(2.0), "Square");

  IParam removed;
  removed.Init(source, "Operator ", "");
  EXPECT_STREQ(removed.GetName(), "A Waveform");
  EXPECT_STREQ(removed.GetGroup(), "Operator");
}

TEST(IParam, JSONEscapesTheName)
{
  IParam p;
  p.InitDouble("Say \"hi\" \\ now\t", 0.5, 0.0, 2.0, 0.5);
  Util_String json("[");
  p.GetJSON(json, 7);
  EXPECT_STREQ(json.Get(),
               "[{\"id\":7, \"name\":\"Say \\\"hi\\\" \\\\ now\\u0009\", \"type\":\"float\", "
               "\"min\":0.000000, \"max\":2.000000, \"default\":0.500000, "
               "\"display_type\":0, \"rate\":\"control\"}");
  IParam none;
  Util_String noType;
  none.GetJSON(noType, 0);
  EXPECT_EQ(std::string(noType.Get()).find("type\":\""), std::string::npos);
}

TEST(IParam, NumbersIgnoreADecimalCommaLocale)
{
  testsupport::CommaLocale comma;
  if (!comma.Active())
    GTEST_SKIP() << "no decimal-comma locale could be made (localedef or locale sources missing)";
  IParam p;
  p.InitDouble("Ratio", 1.5, 0.0, 32.0, 0.01);
  EXPECT_EQ(Display(p, 1.5), "1.50");
  EXPECT_EQ(p.StringToValue("2.75"), 2.75);
  EXPECT_EQ(p.StringToValue("2,75"), 2.0);
  Util_String json;
  p.GetJSON(json, 0);
  EXPECT_NE(std::string(json.Get()).find("\"default\":1.500000"), std::string::npos);
}
