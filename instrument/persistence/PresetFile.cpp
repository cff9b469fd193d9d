#include "instrument/persistence/PresetFile.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using nlohmann::json;
using nlohmann::ordered_json;

namespace
{

// A decoding error: the key (or position) that was missing or of the wrong type.
struct DecodeError
{
  const char* what;
};

const json& At(const json& object, const char* key)
{
  if (!object.is_object())
  {
    throw DecodeError{key};
  }
  const auto found = object.find(key);
  if (found == object.end())
  {
    throw DecodeError{key};
  }
  return *found;
}

std::string String(const json& object, const char* key)
{
  const json& value = At(object, key);
  if (!value.is_string())
  {
    throw DecodeError{key};
  }
  return value.get<std::string>();
}

int Integer(const json& object, const char* key)
{
  const json& value = At(object, key);
  if (!value.is_number_integer())
  {
    throw DecodeError{key};
  }
  return value.get<int>();
}

double Number(const json& object, const char* key)
{
  const json& value = At(object, key);
  if (!value.is_number() || !std::isfinite(value.get<double>()))
  {
    throw DecodeError{key};
  }
  return value.get<double>();
}

bool Boolean(const json& object, const char* key)
{
  const json& value = At(object, key);
  if (!value.is_boolean())
  {
    throw DecodeError{key};
  }
  return value.get<bool>();
}

const json& Array(const json& object, const char* key)
{
  const json& value = At(object, key);
  if (!value.is_array())
  {
    throw DecodeError{key};
  }
  return value;
}

ordered_json EnvelopeJson(const std::string& name, const EnvelopeParameter& envelope)
{
  ordered_json stages = ordered_json::array();
  for (int i = 0; i < envelope.NumStages(); ++i)
  {
    const EnvelopeStageParameter& stage = envelope.Stage(i);
    ordered_json entry;
    entry["end"] = static_cast<double>(stage.mEndLevel);
    entry["start"] = static_cast<double>(stage.mStartLevel);
    entry["time"] = static_cast<double>(envelope.StageMilliseconds(i));
    stages.push_back(std::move(entry));
  }
  ordered_json object;
  object["name"] = name;
  object["stages"] = std::move(stages);
  object["sustain"] = envelope.mSustain;
  return object;
}

bool BuildEnvelope(const SynthPresetEnvelope& record, float sampleRate, EnvelopeParameter& out)
{
  // Any count above the limit is refused; keep it from wrapping when cast.
  const size_t limit = EnvelopeParameter::kMaxStages + 1;
  const int count = static_cast<int>(std::min(record.stages.size(), limit));
  return StoredEnvelope::Build(record.sustain, record.stages.data(), count, sampleRate, out);
}

} // namespace

// The records' decoders: strict about keys and types, as the file format asks.
void from_json(const json& j, PresetParameter& p)
{
  p.index = Integer(j, "index");
  p.name = String(j, "name");
  p.value = Number(j, "value");
}

void from_json(const json& j, PresetEnvStage& s)
{
  s.start = Number(j, "start");
  s.end = Number(j, "end");
  s.time = Number(j, "time");
}

void from_json(const json& j, SynthPresetEnvelope& e)
{
  e.sustain = Boolean(j, "sustain");
  e.stages.clear();
  for (const json& stage : Array(j, "stages"))
  {
    from_json(stage, e.stages.emplace_back());
  }
}

void from_json(const json& j, SynthPreset& p)
{
  p.plugin = String(j, "plugin");
  p.version = Integer(j, "version");
  p.name = String(j, "name");
  p.parameter.clear();
  for (const json& entry : Array(j, "parameter"))
  {
    from_json(entry, p.parameter.emplace_back());
  }
  p.opEnvelopes.clear();
  for (const json& entry : Array(j, "opEnvelopes"))
  {
    from_json(entry, p.opEnvelopes.emplace_back());
  }
  from_json(At(j, "modEnvelope"), p.modEnvelope);
}

std::string
PresetFile::Write(const char* pluginName, const std::string& name,
                  const std::array<const char*, InstrumentState::kNumParams>& paramNames,
                  const InstrumentState& state)
{
  ordered_json parameters = ordered_json::array();
  for (int i = 0; i < InstrumentState::kNumParams; ++i)
  {
    ordered_json entry;
    entry["index"] = i;
    entry["name"] = paramNames[static_cast<size_t>(i)] ? paramNames[static_cast<size_t>(i)] : "";
    entry["value"] = state.mParams[static_cast<size_t>(i)];
    parameters.push_back(std::move(entry));
  }
  ordered_json opEnvelopes = ordered_json::array();
  for (int i = kEnvelopeOpA; i <= kEnvelopeOpD; ++i)
  {
    opEnvelopes.push_back(
      EnvelopeJson("Op Env " + std::to_string(i + 1), state.mEnvelopes[static_cast<size_t>(i)]));
  }
  ordered_json document;
  document["plugin"] = pluginName ? pluginName : "";
  document["version"] = kVersion;
  document["name"] = name;
  document["parameter"] = std::move(parameters);
  document["opEnvelopes"] = std::move(opEnvelopes);
  document["modEnvelope"] = EnvelopeJson("Mod Env", state.mEnvelopes[kEnvelopeMod]);
  return document.dump(2, ' ', false, ordered_json::error_handler_t::replace);
}

bool PresetFile::Decode(std::string_view text, SynthPreset& out)
{
  try
  {
    // No exceptions from the parser, no comments: anything but plain JSON is refused.
    const json document = json::parse(text.begin(), text.end(), nullptr, false, false);
    if (document.is_discarded())
    {
      return false;
    }
    SynthPreset preset;
    from_json(document, preset);
    out = std::move(preset);
    return true;
  }
  catch (...) // DecodeError, or the library's own errors (memory)
  {
    return false;
  }
}

bool PresetFile::Read(std::string_view text, float sampleRate, PresetContent& out)
{
  auto preset = std::make_unique<SynthPreset>();
  if (!Decode(text, *preset) || preset->opEnvelopes.size() < kEnvelopeOpD + 1)
  {
    return false;
  }
  auto content = std::make_unique<PresetContent>();
  content->mNumParams = static_cast<int>(
    std::min<size_t>(preset->parameter.size(), static_cast<size_t>(InstrumentState::kNumParams)));
  for (int i = 0; i < content->mNumParams; ++i)
  {
    content->mParams[static_cast<size_t>(i)] = preset->parameter[static_cast<size_t>(i)].value;
  }
  for (int i = kEnvelopeOpA; i <= kEnvelopeOpD; ++i)
  {
    if (!BuildEnvelope(preset->opEnvelopes[static_cast<size_t>(i)], sampleRate,
                       content->mEnvelopes[static_cast<size_t>(i)]))
    {
      return false;
    }
  }
  if (!BuildEnvelope(preset->modEnvelope, sampleRate, content->mEnvelopes[kEnvelopeMod]))
  {
    return false;
  }
  out = *content;
  return true;
}

bool PresetFile::ReadFile(const char* path, std::string& text)
{
  if (!path || !*path)
  {
    return false;
  }
  // Opened without waiting: a FIFO named like a preset would otherwise block until a writer
  // came. Only a regular file of a sane size is read.
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
  {
    return false;
  }
  struct stat status;
  bool ok = fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size <= kMaxFileBytes;
  std::string content;
  if (ok)
  {
    content.resize(static_cast<size_t>(status.st_size));
    size_t done = 0;
    while (ok && done < content.size())
    {
      const ssize_t got = read(fd, content.data() + done, content.size() - done);
      if (got > 0)
      {
        done += static_cast<size_t>(got);
      }
      else if (got == 0 || errno != EINTR)
      {
        ok = false; // the file shrank under us, or could not be read
      }
    }
  }
  close(fd);
  if (ok)
  {
    text = std::move(content);
  }
  return ok;
}

bool PresetFile::WriteFile(const char* path, const std::string& text)
{
  if (!path || !*path)
  {
    return false;
  }
  const std::string target = path;
  const size_t slash = target.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string file = slash == std::string::npos ? target : target.substr(slash + 1);
  if (file.empty())
  {
    return false;
  }
  // A preset the user made read-only is kept as it is (the rename below would replace it
  // whatever its mode, and root may write anything: the mode itself is asked). A file that is
  // replaced keeps its mode.
  struct stat existing;
  const bool exists = stat(target.c_str(), &existing) == 0;
  if (exists && ((existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
                 access(target.c_str(), W_OK) != 0))
  {
    return false;
  }
  const std::string temporary = folder + "." + file + ".new";
  FILE* out = std::fopen(temporary.c_str(), "wb");
  if (!out)
  {
    return false;
  }
  bool ok = !exists || fchmod(fileno(out), existing.st_mode & 07777) == 0;
  ok = ok && std::fwrite(text.data(), 1, text.size(), out) == text.size();
  ok = std::fflush(out) == 0 && ok;
  ok = std::fclose(out) == 0 && ok;
  if (ok && std::rename(temporary.c_str(), target.c_str()) == 0)
  {
    return true;
  }
  unlink(temporary.c_str());
  return false;
}

std::string PresetFile::SavePath(const std::string& path)
{
  std::error_code error;
  std::filesystem::path file = std::filesystem::absolute(path, error);
  if (error || path.empty())
  {
    return "";
  }
  file = file.lexically_normal();
  const std::string name = file.filename().string();
  const std::string extension = std::string(".") + kExtension;
  if (name.empty() || name == "." || name == "..")
  {
    return ""; // a folder, not a file
  }
  std::string out = file.string();
  if (name.size() <= extension.size() ||
      name.compare(name.size() - extension.size(), extension.size(), extension) != 0)
  {
    out += extension;
  }
  return out;
}

std::string PresetFile::NameFromPath(const std::string& path)
{
  const size_t separator = path.find_last_of("/\\");
  std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos)
  {
    name.resize(dot);
  }
  return name;
}

std::string PresetFile::CategoryFromPath(const std::string& path)
{
  const size_t separator = path.find_last_of("/\\");
  if (separator == std::string::npos)
  {
    return "";
  }
  const std::string folder = path.substr(0, separator);
  const size_t before = folder.find_last_of("/\\");
  return before == std::string::npos ? folder : folder.substr(before + 1);
}

std::vector<unsigned char> base64_decode(std::string_view text)
{
  static constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::vector<unsigned char> bytes;
  uint32_t bits = 0;
  int count = 0;
  for (char c : text)
  {
    const size_t value = kAlphabet.find(c);
    if (c == '=' || value == std::string_view::npos)
    {
      break;
    }
    bits = (bits << 6) | static_cast<uint32_t>(value);
    count += 6;
    if (count >= 8)
    {
      count -= 8;
      bytes.push_back(static_cast<unsigned char>(bits >> count));
    }
  }
  return bytes;
}

char* trimwhitespace(char* text)
{
  while (std::isspace(static_cast<unsigned char>(*text)))
  {
    ++text;
  }
  if (*text == 0)
  {
    return text;
  }
  char* end = text + std::strlen(text) - 1;
  while (end > text && std::isspace(static_cast<unsigned char>(*end)))
  {
    --end;
  }
  end[1] = 0;
  return text;
}

size_t trimwhitespace(char* out, size_t outSize, const char* text)
{
  if (outSize == 0)
  {
    return 0;
  }
  while (std::isspace(static_cast<unsigned char>(*text)))
  {
    ++text;
  }
  if (*text == 0)
  {
    *out = 0;
    return 1;
  }
  const char* end = text + std::strlen(text) - 1;
  while (end > text && std::isspace(static_cast<unsigned char>(*end)))
  {
    --end;
  }
  const size_t length = std::min(static_cast<size_t>(end - text + 1), outSize - 1);
  std::memcpy(out, text, length);
  out[length] = 0;
  return length;
}
