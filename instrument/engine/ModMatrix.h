#pragma once

// ModMatrix: a voice's modulation router.
//
// Four slots, each a source ("-", "Mod Env", "LFO", "Modwheel", "Aftertouch"), a destination (one
// of 17, or "-") and an amount (-1..1). Once per sub-block the voice stores the current source
// values and calls ProcessTargets, which sums source x amount per destination into 13 target
// values the voice applies (levels, feedback, FM amount, cutoff, resonance, pitches) and four
// phase targets. The matrix owns the voice's modulation envelope and LFO.
//
// Routing. A destination receives each source at most once: a later slot repeating an earlier
// slot's source and destination is ignored (the earlier amount applies alone), and a source or
// destination of "-" routes nothing. Within a destination, contributions add up in slot order.
//
// Threads. The slot settings change on the parameter thread (host or editor), which rebuilds the
// routing under the matrix's writers' mutex and publishes it as one 32-bit word (a byte per slot:
// destination and source, 0 when the slot routes nothing). The audio thread reads that word once
// per evaluation: it sees the routing before or after a change, never half of one, and never
// waits on the mutex. Amounts are relaxed atomics read live.

#include "instrument/dsp/GlobalParams.h"
#include "instrument/dsp/Lfo.h"
#include "instrument/dsp/MultistageEnvelope.h"
#include "instrument/dsp/Relaxed.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

template <typename T>
class ModMatrix
{
public:
  enum ESource : int
  {
    kSourceNone = 0,
    kSourceModEnvelope = 1,
    kSourceLfo = 2,
    kSourceModWheel = 3,
    kSourceAftertouch = 4,
    kNumSources = 5
  };

  // In the order of the "Mod N Destination" texts.
  enum EDestination : int
  {
    kDestNone = 0,
    kDestOpALevel = 1, // .. 4 operator D
    kDestOpAPhase = 5, // .. 8 operator D
    kDestFeedback = 9,
    kDestFmAmount = 10,
    kDestCutoff = 11,
    kDestResonance = 12,
    kDestGlobalPitch = 13,
    kDestOpAPitch = 14, // .. 17 operator D
    kNumDestinations = 18
  };

  enum ETarget : int
  {
    kTargetOpALevel = 0, // .. 3: amplitude added to the operator's envelope-driven level
    kTargetFeedback = 4, // added to the feedback amount of operator D
    kTargetFmAmount = 5, // added to the FM amount
    kTargetCutoff = 6,   // times 19970 Hz, added to the cutoff
    kTargetResonance = 7,
    kTargetGlobalPitch = 8, // semitones, every operator
    kTargetOpAPitch = 9,    // .. 12: semitones, one operator each
    kNumTargets = 13
  };

  static constexpr int kNumSlots = 4;
  static constexpr T kPhaseScale = static_cast<T>(-1506960.0); // table units per unit of sum
  static constexpr T kPitchScale = static_cast<T>(12.0);       // semitones per unit of sum

  // [main thread] Follows the model's LFO settings; no slot routes anything yet.
  ModMatrix(GlobalParams& params, double sampleRate);
  ModMatrix(const ModMatrix&) = delete;
  ModMatrix& operator=(const ModMatrix&) = delete;

  // [any thread] Slot settings. Source and destination rebuild the routing; the amount (already
  // divided by 100) is read live.
  void SetSlotSource(int slot, int source);
  void SetSlotDestination(int slot, int destination);
  void SetSlotAmount(int slot, T amount);
  // [any thread] Rebuilds and publishes the routing from the slots.
  void Update();

  // [audio thread] The source values of the next evaluation.
  void SetSourceValues(T modEnvelope, T lfo, T modWheel, T aftertouch);
  // [audio thread] Evaluates every target from the source values; also writes this voice's phase
  // targets into the model's phase-modulation fields (the last voice evaluated shows there).
  void ProcessTargets();
  // [audio thread] True when some slot routes the source.
  bool Routes(int source) const;

  T GetTarget(int target) const { return mTargets[static_cast<size_t>(target)]; }
  // Table units added to operator op's read position.
  T GetPhaseTarget(int op) const { return mPhaseTargets[static_cast<size_t>(op)]; }
  uint32_t GetRouting() const { return mRouting.load(std::memory_order_relaxed); }

  MultistageEnvelope<T>& GetModEnvelope() { return mModEnvelope; }
  Lfo& GetLfo() { return mLfo; }

private:
  GlobalParams& mParams;
  std::array<T, kNumTargets> mTargets{};
  std::array<T, kNumOperators> mPhaseTargets{};
  MultistageEnvelope<T> mModEnvelope;
  Lfo mLfo;
  std::mutex mWriterMutex;               // serialises writers only; the audio thread never takes it
  std::array<int, kNumSlots> mSources{}; // under mWriterMutex
  std::array<int, kNumSlots> mDestinations{}; // under mWriterMutex
  std::array<Relaxed<T>, kNumSlots> mAmounts{};
  std::atomic<uint32_t> mRouting{0};
  std::array<T, kNumSources - 1> mSourceValues{}; // indexed source - 1
  bool mTargetsZero = false;                      // the last evaluation routed nothing
};

extern template class ModMatrix<float>;
