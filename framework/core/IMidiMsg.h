#pragma once
// One short MIDI message as it travels between the host, the instrument, the engine and the
// editor: a sample offset inside the current block, then the three bytes of the message.
// Plain data, 8 bytes, copied by value through the lock-free rings.

#include <cstdint>

namespace plugin
{

struct IMidiMsg
{
  int32_t mOffset = 0; // sample offset within the block, 0-based
  uint8_t mStatus = 0; // status byte: kind in the high nibble, channel in the low nibble
  uint8_t mData1 = 0;
  uint8_t mData2 = 0;

  // Status kinds (high nibble of the status byte).
  enum EStatus : uint8_t
  {
    kNoteOff = 0x8,
    kNoteOn = 0x9,
    kPolyAftertouch = 0xA,
    kControlChange = 0xB,
    kProgramChange = 0xC,
    kChannelAftertouch = 0xD,
    kPitchWheel = 0xE,
  };

  IMidiMsg() = default;
  IMidiMsg(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2)
    : mOffset(offset), mStatus(status), mData1(data1), mData2(data2)
  {
  }

  int StatusKind() const { return mStatus >> 4; }
  int Channel() const { return mStatus & 0x0F; }
};

static_assert(sizeof(IMidiMsg) == 8, "IMidiMsg is an 8-byte record");

} // namespace plugin
