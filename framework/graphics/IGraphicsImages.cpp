// IGraphics: bitmaps (film-strip frames, fitted, rotated, bitmap fonts), SVG images drawn
// through the path interface, and the placement of rotated text.

#include "framework/graphics/IGraphics.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plugin::igraphics
{

namespace
{

constexpr double kPiD = 3.1415927;

// The source offset of frame (1..N) of a strip, in points. Frames are a whole number of points
// (the strip's size divided by N, rounded down) and start at multiples of that size, so a strip
// whose size does not divide by N still shows whole frames; the rest at its end is never drawn.
void FrameOffset(const IBitmap& bitmap, int frame, int& srcX, int& srcY)
{
  srcX = srcY = 0;
  const int n = bitmap.N();
  const int i = std::clamp(frame, 1, std::max(n, 1));
  if (n >= 2 && i >= 2)
  {
    if (bitmap.GetFramesAreHorizontal())
      srcX = (i - 1) * (bitmap.W() / n);
    else
      srcY = (i - 1) * (bitmap.H() / n);
  }
}

} // namespace

void IGraphics::DrawBitmap(const IBitmap& bitmap, const IRECT& bounds, int frame,
                           const IBlend* pBlend)
{
  int srcX = 0, srcY = 0;
  FrameOffset(bitmap, frame, srcX, srcY);
  DrawBitmap(bitmap, bounds, srcX, srcY, pBlend);
}

void IGraphics::DrawFittedBitmap(const IBitmap& bitmap, const IRECT& bounds, const IBlend* pBlend)
{
  if (bitmap.W() <= 0 || bitmap.H() <= 0)
    return;
  PathTransformSave();
  PathTransformTranslate(bounds.L, bounds.T);
  PathTransformScale(bounds.W() / static_cast<float>(bitmap.W()),
                     bounds.H() / static_cast<float>(bitmap.H()));
  DrawBitmap(bitmap, IRECT(0.f, 0.f, float(bitmap.W()), float(bitmap.H())), 0, 0, pBlend);
  PathTransformRestore();
}

void IGraphics::DrawRotatedBitmap(const IBitmap& bitmap, float destCtrX, float destCtrY,
                                  float angle, const IBlend* pBlend)
{
  const float w = static_cast<float>(bitmap.W()) / bitmap.GetDrawScale();
  const float h = static_cast<float>(bitmap.H()) / bitmap.GetDrawScale();
  PathTransformSave();
  PathTransformTranslate(destCtrX, destCtrY);
  PathTransformRotate(angle);
  DrawBitmap(bitmap, IRECT(-w / 2.f, -h / 2.f, w / 2.f, h / 2.f), 0, 0, pBlend);
  PathTransformRestore();
}

void IGraphics::DrawBitmapedText(const IBitmap& bitmap, const IRECT& bounds, const IText& text,
                                 const IBlend* pBlend, const char* str, bool vCenter,
                                 bool multiline, int charWidth, int charHeight, int charOffset)
{
  if (!str || !str[0] || charWidth <= 0 || charHeight <= 0)
    return;
  const int n = static_cast<int>(std::strlen(str));
  const float y0 = vCenter ? bounds.T + (bounds.H() - charHeight) / 2.f : bounds.T;
  float x0 = bounds.L;
  if (text.mAlign == EAlign::kCenter)
    x0 = bounds.L + (bounds.W() - static_cast<float>(n * charWidth)) / 2.f;
  else if (text.mAlign == EAlign::kFar)
    x0 = bounds.R - static_cast<float>(n * charWidth);

  int lines = 1;
  int perLine = static_cast<int>(bounds.W() / static_cast<float>(charWidth));
  if (multiline)
  {
    if (static_cast<float>(n * charWidth) > bounds.W())
      lines = static_cast<int>(static_cast<float>(n * charWidth) / bounds.W()) + 1;
    else
      perLine = n;
  }
  if (perLine < 1)
    return;

  int idx = 0;
  for (int line = 0; line < lines && idx < n; ++line)
    for (int col = 0; col < perLine && idx < n; ++col, ++idx)
    {
      int code = static_cast<signed char>(str[idx]);
      if (code < 33)
        code = 32;
      const int frame = std::min(code - 31, bitmap.N());
      int srcX = 0, srcY = 0;
      FrameOffset(bitmap, frame, srcX, srcY);
      const float x = x0 + static_cast<float>(col * (charWidth + charOffset));
      const float y = y0 + static_cast<float>(line * charHeight);
      DrawBitmap(bitmap, IRECT(x, y, x + charWidth, y + charHeight), srcX, srcY, pBlend);
    }
}

// ---- SVG

namespace
{

// The crossing parameter of the line a→b with the line c→d (along a→b); false when parallel.
bool CrossingParam(float ax, float ay, float bx, float by, float cx, float cy, float dx, float dy,
                   float& t)
{
  const float d1x = bx - ax, d1y = by - ay;
  const float d2x = dx - cx, d2y = dy - cy;
  const float den = d1x * d2y - d1y * d2x;
  if (std::fabs(den) < 1e-8f)
    return false;
  const float acx = cx - ax, acy = cy - ay;
  t = (acx * d2y - acy * d2x) / den;
  return true;
}

// Whether the path is a hole of its shape: the ray from its first point towards the point just
// outside the top-left of its bounds crosses the shape's other paths an odd number of times.
bool IsHole(const SVGShape& shape, const SVGPath& path)
{
  const float p0x = path.mPts[0], p0y = path.mPts[1];
  const float p1x = path.mBounds[0] - 1.f, p1y = path.mBounds[1] - 1.f;
  int crossings = 0;
  for (const SVGPath& other : shape.mPaths)
  {
    if (&other == &path || other.NPoints() < 4)
      continue;
    // The segment end points (every third point), closing back to the first.
    const int n = other.NPoints();
    for (int i = 0; i < n; i += 3)
    {
      const int j = i + 3 < n ? i + 3 : 0;
      const float p2x = other.mPts[2 * i], p2y = other.mPts[2 * i + 1];
      const float p3x = other.mPts[2 * j], p3y = other.mPts[2 * j + 1];
      float t1 = 0.f, t2 = 0.f; // along the ray, along the segment
      if (CrossingParam(p0x, p0y, p1x, p1y, p2x, p2y, p3x, p3y, t1) &&
          CrossingParam(p2x, p2y, p3x, p3y, p0x, p0y, p1x, p1y, t2) && t2 >= 0.f && t2 < 1.f &&
          t1 >= 0.f)
        ++crossings;
      if (j == 0)
        break;
    }
  }
  return crossings % 2 == 1;
}

IColor Unpack(uint32_t color, int alpha)
{
  return IColor(alpha, int(color & 255), int((color >> 8) & 255), int((color >> 16) & 255));
}

} // namespace

IPattern IGraphics::GetSVGPattern(const SVGPaint& paint, float opacity) const
{
  const int alpha = std::clamp(static_cast<int>(std::round(opacity * 255.f)), 0, 255);
  switch (paint.mType)
  {
  case ESVGPaintType::kColor:
    return IPattern(Unpack(paint.mColor, alpha));
  case ESVGPaintType::kLinearGradient:
  case ESVGPaintType::kRadialGradient:
  {
    IPattern pattern(paint.mType == ESVGPaintType::kLinearGradient ? EPatternType::kLinear
                                                                   : EPatternType::kRadial);
    const int spread = static_cast<int>(paint.mGradient.mSpread);
    pattern.mExtend = spread < 3 ? static_cast<EPatternExtend>(spread + 1) : EPatternExtend::kPad;
    for (const SVGGradientStop& stop : paint.mGradient.mStops)
      pattern.AddStop(Unpack(stop.mColor, 255), stop.mOffset);
    const float* x = paint.mGradient.mXform;
    pattern.mTransform = IMatrix(x[0], x[1], x[2], x[3], x[4], x[5]);
    return pattern;
  }
  default:
    return IPattern(IColor(alpha, 0, 0, 0));
  }
}

void IGraphics::DoDrawSVG(const ISVG& svg, const IBlend* pBlend, const IColor* pStrokeColor,
                          const IColor* pFillColor)
{
  if (!svg.mImage)
    return;
  for (const SVGShape& shape : svg.mImage->mShapes)
  {
    if (!(shape.mFlags & SVGShape::kFlagVisible))
      continue;
    PathClear();
    for (const SVGPath& path : shape.mPaths)
    {
      if (path.NPoints() < 1)
        continue;
      const float* p = path.mPts.data();
      PathMoveTo(p[0], p[1]);
      for (int i = 1; i + 2 < path.NPoints(); i += 3)
      {
        const float* c = p + 2 * i;
        PathCubicBezierTo(c[0], c[1], c[2], c[3], c[4], c[5]);
      }
      if (path.mClosed)
        PathClose();
      PathSetWinding(IsHole(shape, path));
    }

    const bool hasStroke = shape.mStroke.mType != ESVGPaintType::kNone;
    if (shape.mFill.mType != ESVGPaintType::kNone)
    {
      IFillOptions options;
      options.mFillRule = EFillRule::kPreserve;
      options.mPreserve = hasStroke;
      PathFill(pFillColor ? IPattern(*pFillColor) : GetSVGPattern(shape.mFill, shape.mOpacity),
               options, pBlend);
    }
    if (hasStroke)
    {
      IStrokeOptions options;
      options.mMiterLimit = shape.mMiterLimit;
      if (shape.mStrokeLineCap == 1 || shape.mStrokeLineCap == 2)
        options.mCapOption = static_cast<ELineCap>(shape.mStrokeLineCap);
      if (shape.mStrokeLineJoin >= 0 && shape.mStrokeLineJoin < 3)
        options.mJoinOption = static_cast<ELineJoin>(shape.mStrokeLineJoin);
      options.mDash.SetDash(shape.mStrokeDashArray, shape.mStrokeDashOffset,
                            shape.mStrokeDashCount);
      PathStroke(pStrokeColor ? IPattern(*pStrokeColor)
                              : GetSVGPattern(shape.mStroke, shape.mOpacity),
                 shape.mStrokeWidth, options, pBlend);
    }
  }
}

void IGraphics::DrawSVG(const ISVG& svg, const IRECT& bounds, const IBlend* pBlend,
                        const IColor* pStrokeColor, const IColor* pFillColor)
{
  if (!svg.mImage || svg.W() <= 0.f || svg.H() <= 0.f)
    return;
  const float scale = std::min(bounds.W() / svg.W(), bounds.H() / svg.H());
  PathTransformSave();
  PathTransformTranslate(bounds.L, bounds.T);
  PathTransformScale(scale);
  DoDrawSVG(svg, pBlend, pStrokeColor, pFillColor);
  PathTransformRestore();
}

void IGraphics::DrawRotatedSVG(const ISVG& svg, float destCentreX, float destCentreY, float width,
                               float height, float angle, const IBlend* pBlend)
{
  PathTransformSave();
  PathTransformTranslate(destCentreX, destCentreY);
  PathTransformRotate(angle);
  DrawSVG(svg, IRECT(-width / 2.f, -height / 2.f, width / 2.f, height / 2.f), pBlend);
  PathTransformRestore();
}

// ---- Text rotation

void IGraphics::CalculateTextRotation(const IText& text, const IRECT& bounds, IRECT& rect,
                                      float& tx, float& ty) const
{
  if (text.mAngle == 0.f)
    return;
  const double a = text.mAngle * kPiD / 180.0;
  const double c = std::cos(a), s = std::sin(a);
  const double xs[4] = {rect.L, rect.R, rect.R, rect.L};
  const double ys[4] = {rect.T, rect.T, rect.B, rect.B};
  double l = INFINITY, t = INFINITY, r = -INFINITY, b = -INFINITY;
  for (int i = 0; i < 4; ++i)
  {
    const double x = xs[i] * c - ys[i] * s;
    const double y = xs[i] * s + ys[i] * c;
    l = std::min(l, x);
    r = std::max(r, x);
    t = std::min(t, y);
    b = std::max(b, y);
  }
  rect = IRECT(float(l), float(t), float(r), float(b));

  switch (text.mAlign)
  {
  case EAlign::kNear:
    tx = bounds.L - rect.L;
    break;
  case EAlign::kCenter:
    tx = bounds.MW() - rect.MW();
    break;
  case EAlign::kFar:
    tx = bounds.R - rect.R;
    break;
  }
  switch (text.mVAlign)
  {
  case EVAlign::kTop:
    ty = bounds.T - rect.T;
    break;
  case EVAlign::kMiddle:
    ty = bounds.MH() - rect.MH();
    break;
  case EVAlign::kBottom:
    ty = bounds.B - rect.B;
    break;
  }
}

void IGraphics::DoMeasureTextRotation(const IText& text, const IRECT& bounds, IRECT& rect) const
{
  float tx = 0.f, ty = 0.f;
  CalculateTextRotation(text, bounds, rect, tx, ty);
  rect = IRECT(rect.L + tx, rect.T + ty, rect.R + tx, rect.B + ty);
}

} // namespace plugin::igraphics
