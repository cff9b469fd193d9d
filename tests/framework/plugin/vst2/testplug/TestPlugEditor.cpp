// The test plug-in's editor: a panel with the logo, a title and one horizontal slider bound to
// the "Gain" parameter (a press jumps to the pointer, a drag follows it), enough to see pixels
// and to drive a parameter through a window. A host may choose the library gallery instead
// (TestPlugGallery.cpp).

#include "tests/framework/plugin/vst2/testplug/TestPlug.h"

#include "framework/graphics/IGraphics.h"
#include "framework/graphics/IGraphicsFactory.h"

using namespace plugin;
using namespace plugin::igraphics;

namespace
{

class TestPanel : public IControl
{
public:
  explicit TestPanel(const IRECT& bounds) : IControl(bounds) {}
  void Draw(IGraphics& g) override
  {
    g.FillRect(kTestPlugBackground, mRECT);
    if (!mLogo.IsValid())
      mLogo = g.LoadSVG("pelmora-logo-96x32.svg");
    g.DrawSVG(mLogo, IRECT(20.f, 20.f, 116.f, 52.f));
    g.DrawText(IText(20.f, IColor(255, 240, 240, 240), "Roboto-Regular", EAlign::kNear),
               "Pelmora test editor", IRECT(130.f, 20.f, 500.f, 52.f));
  }

private:
  ISVG mLogo;
};

class TestSlider : public IControl
{
public:
  TestSlider(const IRECT& bounds, int paramIdx) : IControl(bounds, paramIdx) {}
  void Draw(IGraphics& g) override
  {
    g.FillRect(IColor(255, 60, 60, 70), mRECT);
    const float x = mRECT.L + static_cast<float>(GetValue()) * mRECT.W();
    g.FillRect(kTestPlugSliderFill, IRECT(mRECT.L, mRECT.T, x, mRECT.B));
  }
  void OnMouseDown(float x, float y, const IMouseMod&) override
  {
    SnapToMouse(x, y, EDirection::kHorizontal, mRECT);
  }
  void OnMouseDrag(float x, float y, float, float, const IMouseMod&) override
  {
    SnapToMouse(x, y, EDirection::kHorizontal, mRECT);
  }
};

} // namespace

void TestPlug::SetUpEditor()
{
  mMakeGraphicsFunc = [this]
  {
    return MakeGraphics(*this, GetEditorWidth(), GetEditorHeight(), 60, 1.f);
  };
  mLayoutFunc = [this](IGraphics* pGraphics)
  {
    if (mLayout == kLayoutGallery)
    {
      LayoutGallery(pGraphics);
      return;
    }
    pGraphics->AttachControl(new TestPanel(pGraphics->GetBounds()));
    pGraphics->AttachControl(new TestSlider(kTestPlugSliderBounds, kParamGain));
  };
}
