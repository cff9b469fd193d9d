#pragma once

// StateChunk: the instrument's part of the host's state chunk (and of every program slot).
//
// Layout, little-endian, no padding, appended at the chunk's current end:
//
//   offset  size    field
//   0       256     preset name, zero-padded (at most 255 bytes, always zero-terminated)
//   256     256     preset category, zero-padded (the same)
//   512     4       preset index, int32
//   516     ...     five envelope records: operators A, B, C, D, then the modulation envelope
//   ...     64 * 8  the 64 parameter values as doubles, in index order
//
// Envelope record: sustain (1 byte, 0 or 1), stage count n (int32), then per stage its start
// level, end level and duration in milliseconds (three floats; the duration as the envelope
// keeps it, whatever the sample rate).
//
// Reading checks the whole record before it answers: a record that does not fit the data, a
// stage count outside 1..64 (or fewer than four stages with sustain on), a level, time or
// parameter value that is not finite are refused and the output is left as it was. Durations
// come back as they were stored, their lengths in samples at the caller's sample rate (see
// InstrumentState.h), so get -> set -> get is byte-identical at any rate.
//
// Threads: [main thread] (the host's chunk calls; never during processing). Allocates.

#include "framework/core/IByteChunk.h"
#include "instrument/persistence/InstrumentState.h"

class StateChunk
{
public:
  static constexpr int kTextFieldSize = 256;
  static constexpr int kHeaderSize = 2 * kTextFieldSize + 4;

  // Appends the record; false when the chunk could not grow.
  static bool Write(const InstrumentState& state, plugin::IByteChunk& chunk);

  // Reads a record at pos, converting durations at sampleRate. Answers the position after the
  // parameter values, or -1 with out unchanged.
  static int Read(const plugin::IByteChunk& chunk, int pos, float sampleRate, InstrumentState& out);

  // The record's size in bytes for the given envelopes.
  static int Size(const InstrumentState& state);
};
