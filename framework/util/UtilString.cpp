#include "framework/util/UtilString.h"

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace
{
// The "C" locale, made once per process; null only when the C library could not make it.
locale_t CLocale()
{
  static const locale_t sLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return sLocale;
}

// Switches the calling thread to the "C" locale for its lifetime.
class ScopedCLocale
{
public:
  ScopedCLocale() : mPrevious(CLocale() ? uselocale(CLocale()) : nullptr) {}
  ~ScopedCLocale()
  {
    if (mPrevious)
      uselocale(mPrevious);
  }
  ScopedCLocale(const ScopedCLocale&) = delete;
  ScopedCLocale& operator=(const ScopedCLocale&) = delete;

private:
  locale_t mPrevious;
};

int BoundedLength(const char* text, int maxLen)
{
  if (!text)
    return 0;
  const size_t limit = maxLen > 0 ? static_cast<size_t>(maxLen) : static_cast<size_t>(INT32_MAX);
  return static_cast<int>(strnlen(text, limit));
}
} // namespace

int Util_vsnprintf(char* buffer, size_t size, const char* format, va_list args)
{
  ScopedCLocale cLocale;
  return std::vsnprintf(buffer, size, format, args);
}

int Util_snprintf(char* buffer, size_t size, const char* format, ...)
{
  va_list args;
  va_start(args, format);
  const int n = Util_vsnprintf(buffer, size, format, args);
  va_end(args);
  return n;
}

double Util_StrToDouble(const char* text, char** end)
{
  if (!text)
  {
    if (end)
      *end = nullptr;
    return 0.0;
  }
  if (CLocale())
    return strtod_l(text, end, CLocale());
  return std::strtod(text, end);
}

double Util_AtoF(const char* text)
{
  return Util_StrToDouble(text, nullptr);
}

void snprintf_append(char* buffer, size_t size, const char* format, ...)
{
  if (!buffer || size == 0)
    return;
  const size_t used = strnlen(buffer, size);
  if (used + 1 >= size)
    return;
  va_list args;
  va_start(args, format);
  Util_vsnprintf(buffer + used, size - used, format, args);
  va_end(args);
}

const char* Util_String::Get() const
{
  const char* text = static_cast<const char*>(mBuf.Get());
  return text ? text : "";
}

bool Util_String::Replace(int offset, const char* source, int length, int keep)
{
  if (offset == 0 && length == 0 && keep == 0)
  {
    char* data = static_cast<char*>(mBuf.Resize(1, false));
    if (!data)
      return false;
    data[0] = 0;
    return true;
  }
  if (offset < 0 || length <= 0 || keep < 0)
    return true;
  const int64_t newSize = int64_t{offset} + length + keep + 1;
  if (newSize > INT32_MAX || offset + keep > GetLength())
    return false;

  // A source inside this string's own block would move or be overwritten: copy it first.
  const char* block = static_cast<const char*>(mBuf.Get());
  char* copy = nullptr;
  if (block && source >= block && source < block + mBuf.GetSize())
  {
    copy = static_cast<char*>(std::malloc(static_cast<size_t>(length)));
    if (!copy)
      return false;
    std::memcpy(copy, source, static_cast<size_t>(length));
    source = copy;
  }

  const int oldSize = mBuf.GetSize();
  char* data = static_cast<char*>(newSize > oldSize ? mBuf.Resize(static_cast<int>(newSize), false)
                                                    : mBuf.Get());
  if (!data)
  {
    std::free(copy);
    return false;
  }
  std::memmove(data + offset + length, data + offset, static_cast<size_t>(keep));
  std::memcpy(data + offset, source, static_cast<size_t>(length));
  data[newSize - 1] = 0;
  if (newSize < oldSize)
    mBuf.Resize(static_cast<int>(newSize), false);
  std::free(copy);
  return true;
}

bool Util_String::Set(const char* text, int maxLen)
{
  const int length = BoundedLength(text, maxLen);
  if (length == 0)
    return Replace(0, "", 0, 0);
  return Replace(0, text, length, 0);
}

bool Util_String::Append(const char* text, int maxLen)
{
  return Replace(GetLength(), text, BoundedLength(text, maxLen), 0);
}

bool Util_String::Insert(const char* text, int position, int maxLen)
{
  const int length = GetLength();
  position = std::clamp(position, 0, length);
  return Replace(position, text, BoundedLength(text, maxLen), length - position);
}

void Util_String::DeleteSub(int position, int length)
{
  const int total = GetLength();
  if (position < 0 || position >= total || length <= 0)
    return;
  length = std::min(length, total - position);
  char* data = static_cast<char*>(mBuf.Get());
  std::memmove(data + position, data + position + length,
               static_cast<size_t>(total - position - length + 1));
  mBuf.Resize(total - length + 1, false);
}

bool Util_String::ReplaceFormatted(int offset, int maxLen, const char* format, va_list args)
{
  if (!format || maxLen < 1)
    return offset != 0 || Replace(0, "", 0, 0);

  // Formatted into a separate buffer first, as the arguments may point into this string.
  char small[512];
  va_list copy;
  va_copy(copy, args);
  const int needed = Util_vsnprintf(small, sizeof(small), format, copy);
  va_end(copy);
  if (needed < 0)
    return false;
  const int length = std::min(needed, maxLen);
  if (length == 0)
    return offset != 0 || Replace(0, "", 0, 0);
  if (needed < static_cast<int>(sizeof(small)))
    return Replace(offset, small, length, 0);

  char* large = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
  if (!large)
    return false;
  Util_vsnprintf(large, static_cast<size_t>(length) + 1, format, args);
  const bool ok = Replace(offset, large, length, 0);
  std::free(large);
  return ok;
}

bool Util_String::SetFormattedV(int maxLen, const char* format, va_list args)
{
  return ReplaceFormatted(0, maxLen, format, args);
}

bool Util_String::AppendFormattedV(int maxLen, const char* format, va_list args)
{
  return ReplaceFormatted(GetLength(), maxLen, format, args);
}

bool Util_String::SetFormatted(int maxLen, const char* format, ...)
{
  va_list args;
  va_start(args, format);
  const bool ok = SetFormattedV(maxLen, format, args);
  va_end(args);
  return ok;
}

bool Util_String::AppendFormatted(int maxLen, const char* format, ...)
{
  va_list args;
  va_start(args, format);
  const bool ok = AppendFormattedV(maxLen, format, args);
  va_end(args);
  return ok;
}

int Util_HexDigit(char c)
{
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}
