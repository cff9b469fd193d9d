#pragma once
// SvgDocument: writes one SVG picture as text, with only what the editor's SVG reader draws:
// rectangles, circles and paths with solid fills and strokes. Colours are written opaque with an
// element opacity for their alpha (the reader applies element opacity to solid paints; it does
// not apply a paint's own fill-opacity). Numbers are written with at most three decimals,
// independently of the locale.

#include "instrument/editor/PelmoraColors.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace pelmora::pictures
{

using theme::PelmoraColor;

struct SvgStyle
{
  std::optional<PelmoraColor> mFill;
  std::optional<PelmoraColor> mStroke;
  float mStrokeWidth = 1.f;
  bool mRoundJoins = false; // round joins and caps, else miter joins and butt caps
  float mOpacity = 1.f;     // multiplied with the colour's alpha
};

inline SvgStyle Fill(const PelmoraColor& color, float opacity = 1.f)
{
  return {color, std::nullopt, 1.f, false, opacity};
}
inline SvgStyle Stroke(const PelmoraColor& color, float width, bool round = false,
                       float opacity = 1.f)
{
  return {std::nullopt, color, width, round, opacity};
}

// A number as SVG text: fixed point, at most three decimals, no trailing zeros.
std::string Num(double v);

// Path data, built command by command in absolute coordinates.
class PathData
{
public:
  PathData& M(float x, float y) { return Command('M', {x, y}); }
  PathData& L(float x, float y) { return Command('L', {x, y}); }
  PathData& H(float x) { return Command('H', {x}); }
  PathData& V(float y) { return Command('V', {y}); }
  PathData& Q(float cx, float cy, float x, float y) { return Command('Q', {cx, cy, x, y}); }
  PathData& C(float cx1, float cy1, float cx2, float cy2, float x, float y)
  {
    return Command('C', {cx1, cy1, cx2, cy2, x, y});
  }
  PathData& Z() { return Command('Z', {}); }

  const std::string& Str() const { return mText; }
  bool Empty() const { return mText.empty(); }

private:
  PathData& Command(char command, std::initializer_list<float> values);

  std::string mText;
};

class SvgDocument
{
public:
  // The picture declares width x height pixels and the view box 0 0 width height.
  SvgDocument(int width, int height);

  void Rect(float x, float y, float w, float h, float radius, const SvgStyle& style);
  void Circle(float cx, float cy, float r, const SvgStyle& style);
  // pathData: SVG path commands (M, L, H, V, Q, C, Z ...).
  void Path(std::string_view pathData, const SvgStyle& style);
  void Path(const PathData& path, const SvgStyle& style) { Path(path.Str(), style); }

  std::string Text() const;

private:
  void AppendStyle(const SvgStyle& style);

  int mWidth;
  int mHeight;
  std::string mBody;
};

} // namespace pelmora::pictures
