#include "framework/graphics/platforms/linux/XDnd.h"

#include "framework/graphics/platforms/linux/XErrors.h"
#include "framework/graphics/platforms/linux/XProperty.h"
#include "framework/util/UtilString.h"
#include "framework/util/UtilUTF8.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cctype>

namespace plugin::igraphics
{

namespace
{

constexpr long kVersion = 5;
// A list longer than this (in bytes) is refused rather than read.
constexpr long kMaxListBytes = 1 << 20;

bool ValidUTF8(const std::string& s)
{
  const char* p = s.data();
  const char* end = p + s.size();
  bool ok = true;
  while (p < end && ok)
    DecodeUTF8(p, end, ok);
  return ok;
}

std::string HostName()
{
  char name[256] = {};
  if (gethostname(name, sizeof(name) - 1) != 0)
    return {};
  return name;
}

// The decoded path of one file URI; false when it is not a local file or is malformed.
bool LocalPath(std::string_view uri, std::string& path)
{
  // A raw control byte has no place in a URI (a NUL would cut the path short as a C string).
  for (const char c : uri)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      return false;
  constexpr std::string_view kScheme = "file:";
  if (uri.size() < kScheme.size())
    return false;
  for (size_t i = 0; i < kScheme.size(); ++i)
    if (static_cast<char>(std::tolower(static_cast<unsigned char>(uri[i]))) != kScheme[i])
      return false;
  std::string_view rest = uri.substr(kScheme.size());
  if (rest.substr(0, 2) == "//")
  {
    // An authority: empty, "localhost" or this machine's name.
    rest.remove_prefix(2);
    const size_t slash = rest.find('/');
    if (slash == std::string_view::npos)
      return false;
    const std::string_view host = rest.substr(0, slash);
    if (!host.empty() && host != "localhost" && host != HostName())
      return false;
    rest.remove_prefix(slash);
  }
  if (rest.empty() || rest[0] != '/')
    return false;
  path.clear();
  for (size_t i = 0; i < rest.size(); ++i)
  {
    // A query or a fragment names no file (a file manager escapes these characters).
    if (rest[i] == '?' || rest[i] == '#')
      return false;
    if (rest[i] != '%')
    {
      path += rest[i];
      continue;
    }
    if (i + 2 >= rest.size())
      return false;
    const int hi = Util_HexDigit(rest[i + 1]), lo = Util_HexDigit(rest[i + 2]);
    if (hi < 0 || lo < 0 || (hi == 0 && lo == 0))
      return false;
    path += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return ValidUTF8(path);
}

} // namespace

bool LocalPathsFromURIList(std::string_view list, std::vector<std::string>& paths)
{
  paths.clear();
  while (!list.empty())
  {
    const size_t eol = list.find('\n');
    std::string_view line = list.substr(0, eol);
    list = eol == std::string_view::npos ? std::string_view() : list.substr(eol + 1);
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    if (line.empty() || line[0] == '#')
      continue;
    std::string path;
    if (!LocalPath(line, path))
    {
      paths.clear();
      return false;
    }
    paths.push_back(std::move(path));
  }
  return !paths.empty();
}

// ---- The drop target

namespace
{

bool IsStructureEvent(int type)
{
  return type == DestroyNotify || type == ConfigureNotify || type == MapNotify ||
         type == UnmapNotify || type == ReparentNotify || type == GravityNotify ||
         type == CirculateNotify;
}

} // namespace

XDropTarget::XDropTarget(Display* pDisplay, unsigned long window, TakesFilesFunc takesFiles,
                         DropFunc onDrop)
  : mDisplay(pDisplay), mWindow(window), mTakesFiles(std::move(takesFiles)),
    mOnDrop(std::move(onDrop))
{
  auto atom = [pDisplay](const char* name)
  {
    return XInternAtom(pDisplay, name, False);
  };
  mAware = atom("XdndAware");
  mEnter = atom("XdndEnter");
  mPosition = atom("XdndPosition");
  mStatus = atom("XdndStatus");
  mLeave = atom("XdndLeave");
  mDrop = atom("XdndDrop");
  mFinished = atom("XdndFinished");
  mSelection = atom("XdndSelection");
  mTypeList = atom("XdndTypeList");
  mActionCopy = atom("XdndActionCopy");
  mURIList = atom("text/uri-list");
  mProperty = atom("XDND_DROPPED_URIS");
  XWindowAttributes wa;
  mRoot = XGetWindowAttributes(mDisplay, mWindow, &wa) ? wa.root : DefaultRootWindow(mDisplay);
  const long version = kVersion;
  XChangeProperty(mDisplay, mWindow, mAware, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&version), 1);
}

XDropTarget::~XDropTarget()
{
  if (mAwaitingData)
    SendFinished(false);
  EndDrag();
}

bool XDropTarget::HandleEvent(const XEvent& event)
{
  if (event.type == SelectionNotify && event.xselection.requestor == mWindow &&
      event.xselection.selection == mSelection)
  {
    OnData(event);
    return true;
  }
  if (mWatched && IsStructureEvent(event.type) && event.xany.window == mWatched)
  {
    // Events this connection selected on the window for its own reasons go on.
    const bool ours = !(mWatchedMask & StructureNotifyMask);
    if (event.type == DestroyNotify && event.xdestroywindow.window == mWatched)
    {
      // Gone: nothing more is sent to its id, which the server may give to another client.
      if (mSource == mWatched)
        Forget();
      mWatched = 0;
    }
    return ours;
  }
  if (event.type != ClientMessage || event.xclient.format != 32)
    return false;
  const Atom type = event.xclient.message_type;
  if (type == mEnter)
    OnEnter(event);
  else if (type == mPosition)
    OnPosition(event);
  else if (type == mDrop)
    OnDrop(event);
  else if (type == mLeave)
  {
    if (static_cast<unsigned long>(event.xclient.data.l[0]) == mSource && !mAwaitingData)
      EndDrag();
  }
  else
    return false;
  return true;
}

void XDropTarget::OnEnter(const XEvent& event)
{
  // A drop whose data never came ends now.
  if (mAwaitingData)
    SendFinished(false);
  Forget();
  mSource = static_cast<unsigned long>(event.xclient.data.l[0]);
  mVersion = static_cast<int>((static_cast<unsigned long>(event.xclient.data.l[1]) >> 24) & 0xFF);
  // Up to three types come in the message; more are a property of the source's window, read
  // when the drag is prepared.
  mManyTypes = event.xclient.data.l[1] & 1;
  for (int i = 2; i < 5 && !mManyTypes; ++i)
    mOffersList = mOffersList || static_cast<Atom>(event.xclient.data.l[i]) == mURIList;
  mEnterPending = true;
}

bool XDropTarget::PrepareDrag()
{
  if (!mEnterPending)
    return mSource != 0;
  mEnterPending = false;
  Watch(mSource);
  if (mWatched != mSource)
  {
    Forget(); // the source's window is gone
    return false;
  }
  if (mManyTypes)
    mOffersList = TypeListOffersURIList();
  return true;
}

void XDropTarget::Watch(unsigned long window)
{
  if (window == mWatched)
    return;
  if (mWatched)
  {
    QuietXErrors quiet(mDisplay); // it may be gone
    XSelectInput(mDisplay, mWatched, mWatchedMask);
  }
  mWatched = 0;
  mWatchedMask = 0;
  if (!window)
    return;
  QuietXErrors quiet(mDisplay);
  XWindowAttributes wa;
  if (!XGetWindowAttributes(mDisplay, window, &wa))
    return;
  XSelectInput(mDisplay, window, wa.your_event_mask | StructureNotifyMask);
  if (quiet.Failed())
    return;
  mWatched = window;
  mWatchedMask = wa.your_event_mask;
}

bool XDropTarget::TypeListOffersURIList()
{
  QuietXErrors quiet(mDisplay);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* pData = nullptr;
  bool found = false;
  if (XGetWindowProperty(mDisplay, mSource, mTypeList, 0, 1024, False, XA_ATOM, &type, &format,
                         &count, &remaining, &pData) == Success &&
      pData && format == 32)
  {
    const auto* pAtoms = reinterpret_cast<const Atom*>(pData);
    for (unsigned long i = 0; i < count && !found; ++i)
      found = pAtoms[i] == mURIList;
  }
  if (pData)
    XFree(pData);
  return found;
}

void XDropTarget::OnPosition(const XEvent& event)
{
  // Only remembered: a newer position of the same drag makes this one cost nothing.
  const auto source = static_cast<unsigned long>(event.xclient.data.l[0]);
  if (source != mSource || mAwaitingData)
    return;
  const auto xy = static_cast<unsigned long>(event.xclient.data.l[2]);
  mRootX = static_cast<int>((xy >> 16) & 0xFFFF);
  mRootY = static_cast<int>(xy & 0xFFFF);
  mPositionPending = true;
}

void XDropTarget::Settle()
{
  if (!mSource || mAwaitingData || !PrepareDrag() || !mPositionPending)
    return;
  mPositionPending = false;
  Window child = 0;
  int x = 0, y = 0;
  bool onScreen = false;
  {
    QuietXErrors quiet(mDisplay);
    onScreen = XTranslateCoordinates(mDisplay, mRoot, mWindow, mRootX, mRootY, &x, &y, &child);
  }
  if (onScreen)
  {
    mX = x;
    mY = y;
  }
  // Asked of the graphics core, not of the server.
  mOverTaker = mOffersList && onScreen && mTakesFiles && mTakesFiles(mX, mY);
  SendStatus(mOverTaker);
}

void XDropTarget::OnDrop(const XEvent& event)
{
  const auto source = static_cast<unsigned long>(event.xclient.data.l[0]);
  if (source != mSource || mAwaitingData)
    return;
  // The positions before the drop are answered first; the drop lands on the newest.
  Settle();
  if (!mSource)
    return;
  if (!mOverTaker)
  {
    SendFinished(false);
    EndDrag();
    return;
  }
  // Asked for now, answered later (a SelectionNotify): nothing here waits for the source.
  const Time time = mVersion >= 1 ? static_cast<Time>(event.xclient.data.l[2]) : CurrentTime;
  XDeleteProperty(mDisplay, mWindow, mProperty);
  XConvertSelection(mDisplay, mSelection, mURIList, mProperty, mWindow, time);
  XFlush(mDisplay);
  mAwaitingData = true;
}

void XDropTarget::OnData(const XEvent& event)
{
  if (!mAwaitingData)
    return;
  std::vector<std::string> paths;
  Atom type = None;
  std::string list;
  if (event.xselection.property != None &&
      TakeByteProperty(mDisplay, mWindow, mProperty, kMaxListBytes, type, list) && type == mURIList)
    LocalPathsFromURIList(list, paths);
  const int x = mX, y = mY;
  // Asked again: the editor may have changed since the position was answered.
  const bool delivered = !paths.empty() && mTakesFiles && mTakesFiles(x, y);
  SendFinished(delivered);
  EndDrag();
  // Last, from a copy: what the drop does may close the editor and this target with it.
  if (const DropFunc onDrop = mOnDrop; onDrop && delivered)
    onDrop(paths, x, y);
}

void XDropTarget::SendStatus(bool accept)
{
  // Accepted: a copy, with every further position wanted (an empty rectangle).
  Send(mStatus, accept ? 1 : 0, 0, 0, accept ? static_cast<long>(mActionCopy) : None);
}

void XDropTarget::SendFinished(bool accepted)
{
  Send(mFinished, accepted ? 1 : 0, accepted ? static_cast<long>(mActionCopy) : None, 0, 0);
}

void XDropTarget::Send(unsigned long type, long l1, long l2, long l3, long l4)
{
  if (!mSource)
    return;
  XEvent reply = {};
  reply.xclient.type = ClientMessage;
  reply.xclient.display = mDisplay;
  reply.xclient.window = mSource;
  reply.xclient.message_type = type;
  reply.xclient.format = 32;
  reply.xclient.data.l[0] = static_cast<long>(mWindow);
  reply.xclient.data.l[1] = l1;
  reply.xclient.data.l[2] = l2;
  reply.xclient.data.l[3] = l3;
  reply.xclient.data.l[4] = l4;
  // The source may be gone already.
  QuietXErrors quiet(mDisplay);
  XSendEvent(mDisplay, mSource, False, NoEventMask, &reply);
}

void XDropTarget::Forget()
{
  mSource = 0;
  mVersion = 0;
  mEnterPending = false;
  mManyTypes = false;
  mOffersList = false;
  mAwaitingData = false;
  mPositionPending = false;
  mOverTaker = false;
}

void XDropTarget::EndDrag()
{
  Forget();
  Watch(0);
}

} // namespace plugin::igraphics
