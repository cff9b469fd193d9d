#pragma once
// The pitch and modulation wheels left of the on-screen keyboard.
//
// IWheelControl is a vertical slider bound to no parameter that plays MIDI as it moves: a pitch
// wheel (controller kPitchWheel) sends pitch-bend messages, any other wheel control changes of
// its controller, both on channel 1 with sample offset 0, through the editor delegate's
// SendMidiMsgFromUI. Value slot 0 is the wheel's position 0..1 (bottom to top); a pitch wheel
// rests at 0.5 and glides back there over 50 ms when released, or when the press ends without a
// release (the capture lost: a resize, the wheel hidden, the editor closing), ending with one
// centre message (8192); a controller wheel stays where it is let go. The scroll wheel does not
// move it.
//
// Dragging is the slider's: the press sets the wheel to the pointer, then the pointer is hidden
// and held and the drag is geared (four heights for a full sweep); where the pointer cannot be
// held the wheel follows it.
//
// Following the host: pitch-bend (pitch wheel) or control-change messages of the wheel's
// controller that the plug-in passes to the editor move the wheel without sending anything
// back. While the user holds the wheel, incoming messages leave it alone.
//
// Bend range: a right press on a pitch wheel opens a menu of ranges ("1 semitone",
// "2 semitones", "Fifth", "Octave"; the current one checked). A choice sets the instrument's
// pitch-bend range parameter (given to the constructor) as a host edit, and every control bound
// to that parameter follows. IVTVWheelControl offers the menu only when its offer-range-menu
// flag is set; otherwise a right press is an ordinary slider press.
//
// Every bend is closed: a pitch wheel deleted while held or gliding sends the centre message.
//
// Main thread only, like every control.

#include "framework/graphics/IKnobControlBase.h"
#include "framework/graphics/IPopupMenu.h"

namespace plugin::igraphics
{

class IWheelControl : public ISliderControlBase
{
public:
  static constexpr int kPitchWheel = -1;     // controller value of a pitch wheel
  static constexpr double kGearing = 4.0;    // control heights for a full sweep
  static constexpr float kHandleSize = 40.f; // the slider's handle size
  static constexpr double kSpringBackMs = 50.0;
  // The ranges of the menu items, in semitones.
  static constexpr int kBendRanges[] = {1, 2, 7, 12};

  // controller: kPitchWheel, or a MIDI controller number 0..127 (1 = modulation wheel).
  // bendRangeParamIdx: the parameter a range choice sets (kNoParameter: the choice is only
  // remembered).
  IWheelControl(const IRECT& bounds, int controller = kPitchWheel, int initBendRange = 2,
                int bendRangeParamIdx = kNoParameter);
  // A pitch wheel held or gliding back sends the centre message.
  ~IWheelControl() override;

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseCaptureLost() override;
  void OnMouseWheel(float, float, const IMouseMod&, float) override {}
  void OnMidi(const IMidiMsg& msg) override;
  void OnPopupMenuSelection(IPopupMenu* pSelectedMenu, int valIdx) override;
  void Draw(IGraphics& g) override;

  bool IsPitchWheel() const { return mController == kPitchWheel; }
  // The message for the wheel's current position.
  IMidiMsg MakeMidiMsg() const;

protected:
  // The wheel's picture: a ribbed cylinder in r whose ribs and handle band follow the value,
  // over a rounded shadow in background; with outline, black edges around r and the handle.
  void DrawWheel(IGraphics& g, const IRECT& r, const IRECT& background, float ribSpacing,
                 bool outline);
  // The slider press, after stopping a glide back the user caught.
  void SliderPress(float x, float y, const IMouseMod& mod);

private:
  void SendMidi();
  void StartSpringBack();
  void SetBendRangeParam(int semitones);

  IPopupMenu mMenu;
  // Semitones: the constructor's value, the last menu choice, or (with a bend-range
  // parameter) that parameter's value when the menu last opened.
  int mBendRange;
  int mController;
  int mBendRangeParamIdx;
};

class IVTVWheelControl : public IWheelControl
{
public:
  static constexpr float kHandleSize = 19.f;

  IVTVWheelControl(const IRECT& bounds, int controller = kPitchWheel, int initBendRange = 2,
                   int bendRangeParamIdx = kNoParameter);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void Draw(IGraphics& g) override;

  // Whether a right press on a pitch wheel opens the bend-range menu.
  void SetOfferRangeMenu(bool offer) { mOfferRangeMenu = offer; }

private:
  bool mOfferRangeMenu = false;
};

} // namespace plugin::igraphics
