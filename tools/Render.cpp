#include "tools/Render.h"

#include <algorithm>

namespace host
{

namespace
{

template <typename T>
struct Channels
{
  std::vector<std::vector<T>> buffers;
  std::vector<T*> pointers;

  Channels(int count, int frames)
    : buffers(static_cast<size_t>(std::max(count, 0)), std::vector<T>(static_cast<size_t>(frames)))
  {
    for (auto& b : buffers)
      pointers.push_back(b.data());
    if (pointers.empty())
      pointers.push_back(nullptr);
  }
};

} // namespace

StereoBuffer Render(HostedPlugin& plugin, const std::vector<TimedMidi>& events,
                    const RenderOptions& options)
{
  StereoBuffer out;
  AEffect* effect = plugin.Effect();
  if (!effect || options.blockSize < 1)
    return out;
  const double rate = plugin.Identity().sampleRate;
  const int64_t total = LastFrame(events) + static_cast<int64_t>(options.tailSeconds * rate);
  const int block = options.blockSize;
  const int nIn = effect->numInputs;
  const int nOut = std::max(effect->numOutputs, 2);
  Channels<float> inF(nIn, block), outF(nOut, block);
  Channels<double> inD(nIn, block), outD(nOut, block);
  out.left.reserve(static_cast<size_t>(total));
  out.right.reserve(static_cast<size_t>(total));

  std::vector<TimedMidi> sorted = events;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const TimedMidi& a, const TimedMidi& b) { return a.frame < b.frame; });
  size_t next = 0;
  for (int64_t pos = 0; pos < total; pos += block)
  {
    const int frames = static_cast<int>(std::min<int64_t>(block, total - pos));
    std::vector<MidiIn> due;
    while (next < sorted.size() && sorted[next].frame < pos + frames)
    {
      MidiIn m;
      m.offset = static_cast<int32_t>(std::max<int64_t>(0, sorted[next].frame - pos));
      std::copy(sorted[next].bytes, sorted[next].bytes + 3, m.bytes);
      due.push_back(m);
      next++;
    }
    if (!due.empty())
      plugin.SendMidi(due);
    if (options.doublePrecision)
    {
      plugin.ProcessDouble(inD.pointers.data(), outD.pointers.data(), frames);
      for (int i = 0; i < frames; i++)
      {
        out.left.push_back(static_cast<float>(outD.buffers[0][i]));
        out.right.push_back(static_cast<float>(outD.buffers[1][i]));
      }
    }
    else
    {
      plugin.ProcessFloat(inF.pointers.data(), outF.pointers.data(), frames);
      out.left.insert(out.left.end(), outF.buffers[0].begin(), outF.buffers[0].begin() + frames);
      out.right.insert(out.right.end(), outF.buffers[1].begin(), outF.buffers[1].begin() + frames);
    }
    plugin.AdvanceTransport(frames);
    if (options.pumpIdle)
      plugin.Dispatch(kVst2EffIdle);
  }
  return out;
}

} // namespace host
