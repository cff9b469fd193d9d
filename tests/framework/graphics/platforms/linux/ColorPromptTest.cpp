// The Linux editor's colour prompt, headless: a stand-in colour chooser first on the PATH
// (zenity, else kdialog) answers from its child process and the colour swatch takes the colour;
// a cancelled chooser, an answer that is no colour, or no chooser at all change nothing.

#include "framework/graphics/platforms/linux/ColorPrompt.h"
#include "framework/graphics/controls/IVXYPadControl.h"
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
  };
  for (const Chooser& chooser :
       {Chooser{"zenity", "rgb(12,200,34)\n",
                "--color-selection\n--title=Choose a color\n--color=#010203\n"},
        Chooser{"kdialog", "#0cc822\n",
                "--getcolor\n--default\n#010203\n--title\nChoose a color\n"}})
  {
    SCOPED_TRACE(chooser.program);
    mChosenCells.clear();
    StandIn(chooser.program, chooser.answer);
    EXPECT_EQ(ClickAndWait(), chooser.args);
    EXPECT_EQ(mSwatch->GetColor(kFG), IColor(128, 12, 200, 34)); // the alpha stays
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
  const std::pair<const char*, IColor> good[] = {
    {"rgb(12,200,34)", IColor(77, 12, 200, 34)},
    {" rgb( 12 , 200 , 34 ) \n", IColor(77, 12, 200, 34)},
    {"rgba(12,200,34,0.5)", IColor(128, 12, 200, 34)},
    {"rgba(0,0,255,1)", IColor(255, 0, 0, 255)},
    {"#0cC822\n", IColor(77, 12, 200, 34)},
    {"#0c0cc8c82222", IColor(77, 12, 200, 34)},
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

} // namespace
