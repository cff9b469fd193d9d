// The editor's texts and colours as they are drawn: the whole editor rendered headless (EGL on
// Mesa), at every UI size for the texts, and each text's ink or a control's colour found in the
// frame's pixels. The boxes come from the layout's tables (points times the UI size), the texts
// from the parameters' value lists, the colours from the theme's table: nothing is taken from
// the control that draws them.

#include "framework/graphics/controls/IPopupMenuControl.h"
#include "framework/graphics/platforms/linux/IGraphicsLinux.h"
#include "instrument/Pelmora.h"
#include "instrument/editor/PelmoraEditor.h"
#include "instrument/editor/PelmoraLayout.h"
#include "instrument/editor/PelmoraTheme.h"
#include "instrument/editor/controls/IVTVDiskPresetManagerControl.h"
#include "tests/instrument/editor/OpenEditorSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace plugin::igraphics;
using pelmora::test::OpenEditor;
using pelmora::test::QuietHost;
using pelmora::test::SupportPath;
using plugin::igraphics::test::Image;

namespace
{

// The top bar's row of a kind (the preset browser, the preset display).
template <class T>
const T& TopBarRow()
{
  for (const pelmora::layout::Row& row : pelmora::layout::kTopBarRows)
    if (const T* pRow = std::get_if<T>(&row))
      return *pRow;
  throw std::logic_error("no such row");
}

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
TEST(EditorPixels, EveryCaptionValueSitsCentredInsideItsBoxClearOfTheMarker)
{
  OpenEditor e;
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

// What the parameter display shows for a destination whose display text ends in blanks for hosts
// ("Op D Feedback     "), and the width of the destination's menu: neither keeps the blanks.
// The menu's panel is as wide as that of a menu of the same texts without them.
TEST(EditorPixels, BlanksThatEndADisplayTextAreNeitherShownNorMeasured)
{
  OpenEditor e;
  ASSERT_TRUE(e.open) << "no headless OpenGL context";
  const int destination = kParamMod1Destination;
  const plugin::IParam& param = *e.plug->GetParam(destination);
  IPopupMenu trimmed;
  int blanks = 0;
  for (int v = 0; v <= static_cast<int>(param.GetMax()); ++v)
  {
    std::string text = param.GetDisplayText(v);
    blanks += text.back() == ' ';
    text.erase(text.find_last_not_of(' ') + 1);
    trimmed.AddItem(text.c_str());
  }
  ASSERT_EQ(blanks, 1) << "the parameter list changed: pick another text";
  e.Set(destination, 9.0);
  IRECT box;
  for (const Caption& caption : LayoutCaptions(*e.plug))
    if (caption.param == destination)
      box = caption.bounds;
  e.g->OnMouseOver(box.MW(), box.MH(), IMouseMod());
  EXPECT_STREQ(e.Display().GetParamValue(), trimmed.GetItem(9)->GetText());

  auto panelWidth = [&](auto open)
  {
    open();
    auto& menu = dynamic_cast<IPopupMenuControl&>(*e.g->GetPopupMenuControl());
    const float width = menu.GetPanel(0)->mInnerRECT.W();
    e.g->CancelPrompts();
    e.Tick();
    return width;
  };
  const float shown = panelWidth([&] { e.Click(box.MW(), box.MH()); });
  const float expected = panelWidth(
    [&]
    {
      e.g->CreatePopupMenu(*e.g->GetControl(e.g->GetMouseControlIdx(box.MW(), box.MH())), trimmed,
                           box);
    });
  EXPECT_GT(expected, 0.f);
  EXPECT_FLOAT_EQ(shown, expected);
}

// A preset's name and category too long for their boxes, at every UI size: the browser's name
// button and the display's two top rows cut them at a whole character, so that their ink ends
// inside the box (a glyph cut in the middle reaches the edge the control is clipped at, a little
// outside the box).
TEST(EditorPixels, ALongPresetNameAndCategoryEndInsideTheirBoxes)
{
  const std::string category = "A Category Folder Named At Great Length For Its Box";
  const std::string name = "A Very Long Evolving Pad Name With More Words Than Fit";
  testsupport::TempDir::RunQuietly("mkdir -p '" + SupportPath("Presets/" + category) + "'");
  {
    Pelmora maker(plugin::Vst2InstanceInfo(QuietHost));
    ASSERT_TRUE(
      maker.SavePreset(SupportPath("Presets/" + category + "/" + name + ".preset").c_str()));
  }
  OpenEditor e;
  testsupport::TempDir::RunQuietly("rm -rf '" + SupportPath("Presets") + "'");
  ASSERT_TRUE(e.open) << "no headless OpenGL context";
  ASSERT_EQ(std::string(e.plug->GetPresetName()), name);
  using pelmora::layout::kParamDisplayLook;
  const IRECT browser = TopBarRow<pelmora::layout::PresetBrowserRow>().bounds;
  const float arrow = TopBarRow<pelmora::layout::PresetBrowserRow>().arrowWidth;
  const IRECT display = TopBarRow<pelmora::layout::ParamDisplayRow>().bounds;
  const float m = kParamDisplayLook.margin, nameSize = kParamDisplayLook.presetText.mSize;
  struct Box
  {
    const char* what;
    IRECT bounds;
    IColor background;
  };
  const Box boxes[] = {
    {"browser", IRECT(browser.L + arrow, browser.T, browser.R - arrow, browser.B),
     Pelmora::ColorPresetBrowser},
    {"name", IRECT(display.L + m, display.T + m, display.R - m, display.T + m + nameSize),
     Pelmora::ColorFrameBg},
    {"category",
     IRECT(display.L + m, display.T + m + nameSize, display.R - m,
           display.T + m + nameSize + kParamDisplayLook.categoryText.mSize),
     Pelmora::ColorFrameBg},
  };
  for (const pelmora::layout::ScaleItem& size : pelmora::layout::kScaleItems)
  {
    e.plug->Resize(size.scale);
    const Image frame = e.Render();
    for (const Box& box : boxes)
    {
      // A few points past the box's right edge, short of what lies beyond (a caret, a frame).
      const IRECT around(box.bounds.L, box.bounds.T, box.bounds.R + 4.f, box.bounds.B);
      const PixelBox pixels(around, size.scale);
      const auto [first, last] = InkEdges(ColumnProfile(
        pixels, [&](int x, int y) { return Difference(frame.At(x, y), box.background); }));
      const std::string what = std::string(size.text) + " " + box.what;
      ASSERT_GE(first, 0.f) << what << ": no text";
      EXPECT_LT(static_cast<float>(pixels.l) + first, (box.bounds.L + 4.f) * size.scale) << what;
      EXPECT_LE(static_cast<float>(pixels.l) + last, box.bounds.R * size.scale + 0.25f)
        << what << ": ink past the box's right edge";
    }
  }
}

// After a new sound the preset display's value row no longer shows the value the pointer showed
// with the sound before: the row's pixels change from what they were.
TEST(EditorPixels, ANewSoundTakesTheOldValueOffThePresetDisplay)
{
  testsupport::TempDir::RunQuietly("mkdir -p '" + SupportPath("Presets") + "'");
  {
    Pelmora maker(plugin::Vst2InstanceInfo(QuietHost));
    ASSERT_TRUE(maker.SavePreset(SupportPath("Presets/Plain.preset").c_str()));
  }
  OpenEditor e;
  ASSERT_TRUE(e.open) << "no headless OpenGL context";
  const IRECT display = TopBarRow<pelmora::layout::ParamDisplayRow>().bounds;
  const PixelBox valueRow(IRECT(display.L + 2.f, display.MH(), display.R - 2.f, display.B - 2.f),
                          1.f);
  auto sameRow = [&](const Image& a, const Image& b)
  {
    return InkEdges(ColumnProfile(valueRow,
                                  [&](int x, int y) { return Difference(a.At(x, y), b.At(x, y)); }))
             .first < 0.f;
  };
  e.Render();
  for (const char* step : {"a preset", "init"})
  {
    e.Set(kParamGain, -6.0);
    e.g->OnMouseOver(964.f, 545.f, IMouseMod()); // "GAIN"
    const Image before = e.Tick();
    if (std::string(step) == "init")
      e.plug->InitPreset();
    else
      ASSERT_TRUE(e.plug->LoadPreset(0));
    const Image after = e.Tick();
    EXPECT_FALSE(sameRow(before, after)) << step << ": the value row shows the old value";
  }
  testsupport::TempDir::RunQuietly("rm -rf '" + SupportPath("Presets") + "'");
}

// Each operator's knobs, on its own tab with every knob turned fully up, show that operator's
// colour from the theme's table, and none of the other operators' colours.
TEST(EditorPixels, EachOperatorsKnobsTakeThatOperatorsColour)
{
  using namespace pelmora::theme;
  const IColor colours[] = {ToIColor(ColorA), ToIColor(ColorB), ToIColor(ColorC), ToIColor(ColorD)};
  OpenEditor e;
  ASSERT_TRUE(e.open) << "no headless OpenGL context";
  for (int op = 0; op < kNumOperators; ++op)
  {
    const IRECT tab = pelmora::layout::kTabRects[op];
    e.Click(tab.MW(), tab.MH());
    for (const pelmora::layout::OpRow& row : pelmora::layout::kOperatorRows)
      if (const auto* pKnob = std::get_if<pelmora::layout::OpKnobRow>(&row))
        e.Set(OpParamIndex(op, pKnob->slot),
              e.plug->GetParam(OpParamIndex(op, pKnob->slot))->GetMax());
    const Image frame = e.Render();
    for (const pelmora::layout::OpRow& row : pelmora::layout::kOperatorRows)
    {
      const auto* pKnob = std::get_if<pelmora::layout::OpKnobRow>(&row);
      if (!pKnob)
        continue;
      int counts[kNumOperators] = {};
      const PixelBox box(pKnob->bounds, 1.f);
      for (int y = box.t; y < box.b; ++y)
        for (int x = box.l; x < box.r; ++x)
          for (int other = 0; other < kNumOperators; ++other)
            counts[other] += plugin::igraphics::test::Near(frame.At(x, y), colours[other], 24);
      for (int other = 0; other < kNumOperators; ++other)
        if (other == op)
          EXPECT_GT(counts[other], 40) << "operator " << op << "'s " << pKnob->label;
        else
          EXPECT_EQ(counts[other], 0) << "operator " << op << "'s " << pKnob->label
                                      << " in operator " << other << "'s colour";
    }
  }
}
