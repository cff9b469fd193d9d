#pragma once
// XdndSource: another X client that drags files onto the editor's window by the X
// drag-and-drop protocol (XDND), for the window tests and the drop benchmark.

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <functional>
#include <string>

namespace plugin::test
{

// A drag source on its own X connection: offers text/uri-list, drags it to points of the target
// window, drops it there and serves the data when the target asks (or, unwilling, never).
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
    XSync(mDisplay, False);
  }
  ~XdndSource()
  {
    XDestroyWindow(mDisplay, mWindow);
    XCloseDisplay(mDisplay);
  }

  Window Id() const { return mWindow; }

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

  // What the target answered so far.
  struct Heard
  {
    int statuses = 0;
    bool accepted = false; // the last status
    int finished = 0;
    bool succeeded = false; // the last XdndFinished
    int requests = 0;       // the target asked for the data
  };

  void Enter(Window target)
  {
    XSetSelectionOwner(mDisplay, mSelection, mWindow, CurrentTime);
    Send(target, mEnter, 5L << 24, static_cast<long>(mURIList), 0, 0);
    XFlush(mDisplay);
  }
  // Sent without waiting for the answer to the one before (a flood when called in a loop).
  void Position(Window target, int rootX, int rootY)
  {
    Send(target, mPosition, 0, (long(rootX) << 16) | rootY, CurrentTime, static_cast<long>(mCopy));
  }
  void SendDrop(Window target)
  {
    Send(target, mDrop, 0, CurrentTime, 0, 0);
    XFlush(mDisplay);
  }
  // Waits until the server has handled everything sent so far.
  void Sync() { XSync(mDisplay, False); }
  // Forgets the answers heard so far.
  void ClearHeard() { mHeard = {}; }
  // Reads the answers that came; serves the data with data unless it is null.
  const Heard& Listen(const std::string* pData)
  {
    XFlush(mDisplay);
    while (XPending(mDisplay))
    {
      XEvent e;
      XNextEvent(mDisplay, &e);
      if (e.type == ClientMessage && e.xclient.message_type == mStatus)
      {
        ++mHeard.statuses;
        mHeard.accepted = e.xclient.data.l[1] & 1;
      }
      else if (e.type == ClientMessage && e.xclient.message_type == mFinished)
      {
        ++mHeard.finished;
        mHeard.succeeded = e.xclient.data.l[1] & 1;
      }
      else if (e.type == SelectionRequest)
      {
        ++mHeard.requests;
        if (pData)
          Serve(e.xselectionrequest, *pData);
      }
    }
    return mHeard;
  }

  // Drags data to (rootX, rootY) over target and drops it once the position is answered; idle
  // runs the host's idle calls while the source waits for the answers.
  Heard Drop(Window target, int rootX, int rootY, const std::string& data,
             const std::function<void()>& idle)
  {
    ClearHeard();
    Enter(target);
    Position(target, rootX, rootY);
    XFlush(mDisplay);
    bool dropped = false;
    for (int round = 0; round < 150 && mHeard.finished == 0; ++round)
    {
      idle();
      Listen(&data);
      if (mHeard.statuses > 0 && !dropped)
        SendDrop(target);
      dropped = dropped || mHeard.statuses > 0;
    }
    return mHeard;
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
  Heard mHeard;
  Atom mAware, mEnter, mPosition, mStatus, mDrop, mFinished, mSelection, mCopy, mURIList;
};

} // namespace plugin::test
