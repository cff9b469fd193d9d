// The per-sample cost of the signal generators: one oscillator, four in SIMD lanes, one
// envelope, one LFO, and the generator work of twelve four-operator voices laid out two ways.
// "per_sample" is the time per audio sample; at 48 kHz, 1 ns per sample is 0.0048% of a core.

#include "instrument/dsp/GlobalParams.h"
#include "instrument/dsp/Lfo.h"
#include "instrument/dsp/MultistageEnvelope.h"
#include "instrument/dsp/WaveTableOsc.h"

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

namespace
{

constexpr double kRate = 48000.0;
constexpr int kSubBlock = 32;
constexpr int kVoices = 12;

void CountSamples(benchmark::State& state, int64_t samples)
{
  state.counters["per_sample"] = benchmark::Counter(
    static_cast<double>(samples), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// An envelope that keeps moving: every stage curved, no sustain (the costliest case).
EnvelopeParameter MovingEnvelope()
{
  EnvelopeParameter envelope;
  envelope.InitStages(4);
  envelope.Stage(0).Set(0.0f, 1.0f, 480);
  envelope.Stage(1).Set(1.0f, 0.3f, 4800);
  envelope.Stage(2).Set(0.3f, 0.6f, 2400);
  envelope.Stage(3).Set(0.6f, 0.0f, 9600);
  envelope.mSustain = false;
  return envelope;
}

// One oscillator modulated by its own previous sample.
void BM_OscillatorTick(benchmark::State& state)
{
  const auto tables = WaveTableSet::Acquire(kRate);
  WaveTableOsc osc;
  osc.SetTables(tables.get(), kRate);
  osc.SetWaveform(WaveTableSet::kSaw);
  osc.SetFrequency(440.0f);
  float feedback = 0.0f;
  for (auto _ : state)
  {
    for (int i = 0; i < kSubBlock; ++i)
    {
      feedback = osc.Tick(feedback * 3000.0f);
    }
    benchmark::DoNotOptimize(feedback);
  }
  CountSamples(state, state.iterations() * kSubBlock);
}
BENCHMARK(BM_OscillatorTick);

// Four oscillators in lanes, modulated by their previous samples (one voice's FM chain).
void BM_OscillatorQuadTick(benchmark::State& state)
{
  const auto tables = WaveTableSet::Acquire(kRate);
  OscillatorQuad quad;
  quad.SetTables(tables.get(), kRate);
  for (int k = 0; k < 4; ++k)
  {
    quad.SetFrequency(k, 220.0f * static_cast<float>(k + 1));
  }
  float y[4] = {};
  for (auto _ : state)
  {
    for (int i = 0; i < kSubBlock; ++i)
    {
      const float in[4] = {y[1] * 16384.0f, y[2] * 16384.0f, y[3] * 16384.0f, y[3] * 3000.0f};
      quad.Tick(in, y);
    }
    benchmark::DoNotOptimize(y);
  }
  CountSamples(state, state.iterations() * kSubBlock);
}
BENCHMARK(BM_OscillatorQuadTick);

void BM_EnvelopeFastProcess(benchmark::State& state)
{
  const EnvelopeParameter params = MovingEnvelope();
  MultistageEnvelope<float> envelope;
  envelope.Start(params, 1.0f, 1.0f);
  float sum = 0.0f;
  for (auto _ : state)
  {
    for (int i = 0; i < kSubBlock; ++i)
    {
      sum += envelope.FastProcess();
    }
    if (envelope.IsIdle())
    {
      envelope.Start(params, 1.0f, 1.0f);
    }
    benchmark::DoNotOptimize(sum);
  }
  CountSamples(state, state.iterations() * kSubBlock);
}
BENCHMARK(BM_EnvelopeFastProcess);

void BM_EnvelopeProcessBlock(benchmark::State& state)
{
  const EnvelopeParameter params = MovingEnvelope();
  MultistageEnvelope<float> envelope;
  envelope.Start(params, 1.0f, 1.0f);
  std::array<float, kSubBlock> out{};
  for (auto _ : state)
  {
    envelope.Process(out.data(), kSubBlock);
    if (envelope.IsIdle())
    {
      envelope.Start(params, 1.0f, 1.0f);
    }
    benchmark::DoNotOptimize(out.data());
  }
  CountSamples(state, state.iterations() * kSubBlock);
}
BENCHMARK(BM_EnvelopeProcessBlock);

void BM_LfoGetOutput(benchmark::State& state)
{
  LfoParams params;
  params.SetWaveform(static_cast<int>(state.range(0)));
  params.mRate = 5.0;
  Lfo lfo(params, kRate);
  float sum = 0.0f;
  for (auto _ : state)
  {
    for (int i = 0; i < kSubBlock; ++i)
    {
      sum += lfo.GetOutput();
    }
    benchmark::DoNotOptimize(sum);
  }
  CountSamples(state, state.iterations() * kSubBlock);
}
BENCHMARK(BM_LfoGetOutput)->Arg(LfoParams::kSine)->Arg(LfoParams::kSampleAndHold);

void BM_LfoProcessBlock(benchmark::State& state)
{
  LfoParams params;
  params.mRate = 5.0;
  Lfo lfo(params, kRate);
  std::array<float, kSubBlock> out{};
  for (auto _ : state)
  {
    lfo.Process(out.data(), kSubBlock);
    benchmark::DoNotOptimize(out.data());
  }
  CountSamples(state, state.iterations() * kSubBlock);
}
BENCHMARK(BM_LfoProcessBlock);

// Twelve voices of algorithm "1" (D -> C -> B -> A, feedback on D): per voice four envelopes
// and the modulation envelope (block-processed per sub-block), the LFO (block-processed), four
// oscillators, routing, levels, the output clamp and the mix. No filter, no engine around it.
struct TwelveVoices
{
  static constexpr float kDepth = 16384.0f;
  static constexpr float kFeedback = 3000.0f;

  GlobalParams model;
  std::shared_ptr<const WaveTableSet> tables = WaveTableSet::Acquire(kRate);
  EnvelopeParameter params;
  std::vector<Lfo> lfos;
  std::array<std::array<MultistageEnvelope<float>, 5>, kVoices> envelopes; // A..D, modulation
  // levels[v][k][s]: envelope k of voice v at sample s; [4] is the LFO plus the mod envelope.
  std::array<std::array<std::array<float, kSubBlock>, 5>, kVoices> levels{};
  std::array<float, kSubBlock> mix{};

  // Argument 0: every envelope always curving (the costliest case); 1: the default envelope,
  // so after a quarter second a held chord that sustains.
  explicit TwelveVoices(int64_t kind)
    : params(kind == 0 ? MovingEnvelope() : EnvelopeParameter{}),
      lfos(kVoices, Lfo(model.mLfo, kRate))
  {
    model.mLfo.mRate = 3.0;
    for (auto& voice : envelopes)
    {
      for (auto& envelope : voice)
      {
        envelope.Start(params, 1.0f, 1.0f);
      }
    }
  }

  float Hz(int voice, int op) const { return 110.0f * (voice + 1) * (op + 1) * 0.5f; }

  void RunEnvelopes()
  {
    std::array<float, kSubBlock> lfo{};
    for (size_t v = 0; v < kVoices; ++v)
    {
      for (size_t k = 0; k < 5; ++k)
      {
        envelopes[v][k].Process(levels[v][k].data(), kSubBlock);
        if (envelopes[v][k].IsIdle())
        {
          envelopes[v][k].Start(params, 1.0f, 1.0f);
        }
      }
      lfos[v].Process(lfo.data(), kSubBlock);
      for (size_t s = 0; s < kSubBlock; ++s)
      {
        levels[v][4][s] += lfo[s];
      }
    }
  }
};

float Clamp(float x)
{
  return x < -1.0f ? -1.0f : (x > 1.0f ? 1.0f : x);
}

// Lanes are the four operators of one voice; voices render one after another.
void BM_TwelveVoicesOperatorLanes(benchmark::State& state)
{
  TwelveVoices voices(state.range(0));
  std::array<OscillatorQuad, kVoices> quads;
  std::array<std::array<float, 4>, kVoices> y{};
  for (int v = 0; v < kVoices; ++v)
  {
    quads[static_cast<size_t>(v)].SetTables(voices.tables.get(), kRate);
    for (int k = 0; k < 4; ++k)
    {
      quads[static_cast<size_t>(v)].SetFrequency(k, voices.Hz(v, k));
    }
  }
  for (auto _ : state)
  {
    voices.RunEnvelopes();
    voices.mix.fill(0.0f);
    for (size_t v = 0; v < kVoices; ++v)
    {
      auto& out = y[v];
      const auto& level = voices.levels[v];
      for (size_t s = 0; s < kSubBlock; ++s)
      {
        const float in[4] = {out[1] * TwelveVoices::kDepth, out[2] * TwelveVoices::kDepth,
                             out[3] * TwelveVoices::kDepth,
                             out[3] * TwelveVoices::kFeedback + level[4][s] * 100.0f};
        quads[v].Tick(in, out.data());
        for (size_t k = 0; k < 4; ++k)
        {
          out[k] = Clamp(out[k] * level[k][s]);
        }
        voices.mix[s] += out[0];
      }
    }
    benchmark::DoNotOptimize(voices.mix.data());
  }
  CountSamples(state, state.iterations() * kSubBlock);
}
BENCHMARK(BM_TwelveVoicesOperatorLanes)->Arg(0)->Arg(1);

// Lanes are four voices; operator k of voices 4g..4g+3 is quad [g][k]; the three groups render
// side by side, one sample at a time, in registers, with the envelope levels transposed to
// four-voice vectors once per sub-block (included in the time).
void BM_TwelveVoicesVoiceLanes(benchmark::State& state)
{
  constexpr size_t kGroups = kVoices / 4;
  TwelveVoices voices(state.range(0));
  std::array<std::array<OscillatorQuad, 4>, kGroups> quads;
  for (size_t g = 0; g < kGroups; ++g)
  {
    for (size_t k = 0; k < 4; ++k)
    {
      quads[g][k].SetTables(voices.tables.get(), kRate);
      for (int lane = 0; lane < 4; ++lane)
      {
        quads[g][k].SetFrequency(lane,
                                 voices.Hz(static_cast<int>(g) * 4 + lane, static_cast<int>(k)));
      }
    }
  }
  // levels[k][s]: envelope k (4: LFO plus mod envelope) of the group's four voices.
  struct alignas(16) Group
  {
    __m128 levels[5][kSubBlock];
    __m128 y[4];
  };
  std::vector<Group> groups(kGroups);
  const __m128 depth = _mm_set1_ps(TwelveVoices::kDepth);
  const __m128 feedback = _mm_set1_ps(TwelveVoices::kFeedback);
  const __m128 hundred = _mm_set1_ps(100.0f);
  const __m128 low = _mm_set1_ps(-1.0f), high = _mm_set1_ps(1.0f);
  for (auto _ : state)
  {
    voices.RunEnvelopes();
    for (size_t g = 0; g < kGroups; ++g)
    {
      for (size_t k = 0; k < 5; ++k)
      {
        for (size_t s = 0; s < kSubBlock; ++s)
        {
          groups[g].levels[k][s] =
            _mm_set_ps(voices.levels[4 * g + 3][k][s], voices.levels[4 * g + 2][k][s],
                       voices.levels[4 * g + 1][k][s], voices.levels[4 * g][k][s]);
        }
      }
    }
    for (size_t s = 0; s < kSubBlock; ++s)
    {
      __m128 sum = _mm_setzero_ps();
      for (size_t g = 0; g < kGroups; ++g)
      {
        __m128* out = groups[g].y;
        const auto& levels = groups[g].levels;
        const __m128 in[4] = {
          _mm_mul_ps(out[1], depth), _mm_mul_ps(out[2], depth), _mm_mul_ps(out[3], depth),
          _mm_add_ps(_mm_mul_ps(out[3], feedback), _mm_mul_ps(levels[4][s], hundred))};
        for (size_t k = 0; k < 4; ++k)
        {
          const __m128 level = _mm_mul_ps(quads[g][k].Tick(in[k]), levels[k][s]);
          out[k] = _mm_min_ps(_mm_max_ps(level, low), high);
        }
        sum = _mm_add_ps(sum, out[0]);
      }
      const __m128 pairs = _mm_add_ps(sum, _mm_movehl_ps(sum, sum));
      voices.mix[s] = _mm_cvtss_f32(_mm_add_ss(pairs, _mm_shuffle_ps(pairs, pairs, 1)));
    }
    benchmark::DoNotOptimize(voices.mix.data());
  }
  CountSamples(state, state.iterations() * kSubBlock);
}
BENCHMARK(BM_TwelveVoicesVoiceLanes)->Arg(0)->Arg(1);

} // namespace
