// The test plug-in's editor: a panel with the logo, a title, one horizontal slider bound to the
// "Gain" parameter (a press jumps to the pointer, a drag follows it), a plain knob bound to
// "Cutoff" (a relative drag with the pointer hidden) and two captions that prompt
// for values ("Voices" by typing, "Mode" from a menu) and a free text field, enough to see pixels
// and to drive parameters and the keyboard through a window. A host may choose the library
// gallery instead (TestPlugGallery.cpp).

#include "tests/framework/plugin/vst2/testplug/TestPlug.h"

#include "framework/graphics/IGraphics.h"
#include "framework/graphics/IGraphicsFactory.h"
#include "framework/graphics/IKnobControlBase.h"
#include "framework/graphics/controls/ITextControl.h"

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

// The knob's value as the height of a bar; each drag's horizontal movement is added up in
// dragX.
class TestKnob : public IKnobControlBase
{
public:
  TestKnob(const IRECT& bounds, int paramIdx, double& dragX)
    : IKnobControlBase(bounds, paramIdx), mDragX(dragX)
  {
  }
  void Draw(IGraphics& g) override
  {
    g.FillRect(IColor(255, 60, 60, 70), mRECT);
    const float y = mRECT.B - static_cast<float>(GetValue()) * mRECT.H();
    g.FillRect(kTestPlugSliderFill, IRECT(mRECT.L, y, mRECT.R, mRECT.B));
  }
  void OnMouseDown(float x, float y, const IMouseMod& mod) override
  {
    mDragX = 0.0;
    IKnobControlBase::OnMouseDown(x, y, mod);
  }
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override
  {
    mDragX += dX;
    IKnobControlBase::OnMouseDrag(x, y, dX, dY, mod);
  }

private:
  double& mDragX;
};

class TestNameField : public ITextControl
{
public:
  TestNameField(const IRECT& bounds, const IText& text, const IColor& bg)
    : ITextControl(bounds, "name", text, bg)
  {
    mIgnoreMouse = false;
    SetTextEntryLength(32);
  }
  void OnMouseDown(float, float, const IMouseMod&) override
  {
    GetUI()->CreateTextEntry(*this, mText, mRECT, GetStr(), 0);
  }
  void OnTextEntryCompletion(const char* str, int) override { SetStr(str); }
};

// Resizes the editor as a UI-size menu does: the same size in points at another scale.
class TestZoomButton : public IControl
{
public:
  explicit TestZoomButton(const IRECT& bounds) : IControl(bounds) { mDblAsSingleClick = true; }
  void Draw(IGraphics& g) override { g.FillRect(IColor(255, 90, 200, 120), mRECT); }
  void OnMouseDown(float, float, const IMouseMod&) override
  {
    IGraphics* pGraphics = GetUI();
    pGraphics->Resize(pGraphics->Width(), pGraphics->Height(),
                      pGraphics->GetDrawScale() == 1.f ? 1.5f : 1.f, true);
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
    pGraphics->AttachControl(new TestKnob(kTestPlugKnobBounds, kParamCutoff, mKnobDragX));
    const IText caption(16.f, IColor(255, 230, 232, 240), "Roboto-Regular", EAlign::kCenter,
                        EVAlign::kMiddle, 0.f, IColor(255, 18, 20, 28), IColor(255, 240, 242, 248));
    const IColor captionBG(255, 52, 56, 70);
    pGraphics->AttachControl(
      new ICaptionControl(kTestPlugVoicesBounds, kParamVoices, caption, captionBG, false));
    pGraphics->AttachControl(
      new ICaptionControl(kTestPlugModeBounds, kParamMode, caption, captionBG, false));
    pGraphics->AttachControl(new TestNameField(kTestPlugNameBounds, caption, captionBG));
    pGraphics->AttachControl(new TestZoomButton(kTestPlugZoomBounds));
  };
}
