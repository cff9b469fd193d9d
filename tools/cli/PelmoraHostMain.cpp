// pelmora-host: the command-line VST2 host. Everything lives in the pelmora_host library so
// that tests run the same code; see tools/HostCommands.h for the commands.

#include "tools/HostCommands.h"
#include "tools/cli/EditorWindowCommand.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
  try
  {
    host::AddEditorWindowCommand();
    return host::RunHostCommand(argc, argv, std::cout, std::cerr);
  }
  catch (const std::exception& e)
  {
    std::cerr << "pelmora-host: " << e.what() << "\n";
    return 1;
  }
}
