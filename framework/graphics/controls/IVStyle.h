#pragma once
// The look of a vector-drawn control: one value record, IVStyle, with six switches, five
// measures, a palette of nine colours indexed by EVColor, two text styles and the side of the
// label strip. The drawing base (IVectorBase) reads nothing else when it lays out and paints a
// control, so a theme is just a set of IVStyle values. Like the drawing constants, the
// defaults here are constexpr and therefore ready before any static initialiser runs.

#include "framework/graphics/IGraphicsConstants.h"

#include <initializer_list>

namespace plugin::igraphics
{

// Index into a vector style's palette.
enum EVColor
{
  kBG = 0, // background fill of the whole control
  kFG,     // normal (unpressed) fill of a pressable shape
  kPR,     // pressed fill; base layer of an embossed shape
  kFR,     // frame lines; the knob's pointer
  kHL,     // mouse-over overlay and the click splash
  kSH,     // drop shadow
  kX1,     // extra colour 1 (the knob's value arc)
  kX2,     // extra colour 2
  kX3,     // extra colour 3
  kNumVColors
};

// The shape that IVectorBase::DrawPressableShape draws.
enum class EVShape
{
  kRectangle = 0, // all four corners rounded by the style's roundness
  kEllipse,
  kTriangle, // rotated by the style's angle
  kTopRounded,
  kAllRounded, // drawn as kRectangle
};

// The side of a control's bounds from which its label strip is cut. Any other value places no
// label strip.
enum class ELabelSide
{
  kTop = 0,
  kRight,
  kBottom,
  kLeft,
};

inline constexpr IColor kDefaultVColors[kNumVColors] = {
  DEFAULT_BGCOLOR, DEFAULT_FGCOLOR, DEFAULT_PRCOLOR, DEFAULT_FRCOLOR, DEFAULT_HLCOLOR,
  DEFAULT_SHCOLOR, DEFAULT_X1COLOR, DEFAULT_X2COLOR, DEFAULT_X3COLOR,
};

// The nine colours of a vector style, in EVColor order.
struct IVColorSpec
{
  IColor mColors[kNumVColors];

  // The default palette.
  constexpr IVColorSpec() : IVColorSpec(std::initializer_list<IColor>{}) {}

  // The listed colours take indices 0, 1, 2, ... in order; indices not given take their default
  // colour. Colours beyond the ninth are ignored.
  constexpr IVColorSpec(std::initializer_list<IColor> colors)
  {
    int i = 0;
    for (const IColor& c : colors)
    {
      if (i == kNumVColors)
        break;
      mColors[i++] = c;
    }
    for (; i < kNumVColors; ++i)
      mColors[i] = kDefaultVColors[i];
  }

  constexpr const IColor& GetColor(EVColor color) const { return mColors[color]; }
  constexpr bool operator==(const IVColorSpec& rhs) const = default;
};

inline constexpr IVColorSpec DEFAULT_COLOR_SPEC{
  DEFAULT_BGCOLOR, DEFAULT_FGCOLOR, DEFAULT_PRCOLOR, DEFAULT_FRCOLOR, DEFAULT_HLCOLOR,
  DEFAULT_SHCOLOR, DEFAULT_X1COLOR, DEFAULT_X2COLOR, DEFAULT_X3COLOR,
};

// The look of a vector control, copied by value into every control.
struct IVStyle
{
  bool hideCursor = true;  // hide the pointer while a knob or slider is dragged
  bool showLabel = true;   // draw the label text and reserve room for it
  bool showValue = true;   // draw the value text and reserve room for it
  bool drawFrame = true;   // frame around the pressable shape
  bool drawShadows = true; // drop shadow, with room left for it
  bool emboss = false;     // layered, embossed pressable shapes
  float roundness = 0.f;   // corner radius as a fraction of half the shorter side
  float frameThickness = 1.f;
  float shadowOffset = 3.f; // shadow displacement right and down, in points
  float widgetFrac = 1.f;   // the widget's share of its area, scaled about the centre
  float angle = 0.f;        // rotation of a triangle shape, degrees clockwise
  IVColorSpec colorSpec = DEFAULT_COLOR_SPEC;
  IText labelText = DEFAULT_LABEL_TEXT;
  IText valueText = DEFAULT_VALUE_TEXT; // its vertical alignment places the value strip
  ELabelSide labelSide = ELabelSide::kTop;

  constexpr const IColor& GetColor(EVColor color) const { return colorSpec.GetColor(color); }
  constexpr bool operator==(const IVStyle& rhs) const = default;
};

inline constexpr IVStyle DEFAULT_STYLE = {
  true,
  true,
  true,
  true,
  true,
  false,
  0.f,
  1.f,
  3.f,
  1.f,
  0.f,
  IVColorSpec{DEFAULT_BGCOLOR, DEFAULT_FGCOLOR, DEFAULT_PRCOLOR, DEFAULT_FRCOLOR, DEFAULT_HLCOLOR,
              DEFAULT_SHCOLOR, DEFAULT_X1COLOR, DEFAULT_X2COLOR, DEFAULT_X3COLOR},
  DEFAULT_LABEL_TEXT,
  DEFAULT_VALUE_TEXT,
  ELabelSide::kTop,
};

} // namespace plugin::igraphics
