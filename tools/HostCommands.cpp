#include "tools/HostCommands.h"

#include "tools/MidiFile.h"
#include "tools/Render.h"
#include "tools/VstHost.h"
#include "tools/WavFile.h"

#include "framework/plugin/vst2/Vst2Vendor.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <iterator>

namespace host
{

std::string CommandArgs::Get(const std::string& name, const std::string& fallback) const
{
  auto it = options.find(name);
  return it == options.end() ? fallback : it->second;
}

double CommandArgs::GetNumber(const std::string& name, double fallback) const
{
  auto it = options.find(name);
  if (it == options.end())
    return fallback;
  char* end = nullptr;
  const double v = std::strtod(it->second.c_str(), &end);
  return end && *end == '\0' ? v : fallback;
}

namespace
{

std::string FourCC(int32_t id)
{
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8)
  {
    const char c = static_cast<char>((id >> shift) & 0xFF);
    s += (c >= 32 && c < 127) ? c : '?';
  }
  return s;
}

// Loads the module and creates and starts one instance.
bool OpenPlugin(const CommandArgs& args, PluginModule& module, HostedPlugin& plugin,
                std::ostream& err)
{
  if (args.positional.empty())
  {
    err << "missing plug-in path\n";
    return false;
  }
  std::string error;
  if (!module.Load(args.positional[0], error))
  {
    err << error << "\n";
    return false;
  }
  plugin.Identity().sampleRate = args.GetNumber("rate", 48000.0);
  plugin.Identity().blockSize = static_cast<int>(args.GetNumber("block", 512));
  plugin.Identity().processLevel =
    args.Has("realtime") ? intptr_t{2} : intptr_t{kVst2ProcessLevelOffline};
  if (plugin.Identity().sampleRate < 8000.0 || plugin.Identity().blockSize < 1)
  {
    err << "bad sample rate or block size\n";
    return false;
  }
  if (!plugin.Create(module.Entry()))
  {
    err << args.positional[0] << ": the entry answered no effect record\n";
    return false;
  }
  plugin.Start();
  return true;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes)
{
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// --chunk FILE: restores a saved chunk into the instance first (--bank-in: a bank chunk).
bool LoadChunkOption(const CommandArgs& args, const char* flag, HostedPlugin& plugin,
                     std::ostream& err)
{
  if (!args.Has("chunk"))
    return true;
  std::vector<uint8_t> bytes;
  if (!ReadFile(args.Get("chunk"), bytes))
  {
    err << "cannot read " << args.Get("chunk") << "\n";
    return false;
  }
  if (!plugin.SetChunk(bytes, args.Has(flag)))
  {
    err << "the plug-in refused the chunk " << args.Get("chunk") << "\n";
    return false;
  }
  return true;
}

int RunInfo(const CommandArgs& args, std::ostream& out, std::ostream& err)
{
  PluginModule module;
  HostedPlugin plugin;
  if (!OpenPlugin(args, module, plugin, err))
    return 1;
  const AEffect* e = plugin.Effect();
  out << "Effect:   " << plugin.EffectName() << "\n";
  out << "Vendor:   " << plugin.VendorString() << "\n";
  out << "Product:  " << plugin.ProductString() << "\n";
  out << "Version:  " << e->version << " (vendor version "
      << plugin.Dispatch(kVst2EffGetVendorVersion) << ")\n";
  out << "Record:   magic '" << FourCC(e->magic) << "', unique id '" << FourCC(e->uniqueID)
      << "', flags " << e->flags << ", inputs " << e->numInputs << ", outputs " << e->numOutputs
      << ", parameters " << e->numParams << ", programs " << e->numPrograms << ", delay "
      << e->initialDelay << "\n";
  out << "Category: " << plugin.Dispatch(kVst2EffGetPlugCategory) << ", interface version "
      << plugin.Dispatch(kVst2EffGetVstVersion) << "\n";
  out << "Can do:  ";
  for (const char* text : {"receiveVstEvents", "receiveVstMidiEvent", "sendVstEvents",
                           "sendVstMidiEvent", "receiveVstTimeInfo", "MPE"})
  {
    intptr_t answer = 0;
    plugin.CanDo(text, &answer);
    out << " " << text << "=" << answer;
  }
  out << "\nParameters:\n";
  for (int i = 0; i < e->numParams; i++)
  {
    out << "  " << std::setw(3) << i << "  " << std::left << std::setw(24) << plugin.ParamName(i)
        << std::right << " " << plugin.ParamDisplay(i);
    const std::string label = plugin.ParamLabel(i);
    if (!label.empty())
      out << " " << label;
    out << "  (" << e->getParameter(plugin.Effect(), i) << ")\n";
  }
  out << "Programs (current " << plugin.Dispatch(kVst2EffGetProgram) << "):\n";
  for (int i = 0; i < e->numPrograms; i++)
    out << "  " << std::setw(3) << i << "  " << plugin.ProgramNameIndexed(i) << "\n";
  return 0;
}

int RunRender(const CommandArgs& args, std::ostream& out, std::ostream& err)
{
  PluginModule module;
  HostedPlugin plugin;
  if (!OpenPlugin(args, module, plugin, err) || !LoadChunkOption(args, "bank", plugin, err))
    return 1;
  const double rate = plugin.Identity().sampleRate;
  std::vector<TimedMidi> events;
  if (args.positional.size() > 1)
  {
    std::string error;
    if (!ReadMidiFile(args.positional[1], rate, events, error))
    {
      err << args.positional[1] << ": " << error << "\n";
      return 1;
    }
  }
  else
  {
    events = DemoPhrase(rate);
  }
  RenderOptions options;
  options.blockSize = plugin.Identity().blockSize;
  options.doublePrecision = args.Has("double");
  options.tailSeconds = std::max(0.0, args.GetNumber("tail", options.tailSeconds));
  const StereoBuffer audio = Render(plugin, events, options);
  const std::string path = args.Get("out", "out.wav");
  std::string error;
  if (!WriteWav(path, audio, static_cast<int>(rate), args.Has("float-wav"), error))
  {
    err << error << "\n";
    return 1;
  }
  const AudioStats stats = Measure(audio, rate);
  out << std::fixed << std::setprecision(3);
  out << "Wrote " << path << ": " << stats.frames << " frames, " << stats.seconds << " s at "
      << static_cast<int>(rate) << " Hz, " << (args.Has("float-wav") ? "32-bit float" : "16-bit")
      << "\n";
  out << std::setprecision(2) << "Peak " << ToDecibels(stats.peak) << " dBFS, RMS "
      << ToDecibels(stats.rms) << " dBFS" << (stats.finite ? "" : " (non-finite samples!)") << "\n";
  return stats.finite ? 0 : 1;
}

int RunSaveChunk(const CommandArgs& args, std::ostream& out, std::ostream& err)
{
  if (args.positional.size() < 2)
  {
    err << "usage: save-chunk PLUGIN.so FILE [--bank]\n";
    return 2;
  }
  PluginModule module;
  HostedPlugin plugin;
  if (!OpenPlugin(args, module, plugin, err) || !LoadChunkOption(args, "bank-in", plugin, err))
    return 1;
  const std::vector<uint8_t> chunk = plugin.GetChunk(args.Has("bank"));
  if (chunk.empty())
  {
    err << "the plug-in gave no chunk\n";
    return 1;
  }
  if (!WriteFile(args.positional[1], chunk))
  {
    err << "cannot write " << args.positional[1] << "\n";
    return 1;
  }
  out << "Saved " << (args.Has("bank") ? "bank" : "program") << " chunk of " << chunk.size()
      << " bytes to " << args.positional[1] << "\n";
  return 0;
}

int RunLoadChunk(const CommandArgs& args, std::ostream& out, std::ostream& err)
{
  if (args.positional.size() < 2)
  {
    err << "usage: load-chunk PLUGIN.so FILE [--bank]\n";
    return 2;
  }
  PluginModule module;
  HostedPlugin plugin;
  if (!OpenPlugin(args, module, plugin, err))
    return 1;
  std::vector<uint8_t> bytes;
  if (!ReadFile(args.positional[1], bytes))
  {
    err << "cannot read " << args.positional[1] << "\n";
    return 1;
  }
  if (!plugin.SetChunk(bytes, args.Has("bank")))
  {
    err << "the plug-in refused the chunk\n";
    return 1;
  }
  out << "Loaded " << bytes.size() << " bytes; program " << plugin.Dispatch(kVst2EffGetProgram)
      << " \"" << plugin.ProgramName() << "\"\n";
  const AEffect* e = plugin.Effect();
  for (int i = 0; i < e->numParams; i++)
    out << "  " << std::setw(3) << i << "  " << std::left << std::setw(24) << plugin.ParamName(i)
        << std::right << " " << plugin.ParamDisplay(i) << "\n";
  return 0;
}

// Opens the editor with no parent window (headless), lets it draw on a few idle calls, and has
// it write itself to a PNG file through Pelmora's vendor-specific snapshot call.
int RunEditorPNG(const CommandArgs& args, std::ostream& out, std::ostream& err)
{
  PluginModule module;
  HostedPlugin plugin;
  if (!OpenPlugin(args, module, plugin, err))
    return 1;
  const std::string path = args.Get("out", "editor.png");
  int status = 0;
  if (!(plugin.Effect()->flags & kVst2FlagHasEditor))
  {
    err << "the plug-in has no editor\n";
    status = 1;
  }
  else if (plugin.Dispatch(kVst2EffEditOpen, 0, 0, nullptr) == 0)
  {
    err << "the editor did not open (no headless OpenGL here?)\n";
    status = 1;
  }
  else
  {
    const int idles = std::max(1, static_cast<int>(args.GetNumber("idle", 3)));
    for (int i = 0; i < idles; i++)
      plugin.Dispatch(kVst2EffEditIdle);
    if (plugin.Dispatch(kVst2EffVendorSpecific, kVst2VendorEditorSnapshot, 0,
                        const_cast<char*>(path.c_str())) == 1)
      out << "Wrote " << path << "\n";
    else
    {
      err << "the editor could not write " << path << "\n";
      status = 1;
    }
    plugin.Dispatch(kVst2EffEditClose);
  }
  plugin.Close();
  return status;
}

int RunHelp(const CommandArgs&, std::ostream& out, std::ostream&)
{
  out << "pelmora-host: a small VST2 host\n";
  for (const HostCommand& c : HostCommands())
    out << "  pelmora-host " << c.usage << "\n";
  return 0;
}

bool ParseArgs(const HostCommand& command, int argc, const char* const* argv, CommandArgs& args,
               std::ostream& err)
{
  for (int i = 2; i < argc; i++)
  {
    std::string word = argv[i];
    if (word == "-o")
      word = "--out";
    if (word.rfind("--", 0) != 0 || word.size() < 3)
    {
      args.positional.push_back(word);
      continue;
    }
    const std::string name = word.substr(2);
    const auto& vo = command.valueOptions;
    if (std::find(vo.begin(), vo.end(), name) != vo.end())
    {
      if (i + 1 >= argc)
      {
        err << word << " needs a value\n";
        return false;
      }
      args.options[name] = argv[++i];
    }
    else
    {
      args.options[name] = "";
    }
  }
  return true;
}

} // namespace

std::vector<HostCommand>& HostCommands()
{
  static std::vector<HostCommand> sCommands = {
    {"info",
     "info PLUGIN.so   print the record, parameters and programs",
     {"rate", "block"},
     RunInfo},
    {"render",
     "render PLUGIN.so [MIDI.mid] [-o OUT.wav] [--rate HZ] [--block N] [--double] [--float-wav] "
     "[--tail SECONDS] [--realtime] [--chunk FILE [--bank]]   play a MIDI file (or the demo "
     "phrase) into a WAV file",
     {"out", "rate", "block", "tail", "chunk"},
     RunRender},
    {"save-chunk",
     "save-chunk PLUGIN.so FILE [--bank] [--chunk IN [--bank-in]]   save a program or bank chunk",
     {"rate", "block", "chunk"},
     RunSaveChunk},
    {"load-chunk",
     "load-chunk PLUGIN.so FILE [--bank]   restore a chunk and print the result",
     {"rate", "block"},
     RunLoadChunk},
    {"editor-png",
     "editor-png PLUGIN.so [-o OUT.png] [--idle N]   open the editor headless and save it as "
     "a PNG image",
     {"out", "rate", "block", "idle"},
     RunEditorPNG},
    {"help", "help   this text", {}, RunHelp},
  };
  return sCommands;
}

int RunHostCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
  if (argc < 2)
  {
    RunHelp({}, err, err);
    return 2;
  }
  const std::string name = argv[1];
  for (const HostCommand& command : HostCommands())
  {
    if (name != command.name)
      continue;
    CommandArgs args;
    if (!ParseArgs(command, argc, argv, args, err))
      return 2;
    return command.run(args, out, err);
  }
  err << "unknown command: " << name << "\n";
  RunHelp({}, err, err);
  return 2;
}

} // namespace host
