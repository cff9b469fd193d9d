#pragma once
// How an envelope editor shows its envelope: its zoom and scroll. The instrument keeps one per
// envelope, so that an editor opened again shows each envelope as the user left it.

namespace plugin::igraphics
{

struct EnvelopeView
{
  float timeScale = 0.f;  // points per millisecond; 0 while no editor has shown the envelope
  float timeOffset = 0.f; // points: the view's left edge is this far right of time 0

  bool IsSet() const { return timeScale > 0.f; }
};

} // namespace plugin::igraphics
