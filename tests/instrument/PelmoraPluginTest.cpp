// Pelmora.so driven through its VST2 entry by the host library: the parameter table as hosts see
// it, the normalized round trips and the MIDI passed on to the host.

#include "tests/instrument/PelmoraPluginFixture.h"

#include "instrument/engine/EngineParams.h"

#include <cmath>
#include <cstdlib>
#include <map>

namespace
{

struct ExpectedParam
{
  const char* name;
  const char* display; // at the default value
  const char* label;   // "" also where a display text hides the unit
};

// The table as written, odd blanks included.
const ExpectedParam kExpected[64] = {
  {"Operator A Waveform", "Sine", ""},
  {"Operator A Inverse Waveform", "Off", ""},
  {"Operator A Ratio", "1.0000", ""},
  {"Operator A Offset", "0.00", "Hz"},
  {"Operator A Phase", "0", "deg"},
  {"Operator A Velocity > Frequency", "0", "%"},
  {"Operator A Velocity Sense", "0", ""},
  {"Operator A Level", "100", ""},
  {"Operator B Waveform", "Sine", ""},
  {"Operator B Inverse Waveform", "Off", ""},
  {"Operator B Ratio", "1.0000", ""},
  {"Operator B Offset", "0.00", "Hz"},
  {"Operator B Phase", "0", "deg"},
  {"Operator B Velocity > Frequency", "0", "%"},
  {"Operator B Velocity Sense", "0", ""},
  {"Operator B Level", "0", ""},
  {"Operator C Waveform", "Sine", ""},
  {"Operator C Inverse Waveform", "Off", ""},
  {"Operator C Ratio", "1.0000", ""},
  {"Operator C Offset", "0.00", "Hz"},
  {"Operator C Phase", "0", "deg"},
  {"Operator C Velocity > Frequency", "0", "%"},
  {"Operator C Velocity Sense", "0", ""},
  {"Operator C Level", "0", ""},
  {"Operator D Waveform", "Sine", ""},
  {"Operator D Inverse Waveform", "Off", ""},
  {"Operator D Ratio", "1.0000", ""},
  {"Operator D Offset", "0.00", "Hz"},
  {"Operator D Phase", "0", "deg"},
  {"Operator D Velocity > Frequency", "0", "%"},
  {"Operator D Velocity Sense", "0", ""},
  {"Operator D Level", "0", ""},
  {"FM Algorithm", "1", ""},
  {"Feedback (Operator D)", "0", ""},
  {"FM Amount", "100", ""},
  {"Filter Type", "Lowpass 6 db/Oct", ""},
  {"Filter Cutoff", "20000", "Hz"},
  {"Filter Resonance", "0", ""},
  {"Filter Velocity Sensitivity", "0", ""},
  {"LFO Waveform", "Sine", ""},
  {"LFO  Rate", "0.25", "Hz"},
  {"LFO Rate", "1/8T", ""},
  {"LFO Sync", "On", ""},
  {"LFO Free", "Off", ""},
  {"LFO Delay", "0", "ms"},
  {"Mod 1 Source", "-", ""},
  {"Mod 1 Destination", "-", ""},
  {"Mod 1 Amount", "0.0", ""},
  {"Mod 2 Source", "-", ""},
  {"Mod 2 Destination", "-", ""},
  {"Mod 2 Amount", "0.0", ""},
  {"Mod 3 Source", "-", ""},
  {"Mod 3 Destination", "-", ""},
  {"Mod 3 Amount", "0.0", ""},
  {"Mod 4 Source", "-", ""},
  {"Mod 4 Destination", "-", ""},
  {"Mod 4 Amount", "0.0", ""},
  {"Chorus Stage I", "Off", ""},
  {"Chorus Stage II", "Off", ""},
  {"Pitchbend Range", "2", "semitones"},
  {"Note Glide Time", "0", "ms"},
  {"Gain", "0.0", "dB"},
  {"Pitch Drift", "0", ""},
  {"Monophonic Mode", "Off", ""},
};

} // namespace

TEST_F(PelmoraPlugin, ParametersHaveTheTableNamesDefaultsAndUnits)
{
  ASSERT_EQ(mPlug.Effect()->numParams, 64);
  for (int i = 0; i < 64; i++)
  {
    EXPECT_EQ(mPlug.ParamName(i), kExpected[i].name) << i;
    EXPECT_EQ(mPlug.ParamDisplay(i), kExpected[i].display) << i;
    EXPECT_EQ(mPlug.ParamLabel(i), kExpected[i].label) << i;
  }
  EXPECT_EQ(mPlug.ProgramName(), "Init");
}

TEST_F(PelmoraPlugin, ThePropertiesRecordNamesEveryParameterAndTheLabelCallKeepsTheUnit)
{
  // Hosts list a parameter under the properties record's label field: its name, not its unit.
  for (int i = 0; i < 64; i++)
  {
    Vst2ParameterProperties props{};
    ASSERT_EQ(mPlug.Dispatch(kVst2EffGetParameterProperties, i, 0, &props), 1) << i;
    EXPECT_STREQ(props.label, kExpected[i].name) << i;
    EXPECT_EQ(mPlug.ParamLabel(i), kExpected[i].label) << i;
  }
}

// Hosts send every value in 0..1 and read from the properties record which of its fields hold
// what. A record claiming an integer range (flag 2) or an integer step (flag 8) has Ardour and
// qtractor send values in the parameter's own units (50 for "Operator B Level" at 50) and store
// them rounded to 0 or 1. Steps are given in 0..1 units (flag 4): one step from any value of a
// whole-number parameter lands on its next value.
TEST_F(PelmoraPlugin, ThePropertiesRecordStepsInTheUnitsHostsSend)
{
  // The parameters that are not whole numbers, with their step in their own units; 0 for those
  // shaped (cutoff, LFO rate and delay, modulation amounts), which have no even step in 0..1.
  std::map<int, double> fractional = {{36, 0.0}, {37, 1.0}, {40, 0.0}, {44, 0.0}, {47, 0.0},
                                      {50, 0.0}, {53, 0.0}, {56, 0.0}, {60, 1.0}, {61, 0.5}};
  for (int op = 0; op < 4; op++)
    fractional.insert({{8 * op + 2, 0.0001}, {8 * op + 3, 0.01}}); // ratio, offset
  AEffect* e = mPlug.Effect();
  auto properties = [this](int index)
  {
    Vst2ParameterProperties props{};
    EXPECT_EQ(mPlug.Dispatch(kVst2EffGetParameterProperties, index, 0, &props), 1) << index;
    return props;
  };
  // Worked values: one step from the default.
  const struct
  {
    int index;
    float step;
    const char* before;
    const char* after;
  } worked[] = {
    {59, 1.0f / 12.0f, "2", "3"},                        // Pitchbend Range 0..12
    {35, 0.2f, "Lowpass 6 db/Oct", "Lowpass 12 db/Oct"}, // Filter Type, six types
    {15, 0.01f, "0", "1"},                               // Operator B Level 0..100
    {61, 0.5f / 94.0f, "0.0", "0.5"},                    // Gain -70..24 dB by 0.5
    {60, 1.0f / 500.0f, "0", "1"},                       // Note Glide Time 0..500 ms
  };
  for (const auto& w : worked)
  {
    EXPECT_FLOAT_EQ(properties(w.index).stepFloat, w.step) << w.index;
    EXPECT_EQ(mPlug.ParamDisplay(w.index), w.before) << w.index;
    e->setParameter(e, w.index, e->getParameter(e, w.index) + w.step);
    EXPECT_EQ(mPlug.ParamDisplay(w.index), w.after) << w.index;
  }

  for (int i = 0; i < 64; i++)
  {
    const Vst2ParameterProperties props = properties(i);
    EXPECT_EQ(props.flags & (2 | 8), 0) << i << ": an integer range or step";
    const std::string display = kExpected[i].display;
    EXPECT_EQ(props.flags & 1, display == "Off" || display == "On" ? 1 : 0) << i;
    const ParamRange range = GetParamRange(i);
    const double span = range.mMax - range.mMin;
    const auto found = fractional.find(i);
    const double ownStep = found == fractional.end() ? 1.0 : found->second;
    if (ownStep == 0.0)
    {
      EXPECT_EQ(props.flags & 4, 0) << i << ": a step for a shaped parameter";
      continue;
    }
    ASSERT_EQ(props.flags & 4, 4) << i;
    EXPECT_FLOAT_EQ(props.stepFloat, static_cast<float>(ownStep / span)) << i;
    EXPECT_EQ(props.largeStepFloat, props.stepFloat) << i;
    if (found != fractional.end())
      continue;
    // A host stepping from the lowest value walks every whole value up to the highest.
    e->setParameter(e, i, 0.0f);
    int missed = -1;
    for (int k = 1; k <= static_cast<int>(span) && missed < 0; k++)
    {
      e->setParameter(e, i, e->getParameter(e, i) + props.stepFloat);
      if (std::fabs(e->getParameter(e, i) - k / span) > 1e-6)
        missed = k;
    }
    EXPECT_EQ(missed, -1) << i << ": step " << missed << " from the lowest value went astray";
  }
}

TEST_F(PelmoraPlugin, DisplayTextsOfTheListsIncludingTrailingBlanks)
{
  // Every value of every listed parameter shows its text of the table, in order.
  const std::vector<std::string> waveforms = {"Sine",  "Saw",   "Square", "Tri",   "TX W2", "TX W3",
                                              "TX W4", "TX W5", "TX W6",  "TX W7", "TX W8"};
  const std::vector<std::string> onOff = {"Off", "On"};
  const std::vector<std::string> sources = {"-", "Mod Env", "LFO", "Modwheel", "Aftertouch"};
  const std::vector<std::string> destinations = {
    "-",          "Op A Level",   "Op B Level", "Op C Level",         "Op D Level", "Op A Phase",
    "Op B Phase", "Op C Phase",   "Op D Phase", "Op D Feedback     ", "FM Amount",  "Cutoff",
    "Resonance",  "Global Pitch", "Op A Pitch", "Op B Pitch",         "Op C Pitch", "Op D Pitch"};
  const std::vector<std::pair<std::vector<int>, std::vector<std::string>>> lists = {
    {{0, 8, 16, 24}, waveforms},
    {{1, 9, 17, 25, 42, 43, 57, 58, 63}, onOff},
    {{32}, {"1", "2", "3", "4", "5", "6", "7", "8"}},
    {{35},
     {"Lowpass 6 db/Oct", "Lowpass 12 db/Oct", "Lowpass 18 db/Oct", "Lowpass 24 db/Oct",
      "Highpass 12 db/Oct", "Bandpass 12 db/Oct"}},
    {{39}, {"Sine", "Saw", "Square", "Triangle", "S & H", "Perlin"}},
    {{41},
     {"8/1", "4/1", "2/1", "1/1", "1/2", "1/4D", "1/4", "1/4T", "1/8D", "1/8", "1/8T", "1/16D",
      "1/16", "1/16T", "1/32", "1/64"}},
    {{45, 48, 51, 54}, sources},
    {{46, 49, 52, 55}, destinations},
  };
  AEffect* e = mPlug.Effect();
  for (const auto& [indices, texts] : lists)
  {
    for (int index : indices)
    {
      const size_t last = texts.size() - 1;
      for (size_t value = 0; value <= last; value++)
      {
        e->setParameter(e, index, static_cast<float>(value) / static_cast<float>(last));
        EXPECT_EQ(mPlug.ParamDisplay(index), texts[value]) << index << " = " << value;
      }
    }
  }
  // Numbers beside the lists.
  const struct
  {
    int index;
    float normalized;
    const char* display;
  } cases[] = {
    {47, 0.0f, "-100.0"}, {47, 0.75f, "12.5"}, {61, 0.0f, "-70.0"},
    {36, 0.0f, "30"},     {40, 0.0f, "0.01"},
  };
  for (const auto& c : cases)
  {
    e->setParameter(e, c.index, c.normalized);
    EXPECT_EQ(mPlug.ParamDisplay(c.index), c.display) << c.index << " at " << c.normalized;
  }
}

TEST_F(PelmoraPlugin, EveryParameterRoundTripsWithinOneStep)
{
  // Normalized -> value -> normalized: setting the normalized value the plug-in reports back
  // must land on the same value (the display shows one step's precision) and report the same.
  AEffect* e = mPlug.Effect();
  const float points[] = {0.0f,    0.0137f, 0.1f, 0.25f,  0.3333f, 0.5f,
                          0.6180f, 0.75f,   0.9f, 0.999f, 1.0f};
  for (int i = 0; i < 64; i++)
  {
    for (float n : points)
    {
      e->setParameter(e, i, n);
      const float reported = e->getParameter(e, i);
      const std::string display = mPlug.ParamDisplay(i);
      e->setParameter(e, i, reported);
      EXPECT_EQ(mPlug.ParamDisplay(i), display) << i << " at " << n;
      EXPECT_NEAR(e->getParameter(e, i), reported, 1e-6) << i << " at " << n;
    }
  }
}

TEST_F(PelmoraPlugin, NotesProgramsWheelsAndControllersPassToTheHostButPressureDoesNot)
{
  mPlug.ClearRecords();
  mPlug.SendMidi({{0, {0x90, 60, 100}},
                  {1, {0xA0, 60, 50}}, // polyphonic key pressure
                  {2, {0xB0, 1, 127}},
                  {3, {0xB0, 7, 90}},
                  {4, {0xC0, 5, 0}},
                  {5, {0xD0, 70, 0}}, // channel pressure
                  {6, {0xE0, 0, 96}},
                  {7, {0xF8, 0, 0}}, // a system message
                  {8, {0x80, 60, 0}}});
  const std::vector<host::ReceivedEvent> events = mPlug.Events();
  const std::vector<std::vector<uint8_t>> expected = {
    {0x90, 60, 100}, {0xB0, 1, 127}, {0xB0, 7, 90}, {0xC0, 5, 0}, {0xE0, 0, 96}, {0x80, 60, 0}};
  ASSERT_EQ(events.size(), expected.size());
  for (size_t i = 0; i < events.size(); i++)
  {
    EXPECT_EQ(events[i].type, kVst2EventMidi);
    EXPECT_EQ(std::vector<uint8_t>(events[i].bytes.begin(), events[i].bytes.begin() + 3),
              expected[i])
      << i;
  }
  EXPECT_EQ(events[0].offset, 0);
  EXPECT_EQ(events.back().offset, 8);
}
