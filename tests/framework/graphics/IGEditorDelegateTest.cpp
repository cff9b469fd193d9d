#include "tests/framework/graphics/GraphicsTestSupport.h"

#include "framework/core/IByteChunk.h"

#include <gtest/gtest.h>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

// A delegate whose make-graphics function builds recording contexts and whose layout attaches
// two controls showing parameter 3 (one of them through both of its slots).
struct EditorDelegate : TestDelegate
{
  RecordingGraphics* mLastGraphics = nullptr;
  int mMade = 0;
  int mClosedContexts = 0;

  EditorDelegate()
  {
    mMakeGraphicsFunc = [this]()
    {
      ++mMade;
      mLastGraphics = new RecordingGraphics(*this, 400, 300, 1.f);
      return mLastGraphics;
    };
    mLayoutFunc = [](IGraphics* pGraphics)
    {
      pGraphics->RemoveAllControls(); // a window opened again is laid out afresh
      pGraphics->AttachControl(new TestControl(IRECT(0, 0, 10, 10), 3), 1);
      pGraphics->AttachControl(new TestControl(IRECT(0, 0, 10, 10), {3, 3}), 2);
    };
  }
};

} // namespace

TEST(IGEditorDelegate, ReopenedEditorKeepsItsSizeAndScale)
{
  EditorDelegate delegate;
  EXPECT_NE(delegate.OpenWindow(nullptr), nullptr);
  auto* pFirst = delegate.mLastGraphics;
  EXPECT_EQ(pFirst->Width(), 400); // a first opening keeps the context's own size
  pFirst->Resize(400, 300, 1.5f);
  EXPECT_EQ(delegate.OpenWindow(nullptr), pFirst); // no second context while one exists
  EXPECT_EQ(delegate.mMade, 1);

  delegate.CloseWindow();
  EXPECT_EQ(delegate.GetUI(), nullptr);
  EXPECT_EQ(delegate.mUICloseCount, 1);
  delegate.OpenWindow(nullptr);
  EXPECT_EQ(delegate.mLastGraphics->GetDrawScale(), 1.5f);
  EXPECT_EQ(delegate.mLastGraphics->WindowWidth(), 600);
}

TEST(IGEditorDelegate, EmptyMakeGraphicsGivesTheHostNoView)
{
  TestDelegate delegate;
  EXPECT_EQ(delegate.OpenWindow(nullptr), nullptr);
  delegate.CloseWindow(); // without a context only OnUIClose runs
  EXPECT_EQ(delegate.mUICloseCount, 1);
}

TEST(IGEditorDelegate, HostValuesReachEveryBoundSlot)
{
  EditorDelegate delegate;
  delegate.OpenWindow(nullptr);
  IGraphics* pGraphics = delegate.GetUI();
  delegate.GetParam(3)->InitDouble("Cutoff", 0.0, 0.0, 200.0, 1.0);
  delegate.SendParameterValueFromDelegate(3, 50.0, false);
  EXPECT_DOUBLE_EQ(pGraphics->GetControlWithTag(1)->GetValue(0), 0.25);
  EXPECT_DOUBLE_EQ(pGraphics->GetControlWithTag(2)->GetValue(0), 0.25);
  EXPECT_DOUBLE_EQ(pGraphics->GetControlWithTag(2)->GetValue(1), 0.25);

  delegate.SendControlValueFromDelegate(1, 0.75);
  EXPECT_DOUBLE_EQ(pGraphics->GetControlWithTag(1)->GetValue(0), 0.75);
  delegate.SendControlValueFromDelegate(99, 0.75); // no such tag: nothing
}

TEST(IGEditorDelegate, MidiGoesToControlsThatWantIt)
{
  struct MidiControl : TestControl
  {
    using TestControl::TestControl;
    void OnMidi(const IMidiMsg& msg) override
    {
      mEvents.push_back(std::string("midi ") + Fmt(msg.mData1));
    }
  };
  EditorDelegate delegate;
  delegate.OpenWindow(nullptr);
  auto* pWants = new MidiControl(IRECT());
  pWants->SetWantsMidi(true);
  auto* pIgnores = new MidiControl(IRECT());
  delegate.GetUI()->AttachControl(pWants);
  delegate.GetUI()->AttachControl(pIgnores);
  delegate.SendMidiMsgFromDelegate(IMidiMsg(0, 0x90, 60, 100));
  EXPECT_EQ(pWants->mEvents, std::vector<std::string>{"midi 60"});
  EXPECT_TRUE(pIgnores->mEvents.empty());
}

TEST(IGEditorDelegate, EditorStateRoundTripsAndRefusesShortData)
{
  EditorDelegate delegate;
  delegate.OpenWindow(nullptr);
  delegate.GetUI()->Resize(500, 350, 2.f);
  IByteChunk chunk;
  EXPECT_TRUE(delegate.SerializeEditorState(chunk));
  EXPECT_EQ(chunk.Size(), 12);
  delegate.CloseWindow();

  EditorDelegate other;
  EXPECT_EQ(other.UnserializeEditorState(chunk, 0), 12);
  other.OpenWindow(nullptr);
  EXPECT_EQ(other.GetUI()->Width(), 500);
  EXPECT_EQ(other.GetUI()->GetDrawScale(), 2.f);

  // 8 bytes: width and height read, the scale missing; the next opening does not resize.
  IByteChunk shortChunk;
  shortChunk.AppendValue(int32_t(700));
  shortChunk.AppendValue(int32_t(500));
  EditorDelegate third;
  EXPECT_EQ(third.UnserializeEditorState(shortChunk, 0), -1);
  third.OpenWindow(nullptr);
  EXPECT_EQ(third.GetUI()->Width(), 400);
}

TEST(IGEditorDelegate, DestroyedWithItsEditorOpenClosesTheWindowFirst)
{
  struct CountingGraphics : RecordingGraphics
  {
    CountingGraphics(IGEditorDelegate& dlg, int* pCloses) : RecordingGraphics(dlg), mCloses(pCloses)
    {
    }
    void CloseWindow() override
    {
      ++*mCloses;
      RecordingGraphics::CloseWindow();
    }
    int* mCloses;
  };
  // A control that notes, as it is deleted, how often the window had been closed.
  struct Probe : TestControl
  {
    Probe(int* pCloses, int* pSeen) : TestControl(IRECT()), mCloses(pCloses), mSeen(pSeen) {}
    ~Probe() override { *mSeen = *mCloses; }
    int* mCloses;
    int* mSeen;
  };

  int closes = 0;
  int closesSeenByProbe = -1;
  {
    TestDelegate delegate;
    delegate.mMakeGraphicsFunc = [&]()
    {
      return new CountingGraphics(delegate, &closes);
    };
    delegate.mLayoutFunc = [&](IGraphics* pGraphics)
    {
      pGraphics->AttachControl(new Probe(&closes, &closesSeenByProbe));
    };
    delegate.OpenWindow(nullptr);
  }
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(closesSeenByProbe, 1); // the window closed before the controls were deleted
}

TEST(IGEditorDelegate, CloseWindowReenteredDuringCloseDoesNothing)
{
  struct ReenteringGraphics : RecordingGraphics
  {
    using RecordingGraphics::RecordingGraphics;
    void CloseWindow() override
    {
      RecordingGraphics::CloseWindow();
      GetDelegate()->CloseWindow(); // the view's removal calls back
    }
  };
  TestDelegate delegate;
  delegate.mMakeGraphicsFunc = [&delegate]()
  {
    return new ReenteringGraphics(delegate);
  };
  delegate.OpenWindow(nullptr);
  delegate.CloseWindow();
  EXPECT_EQ(delegate.mUICloseCount, 1);
  EXPECT_EQ(delegate.GetUI(), nullptr);
}
