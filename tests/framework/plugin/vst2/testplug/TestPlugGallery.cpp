// The library gallery: every control of the control library placed in the test plug-in's
// editor, as kGalleryItems lists them, in the dark theme of the library's contact sheets, with
// their SVG images and painted strips. Actions set their item's bit
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
#include "tests/framework/graphics/LibraryArt.h"
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

using namespace plugin::igraphics::test;

int ItemBit(std::string_view name)
{
  for (size_t i = 0; i < std::size(kGalleryItems); ++i)
    if (name == kGalleryItems[i].name)
      return static_cast<int>(i);
  return 63;
}

void SVGRow(IGraphics& g, const std::function<IActionFunction(const char*)>& answer)
{
  const LibrarySVGs art(g);
  g.AttachControl(new ISVGKnobControl(IRECT(110, 54, 190, 134), art.knob, 9));
  g.AttachControl(new ISVGSliderControl(IRECT(204, 44, 228, 144), art.handle, art.track, 10));
  g.AttachControl(new ISVGSwitchControl(
    IRECT(242, 74, 282, 104), {art.waves[0], art.waves[1], art.waves[2], art.waves[3]}, 2));
  g.AttachControl(new ISVGToggleControl(IRECT(296, 74, 326, 104), 1, art.power, art.toggleColors,
                                        EColorReplacement::kStroke));
  g.AttachControl(new ISVGButtonControl(IRECT(340, 74, 388, 104), answer("ISVGButtonControl"),
                                        art.buttonOff, art.buttonOn));
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
  pad.colorSpec.mColors[kFG] = kArtAccent;
  pad.colorSpec.mColors[kFR] = IColor(255, 70, 75, 86);
  pad.colorSpec.mColors[kSH] = IColor(255, 54, 58, 66);
  g.AttachControl(new IVXYPadControl(IRECT(284, 226, 404, 346), {15, 16}, "", pad, 8.f));
  g.AttachControl(MakeLfoPlot(IRECT(418, 226, 618, 346), "", pad));
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
  const PaintedStrips strips(g, static_cast<int>(std::ceil(g.GetScreenScale())));
  g.AttachControl(new IBButtonControl(16, 380, strips.button, answer("IBButtonControl")));
  g.AttachControl(new IBSwitchControl(96, 372, strips.lever, 17));
  g.AttachControl(new IBKnobControl(140, 370, strips.knob, 18));
  g.AttachControl(new IBKnobRotaterControl(200, 370, strips.rotater, 19));
  g.AttachControl(new IBSliderControl(262, 360, 120, strips.handle, strips.track, 20));
  const IText lcd(12.f, kArtAccent, "Roboto-Regular", EAlign::kNear);
  g.AttachControl(new IBTextControl(IRECT(300, 380, 420, 404), strips.font, lcd, "-12.5 DB"));
  g.AttachControl(new IBMeterControl(440, 360, strips.meter), kGalleryMeterTag);
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
  IVStyle style = DarkStyle();
  style.showLabel = false;
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
