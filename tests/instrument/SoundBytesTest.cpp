// A varied sound's state chunk and preset file stay byte for byte what earlier versions wrote
// (tests/instrument/data/), and reading either of them back gives the same sound: projects and
// presets saved by users keep their meaning. When the bytes differ, the test leaves what it wrote
// beside itself in the build folder ("varied.chunk.actual", "varied.preset.actual").

#include "instrument/Pelmora.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

intptr_t QuietHost(AEffect*, int32_t, int32_t, intptr_t, void*, float)
{
  return 0;
}

std::string Reference(const char* name)
{
  return testsupport::ReadFile(std::string(PELMORA_TEST_DATA) + "/" + name);
}

std::string Chunk(const Pelmora& plug)
{
  plugin::IByteChunk chunk;
  EXPECT_TRUE(plug.SerializeState(chunk));
  return std::string(reinterpret_cast<const char*>(chunk.Data()),
                     static_cast<size_t>(chunk.Size()));
}

// Compares with the reference file, leaving the bytes in the working folder when they differ.
void ExpectSameBytes(const std::string& actual, const char* name)
{
  const bool same = actual == Reference(name);
  EXPECT_TRUE(same) << name << " differs from the bytes earlier versions wrote";
  if (!same)
    testsupport::WriteFile(std::string(name) + ".actual", actual);
}

class SoundBytes : public ::testing::Test
{
protected:
  std::string Presets() const { return mData / "Tessvold/Pelmora/Presets"; }
  // The preset's place, in a category folder made here.
  std::string PresetPath() const
  {
    testsupport::TempDir::RunQuietly("mkdir -p '" + Presets() + "/Keys'");
    return Presets() + "/Keys/Varied.preset";
  }

  testsupport::TempDir mData;
  testsupport::ScopedEnv mEnv{"XDG_DATA_HOME", mData.Path()};
};

} // namespace

TEST_F(SoundBytes, AVariedSoundIsWrittenAsBefore)
{
  Pelmora plug(plugin::Vst2InstanceInfo(QuietHost));
  // Every parameter somewhere else in its range (most away from their defaults).
  for (int i = 0; i < kNumParams; i++)
    plug.GetParam(i)->SetNormalized(((i * 37) % 64 + 0.5) / 64.0);
  // Envelopes of 4 to 8 stages, sustain on and off, levels and durations unlike the defaults.
  for (int e = 0; e < kNumEnvelopes; e++)
  {
    plug.GetGlobalParams().GetEnvelope(e)->Edit(
      [e](EnvelopeParameter& envelope)
      {
        envelope.InitStages(4 + e);
        for (int s = 0; s < 4 + e; s++)
          envelope.SetStage(s, static_cast<float>(s + e) / 13.0f, 0.05f * static_cast<float>(9 - s),
                            12.5 + 97.25 * (s + 1) * (e + 1));
        envelope.mSustain = e % 2 == 0;
      });
  }
  ASSERT_TRUE(plug.SavePreset(PresetPath().c_str())); // the sound becomes "Varied" of "Keys"
  ExpectSameBytes(testsupport::ReadFile(PresetPath()), "varied.preset");
  ExpectSameBytes(Chunk(plug), "varied.chunk");
}

TEST_F(SoundBytes, TheChunkAndThePresetFileReadBackAsTheSameSound)
{
  const std::string chunkBytes = Reference("varied.chunk");
  const std::string presetBytes = Reference("varied.preset");
  ASSERT_FALSE(chunkBytes.empty() || presetBytes.empty());

  // Restored from the host's chunk.
  Pelmora restored(plugin::Vst2InstanceInfo(QuietHost));
  plugin::IByteChunk chunk;
  chunk.AppendBytes(chunkBytes.data(), static_cast<int>(chunkBytes.size()));
  ASSERT_GT(restored.UnserializeState(chunk, 0), 0);
  ExpectSameBytes(Chunk(restored), "varied.chunk");

  // Loaded from the preset file, the first one found when the instrument starts.
  ASSERT_TRUE(testsupport::WriteFile(PresetPath(), presetBytes));
  Pelmora loaded(plugin::Vst2InstanceInfo(QuietHost));
  ASSERT_STREQ(loaded.GetPresetName(), "Varied");
  ExpectSameBytes(Chunk(loaded), "varied.chunk");
  ASSERT_TRUE(loaded.SavePreset(PresetPath().c_str()));
  ExpectSameBytes(testsupport::ReadFile(PresetPath()), "varied.preset");
}
