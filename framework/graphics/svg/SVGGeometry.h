#pragma once
// Helpers of the SVG reader: affine transforms as six floats (xx, yx, xy, yy, tx, ty; a point
// (x, y) maps to (x·xx + y·xy + tx, x·yx + y·yy + ty)), locale-independent number parsing, and
// the path-data parser that turns every command into cubic segments.

#include "framework/graphics/svg/SVGImage.h"

#include <array>
#include <string_view>
#include <vector>

namespace plugin::igraphics::svg
{

using Xform = std::array<float, 6>;

constexpr Xform kIdentity = {1.f, 0.f, 0.f, 1.f, 0.f, 0.f};

// Colours packed 0xAABBGGRR (red in the low byte), channels clamped to 0..255.
uint32_t Pack(int r, int g, int b, int a = 255);
uint32_t WithAlpha(uint32_t color, float alpha);
// A colour value (#rgb, #rrggbb, rgb(), a colour name); false for anything else.
bool ParseColor(std::string_view s, uint32_t& out);
std::string_view Trim(std::string_view s);

// a ∘ b: b acts first on points, then a.
Xform Multiply(const Xform& a, const Xform& b);
// False when t cannot be inverted (or the inverse is not finite).
bool Invert(const Xform& t, Xform& out);
void Apply(const Xform& t, float& x, float& y);
// The mean scale of t (square root of the absolute determinant).
float MeanScale(const Xform& t);
// A transform list ("translate(1 2) rotate(30)"); false on a syntax error or bad number.
bool ParseTransform(std::string_view s, Xform& out);

// Reads one number at pos (skipping white space and one comma before it); false when none.
bool ReadNumber(std::string_view s, size_t& pos, float& out);
// Reads every number of a list ("1, 2 3"); false when something else is found.
bool ReadNumberList(std::string_view s, std::vector<float>& out);

// One sub-path in user coordinates: start point, then three points per cubic segment.
struct SubPath
{
  std::vector<float> pts;
  bool closed = false;
};

// Parses path data; false on a malformed command (what was read before it is kept, as the
// SVG error rules ask) or when more than maxPoints points would be made.
bool ParsePathData(std::string_view d, std::vector<SubPath>& out, size_t maxPoints);

// Builders for the basic shapes.
void AddLine(SubPath& p, float x, float y);
void AddCubic(SubPath& p, float c1x, float c1y, float c2x, float c2y, float x, float y);
// An elliptical arc from the current end of p, SVG endpoint parameters (angle in degrees).
void AddArc(SubPath& p, float rx, float ry, float angle, bool largeArc, bool sweep, float x,
            float y);

} // namespace plugin::igraphics::svg
