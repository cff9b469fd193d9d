// Bitmap-strip controls on the recording back end: frames chosen and drawn, clicks and drags
// with their gearing, and the level meter's messages.

#include "framework/graphics/controls/IBControls.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

struct BControlsTest : RecordingTest<>
{
  std::vector<std::unique_ptr<APIBitmap>> mBitmaps;

  IBitmap Strip(int w, int h, int frames, bool horizontal)
  {
    mBitmaps.push_back(std::make_unique<APIBitmap>(w, h, 1.f, 1.f));
    return IBitmap(mBitmaps.back().get(), frames, horizontal);
  }
  std::vector<std::string> DrawLog(IControl* pControl) { return Drawn(pControl, "DrawBitmap"); }
};

} // namespace

TEST_F(BControlsTest, StripsThatDoNotDivideByTheirFrameCountDrawWholeFrames)
{
  // 103 points over 4 frames: frames of 25 points at 0, 25, 50 and 75; the last 3 points unused.
  auto* pKnob = Attach(new IBKnobControl(0, 0, Strip(103, 20, 4, true), 0));
  EXPECT_EQ(pKnob->GetRECT(), IRECT(0, 0, 25, 20));
  pKnob->SetValue(2.0 / 3.0);
  EXPECT_EQ(DrawLog(pKnob), std::vector<std::string>{"DrawBitmap 0 0 25 20 50 0"});
  pKnob->SetValue(1.0);
  EXPECT_EQ(DrawLog(pKnob), std::vector<std::string>{"DrawBitmap 0 0 25 20 75 0"});
}

TEST_F(BControlsTest, KnobDragsWithItsGearingInsideOneGesture)
{
  // A vertical strip of 10 frames of 40 x 100: a 100-point drag upwards moves 1 / gearing 4.
  auto* pKnob = Attach(new IBKnobControl(0, 0, Strip(40, 1000, 10, false), 1));
  Drag(20, 50, 0, -100);
  EXPECT_DOUBLE_EQ(pKnob->GetValue(), 0.25);
  EXPECT_EQ(delegate.mHostLog, (std::vector<std::string>{"begin 1", "value 1 0.25", "end 1"}));
}

TEST_F(BControlsTest, SwitchStepsByTheStripsFramesAndWraps)
{
  auto* pThree = Attach(new IBSwitchControl(IRECT(0, 0, 50, 50), Strip(30, 60, 3, false), 2));
  EXPECT_EQ(pThree->GetRECT(), IRECT(10, 15, 40, 35)); // one 30 x 20 frame, centred
  std::vector<double> values;
  for (int i = 0; i < 4; ++i)
  {
    Click(25, 25);
    values.push_back(pThree->GetValue());
  }
  EXPECT_EQ(values, (std::vector<double>{0.5, 1.0, 0.0, 0.5}));
  // Each click is one gesture around one value.
  EXPECT_EQ(std::vector<std::string>(delegate.mHostLog.begin(), delegate.mHostLog.begin() + 3),
            (std::vector<std::string>{"begin 2", "value 2 0.5", "end 2"}));
  EXPECT_EQ(delegate.mHostLog.size(), 12u);

  // One frame: 0 -> 1 -> 0, and always the first frame.
  auto* pOne = Attach(new IBSwitchControl(100, 0, Strip(20, 20, 1, false)));
  Click(110, 10);
  EXPECT_EQ(pOne->GetValue(), 1.0);
  EXPECT_EQ(DrawLog(pOne), std::vector<std::string>{"DrawBitmap 100 0 120 20 0 0"});
  Click(110, 10);
  EXPECT_EQ(pOne->GetValue(), 0.0);
}

TEST_F(BControlsTest, ButtonShowsItsLastFrameUntilTheClickAnimationEnds)
{
  int actions = 0;
  auto* pButton = new IBButtonControl(0, 0, Strip(30, 20, 2, true),
                                      [&actions](IControl* pCaller)
                                      {
                                        ++actions;
                                        DefaultClickActionFunc(pCaller);
                                      });
  g.AttachControl(pButton);
  Click(10, 10);
  EXPECT_EQ(actions, 1);
  EXPECT_EQ(DrawLog(pButton), std::vector<std::string>{"DrawBitmap 0 0 15 20 15 0"});
  pButton->OnEndAnimation();
  EXPECT_EQ(DrawLog(pButton), std::vector<std::string>{"DrawBitmap 0 0 15 20 0 0"});
}

TEST_F(BControlsTest, SliderTravelIsTheTrackLessTheWholeHandleStrip)
{
  // Track 10 x 100 centred in (0, 0, 20, 100); a handle strip of two 20 x 10 frames shortens the
  // travel by its whole 20 points.
  auto* pSlider = Attach(
    new IBSliderControl(IRECT(0, 0, 20, 100), Strip(20, 20, 2, false), Strip(10, 100, 1, false)));
  EXPECT_EQ(pSlider->GetTrackBounds(), IRECT(5, 0, 15, 100));
  EXPECT_EQ(pSlider->GetHandleBounds(1.0), IRECT(5, 0, 25, 10));
  EXPECT_EQ(pSlider->GetHandleBounds(0.0), IRECT(5, 80, 25, 90));
  pSlider->SetValue(1.0);
  EXPECT_EQ(DrawLog(pSlider),
            (std::vector<std::string>{"DrawBitmap 5 0 15 100 0 0", "DrawBitmap 5 0 25 10 0 0"}));

  // A one-frame handle and no track bitmap: the travel is the bounds, bottom to top.
  auto* pBare = Attach(new IBSliderControl(40, 0, 100, Strip(20, 10, 1, false), IBitmap()));
  EXPECT_EQ(pBare->GetHandleBounds(0.0), IRECT(40, 90, 60, 100));
  EXPECT_EQ(pBare->GetHandleBounds(1.0), IRECT(40, 0, 60, 10));
}

TEST_F(BControlsTest, RotaterTurnsFromMinus130ToPlus130)
{
  auto* pKnob = Attach(new IBKnobRotaterControl(0, 0, Strip(40, 40, 1, false)));
  pKnob->SetValue(1.0);
  // The rotation's matrix: cos and sin of 130 degrees.
  EXPECT_FALSE(Drawn(pKnob, "PathTransformSetMatrix -0.642788 0.766044").empty());
}

TEST_F(BControlsTest, TextDrawsOneFontFramePerCharacter)
{
  // 64 frames of 8 x 12 side by side: "A" is character 65, frame 34.
  auto* pText = Attach(new IBTextControl(IRECT(0, 0, 100, 12), Strip(512, 12, 64, true),
                                         IText(12.f, EVAlign::kTop), "A ", 8, 12));
  EXPECT_EQ(DrawLog(pText),
            (std::vector<std::string>{"DrawBitmap 42 0 50 12 264 0", "DrawBitmap 50 0 58 12 0 0"}));
}

TEST_F(BControlsTest, MeterTakesLevelsFromItsMessages)
{
  auto* pMeter =
    Attach(new IBMeterControl(0, 0, Strip(10, 200, 20, false), kNoParameter, 12.f, -60.f));
  auto send = [pMeter](int tag, int channels, float level, int size = IBMeterControl::kMsgSize)
  {
    uint8_t msg[IBMeterControl::kMsgSize] = {};
    std::memcpy(msg + IBMeterControl::kChannelCountOffset, &channels, 4);
    std::memcpy(msg + IBMeterControl::kLevelOffset, &level, 4);
    pMeter->OnMsgFromDelegate(tag, size, msg);
    return pMeter->GetValue();
  };
  EXPECT_DOUBLE_EQ(send(0, 1, 1.f), 60.0 / 72.0);  // 0 dB on a -60..+12 dB scale
  EXPECT_DOUBLE_EQ(send(1, 1, 0.1f), 60.0 / 72.0); // another tag: dropped
  EXPECT_DOUBLE_EQ(send(0, 0, 0.1f), 60.0 / 72.0); // no channel: unchanged
  EXPECT_DOUBLE_EQ(send(0, 1, 0.f), 0.0);          // silence
  send(0, 1, 1.f);
  EXPECT_DOUBLE_EQ(send(0, 1, 1.f, 16), 0.0); // too short to hold a level
  pMeter->SetDisabled(true);
  EXPECT_DOUBLE_EQ(send(0, 1, 1.f), 0.0);
  EXPECT_TRUE(delegate.mHostLog.empty()); // levels never reach the host

  IBMeterControl linear(0, 0, Strip(10, 200, 20, false), kNoParameter, 0.f, 0.f,
                        IBMeterControl::kLinear);
  EXPECT_DOUBLE_EQ(linear.LevelToValue(0.5f), 0.5);
  EXPECT_DOUBLE_EQ(IBMeterControl(0, 0, IBitmap(), kNoParameter, 0.f, 0.f).LevelToValue(1.f), 0.0);
}
