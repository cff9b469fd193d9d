#pragma once
// Image controls:
// - IBitmapControl: one frame of a bitmap film strip, chosen by its value (see IBitmapBase); a
//   background bitmap is one with a single frame. Its bounds measure one frame.
// - ISVGControl: an SVG image fitted into its bounds at its own aspect ratio, optionally kept
//   in an off-screen layer that is redrawn only when the bounds or the scales change.
// Main thread only.

#include "framework/graphics/IControl.h"
#include "framework/graphics/IGraphicsCache.h"
#include "framework/graphics/ILayer.h"
#include "framework/graphics/controls/IBitmapBase.h"

namespace plugin::igraphics
{

class IBitmapControl : public IControl, public IBitmapBase
{
public:
  // The bounds start at (x, y) and measure one frame (nothing for a strip without frames).
  IBitmapControl(float x, float y, const IBitmap& bitmap, int paramIdx = kNoParameter,
                 EBlend blend = EBlend::kDefault);

  void Draw(IGraphics& g) override { DrawBitmap(g); }
  // Reloads the strip for the new screen scale.
  void OnRescale() override { Rescale(); }
};

class ISVGControl : public IControl
{
public:
  ISVGControl(const IRECT& bounds, const ISVG& svg, bool useLayer = false);

  void Draw(IGraphics& g) override;

  const ISVG& GetSVG() const { return mSVG; }
  void SetSVG(const ISVG& svg);

protected:
  bool mUseLayer;
  ILayerPtr mLayer;
  ISVG mSVG;
};

} // namespace plugin::igraphics
