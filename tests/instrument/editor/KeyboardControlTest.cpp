// The on-screen keyboard on the recording back end: its key geometry, the notes and velocities
// that pointer events play (and the note-off every held key gets), and host notes lighting keys.

#include "instrument/editor/controls/IVTVKeyboardControl.h"
#include "tests/instrument/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

// The layout's keyboard: 88..653 x 502..589, notes 36 to 84.
const IRECT kBounds(88.f, 502.f, 653.f, 589.f);
const IMouseMod kLeft(true);

IVTVKeyboardControl* MakeKeyboard(const IRECT& bounds = kBounds)
{
  const IColor accent(255, 138, 217, 255);
  return new IVTVKeyboardControl(bounds, 36, 84, false, IColor(255, 223, 223, 223), COLOR_BLACK,
                                 accent, IColor(255, 15, 15, 15), IColor(255, 153, 153, 153),
                                 accent);
}

struct KeyboardFixture : ::testing::Test
{
  TestDelegate mDelegate;
  IVTVKeyboardControl* mKeys = nullptr;
  IGraphics* mGraphics =
    OpenEditor(mDelegate, [this](IGraphics& g)
               { mKeys = static_cast<IVTVKeyboardControl*>(g.AttachControl(MakeKeyboard(), 57)); });

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
}

TEST_F(KeyboardFixture, BlackKeysWinTheirTopSixtyPercentAndVelocityGrowsDownTheKey)
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

TEST_F(KeyboardFixture, DraggingPlaysLegatoAndEveryHeldKeyGetsItsNoteOff)
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

TEST_F(KeyboardFixture, OctaveButtonsStopAtTheEndsOfTheMidiRange)
{
  mKeys->SetNoteRange(12, 60);
  EXPECT_TRUE(mKeys->ShiftOctave(false));
  EXPECT_EQ(mKeys->GetMaxNote(), 48);
  EXPECT_FALSE(mKeys->ShiftOctave(false)); // 0..48
  mKeys->SetNoteRange(72, 120);
  EXPECT_FALSE(mKeys->ShiftOctave(true));
  mKeys->SetNoteRange(100, 130); // beyond MIDI: refused
  EXPECT_EQ(mKeys->GetMinNote(), 72);
}

TEST_F(KeyboardFixture, HostNotesLightKeysWithoutPlayingAnything)
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

} // namespace
