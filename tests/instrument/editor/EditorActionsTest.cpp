// The instrument's editor actions that need the platform, with its editor opened headless:
// saving a preset through the in-window name field (no dialog program on the PATH), a failed
// save and a missing manual shown in the editor, and UI sizes that reach the host, the window
// and the frame buffer.

#include "framework/graphics/controls/ITextEntryControl.h"
#include "framework/graphics/platforms/linux/IGraphicsLinux.h"
#include "instrument/Pelmora.h"
#include "instrument/PelmoraEditorControls.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace plugin::igraphics;

namespace
{

testsupport::TempHome sHome;
std::vector<std::string> sSizeRequests;

intptr_t RecordingHost(AEffect*, int32_t opcode, int32_t index, intptr_t value, void*, float)
{
  if (opcode != kVst2HostSizeWindow)
    return 0;
  sSizeRequests.push_back(std::to_string(index) + "x" + std::to_string(value));
  return 1;
}

// The editor's side as the instrument sees it: only messages are recorded.
struct MessageLog : PelmoraEditorControls
{
  std::vector<std::string> mMessages;
  void ShowMessage(const char* text) override { mMessages.push_back(text); }
  void ShowParameter(const char*, const char*) override {}
  void SetControlValue(int, double) override {}
  void SetWaveformIconOffset(int, int) override {}
  void SetKnobModulation(int, int, float, float) override {}
  void HideControlsOfParam(int, bool) override {}
  void RefreshEnvelopeEditor(int) override {}
  void RedrawControl(int) override {}
  void ShowPreset(const char*, const char*) override {}
  void SelectPreset(int) override {}
  void RebuildPresetMenu() override {}
  void RefreshParameterControls() override {}
  void ResetParameterControls() override {}
};

struct EditorActions : ::testing::Test
{
  EditorActions() { mPlug.SetEditorControls(&mLog); }
  ~EditorActions() override { mPlug.CloseWindow(); }
  IGraphicsLinux& UI() { return *static_cast<IGraphicsLinux*>(mPlug.GetUI()); }
  ITextEntryControl& Field()
  {
    return *static_cast<ITextEntryControl*>(UI().GetTextEntryControl());
  }
  void Type(const char* text)
  {
    Field().SetStr(text);
    Field().CommitEdit();
    UI().OnTick();
  }

  testsupport::TempDir mBin; // the PATH: no dialog program, no opener
  testsupport::ScopedEnv mPath{"PATH", mBin.Path()};
  MessageLog mLog;
  Pelmora mPlug{plugin::Vst2InstanceInfo(RecordingHost)};
};

TEST_F(EditorActions, SavePresetAsksInTheWindowAndReportsWhatFails)
{
  const std::string presets = mPlug.GetPresetsPath();
  ASSERT_NE(mPlug.OpenWindow(nullptr), nullptr) << "no headless OpenGL context";
  mPlug.SavePreset();
  Type("Bass/Deep");
  struct stat file;
  EXPECT_EQ(stat((presets + "/Bass/Deep.preset").c_str(), &file), 0);
  EXPECT_STREQ(mPlug.GetPresetCategory(), "Bass");

  // Proposed next time: where the current preset lies. A read-only preset is kept as it is.
  mPlug.SavePreset();
  EXPECT_EQ(Field().GetStr(), "Bass/Deep");
  ASSERT_TRUE(testsupport::WriteFile(presets + "/Locked.preset", "{}"));
  chmod((presets + "/Locked.preset").c_str(), 0444);
  Type("Locked");
  Type("Locked"); // replacing it: asked twice
  EXPECT_STREQ(mPlug.GetPresetName(), "Deep");

  // A cancel says nothing; a missing manual does.
  mPlug.SavePreset();
  Field().DismissEdit();
  UI().OnTick();
  EXPECT_EQ(mPlug.OpenManual(), EManualResult::kManualMissing);
  EXPECT_EQ(mLog.mMessages,
            (std::vector<std::string>{"The preset could not be saved there.",
                                      ManualResultText(EManualResult::kManualMissing)}));
}

TEST_F(EditorActions, AUISizeReachesTheHostTheWindowAndTheFrameBuffer)
{
  mPlug.Resize(1.25f); // closed: only the size the host reads when it opens the editor
  EXPECT_EQ(mPlug.GetEditorWidth(), 1263);
  ASSERT_NE(mPlug.OpenWindow(nullptr), nullptr) << "no headless OpenGL context";
  EXPECT_EQ(UI().WindowWidth(), 1263);
  mPlug.Resize(2.f);
  mPlug.ToggleKeyboard(true);
  mPlug.Resize(1.f);
  EXPECT_EQ(sSizeRequests, (std::vector<std::string>{"2022x1202", "2022x1004", "1011x502"}));
  std::vector<uint8_t> rgba;
  int w = 0, h = 0;
  ASSERT_TRUE(UI().RenderFrame() && UI().ReadFrame(rgba, w, h));
  EXPECT_EQ(std::to_string(w) + "x" + std::to_string(h), "1011x502");
  mPlug.ToggleKeyboard(true);
}

} // namespace
