#pragma once
// FilePrompt: the Linux editor's answer to IGraphics::PromptForFile.
//
// Linux gives a plug-in no file panel of its own, so a prompt takes one of two roads:
//   - the desktop's dialog: "zenity --file-selection" (with "--save --confirm-overwrite" for a
//     save) or, without zenity, "kdialog --getsavefilename" / "--getopenfilename", proposing
//     <folder>/<name>.<ext>, made transient for the editor's window when there is one. It runs
//     as a child process (Util_ChildProcess: an argument vector, never a shell, nothing of the
//     host's inherited) and is polled from the editor's timer, so the host and the editor run on
//     while it is open; the answer is the path it prints.
//   - without either program, for a save only: the in-window name field. A panel over the
//     editor asks for a name under the folder ("Name", or "Category/Name" for a sub-folder,
//     which is made when missing). A name that would leave the folder (absolute, "..", "."), an
//     empty part, a hidden name (which the preset list would never show) or a backslash is
//     refused with a line saying why, and the field opens again with the text. A name whose file
//     exists asks once more: the same name entered again replaces the file.
// Either way the file's name gets ".<ext>" when a save's answer lacks it. Escape in the field,
// Cancel in the dialog or a dialog that fails ends the prompt as cancelled: the completion runs
// with an empty file name and nothing is saved. One prompt at a time: a request while one is
// open is answered as cancelled at once.
//
// Threads: [main thread] (the editor's timer, its input handling).

#include "framework/graphics/IGraphics.h"
#include "framework/util/UtilProcess.h"

#include <memory>
#include <string>
#include <vector>

namespace plugin::igraphics
{

// Starts the desktop's dialog in dialog: zenity with zenityArgs or, without zenity, kdialog with
// kdialogArgs (each list beginning with the program's name), made transient for parentWindow
// when it is not 0. False when neither program is installed or it could not start.
bool StartDesktopDialog(Util_ChildProcess& dialog, std::vector<std::string> zenityArgs,
                        std::vector<std::string> kdialogArgs, unsigned long parentWindow);

class IFileNamePromptControl;

class FilePrompt
{
public:
  enum class EState
  {
    kWaiting,
    kAnswered,
    kCancelled,
  };

  struct Request
  {
    EFileAction action = EFileAction::kSave;
    std::string folder; // where the file goes (no trailing '/')
    std::string name;   // proposed, relative to the folder; may lack the extension
    std::string ext;    // without its dot; may be empty
  };

  FilePrompt(IGraphics& graphics, Request request);
  // Ends a dialog still open and takes the in-window panel away; the completion is not run.
  ~FilePrompt();
  FilePrompt(const FilePrompt&) = delete;
  FilePrompt& operator=(const FilePrompt&) = delete;

  // Opens the desktop's dialog (parentWindow: the editor's X window, 0 for none) or, for a save
  // without one, the in-window field. False when neither could open.
  bool Open(unsigned long parentWindow);
  // Where the prompt stands; called from every tick of the editor's timer. Never waits.
  EState Poll();
  // The chosen file (a full path) and its folder, once answered.
  const std::string& GetFile() const { return mFile; }
  std::string GetFolder() const;

  // Why a name typed for a file under the prompt's folder is refused; null when it is fine.
  static const char* CheckTypedName(const std::string& name);

  // [in-window road] The name field's answer (the panel hands it over).
  void OnNameEntered(const char* text);

private:
  bool OpenDialog(unsigned long parentWindow);
  bool OpenInWindow();
  void AskForName(const std::string& text);
  // name with ".<ext>" when a save's name lacks it.
  std::string WithExtension(const std::string& name) const;

  IGraphics& mGraphics;
  Request mRequest;
  Util_ChildProcess mDialog;
  IFileNamePromptControl* mControl = nullptr; // attached to the graphics context, which owns it
  std::string mReplaceConfirmed;              // the typed name whose existing file may go
  std::string mFile;
  EState mState = EState::kWaiting;
};

} // namespace plugin::igraphics
