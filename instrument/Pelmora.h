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
// - Editor-side changes (OnParamChangeUI and the Update* functions, main thread): passed on to
//   the editor's side (PelmoraEditorControls, made in instrument/editor/), which keeps the
//   editor's dependent displays in step (parameter display, linked operator controls, waveform
//   icons, waveform preview, modulation arcs). The instrument knows its editor only through that
//   interface.
// - Block processing and reset are forwarded to the engine; the host tempo reaches a
//   tempo-synced LFO.
//
// The editor's theme (PelmoraTheme.h) is reached through the class as Pelmora::ColorA,
// Pelmora::TextLabel, Pelmora::StyleKnobRegular ...: constants only, no state.
//
// Persistence (PelmoraPersistence.cpp): the host's state chunk (name, category and index of the
// current preset, the five envelopes, the parameter values), JSON preset files in the "Presets"
// folder and their index, "settings.ini" with the editor scale and keyboard, and the manual.
// Every restore or load checks its whole input first and changes nothing when it is refused;
// what it accepts, and the initial sound, take one road (ApplySound) to the model, the engine,
// the editor and the host.

#include "framework/plugin/vst2/IPluginVST2.h"
#include "framework/util/UtilString.h"
#include "instrument/PelmoraParameters.h"
#include "instrument/Waveform.h"
#include "instrument/dsp/GlobalParams.h"
#include "instrument/editor/PelmoraTheme.h"
#include "instrument/engine/PelmoraDSP.h"
#include "instrument/persistence/DiskPresetManager.h"
#include "instrument/persistence/InstrumentState.h"
#include "instrument/persistence/Settings.h"

#include <array>
#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>

class PelmoraEditorControls;

namespace plugin::igraphics
{
class IDropdownPanelControl;
class IGraphics;
class IVMultistageEnvelopeControl;
struct ISVG;
struct ITabPanel;
} // namespace plugin::igraphics

class Pelmora : public plugin::IPluginVST2, public PelmoraTheme
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
  // [main thread] A change that concerns the editor; the source is not used. The editor's
  // follow-up shows the parameter (display, linked operator controls, icon sets); what else the
  // change needs is chosen here: the waveform preview, a modulation slot's arcs or the LFO rate
  // controls, through the Update functions below.
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

  // The editor's side, from construction to destruction: the editor's follow-up of changes, and
  // the open editor (laid out by the delegate's layout function, freed by CloseWindow).
  PelmoraEditorControls& GetEditorControls() const { return *mEditorControls; }
  // Closes the editor's window, then frees the editor.
  void CloseWindow() override;
  // The editor opened: every control shows its parameter's value, and the displays that depend
  // on several parameters follow, the waveform preview computed once.
  void OnUIOpen() override;

  // Builds one operator's controls (tags tagBase + 2 .. tagBase + 10, parameters paramBase ..
  // paramBase + 7) in the editor: completes and attaches its waveform menu (with the 22 waveform
  // pictures, plain then inverted) and its envelope editor, attaches the inversion switch, the
  // ratio and offset fields and the four knobs, each listed in the operator's tab panel, and one
  // "ENVELOPE" label outside the panel (the label of every operator's envelope).
  static void AttachControlsToOpTab(plugin::igraphics::IGraphics* pGraphics,
                                    plugin::igraphics::ITabPanel* pPanel, int paramBase,
                                    int tagBase, const plugin::igraphics::IVStyle& knobStyle,
                                    const plugin::igraphics::IVStyle& valueStyle,
                                    plugin::igraphics::IDropdownPanelControl* pWaves,
                                    plugin::igraphics::IVMultistageEnvelopeControl* pEnvelope,
                                    std::span<const plugin::igraphics::ISVG> wavePictures,
                                    std::span<const plugin::igraphics::ISVG> inversionPictures,
                                    const std::function<void(int)>& hoverFunc);
  // The operator-link switch.
  bool GetOperatorLink() const { return mOperatorLink.load(); }
  void SetOperatorLink(bool link) { mOperatorLink.store(link); }

  // The tag of operator A's control for the slot of an operator parameter; -1 above 31.
  static int GetOperatorAControlTag(int paramIdx);

  // What the editor's follow-up (PelmoraEditorControls) does for a change, chosen by
  // OnParamChangeUI and ApplySound: each passes the call on.
  // Refreshes the arcs of one modulation slot (0..3); amount in -1..1.
  void UpdateKnobModulation(int slot, double amount);
  // Recomputes the waveform preview and redraws its control.
  void UpdateWaveformControl();
  // Shows the LFO rate controls that match "LFO Sync": the division when synced, else hertz.
  void UpdateLfoTempoControls();
  // The envelope editors of the listed envelopes re-read the sound model.
  void UpdateEnvelopeControls(std::initializer_list<Envelope> envelopes);

  // ---- Persistence [main thread; the host's thread for the chunk hooks, never while processing]

  // Appends the instrument's state (StateChunk.h).
  bool SerializeState(plugin::IByteChunk& chunk) const override;
  // Restores a whole state, or refuses it (answering -1) and changes nothing. Every successful
  // restore applies everything through ApplySound (from the host): envelopes, parameters and
  // the preset's identity (an index of -1 or more keeps the chunk's name and index; below -1
  // the first preset file's envelopes and identity with the chunk's parameter values).
  int UnserializeState(const plugin::IByteChunk& chunk, int startPos) override;
  // Where the state at startPos ends, or -1 when UnserializeState would refuse it; reads only.
  int CheckState(const plugin::IByteChunk& chunk, int startPos) const override;
  // The initial sound, named "Init", index -1, through ApplySound (the user's): the program is
  // named "Init" and the host told.
  void InitPreset();
  // Loads the preset at index of the flat preset index through ApplySound (the user's); false,
  // changing nothing, for an index outside it or a file that cannot be read or is refused.
  bool LoadPreset(int index);
  // Writes the current sound to path as a preset named after the file; false, keeping the
  // current name, category and index, when the file could not be written or is read-only. The
  // path is normalised and takes the ".preset" extension when it lacks it. An empty path (a
  // cancelled file prompt) changes nothing.
  bool SavePreset(const char* path);
  // The editor's "Save Preset...": asks where to save through the open editor's file prompt
  // (the desktop's save dialog, or the in-window name field under the "Presets" folder, where
  // "Category/Name" files the preset in a category folder), proposing the current preset's
  // place, and saves there once the prompt answers; the editor runs on meanwhile. A cancelled
  // prompt saves nothing; a save that fails shows a message in the editor. Nothing happens
  // without an open editor.
  void SavePreset();
  // mPresetCategory becomes the name of the folder holding path.
  void SetPresetCategoryNameByPath(const char* path);
  // Writes "settings.ini"; false when there is no support folder or the write failed.
  bool SaveSettings();
  // Remembers the scale and resizes the editor to 1011 x (601 or 502) points at it: an open
  // editor asks the host for its new window size (VST2 size request) and resizes its window
  // and frame buffer; a closed one reports the new size to the host's next size query.
  void Resize(float scale);
  // With flip set, shows or hides the on-screen keyboard and saves the settings; always
  // resizes the editor to match, at its current scale.
  void ToggleKeyboard(bool flip);
  // Opens "Pelmora Manual.pdf" of the support folder; the result says what went wrong, and an
  // open editor shows that in its preset display.
  EManualResult OpenManual() const;
  // The editor shows the current preset's name and category.
  void UpdateDisplayPresetName();
  // The rate controls, the envelope editors and the waveform preview follow the model.
  void UpdateAllCustomControls();
  // [main thread] After the host restored a state or program: the restore took the whole-sound
  // road, which has shown the sound in the editor already.
  void OnRestoreState() override;

  // The current preset's name (a program slot's name is GetPresetName(slot) of the base).
  using plugin::IPluginVST2::GetPresetName;
  const char* GetPresetName() const { return mPresetName.Get(); }
  const char* GetPresetCategory() const { return mPresetCategory.Get(); }
  int GetPresetIndex() const { return mPresetIndex; }
  float GetScale() const { return mScale; }
  bool GetShowKeyboard() const { return mShowKeyboard; }
  plugin::igraphics::DiskPresetManager& GetPresetManager() { return *mPresetManager; }

  GlobalParams& GetGlobalParams() { return *mGlobalParams; }
  Waveform& GetWaveform() { return *mWaveform; }

private:
  // Who brings a whole sound, which decides who must hear of it.
  enum class ESoundSource
  {
    kHost,    // the host's state chunk or program: the host caused the change
    kStartUp, // the constructor: no host holds the instance yet
    kPreset,  // the user loaded a preset file (the preset browser)
    kInit,    // the user asked for the initial sound (the main menu)
  };
  // The one road for a whole sound, whatever brings it: stores the envelopes and every
  // parameter value, takes the preset's identity (a sound with a place in the preset index, or
  // the initial sound, names the current program), then tells the engine once (every
  // parameter), an open editor once (every control and display, the waveform preview computed
  // once; the initial sound also turns the operator link off and shows operator A), and, when
  // the change came from the plug-in itself (the user's preset or initial sound), the host: one
  // automation call for each parameter whose value changed (hosts that re-read nothing on the
  // update-display call keep their copy of the values right so) and then one update-display
  // call (the program name). The host's own chunk or program is not announced back: the host
  // made that change and reads what it needs itself. Parameter changes queued for the editor
  // before the sound are dropped. [main thread] Never the audio thread.
  void ApplySound(const InstrumentState& sound, ESoundSource source);

  void ApplyParam(int paramIdx, bool followLink);
  // A modulation slot's (0..3) amount in -1..1.
  double ModulationAmount(int slot) const;
  void InitParameter();
  void LoadSettings();
  // The editor's size in pixels at the remembered scale, for the host's size query.
  void SetScaledEditorSize();
  // Stores the editor's graphics factory and layout function in the editor delegate.
  void SetUpEditor();
  void LoadInitialPreset();
  // The sample rate the envelopes are converted at: the model's (44100 before the host set one).
  float ModelSampleRate() const;
  // What SerializeState writes, gathered from parameters, model and preset identity.
  void GatherState(InstrumentState& state) const;
  // Reads the preset at index of the flat preset index into sound: its identity, its envelopes
  // and the parameter values it sets (a file may set fewer than all). False, with sound
  // unchanged, for an index outside the index or a file that cannot be read or is refused.
  bool ReadPreset(int index, InstrumentState& sound) const;
  // LoadPreset for a source.
  bool LoadPresetFrom(int index, ESoundSource source);

  std::unique_ptr<PelmoraDSP<double>> mDSP;
  std::unique_ptr<GlobalParams> mGlobalParams;
  std::unique_ptr<Waveform> mWaveform;
  std::atomic<bool> mOperatorLink{false};
  std::unique_ptr<PelmoraEditorControls> mEditorControls; // the editor's side
  Util_String mSupportPath{128};
  Util_String mSettingsPath{128};
  Util_String mPresetsPath{128};
  // Editor settings and the current preset's identity: read, written and shown by the
  // persistence layer and the editor.
  float mScale = 1.0f;       // setting "scale"
  bool mShowKeyboard = true; // setting "showkeyboard"
  Util_String mPresetName{128};
  Util_String mPresetCategory{128};
  int mPresetIndex = 0; // in the flat preset index; -1 for the initial sound
  std::unique_ptr<plugin::igraphics::DiskPresetManager> mPresetManager;
  // The host tempo of the last block, for the idle hook (the transport record itself belongs to
  // the audio thread).
  std::atomic<double> mHostTempo{PelmoraEngine::kDefaultTempo};
};
