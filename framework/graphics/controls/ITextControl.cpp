#include "framework/graphics/controls/ITextControl.h"

#include "framework/core/IPluginParameter.h"
#include "framework/graphics/IGraphics.h"

#include <cstdarg>
#include <cstring>

namespace plugin::igraphics
{

namespace
{

constexpr int kPlaceHolderLabelLength = 32;

} // namespace

// ---- ITextControl

ITextControl::ITextControl(const IRECT& bounds, const char* str, const IText& text,
                           const IColor& BGColor, bool setBoundsBasedOnStr)
  : IControl(bounds), mStr(str ? str : ""), mBGColor(BGColor),
    mSetBoundsBasedOnStr(setBoundsBasedOnStr)
{
  mText = text;
  mIgnoreMouse = true;
}

void ITextControl::SetStr(const char* str)
{
  if (!str)
    str = "";
  if (std::strcmp(str, mStr.Get()) == 0)
    return;
  mStr.Set(str);
  if (mSetBoundsBasedOnStr)
    SetBoundsBasedOnStr();
  SetDirty(false);
}

void ITextControl::SetStrFmt(int maxlen, const char* fmt, ...)
{
  va_list args;
  va_start(args, fmt);
  mStr.SetFormattedV(maxlen, fmt, args);
  va_end(args);
  SetDirty(false);
}

void ITextControl::OnInit()
{
  if (mSetBoundsBasedOnStr)
    SetBoundsBasedOnStr();
}

void ITextControl::SetBoundsBasedOnStr()
{
  if (!GetUI())
    return;
  IRECT measured;
  GetUI()->MeasureText(mText, mStr.Get(), measured);
  SetTargetAndDrawRECTs(mRECT.GetCentredInside(measured.W(), measured.H()));
}

void ITextControl::Draw(IGraphics& g)
{
  g.FillRect(mBGColor, mRECT, &mBlend);
  if (mStr.GetLength() > 0 && g.GetControlInTextEntry() != this)
    g.DrawText(mText, mStr.Get(), mRECT, &mBlend);
}

// ---- ICaptionControl

ICaptionControl::ICaptionControl(const IRECT& bounds, int paramIdx, const IText& text,
                                 const IColor& BGColor, bool showParamLabel)
  : ITextControl(bounds, "", text, BGColor, false), mShowParamLabel(showParamLabel)
{
  SetParamIdx(paramIdx);
  mPromptDisabled = false;
  mDblAsSingleClick = true;
  mIgnoreMouse = false;
}

void ICaptionControl::Draw(IGraphics& g)
{
  if (const IParam* pParam = GetParam(0))
  {
    GetValueText(*pParam, mStr);
    if (mShowParamLabel)
    {
      mStr.Append(" ");
      mStr.Append(pParam->GetLabel());
    }
  }
  ITextControl::Draw(g);
  DrawMarker(g);
}

void ICaptionControl::GetValueText(const IParam& param, Util_String& str) const
{
  param.GetDisplay(str, true);
}

void ICaptionControl::DrawMarker(IGraphics& g)
{
  if (mTri.W() > 0.f)
  {
    if (GetMouseIsOver())
      g.FillTriangle(mTriangleMouseOverColor, mTri.L, mTri.T, mTri.R, mTri.T, mTri.MW(), mTri.B);
    else
      g.FillTriangle(mTriangleColor, mTri.L, mTri.T, mTri.R, mTri.T, mTri.MW(), mTri.B, &BLEND_50);
  }
}

void ICaptionControl::OnResize()
{
  const IParam* pParam = GetParam(0);
  if (!pParam || pParam->Type() != IParam::kTypeEnum)
    return;
  // A square-ish strip as wide as the font size at the side the text does not lean to.
  const float s = mText.mSize;
  const IRECT strip = mText.mAlign == EAlign::kFar ? IRECT(mRECT.L, mRECT.T, mRECT.L + s, mRECT.B)
                                                   : IRECT(mRECT.R - s, mRECT.T, mRECT.R, mRECT.B);
  mTri = strip.GetCentredInside(0.5f * s, 0.33f * s);
}

void ICaptionControl::OnMouseDown(float /*x*/, float /*y*/, const IMouseMod& mod)
{
  if ((mod.L || mod.R) && GetParam(0) && !mPromptDisabled && GetUI())
    GetUI()->PromptUserInput(*this, mRECT, 0);
}

// ---- IURLControl

IURLControl::IURLControl(const IRECT& bounds, const char* str, const char* url, const IText& text,
                         const IColor& BGColor, const IColor& MOColor, const IColor& CLColor)
  : ITextControl(bounds, str, text, BGColor, false), mURLStr(url ? url : ""),
    mOriginalColor(text.mFGColor), mMOColor(MOColor), mCLColor(CLColor)
{
  mIgnoreMouse = false;
}

void IURLControl::Draw(IGraphics& g)
{
  g.FillRect(mBGColor, mRECT, &mBlend);

  if (GetMouseIsOver())
    mText.mFGColor = mMOColor;
  else
    mText.mFGColor = mClicked ? mCLColor : mOriginalColor;

  if (mStr.GetLength() == 0)
    return;

  IRECT measured;
  const float textW = g.MeasureText(mText, mStr.Get(), measured);

  float x1 = mRECT.MW() + measured.L;
  float x2 = mRECT.MW() + measured.R;
  if (mText.mAlign == EAlign::kNear)
  {
    x1 = mRECT.L;
    x2 = mRECT.L + textW;
  }
  else if (mText.mAlign == EAlign::kFar)
  {
    x1 = mRECT.R - textW;
    x2 = mRECT.R;
  }

  // Under the text's bottom edge in every vertical alignment.
  float y = mRECT.MH() + measured.B;
  if (mText.mVAlign == EVAlign::kBottom)
    y = mRECT.B;
  else if (mText.mVAlign == EVAlign::kTop)
    y = mRECT.T + measured.H();

  g.DrawLine(mText.mFGColor, x1, y, x2, y, &mBlend);
  g.DrawText(mText, mStr.Get(), mRECT, &mBlend);
}

void IURLControl::OnMouseDown(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  if (GetUI())
  {
    GetUI()->OpenURL(mURLStr.Get());
    GetUI()->ReleaseMouseCapture();
  }
  mClicked = true;
  SetDirty(false);
}

void IURLControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  if (GetUI())
    GetUI()->SetMouseCursor(ECursor::kHand);
  IControl::OnMouseOver(x, y, mod);
}

void IURLControl::OnMouseOut()
{
  if (GetUI())
    GetUI()->SetMouseCursor(ECursor::kArrow);
  IControl::OnMouseOut();
}

void IURLControl::SetText(const IText& txt)
{
  mText = txt;
  mOriginalColor = txt.mFGColor;
}

// ---- ITextToggleControl

ITextToggleControl::ITextToggleControl(const IRECT& bounds, int paramIdx, const char* offText,
                                       const char* onText, const IText& text, const IColor& BGColor)
  : ITextControl(bounds, offText, text, BGColor), mOffText(offText ? offText : ""),
    mOnText(onText ? onText : "")
{
  SetParamIdx(paramIdx);
  mIgnoreMouse = false;
  mDblAsSingleClick = true;
}

ITextToggleControl::ITextToggleControl(const IRECT& bounds, IActionFunction actionFunc,
                                       const char* offText, const char* onText, const IText& text,
                                       const IColor& BGColor)
  : ITextControl(bounds, offText, text, BGColor), mOffText(offText ? offText : ""),
    mOnText(onText ? onText : "")
{
  SetActionFunction(std::move(actionFunc));
  mIgnoreMouse = false;
  mDblAsSingleClick = true;
}

void ITextToggleControl::OnMouseDown(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  SetValue(GetValue(0) < 0.5 ? 1.0 : 0.0, 0);
  SetDirty(true, 0);
}

void ITextToggleControl::SetDirty(bool triggerAction, int /*valIdx*/)
{
  // SetStr marks the control dirty through this override again; by then the text is the same
  // and the nested call changes nothing.
  SetStr(GetValue(0) > 0.5 ? mOnText.Get() : mOffText.Get());
  IControl::SetDirty(triggerAction, kNoValIdx);
}

// ---- PlaceHolder

PlaceHolder::PlaceHolder(const IRECT& bounds, const char* str)
  : ITextControl(bounds, str,
                 IText(20.f, DEFAULT_TEXT_FGCOLOR, DEFAULT_FONT, EAlign::kCenter, EVAlign::kMiddle,
                       0.f, DEFAULT_TEXTENTRY_BGCOLOR, DEFAULT_TEXTENTRY_FGCOLOR),
                 COLOR_WHITE)
{
  mTLHCText.mAlign = EAlign::kNear;
  mHeightText.mAngle = 270.f;
  mPromptDisabled = false;
  mIgnoreMouse = false;
}

void PlaceHolder::OnResize()
{
  mTLHCStr.SetFormatted(kPlaceHolderLabelLength, "%0.1f, %0.1f", mRECT.L, mRECT.T);
  mWidthStr.SetFormatted(kPlaceHolderLabelLength, "%0.1f", mRECT.W());
  mHeightStr.SetFormatted(kPlaceHolderLabelLength, "%0.1f", mRECT.H());
}

void PlaceHolder::Draw(IGraphics& g)
{
  g.FillRect(mBGColor, mRECT);
  g.DrawLine(COLOR_RED, mRECT.L, mRECT.T, mRECT.R, mRECT.B, &BLEND_50, 2.f);
  g.DrawLine(COLOR_RED, mRECT.L, mRECT.B, mRECT.R, mRECT.T, &BLEND_50, 2.f);

  // Each label over a box of the background colour of its measured size. The height label is
  // turned a quarter anticlockwise, so its box stands upright.
  IRECT measured;
  g.MeasureText(mHeightText, mHeightStr.Get(), measured);
  const IRECT heightBox(mRECT.L + 10.f, mRECT.MH() - 0.5f * measured.W(),
                        mRECT.L + 10.f + measured.H(), mRECT.MH() + 0.5f * measured.W());
  g.FillRect(mBGColor, heightBox, &BLEND_50);
  g.DrawText(mHeightText, mHeightStr.Get(), heightBox);

  measured = IRECT();
  g.MeasureText(mWidthText, mWidthStr.Get(), measured);
  const IRECT widthBox(mRECT.MW() - 0.5f * measured.W(), mRECT.T + 10.f,
                       mRECT.MW() + 0.5f * measured.W(), mRECT.T + 10.f + measured.H());
  g.FillRect(mBGColor, widthBox, &BLEND_75);
  g.DrawText(mWidthText, mWidthStr.Get(), widthBox);

  measured = IRECT();
  g.MeasureText(mTLHCText, mTLHCStr.Get(), measured);
  const IRECT tlBox(mRECT.L + 10.f, mRECT.T + 10.f, mRECT.L + 10.f + measured.W(),
                    mRECT.T + 10.f + measured.H());
  g.FillRect(mBGColor, tlBox, &BLEND_50);
  g.DrawText(mTLHCText, mTLHCStr.Get(), tlBox);

  if (mStr.GetLength() > 0)
  {
    IRECT centre = mRECT;
    g.MeasureText(mText, mStr.Get(), centre);
    g.FillRect(mBGColor, centre, &BLEND_75);
    g.DrawText(mText, mStr.Get(), centre);
    mCentreLabelBounds = centre;
  }
}

void PlaceHolder::OnMouseDblClick(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  if (GetUI())
    GetUI()->CreateTextEntry(*this, mText, mRECT, mStr.Get(), 0);
}

void PlaceHolder::OnTextEntryCompletion(const char* str, int /*valIdx*/)
{
  SetStr(str);
}

} // namespace plugin::igraphics
