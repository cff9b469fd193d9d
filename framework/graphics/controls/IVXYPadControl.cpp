#include "framework/graphics/controls/IVXYPadControl.h"

#include "framework/graphics/IGraphics.h"

#include <algorithm>
#include <cmath>

namespace plugin::igraphics
{

// ---- IVXYPadControl

IVXYPadControl::IVXYPadControl(const IRECT& bounds, std::initializer_list<int> params,
                               const char* label, const IVStyle& style, float handleRadius,
                               bool trackClipsHandle, bool drawCross)
  : IControl(bounds, params), IVectorBase(style), mHandleRadius(handleRadius),
    mTrackClipsHandle(trackClipsHandle), mDrawCross(drawCross)
{
  mShape = EVShape::kEllipse;
  AttachIControl(this, label);
}

IRECT IVXYPadControl::GetTrackBounds() const
{
  return mTrackClipsHandle ? mWidgetBounds : mWidgetBounds.GetPadded(-mHandleRadius);
}

IRECT IVXYPadControl::GetHandleBounds() const
{
  const IRECT track = GetTrackBounds();
  const float x = track.L + track.W() * static_cast<float>(GetValue(0));
  const float y = track.B - track.H() * static_cast<float>(GetValue(1));
  const float r = mHandleRadius;
  return IRECT(x - r, y - r, x + r, y + r);
}

void IVXYPadControl::Draw(IGraphics& g)
{
  DrawBackground(g, mRECT);
  DrawLabel(g);
  if (mStyle.drawFrame)
    g.DrawRect(GetColor(kFR), mWidgetBounds, &mBlend, mStyle.frameThickness);
  DrawWidget(g);
}

void IVXYPadControl::DrawWidget(IGraphics& g)
{
  DrawTrack(g);
  DrawHandle(g, GetTrackBounds(), GetHandleBounds());
}

void IVXYPadControl::DrawTrack(IGraphics& g)
{
  if (!mDrawCross)
    return;
  const IRECT& w = mWidgetBounds;
  g.DrawVerticalLine(GetColor(kSH), w, 0.5f, nullptr, 1.f);
  g.DrawLine(GetColor(kSH), w.L, w.MH(), w.R, w.MH(), nullptr, 1.f);
}

void IVXYPadControl::DrawHandle(IGraphics& g, const IRECT& trackBounds, const IRECT& handleBounds)
{
  const float inset = mStyle.frameThickness / 2.f;
  if (mTrackClipsHandle)
    g.PathClipRegion(trackBounds.GetPadded(-inset));
  DrawPressableShape(g, mShape, handleBounds, mMouseDown, mMouseIsOver, IsDisabled());
  if (mTrackClipsHandle)
    g.PathClipRegion();
}

void IVXYPadControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMouseDown = true;
  if (mStyle.hideCursor && GetUI())
    GetUI()->HideMouseCursor(true, false);
  OnMouseDrag(x, y, 0.f, 0.f, mod);
}

void IVXYPadControl::OnMouseUp(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  if (mStyle.hideCursor && GetUI())
    GetUI()->HideMouseCursor(false, true);
  mMouseDown = false;
  SetDirty(true);
}

void IVXYPadControl::OnMouseCaptureLost()
{
  // The context shows the pointer again itself.
  mMouseDown = false;
  SetDirty(false);
}

void IVXYPadControl::OnMouseDrag(float x, float y, float /*dX*/, float /*dY*/,
                                 const IMouseMod& /*mod*/)
{
  // Measured over the whole bounds; a collapsed pad keeps its values.
  const IRECT& r = mRECT;
  if (r.W() > 0.f)
    SetValue((std::clamp(x, r.L, r.R) - r.L) / r.W(), 0);
  if (r.H() > 0.f)
    SetValue(1.0 - (std::clamp(y, r.T, r.B) - r.T) / r.H(), 1);
  SetDirty(true);
}

void IVXYPadControl::OnResize()
{
  SetTargetRECT(MakeRects(mRECT));
  SetDirty(false);
}

// ---- IVPlotControl

IVPlotControl::IVPlotControl(const IRECT& bounds, std::initializer_list<Plot> plots, int numPoints,
                             const char* label, const IVStyle& style, float min, float max,
                             bool useLayer)
  : IControl(bounds), IVectorBase(style), mMin(min), mMax(max), mUseLayer(useLayer),
    mPoints(static_cast<size_t>(std::max(numPoints, 0)), 0.f)
{
  AttachIControl(this, label);
  for (const Plot& plot : plots)
    AddPlotFunc(plot.color, plot.func);
}

void IVPlotControl::AddPlotFunc(const IColor& color, const std::function<double(double)>& func)
{
  mPlots.push_back({color, func});
  if (mLayer)
    mLayer->mInvalid = true;
  SetDirty(false);
}

void IVPlotControl::OnResize()
{
  SetTargetRECT(MakeRects(mRECT));
  SetDirty(false);
}

IRECT IVPlotControl::GetPlotBounds() const
{
  const float stepY = mWidgetBounds.H() / static_cast<float>(std::max(mVerticalDivisions + 2, 1));
  return mWidgetBounds.GetPadded(0.f, stepY, 0.f, -stepY);
}

void IVPlotControl::Draw(IGraphics& g)
{
  DrawBackground(g, mRECT);
  DrawLabel(g);
  if (!mUseLayer)
  {
    DrawPlots(g, &mBlend);
    return;
  }
  // Drawn opaque into the layer; the blend applies once, when the layer is drawn.
  if (!g.CheckLayer(mLayer))
  {
    g.StartLayer(this, mRECT);
    DrawPlots(g, nullptr);
    mLayer = g.EndLayer();
  }
  g.DrawLayer(mLayer, &mBlend);
}

void IVPlotControl::DrawPlots(IGraphics& g, const IBlend* pBlend)
{
  const IRECT& w = mWidgetBounds;
  const float stepX = w.W() / static_cast<float>(std::max(mHorizontalDivisions, 1));
  const float stepY = w.H() / static_cast<float>(std::max(mVerticalDivisions + 2, 1));
  g.DrawGrid(GetColor(kSH), w, stepX, stepY, pBlend, 1.f);

  const IRECT area = GetPlotBounds();
  const int n = static_cast<int>(mPoints.size());
  const double range = static_cast<double>(mMax) - mMin;
  for (const Plot& plot : mPlots)
  {
    if (!plot.func || n == 0)
      continue;
    for (int j = 0; j < n; ++j)
    {
      const float x = n > 1 ? static_cast<float>(j) / static_cast<float>(n - 1) : 0.f;
      const double y = plot.func(x);
      // An empty range puts every point at mid height; a value that is not a number sits at
      // the bottom rather than breaking the curve's path.
      const double norm = range != 0.0 ? (y - mMin) / range : 0.5;
      mPoints[j] = std::isfinite(norm) ? static_cast<float>(norm) : 0.f;
    }
    g.DrawData(plot.color, area, mPoints.data(), n, nullptr, pBlend, mTrackSize);
  }
  if (mStyle.drawFrame)
    g.DrawRect(GetColor(kFR), w, pBlend, mStyle.frameThickness);
}

// ---- IVGroupControl

IVGroupControl::IVGroupControl(const IRECT& bounds, const char* label, float labelOffset,
                               const IVStyle& style, IContainerFunction attachFunc,
                               IContainerFunction resizeFunc)
  : IContainerBase(bounds, std::move(attachFunc), std::move(resizeFunc)), IVectorBase(style),
    mLabelOffset(labelOffset)
{
  mIgnoreMouse = true;
  AttachIControl(this, label);
}

IVGroupControl::IVGroupControl(const char* label, const char* groupName, float marginL,
                               float marginT, float marginR, float marginB, const IVStyle& style)
  : IContainerBase(IRECT()), IVectorBase(style), mGroupName(groupName ? groupName : ""),
    mMarginL(marginL), mMarginT(marginT), mMarginR(marginR), mMarginB(marginB), mLabelOffset(10.f)
{
  mIgnoreMouse = true;
  AttachIControl(this, label);
}

void IVGroupControl::OnInit()
{
  if (!mGroupName.empty())
    SetBoundsBasedOnGroup(mGroupName.c_str(), mMarginL, mMarginT, mMarginR, mMarginB);
}

void IVGroupControl::SetBoundsBasedOnGroup(const char* groupName, float marginL, float marginT,
                                           float marginR, float marginB)
{
  mGroupName = groupName ? groupName : "";
  mMarginL = marginL;
  mMarginT = marginT;
  mMarginR = marginR;
  mMarginB = marginB;
  IRECT united;
  if (GetUI())
    GetUI()->ForControlInGroup(mGroupName.c_str(),
                               [this, &united](IControl& control)
                               {
                                 const IRECT& r = control.GetRECT();
                                 if (&control == this || r.Empty())
                                   return;
                                 united = united.Empty() ? r : united.Union(r);
                               });
  SetTargetAndDrawRECTs(
    IRECT(united.L - marginL, united.T - marginT, united.R + marginR, united.B + marginB));
}

float IVGroupControl::CornerRadius() const
{
  return std::min(mWidgetBounds.W(), mWidgetBounds.H()) / 2.f * mStyle.roundness;
}

void IVGroupControl::OnResize()
{
  SetTargetRECT(MakeRects(mRECT));
  // The frame's top line runs through the middle of the label.
  mWidgetBounds.T -= mLabelBounds.H() / 2.f + mStyle.frameThickness / 2.f;
  if (!mLabelBounds.Empty())
  {
    const float left = mRECT.L + mStyle.frameThickness + mLabelOffset + CornerRadius();
    const float w = mLabelBounds.W() + 2.f * mLabelMargin;
    mLabelBounds = IRECT(left, mLabelBounds.T, left + w, mLabelBounds.B);
  }
  IContainerBase::OnResize();
  SetDirty(false);
}

void IVGroupControl::Draw(IGraphics& g)
{
  DrawLabel(g);
  DrawWidget(g);
}

void IVGroupControl::DrawWidget(IGraphics& g)
{
  const float t = mStyle.frameThickness;
  const float h = t / 2.f;
  const float r = CornerRadius();
  const IRECT& w = mWidgetBounds;
  // The gap in the top edge that the label sits in; none without a label.
  const float gapL = mLabelBounds.Empty() ? mRECT.MW() : mLabelBounds.L;
  const float gapR = mLabelBounds.Empty() ? mRECT.MW() : mLabelBounds.R;

  g.PathClear();
  g.PathMoveTo(gapR, w.T + h);
  g.PathArc(w.R - r - h, w.T + r + h, r, 0.f, 90.f);
  g.PathArc(w.R - r - h, w.B - r - h, r, 90.f, 180.f);
  g.PathArc(w.L + r + h, w.B - r - h, r, 180.f, 270.f);
  g.PathArc(w.L + r + h, w.T + r + h, r, 270.f, 360.f);
  g.PathLineTo(gapL, w.T + h);
  const IColor& color = mStyle.drawShadows ? GetColor(kSH) : GetColor(kFR);
  g.PathStroke(IPattern(color), t, IStrokeOptions());
}

// ---- IVColorSwatchControl

IVColorSwatchControl::IVColorSwatchControl(const IRECT& bounds, const char* label,
                                           ColorChosenFunc colorChosenFunc, const IVStyle& style,
                                           ECellLayout layout,
                                           std::initializer_list<EVColor> colorIDs,
                                           std::initializer_list<const char*> labelsForIDs)
  : IControl(bounds), IVectorBase(style), mColorChosenFunc(std::move(colorChosenFunc)),
    mLayout(layout), mColorIDs(colorIDs)
{
  mText.mAlign = EAlign::kFar;
  mStyle.valueText.mAlign = EAlign::kFar;
  // A label list shorter than the colour list leaves the last cells unlabelled.
  const auto* pLabel = labelsForIDs.begin();
  for (size_t i = 0; i < mColorIDs.size(); ++i)
  {
    const bool has = pLabel != labelsForIDs.end();
    mLabels.emplace_back(has && *pLabel ? *pLabel : "");
    if (has)
      ++pLabel;
  }
  mCellRects.resize(mColorIDs.size());
  AttachIControl(this, label);
}

void IVColorSwatchControl::OnResize()
{
  SetTargetRECT(MakeRects(mRECT, true));
  const int n = static_cast<int>(mColorIDs.size());
  int cols = 3, rows = 3;
  if (mLayout == ECellLayout::kHorizontal)
    cols = n, rows = 1;
  else if (mLayout == ECellLayout::kVertical)
    cols = 1, rows = n;
  const IRECT& w = mWidgetBounds;
  for (int k = 0; k < n; ++k)
  {
    IRECT cell = w;
    if (k < cols * rows) // cols and rows are then at least 1
      cell = w.GetEqualPart(EDirection::kVertical, k / cols, rows)
               .GetEqualPart(EDirection::kHorizontal, k % cols, cols);
    mCellRects[k] = cell.GetPadded(-2.f);
  }
  SetDirty(false);
}

int IVColorSwatchControl::GetCellForPoint(float x, float y) const
{
  for (int i = 0; i < static_cast<int>(mCellRects.size()); ++i)
    if (mCellRects[i].Contains(x, y))
      return i;
  return -1;
}

void IVColorSwatchControl::Draw(IGraphics& g)
{
  DrawWidget(g);
  DrawLabel(g);
}

void IVColorSwatchControl::DrawWidget(IGraphics& g)
{
  for (int i = 0; i < static_cast<int>(mCellRects.size()); ++i)
  {
    const IRECT& cell = mCellRects[i];
    const bool labelled = !mLabels[i].empty();
    const float fraction = labelled ? 0.25f : 1.f;
    const IRECT swatch(cell.R - fraction * cell.W(), cell.T, cell.R, cell.B);
    g.FillRect(GetColor(mColorIDs[i]), swatch, &mBlend);
    g.DrawRect(i == mCellOver ? COLOR_GRAY : COLOR_DARK_GRAY, swatch.GetPadded(0.5f), &mBlend, 1.f);
    if (labelled)
      g.DrawText(mStyle.valueText, mLabels[i].c_str(),
                 IRECT(cell.L, cell.T, cell.L + 0.7f * cell.W(), cell.B), &mBlend);
  }
}

void IVColorSwatchControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  const int cell = GetCellForPoint(x, y);
  if (cell != mCellOver)
    SetDirty(false);
  mCellOver = cell;
  IControl::OnMouseOver(x, y, mod);
}

void IVColorSwatchControl::OnMouseOut()
{
  mCellOver = -1;
  IControl::OnMouseOut();
  SetDirty(false);
}

void IVColorSwatchControl::OnMouseDown(float x, float y, const IMouseMod& /*mod*/)
{
  const int cell = GetCellForPoint(x, y);
  if (cell < 0 || !GetUI())
    return;
  const EVColor id = mColorIDs[cell];
  IColor color = GetColor(id);
  GetUI()->PromptForColor(color, "Choose a color",
                          [this, cell, id](const IColor& chosen)
                          {
                            SetColor(id, chosen);
                            SetDirty(false);
                            if (mColorChosenFunc)
                              mColorChosenFunc(cell, chosen);
                          });
}

} // namespace plugin::igraphics
