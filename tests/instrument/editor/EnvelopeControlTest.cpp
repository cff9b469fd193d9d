// The envelope editor on the recording back end, driven by pointer events: its points and
// read-out, the clamps on a dragged point, the sustain switch, zoom, scroll and fit; and an edit
// heard in the next note the engine plays.

#include "instrument/editor/controls/IVMultistageEnvelopeControl.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"
#include "tests/instrument/engine/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;
using Control = IVMultistageEnvelopeControl;

namespace
{

// Operator A's editor as the layout places it: graph 24.5, 202.5, 438, 311.5 (109 high).
const IRECT kBounds(20.f, 198.f, 483.f, 316.f);
constexpr float kL = 24.5f, kT = 202.5f, kR = 438.f, kB = 311.5f, kH = 109.f;
const IColor kSustainFrame = Control::DEFAULT_SL_COLOR;
const IColor kLine(255, 250, 255, 175);
const IMouseMod kLeft(true);

// Five stages whose durations are whole samples at 44.1 kHz: 100 ... 500 ms.
EnvelopeParameter FiveStages()
{
  EnvelopeParameter e;
  e.InitStages(5);
  const float levels[6] = {0.f, 1.f, 0.5f, 0.5f, 0.f, 0.25f};
  for (int k = 0; k < 5; ++k)
    e.SetStage(k, levels[k], levels[k + 1], 100.f * static_cast<float>(k + 1));
  return e;
}

struct EnvelopeFixture : ::testing::Test
{
  TestDelegate mDelegate;
  RecordingGraphics mGraphics{mDelegate, 1011, 601};
  SharedEnvelope mEnvelope{FiveStages()};
  Control* mControl = nullptr;

  EnvelopeFixture()
  {
    mControl = static_cast<Control*>(mGraphics.AttachControl(
      new Control(kBounds, &mEnvelope, {ISVG(), ISVG()}, kLine, kLine,
                  Control::DEFAULT_VAL_BG_COLOR, Control::DEFAULT_LBL_FG_COLOR,
                  Control::DEFAULT_LBL_BG_COLOR, Control::DEFAULT_BG_COLOR,
                  Control::DEFAULT_FR_COLOR, kSustainFrame),
      10));
  }

  const Control::EnvCoord& Point(int i) const
  {
    return mControl->GetCoords()[static_cast<size_t>(i)];
  }
  EnvelopeParameter Model() const { return mEnvelope.Get(); }

  // A press at (x, y), drags by the steps, release.
  void Gesture(float x, float y, std::initializer_list<std::pair<float, float>> steps)
  {
    mGraphics.OnMouseDown({test::Point(x, y, kLeft)});
    for (auto [dX, dY] : steps)
    {
      x += dX;
      y += dY;
      mGraphics.OnMouseDrag({test::Point(x, y, kLeft, dX, dY)});
    }
    mGraphics.OnMouseUp({test::Point(x, y, kLeft)});
  }
  void DragPoint(int i, std::initializer_list<std::pair<float, float>> steps)
  {
    Gesture(Point(i).x, Point(i).y, steps);
  }

  std::vector<std::string> Drawn()
  {
    mGraphics.mLog.clear();
    mControl->Draw(mGraphics);
    return mGraphics.mLog;
  }
};

TEST_F(EnvelopeFixture, PointsAndReadOutOfANewEditor)
{
  ASSERT_EQ(mControl->GetCoords().size(), 6u);
  EXPECT_EQ(mControl->GetTimeScale(), 0.2f);
  EXPECT_EQ(mControl->GetGraphRECT(), IRECT(kL, kT, kR, kB));
  EXPECT_EQ(mControl->GetSustainRECT(), IRECT(kR + 10.f, kB - 18.f, kR + 36.f, kB + 8.f));
  const float xs[6] = {kL, kL + 20.f, kL + 60.f, kL + 120.f, kL + 200.f, kL + 300.f};
  const float levels[6] = {0.f, 1.f, 0.5f, 0.5f, 0.f, 0.25f};
  for (int i = 0; i < 6; ++i)
  {
    EXPECT_NEAR(Point(i).x, xs[i], 1e-3f) << i;
    EXPECT_FLOAT_EQ(Point(i).y, kB - kH * levels[i]) << i;
  }
  EXPECT_EQ(mControl->GetSelected(), 1);
  const std::vector<std::string> texts = Filter(Drawn(), "DrawText");
  auto shows = [&](const std::string& what)
  {
    return std::any_of(texts.begin(), texts.end(),
                       [&](const std::string& t) { return t.rfind(what, 0) == 0; });
  };
  EXPECT_TRUE(shows("DrawText LEVEL "));
  EXPECT_TRUE(shows("DrawText 1.00 "));
  EXPECT_TRUE(shows("DrawText TIME "));
  EXPECT_TRUE(shows("DrawText  100ms "));
  // Time labels 40 points apart (every 200 ms), none too close to the graph's left edge.
  EXPECT_TRUE(shows("DrawText 200ms "));
  EXPECT_FALSE(shows("DrawText 100ms "));
  EXPECT_FALSE(shows("DrawText 0ms "));
}

TEST_F(EnvelopeFixture, DraggedPointsKeepTheirClamps)
{
  // The last point: its level stays, its time moves.
  const float lastY = Point(5).y;
  DragPoint(5, {{0.f, -20.f}});
  EXPECT_EQ(Model().Stage(4).mEndLevel, 0.25f);
  EXPECT_EQ(Point(5).y, lastY);
  DragPoint(5, {{20.f, 0.f}});
  EXPECT_FLOAT_EQ(Model().StageMilliseconds(4), 600.f);
  EXPECT_EQ(Model().Stage(4).mSamples, 26460);

  // A middle point: both stages meeting there take its level, clamped to the graph.
  DragPoint(2, {{0.f, -30.f}, {0.f, -500.f}});
  EXPECT_EQ(Model().Stage(1).mEndLevel, 1.f);
  EXPECT_EQ(Model().Stage(2).mStartLevel, 1.f);
  EXPECT_EQ(Model().Stage(2).mSpan, 0.5f);

  // Past the graph's right edge: the time stays.
  const float before = Model().StageMilliseconds(0);
  DragPoint(1, {{500.f, 0.f}});
  EXPECT_EQ(Model().StageMilliseconds(0), before);

  // Falling and rising stages pulled to no width keep their shortest lengths at 44.1 kHz.
  DragPoint(4, {{Point(3).x - Point(4).x, 0.f}}); // stage 3 falls from 0.5 to 0
  EXPECT_EQ(Model().Stage(3).mSamples, 200);
  DragPoint(1, {{Point(0).x - Point(1).x, 0.f}}); // stage 0 rises
  EXPECT_EQ(Model().Stage(0).mSamples, 30);
  EXPECT_EQ(Model().Stage(0).mIncrement, 1.f / 30.f);
  DragPoint(2, {{-50.f, 0.f}}); // left of its predecessor: refused
  EXPECT_EQ(Model().Stage(1).mSamples, 8820);

  // Zoomed out to 0.05 points per ms (5 s = 250 points), a drag of 300 points stops at 5 s.
  Gesture(kL + 300.f, kT + 10.f, {{0.f, 60.f}});
  EXPECT_FLOAT_EQ(mControl->GetTimeScale(), 0.05f);
  DragPoint(1, {{300.f, 0.f}});
  EXPECT_EQ(Model().StageMilliseconds(0), 5000.f);
  EXPECT_EQ(Model().Stage(0).mSamples, 220500);
  EXPECT_NEAR(Point(1).x - Point(0).x, 250.f, 1e-3f);
}

TEST_F(EnvelopeFixture, ZoomScrollAndFitStayInBounds)
{
  // Fit: the whole envelope (1500 ms) over 95 % of the graph's width from its left edge.
  mGraphics.OnMouseDblClick(kL + 1.f, kT + 1.f, IMouseMod());
  EXPECT_FLOAT_EQ(Point(0).x, kL);
  EXPECT_NEAR(Point(5).x - Point(0).x, 0.95f * (kR - kL), 1e-3f);
  const float fitted = mControl->GetTimeScale();
  mGraphics.OnMouseDblClick(kR + 5.f, kT + 1.f, IMouseMod()); // outside the graph: nothing
  EXPECT_EQ(mControl->GetTimeScale(), fitted);

  // Scrolling stops at time 0 and at the envelope's end; zoom at 0.015 and 4.
  Gesture(kL + 100.f, kT + 50.f, {{300.f, 0.f}});
  EXPECT_EQ(mControl->GetTimeOffset(), 0.f);
  Gesture(kL + 300.f, kT + 50.f, {{-200.f, 0.f}, {-200.f, 0.f}, {-200.f, 0.f}});
  EXPECT_NEAR(mControl->GetTimeOffset(), 0.95f * (kR - kL), 1e-3f);
  Gesture(kL + 300.f, kT + 50.f, {{0.f, -5000.f}});
  EXPECT_EQ(mControl->GetTimeScale(), 4.f);
  Gesture(kL + 300.f, kT + 50.f, {{0.f, 5000.f}});
  EXPECT_EQ(mControl->GetTimeScale(), 0.015f);
  mGraphics.OnMouseWheel(kL + 300.f, kT + 50.f, IMouseMod(), 2.f); // a notch: +0.025
  EXPECT_FLOAT_EQ(mControl->GetTimeScale(), 0.065f);

  // Nothing to fit (no stages) or no room to fit it in: the zoom stays a usable number.
  mEnvelope.Edit([](EnvelopeParameter& e) { e.InitStages(0); });
  mControl->Refresh();
  EXPECT_FLOAT_EQ(mControl->GetTimeScale(), 0.065f);
  EXPECT_EQ(mControl->GetCoords().size(), 1u);
  Drawn(); // point 0 only: no segment, no read-out
  SharedEnvelope other{FiveStages()};
  Control narrow(IRECT(0, 0, 40, 40), &other, {}, kLine, kLine, kLine, kLine, kLine, kLine, kLine,
                 kLine);
  narrow.FitToView();
  EXPECT_EQ(narrow.GetTimeScale(), 0.2f);
}

TEST_F(EnvelopeFixture, SustainSwitchAndItsPoint)
{
  const IRECT sustain = mControl->GetSustainRECT();
  ASSERT_TRUE(Model().mSustain);
  Gesture(sustain.MW(), sustain.T + 13.f, {}); // the switch's top 14 points
  EXPECT_FALSE(Model().mSustain);
  Gesture(sustain.MW(), sustain.T + 15.f, {}); // its lower part: nothing
  EXPECT_FALSE(Model().mSustain);
  Gesture(sustain.MW(), sustain.T + 1.f, {});
  EXPECT_TRUE(Model().mSustain);

  // Point 3 (the sustain point) gets a dotted line down and a sustain-coloured frame.
  auto strokes = [&]
  {
    std::vector<std::string> out;
    for (const std::string& line : Filter(Drawn(), "PathStroke"))
      out.push_back(line);
    return out;
  };
  const std::string sustainFrame = "PathStroke " + Fmt(kSustainFrame) + " 1 blend 1";
  const std::string lineFrame = "PathStroke " + Fmt(kLine) + " 1 blend 1";
  std::vector<std::string> drawn = strokes();
  EXPECT_EQ(std::count_if(drawn.begin(), drawn.end(),
                          [](const std::string& s)
                          { return s.find(" dash 2") != std::string::npos; }),
            1);
  EXPECT_EQ(std::count(drawn.begin(), drawn.end(), sustainFrame), 1);
  EXPECT_EQ(drawn.back(), lineFrame); // the last point's frame, drawn again

  // With the sustain point last, its frame is drawn once more in the line colour.
  mEnvelope.Edit([](EnvelopeParameter& e) { e.InitStages(3); });
  mControl->Update();
  drawn = strokes();
  ASSERT_GE(drawn.size(), 2u);
  EXPECT_EQ(drawn[drawn.size() - 2], sustainFrame);
  EXPECT_EQ(drawn.back(), lineFrame);
}

// The editor changes operator A's envelope of an engine: the next note plays the new attack.
TEST(EnvelopeEdit, HeardInTheNextNote)
{
  enginetest::TestEngine engine;
  TestDelegate delegate;
  RecordingGraphics graphics(delegate, 1011, 601);
  auto* pControl = static_cast<Control*>(
    graphics.AttachControl(new Control(kBounds, engine.params.GetEnvelope(kEnvelopeOpA), {}, kLine,
                                       kLine, kLine, kLine, kLine, kLine, kLine, kLine)));
  const size_t fiveMs = static_cast<size_t>(0.005 * enginetest::kRate);
  auto attackPeak = [&]
  {
    engine.NoteOn(69);
    const std::vector<double> note = engine.Render(static_cast<int>(fiveMs));
    engine.NoteOff(69);
    engine.Render(static_cast<int>(enginetest::kRate)); // its release ends
    return enginetest::Peak(note, 0, fiveMs);
  };
  const double before = attackPeak();
  ASSERT_GT(before, 0.1);

  // Point 1 (the end of the attack) 100 points right: 500 ms more attack at 0.2 points per ms.
  const auto& p1 = pControl->GetCoords()[1];
  graphics.OnMouseDown({test::Point(p1.x, p1.y, kLeft)});
  graphics.OnMouseDrag({test::Point(p1.x + 100.f, p1.y, kLeft, 100.f, 0.f)});
  graphics.OnMouseUp({test::Point(p1.x + 100.f, p1.y, kLeft)});
  EXPECT_NEAR(engine.params.GetEnvelope(kEnvelopeOpA)->Get().StageMilliseconds(0), 502.27f, 0.01f);

  EXPECT_LT(attackPeak(), 0.1 * before);
}

} // namespace
