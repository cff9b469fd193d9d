#include "framework/plugin/IPluginProcessor.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace plugin
{

IPluginProcessor::IPluginProcessor(const Config& config, EAPI)
  : mPlugType(config.plugType), mDoesMIDIIn(config.plugDoesMidiIn),
    mDoesMIDIOut(config.plugDoesMidiOut), mDoesMPE(config.plugDoesMPE), mLatency(config.latency)
{
  int totalIn = 0, totalOut = 0, busesIn = 0, busesOut = 0;
  ParseChannelIOStr(config.channelIOStr, mIOConfigs, totalIn, totalOut, busesIn, busesOut);
  const int totals[2] = {std::max(totalIn, 0), std::max(totalOut, 0)};
  for (int dir = kInput; dir <= kOutput; dir++)
  {
    mChannelPointers[dir].assign(static_cast<size_t>(totals[dir]), nullptr);
    for (int i = 0; i < totals[dir]; i++)
    {
      auto channel = std::make_unique<IChannelData>();
      channel->mData = &mChannelPointers[dir][static_cast<size_t>(i)];
      mChannelData[dir].push_back(std::move(channel));
    }
  }
}

IPluginProcessor::~IPluginProcessor() = default;

void IPluginProcessor::ProcessBlock(double** inputs, double** outputs, int nFrames)
{
  const int nIn = MaxNChannels(kInput);
  const int nOut = MaxNChannels(kOutput);
  for (int i = 0; i < nOut; i++)
  {
    if (!outputs || !outputs[i])
      continue;
    if (i < nIn && inputs && inputs[i])
      std::memmove(outputs[i], inputs[i], sizeof(double) * static_cast<size_t>(nFrames));
    else
      std::memset(outputs[i], 0, sizeof(double) * static_cast<size_t>(nFrames));
  }
}

void IPluginProcessor::ProcessMidiMsg(const IMidiMsg& msg)
{
  SendMidiMsg(msg);
}

void IPluginProcessor::ProcessSysEx(const ISysEx&) {}

void IPluginProcessor::OnReset() {}

void IPluginProcessor::OnActivate(bool) {}

bool IPluginProcessor::SendMidiMsgs(const std::vector<IMidiMsg>& msgs)
{
  bool ok = true;
  for (const IMidiMsg& msg : msgs)
    ok &= SendMidiMsg(msg);
  return ok;
}

bool IPluginProcessor::SendSysEx(const ISysEx&)
{
  return false;
}

void IPluginProcessor::GetBusName(ERoute direction, int busIdx, int nBuses, Util_String& str) const
{
  if (direction == kInput)
  {
    if (nBuses == 1)
      str.Set("Input");
    else if (nBuses == 2)
      str.Set(busIdx == 0 ? "Main" : "Aux");
    else
      str.SetFormatted(32, "Input %i", busIdx);
  }
  else
  {
    if (nBuses == 1)
      str.Set("Output");
    else
      str.SetFormatted(32, "Output %i", busIdx);
  }
}

void IPluginProcessor::SetLatency(int latency)
{
  mLatency = latency;
  if (!mLatencyDelay.empty())
    InitLatencyDelay();
}

void IPluginProcessor::SetTailSize(int tailSize)
{
  mTailSize = tailSize;
}

namespace
{
std::vector<std::string> Split(const std::string& s, char separator)
{
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;)
  {
    const size_t end = s.find(separator, start);
    parts.push_back(s.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos)
      return parts;
    start = end + 1;
  }
}
} // namespace

int IPluginProcessor::ParseChannelIOStr(const char* IOStr, std::vector<IOConfig>& configs,
                                        int& totalNInChans, int& totalNOutChans, int& totalNInBuses,
                                        int& totalNOutBuses)
{
  totalNInChans = totalNOutChans = totalNInBuses = totalNOutBuses = 0;
  for (const std::string& piece : Split(IOStr ? IOStr : "", ' '))
  {
    if (piece.empty())
      continue;
    const size_t dash = piece.find('-');
    const std::string sides[2] = {piece.substr(0, dash),
                                  dash == std::string::npos ? "" : piece.substr(dash + 1)};
    IOConfig config;
    for (int dir = kInput; dir <= kOutput; dir++)
    {
      for (const std::string& part : Split(sides[dir], '.'))
      {
        const int n = part == "*" ? kWildcardChannels : std::atoi(part.c_str());
        config.mTotalChannels[dir] += n;
        if (n != 0)
          config.mBuses[dir].push_back({static_cast<ERoute>(dir), n});
      }
    }
    totalNInChans = std::max(totalNInChans, config.mTotalChannels[kInput]);
    totalNOutChans = std::max(totalNOutChans, config.mTotalChannels[kOutput]);
    totalNInBuses = std::max(totalNInBuses, config.NBuses(kInput));
    totalNOutBuses = std::max(totalNOutBuses, config.NBuses(kOutput));
    configs.push_back(std::move(config));
  }
  return static_cast<int>(configs.size());
}

bool IPluginProcessor::LegalIO(int nIn, int nOut) const
{
  for (const IOConfig& config : mIOConfigs)
    if ((nIn < 0 || config.mTotalChannels[kInput] == nIn) &&
        (nOut < 0 || config.mTotalChannels[kOutput] == nOut))
      return true;
  return false;
}

int IPluginProcessor::MaxNBuses(ERoute direction, int* pConfigIdxWithTheMostBuses) const
{
  int most = 0;
  for (int i = 0; i < NIOConfigs(); i++)
  {
    const int n = mIOConfigs[static_cast<size_t>(i)].NBuses(direction);
    if (n >= most)
    {
      most = n;
      if (pConfigIdxWithTheMostBuses)
        *pConfigIdxWithTheMostBuses = i;
    }
  }
  return most;
}

int IPluginProcessor::MaxNChannelsForBus(ERoute direction, int busIdx) const
{
  if (!mIOConfigs.empty())
    for (const IBusInfo& bus : mIOConfigs.front().mBuses[direction])
      if (bus.mNChans == kWildcardChannels)
        return -1;
  int most = 0;
  for (const IOConfig& config : mIOConfigs)
    most = std::max(most, config.NChansOnBus(direction, busIdx));
  return most;
}

int IPluginProcessor::GetIOConfigWithChanCounts(const std::vector<int>& inputBuses,
                                                const std::vector<int>& outputBuses) const
{
  for (int i = 0; i < NIOConfigs(); i++)
  {
    const IOConfig& config = mIOConfigs[static_cast<size_t>(i)];
    auto matches = [&](ERoute dir, const std::vector<int>& counts)
    {
      if (config.NBuses(dir) != static_cast<int>(counts.size()))
        return false;
      for (size_t b = 0; b < counts.size(); b++)
        if (config.mBuses[dir][b].mNChans != counts[b])
          return false;
      return true;
    };
    if (matches(kInput, inputBuses) && matches(kOutput, outputBuses))
      return i;
  }
  return -1;
}

const IOConfig* IPluginProcessor::GetIOConfig(int idx) const
{
  return idx >= 0 && idx < NIOConfigs() ? &mIOConfigs[static_cast<size_t>(idx)] : nullptr;
}

int IPluginProcessor::NChannelsConnected(ERoute direction) const
{
  return static_cast<int>(std::count_if(mChannelData[direction].begin(),
                                        mChannelData[direction].end(),
                                        [](const auto& ch) { return ch->mConnected; }));
}

bool IPluginProcessor::IsChannelConnected(ERoute direction, int chIdx) const
{
  return chIdx >= 0 && chIdx < MaxNChannels(direction) &&
         mChannelData[direction][static_cast<size_t>(chIdx)]->mConnected;
}

void IPluginProcessor::SetChannelConnections(ERoute direction, int idx, int n, bool connected)
{
  const int end = std::min(idx + n, MaxNChannels(direction));
  for (int i = std::max(idx, 0); i < end; i++)
  {
    IChannelData& channel = *mChannelData[direction][static_cast<size_t>(i)];
    channel.mConnected = connected;
    if (!connected)
      *channel.mData = channel.mScratchBuf.empty() ? nullptr : channel.mScratchBuf.data();
  }
}

void IPluginProcessor::LimitToStereoIO()
{
  // Everything beyond the first two channels of each side is disconnected.
  if (MaxNChannels(kInput) > 2)
    SetChannelConnections(kInput, 2, MaxNChannels(kInput) - 2, false);
  if (MaxNChannels(kOutput) > 2)
    SetChannelConnections(kOutput, 2, MaxNChannels(kOutput) - 2, false);
}

void IPluginProcessor::SetChannelLabel(ERoute direction, int idx, const char* formatStr,
                                       bool zeroBased)
{
  if (idx < 0 || idx >= MaxNChannels(direction) || !formatStr)
    return;
  mChannelData[direction][static_cast<size_t>(idx)]->mLabel.SetFormatted(32, formatStr,
                                                                         zeroBased ? idx : idx + 1);
}

const char* IPluginProcessor::GetChannelLabel(ERoute direction, int idx) const
{
  if (idx < 0 || idx >= MaxNChannels(direction))
    return "";
  return mChannelData[direction][static_cast<size_t>(idx)]->mLabel.Get();
}

void IPluginProcessor::AttachBuffers(ERoute direction, int idx, int n, double** ppData, int)
{
  const int end = std::min(idx + n, MaxNChannels(direction));
  int j = 0;
  for (int i = std::max(idx, 0); i < end; i++)
  {
    IChannelData& channel = *mChannelData[direction][static_cast<size_t>(i)];
    if (channel.mConnected)
      *channel.mData = ppData ? ppData[j++] : channel.mScratchBuf.data();
  }
}

void IPluginProcessor::AttachBuffers(ERoute direction, int idx, int n, float** ppData, int nFrames)
{
  const int end = std::min(idx + n, MaxNChannels(direction));
  int j = 0;
  for (int i = std::max(idx, 0); i < end; i++)
  {
    IChannelData& channel = *mChannelData[direction][static_cast<size_t>(i)];
    if (!channel.mConnected)
      continue;
    float* host = ppData ? ppData[j++] : nullptr;
    *channel.mData = channel.mScratchBuf.data();
    if (direction == kInput)
    {
      double* scratch = channel.mScratchBuf.data();
      const int frames = std::min(nFrames, static_cast<int>(channel.mScratchBuf.size()));
      for (int s = 0; s < frames; s++)
        scratch[s] = host ? host[s] : 0.0;
    }
    else
    {
      channel.mIncomingData = host;
    }
  }
}

void IPluginProcessor::ProcessBuffers(double, int nFrames)
{
  double** in = mChannelPointers[kInput].empty() ? nullptr : mChannelPointers[kInput].data();
  double** out = mChannelPointers[kOutput].empty() ? nullptr : mChannelPointers[kOutput].data();
  ProcessBlock(in, out, nFrames);
}

void IPluginProcessor::ConvertFloatOutputs(int nFrames, bool accumulate)
{
  for (const auto& channel : mChannelData[kOutput])
  {
    if (!channel->mConnected || !channel->mIncomingData)
      continue;
    const double* scratch = channel->mScratchBuf.data();
    float* host = channel->mIncomingData;
    const int frames = std::min(nFrames, static_cast<int>(channel->mScratchBuf.size()));
    if (accumulate)
      for (int s = 0; s < frames; s++)
        host[s] += static_cast<float>(scratch[s]);
    else
      for (int s = 0; s < frames; s++)
        host[s] = static_cast<float>(scratch[s]);
  }
}

void IPluginProcessor::ProcessBuffers(float, int nFrames)
{
  ProcessBuffers(0.0, nFrames);
  ConvertFloatOutputs(nFrames, false);
}

void IPluginProcessor::ProcessBuffersAccumulating(int nFrames)
{
  ProcessBuffers(0.0, nFrames);
  ConvertFloatOutputs(nFrames, true);
}

void IPluginProcessor::PassThroughBuffers(double, int nFrames)
{
  double** in = mChannelPointers[kInput].empty() ? nullptr : mChannelPointers[kInput].data();
  double** out = mChannelPointers[kOutput].empty() ? nullptr : mChannelPointers[kOutput].data();
  if (mLatency > 0 && !mLatencyDelay.empty())
  {
    const int nChans = static_cast<int>(mLatencyDelay.size());
    int pos = mLatencyDelayPos;
    for (int s = 0; s < nFrames; s++)
    {
      for (int c = 0; c < nChans; c++)
      {
        double& slot = mLatencyDelay[static_cast<size_t>(c)][static_cast<size_t>(pos)];
        const double input = in && in[c] ? in[c][s] : 0.0;
        if (out && out[c])
          out[c][s] = slot;
        slot = input;
      }
      pos = (pos + 1) % mLatency;
    }
    mLatencyDelayPos = pos;
    return;
  }
  IPluginProcessor::ProcessBlock(in, out, nFrames);
}

void IPluginProcessor::PassThroughBuffers(float, int nFrames)
{
  PassThroughBuffers(0.0, nFrames);
  ConvertFloatOutputs(nFrames, false);
}

void IPluginProcessor::ZeroScratchBuffers()
{
  for (auto& channels : mChannelData)
    for (auto& channel : channels)
      std::fill(channel->mScratchBuf.begin(), channel->mScratchBuf.end(), 0.0);
}

void IPluginProcessor::SetBlockSize(int blockSize)
{
  if (blockSize == mBlockSize)
    return;
  for (auto& channels : mChannelData)
  {
    for (auto& channel : channels)
    {
      channel->mScratchBuf.assign(static_cast<size_t>(std::max(blockSize, 0)), 0.0);
      // A disconnected channel reads and writes its scratch buffer: follow it to its new
      // storage so that no slot keeps pointing at the freed one.
      if (!channel->mConnected)
        *channel->mData = channel->mScratchBuf.empty() ? nullptr : channel->mScratchBuf.data();
    }
  }
  mBlockSize = blockSize;
}

void IPluginProcessor::InitLatencyDelay()
{
  if (MaxNChannels(kInput) < 1)
    return;
  const int nChans = std::min(MaxNChannels(kInput), MaxNChannels(kOutput));
  mLatencyDelay.assign(static_cast<size_t>(nChans),
                       std::vector<double>(static_cast<size_t>(std::max(mLatency, 0)), 0.0));
  mLatencyDelayPos = 0;
}

double IPluginProcessor::GetSamplesPerBeat() const
{
  return mTimeInfo.mTempo > 0.0 ? mSampleRate * 60.0 / mTimeInfo.mTempo : 0.0;
}

int IPluginProcessor::GetAUPluginType() const
{
  switch (mPlugType)
  {
  case kPlugTypeMIDIEffect:
    return 0x61756D69; // 'aumi'
  case kPlugTypeInstrument:
    return 0x61756D75; // 'aumu'
  case kPlugTypeEffect:
    return mDoesMIDIIn ? 0x61756D66 : 0x61756678; // 'aumf' : 'aufx'
  default:
    return 0x61756678;
  }
}

} // namespace plugin
