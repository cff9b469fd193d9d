// What the host's idle calls cost while another X client floods the editor's window with drag
// positions (XdndPosition), as a hostile or broken drag source can: the argument's number of
// positions is queued at once (sent without waiting for answers, the newest over a control that
// takes files, the others over one that takes none), then the editor's idle calls (OnTick) run
// until the newest position is answered. The time is that of all the idle calls that work through
// one flood; "idle_calls" counts them, "max_idle_ms" is the slowest. Needs an X server with GLX
// (run under xvfb-run).

#include "framework/core/IGEditorDelegate.h"
#include "framework/graphics/platforms/linux/IGraphicsLinux.h"

#include <benchmark/benchmark.h>
// After everything else: Xlib's macros (None, Bool, ...) would break other headers.
#include "tests/framework/graphics/platforms/linux/window/XdndSource.h"

#include <algorithm>
#include <chrono>
#include <memory>

using namespace plugin::igraphics;
using plugin::test::XdndSource;

namespace
{

constexpr int kWidth = 400;
constexpr int kHeight = 300;
// The control that takes files: the right half.
constexpr IRECT kWell(200.f, 0.f, 400.f, 300.f);

class Control : public IControl
{
public:
  Control(const IRECT& bounds, bool takesFiles) : IControl(bounds) { SetTakesFiles(takesFiles); }
  void Draw(IGraphics& g) override { g.FillRect(COLOR_GRAY, mRECT); }
};

class BenchDelegate : public IGEditorDelegate
{
public:
  BenchDelegate() : IGEditorDelegate(0) {}
  void BeginInformHostOfParamChangeFromUI(int) override {}
  void EndInformHostOfParamChangeFromUI(int) override {}
};

// The editor in a host window, and a drag source on a connection of its own.
class Setup
{
public:
  Setup() : mGraphics(mDelegate, kWidth, kHeight)
  {
    mHost = XOpenDisplay(nullptr);
    if (!mHost)
      return;
    mParent = XCreateSimpleWindow(mHost, DefaultRootWindow(mHost), 0, 0, kWidth, kHeight, 0, 0, 0);
    XMapWindow(mHost, mParent);
    XSync(mHost, False);
    mDelegate.mLayoutFunc = [](IGraphics* pGraphics)
    {
      pGraphics->AttachControl(new Control(IRECT(0.f, 0.f, 200.f, 300.f), false));
      pGraphics->AttachControl(new Control(kWell, true));
    };
    if (!mGraphics.OpenWindow(reinterpret_cast<void*>(mParent)))
      return;
    mEditor = reinterpret_cast<Window>(mGraphics.GetWindow());
    // The first frame (shaders compiled, everything drawn) is not what is measured.
    mGraphics.RenderFrame();
    mGraphics.OnTick();
    mSource = std::make_unique<XdndSource>();
    mSource->Enter(mEditor);
    mSource->Sync();
  }
  ~Setup()
  {
    mSource.reset();
    if (mEditor)
      mGraphics.CloseWindow();
    if (mHost)
      XCloseDisplay(mHost);
  }
  bool Ready() const { return mSource != nullptr; }

  // count positions queued, the newest over the well; answers already heard are dropped.
  void Flood(int count)
  {
    mSource->Listen(nullptr);
    mSource->ClearHeard();
    for (int i = 0; i < count - 1; ++i)
      mSource->Position(mEditor, 10 + i % 180, 10 + i % 280);
    mSource->Position(mEditor, 300, 150);
    mSource->Sync();
  }
  // Whether the newest position has been answered (the last status heard accepts).
  bool Answered() { return mSource->Listen(nullptr).accepted; }

  BenchDelegate mDelegate;
  IGraphicsLinux mGraphics;

private:
  Display* mHost = nullptr;
  Window mParent = 0;
  Window mEditor = 0;
  std::unique_ptr<XdndSource> mSource;
};

void BM_IdleCallsUnderADropFlood(benchmark::State& state)
{
  Setup setup;
  if (!setup.Ready())
    return state.SkipWithError("no X display with GLX (run under xvfb-run)");
  long calls = 0;
  double slowestMs = 0.0;
  for (auto _ : state)
  {
    state.PauseTiming();
    setup.Flood(static_cast<int>(state.range(0)));
    state.ResumeTiming();
    for (int i = 0; i < 1000 && !setup.Answered(); ++i, ++calls)
    {
      const auto start = std::chrono::steady_clock::now();
      setup.mGraphics.OnTick();
      const std::chrono::duration<double, std::milli> took =
        std::chrono::steady_clock::now() - start;
      slowestMs = std::max(slowestMs, took.count());
    }
  }
  state.counters["idle_calls"] =
    benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kAvgIterations);
  state.counters["max_idle_ms"] = slowestMs;
}

} // namespace

BENCHMARK(BM_IdleCallsUnderADropFlood)
  ->Arg(1000)
  ->Arg(20000)
  ->Unit(benchmark::kMillisecond)
  ->UseRealTime();
