#include "tests/framework/plugin/vst2/testplug/TestPlug.h"

#include "framework/graphics/IGraphics.h"
#include "instrument/PelmoraConfig.h"

#include <algorithm>
#include <cmath>

using namespace plugin;

// The instrument's own description, with the test plug-in's handful of parameters.
Config TestPlugConfig()
{
  Config config = PelmoraConfig();
  config.nParams = kNumTestParams;
  return config;
}

TestPlug::TestPlug(const InstanceInfo& info) : IPluginVST2(info, TestPlugConfig())
{
  GetParam(kParamGain)->InitDouble("Gain", 0.5, 0.0, 1.0, 0.01, "");
  GetParam(kParamSwitch)->InitBool("Switch", false);
  GetParam(kParamMode)->InitEnum("Mode", 0, 4, "", 0, "", "Sine", "Saw", "Square", "Noise");
  GetParam(kParamVoices)->InitInt("Voices", 8, 1, 16, "voices");
  GetParam(kParamCutoff)->InitFrequency("Cutoff", 1000.0, 20.0, 20000.0, 0.1);
  GetParam(kParamLocked)
    ->InitDouble("Locked", 0.25, 0.0, 1.0, 0.01, "", IParam::kFlagCannotAutomate);
  GetParam(kParamStepped)->InitDouble("Stepped", 1.0, 0.5, 3.0, 1.0, "", IParam::kFlagStepped);
  GetParam(kParamSigned)
    ->InitDouble("Signed", 0.0, -1.0, 1.0, 0.5, "",
                 IParam::kFlagStepped | IParam::kFlagSignDisplay);
  InitParamRange(kParamSigned + 1, kNumTestParams - 1, kParamSigned + 1, "Param %d", 0.0, 0.0,
                 100.0, 0.1, "%");
  MakeDefaultPreset("Init", 1);
  SetUpEditor();
}

void TestPlug::ProcessBlock(double**, double** outputs, int nFrames)
{
  // [audio thread]
  mMaxFramesPerBlock.store(std::max(mMaxFramesPerBlock.load(), nFrames));
  const double gain = GetParam(kParamGain)->Value();
  const double notes = 0.25 * mNotesHeld;
  for (int i = 0; i < nFrames; i++)
  {
    outputs[0][i] = gain + notes;
    outputs[1][i] = static_cast<double>(mRamp % 1024) / 1024.0 + notes;
    mRamp++;
  }
}

void TestPlug::ProcessMidiMsg(const IMidiMsg& msg)
{
  mMidiIn++;
  mLastMidiStatus = msg.mStatus;
  if (msg.StatusKind() == IMidiMsg::kNoteOn && msg.mData2 > 0)
    mNotesHeld++;
  else if ((msg.StatusKind() == IMidiMsg::kNoteOff ||
            (msg.StatusKind() == IMidiMsg::kNoteOn && msg.mData2 == 0)) &&
           mNotesHeld > 0)
    mNotesHeld--;
  IPluginVST2::ProcessMidiMsg(msg); // MIDI thru
}

void TestPlug::ProcessSysEx(const ISysEx&)
{
  mSysExIn++;
}

void TestPlug::OnIdle()
{
  // [main thread]
  mIdleCalls++;
  if (mLayout == kLayoutGallery && GetUI())
    FeedGalleryMeter();
}

void TestPlug::OnParamChange(int paramIdx, EParamSource source, int)
{
  mLastParamIdx = paramIdx;
  mLastParamSource = source;
}

void TestPlug::OnParamReset(EParamSource source)
{
  mParamResets++;
  mLastResetSource = source;
  IPluginVST2::OnParamReset(source);
}

void TestPlug::OnParamChangeUI(int paramIdx, EParamSource source)
{
  if (source == kDelegate)
  {
    mDelegateUpdates++;
    mLastDelegateIdx = paramIdx;
  }
}

intptr_t TestPlug::VSTVendorSpecific(int32_t idx, intptr_t value, void* ptr, float opt)
{
  if (idx == kSelectLayout)
  {
    mLayout = value == kLayoutGallery ? kLayoutGallery : kLayoutPlain;
    return 1;
  }
  if (idx != kProbe)
    return IPluginVST2::VSTVendorSpecific(idx, value, ptr, opt);
  const ITransportInfo& t = GetTransportInfo();
  switch (value)
  {
  case kProbeIdleCalls:
    return mIdleCalls;
  case kProbeMidiIn:
    return mMidiIn;
  case kProbeLastParamIdx:
    return mLastParamIdx;
  case kProbeLastParamSource:
    return mLastParamSource;
  case kProbeResets:
    return mResets;
  case kProbeSysExIn:
    return mSysExIn;
  case kProbeOffline:
    return GetRenderingOffline();
  case kProbeTempoMilli:
    return std::lround(t.mTempo * 1000.0);
  case kProbeNumerator:
    return t.mNumerator;
  case kProbePPQMilli:
    return std::lround(t.mPPQPos * 1000.0);
  case kProbeBlockSize:
    return GetBlockSize();
  case kProbeSampleRate:
    return std::lround(GetSampleRate());
  case kProbeActivations:
    return mActivations;
  case kProbeHost:
    return GetHost();
  case kProbeHostVersion:
    return GetHostVersion(false);
  case kProbeParamResets:
    return mParamResets;
  case kProbeLastMidiStatus:
    return mLastMidiStatus;
  case kProbeMaxFramesPerBlock:
    return mMaxFramesPerBlock;
  case kProbeConnectedOutputs:
    return NChannelsConnected(kOutput);
  case kProbeLastResetSource:
    return mLastResetSource;
  case kProbeDelegateUpdates:
    return mDelegateUpdates;
  case kProbeLastDelegateIdx:
    return mLastDelegateIdx;
  case kProbeGalleryActions:
    return static_cast<intptr_t>(mGalleryActions.load());
  case kProbePromptOpen:
    return GetUI() && (GetUI()->GetControlInPopupMenu() || GetUI()->GetControlInTextEntry());
  case kProbeInWindowPrompts:
    return GetUI() && GetUI()->GetPopupMenuControl() && GetUI()->GetTextEntryControl();
  case kProbeLastDrop:
    return reinterpret_cast<intptr_t>(mLastDrop.c_str());
  case kProbeAppearance:
    return mAppearance;
  case kProbeAppearanceCalls:
    return mAppearanceCalls;
  case kProbeKnobDragX:
    return std::lround(mKnobDragX * 1000.0);
  default:
    return -1;
  }
}
