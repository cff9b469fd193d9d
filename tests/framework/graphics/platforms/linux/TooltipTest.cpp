// Tooltips drawn inside the editor window, headless, on a clock the test steps: the library
// gallery with its parameters' names as tooltips and four corner controls with long ones, at
// every UI size. At each size the pointer rests on one target after another; each tooltip shows
// after the rest time and not before, inside the editor, and one of the dismissing inputs hides
// it, after which the window shows there what a whole new frame shows. While a menu is
// expanded none shows.
// The frames with a tooltip at UI sizes 100 % and 200 % are kept as tooltip-100.png and
// tooltip-200.png in the test's build folder.

#include "framework/graphics/controls/IPopupMenuControl.h"
#include "framework/graphics/platforms/linux/InWindowTooltips.h"
#include "tests/framework/graphics/platforms/linux/RenderSupport.h"
#include "tests/framework/plugin/vst2/testplug/GalleryLayout.h"
// After everything else: Xlib's macros (None, Bool, ...) would break other headers.
#include <X11/Xlib.h>

#include <cmath>

namespace
{

using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

constexpr int kW = 1011;
constexpr int kH = 601;
constexpr float kUISizes[] = {0.8f, 0.9f, 1.f, 1.1f, 1.25f, 1.5f, 1.75f, 2.f};
const IColor kTipPanel(255, 36, 39, 48);
const char* const kLongTip = "A tooltip long enough to run past the edge of the editor";

// Where the pointer rests, and the tooltip it shows there.
struct Target
{
  float x;
  float y;
  const char* tip;
};
const Target kTargets[] = {
  {56.f, 84.f, "Cutoff"},     // the vector knob
  {1006.f, 596.f, kLongTip},  // the corners
  {5.f, 5.f, kLongTip},       //
  {1006.f, 5.f, kLongTip},    //
  {5.f, 596.f, kLongTip},     //
  {150.f, 94.f, "Resonance"}, // the SVG knob
  {775.f, 420.f, "Drive"},    // the disabled slider
  {344.f, 286.f, "Pad X"},    // the pad (its first parameter)
};

// What hides a tooltip that shows.
enum class EInput
{
  kMoveOff,
  kLeave,
  kPress,
  kWheel,
  kKey, // through the host's key call
  kMenu,
  kClose,
};
const EInput kInputs[] = {EInput::kMoveOff, EInput::kLeave, EInput::kPress, EInput::kWheel,
                          EInput::kKey,     EInput::kMenu,  EInput::kClose};

class SteppedClockGraphics : public IGraphicsLinux
{
public:
  using IGraphicsLinux::IGraphicsLinux;
  double mNow = 1000.0;

protected:
  double ClockMs() const override { return mNow; }
};

class Editor
{
public:
  Editor(float uiSize, bool tooltips) : mDelegate(24), mGraphics(mDelegate, kW, kH, 60, uiSize)
  {
    const std::pair<int, const char*> names[] = {
      {8, "Cutoff"}, {9, "Resonance"}, {15, "Pad X"}, {23, "Drive"}};
    for (const auto& [idx, name] : names)
      mDelegate.GetParam(idx)->InitDouble(name, 0.5, 0.0, 1.0, 0.01);
    mDelegate.mLayoutFunc = [tooltips](IGraphics* pGraphics)
    {
      IGraphics& g = *pGraphics;
      test::LayoutGallery(g, [](const char*) { return SplashClickActionFunc; });
      for (const auto& corner : {IRECT(0, 0, 30, 30), IRECT(981, 0, 1011, 30),
                                 IRECT(0, 571, 30, 601), IRECT(981, 571, 1011, 601)})
        g.AttachControl(new DrawControl(corner, [](IGraphics&, IControl&) {}))
          ->SetTooltip(kLongTip);
      if (tooltips)
      {
        g.EnableTooltips(true);
        g.AssignParamNameToolTips();
      }
    };
  }

  bool Open() { return mGraphics.OpenWindow(nullptr) && mGraphics.RenderFrame(); }

  int Px(float points) const
  {
    return static_cast<int>(std::lround(points * mGraphics.GetBackingPixelScale()));
  }

  void Send(int type, float x, float y, unsigned button = 0)
  {
    XEvent e = {};
    e.type = type;
    if (type == MotionNotify)
    {
      e.xmotion.x = Px(x);
      e.xmotion.y = Px(y);
    }
    else if (type == ButtonPress || type == ButtonRelease)
    {
      e.xbutton.x = Px(x);
      e.xbutton.y = Px(y);
      e.xbutton.button = button;
      e.xbutton.time = static_cast<Time>(mGraphics.mNow);
    }
    mGraphics.HandleXEvent(e);
  }

  // The pointer moved to (x, y) and rested ms there, the redraw timer ticking.
  void Rest(float x, float y, double ms)
  {
    Send(MotionNotify, x, y);
    mGraphics.OnTick();
    mGraphics.mNow += ms;
    mGraphics.OnTick();
  }

  const TooltipControl* Box() const
  {
    return dynamic_cast<const TooltipControl*>(mGraphics.GetTooltipControl());
  }
  bool Showing() const { return Box() && !Box()->IsHidden(); }

  Image Frame()
  {
    Image image;
    mGraphics.ReadFrame(image.rgba, image.w, image.h);
    return image;
  }

  TestDelegate mDelegate;
  SteppedClockGraphics mGraphics;
};

TEST(LinuxTooltips, ShowAfterTheRestInsideTheEditorAndHideOnEveryDismissingInput)
{
  // Without tooltips enabled (Pelmora's own editor) there is no box at all.
  {
    Editor plain(1.f, false);
    if (!plain.Open())
      GTEST_SKIP() << "no headless OpenGL context";
    plain.Rest(56.f, 84.f, 2000.0);
    EXPECT_EQ(plain.mGraphics.GetTooltipControl(), nullptr);
  }

  IPopupMenu menu;
  menu.AddItem("One");
  menu.AddItem("Two");
  int turn = 0;
  for (float uiSize : kUISizes)
  {
    SCOPED_TRACE("UI size " + std::to_string(uiSize));
    Editor editor(uiSize, true);
    ASSERT_TRUE(editor.Open());
    SteppedClockGraphics& g = editor.mGraphics;
    for (EInput input : kInputs)
    {
      SCOPED_TRACE("input " + std::to_string(static_cast<int>(input)));
      const Target& target = kTargets[turn++ % std::size(kTargets)];

      editor.Rest(target.x, target.y, InWindowTooltips::kRestMs - 1.0);
      EXPECT_FALSE(editor.Showing()) << "before the rest time";
      g.mNow += 1.0;
      g.OnTick();
      ASSERT_TRUE(editor.Showing());
      EXPECT_EQ(editor.Box()->GetText(), target.tip);
      const IRECT box = editor.Box()->GetRECT();
      EXPECT_TRUE(g.GetBounds().Contains(box)) << Fmt(box);
      const IRECT panel = editor.Box()->GetPanel();
      const int px = editor.Px(panel.L + 3.f), py = editor.Px(panel.MH());
      HeadlessEditor::Expect(editor.Frame(), px, py, kTipPanel, "the tooltip's panel");
      if (input == EInput::kMoveOff && (uiSize == 1.f || uiSize == 2.f))
      {
        const Image shown = editor.Frame();
        WritePNG(uiSize == 1.f ? "tooltip-100.png" : "tooltip-200.png", shown.rgba, shown.w,
                 shown.h);
      }

      switch (input)
      {
      case EInput::kMoveOff:
        editor.Send(MotionNotify, 300.f, 470.f);
        break;
      case EInput::kLeave:
        editor.Send(LeaveNotify, 0.f, 0.f);
        break;
      case EInput::kPress:
        editor.Send(ButtonPress, target.x, target.y, Button1);
        editor.Send(ButtonRelease, target.x, target.y, Button1);
        break;
      case EInput::kWheel:
        editor.Send(ButtonPress, target.x, target.y, Button4);
        break;
      case EInput::kKey:
        g.OnKeyDown(target.x, target.y, plugin::IKeyPress("a", 'A'));
        break;
      case EInput::kMenu:
        g.CreatePopupMenu(*g.GetControl(1), menu, IRECT(480, 280, 530, 300));
        break;
      case EInput::kClose:
        g.CloseWindow();
        EXPECT_FALSE(editor.Showing());
        continue;
      }
      g.OnTick();
      EXPECT_FALSE(editor.Showing());
      // Time passing without a move shows nothing again: the input ended this rest.
      g.mNow += 2000.0;
      g.OnTick();
      EXPECT_FALSE(editor.Showing());
      // Where the tooltip was, the window shows what a whole new frame shows (at two sizes: a
      // whole frame is slow to draw).
      if (input != EInput::kMenu && (uiSize == 1.f || uiSize == 2.f))
      {
        const Image after = editor.Frame();
        g.RenderFrame();
        HeadlessEditor::Expect(after, px, py, editor.Frame().At(px, py), "under the tooltip");
      }
      if (input == EInput::kMenu)
      {
        // While the menu is expanded, no tooltip shows anywhere.
        ASSERT_TRUE(dynamic_cast<IPopupMenuControl*>(g.GetPopupMenuControl())->GetExpanded());
        for (const Target& other : kTargets)
          editor.Rest(other.x, other.y, 2000.0);
        EXPECT_FALSE(editor.Showing());
        g.CancelPrompts();
        g.OnTick();
        editor.Send(MotionNotify, 300.f, 470.f); // off the last target, for the next rest there
      }
    }
  }
}

TEST(LinuxTooltips, RestStartsAtTheLastOfSeveralMovesAndAMoveBackToThePointerIsNoMove)
{
  Editor editor(1.f, true);
  if (!editor.Open())
    GTEST_SKIP() << "no headless OpenGL context";
  SteppedClockGraphics& g = editor.mGraphics;

  // The box a single rest at (152, 94) shows: the reference for the moves below.
  editor.Rest(152.f, 94.f, InWindowTooltips::kRestMs);
  ASSERT_TRUE(editor.Showing());
  const IRECT single = editor.Box()->GetRECT();
  editor.Rest(300.f, 470.f, 2000.0); // off every target
  ASSERT_FALSE(editor.Showing());

  // Moves over the vector knob, then the SVG knob, each sooner than the rest time: the tooltip
  // waits for a whole rest after the last, and shows for where the last put the pointer.
  const std::pair<float, float> moves[] = {
    {44.f, 84.f}, {50.f, 84.f}, {56.f, 90.f}, {150.f, 94.f}, {152.f, 94.f}};
  for (const auto& [x, y] : moves)
  {
    editor.Rest(x, y, InWindowTooltips::kRestMs - 100.0);
    EXPECT_FALSE(editor.Showing()) << x;
  }
  g.mNow += 99.0;
  g.OnTick();
  EXPECT_FALSE(editor.Showing());
  g.mNow += 1.0;
  g.OnTick();
  ASSERT_TRUE(editor.Showing());
  EXPECT_EQ(editor.Box()->GetText(), std::string("Resonance"));
  EXPECT_EQ(editor.Box()->GetRECT(), single) << Fmt(editor.Box()->GetRECT());

  // A plain click hides it. The knob shows the pointer again where it was: a motion to the
  // point where the pointer already is, which brings nothing back, however long it rests.
  editor.Send(ButtonPress, 152.f, 94.f, Button1);
  editor.Send(ButtonRelease, 152.f, 94.f, Button1);
  g.OnTick();
  EXPECT_FALSE(editor.Showing());
  for (int i = 0; i < 3; ++i)
  {
    editor.Rest(152.f, 94.f, 2000.0);
    EXPECT_FALSE(editor.Showing());
  }
  // A move of one pixel is a move: a new rest shows it again.
  editor.Rest(153.f, 94.f, InWindowTooltips::kRestMs);
  EXPECT_TRUE(editor.Showing());
  // So is coming back into the window where the pointer left it.
  editor.Send(LeaveNotify, 0.f, 0.f);
  EXPECT_FALSE(editor.Showing());
  editor.Rest(153.f, 94.f, InWindowTooltips::kRestMs);
  EXPECT_TRUE(editor.Showing());
}

TEST(LinuxTooltips, ATooltipWiderThanTheEditorKeepsItsBeginning)
{
  Editor editor(1.f, true);
  if (!editor.Open())
    GTEST_SKIP() << "no headless OpenGL context";
  // The corner control at the top left, given tooltips about twice as wide as the editor.
  IControl* pCorner = editor.mGraphics.GetMouseControl(5.f, 5.f, false);
  ASSERT_NE(pCorner, nullptr);
  // The pixels of the box's first 60 points for a tooltip text.
  auto beginning = [&](const std::string& tip)
  {
    pCorner->SetTooltip(tip.c_str());
    editor.Rest(300.f, 470.f, 10.0);
    editor.Rest(5.f, 5.f, InWindowTooltips::kRestMs);
    EXPECT_TRUE(editor.Showing());
    const IRECT panel = editor.Box()->GetPanel();
    EXPECT_GT(panel.W(), 900.f);
    const Image frame = editor.Frame();
    std::vector<IColor> pixels;
    for (int y = editor.Px(panel.T + 2.f); y < editor.Px(panel.B - 2.f); ++y)
      for (int x = editor.Px(panel.L + 2.f); x < editor.Px(panel.L + 60.f); ++x)
        pixels.push_back(frame.At(x, y));
    return pixels;
  };
  const std::string tail(220, 'a'), otherTail(220, 'b');
  const auto first = beginning("Begin here, then " + tail);
  // The same beginning with another end shows the same; another beginning does not.
  EXPECT_TRUE(first == beginning("Begin here, then " + otherTail));
  const Image shown = editor.Frame();
  WritePNG("tooltip-wide.png", shown.rgba, shown.w, shown.h);
  EXPECT_FALSE(first == beginning("Other here, then " + tail));
}

} // namespace
