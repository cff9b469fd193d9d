// The engine's cost on the task it is built for: 30 s at 48 kHz in 512-sample blocks, a 12-note
// chord (48 52 55 59 60 64 67 71 72 76 79 83, velocity 100) struck every 0.5 s and released 0.4 s
// later; once with the default sound, once with a resonant 24 dB low-pass and both chorus stages
// on. "cpu_per_audio_s" is CPU seconds per second of audio (0.005 = 0.5 % of one core). Paths:
// 0 the fast path (eight voices per register with AVX), 1 the fast path as on processors without
// AVX (four per register), 2 the plain reference path the fast one is checked against.

#include "instrument/engine/PelmoraDSP.h"

#include <benchmark/benchmark.h>

#include <array>

namespace
{

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;
constexpr int kSeconds = 30;
constexpr int kChordPeriod = 24000; // 0.5 s
constexpr int kChordLength = 19200; // 0.4 s
constexpr std::array<uint8_t, 12> kChord = {48, 52, 55, 59, 60, 64, 67, 71, 72, 76, 79, 83};

void ApplyDefaults(PelmoraDSP<double>& dsp)
{
  for (int i = 0; i < kNumParams; ++i)
  {
    dsp.SetParam(i, GetParamRange(i).mDefault);
  }
}

void QueueChordEvents(PelmoraDSP<double>& dsp, int blockStart)
{
  const int period = blockStart / kChordPeriod * kChordPeriod;
  for (int t : {period, period + kChordLength, period + kChordPeriod})
  {
    if (t < blockStart || t >= blockStart + kBlock)
    {
      continue;
    }
    const int phase = t % kChordPeriod;
    for (uint8_t key : kChord)
    {
      const uint8_t status = phase == 0 ? 0x90 : 0x80;
      dsp.AddMidiMsgToQueue(plugin::IMidiMsg(t - blockStart, status, key, phase == 0 ? 100 : 0));
    }
  }
}

void BM_EngineChords(benchmark::State& state)
{
  const bool filterAndChorus = state.range(0) != 0;
  const ERenderPath paths[] = {ERenderPath::kFast, ERenderPath::kFastSse2, ERenderPath::kReference};
  const ERenderPath path = paths[state.range(1)];
  GlobalParams params;
  PelmoraDSP<double> dsp(12, &params);
  ApplyDefaults(dsp);
  if (filterAndChorus)
  {
    dsp.SetParam(kParamFilterType, 3); // "Lowpass 24 db/Oct"
    dsp.SetParam(kParamFilterCutoff, 2000);
    dsp.SetParam(kParamFilterResonance, 50);
    dsp.SetParam(kParamChorus1, 1);
    dsp.SetParam(kParamChorus2, 1);
  }
  dsp.SetRenderPath(path);
  dsp.Reset(kRate, kBlock);
  std::array<double, kBlock> left{}, right{};
  double* outputs[2] = {left.data(), right.data()};
  const int blocks = static_cast<int>(kSeconds * kRate) / kBlock;
  for (auto _ : state)
  {
    for (int b = 0; b < blocks; ++b)
    {
      QueueChordEvents(dsp, b * kBlock);
      dsp.ProcessBlock(nullptr, outputs, 2, kBlock);
      benchmark::DoNotOptimize(left.data());
    }
  }
  state.counters["cpu_per_audio_s"] =
    benchmark::Counter(static_cast<double>(state.iterations()) * blocks * kBlock / kRate,
                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_EngineChords)
  ->ArgNames({"filter_chorus", "path"})
  ->ArgsProduct({{0, 1}, {0, 1, 2}})
  ->Unit(benchmark::kMillisecond);

} // namespace
