// The operator tab strip on the recording back end: one operator's controls shown at a time,
// clicks on the tab pictures switching them, hidden controls neither drawn nor clicked.

#include "instrument/editor/controls/ITabStripControl2.h"
#include "tests/instrument/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

// The layout's tab pictures reach below the strip's bottom edge (63); every operator's knob sits
// at the same place.
const IRECT kTabs[4] = {IRECT(382, 43, 408, 70), IRECT(409, 43, 435, 70), IRECT(436, 43, 462, 70),
                        IRECT(463, 43, 489, 70)};
const IRECT kKnob(203, 71, 267, 151);

TEST(OperatorTabs, ShowOneOperatorAtATimeWhoseControlsAloneDrawAndTakeClicks)
{
  TestDelegate delegate;
  ITabStripControl2* strip = nullptr;
  TestControl* knobs[4] = {};
  IGraphics* g =
    OpenEditor(delegate,
               [&](IGraphics& graphics)
               {
                 graphics.AttachPanelBackground(IPattern(COLOR_BLACK));
                 strip = new ITabStripControl2(IRECT(12, 42, 491, 63));
                 for (int op = 0; op < 4; ++op)
                 {
                   auto* pPanel = new ITabPanel(COLOR_GRAY, IRECT(12, 63, 491, 63));
                   pPanel->Add(graphics.AttachControl(knobs[op] = new TestControl(kKnob, op)));
                   strip->AddTab(pPanel, ISVG(), ISVG(), kTabs[op]);
                 }
                 graphics.AttachControl(new TestControl(IRECT(20, 169, 483, 190)));
                 strip->SelectTab(0);
                 graphics.AttachControl(strip, 1);
               });
  auto click = [&](float x, float y)
  {
    g->OnMouseDown({Point(x, y)});
    g->OnMouseUp({Point(x, y)});
  };
  // Which operators' knobs are shown, and which one a click on their place reaches.
  auto state = [&]
  {
    std::string out;
    for (TestControl* pKnob : knobs)
      out += pKnob->IsHidden() ? '-' : static_cast<char>('A' + pKnob->GetParamIdx());
    for (TestControl* pKnob : knobs)
      pKnob->mEvents.clear();
    click(kKnob.MW(), kKnob.MH());
    for (TestControl* pKnob : knobs)
      if (!pKnob->mEvents.empty())
        out += std::string(" click ") + static_cast<char>('A' + pKnob->GetParamIdx());
    return out;
  };

  EXPECT_EQ(state(), "A--- click A"); // D's knob lies on top, hidden
  click(kTabs[2].MW(), 50.f);
  EXPECT_EQ(state(), "--C- click C");
  EXPECT_TRUE(strip->GetPanel(0)->mHidden && !strip->GetPanel(2)->mHidden);
  auto& log = static_cast<RecordingGraphics*>(g)->mLog;
  log.clear();
  g->Draw(g->GetBounds(), 1.f);
  EXPECT_EQ(Filter(log, "DrawText").size(), 2u); // C's knob and the label outside the panels

  // The selected tab, a gap between pictures and a picture below the strip change nothing and
  // redraw nothing.
  g->SetAllControlsClean();
  for (const IRECT& miss :
       {IRECT(kTabs[2].MW(), 50, 0, 0), IRECT(408.5f, 50, 0, 0), IRECT(470, 66, 0, 0)})
    click(miss.L, miss.T);
  EXPECT_EQ(strip->GetSelectedIdx(), 2);
  EXPECT_FALSE(strip->IsDirty());

  // A tab without a rectangle is never hit; beyond the last tab selects the last, a negative
  // index none.
  strip->AddTab(new ITabPanel(COLOR_GRAY, IRECT()), ISVG(), ISVG(), IRECT());
  strip->OnMouseDown(0.f, 0.f, IMouseMod());
  EXPECT_EQ(strip->GetSelectedIdx(), 2);
  strip->SelectTab(9);
  EXPECT_EQ(strip->GetSelectedIdx(), 4);
  strip->SelectTab(-1);
  EXPECT_EQ(state(), "----");
}

} // namespace
