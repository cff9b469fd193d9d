#pragma once
// The graphics factory: the one way code outside the platform layer makes a graphics context.
// Declared here, in the platform-neutral core; each platform layer defines it (on Linux,
// platforms/linux/IGraphicsLinux.cpp), and the build links the one it targets.

namespace plugin::igraphics
{

class IGraphics;
class IGEditorDelegate;

// [main thread] A new graphics context for the delegate, w x h points at fps frames per second
// and the given scale; the caller (the editor delegate) owns it.
IGraphics* MakeGraphics(IGEditorDelegate& dlg, int w, int h, int fps = 60, float scale = 1.f);

} // namespace plugin::igraphics
