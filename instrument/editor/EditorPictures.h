#pragma once
// EditorPictures: the names of the editor's own SVG pictures, in one place.
//
// Every picture the editor loads is named here, by role, as the layout forms the names: role,
// variant, operator colour, size, ".svg" ("wave_sine_yellow_80x30.svg",
// "button_inv_on_pink_20x20.svg", "fm_alg_03.svg"). The layout asks for a name by what it shows
// (OperatorWavePicture(op, waveform, inverted).Name()), the build's picture generator draws one
// file for each entry of kEditorPictures, and a test loads each through the plug-in's resource
// look-up. A picture's file declares exactly the size its name states (the algorithm diagrams,
// whose names state none, the size of the algorithm selector's picture area).
//
// Operators are 0..3 (A to D), waveforms are in the engine's order (the "Operator A Waveform"
// values), LFO shapes in the order of the "LFO Waveform" values, algorithms 0..7 (the "FM
// Algorithm" values). Arguments out of range are clamped. Everything is constexpr and allocates
// nothing; any thread.

#include <array>

namespace pelmora::pictures
{

inline constexpr int kNumOperators = 4;
inline constexpr int kNumOperatorWaveforms = 11;
inline constexpr int kNumLfoShapes = 6;
inline constexpr int kNumAlgorithms = 8;
inline constexpr int kNumEnvelopes = 5; // operators A to D, then the modulation envelope

// Size of the algorithm diagrams: the algorithm selector's picture area (its bounds less the two
// 18-point arrows, 8 points at the top and 2 at the bottom), so they draw at scale 1.
inline constexpr int kAlgorithmPictureWidth = 64;
inline constexpr int kAlgorithmPictureHeight = 70;

inline constexpr const char* kOperatorLetters[kNumOperators] = {"A", "B", "C", "D"};
inline constexpr const char* kOperatorColorNames[kNumOperators] = {"yellow", "lilac", "green",
                                                                   "pink"};
inline constexpr const char* kOperatorWaveformNames[kNumOperatorWaveforms] = {
  "sine", "saw", "square", "tri", "tx2", "tx3", "tx4", "tx5", "tx6", "tx7", "tx8"};
inline constexpr const char* kLfoShapeNames[kNumLfoShapes] = {"sine", "saw", "square",
                                                              "tri",  "sh",  "perlin"};
// The number in each algorithm diagram's name, by algorithm.
inline constexpr int kAlgorithmPictureNumbers[kNumAlgorithms] = {1, 2, 3, 4, 5, 6, 7, 16};

enum class EPictureRole
{
  kTab,          // operator tab button: mOperator, mOn = selected
  kOperatorWave, // operator waveform: mOperator, mIndex = waveform, mInverted
  kLfoWave,      // LFO shape: mIndex = shape
  kInversion,    // an operator's waveform inversion switch: mOperator, mOn
  kSustain,      // an envelope editor's sustain switch: mOperator (-1: modulation envelope), mOn
  kSwitch,       // a labelled two-state switch: mIndex = ESwitchPicture, mOn
  kAlgorithm,    // algorithm diagram: mIndex = algorithm
};

// The two-state switches outside the operator tabs.
enum ESwitchPicture : int
{
  kSwitchLink = 0, // operator link (an icon)
  kSwitchSync,     // LFO tempo sync
  kSwitchFree,     // LFO free-running
  kSwitchChorusI,  // chorus stage I
  kSwitchChorusII, // chorus stage II
  kSwitchMono,     // monophonic mode
  kNumSwitchPictures
};

// What a switch's name says of it: "button_<word>_<off|on>_<size>x<size>.svg".
inline constexpr const char* kSwitchWords[kNumSwitchPictures] = {"link", "Sync", "Free",
                                                                 "I",    "II",   "Mono"};
inline constexpr int kSwitchSizes[kNumSwitchPictures] = {26, 26, 26, 26, 26, 30};

struct EditorPicture
{
  static constexpr int kMaxName = 40;

  char mName[kMaxName] = {};
  int mLength = 0;
  EPictureRole mRole = EPictureRole::kTab;
  int mOperator = -1; // 0..3, or -1 where the picture belongs to no operator
  int mIndex = -1;    // waveform, LFO shape, switch or algorithm, by role
  bool mOn = false;   // a switch's on state, a tab's selected state
  bool mInverted = false;
  int mWidth = 0; // declared size, in pixels
  int mHeight = 0;

  constexpr const char* Name() const { return mName; }

  constexpr EditorPicture& Add(const char* text)
  {
    for (; *text && mLength < kMaxName - 1; ++text)
      mName[mLength++] = *text;
    return *this;
  }
  constexpr EditorPicture& AddNumber(int n, int minDigits = 1)
  {
    char digits[12] = {};
    int count = 0;
    for (unsigned v = n < 0 ? 0u : static_cast<unsigned>(n); v > 0 || count < minDigits; v /= 10)
      digits[count++] = static_cast<char>('0' + v % 10);
    while (count > 0 && mLength < kMaxName - 1)
      mName[mLength++] = digits[--count];
    return *this;
  }
  // "_<w>x<h>.svg", and the declared size.
  constexpr EditorPicture& AddSize(int w, int h)
  {
    mWidth = w;
    mHeight = h;
    return Add("_").AddNumber(w).Add("x").AddNumber(h).Add(".svg");
  }
};

namespace detail
{
constexpr int Clamp(int v, int count)
{
  return v < 0 ? 0 : v >= count ? count - 1 : v;
}
constexpr const char* OnOff(bool on)
{
  return on ? "on" : "off";
}

// The pictures as the generator's table holds them; the layout uses the look-ups below. Each
// states what it shows, then forms its name.
constexpr EditorPicture MakeTabPicture(int op, bool selected)
{
  op = Clamp(op, kNumOperators);
  EditorPicture p{.mRole = EPictureRole::kTab, .mOperator = op, .mOn = selected};
  p.Add("button_").Add(kOperatorLetters[op]).Add("_").Add(OnOff(selected)).Add("_");
  p.Add(kOperatorColorNames[op]).AddSize(26, 26);
  return p;
}

constexpr EditorPicture MakeOperatorWavePicture(int op, int waveform, bool inverted)
{
  op = Clamp(op, kNumOperators);
  waveform = Clamp(waveform, kNumOperatorWaveforms);
  EditorPicture p{.mRole = EPictureRole::kOperatorWave,
                  .mOperator = op,
                  .mIndex = waveform,
                  .mInverted = inverted};
  p.Add("wave_").Add(kOperatorWaveformNames[waveform]).Add("_").Add(kOperatorColorNames[op]);
  if (inverted)
    p.Add("_inv");
  p.AddSize(80, 30);
  return p;
}

constexpr EditorPicture MakeLfoWavePicture(int shape)
{
  shape = Clamp(shape, kNumLfoShapes);
  EditorPicture p{.mRole = EPictureRole::kLfoWave, .mIndex = shape};
  p.Add("wave_").Add(kLfoShapeNames[shape]).AddSize(80, 30);
  return p;
}

constexpr EditorPicture MakeInversionPicture(int op, bool on)
{
  op = Clamp(op, kNumOperators);
  EditorPicture p{.mRole = EPictureRole::kInversion, .mOperator = op, .mOn = on};
  p.Add("button_inv_").Add(OnOff(on)).Add("_").Add(kOperatorColorNames[op]).AddSize(20, 20);
  return p;
}

constexpr EditorPicture MakeSustainPicture(int envelope, bool on)
{
  envelope = Clamp(envelope, kNumEnvelopes);
  const bool ofOperator = envelope < kNumOperators;
  EditorPicture p{
    .mRole = EPictureRole::kSustain, .mOperator = ofOperator ? envelope : -1, .mOn = on};
  p.Add("button_sus_").Add(OnOff(on));
  if (ofOperator)
    p.Add("_").Add(kOperatorColorNames[envelope]);
  p.AddSize(26, 26);
  return p;
}

constexpr EditorPicture MakeSwitchPicture(int which, bool on)
{
  which = Clamp(which, kNumSwitchPictures);
  EditorPicture p{.mRole = EPictureRole::kSwitch, .mIndex = which, .mOn = on};
  p.Add("button_").Add(kSwitchWords[which]).Add("_").Add(OnOff(on));
  p.AddSize(kSwitchSizes[which], kSwitchSizes[which]);
  return p;
}

constexpr EditorPicture MakeAlgorithmPicture(int algorithm)
{
  algorithm = Clamp(algorithm, kNumAlgorithms);
  EditorPicture p{.mRole = EPictureRole::kAlgorithm,
                  .mIndex = algorithm,
                  .mWidth = kAlgorithmPictureWidth,
                  .mHeight = kAlgorithmPictureHeight};
  p.Add("fm_alg_").AddNumber(kAlgorithmPictureNumbers[algorithm], 2).Add(".svg");
  return p;
}

} // namespace detail

// Every picture of the editor, in the order the layout loads them: tab buttons; per operator
// the eleven waveforms, then the eleven inverted; the LFO shapes; inversion switches; sustain
// switches; the link switch; the algorithm diagrams; the LFO, chorus and mono switches.
inline constexpr int kNumEditorPictures = 2 * kNumOperators                           // tabs
                                          + kNumOperators * 2 * kNumOperatorWaveforms // waves
                                          + kNumLfoShapes                             // LFO
                                          + 2 * kNumOperators                         // inversion
                                          + 2 * kNumEnvelopes                         // sustain
                                          + 2 * kNumSwitchPictures                    // switches
                                          + kNumAlgorithms;                           // diagrams

constexpr std::array<EditorPicture, kNumEditorPictures> MakeEditorPictures()
{
  std::array<EditorPicture, kNumEditorPictures> all{};
  int n = 0;
  for (int op = 0; op < kNumOperators; ++op)
  {
    all[n++] = detail::MakeTabPicture(op, true);
    all[n++] = detail::MakeTabPicture(op, false);
  }
  for (int op = 0; op < kNumOperators; ++op)
    for (bool inverted : {false, true})
      for (int w = 0; w < kNumOperatorWaveforms; ++w)
        all[n++] = detail::MakeOperatorWavePicture(op, w, inverted);
  for (int shape = 0; shape < kNumLfoShapes; ++shape)
    all[n++] = detail::MakeLfoWavePicture(shape);
  for (int op = 0; op < kNumOperators; ++op)
  {
    all[n++] = detail::MakeInversionPicture(op, false);
    all[n++] = detail::MakeInversionPicture(op, true);
  }
  for (int envelope : {kNumEnvelopes - 1, 0, 1, 2, 3})
  {
    all[n++] = detail::MakeSustainPicture(envelope, true);
    all[n++] = detail::MakeSustainPicture(envelope, false);
  }
  all[n++] = detail::MakeSwitchPicture(kSwitchLink, false);
  all[n++] = detail::MakeSwitchPicture(kSwitchLink, true);
  for (int algorithm = 0; algorithm < kNumAlgorithms; ++algorithm)
    all[n++] = detail::MakeAlgorithmPicture(algorithm);
  for (int which = kSwitchSync; which < kNumSwitchPictures; ++which)
  {
    all[n++] = detail::MakeSwitchPicture(which, false);
    all[n++] = detail::MakeSwitchPicture(which, true);
  }
  return all;
}

inline constexpr std::array<EditorPicture, kNumEditorPictures> kEditorPictures =
  MakeEditorPictures();

static_assert(kNumEditorPictures == 140);

namespace detail
{
// The entry of kEditorPictures that shows the same thing as a picture made here.
constexpr const EditorPicture& Find(const EditorPicture& wanted)
{
  for (const EditorPicture& p : kEditorPictures)
    if (p.mRole == wanted.mRole && p.mOperator == wanted.mOperator && p.mIndex == wanted.mIndex &&
        p.mOn == wanted.mOn && p.mInverted == wanted.mInverted)
      return p;
  return kEditorPictures[0]; // unreachable: every picture made here is in the table
}
} // namespace detail

// The pictures by what they show. Each answers its entry of kEditorPictures, so its Name() is a
// string with static storage that may be kept.

// "button_A_on_yellow_26x26.svg": operator op's tab button, selected or not.
constexpr const EditorPicture& TabPicture(int op, bool selected)
{
  return detail::Find(detail::MakeTabPicture(op, selected));
}
// "wave_sine_yellow_80x30.svg", "wave_tx8_yellow_inv_80x30.svg": an operator's waveform.
constexpr const EditorPicture& OperatorWavePicture(int op, int waveform, bool inverted)
{
  return detail::Find(detail::MakeOperatorWavePicture(op, waveform, inverted));
}
// "wave_sh_80x30.svg": an LFO shape.
constexpr const EditorPicture& LfoWavePicture(int shape)
{
  return detail::Find(detail::MakeLfoWavePicture(shape));
}
// "button_inv_off_yellow_20x20.svg": an operator's waveform inversion switch.
constexpr const EditorPicture& InversionPicture(int op, bool on)
{
  return detail::Find(detail::MakeInversionPicture(op, on));
}
// "button_sus_on_yellow_26x26.svg" for envelopes 0..3, "button_sus_on_26x26.svg" for envelope 4
// (the modulation envelope): an envelope editor's sustain switch.
constexpr const EditorPicture& SustainPicture(int envelope, bool on)
{
  return detail::Find(detail::MakeSustainPicture(envelope, on));
}
// "button_link_on_26x26.svg", "button_Sync_off_26x26.svg", "button_Mono_on_30x30.svg": the
// labelled switches outside the operator tabs (ESwitchPicture).
constexpr const EditorPicture& SwitchPicture(int which, bool on)
{
  return detail::Find(detail::MakeSwitchPicture(which, on));
}
// "fm_alg_01.svg" .. "fm_alg_07.svg", "fm_alg_16.svg": the diagram of an algorithm.
constexpr const EditorPicture& AlgorithmPicture(int algorithm)
{
  return detail::Find(detail::MakeAlgorithmPicture(algorithm));
}

} // namespace pelmora::pictures
