#include "framework/plugin/synth/VoiceAllocator.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace plugin
{

namespace
{

float DefaultKeyToPitch(int key)
{
  return static_cast<float>(key - 69) / 12.f;
}

bool IsMidiKey(int key)
{
  return key >= 0 && key < VoiceAllocator::kNumKeys;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// ControlRampProcessor

void ControlRampProcessor::SetTarget(double target, int startOffset, int glideSamples)
{
  const int glide = std::max(glideSamples, 1);
  mTarget = target;
  mChangePerSample = (target - mRamp->mEndValue) / glide;
  mGlideSamples = glide;
  mSamplesRemaining = glide;
  mStartOffset = std::max(startOffset, 0);
}

void ControlRampProcessor::Process(int nFrames)
{
  ControlRamp& ramp = *mRamp;
  ramp.mStartValue = ramp.mEndValue;
  if (mSamplesRemaining == 0)
  {
    ramp.mTransitionStart = 0;
    ramp.mTransitionEnd = 0;
    return;
  }
  // A glide that starts late in its first sub-block ramps only the samples left there; the
  // sub-blocks after it ramp from their first sample.
  const int start = std::clamp(mStartOffset, 0, nFrames);
  const int available = nFrames - start;
  mStartOffset = 0;
  if (mSamplesRemaining <= available)
  {
    ramp.mEndValue = mTarget; // exactly, with no rounding left over
    ramp.mTransitionStart = start;
    ramp.mTransitionEnd = start + mSamplesRemaining;
    mSamplesRemaining = 0;
  }
  else
  {
    ramp.mEndValue = ramp.mStartValue + available * mChangePerSample;
    ramp.mTransitionStart = start;
    ramp.mTransitionEnd = nFrames;
    mSamplesRemaining -= available;
  }
}

// ---------------------------------------------------------------------------------------------
// KeyList

bool VoiceAllocator::KeyList::Contains(int key) const
{
  return std::find(mKeys.begin(), mKeys.begin() + mSize, key) != mKeys.begin() + mSize;
}

void VoiceAllocator::KeyList::Add(int key, float velocity)
{
  Remove(key);
  mKeys[mSize] = static_cast<uint8_t>(key);
  mVelocities[mSize] = velocity;
  ++mSize;
}

void VoiceAllocator::KeyList::Remove(int key)
{
  for (int i = 0; i < mSize; ++i)
  {
    if (mKeys[i] == key)
    {
      std::copy(mKeys.begin() + i + 1, mKeys.begin() + mSize, mKeys.begin() + i);
      std::copy(mVelocities.begin() + i + 1, mVelocities.begin() + mSize, mVelocities.begin() + i);
      --mSize;
      return;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Set-up

VoiceAllocator::VoiceAllocator(EPolyMode mode)
  : mKeyToPitch(DefaultKeyToPitch), mPolyMode(mode), mRequestedPolyMode(mode)
{
  mSlots.reserve(16);
  CalcGlideTimesInSamples();
}

void VoiceAllocator::AddVoice(SynthVoice* voice, uint8_t zone)
{
  if (NVoices() >= kMaxVoices)
    throw std::runtime_error("VoiceAllocator: max voices exceeded!");
  for (ControlRamp& ramp : voice->mInputs)
    ramp.Clear();
  voice->mKey = VoiceAddress::kAny;
  voice->mZone = zone;
  // The processors point into the voice, not into mSlots, so the vector may grow freely here.
  VoiceSlot& slot = mSlots.emplace_back();
  slot.mVoice = voice;
  for (int i = 0; i < SynthVoice::kNumRamps; ++i)
    slot.mRamps[i].Bind(&voice->mInputs[i]);
}

void VoiceAllocator::SetSampleRate(double sampleRate)
{
  if (sampleRate > 0.0 && std::isfinite(sampleRate))
    mSampleRate = sampleRate;
  CalcGlideTimesInSamples();
}

void VoiceAllocator::SetNoteGlideTime(double seconds)
{
  mNoteGlideTime = std::max(seconds, 0.0);
  CalcGlideTimesInSamples();
}

void VoiceAllocator::SetControlGlideTime(double seconds)
{
  mControlGlideTime = std::max(seconds, 0.0);
  CalcGlideTimesInSamples();
}

void VoiceAllocator::CalcGlideTimesInSamples()
{
  // Capped far below int32 overflow: a glide of a day is as good as endless.
  constexpr double kMaxGlide = 1 << 30;
  mNoteGlideSamples = static_cast<int32_t>(std::min(mSampleRate * mNoteGlideTime, kMaxGlide));
  mControlGlideSamples = static_cast<int32_t>(std::min(mSampleRate * mControlGlideTime, kMaxGlide));
}

void VoiceAllocator::SetKeyToPitchFn(std::function<float(int)> fn)
{
  mKeyToPitch = fn ? std::move(fn) : std::function<float(int)>(DefaultKeyToPitch);
}

float VoiceAllocator::KeyToPitch(int key) const
{
  return mKeyToPitch(key + static_cast<int>(std::trunc(mPitchOffset)));
}

// ---------------------------------------------------------------------------------------------
// Processing

void VoiceAllocator::ProcessEvents(int blockSize, int64_t sampleTime)
{
  ApplyRequestedPolyMode();
  mCurrentBlockSize = std::max(blockSize, 1);
  VoiceInputEvent event;
  while (mEvents.Pop(event))
    HandleEvent(event, sampleTime);
  for (VoiceSlot& slot : mSlots)
  {
    for (ControlRampProcessor& ramp : slot.mRamps)
      ramp.Process(blockSize);
  }
}

void VoiceAllocator::ProcessVoices(double** inputs, double** outputs, int nInputs, int nOutputs,
                                   int startIndex, int blockSize)
{
  for (VoiceSlot& slot : mSlots)
  {
    if (slot.mVoice->GetBusy())
      slot.mVoice->ProcessSamplesAccumulating(inputs, outputs, nInputs, nOutputs, startIndex,
                                              blockSize);
  }
}

bool VoiceAllocator::AnyVoiceBusy() const
{
  return std::any_of(mSlots.begin(), mSlots.end(),
                     [](const VoiceSlot& slot) { return slot.mVoice->GetBusy(); });
}

void VoiceAllocator::ApplyRequestedPolyMode()
{
  const auto requested = static_cast<EPolyMode>(mRequestedPolyMode.load(std::memory_order_relaxed));
  if (requested == mPolyMode)
    return;
  // Neither mode can make sense of the other's voices: release them all, keep the pedal.
  mPolyMode = requested;
  ReleaseAll(false);
}

void VoiceAllocator::HandleEvent(const VoiceInputEvent& event, int64_t sampleTime)
{
  VoiceInputEvent e = event;
  e.mSampleOffset = std::clamp(e.mSampleOffset, 0, mCurrentBlockSize - 1);
  switch (e.mAction)
  {
  case kVoiceActionNoteOn:
    NoteOn(e, sampleTime);
    break;
  case kVoiceActionNoteOff:
    if (e.mAddress.mFlags & VoiceAddress::kAllInZone)
      SoftKillAllVoices();
    else
      NoteOff(e, sampleTime);
    break;
  case kVoiceActionPitchBend:
    ChannelControl(e, SynthVoice::kPitchBend);
    break;
  case kVoiceActionPressure:
    ChannelControl(e, SynthVoice::kPressure);
    break;
  case kVoiceActionTimbre:
    ChannelControl(e, SynthVoice::kTimbre);
    break;
  case kVoiceActionSustain:
    SustainPedal(e);
    break;
  case kVoiceActionController:
    SendControlToVoicesDirect(VoicesMatchingAddress(e.mAddress), e.mControllerNumber, e.mValue);
    break;
  case kVoiceActionProgram:
    SendProgramChangeToVoices(VoicesMatchingAddress(e.mAddress), e.mControllerNumber);
    break;
  default:
    break;
  }
}

void VoiceAllocator::ChannelControl(const VoiceInputEvent& event, int rampIndex)
{
  const VoiceAddress& address = event.mAddress;
  if (address.mKey == VoiceAddress::kAny && address.mChannel < 16)
    mChannelControls[address.mChannel][rampIndex - SynthVoice::kPitchBend] = event.mValue;
  SendControlToVoiceInputs(VoicesMatchingAddress(address), rampIndex, event.mValue,
                           mControlGlideSamples);
}

// ---------------------------------------------------------------------------------------------
// Notes

void VoiceAllocator::NoteOn(const VoiceInputEvent& event, int64_t sampleTime)
{
  const int key = event.mAddress.mKey;
  if (!IsMidiKey(key))
    return;
  const float pitch = KeyToPitch(key);
  if (mPolyMode == kPolyModeMono)
    MonoNoteOn(event, pitch, sampleTime);
  else
    PolyNoteOn(event, pitch, sampleTime);
}

void VoiceAllocator::NoteOff(const VoiceInputEvent& event, int64_t sampleTime)
{
  if (!IsMidiKey(event.mAddress.mKey))
    return;
  if (mPolyMode == kPolyModeMono)
    MonoNoteOff(event, sampleTime);
  else
    PolyNoteOff(event);
}

void VoiceAllocator::PolyNoteOn(const VoiceInputEvent& event, float pitch, int64_t sampleTime)
{
  const VoiceAddress& address = event.mAddress;
  int index = FindFreeVoiceIndex(mRoundRobin ? mRoundRobinStart : 0, address.mZone);
  if (index < 0)
    index = FindVoiceIndexToSteal(address.mZone);
  if (index < 0)
    return; // no voice in this zone: no note, and so no note left for a note off to miss
  if (mRoundRobin)
    mRoundRobinStart = (index + 1) % NVoices();
  StartVoice(index, address.mChannel, address.mKey, pitch, event.mValue, event.mSampleOffset,
             sampleTime, false);
  mHeldKeys.Add(address.mKey, event.mValue);
  mSustainedKeys.Add(address.mKey, event.mValue);
}

void VoiceAllocator::PolyNoteOff(const VoiceInputEvent& event)
{
  const VoiceAddress& address = event.mAddress;
  mHeldKeys.Remove(address.mKey);
  if (mSustainPedalDown)
  {
    // Held until the pedal comes up. The key may have left the list already through a note off
    // of the same key on another channel: put it back, or this voice would never be released.
    mSustainedKeys.Add(address.mKey, event.mValue);
    return;
  }
  StopVoices(VoicesMatchingAddress(address), event.mSampleOffset);
  mSustainedKeys.Remove(address.mKey);
}

int VoiceAllocator::MonoVoiceIndex(uint8_t zone) const
{
  for (int i = 0; i < NVoices(); ++i)
  {
    if (mSlots[i].mVoice->mZone == zone)
      return i;
  }
  return -1;
}

void VoiceAllocator::MonoNoteOn(const VoiceInputEvent& event, float pitch, int64_t sampleTime)
{
  const VoiceAddress& address = event.mAddress;
  mHeldKeys.Add(address.mKey, event.mValue);
  const int index = MonoVoiceIndex(address.mZone);
  if (index < 0)
    return;
  // A voice still holding a key (down or sustained) moves to the new key legato.
  const bool legato = mSlots[index].mVoice->mKey != VoiceAddress::kAny;
  StartVoice(index, address.mChannel, address.mKey, pitch, event.mValue, event.mSampleOffset,
             sampleTime, legato);
}

void VoiceAllocator::MonoNoteOff(const VoiceInputEvent& event, int64_t sampleTime)
{
  const VoiceAddress& address = event.mAddress;
  mHeldKeys.Remove(address.mKey);
  const int index = MonoVoiceIndex(address.mZone);
  if (index < 0 || mSlots[index].mVoice->mKey != address.mKey)
    return; // a key that is not sounding: nothing to hear
  if (!mHeldKeys.Empty())
  {
    const int last = mHeldKeys.Size() - 1;
    const int key = mHeldKeys.KeyAt(last);
    StartVoice(index, address.mChannel, key, KeyToPitch(key), mHeldKeys.VelocityAt(last),
               event.mSampleOffset, sampleTime, true);
  }
  else if (!mSustainPedalDown)
  {
    StopVoice(index, event.mSampleOffset);
  }
}

void VoiceAllocator::SustainPedal(const VoiceInputEvent& event)
{
  mSustainPedalDown = event.mValue >= 0.5f;
  if (mSustainPedalDown)
    return;
  const VoiceAddress& address = event.mAddress;
  if (mPolyMode == kPolyModeMono)
  {
    const int index = MonoVoiceIndex(address.mZone);
    if (index >= 0 && mHeldKeys.Empty() && mSlots[index].mVoice->mKey != VoiceAddress::kAny)
      StopVoice(index, event.mSampleOffset);
    return;
  }
  for (int i = 0; i < mSustainedKeys.Size();)
  {
    const int key = mSustainedKeys.KeyAt(i);
    if (mHeldKeys.Contains(key))
    {
      ++i;
      continue;
    }
    VoiceAddress keyInZone{address.mZone, VoiceAddress::kAny, static_cast<uint8_t>(key), 0};
    StopVoices(VoicesMatchingAddress(keyInZone), event.mSampleOffset);
    mSustainedKeys.Remove(key);
  }
}

// ---------------------------------------------------------------------------------------------
// Killing voices

void VoiceAllocator::ReleaseAll(bool forgetPedal)
{
  mHeldKeys.Clear();
  mSustainedKeys.Clear();
  if (forgetPedal)
    mSustainPedalDown = false;
  for (int i = 0; i < NVoices(); ++i)
    StopVoice(i, 0);
}

void VoiceAllocator::SoftKillAllVoices()
{
  ReleaseAll(true);
}

void VoiceAllocator::Clear()
{
  mEvents.Clear();
  ReleaseAll(true);
  for (VoiceSlot& slot : mSlots)
    slot.mVoice->mGain = 0.0;
}

// ---------------------------------------------------------------------------------------------
// Building blocks

VoiceBitSet VoiceAllocator::VoicesMatchingAddress(VoiceAddress address) const
{
  VoiceBitSet voices;
  const bool wholeZone = address.mFlags & VoiceAddress::kAllInZone;
  for (int i = 0; i < NVoices(); ++i)
  {
    const SynthVoice& voice = *mSlots[i].mVoice;
    if (address.mZone != VoiceAddress::kAny && voice.mZone != address.mZone)
      continue;
    if (!wholeZone)
    {
      if (address.mChannel != VoiceAddress::kAny && voice.mChannel != address.mChannel)
        continue;
      if (address.mKey != VoiceAddress::kAny && voice.mKey != address.mKey)
        continue;
      if ((address.mFlags & VoiceAddress::kBusyOnly) && !voice.GetBusy())
        continue;
    }
    voices.set(i);
  }
  if (!wholeZone && (address.mFlags & VoiceAddress::kMostRecentOnly) && voices.any())
  {
    int latest = -1;
    for (int i = 0; i < NVoices(); ++i)
    {
      if (voices.test(i) && (latest < 0 || mSlots[i].mTriggerOrder > mSlots[latest].mTriggerOrder))
        latest = i;
    }
    voices.reset();
    voices.set(latest);
  }
  return voices;
}

void VoiceAllocator::StartVoice(int index, int channel, int key, float pitch, float velocity,
                                int sampleOffset, int64_t sampleTime, bool retrigger)
{
  VoiceSlot& slot = mSlots[index];
  SynthVoice& voice = *slot.mVoice;
  if (!retrigger)
    slot.mRamps[SynthVoice::kGate].SetTarget(velocity, sampleOffset, 1);
  slot.mRamps[SynthVoice::kPitch].SetTarget(pitch, sampleOffset, mNoteGlideSamples);
  // The voice takes on the bend, pressure and timbre its channel has now.
  if (channel >= 0 && channel < 16)
  {
    for (int c = 0; c < kNumChannelControls; ++c)
    {
      ControlRampProcessor& ramp = slot.mRamps[SynthVoice::kPitchBend + c];
      if (ramp.Target() != mChannelControls[channel][c])
        ramp.SetTarget(mChannelControls[channel][c], sampleOffset, 1);
    }
  }
  voice.mLastTriggeredTime = sampleTime;
  voice.mChannel = static_cast<uint8_t>(channel);
  voice.mKey = static_cast<uint8_t>(key);
  voice.mGain = 1.0;
  slot.mTriggerOrder = ++mTriggerCounter;
  voice.Trigger(velocity, retrigger);
}

void VoiceAllocator::StartVoices(const VoiceBitSet& voices, int channel, int key, float pitch,
                                 float velocity, int sampleOffset, int64_t sampleTime,
                                 bool retrigger)
{
  for (int i = 0; i < NVoices(); ++i)
  {
    if (voices.test(i))
      StartVoice(i, channel, key, pitch, velocity, sampleOffset, sampleTime, retrigger);
  }
}

void VoiceAllocator::StopVoice(int index, int sampleOffset)
{
  VoiceSlot& slot = mSlots[index];
  slot.mRamps[SynthVoice::kGate].SetTarget(0.0, sampleOffset, 1);
  slot.mVoice->mKey = VoiceAddress::kAny;
  slot.mVoice->Release();
}

void VoiceAllocator::StopVoices(const VoiceBitSet& voices, int sampleOffset)
{
  for (int i = 0; i < NVoices(); ++i)
  {
    if (voices.test(i))
      StopVoice(i, sampleOffset);
  }
}

void VoiceAllocator::SendControlToVoiceInputs(const VoiceBitSet& voices, int rampIndex,
                                              double value, int glideSamples)
{
  if (rampIndex < 0 || rampIndex >= SynthVoice::kNumRamps)
    return;
  for (int i = 0; i < NVoices(); ++i)
  {
    if (voices.test(i))
      mSlots[i].mRamps[rampIndex].SetTarget(value, 0, glideSamples);
  }
}

void VoiceAllocator::SendControlToVoicesDirect(const VoiceBitSet& voices, int controller,
                                               float value)
{
  for (int i = 0; i < NVoices(); ++i)
  {
    if (voices.test(i))
      mSlots[i].mVoice->SetControl(controller, value);
  }
}

void VoiceAllocator::SendProgramChangeToVoices(const VoiceBitSet& voices, int program)
{
  for (int i = 0; i < NVoices(); ++i)
  {
    if (voices.test(i))
      mSlots[i].mVoice->SetProgramNumber(program);
  }
}

int VoiceAllocator::FindFreeVoiceIndex(int startIndex, uint8_t zone) const
{
  const int n = NVoices();
  if (n == 0)
    return -1;
  const int start = ((startIndex % n) + n) % n;
  for (int k = 0; k < n; ++k)
  {
    const int i = (start + k) % n;
    const SynthVoice& voice = *mSlots[i].mVoice;
    if (voice.mZone == zone && !voice.GetBusy())
      return i;
  }
  return -1;
}

int VoiceAllocator::FindVoiceIndexToSteal(uint8_t zone) const
{
  int oldest = -1;
  for (int i = 0; i < NVoices(); ++i)
  {
    if (mSlots[i].mVoice->mZone != zone)
      continue;
    if (oldest < 0 || mSlots[i].mTriggerOrder < mSlots[oldest].mTriggerOrder)
      oldest = i;
  }
  return oldest;
}

} // namespace plugin
