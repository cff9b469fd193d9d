// Layers, bitmaps, SVG drawing and text rotation on the recording back end.

#include "tests/framework/graphics/GraphicsTestSupport.h"

#include "framework/graphics/controls/IVectorBase.h"
#include "framework/graphics/svg/SVGReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

// Hands the drop shadow one opaque pixel and keeps the mask it is given back.
class ShadowGraphics : public RecordingGraphics
{
public:
  using RecordingGraphics::RecordingGraphics;
  void GetLayerBitmapData(const ILayerPtr& layer, RawBitmapData& data) override
  {
    const int w = layer->mBitmap->GetWidth(), h = layer->mBitmap->GetHeight();
    data.assign(static_cast<size_t>(w) * h * 4, 0);
    data[((h / 2) * w + w / 2) * 4 + 3] = 255;
  }
  void ApplyShadowMask(ILayerPtr&, RawBitmapData& mask, const IShadow&) override { mMask = mask; }
  RawBitmapData mMask;
};

struct LayersTest : ::testing::Test
{
  TestDelegate delegate;
};

} // namespace

TEST_F(LayersTest, LayersArePixelAlignedAtTheBackingScale)
{
  RecordingGraphics g(delegate, 400, 300, 2.f);
  g.StartLayer(nullptr, IRECT(0.3f, 0.3f, 10.2f, 10.2f));
  ILayerPtr layer = g.EndLayer();
  ASSERT_TRUE(layer);
  EXPECT_EQ(layer->mRECT, IRECT(0.f, 0.f, 10.5f, 10.5f));
  EXPECT_EQ(layer->mBitmap->GetWidth(), 22);
  EXPECT_EQ(layer->mBitmap->GetHeight(), 22);
  // Ending with no layer returns nothing and still resets transform and clip.
  g.mLog.clear();
  EXPECT_FALSE(g.EndLayer());
  EXPECT_FALSE(Filter(g.mLog, "SetClipRegion").empty());
}

TEST_F(LayersTest, ALayerIsRedrawnAfterItsControlMovesOrTheScaleChanges)
{
  RecordingGraphics g(delegate);
  auto* pControl = new TestControl(IRECT(10, 10, 50, 50));
  g.AttachControl(pControl);
  g.StartLayer(pControl, pControl->GetRECT());
  ILayerPtr layer = g.EndLayer();
  EXPECT_TRUE(g.CheckLayer(layer));
  g.SetControlPosition(pControl, 20, 20);
  EXPECT_FALSE(g.CheckLayer(layer));
  EXPECT_FALSE(g.CheckLayer(layer)); // stays invalid until redrawn
  g.StartLayer(pControl, pControl->GetRECT());
  layer = g.EndLayer();
  EXPECT_TRUE(g.CheckLayer(layer));
  g.SetScreenScale(2.f);
  EXPECT_FALSE(g.CheckLayer(layer));
  EXPECT_FALSE(g.CheckLayer(ILayerPtr()));
}

TEST_F(LayersTest, RemovingAControlLeavesNoPointerInItsLayer)
{
  RecordingGraphics g(delegate);
  auto* pControl = new TestControl(IRECT(10, 10, 50, 50));
  g.AttachControl(pControl);
  g.StartLayer(pControl, pControl->GetRECT());
  g.RemoveControl(pControl);
  ILayerPtr layer = g.EndLayer();
  ASSERT_TRUE(layer);
  EXPECT_EQ(layer->mControl, nullptr);
}

TEST_F(LayersTest, ClipsInsideALayerAreCutToIt)
{
  RecordingGraphics g(delegate);
  g.StartLayer(nullptr, IRECT(10, 10, 50, 50));
  g.mLog.clear();
  g.PathClipRegion(IRECT(100, 100, 120, 120));
  EXPECT_EQ(Filter(g.mLog, "SetClipRegion"), std::vector<std::string>{"SetClipRegion 0 0 0 0"});
  g.mLog.clear();
  g.PathClipRegion(IRECT(0, 0, 20, 30));
  EXPECT_EQ(Filter(g.mLog, "SetClipRegion"), std::vector<std::string>{"SetClipRegion 10 10 20 30"});
  g.EndLayer();
}

TEST_F(LayersTest, TheDropShadowBlursAlphaSymmetricallyWithoutGain)
{
  ShadowGraphics g(delegate);
  g.StartLayer(nullptr, IRECT(0, 0, 21, 21));
  ILayerPtr layer = g.EndLayer();
  IShadow shadow;
  shadow.mBlurSize = 4.f;
  g.ApplyLayerDropShadow(layer, shadow);
  ASSERT_EQ(g.mMask.size(), 21u * 21u * 4u);
  auto alpha = [&](int x, int y)
  {
    return int(g.mMask[(y * 21 + x) * 4 + 3]);
  };
  const int centre = alpha(10, 10);
  EXPECT_GT(centre, 0);
  EXPECT_LT(centre, 255);
  EXPECT_EQ(alpha(8, 10), alpha(12, 10));
  EXPECT_EQ(alpha(10, 8), alpha(10, 12));
  EXPECT_EQ(alpha(8, 10), alpha(10, 8));
  EXPECT_GT(centre, alpha(12, 10));
  EXPECT_EQ(alpha(0, 0), 0); // beyond the kernel (5 taps)
}

TEST_F(LayersTest, FramesOfAStripAndBitmapFonts)
{
  RecordingGraphics g(delegate);
  APIBitmap api(10, 30, 1.f, 1.f);
  const IBitmap strip(&api, 3, false);
  g.mLog.clear();
  g.DrawBitmap(strip, IRECT(0, 0, 10, 10), 3);
  g.DrawBitmap(strip, IRECT(0, 0, 10, 10), 0);
  g.DrawBitmap(strip, IRECT(0, 0, 10, 10), 9);
  EXPECT_EQ(Filter(g.mLog, "DrawBitmap"),
            (std::vector<std::string>{"DrawBitmap 0 0 10 10 0 20", "DrawBitmap 0 0 10 10 0 0",
                                      "DrawBitmap 0 0 10 10 0 20"}));

  // A bitmap font: frame k + 1 holds code 31 + k; "!" is frame 2, a space frame 1.
  APIBitmap fontApi(6, 36, 1.f, 1.f);
  const IBitmap font(&fontApi, 3, false);
  g.mLog.clear();
  g.DrawBitmapedText(font, IRECT(0, 0, 60, 12), IText(12.f, COLOR_BLACK, nullptr, EAlign::kNear),
                     nullptr, "! \"", false, false, 6, 12);
  EXPECT_EQ(Filter(g.mLog, "DrawBitmap"),
            (std::vector<std::string>{"DrawBitmap 0 0 6 12 0 12", "DrawBitmap 6 0 12 12 0 0",
                                      "DrawBitmap 12 0 18 12 0 24"}));
}

TEST_F(LayersTest, SVGShapesFillThenStrokeTheSamePath)
{
  const char text[] = "<svg xmlns='http://www.w3.org/2000/svg' width='20' height='10'>"
                      "<rect x='1' y='1' width='8' height='8' fill='#ff0000' stroke='#0000ff'/>"
                      "<path d='M0 0 L20 0 L20 10 Z M5 2 L15 2 L15 8 Z' fill='#00ff00'/>"
                      "<rect width='5' height='5' display='none'/></svg>";
  SVGImagePtr image = SVGReader::Parse(text, std::strlen(text));
  ASSERT_TRUE(image);
  RecordingGraphics g(delegate);
  g.mLog.clear();
  g.DrawSVG(ISVG(image.get()), IRECT(0, 0, 40, 40));
  const auto paints = Filter(g.mLog, "Path");
  std::vector<std::string> fillsAndStrokes;
  for (const std::string& line : paints)
    if (line.rfind("PathFill", 0) == 0 || line.rfind("PathStroke", 0) == 0)
      fillsAndStrokes.push_back(line);
  EXPECT_EQ(fillsAndStrokes, (std::vector<std::string>{"PathFill (255,255,0,0) preserve blend 1",
                                                       "PathStroke (255,0,0,255) 1 blend 1",
                                                       "PathFill (255,0,255,0) blend 1"}));
  // Twice the size: the image is scaled uniformly by min(40 / 20, 40 / 10) = 2.
  EXPECT_EQ(g.CurrentMatrix(), IMatrix());
  EXPECT_NE(std::find(g.mLog.begin(), g.mLog.end(), "PathTransformSetMatrix 2 0 0 2 0 0"),
            g.mLog.end());
  // A colour override replaces the paint.
  g.mLog.clear();
  const IColor white = COLOR_WHITE;
  g.DrawSVG(ISVG(image.get()), IRECT(0, 0, 20, 10), nullptr, nullptr, &white);
  EXPECT_EQ(Filter(g.mLog, "PathFill").front(), "PathFill (255,255,255,255) preserve blend 1");
  // A null image draws nothing.
  g.mLog.clear();
  g.DrawSVG(ISVG(), IRECT(0, 0, 20, 10));
  EXPECT_TRUE(Filter(g.mLog, "PathFill").empty());
}

TEST_F(LayersTest, RotatedTextStaysCentredOnItsBounds)
{
  RecordingGraphics g(delegate);
  IText text(10.f, COLOR_BLACK);
  text.mAngle = 90.f;
  const IRECT bounds(0, 0, 100, 40);
  IRECT rect(20, 15, 80, 25); // a 60 x 10 box
  g.DoMeasureTextRotation(text, bounds, rect);
  EXPECT_NEAR(rect.MW(), bounds.MW(), 1e-4);
  EXPECT_NEAR(rect.MH(), bounds.MH(), 1e-4);
  EXPECT_NEAR(rect.W(), 10.f, 1e-4);
  EXPECT_NEAR(rect.H(), 60.f, 1e-4);
}

TEST_F(LayersTest, SVGPaintsBecomePatterns)
{
  RecordingGraphics g(delegate);
  SVGPaint colour;
  colour.mType = ESVGPaintType::kColor;
  colour.mColor = 0x80332211; // red 0x11, green 0x22, blue 0x33; its alpha is not used
  EXPECT_EQ(g.GetSVGPattern(colour, 0.5f).GetStop(0).mColor, IColor(128, 0x11, 0x22, 0x33));
  SVGPaint gradient;
  gradient.mType = ESVGPaintType::kRadialGradient;
  gradient.mGradient.mSpread = ESVGSpread::kReflect;
  gradient.mGradient.mStops = {{0x40ff0000, 0.f}, {0xff00ff00, 1.f}};
  const IPattern p = g.GetSVGPattern(gradient, 0.2f);
  EXPECT_EQ(p.mType, EPatternType::kRadial);
  EXPECT_EQ(p.mExtend, EPatternExtend::kReflect);
  EXPECT_EQ(p.GetStop(0).mColor, IColor(255, 0, 0, 255)); // stops are always opaque
  SVGPaint none;
  EXPECT_EQ(g.GetSVGPattern(none, 1.f).GetStop(0).mColor, IColor(255, 0, 0, 0));
}

namespace
{

class VectorControl : public IControl, public IVectorBase
{
public:
  explicit VectorControl(const IRECT& bounds) : IControl(bounds), IVectorBase(DEFAULT_STYLE)
  {
    AttachIControl(this, "");
  }
  void Draw(IGraphics&) override {}
  void SetStyle(const IVStyle& style) override
  {
    ++mStyled;
    IVectorBase::SetStyle(style);
  }
  int mStyled = 0;
};

} // namespace

TEST_F(LayersTest, StylingReachesOnlyVectorControls)
{
  RecordingGraphics g(delegate);
  auto* pVector = new VectorControl(IRECT(0, 0, 10, 10));
  g.AttachControl(new TestControl(IRECT(0, 0, 10, 10)));
  g.AttachControl(pVector);
  g.StyleAllVectorControls(DEFAULT_STYLE);
  EXPECT_EQ(pVector->mStyled, 1);
}
