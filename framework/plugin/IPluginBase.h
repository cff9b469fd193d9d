#pragma once
// The plug-in base: identity strings and numbers, the program slots, and the generic
// serialisation of parameters, program slots and FXP/FXB files.
//
// Layouts (all produced and read here):
// - parameter block: every parameter's value as a little-endian 8-byte double, in index order,
//   with no count and no header (the reader relies on the parameter count);
// - bank records (after the 8-byte chunk header): per slot a 32-bit name length n, n name bytes,
//   one initialized byte and, for an initialized slot, its state bytes with no length (so a
//   reader must parse each slot with CheckState, which answers where it stopped);
// - FXP/FXB files: the big-endian VST2 program and bank file layouts ("CcnK" with "FPCh" /
//   "FxCk" programs and "FBCh" / "FxBk" banks).
//
// Readers of host or file data validate before they apply: a chunk, bank or file that fails
// leaves parameters and slots as they were.

#include "framework/core/IByteChunk.h"
#include "framework/core/IEditorDelegate.h"
#include "framework/core/IGEditorDelegate.h"
#include "framework/plugin/Config.h"
#include "framework/util/UtilString.h"

#include <functional>
#include <memory>
#include <vector>

namespace plugin
{

// One program slot.
struct IPreset
{
  static constexpr int kMaxNameLen = 255; // characters, a terminator after them

  bool mInitialized = false;
  char mName[kMaxNameLen + 1] = "empty";
  IByteChunk mChunk;

  // Copies at most kMaxNameLen characters of name.
  void SetName(const char* name);
};

// The plug-in object is its own editor delegate: the graphics-owning delegate makes, lays out
// and closes the editor, the parameter-holding delegate below it carries values both ways.
class IPluginBase : public igraphics::IGEditorDelegate
{
public:
  IPluginBase(int nParams, int nPresets);
  ~IPluginBase() override;

  // Identity.
  const char* GetPluginName() const { return mPluginName.Get(); }
  const char* GetProductName() const { return mProductName.Get(); }
  const char* GetMfrName() const { return mMfrName.Get(); }
  const char* GetHostName() const { return mHostName.Get(); }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  int GetPluginVersion(bool decimal) const;
  int GetHostVersion(bool decimal) const;
  void GetPluginVersionStr(Util_String& str) const;
  void GetHostVersionStr(Util_String& str) const;
  int GetHost() const { return mHost; }
  int GetAPI() const { return mAPI; }
  const char* GetAPIStr() const;
  const char* GetArchStr() const;
  void GetBuildInfoStr(Util_String& str, const char* date, const char* time) const;
  bool DoesStateChunks() const { return mStateChunks; }
  bool HasUI() const { return mHasUI; }
  bool GetHostResizeEnabled() const { return mHostResize; }
  const char* GetBundleID() const { return mBundleID.Get(); }
  const char* GetAppGroupID() const { return mAppGroupID.Get(); }

  // Virtual operations added by this layer, in this order.
  virtual void InformHostOfParameterDetailsChange() {}
  virtual bool SerializeState(IByteChunk& chunk) const { return SerializeParams(chunk); }
  // Applies the whole state at startPos and answers the position after it, or refuses it
  // (answering -1) and changes nothing. Default: the parameter block, once CheckState took it.
  virtual int UnserializeState(const IByteChunk& chunk, int startPos);
  virtual bool SerializeVST3CtrlrState(IByteChunk&) const { return true; }
  virtual int UnserializeVST3CtrlrState(const IByteChunk&, int startPos) { return startPos; }
  virtual void InformHostOfPresetChange() {}
  virtual void OnPresetsModified() {}
  // Reads the state at startPos without applying it: the position after it, or -1 when
  // UnserializeState would refuse it. Default: a whole parameter block. A plug-in with its own
  // state layout overrides it with UnserializeState.
  virtual int CheckState(const IByteChunk& chunk, int startPos) const;

  // Parameters as a whole.
  bool SerializeParams(IByteChunk& chunk) const;
  int UnserializeParams(const IByteChunk& chunk, int startPos);
  void DefaultParamValues();
  void DefaultParamValues(int startIdx, int endIdx);
  void DefaultParamValues(const char* group);
  void RandomiseParamValues();
  void RandomiseParamValues(int startIdx, int endIdx);
  void RandomiseParamValues(const char* group);
  void ForParamInRange(int startIdx, int endIdx, const std::function<void(int, IParam&)>& func);
  void ForParamInGroup(const char* group, const std::function<void(int, IParam&)>& func);
  void InitParamRange(int startIdx, int endIdx, int countStart, const char* nameFmtStr,
                      double defaultVal, double minVal, double maxVal, double step,
                      const char* label = "", int flags = 0, const char* group = "",
                      const IParam::Shape& shape = IParam::ShapeLinear(),
                      IParam::EParamUnit unit = IParam::kUnitCustom,
                      IParam::DisplayFunc displayFunc = nullptr);
  void CloneParamRange(int cloneStartIdx, int cloneEndIdx, int startIdx, const char* searchStr = "",
                       const char* replaceStr = "", const char* newGroup = "");
  void CopyParamValues(int startIdx, int destIdx, int nParams);
  void CopyParamValues(const char* inGroup, const char* outGroup);

  // Program slots.
  int NPresets() const { return static_cast<int>(mPresets.size()); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  IPreset* GetPreset(int idx) const
  {
    return idx >= 0 && idx < NPresets() ? mPresets[static_cast<size_t>(idx)].get() : nullptr;
  }
  void MakeDefaultPreset(const char* name = nullptr, int nPresets = 1);
  void EnsureDefaultPreset();
  // One value per parameter, in index order (integers for bool, int and enum parameters).
  void MakePreset(const char* name, const std::vector<double>& values);
  // (index, value) pairs; every parameter not named keeps its current value.
  static constexpr double kUnnamedParamMarker = 9.999e-8;
  void MakePresetFromNamedParams(const char* name,
                                 const std::vector<std::pair<int, double>>& namedParams);
  void MakePresetFromChunk(const char* name, const IByteChunk& chunk);
  void MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk);
  void PruneUninitializedPresets();
  bool RestorePreset(int idx);
  bool RestorePreset(const char* name);
  const char* GetPresetName(int idx) const;
  void ModifyCurrentPreset(const char* name = nullptr);
  bool SerializePresets(IByteChunk& chunk) const;
  // Reads the bank's slot records whole, each slot's state checked (CheckState), before anything
  // changes: a bank that fails anywhere answers -1 and changes nothing. Otherwise the slots take
  // their names, flags and state bytes, and the current slot's state is applied once
  // (RestorePreset); answers the position after the last record.
  int UnserializePresets(const IByteChunk& chunk, int startPos);

  // A copy of everything a failed restore could touch: the slots and the current state.
  struct Snapshot
  {
    std::vector<std::unique_ptr<IPreset>> mPresets;
    IByteChunk mState;
    int mCurrentPresetIdx = 0;
  };
  void TakeSnapshot(Snapshot& snapshot) const;
  void RestoreSnapshot(const Snapshot& snapshot);

  // FXP/FXB files and preset-source dumps.
  bool SavePresetAsFXP(const char* file) const;
  bool SaveBankAsFXB(const char* file) const;
  bool LoadPresetFromFXP(const char* file);
  bool LoadBankFromFXB(const char* file);
  void DumpMakePresetSrc(const char* file) const;
  void DumpMakePresetFromNamedParamsSrc(const char* file, const char* paramEnumNames[]) const;
  void DumpPresetBlob(const char* file) const;

protected:
  IPreset* FirstUninitializedPreset() const;
  void SetHostFields(const char* name, int id, int version);

  int mCurrentPresetIdx = 0;
  bool mStateChunks = false;
  Util_String mPluginName;
  Util_String mProductName;
  Util_String mMfrName;
  int mUniqueID = 0;
  int mMfrID = 0;
  int mVersion = 0;     // major << 16 | minor << 8 | patch
  int mHostVersion = 0; // same packing; 0 until the host is known
  int mHost = -1;       // -1 until identified, 0 when no name matched
  Util_String mHostName;
  int mAPI = kAPIVST2;
  Util_String mBundleID;
  Util_String mAppGroupID;
  bool mHasUI = false;
  bool mHostResize = false;
  std::vector<std::unique_ptr<IPreset>> mPresets;
};

} // namespace plugin
