// The editor theme against its tables: a few rows of each, and the rows that differ from their
// neighbours (modulation-arc alphas, the icon texts' entry colours, the right-aligned mono value
// texts, the label style's library colours, the knob styles' hidden value).

#include "instrument/Pelmora.h"

#include <gtest/gtest.h>

using namespace plugin::igraphics;

namespace
{

TEST(PelmoraTheme, ColoursAsTabled)
{
  EXPECT_EQ(Pelmora::ColorBackground2, IColor(255, 102, 105, 105));
  EXPECT_EQ(Pelmora::ColorPrimary, IColor(255, 138, 217, 255));
  EXPECT_EQ(Pelmora::ColorModArc, IColor(80, 138, 217, 255));  // the unassigned arc: alpha 80
  EXPECT_EQ(Pelmora::ColorModArcC, IColor(81, 200, 255, 200)); // the operators' arcs: alpha 81
  EXPECT_EQ(Pelmora::ColorD, IColor(255, 255, 165, 187));
  EXPECT_EQ(Pelmora::ColorSliderBg, IColor(255, 30, 30, 40));
  EXPECT_EQ(Pelmora::ColorRaster, IColor(70, 102, 102, 102));
}

TEST(PelmoraTheme, TextStylesAsTabled)
{
  const IText& icon = Pelmora::TextIcon;
  EXPECT_STREQ(icon.mFont, "ForkAwesome");
  EXPECT_EQ(icon.mSize, 18.f);
  EXPECT_EQ(icon.mTextEntryBGColor, COLOR_WHITE); // the library's entry colours, unlike the rest
  EXPECT_EQ(icon.mTextEntryFGColor, COLOR_BLACK);
  EXPECT_EQ(Pelmora::TextIconSmall.mSize, 14.f);

  const IText& label = Pelmora::TextLabelLeft;
  EXPECT_STREQ(label.mFont, "RobotoCondensed-Light");
  EXPECT_EQ(label.mSize, 14.f);
  EXPECT_EQ(label.mFGColor, Pelmora::ColorLabelForeground);
  EXPECT_EQ(label.mTextEntryBGColor, Pelmora::ColorLabelBackground);
  EXPECT_EQ(label.mAlign, EAlign::kNear);
  EXPECT_EQ(label.mVAlign, EVAlign::kMiddle);

  const IText& mono = Pelmora::TextValueMonoSpacedC;
  EXPECT_STREQ(mono.mFont, "Roboto Mono");
  EXPECT_EQ(mono.mFGColor, Pelmora::ColorC);
  EXPECT_EQ(mono.mTextEntryBGColor, Pelmora::ColorValueBackground);
  EXPECT_EQ(mono.mTextEntryFGColor, Pelmora::ColorC);
  EXPECT_EQ(mono.mAlign, EAlign::kFar); // the only right-aligned value texts
  EXPECT_EQ(Pelmora::TextValue.mAlign, EAlign::kCenter);
  EXPECT_EQ(Pelmora::TextDisplayValue.mAlign, EAlign::kNear);
  EXPECT_EQ(Pelmora::TextDisplayValue.mSize, 30.f);
  EXPECT_EQ(Pelmora::TextDropdown.mSize, 15.f);
  EXPECT_EQ(Pelmora::TextFrameLabel.mAngle, 0.f);
}

TEST(PelmoraTheme, VectorStylesAsTabled)
{
  // Label: two colours listed, the rest the library's; no value shown.
  const IVStyle& label = Pelmora::StyleLabel;
  EXPECT_EQ(label.GetColor(kBG), COLOR_BLACK);
  EXPECT_EQ(label.GetColor(kFG), Pelmora::ColorLabelForeground);
  EXPECT_EQ(label.GetColor(kFR), IColor(255, 70, 70, 70));
  EXPECT_EQ(label.GetColor(kX3), DEFAULT_X3COLOR);
  EXPECT_FALSE(label.showValue);
  EXPECT_FALSE(label.drawFrame);
  EXPECT_EQ(label.valueText.mSize, Pelmora::TextLabel.mSize);

  const IVStyle& knobB = Pelmora::StyleKnobRegularB;
  EXPECT_EQ(knobB.GetColor(kBG), Pelmora::ColorKnobFrame);
  EXPECT_EQ(knobB.GetColor(kFG), Pelmora::ColorB);
  EXPECT_EQ(knobB.GetColor(kPR), DEFAULT_PRCOLOR);
  EXPECT_EQ(knobB.GetColor(kSH), Pelmora::ColorModArcB);
  EXPECT_EQ(knobB.GetColor(kX2), Pelmora::ColorKnobWidget2);
  EXPECT_TRUE(knobB.showLabel);
  EXPECT_FALSE(knobB.showValue);
  EXPECT_FALSE(Pelmora::StyleKnobSmall.showLabel);
  EXPECT_EQ(Pelmora::StyleKnobSmall.GetColor(kSH), DEFAULT_SHCOLOR);

  const IVStyle& dragD = Pelmora::StyleMouseDragFloatD;
  EXPECT_EQ(dragD.GetColor(kFG), COLOR_WHITE);
  EXPECT_EQ(dragD.GetColor(kSH), Pelmora::ColorSliderTrackBg);
  EXPECT_EQ(dragD.GetColor(kX1), Pelmora::ColorPrimary);
  EXPECT_EQ(dragD.colorSpec, Pelmora::StyleMouseDrag.colorSpec);
  EXPECT_EQ(dragD.valueText, Pelmora::TextValueMonoSpacedD);
  EXPECT_TRUE(dragD.showValue && dragD.hideCursor && dragD.drawShadows && !dragD.emboss);

  // Every style keeps the library's measures.
  for (const IVStyle* pStyle : {&Pelmora::StyleKnobRegular, &Pelmora::StyleMouseDrag, &label})
  {
    EXPECT_EQ(pStyle->roundness, DEFAULT_STYLE.roundness);
    EXPECT_EQ(pStyle->shadowOffset, DEFAULT_STYLE.shadowOffset);
    EXPECT_EQ(pStyle->widgetFrac, DEFAULT_STYLE.widgetFrac);
    EXPECT_EQ(pStyle->labelSide, ELabelSide::kTop);
  }
}

} // namespace
