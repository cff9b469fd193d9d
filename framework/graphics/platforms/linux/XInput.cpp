// IGraphicsLinux: X events into the graphics core's input. Positions arrive in window pixels and
// go on in editor points; the mouse is touch 0. Motion events queued behind one another go on as
// one movement; while a drag holds the hidden pointer, its movements are counted by PointerHold.
// Keys arrive only while the text field holds the focus (XSession), as the text of the user's
// keyboard layout.

#include "framework/graphics/platforms/linux/IGraphicsLinux.h"
#include "framework/graphics/platforms/linux/XDesktop.h"
#include "framework/graphics/platforms/linux/XDnd.h"
#include "framework/graphics/platforms/linux/XSession.h"
#include "framework/util/UtilUTF8.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cmath>

namespace plugin::igraphics
{

namespace
{

constexpr unsigned long kDoubleClickMs = 400;
constexpr float kDoubleClickDistance = 4.f;

IMouseMod Modifiers(unsigned state, bool left, bool right)
{
  return IMouseMod(left, right, state & ShiftMask, state & ControlMask, state & Mod1Mask);
}

// The Windows virtual key of an X key symbol (0 when it has none).
int VirtualKey(KeySym sym)
{
  if (sym >= XK_a && sym <= XK_z)
    return static_cast<int>(sym - XK_a) + 'A';
  if (sym >= XK_A && sym <= XK_Z)
    return static_cast<int>(sym - XK_A) + 'A';
  if (sym >= XK_0 && sym <= XK_9)
    return static_cast<int>(sym - XK_0) + '0';
  if (sym >= XK_KP_0 && sym <= XK_KP_9)
    return static_cast<int>(sym - XK_KP_0) + 96;
  if (sym >= XK_F1 && sym <= XK_F12)
    return static_cast<int>(sym - XK_F1) + 112;
  switch (sym)
  {
  case XK_BackSpace:
    return 8;
  case XK_Tab:
    return 9;
  case XK_Return:
  case XK_KP_Enter:
    return 13;
  case XK_Shift_L:
  case XK_Shift_R:
    return 16;
  case XK_Control_L:
  case XK_Control_R:
    return 17;
  case XK_Alt_L:
  case XK_Alt_R:
    return 18;
  case XK_Escape:
    return 27;
  case XK_space:
    return 32;
  case XK_Page_Up:
    return 33;
  case XK_Page_Down:
    return 34;
  case XK_End:
    return 35;
  case XK_Home:
    return 36;
  case XK_Left:
    return 37;
  case XK_Up:
    return 38;
  case XK_Right:
    return 39;
  case XK_Down:
    return 40;
  case XK_Insert:
    return 45;
  case XK_Delete:
    return 46;
  default:
    return 0;
  }
}

} // namespace

void IGraphicsLinux::HandleKeyEvent(const XEvent& event)
{
  XEvent copy = event; // the look-up takes a mutable event
  std::string text;
  unsigned long sym = NoSymbol;
  if (XSession* pX = X())
  {
    pX->SetEventTime(copy.xkey.time);
    pX->LookUpKey(copy, text, sym);
  }
  const int vk = VirtualKey(sym);
  const unsigned state = copy.xkey.state;
  auto send = [&](const char* utf8, int keyCode)
  {
    const IKeyPress key(utf8, keyCode, state & ShiftMask, state & ControlMask, state & Mod1Mask);
    if (copy.type == KeyPress)
      OnKeyDown(mMouseX, mMouseY, key);
    else
      OnKeyUp(mMouseX, mMouseY, key);
  };
  if (text.empty())
  {
    if (vk)
      send("", vk);
    return;
  }
  // One key event per character: an input method may commit several at once. The key code
  // goes with the first.
  const char* p = text.data();
  const char* end = p + text.size();
  bool first = true, ok = true;
  while (p < end)
  {
    std::string one;
    AppendUTF8(one, DecodeUTF8(p, end, ok));
    send(one.c_str(), first ? vk : 0);
    first = false;
  }
}

bool IGraphicsLinux::MotionFollows(const XEvent& event)
{
  Display* pDisplay = mSurface ? mSurface->XDisplay() : nullptr;
  if (!pDisplay || XEventsQueued(pDisplay, QueuedAlready) == 0)
    return false;
  XEvent next;
  XPeekEvent(pDisplay, &next);
  return next.type == MotionNotify && next.xmotion.window == event.xmotion.window &&
         next.xmotion.state == event.xmotion.state;
}

void IGraphicsLinux::HandleMotion(const XEvent& event)
{
  const XMotionEvent& e = event.xmotion;
  const bool left = e.state & Button1Mask, right = e.state & Button3Mask;
  const bool dragging = mButtonDown && (left || right);
  if (dragging && mHold.Active())
  {
    HandleHeldMotion(event);
    return;
  }
  // Motion queued up (a brisk move while the host idled) goes on as one movement, from where
  // the pointer was to where the last event put it.
  if (MotionFollows(event))
    return;
  const float x = ToPoints(e.x), y = ToPoints(e.y);
  if (dragging)
  {
    IMouseInfo info;
    info.x = x;
    info.y = y;
    info.dX = x - mMouseX;
    info.dY = y - mMouseY;
    info.ms = Modifiers(e.state, left, right);
    mMouseX = x;
    mMouseY = y;
    OnMouseDrag({info});
  }
  else
  {
    mMouseX = x;
    mMouseY = y;
    OnMouseOver(x, y, Modifiers(e.state, false, false));
  }
}

void IGraphicsLinux::HandleHeldMotion(const XEvent& event)
{
  const XMotionEvent& e = event.xmotion;
  // Every event counts towards the movement (and the warps' accounting), queued or not.
  int dx = 0, dy = 0;
  mHold.Move(e.serial, e.x, e.y, dx, dy);
  mHeldDX += dx;
  mHeldDY += dy;
  PointerHold::Screen screen;
  int width = 0, height = 0;
  if (mSurface->ScreenSize(width, height))
  {
    // The screen in the window's pixels: the event tells where the window lies on it.
    screen.l = e.x - e.x_root;
    screen.t = e.y - e.y_root;
    screen.r = screen.l + width;
    screen.b = screen.t + height;
  }
  int warpX = 0, warpY = 0;
  unsigned long serial = 0;
  if (mHold.WantsWarp(screen, warpX, warpY) && mSurface->WarpPointer(warpX, warpY, serial))
    mHold.Warped(serial, warpX, warpY);
  if (MotionFollows(event) || (mHeldDX == 0 && mHeldDY == 0))
    return;
  // The position handed on is the point where the drag began, moved by this movement.
  IMouseInfo info;
  info.dX = ToPoints(mHeldDX);
  info.dY = ToPoints(mHeldDY);
  info.x = mMouseX + info.dX;
  info.y = mMouseY + info.dY;
  info.ms = Modifiers(e.state, e.state & Button1Mask, e.state & Button3Mask);
  mHeldDX = mHeldDY = 0;
  OnMouseDrag({info});
}

void IGraphicsLinux::HandleXEvent(const XEvent& event)
{
  // Drops first: their selection answer is not the clipboard's.
  if (mDropTarget && mDropTarget->HandleEvent(event))
    return;
  if (mDesktop)
    if (const int changed = mDesktop->HandleEvent(event))
    {
      FollowDesktop(changed);
      return;
    }
  FollowPointerForTooltips(event);
  if (XSession* pX = X())
  {
    XEvent copy = event;
    if (pX->FilterEvent(copy) || pX->HandleSelectionEvent(event))
      return;
    if (event.type == FocusOut)
      pX->OnFocusOut(event);
  }
  switch (event.type)
  {
  case MappingNotify:
  {
    // The keyboard's layout changed: key look-ups follow it.
    XEvent copy = event;
    XRefreshKeyboardMapping(&copy.xmapping);
    break;
  }
  case Expose:
    // The window lost what it showed: show the off-screen frame again.
    if (event.xexpose.count == 0 && mSurface)
    {
      ActivateGLContext();
      OnFrameDrawn();
      DeactivateGLContext();
    }
    break;
  case ButtonPress:
  {
    const XButtonEvent& e = event.xbutton;
    const float x = ToPoints(e.x), y = ToPoints(e.y);
    mMouseX = x;
    mMouseY = y;
    if (XSession* pX = X())
      pX->SetEventTime(e.time);
    if (e.button == Button4 || e.button == Button5)
    {
      OnMouseWheel(x, y, Modifiers(e.state, false, false), e.button == Button4 ? 1.f : -1.f);
      break;
    }
    if (e.button != Button1 && e.button != Button3)
      break;
    const IMouseMod mod = Modifiers(e.state, e.button == Button1, e.button == Button3);
    const bool dbl = e.time - mLastClickTime < kDoubleClickMs &&
                     std::fabs(x - mLastClickX) < kDoubleClickDistance &&
                     std::fabs(y - mLastClickY) < kDoubleClickDistance;
    mButtonDown = true;
    if (dbl && OnMouseDblClick(x, y, mod))
    {
      mLastClickTime = 0; // a third click starts afresh
    }
    else
    {
      mLastClickTime = e.time;
      mLastClickX = x;
      mLastClickY = y;
      IMouseInfo info;
      info.x = x;
      info.y = y;
      info.ms = mod;
      OnMouseDown({info});
    }
    // A click that opened the text field, or went into it, gives the editor the keys.
    if (TextFieldEditing())
      if (XSession* pX = X())
        pX->TakeFocus();
    break;
  }
  case ButtonRelease:
  {
    const XButtonEvent& e = event.xbutton;
    if (e.button != Button1 && e.button != Button3)
      break;
    mButtonDown = false;
    // Held, the pointer is wherever its travel took it: the release counts where the drag began.
    if (!IsCursorLocked())
    {
      mMouseX = ToPoints(e.x);
      mMouseY = ToPoints(e.y);
    }
    IMouseInfo info;
    info.x = mMouseX;
    info.y = mMouseY;
    info.ms = Modifiers(e.state, e.button == Button1, e.button == Button3);
    OnMouseUp({info});
    break;
  }
  case MotionNotify:
    HandleMotion(event);
    break;
  case LeaveNotify:
    if (!mButtonDown)
      OnMouseOut();
    break;
  case KeyPress:
  case KeyRelease:
    HandleKeyEvent(event);
    break;
  default:
    break;
  }
}

} // namespace plugin::igraphics
