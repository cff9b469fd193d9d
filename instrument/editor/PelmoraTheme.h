#pragma once
// PelmoraTheme: the editor's fixed look, as read-only constants: colours (IColor), text styles
// (IText) and vector styles (IVStyle). The instrument class derives from this struct, so the
// layout reaches them as Pelmora::ColorA, Pelmora::TextLabel, Pelmora::StyleKnobRegularA ...;
// the struct adds no data and no behaviour to the instrument, only these names.
//
// Everything here is constexpr: the constants are ready before any static initialiser runs and
// can never change. Each group is built from the ones above it: the colours from the theme's
// colour table (PelmoraColors.h, shared with the picture generator), the text styles from the
// colours, the vector styles from the colours and text styles. Controls copy what they use.
//
// The theme is dark: grey backgrounds, a light-blue accent for values, light grey for labels,
// and one accent per operator (A yellow, B lilac, C green, D pink) for its knobs, value fields,
// envelope line and tab buttons.

#include "framework/graphics/controls/IVStyle.h"
#include "instrument/editor/PelmoraColors.h"

namespace pelmora::theme
{

using plugin::igraphics::EAlign;
using plugin::igraphics::EVAlign;
using plugin::igraphics::IColor;
using plugin::igraphics::IText;
using plugin::igraphics::IVColorSpec;
using plugin::igraphics::IVStyle;

// The fonts the text styles name (registered under these names by the layout).
inline constexpr const char* kFontRegular = "Roboto-Regular";
inline constexpr const char* kFontMono = "Roboto Mono";
inline constexpr const char* kFontCondensed = "RobotoCondensed-Light";
inline constexpr const char* kFontIcons = "ForkAwesome";

constexpr IColor ToIColor(const PelmoraColor& c)
{
  return IColor(c.A, c.R, c.G, c.B);
}

// A label text: label colour, label background for typing, angle 0, vertically centred.
constexpr IText LabelText(const char* font, float size, EAlign align)
{
  return IText(size, ToIColor(ColorLabelForeground), font, align, EVAlign::kMiddle, 0.f,
               ToIColor(ColorLabelBackground), ToIColor(ColorLabelForeground));
}

// A value text in the accent or an operator's colour, on the value background for typing.
constexpr IText ValueText(const char* font, float size, const PelmoraColor& color, EAlign align)
{
  return IText(size, ToIColor(color), font, align, EVAlign::kMiddle, 0.f,
               ToIColor(ColorValueBackground), ToIColor(color));
}

// An icon text: it keeps the library's text-entry colours (white field, black text).
constexpr IText IconText(float size)
{
  return IText(size, ToIColor(ColorLabelForeground), kFontIcons, EAlign::kCenter, EVAlign::kMiddle,
               0.f, plugin::igraphics::DEFAULT_TEXTENTRY_BGCOLOR,
               plugin::igraphics::DEFAULT_TEXTENTRY_FGCOLOR);
}

// The six switches of a vector style, in IVStyle's field order.
struct StyleSwitches
{
  bool hideCursor, showLabel, showValue, drawFrame, drawShadows, emboss;
};

// A vector style: the library's default measures, then the switches, the palette and the two
// text styles.
constexpr IVStyle MakeStyle(const StyleSwitches& s, const IVColorSpec& colors,
                            const IText& labelText, const IText& valueText)
{
  IVStyle style = plugin::igraphics::DEFAULT_STYLE;
  style.hideCursor = s.hideCursor;
  style.showLabel = s.showLabel;
  style.showValue = s.showValue;
  style.drawFrame = s.drawFrame;
  style.drawShadows = s.drawShadows;
  style.emboss = s.emboss;
  style.colorSpec = colors;
  style.labelText = labelText;
  style.valueText = valueText;
  return style;
}

// A knob: the accent (the primary one or an operator's) on the value track and the modulation
// arc's colour; the value text hidden.
constexpr IVStyle KnobStyle(const PelmoraColor& accent, const IColor& modArc, bool showLabel,
                            const IText& labelText, const IText& valueText)
{
  return MakeStyle({true, showLabel, false, true, true, false},
                   IVColorSpec{ToIColor(ColorKnobFrame), ToIColor(accent),
                               plugin::igraphics::DEFAULT_PRCOLOR, ToIColor(ColorHighlight),
                               ToIColor(ColorKnobSurface), modArc, ToIColor(ColorKnobWidget1),
                               ToIColor(ColorKnobWidget2), ToIColor(ColorKnobWidget3)},
                   labelText, valueText);
}

// A value-drag field: one palette for all of them, each its own value text.
constexpr IVStyle DragStyle(const IText& labelText, const IText& valueText)
{
  return MakeStyle({true, true, true, true, true, false},
                   IVColorSpec{ToIColor(ColorSliderBg), plugin::igraphics::COLOR_WHITE,
                               plugin::igraphics::DEFAULT_PRCOLOR, ToIColor(ColorSliderTrackFr),
                               ToIColor(ColorSliderHandle1), ToIColor(ColorSliderTrackBg),
                               ToIColor(ColorPrimary), ToIColor(ColorSliderHandle2),
                               ToIColor(ColorSliderHandle3)},
                   labelText, valueText);
}

} // namespace pelmora::theme

// The theme as static members (see the top of this file): colours, text styles, vector styles.
struct PelmoraTheme
{
  using IColor = plugin::igraphics::IColor;
  using IText = plugin::igraphics::IText;
  using IVStyle = plugin::igraphics::IVStyle;

  // ---- Fonts: the names the text styles use, and the embedded files the layout loads them from.
  struct FontFile
  {
    const char* name;
    const char* file;
  };
  static constexpr FontFile kFonts[] = {
    {pelmora::theme::kFontRegular, "Roboto-Regular.ttf"},
    {pelmora::theme::kFontMono, "RobotoMono-Regular.ttf"},
    {pelmora::theme::kFontCondensed, "RobotoCondensed-Light.ttf"},
    {pelmora::theme::kFontIcons, "forkawesome-webfont.ttf"},
  };

  // ---- Glyphs of the icon font, as UTF-8.
  static constexpr const char* kGlyphCog = "\xEF\x80\x93";        // U+F013
  static constexpr const char* kGlyphFloppy = "\xEF\x83\x87";     // U+F0C7
  static constexpr const char* kGlyphCaretLeft = "\xEF\x83\x99";  // U+F0D9
  static constexpr const char* kGlyphCaretRight = "\xEF\x83\x9A"; // U+F0DA

  // ---- Colours
  static constexpr IColor ColorBackground1 =
    pelmora::theme::ToIColor(pelmora::theme::ColorBackground1);
  static constexpr IColor ColorBackground2 =
    pelmora::theme::ToIColor(pelmora::theme::ColorBackground2);
  static constexpr IColor ColorBackgroundTopBar =
    pelmora::theme::ToIColor(pelmora::theme::ColorBackgroundTopBar);
  static constexpr IColor ColorPrimary = pelmora::theme::ToIColor(pelmora::theme::ColorPrimary);
  static constexpr IColor ColorModArc = pelmora::theme::ToIColor(pelmora::theme::ColorModArc);
  static constexpr IColor ColorHighlight = pelmora::theme::ToIColor(pelmora::theme::ColorHighlight);
  static constexpr IColor ColorFrame = pelmora::theme::ToIColor(pelmora::theme::ColorFrame);
  static constexpr IColor ColorFrameBg = pelmora::theme::ToIColor(pelmora::theme::ColorFrameBg);
  static constexpr IColor ColorPanel = pelmora::theme::ToIColor(pelmora::theme::ColorPanel);
  static constexpr IColor ColorRaster = pelmora::theme::ToIColor(pelmora::theme::ColorRaster);
  static constexpr IColor ColorA = pelmora::theme::ToIColor(pelmora::theme::ColorA);
  static constexpr IColor ColorModArcA = pelmora::theme::ToIColor(pelmora::theme::ColorModArcA);
  static constexpr IColor ColorB = pelmora::theme::ToIColor(pelmora::theme::ColorB);
  static constexpr IColor ColorModArcB = pelmora::theme::ToIColor(pelmora::theme::ColorModArcB);
  static constexpr IColor ColorC = pelmora::theme::ToIColor(pelmora::theme::ColorC);
  static constexpr IColor ColorModArcC = pelmora::theme::ToIColor(pelmora::theme::ColorModArcC);
  static constexpr IColor ColorD = pelmora::theme::ToIColor(pelmora::theme::ColorD);
  static constexpr IColor ColorModArcD = pelmora::theme::ToIColor(pelmora::theme::ColorModArcD);
  static constexpr IColor ColorLabelBackground =
    pelmora::theme::ToIColor(pelmora::theme::ColorLabelBackground);
  static constexpr IColor ColorLabelForeground =
    pelmora::theme::ToIColor(pelmora::theme::ColorLabelForeground);
  static constexpr IColor ColorValueBackground =
    pelmora::theme::ToIColor(pelmora::theme::ColorValueBackground);
  static constexpr IColor ColorValueForeground =
    pelmora::theme::ToIColor(pelmora::theme::ColorValueForeground);
  static constexpr IColor ColorKnobFrame = pelmora::theme::ToIColor(pelmora::theme::ColorKnobFrame);
  static constexpr IColor ColorKnobSurface =
    pelmora::theme::ToIColor(pelmora::theme::ColorKnobSurface);
  static constexpr IColor ColorKnobWidget1 =
    pelmora::theme::ToIColor(pelmora::theme::ColorKnobWidget1);
  static constexpr IColor ColorKnobWidget2 =
    pelmora::theme::ToIColor(pelmora::theme::ColorKnobWidget2);
  static constexpr IColor ColorKnobWidget3 =
    pelmora::theme::ToIColor(pelmora::theme::ColorKnobWidget3);
  static constexpr IColor ColorSliderBg = pelmora::theme::ToIColor(pelmora::theme::ColorSliderBg);
  static constexpr IColor ColorSliderTrackFr =
    pelmora::theme::ToIColor(pelmora::theme::ColorSliderTrackFr);
  static constexpr IColor ColorSliderTrackBg =
    pelmora::theme::ToIColor(pelmora::theme::ColorSliderTrackBg);
  static constexpr IColor ColorSliderHandle1 =
    pelmora::theme::ToIColor(pelmora::theme::ColorSliderHandle1);
  static constexpr IColor ColorSliderHandle2 =
    pelmora::theme::ToIColor(pelmora::theme::ColorSliderHandle2);
  static constexpr IColor ColorSliderHandle3 =
    pelmora::theme::ToIColor(pelmora::theme::ColorSliderHandle3);

  // ---- Text styles
  static constexpr IText TextIcon = pelmora::theme::IconText(18.f);
  static constexpr IText TextIconSmall = pelmora::theme::IconText(14.f);
  static constexpr IText TextPreset = pelmora::theme::LabelText(
    pelmora::theme::kFontCondensed, 20.f, plugin::igraphics::EAlign::kNear);
  static constexpr IText TextFrameLabel = pelmora::theme::LabelText(
    pelmora::theme::kFontCondensed, 20.f, plugin::igraphics::EAlign::kCenter);
  static constexpr IText TextLabel = pelmora::theme::LabelText(pelmora::theme::kFontCondensed, 14.f,
                                                               plugin::igraphics::EAlign::kCenter);
  static constexpr IText TextLabelLeft = pelmora::theme::LabelText(
    pelmora::theme::kFontCondensed, 14.f, plugin::igraphics::EAlign::kNear);
  static constexpr IText TextValue = pelmora::theme::ValueText(pelmora::theme::kFontRegular, 17.f,
                                                               pelmora::theme::ColorValueForeground,
                                                               plugin::igraphics::EAlign::kCenter);
  static constexpr IText TextValueMonoSpacedA = pelmora::theme::ValueText(
    pelmora::theme::kFontMono, 17.f, pelmora::theme::ColorA, plugin::igraphics::EAlign::kFar);
  static constexpr IText TextValueMonoSpacedB = pelmora::theme::ValueText(
    pelmora::theme::kFontMono, 17.f, pelmora::theme::ColorB, plugin::igraphics::EAlign::kFar);
  static constexpr IText TextValueMonoSpacedC = pelmora::theme::ValueText(
    pelmora::theme::kFontMono, 17.f, pelmora::theme::ColorC, plugin::igraphics::EAlign::kFar);
  static constexpr IText TextValueMonoSpacedD = pelmora::theme::ValueText(
    pelmora::theme::kFontMono, 17.f, pelmora::theme::ColorD, plugin::igraphics::EAlign::kFar);
  static constexpr IText TextDropdown = pelmora::theme::LabelText(
    pelmora::theme::kFontCondensed, 15.f, plugin::igraphics::EAlign::kCenter);
  static constexpr IText TextDisplayPreset = pelmora::theme::LabelText(
    pelmora::theme::kFontCondensed, 30.f, plugin::igraphics::EAlign::kNear);
  static constexpr IText TextDisplayPresetCategory = pelmora::theme::LabelText(
    pelmora::theme::kFontCondensed, 16.f, plugin::igraphics::EAlign::kNear);
  static constexpr IText TextDisplayLabel = pelmora::theme::LabelText(
    pelmora::theme::kFontCondensed, 24.f, plugin::igraphics::EAlign::kNear);
  static constexpr IText TextDisplayValue = pelmora::theme::ValueText(
    pelmora::theme::kFontRegular, 30.f, pelmora::theme::ColorValueForeground,
    plugin::igraphics::EAlign::kNear);

  // ---- Vector styles
  static constexpr IVStyle StyleKnobRegular = pelmora::theme::KnobStyle(
    pelmora::theme::ColorPrimary, ColorModArc, true, TextLabel, TextValue);
  static constexpr IVStyle StyleKnobRegularA =
    pelmora::theme::KnobStyle(pelmora::theme::ColorA, ColorModArcA, true, TextLabel, TextValue);
  static constexpr IVStyle StyleKnobRegularB =
    pelmora::theme::KnobStyle(pelmora::theme::ColorB, ColorModArcB, true, TextLabel, TextValue);
  static constexpr IVStyle StyleKnobRegularC =
    pelmora::theme::KnobStyle(pelmora::theme::ColorC, ColorModArcC, true, TextLabel, TextValue);
  static constexpr IVStyle StyleKnobRegularD =
    pelmora::theme::KnobStyle(pelmora::theme::ColorD, ColorModArcD, true, TextLabel, TextValue);
  static constexpr IVStyle StyleKnobSmall = pelmora::theme::KnobStyle(
    pelmora::theme::ColorPrimary, plugin::igraphics::DEFAULT_SHCOLOR, false, TextLabel, TextValue);
  static constexpr IVStyle StyleMouseDrag = pelmora::theme::DragStyle(TextLabel, TextValue);
  static constexpr IVStyle StyleMouseDragFloatA =
    pelmora::theme::DragStyle(TextLabel, TextValueMonoSpacedA);
  static constexpr IVStyle StyleMouseDragFloatB =
    pelmora::theme::DragStyle(TextLabel, TextValueMonoSpacedB);
  static constexpr IVStyle StyleMouseDragFloatC =
    pelmora::theme::DragStyle(TextLabel, TextValueMonoSpacedC);
  static constexpr IVStyle StyleMouseDragFloatD =
    pelmora::theme::DragStyle(TextLabel, TextValueMonoSpacedD);
  // Two colours listed: the other seven slots keep the library's defaults.
  static constexpr IVStyle StyleLabel = pelmora::theme::MakeStyle(
    {true, true, false, false, false, false},
    plugin::igraphics::IVColorSpec{plugin::igraphics::COLOR_BLACK, ColorLabelForeground}, TextLabel,
    TextLabel);
};
