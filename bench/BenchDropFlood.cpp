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
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>

using namespace plugin::igraphics;

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
    mSourceDisplay = XOpenDisplay(nullptr);
    if (!mHost || !mSourceDisplay)
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
    mSource =
      XCreateSimpleWindow(mSourceDisplay, DefaultRootWindow(mSourceDisplay), 0, 0, 1, 1, 0, 0, 0);
    mStatus = XInternAtom(mSourceDisplay, "XdndStatus", False);
    mPosition = XInternAtom(mSourceDisplay, "XdndPosition", False);
    mCopy = XInternAtom(mSourceDisplay, "XdndActionCopy", False);
    const Atom uriList = XInternAtom(mSourceDisplay, "text/uri-list", False);
    Send(XInternAtom(mSourceDisplay, "XdndEnter", False), 5L << 24, static_cast<long>(uriList), 0,
         0);
    XSync(mSourceDisplay, False);
    mReady = true;
  }
  ~Setup()
  {
    if (mEditor)
      mGraphics.CloseWindow();
    if (mSourceDisplay)
      XCloseDisplay(mSourceDisplay);
    if (mHost)
      XCloseDisplay(mHost);
  }
  bool Ready() const { return mReady; }

  // count positions queued, the newest over the well; answers already heard are dropped.
  void Flood(int count)
  {
    Statuses();
    for (int i = 0; i < count - 1; ++i)
      Position(10 + i % 180, 10 + i % 280);
    Position(300, 150);
    XSync(mSourceDisplay, False);
  }
  // The statuses heard since the last call: whether one of them accepted.
  bool Statuses()
  {
    bool accepted = false;
    while (XPending(mSourceDisplay))
    {
      XEvent e;
      XNextEvent(mSourceDisplay, &e);
      if (e.type == ClientMessage && e.xclient.message_type == mStatus)
        accepted = accepted || (e.xclient.data.l[1] & 1);
    }
    return accepted;
  }

  BenchDelegate mDelegate;
  IGraphicsLinux mGraphics;

private:
  void Position(int x, int y)
  {
    Send(mPosition, 0, (long(x) << 16) | y, CurrentTime, static_cast<long>(mCopy));
  }
  void Send(Atom type, long l1, long l2, long l3, long l4)
  {
    XEvent e = {};
    e.xclient.type = ClientMessage;
    e.xclient.window = mEditor;
    e.xclient.message_type = type;
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(mSource);
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    e.xclient.data.l[4] = l4;
    XSendEvent(mSourceDisplay, mEditor, False, NoEventMask, &e);
  }

  Display* mHost = nullptr;
  Display* mSourceDisplay = nullptr;
  Window mParent = 0;
  Window mEditor = 0;
  Window mSource = 0;
  Atom mStatus = 0, mPosition = 0, mCopy = 0;
  bool mReady = false;
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
    for (int i = 0; i < 1000 && !setup.Statuses(); ++i, ++calls)
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
