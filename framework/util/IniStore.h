#pragma once
// The ini-file store: a process-wide cache of "ini" files with the Win32-style profile interface.
//
// File format: "[section]" header lines, "key=value" lines, one empty line after each section,
// line feeds only. Section and key names compare case-insensitively and keep the spelling with
// which they were first stored. On reading, lines beginning with ";" or "#" (without "=") are
// ignored, a section that appears twice keeps only its last block, and of a key repeated inside
// one block the last value wins. Values read back without surrounding blanks and without one
// pair of enclosing quotes ("x y" or 'x y').
//
// File names: a name containing "/" is used as it is; a null or empty name selects the default
// file "$HOME/.libIniStore.ini" ("/tmp" when HOME is unset), or the path given to
// SetIniStoreDefaultPath; any other bare name selects a sibling of the default file
// ("$HOME/.libIniStore_<name>.ini", ".ini" added unless the name ends in it).
//
// Caching: up to 32 files stay parsed in memory (least recently used replaced first); a read
// costs one stat and re-parses only when the file on disk changed (identity, size or time).
//
// Writing: every change rewrites the whole file through a temporary file (".<name>.new" beside
// it) and an atomic rename, so readers never see a half-written file. Writers in other processes
// are excluded by an exclusive lock on that temporary file, held from re-reading the file through
// the rename, so two processes changing different keys at once both keep their change. A write
// that cannot reach the disk answers false, and the cache forgets the change: later reads give
// what the disk holds.
//
// Threads: every call holds one process-wide recursive mutex and does file I/O: never call these
// on the audio thread. [main thread] in practice, safe from any thread.

namespace plugin
{

// The value of keyName in section appName (prepared as above) or defaultValue (null counts as
// ""), cut to outSize - 1 characters; answers its length. With keyName null: the key names of the
// section; with appName null: the section names; each list is the names with a zero byte after
// each, then an extra zero byte, cut to outSize - 2 bytes of names; answers the bytes of names
// kept. Nothing is written, and 0 answered, for a null out or an outSize below 1 (below 2 for the
// lists, where an outSize of 1 gets one zero byte).
int GetPrivateProfileString(const char* appName, const char* keyName, const char* defaultValue,
                            char* out, int outSize, const char* fileName);

// The leading integer of the value; defaultValue when the value is missing or empty, or when it
// reads as 0 without beginning with "0".
int GetPrivateProfileInt(const char* appName, const char* keyName, int defaultValue,
                         const char* fileName);

// Every "key=value" of the section in key order, each followed by a zero byte, then an extra zero
// byte, cut to outSize - 2 bytes; answers the bytes kept before the final zeros.
int GetPrivateProfileSection(const char* appName, char* out, int outSize, const char* fileName);

// Decodes a value written by WritePrivateProfileStruct into size bytes; true when it held exactly
// size bytes and its checksum matched.
bool GetPrivateProfileStruct(const char* appName, const char* keyName, void* out, int size,
                             const char* fileName);

// Sets keyName in appName to value (creating the section when missing). A null value removes the
// key; a null keyName removes the whole section. Writes the file only when something changed.
// False when nothing could be stored: a null or empty appName, an empty keyName, a name or value
// that the file format cannot hold (a line break anywhere, "=" or a leading "[" in a key, "]" in a
// section name), or a write that failed.
bool WritePrivateProfileString(const char* appName, const char* keyName, const char* value,
                               const char* fileName);

// Replaces the keys of appName with the "key=value" texts in strings (each ended by a zero byte,
// the list by an empty text); texts without "=" are skipped. Same refusals as above.
bool WritePrivateProfileSection(const char* appName, const char* strings, const char* fileName);

// Stores size bytes as upper-case hexadecimal pairs followed by a checksum pair (the byte sum
// modulo 256). With keyName or data null, removes the section or key as
// WritePrivateProfileString does.
bool WritePrivateProfileStruct(const char* appName, const char* keyName, const void* data, int size,
                               const char* fileName);

// Overrides the default file path (null or "" restores "$HOME/.libIniStore.ini").
void SetIniStoreDefaultPath(const char* path);

} // namespace plugin
