#pragma once
// Loads the built Pelmora.so through the host tool's library and starts one instance (open,
// 48 kHz, blocks of 512, resume).

#include "tools/Render.h"
#include "tools/VstHost.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <string>
#include <vector>

// frames of float output from a started instance, in blocks; {left, right}.
inline host::StereoBuffer RunBlocks(host::HostedPlugin& plug, int frames, int blockSize = 512)
{
  host::StereoBuffer out;
  std::vector<float> left(static_cast<size_t>(blockSize)), right(static_cast<size_t>(blockSize));
  float* outputs[2] = {left.data(), right.data()};
  for (int done = 0; done < frames; done += blockSize)
  {
    const int n = std::min(blockSize, frames - done);
    plug.ProcessFloat(nullptr, outputs, n);
    out.left.insert(out.left.end(), left.begin(), left.begin() + n);
    out.right.insert(out.right.end(), right.begin(), right.begin() + n);
  }
  return out;
}

#ifdef PELMORA_SANITIZER_BUILD
// Sanitizer builds keep Pelmora.so loaded from the start to the end of the test binary, so that
// every load and unload of a test only counts references: LeakSanitizer of this toolchain scans
// the thread-local blocks of modules already unloaded (Pelmora.so has some: stb_image's flags,
// the timers' owner) and, depending on the memory layout, crashes at exit on what it reads there.
inline const bool kPelmoraPinned =
  dlopen(PELMORA_INSTRUMENT_PLUGIN, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE) != nullptr;
#endif

class PelmoraPlugin : public ::testing::Test
{
protected:
  void SetUp() override
  {
    std::string error;
    ASSERT_TRUE(mModule.Load(PELMORA_INSTRUMENT_PLUGIN, error)) << error;
    ASSERT_TRUE(mPlug.Create(mModule.Entry()));
    mPlug.Start();
  }

  void SetParam(int index, float normalized)
  {
    mPlug.Effect()->setParameter(mPlug.Effect(), index, normalized);
  }

  host::StereoBuffer Run(int frames) { return RunBlocks(mPlug, frames); }

  host::PluginModule mModule; // declared first: unloaded after the instance is closed
  host::HostedPlugin mPlug;
};
