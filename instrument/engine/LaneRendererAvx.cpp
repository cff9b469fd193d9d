// The lane renderer's AVX kernel: eight voices per register, the same operations as the SSE2
// kernel and the plain path. Compiled for AVX by a pragma that covers only the code below the
// includes, so that no inline function of a header is ever emitted with AVX instructions; it runs
// only on processors that have AVX (LaneRenderer checks).

#include "instrument/engine/FastMath.h"
#include "instrument/engine/LaneRenderer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include <immintrin.h>

#pragma GCC push_options
#pragma GCC target("avx")

namespace
{

struct Vec
{
  using V = __m256;
  static constexpr int kLanes = 8;
  static constexpr int kMaxGroups = 2;

  static V Set1(float x) { return _mm256_set1_ps(x); }
  static V Zero() { return _mm256_setzero_ps(); }
  static V Add(V a, V b) { return _mm256_add_ps(a, b); }
  static V Sub(V a, V b) { return _mm256_sub_ps(a, b); }
  static V Mul(V a, V b) { return _mm256_mul_ps(a, b); }
  static V Div(V a, V b) { return _mm256_div_ps(a, b); }
  static V Min(V a, V b) { return _mm256_min_ps(a, b); }
  static V Max(V a, V b) { return _mm256_max_ps(a, b); }
  static V And(V a, V b) { return _mm256_and_ps(a, b); }
  static V CmpGe(V a, V b) { return _mm256_cmp_ps(a, b, _CMP_GE_OQ); }
  static V Load(const float* p) { return _mm256_load_ps(p); }
  static void Store(float* p, V v) { _mm256_store_ps(p, v); }

  static V Select(V mask, V ifTrue, V ifFalse)
  {
    return _mm256_or_ps(_mm256_and_ps(mask, ifTrue), _mm256_andnot_ps(mask, ifFalse));
  }
  static V Abs(V x) { return _mm256_andnot_ps(_mm256_set1_ps(-0.0f), x); }

  // out[i] = sample s + i of the eight rows, lane by lane.
  static void Transpose(const float* const* rows, int s, V* out)
  {
    V t[8];
    for (int i = 0; i < 8; i += 2)
    {
      const V a = _mm256_loadu_ps(rows[i] + s);
      const V b = _mm256_loadu_ps(rows[i + 1] + s);
      t[i] = _mm256_unpacklo_ps(a, b);
      t[i + 1] = _mm256_unpackhi_ps(a, b);
    }
    V u[8];
    for (int half = 0; half < 2; ++half)
    {
      const V* h = t + 4 * half;
      u[4 * half + 0] = _mm256_shuffle_ps(h[0], h[2], _MM_SHUFFLE(1, 0, 1, 0));
      u[4 * half + 1] = _mm256_shuffle_ps(h[0], h[2], _MM_SHUFFLE(3, 2, 3, 2));
      u[4 * half + 2] = _mm256_shuffle_ps(h[1], h[3], _MM_SHUFFLE(1, 0, 1, 0));
      u[4 * half + 3] = _mm256_shuffle_ps(h[1], h[3], _MM_SHUFFLE(3, 2, 3, 2));
    }
    for (int i = 0; i < 4; ++i)
    {
      out[i] = _mm256_permute2f128_ps(u[i], u[4 + i], 0x20);
      out[4 + i] = _mm256_permute2f128_ps(u[i], u[4 + i], 0x31);
    }
  }

  // fastmath::FastAtan, eight lanes.
  static V Atan(V x)
  {
    using namespace fastmath;
    const V z = Mul(x, x);
    const V z2 = Mul(z, z);
    const V low = Add(Mul(Set1(kT5), z), Set1(kT3));
    const V high = Add(Mul(Set1(kT9), z), Set1(kT7));
    const V small = Add(x, Mul(Mul(x, z), Add(low, Mul(z2, high))));
    const V large = _mm256_cmp_ps(Abs(x), Set1(kAtanSmall), _CMP_GT_OQ);
    if (_mm256_movemask_ps(large) == 0)
    {
      return small;
    }
    const V ax = Abs(x);
    const V one = Set1(1.0f);
    const V far = _mm256_cmp_ps(ax, Set1(kTanThreePiOver8), _CMP_GT_OQ);
    const V mid = _mm256_cmp_ps(ax, Set1(kTanPiOver8), _CMP_GT_OQ);
    const V num = Select(far, Set1(-1.0f), Select(mid, Sub(ax, one), ax));
    const V den = Select(far, ax, Select(mid, Add(ax, one), one));
    const V base = Select(far, Set1(kPiOver2), Select(mid, Set1(kPiOver4), Zero()));
    const V t = Div(num, den);
    const V tz = Mul(t, t);
    V p = Add(Mul(Set1(kM9), tz), Set1(kM7));
    p = Add(Mul(p, tz), Set1(kM5));
    p = Add(Mul(p, tz), Set1(kM3));
    p = Add(Mul(Mul(p, tz), t), t);
    const V sign = _mm256_and_ps(x, Set1(-0.0f));
    return Select(large, _mm256_or_ps(Add(base, p), sign), small);
  }

  // Lane by lane WaveTableOsc::Read.
  static V Read(const float* const* table, V position)
  {
    const V magic = Set1(WaveTableOsc::kRoundingMagic);
    position =
      Min(Max(position, Set1(-WaveTableOsc::kPositionLimit)), Set1(WaveTableOsc::kPositionLimit));
    const V shifted = Add(Sub(position, Set1(0.5f)), magic);
    const V fraction = Sub(position, Sub(shifted, magic));
    alignas(32) int32_t index[8];
    _mm256_store_ps(reinterpret_cast<float*>(index),
                    And(shifted, _mm256_castsi256_ps(_mm256_set1_epi32(WaveTableSet::kTableMask))));
    __m128 halves[2][2];
    for (int h = 0; h < 2; ++h)
    {
      for (int p = 0; p < 2; ++p)
      {
        const int lane = 4 * h + 2 * p;
        const float* first = table[lane] + 2 * index[lane];
        const float* second = table[lane + 1] + 2 * index[lane + 1];
        halves[h][p] =
          _mm_loadh_pi(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(first))),
                       reinterpret_cast<const __m64*>(second));
      }
    }
    const V pairsLow = _mm256_set_m128(halves[1][0], halves[0][0]);
    const V pairsHigh = _mm256_set_m128(halves[1][1], halves[0][1]);
    const V values = _mm256_shuffle_ps(pairsLow, pairsHigh, _MM_SHUFFLE(2, 0, 2, 0));
    const V deltas = _mm256_shuffle_ps(pairsLow, pairsHigh, _MM_SHUFFLE(3, 1, 3, 1));
    return Add(values, Mul(deltas, fraction));
  }
};

} // namespace

#include "instrument/engine/LaneKernel.inl"

void LaneRenderer::RenderAvx(std::byte* workspace, PelmoraVoice* const* voices, int count, int n,
                             bool ladder, double* mix)
{
  RenderAll(workspace, voices, count, n, ladder, mix);
}

#pragma GCC pop_options
