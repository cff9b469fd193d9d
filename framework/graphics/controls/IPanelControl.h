#pragma once
// IPanelControl: a container that paints its rectangle with a pattern (a colour or a gradient),
// optionally outlined; the editor's background is one. It ignores the mouse, so that clicks
// reach the controls behind or inside it. Main thread only.

#include "framework/graphics/IContainerBase.h"

namespace plugin::igraphics
{

class IPanelControl : public IContainerBase
{
public:
  IPanelControl(const IRECT& bounds, const IPattern& pattern, bool drawFrame = false,
                IContainerFunction attachFunc = nullptr, IContainerFunction resizeFunc = nullptr);
  IPanelControl(const IRECT& bounds, const IColor& color, bool drawFrame = false,
                IContainerFunction attachFunc = nullptr, IContainerFunction resizeFunc = nullptr);

  void Draw(IGraphics& g) override;

  const IPattern& GetPattern() const { return mPattern; }
  void SetPattern(const IPattern& pattern)
  {
    mPattern = pattern;
    SetDirty(false);
  }

protected:
  IPattern mPattern;
  bool mDrawFrame;
};

} // namespace plugin::igraphics
