#include "framework/graphics/controls/IVectorBase.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

class VControl : public IControl, public IVectorBase
{
public:
  VControl(const IRECT& bounds, const char* label, const IVStyle& style = DEFAULT_STYLE,
           bool labelInWidget = false, bool valueInWidget = false)
    : IControl(bounds), IVectorBase(style, labelInWidget, valueInWidget)
  {
    AttachIControl(this, label);
  }

  void Draw(IGraphics& g) override
  {
    DrawPressableShape(g, mShape, mWidgetBounds, mPressed, GetMouseIsOver(), IsDisabled());
  }
  void OnResize() override { SetTargetRECT(MakeRects(mRECT, mHasHandle)); }

  bool mPressed = false;
  bool mHasHandle = false;
};

// Label text 10 points a character and 20 high; value text 5 a character and 10 high.
IVStyle MeasuredStyle()
{
  IVStyle style = DEFAULT_STYLE;
  style.labelText.mSize = 20.f;
  style.valueText.mSize = 10.f;
  return style;
}

struct VectorBaseTest : ::testing::Test
{
  TestDelegate delegate;
  RecordingGraphics g{delegate};

  VControl* Attach(VControl* pControl)
  {
    g.AttachControl(pControl);
    return pControl;
  }
};

} // namespace

TEST_F(VectorBaseTest, MakeRectsCutsTheLabelAndPlacesTheValue)
{
  auto* pControl = new VControl(IRECT(0, 0, 100, 120), "abcd", MeasuredStyle());
  pControl->SetValueStr("abcdef");
  Attach(pControl);
  ExpectRect(pControl->GetLabelBounds(), IRECT(30, 0, 70, 20));
  ExpectRect(pControl->GetTargetRECT(), IRECT(0, 20, 100, 120));
  // The value rectangle is 1.32 times the text's width, on the bottom of the area.
  ExpectRect(pControl->GetValueBounds(), IRECT(30.2f, 110, 69.8f, 120));
  ExpectRect(pControl->GetWidgetBounds(), IRECT(0, 20, 100, 110));

  IVStyle middle = MeasuredStyle();
  middle.valueText.mVAlign = EVAlign::kMiddle;
  middle.widgetFrac = 0.5f;
  pControl->SetStyle(middle);
  pControl->OnResize();
  ExpectRect(pControl->GetValueBounds(), IRECT(30.2f, 65, 69.8f, 75));
  ExpectRect(pControl->GetWidgetBounds(), IRECT(25, 45, 75, 95));
}

TEST_F(VectorBaseTest, LabelStripEdgeCases)
{
  auto* pNoLabel = Attach(new VControl(IRECT(0, 0, 100, 100), "", MeasuredStyle()));
  EXPECT_TRUE(pNoLabel->GetLabelBounds().Empty());
  EXPECT_EQ(pNoLabel->GetTargetRECT(), IRECT(0, 0, 100, 100));

  IVStyle tiny = MeasuredStyle();
  tiny.labelText.mSize = 0.1f;
  tiny.labelSide = ELabelSide::kLeft;
  auto* pTiny = Attach(new VControl(IRECT(0, 0, 100, 100), "a", tiny));
  EXPECT_FLOAT_EQ(pTiny->GetLabelBounds().W(), 1.f); // at least one point wide
  EXPECT_FLOAT_EQ(pTiny->GetTargetRECT().L, 1.f);

  IVStyle bad = MeasuredStyle();
  bad.labelSide = static_cast<ELabelSide>(7);
  auto* pBad = Attach(new VControl(IRECT(0, 0, 100, 100), "abcd", bad));
  EXPECT_TRUE(pBad->GetLabelBounds().Empty());
  EXPECT_EQ(pBad->GetTargetRECT(), IRECT(0, 0, 100, 100));

  auto* pInWidget =
    Attach(new VControl(IRECT(0, 0, 100, 100), "abcd", MeasuredStyle(), true, true));
  EXPECT_EQ(pInWidget->GetLabelBounds(), pInWidget->GetWidgetBounds());
  EXPECT_EQ(pInWidget->GetValueBounds(), pInWidget->GetWidgetBounds());
}

TEST_F(VectorBaseTest, HandleLeavesRoomForFrameAndShadow)
{
  IVStyle style = DEFAULT_STYLE;
  style.showLabel = false;
  auto* pControl = new VControl(IRECT(10, 20, 110, 120), "", style);
  pControl->mHasHandle = true;
  Attach(pControl);
  ExpectRect(pControl->GetWidgetBounds(), IRECT(13.5f, 20.5f, 106.5f, 116.5f));
}

TEST_F(VectorBaseTest, DisabledShapesAreShadedButNotTheirHighlight)
{
  IVStyle style = DEFAULT_STYLE;
  style.showLabel = style.showValue = false;
  auto* pControl = Attach(new VControl(IRECT(0, 0, 40, 20), "", style));
  pControl->SetDisabled(true);
  pControl->OnMouseOver(5, 5, IMouseMod());
  g.mLog.clear();
  pControl->Draw(g);
  const std::vector<std::string> fills = Filter(g.mLog, "PathFill");
  // Shadow (kSH, not shaded), body (kFG - 63), mouse-over (kHL, not shaded).
  EXPECT_EQ(fills, (std::vector<std::string>{"PathFill (60,0,0,0) blend 0.25",
                                             "PathFill (255,137,137,137) blend 1",
                                             "PathFill (10,0,0,0) blend 0.25"}));
  EXPECT_EQ(Filter(g.mLog, "PathStroke"),
            std::vector<std::string>{"PathStroke (255,70,70,70) 1 blend 0.25"});

  // A disabled ellipse draws no drop shadow; shading never goes below 0.
  pControl->SetShape(EVShape::kEllipse);
  pControl->SetColor(kFG, IColor(255, 10, 100, 200));
  g.mLog.clear();
  pControl->Draw(g);
  EXPECT_EQ(Filter(g.mLog, "PathFill").front(), "PathFill (255,0,37,137) blend 1");
}

TEST_F(VectorBaseTest, RoundnessOneGivesFullyRoundedEnds)
{
  IVStyle style = DEFAULT_STYLE;
  style.drawFrame = style.drawShadows = style.showLabel = style.showValue = false;
  style.roundness = 1.f;
  auto* pControl = Attach(new VControl(IRECT(0, 0, 100, 20), "", style));
  g.mLog.clear();
  pControl->Draw(g);
  EXPECT_EQ(Filter(g.mLog, "PathArc").front(), "PathArc 10 10 10 270 360");

  pControl->SetShape(EVShape::kTopRounded);
  g.mLog.clear();
  pControl->Draw(g);
  EXPECT_EQ(Filter(g.mLog, "PathArc")[2], "PathArc 100 20 0 90 180"); // bottom corners square
}

TEST_F(VectorBaseTest, SplashGrowsFromTheMouseDownPointAndIsClipped)
{
  IVStyle style = DEFAULT_STYLE;
  style.showLabel = style.showValue = false;
  auto* pControl = Attach(new VControl(IRECT(0, 0, 100, 100), "", style));
  pControl->SetActionFunction(SplashClickActionFunc);
  g.OnMouseDown({Point(30, 40, IMouseMod(true))});
  pControl->SetDirty(true);
  float x = 0.f, y = 0.f;
  pControl->GetSplashPoint(x, y);
  EXPECT_EQ(x, 30.f);
  EXPECT_EQ(y, 40.f);

  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (pControl->GetAnimationProgress() < 0.9) // unless the machine stalled
  {
    pControl->Animate();
    EXPECT_GT(pControl->GetSplashRadius(), 0.f);
    EXPECT_LT(pControl->GetSplashRadius(), 50.f);
  }

  // Drawn while the splash runs (a long one here, so the clock cannot end it early).
  pControl->SetAnimation(SplashAnimationFunc, 1e9);
  pControl->mPressed = true;
  g.PrepareRegion(IRECT(0, 0, 400, 300));
  g.mLog.clear();
  pControl->Draw(g);
  // The rectangle's splash is clipped to its handle, then the clip is the region again.
  EXPECT_EQ(
    Filter(g.mLog, "SetClipRegion"),
    (std::vector<std::string>{"SetClipRegion 3.5 0.5 96.5 96.5", "SetClipRegion 0 0 400 300"}));

  pControl->SetShape(EVShape::kTriangle);
  g.mLog.clear();
  pControl->Draw(g);
  EXPECT_EQ(Filter(g.mLog, "SetClipRegion"),
            (std::vector<std::string>{"SetClipRegion 0 0 400 300", "SetClipRegion 0 0 400 300"}));

  pControl->SetAnimation(SplashAnimationFunc, 1.0);
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  pControl->Animate();
  EXPECT_FALSE(pControl->GetAnimationFunction());
}
