// The in-window popup menu on the recording back end (text 7 points a byte wide and 14 high at
// the default size) in a 400 x 300 editor, driven through the graphics context's pointer input.
// With the default metrics a cell is the widest text + 28 wide, cells are 2 apart, and a panel
// adds 5 of padding and 10 of shadow on every side.

#include "framework/graphics/controls/IPopupMenuControl.h"
#include "framework/graphics/controls/ITextControl.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

class AgeingPopup : public Ageing<IPopupMenuControl>
{
public:
  using Ageing::Ageing;
  // Runs the three closing steps (or the opening one) to their ends.
  void Settle()
  {
    for (int i = 0; i < 3; ++i)
      Age(1000.0);
  }
};

struct PopupMenuTest : RecordingTest<>
{
  AgeingPopup* pPopup = nullptr;
  TestControl* pCaller = nullptr;
  const IRECT kAnchor{100.f, 100.f, 180.f, 120.f};

  void SetUp() override
  {
    pPopup = new AgeingPopup();
    g.AttachPopupMenuControl(pPopup);
    pCaller = static_cast<TestControl*>(g.AttachControl(new TestControl(kAnchor)));
  }
  void Open(IPopupMenu& menu, const IRECT& anchor, TestControl* pWho = nullptr)
  {
    g.CreatePopupMenu(pWho ? *pWho : *pCaller, menu, anchor);
  }
  void Hover(float x, float y) { g.OnMouseOver(x, y, IMouseMod()); }
  const IRECT& Cell(int panel, int cell) const
  {
    return pPopup->GetPanel(panel)->mCells.at(static_cast<size_t>(cell));
  }
};

} // namespace

TEST_F(PopupMenuTest, OpensCentredUnderItsAnchorOrAboveItNearTheBottom)
{
  IPopupMenu menu("", 0, false, {"Sine", "Saw", "Square"});
  Open(menu, kAnchor);
  ASSERT_TRUE(pPopup->GetExpanded());
  const IPopupMenuControl::MenuPanel* pRoot = pPopup->GetPanel(0);
  // Cells 70 x 14 (42 + 28), panel 80 x 56 with padding: centred on the anchor, right under it.
  EXPECT_EQ(pRoot->mInnerRECT, IRECT(100.f, 120.f, 180.f, 176.f));
  EXPECT_EQ(pRoot->mOuterRECT, IRECT(90.f, 110.f, 190.f, 186.f));
  EXPECT_EQ(Cell(0, 2), IRECT(105.f, 157.f, 175.f, 171.f));
  EXPECT_EQ(pPopup->GetCalloutDirection(), IPopupMenuControl::kBelow);
  Click(390.f, 290.f); // anywhere outside: nothing chosen
  EXPECT_EQ(pCaller->mEvents.back(), "selection null");
  pPopup->Settle();
  EXPECT_EQ(pPopup->GetState(), IPopupMenuControl::kCollapsed);

  // No room below: above the anchor, its bottom clear of the anchor's top.
  Open(menu, IRECT(100.f, 260.f, 180.f, 280.f));
  EXPECT_EQ(pPopup->GetCalloutDirection(), IPopupMenuControl::kAbove);
  EXPECT_EQ(pPopup->GetPanel(0)->mInnerRECT, IRECT(100.f, 194.f, 180.f, 250.f));
}

TEST_F(PopupMenuTest, ATallMenuScrollsAndItsArrowsScrollWithoutChoosing)
{
  IPopupMenu menu;
  for (int i = 0; i < 40; ++i)
    menu.AddItem((std::string("Item ") + (i < 10 ? "0" : "") + std::to_string(i)).c_str());
  Open(menu, kAnchor);
  IPopupMenuControl::MenuPanel* pPanel = pPopup->GetPanel(0);
  // (300 - 5 - (10 + 5)) / 16 = 17 rows, from the top of the bounds.
  ASSERT_EQ(pPanel->NCells(), 17);
  EXPECT_TRUE(pPanel->mScroller);
  EXPECT_EQ(Cell(0, 0).T, 15.f);
  EXPECT_FALSE(pPanel->IsUpArrow(0));
  EXPECT_TRUE(pPanel->IsDownArrow(16));

  const float down = Cell(0, 16).MH(), x = Cell(0, 16).MW();
  Hover(x, down);
  Hover(x, down + 1.f); // each move over an arrow scrolls one item
  EXPECT_EQ(pPanel->mScrollOffset, 2);
  EXPECT_TRUE(pPanel->IsUpArrow(0));
  Click(x, down);
  EXPECT_EQ(pPanel->mScrollOffset, 3);
  Click(x, Cell(0, 0).MH());
  EXPECT_EQ(pPanel->mScrollOffset, 2);
  EXPECT_TRUE(pPopup->GetExpanded()); // arrows chose nothing
  EXPECT_TRUE(pCaller->mEvents.empty());

  for (int i = 0; i < 40; ++i)
    Hover(x, down + float(i % 2)); // the offset stops where the last item shows in the last cell
  EXPECT_EQ(pPanel->mScrollOffset, 23);
  EXPECT_FALSE(pPanel->IsDownArrow(16));
  Hover(x, Cell(0, 5).MH());
  Click(x, Cell(0, 5).MH());
  EXPECT_EQ(pCaller->mEvents.back(), "selection 28");
}

TEST_F(PopupMenuTest, SubmenusAppearBesideTheirItemAndOnlyAChoiceRunsACompletion)
{
  std::vector<std::string> completions;
  IPopupMenu root("", {"Alpha"},
                  [&](IPopupMenu* pMenu)
                  {
                    completions.push_back(std::string(pMenu->GetItem(0)->GetText()) + " " +
                                          std::to_string(pMenu->GetChosenItemIdx()));
                  });
  root.AddItem("More", new IPopupMenu("", 0, false, {"Beta", "Gamma"}));
  Open(root, kAnchor);
  pPopup->Settle();

  Hover(Cell(0, 1).MW(), Cell(0, 1).MH());
  ASSERT_EQ(pPopup->NPanels(), 2);
  IPopupMenuControl::MenuPanel* pSub = pPopup->GetPanel(1);
  EXPECT_EQ(pPopup->GetState(), IPopupMenuControl::kSubMenuAppearing);
  EXPECT_EQ(pPopup->GetPanel(0)->mHighlightedCell, 1);
  EXPECT_GE(pSub->mInnerRECT.L, Cell(0, 1).R);
  EXPECT_EQ(pSub->mInnerRECT.T, Cell(0, 1).T - 5.f);
  pPopup->Age(170.0);
  EXPECT_EQ(pSub->mBlend.mWeight, 0.f);
  pPopup->Age(20.0); // past 180 of its 200 ms
  EXPECT_FLOAT_EQ(pSub->mBlend.mWeight, 0.95f);

  Hover(Cell(0, 0).MW(), Cell(0, 0).MH()); // an item without a submenu hides it
  EXPECT_FALSE(pSub->mShouldDraw);
  Hover(Cell(0, 1).MW(), Cell(0, 1).MH());
  EXPECT_TRUE(pSub->mShouldDraw);
  EXPECT_EQ(pPopup->NPanels(), 2); // shown again, not made again
  Hover(Cell(1, 1).MW(), Cell(1, 1).MH());
  EXPECT_EQ(pPopup->GetActivePanel(), pSub);
  Click(Cell(1, 1).MW(), Cell(1, 1).MH());
  EXPECT_EQ(completions, std::vector<std::string>{"Beta 1"});
  EXPECT_EQ(pCaller->mEvents.back(), "selection 1");
  pPopup->Settle();

  // Dismissed, or a press on an item that opens a submenu: no completion runs.
  Open(root, kAnchor);
  Click(390.f, 290.f);
  pPopup->Settle();
  Open(root, kAnchor);
  Hover(Cell(0, 1).MW(), Cell(0, 1).MH());
  Click(Cell(0, 1).MW(), Cell(0, 1).MH());
  EXPECT_EQ(completions.size(), 1u);
  EXPECT_EQ(pCaller->mEvents.back(), "selection null");
}

TEST_F(PopupMenuTest, ARequestWhileOpenOrClosingIsAnsweredWithNoSelection)
{
  IPopupMenu first("", 0, false, {"One", "Two"});
  IPopupMenu second("", 0, false, {"Three"});
  auto* pOther = static_cast<TestControl*>(g.AttachControl(new TestControl(IRECT(0, 0, 10, 10))));
  Open(first, kAnchor);
  Open(second, kAnchor, pOther);
  EXPECT_EQ(pOther->mEvents, std::vector<std::string>{"selection null"});
  EXPECT_EQ(pPopup->GetPanel(0)->mMenu, &first); // the open menu keeps its model

  Hover(Cell(0, 1).MW(), Cell(0, 1).MH());
  Click(Cell(0, 1).MW(), Cell(0, 1).MH());
  EXPECT_EQ(pCaller->mEvents.back(), "selection 1");
  EXPECT_TRUE(pPopup->IsHidden()); // gone at once
  Open(second, kAnchor, pOther);   // still closing
  EXPECT_EQ(pOther->mEvents.size(), 2u);
  pPopup->Settle();
  Open(second, kAnchor, pOther);
  EXPECT_EQ(pPopup->GetPanel(0)->mMenu, &second);

  IPopupMenu empty;
  pPopup->CancelPopupMenu();
  Open(empty, kAnchor);
  EXPECT_EQ(pCaller->mEvents.back(), "selection null");
}

TEST_F(PopupMenuTest, ChecksNumbersSeparatorsAndDisabledItemsAreShownAsSuch)
{
  IPopupMenu menu("", 2, false, {"Sine", "Saw"});
  menu.GetItem(0)->SetChecked(true);
  menu.GetItem(1)->SetEnabled(false);
  menu.AddItem(new IPopupMenu::Item("", IPopupMenu::Item::kSeparator));
  menu.AddItem("Square");
  Open(menu, kAnchor);
  // "04: Square" is the widest: 70 + 28; the separator's cell is 2 high.
  EXPECT_EQ(Cell(0, 0).W(), 98.f);
  EXPECT_EQ(Cell(0, 2).H(), 2.f);

  pPopup->Age(50.0); // half faded in: no separator yet
  EXPECT_TRUE(Drawn(pPopup, "PathFill (255,200,200,200)").empty());
  pPopup->Settle();
  EXPECT_EQ(Drawn(pPopup, "DrawText"),
            (std::vector<std::string>{"DrawText 01: Sine 106 125 184 139",
                                      "DrawText 02: Saw 106 141 184 155",
                                      "DrawText 04: Square 106 161 184 175"}));
  EXPECT_EQ(Filter(g.mLog, "PathFill (255,200,200,200) blend 0.25").size(), 1u); // separator
  EXPECT_EQ(Filter(g.mLog, "PathStroke (255,0,0,0)").size(), 1u);                // the tick

  // A disabled item is never highlighted and never chosen.
  Hover(Cell(0, 1).MW(), Cell(0, 1).MH());
  EXPECT_EQ(pPopup->GetMouseCell(), -1);
  Click(Cell(0, 1).MW(), Cell(0, 1).MH());
  EXPECT_EQ(pCaller->mEvents.back(), "selection null");
}

TEST_F(PopupMenuTest, BoundsFollowTheWindowAndFixedBoundsShapeTheRootOnly)
{
  g.Resize(600, 400, 1.f);
  IPopupMenu menu("", 0, false, {"A", "B"});
  Open(menu, kAnchor);
  EXPECT_EQ(pPopup->GetMaxBounds(), IRECT(0.f, 0.f, 600.f, 400.f));
  Click(590.f, 390.f);
  pPopup->Settle();

  g.RemovePopupMenuControl();
  pPopup = new AgeingPopup(kNoParameter, DEFAULT_TEXT, IRECT(), IRECT(20.f, 20.f, 120.f, 200.f));
  g.AttachPopupMenuControl(pPopup);
  IPopupMenu root("", 0, false, {"Plain"});
  root.AddItem("More", new IPopupMenu("", 0, false, {"Inner"}));
  Open(root, kAnchor);
  EXPECT_EQ(pPopup->GetPanel(0)->mInnerRECT, IRECT(15.f, 15.f, 125.f, 205.f));
  Hover(Cell(0, 1).MW(), Cell(0, 1).MH());
  ASSERT_EQ(pPopup->NPanels(), 2);
  const IRECT& sub = pPopup->GetPanel(1)->mInnerRECT;
  EXPECT_GE(sub.L, Cell(0, 1).R);
  EXPECT_LT(sub.H(), 30.f); // its own size: one cell
}

TEST_F(PopupMenuTest, ColumnsAndRowsNeverDivideByZero)
{
  pPopup->SetScrollable(false);
  pPopup->SetItemsPerColumn(2);
  IPopupMenu menu("", 0, false, {"a", "b", "c", "d", "e"});
  Open(menu, kAnchor);
  // A column every two items from the third on.
  EXPECT_EQ(Cell(0, 2).L, Cell(0, 0).L + Cell(0, 0).W() + 2.f);
  EXPECT_EQ(Cell(0, 2).T, Cell(0, 0).T);
  EXPECT_EQ(Cell(0, 4).L, Cell(0, 2).L + Cell(0, 0).W() + 2.f);
  g.CancelPrompts();

  // Texts that measure nothing, no gap, and bounds with no room for a single row.
  IPopupMenuControl::Metrics metrics;
  metrics.cellGap = 0.f;
  pPopup->SetMetrics(metrics);
  pPopup->SetScrollable(true);
  pPopup->SetItemsPerColumn(0);
  pPopup->SetMaxBounds(IRECT(0.f, 0.f, 400.f, 20.f));
  IPopupMenu blank("", 0, false, {"", "", ""});
  Open(blank, IRECT(10.f, 5.f, 20.f, 10.f));
  ASSERT_EQ(pPopup->NPanels(), 1);
  EXPECT_EQ(pPopup->GetPanel(0)->NCells(), 0);
  Click(5.f, 5.f);
  EXPECT_EQ(pCaller->mEvents.back(), "selection null");
}

TEST_F(PopupMenuTest, AMenuChoiceReachesThePluginInsideOneGestureAndClosingEndsARequest)
{
  delegate.GetParam(0)->InitEnum("Mode", 0, {"Sine", "Saw", "Square"});
  g.AttachControl(new ICaptionControl(IRECT(100.f, 200.f, 180.f, 220.f), 0));
  Click(140.f, 210.f);
  ASSERT_TRUE(pPopup->GetExpanded());
  Hover(Cell(0, 2).MW(), Cell(0, 2).MH());
  Click(Cell(0, 2).MW(), Cell(0, 2).MH());
  EXPECT_EQ(delegate.GetParam(0)->Value(), 2.0);
  EXPECT_EQ(delegate.mHostLog, (std::vector<std::string>{"begin 0", "value 0 1", "end 0"}));
  pPopup->Settle();

  // The asking control removed while its menu is open: the menu closes and shows nothing more.
  IPopupMenu menu("", 0, false, {"A"});
  Open(menu, kAnchor);
  g.RemoveControl(pCaller);
  EXPECT_EQ(pPopup->GetState(), IPopupMenuControl::kCollapsed);
  EXPECT_EQ(pPopup->NPanels(), 0);

  // The editor closing with a menu open ends the request and its gesture.
  delegate.mHostLog.clear();
  Click(140.f, 210.f);
  g.CancelPrompts();
  EXPECT_EQ(delegate.mHostLog, (std::vector<std::string>{"begin 0", "end 0"}));
  EXPECT_FALSE(pPopup->GetExpanded());
}
