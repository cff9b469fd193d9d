// Fuzzes the reader of the instrument's state chunk: any bytes at any of the usual sample rates
// must be refused or read into a state that writes back, and reads again, without change.

#include "instrument/persistence/StateChunk.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 1 || size > (1u << 20))
  {
    return 0;
  }
  static constexpr float kRates[] = {44100.0f, 48000.0f, 96000.0f, 22050.0f, 0.0f};
  const float rate = kRates[data[0] % (sizeof(kRates) / sizeof(kRates[0]))];
  plugin::IByteChunk chunk;
  chunk.AppendBytes(data + 1, static_cast<int>(size - 1));

  auto state = std::make_unique<InstrumentState>();
  const int end = StateChunk::Read(chunk, 0, rate, *state);
  if (end < 0)
  {
    return 0;
  }
  if (end > chunk.Size())
  {
    std::abort();
  }
  // Once read, a state is stable: write, read, write gives the same bytes.
  plugin::IByteChunk first;
  plugin::IByteChunk second;
  auto again = std::make_unique<InstrumentState>();
  if (!StateChunk::Write(*state, first) ||
      StateChunk::Read(first, 0, rate, *again) != first.Size() ||
      !StateChunk::Write(*again, second) || !first.IsEqual(second))
  {
    std::abort();
  }
  return 0;
}
