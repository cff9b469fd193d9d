#pragma once
// A test plug-in built from the instrument's real Config (name, maker, ids, version, "0-2"
// channels, MIDI in and out, state chunks, editor, 64 parameters, 1 program) with a handful of
// parameters of every kind. Its sound is made to be checked: the left channel carries the
// "Gain" parameter's value, the right channel a ramp that runs on across blocks (so gaps or
// overlaps between the pieces of a split block show), and every held note adds 0.25 to both.
//
// The vendor-specific call with index kProbe answers the counters below, so tests that drive
// the .so through the host can see what reached the plug-in.

#include "framework/graphics/IGraphicsStructs.h"
#include "framework/plugin/vst2/IPluginVST2.h"
#include "tests/framework/plugin/vst2/testplug/TestPlugGallery.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace plugin::igraphics
{
class IGraphics;
}

enum ETestPlugParams
{
  kParamGain = 0, // double 0..1, step 0.01
  kParamSwitch,   // bool
  kParamMode,     // enum of 4
  kParamVoices,   // int 1..16
  kParamCutoff,   // frequency 20..20000 Hz, exponential
  kParamLocked,   // double, not automatable
  kParamStepped,  // double 0.5..3, step 1, stepped
  kParamSigned,   // double -1..1, step 0.5, stepped, sign shown
  kNumTestParams = 64
};

// Four-character code of the probe call (vendor-specific index).
constexpr int32_t kProbe = 0x54657374; // 'Test'

enum EProbe
{
  kProbeIdleCalls = 0,
  kProbeMidiIn,
  kProbeLastParamIdx,
  kProbeLastParamSource,
  kProbeResets,
  kProbeSysExIn,
  kProbeOffline,
  kProbeTempoMilli,
  kProbeNumerator,
  kProbePPQMilli,
  kProbeBlockSize,
  kProbeSampleRate,
  kProbeActivations,
  kProbeHost,
  kProbeHostVersion,
  kProbeParamResets,
  kProbeLastMidiStatus,
  kProbeMaxFramesPerBlock,
  kProbeConnectedOutputs,
  kProbeLastResetSource,
  kProbeDelegateUpdates,
  kProbeLastDelegateIdx,
  kProbeGalleryActions,  // bit i: the action of kGalleryItems[i] ran
  kProbePromptOpen,      // 1 while the editor shows a menu or a text field for a control
  kProbeInWindowPrompts, // 1 when the editor has its in-window text field and menu
  kProbeLastDrop,        // the last drop on the gallery's well: a const char*, valid until the
                         // next drop: "OnDrop x y path" or "OnDropMultiple x y path|path|..."
  kProbeAppearance,      // the gallery's last appearance heard: -1 none yet, 0 light, 1 dark
  kProbeAppearanceCalls, // how many appearance changes the gallery heard
  kProbeKnobDragX,       // the horizontal movement the plain knob's last drag received, in
                         // thousandths of a point
};

plugin::Config TestPlugConfig();

// The editor's layout, for tests that look at its pixels or click it.
constexpr plugin::igraphics::IColor kTestPlugBackground(255, 32, 34, 48);
constexpr plugin::igraphics::IColor kTestPlugSliderFill(255, 250, 160, 30);
constexpr plugin::igraphics::IRECT kTestPlugSliderBounds(100.f, 100.f, 500.f, 140.f);
// Captions that prompt for a value: "Voices" by a text field, "Mode" by a menu of its texts.
constexpr plugin::igraphics::IRECT kTestPlugVoicesBounds(100.f, 200.f, 260.f, 232.f);
constexpr plugin::igraphics::IRECT kTestPlugModeBounds(300.f, 200.f, 460.f, 232.f);
// A free text field (no parameter): a click opens a text entry whose text it then shows.
constexpr plugin::igraphics::IRECT kTestPlugNameBounds(100.f, 260.f, 460.f, 292.f);
// A size button: a click switches the editor between scale 1 and scale 1.5.
constexpr plugin::igraphics::IRECT kTestPlugZoomBounds(520.f, 100.f, 600.f, 140.f);
// A plain knob bound to "Cutoff": a relative drag with the pointer hidden, gearing 4, measured
// against these bounds (100 points up sweep a quarter). It follows the vertical movement and
// adds up the horizontal one (kProbeKnobDragX).
constexpr plugin::igraphics::IRECT kTestPlugKnobBounds(820.f, 300.f, 900.f, 400.f);

class TestPlug : public plugin::IPluginVST2
{
public:
  explicit TestPlug(const plugin::InstanceInfo& info);

  void ProcessBlock(double** inputs, double** outputs, int nFrames) override;
  void ProcessMidiMsg(const plugin::IMidiMsg& msg) override;
  void ProcessSysEx(const plugin::ISysEx& msg) override;
  void OnReset() override { mResets++; }
  void OnActivate(bool active) override
  {
    if (active)
      mActivations++;
  }
  void OnIdle() override;
  void OnParamChange(int paramIdx, plugin::EParamSource source, int sampleOffset) override;
  void OnParamReset(plugin::EParamSource source) override;
  void OnParamChangeUI(int paramIdx, plugin::EParamSource source) override;
  intptr_t VSTVendorSpecific(int32_t idx, intptr_t value, void* ptr, float opt) override;

  std::atomic<int> mIdleCalls{0};
  std::atomic<int> mMidiIn{0};
  std::atomic<int> mLastParamIdx{-1};
  std::atomic<int> mLastParamSource{-1};
  std::atomic<int> mResets{0};
  std::atomic<int> mSysExIn{0};
  std::atomic<int> mActivations{0};
  std::atomic<int> mParamResets{0};
  std::atomic<int> mLastResetSource{-1};
  std::atomic<int> mLastMidiStatus{0};
  std::atomic<int> mMaxFramesPerBlock{0};
  std::atomic<int> mDelegateUpdates{0};
  std::atomic<int> mLastDelegateIdx{-1};
  std::atomic<int> mLayout{kLayoutPlain}; // chosen before the editor opens
  std::atomic<uint64_t> mGalleryActions{0};
  std::string mLastDrop; // [main thread]
  std::atomic<int> mAppearance{-1};
  std::atomic<int> mAppearanceCalls{0};
  double mKnobDragX = 0.0; // [main thread]

private:
  // Sets the graphics factory and the layout (TestPlugEditor.cpp).
  void SetUpEditor();
  // The library gallery (TestPlugGallery.cpp). [main thread]
  void LayoutGallery(plugin::igraphics::IGraphics* pGraphics);
  void FeedGalleryMeter();

  int mNotesHeld = 0;
  int64_t mRamp = 0;
};
