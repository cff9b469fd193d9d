#pragma once
// UTF-8 reading and writing that never fails: a malformed sequence (a stray continuation byte, a
// truncated or overlong form, an encoded surrogate, anything above U+10FFFF) reads as one
// replacement character U+FFFD per offending byte, and a code point that cannot be written is
// written as U+FFFD. Text from a host, a clipboard or a keyboard is never trusted to be valid.

#include <string>
#include <string_view>

namespace plugin
{

inline constexpr char32_t kReplacementChar = 0xFFFD;

// Reads one code point at p (p < end) and advances p past it. ok is false, and U+FFFD returned
// with p moved by one byte, when the bytes there are not a valid UTF-8 form.
inline char32_t DecodeUTF8(const char*& p, const char* end, bool& ok)
{
  const auto byte = [](char c)
  {
    return static_cast<unsigned char>(c);
  };
  const unsigned char b0 = byte(*p);
  ok = true;
  if (b0 < 0x80)
  {
    ++p;
    return b0;
  }
  int extra = 0;
  char32_t c = 0;
  char32_t least = 0; // the smallest code point this length may carry (no overlong forms)
  if ((b0 & 0xE0) == 0xC0)
  {
    extra = 1;
    c = b0 & 0x1F;
    least = 0x80;
  }
  else if ((b0 & 0xF0) == 0xE0)
  {
    extra = 2;
    c = b0 & 0x0F;
    least = 0x800;
  }
  else if ((b0 & 0xF8) == 0xF0)
  {
    extra = 3;
    c = b0 & 0x07;
    least = 0x10000;
  }
  else
  {
    extra = -1;
  }
  bool valid = extra > 0 && end - p > extra;
  for (int i = 1; valid && i <= extra; ++i)
  {
    const unsigned char bi = byte(p[i]);
    valid = (bi & 0xC0) == 0x80;
    c = (c << 6) | (bi & 0x3F);
  }
  valid = valid && c >= least && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
  if (!valid)
  {
    ok = false;
    ++p;
    return kReplacementChar;
  }
  p += extra + 1;
  return c;
}

// Appends c as UTF-8; a surrogate or a value above U+10FFFF appends U+FFFD.
inline void AppendUTF8(std::string& out, char32_t c)
{
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
    c = kReplacementChar;
  if (c < 0x80)
  {
    out += static_cast<char>(c);
  }
  else if (c < 0x800)
  {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  else if (c < 0x10000)
  {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  else
  {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

inline std::u32string UTF8ToUTF32(std::string_view text)
{
  std::u32string out;
  out.reserve(text.size());
  const char* p = text.data();
  const char* end = p + text.size();
  bool ok = true;
  while (p < end)
    out += DecodeUTF8(p, end, ok);
  return out;
}

inline std::string UTF32ToUTF8(std::u32string_view text)
{
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text)
    AppendUTF8(out, c);
  return out;
}

} // namespace plugin
