#include "instrument/PelmoraParameters.h"

#include "instrument/ShapePowCurve.h"

#include <cstddef>

namespace
{

template <size_t N>
constexpr ParamTexts Texts(const char* const (&texts)[N])
{
  return {texts, static_cast<int>(N)};
}

// Display texts: entry i is the display of the value i.
constexpr const char* kWaveformNames[] = {"Sine",  "Saw",   "Square", "Tri",   "TX W2", "TX W3",
                                          "TX W4", "TX W5", "TX W6",  "TX W7", "TX W8"};
constexpr const char* kAlgorithmNames[] = {"1", "2", "3", "4", "5", "6", "7", "8"};
constexpr const char* kFilterNames[] = {"Lowpass 6 db/Oct",   "Lowpass 12 db/Oct",
                                        "Lowpass 18 db/Oct",  "Lowpass 24 db/Oct",
                                        "Highpass 12 db/Oct", "Bandpass 12 db/Oct"};
constexpr const char* kLfoWaveformNames[] = {"Sine",     "Saw",   "Square",
                                             "Triangle", "S & H", "Perlin"};
constexpr const char* kLfoDivisionNames[] = {"8/1",  "4/1",   "2/1",  "1/1", "1/2",  "1/4D",
                                             "1/4",  "1/4T",  "1/8D", "1/8", "1/8T", "1/16D",
                                             "1/16", "1/16T", "1/32", "1/64"};
constexpr const char* kModSourceNames[] = {"-", "Mod Env", "LFO", "Modwheel", "Aftertouch"};
// The tenth text carries five trailing blanks: hosts and presets have always seen it that way.
constexpr const char* kModDestinationNames[] = {
  "-",          "Op A Level",   "Op B Level", "Op C Level",         "Op D Level", "Op A Phase",
  "Op B Phase", "Op C Phase",   "Op D Phase", "Op D Feedback     ", "FM Amount",  "Cutoff",
  "Resonance",  "Global Pitch", "Op A Pitch", "Op B Pitch",         "Op C Pitch", "Op D Pitch"};

constexpr ParamTexts kWaveformTexts = Texts(kWaveformNames);
constexpr ParamTexts kAlgorithmTexts = Texts(kAlgorithmNames);
constexpr ParamTexts kFilterTexts = Texts(kFilterNames);
constexpr ParamTexts kLfoWaveformTexts = Texts(kLfoWaveformNames);
constexpr ParamTexts kLfoDivisionTexts = Texts(kLfoDivisionNames);
constexpr ParamTexts kSourceTexts = Texts(kModSourceNames);
constexpr ParamTexts kDestinationTexts = Texts(kModDestinationNames);

constexpr int kStepped = plugin::IParam::kFlagStepped;

using K = EParamKind;
using S = EParamShape;

// name, kind, label, group [, texts [, step [, shape [, extra flags]]]]; the range and default
// of each are the engine's (GetParamRange).
constexpr PelmoraParamSpec kParamSpecs[kNumParams] = {
  // Operator A
  /*  0 */ {"Operator A Waveform", K::kEnum, "WAVEFORM", "Operator", kWaveformTexts},
  /*  1 */ {"Operator A Inverse Waveform", K::kBool, "", "Operator"},
  /*  2 */ {"Operator A Ratio", K::kDouble, "", "Operator", {}, 0.0001},
  /*  3 */ {"Operator A Offset", K::kDouble, "Hz", "Operator", {}, 0.01},
  /*  4 */ {"Operator A Phase", K::kInt, "deg", "Operator"},
  /*  5 */ {"Operator A Velocity > Frequency", K::kInt, "%", "Operator"},
  /*  6 */ {"Operator A Velocity Sense", K::kInt, "", "Operator"},
  /*  7 */ {"Operator A Level", K::kInt, "", "Operator"},
  // Operator B
  /*  8 */ {"Operator B Waveform", K::kEnum, "WAVEFORM", "Operator", kWaveformTexts},
  /*  9 */ {"Operator B Inverse Waveform", K::kBool, "", "Operator"},
  /* 10 */ {"Operator B Ratio", K::kDouble, "", "Operator", {}, 0.0001},
  /* 11 */ {"Operator B Offset", K::kDouble, "Hz", "Operator", {}, 0.01},
  /* 12 */ {"Operator B Phase", K::kInt, "deg", "Operator"},
  /* 13 */ {"Operator B Velocity > Frequency", K::kInt, "%", "Operator"},
  /* 14 */ {"Operator B Velocity Sense", K::kInt, "", "Operator"},
  /* 15 */ {"Operator B Level", K::kInt, "", "Operator"},
  // Operator C
  /* 16 */ {"Operator C Waveform", K::kEnum, "WAVEFORM", "Operator", kWaveformTexts},
  /* 17 */ {"Operator C Inverse Waveform", K::kBool, "", "Operator"},
  /* 18 */ {"Operator C Ratio", K::kDouble, "", "Operator", {}, 0.0001},
  /* 19 */ {"Operator C Offset", K::kDouble, "Hz", "Operator", {}, 0.01},
  /* 20 */ {"Operator C Phase", K::kInt, "deg", "Operator"},
  /* 21 */ {"Operator C Velocity > Frequency", K::kInt, "%", "Operator"},
  /* 22 */ {"Operator C Velocity Sense", K::kInt, "", "Operator"},
  /* 23 */ {"Operator C Level", K::kInt, "", "Operator"},
  // Operator D
  /* 24 */ {"Operator D Waveform", K::kEnum, "WAVEFORM", "Operator", kWaveformTexts},
  /* 25 */ {"Operator D Inverse Waveform", K::kBool, "", "Operator"},
  /* 26 */ {"Operator D Ratio", K::kDouble, "", "Operator", {}, 0.0001},
  /* 27 */ {"Operator D Offset", K::kDouble, "Hz", "Operator", {}, 0.01},
  /* 28 */ {"Operator D Phase", K::kInt, "deg", "Operator"},
  /* 29 */ {"Operator D Velocity > Frequency", K::kInt, "%", "Operator"},
  /* 30 */ {"Operator D Velocity Sense", K::kInt, "", "Operator"},
  /* 31 */ {"Operator D Level", K::kInt, "", "Operator"},
  // Algorithm
  /* 32 */ {"FM Algorithm", K::kEnum, "ALGORITHM", "Algorithm", kAlgorithmTexts},
  /* 33 */ {"Feedback (Operator D)", K::kInt, "", "Algorithm"},
  /* 34 */ {"FM Amount", K::kInt, "", "Algorithm"},
  // Filter
  /* 35 */ {"Filter Type", K::kEnum, "", "Filter", kFilterTexts},
  /* 36 */ {"Filter Cutoff", K::kDouble, "Hz", "Filter", {}, 1, S::kCubic},
  /* 37 */ {"Filter Resonance", K::kDouble, "", ""},
  /* 38 */ {"Filter Velocity Sensitivity", K::kInt, "", ""},
  // LFO: the rate in hertz (40) or, synced (42), a tempo division (41)
  /* 39 */ {"LFO Waveform", K::kEnum, "WAVEFORM", "", kLfoWaveformTexts},
  /* 40 */ {"LFO  Rate", K::kFrequency, "Hz", "LFO", {}, 0.01},
  /* 41 */ {"LFO Rate", K::kEnum, "", "", kLfoDivisionTexts, 1, S::kLinear, kStepped},
  /* 42 */ {"LFO Sync", K::kBool, "", "LFO 1"},
  /* 43 */ {"LFO Free", K::kBool, "", "LFO 1"},
  /* 44 */ {"LFO Delay", K::kDouble, "ms", "LFO", {}, 1, S::kCubic},
  // Modulation matrix: source, destination, amount (percent) per slot
  /* 45 */ {"Mod 1 Source", K::kEnum, "SOURCE", "", kSourceTexts},
  /* 46 */ {"Mod 1 Destination", K::kEnum, "DESTINATION", "", kDestinationTexts},
  /* 47 */ {"Mod 1 Amount", K::kDouble, "", "Mod", {}, 0.1, S::kBipolar},
  /* 48 */ {"Mod 2 Source", K::kEnum, "SOURCE", "", kSourceTexts},
  /* 49 */ {"Mod 2 Destination", K::kEnum, "DESTINATION", "", kDestinationTexts},
  /* 50 */ {"Mod 2 Amount", K::kDouble, "", "Mod", {}, 0.1, S::kBipolar},
  /* 51 */ {"Mod 3 Source", K::kEnum, "SOURCE", "", kSourceTexts},
  /* 52 */ {"Mod 3 Destination", K::kEnum, "DESTINATION", "", kDestinationTexts},
  /* 53 */ {"Mod 3 Amount", K::kDouble, "", "Mod", {}, 0.1, S::kBipolar},
  /* 54 */ {"Mod 4 Source", K::kEnum, "SOURCE", "", kSourceTexts},
  /* 55 */ {"Mod 4 Destination", K::kEnum, "DESTINATION", "", kDestinationTexts},
  /* 56 */ {"Mod 4 Amount", K::kDouble, "", "Mod", {}, 0.1, S::kBipolar},
  // Output and playing
  /* 57 */ {"Chorus Stage I", K::kBool, "", "Chorus"},
  /* 58 */ {"Chorus Stage II", K::kBool, "", "Chorus"},
  /* 59 */ {"Pitchbend Range", K::kInt, "semitones", ""},
  /* 60 */ {"Note Glide Time", K::kMilliseconds, "ms", ""},
  /* 61 */ {"Gain", K::kGain, "dB", "", {}, 0.5},
  /* 62 */ {"Pitch Drift", K::kInt, "", ""},
  /* 63 */ {"Monophonic Mode", K::kBool, "", "Output"},
};

// The lists and switches agree with the engine's ranges: 0 .. count - 1, and 0 .. 1.
constexpr bool ListsMatchRanges()
{
  for (int i = 0; i < kNumParams; i++)
  {
    const ParamRange r = GetParamRange(i);
    const PelmoraParamSpec& s = kParamSpecs[i];
    if (s.kind == K::kEnum && (r.mMin != 0 || r.mMax != s.texts.count - 1))
      return false;
    if (s.kind == K::kBool && (r.mMin != 0 || r.mMax != 1))
      return false;
  }
  return true;
}
static_assert(ListsMatchRanges(), "an enumeration's texts or a switch disagree with its range");

} // namespace

void InitParamFromSpec(plugin::IParam& param, int index)
{
  const int row = index >= 0 && index < kNumParams ? index : 0;
  const PelmoraParamSpec& s = kParamSpecs[row];
  const ParamRange r = GetParamRange(row);
  const int lo = static_cast<int>(r.mMin);
  const int hi = static_cast<int>(r.mMax);
  const int def = static_cast<int>(r.mDefault);
  switch (s.kind)
  {
  case EParamKind::kEnum:
    param.InitEnum(s.name, def, hi + 1, s.label, s.flags, s.group);
    for (int i = 0; i < s.texts.count; i++)
      param.SetDisplayText(i, s.texts.texts[i]);
    break;
  case EParamKind::kBool:
    param.InitBool(s.name, r.mDefault >= 0.5, s.label, s.flags, s.group, "Off", "On");
    break;
  case EParamKind::kInt:
    param.InitInt(s.name, def, lo, hi, s.label, s.flags, s.group);
    break;
  case EParamKind::kDouble:
    switch (s.shape)
    {
    case EParamShape::kLinear:
      param.InitDouble(s.name, r.mDefault, r.mMin, r.mMax, s.step, s.label, s.flags, s.group,
                       plugin::IParam::ShapeLinear(), plugin::IParam::kUnitCustom);
      break;
    case EParamShape::kCubic:
      param.InitDouble(s.name, r.mDefault, r.mMin, r.mMax, s.step, s.label, s.flags, s.group,
                       plugin::IParam::ShapePowCurve(3.0), plugin::IParam::kUnitCustom);
      break;
    case EParamShape::kBipolar:
      param.InitDouble(s.name, r.mDefault, r.mMin, r.mMax, s.step, s.label, s.flags, s.group,
                       ShapePowCurve(3.0), plugin::IParam::kUnitCustom);
      break;
    }
    break;
  case EParamKind::kFrequency:
    param.InitFrequency(s.name, r.mDefault, r.mMin, r.mMax, s.step, s.flags, s.group);
    break;
  case EParamKind::kMilliseconds:
    param.InitMilliseconds(s.name, r.mDefault, r.mMin, r.mMax, s.flags, s.group);
    break;
  case EParamKind::kGain:
    param.InitGain(s.name, r.mDefault, r.mMin, r.mMax, s.step, s.flags, s.group);
    break;
  }
}
