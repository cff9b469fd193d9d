#pragma once
// Helpers shared by the engine tests: an engine with the instrument's default parameters, note
// and render helpers, and pitch and level measurements of rendered sound.

#include "instrument/engine/PelmoraDSP.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace enginetest
{

constexpr double kRate = 48000.0;

// The sound model and an engine with every parameter at its default, reset to a rate.
struct TestEngine
{
  explicit TestEngine(double rate = kRate, ERenderPath path = ERenderPath::kFast)
  {
    // Keeps the common tables alive between engines, so each test does not build them again.
    static const auto keep = WaveTableSet::Acquire(kRate);
    static const auto keepDefault = WaveTableSet::Acquire(PelmoraEngine::kDefaultSampleRate);
    for (int i = 0; i < kNumParams; ++i)
    {
      dsp.SetParam(i, GetParamRange(i).mDefault);
    }
    dsp.SetRenderPath(path);
    dsp.Reset(rate, 512);
  }

  void NoteOn(int key, int velocity = 127, int offset = 0)
  {
    dsp.AddMidiMsgToQueue(
      plugin::IMidiMsg(offset, 0x90, static_cast<uint8_t>(key), static_cast<uint8_t>(velocity)));
  }
  void NoteOff(int key, int offset = 0)
  {
    dsp.AddMidiMsgToQueue(plugin::IMidiMsg(offset, 0x80, static_cast<uint8_t>(key), 0));
  }
  // The voice holding key, or null.
  PelmoraVoice* VoiceOf(int key)
  {
    for (int i = 0; i < dsp.NVoices(); ++i)
    {
      if (dsp.GetVoice(i).mKey == key)
      {
        return &dsp.GetVoice(i);
      }
    }
    return nullptr;
  }
  int BusyVoices()
  {
    int busy = 0;
    for (int i = 0; i < dsp.NVoices(); ++i)
    {
      busy += dsp.GetVoice(i).GetBusy() ? 1 : 0;
    }
    return busy;
  }
  void Send(uint8_t status, uint8_t data1, uint8_t data2)
  {
    dsp.AddMidiMsgToQueue(plugin::IMidiMsg(0, status, data1, data2));
  }

  // Renders n samples in blocks of blockSize; returns channel 0 (channel 1 must equal it).
  std::vector<double> Render(int n, int blockSize = 512)
  {
    std::vector<double> left(static_cast<size_t>(n)), right(static_cast<size_t>(n));
    for (int start = 0; start < n; start += blockSize)
    {
      const int frames = std::min(blockSize, n - start);
      double* outputs[2] = {left.data() + start, right.data() + start};
      dsp.ProcessBlock(nullptr, outputs, 2, frames);
    }
    mChannelsDiffer = mChannelsDiffer || left != right;
    return left;
  }

  bool ChannelsDiffer() const { return mChannelsDiffer; }

  GlobalParams params;
  PelmoraDSP<double> dsp{12, &params};

private:
  bool mChannelsDiffer = false;
};

// The frequency of a periodic signal from its rising zero crossings (linearly interpolated)
// between samples from and to; 0 without two crossings.
inline double Frequency(const std::vector<double>& x, size_t from, size_t to, double rate = kRate)
{
  double first = -1.0, last = -1.0;
  int crossings = 0;
  for (size_t i = std::max<size_t>(from, 1); i < std::min(to, x.size()); ++i)
  {
    if (x[i - 1] < 0.0 && x[i] >= 0.0)
    {
      const double at = static_cast<double>(i - 1) + x[i - 1] / (x[i - 1] - x[i]);
      first = first < 0.0 ? at : first;
      last = at;
      ++crossings;
    }
  }
  return crossings >= 2 ? (crossings - 1) * rate / (last - first) : 0.0;
}

inline double Cents(double frequency, double reference)
{
  return 1200.0 * std::log2(frequency / reference);
}

inline double Peak(const std::vector<double>& x, size_t from, size_t to)
{
  double peak = 0.0;
  for (size_t i = from; i < std::min(to, x.size()); ++i)
  {
    peak = std::max(peak, std::fabs(x[i]));
  }
  return peak;
}

inline double MaxDifference(const std::vector<double>& a, const std::vector<double>& b)
{
  double worst = 0.0;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
  {
    worst = std::max(worst, std::fabs(a[i] - b[i]));
  }
  return worst;
}

} // namespace enginetest
