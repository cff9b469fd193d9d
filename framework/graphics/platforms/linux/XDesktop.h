#pragma once
// XDesktop: what the desktop publishes for its applications and the editor follows, read and
// watched on the editor's own X connection.
//
// Display scale. X11 has no backing scale per window; desktops publish theirs as the resource
// Xft.dpi in the root window's RESOURCE_MANAGER property (96 dots per inch is scale 1, 192 is
// 2). The property is read itself, at opening and again at each PropertyNotify of the root
// window for it (XResourceManagerString keeps only what the connection saw when it opened).
//
// Appearance. Desktops publish their theme through an XSETTINGS manager, the owner of the
// selection _XSETTINGS_S<screen>, in the property _XSETTINGS_SETTINGS of its window; a theme
// (Net/ThemeName) whose name holds "dark" in any case is dark. The settings are read at opening
// and again when they change (PropertyNotify of the owner's window), when the owner goes
// (DestroyNotify) and when a new owner announces itself (the MANAGER client message on the root
// window).
//
// The root window's events are selected on this connection only: the host's own selections are
// its connection's and stay as they are. Main thread only.

#include <string>
#include <string_view>

union _XEvent;
struct _XDisplay;

namespace plugin::igraphics
{

// The value of the resource Xft.dpi in a resource database's text ("name:\tvalue" lines); false
// when it is missing or not a positive number.
bool XftDpiFromResources(std::string_view resources, double& dpi);
// The display scale of an Xft.dpi value (dpi / 96, kept within 0.5 to 4); 1 for none.
float DisplayScaleOfDpi(double dpi);
// The string Net/ThemeName from XSETTINGS data (the manager's _XSETTINGS_SETTINGS property);
// false, with name emptied, when it is missing or the data is malformed anywhere.
bool ThemeNameFromXSettings(std::string_view data, std::string& name);
// Whether a theme's name says it is dark ("dark" in any case anywhere in it).
bool IsDarkThemeName(std::string_view name);

class XDesktop
{
public:
  XDesktop(_XDisplay* pDisplay, int screen);
  ~XDesktop();

  XDesktop(const XDesktop&) = delete;
  XDesktop& operator=(const XDesktop&) = delete;

  // From Xft.dpi as last read; 1 while the desktop publishes none.
  float DisplayScale() const { return mDisplayScale; }
  // Whether an XSETTINGS manager publishes a theme, and whether that theme is dark.
  bool HasTheme() const { return mHasTheme; }
  bool DarkTheme() const { return mDark; }

  enum EChange
  {
    kNothing = 0,
    kScaleChanged = 1,
    kThemeChanged = 2,
  };
  // Follows the desktop's events: which of the two it changed (or-ed EChange values). Other
  // events are left alone (kNothing).
  int HandleEvent(const _XEvent& event);

private:
  void ReadDisplayScale();
  // Finds the settings' owner (watching its window) and reads its theme.
  void ReadTheme();

  _XDisplay* mDisplay;
  unsigned long mRoot = 0;
  unsigned long mResourceManagerAtom = 0;
  unsigned long mSelectionAtom = 0; // _XSETTINGS_S<screen>
  unsigned long mSettingsAtom = 0;  // _XSETTINGS_SETTINGS
  unsigned long mManagerAtom = 0;   // MANAGER
  unsigned long mOwner = 0;         // the settings' owner window, 0 for none
  float mDisplayScale = 1.f;
  bool mHasTheme = false;
  bool mDark = false;
};

} // namespace plugin::igraphics
