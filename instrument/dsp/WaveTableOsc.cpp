#include "instrument/dsp/WaveTableOsc.h"

#include <algorithm>
#include <cmath>

const float* WaveTableOsc::SilentTable()
{
  static const float silence[2 * WaveTableSet::kTableSize] = {};
  return silence;
}

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

float WaveTableOsc::WrapIncrement(float increment)
{
  if (increment >= 0.0f && increment < kTableSizeF)
  {
    return increment;
  }
  if (!std::isfinite(increment))
  {
    return 0.0f;
  }
  const float wrapped = increment - std::floor(increment / kTableSizeF) * kTableSizeF;
  return wrapped >= 0.0f && wrapped < kTableSizeF ? wrapped : 0.0f;
}

void WaveTableOsc::SetIncrement(float increment, int level)
{
  mIncrement = WrapIncrement(increment);
  mLevel = mTables != nullptr ? std::clamp(level, 0, mTables->NumLevels() - 1) : 0;
  SelectTable();
}

void WaveTableOsc::SetPhase(float phase)
{
  mPhase = WrapIncrement(phase);
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

OscillatorQuad::OscillatorQuad()
{
  for (int lane = 0; lane < kLanes; ++lane)
  {
    Sync(lane);
  }
}

void OscillatorQuad::Sync(int lane)
{
  mIncrement[lane] = mLanes[lane].GetIncrement();
  mTable[lane] = mLanes[lane].GetTable();
}

void OscillatorQuad::SetTables(const WaveTableSet* tables, double sampleRate)
{
  for (int lane = 0; lane < kLanes; ++lane)
  {
    mLanes[lane].SetTables(tables, sampleRate);
    Sync(lane);
  }
}

void OscillatorQuad::SetWaveform(int lane, int waveform)
{
  mLanes[lane].SetWaveform(waveform);
  Sync(lane);
}

void OscillatorQuad::SetFrequency(int lane, float hz)
{
  mLanes[lane].SetFrequency(hz);
  Sync(lane);
}

void OscillatorQuad::SetIncrement(int lane, float increment, int level)
{
  mLanes[lane].SetIncrement(increment, level);
  Sync(lane);
}

void OscillatorQuad::SetPhase(int lane, float phase)
{
  mPhase[lane] = WaveTableOsc::WrapIncrement(phase);
}
