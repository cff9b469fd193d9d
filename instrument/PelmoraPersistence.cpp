// Pelmora's persistence: the host's state chunk, preset files and their folder, the settings file
// and the manual. Every reader decodes and checks its whole input before the instrument changes:
// a refused chunk or file leaves parameters, envelopes and the preset's identity as they were.

#include "instrument/Pelmora.h"

#include "framework/graphics/IGraphics.h"
#include "instrument/PelmoraEditorControls.h"
#include "instrument/persistence/PresetFile.h"
#include "instrument/persistence/StateChunk.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>

using plugin::IByteChunk;
using plugin::igraphics::DiskPresetItem;
using plugin::igraphics::DiskPresetManager;

// ---- Construction

void Pelmora::LoadSettings()
{
  // The support folder, its "Presets" folder and their parents are made when missing; when the
  // folder cannot be made the three paths stay empty and nothing is read or written.
  mSettingsPath.Set("");
  mPresetsPath.Set("");
  if (!Settings::MakeSupportFolder(GetMfrName(), GetProductName(), mSupportPath))
    return;
  mSettingsPath.SetFormatted(2048, "%s%s", mSupportPath.Get(), Settings::kFileName);
  mPresetsPath.SetFormatted(2048, "%s%s", mSupportPath.Get(), Settings::kPresetsFolder);
  Settings::Read(mSettingsPath.Get(), mScale, mShowKeyboard);
  SaveSettings();
  SetScaledEditorSize();
}

void Pelmora::SetScaledEditorSize()
{
  // As the graphics context sizes its window: points times the scale, rounded up.
  using plugin::igraphics::IGraphics;
  SetEditorSize(IGraphics::ScaledPixels(Settings::kEditorWidth, mScale),
                IGraphics::ScaledPixels(Settings::EditorHeight(mShowKeyboard), mScale));
}

void Pelmora::LoadInitialPreset()
{
  mPresetManager =
    std::make_unique<DiskPresetManager>(mPresetsPath.Get(), PresetFile::kExtension, false);
  mPresetManager->Init();
  // The first preset found; when there is none, or it cannot be read, the initial sound.
  if (mPresetManager->NumPresets() > 0 && LoadPresetFrom(0, ESoundSource::kStartUp))
    return;
  MakeDefaultPreset("Init", 1);
  ModifyCurrentPreset("Init");
}

// ---- State chunk

float Pelmora::ModelSampleRate() const
{
  return EnvelopeParameter::UsableRate(mGlobalParams->mSampleRate);
}

void Pelmora::GatherState(InstrumentState& state) const
{
  state.mName = mPresetName.Get();
  state.mCategory = mPresetCategory.Get();
  state.mIndex = mPresetIndex;
  for (int e = 0; e < kNumEnvelopes; e++)
    state.mEnvelopes[static_cast<size_t>(e)] = mGlobalParams->GetEnvelope(e)->Get();
  for (int i = 0; i < kNumParams; i++)
  {
    if (const plugin::IParam* param = GetParam(i))
      state.mParams[static_cast<size_t>(i)] = param->Value();
  }
}

bool Pelmora::SerializeState(IByteChunk& chunk) const
{
  auto state = std::make_unique<InstrumentState>();
  GatherState(*state);
  return StateChunk::Write(*state, chunk);
}

int Pelmora::UnserializeState(const IByteChunk& chunk, int startPos)
{
  auto sound = std::make_unique<InstrumentState>();
  const int end = StateChunk::Read(chunk, startPos, ModelSampleRate(), *sound);
  if (end < 0)
    return -1;
  if (sound->mIndex < -1)
  {
    // The first preset file's envelopes and identity (the current identity when there is no
    // readable file), with the chunk's parameter values.
    const std::array<double, InstrumentState::kNumParams> values = sound->mParams;
    if (!ReadPreset(0, *sound))
    {
      sound->mName = mPresetName.Get();
      sound->mCategory = mPresetCategory.Get();
      sound->mIndex = mPresetIndex;
    }
    sound->mParams = values;
  }
  ApplySound(*sound, ESoundSource::kHost);
  return end;
}

int Pelmora::CheckState(const IByteChunk& chunk, int startPos) const
{
  auto sound = std::make_unique<InstrumentState>();
  return StateChunk::Read(chunk, startPos, ModelSampleRate(), *sound);
}

void Pelmora::OnRestoreState() {}

void Pelmora::InitPreset()
{
  mGlobalParams->InitSound(); // the sound model's own reset: the default envelopes at its rate
  auto sound = std::make_unique<InstrumentState>();
  sound->mName = "Init";
  sound->mCategory = "Init";
  sound->mIndex = -1;
  for (int e = 0; e < kNumEnvelopes; e++)
    sound->mEnvelopes[static_cast<size_t>(e)] = mGlobalParams->GetEnvelope(e)->Get();
  for (int i = 0; i < kNumParams; i++)
  {
    if (const plugin::IParam* param = GetParam(i))
      sound->mParams[static_cast<size_t>(i)] = param->GetDefault();
  }
  ApplySound(*sound, ESoundSource::kInit);
}

void Pelmora::ApplySound(const InstrumentState& sound, ESoundSource source)
{
  for (int e = 0; e < kNumEnvelopes; e++)
    mGlobalParams->GetEnvelope(e)->Set(sound.mEnvelopes[static_cast<size_t>(e)]);
  // Each parameter stores its value (stepped and clamped like any value) and the engine gets it
  // as stored; a whole sound never follows the operator link.
  std::array<bool, kNumParams> changed{};
  for (int i = 0; i < kNumParams; i++)
  {
    if (plugin::IParam* param = GetParam(i))
    {
      const double before = param->Value();
      param->Set(sound.mParams[static_cast<size_t>(i)]);
      changed[static_cast<size_t>(i)] = param->Value() != before;
    }
    ApplyParam(i, false);
  }

  mPresetIndex = sound.mIndex;
  mPresetName.Set(sound.mName.c_str());
  mPresetCategory.Set(sound.mCategory.c_str());
  if (sound.mIndex >= 0 || source == ESoundSource::kInit)
  {
    // The program takes the sound's name (at construction its slot is not filled yet: it is
    // now, so the slots left empty are filled around it).
    if (plugin::IPreset* slot = GetPreset(GetCurrentPresetIdx()))
      slot->mInitialized = true;
    ModifyCurrentPreset(sound.mName.c_str());
  }

  DropQueuedParamChanges(); // older than this sound
  mEditorControls->ShowSound(source == ESoundSource::kInit);
  for (int slot = 0; slot < kNumModSlots; slot++)
    UpdateKnobModulation(slot, ModulationAmount(slot));
  UpdateDisplayPresetName();
  UpdateAllCustomControls();
  if (source == ESoundSource::kPreset || source == ESoundSource::kInit)
  {
    // Outside any edit gesture: the plug-in, not the user at the host, moved the values.
    for (int i = 0; i < kNumParams; i++)
    {
      if (changed[static_cast<size_t>(i)])
        InformHostOfParamChange(i, GetParam(i)->GetNormalized());
    }
    InformHostOfPresetChange();
  }
}

void Pelmora::UpdateDisplayPresetName()
{
  mEditorControls->UpdateDisplayPresetName();
}

void Pelmora::UpdateAllCustomControls()
{
  UpdateLfoTempoControls();
  UpdateEnvelopeControls({kEnvelopeOpA, kEnvelopeOpB, kEnvelopeOpC, kEnvelopeOpD, kEnvelopeMod});
  UpdateWaveformControl();
}

// ---- Preset files

bool Pelmora::ReadPreset(int index, InstrumentState& sound) const
{
  const DiskPresetItem* item = mPresetManager ? mPresetManager->GetPreset(index) : nullptr;
  std::string text;
  auto content = std::make_unique<PresetContent>();
  if (!item || !PresetFile::ReadFile(item->mPath.Get(), text) ||
      !PresetFile::Read(text, ModelSampleRate(), *content))
    return false;
  std::copy_n(content->mParams.begin(), content->mNumParams, sound.mParams.begin());
  sound.mEnvelopes = content->mEnvelopes;
  sound.mIndex = index;
  sound.mName = item->mName.Get();
  sound.mCategory = item->mCategory.Get();
  return true;
}

bool Pelmora::LoadPreset(int index)
{
  return LoadPresetFrom(index, ESoundSource::kPreset);
}

bool Pelmora::LoadPresetFrom(int index, ESoundSource source)
{
  auto sound = std::make_unique<InstrumentState>();
  GatherState(*sound); // the parameters a file does not set keep their values
  if (!ReadPreset(index, *sound))
    return false;
  ApplySound(*sound, source);
  return true;
}

bool Pelmora::SavePreset(const char* requestedPath)
{
  // Spelt as the preset index spells its files, so that the saved preset is listed and found.
  const std::string file = PresetFile::SavePath(requestedPath ? requestedPath : "");
  if (file.empty())
    return false;
  const char* path = file.c_str();
  const std::string name = PresetFile::NameFromPath(path);
  auto state = std::make_unique<InstrumentState>();
  GatherState(*state);
  std::array<const char*, InstrumentState::kNumParams> names{};
  for (int i = 0; i < kNumParams; i++)
  {
    if (const plugin::IParam* param = GetParam(i))
      names[static_cast<size_t>(i)] = param->GetName();
  }
  if (!PresetFile::WriteFile(path, PresetFile::Write(GetProductName(), name, names, *state)))
    return false;

  mPresetName.Set(name.c_str());
  SetPresetCategoryNameByPath(path);
  mPresetManager->Init();
  mPresetIndex = mPresetManager->GetPresetIndexByPath(Util_String(path));
  ModifyCurrentPreset(name.c_str());
  InformHostOfPresetChange();
  UpdateDisplayPresetName();
  mEditorControls->RebuildPresetMenu();
  return true;
}

void Pelmora::SavePreset()
{
  plugin::igraphics::IGraphics* ui = GetUI();
  if (!ui || !ui->WindowIsOpen() || !mPresetsPath.GetLength())
    return;
  // Proposed: the current preset's file under the "Presets" folder, without its extension
  // ("Bass/Deep"), or the current name for a sound that has no file.
  std::string proposed = mPresetName.Get();
  const DiskPresetItem* item = mPresetManager ? mPresetManager->GetPreset(mPresetIndex) : nullptr;
  const std::string folder = std::string(mPresetsPath.Get()) + "/";
  if (mPresetIndex >= 0 && item &&
      std::strncmp(item->mPath.Get(), folder.c_str(), folder.size()) == 0)
  {
    proposed = item->mPath.Get() + folder.size();
    proposed.resize(proposed.size() -
                    std::min(proposed.size(), std::strlen(PresetFile::kExtension) + 1));
  }
  Util_String fileName(proposed.c_str());
  Util_String path(mPresetsPath.Get());
  ui->PromptForFile(fileName, path, plugin::igraphics::EFileAction::kSave, PresetFile::kExtension,
                    [this](const Util_String& file, const Util_String&)
                    {
                      // An empty answer: cancelled, nothing is saved.
                      if (file.GetLength() > 0 && !SavePreset(file.Get()))
                        mEditorControls->ShowMessage("The preset could not be saved there.");
                    });
}

void Pelmora::SetPresetCategoryNameByPath(const char* path)
{
  mPresetCategory.Set(PresetFile::CategoryFromPath(path ? path : "").c_str());
}

// ---- Settings, editor size and manual

bool Pelmora::SaveSettings()
{
  if (!mSettingsPath.GetLength())
    return false;
  return Settings::Write(mSettingsPath.Get(), mScale, mShowKeyboard);
}

void Pelmora::Resize(float scale)
{
  mScale = scale;
  // An open editor tells the host itself, in the pixels of its window.
  if (plugin::igraphics::IGraphics* ui = GetUI())
    ui->Resize(Settings::kEditorWidth, Settings::EditorHeight(mShowKeyboard), scale, true);
  else
    SetScaledEditorSize();
}

void Pelmora::ToggleKeyboard(bool flip)
{
  if (flip)
  {
    mShowKeyboard = !mShowKeyboard;
    SaveSettings();
  }
  if (plugin::igraphics::IGraphics* ui = GetUI())
  {
    ui->Resize(Settings::kEditorWidth, Settings::EditorHeight(mShowKeyboard),
               ui->GetWantedDrawScale(), true);
    mEditorControls->ShowKeyboardRow(mShowKeyboard);
  }
  else
    SetScaledEditorSize();
}

EManualResult Pelmora::OpenManual() const
{
  const EManualResult result = ::OpenManual(mSupportPath.Get());
  if (result != EManualResult::kOpened)
    mEditorControls->ShowMessage(ManualResultText(result));
  return result;
}
