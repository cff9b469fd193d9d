#pragma once
// The plug-in's fixed description, compiled into it and passed by value to the base
// constructors, and what a new instance receives from the host.

#include <cstdint>

namespace plugin
{

// Plug-in kinds (`Config::plugType`).
enum EPlugType
{
  kPlugTypeEffect = 0,
  kPlugTypeInstrument = 1,
  kPlugTypeMIDIEffect = 2,
};

// Plug-in formats (`IPluginBase::GetAPI`).
enum EAPI
{
  kAPIVST2 = 0,
  kAPIVST3 = 1,
  kAPIAU = 2,
  kAPIAUv3 = 3,
  kAPIAAX = 4,
  kAPIAPP = 5,
  kAPIWAM = 6,
  kAPIWEB = 7,
  kAPICLAP = 8,
};

// Four-character code as a big-endian 32-bit number ('Plmr' -> 0x506C6D72).
constexpr int32_t FourCharCode(const char (&code)[5])
{
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint8_t>(code[0])) << 24 |
                              static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 16 |
                              static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 8 |
                              static_cast<uint32_t>(static_cast<uint8_t>(code[3])));
}

// Fields in the order they are given.
struct Config
{
  int nParams = 0;
  int nPresets = 1;
  const char* channelIOStr = "0-2"; // configurations "in-out" separated by blanks, buses by "."
  const char* pluginName = "";
  const char* productName = "";
  const char* mfrName = "";
  int vendorVersion = 0x00010000; // major << 16 | minor << 8 | patch
  int uniqueID = 0;
  int mfrID = 0;
  int latency = 0; // samples
  bool plugDoesMidiIn = false;
  bool plugDoesMidiOut = false;
  bool plugDoesMPE = false;
  bool plugHasStateChunks = false;
  int plugType = kPlugTypeEffect;
  bool plugHasUI = false;
  int plugWidth = 0;
  int plugHeight = 0;
  int plugMinWidth = 0;
  int plugMaxWidth = 0;
  int plugMinHeight = 0;
  int plugMaxHeight = 0;
  bool plugHostResize = false;
  const char* bundleID = "";
  const char* appGroupID = "";
};

// A host's callback as the plug-in core carries it: the address of a function whose signature
// only the format binding that stored it knows. The binding converts it back to its own callback
// type before calling (a function address survives the round trip through another
// function-pointer type unchanged).
using HostCallbackPtr = void (*)();

// What a new instance receives from the host: its host callback (for the VST2 binding, built by
// Vst2InstanceInfo).
struct InstanceInfo
{
  HostCallbackPtr mHostCallback = nullptr;
};

} // namespace plugin
