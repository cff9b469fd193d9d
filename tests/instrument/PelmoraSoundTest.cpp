// What Pelmora.so sounds like through the host library: pitch, release, polyphony, every
// parameter audible and finite while notes play, two instances at two rates at once.

#include "instrument/dsp/WaveTableSet.h"
#include "tests/instrument/PelmoraPluginFixture.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <thread>

using host::HostedPlugin;
using host::MidiIn;
using host::StereoBuffer;

namespace
{

constexpr double kRate = 48000.0;

// Magnitude spectrum (Hann window) of the first n samples from start; n a power of two.
std::vector<double> Spectrum(const std::vector<float>& x, size_t start, int n)
{
  std::vector<double> re(static_cast<size_t>(n)), im(static_cast<size_t>(n), 0.0);
  for (int i = 0; i < n; i++)
  {
    const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / n);
    re[static_cast<size_t>(i)] = w * x[start + static_cast<size_t>(i)];
  }
  WaveTableSet::Fft(n, re.data(), im.data());
  std::vector<double> magnitude(static_cast<size_t>(n / 2));
  for (size_t k = 0; k < magnitude.size(); k++)
    magnitude[k] = std::hypot(re[k], im[k]);
  return magnitude;
}

// The frequency of the strongest partial, refined by a parabola through the log magnitudes
// around the peak bin.
double PeakFrequency(const std::vector<float>& x, size_t start, int n, double rate)
{
  const std::vector<double> m = Spectrum(x, start, n);
  const size_t k = static_cast<size_t>(std::max_element(m.begin() + 1, m.end() - 1) - m.begin());
  const double a = std::log(m[k - 1]), b = std::log(m[k]), c = std::log(m[k + 1]);
  const double offset = 0.5 * (a - c) / (a - 2.0 * b + c);
  return (static_cast<double>(k) + offset) * rate / n;
}

double Peak(const std::vector<float>& x, size_t from, size_t to)
{
  double peak = 0.0;
  for (size_t i = from; i < to && i < x.size(); i++)
    peak = std::max(peak, std::fabs(static_cast<double>(x[i])));
  return peak;
}

bool AllFinite(const StereoBuffer& audio)
{
  for (size_t i = 0; i < audio.Frames(); i++)
    if (!std::isfinite(audio.left[i]) || !std::isfinite(audio.right[i]))
      return false;
  return true;
}

double Cents(double frequency, double reference)
{
  return 1200.0 * std::log2(frequency / reference);
}

} // namespace

TEST_F(PelmoraPlugin, SinePatchPlaysKey69At440HzAndFallsSilentAfterRelease)
{
  mPlug.SendMidi({{0, {0x90, 69, 100}}});
  const StereoBuffer held = Run(16384 + 65536); // attack and decay, then the sustain
  EXPECT_NEAR(Cents(PeakFrequency(held.left, 16384, 65536, kRate), 440.0), 0.0, 1.0);
  EXPECT_EQ(held.left, held.right);
  EXPECT_GT(Peak(held.left, 16384, held.Frames()), 0.05);

  mPlug.SendMidi({{0, {0x80, 69, 0}}});
  const StereoBuffer released = Run(9600);
  EXPECT_LT(Peak(released.left, 4800, 9600), 1e-6);
  EXPECT_LT(Peak(released.right, 4800, 9600), 1e-6);
}

TEST_F(PelmoraPlugin, ProcessingBeforeTheFirstResetSounds)
{
  HostedPlugin fresh; // created, never opened, given a rate or resumed
  ASSERT_TRUE(fresh.Create(mModule.Entry()));
  fresh.SendMidi({{0, {0x90, 60, 100}}});
  const StereoBuffer audio = RunBlocks(fresh, 2048);
  EXPECT_TRUE(AllFinite(audio));
  EXPECT_GT(Peak(audio.left, 0, audio.Frames()), 0.01);
}

TEST_F(PelmoraPlugin, ThirteenHeldNotesKeepTwelveVoicesSounding)
{
  // Keys 48, 50 .. 70 one sub-block apart, so that 48 is the oldest; then key 72.
  std::vector<MidiIn> first12;
  for (int k = 0; k < 12; k++)
    first12.push_back({32 * k, {0x90, static_cast<uint8_t>(48 + 2 * k), 100}});
  mPlug.SendMidi(first12);
  Run(4096);
  mPlug.SendMidi({{0, {0x90, 72, 100}}});
  const StereoBuffer audio = Run(16384 + 32768);

  const int n = 32768;
  const std::vector<double> m = Spectrum(audio.left, 16384, n);
  const double strongest = *std::max_element(m.begin(), m.end());
  auto level = [&](int key)
  {
    const double bin = 440.0 * std::exp2((key - 69) / 12.0) * n / kRate;
    const size_t k = static_cast<size_t>(std::lround(bin));
    return *std::max_element(m.begin() + static_cast<long>(k) - 2,
                             m.begin() + static_cast<long>(k) + 3) /
           strongest;
  };
  for (int key = 50; key <= 72; key += 2)
    EXPECT_GT(level(key), 0.3) << "key " << key << " should sound";
  EXPECT_LT(level(48), 0.01) << "the oldest note gave its voice to the thirteenth";
}

namespace
{

// A patch in which every parameter is heard: all four operators in a chain, the filter low
// enough to matter, the LFO free-running in hertz, all four modulation slots in use.
// (index, normalized value)
const std::vector<std::pair<int, float>> kBasePatch = {
  {15, 0.85f}, {23, 0.9f},          {31, 0.95f}, // levels of B, C, D: a chain D -> C -> B -> A
  {33, 0.3f},                                    // feedback
  {36, 0.5f},  {37, 0.3f},                       // cutoff about 2.5 kHz, some resonance
  {40, 0.6f},  {42, 0.0f},                       // LFO at 1.7 Hz, not synced
  {45, 0.5f},  {46, 1.0f / 17.0f},  {47, 0.8f},  // LFO -> "Op A Level"
  {48, 0.25f}, {49, 11.0f / 17.0f}, {50, 0.85f}, // "Mod Env" -> "Cutoff"
  {51, 0.75f}, {52, 10.0f / 17.0f}, {53, 0.2f},  // "Modwheel" -> "FM Amount", negative
  {54, 1.0f},  {55, 15.0f / 17.0f}, {56, 0.9f},  // "Aftertouch" -> "Op B Pitch"
};

// A held chord with wheel and pressure; new notes of two velocities, each with a new bend, come
// and go over it, more of them than there are voices (so voices are used again).
std::vector<host::TimedMidi> PlayingPhrase()
{
  std::vector<host::TimedMidi> events = {
    {0, {0x90, 45, 100}},
    {0, {0x90, 52, 100}},
    {0, {0xB0, 1, 64}},
    {0, {0xD0, 80, 0}},
  };
  const uint8_t keys[] = {57, 64, 60, 67};
  for (int i = 0; i < 20; i++)
  {
    const int64_t on = static_cast<int64_t>(i * 0.05 * kRate) + 100;
    const uint8_t key = keys[i % 4];
    events.push_back({on, {0xE0, 0, static_cast<uint8_t>(80 + 4 * (i % 4))}});
    events.push_back({on, {0x90, key, static_cast<uint8_t>(i % 2 ? 60 : 90)}});
    events.push_back({on + static_cast<int64_t>(0.04 * kRate), {0x80, key, 0}});
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const host::TimedMidi& a, const host::TimedMidi& b)
                   { return a.frame < b.frame; });
  return events;
}

// Renders the phrase; at frame changeAt sets parameter index to changed, at extremeAt to
// extreme (index -1: no change).
StereoBuffer PlayPhrase(host::PluginModule& module, int index, float changed, float extreme,
                        bool synced)
{
  HostedPlugin plug;
  if (!plug.Create(module.Entry()))
    return {};
  plug.Start();
  AEffect* e = plug.Effect();
  for (const auto& [i, n] : kBasePatch)
    e->setParameter(e, i, n);
  if (synced)
    e->setParameter(e, 42, 1.0f);
  const std::vector<host::TimedMidi> events = PlayingPhrase();
  StereoBuffer out;
  const int block = 512;
  size_t next = 0;
  for (int64_t pos = 0; pos < 48 * 1024; pos += block)
  {
    if (index >= 0 && pos == 28 * 1024)
      e->setParameter(e, index, changed);
    if (index >= 0 && pos == 32 * 1024)
      e->setParameter(e, index, extreme);
    std::vector<MidiIn> due;
    for (; next < events.size() && events[next].frame < pos + block; next++)
      due.push_back({static_cast<int32_t>(events[next].frame - pos),
                     {events[next].bytes[0], events[next].bytes[1], events[next].bytes[2]}});
    if (!due.empty())
      plug.SendMidi(due);
    const StereoBuffer part = RunBlocks(plug, block);
    out.left.insert(out.left.end(), part.left.begin(), part.left.end());
    out.right.insert(out.right.end(), part.right.begin(), part.right.end());
  }
  return out;
}

} // namespace

TEST_F(PelmoraPlugin, EveryParameterChangesTheOutputWhilePlayingAndStaysFinite)
{
  std::map<bool, StereoBuffer> reference; // by LFO sync
  for (int index = 0; index < 64; index++)
  {
    // The division (41) is heard only while synced; the hertz rate (40) only while not.
    const bool synced = index == 41;
    if (!reference.count(synced))
      reference[synced] = PlayPhrase(mModule, -1, 0.0f, 0.0f, synced);
    const StereoBuffer& ref = reference[synced];

    float base = mPlug.Effect()->getParameter(mPlug.Effect(), index); // the default
    for (const auto& [i, n] : kBasePatch)
      if (i == index)
        base = n;
    const float changed = base < 0.5f ? 0.9f : 0.1f;
    const float extreme = base < 0.5f ? 1.0f : 0.0f;
    const StereoBuffer audio = PlayPhrase(mModule, index, changed, extreme, synced);
    ASSERT_EQ(audio.Frames(), ref.Frames());
    EXPECT_TRUE(AllFinite(audio)) << index;

    double difference = 0.0;
    for (size_t s = 28 * 1024; s < audio.Frames(); s++)
      difference =
        std::max(difference, std::fabs(static_cast<double>(audio.left[s] - ref.left[s])));
    EXPECT_GT(difference, 1e-4) << "parameter " << index << " from " << base << " to " << changed;
  }
}

TEST(PelmoraPluginTwoRates, TwoInstancesRenderAtTheirOwnRatesAtTheSameTime)
{
  host::PluginModule module;
  std::string error;
  ASSERT_TRUE(module.Load(PELMORA_INSTRUMENT_PLUGIN, error)) << error;
  const double rates[2] = {44100.0, 96000.0};
  HostedPlugin plugs[2];
  for (int i = 0; i < 2; i++)
  {
    plugs[i].Identity().sampleRate = rates[i];
    ASSERT_TRUE(plugs[i].Create(module.Entry()));
    plugs[i].Start();
  }
  StereoBuffer audio[2];
  std::thread threads[2];
  for (int i = 0; i < 2; i++)
  {
    threads[i] = std::thread(
      [&, i]
      {
        plugs[i].SendMidi({{0, {0x90, 69, 100}}});
        audio[i] = RunBlocks(plugs[i], 32768 + 65536);
      });
  }
  for (std::thread& t : threads)
    t.join();
  for (int i = 0; i < 2; i++)
  {
    ASSERT_TRUE(AllFinite(audio[i])) << rates[i];
    EXPECT_NEAR(Cents(PeakFrequency(audio[i].left, 32768, 65536, rates[i]), 440.0), 0.0, 1.0)
      << rates[i];
  }
}
