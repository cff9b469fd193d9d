// The Linux editor's file prompt, headless: a stand-in "zenity" first on the PATH answers (or
// cancels) while the editor ticks on; with no dialog program the in-window name field refuses
// names that would leave the folder, asks before replacing a file and makes the category folder.

#include "framework/graphics/platforms/linux/FilePrompt.h"
#include "framework/graphics/controls/ITextEntryControl.h"
#include "tests/framework/graphics/platforms/linux/RenderSupport.h"
#include "tests/support/TestSupport.h"

#include <chrono>
#include <sys/stat.h>
#include <thread>

using namespace plugin::igraphics;
using namespace plugin::igraphics::test;
using testsupport::ReadFile;
using testsupport::WriteFile;

namespace
{

// An editor whose PATH holds only the test's bin folder; answers are "file|folder".
struct PromptFixture : ::testing::Test
{
  PromptFixture()
  {
    mkdir((mDir / "bin").c_str(), 0700);
    mkdir(mFolder.c_str(), 0700);
    mEditor.AddLayout(
      [](IGraphics& g)
      {
        g.LoadFont("Roboto-Regular", "Roboto-Regular.ttf");
        g.AttachPanelBackground(IPattern(COLOR_WHITE));
      });
  }
  void Prompt(EFileAction action = EFileAction::kSave)
  {
    Util_String name("Bass/Deep"), path(mFolder.c_str());
    UI().PromptForFile(name, path, action, "preset",
                       [this](const Util_String& file, const Util_String& folder)
                       { mAnswers.push_back(std::string(file.Get()) + "|" + folder.Get()); });
  }
  bool TickUntilAnswered(size_t count = 1)
  {
    for (int i = 0; i < 1000 && mAnswers.size() < count; ++i)
    {
      UI().OnTick();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return mAnswers.size() == count;
  }
  IGraphicsLinux& UI() { return mEditor.mGraphics; }
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

  testsupport::TempDir mDir;
  testsupport::ScopedEnv mPath{"PATH", mDir / "bin"};
  std::string mFolder = mDir / "Presets";
  HeadlessEditor mEditor{520, 220};
  std::vector<std::string> mAnswers;
};

TEST_F(PromptFixture, TheDesktopDialogAnswersLaterWhileTheEditorTicksOn)
{
  // The stand-in records its arguments, then prints what the test puts in "go" (nothing:
  // cancelled).
  const std::string args = mDir / "args", go = mDir / "go";
  ASSERT_TRUE(WriteFile(mDir / "bin/zenity",
                        "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + args + "'\nwhile [ ! -e '" + go +
                          "' ]; do /bin/sleep 0.01; done\nanswer=$(/bin/cat '" + go +
                          "')\n/bin/rm '" + go + "'\n[ -n \"$answer\" ] && echo \"$answer\"\n"));
  chmod((mDir / "bin/zenity").c_str(), 0700);
  ASSERT_TRUE(mEditor.Open());

  Prompt();
  Prompt(); // one at a time: cancelled at once
  EXPECT_EQ(mAnswers, std::vector<std::string>{"|"});
  for (int i = 0; i < 100; ++i)
    UI().OnTick();
  EXPECT_EQ(mAnswers.size(), 1u);
  ASSERT_TRUE(WriteFile(go, mDir / "Elsewhere/My Bass\n"));
  ASSERT_TRUE(TickUntilAnswered(2));
  EXPECT_EQ(ReadFile(args), "--file-selection\n--title=Save As\n--save\n--confirm-overwrite\n"
                            "--filename=" +
                              mFolder +
                              "/Bass/Deep.preset\n"
                              "--file-filter=preset files | *.preset\n");
  EXPECT_EQ(mAnswers[1], mDir / "Elsewhere/My Bass.preset|" + mDir / "Elsewhere");

  Prompt(EFileAction::kOpen);
  ASSERT_TRUE(WriteFile(go, ""));
  ASSERT_TRUE(TickUntilAnswered(3));
  EXPECT_EQ(mAnswers[2], "|");
}

TEST_F(PromptFixture, WithoutADialogTheNameFieldTakesOnlyNamesInsideTheFolder)
{
  ASSERT_TRUE(mEditor.Open());
  const int controls = UI().NControls();
  Prompt();
  EXPECT_EQ(Field().GetStr(), "Bass/Deep");
  Type("Bass/../../Escape"); // refused, asked again: the panel darkens the editor around it
  const Image frame = mEditor.Render();
  mEditor.Expect(frame, 4, 4, IColor(255, 145, 145, 145), "scrim over the white editor");
  mEditor.Expect(frame, 50, 110, IColor(255, 36, 39, 48), "panel");
  Type(" Bass/Deep ");
  ASSERT_EQ(mAnswers, std::vector<std::string>{mFolder + "/Bass/Deep.preset|" + mFolder + "/Bass"});
  struct stat folder;
  EXPECT_TRUE(stat((mFolder + "/Bass").c_str(), &folder) == 0 && S_ISDIR(folder.st_mode));
  EXPECT_EQ(UI().NControls(), controls); // the panel is gone

  // An existing file is replaced only when its name is entered twice; Escape cancels; opening
  // a file has no in-window road.
  ASSERT_TRUE(WriteFile(mFolder + "/Lead.preset", "{}"));
  Prompt();
  Type("Lead");
  EXPECT_EQ(mAnswers.size(), 1u);
  Type("Lead");
  Prompt();
  Field().DismissEdit();
  UI().OnTick();
  Prompt(EFileAction::kOpen);
  EXPECT_EQ(mAnswers,
            (std::vector<std::string>{mAnswers[0], mFolder + "/Lead.preset|" + mFolder, "|", "|"}));

  for (const char* good : {"Deep", "Bass/Sub/Deep", "Deep.preset", "Ünïcødé name"})
    EXPECT_EQ(FilePrompt::CheckTypedName(good), nullptr) << good;
  for (const char* bad :
       {"", "/abs", "..", "a/../b", "./a", "a/", "a//b", ".hidden", "a\\b", "a\tb"})
    EXPECT_NE(FilePrompt::CheckTypedName(bad), nullptr) << bad;
}

} // namespace
