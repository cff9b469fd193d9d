#include "instrument/persistence/PresetFile.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <sys/stat.h>

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace
{

std::array<const char*, InstrumentState::kNumParams> ParamNames()
{
  static std::vector<std::string> names;
  std::array<const char*, InstrumentState::kNumParams> out{};
  for (int i = 0; i < InstrumentState::kNumParams; ++i)
  {
    names.push_back("Param " + std::to_string(i));
  }
  for (int i = 0; i < InstrumentState::kNumParams; ++i)
  {
    out[static_cast<size_t>(i)] = names[static_cast<size_t>(i)].c_str();
  }
  return out;
}

std::unique_ptr<InstrumentState> SmallState()
{
  auto state = std::make_unique<InstrumentState>();
  state->mParams[0] = 3.0;
  state->mParams[1] = 0.25;
  state->mParams[63] = 1.0;
  for (int e = 0; e < kNumEnvelopes; ++e)
  {
    EnvelopeParameter& envelope = state->mEnvelopes[static_cast<size_t>(e)];
    envelope.mSustain = false;
    envelope.InitStages(1);
    envelope.SetStage(0, 0.8f, 0.5f, 100.0f);
  }
  return state;
}

std::string EnvelopeText(const char* indent, const char* name)
{
  const std::string i = indent;
  return i + "{\n" + i + "  \"name\": \"" + name + "\",\n" + i + "  \"stages\": [\n" + i +
         "    {\n" + i + "      \"end\": 0.5,\n" + i + "      \"start\": 0.800000011920929,\n" + i +
         "      \"time\": 100.0\n" + i + "    }\n" + i + "  ],\n" + i + "  \"sustain\": false\n" +
         i + "}";
}

// A valid file with the given replacements applied to its text.
std::string ValidFile()
{
  return PresetFile::Write("Pelmora", "Bright", ParamNames(), *SmallState());
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos)
  {
    text.replace(at, from.size(), to);
  }
  return text;
}

} // namespace

TEST(PresetFile, WritesTheExactLayout)
{
  std::string expected = "{\n  \"plugin\": \"Pelmora\",\n  \"version\": 131840,\n"
                         "  \"name\": \"Bright\",\n  \"parameter\": [\n";
  const char* values[InstrumentState::kNumParams] = {};
  for (const char*& value : values)
  {
    value = "0.0";
  }
  values[0] = "3.0";
  values[1] = "0.25";
  values[63] = "1.0";
  for (int i = 0; i < InstrumentState::kNumParams; ++i)
  {
    expected += "    {\n      \"index\": " + std::to_string(i) + ",\n      \"name\": \"Param " +
                std::to_string(i) + "\",\n      \"value\": " + values[i] + "\n    }" +
                (i < 63 ? ",\n" : "\n");
  }
  expected += "  ],\n  \"opEnvelopes\": [\n";
  for (int e = 1; e <= 4; ++e)
  {
    expected +=
      EnvelopeText("    ", ("Op Env " + std::to_string(e)).c_str()) + (e < 4 ? ",\n" : "\n");
  }
  expected += "  ],\n  \"modEnvelope\": " + EnvelopeText("  ", "Mod Env").substr(2) + "\n}";
  EXPECT_EQ(ValidFile(), expected);

  // The text is the same in a decimal-comma locale.
  testsupport::CommaLocale comma;
  if (comma.Active())
  {
    EXPECT_EQ(ValidFile(), expected);
    PresetContent content;
    ASSERT_TRUE(PresetFile::Read(expected, 44100.0f, content));
    EXPECT_EQ(content.mParams[1], 0.25);
  }
}

TEST(PresetFile, ParametersAreSetByPositionUpToSixtyFour)
{
  // Wrong "index" values do not matter; fewer entries set fewer parameters.
  const std::string three = R"({"plugin": "Pelmora", "version": 131840, "name": "x",
    "parameter": [{"index": 9, "name": "a", "value": 1.5},
                  {"index": 9, "name": "b", "value": 2},
                  {"index": -4, "name": "c", "value": -3.25}],
    "opEnvelopes": [%E, %E, %E, %E, %E], "modEnvelope": %E})";
  const std::string envelope =
    R"({"sustain": false, "stages": [{"start": 0, "end": 1, "time": 10}]})";
  std::string text = three;
  for (size_t at; (at = text.find("%E")) != std::string::npos;)
  {
    text.replace(at, 2, envelope);
  }
  PresetContent content;
  ASSERT_TRUE(PresetFile::Read(text, 48000.0f, content));
  EXPECT_EQ(content.mNumParams, 3);
  EXPECT_EQ(content.mParams[0], 1.5);
  EXPECT_EQ(content.mParams[1], 2.0);
  EXPECT_EQ(content.mParams[2], -3.25);
  EXPECT_EQ(content.mEnvelopes[kEnvelopeMod].Stage(0).mSamples, 480); // 10 ms at 48 kHz

  // 70 entries: the first 64 count.
  std::string parameters;
  for (int i = 0; i < 70; ++i)
  {
    parameters += (i ? "," : "") + std::string(R"({"index": 0, "name": "p", "value": )") +
                  std::to_string(i) + "}";
  }
  const size_t open = text.find("[{\"index\": 9");
  const size_t close = text.find("}]", open) + 2;
  text.replace(open, close - open, "[" + parameters + "]");
  ASSERT_TRUE(PresetFile::Read(text, 48000.0f, content));
  EXPECT_EQ(content.mNumParams, 64);
  EXPECT_EQ(content.mParams[63], 63.0);
}

TEST(PresetFile, BrokenFilesAreRefusedWhole)
{
  const std::string valid = ValidFile();
  const std::string stage = "{\n        \"end\": 0.5,\n        \"start\": 0.800000011920929,\n"
                            "        \"time\": 100.0\n      }";
  const std::string fourStages = stage + "," + stage + "," + stage + "," + stage;
  // Well-formed, only one envelope short: refused for the count, not for the text.
  const std::string threeEnvelopes = Replaced(valid, ",\n" + EnvelopeText("    ", "Op Env 4"), "");
  SynthPreset decoded;
  ASSERT_TRUE(PresetFile::Decode(threeEnvelopes, decoded));
  ASSERT_EQ(decoded.opEnvelopes.size(), 3u);
  const std::vector<std::pair<const char*, std::string>> broken = {
    {"no modEnvelope", valid.substr(0, valid.find(",\n  \"modEnvelope\"")) + "}"},
    {"sustain as a number", Replaced(valid, "\"sustain\": false\n  }", "\"sustain\": 0\n  }")},
    {"value as text", Replaced(valid, "\"value\": 0.25", "\"value\": \"0.25\"")},
    {"index as a fraction", Replaced(valid, "\"index\": 1,", "\"index\": 1.5,")},
    {"three operator envelopes", threeEnvelopes},
    {"no stage", Replaced(valid, "\"stages\": [\n      " + stage + "\n    ]", "\"stages\": []")},
    {"sustain with three stages",
     Replaced(Replaced(valid, "\"sustain\": false\n  }", "\"sustain\": true\n  }"),
              "      " + stage + "\n    ]", stage + "," + stage + "," + stage + "]")},
    {"a number out of range", Replaced(valid, "\"time\": 100.0\n      }", "\"time\": 1e999}")},
    {"a missing stage key", Replaced(valid, "\"time\": 100.0\n      }", "\"tim\": 100.0}")},
    {"a comment", "// saved\n" + valid},
    {"text after the document", valid + " x"},
    {"not an object", "[1, 2]"},
    {"empty", ""},
    {"cut short", valid.substr(0, valid.size() / 2)},
  };
  // The sustain-with-three-stages case is refused only for that reason: four stages pass.
  EXPECT_TRUE(
    [&]
    {
      PresetContent content;
      return PresetFile::Read(
        Replaced(Replaced(valid, "\"sustain\": false\n  }", "\"sustain\": true\n  }"),
                 "      " + stage + "\n    ]", fourStages + "]"),
        44100.0f, content);
    }());

  PresetContent sentinel;
  sentinel.mNumParams = 7;
  sentinel.mParams[0] = 42.0;
  for (const auto& [what, text] : broken)
  {
    PresetContent content = sentinel;
    EXPECT_FALSE(PresetFile::Read(text, 44100.0f, content)) << what;
    EXPECT_EQ(content.mNumParams, 7) << what;
    EXPECT_EQ(content.mParams[0], 42.0) << what;
  }
}

TEST(PresetFile, FilesAreWrittenWholeOrNotAtAll)
{
  TempDir dir;
  const std::string path = dir / "Lead.preset";
  ASSERT_TRUE(PresetFile::WriteFile(path.c_str(), "first"));
  ASSERT_TRUE(PresetFile::WriteFile(path.c_str(), "second"));
  EXPECT_EQ(ReadFile(path), "second");
  std::string text;
  ASSERT_TRUE(PresetFile::ReadFile(path.c_str(), text));
  EXPECT_EQ(text, "second");
  EXPECT_EQ(ReadFile(dir / ".Lead.preset.new"), "") << "no temporary file is left";

  // A preset the user made read-only is kept; a writable one keeps its mode.
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  EXPECT_FALSE(PresetFile::WriteFile(path.c_str(), "over"));
  EXPECT_EQ(ReadFile(path), "second");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(PresetFile::WriteFile(path.c_str(), "second"));
  struct stat status;
  ASSERT_EQ(stat(path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0640u);

  EXPECT_FALSE(PresetFile::WriteFile((dir / "missing/Lead.preset").c_str(), "x"));
  EXPECT_FALSE(PresetFile::WriteFile(dir.Path().c_str(), "x")) << "a folder is not a file";
  ASSERT_EQ(chmod(dir.Path().c_str(), 0500), 0);
  if (access(dir.Path().c_str(), W_OK) != 0) // root may write anyway
  {
    EXPECT_FALSE(PresetFile::WriteFile(path.c_str(), "third"));
    EXPECT_EQ(ReadFile(path), "second");
  }
  chmod(dir.Path().c_str(), 0700);

  // A FIFO or a folder named like a preset is refused without blocking.
  ASSERT_EQ(mkfifo((dir / "pipe.preset").c_str(), 0600), 0);
  text = "kept";
  EXPECT_FALSE(PresetFile::ReadFile((dir / "pipe.preset").c_str(), text));
  EXPECT_FALSE(PresetFile::ReadFile(dir.Path().c_str(), text));
  EXPECT_FALSE(PresetFile::ReadFile((dir / "none.preset").c_str(), text));
  EXPECT_EQ(text, "kept");
}

TEST(PresetFile, PathsAndTextUtilities)
{
  EXPECT_EQ(PresetFile::NameFromPath("/p/Presets/Pads/Soft v2.1.preset"), "Soft v2.1");
  EXPECT_EQ(PresetFile::NameFromPath("C:\\x\\Warm.preset"), "Warm");
  EXPECT_EQ(PresetFile::NameFromPath("NoExtension"), "NoExtension");
  EXPECT_EQ(PresetFile::CategoryFromPath("/p/Presets/Pads/Soft.preset"), "Pads");
  EXPECT_EQ(PresetFile::CategoryFromPath("/p/Presets/Soft.preset"), "Presets");
  EXPECT_EQ(PresetFile::CategoryFromPath("Soft.preset"), "");
  EXPECT_EQ(PresetFile::SavePath("/p/Presets/./Pads//Soft.preset"), "/p/Presets/Pads/Soft.preset");
  EXPECT_EQ(PresetFile::SavePath("/p/Presets/x/../Soft v2.1"), "/p/Presets/Soft v2.1.preset");
  EXPECT_EQ(PresetFile::SavePath("/p/Presets/"), "");

  const std::vector<unsigned char> decoded = base64_decode("SGVsbG8=IGdvbmU");
  EXPECT_EQ(std::string(decoded.begin(), decoded.end()), "Hello");
  EXPECT_TRUE(base64_decode("*abc").empty());

  char text[] = "  \t padded text \n ";
  EXPECT_STREQ(trimwhitespace(text), "padded text");
  char out[8];
  EXPECT_EQ(trimwhitespace(out, sizeof(out), "  abcdefghij "), 7u);
  EXPECT_STREQ(out, "abcdefg");
  EXPECT_EQ(trimwhitespace(out, sizeof(out), "   "), 1u);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(trimwhitespace(out, 0, "x"), 0u);
}
