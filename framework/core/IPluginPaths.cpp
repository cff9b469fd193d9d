#include "framework/core/IPluginPaths.h"

#include "framework/util/UtilMutex.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <pwd.h>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace plugin
{

namespace
{
constexpr int kMaxPathLength = 1024;

// ---- Embedded resource table

struct EmbeddedEntry
{
  std::string name;
  EmbeddedResource resource;
};

struct EmbeddedTable
{
  Util_Mutex mutex;
  std::vector<EmbeddedEntry> entries;
};

EmbeddedTable& Table()
{
  static EmbeddedTable sTable; // made on first use, so registrars may run in any order
  return sTable;
}

// ---- Files and environment

bool IsRegularFile(const char* path)
{
  struct stat st;
  return path && path[0] && stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

// An environment value that is an absolute path, or null.
const char* AbsoluteEnv(const char* name)
{
  const char* value = std::getenv(name);
  return value && value[0] == '/' ? value : nullptr;
}

std::string Home()
{
  Util_String home;
  UserHomePath(home);
  return home.Get();
}

std::string ConfigHome()
{
  const char* config = AbsoluteEnv("XDG_CONFIG_HOME");
  return config ? config : Home() + "/.config";
}

// The folder user-dirs.dirs gives for XDG_<kind>_DIR, e.g. XDG_MUSIC_DIR="$HOME/Music"; a value
// is "$HOME/..." or an absolute path in double quotes, with backslash escapes.
bool UserDirFromFile(const char* kind, std::string& out)
{
  const std::string path = ConfigHome() + "/user-dirs.dirs";
  FILE* file = std::fopen(path.c_str(), "re");
  if (!file)
    return false;
  const std::string key = std::string("XDG_") + kind + "_DIR=";
  char line[4096];
  bool found = false;
  while (std::fgets(line, sizeof(line), file))
  {
    const char* p = line;
    while (*p == ' ' || *p == '\t')
      ++p;
    if (std::strncmp(p, key.c_str(), key.size()) != 0 || p[key.size()] != '"')
      continue;
    p += key.size() + 1;
    std::string value;
    if (std::strncmp(p, "$HOME", 5) == 0 && (p[5] == '/' || p[5] == '"'))
    {
      value = Home();
      p += 5;
    }
    else if (*p != '/')
    {
      continue; // neither form: ignored
    }
    for (; *p && *p != '"'; ++p)
    {
      if (*p == '\\' && p[1])
        ++p;
      value.push_back(*p);
    }
    while (value.size() > 1 && value.back() == '/')
      value.pop_back();
    out = value;
    found = true;
  }
  std::fclose(file);
  return found;
}

void UserDir(const char* kind, const char* fallback, Util_String& out)
{
  std::string folder;
  if (!UserDirFromFile(kind, folder))
    folder = Home() + "/" + fallback;
  out.Set(folder.c_str());
}

// The extension of a file name (after its last "."), or null when it has none.
const char* ExtensionOf(const char* fileName)
{
  const char* dot = std::strrchr(fileName, '.');
  return dot ? dot + 1 : nullptr;
}

// The name without its extension, when the extension equals searchExt ignoring case.
bool MatchExtension(const char* fileName, const char* searchExt, std::string& base)
{
  if (!fileName || !searchExt)
    return false;
  const char* extension = ExtensionOf(fileName);
  if (!extension || strcasecmp(extension, searchExt) != 0)
    return false;
  base.assign(fileName, extension - 1);
  return true;
}
} // namespace

// ---- Embedded resources

bool RegisterEmbeddedResource(const char* name, const void* data, int size)
{
  if (!name || !name[0] || size < 0 || (size > 0 && !data))
    return false;
  EmbeddedTable& table = Table();
  Util_MutexLock lock(table.mutex);
  const EmbeddedResource resource{static_cast<const uint8_t*>(data), size};
  for (EmbeddedEntry& entry : table.entries)
  {
    if (entry.name == name)
    {
      entry.resource = resource;
      return true;
    }
  }
  table.entries.push_back({name, resource});
  return true;
}

void UnregisterEmbeddedResource(const char* name)
{
  if (!name)
    return;
  EmbeddedTable& table = Table();
  Util_MutexLock lock(table.mutex);
  std::erase_if(table.entries, [name](const EmbeddedEntry& entry) { return entry.name == name; });
}

bool FindEmbeddedResource(const char* name, EmbeddedResource& out)
{
  if (!name)
    return false;
  EmbeddedTable& table = Table();
  Util_MutexLock lock(table.mutex);
  for (const EmbeddedEntry& entry : table.entries)
  {
    if (entry.name == name)
    {
      out = entry.resource;
      return true;
    }
  }
  return false;
}

// ---- Folders

void HostPath(Util_String& out, const char*)
{
  char path[PATH_MAX];
  if (realpath("/proc/self/exe", path))
    out.Set(path);
}

void PluginPath(Util_String& out, const char*)
{
  // The object that holds this very function: the plug-in's .so (or a program linking it).
  Dl_info info{};
  char path[PATH_MAX];
  const bool known = dladdr(reinterpret_cast<void*>(&PluginPath), &info) != 0 && info.dli_fname &&
                     info.dli_fname[0] && realpath(info.dli_fname, path);
  if (!known && !realpath("/proc/self/exe", path))
    return;
  char* slash = std::strrchr(path, '/');
  if (!slash)
    return;
  slash[1] = 0;
  out.Set(path);
}

void BundleResourcePath(Util_String& out, const char*)
{
  out.Set("");
}

void DesktopPath(Util_String& out)
{
  UserDir("DESKTOP", "Desktop", out);
}

void UserHomePath(Util_String& out)
{
  const char* home = std::getenv("HOME");
  if (home && home[0])
  {
    out.Set(home);
    return;
  }
  struct passwd entry;
  struct passwd* result = nullptr;
  char buffer[4096];
  if (getpwuid_r(getuid(), &entry, buffer, sizeof(buffer), &result) == 0 && result &&
      result->pw_dir)
    out.Set(result->pw_dir);
  else
    out.Set("/");
}

void VST3PresetsPath(Util_String& out, const char* makerName, const char* pluginName, bool isSystem)
{
  const std::string base =
    isSystem ? std::string("/usr/share/vst3/presets") : Home() + "/.vst3/presets";
  out.SetFormatted(kMaxPathLength, "%s/%s/%s/", base.c_str(), makerName ? makerName : "",
                   pluginName ? pluginName : "");
}

void INIPath(Util_String& out, const char* pluginName)
{
  AppSupportPath(out, false);
  out.Append("/");
  out.Append(pluginName);
}

void AppSupportPath(Util_String& out, bool isSystem)
{
  if (!isSystem)
  {
    const char* data = AbsoluteEnv("XDG_DATA_HOME");
    out.Set(data ? data : (Home() + "/.local/share").c_str());
    return;
  }
  const char* dirs = std::getenv("XDG_DATA_DIRS");
  for (const char* p = dirs; p && *p;)
  {
    const char* end = std::strchr(p, ':');
    const size_t length = end ? static_cast<size_t>(end - p) : std::strlen(p);
    if (length > 0 && p[0] == '/')
    {
      out.Set(p, static_cast<int>(length));
      return;
    }
    p += length + (end ? 1 : 0);
  }
  out.Set("/usr/local/share");
}

void AppGroupContainerPath(Util_String& out, const char*)
{
  out.Set("");
}

void SharedMusicPath(Util_String& out)
{
  UserDir("MUSIC", "Music", out);
}

// ---- Environment tests

bool IsOOPAuv3AppExtension()
{
  return false;
}

bool AppIsSandboxed()
{
  return access("/.flatpak-info", F_OK) == 0;
}

bool IsXPCAuHost()
{
  char name[64] = {};
  FILE* file = std::fopen("/proc/self/comm", "re");
  if (!file)
    return false;
  const bool read = std::fgets(name, sizeof(name), file) != nullptr;
  std::fclose(file);
  return read && std::strstr(name, "XPC") != nullptr;
}

// ---- Resource look-up

EResourceLocation LocateResource(const char* name, const char* type, Util_String& out,
                                 const char* bundleID, void*, const char* sharedResourcesSubPath)
{
  if (!name || !name[0])
    return kResourceNotFound;
  if (GetResourcePathFromBundle(name, type, out, bundleID))
    return kResourceEmbedded;
  if (GetResourcePathFromSharedLocation(name, type, out, sharedResourcesSubPath))
    return kResourceFile;
  if (IsRegularFile(name))
  {
    out.Set(name);
    return kResourceFile;
  }
  out.Set("");
  return kResourceNotFound;
}

bool GetResourcePathFromBundle(const char* fileName, const char* searchExt, Util_String& out,
                               const char*)
{
  std::string base;
  EmbeddedResource resource;
  if (MatchExtension(fileName, searchExt, base))
  {
    const std::string candidate = base + "." + searchExt;
    if (FindEmbeddedResource(candidate.c_str(), resource))
    {
      out.Set(candidate.c_str());
      return true;
    }
  }
  out.Set("");
  return false;
}

bool GetResourcePathFromSharedLocation(const char* fileName, const char* searchExt,
                                       Util_String& out, const char* sharedResourcesSubPath)
{
  std::string base;
  if (MatchExtension(fileName, searchExt, base) && sharedResourcesSubPath &&
      sharedResourcesSubPath[0])
  {
    const size_t slash = base.find_last_of("/\\");
    if (slash != std::string::npos)
      base.erase(0, slash + 1);
    Util_String music;
    SharedMusicPath(music);
    const std::string candidate = std::string(music.Get()) + "/" + sharedResourcesSubPath +
                                  "/Resources/" + base + "." + searchExt;
    if (IsRegularFile(candidate.c_str()))
    {
      out.Set(candidate.c_str());
      return true;
    }
  }
  out.Set("");
  return false;
}

} // namespace plugin
