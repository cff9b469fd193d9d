// Headless renders of the editor's own controls with the real theme, fonts and pictures, at
// screen scales 1 and 2, stacked into one contact sheet (editor-controls-contact-sheet.png in the
// test's build folder). The controls stand where the editor places them, in section frames on the
// window's background: the operator, algorithm and filter sections, the LFO, the modulation
// matrix, the waveform preview and the bottom-right section, with a row of states (the other
// operators' colours, disabled, hovered, label on top, the icon glyphs). A few pixels guard what
// the sheet shows, and every picture and font it loads must be found.

#include "instrument/Pelmora.h"
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
constexpr float kRow = 166.f; // the second and third rows stand this much higher than in the editor

// What the checks and the sheet need of a render.
struct Sheet
{
  std::vector<std::string> missing; // pictures and fonts not found
  IVTVKnobControl* pPhase = nullptr;
  IDropdownPanelControl* pWave = nullptr;
  ICyclePanelControl* pAlgorithm = nullptr;
  IWaveformPanelControl* pPreview = nullptr;
  IFloatValueMouseDragControl* pRatio = nullptr;
  double points[183] = {};
};

ISVG Load(IGraphics& g, const pic::EditorPicture& picture, Sheet& sheet)
{
  const ISVG svg = g.LoadSVG(picture.Name());
  if (!svg.IsValid())
    sheet.missing.push_back(picture.Name());
  return svg;
}

// A section frame as the editor draws it: border, inside, title bar with its title.
void Frame(IGraphics& g, const IRECT& r, const char* title)
{
  g.AttachControl(new DrawControl(r,
                                  [r, title](IGraphics& gr, IControl&)
                                  {
                                    gr.FillRect(Pelmora::ColorFrameBg, r);
                                    gr.DrawRect(Pelmora::ColorFrame, r);
                                    if (!title)
                                      return;
                                    const IRECT bar(r.L, r.T, r.R, r.T + 21.f);
                                    gr.FillRect(Pelmora::ColorFrame, bar);
                                    gr.DrawText(Pelmora::TextFrameLabel, title, bar);
                                  }));
}

IVTVKnobControl* Knob(IGraphics& g, const IRECT& r, float radius, int paramIdx, const char* label,
                      const IVStyle& style, EKnobStyle knobStyle = kKnobStyleFromAnchor,
                      float thickness = 3.f, bool labelOnTop = false)
{
  auto* pKnob = new IVTVKnobControl(r, radius, 20.f, 20.f, 4.f, paramIdx, label, style, nullptr,
                                    knobStyle, false, false, labelOnTop, -135.f, 135.f, -135.f,
                                    EDirection::kVertical, 0, 4.0, thickness, true);
  g.AttachControl(pKnob);
  return pKnob;
}

IFloatValueMouseDragControl* Field(IGraphics& g, const IRECT& r, const char* label, int paramIdx,
                                   const IVStyle& style, int intDigits, int fracDigits)
{
  auto* pField = new IFloatValueMouseDragControl(
    r, 20.f, label, paramIdx, Pelmora::ColorLabelBackground, Pelmora::ColorValueBackground, 2.f,
    true, true, 9.f, style, nullptr, EDirection::kVertical, 100.0, intDigits, fracDigits);
  g.AttachControl(pField);
  return pField;
}

IDropdownPanelControl* Dropdown(IGraphics& g, const IRECT& r, int paramIdx, const char* title)
{
  auto* pDropdown = new IDropdownPanelControl(r, paramIdx, nullptr, Pelmora::TextLabel, title, 20.f,
                                              Pelmora::ColorLabelBackground, Pelmora::TextDropdown,
                                              Pelmora::ColorPanel, 30.f, 10.f);
  g.AttachControl(pDropdown);
  return pDropdown;
}

ITVCaptionControl* Caption(IGraphics& g, const IRECT& r, int paramIdx)
{
  auto* pCaption =
    new ITVCaptionControl(r, paramIdx, nullptr, Pelmora::TextLabel, Pelmora::ColorValueBackground,
                          true, {}, Pelmora::ColorLabelForeground, COLOR_WHITE);
  g.AttachControl(pCaption);
  return pCaption;
}

void SetValues(TestDelegate& delegate)
{
  for (int i = 0; i < kNumParams; ++i)
    InitParamFromSpec(*delegate.GetParam(i), i);
  const std::pair<int, double> values[] = {
    {0, 2},    {2, 1.5},  {3, 12.5}, {4, 45},  {5, 30},   {6, 70},   {7, 80},  {10, 2.0},
    {19, 440}, {26, 0.5}, {32, 3},   {33, 35}, {34, 60},  {35, 3},   {36, 60}, {37, 25},
    {38, 50},  {39, 4},   {41, 5},   {42, 1},  {44, 20},  {45, 2},   {46, 1},  {47, 30},
    {48, 1},   {49, 11},  {50, 40},  {51, 3},  {52, 10},  {53, -25}, {57, 1},  {59, 2},
    {60, 10},  {61, 0},   {62, 20},  {12, 90}, {20, 120}, {28, 60},
  };
  for (const auto& [idx, value] : values)
    delegate.GetParam(idx)->Set(value);
}

void LayoutSheet(IGraphics& g, TestDelegate& delegate, Sheet& sheet)
{
  for (const PelmoraTheme::FontFile& font : Pelmora::kFonts)
    if (!g.LoadFont(font.name, font.file))
      sheet.missing.push_back(font.file);
  SetValues(delegate);
  g.AttachPanelBackground(IPattern::CreateLinearGradient(
    kSheetW * 0.5f, 0.f, kSheetW * 0.5f, kSheetH,
    {{Pelmora::ColorBackground2, 0.f}, {Pelmora::ColorBackground1, 1.f}}));
  g.AttachControl(new DrawControl(IRECT(0, 0, kSheetW, 30), [](IGraphics& gr, IControl& c)
                                  { gr.FillRect(Pelmora::ColorBackgroundTopBar, c.GetRECT()); }));
  IText logo = Pelmora::TextPreset;
  logo.mSize = 25.f;
  logo.mFGColor = Pelmora::ColorPrimary;
  g.AttachControl(new ITextControl(IRECT(10, 0, 170, 30), "PELMORA", logo));
  g.AttachControl(new ITextActionControl(IRECT(663, 3, 679, 27), Pelmora::kGlyphFloppy, nullptr,
                                         Pelmora::TextIcon));
  g.AttachControl(
    new ITextActionControl(IRECT(978, 0, 999, 30), Pelmora::kGlyphCog, nullptr, Pelmora::TextIcon));

  // Operator A, the algorithm and the filter, where the editor puts them.
  Frame(g, IRECT(12, 42, 491, 159), "OPERATOR");
  Frame(g, IRECT(503, 42, 763, 159), "ALGORITHM");
  Frame(g, IRECT(775, 42, 999, 159), "FILTER");
  for (int op = 0; op < 4; ++op)
  {
    const ISVG tab = Load(g, pic::TabPicture(op, op == 0), sheet);
    const float x = 382.f + 27.f * op;
    g.AttachControl(new DrawControl(IRECT(x, 43, x + 26.f, 70), [tab](IGraphics& gr, IControl& c)
                                    { gr.DrawSVG(tab, c.GetRECT()); }));
  }
  g.AttachControl(new ITVSVGSwitchControl(
    IRECT(14, 45, 40, 71), {Load(g, pic::SwitchPicture(pic::kSwitchLink, false), sheet),
                            Load(g, pic::SwitchPicture(pic::kSwitchLink, true), sheet)}));
  sheet.pWave = Dropdown(g, IRECT(20, 71, 120, 151), 0, "WAVEFORM      ");
  for (bool inverted : {false, true})
    for (int w = 0; w < pic::kNumOperatorWaveforms; ++w)
      sheet.pWave->AddImage(Load(g, pic::OperatorWavePicture(0, w, inverted), sheet));
  g.AttachControl(new ITVSVGSwitchControl(IRECT(98, 74, 118, 94),
                                          {Load(g, pic::InversionPicture(0, false), sheet),
                                           Load(g, pic::InversionPicture(0, true), sheet)},
                                          1));
  sheet.pRatio =
    Field(g, IRECT(128, 71, 195, 110), "RATIO", 2, Pelmora::StyleMouseDragFloatA, 2, 4);
  Field(g, IRECT(128, 112, 195, 151), "OFFSET", 3, Pelmora::StyleMouseDragFloatA, 4, 2);
  const IVStyle& a = Pelmora::StyleKnobRegularA;
  sheet.pPhase = Knob(g, IRECT(203, 71, 267, 151), 27.f, 4, "PHASE", a);
  Knob(g, IRECT(275, 71, 339, 151), 27.f, 5, "VEL. FREQ", a, kKnobStyleFromTop);
  Knob(g, IRECT(347, 71, 411, 151), 27.f, 6, "VEL. SENS.", a);
  IVTVKnobControl* pLevel = Knob(g, IRECT(419, 71, 483, 151), 27.f, 7, "LEVEL", a);

  std::vector<ISVG> algorithms;
  for (int i = 0; i < pic::kNumAlgorithms; ++i)
    algorithms.push_back(Load(g, pic::AlgorithmPicture(i), sheet));
  IText arrows = Pelmora::TextIcon;
  arrows.mSize = 15.f;
  sheet.pAlgorithm = new ICyclePanelControl(IRECT(511, 71, 611, 151), 32, algorithms, nullptr,
                                            nullptr, arrows, 18.f, IColor(255, 30, 30, 30),
                                            Pelmora::kGlyphCaretLeft, Pelmora::kGlyphCaretRight);
  g.AttachControl(sheet.pAlgorithm);
  const IVStyle& primary = Pelmora::StyleKnobRegular;
  IVTVKnobControl* pFeedback = Knob(g, IRECT(619, 71, 683, 151), 27.f, 33, "FEEDBACK", primary);
  IVTVKnobControl* pFmAmount = Knob(g, IRECT(691, 71, 755, 151), 27.f, 34, "FM AMT", primary);
  g.AttachControl(new ITVCaptionControl(IRECT(933, 43, 997, 62), 35, nullptr, Pelmora::TextValue,
                                        Pelmora::ColorValueBackground, false,
                                        {"LP 6", "LP 12", "LP 18", "LP 24", "HP 12", "BP 12"},
                                        Pelmora::ColorLabelForeground, COLOR_WHITE));
  IVTVKnobControl* pCutoff = Knob(g, IRECT(783, 71, 847, 151), 27.f, 36, "CUTOFF", primary);
  Knob(g, IRECT(855, 71, 919, 151), 27.f, 37, "RESO", primary)->mShowModulation = true;
  Knob(g, IRECT(927, 71, 991, 151), 27.f, 38, "VEL. SENS.", primary);
  // The modulation matrix below: LFO to level, envelope to cutoff, wheel (negative) to FM amount.
  for (IVTVKnobControl* pKnob : {sheet.pPhase, pLevel, pFeedback, pFmAmount, pCutoff})
    pKnob->mShowModulation = true;
  pLevel->SetModulation(0, -0.3f, 0.3f);
  pCutoff->SetModulation(1, 0.f, 0.4f);
  pFmAmount->SetModulation(2, -0.25f, 0.f);

  // The LFO, the modulation matrix and the waveform preview.
  Frame(g, IRECT(12, 337 - kRow, 190, 490 - kRow), "LFO");
  Frame(g, IRECT(202, 337 - kRow, 499, 490 - kRow), "MOD MATRIX");
  Frame(g, IRECT(511, 337 - kRow, 710, 490 - kRow), "WAVEFORM");
  IDropdownPanelControl* pLfo = Dropdown(g, IRECT(20, 366 - kRow, 120, 446 - kRow), 39, "WAVEFORM");
  for (int i = 0; i < pic::kNumLfoShapes; ++i)
    pLfo->AddImage(Load(g, pic::LfoWavePicture(i), sheet));
  g.AttachControl(
    new ITVSVGSwitchControl(IRECT(28, 464 - kRow, 62, 494 - kRow),
                            {Load(g, pic::SwitchPicture(pic::kSwitchSync, false), sheet),
                             Load(g, pic::SwitchPicture(pic::kSwitchSync, true), sheet)},
                            42));
  g.AttachControl(
    new ITVSVGSwitchControl(IRECT(78, 464 - kRow, 112, 494 - kRow),
                            {Load(g, pic::SwitchPicture(pic::kSwitchFree, false), sheet),
                             Load(g, pic::SwitchPicture(pic::kSwitchFree, true), sheet)},
                            43));
  IVTVKnobControl* pRate = Knob(g, IRECT(128, 366 - kRow, 182, 420 - kRow), 18.f, 41, "RATE",
                                primary, kKnobStyleFromAnchor, 2.f);
  pRate->SetKnobFlags(kKnobFlagStepped);
  Knob(g, IRECT(128, 428 - kRow, 182, 482 - kRow), 18.f, 44, "DELAY", primary, kKnobStyleFromAnchor,
       2.f);
  for (int k = 0; k < 4; ++k)
  {
    const float y = 366.f - kRow + 32.f * k;
    g.AttachControl(new ITextControl(IRECT(210, y, 252, y + 20), "SOURCE", Pelmora::TextLabelLeft));
    g.AttachControl(new ITextControl(IRECT(378, y, 403, y + 20), "DEST", Pelmora::TextLabelLeft));
    Caption(g, IRECT(256, y, 340, y + 20), 45 + 3 * k);
    Knob(g, IRECT(348, y - 1, 370, y + 21), 13.f, 47 + 3 * k, "", Pelmora::StyleKnobSmall,
         kKnobStyleFromTop, 1.5f);
    Caption(g, IRECT(407, y, 491, y + 20), 46 + 3 * k);
  }
  for (int i = 0; i < 183; ++i)
  {
    const double phase = 2.0 * 3.14159265358979 * i / 182.0;
    sheet.points[i] = std::sin(phase + 1.4 * std::sin(2.0 * phase)) * 0.8;
  }
  sheet.pPreview = new IWaveformPanelControl(
    IRECT(519, 366 - kRow, 702, 482 - kRow), Pelmora::ColorPanel, Pelmora::ColorFrame,
    Pelmora::ColorRaster, Pelmora::ColorPrimary, sheet.points, 183);
  g.AttachControl(sheet.pPreview);

  // The bottom-right section.
  Frame(g, IRECT(681, 502 - kRow, 999, 589 - kRow), nullptr);
  auto chorus = [&](const IRECT& r, int which, int paramIdx)
  {
    g.AttachControl(new ITVSVGSwitchControl(r,
                                            {Load(g, pic::SwitchPicture(which, false), sheet),
                                             Load(g, pic::SwitchPicture(which, true), sheet)},
                                            paramIdx));
  };
  chorus(IRECT(705, 510 - kRow, 727, 532 - kRow), pic::kSwitchChorusI, 57);
  chorus(IRECT(705, 536 - kRow, 727, 558 - kRow), pic::kSwitchChorusII, 58);
  auto* pChorus =
    new IVLabelControl(IRECT(689, 561 - kRow, 743, 581 - kRow), "CHORUS", Pelmora::StyleLabel);
  pChorus->SetColor(kBG, Pelmora::ColorLabelBackground);
  g.AttachControl(pChorus);
  g.AttachControl(new IValueMouseDragControl(
    IRECT(751, 543 - kRow, 805, 581 - kRow), 20.f, "PB RANGE", 59, Pelmora::ColorLabelBackground,
    Pelmora::ColorValueBackground, 2.f, false, true, Pelmora::StyleMouseDrag, nullptr,
    EDirection::kVertical, 10.0));
  chorus(IRECT(763, 510 - kRow, 793, 540 - kRow), pic::kSwitchMono, 63);
  const char* names[] = {"DRIFT", "GLIDE", "GAIN"};
  const int params[] = {62, 60, 61};
  for (int i = 0; i < 3; ++i)
    Knob(g, IRECT(813.f + 62.f * i, 510 - kRow, 867.f + 62.f * i, 581 - kRow), 22.f, params[i],
         names[i], primary);

  // States: the other operators' colours, disabled, hovered, label on top, the icon glyphs.
  Frame(g, IRECT(12, 502 - kRow, 669, 589 - kRow), nullptr);
  const float y = 510.f - kRow;
  Field(g, IRECT(20, y, 87, y + 39), "RATIO", 10, Pelmora::StyleMouseDragFloatB, 2, 4);
  Field(g, IRECT(95, y, 162, y + 39), "OFFSET", 19, Pelmora::StyleMouseDragFloatC, 4, 2);
  Field(g, IRECT(170, y, 237, y + 39), "RATIO", 26, Pelmora::StyleMouseDragFloatD, 2, 4)
    ->SetDisabled(true);
  Knob(g, IRECT(250, y, 304, y + 71), 22.f, 12, "DISABLED", Pelmora::StyleKnobRegularB)
    ->SetDisabled(true);
  Knob(g, IRECT(312, y, 366, y + 71), 22.f, 20, "HOVER", Pelmora::StyleKnobRegularC)
    ->OnMouseOver(339, y + 22, IMouseMod());
  Knob(g, IRECT(374, y, 428, y + 71), 22.f, 28, "TOP", Pelmora::StyleKnobRegularD,
       kKnobStyleFromAnchor, 3.f, true);
  Caption(g, IRECT(440, y, 524, y + 20), 45)->OnMouseOver(480, y + 10, IMouseMod());
  const char* glyphs[] = {Pelmora::kGlyphCog, Pelmora::kGlyphFloppy, Pelmora::kGlyphCaretLeft,
                          Pelmora::kGlyphCaretRight};
  for (int i = 0; i < 4; ++i)
    g.AttachControl(
      new ITextActionControl(IRECT(536.f + 30.f * i, y + 30, 562.f + 30.f * i, y + 56), glyphs[i],
                             nullptr, Pelmora::TextIcon, Pelmora::ColorFrame));

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
    if (scale != 1.f)
      graphics.SetScreenScale(scale);
  }
  ~SheetEditor() { graphics.CloseWindow(); }

  Image Render()
  {
    Image image;
    if (!graphics.OpenWindow(nullptr))
      return image;
    graphics.RenderFrame();
    graphics.ReadFrame(image.rgba, image.w, image.h);
    return image;
  }

  TestDelegate delegate{kNumParams};
  IGraphicsLinux graphics;
  Sheet sheet;
};

// Whether some pixel of r (in points) is near the colour.
bool HasColour(const Image& image, const IRECT& r, float scale, const IColor& colour, int tolerance)
{
  for (int y = static_cast<int>(r.T * scale); y < static_cast<int>(r.B * scale); ++y)
    for (int x = static_cast<int>(r.L * scale); x < static_cast<int>(r.R * scale); ++x)
      if (Near(image.At(x, y), colour, tolerance))
        return true;
  return false;
}

// Whether some pixel of r (in points) differs clearly from the colour.
bool DrewOver(const Image& image, const IRECT& r, float scale, const IColor& colour)
{
  for (int y = static_cast<int>(r.T * scale); y < static_cast<int>(r.B * scale); ++y)
    for (int x = static_cast<int>(r.L * scale); x < static_cast<int>(r.R * scale); ++x)
      if (!Near(image.At(x, y), colour, 40))
        return true;
  return false;
}

} // namespace

TEST(EditorControlsContactSheet, EveryControlAtScalesOneAndTwo)
{
  Image images[2];
  for (int s = 0; s < 2; ++s)
  {
    const float scale = s + 1.f;
    SheetEditor editor(scale);
    images[s] = editor.Render();
    if (images[s].rgba.empty())
      FAIL() << "no headless OpenGL context";
    const Image& image = images[s];
    const Sheet& sheet = editor.sheet;
    for (const std::string& name : sheet.missing)
      ADD_FAILURE() << "missing: " << name;

    // The phase knob's track in operator A's colour, halfway from the anchor to its value (45 of
    // 0..180: a quarter of the travel).
    const IRECT& w = sheet.pPhase->GetWidgetBounds();
    const float angle = (-135.f - 67.5f) / 2.f * 3.14159265f / 180.f;
    const float radius = 0.72f * 27.f + 3.f;
    const float x = w.MW() + radius * std::sin(angle);
    const float y = w.MH() - radius * std::cos(angle);
    const IRECT probe(x - 1.f, y - 1.f, x + 1.f, y + 1.f);
    EXPECT_TRUE(HasColour(image, probe, scale, Pelmora::ColorA, 30));
    // The pictures, the digits and the preview's line are drawn.
    EXPECT_TRUE(DrewOver(image, sheet.pWave->GetPictureBounds(), scale, Pelmora::ColorPanel));
    EXPECT_TRUE(
      DrewOver(image, sheet.pAlgorithm->GetPictureBounds(), scale, IColor(255, 30, 30, 30)));
    EXPECT_TRUE(HasColour(image, sheet.pRatio->GetValueBoxBounds(), scale, Pelmora::ColorA, 30));
    EXPECT_TRUE(HasColour(image, sheet.pPreview->GetRECT(), scale, Pelmora::ColorPrimary, 30));
  }

  // Scale 1 above scale 2, on the frame colour.
  const int gap = 16;
  const int w = images[1].w;
  const int h = images[0].h + gap + images[1].h;
  std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4, 15);
  for (int s = 0, top = 0; s < 2; top += images[s].h + gap, ++s)
    for (int y = 0; y < images[s].h; ++y)
      std::memcpy(&rgba[(static_cast<size_t>(top + y) * w) * 4],
                  &images[s].rgba[static_cast<size_t>(y) * images[s].w * 4],
                  static_cast<size_t>(images[s].w) * 4);
  for (size_t i = 3; i < rgba.size(); i += 4)
    rgba[i] = 255;
  EXPECT_TRUE(WritePNG("editor-controls-contact-sheet.png", rgba, w, h));
}
