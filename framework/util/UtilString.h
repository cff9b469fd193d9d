#pragma once
// Heap strings (Util_String, Util_FastString) and locale-independent number formatting.
//
// A Util_String keeps its text and terminating zero in a Util_HeapBuf: the used size is the
// length + 1, or 0 for a string never set (Get then answers a shared empty text, never null).
// Every setter rests on one primitive that writes a run of characters at an offset while keeping
// a given tail after it; setters answer false, leaving the text unchanged, when memory ran out.
//
// Numbers: a host may switch the process to a locale with a decimal comma, which changes what
// printf's %f writes and what strtod accepts. Every formatting call here (SetFormatted,
// AppendFormatted, Util_snprintf, snprintf_append) runs in the "C" locale on the calling thread
// (uselocale), and Util_StrToDouble / Util_AtoF parse in the "C" locale, so texts in files and
// on screen always use a decimal point. Use these, never plain printf("%f") or strtod/atof, for
// numbers that are stored or shown.

#include "framework/util/UtilBuffers.h"

#include <cstdarg>
#include <cstddef>

#define UTIL_PRINTF_FORMAT(fmtIdx, argIdx) __attribute__((format(printf, fmtIdx, argIdx)))

// vsnprintf/snprintf in the "C" locale. [any thread]
int Util_vsnprintf(char* buffer, size_t size, const char* format, va_list args);
int Util_snprintf(char* buffer, size_t size, const char* format, ...) UTIL_PRINTF_FORMAT(3, 4);

// strtod in the "C" locale (decimal point only); null text gives 0.0. [any thread]
double Util_StrToDouble(const char* text, char** end = nullptr);
// atof rules in the "C" locale: the leading number of the text, 0.0 when there is none.
double Util_AtoF(const char* text);

// The value of one hexadecimal digit (0-9, a-f, A-F), or -1 for any other character.
// [any thread]
int Util_HexDigit(char c);

// Appends formatted text to the zero-terminated text in buffer (size bytes in all), never
// writing past it; does nothing when the buffer is already full. [any thread]
void snprintf_append(char* buffer, size_t size, const char* format, ...) UTIL_PRINTF_FORMAT(3, 4);

class Util_String
{
public:
  explicit Util_String(int granularity = 128) : mBuf(granularity) {}
  explicit Util_String(const char* text, int granularity = 128) : mBuf(granularity) { Set(text); }
  Util_String(const Util_String& other) = default;
  Util_String& operator=(const Util_String& other) = default;
  Util_String(Util_String&& other) noexcept = default;
  Util_String& operator=(Util_String&& other) noexcept = default;

  // maxLen 0 takes the whole text, else at most maxLen characters (stopping at a zero byte).
  // A null text counts as empty.
  bool Set(const char* text, int maxLen = 0);
  bool Append(const char* text, int maxLen = 0);
  // The position is clamped to 0..length.
  bool Insert(const char* text, int position, int maxLen = 0);
  // Removes up to length characters at position; a position outside the text changes nothing.
  void DeleteSub(int position, int length);

  // The text becomes (or gains) the printf-style result cut to maxLen characters; a maxLen below
  // 1 gives (or appends) nothing. Arguments may point into this string's own text.
  bool SetFormatted(int maxLen, const char* format, ...) UTIL_PRINTF_FORMAT(3, 4);
  bool AppendFormatted(int maxLen, const char* format, ...) UTIL_PRINTF_FORMAT(3, 4);
  bool SetFormattedV(int maxLen, const char* format, va_list args);
  bool AppendFormattedV(int maxLen, const char* format, va_list args);

  const char* Get() const;
  int GetLength() const { return mBuf.GetSize() > 0 ? mBuf.GetSize() - 1 : 0; }

private:
  // Writes length characters of source at offset, keeping the keep characters that stood at
  // offset after them. (0, any, 0, 0) empties the string.
  bool Replace(int offset, const char* source, int length, int keep);
  bool ReplaceFormatted(int offset, int maxLen, const char* format, va_list args);

  Util_HeapBuf mBuf;
};

// The same string that keeps its length at hand; behaves exactly as Util_String.
class Util_FastString : public Util_String
{
public:
  using Util_String::Util_String;
};
