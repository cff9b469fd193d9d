#include "instrument/Pelmora.h"

#include "instrument/PelmoraConfig.h"
#include "instrument/PelmoraEditorControls.h"
#include "instrument/dsp/EnvelopeParameter.h"
#include "instrument/dsp/PerlinOsc.h"
#include "instrument/dsp/SimpleOsc.h"
#include "instrument/editor/PelmoraTags.h"

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
  mEditorControls = MakePelmoraEditorControls(*this);
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

// ---- Editor side: passed on to the editor's follow-up

namespace
{
// What a parameter's change needs of the editor beyond the parameter display, the linked operator
// controls and the waveform selector's icons, which every change gets.
enum class EFollowUp
{
  kNone,
  kWaveformPreview, // the drawn cycle depends on the parameter
  kModulationArcs,  // one of a modulation slot's source, destination and amount
  kLfoRateControls, // "LFO Sync": which rate control shows
};

constexpr EFollowUp FollowUpOf(int paramIdx)
{
  if (paramIdx >= 0 && paramIdx < kParamAlgorithm)
  {
    const int slot = paramIdx % kOpParamCount;
    // The velocity settings do not change the drawn cycle.
    return slot == kOpVelocityToFreq || slot == kOpVelocitySense ? EFollowUp::kNone
                                                                 : EFollowUp::kWaveformPreview;
  }
  if (paramIdx <= kParamFmAmount) // algorithm, feedback, FM amount
    return EFollowUp::kWaveformPreview;
  if (paramIdx >= kParamMod1Source && paramIdx < kParamMod1Source + kNumModSlots * kModSlotStride)
    return EFollowUp::kModulationArcs;
  if (paramIdx == kParamLfoSync)
    return EFollowUp::kLfoRateControls;
  return EFollowUp::kNone;
}
} // namespace

int Pelmora::GetOperatorAControlTag(int paramIdx)
{
  return OperatorAControlTag(paramIdx);
}

void Pelmora::OnParamChangeUI(int paramIdx, plugin::EParamSource)
{
  mEditorControls->OnParamChange(paramIdx);
  switch (FollowUpOf(paramIdx))
  {
  case EFollowUp::kWaveformPreview:
    UpdateWaveformControl();
    break;
  case EFollowUp::kModulationArcs:
  {
    const int slot = (paramIdx - kParamMod1Source) / kModSlotStride;
    UpdateKnobModulation(slot, ModulationAmount(slot));
    break;
  }
  case EFollowUp::kLfoRateControls:
    UpdateLfoTempoControls();
    break;
  case EFollowUp::kNone:
    break;
  }
}

double Pelmora::ModulationAmount(int slot) const
{
  const IParam* amount = GetParam(kParamMod1Amount + kModSlotStride * slot);
  return amount ? amount->Value() * 0.01 : 0.0;
}

void Pelmora::UpdateKnobModulation(int slot, double amount)
{
  mEditorControls->UpdateKnobModulation(slot, amount);
}

void Pelmora::UpdateWaveformControl()
{
  mEditorControls->UpdateWaveformControl();
}

void Pelmora::UpdateLfoTempoControls()
{
  mEditorControls->UpdateLfoTempoControls();
}

void Pelmora::UpdateEnvelopeControls(std::initializer_list<Envelope> envelopes)
{
  mEditorControls->UpdateEnvelopeControls(envelopes);
}

void Pelmora::OnUIOpen()
{
  mEditorControls->HoldPreview(true);
  plugin::IPluginVST2::OnUIOpen();
  mEditorControls->HoldPreview(false);
}

void Pelmora::CloseWindow()
{
  // The editor's controls reach it (menus, actions) until the graphics context deletes them.
  plugin::IPluginVST2::CloseWindow();
  mEditorControls->Close();
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
