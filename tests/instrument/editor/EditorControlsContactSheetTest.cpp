// Headless renders of the editor's own controls with the real theme, fonts and pictures, at
// screen scales 1 and 2, stacked into one contact sheet (editor-controls-contact-sheet.png in the
// test's build folder). The controls stand where the editor places them, in section frames on
// the window's background (the lower sections moved up by kRow), with a row of states: the other
// operators' colours, disabled, hovered, label on top, the icon glyphs. Every picture and font
// loaded must be found, and a few pixels guard what the sheet shows.

#include "instrument/Pelmora.h"
#include "instrument/PelmoraParameters.h"
#include "instrument/editor/EditorPictures.h"
#include "instrument/editor/controls/IPictureSelectorControls.h"
#include "instrument/editor/controls/IVTVKnobControl.h"
#include "instrument/editor/controls/IValueMouseDragControl.h"
#include "instrument/editor/controls/IWaveformPanelControl.h"
#include "tests/framework/graphics/platforms/linux/RenderSupport.h"

#include <cmath>
#include <cstring>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;
namespace pic = pelmora::pictures;

namespace
{

constexpr int kSheetW = 1011;
constexpr int kSheetH = 435;
constexpr float kRow = 166.f;

// An editor rectangle; the sections below y 330 are moved up by kRow.
IRECT At(float l, float t, float r, float b)
{
  const float up = t >= 330.f ? kRow : 0.f;
  return IRECT(l, t - up, r, b - up);
}

const IVStyle& kA = Pelmora::StyleKnobRegularA;
const IVStyle& kPrimary = Pelmora::StyleKnobRegular;
constexpr EKnobStyle kAnchor = kKnobStyleFromAnchor;

struct KnobRow
{
  IRECT r;
  float radius;
  int param;
  const char* label;
  const IVStyle* style;
  EKnobStyle knobStyle;
  float thickness;
};
const KnobRow kKnobs[] = {
  {At(203, 71, 267, 151), 27, 4, "PHASE", &kA, kAnchor, 3},
  {At(275, 71, 339, 151), 27, 5, "VEL. FREQ", &kA, kKnobStyleFromTop, 3},
  {At(347, 71, 411, 151), 27, 6, "VEL. SENS.", &kA, kAnchor, 3},
  {At(419, 71, 483, 151), 27, 7, "LEVEL", &kA, kAnchor, 3},
  {At(619, 71, 683, 151), 27, 33, "FEEDBACK", &kPrimary, kAnchor, 3},
  {At(691, 71, 755, 151), 27, 34, "FM AMT", &kPrimary, kAnchor, 3},
  {At(783, 71, 847, 151), 27, 36, "CUTOFF", &kPrimary, kAnchor, 3},
  {At(855, 71, 919, 151), 27, 37, "RESO", &kPrimary, kAnchor, 3},
  {At(927, 71, 991, 151), 27, 38, "VEL. SENS.", &kPrimary, kAnchor, 3},
  {At(128, 366, 182, 420), 18, 41, "RATE", &kPrimary, kAnchor, 2},
  {At(128, 428, 182, 482), 18, 44, "DELAY", &kPrimary, kAnchor, 2},
  {At(813, 510, 867, 581), 22, 62, "DRIFT", &kPrimary, kAnchor, 3},
  {At(875, 510, 929, 581), 22, 60, "GLIDE", &kPrimary, kAnchor, 3},
  {At(937, 510, 991, 581), 22, 61, "GAIN", &kPrimary, kAnchor, 3},
  {At(250, 510, 304, 581), 22, 12, "DISABLED", &Pelmora::StyleKnobRegularB, kAnchor, 3},
  {At(312, 510, 366, 581), 22, 20, "HOVER", &Pelmora::StyleKnobRegularC, kAnchor, 3},
  {At(374, 510, 428, 581), 22, 28, "TOP", &Pelmora::StyleKnobRegularD, kAnchor, 3},
};

// Parameter values shown (in each parameter's own units).
const std::pair<int, double> kValues[] = {
  {0, 2},    {2, 1.5},  {3, 12.5}, {4, 45},   {5, 30},  {6, 70},  {7, 80},  {10, 2},
  {12, 90},  {19, 440}, {20, 120}, {26, 0.5}, {28, 60}, {32, 3},  {33, 35}, {34, 60},
  {35, 3},   {36, 60},  {37, 25},  {38, 50},  {39, 4},  {41, 5},  {42, 1},  {44, 20},
  {45, 2},   {46, 1},   {47, 30},  {48, 1},   {49, 11}, {50, 40}, {51, 3},  {52, 10},
  {53, -25}, {57, 1},   {59, 2},   {60, 10},  {62, 20},
};

struct Sheet
{
  std::vector<std::string> missing; // pictures and fonts not found
  std::vector<IVTVKnobControl*> knobs;
  IDropdownPanelControl* pWave = nullptr;
  IWaveformPanelControl* pPreview = nullptr;
  IFloatValueMouseDragControl* pRatio = nullptr;
  double points[183] = {};
};

void LayoutSheet(IGraphics& g, TestDelegate& delegate, Sheet& s)
{
  auto load = [&](const pic::EditorPicture& picture)
  {
    const ISVG svg = g.LoadSVG(picture.Name());
    if (!svg.IsValid())
      s.missing.push_back(picture.Name());
    return svg;
  };
  auto attach = [&](auto* pControl)
  {
    return static_cast<decltype(pControl)>(g.AttachControl(pControl));
  };
  for (const PelmoraTheme::FontFile& font : Pelmora::kFonts)
    if (!g.LoadFont(font.name, font.file))
      s.missing.push_back(font.file);
  for (int i = 0; i < kNumParams; ++i)
    InitParamFromSpec(*delegate.GetParam(i), i);
  for (const auto& [idx, value] : kValues)
    delegate.GetParam(idx)->Set(value);

  g.AttachPanelBackground(IPattern::CreateLinearGradient(
    kSheetW * 0.5f, 0.f, kSheetW * 0.5f, kSheetH,
    {{Pelmora::ColorBackground2, 0.f}, {Pelmora::ColorBackground1, 1.f}}));
  // The top bar, the section frames and the operator tabs, drawn behind the controls.
  const std::pair<IRECT, const char*> frames[] = {
    {At(12, 42, 491, 159), "OPERATOR"},     {At(503, 42, 763, 159), "ALGORITHM"},
    {At(775, 42, 999, 159), "FILTER"},      {At(12, 337, 190, 490), "LFO"},
    {At(202, 337, 499, 490), "MOD MATRIX"}, {At(511, 337, 710, 490), "WAVEFORM"},
    {At(681, 502, 999, 589), nullptr},      {At(12, 502, 669, 589), nullptr}};
  std::vector<ISVG> tabs;
  for (int op = 0; op < 4; ++op)
    tabs.push_back(load(pic::TabPicture(op, op == 0)));
  attach(new DrawControl(IRECT(0, 0, kSheetW, kSheetH),
                         [frames, tabs](IGraphics& gr, IControl&)
                         {
                           gr.FillRect(Pelmora::ColorBackgroundTopBar, IRECT(0, 0, kSheetW, 30));
                           for (const auto& [r, title] : frames)
                           {
                             gr.FillRect(Pelmora::ColorFrameBg, r);
                             gr.DrawRect(Pelmora::ColorFrame, r);
                             const IRECT bar(r.L, r.T, r.R, r.T + 21.f);
                             if (title)
                               gr.FillRect(Pelmora::ColorFrame, bar);
                             gr.DrawText(Pelmora::TextFrameLabel, title, bar);
                           }
                           for (int op = 0; op < 4; ++op)
                             gr.DrawSVG(tabs[op],
                                        IRECT(382.f + 27.f * op, 43, 408.f + 27.f * op, 70));
                         }));

  // Pictures: the waveform selectors, the algorithm panel, the switches.
  auto dropdown = [&](const IRECT& r, int param, const char* title)
  {
    return attach(new IDropdownPanelControl(r, param, nullptr, Pelmora::TextLabel, title, 20.f,
                                            Pelmora::ColorLabelBackground, Pelmora::TextDropdown,
                                            Pelmora::ColorPanel, 30.f, 10.f));
  };
  s.pWave = dropdown(At(20, 71, 120, 151), 0, "WAVEFORM      ");
  for (bool inverted : {false, true})
    for (int w = 0; w < pic::kNumOperatorWaveforms; ++w)
      s.pWave->AddImage(load(pic::OperatorWavePicture(0, w, inverted)));
  IDropdownPanelControl* pLfo = dropdown(At(20, 366, 120, 446), 39, "WAVEFORM");
  for (int i = 0; i < pic::kNumLfoShapes; ++i)
    pLfo->AddImage(load(pic::LfoWavePicture(i)));
  std::vector<ISVG> algorithms;
  for (int i = 0; i < pic::kNumAlgorithms; ++i)
    algorithms.push_back(load(pic::AlgorithmPicture(i)));
  IText arrows = Pelmora::TextIcon;
  arrows.mSize = 15.f;
  attach(new ICyclePanelControl(At(511, 71, 611, 151), 32, algorithms, nullptr, nullptr, arrows,
                                18.f, IColor(255, 30, 30, 30), Pelmora::kGlyphCaretLeft,
                                Pelmora::kGlyphCaretRight));
  attach(new ITVSVGSwitchControl(
    At(98, 74, 118, 94),
    {load(pic::InversionPicture(0, false)), load(pic::InversionPicture(0, true))}, 1));
  const std::tuple<IRECT, int, int> switches[] = {
    {At(14, 45, 40, 71), pic::kSwitchLink, kNoParameter},
    {At(28, 464, 62, 494), pic::kSwitchSync, 42},
    {At(78, 464, 112, 494), pic::kSwitchFree, 43},
    {At(705, 510, 727, 532), pic::kSwitchChorusI, 57},
    {At(705, 536, 727, 558), pic::kSwitchChorusII, 58},
    {At(763, 510, 793, 540), pic::kSwitchMono, 63}};
  for (const auto& [r, which, param] : switches)
    attach(new ITVSVGSwitchControl(
      r, {load(pic::SwitchPicture(which, false)), load(pic::SwitchPicture(which, true))}, param));

  // Knobs, with the modulation matrix's arcs: LFO to level, envelope to cutoff, wheel to FM.
  for (const KnobRow& k : kKnobs)
    s.knobs.push_back(
      attach(new IVTVKnobControl(k.r, k.radius, 20.f, 20.f, 4.f, k.param, k.label, *k.style,
                                 nullptr, k.knobStyle, false, false, k.param == 28, -135.f, 135.f,
                                 -135.f, EDirection::kVertical, 0, 4.0, k.thickness, true)));
  for (int i : {0, 3, 4, 5, 6, 7})
    s.knobs[i]->mShowModulation = true;
  s.knobs[3]->SetModulation(0, -0.3f, 0.3f);
  s.knobs[6]->SetModulation(1, 0.f, 0.4f);
  s.knobs[5]->SetModulation(2, -0.25f, 0.f);
  s.knobs[9]->SetKnobFlags(kKnobFlagStepped);
  s.knobs[14]->SetDisabled(true);
  s.knobs[15]->OnMouseOver(339, 360, IMouseMod());

  // Value fields, captions, labels, icons.
  const std::tuple<IRECT, const char*, int, const IVStyle*, int> fields[] = {
    {At(128, 71, 195, 110), "RATIO", 2, &Pelmora::StyleMouseDragFloatA, 2},
    {At(128, 112, 195, 151), "OFFSET", 3, &Pelmora::StyleMouseDragFloatA, 4},
    {At(20, 510, 87, 549), "RATIO", 10, &Pelmora::StyleMouseDragFloatB, 2},
    {At(95, 510, 162, 549), "OFFSET", 19, &Pelmora::StyleMouseDragFloatC, 4},
    {At(170, 510, 237, 549), "RATIO", 26, &Pelmora::StyleMouseDragFloatD, 2}};
  for (const auto& [r, label, param, style, intDigits] : fields)
  {
    auto* pField = attach(new IFloatValueMouseDragControl(
      r, 20.f, label, param, Pelmora::ColorLabelBackground, Pelmora::ColorValueBackground, 2.f,
      true, true, 9.f, *style, nullptr, EDirection::kVertical, 100.0, intDigits, 6 - intDigits));
    if (!s.pRatio)
      s.pRatio = pField;
  }
  attach(new IValueMouseDragControl(At(751, 543, 805, 581), 20.f, "PB RANGE", 59,
                                    Pelmora::ColorLabelBackground, Pelmora::ColorValueBackground,
                                    2.f, false, true, Pelmora::StyleMouseDrag, nullptr,
                                    EDirection::kVertical, 10.0));
  attach(new ITVCaptionControl(At(933, 43, 997, 62), 35, nullptr, Pelmora::TextValue,
                               Pelmora::ColorValueBackground, false,
                               {"LP 6", "LP 12", "LP 18", "LP 24", "HP 12", "BP 12"},
                               Pelmora::ColorLabelForeground, COLOR_WHITE));
  auto caption = [&](const IRECT& r, int param)
  {
    return attach(new ITVCaptionControl(r, param, nullptr, Pelmora::TextLabel,
                                        Pelmora::ColorValueBackground, true, {},
                                        Pelmora::ColorLabelForeground, COLOR_WHITE));
  };
  for (int k = 0; k < 4; ++k)
  {
    const float y = 366.f + 32.f * k;
    attach(new ITextControl(At(210, y, 252, y + 20), "SOURCE", Pelmora::TextLabelLeft));
    attach(new ITextControl(At(378, y, 403, y + 20), "DEST", Pelmora::TextLabelLeft));
    caption(At(256, y, 340, y + 20), 45 + 3 * k);
    attach(new IVTVKnobControl(At(348, y - 1, 370, y + 21), 13.f, 20.f, 20.f, 4.f, 47 + 3 * k, "",
                               Pelmora::StyleKnobSmall, nullptr, kKnobStyleFromTop, false, false,
                               false, -135.f, 135.f, -135.f, EDirection::kVertical, 0, 4.0, 1.5f,
                               true));
    caption(At(407, y, 491, y + 20), 46 + 3 * k);
  }
  caption(At(440, 510, 524, 530), 45)->OnMouseOver(480, 354, IMouseMod());
  auto* pChorus = new IVLabelControl(At(689, 561, 743, 581), "CHORUS", Pelmora::StyleLabel);
  pChorus->SetColor(kBG, Pelmora::ColorLabelBackground);
  attach(pChorus);
  const std::pair<IRECT, const char*> icons[] = {
    {IRECT(663, 3, 679, 27), Pelmora::kGlyphFloppy},
    {IRECT(978, 0, 999, 30), Pelmora::kGlyphCog},
    {At(536, 540, 562, 566), Pelmora::kGlyphCog},
    {At(566, 540, 592, 566), Pelmora::kGlyphFloppy},
    {At(596, 540, 622, 566), Pelmora::kGlyphCaretLeft},
    {At(626, 540, 652, 566), Pelmora::kGlyphCaretRight}};
  for (const auto& [r, glyph] : icons)
    attach(new ITextActionControl(r, glyph, nullptr, Pelmora::TextIcon,
                                  r.T < 30.f ? DEFAULT_BGCOLOR : Pelmora::ColorFrame));

  for (int i = 0; i < 183; ++i)
  {
    const double phase = 2.0 * 3.14159265358979 * i / 182.0;
    s.points[i] = 0.8 * std::sin(phase + 1.4 * std::sin(2.0 * phase));
  }
  s.pPreview = attach(new IWaveformPanelControl(At(519, 366, 702, 482), Pelmora::ColorPanel,
                                                Pelmora::ColorFrame, Pelmora::ColorRaster,
                                                Pelmora::ColorPrimary, s.points, 183));

  // What opening the editor in a host does: every control shows its parameter's value.
  g.ForStandardControlsFunc(
    [](IControl& control)
    {
      if (const IParam* pParam = control.GetParam())
        control.SetValueFromDelegate(pParam->GetNormalized());
    });
}

// The sheet rendered headless, on a delegate with the instrument's parameters.
struct SheetEditor
{
  explicit SheetEditor(float scale) : graphics(delegate, kSheetW, kSheetH)
  {
    delegate.mLayoutFunc = [this](IGraphics* pGraphics)
    {
      LayoutSheet(*pGraphics, delegate, sheet);
    };
    graphics.SetScreenScale(scale);
  }
  ~SheetEditor() { graphics.CloseWindow(); }

  TestDelegate delegate{kNumParams};
  IGraphicsLinux graphics;
  Sheet sheet;
};

// Whether some pixel of r (in points) is within the tolerance of the colour (or, with far set,
// outside it).
bool Finds(const Image& image, const IRECT& r, float scale, const IColor& colour, int tolerance,
           bool far = false)
{
  for (int y = static_cast<int>(r.T * scale); y < static_cast<int>(r.B * scale); ++y)
    for (int x = static_cast<int>(r.L * scale); x < static_cast<int>(r.R * scale); ++x)
      if (Near(image.At(x, y), colour, tolerance) != far)
        return true;
  return false;
}

} // namespace

TEST(EditorControlsContactSheet, EveryControlAtScalesOneAndTwo)
{
  Image images[2];
  for (int i = 0; i < 2; ++i)
  {
    const float scale = i + 1.f;
    SheetEditor editor(scale);
    if (!editor.graphics.OpenWindow(nullptr))
      FAIL() << "no headless OpenGL context";
    editor.graphics.RenderFrame();
    Image& image = images[i];
    editor.graphics.ReadFrame(image.rgba, image.w, image.h);
    const Sheet& s = editor.sheet;
    for (const std::string& name : s.missing)
      ADD_FAILURE() << "missing: " << name;

    // The phase knob's track in operator A's colour, halfway from the anchor to its value (45 of
    // 0..180: a quarter of the travel).
    const IRECT& w = s.knobs[0]->GetWidgetBounds();
    const float angle = -101.25f * 3.14159265f / 180.f;
    const float radius = 0.72f * 27.f + 3.f;
    const float x = w.MW() + radius * std::sin(angle), y = w.MH() - radius * std::cos(angle);
    EXPECT_TRUE(Finds(image, IRECT(x - 1, y - 1, x + 1, y + 1), scale, Pelmora::ColorA, 30));
    // A waveform picture, the digits and the preview's line.
    EXPECT_TRUE(Finds(image, s.pWave->GetPictureBounds(), scale, Pelmora::ColorPanel, 40, true));
    EXPECT_TRUE(Finds(image, s.pRatio->GetValueBoxBounds(), scale, Pelmora::ColorA, 30));
    EXPECT_TRUE(Finds(image, s.pPreview->GetRECT(), scale, Pelmora::ColorPrimary, 30));
  }

  // Scale 1 above scale 2, on the frame colour.
  const int gap = 16, w = images[1].w, h = images[0].h + gap + images[1].h;
  std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4, 15);
  for (int i = 0, top = 0; i < 2; top += images[i].h + gap, ++i)
    for (int y = 0; y < images[i].h; ++y)
      std::memcpy(&rgba[(static_cast<size_t>(top + y) * w) * 4],
                  &images[i].rgba[static_cast<size_t>(y) * images[i].w * 4],
                  static_cast<size_t>(images[i].w) * 4);
  for (size_t i = 3; i < rgba.size(); i += 4)
    rgba[i] = 255;
  EXPECT_TRUE(WritePNG("editor-controls-contact-sheet.png", rgba, w, h));
}
