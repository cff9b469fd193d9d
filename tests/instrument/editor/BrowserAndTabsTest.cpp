// The operator tab strip, the preset browser and the preset display on the recording back end:
// one operator's controls shown at a time, switched by clicks on the tab pictures alone; the
// browser mirrors a nested "Presets" tree made in a temporary folder, its carets wrap, a menu
// choice loads and the carets go on from it; the display's rows never invert, a long name is cut
// at a character, a message stands until the next parameter.

#include "instrument/editor/PelmoraEditor.h"
#include "instrument/editor/controls/ITabStripControl2.h"
#include "instrument/editor/controls/IVTVDiskPresetManagerControl.h"
#include "instrument/persistence/DiskPresetManager.h"
#include "tests/instrument/editor/EditorTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

// The layout's tab pictures reach below the strip's bottom edge (63); every operator's knob sits
// at the same place.
const IRECT kTabs[4] = {IRECT(382, 43, 408, 70), IRECT(409, 43, 435, 70), IRECT(436, 43, 462, 70),
                        IRECT(463, 43, 489, 70)};
const IRECT kKnob(203, 71, 267, 151);

TEST(OperatorTabs, OnlyATabPictureSwitchesAndIndicesAreHeldToTheTabs)
{
  TestDelegate delegate;
  ITabStripControl2* strip = nullptr;
  TestControl* knobs[4] = {};
  IGraphics* g = OpenEditor(delegate,
                            [&](IGraphics& graphics)
                            {
                              strip = new ITabStripControl2(IRECT(12, 42, 491, 63));
                              for (int op = 0; op < 4; ++op)
                              {
                                auto* pPanel = new ITabPanel(COLOR_GRAY, IRECT(12, 63, 491, 63));
                                knobs[op] = new TestControl(kKnob, op);
                                pPanel->Add(graphics.AttachControl(knobs[op]));
                                strip->AddTab(pPanel, ISVG(), ISVG(), kTabs[op]);
                              }
                              strip->SelectTab(0);
                              graphics.AttachControl(strip, 1);
                            });
  auto click = [&](float x, float y)
  {
    g->OnMouseDown({Point(x, y)});
    g->OnMouseUp({Point(x, y)});
  };
  // Every tab, A last: only its knob shows. (Which knob a click reaches: the layout's own test.)
  for (int tab : {1, 2, 3, 0})
  {
    click(kTabs[tab].MW(), 50.f);
    EXPECT_EQ(strip->GetSelectedIdx(), tab);
    for (int op = 0; op < 4; ++op)
      EXPECT_EQ(knobs[op]->IsHidden(), op != tab) << "tab " << tab << ", knob " << op;
  }
  click(kTabs[2].MW(), 50.f);

  // The selected tab, a gap between pictures and a picture below the strip change nothing and
  // redraw nothing.
  g->SetAllControlsClean();
  for (const IRECT& miss :
       {IRECT(kTabs[2].MW(), 50, 0, 0), IRECT(408.5f, 50, 0, 0), IRECT(470, 66, 0, 0)})
    click(miss.L, miss.T);
  EXPECT_EQ(strip->GetSelectedIdx(), 2);
  EXPECT_FALSE(strip->IsDirty());

  // A tab without a rectangle is never hit; beyond the last tab selects the last, a negative
  // index none.
  strip->AddTab(new ITabPanel(COLOR_GRAY, IRECT()), ISVG(), ISVG(), IRECT());
  strip->OnMouseDown(0.f, 0.f, IMouseMod());
  EXPECT_EQ(strip->GetSelectedIdx(), 2);
  strip->SelectTab(9);
  EXPECT_EQ(strip->GetSelectedIdx(), 4);
  strip->SelectTab(-1);
  for (TestControl* pKnob : knobs)
    EXPECT_TRUE(pKnob->IsHidden());
}

// The menu as text: a submenu's items in brackets.
std::string Outline(const IPopupMenu& menu)
{
  std::string out;
  for (int i = 0; i < menu.NItems(); ++i)
  {
    out.append(i ? " " : "").append(menu.GetItem(i)->GetText());
    if (const IPopupMenu* pSub = menu.GetItem(i)->GetSubmenu())
      out.append("[").append(Outline(*pSub)).append("]");
  }
  return out;
}

TEST(PresetBrowser, MirrorsTheTreeAndLoadsWhatTheCaretsAndTheMenuChoose)
{
  testsupport::TempDir dir;
  for (const char* folder : {"Bass", "Bass/Sub", "Empty", "Hollow", "Hollow/Inner", "Pads"})
    mkdir((dir / folder).c_str(), 0700);
  for (const char* file : {"Bass/Deep", "Bass/Sub/Wob", "Lead", "Pads/Warm"})
    testsupport::WriteFile(dir / file + ".preset", "{}");
  DiskPresetManager presets(dir.Path().c_str(), "preset", false);
  presets.Init();

  TestDelegate delegate;
  std::vector<int> loaded;
  IVTVDiskPresetManagerControl* browser = nullptr;
  auto& g = *static_cast<RecordingGraphics*>(OpenEditor(
    delegate,
    [&](IGraphics& graphics)
    {
      browser = new IVTVDiskPresetManagerControl(
        IRECT(355, 3, 655, 27), kNoParameter, [&](int idx) { loaded.push_back(idx); }, 24.f, "<",
        ">", DEFAULT_TEXT, DEFAULT_TEXT, COLOR_BLACK);
      browser->RebuildMenu(presets, 3);
      graphics.AttachControl(browser);
      auto* pKeeping =
        new IVTVDiskPresetManagerControl(IRECT(355, 30, 655, 54), kNoParameter, nullptr, 24.f, "",
                                         "", DEFAULT_TEXT, DEFAULT_TEXT, COLOR_BLACK, true);
      pKeeping->RebuildMenu(presets, 0);
      graphics.AttachControl(pKeeping);
    }));
  // The three buttons, by where they lie: the carets 24 wide at the ends, the name between.
  constexpr float kLeft = 367.f, kName = 505.f, kRight = 643.f;
  auto click = [&](float x, float y = 15.f)
  {
    g.OnMouseDown({Point(x, y)});
    g.OnMouseUp({Point(x, y)});
  };
  // The menu a click on a name opens, dismissed.
  auto menuOf = [&](float y)
  {
    std::string outline;
    g.mMenuResponder = [&](IPopupMenu& menu) -> IPopupMenu*
    {
      outline = Outline(menu);
      return nullptr;
    };
    click(kName, y);
    g.mMenuResponder = nullptr;
    return outline;
  };

  // Folders first, empty ones left out; the flat list is the manager's flat index.
  EXPECT_EQ(menuOf(15.f), "Bass[Sub[Wob] Deep] Pads[Warm] Lead");
  ASSERT_EQ(browser->NFlatItems(), presets.NumPresets());
  for (int i = 0; i < browser->NFlatItems(); ++i)
  {
    EXPECT_EQ(browser->GetFlatItem(i)->GetTag(), i);
    EXPECT_STREQ(browser->GetFlatItem(i)->GetText(), presets.GetPreset(i)->mName.Get());
  }
  // The browser below it keeps empty folders.
  EXPECT_EQ(menuOf(42.f), "Bass[Sub[Wob] Deep] Empty[] Hollow[Inner[]] Pads[Warm] Lead");

  // From the last to the first and back, then one more back.
  EXPECT_EQ(g.GetControl(g.GetMouseControlIdx(kName, 15.f))->GetRECT(), IRECT(379, 3, 631, 27));
  click(kRight);
  click(kLeft);
  click(kLeft);
  EXPECT_EQ(loaded, (std::vector<int>{0, 3, 2}));

  // "Bass" > "Deep" from the menu under the name (the answer comes with the submenu holding it);
  // the carets go on from there.
  g.mMenuResponder = [](IPopupMenu& menu)
  {
    IPopupMenu* pBass = menu.GetItem(0)->GetSubmenu();
    pBass->SetChosenItemIdx(1);
    return pBass;
  };
  click(kName);
  click(kRight);
  EXPECT_EQ(g.mMenus.back().bounds, IRECT(379, 3, 631, 27));
  EXPECT_EQ(loaded, (std::vector<int>{0, 3, 2, 1, 2}));

  // Dismissed: nothing happens. An item of another menu: not found, nothing loaded.
  g.mMenuResponder = nullptr;
  click(kName);
  EXPECT_EQ(browser->GetCurrentIdx(), 2);
  IPopupMenu stranger("", 0, false, {"Lead"});
  stranger.SetChosenItemIdx(0);
  browser->OnPopupMenuSelection(&stranger, 0);
  EXPECT_EQ(browser->GetCurrentIdx(), -1);

  // No presets: the carets load nothing.
  testsupport::TempDir empty;
  DiskPresetManager none(empty.Path().c_str(), "preset", false);
  none.Init();
  browser->RebuildMenu(none, 0);
  browser->LoadPrevious();
  browser->LoadNext();
  EXPECT_EQ(browser->GetCurrentIdx(), 0);
  EXPECT_EQ(loaded.size(), 5u);
}

IParamDisplayControl* MakeDisplay(const IRECT& bounds)
{
  // The theme's sizes: name 30, category 16, parameter name 24, value 30; margin 8.
  const pelmora::layout::ParamDisplayLook look{.presetText = IText(30.f, COLOR_WHITE),
                                               .categoryText = IText(16.f, COLOR_WHITE),
                                               .labelText = IText(24.f, COLOR_WHITE),
                                               .valueText = IText(30.f, COLOR_WHITE),
                                               .frameColor = COLOR_BLACK,
                                               .fillColor = COLOR_GRAY,
                                               .margin = 8.f};
  return pelmora::editor::MakeParamDisplay(bounds, look);
}

TEST(PresetDisplay, RowsNeverInvertLongNamesAreCutAndMessagesStandUntilTheNextParameter)
{
  TestDelegate delegate;
  IParamDisplayControl* display = nullptr;
  IGraphics* g =
    OpenEditor(delegate, [&](IGraphics& graphics)
               { graphics.AttachControl(display = MakeDisplay(IRECT(722, 337, 999, 490))); });
  EXPECT_EQ(display->GetPresetNameRECT(), IRECT(730, 345, 991, 375));
  EXPECT_EQ(display->GetCategoryRECT(), IRECT(730, 375, 991, 391));
  EXPECT_EQ(display->GetLabelRECT(), IRECT(730, 428, 991, 452));
  EXPECT_EQ(display->GetValueRECT(), IRECT(730, 452, 991, 482));
  for (const IRECT& small : {IRECT(0, 0, 100, 40), IRECT(0, 0, 10, 10)})
  {
    std::unique_ptr<IParamDisplayControl> tiny(MakeDisplay(small));
    for (const IRECT& row : {tiny->GetPresetNameRECT(), tiny->GetCategoryRECT(),
                             tiny->GetLabelRECT(), tiny->GetValueRECT()})
      EXPECT_TRUE(row.L <= row.R && row.T <= row.B && row.L >= small.L && row.R <= small.R &&
                  row.T >= small.T && row.B <= small.B)
        << Fmt(row);
  }

  // The texts drawn, without their rectangles.
  display->SetSize(100.f, 153.f); // a name row 84 wide: 30-point bytes are 15 wide, 5 fit
  auto& log = static_cast<RecordingGraphics*>(g)->mLog;
  auto texts = [&]
  {
    log.clear();
    g->DrawControl(display, g->GetBounds(), 1.f);
    std::string out;
    for (std::string line : Filter(log, "DrawText "))
    {
      for (int field = 0; field < 4; ++field)
        line.resize(line.rfind(' '));
      out += line.substr(9) + "|";
    }
    return out;
  };
  display->SetPreset("Abcd\xC3\xA9"
                     "fgh",
                     "Bass"); // the two-byte character in fifth and sixth place goes whole
  display->SetParameter("Level", "0.5");
  EXPECT_EQ(texts(), "Abcd|Bass|Level|0.5|");
  display->ShowMessage("No manual here"); // wrapped at blanks over the bottom rows
  EXPECT_EQ(texts(), "Abcd|Bass|No manual|here|");
  display->SetParameter("Gain", "-3 dB");
  EXPECT_EQ(texts(), "Abcd|Bass|Gain|-3 dB|");
}

} // namespace
