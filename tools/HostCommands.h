#pragma once
// The command line of the host tool. Each command is one entry of a table (name, usage, run);
// adding a command means adding an entry.
//
//   pelmora-host info PLUGIN.so
//   pelmora-host render PLUGIN.so [MIDI.mid] [-o OUT.wav] [--rate HZ] [--block N] [--double]
//                [--float-wav] [--tail SECONDS] [--realtime] [--chunk FILE [--bank]]
//   pelmora-host save-chunk PLUGIN.so FILE [--bank] [--chunk IN [--bank-in]]
//   pelmora-host load-chunk PLUGIN.so FILE [--bank]
//   pelmora-host editor-png PLUGIN.so [-o OUT.png] [--idle N]
//   pelmora-host editor-window PLUGIN.so [--rate HZ] [--seconds S]   (tools/cli)
//   pelmora-host help

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace host
{

// Parsed arguments after the command name: positional words and "--name value" / "--flag"
// options ("-o" is "--out").
struct CommandArgs
{
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;

  bool Has(const std::string& name) const { return options.count(name) > 0; }
  std::string Get(const std::string& name, const std::string& fallback = "") const;
  double GetNumber(const std::string& name, double fallback) const;
};

struct HostCommand
{
  const char* name;
  const char* usage;
  // Options that take a value; every other option is a flag.
  std::vector<std::string> valueOptions;
  std::function<int(const CommandArgs&, std::ostream& out, std::ostream& err)> run;
};

// The command table (extendable at start-up by the tool's own main).
std::vector<HostCommand>& HostCommands();

// Runs argv[1] with the rest; answers the process exit status (0 success, 1 failure, 2 usage).
int RunHostCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

} // namespace host
