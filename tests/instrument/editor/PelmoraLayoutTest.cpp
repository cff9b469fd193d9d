// The instrument's whole editor, opened headless (EGL on Mesa): every control at its place with
// its tag and parameter, the window's size from the settings, the menus and what they do, the
// envelope copy menus, the octave buttons, the tabs, the hover texts and the preset browser.

#include "framework/graphics/controls/IPopupMenuControl.h"
#include "framework/graphics/platforms/linux/IGraphicsLinux.h"
#include "instrument/Pelmora.h"
#include "instrument/editor/PelmoraEditor.h"
#include "instrument/editor/controls/IPictureSelectorControls.h"
#include "instrument/editor/controls/ITVCaptionControl.h"
#include "instrument/editor/controls/ITabStripControl2.h"
#include "instrument/editor/controls/IVMultistageEnvelopeControl.h"
#include "instrument/editor/controls/IVTVDiskPresetManagerControl.h"
#include "instrument/editor/controls/IVTVKeyboardControl.h"
#include "instrument/editor/controls/IVTVKnobControl.h"
#include "instrument/editor/controls/IValueMouseDragControl.h"
#include "instrument/editor/controls/IWheelControl.h"
#include "instrument/editor/controls/TextFit.h"
#include "tests/framework/graphics/platforms/linux/ContactSheet.h"
#include "tests/instrument/editor/OpenEditorSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

using namespace plugin::igraphics;
using pelmora::test::OpenEditor;
using pelmora::test::QuietHost;
using pelmora::test::SupportPath;

namespace
{

// The largest difference of any channel between two frames of one size.
int WorstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
  int worst = 0;
  for (size_t i = 0; i < a.size(); ++i)
    worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
  return worst;
}

struct Placed
{
  int tag;
  IRECT bounds;
  int param;
};

} // namespace

TEST(EditorLayout, AttachesEveryControlAtItsPlaceWithItsTagAndParameter)
{
  OpenEditor e;
  ASSERT_TRUE(e.open);
  EXPECT_EQ(e.g->Width(), 1011);
  EXPECT_EQ(e.g->Height(), 601);
  // The background, 8 frames, 11 top-bar controls (the browser's three buttons among them);
  // 4 x 10 operator controls, 4 copy buttons, the tab strip; link, algorithm with its two
  // arrows, 5 knobs and the filter caption; 2 mod-envelope, 6 LFO, 20 matrix, the preview, 5 in
  // the keyboard row and 8 right of it.
  EXPECT_EQ(e.g->GetControlIdx(&e.Tagged(OperatorControlTag(kOpA, kOpWaveform))), 20);
  EXPECT_EQ(e.g->NControls(), 117);
  const Placed placed[] = {
    {kTagOperatorTabs, {12, 42, 491, 63}, -1},
    {OperatorControlTag(kOpA, kOpWaveform), {20, 71, 120, 151}, 0},
    {OperatorControlTag(kOpB, kOpInverse), {98, 74, 118, 94}, 9},
    {OperatorControlTag(kOpB, kOpRatio), {128, 71, 195, 110}, 10},
    {EnvelopeEditorTag(kEnvelopeOpC), {20, 198, 483, 316}, -1},
    {OperatorControlTag(kOpD, kOpLevel), {419, 71, 483, 151}, 31},
    {kTagOperatorLink, {14, 45, 40, 71}, -1},
    {kTagAlgorithm, {511, 71, 611, 151}, 32},
    {kTagCutoffKnob, {783, 71, 847, 151}, 36},
    {EnvelopeEditorTag(kEnvelopeMod), {511, 200, 991, 317}, -1},
    {kTagLfoSync, {28, 464, 62, 494}, 42},
    {kTagLfoRateDivision, {128, 366, 182, 420}, 41},
    {kTagLfoRateHz, {128, 366, 182, 420}, 40},
    {kTagLfoDelay, {128, 428, 182, 482}, 44},
    {kTagWaveformPreview, {519, 366, 702, 482}, -1},
    {kTagPitchWheel, {12, 502, 32, 589}, -1},
    {kTagModWheel, {40, 502, 60, 589}, -1},
    {kTagKeyboard, {88, 502, 653, 589}, -1},
  };
  for (const Placed& p : placed)
  {
    const IControl* pControl = e.g->GetControlWithTag(p.tag);
    ASSERT_NE(pControl, nullptr) << p.tag;
    EXPECT_EQ(pControl->GetRECT(), p.bounds) << p.tag;
    EXPECT_EQ(pControl->GetParamIdx(), p.param) << p.tag;
  }
  std::set<int> bound;
  for (int i = 0; i < e.g->NControls(); ++i)
    bound.insert(e.g->GetControl(i)->GetParamIdx());
  for (int p = 0; p < 64; ++p)
    EXPECT_TRUE(bound.count(p)) << "no control for parameter " << p;
  // Operator A's tab; the synced LFO shows its division knob.
  EXPECT_FALSE(e.Tagged(OperatorControlTag(kOpA, kOpWaveform)).IsHidden());
  EXPECT_TRUE(e.Tagged(OperatorControlTag(kOpB, kOpWaveform)).IsHidden() &&
              e.Tagged(OperatorControlTag(kOpC, kOpWaveform)).IsHidden() &&
              e.Tagged(EnvelopeEditorTag(kEnvelopeOpD)).IsHidden());
  EXPECT_FALSE(e.Tagged(kTagLfoRateDivision).IsHidden());
  EXPECT_TRUE(e.Tagged(kTagLfoRateHz).IsHidden());
  // No preset on disk: the unnamed sound shows the program's name.
  EXPECT_STREQ(e.plug->GetPresetName(), "");
  EXPECT_STREQ(dynamic_cast<ITextControl&>(*e.g->GetMouseControl(505, 15, false)).GetStr(),
               "Init"); // the preset browser's name button
  EXPECT_STREQ(e.Display().GetPresetName(), "Init");
}

TEST(EditorLayout, EveryControlDrivesItsParameterShowsItOnHoverAndFollowsTheHost)
{
  OpenEditor e;
  ASSERT_TRUE(e.open);
  for (int i = 0; i < e.g->NControls(); ++i)
  {
    IControl& control = *e.g->GetControl(i);
    const int p = control.GetParamIdx();
    if (p < 0)
      continue;
    if (!control.IsHidden()) // the pointer over it shows its parameter in the preset display
    {
      e.g->OnMouseOver(control.GetRECT().MW(), control.GetRECT().MH(), IMouseMod());
      EXPECT_STREQ(e.Display().GetParamLabel(), e.plug->GetParam(p)->GetName()) << "control " << i;
    }
    const double target = e.plug->GetParam(p)->GetNormalized() < 0.5 ? 1.0 : 0.0;
    control.SetValue(target);
    control.SetDirty(true);
    EXPECT_DOUBLE_EQ(e.plug->GetParam(p)->GetNormalized(), target) << "control " << i;
    e.plug->SendParameterValueFromDelegate(p, 1.0 - target, true);
    EXPECT_DOUBLE_EQ(control.GetValue(), 1.0 - target) << "control " << i;
  }
}

TEST(EditorLayout, TheStoredScaleIsCheckedAndTheMainMenuResizesTogglesAndSaves)
{
  for (const char* scale : {"0.800000", "0.900000", "1.100000", "1.300000"})
  {
    OpenEditor e((std::string("[settings]\nscale=") + scale + "\nshowkeyboard=0\n\n").c_str());
    ASSERT_TRUE(e.open);
    EXPECT_EQ(e.g->Height(), 502);
    EXPECT_FLOAT_EQ(e.g->GetDrawScale(), std::stof(scale));
    const int checked = scale[2] == '8' ? 0 : scale[2] == '9' ? 1 : scale[2] == '1' ? 3 : 2;
    IPopupMenu& sizes = *e.MainMenu().GetItem(4)->GetSubmenu(); // "UI Size"
    for (int i = 0; i < sizes.NItems(); ++i)
      EXPECT_EQ(sizes.GetItem(i)->GetChecked(), i == checked) << scale << " item " << i;
  }

  OpenEditor e("[settings]\nscale=1.000000\nshowkeyboard=1\n\n");
  IPopupMenu& main = e.MainMenu();
  IPopupMenu& sizes = *main.GetItem(4)->GetSubmenu();
  std::string items;
  for (int i = 0; i < main.NItems(); ++i)
    items += std::string(main.GetItem(i)->GetText()) + "/" +
             std::to_string(main.GetItem(i)->GetTag()) + " ";
  EXPECT_EQ(items, "Init Preset/0 /-1 Save Preset.../4 /-1 UI Size/-1 /-1 Toggle Keyboard/8 /-1 "
                   "Open User Manual/9 ");
  e.Choose(sizes, 14); // "125%"
  EXPECT_FLOAT_EQ(e.g->GetDrawScale(), 1.25f);
  EXPECT_EQ(e.g->WindowWidth(), 1264); // 1263.75, rounded up
  EXPECT_TRUE(sizes.GetItem(4)->GetChecked());
  EXPECT_FALSE(sizes.GetItem(2)->GetChecked());
  EXPECT_EQ(testsupport::ReadFile(SupportPath("settings.ini")),
            "[settings]\nscale=1.250000\nshowkeyboard=1\n\n");
  e.Choose(main, 8); // "Toggle Keyboard"
  EXPECT_EQ(e.g->Height(), 502);
  EXPECT_EQ(testsupport::ReadFile(SupportPath("settings.ini")),
            "[settings]\nscale=1.250000\nshowkeyboard=0\n\n");
  e.Choose(main, 8);
  EXPECT_EQ(e.g->Height(), 601);

  // A menu answered without a chosen item, or no menu at all, does nothing.
  testsupport::WriteFile(SupportPath("settings.ini"), "untouched");
  main.SetChosenItemIdx(-1);
  main.ExecFunction();
  main.GetFunction()(nullptr);
  e.MenuOpenedBy(30, 179).GetFunction()(nullptr); // operator A's copy menu
  EXPECT_EQ(testsupport::ReadFile(SupportPath("settings.ini")), "untouched");
}

// Without the keyboard the window ends where the keyboard row begins: nothing of that row (the
// keys' top edge) reaches the window's last pixel row, at either display scale; with the
// keyboard back, its row is shown again.
TEST(EditorLayout, AHiddenKeyboardLeavesNothingOnTheLastPixelRow)
{
  OpenEditor e("[settings]\nscale=1.000000\nshowkeyboard=0\n\n");
  ASSERT_TRUE(e.open) << "no headless OpenGL context";
  IGraphicsLinux& ui = *e.g;
  for (float scale : {1.f, 2.f})
  {
    ui.SetScreenScale(scale);
    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
    ASSERT_TRUE(ui.RenderFrame() && ui.ReadFrame(rgba, w, h));
    ASSERT_EQ(h, static_cast<int>(502 * scale));
    // The background's gradient runs top to bottom, and no frame reaches the last row: that row
    // is one colour from edge to edge.
    const uint8_t* row = &rgba[static_cast<size_t>(h - 1) * static_cast<size_t>(w) * 4];
    int differing = 0;
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c)
        differing += std::abs(row[4 * x + c] - row[c]) > 2;
    EXPECT_EQ(differing, 0) << "scale " << scale;
  }
  e.Choose(e.MainMenu(), 8); // "Toggle Keyboard"
  for (int tag : {kTagPitchWheel, kTagModWheel, kTagKeyboard})
    EXPECT_FALSE(e.Tagged(tag).IsHidden()) << tag;
}

// The first editor fits every envelope into view; zoom and scroll then stay as the user left
// them when the editor is closed and opened again.
TEST(EditorLayout, EnvelopeViewsAreFittedFirstAndKeptAcrossReopening)
{
  OpenEditor e;
  ASSERT_TRUE(e.open);
  auto envelope = [&](int which) -> IVMultistageEnvelopeControl&
  {
    return static_cast<IVMultistageEnvelopeControl&>(
      *e.plug->GetUI()->GetControlWithTag(EnvelopeEditorTag(which)));
  };
  std::vector<std::pair<float, float>> left;
  for (int which = 0; which < kNumEnvelopes; ++which)
  {
    IVMultistageEnvelopeControl& env = envelope(which);
    const auto& points = env.GetCoords();
    EXPECT_NEAR(points.back().x - points.front().x, 0.95f * env.GetGraphRECT().W(), 0.01f) << which;
    // Each one zoomed and scrolled its own way: the ones in view with the pointer, as a user
    // does, those of the hidden operator tabs directly.
    const IRECT graph = env.GetGraphRECT();
    if (which == kEnvelopeOpA || which == kEnvelopeMod)
    {
      const float x = graph.MW() - 40.f, y = graph.MH();
      e.g->OnMouseWheel(x, y, IMouseMod(), 1.f + which);
      e.g->OnMouseDown({IMouseInfo{x, y, 0.f, 0.f, IMouseMod(true)}});
      e.g->OnMouseDrag({IMouseInfo{x - 30.f, y, -30.f, 0.f, IMouseMod(true)}});
      e.g->OnMouseUp({IMouseInfo{x - 30.f, y, 0.f, 0.f, IMouseMod(true)}});
    }
    else
    {
      env.SetView({0.5f + 0.1f * which, 20.f});
    }
    left.emplace_back(env.GetTimeScale(), env.GetTimeOffset());
    EXPECT_GT(env.GetTimeOffset(), 0.f) << which;
  }
  for (int reopen = 0; reopen < 2; ++reopen)
  {
    e.plug->CloseWindow();
    ASSERT_NE(e.plug->OpenWindow(nullptr), nullptr);
    for (int which = 0; which < kNumEnvelopes; ++which)
    {
      EXPECT_EQ(envelope(which).GetTimeScale(), left[which].first) << which;
      EXPECT_EQ(envelope(which).GetTimeOffset(), left[which].second) << which;
    }
  }
  // A sound loaded while no editor is open is fitted again by the next one.
  e.plug->CloseWindow();
  e.plug->InitPreset();
  ASSERT_NE(e.plug->OpenWindow(nullptr), nullptr);
  EXPECT_EQ(envelope(kEnvelopeMod).GetTimeOffset(), 0.f);
  EXPECT_NE(envelope(kEnvelopeMod).GetTimeScale(), left[kEnvelopeMod].first);
}

// Every knob's label, every text of an envelope's read-out and every parameter's name and value
// in the parameter display fits its box, at every UI size: the text is measured as the context
// lays it out at that size, in the size the control draws it at, which is never far below the
// style's. (The captions' texts are checked in the drawn pixels, EditorPixelsTest.cpp.)
TEST(EditorLayout, EveryReadOutAndParameterTextFitsItsBoxAtEveryUISize)
{
  OpenEditor e;
  ASSERT_TRUE(e.open) << "no headless OpenGL context";
  IGraphicsLinux& ui = *e.g;
  using Envelope = IVMultistageEnvelopeControl;
  const auto& envelope = static_cast<Envelope&>(e.Tagged(EnvelopeEditorTag(kEnvelopeOpA)));
  auto fits = [&](const IText& style, const char* str, const IRECT& box, const IText& drawn)
  {
    IRECT measured;
    const float width = e.g->MeasureText(drawn, str, measured);
    EXPECT_LE(width, box.W()) << "'" << str << "' at " << e.g->GetDrawScale();
    EXPECT_GE(drawn.mSize, 0.75f * style.mSize) << "'" << str << "' at " << e.g->GetDrawScale();
  };
  for (const pelmora::layout::ScaleItem& item : pelmora::layout::kScaleItems)
  {
    e.plug->Resize(item.scale);
    ASSERT_TRUE(ui.RenderFrame()); // the context measures at the frame's scale
    for (int i = 0; i < e.g->NControls(); ++i)
    {
      // The knobs' labels ("VEL. SENS." ...).
      if (auto* pKnob = dynamic_cast<IVTVKnobControl*>(e.g->GetControl(i));
          pKnob && pKnob->GetStyle().showLabel && pKnob->GetLabelBounds().H() > 0.f)
      {
        const IText& style = pKnob->GetStyle().labelText;
        fits(style, pKnob->GetLabelStr(), pKnob->GetLabelBounds(), style);
      }
    }
    char str[16];
    for (int row : {0, 2})
    {
      const char* caption = row == 0 ? "LEVEL" : "TIME";
      const IRECT box = envelope.GetReadOutRowBounds(row);
      fits(IText(14.f, COLOR_WHITE), caption, box,
           Envelope::ReadOutText(*e.g, caption, box, COLOR_WHITE));
    }
    for (float level : {0.f, 0.5f, 1.f})
    {
      Envelope::FormatReadOutLevel(level, str, sizeof(str));
      const IRECT box = envelope.GetReadOutRowBounds(1);
      fits(IText(14.f, COLOR_WHITE), str, box, Envelope::ReadOutText(*e.g, str, box, COLOR_WHITE));
    }
    for (float ms : {0.68f, 4.5f, 99.f, 999.f, 1000.f, 4999.6f, 5000.f})
    {
      Envelope::FormatReadOutTime(ms, str, sizeof(str));
      const IRECT box = envelope.GetReadOutRowBounds(3);
      fits(IText(14.f, COLOR_WHITE), str, box, Envelope::ReadOutText(*e.g, str, box, COLOR_WHITE));
    }
    // Names, and the values at the ends, the default, the middle and every step of a list.
    IParamDisplayControl& display = e.Display();
    for (int i = 0; i < kNumParams; ++i)
    {
      plugin::IParam* pParam = e.plug->GetParam(i);
      const double before = pParam->Value(), lo = pParam->GetMin(), hi = pParam->GetMax();
      std::vector<double> values = {lo, hi, pParam->GetDefault(), 0.5 * (lo + hi)};
      for (int k = 0; k < pParam->NDisplayTexts(); ++k)
        values.push_back(lo + k);
      for (double value : values)
      {
        pParam->Set(value);
        e.plug->GetEditorControls().ShowParameter(i);
        fits(Pelmora::TextDisplayLabel, display.GetParamLabel(), display.GetLabelRECT(),
             display.GetShownLabelText(*e.g));
        fits(Pelmora::TextDisplayValue, display.GetParamValue(), display.GetValueRECT(),
             display.GetShownValueText(*e.g));
      }
      pParam->Set(before);
    }
  }
}

TEST(EditorLayout, CopyMenusCopyTheEnvelopeAndRefreshItsEditors)
{
  OpenEditor e;
  ASSERT_TRUE(e.open);
  GlobalParams& model = e.plug->GetGlobalParams();
  model.GetEnvelope(kEnvelopeOpA)
    ->Edit([](EnvelopeParameter& envelope) { envelope.SetStage(1, 1.f, 0.25f, 1234.f); });
  const auto shown = [&e](int envelope)
  {
    const auto& editor =
      dynamic_cast<IVMultistageEnvelopeControl&>(e.Tagged(EnvelopeEditorTag(envelope)));
    return editor.GetShownEnvelope().Stage(1).mEndLevel;
  };
  e.Choose(e.MenuOpenedBy(30, 179), 4); // operator A's cog: to all operator envelopes
  for (int envelope : {kEnvelopeOpB, kEnvelopeOpC, kEnvelopeOpD})
  {
    EXPECT_FLOAT_EQ(model.GetEnvelope(envelope)->Get().Stage(1).mEndLevel, 0.25f) << envelope;
    EXPECT_FLOAT_EQ(shown(envelope), 0.25f) << "editor of hidden tab " << envelope;
  }
  EXPECT_NE(shown(kEnvelopeMod), 0.25f);
  e.Click(pelmora::layout::kTabRects[kOpC].MW(), 52);
  e.Choose(e.MenuOpenedBy(30, 179), 13); // "Copy C to Mod Env"
  EXPECT_FLOAT_EQ(shown(kEnvelopeMod), 0.25f);
}

TEST(EditorLayout, OctaveButtonsTabsAndHoverWorkThroughThePointer)
{
  OpenEditor e;
  ASSERT_TRUE(e.open);
  auto& keyboard = dynamic_cast<IVTVKeyboardControl&>(e.Tagged(kTagKeyboard));
  for (int i = 0; i < 4; ++i)
    e.Click(80, 545);
  EXPECT_EQ(keyboard.GetMinNote(), 0);
  EXPECT_EQ(keyboard.GetMaxNote(), 48);
  for (int i = 0; i < 7; ++i)
    e.Click(661, 545);
  EXPECT_EQ(keyboard.GetMinNote(), 72);
  EXPECT_EQ(keyboard.GetMaxNote(), 120);

  // Every tab, A last: its level knob takes the pointer where the others' were; theirs neither
  // draw nor are hit.
  for (int op : {1, 2, 3, 0})
  {
    e.Click(pelmora::layout::kTabRects[op].MW(), 52);
    for (int other = 0; other < 4; ++other)
      EXPECT_EQ(e.Tagged(OperatorControlTag(other, kOpLevel)).IsHidden(), other != op)
        << "tab " << op << ", level of " << other;
    EXPECT_EQ(e.g->GetMouseControlIdx(451, 111),
              e.g->GetControlIdx(&e.Tagged(OperatorControlTag(op, kOpLevel))))
      << "tab " << op;
    EXPECT_FALSE(e.Tagged(EnvelopeEditorTag(op)).IsHidden()) << "tab " << op;
  }

  e.g->OnMouseOver(815, 100, IMouseMod());
  EXPECT_STREQ(e.Display().GetParamLabel(), "Filter Cutoff");
  EXPECT_STREQ(e.Display().GetParamValue(), "20000 Hz");
  e.g->OnMouseOver(27, 58, IMouseMod());
  EXPECT_STREQ(e.Display().GetParamLabel(), "Operator Link");
  EXPECT_STREQ(e.Display().GetParamValue(), "Off");
  e.Click(27, 58);
  EXPECT_TRUE(e.plug->GetOperatorLink());
  // A new editor shows the link as it is.
  e.plug->CloseWindow();
  ASSERT_NE(e.plug->OpenWindow(nullptr), nullptr);
  EXPECT_EQ(e.plug->GetUI()->GetControlWithTag(kTagOperatorLink)->GetValue(), 1.0);
}

TEST(EditorLayout, ThePresetBrowserLoadsAChoiceFromTheSupportFolder)
{
  {
    testsupport::TempDir::RunQuietly("mkdir -p '" + SupportPath("Presets/Lead") + "'");
    Pelmora maker(plugin::Vst2InstanceInfo(QuietHost));
    maker.GetParam(kParamGain)->Set(-6.0);
    ASSERT_TRUE(maker.SavePreset(SupportPath("Presets/Lead/Bright.preset").c_str()));
  }
  OpenEditor e;
  ASSERT_TRUE(e.open);
  // The preset's name opens the menu; the in-window menu answers with the chosen submenu.
  IPopupMenu& lead = *e.MenuOpenedBy(505, 15).GetItem(0)->GetSubmenu();
  EXPECT_STREQ(lead.GetItem(0)->GetText(), "Bright");
  lead.SetChosenItemIdx(0);
  e.g->SetControlValueAfterPopupMenu(&lead);
  EXPECT_STREQ(e.plug->GetPresetName(), "Bright");
  EXPECT_DOUBLE_EQ(e.plug->GetParam(kParamGain)->Value(), -6.0);
  EXPECT_STREQ(e.Display().GetPresetCategory(), "Lead");
  testsupport::TempDir::RunQuietly("rm -rf '" + SupportPath("Presets") + "'");
}

TEST(EditorLayout, AKnobDragRedrawsOnlyTheKnobAndTheParameterDisplay)
{
  OpenEditor e;
  ASSERT_TRUE(e.open);
  e.g->OnMouseDown({IMouseInfo{815, 111, 0.f, 0.f, IMouseMod(true)}}); // "CUTOFF"
  e.g->SetAllControlsClean();
  e.g->OnMouseDrag({IMouseInfo{815, 112, 0.f, 1.f, IMouseMod(true)}});
  const std::vector<const IControl*> dirty = e.Dirty();
  EXPECT_EQ(std::set<const IControl*>(dirty.begin(), dirty.end()),
            (std::set<const IControl*>{&e.Tagged(kTagCutoffKnob), &e.Display()}));
  e.g->OnMouseUp({IMouseInfo{815, 112, 0.f, 0.f, IMouseMod(true)}});
}

// Frames that redraw only their dirty regions (a knob turned, the preset display's value row,
// then its name rows for another parameter) leave exactly what a whole redraw draws.
TEST(EditorLayout, DirtyRegionFramesLeaveWhatAWholeRedrawDraws)
{
  OpenEditor e;
  ASSERT_TRUE(e.open);
  IGraphicsLinux& g = *e.g;
  g.OnTick();
  std::vector<uint8_t> partial, whole;
  int w = 0, h = 0;
  auto expectWhole = [&](const char* step)
  {
    g.OnTick();
    ASSERT_TRUE(g.ReadFrame(partial, w, h));
    ASSERT_TRUE(g.RenderFrame());
    ASSERT_TRUE(g.ReadFrame(whole, w, h));
    EXPECT_LE(WorstDifference(partial, whole), 2) << step;
  };
  g.OnMouseOver(815, 100, IMouseMod()); // "CUTOFF"
  expectWhole("hover");
  g.OnMouseDown({IMouseInfo{815, 100, 0.f, 0.f, IMouseMod(true)}});
  for (float dy : {-3.f, -40.f, 25.f})
  {
    g.OnMouseDrag({IMouseInfo{815, 100, 0.f, dy, IMouseMod(true)}});
    expectWhole("drag");
  }
  g.OnMouseUp({IMouseInfo{815, 100, 0.f, 0.f, IMouseMod(true)}});
  g.OnMouseOver(885, 100, IMouseMod()); // "RESO"
  expectWhole("another knob");
}

// A pointer swept over the whole editor redraws a control only when its look changes: every
// control a hover step marks dirty shows changed pixels outside the other dirty controls. And a
// control that does show the pointer is redrawn: hovered, each looks as when drawn afresh.
TEST(EditorLayout, AHoverRedrawsOnlyWhatItChangesOnScreen)
{
  OpenEditor e;
  ASSERT_TRUE(e.open);
  IGraphicsLinux& g = *e.g;
  g.OnTick();
  std::vector<uint8_t> before, after;
  int w = 0, h = 0;
  ASSERT_TRUE(g.ReadFrame(before, w, h));
  const float scale = g.GetBackingPixelScale();
  // The pixel rectangle of a control, clipped to the frame.
  auto pixels = [&](const IControl& c)
  {
    const IRECT r = c.GetRECT();
    return IRECT(std::clamp(std::floor(r.L * scale), 0.f, float(w)),
                 std::clamp(std::floor(r.T * scale), 0.f, float(h)),
                 std::clamp(std::ceil(r.R * scale), 0.f, float(w)),
                 std::clamp(std::ceil(r.B * scale), 0.f, float(h)));
  };
  std::vector<std::string> silent;
  for (float y = 4.f; y < g.Height(); y += 19.f)
    for (float x = 2.f; x < g.Width(); x += 5.f)
    {
      g.OnMouseOver(x, y, IMouseMod());
      const std::vector<const IControl*> dirty = e.Dirty();
      if (dirty.empty())
        continue;
      g.OnTick();
      ASSERT_TRUE(g.ReadFrame(after, w, h));
      for (const IControl* pControl : dirty)
      {
        const IRECT r = pixels(*pControl);
        bool changed = false, covered = true;
        for (int py = int(r.T); py < int(r.B) && !changed; ++py)
          for (int px = int(r.L); px < int(r.R) && !changed; ++px)
          {
            bool inOther = false;
            for (const IControl* pOther : dirty)
              inOther = inOther || (pOther != pControl && pixels(*pOther).Contains(px, py));
            if (inOther)
              continue;
            covered = false;
            const size_t at = (size_t(py) * w + px) * 4;
            changed = std::memcmp(&before[at], &after[at], 4) != 0;
          }
        if (!changed && !covered && silent.size() < 8)
          silent.push_back(std::string(typeid(*pControl).name()) + " " +
                           std::to_string(g.GetControlIdx(pControl)) + " at " +
                           std::to_string(int(x)) + "," + std::to_string(int(y)));
      }
      before.swap(after);
    }
  for (int i = 1; i < g.NControls(); ++i)
  {
    IControl* pControl = g.GetControl(i);
    const IRECT r = pControl->GetRECT();
    if (pControl->IsHidden() || g.GetMouseControlIdx(r.MW(), r.MH()) != i)
      continue;
    g.OnMouseOver(r.MW(), r.MH(), IMouseMod());
    g.OnTick();
    ASSERT_TRUE(g.ReadFrame(before, w, h));
    pControl->SetDirty(false);
    g.OnTick();
    ASSERT_TRUE(g.ReadFrame(after, w, h));
    EXPECT_LE(WorstDifference(after, before), 2)
      << typeid(*pControl).name() << " " << i << " hovered";
  }
  std::string all;
  for (const std::string& one : silent)
    all += one + "; ";
  EXPECT_TRUE(silent.empty()) << "redrawn with no visible change: " << all;
}

// ---- The contact sheet (editor-contact-sheet.png in the test's build folder): per scale, the
// whole editor with a varied sound, then the states the editor does not show at once.

namespace
{

using namespace plugin::igraphics::test;
using plugin::IMidiMsg;
using plugin::IParam;

// Parameter values shown (in each parameter's own units): the mod matrix's slots send the LFO
// to operator A's level, the envelope to the cutoff and the wheel to the FM amount.
const std::pair<int, double> kValues[] = {
  {0, 2},  {2, 1.5}, {3, 12.5}, {4, 45}, {6, 70},  {7, 80},   {32, 3}, {33, 35}, {34, 60},
  {35, 3}, {36, 60}, {37, 25},  {39, 4}, {41, 5},  {44, 20},  {45, 2}, {46, 1},  {47, 30},
  {48, 1}, {49, 11}, {50, 40},  {51, 3}, {52, 10}, {53, -25}, {57, 1}, {59, 2},  {62, 20}};

// Other operators' knobs and fields (B disabled, C hovered, D with its label on top), operator
// C's tab selected, a hovered caption, a message in the preset display, and the wheels at the
// bottom, the middle and the top in both looks.
void LayoutStates(IGraphics& g, TestDelegate& delegate)
{
  for (int i = 0; i < kNumParams; ++i)
    InitParamFromSpec(*delegate.GetParam(i), i);
  for (const auto& [idx, value] :
       {std::pair{10, 2.0}, {12, 90.0}, {19, 440.0}, {20, 120.0}, {26, 0.5}, {28, 60.0}, {45, 2.0}})
    delegate.GetParam(idx)->Set(value);
  g.AttachPanelBackground(IPattern(Pelmora::ColorBackground1));
  g.AttachControl(new IFrameLabelControl(IRECT(12, 12, 491, 178), "OPERATOR",
                                         Pelmora::TextFrameLabel, 21.f, Pelmora::ColorFrame,
                                         Pelmora::ColorFrameBg));
  auto* pStrip = new ITabStripControl2(IRECT(12, 12, 491, 33));
  for (int op = 0; op < 4; ++op)
  {
    const float x = 382.f + 27.f * static_cast<float>(op);
    const ISVG on = g.LoadSVG(pelmora::pictures::TabPicture(op, true).Name());
    const ISVG off = g.LoadSVG(pelmora::pictures::TabPicture(op, false).Name());
    EXPECT_TRUE(on.IsValid() && off.IsValid()) << "tab pictures of operator " << op;
    pStrip->AddTab(new ITabPanel(Pelmora::ColorFrameBg, IRECT(12, 33, 491, 33)), on, off,
                   IRECT(x, 13, x + 26, 40));
  }
  pStrip->SelectTab(2);
  g.AttachControl(pStrip);
  const IVStyle* knobStyles[] = {&Pelmora::StyleKnobRegularB, &Pelmora::StyleKnobRegularC,
                                 &Pelmora::StyleKnobRegularD};
  const IVStyle* fieldStyles[] = {&Pelmora::StyleMouseDragFloatB, &Pelmora::StyleMouseDragFloatC,
                                  &Pelmora::StyleMouseDragFloatD};
  for (int i = 0; i < 3; ++i)
  {
    const float x = 20.f + 75.f * static_cast<float>(i), kx = 250.f + 62.f * static_cast<float>(i);
    const pelmora::layout::FieldLook fieldLook{.style = fieldStyles[i],
                                               .valueIsEditable = true,
                                               .gearing = 100.0,
                                               .intDigits = 2 + 2 * (i % 2),
                                               .fracDigits = 4 - 2 * (i % 2)};
    g.AttachControl(
      pelmora::editor::MakeDigitField(IRECT(x, 60, x + 67, 99), i == 2 ? 26 : 10 + 9 * i,
                                      i == 1 ? "OFFSET" : "RATIO", fieldLook, nullptr));
    const char* const labels[] = {"DISABLED", "HOVER", "TOP"};
    const pelmora::layout::KnobLook look{.radius = 22.f,
                                         .style = knobStyles[i],
                                         .knobStyle = kKnobStyleFromAnchor,
                                         .arcThickness = 3.f,
                                         .labelOnTop = i == 2};
    IVTVKnobControl* pKnob =
      pelmora::editor::MakeKnob(IRECT(kx, 60, kx + 54, 131), 12 + 8 * i, labels[i], look, nullptr);
    g.AttachControl(pKnob);
    pKnob->SetDisabled(i == 0);
    if (i == 1)
      pKnob->OnMouseOver(kx + 27, 90, IMouseMod());
  }
  g.AttachControl(new ITVCaptionControl(IRECT(20, 140, 104, 160), 45, nullptr, Pelmora::TextLabel,
                                        Pelmora::ColorValueBackground, true, {},
                                        Pelmora::ColorLabelForeground, COLOR_WHITE))
    ->OnMouseOver(60, 150, IMouseMod());
  IParamDisplayControl* pDisplay =
    pelmora::editor::MakeParamDisplay(IRECT(503, 12, 780, 165), pelmora::layout::kParamDisplayLook);
  pDisplay->SetPreset("Init", "Init");
  pDisplay->ShowMessage("The manual \"Pelmora Manual.pdf\" is not in the support folder.");
  g.AttachControl(pDisplay);
  for (int i = 0; i < 6; ++i)
  {
    const float x = 800.f + 32.f * static_cast<float>(i);
    const IRECT r(x, 40, x + 20, 127);
    IWheelControl* pWheel =
      i < 3 ? new IVTVWheelControl(r, 1) : new IWheelControl(r.GetPadded(8.f), 1);
    pWheel->SetValue(0.5 * (i % 3));
    g.AttachControl(pWheel);
  }
  g.ForStandardControlsFunc(
    [](IControl& control)
    {
      if (const IParam* pParam = control.GetParam())
        control.SetValueFromDelegate(pParam->GetNormalized());
    });
}

// The colour top shows at its alpha over below.
IColor Over(IColor top, int alpha, const IColor& below)
{
  const float a = static_cast<float>(alpha) / 255.f;
  auto mix = [a](int t, int b)
  {
    return static_cast<int>(std::lround(a * t + (1.f - a) * b));
  };
  return IColor(255, mix(top.R, below.R), mix(top.G, below.G), mix(top.B, below.B));
}

// A few pixels of the whole editor, in points: the tracks, pictures, digits and lines in their
// colours, the keys, the envelope's read-out and area, the frames, the browser and the display.
void ExpectEditorPixels(ContactSheet& sheet, OpenEditor& e)
{
  using Envelope = IVMultistageEnvelopeControl;
  // The phase knob's track, halfway from the anchor to its value (45 of 0..180).
  const IRECT& w =
    static_cast<IVTVKnobControl&>(e.Tagged(OperatorControlTag(0, kOpPhase))).GetWidgetBounds();
  const float angle = -101.25f * 3.14159265f / 180.f, radius = 0.72f * 27.f + 3.f;
  const float x = w.MW() + radius * std::sin(angle), y = w.MH() - radius * std::cos(angle);
  EXPECT_TRUE(sheet.Finds(IRECT(x - 1, y - 1, x + 1, y + 1), Pelmora::ColorA, 30)) << "phase";
  const auto& waves =
    static_cast<IDropdownPanelControl&>(e.Tagged(OperatorControlTag(kOpA, kOpWaveform)));
  EXPECT_TRUE(sheet.Finds(waves.GetPictureBounds(), Pelmora::ColorPanel, 40, true)) << "wave";
  const auto& ratio =
    static_cast<IFloatValueMouseDragControl&>(e.Tagged(OperatorControlTag(kOpB, kOpRatio)));
  EXPECT_TRUE(sheet.Finds(ratio.GetValueBoxBounds(), Pelmora::ColorA, 30)) << "digits";
  EXPECT_TRUE(sheet.Finds(e.Tagged(kTagWaveformPreview).GetRECT(), Pelmora::ColorPrimary, 30));

  // Keys: a white key, a white key held from the host, the lip at the bottom of a black key.
  const auto& keys = static_cast<IVTVKeyboardControl&>(e.Tagged(kTagKeyboard));
  const float white = keys.GetWhiteKeyWidth(), low = keys.GetRECT().B - 6.f;
  sheet.Expect(keys.GetKeyLeft(2) + 0.5f * white, low, Pelmora::ColorKeyWhite, "white key");
  sheet.Expect(keys.GetKeyLeft(48 - 36) + 0.5f * white, low,
               Over(Pelmora::ColorPrimary, 150, Pelmora::ColorKeyWhite), "held key", 3);
  sheet.Expect(keys.GetKeyLeft(1) + 0.5f * keys.GetBlackKeyWidth(), keys.GetBlackKeyBottom() - 3.5f,
               COLOR_BLACK, "black key's lip");

  // Operator A's envelope: the read-out's value background, and the area under the sustain
  // stage (the line colour at 20 % over the background) between grid lines.
  const auto& envelope = static_cast<const Envelope&>(e.Tagged(EnvelopeEditorTag(kEnvelopeOpA)));
  const IRECT graph = envelope.GetGraphRECT();
  sheet.Expect(graph.R + 4.f, graph.T + 17.f, Envelope::DEFAULT_VAL_BG_COLOR, "value");
  const float unit = 100.f * envelope.GetTimeScale(), x2 = envelope.GetCoords()[2].x;
  sheet.Expect(graph.L + (std::floor((x2 - graph.L) / unit) + 1.5f) * unit,
               graph.T + 2.5f * std::trunc(0.25f * graph.H()),
               Over(Pelmora::ColorA, 51, Envelope::DEFAULT_BG_COLOR), "area", 3);

  sheet.Expect(30.f, 345.f, Pelmora::ColorFrame, "title bar");
  sheet.Expect(698.f, 510.f, Pelmora::ColorFrameBg, "frame without a title bar");
  sheet.Expect(500.f, 5.f, Pelmora::ColorPresetBrowser, "browser");
  sheet.Expect(722.2f, 485.f, Pelmora::ColorFrame, "outline of the display");
}

} // namespace

TEST(EditorContactSheet, TheEditorAndItsControlsStatesAtScalesOneAndTwo)
{
  ContactSheet::Fonts fonts;
  for (const PelmoraTheme::FontFile& font : Pelmora::kFonts)
    fonts.emplace_back(font.name, font.file);
  ContactSheet sheet("editor-contact-sheet.png", 1011, 190, Pelmora::ColorBackground1, fonts,
                     kNumParams);
  for (float scale : {1.f, 2.f})
  {
    OpenEditor e;
    ASSERT_TRUE(e.open) << "no headless OpenGL context";
    for (const auto& [idx, value] : kValues)
    {
      e.plug->GetParam(idx)->Set(value);
      e.plug->OnParamChange(idx, plugin::kHost, -1);
      e.plug->SendParameterValueFromDelegate(idx, value, false);
    }
    // Operator A's envelope with point 2 selected; the modulation envelope zoomed in, sustain off.
    e.plug->GetGlobalParams()
      .GetEnvelope(kEnvelopeOpA)
      ->Edit(
        [](EnvelopeParameter& envelope)
        {
          envelope.InitStages(5);
          const float levels[6] = {0.f, 1.f, 0.62f, 0.62f, 0.f, 0.f};
          const float ms[5] = {12.f, 180.f, 260.f, 420.f, 150.f};
          for (int k = 0; k < 5; ++k)
            envelope.SetStage(k, levels[k], levels[k + 1], ms[k]);
        });
    e.plug->GetGlobalParams()
      .GetEnvelope(kEnvelopeMod)
      ->Edit([](EnvelopeParameter& envelope) { envelope.mSustain = false; });
    e.plug->UpdateEnvelopeControls({kEnvelopeOpA, kEnvelopeMod});
    auto& opA =
      static_cast<IVMultistageEnvelopeControl&>(e.Tagged(EnvelopeEditorTag(kEnvelopeOpA)));
    opA.FitToView();
    const auto p2 = opA.GetCoords()[2];
    e.g->OnMouseDown({IMouseInfo{p2.x, p2.y, 0.f, 0.f, IMouseMod(false, true)}});
    e.g->OnMouseUp({IMouseInfo{p2.x, p2.y, 0.f, 0.f, IMouseMod(false, true)}});
    e.g->OnMouseWheel(600.f, 250.f, IMouseMod(), 20.f);
    // A chord held from the host; the wheels moved; a long name, and the cutoff knob hovered.
    for (int note : {48, 52, 55, 61, 70})
      e.Tagged(kTagKeyboard).OnMidi(IMidiMsg(0, 0x90, static_cast<uint8_t>(note), 100));
    e.Tagged(kTagModWheel).SetValue(0.3);
    e.Display().SetPreset("A Very Long Evolving Pad Name", "Pads");
    e.g->OnMouseOver(815, 100, IMouseMod());

    IGraphicsLinux& ui = *e.g;
    ui.SetScreenScale(scale);
    Image frame;
    ASSERT_TRUE(ui.RenderFrame() && ui.ReadFrame(frame.rgba, frame.w, frame.h));
    sheet.Add(scale, std::move(frame));
    ExpectEditorPixels(sheet, e);
    for (const PelmoraTheme::FontFile& font : Pelmora::kFonts)
      EXPECT_TRUE(e.g->LoadFont(font.name, font.file)) << font.file;

    ASSERT_TRUE(sheet.Render(scale, LayoutStates)) << "no headless OpenGL context";
    sheet.Expect(438.f, 30.f, Pelmora::ColorC, "selected tab C");
    sheet.Expect(385.f, 15.f, IColor(255, 25, 25, 25), "unselected tab A");
  }
  EXPECT_TRUE(sheet.Write());
}
