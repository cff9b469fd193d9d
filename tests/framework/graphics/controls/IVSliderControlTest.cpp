// Vector sliders and track controls on the recording back end.

#include "framework/graphics/controls/IVSliderControl.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

// The track base drawn as its tracks alone; each filled part is logged as a FillRect.
class Tracks : public IVTrackControlBase
{
public:
  using IVTrackControlBase::IVTrackControlBase;
  void Draw(IGraphics& g) override { DrawWidget(g); }
  std::vector<IRECT> mHandles;
  std::vector<IRECT> mPeaks;
  void DrawTrackHandle(IGraphics&, const IRECT& r, int, bool) override { mHandles.push_back(r); }
  void DrawPeak(IGraphics&, const IRECT& r, int, bool) override { mPeaks.push_back(r); }
};

using VSliderTest = RecordingTest<>;

} // namespace

TEST_F(VSliderTest, SliderJumpsToThePointerThenDragsWithItsGearing)
{
  // A horizontal track from 8 to 192 (the widget less the 8-point handle at each end).
  auto* pSlider = Attach(
    new IVSliderControl(IRECT(0, 0, 200, 40), 0, "", BareStyle(), false, EDirection::kHorizontal));
  EXPECT_EQ(pSlider->GetTrackBounds(), IRECT(8, 18, 192, 22));
  EXPECT_EQ(pSlider->GetHandleBounds(), IRECT(0, 12, 16, 28)); // value 0: centre on the left end

  g.OnMouseDown({Point(100, 20, IMouseMod(true))});
  EXPECT_DOUBLE_EQ(pSlider->GetValue(), 0.5);
  // Dragged with the pointer hidden: 184 points (the track) move 1 / gearing 4.
  g.OnMouseDrag({Point(100, 20, IMouseMod(true), 184, 0)});
  g.OnMouseUp({Point(100, 20, IMouseMod(true))});
  EXPECT_DOUBLE_EQ(pSlider->GetValue(), 0.75);
  EXPECT_EQ(delegate.mHostLog, (std::vector<std::string>{"begin 0", "value 0 0.5", "value 0 0.75",
                                                         "value 0 0.75", "end 0"}));
}

TEST_F(VSliderTest, EditableValueTextPromptsAndIsHighlighted)
{
  delegate.GetParam(1)->InitDouble("Level", 50.0, 0.0, 100.0, 1.0, "%");
  IVStyle style = DEFAULT_STYLE;
  style.showLabel = false;
  auto* pEditable = Attach(new IVSliderControl(IRECT(0, 0, 40, 200), 1, "", style, true));
  auto* pFixed = Attach(new IVSliderControl(IRECT(100, 0, 140, 200), 1, "", style, false));
  const IRECT v = pEditable->GetValueBounds();
  EXPECT_STREQ(pEditable->GetValueStr(), "50 %");
  pEditable->OnMouseOver(v.MW(), v.MH(), IMouseMod());
  EXPECT_TRUE(pEditable->GetValueMouseOver());
  Click(v.MW(), v.MH());
  ASSERT_EQ(g.mTextEntries.size(), 1u);
  EXPECT_EQ(g.mTextEntries[0].str, "50");

  const IRECT fv = pFixed->GetValueBounds();
  EXPECT_FALSE(pFixed->IsHit(fv.MW(), fv.MH()));
  pFixed->OnMouseOver(fv.MW(), fv.MH(), IMouseMod());
  EXPECT_FALSE(pFixed->GetValueMouseOver());
}

TEST_F(VSliderTest, TracksStepsAndBaseLevel)
{
  // Three vertical tracks in a 90-point widget: 30 wide each; a gap of 2 takes 2 from the right
  // and the bottom.
  auto* pTracks = Attach(new Tracks(IRECT(0, 0, 90, 100), "", BareStyle(), {0, 1, 2}, 4));
  EXPECT_EQ(pTracks->GetTrackBounds(1), IRECT(30, 0, 60, 100));
  pTracks->SetTrackGap(2.f);
  EXPECT_EQ(pTracks->GetTrackBounds(1), IRECT(30, 0, 58, 98));
  pTracks->SetTrackGap(0.f);

  // Four steps with a cell for zero: five cells of 20; at 0 the bottom cell shows.
  EXPECT_EQ(pTracks->GetStepRects().size(), 5u);
  pTracks->Draw(g);
  EXPECT_EQ(pTracks->mHandles.front(), IRECT(0, 80, 30, 100));
  EXPECT_TRUE(pTracks->mPeaks.empty());
  pTracks->SetZeroStepCell(false);
  pTracks->mHandles.clear();
  pTracks->Draw(g);
  EXPECT_TRUE(pTracks->mHandles.empty());

  // No steps, a base level of 0.5 and a value of 0.2: filled from 0.2 to 0.5, peak at 0.2.
  auto* pLevel =
    Attach(new Tracks(IRECT(0, 0, 100, 20), "", BareStyle(), {3}, 0, EDirection::kHorizontal));
  pLevel->SetBaseLevel(0.5);
  pLevel->SetValue(0.2);
  pLevel->Draw(g);
  EXPECT_EQ(pLevel->mHandles.front(), IRECT(20, 0, 50, 20));
  EXPECT_EQ(pLevel->mPeaks.front(), IRECT(20, 0, 21, 20));
  EXPECT_EQ(pLevel->GetValIdxForPos(50, 10), 0);
  EXPECT_EQ(pLevel->GetValIdxForPos(50, 30), -1);
}

TEST_F(VSliderTest, RangeSliderHandlesStayBetweenTheirNeighbours)
{
  auto* pRange = Attach(new IVRangeSliderControl(IRECT(0, 0, 216, 40), {4, 5}, "", BareStyle(),
                                                 EDirection::kHorizontal, false, 8.f, 2.f));
  pRange->SetValue(0.25, 0);
  pRange->SetValue(0.75, 1);
  pRange->SetDirty(true); // the parameters hold the values too
  delegate.mHostLog.clear();
  // Even handles below the track, odd ones above it.
  const IRECT lo = pRange->GetHandleBounds(0);
  const IRECT hi = pRange->GetHandleBounds(1);
  EXPECT_GT(lo.T, pRange->GetTrackBounds(0).B);
  EXPECT_LT(hi.B, lo.T);

  // The low handle dragged far right stops at the high one's value.
  Drag(lo.MW(), lo.MH(), 150, 0);
  EXPECT_DOUBLE_EQ(pRange->GetValue(0), 0.75);
  EXPECT_DOUBLE_EQ(pRange->GetValue(1), 0.75);
  EXPECT_EQ(delegate.mHostLog.front(), "begin 4");
  EXPECT_EQ(delegate.mHostLog[1], "begin 5");
  EXPECT_EQ(delegate.mHostLog.back(), "end 5");
  EXPECT_EQ(std::count(delegate.mHostLog.begin(), delegate.mHostLog.end(), "end 4"), 1);
}
