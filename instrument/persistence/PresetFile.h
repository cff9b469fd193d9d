#pragma once

// PresetFile: the instrument's JSON preset files ("<name>.preset" under the "Presets" folder).
//
// Layout as written (nlohmann-json, indented by two blanks, UTF-8 written as it is, no final
// line break); top-level keys in this order, keys of nested objects in alphabetical order:
//
//   {
//     "plugin": "Pelmora",
//     "version": 131840,                       (0x00020300, an integer)
//     "name": "<preset name>",
//     "parameter": [ {"index": 0, "name": "Operator A Waveform", "value": 0.0}, ... 64 ],
//     "opEnvelopes": [ {"name": "Op Env 1", "stages": [...], "sustain": true}, ... 4 ],
//     "modEnvelope": {"name": "Mod Env", "stages": [...], "sustain": false}
//   }
//
// A stage is {"end": level, "start": level, "time": milliseconds}: the levels are the envelope's
// 32-bit floats widened to double, the time is the stage's duration as the envelope keeps it
// (a 32-bit float, whatever the sample rate), widened the same way.
//
// Reading decodes the whole file into the records below and checks it before anything is
// applied: every key present with its JSON type (a "sustain" of 0 is not a boolean), every
// number finite, at least four operator envelopes, each envelope valid (InstrumentState.h).
// Parameters are set by position in "parameter", never by "index"; entries beyond 64 are ignored,
// fewer set only the positions they have.
//
// Threads: [main thread]. Allocates and does file I/O.

#include "instrument/persistence/InstrumentState.h"

#include <nlohmann/json_fwd.hpp>

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The records of a file, as decoded.
struct PresetParameter
{
  int index = 0;
  std::string name;
  double value = 0.0;
};

struct SynthPreset
{
  std::string plugin;
  int version = 0;
  std::string name;
  std::vector<PresetParameter> parameter;
  std::vector<SynthPresetEnvelope> opEnvelopes;
  SynthPresetEnvelope modEnvelope;
};

// Decoders of the records (found by the library through argument-dependent look-up): a missing
// key or a value of another JSON type throws.
void from_json(const nlohmann::json& j, PresetParameter& p);
void from_json(const nlohmann::json& j, PresetEnvStage& s);
void from_json(const nlohmann::json& j, SynthPresetEnvelope& e);
void from_json(const nlohmann::json& j, SynthPreset& p);

// What a file sets once decoded and checked.
struct PresetContent
{
  int mNumParams = 0; // how many leading parameters the file sets (at most 64)
  std::array<double, InstrumentState::kNumParams> mParams{};
  std::array<EnvelopeParameter, kNumEnvelopes> mEnvelopes{};
};

class PresetFile
{
public:
  static constexpr int kVersion = 0x00020300;
  static constexpr const char* kExtension = "preset";
  // Larger files are refused unread (a full preset is a few tens of kilobytes).
  static constexpr long kMaxFileBytes = 4L << 20;

  // The JSON text of a preset named name holding state's parameters and envelopes;
  // paramNames[i] names parameter i. A name that is not valid UTF-8 is written with U+FFFD in
  // place of the bad bytes (never an exception).
  static std::string Write(const char* pluginName, const std::string& name,
                           const std::array<const char*, InstrumentState::kNumParams>& paramNames,
                           const InstrumentState& state);

  // Decodes and checks text; envelopes are built at sampleRate. False leaves out unchanged.
  static bool Read(std::string_view text, float sampleRate, PresetContent& out);
  // Decodes text into the file's records (types checked, values not); false on any error.
  static bool Decode(std::string_view text, SynthPreset& out);

  // Reads a regular file of at most kMaxFileBytes into text.
  static bool ReadFile(const char* path, std::string& text);
  // Writes text to path through a hidden temporary file beside it and a rename, so a failed
  // write never leaves a half-written preset; a file replaced keeps its mode. False when
  // anything failed, and for a file without write permission, which is kept as it is.
  static bool WriteFile(const char* path, const std::string& text);

  // The file a save to path writes: the absolute path without "." and ".." components, with
  // "." + kExtension added unless the file name ends in it (a preset is listed and found by
  // that path). "" for an empty path or one that names a folder.
  static std::string SavePath(const std::string& path);
  // The preset name of a path: the text after the last '/' or '\', cut at its last '.'.
  static std::string NameFromPath(const std::string& path);
  // The name of the folder holding the file: the text between the last two separators ("" when
  // the path has no folder part).
  static std::string CategoryFromPath(const std::string& path);
};

// Text utilities of the instrument.
// Decodes standard Base64, stopping at the first '=' or character outside the alphabet.
std::vector<unsigned char> base64_decode(std::string_view text);
// In place: ends the text after its last non-blank character; answers its first non-blank.
char* trimwhitespace(char* text);
// Copies text without leading and trailing blanks into out (outSize bytes, cut to outSize - 1
// and terminated); answers 0 for outSize 0, 1 for an all-blank text (out empty), otherwise the
// bytes copied.
size_t trimwhitespace(char* out, size_t outSize, const char* text);
