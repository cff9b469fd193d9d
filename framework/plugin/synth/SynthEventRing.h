#pragma once
// The synth's queues (MIDI in, voice events) are single-producer single-consumer rings of plain
// values sized by how many values they must hold; the header-only plug-in ring serves them, so
// the synth gains no link dependency.

#include "framework/plugin/SpscRing.h"

namespace plugin
{

template <typename T>
class SynthEventRing : public SpscRing<T>
{
public:
  // [main thread] Room for `capacity` values (one more slot than that is allocated).
  explicit SynthEventRing(int capacity) : SpscRing<T>((capacity > 0 ? capacity : 1) + 1) {}
};

} // namespace plugin
