#pragma once
// The voice allocator: turns voice events into actions on a fixed pool of voices.
//
// Each sub-block the synth frame pushes the events due into the allocator's queue and calls
// ProcessEvents, which handles them in order and then advances every voice's five control ramps
// over the sub-block; ProcessVoices then has every busy voice render it.
//
// Poly mode: a note on takes the first idle voice of its zone, scanning round-robin from the
// voice after the last one started, so successive notes spread over the pool; when every voice is
// busy it steals the voice triggered longest ago. A note off releases the voices holding its key
// on its channel. While the sustain pedal is down, note offs leave their voices sounding; letting
// the pedal up releases every sustained key that is no longer held.
//
// Mono mode: one voice per zone (the zone's first voice) plays one key at a time, last key
// priority. A new key while a key is held (or sustained) moves the sounding voice to it legato
// (Trigger with isRetrigger set, the gate stays up); letting go of the sounding key returns,
// legato, to the most recently pressed key still held, with that key's velocity; letting go of
// the last key releases the voice, unless the pedal holds it until the pedal comes up.
//
// Poly and mono may be switched from any thread (SetPolyMode); the switch takes effect at the
// start of the next sub-block and releases every voice, so no note survives it stuck.
//
// Held keys and sustained keys are fixed arrays of the 128 MIDI keys; events carry 7-bit keys,
// and a note event whose key is not 0..127 is ignored. Nothing here allocates after AddVoice.

#include "framework/plugin/synth/SynthEventRing.h"
#include "framework/plugin/synth/SynthVoice.h"

#include <array>
#include <atomic>
#include <bitset>
#include <cstdint>
#include <functional>
#include <vector>

namespace plugin
{

// Drives one ControlRamp of a voice towards a target over a number of samples, one sub-block at
// a time. The ramp reaches its target exactly on the glide's last sample.
class ControlRampProcessor
{
public:
  void Bind(ControlRamp* ramp) { mRamp = ramp; }

  // Glides from the ramp's current end value to target over glideSamples samples (at least 1),
  // the first ramped sample being startOffset within the next sub-block processed.
  void SetTarget(double target, int startOffset, int glideSamples);

  // Writes the bound ramp for a sub-block of nFrames samples.
  void Process(int nFrames);

  double Target() const { return mTarget; }
  int SamplesRemaining() const { return mSamplesRemaining; }

private:
  ControlRamp* mRamp = nullptr;
  double mTarget = 0.0;
  double mChangePerSample = 0.0;
  int32_t mGlideSamples = 0;
  int32_t mSamplesRemaining = 0;
  int32_t mStartOffset = 0; // of the glide's first sub-block; 0 for the sub-blocks after it
};

// A set of voice indices.
using VoiceBitSet = std::bitset<255>;

class VoiceAllocator
{
public:
  enum EPolyMode : int32_t
  {
    kPolyModePoly = 0,
    kPolyModeMono = 1
  };

  static constexpr int kMaxVoices = 254;
  static constexpr int kEventQueueCapacity = 1024;
  static constexpr int kNumKeys = 128;

  explicit VoiceAllocator(EPolyMode mode = kPolyModePoly);
  VoiceAllocator(const VoiceAllocator&) = delete;
  VoiceAllocator& operator=(const VoiceAllocator&) = delete;

  // Set-up: [main thread], before processing or while the host does not process.

  // [main thread] Registers a voice (not owned) in a zone. Throws std::runtime_error once
  // kMaxVoices voices are registered.
  void AddVoice(SynthVoice* voice, uint8_t zone);
  int NVoices() const { return static_cast<int>(mSlots.size()); }
  SynthVoice* GetVoice(int index) const { return mSlots[index].mVoice; }

  // [main thread] Rates and glide times.
  void SetSampleRate(double sampleRate);
  void SetNoteGlideTime(double seconds);    // the pitch ramp's glide, 0 by default
  void SetControlGlideTime(double seconds); // bend, pressure and timbre ramps, 10 ms by default
  void CalcGlideTimesInSamples();           // trunc(rate x time); the setters call it
  // [main thread] Maps a key (plus the pitch offset) to a pitch in octaves; (key - 69) / 12 by
  // default. An empty function restores the default.
  void SetKeyToPitchFn(std::function<float(int)> fn);
  void SetPitchOffset(double semitones) { mPitchOffset = semitones; } // integer part used

  // [any thread] Requests poly or mono mode; applied at the start of the next ProcessEvents.
  void SetPolyMode(EPolyMode mode) { mRequestedPolyMode.store(mode, std::memory_order_relaxed); }

  // Processing: [audio thread], no allocation, no locks, no I/O.

  // [audio thread] The mode in effect.
  EPolyMode GetPolyMode() const { return mPolyMode; }

  // [audio thread] Queues an event for the next ProcessEvents; false (and dropped) when the queue
  // is full.
  bool AddEvent(const VoiceInputEvent& event) { return mEvents.Push(event); }
  bool EventQueueFull() const { return mEvents.Full(); }

  // [audio thread] Handles every queued event, then advances all control ramps over blockSize
  // samples. sampleTime is the time of the sub-block's first sample.
  void ProcessEvents(int blockSize, int64_t sampleTime);

  // [audio thread] Every busy voice adds samples startIndex .. startIndex + blockSize - 1 to the
  // outputs.
  void ProcessVoices(double** inputs, double** outputs, int nInputs, int nOutputs, int startIndex,
                     int blockSize);

  // [audio thread, or main thread while not processing] Releases every voice at once and silences
  // it (gain 0); forgets held and sustained keys and the pedal. Used on reset.
  void Clear();
  void HardKillAllVoices() { Clear(); }
  // As Clear, but the voices keep their gain and so their release tails: all notes off.
  void SoftKillAllVoices();

  bool AnyVoiceBusy() const;
  bool GetSustainPedal() const { return mSustainPedalDown; }
  int NumHeldKeys() const { return mHeldKeys.Size(); }

  // [audio thread] Building blocks of the event handlers.

  VoiceBitSet VoicesMatchingAddress(VoiceAddress address) const;
  void StartVoice(int index, int channel, int key, float pitch, float velocity, int sampleOffset,
                  int64_t sampleTime, bool retrigger);
  void StartVoices(const VoiceBitSet& voices, int channel, int key, float pitch, float velocity,
                   int sampleOffset, int64_t sampleTime, bool retrigger);
  void StopVoice(int index, int sampleOffset);
  void StopVoices(const VoiceBitSet& voices, int sampleOffset);
  // Glides ramp rampIndex (SynthVoice::ERamp) of the voices to value from the sub-block's start.
  // An index outside 0-4 is ignored.
  void SendControlToVoiceInputs(const VoiceBitSet& voices, int rampIndex, double value,
                                int glideSamples);
  void SendControlToVoicesDirect(const VoiceBitSet& voices, int controller, float value);
  void SendProgramChangeToVoices(const VoiceBitSet& voices, int program);
  // The first idle voice of the zone from startIndex on (wrapping), or -1.
  int FindFreeVoiceIndex(int startIndex, uint8_t zone) const;
  // The voice of the zone triggered longest ago (lowest index among never-triggered ones), or -1.
  int FindVoiceIndexToSteal(uint8_t zone) const;

private:
  // Keys in the order they were added, each at most once, with the velocity it came with.
  class KeyList
  {
  public:
    bool Contains(int key) const;
    void Add(int key, float velocity); // moves an existing key to the end
    void Remove(int key);
    void Clear() { mSize = 0; }
    bool Empty() const { return mSize == 0; }
    int Size() const { return mSize; }
    int KeyAt(int i) const { return mKeys[i]; }
    float VelocityAt(int i) const { return mVelocities[i]; }

  private:
    std::array<uint8_t, kNumKeys> mKeys{};
    std::array<float, kNumKeys> mVelocities{};
    int mSize = 0;
  };

  struct VoiceSlot
  {
    SynthVoice* mVoice = nullptr;
    std::array<ControlRampProcessor, SynthVoice::kNumRamps> mRamps{};
    uint64_t mTriggerOrder = 0; // 0 = never triggered; larger = triggered later
  };

  // The channel-wide values of bend, pressure and timbre, given to a voice when it starts.
  static constexpr int kNumChannelControls = 3;

  void ApplyRequestedPolyMode();
  void HandleEvent(const VoiceInputEvent& event, int64_t sampleTime);
  void NoteOn(const VoiceInputEvent& event, int64_t sampleTime);
  void NoteOff(const VoiceInputEvent& event, int64_t sampleTime);
  void PolyNoteOn(const VoiceInputEvent& event, float pitch, int64_t sampleTime);
  void PolyNoteOff(const VoiceInputEvent& event);
  void MonoNoteOn(const VoiceInputEvent& event, float pitch, int64_t sampleTime);
  void MonoNoteOff(const VoiceInputEvent& event, int64_t sampleTime);
  void SustainPedal(const VoiceInputEvent& event);
  void ChannelControl(const VoiceInputEvent& event, int rampIndex);
  void ReleaseAll(bool forgetPedal);
  int MonoVoiceIndex(uint8_t zone) const;
  float KeyToPitch(int key) const;

  std::vector<VoiceSlot> mSlots;
  SynthEventRing<VoiceInputEvent> mEvents{kEventQueueCapacity};
  KeyList mHeldKeys;      // keys physically down
  KeyList mSustainedKeys; // poly: keys started and not yet stopped
  std::array<std::array<float, kNumChannelControls>, 16> mChannelControls{};

  std::function<float(int)> mKeyToPitch;
  double mPitchOffset = 0.0;
  double mSampleRate = 48000.0;
  double mNoteGlideTime = 0.0;
  double mControlGlideTime = 0.01;
  int32_t mNoteGlideSamples = 0;
  int32_t mControlGlideSamples = 0;
  uint64_t mTriggerCounter = 0;
  int32_t mRoundRobinStart = 0;
  bool mRoundRobin = true;
  bool mSustainPedalDown = false;
  int32_t mCurrentBlockSize = 1; // of the sub-block whose events are being handled
  EPolyMode mPolyMode = kPolyModePoly;
  std::atomic<int32_t> mRequestedPolyMode{kPolyModePoly};
};

} // namespace plugin
