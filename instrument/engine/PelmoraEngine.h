#pragma once

// PelmoraEngine: the synthesis engine behind PelmoraDSP<T> (PelmoraDSP.h), everything but the
// conversion to the host's sample type.
//
// Twelve voices (PelmoraVoice) driven by the MIDI synth frame, two chorus stages, a six-channel
// parameter smoother (output gain, operator levels A-D) and the output gain. A host block is
// rendered in sub-blocks of 32 samples (the last one shorter):
//
//   the model's settings are read once (RefreshSettings: routing, filter, operators, wheel);
//   the smoother runs over the sub-block;
//   the MIDI frame applies the events due and every busy voice renders or, on the fast path,
//   prepares its sub-block; the lane renderer then renders the prepared voices;
//   the chorus stages that are on process the mono mix, the output gain applies.
//
// Every buffer has the size of one sub-block and lives in the engine object, so any host block
// length works and nothing is allocated while rendering.
//
// Threads.
// - [audio thread] ProcessSubBlock, BeginBlock (through PelmoraDSP<T>::ProcessBlock),
//   AddMidiMsgToQueue, SetModWheel, SetAftertouch.
// - [main thread, not while processing] construction, Reset, SetRenderPath.
// - [any thread] SetParam, UpdateLfo1, SetTempo: they write the sound model and the engine's
//   atomics and never block the audio thread. Changes that span several values are published
//   whole: the routing (algorithm, inverse, mono) as one SharedValue record; a modulation slot's
//   routing as one atomic word per matrix; filter type and resonance as single values from which
//   the voices derive the rest. A sub-block therefore renders either before or after a change.
//
// Per instance, never shared: the sample rate, the wave-table set held for it, the chorus
// buffers, the LFO delay and glide lengths, the drift generator.

#include "framework/core/IMidiMsg.h"
#include "framework/plugin/synth/LogParamSmooth.h"
#include "framework/plugin/synth/MidiSynth.h"
#include "instrument/dsp/GlobalParams.h"
#include "instrument/dsp/Relaxed.h"
#include "instrument/dsp/SharedValue.h"
#include "instrument/dsp/WaveTableSet.h"
#include "instrument/engine/Chorus.h"
#include "instrument/engine/EngineParams.h"
#include "instrument/engine/LaneRenderer.h"
#include "instrument/engine/PelmoraVoice.h"

#include <array>
#include <memory>
#include <vector>

class PelmoraEngine
{
public:
  static constexpr int kNumSmoothChannels = 6; // 0 output gain, 1-4 levels of operators A-D
  static constexpr double kDefaultSampleRate = 44100.0;
  static constexpr double kMinSampleRate = 8000.0;
  static constexpr double kMaxSampleRate = 768000.0;
  static constexpr double kDefaultTempo = 120.0;
  static constexpr double kMinTempo = 20.0; // beats per minute
  static constexpr double kMaxTempo = 999.0;
  static constexpr double kMaxCutoffOfRate = 0.49; // the filter stays below Nyquist
  static constexpr double kChorusWet = 0.55;
  static constexpr double kChorusRates[2] = {0.5, 0.83}; // Hz
  static constexpr double kChorusPhases[2] = {1.0, 0.0};
  static constexpr double kChorusDelayMs = 7.0;
  static constexpr double kChorusDelayCentre = 0.595;
  static constexpr double kChorusDelayDepth = 0.495;
  static constexpr double kGainPerDecibel = 0.1151292546497; // ln(10) / 20
  static constexpr double kDefaultLfoDivision = 120.0;       // replaced by "LFO Rate" before use

  // [main thread] nVoices voices following the sound model (not owned), ready to render at
  // 44.1 kHz until the first Reset. Every parameter should then be applied with SetParam.
  PelmoraEngine(int nVoices, GlobalParams* params);
  ~PelmoraEngine();
  PelmoraEngine(const PelmoraEngine&) = delete;
  PelmoraEngine& operator=(const PelmoraEngine&) = delete;

  // [main thread, not while processing] A new sample rate or block size, or a suspend: every
  // voice stops at once, the MIDI queue is emptied. A rate outside 8 kHz .. 768 kHz (or not a
  // number) is ignored and the previous one kept. A new rate rebuilds the chorus stages and
  // takes the wave tables of that rate; the LFO delay, glide length and LFO rate are derived
  // again from their parameters.
  void Reset(double sampleRate, int blockSize);

  // [any thread] Applies parameter paramIdx (0..63) at its real (displayed) value; see
  // PelmoraEngineParams.cpp for each parameter. An unknown index or a value that is not a
  // number is ignored; numeric values are limited to the parameter's range.
  void SetParam(int paramIdx, double value);

  // [any thread] The model's LFO rate from the free rate or, synced, the division at the host
  // tempo; the voices' LFOs pick it up at their next sample.
  void UpdateLfo1(bool sync);

  // [any thread] The host tempo in beats per minute, limited to 20..999; a value that is not a
  // positive number is ignored. A synced LFO follows.
  void SetTempo(double bpm);
  double GetTempo() const { return mTempo; }

  // [audio thread] Queues a MIDI message for the next block (note on/off, controllers, pitch
  // wheel, program change); its offset counts from that block's first sample.
  bool AddMidiMsgToQueue(const plugin::IMidiMsg& msg) { return mSynth.AddMidiMsgToQueue(msg); }
  // [audio thread] Modulation sources of the matrix, 0..1.
  void SetModWheel(float value) { mModWheel = value; }
  void SetAftertouch(float value) { mAftertouch = value; }

  // [audio thread] Before the sub-blocks of a host block: a host tempo of the block (0 when
  // unknown) and the LFO rate it implies.
  void BeginBlock(double tempo);
  // [audio thread] Renders the next n (1..32) samples of the mono output into out.
  void ProcessSubBlock(int n, double* out);

  // [main thread, not while processing] The fast path (default) or the plain reference path.
  void SetRenderPath(ERenderPath path);

  // [any thread] Lays the model's routing for its current algorithm again and publishes it to the
  // voices (SetParam does this for "FM Algorithm", "Inverse Waveform" and "Monophonic Mode").
  void PublishRouting();

  // Inspection.
  double GetSampleRate() const { return mSampleRate; }
  int NVoices() const { return static_cast<int>(mVoices.size()); }
  PelmoraVoice& GetVoice(int index) { return *mVoices[static_cast<size_t>(index)]; }
  const Chorus& GetChorus(int stage) const { return *mChorus[static_cast<size_t>(stage)]; }
  double GetSmootherTarget(int channel) const { return mSmoother.GetTarget(channel); }
  int GetGlideSamples() const { return mContext.mGlideSamples; }
  int GetFilterType() const { return mFilterType; } // the type the voices render, 0..5
  float GetResonance() const { return mResonance; } // 0..1
  double GetMaxCutoff() const { return mContext.mSettings.mMaxCutoff; }

private:
  template <typename Change>
  void LayRouting(Change&& change);
  void BuildChoruses(double sampleRate);
  void RefreshSettings();
  void Smooth(int n);
  void MixOutput(int n, double* out);
  void SetOperatorParam(int op, int slot, double value);
  void SetModulationParam(int index, double value);
  double EffectiveLfoRate() const;
  int GlideSamples(double ms) const;

  GlobalParams& mParams;
  VoiceContext mContext;
  plugin::MidiSynth mSynth;
  std::vector<std::unique_ptr<PelmoraVoice>> mVoices;
  std::unique_ptr<LaneRenderer> mLanes;
  std::shared_ptr<const WaveTableSet> mTables;
  SharedValue<RoutingState> mRouting;
  std::array<std::unique_ptr<Chorus>, 2> mChorus;
  std::array<Relaxed<bool>, 2> mChorusOn{};
  plugin::LogParamSmooth<double, kNumSmoothChannels> mSmoother;

  Relaxed<double> mSampleRate{kDefaultSampleRate};
  Relaxed<double> mTempo{kDefaultTempo};
  Relaxed<double> mLfoFreeRate{2.0};
  Relaxed<double> mLfoDivision{kDefaultLfoDivision};
  Relaxed<double> mLfoDelayMs{0.0};
  Relaxed<double> mGlideMs{0.0};
  Relaxed<int32_t> mFilterType{0}; // the last valid "Filter Type"
  Relaxed<float> mResonance{0.0f}; // "Filter Resonance" / 100
  Relaxed<float> mModWheel{0.0f};
  Relaxed<float> mAftertouch{0.0f};

  alignas(16) std::array<std::array<double, kSubBlockSize>, kNumSmoothChannels> mSmoothed{};
  std::array<double*, kNumSmoothChannels> mSmoothedPointers{};
  alignas(16) std::array<std::array<double, kSubBlockSize>, 2> mVoiceMix{};
};

template <typename Change>
inline void PelmoraEngine::LayRouting(Change&& change)
{
  // Under the record's writers' mutex: two threads changing the routing never interleave, and the
  // record published is always the model's complete routing.
  mRouting.Edit(
    [&](RoutingState& routing)
    {
      change();
      mParams.SetAlgorithm(mParams.mAlgorithm);
      for (int source = 0; source < kNumOperators; ++source)
      {
        for (int destination = 0; destination < kNumOperators; ++destination)
        {
          routing.mDepth[static_cast<size_t>(4 * source + destination)] =
            mParams.Depth(source, destination);
        }
      }
      for (size_t op = 0; op < kNumOperators; ++op)
      {
        routing.mOutputGain[op] = mParams.mOutputs[op].mOutputGain;
      }
      routing.mCarriers = GlobalParams::CarrierMask(mParams.mAlgorithm);
    });
}
