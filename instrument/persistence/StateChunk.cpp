#include "instrument/persistence/StateChunk.h"

#include <array>
#include <cmath>
#include <cstring>
#include <memory>

namespace
{

constexpr int kStageBytes = 3 * static_cast<int>(sizeof(float));

bool AppendText(const std::string& text, plugin::IByteChunk& chunk)
{
  char field[StateChunk::kTextFieldSize] = {};
  const std::string cut = CutUtf8(text, InstrumentState::kMaxTextBytes);
  std::memcpy(field, cut.data(), cut.size());
  return chunk.AppendBytes(field, StateChunk::kTextFieldSize) >= 0;
}

int ReadText(const plugin::IByteChunk& chunk, int pos, std::string& out)
{
  char field[StateChunk::kTextFieldSize];
  pos = chunk.ReadBytes(field, StateChunk::kTextFieldSize, pos);
  if (pos >= 0)
  {
    // A field without a terminator (not written by this instrument) keeps its first 255 bytes.
    out.assign(field, strnlen(field, InstrumentState::kMaxTextBytes));
  }
  return pos;
}

bool AppendEnvelope(const EnvelopeParameter& envelope, plugin::IByteChunk& chunk)
{
  bool ok = chunk.AppendBool(envelope.mSustain) >= 0;
  const int32_t count = envelope.NumStages();
  ok = ok && chunk.AppendValue(count) >= 0;
  for (int i = 0; ok && i < count; ++i)
  {
    const EnvelopeStageParameter& stage = envelope.Stage(i);
    const float values[3] = {stage.mStartLevel, stage.mEndLevel, envelope.StageMilliseconds(i)};
    ok = chunk.AppendBytes(values, kStageBytes) >= 0;
  }
  return ok;
}

int ReadEnvelope(const plugin::IByteChunk& chunk, int pos, float sampleRate, EnvelopeParameter& out)
{
  uint8_t sustain = 0;
  int32_t count = 0;
  pos = chunk.ReadValue(sustain, pos);
  pos = chunk.ReadValue(count, pos);
  if (pos < 0 || count < 1 || count > EnvelopeParameter::kMaxStages)
  {
    return -1;
  }
  std::array<PresetEnvStage, EnvelopeParameter::kMaxStages> stages;
  for (int i = 0; i < count; ++i)
  {
    float values[3];
    pos = chunk.ReadBytes(values, kStageBytes, pos);
    if (pos < 0)
    {
      return -1;
    }
    stages[static_cast<size_t>(i)] = {values[0], values[1], values[2]};
  }
  return StoredEnvelope::Build(sustain != 0, stages.data(), count, sampleRate, out) ? pos : -1;
}

} // namespace

bool StateChunk::Write(const InstrumentState& state, plugin::IByteChunk& chunk)
{
  bool ok = AppendText(state.mName, chunk) && AppendText(state.mCategory, chunk);
  ok = ok && chunk.AppendValue(state.mIndex) >= 0;
  for (const EnvelopeParameter& envelope : state.mEnvelopes)
  {
    ok = ok && AppendEnvelope(envelope, chunk);
  }
  for (double value : state.mParams)
  {
    ok = ok && chunk.AppendValue(value) >= 0;
  }
  return ok;
}

int StateChunk::Read(const plugin::IByteChunk& chunk, int pos, float sampleRate,
                     InstrumentState& out)
{
  // Decoded aside (the record is a few kilobytes of envelopes), applied only when whole.
  auto state = std::make_unique<InstrumentState>();
  pos = ReadText(chunk, pos, state->mName);
  pos = ReadText(chunk, pos, state->mCategory);
  pos = chunk.ReadValue(state->mIndex, pos);
  for (EnvelopeParameter& envelope : state->mEnvelopes)
  {
    pos = pos < 0 ? -1 : ReadEnvelope(chunk, pos, sampleRate, envelope);
  }
  for (double& value : state->mParams)
  {
    pos = chunk.ReadValue(value, pos);
    if (pos >= 0 && !std::isfinite(value))
    {
      pos = -1;
    }
  }
  if (pos >= 0)
  {
    out = *state;
  }
  return pos;
}

int StateChunk::Size(const InstrumentState& state)
{
  int size = kHeaderSize + InstrumentState::kNumParams * static_cast<int>(sizeof(double));
  for (const EnvelopeParameter& envelope : state.mEnvelopes)
  {
    size += 1 + 4 + envelope.NumStages() * kStageBytes;
  }
  return size;
}
