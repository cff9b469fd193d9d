// Headless renders of the built-in controls at screen scales 1 and 2: the frame-time display,
// a framed panel, bitmap frames chosen by value, an SVG image drawn directly and through a
// layer, a caption with its menu marker, a value bubble and the corner resizer, over a grey
// panel background.

#include "framework/graphics/controls/IBitmapControl.h"
#include "framework/graphics/controls/IBubbleControl.h"
#include "framework/graphics/controls/IPanelControl.h"
#include "framework/graphics/controls/ITextControl.h"
#include "tests/framework/graphics/platforms/linux/RenderSupport.h"

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

const IColor kGrey(255, 128, 128, 128);

// A bubble whose fade can be moved to its end.
class TestBubble : public IBubbleControl
{
public:
  void Age(double ms) { mAnimationStartTime -= ms; }
};

class BuiltInRenderTest : public ::testing::TestWithParam<float>
{
protected:
  float Scale() const { return GetParam(); }

  void ExpectAt(const Image& image, float x, float y, const IColor& color, const char* what,
                int tolerance = 2)
  {
    mEditor.Expect(image, static_cast<int>(x * Scale()), static_cast<int>(y * Scale()), color, what,
                   tolerance);
  }

  HeadlessEditor mEditor{220, 200, GetParam()};
};

TEST_P(BuiltInRenderTest, EachBuiltInControlDraws)
{
  const std::vector<uint8_t> png = TwoFramePNG(20, 40);
  mEditor.mDelegate.GetParam(0)->InitEnum("Wave", 1, {"Sine", "Saw", "Square"});
  TestBubble* pBubble = nullptr;

  mEditor.AddLayout(
    [&](IGraphics& g)
    {
      g.AttachPanelBackground(kGrey);
      g.ShowFPSDisplay(true); // (10, 10, 210, 60)
      g.AttachControl(new IPanelControl(IRECT(10, 70, 50, 100), COLOR_RED, true));

      const IBitmap strip = g.LoadBitmap("strip.png", png.data(), int(png.size()), 2);
      g.AttachControl(new IBitmapControl(60, 70, strip));
      g.AttachControl(new IBitmapControl(85, 70, strip))->SetValue(1.0);

      const ISVG logo = g.LoadSVG("pelmora-logo-96x32.svg");
      g.AttachControl(new ISVGControl(IRECT(110, 70, 158, 86), logo));
      g.AttachControl(new ISVGControl(IRECT(110, 90, 158, 106), logo, true));

      g.AttachControl(new ICaptionControl(IRECT(10, 110, 110, 130), 0, DEFAULT_TEXT, COLOR_WHITE));

      pBubble = new TestBubble();
      g.AttachBubbleControl(pBubble);
      IControl* pCaller = g.AttachControl(new IPanelControl(IRECT(10, 140, 60, 190), COLOR_BLUE));
      g.ShowBubbleControl(pCaller, 60, 165, "0.50", EDirection::kHorizontal, IRECT(0, 0, 50, 30));

      g.AttachCornerResizer(EUIResizerMode::kScale, false, COLOR_RED);
    });
  if (!mEditor.Open())
    FAIL() << "no headless OpenGL context";
  mEditor.Render(); // the bubble starts fading in
  ASSERT_NE(pBubble, nullptr);
  pBubble->Age(250.0);
  const Image image = mEditor.Render();

  // Frame-time display: white face, black outline, a graph of the readings (mostly 0, at the
  // top) in the style's grey.
  ExpectAt(image, 9.75f, 35, COLOR_BLACK, "frame-time outline", 70); // half a pixel at scale 1
  ExpectAt(image, 11, 11, COLOR_WHITE, "frame-time face", 8);
  ExpectAt(image, 100, 40, COLOR_MID_GRAY, "frame-time graph");

  ExpectAt(image, 30, 85, COLOR_RED, "panel");
  ExpectAt(image, 55, 85, kGrey, "beside the panel");

  ExpectAt(image, 70, 80, COLOR_RED, "bitmap at value 0: frame 1");
  ExpectAt(image, 95, 80, COLOR_GREEN, "bitmap at value 1: frame 2");

  // The logo at half size: its blue dot at (8, 8) of the control.
  const IColor blue(255, 0x2f, 0x6f, 0xdf);
  ExpectAt(image, 118, 78, blue, "SVG image", 30);
  ExpectAt(image, 118, 98, blue, "SVG image through a layer", 30);

  // The caption's marker: black at half opacity over white, in the strip at the right.
  ExpectAt(image, 103, 119.5f, IColor(255, 128, 128, 128), "caption marker", 40);
  ExpectAt(image, 80, 125, COLOR_WHITE, "caption background", 8);

  // The bubble: right of its caller, white inside a dark outline, its arrow pointing left.
  ExpectAt(image, 125, 175, COLOR_WHITE, "bubble inside", 12);
  ExpectAt(image, 100, 150, COLOR_BLACK, "bubble outline", 60);
  ExpectAt(image, 66, 165, COLOR_WHITE, "bubble arrow", 40);
  ExpectAt(image, 150, 165, kGrey, "beside the bubble");

  // The corner resizer's lower-right half.
  ExpectAt(image, 216, 196, COLOR_RED, "resizer");
  ExpectAt(image, 203, 183, kGrey, "above the resizer's diagonal");
}

INSTANTIATE_TEST_SUITE_P(Scales, BuiltInRenderTest, ::testing::Values(1.f, 2.f),
                         [](const auto& info) { return info.param == 1.f ? "x1" : "x2"; });

} // namespace
