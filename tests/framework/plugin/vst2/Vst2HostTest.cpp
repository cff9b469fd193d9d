// The built test plug-in driven through its VST2 entry by our host: record, dispatcher answers,
// host calls per block, MIDI through, chunks between two instances.

#include "tests/framework/plugin/vst2/Vst2Fixture.h"

#include <cmath>
#include <cstring>
#include <unistd.h>

using host::HostedPlugin;

TEST_F(Vst2Fixture, RecordCarriesTheConfig)
{
  const AEffect* e = mPlug.Effect();
  EXPECT_EQ(e->magic, 0x56737450);
  EXPECT_EQ(e->flags, 4401);
  EXPECT_EQ(e->version, 20300);
  EXPECT_EQ(e->uniqueID, 0x506C6D72); // 'Plmr'
  EXPECT_EQ(e->numInputs, 0);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(e->numParams, 64);
  EXPECT_EQ(e->numPrograms, 1);
  EXPECT_EQ(e->initialDelay, 0);
  EXPECT_FLOAT_EQ(e->ioRatio, 1.0f);
  EXPECT_EQ(mPlug.EffectName(), "Pelmora");
  EXPECT_EQ(mPlug.VendorString(), "Tessvold");
  EXPECT_EQ(mPlug.ProductString(), "Pelmora");
  EXPECT_EQ(mPlug.Dispatch(kVst2EffGetVendorVersion), 20300);
  EXPECT_EQ(mPlug.Dispatch(kVst2EffGetPlugCategory), 2);
  EXPECT_EQ(mPlug.Dispatch(kVst2EffGetVstVersion), 2400);
  EXPECT_EQ(mPlug.Dispatch(kVst2EffIdentify, 7, 9, nullptr, 1.5f), 0x4E764566);
  EXPECT_EQ(mPlug.Dispatch(kVst2EffGetTailSize), 1);

  Vst2SpeakerArrangement* in = nullptr;
  Vst2SpeakerArrangement* out = nullptr;
  EXPECT_EQ(mPlug.Dispatch(kVst2EffGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out),
            1);
  ASSERT_TRUE(in && out);
  EXPECT_EQ(in->type, -1);
  EXPECT_EQ(in->numChannels, 0);
  EXPECT_EQ(out->type, 1);
  EXPECT_EQ(out->numChannels, 2);

  Vst2Rect* rect = nullptr;
  EXPECT_EQ(mPlug.Dispatch(kVst2EffEditGetRect, 0, 0, &rect), 1);
  ASSERT_TRUE(rect);
  EXPECT_EQ(rect->right, 1011);
  EXPECT_EQ(rect->bottom, 601);
}

TEST_F(Vst2Fixture, LegacyMainBuildsTheSameRecord)
{
  HostedPlugin second;
  ASSERT_TRUE(second.Create(mModule.LegacyMain()));
  EXPECT_EQ(second.Effect()->uniqueID, mPlug.Effect()->uniqueID);
  EXPECT_NE(second.Effect(), mPlug.Effect());
}

TEST_F(Vst2Fixture, CapabilitiesAndVendorCalls)
{
  intptr_t answer = 0;
  for (const char* text :
       {"receiveVstEvents", "receiveVstMidiEvent", "sendVstEvents", "sendVstMidiEvent",
        "receiveVstTimeInfo", "wantsChannelCountNotifications"})
  {
    EXPECT_TRUE(mPlug.CanDo(text, &answer)) << text;
  }
  mPlug.CanDo("MPE", &answer);
  EXPECT_EQ(answer, 0);
  mPlug.CanDo("hasCockosExtensions", &answer);
  EXPECT_EQ(answer, static_cast<intptr_t>(0xBEEF0000));
  mPlug.CanDo("somethingElse", &answer);
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(mPlug.Dispatch(kVst2EffCanDo, 0, 0, nullptr), 0);

  // Index 7: display text of a normalized value, written into the host's text.
  char text[32] = "unchanged";
  EXPECT_EQ(mPlug.Dispatch(kVst2EffVendorSpecific, 7, kParamMode, text, 1.0f), 0xBEEF);
  EXPECT_STREQ(text, "Noise");
  EXPECT_EQ(mPlug.Dispatch(kVst2EffVendorSpecific, 7, 64, text, 0.5f), 0xBEEF);
  EXPECT_STREQ(text, "Noise"); // out of range: nothing written
  // Index 27: text to normalized value, written back.
  std::strcpy(text, "Square");
  EXPECT_EQ(mPlug.Dispatch(kVst2EffVendorSpecific, 27, kParamMode, text), 0xBEEF);
  EXPECT_NEAR(std::atof(text), 2.0 / 3.0, 1e-12);
  // Index 8: 0xBEEF for switches and narrow integer ranges only.
  EXPECT_EQ(mPlug.Dispatch(kVst2EffVendorSpecific, 8, kParamSwitch), 0xBEEF);
  EXPECT_EQ(mPlug.Dispatch(kVst2EffVendorSpecific, 8, kParamVoices), 0);
  EXPECT_EQ(mPlug.Dispatch(kVst2EffVendorSpecific, 99, 0), 0);
}

TEST_F(Vst2Fixture, ParameterTextsStayInsideTheHostsBuffers)
{
  EXPECT_EQ(mPlug.ParamName(kParamCutoff), "Cutoff");
  EXPECT_EQ(mPlug.ParamLabel(kParamCutoff), "Hz");
  EXPECT_EQ(mPlug.ParamDisplay(kParamCutoff), "1000.0");
  EXPECT_EQ(mPlug.ParamDisplay(kParamMode), "Sine");
  EXPECT_EQ(mPlug.ParamLabel(kParamMode), ""); // a display text hides the label
  EXPECT_EQ(mPlug.ParamName(-1), "");
  EXPECT_EQ(mPlug.ParamName(64), "");

  // Nothing is written past 32 bytes for parameter texts, 24 for program names, 64 for names.
  for (int opcode : {kVst2EffGetParamName, kVst2EffGetParamLabel, kVst2EffGetParamDisplay})
  {
    for (int i = 0; i < 64; i++)
    {
      char buffer[40];
      std::memset(buffer, 0x55, sizeof(buffer));
      mPlug.Dispatch(opcode, i, 0, buffer);
      EXPECT_EQ(buffer[32], 0x55) << opcode << " " << i;
      EXPECT_LT(strnlen(buffer, 32), 32u);
    }
  }
  char program[30];
  std::memset(program, 0x55, sizeof(program));
  const char longName[] = "A program name far longer than twenty-four bytes";
  mPlug.Dispatch(kVst2EffSetProgramName, 0, 0, const_cast<char*>(longName));
  mPlug.Dispatch(kVst2EffGetProgramName, 0, 0, program);
  EXPECT_EQ(program[24], 0x55);
  EXPECT_EQ(std::string(program), std::string(longName, 23));
  intptr_t answer = -1;
  EXPECT_EQ(mPlug.ProgramNameIndexed(0, &answer), std::string(longName, 23));
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(mPlug.ProgramNameIndexed(1, &answer), "");
  EXPECT_EQ(answer, 0);

  // Steps in the 0..1 units of the values hosts send (flag 4), never an integer range (flag 2) or
  // an integer step (flag 8); a switch is flag 1; a shaped parameter has no step.
  const struct
  {
    int index;
    int flags;
    float step;
  } properties[] = {
    {kParamVoices, 4, 1.0f / 15.0f},                         // 1..16
    {kParamMode, 4, 1.0f / 3.0f},                            // four texts
    {kParamSwitch, 5, 1.0f},         {kParamGain, 4, 0.01f}, // 0..1 by 0.01
    {kParamCutoff, 0, 0.0f},                                 // logarithmic
  };
  for (const auto& p : properties)
  {
    Vst2ParameterProperties props{};
    EXPECT_EQ(mPlug.Dispatch(kVst2EffGetParameterProperties, p.index, 0, &props), 1);
    EXPECT_EQ(props.flags, p.flags) << p.index;
    EXPECT_FLOAT_EQ(props.stepFloat, p.step) << p.index;
    EXPECT_FLOAT_EQ(props.largeStepFloat, p.step) << p.index;
  }
  Vst2ParameterProperties props{};
  EXPECT_EQ(mPlug.Dispatch(kVst2EffGetParameterProperties, kParamVoices, 0, &props), 1);
  EXPECT_STREQ(props.label, "Voices");

  EXPECT_EQ(mPlug.Dispatch(kVst2EffCanBeAutomated, kParamGain), 1);
  EXPECT_EQ(mPlug.Dispatch(kVst2EffCanBeAutomated, kParamLocked), 0);
  EXPECT_EQ(mPlug.Dispatch(kVst2EffCanBeAutomated, 64), 0);

  Vst2PinProperties pin{};
  EXPECT_EQ(mPlug.Dispatch(kVst2EffGetOutputProperties, 0, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Output 1");
  EXPECT_EQ(pin.flags, 3);
  EXPECT_EQ(mPlug.Dispatch(kVst2EffGetOutputProperties, 1, 0, &pin), 1);
  EXPECT_EQ(pin.flags, 1);
  EXPECT_EQ(mPlug.Dispatch(kVst2EffGetInputProperties, 0, 0, &pin), 0);
}

TEST_F(Vst2Fixture, ParameterCallbacksMapStepAndReportTheHost)
{
  AEffect* e = mPlug.Effect();
  // A stepped parameter over 0.5..3 with step 1: 0.5 rounds (half away from zero) to 1.
  e->setParameter(e, kParamStepped, 0.0f);
  EXPECT_FLOAT_EQ(e->getParameter(e, kParamStepped), 0.2f);
  EXPECT_EQ(mPlug.ParamDisplay(kParamStepped), "1");
  EXPECT_EQ(Probe(kProbeLastParamIdx), kParamStepped);
  EXPECT_EQ(Probe(kProbeLastParamSource), 1);
  EXPECT_EQ(e->getParameter(e, -1), 0.0f);
  EXPECT_EQ(e->getParameter(e, 64), 0.0f);

  // String to parameter: parsed, stepped and clamped; answered 1 (and 1 for a null text).
  char text[] = "2.7";
  EXPECT_EQ(mPlug.Dispatch(kVst2EffString2Parameter, kParamStepped, 0, text), 1);
  EXPECT_EQ(mPlug.ParamDisplay(kParamStepped), "3");
  EXPECT_EQ(mPlug.Dispatch(kVst2EffString2Parameter, kParamStepped, 0, nullptr), 1);
  EXPECT_EQ(mPlug.Dispatch(kVst2EffString2Parameter, 64, 0, text), 0);
}

TEST_F(Vst2Fixture, OpenIdentifiesTheHostOnceAndResetsEachTime)
{
  // SetUp opened once with "Pelmora Host" (no known name) and vendor version 10000.
  EXPECT_EQ(Probe(kProbeHost), 0);
  EXPECT_EQ(Probe(kProbeHostVersion), 0x10000);
  EXPECT_EQ(Probe(kProbeParamResets), 1);
  EXPECT_EQ(Probe(kProbeLastResetSource), 0);
  mPlug.Identity().productString = "REAPER";
  mPlug.ClearRecords();
  mPlug.Dispatch(kVst2EffOpen);
  EXPECT_EQ(Probe(kProbeHost), 0);
  EXPECT_EQ(Probe(kProbeParamResets), 2);
  EXPECT_EQ(mPlug.CountCalls(kVst2HostGetProductString), 0);

  HostedPlugin bitwig;
  bitwig.Identity().productString = "BITWIG STUDIO";
  bitwig.Identity().vendorVersion = 12345;
  ASSERT_TRUE(bitwig.Create(mModule.Entry()));
  bitwig.Start();
  EXPECT_EQ(bitwig.Dispatch(kVst2EffVendorSpecific, kProbe, kProbeHost), 34);
  EXPECT_EQ(bitwig.Dispatch(kVst2EffVendorSpecific, kProbe, kProbeHostVersion),
            1 * 65536 + 23 * 256 + 45);

  HostedPlugin nameless;
  nameless.Identity().productString = "";
  ASSERT_TRUE(nameless.Create(mModule.Entry()));
  nameless.Start();
  EXPECT_EQ(nameless.Dispatch(kVst2EffVendorSpecific, kProbe, kProbeHost), 0);
  EXPECT_EQ(nameless.Dispatch(kVst2EffVendorSpecific, kProbe, kProbeHostVersion), 0);
  EXPECT_EQ(nameless.CountCalls(kVst2HostGetVendorVersion), 0);
}

TEST_F(Vst2Fixture, EveryBlockAsksForMidiTimeAndProcessLevel)
{
  mPlug.ClearRecords();
  mPlug.Identity().processLevel = 4;
  RunFloat(64);
  RunDouble(64);
  RunFloat(64, true);
  EXPECT_EQ(mPlug.CountCalls(kVst2HostWantMidi), 3);
  EXPECT_EQ(mPlug.CountCalls(kVst2HostGetCurrentProcessLevel), 3);
  int timeCalls = 0;
  for (const host::HostCall& call : mPlug.Calls())
  {
    if (call.opcode == kVst2HostGetTime)
    {
      timeCalls++;
      EXPECT_EQ(call.value, 0x3E00);
    }
  }
  EXPECT_EQ(timeCalls, 3);
  EXPECT_EQ(Probe(kProbeOffline), 1);
  mPlug.Identity().processLevel = 2;
  RunFloat(16);
  EXPECT_EQ(Probe(kProbeOffline), 0);
}

TEST_F(Vst2Fixture, TransportDefaultsReplaceWhatTheHostLeavesOut)
{
  Vst2TimeInfo& t = mPlug.TimeInfo();
  t.tempo = 0.0; // not usable: 120
  t.timeSigNumerator = 0;
  t.timeSigDenominator = 8; // 0/8: 4/4
  t.ppqPos = 8.0;
  RunFloat(32);
  EXPECT_EQ(Probe(kProbeTempoMilli), 120000);
  EXPECT_EQ(Probe(kProbeNumerator), 4);
  EXPECT_EQ(Probe(kProbePPQMilli), 8000);
  t.tempo = 90.0;
  t.timeSigNumerator = 7;
  RunFloat(32);
  EXPECT_EQ(Probe(kProbeTempoMilli), 90000);
  EXPECT_EQ(Probe(kProbeNumerator), 7);
  mPlug.Identity().answerTimeInfo = false;
  RunFloat(32);
  EXPECT_EQ(Probe(kProbeTempoMilli), 120000);
  EXPECT_EQ(Probe(kProbePPQMilli), -1000);
}

TEST_F(Vst2Fixture, MidiReachesThePluginAndComesBackThrough)
{
  mPlug.ClearRecords();
  EXPECT_EQ(mPlug.SendMidi({{3, {0x90, 60, 100}}, {10, {0xB0, 1, 64}}, {20, {0x80, 60, 0}}}), 1);
  EXPECT_EQ(Probe(kProbeMidiIn), 3);
  const auto events = mPlug.Events();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].type, 1);
  EXPECT_EQ(events[0].offset, 3);
  EXPECT_EQ(events[0].bytes, (std::vector<uint8_t>{0x90, 60, 100}));
  EXPECT_EQ(events[2].bytes[0], 0x80);
  // A system-exclusive event goes to the plug-in, not back.
  EXPECT_EQ(mPlug.SendSysEx(0, {0xF0, 0x7D, 0x01, 0xF7}), 1);
  EXPECT_EQ(Probe(kProbeSysExIn), 1);
  EXPECT_EQ(mPlug.Events().size(), 3u);
  EXPECT_EQ(mPlug.SendMidi({}), 1);
}

TEST_F(Vst2Fixture, IdleCallsPumpTheTimerAndDrainParametersToTheEditor)
{
  const auto idleBefore = Probe(kProbeIdleCalls);
  mPlug.Dispatch(kVst2EffEditIdle);
  EXPECT_GT(Probe(kProbeIdleCalls), idleBefore);
  const auto updates = Probe(kProbeDelegateUpdates);
  mPlug.Effect()->setParameter(mPlug.Effect(), kParamCutoff, 0.25f);
  EXPECT_EQ(Probe(kProbeDelegateUpdates), updates); // queued, not yet delivered
  for (int i = 0; i < 3 && Probe(kProbeDelegateUpdates) == updates; i++)
  {
    usleep(25000);
    mPlug.Dispatch(kVst2EffIdle);
  }
  EXPECT_EQ(Probe(kProbeDelegateUpdates), updates + 1);
  EXPECT_EQ(Probe(kProbeLastDelegateIdx), kParamCutoff);
}

TEST_F(Vst2Fixture, ChunksRestoreByteExactlyIntoASecondInstance)
{
  AEffect* e = mPlug.Effect();
  e->setParameter(e, kParamGain, 0.37f);
  e->setParameter(e, kParamMode, 0.7f);
  e->setParameter(e, kParamCutoff, 0.123f);
  char name[] = "Bright";
  mPlug.Dispatch(kVst2EffSetProgramName, 0, 0, name);
  const std::vector<uint8_t> program = mPlug.GetChunk(false);
  const std::vector<uint8_t> bank = mPlug.GetChunk(true);

  // Program chunk: header, then one double per parameter.
  ASSERT_EQ(program.size(), 8u + 64 * 8);
  EXPECT_EQ(std::vector<uint8_t>(program.begin(), program.begin() + 8),
            (std::vector<uint8_t>{0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00}));
  double gain;
  std::memcpy(&gain, program.data() + 8, 8);
  EXPECT_NEAR(gain, 0.37, 1e-7);
  // Bank chunk: header, name length, name, initialized byte, state.
  ASSERT_EQ(bank.size(), 8u + 4 + 6 + 1 + 64 * 8);
  EXPECT_EQ(bank[8], 6);
  EXPECT_EQ(std::string(bank.begin() + 12, bank.begin() + 18), "Bright");
  EXPECT_EQ(bank[18], 1);

  for (bool isBank : {false, true})
  {
    HostedPlugin second;
    ASSERT_TRUE(second.Create(mModule.Entry()));
    second.Start();
    EXPECT_TRUE(second.SetChunk(isBank ? bank : program, isBank));
    EXPECT_EQ(second.GetChunk(false), program);
    if (isBank)
    {
      EXPECT_EQ(second.GetChunk(true), bank);
      EXPECT_EQ(second.ProgramName(), "Bright");
    }
    for (int i = 0; i < 64; i++)
      EXPECT_EQ(second.ParamDisplay(i), mPlug.ParamDisplay(i)) << i;
  }
}

TEST_F(Vst2Fixture, SettingTheCurrentProgramKeepsTheSound)
{
  AEffect* e = mPlug.Effect();
  ASSERT_TRUE(mPlug.SetChunk(mPlug.GetChunk(false), false)); // as a host restoring a project
  e->setParameter(e, kParamGain, 0.9f);
  const std::vector<uint8_t> edited = mPlug.GetChunk(false);
  mPlug.Dispatch(kVst2EffSetProgram, 0, 0); // what some hosts send next
  EXPECT_EQ(mPlug.GetChunk(false), edited);
  EXPECT_EQ(mPlug.Dispatch(kVst2EffGetProgram), 0);
  mPlug.Dispatch(kVst2EffSetProgram, 0, 5); // no such slot
  EXPECT_EQ(mPlug.Dispatch(kVst2EffGetProgram), 0);
}

TEST_F(Vst2Fixture, TheChunkPointerItselfRestores)
{
  // Hosts duplicating a track hand back the very data the get-chunk call gave them.
  AEffect* e = mPlug.Effect();
  e->setParameter(e, kParamGain, 0.37f);
  for (int index : {1, 0}) // the program, then the bank
  {
    void* data = nullptr;
    const intptr_t size = mPlug.Dispatch(kVst2EffGetChunk, index, 0, &data);
    ASSERT_GT(size, 0);
    const auto* bytes = static_cast<const uint8_t*>(data);
    const std::vector<uint8_t> copy(bytes, bytes + size);
    EXPECT_EQ(mPlug.Dispatch(kVst2EffSetChunk, index, size, data), 1) << index;
    EXPECT_EQ(mPlug.GetChunk(index == 0), copy) << index;
  }
}

TEST_F(Vst2Fixture, OpcodesBeyondTheTableAnswerZero)
{
  for (int opcode : {9, 16, 20, 21, 28, 30, 43, 44, 46, 55, 57, 61, 67, 68, 70, 71, 72, 77, 1000})
    EXPECT_EQ(mPlug.Dispatch(opcode, 1, 1, nullptr, 1.0f), 0) << opcode;
}
