#pragma once
// XPointerShapes: the editor window's pointer shapes, from the X server's cursor font. Each
// cursor type shows the font's nearest glyph (the font has no diagonal double arrow: the
// diagonal resize shows the bottom-right corner); a shape is made when first shown and kept
// until the window closes. Main thread only.

#include "framework/graphics/IGraphicsStructs.h"

#include <array>

struct _XDisplay;

namespace plugin::igraphics
{

// The cursor font's glyph (an XC_ value of <X11/cursorfont.h>) for a cursor type.
unsigned CursorFontGlyph(ECursor cursor);

class XPointerShapes
{
public:
  XPointerShapes(_XDisplay* pDisplay, unsigned long window);
  ~XPointerShapes();

  XPointerShapes(const XPointerShapes&) = delete;
  XPointerShapes& operator=(const XPointerShapes&) = delete;

  // Shows the shape over the window.
  void Show(ECursor cursor);

private:
  static constexpr size_t kTypes = static_cast<size_t>(ECursor::kHelp) + 1;
  _XDisplay* mDisplay;
  unsigned long mWindow;
  std::array<unsigned long, kTypes> mCursors{}; // 0 until made
};

} // namespace plugin::igraphics
