// The lane renderer's kernel, written once for any SIMD width. Included by LaneRendererSse2.cpp
// and LaneRendererAvx.cpp after each has defined its vector traits `Vec`:
//
//   V, kLanes, kMaxGroups (groups rendered side by side); Set1(float), Zero(), Add, Sub, Mul,
//   Div, Min, Max, And, CmpGe (all-ones lanes where true), Load and Store (aligned floats),
//   Read(const float* const tables[kLanes], V position) (WaveTableOsc::Read per lane), Atan(V)
//   (fastmath::FastAtan per lane), Transpose(rows, s, out) (out[i] = element s + i of each row)
//
// where every operation rounds as its scalar counterpart does. Everything here has internal
// linkage: each file compiles its own copy for its own instruction set.

namespace
{

constexpr int kLanes = Vec::kLanes;
using V = typename Vec::V;

// A float field's index in VoiceFrame's float array.
#define PELMORA_FRAME_INDEX(field)                                                                 \
  ((offsetof(VoiceFrame, field) - kFrameFloatsOffset) / sizeof(float))
constexpr size_t kIncrement = PELMORA_FRAME_INDEX(mIncrement);
constexpr size_t kPhaseOffset = PELMORA_FRAME_INDEX(mPhaseOffset);
constexpr size_t kOutputWeight = PELMORA_FRAME_INDEX(mOutputWeight);
constexpr size_t kWBA = PELMORA_FRAME_INDEX(mWBA);
constexpr size_t kWCA = PELMORA_FRAME_INDEX(mWCA);
constexpr size_t kWDA = PELMORA_FRAME_INDEX(mWDA);
constexpr size_t kWCB = PELMORA_FRAME_INDEX(mWCB);
constexpr size_t kWDB = PELMORA_FRAME_INDEX(mWDB);
constexpr size_t kWDC = PELMORA_FRAME_INDEX(mWDC);
constexpr size_t kWDD = PELMORA_FRAME_INDEX(mWDD);
constexpr size_t kG = PELMORA_FRAME_INDEX(mG);
constexpr size_t kSigma = PELMORA_FRAME_INDEX(mSigma);
constexpr size_t kInputScale = PELMORA_FRAME_INDEX(mInputScale);
constexpr size_t kSaturation = PELMORA_FRAME_INDEX(mSaturation);
constexpr size_t kInvSaturation = PELMORA_FRAME_INDEX(mInvSaturation);
constexpr size_t kTap = PELMORA_FRAME_INDEX(mTap);
constexpr size_t kSvfG = PELMORA_FRAME_INDEX(mSvfG);
constexpr size_t kOneMinusR = PELMORA_FRAME_INDEX(mOneMinusR);
constexpr size_t kWeightLow = PELMORA_FRAME_INDEX(mWeightLow);
constexpr size_t kWeightBand = PELMORA_FRAME_INDEX(mWeightBand);
constexpr size_t kWeightHigh = PELMORA_FRAME_INDEX(mWeightHigh);
#undef PELMORA_FRAME_INDEX

struct alignas(64) Group
{
  PelmoraVoice* mVoices[kLanes];
  int mLanes;
  const float* mTable[kNumOperators][kLanes];
  alignas(64) float mFrame[kFrameFloats][kLanes]; // field by field, a lane per voice
  V mPhase[kNumOperators];
  V mFm[kNumOperators];
  V mFilter[4];
  V mAmplitude[kNumOperators][kSubBlockSize];
  alignas(64) float mOut[kSubBlockSize][kLanes];

  V F(size_t field) const { return Vec::Load(mFrame[field]); }
};

constexpr int kMaxGroups = Vec::kMaxGroups;
static_assert(sizeof(Group) * kMaxGroups <= LaneRenderer::kWorkspaceBytes);
static_assert(alignof(Group) <= LaneRenderer::kWorkspaceAlignment);

alignas(64) const float kZeros[kSubBlockSize + kLanes] = {};

// What an empty lane renders: silence through a filter at rest.
const VoiceFrame& SilentFrame()
{
  static const VoiceFrame frame = []
  {
    VoiceFrame f;
    f.mTable.fill(WaveTableOsc::SilentTable());
    return f;
  }();
  return frame;
}

inline V Madd(V a, V b, V c)
{
  return Vec::Add(Vec::Mul(a, b), c);
}

inline V Advance(V phase, V increment)
{
  const V size = Vec::Set1(WaveTableOsc::kTableSizeF);
  const V next = Vec::Add(phase, increment);
  return Vec::Sub(next, Vec::And(Vec::CmpGe(next, size), size));
}

inline V Clamp(V v)
{
  return Vec::Min(Vec::Max(v, Vec::Set1(-1.0f)), Vec::Set1(1.0f));
}

// One sample of the operators and routing of a group; returns the mix.
template <bool kOnlyA>
inline V Operators(Group& q, int s)
{
  V out[kNumOperators];
  for (int k = 0; k < kNumOperators; ++k)
  {
    if (kOnlyA && k != kOpA)
    {
      q.mPhase[k] = Advance(q.mPhase[k], q.F(kIncrement + k));
      continue;
    }
    const V position = Vec::Add(q.mPhase[k], Vec::Add(q.mFm[k], q.F(kPhaseOffset + k)));
    const V y = Vec::Read(q.mTable[k], position);
    q.mPhase[k] = Advance(q.mPhase[k], q.F(kIncrement + k));
    out[k] = Clamp(Vec::Mul(y, q.mAmplitude[k][s]));
  }
  if constexpr (kOnlyA)
  {
    // The silent operators' outputs are 0: so are their contributions.
    q.mFm[kOpA] = Vec::Zero();
    q.mFm[kOpB] = Vec::Zero();
    q.mFm[kOpC] = Vec::Zero();
    q.mFm[kOpD] = Vec::Zero();
    return Vec::Mul(out[kOpA], q.F(kOutputWeight + kOpA));
  }
  else
  {
    q.mFm[kOpA] = Madd(out[kOpD], q.F(kWDA),
                       Vec::Add(Vec::Mul(out[kOpB], q.F(kWBA)), Vec::Mul(out[kOpC], q.F(kWCA))));
    q.mFm[kOpB] = Madd(out[kOpD], q.F(kWDB), Vec::Mul(out[kOpC], q.F(kWCB)));
    q.mFm[kOpC] = Vec::Mul(out[kOpD], q.F(kWDC));
    q.mFm[kOpD] = Vec::Mul(out[kOpD], q.F(kWDD));
    const V ab = Vec::Add(Vec::Mul(out[kOpA], q.F(kOutputWeight + kOpA)),
                          Vec::Mul(out[kOpB], q.F(kOutputWeight + kOpB)));
    return Madd(out[kOpD], q.F(kOutputWeight + kOpD),
                Madd(out[kOpC], q.F(kOutputWeight + kOpC), ab));
  }
}

inline V Ladder(Group& q, V x)
{
  V* s = q.mFilter;
  const V sigma =
    Vec::Add(Vec::Add(Vec::Mul(q.F(kSigma), s[0]), Vec::Mul(q.F(kSigma + 1), s[1])),
             Vec::Add(Vec::Mul(q.F(kSigma + 2), s[2]), Vec::Mul(q.F(kSigma + 3), s[3])));
  const V u = Vec::Sub(Vec::Mul(x, q.F(kInputScale)), sigma);
  const V z1 = Vec::Mul(Vec::Sub(u, s[0]), q.F(kG));
  const V y1 = Vec::Add(s[0], z1);
  s[0] = Vec::Mul(Vec::Atan(Vec::Mul(Vec::Add(z1, y1), q.F(kSaturation))), q.F(kInvSaturation));
  const V z2 = Vec::Mul(Vec::Sub(y1, s[1]), q.F(kG));
  const V y2 = Vec::Add(s[1], z2);
  s[1] = Vec::Add(y2, z2);
  const V z3 = Vec::Mul(Vec::Sub(y2, s[2]), q.F(kG));
  const V y3 = Vec::Add(s[2], z3);
  s[2] = Vec::Add(y3, z3);
  const V z4 = Vec::Mul(Vec::Sub(y3, s[3]), q.F(kG));
  const V y4 = Vec::Add(s[3], z4);
  s[3] = Vec::Add(y4, z4);
  return Vec::Add(Vec::Add(Vec::Mul(q.F(kTap), y1), Vec::Mul(q.F(kTap + 1), y2)),
                  Vec::Add(Vec::Mul(q.F(kTap + 2), y3), Vec::Mul(q.F(kTap + 3), y4)));
}

inline V StateVariable(Group& q, V x)
{
  V* s = q.mFilter;
  const V g = q.F(kSvfG);
  const V qs = Vec::Mul(Vec::Set1(0.0876f), s[0]);
  V r = Madd(Vec::Set1(0.0103592f), qs, Vec::Set1(0.00920833f));
  r = Madd(r, qs, Vec::Set1(0.185f));
  r = Madd(r, qs, Vec::Set1(0.05f));
  r = Madd(r, qs, q.F(kOneMinusR));
  const V twoR = Vec::Add(r, r);
  const V numerator =
    Vec::Sub(Vec::Sub(Vec::Sub(x, Vec::Mul(twoR, s[0])), Vec::Mul(g, s[0])), s[1]);
  const V denominator = Madd(Vec::Add(twoR, g), g, Vec::Set1(1.0f));
  const V hp = Vec::Div(numerator, denominator);
  const V bp = Madd(hp, g, s[0]);
  const V lp = Madd(bp, g, s[1]);
  s[0] = Vec::Add(bp, Vec::Mul(g, hp));
  s[1] = Vec::Add(lp, Vec::Mul(g, bp));
  return Madd(q.F(kWeightHigh), hp,
              Vec::Add(Vec::Mul(q.F(kWeightLow), lp), Vec::Mul(q.F(kWeightBand), bp)));
}

// The sample loop of kGroups groups side by side.
template <int kGroups, bool kLadder, bool kOnlyA>
void Kernel(Group* groups, int n)
{
  for (int s = 0; s < n; ++s)
  {
    for (int g = 0; g < kGroups; ++g)
    {
      Group& q = groups[g];
      const V x = Operators<kOnlyA>(q, s);
      Vec::Store(q.mOut[s], kLadder ? Ladder(q, x) : StateVariable(q, x));
    }
  }
}

using KernelFn = void (*)(Group*, int);

template <int kGroups>
KernelFn PickKernel(bool ladder, bool onlyA)
{
  if (ladder)
  {
    return onlyA ? Kernel<kGroups, true, true> : Kernel<kGroups, true, false>;
  }
  return onlyA ? Kernel<kGroups, false, true> : Kernel<kGroups, false, false>;
}

template <size_t... kIndex>
KernelFn PickKernel(int groups, bool ladder, bool onlyA, std::index_sequence<kIndex...>)
{
  KernelFn kernel = nullptr;
  ((kernel =
      groups == static_cast<int>(kIndex) + 1 ? PickKernel<kIndex + 1>(ladder, onlyA) : kernel),
   ...);
  return kernel;
}

const float* FrameFloats(const VoiceFrame& frame)
{
  return reinterpret_cast<const float*>(reinterpret_cast<const std::byte*>(&frame) +
                                        kFrameFloatsOffset);
}

void LoadGroup(Group& q, PelmoraVoice* const* voices, int lanes, uint32_t operators, int n)
{
  static const VoiceState empty{};
  q.mLanes = lanes;
  const float* frames[kLanes];
  const float* states[kLanes];
  for (int lane = 0; lane < kLanes; ++lane)
  {
    PelmoraVoice* voice = lane < lanes ? voices[lane] : nullptr;
    q.mVoices[lane] = voice;
    const VoiceFrame& frame = voice != nullptr ? voice->GetFrame() : SilentFrame();
    for (int k = 0; k < kNumOperators; ++k)
    {
      q.mTable[k][lane] = frame.mTable[static_cast<size_t>(k)];
    }
    frames[lane] = FrameFloats(frame);
    states[lane] = reinterpret_cast<const float*>(voice != nullptr ? &voice->GetState() : &empty);
  }
  // Field by field, a lane per voice: blocks of kLanes fields transposed at once.
  for (size_t field = 0; field < kFrameFloats; field += kLanes)
  {
    V columns[kLanes];
    Vec::Transpose(frames, static_cast<int>(field), columns);
    for (int i = 0; i < kLanes; ++i)
    {
      Vec::Store(q.mFrame[field + static_cast<size_t>(i)], columns[i]);
    }
  }
  V state[kStateFloats];
  for (size_t field = 0; field < kStateFloats; field += kLanes)
  {
    Vec::Transpose(states, static_cast<int>(field), state + field);
  }
  for (size_t k = 0; k < 4; ++k)
  {
    q.mPhase[k] = state[k];
    q.mFm[k] = state[4 + k];
    q.mFilter[k] = state[8 + k];
  }
  // Amplitudes, one vector per sample: those of the operators that sound somewhere, and zeros
  // for a silent operator that the kernel reads all the same (any but A skip when only A sounds).
  const bool onlyA = (operators & ~1u) == 0;
  for (int op = 0; op < kNumOperators; ++op)
  {
    if (((operators >> op) & 1u) == 0)
    {
      if (op == kOpA || !onlyA)
      {
        for (int s = 0; s < n; ++s)
        {
          q.mAmplitude[op][s] = Vec::Zero();
        }
      }
      continue;
    }
    const float* rows[kLanes];
    for (int lane = 0; lane < kLanes; ++lane)
    {
      const float* amplitude = lane < lanes ? voices[lane]->GetAmplitude(op) : nullptr;
      rows[lane] = amplitude != nullptr ? amplitude : kZeros;
    }
    for (int s = 0; s < n; s += kLanes)
    {
      Vec::Transpose(rows, s, &q.mAmplitude[op][s]);
    }
  }
}

void StoreGroup(Group& q, int n, double* mix)
{
  // The states, field by field, back to one row per voice.
  alignas(64) float fields[kStateFloats][kLanes] = {};
  for (size_t k = 0; k < 4; ++k)
  {
    Vec::Store(fields[k], q.mPhase[k]);
    Vec::Store(fields[4 + k], q.mFm[k]);
    Vec::Store(fields[8 + k], q.mFilter[k]);
  }
  alignas(64) float states[kLanes][kStateFloats];
  for (size_t field = 0; field < kStateFloats; field += kLanes)
  {
    const float* rows[kLanes];
    for (int i = 0; i < kLanes; ++i)
    {
      rows[i] = fields[field + static_cast<size_t>(i)];
    }
    V columns[kLanes];
    Vec::Transpose(rows, 0, columns);
    for (int lane = 0; lane < kLanes; ++lane)
    {
      Vec::Store(&states[lane][field], columns[lane]);
    }
  }
  // Each lane's samples as one row: transposed back from one vector per sample.
  alignas(64) float rows[kLanes][kSubBlockSize];
  const float* samples[kLanes];
  for (int s = 0; s < n; s += kLanes)
  {
    for (int i = 0; i < kLanes; ++i)
    {
      samples[i] = q.mOut[std::min(s + i, kSubBlockSize - 1)];
    }
    V columns[kLanes];
    Vec::Transpose(samples, 0, columns);
    for (int lane = 0; lane < kLanes; ++lane)
    {
      Vec::Store(&rows[lane][s], columns[lane]);
    }
  }
  for (int lane = 0; lane < q.mLanes; ++lane)
  {
    std::memcpy(&q.mVoices[lane]->GetState(), states[lane], sizeof(VoiceState));
    for (int s = 0; s < n; ++s)
    {
      mix[s] += static_cast<double>(rows[lane][s]);
    }
  }
}

// Renders up to kLanes * kMaxGroups voices.
void RenderChunk(Group* groups, PelmoraVoice* const* voices, int count, int n, bool ladder,
                 double* mix)
{
  uint32_t operators = 0;
  for (int v = 0; v < count; ++v)
  {
    operators |= voices[v]->GetActiveOperators();
  }
  const bool onlyA = (operators & ~1u) == 0;
  const int numGroups = (count + kLanes - 1) / kLanes;
  for (int g = 0; g < numGroups; ++g)
  {
    LoadGroup(groups[g], voices + kLanes * g, std::min(kLanes, count - kLanes * g), operators, n);
  }
  PickKernel(numGroups, ladder, onlyA, std::make_index_sequence<kMaxGroups>{})(groups, n);
  for (int g = 0; g < numGroups; ++g)
  {
    StoreGroup(groups[g], n, mix);
  }
}

void RenderAll(std::byte* workspace, PelmoraVoice* const* voices, int count, int n, bool ladder,
               double* mix)
{
  Group* groups = reinterpret_cast<Group*>(workspace);
  n = std::clamp(n, 0, kSubBlockSize);
  for (int first = 0; first < count && n > 0; first += kLanes * kMaxGroups)
  {
    RenderChunk(groups, voices + first, std::min(kLanes * kMaxGroups, count - first), n, ladder,
                mix);
  }
}

} // namespace
