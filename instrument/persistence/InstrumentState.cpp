#include "instrument/persistence/InstrumentState.h"

#include <algorithm>
#include <cmath>

namespace
{

float ClampLevel(double level)
{
  return static_cast<float>(std::clamp(level, 0.0, 1.0));
}

} // namespace

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
  EnvelopeParameter envelope(EnvelopeParameter::UsableRate(sampleRate));
  envelope.mSustain = sustain;
  envelope.mReleaseStage = EnvelopeParameter::kDefaultReleaseStage;
  envelope.InitStages(count);
  for (int i = 0; i < count; ++i)
  {
    envelope.SetStage(i, ClampLevel(stages[i].start), ClampLevel(stages[i].end), stages[i].time);
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
