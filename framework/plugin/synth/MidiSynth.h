#pragma once
// The MIDI synth frame: sample-accurate glue between MIDI messages and a pool of voices.
//
// A MIDI message enters through AddMidiMsgToQueue, which only pushes it into a lock-free
// single-producer single-consumer inbox, so one thread (the audio thread in the instrument, or
// any other single thread) may feed the frame while the audio thread renders. ProcessBlock, on
// the audio thread, first moves the inbox into the MIDI queue, kept sorted by sample offset, then
// renders the block in sub-blocks of at most kSubBlockSize samples:
//
//   for each sub-block [start, start + size):
//     every queued message with offset < start + size becomes a voice event (or is answered here
//     when it is a registered-parameter message) with its offset made relative to the sub-block;
//     the voice allocator handles the events and ramps the voices' control inputs;
//     every busy voice adds its output for the sub-block.
//
// A note with offset k therefore takes effect at the start of the sub-block containing sample k,
// with k - start as its offset within the sub-block. Messages beyond the block stay queued and
// move into the next block. Nothing here allocates while rendering: the inbox and the queue have
// fixed capacities (the queue is resized only by SetSampleRateAndBlockSize) and a message that
// finds no room waits in the inbox or, when the inbox is full, is dropped.
//
// Pitch-bend ranges are kept per channel in semitones (2 by default): a full bend moves the pitch
// by the channel's range, and the bend event's value is in semitones. RPN 0 sets a channel's
// range to its data entry MSB in semitones plus its LSB in cents.
//
// The instrument is not an MPE instrument: MPE configuration messages (RPN 6) are ignored unless
// SetMPEEnabled(true). When enabled, a configuration that changes the zones releases every note,
// so that no note-off can miss a note started under the earlier zones.

#include "framework/core/IMidiMsg.h"
#include "framework/plugin/synth/IMidiQueue.h"
#include "framework/plugin/synth/SynthEventRing.h"
#include "framework/plugin/synth/SynthVoice.h"
#include "framework/plugin/synth/VoiceAllocator.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace plugin
{

class MidiSynth
{
public:
  static constexpr int kSubBlockSize = 32;
  static constexpr int kInboxCapacity = 4096;        // messages
  static constexpr double kMaxPitchBendRange = 96.0; // semitones
  static constexpr double kDefaultPitchBendRange = 2.0;

  // Per-channel state: the selected registered parameter, its data entry bytes and the channel's
  // pitch-bend range, and the channel's bend, pressure and timbre in MPE mode.
  struct ChannelState
  {
    static constexpr uint8_t kNotReceived = 255;
    uint8_t mParamHigh = 127; // 127/127 is the null parameter: data entry does nothing
    uint8_t mParamLow = 127;
    uint8_t mDataHigh = kNotReceived;
    uint8_t mDataLow = kNotReceived;
    float mPitchBendRange = static_cast<float>(kDefaultPitchBendRange); // semitones
    float mMPEPitchBend = 0.f;                                          // semitones
    float mMPEPressure = 0.f;
    float mMPETimbre = 0.f;
  };

  // [main thread] blockSize is the sub-block size (kSubBlockSize in the instrument).
  explicit MidiSynth(VoiceAllocator::EPolyMode mode = VoiceAllocator::kPolyModePoly,
                     int blockSize = kSubBlockSize);
  MidiSynth(const MidiSynth&) = delete;
  MidiSynth& operator=(const MidiSynth&) = delete;

  // Set-up: [main thread], before processing or while the host does not process.

  // [main thread] Registers a voice (not owned) in a zone (0 for a non-MPE instrument).
  void AddVoice(SynthVoice* voice, uint8_t zone = 0) { mAllocator.AddVoice(voice, zone); }
  int NVoices() const { return mAllocator.NVoices(); }
  SynthVoice* GetVoice(int index) const { return mAllocator.GetVoice(index); }
  // [main thread] For the allocator's own settings (glide times, key-to-pitch function).
  VoiceAllocator& GetAllocator() { return mAllocator; }

  // [main thread, not while processing] Resets the sample time, releases and silences every
  // voice, resizes the MIDI queue for blockSize (the host's block size) and passes rate and block
  // size to every voice. May allocate.
  void SetSampleRateAndBlockSize(double sampleRate, int blockSize);

  // [main thread, before processing] Lets MPE configuration messages switch MPE mode on.
  void SetMPEEnabled(bool enabled) { mMPEEnabled = enabled; }

  // [any thread] Calls fn(SynthVoice&) for each voice in index order. The voice fields that fn
  // writes must be safe to write while the audio thread renders.
  template <typename F>
  void ForEachVoice(F&& fn)
  {
    for (int i = 0; i < mAllocator.NVoices(); ++i)
      fn(*mAllocator.GetVoice(i));
  }

  // [any thread, one producer thread at a time] No allocation, no locks: queues a message for the
  // next ProcessBlock; its offset counts from that block's first sample. False, and the message is
  // dropped, when the inbox is full.
  bool AddMidiMsgToQueue(const IMidiMsg& msg);

  // [any thread] The master pitch-bend range in semitones (clipped to 0..96); unless MPE mode is
  // on, every channel takes it too. Applied at the start of the next ProcessBlock.
  void SetPitchBendRange(double semitones);

  // [any thread] Poly or mono; applied at the start of the next sub-block, releasing every voice.
  void SetPolyMode(VoiceAllocator::EPolyMode mode) { mAllocator.SetPolyMode(mode); }

  // Rendering: [audio thread], no allocation, no locks, no I/O.

  // [audio thread] Renders nFrames samples, adding every busy voice into outputs. Returns true,
  // touching nothing, when there was nothing to do (no MIDI queued and no voice busy after the last
  // block); false after rendering.
  bool ProcessBlock(double** inputs, double** outputs, int nInputs, int nOutputs, int nFrames);

  // [audio thread] Sets the pitch-bend range (semitones, clipped to 0..96) of a channel, or of all
  // the member channels of the MPE zone the channel belongs to.
  void SetChannelPitchBendRange(int channel, double semitones);
  // [audio thread] Configures the lower (channel 0) or upper (channel 15) MPE zone with memberCount
  // channels.
  void SetMPEZones(int channel, int memberCount);

  // [audio thread] Registered-parameter messages (controllers 6, 38, 98-101) are answered here.
  bool IsRPNMessage(const IMidiMsg& msg) const;
  void HandleRPN(const IMidiMsg& msg);
  // [audio thread] The voice event of a message (action none for a message the voices do not take).
  VoiceInputEvent MidiMessageToEvent(const IMidiMsg& msg);

  double GetChannelPitchBendRange(int channel) const;
  bool GetMPEMode() const { return mMPEMode; }
  int64_t GetSampleTime() const { return mSampleTime; }

private:
  VoiceInputEvent MidiMessageToEventBasic(const IMidiMsg& msg) const;
  VoiceInputEvent MidiMessageToEventMPE(const IMidiMsg& msg);
  void ApplyPendingSettings();
  void DrainInbox();
  void HandleMessagesDue(int start, int size);
  void ApplyRPN(int channel, bool fromDataLsb);
  void SetAllChannelPitchBendRanges(float semitones);

  VoiceAllocator mAllocator;
  SynthEventRing<IMidiMsg> mInbox{kInboxCapacity};
  IMidiQueueBase<IMidiMsg> mQueue;
  std::array<ChannelState, 16> mChannels{};
  const int mSubBlockSize;
  int64_t mSampleTime = 0;
  double mSampleRate = 48000.0;
  bool mVoicesActive = false;
  float mMasterPitchBendRange = static_cast<float>(kDefaultPitchBendRange);
  std::atomic<float> mRequestedMasterPitchBendRange{static_cast<float>(kDefaultPitchBendRange)};
  std::atomic<bool> mMasterPitchBendRangeChanged{false};
  bool mMPEEnabled = false;
  bool mMPEMode = false;
  int mLowerZoneCount = 0; // channels of the lower MPE zone, its master channel 0 included
  int mUpperZoneCount = 0; // channels of the upper MPE zone, its master channel 15 included
};

} // namespace plugin
