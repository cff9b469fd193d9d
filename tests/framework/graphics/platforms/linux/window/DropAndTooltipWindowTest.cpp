// The library gallery of the test plug-in in a host window, under Xvfb: files dropped on it by
// another X client through the X drag-and-drop protocol (a short XDND source, XdndSource.h), and a
// tooltip shown where the pointer rests.

#include "tests/framework/plugin/vst2/testplug/TestPlug.h"
// After the plug-in's headers: Xlib's macros (None, Bool, ...) would break them.
#include "tests/framework/graphics/platforms/linux/window/HostWindowTest.h"
#include "tests/framework/graphics/platforms/linux/window/XdndSource.h"

#include <X11/extensions/record.h>

#include <algorithm>

namespace
{

using plugin::test::XdndSource;

// Counts the requests one X client sends to the server (the client that owns a window), seen by
// the server's RECORD extension on connections of its own.
class RequestCounter
{
public:
  explicit RequestCounter(Window ofClient)
  {
    mControl = XOpenDisplay(nullptr);
    mData = XOpenDisplay(nullptr);
    int major = 0, minor = 0;
    if (!mControl || !mData || !XRecordQueryVersion(mControl, &major, &minor))
      return;
    XRecordRange* pRange = XRecordAllocRange();
    pRange->core_requests.first = 1;
    pRange->core_requests.last = 127;
    pRange->ext_requests.ext_major.first = 128;
    pRange->ext_requests.ext_major.last = 255;
    pRange->ext_requests.ext_minor.first = 0;
    pRange->ext_requests.ext_minor.last = 65535;
    XRecordClientSpec client = ofClient;
    mContext = XRecordCreateContext(mControl, 0, &client, 1, &pRange, 1);
    XFree(pRange);
    XSync(mControl, False);
    mReady = mContext && XRecordEnableContextAsync(mData, mContext, Intercept,
                                                   reinterpret_cast<XPointer>(&mCount));
    XSync(mControl, False);
  }
  ~RequestCounter()
  {
    if (mReady)
    {
      XRecordDisableContext(mControl, mContext);
      XSync(mControl, False);
      XRecordProcessReplies(mData);
    }
    if (mContext)
      XRecordFreeContext(mControl, mContext);
    if (mData)
      XCloseDisplay(mData);
    if (mControl)
      XCloseDisplay(mControl);
  }
  bool Ready() const { return mReady; }
  // The requests seen since the last call.
  long Take()
  {
    XRecordProcessReplies(mData);
    const long n = mCount;
    mCount = 0;
    return n;
  }

private:
  static void Intercept(XPointer pCount, XRecordInterceptData* pData)
  {
    if (pData->category == XRecordFromClient)
      ++*reinterpret_cast<long*>(pCount);
    XRecordFreeData(pData);
  }

  Display* mControl = nullptr;
  Display* mData = nullptr;
  XRecordContext mContext = 0;
  bool mReady = false;
  long mCount = 0;
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

  // (600, 540) in the editor: the gallery's drop well, which takes files; (56, 84) the vector
  // knob and (300, 470) empty panel, which take none.
  struct Case
  {
    const char* list;
    int x;
    int y;
    bool accepted;     // the status answered to the position
    bool succeeded;    // the XdndFinished answered to the drop
    const char* shown; // what the well reports after the drop
  };
  const char* const kTwo = "OnDropMultiple 600 540 /tmp/a.wav|/tmp/caf\xC3\xA9.wav";
  const Case cases[] = {
    {"file:///tmp/pelmora%20drop/one.wav\r\n", 600, 540, true, true,
     "OnDrop 600 540 /tmp/pelmora drop/one.wav"},
    {"# two files\r\nfile:///tmp/a.wav\r\nfile://localhost/tmp/caf%C3%A9.wav\r\n", 600, 540, true,
     true, kTwo},
    // Refused, and nothing delivered: the well still shows the drop before. A list is judged at
    // the drop; a point where no control takes files at once.
    {"http://example.com/a.wav\r\n", 600, 540, true, false, kTwo},
    {"file:///tmp/b%2\r\n", 600, 540, true, false, kTwo},
    {"file:///tmp/c.wav\r\n", 56, 84, false, false, kTwo},
    {"file:///tmp/c.wav\r\n", 300, 470, false, false, kTwo},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(std::string(c.list) + " at " + std::to_string(c.x));
    const auto heard = source.Drop(child, kLeft + c.x, kTop + c.y, c.list, idle);
    EXPECT_EQ(heard.accepted, c.accepted);
    EXPECT_EQ(heard.finished, 1);
    EXPECT_EQ(heard.succeeded, c.succeeded);
    EXPECT_EQ(heard.requests, c.accepted ? 1 : 0); // the data is asked for over the well only
    EXPECT_EQ(LastDrop(), c.shown);
  }
  CloseEditor(parent);
}

TEST_F(DropAndTooltipWindowTest, AFloodOfPositionsCostsABoundedNumberOfServerCallsPerIdleCall)
{
  const Window parent = OpenGallery();
  const Window child = ChildOf(parent);
  ASSERT_NE(child, 0u);
  RequestCounter counter(child);
  if (!counter.Ready())
    GTEST_SKIP() << "the X server has no RECORD extension";
  XdndSource source;
  source.Enter(child);
  Idle(2);
  counter.Take();
  // 20,000 positions sent without waiting for answers, sweeping over the editor where no control
  // takes files, the newest over the drop well.
  constexpr int kFlood = 20000;
  for (int i = 0; i < kFlood - 1; ++i)
    source.Position(child, kLeft + 20 + i % 400, kTop + 300 + i % 150);
  source.Position(child, kLeft + 620, kTop + 530);
  source.Listen(nullptr);
  // Idle calls until the newest position is answered.
  long most = 0, total = 0;
  int calls = 0;
  for (; calls < 200 && !source.Listen(nullptr).accepted; ++calls)
  {
    Idle(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const long requests = counter.Take();
    most = std::max(most, requests);
    total += requests;
  }
  ASSERT_TRUE(source.Listen(nullptr).accepted) << calls << " idle calls";
  // Each idle call answers the newest position it read, with one translation and one status.
  EXPECT_LE(most, 30) << total << " requests in " << calls << " idle calls";
  EXPECT_LE(source.Listen(nullptr).statuses, calls);

  // The drop lands where the newest position was.
  source.SendDrop(child);
  const std::string list = "file:///tmp/flood.wav\r\n";
  for (int i = 0; i < 100 && source.Listen(&list).finished == 0; ++i)
    Idle(1);
  EXPECT_TRUE(source.Listen(&list).succeeded);
  EXPECT_EQ(LastDrop(), "OnDrop 620 530 /tmp/flood.wav");
  CloseEditor(parent);
}

TEST_F(DropAndTooltipWindowTest, ASourceGoneAfterItsDropHearsNothingAtItsWindowIdsNextOwner)
{
  const Window parent = OpenGallery();
  const Window child = ChildOf(parent);
  ASSERT_NE(child, 0u);
  Window first = 0;
  {
    // Drops over the well, and is gone (its client with it) without giving the data.
    XdndSource gone;
    first = gone.Id();
    gone.Enter(child);
    gone.Position(child, kLeft + 600, kTop + 540);
    for (int i = 0; i < 50 && gone.Listen(nullptr).statuses == 0; ++i)
      Idle(1);
    gone.SendDrop(child);
    for (int i = 0; i < 50 && gone.Listen(nullptr).requests == 0; ++i)
      Idle(1);
    ASSERT_EQ(gone.Listen(nullptr).requests, 1);
  }
  Idle(3);
  // The next client is given the same ids: its window is the old source's.
  XdndSource next;
  ASSERT_EQ(next.Id(), first);
  next.Enter(child);
  next.Position(child, kLeft + 600, kTop + 540);
  for (int i = 0; i < 50 && next.Listen(nullptr).statuses == 0; ++i)
    Idle(1);
  Idle(3);
  EXPECT_TRUE(next.Listen(nullptr).accepted);
  EXPECT_EQ(next.Listen(nullptr).finished, 0) << "an answer to the old source's drop";
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
  // The pointer did not move: the tooltip stays away, however long it rests.
  Idle(40);
  EXPECT_FALSE(Near(PixelOf(parent, panelX, panelY), kTipPanel));
  CloseEditor(parent);
}

} // namespace
