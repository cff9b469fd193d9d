#include "framework/graphics/svg/SVGReader.h"

#include "framework/graphics/svg/SVGGeometry.h"

#include <expat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <string_view>

namespace plugin::igraphics
{

using namespace svg;

namespace
{

// Calls apply(name, value) for each "name: value" declaration of a style="" text, in order, both
// trimmed; a declaration without a colon is skipped.
template <typename Apply>
void ForEachDeclaration(std::string_view style, Apply apply)
{
  while (!style.empty())
  {
    const size_t semi = style.find(';');
    const std::string_view decl = style.substr(0, semi);
    const size_t colon = decl.find(':');
    if (colon != std::string_view::npos)
      apply(Trim(decl.substr(0, colon)), Trim(decl.substr(colon + 1)));
    if (semi == std::string_view::npos)
      break;
    style.remove_prefix(semi + 1);
  }
}

// A paint before gradients are resolved: kLinearGradient stands for "the gradient named ref".
struct PaintSpec
{
  ESVGPaintType type = ESVGPaintType::kNone;
  uint32_t color = Pack(0, 0, 0);
  std::string ref;
};

bool ParsePaint(std::string_view s, PaintSpec& out)
{
  s = Trim(s);
  if (s == "none" || s == "transparent")
  {
    out.type = ESVGPaintType::kNone;
    return true;
  }
  if (s.substr(0, 4) == "url(")
  {
    const size_t close = s.find(')');
    std::string_view id = Trim(s.substr(4, close == std::string_view::npos ? 0 : close - 4));
    if (id.empty() || id[0] != '#')
      return false;
    out.type = ESVGPaintType::kLinearGradient;
    out.ref = std::string(id.substr(1));
    return true;
  }
  if (s == "currentColor")
  {
    out.type = ESVGPaintType::kColor;
    out.color = Pack(0, 0, 0);
    return true;
  }
  uint32_t c = 0;
  if (!ParseColor(s, c))
    return false;
  out.type = ESVGPaintType::kColor;
  out.color = c;
  return true;
}

// Inherited presentation state of an element.
struct Style
{
  Xform xform = kIdentity;
  PaintSpec fill{ESVGPaintType::kColor, Pack(0, 0, 0), {}};
  PaintSpec stroke;
  float opacity = 1.f;
  float fillOpacity = 1.f;
  float strokeOpacity = 1.f;
  float strokeWidth = 1.f;
  float dashOffset = 0.f;
  float dash[SVGShape::kMaxDashes] = {};
  int dashCount = 0;
  int join = 0;
  int cap = 0;
  float miterLimit = 4.f;
  int fillRule = 0;
  bool visible = true;
  bool display = true;
};

// A gradient element; each field has a set flag so that href inheritance fills only gaps.
struct GradientSpec
{
  bool linear = true;
  std::map<std::string, std::string> attrs;
  std::vector<SVGGradientStop> stops;
};

// A shape waiting for its gradients (which may be defined after it).
struct PendingShape
{
  SVGShape shape;
  Style style;
  float bbox[4] = {}; // user-space bounds
};

size_t CountFloats(const std::vector<SubPath>& paths)
{
  size_t n = 0;
  for (const SubPath& p : paths)
    n += p.pts.size();
  return n;
}

struct Length
{
  float value = 0.f;
  bool percent = false;
};

class Parser
{
public:
  Parser(const char* units, float dpi) : mDpi(dpi > 0.f && std::isfinite(dpi) ? dpi : 72.f)
  {
    mUnitScale = UnitScale(units ? units : "px");
    mStyles.push_back(Style());
  }

  SVGImagePtr Run(const char* text, size_t length);

private:
  static void XMLCALL OnStart(void* user, const XML_Char* name, const XML_Char** attrs)
  {
    static_cast<Parser*>(user)->Start(name, attrs);
  }
  static void XMLCALL OnEnd(void* user, const XML_Char* name)
  {
    static_cast<Parser*>(user)->End(name);
  }
  static void XMLCALL OnDoctype(void* user, const XML_Char*, const XML_Char*, const XML_Char*, int)
  {
    static_cast<Parser*>(user)->Fail();
  }

  void Fail()
  {
    mFailed = true;
    XML_StopParser(mXml, XML_FALSE);
  }

  float UnitScale(std::string_view unit) const
  {
    if (unit == "pt")
      return mDpi / 72.f;
    if (unit == "pc")
      return mDpi / 6.f;
    if (unit == "mm")
      return mDpi / 25.4f;
    if (unit == "cm")
      return mDpi / 2.54f;
    if (unit == "in")
      return mDpi;
    if (unit == "em")
      return 16.f;
    if (unit == "ex")
      return 8.f;
    return 1.f;
  }

  bool ParseLength(std::string_view s, Length& out) const
  {
    size_t pos = 0;
    if (!ReadNumber(s, pos, out.value))
      return false;
    std::string_view unit = Trim(s.substr(pos));
    out.percent = unit == "%";
    if (!out.percent)
      out.value *= unit.empty() ? mUnitScale : UnitScale(unit);
    return std::isfinite(out.value);
  }

  // A length attribute resolved against a reference size for percentages.
  float Len(const char* s, float ref, float fallback = 0.f) const
  {
    Length l;
    if (!s || !ParseLength(s, l))
      return fallback;
    return l.percent ? l.value / 100.f * ref : l.value;
  }

  static const char* Find(const XML_Char** attrs, const char* name)
  {
    for (int i = 0; attrs[i]; i += 2)
      if (std::strcmp(attrs[i], name) == 0)
        return attrs[i + 1];
    return nullptr;
  }

  void ApplyProperty(Style& st, std::string_view name, std::string_view value);
  void ApplyStyle(Style& st, const XML_Char** attrs);
  void Start(const XML_Char* name, const XML_Char** attrs);
  void End(const XML_Char* name);
  void StartSVG(const XML_Char** attrs);
  void StartGradient(bool linear, const XML_Char** attrs);
  void StartStop(const XML_Char** attrs);
  void AddShape(std::vector<SubPath>& paths);
  bool BuildShapeGeometry(std::string_view tag, const XML_Char** attrs,
                          std::vector<SubPath>& paths);
  void Resolve(const PendingShape& pending, const PaintSpec& spec, float alpha,
               SVGPaint& out) const;
  void Collect(const std::string& id, GradientSpec& out, int depth) const;

  XML_Parser mXml = nullptr;
  float mDpi;
  float mUnitScale = 1.f;
  bool mFailed = false;
  int mDepth = 0;
  int mSkipDepth = 0; // > 0 inside an element that is skipped with its children
  int mDefsDepth = 0; // > 0 inside <defs>: shapes there are not drawn
  bool mSeenRoot = false;
  float mViewW = 100.f; // the viewport, for percentages
  float mViewH = 100.f;
  std::vector<Style> mStyles;
  std::map<std::string, GradientSpec> mGradients;
  GradientSpec* mCurrentGradient = nullptr;
  std::vector<PendingShape> mShapes;
  size_t mPoints = 0;
  SVGImagePtr mImage = std::make_unique<SVGImage>();
};

void Parser::ApplyProperty(Style& st, std::string_view name, std::string_view value)
{
  value = Trim(value);
  float v = 0.f;
  size_t pos = 0;
  auto number = [&]
  {
    pos = 0;
    return ReadNumber(value, pos, v);
  };
  if (name == "fill")
    ParsePaint(value, st.fill);
  else if (name == "stroke")
    ParsePaint(value, st.stroke);
  else if (name == "opacity" && number())
    st.opacity = std::clamp(v, 0.f, 1.f);
  else if (name == "fill-opacity" && number())
    st.fillOpacity = std::clamp(v, 0.f, 1.f);
  else if (name == "stroke-opacity" && number())
    st.strokeOpacity = std::clamp(v, 0.f, 1.f);
  else if (name == "stroke-width")
  {
    Length l;
    if (ParseLength(value, l) && l.value >= 0.f)
      st.strokeWidth = l.percent ? l.value / 100.f * mViewW : l.value;
  }
  else if (name == "stroke-dashoffset" && number())
    st.dashOffset = v;
  else if (name == "stroke-dasharray")
  {
    std::vector<float> dashes;
    st.dashCount = 0;
    if (value != "none" && ReadNumberList(value, dashes))
    {
      // An odd list repeats once, as SVG says; all-zero or negative lists mean a solid line.
      if (dashes.size() % 2)
        dashes.insert(dashes.end(), dashes.begin(), dashes.end());
      float sum = 0.f;
      bool negative = false;
      for (float d : dashes)
      {
        sum += d;
        negative |= d < 0.f;
      }
      if (!negative && sum > 0.f)
      {
        st.dashCount = static_cast<int>(std::min<size_t>(dashes.size(), SVGShape::kMaxDashes));
        std::copy_n(dashes.begin(), st.dashCount, st.dash);
      }
    }
  }
  else if (name == "stroke-linejoin")
    st.join = value == "round" ? 1 : value == "bevel" ? 2 : 0;
  else if (name == "stroke-linecap")
    st.cap = value == "round" ? 1 : value == "square" ? 2 : 0;
  else if (name == "stroke-miterlimit" && number())
    st.miterLimit = std::max(1.f, v);
  else if (name == "fill-rule")
    st.fillRule = value == "evenodd" ? 1 : 0;
  else if (name == "display")
    st.display = value != "none";
  else if (name == "visibility")
    st.visible = value != "hidden" && value != "collapse";
}

void Parser::ApplyStyle(Style& st, const XML_Char** attrs)
{
  for (int i = 0; attrs[i]; i += 2)
  {
    if (std::strcmp(attrs[i], "transform") == 0)
    {
      Xform t;
      if (ParseTransform(attrs[i + 1], t))
        st.xform = Multiply(st.xform, t);
    }
    else if (std::strcmp(attrs[i], "style") != 0)
      ApplyProperty(st, attrs[i], attrs[i + 1]);
  }
  // style="" wins over the attributes.
  if (const char* style = Find(attrs, "style"))
    ForEachDeclaration(style, [&](std::string_view name, std::string_view value)
                       { ApplyProperty(st, name, value); });
}

void Parser::Start(const XML_Char* name, const XML_Char** attrs)
{
  if (mFailed)
    return;
  if (++mDepth > SVGReader::kMaxDepth)
  {
    Fail();
    return;
  }
  Style st = mStyles.back();
  mStyles.push_back(st);
  if (mSkipDepth > 0)
  {
    ++mSkipDepth;
    return;
  }
  // Namespaced names ("svg:path") are read by their local part.
  std::string_view tag(name);
  if (const size_t colon = tag.rfind(':'); colon != std::string_view::npos)
    tag.remove_prefix(colon + 1);

  if (!mSeenRoot)
  {
    if (tag != "svg")
    {
      Fail();
      return;
    }
    mSeenRoot = true;
    StartSVG(attrs);
    ApplyStyle(mStyles.back(), attrs);
    return;
  }
  if (tag == "g" || tag == "svg" || tag == "a")
    ApplyStyle(mStyles.back(), attrs);
  else if (tag == "defs")
    ++mDefsDepth;
  else if (tag == "linearGradient" || tag == "radialGradient")
    StartGradient(tag == "linearGradient", attrs);
  else if (tag == "stop")
    StartStop(attrs);
  else if (tag == "path" || tag == "rect" || tag == "circle" || tag == "ellipse" || tag == "line" ||
           tag == "polyline" || tag == "polygon")
  {
    ApplyStyle(mStyles.back(), attrs);
    std::vector<SubPath> paths;
    if (BuildShapeGeometry(tag, attrs, paths) && mDefsDepth == 0)
      AddShape(paths);
    mSkipDepth = 1; // shapes have no drawable children
  }
  else
    mSkipDepth = 1;
}

void Parser::End(const XML_Char* name)
{
  if (mFailed)
    return;
  --mDepth;
  mStyles.pop_back();
  if (mSkipDepth > 0)
  {
    --mSkipDepth;
    return;
  }
  std::string_view tag(name);
  if (const size_t colon = tag.rfind(':'); colon != std::string_view::npos)
    tag.remove_prefix(colon + 1);
  if (tag == "defs" && mDefsDepth > 0)
    --mDefsDepth;
  else if (tag == "linearGradient" || tag == "radialGradient")
    mCurrentGradient = nullptr;
}

void Parser::StartSVG(const XML_Char** attrs)
{
  std::vector<float> vb;
  const char* viewBox = Find(attrs, "viewBox");
  const bool hasViewBox =
    viewBox && ReadNumberList(viewBox, vb) && vb.size() == 4 && vb[2] > 0.f && vb[3] > 0.f;
  float w = Len(Find(attrs, "width"), hasViewBox ? vb[2] : 100.f, -1.f);
  float h = Len(Find(attrs, "height"), hasViewBox ? vb[3] : 100.f, -1.f);
  if (w <= 0.f)
    w = hasViewBox ? vb[2] : 100.f;
  if (h <= 0.f)
    h = hasViewBox ? vb[3] : 100.f;
  mImage->mWidth = w;
  mImage->mHeight = h;
  mViewW = hasViewBox ? vb[2] : w;
  mViewH = hasViewBox ? vb[3] : h;
  if (!hasViewBox)
    return;
  // viewBox onto the viewport: uniform scale, centred (xMidYMid meet), unless "none".
  float sx = w / vb[2], sy = h / vb[3];
  float tx = 0.f, ty = 0.f;
  const char* par = Find(attrs, "preserveAspectRatio");
  if (!par || std::strncmp(par, "none", 4) != 0)
  {
    const float s = std::min(sx, sy);
    tx = (w - vb[2] * s) / 2.f;
    ty = (h - vb[3] * s) / 2.f;
    sx = sy = s;
  }
  mStyles.back().xform = {sx, 0.f, 0.f, sy, tx - vb[0] * sx, ty - vb[1] * sy};
}

void Parser::StartGradient(bool linear, const XML_Char** attrs)
{
  const char* id = Find(attrs, "id");
  if (!id || !id[0])
  {
    mSkipDepth = 1;
    return;
  }
  GradientSpec& g = mGradients[id];
  g = GradientSpec();
  g.linear = linear;
  for (int i = 0; attrs[i]; i += 2)
    g.attrs[attrs[i]] = attrs[i + 1];
  if (const char* href = Find(attrs, "xlink:href"))
    g.attrs["href"] = href;
  mCurrentGradient = &g;
}

void Parser::StartStop(const XML_Char** attrs)
{
  if (!mCurrentGradient)
    return;
  float offset = 0.f;
  if (const char* o = Find(attrs, "offset"))
  {
    Length l;
    if (ParseLength(o, l))
      offset = l.percent ? l.value / 100.f : l.value;
  }
  // Stop colour and opacity come from attributes or style="".
  uint32_t color = Pack(0, 0, 0);
  float opacity = 1.f;
  auto apply = [&](std::string_view n, std::string_view v)
  {
    if (n == "stop-color")
      ParseColor(v, color);
    else if (n == "stop-opacity")
    {
      size_t pos = 0;
      float a = 1.f;
      if (ReadNumber(v, pos, a))
        opacity = std::clamp(a, 0.f, 1.f);
    }
  };
  for (int i = 0; attrs[i]; i += 2)
    apply(attrs[i], attrs[i + 1]);
  if (const char* style = Find(attrs, "style"))
    ForEachDeclaration(style, apply);
  // Offsets run from 0 to 1 and never decrease.
  offset = std::clamp(offset, 0.f, 1.f);
  if (!mCurrentGradient->stops.empty())
    offset = std::max(offset, mCurrentGradient->stops.back().mOffset);
  mCurrentGradient->stops.push_back({WithAlpha(color, opacity), offset});
}

bool Parser::BuildShapeGeometry(std::string_view tag, const XML_Char** attrs,
                                std::vector<SubPath>& paths)
{
  auto len = [&](const char* n, float ref)
  {
    return Len(Find(attrs, n), ref);
  };
  const float diag = std::sqrt(mViewW * mViewW + mViewH * mViewH) / std::sqrt(2.f);
  if (tag == "path")
  {
    const char* d = Find(attrs, "d");
    // A path with an error draws what came before the error, as SVG asks.
    if (d && !ParsePathData(d, paths, SVGReader::kMaxPoints - mPoints) &&
        CountFloats(paths) / 2 > SVGReader::kMaxPoints - mPoints)
      Fail();
    return !paths.empty();
  }
  if (tag == "rect")
  {
    const float x = len("x", mViewW), y = len("y", mViewH);
    const float w = len("width", mViewW), h = len("height", mViewH);
    if (!(w > 0.f && h > 0.f))
      return false;
    float rx = Len(Find(attrs, "rx"), mViewW, -1.f), ry = Len(Find(attrs, "ry"), mViewH, -1.f);
    if (rx < 0.f)
      rx = ry;
    if (ry < 0.f)
      ry = rx;
    rx = std::clamp(rx, 0.f, w / 2.f);
    ry = std::clamp(ry, 0.f, h / 2.f);
    SubPath p;
    p.pts = {x + rx, y};
    AddLine(p, x + w - rx, y);
    if (rx > 0.f && ry > 0.f)
      AddArc(p, rx, ry, 0.f, false, true, x + w, y + ry);
    AddLine(p, x + w, y + h - ry);
    if (rx > 0.f && ry > 0.f)
      AddArc(p, rx, ry, 0.f, false, true, x + w - rx, y + h);
    AddLine(p, x + rx, y + h);
    if (rx > 0.f && ry > 0.f)
      AddArc(p, rx, ry, 0.f, false, true, x, y + h - ry);
    AddLine(p, x, y + ry);
    if (rx > 0.f && ry > 0.f)
      AddArc(p, rx, ry, 0.f, false, true, x + rx, y);
    p.closed = true;
    paths.push_back(std::move(p));
    return true;
  }
  if (tag == "circle" || tag == "ellipse")
  {
    const float cx = len("cx", mViewW), cy = len("cy", mViewH);
    float rx = 0.f, ry = 0.f;
    if (tag == "circle")
      rx = ry = len("r", diag);
    else
    {
      rx = len("rx", mViewW);
      ry = len("ry", mViewH);
    }
    if (!(rx > 0.f && ry > 0.f))
      return false;
    SubPath p;
    p.pts = {cx + rx, cy};
    AddArc(p, rx, ry, 0.f, false, true, cx, cy + ry);
    AddArc(p, rx, ry, 0.f, false, true, cx - rx, cy);
    AddArc(p, rx, ry, 0.f, false, true, cx, cy - ry);
    AddArc(p, rx, ry, 0.f, false, true, cx + rx, cy);
    p.closed = true;
    paths.push_back(std::move(p));
    return true;
  }
  if (tag == "line")
  {
    SubPath p;
    p.pts = {len("x1", mViewW), len("y1", mViewH)};
    AddLine(p, len("x2", mViewW), len("y2", mViewH));
    paths.push_back(std::move(p));
    return true;
  }
  // polyline and polygon
  std::vector<float> v;
  const char* points = Find(attrs, "points");
  if (points)
    ReadNumberList(points, v); // a bad list keeps the points read before the error
  if (v.size() < 4 || v.size() / 2 > SVGReader::kMaxPoints / 3)
    return false;
  SubPath p;
  p.pts = {v[0], v[1]};
  for (size_t i = 2; i + 1 < v.size(); i += 2)
    AddLine(p, v[i], v[i + 1]);
  if (tag == "polygon")
  {
    AddLine(p, v[0], v[1]);
    p.closed = true;
  }
  paths.push_back(std::move(p));
  return true;
}

void Parser::AddShape(std::vector<SubPath>& paths)
{
  const Style& st = mStyles.back();
  PendingShape pending;
  pending.style = st;
  // User-space bounds (for objectBoundingBox gradients), then everything into image space.
  float minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
  for (const SubPath& sp : paths)
    for (size_t i = 0; i + 1 < sp.pts.size(); i += 2)
    {
      minX = std::min(minX, sp.pts[i]);
      maxX = std::max(maxX, sp.pts[i]);
      minY = std::min(minY, sp.pts[i + 1]);
      maxY = std::max(maxY, sp.pts[i + 1]);
    }
  pending.bbox[0] = minX;
  pending.bbox[1] = minY;
  pending.bbox[2] = maxX;
  pending.bbox[3] = maxY;

  SVGShape& shape = pending.shape;
  for (SubPath& sp : paths)
  {
    if (sp.pts.size() < 2)
      continue;
    SVGPath path;
    path.mPts = std::move(sp.pts);
    path.mClosed = sp.closed;
    float b[4] = {INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (size_t i = 0; i + 1 < path.mPts.size(); i += 2)
    {
      Apply(st.xform, path.mPts[i], path.mPts[i + 1]);
      if (!std::isfinite(path.mPts[i]) || !std::isfinite(path.mPts[i + 1]))
      {
        Fail();
        return;
      }
      b[0] = std::min(b[0], path.mPts[i]);
      b[1] = std::min(b[1], path.mPts[i + 1]);
      b[2] = std::max(b[2], path.mPts[i]);
      b[3] = std::max(b[3], path.mPts[i + 1]);
    }
    std::copy_n(b, 4, path.mBounds);
    mPoints += path.mPts.size() / 2;
    shape.mPaths.push_back(std::move(path));
  }
  if (mPoints > SVGReader::kMaxPoints)
  {
    Fail();
    return;
  }
  if (shape.mPaths.empty())
    return;
  const float scale = MeanScale(st.xform);
  shape.mOpacity = st.opacity;
  shape.mStrokeWidth = st.strokeWidth * scale;
  shape.mStrokeDashOffset = st.dashOffset * scale;
  shape.mStrokeDashCount = st.dashCount;
  for (int i = 0; i < st.dashCount; ++i)
    shape.mStrokeDashArray[i] = st.dash[i] * scale;
  shape.mStrokeLineJoin = st.join;
  shape.mStrokeLineCap = st.cap;
  shape.mMiterLimit = st.miterLimit;
  shape.mFillRule = st.fillRule;
  shape.mFlags = st.visible && st.display ? SVGShape::kFlagVisible : 0u;
  if (shape.mStrokeWidth <= 0.f)
    pending.style.stroke.type = ESVGPaintType::kNone;
  mShapes.push_back(std::move(pending));
}

// Gathers a gradient's attributes and stops, following href links for what it leaves out.
void Parser::Collect(const std::string& id, GradientSpec& out, int depth) const
{
  const auto it = mGradients.find(id);
  if (it == mGradients.end() || depth > 16)
    return;
  const GradientSpec& g = it->second;
  if (depth == 0)
    out.linear = g.linear;
  for (const auto& [key, value] : g.attrs)
    out.attrs.emplace(key, value); // the nearer definition wins
  if (out.stops.empty())
    out.stops = g.stops;
  const auto href = g.attrs.find("href");
  if (href != g.attrs.end() && !href->second.empty() && href->second[0] == '#')
    Collect(href->second.substr(1), out, depth + 1);
}

void Parser::Resolve(const PendingShape& pending, const PaintSpec& spec, float alpha,
                     SVGPaint& out) const
{
  out = SVGPaint();
  if (spec.type == ESVGPaintType::kColor)
  {
    out.mType = ESVGPaintType::kColor;
    out.mColor = WithAlpha(spec.color, alpha);
    return;
  }
  if (spec.type == ESVGPaintType::kNone)
    return;
  GradientSpec g;
  Collect(spec.ref, g, 0);
  if (g.stops.empty())
    return; // an unknown gradient or one without stops paints nothing
  const uint32_t last = g.stops.back().mColor;
  auto solid = [&]
  {
    out.mType = ESVGPaintType::kColor;
    out.mColor = last;
  };
  if (g.stops.size() == 1)
    return solid();
  auto attr = [&](const char* key, const char* fallback)
  {
    const auto it = g.attrs.find(key);
    return it != g.attrs.end() ? it->second.c_str() : fallback;
  };
  const bool userSpace = std::strcmp(attr("gradientUnits", ""), "userSpaceOnUse") == 0;
  // Coordinates are fractions of the bounding box, or lengths in user space.
  auto coord = [&](const char* key, const char* fallback, float ref)
  {
    Length l;
    if (!ParseLength(attr(key, fallback), l))
      ParseLength(fallback, l);
    if (userSpace)
      return l.percent ? l.value / 100.f * ref : l.value;
    return l.percent ? l.value / 100.f : l.value;
  };
  Xform gradXform = kIdentity;
  ParseTransform(attr("gradientTransform", ""), gradXform);
  Xform toImage = Multiply(pending.style.xform, gradXform);
  if (!userSpace)
  {
    const float* b = pending.bbox;
    toImage = Multiply(toImage, {b[2] - b[0], 0.f, 0.f, b[3] - b[1], b[0], b[1]});
  }
  Xform fromImage;
  if (!Invert(toImage, fromImage))
    return solid();

  Xform unit = kIdentity;
  if (g.linear)
  {
    const float x1 = coord("x1", "0%", mViewW), y1 = coord("y1", "0%", mViewH);
    const float x2 = coord("x2", "100%", mViewW), y2 = coord("y2", "0%", mViewH);
    const double dx = double(x2) - x1, dy = double(y2) - y1;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d < 1e-9)
      return solid();
    const double a = std::atan2(dx, dy);
    const float s = float(std::sin(a) / d), c = float(std::cos(a) / d);
    unit = {c, s, -s, c, -(x1 * c - y1 * s), -(x1 * s + y1 * c)};
    out.mType = ESVGPaintType::kLinearGradient;
  }
  else
  {
    const float diag = std::sqrt(mViewW * mViewW + mViewH * mViewH) / std::sqrt(2.f);
    const float cx = coord("cx", "50%", mViewW), cy = coord("cy", "50%", mViewH);
    const float r = coord("r", "50%", diag);
    if (!(r > 0.f))
      return solid();
    unit = {1.f / r, 0.f, 0.f, 1.f / r, -cx / r, -cy / r};
    out.mType = ESVGPaintType::kRadialGradient;
  }
  const Xform total = Multiply(unit, fromImage);
  for (float v : total)
    if (!std::isfinite(v))
      return solid();
  std::copy(total.begin(), total.end(), out.mGradient.mXform);
  const std::string_view spread = attr("spreadMethod", "pad");
  out.mGradient.mSpread = spread == "reflect"  ? ESVGSpread::kReflect
                          : spread == "repeat" ? ESVGSpread::kRepeat
                                               : ESVGSpread::kPad;
  out.mGradient.mStops = g.stops;
}

SVGImagePtr Parser::Run(const char* text, size_t length)
{
  mXml = XML_ParserCreate(nullptr);
  if (!mXml)
    return nullptr;
  XML_SetUserData(mXml, this);
  XML_SetElementHandler(mXml, OnStart, OnEnd);
  // No document type: entity declarations are how markup bombs are built.
  XML_SetStartDoctypeDeclHandler(mXml, OnDoctype);
  const XML_Status status = XML_Parse(mXml, text, static_cast<int>(length), XML_TRUE);
  XML_ParserFree(mXml);
  mXml = nullptr;
  if (status != XML_STATUS_OK || mFailed || !mSeenRoot)
    return nullptr;

  for (PendingShape& pending : mShapes)
  {
    Resolve(pending, pending.style.fill, pending.style.fillOpacity, pending.shape.mFill);
    Resolve(pending, pending.style.stroke, pending.style.strokeOpacity, pending.shape.mStroke);
    mImage->mShapes.push_back(std::move(pending.shape));
  }
  return std::move(mImage);
}

} // namespace

SVGImagePtr SVGReader::Parse(const char* text, size_t length, const char* units, float dpi)
{
  if (!text || length == 0 || length > 0x7fffffff)
    return nullptr;
  Parser parser(units, dpi);
  return parser.Run(text, length);
}

} // namespace plugin::igraphics
