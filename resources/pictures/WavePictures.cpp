// Waveform pictures: one cycle of an operator waveform, or a stretch of an LFO shape, sampled
// from the very tables and generators the engine plays, so a picture shows the sound it selects.
//
// Geometry (80 x 30 pixels): the wave runs from x = 4 to x = 76 with its zero line on y = 15, a
// pixel boundary, and +-1 at +-11 pixels; the 2-pixel line then covers whole pixel rows wherever
// the wave is flat (the square's plateaus, the silent halves of TX W3 to W8, the steps of sample
// and hold). The area between the wave and the zero line is tinted in the same colour.

#include "instrument/dsp/GlobalParams.h"
#include "instrument/dsp/PerlinOsc.h"
#include "instrument/dsp/SimpleOsc.h"
#include "instrument/dsp/WaveTableOsc.h"
#include "instrument/dsp/WaveTableSet.h"
#include "instrument/dsp/XorShift.h"
#include "resources/pictures/Pictures.h"
#include "resources/pictures/SvgDocument.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace pelmora::pictures
{

static_assert(kNumOperatorWaveforms == WaveTableSet::kNumWaveforms);
static_assert(kNumLfoShapes == LfoParams::kNumWaveforms);

namespace
{

constexpr float kLeft = 4.f;
constexpr float kRight = 76.f;
constexpr float kZeroY = 15.f;
constexpr float kAmplitude = 11.f;
constexpr float kLineWidth = 2.f;
constexpr float kAreaOpacity = 0.22f;
constexpr int kSamplesPerPixel = 2;
constexpr int kSamples = static_cast<int>(kRight - kLeft) * kSamplesPerPixel;

struct Point
{
  float x;
  float y;
};

// Drops every point that lies within a tenth of a pixel of the line through the points kept
// around it (Ramer-Douglas-Peucker), so flat stretches are single segments.
void Simplify(const std::vector<Point>& in, size_t first, size_t last, std::vector<bool>& keep)
{
  if (last <= first + 1)
    return;
  const Point a = in[first], b = in[last];
  const float dx = b.x - a.x, dy = b.y - a.y;
  const float length = std::max(std::hypot(dx, dy), 1e-6f);
  float worst = 0.f;
  size_t worstIndex = first;
  for (size_t i = first + 1; i < last; ++i)
  {
    const float distance = std::fabs((in[i].x - a.x) * dy - (in[i].y - a.y) * dx) / length;
    if (distance > worst)
    {
      worst = distance;
      worstIndex = i;
    }
  }
  if (worst <= 0.1f)
    return;
  keep[worstIndex] = true;
  Simplify(in, first, worstIndex, keep);
  Simplify(in, worstIndex, last, keep);
}

// The tint between the wave and the zero line, as two paths: the parts above the line and the
// parts below it, each with the wave clamped to its side (crossings interpolated), so neither
// path crosses itself.
PathData Area(const std::vector<Point>& wave, bool above)
{
  const auto side = [&](float y)
  {
    return above ? std::min(y, kZeroY) : std::max(y, kZeroY);
  };
  PathData area;
  area.M(wave.front().x, kZeroY);
  for (size_t i = 0; i < wave.size(); ++i)
  {
    if (i > 0 && (wave[i - 1].y - kZeroY) * (wave[i].y - kZeroY) < 0.f)
    {
      const float t = (kZeroY - wave[i - 1].y) / (wave[i].y - wave[i - 1].y);
      area.L(wave[i - 1].x + t * (wave[i].x - wave[i - 1].x), kZeroY);
    }
    area.L(wave[i].x, side(wave[i].y));
  }
  area.L(wave.back().x, kZeroY).Z();
  return area;
}

std::string Picture(const std::vector<Point>& wave, const PelmoraColor& color)
{
  std::vector<bool> keep(wave.size(), false);
  keep.front() = keep.back() = true;
  Simplify(wave, 0, wave.size() - 1, keep);
  std::vector<Point> kept;
  for (size_t i = 0; i < wave.size(); ++i)
    if (keep[i])
      kept.push_back(wave[i]);

  PathData line;
  line.M(kept.front().x, kept.front().y);
  for (size_t i = 1; i < kept.size(); ++i)
    line.L(kept[i].x, kept[i].y);

  SvgDocument doc(80, 30);
  doc.Path(Area(kept, true), Fill(color, kAreaOpacity));
  doc.Path(Area(kept, false), Fill(color, kAreaOpacity));
  doc.Path(line, Stroke(color, kLineWidth, true));
  return doc.Text();
}

Point At(int i, float value)
{
  return {kLeft + (kRight - kLeft) * static_cast<float>(i) / kSamples, kZeroY - kAmplitude * value};
}

// One cycle from phase 0, read as the oscillator reads it, from the richest band (the one low
// notes play). The engine inverts an operator by the sign of its output (OpOutput::mSign -1).
std::vector<Point> OperatorWave(int waveform, bool inverted)
{
  static const std::shared_ptr<const WaveTableSet> tables = WaveTableSet::Acquire(44100.0);
  const float* table = tables->Table(waveform, 0);
  const float sign = inverted ? -1.f : 1.f;
  std::vector<Point> wave;
  for (int i = 0; i <= kSamples; ++i)
  {
    const float position = WaveTableOsc::kTableSizeF * static_cast<float>(i) / kSamples;
    wave.push_back(At(i, sign * WaveTableOsc::Read(table, position)));
  }
  return wave;
}

// Sample and hold: six held values drawn by the LFO's own generator, from a fixed seed chosen so
// the steps spread over the range.
std::vector<Point> SampleAndHold()
{
  constexpr int kSteps = 6;
  uint32_t state = 0x2545F491u;
  std::vector<Point> wave;
  for (int step = 0; step < kSteps; ++step)
  {
    const float value = XorShiftBipolar(state);
    wave.push_back(At(kSamples * step / kSteps, value));
    wave.push_back(At(kSamples * (step + 1) / kSteps, value));
  }
  return wave;
}

// Perlin noise: a stretch of the LFO's noise table, two and a half lattice cells long (four
// cycles of the LFO rate), scaled to its own peak.
std::vector<Point> Perlin()
{
  const float* samples = PerlinOsc::Samples();
  constexpr int kStretch = 4 * SimpleOsc::kTableSize;
  std::vector<float> values;
  float peak = 1e-6f;
  for (int i = 0; i <= kSamples; ++i)
  {
    const float v = samples[static_cast<size_t>(kStretch) * static_cast<size_t>(i) / kSamples];
    values.push_back(v);
    peak = std::max(peak, std::fabs(v));
  }
  std::vector<Point> wave;
  for (int i = 0; i <= kSamples; ++i)
    wave.push_back(At(i, values[static_cast<size_t>(i)] / peak));
  return wave;
}

// One cycle of a table shape (sine, saw, square, triangle), read with the LFO's interpolation.
std::vector<Point> LfoTableShape(int shape)
{
  const float* table = SimpleOsc::Table(shape);
  std::vector<Point> wave;
  for (int i = 0; i <= kSamples; ++i)
  {
    const float position = static_cast<float>(SimpleOsc::kTableSize) * i / kSamples;
    const int index = std::min(static_cast<int>(position), SimpleOsc::kTableSize - 1);
    const float fraction = position - static_cast<float>(index);
    wave.push_back(At(i, table[index] + (table[index + 1] - table[index]) * fraction));
  }
  return wave;
}

} // namespace

std::string DrawWavePicture(const EditorPicture& picture)
{
  if (picture.mRole == EPictureRole::kOperatorWave)
    return Picture(OperatorWave(picture.mIndex, picture.mInverted),
                   theme::kOperatorColors[picture.mOperator]);
  switch (picture.mIndex)
  {
  case LfoParams::kSampleAndHold:
    return Picture(SampleAndHold(), theme::ColorPrimary);
  case LfoParams::kPerlin:
    return Picture(Perlin(), theme::ColorPrimary);
  default:
    return Picture(LfoTableShape(picture.mIndex), theme::ColorPrimary);
  }
}

} // namespace pelmora::pictures
