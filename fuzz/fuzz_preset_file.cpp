// Fuzzes the reader of preset files: any text must be refused or decoded into a content that
// writes back to a file which reads and writes again to the same text.

#include "instrument/persistence/PresetFile.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > (1u << 20))
  {
    return 0;
  }
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto content = std::make_unique<PresetContent>();
  if (!PresetFile::Read(text, 48000.0f, *content))
  {
    return 0;
  }
  std::array<const char*, InstrumentState::kNumParams> names;
  names.fill("p");
  auto state = std::make_unique<InstrumentState>();
  state->mParams = content->mParams;
  state->mEnvelopes = content->mEnvelopes;
  const std::string first = PresetFile::Write("Pelmora", "fuzz", names, *state);
  auto again = std::make_unique<PresetContent>();
  if (!PresetFile::Read(first, 48000.0f, *again) ||
      again->mNumParams != InstrumentState::kNumParams)
  {
    std::abort();
  }
  state->mParams = again->mParams;
  state->mEnvelopes = again->mEnvelopes;
  if (PresetFile::Write("Pelmora", "fuzz", names, *state) != first)
  {
    std::abort();
  }
  return 0;
}
