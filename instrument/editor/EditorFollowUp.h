#pragma once
// EditorFollowUp: the editor's side of the instrument (PelmoraEditorControls), from the
// instrument's construction to its destruction.
//
// It keeps what the editor needs beyond one window: the view each envelope editor last showed,
// and the open editor itself (PelmoraEditor, or any EditorWindow), which it owns from its layout
// until its graphics context is gone. Every follow-up of a change reads the parameters, the
// operator link and the preset's identity from the instrument and updates the open editor's
// controls by tag; with no window it only forgets the envelope views of a replaced sound (the
// waveform preview is computed when the next window opens).
//
// Threads: [main thread] only.

#include "instrument/PelmoraEditorControls.h"
#include "instrument/editor/EditorWindow.h"
#include "instrument/editor/controls/EnvelopeView.h"

#include <array>
#include <memory>

namespace pelmora::editor
{

class EditorFollowUp final : public PelmoraEditorControls
{
public:
  explicit EditorFollowUp(Pelmora& plug);

  // Takes the open editor's window (null: none); the one before it is freed.
  void Attach(std::unique_ptr<EditorWindow> window);

  // ---- PelmoraEditorControls
  void Open(plugin::igraphics::IGraphics& graphics) override;
  void Close() override;
  void HoldPreview(bool hold) override;
  void OnParamChange(int paramIdx) override;
  void ShowParameter(int paramIdx) override;
  void UpdateKnobModulation(int slot, double amount) override;
  void UpdateWaveformControl() override;
  void UpdateLfoTempoControls() override;
  void UpdateEnvelopeControls(std::initializer_list<Envelope> envelopes) override;
  void UpdateDisplayPresetName() override;
  void ShowSound(bool initial) override;
  plugin::igraphics::EnvelopeView* GetEnvelopeView(int envelope) override;
  void ShowKeyboardRow(bool show) override;
  void RebuildPresetMenu() override;
  void ShowMessage(const char* text) override;

private:
  // A parameter's value; 0 for an index outside the table.
  double Value(int paramIdx) const;

  Pelmora& mPlug;
  std::unique_ptr<EditorWindow> mWindow; // the open editor; null while none is open
  std::array<plugin::igraphics::EnvelopeView, kNumEnvelopes> mEnvelopeViews{};
  bool mHoldPreview = false;
  bool mPreviewAsked = false; // a preview update asked for while held
};

} // namespace pelmora::editor
