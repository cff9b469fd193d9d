#include "instrument/dsp/WaveTableOsc.h"

#include <algorithm>
#include <cmath>

namespace
{

// What an oscillator reads before it is bound to a table set: one silent cycle.
const float* SilentTable()
{
  static const float silence[WaveTableSet::kTableSize + 1] = {};
  return silence;
}

} // namespace

WaveTableOsc::WaveTableOsc() : mTable(SilentTable()) {}

void WaveTableOsc::SetTables(const WaveTableSet* tables, double sampleRate)
{
  mTables = tables;
  mTableSizeDivSampleRate = sampleRate > 0.0 ? static_cast<float>(kTableSize / sampleRate) : 0.0f;
  mLevel = mTables != nullptr ? std::min(mLevel, mTables->NumLevels() - 1) : 0;
  SelectTable();
}

void WaveTableOsc::SetWaveform(int waveform)
{
  mWaveform = std::clamp(waveform, 0, WaveTableSet::kNumWaveforms - 1);
  SelectTable();
}

void WaveTableOsc::SetFrequency(float hz)
{
  const float increment = hz * mTableSizeDivSampleRate;
  const int level = mTables != nullptr ? mTables->LevelForFrequency(hz) : 0;
  SetIncrement(increment, level);
}

void WaveTableOsc::SetIncrement(float increment, int level)
{
  // Tick subtracts one cycle at most, so the increment must stay within one cycle; a frequency
  // above the sample rate aliases to the same samples either way.
  if (!(increment >= 0.0f && increment < kTableSizeF))
  {
    increment = std::isfinite(increment)
                  ? increment - std::floor(increment / kTableSizeF) * kTableSizeF
                  : 0.0f;
    increment = increment < kTableSizeF ? increment : 0.0f;
  }
  mIncrement = increment;
  mLevel = mTables != nullptr ? std::clamp(level, 0, mTables->NumLevels() - 1) : 0;
  SelectTable();
}

void WaveTableOsc::SetPhase(float phase)
{
  const float wrapped =
    std::isfinite(phase) ? phase - std::floor(phase / kTableSizeF) * kTableSizeF : 0.0f;
  mPhase = wrapped >= 0.0f && wrapped < kTableSizeF ? wrapped : 0.0f;
}

void WaveTableOsc::Render(float* out, int n)
{
  for (int i = 0; i < n; ++i)
  {
    out[i] = Tick(0.0f);
  }
}

void WaveTableOsc::Render(float* out, const float* phaseModulation, int n)
{
  for (int i = 0; i < n; ++i)
  {
    out[i] = Tick(phaseModulation[i]);
  }
}

void WaveTableOsc::SelectTable()
{
  mTable = mTables != nullptr ? mTables->Table(mWaveform, mLevel) : SilentTable();
}
