// The library gallery of the test plug-in in a host window, under Xvfb: files dropped on it by
// another X client through the X drag-and-drop protocol (a short XDND source here), and a
// tooltip shown where the pointer rests.

#include "tests/framework/plugin/vst2/testplug/TestPlug.h"
// After the plug-in's headers: Xlib's macros (None, Bool, ...) would break them.
#include "tests/framework/graphics/platforms/linux/window/HostWindowTest.h"

#include <X11/Xatom.h>

#include <functional>

namespace
{

// A drag source on its own X connection: offers text/uri-list, drags it to a point of the
// target window, drops it there and serves the data when the target asks.
class XdndSource
{
public:
  XdndSource()
  {
    mDisplay = XOpenDisplay(nullptr);
    mWindow = XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, 1, 1, 0, 0, 0);
    auto atom = [this](const char* name)
    {
      return XInternAtom(mDisplay, name, False);
    };
    mAware = atom("XdndAware");
    mEnter = atom("XdndEnter");
    mPosition = atom("XdndPosition");
    mStatus = atom("XdndStatus");
    mDrop = atom("XdndDrop");
    mFinished = atom("XdndFinished");
    mSelection = atom("XdndSelection");
    mCopy = atom("XdndActionCopy");
    mURIList = atom("text/uri-list");
  }
  ~XdndSource()
  {
    XDestroyWindow(mDisplay, mWindow);
    XCloseDisplay(mDisplay);
  }

  // The XDND version the target's window announces (0: not a drop target).
  long TargetVersion(Window target)
  {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* pData = nullptr;
    long version = 0;
    if (XGetWindowProperty(mDisplay, target, mAware, 0, 1, False, XA_ATOM, &type, &format, &count,
                           &remaining, &pData) == Success &&
        pData && count == 1)
      version = *reinterpret_cast<long*>(pData);
    if (pData)
      XFree(pData);
    return version;
  }

  struct Outcome
  {
    bool accepted = false; // the status answered to the position
    bool finished = false; // the drop was answered
    bool succeeded = false;
  };

  // Drags data to (rootX, rootY) over target and drops it; idle runs the host's idle calls
  // while the source waits for the answers.
  Outcome Drop(Window target, int rootX, int rootY, const std::string& data,
               const std::function<void()>& idle)
  {
    Outcome outcome;
    XSetSelectionOwner(mDisplay, mSelection, mWindow, CurrentTime);
    Send(target, mEnter, 5L << 24, static_cast<long>(mURIList), 0, 0);
    Send(target, mPosition, 0, (long(rootX) << 16) | rootY, CurrentTime, static_cast<long>(mCopy));
    bool dropped = false;
    for (int round = 0; round < 150 && !outcome.finished; ++round)
    {
      idle();
      while (XPending(mDisplay))
      {
        XEvent e;
        XNextEvent(mDisplay, &e);
        if (e.type == ClientMessage && e.xclient.message_type == mStatus)
        {
          outcome.accepted = e.xclient.data.l[1] & 1;
          if (!dropped)
            Send(target, mDrop, 0, CurrentTime, 0, 0);
          dropped = true;
        }
        else if (e.type == ClientMessage && e.xclient.message_type == mFinished)
        {
          outcome.finished = true;
          outcome.succeeded = e.xclient.data.l[1] & 1;
        }
        else if (e.type == SelectionRequest)
        {
          Serve(e.xselectionrequest, data);
        }
      }
    }
    return outcome;
  }

private:
  void Send(Window target, Atom type, long l1, long l2, long l3, long l4)
  {
    XEvent e = {};
    e.xclient.type = ClientMessage;
    e.xclient.window = target;
    e.xclient.message_type = type;
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(mWindow);
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    e.xclient.data.l[4] = l4;
    XSendEvent(mDisplay, target, False, NoEventMask, &e);
    XFlush(mDisplay);
  }

  void Serve(const XSelectionRequestEvent& request, const std::string& data)
  {
    XEvent reply = {};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = 0;
    if (request.target == mURIList)
    {
      XChangeProperty(mDisplay, request.requestor, request.property, mURIList, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(data.data()),
                      static_cast<int>(data.size()));
      reply.xselection.property = request.property;
    }
    XSendEvent(mDisplay, request.requestor, False, NoEventMask, &reply);
    XFlush(mDisplay);
  }

  Display* mDisplay = nullptr;
  Window mWindow = 0;
  Atom mAware, mEnter, mPosition, mStatus, mDrop, mFinished, mSelection, mCopy, mURIList;
};

class DropAndTooltipWindowTest : public plugin::test::HostWindowTest
{
protected:
  DropAndTooltipWindowTest() : HostWindowTest(PELMORA_TEST_PLUGIN) {}

  // The gallery's editor in a parent window that sits at (kLeft, kTop) of the screen.
  Window OpenGallery()
  {
    EXPECT_EQ(mPlugin.Dispatch(kVst2EffVendorSpecific, kSelectLayout, kLayoutGallery), 1);
    const Window parent = OpenEditor();
    XMoveWindow(mDisplay, parent, kLeft, kTop);
    XSync(mDisplay, False);
    Idle();
    return parent;
  }

  std::string LastDrop()
  {
    return reinterpret_cast<const char*>(
      mPlugin.Dispatch(kVst2EffVendorSpecific, kProbe, kProbeLastDrop));
  }

  static constexpr int kLeft = 37;
  static constexpr int kTop = 23;
  static constexpr plugin::igraphics::IColor kTipPanel{255, 36, 39, 48};
};

TEST_F(DropAndTooltipWindowTest, FilesDroppedByAnotherClientReachTheControlUnderThePointer)
{
  const Window parent = OpenGallery();
  const Window child = ChildOf(parent);
  ASSERT_NE(child, 0u);
  XdndSource source;
  EXPECT_EQ(source.TargetVersion(child), 5);
  auto idle = [this]
  {
    Idle(1);
  };

  // (600, 540) in the editor: the gallery's drop well.
  struct Case
  {
    const char* list;
    bool takes;
    const char* delivered; // what the well reports after the drop
  };
  const Case cases[] = {
    {"file:///tmp/pelmora%20drop/one.wav\r\n", true, "OnDrop 600 540 /tmp/pelmora drop/one.wav"},
    {"# two files\r\nfile:///tmp/a.wav\r\nfile://localhost/tmp/caf%C3%A9.wav\r\n", true,
     "OnDropMultiple 600 540 /tmp/a.wav|/tmp/caf\xC3\xA9.wav"},
    // Refused, and nothing delivered: the well still shows the drop before.
    {"http://example.com/a.wav\r\n", false,
     "OnDropMultiple 600 540 /tmp/a.wav|/tmp/caf\xC3\xA9.wav"},
    {"file:///tmp/b%2\r\n", false, "OnDropMultiple 600 540 /tmp/a.wav|/tmp/caf\xC3\xA9.wav"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.list);
    const auto outcome = source.Drop(child, kLeft + 600, kTop + 540, c.list, idle);
    EXPECT_TRUE(outcome.accepted); // the type is taken; the list is judged at the drop
    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.succeeded, c.takes);
    EXPECT_EQ(LastDrop(), c.delivered);
  }
  CloseEditor(parent);
}

TEST_F(DropAndTooltipWindowTest, ATooltipShowsWhereThePointerRestsAndAClickHidesIt)
{
  const Window parent = OpenGallery();
  // The vector knob (its parameter's name as tooltip); the tooltip's panel below the pointer.
  const int panelX = 63, panelY = 115;
  EXPECT_FALSE(Near(PixelOf(parent, panelX, panelY), kTipPanel));
  Xdo("mousemove " + std::to_string(kLeft + 56) + " " + std::to_string(kTop + 84));
  Idle(40); // 0.8 s
  EXPECT_TRUE(Near(PixelOf(parent, panelX, panelY), kTipPanel));
  Xdo("click 1");
  Idle(3);
  EXPECT_FALSE(Near(PixelOf(parent, panelX, panelY), kTipPanel));
  CloseEditor(parent);
}

} // namespace
