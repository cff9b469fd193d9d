#pragma once
// Film strips for the bitmap controls' contact sheet, gallery and render tests, painted here from
// rectangles and discs rather than read from image files: each frame is plain enough to tell
// apart at a glance. Strips are painted at a screen scale (pixels = points x scale) and register
// with a graphics context's bitmap cache, so that bitmap controls find them by name at that scale.

#include "framework/graphics/IGraphics.h"

#include <stb/stb_image_write.h>

#include <cmath>
#include <functional>
#include <vector>

namespace plugin::igraphics::test
{

inline constexpr IColor kStripRim(255, 20, 21, 24);
inline constexpr IColor kStripBody(255, 74, 80, 92);
inline constexpr IColor kStripAccent(255, 255, 150, 50);
inline constexpr IColor kStripDim(255, 40, 43, 50);

// Frames paint with shapes in points; a pixel takes a shape's colour when its centre is inside.
class StripCanvas
{
public:
  StripCanvas(int w, int h, int scale)
    : mW(w * scale), mH(h * scale), mScale(static_cast<float>(scale)),
      mRGBA(static_cast<size_t>(mW) * mH * 4, 0)
  {
  }
  void Rect(float l, float t, float r, float b, const IColor& c)
  {
    Fill(c, [=](float x, float y) { return x >= l && x < r && y >= t && y < b; });
  }
  void Disc(float cx, float cy, float radius, const IColor& c)
  {
    Fill(c, [=](float x, float y) { return std::hypot(x - cx, y - cy) <= radius; });
  }
  std::vector<uint8_t> PNG() const
  {
    std::vector<uint8_t> png;
    stbi_write_png_to_func(
      [](void* ctx, void* data, int size)
      {
        auto* out = static_cast<std::vector<uint8_t>*>(ctx);
        out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
      },
      &png, mW, mH, 4, mRGBA.data(), mW * 4);
    return png;
  }

private:
  void Fill(const IColor& c, const std::function<bool(float x, float y)>& inside)
  {
    for (int py = 0; py < mH; ++py)
      for (int px = 0; px < mW; ++px)
        if (inside((px + 0.5f) / mScale, (py + 0.5f) / mScale))
        {
          uint8_t* p = &mRGBA[(static_cast<size_t>(py) * mW + px) * 4];
          p[0] = static_cast<uint8_t>(c.R);
          p[1] = static_cast<uint8_t>(c.G);
          p[2] = static_cast<uint8_t>(c.B);
          p[3] = static_cast<uint8_t>(c.A);
        }
  }

  int mW;
  int mH;
  float mScale;
  std::vector<uint8_t> mRGBA;
};

// The strips, each of n frames of w x h points (side by side when horizontal, else stacked),
// registered at a scale in a context's bitmap cache and loaded from there.
struct PaintedStrips
{
  PaintedStrips(IGraphics& g, int scale)
  {
    using Canvas = StripCanvas;
    // 31 frames: a dial whose accent dot turns from -135 to +135 degrees (0 = up).
    knob =
      Load(g, scale, "strip-knob.png", 48, 48, 31, false,
           [](Canvas& c, float ox, float oy, int i)
           {
             const float a = (-135.f + 9.f * float(i)) * 3.14159265f / 180.f;
             c.Disc(ox + 24, oy + 24, 20.f, kStripRim);
             c.Disc(ox + 24, oy + 24, 18.f, kStripBody);
             c.Disc(ox + 24 + 13.f * std::sin(a), oy + 24 - 13.f * std::cos(a), 4.f, kStripAccent);
           });
    // One image, turned whole by the rotating knob: a cap with a pointer straight up.
    rotater = Load(g, scale, "strip-rotater.png", 48, 48, 1, false,
                   [](Canvas& c, float ox, float oy, int)
                   {
                     c.Disc(ox + 24, oy + 24, 20.f, kStripRim);
                     c.Disc(ox + 24, oy + 24, 17.f, kStripBody);
                     c.Rect(ox + 22.5f, oy + 8, ox + 25.5f, oy + 20, kStripAccent);
                   });
    // Off (a dim lamp) and on (a lit lamp on a lighter body).
    button = Load(g, scale, "strip-button.png", 64, 28, 2, true,
                  [](Canvas& c, float ox, float oy, int i)
                  {
                    c.Rect(ox + 1, oy + 1, ox + 63, oy + 27, i ? kStripBody : kStripRim);
                    c.Disc(ox + 32, oy + 14, 5.f, i ? kStripAccent : kStripDim);
                  });
    // A lever at its top, middle and bottom.
    lever =
      Load(g, scale, "strip-lever.png", 28, 44, 3, false,
           [](Canvas& c, float ox, float oy, int i)
           {
             c.Rect(ox + 10, oy + 4, ox + 18, oy + 40, kStripRim);
             c.Disc(ox + 14, oy + 12.f + 10.f * float(i), 6.f, i == 1 ? kStripBody : kStripAccent);
           });
    handle = Load(g, scale, "strip-handle.png", 26, 14, 1, false,
                  [](Canvas& c, float ox, float oy, int)
                  {
                    c.Rect(ox, oy, ox + 26, oy + 14, kStripBody);
                    c.Rect(ox + 4, oy + 6, ox + 22, oy + 8, kStripAccent);
                  });
    track = Load(g, scale, "strip-track.png", 10, 120, 1, false,
                 [](Canvas& c, float ox, float oy, int)
                 { c.Rect(ox + 3, oy + 1, ox + 7, oy + 119, kStripRim); });
    // 0 to 20 segments of 5 points lit from the bottom: green, yellow from the 14th, red from the
    // 18th.
    meter = Load(g, scale, "strip-meter.png", 14, 100, 21, false,
                 [](Canvas& c, float ox, float oy, int lit)
                 {
                   c.Rect(ox, oy, ox + 14, oy + 100, kStripRim);
                   for (int k = 0; k < 20; ++k)
                   {
                     const IColor on = k < 13   ? IColor(255, 80, 200, 90)
                                       : k < 17 ? IColor(255, 240, 200, 60)
                                                : IColor(255, 240, 80, 60);
                     const float b = oy + 100.f - 5.f * float(k);
                     c.Rect(ox + 2, b - 4.f, ox + 12, b, k < lit ? on : kStripDim);
                   }
                 });
    // A seven-segment font, characters 32 (space) to 95: digits, '-', '.' and A to F.
    font = Load(
      g, scale, "strip-font.png", 8, 12, 64, true,
      [](Canvas& c, float ox, float oy, int i)
      {
        // Segments a (top), b, c (right, down), d (bottom), e, f (left, up), g.
        static const char* const kDigits[] = {"abcdef", "bc",     "abdeg", "abcdg",   "bcfg",
                                              "acdfg",  "acdefg", "abc",   "abcdefg", "abcdfg"};
        static const char* const kLetters[] = {"abcefg", "cdefg", "adef", "bcdeg", "adefg", "aefg"};
        const char ch = static_cast<char>(32 + i);
        const char* segs = ch >= '0' && ch <= '9'   ? kDigits[ch - '0']
                           : ch >= 'A' && ch <= 'F' ? kLetters[ch - 'A']
                           : ch == '-'              ? "g"
                                                    : "";
        const float l = ox + 1, r = ox + 6, t = oy + 1, m = oy + 5.5f, b = oy + 10;
        const float seg[7][4] = {{l, t, r, t + 1}, {r - 1, t, r, m + 1}, {r - 1, m, r, b + 1},
                                 {l, b, r, b + 1}, {l, m, l + 1, b + 1}, {l, t, l + 1, m + 1},
                                 {l, m, r, m + 1}};
        for (const char* s = segs; *s; ++s)
          c.Rect(seg[*s - 'a'][0], seg[*s - 'a'][1], seg[*s - 'a'][2], seg[*s - 'a'][3],
                 kStripAccent);
        if (ch == '.')
          c.Rect(ox + 3, b, ox + 4, b + 1, kStripAccent);
      });
  }

  IBitmap knob, rotater, button, lever, handle, track, meter, font;

private:
  static IBitmap Load(IGraphics& g, int scale, const char* name, int w, int h, int n,
                      bool horizontal,
                      const std::function<void(StripCanvas& c, float ox, float oy, int i)>& paint)
  {
    StripCanvas canvas(horizontal ? w * n : w, horizontal ? h : h * n, scale);
    for (int i = 0; i < n; ++i)
      paint(canvas, horizontal ? float(w * i) : 0.f, horizontal ? 0.f : float(h * i), i);
    const std::vector<uint8_t> png = canvas.PNG();
    APIBitmap* pBitmap = g.LoadAPIBitmap(name, png.data(), static_cast<int>(png.size()), scale);
    g.RetainBitmap(IBitmap(pBitmap, n, horizontal, name), name);
    return g.LoadBitmap(name, n, horizontal, scale);
  }
};

} // namespace plugin::igraphics::test
