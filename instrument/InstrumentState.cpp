#include "instrument/InstrumentState.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr double kMinRisingMs = EnvelopeParameter::kMinRisingSamples;
constexpr double kMinFallingMs = EnvelopeParameter::kMinFallingSamples;

float ClampLevel(double level)
{
  return static_cast<float>(std::clamp(level, 0.0, 1.0));
}

} // namespace

float StoredEnvelope::UsableRate(float rate)
{
  return std::isfinite(rate) && rate > 0.0f ? rate : EnvelopeParameter::kReferenceSampleRate;
}

int32_t StoredEnvelope::MinSamples(bool falling, float sampleRate)
{
  const double factor = UsableRate(sampleRate) / EnvelopeParameter::kReferenceSampleRate;
  const double minimum = falling ? kMinFallingMs : kMinRisingMs;
  return static_cast<int32_t>(std::max(1.0, std::min(minimum, std::trunc(minimum * factor))));
}

int32_t StoredEnvelope::MaxSamples(float sampleRate)
{
  const double factor = UsableRate(sampleRate) / EnvelopeParameter::kReferenceSampleRate;
  const double maximum = EnvelopeParameter::kMaxSamples;
  // A rate far above any real one must not overflow the count.
  return static_cast<int32_t>(std::min(std::max(maximum, std::trunc(maximum * factor)), 1e9));
}

int32_t StoredEnvelope::StageSamples(double ms, bool falling, float sampleRate)
{
  const int32_t minimum = MinSamples(falling, sampleRate);
  const int32_t maximum = MaxSamples(sampleRate);
  const double samples = std::round(ms * static_cast<double>(UsableRate(sampleRate)) * 0.001);
  if (!(samples >= minimum)) // also a duration that is not a number
  {
    return minimum;
  }
  return samples >= maximum ? maximum : static_cast<int32_t>(samples);
}

bool StoredEnvelope::IsValid(bool sustain, const PresetEnvStage* stages, int count)
{
  if (count < 1 || count > EnvelopeParameter::kMaxStages)
  {
    return false;
  }
  // With sustain on, the release stage follows the held one: it has to exist.
  if (sustain && count <= EnvelopeParameter::kDefaultReleaseStage)
  {
    return false;
  }
  return std::all_of(stages, stages + count,
                     [](const PresetEnvStage& stage) {
                       return std::isfinite(stage.start) && std::isfinite(stage.end) &&
                              std::isfinite(stage.time);
                     });
}

bool StoredEnvelope::Build(bool sustain, const PresetEnvStage* stages, int count, float sampleRate,
                           EnvelopeParameter& out)
{
  if (!IsValid(sustain, stages, count))
  {
    return false;
  }
  const float rate = UsableRate(sampleRate);
  EnvelopeParameter envelope;
  envelope.mSustain = sustain;
  envelope.mReleaseStage = EnvelopeParameter::kDefaultReleaseStage;
  envelope.mSampleRate = rate;
  envelope.mTimeScale = rate / EnvelopeParameter::kReferenceSampleRate;
  envelope.InitStages(count);
  for (int i = 0; i < count; ++i)
  {
    const float start = ClampLevel(stages[i].start);
    const float end = ClampLevel(stages[i].end);
    envelope.Stage(i).Set(start, end, StageSamples(stages[i].time, start > end, rate));
  }
  out = envelope;
  return true;
}

std::string CutUtf8(const std::string& text, size_t maxBytes)
{
  if (text.size() <= maxBytes)
  {
    return text;
  }
  // Step back over continuation bytes (10xxxxxx) to the lead byte of the sequence that the
  // limit cuts; text that is not UTF-8 there is cut at the limit.
  size_t end = maxBytes;
  for (int steps = 0;
       steps < 3 && end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80; ++steps)
  {
    --end;
  }
  if (end != maxBytes && (static_cast<unsigned char>(text[end]) & 0xC0) != 0xC0)
  {
    end = maxBytes;
  }
  return text.substr(0, end);
}
