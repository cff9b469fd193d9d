// The instrument's graphics factory and layout function, stored in the editor delegate. The
// factory makes the platform's graphics context at the editor's size through the neutral
// MakeGraphics (the build links the platform that defines it) and gives it the plug-in's
// identity, under which its resources are looked up; the layout function has the editor's side
// (PelmoraEditorControls) lay the editor out on each new context.

#include "instrument/Pelmora.h"

#include "framework/graphics/IGraphics.h"
#include "framework/graphics/IGraphicsFactory.h"
#include "instrument/PelmoraEditorControls.h"

using namespace plugin::igraphics;

namespace
{
// The folder of the plug-in's shared resources.
constexpr const char* kSharedResourcesSubPath = "Pelmora";
} // namespace

void Pelmora::SetUpEditor()
{
  mMakeGraphicsFunc = [this]
  {
    // At the remembered scale: the window opens at the size the host was told.
    IGraphics* pGraphics =
      MakeGraphics(*this, Settings::kEditorWidth, Settings::EditorHeight(mShowKeyboard),
                   kEditorFrameRate, mScale);
    pGraphics->SetBundleID(GetBundleID());
    pGraphics->SetAppGroupID(GetAppGroupID());
    pGraphics->SetSharedResourcesSubPath(kSharedResourcesSubPath);
    return pGraphics;
  };
  mLayoutFunc = [this](IGraphics* pGraphics)
  {
    mEditorControls->Open(*pGraphics);
  };
}
