#pragma once
// The audio side of the plug-in object: I/O configurations parsed from the channel-I/O string,
// one channel record per input and output channel, buffer attachment (single-precision host
// buffers are converted to the double precision the plug-in renders in), block processing, and
// sample rate, block size, latency, tail, offline flag and transport.
//
// Channel-I/O string: configurations separated by blanks, each "inputs-outputs"; each side lists
// its buses separated by "." as channel counts ("*" any count, stored as -64). "0-2" is one
// configuration: no input bus, one stereo output bus.
//
// Processing (AttachBuffers, ProcessBuffers...) runs on the audio thread and never allocates;
// SetBlockSize, which sizes the scratch buffers, runs on the host's main thread while the host is
// not processing.

#include "framework/core/IMidiMsg.h"
#include "framework/core/ISysEx.h"
#include "framework/plugin/Config.h"
#include "framework/plugin/ITransportInfo.h"
#include "framework/util/UtilString.h"

#include <memory>
#include <vector>

namespace plugin
{

enum ERoute
{
  kInput = 0,
  kOutput = 1,
};

constexpr int kWildcardChannels = -64; // "*" in a channel-I/O string

struct IBusInfo
{
  ERoute mDirection = kInput;
  int mNChans = 0;
};

struct IOConfig
{
  std::vector<IBusInfo> mBuses[2]; // by ERoute
  int mTotalChannels[2] = {0, 0};  // sum of the bus counts, zero-count parts included

  int NBuses(ERoute dir) const { return static_cast<int>(mBuses[dir].size()); }
  int NChansOnBus(ERoute dir, int busIdx) const
  {
    return busIdx >= 0 && busIdx < NBuses(dir) ? mBuses[dir][static_cast<size_t>(busIdx)].mNChans
                                               : 0;
  }
};

struct IChannelData
{
  bool mConnected = false;
  double** mData = nullptr;       // this channel's slot in the channel pointer array
  float* mIncomingData = nullptr; // single-precision output: where converted samples go
  std::vector<double> mScratchBuf;
  Util_String mLabel;
};

class IPluginProcessor
{
public:
  IPluginProcessor(const Config& config, EAPI plugAPI);
  virtual ~IPluginProcessor();

  IPluginProcessor(const IPluginProcessor&) = delete;
  IPluginProcessor& operator=(const IPluginProcessor&) = delete;

  // Hooks, in this order.
  // [audio thread] Default: copies input i to output i, zeroes the other outputs.
  virtual void ProcessBlock(double** inputs, double** outputs, int nFrames);
  // [audio thread] Default: MIDI thru (SendMidiMsg).
  virtual void ProcessMidiMsg(const IMidiMsg& msg);
  virtual void ProcessSysEx(const ISysEx& msg);
  virtual void OnReset();
  virtual void OnActivate(bool active);
  virtual bool SendMidiMsg(const IMidiMsg& msg) = 0;
  virtual bool SendMidiMsgs(const std::vector<IMidiMsg>& msgs);
  virtual bool SendSysEx(const ISysEx& msg);
  virtual void GetBusName(ERoute direction, int busIdx, int nBuses, Util_String& str) const;
  virtual void SetLatency(int latency);
  virtual void SetTailSize(int tailSize);

  // Channel-I/O string parsing; answers the number of configurations.
  static int ParseChannelIOStr(const char* IOStr, std::vector<IOConfig>& configs,
                               int& totalNInChans, int& totalNOutChans, int& totalNInBuses,
                               int& totalNOutBuses);
  bool LegalIO(int nIn, int nOut) const;
  int MaxNBuses(ERoute direction, int* pConfigIdxWithTheMostBuses = nullptr) const;
  int MaxNChannelsForBus(ERoute direction, int busIdx) const;
  int GetIOConfigWithChanCounts(const std::vector<int>& inputBuses,
                                const std::vector<int>& outputBuses) const;
  int NIOConfigs() const { return static_cast<int>(mIOConfigs.size()); }
  const IOConfig* GetIOConfig(int idx) const;

  int MaxNChannels(ERoute direction) const
  {
    return static_cast<int>(mChannelData[direction].size());
  }
  int NChannelsConnected(ERoute direction) const;
  bool IsChannelConnected(ERoute direction, int chIdx) const;
  void SetChannelConnections(ERoute direction, int idx, int n, bool connected);
  void LimitToStereoIO();
  void SetChannelLabel(ERoute direction, int idx, const char* formatStr, bool zeroBased = false);
  const char* GetChannelLabel(ERoute direction, int idx) const;

  // [audio thread] Buffer attachment and processing; frames must not exceed the block size.
  void AttachBuffers(ERoute direction, int idx, int n, double** ppData, int nFrames);
  void AttachBuffers(ERoute direction, int idx, int n, float** ppData, int nFrames);
  void ProcessBuffers(double, int nFrames);
  void ProcessBuffers(float, int nFrames);
  void ProcessBuffersAccumulating(int nFrames);
  void PassThroughBuffers(double, int nFrames);
  void PassThroughBuffers(float, int nFrames);
  void ZeroScratchBuffers();

  // [main thread] Sizes the scratch buffers.
  void SetBlockSize(int blockSize);
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  void InitLatencyDelay();
  double GetSamplesPerBeat() const;
  int GetAUPluginType() const;

  double GetSampleRate() const { return mSampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  int GetLatency() const { return mLatency; }
  int GetTailSize() const { return mTailSize; }
  bool GetRenderingOffline() const { return mRenderingOffline; }
  void SetRenderingOffline(bool offline) { mRenderingOffline = offline; }
  int GetPlugType() const { return mPlugType; }
  bool IsInstrument() const { return mPlugType == kPlugTypeInstrument; }
  bool DoesMIDIIn() const { return mDoesMIDIIn; }
  bool DoesMIDIOut() const { return mDoesMIDIOut; }
  bool DoesMPE() const { return mDoesMPE; }
  const ITransportInfo& GetTransportInfo() const { return mTimeInfo; }
  void SetTransportInfo(const ITransportInfo& info) { mTimeInfo = info; }

private:
  void ConvertFloatOutputs(int nFrames, bool accumulate);

  int mPlugType = kPlugTypeEffect;
  bool mDoesMIDIIn = false;
  bool mDoesMIDIOut = false;
  bool mDoesMPE = false;
  int mLatency = 0;
  double mSampleRate = 48000.0;
  int mBlockSize = 0;
  int mTailSize = 0;
  bool mRenderingOffline = false;
  std::vector<IOConfig> mIOConfigs;
  std::vector<double*> mChannelPointers[2]; // what ProcessBlock receives, by ERoute
  std::vector<std::unique_ptr<IChannelData>> mChannelData[2];
  std::vector<std::vector<double>> mLatencyDelay; // one ring of latency samples per channel
  int mLatencyDelayPos = 0;
  ITransportInfo mTimeInfo;
};

} // namespace plugin
