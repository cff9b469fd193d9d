// The lane renderer's SSE2 kernel (four voices per register) and the instruction set choice.

#include "instrument/engine/FastMath.h"
#include "instrument/engine/LaneRenderer.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include <emmintrin.h>

namespace
{

struct Vec
{
  using V = __m128;
  static constexpr int kLanes = 4;
  static constexpr int kMaxGroups = 3;

  static V Set1(float x) { return _mm_set1_ps(x); }
  static V Zero() { return _mm_setzero_ps(); }
  static V Add(V a, V b) { return _mm_add_ps(a, b); }
  static V Sub(V a, V b) { return _mm_sub_ps(a, b); }
  static V Mul(V a, V b) { return _mm_mul_ps(a, b); }
  static V Div(V a, V b) { return _mm_div_ps(a, b); }
  static V Min(V a, V b) { return _mm_min_ps(a, b); }
  static V Max(V a, V b) { return _mm_max_ps(a, b); }
  static V And(V a, V b) { return _mm_and_ps(a, b); }
  static V CmpGe(V a, V b) { return _mm_cmpge_ps(a, b); }
  static V Load(const float* p) { return _mm_load_ps(p); }
  static void Store(float* p, V v) { _mm_store_ps(p, v); }
  static V Atan(V x) { return fastmath::FastAtan(x); }

  // out[i] = sample s + i of the four rows, lane by lane.
  static void Transpose(const float* const* rows, int s, V* out)
  {
    V r0 = _mm_loadu_ps(rows[0] + s);
    V r1 = _mm_loadu_ps(rows[1] + s);
    V r2 = _mm_loadu_ps(rows[2] + s);
    V r3 = _mm_loadu_ps(rows[3] + s);
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    out[0] = r0;
    out[1] = r1;
    out[2] = r2;
    out[3] = r3;
  }

  // Lane by lane WaveTableOsc::Read.
  static V Read(const float* const* table, V position)
  {
    const V magic = _mm_set1_ps(WaveTableOsc::kRoundingMagic);
    position = _mm_min_ps(_mm_max_ps(position, _mm_set1_ps(-WaveTableOsc::kPositionLimit)),
                          _mm_set1_ps(WaveTableOsc::kPositionLimit));
    const V shifted = _mm_add_ps(_mm_sub_ps(position, _mm_set1_ps(0.5f)), magic);
    const V fraction = _mm_sub_ps(position, _mm_sub_ps(shifted, magic));
    const __m128i index =
      _mm_and_si128(_mm_castps_si128(shifted), _mm_set1_epi32(WaveTableSet::kTableMask));
    const float* pair0 = table[0] + 2 * _mm_cvtsi128_si32(index);
    const float* pair1 = table[1] + 2 * _mm_cvtsi128_si32(_mm_shuffle_epi32(index, 1));
    const float* pair2 = table[2] + 2 * _mm_cvtsi128_si32(_mm_shuffle_epi32(index, 2));
    const float* pair3 = table[3] + 2 * _mm_cvtsi128_si32(_mm_shuffle_epi32(index, 3));
    const V pairs01 =
      _mm_loadh_pi(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pair0))),
                   reinterpret_cast<const __m64*>(pair1));
    const V pairs23 =
      _mm_loadh_pi(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pair2))),
                   reinterpret_cast<const __m64*>(pair3));
    const V values = _mm_shuffle_ps(pairs01, pairs23, _MM_SHUFFLE(2, 0, 2, 0));
    const V deltas = _mm_shuffle_ps(pairs01, pairs23, _MM_SHUFFLE(3, 1, 3, 1));
    return _mm_add_ps(values, _mm_mul_ps(deltas, fraction));
  }
};

} // namespace

#include "instrument/engine/LaneKernel.inl"

void LaneRenderer::RenderSse2(std::byte* workspace, PelmoraVoice* const* voices, int count, int n,
                              bool ladder, double* mix)
{
  RenderAll(workspace, voices, count, n, ladder, mix);
}

void LaneRenderer::FreeAligned::operator()(std::byte* p) const
{
  ::operator delete(p, std::align_val_t(kWorkspaceAlignment));
}

LaneRenderer::LaneRenderer()
  : mWorkspace(static_cast<std::byte*>(
      ::operator new(kWorkspaceBytes, std::align_val_t(kWorkspaceAlignment))))
{
  SetInstructionSet(EInstructionSet::kAvx);
}

LaneRenderer::~LaneRenderer() = default;

bool LaneRenderer::HasAvx()
{
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx");
}

void LaneRenderer::SetInstructionSet(EInstructionSet set)
{
  mSet = set == EInstructionSet::kAvx && HasAvx() ? EInstructionSet::kAvx : EInstructionSet::kSse2;
}

void LaneRenderer::Render(PelmoraVoice* const* voices, int count, int n, bool ladder, double* mix)
{
  if (mSet == EInstructionSet::kAvx)
  {
    RenderAvx(mWorkspace.get(), voices, count, n, ladder, mix);
  }
  else
  {
    RenderSse2(mWorkspace.get(), voices, count, n, ladder, mix);
  }
}
