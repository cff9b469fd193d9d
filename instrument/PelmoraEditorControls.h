#pragma once
// What the instrument reaches of its editor: the editor's side of the instrument, whether or not a
// window is open.
//
// Most controls follow their parameters on their own (the editor delegate sends every value to
// every control bound to the parameter). What depends on more than one parameter, on the sound
// model or on the preset's identity is the editor's follow-up, kept here: the parameter display,
// the linked operator controls, the waveform selectors' icon sets, the modulation arcs on knobs,
// the LFO rate controls, the envelope editors (and the view each one last showed), the waveform
// preview and the preset browser. The instrument owns one (made by MakePelmoraEditorControls,
// instrument/editor/) from its construction to its destruction and tells it what changed; the
// follow-up reaches the controls of the open editor, and does what needs no window (forgetting
// the envelope views of a replaced sound) while none is open; the waveform preview is computed
// only for an open editor (its opening computes it).
//
// Threads: [main thread] only, like the editor itself.

#include "instrument/dsp/GlobalParams.h" // Envelope

#include <initializer_list>
#include <memory>

class Pelmora;

namespace plugin::igraphics
{
class IGraphics;
struct EnvelopeView;
} // namespace plugin::igraphics

// The editor's redraws per second.
inline constexpr int kEditorFrameRate = 60;

class PelmoraEditorControls
{
public:
  virtual ~PelmoraEditorControls() = default;

  // ---- The editor's window

  // Lays the editor out on a new graphics context (the editor delegate's layout function), then
  // shows the LFO rate controls and the preset's name; the follow-up reaches its controls from
  // here on.
  virtual void Open(plugin::igraphics::IGraphics& graphics) = 0;
  // The graphics context and its controls are gone: frees the editor (its menus and actions).
  virtual void Close() = 0;
  // While held, the waveform preview asked for by parameter changes is computed once, when
  // released (the opening walks every parameter through OnParamChange).
  virtual void HoldPreview(bool hold) = 0;

  // ---- The follow-up of the instrument's changes

  // One parameter changed for the editor: the parameter display shows it, and for an operator
  // parameter the linked operator controls and the waveform icon sets follow. What else a change
  // needs (preview, arcs, rate controls) the instrument chooses and asks for below.
  virtual void OnParamChange(int paramIdx) = 0;
  // The parameter display shows the parameter's name and its value text with its unit.
  virtual void ShowParameter(int paramIdx) = 0;
  // Refreshes the arcs of one modulation slot (0..3); amount in -1..1.
  virtual void UpdateKnobModulation(int slot, double amount) = 0;
  // Recomputes the waveform preview and redraws its control; nothing while no window is open.
  virtual void UpdateWaveformControl() = 0;
  // Shows the LFO rate controls that match "LFO Sync": the division when synced, else hertz.
  virtual void UpdateLfoTempoControls() = 0;
  // The envelope editors of the listed envelopes re-read the sound model; with no window, their
  // views are forgotten (the next editor fits them).
  virtual void UpdateEnvelopeControls(std::initializer_list<Envelope> envelopes) = 0;
  // The preset browser and the parameter display show the current preset's name and category.
  virtual void UpdateDisplayPresetName() = 0;
  // A whole sound arrived: every parameter-bound control shows it (the initial sound: at the
  // defaults, the operator link off, operator A's tab), the browser selects its place in the
  // preset index, the icon sets follow.
  virtual void ShowSound(bool initial) = 0;
  // The view (zoom and scroll) each envelope editor last showed, kept while no editor is open;
  // unset until an editor has shown the envelope. Null for an envelope outside 0..4.
  virtual plugin::igraphics::EnvelopeView* GetEnvelopeView(int envelope) = 0;

  // ---- Passed on to an open editor

  // Shows or hides the keyboard row and below.
  virtual void ShowKeyboardRow(bool show) = 0;
  // The preset browser rebuilds its menu from the rescanned preset index.
  virtual void RebuildPresetMenu() = 0;
  // A short message of the instrument's in the preset display.
  virtual void ShowMessage(const char* text) = 0;
};

// [main thread] The instrument's editor side (instrument/editor/EditorFollowUp.cpp).
std::unique_ptr<PelmoraEditorControls> MakePelmoraEditorControls(Pelmora& plug);
