#pragma once
// XDropTarget: the editor window takes file drops from other X clients (a file manager) by the
// X drag-and-drop protocol (XDND, version 5).
//
// The window is marked XdndAware. While a drag offering "text/uri-list" moves over it, a position
// is answered with an XdndStatus that accepts a copy (and asks for every further position) only
// where a control takes files, as the graphics core tells (TakesFilesFunc, asked without any X
// call); elsewhere, and for other drags, "not accepted". On XdndDrop the list is asked of the
// source (XConvertSelection of XdndSelection) and the call returns at once: the data arrives
// later as a SelectionNotify, handled from a later tick, so the host's GUI thread never waits on
// the other client. A list of local files (file:// URIs, see LocalPathsFromURIList) dropped where
// a control takes files is handed to the drop function with the last position, in window pixels,
// and the source is told the drop succeeded; anything else (no such control there, a URI that is
// not a local file, a malformed list, data that cannot be read) delivers nothing and the source
// is told the drop was refused. A new drag refuses a drop whose data never came.
//
// A source may flood the window with positions: a position costs nothing when it arrives. It is
// only remembered, and Settle (after each batch of events) answers the newest one, with one
// coordinate translation; a drop settles the positions before it first. The source's window is
// watched (StructureNotify) from its XdndEnter on: when it is destroyed the drag is forgotten, so
// that no late answer goes to a window id that the server may have handed to another client.
// Main thread only.

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
// decoded and the path must be valid UTF-8 with no NUL. A URI holding a raw control byte (below
// 0x20, or 0x7F: a file manager escapes them) is refused. False, with paths emptied, when any URI
// is not such a local file, an escape is malformed, or the list names no file.
bool LocalPathsFromURIList(std::string_view list, std::vector<std::string>& paths);

class XDropTarget
{
public:
  // Whether a drop at (x, y), in window pixels, would reach a control that takes files.
  using TakesFilesFunc = std::function<bool(int x, int y)>;
  // paths: one or more local files; (x, y): the drop position in window pixels.
  using DropFunc = std::function<void(const std::vector<std::string>& paths, int x, int y)>;

  XDropTarget(_XDisplay* pDisplay, unsigned long window, TakesFilesFunc takesFiles,
              DropFunc onDrop);
  // A drop still waiting for its data is refused.
  ~XDropTarget();

  XDropTarget(const XDropTarget&) = delete;
  XDropTarget& operator=(const XDropTarget&) = delete;

  // Takes the XDND messages, the arrival of a drop's data and the events of the source's window;
  // true for an event it took.
  bool HandleEvent(const _XEvent& event);
  // After each batch of events: answers the newest position of the drag, when one came.
  void Settle();

private:
  void OnEnter(const _XEvent& event);
  void OnPosition(const _XEvent& event);
  void OnDrop(const _XEvent& event);
  void OnData(const _XEvent& event);
  // Whether the source's XdndTypeList property holds text/uri-list.
  bool TypeListOffersURIList();
  // What an XdndEnter leaves for later (Settle, a drop): reading the source's type list and
  // watching its window. False, with the drag forgotten, when the window is gone.
  bool PrepareDrag();
  // Watches window for its destruction (0: watches none), keeping whatever this connection had
  // selected on it, and puts back the events selected on the window watched before.
  void Watch(unsigned long window);
  void SendStatus(bool accept);
  void SendFinished(bool accepted);
  // Forgets the drag in progress (its source stays watched until the next drag or EndDrag).
  void Forget();
  // Forgets the drag and stops watching its source.
  void EndDrag();
  void Send(unsigned long type, long l1, long l2, long l3, long l4);

  _XDisplay* mDisplay;
  unsigned long mWindow;
  unsigned long mRoot = 0; // the root window of mWindow's screen
  TakesFilesFunc mTakesFiles;
  DropFunc mOnDrop;
  unsigned long mSource = 0;  // the window of the drag in progress (0: none)
  unsigned long mWatched = 0; // the source window whose StructureNotify events are selected
  long mWatchedMask = 0;      // the events this connection had selected on it before
  int mVersion = 0;
  bool mEnterPending = false; // an XdndEnter that PrepareDrag has not prepared yet
  bool mManyTypes = false;    // the enter's types are in the source's XdndTypeList property
  bool mOffersList = false;
  bool mAwaitingData = false;
  bool mPositionPending = false; // a position came that Settle has not answered yet
  int mRootX = 0;                // the newest position, on the root window
  int mRootY = 0;
  int mX = 0; // the last position settled, in window pixels
  int mY = 0;
  bool mOverTaker = false; // whether a control that takes files is at (mX, mY)
  // Atoms
  unsigned long mAware, mEnter, mPosition, mStatus, mLeave, mDrop, mFinished, mSelection, mTypeList,
    mActionCopy, mURIList, mProperty;
};

} // namespace plugin::igraphics
