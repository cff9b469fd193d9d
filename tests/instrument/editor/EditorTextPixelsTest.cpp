// The editor's texts as they are drawn: the whole editor rendered headless (EGL on Mesa) at every
// UI size, and each text's ink found in the frame's pixels. The boxes come from the layout's
// tables (points times the UI size), the texts from the parameters' value lists: nothing is
// taken from the control that draws them.

#include "framework/graphics/platforms/linux/IGraphicsLinux.h"
#include "instrument/Pelmora.h"
#include "instrument/editor/PelmoraEditor.h"
#include "instrument/editor/PelmoraLayout.h"
#include "instrument/editor/PelmoraTheme.h"
#include "tests/framework/graphics/platforms/linux/RenderSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

using namespace plugin::igraphics;
using plugin::igraphics::test::Image;

namespace
{

testsupport::TempHome sHome;

intptr_t QuietHost(AEffect*, int32_t, int32_t, intptr_t, void*, float)
{
  return 0;
}

// An instrument with its editor open headless at a UI size.
struct RenderedEditor
{
  RenderedEditor()
  {
    plug = std::make_unique<Pelmora>(plugin::Vst2InstanceInfo(QuietHost));
    open = plug->OpenWindow(nullptr) != nullptr;
    g = static_cast<IGraphicsLinux*>(plug->GetUI());
  }
  ~RenderedEditor() { plug->CloseWindow(); }

  // Sets a parameter as the host does: the editor follows.
  void Set(int paramIdx, double value)
  {
    plug->GetParam(paramIdx)->Set(value);
    plug->SendParameterValueFromDelegate(paramIdx, plug->GetParam(paramIdx)->GetNormalized(),
                                         false);
  }
  // The whole editor drawn afresh.
  Image Render()
  {
    Image frame;
    EXPECT_TRUE(g->RenderFrame() && g->ReadFrame(frame.rgba, frame.w, frame.h));
    return frame;
  }
  // The next frame, which redraws only what changed.
  Image Tick()
  {
    Image frame;
    g->OnTick();
    EXPECT_TRUE(g->ReadFrame(frame.rgba, frame.w, frame.h));
    return frame;
  }

  std::unique_ptr<Pelmora> plug;
  bool open = false;
  IGraphicsLinux* g = nullptr;
};

// A box in whole pixels: the columns and rows a box of points at a scale wholly covers.
struct PixelBox
{
  int l, t, r, b; // r and b are past the last column and row

  PixelBox(const IRECT& points, float scale)
    : l(static_cast<int>(std::ceil(points.L * scale - 1e-3f))),
      t(static_cast<int>(std::ceil(points.T * scale - 1e-3f))),
      r(static_cast<int>(std::floor(points.R * scale + 1e-3f))),
      b(static_cast<int>(std::floor(points.B * scale + 1e-3f)))
  {
  }
};

int Difference(const IColor& a, const IColor& b)
{
  return std::max({std::abs(a.R - b.R), std::abs(a.G - b.G), std::abs(a.B - b.B)});
}

// Per column of box (from box.l), the largest difference of its pixels from what they are
// compared with.
std::vector<int> ColumnProfile(const PixelBox& box, const std::function<int(int x, int y)>& diff)
{
  std::vector<int> profile(static_cast<size_t>(std::max(box.r - box.l, 0)), 0);
  for (int x = box.l; x < box.r; ++x)
    for (int y = box.t; y < box.b; ++y)
      profile[x - box.l] = std::max(profile[x - box.l], diff(x, y));
  return profile;
}

// Where the ink of a column profile begins and ends, in pixels from box.l with sub-pixel
// precision: a partly covered edge column counts by its share of the profile's full strength
// (its strongest column). {-1, -1} when there is no ink.
std::pair<float, float> InkEdges(const std::vector<int>& profile)
{
  const int full = *std::max_element(profile.begin(), profile.end());
  if (full < 40)
    return {-1.f, -1.f};
  const int faint = full / 8;
  int first = 0, last = static_cast<int>(profile.size()) - 1;
  while (profile[first] <= faint)
    ++first;
  while (profile[last] <= faint)
    --last;
  auto share = [full](int v)
  {
    return std::min(1.f, static_cast<float>(v) / static_cast<float>(full));
  };
  return {static_cast<float>(first) + 1.f - share(profile[first]),
          static_cast<float>(last) + share(profile[last])};
}

const IColor kCaptionBackground = pelmora::theme::ToIColor(pelmora::theme::ColorValueBackground);

// The layout's captions, with the texts they show for each integer value: the layout's own or
// the parameter's value list.
struct Caption
{
  IRECT bounds;
  int param;
  std::vector<std::string> texts;
};

std::vector<Caption> LayoutCaptions(const Pelmora& plug)
{
  std::vector<Caption> captions;
  auto add = [&](std::span<const pelmora::layout::Row> rows)
  {
    for (const pelmora::layout::Row& row : rows)
      if (const auto* pCaption = std::get_if<pelmora::layout::CaptionRow>(&row))
      {
        Caption caption{pCaption->bounds, pCaption->param, {}};
        for (const char* text : pCaption->texts)
          caption.texts.emplace_back(text);
        const plugin::IParam& param = *plug.GetParam(pCaption->param);
        if (caption.texts.empty())
          for (int v = 0; v <= static_cast<int>(param.GetMax()); ++v)
            caption.texts.emplace_back(param.GetDisplayText(v));
        captions.push_back(std::move(caption));
      }
  };
  add(pelmora::layout::kAlgorithmFilterRows);
  add(pelmora::layout::kModMatrixRows);
  return captions;
}

} // namespace

// Every value of every caption (the filter type's and each modulation slot's source and
// destination) at every UI size: its ink lies inside the caption's box from the layout, clear
// of the enumeration marker (found as the columns that change when the pointer is over the
// caption), and centred between the box's left edge and the marker: the margins left and right
// of the ink differ by 2 pixels at most. A text drawn wider than it was measured, or measured
// with blanks it does not show, or centred in a box shifted aside, fails.
TEST(EditorTextPixels, EveryCaptionValueSitsCentredInsideItsBoxClearOfTheMarker)
{
  RenderedEditor e;
  ASSERT_TRUE(e.open) << "no headless OpenGL context";
  const std::vector<Caption> captions = LayoutCaptions(*e.plug);
  ASSERT_EQ(captions.size(), 9u);
  size_t most = 0;
  for (const Caption& caption : captions)
    most = std::max(most, caption.texts.size());
  for (const pelmora::layout::ScaleItem& size : pelmora::layout::kScaleItems)
  {
    e.plug->Resize(size.scale);
    const float s = size.scale;
    // Each marker: where the caption's pixels change with the pointer over it.
    std::vector<float> markerLeft;
    e.Render();
    for (const Caption& caption : captions)
    {
      const PixelBox box(caption.bounds, s);
      const Image before = e.Tick();
      e.g->OnMouseOver(caption.bounds.MW(), caption.bounds.MH(), IMouseMod());
      const Image over = e.Tick();
      e.g->OnMouseOut();
      const auto [first, last] = InkEdges(ColumnProfile(
        box, [&](int x, int y) { return Difference(before.At(x, y), over.At(x, y)); }));
      ASSERT_GT(first, 0.f) << size.text << " caption of parameter " << caption.param;
      EXPECT_LT(last, static_cast<float>(box.r - box.l)) << size.text << " " << caption.param;
      markerLeft.push_back(static_cast<float>(box.l) + first);
    }
    // All captions at once, each at its value v while it has one.
    for (size_t v = 0; v < most; ++v)
    {
      for (const Caption& caption : captions)
        e.Set(caption.param, static_cast<double>(std::min(v, caption.texts.size() - 1)));
      const Image frame = e.Tick();
      for (size_t c = 0; c < captions.size(); ++c)
      {
        const Caption& caption = captions[c];
        if (v >= caption.texts.size())
          continue;
        const std::string what = std::string(size.text) + " '" + caption.texts[v] +
                                 "' of parameter " + std::to_string(caption.param);
        PixelBox box(caption.bounds, s);
        box.r = static_cast<int>(markerLeft[c]) - 1; // the marker's smoothed edge left out
        const auto [first, last] = InkEdges(ColumnProfile(
          box, [&](int x, int y) { return Difference(frame.At(x, y), kCaptionBackground); }));
        ASSERT_GE(first, 0.f) << what << ": no ink";
        const float left = static_cast<float>(box.l) + first - caption.bounds.L * s;
        const float right = markerLeft[c] - (static_cast<float>(box.l) + last);
        EXPECT_GE(left, 1.f) << what << ": at the box's left edge";
        EXPECT_GE(right, 1.f) << what << ": at the marker";
        EXPECT_LE(std::abs(left - right), 2.f)
          << what << ": margins " << left << " and " << right << " pixels";
      }
    }
  }
}
