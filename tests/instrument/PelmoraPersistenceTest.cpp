// The instrument's persistence end to end: host chunks through Pelmora.so and the host tool,
// preset files, the start-up preset and the settings file through the class linked in. Each test
// has a support folder of its own.

#include "instrument/Pelmora.h"
#include "instrument/persistence/PresetFile.h"
#include "instrument/persistence/StateChunk.h"
#include "tests/instrument/PelmoraPluginFixture.h"
#include "tests/support/TestSupport.h"
#include "tools/VstHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <sys/stat.h>

using testsupport::ReadFile;
using testsupport::WriteFile;
using Bytes = std::vector<uint8_t>;

namespace
{

intptr_t QuietHost(AEffect*, int32_t, int32_t, intptr_t, void*, float)
{
  return 0;
}

plugin::InstanceInfo Info()
{
  return plugin::Vst2InstanceInfo(QuietHost);
}

// One started instance of Pelmora.so at a sample rate.
struct Hosted
{
  explicit Hosted(double rate)
  {
    std::string error;
    EXPECT_TRUE(module.Load(PELMORA_INSTRUMENT_PLUGIN, error)) << error;
    plug.Identity().sampleRate = rate;
    EXPECT_TRUE(plug.Create(module.Entry()));
    plug.Start();
  }
  host::PluginModule module;
  host::HostedPlugin plug;
};

template <class T>
T ReadAt(const Bytes& bytes, size_t pos)
{
  T value{};
  if (pos + sizeof(T) <= bytes.size())
    std::memcpy(&value, bytes.data() + pos, sizeof(T));
  return value;
}

template <class T>
void WriteAt(Bytes& bytes, size_t pos, T value)
{
  ASSERT_LE(pos + sizeof(T), bytes.size());
  std::memcpy(bytes.data() + pos, &value, sizeof(T));
}

// Offsets in a program chunk (after the 8-byte header) of a state with four-stage envelopes.
constexpr size_t kPayload = 8;
constexpr size_t kIndexAt = kPayload + 512;
size_t EnvelopeAt(int envelope)
{
  return kPayload + 516 + 53 * static_cast<size_t>(envelope);
}

// Operator A's attack rises 0 -> 1 in ms; the envelope then holds the full level.
void SetAttack(Pelmora& plug, float ms)
{
  plug.GetGlobalParams()
    .GetEnvelope(kEnvelopeOpA)
    ->Edit(
      [ms](EnvelopeParameter& envelope)
      {
        envelope.SetStage(0, 0.0f, 1.0f, ms);
        envelope.SetStage(1, 1.0f, 1.0f, 10.0f);
        envelope.SetStage(2, 1.0f, 1.0f, 10.0f);
      });
}

// A rising stage of d ms reaches half its level after d * 0.5^(1 / 0.9) ms.
const double kHalfLevelAt = std::pow(0.5, 1.0 / 0.9);

// Plays a note for 1.2 s and answers when its output first reaches half the level it then
// holds, in milliseconds (within half a period of 1760 Hz).
double HalfLevelMs(host::HostedPlugin& plug, double rate)
{
  plug.SendMidi({{0, {0x90, 93, 127}}});
  const host::StereoBuffer out = RunBlocks(plug, static_cast<int>(rate * 1.2));
  plug.SendMidi({{0, {0x80, 93, 0}}});
  float held = 0.0f;
  for (size_t i = out.left.size() - static_cast<size_t>(rate / 10); i < out.left.size(); i++)
    held = std::max(held, std::fabs(out.left[i]));
  for (size_t i = 0; i < out.left.size(); i++)
    if (std::fabs(out.left[i]) >= 0.5f * held)
      return static_cast<double>(i) * 1000.0 / rate;
  return -1.0;
}

class Persistence : public ::testing::Test
{
protected:
  std::string Support() const { return mData / "Tessvold/Pelmora/"; }
  std::string Presets() const { return Support() + "Presets"; }

  // A preset file whose "Operator A Ratio" is ratio, at a path below the presets folder.
  void WritePreset(const std::string& relative, double ratio)
  {
    testsupport::TempDir::RunQuietly("mkdir -p '" + Presets() + "/" + relative + "'");
    rmdir((Presets() + "/" + relative).c_str()); // the folders above it stay
    auto state = std::make_unique<InstrumentState>();
    state->mParams[2] = ratio;
    std::array<const char*, 64> names;
    names.fill("p");
    ASSERT_TRUE(
      WriteFile(Presets() + "/" + relative, PresetFile::Write("Pelmora", "x", names, *state)));
  }

  testsupport::TempDir mData;
  testsupport::ScopedEnv mEnv{"XDG_DATA_HOME", mData.Path()};
};

} // namespace

TEST_F(Persistence, FreshProgramAndBankChunksHaveTheSpecifiedLayout)
{
  Hosted a(48000.0);
  const Pelmora defaults(Info());
  const Bytes program = a.plug.GetChunk(false);
  ASSERT_EQ(program.size(), 8u + 1293u); // header, names, index, 5 x 4 stages, 64 values
  EXPECT_EQ(Bytes(program.begin(), program.begin() + 8),
            (Bytes{0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00}));
  EXPECT_EQ(program[kPayload], 0) << "a fresh instance has no preset name";
  EXPECT_EQ(ReadAt<int32_t>(program, kIndexAt), 0);
  for (int e = 0; e < 5; e++)
  {
    EXPECT_EQ(program[EnvelopeAt(e)], 1) << "sustain";
    EXPECT_EQ(ReadAt<int32_t>(program, EnvelopeAt(e) + 1), 4);
    // Stage 0 of the default envelope: 100 samples at 44.1 kHz, whatever the host's rate.
    EXPECT_EQ(ReadAt<float>(program, EnvelopeAt(e) + 13), 100.0f * 1000.0f / 44100.0f);
  }
  for (int i = 0; i < 64; i++)
    EXPECT_EQ(ReadAt<double>(program, EnvelopeAt(5) + 8 * static_cast<size_t>(i)),
              defaults.GetParam(i)->GetDefault())
      << i;

  const Bytes bank = a.plug.GetChunk(true);
  ASSERT_EQ(bank.size(), 8u + 4u + 4u + 1u + 1293u);
  EXPECT_EQ(ReadAt<int32_t>(bank, 8), 4);
  EXPECT_EQ(std::string(bank.begin() + 12, bank.begin() + 16), "Init");
  EXPECT_EQ(bank[16], 1) << "initialized";
  EXPECT_TRUE(std::equal(bank.begin() + 17, bank.end(), program.begin() + 8));
}

TEST_F(Persistence, AChunkMovesByteExactlyBetweenInstancesAtEveryRate)
{
  for (double rate : {44100.0, 48000.0, 96000.0})
  {
    Hosted a(rate);
    Hosted b(rate);
    AEffect* e = a.plug.Effect();
    for (int i = 0; i < 64; i += 3)
      e->setParameter(e, i, 0.37f);
    // A state as a host project keeps it: a name, an index and edited envelopes.
    Bytes crafted = a.plug.GetChunk(false);
    std::memcpy(crafted.data() + kPayload, "Glass Bells", 12);
    WriteAt<int32_t>(crafted, kIndexAt, 2);
    WriteAt<float>(crafted, EnvelopeAt(0) + 5 + 12 + 4, 0.3f);     // a level
    WriteAt<float>(crafted, EnvelopeAt(4) + 5 + 12 + 8, 123.456f); // a time
    WriteAt<float>(crafted, EnvelopeAt(4) + 5 + 36 + 8, 0.02f);    // below the minimum
    ASSERT_TRUE(a.plug.SetChunk(crafted, false)) << rate;
    const Bytes saved = a.plug.GetChunk(false);
    EXPECT_EQ(a.plug.ProgramName(), "Glass Bells");

    ASSERT_TRUE(b.plug.SetChunk(saved, false)) << rate;
    EXPECT_EQ(b.plug.GetChunk(false), saved) << rate;
    EXPECT_EQ(b.plug.ProgramName(), "Glass Bells");
    const Bytes bank = a.plug.GetChunk(true);
    EXPECT_EQ(b.plug.GetChunk(true), bank) << rate;
    ASSERT_TRUE(b.plug.SetChunk(bank, true));
    EXPECT_EQ(b.plug.GetChunk(true), bank) << rate;
  }
}

TEST_F(Persistence, EnvelopeTimesHoldAtEveryRateAndAcrossRateChanges)
{
  {
    // The start-up preset: loaded before the host gives its rate.
    Pelmora maker(Info());
    SetAttack(maker, 1000.0f);
    ASSERT_TRUE(maker.SavePreset((Presets() + "/Slow.preset").c_str()));
  }
  Bytes chunk; // a state with a 100 ms attack, as a host keeps it
  {
    Pelmora maker(Info());
    SetAttack(maker, 100.0f);
    plugin::IByteChunk state;
    plugin::IByteChunk::InitChunkWithFrameworkVer(state);
    ASSERT_TRUE(maker.SerializeState(state));
    chunk.assign(state.Data(), state.Data() + state.Size());
  }
  for (double rate : {48000.0, 96000.0})
  {
    Hosted started(rate);
    EXPECT_NEAR(HalfLevelMs(started.plug, rate), 1000.0 * kHalfLevelAt, 1.0) << rate;
    Hosted restored(rate);
    ASSERT_TRUE(restored.plug.SetChunk(chunk, false));
    EXPECT_NEAR(HalfLevelMs(restored.plug, rate), 100.0 * kHalfLevelAt, 1.0) << rate;
  }
  // Restored at 44.1 kHz, then the host switches to 96 kHz: the sound and its state stay.
  Hosted switched(44100.0);
  ASSERT_TRUE(switched.plug.SetChunk(chunk, false));
  const Bytes saved = switched.plug.GetChunk(false);
  switched.plug.Dispatch(kVst2EffMainsChanged, 0, 0);
  switched.plug.Dispatch(kVst2EffSetSampleRate, 0, 0, nullptr, 96000.0f);
  switched.plug.Dispatch(kVst2EffMainsChanged, 0, 1);
  EXPECT_EQ(switched.plug.GetChunk(false), saved);
  EXPECT_NEAR(HalfLevelMs(switched.plug, 96000.0), 100.0 * kHalfLevelAt, 1.0);
}

TEST_F(Persistence, TruncatedOrGarbageChunksAreRefusedWithTheStateUnchanged)
{
  Hosted a(48000.0);
  Hosted b(48000.0);
  a.plug.Effect()->setParameter(a.plug.Effect(), 2, 0.5f);
  const Bytes program = a.plug.GetChunk(false);
  const Bytes bank = a.plug.GetChunk(true);
  const Bytes before = b.plug.GetChunk(false);
  const Bytes beforeBank = b.plug.GetChunk(true);
  for (size_t length = 1; length < program.size(); length++)
  {
    ASSERT_FALSE(b.plug.SetChunk(Bytes(program.begin(), program.begin() + length), false))
      << length;
    ASSERT_EQ(b.plug.GetChunk(false), before) << length;
  }
  for (size_t length = 1; length < bank.size(); length++)
  {
    ASSERT_FALSE(b.plug.SetChunk(Bytes(bank.begin(), bank.begin() + length), true)) << length;
    ASSERT_EQ(b.plug.GetChunk(true), beforeBank) << length;
  }
  std::mt19937 random(7);
  for (size_t size : {1u, 7u, 8u, 600u, 1301u, 1310u, 5000u})
  {
    for (bool header : {false, true})
    {
      Bytes garbage(size);
      for (uint8_t& byte : garbage)
        byte = static_cast<uint8_t>(random());
      if (header && size >= 8)
        std::copy(program.begin(), program.begin() + 8, garbage.begin());
      EXPECT_FALSE(b.plug.SetChunk(garbage, false)) << size;
      EXPECT_FALSE(b.plug.SetChunk(garbage, true)) << size;
    }
  }
  EXPECT_EQ(b.plug.GetChunk(false), before);
  EXPECT_EQ(b.plug.GetChunk(true), beforeBank);
}

TEST_F(Persistence, EveryRestoreAppliesEnvelopesAndIdentity)
{
  WritePreset("First.preset", 5.0);
  Pelmora plug(Info());
  ASSERT_STREQ(plug.GetPresetName(), "First");
  auto state = std::make_unique<InstrumentState>();
  for (int round = 1; round <= 2; round++)
  {
    state->mName = "Round " + std::to_string(round);
    state->mIndex = -1;
    state->mEnvelopes[kEnvelopeMod].SetStageMilliseconds(1, 10.0f * round);
    plugin::IByteChunk chunk;
    ASSERT_TRUE(StateChunk::Write(*state, chunk));
    ASSERT_EQ(plug.UnserializeState(chunk, 0), chunk.Size());
    EXPECT_EQ(plug.GetGlobalParams().GetEnvelope(kEnvelopeMod)->Get().StageMilliseconds(1),
              10.0f * round);
    EXPECT_EQ(std::string(plug.GetPresetName()), state->mName);
    EXPECT_EQ(plug.GetPresetIndex(), -1);
  }
  // An index below -1 loads the first preset file; the chunk's values still apply.
  state->mIndex = -2;
  state->mParams[3] = 12.5; // "Operator A Offset"
  plugin::IByteChunk chunk;
  ASSERT_TRUE(StateChunk::Write(*state, chunk));
  ASSERT_GT(plug.UnserializeState(chunk, 0), 0);
  EXPECT_STREQ(plug.GetPresetName(), "First");
  EXPECT_EQ(plug.GetPresetIndex(), 0);
  EXPECT_EQ(plug.GetParam(3)->Value(), 12.5);
  EXPECT_EQ(plug.GetParam(2)->Value(), 0.0) << "the chunk's value, not the file's";
}

TEST_F(Persistence, StartUpLoadsTheFirstPresetFoundOrMakesInit)
{
  {
    Hosted empty(44100.0);
    EXPECT_EQ(empty.plug.ProgramName(), "Init");
  }
  WritePreset("Bright.preset", 2.0);
  WritePreset("Pads/Soft.preset", 4.0);
  {
    Hosted loaded(44100.0);
    EXPECT_EQ(loaded.plug.ProgramName(), "Soft"); // sub-folders come first
    AEffect* e = loaded.plug.Effect();
    EXPECT_FLOAT_EQ(e->getParameter(e, 2), 4.0f / 32.0f);
  }
  // A first preset that cannot be read gives the initial sound, not a half-loaded one.
  ASSERT_TRUE(WriteFile(Presets() + "/Pads/Soft.preset", "{ broken"));
  Hosted broken(44100.0);
  EXPECT_EQ(broken.plug.ProgramName(), "Init");
}

TEST_F(Persistence, ASavedPresetLoadsBackToTheSameStateAndSavesToTheSameBytes)
{
  Pelmora plug(Info());
  ASSERT_EQ(mkdir((Presets() + "/Sub").c_str(), 0700), 0);
  const std::string path = Presets() + "/Sub/My preset.preset";
  for (double rate : {44100.0, 48000.0, 96000.0})
  {
    plug.GetGlobalParams().SetSampleRate(rate);
    plug.GetParam(40)->Set(3.3); // "LFO Rate"
    plug.GetGlobalParams()
      .GetEnvelope(kEnvelopeOpC)
      ->Edit([](EnvelopeParameter& envelope) { envelope.SetStage(2, 1, 0.25f, 17.6f); });
    plug.SetOperatorLink(true);
    ASSERT_TRUE(plug.SavePreset(path.c_str()));
    EXPECT_STREQ(plug.GetPresetName(), "My preset");
    EXPECT_STREQ(plug.GetPresetCategory(), "Sub");
    EXPECT_EQ(plug.GetPresetIndex(), plug.GetPresetManager().FindPresetIndexByPath(path.c_str()));
    EXPECT_STREQ(plug.GetPresetName(0), "My preset");
    const std::string file = ReadFile(path);
    plugin::IByteChunk saved;
    plug.SerializeState(saved);

    const int index = plug.GetPresetIndex();
    plug.InitPreset();
    ASSERT_TRUE(plug.LoadPreset(index));
    EXPECT_TRUE(plug.GetOperatorLink()) << "the link is back on after the load";
    plugin::IByteChunk loaded;
    plug.SerializeState(loaded);
    EXPECT_TRUE(loaded.IsEqual(saved)) << rate;
    ASSERT_TRUE(plug.SavePreset(path.c_str()));
    EXPECT_EQ(ReadFile(path), file) << rate;
  }
}

TEST_F(Persistence, SavePathsAreNormalisedAndTakeTheExtension)
{
  Pelmora plug(Info());
  ASSERT_TRUE(plug.SavePreset((Presets() + "/Aaa.preset").c_str()));
  ASSERT_TRUE(plug.SavePreset((Presets() + "/./Soft.preset").c_str()));
  EXPECT_EQ(plug.GetPresetIndex(), 1); // Aaa, Soft
  ASSERT_TRUE(plug.SavePreset((Presets() + "/Warm").c_str()));
  EXPECT_STREQ(plug.GetPresetName(), "Warm");
  EXPECT_EQ(plug.GetPresetIndex(), 2);
  EXPECT_EQ(plug.GetPresetManager().FindPresetIndexByPath((Presets() + "/Warm.preset").c_str()), 2);
}

TEST_F(Persistence, FailedSavesAndRefusedFilesChangeNothing)
{
  WritePreset("Good.preset", 1.5);
  ASSERT_TRUE(WriteFile(Presets() + "/Broken.preset", "{\"plugin\": \"Pelmora\"}"));
  Pelmora plug(Info());
  ASSERT_STREQ(plug.GetPresetName(0), "Init") << "Broken comes first and is refused";
  plugin::IByteChunk before;
  plug.SerializeState(before);
  auto unchanged = [&](const char* what)
  {
    plugin::IByteChunk now;
    plug.SerializeState(now);
    EXPECT_TRUE(now.IsEqual(before)) << what;
    EXPECT_STREQ(plug.GetPresetName(0), "Init") << what;
  };

  EXPECT_FALSE(plug.SavePreset((Presets() + "/missing/x.preset").c_str()));
  unchanged("unwritable path");
  const std::string good = Presets() + "/Good.preset";
  const std::string kept = ReadFile(good);
  ASSERT_EQ(chmod(good.c_str(), 0444), 0);
  EXPECT_FALSE(plug.SavePreset(good.c_str()));
  unchanged("read-only file");
  EXPECT_EQ(ReadFile(good), kept);
  EXPECT_FALSE(plug.SavePreset(""));
  unchanged("cancelled prompt");
  EXPECT_FALSE(plug.LoadPreset(
    plug.GetPresetManager().FindPresetIndexByPath((Presets() + "/Broken.preset").c_str())));
  unchanged("refused file");
  EXPECT_FALSE(plug.LoadPreset(99));
  unchanged("no such index");

  // A file name that is not UTF-8 is saved without an exception reaching the host.
  EXPECT_TRUE(plug.SavePreset((Presets() + "/Bad\xFF.preset").c_str()));
}

TEST_F(Persistence, SettingsAreReadAtStartAndRewrittenExactly)
{
  ASSERT_TRUE(testsupport::TempDir::RunQuietly("mkdir -p '" + Support() + "'") == 0);
  const std::string file = Support() + "settings.ini";
  ASSERT_TRUE(WriteFile(file, "[settings]\nscale=1.5\nshowkeyboard=0\n"));
  Pelmora plug(Info());
  EXPECT_EQ(plug.GetScale(), 1.5f);
  EXPECT_FALSE(plug.GetShowKeyboard());
  // The host's size query answers in pixels at the stored scale, rounded up (1516.5 x 753).
  EXPECT_EQ(plug.GetEditorWidth(), 1517);
  EXPECT_EQ(plug.GetEditorHeight(), 753);
  EXPECT_EQ(ReadFile(file), "[settings]\nscale=1.500000\nshowkeyboard=0\n\n");
  plug.ToggleKeyboard(true);
  EXPECT_EQ(plug.GetEditorHeight(), 902); // 901.5
  EXPECT_EQ(ReadFile(file), "[settings]\nscale=1.500000\nshowkeyboard=1\n\n");
  EXPECT_EQ(plug.OpenManual(), EManualResult::kManualMissing);
}
