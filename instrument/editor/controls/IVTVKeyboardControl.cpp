#include "instrument/editor/controls/IVTVKeyboardControl.h"

#include "framework/core/IGEditorDelegate.h"
#include "framework/graphics/IGraphics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace plugin::igraphics
{

namespace
{

constexpr float kVelocityTravel = 0.95f; // velocity 127 from this fraction of the key down
constexpr float kPointerInset = 2.f;     // a held pointer outside plays the key this far in
constexpr float kPressedAlpha = 150.f;   // of the pressed colour over a white key
constexpr float kShadowWidth = 0.35f;    // of a pressed white key, from its left edge
constexpr float kLabelHeight = 12.f;     // of the "C3" label at the bottom of note 60
constexpr int kLabelledNote = 60;
constexpr int kAllNotesOff = 123;
constexpr float kReadOutWidth = 35.f;     // the hover read-out: note name only
constexpr float kReadOutWideWidth = 95.f; // note name and velocity
constexpr float kBlackKeyLip = 7.f;       // the black key's lighter lip at its bottom
const IColor kShadowColor(60, 0, 0, 0);
const IColor kBlackKeyFace(255, 102, 102, 102);

} // namespace

bool IVTVKeyboardControl::IsBlackNote(int note)
{
  switch (((note % 12) + 12) % 12)
  {
  case 1:
  case 3:
  case 6:
  case 8:
  case 10:
    return true;
  default:
    return false;
  }
}

float IVTVKeyboardControl::KeyShift(int note)
{
  switch (((note % 12) + 12) % 12)
  {
  case 1:
    return 7.f / 12.f; // C#
  case 3:
    return 5.f / 12.f; // D#
  case 6:
    return 2.f / 3.f; // F#
  case 8:
    return 0.5f; // G#
  case 10:
    return 1.f / 3.f; // A#
  default:
    return 0.f;
  }
}

const char* IVTVKeyboardControl::NoteName(int note)
{
  static constexpr const char* kNames[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                             "F#", "G",  "G#", "A",  "A#", "B"};
  return kNames[((note % 12) + 12) % 12];
}

IVTVKeyboardControl::IVTVKeyboardControl(const IRECT& bounds, int minNote, int maxNote,
                                         bool roundedKeys, const IColor& whiteKeyColor,
                                         const IColor& blackKeyColor, const IColor& pressedKeyColor,
                                         const IColor& frameColor, const IColor& keyLineColor,
                                         const IColor& highlightColor)
  : IControl(bounds, kNoParameter), mWhiteKeyColor(whiteKeyColor), mBlackKeyColor(blackKeyColor),
    mPressedKeyColor(pressedKeyColor), mFrameColor(frameColor), mKeyLineColor(keyLineColor),
    mHighlightColor(highlightColor), mRoundedKeys(roundedKeys)
{
  mText.mFGColor = frameColor;
  mDblAsSingleClick = true;
  mWantsMidi = true;
  const bool hasWidth = mRECT.R > mRECT.L;
  if (!hasWidth)
  {
    mRECT.R = mRECT.L + mRECT.H();
    mTargetRECT = mRECT;
  }
  if (minNote >= 0 && maxNote >= 0 && minNote <= kMaxNote && maxNote <= kMaxNote)
  {
    mMinNote = std::min(minNote, maxNote);
    mMaxNote = std::max(minNote, maxNote);
    mPressed.assign(static_cast<size_t>(mMaxNote - mMinNote + 1), false);
    RecreateKeyBounds(hasWidth);
  }
}

IVTVKeyboardControl::~IVTVKeyboardControl()
{
  // Deleted with the editor while a key is held: the note must not hang on.
  if (mLastTouchedKey >= 0 && mLastTouchedKey < NKeys())
    SendNote(false, mLastTouchedKey, 0);
}

// ---- Range and geometry

void IVTVKeyboardControl::SetNoteRange(int firstNote, int secondNote)
{
  if (firstNote >= 0 && secondNote >= 0 && firstNote <= kMaxNote && secondNote <= kMaxNote)
  {
    // The held key's note-off names the note it played, so it goes out before the range moves.
    ReleaseTouchedKey();
    mMouseOverKey = -1;
    mMinNote = std::min(firstNote, secondNote);
    mMaxNote = std::max(firstNote, secondNote);
    mPressed.assign(static_cast<size_t>(mMaxNote - mMinNote + 1), false);
    RecreateKeyBounds(true);
  }
  SetDirty(false);
}

bool IVTVKeyboardControl::ShiftOctave(bool up)
{
  if (NKeys() == 0 || (up ? mMaxNote > 108 : mMinNote < 12))
    return false;
  const int shift = up ? 12 : -12;
  SetNoteRange(mMinNote + shift, mMaxNote + shift);
  return true;
}

void IVTVKeyboardControl::RecreateKeyBounds(bool keepWidth)
{
  if (keepWidth)
    mWhiteKeyWidth = 0.f;
  const int nKeys = mMinNote >= 0 ? mMaxNote - mMinNote + 1 : 0;
  mIsBlack.assign(static_cast<size_t>(nKeys), false);
  mKeyLeft.assign(static_cast<size_t>(nKeys), 0.f);
  int nWhite = 0;
  for (int key = 0; key < nKeys; ++key)
  {
    mIsBlack[static_cast<size_t>(key)] = IsBlackNote(mMinNote + key);
    nWhite += mIsBlack[static_cast<size_t>(key)] ? 0 : 1;
  }
  mNumWhiteKeys = nWhite;

  // The black keys at either end overhang the white keys by these fractions of their width.
  const float startPad = nKeys > 0 ? KeyShift(mMinNote) : 0.f;
  const float endPad = nKeys > 1 && mIsBlack.back() ? 1.f - KeyShift(mMaxNote) : 0.f;
  if (mWhiteKeyWidth == 0.f)
    mWhiteKeyWidth = 0.2f * mRECT.H();
  if (keepWidth)
  {
    mWhiteKeyWidth = mRECT.W();
    if (nWhite > 0)
      mWhiteKeyWidth /= static_cast<float>(nWhite) + mBlackKeyWidthRatio * (startPad + endPad);
  }

  const float blackWidth = GetBlackKeyWidth();
  float x = mRECT.L; // the left edge of the next white key
  for (int key = 0; key < nKeys; ++key)
  {
    float& left = mKeyLeft[static_cast<size_t>(key)];
    if (!mIsBlack[static_cast<size_t>(key)])
    {
      left = x;
      x += mWhiteKeyWidth;
    }
    else if (key == 0)
    {
      left = mRECT.L;
      x += startPad * blackWidth;
    }
    else
      left = x - KeyShift(mMinNote + key) * blackWidth;
  }
  mKeysRECT = mRECT;
  mTargetRECT = mRECT;
  SetDirty(false);
}

float IVTVKeyboardControl::GetBlackKeyWidth() const
{
  return mNumWhiteKeys > 0 ? mWhiteKeyWidth * mBlackKeyWidthRatio : mWhiteKeyWidth;
}

int IVTVKeyboardControl::GetKeyAtPoint(float x, float y) const
{
  // Nearest point inside (min/max, not std::clamp: a control narrower than the insets is fine).
  x = std::max(mRECT.L + kPointerInset, std::min(x, mRECT.R - kPointerInset));
  y = std::max(mRECT.T + kPointerInset, std::min(y, mRECT.B - kPointerInset));
  const int nKeys = NKeys();
  if (nKeys == 0)
    return -1;
  const float blackWidth = GetBlackKeyWidth();
  if (y >= mRECT.T && y < GetBlackKeyBottom())
    for (int key = 0; key < nKeys; ++key)
      if (IsBlackKey(key) && x >= GetKeyLeft(key) && x < GetKeyLeft(key) + blackWidth)
        return key;
  for (int key = 0; key < nKeys; ++key)
    if (!IsBlackKey(key) && x >= GetKeyLeft(key) && x < GetKeyLeft(key) + mWhiteKeyWidth &&
        y >= mRECT.T && y < mRECT.B)
      return key;
  return -1;
}

float IVTVKeyboardControl::VelocityAt(int key, float y) const
{
  const float keyHeight = IsBlackKey(key) ? mRECT.H() * mBlackKeyHeightRatio : mRECT.H();
  const float travel = keyHeight * kVelocityTravel;
  const float v = travel > 0.f ? (y - mRECT.T) / travel : 1.f;
  return std::isnan(v) ? 1.f : std::clamp(v, 1.f / 127.f, 1.f);
}

void IVTVKeyboardControl::OnResize()
{
  // The keys scale with the control from the rectangle they were laid out for.
  const float oldWidth = mKeysRECT.W();
  if (oldWidth > 0.f && NKeys() > 0)
  {
    const float ratio = mRECT.W() / oldWidth;
    mWhiteKeyWidth *= ratio;
    for (float& left : mKeyLeft)
      left = mRECT.L + (left - mKeysRECT.L) * ratio;
    mKeysRECT = mRECT;
  }
  else
    RecreateKeyBounds(true);
  mTargetRECT = mRECT;
  SetDirty(false);
}

// ---- Notes

void IVTVKeyboardControl::SendNote(bool on, int key, int velocity)
{
  if (!mDelegate)
    return;
  const IMidiMsg msg(0, static_cast<uint8_t>(on ? 0x90 : 0x80),
                     static_cast<uint8_t>(mMinNote + key), static_cast<uint8_t>(on ? velocity : 0));
  mDelegate->SendMidiMsgFromUI(msg);
}

void IVTVKeyboardControl::NoteOn(int key, float velocity)
{
  mLastVelocity = velocity;
  mPressed[static_cast<size_t>(key)] = true;
  // Truncated toward zero but never 0, which would be a note-off.
  SendNote(true, key, std::clamp(static_cast<int>(velocity * 127.f), 1, 127));
}

void IVTVKeyboardControl::NoteOff(int key)
{
  mPressed[static_cast<size_t>(key)] = false;
  SendNote(false, key, 0);
}

void IVTVKeyboardControl::ReleaseTouchedKey()
{
  if (mLastTouchedKey >= 0 && mLastTouchedKey < NKeys())
    NoteOff(mLastTouchedKey);
  mLastTouchedKey = -1;
  mLastVelocity = 0.f;
}

// ---- Pointer

void IVTVKeyboardControl::OnMouseDown(float x, float y, const IMouseMod&)
{
  // A key still held here belongs to another touch: one key sounds at a time.
  ReleaseTouchedKey();
  const int key = GetKeyAtPoint(x, y);
  mLastTouchedKey = key;
  mMouseOverKey = key;
  if (key >= 0)
    NoteOn(key, VelocityAt(key, y));
  SetDirty(true);
}

void IVTVKeyboardControl::OnMouseDrag(float x, float y, float, float, const IMouseMod&)
{
  const int previous = mLastTouchedKey;
  const int key = GetKeyAtPoint(x, y);
  mMouseOverKey = key;
  if (key != previous)
  {
    // Legato: the new note starts before the old one stops.
    mLastTouchedKey = key;
    if (key >= 0)
      NoteOn(key, VelocityAt(key, y));
    else
      mLastVelocity = 0.f;
    if (previous >= 0 && previous < NKeys())
      NoteOff(previous);
  }
  SetDirty(true);
}

void IVTVKeyboardControl::OnMouseUp(float, float, const IMouseMod&)
{
  if (mLastTouchedKey < 0)
    return;
  ReleaseTouchedKey();
  mMouseOverKey = -1;
  SetDirty(false);
}

void IVTVKeyboardControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  IControl::OnMouseOver(x, y, mod);
  if (!mShowNoteAndVelocity)
    return;
  const int key = GetKeyAtPoint(x, y);
  if (key != mMouseOverKey)
    SetDirty(false);
  mMouseOverKey = key;
}

void IVTVKeyboardControl::OnMouseOut()
{
  IControl::OnMouseOut();
  if (mLastTouchedKey < 0 && !mShowNoteAndVelocity)
    return;
  ReleaseTouchedKey();
  mMouseOverKey = -1;
  SetDirty(false);
}

void IVTVKeyboardControl::OnTouchCancelled(float, float, const IMouseMod&)
{
  EndPress();
}

void IVTVKeyboardControl::OnMouseCaptureLost()
{
  // No release follows: the held key stops now.
  EndPress();
}

void IVTVKeyboardControl::EndPress()
{
  ReleaseTouchedKey();
  mMouseOverKey = -1;
  SetDirty(false);
}

// ---- MIDI from the host

void IVTVKeyboardControl::OnMidi(const IMidiMsg& msg)
{
  if (msg.mStatus < 0x80 || msg.mStatus > 0xEF)
    return;
  const int key = msg.mData1 - mMinNote;
  const bool inRange = NKeys() > 0 && key >= 0 && key < NKeys();
  switch (msg.StatusKind())
  {
  case IMidiMsg::kNoteOn:
    if (inRange)
      mPressed[static_cast<size_t>(key)] = msg.mData2 != 0;
    break;
  case IMidiMsg::kNoteOff:
    if (inRange)
      mPressed[static_cast<size_t>(key)] = false;
    break;
  case IMidiMsg::kControlChange:
    if (msg.mData1 == kAllNotesOff)
      std::fill(mPressed.begin(), mPressed.end(), false);
    break;
  default:
    break;
  }
  SetDirty(false);
}

// ---- Drawing

void IVTVKeyboardControl::Draw(IGraphics& g)
{
  const float blackWidth = GetBlackKeyWidth();
  const float blackBottom = GetBlackKeyBottom();
  if (mDrawFrame)
    g.DrawRect(mFrameColor, mRECT, &mBlend, mFrameThickness);
  DrawWhiteKeys(g, kShadowColor);
  DrawBlackKeys(g, blackWidth, blackBottom, kShadowColor);
  if (mShowNoteAndVelocity && mMouseOverKey >= 0 && mMouseOverKey < NKeys())
    DrawReadOut(g);
}

void IVTVKeyboardControl::DrawWhiteKeys(IGraphics& g, const IColor& shadow)
{
  const int nKeys = NKeys();
  auto fill = [&](const IColor& color, const IRECT& r)
  {
    if (mRoundedKeys)
      g.FillRoundRect(color, r, 0.f, 0.f, mRoundness, mRoundness, &mBlend);
    else
      g.FillRect(color, r, &mBlend);
  };
  for (int key = 0; key < nKeys; ++key)
  {
    if (IsBlackKey(key))
      continue;
    const float left = GetKeyLeft(key);
    const IRECT r(left, mRECT.T, left + mWhiteKeyWidth, mRECT.B);
    fill(key == mHighlightedKey ? mHighlightColor : mWhiteKeyColor, r);
    if (IsKeyPressed(key))
    {
      IColor pressed = mPressedKeyColor;
      pressed.A = static_cast<int>(kPressedAlpha);
      fill(pressed, r);
      if (mDrawShadows)
        fill(shadow, IRECT(r.L, r.T, r.L + kShadowWidth * mWhiteKeyWidth, r.B));
    }
    if (mDrawFrame && key > 0)
    {
      g.DrawLine(mKeyLineColor, r.L, r.T, r.L, r.B, &mBlend, mFrameThickness);
      if (key == nKeys - 2 && IsBlackKey(nKeys - 1))
        g.DrawLine(mKeyLineColor, r.R, r.T, r.R, r.B, &mBlend, mFrameThickness);
    }
    if (mMinNote + key == kLabelledNote)
      g.DrawText(mText, "C3", IRECT(r.L, r.B - kLabelHeight, r.R, r.B), &mBlend);
  }
}

void IVTVKeyboardControl::DrawBlackKeys(IGraphics& g, float blackWidth, float blackBottom,
                                        const IColor& shadow)
{
  const int nKeys = NKeys();
  for (int key = 0; key < nKeys; ++key)
  {
    if (!IsBlackKey(key))
      continue;
    const float left = GetKeyLeft(key);
    const IRECT r(left, mRECT.T, left + blackWidth, blackBottom);
    if (mDrawShadows && !IsKeyPressed(key) && key < nKeys - 1)
    {
      // A pressed white neighbour sinks, so the shadow falls wider and longer over it.
      const bool nextPressed = IsKeyPressed(key + 1);
      const float shadowLeft = left + 0.6f * blackWidth;
      const float shadowWidth = nextPressed ? 1.3f * blackWidth : blackWidth;
      const float shadowBottom =
        nextPressed ? mRECT.T + 1.05f * (blackBottom - mRECT.T) : blackBottom;
      g.FillRect(shadow, IRECT(shadowLeft, mRECT.T, shadowLeft + shadowWidth, shadowBottom),
                 &mBlend);
    }
    DrawBlackKey(g, r, key == mHighlightedKey ? mHighlightColor : mBlackKeyColor);
    if (IsKeyPressed(key))
    {
      IColor pressed = mPressedKeyColor;
      pressed.A = static_cast<int>(mBlackKeyPressedAlpha);
      g.FillRect(pressed, r, &mBlend);
    }
  }
}

void IVTVKeyboardControl::DrawBlackKey(IGraphics& g, const IRECT& r, const IColor& color)
{
  if (mRoundedKeys)
    g.FillRoundRect(color, r, 0.f, 0.f, 1.f, 1.f, &mBlend);
  else
    g.FillRect(color, r, &mBlend);
  // The key's face: dark at the top where it meets the key bed, lighter towards its lip.
  const float cx = ((r.R - 1.f) + (r.L + 1.f)) / 2.f;
  g.PathClear();
  g.PathMoveTo(r.L + 2.f, r.T);
  g.PathLineTo(r.L + 2.f, r.B - kBlackKeyLip);
  g.PathLineTo(r.R - 2.f, r.B - kBlackKeyLip);
  g.PathLineTo(r.R - 2.f, r.T);
  g.PathClose();
  const IPattern face =
    IPattern::CreateLinearGradient(cx, r.T, cx, r.B - kBlackKeyLip,
                                   {IColorStop(COLOR_BLACK, 0.f), IColorStop(kBlackKeyFace, 0.3f)});
  g.PathFill(face, IFillOptions(), &mBlend);
}

void IVTVKeyboardControl::DrawReadOut(IGraphics& g)
{
  const int note = mMinNote + mMouseOverKey;
  char text[32];
  float width = kReadOutWidth;
  if (mLastTouchedKey >= 0)
  {
    std::snprintf(text, 17, "%s, vel: %3.2f", NoteName(note), mLastVelocity * 127.f);
    width = kReadOutWideWidth;
  }
  else
    std::snprintf(text, sizeof(text), "%s", NoteName(note));
  IRECT box(GetKeyLeft(mMouseOverKey), mRECT.T, GetKeyLeft(mMouseOverKey) + width,
            mRECT.T + 1.2f * mText.mSize);
  if (box.R > mRECT.R)
    box = box.GetTranslated(mRECT.R - box.R, 0.f);
  g.FillRect(mWhiteKeyColor, box, &mBlend);
  g.DrawRect(mKeyLineColor, box, &mBlend, 1.f);
  g.DrawText(mText, text, box, &mBlend);
}

} // namespace plugin::igraphics
