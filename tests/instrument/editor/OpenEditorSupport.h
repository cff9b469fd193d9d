#pragma once
// Helpers of the tests that open the whole instrument's editor headless (EGL on Mesa): a
// temporary home for the settings and presets of every instrument the test program makes, and an
// instrument with its editor open, driven and drawn as the host and the user would.

#include "framework/graphics/controls/IPopupMenuControl.h"
#include "framework/graphics/platforms/linux/IGraphicsLinux.h"
#include "instrument/Pelmora.h"
#include "instrument/editor/controls/IVTVDiskPresetManagerControl.h"
#include "tests/framework/graphics/platforms/linux/RenderSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace pelmora::test
{

// The settings and presets stay in a temporary home for the whole run.
inline testsupport::TempHome sEditorTestHome;

inline intptr_t QuietHost(AEffect*, int32_t, int32_t, intptr_t, void*, float)
{
  return 0;
}

// A file in the instrument's support folder.
inline std::string SupportPath(const std::string& file)
{
  return std::string(std::getenv("XDG_DATA_HOME")) + "/Tessvold/Pelmora/" + file;
}

// An instrument with its editor open headless, from the settings written first.
struct OpenEditor
{
  explicit OpenEditor(const char* settings = nullptr)
  {
    if (settings)
    {
      testsupport::TempDir::RunQuietly("mkdir -p '" + SupportPath("") + "'");
      testsupport::WriteFile(SupportPath("settings.ini"), settings);
    }
    plug = std::make_unique<Pelmora>(plugin::Vst2InstanceInfo(QuietHost));
    open = plug->OpenWindow(nullptr) != nullptr;
    g = static_cast<plugin::igraphics::IGraphicsLinux*>(plug->GetUI());
  }
  ~OpenEditor() { plug->CloseWindow(); }
  plugin::igraphics::IControl& Tagged(int tag) { return *g->GetControlWithTag(tag); }
  void Click(float x, float y)
  {
    using plugin::igraphics::IMouseInfo, plugin::igraphics::IMouseMod;
    g->OnMouseDown({IMouseInfo{x, y, 0.f, 0.f, IMouseMod(true)}});
    g->OnMouseUp({IMouseInfo{x, y, 0.f, 0.f, IMouseMod(true)}});
  }
  // The menu a click at (x, y) opens: the root of the in-window menu shown then.
  plugin::igraphics::IPopupMenu& MenuOpenedBy(float x, float y)
  {
    Click(x, y);
    return *dynamic_cast<plugin::igraphics::IPopupMenuControl&>(*g->GetPopupMenuControl())
              .GetPanel(0)
              ->mMenu;
  }
  // The preset display, found at its place.
  plugin::igraphics::IParamDisplayControl& Display() const
  {
    return dynamic_cast<plugin::igraphics::IParamDisplayControl&>(
      *g->GetControl(g->GetMouseControlIdx(860, 410)));
  }
  // The main menu, as the cog at the top bar's right end opens it.
  plugin::igraphics::IPopupMenu& MainMenu() { return MenuOpenedBy(988, 15); }
  // Chooses the item with the tag in the menu, as the in-window menu answers a click, and
  // closes the menu.
  void Choose(plugin::igraphics::IPopupMenu& menu, int tag)
  {
    for (int i = 0; i < menu.NItems(); ++i)
      if (menu.GetItem(i)->GetTag() == tag)
        menu.SetChosenItemIdx(i);
    menu.ExecFunction();
    g->CancelPrompts();
  }
  // The controls marked dirty, in the order of the list.
  std::vector<const plugin::igraphics::IControl*> Dirty() const
  {
    std::vector<const plugin::igraphics::IControl*> dirty;
    for (int i = 0; i < g->NControls(); ++i)
      if (g->GetControl(i)->IsDirty())
        dirty.push_back(g->GetControl(i));
    return dirty;
  }
  // Sets a parameter as the host does: the editor follows.
  void Set(int paramIdx, double value)
  {
    plugin::IParam* pParam = plug->GetParam(paramIdx);
    ASSERT_NE(pParam, nullptr) << paramIdx;
    pParam->Set(value);
    plug->SendParameterValueFromDelegate(paramIdx, value, false);
  }
  // The whole editor drawn afresh.
  plugin::igraphics::test::Image Render()
  {
    plugin::igraphics::test::Image frame;
    EXPECT_TRUE(g->RenderFrame() && g->ReadFrame(frame.rgba, frame.w, frame.h));
    return frame;
  }
  // The next frame, which redraws only what changed.
  plugin::igraphics::test::Image Tick()
  {
    plugin::igraphics::test::Image frame;
    g->OnTick();
    EXPECT_TRUE(g->ReadFrame(frame.rgba, frame.w, frame.h));
    return frame;
  }

  std::unique_ptr<Pelmora> plug;
  bool open = false;
  plugin::igraphics::IGraphicsLinux* g = nullptr;
};

} // namespace pelmora::test
