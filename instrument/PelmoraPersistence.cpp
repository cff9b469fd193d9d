// Pelmora's persistence: the host's state chunk, preset files and their folder, the settings file
// and the manual. Every reader decodes and checks its whole input before the instrument changes:
// a refused chunk or file leaves parameters, envelopes and the preset's identity as they were.

#include "instrument/Pelmora.h"

#include "framework/graphics/IGraphics.h"
#include "instrument/PelmoraEditorControls.h"
#include "instrument/PresetFile.h"
#include "instrument/StateChunk.h"

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
  // As the graphics context sizes its window: points times the scale, truncated.
  SetEditorSize(static_cast<int>(Settings::kEditorWidth * mScale),
                static_cast<int>(Settings::EditorHeight(mShowKeyboard) * mScale));
}

void Pelmora::LoadInitialPreset()
{
  mPresetManager =
    std::make_unique<DiskPresetManager>(mPresetsPath.Get(), PresetFile::kExtension, false);
  mPresetManager->Init();
  // The first preset found; when there is none, or it cannot be read, the initial sound.
  if (mPresetManager->NumPresets() > 0 && LoadPreset(0))
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
  auto state = std::make_unique<InstrumentState>();
  const int end = StateChunk::Read(chunk, startPos, ModelSampleRate(), *state);
  if (end < 0)
    return -1;

  for (int e = 0; e < kNumEnvelopes; e++)
    mGlobalParams->GetEnvelope(e)->Set(state->mEnvelopes[static_cast<size_t>(e)]);
  if (state->mIndex >= -1)
  {
    // The chunk's identity, its index included, so that the next chunk is the same.
    mPresetName.Set(state->mName.c_str());
    mPresetCategory.Set(state->mCategory.c_str());
    mPresetIndex = state->mIndex;
    if (state->mIndex >= 0 && mEditorControls)
      mEditorControls->SelectPreset(state->mIndex);
  }
  else
  {
    LoadPreset(0); // the first preset file's envelopes and identity; the values follow
  }
  ApplyParamValues(state->mParams.data(), kNumParams, plugin::kPresetRecall);
  if (state->mIndex >= 0)
    ModifyCurrentPreset(state->mName.c_str());
  UpdateDisplayPresetName();
  UpdateAllCustomControls();
  return end;
}

void Pelmora::ApplyParamValues(const double* values, int count, plugin::EParamSource source)
{
  for (int i = 0; i < count; i++)
  {
    if (plugin::IParam* param = GetParam(i))
      param->Set(values[i]);
  }
  OnParamReset(source); // every parameter reaches the engine and the editor
}

void Pelmora::InitPreset()
{
  mGlobalParams->InitSound(); // the default envelopes, at the current rate
  for (int i = 0; i < kNumParams; i++)
  {
    if (plugin::IParam* param = GetParam(i))
      param->Set(param->GetDefault()); // stepped and clamped like any value
  }
  OnParamReset(plugin::kReset);
  if (mEditorControls)
  {
    SetOperatorLink(false);
    mEditorControls->ResetParameterControls();
    UpdateLfoTempoControls();
  }
  mPresetIndex = -1;
  mPresetName.Set("Init");
  mPresetCategory.Set("Init");
  UpdateDisplayPresetName();
  UpdateAllCustomControls();
}

void Pelmora::UpdateDisplayPresetName()
{
  if (mEditorControls)
    mEditorControls->ShowPreset(mPresetName.Get(), mPresetCategory.Get());
}

void Pelmora::UpdateAllCustomControls()
{
  UpdateLfoTempoControls();
  UpdateEnvelopeControls({kEnvelopeOpA, kEnvelopeOpB, kEnvelopeOpC, kEnvelopeOpD, kEnvelopeMod});
  UpdateWaveformControl();
}

// ---- Preset files

bool Pelmora::LoadPreset(int index)
{
  const DiskPresetItem* item = mPresetManager ? mPresetManager->GetPreset(index) : nullptr;
  std::string text;
  auto content = std::make_unique<PresetContent>();
  if (!item || !PresetFile::ReadFile(item->mPath.Get(), text) ||
      !PresetFile::Read(text, ModelSampleRate(), *content))
    return false;

  // Every parameter takes the file's own value: the operator link stays off meanwhile.
  const bool link = GetOperatorLink();
  SetOperatorLink(false);
  for (int p = content->mNumParams - 1; p >= 0; p--)
  {
    const double value = content->mParams[static_cast<size_t>(p)];
    if (plugin::IParam* param = GetParam(p))
      param->Set(value);
    SendParameterValueFromAPI(p, value, false);
    OnParamChange(p, plugin::kPresetRecall, -1);
    OnParamChangeUI(p, plugin::kPresetRecall);
  }
  if (mEditorControls)
    mEditorControls->RefreshParameterControls();
  for (int e = 0; e < kNumEnvelopes; e++)
    mGlobalParams->GetEnvelope(e)->Set(content->mEnvelopes[static_cast<size_t>(e)]);

  mPresetIndex = index;
  mPresetName.Set(item->mName.Get());
  mPresetCategory.Set(item->mCategory.Get());
  // The program takes the preset's name (at construction its slot is not filled yet: it is now,
  // so the slots left empty are filled around it).
  if (plugin::IPreset* slot = GetPreset(GetCurrentPresetIdx()))
    slot->mInitialized = true;
  ModifyCurrentPreset(mPresetName.Get());
  UpdateDisplayPresetName();
  UpdateAllCustomControls();
  SetOperatorLink(link);
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
  if (mEditorControls)
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
                      if (file.GetLength() > 0 && !SavePreset(file.Get()) && mEditorControls)
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
    ui->Resize(Settings::kEditorWidth, Settings::EditorHeight(mShowKeyboard), ui->GetDrawScale(),
               true);
    if (mEditorControls)
      mEditorControls->ShowKeyboardRow(mShowKeyboard);
  }
  else
    SetScaledEditorSize();
}

EManualResult Pelmora::OpenManual() const
{
  const EManualResult result = ::OpenManual(mSupportPath.Get());
  if (result != EManualResult::kOpened && mEditorControls)
    mEditorControls->ShowMessage(ManualResultText(result));
  return result;
}
