// The library gallery: every control of the control library placed in the test plug-in's
// editor, as kGalleryItems lists them, in a dark theme. Bitmap controls draw strips painted
// here; SVG controls draw images parsed from markup written here. Actions set their item's bit
// in the plug-in's answer mask; the meter shows the level the left output carries (the Gain
// parameter), sent to it from the editor's idle call on the main thread.

#include "framework/graphics/IGraphics.h"
#include "framework/graphics/controls/IBControls.h"
#include "framework/graphics/controls/ISVGControls.h"
#include "framework/graphics/controls/IVButtonControl.h"
#include "framework/graphics/controls/IVKnobControl.h"
#include "framework/graphics/controls/IVSliderControl.h"
#include "framework/graphics/controls/IVTabSwitchControl.h"
#include "framework/graphics/controls/IVXYPadControl.h"
#include "tests/framework/graphics/StripPainter.h"
#include "tests/framework/plugin/vst2/testplug/TestPlug.h"

#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

using namespace plugin;
using namespace plugin::igraphics;

namespace
{

const IColor kAccent(255, 255, 150, 50);
const IColor kLight(255, 226, 229, 235);

IVStyle GalleryStyle()
{
  IVStyle style = DEFAULT_STYLE;
  style.drawFrame = false;
  style.roundness = 0.3f;
  style.shadowOffset = 2.f;
  style.showLabel = false;
  style.colorSpec = IVColorSpec{COLOR_TRANSPARENT,
                                IColor(255, 62, 66, 75),
                                IColor(255, 96, 102, 116),
                                kLight,
                                IColor(40, 255, 255, 255),
                                IColor(110, 0, 0, 0),
                                kAccent,
                                IColor(255, 150, 156, 168)};
  style.labelText = IText(13.f, kLight, "Roboto-Regular", EAlign::kCenter, EVAlign::kTop);
  style.valueText = IText(13.f, kLight, "Roboto-Regular", EAlign::kCenter, EVAlign::kMiddle);
  return style;
}

int ItemBit(std::string_view name)
{
  for (size_t i = 0; i < std::size(kGalleryItems); ++i)
    if (name == kGalleryItems[i].name)
      return static_cast<int>(i);
  return 63;
}

ISVG MarkupSVG(IGraphics& g, const char* name, const std::string& body, int w, int h)
{
  const std::string text = "<svg xmlns='http://www.w3.org/2000/svg' width='" + std::to_string(w) +
                           "' height='" + std::to_string(h) + "'>" + body + "</svg>";
  return g.LoadSVG(name, static_cast<const void*>(text.data()), static_cast<int>(text.size()));
}

std::string WaveIcon(const char* path)
{
  return std::string("<rect x='1' y='1' width='38' height='28' rx='5' fill='#2a2d33' "
                     "stroke='#121316'/><path d='") +
         path + "' fill='none' stroke='#ff9632' stroke-width='2' stroke-linejoin='round'/>";
}

void SVGRow(IGraphics& g, const std::function<IActionFunction(const char*)>& answer)
{
  const ISVG knob = MarkupSVG(g, "gallery-knob.svg",
                              "<circle cx='40' cy='40' r='36' fill='#2b2e34' stroke='#0e0f11' "
                              "stroke-width='2'/><circle cx='40' cy='40' r='28' fill='#434852'/>"
                              "<rect x='38' y='8' width='4' height='22' rx='2' fill='#ff9632'/>",
                              80, 80);
  const ISVG track =
    MarkupSVG(g, "gallery-track.svg",
              "<rect x='10' y='0' width='4' height='100' rx='2' fill='#0e0f11'/>", 24, 100);
  const ISVG handle = MarkupSVG(g, "gallery-handle.svg",
                                "<rect x='0.5' y='0.5' width='23' height='11' rx='3' "
                                "fill='#5a606b' stroke='#0e0f11'/><rect x='4' y='5.5' "
                                "width='16' height='1' fill='#ff9632'/>",
                                24, 12);
  const ISVG sine =
    MarkupSVG(g, "gallery-sine.svg", WaveIcon("M6 15 C12 3 16 3 20 15 C24 27 28 27 34 15"), 40, 30);
  const ISVG saw = MarkupSVG(g, "gallery-saw.svg", WaveIcon("M6 22 L20 8 L20 22 L34 8"), 40, 30);
  const ISVG square =
    MarkupSVG(g, "gallery-square.svg", WaveIcon("M6 22 L6 8 L20 8 L20 22 L34 22 L34 8"), 40, 30);
  const ISVG noise =
    MarkupSVG(g, "gallery-noise.svg",
              WaveIcon("M6 15 L9 8 L12 20 L15 10 L19 23 L23 7 L27 18 L31 11 L34 15"), 40, 30);
  const ISVG power = MarkupSVG(g, "gallery-power.svg",
                               "<path d='M10 8.5 A9 9 0 1 0 20 8.5' fill='none' stroke='#fff' "
                               "stroke-width='2.5' stroke-linecap='round'/><path d='M15 4 L15 "
                               "14' stroke='#fff' stroke-width='2.5' stroke-linecap='round'/>",
                               30, 30);
  const ISVG buttonOff = MarkupSVG(g, "gallery-button-off.svg",
                                   "<rect x='1' y='1' width='46' height='28' rx='6' "
                                   "fill='#3a3e46' stroke='#121316'/><circle cx='24' cy='15' "
                                   "r='5' fill='#6b7280'/>",
                                   48, 30);
  const ISVG buttonOn = MarkupSVG(g, "gallery-button-on.svg",
                                  "<rect x='1' y='1' width='46' height='28' rx='6' "
                                  "fill='#4a505b' stroke='#121316'/><circle cx='24' cy='15' "
                                  "r='5' fill='#ff9632'/>",
                                  48, 30);

  g.AttachControl(new ISVGKnobControl(IRECT(110, 54, 190, 134), knob, 9));
  g.AttachControl(new ISVGSliderControl(IRECT(204, 44, 228, 144), handle, track, 10));
  g.AttachControl(new ISVGSwitchControl(IRECT(242, 74, 282, 104), {sine, saw, square, noise}, 2));
  const ISVGColors colors = {IColor(255, 110, 116, 128), kAccent, IColor(255, 170, 176, 188),
                             IColor(255, 255, 190, 120)};
  g.AttachControl(
    new ISVGToggleControl(IRECT(296, 74, 326, 104), 1, power, colors, EColorReplacement::kStroke));
  g.AttachControl(new ISVGButtonControl(IRECT(340, 74, 388, 104), answer("ISVGButtonControl"),
                                        buttonOff, buttonOn));
}

void VectorRows(IGraphics& g, const IVStyle& style,
                const std::function<IActionFunction(const char*)>& answer)
{
  IVStyle knob = style;
  knob.valueText.mVAlign = EVAlign::kBottom;
  g.AttachControl(new IVKnobControl(IRECT(16, 44, 96, 144), 8, "", knob, true));
  IVStyle label = style;
  label.drawFrame = true;
  label.shadowOffset = 1.5f;
  label.colorSpec.mColors[kFR] = IColor(255, 70, 75, 86);
  g.AttachControl(new IVLabelControl(IRECT(402, 74, 560, 104), "Library gallery", label));

  IVStyle button = style;
  button.showLabel = true; // the label sits in the button
  g.AttachControl(
    new IVButtonControl(IRECT(16, 160, 106, 196), answer("IVButtonControl"), "Play", button));
  g.AttachControl(new IVSwitchControl(IRECT(120, 160, 210, 196), 6, "", style, true));
  g.AttachControl(
    new IVToggleControl(IRECT(224, 160, 294, 196), answer("IVToggleControl"), "", style));
  IVStyle slide = style;
  slide.roundness = 1.f;
  g.AttachControl(new IVSlideSwitchControl(IRECT(308, 160, 398, 196), 7, "", slide, true));
  IVStyle tabs = style;
  tabs.drawShadows = false;
  tabs.drawFrame = true;
  tabs.colorSpec.mColors[kFR] = IColor(255, 30, 32, 37);
  tabs.roundness = 0.6f;
  g.AttachControl(
    new IVTabSwitchControl(IRECT(412, 160, 652, 192), 2, {}, "", tabs, EVShape::kTopRounded));
  IVStyle radio = style;
  radio.colorSpec.mColors[kPR] = IColor(255, 255, 190, 120);
  radio.colorSpec.mColors[kX1] = IColor(255, 150, 156, 168);
  g.AttachControl(new IVRadioButtonControl(IRECT(666, 150, 786, 210),
                                           answer("IVRadioButtonControl"),
                                           {"Poly", "Mono", "Legato"}, "", radio));
  g.AttachControl(new IVMenuButtonControl(IRECT(800, 160, 940, 196), 2, "", style));

  IVStyle bare = style;
  bare.showValue = false;
  bare.roundness = 1.f;
  g.AttachControl(new IVSliderControl(IRECT(16, 226, 56, 346), 12, "", bare));
  IVStyle flat = bare;
  flat.drawShadows = false;
  g.AttachControl(new IVRangeSliderControl(IRECT(70, 236, 270, 276), {13, 14}, "", flat,
                                           EDirection::kHorizontal, false, 8.f, 2.f));
  IVStyle pad = bare;
  pad.drawFrame = true;
  pad.colorSpec.mColors[kBG] = IColor(255, 30, 32, 37);
  pad.colorSpec.mColors[kFG] = kAccent;
  pad.colorSpec.mColors[kFR] = IColor(255, 70, 75, 86);
  pad.colorSpec.mColors[kSH] = IColor(255, 54, 58, 66);
  g.AttachControl(new IVXYPadControl(IRECT(284, 226, 404, 346), {15, 16}, "", pad, 8.f));
  g.AttachControl(new IVPlotControl(IRECT(418, 226, 618, 346),
                                    {{kAccent,
                                      [](double x)
                                      {
                                        return std::sin(x * 2.0 * 3.14159265);
                                      }},
                                     {IColor(255, 120, 180, 255),
                                      [](double x)
                                      {
                                        return 2.0 * std::fmod(x * 2.0, 1.0) - 1.0;
                                      }}},
                                    96, "", pad, -1.2f, 1.2f, true));
  g.AttachControl(new IVKnobControl(IRECT(650, 250, 710, 330), 21, "", bare), -1, "gallery-flt");
  g.AttachControl(new IVKnobControl(IRECT(720, 250, 780, 330), 22, "", bare), -1, "gallery-flt");
  IVStyle group = style;
  group.showLabel = true;
  group.drawShadows = false;
  group.roundness = 0.15f;
  group.colorSpec.mColors[kFR] = IColor(255, 90, 96, 108);
  group.labelText.mSize = 12.f;
  g.AttachControl(new IVGroupControl("Filter", "gallery-flt", 10.f, 20.f, 10.f, 8.f, group));
  IVStyle swatch = bare;
  swatch.drawShadows = false;
  swatch.valueText.mSize = 11.f;
  g.AttachControl(new IVColorSwatchControl(IRECT(800, 226, 990, 346), "", nullptr, swatch,
                                           IVColorSwatchControl::ECellLayout::kGrid,
                                           {kBG, kFG, kPR, kFR, kHL, kSH, kX1, kX2, kX3},
                                           {"BG", "FG", "PR", "FR", "HL", "SH", "X1", "X2", "X3"}));
}

void BitmapRow(IGraphics& g, const std::function<IActionFunction(const char*)>& answer)
{
  using namespace plugin::igraphics::test;
  const int scale = static_cast<int>(std::ceil(g.GetScreenScale()));
  g.AttachControl(
    new IBButtonControl(16, 380, ButtonStrip().Load(g, scale), answer("IBButtonControl")));
  g.AttachControl(new IBSwitchControl(96, 372, LeverStrip().Load(g, scale), 17));
  g.AttachControl(new IBKnobControl(140, 370, KnobStrip().Load(g, scale), 18));
  g.AttachControl(new IBKnobRotaterControl(200, 370, RotaterImage().Load(g, scale), 19));
  g.AttachControl(new IBSliderControl(262, 360, 120, SliderHandle().Load(g, scale),
                                      SliderTrack().Load(g, scale), 20));
  const IText lcd(12.f, kAccent, "Roboto-Regular", EAlign::kNear);
  g.AttachControl(
    new IBTextControl(IRECT(300, 380, 420, 404), SegmentFont().Load(g, scale), lcd, "-12.5 DB"));
  g.AttachControl(new IBMeterControl(440, 360, MeterStrip().Load(g, scale)), kGalleryMeterTag);
}

} // namespace

void TestPlug::LayoutGallery(IGraphics* pGraphics)
{
  IGraphics& g = *pGraphics;
  // The range slider's two handles start apart, at 25 and 75 %.
  GetParam(13)->Set(25.0);
  GetParam(14)->Set(75.0);
  g.AttachPanelBackground(IPattern::CreateLinearGradient(
    0, 0, 0, g.Height(), {{IColor(255, 38, 41, 47), 0.f}, {IColor(255, 24, 26, 30), 1.f}}));
  // Each action sets its item's bit, then plays the control's usual click feedback.
  auto answer = [this](const char* name) -> IActionFunction
  {
    const uint64_t bit = uint64_t(1) << ItemBit(name);
    return [this, bit](IControl* pCaller)
    {
      mGalleryActions |= bit;
      if (dynamic_cast<IVectorBase*>(pCaller))
        SplashClickActionFunc(pCaller);
      else
        DefaultClickActionFunc(pCaller);
    };
  };
  const IVStyle style = GalleryStyle();
  VectorRows(g, style, answer);
  SVGRow(g, answer);
  BitmapRow(g, answer);
}

void TestPlug::FeedGalleryMeter()
{
  // [main thread] The left output carries the Gain parameter's value as a constant level.
  uint8_t msg[IBMeterControl::kMsgSize] = {};
  const int32_t channels = 1;
  const auto level = static_cast<float>(GetParam(kParamGain)->Value());
  std::memcpy(msg + IBMeterControl::kChannelCountOffset, &channels, sizeof(channels));
  std::memcpy(msg + IBMeterControl::kLevelOffset, &level, sizeof(level));
  SendControlMsgFromDelegate(kGalleryMeterTag, 0, sizeof(msg), msg);
}
