// The envelope editor dragging points and toggling sustain on the main thread while the engine
// plays notes on the audio thread, which copies the envelope at every note start. Built alone
// under ThreadSanitizer by scripts/test.sh: a data race fails the run. Every copy the audio side
// takes must be a whole envelope: the editor moves the end of one stage and the start of the
// next together, so a copy with a gap between the two would be half an edit.

#include "instrument/editor/controls/IVMultistageEnvelopeControl.h"
#include "instrument/engine/PelmoraDSP.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

// Levels meet where stages meet, and every stage's derived fields match its levels and length.
bool Whole(const EnvelopeParameter& e)
{
  for (int k = 0; k < e.NumStages(); ++k)
  {
    const EnvelopeStageParameter& s = e.Stage(k);
    if (s.mIncrement != 1.f / static_cast<float>(s.mSamples) ||
        s.mSpan != std::fabs(s.mEndLevel - s.mStartLevel))
      return false;
    if (k + 1 < e.NumStages() && s.mEndLevel != e.Stage(k + 1).mStartLevel)
      return false;
  }
  return true;
}

TEST(EditorThreads, EnvelopeEditsReachTheAudioThreadWhole)
{
  GlobalParams params;
  PelmoraDSP<double> dsp(12, &params);
  for (int i = 0; i < kNumParams; ++i)
    dsp.SetParam(i, GetParamRange(i).mDefault);
  dsp.Reset(48000.0, 256);
  SharedEnvelope& envelope = *params.GetEnvelope(kEnvelopeOpA);
  ASSERT_TRUE(Whole(envelope.Get()));

  TestDelegate delegate;
  RecordingGraphics graphics(delegate, 1011, 601);
  auto* pControl = static_cast<IVMultistageEnvelopeControl*>(
    graphics.AttachControl(MakeEnvelopeEditor(IRECT(20, 198, 483, 316), &envelope, {})));
  pControl->FitToView();

  std::atomic<bool> stop{false};
  std::atomic<int> copies{0};
  std::atomic<bool> whole{true};
  std::atomic<bool> finite{true};
  std::thread audio(
    [&]
    {
      double left[256], right[256];
      double* outputs[2] = {left, right};
      EnvelopeParameter copy;
      for (int block = 0; block < 800; ++block)
      {
        if (block % 4 == 0)
        {
          const auto key = static_cast<uint8_t>(48 + block % 24);
          dsp.AddMidiMsgToQueue(IMidiMsg(0, 0x90, key, 100));
          dsp.AddMidiMsgToQueue(IMidiMsg(128, 0x80, static_cast<uint8_t>(key - 4), 0));
        }
        dsp.ProcessBlock(nullptr, outputs, 2, 256);
        for (double x : left)
          finite = finite && std::isfinite(x);
        // What a voice starting a note reads.
        if (envelope.Read(copy))
        {
          whole = whole && Whole(copy);
          ++copies;
        }
      }
      stop = true;
    });

  // The main thread: points dragged up, down and sideways, sustain switched, the view fitted.
  const IMouseMod left(true);
  for (int round = 0; !stop; ++round)
  {
    const int i = 1 + round % 3;
    const auto& p = pControl->GetCoords()[static_cast<size_t>(i)];
    const float x = p.x, y = p.y;
    const float dX = round % 2 ? 3.f : -2.f, dY = round % 4 < 2 ? 7.f : -7.f;
    graphics.OnMouseDown({Point(x, y, left)});
    graphics.OnMouseDrag({Point(x + dX, y + dY, left, dX, dY)});
    graphics.OnMouseUp({Point(x + dX, y + dY, left)});
    if (round % 16 == 0)
    {
      const IRECT sustain = pControl->GetSustainRECT();
      graphics.OnMouseDown({Point(sustain.MW(), sustain.T + 2.f, left)});
      graphics.OnMouseUp({Point(sustain.MW(), sustain.T + 2.f, left)});
      pControl->FitToView();
    }
  }
  audio.join();
  EXPECT_TRUE(finite);
  EXPECT_TRUE(whole);
  EXPECT_GT(copies.load(), 0);
  EXPECT_TRUE(Whole(envelope.Get()));
}

} // namespace
