// pelmora-host editor-window: opens a plug-in's editor in an X11 window of its own and makes the
// editor-idle call at a host's rate for a while, processing no audio. It is the host of the
// editor's CPU benchmark (bench/editor-cpu.sh), which moves the pointer over the window with
// xdotool and reads this process's CPU time from /proc: every thread's time is the editor's.

#include "tools/cli/EditorWindowCommand.h"

#include "tools/HostCommands.h"
#include "tools/VstHost.h"

#include <X11/Xlib.h>

#include <algorithm>

#include <chrono>
#include <csignal>
#include <thread>

namespace host
{

namespace
{

volatile std::sig_atomic_t sStop = 0;

void OnSignal(int)
{
  sStop = 1;
}

// The editor's size as the plug-in reports it; false when it reports none.
bool EditorSize(HostedPlugin& plugin, int& width, int& height)
{
  Vst2Rect* pRect = nullptr;
  if (plugin.Dispatch(kVst2EffEditGetRect, 0, 0, &pRect) == 0 || !pRect)
    return false;
  width = pRect->right - pRect->left;
  height = pRect->bottom - pRect->top;
  return width > 0 && height > 0;
}

int RunEditorWindow(const CommandArgs& args, std::ostream& out, std::ostream& err)
{
  if (args.positional.empty())
  {
    err << "missing plug-in path\n";
    return 2;
  }
  PluginModule module;
  HostedPlugin plugin;
  std::string error;
  if (!module.Load(args.positional[0], error))
  {
    err << error << "\n";
    return 1;
  }
  if (!plugin.Create(module.Entry()))
  {
    err << args.positional[0] << ": the entry answered no effect record\n";
    return 1;
  }
  plugin.Start();
  if (!(plugin.Effect()->flags & kVst2FlagHasEditor))
  {
    err << "the plug-in has no editor\n";
    plugin.Close();
    return 1;
  }
  Display* pDisplay = XOpenDisplay(nullptr);
  if (!pDisplay)
  {
    err << "no X display\n";
    plugin.Close();
    return 1;
  }
  int width = 640, height = 480;
  EditorSize(plugin, width, height);
  const Window window =
    XCreateSimpleWindow(pDisplay, DefaultRootWindow(pDisplay), 0, 0, static_cast<unsigned>(width),
                        static_cast<unsigned>(height), 0, 0, 0x808080);
  XStoreName(pDisplay, window, "pelmora-host editor");
  XMapWindow(pDisplay, window);
  XSync(pDisplay, False);
  if (plugin.Dispatch(kVst2EffEditOpen, 0, 0, reinterpret_cast<void*>(window)) == 0)
  {
    err << "the editor did not open\n";
    XDestroyWindow(pDisplay, window);
    XCloseDisplay(pDisplay);
    plugin.Close();
    return 1;
  }
  // Some editors know their size only once open.
  if (EditorSize(plugin, width, height))
    XResizeWindow(pDisplay, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSync(pDisplay, False);
  out << "window " << window << " " << width << "x" << height << std::endl;

  std::signal(SIGTERM, OnSignal);
  std::signal(SIGINT, OnSignal);
  const double rate = std::clamp(args.GetNumber("rate", 60.0), 1.0, 1000.0);
  const double seconds = args.GetNumber("seconds", 0.0); // 0: until a signal
  const auto period = std::chrono::duration<double>(1.0 / rate);
  const auto start = std::chrono::steady_clock::now();
  auto next = start;
  while (!sStop)
  {
    next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(period);
    std::this_thread::sleep_until(next);
    // The host's own window gets no input worth reading; its queue is only drained.
    while (XPending(pDisplay) > 0)
    {
      XEvent event;
      XNextEvent(pDisplay, &event);
    }
    plugin.Dispatch(kVst2EffEditIdle);
    if (seconds > 0.0 &&
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >= seconds)
      break;
  }
  plugin.Dispatch(kVst2EffEditClose);
  XDestroyWindow(pDisplay, window);
  XCloseDisplay(pDisplay);
  plugin.Close();
  return 0;
}

} // namespace

void AddEditorWindowCommand()
{
  HostCommands().push_back(
    {"editor-window",
     "editor-window PLUGIN.so [--rate HZ] [--seconds S]   open the editor in an X window and "
     "make the editor-idle call HZ times a second (60) for S seconds (until SIGTERM when 0)",
     {"rate", "seconds"},
     RunEditorWindow});
}

} // namespace host
