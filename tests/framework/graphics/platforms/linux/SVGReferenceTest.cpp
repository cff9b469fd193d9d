// Our SVG reader and drawing against librsvg (used here only, as the reference): the sample
// images render alike within a tolerance that allows for the two rasterisers' anti-aliasing.

#include "tests/framework/graphics/platforms/linux/RenderSupport.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <fstream>
#include <iterator>

using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

std::string ReadSample(const std::string& name)
{
  std::ifstream in(std::string(PELMORA_SVG_SAMPLES) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// librsvg's rendering on white, as RGBA rows top-down.
Image Reference(const std::string& svg, int w, int h)
{
  Image image;
  image.w = w;
  image.h = h;
  image.rgba.assign(static_cast<size_t>(w) * h * 4, 255);
  GError* error = nullptr;
  RsvgHandle* handle =
    rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(svg.data()), svg.size(), &error);
  if (!handle)
  {
    g_clear_error(&error);
    return Image();
  }
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  const RsvgRectangle viewport = {0, 0, double(w), double(h)};
  rsvg_handle_render_document(handle, cr, &viewport, &error);
  g_clear_error(&error);
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      const uint32_t p = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
      uint8_t* o = &image.rgba[(static_cast<size_t>(y) * w + x) * 4];
      o[0] = (p >> 16) & 255;
      o[1] = (p >> 8) & 255;
      o[2] = p & 255;
      o[3] = 255;
    }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  g_object_unref(handle);
  return image;
}

class SVGReferenceTest : public ::testing::TestWithParam<const char*>
{
};

TEST_P(SVGReferenceTest, RendersLikeLibrsvg)
{
  const std::string svg = ReadSample(GetParam());
  ASSERT_FALSE(svg.empty());
  constexpr int kW = 120, kH = 80;
  HeadlessEditor editor(kW, kH);
  editor.Add(IRECT(0, 0, kW, kH),
             [&](IGraphics& g, IControl&)
             {
               g.FillRect(IColor(255, 255, 255, 255), IRECT(0, 0, kW, kH));
               const ISVG image =
                 g.LoadSVG(GetParam(), static_cast<const void*>(svg.data()), int(svg.size()));
               ASSERT_TRUE(image.IsValid());
               g.DrawSVG(image, IRECT(0, 0, kW, kH));
             });
  ASSERT_TRUE(editor.Open());
  const Image ours = editor.Render();
  const Image reference = Reference(svg, kW, kH);
  ASSERT_EQ(reference.w, ours.w);

  // Most pixels match closely; those that differ much lie on anti-aliased edges.
  int far = 0;
  double total = 0.0;
  for (size_t i = 0; i < ours.rgba.size(); i += 4)
  {
    int worst = 0;
    for (int c = 0; c < 3; ++c)
      worst = std::max(worst, std::abs(int(ours.rgba[i + c]) - int(reference.rgba[i + c])));
    total += worst;
    far += worst > 40;
  }
  const double pixels = double(kW) * kH;
  const double mean = total / pixels;
  const double farShare = far / pixels;
  if (mean > 3.0 || farShare > 0.03)
  {
    const std::string base = std::string("failed-svg-") + GetParam();
    WritePNG((base + "-ours.png").c_str(), ours.rgba, ours.w, ours.h);
    WritePNG((base + "-librsvg.png").c_str(), reference.rgba, reference.w, reference.h);
  }
  EXPECT_LE(mean, 3.0) << "mean difference per pixel (of 255)";
  EXPECT_LE(farShare, 0.03) << "share of pixels differing by more than 40";
}

INSTANTIATE_TEST_SUITE_P(Samples, SVGReferenceTest,
                         ::testing::Values("shapes.svg", "strokes.svg", "gradients.svg",
                                           "paths.svg"),
                         [](const auto& info)
                         {
                           std::string name = info.param;
                           return name.substr(0, name.find('.'));
                         });

} // namespace
