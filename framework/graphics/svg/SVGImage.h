#pragma once
// A parsed SVG image: what the graphics core draws, and nothing else. Every path is already in
// image coordinates (all transforms applied) and made of cubic segments only: a start point
// followed by three points (control 1, control 2, end) per segment.
//
// Paint colours are packed as 0xAABBGGRR (red in the low byte). Gradient transforms map image
// coordinates to gradient space: a linear gradient runs along y from 0 (first stop) to 1 (last
// stop); a radial gradient is the unit circle centred on the origin.

#include <cstdint>
#include <memory>
#include <vector>

namespace plugin::igraphics
{

enum class ESVGPaintType
{
  kNone = 0,
  kColor,
  kLinearGradient,
  kRadialGradient,
};

enum class ESVGSpread
{
  kPad = 0,
  kReflect,
  kRepeat,
};

struct SVGGradientStop
{
  uint32_t mColor = 0;
  float mOffset = 0.f;
};

struct SVGGradient
{
  float mXform[6] = {1.f, 0.f, 0.f, 1.f, 0.f, 0.f}; // xx, yx, xy, yy, tx, ty
  ESVGSpread mSpread = ESVGSpread::kPad;
  std::vector<SVGGradientStop> mStops;
};

struct SVGPaint
{
  ESVGPaintType mType = ESVGPaintType::kNone;
  uint32_t mColor = 0;
  SVGGradient mGradient; // for the gradient kinds
};

struct SVGPath
{
  std::vector<float> mPts; // x, y pairs
  bool mClosed = false;
  float mBounds[4] = {}; // min x, min y, max x, max y

  int NPoints() const { return static_cast<int>(mPts.size() / 2); }
};

struct SVGShape
{
  static constexpr int kMaxDashes = 8;
  static constexpr unsigned kFlagVisible = 1;

  SVGPaint mFill;
  SVGPaint mStroke;
  float mOpacity = 1.f;
  float mStrokeWidth = 1.f;
  float mStrokeDashOffset = 0.f;
  float mStrokeDashArray[kMaxDashes] = {};
  int mStrokeDashCount = 0;
  int mStrokeLineJoin = 0; // 0 miter, 1 round, 2 bevel
  int mStrokeLineCap = 0;  // 0 butt, 1 round, 2 square
  float mMiterLimit = 4.f;
  int mFillRule = 0; // 0 non-zero, 1 even-odd (kept, not used for drawing)
  unsigned mFlags = kFlagVisible;
  std::vector<SVGPath> mPaths;
};

struct SVGImage
{
  float mWidth = 0.f;
  float mHeight = 0.f;
  std::vector<SVGShape> mShapes;
};

using SVGImagePtr = std::unique_ptr<SVGImage>;

} // namespace plugin::igraphics
