#include "framework/graphics/controls/ITextControl.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

struct TextTest : ::testing::Test
{
  TestDelegate delegate;
  RecordingGraphics g{delegate};

  // The log of drawing one control alone.
  std::vector<std::string> DrawLog(IControl* pControl)
  {
    g.mLog.clear();
    pControl->Draw(g);
    return g.mLog;
  }
};

} // namespace

TEST_F(TextTest, TextControlFitsItsStringAndRedrawsOnlyOnChange)
{
  // Text measures 7 points a character at size 14, and 14 high.
  auto* pText = new ITextControl(IRECT(0, 0, 100, 40), "abcd", DEFAULT_TEXT, COLOR_RED, true);
  g.AttachControl(pText);
  EXPECT_EQ(pText->GetRECT(), IRECT(36, 13, 64, 27));
  EXPECT_EQ(pText->GetTargetRECT(), pText->GetRECT());

  pText->SetClean();
  pText->SetStr("abcd");
  EXPECT_FALSE(pText->IsDirty());
  pText->SetStr("abcdefgh");
  EXPECT_TRUE(pText->IsDirty());
  EXPECT_EQ(pText->GetRECT(), IRECT(22, 13, 78, 27)); // refitted about the same centre

  pText->SetStrFmt(5, "%d-%s", 1234, "xyz"); // cut to five characters
  EXPECT_STREQ(pText->GetStr(), "1234-");

  EXPECT_EQ(Filter(DrawLog(pText), "DrawText"),
            std::vector<std::string>{"DrawText 1234- 22 13 78 27"});
  // While the text is being edited only the background is drawn.
  g.CreateTextEntry(*pText, pText->GetText(), pText->GetRECT(), pText->GetStr());
  const std::vector<std::string> editing = DrawLog(pText);
  EXPECT_TRUE(Filter(editing, "DrawText").empty());
  EXPECT_EQ(Filter(editing, "PathFill"),
            std::vector<std::string>{"PathFill (255,255,0,0) blend 1"});
}

TEST_F(TextTest, CaptionShowsDisplayTextMarkerAndOpensTheMenu)
{
  delegate.GetParam(0)->InitEnum("Wave", 1, {"Sine", "Saw", "Square"});
  delegate.GetParam(0)->SetToDefault();
  auto* pCaption = new ICaptionControl(IRECT(0, 0, 100, 20), 0);
  g.AttachControl(pCaption);

  // The label of a value with a display text is empty: a trailing blank.
  const std::vector<std::string> log = DrawLog(pCaption);
  EXPECT_EQ(Filter(log, "DrawText"), std::vector<std::string>{"DrawText Saw  0 0 100 20"});
  // The marker: half the font size wide, a third high, centred in a strip at the right.
  ExpectRect(pCaption->GetTriangleRECT(), IRECT(89.5f, 7.69f, 96.5f, 12.31f));
  EXPECT_EQ(Filter(log, "PathFill").back(), "PathFill (255,0,0,0) blend 0.5");

  g.mMenuResponder = [](IPopupMenu& menu)
  {
    menu.SetChosenItemIdx(2);
    return &menu;
  };
  g.OnMouseDown({Point(50, 10, IMouseMod(true))});
  g.OnMouseUp({Point(50, 10, IMouseMod(true))});
  ASSERT_EQ(g.mMenus.size(), 1u);
  EXPECT_EQ(g.mMenus[0].items, (std::vector<std::string>{"Sine", "*Saw", "Square"}));
  EXPECT_EQ(g.mMenus[0].bounds, pCaption->GetRECT());
  EXPECT_EQ(delegate.GetParam(0)->Value(), 2.0);
  EXPECT_EQ(Filter(DrawLog(pCaption), "DrawText"),
            std::vector<std::string>{"DrawText Square  0 0 100 20"});

  // Right-aligned text puts the marker at the left.
  IText right = DEFAULT_TEXT;
  right.mAlign = EAlign::kFar;
  auto* pRight = new ICaptionControl(IRECT(0, 30, 100, 50), 0, right);
  g.AttachControl(pRight);
  ExpectRect(pRight->GetTriangleRECT(), IRECT(3.5f, 37.69f, 10.5f, 42.31f));
}

TEST_F(TextTest, CaptionOfANumberShowsItsLabelAndOpensATextField)
{
  delegate.GetParam(1)->InitDouble("Cutoff", 440.0, 20.0, 20000.0, 1.0, "Hz");
  delegate.GetParam(1)->SetToDefault();
  auto* pCaption = new ICaptionControl(IRECT(0, 0, 100, 20), 1);
  auto* pBare = new ICaptionControl(IRECT(0, 30, 100, 50), 1, DEFAULT_TEXT, DEFAULT_BGCOLOR, false);
  g.AttachControl(pCaption);
  g.AttachControl(pBare);

  EXPECT_EQ(Filter(DrawLog(pCaption), "DrawText"),
            std::vector<std::string>{"DrawText 440 Hz 0 0 100 20"});
  EXPECT_EQ(Filter(DrawLog(pBare), "DrawText"),
            std::vector<std::string>{"DrawText 440 0 30 100 50"});
  EXPECT_EQ(pCaption->GetTriangleRECT(), IRECT()); // no marker for a number
  EXPECT_EQ(Filter(DrawLog(pCaption), "PathFill").size(), 1u);

  g.OnMouseDown({Point(50, 10, IMouseMod(true))});
  ASSERT_EQ(g.mTextEntries.size(), 1u);
  EXPECT_EQ(g.mTextEntries[0].paramIdx, 1);
  EXPECT_EQ(g.mTextEntries[0].str, "440");
}

TEST_F(TextTest, LinkOpensItsAddressAndUnderlinesItsText)
{
  g.EnableMouseOver(true);
  g.AttachPanelBackground(COLOR_GRAY); // the background is never the mouse-over control
  auto* pLink = new IURLControl(IRECT(0, 0, 100, 20), "link", "https://example.org/");
  g.AttachControl(pLink);

  g.OnMouseOver(50, 10, IMouseMod());
  EXPECT_EQ(g.GetCursorType(), ECursor::kHand);
  // Centred and middle-aligned: under the text's own extent and bottom.
  const std::vector<std::string> log = DrawLog(pLink);
  EXPECT_EQ(Filter(log, "PathMoveTo"),
            (std::vector<std::string>{"PathMoveTo 0 0", "PathMoveTo 36 17"}));
  EXPECT_EQ(Filter(log, "PathLineTo")[3], "PathLineTo 64 17");
  EXPECT_EQ(Filter(log, "PathStroke").front(), "PathStroke (255,255,255,255) 1 blend 1");

  g.OnMouseDown({Point(50, 10, IMouseMod(true))});
  EXPECT_EQ(g.mOpenedURLs, std::vector<std::string>{"https://example.org/"});
  EXPECT_FALSE(g.ControlIsCaptured());
  g.OnMouseOut();
  EXPECT_EQ(g.GetCursorType(), ECursor::kArrow);
  EXPECT_EQ(Filter(DrawLog(pLink), "PathStroke").front(), "PathStroke (255,0,0,255) 1 blend 1");
}

TEST_F(TextTest, ToggleShowsItsStateText)
{
  delegate.GetParam(2)->InitBool("Sync", false);
  auto* pToggle = new ITextToggleControl(IRECT(0, 0, 40, 20), 2, "free", "sync");
  g.AttachControl(pToggle);
  EXPECT_STREQ(pToggle->GetStr(), "free");

  g.OnMouseDown({Point(10, 10, IMouseMod(true))});
  EXPECT_STREQ(pToggle->GetStr(), "sync");
  EXPECT_EQ(delegate.GetParam(2)->Value(), 1.0);

  g.OnMouseUp({Point(10, 10, IMouseMod(true))});

  // Exactly 0.5 shows off, and a click turns it off.
  pToggle->SetValueFromDelegate(0.5);
  EXPECT_STREQ(pToggle->GetStr(), "free");
  g.OnMouseDown({Point(10, 10, IMouseMod(true))});
  EXPECT_EQ(pToggle->GetValue(), 0.0);
  EXPECT_STREQ(pToggle->GetStr(), "free");

  int actions = 0;
  auto* pAction = new ITextToggleControl(IRECT(50, 0, 90, 20), [&](IControl*) { ++actions; });
  g.AttachControl(pAction);
  pAction->OnMouseDown(60, 10, IMouseMod(true));
  EXPECT_STREQ(pAction->GetStr(), "ON");
  EXPECT_EQ(actions, 1);
}

TEST_F(TextTest, PlaceHolderShowsItsGeometryAndTakesACaption)
{
  auto* pHolder = new PlaceHolder(IRECT(10, 20, 110, 70));
  g.AttachControl(pHolder);
  const std::vector<std::string> texts = Filter(DrawLog(pHolder), "DrawText");
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[0].rfind("DrawText 50.0 ", 0), 0u);     // height, upright box at the left
  EXPECT_EQ(texts[1].rfind("DrawText 100.0 ", 0), 0u);    // width, centred at the top
  EXPECT_EQ(texts[2], "DrawText 10.0, 20.0 20 30 90 44"); // top-left corner
  EXPECT_EQ(texts[3], "DrawText Place Holder 0 35 120 55");

  g.OnMouseDblClick(50, 50, IMouseMod(true));
  ASSERT_EQ(g.mTextEntries.size(), 1u);
  EXPECT_EQ(g.mTextEntries[0].str, "Place Holder");
  EXPECT_EQ(g.mTextEntries[0].bounds, pHolder->GetRECT());
  g.SetControlValueAfterTextEdit("Filter section");
  EXPECT_STREQ(pHolder->GetStr(), "Filter section");
}
