#pragma once

// The per-sample arithmetic of a voice, in its plain scalar form.
//
// A voice renders a sub-block in two steps. First, once per sub-block, it turns the sound model,
// its modulation targets, glide and bend into a VoiceFrame: phase increments and tables, phase
// offsets, FM weights, output weights and filter coefficients, all fixed for the sub-block.
// Then, per sample, the functions below run the four operators, the routing and the filter on
// the VoiceState (phases, FM inputs, filter states).
//
// These functions are the reference: the voice's plain path calls them sample by sample, and the
// four-voice SIMD path (LaneRenderer) performs the same operations in the same order in each
// lane, so both give the same samples.
//
// Per sample, for each operator k in the order A, B, C, D:
//   position = phase + (FM input + phase offset)     read with linear interpolation
//   phase   += increment, minus 8192 once at the end of the cycle
//   out_k    = clamp(table value * amplitude_k, -1, 1)
// then the FM inputs of the next sample, with w = routing depth * FM amount:
//   A = (out_B w_BA + out_C w_CA) + out_D w_DA;  B = out_C w_CB + out_D w_DB;  C = out_D w_DC
//   D = out_D w_DD                               (w_DD also carries "Feedback (Operator D)")
// and the voice's mix x = ((out_A e_A + out_B e_B) + out_C e_C) + out_D e_D, with e the output
// gains times the voice's gain. The mix goes through the filter of the sub-block's type.

#include "instrument/dsp/GlobalParams.h"
#include "instrument/dsp/WaveTableOsc.h"
#include "instrument/engine/FastMath.h"

#include <array>
#include <cstddef>

// Operator indices of the routing grid (4 * source + destination).
constexpr int kPathBA = 4 * kOpB + kOpA;
constexpr int kPathCA = 4 * kOpC + kOpA;
constexpr int kPathDA = 4 * kOpD + kOpA;
constexpr int kPathCB = 4 * kOpC + kOpB;
constexpr int kPathDB = 4 * kOpD + kOpB;
constexpr int kPathDC = 4 * kOpD + kOpC;
constexpr int kPathDD = 4 * kOpD + kOpD;

// One filter type's settings (the "Filter Type" list): ladder output tap and blend for types 0-3,
// the mix coefficients c0-c3, the state-variable band-pass flag and weight w for types 4 and 5.
struct FilterMode
{
  bool mLadder;
  int mTap;
  float mBlend;
  float mC[4];
  bool mBandPass;
  float mW;
};

constexpr int kNumFilterTypes = 6;
constexpr FilterMode kFilterModes[kNumFilterTypes] = {
  {true, 3, 0.0f, {1.0f, 0.0f, -0.5f, 0.5f}, false, 1.0f},                    // "Lowpass 6 db/Oct"
  {true, 2, 0.0009999871f, {0.999f, 0.333f, -0.167f, 0.167f}, false, 0.667f}, // "Lowpass 12 db/Oct"
  {true, 1, 0.0019999743f, {0.998f, 0.666f, 0.166f, -0.166f}, false, 0.334f}, // "Lowpass 18 db/Oct"
  {true, 0, 0.0f, {1.0f, 1.0f, 0.5f, -0.5f}, false, 0.0f},                    // "Lowpass 24 db/Oct"
  {false, 3, 0.0f, {1.0f, 0.0f, -0.5f, 0.5f}, false, 1.0f}, // "Highpass 12 db/Oct"
  {false, 1, 0.5f, {0.5f, 0.5f, 0.0f, 0.0f}, true, 0.5f},   // "Bandpass 12 db/Oct"
};

// Everything a voice's sample loop reads, fixed for one sub-block. After the tables come only
// floats (kFrameFloats of them), so that the fast path can copy them as one array.
struct VoiceFrame
{
  std::array<const float*, kNumOperators> mTable{}; // (value, delta) pairs of the band level
  std::array<float, kNumOperators> mIncrement{};    // table units per sample, [0, 8192)
  std::array<float, kNumOperators> mPhaseOffset{};  // "Phase" plus phase modulation, [0, 8192]
  std::array<float, kNumOperators> mLevelOffset{};  // modulation added to each amplitude
  std::array<float, kNumOperators> mOutputWeight{};
  // w_DD: the feedback depth times the feedback amount (modulation included) and the FM amount.
  float mWBA = 0, mWCA = 0, mWDA = 0, mWCB = 0, mWDB = 0, mWDC = 0, mWDD = 0;

  // Ladder: sigma = sum mSigma[i] s_i is k times the stages' state response divided by
  // (1 + k G^4); u = x * mInputScale - sigma is the input of the first stage.
  float mG = 0;
  std::array<float, 4> mSigma{};
  float mInputScale = 1;
  float mSaturation = 1;       // a: the first stage's state is atan(a v) / a
  float mInvSaturation = 1;    // 1 / a
  std::array<float, 4> mTap{}; // output weights of y1..y4, the make-up gain included

  // State variable: g, 1 - r and the weights of low, band and high pass.
  float mSvfG = 0;
  float mOneMinusR = 1;
  float mWeightLow = 0, mWeightBand = 0, mWeightHigh = 0;
};

constexpr size_t kFrameFloatsOffset = offsetof(VoiceFrame, mIncrement);
constexpr size_t kFrameFloats = (sizeof(VoiceFrame) - kFrameFloatsOffset) / sizeof(float);
static_assert(sizeof(VoiceFrame) == kFrameFloatsOffset + kFrameFloats * sizeof(float),
              "VoiceFrame holds floats only after its tables");
static_assert(kFrameFloats % 8 == 0, "VoiceFrame's floats come in blocks of eight");

// What a voice carries from sample to sample.
struct VoiceState
{
  std::array<float, kNumOperators> mPhase{}; // [0, 8192)
  std::array<float, kNumOperators> mFm{};    // FM input of the next sample, table units
  std::array<float, 4> mFilter{};            // ladder s0-s3; state variable: band, low
  std::array<float, 4> mPadding{};           // sixteen floats in all, copied eight at a time
};

constexpr size_t kStateFloats = sizeof(VoiceState) / sizeof(float);
static_assert(kStateFloats == 16);

namespace voicekernel
{

constexpr float kTableSize = WaveTableOsc::kTableSizeF;

inline float Clamp(float v)
{
  const float t = v > -1.0f ? v : -1.0f; // also turns a NaN into -1
  return t < 1.0f ? t : 1.0f;
}

// The four operators and the routing for one sample; returns the voice's mix.
inline float Operators(const VoiceFrame& f, VoiceState& st, const float* amplitude)
{
  float out[kNumOperators];
  for (int k = 0; k < kNumOperators; ++k)
  {
    const float position = st.mPhase[k] + (st.mFm[k] + f.mPhaseOffset[k]);
    const float y = WaveTableOsc::Read(f.mTable[k], position);
    const float next = st.mPhase[k] + f.mIncrement[k];
    st.mPhase[k] = next >= kTableSize ? next - kTableSize : next;
    out[k] = Clamp(y * amplitude[k]);
  }
  st.mFm[kOpA] = (out[kOpB] * f.mWBA + out[kOpC] * f.mWCA) + out[kOpD] * f.mWDA;
  st.mFm[kOpB] = out[kOpC] * f.mWCB + out[kOpD] * f.mWDB;
  st.mFm[kOpC] = out[kOpD] * f.mWDC;
  st.mFm[kOpD] = out[kOpD] * f.mWDD;
  return ((out[kOpA] * f.mOutputWeight[kOpA] + out[kOpB] * f.mOutputWeight[kOpB]) +
          out[kOpC] * f.mOutputWeight[kOpC]) +
         out[kOpD] * f.mOutputWeight[kOpD];
}

// Four zero-delay-feedback one-pole stages with resonance feedback; the first stage saturates.
inline float Ladder(const VoiceFrame& f, std::array<float, 4>& s, float x)
{
  const float sigma =
    (f.mSigma[0] * s[0] + f.mSigma[1] * s[1]) + (f.mSigma[2] * s[2] + f.mSigma[3] * s[3]);
  const float u = x * f.mInputScale - sigma;
  const float z1 = (u - s[0]) * f.mG;
  const float y1 = s[0] + z1;
  s[0] = fastmath::FastAtan((z1 + y1) * f.mSaturation) * f.mInvSaturation;
  const float z2 = (y1 - s[1]) * f.mG;
  const float y2 = s[1] + z2;
  s[1] = y2 + z2;
  const float z3 = (y2 - s[2]) * f.mG;
  const float y3 = s[2] + z3;
  s[2] = y3 + z3;
  const float z4 = (y3 - s[3]) * f.mG;
  const float y4 = s[3] + z4;
  s[3] = y4 + z4;
  return (f.mTap[0] * y1 + f.mTap[1] * y2) + (f.mTap[2] * y3 + f.mTap[3] * y4);
}

// Zero-delay-feedback state-variable filter whose damping grows with the band state.
inline float StateVariable(const VoiceFrame& f, std::array<float, 4>& s, float x)
{
  const float g = f.mSvfG;
  const float q = 0.0876f * s[0];
  const float r = (((0.0103592f * q + 0.00920833f) * q + 0.185f) * q + 0.05f) * q + f.mOneMinusR;
  const float twoR = r + r;
  const float hp = (((x - twoR * s[0]) - g * s[0]) - s[1]) / ((twoR + g) * g + 1.0f);
  const float bp = hp * g + s[0];
  const float lp = bp * g + s[1];
  s[0] = bp + g * hp;
  s[1] = lp + g * bp;
  return (f.mWeightLow * lp + f.mWeightBand * bp) + f.mWeightHigh * hp;
}

} // namespace voicekernel
