#pragma once
// An off-screen drawing layer: the back end's bitmap it draws into, the control it belongs to
// (may be null) with that control's bounds when the layer was made, the layer's own
// pixel-aligned rectangle, and whether it must be redrawn. Handed around as a unique owner.

#include "framework/graphics/IBitmap.h"
#include "framework/graphics/IGraphicsStructs.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace plugin::igraphics
{

class IControl;

struct ILayer
{
  ILayer(APIBitmap* pBitmap, const IRECT& layerRect, IControl* pControl, const IRECT& controlRect)
    : mBitmap(pBitmap), mControl(pControl), mControlRECT(controlRect), mRECT(layerRect)
  {
  }

  std::unique_ptr<APIBitmap> mBitmap;
  IControl* mControl;
  IRECT mControlRECT;
  IRECT mRECT;
  bool mInvalid = false;
};

using ILayerPtr = std::unique_ptr<ILayer>;

// Pixels of a layer as read back from the back end (4 bytes a pixel).
using RawBitmapData = std::vector<uint8_t>;

// Drop-shadow settings: the blur size is read by the graphics core, the rest by the back end.
struct IShadow
{
  IPattern mPattern = IPattern(IColor(255, 0, 0, 0));
  float mBlurSize = 0.f;
  float mXOffset = 0.f;
  float mYOffset = 0.f;
  float mOpacity = 1.f;
  bool mDrawForeground = true;
};

} // namespace plugin::igraphics
