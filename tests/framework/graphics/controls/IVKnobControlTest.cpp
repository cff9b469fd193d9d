#include "framework/graphics/controls/IVKnobControl.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

// Label texts (19 points) measure 40 x 19, value texts (14 points) 30 x 14, as in the layout's
// worked example.
class FixedMeasureGraphics : public RecordingGraphics
{
public:
  using RecordingGraphics::RecordingGraphics;
  float DoMeasureText(const IText& text, const char*, IRECT& bounds) const override
  {
    const float w = text.mSize == 19.f ? 40.f : 30.f;
    bounds = IRECT(bounds.L, bounds.T, bounds.L + w, bounds.T + text.mSize);
    return w;
  }
};

struct KnobTest : RecordingTest<FixedMeasureGraphics>
{
  using RecordingTest::Attach;
  // Attached, showing its parameter's value as an opened editor does.
  IVKnobControl* Attach(IVKnobControl* pKnob)
  {
    g.AttachControl(pKnob);
    if (const IParam* pParam = pKnob->GetParam())
      pKnob->SetValueFromDelegate(pParam->GetNormalized());
    return pKnob;
  }
};

} // namespace

TEST_F(KnobTest, LayoutAndGeometryFollowTheWorkedExamples)
{
  delegate.GetParam(0)->InitDouble("Cutoff", 50.0, 0.0, 100.0, 0.1, "Hz");
  auto* pKnob = Attach(new IVKnobControl(IRECT(0, 0, 100, 120), 0, nullptr));
  EXPECT_STREQ(pKnob->GetLabelStr(), "Cutoff"); // an empty label takes the parameter's name
  EXPECT_STREQ(pKnob->GetValueStr(), "50.0 Hz");
  ExpectRect(pKnob->GetLabelBounds(), IRECT(30, 0, 70, 19));
  ExpectRect(pKnob->GetTargetRECT(), IRECT(0, 19, 100, 120));
  ExpectRect(pKnob->GetValueBounds(), IRECT(30.2f, 106, 69.8f, 120));
  ExpectRect(pKnob->GetWidgetBounds(), IRECT(0, 19, 100, 106));
  EXPECT_FALSE(pKnob->IsHit(50, 10));  // the label strip never takes clicks
  EXPECT_FALSE(pKnob->IsHit(50, 110)); // nor, while typing is off, the value strip

  // A 100 x 100 widget: arc radius 49, handle 90 across, pointer from 4.5 to 45 points out.
  auto* pBare = Attach(new IVKnobControl(IRECT(200, 0, 300, 100), kNoParameter, "", BareStyle()));
  pBare->SetValue(0.5); // pointing straight up
  EXPECT_FLOAT_EQ(pBare->GetRadius(), 49.f);
  EXPECT_FLOAT_EQ(pBare->GetTrackBounds().W(), 102.f);
  ExpectRect(pBare->GetKnobDragBounds(), IRECT(200, 25, 300, 75));
  g.mLog.clear();
  pBare->Draw(g);
  EXPECT_EQ(Filter(g.mLog, "PathArc").front(), "PathArc 250 50 49 -135 0");
  EXPECT_EQ(Filter(g.mLog, "PathMoveTo").back(), "PathMoveTo 250 45.5");
  EXPECT_EQ(Filter(g.mLog, "PathLineTo").back(), "PathLineTo 250 5");
  EXPECT_EQ(Filter(g.mLog, "PathStroke").back(), "PathStroke (255,70,70,70) 2.5 blend 1");

  // Turning the other way from an anchor at the top: the arc still runs from the smaller angle.
  auto* pReverse = Attach(new IVKnobControl(IRECT(0, 0, 100, 100), kNoParameter, "", BareStyle(),
                                            false, false, 135.f, -135.f, 0.f));
  pReverse->SetValue(0.25);
  EXPECT_EQ(Drawn(pReverse, "PathArc").front(), "PathArc 50 50 49 0 67.5");

  pBare->SetTargetAndDrawRECTs(IRECT(0, 0, 100, 60));
  ExpectRect(pBare->GetKnobDragBounds(), IRECT(35, 0, 65, 60));
  pBare->SetTargetAndDrawRECTs(IRECT(0, 0, 60, 100));
  ExpectRect(pBare->GetKnobDragBounds(), IRECT(0, 35, 60, 65));
}

TEST_F(KnobTest, DragWheelAndDoubleClick)
{
  delegate.GetParam(1)->InitDouble("Level", 0.5, 0.0, 1.0, 0.001);
  auto* pKnob = Attach(new IVKnobControl(IRECT(0, 0, 100, 100), 1, "", BareStyle()));
  // Drags are measured against a 100 x 50 rectangle with gearing 4: 10 points up = +0.05.
  g.OnMouseDown({Point(50, 50, IMouseMod(true))});
  g.OnMouseDrag({Point(50, 40, IMouseMod(true), 0.f, -10.f)});
  EXPECT_NEAR(pKnob->GetValue(), 0.55, 1e-9);
  g.OnMouseDrag({Point(50, 30, IMouseMod(true, false, false, true), 0.f, -10.f)}); // Ctrl: fine
  EXPECT_NEAR(pKnob->GetValue(), 0.555, 1e-9);
  g.OnMouseDrag({Point(50, 40, IMouseMod(true, false, true), 0.f, 10.f)}); // Shift: fine
  EXPECT_NEAR(pKnob->GetValue(), 0.55, 1e-9);
  g.OnMouseUp({Point(50, 40, IMouseMod(true))});
  EXPECT_NEAR(delegate.GetParam(1)->Value(), 0.55, 1e-9);

  g.OnMouseWheel(50, 50, IMouseMod(), 1.f);
  EXPECT_NEAR(pKnob->GetValue(), 0.56, 1e-9);
  g.OnMouseWheel(50, 50, IMouseMod(false, false, true), -1.f);
  EXPECT_NEAR(pKnob->GetValue(), 0.559, 1e-9);

  g.OnMouseDblClick(50, 50, IMouseMod(true));
  EXPECT_EQ(pKnob->GetValue(), 0.5);
  EXPECT_EQ(delegate.GetParam(1)->Value(), 0.5);
}

TEST_F(KnobTest, TypedValueGoesThroughThePromptInOneGesture)
{
  delegate.GetParam(2)->InitDouble("Cutoff", 50.0, 0.0, 100.0, 0.1, "Hz");
  auto* pKnob = Attach(new IVKnobControl(IRECT(0, 0, 100, 120), 2, "", DEFAULT_STYLE, true));
  const IRECT value = pKnob->GetValueBounds();
  EXPECT_TRUE(pKnob->IsHit(value.MW(), value.MH()));
  pKnob->OnMouseOver(value.MW(), value.MH(), IMouseMod());
  EXPECT_TRUE(pKnob->GetValueMouseOver());

  delegate.mHostLog.clear();
  Click(value.MW(), value.MH());
  ASSERT_EQ(g.mTextEntries.size(), 1u);
  EXPECT_EQ(g.mTextEntries[0].bounds, value);
  EXPECT_EQ(g.mTextEntries[0].str, "50.0");
  EXPECT_EQ(pKnob->GetValue(), 0.5); // no drag started
  // The gesture the press began belongs to the prompt and ends with the typed value.
  g.SetControlValueAfterTextEdit("72.3");
  EXPECT_EQ(delegate.mHostLog, (std::vector<std::string>{"begin 2", "value 2 0.723", "end 2"}));
  EXPECT_NEAR(delegate.GetParam(2)->Value(), 72.3, 1e-9);
  EXPECT_STREQ(pKnob->GetValueStr(), "72.3 Hz");
}

TEST_F(KnobTest, MenuChoiceMapsToTheValueItShowsInOneGesture)
{
  // An enumeration from -2 to 2 whose texts stand for those values.
  IParam* pParam = delegate.GetParam(3);
  pParam->InitEnum("Octave", 0, 5);
  pParam->InitDouble("Octave", 0.0, -2.0, 2.0, 1.0, "", IParam::kFlagStepped);
  for (int v = -2; v <= 2; ++v)
    pParam->SetDisplayText(v, (std::to_string(v) + std::string(" oct")).c_str());
  auto* pKnob = Attach(new IVKnobControl(IRECT(0, 0, 100, 100), 3, "", DEFAULT_STYLE, true, true));
  g.mMenuResponder = [](IPopupMenu& menu)
  {
    menu.SetChosenItemIdx(3);
    return &menu;
  };
  Click(50, 50); // the value is drawn in the widget: a press there opens the menu
  ASSERT_EQ(g.mMenus.size(), 1u);
  EXPECT_EQ(g.mMenus[0].items,
            (std::vector<std::string>{"-2 oct", "-1 oct", "*0 oct", "1 oct", "2 oct"}));
  EXPECT_EQ(pParam->Value(), 1.0);
  EXPECT_EQ(delegate.mHostLog, (std::vector<std::string>{"begin 3", "value 3 0.75", "end 3"}));
  EXPECT_STREQ(pKnob->GetValueStr(), "1 oct");
}

TEST_F(KnobTest, WithTypingOffTheValueAreaStillDrags)
{
  delegate.GetParam(4)->InitDouble("Level", 0.5, 0.0, 1.0, 0.001);
  auto* pKnob = Attach(new IVKnobControl(IRECT(0, 0, 100, 100), 4, "", DEFAULT_STYLE, false, true));
  EXPECT_EQ(pKnob->GetValueBounds(), pKnob->GetWidgetBounds());
  pKnob->OnMouseOver(50, 50, IMouseMod());
  EXPECT_FALSE(pKnob->GetValueMouseOver());
  g.OnMouseDown({Point(50, 50, IMouseMod(true))});
  g.OnMouseDrag({Point(50, 40, IMouseMod(true), 0.f, -10.f)});
  g.OnMouseUp({Point(50, 40, IMouseMod(true))});
  EXPECT_TRUE(g.mTextEntries.empty());
  EXPECT_GT(pKnob->GetValue(), 0.5);
}

TEST_F(KnobTest, LabelDrawsShadowTextAndFrameUnlessDisabled)
{
  auto* pLabel = Attach(new IVLabelControl(IRECT(10, 10, 110, 40), "Pelmora"));
  EXPECT_EQ(Drawn(pLabel, "DrawText"), (std::vector<std::string>{"DrawText Pelmora 13 13 113 43",
                                                                 "DrawText Pelmora 10 10 110 40"}));
  EXPECT_EQ(Filter(g.mLog, "PathStroke"),
            std::vector<std::string>{"PathStroke (255,70,70,70) 1 blend 1"});
  pLabel->SetDisabled(true);
  EXPECT_EQ(Drawn(pLabel, "DrawText"), std::vector<std::string>{"DrawText Pelmora 10 10 110 40"});
}
