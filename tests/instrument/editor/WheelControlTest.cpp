// The pitch and modulation wheels on the recording back end: the exact MIDI bytes they send, the
// pitch wheel's glide back to the centre, following host MIDI without echoing it, and the
// bend-range menu that sets the pitch-bend range parameter.

#include "instrument/editor/controls/IWheelControl.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

constexpr int kBendRangeParam = 59;
const IRECT kPitchBounds(12.f, 502.f, 32.f, 589.f);
const IRECT kModBounds(40.f, 502.f, 60.f, 589.f);
const IMouseMod kLeft(true);
const IMouseMod kRight(false, true);

std::string Bytes(const IMidiMsg& m)
{
  char buf[24];
  std::snprintf(buf, sizeof(buf), "%02X %d %d", m.mStatus, m.mData1, m.mData2);
  return buf;
}

// The layout's two wheels in an open editor; parameter 59 is "Pitchbend Range" (0..12, 2) with
// a second control bound to it, as the "PB RANGE" field is.
struct WheelFixture : ::testing::Test
{
  TestDelegate mDelegate{64};
  IGraphics* mGraphics = nullptr;
  IVTVWheelControl* mPitch = nullptr;
  IVTVWheelControl* mMod = nullptr;
  TestControl* mRangeField = nullptr;

  WheelFixture()
  {
    mDelegate.GetParam(kBendRangeParam)->InitInt("Pitchbend Range", 2, 0, 12, "semitones");
    mDelegate.mMakeGraphicsFunc = [this]
    {
      return new RecordingGraphics(mDelegate, 1011, 601);
    };
    mDelegate.mLayoutFunc = [this](IGraphics* g)
    {
      mPitch = static_cast<IVTVWheelControl*>(g->AttachControl(
        new IVTVWheelControl(kPitchBounds, IWheelControl::kPitchWheel, 2, kBendRangeParam), 55));
      mPitch->SetOfferRangeMenu(true);
      mMod =
        static_cast<IVTVWheelControl*>(g->AttachControl(new IVTVWheelControl(kModBounds, 1), 56));
      mRangeField = static_cast<TestControl*>(
        g->AttachControl(new TestControl(IRECT(751, 543, 805, 581), kBendRangeParam), 58));
    };
    mDelegate.OpenWindow(nullptr);
    mGraphics = mDelegate.GetUI();
  }

  RecordingGraphics& Recording() { return *static_cast<RecordingGraphics*>(mGraphics); }

  std::vector<std::string> Sent()
  {
    std::vector<std::string> out;
    for (const IMidiMsg& m : mDelegate.mMidiFromUI)
    {
      EXPECT_EQ(m.mOffset, 0);
      out.push_back(Bytes(m));
    }
    mDelegate.mMidiFromUI.clear();
    return out;
  }
};

TEST_F(WheelFixture, PitchWheelSendsFourteenBitBendsAndGlidesBackToOneCentreMessage)
{
  EXPECT_EQ(mPitch->GetValue(), 0.5);
  EXPECT_EQ(mMod->GetValue(), 0.0);
  mPitch->SetValue(1.0);
  EXPECT_EQ(Bytes(mPitch->MakeMidiMsg()), "E0 127 127"); // 16384 clamped to 16383
  mPitch->SetValue(0.0);
  EXPECT_EQ(Bytes(mPitch->MakeMidiMsg()), "E0 0 0");
  mPitch->SetValue(0.75);
  EXPECT_EQ(Bytes(mPitch->MakeMidiMsg()), "E0 0 96"); // 12288
  mMod->SetValue(0.5);
  EXPECT_EQ(Bytes(mMod->MakeMidiMsg()), "B0 1 63");
  mPitch->SetValue(0.5);

  // A press in the middle, then a drag to the very top (four heights at gearing 4).
  const float x = kPitchBounds.MW(), y = kPitchBounds.MH();
  mGraphics->OnMouseDown({Point(x, y, kLeft)});
  mGraphics->OnMouseDrag({Point(x, y - 200.f, kLeft, 0.f, -200.f)});
  mGraphics->OnMouseDrag({Point(x, y - 400.f, kLeft, 0.f, -200.f)});
  EXPECT_EQ(mPitch->GetValue(), 1.0);
  const std::vector<std::string> dragged = Sent();
  ASSERT_GE(dragged.size(), 2u);
  EXPECT_EQ(dragged.back(), "E0 127 127");

  mGraphics->OnMouseUp({Point(x, y - 400.f, kLeft)});
  mPitch->Animate(); // the glide's first frames move the wheel but send nothing
  EXPECT_TRUE(Sent().empty());
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  mPitch->Animate(); // the frame after 50 ms
  EXPECT_EQ(Sent(), std::vector<std::string>{"E0 0 64"});
  EXPECT_EQ(mPitch->GetValue(), 0.5);
  EXPECT_FALSE(mPitch->GetAnimationFunction());

  // The controller wheel stays where it is let go; the scroll wheel moves neither.
  mGraphics->OnMouseDown({Point(kModBounds.MW(), kModBounds.T + 2.f, kLeft)});
  mGraphics->OnMouseUp({Point(kModBounds.MW(), kModBounds.T + 2.f, kLeft)});
  const double kept = mMod->GetValue();
  EXPECT_GT(kept, 0.9);
  EXPECT_FALSE(mMod->GetAnimationFunction());
  mGraphics->OnMouseWheel(kModBounds.MW(), kModBounds.MH(), IMouseMod(), 3.f);
  mGraphics->OnMouseWheel(kPitchBounds.MW(), kPitchBounds.MH(), IMouseMod(), 3.f);
  EXPECT_EQ(mMod->GetValue(), kept);
  EXPECT_EQ(mPitch->GetValue(), 0.5);

  // Closing the editor while the pitch wheel is bent ends the bend.
  Sent();
  mGraphics->OnMouseDown({Point(x, kPitchBounds.T + 2.f, kLeft)});
  mDelegate.CloseWindow();
  const std::vector<std::string> last = Sent();
  ASSERT_FALSE(last.empty());
  EXPECT_EQ(last.back(), "E0 0 64");
}

TEST_F(WheelFixture, HostMidiMovesTheWheelsWithoutEchoingBack)
{
  mDelegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0xE3, 0x7F, 0x7F)); // any channel
  EXPECT_DOUBLE_EQ(mPitch->GetValue(), (8191.0 / 8192.0 + 1.0) * 0.5);
  mDelegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0xE0, 0x00, 0x40));
  EXPECT_DOUBLE_EQ(mPitch->GetValue(), 0.5);
  mDelegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0xB0, 1, 127));
  EXPECT_DOUBLE_EQ(mMod->GetValue(), 1.0);
  EXPECT_DOUBLE_EQ(mPitch->GetValue(), 0.5); // a controller does not move the pitch wheel
  mDelegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0xB0, 2, 0)); // another controller
  mDelegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0x90, 1, 0)); // a note numbered as the wheel
  mDelegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0xE0, 0, 0)); // the pitch wheel's message
  EXPECT_DOUBLE_EQ(mMod->GetValue(), 1.0);
  EXPECT_TRUE(Sent().empty());
}

TEST_F(WheelFixture, BendRangeMenuSetsThePitchBendRangeParameter)
{
  IPopupMenu* pShown = nullptr;
  int choice = 3; // "Octave"
  Recording().mMenuResponder = [&](IPopupMenu& menu) -> IPopupMenu*
  {
    pShown = &menu;
    if (choice < 0)
      return nullptr;
    menu.SetChosenItemIdx(choice);
    return &menu;
  };
  mGraphics->OnMouseDown({Point(kPitchBounds.MW(), kPitchBounds.MH(), kRight)});
  mGraphics->OnMouseUp({Point(kPitchBounds.MW(), kPitchBounds.MH(), kRight)});
  ASSERT_EQ(Recording().mMenus.size(), 1u);
  EXPECT_EQ(Recording().mMenus[0].items,
            (std::vector<std::string>{"1 semitone", "*2 semitones", "Fifth", "Octave"}));
  EXPECT_EQ(pShown, &mPitch->GetRangeMenu());
  EXPECT_EQ(mPitch->GetBendRange(), 12);
  EXPECT_EQ(mDelegate.GetParam(kBendRangeParam)->Value(), 12.0);
  EXPECT_EQ(mDelegate.mHostLog, (std::vector<std::string>{"begin 59", "value 59 1", "end 59"}));
  EXPECT_DOUBLE_EQ(mRangeField->GetValue(), 1.0); // the "PB RANGE" field follows
  EXPECT_TRUE(Sent().empty()); // neither the menu's press nor its release bends anything

  // The range set elsewhere is what the menu shows checked next time; a dismissed menu changes
  // nothing.
  mDelegate.GetParam(kBendRangeParam)->Set(7.0);
  choice = -1;
  mGraphics->OnMouseDown({Point(kPitchBounds.MW(), kPitchBounds.MH(), kRight)});
  mGraphics->OnMouseUp({Point(kPitchBounds.MW(), kPitchBounds.MH(), kRight)});
  EXPECT_EQ(Recording().mMenus[1].items[2], "*Fifth");
  EXPECT_EQ(mDelegate.GetParam(kBendRangeParam)->Value(), 7.0);
  EXPECT_EQ(mDelegate.mHostLog.size(), 3u);

  // Without the offer-range-menu flag a right press is an ordinary slider press.
  mPitch->SetOfferRangeMenu(false);
  mGraphics->OnMouseDown({Point(kPitchBounds.MW(), kPitchBounds.T + 2.f, kRight)});
  EXPECT_EQ(Recording().mMenus.size(), 2u);
  EXPECT_GT(mPitch->GetValue(), 0.9);
  EXPECT_FALSE(Sent().empty());
}

} // namespace
