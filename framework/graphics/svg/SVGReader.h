#pragma once
// SVGReader: turns SVG text into an SVGImage.
//
// The markup is read by expat; this reader keeps a stack of inherited styles and transforms and
// understands the subset that drawn user-interface images use: <svg> (width, height, viewBox),
// <g>, <path> (every command, arcs turned into cubics), <rect> (with rounded corners),
// <circle>, <ellipse>, <line>, <polyline>, <polygon>, <defs>, <linearGradient> and
// <radialGradient> with <stop>s (objectBoundingBox or userSpaceOnUse, gradientTransform,
// spreadMethod, href inheritance), and the presentation attributes and style="" properties
// fill, stroke, stroke-width, opacity, stroke-dasharray, stroke-dashoffset, stroke-linejoin,
// stroke-linecap, stroke-miterlimit, fill-rule, display, visibility, transform. Other elements
// are skipped with their children.
//
// Hostile input is refused, never trusted: markup errors, a DOCTYPE (entity declarations),
// non-finite numbers in geometry, nesting deeper than kMaxDepth and images larger than
// kMaxPoints points all give null. Any thread; no shared state.

#include "framework/graphics/svg/SVGImage.h"

#include <cstddef>

namespace plugin::igraphics
{

class SVGReader
{
public:
  static constexpr int kMaxDepth = 256;
  static constexpr size_t kMaxPoints = 1u << 20;

  // units is the unit of lengths without one ("px", "pt", "mm", "cm", "in"); dpi converts
  // physical units to pixels. Null when the text is not a usable SVG image.
  static SVGImagePtr Parse(const char* text, size_t length, const char* units = "px",
                           float dpi = 72.f);
};

} // namespace plugin::igraphics
