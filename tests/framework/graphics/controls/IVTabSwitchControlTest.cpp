// Vector tab switches, radio buttons and menu buttons on the recording back end.

#include "framework/graphics/controls/IVTabSwitchControl.h"
#include "framework/graphics/controls/IVButtonControl.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

// The corner radii of the first pressable rectangle drawn, in the order the path takes them.
std::vector<std::string> Radii(const std::vector<std::string>& log)
{
  std::vector<std::string> radii;
  for (const std::string& line : Filter(log, "PathArc"))
  {
    std::vector<std::string> parts;
    size_t start = 0, end = 0;
    while ((end = line.find(' ', start)) != std::string::npos)
      parts.push_back(line.substr(start, end - start)), start = end + 1;
    radii.push_back(parts[3]);
    if (radii.size() == 4)
      break;
  }
  return radii;
}

using VTabTest = RecordingTest<>;

} // namespace

TEST_F(VTabTest, TabsTakeTheParametersTextsAndSelectTheClickedOne)
{
  delegate.GetParam(2)->InitEnum("Wave", 0, 4, "", 0, "", "Sine", "Saw", "Square", "Noise");
  auto* pTabs = Attach(new IVTabSwitchControl(IRECT(0, 0, 200, 30), 2, {}, "", FlatStyle(1.f)));
  EXPECT_EQ(pTabs->GetButtonBounds(2), IRECT(100, 0, 150, 30)); // four, from the parameter
  Click(120, 15);
  EXPECT_DOUBLE_EQ(pTabs->GetValue(), 2.0 / 3.0);
  EXPECT_STREQ(pTabs->GetSelectedLabelStr(), "Square");
  EXPECT_EQ(delegate.mHostLog, (std::vector<std::string>{"begin 2", "value 2 0.666667", "end 2"}));

  // The hovered button follows the pointer and is gone once it leaves.
  pTabs->OnMouseOver(10, 15, IMouseMod());
  EXPECT_EQ(pTabs->GetHoveredButton(), 0);
  pTabs->OnMouseOver(190, 15, IMouseMod());
  EXPECT_EQ(pTabs->GetHoveredButton(), 3);
  pTabs->OnMouseOut();
  EXPECT_EQ(pTabs->GetHoveredButton(), -1);
}

TEST_F(VTabTest, SingleTabIsTheLastSegmentAndSendsZero)
{
  auto* pOne = Attach(new IVTabSwitchControl(IRECT(0, 0, 100, 30), nullptr, {"Only"}, "",
                                             FlatStyle(1.f), EVShape::kTopRounded));
  pOne->SetParamIdx(5);
  Click(50, 15);
  EXPECT_EQ(pOne->GetValue(), 0.0);
  EXPECT_EQ(delegate.mHostLog[1], "value 5 0");
  // Only the top-right corner is rounded (the path runs top-left, top-right, bottom-right,
  // bottom-left).
  EXPECT_EQ(Radii(Drawn(pOne, "PathArc")), (std::vector<std::string>{"0", "15", "0", "0"}));

  // Vertical tabs: the first rounds its top-right corner, the last its bottom-right one.
  auto* pColumn =
    Attach(new IVTabSwitchControl(IRECT(200, 0, 260, 90), nullptr, {"a", "b", "c"}, "",
                                  FlatStyle(1.f), EVShape::kTopRounded, EDirection::kVertical));
  pColumn->SetStateDisabled(2, true);
  g.mLog.clear();
  pColumn->DrawButton(g, pColumn->GetButtonBounds(2), false, false,
                      IVTabSwitchControl::ETabSegment::kEnd, true);
  EXPECT_EQ(Radii(g.mLog), (std::vector<std::string>{"0", "0", "15", "0"}));
  // Drawn disabled: its fill darkened by 63 from the default 200 grey.
  EXPECT_EQ(Filter(g.mLog, "PathFill").front().substr(0, 30), "PathFill (255,137,137,137) ble");
}

TEST_F(VTabTest, RadioButtonsOfSizeZeroAndButtonsOnlyTakingTheMouse)
{
  auto* pRadio =
    Attach(new IVRadioButtonControl(IRECT(0, 0, 100, 60), nullptr, {"One", "Two", "Three"}, "",
                                    FlatStyle(1.f), EVShape::kEllipse, EDirection::kVertical, 0.f));
  EXPECT_EQ(pRadio->GetRadioBounds(1), IRECT(-0.5f, 29.5f, 0.5f, 30.5f));

  auto* pOnly = Attach(new IVRadioButtonControl(IRECT(0, 100, 100, 160), nullptr, {"One", "Two"},
                                                "", FlatStyle(1.f), EVShape::kEllipse,
                                                EDirection::kVertical, 10.f));
  pOnly->SetOnlyButtonsTakeMouse(true);
  EXPECT_FALSE(pOnly->IsHit(60, 145)); // the second entry's label
  EXPECT_EQ(pOnly->GetButtonForPoint(15, 145), 1);
  Click(15, 145);
  EXPECT_EQ(pOnly->GetValue(), 1.0);
}

TEST_F(VTabTest, MenuButtonShowsTheChosenEntryAndSendsItInOneGesture)
{
  delegate.GetParam(4)->InitEnum("Mode", 0, 3, "", 0, "", "Poly", "Mono", "Legato");
  auto* pMenu = Attach(new IVMenuButtonControl(IRECT(0, 0, 120, 40), 4, "Mode", FlatStyle(1.f)));
  IVButtonControl* pButton = pMenu->GetButton();
  ASSERT_NE(pButton, nullptr);
  EXPECT_STREQ(pButton->GetValueStr(), "Poly");

  g.mMenuResponder = [](IPopupMenu& menu)
  {
    menu.SetChosenItemIdx(2);
    return &menu;
  };
  Click(60, 30);
  EXPECT_TRUE(g.mMenus.empty()); // the menu opens once the splash has played
  pButton->OnEndAnimation();
  ASSERT_EQ(g.mMenus.size(), 1u);
  EXPECT_EQ(g.mMenus[0].items, (std::vector<std::string>{"*Poly", "Mono", "Legato"}));
  EXPECT_STREQ(pButton->GetValueStr(), "Legato");
  EXPECT_EQ(delegate.mHostLog, (std::vector<std::string>{"begin 4", "value 4 1", "end 4"}));

  // The current entry again: nothing changes, nothing is sent.
  Click(60, 30);
  pButton->OnEndAnimation();
  EXPECT_EQ(delegate.mHostLog.size(), 3u);
}

TEST_F(VTabTest, MenuButtonSendsATypedValueInOneGesture)
{
  // Without display texts the button asks for a value to be typed; it reaches the host inside
  // one gesture, as a menu choice does.
  delegate.GetParam(5)->InitDouble("Depth", 0.0, 0.0, 10.0, 0.5);
  auto* pMenu = Attach(new IVMenuButtonControl(IRECT(0, 0, 120, 40), 5, "Depth", FlatStyle(1.f)));
  Click(60, 30);
  pMenu->GetButton()->OnEndAnimation();
  ASSERT_EQ(g.mTextEntries.size(), 1u);
  g.SetControlValueAfterTextEdit("2.5");
  EXPECT_EQ(delegate.mHostLog, (std::vector<std::string>{"begin 5", "value 5 0.25", "end 5"}));
  EXPECT_STREQ(pMenu->GetButton()->GetValueStr(), "2.5");
}
