#pragma once
// The VST2 binding: fills the effect record from the Config, answers the dispatcher, runs the
// process and parameter callbacks, and makes every call back to the host.
//
// The binding translates and only translates: each C entry point converts its arguments, calls
// the plug-in core, and catches every exception (nothing crosses into the host). Threads: the
// dispatcher runs on the host's GUI thread except the process-events opcode (audio thread); the
// process callbacks run on the audio thread and never allocate, lock or wait; the parameter
// callbacks run on whichever thread the host uses.
//
// Host mistakes are refused, never followed: null pointers, impossible sizes, NaN values,
// sample rates outside 8 kHz .. 768 kHz, block sizes below 1, and blocks longer than the block
// size (rendered in pieces of at most the block size).

#include "framework/plugin/IPluginAPIBase.h"
#include "framework/plugin/IPluginProcessor.h"
#include "framework/plugin/vst2/Vst2Abi.h"

namespace plugin
{

// The VST2 host callback into and out of the plug-in core's format-neutral InstanceInfo.
inline InstanceInfo Vst2InstanceInfo(Vst2HostCallback hostCallback)
{
  InstanceInfo info;
  info.mHostCallback = reinterpret_cast<HostCallbackPtr>(hostCallback);
  return info;
}
inline Vst2HostCallback Vst2HostCallbackOf(const InstanceInfo& info)
{
  return reinterpret_cast<Vst2HostCallback>(info.mHostCallback);
}

class IPluginVST2 : public IPluginAPIBase, public IPluginProcessor
{
public:
  static constexpr double kMinSampleRate = 8000.0;
  static constexpr double kMaxSampleRate = 768000.0;
  static constexpr int kMaxBlockSize = 1 << 20;               // frames; larger is refused
  static constexpr intptr_t kMaxChunkSize = 64 * 1024 * 1024; // bytes; larger is refused
  static constexpr int kDefaultBlockSize = 512;

  IPluginVST2(const InstanceInfo& info, const Config& config);
  ~IPluginVST2() override;

  AEffect& GetAEffect() { return mAEffect; }

  // Host notifications. [main thread unless noted]
  void InformHostOfPresetChange() override;
  void HostSpecificInit() override;
  bool EditorResize(int viewWidth, int viewHeight) override;
  void BeginInformHostOfParamChange(int idx) override;
  void EndInformHostOfParamChange(int idx) override;
  // [any thread]
  void InformHostOfParamChange(int idx, double normalizedValue) override;

  // Added operations, in this order.
  void SetLatency(int latency) override;
  // [audio thread] No allocation: the event lives on the stack for the call.
  bool SendMidiMsg(const IMidiMsg& msg) override;
  bool SendSysEx(const ISysEx& msg) override;
  // Hooks for host extensions and capabilities the dispatcher does not know (answer 0).
  virtual intptr_t VSTVendorSpecific(int32_t idx, intptr_t value, void* ptr, float opt);
  virtual intptr_t VSTCanDo(const char* hostString);

  bool SendVSTEvent(Vst2Event& event);

  // The C entry points stored in the record.
  static intptr_t VSTDispatcher(AEffect* pEffect, int32_t opCode, int32_t idx, intptr_t value,
                                void* ptr, float opt);
  static void VSTProcess(AEffect* pEffect, float** inputs, float** outputs, int32_t nFrames);
  static void VSTProcessReplacing(AEffect* pEffect, float** inputs, float** outputs,
                                  int32_t nFrames);
  static void VSTProcessDoubleReplacing(AEffect* pEffect, double** inputs, double** outputs,
                                        int32_t nFrames);
  static float VSTGetParameter(AEffect* pEffect, int32_t idx);
  static void VSTSetParameter(AEffect* pEffect, int32_t idx, float value);

  // VST2 key code (and typed character) to a virtual key code of the Windows numbering.
  static int VSTKeyCodeToVK(int code, int ch);

  // Copies at most bufferSize - 1 characters and a terminator.
  static void CopyToHost(void* dst, const char* src, int bufferSize);

private:
  intptr_t HostCall(int32_t opcode, int32_t idx = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.0f) const;

  // Dispatcher handlers, one per opcode family.
  intptr_t DispatchLifecycle(int32_t opCode, intptr_t value, float opt);
  intptr_t DispatchProgram(int32_t opCode, int32_t idx, intptr_t value, void* ptr);
  intptr_t DispatchParameter(int32_t opCode, int32_t idx, void* ptr);
  intptr_t DispatchEditor(int32_t opCode, int32_t idx, intptr_t value, void* ptr, float opt);
  intptr_t DispatchInfo(int32_t opCode, int32_t idx, intptr_t value, void* ptr);
  intptr_t GetChunk(int32_t idx, void* ptr);
  intptr_t SetChunk(int32_t idx, intptr_t size, const void* ptr);
  intptr_t ProcessEvents(const Vst2Events* events);
  intptr_t VendorSpecific(int32_t idx, intptr_t value, void* ptr, float opt);
  intptr_t CanDo(const char* text);
  intptr_t PinProperties(ERoute direction, int32_t idx, void* ptr);
  intptr_t SetSpeakerArrangement(const Vst2SpeakerArrangement* in,
                                 const Vst2SpeakerArrangement* out);
  void OpenInstance();

  // Processing.
  template <typename T>
  void VSTPreProcess(int nFrames);
  void ReadTransport();
  void OutputSysexFromEditor();
  template <typename T, typename Render>
  void ProcessInPieces(T** inputs, T** outputs, int nFrames, Render render);
  template <typename T, typename Render>
  static void RunProcessCallback(AEffect* pEffect, T** inputs, T** outputs, int32_t nFrames,
                                 Render render);

  void SetEditorRect();

  Vst2Rect mEditorRect{};
  Vst2SpeakerArrangement mInputSpkrArr{};
  Vst2SpeakerArrangement mOutputSpkrArr{};
  int mHasVSTExtensions = 0; // 1 "hasCockosExtensions" asked, 2 "hasCockosViewAsConfig" asked
  IByteChunk mState;
  IByteChunk mBankState;
  AEffect mAEffect{};
  Vst2HostCallback mHostCallback = nullptr;
};

// Made by the plug-in's factory (one per plug-in .so), under a process-wide lock.
IPluginVST2* MakePlug(const InstanceInfo& info);

} // namespace plugin
