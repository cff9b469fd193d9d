#include "framework/graphics/IRECTList.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace plugin::igraphics;

namespace
{

std::vector<IRECT> Contents(const IRECTList& list)
{
  std::vector<IRECT> v;
  for (int i = 0; i < list.Size(); ++i)
    v.push_back(list.Get(i));
  return v;
}

// Pixel coverage of a list on an integer grid: cell (x, y) is covered when a rectangle
// contains its centre.
std::vector<bool> Coverage(const std::vector<IRECT>& rects, int size)
{
  std::vector<bool> cells(size * size, false);
  for (const IRECT& r : rects)
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)
        if (r.Contains(x + 0.5f, y + 0.5f))
          cells[y * size + x] = true;
  return cells;
}

float OverlapArea(const IRECT& a, const IRECT& b)
{
  const float w = std::min(a.R, b.R) - std::max(a.L, b.L);
  const float h = std::min(a.B, b.B) - std::max(a.T, b.T);
  return (w > 0 && h > 0) ? w * h : 0.f;
}

} // namespace

TEST(IRECTList, OptimizeRemovesCoveredRectangles)
{
  IRECTList list;
  list.Optimize();
  EXPECT_EQ(list.Size(), 0);

  list.Add(IRECT(1, 2, 3, 4));
  list.Optimize();
  EXPECT_EQ(Contents(list), std::vector<IRECT>{IRECT(1, 2, 3, 4)});

  list.Clear();
  list.Add(IRECT(0, 0, 10, 10));
  list.Add(IRECT(0, 0, 10, 10));
  list.Optimize();
  EXPECT_EQ(Contents(list), std::vector<IRECT>{IRECT(0, 0, 10, 10)});

  list.Clear();
  list.Add(IRECT(2, 2, 4, 4));
  list.Add(IRECT(0, 0, 10, 10));
  list.Optimize();
  EXPECT_EQ(Contents(list), std::vector<IRECT>{IRECT(0, 0, 10, 10)});
}

TEST(IRECTList, OptimizeMergesAndSplits)
{
  IRECTList list;
  list.Add(IRECT(0, 0, 10, 10));
  list.Add(IRECT(8, 0, 20, 10));
  list.Optimize();
  EXPECT_EQ(Contents(list), std::vector<IRECT>{IRECT(0, 0, 20, 10)});

  // Equal areas overlapping at a corner: the later one is split.
  list.Clear();
  list.Add(IRECT(0, 0, 10, 10));
  list.Add(IRECT(5, 5, 15, 15));
  list.Optimize();
  EXPECT_EQ(Contents(list),
            (std::vector<IRECT>{IRECT(0, 0, 10, 10), IRECT(5, 10, 15, 15), IRECT(10, 5, 15, 10)}));

  // A zero-size rectangle away from the origin is not empty: it takes part like any other.
  list.Clear();
  list.Add(IRECT(5, 5, 5, 5));
  list.Add(IRECT(0, 0, 10, 10));
  list.Optimize();
  EXPECT_EQ(Contents(list), std::vector<IRECT>{IRECT(0, 0, 10, 10)});
}

TEST(IRECTList, RectangleCrossingAnotherThroughItsMiddleLosesNoArea)
{
  for (bool tallFirst : {false, true})
  {
    const IRECT wide(0, 10, 100, 20);
    const IRECT tall(40, 0, 60, 100);
    IRECTList list;
    list.Add(tallFirst ? tall : wide);
    list.Add(tallFirst ? wide : tall);
    list.Optimize();
    EXPECT_EQ(Coverage(Contents(list), 100), Coverage({wide, tall}, 100)) << tallFirst;
  }
}

TEST(IRECTList, OptimizeKeepsExactCoverageWithoutOverlaps)
{
  constexpr int kGrid = 24;
  std::mt19937 rng(1234);
  std::uniform_int_distribution<int> coord(0, kGrid);
  std::uniform_int_distribution<int> count(1, 8);
  for (int iteration = 0; iteration < 3000; ++iteration)
  {
    std::vector<IRECT> added;
    const int n = count(rng);
    for (int k = 0; k < n; ++k)
    {
      int l = coord(rng), r = coord(rng), t = coord(rng), b = coord(rng);
      if (l > r)
        std::swap(l, r);
      if (t > b)
        std::swap(t, b);
      added.emplace_back(float(l), float(t), float(r), float(b));
    }
    IRECTList list;
    for (const IRECT& r : added)
      list.Add(r);
    list.Optimize();
    const std::vector<IRECT> result = Contents(list);
    ASSERT_EQ(Coverage(result, kGrid), Coverage(added, kGrid)) << "iteration " << iteration;
    for (size_t i = 0; i < result.size(); ++i)
      for (size_t j = i + 1; j < result.size(); ++j)
        ASSERT_EQ(OverlapArea(result[i], result[j]), 0.f) << "iteration " << iteration;
  }
}

TEST(IRECTList, BoundsAndPixelAlign)
{
  IRECTList list;
  list.Add(IRECT(10.3f, 10, 20.2f, 20));
  list.Add(IRECT());
  list.Add(IRECT(30, 5, 40, 15));
  EXPECT_EQ(list.Bounds(), IRECT(10.3f, 5, 40, 20));
  list.PixelAlign(2.f);
  EXPECT_EQ(list.Get(0), IRECT(10, 10, 20.5f, 20));
}
