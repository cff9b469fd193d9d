#pragma once

// PelmoraVoice: one of the engine's voices (PelmoraDSP<T>::Voice): four wave-table operators
// combined by the current algorithm with feedback on operator D, a modulation matrix with the
// modulation envelope and LFO, glide, pitch drift and a filter (four ladder low-pass types and
// state-variable high- and band-pass).
//
// The voice allocator triggers and releases it and asks it once per sub-block (at most 32
// samples) to render. All sound settings come from the engine's VoiceContext, which the engine
// refreshes from the sound model at the start of every sub-block, so every voice of a sub-block
// renders the same settings, and a parameter change applies between sub-blocks, whole.
//
// Rendering has two paths with the same result (tests hold them to it):
// - the plain path renders the voice alone, sample by sample, with the scalar functions of
//   VoiceKernel.h, straight into the outputs;
// - the fast path only prepares the sub-block (frame, envelope amplitudes) and joins the engine's
//   list of active voices; the engine's LaneRenderer then renders four voices per SIMD register.
// Per-sub-block work (glide, modulation targets, frequencies, filter coefficients) is shared.
//
// Pitch. Operator k plays 440 * 2^(glide + (shift_k + drift + bend + pitch modulation) / 12) Hz
// times its ratio, plus its offset in Hz, where glide is the key's pitch in octaves relative to
// key 69 (moving from the previous key when a glide time is set) and shift_k the operator's
// "Velocity > Frequency" shift: trunc(key + velocity * value * 0.24) - key semitones, the note
// clamped to 0..127 (up to two octaves up or down at full velocity and +-100 %). The wave-table
// band level follows the operator's own frequency, ratio and offset included.

#include "framework/plugin/synth/MidiSynth.h"
#include "framework/plugin/synth/SynthVoice.h"
#include "instrument/dsp/GlobalParams.h"
#include "instrument/dsp/MultistageEnvelope.h"
#include "instrument/dsp/Relaxed.h"
#include "instrument/dsp/WaveTableSet.h"
#include "instrument/engine/ModMatrix.h"
#include "instrument/engine/VoiceKernel.h"

#include <array>
#include <cstdint>
#include <vector>

class PelmoraVoice;

constexpr int kSubBlockSize = plugin::MidiSynth::kSubBlockSize;

// The routing the voices render: laid by the parameter thread and published whole.
struct RoutingState
{
  std::array<float, kNumOperators * kNumOperators> mDepth{}; // 4 * source + destination
  std::array<float, kNumOperators> mOutputGain{};
  int32_t mCarriers = 1; // bit k: operator k is a carrier
};

// The model's settings as one sub-block renders them, read once at its start.
struct SubBlockSettings
{
  struct Operator
  {
    int mWaveform = 0;
    float mRatio = 1.0f;
    float mOffset = 0.0f;      // Hz
    float mPhaseOffset = 0.0f; // table units, [0, 8192]
  };

  RoutingState mRouting;
  std::array<Operator, kNumOperators> mOps{};
  float mFmAmount = 0.0f;
  float mFeedbackAmount = 0.0f;
  int mFilterType = 0; // always 0..5
  double mCutoff = 20000.0;
  double mMaxCutoff = 20000.0; // 20 kHz, or 0.49 of the sample rate when that is lower
  float mResonance = 0.0f;     // 0..1
  float mModWheel = 0.0f;
  float mAftertouch = 0.0f;
};

enum class ERenderPath
{
  kFast,     // voices side by side in SIMD registers: eight with AVX, else four
  kFastSse2, // four voices per register, as on processors without AVX
  kReference // each voice alone, sample by sample
};

// What the engine shares with its voices. Owned by the engine; the voices only read it, except
// for the note bookkeeping of Trigger and the active list of the fast path (audio thread).
struct VoiceContext
{
  explicit VoiceContext(GlobalParams& params) : mParams(params) {}

  // [audio thread] Uniform in [-1, 1): the pitch drift of a new note.
  float RandomBipolar();

  GlobalParams& mParams;
  const WaveTableSet* mTables = nullptr; // held by the engine, replaced only at reset
  double mSampleRate = 44100.0;
  SubBlockSettings mSettings;
  // The smoothed operator levels of the sub-block, and whether each is exactly 0 throughout.
  alignas(16) std::array<std::array<float, kSubBlockSize>, kNumOperators> mLevels{};
  std::array<bool, kNumOperators> mLevelSilent{};
  Relaxed<int32_t> mGlideSamples{0}; // "Note Glide Time" in samples
  int mLastKey = -1;                 // the key of the last note started; -1 before the first
  uint32_t mRandom = 0x2545F491u;
  ERenderPath mPath = ERenderPath::kFast;
  std::vector<PelmoraVoice*> mActive; // fast path: the voices prepared this sub-block
  int mNumActive = 0;
};

class PelmoraVoice final : public plugin::SynthVoice
{
public:
  // The first ladder stage's saturation scale at 44 kHz; scaled by sqrt(44000 / rate).
  static constexpr float kSaturation = 0.022045454f;
  static constexpr double kCutoffModulationHz = 19970.0;
  static constexpr double kMinCutoff = 30.0;
  // "Filter Velocity Sensitivity" at 100 closes the cutoff by this many octaves for a note of
  // velocity 0; a note at full velocity always hears the cutoff as set.
  static constexpr double kVelocityCutoffOctaves = 4.0;
  static constexpr double kMaxCutoff = 20000.0;
  static constexpr float kMaxResonanceFeedback = 3.5f; // k at resonance 1
  static constexpr float kMakeUpPerFeedback = 0.45f;
  static constexpr float kVelocityToFrequency = 0.24f; // semitones per % at full velocity

  // [main thread]
  PelmoraVoice(VoiceContext& context, int index);

  // [audio thread] True while one of the algorithm's carriers has an active envelope.
  bool GetBusy() const override;
  // [audio thread] Starts the note mKey. isRetrigger (mono legato): glide to the new key, the
  // envelopes, phases, LFO and filter running on.
  void Trigger(double level, bool isRetrigger) override;
  // [audio thread] Every running envelope enters its release stage.
  void Release() override;
  // [audio thread] Renders (plain path) or prepares (fast path) samples startIndex ..
  // startIndex + nFrames - 1 (nFrames at most kSubBlockSize). The plain path adds the voice to
  // outputs[0] and outputs[1]; the operator levels come smoothed from the engine's context
  // (inputs[1..4] hold the same values in double precision).
  void ProcessSamplesAccumulating(double** inputs, double** outputs, int nInputs, int nOutputs,
                                  int startIndex, int nFrames) override;
  // [main thread, not while processing]
  void SetSampleRateAndBlockSize(double sampleRate, int blockSize) override;

  // Fast path: the prepared sub-block. [audio thread]
  const VoiceFrame& GetFrame() const { return mFrame; }
  VoiceState& GetState() { return mState; }
  // Operator op's amplitude per sample, or null when it is exactly 0 for the whole sub-block.
  const float* GetAmplitude(int op) const
  {
    return (mActiveOperators >> op) & 1u ? mAmplitude[static_cast<size_t>(op)].data() : nullptr;
  }
  uint32_t GetActiveOperators() const { return mActiveOperators; }

  // Inspection. [audio thread, or tests]
  int GetIndex() const { return mIndex; }
  ModMatrix<float>& GetModMatrix() { return mMatrix; }
  // Operator op's envelope (0..3), or the modulation envelope (4), brought up to date.
  const MultistageEnvelope<float>& GetEnvelope(int which)
  {
    CatchUp(which);
    return Envelope(which);
  }
  // [audio thread] Brings every envelope up to date (the engine calls it when the carriers
  // change, so that GetBusy always reads current envelopes).
  void CatchUpEnvelopes();
  float GetGlidePitch() const { return mGlidePitch; } // octaves relative to key 69
  float GetFrequency(int op) const { return mCache[static_cast<size_t>(op)].mHz; }
  int GetTableLevel(int op) const { return mCache[static_cast<size_t>(op)].mLevel; }

private:
  // Per operator, the inputs of the last frequency computation and its results.
  struct OperatorCache
  {
    float mLogPitch = -1.0e30f;
    float mRatio = 0.0f;
    float mOffset = 0.0f;
    int mWaveform = -1;
    const WaveTableSet* mTables = nullptr;
    float mHz = 0.0f;
    int mLevel = 0;
  };

  static constexpr int kNumEnvelopes = kNumOperators + 1; // the operators', then the modulation one
  static constexpr int32_t kMaxPending = 1 << 24;

  MultistageEnvelope<float>& Envelope(int which)
  {
    return which < kNumOperators ? mEnvelopes[static_cast<size_t>(which)]
                                 : mMatrix.GetModEnvelope();
  }
  // An envelope nobody hears (a silent operator that is not a carrier, an unrouted modulation
  // envelope) is advanced only when it is heard or read again, by all the samples at once.
  void Defer(int which, int n);
  void CatchUp(int which);
  void StartNote(float velocity);
  void AdvanceGlide(int n);
  void Modulate(int n);
  void PrepareOperators();
  void PrepareRouting();
  void PrepareFilter();
  void PrepareAmplitudes(int n);
  void RenderPlain(double** outputs, int nOutputs, int start, int n);

  VoiceContext& mContext;
  const int mIndex;
  ModMatrix<float> mMatrix;
  std::array<MultistageEnvelope<float>, kNumOperators> mEnvelopes;

  VoiceFrame mFrame;
  VoiceState mState;

  // The note.
  std::array<int, kNumOperators> mShift{}; // semitones from "Velocity > Frequency"
  float mDrift = 0.0f;                     // semitones
  double mCutoffScale = 1.0;               // from the note's velocity, fixed for the note

  // Glide, in octaves relative to key 69.
  float mGlideStart = 0.0f;
  float mGlideTarget = 0.0f;
  float mGlidePitch = 0.0f;
  int32_t mGlideLength = 0;
  int32_t mGlideElapsed = 0;

  std::array<OperatorCache, kNumOperators> mCache{};
  double mCachedCutoff = -1.0;
  float mCachedResonance = -1.0f;
  int mCachedType = -1;
  float mG = 0.0f; // tan(pi fc / rate) of mCachedCutoff

  float mSampleRate = 44100.0f;
  float mTableSizeDivSampleRate = WaveTableOsc::kTableSizeF / 44100.0f;

  std::array<int32_t, kNumEnvelopes> mPending{}; // samples owed to each envelope
  uint32_t mActiveOperators = 0;
  alignas(16) std::array<std::array<float, kSubBlockSize>, kNumOperators> mAmplitude{};
  alignas(16) std::array<float, kSubBlockSize> mScratch{};
};
