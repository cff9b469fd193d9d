// The plug-in base and API base without a host: program slots, the bank layout, restores that
// fail, FXP/FXB files, host identification and the idle timer's drain.

#include "framework/plugin/IPluginAPIBase.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

#include <cstring>
#include <fstream>
#include <iterator>

using namespace plugin;

namespace
{

Config SmallConfig(bool stateChunks, bool hasUI = true)
{
  Config config;
  config.nParams = 3;
  config.nPresets = 2;
  config.pluginName = "Small";
  config.vendorVersion = 0x00020300;
  config.uniqueID = FourCharCode("Smll");
  config.plugHasStateChunks = stateChunks;
  config.plugHasUI = hasUI;
  return config;
}

class Plug : public IPluginAPIBase
{
public:
  explicit Plug(bool stateChunks = true, bool hasUI = true)
    : IPluginAPIBase(SmallConfig(stateChunks, hasUI), kAPIVST2)
  {
    GetParam(0)->InitDouble("A", 0.5, 0.0, 1.0, 0.01);
    GetParam(1)->InitInt("B", 2, 0, 10);
    GetParam(2)->InitBool("C", false);
  }

  void SendParameterValueFromDelegate(int idx, double value, bool normalized) override
  {
    mDelegated.emplace_back(idx, value);
    IPluginAPIBase::SendParameterValueFromDelegate(idx, value, normalized);
  }
  void SendSysexMsgFromDelegate(const ISysEx& msg) override
  {
    mSysEx.assign(msg.mData, msg.mData + msg.mSize);
  }
  void OnIdle() override { mIdles++; }
  void OnParamReset(EParamSource source) override
  {
    mResets.push_back(source);
    IPluginAPIBase::OnParamReset(source);
  }
  void HostSpecificInit() override { mHostInits++; }

  // Reaches the processor-to-editor rings as the binding's audio thread would.
  SpscRing<SysExData>& SysExToEditor() { return mSysExDataFromProcessor; }
  SpscRing<SysExData>& SysExFromEditor() { return mSysExDataFromEditor; }

  std::vector<std::pair<int, double>> mDelegated;
  std::vector<uint8_t> mSysEx;
  std::vector<EParamSource> mResets;
  int mIdles = 0;
  int mHostInits = 0;
};

std::vector<uint8_t> Bytes(const IByteChunk& chunk)
{
  return std::vector<uint8_t>(chunk.Data(), chunk.Data() + chunk.Size());
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
  std::ofstream(path, std::ios::binary)
    .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

TEST(PluginBase, IdentityStrings)
{
  Plug plug;
  EXPECT_EQ(plug.GetPluginVersion(true), 20300);
  Util_String str;
  plug.GetPluginVersionStr(str);
  EXPECT_STREQ(str.Get(), "v2.3.0");
  EXPECT_STREQ(plug.GetAPIStr(), "VST2");
  EXPECT_STREQ(plug.GetArchStr(), "x86-64");
  plug.GetBuildInfoStr(str, "Jan  1 2026", "12:34:56");
  EXPECT_STREQ(str.Get(), "v2.3.0 VST2 (x86-64), built on Jan  1 2026 at 12:34 ");
}

TEST(PluginBase, BankSerializesNameLengthNameFlagAndState)
{
  Plug plug;
  plug.MakeDefaultPreset("A", 1);
  plug.GetPreset(1)->SetName("B");
  IByteChunk bank;
  ASSERT_TRUE(plug.SerializePresets(bank));
  std::vector<uint8_t> expected = {1, 0, 0, 0, 'A', 1};
  const std::vector<uint8_t> state = Bytes(plug.GetPreset(0)->mChunk);
  EXPECT_EQ(state.size(), 3u * 8);
  expected.insert(expected.end(), state.begin(), state.end());
  expected.insert(expected.end(), {1, 0, 0, 0, 'B', 0});
  EXPECT_EQ(Bytes(bank), expected);

  // Back into a fresh instance: names, flags and the current slot's state.
  Plug other;
  other.GetParam(0)->Set(0.9);
  EXPECT_EQ(other.UnserializePresets(bank, 0), bank.Size());
  EXPECT_STREQ(other.GetPresetName(0), "A");
  EXPECT_STREQ(other.GetPresetName(1), "B");
  EXPECT_FALSE(other.GetPreset(1)->mInitialized);
  EXPECT_DOUBLE_EQ(other.GetParam(0)->Value(), 0.5);
}

TEST(PluginBase, ShortParameterDataSetsTheMissingOneToZeroAndReportsTheRecall)
{
  Plug plug;
  plug.GetParam(2)->Set(1.0);
  IByteChunk chunk;
  const double a = 0.25, b = 7.0;
  chunk.AppendValue(a);
  chunk.AppendValue(b);
  EXPECT_EQ(plug.UnserializeParams(chunk, 0), -1);
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.25);
  EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 7.0);
  EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 0.0);
  ASSERT_EQ(plug.mResets.size(), 1u);
  EXPECT_EQ(plug.mResets[0], kPresetRecall);
}

TEST(PluginBase, RestoringSlots)
{
  Plug plug;
  plug.GetPreset(0)->SetName("user preset 1");
  plug.GetPreset(0)->mInitialized = true;
  plug.SerializeState(plug.GetPreset(0)->mChunk);
  plug.GetParam(0)->Set(0.75);
  EXPECT_FALSE(plug.RestorePreset(-1));
  EXPECT_FALSE(plug.RestorePreset(2));
  EXPECT_TRUE(plug.RestorePreset(1)); // uninitialized: named and filled with the current state
  EXPECT_STREQ(plug.GetPresetName(1), "user preset 2");
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
  EXPECT_TRUE(plug.RestorePreset("user preset 1"));
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.5);
  EXPECT_FALSE(plug.RestorePreset(""));
  EXPECT_FALSE(plug.RestorePreset("nothing"));
  plug.MakeDefaultPreset(nullptr, 1); // no free slot left: nothing happens
  EXPECT_STREQ(plug.GetPresetName(0), "user preset 1");
}

TEST(PluginBase, PresetMakersAndBlobs)
{
  Plug plug;
  plug.MakePreset("Values", {0.2, 3.9, 1.0});
  IByteChunk& chunk = plug.GetPreset(0)->mChunk;
  double v = 0.0;
  chunk.ReadValue(v, 8);
  EXPECT_DOUBLE_EQ(v, 3.0); // integer parameters take integers
  plug.GetParam(0)->Set(0.6);
  plug.MakePresetFromNamedParams("Named", {{1, 4.0}});
  plug.GetPreset(1)->mChunk.ReadValue(v, 0);
  EXPECT_DOUBLE_EQ(v, 0.6); // not named: the current value
  Plug blob;
  blob.MakePresetFromBlob("Blob", "AAAAAAAA4D8=", 8);
  blob.GetPreset(0)->mChunk.ReadValue(v, 0);
  EXPECT_DOUBLE_EQ(v, 0.5);
  blob.PruneUninitializedPresets();
  EXPECT_EQ(blob.NPresets(), 1);
}

TEST(PluginBase, FxpAndFxbRoundTripInBothForms)
{
  testsupport::TempDir dir;
  for (bool stateChunks : {true, false})
  {
    Plug plug(stateChunks);
    plug.EnsureDefaultPreset();
    plug.GetParam(0)->Set(0.3);
    plug.GetParam(1)->Set(9);
    plug.ModifyCurrentPreset("First");
    ASSERT_TRUE(plug.SavePresetAsFXP((dir / "p.fxp").c_str()));
    ASSERT_TRUE(plug.SaveBankAsFXB((dir / "b.fxb").c_str()));
    const std::vector<uint8_t> fxp = ReadFile(dir / "p.fxp");
    ASSERT_GE(fxp.size(), 60u);
    EXPECT_EQ(std::string(fxp.begin() + 8, fxp.begin() + 12), stateChunks ? "FPCh" : "FxCk");
    EXPECT_EQ(fxp[23], 0x4C); // 20300 big-endian: 00 00 4F 4C
    EXPECT_EQ(std::string(fxp.begin() + 28, fxp.begin() + 33), "First");

    Plug other(stateChunks);
    other.EnsureDefaultPreset();
    ASSERT_TRUE(other.LoadPresetFromFXP((dir / "p.fxp").c_str()));
    EXPECT_NEAR(other.GetParam(0)->Value(), 0.3, 1e-6);
    EXPECT_DOUBLE_EQ(other.GetParam(1)->Value(), 9.0);
    EXPECT_STREQ(other.GetPresetName(0), "First");

    Plug third(stateChunks);
    third.EnsureDefaultPreset();
    ASSERT_TRUE(third.LoadBankFromFXB((dir / "b.fxb").c_str()));
    EXPECT_STREQ(third.GetPresetName(0), "First");
    EXPECT_NEAR(third.GetParam(0)->Value(), 0.3, 1e-6);
    EXPECT_FALSE(third.LoadPresetFromFXP(""));
    EXPECT_FALSE(third.LoadPresetFromFXP((dir / "missing").c_str()));
  }
}

TEST(PluginBase, BrokenFilesChangeNothing)
{
  testsupport::TempDir dir;
  for (bool stateChunks : {true, false})
  {
    Plug plug(stateChunks);
    plug.EnsureDefaultPreset();
    plug.GetParam(0)->Set(0.3);
    plug.ModifyCurrentPreset("Saved");
    plug.SavePresetAsFXP((dir / "p.fxp").c_str());
    plug.SaveBankAsFXB((dir / "b.fxb").c_str());
    const std::vector<uint8_t> fxp = ReadFile(dir / "p.fxp");
    const std::vector<uint8_t> fxb = ReadFile(dir / "b.fxb");

    Plug other(stateChunks);
    other.EnsureDefaultPreset();
    other.GetParam(0)->Set(0.9);
    IByteChunk before;
    other.SerializePresets(before);
    // Cut short, a wrong unique id, a state size larger than the file, a bad second record.
    WriteFile(dir / "cut.fxp", std::vector<uint8_t>(fxp.begin(), fxp.end() - 3));
    std::vector<uint8_t> wrongId = fxp;
    wrongId[19] ^= 1;
    WriteFile(dir / "id.fxp", wrongId);
    std::vector<uint8_t> bigSize = fxp;
    bigSize[56] = 0x7F;
    WriteFile(dir / "size.fxp", bigSize);
    WriteFile(dir / "cut.fxb", std::vector<uint8_t>(fxb.begin(), fxb.end() - 3));
    std::vector<uint8_t> badRecord = fxb;
    if (!stateChunks)
      badRecord[156 + 56 + 12 + 8 + 3] = 'X'; // the second program's "FxCk"
    else
      badRecord[159] = 0x7F; // bank size
    WriteFile(dir / "bad.fxb", badRecord);
    for (const char* name : {"cut.fxp", "id.fxp", "size.fxp"})
    {
      if (stateChunks || std::strcmp(name, "size.fxp") != 0) // parameters have no size field
      {
        EXPECT_FALSE(other.LoadPresetFromFXP((dir / name).c_str())) << name;
      }
    }
    for (const char* name : {"cut.fxb", "bad.fxb"})
      EXPECT_FALSE(other.LoadBankFromFXB((dir / name).c_str())) << name;
    IByteChunk after;
    other.SerializePresets(after);
    EXPECT_TRUE(before.IsEqual(after));
    EXPECT_DOUBLE_EQ(other.GetParam(0)->Value(), 0.9);
  }
}

TEST(PluginBase, FailedBankRestoreIsPutBackBySnapshot)
{
  Plug plug;
  plug.EnsureDefaultPreset();
  plug.GetParam(1)->Set(4);
  plug.ModifyCurrentPreset("Kept");
  IByteChunk bank;
  plug.SerializePresets(bank);
  IByteChunk cut;
  cut.AppendBytes(bank.Data(), bank.Size() - 5);
  Plug::Snapshot snapshot;
  plug.TakeSnapshot(snapshot);
  plug.GetParam(1)->Set(8);
  EXPECT_LT(plug.UnserializePresets(cut, 0), 0);
  plug.RestoreSnapshot(snapshot);
  EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 4.0);
  IByteChunk again;
  plug.SerializePresets(again);
  EXPECT_TRUE(bank.IsEqual(again));
}

TEST(APIBase, HostIdentification)
{
  EXPECT_EQ(IPluginAPIBase::LookUpHost("BITWIG STUDIO"), 34);
  EXPECT_EQ(IPluginAPIBase::LookUpHost("WaveLab Elements 11"), 32);
  EXPECT_EQ(IPluginAPIBase::LookUpHost("WaveLab Pro"), 31);
  EXPECT_EQ(IPluginAPIBase::LookUpHost("Deliverance"), 9); // "live" inside a word
  EXPECT_EQ(IPluginAPIBase::LookUpHost("Ardour"), 28);
  EXPECT_EQ(IPluginAPIBase::LookUpHost(""), 0);
  EXPECT_EQ(IPluginAPIBase::LookUpHost(nullptr), 0);
  Plug plug;
  plug.SetHost("Qtractor", 0x00010203);
  EXPECT_EQ(plug.GetHost(), 0);
  EXPECT_STREQ(plug.GetHostName(), "Qtractor");
  EXPECT_EQ(plug.GetHostVersion(true), 10203);
  EXPECT_EQ(plug.mHostInits, 1);
}

TEST(APIBase, TimerDrainsRingsOnlyWithAnEditor)
{
  Plug noUI(true, false);
  noUI.SendParameterValueFromAPI(0, 0.5, true);
  std::unique_ptr<Timer> timer(Timer::Create([](Timer&) {}, 1000));
  noUI.OnTimer(*timer);
  EXPECT_TRUE(noUI.mDelegated.empty());
  EXPECT_EQ(noUI.mIdles, 1);

  Plug plug;
  plug.SendParameterValueFromAPI(1, 0.5, true); // normalized: mapped to 5
  plug.SendParameterValueFromAPI(0, 0.25, false);
  for (int i = 0; i < 600; i++) // more than the ring holds: the rest is dropped
    plug.SendParameterValueFromAPI(2, 1.0, false);
  plug.OnTimer(*timer);
  ASSERT_EQ(plug.mDelegated.size(), 512u);
  EXPECT_EQ(plug.mDelegated[0], std::make_pair(1, 5.0));
  EXPECT_EQ(plug.mDelegated[1], std::make_pair(0, 0.25));
  EXPECT_EQ(plug.mIdles, 1);

  // System-exclusive towards the editor arrives whole.
  SysExData data;
  const uint8_t bytes[] = {0xF0, 1, 2, 0xF7};
  data.Set(ISysEx(0, bytes, 4));
  plug.SysExToEditor().Push(data);
  plug.OnTimer(*timer);
  EXPECT_EQ(plug.mSysEx, std::vector<uint8_t>(bytes, bytes + 4));
}

TEST(APIBase, SysExFromTheEditorIsCopiedOrRefused)
{
  Plug plug;
  plug.SendSysexMsgFromUI(ISysEx(5, nullptr, 12)); // no data: size kept, bytes zero
  std::vector<uint8_t> big(513, 0x42);
  plug.SendSysexMsgFromUI(ISysEx(0, big.data(), 513)); // too long: refused
  plug.SendSysexMsgFromUI(ISysEx(0, big.data(), -1));
  SysExData out;
  ASSERT_TRUE(plug.SysExFromEditor().Pop(out));
  EXPECT_EQ(out.mOffset, 5);
  EXPECT_EQ(out.mSize, 12);
  EXPECT_EQ(out.mData[511], 0);
  EXPECT_FALSE(plug.SysExFromEditor().Pop(out));
}

TEST(APIBase, CompareStateAndImportantParameters)
{
  Plug plug;
  const double values[5] = {9.0, 9.0, 0.5, 2.0, 0.0};
  EXPECT_TRUE(plug.CompareState(reinterpret_cast<const uint8_t*>(values), 2));
  EXPECT_FALSE(plug.CompareState(reinterpret_cast<const uint8_t*>(values), 0));
  std::vector<int> list;
  plug.OnHostRequestingImportantParameters(2, list);
  EXPECT_EQ(list, (std::vector<int>{0, 1}));
  plug.OnHostRequestingImportantParameters(3, list);
  EXPECT_EQ(list.size(), 2u);
}
