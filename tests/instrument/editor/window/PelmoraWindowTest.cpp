// Pelmora.so's editor in a host window, under Xvfb: loaded through the host tool's code, opened
// in a plain X11 parent, and driven with real X input (xdotool through the XTEST extension) as a
// user would: a tab switched, a knob turned, the main menu opened and a UI size picked, a key of
// the on-screen keyboard played; then closed. The digit fields dragged with the pointer hidden
// step by the distance dragged, whether the moves come one or many per idle call and from a
// relative or an absolute device (XTEST).

#include "tests/framework/graphics/platforms/linux/window/HostWindowTest.h"
#include "tests/support/TestSupport.h"

#include <cmath>
#include <vector>

namespace
{

testsupport::TempHome sHome; // the plug-in's settings and presets stay in a temporary folder

constexpr int kParamOpALevel = 7;
constexpr int kParamOpBLevel = 15;
constexpr int kParamOpARatio = 2;  // 0..32
constexpr int kParamOpAOffset = 3; // 0..9999 Hz

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

// Operator A's RATIO dragged 70 points up and OFFSET 165 points down, each pressed on its decimal
// point (which steps nothing and picks steps of 0.01): a step for every 10 points dragged, so 7
// and 16 steps, however the moves were batched. The long drag runs far enough for the hidden
// pointer to be moved back on the way.
TEST_F(PelmoraWindowTest, DigitFieldsStepByTheDistanceDraggedWhateverTheBatchingAndTheDevice)
{
  constexpr double kPointsPerStep = 10.0;
  constexpr double kStep = 0.01;
  struct Field
  {
    const char* name;
    int paramIdx;
    double max; // the range starts at 0
    int x;      // the decimal point's cell, in the value box
    int y;
    double start;
    int distance; // upwards
  };
  const Field fields[] = {{"RATIO", kParamOpARatio, 32.0, 150, 81, 1.0, 70},
                          {"OFFSET", kParamOpAOffset, 9999.0, 168, 122, 100.0, -165}};
  struct Way
  {
    bool absolute;
    int movesPerIdle;
  };
  mParent = OpenEditor();
  for (const Way way : {Way{false, 1}, Way{false, 8}, Way{false, 32}, Way{true, 1}, Way{true, 32}})
    for (const Field& field : fields) // one field between two presses of the other: no double click
    {
      SCOPED_TRACE(std::string(field.name) + (way.absolute ? ", absolute, " : ", relative, ") +
                   std::to_string(way.movesPerIdle) + " moves per idle call");
      mPlugin.Effect()->setParameter(mPlugin.Effect(), field.paramIdx,
                                     static_cast<float>(field.start / field.max));
      HeldDrag(field.x, field.y, 0, field.distance < 0 ? 1 : -1, std::abs(field.distance),
               way.movesPerIdle, way.absolute);
      const double steps = std::trunc(field.distance / kPointsPerStep);
      EXPECT_NEAR(Param(field.paramIdx) * field.max, field.start + steps * kStep, kStep / 10.0);
    }
  CloseEditor(mParent);
}

} // namespace
