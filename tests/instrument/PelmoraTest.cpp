// The instrument class linked in: what hosts cannot see through VST2 (groups, units, shapes),
// the operator link, and the editor-side updates through a recording stand-in for the editor.

#include "instrument/Pelmora.h"
#include "framework/graphics/IGraphics.h"
#include "framework/graphics/controls/ITextEntryControl.h"
#include "framework/graphics/platforms/linux/IGraphicsLinux.h"
#include "instrument/PelmoraEditorControls.h"
#include "instrument/editor/EditorFollowUp.h"
#include "instrument/editor/controls/IVTVDiskPresetManagerControl.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

using plugin::IParam;

namespace
{

// Instruments made here never touch the user's support folder.
testsupport::TempHome sHome;

std::vector<int32_t> sHostOpcodes;
std::vector<std::pair<int32_t, float>> sAutomated; // parameter and value of each automate call
std::vector<std::string> sSizeRequests;            // "width x height" of each window size request

intptr_t RecordingHost(AEffect*, int32_t opcode, int32_t index, intptr_t value, void*, float opt)
{
  sHostOpcodes.push_back(opcode);
  if (opcode == kVst2HostAutomate)
    sAutomated.emplace_back(index, opt);
  if (opcode == kVst2HostSizeWindow)
    sSizeRequests.push_back(std::to_string(index) + "x" + std::to_string(value));
  return 0;
}

plugin::InstanceInfo Info()
{
  return plugin::Vst2InstanceInfo(RecordingHost);
}

// The "Presets" folder of the instruments made here.
std::string PresetsPath()
{
  return std::string(std::getenv("XDG_DATA_HOME")) + "/Tessvold/Pelmora/Presets";
}

pelmora::editor::EditorFollowUp& FollowUp(Pelmora& plug)
{
  return dynamic_cast<pelmora::editor::EditorFollowUp&>(plug.GetEditorControls());
}

// Records every editor update as one line of text.
class RecordingControls : public pelmora::editor::EditorWindow
{
public:
  std::vector<std::string> mLog;

  void ShowParameter(const char* name, const char* valueText) override
  {
    Log("display %s = %s", name, valueText);
  }
  void SetControlValue(int tag, double value) override { Log("value %d %.4f", tag, value); }
  void SetWaveformIconOffset(int tag, int offset) override { Log("icons %d %d", tag, offset); }
  void SetKnobModulation(int tag, int slot, float lower, float upper) override
  {
    if (lower != 0.0f || upper != 0.0f)
      Log("arc %d slot %d %.2f..%.2f", tag, slot, lower, upper);
    else
      mCleared.insert(tag);
  }
  void HideControlsOfParam(int paramIdx, bool hide) override { Log("hide %d %d", paramIdx, hide); }
  void RefreshEnvelopeEditor(int tag) override { Log("envelope %d", tag); }
  void RedrawControl(int tag) override { Log("redraw %d", tag); }
  void ShowKeyboardRow(bool show) override { Log("keyboard %d", show); }
  void ShowPreset(const char* name, const char* category) override
  {
    Log("preset %s (%s)", name, category);
  }
  void SelectPreset(int index) override { Log("select %d", index); }
  void RebuildPresetMenu() override { Log("menu"); }
  void RefreshParameterControls() override { Log("refresh"); }
  void ResetParameterControls() override { Log("reset"); }
  void ShowMessage(const char* text) override { Log("message %s", text); }

  std::set<int> mCleared; // knobs that got an empty range

private:
  template <typename... Args>
  void Log(const char* format, Args... args)
  {
    char line[128];
    std::snprintf(line, sizeof(line), format, args...);
    mLog.push_back(line);
  }
};

// An editor control that reads the engine and the sound model when the editor takes it down, as
// the preview and the envelope editors may.
class ReadsTheInstrumentWhenRemoved : public plugin::igraphics::IControl
{
public:
  ReadsTheInstrumentWhenRemoved(Pelmora& plug, int& reads)
    : IControl(plugin::igraphics::IRECT(0, 0, 10, 10)), mPlug(plug), mReads(reads)
  {
  }
  ~ReadsTheInstrumentWhenRemoved() override
  {
    mPlug.OnIdle(); // reads the engine's tempo
    if (mPlug.GetGlobalParams().mSampleRate > 0.0f)
      mReads++;
  }
  void Draw(plugin::igraphics::IGraphics&) override {}

private:
  Pelmora& mPlug;
  int& mReads;
};

bool Contains(const std::vector<std::string>& log, const std::string& line)
{
  return std::find(log.begin(), log.end(), line) != log.end();
}

class PelmoraClass : public ::testing::Test
{
protected:
  // A host write of a value in the parameter's own units.
  void HostSets(int index, double value)
  {
    mPlug.GetParam(index)->Set(value);
    mPlug.OnParamChange(index, plugin::kHost, -1);
  }
  // An editor edit, and the editor-side road that follows it.
  void EditorSets(int index, double value)
  {
    HostSets(index, value);
    mPlug.OnParamChangeUI(index, plugin::kEditor);
  }
  double Value(int index) { return mPlug.GetParam(index)->Value(); }

  // Hands a recording editor to the instrument, which owns it.
  void OpenEditor()
  {
    auto controls = std::make_unique<RecordingControls>();
    mControls = controls.get();
    FollowUp(mPlug).Attach(std::move(controls));
  }

  Pelmora mPlug{Info()};
  RecordingControls* mControls = nullptr;
};

} // namespace

TEST_F(PelmoraClass, GroupsUnitsAndShapesOfTheTable)
{
  const char* const globalGroups[32] = {
    "Algorithm", "Algorithm", "Algorithm", "Filter", "Filter", "",    "", "",
    "LFO",       "",          "LFO 1",     "LFO 1",  "LFO",    "",    "", "Mod",
    "",          "",          "Mod",       "",       "",       "Mod", "", "",
    "Mod",       "Chorus",    "Chorus",    "",       "",       "",    "", "Output"};
  for (int i = 0; i < 64; i++)
  {
    const IParam& p = *mPlug.GetParam(i);
    EXPECT_STREQ(p.GetGroup(), i < 32 ? "Operator" : globalGroups[i - 32]) << i;
    const IParam::EParamUnit unit = i == 40   ? IParam::kUnitFrequency
                                    : i == 60 ? IParam::kUnitMilliseconds
                                    : i == 61 ? IParam::kUnitDB
                                              : IParam::kUnitCustom;
    EXPECT_EQ(p.Unit(), unit) << i;
  }
  EXPECT_TRUE(mPlug.GetParam(41)->GetStepped()); // the division list, stepped explicitly
  EXPECT_EQ(mPlug.GetParam(36)->GetShape()->GetDisplayType(), IParam::kDisplayCubeRoot);
  EXPECT_EQ(mPlug.GetParam(44)->GetShape()->GetDisplayType(), IParam::kDisplayCubeRoot);
  EXPECT_EQ(mPlug.GetParam(40)->GetShape()->GetDisplayType(), IParam::kDisplayLog);
  EXPECT_DOUBLE_EQ(mPlug.GetParam(47)->FromNormalized(0.25), -12.5); // bipolar
  // Hosts see the ranges and defaults of the engine's table, which limits every value it is given.
  for (int i = 0; i < 64; i++)
  {
    const ParamRange range = GetParamRange(i);
    EXPECT_EQ(mPlug.GetParam(i)->GetMin(), range.mMin) << i;
    EXPECT_EQ(mPlug.GetParam(i)->GetMax(), range.mMax) << i;
    EXPECT_EQ(mPlug.GetParam(i)->GetDefault(), range.mDefault) << i;
  }
}

TEST(PelmoraSupportFolder, FollowsXdgDataHome)
{
  const testsupport::TempDir data;
  const std::string home = std::getenv("XDG_DATA_HOME");
  setenv("XDG_DATA_HOME", data.Path().c_str(), 1);
  {
    const Pelmora plug(Info()); // writes its settings, makes the "Presets" folder
  }
  setenv("XDG_DATA_HOME", home.c_str(), 1);
  struct stat info;
  EXPECT_EQ(stat((data / "Tessvold/Pelmora/settings.ini").c_str(), &info), 0);
  ASSERT_EQ(stat((data / "Tessvold/Pelmora/Presets").c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
}

TEST_F(PelmoraClass, OperatorLinkCopiesAnEditToAllFourOperatorsWithoutTellingTheHost)
{
  mPlug.SetOperatorLink(true);
  sHostOpcodes.clear();
  HostSets(10, 2.5); // "Operator B Ratio"
  for (int index : {2, 10, 18, 26})
    EXPECT_DOUBLE_EQ(Value(index), 2.5) << index;
  EXPECT_TRUE(sHostOpcodes.empty());
  for (const OpParams& op : mPlug.GetGlobalParams().mOps) // all four reached the engine
    EXPECT_FLOAT_EQ(op.mRatio, 2.5f);

  HostSets(23, 37.0); // "Operator C Level": stepped copies
  for (int index : {7, 15, 23, 31})
    EXPECT_DOUBLE_EQ(Value(index), 37.0) << index;

  HostSets(34, 50.0); // not an operator parameter: applied alone
  EXPECT_DOUBLE_EQ(Value(34), 50.0);

  mPlug.SetOperatorLink(false);
  HostSets(2, 3.0);
  EXPECT_DOUBLE_EQ(Value(2), 3.0);
  EXPECT_DOUBLE_EQ(Value(10), 2.5);

  // A restored state keeps every operator's own value, link or not.
  plugin::IByteChunk state;
  mPlug.SerializeState(state);
  HostSets(2, 7.0);
  mPlug.SetOperatorLink(true);
  EXPECT_GT(mPlug.UnserializeState(state, 0), 0);
  EXPECT_DOUBLE_EQ(Value(2), 3.0);
  EXPECT_DOUBLE_EQ(Value(10), 2.5);
  EXPECT_FLOAT_EQ(mPlug.GetGlobalParams().mOps[kOpA].mRatio, 3.0f);
}

TEST_F(PelmoraClass, EditorShowsTheParameterAndFollowsTheLink)
{
  EditorSets(9, 1.0); // no editor: nothing to update
  OpenEditor();
  FollowUp(mPlug).Attach(nullptr); // the editor gone
  EditorSets(9, 0.0);

  OpenEditor();
  mPlug.SetOperatorLink(true);
  EditorSets(10, 2.5);
  const auto& log = mControls->mLog;
  EXPECT_EQ(log.front(), "display Operator B Ratio = 2.5000");
  for (int tag : {4, 13, 22, 31})
    EXPECT_TRUE(Contains(log, "value " + std::to_string(tag) + " 0.0781")) << tag; // 2.5 / 32
  EXPECT_EQ(log.back(), "redraw 52");

  mControls->mLog.clear();
  EditorSets(9, 1.0); // "Operator B Inverse Waveform", linked: every selector shows inverted icons
  for (int tag : {2, 11, 20, 29})
    EXPECT_TRUE(Contains(log, "icons " + std::to_string(tag) + " 11")) << tag;
  EXPECT_EQ(log.back(), "redraw 52");

  mPlug.SetOperatorLink(false);
  mControls->mLog.clear();
  EditorSets(25, 0.0); // D alone
  EXPECT_EQ(log, (std::vector<std::string>{"display Operator D Inverse Waveform = Off",
                                           "icons 29 0", "redraw 52"}));
  mControls->mLog.clear();
  EditorSets(13, 40.0); // velocity to frequency does not change the drawn cycle
  EditorSets(37, 40.0); // nor does the filter
  EXPECT_EQ(log.size(), 2u);
}

TEST_F(PelmoraClass, ModulationArcsFollowSourceDestinationAndAmount)
{
  OpenEditor();
  const auto& log = mControls->mLog;
  EditorSets(46, 1.0);   // slot 1 destination "Op A Level": knob tag 9
  EditorSets(45, 1.0);   // source "Mod Env": one-sided
  EditorSets(47, -50.0); // amount -50 %
  EXPECT_EQ(log.back(), "arc 9 slot 0 -0.50..0.00");
  // Each change first clears the slot on all twelve knobs a destination can reach.
  std::set<int> reachable{kTagFeedbackKnob, kTagFmAmountKnob, kTagCutoffKnob, kTagResonanceKnob};
  for (int op = kOpA; op <= kOpD; op++)
    reachable.insert({OperatorControlTag(op, kOpLevel), OperatorControlTag(op, kOpPhase)});
  EXPECT_EQ(mControls->mCleared, reachable);

  EditorSets(45, 2.0); // "LFO": symmetric
  EXPECT_EQ(log.back(), "arc 9 slot 0 -0.50..0.50");

  EditorSets(54, 3.0);  // slot 4 source "Modwheel"
  EditorSets(55, 12.0); // destination "Resonance": knob tag 43
  EditorSets(56, 25.0);
  EXPECT_EQ(log.back(), "arc 43 slot 3 0.00..0.25");

  mControls->mLog.clear();
  EditorSets(46, 14.0);      // "Op A Pitch": arcs cleared, none drawn
  EXPECT_EQ(log.size(), 1u); // the parameter display only
  EditorSets(45, 0.0);       // "-": nothing drawn either
  EditorSets(46, 5.0);
  EXPECT_EQ(log.size(), 3u);
}

TEST_F(PelmoraClass, RateControlsAndEnvelopeEditorsFollowTheModel)
{
  OpenEditor();
  // "LFO Sync" switched by the host (its automation reaches the open editor through the
  // delegate) or in the editor: the rate control that matches shows.
  HostSets(kParamLfoSync, 0.0);
  mPlug.SendParameterValueFromDelegate(kParamLfoSync, 0.0, false);
  EditorSets(kParamLfoSync, 1.0);
  mPlug.UpdateEnvelopeControls({kEnvelopeOpB, kEnvelopeMod});
  EXPECT_EQ(mControls->mLog,
            (std::vector<std::string>{"display LFO Sync = Off", "hide 40 0", "hide 41 1",
                                      "display LFO Sync = On", "hide 40 1", "hide 41 0",
                                      "envelope 19", "envelope 46"}));
  EXPECT_EQ(Pelmora::GetOperatorAControlTag(31), 9);
  EXPECT_EQ(Pelmora::GetOperatorAControlTag(32), -1);
}

TEST_F(PelmoraClass, InitPresetResetsSoundAndEditorAndARestoreShowsItsPreset)
{
  OpenEditor();
  mPlug.SetOperatorLink(true);
  HostSets(2, 7.0);
  GlobalParams& model = mPlug.GetGlobalParams();
  model.SetSampleRate(96000.0);
  model.GetEnvelope(kEnvelopeMod)
    ->Edit([](EnvelopeParameter& envelope) { envelope.InitStages(1); });
  mPlug.InitPreset();
  EXPECT_DOUBLE_EQ(Value(2), 1.0);
  EXPECT_FALSE(mPlug.GetOperatorLink());
  const EnvelopeParameter envelope = model.GetEnvelope(kEnvelopeMod)->Get();
  EXPECT_EQ(envelope.NumStages(), 4);
  EXPECT_EQ(envelope.mSampleRate, 96000.0f) << "the default envelopes carry the current rate";
  EXPECT_EQ(mPlug.GetPresetIndex(), -1);
  const auto& log = mControls->mLog;
  for (const char* line : {"reset", "preset Init (Init)", "envelope 46", "redraw 52"})
    EXPECT_TRUE(Contains(log, line)) << line;

  // A restored state with an index selects it in the browser and names the program.
  plugin::IByteChunk state;
  mPlug.SerializeState(state);
  const int32_t index = 3;
  std::memcpy(state.Data(), "Warm", 5);
  std::memcpy(state.Data() + 512, &index, sizeof(index));
  mControls->mLog.clear();
  ASSERT_EQ(mPlug.UnserializeState(state, 0), state.Size());
  EXPECT_TRUE(Contains(log, "select 3"));
  EXPECT_TRUE(Contains(log, "preset Warm (Init)"));
  EXPECT_STREQ(mPlug.GetPresetName(0), "Warm");
}

// A whole sound (a preset file, the initial sound, the host's chunk, bank or program) reaches the
// editor once: the controls refreshed once, the waveform preview computed once, the five envelope
// editors refitted once each. The plug-in's own changes reach the host: an automate call for each
// parameter that changed, none for the others, and one update-display call; the host's own
// restores and the start-up preset reach it not at all. A refused chunk changes nothing, and a
// saved preset changes no value (only the program's name).
TEST_F(PelmoraClass, AWholeSoundIsShownOnceAndOnlyThePluginsOwnChangesReachTheHost)
{
  HostSets(kParamAlgorithm, 5.0);
  HostSets(2, 3.0); // "Operator A Ratio"
  const std::string path = PresetsPath() + "/Tone.preset";
  ASSERT_TRUE(mPlug.SavePreset(path.c_str()));
  const int tone = mPlug.GetPresetIndex();
  sHostOpcodes.clear();
  {
    const Pelmora starting(Info()); // loads "Tone" before any host holds it: nothing to tell
    EXPECT_STREQ(starting.GetPresetName(), "Tone");
  }
  EXPECT_EQ(std::count(sHostOpcodes.begin(), sHostOpcodes.end(), kVst2HostUpdateDisplay), 0);
  EXPECT_EQ(std::count(sHostOpcodes.begin(), sHostOpcodes.end(), kVst2HostAutomate), 0);
  AEffect* e = &mPlug.GetAEffect();
  auto dispatch = [e](int32_t opcode, int32_t index, intptr_t value, void* ptr)
  {
    return Pelmora::VSTDispatcher(e, opcode, index, value, ptr, 0.0f);
  };
  auto getChunk = [&](int index)
  {
    void* data = nullptr;
    const intptr_t size = dispatch(kVst2EffGetChunk, index, 0, &data);
    return std::vector<uint8_t>(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  };
  auto setChunk = [&](int index, std::vector<uint8_t> chunk)
  {
    return dispatch(kVst2EffSetChunk, index, static_cast<intptr_t>(chunk.size()), chunk.data());
  };
  const std::vector<uint8_t> program = getChunk(1);
  const std::vector<uint8_t> bank = getChunk(0);
  const std::vector<uint8_t> cut(program.begin(), program.end() - 3);
  OpenEditor();
  const struct
  {
    const char* road;
    std::function<void()> before;
    std::function<void()> change;
    int shown;       // refreshes of the controls, and waveform previews; five times as many refits
    int hostDisplay; // update-display calls
    std::vector<std::pair<int32_t, float>> automated;
    const char* programName;
    double algorithm;
  } roads[] = {
    {"preset file",
     [&]
     {
       HostSets(kParamAlgorithm, 2.0);
       HostSets(7, 40.0); // "Operator A Level"
     },
     [&] { EXPECT_TRUE(mPlug.LoadPreset(tone)); },
     1,
     1,
     {{7, 1.0f}, {32, 5.0f / 7.0f}},
     "Tone",
     5.0},
    {"initial sound",
     [] {},
     [&] { mPlug.InitPreset(); },
     1,
     1,
     {{2, 1.0f / 32.0f}, {32, 0.0f}},
     "Init",
     0.0},
    {"host program chunk",
     [] {},
     [&] { EXPECT_EQ(setChunk(1, program), 1); },
     1,
     0,
     {},
     "Tone",
     5.0},
    {"host bank chunk",
     [&] { mPlug.InitPreset(); },
     [&] { EXPECT_EQ(setChunk(0, bank), 1); },
     1,
     0,
     {},
     "Tone",
     5.0},
    {"host program (the one program, current: kept as it is)",
     [&] { HostSets(kParamAlgorithm, 3.0); },
     [&] { dispatch(kVst2EffSetProgram, 0, 0, nullptr); },
     0,
     0,
     {},
     "Tone",
     3.0},
    {"refused chunk",
     [&] { HostSets(kParamAlgorithm, 3.0); },
     [&] { EXPECT_EQ(setChunk(1, cut), 0); },
     0,
     0,
     {},
     "Tone",
     3.0},
    {"saved preset",
     [] {},
     [&] { EXPECT_TRUE(mPlug.SavePreset((PresetsPath() + "/Tone 2.preset").c_str())); },
     0,
     1,
     {},
     "Tone 2",
     3.0},
  };
  for (const auto& r : roads)
  {
    r.before();
    mControls->mLog.clear();
    sHostOpcodes.clear();
    sAutomated.clear();
    r.change();
    const auto& log = mControls->mLog;
    auto logged = [&log](const char* line)
    {
      return std::count(log.begin(), log.end(), line);
    };
    EXPECT_EQ(logged("redraw 52"), r.shown) << r.road;
    EXPECT_EQ(logged("refresh") + logged("reset"), r.shown) << r.road;
    int refits = 0;
    for (const char* envelope :
         {"envelope 10", "envelope 19", "envelope 28", "envelope 37", "envelope 46"})
      refits += static_cast<int>(logged(envelope) == r.shown);
    EXPECT_EQ(refits, 5) << r.road;
    auto calls = [](int32_t opcode)
    {
      return std::count(sHostOpcodes.begin(), sHostOpcodes.end(), opcode);
    };
    EXPECT_EQ(calls(kVst2HostUpdateDisplay), r.hostDisplay) << r.road;
    EXPECT_EQ(calls(kVst2HostBeginEdit) + calls(kVst2HostEndEdit), 0) << r.road;
    std::sort(sAutomated.begin(), sAutomated.end());
    EXPECT_EQ(sAutomated, r.automated) << r.road;
    char name[kVst2MaxProgNameLen] = {};
    dispatch(kVst2EffGetProgramName, 0, 0, name);
    EXPECT_STREQ(name, r.programName) << r.road;
    EXPECT_DOUBLE_EQ(Value(kParamAlgorithm), r.algorithm) << r.road;
  }

  // With the editor closed, a refused chunk keeps each envelope's zoom and scroll for the next
  // editor; a sound taken forgets them (the next editor fits the new envelopes).
  FollowUp(mPlug).Attach(nullptr);
  for (int envelope = 0; envelope < kNumEnvelopes; envelope++)
    *FollowUp(mPlug).GetEnvelopeView(envelope) = {2.0f, 30.0f};
  EXPECT_EQ(setChunk(1, cut), 0);
  for (int envelope = 0; envelope < kNumEnvelopes; envelope++)
    EXPECT_TRUE(FollowUp(mPlug).GetEnvelopeView(envelope)->IsSet()) << envelope;
  EXPECT_EQ(setChunk(1, program), 1);
  EXPECT_FALSE(FollowUp(mPlug).GetEnvelopeView(kEnvelopeMod)->IsSet());
  testsupport::TempDir::RunQuietly("rm -rf '" + PresetsPath() + "'/*");
}

// A preset file may list fewer than the 64 parameters: those it lists take its values, the others
// keep theirs. The host hears of exactly the parameters whose value the load changed.
TEST_F(PelmoraClass, AShortPresetFileSetsWhatItListsAndTheHostHearsOfEachChange)
{
  HostSets(44, 250.0); // "LFO Delay" and "Pitchbend Range", beyond what the file lists
  HostSets(59, 7.0);
  const std::string path = PresetsPath() + "/Short.preset";
  ASSERT_TRUE(mPlug.SavePreset(path.c_str()));
  nlohmann::json file = nlohmann::json::parse(testsupport::ReadFile(path));
  nlohmann::json& listed = file["parameter"];
  listed.erase(listed.begin() + 40, listed.end());
  listed[2]["value"] = 2.5; // "Operator A Ratio", 1 before
  listed[15]["value"] = 50; // "Operator B Level", 0 before
  listed[35]["value"] = 3;  // "Filter Type", 0 before
  ASSERT_TRUE(testsupport::WriteFile(path, file.dump(2)));
  sHostOpcodes.clear();
  sAutomated.clear();
  ASSERT_TRUE(mPlug.LoadPreset(mPlug.GetPresetIndex()));
  EXPECT_DOUBLE_EQ(Value(2), 2.5);
  EXPECT_DOUBLE_EQ(Value(15), 50.0);
  EXPECT_DOUBLE_EQ(Value(35), 3.0);
  EXPECT_DOUBLE_EQ(Value(44), 250.0);
  EXPECT_DOUBLE_EQ(Value(59), 7.0);
  std::sort(sAutomated.begin(), sAutomated.end());
  EXPECT_EQ(sAutomated,
            (std::vector<std::pair<int32_t, float>>{{2, 2.5f / 32.0f}, {15, 0.5f}, {35, 0.6f}}));
  EXPECT_EQ(std::count(sHostOpcodes.begin(), sHostOpcodes.end(), kVst2HostUpdateDisplay), 1);
  testsupport::TempDir::RunQuietly("rm -rf '" + PresetsPath() + "'/*");
}

// Opening the editor walks every parameter through the editor's follow-up; the waveform
// preview, which 28 of them change, is computed once.
TEST_F(PelmoraClass, AnOpeningEditorComputesTheWaveformPreviewOnce)
{
  OpenEditor();
  mPlug.OnUIOpen();
  const auto& log = mControls->mLog;
  EXPECT_EQ(std::count(log.begin(), log.end(), "redraw 52"), 1);
  EXPECT_EQ(log.back(), "redraw 52");
  EXPECT_TRUE(Contains(log, "display Monophonic Mode = Off")); // every parameter still shown
}

TEST(PelmoraEditor, DeletedWithItsEditorOpenTheInstanceClosesItFirst)
{
  int reads = 0;
  auto plug = std::make_unique<Pelmora>(Info());
  ASSERT_NE(plug->OpenWindow(nullptr), nullptr); // headless
  plug->GetUI()->AttachControl(new ReadsTheInstrumentWhenRemoved(*plug, reads));
  plug.reset();
  EXPECT_EQ(reads, 1);
}

// A host restoring a session (as Ardour does) writes its cached values, then the chunk, then
// opens the editor; automation may play meanwhile with the editor closed, more than the editor's
// queue holds. Every control of the opened editor shows its parameter's current value after the
// idle calls, and so does an open editor after a restore, whatever the host wrote before it.
TEST(PelmoraEditor, AnEditorOpenedAfterARestoreShowsTheRestoredValues)
{
  Pelmora plug(Info());
  plug.CreateTimer(); // as the entry starts it
  AEffect* e = &plug.GetAEffect();
  auto dispatch = [e](int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr)
  {
    return Pelmora::VSTDispatcher(e, opcode, index, value, ptr, 0.0f);
  };
  auto hostWrites = [e](double offset)
  {
    for (int i = 0; i < kNumParams; i++)
      e->setParameter(e, i, static_cast<float>(std::fmod(offset + 0.37 * i, 1.0)));
  };
  // The next idle call drains the editor's queue (the idle timer fires every 20 ms).
  auto idle = [&]
  {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    dispatch(kVst2EffEditIdle);
  };
  auto expectControlsShowTheParameters = [&plug](const char* when)
  {
    const plugin::igraphics::IGraphics& ui = *plug.GetUI();
    int shown = 0;
    for (int c = 0; c < ui.NControls(); c++)
    {
      const plugin::igraphics::IControl& control = *ui.GetControl(c);
      for (int v = 0; v < control.NVals(); v++)
      {
        if (const IParam* param = control.GetParam(v))
        {
          EXPECT_DOUBLE_EQ(control.GetValue(v), param->GetNormalized())
            << when << ": control " << c << ", " << param->GetName();
          shown++;
        }
      }
    }
    EXPECT_GE(shown, kNumParams) << when;
  };

  hostWrites(0.1);
  void* data = nullptr;
  const intptr_t size = dispatch(kVst2EffGetChunk, 1, 0, &data);
  ASSERT_GT(size, 0);
  const std::vector<uint8_t> saved(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  auto restore = [&]
  {
    ASSERT_EQ(dispatch(kVst2EffSetChunk, 1, size, const_cast<uint8_t*>(saved.data())), 1);
  };
  for (int round = 0; round < 10; round++) // more than the queue holds
    hostWrites(0.5 + 0.01 * round);
  restore();
  for (int round = 0; round < 10; round++)
    hostWrites(0.7 + 0.01 * round);
  ASSERT_EQ(dispatch(kVst2EffEditOpen), 1) << "no headless OpenGL context";
  idle();
  expectControlsShowTheParameters("opened");

  hostWrites(0.3);
  restore();
  idle();
  expectControlsShowTheParameters("restored while open");
  dispatch(kVst2EffEditClose);
}

// ---- Actions of the editor that need the platform: the editor opened headless, with no dialog
// program and no opener on the PATH.

TEST_F(PelmoraClass, SavePresetAsksInTheEditorAndWhatFailsIsShownThere)
{
  using namespace plugin::igraphics;
  testsupport::TempDir bin;
  testsupport::ScopedEnv path("PATH", bin.Path());
  const std::string presets = PresetsPath();
  ASSERT_NE(mPlug.OpenWindow(nullptr), nullptr) << "no headless OpenGL context";
  auto& ui = *static_cast<IGraphicsLinux*>(mPlug.GetUI());
  const auto message = [&ui] // the preset display's, found at its place
  {
    return std::string(
      dynamic_cast<IParamDisplayControl&>(*ui.GetControl(ui.GetMouseControlIdx(860, 410)))
        .GetMessage());
  };
  auto& field = *static_cast<ITextEntryControl*>(ui.GetTextEntryControl());
  auto type = [&](const char* text)
  {
    field.SetStr(text);
    field.CommitEdit();
    ui.OnTick();
  };
  mPlug.SavePreset();
  type("Bass/Deep");
  struct stat file;
  EXPECT_EQ(stat((presets + "/Bass/Deep.preset").c_str(), &file), 0);
  EXPECT_STREQ(mPlug.GetPresetCategory(), "Bass");

  // Proposed next time: where the current preset lies. A read-only preset is kept as it is.
  mPlug.SavePreset();
  EXPECT_EQ(field.GetStr(), "Bass/Deep");
  ASSERT_TRUE(testsupport::WriteFile(presets + "/Locked.preset", "{}"));
  chmod((presets + "/Locked.preset").c_str(), 0444);
  type("Locked");
  type("Locked"); // replacing it: asked twice
  EXPECT_EQ(message(), "The preset could not be saved there.");

  // A cancel says nothing; a missing manual does.
  FollowUp(mPlug).ShowParameter(kParamGain);
  mPlug.SavePreset();
  field.DismissEdit();
  ui.OnTick();
  EXPECT_EQ(message(), "");
  EXPECT_EQ(mPlug.OpenManual(), EManualResult::kManualMissing);
  EXPECT_EQ(message(), ManualResultText(EManualResult::kManualMissing));
  mPlug.CloseWindow();
  testsupport::TempDir::RunQuietly("rm -rf '" + presets +
                                   "'/*"); // the next instruments start empty
}

TEST_F(PelmoraClass, AUISizeReachesTheHostTheWindowAndTheFrameBuffer)
{
  sSizeRequests.clear();
  mPlug.Resize(1.25f); // closed: only the size the host reads when it opens the editor
  EXPECT_EQ(mPlug.GetEditorWidth(), 1264); // 1263.75, rounded up
  ASSERT_NE(mPlug.OpenWindow(nullptr), nullptr) << "no headless OpenGL context";
  auto& ui = *static_cast<plugin::igraphics::IGraphicsLinux*>(mPlug.GetUI());
  EXPECT_EQ(ui.WindowWidth(), 1264);
  mPlug.Resize(2.f);
  mPlug.ToggleKeyboard(true);
  mPlug.Resize(1.f);
  EXPECT_EQ(sSizeRequests, (std::vector<std::string>{"2022x1202", "2022x1004", "1011x502"}));
  std::vector<uint8_t> rgba;
  int w = 0, h = 0;
  ASSERT_TRUE(ui.RenderFrame() && ui.ReadFrame(rgba, w, h));
  EXPECT_EQ(std::to_string(w) + "x" + std::to_string(h), "1011x502");
  mPlug.ToggleKeyboard(true);
  mPlug.CloseWindow();
}

// Pixels are layout points x UI size x display scale, rounded up: at every UI size and at
// display scales 1 and 2 the host is asked for that size, its rectangle says it, the frame has
// it, and the layout reaches the frame's last row (at 80 %, 601 points are 480.8 pixels: 481
// rows, the last covered to 0.8). settings.ini keeps the UI size alone.
TEST_F(PelmoraClass, EveryUISizeAtBothDisplayScalesShowsTheWholeLayout)
{
  const std::string settings =
    std::string(std::getenv("XDG_DATA_HOME")) + "/Tessvold/Pelmora/settings.ini";
  ASSERT_NE(mPlug.OpenWindow(nullptr), nullptr) << "no headless OpenGL context";
  auto& ui = *static_cast<plugin::igraphics::IGraphicsLinux*>(mPlug.GetUI());
  for (const double display : {1.0, 2.0})
  {
    ui.SetScreenScale(static_cast<float>(display));
    for (const double size : {0.8, 0.9, 1.0, 1.1, 1.25, 1.5, 1.75, 2.0}) // the "UI Size" menu
    {
      SCOPED_TRACE("UI size " + std::to_string(size) + ", display scale " +
                   std::to_string(display));
      sSizeRequests.clear();
      mPlug.Resize(static_cast<float>(size));
      const double exactHeight = 601.0 * size * display;
      const int w = static_cast<int>(std::ceil(1011.0 * size * display));
      const int h = static_cast<int>(std::ceil(exactHeight));
      const std::string wanted = std::to_string(w) + "x" + std::to_string(h);
      ASSERT_FALSE(sSizeRequests.empty());
      EXPECT_EQ(sSizeRequests.back(), wanted);
      EXPECT_EQ(std::to_string(mPlug.GetEditorWidth()) + "x" +
                  std::to_string(mPlug.GetEditorHeight()),
                wanted);
      std::vector<uint8_t> rgba;
      int fw = 0, fh = 0;
      ASSERT_TRUE(ui.RenderFrame() && ui.ReadFrame(rgba, fw, fh));
      ASSERT_EQ(std::to_string(fw) + "x" + std::to_string(fh), wanted);
      // The last row is the layout's, covered as far as the layout reaches into it.
      const double covered = exactHeight - (h - 1);
      const uint8_t* row = &rgba[static_cast<size_t>(h - 1) * static_cast<size_t>(w) * 4];
      for (int x = 0; x < w; x += 7)
        ASSERT_NEAR(row[4 * x + 3], 255.0 * covered, 8.0) << "x " << x;
      ASSERT_TRUE(mPlug.SaveSettings());
      char line[32];
      std::snprintf(line, sizeof(line), "scale=%f\n", size);
      EXPECT_NE(testsupport::ReadFile(settings).find(line), std::string::npos);
    }
  }
  mPlug.Resize(1.f);
  mPlug.CloseWindow();
}
