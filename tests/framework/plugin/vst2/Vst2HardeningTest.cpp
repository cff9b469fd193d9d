// What a host may get wrong: null pointers, impossible sizes, broken chunks, odd rates and
// block sizes, NaN values, blocks longer than the block size. Each is refused or made safe and
// changes nothing. Run under AddressSanitizer and UndefinedBehaviorSanitizer.

#include "tests/framework/plugin/vst2/Vst2Fixture.h"

#include <cmath>
#include <cstring>
#include <limits>

using host::HostedPlugin;

TEST_F(Vst2Fixture, NullPointersAnswerZero)
{
  const std::vector<uint8_t> before = mPlug.GetChunk(true);
  for (int opcode :
       {kVst2EffGetProgramName, kVst2EffGetParamLabel, kVst2EffGetParamDisplay,
        kVst2EffGetParamName, kVst2EffEditGetRect, kVst2EffGetChunk, kVst2EffSetChunk,
        kVst2EffProcessEvents, kVst2EffGetProgramNameIndexed, kVst2EffGetInputProperties,
        kVst2EffGetOutputProperties, kVst2EffGetEffectName, kVst2EffGetVendorString,
        kVst2EffGetProductString, kVst2EffCanDo, kVst2EffGetParameterProperties,
        kVst2EffGetMidiKeyName, kVst2EffVendorSpecific})
  {
    EXPECT_EQ(mPlug.Dispatch(opcode, 0, 100, nullptr, 0.0f), 0) << opcode;
  }
  mPlug.Dispatch(kVst2EffSetProgramName, 0, 0, nullptr);
  mPlug.Dispatch(kVst2EffSetSpeakerArrangement, 0, 0, nullptr);
  EXPECT_EQ(mPlug.Dispatch(kVst2EffGetSpeakerArrangement, 0, 0, nullptr), 1);
  EXPECT_EQ(mPlug.GetChunk(true), before);
  // A process-events list with null entries skips them.
  Vst2Events events{};
  events.numEvents = 2;
  EXPECT_EQ(mPlug.Dispatch(kVst2EffProcessEvents, 0, 0, &events), 1);
  EXPECT_EQ(Probe(kProbeMidiIn), 0);
  // A system-exclusive event with no data reaches the plug-in as an empty message.
  Vst2SysExEvent sysex{};
  sysex.type = kVst2EventSysEx;
  sysex.dumpBytes = 100;
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<Vst2Event*>(&sysex);
  EXPECT_EQ(mPlug.Dispatch(kVst2EffProcessEvents, 0, 0, &events), 1);
  EXPECT_EQ(Probe(kProbeSysExIn), 1);
}

TEST_F(Vst2Fixture, ImpossibleAndBrokenChunksAreRefusedAndChangeNothing)
{
  AEffect* e = mPlug.Effect();
  e->setParameter(e, kParamGain, 0.8f);
  const std::vector<uint8_t> program = mPlug.GetChunk(false);
  const std::vector<uint8_t> bank = mPlug.GetChunk(true);
  std::vector<uint8_t> data = program;

  // Sizes of -1, 0 and 4 GiB never reach a copy.
  for (intptr_t size : {intptr_t{-1}, intptr_t{0}, intptr_t{1} << 32})
    for (int idx : {0, 1})
      EXPECT_EQ(mPlug.Dispatch(kVst2EffSetChunk, idx, size, data.data()), 0) << size;

  // A 6-byte chunk beginning with the header tag: nothing to read.
  const std::vector<uint8_t> six(program.begin(), program.begin() + 6);
  EXPECT_FALSE(mPlug.SetChunk(six, false));
  EXPECT_FALSE(mPlug.SetChunk(six, true));
  // A header only, and a state cut short: the reader fails part-way and everything is put back.
  const std::vector<uint8_t> header(program.begin(), program.begin() + 8);
  EXPECT_FALSE(mPlug.SetChunk(header, false));
  const std::vector<uint8_t> shortState(program.begin(), program.begin() + 8 + 10 * 8 + 3);
  EXPECT_FALSE(mPlug.SetChunk(shortState, false));
  // Banks: cut inside the state, a name running past the end, a negative name length.
  std::vector<uint8_t> cutBank(bank.begin(), bank.end() - 9);
  EXPECT_FALSE(mPlug.SetChunk(cutBank, true));
  std::vector<uint8_t> longName = bank;
  longName[8] = 0xFF;
  longName[9] = 0x7F;
  EXPECT_FALSE(mPlug.SetChunk(longName, true));
  std::vector<uint8_t> negative = bank;
  std::memset(negative.data() + 8, 0xFF, 4);
  EXPECT_FALSE(mPlug.SetChunk(negative, true));

  EXPECT_EQ(mPlug.GetChunk(false), program);
  EXPECT_EQ(mPlug.GetChunk(true), bank);
  EXPECT_NEAR(e->getParameter(e, kParamGain), 0.8f, 1e-6);

  // A chunk without the header is read as a bare state from its first byte.
  HostedPlugin second;
  ASSERT_TRUE(second.Create(mModule.Entry()));
  second.Start();
  const std::vector<uint8_t> bare(program.begin() + 8, program.end());
  EXPECT_TRUE(second.SetChunk(bare, false));
  EXPECT_EQ(second.GetChunk(false), program);
  // A bank whose header has a framework version below 0x10000 is read as one state from byte 8.
  std::vector<uint8_t> oldBank = program;
  oldBank[6] = 0x00;
  oldBank[5] = 0xFF;
  oldBank[4] = 0xFF;
  e->setParameter(e, kParamGain, 0.1f);
  EXPECT_TRUE(mPlug.SetChunk(oldBank, true));
  EXPECT_NEAR(e->getParameter(e, kParamGain), 0.8f, 1e-6);
}

TEST_F(Vst2Fixture, SlotNamesLongerThanTheFieldAreCut)
{
  std::vector<uint8_t> bank = mPlug.GetChunk(true);
  const int32_t oldLen = bank[8];
  const std::string name(400, 'n');
  const int32_t n = static_cast<int32_t>(name.size());
  char length[4];
  std::memcpy(length, &n, 4);
  std::string bytes(bank.begin(), bank.begin() + 8);
  bytes.append(length, 4).append(name).append(bank.begin() + 12 + oldLen, bank.end());
  const std::vector<uint8_t> longBank(bytes.begin(), bytes.end());
  EXPECT_TRUE(mPlug.SetChunk(longBank, true));
  const std::vector<uint8_t> back = mPlug.GetChunk(true);
  int32_t stored;
  std::memcpy(&stored, back.data() + 8, 4);
  EXPECT_EQ(stored, 255);
  EXPECT_EQ(mPlug.ProgramName(), std::string(23, 'n'));
}

TEST_F(Vst2Fixture, OddSampleRatesBlockSizesAndValuesKeepThePreviousState)
{
  AEffect* e = mPlug.Effect();
  EXPECT_EQ(Probe(kProbeSampleRate), 48000);
  for (float rate : {0.0f, 7999.0f, 768001.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                     std::numeric_limits<float>::infinity()})
    mPlug.Dispatch(kVst2EffSetSampleRate, 0, 0, nullptr, rate);
  EXPECT_EQ(Probe(kProbeSampleRate), 48000);
  mPlug.Dispatch(kVst2EffSetSampleRate, 0, 0, nullptr, 8000.0f);
  EXPECT_EQ(Probe(kProbeSampleRate), 8000);
  mPlug.Dispatch(kVst2EffSetSampleRate, 0, 0, nullptr, 768000.0f);
  EXPECT_EQ(Probe(kProbeSampleRate), 768000);

  for (intptr_t size : {intptr_t{0}, intptr_t{-5}, intptr_t{1} << 40})
    mPlug.Dispatch(kVst2EffSetBlockSize, 0, size);
  EXPECT_EQ(Probe(kProbeBlockSize), 512);

  e->setParameter(e, kParamGain, 0.4f);
  e->setParameter(e, kParamGain, std::numeric_limits<float>::quiet_NaN());
  EXPECT_NEAR(e->getParameter(e, kParamGain), 0.4f, 1e-6);
  e->setParameter(e, kParamGain, 7.0f);
  EXPECT_FLOAT_EQ(e->getParameter(e, kParamGain), 1.0f);
  e->setParameter(e, kParamGain, -3.0f);
  EXPECT_FLOAT_EQ(e->getParameter(e, kParamGain), 0.0f);
  e->setParameter(e, -1, 0.5f);
  e->setParameter(e, 64, 0.5f);
}

TEST_F(Vst2Fixture, SpeakerArrangementsLargerThanTheRecordAreRefused)
{
  Vst2SpeakerArrangement out{};
  out.type = 1;
  out.numChannels = 3;
  EXPECT_EQ(mPlug.Dispatch(kVst2EffSetSpeakerArrangement, 0, 0, &out), 0);
  EXPECT_EQ(Probe(kProbeConnectedOutputs), 2);
  out.numChannels = 1;
  EXPECT_EQ(mPlug.Dispatch(kVst2EffSetSpeakerArrangement, 0, 0, &out), 1);
  EXPECT_EQ(Probe(kProbeConnectedOutputs), 1);
  // Rendering with one output connected never touches a missing second channel.
  RunFloat(600);
  out.numChannels = 2;
  EXPECT_EQ(mPlug.Dispatch(kVst2EffSetSpeakerArrangement, 0, 0, &out), 1);
  EXPECT_EQ(Probe(kProbeConnectedOutputs), 2);
}

// The right channel is a ramp that runs on sample by sample: a block longer than the block size
// must come out as one unbroken ramp, rendered in pieces no longer than the block size.
TEST_F(Vst2Fixture, LongBlocksAreRenderedInPieces)
{
  mPlug.Dispatch(kVst2EffSetBlockSize, 0, 100);
  auto expectRamp = [](auto& right, int first)
  {
    for (size_t i = 0; i < right.size(); i++)
      ASSERT_FLOAT_EQ(static_cast<float>(right[i]), ((first + i) % 1024) / 1024.0f) << i;
  };
  auto a = RunFloat(1000);
  expectRamp(a[1], 0);
  EXPECT_FLOAT_EQ(a[0][999], 0.5f);
  auto b = RunDouble(777);
  expectRamp(b[1], 1000);
  auto c = RunFloat(250, true, 1.0f); // accumulating: added to what the host had
  for (size_t i = 0; i < c[1].size(); i++)
    ASSERT_FLOAT_EQ(c[1][i], 1.0f + ((1777 + i) % 1024) / 1024.0f);
  EXPECT_LE(Probe(kProbeMaxFramesPerBlock), 100);

  // No buffers at all, or a null channel: nothing is rendered, nothing crashes.
  mPlug.ProcessFloat(nullptr, nullptr, 64);
  float left[8];
  float* partial[2] = {left, nullptr};
  mPlug.ProcessFloat(nullptr, partial, 8);
  mPlug.ProcessFloat(nullptr, partial, -8);
}
