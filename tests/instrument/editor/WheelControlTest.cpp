// The pitch and modulation wheels on the recording back end: the exact MIDI bytes they send, the
// pitch wheel's glide back to the centre, following host MIDI without echoing it, and the
// bend-range menu that sets the pitch-bend range parameter.

#include "instrument/editor/controls/IWheelControl.h"
#include "tests/instrument/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

constexpr int kBendRangeParam = 59;
const IRECT kPitch(12.f, 502.f, 32.f, 589.f);
const IRECT kMod(40.f, 502.f, 60.f, 589.f);
const IMouseMod kLeft(true);
const IMouseMod kRight(false, true);

// The layout's wheels; parameter 59 is "Pitchbend Range" (0..12, default 2) with the
// "PB RANGE" field bound to it.
struct WheelFixture : ::testing::Test
{
  TestDelegate mDelegate{64};
  IVTVWheelControl* mPitch = nullptr;
  IVTVWheelControl* mMod = nullptr;
  IControl* mRangeField = nullptr;
  IGraphics* mGraphics = OpenEditor(
    mDelegate,
    [this](IGraphics& g)
    {
      mDelegate.GetParam(kBendRangeParam)->InitInt("Pitchbend Range", 2, 0, 12, "semitones");
      mPitch = static_cast<IVTVWheelControl*>(g.AttachControl(
        new IVTVWheelControl(kPitch, IWheelControl::kPitchWheel, 2, kBendRangeParam), 55));
      mPitch->SetOfferRangeMenu(true);
      mMod = static_cast<IVTVWheelControl*>(g.AttachControl(new IVTVWheelControl(kMod, 1), 56));
      mRangeField = g.AttachControl(new TestControl(IRECT(751, 543, 805, 581), kBendRangeParam));
    });
  RecordingGraphics& Recording() { return *static_cast<RecordingGraphics*>(mGraphics); }
  void Click(const IRECT& r, float y, const IMouseMod& mod)
  {
    mGraphics->OnMouseDown({Point(r.MW(), y, mod)});
    mGraphics->OnMouseUp({Point(r.MW(), y, mod)});
  }
};

std::string Bytes(IWheelControl& wheel, double value)
{
  wheel.SetValue(value);
  TestDelegate recorder;
  recorder.mMidiFromUI.push_back(wheel.MakeMidiMsg());
  return SentMidi(recorder);
}

TEST_F(WheelFixture, PitchWheelSendsFourteenBitBendsAndGlidesBackToOneCentreMessage)
{
  EXPECT_EQ(mMod->GetValue(), 0.0);
  EXPECT_EQ(Bytes(*mPitch, 1.0), "E0 127 127"); // 16384 held to 16383
  EXPECT_EQ(Bytes(*mPitch, 0.0), "E0 0 0");
  EXPECT_EQ(Bytes(*mPitch, 0.75), "E0 0 96"); // 12288
  EXPECT_EQ(Bytes(*mMod, 0.5), "B0 1 63");
  EXPECT_EQ(Bytes(*mPitch, 0.5), "E0 0 64");

  // From the middle to the top (gearing 4: four heights of travel), then let go.
  const float x = kPitch.MW(), y = kPitch.MH();
  mGraphics->OnMouseDown({Point(x, y, kLeft)});
  mGraphics->OnMouseDrag({Point(x, y - 400.f, kLeft, 0.f, -400.f)});
  mGraphics->OnMouseUp({Point(x, y - 400.f, kLeft)});
  EXPECT_EQ(SentMidi(mDelegate), "E0 0 64, E0 127 127");
  mPitch->Animate(); // the glide's frames move the wheel but send nothing ...
  EXPECT_EQ(SentMidi(mDelegate), "");
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  mPitch->Animate(); // ... until the first frame after 50 ms
  EXPECT_EQ(SentMidi(mDelegate), "E0 0 64");
  EXPECT_EQ(mPitch->GetValue(), 0.5);
  EXPECT_FALSE(mPitch->GetAnimationFunction());

  // The controller wheel stays where it is let go; the scroll wheel moves neither.
  Click(kMod, kMod.T + 2.f, kLeft);
  EXPECT_EQ(SentMidi(mDelegate), "B0 1 124");
  EXPECT_FALSE(mMod->GetAnimationFunction());
  mGraphics->OnMouseWheel(kMod.MW(), kMod.MH(), IMouseMod(), 3.f);
  mGraphics->OnMouseWheel(kPitch.MW(), kPitch.MH(), IMouseMod(), 3.f);
  EXPECT_EQ(SentMidi(mDelegate), "");

  // A press that ends without its release (a resize, the editor closing) lets go of the wheel
  // too: it glides back, and the editor closing mid-glide ends the bend.
  mGraphics->OnMouseDown({Point(x, kPitch.T + 2.f, kLeft)});
  EXPECT_TRUE(mGraphics->IsCursorLocked()); // a geared drag: the pointer hidden and held
  mGraphics->ReleaseMouseCapture();
  EXPECT_TRUE(mPitch->GetAnimationFunction());
  EXPECT_FALSE(mGraphics->IsCursorHidden());
  mDelegate.CloseWindow();
  EXPECT_EQ(SentMidi(mDelegate), "E0 7 125, E0 0 64");
}

TEST_F(WheelFixture, HostMidiMovesTheWheelsWithoutEchoingBack)
{
  mDelegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0xE3, 0x7F, 0x7F)); // any channel
  EXPECT_DOUBLE_EQ(mPitch->GetValue(), (8191.0 / 8192.0 + 1.0) * 0.5);
  mDelegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0xB0, 1, 127));
  EXPECT_DOUBLE_EQ(mMod->GetValue(), 1.0);
  EXPECT_DOUBLE_EQ(mPitch->GetValue(), (8191.0 / 8192.0 + 1.0) * 0.5);
  mDelegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0xB0, 2, 0)); // another controller
  mDelegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0x90, 1, 0)); // a note numbered as the wheel
  mDelegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0xE0, 0, 0)); // the pitch wheel's
  EXPECT_DOUBLE_EQ(mMod->GetValue(), 1.0);
  EXPECT_EQ(mPitch->GetValue(), 0.0);
  EXPECT_EQ(SentMidi(mDelegate), "");
}

TEST_F(WheelFixture, BendRangeMenuSetsThePitchBendRangeParameter)
{
  int choice = 3; // "Octave"
  Recording().mMenuResponder = [&](IPopupMenu& menu) -> IPopupMenu*
  {
    menu.SetChosenItemIdx(choice);
    return choice < 0 ? nullptr : &menu;
  };
  Click(kPitch, kPitch.MH(), kRight);
  ASSERT_EQ(Recording().mMenus.size(), 1u);
  EXPECT_EQ(Recording().mMenus[0].items,
            (std::vector<std::string>{"1 semitone", "*2 semitones", "Fifth", "Octave"}));
  EXPECT_EQ(mPitch->GetBendRange(), 12);
  EXPECT_EQ(mDelegate.mHostLog, (std::vector<std::string>{"begin 59", "value 59 1", "end 59"}));
  EXPECT_EQ(mRangeField->GetValue(), 1.0); // the "PB RANGE" field follows
  EXPECT_EQ(SentMidi(mDelegate), "");      // neither the press nor its release bends

  // The range set elsewhere is the one checked next time; a dismissed menu changes nothing.
  mDelegate.GetParam(kBendRangeParam)->Set(7.0);
  choice = -1;
  Click(kPitch, kPitch.MH(), kRight);
  EXPECT_EQ(Recording().mMenus[1].items[2], "*Fifth");
  EXPECT_EQ(mDelegate.GetParam(kBendRangeParam)->Value(), 7.0);
  EXPECT_EQ(mDelegate.mHostLog.size(), 3u);

  // Without the offer-range-menu flag a right press is an ordinary slider press.
  mPitch->SetOfferRangeMenu(false);
  mGraphics->OnMouseDown({Point(kPitch.MW(), kPitch.T + 2.f, kRight)});
  EXPECT_EQ(Recording().mMenus.size(), 2u);
  EXPECT_EQ(SentMidi(mDelegate), "E0 7 125");
}

} // namespace
