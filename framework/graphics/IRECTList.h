#pragma once
// The dirty region of one frame: a list of rectangles that the frame loop redraws.
//
// Add appends unchanged; all reduction happens in Optimize, which turns the list into
// rectangles that do not overlap and then merges neighbours that share two full edges:
//
//   Pass 1 (covered rectangles and overlaps), for each pair (i, j), j > i, in this order:
//     i contains j -> delete j;  j contains i -> delete i;
//     i intersects j -> x = i ∩ j; shrink i (or else j) by x when x spans it across one axis,
//     otherwise split the smaller (j on a tie) into the two pieces outside x.
//   Pass 2 (merge neighbours): any mergeable pair becomes its union, restarting the sweep.
//
// Invariant: the union of the optimised list equals the union of what was added (no area is
// ever lost, none is gained), and no two rectangles of the optimised list overlap.

#include "framework/graphics/IGraphicsStructs.h"

#include <vector>

namespace plugin::igraphics
{

class IRECTList
{
public:
  int Size() const { return static_cast<int>(mRects.size()); }
  const IRECT& Get(int idx) const { return mRects[idx]; }
  void Set(int idx, const IRECT& r) { mRects[idx] = r; }
  // Empties the list, keeping its storage for the next frame.
  void Clear() { mRects.clear(); }

  void Add(const IRECT& r) { mRects.push_back(r); }

  // The union of all rectangles (empty ones do not widen it). Only for a non-empty list.
  IRECT Bounds() const;

  void PixelAlign(float scale);

  void Optimize();

  // Part of r on one side of x (x inside r): left of it, else above it, else right of it,
  // else below it.
  static IRECT Shrink(const IRECT& r, const IRECT& x);

  // r less x, where x lies inside r and shares one of its corners: appends one piece of r
  // outside x to the list and returns the other. (By value: r may lie in the list's own
  // storage, which the append can move.)
  IRECT Split(IRECT r, IRECT x);

private:
  void Remove(int idx) { mRects.erase(mRects.begin() + idx); }
  void ShrinkAt(int idx, const IRECT& x);

  std::vector<IRECT> mRects;
};

} // namespace plugin::igraphics
