#include "framework/graphics/platforms/linux/ColorPrompt.h"

#include "framework/graphics/platforms/linux/FilePrompt.h"
#include "framework/util/UtilString.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace plugin::igraphics
{

namespace
{

bool IsDigit(char c)
{
  return c >= '0' && c <= '9';
}

void SkipBlanks(const char*& p, const char* end)
{
  while (p < end && (*p == ' ' || *p == '\t'))
    ++p;
}

bool Expect(const char*& p, const char* end, char c)
{
  SkipBlanks(p, end);
  if (p == end || *p != c)
    return false;
  ++p;
  return true;
}

// A channel: a decimal integer 0..255.
bool ReadChannel(const char*& p, const char* end, int& value)
{
  SkipBlanks(p, end);
  int v = 0, digits = 0;
  for (; p < end && IsDigit(*p) && digits < 4; ++digits)
    v = v * 10 + (*p++ - '0');
  value = v;
  return digits > 0 && v <= 255 && (p == end || !IsDigit(*p));
}

// An alpha: digits with an optional fraction, 0..1, read the same in every locale.
bool ReadAlpha(const char*& p, const char* end, double& value)
{
  SkipBlanks(p, end);
  double v = 0.0, scale = 1.0;
  bool digits = false, point = false;
  for (; p < end && (IsDigit(*p) || (*p == '.' && !point)); ++p)
  {
    if (*p == '.')
    {
      point = true;
      continue;
    }
    digits = true;
    if (point)
      v += (*p - '0') * (scale *= 0.1);
    else
      v = std::min(v * 10.0 + (*p - '0'), 10.0);
  }
  value = v;
  return digits && v <= 1.0;
}

// "#rrggbb" or "#rrrrggggbbbb".
bool ParseHex(const std::string& text, IColor& color)
{
  const size_t digits = text.size() - 1;
  if (digits != 6 && digits != 12)
    return false;
  const size_t width = digits / 3;
  int channels[3] = {};
  for (size_t c = 0; c < 3; ++c)
  {
    int v = 0;
    for (size_t i = 0; i < width; ++i)
    {
      const int h = Util_HexDigit(text[1 + c * width + i]);
      if (h < 0)
        return false;
      v = v * 16 + h;
    }
    channels[c] = width == 2 ? v : v >> 8;
  }
  color.R = channels[0];
  color.G = channels[1];
  color.B = channels[2];
  color.A = 255;
  return true;
}

// "rgb(r,g,b)" or "rgba(r,g,b,a)".
bool ParseFunction(const std::string& text, IColor& color)
{
  const bool alpha = text.rfind("rgba(", 0) == 0;
  if (!alpha && text.rfind("rgb(", 0) != 0)
    return false;
  const char* p = text.data() + (alpha ? 5 : 4);
  const char* end = text.data() + text.size();
  int channels[3] = {};
  for (int c = 0; c < 3; ++c)
    if ((c > 0 && !Expect(p, end, ',')) || !ReadChannel(p, end, channels[c]))
      return false;
  double a = 1.0;
  if (alpha && (!Expect(p, end, ',') || !ReadAlpha(p, end, a)))
    return false;
  if (!Expect(p, end, ')'))
    return false;
  SkipBlanks(p, end);
  if (p != end)
    return false;
  color.R = channels[0];
  color.G = channels[1];
  color.B = channels[2];
  color.A = static_cast<int>(std::lround(a * 255.0));
  return true;
}

} // namespace

bool ColorPrompt::ParseColor(const std::string& text, IColor& color)
{
  std::string line = text.substr(0, text.find('\n'));
  const size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string::npos)
    return false;
  line = line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
  IColor parsed = color;
  const bool ok = line[0] == '#' ? ParseHex(line, parsed) : ParseFunction(line, parsed);
  if (ok)
    color = parsed;
  return ok;
}

std::string ColorPrompt::ProposedRGBA(const IColor& color)
{
  // The alpha as a fraction 0..1 with at most six decimals and none trailing, written the same
  // in every locale.
  const int micro = static_cast<int>(std::lround(std::clamp(color.A, 0, 255) * 1e6 / 255.0));
  int fraction = micro % 1000000, digits = 6;
  for (; fraction != 0 && fraction % 10 == 0; --digits)
    fraction /= 10;
  const int r = std::clamp(color.R, 0, 255), g = std::clamp(color.G, 0, 255),
            b = std::clamp(color.B, 0, 255);
  char text[64];
  if (fraction == 0)
    std::snprintf(text, sizeof(text), "rgba(%d,%d,%d,%d)", r, g, b, micro / 1000000);
  else
    std::snprintf(text, sizeof(text), "rgba(%d,%d,%d,0.%0*d)", r, g, b, digits, fraction);
  return text;
}

bool ColorPrompt::Open(const std::string& title, unsigned long parentWindow)
{
  char hex[8];
  std::snprintf(hex, sizeof(hex), "#%02x%02x%02x", std::clamp(mProposed.R, 0, 255),
                std::clamp(mProposed.G, 0, 255), std::clamp(mProposed.B, 0, 255));
  return StartDesktopDialog(
    mDialog,
    {"zenity", "--color-selection", "--title=" + title, "--color=" + ProposedRGBA(mProposed)},
    {"kdialog", "--getcolor", "--default", hex, "--title", title}, parentWindow);
}

ColorPrompt::EState ColorPrompt::Poll()
{
  if (mState != EState::kWaiting || !mDialog.Poll())
    return mState;
  const int status = mDialog.ExitStatus();
  IColor chosen = mProposed;
  const bool answered = (status == 0 || status == Util_ChildProcess::kUnknownStatus) &&
                        ParseColor(mDialog.Output(), chosen);
  mChosen = chosen;
  mState = answered ? EState::kAnswered : EState::kCancelled;
  return mState;
}

} // namespace plugin::igraphics
