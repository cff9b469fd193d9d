#include "tools/WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace host
{

AudioStats Measure(const StereoBuffer& audio, double sampleRate)
{
  AudioStats stats;
  stats.frames = audio.Frames();
  stats.seconds = sampleRate > 0.0 ? stats.frames / sampleRate : 0.0;
  double sum = 0.0;
  for (const auto* channel : {&audio.left, &audio.right})
  {
    for (float s : *channel)
    {
      if (!std::isfinite(s))
      {
        stats.finite = false;
        continue;
      }
      stats.peak = std::max(stats.peak, static_cast<double>(std::fabs(s)));
      sum += static_cast<double>(s) * s;
    }
  }
  if (stats.frames > 0)
    stats.rms = std::sqrt(sum / (2.0 * stats.frames));
  return stats;
}

double ToDecibels(double linear)
{
  return linear > 0.0 ? 20.0 * std::log10(linear) : -std::numeric_limits<double>::infinity();
}

namespace
{
void PutLE(std::vector<uint8_t>& out, uint32_t v, int bytes)
{
  for (int i = 0; i < bytes; i++)
    out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
} // namespace

bool WriteWav(const std::string& path, const StereoBuffer& audio, int sampleRate, bool asFloat,
              std::string& error)
{
  const uint32_t channels = 2;
  const uint32_t bytesPerSample = asFloat ? 4 : 2;
  const uint64_t dataBytes64 = static_cast<uint64_t>(audio.Frames()) * channels * bytesPerSample;
  if (dataBytes64 > 0xFFFFFFF0u - 44)
  {
    error = "too long for a WAV file";
    return false;
  }
  const auto dataBytes = static_cast<uint32_t>(dataBytes64);
  std::vector<uint8_t> out;
  out.reserve(44 + dataBytes);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  PutLE(out, 36 + dataBytes, 4);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  PutLE(out, 16, 4);
  PutLE(out, asFloat ? 3 : 1, 2); // 3: IEEE float, 1: PCM
  PutLE(out, channels, 2);
  PutLE(out, static_cast<uint32_t>(sampleRate), 4);
  PutLE(out, static_cast<uint32_t>(sampleRate) * channels * bytesPerSample, 4);
  PutLE(out, channels * bytesPerSample, 2);
  PutLE(out, bytesPerSample * 8, 2);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  PutLE(out, dataBytes, 4);
  for (size_t i = 0; i < audio.Frames(); i++)
  {
    for (float s : {audio.left[i], audio.right[i]})
    {
      if (asFloat)
      {
        uint32_t bits;
        std::memcpy(&bits, &s, 4);
        PutLE(out, bits, 4);
      }
      else
      {
        const float clipped = std::isfinite(s) ? std::clamp(s, -1.0f, 1.0f) : 0.0f;
        const auto v = static_cast<int16_t>(std::lround(clipped * 32767.0f));
        PutLE(out, static_cast<uint16_t>(v), 2);
      }
    }
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file)
  {
    error = "cannot create " + path;
    return false;
  }
  const bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
  if (std::fclose(file) != 0 || !ok)
  {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

} // namespace host
