#pragma once
// The open editor as its follow-up (EditorFollowUp.h) reaches it: the few controls updated from
// outside them, found by tag. PelmoraEditor implements it over its graphics context; a control
// that is missing (not attached yet, or of another kind) is skipped.
//
// Threads: [main thread] only.

#include "instrument/editor/PelmoraTags.h" // the controls' tags

namespace pelmora::editor
{

// Icon sets of the waveform selectors.
constexpr int kWaveformIconsNormal = 0;
constexpr int kWaveformIconsInverted = 11;

class EditorWindow
{
public:
  virtual ~EditorWindow() = default;

  // The parameter display shows the last changed parameter's name and value text; redrawn.
  virtual void ShowParameter(const char* name, const char* valueText) = 0;
  // Value slot 0 of the control with the tag follows a normalized value (as a value from the
  // delegate: a control the user is dragging keeps its own).
  virtual void SetControlValue(int tag, double normalizedValue) = 0;
  // A waveform selector shows the normal or the inverted icon set; redrawn.
  virtual void SetWaveformIconOffset(int tag, int offset) = 0;
  // One modulation slot's (0..3) range on a knob, in normalized units of the amount; the knob
  // draws the sums of the lower and of the upper bounds over its slots as its arc; redrawn.
  virtual void SetKnobModulation(int tag, int slot, float lower, float upper) = 0;
  // Hides (or shows) every control bound to a parameter.
  virtual void HideControlsOfParam(int paramIdx, bool hide) = 0;
  // An envelope editor re-reads its envelope from the sound model and redraws.
  virtual void RefreshEnvelopeEditor(int tag) = 0;
  // Redraws a control whose data changed outside it (the waveform preview).
  virtual void RedrawControl(int tag) = 0;
  // Shows or hides the controls of the keyboard row and below (wheels, keyboard, output section,
  // version text), which lie outside the window while the keyboard is off.
  virtual void ShowKeyboardRow(bool show) = 0;

  // The preset browser's caption and the parameter display show a preset's name and category.
  virtual void ShowPreset(const char* name, const char* category) = 0;
  // The preset browser selects a position of the flat preset index.
  virtual void SelectPreset(int index) = 0;
  // The preset browser rebuilds its menu from the rescanned preset index and selects its first
  // position (after a save).
  virtual void RebuildPresetMenu() = 0;
  // Every parameter-bound control from the first operator control on shows its parameter's
  // current value (after a whole sound: a preset file, a restored state); the parameter display
  // no longer shows the parameter it showed with the sound before.
  virtual void RefreshParameterControls() = 0;
  // The initial sound in the editor: parameter-bound controls at their defaults, the operator
  // link switch off, the operator tabs on their first page.
  virtual void ResetParameterControls() = 0;
  // A short message of the instrument's (a manual that cannot be opened, a preset that could
  // not be saved) in the preset display, in place of the parameter shown last.
  virtual void ShowMessage(const char* text) = 0;
};

} // namespace pelmora::editor
