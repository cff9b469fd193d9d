#pragma once
// Pelmora: the instrument's plug-in object, the one class the factory builds for a host.
//
// It owns the sound model (GlobalParams), the synthesis engine and the waveform preview, declares
// the 64 parameters, and joins the host-facing hooks of the plug-in base to the engine:
//
// - MIDI from the host (ProcessMidiMsg, audio thread): notes, program changes, pitch wheel and
//   controllers are queued for the engine and passed on to the host as MIDI output; channel
//   pressure only sets the engine's aftertouch value, and polyphonic key pressure is neither
//   queued nor passed on.
// - Parameter changes (OnParamChange, on the thread that made them): applied to the engine at
//   once. With the operator link on, an edit of an operator parameter is copied to the same
//   parameter of all four operators.
// - Editor-side changes (OnParamChangeUI, main thread): keep the editor's dependent displays in
//   step (parameter display, linked operator controls, waveform icons, waveform preview,
//   modulation arcs). They go through PelmoraEditorControls and do nothing while no editor is
//   open.
// - Block processing and reset are forwarded to the engine; the host tempo reaches a
//   tempo-synced LFO.
//
// Presets, settings and the host state chunk beyond the parameter values are added by the
// persistence layer: see LoadSettings and LoadInitialPreset.

#include "framework/plugin/vst2/IPluginVST2.h"
#include "framework/util/UtilString.h"
#include "instrument/PelmoraParameters.h"
#include "instrument/Waveform.h"
#include "instrument/dsp/GlobalParams.h"
#include "instrument/engine/PelmoraDSP.h"

#include <atomic>
#include <initializer_list>
#include <memory>

class PelmoraEditorControls;

class Pelmora : public plugin::IPluginVST2
{
public:
  static constexpr int kNumVoices = 12;
  static constexpr int kWaveformPoints = 183;

  // The plug-in's fixed description.
  static plugin::Config MakeConfig();

  // [main thread] Built by the factory under its process-wide lock.
  explicit Pelmora(const plugin::InstanceInfo& info);
  ~Pelmora() override;

  // ---- Hooks of the plug-in base

  // [any thread] The thread of the change (host automation, editor, preset or state restore).
  // An edit (from the host or the editor) follows the operator link; a reset or a recalled
  // state, which brings every parameter's own value, never does.
  void OnParamChange(int paramIdx, plugin::EParamSource source, int sampleOffset) override;
  void OnParamChange(int paramIdx) override;
  // [main thread] A change that concerns the editor; the source is not used.
  void OnParamChangeUI(int paramIdx, plugin::EParamSource source) override;
  // [main thread] No message is handled.
  bool OnMessage(int msgTag, int ctrlTag, int dataSize, const void* pData) override;
  // [main thread] Every 20 ms: hands a changed host tempo to a tempo-synced LFO.
  void OnIdle() override;
  // [audio thread] No allocation, no locks, no I/O.
  void ProcessBlock(double** inputs, double** outputs, int nFrames) override;
  // [audio thread] No allocation, no locks, no I/O.
  void ProcessMidiMsg(const plugin::IMidiMsg& msg) override;
  // [main thread, while the host does not process] Rate or block size changed, or suspended.
  void OnReset() override;

  // ---- Editor side [main thread]

  // The editor hands over its controls when it opens; closing the editor drops them.
  void SetEditorControls(PelmoraEditorControls* controls) { mEditorControls = controls; }
  void OnUIClose() override;
  // The operator-link switch.
  bool GetOperatorLink() const { return mOperatorLink.load(); }
  void SetOperatorLink(bool link) { mOperatorLink.store(link); }

  // The tag of operator A's control for the slot of an operator parameter; -1 above 31.
  static int GetOperatorAControlTag(int paramIdx);
  // The modulation arc of one slot on the knob of its destination: a bipolar source (the LFO)
  // spans -|amount|..|amount|, "-" nothing, the others 0..amount (or amount..0).
  static void ModulationRange(int source, float amount, float& lower, float& upper);
  // The knob a modulation destination moves (destinations 1..12); 0 for none.
  static int ModulationKnobTag(int destination);

  // Refreshes the arcs of one modulation slot (0..3); amount in -1..1.
  void UpdateKnobModulation(int slot, double amount);
  // Recomputes the waveform preview and redraws its control.
  void UpdateWaveformControl();
  // Shows the LFO rate controls that match "LFO Sync": the division when synced, else hertz.
  void UpdateLfoTempoControls();
  // The envelope editors of the listed envelopes re-read the sound model.
  void UpdateEnvelopeControls(std::initializer_list<Envelope> envelopes);

  GlobalParams& GetGlobalParams() { return *mGlobalParams; }
  PelmoraDSP<double>& GetDSP() { return *mDSP; }
  Waveform& GetWaveform() { return *mWaveform; }

  // The support folder (ending in '/') and the two paths in it.
  const char* GetSupportPath() const { return mSupportPath.Get(); }
  const char* GetSettingsPath() const { return mSettingsPath.Get(); }
  const char* GetPresetsPath() const { return mPresetsPath.Get(); }

private:
  void ApplyParam(int paramIdx, bool followLink);
  void InitParameter();
  void LoadSettings();
  // Stores the editor's graphics factory and layout function in the editor delegate.
  void SetUpEditor();
  void LoadInitialPreset();

  std::unique_ptr<PelmoraDSP<double>> mDSP;
  std::unique_ptr<GlobalParams> mGlobalParams;
  std::unique_ptr<Waveform> mWaveform;
  std::atomic<bool> mOperatorLink{false};
  PelmoraEditorControls* mEditorControls = nullptr; // not owned; set while the editor is open
  Util_String mSupportPath{128};
  Util_String mSettingsPath{128};
  Util_String mPresetsPath{128};
  // Editor settings and the current preset's identity: read, written and shown by the
  // persistence layer and the editor.
  float mScale = 1.0f;       // setting "scale"
  bool mShowKeyboard = true; // setting "showkeyboard"
  Util_String mPresetName{128};
  Util_String mPresetCategory{128};
  int mPresetIndex = 0;        // in the flat preset index; -1 for the initial sound
  bool mStateRestored = false; // set by the first state restore
  // The host tempo of the last block, for the idle hook (the transport record itself belongs to
  // the audio thread).
  std::atomic<double> mHostTempo{PelmoraEngine::kDefaultTempo};
};
