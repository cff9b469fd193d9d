// What an editor frame costs, headless (EGL surfaceless on Mesa's llvmpipe, the software
// rasteriser a Linux machine without a GPU driver uses): a 1011 x 601 layout of a panel
// background and 60 vector knobs, each with a label and a value, drawn
//   - whole (every control dirty: opening the editor, a resize),
//   - with one knob changed (a parameter moved by the host or the mouse),
//   - with nothing dirty (most of the host's idle calls).
// The argument is the display scale (1, or 2 for a HiDPI screen). A frame counts until the
// rasteriser has finished it. "drawn" is the number of controls drawn per frame.

#include "framework/core/IGEditorDelegate.h"
#include "framework/graphics/platforms/linux/IGraphicsLinux.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

using namespace plugin::igraphics;

namespace
{

constexpr int kWidth = 1011;
constexpr int kHeight = 601;
constexpr int kColumns = 10;
constexpr int kRows = 6;

int sDraws = 0;

// The editor's panels: a gradient over the whole window and a rounded section per knob row.
class Panel : public IControl
{
public:
  Panel() : IControl(IRECT(0.f, 0.f, float(kWidth), float(kHeight))) {}
  void Draw(IGraphics& g) override
  {
    ++sDraws;
    g.PathRect(mRECT);
    g.PathFill(IPattern::CreateLinearGradient(
      0.f, 0.f, 0.f, float(kHeight),
      {{IColor(255, 40, 44, 60), 0.f}, {IColor(255, 20, 22, 30), 1.f}}));
    for (int row = 0; row < kRows; ++row)
      g.FillRoundRect(IColor(255, 52, 56, 74),
                      IRECT(8.f, 8.f + row * 98.f, kWidth - 8.f, 100.f + row * 98.f), 6.f);
  }
};

// A knob as the control library draws one: a dial, a track and a value arc, a pointer, a label
// and the value as text.
class Knob : public IControl
{
public:
  Knob(const IRECT& bounds, int index) : IControl(bounds)
  {
    std::snprintf(mLabel, sizeof(mLabel), "Knob %d", index + 1);
    SetValue(0.5);
  }
  void Draw(IGraphics& g) override
  {
    ++sDraws;
    const IText label(12.f, IColor(255, 220, 220, 230), "Roboto-Regular", EAlign::kCenter,
                      EVAlign::kTop);
    const IText value(11.f, IColor(255, 160, 200, 255), "Roboto-Regular", EAlign::kCenter,
                      EVAlign::kBottom);
    const float cx = mRECT.MW(), cy = mRECT.MH();
    const float angle = -135.f + 270.f * static_cast<float>(GetValue());
    g.FillCircle(IColor(255, 30, 32, 44), cx, cy, 22.f);
    g.DrawArc(IColor(255, 80, 84, 100), cx, cy, 26.f, -135.f, 135.f, nullptr, 3.f);
    g.DrawArc(IColor(255, 90, 170, 255), cx, cy, 26.f, -135.f, angle, nullptr, 3.f);
    g.DrawRadialLine(IColor(255, 240, 240, 250), cx, cy, angle, 8.f, 20.f, nullptr, 2.f);
    g.DrawText(label, mLabel, mRECT);
    char text[24];
    std::snprintf(text, sizeof(text), "%.1f %%", GetValue() * 100.0);
    g.DrawText(value, text, mRECT);
  }

private:
  char mLabel[24] = {};
};

// No host: nothing to tell.
class BenchDelegate : public IGEditorDelegate
{
public:
  BenchDelegate() : IGEditorDelegate(0) {}
  void BeginInformHostOfParamChangeFromUI(int) override {}
  void EndInformHostOfParamChangeFromUI(int) override {}
};

// The editor open at a display scale, drawn once.
class Editor
{
public:
  explicit Editor(float screenScale) : mGraphics(mDelegate, kWidth, kHeight)
  {
    mDelegate.mLayoutFunc = [this](IGraphics* pGraphics)
    {
      pGraphics->AttachControl(new Panel());
      for (int i = 0; i < kColumns * kRows; ++i)
      {
        const float x = 12.f + (i % kColumns) * 99.f, y = 12.f + (i / kColumns) * 98.f;
        mKnobs.push_back(pGraphics->AttachControl(new Knob(IRECT(x, y, x + 90.f, y + 84.f), i)));
      }
    };
    mGraphics.SetScreenScale(screenScale);
    mOpen = mGraphics.OpenWindow(nullptr) != nullptr && mGraphics.RenderFrame();
  }
  ~Editor() { mGraphics.CloseWindow(); }

  BenchDelegate mDelegate;
  IGraphicsLinux mGraphics;
  std::vector<IControl*> mKnobs;
  bool mOpen = false;
};

// Opens the editor at the argument's display scale and times one frame per iteration, drawn by
// frame(editor), counting the controls drawn.
template <class Frame>
void TimeFrames(benchmark::State& state, Frame frame)
{
  Editor editor(static_cast<float>(state.range(0)));
  if (!editor.mOpen)
    return state.SkipWithError("no headless OpenGL context");
  sDraws = 0;
  for (auto _ : state)
    frame(editor);
  state.counters["drawn"] =
    benchmark::Counter(static_cast<double>(sDraws), benchmark::Counter::kAvgIterations);
}

void BM_FullFrame(benchmark::State& state)
{
  TimeFrames(state, [](Editor& editor) { editor.mGraphics.RenderFrame(); });
}

void BM_OneKnobFrame(benchmark::State& state)
{
  int step = 0;
  TimeFrames(state,
             [&step](Editor& editor)
             {
               IControl* pKnob = editor.mKnobs[34];
               pKnob->SetValue((++step % 100) / 100.0);
               pKnob->SetDirty(false);
               editor.mGraphics.OnTick();
             });
}

void BM_IdleFrame(benchmark::State& state)
{
  TimeFrames(state, [](Editor& editor) { editor.mGraphics.OnTick(); });
}

} // namespace

BENCHMARK(BM_FullFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OneKnobFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IdleFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond)->UseRealTime();
