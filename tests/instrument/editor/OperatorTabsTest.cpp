// The operator tab strip and the section frames on the recording back end: one operator's
// controls shown at a time, clicks on the tab pictures switching them, hidden controls taking
// no clicks, and what a frame draws.

#include "instrument/editor/controls/ITabStripControl2.h"
#include "tests/instrument/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

const IRECT kStrip(12.f, 42.f, 491.f, 63.f);
// The tab pictures of the layout: they reach below the strip's bottom edge (63).
const IRECT kTabs[4] = {IRECT(382.f, 43.f, 408.f, 70.f), IRECT(409.f, 43.f, 435.f, 70.f),
                        IRECT(436.f, 43.f, 462.f, 70.f), IRECT(463.f, 43.f, 489.f, 70.f)};
// Every operator's knob sits at the same place, as in the layout.
const IRECT kKnob(203.f, 71.f, 267.f, 151.f);
const IRECT kLabel(20.f, 169.f, 483.f, 190.f);

struct TabsFixture : ::testing::Test
{
  TestDelegate mDelegate;
  ITabStripControl2* mStrip = nullptr;
  TestControl* mKnobs[4] = {};
  TestControl* mLabel = nullptr;
  IGraphics* mGraphics =
    OpenEditor(mDelegate,
               [this](IGraphics& g)
               {
                 // The background first, as in the layout: the control at index 0 is drawn
                 // even when hidden.
                 g.AttachPanelBackground(IPattern(COLOR_BLACK));
                 mStrip = new ITabStripControl2(kStrip);
                 for (int op = 0; op < 4; ++op)
                 {
                   auto* pPanel = new ITabPanel(COLOR_GRAY, IRECT(12, 63, 491, 63));
                   mKnobs[op] = new TestControl(kKnob, op, "knob");
                   pPanel->Add(g.AttachControl(mKnobs[op]));
                   mStrip->AddTab(pPanel, ISVG(), ISVG(), kTabs[op]);
                 }
                 mLabel = static_cast<TestControl*>(
                   g.AttachControl(new TestControl(kLabel, kNoParameter, "ENVELOPE")));
                 mStrip->SelectTab(0);
                 g.AttachControl(mStrip, 1);
               });

  void Click(float x, float y)
  {
    mGraphics->OnMouseDown({Point(x, y)});
    mGraphics->OnMouseUp({Point(x, y)});
  }
  // Which operator's knob takes a click on the knobs' place (-1: none).
  int KnobTakingClicks()
  {
    for (TestControl* pKnob : mKnobs)
      pKnob->mEvents.clear();
    Click(kKnob.MW(), kKnob.MH());
    for (int op = 0; op < 4; ++op)
      if (!mKnobs[op]->mEvents.empty())
        return op;
    return -1;
  }
  std::string Shown()
  {
    std::string shown;
    for (int op = 0; op < 4; ++op)
      shown += mKnobs[op]->IsHidden() ? '-' : static_cast<char>('A' + op);
    return shown;
  }
};

TEST_F(TabsFixture, ShowsOneOperatorAtATimeAndOnlyItsControlsTakeClicks)
{
  EXPECT_EQ(Shown(), "A---");
  // Operator D's knob lies on top of A's, but hidden: the click reaches A's.
  EXPECT_EQ(KnobTakingClicks(), 0);

  Click(kTabs[2].MW(), kTabs[2].MH() - 8.f);
  EXPECT_EQ(mStrip->GetSelectedIdx(), 2);
  EXPECT_EQ(Shown(), "--C-");
  EXPECT_EQ(KnobTakingClicks(), 2);
  EXPECT_TRUE(mStrip->GetPanel(0)->mHidden);
  EXPECT_FALSE(mStrip->GetPanel(2)->mHidden);
  EXPECT_FALSE(mLabel->IsHidden()); // outside the panels: always shown

  // Not drawn either: only C's knob and the label draw their names in a full frame.
  auto& log = static_cast<RecordingGraphics*>(mGraphics)->mLog;
  log.clear();
  mGraphics->Draw(mGraphics->GetBounds(), 1.f);
  EXPECT_EQ(Filter(log, "DrawText").size(), 2u);
}

TEST_F(TabsFixture, ClicksThatSelectNothingChangeNothingAndRedrawNothing)
{
  IRECTList dirty;
  mGraphics->IsDirty(dirty);
  mGraphics->SetAllControlsClean();

  Click(kTabs[0].MW(), kTabs[0].MH() - 8.f); // the selected tab
  Click(kTabs[1].L - 0.5f, 50.f);            // between two pictures
  Click(kTabs[3].MW(), 66.f);                // on D's picture, but below the strip
  EXPECT_EQ(mStrip->GetSelectedIdx(), 0);
  EXPECT_FALSE(mStrip->IsDirty());

  // A tab without a rectangle is never hit; indexes beyond the last select the last one, a
  // negative one hides every panel.
  mStrip->AddTab(new ITabPanel(COLOR_GRAY, IRECT()), ISVG(), ISVG(), IRECT());
  mStrip->OnMouseDown(0.f, 0.f, IMouseMod());
  EXPECT_EQ(mStrip->GetSelectedIdx(), 0);
  mStrip->SelectTab(9);
  EXPECT_EQ(mStrip->GetSelectedIdx(), 4);
  EXPECT_EQ(Shown(), "----");
  mStrip->SelectTab(1);
  EXPECT_EQ(Shown(), "-B--");
  mStrip->SelectTab(-1);
  EXPECT_EQ(Shown(), "----");
  EXPECT_EQ(KnobTakingClicks(), -1);
}

TEST(FrameLabel, DrawsABoxWithATitleBarThatCarriesTheTitle)
{
  TestDelegate delegate;
  IFrameLabelControl* frames[3] = {};
  IGraphics* g = OpenEditor(
    delegate,
    [&](IGraphics& graphics)
    {
      const IText title(20.f, COLOR_WHITE);
      const IColor frame(255, 15, 15, 15), bg(255, 50, 50, 50);
      frames[0] =
        new IFrameLabelControl(IRECT(12, 42, 491, 325), "OPERATOR", title, 21.f, frame, bg);
      frames[1] = new IFrameLabelControl(IRECT(12, 337, 190, 490), "", title, 21.f, frame, bg);
      frames[2] =
        new IFrameLabelControl(IRECT(681, 502, 999, 589), "", title, 21.f, frame, bg, false);
      for (IFrameLabelControl* pFrame : frames)
        graphics.AttachControl(pFrame);
    });
  auto& log = static_cast<RecordingGraphics*>(g)->mLog;
  EXPECT_EQ(frames[0]->GetTitleBarRECT(), IRECT(12, 42, 491, 63));
  for (int i = 0; i < 3; ++i)
  {
    log.clear();
    g->DrawControl(frames[i], g->GetBounds(), 1.f);
    const size_t fills = Filter(log, "PathFill").size();
    const auto texts = Filter(log, "DrawText");
    // Box and bar; the bare bar; the box alone.
    EXPECT_EQ(fills, i < 2 ? 2u : 1u) << i;
    EXPECT_EQ(texts.size(), i == 0 ? 1u : 0u) << i;
  }
  // The title in the bar.
  log.clear();
  g->DrawControl(frames[0], g->GetBounds(), 1.f);
  EXPECT_EQ(Filter(log, "DrawText")[0], "DrawText OPERATOR 12 42 491 63");
}

} // namespace
