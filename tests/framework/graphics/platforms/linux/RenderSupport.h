#pragma once
// Headless rendering for tests: an editor of one size and scale whose controls draw through
// functions, rendered on the EGL surfaceless context and read back as RGBA in memory. Pixels are
// compared within 2/255 per channel; a PNG is written only when a comparison fails.

#include "framework/graphics/platforms/linux/IGraphicsLinux.h"
#include "framework/graphics/platforms/linux/PNGWriter.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace plugin::igraphics::test
{

// A control that draws with a function.
class DrawControl : public IControl
{
public:
  using DrawFunc = std::function<void(IGraphics& g, IControl& self)>;
  DrawControl(const IRECT& bounds, DrawFunc func) : IControl(bounds), mFunc(std::move(func)) {}
  void Draw(IGraphics& g) override
  {
    ++mDraws;
    mFunc(g, *this);
  }
  DrawFunc mFunc;
  int mDraws = 0;
};

struct Image
{
  std::vector<uint8_t> rgba;
  int w = 0;
  int h = 0;

  // (r, g, b, a) at pixel (x, y).
  IColor At(int x, int y) const
  {
    const uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
    return IColor(p[3], p[0], p[1], p[2]);
  }
};

// A contact sheet: top above bottom, the rest of the narrower row filled with fill.
inline Image Stack(const Image& top, const Image& bottom, const IColor& fill)
{
  Image sheet;
  sheet.w = std::max(top.w, bottom.w);
  sheet.h = top.h + bottom.h;
  sheet.rgba.resize(static_cast<size_t>(sheet.w) * sheet.h * 4);
  for (int y = 0; y < sheet.h; ++y)
    for (int x = 0; x < sheet.w; ++x)
    {
      const Image& from = y < top.h ? top : bottom;
      const int fy = y < top.h ? y : y - top.h;
      const IColor c = x < from.w ? from.At(x, fy) : fill;
      uint8_t* p = &sheet.rgba[(static_cast<size_t>(y) * sheet.w + x) * 4];
      p[0] = static_cast<uint8_t>(c.R);
      p[1] = static_cast<uint8_t>(c.G);
      p[2] = static_cast<uint8_t>(c.B);
      p[3] = static_cast<uint8_t>(c.A);
    }
  return sheet;
}

inline bool Near(const IColor& a, const IColor& b, int tolerance = 2)
{
  return std::abs(a.A - b.A) <= tolerance && std::abs(a.R - b.R) <= tolerance &&
         std::abs(a.G - b.G) <= tolerance && std::abs(a.B - b.B) <= tolerance;
}

// A PNG of w x h with the top half red and the bottom half green: a two-frame strip.
inline std::vector<uint8_t> TwoFramePNG(int w, int h)
{
  std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
      p[0] = y < h / 2 ? 255 : 0;
      p[1] = y < h / 2 ? 0 : 255;
      p[2] = 0;
      p[3] = 255;
    }
  std::vector<uint8_t> png;
  stbi_write_png_to_func(
    [](void* ctx, void* data, int size)
    {
      auto* out = static_cast<std::vector<uint8_t>*>(ctx);
      out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    },
    &png, w, h, 4, rgba.data(), w * 4);
  return png;
}

// An editor rendered headless at a display's scale and a UI zoom (draw scale); the layout
// attaches what the test adds before Open.
class HeadlessEditor
{
public:
  HeadlessEditor(int w, int h, float screenScale = 1.f, float drawScale = 1.f)
    : mGraphics(mDelegate, w, h, 60, drawScale)
  {
    mScreenScale = screenScale;
    mDelegate.mLayoutFunc = [this](IGraphics* pGraphics)
    {
      for (auto& make : mMakers)
        pGraphics->AttachControl(make());
      for (auto& layout : mLayouts)
        layout(*pGraphics);
    };
  }
  ~HeadlessEditor() { mGraphics.CloseWindow(); }

  DrawControl* Add(const IRECT& r, DrawControl::DrawFunc func)
  {
    auto* pControl = new DrawControl(r, std::move(func));
    mPending.push_back(pControl);
    mMakers.push_back([pControl] { return pControl; });
    return pControl;
  }

  // Runs at layout, after the controls added with Add: attaches anything else.
  void AddLayout(std::function<void(IGraphics& g)> layout)
  {
    mLayouts.push_back(std::move(layout));
  }

  bool Open()
  {
    if (mScreenScale != 1.f)
      mGraphics.SetScreenScale(mScreenScale);
    return mGraphics.OpenWindow(nullptr) != nullptr;
  }

  Image Render()
  {
    mGraphics.RenderFrame();
    return Read();
  }

  Image Read()
  {
    Image image;
    mGraphics.ReadFrame(image.rgba, image.w, image.h);
    return image;
  }

  // Expects the pixel at (x, y) in pixels; writes the frame to a PNG on failure.
  void Expect(const Image& image, int x, int y, const IColor& expected, const char* what,
              int tolerance = 2)
  {
    ASSERT_TRUE(x >= 0 && y >= 0 && x < image.w && y < image.h) << what;
    const IColor got = image.At(x, y);
    if (!Near(got, expected, tolerance))
    {
      std::string file = std::string("failed-") +
                         ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".png";
      std::replace(file.begin(), file.end(), '/', '-'); // parametrised tests: Name/param
      WritePNG(file.c_str(), image.rgba, image.w, image.h);
      ADD_FAILURE() << what << " at (" << x << ", " << y << "): got " << Fmt(got) << ", expected "
                    << Fmt(expected) << " (frame written to " << file << ")";
    }
  }

  TestDelegate mDelegate;
  IGraphicsLinux mGraphics;

private:
  float mScreenScale = 1.f;
  std::vector<DrawControl*> mPending;
  std::vector<std::function<IControl*()>> mMakers;
  std::vector<std::function<void(IGraphics& g)>> mLayouts;
};

} // namespace plugin::igraphics::test
