#pragma once
// The library gallery's layout, 1011 x 601 points: one of every control of the control library
// where kGalleryItems says a test clicks it (bound to the parameters it names, actions given by
// the caller), and in the room left the same controls in their other states, pressed, on,
// hovered, disabled and at other values, which nothing clicks. The test plug-in shows it in its
// editor; the library's contact sheet renders it.

#include "framework/graphics/controls/IBControls.h"
#include "framework/graphics/controls/IPanelControl.h"
#include "framework/graphics/controls/ISVGControls.h"
#include "framework/graphics/controls/IVButtonControl.h"
#include "framework/graphics/controls/IVKnobControl.h"
#include "framework/graphics/controls/IVSliderControl.h"
#include "framework/graphics/controls/IVTabSwitchControl.h"
#include "framework/graphics/controls/IVXYPadControl.h"
#include "tests/framework/graphics/LibraryArt.h"
#include "tests/framework/graphics/StripPainter.h"
#include "tests/framework/plugin/vst2/testplug/TestPlugGallery.h"

#include <cmath>
#include <functional>

namespace plugin::igraphics::test
{

// Tracks drawn with their background, label and tracks: the track base made concrete.
class GalleryTracks : public IVTrackControlBase
{
public:
  using IVTrackControlBase::IVTrackControlBase;
  void Draw(IGraphics& g) override
  {
    DrawBackground(g, mRECT);
    DrawLabel(g);
    DrawWidget(g);
  }
};

// answer(name) is the action of the kGalleryItems entry of that name.
inline void LayoutGallery(IGraphics& g, const std::function<IActionFunction(const char*)>& answer)
{
  g.AttachPanelBackground(IPattern::CreateLinearGradient(
    0, 0, 0, g.Height(), {{IColor(255, 38, 41, 47), 0.f}, {IColor(255, 24, 26, 30), 1.f}}));
  IVStyle style = DarkStyle();
  style.showLabel = false;

  // Knob with its value typed in, SVG controls, a label; buttons and switches pressed and on,
  // vertical tabs, a disabled tab.
  IVStyle knob = style;
  knob.valueText.mVAlign = EVAlign::kBottom;
  g.AttachControl(new IVKnobControl(IRECT(16, 44, 96, 144), 8, "", knob, true));
  const LibrarySVGs art(g);
  g.AttachControl(new ISVGKnobControl(IRECT(110, 54, 190, 134), art.knob, 9));
  g.AttachControl(new ISVGSliderControl(IRECT(204, 44, 228, 144), art.handle, art.track, 10));
  g.AttachControl(new ISVGSwitchControl(
    IRECT(242, 74, 282, 104), {art.waves[0], art.waves[1], art.waves[2], art.waves[3]}, 2));
  g.AttachControl(new ISVGToggleControl(IRECT(296, 74, 326, 104), 1, art.power, art.toggleColors,
                                        EColorReplacement::kStroke));
  g.AttachControl(new ISVGButtonControl(IRECT(340, 74, 388, 104), answer("ISVGButtonControl"),
                                        art.buttonOff, art.buttonOn));
  IVStyle label = style;
  label.drawFrame = true;
  label.shadowOffset = 1.5f;
  label.colorSpec.mColors[kFR] = IColor(255, 70, 75, 86);
  g.AttachControl(new IVLabelControl(IRECT(402, 74, 560, 104), "Library gallery", label));
  IVStyle button = style;
  button.showLabel = true; // the label sits in the button
  g.AttachControl(new IVButtonControl(IRECT(576, 54, 666, 90), nullptr, "Held", button))
    ->SetValue(1.0);
  IVStyle round = style;
  round.roundness = 1.f;
  g.AttachControl(new IVButtonControl(IRECT(678, 54, 716, 90), nullptr, "", round, true, true,
                                      EVShape::kEllipse));
  g.AttachControl(
    new IVToggleControl(IRECT(728, 54, 798, 90), nullptr, "", style, "OFF", "ON", true));
  g.AttachControl(new IVSlideSwitchControl(IRECT(810, 54, 890, 90), nullptr, "", round, true,
                                           EDirection::kHorizontal, 3, 1));
  IVStyle tabs = style;
  tabs.drawShadows = false;
  tabs.drawFrame = true;
  tabs.colorSpec.mColors[kFR] = IColor(255, 30, 32, 37);
  tabs.roundness = 0.6f;
  g.AttachControl(new IVTabSwitchControl(IRECT(904, 44, 974, 134), nullptr, {"LP", "BP", "HP"}, "",
                                         tabs, EVShape::kAllRounded, EDirection::kVertical))
    ->SetValue(1.0);
  auto* pDisabledTab = new IVTabSwitchControl(IRECT(576, 104, 706, 136), nullptr, {"1", "2", "3"},
                                              "", tabs, EVShape::kAllRounded);
  g.AttachControl(pDisabledTab);
  pDisabledTab->SetStateDisabled(2, true);

  // Buttons, switches, tabs (the last hovered), radio buttons, a menu button.
  g.AttachControl(
    new IVButtonControl(IRECT(16, 160, 106, 196), answer("IVButtonControl"), "Play", button));
  g.AttachControl(new IVSwitchControl(IRECT(120, 160, 210, 196), 6, "", style, true));
  g.AttachControl(
    new IVToggleControl(IRECT(224, 160, 294, 196), answer("IVToggleControl"), "", style));
  g.AttachControl(new IVSlideSwitchControl(IRECT(308, 160, 398, 196), 7, "", round, true));
  g.AttachControl(
     new IVTabSwitchControl(IRECT(412, 160, 652, 192), 2, {}, "", tabs, EVShape::kTopRounded),
     kGalleryTabsTag)
    ->OnMouseOver(630, 176, IMouseMod());
  IVStyle radio = style;
  radio.colorSpec.mColors[kPR] = IColor(255, 255, 190, 120);
  radio.colorSpec.mColors[kX1] = IColor(255, 150, 156, 168);
  g.AttachControl(new IVRadioButtonControl(IRECT(666, 150, 786, 210),
                                           answer("IVRadioButtonControl"),
                                           {"Poly", "Mono", "Legato"}, "", radio));
  g.AttachControl(new IVMenuButtonControl(IRECT(800, 160, 940, 196), 2, "", style));

  // Sliders (one disabled, two across), a range slider, a pad, a plot, a group of knobs and a
  // hovered swatch.
  IVStyle bare = style;
  bare.showValue = false;
  bare.roundness = 1.f;
  g.AttachControl(new IVSliderControl(IRECT(16, 226, 56, 346), 12, "", bare));
  IVStyle flat = bare;
  flat.drawShadows = false;
  g.AttachControl(new IVRangeSliderControl(IRECT(70, 236, 270, 276), {13, 14}, "", flat,
                                           EDirection::kHorizontal, false, 8.f, 2.f));
  g.AttachControl(new IVSliderControl(IRECT(70, 284, 270, 312), nullptr, "", flat, false,
                                      EDirection::kHorizontal, DEFAULT_GEARING, 9.f, 3.f))
    ->SetValue(0.35);
  g.AttachControl(new IVSliderControl(IRECT(70, 316, 270, 344), nullptr, "", flat, false,
                                      EDirection::kHorizontal, DEFAULT_GEARING, 9.f, 3.f, true))
    ->SetValue(0.8);
  IVStyle pad = bare;
  pad.drawFrame = true;
  pad.colorSpec.mColors[kBG] = IColor(255, 30, 32, 37);
  pad.colorSpec.mColors[kFG] = kArtAccent;
  pad.colorSpec.mColors[kFR] = IColor(255, 70, 75, 86);
  pad.colorSpec.mColors[kSH] = IColor(255, 54, 58, 66);
  g.AttachControl(new IVXYPadControl(IRECT(284, 226, 404, 346), {15, 16}, "", pad, 8.f),
                  kGalleryPadTag);
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
                                           {"BG", "FG", "PR", "FR", "HL", "SH", "X1", "X2", "X3"}))
    ->OnMouseOver(850, 250, IMouseMod());

  // Bitmap controls; beside them a button on, levers at 0, 0.5 and 1, a knob at 0.3, a second
  // meter and text, a disabled slider with its value.
  const PaintedStrips strips(g, static_cast<int>(std::ceil(g.GetScreenScale())));
  g.AttachControl(new IBButtonControl(16, 380, strips.button, answer("IBButtonControl")));
  g.AttachControl(new IBSwitchControl(96, 372, strips.lever, 17));
  g.AttachControl(new IBKnobControl(140, 370, strips.knob, 18), kGalleryKnobTag);
  g.AttachControl(new IBKnobRotaterControl(200, 370, strips.rotater, 19));
  g.AttachControl(new IBSliderControl(262, 360, 120, strips.handle, strips.track, 20));
  const IText lcd(12.f, kArtAccent, "Roboto-Regular", EAlign::kNear);
  g.AttachControl(new IBTextControl(IRECT(300, 380, 420, 404), strips.font, lcd, "-12.5 DB"));
  g.AttachControl(new IBMeterControl(440, 360, strips.meter), kGalleryMeterTag);
  g.AttachControl(new IBMeterControl(462, 360, strips.meter), kGalleryLowMeterTag);
  g.AttachControl(new IBButtonControl(490, 380, strips.button, nullptr))->SetValue(1.0);
  for (int i = 0; i < 3; ++i)
    g.AttachControl(new IBSwitchControl(570.f + 32.f * i, 372, strips.lever))->SetValue(0.5 * i);
  g.AttachControl(new IBKnobControl(680, 370, strips.knob), kGalleryLowKnobTag)->SetValue(0.3);
  g.AttachControl(new IBTextControl(IRECT(300, 410, 420, 434), strips.font, lcd, "120.00"));
  IVStyle slider = style;
  slider.valueText.mVAlign = EVAlign::kBottom;
  slider.roundness = 1.f;
  g.AttachControl(new IVSliderControl(IRECT(760, 360, 820, 480), 23, "", slider))
    ->SetDisabled(true);

  // Track controls: steps, then levels around 0.5.
  IVStyle tracks = style;
  tracks.showLabel = true;
  tracks.showValue = false;
  tracks.drawFrame = true;
  tracks.colorSpec.mColors[kBG] = IColor(255, 30, 32, 37);
  tracks.colorSpec.mColors[kFG] = IColor(255, 200, 120, 40);
  tracks.colorSpec.mColors[kFR] = IColor(255, 54, 58, 66);
  auto* pSteps = new GalleryTracks(IRECT(16, 490, 206, 592), "Steps", tracks,
                                   {-1, -1, -1, -1, -1, -1}, 8, EDirection::kVertical);
  g.AttachControl(pSteps);
  pSteps->SetTrackGap(3.f);
  pSteps->SetSelectedTrack(2);
  const double steps[] = {0.0, 0.375, 1.0, 0.625, 0.25, 0.875};
  for (int i = 0; i < 6; ++i)
    pSteps->SetValue(steps[i], i);
  auto* pLevels =
    new GalleryTracks(IRECT(220, 490, 414, 592), "Around 0.5", tracks, {-1, -1, -1, -1}, 0,
                      EDirection::kHorizontal, {" L", " R", " M", " S"});
  g.AttachControl(pLevels);
  pLevels->SetText(IText(11.f, kArtText, "Roboto-Regular", EAlign::kNear, EVAlign::kMiddle));
  pLevels->SetBaseLevel(0.5);
  pLevels->SetTrackGap(3.f);
  pLevels->SetPeakLength(3.f);
  const double levels[] = {0.85, 0.2, 0.62, 0.4};
  for (int i = 0; i < 4; ++i)
    pLevels->SetValue(levels[i], i);
}

} // namespace plugin::igraphics::test
