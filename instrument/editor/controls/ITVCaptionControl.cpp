#include "instrument/editor/controls/ITVCaptionControl.h"

#include "framework/graphics/IGraphics.h"
#include "framework/plugin/IPluginParameter.h"

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
  if (const IParam* pParam = GetParam(0))
  {
    if (!mTexts.empty())
    {
      const double index = std::trunc(pParam->Value());
      const bool known = index >= 0.0 && index < static_cast<double>(mTexts.size());
      mStr.Set(known ? mTexts[static_cast<size_t>(index)].c_str() : "");
    }
    else
    {
      pParam->GetDisplay(mStr, true);
    }
    if (mShowParamLabel)
    {
      mStr.Append(" ");
      mStr.Append(pParam->GetLabel());
    }
    ITextControl::Draw(g);
  }

  if (mTri.W() > 0.f)
  {
    if (GetMouseIsOver())
      g.FillTriangle(mTriangleMouseOverColor, mTri.L, mTri.T, mTri.R, mTri.T, mTri.MW(), mTri.B);
    else
      g.FillTriangle(mTriangleColor, mTri.L, mTri.T, mTri.R, mTri.T, mTri.MW(), mTri.B, &BLEND_50);
  }
}

} // namespace plugin::igraphics
