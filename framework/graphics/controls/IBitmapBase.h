#pragma once
// IBitmapBase: the bitmap part of a control drawn from a film strip, a second base beside an
// IControl class. The strip holds N frames of equal size side by side (horizontally or
// vertically); the control shows the frame that matches its value:
//   frame = min(max(0, (int)((N - 1) * value + 0.5)) + 1, N), counted from 1,
// so value 0 shows the first frame, value 1 the last, and each switch lies halfway between two
// frames' values. The frame is drawn at its own size, centred on the control's bounds, with the
// control's blend. A strip without a bitmap or without frames draws nothing.
// Main thread only.

#include "framework/graphics/IBitmap.h"
#include "framework/graphics/IGraphicsStructs.h"

namespace plugin::igraphics
{

class IControl;
class IGraphics;

class IBitmapBase
{
public:
  explicit IBitmapBase(const IBitmap& bitmap) : mBitmap(bitmap) {}
  virtual ~IBitmapBase() = default;

  // Links the base to the control whose value, bounds and blend it reads.
  void AttachIControl(IControl* pControl) { mControl = pControl; }

  // The frame for the control's value, from 1; 0 when there is nothing to draw.
  int GetFrame() const;
  // The size of one frame in points (0 x 0 without frames): of this base's strip, or of any
  // strip (for bounds worked out before the base is built).
  float FrameWidth() const { return FrameWidth(mBitmap); }
  float FrameHeight() const { return FrameHeight(mBitmap); }
  static float FrameWidth(const IBitmap& bitmap);
  static float FrameHeight(const IBitmap& bitmap);
  // A frame-sized rectangle centred on r.
  IRECT GetFrameBounds(const IRECT& r) const;
  void DrawBitmap(IGraphics& g);
  // Takes the same strip as loaded for the control's context at its current screen scale (keeps
  // the one it has when there is none, or no context).
  void Rescale();

  const IBitmap& GetBitmap() const { return mBitmap; }

protected:
  IBitmap mBitmap;
  IControl* mControl = nullptr;
};

} // namespace plugin::igraphics
