// The two functions a VST2 host looks up in the plug-in .so (the only exported symbols; see
// Vst2Exports.map). Compiled into each plug-in by pelmora_vst2_plugin().

#include "framework/plugin/vst2/IPluginVST2.h"

#define PELMORA_EXPORT __attribute__((visibility("default")))

namespace
{

AEffect* CreateInstance(Vst2HostCallback hostCallback)
{
  // [main thread] Nothing may escape into the host: a failed construction answers null, which
  // hosts report as a plug-in that cannot be loaded.
  try
  {
    plugin::IPluginVST2* plug = plugin::MakePlug(plugin::Vst2InstanceInfo(hostCallback));
    if (!plug)
      return nullptr;
    try
    {
      plug->EnsureDefaultPreset();
      AEffect& effect = plug->GetAEffect();
      if (effect.numPrograms < 2)
        effect.numPrograms = 1;
      // Only now is the instance whole: its idle timer may run.
      plug->CreateTimer();
      return &effect;
    }
    catch (...)
    {
      plug->PrepareForDeletion();
      delete plug;
      return nullptr;
    }
  }
  catch (...)
  {
    return nullptr;
  }
}

} // namespace

extern "C" PELMORA_EXPORT AEffect* VSTPluginMain(Vst2HostCallback hostCallback)
{
  return CreateInstance(hostCallback);
}

// The legacy entry "main": on 64-bit systems it takes and returns full-width pointers. A C++
// function cannot be called main, so the symbol name is given to the assembler.
extern "C" PELMORA_EXPORT AEffect*
VSTPluginMainLegacy(Vst2HostCallback hostCallback) __asm__("main");
extern "C" AEffect* VSTPluginMainLegacy(Vst2HostCallback hostCallback)
{
  return CreateInstance(hostCallback);
}
