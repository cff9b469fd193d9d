#pragma once
// The editor's layout as data: every control the editor attaches, one row per control, in the
// order the layout attaches them, grouped by the section of the window they sit in. A row says
// where the control is (left, top, right, bottom in points at scale 1), what drives it (a
// parameter, an action) and the tag by which the instrument finds it again (PelmoraTags.h); the
// layout (PelmoraLayout.cpp) walks the tables, and the theme (PelmoraTheme.h) gives every look.
// A control with a long constructor (knob, value field, preset display) carries a look record
// (KnobLook, FieldLook, ParamDisplayLook: the "Looks" below are the editor's), and one maker per
// family (PelmoraEditor.h) builds it from its place, what drives it and its look.
//
// The window is 1011 x 601 points on a fixed grid (502 without the on-screen keyboard: the
// keyboard row is 502..589, the version text 592..601). A resize scales the whole window.
//
// An operator's controls are laid out once, relative to the operator (kOperatorRows: parameter
// slot within the operator, tag from OperatorControlTag), and attached four times, one set per
// operator tab.

#include "instrument/dsp/GlobalParams.h"
#include "instrument/editor/EditorPictures.h"
#include "instrument/editor/PelmoraTags.h"
#include "instrument/editor/PelmoraTheme.h"
#include "instrument/editor/controls/IVTVKnobControl.h"
#include "instrument/editor/controls/IWheelControl.h"
#include "instrument/engine/EngineParams.h"

#include <array>
#include <span>
#include <variant>

namespace pelmora::layout
{

using pelmora::pictures::ESwitchPicture;
using plugin::igraphics::EKnobStyle;
using plugin::igraphics::IColor;
using plugin::igraphics::IRECT;
using plugin::igraphics::IText;
using plugin::igraphics::IVStyle;
using plugin::igraphics::kKnobStyleFromAnchor;
using plugin::igraphics::kKnobStyleFromTop;
using Theme = PelmoraTheme;

inline constexpr int kKeyboardLowNote = 36;
inline constexpr int kKeyboardHighNote = 84;

// What a button or switch does besides sending its parameter (PelmoraEditor runs them).
enum class EAction
{
  kNone,
  kSavePreset,         // asks for a file name, then saves the sound as a preset
  kOpenMainMenu,       // the cog of the top bar
  kOpenCopyMenu,       // the cog of an envelope (the row's envelope)
  kOctaveDown,         // the keyboard's range an octave down, not below note 0
  kOctaveUp,           // ... up, not above note 120
  kToggleOperatorLink, // edits of one operator reach all four
  kShowLfoRate,        // the rate knob that matches "LFO Sync" shows
};

// ---- Row kinds. Colours and text styles come from the theme; a background not given is none.

// A titled section box behind a group of controls (title bar 21 points high).
struct FrameRow
{
  IRECT bounds;
  const char* title;
  bool titleBar = true;
};
// A plain filled rectangle.
struct PanelRow
{
  IRECT bounds;
  IColor color;
};
// A fixed text.
struct TextRow
{
  IRECT bounds;
  const char* text;
  const IText* style;
};
// The look of the preset display (MakeParamDisplay builds it): the text styles of the preset's
// name and category and of the hovered parameter's name and value, the colours of its frame and
// of its inside, and the margin inside the frame in points.
struct ParamDisplayLook
{
  IText presetText;
  IText categoryText;
  IText labelText;
  IText valueText;
  IColor frameColor;
  IColor fillColor;
  float margin;
};
// The preset display: the preset's name and category, the hovered parameter's name and value.
struct ParamDisplayRow
{
  IRECT bounds;
  const ParamDisplayLook* look;
};
// The preset browser: previous, the preset's name (its menu), next.
struct PresetBrowserRow
{
  IRECT bounds;
  float arrowWidth;
};
// An icon-font glyph that runs an action when clicked.
struct ButtonRow
{
  IRECT bounds;
  const char* glyph;
  EAction action;
  const IText* style;
  IColor background = plugin::igraphics::DEFAULT_BGCOLOR;
  int envelope = -1; // kOpenCopyMenu: whose copy menu
};
// A two-state picture switch, off and on pictures from EditorPictures.h.
struct SwitchRow
{
  IRECT bounds;
  int param;
  ESwitchPicture picture;
  int tag = -1;
  EAction action = EAction::kNone;
};
// The algorithm's diagram between two arrows that step through the algorithms.
struct CyclePanelRow
{
  IRECT bounds;
  int param;
  int tag;
  float arrowWidth;
};
// The measures and look of a knob (MakeKnob builds it): radius (label and value strips 20
// points, gap 4), style, where its value track starts, the thickness of its arcs, its flags and
// whether the label sits above the knob.
struct KnobLook
{
  float radius;
  const IVStyle* style;
  EKnobStyle knobStyle;
  float arcThickness;
  int flags = 0;           // plugin::igraphics::kKnobFlagStepped: ticks at whole steps
  bool labelOnTop = false; // the editor's knobs have it below
};
struct KnobRow
{
  IRECT bounds;
  int param;
  const char* label;
  int tag;
  KnobLook look;
  bool modArc = false; // shows the range modulation moves it through
  bool hidden = false; // hidden once attached
};
// A parameter's display text, with its value menu on a click; texts: one per value, or none for
// the parameter's own.
struct CaptionRow
{
  IRECT bounds;
  int param;
  const IText* style;
  bool showUnit;
  std::span<const char* const> texts = {};
};
// An envelope editor of the sound model's envelope 0..4 (operators A to D, modulation).
struct EnvelopeRow
{
  IRECT bounds;
  int envelope;
  int tag;
};
// A waveform menu showing the chosen waveform's picture (the LFO's shapes).
struct DropdownRow
{
  IRECT bounds;
  int param;
  const char* title;
};
// A text on the label background.
struct LabelRow
{
  IRECT bounds;
  const char* text;
};
// The look of a value-drag field (MakeValueField and MakeDigitField build it; value box and
// caption strip 20 points high each, the value inset 2 points): its style, whether a right click
// types a value, the drag's gearing, and for a field of digits how many it shows before and
// after the point (9 points a digit).
struct FieldLook
{
  const IVStyle* style;
  bool valueIsEditable;
  double gearing;
  int intDigits = 0;
  int fracDigits = 0;
};
// A whole number dragged up and down, caption below.
struct ValueFieldRow
{
  IRECT bounds;
  int param;
  const char* caption;
  int tag;
  double gearing;
};
// The preview of one cycle of the sound.
struct WaveformRow
{
  IRECT bounds;
  int tag;
};
// A pitch or modulation wheel playing MIDI; the pitch wheel offers the bend-range menu.
struct WheelRow
{
  IRECT bounds;
  int controller; // IWheelControl::kPitchWheel or a controller number
  int tag;
};
struct KeyboardRow
{
  IRECT bounds;
  int lowNote;
  int highNote;
  int tag;
};

using Row = std::variant<FrameRow, PanelRow, TextRow, ParamDisplayRow, PresetBrowserRow, ButtonRow,
                         SwitchRow, CyclePanelRow, KnobRow, CaptionRow, EnvelopeRow, DropdownRow,
                         LabelRow, ValueFieldRow, WaveformRow, WheelRow, KeyboardRow>;

// ---- Looks
inline constexpr ParamDisplayLook kParamDisplayLook{
  .presetText = Theme::TextDisplayPreset,
  .categoryText = Theme::TextDisplayPresetCategory,
  .labelText = Theme::TextDisplayLabel,
  .valueText = Theme::TextDisplayValue,
  .frameColor = Theme::ColorFrame,
  .fillColor = Theme::ColorFrameBg,
  .margin = 8.f,
};
inline constexpr KnobLook kKnobLarge{27.f, &Theme::StyleKnobRegular, kKnobStyleFromAnchor, 3.f};
inline constexpr KnobLook kKnobLfo{18.f, &Theme::StyleKnobRegular, kKnobStyleFromAnchor, 2.f};
inline constexpr KnobLook kKnobLfoStepped{18.f, &Theme::StyleKnobRegular, kKnobStyleFromAnchor, 2.f,
                                          plugin::igraphics::kKnobFlagStepped};
inline constexpr KnobLook kKnobOutput{22.f, &Theme::StyleKnobRegular, kKnobStyleFromAnchor, 3.f};
inline constexpr KnobLook kKnobModAmount{13.f, &Theme::StyleKnobSmall, kKnobStyleFromTop, 1.5f};

inline constexpr float kFrameTitleHeight = 21.f;

// ---- Sections, each table in attach order

// The section frames, behind everything else.
inline constexpr Row kFrameRows[] = {
  FrameRow{{12, 42, 491, 325}, "OPERATOR"},
  FrameRow{{503, 42, 763, 159}, "ALGORITHM"},
  FrameRow{{775, 42, 999, 159}, "FILTER"},
  FrameRow{{503, 171, 999, 325}, "MOD ENV"},
  FrameRow{{12, 337, 190, 490}, "LFO"},
  FrameRow{{202, 337, 499, 490}, "MOD MATRIX"},
  FrameRow{{511, 337, 710, 490}, "WAVEFORM"},
  FrameRow{{681, 502, 999, 589}, "", false}, // behind the chorus, pitch and output controls
};

// The top bar, the preset display and browser, and the two buttons beside the browser. Every
// control attached up to here keeps its look when the sound is reset; the operator section and
// all after it follow the parameters.
inline constexpr Row kTopBarRows[] = {
  PanelRow{{0, 0, 1011, 30}, Theme::ColorBackgroundTopBar},
  // The maker's and the product's names side by side, each rectangle holding its word.
  TextRow{{10, 0, 115, 30}, "TESSVOLD", &Theme::TextLogoMaker},
  TextRow{{121, 0, 221, 30}, "PELMORA", &Theme::TextLogoProduct},
  TextRow{{849, 592, 999, 601}, "v2.3.0 VST2", &Theme::TextVersion},
  ParamDisplayRow{{722, 337, 999, 490}, &kParamDisplayLook},
  PresetBrowserRow{{355, 3, 655, 27}, 24.f},
  ButtonRow{{663, 3, 679, 27}, Theme::kGlyphFloppy, EAction::kSavePreset, &Theme::TextIcon},
  ButtonRow{{978, 0, 999, 30}, Theme::kGlyphCog, EAction::kOpenMainMenu, &Theme::TextIcon},
};

// ---- The operator section

// The tab strip on the title bar of the "OPERATOR" frame, and its four tab pictures.
inline constexpr IRECT kTabStripBounds{12, 42, 491, 63};
inline constexpr IRECT kTabPanelArea{12, 63, 491, 63};
inline constexpr IRECT kTabRects[] = {
  {382, 43, 408, 70}, {409, 43, 435, 70}, {436, 43, 462, 70}, {463, 43, 489, 70}};

// One operator's controls besides its waveform menu, label and envelope editor; the operator's
// own parameter (OpParamIndex) and tag (OperatorControlTag) from the slot.
struct OpSwitchRow // the waveform's inversion, pictures in the operator's colour
{
  IRECT bounds;
  EOpParam slot;
};
// Digits dragged one decimal place at a time, zero-padded: intDigits before the point,
// fracDigits after (9 points a digit).
struct OpFieldRow
{
  IRECT bounds;
  EOpParam slot;
  const char* caption;
  double gearing;
  int intDigits;
  int fracDigits;
};
struct OpKnobRow // the large knob look in the operator's colour
{
  IRECT bounds;
  EOpParam slot;
  const char* label;
  EKnobStyle knobStyle;
  bool modArc;
};
using OpRow = std::variant<OpSwitchRow, OpFieldRow, OpKnobRow>;

inline constexpr IRECT kOpWaveformBounds{20, 71, 120, 151};
inline constexpr OpRow kOperatorRows[] = {
  OpSwitchRow{{98, 74, 118, 94}, kOpInverse},
  OpFieldRow{{128, 71, 195, 110}, kOpRatio, "RATIO", 100.0, 2, 4},
  OpFieldRow{{128, 112, 195, 151}, kOpOffset, "OFFSET", 1000.0, 4, 2},
  OpKnobRow{{203, 71, 267, 151}, kOpPhase, "PHASE", kKnobStyleFromAnchor, true},
  OpKnobRow{{275, 71, 339, 151}, kOpVelocityToFreq, "VEL. FREQ", kKnobStyleFromTop, false},
  OpKnobRow{{347, 71, 411, 151}, kOpVelocitySense, "VEL. SENS.", kKnobStyleFromAnchor, false},
  OpKnobRow{{419, 71, 483, 151}, kOpLevel, "LEVEL", kKnobStyleFromAnchor, true},
};
inline constexpr IRECT kOpEnvelopeLabelBounds{20, 169, 483, 190};
inline constexpr IRECT kOpEnvelopeBounds{20, 198, 483, 316};
// The cog over the envelope label: the copy menu of the operator's envelope.
inline constexpr IRECT kOpCopyButtonBounds{20, 169, 41, 190};

// ---- After the operators, in attach order

inline constexpr const char* kFilterTypeTexts[] = {"LP 6",  "LP 12", "LP 18",
                                                   "LP 24", "HP 12", "BP 12"};

// The filter type's caption sits on the "FILTER" title bar, wide enough that its marker never
// touches the widest type's text.
inline constexpr Row kAlgorithmFilterRows[] = {
  SwitchRow{{14, 45, 40, 71},
            plugin::igraphics::kNoParameter,
            pictures::kSwitchLink,
            kTagOperatorLink,
            EAction::kToggleOperatorLink},
  CyclePanelRow{{511, 71, 611, 151}, kParamAlgorithm, kTagAlgorithm, 18.f},
  KnobRow{{619, 71, 683, 151}, kParamFeedback, "FEEDBACK", kTagFeedbackKnob, kKnobLarge, true},
  KnobRow{{691, 71, 755, 151}, kParamFmAmount, "FM AMT", kTagFmAmountKnob, kKnobLarge, true},
  CaptionRow{{921, 43, 997, 62}, kParamFilterType, &Theme::TextValue, false, kFilterTypeTexts},
  KnobRow{{783, 71, 847, 151}, kParamFilterCutoff, "CUTOFF", kTagCutoffKnob, kKnobLarge, true},
  KnobRow{{855, 71, 919, 151}, kParamFilterResonance, "RESO", kTagResonanceKnob, kKnobLarge, true},
  KnobRow{
    {927, 71, 991, 151}, kParamFilterVelocity, "VEL. SENS.", kTagFilterVelocityKnob, kKnobLarge},
};

inline constexpr Row kModEnvelopeRows[] = {
  EnvelopeRow{{511, 200, 991, 317}, kEnvelopeMod, EnvelopeEditorTag(kEnvelopeMod)},
  ButtonRow{{503, 171, 524, 192},
            Theme::kGlyphCog,
            EAction::kOpenCopyMenu,
            &Theme::TextIconSmall,
            plugin::igraphics::DEFAULT_BGCOLOR,
            kEnvelopeMod},
};

// Both rate knobs share one place: the tempo division shows while the LFO is synced, the rate
// in hertz while it runs free.
inline constexpr Row kLfoRows[] = {
  DropdownRow{{20, 366, 120, 446}, kParamLfoWaveform, "WAVEFORM"},
  SwitchRow{
    {28, 464, 62, 494}, kParamLfoSync, pictures::kSwitchSync, kTagLfoSync, EAction::kShowLfoRate},
  SwitchRow{{78, 464, 112, 494}, kParamLfoFree, pictures::kSwitchFree, kTagLfoFree},
  KnobRow{
    {128, 366, 182, 420}, kParamLfoRateDivision, "RATE", kTagLfoRateDivision, kKnobLfoStepped},
  KnobRow{.bounds = {128, 366, 182, 420},
          .param = kParamLfoRateHz,
          .label = "RATE",
          .tag = kTagLfoRateHz,
          .look = kKnobLfo,
          .hidden = true},
  KnobRow{{128, 428, 182, 482}, kParamLfoDelay, "DELAY", kTagLfoDelay, kKnobLfo},
};

// The four modulation slots, one row of controls each from y = 366, 32 points apart: first the
// eight "SOURCE" and "DEST" labels row by row, then per slot its source, amount and destination.
// Each label is as wide as its word at the label text's size.
inline constexpr int kModRowTop = 366;
inline constexpr int kModRowPitch = 32;
constexpr std::array<Row, 5 * kNumModSlots> MakeModMatrixRows()
{
  std::array<Row, 5 * kNumModSlots> rows{};
  size_t n = 0;
  for (int k = 0; k < kNumModSlots; ++k)
  {
    const float y = static_cast<float>(kModRowTop + kModRowPitch * k);
    rows[n++] = TextRow{{208, y, 255, y + 20}, "SOURCE", &Theme::TextLabelLeft};
    rows[n++] = TextRow{{376, y, 406, y + 20}, "DEST", &Theme::TextLabelLeft};
  }
  for (int k = 0; k < kNumModSlots; ++k)
  {
    const float y = static_cast<float>(kModRowTop + kModRowPitch * k);
    const int first = kParamMod1Source + kModSlotStride * k;
    rows[n++] = CaptionRow{{256, y, 340, y + 20}, first, &Theme::TextLabel, true};
    rows[n++] = KnobRow{{348, y - 1, 370, y + 21}, first + 2, "", -1, kKnobModAmount};
    rows[n++] = CaptionRow{{407, y, 491, y + 20}, first + 1, &Theme::TextLabel, true};
  }
  return rows;
}
inline constexpr std::array<Row, 5 * kNumModSlots> kModMatrixRows = MakeModMatrixRows();

inline constexpr Row kWaveformRows[] = {
  WaveformRow{{519, 366, 702, 482}, kTagWaveformPreview},
};

inline constexpr Row kKeyboardRows[] = {
  WheelRow{{12, 502, 32, 589}, plugin::igraphics::IWheelControl::kPitchWheel, kTagPitchWheel},
  WheelRow{{40, 502, 60, 589}, 1, kTagModWheel},
  ButtonRow{{72, 502, 88, 589},
            Theme::kGlyphCaretLeft,
            EAction::kOctaveDown,
            &Theme::TextIcon,
            Theme::ColorFrame},
  ButtonRow{{653, 502, 669, 589},
            Theme::kGlyphCaretRight,
            EAction::kOctaveUp,
            &Theme::TextIcon,
            Theme::ColorFrame},
  KeyboardRow{{88, 502, 653, 589}, kKeyboardLowNote, kKeyboardHighNote, kTagKeyboard},
};

// Chorus, pitch-bend range, mono and the output knobs, in the frame right of the keyboard.
inline constexpr Row kOutputRows[] = {
  SwitchRow{{705, 510, 727, 532}, kParamChorus1, pictures::kSwitchChorusI},
  SwitchRow{{705, 536, 727, 558}, kParamChorus2, pictures::kSwitchChorusII},
  LabelRow{{689, 561, 743, 581}, "CHORUS"},
  ValueFieldRow{{750, 543, 810, 581}, kParamPitchBendRange, "PB RANGE", kTagPitchBendRange, 10.0},
  SwitchRow{{763, 510, 793, 540}, kParamMono, pictures::kSwitchMono},
  KnobRow{{813, 510, 867, 581}, kParamPitchDrift, "DRIFT", -1, kKnobOutput},
  KnobRow{{875, 510, 929, 581}, kParamGlideTime, "GLIDE", -1, kKnobOutput},
  KnobRow{{937, 510, 991, 581}, kParamGain, "GAIN", -1, kKnobOutput},
};

// ---- The menus

// Main-menu item tags; the UI-size items carry kTagScaleFirst + their index.
inline constexpr int kMenuInitPreset = 0;
inline constexpr int kMenuSavePreset = 4;
inline constexpr int kMenuToggleKeyboard = 8;
inline constexpr int kMenuOpenManual = 9;
inline constexpr int kMenuScaleFirst = 10;

struct ScaleItem
{
  const char* text;
  float scale;
};
inline constexpr ScaleItem kScaleItems[] = {{"80%", 0.8f},   {"90%", 0.9f},   {"100%", 1.f},
                                            {"110%", 1.1f},  {"125%", 1.25f}, {"150%", 1.5f},
                                            {"175%", 1.75f}, {"200%", 2.f}};
inline constexpr int kDefaultScaleItem = 2; // "100%"

// Where each menu opens (an empty rectangle at that point).
inline constexpr float kMainMenuX = 978.f, kMainMenuY = 30.f;
inline constexpr float kOpCopyMenuX = 20.f, kOpCopyMenuY = 190.f;
inline constexpr float kModCopyMenuX = 503.f, kModCopyMenuY = 192.f;

} // namespace pelmora::layout
