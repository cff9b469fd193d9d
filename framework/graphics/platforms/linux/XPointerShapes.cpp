#include "framework/graphics/platforms/linux/XPointerShapes.h"

#include "framework/graphics/platforms/linux/XErrors.h"

#include <X11/Xlib.h>
#include <X11/cursorfont.h>

namespace plugin::igraphics
{

unsigned CursorFontGlyph(ECursor cursor)
{
  switch (cursor)
  {
  case ECursor::kIBeam:
    return XC_xterm;
  case ECursor::kWait:
  case ECursor::kAppStarting:
    return XC_watch;
  case ECursor::kCross:
    return XC_crosshair;
  case ECursor::kUpArrow:
    return XC_sb_up_arrow;
  case ECursor::kSizeNWSE:
    return XC_bottom_right_corner;
  case ECursor::kSizeNESW:
    return XC_bottom_left_corner;
  case ECursor::kSizeWE:
    return XC_sb_h_double_arrow;
  case ECursor::kSizeNS:
    return XC_sb_v_double_arrow;
  case ECursor::kSizeAll:
    return XC_fleur;
  case ECursor::kNo:
    return XC_X_cursor;
  case ECursor::kHand:
    return XC_hand2;
  case ECursor::kHelp:
    return XC_question_arrow;
  case ECursor::kArrow:
  default:
    return XC_left_ptr;
  }
}

XPointerShapes::XPointerShapes(_XDisplay* pDisplay, unsigned long window)
  : mDisplay(pDisplay), mWindow(window)
{
}

XPointerShapes::~XPointerShapes()
{
  QuietXErrors quiet(mDisplay);
  for (const unsigned long cursor : mCursors)
    if (cursor)
      XFreeCursor(mDisplay, cursor);
}

void XPointerShapes::Show(ECursor cursor)
{
  const auto idx = static_cast<size_t>(cursor);
  if (idx >= kTypes)
    return;
  QuietXErrors quiet(mDisplay); // the host may have destroyed the window
  if (!mCursors[idx])
    mCursors[idx] = XCreateFontCursor(mDisplay, CursorFontGlyph(cursor));
  XDefineCursor(mDisplay, mWindow, mCursors[idx]);
}

} // namespace plugin::igraphics
