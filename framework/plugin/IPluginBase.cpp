#include "framework/plugin/IPluginBase.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace plugin
{

void IPreset::SetName(const char* name)
{
  const size_t n = name ? strnlen(name, kMaxNameLen) : 0;
  std::memcpy(mName, name ? name : "", n);
  mName[n] = '\0';
}

IPluginBase::IPluginBase(int nParams, int nPresets) : IGEditorDelegate(nParams)
{
  for (int i = 0; i < nPresets; i++)
    mPresets.push_back(std::make_unique<IPreset>());
}

IPluginBase::~IPluginBase() = default;

namespace
{
int Decimal(int packed)
{
  return ((packed >> 16) & 0xFFFF) * 10000 + ((packed >> 8) & 0xFF) * 100 + (packed & 0xFF);
}

void VersionStr(int packed, Util_String& str)
{
  str.SetFormatted(32, "v%d.%d.%d", (packed >> 16) & 0xFFFF, (packed >> 8) & 0xFF, packed & 0xFF);
}

// Reads a bank record's name (a 32-bit length, then that many bytes) at pos into name, cut to a
// slot's field; answers the position after it, or -1 when it runs past the chunk's end or its
// length is negative (corrupt data, never a backward jump).
int ReadSlotName(const IByteChunk& chunk, int pos, char (&name)[IPreset::kMaxNameLen + 1])
{
  int32_t n = 0;
  if (pos + 4 > chunk.Size() || chunk.ReadValue(n, pos) < 0 || n < 0)
    return -1;
  const int64_t end = static_cast<int64_t>(pos) + 4 + n;
  if (end > chunk.Size())
    return -1;
  const int keep = std::min<int>(n, IPreset::kMaxNameLen);
  std::memcpy(name, chunk.Data() + pos + 4, static_cast<size_t>(keep));
  name[keep] = '\0';
  return static_cast<int>(end);
}
} // namespace

int IPluginBase::GetPluginVersion(bool decimal) const
{
  return decimal ? Decimal(mVersion) : mVersion;
}

int IPluginBase::GetHostVersion(bool decimal) const
{
  return decimal ? Decimal(mHostVersion) : mHostVersion;
}

void IPluginBase::GetPluginVersionStr(Util_String& str) const
{
  VersionStr(mVersion, str);
}

void IPluginBase::GetHostVersionStr(Util_String& str) const
{
  VersionStr(mHostVersion, str);
}

const char* IPluginBase::GetAPIStr() const
{
  static const char* const kNames[] = {"VST2", "VST3", "AU",  "AUv3", "AAX",
                                       "APP",  "WAM",  "WEB", "CLAP"};
  return mAPI >= 0 && mAPI <= kAPICLAP ? kNames[mAPI] : "";
}

const char* IPluginBase::GetArchStr() const
{
#if defined(__x86_64__)
  return "x86-64";
#elif defined(__aarch64__)
  return "arm64";
#else
  return "unknown";
#endif
}

void IPluginBase::GetBuildInfoStr(Util_String& str, const char* date, const char* time) const
{
  Util_String version;
  GetPluginVersionStr(version);
  str.SetFormatted(256, "%s %s (%s), built on %s at %.5s ", version.Get(), GetAPIStr(),
                   GetArchStr(), date ? date : "", time ? time : "");
}

void IPluginBase::SetHostFields(const char* name, int id, int version)
{
  mHostName.Set(name ? name : "");
  mHost = id;
  mHostVersion = version;
}

bool IPluginBase::SerializeParams(IByteChunk& chunk) const
{
  bool ok = true;
  for (const auto& param : mParams)
  {
    const double v = param->Value();
    ok = chunk.AppendValue(v) > 0;
    if (!ok)
      break;
  }
  return ok;
}

int IPluginBase::UnserializeParams(const IByteChunk& chunk, int startPos)
{
  int pos = startPos;
  for (int i = 0; i < NParams() && pos >= 0; i++)
  {
    double v = 0.0;
    if (pos + static_cast<int>(sizeof(double)) <= chunk.Size())
      pos = chunk.ReadValue(v, pos);
    else
      pos = -1;
    GetParam(i)->Set(v);
  }
  OnParamReset(kPresetRecall);
  return pos;
}

int IPluginBase::CheckState(const IByteChunk& chunk, int startPos) const
{
  const int64_t end = static_cast<int64_t>(startPos) +
                      static_cast<int64_t>(sizeof(double)) * static_cast<int64_t>(NParams());
  return startPos >= 0 && end <= chunk.Size() ? static_cast<int>(end) : -1;
}

int IPluginBase::UnserializeState(const IByteChunk& chunk, int startPos)
{
  if (CheckState(chunk, startPos) < 0)
    return -1; // a short block would set some parameters and not others
  return UnserializeParams(chunk, startPos);
}

void IPluginBase::DefaultParamValues()
{
  DefaultParamValues(0, NParams() - 1);
}

void IPluginBase::DefaultParamValues(int startIdx, int endIdx)
{
  ForParamInRange(startIdx, endIdx, [](int, IParam& param) { param.SetToDefault(); });
}

void IPluginBase::DefaultParamValues(const char* group)
{
  ForParamInGroup(group, [](int, IParam& param) { param.SetToDefault(); });
}

namespace
{
void Randomise(IParam& param)
{
  const float r = static_cast<float>(std::rand()) * 4.656612873077393e-10f;
  param.SetNormalized(r);
}
} // namespace

void IPluginBase::RandomiseParamValues()
{
  RandomiseParamValues(0, NParams() - 1);
}

void IPluginBase::RandomiseParamValues(int startIdx, int endIdx)
{
  ForParamInRange(startIdx, endIdx, [](int, IParam& param) { Randomise(param); });
}

void IPluginBase::RandomiseParamValues(const char* group)
{
  ForParamInGroup(group, [](int, IParam& param) { Randomise(param); });
}

void IPluginBase::ForParamInRange(int startIdx, int endIdx,
                                  const std::function<void(int, IParam&)>& func)
{
  // Indices outside the list are skipped.
  for (int i = std::max(startIdx, 0); i <= endIdx && i < NParams(); i++)
    func(i, *GetParam(i));
}

void IPluginBase::ForParamInGroup(const char* group, const std::function<void(int, IParam&)>& func)
{
  if (!group)
    return;
  for (int i = 0; i < NParams(); i++)
  {
    IParam& param = *mParams[static_cast<size_t>(i)];
    if (std::strcmp(param.GetGroup(), group) == 0)
      func(i, param);
  }
}

void IPluginBase::InitParamRange(int startIdx, int endIdx, int countStart, const char* nameFmtStr,
                                 double defaultVal, double minVal, double maxVal, double step,
                                 const char* label, int flags, const char* group,
                                 const IParam::Shape& shape, IParam::EParamUnit unit,
                                 IParam::DisplayFunc displayFunc)
{
  ForParamInRange(startIdx, endIdx,
                  [&](int i, IParam& param)
                  {
                    Util_String name;
                    name.SetFormatted(32, nameFmtStr, countStart + (i - startIdx));
                    param.InitDouble(name.Get(), defaultVal, minVal, maxVal, step, label, flags,
                                     group, shape, unit, displayFunc);
                  });
}

void IPluginBase::CloneParamRange(int cloneStartIdx, int cloneEndIdx, int startIdx,
                                  const char* searchStr, const char* replaceStr,
                                  const char* newGroup)
{
  for (int i = cloneStartIdx; i <= cloneEndIdx; i++)
  {
    IParam* source = GetParam(i);
    IParam* dest = GetParam(startIdx + (i - cloneStartIdx));
    if (!source || !dest)
      continue;
    dest->Init(*source, searchStr, replaceStr, newGroup);
    dest->Set(source->Value());
  }
}

void IPluginBase::CopyParamValues(int startIdx, int destIdx, int nParams)
{
  for (int k = 0; k < nParams; k++)
  {
    IParam* source = GetParam(startIdx + k);
    IParam* dest = GetParam(destIdx + k);
    if (source && dest)
      dest->Set(source->Value());
  }
}

void IPluginBase::CopyParamValues(const char* inGroup, const char* outGroup)
{
  std::vector<IParam*> in, out;
  ForParamInGroup(inGroup, [&](int, IParam& p) { in.push_back(&p); });
  ForParamInGroup(outGroup, [&](int, IParam& p) { out.push_back(&p); });
  // Pairs beyond the shorter group are left alone.
  for (size_t k = 0; k < in.size() && k < out.size(); k++)
    out[k]->Set(in[k]->Value());
}

IPreset* IPluginBase::FirstUninitializedPreset() const
{
  for (const auto& preset : mPresets)
    if (!preset->mInitialized)
      return preset.get();
  return nullptr;
}

void IPluginBase::MakeDefaultPreset(const char* name, int nPresets)
{
  for (int i = 0; i < nPresets; i++)
  {
    IPreset* preset = FirstUninitializedPreset();
    if (!preset)
      return;
    preset->mInitialized = true;
    preset->SetName(name ? name : "Empty");
    SerializeState(preset->mChunk);
  }
}

void IPluginBase::EnsureDefaultPreset()
{
  MakeDefaultPreset("Empty", NPresets());
}

void IPluginBase::MakePreset(const char* name, const std::vector<double>& values)
{
  IPreset* preset = FirstUninitializedPreset();
  if (!preset)
    return;
  preset->mInitialized = true;
  preset->SetName(name);
  for (int i = 0; i < NParams(); i++)
  {
    const double v = i < static_cast<int>(values.size()) ? values[static_cast<size_t>(i)] : 0.0;
    const IParam::EParamType type = GetParam(i)->Type();
    const double stored =
      (type == IParam::kTypeBool || type == IParam::kTypeInt || type == IParam::kTypeEnum)
        ? static_cast<double>(static_cast<int>(v))
        : v;
    preset->mChunk.AppendValue(stored);
  }
}

void IPluginBase::MakePresetFromNamedParams(const char* name,
                                            const std::vector<std::pair<int, double>>& namedParams)
{
  IPreset* preset = FirstUninitializedPreset();
  if (!preset)
    return;
  preset->mInitialized = true;
  preset->SetName(name);
  std::vector<double> values(static_cast<size_t>(NParams()), kUnnamedParamMarker);
  for (const auto& [idx, value] : namedParams)
  {
    if (const IParam* param = GetParam(idx))
    {
      const IParam::EParamType type = param->Type();
      const bool integral =
        type == IParam::kTypeBool || type == IParam::kTypeInt || type == IParam::kTypeEnum;
      values[static_cast<size_t>(idx)] = integral ? static_cast<int>(value) : value;
    }
  }
  for (int i = 0; i < NParams(); i++)
  {
    double v = values[static_cast<size_t>(i)];
    if (v == kUnnamedParamMarker)
      v = GetParam(i)->Value();
    preset->mChunk.AppendValue(v);
  }
}

void IPluginBase::MakePresetFromChunk(const char* name, const IByteChunk& chunk)
{
  IPreset* preset = FirstUninitializedPreset();
  if (!preset)
    return;
  preset->mInitialized = true;
  preset->SetName(name);
  preset->mChunk.AppendChunk(chunk);
}

namespace
{
int Base64Value(char c)
{
  if (c >= 'A' && c <= 'Z')
    return c - 'A';
  if (c >= 'a' && c <= 'z')
    return c - 'a' + 26;
  if (c >= '0' && c <= '9')
    return c - '0' + 52;
  if (c == '+')
    return 62;
  if (c == '/')
    return 63;
  return -1;
}
} // namespace

void IPluginBase::MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk)
{
  if (sizeOfChunk < 0)
    return;
  std::vector<uint8_t> bytes(static_cast<size_t>(sizeOfChunk), 0);
  size_t out = 0;
  uint32_t acc = 0;
  int bits = 0;
  for (const char* c = blob ? blob : ""; *c; c++)
  {
    const int v = Base64Value(*c);
    if (v < 0)
      break;
    acc = (acc << 6) | static_cast<uint32_t>(v);
    bits += 6;
    if (bits >= 8)
    {
      bits -= 8;
      if (out < bytes.size())
        bytes[out] = static_cast<uint8_t>(acc >> bits);
      out++;
    }
  }
  IByteChunk chunk;
  chunk.AppendBytes(bytes.data(), sizeOfChunk);
  MakePresetFromChunk(name, chunk);
}

void IPluginBase::PruneUninitializedPresets()
{
  std::erase_if(mPresets, [](const auto& preset) { return !preset->mInitialized; });
}

bool IPluginBase::RestorePreset(int idx)
{
  IPreset* preset = GetPreset(idx);
  if (!preset)
    return false;
  if (!preset->mInitialized)
  {
    int count = 0;
    for (const auto& p : mPresets)
      if (std::strstr(p->mName, "user preset"))
        count++;
    Util_String name;
    name.SetFormatted(IPreset::kMaxNameLen, "%s %d", "user preset", count + 1);
    preset->mInitialized = true;
    preset->SetName(name.Get());
    preset->mChunk.Clear();
    if (!SerializeState(preset->mChunk))
      return false;
  }
  else if (UnserializeState(preset->mChunk, 0) < 1)
  {
    return false;
  }
  mCurrentPresetIdx = idx;
  OnPresetsModified();
  OnRestoreState();
  return true;
}

bool IPluginBase::RestorePreset(const char* name)
{
  if (!name || !*name)
    return false;
  for (int i = 0; i < NPresets(); i++)
    if (std::strcmp(GetPreset(i)->mName, name) == 0)
      return RestorePreset(i);
  return false;
}

const char* IPluginBase::GetPresetName(int idx) const
{
  const IPreset* preset = GetPreset(idx);
  return preset ? preset->mName : "";
}

void IPluginBase::ModifyCurrentPreset(const char* name)
{
  IPreset* preset = GetPreset(mCurrentPresetIdx);
  if (!preset)
    return;
  preset->mChunk.Clear();
  SerializeState(preset->mChunk);
  if (name && *name)
    preset->SetName(name);
}

bool IPluginBase::SerializePresets(IByteChunk& chunk) const
{
  bool ok = true;
  for (const auto& preset : mPresets)
  {
    const int32_t n = static_cast<int32_t>(std::strlen(preset->mName));
    chunk.AppendValue(n);
    chunk.AppendBytes(preset->mName, n);
    chunk.AppendBool(preset->mInitialized);
    if (preset->mInitialized)
      chunk.AppendChunk(preset->mChunk);
    ok = chunk.Size() > 0;
    if (!ok)
      break;
  }
  return ok;
}

int IPluginBase::UnserializePresets(const IByteChunk& chunk, int startPos)
{
  // What each slot reads: its name, its flag and where its state lies in the chunk.
  struct SlotRecord
  {
    char name[IPreset::kMaxNameLen + 1];
    bool initialized;
    int stateStart;
    int stateEnd;
  };
  std::vector<SlotRecord> records;
  records.reserve(mPresets.size());
  int pos = startPos;
  for (int slot = 0; slot < NPresets() && pos >= 0; slot++)
  {
    SlotRecord record{};
    pos = ReadSlotName(chunk, pos, record.name);
    if (pos >= 0 && pos < chunk.Size())
      record.initialized = chunk.Data()[pos++] != 0;
    else
      pos = -1;
    if (record.initialized)
    {
      record.stateStart = pos;
      pos = record.stateEnd = CheckState(chunk, pos);
    }
    records.push_back(record);
  }
  if (pos < 0)
    return -1;

  for (size_t i = 0; i < records.size(); i++)
  {
    IPreset& preset = *mPresets[i];
    const SlotRecord& record = records[i];
    preset.SetName(record.name);
    preset.mInitialized = record.initialized;
    if (record.initialized)
    {
      preset.mChunk.Clear();
      preset.mChunk.AppendBytes(chunk.Data() + record.stateStart,
                                record.stateEnd - record.stateStart);
    }
  }
  RestorePreset(mCurrentPresetIdx);
  return pos;
}

void IPluginBase::TakeSnapshot(Snapshot& snapshot) const
{
  snapshot.mPresets.clear();
  for (const auto& preset : mPresets)
  {
    auto copy = std::make_unique<IPreset>();
    copy->mInitialized = preset->mInitialized;
    copy->SetName(preset->mName);
    copy->mChunk.AppendChunk(preset->mChunk);
    snapshot.mPresets.push_back(std::move(copy));
  }
  snapshot.mState.Clear();
  SerializeState(snapshot.mState);
  snapshot.mCurrentPresetIdx = mCurrentPresetIdx;
}

void IPluginBase::RestoreSnapshot(const Snapshot& snapshot)
{
  for (size_t i = 0; i < snapshot.mPresets.size() && i < mPresets.size(); i++)
  {
    IPreset& preset = *mPresets[i];
    preset.mInitialized = snapshot.mPresets[i]->mInitialized;
    preset.SetName(snapshot.mPresets[i]->mName);
    preset.mChunk.Clear();
    preset.mChunk.AppendChunk(snapshot.mPresets[i]->mChunk);
  }
  mCurrentPresetIdx = snapshot.mCurrentPresetIdx;
  UnserializeState(snapshot.mState, 0);
}

} // namespace plugin
