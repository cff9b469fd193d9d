// The nanovg back end's path record: fill rules as nanovg windings, dashes, arcs.

#include "framework/graphics/drawing/NanoVGPath.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plugin::igraphics;

namespace
{

void Square(NanoVGPath& p, float l, float t, float size, bool reversed = false)
{
  p.MoveTo(l, t);
  if (reversed)
  {
    p.LineTo(l, t + size);
    p.LineTo(l + size, t + size);
    p.LineTo(l + size, t);
  }
  else
  {
    p.LineTo(l + size, t);
    p.LineTo(l + size, t + size);
    p.LineTo(l, t + size);
  }
  p.Close();
}

float Length(const NanoVGPath::Polyline& line)
{
  float len = 0.f;
  for (size_t i = 2; i + 1 < line.pts.size(); i += 2)
    len += std::hypot(line.pts[i] - line.pts[i - 2], line.pts[i + 1] - line.pts[i - 1]);
  return len;
}

} // namespace

TEST(NanoVGPath, FillRulesBecomeHoles)
{
  NanoVGPath p;
  Square(p, 0, 0, 30);
  Square(p, 5, 5, 20);         // same direction, inside
  Square(p, 10, 10, 10, true); // reversed, inside both
  EXPECT_EQ(p.Holes(EFillRule::kEvenOdd), (std::vector<bool>{false, true, false}));
  // Non-zero keeps each direction: only the reversed square winds the other way.
  const std::vector<bool> nonZero = p.Holes(EFillRule::kWinding);
  EXPECT_EQ(nonZero[0], nonZero[1]);
  EXPECT_NE(nonZero[0], nonZero[2]);
  p.SetHole(true);
  EXPECT_EQ(p.Holes(EFillRule::kPreserve), (std::vector<bool>{false, false, true}));
}

TEST(NanoVGPath, DashesFollowThePatternAcrossSegmentsAndTheClose)
{
  NanoVGPath p;
  Square(p, 0, 0, 10); // 40 long, closed
  const float pattern[] = {3.f, 2.f};
  const auto dashes = NanoVGPath::Dash(p.Flatten(), pattern, 2, 1.f);
  // Offset 1: the rest (2) of a first dash, seven whole ones every 5, and the end of one more.
  ASSERT_EQ(dashes.size(), 9u);
  EXPECT_NEAR(Length(dashes[0]), 2.f, 1e-4);
  for (size_t i = 1; i + 1 < dashes.size(); ++i)
    EXPECT_NEAR(Length(dashes[i]), 3.f, 1e-4) << i; // a dash turning a corner keeps its length
  // An odd list repeats; an all-zero list gives no dashes.
  const float odd[] = {4.f};
  EXPECT_EQ(NanoVGPath::Dash(p.Flatten(), odd, 1, 0.f).size(), 5u);
  const float zero[] = {0.f, 0.f};
  EXPECT_TRUE(NanoVGPath::Dash(p.Flatten(), zero, 2, 0.f).empty());
}

TEST(NanoVGPath, ZeroLengthDashesAreStubsAlongThePathOrNothing)
{
  NanoVGPath p;
  p.MoveTo(0, 0);
  p.LineTo(5, 0);
  p.LineTo(5, 7); // 12 long, open, turning at 5
  const float dots[] = {0.f, 4.f};
  const auto stubs = NanoVGPath::Dash(p.Flatten(), dots, 2, 0.f, 0.5f);
  // At 0, 4, 8 (around the corner, heading down) and 12, the very end.
  ASSERT_EQ(stubs.size(), 4u);
  const float expected[4][4] = {{0, 0, 0.5f, 0}, {4, 0, 4.5f, 0}, {5, 3, 5, 3.5f}, {5, 7, 5, 7.5f}};
  for (size_t i = 0; i < stubs.size(); ++i)
    for (size_t k = 0; k < 4; ++k)
      EXPECT_NEAR(stubs[i].pts[k], expected[i][k], 1e-4) << i << " " << k;
  EXPECT_TRUE(NanoVGPath::Dash(p.Flatten(), dots, 2, 0.f).empty()); // butt caps: no dots
}

TEST(NanoVGPath, ArcsStartUpAndRunClockwiseUnderTheTransform)
{
  NanoVGPath p;
  p.SetTransform(IMatrix(2, 0, 0, 2, 100, 0));
  p.Arc(0, 0, 10, 0, 90, EWinding::kCW);
  const auto& cmds = p.SubPaths()[0].cmds;
  EXPECT_NEAR(cmds.front().pts[0], 100.f, 1e-4); // (0, -10) scaled and moved
  EXPECT_NEAR(cmds.front().pts[1], -20.f, 1e-4);
  EXPECT_NEAR(cmds.back().pts[4], 120.f, 1e-4); // ends at (10, 0)
  EXPECT_NEAR(cmds.back().pts[5], 0.f, 1e-4);
  // A second arc joins the open sub-path with a line.
  p.Arc(0, 0, 5, 180, 270, EWinding::kCW);
  EXPECT_EQ(p.SubPaths().size(), 1u);
}
