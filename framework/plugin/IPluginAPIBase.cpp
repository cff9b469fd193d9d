#include "framework/plugin/IPluginAPIBase.h"

#include <cctype>
#include <cmath>
#include <cstring>

namespace plugin
{

namespace
{
// Lower-case substrings of host product names, searched in this order; the first one found
// gives the host identifier.
struct HostName
{
  const char* mSubstring;
  int mId;
};

constexpr HostName kHostNames[] = {
  {"reaper", 1},         {"protools", 2},
  {"cubase", 3},         {"nuendo", 4},
  {"cakewalk", 5},       {"vegas", 6},
  {"fruity", 7},         {"samplitude", 8},
  {"live", 9},           {"tracktion", 10},
  {"ntracks", 11},       {"melodyne", 12},
  {"vstmanlib", 13},     {"aulab", 14},
  {"forte", 15},         {"chainer", 16},
  {"audition", 17},      {"orion", 18},
  {"bias", 19},          {"sawstudio", 20},
  {"logic", 21},         {"garageband", 22},
  {"digital", 23},       {"audiomulch", 25},
  {"presonus", 26},      {"vst3plugintesthost", 27},
  {"ardour", 28},        {"renoise", 29},
  {"openmpt", 30},       {"wavelab elements", 32},
  {"wavelab", 31},       {"twistedwave", 33},
  {"bitwig studio", 34}, {"reason", 36},
  {"gwvst", 37},         {"waveform", 38},
  {"audacity", 39},      {"acoustica", 40},
  {"plugindoctor", 41},  {"izotope rx", 42},
  {"savihost", 43},      {"blue cat's vst host", 44},
  {"mixbus", 45},        {"standalone", 24},
  {"www", 35},
};
static_assert(sizeof(kHostNames) / sizeof(kHostNames[0]) == 45, "45 known hosts");
} // namespace

IPluginAPIBase::IPluginAPIBase(const Config& config, EAPI plugAPI)
  : IPluginBase(config.nParams, config.nPresets)
{
  mPluginName.Set(config.pluginName, 128);
  mProductName.Set(config.productName, 128);
  mMfrName.Set(config.mfrName, 128);
  mVersion = config.vendorVersion;
  mUniqueID = config.uniqueID;
  mMfrID = config.mfrID;
  mHasUI = config.plugHasUI;
  mHostResize = config.plugHostResize;
  SetEditorSize(config.plugWidth, config.plugHeight);
  SetSizeConstraints(config.plugMinWidth, config.plugMaxWidth, config.plugMinHeight,
                     config.plugMaxHeight);
  mStateChunks = config.plugHasStateChunks;
  mAPI = plugAPI;
  mBundleID.Set(config.bundleID ? config.bundleID : "");
  mAppGroupID.Set(config.appGroupID ? config.appGroupID : "");
}

IPluginAPIBase::~IPluginAPIBase()
{
  StopTimer();
}

void IPluginAPIBase::DirtyParametersFromUI()
{
  for (int i = 0; i < NParams(); i++)
    InformHostOfParamChange(i, GetParam(i)->GetNormalized());
}

void IPluginAPIBase::BeginInformHostOfParamChangeFromUI(int paramIdx)
{
  BeginInformHostOfParamChange(paramIdx);
}

void IPluginAPIBase::SendParameterValueFromUI(int paramIdx, double normalizedValue)
{
  SetParameterValue(paramIdx, normalizedValue);
  if (IParam* param = GetParam(paramIdx))
    param->Set(param->FromNormalized(normalizedValue));
  OnParamChangeUI(paramIdx, kEditor);
}

void IPluginAPIBase::EndInformHostOfParamChangeFromUI(int paramIdx)
{
  EndInformHostOfParamChange(paramIdx);
}

bool IPluginAPIBase::EditorResizeFromUI(int viewWidth, int viewHeight, bool needsPlatformResize)
{
  return needsPlatformResize ? EditorResize(viewWidth, viewHeight) : true;
}

void IPluginAPIBase::SendMidiMsgFromUI(const IMidiMsg& msg)
{
  DeferMidiMsg(msg);
}

void IPluginAPIBase::SendSysexMsgFromUI(const ISysEx& msg)
{
  DeferSysexMsg(msg);
}

void IPluginAPIBase::SendArbitraryMsgFromUI(int msgTag, int ctrlTag, int dataSize,
                                            const void* pData)
{
  OnMessage(msgTag, ctrlTag, dataSize, pData);
}

namespace
{

// A newer message that makes the older one pointless: the same controller, or the pitch wheel,
// on the same channel.
bool Supersedes(const IMidiMsg& newer, const IMidiMsg& older)
{
  if (newer.mStatus != older.mStatus)
    return false;
  return newer.StatusKind() == IMidiMsg::kPitchWheel ||
         (newer.StatusKind() == IMidiMsg::kControlChange && newer.mData1 == older.mData1);
}

} // namespace

void IPluginAPIBase::DeferMidiMsg(const IMidiMsg& msg)
{
  FlushPendingMidi();
  if (mPendingMidiFromEditor.empty() && mMidiMsgsFromEditor.Push(msg))
    return;
  if (!mPendingMidiFromEditor.empty() && Supersedes(msg, mPendingMidiFromEditor.back()))
    mPendingMidiFromEditor.back() = msg;
  else if (mPendingMidiFromEditor.size() < kMaxPendingMidi)
    mPendingMidiFromEditor.push_back(msg);
  else
    ++mDroppedMidiFromEditor;
}

void IPluginAPIBase::FlushPendingMidi()
{
  while (!mPendingMidiFromEditor.empty() &&
         mMidiMsgsFromEditor.Push(mPendingMidiFromEditor.front()))
    mPendingMidiFromEditor.pop_front();
}

void IPluginAPIBase::DeferSysexMsg(const ISysEx& msg)
{
  SysExData data;
  if (data.Set(msg))
    mSysExDataFromEditor.Push(data);
}

bool IPluginAPIBase::CompareState(const uint8_t* pIncomingState, int startPos) const
{
  bool isEqual = true;
  for (int i = 0; i < NParams(); i++)
  {
    double incoming;
    std::memcpy(&incoming, pIncomingState + sizeof(double) * static_cast<size_t>(startPos + i),
                sizeof(double));
    const float a = static_cast<float>(GetParam(i)->Value());
    const float b = static_cast<float>(incoming);
    isEqual &= std::fabs(a - b) < 0.00001f;
  }
  return isEqual;
}

void IPluginAPIBase::OnHostRequestingImportantParameters(int count, std::vector<int>& results)
{
  if (count > 0 && count < NParams())
    for (int i = 0; i < count; i++)
      results.push_back(i);
}

bool IPluginAPIBase::GetMidiNoteText(int, char* text) const
{
  if (text)
    text[0] = '\0';
  return false;
}

void IPluginAPIBase::SendParameterValueFromAPI(int paramIdx, double value, bool normalized)
{
  if (normalized)
  {
    const IParam* param = GetParam(paramIdx);
    if (!param)
      return;
    value = param->FromNormalized(value);
  }
  mParamChangeFromProcessor.Push(ParamTuple(paramIdx, value));
}

int IPluginAPIBase::LookUpHost(const char* name)
{
  char lower[256];
  size_t n = 0;
  for (; name && name[n] && n < sizeof(lower) - 1; n++)
    lower[n] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[n])));
  lower[n] = '\0';
  for (const HostName& host : kHostNames)
    if (std::strstr(lower, host.mSubstring))
      return host.mId;
  return 0;
}

void IPluginAPIBase::SetHost(const char* host, int version)
{
  SetHostFields(host, LookUpHost(host), version);
  HostSpecificInit();
  OnHostIdentified();
}

void IPluginAPIBase::SetParameterValue(int paramIdx, double normalizedValue)
{
  IParam* param = GetParam(paramIdx);
  if (!param)
    return;
  param->Set(param->FromNormalized(normalizedValue));
  InformHostOfParamChange(paramIdx, normalizedValue);
  OnParamChange(paramIdx, kEditor, -1);
}

void IPluginAPIBase::CreateTimer()
{
  mTimer.reset();
  mTimer.reset(Timer::Create([this](Timer& t) { OnTimer(t); }, kIdleTimerMs, TimerOwner()));
}

void IPluginAPIBase::StopTimer()
{
  if (mTimer)
    mTimer->Stop();
  mTimer.reset();
}

void IPluginAPIBase::PrepareForDeletion()
{
  StopTimer();
  if (GetUI())
    CloseWindow();
}

void* IPluginAPIBase::OpenWindow(void* pParent)
{
  DropQueuedParamChanges();
  Timer::OwnerScope scope(TimerOwner());
  return IPluginBase::OpenWindow(pParent);
}

void IPluginAPIBase::OnRestoreState()
{
  DropQueuedParamChanges();
  IPluginBase::OnRestoreState();
}

void IPluginAPIBase::DropQueuedParamChanges()
{
  // At most what the ring held when called: a producer pushing all the while cannot keep the
  // main thread here.
  ParamTuple p;
  int n = mParamChangeFromProcessor.MaxElements();
  while (n-- > 0 && mParamChangeFromProcessor.Pop(p))
  {
  }
}

void IPluginAPIBase::OnTimer(Timer&)
{
  FlushPendingMidi();
  if (!HasUI())
  {
    OnIdle();
    return;
  }
  ParamTuple p;
  while (mParamChangeFromProcessor.Pop(p))
    SendParameterValueFromDelegate(p.mIdx, p.mValue, false);
  IMidiMsg msg;
  while (mMidiMsgsFromProcessor.Pop(msg))
    SendMidiMsgFromDelegate(msg);
  SysExData data;
  while (mSysExDataFromProcessor.Pop(data))
    SendSysexMsgFromDelegate(ISysEx(data.mOffset, data.mData, data.mSize));
  OnIdle();
}

} // namespace plugin
