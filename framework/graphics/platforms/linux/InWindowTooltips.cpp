#include "framework/graphics/platforms/linux/InWindowTooltips.h"

#include "framework/graphics/IGraphics.h"

#include <algorithm>

namespace plugin::igraphics
{

namespace
{

// The look of this platform's menus: dark panel, light text.
constexpr IText kTipText(13.f, IColor(255, 226, 229, 236), "Roboto-Regular", EAlign::kCenter,
                         EVAlign::kMiddle);
constexpr IColor kTipPanel(255, 36, 39, 48);
constexpr IColor kTipFrame(255, 84, 90, 106);
constexpr float kPadX = 7.f;      // text to the panel's sides
constexpr float kPanelH = 23.f;   // one line of 13-point text with room above and below
constexpr float kRoundness = 4.f; // corner radius
constexpr float kShadow = 4.f;    // room around the panel for its shadow
constexpr float kMargin = 2.f;    // the box keeps this far from the editor's edges
// The box's top-left corner relative to the pointer: below the arrow's tip and its tail.
constexpr float kBelowX = 4.f;
constexpr float kBelowY = 20.f;
constexpr float kAboveGap = 6.f; // pointer to the box's bottom when it goes above

} // namespace

// ---- The box

TooltipControl::TooltipControl() : IControl(IRECT())
{
  mIgnoreMouse = true;
  mHide = true;
}

IRECT TooltipControl::GetPanel() const
{
  return mRECT.GetPadded(-kShadow);
}

void TooltipControl::ShowAt(IGraphics& g, const char* text, float x, float y, const IRECT& bounds)
{
  mText = text ? text : "";
  IRECT measured;
  // The context measures the text as it lays it out at the window's scale: as wide as drawn.
  const float textW = g.MeasureText(kTipText, mText.c_str(), measured);
  const IRECT room = bounds.GetPadded(-kMargin);
  // The whole control (panel and shadow) stays in the room; a box too big for it is cut.
  const float w = std::min(textW + 2.f * kPadX + 2.f * kShadow, std::max(room.W(), 0.f));
  const float h = std::min(kPanelH + 2.f * kShadow, std::max(room.H(), 0.f));
  float left = x + kBelowX - kShadow;
  float top = y + kBelowY - kShadow;
  if (top + h > room.B)
    top = y - kAboveGap - h + kShadow;
  left = std::clamp(left, room.L, std::max(room.L, room.R - w));
  top = std::clamp(top, room.T, std::max(room.T, room.B - h));
  SetTargetAndDrawRECTs(IRECT(left, top, left + w, top + h));
  Hide(false);
}

void TooltipControl::Hide(bool hide)
{
  if (hide)
    mDismissed = true;
  if (hide != IsHidden())
    IControl::Hide(hide);
}

void TooltipControl::Draw(IGraphics& g)
{
  const IRECT panel = GetPanel();
  g.DrawFastDropShadow(panel, mRECT, 1.5f, kRoundness, kShadow);
  g.FillRoundRect(kTipPanel, panel, kRoundness);
  g.DrawRoundRect(kTipFrame, panel.GetPadded(-0.5f), kRoundness);
  const IRECT area = panel.GetPadded(kPadX, 0.f, -kPadX, 0.f);
  // A text wider than the box (wider than the editor) keeps its beginning: it starts at the
  // box's left and its end is cut, short of the frame.
  IText text = kTipText;
  IRECT measured;
  if (g.MeasureText(text, mText.c_str(), measured) > area.W())
    text.mAlign = EAlign::kNear;
  g.PathClipRegion(panel.GetPadded(1.f, 1.f, -kPadX / 2.f, -1.f));
  g.DrawText(text, mText.c_str(), area);
}

// ---- Registrations and the pointer's rest

TooltipControl* InWindowTooltips::Box() const
{
  return dynamic_cast<TooltipControl*>(mGraphics.GetTooltipControl());
}

bool InWindowTooltips::Showing() const
{
  const TooltipControl* pBox = Box();
  return pBox && !pBox->IsHidden();
}

void InWindowTooltips::HideBox()
{
  if (Showing())
    Box()->Hide(true);
}

bool InWindowTooltips::Update()
{
  const auto* pMenu = dynamic_cast<const IInWindowPopupMenu*>(mGraphics.GetPopupMenuControl());
  if (pMenu && pMenu->GetExpanded())
  {
    HideBox();
    return false;
  }
  if (!mGraphics.TooltipsEnabled())
    return false;
  if (!Box())
    mGraphics.AttachTooltipControl(new TooltipControl());
  return true;
}

void InWindowTooltips::PointerMoved(float x, float y, bool buttonHeld, double nowMs)
{
  const bool moved = !mPointerKnown || x != mPointerX || y != mPointerY;
  mPointerKnown = true;
  mPointerX = x;
  mPointerY = y;
  if (buttonHeld)
  {
    mArmed = false;
    return;
  }
  // A motion to where the pointer already is (it was hidden or shown, or moved back to where a
  // click held it) is no move: it neither starts a rest nor brings back a dismissed tooltip.
  if (!moved)
    return;
  // Moving inside the rectangle whose tooltip shows keeps it; anything else starts a new rest.
  if (Showing())
  {
    if (mShownTarget.Contains(x, y))
      return;
    HideBox();
  }
  if (TooltipControl* pBox = Box())
    pBox->ClearDismissed();
  mArmed = true;
  mRestX = x;
  mRestY = y;
  mRestSince = nowMs;
}

void InWindowTooltips::PointerLeft()
{
  mPointerKnown = false;
  mArmed = false;
  HideBox();
}

void InWindowTooltips::Tick(double nowMs)
{
  if (!Due(nowMs))
    return;
  mArmed = false; // one tooltip per rest
  TooltipControl* pBox = Update() ? Box() : nullptr;
  if (!pBox || pBox->Dismissed())
    return;
  // The front-most (last) visible control with a tooltip whose target holds the rest position.
  const IControl* pFront = nullptr;
  mGraphics.ForStandardControlsFunc(
    [this, &pFront](IControl& control)
    {
      const IRECT& r = control.GetTargetRECT();
      if (!control.IsHidden() && control.GetTooltip()[0] && !r.Empty() &&
          r.Contains(mRestX, mRestY))
        pFront = &control;
    });
  if (!pFront)
    return;
  mShownTarget = pFront->GetTargetRECT();
  pBox->ShowAt(mGraphics, pFront->GetTooltip(), mRestX, mRestY, mGraphics.GetBounds());
}

void InWindowTooltips::Reset()
{
  HideBox();
  mPointerKnown = false;
  mArmed = false;
}

} // namespace plugin::igraphics
