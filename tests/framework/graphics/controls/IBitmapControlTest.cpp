// Bitmap and SVG controls on the recording back end.

#include "framework/graphics/controls/IBitmapControl.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

// "Decodes" any PNG bytes as a 90 x 20 point strip at the scale asked for.
class LoadingGraphics : public RecordingGraphics
{
public:
  using RecordingGraphics::RecordingGraphics;
  bool BitmapExtSupported(const char* ext) override { return std::string(ext) == "png"; }
  APIBitmap* LoadAPIBitmap(const char*, const void*, int, int scale) override
  {
    return new APIBitmap(90 * scale, 20 * scale, float(scale), 1.f);
  }
};

const char kBytes[] = "png bytes";
const char kSVG[] = "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'>"
                    "<rect width='10' height='10' fill='red'/></svg>";

struct BitmapControlTest : ::testing::Test
{
  TestDelegate delegate;
  LoadingGraphics g{delegate};

  std::vector<std::string> DrawLog(IControl* pControl)
  {
    g.mLog.clear();
    pControl->Draw(g);
    return g.mLog;
  }
};

} // namespace

TEST_F(BitmapControlTest, ValueChoosesTheFrameDrawnCentredAtItsOwnSize)
{
  auto pStrip = std::make_unique<APIBitmap>(100, 20, 1.f, 1.f);
  IBitmapControl five(0, 0, IBitmap(pStrip.get(), 5, true));
  std::vector<int> frames;
  for (double value : {0.0, 0.124, 0.125, 0.5, 1.0, 1.2, -0.1})
  {
    five.SetValue(value);
    frames.push_back(five.GetFrame());
  }
  EXPECT_EQ(frames, (std::vector<int>{1, 1, 2, 3, 5, 5, 1}));

  // Three frames side by side, 90 x 20 in all: one frame measures 30 x 20.
  const IBitmap strip = g.LoadBitmap("strip.png", kBytes, sizeof(kBytes), 3, true);
  auto* pControl = new IBitmapControl(10, 15, strip, 0, EBlend::kAdd);
  g.AttachControl(pControl);
  EXPECT_EQ(pControl->GetRECT(), IRECT(10, 15, 40, 35));
  pControl->SetValueFromDelegate(0.5);
  EXPECT_EQ(DrawLog(pControl), std::vector<std::string>{"DrawBitmap 10 15 40 35 30 0"});

  // Larger bounds: still the frame's size, centred, not stretched.
  g.SetControlBounds(pControl, IRECT(0, 0, 50, 50));
  EXPECT_EQ(DrawLog(pControl), std::vector<std::string>{"DrawBitmap 10 15 40 35 30 0"});

  // At screen scale 2 the control holds the strip made for that scale.
  g.SetScreenScale(2.f);
  EXPECT_EQ(pControl->GetBitmap().GetScale(), 2.f);
  EXPECT_EQ(pControl->GetBitmap().N(), 3);
}

TEST_F(BitmapControlTest, StripWithoutBitmapOrFramesDrawsNothing)
{
  auto pStrip = std::make_unique<APIBitmap>(90, 20, 1.f, 1.f);
  IBitmapControl noFrames(5, 5, IBitmap(pStrip.get(), 0, true));
  EXPECT_EQ(noFrames.GetRECT(), IRECT(5, 5, 5, 5));
  EXPECT_TRUE(DrawLog(&noFrames).empty());

  IBitmapControl missing(5, 5, IBitmap());
  EXPECT_TRUE(DrawLog(&missing).empty());

  // A background bitmap found nowhere attaches and draws nothing.
  IControl* pBackground = g.AttachBackground("nowhere.png");
  EXPECT_EQ(g.GetControl(0), pBackground);
  EXPECT_TRUE(DrawLog(pBackground).empty());
}

TEST_F(BitmapControlTest, SVGControlKeepsItsLayerUntilTheBoundsChange)
{
  const ISVG svg = g.LoadSVG("square.svg", static_cast<const void*>(kSVG), sizeof(kSVG));
  auto* pPlain = new ISVGControl(IRECT(0, 0, 20, 20), svg);
  auto* pLayered = new ISVGControl(IRECT(30, 0, 50, 20), svg, true);
  g.AttachControl(pPlain);
  g.AttachControl(pLayered);

  EXPECT_EQ(Filter(DrawLog(pPlain), "PathFill").size(), 1u);
  EXPECT_TRUE(Filter(DrawLog(pPlain), "DrawBitmap").empty());

  // Drawn into the layer once, then only blitted.
  std::vector<std::string> log = DrawLog(pLayered);
  EXPECT_EQ(Filter(log, "PathFill").size(), 1u);
  EXPECT_EQ(Filter(log, "DrawBitmap"), std::vector<std::string>{"DrawBitmap 30 0 50 20 0 0"});
  log = DrawLog(pLayered);
  EXPECT_TRUE(Filter(log, "PathFill").empty());
  EXPECT_EQ(Filter(log, "DrawBitmap").size(), 1u);

  g.SetControlPosition(pLayered, 60, 0);
  EXPECT_EQ(Filter(DrawLog(pLayered), "PathFill").size(), 1u);

  // An SVG background covers the editor; a missing image draws nothing.
  IControl* pBackground = g.AttachSVGBackground("square.svg");
  EXPECT_EQ(pBackground->GetRECT(), IRECT(0, 0, 400, 300));
  EXPECT_EQ(Filter(DrawLog(pBackground), "PathFill").size(), 1u);
  EXPECT_TRUE(DrawLog(g.AttachSVGBackground("absent.svg")).empty());
}
