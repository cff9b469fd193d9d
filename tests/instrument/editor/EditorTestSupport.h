#pragma once
// Helpers of the editor's control tests: an editor opened on the recording back end (its
// delegate owns the context, so host MIDI reaches the controls) and the MIDI it sent; and the
// editor's controls on the recording back end, bound to the instrument's 64 parameters (and
// one spare at index 64). The log keeps the shapes asked for: "Arc (colour) r R A1 A2 t T",
// "Line (colour) X1 Y1 X2 Y2 blend W t T", "Disc (colour) r R blend W", "Text STR|L T R B blend
// W", and the back end's path lines.

#include "instrument/PelmoraParameters.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

namespace plugin::igraphics::test
{

// Opens the delegate's editor on a 1011 x 601 recording context laid out by layout.
inline IGraphics* OpenEditor(TestDelegate& delegate, std::function<void(IGraphics& g)> layout)
{
  delegate.mMakeGraphicsFunc = [&delegate]
  {
    return new RecordingGraphics(delegate, 1011, 601);
  };
  delegate.mLayoutFunc = [layout](IGraphics* pGraphics)
  {
    layout(*pGraphics);
  };
  delegate.OpenWindow(nullptr);
  return delegate.GetUI();
}

// The MIDI the editor sent so far as "90 60 127, 80 60 0" (status in hex), then forgotten.
inline std::string SentMidi(TestDelegate& delegate)
{
  std::string out;
  for (const IMidiMsg& m : delegate.mMidiFromUI)
  {
    char line[24];
    std::snprintf(line, sizeof(line), "%s%02X %d %d", out.empty() ? "" : ", ", m.mStatus, m.mData1,
                  m.mData2);
    out.append(m.mOffset == 0 ? line : "(not at offset 0)");
  }
  delegate.mMidiFromUI.clear();
  return out;
}

class ShapeGraphics : public RecordingGraphics
{
public:
  using RecordingGraphics::RecordingGraphics;
  static std::string Weight(const IBlend* pBlend) { return " blend " + Fmt(BlendWeight(pBlend)); }

  void DrawArc(const IColor& c, float, float, float r, float a1, float a2, const IBlend*,
               float t) override
  {
    Log("Arc " + Fmt(c) + " r " + Fmt(r) + " " + Fmt(a1) + " " + Fmt(a2) + " t " + Fmt(t));
  }
  void DrawLine(const IColor& c, float x1, float y1, float x2, float y2, const IBlend* pBlend,
                float t) override
  {
    Log("Line " + Fmt(c) + " " + Fmt(x1) + " " + Fmt(y1) + " " + Fmt(x2) + " " + Fmt(y2) +
        Weight(pBlend) + " t " + Fmt(t));
  }
  void FillCircle(const IColor& c, float, float, float r, const IBlend* pBlend) override
  {
    Log("Disc " + Fmt(c) + " r " + Fmt(r) + Weight(pBlend));
  }
  void DoDrawText(const IText&, const char* str, const IRECT& r, const IBlend* pBlend) override
  {
    Log(std::string("Text ") + str + "|" + Fmt(r) + Weight(pBlend));
  }
};

// The editor's size; the instrument's parameters as it declares them, and a spare one; hover
// reports recorded.
struct EditorControlsTest : RecordingTest<ShapeGraphics, kNumParams + 1, 1011, 601>
{
  static constexpr int kSpare = kNumParams;

  std::vector<int> hovered;
  std::function<void(int)> hover = [this](int paramIdx)
  {
    hovered.push_back(paramIdx);
  };

  EditorControlsTest()
  {
    for (int i = 0; i < kNumParams; ++i)
      InitParamFromSpec(*delegate.GetParam(i), i);
    g.EnableMouseOver(true);
    g.AttachControl(new TestControl(IRECT())); // the background: never hovered
  }
  // Attached, showing its parameter's value as an opened editor does.
  template <class T>
  T* Attach(T* pControl)
  {
    RecordingTest::Attach(pControl);
    if (const IParam* pParam = pControl->GetParam())
      pControl->SetValueFromDelegate(pParam->GetNormalized());
    return pControl;
  }
  // A value from the host.
  void SetParam(IControl& control, double value)
  {
    IParam* pParam = delegate.GetParam(control.GetParamIdx());
    pParam->Set(value);
    control.SetValueFromDelegate(pParam->GetNormalized());
  }
  double ParamValue(int paramIdx) { return delegate.GetParam(paramIdx)->Value(); }
  // One drag event of the press under way, dY points down.
  using RecordingTest::Drag;
  void Drag(float y, float dY, IMouseMod mod = IMouseMod(true))
  {
    g.OnMouseDrag({Point(0.f, y, mod, 0.f, dY)});
  }
  // The host log's edit gestures, without the values.
  std::vector<std::string> Gestures() const
  {
    std::vector<std::string> out;
    for (const std::string& line : delegate.mHostLog)
      if (line.rfind("value", 0) != 0)
        out.push_back(line);
    return out;
  }
};

} // namespace plugin::igraphics::test
