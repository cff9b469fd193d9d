#include "tests/framework/graphics/platforms/linux/RenderSupport.h"

using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

TEST(Smoke, FillRect)
{
  HeadlessEditor editor(40, 30);
  editor.Add(IRECT(0, 0, 40, 30),
             [](IGraphics& g, IControl&)
             {
               g.FillRect(IColor(255, 255, 255, 255), IRECT(0, 0, 40, 30));
               g.FillRect(IColor(255, 255, 0, 0), IRECT(10, 10, 20, 20));
               g.DrawText(IText(12.f, IColor(255, 0, 0, 0)), "Hi", IRECT(20, 0, 40, 30));
             });
  ASSERT_TRUE(editor.Open());
  Image image = editor.Render();
  ASSERT_EQ(image.w, 40);
  editor.Expect(image, 15, 15, IColor(255, 255, 0, 0), "red square");
  editor.Expect(image, 5, 5, IColor(255, 255, 255, 255), "white");
  WritePNG("/tmp/smoke.png", image.rgba, image.w, image.h);
}
