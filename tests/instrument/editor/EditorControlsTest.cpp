// The editor's own controls built as the layout builds them, on the recording back end: the
// knob with its modulation arc and the value-drag fields (what they draw for the worked examples
// and what their input sends to the host); captions, SVG switches, text actions, the waveform
// panel and the picture selectors with the fake popup menu.

#include "instrument/Pelmora.h"
#include "instrument/editor/PelmoraEditor.h"
#include "instrument/editor/controls/IPictureSelectorControls.h"
#include "instrument/editor/controls/IVTVKnobControl.h"
#include "instrument/editor/controls/IValueMouseDragControl.h"
#include "instrument/editor/controls/IWaveformPanelControl.h"
#include "tests/instrument/editor/EditorTestSupport.h"

#include <algorithm>
#include <cmath>
#include <string>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

using Lines = std::vector<std::string>;
const IRECT kPhaseRect(203, 71, 267, 151); // centre (235, 98), radius 27

struct KnobTest : EditorControlsTest
{
  IVTVKnobControl* Knob(int paramIdx, EKnobStyle knobStyle = kKnobStyleFromAnchor, int flags = 0,
                        bool labelOnTop = false, const IRECT& r = kPhaseRect)
  {
    const pelmora::layout::KnobLook look{.radius = 27.f,
                                         .style = &Pelmora::StyleKnobRegular,
                                         .knobStyle = knobStyle,
                                         .arcThickness = 3.f,
                                         .flags = flags,
                                         .labelOnTop = labelOnTop};
    return Attach(pelmora::editor::MakeKnob(r, paramIdx, "PHASE", look, hover));
  }
};

TEST_F(KnobTest, TrackTicksBodyAndModulationArc)
{
  IVTVKnobControl* pKnob = Knob(4);
  EXPECT_EQ(pKnob->GetLabelBounds(), IRECT(203, 131, 267, 151));
  EXPECT_EQ(Knob(4, kKnobStyleFromAnchor, 0, true, IRECT(0, 0, 64, 120))->GetWidgetBounds(),
            IRECT(5, 20, 59, 74)); // label on top: the body starts 20 points down

  pKnob->SetValueFromDelegate(0.9);
  pKnob->mShowModulation = true;
  pKnob->SetModulation(0, -0.2f, 0.1f);
  pKnob->SetModulation(3, 0.f, 0.2f); // summed: -0.2 .. +0.3
  Lines log = Drawn(pKnob, "");
  // The track from the anchor to 0.9; the arc from 0.7 to the end (1.2 clamped to 1).
  EXPECT_EQ(Filter(log, "Arc"), (Lines{"Arc (255,138,217,255) r 22.44 -135 108 t 3",
                                       "Arc (80,138,217,255) r 25.8 54 135 t 3"}));
  EXPECT_EQ(Filter(log, "Line (255,221,221,221)").size(), 4u); // three ticks and the pointer

  // Disabled: no track, no pointer; body and label at half opacity, ticks at full.
  pKnob->mShowModulation = false;
  pKnob->SetDisabled(true);
  log = Drawn(pKnob, "");
  EXPECT_TRUE(Filter(log, "Arc").empty());
  EXPECT_EQ(Filter(log, "Line (255,221,221,221) ").size(), 3u);
  EXPECT_EQ(Filter(log, "Disc (255,25,25,25) r 18.9 blend 0.5").size(), 1u);
  EXPECT_EQ(Filter(log, "PathFill (255,102,102,102) blend 0.5").size(), 1u); // outer ring
  EXPECT_EQ(Filter(log, "Text PHASE|203 131 267 151 blend 0.5").size(), 1u);
  for (const std::string& line : Filter(log, "Line"))
    EXPECT_NE(line.find("blend 1 t 1"), std::string::npos) << line;
}

TEST_F(KnobTest, BipolarTrackAndSteppedDisplay)
{
  IVTVKnobControl* pBipolar = Knob(4, kKnobStyleFromTop);
  pBipolar->SetValueFromDelegate(0.25);
  EXPECT_EQ(Drawn(pBipolar, "Arc").front(), "Arc (255,138,217,255) r 22.44 -67.5 0 t 3");
  pBipolar->SetValueFromDelegate(0.5);
  EXPECT_EQ(Drawn(pBipolar, "Arc").front(), "Arc (255,138,217,255) r 22.44 0 0 t 3");

  // 1..8: six ticks between the end ticks, none at the top; the pointer in 270/7-degree steps.
  delegate.GetParam(kSpare)->InitInt("Steps", 1, 1, 8);
  IVTVKnobControl* pStepped = Knob(kSpare, kKnobStyleFromAnchor, kKnobFlagStepped);
  pStepped->SetValueFromDelegate(0.3);
  EXPECT_EQ(Drawn(pStepped, "Line (255,221,221,221)").size(), 2u + 6u + 1u);
  for (double v : {0.3, 0.35, 0.36})
  {
    pStepped->SetValueFromDelegate(v);
    EXPECT_FLOAT_EQ(pStepped->GetPointerAngle(), -135.f + 270.f * (v < 0.36 ? 2.f : 3.f) / 7.f);
  }
}

TEST_F(KnobTest, OneGesturePerDragAndTheUnboundKnob)
{
  Knob(4);
  // A drag that leaves the window and is released outside it.
  g.OnMouseDown({Point(235, 98, IMouseMod(true))});
  Drag(90, -8.f);
  Drag(-40, -130.f);
  g.OnMouseUp({Point(-50, -40, IMouseMod(true))});
  EXPECT_EQ(Gestures(), (Lines{"begin 4", "end 4"}));
  EXPECT_EQ(ParamValue(4), 180.0);

  IVTVKnobControl* pUnbound =
    Knob(kNoParameter, kKnobStyleFromAnchor, 0, false, IRECT(600, 0, 664, 80));
  EXPECT_FALSE(pUnbound->IsHit(632, 27));
  const Lines log = Drawn(pUnbound, "");
  EXPECT_TRUE(Filter(log, "Arc").empty());
  EXPECT_EQ(Filter(log, "Line").size(), 3u); // ticks only, no pointer
}

struct FieldTest : EditorControlsTest
{
  // "RATIO" of operator A: value cells 9 points wide from x = 130, the box from y 71 to 91.
  IFloatValueMouseDragControl* Ratio()
  {
    const pelmora::layout::FieldLook look{.style = &Pelmora::StyleMouseDragFloatA,
                                          .valueIsEditable = true,
                                          .gearing = 100.0,
                                          .intDigits = 2,
                                          .fracDigits = 4};
    return Attach(
      pelmora::editor::MakeDigitField(IRECT(128, 71, 195, 110), 2, "RATIO", look, hover));
  }
  IValueMouseDragControl* Integer(int paramIdx, const IVStyle& style = Pelmora::StyleMouseDrag)
  {
    const pelmora::layout::FieldLook look{
      .style = &style, .valueIsEditable = false, .gearing = 10.0};
    return Attach(pelmora::editor::MakeValueField(IRECT(751, 543, 805, 581), paramIdx, "PB RANGE",
                                                  look, hover));
  }
  // A drag of the press under way, distance points up (down when negative), in events of part
  // points each and a last one of what is left, as queued motion may arrive.
  void DragInParts(float distance, float part)
  {
    const float length = std::abs(distance), up = distance < 0.f ? -1.f : 1.f;
    for (float dragged = 0.f; dragged < length; dragged += part)
      Drag(60, -up * std::min(part, length - dragged));
  }
};

TEST_F(FieldTest, DigitsInCellsAndClicksThatStepOnePlace)
{
  IFloatValueMouseDragControl* pRatio = Ratio();
  std::string shown;
  for (const std::string& line : Drawn(pRatio, "Text "))
    if (line[6] == '|') // the one-character cells, not the caption
      shown += line[5];
  EXPECT_EQ(shown, "01.0000");
  EXPECT_EQ(Filter(g.mLog, "Text 0|130 71 139 91").size(), 1u);

  const std::pair<float, float> clicks[] = {
    {161, 75}, // upper half of the first fraction digit: +0.01
    {135, 75}, // the integer pair: +1
    {150, 75}, // the point: the first fraction pair, no step
    {188, 88}, // lower half of the last digit: -0.0001
  };
  const double values[] = {1.01, 2.01, 2.01, 2.0099};
  const double steps[] = {0.01, 1.0, 0.01, 0.0001};
  for (int i = 0; i < 4; ++i)
  {
    Click(clicks[i].first, clicks[i].second);
    EXPECT_NEAR(ParamValue(2), values[i], 1e-9) << i;
    EXPECT_EQ(pRatio->GetDigitStep(), steps[i]) << i;
  }
}

TEST_F(FieldTest, DraggingStepsEveryTenPointsInOneGesture)
{
  IFloatValueMouseDragControl* pRatio = Ratio();
  // 45 points up are four steps of the place chosen (the point: 0.01) and 5 points pending,
  // whether they come in one event or split as queued motion arrives; 5 points more make a
  // fifth step.
  for (const float part : {45.f, 25.f, 8.f, 1.f})
  {
    SCOPED_TRACE(part);
    SetParam(*pRatio, 10.0);
    g.OnMouseDown({Point(150, 75, IMouseMod(true))});
    DragInParts(45.f, part);
    EXPECT_NEAR(ParamValue(2), 10.04, 1e-9);
    Drag(60, -5.f);
    EXPECT_NEAR(ParamValue(2), 10.05, 1e-9);
    g.OnMouseUp({Point(150, 60, IMouseMod(true))});
  }
  delegate.mHostLog.clear();
  g.OnMouseDown({Point(135, 75, IMouseMod(true))}); // the integer pair: 11.05
  const IMouseMod shift(true, false, true);
  Drag(60, -99.f, shift);
  EXPECT_NEAR(ParamValue(2), 11.05, 1e-9);
  Drag(60, -1.f, shift);
  EXPECT_NEAR(ParamValue(2), 12.05, 1e-9);
  g.OnMouseUp({Point(135, 60, IMouseMod(true))});
  EXPECT_EQ(Gestures(), (Lines{"begin 2", "end 2"}));

  // A double click steps twice, a gesture per press, and never resets to the default.
  delegate.mHostLog.clear();
  Click(135, 75);
  g.OnMouseDblClick(135, 75, IMouseMod(true));
  g.OnMouseUp({Point(135, 75, IMouseMod(true))});
  EXPECT_NEAR(ParamValue(2), 14.05, 1e-9);
  EXPECT_EQ(Gestures(), (Lines{"begin 2", "end 2", "begin 2", "end 2"}));

  // Distance left from a drag downwards does not swallow the next click's step.
  g.OnMouseDown({Point(150, 75, IMouseMod(true))});
  Drag(80, 5.f);
  g.OnMouseUp({Point(150, 80, IMouseMod(true))});
  Click(135, 75);
  EXPECT_NEAR(ParamValue(2), 15.05, 1e-9);
}

TEST_F(FieldTest, AtABoundTheDragBeyondItIsDroppedAndTurningBackAnswersAtOnce)
{
  IFloatValueMouseDragControl* pRatio = Ratio(); // 0..32
  struct Case
  {
    double start;
    float up; // 1: towards the top, -1: towards the bottom
    double bound;
  };
  for (const Case c : {Case{31.95, 1.f, 32.0}, Case{0.05, -1.f, 0.0}})
    for (const float part : {57.f, 1.f})
    {
      SCOPED_TRACE(std::to_string(c.bound) + ", in parts of " + std::to_string(part));
      SetParam(*pRatio, c.start);
      g.OnMouseDown({Point(150, 75, IMouseMod(true))}); // steps of 0.01
      // Five steps reach the bound; 7 points more push beyond it.
      DragInParts(c.up * 57.f, part);
      EXPECT_NEAR(ParamValue(2), c.bound, 1e-9);
      Drag(60, c.up * 10.f);
      EXPECT_NEAR(ParamValue(2), c.bound - c.up * 0.01, 1e-9);
      g.OnMouseUp({Point(150, 60, IMouseMod(true))});
    }
}

TEST_F(FieldTest, TypedValueAndTheIntegerField)
{
  Ratio();
  g.OnMouseDown({Point(161, 75, IMouseMod(false, true))}); // a right click
  ASSERT_EQ(g.mTextEntries.size(), 1u);
  EXPECT_EQ(g.mTextEntries[0].str, "1.0000");
  EXPECT_EQ(ParamValue(2), 1.0); // the right click on a digit did not also step it
  g.SetControlValueAfterTextEdit("2.5");
  EXPECT_EQ(ParamValue(2), 2.5);
  EXPECT_EQ(Gestures(), (Lines{"begin 2", "end 2"}));
  Integer(59); // not editable: a right click types nothing
  g.OnMouseDown({Point(770, 550, IMouseMod(false, true))});
  EXPECT_EQ(g.mTextEntries.size(), 1u);

  // Truncated towards zero; the top line also with the value hidden.
  delegate.GetParam(kSpare)->InitDouble("Spare", 24.9, -100.0, 100.0, 0.1);
  IValueMouseDragControl* pField = Integer(kSpare);
  EXPECT_EQ(Drawn(pField, "Text 24|753 543 803 563").size(), 1u);
  SetParam(*pField, -24.9);
  EXPECT_EQ(Drawn(pField, "Text -24|").size(), 1u);
  IVStyle hidden = Pelmora::StyleMouseDrag;
  hidden.showValue = false;
  const Lines log = Drawn(Integer(kSpare, hidden), "");
  EXPECT_EQ(Filter(log, "Text ").size(), 1u); // the caption only
  EXPECT_EQ(Filter(log, "Line (255,25,25,25) 751 545 805 545 blend 1 t 1").size(), 1u);

  IValueMouseDragControl* pUnbound = Integer(kNoParameter);
  EXPECT_FALSE(pUnbound->IsHit(770, 550));
  EXPECT_EQ(Drawn(pUnbound, "Text ").size(), 1u);
}

using CaptionTest = EditorControlsTest;

TEST_F(CaptionTest, TextActionsAndASwitchWithoutHover)
{
  int runs = 0;
  Attach(new ITextActionControl(
    IRECT(663, 3, 679, 27), Pelmora::kGlyphFloppy, [&runs](IControl*) { ++runs; },
    Pelmora::TextIcon));
  Click(670, 15);
  g.OnMouseDblClick(670, 15, IMouseMod(true));
  g.OnMouseUp({Point(670, 15, IMouseMod(true))});
  EXPECT_EQ(runs, 2); // a text that takes clicks; a double click is two

  // (What hover shows: the layout's test.) A switch without a hover function is only redrawn.
  auto* pQuiet = Attach(new ITVSVGSwitchControl(IRECT(763, 510, 793, 540), {ISVG(), ISVG()}, 63));
  g.OnMouseOver(770, 520, IMouseMod());
  EXPECT_TRUE(pQuiet->GetMouseIsOver() && pQuiet->IsDirty());
}

TEST_F(CaptionTest, CaptionsShowTheirOwnTexts)
{
  auto* pFilter = Attach(new ITVCaptionControl(
    IRECT(933, 43, 997, 62), 35, hover, Pelmora::TextValue, Pelmora::ColorValueBackground, false,
    {"LP 6", "LP 12", "LP 18", "LP 24", "HP 12", "BP 12"}, Pelmora::ColorLabelForeground,
    COLOR_WHITE));
  SetParam(*pFilter, 2.0);
  const Lines log = Drawn(pFilter, "");
  EXPECT_EQ(Filter(log, "Text LP 18|").size(), 1u);
  EXPECT_EQ(Filter(log, "PathFill (255,221,221,221) blend 0.5").size(), 1u); // the marker
  g.OnMouseOver(940, 50, IMouseMod());
  EXPECT_EQ(Drawn(pFilter, "PathFill (255,255,255,255) blend 1").size(), 1u);

  // With the label flag a blank and the label follow, but only a label that is not empty: no
  // trailing blank pushes the text aside. A null entry and a value with no entry show nothing.
  auto* pLabelled =
    Attach(new ITVCaptionControl(IRECT(0, 0, 80, 20), 35, nullptr, Pelmora::TextLabel, COLOR_BLACK,
                                 true, {"LP 6", nullptr}, COLOR_WHITE, COLOR_WHITE));
  SetParam(*pLabelled, 0.0);
  EXPECT_EQ(Drawn(pLabelled, "Text LP 6|").size(), 1u);
  SetParam(*pLabelled, 1.0);
  EXPECT_TRUE(Drawn(pLabelled, "Text").empty());
  SetParam(*pLabelled, 4.0);
  EXPECT_TRUE(Drawn(pLabelled, "Text").empty());

  EXPECT_TRUE(Drawn(Attach(new ITVCaptionControl(IRECT(0, 30, 80, 50), kNoParameter, hover,
                                                 Pelmora::TextLabel, COLOR_BLACK, false, {},
                                                 COLOR_WHITE, COLOR_WHITE)),
                    "")
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
  const Lines log = Drawn(pPanel, "");
  EXPECT_EQ(Filter(log, "Line (70,102,102,102)").size(), 2u); // the axes
  for (const char* point : {"PathMoveTo 519 424", "PathLineTo 524 366", "PathLineTo 525 482",
                            "PathLineTo 701 424", "PathStroke (255,138,217,255) 1"})
    EXPECT_EQ(Filter(log, point).size(), 1u) << point;
  EXPECT_TRUE(Drawn(Attach(new IWaveformPanelControl(IRECT(0, 0, 9, 9), COLOR_BLACK, COLOR_BLACK,
                                                     COLOR_BLACK, COLOR_WHITE, nullptr, 183)),
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
  const Lines log = Drawn(pDropdown, "");
  EXPECT_EQ(Filter(log, "Text WAVEFORM      |20 71 120 91").size(), 1u);
  EXPECT_EQ(Filter(log, "Text Sine |30 91 110 110").size(), 1u); // the empty label's blank
  EXPECT_TRUE(Drawn(Dropdown(0.f), "Text WAVEFORM").empty());

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
