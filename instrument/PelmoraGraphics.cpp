// The instrument's graphics factory and layout function. The factory makes the platform's
// graphics context at the editor's size (through the neutral MakeGraphics; the build links the
// platform that defines it); the layout turns hover reports on, loads the editor's fonts and
// attaches the background panel. The instrument's own controls are not part of the editor yet.

#include "instrument/Pelmora.h"

#include "framework/graphics/IGraphics.h"
#include "framework/graphics/IGraphicsFactory.h"

using namespace plugin::igraphics;

namespace
{

constexpr int kFrameRate = 60;
const IColor kBackground(255, 38, 40, 44);

// The fonts compiled into the plug-in, loaded under their own names.
constexpr const char* kFonts[] = {"Roboto-Regular", "RobotoMono-Regular", "RobotoCondensed-Light",
                                  "forkawesome-webfont"};

void LayoutEditor(IGraphics* pGraphics)
{
  // The parameter controls report the parameter under the pointer to the preset display: that
  // needs hover reports, which the context leaves off unless asked.
  pGraphics->EnableMouseOver(true);
  for (const char* font : kFonts)
  {
    Util_String file;
    file.SetFormatted(256, "%s.ttf", font);
    pGraphics->LoadFont(font, file.Get());
  }
  pGraphics->AttachPanelBackground(IPattern(kBackground));
}

} // namespace

void Pelmora::SetUpEditor()
{
  mMakeGraphicsFunc = [this]
  {
    // At the remembered scale: the window opens at the size the host was told.
    return MakeGraphics(*this, Settings::kEditorWidth, Settings::EditorHeight(mShowKeyboard),
                        kFrameRate, mScale);
  };
  mLayoutFunc = LayoutEditor;
}
