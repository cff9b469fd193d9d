#pragma once
// Where the plug-in finds files and folders on Linux, and the look-up of resources by name.
//
// The plug-in is one shared object: its "bundle" is the .so itself, and the resources a bundle
// would hold (fonts, SVG images) are compiled into it and registered by name in a table of
// embedded resources (a generated source file registers each one through an
// EmbeddedResourceRegistrar, or calls RegisterEmbeddedResource). LocateResource searches, in
// order: that table (the bundle step), the shared resource folder under the user's music folder,
// and the name itself as a file path.
//
// Folders follow the XDG conventions: $XDG_DATA_HOME (default ~/.local/share) stands for the
// application-support folder, the user-dirs.dirs file of $XDG_CONFIG_HOME (default ~/.config)
// gives the desktop and music folders (defaults ~/Desktop and ~/Music); environment values that
// are not absolute paths are ignored, as the conventions require. Every function writes its
// answer into the caller's Util_String.
//
// Threads: the folder functions read the environment and files: [main thread]. The embedded
// table is guarded by a mutex: [any thread] but the audio thread.

#include "framework/util/UtilString.h"

#include <cstdint>

namespace plugin
{

// Where LocateResource found a resource; kResourceNotFound (0) converts to false.
enum EResourceLocation
{
  kResourceNotFound = 0,
  kResourceFile = 1,     // out holds a path to a file on disk
  kResourceEmbedded = 2, // out holds the name of an embedded resource (FindEmbeddedResource)
};

// ---- Embedded resources

struct EmbeddedResource
{
  const uint8_t* data = nullptr;
  int size = 0;
};

// Registers size bytes at data (which must outlive the registration) under name; a later
// registration of the same name replaces it. False for a null or empty name, a negative size or
// null data with a size.
bool RegisterEmbeddedResource(const char* name, const void* data, int size);
void UnregisterEmbeddedResource(const char* name);
// The bytes registered under exactly this name (names are case-sensitive, like file names).
bool FindEmbeddedResource(const char* name, EmbeddedResource& out);

// Registers a resource during static initialisation: `static EmbeddedResourceRegistrar r(...)`.
// Registrars in a static library are linked only when something references their object file;
// build such sources into the plug-in as an object library.
struct EmbeddedResourceRegistrar
{
  EmbeddedResourceRegistrar(const char* name, const void* data, int size)
  {
    RegisterEmbeddedResource(name, data, size);
  }
};

// ---- Folders (the bundle identifier is not needed on Linux: the bundle is this .so)

// The host's executable; out unchanged when it cannot be found.
void HostPath(Util_String& out, const char* bundleID = nullptr);
// The folder holding the plug-in's .so, followed by "/"; out unchanged when unknown.
void PluginPath(Util_String& out, const char* bundleID = nullptr);
// Empty: the plug-in's resources are embedded, not kept in a folder.
void BundleResourcePath(Util_String& out, const char* bundleID = nullptr);
void DesktopPath(Util_String& out);
// $HOME, or the user's home folder from the password database when HOME is unset.
void UserHomePath(Util_String& out);
// ~/.vst3/presets/<maker>/<plugin>/, or /usr/share/vst3/presets/<maker>/<plugin>/ when isSystem.
void VST3PresetsPath(Util_String& out, const char* makerName, const char* pluginName,
                     bool isSystem = true);
// The user's application-support folder followed by "/" and the plug-in's name.
void INIPath(Util_String& out, const char* pluginName);
// $XDG_DATA_HOME (~/.local/share); when isSystem, the first folder of $XDG_DATA_DIRS
// (/usr/local/share).
void AppSupportPath(Util_String& out, bool isSystem = false);
// Empty: Linux has no application-group containers.
void AppGroupContainerPath(Util_String& out, const char* appGroupID);
void SharedMusicPath(Util_String& out);

// ---- Environment tests

bool IsOOPAuv3AppExtension(); // false: no AUv3 on Linux
bool AppIsSandboxed();        // running inside a Flatpak sandbox
bool IsXPCAuHost();           // the process name contains "XPC"

// ---- Resource look-up (type is an extension without the dot: "svg", "ttf", "png")

// Answers where name was found, with out set to the resource's name or path; kResourceNotFound with
// out untouched for a null or empty name, with out "" otherwise. moduleHandle is not used.
EResourceLocation LocateResource(const char* name, const char* type, Util_String& out,
                                 const char* bundleID = nullptr, void* moduleHandle = nullptr,
                                 const char* sharedResourcesSubPath = nullptr);
// The embedded resource "<name without extension>.<searchExt>" when the name's extension equals
// searchExt ignoring case; out is "" on failure.
bool GetResourcePathFromBundle(const char* fileName, const char* searchExt, Util_String& out,
                               const char* bundleID = nullptr);
// The file <music folder>/<sharedResourcesSubPath>/Resources/<base>.<searchExt>, base being the
// name's last path component without its extension; out is "" on failure or without a sub-path.
bool GetResourcePathFromSharedLocation(const char* fileName, const char* searchExt,
                                       Util_String& out,
                                       const char* sharedResourcesSubPath = nullptr);

} // namespace plugin
