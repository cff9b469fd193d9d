#include "instrument/editor/controls/IPictureSelectorControls.h"

#include "framework/core/IGEditorDelegate.h"
#include "framework/core/IPluginParameter.h"
#include "framework/graphics/IGraphics.h"

#include <cmath>

namespace plugin::igraphics
{

namespace
{

constexpr float kMarkerWidth = 9.f;
constexpr float kMarkerHeight = 5.f;
constexpr float kValueTextExtra = 4.f; // value strip: the value text's size plus this
constexpr float kPictureTop = 8.f;     // cycle panel: picture below the top edge by this
constexpr float kPictureBottom = 2.f;  // and above the bottom edge by this

// The integer part of a parameter's value, or -1 without one.
int IntegerValue(const IParam* pParam)
{
  return pParam ? static_cast<int>(std::trunc(pParam->Value())) : -1;
}

} // namespace

// ---- IDropdownPanelControl

IDropdownPanelControl::IDropdownPanelControl(const IRECT& bounds, int paramIdx,
                                             IHoverFunction hoverFunc, const IText& titleText,
                                             const char* title, float titleHeight,
                                             const IColor& titleColor, const IText& valueText,
                                             const IColor& boxColor, float pictureHeight,
                                             float margin)
  : ICaptionControl(bounds, paramIdx, valueText, DEFAULT_BGCOLOR, true), mTitleText(titleText),
    mTitle(title ? title : ""), mTitleHeight(titleHeight), mTitleColor(titleColor),
    mBoxColor(boxColor), mPictureHeight(pictureHeight), mMargin(margin),
    mHoverFunc(std::move(hoverFunc))
{
}

int IDropdownPanelControl::GetPictureIdx() const
{
  const IParam* pParam = GetParam(0);
  if (!pParam)
    return -1;
  const int idx = IntegerValue(pParam) + mPictureOffset;
  return idx >= 0 && idx < NPictures() ? idx : -1;
}

void IDropdownPanelControl::OnResize()
{
  const IRECT& b = mRECT;
  const float p = mMargin;
  mTitleRECT = IRECT(b.L, b.T, b.R, b.T + mTitleHeight);
  mBoxRECT = IRECT(b.L, mTitleRECT.B, b.R, b.B);
  mValueRECT = IRECT(b.L + p, mTitleRECT.B, b.R - p, mTitleRECT.B + mText.mSize + kValueTextExtra);
  const float cy = mValueRECT.MH();
  mTri =
    IRECT(b.R - p - kMarkerWidth, cy - 0.5f * kMarkerHeight, b.R - p, cy + 0.5f * kMarkerHeight);
  const float top = b.B - mPictureHeight - p;
  mPictureRECT = IRECT(b.L + p, top, b.R - p, top + (b.W() - 2.f * p));
}

void IDropdownPanelControl::Draw(IGraphics& g)
{
  if (mTitleRECT.H() > 0.f)
  {
    g.FillRect(mTitleColor, mTitleRECT);
    g.DrawRect(mTitleColor, mTitleRECT);
    if (!mTitle.empty())
      g.DrawText(mTitleText, mTitle.c_str(), mTitleRECT);
  }

  g.FillRect(mBoxColor, mBoxRECT);
  g.DrawRect(mBoxColor, mBoxRECT);

  const IParam* pParam = GetParam(0);
  if (pParam)
  {
    pParam->GetDisplay(mStr, true);
    if (mShowParamLabel)
    {
      mStr.Append(" ");
      mStr.Append(pParam->GetLabel());
    }
    if (mStr.GetLength() > 0)
      g.DrawText(mText, mStr.Get(), mValueRECT);
  }

  g.FillTriangle(mText.mFGColor, mTri.L, mTri.T, mTri.R, mTri.T, mTri.MW(), mTri.B,
                 GetMouseIsOver() ? nullptr : &BLEND_50);

  const int idx = GetPictureIdx();
  if (idx >= 0)
    g.DrawSVG(mPictures[static_cast<size_t>(idx)], mPictureRECT);
}

void IDropdownPanelControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if ((mod.L || mod.R) && mBoxRECT.Contains(x, y))
    PromptUserInput(mValueRECT, 0);
}

void IDropdownPanelControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  IControl::OnMouseOver(x, y, mod);
  if (mHoverFunc)
    mHoverFunc(GetParamIdx(0));
}

// ---- ICyclePanelControl

ICyclePanelControl::ICyclePanelControl(const IRECT& bounds, int paramIdx,
                                       std::vector<ISVG> pictures, IHoverFunction hoverFunc,
                                       std::function<void(int)> changeFunc, const IText& text,
                                       float arrowWidth, const IColor& BGColor,
                                       const char* leftArrowText, const char* rightArrowText)
  : IControl(bounds, paramIdx), mMaxIdx(static_cast<int>(pictures.size()) - 1), mArrowText(text),
    mBGColor(BGColor), mArrowWidth(arrowWidth), mPictures(std::move(pictures)),
    mHoverFunc(std::move(hoverFunc)), mChangeFunc(std::move(changeFunc)),
    mLeftText(leftArrowText ? leftArrowText : ""), mRightText(rightArrowText ? rightArrowText : "")
{
}

int ICyclePanelControl::ShownIdx() const
{
  const IParam* pParam = GetParam(0);
  return pParam ? IntegerValue(pParam) : mCurrentIdx;
}

void ICyclePanelControl::StepDown()
{
  const int idx = ShownIdx();
  mCurrentIdx = idx <= 0 ? mMaxIdx : idx - 1;
  UpdateItem();
}

void ICyclePanelControl::StepUp()
{
  const int idx = ShownIdx();
  mCurrentIdx = idx >= mMaxIdx ? 0 : idx + 1;
  UpdateItem();
}

void ICyclePanelControl::UpdateItem()
{
  if (mCurrentIdx < 0 || mCurrentIdx >= static_cast<int>(mPictures.size()))
    return;
  if (const IParam* pParam = GetParam(0))
  {
    // Stepped, clamped and normalized by the parameter; sent as one edit gesture.
    // A press on the panel itself has its gesture open already.
    const int paramIdx = GetParamIdx(0);
    IGEditorDelegate* pDelegate = GetDelegate();
    const bool ownGesture = !(GetUI() && GetUI()->ControlIsCaptured(this));
    if (ownGesture)
      pDelegate->BeginInformHostOfParamChangeFromUI(paramIdx);
    SetValue(pParam->ToNormalized(static_cast<double>(mCurrentIdx)), 0);
    SetDirty(true, 0);
    if (ownGesture)
      pDelegate->EndInformHostOfParamChangeFromUI(paramIdx);
  }
  if (mChangeFunc)
    mChangeFunc(mCurrentIdx);
}

void ICyclePanelControl::OnResize()
{
  const IRECT& b = mRECT;
  mLeftRECT = IRECT(b.L, b.T, b.L + mArrowWidth, b.B);
  mRightRECT = IRECT(b.R - mArrowWidth, b.T, b.R, b.B);
  mPictureRECT =
    IRECT(b.L + mArrowWidth, b.T + kPictureTop, b.R - mArrowWidth, b.B - kPictureBottom);
  if (mLeftArrow)
    mLeftArrow->SetTargetAndDrawRECTs(mLeftRECT);
  if (mRightArrow)
    mRightArrow->SetTargetAndDrawRECTs(mRightRECT);
}

void ICyclePanelControl::OnAttached()
{
  IGraphics* pGraphics = GetUI();
  if (!pGraphics || mLeftArrow)
    return;
  mLeftArrow = new ITextActionControl(
    mLeftRECT, mLeftText.c_str(), [this](IControl*) { StepDown(); }, mArrowText, DEFAULT_BGCOLOR,
    false);
  mRightArrow = new ITextActionControl(
    mRightRECT, mRightText.c_str(), [this](IControl*) { StepUp(); }, mArrowText, DEFAULT_BGCOLOR,
    false);
  pGraphics->AttachControl(mLeftArrow);
  pGraphics->AttachControl(mRightArrow);
}

void ICyclePanelControl::Draw(IGraphics& g)
{
  g.FillRect(mBGColor, mRECT);
  if (!GetParam(0))
    return;
  const int idx = ShownIdx();
  if (idx >= 0 && idx < static_cast<int>(mPictures.size()))
    g.DrawSVG(mPictures[static_cast<size_t>(idx)], mPictureRECT);
}

void ICyclePanelControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if (!(mod.L || mod.R))
    return;
  if (mLeftArrow && mLeftRECT.Contains(x, y))
    mLeftArrow->OnMouseDown(x, y, mod);
  else if (mRightArrow && mRightRECT.Contains(x, y))
    mRightArrow->OnMouseDown(x, y, mod);
}

void ICyclePanelControl::OnMouseOver(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  if (mHoverFunc)
    mHoverFunc(GetParamIdx(0));
}

} // namespace plugin::igraphics
