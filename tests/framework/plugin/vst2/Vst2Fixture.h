#pragma once
// Loads the built test plug-in .so through the host tool's library and starts one instance.

#include "tests/framework/plugin/vst2/testplug/TestPlug.h"
#include "tools/VstHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class Vst2Fixture : public ::testing::Test
{
protected:
  void SetUp() override
  {
    std::string error;
    ASSERT_TRUE(mModule.Load(PELMORA_TEST_PLUGIN, error)) << error;
    ASSERT_TRUE(mPlug.Create(mModule.Entry()));
    mPlug.Start();
  }

  intptr_t Probe(int what) { return mPlug.Dispatch(kVst2EffVendorSpecific, kProbe, what); }

  // One float block of frames into fresh buffers; answers {left, right}.
  std::vector<std::vector<float>> RunFloat(int frames, bool accumulate = false, float fill = 0.0f)
  {
    std::vector<std::vector<float>> out(2, std::vector<float>(static_cast<size_t>(frames), fill));
    float* outputs[2] = {out[0].data(), out[1].data()};
    if (accumulate)
      mPlug.ProcessAccumulating(nullptr, outputs, frames);
    else
      mPlug.ProcessFloat(nullptr, outputs, frames);
    return out;
  }

  std::vector<std::vector<double>> RunDouble(int frames)
  {
    std::vector<std::vector<double>> out(2, std::vector<double>(static_cast<size_t>(frames)));
    double* outputs[2] = {out[0].data(), out[1].data()};
    mPlug.ProcessDouble(nullptr, outputs, frames);
    return out;
  }

  host::PluginModule mModule; // declared first: unloaded after the instance is closed
  host::HostedPlugin mPlug;
};
