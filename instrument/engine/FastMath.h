#pragma once

// Small numeric helpers of the engine's hot loops, each with a scalar and an SSE form that give
// bit-identical results (the same operations in the same order), so that the voice's plain
// per-sample path and its four-voice SIMD path agree exactly.
//
// FastAtan: arctangent in single precision, within 2e-7 of the true value relative to it (checked
// by the engine tests). The filter's first ladder stage saturates through it once per sample and
// voice, where the library's atanf would cost more than the rest of the filter. Arguments of
// magnitude up to 0.25 (a filter state below about 11, every ordinary signal) take a short odd
// polynomial (Taylor to x^9, remainder below 2.2e-8); larger ones take the classic reduction to
// |t| <= tan(pi/8) (t = x, (x - 1) / (x + 1) or -1 / x) and a degree-9 minimax polynomial.
//
// DenormalGuard: flush-to-zero and denormals-are-zero for the lifetime of the object, the caller's
// MXCSR restored afterwards. The engine holds one for each process call, so that decaying filter
// and chorus states never fall into slow subnormal arithmetic.

#include <cmath>
#include <cstdint>

#include <xmmintrin.h>

namespace fastmath
{

constexpr float kAtanSmall = 0.25f;
constexpr float kTanThreePiOver8 = 2.414213562373095f;
constexpr float kTanPiOver8 = 0.4142135623730950f;
constexpr float kPiOver2 = 1.5707963267948966f;
constexpr float kPiOver4 = 0.7853981633974483f;

// Taylor coefficients of atan for small arguments.
constexpr float kT3 = -1.0f / 3.0f;
constexpr float kT5 = 1.0f / 5.0f;
constexpr float kT7 = -1.0f / 7.0f;
constexpr float kT9 = 1.0f / 9.0f;
// Minimax coefficients on |t| <= tan(pi/8) (relative error about 1.9e-7).
constexpr float kM9 = 8.05374449538e-2f;
constexpr float kM7 = -1.38776856032e-1f;
constexpr float kM5 = 1.99777106478e-1f;
constexpr float kM3 = -3.33329491539e-1f;

// |x| <= kAtanSmall. Estrin's scheme: a short dependency chain in the filter's feedback loop.
inline float AtanSmall(float x)
{
  const float z = x * x;
  const float z2 = z * z;
  const float p = (kT5 * z + kT3) + z2 * (kT9 * z + kT7);
  return x + (x * z) * p;
}

inline float AtanLarge(float x)
{
  const float ax = std::fabs(x);
  const bool far = ax > kTanThreePiOver8;
  const bool mid = ax > kTanPiOver8;
  const float num = far ? -1.0f : (mid ? ax - 1.0f : ax);
  const float den = far ? ax : (mid ? ax + 1.0f : 1.0f);
  const float base = far ? kPiOver2 : (mid ? kPiOver4 : 0.0f);
  const float t = num / den;
  const float z = t * t;
  const float p = (((kM9 * z + kM7) * z + kM5) * z + kM3) * z * t + t;
  return std::copysign(base + p, x);
}

inline float FastAtan(float x)
{
  return std::fabs(x) > kAtanSmall ? AtanLarge(x) : AtanSmall(x);
}

inline __m128 Select(__m128 mask, __m128 ifTrue, __m128 ifFalse)
{
  return _mm_or_ps(_mm_and_ps(mask, ifTrue), _mm_andnot_ps(mask, ifFalse));
}

inline __m128 AtanSmall(__m128 x)
{
  const __m128 z = _mm_mul_ps(x, x);
  const __m128 z2 = _mm_mul_ps(z, z);
  const __m128 low = _mm_add_ps(_mm_mul_ps(_mm_set1_ps(kT5), z), _mm_set1_ps(kT3));
  const __m128 high = _mm_add_ps(_mm_mul_ps(_mm_set1_ps(kT9), z), _mm_set1_ps(kT7));
  const __m128 p = _mm_add_ps(low, _mm_mul_ps(z2, high));
  return _mm_add_ps(x, _mm_mul_ps(_mm_mul_ps(x, z), p));
}

inline __m128 Abs(__m128 x)
{
  return _mm_andnot_ps(_mm_set1_ps(-0.0f), x);
}

inline __m128 AtanLarge(__m128 x)
{
  const __m128 ax = Abs(x);
  const __m128 one = _mm_set1_ps(1.0f);
  const __m128 far = _mm_cmpgt_ps(ax, _mm_set1_ps(kTanThreePiOver8));
  const __m128 mid = _mm_cmpgt_ps(ax, _mm_set1_ps(kTanPiOver8));
  const __m128 num = Select(far, _mm_set1_ps(-1.0f), Select(mid, _mm_sub_ps(ax, one), ax));
  const __m128 den = Select(far, ax, Select(mid, _mm_add_ps(ax, one), one));
  const __m128 base =
    Select(far, _mm_set1_ps(kPiOver2), Select(mid, _mm_set1_ps(kPiOver4), _mm_setzero_ps()));
  const __m128 t = _mm_div_ps(num, den);
  const __m128 z = _mm_mul_ps(t, t);
  __m128 p = _mm_add_ps(_mm_mul_ps(_mm_set1_ps(kM9), z), _mm_set1_ps(kM7));
  p = _mm_add_ps(_mm_mul_ps(p, z), _mm_set1_ps(kM5));
  p = _mm_add_ps(_mm_mul_ps(p, z), _mm_set1_ps(kM3));
  p = _mm_add_ps(_mm_mul_ps(_mm_mul_ps(p, z), t), t);
  const __m128 sign = _mm_and_ps(x, _mm_set1_ps(-0.0f));
  return _mm_or_ps(_mm_add_ps(base, p), sign);
}

// Lane by lane the same as the scalar FastAtan. The large-argument path runs only when a lane
// needs it, which ordinary signals never do.
inline __m128 FastAtan(__m128 x)
{
  const __m128 small = AtanSmall(x);
  const __m128 large = _mm_cmpgt_ps(Abs(x), _mm_set1_ps(kAtanSmall));
  if (_mm_movemask_ps(large) == 0)
  {
    return small;
  }
  return Select(large, AtanLarge(x), small);
}

// Wraps a phase into one cycle of `size` with one floor: exact for every finite input; a tiny
// negative input may round to exactly `size`, which table reads take modulo the cycle.
// Not a number gives 0.
inline float WrapPhase(float phase, float size)
{
  if (!std::isfinite(phase))
  {
    return 0.0f;
  }
  return phase - std::floor(phase / size) * size;
}

class DenormalGuard
{
public:
  static constexpr uint32_t kFlushToZero = 0x8000;
  static constexpr uint32_t kDenormalsAreZero = 0x0040;

  DenormalGuard() : mSaved(_mm_getcsr()) { _mm_setcsr(mSaved | kFlushToZero | kDenormalsAreZero); }
  ~DenormalGuard() { _mm_setcsr(mSaved); }
  DenormalGuard(const DenormalGuard&) = delete;
  DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
  uint32_t mSaved;
};

} // namespace fastmath
