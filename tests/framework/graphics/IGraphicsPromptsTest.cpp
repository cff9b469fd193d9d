#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

// A caption-like control: a left click asks for a value.
class PromptControl : public TestControl
{
public:
  PromptControl(const IRECT& bounds, int paramIdx) : TestControl(bounds, paramIdx)
  {
    DisablePrompt(false);
  }
  void OnMouseDown(float x, float y, const IMouseMod& mod) override
  {
    TestControl::OnMouseDown(x, y, mod);
    PromptUserInput(0);
  }
};

struct PromptsTest : ::testing::Test
{
  TestDelegate delegate;
  RecordingGraphics g{delegate};
  PromptControl* pControl = nullptr;

  void Attach(int paramIdx)
  {
    pControl = new PromptControl(IRECT(100, 100, 180, 120), paramIdx);
    g.AttachControl(pControl);
  }
  void Click()
  {
    g.OnMouseDown({Point(110, 110, IMouseMod(true))});
    g.OnMouseUp({Point(110, 110, IMouseMod(true))});
  }
  void Type(const char* text)
  {
    g.OnMouseDown({Point(110, 110, IMouseMod(true))});
    g.SetControlValueAfterTextEdit(text);
    g.OnMouseUp({Point(110, 110, IMouseMod(true))});
  }
};

} // namespace

TEST_F(PromptsTest, EnumParameterOpensAMenuOfItsTexts)
{
  delegate.GetParam(0)->InitEnum("Wave", 1, {"Sine", "Saw", "Square"});
  Attach(0);
  g.mMenuResponder = [](IPopupMenu& menu)
  {
    menu.SetChosenItemIdx(2);
    return &menu;
  };
  Click();
  ASSERT_EQ(g.mMenus.size(), 1u);
  EXPECT_EQ(g.mMenus[0].title, "Wave");
  EXPECT_EQ(g.mMenus[0].items, (std::vector<std::string>{"Sine", "*Saw", "Square"}));
  EXPECT_EQ(g.mMenus[0].bounds, pControl->GetRECT());
  EXPECT_EQ(delegate.mHostLog, (std::vector<std::string>{"begin 0", "value 0 1", "end 0"}));
  EXPECT_EQ(delegate.GetParam(0)->Value(), 2.0);

  // Cancelled: the control hears of it, and the gesture is still closed.
  delegate.mHostLog.clear();
  g.mMenuResponder = nullptr;
  Click();
  EXPECT_EQ(pControl->mEvents.back(), "selection null");
  EXPECT_EQ(delegate.mHostLog, (std::vector<std::string>{"begin 0", "end 0"}));
}

TEST_F(PromptsTest, BoolWithDisplayTextsOpensAMenu)
{
  delegate.GetParam(1)->InitBool("Sync", true, "", 0, "", "Free", "Synced");
  Attach(1);
  Click();
  ASSERT_EQ(g.mMenus.size(), 1u);
  EXPECT_EQ(g.mMenus[0].items, (std::vector<std::string>{"Free", "*Synced"}));
  EXPECT_TRUE(g.mTextEntries.empty());
}

TEST_F(PromptsTest, TypedValuesAreSteppedAndClamped)
{
  delegate.GetParam(2)->InitInt("Steps", 0, 0, 2);
  Attach(2);
  Click();
  ASSERT_EQ(g.mTextEntries.size(), 1u);
  EXPECT_EQ(g.mTextEntries[0].str, "0");
  EXPECT_EQ(g.mTextEntries[0].length, 7);
  EXPECT_EQ(g.mTextEntries[0].bounds, IRECT(120, 102, 160, 118)); // 40 x 16 at the centre
  EXPECT_EQ(g.mTextEntries[0].paramIdx, 2);
  Type("2.6"); // rounds to 3, clamps to 2
  EXPECT_EQ(delegate.GetParam(2)->Value(), 2.0);

  delegate.GetParam(3)->InitInt("Offset", 0, -2, 2);
  pControl->SetParamIdx(3);
  Type("-0.5"); // rounds half away from zero to -1
  EXPECT_EQ(delegate.GetParam(3)->Value(), -1.0);
  EXPECT_DOUBLE_EQ(pControl->GetValue(), 0.25);
}

TEST_F(PromptsTest, NonFiniteTextIsRefused)
{
  delegate.GetParam(4)->InitDouble("Level", 0.5, 0.0, 1.0, 0.01);
  Attach(4);
  pControl->SetValue(0.5);
  for (const char* text : {"inf", "-inf", "nan", "1e999", " -INFINITY"})
  {
    Type(text);
    EXPECT_EQ(delegate.GetParam(4)->Value(), 0.5) << text;
    EXPECT_EQ(pControl->GetValue(), 0.5) << text;
    EXPECT_EQ(g.GetControlInTextEntry(), nullptr) << text;
  }
  EXPECT_TRUE(Filter(delegate.mHostLog, "value").empty());
  Type("0.25");
  EXPECT_EQ(delegate.GetParam(4)->Value(), 0.25);
  Type("1e-999"); // underflows to 0: a finite number
  EXPECT_EQ(delegate.GetParam(4)->Value(), 0.0);
}

TEST_F(PromptsTest, TextPromptShowsTheLabelWhenAsked)
{
  delegate.GetParam(5)->InitDouble("Gain", 3.5, -10.0, 10.0, 0.1, "dB");
  Attach(5);
  Click();
  pControl->SetPromptShowsParamLabel(true);
  Click();
  ASSERT_EQ(g.mTextEntries.size(), 2u);
  EXPECT_EQ(g.mTextEntries[0].str, "3.5");
  EXPECT_EQ(g.mTextEntries[1].str, "3.5 dB");
}

TEST_F(PromptsTest, TextWithoutAParameterGoesBackToTheControl)
{
  Attach(kNoParameter);
  g.CreateTextEntry(*pControl, DEFAULT_TEXT, IRECT(0, 0, 50, 20), "name", 0);
  EXPECT_EQ(g.mTextEntries.at(0).paramIdx, kNoParameter);
  g.SetControlValueAfterTextEdit("renamed");
  EXPECT_EQ(pControl->mEvents.back(), "text renamed 0");
  g.SetControlValueAfterTextEdit("again"); // nobody is waiting: ignored
  EXPECT_EQ(pControl->mEvents.back(), "text renamed 0");
}

TEST_F(PromptsTest, AsynchronousMenusAnswerLater)
{
  delegate.GetParam(0)->InitEnum("Wave", 0, {"Sine", "Saw"});
  Attach(0);
  g.mMenuIsAsync = true;
  Click();
  EXPECT_EQ(g.GetControlInPopupMenu(), pControl);
  EXPECT_EQ(delegate.mHostLog, std::vector<std::string>{"begin 0"});
  IPopupMenu& menu = g.GetPromptMenu();
  menu.SetChosenItemIdx(1);
  g.SetControlValueAfterPopupMenu(&menu);
  EXPECT_EQ(delegate.GetParam(0)->Value(), 1.0);
  EXPECT_EQ(delegate.mHostLog.back(), "end 0");
  EXPECT_EQ(g.GetControlInPopupMenu(), nullptr);
}

TEST_F(PromptsTest, InWindowControlsTakeThePromptsAndThePointer)
{
  delegate.GetParam(2)->InitInt("Steps", 0, 0, 10);
  Attach(2);
  auto* pEntry = new FakeTextEntry();
  g.AttachTextEntryControl(pEntry);
  g.AttachTextEntryControl(new FakeTextEntry()); // only one: the second is deleted

  Click();
  EXPECT_TRUE(g.mTextEntries.empty()); // not the platform's field
  EXPECT_EQ(pEntry->mRequest, "2 0");
  // While it edits, every pointer event goes to the field first, hover included.
  g.OnMouseDown({Point(300, 250, IMouseMod(true))});
  g.OnMouseUp({Point(300, 250, IMouseMod(true))});
  EXPECT_EQ(pEntry->mEvents, (std::vector<std::string>{"over", "down 300 250", "up 300 250"}));
  g.SetControlValueAfterTextEdit("7");
  pEntry->mEditing = false;
  EXPECT_EQ(delegate.GetParam(2)->Value(), 7.0);

  delegate.GetParam(3)->InitEnum("Mode", 0, {"A", "B"});
  pControl->SetParamIdx(3);
  auto* pMenu = new FakePopupMenu();
  g.AttachPopupMenuControl(pMenu);
  Click();
  ASSERT_NE(pMenu->mMenu, nullptr);
  EXPECT_TRUE(g.mMenus.empty());
  EXPECT_EQ(g.GetMouseControl(5, 5, false), pMenu); // expanded: it comes first
  pMenu->mMenu->SetChosenItemIdx(1);
  g.SetControlValueAfterPopupMenu(pMenu->mMenu);
  pMenu->mMenu = nullptr;
  EXPECT_EQ(delegate.GetParam(3)->Value(), 1.0);

  g.RemovePopupMenuControl();
  g.RemoveTextEntryControl();
  Click();
  EXPECT_EQ(g.mMenus.size(), 1u); // back to the platform's menu
}

TEST_F(PromptsTest, RefusedPromptsEndAtOnceAndLeaveNothingBehind)
{
  delegate.GetParam(2)->InitInt("Steps", 0, 0, 10);
  delegate.GetParam(3)->InitEnum("Mode", 0, {"A", "B"});
  delegate.GetParam(6)->InitDouble("Other", 0.5, 0.0, 1.0, 0.01);
  Attach(2);
  auto* pOther = new TestControl(IRECT(200, 100, 260, 160), 6, "other");
  g.AttachControl(pOther);
  auto* pEntry = new FakeTextEntry();
  auto* pMenu = new FakePopupMenu();
  g.AttachTextEntryControl(pEntry);
  g.AttachPopupMenuControl(pMenu);
  pEntry->mRefuse = true;
  pMenu->mRefuse = true;

  Click(); // a text prompt, refused
  EXPECT_EQ(g.GetControlInTextEntry(), nullptr);
  pControl->SetParamIdx(3);
  Click(); // a menu prompt, refused: the control hears it was cancelled
  EXPECT_EQ(pControl->mEvents.back(), "selection null");
  EXPECT_EQ(g.GetControlInPopupMenu(), nullptr);

  // Nothing left pending: another control can be pressed and dragged.
  g.OnMouseDown({Point(210, 110, IMouseMod(true))});
  g.OnMouseDrag({Point(215, 110, IMouseMod(true), 5.f, 0.f)});
  g.OnMouseUp({Point(215, 110, IMouseMod(true))});
  EXPECT_EQ(pOther->mEvents.back(), "up 215 110");
  EXPECT_EQ(Filter(pOther->mEvents, "drag").size(), 1u);
  EXPECT_EQ(delegate.mHostLog,
            (std::vector<std::string>{"begin 2", "end 2", "begin 3", "end 3", "begin 6", "end 6"}));
}
