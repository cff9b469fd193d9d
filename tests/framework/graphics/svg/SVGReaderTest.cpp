// The SVG reader: what it makes of the markup the editor's images use, and how it refuses what
// it must not trust.

#include "framework/graphics/svg/SVGReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace plugin::igraphics;

namespace
{

SVGImagePtr Parse(const std::string& body, const std::string& root = "width='100' height='50'")
{
  const std::string text =
    "<svg xmlns='http://www.w3.org/2000/svg' " + root + ">" + body + "</svg>";
  return SVGReader::Parse(text.c_str(), text.size());
}

// The end point of a path's last segment.
std::pair<float, float> End(const SVGPath& path)
{
  return {path.mPts[path.mPts.size() - 2], path.mPts.back()};
}

} // namespace

TEST(SVGReader, ShapesBecomeCubicPathsInImageCoordinates)
{
  SVGImagePtr image =
    Parse("<g transform='translate(10 5)'><rect x='0' y='0' width='20' height='10'/>"
          "<circle cx='5' cy='5' r='5' fill='none' stroke='red' stroke-width='2'/></g>"
          "<path d='M0 0 h10 v10 z m20 0 l5 5'/>"
          "<polyline points='0,0 10,10 20,0'/>");
  ASSERT_TRUE(image);
  EXPECT_EQ(image->mWidth, 100.f);
  ASSERT_EQ(image->mShapes.size(), 4u);
  const SVGPath& rect = image->mShapes[0].mPaths[0];
  EXPECT_TRUE(rect.mClosed);
  EXPECT_EQ((rect.NPoints() - 1) % 3, 0); // a start point and three per cubic
  EXPECT_EQ(rect.mBounds[0], 10.f);
  EXPECT_EQ(rect.mBounds[3], 15.f);
  const SVGShape& circle = image->mShapes[1];
  EXPECT_EQ(circle.mFill.mType, ESVGPaintType::kNone);
  EXPECT_EQ(circle.mStroke.mColor & 0xffffffu, 0x0000ffu);
  EXPECT_NEAR(circle.mPaths[0].mBounds[0], 10.f, 1e-4);
  EXPECT_NEAR(circle.mPaths[0].mBounds[2], 20.f, 1e-4);
  // The relative move after a close starts from the closed sub-path's start.
  const SVGShape& path = image->mShapes[2];
  ASSERT_EQ(path.mPaths.size(), 2u);
  EXPECT_EQ(End(path.mPaths[1]), (std::pair<float, float>(25.f, 5.f)));
  EXPECT_FALSE(image->mShapes[3].mPaths[0].mClosed);
}

TEST(SVGReader, ViewBoxScalesAndCentresTheContent)
{
  SVGImagePtr image =
    Parse("<rect width='10' height='10'/>", "width='40' height='20' viewBox='0 0 10 10'");
  ASSERT_TRUE(image);
  const SVGPath& p = image->mShapes[0].mPaths[0];
  EXPECT_NEAR(p.mBounds[0], 10.f, 1e-4); // scale 2, centred horizontally
  EXPECT_NEAR(p.mBounds[2], 30.f, 1e-4);
  EXPECT_NEAR(p.mBounds[3], 20.f, 1e-4);
}

TEST(SVGReader, StylesInheritAndStyleAttributesWin)
{
  SVGImagePtr image =
    Parse("<g fill='#00ff00' opacity='0.5' stroke-dasharray='3' stroke-linecap='round'>"
          "<rect width='1' height='1' style='fill: rgb(255, 0, 0); stroke:#fff'/>"
          "<rect width='1' height='1' visibility='hidden'/></g>");
  ASSERT_TRUE(image);
  const SVGShape& a = image->mShapes[0];
  EXPECT_EQ(a.mFill.mColor & 0xffffffu, 0x0000ffu);
  EXPECT_EQ(Parse("<rect width='1' height='1' fill='#abc'/>")->mShapes[0].mFill.mColor & 0xffffffu,
            0xccbbaau); // #aabbcc, red in the low byte
  EXPECT_EQ(a.mOpacity, 0.5f);
  EXPECT_EQ(a.mStrokeLineCap, 1);
  ASSERT_EQ(a.mStrokeDashCount, 2); // an odd list repeats once
  EXPECT_EQ(a.mStrokeDashArray[1], 3.f);
  EXPECT_EQ(image->mShapes[1].mFlags & SVGShape::kFlagVisible, 0u);
}

TEST(SVGReader, GradientsMapTheirAxisToTheUnitSpace)
{
  SVGImagePtr image =
    Parse("<rect x='10' y='0' width='20' height='10' fill='url(#g)'/>"
          "<defs><linearGradient id='base'><stop offset='0' stop-color='red'/>"
          "<stop offset='100%' stop-color='blue' stop-opacity='0.5'/></linearGradient>"
          "<linearGradient id='g' href='#base' spreadMethod='repeat'/>"
          "<radialGradient id='r' cx='0' cy='0' r='10' gradientUnits='userSpaceOnUse'>"
          "<stop offset='0.2' stop-color='#fff'/><stop offset='0.1' stop-color='#000'/>"
          "</radialGradient></defs><circle r='1' fill='url(#r)'/><rect width='1' height='1' "
          "fill='url(#missing)'/>");
  ASSERT_TRUE(image);
  const SVGPaint& fill = image->mShapes[0].mFill;
  ASSERT_EQ(fill.mType, ESVGPaintType::kLinearGradient);
  EXPECT_EQ(fill.mGradient.mSpread, ESVGSpread::kRepeat);
  ASSERT_EQ(fill.mGradient.mStops.size(), 2u);
  EXPECT_EQ(fill.mGradient.mStops[1].mColor >> 24, 128u);
  // The bounding box's left edge maps to 0 and its right edge to 1 along y.
  const float* t = fill.mGradient.mXform;
  auto gradientY = [t](float x, float y)
  {
    return x * t[1] + y * t[3] + t[5];
  };
  EXPECT_NEAR(gradientY(10.f, 5.f), 0.f, 1e-5);
  EXPECT_NEAR(gradientY(30.f, 5.f), 1.f, 1e-5);
  EXPECT_NEAR(gradientY(20.f, 0.f), 0.5f, 1e-5);
  const SVGPaint& radial = image->mShapes[1].mFill;
  ASSERT_EQ(radial.mType, ESVGPaintType::kRadialGradient);
  EXPECT_NEAR(radial.mGradient.mXform[0], 0.1f, 1e-6);
  EXPECT_EQ(radial.mGradient.mStops[1].mOffset, 0.2f); // offsets never decrease
  EXPECT_EQ(image->mShapes[2].mFill.mType, ESVGPaintType::kNone);
}

TEST(SVGReader, ArcsEndWhereTheyAreAimed)
{
  SVGImagePtr image = Parse("<path d='M10 10 A5 5 0 0 1 20 10 a5 3 30 1 0 -10 0 A0 0 0 0 0 5 5'/>");
  ASSERT_TRUE(image);
  const SVGPath& p = image->mShapes[0].mPaths[0];
  EXPECT_EQ(End(p), (std::pair<float, float>(5.f, 5.f)));
  // The first arc is a half circle over the top of its chord (sweep 1 from left to right).
  EXPECT_NEAR(p.mBounds[1], 5.f, 0.3f);
}

TEST(SVGReader, MalformedOrHostileTextIsRefused)
{
  const char* refused[] = {
    "",
    "<svg",
    "<html/>",
    "<svg xmlns='http://www.w3.org/2000/svg'><rect></svg>",
    // Entity declarations (markup bombs) are never read.
    "<!DOCTYPE svg [<!ENTITY a 'aaaa'><!ENTITY b '&a;&a;&a;'>]><svg>&b;</svg>",
    "<svg xmlns='http://www.w3.org/2000/svg'>\xff\xfe</svg>",
  };
  for (const char* text : refused)
    EXPECT_FALSE(SVGReader::Parse(text, std::strlen(text))) << text;

  std::string deep = "<svg xmlns='http://www.w3.org/2000/svg'>";
  for (int i = 0; i < SVGReader::kMaxDepth + 10; ++i)
    deep += "<g>";
  for (int i = 0; i < SVGReader::kMaxDepth + 10; ++i)
    deep += "</g>";
  deep += "</svg>";
  EXPECT_FALSE(SVGReader::Parse(deep.c_str(), deep.size()));

  std::string huge = "<svg xmlns='http://www.w3.org/2000/svg'><path d='M0 0";
  for (size_t i = 0; i < SVGReader::kMaxPoints / 3 + 10; ++i)
    huge += " L1 1";
  huge += "'/></svg>";
  EXPECT_FALSE(SVGReader::Parse(huge.c_str(), huge.size()));
}

TEST(SVGReader, BadValuesAreDroppedNotTrusted)
{
  // A path error keeps what came before it; numbers that are not finite are not numbers; a
  // negative size draws nothing.
  SVGImagePtr image = Parse("<path d='M0 0 L10 10 L nan 5 L20 20'/>"
                            "<rect width='-5' height='5'/><rect width='1e39' height='1'/>"
                            "<circle r='3' transform='scale(' fill='#12'/>");
  ASSERT_TRUE(image);
  ASSERT_EQ(image->mShapes.size(), 2u);
  EXPECT_EQ(End(image->mShapes[0].mPaths[0]), (std::pair<float, float>(10.f, 10.f)));
  // The circle's broken transform and colour are ignored: untransformed, black.
  EXPECT_NEAR(image->mShapes[1].mPaths[0].mBounds[2], 3.f, 1e-4);
  EXPECT_EQ(image->mShapes[1].mFill.mColor & 0xffffffu, 0u);
}
