#include "framework/graphics/platforms/linux/XSession.h"

#include "framework/graphics/platforms/linux/XErrors.h"
#include "framework/graphics/platforms/linux/XProperty.h"
#include "framework/util/UtilUTF8.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <chrono>
#include <climits>

namespace plugin::igraphics
{

namespace
{

// How long a paste waits for the clipboard's owner to answer.
constexpr int kClipboardWaitMs = 500;
constexpr long kKeyMasks = KeyPressMask | KeyReleaseMask;

XIM ToIM(void* p)
{
  return static_cast<XIM>(p);
}

XIC ToIC(void* p)
{
  return static_cast<XIC>(p);
}

// The Unicode value of a key symbol where the symbol carries one plainly (Latin-1, the keypad,
// the symbols that encode a code point); 0 otherwise.
char32_t KeysymToUCS(KeySym sym)
{
  if ((sym >= 0x20 && sym <= 0x7E) || (sym >= 0xA0 && sym <= 0xFF))
    return static_cast<char32_t>(sym);
  if (sym >= 0x01000100 && sym <= 0x0110FFFF)
    return static_cast<char32_t>(sym - 0x01000000);
  if (sym >= XK_KP_0 && sym <= XK_KP_9)
    return static_cast<char32_t>(U'0' + (sym - XK_KP_0));
  switch (sym)
  {
  case XK_KP_Decimal:
    return U'.';
  case XK_KP_Add:
    return U'+';
  case XK_KP_Subtract:
    return U'-';
  case XK_KP_Multiply:
    return U'*';
  case XK_KP_Divide:
    return U'/';
  case XK_KP_Space:
    return U' ';
  case XK_KP_Equal:
    return U'=';
  case XK_EuroSign:
    return U'\u20AC';
  default:
    return 0;
  }
}

// UTF-8 with the control characters (Return, Tab, Escape, Backspace, Ctrl+letter...) left out:
// those keys act through their key codes.
std::string PrintableOnly(const char* data, size_t size)
{
  std::string out;
  const char* p = data;
  const char* end = data + size;
  bool ok = true;
  while (p < end)
  {
    const char32_t c = DecodeUTF8(p, end, ok);
    if (c >= 0x20 && !(c >= 0x7F && c < 0xA0))
      AppendUTF8(out, c);
  }
  return out;
}

std::string Latin1ToUTF8(const std::string& latin1)
{
  std::string out;
  for (const char c : latin1)
    AppendUTF8(out, static_cast<unsigned char>(c));
  return out;
}

std::string UTF8ToLatin1(const std::string& text)
{
  std::string out;
  const char* p = text.data();
  const char* end = p + text.size();
  bool ok = true;
  while (p < end)
  {
    const char32_t c = DecodeUTF8(p, end, ok);
    out += c <= 0xFF ? static_cast<char>(c) : '?';
  }
  return out;
}

} // namespace

XSession::XSession(_XDisplay* pDisplay, unsigned long window) : mDisplay(pDisplay), mWindow(window)
{
  mClipboardAtom = XInternAtom(mDisplay, "CLIPBOARD", False);
  mUTF8Atom = XInternAtom(mDisplay, "UTF8_STRING", False);
  mTargetsAtom = XInternAtom(mDisplay, "TARGETS", False);
  mPropertyAtom = XInternAtom(mDisplay, "PELMORA_CLIPBOARD", False);
}

XSession::~XSession()
{
  ReleaseFocus(); // under its own guard: guards do not nest
  QuietXErrors quiet(mDisplay);
  if (mIC)
    XDestroyIC(ToIC(mIC));
  if (mIM)
    XCloseIM(ToIM(mIM));
}

// ---- Keys

void XSession::OpenInputContext()
{
  // Opened on first use: an editor whose fields are never typed into never talks to an input
  // method.
  if (mIMTried)
    return;
  mIMTried = true;
  XIM im = XOpenIM(mDisplay, nullptr, nullptr, nullptr);
  if (!im)
    return;
  XIMStyles* pStyles = nullptr;
  bool supported = false;
  constexpr XIMStyle kStyle = XIMPreeditNothing | XIMStatusNothing;
  if (!XGetIMValues(im, XNQueryInputStyle, &pStyles, nullptr) && pStyles)
  {
    for (unsigned short i = 0; i < pStyles->count_styles; ++i)
      supported = supported || pStyles->supported_styles[i] == kStyle;
    XFree(pStyles);
  }
  XIC ic = supported ? XCreateIC(im, XNInputStyle, kStyle, XNClientWindow, mWindow, XNFocusWindow,
                                 mWindow, nullptr)
                     : nullptr;
  if (!ic)
  {
    XCloseIM(im);
    return;
  }
  mIM = im;
  mIC = ic;
}

bool XSession::FilterEvent(_XEvent& event)
{
  return mIC && XFilterEvent(&event, None);
}

void XSession::LookUpKey(_XEvent& event, std::string& text, unsigned long& keysym)
{
  text.clear();
  KeySym sym = NoSymbol;
  char buffer[64] = {};
  if (event.type == KeyPress && mIC)
  {
    Status status = 0;
    const int n =
      Xutf8LookupString(ToIC(mIC), &event.xkey, buffer, sizeof(buffer) - 1, &sym, &status);
    if ((status == XLookupChars || status == XLookupBoth) && n > 0)
      text = PrintableOnly(buffer, static_cast<size_t>(n));
    if (status != XLookupKeySym && status != XLookupBoth)
      XLookupString(&event.xkey, buffer, sizeof(buffer) - 1, &sym, nullptr);
  }
  else
  {
    const int n = XLookupString(&event.xkey, buffer, sizeof(buffer) - 1, &sym, nullptr);
    if (event.type == KeyPress)
    {
      if (const char32_t c = KeysymToUCS(sym))
      {
        std::string utf8;
        AppendUTF8(utf8, c);
        text = PrintableOnly(utf8.data(), utf8.size());
      }
      else if (n == 1 && static_cast<unsigned char>(buffer[0]) < 0x80)
      {
        text = PrintableOnly(buffer, 1);
      }
    }
  }
  keysym = sym;
}

// ---- Focus

void XSession::SelectKeys(bool keys)
{
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(mDisplay, mWindow, &attributes))
    return;
  const long mask =
    keys ? attributes.your_event_mask | kKeyMasks : attributes.your_event_mask & ~kKeyMasks;
  XSelectInput(mDisplay, mWindow, mask);
}

void XSession::TakeFocus()
{
  if (mFocusHeld)
    return;
  OpenInputContext();
  QuietXErrors quiet(mDisplay);
  Window previous = None;
  int revert = RevertToParent;
  XGetInputFocus(mDisplay, &previous, &revert);
  mPrevFocus = previous == mWindow ? None : previous;
  mPrevRevert = revert;
  SelectKeys(true);
  XSetInputFocus(mDisplay, mWindow, RevertToParent, CurrentTime);
  if (mIC)
    XSetICFocus(ToIC(mIC));
  mFocusHeld = !quiet.Failed();
  if (!mFocusHeld)
    SelectKeys(false);
}

void XSession::LetGoOfKeys()
{
  mFocusHeld = false;
  if (mIC)
    XUnsetICFocus(ToIC(mIC));
  SelectKeys(false);
}

void XSession::ReleaseFocus()
{
  if (!mFocusHeld)
    return;
  QuietXErrors quiet(mDisplay);
  LetGoOfKeys();
  Window current = None;
  int revert = 0;
  XGetInputFocus(mDisplay, &current, &revert);
  if (current != mWindow)
    return; // the user moved on meanwhile: the focus is where they put it
  XSetInputFocus(mDisplay, mPrevFocus, mPrevRevert, CurrentTime);
  if (quiet.Failed())
  {
    // The window that had the focus is gone: the host's window (our parent) takes it.
    Window root = None, parent = None, *pChildren = nullptr;
    unsigned n = 0;
    if (XQueryTree(mDisplay, mWindow, &root, &parent, &pChildren, &n) && parent)
      XSetInputFocus(mDisplay, parent, RevertToParent, CurrentTime);
    if (pChildren)
      XFree(pChildren);
  }
}

void XSession::OnFocusOut(const _XEvent& event)
{
  const XFocusChangeEvent& e = event.xfocus;
  if (!mFocusHeld || e.window != mWindow || e.mode != NotifyNormal || e.detail == NotifyInferior ||
      e.detail == NotifyPointer)
    return;
  QuietXErrors quiet(mDisplay);
  LetGoOfKeys();
}

// ---- Clipboard

bool XSession::SetClipboard(const std::string& text)
{
  mClipText = text;
  QuietXErrors quiet(mDisplay);
  XSetSelectionOwner(mDisplay, mClipboardAtom, mWindow, mLastTime ? mLastTime : CurrentTime);
  return XGetSelectionOwner(mDisplay, mClipboardAtom) == mWindow;
}

void XSession::Serve(const _XEvent& event)
{
  const XSelectionRequestEvent& request = event.xselectionrequest;
  XEvent reply = {};
  reply.xselection.type = SelectionNotify;
  reply.xselection.display = request.display;
  reply.xselection.requestor = request.requestor;
  reply.xselection.selection = request.selection;
  reply.xselection.target = request.target;
  reply.xselection.time = request.time;
  reply.xselection.property = None;
  // Old clients name no property: the target's name serves.
  const Atom property = request.property != None ? request.property : request.target;
  // One request carries it whole (no INCR transfers).
  const size_t limit = static_cast<size_t>(XMaxRequestSize(mDisplay)) * 4 - 256;

  QuietXErrors quiet(mDisplay); // the requestor may be gone already
  if (request.selection == mClipboardAtom && request.owner == mWindow)
  {
    if (request.target == mTargetsAtom)
    {
      const Atom targets[] = {mTargetsAtom, mUTF8Atom, XA_STRING};
      XChangeProperty(mDisplay, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(targets), 3);
      reply.xselection.property = property;
    }
    else if ((request.target == mUTF8Atom || request.target == XA_STRING) &&
             mClipText.size() <= limit)
    {
      const std::string data = request.target == mUTF8Atom ? mClipText : UTF8ToLatin1(mClipText);
      XChangeProperty(mDisplay, request.requestor, property, request.target, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(data.data()),
                      static_cast<int>(data.size()));
      reply.xselection.property = property;
    }
  }
  XSendEvent(mDisplay, request.requestor, False, NoEventMask, &reply);
  XFlush(mDisplay);
}

bool XSession::HandleSelectionEvent(const _XEvent& event)
{
  switch (event.type)
  {
  case SelectionRequest:
    Serve(event);
    return true;
  case SelectionClear:
    if (event.xselectionclear.selection == mClipboardAtom)
      mClipText.clear();
    return true;
  case SelectionNotify:
    return true; // an answer that came too late
  default:
    return false;
  }
}

bool XSession::WaitForSelection(_XEvent& reply)
{
  const auto deadline =
    std::chrono::steady_clock::now() + std::chrono::milliseconds(kClipboardWaitMs);
  while (std::chrono::steady_clock::now() < deadline)
  {
    XEvent event;
    if (XCheckTypedWindowEvent(mDisplay, mWindow, SelectionNotify, &event))
    {
      if (event.xselection.selection != mClipboardAtom)
        continue;
      reply = event;
      return true;
    }
    // Only selection events are taken meanwhile; everything else waits for the next tick.
    if (XCheckTypedWindowEvent(mDisplay, mWindow, SelectionRequest, &event) ||
        XCheckTypedWindowEvent(mDisplay, mWindow, SelectionClear, &event))
    {
      HandleSelectionEvent(event);
      continue;
    }
    pollfd fd = {ConnectionNumber(mDisplay), POLLIN, 0};
    poll(&fd, 1, 10);
  }
  return false;
}

bool XSession::GetClipboard(std::string& text)
{
  text.clear();
  const Window owner = XGetSelectionOwner(mDisplay, mClipboardAtom);
  if (owner == None)
    return false;
  if (owner == mWindow)
  {
    text = mClipText;
    return !text.empty();
  }
  for (const Atom target : {static_cast<Atom>(mUTF8Atom), static_cast<Atom>(XA_STRING)})
  {
    XDeleteProperty(mDisplay, mWindow, mPropertyAtom);
    XConvertSelection(mDisplay, mClipboardAtom, target, mPropertyAtom, mWindow,
                      mLastTime ? mLastTime : CurrentTime);
    XFlush(mDisplay);
    XEvent reply;
    if (!WaitForSelection(reply))
      return false;
    if (reply.xselection.property == None)
      continue; // refused: try the next form
    Atom type = None;
    std::string bytes;
    if (!TakeByteProperty(mDisplay, mWindow, mPropertyAtom, LONG_MAX, type, bytes))
      return false;
    if (type == mUTF8Atom)
      text = std::move(bytes);
    else if (type == XA_STRING)
      text = Latin1ToUTF8(bytes);
    return !text.empty();
  }
  return false;
}

} // namespace plugin::igraphics
