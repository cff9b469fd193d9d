#pragma once
// IVTVKeyboardControl: the on-screen piano keyboard at the bottom of the editor.
//
// Keys are indexed from 0 (the lowest note) to NKeys() - 1 (the highest note); a note is black
// when note mod 12 is 1, 3, 6, 8 or 10. White keys sit side by side, each a white-key width
// wide; a black key sits over the boundary between its two white neighbours, shifted left by a
// fraction of its own width that depends on the note (C# 7/12, D# 5/12, F# 2/3, G# 1/2, A# 1/3),
// as on a real keyboard. With keep-width the white-key width is chosen so that the white keys
// and black keys overhanging at either end of the range exactly fill the control.
//
// Playing: pressing a key sends a note-on through the editor delegate's SendMidiMsgFromUI
// (channel 1, sample offset 0) with a velocity that grows with how far down the key was hit
// (1 at the very top, 127 from 95 % of the key's height down). Dragging plays legato: the new
// key's note-on goes out before the old key's note-off. While the pointer is held, a position
// outside the keyboard plays the nearest edge key.
//
// Every note-on gets its note-off: on release (wherever the pointer is), when the pointer leaves
// the keyboard or the touch is cancelled, when the press ends without a release (the capture
// lost: a resize, the keyboard hidden, the editor closing), when the range changes (octave
// buttons), when another touch presses a key (one key sounds at a time), and when the control
// is deleted while a key is held (a removed control is not told its press ended).
//
// Following the host: note messages that the plug-in passes to the editor light and release
// their keys (OnMidi); controller 123 (all notes off) releases every key.
//
// Main thread only, like every control.

#include "framework/graphics/IControl.h"

#include <vector>

namespace plugin::igraphics
{

class IVTVKeyboardControl : public IControl
{
public:
  static constexpr int kMaxNote = 127;

  // Notes may be given in either order; a negative note leaves the range unset (no keys).
  // Bounds with no width become a square (width = height).
  IVTVKeyboardControl(const IRECT& bounds, int minNote, int maxNote, bool roundedKeys,
                      const IColor& whiteKeyColor, const IColor& blackKeyColor,
                      const IColor& pressedKeyColor, const IColor& frameColor,
                      const IColor& keyLineColor, const IColor& highlightColor);
  // Sends the note-off of a key still held by the pointer.
  ~IVTVKeyboardControl() override;

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void OnTouchCancelled(float x, float y, const IMouseMod& mod) override;
  void OnMouseCaptureLost() override;
  void OnResize() override;
  void OnMidi(const IMidiMsg& msg) override;
  void Draw(IGraphics& g) override;

  // ---- Range
  // Both notes in 0..127 (any order): the new range, every key released (a held key gets its
  // note-off) and the key bounds rebuilt keeping the width; other notes change nothing. Always
  // marks dirty.
  void SetNoteRange(int firstNote, int secondNote);
  // The octave buttons: the range moves by 12 notes down (refused while the lowest note is
  // below 12) or up (refused while the highest is above 108): 36..84 moves between 0..48 and
  // 72..120.
  // Returns whether the range moved.
  bool ShiftOctave(bool up);
  int GetMinNote() const { return mMinNote; }
  int GetMaxNote() const { return mMaxNote; }
  int NKeys() const { return static_cast<int>(mIsBlack.size()); }

  // ---- Geometry (in the control's coordinates)
  void RecreateKeyBounds(bool keepWidth);
  // The key under the point, or -1; a point outside the control counts as the nearest point
  // 2 units inside it.
  int GetKeyAtPoint(float x, float y) const;
  bool IsBlackKey(int key) const { return mIsBlack[static_cast<size_t>(key)]; }
  bool IsKeyPressed(int key) const { return mPressed[static_cast<size_t>(key)]; }
  float GetKeyLeft(int key) const { return mKeyLeft[static_cast<size_t>(key)]; }
  float GetWhiteKeyWidth() const { return mWhiteKeyWidth; }
  float GetBlackKeyWidth() const;
  float GetBlackKeyBottom() const { return mRECT.T + mRECT.H() * mBlackKeyHeightRatio; }
  // Pointer velocity (0..1) for a press at y on the key: (y - top) / (0.95 x key height),
  // within 1/127 .. 1.
  float VelocityAt(int key, float y) const;

  // ---- Look
  void DrawBlackKey(IGraphics& g, const IRECT& r, const IColor& color);
  void SetDrawShadows(bool draw) { mDrawShadows = draw; }
  void SetDrawFrame(bool draw) { mDrawFrame = draw; }
  void SetShowNoteAndVelocity(bool show) { mShowNoteAndVelocity = show; }
  void SetHighlightedKey(int key) { mHighlightedKey = key; }

  static bool IsBlackNote(int note);
  // Fraction of a black key's width left of the boundary between its two white keys; 0 for a
  // white note.
  static float KeyShift(int note);
  // "C", "C#", ... "B": the name of note mod 12.
  static const char* NoteName(int note);

private:
  // Press (note-on) and release (note-off) of a key, with its pressed flag.
  void NoteOn(int key, float velocity);
  void NoteOff(int key);
  // The note-off of the key the pointer holds, if any; forgets the touch.
  void ReleaseTouchedKey();
  // A press ended other than by a release: its key stops, the read-out goes.
  void EndPress();
  void SendNote(bool on, int key, int velocity);
  void DrawWhiteKeys(IGraphics& g, const IColor& shadow);
  void DrawBlackKeys(IGraphics& g, float blackKeyWidth, float blackKeyBottom, const IColor& shadow);
  void DrawReadOut(IGraphics& g);

  IColor mWhiteKeyColor;
  IColor mBlackKeyColor;
  IColor mPressedKeyColor;
  IColor mFrameColor;
  IColor mKeyLineColor;
  IColor mHighlightColor;
  bool mRoundedKeys;
  float mRoundness = 5.f;
  bool mDrawShadows = false;
  bool mDrawFrame = true;
  float mFrameThickness = 1.f;
  bool mShowNoteAndVelocity = false;
  float mWhiteKeyWidth = 0.f;
  int mNumWhiteKeys = 0;
  IRECT mKeysRECT; // the rectangle the key edges were laid out for
  float mBlackKeyWidthRatio = 0.6f;
  float mBlackKeyHeightRatio = 0.6f;
  float mBlackKeyPressedAlpha = 100.f;
  int mLastTouchedKey = -1;
  float mLastVelocity = 0.f;
  int mMouseOverKey = -1;
  int mMinNote = -1;
  int mMaxNote = -1;
  std::vector<bool> mIsBlack;
  std::vector<bool> mPressed;
  std::vector<float> mKeyLeft;
  int mHighlightedKey = -1;
};

} // namespace plugin::igraphics
