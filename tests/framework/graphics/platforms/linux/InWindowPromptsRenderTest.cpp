// The Linux context's own text field and menu (it attaches them itself, headless too), rendered
// at scales 1 and 2 in four scenes: a menu with a title, check marks, a disabled item, a
// separator and an open submenu; a numbered menu that scrolls, both arrows showing; a field
// with its caret; a field with a selection and its cut/copy/paste menu. The frames go into one
// contact sheet, in-window-prompts-contact-sheet.png in the test's build folder, scale 1 in the
// top row and scale 2 below; a few pixels guard what it shows.

#include "framework/graphics/controls/IPanelControl.h"
#include "framework/graphics/controls/IPopupMenuControl.h"
#include "framework/graphics/controls/ITextControl.h"
#include "framework/graphics/controls/ITextEntryControl.h"
#include "tests/framework/graphics/platforms/linux/ContactSheet.h"

#include <cmath>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

constexpr int kFrameW = 340;
constexpr int kFrameH = 260;
constexpr IRECT kWaveCaption(16.f, 16.f, 156.f, 44.f);
constexpr IRECT kLevelCaption(184.f, 16.f, 324.f, 44.f);
const IColor kFieldBG(255, 16, 18, 24);
const IColor kFieldFG(255, 236, 240, 250);
const IText kCaptionText(15.f, IColor(255, 214, 218, 228), "Roboto-Regular", EAlign::kCenter,
                         EVAlign::kMiddle, 0.f, kFieldBG, kFieldFG);
const IColor kMenuPanel(255, 36, 39, 48);
const IColor kMenuAccent(255, 74, 128, 232);
const IColor kBackgroundTop(255, 46, 49, 59);
const IColor kBackgroundBottom(255, 24, 26, 32);

// a over b at opacity w.
IColor Over(const IColor& a, const IColor& b, float w)
{
  auto mix = [w](int x, int y)
  {
    return int(std::lround(w * float(x) + (1.f - w) * float(y)));
  };
  return IColor(255, mix(a.R, b.R), mix(a.G, b.G), mix(a.B, b.B));
}

// The background's gradient at height y of a frame.
IColor BackgroundAt(float y)
{
  return Over(kBackgroundBottom, kBackgroundTop, y / float(kFrameH));
}

enum class EScene
{
  kSubmenu,
  kScrolling,
  kCaret,
  kSelection,
};

class PromptsSheetTest : public ::testing::Test
{
protected:
  PromptsSheetTest()
  {
    mShapes.AddItem(new IPopupMenu::Item("Waveform", IPopupMenu::Item::kTitle));
    mShapes.AddItem("Sine")->SetChecked(true);
    mShapes.AddItem("Saw");
    mShapes.AddItem("Square", -1, IPopupMenu::Item::kDisabled);
    mShapes.AddItem(new IPopupMenu::Item("", IPopupMenu::Item::kSeparator));
    auto* pMore = new IPopupMenu();
    pMore->AddItem("Noise");
    pMore->AddItem("Sample & hold")->SetChecked(true);
    pMore->AddItem("Random walk");
    mShapes.AddItem("More shapes", pMore);
    const char* kNames[] = {"Init",       "Glass Bells", "Warm Pad",    "Bass Drive", "Sub Pluck",
                            "Soft Keys",  "Airy Lead",   "Metal Drops", "Slow Sweep", "Choir",
                            "Wide Brass", "Tine Piano",  "Chime",       "Dust",       "Orbit",
                            "Low Growl",  "Reed",        "Marimba",     "Ice",        "Haze",
                            "Pulse Arp",  "Halo",        "Drift",       "Static",     "Ember"};
    mPresets.SetPrefix(2);
    for (const char* name : kNames)
      mPresets.AddItem(name);
  }

  // Opens the scene's editor at the scale and renders it; false without a headless context.
  bool Render(EScene scene, float scale)
  {
    HeadlessEditor* pEditor = mSheet.Open(
      scale,
      [&](IGraphics& g, TestDelegate& delegate)
      {
        delegate.GetParam(0)->InitEnum("Wave", 0, {"Sine", "Saw", "Square"});
        delegate.GetParam(1)->InitDouble("Level", 4.25, 0.0, 10.0, 0.01);
        g.AttachPanelBackground(IPattern::CreateLinearGradient(
          0, 0, 0, kFrameH, {{kBackgroundTop, 0.f}, {kBackgroundBottom, 1.f}}));
        const IColor captionBG(255, 58, 62, 76);
        mWave = g.AttachControl(new ICaptionControl(kWaveCaption, 0, kCaptionText, captionBG));
        g.AttachControl(new ICaptionControl(kLevelCaption, 1, kCaptionText, captionBG));
      });
    if (!pEditor)
      return false;
    IGraphics& g = pEditor->mGraphics;
    mPopup = dynamic_cast<IPopupMenuControl*>(g.GetPopupMenuControl());
    mEntry = dynamic_cast<ITextEntryControl*>(g.GetTextEntryControl());
    if (!mPopup || !mEntry)
      return false;
    auto hover = [&](int panel, int cell)
    {
      const IRECT& r = mPopup->GetPanel(panel)->mCells.at(static_cast<size_t>(cell));
      g.OnMouseOver(r.MW(), r.MH() + 0.25f * float(mHovers++ % 2), IMouseMod());
    };
    auto click = [&](float x, float y, IMouseMod mod)
    {
      g.OnMouseDown({Point(x, y, mod)});
      g.OnMouseUp({Point(x, y, mod)});
    };
    auto key = [&](int vk, bool shift = false)
    {
      g.OnKeyDown(0, 0, IKeyPress("", vk, shift));
    };

    switch (scene)
    {
    case EScene::kSubmenu:
      g.CreatePopupMenu(*mWave, mShapes, kWaveCaption);
      mPopup->OnEndAnimation(); // fully shown
      hover(0, 5);
      mPopup->OnEndAnimation();
      hover(1, 2);
      break;
    case EScene::kScrolling:
      g.CreatePopupMenu(*mWave, mPresets, kWaveCaption);
      mPopup->OnEndAnimation();
      for (int i = 0; i < 5; ++i)
        hover(0, mPopup->GetPanel(0)->NCells() - 1);
      hover(0, 4);
      break;
    case EScene::kCaret:
      click(kLevelCaption.MW(), kLevelCaption.MH(), IMouseMod(true));
      key(35); // End: the caret after the text
      break;
    case EScene::kSelection:
      click(kLevelCaption.MW(), kLevelCaption.MH(), IMouseMod(true));
      key(35);
      key(37, true);
      key(37, true);
      click(kLevelCaption.L + 24.f, kLevelCaption.B - 3.f, IMouseMod(false, true));
      mPopup->OnEndAnimation();
      hover(0, 1);
      break;
    }
    mSheet.Render();
    return true;
  }

  IPopupMenu mShapes;
  IPopupMenu mPresets;
  IControl* mWave = nullptr;
  IPopupMenuControl* mPopup = nullptr;
  ITextEntryControl* mEntry = nullptr;
  int mHovers = 0;
  ContactSheet mSheet{"in-window-prompts-contact-sheet.png", kFrameW, kFrameH,
                      IColor(255, 18, 18, 18)};
};

} // namespace

TEST_F(PromptsSheetTest, TheFieldAndTheMenuInTheirStates)
{
  for (float scale : {1.f, 2.f})
    for (EScene scene : {EScene::kSubmenu, EScene::kScrolling, EScene::kCaret, EScene::kSelection})
    {
      mHovers = 0;
      ASSERT_TRUE(Render(scene, scale))
        << "no headless OpenGL context, or the context attached no prompt controls";
      switch (scene)
      {
      case EScene::kSubmenu:
      {
        // The submenu's hovered item in the accent; its panel, padding and all, in the panel
        // colour (both at the panels' 0.95 opacity).
        const IPopupMenuControl::MenuPanel* pSub = mPopup->GetPanel(1);
        ASSERT_NE(pSub, nullptr);
        ASSERT_TRUE(pSub->mShouldDraw);
        const IRECT& cell = pSub->mCells.at(2);
        const IRECT& inner = pSub->mInnerRECT;
        const IColor panel = Over(kMenuPanel, BackgroundAt(inner.T + 2.f), 0.95f);
        mSheet.Expect(cell.L + 2.f, cell.MH(), Over(kMenuAccent, panel, 0.95f),
                      "hovered submenu item", 2);
        mSheet.Expect(inner.MW(), inner.T + 2.f, panel, "submenu panel", 2);
        break;
      }
      case EScene::kScrolling:
      {
        const IPopupMenuControl::MenuPanel* pPanel = mPopup->GetPanel(0);
        EXPECT_TRUE(pPanel->IsUpArrow(0));
        EXPECT_TRUE(pPanel->IsDownArrow(pPanel->NCells() - 1));
        break;
      }
      case EScene::kCaret:
      case EScene::kSelection:
        ASSERT_TRUE(mEntry->EditInProgress());
        mSheet.Expect(kLevelCaption.L + 2.f, kLevelCaption.T + 2.f, kFieldBG, "field background",
                      2);
        break;
      }
    }
  EXPECT_TRUE(mSheet.Write());
}

TEST(InWindowPromptsTest, TheContextAttachesThemItselfAndAgainWhenALayoutRemovedThem)
{
  HeadlessEditor editor(200, 100);
  editor.mDelegate.GetParam(0)->InitEnum("Wave", 0, {"Sine", "Saw"});
  editor.AddLayout(
    [](IGraphics& g)
    {
      EXPECT_NE(g.GetTextEntryControl(), nullptr); // there before the layout runs
      EXPECT_NE(g.GetPopupMenuControl(), nullptr);
      g.RemoveTextEntryControl();
      g.RemovePopupMenuControl();
      g.AttachControl(new ICaptionControl(IRECT(10, 10, 110, 30), 0));
    });
  if (!editor.Open())
    FAIL() << "no headless OpenGL context";
  IGraphics& g = editor.mGraphics;
  g.OnMouseDown({Point(50.f, 20.f, IMouseMod(true))});
  auto* pMenu = dynamic_cast<IPopupMenuControl*>(g.GetPopupMenuControl());
  ASSERT_NE(pMenu, nullptr);
  EXPECT_TRUE(pMenu->GetExpanded());
  EXPECT_EQ(g.GetControlInPopupMenu(), g.GetControl(0));
}
