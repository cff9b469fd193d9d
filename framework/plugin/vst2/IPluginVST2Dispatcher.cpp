// IPluginVST2: the dispatcher. A short switch hands each opcode to the handler of its family;
// every opcode not handled answers 0.

#include "framework/plugin/vst2/IPluginVST2.h"

#include "framework/plugin/vst2/Vst2Vendor.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace plugin
{

intptr_t IPluginVST2::VSTDispatcher(AEffect* pEffect, int32_t opCode, int32_t idx, intptr_t value,
                                    void* ptr, float opt)
{
  // [any thread] GUI thread for everything but process events (audio thread).
  try
  {
    IPluginVST2* plug = pEffect ? static_cast<IPluginVST2*>(pEffect->object) : nullptr;
    if (!plug)
      return 0;
    switch (opCode)
    {
    case kVst2EffOpen:
    case kVst2EffClose:
    case kVst2EffSetSampleRate:
    case kVst2EffSetBlockSize:
    case kVst2EffMainsChanged:
      return plug->DispatchLifecycle(opCode, value, opt);
    case kVst2EffSetProgram:
    case kVst2EffGetProgram:
    case kVst2EffSetProgramName:
    case kVst2EffGetProgramName:
    case kVst2EffGetProgramNameIndexed:
      return plug->DispatchProgram(opCode, idx, value, ptr);
    case kVst2EffGetParamLabel:
    case kVst2EffGetParamDisplay:
    case kVst2EffGetParamName:
    case kVst2EffCanBeAutomated:
    case kVst2EffString2Parameter:
    case kVst2EffGetParameterProperties:
      return plug->DispatchParameter(opCode, idx, ptr);
    case kVst2EffEditGetRect:
    case kVst2EffEditOpen:
    case kVst2EffEditClose:
    case kVst2EffEditIdle:
    case kVst2EffIdle:
    case kVst2EffEditKeyDown:
    case kVst2EffEditKeyUp:
      return plug->DispatchEditor(opCode, idx, value, ptr, opt);
    case kVst2EffGetChunk:
      return plug->GetChunk(idx, ptr);
    case kVst2EffSetChunk:
      return plug->SetChunk(idx, value, ptr);
    case kVst2EffProcessEvents:
      return plug->ProcessEvents(static_cast<const Vst2Events*>(ptr));
    case kVst2EffVendorSpecific:
      return plug->VendorSpecific(idx, value, ptr, opt);
    case kVst2EffCanDo:
      return plug->CanDo(static_cast<const char*>(ptr));
    case kVst2EffIdentify:
    case kVst2EffGetInputProperties:
    case kVst2EffGetOutputProperties:
    case kVst2EffGetPlugCategory:
    case kVst2EffSetSpeakerArrangement:
    case kVst2EffGetEffectName:
    case kVst2EffGetVendorString:
    case kVst2EffGetProductString:
    case kVst2EffGetVendorVersion:
    case kVst2EffGetTailSize:
    case kVst2EffGetVstVersion:
    case kVst2EffGetMidiKeyName:
    case kVst2EffGetSpeakerArrangement:
      return plug->DispatchInfo(opCode, idx, value, ptr);
    default:
      return 0;
    }
  }
  catch (...)
  {
    return 0;
  }
}

void IPluginVST2::OpenInstance()
{
  if (GetHost() < 0)
  {
    char product[kVst2ProductStringLen];
    product[0] = '\0';
    HostCall(kVst2HostGetProductString, 0, 0, product);
    product[sizeof(product) - 1] = '\0';
    int version = 0;
    if (product[0])
    {
      const intptr_t d = HostCall(kVst2HostGetVendorVersion);
      version = static_cast<int>((d / 10000) * 65536 + ((d % 10000) / 100) * 256 + d % 100);
    }
    SetHost(product, version);
  }
  OnParamReset(kReset);
}

intptr_t IPluginVST2::DispatchLifecycle(int32_t opCode, intptr_t value, float opt)
{
  switch (opCode)
  {
  case kVst2EffOpen:
    OpenInstance();
    return 0;
  case kVst2EffClose:
    PrepareForDeletion(); // while the instrument's members all live
    delete this;
    return 0;
  case kVst2EffSetSampleRate:
  {
    // A rate outside what audio hardware and files use (or NaN) keeps the previous one.
    const double rate = opt;
    if (!(rate >= kMinSampleRate && rate <= kMaxSampleRate))
      return 0;
    SetSampleRate(rate);
    OnReset();
    return 0;
  }
  case kVst2EffSetBlockSize:
    if (value < 1 || value > kMaxBlockSize)
      return 0; // keeps the previous block size
    SetBlockSize(static_cast<int>(value));
    OnReset();
    return 0;
  case kVst2EffMainsChanged:
    OnActivate(value != 0);
    if (value == 0)
      OnReset();
    return 0;
  default:
    return 0;
  }
}

intptr_t IPluginVST2::DispatchProgram(int32_t opCode, int32_t idx, intptr_t value, void* ptr)
{
  switch (opCode)
  {
  case kVst2EffSetProgram:
    // The current program keeps the current sound: hosts send its index routinely (some right
    // after restoring a project), and restoring the slot would revert every edit and automation
    // since it was last stored. A switch to another program first stores the sound in the slot
    // being left, as the bank chunk would, so that switching back brings the edits back.
    if (value < 0 || value >= NPresets() || value == GetCurrentPresetIdx())
      return 0;
    ModifyCurrentPreset();
    RestorePreset(static_cast<int>(value));
    return 0;
  case kVst2EffGetProgram:
    return GetCurrentPresetIdx();
  case kVst2EffSetProgramName:
    if (ptr)
    {
      // Host texts are read no further than a slot name can hold.
      char name[IPreset::kMaxNameLen + 1];
      CopyToHost(name, static_cast<const char*>(ptr), sizeof(name));
      ModifyCurrentPreset(name);
      OnPresetsModified();
    }
    return 0;
  case kVst2EffGetProgramName:
    CopyToHost(ptr, GetPresetName(GetCurrentPresetIdx()), kVst2MaxProgNameLen);
    return 0;
  case kVst2EffGetProgramNameIndexed:
    if (!ptr)
      return 0;
    CopyToHost(ptr, GetPresetName(idx), kVst2MaxProgNameLen);
    return static_cast<const char*>(ptr)[0] ? 1 : 0;
  default:
    return 0;
  }
}

intptr_t IPluginVST2::DispatchParameter(int32_t opCode, int32_t idx, void* ptr)
{
  IParam* param = GetParam(idx);
  if (!param)
    return 0;
  switch (opCode)
  {
  case kVst2EffGetParamLabel:
    CopyToHost(ptr, param->GetLabel(), kVst2MaxParamStrLen);
    return 0;
  case kVst2EffGetParamDisplay:
    param->GetDisplay(param->Value(), false, mParamDisplayStr, true);
    CopyToHost(ptr, mParamDisplayStr.Get(), kVst2MaxParamStrLen);
    return 0;
  case kVst2EffGetParamName:
    CopyToHost(ptr, param->GetName(), kVst2MaxParamStrLen);
    return 0;
  case kVst2EffCanBeAutomated:
    return param->GetCanAutomate() ? 1 : 0;
  case kVst2EffString2Parameter:
  {
    if (!ptr)
      return 1;
    char text[256];
    CopyToHost(text, static_cast<const char*>(ptr), sizeof(text));
    const double parsed = param->StringToValue(text);
    param->Set(parsed);
    SendParameterValueFromAPI(idx, parsed, false);
    OnParamChange(idx, kHost, -1);
    return 1;
  }
  case kVst2EffGetParameterProperties:
  {
    if (!ptr)
      return 0;
    auto* props = static_cast<Vst2ParameterProperties*>(ptr);
    // Hosts send every value in 0..1 (setParameter), so the record claims no integer range and no
    // integer step: hosts would take them as the range and the step of the values they send. A
    // step is given in those 0..1 units, the parameter's own step over its range: from any value
    // of a whole-number parameter it lands on the next one (the value received is snapped). A
    // shaped parameter moves unevenly in 0..1 and gets no step.
    props->flags = param->Type() == IParam::kTypeBool ? kVst2ParamIsSwitch : 0;
    if (dynamic_cast<const IParam::ShapeLinear*>(param->GetShape()) && param->GetRange() > 0.0)
    {
      props->flags |= kVst2ParamUsesFloatStep;
      props->stepFloat = props->smallStepFloat = props->largeStepFloat =
        static_cast<float>(param->GetStep() / param->GetRange());
    }
    // Hosts show this field as the parameter's name (the unit is the label call's answer).
    CopyToHost(props->label, param->GetName(), sizeof(props->label));
    return 1;
  }
  default:
    return 0;
  }
}

intptr_t IPluginVST2::DispatchEditor(int32_t opCode, int32_t idx, intptr_t value, void* ptr,
                                     float opt)
{
  switch (opCode)
  {
  case kVst2EffEditGetRect:
    if (!ptr || !HasUI())
      return 0;
    SetEditorRect();
    *static_cast<Vst2Rect**>(ptr) = &mEditorRect;
    return 1;
  case kVst2EffEditOpen:
    return OpenWindow(ptr) ? 1 : 0;
  case kVst2EffEditClose:
    if (!HasUI())
      return 0;
    CloseWindow();
    return 1;
  case kVst2EffEditIdle:
  case kVst2EffIdle:
    // The host's GUI-thread idle calls are this instance's run loop: its own timers only.
    Timer::PumpDue(TimerOwner());
    return 0;
  case kVst2EffEditKeyDown:
  case kVst2EffEditKeyUp:
  {
    if (GetHost() == 1 && value != 7) // the host whose name contains "reaper" keeps its keys
      return 0;
    const char text[2] = {static_cast<char>(idx), '\0'};
    const int modifiers = static_cast<int>(opt);
    const IKeyPress key(text, VSTKeyCodeToVK(static_cast<int>(value), idx), modifiers & 1,
                        modifiers & 8, modifiers & 2);
    const bool handled = opCode == kVst2EffEditKeyDown ? OnKeyDown(key) : OnKeyUp(key);
    return handled ? 1 : 0;
  }
  default:
    return 0;
  }
}

intptr_t IPluginVST2::PinProperties(ERoute direction, int32_t idx, void* ptr)
{
  const int count = MaxNChannels(direction);
  if (!ptr || idx < 0 || idx >= count)
    return 0;
  auto* props = static_cast<Vst2PinProperties*>(ptr);
  props->flags = kVst2PinIsActive;
  if (idx % 2 == 0 && idx < count - 1)
    props->flags |= kVst2PinIsStereo;
  const char* label = GetChannelLabel(direction, idx);
  if (label[0])
  {
    CopyToHost(props->label, label, sizeof(props->label));
  }
  else
  {
    std::snprintf(props->label, sizeof(props->label),
                  direction == kInput ? "Input %d" : "Output %d", idx + 1);
  }
  return 1;
}

intptr_t IPluginVST2::SetSpeakerArrangement(const Vst2SpeakerArrangement* in,
                                            const Vst2SpeakerArrangement* out)
{
  // Check both before connecting anything: a refused arrangement changes nothing.
  if ((in && (in->numChannels < 0 || in->numChannels > mAEffect.numInputs)) ||
      (out && (out->numChannels < 0 || out->numChannels > mAEffect.numOutputs)))
    return 0;
  if (in)
  {
    SetChannelConnections(kInput, 0, in->numChannels, true);
    SetChannelConnections(kInput, in->numChannels, MaxNChannels(kInput) - in->numChannels, false);
  }
  if (out)
  {
    SetChannelConnections(kOutput, 0, out->numChannels, true);
    SetChannelConnections(kOutput, out->numChannels, MaxNChannels(kOutput) - out->numChannels,
                          false);
  }
  return 1;
}

intptr_t IPluginVST2::DispatchInfo(int32_t opCode, int32_t idx, intptr_t value, void* ptr)
{
  switch (opCode)
  {
  case kVst2EffIdentify:
    return kVst2IdentifyAnswer;
  case kVst2EffGetInputProperties:
    return PinProperties(kInput, idx, ptr);
  case kVst2EffGetOutputProperties:
    return PinProperties(kOutput, idx, ptr);
  case kVst2EffGetPlugCategory:
    return IsInstrument() ? kVst2CategorySynth : kVst2CategoryEffect;
  case kVst2EffSetSpeakerArrangement:
    return SetSpeakerArrangement(reinterpret_cast<const Vst2SpeakerArrangement*>(value),
                                 static_cast<const Vst2SpeakerArrangement*>(ptr));
  case kVst2EffGetEffectName:
  case kVst2EffGetVendorString:
  case kVst2EffGetProductString:
  {
    if (!ptr)
      return 0;
    const char* text = opCode == kVst2EffGetEffectName     ? GetPluginName()
                       : opCode == kVst2EffGetVendorString ? GetMfrName()
                                                           : GetProductName();
    CopyToHost(ptr, text, kVst2MaxNameLen);
    return 1;
  }
  case kVst2EffGetVendorVersion:
    return GetPluginVersion(true);
  case kVst2EffGetTailSize:
  {
    const int tail = GetTailSize();
    if (tail == 0)
      return 1; // no tail
    if (tail == 2147483647)
      return tail; // infinite tail
    return tail < 2 ? tail : 2;
  }
  case kVst2EffGetVstVersion:
    return kVst2InterfaceVersion;
  case kVst2EffGetMidiKeyName:
  {
    if (!ptr)
      return 0;
    auto* keyName = static_cast<Vst2MidiKeyName*>(ptr);
    keyName->keyName[0] = '\0';
    char text[sizeof(keyName->keyName)] = {};
    const bool named = GetMidiNoteText(keyName->thisKeyNumber, text);
    CopyToHost(keyName->keyName, text, sizeof(keyName->keyName));
    return named ? 1 : 0;
  }
  case kVst2EffGetSpeakerArrangement:
    if (value)
      *reinterpret_cast<Vst2SpeakerArrangement**>(value) = &mInputSpkrArr;
    if (ptr)
      *static_cast<Vst2SpeakerArrangement**>(ptr) = &mOutputSpkrArr;
    return 1;
  default:
    return 0;
  }
}

intptr_t IPluginVST2::VendorSpecific(int32_t idx, intptr_t value, void* ptr, float opt)
{
  if (idx == kVst2VendorEditorSnapshot)
    return SaveSnapshotPNG(static_cast<const char*>(ptr)) ? 1 : 0;
  const bool inRange = value >= 0 && value < NParams();
  IParam* param = inRange ? GetParam(static_cast<int>(value)) : nullptr;
  if (idx == 7 && ptr) // display text of a normalized value
  {
    if (!param)
      return kVst2VendorAnswer;
    if (!std::isnan(opt))
    {
      param->GetDisplay(opt, true, mParamDisplayStr, true);
      CopyToHost(ptr, mParamDisplayStr.Get(), kVst2MaxParamStrLen);
    }
    return kVst2VendorAnswer;
  }
  if (idx == 27 && ptr && param) // text to normalized value, written back into the text
  {
    char* text = static_cast<char*>(ptr);
    if (!text[0])
      return kVst2VendorAnswer;
    char input[kVst2MaxParamStrLen];
    CopyToHost(input, text, sizeof(input));
    const double normalized = param->ToNormalized(param->StringToValue(input));
    std::snprintf(text, kVst2MaxParamStrLen, "%.17f", normalized);
    return kVst2VendorAnswer;
  }
  if (idx == 8 && param)
  {
    const IParam::EParamType type = param->Type();
    const bool narrow = (type == IParam::kTypeInt || type == IParam::kTypeEnum) &&
                        std::fabs(param->GetMax() - param->GetMin()) < 1.5;
    if (type == IParam::kTypeBool || narrow)
      return kVst2VendorAnswer;
  }
  return VSTVendorSpecific(idx, value, ptr, opt);
}

intptr_t IPluginVST2::CanDo(const char* text)
{
  if (!text)
    return 0;
  auto is = [text](const char* s)
  {
    return std::strcmp(text, s) == 0;
  };
  if (is("receiveVstTimeInfo"))
    return 1;
  if (DoesMIDIIn() && (is("receiveVstEvents") || is("receiveVstMidiEvent")))
    return 1;
  if (DoesMIDIOut() && (is("sendVstEvents") || is("sendVstMidiEvent")))
    return 1;
  if (is("hasCockosExtensions"))
  {
    mHasVSTExtensions |= 1;
    return kVst2VendorCanDoAnswer;
  }
  if (is("hasCockosViewAsConfig"))
  {
    mHasVSTExtensions |= 2;
    return kVst2VendorCanDoAnswer;
  }
  if (is("wantsChannelCountNotifications"))
    return 1;
  if (is("MPE"))
    return DoesMPE() ? 1 : 0;
  return VSTCanDo(text);
}

} // namespace plugin
