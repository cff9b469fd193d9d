// The keyboard, the wheels and the envelope editors rendered headless as the editor shows them,
// at scales 1 and 2, into one contact sheet (editor-performance-controls.png in the test's build
// folder: scale 1 above scale 2). A few pixels guard what the sheet was seen to show.

#include "framework/graphics/controls/IPanelControl.h"
#include "instrument/editor/EditorPictures.h"
#include "instrument/editor/PelmoraColors.h"
#include "instrument/editor/controls/IVMultistageEnvelopeControl.h"
#include "instrument/editor/controls/IVTVKeyboardControl.h"
#include "instrument/editor/controls/IWheelControl.h"
#include "tests/framework/graphics/platforms/linux/RenderSupport.h"

#include <cmath>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

constexpr int kSheetWidth = 1011;
constexpr int kSheetHeight = 240;

IColor ToIColor(const pelmora::theme::PelmoraColor& c)
{
  return IColor(c.A, c.R, c.G, c.B);
}

const IColor kWhiteKey(255, 223, 223, 223);
const IColor kKeyLine(255, 153, 153, 153);

// An operator envelope: five stages, sustain on.
EnvelopeParameter OperatorEnvelope()
{
  EnvelopeParameter e;
  e.InitStages(5);
  const float levels[6] = {0.f, 1.f, 0.62f, 0.62f, 0.f, 0.f};
  const float ms[5] = {12.f, 180.f, 260.f, 420.f, 150.f};
  for (int k = 0; k < 5; ++k)
    e.SetStage(k, levels[k], levels[k + 1], ms[k]);
  return e;
}

// Above, operator A's envelope editor (fitted, sustain on, point 2 selected) and the modulation
// envelope's (the default envelope zoomed in, sustain off); below, the editor's bottom row
// (wheels, keyboard) with a chord held from the host, and wheels in other positions.
struct Sheet
{
  SharedEnvelope mOperatorEnvelope{OperatorEnvelope()};
  SharedEnvelope mModEnvelope{EnvelopeParameter()};
  IVMultistageEnvelopeControl* mOperator = nullptr;
  IVTVKeyboardControl* mKeys = nullptr;

  void Layout(IGraphics& g)
  {
    using namespace pelmora::theme;
    using namespace pelmora::pictures;
    using Envelope = IVMultistageEnvelopeControl;
    g.LoadFont("Roboto-Regular", "Roboto-Regular.ttf");
    g.AttachPanelBackground(IPattern::CreateLinearGradient(
      0.f, 0.f, 0.f, static_cast<float>(kSheetHeight),
      {IColorStop(ToIColor(ColorBackground2), 0.f), IColorStop(ToIColor(ColorBackground1), 1.f)}));

    g.AttachControl(new IPanelControl(IRECT(12, 2, 491, 136), ToIColor(ColorFrameBg)));
    g.AttachControl(new IPanelControl(IRECT(503, 2, 999, 136), ToIColor(ColorFrameBg)));
    mOperator = static_cast<Envelope*>(g.AttachControl(new Envelope(
      IRECT(20, 12, 483, 130), &mOperatorEnvelope,
      {g.LoadSVG(SustainPicture(0, false).Name()), g.LoadSVG(SustainPicture(0, true).Name())},
      ToIColor(ColorA), ToIColor(ColorA), Envelope::DEFAULT_VAL_BG_COLOR,
      Envelope::DEFAULT_LBL_FG_COLOR, Envelope::DEFAULT_LBL_BG_COLOR, Envelope::DEFAULT_BG_COLOR,
      Envelope::DEFAULT_FR_COLOR, Envelope::DEFAULT_SL_COLOR)));
    mOperator->Refresh();
    const auto& p2 = mOperator->GetCoords()[2];
    mOperator->OnMouseDown(p2.x, p2.y, IMouseMod(false, true)); // selects without dragging
    mOperator->OnMouseUp(p2.x, p2.y, IMouseMod(false, true));

    mModEnvelope.Edit([](EnvelopeParameter& e) { e.mSustain = false; });
    auto* pMod = static_cast<Envelope*>(g.AttachControl(new Envelope(
      IRECT(511, 12, 991, 129), &mModEnvelope,
      {g.LoadSVG(SustainPicture(4, false).Name()), g.LoadSVG(SustainPicture(4, true).Name())},
      Envelope::DEFAULT_LN_COLOR, Envelope::DEFAULT_VAL_FG_COLOR, Envelope::DEFAULT_VAL_BG_COLOR,
      Envelope::DEFAULT_LBL_FG_COLOR, Envelope::DEFAULT_LBL_BG_COLOR, Envelope::DEFAULT_BG_COLOR,
      Envelope::DEFAULT_FR_COLOR, Envelope::DEFAULT_SL_COLOR)));
    pMod->Update();
    pMod->OnMouseWheel(600.f, 60.f, IMouseMod(), 20.f); // zoomed in to 0.7 points per ms

    // The editor's keyboard row.
    const float y = 142.f;
    g.AttachControl(new IVTVWheelControl(IRECT(12, y, 32, y + 87), IWheelControl::kPitchWheel));
    g.AttachControl(new IVTVWheelControl(IRECT(40, y, 60, y + 87), 1))->SetValue(0.3);
    mKeys = static_cast<IVTVKeyboardControl*>(g.AttachControl(new IVTVKeyboardControl(
      IRECT(88, y, 653, y + 87), 36, 84, false, kWhiteKey, COLOR_BLACK, ToIColor(ColorPrimary),
      ToIColor(ColorFrame), kKeyLine, ToIColor(ColorPrimary))));
    for (int note : {48, 52, 55, 61, 70})
      mKeys->OnMidi(IMidiMsg(0, 0x90, static_cast<uint8_t>(note), 100));

    // Wheels at the bottom, the middle and the top, in both looks.
    const double positions[] = {0.0, 0.5, 1.0};
    for (int i = 0; i < 6; ++i)
    {
      const float x = 700.f + 40.f * static_cast<float>(i);
      const IRECT r(x, y, x + 20.f, y + 87.f);
      IWheelControl* pWheel =
        i < 3 ? new IVTVWheelControl(r, 1) : new IWheelControl(r.GetPadded(8.f), 1);
      pWheel->SetValue(positions[i % 3]);
      g.AttachControl(pWheel);
    }
  }
};

// A few pixels of what the sheet shows, in pixels at the scale.
void ExpectPixels(HeadlessEditor& editor, const Image& image, const Sheet& sheet, float scale)
{
  using namespace pelmora::theme;
  auto at = [&](float x, float y, const IColor& expected, const char* what, int tolerance = 2)
  {
    editor.Expect(image, static_cast<int>(x * scale), static_cast<int>(y * scale), expected, what,
                  tolerance);
  };
  auto over = [](const IColor& top, const IColor& below)
  {
    const float a = static_cast<float>(top.A) / 255.f;
    auto mix = [a](int t, int b)
    {
      return static_cast<int>(std::lround(a * t + (1.f - a) * b));
    };
    return IColor(255, mix(top.R, below.R), mix(top.G, below.G), mix(top.B, below.B));
  };

  // Keys: a white key, a white key held from the host (the accent at alpha 150 over it), the
  // black lip at the bottom of a black key.
  const IVTVKeyboardControl& keys = *sheet.mKeys;
  const float white = keys.GetWhiteKeyWidth(), low = keys.GetRECT().B - 6.f;
  at(keys.GetKeyLeft(2) + 0.5f * white, low, kWhiteKey, "white key");
  IColor pressed = ToIColor(ColorPrimary);
  pressed.A = 150;
  at(keys.GetKeyLeft(48 - 36) + 0.5f * white, low, over(pressed, kWhiteKey), "held key", 3);
  at(keys.GetKeyLeft(1) + 0.5f * keys.GetBlackKeyWidth(), keys.GetBlackKeyBottom() - 3.5f,
     COLOR_BLACK, "black key's lip");

  // Envelope: the read-out's value background beside the value, and the area under the sustain
  // stage (the line colour at 20 % over the background), between grid lines.
  const IVMultistageEnvelopeControl& envelope = *sheet.mOperator;
  const IRECT graph = envelope.GetGraphRECT();
  at(graph.R + 4.f, graph.T + 17.f, IVMultistageEnvelopeControl::DEFAULT_VAL_BG_COLOR, "value");
  const float unit = 100.f * envelope.GetTimeScale();
  const float x2 = envelope.GetCoords()[2].x;
  const float x = graph.L + (std::floor((x2 - graph.L) / unit) + 1.5f) * unit;
  const float h = std::trunc(0.25f * graph.H());
  IColor area = ToIColor(ColorA);
  area.A = 51;
  at(x, graph.T + 2.5f * h, over(area, IVMultistageEnvelopeControl::DEFAULT_BG_COLOR), "area", 3);
}

Image RenderSheet(float scale)
{
  HeadlessEditor editor(kSheetWidth, kSheetHeight, scale);
  Sheet sheet;
  editor.AddLayout([&](IGraphics& g) { sheet.Layout(g); });
  if (!editor.Open())
    return {};
  const Image image = editor.Render();
  ExpectPixels(editor, image, sheet, scale);
  return image;
}

TEST(PerformanceControlsRender, ContactSheetAtScalesOneAndTwo)
{
  const Image x1 = RenderSheet(1.f);
  const Image x2 = RenderSheet(2.f);
  if (x1.rgba.empty() || x2.rgba.empty())
    FAIL() << "no headless OpenGL context";
  EXPECT_TRUE(WritePNG("editor-performance-controls.png",
                       Stack(x1, x2, ToIColor(pelmora::theme::ColorFrameBg)).rgba, x2.w,
                       x1.h + x2.h));
}

} // namespace
