#include "framework/graphics/controls/IVStyle.h"

#include <gtest/gtest.h>

using namespace plugin::igraphics;

// The constants are constant-initialised: usable in constant expressions, so no static object
// can ever observe them before they are set.
constinit const IVStyle kStyleCopy = DEFAULT_STYLE;
constinit const IText kTextCopy = DEFAULT_TEXT;
static_assert(DEFAULT_STYLE.GetColor(kFR) == COLOR_DARK_GRAY);
static_assert(DEFAULT_STYLE.labelText.mSize == 19.f);
static_assert(DEFAULT_STYLE.valueText.mVAlign == EVAlign::kBottom);
static_assert(DEFAULT_COLOR_SPEC == IVColorSpec());

TEST(IVStyle, DefaultsMatchTheirRoles)
{
  EXPECT_EQ(kStyleCopy, DEFAULT_STYLE);
  EXPECT_STREQ(kTextCopy.mFont, "Roboto-Regular");
  EXPECT_EQ(DEFAULT_BGCOLOR.A, 0); // a default vector control paints no background
  EXPECT_EQ(COLOR_TRANSLUCENT.A, 10);
  EXPECT_EQ(BLEND_01.mWeight, 0.0099999998f);
  EXPECT_TRUE(DEFAULT_STYLE.hideCursor && DEFAULT_STYLE.showLabel && DEFAULT_STYLE.drawShadows);
  EXPECT_FALSE(DEFAULT_STYLE.emboss);
  EXPECT_EQ(DEFAULT_STYLE.labelSide, ELabelSide::kTop);
}

TEST(IVColorSpec, MissingColoursTakeTheirDefaults)
{
  const IVColorSpec three{COLOR_RED, COLOR_GREEN, COLOR_BLUE};
  EXPECT_EQ(three.GetColor(kBG), COLOR_RED);
  EXPECT_EQ(three.GetColor(kPR), COLOR_BLUE);
  EXPECT_EQ(three.GetColor(kFR), IColor(255, 70, 70, 70));
  EXPECT_EQ(three.GetColor(kX3), IColor(255, 0, 0, 255));

  const IVColorSpec nine{COLOR_WHITE, COLOR_WHITE, COLOR_WHITE, COLOR_WHITE, COLOR_WHITE,
                         COLOR_WHITE, COLOR_WHITE, COLOR_WHITE, COLOR_RED};
  for (int i = 0; i < kNumVColors - 1; ++i)
    EXPECT_EQ(nine.GetColor(EVColor(i)), COLOR_WHITE);
  EXPECT_EQ(nine.GetColor(kX3), COLOR_RED);
}
