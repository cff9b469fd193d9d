// FXP/FXB program and bank files and the preset-source dumps of IPluginBase.
//
// File layouts (all integers 32-bit big-endian, magics stored as their four characters):
//   program: "CcnK", byte size, "FPCh" (state) or "FxCk" (parameters), format version 1,
//            unique id, decimal version, parameter count, 28-byte name, then either the state
//            size and the state (chunk header + state) or one normalized float per parameter;
//   bank:    "CcnK", byte size, "FBCh" or "FxBk", format version 2, unique id, decimal version,
//            slot count, current slot, 124 zero bytes, then either the bank size and the bank
//            (chunk header + slot records) or one program record per slot.
// Loaders check every size against the file before they change anything.

#include "framework/plugin/IPluginBase.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace plugin
{

namespace
{

constexpr int kFxNameLen = 28;      // name field, zero-filled, at most 27 characters
constexpr int kFxpHeaderSize = 56;  // up to the state size / first parameter
constexpr int kFxbHeaderSize = 156; // up to the bank size / first program
int32_t Magic(const char* m)
{
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint8_t>(m[0])) << 24 |
                              static_cast<uint32_t>(static_cast<uint8_t>(m[1])) << 16 |
                              static_cast<uint32_t>(static_cast<uint8_t>(m[2])) << 8 |
                              static_cast<uint8_t>(m[3]));
}

void PutBE(std::vector<uint8_t>& out, int32_t v)
{
  const auto u = static_cast<uint32_t>(v);
  out.insert(out.end(), {static_cast<uint8_t>(u >> 24), static_cast<uint8_t>(u >> 16),
                         static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u)});
}

void PutBEFloat(std::vector<uint8_t>& out, float f)
{
  int32_t bits;
  std::memcpy(&bits, &f, 4);
  PutBE(out, bits);
}

void PutName(std::vector<uint8_t>& out, const char* name)
{
  uint8_t field[kFxNameLen] = {};
  std::memcpy(field, name, strnlen(name, kFxNameLen - 1));
  out.insert(out.end(), field, field + kFxNameLen);
}

// A program record up to its state size or first parameter (kFxpHeaderSize bytes).
void PutProgramHeader(std::vector<uint8_t>& out, int32_t byteSize, const char* kind,
                      int32_t uniqueID, int32_t version, int32_t nParams, const char* name)
{
  PutBE(out, Magic("CcnK"));
  PutBE(out, byteSize);
  PutBE(out, Magic(kind));
  PutBE(out, 1);
  PutBE(out, uniqueID);
  PutBE(out, version);
  PutBE(out, nParams);
  PutName(out, name);
}

// Reads of the file's bytes; a read that does not fit answers false.
struct FileBytes
{
  std::vector<uint8_t> mBytes;

  int Size() const { return static_cast<int>(mBytes.size()); }
  bool Fits(int pos, int n) const { return pos >= 0 && n >= 0 && pos <= Size() - n; }
  bool BE(int pos, int32_t& v) const
  {
    if (!Fits(pos, 4))
      return false;
    const uint8_t* p = mBytes.data() + pos;
    v = static_cast<int32_t>(static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
                             static_cast<uint32_t>(p[2]) << 8 | p[3]);
    return true;
  }
  bool Is(int pos, int32_t expected) const
  {
    int32_t v;
    return BE(pos, v) && v == expected;
  }
  float BEFloat(int pos) const
  {
    int32_t bits = 0;
    BE(pos, bits);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
  }
  std::string Name(int pos) const
  {
    if (!Fits(pos, kFxNameLen))
      return "";
    const char* p = reinterpret_cast<const char*>(mBytes.data() + pos);
    return std::string(p, strnlen(p, kFxNameLen));
  }
  // Offset of a state inside the file: after a chunk header when one stands there.
  int SkipChunkHeader(int pos) const
  {
    if (Fits(pos, 8) && std::memcmp(mBytes.data() + pos, "tffp", 4) == 0)
      return pos + 8;
    return pos;
  }
};

bool ReadWholeFile(const char* file, FileBytes& out)
{
  FILE* f = std::fopen(file, "rb");
  if (!f)
    return false;
  uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0)
  {
    out.mBytes.insert(out.mBytes.end(), buffer, buffer + n);
    if (out.mBytes.size() > (1u << 30))
      break; // no program file is this large; the size checks refuse it
  }
  std::fclose(f);
  return true;
}

bool WriteWholeFile(const char* file, const std::vector<uint8_t>& bytes)
{
  FILE* f = std::fopen(file, "wb");
  if (!f)
    return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// The opaque state after a file header of headerSize bytes: its byte size, then the state
// (behind a chunk header when one stands there, which the size counts). False when the size
// does not fit the file.
bool StateAfterHeader(const FileBytes& file, int headerSize, IByteChunk& state)
{
  int32_t size = 0;
  const int pos = headerSize + 4;
  if (!file.BE(headerSize, size) || !file.Fits(pos, size))
    return false;
  const int start = file.SkipChunkHeader(pos);
  state.AppendBytes(file.mBytes.data() + start, size - (start - pos));
  return true;
}

std::string Base64(const uint8_t* data, int size)
{
  static const char* const kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (int i = 0; i < size; i += 3)
  {
    const uint32_t b0 = data[i];
    const uint32_t b1 = i + 1 < size ? data[i + 1] : 0;
    const uint32_t b2 = i + 2 < size ? data[i + 2] : 0;
    const uint32_t v = b0 << 16 | b1 << 8 | b2;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += i + 1 < size ? kAlphabet[(v >> 6) & 63] : '=';
    out += i + 2 < size ? kAlphabet[v & 63] : '=';
  }
  return out;
}

} // namespace

bool IPluginBase::SavePresetAsFXP(const char* file) const
{
  if (!file || !*file)
    return false;
  std::vector<uint8_t> out;
  const char* name = GetPresetName(mCurrentPresetIdx);
  if (DoesStateChunks())
  {
    IByteChunk state;
    IByteChunk::InitChunkWithFrameworkVer(state);
    SerializeState(state);
    PutProgramHeader(out, state.Size() + 60, "FPCh", mUniqueID, GetPluginVersion(true), NParams(),
                     name);
    PutBE(out, state.Size());
    out.insert(out.end(), state.Data(), state.Data() + state.Size());
  }
  else
  {
    PutProgramHeader(out, 0, "FxCk", mUniqueID, GetPluginVersion(true), NParams(), name);
    for (int i = 0; i < NParams(); i++)
      PutBEFloat(out, static_cast<float>(GetParam(i)->GetNormalized()));
  }
  return WriteWholeFile(file, out);
}

bool IPluginBase::SaveBankAsFXB(const char* file) const
{
  if (!file || !*file)
    return false;
  std::vector<uint8_t> out;
  PutBE(out, Magic("CcnK"));
  IByteChunk bank;
  if (DoesStateChunks())
  {
    IByteChunk::InitChunkWithFrameworkVer(bank);
    SerializePresets(bank);
  }
  PutBE(out, DoesStateChunks() ? bank.Size() + 160 : 0);
  PutBE(out, Magic(DoesStateChunks() ? "FBCh" : "FxBk"));
  PutBE(out, 2);
  PutBE(out, mUniqueID);
  PutBE(out, GetPluginVersion(true));
  PutBE(out, NPresets());
  PutBE(out, mCurrentPresetIdx);
  out.resize(kFxbHeaderSize, 0);
  if (DoesStateChunks())
  {
    PutBE(out, bank.Size());
    out.insert(out.end(), bank.Data(), bank.Data() + bank.Size());
    return WriteWholeFile(file, out);
  }
  for (const auto& preset : mPresets)
  {
    PutProgramHeader(out, 0, "FxCk", mUniqueID, GetPluginVersion(true), NParams(), preset->mName);
    int pos = 0;
    for (int i = 0; i < NParams(); i++)
    {
      double v = 0.0;
      if (pos >= 0)
        pos = preset->mChunk.ReadValue(v, pos);
      if (pos < 0)
        v = 0.0;
      PutBEFloat(out, static_cast<float>(GetParam(i)->ToNormalized(v)));
    }
  }
  return WriteWholeFile(file, out);
}

bool IPluginBase::LoadPresetFromFXP(const char* file)
{
  FileBytes f;
  if (!file || !*file || !ReadWholeFile(file, f))
    return false;
  if (!f.Is(0, Magic("CcnK")) || !f.Is(12, 1) || !f.Is(16, mUniqueID))
    return false;
  const std::string name = f.Name(28);
  int32_t kind = 0;
  f.BE(8, kind);
  if (DoesStateChunks() && kind == Magic("FPCh"))
  {
    IByteChunk state;
    if (!StateAfterHeader(f, kFxpHeaderSize, state) || UnserializeState(state, 0) < 0)
      return false;
    ModifyCurrentPreset(name.c_str());
  }
  else if (kind == Magic("FxCk"))
  {
    if (!f.Fits(kFxpHeaderSize, 4 * NParams()))
      return false;
    for (int i = 0; i < NParams(); i++)
      GetParam(i)->SetNormalized(f.BEFloat(kFxpHeaderSize + 4 * i));
    ModifyCurrentPreset(name.c_str());
  }
  else
  {
    return false;
  }
  RestorePreset(mCurrentPresetIdx);
  InformHostOfPresetChange();
  return true;
}

bool IPluginBase::LoadBankFromFXB(const char* file)
{
  FileBytes f;
  if (!file || !*file || !ReadWholeFile(file, f))
    return false;
  if (!f.Is(0, Magic("CcnK")) || !f.Is(16, mUniqueID))
    return false;
  int32_t kind = 0, nSlots = 0, current = 0;
  if (!f.BE(8, kind) || !f.BE(24, nSlots) || !f.BE(28, current))
    return false;
  if (DoesStateChunks() && kind == Magic("FBCh"))
  {
    IByteChunk bank;
    if (!StateAfterHeader(f, kFxbHeaderSize, bank) || UnserializePresets(bank, 0) < 0)
      return false;
    InformHostOfPresetChange();
    return true;
  }
  if (kind != Magic("FxBk"))
    return false;
  // Check every program record before anything changes.
  const int recordSize = kFxpHeaderSize + 4 * NParams();
  for (int k = 0; k < nSlots; k++)
  {
    const int pos = kFxbHeaderSize + k * recordSize;
    if (!f.Fits(pos, recordSize) || !f.Is(pos, Magic("CcnK")) || !f.Is(pos + 8, Magic("FxCk")) ||
        !f.Is(pos + 12, 1) || !f.Is(pos + 24, NParams()))
      return false;
  }
  // Records beyond this plug-in's slots are ignored.
  for (int k = 0; k < nSlots && k < NPresets(); k++)
  {
    const int pos = kFxbHeaderSize + k * recordSize;
    RestorePreset(k);
    for (int i = 0; i < NParams(); i++)
      GetParam(i)->SetNormalized(f.BEFloat(pos + kFxpHeaderSize + 4 * i));
    ModifyCurrentPreset(f.Name(pos + 28).c_str());
  }
  RestorePreset(current);
  InformHostOfPresetChange();
  return true;
}

namespace
{
std::string ValueText(const IParam& param)
{
  char text[64];
  const double v = param.Value();
  switch (param.Type())
  {
  case IParam::kTypeBool:
    return v >= 0.5 ? "true" : "false";
  case IParam::kTypeInt:
  case IParam::kTypeEnum:
    std::snprintf(text, sizeof(text), "%d", static_cast<int>(v));
    return text;
  default:
    std::snprintf(text, sizeof(text), "%.6f", v);
    return text;
  }
}
} // namespace

void IPluginBase::DumpMakePresetSrc(const char* file) const
{
  FILE* f = file && *file ? std::fopen(file, "a") : nullptr;
  if (!f)
    return;
  std::fprintf(f, "MakePreset(\"%s\"", GetPresetName(mCurrentPresetIdx));
  for (int i = 0; i < NParams(); i++)
    std::fprintf(f, ", %s", ValueText(*GetParam(i)).c_str());
  std::fprintf(f, ");\n");
  std::fclose(f);
}

void IPluginBase::DumpMakePresetFromNamedParamsSrc(const char* file,
                                                   const char* paramEnumNames[]) const
{
  FILE* f = file && *file ? std::fopen(file, "a") : nullptr;
  if (!f)
    return;
  std::fprintf(f, "  MakePresetFromNamedParams(\"%s\", %d", GetPresetName(mCurrentPresetIdx),
               NParams());
  for (int i = 0; i < NParams(); i++)
  {
    const char* paramName = paramEnumNames && paramEnumNames[i] ? paramEnumNames[i] : "";
    std::fprintf(f, ",\n    %s, %s", paramName, ValueText(*GetParam(i)).c_str());
  }
  std::fprintf(f, ");\n");
  std::fclose(f);
}

void IPluginBase::DumpPresetBlob(const char* file) const
{
  FILE* f = file && *file ? std::fopen(file, "a") : nullptr;
  if (!f)
    return;
  const IPreset* preset = GetPreset(mCurrentPresetIdx);
  std::fprintf(f, "MakePresetFromBlob(\"%s\", \"", GetPresetName(mCurrentPresetIdx));
  const int size = preset ? preset->mChunk.Size() : 0;
  const std::string encoded = preset ? Base64(preset->mChunk.Data(), size) : "";
  std::fprintf(f, "%s\", %i);\n", encoded.c_str(), size);
  std::fclose(f);
}

} // namespace plugin
