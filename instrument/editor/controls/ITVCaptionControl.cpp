#include "instrument/editor/controls/ITVCaptionControl.h"

#include "instrument/editor/controls/TextFit.h"

#include "framework/core/IPluginParameter.h"
#include "framework/graphics/IGraphics.h"

#include <algorithm>
#include <cmath>

namespace plugin::igraphics
{

// ---- ITextActionControl

ITextActionControl::ITextActionControl(const IRECT& bounds, const char* str,
                                       IActionFunction actionFunc, const IText& text,
                                       const IColor& BGColor, bool setBoundsBasedOnStr)
  : ITextControl(bounds, str, text, BGColor, setBoundsBasedOnStr)
{
  SetActionFunction(std::move(actionFunc));
  mDblAsSingleClick = true;
  mIgnoreMouse = false;
}

void ITextActionControl::OnMouseDown(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  SetDirty(true);
}

// ---- ITVSVGSwitchControl

ITVSVGSwitchControl::ITVSVGSwitchControl(const IRECT& bounds, std::initializer_list<ISVG> svgs,
                                         int paramIdx, IHoverFunction hoverFunc,
                                         IActionFunction actionFunc)
  : ISVGSwitchControl(bounds, svgs, paramIdx, std::move(actionFunc)),
    mHoverFunc(std::move(hoverFunc))
{
}

void ITVSVGSwitchControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  IControl::OnMouseOver(x, y, mod);
  if (mHoverFunc)
    mHoverFunc(GetParamIdx(0));
}

// ---- ITVCaptionControl

ITVCaptionControl::ITVCaptionControl(const IRECT& bounds, int paramIdx, IHoverFunction hoverFunc,
                                     const IText& text, const IColor& BGColor, bool showParamLabel,
                                     std::initializer_list<const char*> texts,
                                     const IColor& markerColor, const IColor& markerMouseOverColor)
  : ITVCaptionControl(bounds, paramIdx, std::move(hoverFunc), text, BGColor, showParamLabel,
                      std::span<const char* const>(texts.begin(), texts.size()), markerColor,
                      markerMouseOverColor)
{
}

ITVCaptionControl::ITVCaptionControl(const IRECT& bounds, int paramIdx, IHoverFunction hoverFunc,
                                     const IText& text, const IColor& BGColor, bool showParamLabel,
                                     std::span<const char* const> texts, const IColor& markerColor,
                                     const IColor& markerMouseOverColor)
  : ICaptionControl(bounds, paramIdx, text, BGColor, showParamLabel),
    mHoverFunc(std::move(hoverFunc))
{
  for (const char* str : texts)
    mTexts.emplace_back(str ? str : "");
  mTriangleColor = markerColor;
  mTriangleMouseOverColor = markerMouseOverColor;
}

void ITVCaptionControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  IControl::OnMouseOver(x, y, mod);
  if (mHoverFunc)
    mHoverFunc(GetParamIdx(0));
}

void ITVCaptionControl::Draw(IGraphics& g)
{
  if (!GetParam(0))
  {
    DrawMarker(g);
    return;
  }
  GetShownText(mStr);
  g.FillRect(mBGColor, mRECT, &mBlend);
  if (mStr.GetLength() > 0 && g.GetControlInTextEntry() != this)
  {
    const IRECT box = GetTextBounds();
    g.DrawText(TextFittingWidth(g, mText, mStr.Get(), box.W()), mStr.Get(), box, &mBlend);
  }
  DrawMarker(g);
}

void ITVCaptionControl::GetShownText(Util_String& str) const
{
  str.Set("");
  const IParam* pParam = GetParam(0);
  if (!pParam)
    return;
  GetValueText(*pParam, str);
  const char* label = pParam->GetLabel();
  if (mShowParamLabel && label && label[0])
  {
    str.Append(" ");
    str.Append(label);
  }
  int length = str.GetLength();
  while (length > 0 && str.Get()[length - 1] == ' ')
    --length;
  str.DeleteSub(length, str.GetLength() - length);
}

IRECT ITVCaptionControl::GetTextBounds() const
{
  constexpr float kInset = 2.f;
  IRECT box = mRECT.GetPadded(kInset, 0.f, -kInset, 0.f);
  if (mTri.W() > 0.f)
  {
    if (mTri.MW() > mRECT.MW())
      box.R = std::min(box.R, mTri.L - kInset);
    else
      box.L = std::max(box.L, mTri.R + kInset);
  }
  return box;
}

void ITVCaptionControl::GetValueText(const IParam& param, Util_String& str) const
{
  if (mTexts.empty())
  {
    ICaptionControl::GetValueText(param, str);
    return;
  }
  const double index = std::trunc(param.Value());
  const bool known = index >= 0.0 && index < static_cast<double>(mTexts.size());
  str.Set(known ? mTexts[static_cast<size_t>(index)].c_str() : "");
}

} // namespace plugin::igraphics
