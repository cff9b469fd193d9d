#pragma once
// Plays timed MIDI through a started plug-in, block by block, into a stereo buffer.

#include "tools/MidiFile.h"
#include "tools/VstHost.h"
#include "tools/WavFile.h"

namespace host
{

struct RenderOptions
{
  int blockSize = 512;
  bool doublePrecision = false;
  double tailSeconds = 1.5; // rendered after the last event
  bool pumpIdle = true;     // an idle call after every block, as a host's GUI thread would
};

// The plug-in must be started (open, rate, block size, resume) with the identity's rate and
// block size. Answers the audio of the plug-in's first two outputs.
StereoBuffer Render(HostedPlugin& plugin, const std::vector<TimedMidi>& events,
                    const RenderOptions& options);

} // namespace host
