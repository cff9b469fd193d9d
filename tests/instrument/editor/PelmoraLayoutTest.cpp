// The instrument's whole editor, opened headless (EGL on Mesa): every control at its place with
// its tag and parameter, the window's size from the settings, the menus and what they do, the
// envelope copy menus, the octave buttons, the tabs, the hover texts and the preset browser.

#include "instrument/Pelmora.h"
#include "instrument/editor/PelmoraEditor.h"
#include "instrument/editor/controls/IVMultistageEnvelopeControl.h"
#include "instrument/editor/controls/IVTVKeyboardControl.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace plugin::igraphics;
using pelmora::editor::PelmoraEditor;

namespace
{

testsupport::TempHome sHome;

intptr_t QuietHost(AEffect*, int32_t, int32_t, intptr_t, void*, float)
{
  return 0;
}

std::string SupportPath(const char* file)
{
  return std::string(std::getenv("XDG_DATA_HOME")) + "/Tessvold/Pelmora/" + file;
}

// An instrument with its editor open headless, from the settings written first.
struct OpenEditor
{
  explicit OpenEditor(const char* settings = nullptr)
  {
    if (settings)
    {
      testsupport::TempDir::RunQuietly("mkdir -p '" + SupportPath("") + "'");
      testsupport::WriteFile(SupportPath("settings.ini"), settings);
    }
    plug = std::make_unique<Pelmora>(plugin::Vst2InstanceInfo(QuietHost));
    open = plug->OpenWindow(nullptr) != nullptr;
    g = plug->GetUI();
    editor = dynamic_cast<PelmoraEditor*>(plug->GetEditorControls());
  }
  ~OpenEditor() { plug->CloseWindow(); }
  IControl& Tagged(int tag) { return *g->GetControlWithTag(tag); }
  void Click(float x, float y)
  {
    g->OnMouseDown({IMouseInfo{x, y, 0.f, 0.f, IMouseMod(true)}});
    g->OnMouseUp({IMouseInfo{x, y, 0.f, 0.f, IMouseMod(true)}});
  }
  // Chooses the item with the tag in the menu, as the in-window menu answers a click.
  static void Choose(IPopupMenu& menu, int tag)
  {
    for (int i = 0; i < menu.NItems(); ++i)
      if (menu.GetItem(i)->GetTag() == tag)
        menu.SetChosenItemIdx(i);
    menu.ExecFunction();
  }

  std::unique_ptr<Pelmora> plug;
  bool open = false;
  IGraphics* g = nullptr;
  PelmoraEditor* editor = nullptr;
};

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
  ASSERT_TRUE(e.open && e.editor);
  EXPECT_EQ(e.g->Width(), 1011);
  EXPECT_EQ(e.g->Height(), 601);
  // The background, 8 frames, 11 top-bar controls (the browser's three buttons among them);
  // 4 x 10 operator controls, 4 copy buttons, the tab strip; link, algorithm with its two
  // arrows, 5 knobs and the filter caption; 2 mod-envelope, 6 LFO, 20 matrix, the preview, 5 in
  // the keyboard row and 8 right of it.
  EXPECT_EQ(e.editor->GetFirstResettableControlIdx(), 20);
  EXPECT_EQ(e.g->NControls(), 117);
  const Placed placed[] = {
    {1, {12, 42, 491, 63}, -1},     {2, {20, 71, 120, 151}, 0},     {12, {98, 74, 118, 94}, 9},
    {13, {128, 71, 195, 110}, 10},  {28, {20, 198, 483, 316}, -1},  {36, {419, 71, 483, 151}, 31},
    {38, {14, 45, 40, 71}, -1},     {39, {511, 71, 611, 151}, 32},  {42, {783, 71, 847, 151}, 36},
    {46, {511, 200, 991, 317}, -1}, {47, {28, 464, 62, 494}, 42},   {49, {128, 366, 182, 420}, 41},
    {50, {128, 366, 182, 420}, 40}, {51, {128, 428, 182, 482}, 44}, {52, {519, 366, 702, 482}, -1},
    {55, {12, 502, 32, 589}, -1},   {56, {40, 502, 60, 589}, -1},   {57, {88, 502, 653, 589}, -1},
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
  EXPECT_FALSE(e.Tagged(2).IsHidden());
  EXPECT_TRUE(e.Tagged(11).IsHidden() && e.Tagged(20).IsHidden() && e.Tagged(37).IsHidden());
  EXPECT_FALSE(e.Tagged(49).IsHidden());
  EXPECT_TRUE(e.Tagged(50).IsHidden());
  // No preset on disk: the unnamed sound shows the program's name.
  EXPECT_STREQ(e.plug->GetPresetName(), "");
  EXPECT_STREQ(e.editor->GetPresetBrowser()->GetNameButton()->GetStr(), "Init");
  EXPECT_STREQ(e.editor->GetParamDisplay()->GetPresetName(), "Init");
}

TEST(EditorLayout, EveryControlDrivesItsParameterAndFollowsTheHost)
{
  OpenEditor e;
  ASSERT_TRUE(e.open);
  for (int i = 0; i < e.g->NControls(); ++i)
  {
    IControl& control = *e.g->GetControl(i);
    const int p = control.GetParamIdx();
    if (p < 0)
      continue;
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
    IPopupMenu& sizes = e.editor->GetScaleMenu();
    for (int i = 0; i < sizes.NItems(); ++i)
      EXPECT_EQ(sizes.GetItem(i)->GetChecked(), i == checked) << scale << " item " << i;
  }

  OpenEditor e("[settings]\nscale=1.000000\nshowkeyboard=1\n\n");
  IPopupMenu& main = e.editor->GetMainMenu();
  std::string items;
  for (int i = 0; i < main.NItems(); ++i)
    items += std::string(main.GetItem(i)->GetText()) + "/" +
             std::to_string(main.GetItem(i)->GetTag()) + " ";
  EXPECT_EQ(items, "Init Preset/0 /-1 Save Preset.../4 /-1 UI Size/-1 /-1 Toggle Keyboard/8 /-1 "
                   "Open User Manual/9 ");
  OpenEditor::Choose(e.editor->GetScaleMenu(), 14); // "125%"
  EXPECT_FLOAT_EQ(e.g->GetDrawScale(), 1.25f);
  EXPECT_EQ(e.g->WindowWidth(), 1263);
  EXPECT_TRUE(e.editor->GetScaleMenu().GetItem(4)->GetChecked());
  EXPECT_FALSE(e.editor->GetScaleMenu().GetItem(2)->GetChecked());
  EXPECT_EQ(testsupport::ReadFile(SupportPath("settings.ini")),
            "[settings]\nscale=1.250000\nshowkeyboard=1\n\n");
  OpenEditor::Choose(main, 8); // "Toggle Keyboard"
  EXPECT_EQ(e.g->Height(), 502);
  EXPECT_EQ(testsupport::ReadFile(SupportPath("settings.ini")),
            "[settings]\nscale=1.250000\nshowkeyboard=0\n\n");
  OpenEditor::Choose(main, 8);
  EXPECT_EQ(e.g->Height(), 601);

  // A menu answered without a chosen item, or no menu at all, does nothing.
  testsupport::WriteFile(SupportPath("settings.ini"), "untouched");
  main.SetChosenItemIdx(-1);
  e.editor->OnMainMenu(&main);
  e.editor->OnMainMenu(nullptr);
  e.editor->OnCopyMenu(nullptr);
  EXPECT_EQ(testsupport::ReadFile(SupportPath("settings.ini")), "untouched");
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
  OpenEditor::Choose(e.editor->GetCopyMenu(kEnvelopeOpA), 4); // to all operator envelopes
  for (int envelope : {kEnvelopeOpB, kEnvelopeOpC, kEnvelopeOpD})
  {
    EXPECT_FLOAT_EQ(model.GetEnvelope(envelope)->Get().Stage(1).mEndLevel, 0.25f) << envelope;
    EXPECT_FLOAT_EQ(shown(envelope), 0.25f) << "editor of hidden tab " << envelope;
  }
  EXPECT_NE(shown(kEnvelopeMod), 0.25f);
  OpenEditor::Choose(e.editor->GetCopyMenu(kEnvelopeOpC), 13); // "Copy C to Mod Env"
  EXPECT_FLOAT_EQ(shown(kEnvelopeMod), 0.25f);
}

TEST(EditorLayout, OctaveButtonsTabsAndHoverWorkThroughThePointer)
{
  OpenEditor e;
  ASSERT_TRUE(e.open);
  auto& keyboard = dynamic_cast<IVTVKeyboardControl&>(e.Tagged(57));
  for (int i = 0; i < 4; ++i)
    e.Click(80, 545);
  EXPECT_EQ(keyboard.GetMinNote(), 0);
  EXPECT_EQ(keyboard.GetMaxNote(), 48);
  for (int i = 0; i < 7; ++i)
    e.Click(661, 545);
  EXPECT_EQ(keyboard.GetMinNote(), 72);
  EXPECT_EQ(keyboard.GetMaxNote(), 120);

  // Tab B: its level knob takes the pointer where A's was; A's neither draws nor is hit.
  e.Click(422, 52);
  EXPECT_TRUE(e.Tagged(9).IsHidden());
  EXPECT_EQ(e.g->GetMouseControlIdx(451, 111), e.g->GetControlIdx(&e.Tagged(18)));
  EXPECT_FALSE(e.Tagged(19).IsHidden());

  e.g->OnMouseOver(815, 100, IMouseMod());
  EXPECT_STREQ(e.editor->GetParamDisplay()->GetParamLabel(), "Filter Cutoff");
  EXPECT_STREQ(e.editor->GetParamDisplay()->GetParamValue(), "20000 Hz");
  e.g->OnMouseOver(27, 58, IMouseMod());
  EXPECT_STREQ(e.editor->GetParamDisplay()->GetParamLabel(), "Operator Link");
  EXPECT_STREQ(e.editor->GetParamDisplay()->GetParamValue(), "Off");
  e.Click(27, 58);
  EXPECT_TRUE(e.plug->GetOperatorLink());
  // A new editor shows the link as it is.
  e.plug->CloseWindow();
  ASSERT_NE(e.plug->OpenWindow(nullptr), nullptr);
  EXPECT_EQ(e.plug->GetUI()->GetControlWithTag(38)->GetValue(), 1.0);
}

TEST(EditorLayout, ThePresetBrowserMirrorsTheFolderTreeAndLoadsAChoice)
{
  {
    for (const char* folder : {"Lead", "Bass", "Empty/Inner"})
      testsupport::TempDir::RunQuietly("mkdir -p '" + SupportPath("Presets/") + folder + "'");
    Pelmora maker(plugin::Vst2InstanceInfo(QuietHost));
    maker.GetParam(kParamGain)->Set(-6.0);
    ASSERT_TRUE(maker.SavePreset(SupportPath("Presets/Lead/Bright.preset").c_str()));
    maker.GetParam(kParamGain)->Set(0.0);
    ASSERT_TRUE(maker.SavePreset(SupportPath("Presets/Bass/Deep.preset").c_str()));
  }
  OpenEditor e;
  ASSERT_TRUE(e.open);
  IVTVDiskPresetManagerControl& browser = *e.editor->GetPresetBrowser();
  IPopupMenu& menu = browser.GetMenu();
  ASSERT_EQ(menu.NItems(), 2); // "Empty" holds no preset
  EXPECT_STREQ(menu.GetItem(0)->GetText(), "Bass");
  EXPECT_STREQ(menu.GetItem(1)->GetText(), "Lead");
  IPopupMenu& lead = *menu.GetItem(1)->GetSubmenu();
  EXPECT_STREQ(lead.GetItem(0)->GetText(), "Bright");
  lead.SetChosenItemIdx(0);
  browser.OnPopupMenuSelection(&lead, 0);
  EXPECT_STREQ(e.plug->GetPresetName(), "Bright");
  EXPECT_DOUBLE_EQ(e.plug->GetParam(kParamGain)->Value(), -6.0);
  EXPECT_STREQ(e.editor->GetParamDisplay()->GetPresetCategory(), "Lead");
  testsupport::TempDir::RunQuietly("rm -rf '" + SupportPath("Presets") + "'");
}

TEST(EditorLayout, AKnobDragRedrawsOnlyTheKnobAndTheParameterDisplay)
{
  OpenEditor e;
  ASSERT_TRUE(e.open);
  e.g->OnMouseDown({IMouseInfo{815, 111, 0.f, 0.f, IMouseMod(true)}}); // "CUTOFF"
  e.g->SetAllControlsClean();
  e.g->OnMouseDrag({IMouseInfo{815, 112, 0.f, 1.f, IMouseMod(true)}});
  std::set<const IControl*> dirty;
  for (int i = 0; i < e.g->NControls(); ++i)
    if (e.g->GetControl(i)->IsDirty())
      dirty.insert(e.g->GetControl(i));
  EXPECT_EQ(dirty, (std::set<const IControl*>{&e.Tagged(42), e.editor->GetParamDisplay()}));
  e.g->OnMouseUp({IMouseInfo{815, 112, 0.f, 0.f, IMouseMod(true)}});
}
