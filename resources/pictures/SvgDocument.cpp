#include "resources/pictures/SvgDocument.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace pelmora::pictures
{

std::string Num(double v)
{
  const double rounded = std::round(v * 1000.0) / 1000.0;
  char buf[32];
  const auto result = std::to_chars(buf, buf + sizeof(buf), rounded == 0.0 ? 0.0 : rounded,
                                    std::chars_format::fixed, 3);
  std::string s(buf, result.ptr);
  while (s.back() == '0')
    s.pop_back();
  if (s.back() == '.')
    s.pop_back();
  return s;
}

PathData& PathData::Command(char command, std::initializer_list<float> values)
{
  mText += command;
  bool first = true;
  for (float v : values)
  {
    if (!first)
      mText += ' ';
    mText += Num(v);
    first = false;
  }
  return *this;
}

namespace
{

std::string Hex(const PelmoraColor& c)
{
  char buf[8];
  std::snprintf(buf, sizeof(buf), "#%02x%02x%02x", c.R & 255, c.G & 255, c.B & 255);
  return buf;
}

// Appends name="value" with a leading blank.
void Attribute(std::string& out, const char* name, const std::string& value)
{
  out += ' ';
  out += name;
  out += "=\"";
  out += value;
  out += '"';
}

} // namespace

SvgDocument::SvgDocument(int width, int height) : mWidth(width), mHeight(height) {}

void SvgDocument::AppendStyle(const SvgStyle& style)
{
  Attribute(mBody, "fill", style.mFill ? Hex(*style.mFill) : std::string("none"));
  if (style.mStroke)
  {
    Attribute(mBody, "stroke", Hex(*style.mStroke));
    Attribute(mBody, "stroke-width", Num(style.mStrokeWidth));
    if (style.mRoundJoins)
    {
      Attribute(mBody, "stroke-linejoin", "round");
      Attribute(mBody, "stroke-linecap", "round");
    }
  }
  // Fill and stroke of one element share its opacity: the fill's alpha when there is a fill.
  const PelmoraColor& paint = style.mFill ? *style.mFill : *style.mStroke;
  const double opacity = style.mOpacity * paint.A / 255.0;
  if (opacity < 1.0)
    Attribute(mBody, "opacity", Num(opacity));
}

void SvgDocument::Rect(float x, float y, float w, float h, float radius, const SvgStyle& style)
{
  mBody += "  <rect";
  Attribute(mBody, "x", Num(x));
  Attribute(mBody, "y", Num(y));
  Attribute(mBody, "width", Num(w));
  Attribute(mBody, "height", Num(h));
  if (radius > 0.f)
    Attribute(mBody, "rx", Num(radius));
  AppendStyle(style);
  mBody += "/>\n";
}

void SvgDocument::Circle(float cx, float cy, float r, const SvgStyle& style)
{
  mBody += "  <circle";
  Attribute(mBody, "cx", Num(cx));
  Attribute(mBody, "cy", Num(cy));
  Attribute(mBody, "r", Num(r));
  AppendStyle(style);
  mBody += "/>\n";
}

void SvgDocument::Path(std::string_view pathData, const SvgStyle& style)
{
  mBody += "  <path d=\"";
  mBody += pathData;
  mBody += '"';
  AppendStyle(style);
  mBody += "/>\n";
}

std::string SvgDocument::Text() const
{
  const std::string w = std::to_string(mWidth), h = std::to_string(mHeight);
  std::string text = "<svg xmlns=\"http://www.w3.org/2000/svg\"";
  Attribute(text, "width", w);
  Attribute(text, "height", h);
  std::string viewBox = "0 0 ";
  viewBox += w;
  viewBox += ' ';
  viewBox += h;
  Attribute(text, "viewBox", viewBox);
  text += ">\n";
  text += mBody;
  text += "</svg>\n";
  return text;
}

} // namespace pelmora::pictures
