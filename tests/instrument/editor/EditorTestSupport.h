#pragma once
// Helpers of the editor's control tests: an editor opened on the recording back end (its
// delegate owns the context, so host MIDI reaches the controls) and the MIDI it sent.

#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <cstdio>
#include <functional>
#include <string>

namespace plugin::igraphics::test
{

// Opens the delegate's editor on a 1011 x 601 recording context laid out by layout.
inline IGraphics* OpenEditor(TestDelegate& delegate, std::function<void(IGraphics& g)> layout)
{
  delegate.mMakeGraphicsFunc = [&delegate]
  {
    return new RecordingGraphics(delegate, 1011, 601);
  };
  delegate.mLayoutFunc = [layout](IGraphics* pGraphics)
  {
    layout(*pGraphics);
  };
  delegate.OpenWindow(nullptr);
  return delegate.GetUI();
}

// The MIDI the editor sent so far as "90 60 127, 80 60 0" (status in hex), then forgotten.
inline std::string SentMidi(TestDelegate& delegate)
{
  std::string out;
  for (const IMidiMsg& m : delegate.mMidiFromUI)
  {
    char line[24];
    std::snprintf(line, sizeof(line), "%s%02X %d %d", out.empty() ? "" : ", ", m.mStatus, m.mData1,
                  m.mData2);
    out.append(m.mOffset == 0 ? line : "(not at offset 0)");
  }
  delegate.mMidiFromUI.clear();
  return out;
}

} // namespace plugin::igraphics::test
