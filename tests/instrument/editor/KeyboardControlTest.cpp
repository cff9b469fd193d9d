// The on-screen keyboard on the recording back end: its key geometry, the notes and velocities
// that pointer events play (and the note-off every held key gets), and host notes lighting keys.

#include "instrument/editor/controls/IVTVKeyboardControl.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

// The layout's keyboard: 88..653 x 502..589, notes 36 to 84.
const IRECT kBounds(88.f, 502.f, 653.f, 589.f);
const IMouseMod kLeft(true);

IVTVKeyboardControl* MakeKeyboard(const IRECT& bounds = kBounds, int lo = 36, int hi = 84)
{
  return new IVTVKeyboardControl(bounds, lo, hi, false, IColor(255, 223, 223, 223), COLOR_BLACK,
                                 IColor(255, 138, 217, 255), IColor(255, 15, 15, 15),
                                 IColor(255, 153, 153, 153), IColor(255, 138, 217, 255));
}

// An open editor (the delegate owns the context, so host MIDI reaches the keyboard) holding
// the layout's keyboard.
struct KeyboardFixture : ::testing::Test
{
  TestDelegate mDelegate;
  IGraphics* mGraphics = nullptr;
  IVTVKeyboardControl* mKeys = nullptr;

  KeyboardFixture()
  {
    mDelegate.mMakeGraphicsFunc = [this]
    {
      return new RecordingGraphics(mDelegate, 1011, 601);
    };
    mDelegate.mLayoutFunc = [this](IGraphics* pGraphics)
    {
      mKeys = static_cast<IVTVKeyboardControl*>(pGraphics->AttachControl(MakeKeyboard(), 57));
    };
    mDelegate.OpenWindow(nullptr);
    mGraphics = mDelegate.GetUI();
  }

  // The messages sent so far, as "on 60 127" / "off 60", and forgotten.
  std::string Sent()
  {
    std::string out;
    for (const IMidiMsg& m : mDelegate.mMidiFromUI)
    {
      EXPECT_EQ(m.mOffset, 0);
      char line[24];
      if (m.mStatus == 0x90)
        std::snprintf(line, sizeof(line), "on %d %d", m.mData1, m.mData2);
      else
      {
        EXPECT_EQ(m.mData2, 0);
        std::snprintf(line, sizeof(line), "%s %d", m.mStatus == 0x80 ? "off" : "?", m.mData1);
      }
      if (!out.empty())
        out.append(", ");
      out.append(line);
    }
    mDelegate.mMidiFromUI.clear();
    return out;
  }

  // The centre of a key at a height fraction of the control (0 top, 1 bottom).
  float KeyX(int key) const
  {
    const float w = mKeys->IsBlackKey(key) ? mKeys->GetBlackKeyWidth() : mKeys->GetWhiteKeyWidth();
    return mKeys->GetKeyLeft(key) + 0.5f * w;
  }
  float AtHeight(float fraction) const { return kBounds.T + fraction * kBounds.H(); }

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
  EXPECT_FLOAT_EQ(keys->GetKeyLeft(0), kBounds.L);
  EXPECT_NEAR(keys->GetKeyLeft(48), kBounds.L + 28.f * w, 1e-3f);              // C at the right end
  EXPECT_FLOAT_EQ(keys->GetKeyLeft(1), kBounds.L + w - 7.f / 12.f * 0.6f * w); // C# over C|D

  // Starting on C# (37) and ending on A# (82): the black end keys overhang by 7/12 and 2/3 of
  // a black key; the C# sits at the left edge, D 7/12 of a black key to its right, and the
  // A#'s right edge is the control's.
  keys->SetNoteRange(82, 37);
  EXPECT_EQ(keys->GetMinNote(), 37);
  const float bw = keys->GetBlackKeyWidth();
  EXPECT_FLOAT_EQ(keys->GetKeyLeft(0), kBounds.L);
  EXPECT_FLOAT_EQ(keys->GetKeyLeft(1), kBounds.L + 7.f / 12.f * bw);
  EXPECT_NEAR(keys->GetKeyLeft(keys->NKeys() - 1) + bw, kBounds.R, 1e-3f);

  // Zero width: a square control.
  std::unique_ptr<IVTVKeyboardControl> square(MakeKeyboard(IRECT(10, 20, 10, 80)));
  EXPECT_EQ(square->GetRECT(), IRECT(10, 20, 70, 80));
  EXPECT_EQ(square->GetTargetRECT(), IRECT(10, 20, 70, 80));

  // A resize scales the keys with the control.
  keys->SetTargetAndDrawRECTs(IRECT(0, 0, 2.f * kBounds.W(), kBounds.H()));
  EXPECT_FLOAT_EQ(keys->GetKeyLeft(1), 2.f * 7.f / 12.f * bw);
}

TEST_F(KeyboardFixture, BlackKeysWinTheirTopSixtyPercentAndVelocityGrowsDownTheKey)
{
  const int cSharp = 1, c = 0, d = 2;
  const float x = KeyX(cSharp);
  EXPECT_EQ(mKeys->GetKeyAtPoint(x, AtHeight(0.59f)), cSharp);
  EXPECT_EQ(mKeys->GetKeyAtPoint(x, AtHeight(0.61f)), x < mKeys->GetKeyLeft(d) ? c : d);
  // Outside the control: the nearest key 2 points inside.
  EXPECT_EQ(mKeys->GetKeyAtPoint(kBounds.L - 50.f, AtHeight(0.9f)), 0);
  EXPECT_EQ(mKeys->GetKeyAtPoint(kBounds.R + 50.f, kBounds.B + 50.f), 48);

  Down(KeyX(c), kBounds.T); // the very top: velocity 1, still a note-on
  Up(KeyX(c), kBounds.T);
  Down(KeyX(c), AtHeight(0.96f)); // the lowest 5 %: velocity 127
  Up(KeyX(c), AtHeight(0.96f));
  Down(x, AtHeight(0.6f * 0.95f * 0.5f)); // half way down the black key's travel: 63
  Up(x, 0.f);
  EXPECT_EQ(Sent(), "on 36 1, off 36, on 36 127, off 36, on 37 63, off 37");
}

TEST_F(KeyboardFixture, DraggingPlaysLegatoAndEveryHeldKeyGetsItsNoteOff)
{
  const float y = AtHeight(0.97f);
  Down(KeyX(0), y);
  Drag(KeyX(0) + 1.f, y); // same key: nothing
  Drag(KeyX(2), y);
  EXPECT_TRUE(mKeys->IsKeyPressed(2));
  EXPECT_FALSE(mKeys->IsKeyPressed(0));
  Drag(kBounds.L - 40.f, kBounds.T - 40.f); // off the keyboard: the nearest edge key sounds
  Up(kBounds.L - 40.f, kBounds.T - 40.f);   // released outside: its note-off all the same
  EXPECT_EQ(Sent(), "on 36 127, on 38 127, off 36, on 36 1, off 38, off 36");
  EXPECT_EQ(mKeys->GetLastTouchedKey(), -1);

  Up(KeyX(0), y); // a release with no key held sends nothing
  EXPECT_EQ(Sent(), "");

  // The pointer leaves, the touch is cancelled, a press finds a key whose release got lost.
  Down(KeyX(4), y);
  mKeys->OnMouseOut();
  Down(KeyX(5), y);
  mGraphics->OnTouchCancelled({Point(0, 0, kLeft)});
  Down(KeyX(7), y);
  mGraphics->ReleaseMouseCapture(); // as a resize does: no release will come
  Down(KeyX(9), y);
  EXPECT_EQ(Sent(), "on 40 127, off 40, on 41 127, off 41, on 43 127, off 43, on 45 127");

  // The octave buttons while a key is held: its note-off names the note it played.
  EXPECT_TRUE(mKeys->ShiftOctave(true));
  EXPECT_EQ(Sent(), "off 45");
  EXPECT_EQ(mKeys->GetMinNote(), 48);
  Up(KeyX(9), y);
  EXPECT_EQ(Sent(), "");

  // Closing the editor while a key is held.
  Down(KeyX(0), y);
  mDelegate.CloseWindow();
  EXPECT_EQ(Sent(), "on 48 127, off 48");
}

TEST_F(KeyboardFixture, OctaveButtonsStopAtTheEndsOfTheMidiRange)
{
  mKeys->SetNoteRange(12, 60);
  EXPECT_TRUE(mKeys->ShiftOctave(false));
  EXPECT_EQ(mKeys->GetMinNote(), 0);
  EXPECT_EQ(mKeys->GetMaxNote(), 48);
  EXPECT_FALSE(mKeys->ShiftOctave(false));
  mKeys->SetNoteRange(72, 120);
  EXPECT_FALSE(mKeys->ShiftOctave(true));
  EXPECT_EQ(mKeys->GetMaxNote(), 120);
  mKeys->SetNoteRange(100, 130); // beyond MIDI: refused
  EXPECT_EQ(mKeys->GetMinNote(), 72);
}

TEST_F(KeyboardFixture, HostNotesLightKeysWithoutPlayingAnything)
{
  mDelegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0x91, 60, 100)); // any channel
  mDelegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0x90, 61, 100));
  mDelegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0x90, 62, 100));
  mDelegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0x90, 100, 100)); // out of range: ignored
  EXPECT_TRUE(mKeys->IsKeyPressed(60 - 36));
  EXPECT_TRUE(mKeys->IsKeyPressed(61 - 36));
  mDelegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0x90, 60, 0)); // velocity 0 releases
  mDelegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0x80, 61, 64));
  EXPECT_FALSE(mKeys->IsKeyPressed(60 - 36));
  EXPECT_FALSE(mKeys->IsKeyPressed(61 - 36));
  EXPECT_TRUE(mKeys->IsKeyPressed(62 - 36));
  mDelegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0xB0, 123, 0)); // all notes off
  for (int key = 0; key < mKeys->NKeys(); ++key)
    EXPECT_FALSE(mKeys->IsKeyPressed(key));
  EXPECT_EQ(Sent(), "");
}

} // namespace
