#pragma once
// XDropTarget: the editor window takes file drops from other X clients (a file manager) by the
// X drag-and-drop protocol (XDND, version 5).
//
// The window is marked XdndAware. While a drag offering "text/uri-list" moves over it, every
// XdndPosition is answered with an XdndStatus that accepts a copy (and asks for every further
// position); other drags are answered "not accepted". On XdndDrop the list is asked of the
// source (XConvertSelection of XdndSelection) and the call returns at once: the data arrives
// later as a SelectionNotify, handled from a later tick, so the host's GUI thread never waits on
// the other client. A list of local files (file:// URIs, see LocalPathsFromURIList) is handed
// to the drop function with the last position, in window pixels, and the source is told the
// drop succeeded; anything else (a URI that is not a local file, a malformed list, data that
// cannot be read) delivers nothing and the source is told the drop was refused. A new drag
// refuses a drop whose data never came. Main thread only.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

union _XEvent;
struct _XDisplay;

namespace plugin::igraphics
{

// The local paths of a text/uri-list (RFC 2483: one URI per line, lines ending in CR LF or
// LF, '#' lines comments). Each URI must be file:///path, file://localhost/path,
// file://<this host's name>/path or file:/path with no query or fragment; percent escapes are
// decoded and the path must be valid UTF-8 with no NUL. False, with paths emptied, when any URI is
// not such a local file, an escape is malformed, or the list names no file.
bool LocalPathsFromURIList(std::string_view list, std::vector<std::string>& paths);

class XDropTarget
{
public:
  // paths: one or more local files; (x, y): the drop position in window pixels.
  using DropFunc = std::function<void(const std::vector<std::string>& paths, int x, int y)>;

  XDropTarget(_XDisplay* pDisplay, unsigned long window, DropFunc onDrop);
  // A drop still waiting for its data is refused.
  ~XDropTarget();

  XDropTarget(const XDropTarget&) = delete;
  XDropTarget& operator=(const XDropTarget&) = delete;

  // Takes the XDND messages and the arrival of a drop's data; true for an event it took.
  bool HandleEvent(const _XEvent& event);

private:
  void OnEnter(const _XEvent& event);
  void OnPosition(const _XEvent& event);
  void OnDrop(const _XEvent& event);
  void OnData(const _XEvent& event);
  // Whether the source's type list (in the message, or its XdndTypeList property) holds
  // text/uri-list.
  bool OffersURIList(const _XEvent& enter);
  void SendStatus(bool accept);
  void SendFinished(bool accepted);
  void Forget();
  void Send(unsigned long type, long l1, long l2, long l3, long l4);

  _XDisplay* mDisplay;
  unsigned long mWindow;
  DropFunc mOnDrop;
  unsigned long mSource = 0; // the window of the drag in progress (0: none)
  int mVersion = 0;
  bool mOffersList = false;
  bool mAwaitingData = false;
  int mX = 0; // the last position, in window pixels
  int mY = 0;
  // Atoms
  unsigned long mAware, mEnter, mPosition, mStatus, mLeave, mDrop, mFinished, mSelection, mTypeList,
    mActionCopy, mURIList, mProperty;
};

} // namespace plugin::igraphics
