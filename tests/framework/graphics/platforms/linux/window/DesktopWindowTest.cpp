// What the editor takes from the desktop, under Xvfb: the pointer's shapes (read back through
// XFixes and compared with the X cursor font's own shape shown on a window of the test's), the
// display scale from Xft.dpi in the root window's RESOURCE_MANAGER property (set here directly,
// as xrdb sets it), and the theme from an XSETTINGS manager written here.

#include "tests/framework/plugin/vst2/testplug/TestPlug.h"
// After the plug-in's headers: Xlib's macros (None, Bool, ...) would break them.
#include "tests/framework/graphics/platforms/linux/window/HostWindowTest.h"

#include <X11/Xatom.h>
#include <X11/cursorfont.h>
#include <X11/extensions/Xfixes.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace
{

using plugin::igraphics::IRECT;

// A cursor's picture as the server shows it.
struct CursorImage
{
  int width = 0;
  int height = 0;
  int xhot = 0;
  int yhot = 0;
  std::vector<unsigned long> pixels;
  bool operator==(const CursorImage& o) const
  {
    return width == o.width && height == o.height && xhot == o.xhot && yhot == o.yhot &&
           pixels == o.pixels;
  }
};

class DesktopWindowTest : public plugin::test::HostWindowTest
{
protected:
  DesktopWindowTest() : HostWindowTest(PELMORA_TEST_PLUGIN) {}

  void SetUp() override
  {
    HostWindowTest::SetUp();
    if (!mDisplay)
      return;
    int event = 0, error = 0, major = 5, minor = 0;
    ASSERT_TRUE(XFixesQueryExtension(mDisplay, &event, &error));
    XFixesQueryVersion(mDisplay, &major, &minor);
  }

  // The pointer's picture now.
  CursorImage Shown()
  {
    XSync(mDisplay, False);
    CursorImage image;
    if (XFixesCursorImage* p = XFixesGetCursorImage(mDisplay))
    {
      image = {p->width, p->height, p->xhot, p->yhot, {}};
      image.pixels.assign(p->pixels, p->pixels + size_t(p->width) * p->height);
      XFree(p);
    }
    return image;
  }
  // The pointer over (x, y) of the screen, after the editor's idle calls.
  CursorImage ShownAt(int x, int y)
  {
    Xdo("mousemove " + std::to_string(x) + " " + std::to_string(y));
    Idle();
    return Shown();
  }
  // The X cursor font's glyph as the server shows it, over a window of the test's own.
  CursorImage FontCursor(unsigned glyph)
  {
    const Window probe =
      XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 1600, 900, 100, 100, 0, 0, 0);
    const Cursor cursor = XCreateFontCursor(mDisplay, glyph);
    XDefineCursor(mDisplay, probe, cursor);
    XMapWindow(mDisplay, probe);
    XSync(mDisplay, False);
    Xdo("mousemove 1650 950");
    const CursorImage image = Shown();
    XDestroyWindow(mDisplay, probe);
    XFreeCursor(mDisplay, cursor);
    XSync(mDisplay, False);
    return image;
  }

  // The root window's resources, as xrdb leaves them.
  void SetResources(const std::string& text)
  {
    XChangeProperty(mDisplay, DefaultRootWindow(mDisplay),
                    XInternAtom(mDisplay, "RESOURCE_MANAGER", False), XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()),
                    static_cast<int>(text.size()));
    XSync(mDisplay, False);
  }

  // The editor's window size, and the last size the host was asked for ("" for none).
  std::string ChildSize(Window parent)
  {
    XWindowAttributes a = {};
    XGetWindowAttributes(mDisplay, ChildOf(parent), &a);
    return std::to_string(a.width) + "x" + std::to_string(a.height);
  }
  std::string LastSizeRequest()
  {
    std::string last;
    for (const auto& call : mPlugin.Calls())
      if (call.opcode == kVst2HostSizeWindow)
        last = std::to_string(call.index) + "x" + std::to_string(call.value);
    return last;
  }

  intptr_t Probe(int what) { return mPlugin.Dispatch(kVst2EffVendorSpecific, kProbe, what); }
};

// The middle of a rectangle of the editor, in screen pixels (its host window sits at 0, 0).
std::string At(const IRECT& r)
{
  return std::to_string(int(r.MW())) + " " + std::to_string(int(r.MH()));
}

TEST_F(DesktopWindowTest, ThePointerTakesTheShapeOfWhatItIsOverAndTheArrowOnceItLeft)
{
  const CursorImage arrow = FontCursor(XC_left_ptr), hand = FontCursor(XC_hand2),
                    corner = FontCursor(XC_bottom_right_corner);
  ASSERT_GT(arrow.width, 0) << "no cursor image from XFixes";
  ASSERT_FALSE(arrow == hand);
  ASSERT_FALSE(arrow == corner);
  ASSERT_FALSE(arrow == FontCursor(XC_watch));

  // The host shows a busy pointer over its own window; the editor's is its own.
  ASSERT_EQ(mPlugin.Dispatch(kVst2EffVendorSpecific, kSelectLayout, kLayoutGallery), 1);
  const Window parent = MakeParent();
  const Cursor busy = XCreateFontCursor(mDisplay, XC_watch);
  XDefineCursor(mDisplay, parent, busy);
  ASSERT_EQ(mPlugin.Dispatch(kVst2EffEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
  Idle();
  EXPECT_TRUE(ShownAt(1000, 470) == arrow); // over nothing

  // The link's pointing hand, the corner resizer's diagonal (the font's bottom-right corner).
  EXPECT_TRUE(ShownAt(int(kGalleryLinkBounds.MW()), int(kGalleryLinkBounds.MH())) == hand);
  EXPECT_TRUE(ShownAt(1005, 595) == corner);
  EXPECT_TRUE(ShownAt(1000, 470) == arrow);

  // Out of the window from the link, and back in over nothing: the arrow again.
  EXPECT_TRUE(ShownAt(int(kGalleryLinkBounds.MW()), int(kGalleryLinkBounds.MH())) == hand);
  ShownAt(1300, int(kGalleryLinkBounds.MH())); // over the root window
  EXPECT_TRUE(ShownAt(1000, 470) == arrow);

  CloseEditor(parent);
  XFreeCursor(mDisplay, busy);
}

// Pixels are layout points x UI size x display scale (Xft.dpi / 96), rounded up, read when the
// editor opens and again when the desktop changes it; the host is asked for each new size, and
// a size too large for the screen becomes the largest that fits (the UI size asked for comes
// back once the screen allows it).
TEST_F(DesktopWindowTest, TheDisplayScaleComesFromXftDpiAtOpeningAndWhenItChanges)
{
  SetResources("Xft.antialias:\t1\nXft.dpi:\t192\n");
  const Window parent = MakeParent();
  XResizeWindow(mDisplay, parent, 2022, 1202);
  ASSERT_EQ(mPlugin.Dispatch(kVst2EffEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
  Idle();
  EXPECT_EQ(LastSizeRequest(), "2022x1202");
  EXPECT_EQ(ChildSize(parent), "2022x1202");
  Vst2Rect* pRect = nullptr;
  ASSERT_EQ(mPlugin.Dispatch(kVst2EffEditGetRect, 0, 0, &pRect), 1);
  EXPECT_EQ(std::to_string(pRect->right - pRect->left) + "x" +
              std::to_string(pRect->bottom - pRect->top),
            "2022x1202");
  // Drawn at twice the size: Gain's slider is filled up to its middle, at (300, 200) of 400.
  EXPECT_TRUE(Near(PixelOf(parent, 2 * 290, 2 * 120), kTestPlugSliderFill));
  EXPECT_FALSE(Near(PixelOf(parent, 2 * 310, 2 * 120), kTestPlugSliderFill));

  // The desktop goes back to 96 dpi.
  mPlugin.ClearRecords();
  SetResources("Xft.dpi:\t96\nXft.antialias:\t1\n");
  Idle();
  EXPECT_EQ(LastSizeRequest(), "1011x601");
  EXPECT_EQ(ChildSize(parent), "1011x601");

  // At 150 % and 144 dpi the window would be 1011 x 2.25 = 2274.75 pixels wide, more than the
  // 2048 of the screen: it takes the screen's width, and its height at the same scale.
  Xdo("mousemove " + At(kTestPlugZoomBounds) + " click 1");
  Idle();
  EXPECT_EQ(ChildSize(parent), "1517x902");
  SetResources("Xft.dpi:\t144\n");
  Idle();
  const int fittedHeight = int(std::ceil(601.0 * 2048.0 / 1011.0));
  EXPECT_EQ(ChildSize(parent), "2048x" + std::to_string(fittedHeight));
  SetResources("Xft.dpi:\t96\n");
  Idle();
  EXPECT_EQ(ChildSize(parent), "1517x902");

  CloseEditor(parent);
  XDeleteProperty(mDisplay, DefaultRootWindow(mDisplay),
                  XInternAtom(mDisplay, "RESOURCE_MANAGER", False));
}

// A small XSETTINGS manager of the test's own, on its own connection: it owns the selection
// _XSETTINGS_S0 with a window of its own and keeps its settings in _XSETTINGS_SETTINGS there.
class SettingsManager
{
public:
  SettingsManager()
  {
    mDisplay = XOpenDisplay(nullptr);
    mSelection = XInternAtom(mDisplay, "_XSETTINGS_S0", False);
    mSettings = XInternAtom(mDisplay, "_XSETTINGS_SETTINGS", False);
  }
  ~SettingsManager() { XCloseDisplay(mDisplay); }

  // Takes the selection with a new window (whoever had it), with the theme given, and tells
  // the clients (MANAGER).
  void Start(const std::string& theme, bool bigEndian)
  {
    mWindow = XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, 1, 1, 0, 0, 0);
    SetTheme(theme, bigEndian);
    XSetSelectionOwner(mDisplay, mSelection, mWindow, CurrentTime);
    XEvent e = {};
    e.xclient.type = ClientMessage;
    e.xclient.window = DefaultRootWindow(mDisplay);
    e.xclient.message_type = XInternAtom(mDisplay, "MANAGER", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = CurrentTime;
    e.xclient.data.l[1] = static_cast<long>(mSelection);
    e.xclient.data.l[2] = static_cast<long>(mWindow);
    XSendEvent(mDisplay, DefaultRootWindow(mDisplay), False, StructureNotifyMask, &e);
    XSync(mDisplay, False);
  }
  // Settings holding an integer, a colour and the theme's name, in the byte order given.
  void SetTheme(const std::string& theme, bool bigEndian)
  {
    std::vector<uint8_t> d;
    auto card = [&](uint32_t v, int size)
    {
      for (int i = 0; i < size; ++i)
        d.push_back(uint8_t(v >> (8 * (bigEndian ? size - 1 - i : i))));
    };
    auto text = [&](const std::string& s)
    {
      d.insert(d.end(), s.begin(), s.end());
      d.resize(d.size() + (4 - s.size() % 4) % 4);
    };
    // type, 1 unused, name length, name, serial of the last change
    auto head = [&](uint32_t type, const std::string& name)
    {
      card(type, 1);
      card(0, 1);
      card(uint32_t(name.size()), 2);
      text(name);
      card(0, 4);
    };
    card(bigEndian ? 1 : 0, 1);
    d.resize(4);
    card(7, 4); // serial
    card(3, 4); // settings
    head(0, "Net/DoubleClickTime");
    card(400, 4);
    head(2, "Gtk/BgColor");
    card(0x10002000, 4);
    card(0x30004000, 4);
    head(1, "Net/ThemeName");
    card(uint32_t(theme.size()), 4);
    text(theme);
    SetData(d);
  }
  void SetData(const std::vector<uint8_t>& d)
  {
    XChangeProperty(mDisplay, mWindow, mSettings, mSettings, 8, PropModeReplace, d.data(),
                    static_cast<int>(d.size()));
    XSync(mDisplay, False);
  }
  // The owner's window goes, and the selection with it.
  void Quit()
  {
    XDestroyWindow(mDisplay, mWindow);
    XSync(mDisplay, False);
  }

private:
  Display* mDisplay;
  Window mWindow = 0;
  Atom mSelection, mSettings;
};

// The gallery hears the desktop's appearance when it opens, and each time it changes: by a new
// theme, a new owner (its data most significant byte first), the owner's going, and settings
// that cannot be read (no theme: light).
TEST_F(DesktopWindowTest, TheDesktopsThemeReachesTheGalleryAtOpeningAndWhenItChanges)
{
  SettingsManager manager;
  manager.Start("Adwaita-dark", false);
  ASSERT_EQ(mPlugin.Dispatch(kVst2EffVendorSpecific, kSelectLayout, kLayoutGallery), 1);
  const Window parent = OpenEditor();
  std::vector<intptr_t> heard = {Probe(kProbeAppearance)};
  auto change = [&](const std::function<void()>& what)
  {
    what();
    Idle();
    heard.push_back(Probe(kProbeAppearance));
  };
  change([&] { manager.SetTheme("Adwaita", false); });
  change([&] { manager.Start("Yaru-DARK-blue", true); });
  change([&] { manager.Quit(); });
  change([&] { manager.Start("Adwaita-dark", false); });
  change(
    [&] {
      manager.SetData({0, 0, 0, 0, 7, 0, 0, 0, 1, 0, 0, 0, 1, 0, 13, 0, 'N', 'e', 't'});
    });
  // Dark at opening, then light, dark, light, dark, light.
  EXPECT_EQ(heard, (std::vector<intptr_t>{1, 0, 1, 0, 1, 0}));
  EXPECT_EQ(Probe(kProbeAppearanceCalls), 6);
  CloseEditor(parent);
}

} // namespace
