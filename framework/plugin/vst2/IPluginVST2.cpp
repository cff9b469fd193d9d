// IPluginVST2: construction, the effect record and the calls back to the host.

#include "framework/plugin/vst2/IPluginVST2.h"

#include <cstring>

namespace plugin
{

namespace
{
int32_t SpeakerArrangementType(int nChannels)
{
  switch (nChannels)
  {
  case 0:
    return kVst2SpeakerArrEmpty;
  case 1:
    return kVst2SpeakerArrMono;
  case 2:
    return kVst2SpeakerArrStereo;
  default:
    return kVst2SpeakerArrUserDefined;
  }
}
} // namespace

IPluginVST2::IPluginVST2(const InstanceInfo& info, const Config& config)
  : IPluginAPIBase(config, kAPIVST2), IPluginProcessor(config, kAPIVST2),
    mHostCallback(Vst2HostCallbackOf(info))
{
  const int nInputs = MaxNChannels(kInput);
  const int nOutputs = MaxNChannels(kOutput);

  std::memset(&mAEffect, 0, sizeof(mAEffect));
  mAEffect.object = this;
  mAEffect.magic = kVst2Magic;
  mAEffect.dispatcher = VSTDispatcher;
  mAEffect.getParameter = VSTGetParameter;
  mAEffect.setParameter = VSTSetParameter;
  mAEffect.numPrograms = config.nPresets;
  mAEffect.numParams = config.nParams;
  mAEffect.numInputs = nInputs;
  mAEffect.numOutputs = nOutputs;
  mAEffect.uniqueID = config.uniqueID;
  mAEffect.version = GetPluginVersion(true);
  mAEffect.ioRatio = 1.0f;
  mAEffect.process = VSTProcess;
  mAEffect.processReplacing = VSTProcessReplacing;
  mAEffect.processDoubleReplacing = VSTProcessDoubleReplacing;
  mAEffect.initialDelay = config.latency;
  mAEffect.flags = kVst2FlagCanReplacing | kVst2FlagCanDoubleReplacing;
  if (config.plugHasStateChunks)
    mAEffect.flags |= kVst2FlagProgramChunks;
  if (LegalIO(1, -1))
    mAEffect.flags |= kVst2FlagCanMono;
  if (config.plugType == kPlugTypeInstrument)
    mAEffect.flags |= kVst2FlagIsSynth;

  mInputSpkrArr.numChannels = nInputs;
  mInputSpkrArr.type = SpeakerArrangementType(nInputs);
  mOutputSpkrArr.numChannels = nOutputs;
  mOutputSpkrArr.type = SpeakerArrangementType(nOutputs);

  SetChannelConnections(kInput, 0, nInputs, true);
  SetChannelConnections(kOutput, 0, nOutputs, true);
  SetBlockSize(kDefaultBlockSize);

  if (config.plugHasUI)
  {
    mAEffect.flags |= kVst2FlagHasEditor;
    SetEditorRect();
  }
  // The idle timer starts once the whole instance is built (see the entry).
}

IPluginVST2::~IPluginVST2() = default;

void IPluginVST2::SetEditorRect()
{
  mEditorRect.top = 0;
  mEditorRect.left = 0;
  mEditorRect.bottom = static_cast<int16_t>(GetEditorHeight());
  mEditorRect.right = static_cast<int16_t>(GetEditorWidth());
}

intptr_t IPluginVST2::HostCall(int32_t opcode, int32_t idx, intptr_t value, void* ptr,
                               float opt) const
{
  if (!mHostCallback)
    return 0;
  return mHostCallback(const_cast<AEffect*>(&mAEffect), opcode, idx, value, ptr, opt);
}

void IPluginVST2::InformHostOfPresetChange()
{
  HostCall(kVst2HostUpdateDisplay);
}

void IPluginVST2::HostSpecificInit()
{
  switch (GetHost())
  {
  case 15: // forte
  case 17: // audition
  case 18: // orion
  case 20: // sawstudio
    LimitToStereoIO();
    break;
  default:
    break;
  }
  mInputSpkrArr.numChannels = NChannelsConnected(kInput);
  mOutputSpkrArr.numChannels = NChannelsConnected(kOutput);
  mAEffect.numInputs = mInputSpkrArr.numChannels;
  mAEffect.numOutputs = mOutputSpkrArr.numChannels;
}

bool IPluginVST2::EditorResize(int viewWidth, int viewHeight)
{
  if (!HasUI() || (viewWidth == GetEditorWidth() && viewHeight == GetEditorHeight()))
    return false;
  SetEditorSize(viewWidth, viewHeight);
  SetEditorRect();
  return HostCall(kVst2HostSizeWindow, viewWidth, viewHeight) != 0;
}

void IPluginVST2::BeginInformHostOfParamChange(int idx)
{
  HostCall(kVst2HostBeginEdit, idx);
}

void IPluginVST2::EndInformHostOfParamChange(int idx)
{
  HostCall(kVst2HostEndEdit, idx);
}

void IPluginVST2::InformHostOfParamChange(int idx, double normalizedValue)
{
  HostCall(kVst2HostAutomate, idx, 0, nullptr, static_cast<float>(normalizedValue));
}

void IPluginVST2::SetLatency(int latency)
{
  mAEffect.initialDelay = latency;
  IPluginProcessor::SetLatency(latency);
  HostCall(kVst2HostIOChanged);
}

bool IPluginVST2::SendVSTEvent(Vst2Event& event)
{
  Vst2Events events{};
  events.numEvents = 1;
  events.events[0] = &event;
  return HostCall(kVst2HostProcessEvents, 0, 0, &events) == 1;
}

bool IPluginVST2::SendMidiMsg(const IMidiMsg& msg)
{
  Vst2MidiEvent event{};
  event.type = kVst2EventMidi;
  event.byteSize = sizeof(Vst2MidiEvent);
  event.deltaFrames = msg.mOffset;
  event.midiData[0] = msg.mStatus;
  event.midiData[1] = msg.mData1;
  event.midiData[2] = msg.mData2;
  return SendVSTEvent(reinterpret_cast<Vst2Event&>(event));
}

bool IPluginVST2::SendSysEx(const ISysEx& msg)
{
  Vst2SysExEvent event{};
  event.type = kVst2EventSysEx;
  event.byteSize = sizeof(Vst2SysExEvent);
  event.deltaFrames = msg.mOffset;
  event.dumpBytes = msg.mSize;
  event.sysexDump = const_cast<unsigned char*>(msg.mData);
  return SendVSTEvent(reinterpret_cast<Vst2Event&>(event));
}

intptr_t IPluginVST2::VSTVendorSpecific(int32_t, intptr_t, void*, float)
{
  return 0;
}

intptr_t IPluginVST2::VSTCanDo(const char*)
{
  return 0;
}

void IPluginVST2::CopyToHost(void* dst, const char* src, int bufferSize)
{
  if (!dst || bufferSize < 1)
    return;
  const size_t n = src ? strnlen(src, static_cast<size_t>(bufferSize - 1)) : 0;
  std::memcpy(dst, src ? src : "", n);
  static_cast<char*>(dst)[n] = '\0';
}

int IPluginVST2::VSTKeyCodeToVK(int code, int ch)
{
  if (code == 0 || code == 57)
  {
    if ((ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z'))
      return ch;
    if (ch >= 'a' && ch <= 'z')
      return ch - 32;
    return 0;
  }
  if (code >= 24 && code <= 33)
    return 96 + (code - 24); // numeric pad 0..9
  if (code >= 34 && code <= 39)
    return 106 + (code - 34); // pad multiply, add, separator, subtract, decimal, divide
  if (code >= 40 && code <= 51)
    return 112 + (code - 40); // function keys 1..12
  if (code >= 11 && code <= 14)
    return 37 + (code - 11); // left, up, right, down
  switch (code)
  {
  case 1:
    return 8; // backspace
  case 2:
    return 9; // tab
  case 3:
    return 12; // clear
  case 4:
  case 19:
    return 13; // return, enter
  case 5:
    return 19; // pause
  case 6:
    return 27; // escape
  case 7:
    return 32; // space
  case 8:
  case 16:
    return 34; // next page
  case 9:
    return 35; // end
  case 10:
    return 36; // home
  case 15:
    return 33; // previous page
  case 17:
    return 41; // select
  case 18:
    return 42; // print
  case 20:
    return 44; // snapshot
  case 21:
    return 45; // insert
  case 22:
    return 46; // delete
  case 23:
    return 47; // help
  case 52:
    return 144; // num lock
  case 53:
    return 145; // scroll lock
  case 54:
    return 16; // shift
  case 55:
    return 17; // control
  case 56:
    return 18; // alt
  default:
    return 0;
  }
}

} // namespace plugin
