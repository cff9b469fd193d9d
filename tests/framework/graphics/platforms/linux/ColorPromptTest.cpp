// The Linux editor's colour prompt, headless: a stand-in colour chooser first on the PATH
// (zenity, else kdialog) answers from its child process and the colour swatch takes the colour;
// a cancelled chooser, an answer that is no colour, or no chooser at all change nothing.

#include "framework/graphics/platforms/linux/ColorPrompt.h"
#include "framework/graphics/controls/IVXYPadControl.h"
#include "tests/framework/graphics/platforms/linux/RenderSupport.h"
#include "tests/support/TestSupport.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <thread>

using namespace plugin::igraphics;
using namespace plugin::igraphics::test;
using testsupport::ReadFile;
using testsupport::WriteFile;

namespace
{

constexpr IColor kProposed(128, 1, 2, 3);

// A swatch of two cells (background, foreground) over the whole editor; PATH holds only the
// test's bin folder.
struct ColorPromptFixture : ::testing::Test
{
  ColorPromptFixture()
  {
    mkdir((mDir / "bin").c_str(), 0700);
    mEditor.AddLayout(
      [this](IGraphics& g)
      {
        mSwatch = new IVColorSwatchControl(
          g.GetBounds(), "", [this](int cell, const IColor&) { mChosenCells.push_back(cell); },
          DEFAULT_STYLE, IVColorSwatchControl::ECellLayout::kHorizontal, {kBG, kFG});
        g.AttachControl(mSwatch);
      });
  }
  // The stand-in chooser records its arguments and prints answer.
  void StandIn(const char* program, const std::string& answer, int status = 0)
  {
    for (const char* name : {"zenity", "kdialog"})
      std::remove((mDir / "bin/" + name).c_str());
    const std::string path = mDir / "bin/" + program;
    ASSERT_TRUE(WriteFile(path, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + mDir / "args" +
                                  "'\nprintf '%s' '" + answer + "'\nexit " +
                                  std::to_string(status) + "\n"));
    chmod(path.c_str(), 0700);
  }
  // A click on the foreground cell; the editor ticks on until the chooser has been started and
  // a while after (it answers at once). Answers the arguments it was started with.
  std::string ClickAndWait()
  {
    std::remove((mDir / "args").c_str());
    mSwatch->SetColor(kFG, kProposed);
    UI().OnMouseDown({Point(150.f, 50.f, IMouseMod(true))});
    UI().OnMouseUp({Point(150.f, 50.f, IMouseMod(true))});
    for (int i = 0; i < 300 && ReadFile(mDir / "args").empty(); ++i)
    {
      UI().OnTick();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    for (int i = 0; i < 20; ++i)
    {
      UI().OnTick();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ReadFile(mDir / "args");
  }
  IGraphicsLinux& UI() { return mEditor.mGraphics; }

  testsupport::TempDir mDir;
  testsupport::ScopedEnv mPath{"PATH", mDir / "bin"};
  HeadlessEditor mEditor{200, 100};
  IVColorSwatchControl* mSwatch = nullptr;
  std::vector<int> mChosenCells;
};

TEST_F(ColorPromptFixture, TheDesktopChooserAnswersAndTheSwatchTakesTheColour)
{
  ASSERT_TRUE(mEditor.Open());
  struct Chooser
  {
    const char* program;
    const char* answer;
    const char* args;
    IColor chosen;
  };
  // zenity is offered the alpha too (128 / 255); kdialog takes none. An answer with alpha
  // keeps it, one without is opaque.
  for (const Chooser& chooser :
       {Chooser{"zenity", "rgb(12,200,34)\n",
                "--color-selection\n--title=Choose a color\n--color=rgba(1,2,3,0.501961)\n",
                IColor(255, 12, 200, 34)},
        Chooser{"zenity", "rgba(12,200,34,0.25)\n",
                "--color-selection\n--title=Choose a color\n--color=rgba(1,2,3,0.501961)\n",
                IColor(64, 12, 200, 34)},
        Chooser{"kdialog", "#0cc822\n", "--getcolor\n--default\n#010203\n--title\nChoose a color\n",
                IColor(255, 12, 200, 34)}})
  {
    SCOPED_TRACE(chooser.answer);
    mChosenCells.clear();
    StandIn(chooser.program, chooser.answer);
    EXPECT_EQ(ClickAndWait(), chooser.args);
    EXPECT_EQ(mSwatch->GetColor(kFG), chooser.chosen);
    EXPECT_EQ(mChosenCells, std::vector<int>{1});

    // Cancelled, or an answer that is no colour: nothing changes.
    for (const auto& [answer, status] : {std::pair{"", 1}, std::pair{"rgb(12,200)", 0}})
    {
      mChosenCells.clear();
      StandIn(chooser.program, answer, status);
      EXPECT_EQ(ClickAndWait(), chooser.args);
      EXPECT_EQ(mSwatch->GetColor(kFG), kProposed);
      EXPECT_TRUE(mChosenCells.empty());
    }
  }

  // No chooser installed: refused at once.
  StandIn("neither", "");
  IColor color = kProposed;
  EXPECT_FALSE(UI().PromptForColor(color, "", [this](const IColor&) { mChosenCells = {9}; }));
  EXPECT_EQ(color, kProposed);
}

TEST(ColorPromptAnswer, ReadsEveryFormTheChoosersPrintAndNothingElse)
{
  // Forms without alpha are opaque; 16-bit hex is read by its high bytes.
  const std::pair<const char*, IColor> good[] = {
    {"rgb(12,200,34)", IColor(255, 12, 200, 34)},
    {" rgb( 12 , 200 , 34 ) \n", IColor(255, 12, 200, 34)},
    {"rgba(12,200,34,0.5)", IColor(128, 12, 200, 34)},
    {"rgba(32,192,64,0.501961)", IColor(128, 32, 192, 64)}, // GTK's way of writing 128
    {"rgba(32,192,64,0.25098)", IColor(64, 32, 192, 64)},
    {"rgba(1,2,3,0.0392157)", IColor(10, 1, 2, 3)},
    {"rgba(0,0,255,1)", IColor(255, 0, 0, 255)},
    {"rgba(0,0,255,0)", IColor(0, 0, 0, 255)},
    {"#0cC822\n", IColor(255, 12, 200, 34)},
    {"#0c0cc8c82222", IColor(255, 12, 200, 34)},
    {"#12ab34cd56ef", IColor(255, 0x12, 0x34, 0x56)},
    {"#ff00807f0001", IColor(255, 0xff, 0x80, 0x00)},
  };
  for (const auto& [text, expected] : good)
  {
    IColor color(77, 1, 2, 3);
    EXPECT_TRUE(ColorPrompt::ParseColor(text, color)) << text;
    EXPECT_EQ(color, expected) << text;
  }
  for (const char* bad :
       {"", "\n", "rgb(12,200)", "rgb(12,200,34,5)", "rgb(256,0,0)", "rgb(-1,0,0)", "rgba(1,2,3)",
        "rgba(1,2,3,1.5)", "rgba(1,2,3,0,5)", "rgb(1,2,3)x", "RGB(1,2,3)", "#12345", "#1234567",
        "#gg0000", "0c c8 22", "blue"})
  {
    IColor color(77, 1, 2, 3);
    EXPECT_FALSE(ColorPrompt::ParseColor(bad, color)) << bad;
    EXPECT_EQ(color, IColor(77, 1, 2, 3)) << bad;
  }
}

TEST(ColorPromptAnswer, ZenityIsOfferedTheAlphaItGivesBack)
{
  for (const auto& [color, text] : {std::pair{IColor(128, 1, 2, 3), "rgba(1,2,3,0.501961)"},
                                    std::pair{IColor(0, 255, 0, 10), "rgba(255,0,10,0)"},
                                    std::pair{IColor(255, 0, 0, 0), "rgba(0,0,0,1)"},
                                    std::pair{IColor(64, 32, 192, 64), "rgba(32,192,64,0.25098)"}})
    EXPECT_EQ(ColorPrompt::ProposedRGBA(color), text);
  // Every alpha comes back as it went.
  for (int alpha = 0; alpha <= 255; ++alpha)
  {
    const IColor proposed(alpha, 200, 100, 50);
    IColor read(7, 0, 0, 0);
    EXPECT_TRUE(ColorPrompt::ParseColor(ColorPrompt::ProposedRGBA(proposed), read)) << alpha;
    EXPECT_EQ(read, proposed) << alpha;
  }
}

// Whether a process has ended (gone, or a zombie no one has reaped yet).
bool Ended(pid_t pid)
{
  const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  const size_t paren = stat.rfind(')');
  return paren == std::string::npos || stat.compare(paren + 1, 3, " Z ") == 0;
}

TEST_F(ColorPromptFixture, ADialogOpenWhenTheEditorClosesEndsWithWhatItStarted)
{
  // The stand-in starts a helper of its own, tells both their ids, and waits.
  const std::string pids = mDir / "pids";
  ASSERT_TRUE(WriteFile(mDir / "bin/zenity", "#!/bin/sh\n/bin/sleep 600 &\necho \"$$ $!\" > '" +
                                               pids + ".new'\n/bin/mv '" + pids + ".new' '" + pids +
                                               "'\nwait\n"));
  chmod((mDir / "bin/zenity").c_str(), 0700);
  // Both dialogs: the colour chooser and the file dialog.
  for (int kind = 0; kind < 2; ++kind)
  {
    SCOPED_TRACE(kind == 0 ? "colour" : "file");
    std::remove(pids.c_str());
    ASSERT_TRUE(mEditor.Open());
    if (kind == 0)
    {
      IColor color = kProposed;
      ASSERT_TRUE(UI().PromptForColor(color, "", [](const IColor&) {}));
    }
    else
    {
      Util_String name("a"), folder(mDir.Path().c_str());
      UI().PromptForFile(name, folder, EFileAction::kOpen, "preset",
                         [](const Util_String&, const Util_String&) {});
    }
    for (int i = 0; i < 500 && ReadFile(pids).empty(); ++i)
    {
      UI().OnTick();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    int dialog = 0, helper = 0;
    ASSERT_EQ(std::sscanf(ReadFile(pids).c_str(), "%d %d", &dialog, &helper), 2);
    EXPECT_FALSE(Ended(dialog));
    EXPECT_FALSE(Ended(helper));
    UI().CloseWindow();
    for (int i = 0; i < 200 && !(Ended(dialog) && Ended(helper)); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(Ended(dialog));
    EXPECT_TRUE(Ended(helper));
    if (!Ended(helper))
      kill(helper, SIGKILL);
  }
}

} // namespace
