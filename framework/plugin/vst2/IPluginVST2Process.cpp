// IPluginVST2: chunks, incoming events, the process callbacks and the parameter callbacks.

#include "framework/plugin/vst2/IPluginVST2.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plugin
{

namespace
{
constexpr int32_t kChunkTag = 0x70666674;
constexpr int32_t kFrameworkVersion = 0x10000;

IPluginVST2* Instance(AEffect* pEffect)
{
  return pEffect ? static_cast<IPluginVST2*>(pEffect->object) : nullptr;
}
} // namespace

intptr_t IPluginVST2::GetChunk(int32_t idx, void* ptr)
{
  // [main thread] The data stays owned by the instance until the next chunk call.
  if (!ptr)
    return 0;
  const bool isBank = idx == 0;
  IByteChunk& chunk = isBank ? mBankState : mState;
  IByteChunk::InitChunkWithFrameworkVer(chunk);
  bool ok;
  if (isBank)
  {
    ModifyCurrentPreset();
    ok = SerializePresets(chunk);
  }
  else
  {
    ok = SerializeState(chunk);
  }
  if (!ok || chunk.Size() <= 0)
    return 0;
  *static_cast<void**>(ptr) = const_cast<uint8_t*>(chunk.Data());
  return chunk.Size();
}

intptr_t IPluginVST2::SetChunk(int32_t idx, intptr_t size, const void* ptr)
{
  // [main thread] Impossible sizes and null data are refused before anything is touched.
  if (!ptr || size <= 0 || size > kMaxChunkSize)
    return 0;
  const bool isBank = idx == 0;
  // Copied before anything is replaced: hosts duplicating a track hand back the very data that
  // the get-chunk call gave them, which lives in this instance's own chunk.
  IByteChunk chunk;
  chunk.AppendBytes(ptr, static_cast<int>(size));
  if (chunk.Size() != size)
    return 0;

  int pos = 0;
  int32_t word = 0;
  int32_t version = 0;
  if (chunk.ReadValue(word, 0) > 0 && word == kChunkTag)
  {
    if (chunk.ReadValue(version, 4) < 0)
      return 0; // the tag without a whole header: nothing to read
    pos = 8;
  }

  // The readers take a state or a bank whole or refuse it changing nothing, so a refusal needs
  // nothing put back; a bank applies its current program's sound once.
  if (isBank && pos == 8 && version >= kFrameworkVersion)
  {
    if (UnserializePresets(chunk, pos) < 0)
      return 0;
    OnRestoreState();
    return 1;
  }
  if (UnserializeState(chunk, pos) < 0)
    return 0;
  ModifyCurrentPreset();
  OnRestoreState();
  return 1;
}

intptr_t IPluginVST2::ProcessEvents(const Vst2Events* events)
{
  // [audio thread] No allocation, no locks.
  if (!events)
    return 0;
  Vst2Event* const* slots = events->events;
  for (int32_t i = 0; i < events->numEvents; i++)
  {
    const Vst2Event* event = slots[i];
    if (!event)
      continue;
    if (event->type == kVst2EventMidi)
    {
      const auto* midi = reinterpret_cast<const Vst2MidiEvent*>(event);
      const IMidiMsg msg(midi->deltaFrames, midi->midiData[0], midi->midiData[1],
                         midi->midiData[2]);
      ProcessMidiMsg(msg);
      mMidiMsgsFromProcessor.Push(msg);
    }
    else if (event->type == kVst2EventSysEx)
    {
      const auto* sysex = reinterpret_cast<const Vst2SysExEvent*>(event);
      const bool hasData = sysex->sysexDump && sysex->dumpBytes > 0;
      const ISysEx msg(sysex->deltaFrames, hasData ? sysex->sysexDump : nullptr,
                       hasData ? sysex->dumpBytes : 0);
      ProcessSysEx(msg);
    }
  }
  return 1;
}

void IPluginVST2::ReadTransport()
{
  ITransportInfo info;
  const auto* time =
    reinterpret_cast<const Vst2TimeInfo*>(HostCall(kVst2HostGetTime, 0, kVst2TimeRequestMask));
  if (time)
  {
    const int32_t flags = time->flags;
    if ((flags & kVst2TimePpqPosValid) && time->ppqPos >= 0.0)
      info.mPPQPos = time->ppqPos;
    if ((flags & kVst2TimeTempoValid) && time->tempo > 0.0)
      info.mTempo = time->tempo;
    if ((flags & kVst2TimeBarsValid) && time->barStartPos >= 0.0)
      info.mLastBar = time->barStartPos;
    if ((flags & kVst2TimeCyclePosValid) && time->cycleStartPos >= 0.0 && time->cycleEndPos >= 0.0)
    {
      info.mCycleStart = time->cycleStartPos;
      info.mCycleEnd = time->cycleEndPos;
    }
    if ((flags & kVst2TimeTimeSigValid) && time->timeSigNumerator > 0 &&
        time->timeSigDenominator > 0)
    {
      info.mNumerator = time->timeSigNumerator;
      info.mDenominator = time->timeSigDenominator;
    }
    info.mSamplePos = time->samplePos;
    info.mTransportIsRunning = (flags & kVst2TimeTransportPlaying) != 0;
    info.mTransportLoopEnabled = (flags & kVst2TimeCycleActive) != 0;
  }
  SetTransportInfo(info);
}

template <typename T>
void IPluginVST2::VSTPreProcess(int)
{
  if (DoesMIDIIn())
    HostCall(kVst2HostWantMidi);
  ReadTransport();
  SetRenderingOffline(HostCall(kVst2HostGetCurrentProcessLevel) == kVst2ProcessLevelOffline);
  IMidiMsg msg;
  while (mMidiMsgsFromEditor.Pop(msg))
    ProcessMidiMsg(msg);
}

void IPluginVST2::OutputSysexFromEditor()
{
  while (const SysExData* entry = mSysExDataFromEditor.Peek())
  {
    mSysexBuf = *entry;
    mSysExDataFromEditor.Advance();
    SendSysEx(ISysEx(mSysexBuf.mOffset, mSysexBuf.mData, mSysexBuf.mSize));
  }
}

// Renders a host call in pieces of at most the block size, so that no scratch buffer is ever
// overrun; each piece sees the host's channel pointers advanced to its first frame and the
// transport moved on to it.
template <typename T, typename Render>
void IPluginVST2::ProcessInPieces(T** inputs, T** outputs, int nFrames, Render render)
{
  // The host passes as many channel pointers as the record announces; the connected channels
  // (never more than that) take them in order.
  const int nIn = mAEffect.numInputs;
  const int nOut = mAEffect.numOutputs;
  // A host that passes no buffers (or a null channel) gets nothing rendered into it.
  if (nFrames <= 0 || (nIn > 0 && !inputs) || (nOut > 0 && !outputs))
    return;
  for (int c = 0; c < nIn; c++)
    if (!inputs[c])
      return;
  for (int c = 0; c < nOut; c++)
    if (!outputs[c])
      return;

  constexpr int kMaxChannelsOnStack = 64;
  if (nIn > kMaxChannelsOnStack || nOut > kMaxChannelsOnStack)
    return;
  T* in[kMaxChannelsOnStack];
  T* out[kMaxChannelsOnStack];
  const ITransportInfo first = GetTransportInfo();
  const int block = std::max(GetBlockSize(), 1);
  for (int done = 0; done < nFrames; done += block)
  {
    const int frames = std::min(block, nFrames - done);
    for (int c = 0; c < nIn; c++)
      in[c] = inputs[c] + done;
    for (int c = 0; c < nOut; c++)
      out[c] = outputs[c] + done;
    if (done > 0)
    {
      ITransportInfo info = first;
      if (info.mSamplePos >= 0.0)
        info.mSamplePos += done;
      if (info.mPPQPos >= 0.0)
        info.mPPQPos += done / GetSampleRate() * info.mTempo / 60.0;
      SetTransportInfo(info);
    }
    AttachBuffers(kInput, 0, MaxNChannels(kInput), nIn ? in : nullptr, frames);
    AttachBuffers(kOutput, 0, MaxNChannels(kOutput), nOut ? out : nullptr, frames);
    render(frames);
  }
}

// The body the three process callbacks share: take the host's events and transport, render in
// pieces with the callback's own render call, then pass on what the editor queued for the host.
template <typename T, typename Render>
void IPluginVST2::RunProcessCallback(AEffect* pEffect, T** inputs, T** outputs, int32_t nFrames,
                                     Render render)
{
  // [audio thread] No allocation, no locks, no waiting.
  try
  {
    IPluginVST2* plug = Instance(pEffect);
    if (!plug)
      return;
    plug->VSTPreProcess<T>(nFrames);
    plug->ProcessInPieces(inputs, outputs, nFrames,
                          [plug, render](int frames) { render(*plug, frames); });
    plug->OutputSysexFromEditor();
  }
  catch (...)
  {
  }
}

void IPluginVST2::VSTProcess(AEffect* pEffect, float** inputs, float** outputs, int32_t nFrames)
{
  // [audio thread] No allocation, no locks, no waiting.
  RunProcessCallback(pEffect, inputs, outputs, nFrames,
                     [](IPluginVST2& plug, int frames)
                     { plug.ProcessBuffersAccumulating(frames); });
}

void IPluginVST2::VSTProcessReplacing(AEffect* pEffect, float** inputs, float** outputs,
                                      int32_t nFrames)
{
  // [audio thread] No allocation, no locks, no waiting.
  RunProcessCallback(pEffect, inputs, outputs, nFrames,
                     [](IPluginVST2& plug, int frames) { plug.ProcessBuffers(0.0f, frames); });
}

void IPluginVST2::VSTProcessDoubleReplacing(AEffect* pEffect, double** inputs, double** outputs,
                                            int32_t nFrames)
{
  // [audio thread] No allocation, no locks, no waiting.
  RunProcessCallback(pEffect, inputs, outputs, nFrames,
                     [](IPluginVST2& plug, int frames) { plug.ProcessBuffers(0.0, frames); });
}

float IPluginVST2::VSTGetParameter(AEffect* pEffect, int32_t idx)
{
  // [any thread]
  try
  {
    IPluginVST2* plug = Instance(pEffect);
    const IParam* param = plug ? plug->GetParam(idx) : nullptr;
    return param ? static_cast<float>(param->GetNormalized()) : 0.0f;
  }
  catch (...)
  {
    return 0.0f;
  }
}

void IPluginVST2::VSTSetParameter(AEffect* pEffect, int32_t idx, float value)
{
  // [any thread] Usually the audio or automation thread: no allocation, no locks.
  try
  {
    IPluginVST2* plug = Instance(pEffect);
    IParam* param = plug ? plug->GetParam(idx) : nullptr;
    if (!param || std::isnan(value))
      return; // NaN is refused
    const double normalized = std::clamp(static_cast<double>(value), 0.0, 1.0);
    param->Set(param->FromNormalized(normalized));
    plug->SendParameterValueFromAPI(idx, normalized, true);
    plug->OnParamChange(idx, kHost, -1);
  }
  catch (...)
  {
  }
}

} // namespace plugin
