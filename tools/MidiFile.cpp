#include "tools/MidiFile.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace host
{

namespace
{

struct Reader
{
  const uint8_t* mData;
  size_t mSize;
  size_t mPos = 0;
  bool mOk = true;

  bool Has(size_t n) const { return mOk && mPos <= mSize && mSize - mPos >= n; }
  uint8_t Byte()
  {
    if (!Has(1))
    {
      mOk = false;
      return 0;
    }
    return mData[mPos++];
  }
  uint32_t Big(int n)
  {
    uint32_t v = 0;
    for (int i = 0; i < n; i++)
      v = (v << 8) | Byte();
    return v;
  }
  uint32_t VarLen()
  {
    uint32_t v = 0;
    for (int i = 0; i < 4; i++)
    {
      const uint8_t b = Byte();
      v = (v << 7) | (b & 0x7F);
      if (!(b & 0x80))
        return v;
    }
    mOk = false; // longer than the four bytes the format allows
    return 0;
  }
  void Skip(size_t n)
  {
    if (!Has(n))
      mOk = false;
    else
      mPos += n;
  }
};

struct TickEvent
{
  uint64_t tick = 0;
  int order = 0; // file order, to keep the sort stable across tracks
  bool isTempo = false;
  uint32_t tempo = 500000; // microseconds per quarter note
  uint8_t bytes[3] = {};
};

int DataBytesFor(uint8_t status)
{
  const int kind = status >> 4;
  return (kind == 0xC || kind == 0xD) ? 1 : 2;
}

bool ReadTrack(Reader& r, size_t end, std::vector<TickEvent>& out, int& order, std::string& error)
{
  uint64_t tick = 0;
  uint8_t running = 0;
  while (r.mOk && r.mPos < end)
  {
    tick += r.VarLen();
    uint8_t status = r.Byte();
    if (status == 0xFF)
    {
      const uint8_t type = r.Byte();
      const uint32_t len = r.VarLen();
      if (type == 0x51 && len == 3)
      {
        TickEvent e;
        e.tick = tick;
        e.order = order++;
        e.isTempo = true;
        e.tempo = r.Big(3);
        out.push_back(e);
      }
      else
      {
        r.Skip(len);
      }
      if (type == 0x2F)
        break; // end of track
      continue;
    }
    if (status == 0xF0 || status == 0xF7)
    {
      r.Skip(r.VarLen());
      continue;
    }
    uint8_t first;
    if (status & 0x80)
    {
      running = status;
      first = r.Byte();
    }
    else
    {
      if (!running)
      {
        error = "data byte without a status";
        return false;
      }
      first = status;
      status = running;
    }
    TickEvent e;
    e.tick = tick;
    e.order = order++;
    e.bytes[0] = status;
    e.bytes[1] = first & 0x7F;
    e.bytes[2] = DataBytesFor(status) == 2 ? (r.Byte() & 0x7F) : 0;
    out.push_back(e);
  }
  if (!r.mOk)
  {
    error = "track data ends early";
    return false;
  }
  return true;
}

} // namespace

bool ParseMidiFile(const uint8_t* data, size_t size, double sampleRate,
                   std::vector<TimedMidi>& events, std::string& error)
{
  events.clear();
  Reader r{data, size};
  if (!data || size < 14 || r.Big(4) != 0x4D546864) // "MThd"
  {
    error = "not a standard MIDI file";
    return false;
  }
  const uint32_t headerLen = r.Big(4);
  const uint32_t format = r.Big(2);
  const uint32_t numTracks = r.Big(2);
  const uint32_t division = r.Big(2);
  if (headerLen < 6 || format > 1 || (division & 0x8000) || division == 0 || sampleRate <= 0.0)
  {
    error = "unsupported MIDI file (format, time code division or sample rate)";
    return false;
  }
  r.Skip(headerLen - 6);
  std::vector<TickEvent> all;
  int order = 0;
  for (uint32_t t = 0; t < numTracks && r.mOk; t++)
  {
    const uint32_t id = r.Big(4);
    const uint32_t len = r.Big(4);
    if (!r.mOk || !r.Has(len))
    {
      error = "track chunk ends early";
      return false;
    }
    const size_t end = r.mPos + len;
    if (id == 0x4D54726B) // "MTrk"
    {
      Reader track{data, end, r.mPos};
      if (!ReadTrack(track, end, all, order, error))
        return false;
    }
    r.mPos = end;
  }
  std::stable_sort(all.begin(), all.end(),
                   [](const TickEvent& a, const TickEvent& b)
                   { return a.tick != b.tick ? a.tick < b.tick : a.order < b.order; });
  double seconds = 0.0;
  uint64_t lastTick = 0;
  uint32_t tempo = 500000;
  for (const TickEvent& e : all)
  {
    seconds += static_cast<double>(e.tick - lastTick) * tempo / 1e6 / division;
    lastTick = e.tick;
    if (e.isTempo)
    {
      tempo = e.tempo ? e.tempo : tempo;
      continue;
    }
    TimedMidi m;
    m.frame = static_cast<int64_t>(std::llround(seconds * sampleRate));
    std::copy(std::begin(e.bytes), std::end(e.bytes), m.bytes);
    events.push_back(m);
  }
  return true;
}

bool ReadMidiFile(const std::string& path, double sampleRate, std::vector<TimedMidi>& events,
                  std::string& error)
{
  std::ifstream in(path, std::ios::binary);
  if (!in)
  {
    error = "cannot open " + path;
    return false;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  return ParseMidiFile(bytes.data(), bytes.size(), sampleRate, events, error);
}

std::vector<TimedMidi> DemoPhrase(double sampleRate)
{
  const double beat = 0.5 * sampleRate; // 120 beats per minute
  std::vector<TimedMidi> events;
  auto note = [&](double startBeat, double lengthBeats, uint8_t key, uint8_t velocity)
  {
    TimedMidi on;
    on.frame = static_cast<int64_t>(startBeat * beat);
    on.bytes[0] = 0x90;
    on.bytes[1] = key;
    on.bytes[2] = velocity;
    TimedMidi off = on;
    off.frame = static_cast<int64_t>((startBeat + lengthBeats) * beat);
    off.bytes[0] = 0x80;
    off.bytes[2] = 64;
    events.push_back(on);
    events.push_back(off);
  };
  const uint8_t arpeggio[] = {48, 55, 60, 64, 67, 72};
  for (int i = 0; i < 6; i++)
    note(i * 0.5, 0.45, arpeggio[i], static_cast<uint8_t>(90 + i * 5));
  for (uint8_t key : {53, 57, 60, 65})
    note(3.0, 2.0, key, 100);
  for (uint8_t key : {48, 55, 64, 67})
    note(5.0, 2.5, key, 110);
  std::stable_sort(events.begin(), events.end(),
                   [](const TimedMidi& a, const TimedMidi& b) { return a.frame < b.frame; });
  return events;
}

int64_t LastFrame(const std::vector<TimedMidi>& events)
{
  int64_t last = 0;
  for (const TimedMidi& e : events)
    last = std::max(last, e.frame);
  return last;
}

} // namespace host
