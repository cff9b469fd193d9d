// The instrument's editor actions that need the platform, with the real editor opened headless:
// saving a preset through the in-window name field (no dialog program on the PATH), a failed
// save and a missing manual shown in the display, and a UI size that reaches the host, the
// window and the frame buffer.

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
std::vector<std::string> sHostCalls;

intptr_t RecordingHost(AEffect*, int32_t opcode, int32_t index, intptr_t value, void*, float)
{
  if (opcode == kVst2HostSizeWindow)
    sHostCalls.push_back("size " + std::to_string(index) + "x" + std::to_string(value));
  return opcode == kVst2HostSizeWindow ? 1 : 0;
}

// The editor's side as the instrument sees it: only messages are recorded.
class MessageLog : public PelmoraEditorControls
{
public:
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
  EditorActions()
  {
    mkdir(mBin.Path().c_str(), 0700);
    sHostCalls.clear();
    mPlug.SetEditorControls(&mLog);
  }
  ~EditorActions() override
  {
    mPlug.CloseWindow();
    mPlug.SetEditorControls(nullptr);
  }
  IGraphicsLinux& UI() { return *static_cast<IGraphicsLinux*>(mPlug.GetUI()); }
  void Type(const char* text)
  {
    auto* pField = static_cast<ITextEntryControl*>(UI().GetTextEntryControl());
    pField->SetStr(text);
    pField->CommitEdit();
    UI().OnTick();
  }
  std::string Presets() const { return mPlug.GetPresetsPath(); }

  testsupport::TempDir mBin; // the PATH: no dialog program, no opener
  testsupport::ScopedEnv mPath{"PATH", mBin.Path()};
  Pelmora mPlug{plugin::Vst2InstanceInfo(RecordingHost)};
  MessageLog mLog;
};

TEST_F(EditorActions, SavePresetAsksInTheWindowAndFilesThePresetInItsCategory)
{
  mPlug.SavePreset(); // no editor: nothing to ask with
  ASSERT_NE(mPlug.OpenWindow(nullptr), nullptr) << "no headless OpenGL context";
  mPlug.SavePreset();
  ASSERT_TRUE(UI().FilePromptIsOpen());
  Type("Bass/Deep");
  EXPECT_FALSE(UI().FilePromptIsOpen());
  struct stat status;
  EXPECT_EQ(stat((Presets() + "/Bass/Deep.preset").c_str(), &status), 0);
  EXPECT_STREQ(mPlug.GetPresetName(), "Deep");
  EXPECT_STREQ(mPlug.GetPresetCategory(), "Bass");

  // Proposed next time: where the current preset lies. A read-only file is refused on saving.
  mPlug.SavePreset();
  auto* pField = static_cast<ITextEntryControl*>(UI().GetTextEntryControl());
  EXPECT_EQ(pField->GetStr(), "Bass/Deep");
  ASSERT_TRUE(testsupport::WriteFile(Presets() + "/Locked.preset", "{}"));
  chmod((Presets() + "/Locked.preset").c_str(), 0444);
  Type("Locked");
  Type("Locked"); // replacing it, asked twice
  EXPECT_EQ(mLog.mMessages, std::vector<std::string>{"The preset could not be saved there."});
  EXPECT_STREQ(mPlug.GetPresetName(), "Deep");

  // Cancelled: nothing saved, nothing said.
  mPlug.SavePreset();
  static_cast<ITextEntryControl*>(UI().GetTextEntryControl())->DismissEdit();
  UI().OnTick();
  EXPECT_FALSE(UI().FilePromptIsOpen());
  EXPECT_EQ(mLog.mMessages.size(), 1u);
}

TEST_F(EditorActions, AMissingManualIsShownInTheEditor)
{
  EXPECT_EQ(mPlug.OpenManual(), EManualResult::kManualMissing);
  ASSERT_TRUE(
    testsupport::WriteFile(std::string(mPlug.GetSupportPath()) + "Pelmora Manual.pdf", "%PDF"));
  EXPECT_EQ(mPlug.OpenManual(), EManualResult::kOpenerMissing);
  EXPECT_EQ(mLog.mMessages,
            (std::vector<std::string>{ManualResultText(EManualResult::kManualMissing),
                                      ManualResultText(EManualResult::kOpenerMissing)}));
}

TEST_F(EditorActions, AUISizeReachesTheHostTheWindowAndTheFrameBuffer)
{
  mPlug.Resize(1.25f); // closed: only the size the host will read
  EXPECT_EQ(mPlug.GetEditorWidth(), 1263);
  EXPECT_TRUE(sHostCalls.empty());
  ASSERT_NE(mPlug.OpenWindow(nullptr), nullptr) << "no headless OpenGL context";
  EXPECT_EQ(UI().WindowWidth(), 1263); // opened at the stored scale
  EXPECT_TRUE(sHostCalls.empty());

  mPlug.Resize(2.f);
  mPlug.ToggleKeyboard(true);
  mPlug.Resize(1.f);
  EXPECT_EQ(sHostCalls,
            (std::vector<std::string>{"size 2022x1202", "size 2022x1004", "size 1011x502"}));
  std::vector<uint8_t> rgba;
  int w = 0, h = 0;
  ASSERT_TRUE(UI().RenderFrame() && UI().ReadFrame(rgba, w, h));
  EXPECT_EQ(w, 1011);
  EXPECT_EQ(h, 502);
  mPlug.ToggleKeyboard(true);
}

} // namespace
