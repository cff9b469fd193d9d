#include "framework/graphics/IRECTList.h"

namespace plugin::igraphics
{

IRECT IRECTList::Bounds() const
{
  IRECT r = mRects[0];
  for (size_t i = 1; i < mRects.size(); ++i)
    r = r.Union(mRects[i]);
  return r;
}

void IRECTList::PixelAlign(float scale)
{
  for (IRECT& r : mRects)
    r.PixelAlign(scale);
}

IRECT IRECTList::Shrink(const IRECT& r, const IRECT& x)
{
  if (x.L != r.L)
    return IRECT(r.L, r.T, x.L, r.B);
  if (x.T != r.T)
    return IRECT(r.L, r.T, r.R, x.T);
  if (x.R != r.R)
    return IRECT(x.R, r.T, r.R, r.B);
  return IRECT(r.L, x.B, r.R, r.B);
}

IRECT IRECTList::Split(IRECT r, IRECT x)
{
  if (r.L == x.L)
  {
    if (r.T == x.T) // x at the top-left corner
    {
      Add(IRECT(x.R, r.T, r.R, x.B));
      return IRECT(r.L, x.B, r.R, r.B);
    }
    // bottom-left
    Add(IRECT(r.L, r.T, r.R, x.T));
    return IRECT(x.R, x.T, r.R, r.B);
  }
  if (r.T == x.T) // top-right
  {
    Add(IRECT(r.L, r.T, x.L, x.B));
    return IRECT(r.L, x.B, r.R, r.B);
  }
  // bottom-right
  Add(IRECT(r.L, r.T, r.R, x.T));
  return IRECT(r.L, x.T, x.L, r.B);
}

// Replaces the rectangle at idx by what lies outside x, x spanning it across one axis.
// Shrink keeps only one side of x; when x crosses the rectangle through its middle the far side
// would be lost, so that side is kept as a new rectangle at the end of the list.
void IRECTList::ShrinkAt(int idx, const IRECT& x)
{
  const IRECT r = mRects[idx];
  mRects[idx] = Shrink(r, x);
  const bool fullHeight = x.T == r.T && x.B == r.B;
  const bool fullWidth = x.L == r.L && x.R == r.R;
  if (fullHeight && !fullWidth && x.L != r.L && x.R != r.R)
    Add(IRECT(x.R, r.T, r.R, r.B));
  else if (fullWidth && !fullHeight && x.T != r.T && x.B != r.B)
    Add(IRECT(r.L, x.B, r.R, r.B));
}

void IRECTList::Optimize()
{
  // Pass 1: remove covered rectangles and cut overlaps away.
  for (int i = 0; i < Size(); ++i)
  {
    for (int j = i + 1; j < Size();)
    {
      if (mRects[i].Contains(mRects[j]))
      {
        Remove(j);
        continue;
      }
      if (mRects[j].Contains(mRects[i]))
      {
        Remove(i);
        j = i + 1; // index i now holds the next rectangle: start its inner loop again
        continue;
      }
      if (mRects[i].Intersects(mRects[j]))
      {
        const IRECT x = mRects[i].Intersect(mRects[j]);
        if (mRects[i].Mergeable(x))
          ShrinkAt(i, x);
        else if (mRects[j].Mergeable(x))
          ShrinkAt(j, x);
        else if (mRects[j].Area() <= mRects[i].Area())
          mRects[j] = Split(mRects[j], x);
        else
          mRects[i] = Split(mRects[i], x);
      }
      ++j;
    }
  }

  // Pass 2: merge neighbours that form one rectangle, restarting after every merge.
  bool merged = true;
  while (merged)
  {
    merged = false;
    for (int i = 0; i < Size() && !merged; ++i)
    {
      for (int j = i + 1; j < Size(); ++j)
      {
        if (mRects[i].Mergeable(mRects[j]))
        {
          mRects[j] = mRects[i].Union(mRects[j]);
          Remove(i);
          merged = true;
          break;
        }
      }
    }
  }
}

} // namespace plugin::igraphics
