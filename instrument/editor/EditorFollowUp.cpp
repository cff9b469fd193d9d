// The editor's follow-up of the instrument's changes: which controls each change reaches, by tag,
// and the few things done with no window open.

#include "instrument/editor/EditorFollowUp.h"

#include "instrument/Pelmora.h"
#include "instrument/editor/PelmoraEditor.h"
#include "instrument/engine/ModMatrix.h"

#include <algorithm>

std::unique_ptr<PelmoraEditorControls> MakePelmoraEditorControls(Pelmora& plug)
{
  return std::make_unique<pelmora::editor::EditorFollowUp>(plug);
}

namespace pelmora::editor
{

namespace
{
int IconsFor(double inverse)
{
  return inverse >= 0.5 ? kWaveformIconsInverted : kWaveformIconsNormal;
}

// The knob a modulation destination (ModMatrix::EDestination) moves; 0 for none.
int ModulationKnobTag(int destination)
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

// The arc of one slot on the knob of its destination: a bipolar source (the LFO) spans
// -|amount|..|amount|, "-" nothing, the others 0..amount (or amount..0).
void ModulationRange(int source, float amount, float& lower, float& upper)
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
} // namespace

EditorFollowUp::EditorFollowUp(Pelmora& plug) : mPlug(plug) {}

void EditorFollowUp::Attach(std::unique_ptr<EditorWindow> window)
{
  mWindow = std::move(window);
}

double EditorFollowUp::Value(int paramIdx) const
{
  const plugin::IParam* param = mPlug.GetParam(paramIdx);
  return param ? param->Value() : 0.0;
}

// ---- The window

void EditorFollowUp::Open(IGraphics& graphics)
{
  // An editor still attached (its context gone without a close) is freed first. The layout only
  // builds; once every control is there, the follow-up shows what depends on the sound.
  Attach(nullptr);
  auto editor = std::make_unique<PelmoraEditor>(mPlug, graphics);
  editor->Layout();
  Attach(std::move(editor));
  UpdateLfoTempoControls();
  UpdateDisplayPresetName();
}

void EditorFollowUp::Close()
{
  mWindow.reset();
}

void EditorFollowUp::HoldPreview(bool hold)
{
  mHoldPreview = hold;
  if (!hold && mPreviewAsked)
  {
    mPreviewAsked = false;
    UpdateWaveformControl();
  }
}

// ---- One parameter

void EditorFollowUp::OnParamChange(int paramIdx)
{
  const plugin::IParam* param = mPlug.GetParam(paramIdx);
  if (!mWindow || !param)
    return;
  ShowParameter(paramIdx);
  if (paramIdx >= kParamAlgorithm)
    return;

  // An operator parameter: with the link on, the same control of every operator shows the value;
  // an inversion switch sets its operator's (or, linked, every operator's) waveform icons.
  const int slot = paramIdx % kOpParamCount;
  const bool linked = mPlug.GetOperatorLink();
  if (linked)
  {
    const double normalized = param->GetNormalized();
    for (int op = 0; op < kNumOperators; op++)
      mWindow->SetControlValue(OperatorControlTag(op, slot), normalized);
  }
  if (slot == kOpInverse)
  {
    const int icons = IconsFor(param->Value());
    for (int op = 0; op < kNumOperators; op++)
    {
      if (linked || op == paramIdx / kOpParamCount)
        mWindow->SetWaveformIconOffset(OperatorControlTag(op, kOpWaveform), icons);
    }
  }
}

void EditorFollowUp::ShowParameter(int paramIdx)
{
  const plugin::IParam* param = mPlug.GetParam(paramIdx);
  if (!mWindow || !param)
    return;
  Util_String display;
  param->GetDisplayWithLabel(display, true);
  Util_String name;
  name.SetFormatted(32, "%s", param->GetName());
  mWindow->ShowParameter(name.Get(), display.Get());
}

// ---- Modulation arcs

void EditorFollowUp::UpdateKnobModulation(int slot, double amount)
{
  if (!mWindow || slot < 0 || slot >= kNumModSlots)
    return;
  for (int destination = 0; destination < ModMatrix<float>::kNumDestinations; destination++)
  {
    if (const int knob = ModulationKnobTag(destination))
      mWindow->SetKnobModulation(knob, slot, 0.0f, 0.0f);
  }
  const int destination = static_cast<int>(Value(kParamMod1Destination + kModSlotStride * slot));
  const int tag = ModulationKnobTag(destination);
  if (tag == 0)
    return;
  const int source = static_cast<int>(Value(kParamMod1Source + kModSlotStride * slot));
  float lower = 0.0f;
  float upper = 0.0f;
  ModulationRange(source, static_cast<float>(amount), lower, upper);
  mWindow->SetKnobModulation(tag, slot, lower, upper);
}

// ---- The displays that follow the model

void EditorFollowUp::UpdateWaveformControl()
{
  if (mHoldPreview)
  {
    mPreviewAsked = true;
    return;
  }
  // With no window nobody sees the preview: the next window's opening computes it.
  if (!mWindow)
    return;
  mPlug.GetWaveform().Update();
  mWindow->RedrawControl(kTagWaveformPreview);
}

void EditorFollowUp::UpdateLfoTempoControls()
{
  if (!mWindow)
    return;
  const bool synced = Value(kParamLfoSync) >= 0.5;
  mWindow->HideControlsOfParam(kParamLfoRateHz, synced);
  mWindow->HideControlsOfParam(kParamLfoRateDivision, !synced);
}

void EditorFollowUp::UpdateEnvelopeControls(std::initializer_list<Envelope> envelopes)
{
  for (Envelope envelope : envelopes)
  {
    if (envelope < 0 || envelope >= kNumEnvelopes)
      continue;
    if (mWindow)
      mWindow->RefreshEnvelopeEditor(EnvelopeEditorTag(envelope));
    else
      mEnvelopeViews[static_cast<size_t>(envelope)] = {}; // fitted when an editor opens
  }
}

plugin::igraphics::EnvelopeView* EditorFollowUp::GetEnvelopeView(int envelope)
{
  if (envelope < 0 || envelope >= kNumEnvelopes)
    return nullptr;
  return &mEnvelopeViews[static_cast<size_t>(envelope)];
}

void EditorFollowUp::UpdateDisplayPresetName()
{
  if (mWindow)
    mWindow->ShowPreset(mPlug.GetPresetName(), mPlug.GetPresetCategory());
}

void EditorFollowUp::ShowSound(bool initial)
{
  if (!mWindow)
    return;
  if (initial)
  {
    mPlug.SetOperatorLink(false);
    mWindow->ResetParameterControls();
  }
  else
  {
    mWindow->RefreshParameterControls();
  }
  if (mPlug.GetPresetIndex() >= 0)
    mWindow->SelectPreset(mPlug.GetPresetIndex());
  for (int op = 0; op < kNumOperators; op++)
    mWindow->SetWaveformIconOffset(OperatorControlTag(op, kOpWaveform),
                                   IconsFor(Value(OpParamIndex(op, kOpInverse))));
}

// ---- Passed on

void EditorFollowUp::ShowKeyboardRow(bool show)
{
  if (mWindow)
    mWindow->ShowKeyboardRow(show);
}

void EditorFollowUp::RebuildPresetMenu()
{
  if (mWindow)
    mWindow->RebuildPresetMenu();
}

void EditorFollowUp::ShowMessage(const char* text)
{
  if (mWindow)
    mWindow->ShowMessage(text);
}

} // namespace pelmora::editor
