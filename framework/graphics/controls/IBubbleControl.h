#pragma once
// IBubbleControl: a value bubble shown beside a control while it is edited. The graphics
// context owns its bubbles (AttachBubbleControl) and shows one through ShowBubbleControl,
// usually from a control's action (ShowBubbleHorizontalActionFunc and
// ShowBubbleVerticalActionFunc).
//
// Life of a bubble, on the steady clock:
//   hidden (0) -> fading in (1, 200 ms) -> shown (2, 1000 ms, renewed 200 ms at a time while
//   its caller stays captured by a pointer) -> fading out (3, 200 ms) -> hidden.
// A new ShowBubble while shown or fading out moves the bubble and keeps its state.
//
// Placement: horizontally the bubble starts at the point, vertically centred on it, its arrow
// pointing left at the caller; when it would pass the right edge of its maximum bounds it moves
// to end at the caller's left edge, arrow pointing right. Vertically it sits above the point,
// centred, arrow pointing down; when it would pass the top it moves below the caller, arrow
// pointing up. Main thread only.

#include "framework/graphics/IControl.h"
#include "framework/util/UtilString.h"

namespace plugin::igraphics
{

class IBubbleControl : public IControl
{
public:
  enum EArrowDir
  {
    kNorth = 0, // arrow up: the bubble lies below its caller
    kEast,      // arrow right: the bubble lies left of the point
    kSouth,     // arrow down: the bubble lies above the point
    kWest,      // arrow left: the bubble lies right of the point
  };

  enum EState
  {
    kHidden = 0,
    kFadingIn,
    kShown,
    kFadingOut,
  };

  static constexpr double kFadeMs = 200.0;
  static constexpr double kHoldMs = 1000.0;

  IBubbleControl(const IText& text = DEFAULT_TEXT, const IColor& fillColor = COLOR_WHITE,
                 const IColor& strokeColor = COLOR_BLACK, float roundness = 5.f);

  void Draw(IGraphics& g) override;
  virtual void DrawContent(IGraphics& g, const IRECT& r);
  virtual void DrawBubble(IGraphics& g, const IRECT& r);
  // The string's box in the control's text style.
  virtual void MeasureText(const char* str, IRECT& r);

  void ShowBubble(IControl* pCaller, float x, float y, const char* str, EDirection dir,
                  IRECT minimumContentBounds, ITouchID touchID = 0);

  // The area the bubble keeps within; empty means the whole editor.
  void SetMaxBounds(const IRECT& bounds) { mMaxBounds = bounds; }
  ITouchID GetTouchID() const { return mTouchId; }
  EState GetState() const { return mState; }
  EArrowDir GetArrowDir() const { return mArrowDir; }
  float GetOpacity() const { return mBlend.mWeight; }
  const IRECT& GetBubbleBounds() const { return mBubbleBounds; }
  const char* GetStr() const { return mStr.Get(); }
  IControl* GetCaller() const { return mCaller; }
  // The graphics context forgets a caller it deletes.
  void ForgetCaller(const IControl* pControl)
  {
    if (mCaller == pControl)
      mCaller = nullptr;
  }

protected:
  // Runs every frame while an animation is set (see the life of a bubble above).
  void Fade();

  ITouchID mTouchId = 0;
  EDirection mDirection = EDirection::kHorizontal;
  IRECT mMaxBounds;
  IRECT mBubbleBounds;
  IControl* mCaller = nullptr;
  EArrowDir mArrowDir = kWest;
  Util_String mStr;
  float mRoundness;
  float mDropShadowSize = 10.f; // the margin between the bubble and its rectangle
  float mArrowSize = 10.f;
  float mMaxOpacity = 0.95f;
  float mOutlineThickness = 2.f;
  float mHorizontalArrowAllowance = 5.f;
  IColor mFillColor;
  IColor mStrokeColor;
  EState mState = kHidden;
};

} // namespace plugin::igraphics
