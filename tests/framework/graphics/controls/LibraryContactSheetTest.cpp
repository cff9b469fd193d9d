// Headless renders of the test plug-in's library gallery at screen scales 1 and 2 in one contact
// sheet (library-contact-sheet.png in the test's build folder): one of every control of the
// library where the window test clicks it, and beside them the same controls in their other
// states. The parameters the gallery binds are given values here; a few pixels guard what the
// sheet shows.

#include "tests/framework/graphics/platforms/linux/ContactSheet.h"
#include "tests/framework/plugin/vst2/testplug/GalleryLayout.h"

#include <cstring>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

void Layout(IGraphics& g, TestDelegate& delegate)
{
  auto param = [&delegate](int i)
  {
    return delegate.GetParam(i);
  };
  param(2)->InitEnum("Wave", 1, {"Sine", "Saw", "Square", "Noise"});
  param(6)->InitEnum("Mode", 1, {"Poly", "Mono", "Legato"});
  param(7)->InitEnum("Sync", 2, {"Off", "Key", "Free"});
  param(8)->InitDouble("Cutoff", 440.0, 20.0, 2000.0, 1.0, "Hz");
  param(12)->InitDouble("Level", 70.0, 0.0, 100.0, 1.0, "%");
  param(23)->InitDouble("Drive", 30.0, 0.0, 100.0, 1.0, "%");
  const double values[][2] = {{9, 0.7},  {10, 0.4},  {13, 0.3}, {14, 0.7}, {15, 0.7}, {16, 0.65},
                              {18, 1.0}, {19, 0.65}, {20, 0.7}, {21, 0.6}, {22, 0.3}};
  for (const auto& [idx, value] : values)
    param(int(idx))->InitDouble("", value, 0.0, 1.0, 0.01);
  LayoutGallery(g, [](const char*) { return SplashClickActionFunc; });

  // What opening the editor in a host does: every control shows its parameters' values; the
  // meters show -6 and -26 dB.
  g.ForStandardControlsFunc(
    [](IControl& control)
    {
      for (int v = 0; v < control.NVals(); ++v)
        if (const IParam* pParam = control.GetParam(v))
          control.SetValueFromDelegate(pParam->GetNormalized(), v);
    });
  for (const auto& [tag, level] : {std::pair{kGalleryMeterTag, 0.5f}, {kGalleryLowMeterTag, 0.05f}})
  {
    uint8_t msg[IBMeterControl::kMsgSize] = {};
    const int32_t channels = 1;
    std::memcpy(msg + IBMeterControl::kChannelCountOffset, &channels, 4);
    std::memcpy(msg + IBMeterControl::kLevelOffset, &level, 4);
    g.GetControlWithTag(tag)->OnMsgFromDelegate(0, sizeof(msg), msg);
  }
}

} // namespace

TEST(LibraryContactSheet, EveryControlInItsStates)
{
  ContactSheet sheet("library-contact-sheet.png", 1011, 601, IColor(255, 96, 96, 96),
                     {{"Roboto-Regular", "Roboto-Regular.ttf"}}, 24);
  for (float scale : {1.f, 2.f})
  {
    ASSERT_TRUE(sheet.Render(scale, Layout)) << "no headless OpenGL context";
    IGraphics& g = sheet.Editor().mGraphics;
    // The selected tab (the second) is drawn in the pressed colour.
    const IRECT tab =
      static_cast<IVTabSwitchControl*>(g.GetControlWithTag(kGalleryTabsTag))->GetButtonBounds(1);
    sheet.Expect(tab.L + 6, tab.B - 4, IColor(255, 96, 102, 116), "selected tab", 3);
    // The pad's handle sits at (0.7, 0.65) of its travel.
    const IRECT h =
      static_cast<IVXYPadControl*>(g.GetControlWithTag(kGalleryPadTag))->GetHandleBounds();
    sheet.Expect(h.MW(), h.MH(), kArtAccent, "pad handle", 3);
    // The bitmap knob at 1 shows its strip's last frame, the dot at +135 degrees; the one at 0.3
    // shows no dot there.
    const IRECT k = g.GetControlWithTag(kGalleryKnobTag)->GetRECT();
    sheet.Expect(k.MW() + 9.2f, k.MH() + 9.2f, kArtAccent, "bitmap knob at 1", 3);
    const IRECT k3 = g.GetControlWithTag(kGalleryLowKnobTag)->GetRECT();
    sheet.Expect(k3.MW() + 9.2f, k3.MH() + 9.2f, kStripBody, "bitmap knob at 0.3", 3);
    // The meter at -6 dB (value 54/72) lights 15 of its 20 segments: the 15th is yellow, the 16th
    // dark.
    const IRECT m = g.GetControlWithTag(kGalleryMeterTag)->GetRECT();
    sheet.Expect(m.MW(), m.B - 5.f * 14 - 2.f, IColor(255, 240, 200, 60), "15th segment", 3);
    sheet.Expect(m.MW(), m.B - 5.f * 15 - 2.f, kStripDim, "16th segment", 3);
  }
  EXPECT_TRUE(sheet.Write());
}
