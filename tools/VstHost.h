#pragma once
// A small VST2 host of our own: loads a plug-in .so, creates instances through its entry
// function, drives them through the dispatcher and the process callbacks, and records every call
// the plug-in makes back to the host (so tests can check what it asked for).
//
// Single-process, single-instance-per-object; the host callback is safe to call from any thread
// (it records under a mutex).

#include "framework/plugin/vst2/Vst2Abi.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace host
{

// A loaded plug-in module (dlopen handle and its entry functions).
class PluginModule
{
public:
  PluginModule() = default;
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  bool Load(const std::string& path, std::string& error);
  void Unload();

  // VSTPluginMain, or main when the module has only the legacy entry.
  Vst2EntryProc Entry() const { return mEntry ? mEntry : mLegacyMain; }
  Vst2EntryProc LegacyMain() const { return mLegacyMain; }
  Vst2EntryProc PluginMain() const { return mEntry; }

private:
  void* mHandle = nullptr;
  Vst2EntryProc mEntry = nullptr;
  Vst2EntryProc mLegacyMain = nullptr;
};

// One call the plug-in made through the host callback.
struct HostCall
{
  int32_t opcode = 0;
  int32_t index = 0;
  intptr_t value = 0;
  float opt = 0.0f;
};

// One event the plug-in sent to the host (MIDI or system-exclusive output).
struct ReceivedEvent
{
  int32_t type = 0;
  int32_t offset = 0;
  std::vector<uint8_t> bytes;
};

// What this host says about itself and how it answers.
struct HostIdentity
{
  std::string productString = "Pelmora Host";
  intptr_t vendorVersion = 10000; // decimal, 1.0.0
  intptr_t processLevel = 2;      // 2 real time, 4 offline
  bool answerTimeInfo = true;     // false: the get-time call answers null
  double sampleRate = 48000.0;
  int blockSize = 512;
};

// A MIDI message to hand to the plug-in before a block.
struct MidiIn
{
  int32_t offset = 0;
  uint8_t bytes[3] = {};
};

class HostedPlugin
{
public:
  HostedPlugin() = default;
  ~HostedPlugin();
  HostedPlugin(const HostedPlugin&) = delete;
  HostedPlugin& operator=(const HostedPlugin&) = delete;

  // Calls the entry function with this host's callback. False when the entry answered null or a
  // record without the right magic.
  bool Create(Vst2EntryProc entry);
  AEffect* Effect() const { return mEffect; }

  HostIdentity& Identity() { return mIdentity; }
  Vst2TimeInfo& TimeInfo() { return mTimeInfo; }

  intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.0f);

  // Open, then sample rate and block size from the identity, then resume.
  void Start();
  // Suspend and close; the record is gone afterwards.
  void Close();

  // Strings through the dispatcher, each into a buffer of the size hosts give.
  std::string EffectName();
  std::string VendorString();
  std::string ProductString();
  std::string ParamName(int index);
  std::string ParamLabel(int index);
  std::string ParamDisplay(int index);
  std::string ProgramName();
  std::string ProgramNameIndexed(int index, intptr_t* answer = nullptr);
  bool CanDo(const char* text, intptr_t* answer = nullptr);

  // Events and processing. SendMidi hands the messages over with the process-events opcode.
  intptr_t SendMidi(const std::vector<MidiIn>& messages);
  intptr_t SendSysEx(int32_t offset, const std::vector<uint8_t>& bytes);
  void ProcessFloat(float** inputs, float** outputs, int frames);
  void ProcessAccumulating(float** inputs, float** outputs, int frames);
  void ProcessDouble(double** inputs, double** outputs, int frames);
  // Moves the transport on by frames (sample position and quarter-note position).
  void AdvanceTransport(int frames);

  // Chunks: index 0 the bank, 1 the current program.
  std::vector<uint8_t> GetChunk(bool bank);
  bool SetChunk(const std::vector<uint8_t>& data, bool bank);

  // The record of what the plug-in asked.
  std::vector<HostCall> Calls() const;
  std::vector<ReceivedEvent> Events() const;
  int CountCalls(int32_t opcode) const;
  void ClearRecords();

  static intptr_t HostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                               void* ptr, float opt);

private:
  intptr_t OnHostCall(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
  void RecordEvents(const Vst2Events* events);

  AEffect* mEffect = nullptr;
  HostIdentity mIdentity;
  Vst2TimeInfo mTimeInfo{};
  mutable std::mutex mMutex;
  std::vector<HostCall> mCalls;
  std::vector<ReceivedEvent> mEvents;
};

// Process-events list of any length, laid out as the interface wants it.
class EventList
{
public:
  void Add(const Vst2Event* event) { mEvents.push_back(event); }
  Vst2Events* Build();

private:
  std::vector<const Vst2Event*> mEvents;
  std::vector<intptr_t> mStorage;
};

} // namespace host
