#pragma once
// Waveform: one cycle of the current four-operator patch, drawn by the editor's waveform preview.
//
// Renders the operators as a voice would, without envelopes, velocity, filter, pitch or
// modulation-matrix targets: four wave-table oscillators at the lowest band level (the richest
// tables), the current algorithm's routing depths, the FM and feedback amounts and one sample of
// delay on every modulation path. Each operator's phase advances by its preview increment,
// (ratio + offset * 0.01) * 8192 / point count, so ratio 1 completes one cycle over the points;
// operator outputs are not limited to -1..1 as they are in the voice. The points are normalized
// so that the largest magnitude is 1 (all zero when the patch is silent).
//
// Threads: [main thread]. Update reads the sound model, which other threads may be writing; it
// writes only the preview fields of the model's operators (point count, phase increment and
// modulation input), which the voices never read.

#include "instrument/dsp/GlobalParams.h"
#include "instrument/dsp/WaveTableOsc.h"
#include "instrument/dsp/WaveTableSet.h"

#include <array>
#include <memory>
#include <vector>

class Waveform
{
public:
  // The tables are those of this rate; only their lowest level is read.
  static constexpr double kTableRate = 48000.0;

  // [main thread] Binds the four oscillators to operators A to D of the model (not owned), sets
  // each operator's preview point count and increment, then renders (Update).
  Waveform(GlobalParams* params, int nPoints);
  virtual ~Waveform();

  Waveform(const Waveform&) = delete;
  Waveform& operator=(const Waveform&) = delete;

  // [main thread] Re-renders the points from the model; returns the point count. With fewer
  // than one point nothing is drawn.
  int Update();

  int NPoints() const { return mNPoints; }
  // Point n of NPoints(), in -1..1.
  const double* Points() const { return mPoints.data(); }

private:
  GlobalParams* mParams;
  std::shared_ptr<const WaveTableSet> mTables;
  std::array<WaveTableOsc, kNumOperators> mOscillators;
  int mNPoints;
  std::vector<double> mPoints;
};
