// The knob with a modulation arc and the value-drag fields, built as the layout builds them:
// what they draw for the worked examples, and what their input sends to the host.

#include "instrument/Pelmora.h"
#include "instrument/editor/controls/IVTVKnobControl.h"
#include "instrument/editor/controls/IValueMouseDragControl.h"
#include "tests/instrument/editor/EditorTestSupport.h"

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
    return Attach(new IVTVKnobControl(r, 27.f, 20.f, 20.f, 4.f, paramIdx, "PHASE",
                                      Pelmora::StyleKnobRegular, hover, knobStyle, false, false,
                                      labelOnTop, -135.f, 135.f, -135.f, EDirection::kVertical,
                                      flags, 4.0, 3.f, true));
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
  Lines log = Drawn(*pKnob);
  // The track from the anchor to 0.9; the arc from 0.7 to the end (1.2 clamped to 1).
  EXPECT_EQ(Filter(log, "Arc"), (Lines{"Arc (255,138,217,255) r 22.44 -135 108 t 3",
                                       "Arc (80,138,217,255) r 25.8 54 135 t 3"}));
  EXPECT_EQ(Filter(log, "Line (255,221,221,221)").size(), 4u); // three ticks and the pointer
  EXPECT_EQ(Filter(log, "Disc").size(), 2u);
  pKnob->mShowModulation = false;
  EXPECT_EQ(Filter(Drawn(*pKnob), "Arc").size(), 1u);
  pKnob->mShowModulation = true;
  pKnob->SetModulation(0, 0.f, 0.f);
  pKnob->SetModulation(3, 0.f, 0.f);
  EXPECT_EQ(Filter(Drawn(*pKnob), "Arc (80").front(), "Arc (80,138,217,255) r 25.8 108 108 t 3");

  // Disabled: no track, no pointer; body and label at half opacity, ticks at full.
  pKnob->mShowModulation = false;
  pKnob->SetDisabled(true);
  log = Drawn(*pKnob);
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
  EXPECT_EQ(Filter(Drawn(*pBipolar), "Arc").front(), "Arc (255,138,217,255) r 22.44 -67.5 0 t 3");
  pBipolar->SetValueFromDelegate(0.5);
  EXPECT_EQ(Filter(Drawn(*pBipolar), "Arc").front(), "Arc (255,138,217,255) r 22.44 0 0 t 3");

  // 1..8: six ticks between the end ticks, none at the top; the pointer in 270/7-degree steps.
  delegate.GetParam(kSpare)->InitInt("Steps", 1, 1, 8);
  IVTVKnobControl* pStepped = Knob(kSpare, kKnobStyleFromAnchor, kKnobFlagStepped);
  pStepped->SetValueFromDelegate(0.3);
  EXPECT_EQ(Filter(Drawn(*pStepped), "Line (255,221,221,221)").size(), 2u + 6u + 1u);
  for (double v : {0.3, 0.35, 0.36})
  {
    pStepped->SetValueFromDelegate(v);
    EXPECT_FLOAT_EQ(pStepped->GetPointerAngle(), -135.f + 270.f * (v < 0.36 ? 2.f : 3.f) / 7.f);
  }
}

TEST_F(KnobTest, HoverOneGesturePerDragAndTheUnboundKnob)
{
  Knob(4);
  g.OnMouseOver(235, 98, IMouseMod());
  g.OnMouseOver(236, 99, IMouseMod());
  EXPECT_EQ(hovered, (std::vector<int>{4, 4}));

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
  const Lines log = Drawn(*pUnbound);
  EXPECT_TRUE(Filter(log, "Arc").empty());
  EXPECT_EQ(Filter(log, "Line").size(), 3u); // ticks only, no pointer
}

struct FieldTest : EditorControlsTest
{
  // "RATIO" of operator A: value cells 9 points wide from x = 130, the box from y 71 to 91.
  IFloatValueMouseDragControl* Ratio()
  {
    return Attach(new IFloatValueMouseDragControl(
      IRECT(128, 71, 195, 110), 20.f, "RATIO", 2, Pelmora::ColorLabelBackground,
      Pelmora::ColorValueBackground, 2.f, true, true, 9.f, Pelmora::StyleMouseDragFloatA, hover,
      EDirection::kVertical, 100.0, 2, 4));
  }
  IValueMouseDragControl* Integer(int paramIdx, const IVStyle& style = Pelmora::StyleMouseDrag)
  {
    return Attach(new IValueMouseDragControl(
      IRECT(751, 543, 805, 581), 20.f, "PB RANGE", paramIdx, Pelmora::ColorLabelBackground,
      Pelmora::ColorValueBackground, 2.f, false, true, style, hover, EDirection::kVertical, 10.0));
  }
};

TEST_F(FieldTest, DigitsInCellsAndClicksThatStepOnePlace)
{
  IFloatValueMouseDragControl* pRatio = Ratio();
  std::string shown;
  for (const std::string& line : Filter(Drawn(*pRatio), "Text "))
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
  Ratio();
  g.OnMouseDown({Point(135, 75, IMouseMod(true))}); // the integer pair: 2
  Drag(60, -25.f);                                  // two steps, 5 points dropped
  EXPECT_NEAR(ParamValue(2), 4.0, 1e-9);
  for (int i = 0; i < 25; ++i)
    Drag(60, -1.f); // two steps, 5 points pending
  Drag(60, -5.f);
  EXPECT_NEAR(ParamValue(2), 7.0, 1e-9);
  const IMouseMod shift(true, false, true);
  Drag(60, -99.f, shift);
  EXPECT_NEAR(ParamValue(2), 7.0, 1e-9);
  Drag(60, -1.f, shift);
  EXPECT_NEAR(ParamValue(2), 8.0, 1e-9);
  g.OnMouseUp({Point(135, 60, IMouseMod(true))});
  EXPECT_EQ(Gestures(), (Lines{"begin 2", "end 2"}));

  // A double click steps twice, a gesture per press, and never resets to the default.
  delegate.mHostLog.clear();
  Click(135, 75);
  g.OnMouseDblClick(135, 75, IMouseMod(true));
  g.OnMouseUp({Point(135, 75, IMouseMod(true))});
  EXPECT_NEAR(ParamValue(2), 10.0, 1e-9);
  EXPECT_EQ(Gestures(), (Lines{"begin 2", "end 2", "begin 2", "end 2"}));

  // Distance left from a drag downwards does not swallow the next click's step.
  g.OnMouseDown({Point(150, 75, IMouseMod(true))});
  Drag(80, 5.f);
  g.OnMouseUp({Point(150, 80, IMouseMod(true))});
  Click(135, 75);
  EXPECT_NEAR(ParamValue(2), 11.0, 1e-9);
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
  EXPECT_EQ(Filter(Drawn(*pField), "Text 24|753 543 803 563").size(), 1u);
  SetParam(*pField, -24.9);
  EXPECT_EQ(Filter(Drawn(*pField), "Text -24|").size(), 1u);
  IVStyle hidden = Pelmora::StyleMouseDrag;
  hidden.showValue = false;
  const Lines log = Drawn(*Integer(kSpare, hidden));
  EXPECT_EQ(Filter(log, "Text ").size(), 1u); // the caption only
  EXPECT_EQ(Filter(log, "Line (255,25,25,25) 751 545 805 545 blend 1 t 1").size(), 1u);

  IValueMouseDragControl* pUnbound = Integer(kNoParameter);
  EXPECT_FALSE(pUnbound->IsHit(770, 550));
  EXPECT_EQ(Filter(Drawn(*pUnbound), "Text ").size(), 1u);
}

} // namespace
