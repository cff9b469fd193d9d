#pragma once
// Standard MIDI files (format 0 and 1) read into one list of channel messages timed in samples,
// and the built-in demo phrase played when no file is given.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace host
{

struct TimedMidi
{
  int64_t frame = 0; // absolute sample position
  uint8_t bytes[3] = {};
};

// Parses a whole file's bytes. Tempo changes (meta 0x51) of every track apply to all tracks, as
// the format says; system-exclusive and other meta events are skipped. Answers false, with a
// reason, for anything that is not a well-formed file; never reads past the data.
bool ParseMidiFile(const uint8_t* data, size_t size, double sampleRate,
                   std::vector<TimedMidi>& events, std::string& error);
bool ReadMidiFile(const std::string& path, double sampleRate, std::vector<TimedMidi>& events,
                  std::string& error);

// A short phrase at 120 beats per minute: an arpeggio, then a held chord; about four seconds.
std::vector<TimedMidi> DemoPhrase(double sampleRate);

// The sample position after the last event.
int64_t LastFrame(const std::vector<TimedMidi>& events);

} // namespace host
