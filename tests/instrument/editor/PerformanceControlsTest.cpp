// The editor's keyboard row on the recording back end: the on-screen keyboard's key geometry, the
// notes and velocities that pointer events play (and the note-off every held key gets), host
// notes lighting keys; the pitch and modulation wheels' exact MIDI bytes, the pitch wheel's glide
// back to the centre, host MIDI followed without an echo, and the bend-range menu that sets the
// pitch-bend range parameter.

#include "instrument/editor/controls/IVTVKeyboardControl.h"
#include "instrument/editor/controls/IWheelControl.h"
#include "tests/instrument/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

// The layout's keyboard row: the wheels, the keyboard (88..653 x 502..589, notes 36 to 84) and
// the "PB RANGE" field bound to parameter 59, "Pitchbend Range" (0..12, default 2).
constexpr int kBendRangeParam = 59;
const IRECT kPitch(12.f, 502.f, 32.f, 589.f);
const IRECT kMod(40.f, 502.f, 60.f, 589.f);
const IRECT kBounds(88.f, 502.f, 653.f, 589.f);
const IMouseMod kLeft(true);
const IMouseMod kRight(false, true);

IVTVKeyboardControl* MakeKeyboard(const IRECT& bounds = kBounds)
{
  const IColor accent(255, 138, 217, 255);
  return new IVTVKeyboardControl(bounds, 36, 84, false, IColor(255, 223, 223, 223), COLOR_BLACK,
                                 accent, IColor(255, 15, 15, 15), IColor(255, 153, 153, 153),
                                 accent);
}

struct KeyboardRow : ::testing::Test
{
  TestDelegate mDelegate{64};
  Ageing<IVTVWheelControl>* mPitch = nullptr;
  IVTVWheelControl* mMod = nullptr;
  IControl* mRangeField = nullptr;
  IVTVKeyboardControl* mKeys = nullptr;
  IGraphics* mGraphics = OpenEditor(
    mDelegate,
    [this](IGraphics& g)
    {
      mDelegate.GetParam(kBendRangeParam)->InitInt("Pitchbend Range", 2, 0, 12, "semitones");
      mPitch = static_cast<Ageing<IVTVWheelControl>*>(g.AttachControl(
        new Ageing<IVTVWheelControl>(kPitch, IWheelControl::kPitchWheel, 2, kBendRangeParam), 55));
      mPitch->SetOfferRangeMenu(true);
      mMod = static_cast<IVTVWheelControl*>(g.AttachControl(new IVTVWheelControl(kMod, 1), 56));
      mKeys = static_cast<IVTVKeyboardControl*>(g.AttachControl(MakeKeyboard(), 57));
      mRangeField = g.AttachControl(new TestControl(IRECT(751, 543, 805, 581), kBendRangeParam));
    });
  RecordingGraphics& Recording() { return *static_cast<RecordingGraphics*>(mGraphics); }
  void Click(const IRECT& r, float y, const IMouseMod& mod)
  {
    mGraphics->OnMouseDown({Point(r.MW(), y, mod)});
    mGraphics->OnMouseUp({Point(r.MW(), y, mod)});
  }

  // The centre of a key, and a height as a fraction of the keyboard's (0 top, 1 bottom).
  float KeyX(int key) const
  {
    return mKeys->GetKeyLeft(key) +
           0.5f * (mKeys->IsBlackKey(key) ? mKeys->GetBlackKeyWidth() : mKeys->GetWhiteKeyWidth());
  }
  static float AtHeight(float fraction) { return kBounds.T + fraction * kBounds.H(); }
  void Down(float x, float y) { mGraphics->OnMouseDown({Point(x, y, kLeft)}); }
  void Drag(float x, float y) { mGraphics->OnMouseDrag({Point(x, y, kLeft, 1.f, 0.f)}); }
  void Up(float x, float y) { mGraphics->OnMouseUp({Point(x, y, kLeft)}); }
};

TEST(KeyboardGeometry, KeysFillTheWidthWhateverNotesTheRangeStartsOrEndsOn)
{
  // 36..84: both ends white, 29 white keys of exactly a 29th of the width each.
  std::unique_ptr<IVTVKeyboardControl> keys(MakeKeyboard());
  ASSERT_EQ(keys->NKeys(), 49);
  const float w = kBounds.W() / 29.f;
  EXPECT_FLOAT_EQ(keys->GetWhiteKeyWidth(), w);
  EXPECT_NEAR(keys->GetKeyLeft(48), kBounds.L + 28.f * w, 1e-3f);              // C at the right end
  EXPECT_FLOAT_EQ(keys->GetKeyLeft(1), kBounds.L + w - 7.f / 12.f * 0.6f * w); // C# over C|D

  // From C# (37) to A# (82): the C# at the left edge, D 7/12 of a black key to its right, the
  // A#'s right edge on the control's.
  keys->SetNoteRange(82, 37);
  const float bw = keys->GetBlackKeyWidth();
  EXPECT_FLOAT_EQ(keys->GetKeyLeft(0), kBounds.L);
  EXPECT_FLOAT_EQ(keys->GetKeyLeft(1), kBounds.L + 7.f / 12.f * bw);
  EXPECT_NEAR(keys->GetKeyLeft(keys->NKeys() - 1) + bw, kBounds.R, 1e-3f);
  keys->SetTargetAndDrawRECTs(IRECT(0, 0, 2.f * kBounds.W(), kBounds.H())); // keys scale along
  EXPECT_FLOAT_EQ(keys->GetKeyLeft(1), 2.f * 7.f / 12.f * bw);

  std::unique_ptr<IVTVKeyboardControl> square(MakeKeyboard(IRECT(10, 20, 10, 80))); // no width
  EXPECT_EQ(square->GetTargetRECT(), IRECT(10, 20, 70, 80));
  square->SetNoteRange(100, 130); // beyond MIDI: refused (the octave buttons' ends: the layout's)
  EXPECT_EQ(square->GetMinNote(), 36);
}

TEST_F(KeyboardRow, BlackKeysWinTheirTopSixtyPercentAndVelocityGrowsDownTheKey)
{
  const float x = KeyX(1); // C#
  EXPECT_EQ(mKeys->GetKeyAtPoint(x, AtHeight(0.59f)), 1);
  EXPECT_EQ(mKeys->GetKeyAtPoint(x, AtHeight(0.61f)), x < mKeys->GetKeyLeft(2) ? 0 : 2);
  EXPECT_EQ(mKeys->GetKeyAtPoint(kBounds.R + 50.f, kBounds.B + 50.f), 48); // the nearest key

  Down(KeyX(0), kBounds.T); // the very top: velocity 1, still a note-on
  Up(KeyX(0), kBounds.T);
  Down(KeyX(0), AtHeight(0.96f)); // the lowest 5 %: velocity 127
  Up(KeyX(0), AtHeight(0.96f));
  Down(x, AtHeight(0.6f * 0.95f * 0.5f)); // half way down the black key's travel
  Up(x, 0.f);
  EXPECT_EQ(SentMidi(mDelegate), "90 36 1, 80 36 0, 90 36 127, 80 36 0, 90 37 63, 80 37 0");
}

TEST_F(KeyboardRow, DraggingPlaysLegatoAndEveryHeldKeyGetsItsNoteOff)
{
  const float y = AtHeight(0.97f);
  Down(KeyX(0), y);
  Drag(KeyX(0) + 1.f, y);                   // same key: nothing
  Drag(KeyX(2), y);                         // the new note starts before the old one stops
  Drag(kBounds.L - 40.f, kBounds.T - 40.f); // off the keyboard: the nearest edge key sounds
  Up(kBounds.L - 40.f, kBounds.T - 40.f);   // released outside: its note-off all the same
  Up(KeyX(0), y);                           // nothing held: nothing sent
  EXPECT_EQ(SentMidi(mDelegate), "90 36 127, 90 38 127, 80 36 0, 90 36 1, 80 38 0, 80 36 0");
  EXPECT_FALSE(mKeys->IsKeyPressed(0));

  // The pointer leaves, the touch is cancelled, the press ends without a release (a resize
  // drops the capture), the octave buttons move the range, the editor closes: each key stops
  // there and then, once. (A press lasts until its release: the next one waits for it.)
  Down(KeyX(4), y);
  mKeys->OnMouseOut();
  Up(KeyX(4), y);
  Down(KeyX(5), y);
  mGraphics->OnTouchCancelled({Point(0, 0, kLeft)});
  Down(KeyX(7), y);
  mGraphics->ReleaseMouseCapture();
  EXPECT_EQ(SentMidi(mDelegate), "90 40 127, 80 40 0, 90 41 127, 80 41 0, 90 43 127, 80 43 0");
  Down(KeyX(9), y);
  EXPECT_TRUE(mKeys->ShiftOctave(true));
  Up(KeyX(9), y);
  Down(KeyX(0), y);
  mDelegate.CloseWindow();
  EXPECT_EQ(SentMidi(mDelegate), "90 45 127, 80 45 0, 90 48 127, 80 48 0");
}

TEST_F(KeyboardRow, HostNotesLightKeysWithoutPlayingAnything)
{
  for (const IMidiMsg& m :
       {IMidiMsg(0, 0x91, 60, 100), IMidiMsg(0, 0x90, 61, 100), IMidiMsg(0, 0x90, 62, 100),
        IMidiMsg(0, 0x90, 100, 100), IMidiMsg(0, 0x90, 60, 0), IMidiMsg(0, 0x80, 61, 64)})
    mDelegate.SendMidiMsgFromDelegate(m);
  for (int key = 0; key < mKeys->NKeys(); ++key)
    EXPECT_EQ(mKeys->IsKeyPressed(key), key == 62 - 36) << key; // out of range: ignored
  mDelegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0xB0, 123, 0)); // all notes off
  EXPECT_FALSE(mKeys->IsKeyPressed(62 - 36));
  EXPECT_EQ(SentMidi(mDelegate), "");
}

std::string Bytes(IWheelControl& wheel, double value)
{
  wheel.SetValue(value);
  TestDelegate recorder;
  recorder.mMidiFromUI.push_back(wheel.MakeMidiMsg());
  return SentMidi(recorder);
}

TEST_F(KeyboardRow, PitchWheelSendsFourteenBitBendsAndGlidesBackToOneCentreMessage)
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
  mPitch->Age(0.0); // the glide's frames move the wheel but send nothing ...
  EXPECT_EQ(SentMidi(mDelegate), "");
  mPitch->Age(60.0); // ... until the first frame after 50 ms
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

TEST_F(KeyboardRow, HostMidiMovesTheWheelsWithoutEchoingBack)
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

TEST_F(KeyboardRow, BendRangeMenuSetsThePitchBendRangeParameter)
{
  int choice = 0;
  Recording().mMenuResponder = [&](IPopupMenu& menu) -> IPopupMenu*
  {
    menu.SetChosenItemIdx(choice);
    return choice < 0 ? nullptr : &menu;
  };
  // Every item in turn: its range in one gesture, the "PB RANGE" field following.
  const int semitones[] = {1, 2, 7, 12};
  for (choice = 0; choice < 4; ++choice)
  {
    mDelegate.mHostLog.clear();
    Click(kPitch, kPitch.MH(), kRight);
    const int range = semitones[choice];
    EXPECT_EQ(mDelegate.GetParam(kBendRangeParam)->Value(), range) << choice;
    EXPECT_EQ(mDelegate.mHostLog,
              (std::vector<std::string>{"begin 59", "value 59 " + Fmt(range / 12.0), "end 59"}))
      << choice;
    EXPECT_DOUBLE_EQ(mRangeField->GetValue(), range / 12.0) << choice;
  }
  ASSERT_EQ(Recording().mMenus.size(), 4u);
  EXPECT_EQ(Recording().mMenus[0].items,
            (std::vector<std::string>{"1 semitone", "*2 semitones", "Fifth", "Octave"}));
  EXPECT_EQ(Recording().mMenus[3].items[2], "*Fifth"); // the range set last time is checked
  EXPECT_EQ(SentMidi(mDelegate), "");                  // neither a press nor its release bends

  // The range set elsewhere is the one checked next time; a dismissed menu changes nothing.
  mDelegate.GetParam(kBendRangeParam)->Set(1.0);
  choice = -1;
  mDelegate.mHostLog.clear();
  Click(kPitch, kPitch.MH(), kRight);
  EXPECT_EQ(Recording().mMenus[4].items[0], "*1 semitone");
  EXPECT_EQ(mDelegate.GetParam(kBendRangeParam)->Value(), 1.0);
  EXPECT_TRUE(mDelegate.mHostLog.empty());

  // Without the offer-range-menu flag a right press is an ordinary slider press.
  mPitch->SetOfferRangeMenu(false);
  mGraphics->OnMouseDown({Point(kPitch.MW(), kPitch.T + 2.f, kRight)});
  EXPECT_EQ(Recording().mMenus.size(), 5u);
  EXPECT_EQ(SentMidi(mDelegate), "E0 7 125");
}

} // namespace
