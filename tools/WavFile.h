#pragma once
// Stereo WAV output (16-bit PCM or 32-bit float) and the level figures the host tool prints.

#include <cstdint>
#include <string>
#include <vector>

namespace host
{

struct StereoBuffer
{
  std::vector<float> left;
  std::vector<float> right;
  size_t Frames() const { return left.size(); }
};

struct AudioStats
{
  size_t frames = 0;
  double seconds = 0.0;
  double peak = 0.0; // largest absolute sample, linear
  double rms = 0.0;  // over both channels, linear
  bool finite = true;
};

AudioStats Measure(const StereoBuffer& audio, double sampleRate);

// 16-bit samples are clipped to -1..1 and rounded; float samples are written as they are.
bool WriteWav(const std::string& path, const StereoBuffer& audio, int sampleRate, bool asFloat,
              std::string& error);

// Linear level to decibels full scale (-inf for 0).
double ToDecibels(double linear);

} // namespace host
