#include "instrument/Pelmora.h"

#include "instrument/PelmoraConfig.h"
#include "instrument/PelmoraEditorControls.h"
#include "instrument/dsp/EnvelopeParameter.h"
#include "instrument/dsp/PerlinOsc.h"
#include "instrument/dsp/SimpleOsc.h"
#include "instrument/engine/ModMatrix.h"

#include <algorithm>

using plugin::IMidiMsg;
using plugin::IParam;

plugin::Config Pelmora::MakeConfig()
{
  plugin::Config config = PelmoraConfig();
  config.nParams = kNumParams;
  return config;
}

Pelmora::Pelmora(const plugin::InstanceInfo& info) : plugin::IPluginVST2(info, MakeConfig())
{
  // The process-wide tables that do not depend on the sample rate are built on first use; build
  // them here so that the audio thread never does. (The wave tables belong to each engine, built
  // for its sample rate.)
  EnvelopeStageParameter::PowTableRising();
  EnvelopeStageParameter::PowTableFalling();
  SimpleOsc::Table(0);
  PerlinOsc::Samples();

  LoadSettings();
  InitParameter();
  mDSP = std::make_unique<PelmoraDSP<double>>(kNumVoices, mGlobalParams.get());
  // The engine follows every parameter from the start, before the host's first reset.
  for (int i = 0; i < kNumParams; i++)
    mDSP->SetParam(i, GetParam(i)->Value());
  mWaveform = std::make_unique<Waveform>(mGlobalParams.get(), kWaveformPoints);
  SetUpEditor();
  LoadInitialPreset();
  // A host that processes before its first reset gets sound at the processor's defaults.
  mDSP->Reset(GetSampleRate(), GetBlockSize());
}

Pelmora::~Pelmora()
{
  // No timer may fire into the members below while they go, and an open editor closes while
  // they all live (its controls read the model, the preview and the engine).
  PrepareForDeletion();
  // The engine and the preview read the sound model: they go first.
  mDSP.reset();
  mWaveform.reset();
  mGlobalParams.reset();
}

void Pelmora::InitParameter()
{
  mGlobalParams = std::make_unique<GlobalParams>();
  for (int i = 0; i < kNumParams; i++)
    InitParamFromSpec(*GetParam(i), i);
}

// ---- MIDI intake

void Pelmora::ProcessMidiMsg(const IMidiMsg& msg)
{
  const int kind = (msg.mStatus & 0x80) && msg.StatusKind() != 0xF ? msg.StatusKind() : 0;
  switch (kind)
  {
  case IMidiMsg::kControlChange:
    if (msg.mData1 == 1) // modulation wheel
      mDSP->SetModWheel(static_cast<float>(msg.mData2 / 127.0));
    [[fallthrough]];
  case IMidiMsg::kNoteOff:
  case IMidiMsg::kNoteOn:
  case IMidiMsg::kProgramChange:
  case IMidiMsg::kPitchWheel:
    mDSP->AddMidiMsgToQueue(msg);
    SendMidiMsg(msg);
    break;
  case IMidiMsg::kChannelAftertouch:
    mDSP->SetAftertouch(static_cast<float>(msg.mData1 * 0.007874015748031));
    break;
  case IMidiMsg::kPolyAftertouch: // neither queued nor passed on
  default:
    break;
  }
}

// ---- Parameter fan-out

void Pelmora::OnParamChange(int paramIdx, plugin::EParamSource source, int)
{
  // Copying one operator's value over the others while a whole state arrives would lose the
  // other operators' own values.
  ApplyParam(paramIdx, source != plugin::kReset && source != plugin::kPresetRecall);
}

void Pelmora::OnParamChange(int paramIdx)
{
  ApplyParam(paramIdx, true);
}

void Pelmora::ApplyParam(int paramIdx, bool followLink)
{
  IParam* param = GetParam(paramIdx);
  if (!param)
    return;
  const double value = param->Value();
  if (followLink && paramIdx < kParamAlgorithm && mOperatorLink.load())
  {
    // The copies are stored quietly (the host and the editor are not told; Set snaps a stepped
    // value and clamps it); the engine gets the value as edited for all four operators.
    const EOpParam slot = static_cast<EOpParam>(paramIdx % kOpParamCount);
    for (int op = 0; op < kNumOperators; op++)
    {
      if (IParam* copy = GetParam(OpParamIndex(op, slot)))
        copy->Set(value);
    }
    for (int op = 0; op < kNumOperators; op++)
      mDSP->SetParam(OpParamIndex(op, slot), value);
    return;
  }
  mDSP->SetParam(paramIdx, value);
}

// ---- Editor side

int Pelmora::GetOperatorAControlTag(int paramIdx)
{
  if (paramIdx < 0 || paramIdx >= kParamAlgorithm)
    return -1;
  return OperatorControlTag(0, paramIdx % kOpParamCount);
}

void Pelmora::OnParamChangeUI(int paramIdx, plugin::EParamSource)
{
  const IParam* param = GetParam(paramIdx);
  if (!mEditorControls || !param)
    return;
  ShowParameterInEditor(paramIdx);

  const double value = param->Value();
  if (paramIdx < kParamAlgorithm && mOperatorLink.load())
  {
    const int slot = paramIdx % kOpParamCount;
    const double normalized = param->GetNormalized();
    for (int op = 0; op < kNumOperators; op++)
      mEditorControls->SetControlValue(OperatorControlTag(op, slot), normalized);
    if (slot == kOpInverse)
    {
      const int icons = value >= 0.5 ? kWaveformIconsInverted : kWaveformIconsNormal;
      for (int op = 0; op < kNumOperators; op++)
        mEditorControls->SetWaveformIconOffset(OperatorControlTag(op, kOpWaveform), icons);
    }
  }

  if (paramIdx < kParamAlgorithm)
  {
    switch (paramIdx % kOpParamCount)
    {
    case kOpInverse:
      mEditorControls->SetWaveformIconOffset(
        OperatorControlTag(paramIdx / kOpParamCount, kOpWaveform),
        value >= 0.5 ? kWaveformIconsInverted : kWaveformIconsNormal);
      UpdateWaveformControl();
      break;
    case kOpWaveform:
    case kOpRatio:
    case kOpOffset:
    case kOpPhase:
    case kOpLevel:
      UpdateWaveformControl();
      break;
    default:
      break; // velocity settings do not change the drawn cycle
    }
  }
  else if (paramIdx <= kParamFmAmount)
  {
    UpdateWaveformControl(); // algorithm, feedback, FM amount
  }
  else if (paramIdx >= kParamMod1Source &&
           paramIdx < kParamMod1Source + kNumModSlots * kModSlotStride)
  {
    const int slot = (paramIdx - kParamMod1Source) / kModSlotStride;
    const double amount = GetParam(kParamMod1Amount + kModSlotStride * slot)->Value();
    UpdateKnobModulation(slot, amount * 0.01);
  }
}

void Pelmora::ShowParameterInEditor(int paramIdx) const
{
  const IParam* param = GetParam(paramIdx);
  if (!mEditorControls || !param)
    return;
  Util_String display;
  param->GetDisplayWithLabel(display, true);
  Util_String name;
  name.SetFormatted(32, "%s", param->GetName());
  mEditorControls->ShowParameter(name.Get(), display.Get());
}

int Pelmora::ModulationKnobTag(int destination)
{
  // The levels and phases of A..D, feedback, FM amount, cutoff and resonance have knobs; "-" and
  // the pitches have none.
  using Matrix = ModMatrix<float>;
  const int levelOf = destination - Matrix::kDestOpALevel; // the operator, 0..3
  if (levelOf >= 0 && levelOf < kNumOperators)
    return OperatorControlTag(levelOf, kOpLevel);
  const int phaseOf = destination - Matrix::kDestOpAPhase;
  if (phaseOf >= 0 && phaseOf < kNumOperators)
    return OperatorControlTag(phaseOf, kOpPhase);
  switch (destination)
  {
  case Matrix::kDestFeedback:
    return kTagFeedbackKnob;
  case Matrix::kDestFmAmount:
    return kTagFmAmountKnob;
  case Matrix::kDestCutoff:
    return kTagCutoffKnob;
  case Matrix::kDestResonance:
    return kTagResonanceKnob;
  default:
    return 0;
  }
}

void Pelmora::ModulationRange(int source, float amount, float& lower, float& upper)
{
  using Matrix = ModMatrix<float>;
  if (source == Matrix::kSourceLfo) // the only bipolar source
  {
    lower = std::min(amount, -amount);
    upper = std::max(amount, -amount);
  }
  else if (source == Matrix::kSourceNone)
  {
    lower = upper = 0.0f;
  }
  else if (amount > 0.0f)
  {
    lower = 0.0f;
    upper = amount;
  }
  else
  {
    lower = amount;
    upper = 0.0f;
  }
}

void Pelmora::UpdateKnobModulation(int slot, double amount)
{
  if (!mEditorControls || slot < 0 || slot >= kNumModSlots)
    return;
  for (int destination = 0; destination < ModMatrix<float>::kNumDestinations; destination++)
  {
    if (const int knob = ModulationKnobTag(destination))
      mEditorControls->SetKnobModulation(knob, slot, 0.0f, 0.0f);
  }
  const int destination =
    static_cast<int>(GetParam(kParamMod1Destination + kModSlotStride * slot)->Value());
  const int tag = ModulationKnobTag(destination);
  if (tag == 0)
    return;
  const int source = static_cast<int>(GetParam(kParamMod1Source + kModSlotStride * slot)->Value());
  float lower = 0.0f;
  float upper = 0.0f;
  ModulationRange(source, static_cast<float>(amount), lower, upper);
  mEditorControls->SetKnobModulation(tag, slot, lower, upper);
}

void Pelmora::UpdateWaveformControl()
{
  mWaveform->Update();
  if (mEditorControls)
    mEditorControls->RedrawControl(kTagWaveformPreview);
}

void Pelmora::UpdateLfoTempoControls()
{
  if (!mEditorControls)
    return;
  const bool synced = GetParam(kParamLfoSync)->Value() >= 0.5;
  mEditorControls->HideControlsOfParam(kParamLfoRateHz, synced);
  mEditorControls->HideControlsOfParam(kParamLfoRateDivision, !synced);
}

void Pelmora::UpdateEnvelopeControls(std::initializer_list<Envelope> envelopes)
{
  for (Envelope envelope : envelopes)
  {
    if (envelope < 0 || envelope >= kNumEnvelopes)
      continue;
    if (mEditorControls)
      mEditorControls->RefreshEnvelopeEditor(EnvelopeEditorTag(envelope));
    else
      mEnvelopeViews[static_cast<size_t>(envelope)] = {}; // fitted when an editor opens
  }
}

plugin::igraphics::EnvelopeView* Pelmora::GetEnvelopeView(int envelope)
{
  if (envelope < 0 || envelope >= kNumEnvelopes)
    return nullptr;
  return &mEnvelopeViews[static_cast<size_t>(envelope)];
}

void Pelmora::SetEditorControls(std::unique_ptr<PelmoraEditorControls> controls)
{
  mEditorControls = std::move(controls);
}

void Pelmora::CloseWindow()
{
  // The editor's controls reach it (menus, actions) until the graphics context deletes them.
  plugin::IPluginVST2::CloseWindow();
  mEditorControls.reset();
}

bool Pelmora::OnMessage(int, int, int, const void*)
{
  return false;
}

// ---- Engine

void Pelmora::OnIdle()
{
  // The engine takes the host tempo at the start of every block (hosts send no idle calls while
  // the editor is closed); here the main thread applies the tempo of the last block should the
  // engine not have it yet. A synced LFO follows.
  const double tempo = mHostTempo.load(std::memory_order_relaxed);
  if (tempo != mDSP->GetTempo())
    mDSP->SetTempo(tempo);
}

void Pelmora::ProcessBlock(double**, double** outputs, int nFrames)
{
  const plugin::ITransportInfo& transport = GetTransportInfo();
  mHostTempo.store(transport.mTempo, std::memory_order_relaxed);
  // Always two channels: the configuration is one stereo output.
  mDSP->ProcessBlock(nullptr, outputs, 2, nFrames, transport.mPPQPos, transport.mTransportIsRunning,
                     transport.mTempo);
}

void Pelmora::OnReset()
{
  mDSP->Reset(GetSampleRate(), GetBlockSize());
}
