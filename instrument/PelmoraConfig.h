#pragma once
// Pelmora's fixed description for the plug-in base: names, identifiers, version, channels,
// MIDI, state chunks and the editor's size limits. Header-only, so that the VST2 test plug-in
// can present itself exactly as the instrument does without linking the instrument.

#include "framework/plugin/Config.h"

inline plugin::Config PelmoraConfig()
{
  plugin::Config config;
  config.nParams = 64;
  config.nPresets = 1;
  config.channelIOStr = "0-2";
  config.pluginName = "Pelmora";
  config.productName = "Pelmora";
  config.mfrName = "Tessvold";
  config.vendorVersion = 0x00020300; // 2.3.0
  config.uniqueID = plugin::FourCharCode("Plmr");
  config.mfrID = plugin::FourCharCode("Tsvd");
  config.latency = 0;
  config.plugDoesMidiIn = true;
  config.plugDoesMidiOut = true;
  config.plugDoesMPE = false;
  config.plugHasStateChunks = true;
  config.plugType = plugin::kPlugTypeInstrument;
  config.plugHasUI = true;
  config.plugWidth = 1011;
  config.plugHeight = 601;
  config.plugMinWidth = 337;
  config.plugMaxWidth = 3033;
  config.plugMinHeight = 200;
  config.plugMaxHeight = 1803;
  config.plugHostResize = false;
  config.bundleID = "com.tessvold.pelmora";
  config.appGroupID = "group.com.tessvold.pelmora";
  return config;
}
