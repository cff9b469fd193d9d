#include "framework/graphics/controls/IBubbleControl.h"

#include "framework/graphics/IGraphics.h"

#include <algorithm>

namespace plugin::igraphics
{

IBubbleControl::IBubbleControl(const IText& text, const IColor& fillColor,
                               const IColor& strokeColor, float roundness)
  : IControl(IRECT()), mRoundness(roundness), mFillColor(fillColor), mStrokeColor(strokeColor)
{
  mText = text;
  mBlend = IBlend(EBlend::kDefault, 0.f); // the current opacity
  mHide = true;
  mIgnoreMouse = true;

  // SetDirty(true) starts (or renews) a 200 ms step of the fade.
  SetActionFunction(
    [](IControl* pCaller)
    {
      pCaller->SetAnimation(
        [](IControl* pControl) { static_cast<IBubbleControl*>(pControl)->Fade(); }, kFadeMs);
    });
  // The end of the fade-in starts the hold.
  SetAnimationEndActionFunction(
    [](IControl* pCaller)
    {
      auto* pBubble = static_cast<IBubbleControl*>(pCaller);
      if (pBubble->mState == kShown)
        pBubble->SetAnimation(
          [](IControl* pControl) { static_cast<IBubbleControl*>(pControl)->Fade(); }, kHoldMs);
    });
}

void IBubbleControl::Fade()
{
  const double progress = GetAnimationProgress();
  if (progress <= 1.0)
  {
    if (mState == kFadingIn)
      mBlend.mWeight = static_cast<float>(progress) * mMaxOpacity;
    else if (mState == kShown)
      mBlend.mWeight = mMaxOpacity;
    else if (mState == kFadingOut)
      mBlend.mWeight = static_cast<float>(1.0 - progress) * mMaxOpacity;
    return;
  }

  switch (mState)
  {
  case kFadingIn:
    mBlend.mWeight = mMaxOpacity;
    mState = kShown;
    OnEndAnimation(); // starts the hold
    break;
  case kShown:
    if (GetUI() && mCaller && GetUI()->ControlIsCaptured(mCaller))
    {
      SetDirty(true); // still held: shown for another 200 ms
    }
    else
    {
      mBlend.mWeight = mMaxOpacity;
      mState = kFadingOut;
      SetDirty(true);
    }
    break;
  case kFadingOut:
    mBlend.mWeight = 0.f;
    Hide(true);
    mState = kHidden;
    mTouchId = 0;
    SetDirty(false);
    OnEndAnimation();
    break;
  case kHidden:
    OnEndAnimation();
    break;
  }
}

void IBubbleControl::ShowBubble(IControl* pCaller, float x, float y, const char* str,
                                EDirection dir, IRECT minimumContentBounds, ITouchID touchID)
{
  if (!pCaller || !GetUI())
    return;
  if (mMaxBounds.W() == 0.f)
    mMaxBounds = GetUI()->GetBounds();

  mDirection = dir;
  mTouchId = touchID;
  mStr.Set(str ? str : "");

  IRECT content;
  MeasureText(mStr.Get(), content);
  float contentW = content.W();
  float contentH = content.H();
  if (!minimumContentBounds.Empty())
  {
    contentW = std::max(contentW, minimumContentBounds.W());
    contentH = std::max(contentH, minimumContentBounds.H());
  }
  const float w = contentW + 2.f * (mDropShadowSize + mHorizontalArrowAllowance);
  const float h = contentH + 2.f * mDropShadowSize;

  const IRECT callerBounds = pCaller->GetRECT();
  IRECT bubble;
  if (dir == EDirection::kHorizontal)
  {
    bubble = IRECT(x, y - 0.5f * h, x + w, y + 0.5f * h);
    mArrowDir = kWest;
    if (bubble.R > mMaxBounds.R - (mHorizontalArrowAllowance + mDropShadowSize))
    {
      bubble = bubble.GetTranslated(-(bubble.R - callerBounds.L), 0.f);
      mArrowDir = kEast;
    }
  }
  else
  {
    bubble = IRECT(x - 0.5f * w, y - h, x + 0.5f * w, y);
    mArrowDir = kSouth;
    if (bubble.T < mMaxBounds.T)
    {
      bubble = bubble.GetTranslated(0.f, callerBounds.H() + h);
      mArrowDir = kNorth;
    }
  }
  mBubbleBounds = bubble;

  // The old and the new place are both redrawn.
  SetRECT(mRECT.Empty() || bubble.Empty() ? bubble : mRECT.Union(bubble));
  SetTargetRECT(mRECT);
  OnResize();

  if (mState == kHidden)
  {
    Hide(false);
    mState = kFadingIn;
    SetDirty(true); // the fade-in
  }

  if (pCaller != mCaller)
  {
    SetRECT(mBubbleBounds);
    SetTargetRECT(mRECT);
    GetUI()->SetAllControlsDirty();
    mCaller = pCaller;
  }
}

void IBubbleControl::MeasureText(const char* str, IRECT& r)
{
  if (GetUI())
    GetUI()->MeasureText(mText, str, r);
}

void IBubbleControl::Draw(IGraphics& g)
{
  const IRECT r = mBubbleBounds.GetPadded(-mDropShadowSize);
  g.DrawFastDropShadow(r, mBubbleBounds, 2.f, mRoundness, 10.f, &mBlend);
  DrawBubble(g, r);
  DrawContent(g, r);
}

void IBubbleControl::DrawContent(IGraphics& g, const IRECT& r)
{
  if (mStr.GetLength() > 0)
    g.DrawText(mText, mStr.Get(), r, &mBlend);
}

void IBubbleControl::DrawBubble(IGraphics& g, const IRECT& r)
{
  // One closed outline, clockwise from the top of the left edge; the edge that the arrow
  // direction names carries a triangle of base a, its tip a outside the edge's middle.
  const float rd = mRoundness;
  const float a = mArrowSize;
  const float halfA = 0.5f * a;

  g.PathMoveTo(r.L, r.T + rd);
  g.PathArc(r.L + rd, r.T + rd, rd, 270.f, 360.f);
  if (mArrowDir == kNorth)
  {
    g.PathLineTo(r.MW() - halfA, r.T);
    g.PathLineTo(r.MW(), r.T - a);
    g.PathLineTo(r.MW() + halfA, r.T);
  }
  g.PathLineTo(r.R - rd, r.T);
  g.PathArc(r.R - rd, r.T + rd, rd, 0.f, 90.f);
  if (mArrowDir == kEast)
  {
    g.PathLineTo(r.R, r.MH() - halfA);
    g.PathLineTo(r.R + a, r.MH());
    g.PathLineTo(r.R, r.MH() + halfA);
  }
  g.PathLineTo(r.R, r.B - rd);
  g.PathArc(r.R - rd, r.B - rd, rd, 90.f, 180.f);
  if (mArrowDir == kSouth)
  {
    g.PathLineTo(r.MW() + halfA, r.B);
    g.PathLineTo(r.MW(), r.B + a);
    g.PathLineTo(r.MW() - halfA, r.B);
  }
  g.PathLineTo(r.L + rd, r.B);
  g.PathArc(r.L + rd, r.B - rd, rd, 180.f, 270.f);
  if (mArrowDir == kWest)
  {
    g.PathLineTo(r.L, r.MH() + halfA);
    g.PathLineTo(r.L - a, r.MH());
    g.PathLineTo(r.L, r.MH() - halfA);
  }
  g.PathClose();

  g.PathFill(mFillColor, IFillOptions(true), &mBlend);
  IStrokeOptions stroke;
  stroke.mMiterLimit = 10.f;
  g.PathStroke(mStrokeColor, mOutlineThickness, stroke, &mBlend);
}

} // namespace plugin::igraphics
