#include "framework/graphics/svg/SVGGeometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

namespace plugin::igraphics::svg
{

namespace
{

constexpr float kPi = 3.14159265358979f;

bool IsSpace(char c)
{
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

void SkipSpaceAndComma(std::string_view s, size_t& pos)
{
  while (pos < s.size() && IsSpace(s[pos]))
    ++pos;
  if (pos < s.size() && s[pos] == ',')
    ++pos;
  while (pos < s.size() && IsSpace(s[pos]))
    ++pos;
}

// An arc flag: a single 0 or 1, which path data may write without a separator.
bool ReadFlag(std::string_view s, size_t& pos, bool& out)
{
  SkipSpaceAndComma(s, pos);
  if (pos >= s.size() || (s[pos] != '0' && s[pos] != '1'))
    return false;
  out = s[pos++] == '1';
  return true;
}

} // namespace

namespace
{

struct NamedColor
{
  const char* name;
  uint32_t rgb; // 0xRRGGBB
};

constexpr NamedColor kNamedColors[] = {
  {"black", 0x000000},    {"white", 0xffffff},    {"red", 0xff0000},       {"green", 0x008000},
  {"blue", 0x0000ff},     {"yellow", 0xffff00},   {"cyan", 0x00ffff},      {"aqua", 0x00ffff},
  {"magenta", 0xff00ff},  {"fuchsia", 0xff00ff},  {"gray", 0x808080},      {"grey", 0x808080},
  {"silver", 0xc0c0c0},   {"maroon", 0x800000},   {"olive", 0x808000},     {"lime", 0x00ff00},
  {"teal", 0x008080},     {"navy", 0x000080},     {"purple", 0x800080},    {"orange", 0xffa500},
  {"darkgray", 0xa9a9a9}, {"darkgrey", 0xa9a9a9}, {"lightgray", 0xd3d3d3}, {"lightgrey", 0xd3d3d3},
  {"dimgray", 0x696969},  {"dimgrey", 0x696969},
};

} // namespace

uint32_t Pack(int r, int g, int b, int a)
{
  return static_cast<uint32_t>(std::clamp(r, 0, 255)) |
         static_cast<uint32_t>(std::clamp(g, 0, 255)) << 8 |
         static_cast<uint32_t>(std::clamp(b, 0, 255)) << 16 |
         static_cast<uint32_t>(std::clamp(a, 0, 255)) << 24;
}

uint32_t WithAlpha(uint32_t color, float alpha)
{
  return (color & 0x00ffffffu) |
         static_cast<uint32_t>(std::lround(std::clamp(alpha, 0.f, 1.f) * 255.f)) << 24;
}

std::string_view Trim(std::string_view s)
{
  while (!s.empty() && std::strchr(" \t\r\n", s.front()))
    s.remove_prefix(1);
  while (!s.empty() && std::strchr(" \t\r\n", s.back()))
    s.remove_suffix(1);
  return s;
}

bool ParseColor(std::string_view s, uint32_t& out)
{
  s = Trim(s);
  if (!s.empty() && s[0] == '#')
  {
    std::string hex(s.substr(1));
    if ((hex.size() != 3 && hex.size() != 6) ||
        hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
      return false;
    const unsigned long v = std::stoul(hex, nullptr, 16);
    if (hex.size() == 3)
      out = Pack(int((v >> 8) & 15) * 17, int((v >> 4) & 15) * 17, int(v & 15) * 17);
    else
      out = Pack(int((v >> 16) & 255), int((v >> 8) & 255), int(v & 255));
    return true;
  }
  if (s.substr(0, 4) == "rgb(" && s.back() == ')')
  {
    std::string_view body = s.substr(4, s.size() - 5);
    int c[3] = {};
    size_t pos = 0;
    for (int i = 0; i < 3; ++i)
    {
      float v = 0.f;
      if (!ReadNumber(body, pos, v))
        return false;
      if (pos < body.size() && body[pos] == '%')
      {
        v = v * 255.f / 100.f;
        ++pos;
      }
      c[i] = static_cast<int>(std::lround(std::clamp(v, 0.f, 255.f)));
    }
    out = Pack(c[0], c[1], c[2]);
    return true;
  }
  for (const NamedColor& nc : kNamedColors)
    if (s == nc.name)
    {
      out = Pack(int(nc.rgb >> 16), int((nc.rgb >> 8) & 255), int(nc.rgb & 255));
      return true;
    }
  return false;
}

Xform Multiply(const Xform& a, const Xform& b)
{
  return {b[0] * a[0] + b[1] * a[2],        b[0] * a[1] + b[1] * a[3],
          b[2] * a[0] + b[3] * a[2],        b[2] * a[1] + b[3] * a[3],
          b[4] * a[0] + b[5] * a[2] + a[4], b[4] * a[1] + b[5] * a[3] + a[5]};
}

bool Invert(const Xform& t, Xform& out)
{
  const double det = double(t[0]) * t[3] - double(t[2]) * t[1];
  if (std::fabs(det) < 1e-12)
    return false;
  const double inv = 1.0 / det;
  out = {float(t[3] * inv),
         float(-t[1] * inv),
         float(-t[2] * inv),
         float(t[0] * inv),
         float((double(t[2]) * t[5] - double(t[3]) * t[4]) * inv),
         float((double(t[1]) * t[4] - double(t[0]) * t[5]) * inv)};
  for (float v : out)
    if (!std::isfinite(v))
      return false;
  return true;
}

void Apply(const Xform& t, float& x, float& y)
{
  const float nx = x * t[0] + y * t[2] + t[4];
  const float ny = x * t[1] + y * t[3] + t[5];
  x = nx;
  y = ny;
}

float MeanScale(const Xform& t)
{
  return std::sqrt(std::fabs(t[0] * t[3] - t[2] * t[1]));
}

bool ReadNumber(std::string_view s, size_t& pos, float& out)
{
  SkipSpaceAndComma(s, pos);
  if (pos >= s.size())
    return false;
  const char* first = s.data() + pos;
  const char* last = s.data() + s.size();
  // from_chars takes no leading '+'.
  if (*first == '+')
    ++first;
  const auto [ptr, ec] = std::from_chars(first, last, out, std::chars_format::general);
  if (ec != std::errc() || !std::isfinite(out))
    return false;
  pos = static_cast<size_t>(ptr - s.data());
  return true;
}

bool ReadNumberList(std::string_view s, std::vector<float>& out)
{
  size_t pos = 0;
  float v = 0.f;
  while (ReadNumber(s, pos, v))
    out.push_back(v);
  SkipSpaceAndComma(s, pos);
  return pos >= s.size();
}

bool ParseTransform(std::string_view s, Xform& out)
{
  out = kIdentity;
  size_t pos = 0;
  while (true)
  {
    SkipSpaceAndComma(s, pos);
    if (pos >= s.size())
      return true;
    const size_t open = s.find('(', pos);
    const size_t close = s.find(')', pos);
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
      return false;
    std::string_view name = s.substr(pos, open - pos);
    while (!name.empty() && IsSpace(name.back()))
      name.remove_suffix(1);
    std::vector<float> v;
    if (!ReadNumberList(s.substr(open + 1, close - open - 1), v))
      return false;
    Xform m = kIdentity;
    const size_t n = v.size();
    if (name == "matrix" && n == 6)
      m = {v[0], v[1], v[2], v[3], v[4], v[5]};
    else if (name == "translate" && (n == 1 || n == 2))
      m = {1.f, 0.f, 0.f, 1.f, v[0], n == 2 ? v[1] : 0.f};
    else if (name == "scale" && (n == 1 || n == 2))
      m = {v[0], 0.f, 0.f, n == 2 ? v[1] : v[0], 0.f, 0.f};
    else if (name == "rotate" && (n == 1 || n == 3))
    {
      const float a = v[0] * kPi / 180.f;
      const float c = std::cos(a), sn = std::sin(a);
      m = {c, sn, -sn, c, 0.f, 0.f};
      if (n == 3)
        m = Multiply(Multiply({1.f, 0.f, 0.f, 1.f, v[1], v[2]}, m),
                     {1.f, 0.f, 0.f, 1.f, -v[1], -v[2]});
    }
    else if (name == "skewX" && n == 1)
      m = {1.f, 0.f, std::tan(v[0] * kPi / 180.f), 1.f, 0.f, 0.f};
    else if (name == "skewY" && n == 1)
      m = {1.f, std::tan(v[0] * kPi / 180.f), 0.f, 1.f, 0.f, 0.f};
    else
      return false;
    out = Multiply(out, m);
    pos = close + 1;
  }
}

void AddCubic(SubPath& p, float c1x, float c1y, float c2x, float c2y, float x, float y)
{
  p.pts.insert(p.pts.end(), {c1x, c1y, c2x, c2y, x, y});
}

void AddLine(SubPath& p, float x, float y)
{
  const float x0 = p.pts[p.pts.size() - 2];
  const float y0 = p.pts[p.pts.size() - 1];
  AddCubic(p, x0 + (x - x0) / 3.f, y0 + (y - y0) / 3.f, x0 + 2.f * (x - x0) / 3.f,
           y0 + 2.f * (y - y0) / 3.f, x, y);
}

void AddArc(SubPath& p, float rx, float ry, float angle, bool largeArc, bool sweep, float x,
            float y)
{
  const double x1 = p.pts[p.pts.size() - 2];
  const double y1 = p.pts[p.pts.size() - 1];
  double rX = std::fabs(rx), rY = std::fabs(ry);
  if (rX < 1e-6 || rY < 1e-6 || (std::fabs(x1 - x) < 1e-6 && std::fabs(y1 - y) < 1e-6))
  {
    AddLine(p, x, y);
    return;
  }
  // Endpoint to centre parameterisation (SVG implementation notes, F.6.5).
  const double phi = angle * kPi / 180.0;
  const double cp = std::cos(phi), sp = std::sin(phi);
  const double dx = (x1 - x) / 2.0, dy = (y1 - y) / 2.0;
  const double x1p = cp * dx + sp * dy;
  const double y1p = -sp * dx + cp * dy;
  const double lambda = (x1p * x1p) / (rX * rX) + (y1p * y1p) / (rY * rY);
  if (lambda > 1.0)
  {
    rX *= std::sqrt(lambda);
    rY *= std::sqrt(lambda);
  }
  const double num = rX * rX * rY * rY - rX * rX * y1p * y1p - rY * rY * x1p * x1p;
  const double den = rX * rX * y1p * y1p + rY * rY * x1p * x1p;
  double coef = den > 0.0 ? std::sqrt(std::max(0.0, num / den)) : 0.0;
  if (largeArc == sweep)
    coef = -coef;
  const double cxp = coef * rX * y1p / rY;
  const double cyp = -coef * rY * x1p / rX;
  const double cx = cp * cxp - sp * cyp + (x1 + x) / 2.0;
  const double cy = sp * cxp + cp * cyp + (y1 + y) / 2.0;
  auto angleOf = [](double ux, double uy, double vx, double vy)
  {
    return std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
  };
  const double ux = (x1p - cxp) / rX, uy = (y1p - cyp) / rY;
  const double vx = (-x1p - cxp) / rX, vy = (-y1p - cyp) / rY;
  const double theta1 = angleOf(1.0, 0.0, ux, uy);
  double delta = angleOf(ux, uy, vx, vy);
  if (!sweep && delta > 0.0)
    delta -= 2.0 * kPi;
  else if (sweep && delta < 0.0)
    delta += 2.0 * kPi;
  const int segments = std::max(1, static_cast<int>(std::ceil(std::fabs(delta) / (kPi / 2.0))));
  const double step = delta / segments;
  const double k = 4.0 / 3.0 * std::tan(step / 4.0);
  double t = theta1;
  for (int i = 0; i < segments; ++i)
  {
    const double c1 = std::cos(t), s1 = std::sin(t);
    const double c2 = std::cos(t + step), s2 = std::sin(t + step);
    // Points on the unit circle, then scaled, rotated and moved to the centre.
    const double pts[6] = {c1 - k * s1, s1 + k * c1, c2 + k * s2, s2 - k * c2, c2, s2};
    float out[6];
    for (int j = 0; j < 3; ++j)
    {
      const double ex = pts[2 * j] * rX, ey = pts[2 * j + 1] * rY;
      out[2 * j] = static_cast<float>(cp * ex - sp * ey + cx);
      out[2 * j + 1] = static_cast<float>(sp * ex + cp * ey + cy);
    }
    if (i == segments - 1)
    {
      out[4] = x;
      out[5] = y;
    }
    AddCubic(p, out[0], out[1], out[2], out[3], out[4], out[5]);
    t += step;
  }
}

namespace
{

// The state of the path-data parser: current point, sub-path start, last control point.
struct PathState
{
  std::vector<SubPath>& out;
  float cx = 0.f, cy = 0.f;   // current point
  float sx = 0.f, sy = 0.f;   // start of the sub-path
  float lcx = 0.f, lcy = 0.f; // last control point (for S and T)
  char lastCmd = 0;

  SubPath& Current()
  {
    // A drawing command after a close (or with no move) starts at the current point.
    if (out.empty() || out.back().closed)
    {
      out.push_back(SubPath());
      out.back().pts = {cx, cy};
      sx = cx;
      sy = cy;
    }
    return out.back();
  }
};

bool RunCommand(char cmd, std::string_view d, size_t& pos, PathState& st)
{
  const bool rel = cmd >= 'a' && cmd <= 'z';
  const char up = rel ? static_cast<char>(cmd - 'a' + 'A') : cmd;
  const float ox = rel ? st.cx : 0.f, oy = rel ? st.cy : 0.f;
  float v[7];
  auto read = [&](int n)
  {
    for (int i = 0; i < n; ++i)
      if (!ReadNumber(d, pos, v[i]))
        return false;
    return true;
  };
  switch (up)
  {
  case 'M':
    if (!read(2))
      return false;
    st.out.push_back(SubPath());
    st.cx = st.sx = v[0] + ox;
    st.cy = st.sy = v[1] + oy;
    st.out.back().pts = {st.cx, st.cy};
    st.lcx = st.cx;
    st.lcy = st.cy;
    return true;
  case 'L':
  case 'H':
  case 'V':
  {
    float x = st.cx, y = st.cy;
    if (up == 'L')
    {
      if (!read(2))
        return false;
      x = v[0] + ox;
      y = v[1] + oy;
    }
    else if (!read(1))
      return false;
    else if (up == 'H')
      x = v[0] + ox;
    else
      y = v[0] + oy;
    AddLine(st.Current(), x, y);
    st.cx = st.lcx = x;
    st.cy = st.lcy = y;
    return true;
  }
  case 'C':
  case 'S':
  {
    float c1x = st.cx, c1y = st.cy;
    if (up == 'C')
    {
      if (!read(6))
        return false;
      c1x = v[0] + ox;
      c1y = v[1] + oy;
      v[0] = v[2], v[1] = v[3], v[2] = v[4], v[3] = v[5];
    }
    else
    {
      if (!read(4))
        return false;
      if (st.lastCmd == 'C' || st.lastCmd == 'S')
      {
        c1x = 2.f * st.cx - st.lcx;
        c1y = 2.f * st.cy - st.lcy;
      }
    }
    const float c2x = v[0] + ox, c2y = v[1] + oy, x = v[2] + ox, y = v[3] + oy;
    AddCubic(st.Current(), c1x, c1y, c2x, c2y, x, y);
    st.lcx = c2x;
    st.lcy = c2y;
    st.cx = x;
    st.cy = y;
    return true;
  }
  case 'Q':
  case 'T':
  {
    float qx = st.cx, qy = st.cy, x = 0.f, y = 0.f;
    if (up == 'Q')
    {
      if (!read(4))
        return false;
      qx = v[0] + ox;
      qy = v[1] + oy;
      x = v[2] + ox;
      y = v[3] + oy;
    }
    else
    {
      if (!read(2))
        return false;
      if (st.lastCmd == 'Q' || st.lastCmd == 'T')
      {
        qx = 2.f * st.cx - st.lcx;
        qy = 2.f * st.cy - st.lcy;
      }
      x = v[0] + ox;
      y = v[1] + oy;
    }
    AddCubic(st.Current(), st.cx + 2.f / 3.f * (qx - st.cx), st.cy + 2.f / 3.f * (qy - st.cy),
             x + 2.f / 3.f * (qx - x), y + 2.f / 3.f * (qy - y), x, y);
    st.lcx = qx;
    st.lcy = qy;
    st.cx = x;
    st.cy = y;
    return true;
  }
  case 'A':
  {
    bool large = false, sweep = false;
    if (!read(3) || !ReadFlag(d, pos, large) || !ReadFlag(d, pos, sweep) ||
        !ReadNumber(d, pos, v[3]) || !ReadNumber(d, pos, v[4]))
      return false;
    const float x = v[3] + ox, y = v[4] + oy;
    AddArc(st.Current(), v[0], v[1], v[2], large, sweep, x, y);
    st.cx = st.lcx = x;
    st.cy = st.lcy = y;
    return true;
  }
  case 'Z':
    if (!st.out.empty() && !st.out.back().closed)
    {
      SubPath& p = st.out.back();
      const size_t n = p.pts.size();
      if (p.pts[n - 2] != st.sx || p.pts[n - 1] != st.sy)
        AddLine(p, st.sx, st.sy);
      p.closed = true;
    }
    st.cx = st.lcx = st.sx;
    st.cy = st.lcy = st.sy;
    return true;
  default:
    return false;
  }
}

bool IsCommand(char c)
{
  switch (c)
  {
  case 'M':
  case 'm':
  case 'L':
  case 'l':
  case 'H':
  case 'h':
  case 'V':
  case 'v':
  case 'C':
  case 'c':
  case 'S':
  case 's':
  case 'Q':
  case 'q':
  case 'T':
  case 't':
  case 'A':
  case 'a':
  case 'Z':
  case 'z':
    return true;
  default:
    return false;
  }
}

} // namespace

bool ParsePathData(std::string_view d, std::vector<SubPath>& out, size_t maxPoints)
{
  PathState st{out};
  size_t pos = 0;
  size_t floats = 0; // floats in every sub-path but the last
  for (const SubPath& p : out)
    floats += p.pts.size();
  char cmd = 0;
  while (true)
  {
    while (pos < d.size() && (IsSpace(d[pos]) || d[pos] == ','))
      ++pos;
    if (pos >= d.size())
      return true;
    if (IsCommand(d[pos]))
      cmd = d[pos++];
    else if (cmd == 0 || cmd == 'Z' || cmd == 'z')
      return false; // numbers without a command
    // The first command must be a move.
    if (st.lastCmd == 0 && cmd != 'M' && cmd != 'm')
      return false;
    const size_t before = out.size();
    if (!out.empty())
      floats -= out.back().pts.size();
    const bool ok = RunCommand(cmd, d, pos, st);
    for (size_t i = before ? before - 1 : 0; i < out.size(); ++i)
      floats += out[i].pts.size();
    if (!ok)
      return false;
    const char up = cmd >= 'a' ? static_cast<char>(cmd - 'a' + 'A') : cmd;
    st.lastCmd = up;
    // Numbers after a move are implicit line-tos.
    if (up == 'M')
      cmd = cmd == 'm' ? 'l' : 'L';
    if (floats / 2 > maxPoints)
      return false;
  }
}

} // namespace plugin::igraphics::svg
