// Headless renders of the vector and SVG controls in their states, at screen scales 1 and 2,
// stacked into one contact sheet (controls-contact-sheet.png in the test's build folder): knobs
// at several values, with and without label and value, hovered and disabled, in a dark theme
// and in the default style; labels; SVG buttons, toggles, knobs, switches and sliders drawn
// from small images made here. A few pixels guard what the sheet shows.

#include "framework/graphics/controls/IPanelControl.h"
#include "framework/graphics/controls/ISVGControls.h"
#include "framework/graphics/controls/IVKnobControl.h"
#include "tests/framework/graphics/platforms/linux/RenderSupport.h"

#include <algorithm>
#include <cstring>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

constexpr int kSheetW = 760;
constexpr int kSheetH = 470;
const IColor kAccent(255, 255, 150, 50);
const IColor kCard(255, 236, 237, 240);

// A dark synth theme: flat dark knobs without frames, a light pointer, an orange value arc.
IVStyle DarkStyle()
{
  IVStyle style = DEFAULT_STYLE;
  style.drawFrame = false;
  style.colorSpec = IVColorSpec{COLOR_TRANSPARENT,
                                IColor(255, 62, 66, 75),
                                IColor(255, 84, 90, 102),
                                IColor(255, 226, 229, 235),
                                IColor(40, 255, 255, 255),
                                IColor(120, 0, 0, 0),
                                kAccent};
  style.labelText =
    IText(14.f, IColor(255, 205, 209, 216), "Roboto-Regular", EAlign::kCenter, EVAlign::kTop);
  style.valueText =
    IText(12.f, IColor(255, 150, 156, 168), "Roboto-Regular", EAlign::kCenter, EVAlign::kBottom);
  return style;
}

ISVG Load(IGraphics& g, const char* name, const std::string& body, int w, int h)
{
  const std::string text = std::string("<svg xmlns='http://www.w3.org/2000/svg' width='") +
                           std::to_string(w) + "' height='" + std::to_string(h) + "'>" + body +
                           "</svg>";
  return g.LoadSVG(name, static_cast<const void*>(text.data()), static_cast<int>(text.size()));
}

// A 34 x 26 box holding a waveform drawn with one stroked path.
std::string WaveIcon(const char* path)
{
  return std::string("<rect x='1' y='1' width='32' height='24' rx='5' fill='#2a2d33' "
                     "stroke='#121316'/><path d='") +
         path + "' fill='none' stroke='#ff9632' stroke-width='2' stroke-linejoin='round'/>";
}

void Caption(IGraphics& g, const IRECT& r, const char* text, const IColor& color)
{
  g.AttachControl(new ITextControl(
    r, text, IText(12.f, color, "Roboto-Regular", EAlign::kNear, EVAlign::kMiddle)));
}

// Controls whose pixels the test checks.
struct Sheet
{
  IVKnobControl* pKnobAtOne = nullptr;
  ISVGSwitchControl* pSawSwitch = nullptr;
  IControl* pToggleOn = nullptr;
  ISVGSliderControl* pHighSlider = nullptr;
};

void LayoutSheet(IGraphics& g, TestDelegate& delegate, Sheet& sheet)
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
    0, 0, 0, kSheetH, {{IColor(255, 38, 41, 47), 0.f}, {IColor(255, 24, 26, 30), 1.f}}));
  const IColor captionColor(255, 120, 126, 138);
  const IVStyle dark = DarkStyle();

  // Dark theme: values 0 to 1, hovered, disabled, bare, bipolar (the arc runs from the top).
  auto darkKnob = [&](const IRECT& r, int paramIdx, const char* label, const IVStyle& style,
                      float anchor = -135.f)
  {
    return static_cast<IVKnobControl*>(
      g.AttachControl(new IVKnobControl(r, paramIdx, label, style, true, false, -135.f, 135.f,
                                        anchor, EDirection::kVertical, DEFAULT_GEARING, 3.f)));
  };
  Caption(g, IRECT(12, 6, 400, 24), "IVKnobControl, dark theme", captionColor);
  for (int i = 0; i < 5; ++i)
    sheet.pKnobAtOne = darkKnob(IRECT(10.f + 82.f * i, 28, 88.f + 82.f * i, 132), i, "", dark);
  darkKnob(IRECT(420, 28, 498, 132), 6, "Hover", dark)->OnMouseOver(459, 75, IMouseMod());
  darkKnob(IRECT(502, 28, 580, 132), 6, "Disabled", dark)->SetDisabled(true);
  IVStyle bare = dark;
  bare.showLabel = bare.showValue = false;
  darkKnob(IRECT(592, 46, 656, 110), 2, "", bare);
  darkKnob(IRECT(668, 28, 748, 132), 5, "", dark, 0.f);

  // The default style on a light card: knobs, one hovered, one disabled, and a label.
  g.AttachControl(new IPanelControl(IRECT(10, 142, 750, 300), kCard));
  Caption(g, IRECT(20, 146, 400, 162), "Default style", IColor(255, 90, 94, 102));
  for (int i = 1; i < 4; ++i)
    g.AttachControl(new IVKnobControl(
      IRECT(20.f + 110.f * (i - 1), 166, 120.f + 110.f * (i - 1), 294), i, "", DEFAULT_STYLE));
  g.AttachControl(new IVKnobControl(IRECT(350, 166, 450, 294), 6, "Hover"))
    ->OnMouseOver(400, 230, IMouseMod());
  g.AttachControl(new IVKnobControl(IRECT(460, 166, 560, 294), 6, "Off"))->SetDisabled(true);
  g.AttachControl(new IVLabelControl(IRECT(580, 190, 740, 226), "IVLabelControl"));
  g.AttachControl(new IVLabelControl(IRECT(580, 240, 740, 276), "Disabled"))->SetDisabled(true);

  // Labels in the dark theme.
  IVStyle darkLabel = dark;
  darkLabel.drawFrame = true;
  darkLabel.colorSpec.mColors[kFR] = IColor(255, 70, 75, 86);
  darkLabel.shadowOffset = 1.5f; // a lifted look; the default 3 points doubles small text
  darkLabel.valueText.mSize = 16.f;
  darkLabel.valueText.mFGColor = IColor(255, 226, 229, 235);
  darkLabel.valueText.mVAlign = EVAlign::kMiddle;
  Caption(g, IRECT(12, 306, 400, 322), "IVLabelControl, dark theme", captionColor);
  g.AttachControl(new IVLabelControl(IRECT(12, 326, 192, 356), "PELMORA FM", darkLabel));
  g.AttachControl(new IVLabelControl(IRECT(202, 326, 382, 356), "Disabled", darkLabel))
    ->SetDisabled(true);

  // SVG controls.
  Caption(g, IRECT(12, 364, 400, 380), "SVG button, toggle, knob, switch, slider", captionColor);
  const ISVG buttonOff = Load(g, "button_off.svg",
                              "<rect x='1' y='1' width='46' height='26' rx='6' fill='#3a3e46' "
                              "stroke='#121316'/><circle cx='24' cy='14' r='5' fill='#6b7280'/>",
                              48, 28);
  const ISVG buttonOn = Load(g, "button_on.svg",
                             "<rect x='1' y='1' width='46' height='26' rx='6' fill='#4a505b' "
                             "stroke='#121316'/><circle cx='24' cy='14' r='5' fill='#ff9632'/>",
                             48, 28);
  const ISVG power = Load(g, "power.svg",
                          "<path d='M9.5 7.5 A8 8 0 1 0 18.5 7.5' fill='none' stroke='#fff' "
                          "stroke-width='2.5' stroke-linecap='round'/><path d='M14 4 L14 13' "
                          "stroke='#fff' stroke-width='2.5' stroke-linecap='round'/>",
                          28, 28);
  const ISVG knob = Load(g, "knob.svg",
                         "<circle cx='24' cy='24' r='22' fill='#2b2e34' stroke='#0e0f11' "
                         "stroke-width='1.5'/><circle cx='24' cy='24' r='17' fill='#434852'/>"
                         "<rect x='22.5' y='5' width='3' height='13' rx='1.5' fill='#ff9632'/>",
                         48, 48);
  const ISVG sine =
    Load(g, "sine.svg", WaveIcon("M6 13 C10 3 13 3 17 13 C21 23 24 23 28 13"), 34, 26);
  const ISVG saw = Load(g, "saw.svg", WaveIcon("M6 19 L17 7 L17 19 L28 7"), 34, 26);
  const ISVG square =
    Load(g, "square.svg", WaveIcon("M6 19 L6 7 L17 7 L17 19 L28 19 L28 7"), 34, 26);
  const ISVG track = Load(
    g, "track.svg", "<rect x='3' y='0' width='4' height='100' rx='2' fill='#0e0f11'/>", 10, 100);
  const ISVG handle = Load(g, "handle.svg",
                           "<rect x='0.5' y='0.5' width='23' height='11' rx='3' fill='#5a606b' "
                           "stroke='#0e0f11'/><rect x='4' y='5.5' width='16' height='1' "
                           "fill='#ff9632'/>",
                           24, 12);
  const ISVG hTrack = Load(
    g, "htrack.svg", "<rect x='0' y='3' width='100' height='4' rx='2' fill='#0e0f11'/>", 100, 10);
  const ISVG hHandle = Load(g, "hhandle.svg",
                            "<rect x='0.5' y='0.5' width='11' height='23' rx='3' fill='#5a606b' "
                            "stroke='#0e0f11'/><rect x='5.5' y='4' width='1' height='16' "
                            "fill='#ff9632'/>",
                            12, 24);

  g.AttachControl(new ISVGButtonControl(IRECT(12, 390, 60, 418), nullptr, buttonOff, buttonOn));
  g.AttachControl(new ISVGButtonControl(IRECT(12, 426, 60, 454), nullptr, buttonOff, buttonOn))
    ->SetValue(1.0);
  const ISVGColors toggleColors = {IColor(255, 110, 116, 128), kAccent, IColor(255, 170, 176, 188),
                                   IColor(255, 255, 190, 120)};
  const float toggleX[] = {72, 106, 140};
  for (int i = 0; i < 3; ++i)
  {
    auto* pToggle = new ISVGToggleControl(IRECT(toggleX[i], 404, toggleX[i] + 28, 432), nullptr,
                                          power, toggleColors, EColorReplacement::kStroke);
    g.AttachControl(pToggle)->SetValue(i == 0 ? 0.0 : 1.0);
    if (i == 1)
      sheet.pToggleOn = pToggle;
    if (i == 2)
      pToggle->OnMouseOver(toggleX[i] + 14, 418, IMouseMod());
  }
  for (int i = 0; i < 3; ++i)
    g.AttachControl(new ISVGKnobControl(IRECT(184.f + 56.f * i, 394, 232.f + 56.f * i, 442), knob))
      ->SetValue(0.5 * i);
  for (int i = 0; i < 3; ++i)
  {
    auto* pSwitch = new ISVGSwitchControl(IRECT(364.f + 42.f * i, 405, 398.f + 42.f * i, 431),
                                          {sine, saw, square});
    g.AttachControl(pSwitch)->SetValue(0.5 * i);
    if (i == 1)
      sheet.pSawSwitch = pSwitch;
  }
  g.AttachControl(new ISVGSliderControl(IRECT(500, 368, 524, 464), handle, track))->SetValue(0.2);
  sheet.pHighSlider = new ISVGSliderControl(IRECT(534, 368, 558, 464), handle, track);
  g.AttachControl(sheet.pHighSlider)->SetValue(0.8);
  g.AttachControl(new ISVGSliderControl(IRECT(572, 404, 740, 428), hHandle, hTrack, kNoParameter,
                                        EDirection::kHorizontal))
    ->SetValue(0.6);

  // What opening the editor in a host does: every control shows its parameter's value.
  g.ForStandardControlsFunc(
    [](IControl& control)
    {
      if (const IParam* pParam = control.GetParam())
        control.SetValueFromDelegate(pParam->GetNormalized());
    });
}

class ContactSheetTest : public ::testing::Test
{
protected:
  // Renders the sheet at a scale; null when no headless context can be had.
  Image Render(float scale)
  {
    auto editor = std::make_unique<HeadlessEditor>(kSheetW, kSheetH, scale);
    editor->AddLayout([&e = *editor, this](IGraphics& g) { LayoutSheet(g, e.mDelegate, mSheet); });
    if (!editor->Open())
      return Image();
    Image image = editor->Render();
    mEditors.push_back(std::move(editor));
    return image;
  }

  void ExpectAt(const Image& image, float scale, float x, float y, const IColor& color,
                const char* what, int tolerance = 2)
  {
    mEditors.back()->Expect(image, static_cast<int>(x * scale), static_cast<int>(y * scale), color,
                            what, tolerance);
  }

  std::vector<std::unique_ptr<HeadlessEditor>> mEditors;
  Sheet mSheet;
};

// Scale 1 above scale 2, on a neutral grey.
void WriteSheet(const Image& x1, const Image& x2, const char* path)
{
  const int gap = 16;
  const int w = std::max(x1.w, x2.w);
  const int h = x1.h + gap + x2.h;
  std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4, 96);
  auto blit = [&](const Image& image, int top)
  {
    for (int y = 0; y < image.h; ++y)
      std::memcpy(&rgba[(static_cast<size_t>(top + y) * w) * 4],
                  &image.rgba[static_cast<size_t>(y) * image.w * 4],
                  static_cast<size_t>(image.w) * 4);
  };
  blit(x1, 0);
  blit(x2, x1.h + gap);
  for (size_t i = 3; i < rgba.size(); i += 4)
    rgba[i] = 255;
  WritePNG(path, rgba, w, h);
}

} // namespace

TEST_F(ContactSheetTest, EveryControlInItsStates)
{
  Image images[2];
  for (int s = 0; s < 2; ++s)
  {
    const float scale = s + 1.f;
    images[s] = Render(scale);
    if (images[s].rgba.empty())
      FAIL() << "no headless OpenGL context";
    const Image& image = images[s];
    const Sheet& sh = mSheet;
    // The value arc of the knob at 1 passes +90 degrees, right of its centre.
    const IRECT& w = sh.pKnobAtOne->GetWidgetBounds();
    ExpectAt(image, scale, w.MW() + sh.pKnobAtOne->GetRadius(), w.MH(), kAccent,
             "arc of the knob at 1", 40);
    // The switch at 0.5 shows the saw: its rising stroke crosses (11.5, 13) of the image.
    const IRECT& sw = sh.pSawSwitch->GetRECT();
    ExpectAt(image, scale, sw.L + 11.5f, sw.T + 13.f, kAccent, "saw of the switch at 0.5", 80);
    // The toggle that is on draws its power glyph's stroke in the on colour.
    const IRECT& t = sh.pToggleOn->GetRECT();
    ExpectAt(image, scale, t.L + 14.f, t.T + 8.f, kAccent, "stroke of the toggle on", 20);
    // The slider at 0.8: its handle's orange line, 0.2 of the travel below the top.
    const IRECT h = sh.pHighSlider->GetHandleBounds(0.8);
    ExpectAt(image, scale, h.MW(), h.MH(), kAccent, "handle of the slider at 0.8", 80);
  }
  WriteSheet(images[0], images[1], "controls-contact-sheet.png");
}
