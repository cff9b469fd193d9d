// A tooltip's text as drawn, headless: at every UI size, each text shown in its box lies inside
// the box's frame, found in the frame's pixels (on a black editor the frame is the first pixel of
// the box from either side of its middle row).

#include "framework/graphics/platforms/linux/InWindowTooltips.h"
#include "tests/framework/graphics/platforms/linux/RenderSupport.h"

namespace
{

using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

// Texts of many widths, among them the instrument's parameter names.
const char* const kTexts[] = {"Cutoff",
                              "Resonance",
                              "LFO  Rate",
                              "Operator A Velocity > Frequency",
                              "Operator D Feedback",
                              "Mod 4 Destination",
                              "Pitch Drift",
                              "Filter Velocity Sensitivity",
                              "Chorus II",
                              "Gain",
                              "WWWWWWWW mmmmmmmm",
                              "iiiiiiiiiiiiiiiiiiii llllllll"};

TEST(LinuxTooltipText, EveryTextLiesInsideItsFrameAtEveryUISize)
{
  for (float uiSize : {0.8f, 0.9f, 1.f, 1.1f, 1.25f, 1.5f, 1.75f, 2.f})
  {
    HeadlessEditor editor(600, 200, 1.f, uiSize);
    editor.AddLayout([](IGraphics& g) { g.AttachPanelBackground(IPattern(COLOR_BLACK)); });
    if (!editor.Open())
      GTEST_SKIP() << "no headless OpenGL context";
    IGraphicsLinux& g = editor.mGraphics;
    g.AttachTooltipControl(new TooltipControl());
    auto& box = dynamic_cast<TooltipControl&>(*g.GetTooltipControl());
    const float s = g.GetBackingPixelScale();
    for (const char* text : kTexts)
    {
      const std::string what = std::to_string(uiSize) + " '" + text + "'";
      box.ShowAt(g, text, 20.f, 40.f, g.GetBounds());
      const Image frame = editor.Render();
      // The box's middle row: 20 points below the pointer's tip and half a panel lower.
      const int y = static_cast<int>(std::lround((40.f + 20.f + 11.5f) * s));
      int left = -1, right = -1;
      for (int x = 0; x < frame.w && left < 0; ++x)
        left = frame.At(x, y).B > 25 ? x : -1;
      for (int x = frame.w - 1; x > left && right < 0; --x)
        right = frame.At(x, y).B > 25 ? x : -1;
      ASSERT_GT(right, left + 10) << what << ": no box on row " << y;
      // The frame, a point wide, lies along the box's outer columns.
      const int frameWidth = static_cast<int>(std::ceil(s));
      // The text's ink (the light text colour) on the rows of the box's middle third.
      int first = frame.w, last = -1;
      for (int row = y - static_cast<int>(4.f * s); row <= y + static_cast<int>(4.f * s); ++row)
        for (int x = left; x <= right; ++x)
          if (frame.At(x, row).G > 140) // the text is light, the box dark
          {
            first = std::min(first, x);
            last = std::max(last, x);
          }
      ASSERT_GE(last, 0) << what << ": no text";
      EXPECT_GT(first - left, frameWidth) << what << ": the text meets the frame's left side";
      EXPECT_GT(right - last, frameWidth) << what << ": the text meets the frame's right side";
    }
  }
}

} // namespace
