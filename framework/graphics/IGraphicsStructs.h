#pragma once
// The plain records of the editor: colours, rectangles, blends, text styles, paints, stroke and
// fill options, transforms and input events. All are values, copied freely, and every one that
// has a fixed default is constexpr-constructible so that the drawing constants built from them
// are constant-initialised (ready before any static object of any translation unit runs).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>

namespace plugin::igraphics
{

// A colour: alpha, red, green, blue, each 0..255. The default is opaque black.
struct IColor
{
  int A = 255;
  int R = 0;
  int G = 0;
  int B = 0;

  constexpr IColor() = default;
  constexpr IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}

  constexpr bool operator==(const IColor& rhs) const = default;
};

// Compositing of a fill or stroke onto what lies below. 0 is normal source-over blending.
enum class EBlend
{
  kDefault = 0,
  kSrcIn,
  kSrcOut,
  kSrcAtop,
  kDstOver,
  kDstIn,
  kDstOut,
  kDstAtop,
  kAdd,
  kXOR,
};

// A blend method and an opacity weight (0..1). Drawing calls take a pointer: null means
// "no blend" (full opacity, source-over).
struct IBlend
{
  EBlend mMethod = EBlend::kDefault;
  float mWeight = 1.f;

  constexpr IBlend() = default;
  constexpr IBlend(EBlend method, float weight) : mMethod(method), mWeight(weight) {}
  constexpr bool operator==(const IBlend& rhs) const = default;
};

// Opacity of a possibly null blend.
inline float BlendWeight(const IBlend* pBlend)
{
  return pBlend ? pBlend->mWeight : 1.f;
}

enum class EAlign
{
  kNear = 0,
  kCenter,
  kFar,
};

enum class EVAlign
{
  kTop = 0,
  kMiddle,
  kBottom,
};

enum class EDirection
{
  kVertical = 0,
  kHorizontal,
};

// A text style. The font is a name registered with the drawing back end (a fixed field, so that
// the style stays a trivially copyable constant). Angle is in degrees, positive clockwise.
struct IText
{
  static constexpr int kMaxFontName = 64;

  char mFont[kMaxFontName] = "Roboto-Regular";
  float mSize = 14.f;
  IColor mFGColor = IColor(255, 0, 0, 0);
  IColor mTextEntryBGColor = IColor(255, 255, 255, 255);
  IColor mTextEntryFGColor = IColor(255, 0, 0, 0);
  float mAngle = 0.f;
  EAlign mAlign = EAlign::kCenter;
  EVAlign mVAlign = EVAlign::kMiddle;

  constexpr IText() = default;

  // font null keeps the default font; a longer name is cut to 63 characters.
  constexpr IText(float size, const IColor& color, const char* font = nullptr,
                  EAlign align = EAlign::kCenter, EVAlign valign = EVAlign::kMiddle,
                  float angle = 0.f, const IColor& entryBG = IColor(255, 255, 255, 255),
                  const IColor& entryFG = IColor(255, 0, 0, 0))
    : mSize(size), mFGColor(color), mTextEntryBGColor(entryBG), mTextEntryFGColor(entryFG),
      mAngle(angle), mAlign(align), mVAlign(valign)
  {
    if (font)
      SetFont(font);
  }

  constexpr IText(float size, EVAlign valign) : mSize(size), mVAlign(valign) {}

  constexpr void SetFont(const char* font)
  {
    int i = 0;
    for (; font[i] && i < kMaxFontName - 1; ++i)
      mFont[i] = font[i];
    for (; i < kMaxFontName; ++i)
      mFont[i] = '\0';
  }

  constexpr bool operator==(const IText& rhs) const = default;
};

// A rectangle of four floats: left, top, right, bottom (y grows downward).
// "Empty" means all four edges are 0; a zero-width rectangle elsewhere is not empty.
// All predicates compare exactly, with no tolerance.
struct IRECT
{
  float L = 0.f;
  float T = 0.f;
  float R = 0.f;
  float B = 0.f;

  constexpr IRECT() = default;
  constexpr IRECT(float l, float t, float r, float b) : L(l), T(t), R(r), B(b) {}

  static constexpr IRECT MakeXYWH(float x, float y, float w, float h)
  {
    return IRECT(x, y, x + w, y + h);
  }

  constexpr bool operator==(const IRECT& rhs) const = default;

  constexpr float W() const { return R - L; }
  constexpr float H() const { return B - T; }
  constexpr float MW() const { return 0.5f * (L + R); }
  constexpr float MH() const { return 0.5f * (T + B); }
  constexpr float Area() const { return W() * H(); }

  constexpr bool Empty() const { return L == 0.f && T == 0.f && R == 0.f && B == 0.f; }

  // The point lies inside: L <= x < R and T <= y < B (an empty rectangle contains nothing).
  constexpr bool Contains(float x, float y) const { return x >= L && x < R && y >= T && y < B; }

  // rhs lies inside this rectangle; false when either is empty.
  constexpr bool Contains(const IRECT& rhs) const
  {
    return !Empty() && !rhs.Empty() && rhs.L >= L && rhs.R <= R && rhs.T >= T && rhs.B <= B;
  }

  // Touching along this rectangle's right or bottom edge counts; along its left or top does not.
  constexpr bool Intersects(const IRECT& rhs) const
  {
    return !Empty() && !rhs.Empty() && R >= rhs.L && L < rhs.R && B >= rhs.T && T < rhs.B;
  }

  constexpr IRECT Intersect(const IRECT& rhs) const
  {
    if (!Intersects(rhs))
      return IRECT();
    return IRECT(std::max(L, rhs.L), std::max(T, rhs.T), std::min(R, rhs.R), std::min(B, rhs.B));
  }

  // Two rectangles that together form one: same left and right with touching or overlapping
  // vertical spans, or same top and bottom with touching or overlapping horizontal spans.
  // An empty rectangle merges with anything.
  constexpr bool Mergeable(const IRECT& rhs) const
  {
    if (Empty() || rhs.Empty())
      return true;
    if (L == rhs.L && R == rhs.R && ((rhs.T <= T && T <= rhs.B) || (T <= rhs.T && rhs.T <= B)))
      return true;
    return T == rhs.T && B == rhs.B && ((rhs.L <= L && L <= rhs.R) || (L <= rhs.L && rhs.L <= R));
  }

  constexpr IRECT Union(const IRECT& rhs) const
  {
    if (Empty())
      return rhs;
    if (rhs.Empty())
      return *this;
    return IRECT(std::min(L, rhs.L), std::min(T, rhs.T), std::max(R, rhs.R), std::max(B, rhs.B));
  }

  // Grows the rectangle to device-pixel boundaries at the given scale.
  void PixelAlign(float scale)
  {
    const float inv = 1.f / scale;
    L = std::floor(L * scale) * inv;
    T = std::floor(T * scale) * inv;
    R = std::ceil(R * scale) * inv;
    B = std::ceil(B * scale) * inv;
  }

  IRECT GetPixelAligned(float scale) const
  {
    IRECT r = *this;
    r.PixelAlign(scale);
    return r;
  }

  constexpr IRECT GetPadded(float pad) const { return IRECT(L - pad, T - pad, R + pad, B + pad); }
  constexpr IRECT GetPadded(float l, float t, float r, float b) const
  {
    return IRECT(L + l, T + t, R + r, B + b);
  }
  constexpr IRECT GetTranslated(float dx, float dy) const
  {
    return IRECT(L + dx, T + dy, R + dx, B + dy);
  }
  // Same centre, width and height multiplied by f.
  constexpr IRECT GetScaledAboutCentre(float f) const
  {
    const float hw = 0.5f * W() * f;
    const float hh = 0.5f * H() * f;
    return IRECT(MW() - hw, MH() - hh, MW() + hw, MH() + hh);
  }
  // A rectangle of the given size centred on this one's centre.
  constexpr IRECT GetCentredInside(float w, float h) const
  {
    const float l = MW() - 0.5f * w;
    const float t = MH() - 0.5f * h;
    return IRECT(l, t, l + w, t + h);
  }
  // Part i of n equal parts along the direction, over the full extent across. Fewer than one
  // part is one part, the whole rectangle.
  constexpr IRECT GetEqualPart(EDirection direction, int i, int n) const
  {
    if (n < 1)
      return *this;
    if (direction == EDirection::kHorizontal)
    {
      const float w = W() / static_cast<float>(n);
      return IRECT(L + i * w, T, L + (i + 1) * w, B);
    }
    const float h = H() / static_cast<float>(n);
    return IRECT(L, T + i * h, R, T + (i + 1) * h);
  }
};

// A 2-D affine transform: (x, y) maps to (x·xx + y·xy + tx, x·yx + y·yy + ty).
struct IMatrix
{
  double mXX = 1.0;
  double mYX = 0.0;
  double mXY = 0.0;
  double mYY = 1.0;
  double mTX = 0.0;
  double mTY = 0.0;

  constexpr IMatrix() = default;
  constexpr IMatrix(double xx, double yx, double xy, double yy, double tx, double ty)
    : mXX(xx), mYX(yx), mXY(xy), mYY(yy), mTX(tx), mTY(ty)
  {
  }
  constexpr bool operator==(const IMatrix& rhs) const = default;

  // This ∘ m: m acts first on drawn coordinates, then this matrix.
  constexpr IMatrix Compose(const IMatrix& m) const
  {
    return IMatrix(m.mXX * mXX + m.mYX * mXY, m.mXX * mYX + m.mYX * mYY, m.mXY * mXX + m.mYY * mXY,
                   m.mXY * mYX + m.mYY * mYY, m.mTX * mXX + m.mTY * mXY + mTX,
                   m.mTX * mYX + m.mTY * mYY + mTY);
  }

  constexpr void TransformPoint(double& x, double& y) const
  {
    const double nx = x * mXX + y * mXY + mTX;
    const double ny = x * mYX + y * mYY + mTY;
    x = nx;
    y = ny;
  }
};

enum class EPatternType
{
  kSolid = 0,
  kLinear,
  kRadial,
};

enum class EPatternExtend
{
  kNone = 0,
  kPad,
  kReflect,
  kRepeat,
};

struct IColorStop
{
  IColor mColor;
  float mOffset = 0.f;

  constexpr IColorStop() = default;
  constexpr IColorStop(const IColor& color, float offset) : mColor(color), mOffset(offset) {}
  constexpr bool operator==(const IColorStop& rhs) const = default;
};

// Paint of a fill or stroke: a solid colour or a gradient of up to 16 stops.
struct IPattern
{
  static constexpr int kMaxStops = 16;

  EPatternType mType = EPatternType::kSolid;
  EPatternExtend mExtend = EPatternExtend::kPad;
  IColorStop mStops[kMaxStops] = {};
  int mNStops = 0;
  IMatrix mTransform;

  constexpr IPattern() = default;
  constexpr IPattern(EPatternType type) : mType(type) {}
  // A solid pattern of one colour (one stop at offset 0).
  constexpr IPattern(const IColor& color) { AddStop(color, 0.f); }

  // Stops beyond the sixteenth are ignored.
  constexpr void AddStop(const IColor& color, float offset)
  {
    if (mNStops < kMaxStops)
      mStops[mNStops++] = IColorStop(color, offset);
  }

  constexpr const IColorStop& GetStop(int idx) const { return mStops[idx]; }
  constexpr int NStops() const { return mNStops; }

  // A linear gradient from (x1, y1) to (x2, y2): its transform maps that segment onto the unit
  // gradient axis.
  static IPattern CreateLinearGradient(float x1, float y1, float x2, float y2,
                                       std::initializer_list<IColorStop> stops = {});
};

enum class ELineCap
{
  kButt = 0,
  kRound,
  kSquare,
};

enum class ELineJoin
{
  kMiter = 0,
  kRound,
  kBevel,
};

enum class EFillRule
{
  kWinding = 0,
  kEvenOdd,
  kPreserve, // keep the winding that PathSetWinding gave each sub-path
};

// Direction of PathArc; the graphics core always draws clockwise.
enum class EWinding
{
  kCW = 0,
  kCCW,
};

struct IStrokeOptions
{
  struct DashOptions
  {
    static constexpr int kMaxDashes = 8;
    float mArray[kMaxDashes] = {};
    float mOffset = 0.f;
    int mCount = 0; // 0 = solid line

    // Lengths beyond the eighth are ignored.
    constexpr void SetDash(const float* pArray, float offset, int count)
    {
      mCount = std::clamp(count, 0, kMaxDashes);
      for (int i = 0; i < mCount; ++i)
        mArray[i] = pArray[i];
      mOffset = offset;
    }
  };

  float mMiterLimit = 10.f;
  bool mPreserve = false;
  ELineCap mCapOption = ELineCap::kButt;
  ELineJoin mJoinOption = ELineJoin::kMiter;
  DashOptions mDash;
};

struct IFillOptions
{
  EFillRule mFillRule = EFillRule::kWinding;
  bool mPreserve = false;

  constexpr IFillOptions() = default;
  constexpr IFillOptions(bool preserve, EFillRule rule = EFillRule::kWinding)
    : mFillRule(rule), mPreserve(preserve)
  {
  }
};

// Touch identifier of a pointer: 0 for the mouse.
using ITouchID = uint64_t;

// Pointer modifiers: left button, right button, shift, control, alt; then the touch.
struct IMouseMod
{
  bool L = false;
  bool R = false;
  bool S = false;
  bool C = false;
  bool A = false;
  ITouchID touchID = 0;
  float touchRadius = 0.f;

  constexpr IMouseMod() = default;
  constexpr IMouseMod(bool l, bool r = false, bool s = false, bool c = false, bool a = false,
                      ITouchID touch = 0)
    : L(l), R(r), S(s), C(c), A(a), touchID(touch)
  {
  }
};

// One pointer event, in editor coordinates (points).
struct IMouseInfo
{
  float x = 0.f;
  float y = 0.f;
  float dX = 0.f;
  float dY = 0.f;
  IMouseMod ms;
};

enum class ECursor
{
  kArrow = 0,
  kIBeam,
  kWait,
  kCross,
  kUpArrow,
  kSizeNWSE,
  kSizeNESW,
  kSizeWE,
  kSizeNS,
  kSizeAll,
  kNo,
  kHand,
  kAppStarting,
  kHelp,
};

enum class EUIResizerMode
{
  kScale = 0,
  kSize,
};

enum class EUIAppearance
{
  kLight = 0,
  kDark,
};

enum class EGestureType
{
  kUnknown = 0,
  kDoubleTap,
  kTripleTap,
  kLongPress1,
  kLongPress2,
  kSwipeLeft,
  kSwipeRight,
  kSwipeUp,
  kSwipeDown,
  kPinch,
  kRotate,
};

enum class EGestureState
{
  kUnknown = 0,
  kBegan,
  kInProcess,
  kEnded,
};

struct IGestureInfo
{
  float x = 0.f;
  float y = 0.f;
  float scale = 0.f;    // pinch
  float velocity = 0.f; // pinch and rotate
  float angle = 0.f;    // rotate
  EGestureState state = EGestureState::kUnknown;
  EGestureType type = EGestureType::kUnknown;
};

enum class EFileAction
{
  kOpen = 0,
  kSave,
};

enum class ETextStyle
{
  kNormal = 0,
  kBold,
  kItalic,
};

enum class EMsgBoxType
{
  kOK = 0,
  kOKCancel,
  kYesNoCancel,
  kYesNo,
  kRetryCancel,
};

enum class EMsgBoxResult
{
  kNoResult = 0,
  kOK,
  kCancel,
  kAbort,
  kRetry,
  kIgnore,
  kYes,
  kNo,
};

} // namespace plugin::igraphics
