// IGraphics: shapes, lines and text built on the back end's path interface, and the transform
// stack. Every shape clears the path, builds it, then strokes or fills it once.

#include "framework/graphics/IGraphics.h"

#include <algorithm>
#include <cmath>

namespace plugin::igraphics
{

namespace
{

constexpr float kPi = 3.1415927f;

float DegToRad(float degrees)
{
  return degrees / 180.f * kPi;
}

IStrokeOptions DashedStroke(float dashLen)
{
  IStrokeOptions options;
  options.mDash.SetDash(&dashLen, 0.f, 1);
  return options;
}

} // namespace

void IGraphics::StrokeCurrentPath(const IColor& color, const IBlend* pBlend, float thickness)
{
  PathStroke(IPattern(color), thickness, IStrokeOptions(), pBlend);
}

void IGraphics::FillCurrentPath(const IColor& color, const IBlend* pBlend)
{
  PathFill(IPattern(color), IFillOptions(), pBlend);
}

// ---- Path builders

void IGraphics::PathRect(const IRECT& bounds)
{
  PathMoveTo(bounds.L, bounds.T);
  PathLineTo(bounds.R, bounds.T);
  PathLineTo(bounds.R, bounds.B);
  PathLineTo(bounds.L, bounds.B);
  PathClose();
}

void IGraphics::PathRoundRect(const IRECT& bounds, float ctl, float ctr, float cbl, float cbr)
{
  if (ctl <= 0.f && ctr <= 0.f && cbl <= 0.f && cbr <= 0.f)
  {
    PathRect(bounds);
    return;
  }
  PathMoveTo(bounds.L, bounds.T + ctl);
  PathArc(bounds.L + ctl, bounds.T + ctl, ctl, 270.f, 360.f);
  PathArc(bounds.R - ctr, bounds.T + ctr, ctr, 0.f, 90.f);
  PathArc(bounds.R - cbr, bounds.B - cbr, cbr, 90.f, 180.f);
  PathArc(bounds.L + cbl, bounds.B - cbl, cbl, 180.f, 270.f);
  PathClose();
}

void IGraphics::PathRoundRect(const IRECT& bounds, float cornerRadius)
{
  PathRoundRect(bounds, cornerRadius, cornerRadius, cornerRadius, cornerRadius);
}

void IGraphics::PathTriangle(float x1, float y1, float x2, float y2, float x3, float y3)
{
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathLineTo(x3, y3);
  PathClose();
}

void IGraphics::PathConvexPolygon(const float* x, const float* y, int nPoints)
{
  if (nPoints < 1)
    return;
  PathMoveTo(x[0], y[0]);
  for (int i = 1; i < nPoints; ++i)
    PathLineTo(x[i], y[i]);
  PathClose();
}

void IGraphics::PathCircle(float cx, float cy, float r)
{
  PathMoveTo(cx, cy - r);
  PathArc(cx, cy, r, 0.f, 360.f);
  PathClose();
}

void IGraphics::PathEllipse(float x, float y, float r1, float r2, float angle)
{
  if (r1 <= 0.f || r2 <= 0.f)
    return;
  PathTransformSave();
  PathTransformTranslate(x, y);
  PathTransformRotate(angle);
  PathTransformScale(r1, r2);
  PathMoveTo(0.f, -1.f);
  PathArc(0.f, 0.f, 1.f, 0.f, 360.f);
  PathClose();
  PathTransformRestore();
}

void IGraphics::PathEllipse(const IRECT& bounds)
{
  PathEllipse(bounds.MW(), bounds.MH(), bounds.W() / 2.f, bounds.H() / 2.f);
}

void IGraphics::PathRadialLine(float cx, float cy, float angle, float rMin, float rMax)
{
  const float a = DegToRad(angle - 90.f);
  PathMoveTo(cx + rMin * std::cos(a), cy + rMin * std::sin(a));
  PathLineTo(cx + rMax * std::cos(a), cy + rMax * std::sin(a));
}

// ---- Stroked and filled shapes

void IGraphics::DrawLine(const IColor& color, float x1, float y1, float x2, float y2,
                         const IBlend* pBlend, float thickness)
{
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  StrokeCurrentPath(color, pBlend, thickness);
}

void IGraphics::DrawDottedLine(const IColor& color, float x1, float y1, float x2, float y2,
                               const IBlend* pBlend, float thickness, float dashLen)
{
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathStroke(IPattern(color), thickness, DashedStroke(dashLen), pBlend);
}

void IGraphics::DrawTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3,
                             float y3, const IBlend* pBlend, float thickness)
{
  PathClear();
  PathTriangle(x1, y1, x2, y2, x3, y3);
  StrokeCurrentPath(color, pBlend, thickness);
}

void IGraphics::DrawRect(const IColor& color, const IRECT& bounds, const IBlend* pBlend,
                         float thickness)
{
  PathClear();
  PathRect(bounds);
  StrokeCurrentPath(color, pBlend, thickness);
}

void IGraphics::DrawRoundRect(const IColor& color, const IRECT& bounds, float cornerRadius,
                              const IBlend* pBlend, float thickness)
{
  PathClear();
  PathRoundRect(bounds, cornerRadius);
  StrokeCurrentPath(color, pBlend, thickness);
}

void IGraphics::DrawRoundRect(const IColor& color, const IRECT& bounds, float ctl, float ctr,
                              float cbl, float cbr, const IBlend* pBlend, float thickness)
{
  PathClear();
  PathRoundRect(bounds, ctl, ctr, cbl, cbr);
  StrokeCurrentPath(color, pBlend, thickness);
}

void IGraphics::DrawArc(const IColor& color, float cx, float cy, float r, float a1, float a2,
                        const IBlend* pBlend, float thickness)
{
  PathClear();
  PathArc(cx, cy, r, a1, a2);
  StrokeCurrentPath(color, pBlend, thickness);
}

void IGraphics::DrawCircle(const IColor& color, float cx, float cy, float r, const IBlend* pBlend,
                           float thickness)
{
  PathClear();
  PathCircle(cx, cy, r);
  StrokeCurrentPath(color, pBlend, thickness);
}

void IGraphics::DrawEllipse(const IColor& color, const IRECT& bounds, const IBlend* pBlend,
                            float thickness)
{
  PathClear();
  PathEllipse(bounds);
  StrokeCurrentPath(color, pBlend, thickness);
}

void IGraphics::DrawEllipse(const IColor& color, float x, float y, float r1, float r2, float angle,
                            const IBlend* pBlend, float thickness)
{
  PathClear();
  PathEllipse(x, y, r1, r2, angle);
  StrokeCurrentPath(color, pBlend, thickness);
}

void IGraphics::DrawConvexPolygon(const IColor& color, const float* x, const float* y, int nPoints,
                                  const IBlend* pBlend, float thickness)
{
  PathClear();
  PathConvexPolygon(x, y, nPoints);
  StrokeCurrentPath(color, pBlend, thickness);
}

void IGraphics::DrawDottedRect(const IColor& color, const IRECT& bounds, const IBlend* pBlend,
                               float thickness, float dashLen)
{
  PathClear();
  PathRect(bounds);
  PathStroke(IPattern(color), thickness, DashedStroke(dashLen), pBlend);
}

void IGraphics::FillTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3,
                             float y3, const IBlend* pBlend)
{
  PathClear();
  PathTriangle(x1, y1, x2, y2, x3, y3);
  FillCurrentPath(color, pBlend);
}

void IGraphics::FillRect(const IColor& color, const IRECT& bounds, const IBlend* pBlend)
{
  PathClear();
  PathRect(bounds);
  FillCurrentPath(color, pBlend);
}

void IGraphics::FillRoundRect(const IColor& color, const IRECT& bounds, float cornerRadius,
                              const IBlend* pBlend)
{
  PathClear();
  PathRoundRect(bounds, cornerRadius);
  FillCurrentPath(color, pBlend);
}

void IGraphics::FillRoundRect(const IColor& color, const IRECT& bounds, float ctl, float ctr,
                              float cbl, float cbr, const IBlend* pBlend)
{
  PathClear();
  PathRoundRect(bounds, ctl, ctr, cbl, cbr);
  FillCurrentPath(color, pBlend);
}

void IGraphics::FillCircle(const IColor& color, float cx, float cy, float r, const IBlend* pBlend)
{
  PathClear();
  PathCircle(cx, cy, r);
  FillCurrentPath(color, pBlend);
}

void IGraphics::FillEllipse(const IColor& color, const IRECT& bounds, const IBlend* pBlend)
{
  PathClear();
  PathEllipse(bounds);
  FillCurrentPath(color, pBlend);
}

void IGraphics::FillEllipse(const IColor& color, float x, float y, float r1, float r2, float angle,
                            const IBlend* pBlend)
{
  PathClear();
  PathEllipse(x, y, r1, r2, angle);
  FillCurrentPath(color, pBlend);
}

void IGraphics::FillArc(const IColor& color, float cx, float cy, float r, float a1, float a2,
                        const IBlend* pBlend)
{
  PathClear();
  PathMoveTo(cx, cy);
  PathArc(cx, cy, r, a1, a2);
  PathClose();
  FillCurrentPath(color, pBlend);
}

void IGraphics::FillConvexPolygon(const IColor& color, const float* x, const float* y, int nPoints,
                                  const IBlend* pBlend)
{
  PathClear();
  PathConvexPolygon(x, y, nPoints);
  FillCurrentPath(color, pBlend);
}

void IGraphics::DrawPoint(const IColor& color, float x, float y, const IBlend* pBlend)
{
  FillRect(color, IRECT(x, y, x + 1.f, y + 1.f), pBlend);
}

void IGraphics::DrawGrid(const IColor& color, const IRECT& bounds, float gridSizeH, float gridSizeV,
                         const IBlend* pBlend, float thickness)
{
  PathClear();
  if (gridSizeH > 1.f)
  {
    for (float x = bounds.L + gridSizeH; x < bounds.R; x += gridSizeH)
    {
      PathMoveTo(x, bounds.T);
      PathLineTo(x, bounds.B);
    }
  }
  if (gridSizeV > 1.f)
  {
    for (float y = bounds.T + gridSizeV; y < bounds.B; y += gridSizeV)
    {
      PathMoveTo(bounds.L, y);
      PathLineTo(bounds.R, y);
    }
  }
  StrokeCurrentPath(color, pBlend, thickness);
}

void IGraphics::DrawData(const IColor& color, const IRECT& bounds, const float* normYPoints,
                         int nPoints, const float* normXPoints, const IBlend* pBlend,
                         float thickness, const IColor* pFillColor)
{
  if (nPoints <= 0)
    return;
  PathClear();
  const float w = bounds.W();
  const float h = bounds.H();
  PathMoveTo(bounds.L, bounds.B - h * normYPoints[0]);
  for (int i = 1; i < nPoints; ++i)
  {
    const float x = normXPoints ? bounds.L + w * normXPoints[i]
                                : bounds.L + static_cast<float>(i) * (w / float(nPoints - 1));
    PathLineTo(x, bounds.B - h * normYPoints[i]);
  }
  if (pFillColor)
    PathFill(IPattern(*pFillColor), IFillOptions(true), pBlend);
  StrokeCurrentPath(color, pBlend, thickness);
}

void IGraphics::DrawRadialLine(const IColor& color, float cx, float cy, float angle, float rMin,
                               float rMax, const IBlend* pBlend, float thickness)
{
  const float a = DegToRad(angle - 90.f);
  DrawLine(color, cx + rMin * std::cos(a), cy + rMin * std::sin(a), cx + rMax * std::cos(a),
           cy + rMax * std::sin(a), pBlend, thickness);
}

void IGraphics::DrawVerticalLine(const IColor& color, const IRECT& bounds, float x,
                                 const IBlend* pBlend, float thickness)
{
  x = std::clamp(x, 0.f, 1.f);
  const float xPos = bounds.L + std::trunc(bounds.W() * x);
  DrawLine(color, xPos, bounds.T, xPos, bounds.B, pBlend, thickness);
}

void IGraphics::DrawHorizontalLine(const IColor& color, const IRECT& bounds, float y,
                                   const IBlend* pBlend, float thickness)
{
  y = std::clamp(y, 0.f, 1.f);
  const float yPos = bounds.B - bounds.H() * y;
  DrawLine(color, bounds.L, yPos, bounds.R, yPos, pBlend, thickness);
}

void IGraphics::DrawLineAcross(const IColor& color, const IRECT& bounds, EDirection dir, float pos,
                               const IBlend* pBlend, float thickness)
{
  if (dir == EDirection::kHorizontal)
    DrawHorizontalLine(color, bounds, pos, pBlend, thickness);
  else
    DrawVerticalLine(color, bounds, pos, pBlend, thickness);
}

void IGraphics::DrawVerticalLine(const IColor& color, float xi, float yLo, float yHi,
                                 const IBlend* pBlend, float thickness)
{
  DrawLine(color, xi, yLo, xi, yHi, pBlend, thickness);
}

void IGraphics::DrawHorizontalLine(const IColor& color, float yi, float xLo, float xHi,
                                   const IBlend* pBlend, float thickness)
{
  DrawLine(color, xLo, yi, xHi, yi, pBlend, thickness);
}

// ---- Text

void IGraphics::DrawText(const IText& text, const char* str, const IRECT& bounds,
                         const IBlend* pBlend)
{
  if (!str || !str[0])
    return;
  DoDrawText(text, str, bounds, pBlend);
}

void IGraphics::DrawText(const IText& text, const char* str, float x, float y, const IBlend* pBlend)
{
  DrawText(text, str, IRECT(x, y, x, y), pBlend);
}

float IGraphics::MeasureText(const IText& text, const char* str, IRECT& bounds) const
{
  if (!str || !str[0])
    return 0.f;
  return DoMeasureText(text, str, bounds);
}

void IGraphics::DrawMultiLineText(const IText& text, const char* /*str*/, const IRECT& bounds,
                                  const IBlend* pBlend)
{
  DrawText(text, "Unsupported", bounds, pBlend);
}

// ---- Transforms and clipping

void IGraphics::SetTransform(const IMatrix& m)
{
  mTransform = m;
  PathTransformSetMatrix(mTransform);
}

void IGraphics::PathTransformSave()
{
  mTransformStates.push_back(mTransform);
}

void IGraphics::PathTransformRestore()
{
  if (mTransformStates.empty())
    return;
  const IMatrix m = mTransformStates.back();
  mTransformStates.pop_back();
  SetTransform(m);
}

void IGraphics::PathTransformReset(bool clearStates)
{
  if (clearStates)
    mTransformStates.clear();
  SetTransform(IMatrix());
}

void IGraphics::PathTransformTranslate(float x, float y)
{
  PathTransformMatrix(IMatrix(1.0, 0.0, 0.0, 1.0, x, y));
}

void IGraphics::PathTransformScale(float x, float y)
{
  PathTransformMatrix(IMatrix(x, 0.0, 0.0, y, 0.0, 0.0));
}

void IGraphics::PathTransformScale(float scale)
{
  PathTransformScale(scale, scale);
}

void IGraphics::PathTransformRotate(float angle)
{
  const float r = DegToRad(angle);
  const float c = std::cos(r);
  const float s = std::sin(r);
  PathTransformMatrix(IMatrix(c, s, -s, c, 0.0, 0.0));
}

void IGraphics::PathTransformSkew(float xAngle, float yAngle)
{
  const float tx = std::tan(DegToRad(xAngle));
  const float ty = std::tan(DegToRad(yAngle));
  PathTransformMatrix(IMatrix(1.0, ty, tx, 1.0, 0.0, 0.0));
}

void IGraphics::PathTransformMatrix(const IMatrix& matrix)
{
  SetTransform(mTransform.Compose(matrix));
}

void IGraphics::PathClipRegion(const IRECT& r)
{
  // The drawing area is the top layer, or the region being drawn in this frame.
  const IRECT& area = mLayers.empty() ? mClipRECT : mLayers.back()->mRECT;
  const IRECT clip = r.Empty() ? area : r.Intersect(area);
  PathTransformSetMatrix(IMatrix());
  SetClipRegion(clip);
  mCurrentClip = clip;
  PathTransformSetMatrix(mTransform);
}

} // namespace plugin::igraphics
