#pragma once

// The instrument's support folder, its settings file and its manual.
//
// The support folder is "${XDG_DATA_HOME:-$HOME/.local/share}/<maker>/<product>/"; it holds
// "settings.ini", the "Presets" folder and "Pelmora Manual.pdf". Folders are made with their
// parents when missing (mode 0777 as limited by the user's file-mode mask).
//
// settings.ini, written through the ini store, is exactly
//
//   [settings]
//   scale=1.000000        the editor scale, "%f" (six decimals, always a decimal point)
//   showkeyboard=1        the on-screen keyboard, 1 shown or 0 hidden
//
// followed by one empty line. Numbers are written and read in the "C" locale whatever the host
// set. A scale that is not a finite number in 0.25..4 reads as 1.0; "showkeyboard" is shown when
// its integer value is above 0.
//
// Threads: [main thread]. File-system I/O.

#include "framework/util/UtilString.h"

class Settings
{
public:
  static constexpr const char* kSection = "settings";
  static constexpr const char* kFileName = "settings.ini";
  static constexpr const char* kPresetsFolder = "Presets";
  static constexpr const char* kManualName = "Pelmora Manual.pdf";
  static constexpr float kDefaultScale = 1.0f;
  static constexpr float kMinScale = 0.25f;
  static constexpr float kMaxScale = 4.0f;

  // The editor's size in points at scale 1: the width is fixed, the height depends on the
  // on-screen keyboard.
  static constexpr int kEditorWidth = 1011;
  static constexpr int kEditorHeight = 601;
  static constexpr int kEditorHeightWithoutKeyboard = 502;
  static int EditorHeight(bool showKeyboard)
  {
    return showKeyboard ? kEditorHeight : kEditorHeightWithoutKeyboard;
  }

  // Sets supportPath to the support folder (ending in '/') and makes it and its "Presets"
  // folder when missing. False, with supportPath empty, when the support folder cannot be made.
  static bool MakeSupportFolder(const char* maker, const char* product, Util_String& supportPath);

  // Makes path and every missing parent; true when path is a folder afterwards.
  static bool MakeFolders(const char* path);

  // Reads both settings from file (defaults for what is missing or unusable).
  static void Read(const char* file, float& scale, bool& showKeyboard);
  // Writes both settings to file; false when the ini store could not write them.
  static bool Write(const char* file, float scale, bool showKeyboard);
  // A usable scale: scale when it is a finite number in kMinScale..kMaxScale, else 1.0.
  static float UsableScale(double scale);
};

// Opening the manual with the desktop's viewer.
enum class EManualResult
{
  kOpened,        // the opener was started
  kManualMissing, // no "Pelmora Manual.pdf" in the support folder
  kOpenerMissing, // no executable "xdg-open" in the PATH
  kOpenerFailed,  // the opener could not be started
};

// Starts "xdg-open <support folder>/Pelmora Manual.pdf" with an argument vector (never a
// shell), detached so that the viewer outlives nothing and leaves no zombie behind. Waits only
// until the opener has been started.
EManualResult OpenManual(const char* supportPath);

// A short English text for a result (for the editor to show).
const char* ManualResultText(EManualResult result);
