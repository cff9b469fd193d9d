#include "framework/util/IniStore.h"

#include "framework/util/UtilAssocArray.h"
#include "framework/util/UtilMutex.h"
#include "framework/util/UtilString.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plugin
{

namespace
{
constexpr int kSlotCount = 32;
constexpr int kPathLength = 511;                    // paths are built within 512 bytes
constexpr size_t kMaxLineLength = 32 * 1024 * 1024; // a longer line is cut and read on
constexpr size_t kMaxPreambleLength = 262144;       // bytes read before the first section header
constexpr int kMaxKeyScan = 8191; // WritePrivateProfileSection looks for "=" this far

void FreeText(char* text)
{
  std::free(text);
}

using KeyMap = Util_StringKeyedArray<char*>;

void DeleteKeyMap(KeyMap* keys)
{
  delete keys;
}

using SectionMap = Util_StringKeyedArray<KeyMap*>;

KeyMap* NewKeyMap()
{
  return new KeyMap(false, &FreeText);
}

// What identifies one state of a file on disk. A rewrite through rename always gives a new inode,
// so writers in other processes are noticed even within one clock tick.
struct FileStamp
{
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  int64_t size = 0;
  int64_t mtimeSec = 0;
  int64_t mtimeNsec = 0;

  static FileStamp Of(const struct stat& st)
  {
    return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
  }
  static FileStamp OfPath(const char* path)
  {
    struct stat st;
    return stat(path, &st) == 0 ? Of(st) : FileStamp{};
  }
  static FileStamp OfFd(int fd)
  {
    struct stat st;
    return fstat(fd, &st) == 0 ? Of(st) : FileStamp{};
  }
  bool operator==(const FileStamp& other) const = default;
};

// One cached file.
struct IniFileContext
{
  uint64_t accessStamp = 0;
  FileStamp stamp;
  bool used = false;
  Util_String fileName{256};
  SectionMap sections{false, &DeleteKeyMap};
};

struct IniStoreState
{
  Util_Mutex mutex;
  IniFileContext slots[kSlotCount];
  uint64_t accessCounter = 0;
  Util_String defaultPath;
};

IniStoreState& Store()
{
  static IniStoreState sStore;
  return sStore;
}

bool IsBlank(char c)
{
  return c == ' ' || c == '\t';
}

bool IsLineEndOrBlank(char c)
{
  return IsBlank(c) || c == '\r' || c == '\n';
}

bool HasLineBreak(const char* text)
{
  return std::strpbrk(text, "\r\n") != nullptr;
}

// A key the file format can hold: a line break would split it, "=" would end it early, a leading
// "[" would make its line a section header, and a key of blanks reads back as no key at all.
bool IsStorableKey(const char* key, size_t length)
{
  const std::string text(key, length);
  size_t first = 0;
  while (first < text.size() && IsBlank(text[first]))
    ++first;
  return first < text.size() && text[first] != '[' && !HasLineBreak(text.c_str()) &&
         text.find('=') == std::string::npos;
}

bool IsStorableSection(const char* name)
{
  return name[0] && !HasLineBreak(name) && !std::strchr(name, ']');
}

// ---- Paths

const char* LastSeparator(const char* path)
{
  const char* slash = std::strrchr(path, '/');
  const char* backslash = std::strrchr(path, '\\');
  return std::max(slash, backslash); // null when neither occurs
}

// The extension with its dot: the last "." after the last separator, or null.
const char* Extension(const char* path)
{
  const char* separator = LastSeparator(path);
  return std::strrchr(separator ? separator : path, '.');
}

void ResolvePath(const char* fileName, Util_String& out)
{
  IniStoreState& store = Store();
  Util_String defaultPath;
  if (store.defaultPath.GetLength() > 0)
  {
    defaultPath.Set(store.defaultPath.Get(), kPathLength);
  }
  else
  {
    const char* home = std::getenv("HOME");
    defaultPath.SetFormatted(kPathLength, "%s/.libIniStore.ini", home && home[0] ? home : "/tmp");
  }

  if (fileName && std::strchr(fileName, '/'))
  {
    out.Set(fileName);
  }
  else if (!fileName || !fileName[0])
  {
    out.Set(defaultPath.Get());
  }
  else
  {
    const char* extension = Extension(defaultPath.Get());
    const int stemLength = extension ? static_cast<int>(extension - defaultPath.Get()) : 0;
    Util_String stem;
    stem.Set(defaultPath.Get(), stemLength); // 0 takes it whole
    const char* nameExtension = Extension(fileName);
    const bool hasIni = nameExtension && strcasecmp(nameExtension, ".ini") == 0;
    out.SetFormatted(kPathLength, "%s_%s%s", stem.Get(), fileName, hasIni ? "" : ".ini");
  }
}

// The file that a write replaces: the target of a symbolic link, else the path itself.
void WriteTarget(const char* path, Util_String& out)
{
  struct stat st;
  char resolved[PATH_MAX];
  if (lstat(path, &st) == 0 && S_ISLNK(st.st_mode) && realpath(path, resolved))
    out.Set(resolved);
  else
    out.Set(path);
}

// settings.ini -> .settings.ini.new in the same folder.
void TemporaryPath(const char* target, Util_String& out)
{
  const char* slash = std::strrchr(target, '/');
  const int folderLength = slash ? static_cast<int>(slash - target) + 1 : 0;
  out.Set("");
  if (folderLength > 0)
    out.Set(target, folderLength);
  out.Append(".");
  out.Append(target + folderLength);
  out.Append(".new");
}

// ---- Reading

// Reads one line into line; false at the end of the file. A line longer than kMaxLineLength is
// cut there and its rest comes as the next line.
bool ReadLine(FILE* file, std::string& line)
{
  line.clear();
  char chunk[4096];
  while (line.size() < kMaxLineLength)
  {
    const size_t room = std::min(sizeof(chunk), kMaxLineLength - line.size() + 1);
    if (!std::fgets(chunk, static_cast<int>(room), file))
      return !line.empty();
    const size_t n = std::strlen(chunk);
    line.append(chunk, n);
    if (n > 0 && chunk[n - 1] == '\n')
      return true;
    if (n + 1 < room && std::feof(file))
      return true;
  }
  return true;
}

// Handles one line: opens a section (answering it in current) or adds a key to the current one.
void ParseLine(std::string& line, SectionMap& sections, KeyMap*& current, bool& sawHeader)
{
  while (!line.empty() && IsLineEndOrBlank(line.back()))
    line.pop_back();
  size_t start = 0;
  while (start < line.size() && IsBlank(line[start]))
    ++start;
  const char* text = line.c_str() + start;

  if (text[0] == '[')
  {
    const char* close = std::strchr(text, ']');
    if (!close)
      return;
    sawHeader = true;
    const std::string name(text + 1, close);
    current = nullptr;
    if (name.empty())
      return;
    KeyMap* keys = sections.Get(name.c_str());
    if (keys)
    {
      keys->DeleteAll(); // the later block replaces the earlier one
    }
    else
    {
      keys = NewKeyMap();
      if (!sections.Insert(name.c_str(), keys))
        return;
    }
    current = keys;
    return;
  }

  const char* equals = std::strchr(text, '=');
  if (!current || !equals)
    return;
  size_t keyLength = static_cast<size_t>(equals - text);
  while (keyLength > 0 && IsLineEndOrBlank(text[keyLength - 1]))
    --keyLength;
  if (keyLength == 0)
    return;
  char* value = strdup(equals + 1);
  if (value)
    current->AddUnsorted(std::string(text, keyLength).c_str(), value);
}

// Re-fills the slot from its file, read under a shared lock.
void ReadFile(IniFileContext& ctx)
{
  FILE* file = std::fopen(ctx.fileName.Get(), "re");
  if (!file)
  {
    ctx.stamp = FileStamp{};
    return;
  }
  const int fd = fileno(file);
  while (flock(fd, LOCK_SH) != 0 && errno == EINTR)
  {
  }

  std::string line;
  KeyMap* current = nullptr;
  bool sawHeader = false;
  size_t preamble = 0;
  while (ReadLine(file, line))
  {
    if (!sawHeader)
    {
      preamble += line.size();
      if (preamble > kMaxPreambleLength)
        break; // not an ini file: treated as holding nothing more
    }
    ParseLine(line, ctx.sections, current, sawHeader);
  }
  for (int i = 0; i < ctx.sections.GetSize(); ++i)
    ctx.sections.Enumerate(i)->value->Resort();

  ctx.stamp = FileStamp::OfFd(fd);
  flock(fd, LOCK_UN);
  std::fclose(file);
}

// The slot of path, parsed from disk unless its cached parse is still current. Store mutex held.
IniFileContext& GetFileContext(const char* path)
{
  IniStoreState& store = Store();
  IniFileContext* ctx = nullptr;
  for (IniFileContext& slot : store.slots)
  {
    // File names are compared exactly: Linux file systems tell case apart.
    if (!slot.used || std::strcmp(slot.fileName.Get(), path) == 0)
    {
      ctx = &slot;
      break;
    }
  }
  if (!ctx)
  {
    ctx = &store.slots[0];
    for (IniFileContext& slot : store.slots)
      if (slot.accessStamp < ctx->accessStamp)
        ctx = &slot;
  }
  ctx->accessStamp = ++store.accessCounter;

  if (ctx->used && std::strcmp(ctx->fileName.Get(), path) == 0 &&
      FileStamp::OfPath(path) == ctx->stamp)
    return *ctx;

  ctx->sections.DeleteAll();
  ctx->fileName.Set(path);
  ctx->used = true;
  ReadFile(*ctx);
  return *ctx;
}

// Trims blanks and one pair of enclosing quotes; answers the start, length in length.
const char* PrepareValue(const char* value, size_t& length)
{
  while (IsBlank(*value))
    ++value;
  length = std::strlen(value);
  while (length > 0 && IsBlank(value[length - 1]))
    --length;
  if (length >= 2 && (value[0] == '"' || value[0] == '\'') && value[length - 1] == value[0])
  {
    ++value;
    length -= 2;
  }
  return value;
}

// Writes a list of zero-terminated names, cut to outSize - 2 bytes, then two zero bytes.
int WriteList(const std::string& list, char* out, int outSize)
{
  if (outSize < 2)
  {
    if (outSize == 1)
      out[0] = 0;
    return 0;
  }
  const size_t kept = std::min(list.size(), static_cast<size_t>(outSize - 2));
  std::memcpy(out, list.data(), kept);
  out[kept] = 0;
  out[kept + 1] = 0;
  return static_cast<int>(kept);
}

// ---- Writing

std::string Serialize(const SectionMap& sections)
{
  std::string content;
  for (int s = 0; s < sections.GetSize(); ++s)
  {
    const auto* section = sections.Enumerate(s);
    content.append("[").append(section->key).append("]\n");
    const KeyMap& keys = *section->value;
    for (int k = 0; k < keys.GetSize(); ++k)
    {
      const auto* pair = keys.Enumerate(k);
      if (pair->key[0])
        content.append(pair->key).append("=").append(pair->value).append("\n");
    }
    content.append("\n");
  }
  return content;
}

bool WriteAll(int fd, const std::string& content)
{
  size_t done = 0;
  while (done < content.size())
  {
    const ssize_t n = write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// The exclusive lock that writers of one file take on its temporary file. The lock is taken on an
// open file, so a writer that waited must check that the name still leads to the file it locked:
// the previous holder may have renamed it over the target (or removed it) meanwhile.
class TemporaryFileLock
{
public:
  TemporaryFileLock() = default;
  ~TemporaryFileLock() { Release(); }
  TemporaryFileLock(const TemporaryFileLock&) = delete;
  TemporaryFileLock& operator=(const TemporaryFileLock&) = delete;

  bool Acquire(const char* path)
  {
    for (int attempt = 0; attempt < 1000; ++attempt)
    {
      // No truncation before the lock is held, and never through a planted symbolic link.
      const int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
      if (fd < 0)
        return false;
      int locked;
      while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR)
      {
      }
      struct stat held, named;
      if (locked == 0 && fstat(fd, &held) == 0 && stat(path, &named) == 0 &&
          held.st_dev == named.st_dev && held.st_ino == named.st_ino)
      {
        mFd = fd;
        return true;
      }
      close(fd);
      if (locked != 0)
        return false;
    }
    return false;
  }

  int Fd() const { return mFd; }

  void Release()
  {
    if (mFd >= 0)
      close(mFd); // closing drops the lock
    mFd = -1;
  }

private:
  int mFd = -1;
};

// The slot forgets its parse (after a change that did not reach the disk): the next call reads
// the file as the disk has it.
void Forget(IniFileContext& ctx)
{
  ctx.sections.DeleteAll();
  ctx.fileName.Set("");
  ctx.stamp = FileStamp{};
  ctx.used = false;
}

enum class EChange
{
  kUnchanged,
  kChanged,
  kFailed,
};

// Runs change on the current parse of the file, with other processes' writers locked out from
// the re-read to the rename, and writes the file when it changed. False when the change could not
// be made or not reach the disk.
template <class Change>
bool UpdateFile(const char* fileName, Change change)
{
  IniStoreState& store = Store();
  Util_MutexLock lock(store.mutex);
  Util_String path, target, temporary;
  ResolvePath(fileName, path);
  WriteTarget(path.Get(), target);
  TemporaryPath(target.Get(), temporary);

  TemporaryFileLock fileLock;
  const bool locked = fileLock.Acquire(temporary.Get());
  IniFileContext& ctx = GetFileContext(path.Get());
  const EChange result = change(ctx);
  if (result != EChange::kChanged)
  {
    if (locked)
      unlink(temporary.Get()); // still holding the lock: waiting writers will notice
    if (result == EChange::kFailed)
      Forget(ctx); // a change may have been made in part
    return result == EChange::kUnchanged;
  }
  // From here a failure leaves the cache holding a value the disk never got: it is forgotten,
  // so that no later read reports it as saved.
  if (!locked)
  {
    Forget(ctx);
    return false;
  }
  const int fd = fileLock.Fd();
  const std::string content = Serialize(ctx.sections);
  if (ftruncate(fd, 0) != 0 || !WriteAll(fd, content) || fsync(fd) != 0 ||
      std::rename(temporary.Get(), target.Get()) != 0)
  {
    Forget(ctx);
    return false;
  }
  // The renamed file is what the path now shows: no need to read it back.
  ctx.stamp = FileStamp::OfFd(fd);
  return true;
}

KeyMap* SectionFor(IniFileContext& ctx, const char* appName)
{
  if (KeyMap* keys = ctx.sections.Get(appName))
    return keys;
  KeyMap* keys = NewKeyMap();
  return ctx.sections.Insert(appName, keys) ? keys : nullptr;
}

// Copies up to outSize - 1 characters and a terminator; answers the characters copied.
int CopyCut(const char* text, size_t length, char* out, int outSize)
{
  const size_t n = std::min(length, static_cast<size_t>(outSize - 1));
  std::memcpy(out, text, n);
  out[n] = 0;
  return static_cast<int>(n);
}

} // namespace

// ---- Public interface

int GetPrivateProfileString(const char* appName, const char* keyName, const char* defaultValue,
                            char* out, int outSize, const char* fileName)
{
  if (!out || outSize < 1)
    return 0;
  IniStoreState& store = Store();
  Util_MutexLock lock(store.mutex);
  Util_String path;
  ResolvePath(fileName, path);
  IniFileContext& ctx = GetFileContext(path.Get());

  if (!appName || !keyName)
  {
    std::string list;
    if (!appName)
    {
      for (int i = 0; i < ctx.sections.GetSize(); ++i)
        if (const char* name = ctx.sections.Enumerate(i)->key; name[0])
          list.append(name).push_back(0);
    }
    else if (const KeyMap* keys = ctx.sections.Get(appName))
    {
      for (int i = 0; i < keys->GetSize(); ++i)
        if (const char* name = keys->Enumerate(i)->key; name[0])
          list.append(name).push_back(0);
    }
    return WriteList(list, out, outSize);
  }

  const KeyMap* keys = ctx.sections.Get(appName);
  const char* value = keys ? keys->Get(keyName) : nullptr;
  if (!value)
  {
    const char* fallback = defaultValue ? defaultValue : "";
    return CopyCut(fallback, std::strlen(fallback), out, outSize);
  }
  size_t length = 0;
  const char* prepared = PrepareValue(value, length);
  return CopyCut(prepared, length, out, outSize);
}

int GetPrivateProfileInt(const char* appName, const char* keyName, int defaultValue,
                         const char* fileName)
{
  if (!appName || !keyName)
    return defaultValue;
  char text[512];
  GetPrivateProfileString(appName, keyName, "", text, sizeof(text), fileName);
  if (!text[0])
    return defaultValue;
  const long value = std::strtol(text, nullptr, 10);
  if (value == 0 && text[0] != '0')
    return defaultValue;
  return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

int GetPrivateProfileSection(const char* appName, char* out, int outSize, const char* fileName)
{
  if (!out)
    return 0;
  if (outSize < 2)
    return WriteList({}, out, outSize);
  IniStoreState& store = Store();
  Util_MutexLock lock(store.mutex);
  Util_String path;
  ResolvePath(fileName, path);
  IniFileContext& ctx = GetFileContext(path.Get());

  std::string list;
  if (const KeyMap* keys = appName ? ctx.sections.Get(appName) : nullptr)
  {
    for (int i = 0; i < keys->GetSize(); ++i)
    {
      const auto* pair = keys->Enumerate(i);
      size_t length = 0;
      const char* prepared = PrepareValue(pair->value, length);
      list.append(pair->key).append("=").append(prepared, length).push_back(0);
    }
  }
  return WriteList(list, out, outSize);
}

bool GetPrivateProfileStruct(const char* appName, const char* keyName, void* out, int size,
                             const char* fileName)
{
  if (!appName || !keyName || size < 0 || (size > 0 && !out) || size > (INT_MAX - 17) / 2)
    return false;
  std::string text(2 * static_cast<size_t>(size) + 17, '\0');
  GetPrivateProfileString(appName, keyName, "", text.data(), static_cast<int>(text.size()),
                          fileName);
  if (std::strlen(text.c_str()) != 2 * (static_cast<size_t>(size) + 1))
    return false;
  uint8_t* bytes = static_cast<uint8_t*>(out);
  unsigned sum = 0;
  for (int i = 0; i <= size; ++i)
  {
    const int hi = Util_HexDigit(text[2 * i]);
    const int lo = Util_HexDigit(text[2 * i + 1]);
    if (hi < 0 || lo < 0)
      return false;
    const unsigned byte = static_cast<unsigned>(hi * 16 + lo);
    if (i == size)
      return byte == (sum & 0xFF);
    bytes[i] = static_cast<uint8_t>(byte);
    sum += byte;
  }
  return false;
}

bool WritePrivateProfileString(const char* appName, const char* keyName, const char* value,
                               const char* fileName)
{
  if (!appName || !IsStorableSection(appName))
    return false;
  if (keyName && !IsStorableKey(keyName, std::strlen(keyName)))
    return false;
  if (value && HasLineBreak(value))
    return false;

  return UpdateFile(
    fileName,
    [&](IniFileContext& ctx)
    {
      if (!keyName)
        return ctx.sections.Delete(appName) ? EChange::kChanged : EChange::kUnchanged;
      KeyMap* keys = ctx.sections.Get(appName);
      if (!value)
        return keys && keys->Delete(keyName) ? EChange::kChanged : EChange::kUnchanged;
      if (keys)
      {
        const char* old = keys->Get(keyName);
        if (old && std::strcmp(old, value) == 0)
          return EChange::kUnchanged;
      }
      keys = SectionFor(ctx, appName);
      char* copy = keys ? strdup(value) : nullptr;
      return copy && keys->Insert(keyName, copy) ? EChange::kChanged : EChange::kFailed;
    });
}

bool WritePrivateProfileSection(const char* appName, const char* strings, const char* fileName)
{
  if (!appName || !IsStorableSection(appName))
    return false;
  // Refused as a whole before anything changes.
  for (const char* text = strings; text && text[0]; text += std::strlen(text) + 1)
  {
    const char* equals =
      static_cast<const char*>(std::memchr(text, '=', strnlen(text, kMaxKeyScan)));
    if (HasLineBreak(text) ||
        (equals && equals > text && !IsStorableKey(text, static_cast<size_t>(equals - text))))
      return false;
  }

  return UpdateFile(
    fileName,
    [&](IniFileContext& ctx)
    {
      KeyMap* keys = ctx.sections.Get(appName);
      const bool emptyList = !strings || !strings[0];
      if (!keys && emptyList)
        return EChange::kUnchanged;
      if (keys)
        keys->DeleteAll();
      else if (!(keys = SectionFor(ctx, appName)))
        return EChange::kFailed;
      for (const char* text = strings; text && text[0]; text += std::strlen(text) + 1)
      {
        const char* equals =
          static_cast<const char*>(std::memchr(text, '=', strnlen(text, kMaxKeyScan)));
        if (!equals || equals == text)
          continue;
        char* value = strdup(equals + 1);
        if (!value || !keys->Insert(std::string(text, equals).c_str(), value))
          return EChange::kFailed;
      }
      return EChange::kChanged;
    });
}

bool WritePrivateProfileStruct(const char* appName, const char* keyName, const void* data, int size,
                               const char* fileName)
{
  if (!keyName || !data)
    return WritePrivateProfileString(appName, keyName, static_cast<const char*>(data), fileName);
  if (size < 0 || size > INT_MAX / 2 - 2)
    return false;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(2 * static_cast<size_t>(size) + 2);
  unsigned sum = 0;
  for (int i = 0; i < size; ++i)
  {
    text.push_back(kHex[bytes[i] >> 4]);
    text.push_back(kHex[bytes[i] & 15]);
    sum += bytes[i];
  }
  text.push_back(kHex[(sum >> 4) & 15]);
  text.push_back(kHex[sum & 15]);
  return WritePrivateProfileString(appName, keyName, text.c_str(), fileName);
}

void SetIniStoreDefaultPath(const char* path)
{
  IniStoreState& store = Store();
  Util_MutexLock lock(store.mutex);
  store.defaultPath.Set(path ? path : "", kPathLength);
}

} // namespace plugin
