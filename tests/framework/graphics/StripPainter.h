#pragma once
// Film strips for bitmap-control tests and galleries, painted here rather than read from image
// files: a small antialiased rasteriser (discs, rings and arcs, rounded rectangles, thick lines)
// and the strips it paints — a dial knob, a rotating knob, a lit button, a lever switch, a slider
// handle and track, a segment font and a level meter. Each strip comes as PNG bytes at a screen
// scale (pixels = points x scale) and registers with a graphics context's bitmap cache, so that
// bitmap controls find it by name at that scale.

#include "framework/graphics/IGraphics.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plugin::igraphics::test
{

class StripCanvas
{
public:
  // A canvas of w x h points at a scale; drawing takes points.
  StripCanvas(int w, int h, int scale)
    : mW(w * scale), mH(h * scale), mScale(static_cast<float>(scale)),
      mRGBA(static_cast<size_t>(mW) * mH * 4, 0.f)
  {
  }

  // Covers every pixel whose signed distance (in points, negative inside) the function gives.
  void Fill(const IColor& c, const std::function<float(float x, float y)>& distance)
  {
    for (int py = 0; py < mH; ++py)
      for (int px = 0; px < mW; ++px)
      {
        const float d = distance((px + 0.5f) / mScale, (py + 0.5f) / mScale) * mScale;
        const float cover = std::clamp(0.5f - d, 0.f, 1.f) * c.A / 255.f;
        if (cover <= 0.f)
          continue;
        float* p = &mRGBA[(static_cast<size_t>(py) * mW + px) * 4];
        // Source over destination, colours kept unpremultiplied as a PNG stores them.
        const float src[3] = {c.R / 255.f, c.G / 255.f, c.B / 255.f};
        const float a = cover + p[3] * (1.f - cover);
        for (int k = 0; k < 3; ++k)
          p[k] = (src[k] * cover + p[k] * p[3] * (1.f - cover)) / a;
        p[3] = a;
      }
  }

  void Disc(float cx, float cy, float r, const IColor& c)
  {
    Fill(c, [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; });
  }
  // A ring between radii r - w / 2 and r + w / 2 from angle a1 to a2 (degrees clockwise from
  // up), with round ends.
  void Arc(float cx, float cy, float r, float w, float a1, float a2, const IColor& c)
  {
    const float rad = 3.14159265f / 180.f;
    Fill(c,
         [=](float x, float y)
         {
           const float dx = x - cx, dy = y - cy;
           float a = std::atan2(dx, -dy) / rad;
           if (a < a1 - 180.f)
             a += 360.f;
           if (a >= a1 && a <= a2)
             return std::fabs(std::hypot(dx, dy) - r) - w / 2.f;
           const float e1x = cx + r * std::sin(a1 * rad), e1y = cy - r * std::cos(a1 * rad);
           const float e2x = cx + r * std::sin(a2 * rad), e2y = cy - r * std::cos(a2 * rad);
           return std::min(std::hypot(x - e1x, y - e1y), std::hypot(x - e2x, y - e2y)) - w / 2.f;
         });
  }
  void RoundRect(float l, float t, float r, float b, float radius, const IColor& c)
  {
    Fill(c,
         [=](float x, float y)
         {
           const float qx = std::fabs(x - (l + r) / 2.f) - ((r - l) / 2.f - radius);
           const float qy = std::fabs(y - (t + b) / 2.f) - ((b - t) / 2.f - radius);
           return std::hypot(std::max(qx, 0.f), std::max(qy, 0.f)) +
                  std::min(std::max(qx, qy), 0.f) - radius;
         });
  }
  void Line(float x1, float y1, float x2, float y2, float w, const IColor& c)
  {
    Fill(c,
         [=](float x, float y)
         {
           const float vx = x2 - x1, vy = y2 - y1;
           const float len2 = vx * vx + vy * vy;
           const float t =
             len2 > 0.f ? std::clamp(((x - x1) * vx + (y - y1) * vy) / len2, 0.f, 1.f) : 0.f;
           return std::hypot(x - x1 - t * vx, y - y1 - t * vy) - w / 2.f;
         });
  }

  std::vector<uint8_t> PNG() const
  {
    std::vector<uint8_t> rgba(mRGBA.size());
    for (size_t i = 0; i < mRGBA.size(); ++i)
      rgba[i] = static_cast<uint8_t>(std::lround(std::clamp(mRGBA[i], 0.f, 1.f) * 255.f));
    std::vector<uint8_t> png;
    stbi_write_png_to_func(
      [](void* ctx, void* data, int size)
      {
        auto* out = static_cast<std::vector<uint8_t>*>(ctx);
        out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
      },
      &png, mW, mH, 4, rgba.data(), mW * 4);
    return png;
  }

private:
  int mW;
  int mH;
  float mScale;
  std::vector<float> mRGBA;
};

// The palette of the painted strips: dark bodies, light marks, one orange accent.
inline constexpr IColor kStripBody(255, 52, 56, 64);
inline constexpr IColor kStripRim(255, 20, 21, 24);
inline constexpr IColor kStripFace(255, 74, 80, 92);
inline constexpr IColor kStripMark(255, 232, 234, 238);
inline constexpr IColor kStripAccent(255, 255, 150, 50);
inline constexpr IColor kStripDim(255, 96, 102, 114);

// A strip of n frames of w x h points, frame i (0-based) painted by the function at its offset.
// Vertical strips stack frames top to bottom, horizontal ones left to right.
inline std::vector<uint8_t>
PaintStrip(int w, int h, int n, bool horizontal, int scale,
           const std::function<void(StripCanvas&, float ox, float oy, int frame)>& paint)
{
  StripCanvas canvas(horizontal ? w * n : w, horizontal ? h : h * n, scale);
  for (int i = 0; i < n; ++i)
    paint(canvas, horizontal ? static_cast<float>(w * i) : 0.f,
          horizontal ? 0.f : static_cast<float>(h * i), i);
  return canvas.PNG();
}

// Dial knob, 48 x 48 a frame: value arc and pointer turn from -135 to +135 degrees.
inline void PaintKnobFrame(StripCanvas& c, float ox, float oy, int frame, int n)
{
  const float cx = ox + 24.f, cy = oy + 24.f;
  const float angle = -135.f + 270.f * frame / std::max(n - 1, 1);
  c.Arc(cx, cy, 21.f, 3.f, -135.f, 135.f, kStripRim);
  if (frame > 0)
    c.Arc(cx, cy, 21.f, 3.f, -135.f, angle, kStripAccent);
  c.Disc(cx, cy, 16.f, kStripRim);
  c.Disc(cx, cy, 15.f, kStripBody);
  const float a = angle * 3.14159265f / 180.f;
  c.Line(cx + 5.f * std::sin(a), cy - 5.f * std::cos(a), cx + 12.5f * std::sin(a),
         cy - 12.5f * std::cos(a), 2.5f, kStripMark);
}

// A strip's name, size and frames, painted at any scale.
struct PaintedStrip
{
  const char* name;
  int w; // one frame, in points
  int h;
  int n;
  bool horizontal;
  std::function<void(StripCanvas&, float, float, int)> paint;

  // Registers the strip at the scale in the context's bitmap cache and loads it from there.
  IBitmap Load(IGraphics& g, int scale) const
  {
    const std::vector<uint8_t> png = PaintStrip(w, h, n, horizontal, scale, paint);
    APIBitmap* pBitmap = g.LoadAPIBitmap(name, png.data(), static_cast<int>(png.size()), scale);
    g.RetainBitmap(IBitmap(pBitmap, n, horizontal, name), name);
    return g.LoadBitmap(name, n, horizontal, scale);
  }
};

inline PaintedStrip KnobStrip()
{
  return {"strip-knob.png",
          48,
          48,
          41,
          false,
          [](StripCanvas& c, float ox, float oy, int i)
          {
            PaintKnobFrame(c, ox, oy, i, 41);
          }};
}

// One image, turned whole by the rotating knob: a ridged cap with a pointer straight up.
inline PaintedStrip RotaterImage()
{
  return {"strip-rotater.png",
          48,
          48,
          1,
          false,
          [](StripCanvas& c, float ox, float oy, int)
          {
            const float cx = ox + 24.f, cy = oy + 24.f;
            for (int k = 0; k < 12; ++k)
            {
              const float a = k * 30.f * 3.14159265f / 180.f;
              c.Disc(cx + 19.f * std::sin(a), cy - 19.f * std::cos(a), 3.5f, kStripRim);
            }
            c.Disc(cx, cy, 19.f, kStripRim);
            c.Disc(cx, cy, 18.f, kStripFace);
            c.Disc(cx, cy, 13.f, kStripBody);
            c.Line(cx, cy - 7.f, cx, cy - 16.f, 3.f, kStripAccent);
          }};
}

// Two frames, 64 x 28 side by side: off (grey lamp) and on (lit lamp, lighter body).
inline PaintedStrip ButtonStrip()
{
  return {"strip-button.png",
          64,
          28,
          2,
          true,
          [](StripCanvas& c, float ox, float oy, int i)
          {
            c.RoundRect(ox + 1, oy + 1, ox + 63, oy + 27, 7.f, kStripRim);
            c.RoundRect(ox + 2, oy + 2, ox + 62, oy + 26, 6.f, i ? kStripFace : kStripBody);
            if (i)
              c.Disc(ox + 32, oy + 14, 7.f, IColor(90, 255, 150, 50));
            c.Disc(ox + 32, oy + 14, 4.5f, i ? kStripAccent : kStripDim);
          }};
}

// Three frames of 28 x 44 stacked: a lever at its top, middle and bottom.
inline PaintedStrip LeverStrip()
{
  return {"strip-lever.png",
          28,
          44,
          3,
          false,
          [](StripCanvas& c, float ox, float oy, int i)
          {
            c.RoundRect(ox + 9, oy + 4, ox + 19, oy + 40, 5.f, kStripRim);
            const float y = oy + 12.f + 10.f * i;
            c.Line(ox + 14, oy + 22, ox + 14, y, 4.f, kStripDim);
            c.Disc(ox + 14, y, 7.f, kStripRim);
            c.Disc(ox + 14, y, 6.f, i == 1 ? kStripFace : kStripAccent);
          }};
}

inline PaintedStrip SliderHandle()
{
  return {"strip-handle.png",
          26,
          14,
          1,
          false,
          [](StripCanvas& c, float ox, float oy, int)
          {
            c.RoundRect(ox + 0.5f, oy + 0.5f, ox + 25.5f, oy + 13.5f, 4.f, kStripRim);
            c.RoundRect(ox + 1.5f, oy + 1.5f, ox + 24.5f, oy + 12.5f, 3.f, kStripFace);
            c.Line(ox + 5, oy + 7, ox + 21, oy + 7, 1.5f, kStripAccent);
          }};
}

inline PaintedStrip SliderTrack()
{
  return {"strip-track.png",
          10,
          120,
          1,
          false,
          [](StripCanvas& c, float ox, float oy, int)
          {
            c.RoundRect(ox + 3, oy + 1, ox + 7, oy + 119, 2.f, kStripRim);
            for (int k = 0; k <= 10; ++k)
              c.Line(ox, oy + 7 + 10.6f * k, ox + 1.5f, oy + 7 + 10.6f * k, 1.f, kStripDim);
          }};
}

// Twenty-one frames of 14 x 100 stacked: 0 to 20 lit segments from the bottom, green to red.
inline PaintedStrip MeterStrip()
{
  return {"strip-meter.png",
          14,
          100,
          21,
          false,
          [](StripCanvas& c, float ox, float oy, int lit)
          {
            c.RoundRect(ox, oy, ox + 14, oy + 100, 3.f, kStripRim);
            for (int k = 0; k < 20; ++k)
            {
              const float b = oy + 98.f - 4.8f * k;
              const IColor on = k < 13   ? IColor(255, 80, 200, 90)
                                : k < 17 ? IColor(255, 240, 200, 60)
                                         : IColor(255, 240, 80, 60);
              c.RoundRect(ox + 2, b - 3.8f, ox + 12, b, 1.f,
                          k < lit ? on : IColor(255, 40, 43, 50));
            }
          }};
}

// A segment font of 64 frames of 8 x 12 side by side, characters 32 (space) to 95: digits, the
// letters that segments can show, '-', '.' and ':'.
inline PaintedStrip SegmentFont()
{
  return {"strip-font.png",
          8,
          12,
          64,
          true,
          [](StripCanvas& c, float ox, float oy, int i)
          {
            const char ch = static_cast<char>(32 + i);
            // Segments a (top) to g (middle) of a 7-segment glyph.
            static const char* const kDigits[] = {"abcdef", "bc",     "abdeg", "abcdg",   "bcfg",
                                                  "acdfg",  "acdefg", "abc",   "abcdefg", "abcdfg"};
            std::string segs;
            if (ch >= '0' && ch <= '9')
              segs = kDigits[ch - '0'];
            else if (ch == '-')
              segs = "g";
            else if (ch == 'A')
              segs = "abcefg";
            else if (ch == 'B')
              segs = "cdefg";
            else if (ch == 'C')
              segs = "adef";
            else if (ch == 'D')
              segs = "bcdeg";
            else if (ch == 'E')
              segs = "adefg";
            else if (ch == 'F')
              segs = "aefg";
            else if (ch == 'H')
              segs = "bcefg";
            else if (ch == 'L')
              segs = "def";
            else if (ch == 'P')
              segs = "abefg";
            else if (ch == 'U')
              segs = "bcdef";
            const float l = ox + 1.5f, r = ox + 5.5f, t = oy + 1.5f, m = oy + 6.f, b = oy + 10.5f;
            const IColor on = kStripAccent;
            for (char s : segs)
              switch (s)
              {
              case 'a':
                c.Line(l, t, r, t, 1.2f, on);
                break;
              case 'b':
                c.Line(r, t, r, m, 1.2f, on);
                break;
              case 'c':
                c.Line(r, m, r, b, 1.2f, on);
                break;
              case 'd':
                c.Line(l, b, r, b, 1.2f, on);
                break;
              case 'e':
                c.Line(l, m, l, b, 1.2f, on);
                break;
              case 'f':
                c.Line(l, t, l, m, 1.2f, on);
                break;
              case 'g':
                c.Line(l, m, r, m, 1.2f, on);
                break;
              default:
                break;
              }
            if (ch == '.')
              c.Disc(ox + 4.f, b, 0.9f, on);
            if (ch == ':')
            {
              c.Disc(ox + 3.5f, oy + 4.f, 0.9f, on);
              c.Disc(ox + 3.5f, oy + 8.5f, 0.9f, on);
            }
          }};
}

} // namespace plugin::igraphics::test
