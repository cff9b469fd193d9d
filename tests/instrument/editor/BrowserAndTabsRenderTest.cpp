// The section frames, the operator tab strip, the preset browser and the preset display rendered
// headless with the editor's fonts, pictures and colours, at scales 1 and 2, into one contact
// sheet (editor-browser-and-tabs.png in the test's build folder: scale 1 above scale 2). A few
// pixels guard what the sheet was seen to show.

#include "framework/graphics/controls/IPanelControl.h"
#include "instrument/DiskPresetManager.h"
#include "instrument/editor/EditorPictures.h"
#include "instrument/editor/PelmoraColors.h"
#include "instrument/editor/controls/ITabStripControl2.h"
#include "instrument/editor/controls/IVTVDiskPresetManagerControl.h"
#include "tests/framework/graphics/platforms/linux/RenderSupport.h"
#include "tests/support/TestSupport.h"

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

constexpr int kSheetWidth = 1011;
constexpr int kSheetHeight = 337;

constexpr IColor C(const pelmora::theme::PelmoraColor& c)
{
  return IColor(c.A, c.R, c.G, c.B);
}

// The theme's text styles of these controls (font, size, colour, alignment).
using namespace pelmora::theme;
constexpr IText Label(const char* font, float size, EAlign align)
{
  return IText(size, C(ColorLabelForeground), font, align, EVAlign::kMiddle, 0.f,
               C(ColorLabelBackground), C(ColorLabelForeground));
}
const IText kFrameLabel = Label("RobotoCondensed-Light", 20.f, EAlign::kCenter);
const IText kPresetName = Label("RobotoCondensed-Light", 20.f, EAlign::kNear);
const IText kDisplayPreset = Label("RobotoCondensed-Light", 30.f, EAlign::kNear);
const IText kDisplayCategory = Label("RobotoCondensed-Light", 16.f, EAlign::kNear);
const IText kDisplayLabel = Label("RobotoCondensed-Light", 24.f, EAlign::kNear);
const IText kDisplayValue(30.f, C(ColorValueForeground), "Roboto-Regular", EAlign::kNear,
                          EVAlign::kMiddle, 0.f, C(ColorValueBackground), C(ColorValueForeground));
const IText kArrows(15.f, C(ColorLabelForeground), "ForkAwesome", EAlign::kCenter);
constexpr const char* kCaretLeft = "\xEF\x83\x99";  // U+F0D9
constexpr const char* kCaretRight = "\xEF\x83\x9A"; // U+F0DA

IFrameLabelControl* Frame(const IRECT& r, const char* title, bool bar = true)
{
  return new IFrameLabelControl(r, title, kFrameLabel, 21.f, C(ColorFrame), C(ColorFrameBg), bar);
}

IParamDisplayControl* Display(const IRECT& r, const char* name, const char* category)
{
  return new IParamDisplayControl(r, kNoParameter, kDisplayPreset, kDisplayCategory, kDisplayLabel,
                                  kDisplayValue, name, category, "", "", C(ColorFrame),
                                  C(ColorFrameBg), 8.f);
}

// The top bar with the browser; the operator section with tab C selected and a frame without a
// title bar; the display with a name too long for it and a parameter, and with a message.
void Layout(IGraphics& g, const DiskPresetManager& presets)
{
  using pelmora::pictures::TabPicture;
  g.LoadFont("Roboto-Regular", "Roboto-Regular.ttf");
  g.LoadFont("RobotoCondensed-Light", "RobotoCondensed-Light.ttf");
  g.LoadFont("ForkAwesome", "forkawesome-webfont.ttf");
  g.AttachPanelBackground(IPattern::CreateLinearGradient(
    0.f, 0.f, 0.f, static_cast<float>(kSheetHeight),
    {IColorStop(C(ColorBackground2), 0.f), IColorStop(C(ColorBackground1), 1.f)}));
  g.AttachControl(new IPanelControl(IRECT(0, 0, 1011, 30), C(ColorBackgroundTopBar)));

  auto* pBrowser = new IVTVDiskPresetManagerControl(IRECT(355, 3, 655, 27), kNoParameter, nullptr,
                                                    24.f, kCaretLeft, kCaretRight, kArrows,
                                                    kPresetName, IColor(255, 15, 15, 15));
  pBrowser->RebuildMenu(presets, 1);
  g.AttachControl(pBrowser);
  pBrowser->SetPresetName("Deep Bass");

  g.AttachControl(Frame(IRECT(12, 42, 491, 160), "OPERATOR"));
  auto* pStrip = new ITabStripControl2(IRECT(12, 42, 491, 63));
  for (int op = 0; op < 4; ++op)
  {
    const float x = 382.f + 27.f * static_cast<float>(op);
    pStrip->AddTab(new ITabPanel(C(ColorFrameBg), IRECT(12, 63, 491, 63)),
                   g.LoadSVG(TabPicture(op, true).Name()), g.LoadSVG(TabPicture(op, false).Name()),
                   IRECT(x, 43, x + 26, 70));
  }
  pStrip->SelectTab(2);
  g.AttachControl(pStrip);
  g.AttachControl(Frame(IRECT(503, 42, 999, 160), "", false));

  auto* pParam = Display(IRECT(12, 172, 289, 325), "A Very Long Evolving Pad Name", "Pads");
  pParam->SetParameter("Operator A Level", "0.72");
  g.AttachControl(pParam);
  auto* pMessage = Display(IRECT(301, 172, 578, 325), "Init", "Init");
  pMessage->ShowMessage("The manual \"Pelmora Manual.pdf\" is not in the support folder.");
  g.AttachControl(pMessage);
}

Image RenderSheet(float scale)
{
  testsupport::TempDir dir;
  testsupport::WriteFile(dir / "Deep Bass.preset", "{}");
  DiskPresetManager presets(dir.Path().c_str(), "preset", false);
  presets.Init();
  HeadlessEditor editor(kSheetWidth, kSheetHeight, scale);
  editor.AddLayout([&](IGraphics& g) { Layout(g, presets); });
  if (!editor.Open())
    return {};
  const Image image = editor.Render();
  auto at = [&](float x, float y, const IColor& expected, const char* what)
  {
    editor.Expect(image, static_cast<int>(x * scale), static_cast<int>(y * scale), expected, what);
  };
  at(438.f, 60.f, C(ColorC), "selected tab C");
  at(385.f, 45.f, IColor(255, 25, 25, 25), "unselected tab A");
  at(30.f, 50.f, C(ColorFrame), "title bar");
  at(520.f, 50.f, C(ColorFrameBg), "frame without a title bar");
  at(500.f, 5.f, IColor(255, 15, 15, 15), "browser");
  at(12.2f, 320.f, C(ColorFrame), "outline of a display");
  return image;
}

TEST(BrowserAndTabsRender, ContactSheetAtScalesOneAndTwo)
{
  const Image x1 = RenderSheet(1.f);
  const Image x2 = RenderSheet(2.f);
  if (x1.rgba.empty() || x2.rgba.empty())
    FAIL() << "no headless OpenGL context";
  EXPECT_TRUE(WritePNG("editor-browser-and-tabs.png", Stack(x1, x2, C(ColorFrameBg)).rgba, x2.w,
                       x1.h + x2.h));
}

} // namespace
