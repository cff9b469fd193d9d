// Pelmora.so's editor in a host window, under Xvfb: loaded through the host tool's code, opened
// in a plain X11 parent, and driven with real X input (xdotool through the XTEST extension) as a
// user would: a tab switched, a knob turned, the main menu opened and a UI size picked, a key of
// the on-screen keyboard played; then closed.

#include "tests/framework/graphics/platforms/linux/window/HostWindowTest.h"
#include "tests/support/TestSupport.h"

#include <cmath>
#include <vector>

namespace
{

testsupport::TempHome sHome; // the plug-in's settings and presets stay in a temporary folder

constexpr int kParamOpALevel = 7;
constexpr int kParamOpBLevel = 15;

class PelmoraWindowTest : public plugin::test::HostWindowTest
{
protected:
  PelmoraWindowTest() : HostWindowTest(PELMORA_INSTRUMENT_PLUGIN) {}

  static std::string At(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }

  // Which rows y0..y1 of the window have most of their pixels from x0 to x1 near the colour
  // (r, g, b).
  std::vector<bool> RowsOf(int x0, int x1, int y0, int y1, int r, int g, int b)
  {
    XSync(mDisplay, False);
    std::vector<bool> rows(static_cast<size_t>(y1 - y0 + 1));
    XImage* image = XGetImage(mDisplay, mParent, x0, y0, unsigned(x1 - x0), unsigned(y1 - y0 + 1),
                              AllPlanes, ZPixmap);
    if (!image)
      return rows;
    for (int y = 0; y <= y1 - y0; ++y)
    {
      int near = 0;
      for (int x = 0; x < x1 - x0; ++x)
      {
        const unsigned long p = XGetPixel(image, x, y);
        near += std::abs(int((p >> 16) & 255) - r) <= 24 &&
                std::abs(int((p >> 8) & 255) - g) <= 24 && std::abs(int(p & 255) - b) <= 24;
      }
      rows[static_cast<size_t>(y)] = 2 * near > x1 - x0;
    }
    XDestroyImage(image);
    return rows;
  }

  // The rows of an open menu down the column x: the row under the pointer lights up in the
  // menu's highlight colour (sampled right of the texts); the pointer then moves on below it.
  // Answers the centre of each row from y0 to y1.
  std::vector<int> MenuRows(int x, int y0, int y1)
  {
    std::vector<int> centres;
    for (int y = y0; y <= y1;)
    {
      Xdo("mousemove " + At(x, y));
      Idle(2);
      const std::vector<bool> lit = RowsOf(x - 12, x + 5, y0, y1, 74, 128, 232);
      if (!lit[static_cast<size_t>(y - y0)])
      {
        y += 3;
        continue;
      }
      int top = y, bottom = y;
      while (top > y0 && lit[static_cast<size_t>(top - 1 - y0)])
        --top;
      while (bottom < y1 && lit[static_cast<size_t>(bottom + 1 - y0)])
        ++bottom;
      centres.push_back((top + bottom) / 2);
      y = bottom + 2;
    }
    return centres;
  }

  Window mParent = 0;
};

TEST_F(PelmoraWindowTest, ATabAKnobAUISizeAndAKeyWithRealXInput)
{
  mParent = OpenEditor();

  // Tab B, then B's level knob dragged up: one gesture of B's level, A's untouched.
  Xdo("mousemove 422 52 click 1");
  Idle();
  const float levelA = Param(kParamOpALevel);
  mPlugin.ClearRecords();
  Xdo("mousemove 451 111 mousedown 1");
  Idle(2);
  for (int step = 1; step <= 4; ++step)
  {
    Xdo("mousemove " + At(451, 111 - 10 * step));
    Idle(1);
  }
  Xdo("mouseup 1");
  Idle();
  EXPECT_GT(Param(kParamOpBLevel), 0.05f);
  EXPECT_EQ(Param(kParamOpALevel), levelA);
  EXPECT_EQ(CountFor(kVst2HostBeginEdit, kParamOpBLevel), 1);
  EXPECT_EQ(CountFor(kVst2HostEndEdit, kParamOpBLevel), 1);
  EXPECT_GE(CountFor(kVst2HostAutomate, kParamOpBLevel), 1);

  // The cog opens the main menu; "UI Size" is its third row; "125%" the fifth of its submenu,
  // which opens beside it.
  Xdo("mousemove 988 15 click 1");
  Idle(10);
  const std::vector<int> rows = MenuRows(980, 34, 200);
  ASSERT_EQ(rows.size(), 5u) << "main menu rows";
  Xdo("mousemove " + At(980, rows[2]));
  Idle(15);
  const std::vector<int> sizes = MenuRows(785, rows[2] - 12, rows[2] + 220);
  ASSERT_EQ(sizes.size(), 8u) << "UI size rows";
  mPlugin.ClearRecords();
  Xdo("mousemove " + At(785, sizes[4]) + " click 1");
  Idle();
  int width = 0, height = 0;
  for (const host::HostCall& call : mPlugin.Calls())
    if (call.opcode == kVst2HostSizeWindow)
    {
      width = call.index;
      height = static_cast<int>(call.value);
    }
  EXPECT_EQ(width, 1264); // 1011 x 601 points at 125 %, rounded up: 1263.75 x 751.25
  EXPECT_EQ(height, 752);
  XResizeWindow(mDisplay, mParent, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSync(mDisplay, False);
  Idle();

  // A white key of the keyboard (at 125 %): its note sounds in the next blocks.
  Xdo("mousemove " + At(375, 725) + " mousedown 1");
  Idle(2);
  std::vector<float> left(512), right(512);
  float* outputs[] = {left.data(), right.data()};
  double energy = 0.0;
  for (int block = 0; block < 8; ++block)
  {
    mPlugin.ProcessFloat(nullptr, outputs, 512);
    for (float s : left)
      energy += double(s) * s;
  }
  Xdo("mouseup 1");
  Idle();
  EXPECT_GT(energy, 1e-3) << "no note reached the output";

  CloseEditor(mParent);
}

} // namespace
