#include "tools/VstHost.h"

#include <gtest/gtest.h>

TEST(Vst2Smoke, Loads)
{
  host::PluginModule module;
  std::string error;
  ASSERT_TRUE(module.Load(PELMORA_TEST_PLUGIN, error)) << error;
  host::HostedPlugin plugin;
  ASSERT_TRUE(plugin.Create(module.Entry()));
  plugin.Start();
  EXPECT_EQ(plugin.EffectName(), "Pelmora");
}
