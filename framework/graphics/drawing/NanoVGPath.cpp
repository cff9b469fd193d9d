#include "framework/graphics/drawing/NanoVGPath.h"

#include <algorithm>
#include <cmath>

namespace plugin::igraphics
{

namespace
{

constexpr double kPi = 3.14159265358979323846;

} // namespace

void NanoVGPath::Transform(float& x, float& y) const
{
  double dx = x, dy = y;
  mTransform.TransformPoint(dx, dy);
  x = static_cast<float>(dx);
  y = static_cast<float>(dy);
}

void NanoVGPath::Clear()
{
  mSubPaths.clear();
}

void NanoVGPath::MoveTo(float x, float y)
{
  Transform(x, y);
  SubPath sp;
  sp.cmds.push_back({ECmd::kMove, {x, y}});
  mSubPaths.push_back(std::move(sp));
  mLastX = x;
  mLastY = y;
}

void NanoVGPath::LineTo(float x, float y)
{
  Transform(x, y);
  if (!HasOpenSubPath())
  {
    SubPath sp;
    sp.cmds.push_back({ECmd::kMove, {mLastX, mLastY}});
    mSubPaths.push_back(std::move(sp));
  }
  mSubPaths.back().cmds.push_back({ECmd::kLine, {x, y}});
  mLastX = x;
  mLastY = y;
}

void NanoVGPath::CubicTo(float c1x, float c1y, float c2x, float c2y, float x, float y)
{
  Transform(c1x, c1y);
  Transform(c2x, c2y);
  Transform(x, y);
  if (!HasOpenSubPath())
  {
    SubPath sp;
    sp.cmds.push_back({ECmd::kMove, {mLastX, mLastY}});
    mSubPaths.push_back(std::move(sp));
  }
  mSubPaths.back().cmds.push_back({ECmd::kBezier, {c1x, c1y, c2x, c2y, x, y}});
  mLastX = x;
  mLastY = y;
}

void NanoVGPath::QuadTo(float cx, float cy, float x, float y)
{
  // The current point is in device coordinates; an affine map keeps the curve's construction.
  double ux = mLastX, uy = mLastY;
  IMatrix inverse;
  const double det = mTransform.mXX * mTransform.mYY - mTransform.mXY * mTransform.mYX;
  if (std::fabs(det) > 1e-12)
  {
    const IMatrix& m = mTransform;
    inverse = IMatrix(m.mYY / det, -m.mYX / det, -m.mXY / det, m.mXX / det,
                      (m.mXY * m.mTY - m.mYY * m.mTX) / det, (m.mYX * m.mTX - m.mXX * m.mTY) / det);
  }
  inverse.TransformPoint(ux, uy);
  const float x0 = static_cast<float>(ux), y0 = static_cast<float>(uy);
  CubicTo(x0 + 2.f / 3.f * (cx - x0), y0 + 2.f / 3.f * (cy - y0), x + 2.f / 3.f * (cx - x),
          y + 2.f / 3.f * (cy - y), x, y);
}

void NanoVGPath::Arc(float cx, float cy, float r, float a1, float a2, EWinding winding)
{
  double start = (a1 - 90.0) * kPi / 180.0;
  double delta = (a2 - a1) * kPi / 180.0;
  if (winding == EWinding::kCW)
  {
    if (std::fabs(delta) >= 2.0 * kPi)
      delta = 2.0 * kPi;
    else
      while (delta < 0.0)
        delta += 2.0 * kPi;
  }
  else
  {
    if (std::fabs(delta) >= 2.0 * kPi)
      delta = -2.0 * kPi;
    else
      while (delta > 0.0)
        delta -= 2.0 * kPi;
  }
  const float sx = cx + r * static_cast<float>(std::cos(start));
  const float sy = cy + r * static_cast<float>(std::sin(start));
  if (HasOpenSubPath())
    LineTo(sx, sy);
  else
    MoveTo(sx, sy);
  const int segments = std::max(1, static_cast<int>(std::ceil(std::fabs(delta) / (kPi / 2.0))));
  const double step = delta / segments;
  const double k = 4.0 / 3.0 * std::tan(step / 4.0) * r;
  for (int i = 0; i < segments; ++i)
  {
    const double t0 = start + i * step, t1 = t0 + step;
    const double c0 = std::cos(t0), s0 = std::sin(t0), c1 = std::cos(t1), s1 = std::sin(t1);
    CubicTo(static_cast<float>(cx + r * c0 - k * s0), static_cast<float>(cy + r * s0 + k * c0),
            static_cast<float>(cx + r * c1 + k * s1), static_cast<float>(cy + r * s1 - k * c1),
            static_cast<float>(cx + r * c1), static_cast<float>(cy + r * s1));
  }
}

void NanoVGPath::Close()
{
  if (!HasOpenSubPath())
    return;
  SubPath& sp = mSubPaths.back();
  sp.cmds.push_back({ECmd::kClose, {}});
  sp.closed = true;
  mLastX = sp.cmds.front().pts[0];
  mLastY = sp.cmds.front().pts[1];
}

void NanoVGPath::SetHole(bool hole)
{
  if (!mSubPaths.empty())
    mSubPaths.back().hole = hole;
}

std::vector<NanoVGPath::Polyline> NanoVGPath::Flatten() const
{
  std::vector<Polyline> out;
  for (const SubPath& sp : mSubPaths)
  {
    Polyline line;
    line.closed = sp.closed;
    float x = 0.f, y = 0.f;
    for (const Cmd& cmd : sp.cmds)
    {
      switch (cmd.type)
      {
      case ECmd::kMove:
      case ECmd::kLine:
        x = cmd.pts[0];
        y = cmd.pts[1];
        line.pts.insert(line.pts.end(), {x, y});
        break;
      case ECmd::kBezier:
      {
        const float* p = cmd.pts;
        const float len = std::hypot(p[0] - x, p[1] - y) + std::hypot(p[2] - p[0], p[3] - p[1]) +
                          std::hypot(p[4] - p[2], p[5] - p[3]);
        const int n = std::clamp(static_cast<int>(std::sqrt(len) * 2.f), 1, 64);
        for (int i = 1; i <= n; ++i)
        {
          const float t = static_cast<float>(i) / n, u = 1.f - t;
          const float w0 = u * u * u, w1 = 3.f * u * u * t, w2 = 3.f * u * t * t, w3 = t * t * t;
          line.pts.push_back(w0 * x + w1 * p[0] + w2 * p[2] + w3 * p[4]);
          line.pts.push_back(w0 * y + w1 * p[1] + w2 * p[3] + w3 * p[5]);
        }
        x = p[4];
        y = p[5];
        break;
      }
      case ECmd::kClose:
        break;
      }
    }
    out.push_back(std::move(line));
  }
  return out;
}

float NanoVGPath::Area(const Polyline& line)
{
  // nanovg's own measure: the sum of triangle areas fanned from the first point.
  const std::vector<float>& p = line.pts;
  const size_t n = p.size() / 2;
  double area = 0.0;
  for (size_t i = 2; i < n; ++i)
  {
    const double ax = p[0], ay = p[1];
    const double bx = p[2 * (i - 1)], by = p[2 * (i - 1) + 1];
    const double cx = p[2 * i], cy = p[2 * i + 1];
    area += ((bx - ax) * (cy - ay) - (cx - ax) * (by - ay)) * 0.5;
  }
  return static_cast<float>(area);
}

bool NanoVGPath::EnclosesArea() const
{
  for (const Polyline& line : Flatten())
    if (std::fabs(Area(line)) > 1e-3f)
      return true;
  return false;
}

bool NanoVGPath::Contains(const Polyline& line, float x, float y)
{
  const std::vector<float>& p = line.pts;
  const size_t n = p.size() / 2;
  bool inside = false;
  for (size_t i = 0, j = n - 1; i < n; j = i++)
  {
    const float xi = p[2 * i], yi = p[2 * i + 1], xj = p[2 * j], yj = p[2 * j + 1];
    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
      inside = !inside;
  }
  return n >= 3 && inside;
}

std::vector<bool> NanoVGPath::Holes(EFillRule rule) const
{
  std::vector<bool> holes(mSubPaths.size(), false);
  if (rule == EFillRule::kPreserve)
  {
    for (size_t i = 0; i < mSubPaths.size(); ++i)
      holes[i] = mSubPaths[i].hole;
    return holes;
  }
  const std::vector<Polyline> lines = Flatten();
  for (size_t i = 0; i < lines.size(); ++i)
  {
    if (rule == EFillRule::kWinding)
    {
      // Keep the drawn direction: nanovg then counts windings as the non-zero rule does.
      holes[i] = Area(lines[i]) < 0.f;
      continue;
    }
    if (lines[i].pts.size() < 2)
      continue;
    int depth = 0;
    for (size_t j = 0; j < lines.size(); ++j)
      if (j != i && Contains(lines[j], lines[i].pts[0], lines[i].pts[1]))
        ++depth;
    holes[i] = depth % 2 == 1;
  }
  return holes;
}

std::vector<NanoVGPath::Polyline> NanoVGPath::Dash(const std::vector<Polyline>& lines,
                                                   const float* dashes, int count, float offset,
                                                   float dotLength)
{
  float total = 0.f;
  for (int i = 0; i < count; ++i)
    total += std::max(0.f, dashes[i]);
  if (count <= 0 || !(total > 0.f) || !std::isfinite(total))
    return {};
  // An odd list repeats once so that dashes and gaps alternate.
  std::vector<float> pattern(dashes, dashes + count);
  for (float& d : pattern)
    d = std::max(0.f, d);
  if (count % 2)
  {
    pattern.insert(pattern.end(), pattern.begin(), pattern.end());
    total *= 2.f;
  }
  std::vector<Polyline> out;
  for (const Polyline& line : lines)
  {
    std::vector<float> pts = line.pts;
    if (line.closed && pts.size() >= 4)
      pts.insert(pts.end(), {pts[0], pts[1]});
    // Where in the pattern the line starts.
    float phase = std::fmod(offset, total);
    if (phase < 0.f)
      phase += total;
    size_t idx = 0;
    // A zero-length dash right at the start is drawn (a dot), not skipped.
    while (phase > pattern[idx] || (phase == pattern[idx] && pattern[idx] > 0.f))
    {
      phase -= pattern[idx];
      idx = (idx + 1) % pattern.size();
    }
    float left = pattern[idx] - phase; // length left in the current dash or gap
    bool on = idx % 2 == 0;
    Polyline dash;
    if (on && pts.size() >= 2)
      dash.pts = {pts[0], pts[1]};
    for (size_t i = 2; i + 1 < pts.size(); i += 2)
    {
      float x0 = pts[i - 2], y0 = pts[i - 1];
      const float x1 = pts[i], y1 = pts[i + 1];
      float segment = std::hypot(x1 - x0, y1 - y0);
      while (segment > left)
      {
        const float t = left / segment;
        x0 += (x1 - x0) * t;
        y0 += (y1 - y0) * t;
        segment -= left;
        if (on)
        {
          // A zero-length dash is a dot: a stub along the path that caps can draw, or nothing.
          const bool dot = dash.pts.size() == 2 && dash.pts[0] == x0 && dash.pts[1] == y0;
          const float stub = dot ? dotLength / segment : 0.f; // segment: what is left of it
          dash.pts.insert(dash.pts.end(), {x0 + (x1 - x0) * stub, y0 + (y1 - y0) * stub});
          if (!dot || dotLength > 0.f)
            out.push_back(std::move(dash));
          dash = Polyline();
        }
        else
          dash.pts = {x0, y0};
        on = !on;
        idx = (idx + 1) % pattern.size();
        left = pattern[idx];
        if (out.size() > 100000)
          return out; // a pathological pattern: enough dashes
      }
      left -= segment;
      if (on)
        dash.pts.insert(dash.pts.end(), {x1, y1});
    }
    if (on && dash.pts.size() >= 4)
      out.push_back(std::move(dash));
    // A dot due exactly where an open line ends is drawn there (a closed one has it at the start).
    const size_t n = pts.size();
    if (!on && left < 1e-3f && dotLength > 0.f && !line.closed && n >= 4 &&
        pattern[(idx + 1) % pattern.size()] == 0.f)
    {
      const float dx = pts[n - 2] - pts[n - 4], dy = pts[n - 1] - pts[n - 3];
      const float len = std::hypot(dx, dy);
      if (len > 0.f)
        out.push_back(Polyline{{pts[n - 2], pts[n - 1], pts[n - 2] + dx / len * dotLength,
                                pts[n - 1] + dy / len * dotLength},
                               false});
    }
  }
  return out;
}

} // namespace plugin::igraphics
