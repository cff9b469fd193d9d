#pragma once
// The voice interface of the MIDI synth frame, and the plain records that travel from the frame
// to the voice allocator.
//
// A voice is driven in two ways. Discrete actions arrive as virtual calls (Trigger, Release,
// SetControl, SetProgramNumber), at most a few per sub-block. Continuous values arrive as five
// control ramps (gate, pitch, pitch bend, pressure, timbre) that the allocator refreshes once per
// sub-block, before the voice renders it: a voice reads a ramp's end value for a per-sub-block
// figure, or ValueAt() for a sample-accurate one. Rendering is one virtual call per sub-block of
// at most 32 samples, never one per sample.

#include <array>
#include <cstdint>

namespace plugin
{

// Where a voice event goes. 255 in zone, channel or key means "any".
struct VoiceAddress
{
  static constexpr uint8_t kAny = 255;

  // Flag bits.
  static constexpr uint8_t kBusyOnly = 1;       // only voices whose GetBusy() is true
  static constexpr uint8_t kMostRecentOnly = 2; // only the most recently triggered voice
  static constexpr uint8_t kAllInZone = 4; // every voice of the zone; on a note off: all notes off

  uint8_t mZone = 0;
  uint8_t mChannel = 0; // 0-15
  uint8_t mKey = kAny;  // 0-127
  uint8_t mFlags = 0;
};

static_assert(sizeof(VoiceAddress) == 4, "VoiceAddress is passed by value as 4 bytes");

// What a voice event asks for. The numbers are fixed: they travel in VoiceInputEvent::mAction.
enum EVoiceAction : int32_t
{
  kVoiceActionNone = 0,       // ignored
  kVoiceActionNoteOn = 1,     // value: velocity 0..1
  kVoiceActionNoteOff = 2,    // value: release velocity; with kAllInZone: all notes off
  kVoiceActionPitchBend = 3,  // value: bend in semitones (normalized bend x channel range)
  kVoiceActionPressure = 4,   // value: 0..1 (key 255: channel pressure)
  kVoiceActionTimbre = 5,     // value: 0..1
  kVoiceActionSustain = 6,    // value: 0..1, the pedal is down at 0.5 or more; controller 64
  kVoiceActionController = 7, // value: 0..1; controller number in mControllerNumber
  kVoiceActionProgram = 8,    // program number in mControllerNumber
};

// One voice event: made from MIDI by the synth frame, consumed by the voice allocator.
struct VoiceInputEvent
{
  VoiceAddress mAddress;
  int32_t mAction = kVoiceActionNone;
  int32_t mControllerNumber = 0;
  float mValue = 0.f;
  int32_t mSampleOffset = 0; // relative to the start of the current sub-block, 0..size-1
};

static_assert(sizeof(VoiceInputEvent) == 20, "VoiceInputEvent is a 20-byte record");

// One control input of a voice over the current sub-block: the value holds mStartValue before
// sample mTransitionStart, moves linearly during [mTransitionStart, mTransitionEnd) so that it
// reaches mEndValue at sample mTransitionEnd - 1, and holds mEndValue from there on.
struct ControlRamp
{
  double mStartValue = 0.0;
  double mEndValue = 0.0;
  int32_t mTransitionStart = 0;
  int32_t mTransitionEnd = 0;

  void Clear() { *this = ControlRamp{}; }

  // The value at sample index i of the current sub-block.
  double ValueAt(int i) const
  {
    if (i < mTransitionStart)
      return mStartValue;
    const int length = mTransitionEnd - mTransitionStart;
    if (length <= 0 || i >= mTransitionEnd - 1)
      return mEndValue;
    return mStartValue + (mEndValue - mStartValue) * double(i - mTransitionStart + 1) / length;
  }
};

// The abstract voice. The allocator writes the public fields below the virtuals; voices read them.
class SynthVoice
{
public:
  // The five control ramps, in this order.
  enum ERamp
  {
    kGate = 0,      // the note's velocity (0..1) while the key is down, 0 once released
    kPitch = 1,     // the key's pitch in octaves relative to key 69, glided over the note glide
    kPitchBend = 2, // semitones, glided over the control glide (10 ms by default)
    kPressure = 3,  // 0..1
    kTimbre = 4,    // 0..1
    kNumRamps = 5
  };

  virtual ~SynthVoice() = default;

  // [audio thread] True while the voice makes sound (including its release tail).
  virtual bool GetBusy() const = 0;

  // [audio thread] Starts a note at the pitch and key the allocator has just set. isRetrigger
  // is true only for a legato change of a voice that is already held down (mono mode: a new key
  // while another is held, or the return to a key still held): the gate stays up, so the voice
  // should move to the new pitch without restarting its phases. level is the velocity 0..1.
  virtual void Trigger(double level, bool isRetrigger) = 0;

  // [audio thread] The key was let go (or all notes off): enter the release stage.
  virtual void Release() = 0;

  // [audio thread] Adds samples startIndex .. startIndex + nFrames - 1 of this voice to the
  // outputs (nFrames is at most the sub-block size). No allocation, no locks.
  virtual void ProcessSamplesAccumulating(double** inputs, double** outputs, int nInputs,
                                          int nOutputs, int startIndex, int nFrames) = 0;

  // [main thread, not while processing] The host's sample rate and maximum block size.
  virtual void SetSampleRateAndBlockSize(double /*sampleRate*/, int /*blockSize*/) {}

  // [audio thread] A program change addressed to this voice.
  virtual void SetProgramNumber(int /*program*/) {}

  // [audio thread] A controller (0..127, value 0..1) addressed to this voice.
  virtual void SetControl(int /*controller*/, float /*value*/) {}

  // Written by the allocator, read by the voice.
  std::array<ControlRamp, kNumRamps> mInputs{};
  int64_t mLastTriggeredTime = -1; // sample time of the last trigger, -1 when never triggered
  uint8_t mZone = 0;
  uint8_t mChannel = 0;
  uint8_t mKey = VoiceAddress::kAny; // the key held down, 255 once released
  double mGain = 0.0; // 1 whenever the allocator starts the voice, 0 after a hard kill
};

} // namespace plugin
