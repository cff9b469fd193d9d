#pragma once
// ColorPrompt: the Linux editor's answer to IGraphics::PromptForColor, the desktop's colour
// chooser.
//
// "zenity --color-selection" or, without zenity, "kdialog --getcolor", proposing the current
// colour (zenity with its alpha, as "rgba(r,g,b,a)"; kdialog takes "#rrggbb", without alpha) and
// made transient for the editor's window when there is one. Like the file dialog (FilePrompt.h)
// it runs as a child process (Util_ChildProcess: an argument vector, never a shell, nothing of
// the host's inherited, ended with its children when the prompt goes) polled from the editor's
// timer, so the host and the editor run on while it is open. Its answer is the colour it prints:
// zenity prints "rgb(r,g,b)" or "rgba(r,g,b,a)" (channels 0-255, alpha 0-1; older versions
// "#rrrrggggbbbb"), kdialog "#rrggbb". An answer without alpha is an opaque colour, so that a
// transparent colour can be made visible. An answer that reads as none of these, Cancel, or a
// chooser that fails ends the prompt as cancelled: nothing changes.
//
// Threads: [main thread] (the editor's timer).

#include "framework/graphics/IGraphicsStructs.h"
#include "framework/util/UtilProcess.h"

#include <string>

namespace plugin::igraphics
{

class ColorPrompt
{
public:
  enum class EState
  {
    kWaiting,
    kAnswered,
    kCancelled,
  };

  explicit ColorPrompt(const IColor& proposed) : mProposed(proposed), mChosen(proposed) {}

  // Starts the chooser (parentWindow: the editor's X window, 0 for none); false when neither
  // program is installed or it could not start.
  bool Open(const std::string& title, unsigned long parentWindow);
  // Where the prompt stands; called from every tick of the editor's timer. Never waits.
  EState Poll();
  // The chosen colour, once answered.
  const IColor& GetColor() const { return mChosen; }

  // Reads a chooser's answer (its first line, blanks around it ignored); false, leaving color
  // alone, for anything but the forms above with every channel in range. A form without alpha
  // gives alpha 255; 16-bit hex channels are read by their high bytes.
  static bool ParseColor(const std::string& text, IColor& color);
  // color as zenity takes it: "rgba(r,g,b,a)", a with at most six decimals and none trailing.
  static std::string ProposedRGBA(const IColor& color);

private:
  IColor mProposed;
  IColor mChosen;
  Util_ChildProcess mDialog;
  EState mState = EState::kWaiting;
};

} // namespace plugin::igraphics
