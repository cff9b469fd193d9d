#pragma once
// NanoVGPath: the current path of the nanovg back end, recorded in device pixels (every point is
// transformed when it is added), so that what nanovg lacks can be worked out before nanovg sees
// the path:
//   - fill rules: nanovg fills each sub-path as solid or as a hole by its winding. Non-zero keeps
//     every sub-path's own direction; even-odd makes a sub-path a hole when it lies inside an
//     odd number of the others; "preserve" takes the holes that PathSetWinding marked;
//   - dashes: the path is flattened to polylines and cut into dashes;
//   - arcs in the graphics core's convention (degrees, 0 up, clockwise) become cubics.
// No nanovg or GL here: the back end replays Commands() into nanovg.

#include "framework/graphics/IGraphicsStructs.h"

#include <vector>

namespace plugin::igraphics
{

class NanoVGPath
{
public:
  enum class ECmd
  {
    kMove,
    kLine,
    kBezier,
    kClose,
  };

  struct Cmd
  {
    ECmd type;
    float pts[6];
  };

  // One sub-path: its commands (starting with a move) and whether PathSetWinding marked it.
  struct SubPath
  {
    std::vector<Cmd> cmds;
    bool closed = false;
    bool hole = false;
  };

  // One polyline of a flattened sub-path.
  struct Polyline
  {
    std::vector<float> pts; // x, y pairs
    bool closed = false;
  };

  void SetTransform(const IMatrix& m) { mTransform = m; }
  const IMatrix& GetTransform() const { return mTransform; }

  void Clear();
  bool Empty() const { return mSubPaths.empty(); }
  void MoveTo(float x, float y);
  void LineTo(float x, float y);
  void CubicTo(float c1x, float c1y, float c2x, float c2y, float x, float y);
  void QuadTo(float cx, float cy, float x, float y);
  // Degrees, 0 pointing up, increasing clockwise; joins the open sub-path with a line or starts
  // one.
  void Arc(float cx, float cy, float r, float a1, float a2, EWinding winding);
  void Close();
  void SetHole(bool hole);

  const std::vector<SubPath>& SubPaths() const { return mSubPaths; }

  // Per sub-path: true when nanovg must fill it as a hole, by the rule.
  std::vector<bool> Holes(EFillRule rule) const;
  // The sub-paths as polylines (curves flattened to within about a quarter pixel).
  std::vector<Polyline> Flatten() const;
  // Dashes of the flattened path: lengths and offset in device pixels, cycling through the
  // array; an all-zero array gives no dashes at all. A zero-length dash becomes a stub of
  // dotLength along the path (round or square caps draw it as a dot, as SVG does), or nothing
  // when dotLength is 0.
  static std::vector<Polyline> Dash(const std::vector<Polyline>& lines, const float* dashes,
                                    int count, float offset, float dotLength = 0.f);
  // False when every sub-path encloses (almost) no area, as a line does.
  bool EnclosesArea() const;
  // Signed area, positive for nanovg's counter-clockwise (solid) direction.
  static float Area(const Polyline& line);
  static bool Contains(const Polyline& line, float x, float y);

private:
  void Transform(float& x, float& y) const;
  bool HasOpenSubPath() const { return !mSubPaths.empty() && !mSubPaths.back().closed; }

  IMatrix mTransform;
  std::vector<SubPath> mSubPaths;
  float mLastX = 0.f; // device coordinates of the current point
  float mLastY = 0.f;
};

} // namespace plugin::igraphics
