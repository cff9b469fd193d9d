// The control library at screen scales 1 and 2 in one contact sheet (library-contact-sheet.png in
// the test's build folder), two frames a scale: the test plug-in's library gallery, one of every
// control where the window test clicks it and beside them the same controls in their other
// states (the parameters it binds are given values here); and knobs, labels and SVG controls in
// more states. A few pixels guard what the sheet shows.

#include "framework/graphics/controls/IPanelControl.h"
#include "tests/framework/graphics/platforms/linux/ContactSheet.h"
#include "tests/framework/plugin/vst2/testplug/GalleryLayout.h"

#include <cstring>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

void LayoutLibraryGallery(IGraphics& g, TestDelegate& delegate)
{
  auto param = [&delegate](int i)
  {
    return delegate.GetParam(i);
  };
  param(2)->InitEnum("Wave", 1, {"Sine", "Saw", "Square", "Noise"});
  param(6)->InitEnum("Mode", 1, {"Poly", "Mono", "Legato"});
  param(7)->InitEnum("Sync", 2, {"Off", "Key", "Free"});
  param(8)->InitDouble("Cutoff", 440.0, 20.0, 2000.0, 1.0, "Hz");
  param(12)->InitDouble("Level", 70.0, 0.0, 100.0, 1.0, "%");
  param(23)->InitDouble("Drive", 30.0, 0.0, 100.0, 1.0, "%");
  const double values[][2] = {{9, 0.7},  {10, 0.4},  {13, 0.3}, {14, 0.7}, {15, 0.7}, {16, 0.65},
                              {18, 1.0}, {19, 0.65}, {20, 0.7}, {21, 0.6}, {22, 0.3}};
  for (const auto& [idx, value] : values)
    param(int(idx))->InitDouble("", value, 0.0, 1.0, 0.01);
  test::LayoutGallery(g, [](const char*) { return SplashClickActionFunc; });

  // What opening the editor in a host does: every control shows its parameters' values; the
  // meters show -6 and -26 dB.
  g.ForStandardControlsFunc(
    [](IControl& control)
    {
      for (int v = 0; v < control.NVals(); ++v)
        if (const IParam* pParam = control.GetParam(v))
          control.SetValueFromDelegate(pParam->GetNormalized(), v);
    });
  for (const auto& [tag, level] : {std::pair{kGalleryMeterTag, 0.5f}, {kGalleryLowMeterTag, 0.05f}})
  {
    uint8_t msg[IBMeterControl::kMsgSize] = {};
    const int32_t channels = 1;
    std::memcpy(msg + IBMeterControl::kChannelCountOffset, &channels, 4);
    std::memcpy(msg + IBMeterControl::kLevelOffset, &level, 4);
    g.GetControlWithTag(tag)->OnMsgFromDelegate(0, sizeof(msg), msg);
  }
}

const IColor kCaption(255, 120, 126, 138);

void Caption(IGraphics& g, float x, float y, const char* text, const IColor& color = kCaption)
{
  g.AttachControl(new ITextControl(IRECT(x, y, x + 400, y + 16), text,
                                   IText(12.f, color, "Roboto-Regular", EAlign::kNear)));
}

// Controls whose pixels the test checks.
struct Sheet
{
  IVKnobControl* pKnobAtOne = nullptr;
  IControl* pSawSwitch = nullptr;
  IControl* pToggleOn = nullptr;
  ISVGSliderControl* pHighSlider = nullptr;
};

// Knobs at several values, with and without label and value, hovered and disabled, in the dark
// theme and in the default style; labels; SVG buttons, toggles, knobs, switches and sliders.
void LayoutControls(IGraphics& g, TestDelegate& delegate, Sheet& sheet)
{
  const char* names[] = {"Cutoff", "Reso", "Drive", "Mix", "Level"};
  for (int i = 0; i < 5; ++i)
  {
    delegate.GetParam(i)->InitDouble(names[i], 25.0 * i, 0.0, 100.0, 0.1, "%");
    delegate.GetParam(i)->SetDisplayPrecision(0);
  }
  delegate.GetParam(5)->InitDouble("Pan", 20.0, -50.0, 50.0, 1.0);
  delegate.GetParam(6)->InitDouble("Detune", 6.0, 0.0, 50.0, 0.1, "ct");
  g.AttachPanelBackground(IPattern::CreateLinearGradient(
    0, 0, 0, g.Height(), {{IColor(255, 38, 41, 47), 0.f}, {IColor(255, 24, 26, 30), 1.f}}));

  // Dark theme: values 0 to 1, hovered, disabled, bare, bipolar (the arc runs from the top).
  IVStyle dark = DarkStyle();
  dark.labelText.mSize = 14.f;
  dark.valueText =
    IText(12.f, IColor(255, 150, 156, 168), "Roboto-Regular", EAlign::kCenter, EVAlign::kBottom);
  auto darkKnob = [&](float x, float y, float w, float h, int paramIdx, const char* label,
                      const IVStyle& style, float anchor = -135.f)
  {
    return static_cast<IVKnobControl*>(g.AttachControl(
      new IVKnobControl(IRECT(x, y, x + w, y + h), paramIdx, label, style, true, false, -135.f,
                        135.f, anchor, EDirection::kVertical, DEFAULT_GEARING, 3.f)));
  };
  Caption(g, 12, 6, "IVKnobControl, dark theme");
  for (int i = 0; i < 5; ++i)
    sheet.pKnobAtOne = darkKnob(10.f + 82.f * i, 28, 78, 104, i, "", dark);
  darkKnob(420, 28, 78, 104, 6, "Hover", dark)->OnMouseOver(459, 75, IMouseMod());
  darkKnob(502, 28, 78, 104, 6, "Disabled", dark)->SetDisabled(true);
  IVStyle bare = dark;
  bare.showLabel = bare.showValue = false;
  darkKnob(592, 46, 64, 64, 2, "", bare);
  darkKnob(668, 28, 80, 104, 5, "", dark, 0.f);

  // The default style on a light card: knobs, one hovered, one disabled, and labels.
  g.AttachControl(new IPanelControl(IRECT(10, 142, 750, 300), IColor(255, 236, 237, 240)));
  Caption(g, 20, 146, "Default style", IColor(255, 90, 94, 102));
  for (int i = 1; i < 4; ++i)
    g.AttachControl(new IVKnobControl(IRECT(110.f * i - 90.f, 166, 110.f * i + 10.f, 294), i));
  g.AttachControl(new IVKnobControl(IRECT(350, 166, 450, 294), 6, "Hover"))
    ->OnMouseOver(400, 230, IMouseMod());
  g.AttachControl(new IVKnobControl(IRECT(460, 166, 560, 294), 6, "Off"))->SetDisabled(true);
  g.AttachControl(new IVLabelControl(IRECT(580, 190, 740, 226), "IVLabelControl"));
  g.AttachControl(new IVLabelControl(IRECT(580, 240, 740, 276), "Disabled"))->SetDisabled(true);

  // Labels in the dark theme, lifted by a small shadow (the default 3 points doubles small text).
  IVStyle label = dark;
  label.drawFrame = true;
  label.colorSpec.mColors[kFR] = IColor(255, 70, 75, 86);
  label.shadowOffset = 1.5f;
  label.valueText = IText(16.f, kArtText, "Roboto-Regular", EAlign::kCenter, EVAlign::kMiddle);
  Caption(g, 12, 306, "IVLabelControl, dark theme");
  g.AttachControl(new IVLabelControl(IRECT(12, 326, 192, 356), "PELMORA FM", label));
  g.AttachControl(new IVLabelControl(IRECT(202, 326, 382, 356), "Disabled", label))
    ->SetDisabled(true);

  // SVG controls: buttons off and on, toggles off, on and hovered, knobs, switches and sliders at
  // 0, 0.5 and 1 (the sliders at 0.2, 0.8 and 0.6).
  Caption(g, 12, 364, "SVG button, toggle, knob, switch, slider");
  const LibrarySVGs art(g);
  g.AttachControl(
    new ISVGButtonControl(IRECT(12, 390, 60, 418), nullptr, art.buttonOff, art.buttonOn));
  g.AttachControl(
     new ISVGButtonControl(IRECT(12, 426, 60, 454), nullptr, art.buttonOff, art.buttonOn))
    ->SetValue(1.0);
  for (int i = 0; i < 3; ++i)
  {
    const float x = 72.f + 34.f * i;
    auto* pToggle = new ISVGToggleControl(IRECT(x, 404, x + 28, 432), nullptr, art.power,
                                          art.toggleColors, EColorReplacement::kStroke);
    g.AttachControl(pToggle)->SetValue(i == 0 ? 0.0 : 1.0);
    if (i == 2)
      pToggle->OnMouseOver(x + 14, 418, IMouseMod());
    sheet.pToggleOn = i == 1 ? pToggle : sheet.pToggleOn;
    g.AttachControl(
       new ISVGKnobControl(IRECT(184.f + 56.f * i, 394, 232.f + 56.f * i, 442), art.knob))
      ->SetValue(0.5 * i);
    auto* pSwitch = new ISVGSwitchControl(IRECT(364.f + 42.f * i, 405, 398.f + 42.f * i, 431),
                                          {art.waves[0], art.waves[1], art.waves[2]});
    g.AttachControl(pSwitch)->SetValue(0.5 * i);
    sheet.pSawSwitch = i == 1 ? pSwitch : sheet.pSawSwitch;
  }
  g.AttachControl(new ISVGSliderControl(IRECT(500, 368, 524, 464), art.handle, art.track))
    ->SetValue(0.2);
  sheet.pHighSlider = new ISVGSliderControl(IRECT(534, 368, 558, 464), art.handle, art.track);
  g.AttachControl(sheet.pHighSlider)->SetValue(0.8);
  g.AttachControl(new ISVGSliderControl(IRECT(572, 404, 740, 428), art.hHandle, art.hTrack,
                                        kNoParameter, EDirection::kHorizontal))
    ->SetValue(0.6);

  // What opening the editor in a host does: every control shows its parameter's value.
  g.ForStandardControlsFunc(
    [](IControl& control)
    {
      if (const IParam* pParam = control.GetParam())
        control.SetValueFromDelegate(pParam->GetNormalized());
    });
}

} // namespace

TEST(LibraryContactSheet, EveryControlInItsStates)
{
  ContactSheet sheet("library-contact-sheet.png", 1011, 601, IColor(255, 96, 96, 96),
                     {{"Roboto-Regular", "Roboto-Regular.ttf"}}, 24);
  for (float scale : {1.f, 2.f})
  {
    ASSERT_TRUE(sheet.Render(scale, LayoutLibraryGallery)) << "no headless OpenGL context";
    IGraphics& g = sheet.Editor().mGraphics;
    // The selected tab (the second) is drawn in the pressed colour.
    const IRECT tab =
      static_cast<IVTabSwitchControl*>(g.GetControlWithTag(kGalleryTabsTag))->GetButtonBounds(1);
    sheet.Expect(tab.L + 6, tab.B - 4, IColor(255, 96, 102, 116), "selected tab", 3);
    // The pad's handle sits at (0.7, 0.65) of its travel.
    const IRECT h =
      static_cast<IVXYPadControl*>(g.GetControlWithTag(kGalleryPadTag))->GetHandleBounds();
    sheet.Expect(h.MW(), h.MH(), kArtAccent, "pad handle", 3);
    // The bitmap knob at 1 shows its strip's last frame, the dot at +135 degrees; the one at 0.3
    // shows no dot there.
    const IRECT k = g.GetControlWithTag(kGalleryKnobTag)->GetRECT();
    sheet.Expect(k.MW() + 9.2f, k.MH() + 9.2f, kArtAccent, "bitmap knob at 1", 3);
    const IRECT k3 = g.GetControlWithTag(kGalleryLowKnobTag)->GetRECT();
    sheet.Expect(k3.MW() + 9.2f, k3.MH() + 9.2f, kStripBody, "bitmap knob at 0.3", 3);
    // The meter at -6 dB (value 54/72) lights 15 of its 20 segments: the 15th is yellow, the 16th
    // dark.
    const IRECT m = g.GetControlWithTag(kGalleryMeterTag)->GetRECT();
    sheet.Expect(m.MW(), m.B - 5.f * 14 - 2.f, IColor(255, 240, 200, 60), "15th segment", 3);
    sheet.Expect(m.MW(), m.B - 5.f * 15 - 2.f, kStripDim, "16th segment", 3);

    Sheet s;
    ASSERT_TRUE(sheet.Render(
      scale, [&](IGraphics& gr, TestDelegate& d) { LayoutControls(gr, d, s); }, 760, 470))
      << "no headless OpenGL context";
    // The value arc of the knob at 1 passes +90 degrees, right of its centre.
    const IRECT& w = s.pKnobAtOne->GetWidgetBounds();
    sheet.Expect(w.MW() + s.pKnobAtOne->GetRadius(), w.MH(), kArtAccent, "arc of the knob at 1",
                 40);
    // The switch at 0.5 shows the saw: its rising stroke crosses (11.5, 13) of the image.
    const IRECT& sw = s.pSawSwitch->GetRECT();
    sheet.Expect(sw.L + 11.5f, sw.T + 13.f, kArtAccent, "saw of the switch at 0.5", 80);
    // The toggle that is on draws its power glyph's stroke in the on colour.
    const IRECT& t = s.pToggleOn->GetRECT();
    sheet.Expect(t.L + 14.f, t.T + 8.f, kArtAccent, "stroke of the toggle on", 20);
    // The slider at 0.8: its handle's orange line, 0.2 of the travel below the top.
    const IRECT hs = s.pHighSlider->GetHandleBounds(0.8);
    sheet.Expect(hs.MW(), hs.MH(), kArtAccent, "handle of the slider at 0.8", 80);
  }
  EXPECT_TRUE(sheet.Write());
}
