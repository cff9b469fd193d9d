#include "instrument/engine/ModMatrix.h"

namespace
{
// A slot's byte in the routing word: destination in bits 0-4, source in bits 5-7.
constexpr uint32_t kDestinationBits = 0x1F;
constexpr int kSourceShift = 5;
} // namespace

template <typename T>
ModMatrix<T>::ModMatrix(GlobalParams& params, double sampleRate)
  : mParams(params), mModEnvelope(""), mLfo(params.mLfo, sampleRate)
{
  mModEnvelope.SetSkipEmptyFirstStage(true);
}

template <typename T>
void ModMatrix<T>::SetSlotSource(int slot, int source)
{
  if (slot < 0 || slot >= kNumSlots)
  {
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mWriterMutex);
    mSources[static_cast<size_t>(slot)] = source;
  }
  Update();
}

template <typename T>
void ModMatrix<T>::SetSlotDestination(int slot, int destination)
{
  if (slot < 0 || slot >= kNumSlots)
  {
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mWriterMutex);
    mDestinations[static_cast<size_t>(slot)] = destination;
  }
  Update();
}

template <typename T>
void ModMatrix<T>::SetSlotAmount(int slot, T amount)
{
  if (slot >= 0 && slot < kNumSlots)
  {
    mAmounts[static_cast<size_t>(slot)] = amount;
  }
}

template <typename T>
void ModMatrix<T>::Update()
{
  std::lock_guard<std::mutex> lock(mWriterMutex);
  uint32_t word = 0;
  for (int i = 0; i < kNumSlots; ++i)
  {
    const int source = mSources[static_cast<size_t>(i)];
    const int destination = mDestinations[static_cast<size_t>(i)];
    if (source <= kSourceNone || source >= kNumSources || destination <= kDestNone ||
        destination >= kNumDestinations)
    {
      continue;
    }
    const uint32_t slotByte =
      static_cast<uint32_t>(destination) | (static_cast<uint32_t>(source) << kSourceShift);
    bool repeated = false;
    for (int j = 0; j < i; ++j)
    {
      repeated = repeated || ((word >> (8 * j)) & 0xFF) == slotByte;
    }
    if (!repeated)
    {
      word |= slotByte << (8 * i);
    }
  }
  mRouting.store(word, std::memory_order_release);
}

template <typename T>
void ModMatrix<T>::SetSourceValues(T modEnvelope, T lfo, T modWheel, T aftertouch)
{
  mSourceValues = {modEnvelope, lfo, modWheel, aftertouch};
}

template <typename T>
bool ModMatrix<T>::Routes(int source) const
{
  const uint32_t word = mRouting.load(std::memory_order_acquire);
  for (int i = 0; i < kNumSlots; ++i)
  {
    const uint32_t slotByte = (word >> (8 * i)) & 0xFF;
    if (slotByte != 0 && static_cast<int>(slotByte >> kSourceShift) == source)
    {
      return true;
    }
  }
  return false;
}

template <typename T>
void ModMatrix<T>::ProcessTargets()
{
  const uint32_t word = mRouting.load(std::memory_order_acquire);
  if (word == 0 && mTargetsZero)
  {
    return; // nothing routed, and every target is 0 already
  }
  mTargetsZero = word == 0;
  std::array<T, kNumDestinations> sums{};
  for (int i = 0; i < kNumSlots; ++i)
  {
    const uint32_t slotByte = (word >> (8 * i)) & 0xFF;
    if (slotByte == 0)
    {
      continue;
    }
    const size_t destination = slotByte & kDestinationBits;
    const size_t source = (slotByte >> kSourceShift) - 1;
    sums[destination] += mSourceValues[source] * mAmounts[static_cast<size_t>(i)].Load();
  }
  for (int op = 0; op < kNumOperators; ++op)
  {
    const size_t k = static_cast<size_t>(op);
    mTargets[kTargetOpALevel + k] = sums[kDestOpALevel + k];
    mTargets[kTargetOpAPitch + k] = sums[kDestOpAPitch + k] * kPitchScale;
    mPhaseTargets[k] = sums[kDestOpAPhase + k] * kPhaseScale;
    mParams.mOps[k].mPhaseModulation = static_cast<float>(mPhaseTargets[k]);
  }
  mTargets[kTargetFeedback] = sums[kDestFeedback];
  mTargets[kTargetFmAmount] = sums[kDestFmAmount];
  mTargets[kTargetCutoff] = sums[kDestCutoff];
  mTargets[kTargetResonance] = sums[kDestResonance];
  mTargets[kTargetGlobalPitch] = sums[kDestGlobalPitch] * kPitchScale;
}

template class ModMatrix<float>;
