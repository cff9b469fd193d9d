// Captions, SVG switches, text actions, the waveform panel and the picture selectors, built as
// the layout builds them, on the recording back end with its fake popup menu.

#include "instrument/Pelmora.h"
#include "instrument/editor/controls/IPictureSelectorControls.h"
#include "instrument/editor/controls/IWaveformPanelControl.h"
#include "tests/instrument/editor/EditorTestSupport.h"

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

using Lines = std::vector<std::string>;
using CaptionTest = EditorControlsTest;

TEST_F(CaptionTest, TextActionsSwitchesAndHover)
{
  int runs = 0;
  Attach(new ITextActionControl(
    IRECT(663, 3, 679, 27), Pelmora::kGlyphFloppy, [&runs](IControl*) { ++runs; },
    Pelmora::TextIcon));
  Click(670, 15);
  g.OnMouseDblClick(670, 15, IMouseMod(true));
  g.OnMouseUp({Point(670, 15, IMouseMod(true))});
  EXPECT_EQ(runs, 2); // a text that takes clicks; a double click is two

  Attach(new ITVSVGSwitchControl(IRECT(705, 510, 727, 532), {ISVG(), ISVG()}, 57, hover));
  auto* pQuiet = Attach(new ITVSVGSwitchControl(IRECT(763, 510, 793, 540), {ISVG(), ISVG()}, 63));
  g.OnMouseOver(710, 515, IMouseMod());
  g.OnMouseOver(712, 516, IMouseMod());
  g.OnMouseOver(770, 520, IMouseMod()); // no hover function: only redrawn
  EXPECT_EQ(hovered, (std::vector<int>{57, 57}));
  EXPECT_TRUE(pQuiet->GetMouseIsOver() && pQuiet->IsDirty());
}

TEST_F(CaptionTest, CaptionsShowTheirOwnTexts)
{
  auto* pFilter = Attach(new ITVCaptionControl(
    IRECT(933, 43, 997, 62), 35, hover, Pelmora::TextValue, Pelmora::ColorValueBackground, false,
    {"LP 6", "LP 12", "LP 18", "LP 24", "HP 12", "BP 12"}, Pelmora::ColorLabelForeground,
    COLOR_WHITE));
  SetParam(*pFilter, 2.0);
  const Lines log = Drawn(*pFilter);
  EXPECT_EQ(Filter(log, "Text LP 18|").size(), 1u);
  EXPECT_EQ(Filter(log, "PathFill (255,221,221,221) blend 0.5").size(), 1u); // the marker
  g.OnMouseOver(940, 50, IMouseMod());
  EXPECT_EQ(Filter(Drawn(*pFilter), "PathFill (255,255,255,255) blend 1").size(), 1u);

  // With the label flag a blank and the (empty) label follow; a null entry and a value with no
  // entry show empty texts.
  auto* pLabelled =
    Attach(new ITVCaptionControl(IRECT(0, 0, 80, 20), 35, nullptr, Pelmora::TextLabel, COLOR_BLACK,
                                 true, {"LP 6", nullptr}, COLOR_WHITE, COLOR_WHITE));
  SetParam(*pLabelled, 0.0);
  EXPECT_EQ(Filter(Drawn(*pLabelled), "Text LP 6 |").size(), 1u);
  SetParam(*pLabelled, 1.0);
  EXPECT_EQ(Filter(Drawn(*pLabelled), "Text  |").size(), 1u);
  SetParam(*pLabelled, 4.0);
  EXPECT_EQ(Filter(Drawn(*pLabelled), "Text  |").size(), 1u);

  EXPECT_TRUE(Drawn(*Attach(new ITVCaptionControl(IRECT(0, 30, 80, 50), kNoParameter, hover,
                                                  Pelmora::TextLabel, COLOR_BLACK, false, {},
                                                  COLOR_WHITE, COLOR_WHITE)))
                .empty());
}

TEST_F(CaptionTest, WaveformPanelSpansItsHeight)
{
  double points[183] = {};
  points[5] = 1.0;
  points[6] = -1.0;
  auto* pPanel = Attach(new IWaveformPanelControl(IRECT(519, 366, 702, 482), Pelmora::ColorPanel,
                                                  Pelmora::ColorFrame, Pelmora::ColorRaster,
                                                  Pelmora::ColorPrimary, points, 183));
  const Lines log = Drawn(*pPanel);
  EXPECT_EQ(Filter(log, "Line (70,102,102,102)").size(), 2u); // the axes
  for (const char* point : {"PathMoveTo 519 424", "PathLineTo 524 366", "PathLineTo 525 482",
                            "PathLineTo 701 424", "PathStroke (255,138,217,255) 1"})
    EXPECT_EQ(Filter(log, point).size(), 1u) << point;
  EXPECT_TRUE(
    Filter(Drawn(*Attach(new IWaveformPanelControl(IRECT(0, 0, 9, 9), COLOR_BLACK, COLOR_BLACK,
                                                   COLOR_BLACK, COLOR_WHITE, nullptr, 183))),
           "PathStroke (255,255,255,255)")
      .empty());
}

struct SelectorTest : EditorControlsTest
{
  IDropdownPanelControl* Dropdown(float titleHeight = 20.f)
  {
    auto* pDropdown = new IDropdownPanelControl(
      IRECT(20, 71, 120, 151), 0, hover, Pelmora::TextLabel, "WAVEFORM      ", titleHeight,
      Pelmora::ColorLabelBackground, Pelmora::TextDropdown, Pelmora::ColorPanel, 30.f, 10.f);
    for (int i = 0; i < 22; ++i)
      pDropdown->AddImage(ISVG());
    return Attach(pDropdown);
  }
  void Cycle(int nPictures)
  {
    Attach(new ICyclePanelControl(
      IRECT(511, 71, 611, 151), 32, std::vector<ISVG>(static_cast<size_t>(nPictures)), hover,
      [this](int idx) { changes.push_back(idx); }, Pelmora::TextIcon, 18.f, IColor(255, 30, 30, 30),
      Pelmora::kGlyphCaretLeft, Pelmora::kGlyphCaretRight));
  }
  std::vector<int> changes;
};

TEST_F(SelectorTest, DropdownLayoutTextPictureAndMenu)
{
  IDropdownPanelControl* pDropdown = Dropdown();
  EXPECT_EQ(pDropdown->GetTriangleRECT(), IRECT(101, 98, 110, 103));
  EXPECT_EQ(pDropdown->GetPictureBounds(), IRECT(30, 111, 110, 191));
  const Lines log = Drawn(*pDropdown);
  EXPECT_EQ(Filter(log, "Text WAVEFORM      |20 71 120 91").size(), 1u);
  EXPECT_EQ(Filter(log, "Text Sine |30 91 110 110").size(), 1u); // the empty label's blank
  EXPECT_TRUE(Filter(Drawn(*Dropdown(0.f)), "Text WAVEFORM").empty());

  SetParam(*pDropdown, 3.0);
  pDropdown->SetPictureOffset(11);
  EXPECT_EQ(pDropdown->GetPictureIdx(), 14);
  SetParam(*pDropdown, 10.0);
  pDropdown->SetPictureOffset(12);
  EXPECT_EQ(pDropdown->GetPictureIdx(), -1); // outside the list: nothing drawn

  // The parameter's menu, the current text checked; the choice in one gesture.
  g.mMenuResponder = [](IPopupMenu& menu)
  {
    menu.SetChosenItemIdx(4);
    return &menu;
  };
  Click(60, 100);
  ASSERT_EQ(g.mMenus.size(), 1u);
  EXPECT_EQ(g.mMenus[0].items.size(), 11u);
  EXPECT_EQ(g.mMenus[0].items[10], "*TX W8");
  EXPECT_EQ(ParamValue(0), 4.0);
  EXPECT_EQ(Gestures(), (Lines{"begin 0", "end 0"}));
  EXPECT_EQ(hovered, (std::vector<int>{0})); // after the release, over the control
}

TEST_F(SelectorTest, CycleArrowsWrapAround)
{
  const int panel = g.NControls();
  Cycle(8);
  EXPECT_EQ(g.NControls(), panel + 3); // the panel and its two arrows
  Click(515, 100);                     // left from the first: the last
  EXPECT_EQ(ParamValue(32), 7.0);
  Click(605, 100); // right from the last: the first
  EXPECT_EQ(ParamValue(32), 0.0);
  EXPECT_EQ(changes, (std::vector<int>{7, 0}));
  EXPECT_EQ(Gestures(), (Lines{"begin 32", "end 32", "begin 32", "end 32"}));
  SetParam(*g.GetControl(panel), 5.0); // a preset's value: stepping goes on from it
  Click(605, 100);
  EXPECT_EQ(ParamValue(32), 6.0);

  delegate.mHostLog.clear(); // without pictures nothing ever changes
  changes.clear();
  Cycle(0);
  Click(515, 100);
  Click(605, 100);
  EXPECT_TRUE(delegate.mHostLog.empty() && changes.empty());
}

} // namespace
