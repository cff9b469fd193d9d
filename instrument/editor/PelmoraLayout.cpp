// The editor's layout: the steps that walk the tables of PelmoraLayout.h, in attach order, and
// one short builder per kind of row. Every control gets its look from the theme, the hover
// function that shows its parameter in the preset display, and its action from the editor.

#include "instrument/editor/PelmoraEditor.h"

#include "framework/graphics/controls/IPanelControl.h"
#include "framework/graphics/controls/IVKnobControl.h"
#include "instrument/Pelmora.h"
#include "instrument/editor/controls/IPictureSelectorControls.h"
#include "instrument/editor/controls/ITVCaptionControl.h"
#include "instrument/editor/controls/IVMultistageEnvelopeControl.h"
#include "instrument/editor/controls/IVTVKeyboardControl.h"
#include "instrument/editor/controls/IVTVKnobControl.h"
#include "instrument/editor/controls/IValueMouseDragControl.h"
#include "instrument/editor/controls/IWaveformPanelControl.h"
#include "instrument/editor/controls/IWheelControl.h"
#include "instrument/persistence/Settings.h"

#include <vector>

namespace pelmora::editor
{

namespace
{
// The knob measures every knob shares: label and value strips and the gap to the label.
constexpr float kKnobStripHeight = 20.f;
constexpr float kKnobLabelGap = 4.f;
constexpr double kKnobGearing = 4.0;
// Value-drag fields: row height and value inset.
constexpr float kFieldRowHeight = 20.f;
constexpr float kFieldInset = 2.f;
constexpr float kDigitCellWidth = 9.f; // one digit of an operator's ratio or offset

// A label on the label background (the "ENVELOPE" and "CHORUS" labels).
IVLabelControl* MakeLabel(const IRECT& bounds, const char* text)
{
  auto* pLabel = new IVLabelControl(bounds, text, PelmoraTheme::StyleLabel);
  pLabel->SetColor(kBG, PelmoraTheme::ColorLabelBackground);
  pLabel->SetDirty(false);
  return pLabel;
}

// A waveform menu (the operators' and the LFO's) with its title band.
IDropdownPanelControl* MakeWaveformMenu(const IRECT& bounds, int param, const char* title,
                                        std::function<void(int)> hover)
{
  return new IDropdownPanelControl(bounds, param, std::move(hover), PelmoraTheme::TextLabel, title,
                                   20.f, PelmoraTheme::ColorLabelBackground,
                                   PelmoraTheme::TextDropdown, PelmoraTheme::ColorPanel, 30.f,
                                   10.f);
}
} // namespace

// ---- The makers: every control of one family gets the same measures

IVTVKnobControl* MakeKnob(const IRECT& bounds, int param, const char* label, const KnobLook& look,
                          std::function<void(int)> hover, bool modArc)
{
  constexpr bool kValueIsEditable = false, kValueInWidget = false, kPromptDisabled = true;
  constexpr float kStartAngle = -135.f, kEndAngle = 135.f, kAnchorAngle = -135.f;
  auto* pKnob = new IVTVKnobControl(
    bounds, look.radius, kKnobStripHeight, kKnobStripHeight, kKnobLabelGap, param, label,
    *look.style, std::move(hover), look.knobStyle, kValueIsEditable, kValueInWidget,
    look.labelOnTop, kStartAngle, kEndAngle, kAnchorAngle, EDirection::kVertical, look.flags,
    kKnobGearing, look.arcThickness, kPromptDisabled);
  pKnob->mShowModulation = modArc;
  return pKnob;
}

IValueMouseDragControl* MakeValueField(const IRECT& bounds, int param, const char* caption,
                                       const FieldLook& look, std::function<void(int)> hover)
{
  constexpr bool kValueInWidget = true;
  return new IValueMouseDragControl(
    bounds, kFieldRowHeight, caption, param, PelmoraTheme::ColorLabelBackground,
    PelmoraTheme::ColorValueBackground, kFieldInset, look.valueIsEditable, kValueInWidget,
    *look.style, std::move(hover), EDirection::kVertical, look.gearing);
}

IFloatValueMouseDragControl* MakeDigitField(const IRECT& bounds, int param, const char* caption,
                                            const FieldLook& look, std::function<void(int)> hover)
{
  constexpr bool kValueInWidget = true;
  return new IFloatValueMouseDragControl(
    bounds, kFieldRowHeight, caption, param, PelmoraTheme::ColorLabelBackground,
    PelmoraTheme::ColorValueBackground, kFieldInset, look.valueIsEditable, kValueInWidget,
    kDigitCellWidth, *look.style, std::move(hover), EDirection::kVertical, look.gearing,
    look.intDigits, look.fracDigits);
}

IParamDisplayControl* MakeParamDisplay(const IRECT& bounds, const ParamDisplayLook& look)
{
  return new IParamDisplayControl(bounds, kNoParameter, look.presetText, look.categoryText,
                                  look.labelText, look.valueText, "", "", "", "", look.frameColor,
                                  look.fillColor, look.margin);
}

PelmoraEditor::PelmoraEditor(Pelmora& plug, IGraphics& graphics) : mPlug(plug), mGraphics(graphics)
{
}

void PelmoraEditor::Layout()
{
  IGraphics& g = mGraphics;
  const float w = static_cast<float>(g.Width()), h = static_cast<float>(g.Height());
  g.AttachPanelBackground(IPattern::CreateLinearGradient(
    w * 0.5f, 0.f, w * 0.5f, h,
    {{PelmoraTheme::ColorBackground2, 0.f}, {PelmoraTheme::ColorBackground1, 1.f}}));
  // The hover functions need pointer movements reported.
  g.EnableMouseOver(true);
  if (g.PlatformSupportsMultiTouch())
    g.EnableMultiTouch(true);
  for (const PelmoraTheme::FontFile& font : PelmoraTheme::kFonts)
    g.LoadFont(font.name, font.file);

  AttachRows(kFrameRows);
  MakeMenus();
  mPlug.Resize(mPlug.GetScale()); // the remembered scale, the keyboard setting's height
  AttachRows(kTopBarRows);
  mFirstResettableControlIdx = g.NControls();

  AttachOperatorSection();
  AttachRows(kAlgorithmFilterRows);
  AttachRows(kModEnvelopeRows);
  AttachRows(kLfoRows);
  AttachRows(kModMatrixRows);
  AttachRows(kWaveformRows);
  AttachRows(kKeyboardRows);
  mPlug.Resize(g.GetWantedDrawScale()); // again, at the scale the window has now
  AttachRows(kOutputRows);
  ShowKeyboardRow(mPlug.GetShowKeyboard());
  ShowEnvelopeViews();
}

void PelmoraEditor::ShowEnvelopeViews()
{
  // Each editor shows its envelope as the last editor left it, or fitted the first time.
  for (int e = 0; e < kNumEnvelopes; ++e)
    if (auto* pEnvelope = dynamic_cast<IVMultistageEnvelopeControl*>(
          mGraphics.GetControlWithTag(EnvelopeEditorTag(e))))
      pEnvelope->KeepViewIn(FollowUp().GetEnvelopeView(e));
}

// ---- Helpers

ISVG PelmoraEditor::Picture(const pictures::EditorPicture& picture)
{
  return mGraphics.LoadSVG(picture.Name(), "px", 72.f);
}

std::function<void(int)> PelmoraEditor::HoverFunction()
{
  // The parameter's name and value with its unit in the preset display.
  return [this](int paramIdx)
  {
    FollowUp().ShowParameter(paramIdx);
  };
}

IActionFunction PelmoraEditor::ActionFunction(EAction action, int envelope)
{
  if (action == EAction::kNone)
    return nullptr;
  return [this, action, envelope](IControl* pCaller)
  {
    RunAction(action, pCaller, envelope);
  };
}

void PelmoraEditor::Attach(IControl* pControl, int tag)
{
  mGraphics.AttachControl(pControl, tag);
}

void PelmoraEditor::AttachRows(std::span<const Row> rows)
{
  for (const Row& row : rows)
    std::visit([this](const auto& r) { AttachRow(r); }, row);
}

// ---- One builder per kind of row

void PelmoraEditor::AttachRow(const FrameRow& row)
{
  Attach(new IFrameLabelControl(row.bounds, row.title, PelmoraTheme::TextFrameLabel,
                                kFrameTitleHeight, PelmoraTheme::ColorFrame,
                                PelmoraTheme::ColorFrameBg, row.titleBar, true));
}

void PelmoraEditor::AttachRow(const PanelRow& row)
{
  Attach(new IPanelControl(row.bounds, row.color, false));
}

void PelmoraEditor::AttachRow(const TextRow& row)
{
  Attach(new ITextControl(row.bounds, row.text, *row.style, DEFAULT_BGCOLOR, false));
}

void PelmoraEditor::AttachRow(const ParamDisplayRow& row)
{
  mParamDisplay = MakeParamDisplay(row.bounds, *row.look);
  Attach(mParamDisplay);
}

void PelmoraEditor::AttachRow(const PresetBrowserRow& row)
{
  Pelmora* pPlug = &mPlug;
  mPresetBrowser = new IVTVDiskPresetManagerControl(
    row.bounds, kNoParameter, [pPlug](int index) { pPlug->LoadPreset(index); }, row.arrowWidth,
    PelmoraTheme::kGlyphCaretLeft, PelmoraTheme::kGlyphCaretRight, PelmoraTheme::TextArrow,
    PelmoraTheme::TextPreset, PelmoraTheme::ColorPresetBrowser, false);
  RebuildPresetMenu();
  Attach(mPresetBrowser);
  mPlug.ModifyCurrentPreset(mPlug.GetPresetName());
}

void PelmoraEditor::AttachRow(const ButtonRow& row)
{
  Attach(new ITextActionControl(row.bounds, row.glyph, ActionFunction(row.action, row.envelope),
                                *row.style, row.background, false));
}

void PelmoraEditor::AttachRow(const SwitchRow& row)
{
  const bool link = row.action == EAction::kToggleOperatorLink;
  IHoverFunction hover = HoverFunction();
  if (link)
    hover = [this](int)
    {
      ShowOperatorLink();
    };
  auto* pSwitch = new ITVSVGSwitchControl(row.bounds,
                                          {Picture(pictures::SwitchPicture(row.picture, false)),
                                           Picture(pictures::SwitchPicture(row.picture, true))},
                                          row.param, std::move(hover), ActionFunction(row.action));
  // The link outlives the editor: a new one shows it as it is.
  if (link)
    pSwitch->SetValue(mPlug.GetOperatorLink() ? 1.0 : 0.0);
  Attach(pSwitch, row.tag);
}

void PelmoraEditor::AttachRow(const CyclePanelRow& row)
{
  std::vector<ISVG> diagrams;
  for (int a = 0; a < pictures::kNumAlgorithms; ++a)
    diagrams.push_back(Picture(pictures::AlgorithmPicture(a)));
  Attach(new ICyclePanelControl(row.bounds, row.param, std::move(diagrams), HoverFunction(),
                                nullptr, PelmoraTheme::TextArrow, row.arrowWidth,
                                PelmoraTheme::ColorAlgorithmPanel, PelmoraTheme::kGlyphCaretLeft,
                                PelmoraTheme::kGlyphCaretRight),
         row.tag);
}

void PelmoraEditor::AttachRow(const KnobRow& row)
{
  IVTVKnobControl* pKnob =
    MakeKnob(row.bounds, row.param, row.label, row.look, HoverFunction(), row.modArc);
  Attach(pKnob, row.tag);
  if (row.hidden)
    pKnob->Hide(true);
}

void PelmoraEditor::AttachRow(const CaptionRow& row)
{
  Attach(new ITVCaptionControl(row.bounds, row.param, HoverFunction(), *row.style,
                               PelmoraTheme::ColorValueBackground, row.showUnit, row.texts,
                               PelmoraTheme::ColorLabelForeground, COLOR_WHITE));
}

void PelmoraEditor::AttachRow(const EnvelopeRow& row)
{
  // The class's colours (an operator's editor takes its operator's, AttachOperatorSection).
  Attach(MakeEnvelopeEditor(row.bounds, mPlug.GetGlobalParams().GetEnvelope(row.envelope),
                            {Picture(pictures::SustainPicture(row.envelope, false)),
                             Picture(pictures::SustainPicture(row.envelope, true))}),
         row.tag);
}

void PelmoraEditor::AttachRow(const DropdownRow& row)
{
  IDropdownPanelControl* pMenu =
    MakeWaveformMenu(row.bounds, row.param, row.title, HoverFunction());
  for (int shape = 0; shape < pictures::kNumLfoShapes; ++shape)
    pMenu->AddImage(Picture(pictures::LfoWavePicture(shape)));
  Attach(pMenu);
}

void PelmoraEditor::AttachRow(const LabelRow& row)
{
  Attach(MakeLabel(row.bounds, row.text));
}

void PelmoraEditor::AttachRow(const ValueFieldRow& row)
{
  const FieldLook look{
    .style = &PelmoraTheme::StyleMouseDrag, .valueIsEditable = false, .gearing = row.gearing};
  Attach(MakeValueField(row.bounds, row.param, row.caption, look, HoverFunction()), row.tag);
}

void PelmoraEditor::AttachRow(const WaveformRow& row)
{
  const Waveform& waveform = mPlug.GetWaveform();
  Attach(new IWaveformPanelControl(row.bounds, PelmoraTheme::ColorPanel, PelmoraTheme::ColorFrame,
                                   PelmoraTheme::ColorRaster, PelmoraTheme::ColorPrimary,
                                   waveform.Points(), waveform.NPoints()),
         row.tag);
}

void PelmoraEditor::AttachRow(const WheelRow& row)
{
  // The pitch wheel starts at the instrument's bend range and offers the menu that sets it.
  const bool pitch = row.controller == IWheelControl::kPitchWheel;
  const int range = static_cast<int>(mPlug.GetParam(kParamPitchBendRange)->Value());
  auto* pWheel = new IVTVWheelControl(row.bounds, row.controller, pitch ? range : 2,
                                      pitch ? kParamPitchBendRange : kNoParameter);
  pWheel->SetOfferRangeMenu(pitch);
  Attach(pWheel, row.tag);
}

void PelmoraEditor::AttachRow(const KeyboardRow& row)
{
  Attach(new IVTVKeyboardControl(row.bounds, row.lowNote, row.highNote, false,
                                 PelmoraTheme::ColorKeyWhite, PelmoraTheme::ColorKeyBlack,
                                 PelmoraTheme::ColorPrimary, PelmoraTheme::ColorFrame,
                                 PelmoraTheme::ColorKeyLine, PelmoraTheme::ColorPrimary),
         row.tag);
}

// ---- The operator section

void PelmoraEditor::AttachOperatorSection()
{
  static constexpr const IVStyle* kKnobStyles[] = {
    &PelmoraTheme::StyleKnobRegularA, &PelmoraTheme::StyleKnobRegularB,
    &PelmoraTheme::StyleKnobRegularC, &PelmoraTheme::StyleKnobRegularD};
  static constexpr const IVStyle* kFieldStyles[] = {
    &PelmoraTheme::StyleMouseDragFloatA, &PelmoraTheme::StyleMouseDragFloatB,
    &PelmoraTheme::StyleMouseDragFloatC, &PelmoraTheme::StyleMouseDragFloatD};
  static constexpr const IColor* kColors[] = {&PelmoraTheme::ColorA, &PelmoraTheme::ColorB,
                                              &PelmoraTheme::ColorC, &PelmoraTheme::ColorD};

  std::array<ITabPanel*, kNumOperators> panels{};
  for (int op = 0; op < kNumOperators; ++op)
  {
    panels[static_cast<size_t>(op)] = new ITabPanel(PelmoraTheme::ColorFrameBg, kTabPanelArea);
    const IColor& color = *kColors[op];
    std::vector<ISVG> waves;
    for (bool inverted : {false, true})
      for (int w = 0; w < pictures::kNumOperatorWaveforms; ++w)
        waves.push_back(Picture(pictures::OperatorWavePicture(op, w, inverted)));
    const ISVG inversion[] = {Picture(pictures::InversionPicture(op, false)),
                              Picture(pictures::InversionPicture(op, true))};
    auto* pEnvelope = MakeEnvelopeEditor(
      kOpEnvelopeBounds, mPlug.GetGlobalParams().GetEnvelope(op),
      {Picture(pictures::SustainPicture(op, false)), Picture(pictures::SustainPicture(op, true))},
      {.lineColor = color, .valueFgColor = color});
    Pelmora::AttachControlsToOpTab(
      &mGraphics, panels[static_cast<size_t>(op)], OpParamIndex(op, kOpWaveform),
      OperatorControlTag(op, kOpWaveform) - 2, *kKnobStyles[op], *kFieldStyles[op],
      MakeWaveformMenu(kOpWaveformBounds, OpParamIndex(op, kOpWaveform), "WAVEFORM      ",
                       HoverFunction()),
      pEnvelope, waves, inversion, HoverFunction());
  }
  // The cog over each operator's envelope label opens its copy menu; it belongs to the tab.
  for (int op = 0; op < kNumOperators; ++op)
  {
    auto* pCopy = new ITextActionControl(kOpCopyButtonBounds, PelmoraTheme::kGlyphCog,
                                         ActionFunction(EAction::kOpenCopyMenu, op),
                                         PelmoraTheme::TextIconSmall, DEFAULT_BGCOLOR, false);
    panels[static_cast<size_t>(op)]->Add(pCopy);
    Attach(pCopy);
  }
  mTabStrip = new ITabStripControl2(kTabStripBounds);
  for (int op = 0; op < kNumOperators; ++op)
    mTabStrip->AddTab(panels[static_cast<size_t>(op)], Picture(pictures::TabPicture(op, true)),
                      Picture(pictures::TabPicture(op, false)), kTabRects[op]);
  mTabStrip->SelectTab(0);
  Attach(mTabStrip, kTagOperatorTabs);
}

} // namespace pelmora::editor

// ---- One operator's controls

void Pelmora::AttachControlsToOpTab(plugin::igraphics::IGraphics* pGraphics,
                                    plugin::igraphics::ITabPanel* pPanel, int paramBase,
                                    int tagBase, const plugin::igraphics::IVStyle& knobStyle,
                                    const plugin::igraphics::IVStyle& valueStyle,
                                    plugin::igraphics::IDropdownPanelControl* pWaves,
                                    plugin::igraphics::IVMultistageEnvelopeControl* pEnvelope,
                                    std::span<const plugin::igraphics::ISVG> wavePictures,
                                    std::span<const plugin::igraphics::ISVG> inversionPictures,
                                    const std::function<void(int)>& hoverFunc)
{
  using namespace plugin::igraphics;
  using namespace pelmora::layout;
  // The operator's tag of a parameter slot: waveform menu tagBase + 2, ..., level tagBase + 9.
  const auto tagOf = [tagBase](int slot)
  {
    return tagBase + 2 + slot;
  };
  const auto add = [pGraphics, pPanel](IControl* pControl, int tag)
  {
    pPanel->Add(pControl);
    pGraphics->AttachControl(pControl, tag);
  };

  for (const ISVG& svg : wavePictures)
    pWaves->AddImage(svg);
  add(pWaves, tagOf(kOpWaveform));
  for (const OpRow& opRow : kOperatorRows)
  {
    if (const auto* pRow = std::get_if<OpSwitchRow>(&opRow))
    {
      IControl* pSwitch =
        new ITVSVGSwitchControl(pRow->bounds, {inversionPictures[0], inversionPictures[1]},
                                paramBase + pRow->slot, hoverFunc, nullptr);
      add(pSwitch, tagOf(pRow->slot));
    }
    else if (const auto* pField = std::get_if<OpFieldRow>(&opRow))
    {
      const FieldLook look{.style = &valueStyle,
                           .valueIsEditable = true,
                           .gearing = pField->gearing,
                           .intDigits = pField->intDigits,
                           .fracDigits = pField->fracDigits};
      add(pelmora::editor::MakeDigitField(pField->bounds, paramBase + pField->slot, pField->caption,
                                          look, hoverFunc),
          tagOf(pField->slot));
    }
    else if (const auto* pKnob = std::get_if<OpKnobRow>(&opRow))
    {
      KnobLook look = kKnobLarge; // in the operator's colour
      look.style = &knobStyle;
      look.knobStyle = pKnob->knobStyle;
      add(pelmora::editor::MakeKnob(pKnob->bounds, paramBase + pKnob->slot, pKnob->label, look,
                                    hoverFunc, pKnob->modArc),
          tagOf(pKnob->slot));
    }
  }
  // One label under every tab: outside the panel, so it stays whatever tab shows.
  pGraphics->AttachControl(pelmora::editor::MakeLabel(kOpEnvelopeLabelBounds, "ENVELOPE"));
  add(pEnvelope, tagBase + 10);
}
