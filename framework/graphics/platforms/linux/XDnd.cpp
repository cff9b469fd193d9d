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

XDropTarget::XDropTarget(Display* pDisplay, unsigned long window, DropFunc onDrop)
  : mDisplay(pDisplay), mWindow(window), mOnDrop(std::move(onDrop))
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
  const long version = kVersion;
  XChangeProperty(mDisplay, mWindow, mAware, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&version), 1);
}

XDropTarget::~XDropTarget()
{
  if (mAwaitingData)
    SendFinished(false);
}

bool XDropTarget::HandleEvent(const XEvent& event)
{
  if (event.type == SelectionNotify && event.xselection.requestor == mWindow &&
      event.xselection.selection == mSelection)
  {
    OnData(event);
    return true;
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
      Forget();
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
  mOffersList = OffersURIList(event);
}

bool XDropTarget::OffersURIList(const XEvent& enter)
{
  if (!(enter.xclient.data.l[1] & 1))
  {
    for (int i = 2; i < 5; ++i)
      if (static_cast<Atom>(enter.xclient.data.l[i]) == mURIList)
        return true;
    return false;
  }
  // More than three types: the list is a property of the source's window.
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
  const auto source = static_cast<unsigned long>(event.xclient.data.l[0]);
  if (source != mSource || mAwaitingData)
    return;
  const auto xy = static_cast<unsigned long>(event.xclient.data.l[2]);
  const int rootX = static_cast<int>((xy >> 16) & 0xFFFF), rootY = static_cast<int>(xy & 0xFFFF);
  Window child = 0;
  int x = 0, y = 0;
  bool onScreen = false;
  {
    QuietXErrors quiet(mDisplay);
    XWindowAttributes wa;
    onScreen = XGetWindowAttributes(mDisplay, mWindow, &wa) &&
               XTranslateCoordinates(mDisplay, wa.root, mWindow, rootX, rootY, &x, &y, &child);
  }
  if (onScreen)
  {
    mX = x;
    mY = y;
  }
  SendStatus(mOffersList && onScreen);
}

void XDropTarget::OnDrop(const XEvent& event)
{
  const auto source = static_cast<unsigned long>(event.xclient.data.l[0]);
  if (source != mSource || mAwaitingData)
    return;
  if (!mOffersList)
  {
    SendFinished(false);
    Forget();
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
  SendFinished(!paths.empty());
  Forget();
  // Last, from a copy: what the drop does may close the editor and this target with it.
  if (const DropFunc onDrop = mOnDrop; onDrop && !paths.empty())
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
  mOffersList = false;
  mAwaitingData = false;
}

} // namespace plugin::igraphics
