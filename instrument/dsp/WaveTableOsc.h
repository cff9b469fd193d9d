#pragma once

// WaveTableOsc: one operator oscillator reading a WaveTableSet.
//
// The phase runs in table units, [0, 8192) per cycle. Each sample reads the table at the phase
// plus a modulation offset (FM input, phase offset, phase modulation; wrapped into the cycle)
// with linear interpolation, then advances the phase. The frequency, and with it the band level,
// is set once per sub-block; the per-sample path has no branch and no integer conversion.
//
// The oscillator does not own its tables: the engine holds the shared_ptr of its WaveTableSet and
// binds its oscillators to it at reset. An oscillator that was never bound plays silence.
// OscillatorQuad (below) runs four oscillators together in SIMD lanes.

#include "instrument/dsp/WaveTableSet.h"

#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

class WaveTableOsc
{
public:
  static constexpr int kTableSize = WaveTableSet::kTableSize;
  static constexpr float kTableSizeF = static_cast<float>(kTableSize);

  // Read positions are first clamped to +-kPositionLimit table units (512 cycles; this also
  // turns a NaN into a number, so a voice's feedback loop recovers). Adding 1.5 * 2^23 to
  // position - 0.5 then rounds it to an integer held in the low mantissa bits: the floor of the
  // position (or, for a whole position, one less with a fraction of 1, which reads the same
  // value). The low 13 bits are the table index modulo 8192, for negative positions too.
  static constexpr float kPositionLimit = 4194303.0f;
  static constexpr float kRoundingMagic = 12582912.0f;

  WaveTableOsc();

  // [main thread] Binds the oscillator to a table set and the instance's exact sample rate
  // (phase increments use the exact rate; the set was built for its integer part).
  void SetTables(const WaveTableSet* tables, double sampleRate);

  // [audio thread] 0..10, clamped.
  void SetWaveform(int waveform);
  // [audio thread] Phase increment hz * 8192 / rate (wrapped into one cycle) and the band level
  // for hz; once per sub-block.
  void SetFrequency(float hz);
  // [audio thread] An explicit increment in table units per sample and band level (the waveform
  // preview plays level 0 at its own increment).
  void SetIncrement(float increment, int level);
  // [audio thread] Any finite phase, wrapped into one cycle; anything else restarts at 0.
  void SetPhase(float phase);

  // [audio thread] One sample: the table at phase + phaseModulation; then the phase advances.
  float Tick(float phaseModulation)
  {
    const float y = Read(mTable, mPhase + phaseModulation);
    const float next = mPhase + mIncrement;
    mPhase = next >= kTableSizeF ? next - kTableSizeF : next;
    return y;
  }

  // [audio thread] n samples without and with a per-sample phase modulation.
  void Render(float* out, int n);
  void Render(float* out, const float* phaseModulation, int n);

  // [any thread] Linear interpolation of a (value, delta) table at any position, wrapped into
  // [0, kTableSize).
  static float Read(const float* table, float position)
  {
    position = position > -kPositionLimit ? position : -kPositionLimit; // NaN too
    position = position < kPositionLimit ? position : kPositionLimit;
    const float shifted = (position - 0.5f) + kRoundingMagic;
    const int32_t index = std::bit_cast<int32_t>(shifted) & WaveTableSet::kTableMask;
    const float fraction = position - (shifted - kRoundingMagic);
    const float* pair = table + 2 * index;
    return pair[0] + pair[1] * fraction;
  }

  // [audio thread] An increment brought into [0, kTableSize): a frequency above the sample rate
  // aliases to the same samples, and Tick subtracts at most one cycle. Not a number gives 0.
  static float WrapIncrement(float increment);

  float GetPhase() const { return mPhase; }
  float GetIncrement() const { return mIncrement; }
  int GetLevel() const { return mLevel; }
  int GetWaveform() const { return mWaveform; }
  const float* GetTable() const { return mTable; }
  // Phase increment per hertz: 8192 / sample rate.
  float GetTableSizeDivSampleRate() const { return mTableSizeDivSampleRate; }

  // The table an unbound oscillator reads: one silent cycle.
  static const float* SilentTable();

private:
  void SelectTable();

  const WaveTableSet* mTables = nullptr;
  const float* mTable;
  float mTableSizeDivSampleRate = kTableSizeF / 48000.0f;
  int mWaveform = 0;
  int mLevel = 0;
  float mPhase = 0.0f;
  float mIncrement = 0.0f;
};

// OscillatorQuad: four wave-table oscillators in the four lanes of one SSE register.
//
// A sample of all four costs about what one scalar oscillator does. What a lane is belongs to
// the caller: the four operators of one voice, or the same operator of four voices. Prefer the
// second for rendering: the operators of one voice wait on each other's previous sample through
// FM, so a voice rendered alone is bound by that chain's latency, while independent voices side
// by side keep the processor busy (about four times faster for twelve voices; see
// bench/BenchDsp.cpp). Each lane reads exactly what WaveTableOsc::Tick would.
class alignas(16) OscillatorQuad
{
public:
  static constexpr int kLanes = 4;

  OscillatorQuad();

  // [main thread] Binds all four lanes to a table set and the instance's exact sample rate.
  void SetTables(const WaveTableSet* tables, double sampleRate);

  // [audio thread] Per lane, as WaveTableOsc does; once per sub-block.
  void SetWaveform(int lane, int waveform);
  void SetFrequency(int lane, float hz);
  void SetIncrement(int lane, float increment, int level);
  void SetPhase(int lane, float phase);

  float GetPhase(int lane) const { return mPhase[lane]; }
  const WaveTableOsc& Lane(int lane) const { return mLanes[lane]; }

#if defined(__SSE2__)
  // [audio thread] Lane k: its table at its phase + modulation[k]; every phase advances.
  __m128 Tick(__m128 modulation);
#endif
  // [audio thread] The same on arrays of kLanes floats.
  void Tick(const float* modulation, float* out);

private:
  void Sync(int lane);

  alignas(16) float mPhase[kLanes] = {};
  alignas(16) float mIncrement[kLanes] = {};
  const float* mTable[kLanes];
  WaveTableOsc mLanes[kLanes]; // per-lane settings; their own phases are not used by Tick
};

#if defined(__SSE2__)
// [audio thread]
inline __m128 OscillatorQuad::Tick(__m128 modulation)
{
  const __m128 magic = _mm_set1_ps(WaveTableOsc::kRoundingMagic);
  const __m128 size = _mm_set1_ps(WaveTableOsc::kTableSizeF);
  const __m128 phase = _mm_load_ps(mPhase);
  // _mm_max_ps returns its second operand when the first is NaN.
  const __m128 position = _mm_min_ps(
    _mm_max_ps(_mm_add_ps(phase, modulation), _mm_set1_ps(-WaveTableOsc::kPositionLimit)),
    _mm_set1_ps(WaveTableOsc::kPositionLimit));
  const __m128 shifted = _mm_add_ps(_mm_sub_ps(position, _mm_set1_ps(0.5f)), magic);
  const __m128 fraction = _mm_sub_ps(position, _mm_sub_ps(shifted, magic));
  const __m128i index =
    _mm_and_si128(_mm_castps_si128(shifted), _mm_set1_epi32(WaveTableSet::kTableMask));
  // Each lane's (value, delta) pair is one 8-byte load; __m128i and __m64 may alias floats.
  const float* pair0 = mTable[0] + 2 * _mm_cvtsi128_si32(index);
  const float* pair1 = mTable[1] + 2 * _mm_cvtsi128_si32(_mm_shuffle_epi32(index, 1));
  const float* pair2 = mTable[2] + 2 * _mm_cvtsi128_si32(_mm_shuffle_epi32(index, 2));
  const float* pair3 = mTable[3] + 2 * _mm_cvtsi128_si32(_mm_shuffle_epi32(index, 3));
  const __m128 pairs01 =
    _mm_loadh_pi(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pair0))),
                 reinterpret_cast<const __m64*>(pair1));
  const __m128 pairs23 =
    _mm_loadh_pi(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pair2))),
                 reinterpret_cast<const __m64*>(pair3));
  const __m128 values = _mm_shuffle_ps(pairs01, pairs23, _MM_SHUFFLE(2, 0, 2, 0));
  const __m128 deltas = _mm_shuffle_ps(pairs01, pairs23, _MM_SHUFFLE(3, 1, 3, 1));
  const __m128 next = _mm_add_ps(phase, _mm_load_ps(mIncrement));
  _mm_store_ps(mPhase, _mm_sub_ps(next, _mm_and_ps(_mm_cmpge_ps(next, size), size)));
  return _mm_add_ps(values, _mm_mul_ps(deltas, fraction));
}
#endif

// [audio thread]
inline void OscillatorQuad::Tick(const float* modulation, float* out)
{
#if defined(__SSE2__)
  _mm_storeu_ps(out, Tick(_mm_loadu_ps(modulation)));
#else
  for (int lane = 0; lane < kLanes; ++lane)
  {
    out[lane] = WaveTableOsc::Read(mTable[lane], mPhase[lane] + modulation[lane]);
    const float next = mPhase[lane] + mIncrement[lane];
    mPhase[lane] = next >= WaveTableOsc::kTableSizeF ? next - WaveTableOsc::kTableSizeF : next;
  }
#endif
}
