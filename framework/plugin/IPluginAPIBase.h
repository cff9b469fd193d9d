#pragma once
// The host-neutral layer between the plug-in base and a host binding. It owns:
//
// - five fixed-capacity rings between the audio thread and the editor (main thread):
//     parameter changes, processor -> editor: 512 ParamTuples; producers are the host's
//       parameter writes (audio or automation thread) and the values the host has the
//       plug-in parse from text (main thread), so this ring takes any number of producers; what it
//       holds is dropped when the editor opens and when a state is restored, since the editor
//       then shows every parameter's current value and the queued values may be older;
//     MIDI, editor -> processor and processor -> editor: 32 messages each;
//     system-exclusive, editor -> processor and processor -> editor: 4 messages of at most
//       512 bytes each;
//   a push into a full ring drops the new element, nothing waits; except that MIDI from the
//   editor (notes of the on-screen keyboard, wheel moves) is never dropped silently: what finds
//   the ring full waits, in order, in a main-thread queue that every later message and the idle
//   timer flush into the ring first (see DeferMidiMsg);
// - the 20 ms idle timer that drains the processor -> editor rings on the main thread. It runs
//   only while the instance is whole: the binding starts it once the most derived constructor has
//   finished and stops it (closing the editor too) before any destructor runs, since a timer
//   that fired in between would call hooks of an object that is not, or no longer, built;
// - the roads by which an editor edit reaches the host and the instrument;
// - the identification of the host by its product name.

#include "framework/core/IPluginTimer.h"
#include "framework/core/ParamTuple.h"
#include "framework/plugin/IPluginBase.h"
#include "framework/plugin/MpscRing.h"
#include "framework/plugin/SpscRing.h"

#include <deque>
#include <memory>
#include <vector>

namespace plugin
{

class IPluginAPIBase : public IPluginBase
{
public:
  static constexpr int kParamRingSlots = 513;
  static constexpr int kMidiRingSlots = 33;
  static constexpr size_t kMaxPendingMidi = 1024;
  static constexpr int kSysExRingSlots = 5;
  static constexpr uint32_t kIdleTimerMs = 20;

  IPluginAPIBase(const Config& config, EAPI plugAPI);
  ~IPluginAPIBase() override;

  // Editor-delegate operations that cross threads or reach the host. [main thread]
  void DirtyParametersFromUI() override;
  void BeginInformHostOfParamChangeFromUI(int paramIdx) override;
  void SendParameterValueFromUI(int paramIdx, double normalizedValue) override;
  void EndInformHostOfParamChangeFromUI(int paramIdx) override;
  bool EditorResizeFromUI(int viewWidth, int viewHeight, bool needsPlatformResize) override;
  void SendMidiMsgFromUI(const IMidiMsg& msg) override;
  void SendSysexMsgFromUI(const ISysEx& msg) override;
  void SendArbitraryMsgFromUI(int msgTag, int ctrlTag = -1, int dataSize = 0,
                              const void* pData = nullptr) override;
  // Queues editor MIDI for the processor, in order: into the ring, or, while the ring is full
  // (the host has not processed a block for a while), into the pending queue that the next
  // call and the idle timer flush. A control change or pitch bend replaces a pending message of
  // the same kind right before it (only the latest position matters); beyond kMaxPendingMidi
  // pending messages a new one is refused and counted in DroppedMidiFromEditor().
  void DeferMidiMsg(const IMidiMsg& msg) override;
  // Refuses (drops) a message over 512 bytes.
  void DeferSysexMsg(const ISysEx& msg) override;

  // Operations added here, in this order.
  virtual bool CompareState(const uint8_t* pIncomingState, int startPos) const;
  virtual bool OnHostRequestingAboutBox() { return false; }
  virtual bool OnHostRequestingProductHelp() { return false; }
  virtual void OnHostIdentified() {}
  virtual void OnHostRequestingImportantParameters(int count, std::vector<int>& results);
  virtual bool OnHostRequestingSupportedViewConfiguration(int width, int height)
  {
    return width + height == 0;
  }
  virtual void OnHostSelectedViewConfiguration(int, int) {}
  virtual bool GetMidiNoteText(int noteNumber, char* text) const;
  virtual void* GetAAXViewInterface() { return nullptr; }
  // [main thread] Called every 20 ms by the idle timer, after the rings are drained.
  virtual void OnIdle() {}
  virtual void GetTrackColor(int& r, int& g, int& b) { r = g = b = 0; }
  virtual void GetTrackName(Util_String&) {}
  virtual int GetTrackIndex() { return 0; }
  virtual void GetTrackNamespace(Util_String&) {}
  virtual int GetTrackNamespaceIndex() { return 0; }
  // [any thread] Queues a value for the editor (normalized: mapped and constrained first).
  virtual void SendParameterValueFromAPI(int paramIdx, double value, bool normalized);
  virtual void HostSpecificInit() {}
  virtual bool EditorResize(int, int) { return false; }
  virtual void BeginInformHostOfParamChange(int) {}
  virtual void EndInformHostOfParamChange(int) {}
  virtual void InformHostOfParamChange(int, double) {}
  virtual void TransmitMidiMsgFromProcessor(const IMidiMsg&) {}
  virtual void TransmitSysExDataFromProcessor(const SysExData&) {}

  // Stores the host's name and packed version and identifies it (see the table in the .cpp).
  void SetHost(const char* host, int version);
  // [main thread] The editor road: store, tell the host, tell the instrument.
  void SetParameterValue(int paramIdx, double normalizedValue);
  // [main thread] Starts the idle timer, owned by this instance (TimerOwner()).
  void CreateTimer();
  // [main thread] Stops the idle timer; nothing fires for this instance afterwards.
  void StopTimer();
  // [main thread] The first step of deleting an instance, taken while every member of the most
  // derived class still lives: stops the idle timer and closes an open editor (so the
  // instrument's own editor-close hook runs and its controls go before what they show).
  void PrepareForDeletion();
  // [main thread] Drains the rings towards the editor, then calls OnIdle.
  void OnTimer(Timer& timer);
  // The owner of this instance's timers: its idle calls pump these and no others.
  const void* TimerOwner() const { return static_cast<const IPluginAPIBase*>(this); }
  // [main thread] Opens the editor; timers it starts (the redraw timer) are this instance's.
  // What the parameter ring holds for the editor is dropped first: the opening editor shows
  // every parameter's current value, and values queued before it (host writes with no editor
  // to drain them, the ring perhaps full) must not follow over newer ones.
  void* OpenWindow(void* pParent) override;
  // [main thread] After a restored state or program: the ring's values are older than the
  // state, so they are dropped before the editor shows the restored values.
  void OnRestoreState() override;
  // [main thread: the ring's one consumer, as the idle timer] Drops the parameter changes queued
  // for the editor; producers may go on pushing meanwhile: what they push afterwards is newer
  // and stays.
  void DropQueuedParamChanges();

  // [main thread] Moves pending editor MIDI into the ring while it has room.
  void FlushPendingMidi();
  int NPendingMidiFromEditor() const { return static_cast<int>(mPendingMidiFromEditor.size()); }
  int DroppedMidiFromEditor() const { return mDroppedMidiFromEditor; }

  // Host identifier for a product name (0 when no name matches).
  static int LookUpHost(const char* name);

protected:
  Util_String mParamDisplayStr;
  std::unique_ptr<Timer> mTimer;
  MpscRing<ParamTuple> mParamChangeFromProcessor{kParamRingSlots};
  SpscRing<IMidiMsg> mMidiMsgsFromEditor{kMidiRingSlots};
  SpscRing<IMidiMsg> mMidiMsgsFromProcessor{kMidiRingSlots};
  std::deque<IMidiMsg> mPendingMidiFromEditor; // main thread only, oldest first
  int mDroppedMidiFromEditor = 0;
  SpscRing<SysExData> mSysExDataFromEditor{kSysExRingSlots};
  SpscRing<SysExData> mSysExDataFromProcessor{kSysExRingSlots};
  SysExData mSysexBuf; // scratch for the audio thread's system-exclusive output
};

} // namespace plugin
