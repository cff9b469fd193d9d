// The editor theme's values where they differ from their neighbours: the one modulation arc of
// another alpha, the icon texts' entry colours, the right-aligned mono value texts, the label
// style's own frame colour and the value fields' shared palette.

#include "instrument/Pelmora.h"

#include <gtest/gtest.h>

using namespace plugin::igraphics;

TEST(PelmoraTheme, TheValuesThatDifferFromTheirNeighbours)
{
  EXPECT_EQ(Pelmora::ColorModArc, IColor(80, 138, 217, 255));  // unassigned: alpha 80
  EXPECT_EQ(Pelmora::ColorModArcC, IColor(81, 200, 255, 200)); // operators: alpha 81
  EXPECT_EQ(Pelmora::TextIconSmall.mTextEntryBGColor, COLOR_WHITE);
  EXPECT_EQ(Pelmora::TextLabelLeft.mTextEntryBGColor, Pelmora::ColorLabelBackground);
  const IText& mono = Pelmora::TextValueMonoSpacedC;
  EXPECT_EQ(mono.mAlign, EAlign::kFar);
  EXPECT_EQ(mono.mFGColor, Pelmora::ColorC);
  EXPECT_EQ(Pelmora::StyleLabel.GetColor(kFR), IColor(255, 70, 70, 70));
  EXPECT_EQ(Pelmora::StyleKnobRegularB.GetColor(kSH), Pelmora::ColorModArcB);
  EXPECT_EQ(Pelmora::StyleMouseDragFloatD.colorSpec, Pelmora::StyleMouseDrag.colorSpec);
  EXPECT_EQ(Pelmora::StyleMouseDragFloatD.valueText, Pelmora::TextValueMonoSpacedD);
}
