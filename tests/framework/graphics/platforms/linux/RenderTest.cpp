// Headless renders of small layouts at display scales 1, 1.5 and 2 and at UI zooms (draw
// scales) 1.5 and 2, checked pixel by pixel.

#include "tests/framework/graphics/platforms/linux/RenderSupport.h"

#include <stb/stb_image.h>

#include <cmath>
#include <cstdio>

using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

const IColor kWhite(255, 255, 255, 255);
const IColor kRed(255, 255, 0, 0);
const IColor kGreen(255, 0, 255, 0);
const IColor kBlue(255, 0, 0, 255);
const IColor kBlack(255, 0, 0, 0);

struct Scales
{
  float screen; // the display's
  float draw;   // the user's zoom of the editor
};

class RenderTest : public ::testing::TestWithParam<Scales>
{
protected:
  // Pixels per point.
  float Scale() const { return GetParam().screen * GetParam().draw; }

  // Opens an editor of w x h points whose first control paints it white (or that has no
  // background).
  HeadlessEditor& Make(int w, int h, bool background = true)
  {
    mEditor = std::make_unique<HeadlessEditor>(w, h, GetParam().screen, GetParam().draw);
    if (background)
      mEditor->Add(IRECT(0.f, 0.f, float(w), float(h)),
                   [w, h](IGraphics& g, IControl&) { g.FillRect(kWhite, IRECT(0, 0, w, h)); });
    return *mEditor;
  }

  void Open()
  {
    if (!mEditor->Open())
      FAIL() << "no headless OpenGL context";
  }

  // The pixel at a point (x, y in points) of the image.
  void ExpectAt(const Image& image, float x, float y, const IColor& color, const char* what,
                int tolerance = 2)
  {
    mEditor->Expect(image, static_cast<int>(x * Scale()), static_cast<int>(y * Scale()), color,
                    what, tolerance);
  }

  std::unique_ptr<HeadlessEditor> mEditor;
};

TEST_P(RenderTest, ShapesAndFillRules)
{
  HeadlessEditor& e = Make(120, 60);
  e.Add(IRECT(0, 0, 120, 60),
        [](IGraphics& g, IControl&)
        {
          g.FillCircle(kRed, 15.f, 15.f, 10.f);
          g.FillRoundRect(kBlue, IRECT(30, 5, 55, 25), 4.f);
          g.DrawRect(kBlack, IRECT(60.5f, 5.5f, 80.5f, 25.5f), nullptr, 1.f);
          // Two nested squares drawn the same way round: non-zero fills the middle, even-odd does
          // not.
          auto squares = [&g](float x)
          {
            g.PathRect(IRECT(x, 32, x + 24, 56));
            g.PathRect(IRECT(x + 6, 38, x + 18, 50));
          };
          g.PathClear();
          squares(5.f);
          g.PathFill(IPattern(kGreen), IFillOptions(false, EFillRule::kWinding));
          squares(35.f);
          g.PathFill(IPattern(kGreen), IFillOptions(false, EFillRule::kEvenOdd));
          // Per sub-path windings: the inner square is marked as a hole.
          g.PathRect(IRECT(65, 32, 89, 56));
          g.PathSetWinding(false);
          g.PathRect(IRECT(71, 38, 83, 50));
          g.PathSetWinding(true);
          g.PathFill(IPattern(kGreen), IFillOptions(false, EFillRule::kPreserve));
        });
  Open();
  const Image image = e.Render();
  ExpectAt(image, 15, 15, kRed, "circle centre");
  ExpectAt(image, 15, 3, kWhite, "outside the circle");
  ExpectAt(image, 42, 15, kBlue, "round rect");
  ExpectAt(image, 30.5f, 5.5f, kWhite, "rounded corner left out", 40);
  ExpectAt(image, 60.5f, 15, kBlack, "rectangle outline", 40);
  ExpectAt(image, 70, 15, kWhite, "inside the outline");
  ExpectAt(image, 8, 44, kGreen, "non-zero: ring");
  ExpectAt(image, 17, 44, kGreen, "non-zero: middle filled");
  ExpectAt(image, 47, 44, kWhite, "even-odd: middle empty");
  ExpectAt(image, 37, 44, kGreen, "even-odd: ring");
  ExpectAt(image, 77, 44, kWhite, "hole marked by winding");
  ExpectAt(image, 67, 44, kGreen, "solid around the hole");
}

TEST_P(RenderTest, GradientsRunFromTheFirstToTheLastStop)
{
  HeadlessEditor& e = Make(100, 40);
  e.Add(IRECT(0, 0, 100, 40),
        [](IGraphics& g, IControl&)
        {
          g.PathRect(IRECT(0, 0, 100, 20));
          g.PathFill(IPattern::CreateLinearGradient(0, 0, 100, 0, {{kRed, 0.f}, {kBlue, 1.f}}));
          // Vertical, and with the stops inside the axis: solid before 0.25 and after 0.75.
          g.PathRect(IRECT(0, 20, 100, 40));
          IPattern p =
            IPattern::CreateLinearGradient(0, 20, 100, 20, {{kGreen, 0.25f}, {kBlack, 0.75f}});
          g.PathFill(p);
        });
  Open();
  const Image image = e.Render();
  ExpectAt(image, 0.5f, 10, kRed, "start", 8);
  ExpectAt(image, 99.5f, 10, kBlue, "end", 8);
  ExpectAt(image, 50, 10, IColor(255, 128, 0, 128), "middle", 6);
  ExpectAt(image, 10, 30, kGreen, "before the first stop", 4);
  ExpectAt(image, 90, 30, kBlack, "after the last stop", 4);
  ExpectAt(image, 50, 30, IColor(255, 0, 128, 0), "between the stops", 6);
}

TEST_P(RenderTest, StrokesAndDashes)
{
  HeadlessEditor& e = Make(100, 40);
  e.Add(IRECT(0, 0, 100, 40),
        [](IGraphics& g, IControl&)
        {
          g.DrawLine(kBlack, 0, 10, 100, 10, nullptr, 4.f);
          g.DrawDottedLine(kBlue, 0, 30, 100, 30, nullptr, 4.f, 10.f);
        });
  Open();
  const Image image = e.Render();
  ExpectAt(image, 50, 10, kBlack, "on the line");
  ExpectAt(image, 50, 9, kBlack, "within the thickness");
  ExpectAt(image, 50, 14, kWhite, "beside the line");
  ExpectAt(image, 5, 30, kBlue, "first dash");
  ExpectAt(image, 15, 30, kWhite, "first gap");
  ExpectAt(image, 25, 30, kBlue, "second dash");
  ExpectAt(image, 95, 30, kWhite, "fifth gap");
}

// The box of the dark pixels of an image, in points.
IRECT InkBox(const Image& image, float scale)
{
  int l = image.w, t = image.h, r = -1, b = -1;
  for (int y = 0; y < image.h; ++y)
    for (int x = 0; x < image.w; ++x)
      if (image.At(x, y).R < 128)
      {
        l = std::min(l, x);
        r = std::max(r, x + 1);
        t = std::min(t, y);
        b = std::max(b, y + 1);
      }
  if (r < 0)
    return IRECT();
  return IRECT(l / scale, t / scale, r / scale, b / scale);
}

TEST_P(RenderTest, TextLandsInTheBoxItMeasures)
{
  for (EAlign align : {EAlign::kNear, EAlign::kCenter, EAlign::kFar})
  {
    const IText style(20.f, kBlack, "Roboto-Regular", align, EVAlign::kMiddle);
    const IRECT bounds(10, 10, 190, 50);
    IRECT measured = bounds;
    HeadlessEditor& e = Make(200, 60);
    e.Add(IRECT(0, 0, 200, 60),
          [&](IGraphics& g, IControl&)
          {
            measured = bounds;
            g.MeasureText(style, "Pelmora", measured);
            g.DrawText(style, "Pelmora", bounds);
          });
    Open();
    const IRECT ink = InkBox(e.Render(), Scale());
    ASSERT_FALSE(ink.Empty()) << "no text drawn";
    EXPECT_GE(ink.L, measured.L - 1.f);
    EXPECT_LE(ink.R, measured.R + 1.f);
    EXPECT_GE(ink.T, measured.T - 1.f);
    EXPECT_LE(ink.B, measured.B + 1.f);
    // The em size: capitals of 20-point Roboto stand about 14 points high.
    EXPECT_NEAR(ink.H(), 14.2f, 1.5f);
    // Within the glyphs' side bearings of the edge they are aligned to.
    if (align == EAlign::kNear)
      EXPECT_NEAR(ink.L, bounds.L, 3.f);
    else if (align == EAlign::kFar)
      EXPECT_NEAR(ink.R, bounds.R, 3.f);
    else
      EXPECT_NEAR(ink.MW(), bounds.MW(), 2.f);
    EXPECT_NEAR(ink.MH(), bounds.MH(), 3.f);
  }
}

TEST_P(RenderTest, BitmapFramesAndScaledVariants)
{
  const std::vector<uint8_t> png = TwoFramePNG(20, 40);
  HeadlessEditor& e = Make(80, 40);
  e.Add(IRECT(0, 0, 80, 40),
        [&](IGraphics& g, IControl&)
        {
          // Loaded at scale 1 only: at screen scale 2 the 2x variant is made through a layer.
          const IBitmap bitmap = g.LoadBitmap("strip.png", png.data(), int(png.size()), 2);
          ASSERT_TRUE(bitmap.IsValid());
          EXPECT_EQ(bitmap.W(), 20);
          EXPECT_EQ(bitmap.H(), 40);
          g.DrawBitmap(bitmap, IRECT(0, 0, 20, 20), 1);
          g.DrawBitmap(bitmap, IRECT(30, 0, 50, 20), 2);
          g.DrawFittedBitmap(bitmap, IRECT(60, 0, 80, 20)); // the whole strip squeezed
        });
  Open();
  const Image image = e.Render();
  ExpectAt(image, 10, 10, kRed, "frame 1");
  ExpectAt(image, 40, 10, kGreen, "frame 2");
  // The rows where the frames meet in the strip: nothing of the neighbour bleeds in.
  ExpectAt(image, 10, 20.f - 0.5f / Scale(), kRed, "frame 1, last row");
  ExpectAt(image, 40, 0, kGreen, "frame 2, first row");
  ExpectAt(image, 70, 4, kRed, "fitted: top half", 4);
  ExpectAt(image, 70, 16, kGreen, "fitted: bottom half", 4);
  ExpectAt(image, 25, 10, kWhite, "between the bitmaps");
}

TEST_P(RenderTest, SVGImagesFromTheResources)
{
  HeadlessEditor& e = Make(192, 64);
  e.Add(IRECT(0, 0, 192, 64),
        [](IGraphics& g, IControl&)
        {
          const ISVG logo = g.LoadSVG("pelmora-logo-96x32.svg");
          ASSERT_TRUE(logo.IsValid());
          EXPECT_EQ(logo.W(), 96.f);
          g.DrawSVG(logo, IRECT(0, 0, 192, 64)); // twice its size
        });
  Open();
  const Image image = e.Render();
  ExpectAt(image, 32, 20, kWhite, "the white ring", 4);
  ExpectAt(image, 44, 32, kWhite, "the white ring, right", 4);
  ExpectAt(image, 32, 32, IColor(255, 0x2f, 0x6f, 0xdf), "the blue dot");
  ExpectAt(image, 190, 62, kWhite, "outside the rounded corner", 40);
  // The gradient band runs from blue to purple.
  const IColor left = image.At(int(10 * Scale()), int(50 * Scale()));
  const IColor right = image.At(int(182 * Scale()), int(50 * Scale()));
  EXPECT_GT(left.B, left.R);
  EXPECT_GT(right.R, left.R);
}

TEST_P(RenderTest, LayersWithDropShadows)
{
  HeadlessEditor& e = Make(100, 60);
  ILayerPtr layer;
  e.Add(IRECT(10, 10, 60, 50),
        [&](IGraphics& g, IControl& self)
        {
          if (!g.CheckLayer(layer))
          {
            g.StartLayer(&self, IRECT(10, 10, 60, 50));
            g.FillRect(kRed, IRECT(10, 10, 40, 30));
            layer = g.EndLayer();
            IShadow shadow;
            shadow.mPattern = IPattern(kBlack);
            shadow.mBlurSize = 2.f;
            shadow.mXOffset = 8.f;
            shadow.mYOffset = 8.f;
            shadow.mOpacity = 1.f;
            g.ApplyLayerDropShadow(layer, shadow);
          }
          g.DrawLayer(layer);
        });
  Open();
  const Image image = e.Render();
  ExpectAt(image, 25, 20, kRed, "the layer's content");
  ExpectAt(image, 39.5f, 29.5f, kRed, "the content's far corner");
  ExpectAt(image, 45, 12, kWhite, "right of the content, above the shadow", 12);
  const IColor shadow = image.At(int(44 * Scale()), int(34 * Scale()));
  EXPECT_LT(shadow.R, 100) << "shadow below and right of the content";
  ExpectAt(image, 80, 20, kWhite, "outside the layer");
  ExpectAt(image, 55, 15, kWhite, "beside the content, above the shadow", 12);
  // A second frame blits the cached layer unchanged.
  const Image again = e.Render();
  ExpectAt(again, 25, 20, kRed, "cached layer");
  EXPECT_LT(again.At(int(44 * Scale()), int(34 * Scale())).R, 100);
}

TEST_P(RenderTest, APartialRedrawDrawsItsRegionAsAFullOneAndKeepsTheRest)
{
  // Translucent controls on no background: a region drawn over what it held would build up.
  HeadlessEditor& e = Make(100, 40, false);
  e.Add(IRECT(0, 0, 100, 40),
        [&](IGraphics& g, IControl&) { g.FillRect(IColor(128, 0, 0, 255), g.GetBounds()); });
  IColor leftColor(128, 255, 0, 0);
  DrawControl* pLeft = e.Add(IRECT(0, 0, 40, 40), [&](IGraphics& g, IControl& self)
                             { g.FillRect(leftColor, self.GetRECT()); });
  DrawControl* pRight = e.Add(IRECT(60, 0, 100, 40), [](IGraphics& g, IControl& self)
                              { g.FillRect(kBlue, self.GetRECT()); });
  Open();
  e.Render();
  const int rightDraws = pRight->mDraws;
  leftColor = IColor(128, 0, 255, 0);
  pLeft->SetDirty(false);
  e.mGraphics.OnTick();
  const Image image = e.Read();
  EXPECT_EQ(pRight->mDraws, rightDraws) << "the clean control was drawn again";
  // Half green over half blue, premultiplied: what a first frame shows.
  ExpectAt(image, 20, 20, IColor(192, 0, 128, 64), "redrawn");
  ExpectAt(image, 80, 20, kBlue, "kept from the last frame");
  ExpectAt(image, 50, 20, IColor(128, 0, 0, 128), "not redrawn");
  // Nothing dirty: nothing is drawn.
  const int leftDraws = pLeft->mDraws;
  e.mGraphics.OnTick();
  EXPECT_EQ(pLeft->mDraws + pRight->mDraws, leftDraws + rightDraws);
}

TEST_P(RenderTest, ABitmapRescaledWhileDrawingLeavesTheTransformAndTheClip)
{
  const std::vector<uint8_t> png = TwoFramePNG(10, 20);
  HeadlessEditor& e = Make(80, 40);
  e.Add(IRECT(20, 0, 60, 40),
        [&](IGraphics& g, IControl&)
        {
          g.PathTransformTranslate(10.f, 10.f);
          // No 3x variant yet: it is made now, through an off-screen layer at scale 3.
          ASSERT_TRUE(
            g.LoadBitmap("rescaled.png", png.data(), int(png.size()), 2, false, 3).IsValid());
          g.FillRect(kBlue, IRECT(10, 0, 30, 20));
          g.FillRect(kRed, IRECT(-20, 22, 80, 28)); // wider than the control
        });
  Open();
  const Image image = e.Render();
  ExpectAt(image, 30, 20, kBlue, "drawn where the transform puts it");
  ExpectAt(image, 15, 5, kWhite, "nothing before the transform");
  ExpectAt(image, 40, 35, kRed, "inside the control");
  ExpectAt(image, 10, 35, kWhite, "clipped left of the control");
  ExpectAt(image, 70, 35, kWhite, "clipped right of the control");
}

TEST_P(RenderTest, ZeroLengthDashesWithRoundCapsAreDots)
{
  HeadlessEditor& e = Make(100, 40);
  e.Add(IRECT(0, 0, 100, 40),
        [](IGraphics& g, IControl&)
        {
          const float dots[] = {0.f, 20.f};
          IStrokeOptions round;
          round.mCapOption = ELineCap::kRound;
          round.mDash.SetDash(dots, 0.f, 2);
          g.PathMoveTo(10, 10);
          g.PathLineTo(90, 10);
          g.PathStroke(IPattern(kBlack), 6.f, round);
          IStrokeOptions butt = round;
          butt.mCapOption = ELineCap::kButt;
          g.PathMoveTo(10, 30);
          g.PathLineTo(90, 30);
          g.PathStroke(IPattern(kBlack), 6.f, butt);
        });
  Open();
  const Image image = e.Render();
  for (float x : {10.f, 30.f, 50.f, 70.f, 90.f})
    ExpectAt(image, x, 10, kBlack, "a dot");
  ExpectAt(image, 30, 11.5f, kBlack, "a round dot, as tall as the stroke is wide", 40);
  ExpectAt(image, 20, 10, kWhite, "between the dots");
  ExpectAt(image, 30, 30, kWhite, "butt caps: nothing");
}

TEST_P(RenderTest, TextInAFontNotLoadedFallsBackToTheDefaultFont)
{
  const IText missing(20.f, kBlack, "NoSuchFont", EAlign::kNear, EVAlign::kMiddle);
  const IText roboto(20.f, kBlack, "Roboto-Regular", EAlign::kNear, EVAlign::kMiddle);
  IRECT measuredMissing, measuredRoboto;
  HeadlessEditor& e = Make(200, 60);
  e.Add(IRECT(0, 0, 200, 60),
        [&](IGraphics& g, IControl&)
        {
          measuredMissing = measuredRoboto = IRECT(10, 10, 190, 50);
          g.MeasureText(missing, "Pelmora", measuredMissing);
          g.MeasureText(roboto, "Pelmora", measuredRoboto);
          g.DrawText(missing, "Pelmora", IRECT(10, 10, 190, 50));
        });
  Open();
  const IRECT ink = InkBox(e.Render(), Scale());
  ASSERT_FALSE(ink.Empty()) << "no text drawn";
  EXPECT_TRUE(measuredMissing == measuredRoboto) << Fmt(measuredMissing) << Fmt(measuredRoboto);
  EXPECT_NEAR(ink.H(), 14.2f, 1.5f);
  EXPECT_GE(ink.L, measuredRoboto.L - 1.f);
  EXPECT_LE(ink.R, measuredRoboto.R + 1.f);
  EXPECT_GT(ink.W(), measuredRoboto.W() - 8.f);
}

TEST_P(RenderTest, AResizedEditorDrawsAtItsNewSize)
{
  HeadlessEditor& e = Make(40, 30);
  e.Add(IRECT(0, 0, 40, 30), [](IGraphics& g, IControl&) { g.FillRect(kRed, g.GetBounds()); });
  Open();
  e.Render();
  e.mGraphics.Resize(60, 20, e.mGraphics.GetDrawScale());
  const Image image = e.Render();
  EXPECT_EQ(image.w, static_cast<int>(60 * Scale()));
  EXPECT_EQ(image.h, static_cast<int>(20 * Scale()));
  ExpectAt(image, 20, 15, kRed, "the control, drawn again into the new framebuffer");
  ExpectAt(image, 55, 15, IColor(0, 0, 0, 0), "no control there: a new framebuffer is clear");
}

INSTANTIATE_TEST_SUITE_P(Scales, RenderTest,
                         ::testing::Values(Scales{1.f, 1.f}, Scales{1.5f, 1.f}, Scales{2.f, 1.f},
                                           Scales{1.f, 1.5f}, Scales{1.f, 2.f}),
                         [](const auto& info)
                         {
                           auto name = [](float s)
                           {
                             return s == 1.5f ? "1_5" : s == 2.f ? "2" : "1";
                           };
                           return std::string("screen") + name(info.param.screen) + "_zoom" +
                                  name(info.param.draw);
                         });

TEST(SnapshotTest, PNGsStoreStraightAlpha)
{
  HeadlessEditor e(20, 20);
  e.Add(IRECT(0, 0, 20, 20),
        [](IGraphics& g, IControl&) { g.FillRect(IColor(128, 255, 64, 0), g.GetBounds()); });
  if (!e.Open())
    GTEST_SKIP() << "no headless OpenGL context";
  const std::string path = ::testing::TempDir() + "pelmora-snapshot.png";
  ASSERT_TRUE(e.mGraphics.SaveSnapshotPNG(path.c_str()));
  std::vector<uint8_t> file(1 << 16);
  FILE* pFile = std::fopen(path.c_str(), "rb");
  ASSERT_NE(pFile, nullptr);
  file.resize(std::fread(file.data(), 1, file.size(), pFile));
  std::fclose(pFile);
  std::remove(path.c_str());
  int w = 0, h = 0, n = 0;
  uint8_t* pixels = stbi_load_from_memory(file.data(), int(file.size()), &w, &h, &n, 4);
  ASSERT_NE(pixels, nullptr);
  const IColor got(pixels[3], pixels[0], pixels[1], pixels[2]);
  stbi_image_free(pixels);
  EXPECT_TRUE(Near(got, IColor(128, 255, 64, 0))) << Fmt(got);
}

} // namespace
