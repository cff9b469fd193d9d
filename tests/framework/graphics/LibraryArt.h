#pragma once
// The look shared by the control library's contact sheets and the test plug-in's gallery: a dark
// vector style with an orange accent, small SVG images written here as markup, and a plot of two
// curves.

#include "framework/graphics/IGraphics.h"
#include "framework/graphics/controls/ISVGControls.h"
#include "framework/graphics/controls/IVXYPadControl.h"

#include <cmath>
#include <string>
#include <vector>

namespace plugin::igraphics::test
{

inline constexpr IColor kArtAccent(255, 255, 150, 50);
inline constexpr IColor kArtText(255, 226, 229, 235);

// Flat dark shapes without frames, a lighter pressed fill, the accent for arcs and handles.
inline IVStyle DarkStyle()
{
  IVStyle style = DEFAULT_STYLE;
  style.drawFrame = false;
  style.roundness = 0.3f;
  style.shadowOffset = 2.f;
  style.colorSpec =
    IVColorSpec{COLOR_TRANSPARENT, IColor(255, 62, 66, 75),   IColor(255, 96, 102, 116),
                kArtText,          IColor(40, 255, 255, 255), IColor(110, 0, 0, 0),
                kArtAccent,        IColor(255, 150, 156, 168)};
  style.labelText = IText(13.f, kArtText, "Roboto-Regular", EAlign::kCenter, EVAlign::kTop);
  style.valueText = IText(13.f, kArtText, "Roboto-Regular", EAlign::kCenter, EVAlign::kMiddle);
  return style;
}

inline ISVG MarkupSVG(IGraphics& g, const char* name, const std::string& body, int w, int h)
{
  const std::string text = "<svg xmlns='http://www.w3.org/2000/svg' width='" + std::to_string(w) +
                           "' height='" + std::to_string(h) + "'>" + body + "</svg>";
  return g.LoadSVG(name, static_cast<const void*>(text.data()), static_cast<int>(text.size()));
}

// The images, loaded into a context: two button faces (48 x 28), a power glyph (28 x 28), a knob
// cap (48 x 48) with its pointer up, slider tracks (10 x 100) and handles (24 x 12) both ways, and
// sine, saw, square and noise icons (34 x 26); and the colours a toggle recolours its image with.
struct LibrarySVGs
{
  explicit LibrarySVGs(IGraphics& g)
  {
    auto button = [&g](const char* name, const char* face, const char* lamp)
    {
      return MarkupSVG(g, name,
                       std::string("<rect x='1' y='1' width='46' height='26' rx='6' fill='") +
                         face + "' stroke='#121316'/><circle cx='24' cy='14' r='5' fill='" + lamp +
                         "'/>",
                       48, 28);
    };
    buttonOff = button("art-button-off.svg", "#3a3e46", "#6b7280");
    buttonOn = button("art-button-on.svg", "#4a505b", "#ff9632");
    power = MarkupSVG(g, "art-power.svg",
                      "<path d='M9.5 7.5 A8 8 0 1 0 18.5 7.5 M14 4 L14 13' fill='none' "
                      "stroke='#fff' stroke-width='2.5' stroke-linecap='round'/>",
                      28, 28);
    knob = MarkupSVG(g, "art-knob.svg",
                     "<circle cx='24' cy='24' r='22' fill='#2b2e34' stroke='#0e0f11'/><circle "
                     "cx='24' cy='24' r='17' fill='#434852'/><rect x='22.5' y='5' width='3' "
                     "height='13' fill='#ff9632'/>",
                     48, 48);
    track =
      MarkupSVG(g, "art-track.svg", "<rect x='3' width='4' height='100' fill='#0e0f11'/>", 10, 100);
    hTrack = MarkupSVG(g, "art-htrack.svg", "<rect y='3' width='100' height='4' fill='#0e0f11'/>",
                       100, 10);
    handle = MarkupSVG(g, "art-handle.svg",
                       "<rect width='24' height='12' rx='3' fill='#5a606b'/><rect x='4' y='5.5' "
                       "width='16' height='1' fill='#ff9632'/>",
                       24, 12);
    hHandle = MarkupSVG(g, "art-hhandle.svg",
                        "<rect width='12' height='24' rx='3' fill='#5a606b'/><rect x='5.5' y='4' "
                        "width='1' height='16' fill='#ff9632'/>",
                        12, 24);
    const char* paths[] = {"M6 13 C10 3 13 3 17 13 C21 23 24 23 28 13", "M6 19 L17 7 L17 19 L28 7",
                           "M6 19 L6 7 L17 7 L17 19 L28 19 L28 7",
                           "M6 13 L9 7 L12 19 L15 9 L19 21 L23 6 L28 13"};
    const char* names[] = {"art-sine.svg", "art-saw.svg", "art-square.svg", "art-noise.svg"};
    for (int i = 0; i < 4; ++i)
      waves.push_back(MarkupSVG(g, names[i],
                                std::string("<rect x='1' y='1' width='32' height='24' rx='5' "
                                            "fill='#2a2d33'/><path d='") +
                                  paths[i] + "' fill='none' stroke='#ff9632' stroke-width='2'/>",
                                34, 26));
  }

  ISVG buttonOff, buttonOn, power, knob, track, hTrack, handle, hHandle;
  std::vector<ISVG> waves; // sine, saw, square, noise
  ISVGColors toggleColors = {IColor(255, 110, 116, 128), kArtAccent, IColor(255, 170, 176, 188),
                             IColor(255, 255, 190, 120)};
};

// A plot of a sine in the accent and a rising saw in blue, from -1.2 to 1.2, on a layer.
inline IVPlotControl* MakeLfoPlot(const IRECT& bounds, const char* label, const IVStyle& style)
{
  return new IVPlotControl(bounds,
                           {{kArtAccent,
                             [](double x)
                             {
                               return std::sin(x * 2.0 * 3.14159265);
                             }},
                            {IColor(255, 120, 180, 255),
                             [](double x)
                             {
                               return 2.0 * std::fmod(x * 2.0, 1.0) - 1.0;
                             }}},
                           96, label, style, -1.2f, 1.2f, true);
}

} // namespace plugin::igraphics::test
