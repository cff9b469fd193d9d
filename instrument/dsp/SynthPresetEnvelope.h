#pragma once

// The envelope records of a preset file, as decoded from its JSON text. Times are milliseconds;
// levels are 0..1. The preset reader fills them; EnvelopeParameter turns them into stages.

#include <string>
#include <vector>

struct PresetEnvStage
{
  double start = 0.0; // level at the stage's start
  double end = 0.0;   // level at the stage's end
  double time = 0.0;  // duration in milliseconds
};

struct SynthPresetEnvelope
{
  std::string name; // written to files, never read back
  bool sustain = true;
  std::vector<PresetEnvStage> stages;
};
