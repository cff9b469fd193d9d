// The editor theme's values: a few of each kind, and those that differ from their
// neighbours.

#include "instrument/Pelmora.h"

#include <gtest/gtest.h>

using namespace plugin::igraphics;

TEST(PelmoraTheme, ColoursAndTextStyles)
{
  EXPECT_EQ(Pelmora::ColorBackground2, IColor(255, 102, 105, 105));
  EXPECT_EQ(Pelmora::ColorModArc, IColor(80, 138, 217, 255));  // unassigned: alpha 80
  EXPECT_EQ(Pelmora::ColorModArcC, IColor(81, 200, 255, 200)); // operators: alpha 81

  // The icon texts keep the library's entry colours; all others take the theme's.
  EXPECT_EQ(Pelmora::TextIconSmall.mTextEntryBGColor, COLOR_WHITE);
  EXPECT_EQ(Pelmora::TextIcon.mTextEntryFGColor, COLOR_BLACK);
  EXPECT_EQ(Pelmora::TextLabelLeft.mTextEntryBGColor, Pelmora::ColorLabelBackground);
  // The mono value texts alone are right-aligned, in their operator's colour.
  const IText& mono = Pelmora::TextValueMonoSpacedC;
  EXPECT_STREQ(mono.mFont, "Roboto Mono");
  EXPECT_EQ(mono.mAlign, EAlign::kFar);
  EXPECT_EQ(mono.mFGColor, Pelmora::ColorC);
  EXPECT_EQ(mono.mTextEntryBGColor, Pelmora::ColorValueBackground);
  EXPECT_EQ(Pelmora::TextValue.mAlign, EAlign::kCenter);
}

TEST(PelmoraTheme, VectorStyles)
{
  // The label style lists two colours; the others are the library's, frame included.
  const IVStyle& label = Pelmora::StyleLabel;
  EXPECT_EQ(label.GetColor(kBG), COLOR_BLACK);
  EXPECT_EQ(label.GetColor(kFG), Pelmora::ColorLabelForeground);
  EXPECT_EQ(label.GetColor(kFR), IColor(255, 70, 70, 70));
  EXPECT_FALSE(label.showValue || label.drawFrame || label.drawShadows);

  const IVStyle& knob = Pelmora::StyleKnobRegularB;
  EXPECT_EQ(knob.GetColor(kSH), Pelmora::ColorModArcB);
  EXPECT_EQ(knob.GetColor(kX2), Pelmora::ColorKnobWidget2);
  EXPECT_TRUE(knob.showLabel && !knob.showValue);
  EXPECT_EQ(Pelmora::StyleKnobSmall.GetColor(kSH), DEFAULT_SHCOLOR);

  // One palette for the five value-field styles; their value texts differ.
  const IVStyle& drag = Pelmora::StyleMouseDragFloatD;
  EXPECT_EQ(drag.colorSpec, Pelmora::StyleMouseDrag.colorSpec);
  EXPECT_EQ(drag.valueText, Pelmora::TextValueMonoSpacedD);
}
