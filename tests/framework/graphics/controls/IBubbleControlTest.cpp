#include "framework/graphics/controls/IBubbleControl.h"
#include "framework/graphics/IKnobControlBase.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

class Knob : public IKnobControlBase
{
public:
  Knob(const IRECT& bounds, int paramIdx, IActionFunction action)
    : IKnobControlBase(bounds, paramIdx, EDirection::kVertical, 1.0)
  {
    SetActionFunction(std::move(action));
  }
  void Draw(IGraphics&) override {}
};

// A bubble whose clock can be moved forward.
class TestBubble : public IBubbleControl
{
public:
  using IBubbleControl::IBubbleControl;
  void Age(double ms) { mAnimationStartTime -= ms; }
};

struct BubbleTest : ::testing::Test
{
  TestDelegate delegate;
  RecordingGraphics g{delegate}; // 400 x 300
  TestBubble* pBubble = new TestBubble();

  BubbleTest()
  {
    delegate.GetParam(0)->InitDouble("Amount", 0.0, 0.0, 100.0, 1.0, "%");
    g.AttachBubbleControl(pBubble);
  }

  Knob* AttachKnob(const IRECT& r, IActionFunction action, int paramIdx = 0)
  {
    auto* pKnob = new Knob(r, paramIdx, std::move(action));
    g.AttachControl(pKnob);
    return pKnob;
  }

  // A frame tick after the bubble's clock moved on by ms.
  void Tick(double ms)
  {
    pBubble->Age(ms);
    IRECTList rects;
    g.IsDirty(rects);
  }
};

} // namespace

TEST_F(BubbleTest, HorizontalBubbleFlipsLeftOfItsCallerNearTheRightEdge)
{
  Knob* pKnob = AttachKnob(IRECT(100, 100, 150, 150), ShowBubbleHorizontalActionFunc);
  g.OnMouseDown({Point(125, 125, IMouseMod(true))});
  g.OnMouseDrag({Point(125, 115, IMouseMod(true), 0, -10)});
  EXPECT_STREQ(pBubble->GetStr(), "20 %");
  // At least 50 x 30 of content, 10 of margin and 5 of arrow room at the sides.
  EXPECT_EQ(pBubble->GetBubbleBounds(), IRECT(150, 100, 230, 150));
  EXPECT_EQ(pBubble->GetArrowDir(), IBubbleControl::kWest);
  EXPECT_EQ(pBubble->GetCaller(), pKnob);
  EXPECT_FALSE(pBubble->IsHidden());
  g.OnMouseUp({Point(125, 115, IMouseMod(true))});

  Knob* pRight = AttachKnob(IRECT(300, 100, 380, 180), ShowBubbleHorizontalActionFunc);
  pRight->SetDirty(true);
  EXPECT_EQ(pBubble->GetBubbleBounds(), IRECT(220, 115, 300, 165));
  EXPECT_EQ(pBubble->GetArrowDir(), IBubbleControl::kEast);
  EXPECT_EQ(pBubble->GetRECT(), pBubble->GetBubbleBounds()); // a new caller: only its bubble

  // Drawn as a filled and outlined shape with the arrow's tip at the caller's edge, and the text.
  g.mLog.clear();
  pBubble->Draw(g);
  EXPECT_NE(std::find(g.mLog.begin(), g.mLog.end(), "PathLineTo 300 140"), g.mLog.end());
  EXPECT_EQ(Filter(g.mLog, "PathFill"),
            std::vector<std::string>{"PathFill (255,255,255,255) preserve blend 0"});
  EXPECT_EQ(Filter(g.mLog, "PathStroke"),
            std::vector<std::string>{"PathStroke (255,0,0,0) 2 blend 0"});
  EXPECT_EQ(Filter(g.mLog, "DrawText"), std::vector<std::string>{"DrawText 0 % 230 125 290 155"});
}

TEST_F(BubbleTest, VerticalBubbleSitsAboveOrFlipsBelow)
{
  Knob* pKnob = AttachKnob(IRECT(100, 100, 150, 150), ShowBubbleVerticalActionFunc);
  pKnob->SetDirty(true);
  EXPECT_EQ(pBubble->GetBubbleBounds(), IRECT(85, 50, 165, 100));
  EXPECT_EQ(pBubble->GetArrowDir(), IBubbleControl::kSouth);

  // Moving within the same caller keeps the old place in the redrawn bounds.
  g.SetControlPosition(pKnob, 100, 10);
  pKnob->SetDirty(true);
  EXPECT_EQ(pBubble->GetBubbleBounds(), IRECT(85, 60, 165, 110));
  EXPECT_EQ(pBubble->GetArrowDir(), IBubbleControl::kNorth);
  EXPECT_EQ(pBubble->GetRECT(), IRECT(85, 50, 165, 110));
}

TEST_F(BubbleTest, BubbleFadesOnTheClockAndStaysWhileItsCallerIsHeld)
{
  AttachKnob(IRECT(100, 100, 150, 150), ShowBubbleHorizontalActionFunc);
  g.OnMouseDown({Point(125, 125, IMouseMod(true))});
  g.OnMouseDrag({Point(125, 115, IMouseMod(true), 0, -10)});
  EXPECT_EQ(pBubble->GetState(), IBubbleControl::kFadingIn);

  Tick(100.0);
  EXPECT_NEAR(pBubble->GetOpacity(), 0.475, 0.05);
  Tick(150.0);
  EXPECT_EQ(pBubble->GetState(), IBubbleControl::kShown);
  EXPECT_FLOAT_EQ(pBubble->GetOpacity(), 0.95f);

  // The hold ends while the knob is still held: shown on, in steps of 200 ms.
  Tick(1001.0);
  EXPECT_EQ(pBubble->GetState(), IBubbleControl::kShown);
  Tick(201.0);
  EXPECT_EQ(pBubble->GetState(), IBubbleControl::kShown);

  // A drag during the hold moves the text and keeps the state.
  g.OnMouseDrag({Point(125, 105, IMouseMod(true), 0, -10)});
  EXPECT_STREQ(pBubble->GetStr(), "40 %");
  EXPECT_EQ(pBubble->GetState(), IBubbleControl::kShown);

  g.OnMouseUp({Point(125, 105, IMouseMod(true))});
  Tick(201.0);
  EXPECT_EQ(pBubble->GetState(), IBubbleControl::kFadingOut);
  Tick(150.0);
  EXPECT_NEAR(pBubble->GetOpacity(), 0.95 * 0.25, 0.05);
  Tick(100.0);
  EXPECT_EQ(pBubble->GetState(), IBubbleControl::kHidden);
  EXPECT_TRUE(pBubble->IsHidden());
  EXPECT_EQ(pBubble->GetOpacity(), 0.f);
  EXPECT_FALSE(pBubble->GetAnimationFunction());

  // A hidden bubble is not drawn by the frame loop.
  IRECTList rects;
  rects.Add(IRECT(0, 0, 400, 300));
  g.mLog.clear();
  g.Draw(rects);
  EXPECT_TRUE(Filter(g.mLog, "DrawText").empty());
}

TEST_F(BubbleTest, EachTouchGetsItsOwnBubble)
{
  g.EnableMultiTouch(true);
  auto* pSecond = new TestBubble();
  g.AttachBubbleControl(pSecond);
  delegate.GetParam(1)->InitDouble("Other", 0.0, 0.0, 10.0, 1.0, "dB");
  AttachKnob(IRECT(0, 0, 50, 50), ShowBubbleHorizontalActionFunc, 0);
  AttachKnob(IRECT(100, 0, 150, 50), ShowBubbleHorizontalActionFunc, 1);

  const IMouseMod touch1(true, false, false, false, false, 1);
  const IMouseMod touch2(true, false, false, false, false, 2);
  g.OnMouseDown({Point(25, 25, touch1), Point(125, 25, touch2)});
  g.OnMouseDrag({Point(25, 15, touch1, 0, -10), Point(125, 15, touch2, 0, -10)});
  EXPECT_EQ(pBubble->GetTouchID(), 1u);
  EXPECT_STREQ(pBubble->GetStr(), "20 %");
  EXPECT_EQ(pSecond->GetTouchID(), 2u);
  EXPECT_STREQ(pSecond->GetStr(), "2 dB");

  // Each bubble stays with its touch.
  g.OnMouseDrag({Point(125, 5, touch2, 0, -10)});
  EXPECT_STREQ(pSecond->GetStr(), "4 dB");
  EXPECT_STREQ(pBubble->GetStr(), "20 %");
}
