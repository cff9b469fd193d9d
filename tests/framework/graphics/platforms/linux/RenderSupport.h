#pragma once
// Headless rendering for tests: an editor of one size and scale whose controls draw through
// functions, rendered on the EGL surfaceless context and read back as RGBA in memory. Pixels are
// compared within 2/255 per channel; a PNG is written only when a comparison fails.

#include "framework/graphics/platforms/linux/IGraphicsLinux.h"
#include "framework/graphics/platforms/linux/PNGWriter.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"
#include "tests/framework/graphics/StripPainter.h"

#include <gtest/gtest.h>

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

inline void Fill(Image& image, const IColor& c)
{
  for (size_t i = 0; i < image.rgba.size(); i += 4)
  {
    image.rgba[i] = static_cast<uint8_t>(c.R);
    image.rgba[i + 1] = static_cast<uint8_t>(c.G);
    image.rgba[i + 2] = static_cast<uint8_t>(c.B);
    image.rgba[i + 3] = static_cast<uint8_t>(c.A);
  }
}

// Copies from into image with its top-left corner at (x, y); from must fit.
inline void Blit(Image& image, const Image& from, int x, int y)
{
  for (int row = 0; row < from.h; ++row)
    std::copy_n(&from.rgba[static_cast<size_t>(row) * from.w * 4], static_cast<size_t>(from.w) * 4,
                &image.rgba[(static_cast<size_t>(y + row) * image.w + x) * 4]);
}

inline bool Near(const IColor& a, const IColor& b, int tolerance = 2)
{
  return std::abs(a.A - b.A) <= tolerance && std::abs(a.R - b.R) <= tolerance &&
         std::abs(a.G - b.G) <= tolerance && std::abs(a.B - b.B) <= tolerance;
}

// A PNG of w x h with the top half red and the bottom half green: a two-frame strip.
inline std::vector<uint8_t> TwoFramePNG(int w, int h)
{
  StripCanvas canvas(w, h, 1);
  canvas.Rect(0, 0, float(w), float(h / 2), IColor(255, 255, 0, 0));
  canvas.Rect(0, float(h / 2), float(w), float(h), IColor(255, 0, 255, 0));
  return canvas.PNG();
}

// An editor rendered headless at a display's scale and a UI zoom (draw scale); the layout
// attaches what the test adds before Open.
class HeadlessEditor
{
public:
  HeadlessEditor(int w, int h, float screenScale = 1.f, float drawScale = 1.f, int nParams = 8)
    : mDelegate(nParams), mGraphics(mDelegate, w, h, 60, drawScale)
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
  static void Expect(const Image& image, int x, int y, const IColor& expected, const char* what,
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
