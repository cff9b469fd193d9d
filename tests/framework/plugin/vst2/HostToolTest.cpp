// The host tool's commands against the built test plug-in.

#include "tests/support/TestSupport.h"
#include "tools/HostCommands.h"

#include <gtest/gtest.h>

#include <sstream>

namespace
{
int RunTool(std::vector<std::string> args, std::string& out)
{
  args.insert(args.begin(), "pelmora-host");
  std::vector<const char*> argv;
  for (const std::string& a : args)
    argv.push_back(a.c_str());
  std::ostringstream o, e;
  const int status = host::RunHostCommand(static_cast<int>(argv.size()), argv.data(), o, e);
  out = o.str() + e.str();
  return status;
}
} // namespace

TEST(HostTool, InfoRenderAndChunks)
{
  testsupport::TempDir dir;
  std::string out;
  ASSERT_EQ(RunTool({"info", PELMORA_TEST_PLUGIN}, out), 0) << out;
  EXPECT_NE(out.find("unique id 'Plmr', flags 4401, inputs 0, outputs 2, parameters 64"),
            std::string::npos)
    << out;
  EXPECT_NE(out.find("Cutoff"), std::string::npos);

  ASSERT_EQ(RunTool({"render", PELMORA_TEST_PLUGIN, "-o", dir / "demo.wav", "--tail", "0.5",
                     "--block", "300", "--double"},
                    out),
            0)
    << out;
  // The demo phrase ends at 3.75 s; with the tail 4.25 s at 48 kHz.
  EXPECT_NE(out.find("204000 frames"), std::string::npos) << out;
  EXPECT_NE(out.find("Peak"), std::string::npos);

  ASSERT_EQ(RunTool({"save-chunk", PELMORA_TEST_PLUGIN, dir / "bank.bin", "--bank"}, out), 0)
    << out;
  ASSERT_EQ(RunTool({"load-chunk", PELMORA_TEST_PLUGIN, dir / "bank.bin", "--bank"}, out), 0)
    << out;
  EXPECT_NE(out.find("\"Init\""), std::string::npos) << out;
  ASSERT_EQ(RunTool({"render", PELMORA_TEST_PLUGIN, "-o", dir / "b.wav", "--chunk",
                     dir / "bank.bin", "--bank", "--tail", "0"},
                    out),
            0)
    << out;

  EXPECT_EQ(RunTool({"load-chunk", PELMORA_TEST_PLUGIN, dir / "missing.bin"}, out), 1);
  EXPECT_EQ(RunTool({"info", dir / "nothing.so"}, out), 1);
  EXPECT_EQ(RunTool({"render", PELMORA_TEST_PLUGIN, dir / "not-a-midi-file.mid"}, out), 1);
  EXPECT_EQ(RunTool({"dance"}, out), 2);
  EXPECT_EQ(RunTool({"render", PELMORA_TEST_PLUGIN, "--rate"}, out), 2);
}

// The binding asks its delegate for the picture of the open editor (the snapshot call).
TEST(HostTool, EditorPngWritesWhatTheEditorShows)
{
  testsupport::TempDir dir;
  std::string out;
  ASSERT_EQ(RunTool({"editor-png", PELMORA_TEST_PLUGIN, "-o", dir / "editor.png"}, out), 0) << out;
  const std::string png = testsupport::ReadFile(dir / "editor.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(png.substr(12, 4), "IHDR");
}
