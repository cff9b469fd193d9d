// What a frame of Pelmora's own editor costs, headless (EGL surfaceless on Mesa's llvmpipe): the
// instrument opened as a host opens it, with the default patch and the keyboard shown, drawn
//   - whole, at display scales 1 and 2 (opening the editor, a resize);
//   - while the "CUTOFF" knob is dragged (one drag step per frame, through the pointer events);
//   - with nothing changed (most of the host's idle calls).
// "dirty" is the number of controls a frame redraws. The instrument's settings and presets go to
// a temporary folder.

#include "framework/graphics/platforms/linux/IGraphicsLinux.h"
#include "instrument/Pelmora.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

using namespace plugin::igraphics;

namespace
{

intptr_t QuietHost(AEffect*, int32_t, int32_t, intptr_t, void*, float)
{
  return 0;
}

// The instrument's editor open at a display scale, drawn once.
class Editor
{
public:
  explicit Editor(float screenScale)
  {
    static const bool sFolder = []
    {
      char pattern[] = "/tmp/pelmora-bench-XXXXXX";
      return mkdtemp(pattern) && setenv("XDG_DATA_HOME", pattern, 1) == 0;
    }();
    (void)sFolder;
    mPlug = std::make_unique<Pelmora>(plugin::Vst2InstanceInfo(QuietHost));
    mOpen = mPlug->OpenWindow(nullptr) != nullptr;
    mGraphics = dynamic_cast<IGraphicsLinux*>(mPlug->GetUI());
    if (mOpen && mGraphics)
    {
      mGraphics->SetScreenScale(screenScale);
      mGraphics->RenderFrame();
    }
  }
  ~Editor()
  {
    if (mOpen)
      mPlug->CloseWindow();
  }
  bool Ready() const { return mOpen && mGraphics; }
  int DirtyControls() const
  {
    int n = 0;
    for (int i = 0; i < mGraphics->NControls(); ++i)
      n += mGraphics->GetControl(i)->IsDirty();
    return n;
  }

  std::unique_ptr<Pelmora> mPlug;
  IGraphicsLinux* mGraphics = nullptr;
  bool mOpen = false;
};

void BM_EditorFullFrame(benchmark::State& state)
{
  Editor editor(static_cast<float>(state.range(0)));
  if (!editor.Ready())
    return state.SkipWithError("no headless OpenGL context");
  for (auto _ : state)
    editor.mGraphics->RenderFrame();
  state.counters["dirty"] = editor.mGraphics->NControls();
}

void BM_EditorKnobDragFrame(benchmark::State& state)
{
  Editor editor(static_cast<float>(state.range(0)));
  if (!editor.Ready())
    return state.SkipWithError("no headless OpenGL context");
  IGraphicsLinux& g = *editor.mGraphics;
  const float x = 815.f, y = 111.f; // the "CUTOFF" knob
  g.OnMouseDown({IMouseInfo{x, y, 0.f, 0.f, IMouseMod(true)}});
  g.OnTick();
  int dirty = 0;
  float step = 1.f;
  for (auto _ : state)
  {
    step = -step;
    g.OnMouseDrag({IMouseInfo{x, y, 0.f, -step, IMouseMod(true)}});
    dirty += editor.DirtyControls();
    g.OnTick();
  }
  g.OnMouseUp({IMouseInfo{x, y, 0.f, 0.f, IMouseMod(true)}});
  state.counters["dirty"] = benchmark::Counter(dirty, benchmark::Counter::kAvgIterations);
}

void BM_EditorIdleFrame(benchmark::State& state)
{
  Editor editor(static_cast<float>(state.range(0)));
  if (!editor.Ready())
    return state.SkipWithError("no headless OpenGL context");
  editor.mGraphics->OnTick();
  int dirty = 0;
  for (auto _ : state)
  {
    dirty += editor.DirtyControls();
    editor.mGraphics->OnTick();
  }
  state.counters["dirty"] = benchmark::Counter(dirty, benchmark::Counter::kAvgIterations);
}

} // namespace

BENCHMARK(BM_EditorFullFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EditorKnobDragFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EditorIdleFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond)->UseRealTime();
