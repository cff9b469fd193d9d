#include "framework/plugin/synth/MidiSynth.h"

#include <algorithm>
#include <cmath>

namespace plugin
{

namespace
{

// Controller numbers the frame gives a meaning of its own.
constexpr int kCtlDataEntryMsb = 6;
constexpr int kCtlDataEntryLsb = 38;
constexpr int kCtlSustainPedal = 64;
constexpr int kCtlTimbre = 74;
constexpr int kCtlNrpnLsb = 98;
constexpr int kCtlNrpnMsb = 99;
constexpr int kCtlRpnLsb = 100;
constexpr int kCtlRpnMsb = 101;
constexpr int kCtlAllSoundOff = 120;
constexpr int kCtlAllNotesOff = 123;

// Registered parameter numbers.
constexpr int kRpnPitchBendSensitivity = 0;
constexpr int kRpnMPEConfiguration = 6;

// A 7-bit MIDI value as 0..1.
float Unit(int value7)
{
  return static_cast<float>(value7) / 127.f;
}

float ClipPitchBendRange(double semitones)
{
  if (!(semitones > 0.0)) // also NaN
    return 0.f;
  return static_cast<float>(std::min(semitones, MidiSynth::kMaxPitchBendRange));
}

} // namespace

MidiSynth::MidiSynth(VoiceAllocator::EPolyMode mode, int blockSize)
  : mAllocator(mode), mSubBlockSize(std::max(blockSize, 1))
{
}

// ---------------------------------------------------------------------------------------------
// Set-up and cross-thread requests

void MidiSynth::SetSampleRateAndBlockSize(double sampleRate, int blockSize)
{
  mSampleTime = 0;
  ApplyPendingSettings();
  mAllocator.Clear();
  if (sampleRate > 0.0 && std::isfinite(sampleRate))
    mSampleRate = sampleRate;
  mQueue.Resize(blockSize);
  mAllocator.SetSampleRate(mSampleRate);
  ForEachVoice([&](SynthVoice& voice) { voice.SetSampleRateAndBlockSize(mSampleRate, blockSize); });
}

bool MidiSynth::AddMidiMsgToQueue(const IMidiMsg& msg)
{
  IMidiMsg copy = msg;
  copy.mOffset = std::max<int32_t>(copy.mOffset, 0); // a host's negative offset means "now"
  return mInbox.Push(copy);
}

void MidiSynth::SetPitchBendRange(double semitones)
{
  mRequestedMasterPitchBendRange.store(ClipPitchBendRange(semitones), std::memory_order_relaxed);
  mMasterPitchBendRangeChanged.store(true, std::memory_order_release);
}

void MidiSynth::ApplyPendingSettings()
{
  if (!mMasterPitchBendRangeChanged.exchange(false, std::memory_order_acquire))
    return;
  mMasterPitchBendRange = mRequestedMasterPitchBendRange.load(std::memory_order_relaxed);
  if (!mMPEMode)
    SetAllChannelPitchBendRanges(mMasterPitchBendRange);
}

void MidiSynth::SetAllChannelPitchBendRanges(float semitones)
{
  for (ChannelState& channel : mChannels)
    channel.mPitchBendRange = semitones;
}

double MidiSynth::GetChannelPitchBendRange(int channel) const
{
  return mChannels[std::clamp(channel, 0, 15)].mPitchBendRange;
}

// ---------------------------------------------------------------------------------------------
// Rendering

bool MidiSynth::ProcessBlock(double** inputs, double** outputs, int nInputs, int nOutputs,
                             int nFrames)
{
  ApplyPendingSettings();
  DrainInbox();
  if (mQueue.Empty() && !mVoicesActive)
    return true;

  int start = 0;
  int remaining = std::max(nFrames, 0);
  int size = mSubBlockSize;
  while (remaining > 0)
  {
    size = std::min(size, remaining);
    HandleMessagesDue(start, size);
    mAllocator.ProcessEvents(size, mSampleTime);
    mAllocator.ProcessVoices(inputs, outputs, nInputs, nOutputs, start, size);
    mSampleTime += size;
    start += size;
    remaining -= size;
  }
  mVoicesActive = mAllocator.AnyVoiceBusy();
  mQueue.Flush(std::max(nFrames, 0));
  return false;
}

void MidiSynth::DrainInbox()
{
  IMidiMsg msg;
  while (const IMidiMsg* next = mInbox.Peek())
  {
    if (!mQueue.Add(*next))
      break; // the queue is full: the rest waits in the inbox for the next block
    mInbox.Pop(msg);
  }
}

void MidiSynth::HandleMessagesDue(int start, int size)
{
  while (!mQueue.Empty())
  {
    const IMidiMsg& msg = mQueue.Peek();
    if (msg.mOffset >= start + size)
      break;
    if (IsRPNMessage(msg))
    {
      HandleRPN(msg);
    }
    else
    {
      // A full allocator queue leaves the rest for the next sub-block: late, but not lost.
      if (mAllocator.EventQueueFull())
        break;
      IMidiMsg local = msg;
      local.mOffset = std::max(msg.mOffset - start, 0);
      const VoiceInputEvent event = MidiMessageToEvent(local);
      if (event.mAction != kVoiceActionNone)
        mAllocator.AddEvent(event);
    }
    mQueue.Remove();
  }
}

// ---------------------------------------------------------------------------------------------
// Converting messages

VoiceInputEvent MidiSynth::MidiMessageToEvent(const IMidiMsg& msg)
{
  return mMPEMode ? MidiMessageToEventMPE(msg) : MidiMessageToEventBasic(msg);
}

VoiceInputEvent MidiSynth::MidiMessageToEventBasic(const IMidiMsg& msg) const
{
  VoiceInputEvent event;
  event.mSampleOffset = msg.mOffset;
  if (!(msg.mStatus & 0x80) || msg.mStatus >= 0xF0)
    return event; // running status or a system message: not for the voices
  const int channel = msg.Channel();
  // Data bytes are 7 bits; a stray top bit never reaches a table or makes a key "any".
  const int data1 = msg.mData1 & 0x7F;
  const int data2 = msg.mData2 & 0x7F;
  event.mAddress = VoiceAddress{0, static_cast<uint8_t>(channel), VoiceAddress::kAny, 0};

  switch (msg.StatusKind())
  {
  case IMidiMsg::kNoteOff:
    event.mAddress.mKey = static_cast<uint8_t>(data1);
    event.mAction = kVoiceActionNoteOff;
    event.mValue = Unit(data2);
    break;
  case IMidiMsg::kNoteOn:
    event.mAddress.mKey = static_cast<uint8_t>(data1);
    event.mAction = data2 == 0 ? kVoiceActionNoteOff : kVoiceActionNoteOn;
    event.mValue = Unit(data2);
    break;
  case IMidiMsg::kPolyAftertouch:
    event.mAddress.mKey = static_cast<uint8_t>(data1);
    event.mAction = kVoiceActionPressure;
    event.mValue = Unit(data2);
    break;
  case IMidiMsg::kControlChange:
    event.mControllerNumber = data1;
    event.mValue = Unit(data2);
    if (data1 == kCtlSustainPedal)
      event.mAction = kVoiceActionSustain;
    else if (data1 == kCtlAllNotesOff || data1 == kCtlAllSoundOff)
    {
      event.mAction = kVoiceActionNoteOff;
      event.mAddress.mFlags = VoiceAddress::kAllInZone;
    }
    else if (data1 == kCtlTimbre)
      event.mAction = kVoiceActionTimbre;
    else
      event.mAction = kVoiceActionController;
    break;
  case IMidiMsg::kProgramChange:
    event.mAction = kVoiceActionProgram;
    event.mControllerNumber = data1;
    break;
  case IMidiMsg::kChannelAftertouch:
    event.mAction = kVoiceActionPressure;
    event.mValue = Unit(data1);
    break;
  case IMidiMsg::kPitchWheel:
  {
    const float bend = static_cast<float>(data2 * 128 + data1 - 8192) / 8192.f;
    event.mAction = kVoiceActionPitchBend;
    event.mValue = bend * mChannels[channel].mPitchBendRange;
    break;
  }
  default:
    break;
  }
  return event;
}

VoiceInputEvent MidiSynth::MidiMessageToEventMPE(const IMidiMsg& msg)
{
  VoiceInputEvent event = MidiMessageToEventBasic(msg);
  if (!(msg.mStatus & 0x80) || msg.mStatus >= 0xF0)
    return event;
  const int channel = msg.Channel();
  const bool upper = channel != 15 && channel > 15 - mUpperZoneCount;
  event.mAddress.mZone = upper ? 1 : 0;
  const bool master = channel == 0 || channel == 15;

  float ChannelState::*perChannel = nullptr;
  switch (msg.StatusKind())
  {
  case IMidiMsg::kPolyAftertouch:
    event.mAction = kVoiceActionNone;
    return event;
  case IMidiMsg::kControlChange:
    if (event.mControllerNumber == kCtlSustainPedal)
      event.mAction = kVoiceActionController;
    else if (event.mAction == kVoiceActionTimbre)
      perChannel = &ChannelState::mMPETimbre;
    break;
  case IMidiMsg::kProgramChange:
    if (!master)
      event.mAction = kVoiceActionNone;
    return event;
  case IMidiMsg::kChannelAftertouch:
    perChannel = &ChannelState::mMPEPressure;
    break;
  case IMidiMsg::kPitchWheel:
    perChannel = &ChannelState::mMPEPitchBend;
    break;
  default:
    return event;
  }
  if (!perChannel)
    return event;
  // A master channel's value is the base its zone's members add theirs to.
  if (master)
  {
    mChannels[channel].*perChannel = event.mValue;
    event.mAction = kVoiceActionNone;
    return event;
  }
  const int zoneMaster = channel > 15 - mUpperZoneCount ? 15 : 0;
  const float sum = mChannels[zoneMaster].*perChannel + event.mValue;
  mChannels[channel].*perChannel = sum;
  event.mValue = sum;
  return event;
}

// ---------------------------------------------------------------------------------------------
// Registered parameters

bool MidiSynth::IsRPNMessage(const IMidiMsg& msg) const
{
  if (msg.StatusKind() != IMidiMsg::kControlChange)
    return false;
  switch (msg.mData1 & 0x7F)
  {
  case kCtlDataEntryMsb:
  case kCtlDataEntryLsb:
  case kCtlNrpnLsb:
  case kCtlNrpnMsb:
  case kCtlRpnLsb:
  case kCtlRpnMsb:
    return true;
  default:
    return false;
  }
}

void MidiSynth::HandleRPN(const IMidiMsg& msg)
{
  const int channel = msg.Channel();
  const uint8_t value = msg.mData2 & 0x7F;
  ChannelState& state = mChannels[channel];
  switch (msg.mData1 & 0x7F)
  {
  case kCtlRpnMsb:
    state.mParamHigh = value;
    state.mDataHigh = state.mDataLow = ChannelState::kNotReceived;
    break;
  case kCtlRpnLsb:
    state.mParamLow = value;
    state.mDataHigh = state.mDataLow = ChannelState::kNotReceived;
    break;
  case kCtlNrpnMsb:
  case kCtlNrpnLsb:
    // Selecting a non-registered parameter deselects the registered one, so that the data
    // entry meant for it never changes a registered parameter.
    state.mParamHigh = state.mParamLow = 127;
    state.mDataHigh = state.mDataLow = ChannelState::kNotReceived;
    break;
  case kCtlDataEntryLsb:
    state.mDataLow = value;
    if (state.mDataHigh != ChannelState::kNotReceived)
      ApplyRPN(channel, true);
    break;
  case kCtlDataEntryMsb:
    state.mDataHigh = value;
    ApplyRPN(channel, false);
    break;
  default:
    break;
  }
}

void MidiSynth::ApplyRPN(int channel, bool fromDataLsb)
{
  const ChannelState& state = mChannels[channel];
  const int param = state.mParamLow + state.mParamHigh * 128;
  if (param == kRpnPitchBendSensitivity)
  {
    // MSB semitones, LSB cents.
    const int cents =
      state.mDataLow == ChannelState::kNotReceived ? 0 : std::min<int>(state.mDataLow, 99);
    SetChannelPitchBendRange(channel, state.mDataHigh + cents / 100.0);
  }
  else if (param == kRpnMPEConfiguration && !fromDataLsb && mMPEEnabled &&
           (channel == 0 || channel == 15))
  {
    SetMPEZones(channel, state.mDataHigh);
  }
}

void MidiSynth::SetChannelPitchBendRange(int channel, double semitones)
{
  const float range = ClipPitchBendRange(semitones);
  if (channel > 0 && channel < mLowerZoneCount)
  {
    for (int c = 1; c < mLowerZoneCount; ++c)
      mChannels[c].mPitchBendRange = range;
  }
  else if (channel < 15 && channel > 15 - mUpperZoneCount)
  {
    for (int c = 16 - mUpperZoneCount; c < 15; ++c)
      mChannels[c].mPitchBendRange = range;
  }
  else
  {
    mChannels[std::clamp(channel, 0, 15)].mPitchBendRange = range;
  }
}

void MidiSynth::SetMPEZones(int channel, int memberCount)
{
  if (channel != 0 && channel != 15)
    return;
  const int members = std::clamp(memberCount, 0, 15);
  const int count = members > 0 ? members + 1 : 0;
  const int oldLower = mLowerZoneCount;
  const int oldUpper = mUpperZoneCount;
  if (channel == 0)
  {
    mLowerZoneCount = count;
    mUpperZoneCount = std::clamp(mUpperZoneCount, 0, 16 - count);
  }
  else
  {
    mUpperZoneCount = count;
    mLowerZoneCount = std::clamp(mLowerZoneCount, 0, 16 - count);
  }
  mMPEMode = mLowerZoneCount != 0 || mUpperZoneCount != 0;
  if (mMPEMode)
  {
    // MPE's default ranges: 2 semitones on the master channel, 48 on the members.
    SetChannelPitchBendRange(channel, 2.0);
    SetChannelPitchBendRange(channel == 0 ? 1 : 14, 48.0);
  }
  else
  {
    SetAllChannelPitchBendRanges(mMasterPitchBendRange);
  }
  // Notes started under the old zones carry addresses the new zones may never send a note off
  // to: release them all, in order with the events already queued.
  if (mLowerZoneCount != oldLower || mUpperZoneCount != oldUpper)
  {
    VoiceInputEvent allNotesOff;
    allNotesOff.mAction = kVoiceActionNoteOff;
    allNotesOff.mAddress = VoiceAddress{VoiceAddress::kAny, VoiceAddress::kAny, VoiceAddress::kAny,
                                        VoiceAddress::kAllInZone};
    if (!mAllocator.AddEvent(allNotesOff))
      mAllocator.SoftKillAllVoices();
  }
}

} // namespace plugin
