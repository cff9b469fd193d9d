// The follow-up's way into the open editor (EditorWindow): each update finds its control
// by tag, skips one that is missing (not attached yet, or a different kind), and redraws what it
// changed without sending anything back to the host.

#include "instrument/editor/PelmoraEditor.h"

#include "instrument/Pelmora.h"
#include "instrument/editor/controls/IPictureSelectorControls.h"
#include "instrument/editor/controls/IVMultistageEnvelopeControl.h"
#include "instrument/editor/controls/IVTVKnobControl.h"

namespace pelmora::editor
{

namespace
{
template <class T>
T* ControlWithTag(IGraphics& g, int tag)
{
  return dynamic_cast<T*>(g.GetControlWithTag(tag));
}

// Every value slot of the control shows its parameter's current value.
void ShowParamValues(IControl& control)
{
  for (int v = 0; v < control.NVals(); ++v)
    if (const IParam* pParam = control.GetParam(v))
      control.SetValueFromDelegate(pParam->GetNormalized(), v);
}
} // namespace

PelmoraEditorControls& PelmoraEditor::FollowUp()
{
  return mPlug.GetEditorControls();
}

void PelmoraEditor::ShowParameter(const char* name, const char* valueText)
{
  if (mParamDisplay)
    mParamDisplay->SetParameter(name, valueText);
}

void PelmoraEditor::ShowMessage(const char* text)
{
  if (mParamDisplay)
    mParamDisplay->ShowMessage(text);
}

void PelmoraEditor::SetControlValue(int tag, double normalizedValue)
{
  if (IControl* pControl = mGraphics.GetControlWithTag(tag))
    pControl->SetValueFromDelegate(normalizedValue, 0);
}

void PelmoraEditor::SetWaveformIconOffset(int tag, int offset)
{
  if (auto* pMenu = ControlWithTag<IDropdownPanelControl>(mGraphics, tag))
  {
    pMenu->SetPictureOffset(offset);
    pMenu->SetDirty(false);
  }
}

void PelmoraEditor::SetKnobModulation(int tag, int slot, float lower, float upper)
{
  if (auto* pKnob = ControlWithTag<IVTVKnobControl>(mGraphics, tag))
    pKnob->SetModulation(slot, lower, upper);
}

void PelmoraEditor::HideControlsOfParam(int paramIdx, bool hide)
{
  mGraphics.HideControl(paramIdx, hide);
}

void PelmoraEditor::RefreshEnvelopeEditor(int tag)
{
  if (auto* pEnvelope = ControlWithTag<IVMultistageEnvelopeControl>(mGraphics, tag))
    pEnvelope->FitToView();
}

void PelmoraEditor::RedrawControl(int tag)
{
  if (IControl* pControl = mGraphics.GetControlWithTag(tag))
    pControl->SetDirty(false);
}

void PelmoraEditor::ShowKeyboardRow(bool show)
{
  // Without the keyboard the window ends where its row begins. The controls there are hidden,
  // not only out of view: an edge stroked on a control's top (the keys') would otherwise blend
  // into the window's last pixel row.
  const auto top = static_cast<float>(Settings::kEditorHeightWithoutKeyboard);
  for (int i = 0; i < mGraphics.NControls(); ++i)
  {
    IControl* pControl = mGraphics.GetControl(i);
    if (pControl->GetRECT().T >= top && pControl->IsHidden() == show)
      pControl->Hide(!show);
  }
}

void PelmoraEditor::ShowPreset(const char* name, const char* category)
{
  // A fresh instance's sound has no name of its own (the state keeps it empty): the editor shows
  // the host's name of the current program ("Init") so that the name is never blank.
  if (!name || !name[0])
    name = mPlug.GetPresetName(mPlug.GetCurrentPresetIdx());
  if (mPresetBrowser)
    mPresetBrowser->SetPresetName(name);
  if (mParamDisplay)
    mParamDisplay->SetPreset(name, category);
}

void PelmoraEditor::SelectPreset(int index)
{
  if (mPresetBrowser)
    mPresetBrowser->SetCurrentIdx(index);
}

void PelmoraEditor::RebuildPresetMenu()
{
  if (mPresetBrowser)
    mPresetBrowser->RebuildMenu(mPlug.GetPresetManager(), mPlug.GetPresetIndex());
}

void PelmoraEditor::RefreshParameterControls()
{
  for (int i = mFirstResettableControlIdx; i < mGraphics.NControls(); ++i)
    ShowParamValues(*mGraphics.GetControl(i));
  // The parameter shown last showed the sound before: its rows are emptied until the pointer
  // shows another.
  if (mParamDisplay)
    mParamDisplay->SetParameter("", "");
}

void PelmoraEditor::ResetParameterControls()
{
  // The parameters are at their defaults already: the controls show them.
  RefreshParameterControls();
  if (IControl* pLink = mGraphics.GetControlWithTag(kTagOperatorLink))
  {
    pLink->SetValue(0.0);
    pLink->SetDirty(false);
  }
  if (mTabStrip)
  {
    mTabStrip->SelectTab(0);
    mTabStrip->SetDirty(false);
  }
}

} // namespace pelmora::editor
