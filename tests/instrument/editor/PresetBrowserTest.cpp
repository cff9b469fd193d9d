// The preset browser and the preset display on the recording back end: the browser mirrors a
// nested "Presets" tree made in a temporary folder, its carets wrap, a menu choice loads and sets
// where the carets go on; the display's rows stay inside it and never invert.

#include "instrument/DiskPresetManager.h"
#include "instrument/editor/controls/IVTVDiskPresetManagerControl.h"
#include "tests/instrument/editor/EditorTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <sys/stat.h>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

const IRECT kBrowser(355.f, 3.f, 655.f, 27.f);

// The menu as text: items in order, a submenu's items in brackets.
std::string Outline(const IPopupMenu& menu)
{
  std::string out;
  for (int i = 0; i < menu.NItems(); ++i)
  {
    const IPopupMenu::Item* pItem = menu.GetItem(i);
    if (i > 0)
      out.append(" ");
    out.append(pItem->GetText());
    if (pItem->GetIsSubmenu())
      out.append("[").append(Outline(*pItem->GetSubmenu())).append("]");
  }
  return out;
}

struct BrowserFixture : ::testing::Test
{
  BrowserFixture()
  {
    for (const char* folder : {"Bass", "Bass/Sub", "Empty", "Hollow", "Hollow/Inner", "Pads"})
      mkdir((mDir / folder).c_str(), 0700);
    for (const char* file : {"Bass/Deep", "Bass/Sub/Wob", "Lead", "Pads/Warm"})
      testsupport::WriteFile(mDir / (std::string(file) + ".preset"), "{}");
    mManager.Init();
  }

  // A browser attached to a recording editor, its menu rebuilt at preset index current.
  IVTVDiskPresetManagerControl* Open(int current, bool keepEmptyFolders = false)
  {
    OpenEditor(mDelegate,
               [&](IGraphics& g)
               {
                 mBrowser = new IVTVDiskPresetManagerControl(
                   kBrowser, kNoParameter, [this](int idx) { mLoaded.push_back(idx); }, 24.f, "<",
                   ">", DEFAULT_TEXT, DEFAULT_TEXT, IColor(255, 15, 15, 15), keepEmptyFolders);
                 mBrowser->RebuildMenu(mManager, current);
                 g.AttachControl(mBrowser);
               });
    return mBrowser;
  }
  RecordingGraphics& Graphics() { return *static_cast<RecordingGraphics*>(mDelegate.GetUI()); }
  void Click(const IControl* pButton)
  {
    const IRECT& r = pButton->GetRECT();
    Graphics().OnMouseDown({Point(r.MW(), r.MH())});
    Graphics().OnMouseUp({Point(r.MW(), r.MH())});
  }

  testsupport::TempDir mDir;
  DiskPresetManager mManager{mDir.Path().c_str(), "preset", false};
  TestDelegate mDelegate;
  IVTVDiskPresetManagerControl* mBrowser = nullptr;
  std::vector<int> mLoaded;
};

TEST_F(BrowserFixture, MirrorsTheTreeWithOneSubmenuPerFolderAndTheFlatIndexInMenuOrder)
{
  Open(0);
  EXPECT_EQ(Outline(mBrowser->GetMenu()), "Bass[Sub[Wob] Deep] Pads[Warm] Lead");
  ASSERT_EQ(mBrowser->NFlatItems(), mManager.NumPresets());
  for (int i = 0; i < mBrowser->NFlatItems(); ++i)
  {
    EXPECT_EQ(mBrowser->GetFlatItem(i)->GetTag(), i);
    EXPECT_STREQ(mBrowser->GetFlatItem(i)->GetText(), mManager.GetPreset(i)->mName.Get());
  }
  // Empty folders, also one holding only empty folders, are kept when asked.
  mBrowser->RebuildMenu(mManager, 0);
  EXPECT_EQ(mBrowser->NFlatItems(), 4);
  IVTVDiskPresetManagerControl keeping(kBrowser, kNoParameter, nullptr, 24.f, "<", ">",
                                       DEFAULT_TEXT, DEFAULT_TEXT, COLOR_BLACK, true);
  keeping.RebuildMenu(mManager, 0);
  EXPECT_EQ(Outline(keeping.GetMenu()),
            "Bass[Sub[Wob] Deep] Empty[] Hollow[Inner[]] Pads[Warm] Lead");
}

TEST_F(BrowserFixture, CaretsWrapAroundAndAMenuChoiceLoadsAndMovesThem)
{
  Open(3);
  ASSERT_NE(mBrowser->GetNameButton(), nullptr);
  EXPECT_STREQ(mBrowser->GetNameButton()->GetStr(), "Init");
  EXPECT_EQ(mBrowser->GetLeftArrow()->GetRECT(), IRECT(355, 3, 379, 27));
  EXPECT_EQ(mBrowser->GetRightArrow()->GetRECT(), IRECT(631, 3, 655, 27));

  Click(mBrowser->GetRightArrow()); // from the last to the first
  Click(mBrowser->GetLeftArrow());  // and back to the last
  Click(mBrowser->GetLeftArrow());
  EXPECT_EQ(mLoaded, (std::vector<int>{0, 3, 2}));

  // The name opens the menu under itself; "Bass" > "Deep" is chosen (the answer comes with the
  // submenu holding the item).
  Graphics().mMenuResponder = [](IPopupMenu& menu)
  {
    IPopupMenu* pBass = menu.GetItem(0)->GetSubmenu();
    pBass->SetChosenItemIdx(1);
    return pBass;
  };
  mLoaded.clear();
  Click(mBrowser->GetNameButton());
  ASSERT_EQ(Graphics().mMenus.size(), 1u);
  EXPECT_EQ(Graphics().mMenus[0].bounds, IRECT(379, 3, 631, 27));
  EXPECT_EQ(mBrowser->GetCurrentIdx(), 1);
  Click(mBrowser->GetRightArrow()); // the carets go on from the choice
  EXPECT_EQ(mLoaded, (std::vector<int>{1, 2}));

  // Dismissed: nothing loaded, nothing moved. An item of another menu: not found, index -1.
  Graphics().mMenuResponder = nullptr;
  Click(mBrowser->GetNameButton());
  EXPECT_EQ(mBrowser->GetCurrentIdx(), 2);
  IPopupMenu stranger("", 0, false, {"Lead"});
  stranger.SetChosenItemIdx(0);
  mBrowser->OnPopupMenuSelection(&stranger, 0);
  EXPECT_EQ(mBrowser->GetCurrentIdx(), -1);
  EXPECT_EQ(mLoaded.size(), 2u);
}

TEST_F(BrowserFixture, WithoutPresetsTheCaretsLoadNothing)
{
  testsupport::TempDir empty;
  DiskPresetManager none(empty.Path().c_str(), "preset", false);
  none.Init();
  Open(0)->RebuildMenu(none, 0);
  EXPECT_EQ(mBrowser->GetLastIdx(), -1);
  mBrowser->LoadPrevious();
  mBrowser->LoadNext();
  EXPECT_EQ(mBrowser->GetCurrentIdx(), 0);
  EXPECT_TRUE(mLoaded.empty());
  Click(mBrowser->GetNameButton()); // an empty menu, answered as dismissed
  EXPECT_TRUE(mLoaded.empty());
}

// ---- The preset display

IParamDisplayControl* MakeDisplay(const IRECT& bounds)
{
  // The theme's sizes: name 30, category 16, parameter name 24, value 30; margin 8.
  return new IParamDisplayControl(bounds, kNoParameter, IText(30.f, COLOR_WHITE),
                                  IText(16.f, COLOR_WHITE), IText(24.f, COLOR_WHITE),
                                  IText(30.f, COLOR_WHITE), "", "", "", "", COLOR_BLACK, COLOR_GRAY,
                                  8.f);
}

TEST(PresetDisplay, RowsStackInsideTheMarginAndNeverInvert)
{
  std::unique_ptr<IParamDisplayControl> display(MakeDisplay(IRECT(722, 337, 999, 490)));
  EXPECT_EQ(display->GetPresetNameRECT(), IRECT(730, 345, 991, 375));
  EXPECT_EQ(display->GetCategoryRECT(), IRECT(730, 375, 991, 391));
  EXPECT_EQ(display->GetLabelRECT(), IRECT(730, 428, 991, 452));
  EXPECT_EQ(display->GetValueRECT(), IRECT(730, 452, 991, 482));

  // Too small for its texts, or for its margin: rows shrink to nothing inside, never invert.
  for (const IRECT& small : {IRECT(0, 0, 100, 40), IRECT(0, 0, 10, 10)})
  {
    display.reset(MakeDisplay(small));
    for (const IRECT& row : {display->GetPresetNameRECT(), display->GetCategoryRECT(),
                             display->GetLabelRECT(), display->GetValueRECT()})
    {
      EXPECT_TRUE(row.L <= row.R && row.T <= row.B) << Fmt(row);
      EXPECT_TRUE(row.L >= small.L && row.R <= small.R && row.T >= small.T && row.B <= small.B)
        << Fmt(row);
    }
  }
}

TEST(PresetDisplay, CutsALongNameAtACharacterAndShowsMessagesUntilTheNextParameter)
{
  TestDelegate delegate;
  IParamDisplayControl* display = nullptr;
  IGraphics* g = OpenEditor(delegate,
                            [&](IGraphics& graphics)
                            {
                              display = static_cast<IParamDisplayControl*>(
                                graphics.AttachControl(MakeDisplay(IRECT(0, 0, 100, 153))));
                            });
  auto& log = static_cast<RecordingGraphics*>(g)->mLog;
  auto texts = [&]
  {
    log.clear();
    g->DrawControl(display, g->GetBounds(), 1.f);
    std::string out;
    for (std::string line : Filter(log, "DrawText "))
    {
      for (int field = 0; field < 4; ++field) // the rectangle's four numbers
        line.resize(line.rfind(' '));
      out += line.substr(9) + "|";
    }
    return out;
  };

  // The name row is 84 wide and a 30-point byte 15 wide: five bytes fit (75 < 84), six do not.
  // The two-byte "é" in fifth and sixth place goes whole.
  display->SetPreset("Abcd\xC3\xA9"
                     "fgh",
                     "Bass");
  display->SetParameter("Level", "0.5");
  EXPECT_EQ(texts(), "Abcd|Bass|Level|0.5|");

  // Wrapped at blanks (a 16-point byte is 8 wide), over the two bottom rows.
  display->ShowMessage("No manual here");
  EXPECT_EQ(texts(), "Abcd|Bass|No manual|here|");
  display->SetParameter("Gain", "-3 dB");
  EXPECT_STREQ(display->GetMessage(), "");
  EXPECT_EQ(texts(), "Abcd|Bass|Gain|-3 dB|");
}

} // namespace
