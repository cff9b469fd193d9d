#include "tools/VstHost.h"

#include <algorithm>
#include <cstring>
#include <dlfcn.h>

namespace host
{

namespace
{
// The instance being created: the plug-in may call back before its record is known.
thread_local HostedPlugin* sCreating = nullptr;
} // namespace

PluginModule::~PluginModule()
{
  Unload();
}

bool PluginModule::Load(const std::string& path, std::string& error)
{
  Unload();
  mHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mHandle)
  {
    const char* msg = dlerror();
    error = msg ? msg : "cannot load " + path;
    return false;
  }
  mEntry = reinterpret_cast<Vst2EntryProc>(dlsym(mHandle, "VSTPluginMain"));
  mLegacyMain = reinterpret_cast<Vst2EntryProc>(dlsym(mHandle, "main"));
  if (!mEntry && !mLegacyMain)
  {
    error = path + " exports neither VSTPluginMain nor main";
    Unload();
    return false;
  }
  return true;
}

void PluginModule::Unload()
{
  if (mHandle)
    dlclose(mHandle);
  mHandle = nullptr;
  mEntry = nullptr;
  mLegacyMain = nullptr;
}

Vst2Events* EventList::Build()
{
  const size_t header = offsetof(Vst2Events, events) / sizeof(intptr_t);
  mStorage.assign(header + std::max<size_t>(mEvents.size(), 2), 0);
  auto* list = reinterpret_cast<Vst2Events*>(mStorage.data());
  list->numEvents = static_cast<int32_t>(mEvents.size());
  Vst2Event** slots = list->events;
  for (size_t i = 0; i < mEvents.size(); i++)
    slots[i] = const_cast<Vst2Event*>(mEvents[i]);
  return list;
}

HostedPlugin::~HostedPlugin()
{
  Close();
}

bool HostedPlugin::Create(Vst2EntryProc entry)
{
  if (!entry || mEffect)
    return false;
  sCreating = this;
  AEffect* effect = entry(&HostedPlugin::HostCallback);
  sCreating = nullptr;
  if (!effect || effect->magic != kVst2Magic)
    return false;
  effect->user = this;
  mEffect = effect;
  std::memset(&mTimeInfo, 0, sizeof(mTimeInfo));
  mTimeInfo.sampleRate = mIdentity.sampleRate;
  mTimeInfo.tempo = 120.0;
  mTimeInfo.timeSigNumerator = 4;
  mTimeInfo.timeSigDenominator = 4;
  mTimeInfo.flags = kVst2TimePpqPosValid | kVst2TimeTempoValid | kVst2TimeBarsValid |
                    kVst2TimeTimeSigValid | kVst2TimeTransportPlaying;
  return true;
}

intptr_t HostedPlugin::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
  if (!mEffect)
    return 0;
  return mEffect->dispatcher(mEffect, opcode, index, value, ptr, opt);
}

void HostedPlugin::Start()
{
  Dispatch(kVst2EffOpen);
  Dispatch(kVst2EffSetSampleRate, 0, 0, nullptr, static_cast<float>(mIdentity.sampleRate));
  Dispatch(kVst2EffSetBlockSize, 0, mIdentity.blockSize);
  Dispatch(kVst2EffMainsChanged, 0, 1);
}

void HostedPlugin::Close()
{
  if (!mEffect)
    return;
  Dispatch(kVst2EffMainsChanged, 0, 0);
  Dispatch(kVst2EffClose);
  mEffect = nullptr;
}

namespace
{
std::string Terminated(const char* buffer, size_t size)
{
  return std::string(buffer, strnlen(buffer, size));
}
} // namespace

std::string HostedPlugin::EffectName()
{
  char buffer[kVst2MaxNameLen] = {};
  Dispatch(kVst2EffGetEffectName, 0, 0, buffer);
  return Terminated(buffer, sizeof(buffer));
}

std::string HostedPlugin::VendorString()
{
  char buffer[kVst2MaxNameLen] = {};
  Dispatch(kVst2EffGetVendorString, 0, 0, buffer);
  return Terminated(buffer, sizeof(buffer));
}

std::string HostedPlugin::ProductString()
{
  char buffer[kVst2MaxNameLen] = {};
  Dispatch(kVst2EffGetProductString, 0, 0, buffer);
  return Terminated(buffer, sizeof(buffer));
}

std::string HostedPlugin::ParamName(int index)
{
  char buffer[kVst2MaxParamStrLen] = {};
  Dispatch(kVst2EffGetParamName, index, 0, buffer);
  return Terminated(buffer, sizeof(buffer));
}

std::string HostedPlugin::ParamLabel(int index)
{
  char buffer[kVst2MaxParamStrLen] = {};
  Dispatch(kVst2EffGetParamLabel, index, 0, buffer);
  return Terminated(buffer, sizeof(buffer));
}

std::string HostedPlugin::ParamDisplay(int index)
{
  char buffer[kVst2MaxParamStrLen] = {};
  Dispatch(kVst2EffGetParamDisplay, index, 0, buffer);
  return Terminated(buffer, sizeof(buffer));
}

std::string HostedPlugin::ProgramName()
{
  char buffer[kVst2MaxProgNameLen] = {};
  Dispatch(kVst2EffGetProgramName, 0, 0, buffer);
  return Terminated(buffer, sizeof(buffer));
}

std::string HostedPlugin::ProgramNameIndexed(int index, intptr_t* answer)
{
  char buffer[kVst2MaxProgNameLen] = {};
  const intptr_t result = Dispatch(kVst2EffGetProgramNameIndexed, index, 0, buffer);
  if (answer)
    *answer = result;
  return Terminated(buffer, sizeof(buffer));
}

bool HostedPlugin::CanDo(const char* text, intptr_t* answer)
{
  const intptr_t result = Dispatch(kVst2EffCanDo, 0, 0, const_cast<char*>(text));
  if (answer)
    *answer = result;
  return result == 1;
}

intptr_t HostedPlugin::SendMidi(const std::vector<MidiIn>& messages)
{
  std::vector<Vst2MidiEvent> events(messages.size());
  EventList list;
  for (size_t i = 0; i < messages.size(); i++)
  {
    Vst2MidiEvent& e = events[i];
    e.type = kVst2EventMidi;
    e.byteSize = sizeof(Vst2MidiEvent);
    e.deltaFrames = messages[i].offset;
    std::memcpy(e.midiData, messages[i].bytes, 3);
    list.Add(reinterpret_cast<const Vst2Event*>(&e));
  }
  return Dispatch(kVst2EffProcessEvents, 0, 0, list.Build());
}

intptr_t HostedPlugin::SendSysEx(int32_t offset, const std::vector<uint8_t>& bytes)
{
  Vst2SysExEvent e{};
  e.type = kVst2EventSysEx;
  e.byteSize = sizeof(Vst2SysExEvent);
  e.deltaFrames = offset;
  e.dumpBytes = static_cast<int32_t>(bytes.size());
  e.sysexDump = const_cast<unsigned char*>(bytes.data());
  EventList list;
  list.Add(reinterpret_cast<const Vst2Event*>(&e));
  return Dispatch(kVst2EffProcessEvents, 0, 0, list.Build());
}

void HostedPlugin::ProcessFloat(float** inputs, float** outputs, int frames)
{
  if (mEffect && mEffect->processReplacing)
    mEffect->processReplacing(mEffect, inputs, outputs, frames);
}

void HostedPlugin::ProcessAccumulating(float** inputs, float** outputs, int frames)
{
  if (mEffect && mEffect->process)
    mEffect->process(mEffect, inputs, outputs, frames);
}

void HostedPlugin::ProcessDouble(double** inputs, double** outputs, int frames)
{
  if (mEffect && mEffect->processDoubleReplacing)
    mEffect->processDoubleReplacing(mEffect, inputs, outputs, frames);
}

void HostedPlugin::AdvanceTransport(int frames)
{
  mTimeInfo.samplePos += frames;
  if (mTimeInfo.sampleRate > 0.0)
    mTimeInfo.ppqPos += frames / mTimeInfo.sampleRate * mTimeInfo.tempo / 60.0;
  const double beatsPerBar = mTimeInfo.timeSigNumerator * 4.0 / mTimeInfo.timeSigDenominator;
  if (beatsPerBar > 0.0)
    mTimeInfo.barStartPos = beatsPerBar * static_cast<int64_t>(mTimeInfo.ppqPos / beatsPerBar);
}

std::vector<uint8_t> HostedPlugin::GetChunk(bool bank)
{
  void* data = nullptr;
  const intptr_t size = Dispatch(kVst2EffGetChunk, bank ? 0 : 1, 0, &data);
  if (size <= 0 || !data)
    return {};
  const auto* bytes = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(bytes, bytes + size);
}

bool HostedPlugin::SetChunk(const std::vector<uint8_t>& data, bool bank)
{
  return Dispatch(kVst2EffSetChunk, bank ? 0 : 1, static_cast<intptr_t>(data.size()),
                  const_cast<uint8_t*>(data.data())) == 1;
}

std::vector<HostCall> HostedPlugin::Calls() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mCalls;
}

std::vector<ReceivedEvent> HostedPlugin::Events() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mEvents;
}

int HostedPlugin::CountCalls(int32_t opcode) const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return static_cast<int>(std::count_if(
    mCalls.begin(), mCalls.end(), [opcode](const HostCall& c) { return c.opcode == opcode; }));
}

void HostedPlugin::ClearRecords()
{
  std::lock_guard<std::mutex> lock(mMutex);
  mCalls.clear();
  mEvents.clear();
}

intptr_t HostedPlugin::HostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                    void* ptr, float opt)
{
  HostedPlugin* self =
    effect && effect->user ? static_cast<HostedPlugin*>(effect->user) : sCreating;
  if (!self)
    return opcode == kVst2HostVersion ? kVst2InterfaceVersion : 0;
  return self->OnHostCall(opcode, index, value, ptr, opt);
}

void HostedPlugin::RecordEvents(const Vst2Events* events)
{
  Vst2Event* const* slots = events->events;
  for (int32_t i = 0; i < events->numEvents; i++)
  {
    const Vst2Event* e = slots[i];
    if (!e)
      continue;
    ReceivedEvent received;
    received.type = e->type;
    received.offset = e->deltaFrames;
    if (e->type == kVst2EventMidi)
    {
      const auto* midi = reinterpret_cast<const Vst2MidiEvent*>(e);
      received.bytes.assign(midi->midiData, midi->midiData + 3);
    }
    else if (e->type == kVst2EventSysEx)
    {
      const auto* sysex = reinterpret_cast<const Vst2SysExEvent*>(e);
      if (sysex->sysexDump && sysex->dumpBytes > 0)
        received.bytes.assign(sysex->sysexDump, sysex->sysexDump + sysex->dumpBytes);
    }
    mEvents.push_back(std::move(received));
  }
}

intptr_t HostedPlugin::OnHostCall(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mCalls.push_back({opcode, index, value, opt});
  switch (opcode)
  {
  case kVst2HostVersion:
    return kVst2InterfaceVersion;
  case kVst2HostGetTime:
    return mIdentity.answerTimeInfo ? reinterpret_cast<intptr_t>(&mTimeInfo) : 0;
  case kVst2HostProcessEvents:
    if (!ptr)
      return 0;
    RecordEvents(static_cast<const Vst2Events*>(ptr));
    return 1;
  case kVst2HostGetSampleRate:
    return static_cast<intptr_t>(mIdentity.sampleRate);
  case kVst2HostGetBlockSize:
    return mIdentity.blockSize;
  case kVst2HostGetCurrentProcessLevel:
    return mIdentity.processLevel;
  case kVst2HostGetVendorString:
    if (ptr)
      std::strncpy(static_cast<char*>(ptr), "Tessvold", kVst2MaxNameLen - 1);
    return ptr ? 1 : 0;
  case kVst2HostGetProductString:
    if (!ptr || mIdentity.productString.empty())
      return 0;
    std::strncpy(static_cast<char*>(ptr), mIdentity.productString.c_str(),
                 kVst2ProductStringLen - 1);
    static_cast<char*>(ptr)[kVst2ProductStringLen - 1] = '\0';
    return 1;
  case kVst2HostGetVendorVersion:
    return mIdentity.vendorVersion;
  case kVst2HostWantMidi:
  case kVst2HostIOChanged:
  case kVst2HostSizeWindow:
  case kVst2HostUpdateDisplay:
  case kVst2HostAutomate:
  case kVst2HostBeginEdit:
  case kVst2HostEndEdit:
    return 1;
  default:
    return 0;
  }
}

} // namespace host
