// The pointer during relative drags on Linux, without a display: hiding it keeps the state on a
// headless surface, and where it cannot be hidden and held (no surface at all) a slider follows
// the pointer instead of racing it.

#include "framework/graphics/IKnobControlBase.h"
#include "framework/graphics/platforms/linux/IGraphicsLinux.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

namespace
{

using namespace plugin::igraphics;
using namespace plugin::igraphics::test;
using Slider = Undrawn<ISliderControlBase>;

TEST(LinuxPointer, HiddenAndHeldWhereItCanBeElseSlidersFollowIt)
{
  TestDelegate delegate;
  IGraphicsLinux g(delegate, 100, 100);
  auto* pSlider = new Slider(IRECT(0, 0, 20, 100), 0, EDirection::kVertical, 1.0);
  g.AttachControl(pSlider);
  const IMouseMod left(true);

  // No surface: nothing hides or holds the pointer, so the drag follows it along the track.
  g.OnMouseDown({Point(10, 25, left)});
  EXPECT_FALSE(g.IsCursorHidden());
  g.OnMouseDrag({Point(10, 50, left, 0, 5)});
  EXPECT_DOUBLE_EQ(pSlider->GetValue(), 0.5);
  g.OnMouseUp({Point(10, 50, left)});

  ASSERT_NE(g.OpenWindow(nullptr), nullptr);
  pSlider = new Slider(IRECT(0, 0, 20, 100), 0, EDirection::kVertical, 1.0);
  g.AttachControl(pSlider); // the layout ran again when the editor opened
  g.OnMouseDown({Point(10, 25, left)});
  EXPECT_TRUE(g.IsCursorHidden());
  g.OnMouseDrag({Point(10, 50, left, 0, 5)}); // geared: only the movement counts
  EXPECT_NEAR(pSlider->GetValue(), 0.7, 1e-9);
  g.OnMouseUp({Point(10, 50, left)});
  EXPECT_FALSE(g.IsCursorHidden());
  g.CloseWindow();
}

} // namespace
