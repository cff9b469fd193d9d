// Headless renders of the rest of the control library in their states, at screen scales 1 and 2,
// in one contact sheet (library-contact-sheet.png in the test's build folder): vector
// buttons, switches, toggles and slide switches; tabs, radio buttons and a menu button; sliders,
// a range slider and track controls; a pad, a plot, a group frame and a colour swatch; and the
// bitmap controls drawn from strips painted by the test at each scale. A few pixels guard what
// the sheet shows.

#include "framework/graphics/controls/IBControls.h"
#include "framework/graphics/controls/IPanelControl.h"
#include "framework/graphics/controls/IVButtonControl.h"
#include "framework/graphics/controls/IVKnobControl.h"
#include "framework/graphics/controls/IVSliderControl.h"
#include "framework/graphics/controls/IVTabSwitchControl.h"
#include "framework/graphics/controls/IVXYPadControl.h"
#include "tests/framework/graphics/LibraryArt.h"
#include "tests/framework/graphics/StripPainter.h"
#include "tests/framework/graphics/platforms/linux/ContactSheet.h"

#include <cstring>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

constexpr int kSheetW = 780;
constexpr int kSheetH = 620;
const IColor kAccent = kArtAccent;
const IColor kCaption(255, 120, 126, 138);

void Caption(IGraphics& g, float x, float y, const char* text)
{
  g.AttachControl(new ITextControl(IRECT(x, y, x + 760, y + 16), text,
                                   IText(12.f, kCaption, "Roboto-Regular", EAlign::kNear)));
}

// Tracks drawn with their background, label and tracks: the track base made concrete.
class Tracks : public IVTrackControlBase
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

// Controls whose pixels the test checks.
struct Sheet
{
  IVTabSwitchControl* pTabs = nullptr;
  IVXYPadControl* pPad = nullptr;
  IBKnobControl* pBKnob = nullptr;
  IBKnobControl* pBKnob3 = nullptr;
  IBMeterControl* pMeter = nullptr;
};

void ButtonsAndSwitches(IGraphics& g, const IVStyle& dark)
{
  Caption(g, 12, 8, "IVButtonControl, IVSwitchControl, IVToggleControl, IVSlideSwitchControl");
  g.AttachControl(new IVButtonControl(IRECT(12, 30, 102, 66), nullptr, "Play", dark));
  g.AttachControl(new IVButtonControl(IRECT(112, 30, 202, 66), nullptr, "Held", dark))
    ->SetValue(1.0);
  IVStyle round = dark;
  round.roundness = 1.f;
  g.AttachControl(new IVButtonControl(IRECT(212, 30, 250, 66), nullptr, "", round, true, true,
                                      EVShape::kEllipse));
  g.AttachControl(new IVSwitchControl(IRECT(262, 24, 352, 76), 0, "Wave", dark, true));
  g.AttachControl(new IVToggleControl(IRECT(366, 30, 436, 66), nullptr, "", dark, "OFF", "ON"));
  g.AttachControl(
    new IVToggleControl(IRECT(446, 30, 516, 66), nullptr, "", dark, "OFF", "ON", true));
  IVStyle slide = dark;
  slide.roundness = 1.f;
  g.AttachControl(new IVSlideSwitchControl(IRECT(530, 30, 610, 66), nullptr, "", slide, true,
                                           EDirection::kHorizontal, 2, 1));
  g.AttachControl(new IVSlideSwitchControl(IRECT(624, 24, 766, 76), 0, "Wave", dark, true));
}

void TabsRadioAndMenu(IGraphics& g, const IVStyle& dark, Sheet& sheet)
{
  Caption(g, 12, 90, "IVTabSwitchControl, IVRadioButtonControl, IVMenuButtonControl");
  IVStyle tabs = dark;
  tabs.drawShadows = false;
  tabs.drawFrame = true;
  tabs.colorSpec.mColors[kFR] = IColor(255, 30, 32, 37);
  tabs.roundness = 0.6f;
  sheet.pTabs = static_cast<IVTabSwitchControl*>(g.AttachControl(
    new IVTabSwitchControl(IRECT(12, 112, 252, 144), nullptr, {"OSC A", "OSC B", "OSC C", "OSC D"},
                           "", tabs, EVShape::kTopRounded)));
  sheet.pTabs->SetValue(1.0 / 3.0);
  sheet.pTabs->OnMouseOver(220, 128, IMouseMod());
  g.AttachControl(new IVTabSwitchControl(IRECT(264, 106, 334, 196), nullptr, {"LP", "BP", "HP"}, "",
                                         tabs, EVShape::kAllRounded, EDirection::kVertical))
    ->SetValue(1.0);
  IVStyle radio = dark;
  radio.colorSpec.mColors[kPR] = IColor(255, 255, 190, 120); // the selected entry
  radio.colorSpec.mColors[kX1] = IColor(255, 150, 156, 168); // the others
  auto* pRadio =
    new IVRadioButtonControl(IRECT(348, 106, 468, 196), nullptr, {"Poly", "Mono", "Legato"}, "",
                             radio, EVShape::kEllipse, EDirection::kVertical, 12.f);
  g.AttachControl(pRadio)->SetValue(0.5);
  g.AttachControl(new IVMenuButtonControl(IRECT(484, 112, 624, 164), 0, "Waveform", dark));
  auto* pDisabled = new IVTabSwitchControl(IRECT(636, 112, 766, 144), nullptr, {"1", "2", "3"}, "",
                                           tabs, EVShape::kAllRounded);
  g.AttachControl(pDisabled);
  pDisabled->SetStateDisabled(2, true);
}

void SlidersAndTracks(IGraphics& g, const IVStyle& dark)
{
  Caption(g, 12, 206, "IVSliderControl, IVRangeSliderControl, track controls");
  IVStyle slider = dark;
  slider.valueText.mVAlign = EVAlign::kBottom;
  slider.roundness = 1.f;
  g.AttachControl(new IVSliderControl(IRECT(12, 226, 72, 366), 1, "", slider, true));
  g.AttachControl(new IVSliderControl(IRECT(78, 226, 138, 366), 2, "", slider, true))
    ->SetDisabled(true);
  IVStyle flat = slider;
  flat.showLabel = flat.showValue = false;
  g.AttachControl(new IVSliderControl(IRECT(150, 240, 350, 270), nullptr, "", flat, false,
                                      EDirection::kHorizontal, DEFAULT_GEARING, 9.f, 3.f))
    ->SetValue(0.35);
  g.AttachControl(new IVSliderControl(IRECT(150, 280, 350, 310), nullptr, "", flat, false,
                                      EDirection::kHorizontal, DEFAULT_GEARING, 9.f, 3.f, true))
    ->SetValue(0.8);
  auto* pRange = new IVRangeSliderControl(IRECT(150, 316, 350, 366), {5, 6}, "", flat,
                                          EDirection::kHorizontal, false, 7.f, 2.f);
  g.AttachControl(pRange);

  IVStyle tracks = dark;
  tracks.showValue = false;
  tracks.drawFrame = true;
  tracks.colorSpec.mColors[kBG] = IColor(255, 30, 32, 37);
  tracks.colorSpec.mColors[kFG] = IColor(255, 200, 120, 40);
  tracks.colorSpec.mColors[kFR] = IColor(255, 54, 58, 66);
  auto* pSteps = new Tracks(IRECT(366, 220, 556, 366), "Steps", tracks, {-1, -1, -1, -1, -1, -1}, 8,
                            EDirection::kVertical);
  g.AttachControl(pSteps);
  pSteps->SetTrackGap(3.f);
  pSteps->SetSelectedTrack(2);
  const double steps[] = {0.0, 0.375, 1.0, 0.625, 0.25, 0.875};
  for (int i = 0; i < 6; ++i)
    pSteps->SetValue(steps[i], i);
  auto* pLevels = new Tracks(IRECT(572, 220, 766, 366), "Around 0.5", tracks, {-1, -1, -1, -1}, 0,
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

void PadPlotGroupSwatch(IGraphics& g, const IVStyle& dark, Sheet& sheet)
{
  Caption(g, 12, 376, "IVXYPadControl, IVPlotControl, IVGroupControl, IVColorSwatchControl");
  IVStyle pad = dark;
  pad.drawFrame = true;
  pad.colorSpec.mColors[kBG] = IColor(255, 30, 32, 37);
  pad.colorSpec.mColors[kFG] = kAccent;
  pad.colorSpec.mColors[kFR] = IColor(255, 70, 75, 86);
  pad.colorSpec.mColors[kSH] = IColor(255, 54, 58, 66);
  pad.showLabel = pad.showValue = false;
  sheet.pPad = new IVXYPadControl(IRECT(12, 398, 122, 508), {3, 4}, "", pad, 8.f);
  g.AttachControl(sheet.pPad);

  IVStyle plot = pad;
  plot.showLabel = true;
  plot.colorSpec.mColors[kSH] = IColor(255, 44, 47, 54);
  g.AttachControl(MakeLfoPlot(IRECT(136, 392, 336, 508), "LFO", plot));

  // Two knobs in a group, then the frame computed from them.
  IVStyle knob = dark;
  knob.showValue = false;
  knob.labelText.mSize = 11.f;
  g.AttachControl(new IVKnobControl(IRECT(364, 414, 424, 494), 7, "Cutoff", knob), -1, "flt");
  g.AttachControl(new IVKnobControl(IRECT(432, 414, 492, 494), nullptr, "Reso", knob), -1, "flt")
    ->SetValue(0.3);
  IVStyle group = dark;
  group.drawShadows = false;
  group.roundness = 0.15f;
  group.colorSpec.mColors[kFR] = IColor(255, 90, 96, 108);
  group.labelText.mSize = 12.f;
  g.AttachControl(new IVGroupControl("Filter", "flt", 10.f, 20.f, 10.f, 8.f, group));

  IVStyle swatch = dark;
  swatch.drawShadows = swatch.drawFrame = false;
  swatch.showLabel = false;
  swatch.valueText.mSize = 11.f;
  g.AttachControl(new IVColorSwatchControl(IRECT(524, 392, 766, 508), "", nullptr, swatch,
                                           IVColorSwatchControl::ECellLayout::kGrid,
                                           {kBG, kFG, kPR, kFR, kHL, kSH, kX1, kX2, kX3},
                                           {"BG", "FG", "PR", "FR", "HL", "SH", "X1", "X2", "X3"}))
    ->OnMouseOver(600, 430, IMouseMod());
}

void BitmapControls(IGraphics& g, int scale, Sheet& sheet)
{
  Caption(g, 12, 518,
          "IBButtonControl, IBSwitchControl, IBKnobControl, IBKnobRotaterControl, "
          "IBSliderControl, IBTextControl, IBMeterControl");
  const PaintedStrips strips(g, scale);
  const IBitmap &button = strips.button, &lever = strips.lever, &knob = strips.knob;

  g.AttachControl(new IBButtonControl(12, 548, button, nullptr));
  g.AttachControl(new IBButtonControl(12, 582, button, nullptr))->SetValue(1.0);
  for (int i = 0; i < 3; ++i)
    g.AttachControl(new IBSwitchControl(86.f + 32.f * i, 552, lever))->SetValue(0.5 * i);
  sheet.pBKnob = new IBKnobControl(188, 552, knob);
  g.AttachControl(sheet.pBKnob)->SetValue(1.0);
  sheet.pBKnob3 = new IBKnobControl(242, 552, knob);
  g.AttachControl(sheet.pBKnob3)->SetValue(0.3);
  g.AttachControl(new IBKnobRotaterControl(296, 552, strips.rotater))->SetValue(0.65);
  g.AttachControl(new IBSliderControl(356, 530, 84, strips.handle, strips.track, kNoParameter,
                                      EDirection::kVertical))
    ->SetValue(0.7);
  const IText lcd(12.f, kAccent, "Roboto-Regular", EAlign::kNear);
  g.AttachControl(new IPanelControl(IRECT(400, 548, 520, 606), IColor(255, 16, 17, 20)));
  g.AttachControl(
    new IBTextControl(IRECT(408, 552, 512, 576), strips.font, lcd, "120.00", 8, 12, 1));
  g.AttachControl(
    new IBTextControl(IRECT(408, 578, 512, 602), strips.font, lcd, "-6.5 DB", 8, 12, 1));
  sheet.pMeter = new IBMeterControl(716, 512, strips.meter);
  g.AttachControl(sheet.pMeter);
  g.AttachControl(new IBMeterControl(738, 512, strips.meter));
  auto feed = [](IBMeterControl* pMeter, float level)
  {
    uint8_t msg[IBMeterControl::kMsgSize] = {};
    const int32_t channels = 1;
    std::memcpy(msg + IBMeterControl::kChannelCountOffset, &channels, 4);
    std::memcpy(msg + IBMeterControl::kLevelOffset, &level, 4);
    pMeter->OnMsgFromDelegate(0, sizeof(msg), msg);
  };
  feed(sheet.pMeter, 0.5f);                                                   // -6 dB
  feed(static_cast<IBMeterControl*>(g.GetControl(g.NControls() - 1)), 0.05f); // -26 dB
}

void LayoutSheet(IGraphics& g, TestDelegate& delegate, int scale, Sheet& sheet)
{
  delegate.GetParam(0)->InitEnum("Wave", 1, 3, "", 0, "", "Sine", "Saw", "Square");
  delegate.GetParam(1)->InitDouble("Level", 70.0, 0.0, 100.0, 1.0, "%");
  delegate.GetParam(2)->InitDouble("Drive", 30.0, 0.0, 100.0, 1.0, "%");
  delegate.GetParam(5)->InitDouble("Low", 0.3, 0.0, 1.0, 0.01);
  delegate.GetParam(6)->InitDouble("High", 0.7, 0.0, 1.0, 0.01);
  delegate.GetParam(3)->InitDouble("X", 0.7, 0.0, 1.0, 0.01);
  delegate.GetParam(4)->InitDouble("Y", 0.65, 0.0, 1.0, 0.01);
  delegate.GetParam(7)->InitDouble("Cutoff", 0.6, 0.0, 1.0, 0.01);

  g.AttachPanelBackground(IPattern::CreateLinearGradient(
    0, 0, 0, kSheetH, {{IColor(255, 38, 41, 47), 0.f}, {IColor(255, 24, 26, 30), 1.f}}));
  const IVStyle dark = DarkStyle();
  ButtonsAndSwitches(g, dark);
  TabsRadioAndMenu(g, dark, sheet);
  SlidersAndTracks(g, dark);
  PadPlotGroupSwatch(g, dark, sheet);
  BitmapControls(g, scale, sheet);

  // What opening the editor in a host does: every control shows its parameters' values.
  g.ForStandardControlsFunc(
    [](IControl& control)
    {
      for (int v = 0; v < control.NVals(); ++v)
        if (const IParam* pParam = control.GetParam(v))
          control.SetValueFromDelegate(pParam->GetNormalized(), v);
    });
}

} // namespace

TEST(LibraryContactSheet, EveryControlInItsStates)
{
  ContactSheet sheet("library-contact-sheet.png", kSheetW, kSheetH);
  for (int scale = 1; scale <= 2; ++scale)
  {
    Sheet sh;
    ASSERT_TRUE(sheet.Render(float(scale),
                             [&](IGraphics& g, TestDelegate& d) { LayoutSheet(g, d, scale, sh); }))
      << "no headless OpenGL context";
    // The selected tab (the second) is drawn in the pressed colour.
    const IRECT tab = sh.pTabs->GetButtonBounds(1);
    sheet.Expect(tab.L + 6, tab.B - 4, IColor(255, 96, 102, 116), "selected tab", 3);
    // The pad's handle sits at (0.7, 0.65) of its travel.
    const IRECT h = sh.pPad->GetHandleBounds();
    sheet.Expect(h.MW(), h.MH(), kAccent, "pad handle", 3);
    // The bitmap knob at 1 shows its strip's last frame, the dot at +135 degrees; the one at 0.3
    // shows no dot there.
    const IRECT k = sh.pBKnob->GetRECT();
    sheet.Expect(k.MW() + 9.2f, k.MH() + 9.2f, kAccent, "bitmap knob at 1", 3);
    const IRECT k3 = sh.pBKnob3->GetRECT();
    sheet.Expect(k3.MW() + 9.2f, k3.MH() + 9.2f, kStripBody, "bitmap knob at 0.3", 3);
    // The meter at -6 dB (value 54/72) lights 15 of its 20 segments: the 15th is yellow, the 16th
    // dark.
    const IRECT m = sh.pMeter->GetRECT();
    sheet.Expect(m.MW(), m.B - 5.f * 14 - 2.f, IColor(255, 240, 200, 60), "15th segment", 3);
    sheet.Expect(m.MW(), m.B - 5.f * 15 - 2.f, kStripDim, "16th segment", 3);
  }
  EXPECT_TRUE(sheet.Write());
}
