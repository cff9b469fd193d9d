#pragma once
// Tooltips drawn inside the editor window, as the menus and the text field are (Linux gives a
// plug-in's child window no tooltips of its own).
//
// A control shows a tooltip while tooltips are enabled, it is visible and its tooltip and target
// rectangle are not empty. The window's pointer events feed PointerMoved and PointerLeft; once
// the pointer has rested kRestMs over such a control's target rectangle (and no menu is
// expanded), Tick shows the front-most such control's text in a small box near the pointer,
// kept inside the editor. The box is the context's tooltip control (attached by Update while
// tooltips are enabled, so an editor that never enables them has none): moving off the rectangle,
// the pointer leaving the window, a menu expanding or Reset (the editor closing) hide it here; a
// press, the wheel or a key hide it in the context, whichever road they come by. A hidden box shows
// again only after the pointer has moved and rested again; a motion event to the point where the
// pointer already is (the pointer hidden, shown, or put back where a click held it) is no move.
//
// Nothing is drawn while no tooltip shows: the box is a hidden control, and a tick that is not
// due (see Due) needs no frame. The controls are read each time the pointer comes to rest, so a
// control hidden, moved or given another tooltip since the last Update is shown as it is now.
// Editor points throughout; times in milliseconds of a steady clock. Main thread only.

#include "framework/graphics/IControl.h"

#include <string>

namespace plugin::igraphics
{

class IGraphics;

// The box: one line of text on a dark rounded panel with a thin frame and a soft shadow.
class TooltipControl : public IControl
{
public:
  TooltipControl();

  // Shows text in a box below and to the right of the pointer at (x, y) (above it, or moved
  // left, where it would leave bounds), kept inside bounds; a text wider than bounds keeps its
  // beginning and is cut at its end.
  void ShowAt(IGraphics& g, const char* text, float x, float y, const IRECT& bounds);
  // Hiding (by the tracker, or by the context on a press, the wheel, a key) also marks the box
  // dismissed, shown or not, until the tracker clears the mark on the pointer's next move: an
  // input that came while the pointer rested cancels the tooltip about to show. Hiding a hidden
  // box redraws nothing.
  void Hide(bool hide) override;
  bool Dismissed() const { return mDismissed; }
  void ClearDismissed() { mDismissed = false; }
  const std::string& GetText() const { return mText; }
  // The panel without its shadow.
  IRECT GetPanel() const;
  void Draw(IGraphics& g) override;

private:
  std::string mText;
  bool mDismissed = false;
};

class InWindowTooltips
{
public:
  // How long the pointer rests before a tooltip shows.
  static constexpr double kRestMs = 500.0;

  explicit InWindowTooltips(IGraphics& graphics) : mGraphics(graphics) {}

  // The context's UpdateTooltips: attaches the box while tooltips are enabled and hides it while
  // a menu is expanded. Whether a tooltip may show now.
  bool Update();
  // The pointer moved to (x, y) without a button held (buttonHeld: a drag, which shows none).
  void PointerMoved(float x, float y, bool buttonHeld, double nowMs);
  void PointerLeft();
  // Whether Tick has something to do at nowMs: the pointer has rested long enough.
  bool Due(double nowMs) const { return mArmed && nowMs - mRestSince >= kRestMs; }
  // From each tick of the redraw timer: shows the tooltip once it is due.
  void Tick(double nowMs);
  // Hides the box and forgets the rest (the editor closing).
  void Reset();
  bool Showing() const;

private:
  TooltipControl* Box() const;
  void HideBox();

  IGraphics& mGraphics;
  bool mPointerKnown = false; // where the last motion put the pointer (until it leaves)
  float mPointerX = 0.f;
  float mPointerY = 0.f;
  bool mArmed = false;
  float mRestX = 0.f;
  float mRestY = 0.f;
  double mRestSince = 0.0;
  IRECT mShownTarget; // the target rectangle of the control whose text the box shows
};

} // namespace plugin::igraphics
