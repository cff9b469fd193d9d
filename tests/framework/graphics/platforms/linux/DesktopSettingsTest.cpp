// What the desktop publishes, read from its bytes: Xft.dpi among the root window's resources, and
// the theme's name from XSETTINGS data (the windowed road is in window/DesktopWindowTest.cpp).
// Malformed data gives nothing, never a read past its end.

#include "framework/graphics/platforms/linux/XDesktop.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace
{

using namespace plugin::igraphics;

TEST(DesktopSettings, XftDpiIsReadFromTheResourcesAndOnlyAsAPositiveNumber)
{
  struct Case
  {
    const char* resources;
    double dpi; // 0: none
  };
  const Case cases[] = {
    {"Xft.antialias:\t1\nXft.dpi:\t192\nXft.hinting:\t1\n", 192.0},
    {"Xft.dpi: 144.5\r\n", 144.5},
    {"Xft.dpi:\t96\nXft.dpi:\t120", 120.0}, // the last holds
    {"Xft.dpix:\t200\n*dpi:\t200\n", 0.0},  // other names
    {"Xft.dpi:\tlarge\n", 0.0},
    {"Xft.dpi:\t-96\n", 0.0},
    {"Xft.dpi:\t0\n", 0.0},
    {"Xft.dpi:\t96 dpi\n", 0.0},
    {"Xft.dpi:", 0.0},
    {"", 0.0},
  };
  for (const Case& c : cases)
  {
    double dpi = 0.0;
    EXPECT_EQ(XftDpiFromResources(c.resources, dpi), c.dpi > 0.0) << c.resources;
    EXPECT_EQ(dpi, c.dpi) << c.resources;
  }
  EXPECT_EQ(DisplayScaleOfDpi(192.0), 2.f);
  EXPECT_EQ(DisplayScaleOfDpi(120.0), 1.25f);
  EXPECT_EQ(DisplayScaleOfDpi(9600.0), 4.f); // kept within 0.5 to 4
  EXPECT_EQ(DisplayScaleOfDpi(10.0), 0.5f);
}

// v as size bytes, least significant first unless bigEndian; bytes padded to a multiple of 4.
void Put(std::vector<uint8_t>& d, uint32_t v, int size, bool bigEndian = false)
{
  for (int i = 0; i < size; ++i)
    d.push_back(uint8_t(v >> (8 * (bigEndian ? size - 1 - i : i))));
}
void PutText(std::vector<uint8_t>& d, const std::string& s)
{
  for (const char c : s)
    d.push_back(uint8_t(c));
  while (d.size() % 4)
    d.push_back(0);
}

// XSETTINGS data in the byte order given: a header, then the settings' bytes as they are.
std::vector<uint8_t> Settings(bool bigEndian, uint32_t count,
                              const std::vector<std::vector<uint8_t>>& settings)
{
  std::vector<uint8_t> d;
  Put(d, bigEndian ? 1 : 0, 4);
  Put(d, 9, 4, bigEndian); // serial
  Put(d, count, 4, bigEndian);
  for (const auto& s : settings)
    for (const uint8_t b : s)
      d.push_back(b);
  return d;
}

// A string setting, least significant byte first: type 1, name, its serial, the value's length
// (as given) and bytes.
std::vector<uint8_t> StringSetting(const std::string& name, const std::string& value,
                                   uint32_t valueLength)
{
  std::vector<uint8_t> d;
  Put(d, 1, 2);
  Put(d, uint32_t(name.size()), 2);
  PutText(d, name);
  Put(d, 0, 4);
  Put(d, valueLength, 4);
  PutText(d, value);
  return d;
}

// The theme's name from data as the property holds it.
bool ThemeName(const std::vector<uint8_t>& data, std::string& name)
{
  return ThemeNameFromXSettings(
    std::string_view(reinterpret_cast<const char*>(data.data()), data.size()), name);
}

TEST(DesktopSettings, TheThemeNameComesFromWholeXSettingsDataAlone)
{
  const std::vector<uint8_t> colour = {2, 0, 2, 0, 'X', '/', 0, 0, 0, 0,
                                       0, 0, 1, 2, 3,   4,   5, 6, 7, 8};
  const auto theme = StringSetting("Net/ThemeName", "Breeze-Dark", 11);
  std::string name;
  EXPECT_TRUE(ThemeName(Settings(false, 2, {colour, theme}), name));
  EXPECT_EQ(name, "Breeze-Dark");
  EXPECT_TRUE(IsDarkThemeName(name));
  EXPECT_FALSE(IsDarkThemeName("Adwaita"));
  EXPECT_FALSE(IsDarkThemeName("Dar"));

  // Each of these is refused whole.
  const std::vector<std::vector<uint8_t>> refused = {
    Settings(false, 3, {colour, theme}),                                 // fewer than counted
    Settings(false, 1, {StringSetting("Net/ThemeName", "Dark", 4000)}),  // a value past the end
    Settings(false, 1, {{1, 0, 0xFF, 0xFF, 'N', 'e', 't', '/'}}),        // a name past the end
    Settings(false, 2, {{7, 0, 0, 0, 0, 0, 0, 0}, theme}),               // an unknown type
    Settings(false, 0xFFFFFFFF, {theme}),                                // a count past all
    {2, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0},                                // no byte order
    {0, 0, 0, 0, 0, 0, 0},                                               // no header
    Settings(false, 1, {StringSetting("Net/IconThemeName", "Dark", 4)}), // no theme name
  };
  for (size_t i = 0; i < refused.size(); ++i)
  {
    EXPECT_FALSE(ThemeName(refused[i], name)) << i;
    EXPECT_EQ(name, "") << i;
  }
}

} // namespace
