#include "framework/graphics/platforms/linux/XDesktop.h"

#include "framework/graphics/platforms/linux/XErrors.h"
#include "framework/graphics/platforms/linux/XProperty.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

namespace plugin::igraphics
{

namespace
{

// The largest property read (a desktop's resources or settings run to a few kilobytes).
constexpr long kMaxPropertyBytes = 1 << 20;

std::string_view Trimmed(std::string_view s)
{
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// Reads the XSETTINGS data's numbers in the byte order it declares, never past its end.
class SettingsReader
{
public:
  SettingsReader(std::string_view data, bool bigEndian) : mData(data), mBigEndian(bigEndian) {}
  bool Skip(size_t n)
  {
    if (n > mData.size() - mPos)
      return false;
    mPos += n;
    return true;
  }
  bool Card(size_t size, uint32_t& value)
  {
    if (size > mData.size() - mPos)
      return false;
    value = 0;
    for (size_t i = 0; i < size; ++i)
    {
      const uint32_t byte = static_cast<uint8_t>(mData[mPos + (mBigEndian ? i : size - 1 - i)]);
      value = value << 8 | byte;
    }
    mPos += size;
    return true;
  }
  // n bytes, then the padding to a multiple of 4.
  bool Bytes(uint32_t n, std::string_view& out)
  {
    if (n > mData.size() - mPos)
      return false;
    out = mData.substr(mPos, n);
    mPos += n;
    return Skip((4 - n % 4) % 4);
  }

private:
  std::string_view mData;
  bool mBigEndian;
  size_t mPos = 0;
};

} // namespace

// ---- Readers

bool XftDpiFromResources(std::string_view resources, double& dpi)
{
  bool found = false;
  while (!resources.empty())
  {
    const size_t end = std::min(resources.find('\n'), resources.size());
    const std::string_view line = resources.substr(0, end);
    resources.remove_prefix(std::min(end + 1, resources.size()));
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || Trimmed(line.substr(0, colon)) != "Xft.dpi")
      continue;
    // The last entry holds, as in a resource database.
    const std::string_view value = Trimmed(line.substr(colon + 1));
    double v = 0.0;
    const auto [rest, error] = std::from_chars(value.data(), value.data() + value.size(), v);
    found =
      error == std::errc() && rest == value.data() + value.size() && std::isfinite(v) && v > 0.0;
    if (found)
      dpi = v;
  }
  return found;
}

float DisplayScaleOfDpi(double dpi)
{
  if (!std::isfinite(dpi) || dpi <= 0.0)
    return 1.f;
  return static_cast<float>(std::clamp(dpi / 96.0, 0.5, 4.0));
}

bool ThemeNameFromXSettings(std::string_view data, std::string& name)
{
  name.clear();
  // Header: byte order (0 least significant byte first, 1 most), 3 unused, serial, count.
  if (data.size() < 12 || static_cast<uint8_t>(data[0]) > 1)
    return false;
  SettingsReader reader(data, data[0] == 1);
  uint32_t count = 0, unused = 0;
  if (!reader.Skip(4) || !reader.Card(4, unused) || !reader.Card(4, count))
    return false;
  // Handed out only when the whole data is read.
  std::string theme;
  bool found = false;
  for (uint32_t i = 0; i < count; ++i)
  {
    // Each setting: type, 1 unused, name length, name (padded), serial of its last change,
    // value: an integer, a string (length, bytes, padding) or a colour (four 16-bit numbers).
    uint32_t type = 0, nameLength = 0, length = 0;
    std::string_view settingName, value;
    if (!reader.Card(1, type) || !reader.Skip(1) || !reader.Card(2, nameLength) ||
        !reader.Bytes(nameLength, settingName) || !reader.Card(4, unused))
      return false;
    switch (type)
    {
    case 0:
      if (!reader.Card(4, unused))
        return false;
      break;
    case 1:
      if (!reader.Card(4, length) || !reader.Bytes(length, value))
        return false;
      if (settingName == "Net/ThemeName")
      {
        theme.assign(value);
        found = true;
      }
      break;
    case 2:
      if (!reader.Skip(8))
        return false;
      break;
    default:
      return false;
    }
  }
  if (found)
    name = std::move(theme);
  return found;
}

bool IsDarkThemeName(std::string_view name)
{
  for (size_t i = 0; i + 4 <= name.size(); ++i)
  {
    bool match = true;
    for (size_t k = 0; k < 4 && match; ++k)
      match = std::tolower(static_cast<unsigned char>(name[i + k])) == "dark"[k];
    if (match)
      return true;
  }
  return false;
}

// ---- The desktop

XDesktop::XDesktop(_XDisplay* pDisplay, int screen) : mDisplay(pDisplay)
{
  mRoot = RootWindow(mDisplay, screen);
  mResourceManagerAtom = XInternAtom(mDisplay, "RESOURCE_MANAGER", False);
  mSelectionAtom = XInternAtom(mDisplay, ("_XSETTINGS_S" + std::to_string(screen)).c_str(), False);
  mSettingsAtom = XInternAtom(mDisplay, "_XSETTINGS_SETTINGS", False);
  mManagerAtom = XInternAtom(mDisplay, "MANAGER", False);
  {
    // PropertyNotify for the resources, MANAGER (sent to the root window for StructureNotify).
    QuietXErrors quiet(mDisplay);
    XSelectInput(mDisplay, mRoot, PropertyChangeMask | StructureNotifyMask);
  }
  ReadDisplayScale();
  ReadTheme();
}

XDesktop::~XDesktop()
{
  QuietXErrors quiet(mDisplay);
  XSelectInput(mDisplay, mRoot, NoEventMask);
  if (mOwner)
    XSelectInput(mDisplay, mOwner, NoEventMask);
}

void XDesktop::ReadDisplayScale()
{
  Atom type = None;
  std::string resources;
  double dpi = 0.0;
  const bool read =
    ReadByteProperty(mDisplay, mRoot, mResourceManagerAtom, kMaxPropertyBytes, type, resources) &&
    type == XA_STRING && XftDpiFromResources(resources, dpi);
  mDisplayScale = read ? DisplayScaleOfDpi(dpi) : 1.f;
}

void XDesktop::ReadTheme()
{
  mHasTheme = false;
  mDark = false;
  std::string settings;
  if (mOwner)
  {
    QuietXErrors quiet(mDisplay); // the last owner may be gone already
    XSelectInput(mDisplay, mOwner, NoEventMask);
  }
  {
    QuietXErrors quiet(mDisplay); // the owner may go at any moment
    // Held while the owner is found and watched, so that it cannot go unnoticed in between.
    XGrabServer(mDisplay);
    mOwner = XGetSelectionOwner(mDisplay, mSelectionAtom);
    if (mOwner)
      XSelectInput(mDisplay, mOwner, PropertyChangeMask | StructureNotifyMask);
    XUngrabServer(mDisplay);
    Atom type = None;
    const bool read =
      mOwner &&
      ReadByteProperty(mDisplay, mOwner, mSettingsAtom, kMaxPropertyBytes, type, settings) &&
      type == mSettingsAtom && !quiet.Failed();
    if (!read)
      settings.clear();
  }
  std::string name;
  if (ThemeNameFromXSettings(settings, name))
  {
    mHasTheme = true;
    mDark = IsDarkThemeName(name);
  }
}

int XDesktop::HandleEvent(const _XEvent& event)
{
  const bool hadTheme = mHasTheme, wasDark = mDark;
  const float scale = mDisplayScale;
  switch (event.type)
  {
  case PropertyNotify:
    if (event.xproperty.window == mRoot && event.xproperty.atom == mResourceManagerAtom)
      ReadDisplayScale();
    else if (mOwner && event.xproperty.window == mOwner && event.xproperty.atom == mSettingsAtom)
      ReadTheme();
    else
      return kNothing;
    break;
  case DestroyNotify:
    if (!mOwner || event.xdestroywindow.window != mOwner)
      return kNothing;
    mOwner = 0; // gone, and its selection with it (or already another's)
    ReadTheme();
    break;
  case ClientMessage:
    if (event.xclient.window != mRoot || event.xclient.message_type != mManagerAtom ||
        event.xclient.format != 32 ||
        static_cast<unsigned long>(event.xclient.data.l[1]) != mSelectionAtom)
      return kNothing;
    ReadTheme();
    break;
  default:
    return kNothing;
  }
  int changed = kNothing;
  if (mDisplayScale != scale)
    changed |= kScaleChanged;
  if (mHasTheme != hadTheme || mDark != wasDark)
    changed |= kThemeChanged;
  return changed;
}

} // namespace plugin::igraphics
