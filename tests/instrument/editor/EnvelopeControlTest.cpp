// The envelope editor on the recording back end, driven by pointer events: its points and
// read-out, the clamps on a dragged point, the sustain switch, zoom, scroll and fit; and an edit
// heard in the next note the engine plays.

#include "instrument/editor/controls/IVMultistageEnvelopeControl.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"
#include "tests/instrument/engine/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <tuple>
#include <utility>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;
using Control = IVMultistageEnvelopeControl;

namespace
{

// Operator A's editor as the layout places it: graph 24.5, 202.5, 438, 311.5 (109 high).
const IRECT kBounds(20.f, 198.f, 483.f, 316.f);
constexpr float kL = 24.5f, kT = 202.5f, kR = 438.f, kB = 311.5f, kH = 109.f;
const IColor kLine(255, 250, 255, 175);
const IMouseMod kLeft(true);
constexpr float kLevels[6] = {0.f, 1.f, 0.5f, 0.5f, 0.f, 0.25f};

Control* MakeEditor(SharedEnvelope* pEnvelope, const IRECT& bounds = kBounds)
{
  return new Control(bounds, pEnvelope, {}, kLine, kLine, Control::DEFAULT_VAL_BG_COLOR,
                     Control::DEFAULT_LBL_FG_COLOR, Control::DEFAULT_LBL_BG_COLOR,
                     Control::DEFAULT_BG_COLOR, Control::DEFAULT_FR_COLOR,
                     Control::DEFAULT_SL_COLOR);
}

// A five-stage envelope (100 ms, 200 ms ... 500 ms, whole samples at 44.1 kHz) in its editor.
struct EnvelopeFixture : ::testing::Test
{
  TestDelegate mDelegate;
  RecordingGraphics mGraphics{mDelegate, 1011, 601};
  SharedEnvelope mEnvelope{[]
                           {
                             EnvelopeParameter e;
                             e.InitStages(5);
                             for (int k = 0; k < 5; ++k)
                               e.SetStage(k, kLevels[k], kLevels[k + 1], 100.f * (k + 1));
                             return e;
                           }()};
  Control* mControl = static_cast<Control*>(mGraphics.AttachControl(MakeEditor(&mEnvelope), 10));

  const Control::EnvCoord& P(int i) const { return mControl->GetCoords()[static_cast<size_t>(i)]; }
  EnvelopeParameter Model() const { return mEnvelope.Get(); }

  // A press at (x, y), drags by the steps, release.
  void Gesture(float x, float y, std::initializer_list<std::pair<float, float>> steps)
  {
    mGraphics.OnMouseDown({Point(x, y, kLeft)});
    for (auto [dX, dY] : steps)
      mGraphics.OnMouseDrag({Point(x += dX, y += dY, kLeft, dX, dY)});
    mGraphics.OnMouseUp({Point(x, y, kLeft)});
  }
  void DragPoint(int i, float dX, float dY) { Gesture(P(i).x, P(i).y, {{dX, dY}}); }

  // What Draw logs: the lines of the kind, the texts joined by '|'.
  std::string Drawn(const std::string& kind)
  {
    mGraphics.mLog.clear();
    mControl->Draw(mGraphics);
    std::string out;
    for (const std::string& line : Filter(mGraphics.mLog, kind))
      out += (out.empty() ? "" : "|") +
             (kind == "DrawText" ? line.substr(9, line.find(' ', 10) - 9) : line);
    return out;
  }
};

TEST_F(EnvelopeFixture, PointsAndReadOutOfANewEditor)
{
  ASSERT_EQ(mControl->GetCoords().size(), 6u);
  EXPECT_EQ(mControl->GetTimeScale(), 0.2f);
  EXPECT_EQ(mControl->GetSustainRECT(), IRECT(kR + 10.f, kB - 18.f, kR + 36.f, kB + 8.f));
  const float xs[6] = {kL, kL + 20.f, kL + 60.f, kL + 120.f, kL + 200.f, kL + 300.f};
  for (int i = 0; i < 6; ++i)
  {
    EXPECT_NEAR(P(i).x, xs[i], 1e-3f) << i;
    EXPECT_FLOAT_EQ(P(i).y, kB - kH * kLevels[i]) << i;
  }
  // Time labels at least their widest text and a gap apart (here 500 ms, 100 points), none too
  // near the graph's edges nor over the handles of points 2 and 3 (on the labels' row, at level
  // 0.5); point 1's level and time.
  EXPECT_EQ(Drawn("DrawText"), "1000ms|1500ms|LEVEL|1.00|TIME|100ms");
}

TEST_F(EnvelopeFixture, DraggedPointsKeepTheirClamps)
{
  DragPoint(5, 0.f, -20.f); // the last point's level stays ...
  EXPECT_EQ(Model().Stage(4).mEndLevel, 0.25f);
  DragPoint(5, 20.f, 0.f); // ... its time moves
  EXPECT_EQ(Model().Stage(4).mSamples, 26460);
  Gesture(P(2).x, P(2).y, {{0.f, -30.f}, {0.f, -500.f}}); // both stages take the level, held at 1
  EXPECT_EQ(Model().Stage(1).mEndLevel, 1.f);
  EXPECT_EQ(Model().Stage(2).mStartLevel, 1.f);
  EXPECT_EQ(Model().Stage(2).mSpan, 0.5f);
  DragPoint(1, 500.f, 0.f); // past the graph's right edge: the time stays
  EXPECT_EQ(Model().Stage(0).mSamples, 4410);

  // Falling and rising stages pulled to no width keep their shortest lengths at 44.1 kHz; left
  // of its predecessor a point keeps its time.
  DragPoint(4, P(3).x - P(4).x, 0.f);
  EXPECT_EQ(Model().Stage(3).mSamples, 200);
  // (This press ends without a release: the point settles all the same.)
  mGraphics.OnMouseDown({Point(P(1).x, P(1).y, kLeft)});
  mGraphics.OnMouseDrag({Point(P(0).x, P(1).y, kLeft, P(0).x - P(1).x, 0.f)});
  mGraphics.ReleaseMouseCapture();
  EXPECT_EQ(Model().Stage(0).mSamples, 30);
  EXPECT_EQ(Model().Stage(0).mIncrement, 1.f / 30.f);
  EXPECT_NEAR(P(1).x - P(0).x, 0.2f * 30000.f / 44100.f, 1e-4f);
  DragPoint(2, -50.f, 0.f);
  EXPECT_EQ(Model().Stage(1).mSamples, 8820);

  // Zoomed out to 0.05 points per ms (5 s = 250 points), a drag of 300 points stops at 5 s.
  Gesture(kL + 300.f, kT + 10.f, {{0.f, 60.f}});
  EXPECT_FLOAT_EQ(mControl->GetTimeScale(), 0.05f);
  DragPoint(1, 300.f, 0.f);
  EXPECT_EQ(Model().StageMilliseconds(0), 5000.f);
  EXPECT_EQ(Model().Stage(0).mSamples, 220500);
  EXPECT_NEAR(P(1).x - P(0).x, 250.f, 1e-3f);
}

// Pulled to no width, falling and rising stages keep the shortest lengths of the envelope's rate.
TEST_F(EnvelopeFixture, ShortestStagesFollowTheRate)
{
  for (auto [rate, falling, rising] :
       {std::tuple{44100.f, 200, 30}, std::tuple{48000.f, 217, 32}, std::tuple{96000.f, 435, 65}})
  {
    mEnvelope.Edit([rate](EnvelopeParameter& e) { e.SetSampleRate(rate); });
    mControl->Update();
    DragPoint(4, P(3).x - P(4).x, 0.f);
    EXPECT_EQ(Model().Stage(3).mSamples, falling) << rate;
    DragPoint(1, P(0).x - P(1).x, 0.f);
    EXPECT_EQ(Model().Stage(0).mSamples, rising) << rate;
  }
}

// At every zoom and scroll, the time labels keep clear of one another, of the drawn handles and
// of the graph's edges.
TEST_F(EnvelopeFixture, TimeLabelsNeverOverlapOneAnotherOrAHandle)
{
  for (float scale : {0.015f, 0.04f, 0.09f, 0.2f, 0.35f, 0.6f, 1.3f, 4.f, 20.f})
    for (float offset : {0.f, 35.f, 260.f})
    {
      mControl->SetView({scale, offset});
      mGraphics.mLog.clear();
      mControl->Draw(mGraphics);
      std::vector<IRECT> labels;
      for (const std::string& line : Filter(mGraphics.mLog, "DrawText "))
      {
        IRECT r;
        char text[32];
        if (std::sscanf(line.c_str(), "DrawText %31s %f %f %f %f", text, &r.L, &r.T, &r.R, &r.B) ==
              5 &&
            std::string(text).find("ms") != std::string::npos && r.L < kR) // not the read-out
          labels.push_back(r);
      }
      for (size_t a = 0; a < labels.size(); ++a)
      {
        EXPECT_TRUE(labels[a].L > kL && labels[a].R < kR) << scale << " " << offset;
        for (size_t b = a + 1; b < labels.size(); ++b)
          EXPECT_FALSE(labels[a].Intersects(labels[b])) << scale << " " << offset;
        for (int i = 0; i < static_cast<int>(mControl->GetCoords().size()); ++i)
        {
          const auto& p = P(i);
          const bool drawn = p.x >= kL && p.x <= kR;
          EXPECT_FALSE(drawn &&
                       labels[a].Intersects(IRECT(p.x - 5.f, p.y - 5.f, p.x + 5.f, p.y + 5.f)))
            << scale << " " << offset << " point " << i;
        }
      }
    }
}

TEST_F(EnvelopeFixture, ZoomScrollAndFitStayInBounds)
{
  // Fit: the whole envelope (1500 ms) over 95 % of the graph's width from its left edge.
  mGraphics.OnMouseDblClick(kL + 1.f, kT + 1.f, IMouseMod());
  EXPECT_FLOAT_EQ(P(0).x, kL);
  EXPECT_NEAR(P(5).x - P(0).x, 0.95f * (kR - kL), 1e-3f);
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

  // Nothing to fit (no stages), or no room to fit it in: the zoom stays as it was.
  mEnvelope.Edit([](EnvelopeParameter& e) { e.InitStages(0); });
  mControl->FitToView();
  EXPECT_FLOAT_EQ(mControl->GetTimeScale(), 0.065f);
  EXPECT_EQ(Drawn("PathFill").find("blend 0.2"), std::string::npos); // no area ...
  EXPECT_EQ(Drawn("DrawText").find("LEVEL"), std::string::npos);     // ... and no read-out
  std::unique_ptr<Control> narrow(MakeEditor(&mEnvelope, IRECT(0, 0, 40, 40)));
  narrow->FitToView();
  EXPECT_EQ(narrow->GetTimeScale(), 0.2f);
}

TEST_F(EnvelopeFixture, SustainSwitchAndItsPoint)
{
  // The sustain point (3) raised off the labels' row: its dotted line keeps the 500 ms label
  // out until sustain is off.
  DragPoint(3, 0.f, -40.f);
  EXPECT_EQ(Drawn("DrawText").substr(0, 6), "1000ms");
  const IRECT sustain = mControl->GetSustainRECT();
  Gesture(sustain.MW(), sustain.T + 13.f, {}); // the switch's top 14 points
  EXPECT_FALSE(Model().mSustain);
  EXPECT_EQ(Drawn("DrawText").substr(0, 6), "500ms|");
  Gesture(sustain.MW(), sustain.T + 15.f, {}); // its lower part: nothing
  EXPECT_FALSE(Model().mSustain);
  Gesture(sustain.MW(), sustain.T + 1.f, {});
  EXPECT_TRUE(Model().mSustain);

  // The sustain point (3) has a dotted line down and a sustain-coloured frame; the last
  // point's frame is drawn last, in the line colour, even when it is the sustain point.
  const std::string dotted = "PathStroke " + Fmt(kLine) + " 1 dash 2 blend 1";
  const std::string sustainFrame = "PathStroke " + Fmt(Control::DEFAULT_SL_COLOR) + " 1 blend 1";
  const std::string lineFrame = "PathStroke " + Fmt(kLine) + " 1 blend 1";
  const std::string five = Drawn("PathStroke");
  EXPECT_NE(five.find(dotted + "|" + sustainFrame + "|"), std::string::npos);
  EXPECT_EQ(five.find(sustainFrame), five.rfind(sustainFrame));
  EXPECT_EQ(five.substr(five.size() - lineFrame.size()), lineFrame);
  mEnvelope.Edit([](EnvelopeParameter& e) { e.InitStages(3); });
  mControl->Update();
  const std::string three = Drawn("PathStroke"), tail = sustainFrame + "|" + lineFrame;
  EXPECT_EQ(three.substr(three.size() - tail.size()), tail);
}

// The editor changes operator A's envelope of an engine: the next note plays the new attack.
TEST(EnvelopeEdit, HeardInTheNextNote)
{
  enginetest::TestEngine engine;
  TestDelegate delegate;
  RecordingGraphics graphics(delegate, 1011, 601);
  auto* pControl = static_cast<Control*>(
    graphics.AttachControl(MakeEditor(engine.params.GetEnvelope(kEnvelopeOpA))));
  const int fiveMs = static_cast<int>(0.005 * enginetest::kRate);
  auto attackPeak = [&]
  {
    engine.NoteOn(69);
    const std::vector<double> note = engine.Render(fiveMs);
    engine.NoteOff(69);
    engine.Render(static_cast<int>(enginetest::kRate)); // its release ends
    return enginetest::Peak(note, 0, note.size());
  };
  const double before = attackPeak();
  ASSERT_GT(before, 0.1);

  // Point 1 (the end of the attack) 100 points right: 500 ms more attack at 0.2 points per ms.
  const auto p1 = pControl->GetCoords()[1];
  graphics.OnMouseDown({Point(p1.x, p1.y, kLeft)});
  graphics.OnMouseDrag({Point(p1.x + 100.f, p1.y, kLeft, 100.f, 0.f)});
  graphics.OnMouseUp({Point(p1.x + 100.f, p1.y, kLeft)});
  EXPECT_NEAR(engine.params.GetEnvelope(kEnvelopeOpA)->Get().StageMilliseconds(0), 502.27f, 0.01f);
  EXPECT_LT(attackPeak(), 0.1 * before);
}

} // namespace
