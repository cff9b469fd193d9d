// The Linux editor's file prompt, headless: a stand-in "zenity" first on the PATH answers (or
// cancels) while the editor runs on; with no dialog program the in-window name field asks,
// refuses names that would leave the folder, asks again before replacing a file, and makes the
// category folder. Its panel is rendered at scales 1 and 2 into file-prompt-contact-sheet.png.

#include "framework/graphics/platforms/linux/FilePrompt.h"
#include "framework/graphics/controls/ITextEntryControl.h"
#include "tests/framework/graphics/platforms/linux/RenderSupport.h"
#include "tests/support/TestSupport.h"

#include <chrono>
#include <cstring>
#include <sys/stat.h>
#include <thread>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;
using testsupport::ReadFile;
using testsupport::WriteFile;

namespace
{

// An editor with a prompt's answers recorded; PATH holds only the test's bin folder.
struct PromptFixture : ::testing::Test
{
  PromptFixture()
  {
    mkdir((mDir / "bin").c_str(), 0700);
    mkdir(mFolder.c_str(), 0700);
    mEditor.AddLayout([](IGraphics& g) { g.LoadFont("Roboto-Regular", "Roboto-Regular.ttf"); });
  }

  void Prompt(EFileAction action = EFileAction::kSave, const char* name = "Bass/Deep")
  {
    Util_String fileName(name), path(mFolder.c_str());
    mEditor.mGraphics.PromptForFile(
      fileName, path, action, "preset",
      [this](const Util_String& file, const Util_String& folder)
      { mAnswers.push_back(std::string(file.Get()) + "|" + folder.Get()); });
    EXPECT_STREQ(fileName.Get(), ""); // the answer never comes back through the arguments
  }
  // Ticks of the editor's timer until an answer came (at most 10 s).
  bool TickUntilAnswered()
  {
    for (int i = 0; i < 1000 && mAnswers.empty(); ++i)
    {
      mEditor.mGraphics.OnTick();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return !mAnswers.empty();
  }
  ITextEntryControl& Field()
  {
    return *static_cast<ITextEntryControl*>(mEditor.mGraphics.GetTextEntryControl());
  }
  void Type(const char* text)
  {
    Field().SetStr(text);
    Field().CommitEdit();
  }
  // Whether the name field is open for the prompt's panel (the last control attached).
  bool Asking()
  {
    const IGraphics& g = mEditor.mGraphics;
    return g.GetControlInTextEntry() &&
           g.GetControlInTextEntry() == g.GetControl(g.NControls() - 1);
  }

  testsupport::TempDir mDir;
  testsupport::ScopedEnv mPath{"PATH", mDir / "bin"};
  std::string mFolder = mDir / "Presets";
  HeadlessEditor mEditor{600, 300};
  std::vector<std::string> mAnswers;
};

TEST_F(PromptFixture, TheDesktopDialogAnswersLaterWhileTheEditorRunsOn)
{
  // The stand-in records its arguments, then waits for the test to hand it an answer (an empty
  // one: cancelled).
  const std::string args = mDir / "args", go = mDir / "go";
  ASSERT_TRUE(WriteFile(mDir / "bin/zenity",
                        "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + args +
                          ".tmp'\n/bin/mv '" + args + ".tmp' '" + args + "'\nwhile [ ! -e '" + go +
                          "' ]; do /bin/sleep 0.01; done\n"
                          "answer=$(/bin/cat '" +
                          go + "'); /bin/rm '" + go +
                          "'\n[ -n \"$answer\" ] || exit 1\nprintf '%s\\n' \"$answer\"\n"));
  chmod((mDir / "bin/zenity").c_str(), 0700);
  ASSERT_TRUE(mEditor.Open());

  Prompt();
  EXPECT_TRUE(mEditor.mGraphics.FilePromptIsOpen());
  for (int i = 0; i < 500 && ReadFile(args).empty(); ++i)
  {
    mEditor.mGraphics.OnTick(); // the editor keeps ticking while the dialog is open
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(ReadFile(args), "--file-selection\n--title=Save As\n--save\n--confirm-overwrite\n"
                            "--filename=" +
                              mFolder +
                              "/Bass/Deep.preset\n"
                              "--file-filter=preset files | *.preset\n");
  EXPECT_TRUE(mAnswers.empty());
  // One prompt at a time: another request is cancelled at once.
  Prompt();
  ASSERT_EQ(mAnswers.size(), 1u);
  EXPECT_EQ(mAnswers[0], "|");
  mAnswers.clear();

  // The answer takes the extension it lacks.
  ASSERT_TRUE(WriteFile(go, mDir / "Elsewhere/My Bass\n"));
  ASSERT_TRUE(TickUntilAnswered());
  EXPECT_EQ(mAnswers[0], mDir / "Elsewhere/My Bass.preset|" + mDir / "Elsewhere");
  EXPECT_FALSE(mEditor.mGraphics.FilePromptIsOpen());

  // Cancel: an empty answer.
  mAnswers.clear();
  Prompt(EFileAction::kOpen);
  ASSERT_TRUE(WriteFile(go, ""));
  ASSERT_TRUE(TickUntilAnswered());
  EXPECT_EQ(mAnswers[0], "|");
}

TEST_F(PromptFixture, WithoutADialogTheNameFieldAsksForANameInsideTheFolder)
{
  ASSERT_TRUE(mEditor.Open());
  const int controls = mEditor.mGraphics.NControls();
  Prompt();
  EXPECT_TRUE(Asking());
  EXPECT_EQ(Field().GetStr(), "Bass/Deep");

  // Refused: asked again with the text.
  for (const char* bad : {"../Escape", "/tmp/Abs", "Bass//Deep", ".hidden", "  "})
  {
    Type(bad);
    EXPECT_TRUE(Asking()) << bad;
  }
  mEditor.mGraphics.OnTick();
  EXPECT_TRUE(mAnswers.empty());

  // A category folder is made; the answer is the file under it.
  Type(" Bass/Deep ");
  ASSERT_TRUE(TickUntilAnswered());
  EXPECT_EQ(mAnswers[0], mFolder + "/Bass/Deep.preset|" + mFolder + "/Bass");
  struct stat status;
  EXPECT_TRUE(stat((mFolder + "/Bass").c_str(), &status) == 0 && S_ISDIR(status.st_mode));
  EXPECT_EQ(mEditor.mGraphics.NControls(), controls); // the panel is gone

  // An existing file is replaced only when the same name is entered twice.
  mAnswers.clear();
  ASSERT_TRUE(WriteFile(mFolder + "/Lead.preset", "{}"));
  Prompt(EFileAction::kSave, "Lead");
  Type("Lead");
  mEditor.mGraphics.OnTick();
  EXPECT_TRUE(mAnswers.empty());
  Type("Lead");
  ASSERT_TRUE(TickUntilAnswered());
  EXPECT_EQ(mAnswers[0], mFolder + "/Lead.preset|" + mFolder);

  // Escape cancels; an open prompt has no in-window road: cancelled at once.
  mAnswers.clear();
  Prompt();
  Field().DismissEdit();
  ASSERT_TRUE(TickUntilAnswered());
  EXPECT_EQ(mAnswers[0], "|");
  Prompt(EFileAction::kOpen);
  EXPECT_EQ(mAnswers.size(), 2u);
  EXPECT_EQ(mEditor.mGraphics.NControls(), controls);
}

TEST(FilePromptNames, OnlyNamesInsideTheFolderAreTaken)
{
  for (const char* good : {"Deep", "Bass/Deep", "Bass/Sub/Deep", "Deep.preset", "Ünïcødé name"})
    EXPECT_EQ(FilePrompt::CheckTypedName(good), nullptr) << good;
  for (const char* bad :
       {"", "/abs", "..", "a/../b", "./a", "a/", "a//b", ".hidden", "a\\b", "a\tb"})
    EXPECT_NE(FilePrompt::CheckTypedName(bad), nullptr) << bad;
}

// The panel over a white editor, a refusal showing, at scales 1 and 2.
TEST(FilePromptRender, ContactSheetAtScalesOneAndTwo)
{
  testsupport::TempDir dir;
  testsupport::ScopedEnv path("PATH", dir.Path());
  Image frames[2];
  for (int s = 0; s < 2; ++s)
  {
    const float scale = static_cast<float>(s + 1);
    HeadlessEditor editor(520, 220, scale);
    editor.AddLayout(
      [](IGraphics& g)
      {
        g.LoadFont("Roboto-Regular", "Roboto-Regular.ttf");
        g.AttachPanelBackground(IPattern(COLOR_WHITE));
      });
    if (!editor.Open())
      FAIL() << "no headless OpenGL context";
    Util_String name("Bass/../Deep"), folder(dir.Path().c_str());
    editor.mGraphics.PromptForFile(name, folder, EFileAction::kSave, "preset");
    auto* pField = static_cast<ITextEntryControl*>(editor.mGraphics.GetTextEntryControl());
    pField->CommitEdit();
    frames[s] = editor.Render();
    // The scrim darkens the editor around the panel; the panel is opaque.
    editor.Expect(frames[s], 4, 4, IColor(255, 145, 145, 145), "scrim");
    editor.Expect(frames[s], static_cast<int>(50 * scale), static_cast<int>(110 * scale),
                  IColor(255, 36, 39, 48), "panel");
  }
  // Scale 1 above scale 2.
  Image sheet = frames[1];
  sheet.h += frames[0].h;
  sheet.rgba.assign(static_cast<size_t>(sheet.w) * sheet.h * 4, 255); // opaque white
  for (int y = 0; y < frames[0].h; ++y)
    std::memcpy(&sheet.rgba[static_cast<size_t>(y) * sheet.w * 4],
                &frames[0].rgba[static_cast<size_t>(y) * frames[0].w * 4],
                static_cast<size_t>(frames[0].w) * 4);
  std::memcpy(&sheet.rgba[static_cast<size_t>(frames[0].h) * sheet.w * 4], frames[1].rgba.data(),
              frames[1].rgba.size());
  EXPECT_TRUE(WritePNG("file-prompt-contact-sheet.png", sheet.rgba, sheet.w, sheet.h));
}

} // namespace
